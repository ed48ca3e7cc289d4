// Finding, in the speed trace of one run, the part its run file keeps: the
// coast of a DATA run, from the first record after the last driven or
// steady-speed record to the last record before braking, standstill, a
// rising speed or the end; the steady part of a ZERO or CAL run. Found from
// the speed trace alone, by what the run's own coast explains.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace importer {

struct TrimSettings {
  double stopSpeed = 2.0 / 3.6;  // m/s: below it the vehicle stands
  double minCoast = 5.0;         // s: a shorter coast is none
  double minSteady = 3.0;        // s: a shorter steady stretch is none
};

// Why the records before or after the kept part were cut.
enum class EdgeKind {
  None,         // nothing: the kept part reaches the recording's edge
  Driven,       // the speed was rising (driven up to speed)
  Steady,       // decelerating far less than the coast: driven at steady speed
  Braking,      // decelerating far more than the coast explains
  Standstill,   // speed below the stop speed
  Rising,       // the speed rose after the coast
  OutsideBand,  // a steady run's speed outside its band
};

struct Edge {
  EdgeKind kind = EdgeKind::None;
  double deceleration = 0.0;       // m/s², Braking: of the departure
  double coastDeceleration = 0.0;  // m/s², Braking: what the coast explains there
};

struct Trim {
  bool found = false;
  std::size_t first = 0;  // index of the first record kept
  std::size_t last = 0;   // index of the last record kept
  Edge before;
  Edge after;
  double bandLow = 0.0;   // m/s, steady runs: the speed band kept
  double bandHigh = 0.0;
  std::string failure;    // when not found: why
};

// The coast of a DATA run. `time` in s (increasing), `speed` in m/s.
Trim FindCoast(const std::vector<double>& time, const std::vector<double>& speed, const TrimSettings& settings);

// The longest stretch of a ZERO or CAL run whose speed stays within
// max(1 km/h, 3 %) of its median and changes by less than 0.1 m/s² (over
// ±1 s), its ends placed to the record where the driving beside it ends.
Trim FindSteady(const std::vector<double>& time, const std::vector<double>& speed, const TrimSettings& settings);

}  // namespace importer
