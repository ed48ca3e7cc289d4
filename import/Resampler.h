// The kept records of a run at the five records a second of a run file,
// each the mean of the logger's signal over its 0.2 s: a logger's record
// stands for the interval up to its next record, so a 10 Hz logger's pair
// of records makes one run-file record and a 5 Hz logger's records pass
// unchanged; at rates that do not divide, each record counts with the part
// of its interval that falls in the 0.2 s. Across a gap (no record for
// more than 1.5 intervals) the signal is taken as the straight line
// between the records on either side.
#pragma once

#include <cstddef>
#include <vector>

#include "Recording.h"

namespace importer {

inline constexpr double kRunFileInterval = 0.2;  // s: five records a second

struct RunRecord {
  double speed;  // m/s
  double wind;   // m/s
  double yaw;    // degrees
};

// The run-file records of samples[first..last], from samples[first].time
// on, as many as the kept records fill wholly. `interval` is the logger's
// usual record interval, which the last kept record holds when no record
// follows it.
std::vector<RunRecord> Resample(const std::vector<Sample>& samples, std::size_t first, std::size_t last,
                                double interval);

}  // namespace importer
