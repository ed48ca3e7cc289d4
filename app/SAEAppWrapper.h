// The application object: the run parameters and switches of one run, the
// unit factors, and the start of the pipeline. The pipeline reads the
// parameters through it and writes the results cAero, cTotal and CD back.
#pragma once

#include <string>
#include <vector>

#include "methods/AnalysisMethod.h"

class RunObserver;

class SAEAppWrapper {
 public:
  std::string FrontalArea;    // ft²
  std::string RollingWeight;  // lb
  std::string Barometer;      // inHg
  std::string Temperature;    // in the unit named by TemperatureCode
  std::string MaxSpeed;       // mph
  std::string MinSpeed;       // mph
  bool ZeroFiles = false;
  bool Calibration = false;
  bool FilterData = false;
  bool LimitData = false;
  bool SpeedWindowFirst = false;  // ours (--limit-data): the speed bounds of the window also before the first fit
  bool FinalSolver = false;
  bool CorrectTemperature = false;
  bool CorrectPressure = false;
  bool CorrectMass = false;
  bool CalculateWindSpeed = false;
  std::string FileLocation;  // test folder, no trailing separator
  std::string aMech;         // declared result; never filled
  std::string bMech;         // declared result; never filled
  std::string cAero;
  std::string cTotal;
  std::string CD;
  bool SaveSAEOutput = false;
  bool Constrained = false;
  std::string ConstrainedCD;
  int SampleRate = 5;  // records a second of every run file (--rate)

  // Stores the ten command-line fields (index 0 first), fixes the other
  // switches and loads the unit factors. A missing field is error 9.
  void SetParams(const std::vector<std::string>& params);
  // Fills the unit factors from the string resources 1111 to 1116.
  void LoadResources();
  // Runs the whole analysis with a new pipeline object.
  void Process();
  // Has `observer` hear what the analysis does in every later Process.
  void Observe(RunObserver* observer) { observer_ = observer; }
  // Has `method`, a method on the calibrated records, take the place of the
  // fit in every later Process; `given` holds what the options gave it (the
  // pipeline adds the test's conditions). nullptr: the specified fit.
  void UseMethod(AnalysisMethod* method, const MethodConditions& given) {
    method_ = method;
    methodConditions_ = given;
  }
  AnalysisMethod* Method() const { return method_; }
  const MethodConditions& MethodInputs() const { return methodConditions_; }

  // Whether the last Process could not write its report; the entry point
  // turns it into its exit status.
  bool ReportSaveFailed() const { return reportSaveFailed_; }

 private:
  bool reportSaveFailed_ = false;
  RunObserver* observer_ = nullptr;
  AnalysisMethod* method_ = nullptr;
  MethodConditions methodConditions_;
};
