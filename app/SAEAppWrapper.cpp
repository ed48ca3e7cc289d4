// Storing the run parameters, loading the unit factors, starting the run.
#include "app/SAEAppWrapper.h"

#include <string>

#include "common/Platform.h"
#include "common/RuntimeError.h"
#include "common/TextConversion.h"
#include "common/UnitFactors.h"
#include "pipeline/cProcess.h"
#include "record/Recorder.h"

namespace {

// The names the command line gives its ten fields.
constexpr const char* kFieldNames[] = {"FOLDER", "CALIBRATE", "ZERO",     "MIN_SPEED", "MAX_SPEED",
                                       "WEIGHT", "TEMPERATURE", "PRESSURE", "AREA",      "CD"};

const std::string& Field(const std::vector<std::string>& params, std::size_t index) {
  if (index >= params.size()) {
    Raise(ErrorNumber::SubscriptOutOfRange, "the command line has " + std::to_string(params.size()) +
                                                " of the 10 fields; field " + std::to_string(index + 1) + " (" +
                                                kFieldNames[index] + ") is missing");
  }
  return params[index];
}

}  // namespace

void SAEAppWrapper::SetParams(const std::vector<std::string>& params) {
  FileLocation = Field(params, 0);
  Calibration = TextToBoolean(Field(params, 1), kFieldNames[1]);
  ZeroFiles = TextToBoolean(Field(params, 2), kFieldNames[2]);
  CorrectTemperature = true;
  CorrectPressure = true;
  CalculateWindSpeed = true;
  FilterData = true;
  FinalSolver = true;
  LimitData = false;
  MinSpeed = Field(params, 3);
  MaxSpeed = Field(params, 4);
  RollingWeight = Field(params, 5);
  Temperature = Field(params, 6);
  Barometer = Field(params, 7);
  FrontalArea = Field(params, 8);
  ConstrainedCD = Field(params, 9);
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
  // Without a listener the record is kept for nobody.
  record::AnalysisRecord unheard;
  record::Recorder local(unheard);
  cProcess process(recorder_ != nullptr ? *recorder_ : local);
  process.RunProcess(*this);
  reportSaveFailed_ = process.ReportSaveFailed();
}
