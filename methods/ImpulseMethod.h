// The impulse method behind the one interface of the analysis methods: the
// records of the DATA runs as the specified steps formed them (ZERO offset,
// calibration), the options of the method (--yaw-curve, --track-wind,
// --rotating-mass, --no-anemometer), FitImpulse, and its result in the
// layout of the specified fit with the lines of the report's solver section.
// What the method found beyond that stays in Analysis() for the record.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "methods/AnalysisMethod.h"
#include "methods/ImpulseFit.h"
#include "methods/MethodOptions.h"
#include "methods/RotatingMass.h"
#include "methods/TrackWind.h"
#include "methods/YawCurve.h"

// The share of the V² term taken as mechanical where the data cannot split
// it (no anemometer and no CD): anywhere from none to a fifth, uniformly, as
// the correction for the wind beside the track takes it (ImpulseFit.cpp).
inline constexpr double kMechanicalShareMidpoint = 0.1;
inline constexpr double kMechanicalShareHalfRange = 0.1;

struct ImpulseAnalysis {
  bool ran = false;  // FitImpulse ran (also when it gave no result)
  ImpulseResult result;
  double massKg = kNotDetermined;
  RotatingMass rotatingMass;
  double rateHz = 5.0;
  // Whether the wind columns hold an anemometer, and how that was decided.
  bool anemometer = true;
  std::string anemometerSource;
  std::string yawCurveFile;             // empty without --yaw-curve
  std::vector<YawCurve::Point> yawCurve;  // its table, both sides
  std::string trackWindSource;          // "SPEED,FROM for the whole test", the file, or empty
  std::vector<TrackWindReading> trackWind;  // per DATA run as used, m/s
  // The legacy layout's V² terms are a convention the data cannot check
  // (the total road load without CD): m2 and a0 split f2 so.
  bool squareTermSplitAssumed = false;
};

class ImpulseMethod final : public AnalysisMethod {
 public:
  // Reads the --yaw-curve file, so that a file that is no curve ends the run
  // before anything else is read.
  explicit ImpulseMethod(const MethodOptions& options);

  MethodResult Analyse(const MethodRun& run) override;

  // What the last Analyse found, for the record.
  const ImpulseAnalysis& Analysis() const { return analysis_; }

 private:
  MethodOptions options_;
  std::optional<YawCurve> curve_;
  ImpulseAnalysis analysis_;
};
