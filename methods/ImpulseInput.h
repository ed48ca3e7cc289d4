// What the impulse method takes: the records of every DATA run (RunRecords,
// methods/AnalysisMethod.h) at the rate of the run files, after the yaw
// offset of the ZERO runs and the anemometer calibration, in SI units, and
// the conditions of the test.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "methods/AnalysisMethod.h"
#include "methods/YawCurve.h"

// The mean wind a stationary anemometer beside the track measured during
// one run.
struct TrackWind {
  double speed = 0.0;    // m/s
  double fromDeg = 0.0;  // where it blows from, clockwise from the heading of the odd runs
};

// A quantity the records were formed with that the test's own data leave
// uncertain (a calibrated coefficient of the anemometer), and how moving it
// by `delta` moves one record's wind (m/s) and yaw (degrees) readings, as
// the calibration would have formed them.
struct RecordInput {
  std::string name;
  double step = 0.0;  // a change small beside its uncertainty, for the slope
  std::function<void(double& wind, double& yawDeg, double delta)> move;
};

struct ImpulseConditions {
  double airDensity = 0.0;      // kg/m³ on the test day
  double massKg = 0.0;          // test mass
  double rotatingMassKg = 0.0;  // inertia of wheels and drivetrain as a mass
  double areaM2 = 0.0;          // frontal area
  std::optional<double> knownCd;       // hold the aerodynamic drag at ½·ρ·Cd·A
  std::optional<YawCurve> yawCurve;    // Cd(ψ)/Cd(0); else the yaw prior
  std::vector<TrackWind> trackWind;    // one per run in the order of the runs, or none
  bool anemometer = true;              // the wind and yaw columns hold an anemometer
  // Lowest and highest vehicle speed (m/s) of the windows fitted; none: all.
  std::optional<std::pair<double, double>> speedWindow;
  // How the coefficients move with each of these is part of the result.
  std::vector<RecordInput> inputs;
};

// Whether the wind columns hold an anemometer's readings: not when every
// reading is 0, or every reading equals the vehicle speed (a logger that
// copies it there). Judged on the columns as read, before any calibration.
bool RecordsHoldAnemometer(const std::vector<RunRecords>& runs);
