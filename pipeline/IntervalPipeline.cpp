// The run of the interval method, in the order of its steps.
#include "pipeline/IntervalPipeline.h"

#include <algorithm>
#include <cmath>
#include <exception>

#include "app/SAEAppWrapper.h"
#include "calibration/CVelkCal.h"
#include "common/FileSystem.h"
#include "common/Platform.h"
#include "common/RuntimeError.h"
#include "common/TextConversion.h"
#include "common/TextFile.h"
#include "common/UnitFactors.h"
#include "data/CDataCol.h"
#include "methods/IntervalConstants.h"
#include "methods/IntervalMethod.h"
#include "methods/IntervalTimes.h"
#include "methods/TrackWind.h"
#include "pipeline/CommandFields.h"
#include "pipeline/IntervalReport.h"
#include "pipeline/RecordsCollector.h"
#include "pipeline/RunObserver.h"

namespace {

constexpr const char* kReportName = "VB6Output.txt";

double Field(const std::string& text, CommandField field) { return TextToNumber(text, FieldName(field)).value(); }

// °C from the temperature field's unit, as the specified analysis converts it.
double Celsius(double temperature, const std::string& code) {
  if (code == "F") return (temperature - 32.0) * 5.0 / 9.0;
  if (code == "K") return temperature - 273.15;
  if (code == "R") return ((temperature - 459.67) - 32.0) * 5.0 / 9.0;
  return temperature;
}

// Air density of dry air at T °C and P kPa, the specified analysis' gas law.
double GasLaw(double T, double P) { return (P * 1000.0 * 28.964) / ((T + 273.15) * 8314.4); }

// The records a one-second sample of the record and the page is formed from:
// the rate, or the nearest whole number of records for a rate that is not
// one (two at the least, which the reduction to samples needs).
Int16 SampleRate(double rateHz) { return Int16(static_cast<int>(std::max(2.0, std::round(rateHz)))); }

// The wind beside the track during each DATA run, in m/s.
std::vector<TrackWindRun> TrackWinds(const MethodOptions& options, const std::vector<RunRecords>& runs,
                                     double speedFactor) {
  std::vector<TrackWindRun> winds;
  if (!options.trackWind) return winds;
  const std::vector<TrackWindReading> readings = TrackWindReadings(*options.trackWind, speedFactor);
  for (const RunRecords& run : runs) {
    const TrackWindReading* reading = TrackWindOf(readings, run.run);
    if (reading == nullptr) continue;
    TrackWindRun wind;
    wind.run = run.run;
    wind.direction = run.direction;
    wind.speedMs = reading->speed;
    wind.fromDeg = reading->fromDeg;
    wind.headOnMs = HeadOnComponent(*reading, run.direction);
    wind.crossMs = CrossComponent(*reading);
    winds.push_back(wind);
  }
  return winds;
}

// Whether the wind columns hold an anemometer's readings: not when every
// reading is 0, nor when every reading is the vehicle speed.
bool HoldsAnemometer(const std::vector<RunRecords>& runs) {
  bool nonZero = false;
  bool notSpeed = false;
  for (const RunRecords& run : runs) {
    for (std::size_t k = 0; k < run.wind.size(); ++k) {
      nonZero = nonZero || run.wind[k] != 0.0;
      notSpeed = notSpeed || std::fabs(run.wind[k] - run.speed[k]) > 1e-9 * (1.0 + std::fabs(run.speed[k]));
    }
  }
  return nonZero && notSpeed;
}

// Why the result is not one the regulation accepts, from the method's issues.
std::vector<std::string> InvalidBecause(const IntervalResult& result) {
  std::vector<std::string> why;
  for (const IntervalIssue& issue : result.issues) {
    if (issue.kind == IntervalIssueKind::TooFewPairs || issue.kind == IntervalIssueKind::AccuracyExceeded)
      why.push_back(issue.message);
  }
  if (why.empty() && !result.meetsAccuracy) why.emplace_back("not every reference speed meets the accuracy");
  return why;
}

// The first issue that leaves no result, as the error's detail.
std::string FatalDetail(const IntervalResult& result) {
  for (const IntervalIssue& issue : result.issues)
    if (IsFatal(issue.kind)) return issue.message;
  return "f0, f1 and f2 could not be determined from the reference speeds";
}

}  // namespace

void IntervalPipeline::Process(const SAEAppWrapper& run, const std::vector<std::string>& fields,
                               const MethodOptions& options) {
  const UnitFactorSet& factors = UnitFactors();
  // The folder and the conditions as the specified analysis reads them.
  if (run.FileLocation.empty()) Raise(ErrorNumber::PathNotFound, "the FOLDER field is empty");
  const double temperatureC = Celsius(Field(run.Temperature, CommandField::Temperature), factors.TemperatureCode);
  const double pressureKPa = Field(run.Barometer, CommandField::Pressure) * factors.PressureFactor.value();
  const double areaM2 = Field(run.FrontalArea, CommandField::Area) * factors.AreaFactor.value();
  observer_.Conditions(factors, temperatureC, pressureKPa, GasLaw(temperatureC, pressureKPa), areaM2);
  const double massKg = Field(run.RollingWeight, CommandField::Weight) * factors.WeightFactor.value() / kStandardGravity;
  const double speedFactor = factors.SpeedFactor.value();
  analysis_.lowestTestedKmh = Field(run.MinSpeed, CommandField::MinSpeed) * speedFactor * kKmhPerMs;
  analysis_.highestTestedKmh = Field(run.MaxSpeed, CommandField::MaxSpeed) * speedFactor * kKmhPerMs;

  // The method's settings: the regulation's constants, as the user set them,
  // and the reference speeds inside the tested range.
  IntervalSettings settings;
  settings.rateHz = options.rateHz;
  for (const auto& [name, value] : options.constants) {
    FindIntervalConstant(name)->set(settings, value);
    if (std::find(analysis_.constantsSet.begin(), analysis_.constantsSet.end(), name) == analysis_.constantsSet.end())
      analysis_.constantsSet.push_back(name);
  }
  analysis_.settings = WithinTestedRange(settings, analysis_.lowestTestedKmh, analysis_.highestTestedKmh);

  // The masses and conditions. WEIGHT is the mean of the weighings before
  // and after the test and the test mass alike.
  IntervalConditions& conditions = analysis_.conditions;
  conditions.averageMassKg = massKg;
  analysis_.rotatingMass = ChooseRotatingMass(options.rotatingMass, massKg);
  conditions.rotatingMassKg = analysis_.rotatingMass.kg;
  conditions.temperatureC = temperatureC;
  conditions.pressureKPa = pressureKPa;
  for (const RejectedRunOption& rejected : options.rejectedRuns)
    conditions.rejections.push_back({rejected.run, rejected.reason});

  if (run.Calibration || run.ZeroFiles) {
    analysis_.notes.push_back(std::string("the interval method works on the DATA runs' speeds alone: ") +
                              (run.Calibration && run.ZeroFiles ? "CALIBRATE and ZERO ask" : run.Calibration
                                                                                                  ? "CALIBRATE asks"
                                                                                                  : "ZERO asks") +
                              " for runs that it does not analyse");
  }
  if (run.Constrained) analysis_.notes.emplace_back("the CD field is not used by the interval method");
  if (SampleRate(options.rateHz).value() != options.rateHz) {
    analysis_.notes.push_back("the one-second samples of the record, the CSV and the page are groups of " +
                              std::to_string(SampleRate(options.rateHz).value()) +
                              " records, not one second at this rate; the method uses every record at its own time");
  }

  // The DATA runs, read as the specified analysis reads them, their one-second
  // samples formed at the files' rate; the records themselves go to the method.
  CDataCol runData;
  runData.nSampleRate = SampleRate(options.rateHz);
  CVelkCal asRead;  // never calibrated: it leaves the records as they were read
  RecordsCollector collector(observer_, options.rateHz);
  observer_.SetStarted(RunSet::Data);
  try {
    runData.Load(JoinPath(run.FileLocation, "DATA"), asRead, 0.0, &collector);
    observer_.SetLoaded(RunSet::Data, runData);
  } catch (const RuntimeError& error) {
    // The runs read before the error stay, as in the specified analysis.
    observer_.SetFailed(RunSet::Data, error, runData);
  }
  anemometerData_ = HoldsAnemometer(collector.Runs());
  if (options.trackWind) analysis_.trackWindSource = options.trackWind->wholeTest ? "whole test" : options.trackWind->file;
  analysis_.trackWind = TrackWinds(options, collector.Runs(), speedFactor);

  std::vector<IntervalRun> runs;
  runs.reserve(collector.Runs().size());
  for (const RunRecords& records : collector.Runs()) {
    IntervalRun interval;
    interval.number = records.run;
    interval.direction = records.direction;
    interval.speedKmh.reserve(records.speed.size());
    for (const double v : records.speed) interval.speedKmh.push_back(v * kKmhPerMs);
    for (const TrackWindRun& wind : analysis_.trackWind)
      if (wind.run == records.run) interval.alongTrackWindMs = wind.headOnMs;
    runs.push_back(std::move(interval));
  }
  if (runs.empty()) {
    const std::string first = JoinPath(run.FileLocation, "DATA.1");
    Raise(ErrorNumber::InvalidProcedureCall, "no DATA run to analyse: " + first +
                                                 (IsRegularFile(first) ? " holds no record" : " not found"));
  }

  // The method, and whether its result is one the regulation accepts.
  analysis_.result = AnalyseIntervals(runs, conditions, analysis_.settings);
  for (IntervalCorrection& correction : analysis_.result.corrections) {
    if (correction.name == "K1" && !correction.applied)
      correction.note = "not applied: WEIGHT is the test mass and the mean of the weighings alike";
  }
  analysis_.valid = analysis_.result.usable && analysis_.result.meetsAccuracy;
  if (!analysis_.valid) analysis_.invalidBecause = InvalidBecause(analysis_.result);
  analysis_.ran = true;
  observer_.IntervalsAnalysed(analysis_);
  if (!analysis_.result.usable) Raise(ErrorNumber::InvalidProcedureCall, FatalDetail(analysis_.result));

  WriteReport(run.FileLocation, fields, options);
}

void IntervalPipeline::WriteReport(const std::string& folder, const std::vector<std::string>& fields,
                                   const MethodOptions& options) {
  const std::string reportPath = JoinPath(folder, kReportName);
  IntervalReportHead head;
  head.fields = fields;
  head.si = options.si;
  const std::tm now = CurrentLocalTime();
  head.date = FormatReportDate(now) + " at " + FormatReportTime(now);
  const std::string text = IntervalReportText(analysis_, head);
  // Whole or not at all: the text is complete before the file is made, and
  // a failure leaves the previous report in place.
  try {
    StagedFile staged(reportPath);
    staged.Create();
    TextFile report(staged.TemporaryPath(), WriteMode::Replace);
    report.Write(text);
    report.Close();
    staged.Commit();
    observer_.ReportDone(reportPath, true, "", "", "");
  } catch (const RuntimeError&) {
    observer_.ReportDone(reportPath, false, "", "", "");
    ShowMessageBox("coastdown", "Unable to save results.");
    reportSaveFailed_ = true;
  }
}
