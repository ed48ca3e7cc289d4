// Writing the methods' parts of the record.
#include "record/MethodOutputs.h"

#include <algorithm>

#include "methods/IntervalConstants.h"

namespace record {

namespace {

double Or(const std::optional<double>& value) { return value ? *value : kNone; }

void WriteEstimateList(JsonWriter& json, const char* key, const std::vector<Estimate>& estimates) {
  json.Key(key).BeginArray();
  for (const Estimate& e : estimates) {
    json.BeginObject();
    json.Key("name").String(e.name);
    json.Key("unit").String(e.unit);
    json.Key("value").Number(e.value);
    json.Key("standard_error").Number(e.standardError);
    json.Key("degrees_of_freedom").Number(e.dof);
    json.Key("low95").Number(e.low);
    json.Key("high95").Number(e.high);
    json.Key("components").BeginArray();
    for (const UncertaintyComponent& c : e.components) {
      json.BeginObject();
      json.Key("source").String(c.source);
      json.Key("standard_uncertainty").Number(c.value);
      json.Key("degrees_of_freedom").Number(c.dof);
      json.EndObject();
    }
    json.EndArray();
    json.EndObject();
  }
  json.EndArray();
}

void WriteNumbers(JsonWriter& json, const char* key, const std::vector<double>& values) {
  json.Key(key).BeginArray();
  for (const double v : values) json.Number(v);
  json.EndArray();
}

void WriteMethod(JsonWriter& json, const MethodRecord& m) {
  json.Key("method").BeginObject();
  json.Key("name").String(m.name);
  json.Key("solver").String(m.solver);
  json.Key("completed").Bool(m.completed);
  json.Key("rate_hz").Number(m.rateHz);
  json.Key("si").Bool(m.si);
  WriteEstimateList(json, "coefficients", m.coefficients);
  json.Key("reference_temperature_C").Number(m.referenceTemperatureC);
  json.Key("reference_pressure_kPa").Number(m.referencePressureKPa);
  json.Key("road_load_speed_unit").String(m.speedUnit);
  json.Key("road_load").BeginArray();
  for (const MethodRoadLoadPoint& p : m.roadLoad) {
    json.BeginObject();
    json.Key("speed").Number(p.speed);
    json.Key("speed_m_s").Number(p.speedMs);
    json.Key("force_N").Number(p.force);
    json.Key("standard_error_N").Number(p.standardError);
    json.Key("degrees_of_freedom").Number(p.dof);
    json.Key("low95_N").Number(p.low);
    json.Key("high95_N").Number(p.high);
    json.EndObject();
  }
  json.EndArray();
  json.Key("notes").BeginArray();
  for (const std::string& note : m.notes) json.String(note);
  json.EndArray();
  json.EndObject();
}

void WriteCoefficients(JsonWriter& json, const char* key, const RoadLoadCoefficients& c) {
  json.Key(key).BeginObject();
  json.Key("solved").Bool(c.solved);
  json.Key("f0_N").Number(c.solved ? c.value[0] : kNone);
  json.Key("f1_N_per_kmh").Number(c.solved ? c.value[1] : kNone);
  json.Key("f2_N_per_kmh2").Number(c.solved ? c.value[2] : kNone);
  json.Key("half_width95").BeginArray();
  for (std::size_t i = 0; i < 3; ++i) json.Number(c.halfWidth ? (*c.halfWidth)[i] : kNone);
  json.EndArray();
  json.Key("covariance").BeginArray();
  for (std::size_t i = 0; i < 3 && c.covariance; ++i) {
    json.BeginArray();
    for (std::size_t j = 0; j < 3; ++j) json.Number((*c.covariance)[i * 3 + j]);
    json.EndArray();
  }
  json.EndArray();
  json.Key("degrees_of_freedom").Number(Or(c.degreesOfFreedom));
  json.Key("student_t").Number(Or(c.studentT));
  json.Key("averaging").BeginArray();
  for (std::size_t i = 0; i < 3; ++i) json.Number(c.averagingBias ? (*c.averagingBias)[i] : kNone);
  json.EndArray();
  json.EndObject();
}

const char* IssueName(IntervalIssueKind kind) {
  switch (kind) {
    case IntervalIssueKind::BadSetting: return "bad setting";
    case IntervalIssueKind::NoReferenceSpeed: return "no reference speed";
    case IntervalIssueKind::RateMismatch: return "rate mismatch";
    case IntervalIssueKind::ImplausibleDeceleration: return "implausible deceleration";
    case IntervalIssueKind::NotSpanned: return "not spanned";
    case IntervalIssueKind::NoRunsInDirection: return "no runs in a direction";
    case IntervalIssueKind::Unpaired: return "unpaired";
    case IntervalIssueKind::RunRejected: return "run rejected";
    case IntervalIssueKind::TooManyRejected: return "too many rejected";
    case IntervalIssueKind::TooFewPairs: return "too few pairs";
    case IntervalIssueKind::BeyondTable: return "beyond the table of h";
    case IntervalIssueKind::AccuracyExceeded: return "accuracy exceeded";
    case IntervalIssueKind::FitFailed: return "fit failed";
    case IntervalIssueKind::IntervalOpen: return "interval open";
  }
  return "";
}

void WriteConditions(JsonWriter& json, const IntervalAnalysis& a) {
  json.Key("mean_mass_kg").Number(a.conditions.averageMassKg);
  json.Key("test_mass_kg").Number(Or(a.conditions.testMassKg));
  json.Key("rotating_mass_kg").Number(a.conditions.rotatingMassKg);
  json.Key("rotating_mass_source").String(a.rotatingMass.source);
  json.Key("temperature_C").Number(Or(a.conditions.temperatureC));
  json.Key("pressure_kPa").Number(Or(a.conditions.pressureKPa));
  json.Key("lowest_tested_kmh").Number(a.lowestTestedKmh);
  json.Key("highest_tested_kmh").Number(a.highestTestedKmh);
  json.Key("track_wind").BeginObject();
  json.Key("source").String(a.trackWindSource);
  json.Key("runs").BeginArray();
  for (const TrackWindRun& w : a.trackWind) {
    json.BeginObject();
    json.Key("run").Integer(w.run);
    json.Key("direction").Integer(w.direction);
    json.Key("speed_m_s").Number(w.speedMs);
    json.Key("from_deg").Number(w.fromDeg);
    json.Key("head_on_m_s").Number(w.headOnMs);
    json.Key("cross_m_s").Number(w.crossMs);
    json.EndObject();
  }
  json.EndArray();
  json.EndObject();
}

void WriteTable(JsonWriter& json, const IntervalResult& r) {
  WriteNumbers(json, "reference_speeds_kmh", r.referenceKmh);
  json.Key("runs").BeginArray();
  for (const RunIntervals& run : r.runs) {
    json.BeginObject();
    json.Key("run").Integer(run.run);
    json.Key("direction").Integer(run.direction);
    json.Key("intervals").BeginArray();
    for (std::size_t j = 0; j < run.intervals.size(); ++j) {
      const IntervalCrossing& c = run.intervals[j];
      json.BeginObject();
      json.Key("reference_kmh").Number(j < r.referenceKmh.size() ? r.referenceKmh[j] : kNone);
      json.Key("spanned").Bool(c.spanned);
      json.Key("upper_time_s").Number(c.spanned ? c.upperTimeS : kNone);
      json.Key("lower_time_s").Number(c.spanned ? c.lowerTimeS : kNone);
      json.Key("seconds").Number(c.spanned ? c.seconds : kNone);
      json.EndObject();
    }
    json.EndArray();
    json.EndObject();
  }
  json.EndArray();
  json.Key("pairs").BeginArray();
  for (const IntervalPair& pair : r.pairs) {
    json.BeginObject();
    json.Key("first_run").Integer(pair.firstRun);
    json.Key("second_run").Integer(pair.secondRun);
    json.Key("rejected").Bool(pair.rejected);
    json.Key("reason").String(pair.reason);
    json.Key("seconds").BeginArray();
    for (const auto& t : pair.seconds) json.Number(Or(t));
    json.EndArray();
    json.EndObject();
  }
  json.EndArray();
}

void WriteSpeeds(JsonWriter& json, const IntervalAnalysis& a) {
  json.Key("speeds").BeginArray();
  for (const ReferenceSpeedResult& s : a.result.speeds) {
    json.BeginObject();
    json.Key("reference_kmh").Number(s.speedKmh);
    json.Key("pairs").Integer(s.pairs);
    json.Key("mean_seconds").Number(Or(s.meanSeconds));
    json.Key("sigma_seconds").Number(Or(s.sigmaSeconds));
    json.Key("h").Number(Or(s.h));
    json.Key("h_from_table").Bool(s.hFromTable);
    json.Key("accuracy_percent").Number(Or(s.accuracyPercent));
    json.Key("accuracy_limit_percent").Number(a.settings.accuracyLimitPercent);
    json.Key("pass").Bool(s.accurate);
    json.Key("force_N").Number(Or(s.forceN));
    json.Key("force_standard_error_N").Number(Or(s.forceStdErrN));
    json.Key("fitted_N").Number(Or(s.fittedN));
    json.EndObject();
  }
  json.EndArray();
}

void WriteCorrections(JsonWriter& json, const IntervalResult& r) {
  json.Key("corrections").BeginArray();
  for (const IntervalCorrection& c : r.corrections) {
    json.BeginObject();
    json.Key("name").String(c.name);
    json.Key("value").Number(Or(c.value));
    json.Key("applied").Bool(c.applied);
    json.Key("note").String(c.note);
    json.EndObject();
  }
  json.EndArray();
}

void WriteConstants(JsonWriter& json, const IntervalAnalysis& a) {
  json.Key("constants").BeginArray();
  for (const IntervalConstant& c : IntervalConstants()) {
    json.BeginObject();
    json.Key("name").String(c.name);
    json.Key("value").Number(c.get(a.settings));
    json.Key("unit").String(c.unit);
    json.Key("meaning").String(c.meaning);
    json.Key("source").String(c.source);
    json.Key("status").String(ConstantStatusName(c.status));
    json.Key("set_by_user")
        .Bool(std::find(a.constantsSet.begin(), a.constantsSet.end(), c.name) != a.constantsSet.end());
    json.EndObject();
  }
  json.EndArray();
}

void WriteIntervals(JsonWriter& json, const IntervalAnalysis& a) {
  const IntervalResult& r = a.result;
  json.Key("intervals").BeginObject();
  json.Key("valid").Bool(a.valid);
  json.Key("invalid_because").BeginArray();
  for (const std::string& why : a.invalidBecause) json.String(why);
  json.EndArray();
  json.Key("usable").Bool(r.usable);
  json.Key("rate_hz").Number(a.settings.rateHz);
  json.Key("half_width_kmh").Number(a.settings.halfWidthKmh);
  WriteConditions(json, a);
  json.Key("rejections").BeginArray();
  for (const RunRejection& rejection : a.conditions.rejections) {
    json.BeginObject();
    json.Key("run").Integer(rejection.run);
    json.Key("reason").String(rejection.reason);
    json.EndObject();
  }
  json.EndArray();
  WriteTable(json, r);
  WriteSpeeds(json, a);
  json.Key("weighting").String(a.settings.weighting == FitWeighting::Unweighted ? "unweighted" : "inverse variance");
  WriteCoefficients(json, "at_test", r.atTest);
  WriteCorrections(json, r);
  WriteCoefficients(json, "corrected", r.corrected);
  WriteConstants(json, a);
  json.Key("issues").BeginArray();
  for (const IntervalIssue& issue : r.issues) {
    json.BeginObject();
    json.Key("kind").String(IssueName(issue.kind));
    json.Key("run").Integer(issue.run);
    json.Key("reference_kmh").Number(Or(issue.referenceKmh));
    json.Key("message").String(issue.message);
    json.EndObject();
  }
  json.EndArray();
  json.EndObject();
}

void WriteComparison(JsonWriter& json, const LegacyComparison& c) {
  json.Key("legacy_comparison").BeginObject();
  json.Key("available").Bool(c.available);
  json.Key("why_not").String(c.why);
  WriteEstimateList(json, "legacy_results", c.legacy);
  json.Key("points").BeginArray();
  for (const ComparisonPoint& p : c.points) {
    json.BeginObject();
    json.Key("speed_mph").Number(p.speedMph);
    json.Key("speed_kmh").Number(p.speedKmh);
    json.Key("legacy_N").Number(p.legacy);
    json.Key("legacy_low95_N").Number(p.legacyLow);
    json.Key("legacy_high95_N").Number(p.legacyHigh);
    json.Key("method_N").Number(p.method);
    json.Key("method_low95_N").Number(p.methodLow);
    json.Key("method_high95_N").Number(p.methodHigh);
    json.Key("difference_N").Number(p.difference);
    json.Key("difference_percent").Number(p.differencePercent);
    json.EndObject();
  }
  json.EndArray();
  json.EndObject();
}

}  // namespace

void WriteMethodParts(JsonWriter& json, const AnalysisRecord& record) {
  WriteMethod(json, record.method);
  if (record.intervals.ran) WriteIntervals(json, record.intervals);
  if (record.legacyComparison.ran) WriteComparison(json, record.legacyComparison);
}

}  // namespace record
