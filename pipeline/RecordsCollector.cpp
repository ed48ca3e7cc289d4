// Collecting the records of a set for a method.
#include "pipeline/RecordsCollector.h"

#include "data/CDataCol.h"

RunFileFacts& RecordsCollector::OnRunFile(const std::string& fileName, Int16 run) {
  run_ = run.value();
  return forward_.OnRunFile(fileName, run);
}

void RecordsCollector::OnRunRecords(const CDataCol& records) {
  forward_.OnRunRecords(records);
  RunRecords run;
  run.run = run_;
  run.direction = run_ % 2 == 1 ? 1 : -1;
  run.rateHz = rateHz_;
  const auto count = static_cast<std::size_t>(records.Count());
  run.speed.reserve(count);
  run.wind.reserve(count);
  run.yaw.reserve(count);
  for (const CMeasurement& m : records) {
    run.speed.push_back(m.dVehicleSpeed.value());
    run.wind.push_back(m.dWindSpeed.value());
    run.yaw.push_back(m.dAngle.value());
  }
  runs_.push_back(std::move(run));
}
