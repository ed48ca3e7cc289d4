// The runs of a day laid end to end with the turns between them.
#include "DayRecording.h"

#include <cmath>

#include "Units.h"

namespace sim {

double FileStartClock(const Run& run) {
  return run.startTime + (run.before.truth.empty() ? 0.0 : run.before.truth.front().time);
}

DayRecording RecordDay(const TestDrive& drive, const std::vector<Run>& runs, int rate) {
  DayRecording day{runs.empty() ? 0.0 : FileStartClock(runs.front()), {}, {}};
  const auto append = [&](const std::vector<Record>& records) {
    day.records.insert(day.records.end(), records.begin(), records.end());
  };
  for (std::size_t i = 0; i < runs.size(); ++i) {
    const Run& run = runs[i];
    if (i > 0) {
      const double from = day.startClock + static_cast<double>(day.records.size() - 1) * RecordInterval(rate);
      append(drive.Turn(runs[i - 1], run, from, FileStartClock(run), static_cast<int>(i)).records);
    }
    append(run.before.records);
    const long first = static_cast<long>(day.records.size()) + 1;
    append(run.records);
    day.spans.push_back({std::string(RunSetName(run.kind)) + "." + std::to_string(run.number), first,
                         static_cast<long>(day.records.size())});
    append(run.after.records);
  }
  return day;
}

}  // namespace sim
