// The run of the interval method (--method intervals), the small pipeline
// beside cProcess: the test conditions from the ten fields, the wind beside
// the track, the DATA runs read as the specified analysis reads them (so the
// record sees the files and their one-second samples) at the record rate of
// --rate, the method on the vehicle speeds alone, and its own plain-text
// report, written whole or not at all into FOLDER/VB6Output.txt.
#pragma once

#include <string>
#include <vector>

#include "methods/IntervalAnalysis.h"
#include "methods/MethodOptions.h"

class RunObserver;
class SAEAppWrapper;

class IntervalPipeline {
 public:
  // `observer` hears what the run did; it never changes the analysis.
  explicit IntervalPipeline(RunObserver& observer) : observer_(observer) {}

  // The whole method on the run whose fields `run` holds (SetParams done,
  // the unit factors set); `fields` are the ten fields as typed. Data the
  // method cannot take, or that leave no result, end the run with error 5
  // naming the run and the reference speed; no report is written then.
  void Process(const SAEAppWrapper& run, const std::vector<std::string>& fields, const MethodOptions& options);

  const IntervalAnalysis& Analysis() const { return analysis_; }
  // The DATA records hold an anemometer's readings (not all 0, not a copy of
  // the speed), so the specified analysis can run beside the method.
  bool HasAnemometerData() const { return anemometerData_; }
  // Whether the report could not be written ("Unable to save results.").
  bool ReportSaveFailed() const { return reportSaveFailed_; }

 private:
  void WriteReport(const std::string& folder, const std::vector<std::string>& fields, const MethodOptions& options);

  RunObserver& observer_;
  IntervalAnalysis analysis_;
  bool anemometerData_ = false;
  bool reportSaveFailed_ = false;
};
