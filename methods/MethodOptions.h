// The choice of the analysis method and what the options give it beyond the
// ten fields, as read and checked from the command line (app/MethodOptionsReader).
#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "methods/RotatingMass.h"

enum class AnalysisMethodKind { Legacy, Impulse, Intervals };
// "legacy", "impulse", "intervals"
inline const char* MethodName(AnalysisMethodKind method) {
  switch (method) {
    case AnalysisMethodKind::Legacy: return "legacy";
    case AnalysisMethodKind::Impulse: return "impulse";
    case AnalysisMethodKind::Intervals: return "intervals";
  }
  return "";
}

// --track-wind: SPEED,FROM for the whole test, or a CSV file with a line per
// DATA run. SPEED is in the run files' speed unit (mph, km/h with --si).
struct TrackWindOption {
  bool wholeTest = false;
  double speed = 0.0;
  double fromDeg = 0.0;
  std::string file;  // when not wholeTest
};

// --reject-run RUN[:REASON]: a DATA run during which something affected the
// road load; the interval method leaves it out with its pair.
struct RejectedRunOption {
  int run = 0;
  std::string reason;
};

struct MethodOptions {
  AnalysisMethodKind method = AnalysisMethodKind::Legacy;
  double rateHz = 5.0;  // records a second of the run files
  bool si = false;      // the ten fields and the run files in km/h, kg, °C, kPa, m²
  std::optional<TrackWindOption> trackWind;
  std::string yawCurveFile;
  std::optional<RotatingMassOption> rotatingMass;
  bool noAnemometer = false;
  std::vector<std::pair<std::string, double>> constants;  // --constant NAME=VALUE, in order
  std::vector<RejectedRunOption> rejectedRuns;
};
