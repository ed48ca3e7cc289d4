// The pipeline object: carries one analysis from the run parameters to the
// report.
#pragma once

class SAEAppWrapper;

class cProcess {
 public:
  void RunProcess(SAEAppWrapper& wrapper);

  // Whether the report writer failed ("Unable to save results.").
  bool ReportSaveFailed() const { return reportSaveFailed_; }

 private:
  SAEAppWrapper* wrapper_ = nullptr;
  bool reportSaveFailed_ = false;
};
