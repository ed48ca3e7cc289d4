// The one small interface of an analysis method that works on the records of
// the DATA runs, beside the specified analysis: the pipeline runs the
// specified steps 1 to 9 (the ZERO offset, the calibration, the DATA runs
// loaded through the calibrator), hands the method every DATA run record by
// record with the test's conditions, and takes back the road-load
// coefficients in the layout of the specified fit, which the corrections,
// the wind statistics and the report then use as they use the fit's
// (cProcess::UseMethod). What the method does not determine is NaN and said
// so in its notes. Plain data: no error is raised through it but by Analyse.
#pragma once

#include <array>
#include <limits>
#include <optional>
#include <string>
#include <vector>

#include "methods/MethodOptions.h"
#include "methods/TrackWind.h"

inline constexpr double kNotDetermined = std::numeric_limits<double>::quiet_NaN();

// One DATA run, record by record from its first record, as the pipeline
// formed the records (after the ZERO yaw offset and the calibrator).
struct RunRecords {
  int run = 0;          // n of DATA.n
  int direction = 1;    // +1 for odd runs, -1 for even runs
  double rateHz = 5.0;  // records per second
  std::vector<double> speed;  // vehicle speed, m/s
  std::vector<double> wind;   // relative wind speed, m/s
  std::vector<double> yaw;    // relative yaw, degrees
};

// The test as the pipeline took it from the ten fields and the options.
struct MethodConditions {
  double temperatureC = kNotDetermined;
  double pressureKPa = kNotDetermined;
  double testDensity = kNotDetermined;      // kg/m³ at the test's temperature and pressure
  double standardDensity = kNotDetermined;  // kg/m³ at 20 °C and 98.21 kPa
  double areaM2 = kNotDetermined;
  double massKg = kNotDetermined;           // WEIGHT as a mass
  std::optional<RotatingMassOption> rotatingMassOption;  // --rotating-mass
  RotatingMass rotatingMass;                // kg and how it was set (the pipeline chooses it)
  double knownCd = kNotDetermined;          // the CD field; NaN when empty
  double minSpeedMs = kNotDetermined, maxSpeedMs = kNotDetermined;  // the speed window of the fields
  bool limitData = false;  // --limit-data: the speed window applies
  double rateHz = 5.0;
  // The wind beside the track per DATA run (m/s; run 0: the whole test), empty without --track-wind.
  std::vector<TrackWindReading> trackWindMs;
  std::string yawCurveFile;  // --yaw-curve, empty without
  bool noAnemometer = false;
};

// What the specified steps formed the records with: the ZERO runs' yaw
// offset and the anemometer's calibration, so that a method can tell how its
// result moves with each.
struct MethodCalibration {
  bool zeroOffset = false;     // the ZERO runs' mean yaw was subtracted
  double zeroOffsetDeg = 0.0;
  bool calibrated = false;     // the CAL runs calibrated the anemometer
  double Ka = 1.0, yawOffsetDeg = 0.0, Ky = 1.0, k3 = 0.0, K4 = 0.0;
};

struct MethodRun {
  std::vector<RunRecords> data;
  MethodConditions conditions;
  MethodCalibration calibration;
  // The DATA runs' wind columns as read, before the calibration: false when
  // every reading is 0 or equals the vehicle speed (no anemometer).
  bool windAsReadHoldsAnemometer = true;
};

// A quantity the result depends on besides the data: a calibrated one
// ("Ka", "yaw_offset", "zero_yaw_offset", whose uncertainty the record
// takes from the pairs of runs, so that value and standard uncertainty are
// NaN here) or one the method assumes (with its own value and uncertainty).
struct MethodInput {
  std::string name;
  std::string unit;
  std::string source;  // how its uncertainty was judged, in words
  double value = kNotDetermined;
  double standardUncertainty = kNotDetermined;
  double degreesOfFreedom = kNotDetermined;  // NaN: as good as infinite (a judgement)
  std::array<double, 8> sensitivity{};       // ∂(m0 m1 m2 a0 … a4)/∂input
};

// What every method gives back, method-neutral.
struct MethodResult {
  std::string method;      // "impulse"
  std::string solverName;  // the report's solver section names it ("Impulse Solver")
  bool completed = false;  // coefficients were determined
  // m0 m1 m2 a0 … a4 at test conditions, SI, in the layout of the specified
  // fit (times 1, V, V², Vr², Vr²·Y, …, Vr²·Y⁴).
  std::array<double, 8> coefficients{kNotDetermined, kNotDetermined, kNotDetermined, kNotDetermined,
                                     kNotDetermined, kNotDetermined, kNotDetermined, kNotDetermined};
  // Their covariance, 8 × 8 row-major, and its degrees of freedom (Student
  // t, Welch-Satterthwaite); empty when the method states none.
  std::vector<double> covariance;
  double degreesOfFreedom = kNotDetermined;
  // How the coefficients move with each quantity they depend on besides the data.
  std::vector<MethodInput> inputs;
  // Coefficients (m0 … a4) whose values are a convention the data cannot
  // check (their sum is determined, they are not): shown as not determined.
  std::vector<std::string> notDetermined;
  // The lines of the report's solver section after its name.
  std::vector<std::string> reportLines;
  // What the data leave open, as warnings.
  std::vector<std::string> notes;
};

class AnalysisMethod {
 public:
  virtual ~AnalysisMethod() = default;
  // The method on the runs; an error that leaves no result is raised as the
  // run-time error, naming the run and what the user can change.
  virtual MethodResult Analyse(const MethodRun& run) = 0;

 protected:
  AnalysisMethod() = default;
  AnalysisMethod(const AnalysisMethod&) = default;
  AnalysisMethod& operator=(const AnalysisMethod&) = default;
};
