// One long recording of a whole test day, as a logger that runs from the
// first run to the last would make it: every run's file as it is written,
// and the turns between them.
#pragma once

#include <vector>

#include "Runs.h"

namespace sim {

// The logger file that holds a day recording.
inline constexpr const char* kDayFileName = "day.csv";

struct DayRecording {
  double startClock;  // test-clock time of the first record, s
  std::vector<Record> records;
  // Where each run lies in the recording; for a DATA run the coast itself,
  // whatever its file holds around it.
  std::vector<FileSpan> spans;
};

// The recording of `runs` (in driving order, as TestDrive::DriveAll gives
// them) at the test's record rate. Throws std::runtime_error when a turn is
// too short.
DayRecording RecordDay(const TestDrive& drive, const std::vector<Run>& runs, int rate);

// Test-clock time of the first record of `run`'s file.
double FileStartClock(const Run& run);

}  // namespace sim
