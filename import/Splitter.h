// One long recording of a test day cut into its runs. Between two runs the
// vehicle slows down to turn or stop and is driven up to speed again, so a
// run is a hill of the speed trace: the recording is cut in every valley
// at least the split drop deep on both sides (and across any gap longer
// than the longest one bridged), or exactly at the times the user gives.
#pragma once

#include <cstddef>
#include <vector>

#include "Recording.h"

namespace importer {

struct SplitSettings {
  double drop = 15.0 / 3.6;  // m/s: how far the speed falls and rises again between two runs
  double maxGap = 1.0;       // s: a longer gap always separates two runs
};

struct Segment {
  std::size_t first;  // indices into the recording's samples
  std::size_t last;
};

// The recording's stretches between cuts, in time order.
std::vector<Segment> SplitAtValleys(const Recording& recording, const SplitSettings& settings);

// The recording cut before the first record at or after each time (times
// of the recording's own clock, in ascending order).
std::vector<Segment> SplitAtTimes(const Recording& recording, const std::vector<double>& times);

}  // namespace importer
