// Fills the analysis record as the run goes: the pipeline tells it after
// each of its steps what the step did, and the loader and the solvers tell
// it what they saw through their observer interfaces. It only reads the
// analysis' state and raises nothing into the run; what it derives itself
// (residuals, uncertainty, results in every unit, checks, warnings) it
// derives at the end, in Finish.
#pragma once

#include <string>
#include <vector>

#include "common/BoundedArray.h"
#include "common/Real.h"
#include "data/LoadObserver.h"
#include "record/AnalysisRecord.h"
#include "solvers/FitObserver.h"

class CDataCol;
class CMeasurement;
class CVelkCal;
class RuntimeError;
struct UnitFactorSet;

namespace record {

class Recorder : public LoadObserver, public FitObserver {
 public:
  explicit Recorder(AnalysisRecord& record) : record_(record) {}

  // The steps of the run, in the order they happen.
  void Conditions(const UnitFactorSet& factors, Real temperatureC, Real pressureKpa, Real density, Real areaM2);
  // The loader's next files belong to this set.
  void SetStarted(SetKind kind);
  // The set is loaded (also when what follows it fails).
  void SetLoaded(SetKind kind, const CDataCol& data);
  // An error ended the set, and the step that loads it went on without the rest.
  void SetFailed(SetKind kind, const RuntimeError& error, const CDataCol& data);
  void YawOffset(Real offset);
  void Calibrated(const CDataCol& calData, const CVelkCal& calibrator);
  void SolverChosen(bool constrained, Real cd, Real cdAp);
  void FitStarted(bool final, const CDataCol& data, Real weightN);
  void FitEnded(bool final, const CDataCol& data, const BoundedArray<Real>& results, const std::string& solverName);
  void Filtered(const CDataCol& data);
  void Windowed(const CDataCol& data, Real minV, Real maxV, Real minVr, Real maxVr, Real minYaw, Real maxYaw);
  void Corrected(Real mechFactor, Real aeroFactor, Real standardDensity);
  void WindFormed(Real meanHead, Real meanCross, Real maxHead, Real maxCross);
  void ReportDone(const std::string& path, bool written, const std::string& cAero, const std::string& cTotal,
                  const std::string& CD);

  // After the run, also one that `error` ended: the residuals, uncertainty,
  // results, checks and warnings. `provenance` adds the SHA-256 of the files.
  void Finish(const RuntimeError* error, bool provenance);

  // A detail for an error that ended the run, naming its cause in the
  // user's terms when the record knows it; otherwise the error's own.
  std::string Explain(const RuntimeError& error) const;

  RunFileFacts& OnRunFile(const std::string& fileName, Int16 run) override;
  void OnRunRecords(const CDataCol& records) override;
  void OnOutlierTest(const std::vector<double>& residuals, const std::vector<CMeasurement*>& samples, double mean,
                     double sd) override;

 private:
  // Where the run was when it stopped, for Explain and for marking a set
  // that an unhandled error ended.
  enum class Stage { Start, Loading, Calibrating, FirstFit, Filter, Window, FinalFit, Results };

  void FlushFile();
  void CopySamples(SetKind kind, const CDataCol& data);
  void FindLaterFiles(SetRecord& set) const;
  void MarkExcluded(const CDataCol& data, SampleStatus status);
  void DeriveResults();
  void DeriveChecks();
  void DeriveWarnings();
  void Warn(const std::string& text) { record_.warnings.push_back(text); }
  std::string Folder() const;

  AnalysisRecord& record_;
  Stage stage_ = Stage::Start;
  SetKind loading_ = SetKind::Data;
  bool fileOpen_ = false;
  RunFileFacts file_;
  std::vector<bool> copied_ = {false, false, false};
  std::size_t dataStart_ = 0;                    // where the DATA samples begin in record_.samples
  std::vector<const CMeasurement*> dataSamples_;  // the DATA samples in collection order
  std::vector<bool> included_;                    // which of them took part before the step
  bool constrained_ = false;
  // Second differences of the DATA records' speeds: the sums of their
  // squares and of their neighbours' products, and how many of each, for
  // the noise of the speed sensor.
  double secondDifferenceSquares_ = 0.0, secondDifferenceProducts_ = 0.0;
  long secondDifferences_ = 0, secondDifferencePairs_ = 0;
};

}  // namespace record
