// The run pipeline: the order of the whole analysis, the conversions and
// corrections to standard conditions, the wind statistics, the result texts
// and the report.
#include "pipeline/cProcess.h"

#include <algorithm>
#include <cmath>
#include <ctime>
#include <limits>
#include <optional>
#include <string>
#include <utility>

#include "app/SAEAppWrapper.h"
#include "calibration/CCalibrator.h"
#include "calibration/CVelkCal.h"
#include "common/FileSystem.h"
#include "common/NumberText.h"
#include "common/Platform.h"
#include "common/RuntimeError.h"
#include "common/TextConversion.h"
#include "common/TextFile.h"
#include "common/UnitFactors.h"
#include "common/Version.h"
#include "data/CMeasurement.h"
#include "methods/AnalysisMethod.h"
#include "methods/RotatingMass.h"
#include "pipeline/CommandFields.h"
#include "pipeline/Corrections.h"
#include "pipeline/RecordsCollector.h"
#include "pipeline/RunObserver.h"
#include "pipeline/WindAsRead.h"
#include "solvers/CConstrainedSolver.h"
#include "solvers/CMLRSolve.h"
#include "solvers/CSolver.h"

namespace {

// The report is written in the test folder, beside the run files.
constexpr const char* kReportName = "VB6Output.txt";

// The character with the given code, as the letters of the coefficient
// names are formed; a code beyond one byte has no character.
char Chr(Int16 code) {
  if (code.value() < 0 || code.value() > 255) {
    Raise(ErrorNumber::InvalidProcedureCall, "no character with code " + std::to_string(code.value()));
  }
  return static_cast<char>(code.value());
}

// The text so far padded with blanks so that the next item starts at the
// 25th character of the line.
std::string AtColumn25(std::string text) {
  constexpr std::size_t kColumn = 25;
  if (text.size() < kColumn - 1) text.append(kColumn - 1 - text.size(), ' ');
  return text;
}

// A number written as a value item: its NumberText and one blank.
std::string ValueItem(Real value) { return NumberText(value) + " "; }

// The solver section of a method that took the place of the fit, laid out
// as the solvers' own.
void AppendMethodSection(const std::string& path, const MethodResult& result) {
  TextFile file(path, WriteMode::Append);
  file.WriteLine("SOLVER INFORMATION");
  file.WriteLine(result.solverName);
  file.WriteLine();
  for (const std::string& line : result.reportLines) file.WriteLine(line);
  file.WriteLine();
  file.Close();
}

}  // namespace

cProcess::cProcess(RunObserver& observer) : observer_(observer) {}
cProcess::~cProcess() = default;

void cProcess::RunProcess(SAEAppWrapper& wrapperIn) {
  const UnitFactorSet& factors = UnitFactors();

  // 1. The run whose parameters are read and whose results are written.
  wrapper = &wrapperIn;
  // An empty folder field would name the root folder: nothing there is a
  // test, and nothing there may be written.
  if (Run().FileLocation.empty()) Raise(ErrorNumber::PathNotFound, "the FOLDER field is empty");
  // 2. to 5.: the test conditions in °C, kPa, kg/m³ and m².
  const Real TC = ToCelsius(TextToNumber(Run().Temperature, FieldName(CommandField::Temperature)));
  const Real P = TextToNumber(Run().Barometer, FieldName(CommandField::Pressure)) * factors.PressureFactor;
  Real rho = GasLaw(TC, P);
  const Real A = TextToNumber(Run().FrontalArea, FieldName(CommandField::Area)) * factors.AreaFactor;
  observer_.Conditions(factors, TC, P, rho, A);
  // 6. No correction and no yaw offset yet.
  MechFactor = 1.0;
  AeroFactor = 1.0;
  YawOffset = 0.0;
  // 7. The yaw offset from the zero runs.
  if (Run().ZeroFiles) {
    YawOffset = Zero();
    observer_.YawOffset(YawOffset);
  }
  // 8. The calibrator exists in every run; uncalibrated it leaves the data
  // runs as they were read.
  calibrator = std::make_unique<CVelkCal>();
  if (Run().Calibration) LoadCalibrationSet();
  // 9. The coastdown runs, through the calibrator.
  LoadDataSet();
  // 10. to 14. The road-load fit, or a method of its own in its place.
  BoundedArray<Real> results;
  if (Run().Method() == nullptr) {
    FitRoadLoad(A, rho, results);
  } else {
    RunMethod(TC, P, rho, A, results);
  }
  // 15. Mechanical terms to 20 °C.
  if (Run().CorrectTemperature) MechFactor = TemperatureCorrection(TC, MechFactor);
  // 16. Aerodynamic terms to 98.21 kPa and 20 °C; the rest of the run uses
  // the standard density.
  if (Run().CorrectPressure) {
    AeroFactor = PressureCorrection(TC, P, AeroFactor);
    rho = GasLaw(20.0, 98.21);
  }
  observer_.Corrected(MechFactor, AeroFactor, rho);
  // 17. CorrectMass only adds a line to the report.
  // 18. Wind statistics over the samples of the final fit.
  if (Run().CalculateWindSpeed) {
    Wind();
    observer_.WindFormed(MeanHead, MeanCross, MaxHead, MaxCross);
  }
  // 19. The report; a failure is shown and ends nothing.
  if (Run().SaveSAEOutput) WriteReport(results, A, rho);
  // 20. The run is over.
  wrapper = nullptr;
}

void cProcess::FitRoadLoad(Real A, Real rho, BoundedArray<Real>& results) {
  const UnitFactorSet& factors = UnitFactors();
  // 10. The drag coefficient is converted only once all three sets are in.
  Real Cd;
  if (Run().Constrained) Cd = TextToNumber(Run().ConstrainedCD, FieldName(CommandField::Cd));
  solver = NewSolver(A, Cd, rho);
  // Ours (--limit-data): the window's speed bounds come before the first fit
  // too, so that the outlier filter judges a fit of coasting samples, not
  // one pulled by the standstill and driving an untrimmed run file holds.
  if (Run().LimitData && Run().SpeedWindowFirst) {
    const Real minV = TextToNumber(Run().MinSpeed, FieldName(CommandField::MinSpeed)) * factors.SpeedFactor;
    const Real maxV = TextToNumber(Run().MaxSpeed, FieldName(CommandField::MaxSpeed)) * factors.SpeedFactor;
    const Real lowest = std::numeric_limits<double>::lowest();
    const Real highest = std::numeric_limits<double>::max();
    runData.LimitData(minV, maxV, lowest, highest, lowest, highest);
    observer_.Windowed(runData, minV, maxV, lowest, highest, lowest, highest);
  }
  // 11. The first fit, on every sample of the data set.
  Real W = TextToNumber(Run().RollingWeight, FieldName(CommandField::Weight)) * factors.WeightFactor;
  observer_.FitStarted(false, runData, W);
  solver->Solve(runData, W, results);
  observer_.FitEnded(false, runData, results, solver->sName());
  // 12. Outliers of the first fit leave the data set.
  if (Run().FilterData) {
    solver->Filter(runData, results);
    observer_.Filtered(runData);
  }
  // 13. The speed, relative wind and yaw window.
  if (Run().LimitData) {
    const Real minV = TextToNumber(Run().MinSpeed, FieldName(CommandField::MinSpeed)) * factors.SpeedFactor;
    const Real maxV = TextToNumber(Run().MaxSpeed, FieldName(CommandField::MaxSpeed)) * factors.SpeedFactor;
    runData.LimitData(minV, maxV, 2.2352, 9999.0, -20.0, 20.0);
    observer_.Windowed(runData, minV, maxV, 2.2352, 9999.0, -20.0, 20.0);
  }
  // 14. The final fit sees only the samples the filter and window kept.
  if (Run().FinalSolver) {
    solver = NewSolver(A, Cd, rho);
    W = TextToNumber(Run().RollingWeight, FieldName(CommandField::Weight)) * factors.WeightFactor;
    observer_.FitStarted(true, runData, W);
    solver->Solve(runData, W, results);
    observer_.FitEnded(true, runData, results, solver->sName());
  }
}

void cProcess::RunMethod(Real TC, Real P, Real rho, Real A, BoundedArray<Real>& results) {
  const UnitFactorSet& factors = UnitFactors();
  // The specified fit still runs, so that the record can set its road load
  // beside the method's; an error there ends the comparison, not the run.
  std::string fitFailure;
  std::optional<RuntimeError> fitError;
  try {
    FitRoadLoad(A, rho, results);
  } catch (const RuntimeError& error) {
    fitFailure = "the specified fit beside the method ended with " + std::string(error.what());
    fitError = error;
  }
  MethodRun run;
  run.data = collector_ ? collector_->Runs() : std::vector<RunRecords>();
  // Without a DATA record there is nothing for the method either, and the
  // specified fit's error says why.
  if (run.data.empty() && fitError) throw *fitError;
  MethodConditions& c = run.conditions;
  c = Run().MethodInputs();
  c.temperatureC = TC.value();
  c.pressureKPa = P.value();
  c.testDensity = rho.value();
  c.standardDensity = GasLaw(20.0, 98.21).value();
  c.areaM2 = A.value();
  c.massKg = (TextToNumber(Run().RollingWeight, FieldName(CommandField::Weight)) * factors.WeightFactor).value() /
             kStandardGravity;
  c.rotatingMass = ChooseRotatingMass(c.rotatingMassOption, c.massKg);
  if (Run().Constrained) c.knownCd = TextToNumber(Run().ConstrainedCD, FieldName(CommandField::Cd)).value();
  c.minSpeedMs = (TextToNumber(Run().MinSpeed, FieldName(CommandField::MinSpeed)) * factors.SpeedFactor).value();
  c.maxSpeedMs = (TextToNumber(Run().MaxSpeed, FieldName(CommandField::MaxSpeed)) * factors.SpeedFactor).value();
  c.rateHz = RecordRate();
  c.limitData = Run().LimitData;
  // What the records were formed with, so that the method can tell how its
  // result moves with each calibrated quantity.
  run.windAsReadHoldsAnemometer = windAsReadHoldsAnemometer_;
  run.calibration.zeroOffset = Run().ZeroFiles;
  run.calibration.zeroOffsetDeg = YawOffset.value();
  if (const auto* velk = dynamic_cast<const CVelkCal*>(calibrator.get()); velk != nullptr && Run().Calibration) {
    run.calibration.calibrated = true;
    run.calibration.Ka = velk->Ka.value();
    run.calibration.yawOffsetDeg = velk->CalYawOffset.value();
    run.calibration.Ky = velk->Ky.value();
    run.calibration.k3 = velk->k3.value();
    run.calibration.K4 = velk->K4.value();
  }
  MethodResult result = Run().Method()->Analyse(run);
  if (!fitFailure.empty()) result.notes.insert(result.notes.begin(), fitFailure);
  // What the method leaves open is no term of the report's model: only m0,
  // m1 and m2 must be determined.
  for (std::size_t j = 0; j < 3; ++j) result.completed = result.completed && std::isfinite(result.coefficients[j]);
  observer_.MethodFinished(result);
  if (!result.completed) {
    Raise(ErrorNumber::InvalidProcedureCall,
          result.notes.empty() ? "the " + result.method + " method gave no result" : result.notes.back());
  }
  results.ReDim(1, 8);
  for (long j = 1; j <= 8; ++j) {
    const double value = result.coefficients[static_cast<std::size_t>(j - 1)];
    results(j) = std::isfinite(value) ? value : 0.0;
  }
  methodResult_ = std::make_unique<MethodResult>(std::move(result));
}

Real cProcess::GasLaw(Real T, Real P) const { return (P * 1000.0 * 28.964) / ((T + 273.15) * 8314.4); }

std::string cProcess::MechDragCo(const BoundedArray<Real>& sol, Int16 mechOrder, Int16 /*airOrder*/) {
  const UnitFactorSet& factors = UnitFactors();
  std::string text;
  const Int16 last = mechOrder + 1;
  for (Int16 i = 1; i <= last; ++i) {
    const Real v = sol(i) * MechFactor / factors.ForceFactor * Pow(factors.SpeedFactor, Real(i - 1));
    text += Chr(Int16(64) + i);
    text += "mech: ";
    text += FormatFixed(v, "0." + std::string(static_cast<std::size_t>((Int16(2) * i).value()), '0'));
    if (i > 2) text += " ^" + NumberText(Real(i - 1));
    text += "\r\n";
  }
  return text;
}

std::string cProcess::AeroResults(const BoundedArray<Real>& sol, Int16 mechOrder, Int16 /*airOrder*/, Real area,
                                  Real density) {
  const UnitFactorSet& factors = UnitFactors();
  const Real a = sol(mechOrder + 2);
  const Real c = sol(3);

  const Real ca = a * AeroFactor / factors.ForceFactor * Pow(factors.SpeedFactor, 2.0);
  Run().cAero = NumberText(ca);
  const Real ct = (c * MechFactor + a * AeroFactor) / factors.ForceFactor * Pow(factors.SpeedFactor, 2.0);
  Run().cTotal = NumberText(ct);

  std::string text = "Caero: " + FormatFixed(ca, "0.000000") + " N/MPH ^ 2\r\n";
  text += "Ctotl: " + FormatFixed(ct, "0.000000") + " N/MPH ^ 2\r\n";
  text += "\r\n";
  // The area goes back in the units it was given in.
  text += "Area: " + NumberText(area / factors.AreaFactor) + "ft ^2 \r\n";
  const Real Cd = a / (density * 0.5 * area) * AeroFactor;
  Run().CD = NumberText(Cd);
  // Ours: a method whose aerodynamic term is a convention (no anemometer)
  // prints no drag coefficient that only the convention made.
  const bool cdOpen = methodResult_ && std::find(methodResult_->notDetermined.begin(),
                                                 methodResult_->notDetermined.end(),
                                                 "a0") != methodResult_->notDetermined.end();
  text += "Cd:    " + (cdOpen ? std::string("not determined") : FormatFixed(Cd, "0.000")) + "\r\n";
  return text;
}

Real cProcess::Zero() {
  // Its own collection and calibrator, never calibrated: the zero runs are
  // taken as read.
  CDataCol zeroData;
  zeroData.nSampleRate = Int16(Run().SampleRate);
  CVelkCal zeroCalibrator;
  observer_.SetStarted(RunSet::Zero);
  // Whatever goes wrong with the zero runs, the analysis goes on without
  // a yaw offset.
  try {
    const std::string name = JoinPath(Run().FileLocation, "ZERO");
    zeroData.Load(name, zeroCalibrator, 0.0, &observer_);
    AppendLog("Zero files loaded");
    observer_.SetLoaded(RunSet::Zero, zeroData);
    return zeroData.Average()->dAngle;
  } catch (const RuntimeError& error) {
    observer_.SetFailed(RunSet::Zero, error, zeroData);
    return 0.0;
  }
}

void cProcess::Wind() {
  Int16 count = 0;
  for (const CMeasurement& sample : runData) {
    if (sample.nRun <= 0) continue;
    const Real north = sample.North();
    const Real east = sample.East();
    if (Abs(MaxHead) < Abs(north)) MaxHead = Abs(north);
    MeanHead = MeanHead + north;
    if (Abs(MaxCross) < Abs(east)) MaxCross = Abs(east);
    MeanCross = MeanCross + east;
    ++count;
  }
  MeanHead = MeanHead / Real(count);
  MeanCross = MeanCross / Real(count);
}

void cProcess::AppendLog(const std::string& message) { MessageLog += "\r\n" + message; }

void cProcess::LoadCalibrationSet() {
  calData = CDataCol();
  calData.nSampleRate = Int16(Run().SampleRate);
  std::string name;
  try {
    name = JoinPath(Run().FileLocation, "CAL");
  } catch (const RuntimeError&) {
    return;
  }
  // From here on an error ends the run: a calibration that cannot be
  // loaded or fitted must not pass for one.
  observer_.SetStarted(RunSet::Cal);
  calData.Load(name, *calibrator, YawOffset, &observer_);
  AppendLog("Calibration files loaded");
  observer_.SetLoaded(RunSet::Cal, calData);
  calibrator->Calabrate(calData);
  AppendLog("Calibration complete");
  if (const auto* velk = dynamic_cast<const CVelkCal*>(calibrator.get())) observer_.Calibrated(calData, *velk);
}

void cProcess::LoadDataSet() {
  runData = CDataCol();
  runData.nSampleRate = Int16(Run().SampleRate);
  observer_.SetStarted(RunSet::Data);
  // An error ends the load silently; the runs read before it stay and the
  // fit decides whether they are enough.
  try {
    const std::string name = JoinPath(Run().FileLocation, "DATA");
    // A method on the records gets them as the loader hands them on.
    LoadObserver* loadObserver = &observer_;
    if (Run().Method() == nullptr) {
      runData.Load(name, *calibrator, YawOffset, loadObserver);
    } else {
      collector_ = std::make_unique<RecordsCollector>(observer_, RecordRate());
      loadObserver = collector_.get();
      // The wind columns are judged as read; the calibrator does the rest.
      WindAsRead watch(*calibrator);
      try {
        runData.Load(name, watch, YawOffset, loadObserver);
      } catch (const RuntimeError&) {
        windAsReadHoldsAnemometer_ = watch.HoldsAnemometer();
        throw;
      }
      windAsReadHoldsAnemometer_ = watch.HoldsAnemometer();
    }
    AppendLog("Data files loaded");
    observer_.SetLoaded(RunSet::Data, runData);
  } catch (const RuntimeError& error) {
    observer_.SetFailed(RunSet::Data, error, runData);
    return;
  }
}

Real cProcess::ToCelsius(Real temperature) {
  const std::string& code = UnitFactors().TemperatureCode;
  if (code == "C") return temperature;
  if (code == "F") return (temperature - 32.0) * 5.0 / 9.0;
  if (code == "K") return temperature - 273.15;
  if (code == "R") return ((temperature - 459.67) - 32.0) * 5.0 / 9.0;
  AppendLog("Incorrect temp letter code");
  return 0.0;
}

std::string cProcess::WriteReport(BoundedArray<Real>& results, Real A, Real rho) {
  // The sections are written under a temporary name and renamed over the
  // report when the last is in, so the folder never holds half a report
  // that looks whole, and a link or FIFO of the report's name is replaced
  // rather than written through.
  std::string reportPath = JoinPath(Run().FileLocation, kReportName);
  StagedFile staged(reportPath);
  try {
    const SAEAppWrapper& run = Run();
    staged.Create();
    const std::string& path = staged.TemporaryPath();
    TextFile report(path, WriteMode::Replace);

    report.WriteLine("SAE 2263 Data Analysis");
    // Both texts end with a line end of their own, so each block is
    // followed by an empty line.
    report.WriteLine(MechDragCo(results, 2, 4));
    report.WriteLine(AeroResults(results, 2, 4, A, rho));
    const std::tm now = CurrentLocalTime();
    report.WriteLine("Report Generated on " + FormatReportDate(now) + " at " + FormatReportTime(now));
    report.WriteLine("Program Version " + std::to_string(kProgramVersion.major) + "." +
                     std::to_string(kProgramVersion.minor) + "." + std::to_string(kProgramVersion.revision));
    report.WriteLine();

    // The test conditions as they were typed, not as converted.
    report.WriteLine(AtColumn25("Area:") + run.FrontalArea + " ");
    report.WriteLine(AtColumn25("Inertia Weight:") + run.RollingWeight + " ");
    report.WriteLine();
    report.WriteLine(AtColumn25("Pressure:") + run.Barometer + " ");
    report.WriteLine(AtColumn25("Temperature:") + run.Temperature + " ");
    report.WriteLine();
    report.WriteLine("Test Range");
    report.WriteLine("From " + run.MinSpeed + " to " + run.MaxSpeed);
    report.WriteLine();

    if (run.CalculateWindSpeed) {
      // Wind in the speed unit of the input.
      const Real speedFactor = UnitFactors().SpeedFactor;
      report.WriteLine("Average Wind");
      report.WriteLine("Head: " + FormatFixed(MeanHead / speedFactor, "0.00") + " Cross: " +
                       FormatFixed(MeanCross / speedFactor, "0.00"));
      report.WriteLine("Max Wind");
      report.WriteLine("Head: " + FormatFixed(MaxHead / speedFactor, "0.00") + " Cross: " +
                       FormatFixed(MaxCross / speedFactor, "0.00"));
      report.WriteLine();
    }
    if (run.CorrectTemperature) {
      report.WriteLine("Mechanical terms corrected to standard temperature of " + ValueItem(20.0) + "C");
    }
    if (run.CorrectPressure) {
      report.WriteLine("Aero terms corrected to standard pressure of " + ValueItem(98.21) + "kPa");
    }
    if (run.CorrectMass) report.WriteLine("Mechanical terms corrected to weight of " + run.RollingWeight + " ");
    report.WriteLine();
    report.WriteLine();
    report.Close();

    calibrator->PrintResults(path);
    if (methodResult_) {
      AppendMethodSection(path, *methodResult_);
    } else {
      solver->PrintResults(path);
    }
    staged.Commit();
    observer_.ReportDone(reportPath, true, run.cAero, run.cTotal, run.CD);
    return reportPath;
  } catch (const RuntimeError& error) {
    // The report keeps what was written before the error.
    staged.KeepPartial();
    observer_.ReportFailed(error);
    observer_.ReportDone(reportPath, false, Run().cAero, Run().cTotal, Run().CD);
    ShowMessageBox("coastdown", "Unable to save results.");
    reportSaveFailed_ = true;
    return {};
  }
}

double cProcess::RecordRate() const {
  // A rate that is not a whole number of records a second (--rate 12.5)
  // forms one-second samples of the nearest whole number; the method takes
  // every record at its own time.
  const double given = Run().MethodInputs().rateHz;
  const int samples = Run().SampleRate;
  return std::fabs(given - samples) <= 0.5 || (samples == 2 && given > 0.0 && given < 2.5) ? given : samples;
}

SAEAppWrapper& cProcess::Run() const {
  if (wrapper == nullptr) Raise(ErrorNumber::InvalidProcedureCall, "no run in progress");
  return *wrapper;
}

std::unique_ptr<CSolver> cProcess::NewSolver(Real A, Real Cd, Real rho) const {
  if (!Run().Constrained) {
    auto regression = std::make_unique<CMLRSolve>();
    regression->Observe(&observer_);
    observer_.SolverChosen(false, 0.0, 0.0);
    return regression;
  }
  auto constrained = std::make_unique<CConstrainedSolver>();
  constrained->Observe(&observer_);
  const Real CdAp = A * Cd * rho * 0.5;
  observer_.SolverChosen(true, Cd, CdAp);
  constrained->ExtraInfo(0, 0, CdAp, 0.0);
  return constrained;
}
