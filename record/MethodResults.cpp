// The record's method-neutral section, the interval method's results and
// checks, and the comparison with the specified analysis.
#include "record/MethodResults.h"

#include <algorithm>
#include <cmath>
#include <initializer_list>

#include "common/LeastSquares.h"
#include "common/UnitFactors.h"
#include "methods/AnalysisMethod.h"
#include "methods/IntervalChecks.h"
#include "methods/IntervalMethod.h"
#include "record/CalibrationUncertainty.h"
#include "record/FitStatistics.h"
#include "record/Results.h"
#include "record/RoadLoad.h"

namespace record {

namespace {

constexpr double kLegacyReferencePressureKPa = 98.21;
constexpr double kMetresPerSecondPerMph = 0.44704;

// f0 (N), f1 (N/(km/h)), f2 (N/(km/h)²) with their intervals from the pairs.
std::vector<Estimate> RoadLoadEstimates(const RoadLoadCoefficients& c, const char* mark) {
  static const char* const kNames[3] = {"f0", "f1", "f2"};
  static const char* const kUnits[3] = {"N", "N/(km/h)", "N/(km/h)^2"};
  std::vector<Estimate> estimates;
  if (!c.solved) return estimates;
  for (std::size_t i = 0; i < 3; ++i) {
    Estimate e;
    e.name = std::string(kNames[i]) + mark;
    e.unit = kUnits[i];
    e.value = c.value[i];
    if (c.covariance && (*c.covariance)[i * 4] >= 0.0) {
      e.standardError = std::sqrt((*c.covariance)[i * 4]);
      e.dof = c.degreesOfFreedom.value_or(kNone);
      e.components.push_back({"pairs", e.standardError, e.dof});
    }
    if (c.halfWidth) {
      e.low = c.value[i] - (*c.halfWidth)[i];
      e.high = c.value[i] + (*c.halfWidth)[i];
    }
    estimates.push_back(e);
  }
  return estimates;
}

// F = f0 + f1·v + f2·v² at v km/h, with f2 scaled by `f2Scale`, and its
// interval from the coefficients' covariance.
MethodRoadLoadPoint RoadLoadAt(const RoadLoadCoefficients& c, double kmh, double f2Scale = 1.0) {
  MethodRoadLoadPoint point;
  point.speedMs = kmh / kKmhPerMs;
  const double g[3] = {1.0, kmh, kmh * kmh * f2Scale};
  point.force = c.value[0] * g[0] + c.value[1] * g[1] + c.value[2] * g[2];
  if (!c.covariance || !c.studentT) return point;
  double variance = 0.0;
  for (std::size_t i = 0; i < 3; ++i)
    for (std::size_t j = 0; j < 3; ++j) variance += g[i] * (*c.covariance)[i * 3 + j] * g[j];
  if (!(variance >= 0.0)) return point;
  point.standardError = std::sqrt(variance);
  point.dof = c.degreesOfFreedom.value_or(kNone);
  point.low = point.force - *c.studentT * point.standardError;
  point.high = point.force + *c.studentT * point.standardError;
  return point;
}

void LegacySection(AnalysisRecord& record) {
  MethodRecord& m = record.method;
  const FitRecord& fit = ResultFit(record);
  m.solver = fit.solver;
  m.completed = fit.completed;
  m.referenceTemperatureC = 20.0;
  m.referencePressureKPa = kLegacyReferencePressureKPa;
  m.speedUnit = m.si ? "km/h" : "mph";
  if (record.uncertainty.available) {
    m.coefficients = record.uncertainty.coefficients;
  } else if (fit.completed) {
    static const char* const kNames[8] = {"m0", "m1", "m2", "a0", "a1", "a2", "a3", "a4"};
    for (std::size_t j = 0; j < 8; ++j) {
      Estimate e;
      e.name = kNames[j];
      e.value = fit.coefficients[j];
      m.coefficients.push_back(e);
    }
  }
  for (const RoadLoadPoint& p : record.uncertainty.roadLoad) {
    MethodRoadLoadPoint point;
    point.speed = p.speedMph;
    point.speedMs = p.speedMph * record.speedFactor;
    point.force = p.force;
    point.standardError = p.standardError;
    point.dof = p.dof;
    point.low = p.low;
    point.high = p.high;
    m.roadLoad.push_back(point);
  }
}

void IntervalsSection(AnalysisRecord& record) {
  const IntervalAnalysis& a = record.intervals;
  const IntervalResult& r = a.result;
  MethodRecord& m = record.method;
  m.solver = "Reference-Speed Intervals";
  m.completed = r.usable;
  m.referenceTemperatureC = a.settings.referenceTemperatureC;
  m.referencePressureKPa = a.settings.referencePressureKPa;
  m.speedUnit = "km/h";
  m.coefficients = RoadLoadEstimates(r.atTest, "");
  if (r.corrected.solved) {
    for (const double v : r.referenceKmh) {
      MethodRoadLoadPoint point = RoadLoadAt(r.corrected, v);
      point.speed = v;
      m.roadLoad.push_back(point);
    }
  }
  // What the data left open; the accuracy and the pairs are checks, and an
  // issue that leaves no result is the run's error.
  m.notes = a.notes;
  for (const IntervalIssue& issue : r.issues) {
    if (IsFatal(issue.kind) || issue.kind == IntervalIssueKind::TooFewPairs ||
        issue.kind == IntervalIssueKind::AccuracyExceeded)
      continue;
    m.notes.push_back(issue.message);
  }

  // The record's results are the method's: f0, f1, f2 at the reference
  // conditions. What it does not determine (the mechanical and aerodynamic
  // terms apart, Cd) is left out.
  ResultsRecord& results = record.results;
  results.available = r.usable;
  if (r.usable) results.roadLoad = RoadLoadEstimates(r.corrected, "");
  record.uncertainty.available = false;
  record.uncertainty.why = "the interval method states its intervals in method and intervals";

  // The DATA samples of the runs whose pairs count somewhere were used.
  std::vector<int> used;
  for (const IntervalPair& pair : r.pairs) {
    if (std::none_of(pair.seconds.begin(), pair.seconds.end(), [](const auto& t) { return t.has_value(); })) continue;
    used.push_back(pair.firstRun);
    used.push_back(pair.secondRun);
  }
  for (SampleRecord& s : record.samples) {
    if (s.set != SetKind::Data) continue;
    s.status = std::find(used.begin(), used.end(), s.run) != used.end() ? SampleStatus::Used : SampleStatus::NotUsed;
  }
}

// The coefficients m0 … a4 of the layout, for the uncertainty's names.
constexpr const char* kLayoutNames[8] = {"m0", "m1", "m2", "a0", "a1", "a2", "a3", "a4"};
constexpr const char* kLayoutUnits[8] = {"N",         "N/(m/s)",         "N/(m/s)^2",       "N/(m/s)^2",
                                         "N/(m/s)^2/deg", "N/(m/s)^2/deg^2", "N/(m/s)^2/deg^3", "N/(m/s)^2/deg^4"};

const Estimate* FindEstimate(const std::vector<Estimate>& estimates, const std::string& name) {
  for (const Estimate& e : estimates) {
    if (e.name == name) return &e;
  }
  return nullptr;
}

// The uncertainty of a method's coefficients in the fit's layout: its own
// covariance (the fit's share) and the calibrated quantities' shares, the
// method's slopes times the scatter of the pairs of runs the record finds,
// exactly as for the specified fit (AddCalibrationUncertainty).
UncertaintyRecord MethodUncertainty(const AnalysisRecord& record, const MethodResult& m, long rows) {
  UncertaintyRecord u;
  const bool known = m.completed && m.covariance.size() == 64 && std::isfinite(m.degreesOfFreedom) &&
                     m.degreesOfFreedom >= 1.0;
  if (!known) {
    u.why = m.completed ? "the method states no covariance of its coefficients" : "the method gave no result";
    return u;
  }
  std::vector<std::size_t> fitted;
  for (std::size_t j = 0; j < 8; ++j) {
    if (m.covariance[j * 9] > 0.0) fitted.push_back(j);
  }
  u.n = rows;
  u.p = static_cast<int>(fitted.size());
  u.dof = static_cast<long>(m.degreesOfFreedom);
  u.t95 = StudentTQuantile(0.95, u.dof);
  u.fitCovariance.assign(fitted.size(), std::vector<double>(fitted.size(), 0.0));
  for (std::size_t i = 0; i < fitted.size(); ++i) {
    Estimate e;
    e.name = kLayoutNames[fitted[i]];
    e.unit = kLayoutUnits[fitted[i]];
    e.value = m.coefficients[fitted[i]];
    u.coefficients.push_back(e);
    for (std::size_t k = 0; k < fitted.size(); ++k) u.fitCovariance[i][k] = m.covariance[fitted[i] * 8 + fitted[k]];
  }
  const CalibrationRecord& c = record.calibration;
  const std::vector<RunMean> cal = c.ran ? RunMeans(record, SetKind::Cal) : std::vector<RunMean>();
  for (const MethodInput& in : m.inputs) {
    InputUncertainty input;
    input.name = in.name;
    input.unit = in.unit;
    input.sensitivity = in.sensitivity;
    PairEstimate pairs;
    if (in.name == "Ka" && c.ran) {
      pairs = GainFromPairs(cal, c);
      input.value = c.Ka;
      input.source = "the gain at which the head wind of each pair of CAL runs agrees";
    } else if (in.name == "yaw_offset" && c.ran) {
      pairs = YawOffsetFromPairs(cal, c);
      input.value = c.CalYawOffset;
      input.source = "the yaw offset at which the cross wind of each pair of CAL runs agrees";
    } else if (in.name == "zero_yaw_offset" && !c.ran && record.yawOffsetFromZero) {
      pairs = ZeroOffsetFromPairs(RunMeans(record, SetKind::Zero));
      input.value = record.yawOffset;
      input.source = "the mean yaw of each pair of ZERO runs";
    } else if (std::isfinite(in.standardUncertainty)) {
      input.value = in.value;
      input.standardUncertainty = in.standardUncertainty;
      input.dof = in.degreesOfFreedom;
      input.source = in.source;
      u.inputs.push_back(input);
      continue;
    } else {
      continue;
    }
    input.source += " (" + std::to_string(pairs.pairs) + (pairs.pairs == 1 ? " pair)" : " pairs)");
    input.standardUncertainty = pairs.standardUncertainty;
    input.dof = pairs.dof;
    if (!pairs.why.empty() && u.inputsWhyNot.empty()) u.inputsWhyNot = pairs.why;
    u.inputs.push_back(input);
  }
  u.available = true;
  CombineInputs(u);
  // m2 and a0 apart, with every contribution; not where the method split
  // their sum by assumption.
  u.correlationM2A0 = kNone;
  const bool split = std::find(m.notDetermined.begin(), m.notDetermined.end(), "a0") != m.notDetermined.end();
  for (std::size_t i = 0; i < fitted.size() && !split; ++i) {
    for (std::size_t k = 0; k < fitted.size(); ++k) {
      if (fitted[i] == 2 && fitted[k] == 3) u.correlationM2A0 = u.correlation[i][k];
    }
  }
  return u;
}

// The legacy fit's report results and road load, before the method's take
// their place.
void KeepLegacyForComparison(AnalysisRecord& record) {
  LegacyComparison& comparison = record.legacyComparison;
  comparison.ran = true;
  for (const std::string& note : record.method.notes) {
    if (note.rfind("the specified fit beside the method", 0) == 0) comparison.why = note;
  }
  if (comparison.why.empty() && !record.results.available) comparison.why = "the specified fit gave no result";
  for (const char* name : {"Amech", "Bmech", "Ctotl", "Cd"}) {
    if (const Estimate* e = FindEstimate(record.results.report, name)) comparison.legacy.push_back(*e);
  }
  for (const RoadLoadPoint& p : record.uncertainty.roadLoad) {
    if (std::fmod(p.speedMph, 10.0) != 0.0) continue;
    ComparisonPoint point;
    point.speedMph = p.speedMph * record.speedFactor / kMetresPerSecondPerMph;
    point.speedKmh = p.speedMph * record.speedFactor * kKmhPerMs;
    point.legacy = p.force;
    point.legacyLow = p.low;
    point.legacyHigh = p.high;
    comparison.points.push_back(point);
  }
}

// The method's side of the comparison, once its results are the record's.
void CompleteComparison(AnalysisRecord& record) {
  LegacyComparison& comparison = record.legacyComparison;
  for (const char* name : {"Amech", "Bmech", "Ctotl", "Cd"}) {
    const Estimate* m = FindEstimate(record.results.report, name);
    if (m == nullptr) continue;
    comparison.method.push_back(*m);
    const Estimate* l = FindEstimate(comparison.legacy, name);
    CoefficientComparison c;
    c.name = name;
    c.unit = m->unit;
    c.method = m->value;
    if (l != nullptr) {
      c.legacy = l->value;
      c.difference = m->value - l->value;
      c.differencePercent = 100.0 * c.difference / std::fabs(l->value);
    }
    comparison.coefficients.push_back(c);
  }
  for (ComparisonPoint& point : comparison.points) {
    for (const RoadLoadPoint& p : record.uncertainty.roadLoad) {
      if (std::fabs(p.speedMph * record.speedFactor / kMetresPerSecondPerMph - point.speedMph) > 1e-9) continue;
      point.method = p.force;
      point.methodLow = p.low;
      point.methodHigh = p.high;
      point.difference = p.force - point.legacy;
      point.differencePercent = 100.0 * point.difference / point.legacy;
    }
  }
  comparison.available = comparison.why.empty() && !comparison.points.empty();
}

// What the impulse method did with each one-second DATA sample: used when a
// window it fitted covers the sample's second, outside the window when only
// windows beyond the speed window do; what the specified fit beside it did
// is kept apart.
void ImpulseSampleStatuses(AnalysisRecord& record) {
  const ImpulseResult& r = record.impulse.result;
  for (SampleRecord& s : record.samples) {
    if (s.set != SetKind::Data) continue;
    s.legacyStatus = s.status;
    bool used = false;
    bool outside = false;
    for (const ImpulseWindowResult& w : r.windows) {
      if (w.run != s.run || s.time < w.startS || s.time > w.endS) continue;
      used = used || w.status == WindowStatus::Used;
      outside = outside || w.status == WindowStatus::OutsideSpeedWindow;
    }
    s.status = used ? SampleStatus::Used : outside ? SampleStatus::OutsideWindow : SampleStatus::NotUsed;
  }
  // The mean true wind the method's samples met, or beside the track.
  double sum = 0.0;
  long count = 0;
  if (record.impulse.anemometer) {
    for (const SampleRecord& s : record.samples) {
      if (s.set != SetKind::Data || s.status != SampleStatus::Used || !std::isfinite(s.head)) continue;
      sum += std::sqrt(s.head * s.head + s.cross * s.cross);
      ++count;
    }
  } else {
    for (const TrackWindReading& w : record.impulse.trackWind) {
      sum += w.speed;
      ++count;
    }
  }
  record.meanWindSpeed = count > 0 ? sum / static_cast<double>(count) : kNone;
}

void ImpulseSection(AnalysisRecord& record) {
  const MethodResult& m = record.methodResult;
  KeepLegacyForComparison(record);
  const ImpulseAnalysis& a = record.impulse;
  if (!a.anemometer) {
    record.legacyComparison.why = "the wind columns hold no anemometer, which the specified analysis needs";
  } else if (a.rateHz != std::round(a.rateHz)) {
    record.legacyComparison.why = "the specified analysis forms one-second samples from a whole number of records";
  }
  record.uncertainty = MethodUncertainty(record, m, static_cast<long>(a.result.windowsUsed));
  record.results = ResultsRecord();
  if (m.completed) CorrectedResults(record, record.methodFit);
  CompleteComparison(record);
  ImpulseSampleStatuses(record);
  LegacySection(record);
  record.method.notes = m.notes;
  // What the method's layout holds by convention only (the split of the V²
  // term without an anemometer) is no result; the uncertainty keeps it, with
  // the assumed share's spread, for the road load's interval.
  const auto open = [](std::vector<Estimate>& estimates, std::initializer_list<const char*> names) {
    for (Estimate& e : estimates) {
      if (std::find_if(names.begin(), names.end(), [&](const char* n) { return e.name == n; }) == names.end()) continue;
      e.value = e.standardError = e.dof = e.low = e.high = kNone;
      e.components.clear();
    }
  };
  if (std::find(m.notDetermined.begin(), m.notDetermined.end(), "a0") != m.notDetermined.end()) {
    open(record.results.report, {"Cmech", "Caero", "Cd"});
    open(record.results.si, {"m2", "a0"});
    open(record.results.drag, {"Cd", "CdA"});
    open(record.method.coefficients, {"m2", "a0"});
  }
}

}  // namespace

void KeepMethodCoefficients(AnalysisRecord& record, const MethodResult& result) {
  static const char* const kNames[8] = {"m0", "m1", "m2", "a0", "a1", "a2", "a3", "a4"};
  static const char* const kUnits[8] = {"N", "N/(m/s)", "N/(m/s)^2", "N/(m/s)^2",
                                        "N/(m/s)^2/deg", "N/(m/s)^2/deg^2", "N/(m/s)^2/deg^3", "N/(m/s)^2/deg^4"};
  record.method.coefficients.clear();
  const bool hasCovariance = result.covariance.size() == 64;
  const double t = std::isfinite(result.degreesOfFreedom) && result.degreesOfFreedom > 0.0
                       ? StudentTQuantile(0.95, result.degreesOfFreedom)
                       : kNone;
  for (std::size_t j = 0; j < 8; ++j) {
    Estimate e;
    e.name = kNames[j];
    e.unit = kUnits[j];
    e.value = result.coefficients[j];
    if (hasCovariance && result.covariance[j * 9] >= 0.0) {
      e.standardError = std::sqrt(result.covariance[j * 9]);
      e.dof = result.degreesOfFreedom;
      e.low = e.value - t * e.standardError;
      e.high = e.value + t * e.standardError;
      e.components.push_back({result.method, e.standardError, e.dof});
    }
    record.method.coefficients.push_back(e);
  }
}

void DeriveMethodResults(AnalysisRecord& record) {
  if (record.intervals.ran) {
    IntervalsSection(record);
  } else if (record.method.name == "legacy") {
    LegacySection(record);
  } else if (record.impulse.ran) {
    ImpulseSection(record);
  }
}

std::vector<CheckRecord> MethodChecks(const AnalysisRecord& record) {
  std::vector<CheckRecord> checks;
  for (const MethodCheck& c : IntervalChecks(record.intervals)) {
    CheckRecord check;
    check.id = c.id;
    check.title = c.title;
    check.value = c.value;
    check.unit = c.unit;
    check.limit = c.limit;
    check.source = c.source;
    check.finding = c.finding;
    // The checks judge a result; a run that ended before one has none.
    check.applicable = c.applicable && record.intervals.result.usable;
    check.pass = c.pass;
    checks.push_back(check);
  }
  return checks;
}

void CompareWithLegacy(AnalysisRecord& record, const AnalysisRecord& legacy) {
  LegacyComparison& comparison = record.legacyComparison;
  comparison.ran = true;
  if (legacy.error.number != 0) {
    comparison.why = "the legacy analysis ended with run-time error " + std::to_string(legacy.error.number) +
                     ": " + legacy.error.description + " (" + legacy.error.detail + ")";
    return;
  }
  if (!legacy.results.available) {
    comparison.why = "the legacy analysis gave no result";
    return;
  }
  for (const Estimate& e : legacy.results.report)
    if (e.name == "Amech" || e.name == "Bmech" || e.name == "Ctotl" || e.name == "Cd") comparison.legacy.push_back(e);
  const IntervalAnalysis& a = record.intervals;
  const RoadLoadCoefficients& corrected = a.result.corrected;
  if (!a.ran || !corrected.solved) {
    comparison.why = "the method gave no road load";
    return;
  }
  // The method's f2 from its reference pressure to the specified analysis'
  // 98.21 kPa: f2 goes with the air density, so with the pressure.
  const double f2Scale = kLegacyReferencePressureKPa / a.settings.referencePressureKPa;
  const double lowest = a.result.referenceKmh.empty() ? 0.0 : a.result.referenceKmh.front() - a.settings.halfWidthKmh;
  const double highest = a.result.referenceKmh.empty() ? 0.0 : a.result.referenceKmh.back() + a.settings.halfWidthKmh;
  for (const RoadLoadPoint& p : legacy.uncertainty.roadLoad) {
    const double speedMs = p.speedMph * legacy.speedFactor;
    const double kmh = speedMs * kKmhPerMs;
    const double mph = speedMs / kMetresPerSecondPerMph;
    // The specified analysis' points every 10 of its speed unit.
    if (std::fmod(p.speedMph, 10.0) != 0.0 || kmh < lowest || kmh > highest) continue;
    const MethodRoadLoadPoint m = RoadLoadAt(corrected, kmh, f2Scale);
    ComparisonPoint point;
    point.speedMph = mph;
    point.speedKmh = kmh;
    point.legacy = p.force;
    point.legacyLow = p.low;
    point.legacyHigh = p.high;
    point.method = m.force;
    point.methodLow = m.low;
    point.methodHigh = m.high;
    point.difference = m.force - p.force;
    point.differencePercent = 100.0 * point.difference / p.force;
    comparison.points.push_back(point);
  }
  comparison.available = !comparison.points.empty();
  if (!comparison.available) comparison.why = "no point of the legacy analysis' road load lies in the method's reference range";
}

}  // namespace record
