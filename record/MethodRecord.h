// The parts of the record that say which analysis method ran and what it
// found in terms every method shares (the coefficients at test conditions
// with their intervals, the still-air road load at the method's reference
// conditions, what the data leave open), the interval method's own part,
// and the specified analysis' road load beside another method's.
#pragma once

#include <string>
#include <vector>

#include "methods/IntervalAnalysis.h"
#include "record/RecordTypes.h"

namespace record {

// The still-air road load at one speed, at the method's reference conditions.
struct MethodRoadLoadPoint {
  double speed = kNone;    // in the section's speed unit
  double speedMs = kNone;  // m/s
  double force = kNone;    // N
  double standardError = kNone, dof = kNone, low = kNone, high = kNone;
};

struct MethodRecord {
  std::string name = "legacy";  // "legacy", "intervals", …
  std::string solver;           // the solver or method as the report names it
  bool completed = false;       // the method delivered its coefficients
  double rateHz = 5.0;          // records a second of the run files
  bool si = false;              // --si
  std::vector<Estimate> coefficients;  // at test conditions, in the method's own terms
  double referenceTemperatureC = kNone, referencePressureKPa = kNone;  // of roadLoad
  std::string speedUnit;                // of roadLoad: "mph" or "km/h"
  std::vector<MethodRoadLoadPoint> roadLoad;
  std::vector<std::string> notes;       // what the data leave open, also among the warnings
};

// The specified analysis' still-air road load beside another method's, at
// the same speeds, each corrected by its own method to 20 °C and 98.21 kPa.
struct ComparisonPoint {
  double speedMph = kNone, speedKmh = kNone;
  double legacy = kNone, legacyLow = kNone, legacyHigh = kNone;  // N
  double method = kNone, methodLow = kNone, methodHigh = kNone;  // N
  double difference = kNone;  // method − legacy, N
  double differencePercent = kNone;
};

struct LegacyComparison {
  bool ran = false;        // the specified analysis ran beside the method
  bool available = false;  // and gave a road load
  std::string why;         // when it did not
  std::vector<Estimate> legacy;  // Amech, Bmech, Ctotl, Cd as the specified report gives them
  std::vector<ComparisonPoint> points;
};

}  // namespace record
