// Storing the run parameters, loading the unit factors, starting the run.
#include "app/SAEAppWrapper.h"

#include <string>

#include "common/Platform.h"
#include "common/RuntimeError.h"
#include "common/TextConversion.h"
#include "common/UnitFactors.h"
#include "pipeline/cProcess.h"
#include "pipeline/CommandFields.h"
#include "pipeline/RunObserver.h"

namespace {

const std::string& Field(const std::vector<std::string>& params, CommandField field) {
  const std::size_t index = FieldIndex(field);
  if (index >= params.size()) {
    Raise(ErrorNumber::SubscriptOutOfRange, "the command line has " + std::to_string(params.size()) +
                                                " of the 10 fields; field " + std::to_string(index + 1) + " (" +
                                                FieldName(field) + ") is missing");
  }
  return params[index];
}

// The listener of a run that nobody listens to: it keeps nothing.
class Unheard final : public RunObserver {
 public:
  void Conditions(const UnitFactorSet&, Real, Real, Real, Real) override {}
  void SetStarted(RunSet) override {}
  void SetLoaded(RunSet, const CDataCol&) override {}
  void SetFailed(RunSet, const RuntimeError&, const CDataCol&) override {}
  void YawOffset(Real) override {}
  void Calibrated(const CDataCol&, const CVelkCal&) override {}
  void SolverChosen(bool, Real, Real) override {}
  void FitStarted(bool, const CDataCol&, Real) override {}
  void FitEnded(bool, const CDataCol&, const BoundedArray<Real>&, const std::string&) override {}
  void Filtered(const CDataCol&) override {}
  void Windowed(const CDataCol&, Real, Real, Real, Real, Real, Real) override {}
  void Corrected(Real, Real, Real) override {}
  void WindFormed(Real, Real, Real, Real) override {}
  void ReportDone(const std::string&, bool, const std::string&, const std::string&, const std::string&) override {}
  RunFileFacts& OnRunFile(const std::string&, Int16) override { return facts_; }
  void OnOutlierTest(const std::vector<double>&, const std::vector<CMeasurement*>&, double, double) override {}

 private:
  RunFileFacts facts_;  // filled by the loader, read by nobody
};

}  // namespace

void SAEAppWrapper::SetParams(const std::vector<std::string>& params) {
  FileLocation = Field(params, CommandField::Folder);
  Calibration = TextToBoolean(Field(params, CommandField::Calibrate), FieldName(CommandField::Calibrate));
  ZeroFiles = TextToBoolean(Field(params, CommandField::Zero), FieldName(CommandField::Zero));
  CorrectTemperature = true;
  CorrectPressure = true;
  CalculateWindSpeed = true;
  FilterData = true;
  FinalSolver = true;
  LimitData = false;
  MinSpeed = Field(params, CommandField::MinSpeed);
  MaxSpeed = Field(params, CommandField::MaxSpeed);
  RollingWeight = Field(params, CommandField::Weight);
  Temperature = Field(params, CommandField::Temperature);
  Barometer = Field(params, CommandField::Pressure);
  FrontalArea = Field(params, CommandField::Area);
  ConstrainedCD = Field(params, CommandField::Cd);
  SaveSAEOutput = true;
  if (!ConstrainedCD.empty()) Constrained = true;
  LoadResources();
}

void SAEAppWrapper::LoadResources() {
  UnitFactorSet& factors = UnitFactors();
  factors.AreaFactor = TextToNumber(LoadResourceString(1111), "string resource 1111");
  factors.TemperatureCode = LoadResourceString(1112);
  factors.PressureFactor = TextToNumber(LoadResourceString(1113), "string resource 1113");
  factors.WeightFactor = TextToNumber(LoadResourceString(1114), "string resource 1114");
  factors.SpeedFactor = TextToNumber(LoadResourceString(1115), "string resource 1115");
  factors.ForceFactor = TextToNumber(LoadResourceString(1116), "string resource 1116");
}

void SAEAppWrapper::Process() {
  Unheard unheard;
  cProcess process(observer_ != nullptr ? *observer_ : unheard);
  process.RunProcess(*this);
  reportSaveFailed_ = process.ReportSaveFailed();
}
