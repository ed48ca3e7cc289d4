// Fills the analysis record as the run goes: the pipeline tells it after
// each of its steps what the step did, and the loader and the solvers tell
// it what they saw through their observer interfaces. It copies what it is
// told and raises nothing into the run. What the record derives from that
// (residuals, uncertainty, results in every unit, checks, warnings) is
// derived once the run is over, in Finish.
#pragma once

#include <string>
#include <vector>

#include "common/BoundedArray.h"
#include "common/Real.h"
#include "pipeline/RunObserver.h"
#include "record/AnalysisRecord.h"
#include "record/SampleStatuses.h"

namespace record {

class Recorder final : public RunObserver {
 public:
  explicit Recorder(AnalysisRecord& record) : record_(record), statuses_(record) {}

  void Conditions(const UnitFactorSet& factors, Real temperatureC, Real pressureKpa, Real density,
                  Real areaM2) override;
  void SetStarted(RunSet set) override;
  void SetLoaded(RunSet set, const CDataCol& data) override;
  void SetFailed(RunSet set, const RuntimeError& error, const CDataCol& data) override;
  void YawOffset(Real offset) override;
  void Calibrated(const CDataCol& calData, const CVelkCal& calibrator) override;
  void SolverChosen(bool constrained, Real cd, Real cdAp) override;
  void FitStarted(bool final, const CDataCol& data, Real weightN) override;
  void FitEnded(bool final, const CDataCol& data, const BoundedArray<Real>& results,
                const std::string& solverName) override;
  void Filtered(const CDataCol& data) override;
  void Windowed(const CDataCol& data, Real minV, Real maxV, Real minVr, Real maxVr, Real minYaw,
                Real maxYaw) override;
  void Corrected(Real mechFactor, Real aeroFactor, Real standardDensity) override;
  void WindFormed(Real meanHead, Real meanCross, Real maxHead, Real maxCross) override;
  void ReportDone(const std::string& path, bool written, const std::string& cAero, const std::string& cTotal,
                  const std::string& CD) override;
  void ReportFailed(const RuntimeError& error) override;

  void MethodFinished(const MethodResult& result) override;
  void IntervalsAnalysed(const IntervalAnalysis& analysis) override;
  void ImpulseAnalysed(const ImpulseAnalysis& analysis) override;

  RunFileFacts& OnRunFile(const std::string& fileName, Int16 run) override;
  void OnRunRecords(const CDataCol& records) override;
  void OnOutlierTest(const std::vector<double>& residuals, const std::vector<CMeasurement*>& samples, double mean,
                     double sd) override;

  // Before the run: the SHA-256 of each run file is taken as it is read.
  void HashRunFiles(bool on) { record_.hashed = on; }

  // After the run, also one that `error` ended: the error explained, the
  // residuals, uncertainty, results, checks and warnings. Raises nothing;
  // what it cannot derive stays out of the record. A second call does nothing.
  void Finish(const RuntimeError* error) noexcept;

 private:
  void FlushFile();
  // The files of the set beyond its end that the folder holds.
  static void FindLaterFiles(SetRecord& set, const std::vector<std::string>& folderEntries);

  AnalysisRecord& record_;
  SampleStatuses statuses_;
  SetKind loading_ = SetKind::Data;
  bool fileOpen_ = false;
  bool finished_ = false;
  RunFileFacts file_;
  // Second differences of the DATA records' speeds: the sums of their
  // squares and of their neighbours' products, and how many of each, for
  // the noise of the speed sensor.
  double secondDifferenceSquares_ = 0.0, secondDifferenceProducts_ = 0.0;
  long secondDifferences_ = 0, secondDifferencePairs_ = 0;
};

}  // namespace record
