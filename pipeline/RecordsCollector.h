// Keeps the records of every run file of a set as the loader hands them on
// (after the calibrator, before the reduction to one-second samples), for a
// method that works on the records themselves, and tells the run's own
// observer everything it hears.
#pragma once

#include <vector>

#include "data/LoadObserver.h"
#include "methods/AnalysisMethod.h"

class RecordsCollector final : public LoadObserver {
 public:
  RecordsCollector(LoadObserver& forward, double rateHz) : forward_(forward), rateHz_(rateHz) {}

  RunFileFacts& OnRunFile(const std::string& fileName, Int16 run) override;
  void OnRunRecords(const CDataCol& records) override;

  // The runs whose records arrived, in load order.
  const std::vector<RunRecords>& Runs() const { return runs_; }

 private:
  LoadObserver& forward_;
  double rateHz_;
  int run_ = 0;
  std::vector<RunRecords> runs_;
};
