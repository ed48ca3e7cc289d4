// What the run tells whoever keeps a record of it: after each of its steps,
// what the step did, and through the loader's and the solvers' own observer
// interfaces what they saw. The run only tells; nothing it does depends on
// the listener, and a listener raises nothing into the run.
#pragma once

#include <string>

#include "common/BoundedArray.h"
#include "common/Real.h"
#include "data/LoadObserver.h"
#include "solvers/FitObserver.h"

class CDataCol;
class CVelkCal;
class RuntimeError;
struct ImpulseAnalysis;
struct IntervalAnalysis;
struct MethodResult;
struct UnitFactorSet;

// The three run-file sets of a test, in the order the run loads them.
enum class RunSet { Zero, Cal, Data };

class RunObserver : public LoadObserver, public FitObserver {
 public:
  // The steps of the run, in the order they happen.
  virtual void Conditions(const UnitFactorSet& factors, Real temperatureC, Real pressureKpa, Real density,
                          Real areaM2) = 0;
  // The loader's next files belong to this set.
  virtual void SetStarted(RunSet set) = 0;
  // The set is loaded (also when what follows it fails).
  virtual void SetLoaded(RunSet set, const CDataCol& data) = 0;
  // An error ended the set, and the step that loads it went on without the rest.
  virtual void SetFailed(RunSet set, const RuntimeError& error, const CDataCol& data) = 0;
  virtual void YawOffset(Real offset) = 0;
  virtual void Calibrated(const CDataCol& calData, const CVelkCal& calibrator) = 0;
  virtual void SolverChosen(bool constrained, Real cd, Real cdAp) = 0;
  virtual void FitStarted(bool final, const CDataCol& data, Real weightN) = 0;
  virtual void FitEnded(bool final, const CDataCol& data, const BoundedArray<Real>& results,
                        const std::string& solverName) = 0;
  virtual void Filtered(const CDataCol& data) = 0;
  virtual void Windowed(const CDataCol& data, Real minV, Real maxV, Real minVr, Real maxVr, Real minYaw,
                        Real maxYaw) = 0;
  virtual void Corrected(Real mechFactor, Real aeroFactor, Real standardDensity) = 0;
  virtual void WindFormed(Real meanHead, Real meanCross, Real maxHead, Real maxCross) = 0;
  virtual void ReportDone(const std::string& path, bool written, const std::string& cAero,
                          const std::string& cTotal, const std::string& CD) = 0;
  // The error that stopped the report ("Unable to save results."), before ReportDone.
  virtual void ReportFailed(const RuntimeError& error) { static_cast<void>(error); }

  // The methods beside the specified analysis (--method); a listener of the
  // specified analysis alone need not hear them.
  // A method on the calibrated records took the place of the fit.
  virtual void MethodFinished(const MethodResult& result) { static_cast<void>(result); }
  // The interval method ran (also when what it found leaves no result).
  virtual void IntervalsAnalysed(const IntervalAnalysis& analysis) { static_cast<void>(analysis); }
  // What the impulse method found besides its coefficients.
  virtual void ImpulseAnalysed(const ImpulseAnalysis& analysis) { static_cast<void>(analysis); }

 protected:
  RunObserver() = default;
  RunObserver(const RunObserver&) = default;
  RunObserver& operator=(const RunObserver&) = default;
};
