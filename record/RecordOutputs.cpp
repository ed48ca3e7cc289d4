// Writing the record as JSON and the samples as CSV.
#include "record/RecordOutputs.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstring>
#include <iterator>
#include <string_view>

#include "common/NumberText.h"
#include "pipeline/CommandFields.h"
#include "record/Coasting.h"
#include "record/JsonWriter.h"
#include "record/MethodOutputs.h"

namespace record {

namespace {

const char* EndName(SetRecord::End end) {
  switch (end) {
    case SetRecord::End::NotLoaded: return "not loaded";
    case SetRecord::End::Missing: return "missing file";
    case SetRecord::End::Empty: return "empty file";
    case SetRecord::End::Error: return "error";
    case SetRecord::End::HeldOpen: return "empty file held open";
  }
  return "";
}

const char* StateName(FileRecord::State state) {
  switch (state) {
    case FileRecord::State::Missing: return "missing";
    case FileRecord::State::Empty: return "empty, deleted";
    case FileRecord::State::Read: return "read";
    case FileRecord::State::Error: return "error";
    case FileRecord::State::HeldOpen: return "empty, held open";
  }
  return "";
}

void WriteError(JsonWriter& json, const char* key, const ErrorNote& error) {
  json.Key(key);
  if (error.number == 0) {
    json.Null();
    return;
  }
  json.BeginObject();
  json.Key("number").Integer(error.number);
  json.Key("description").String(error.description);
  json.Key("detail").String(error.detail);
  json.EndObject();
}

// Each contribution to a standard uncertainty, by its source: the fit's
// own scatter and each calibrated quantity.
void WriteComponents(JsonWriter& json, const std::vector<UncertaintyComponent>& components) {
  json.Key("components").BeginArray();
  for (const UncertaintyComponent& c : components) {
    json.BeginObject();
    json.Key("source").String(c.source);
    json.Key("standard_uncertainty").Number(c.value);
    json.Key("degrees_of_freedom").Number(c.dof);
    json.EndObject();
  }
  json.EndArray();
}

void WriteEstimates(JsonWriter& json, const char* key, const std::vector<Estimate>& estimates) {
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
    WriteComponents(json, e.components);
    json.EndObject();
  }
  json.EndArray();
}

void WriteFit(JsonWriter& json, const char* key, const FitRecord& fit) {
  json.Key(key).BeginObject();
  json.Key("ran").Bool(fit.ran);
  json.Key("completed").Bool(fit.completed);
  json.Key("solver").String(fit.solver);
  json.Key("samples_offered").Integer(fit.samplesOffered);
  json.Key("excluded_negative_deceleration").Integer(fit.negativeDeceleration);
  json.Key("samples_used").Integer(fit.used);
  json.Key("coefficients").BeginObject();
  static const char* const kNames[8] = {"m0_N", "m1_N_per_m_s", "m2_N_per_m2_s2", "a0_N_per_m2_s2",
                                        "a1",   "a2",           "a3",             "a4"};
  for (std::size_t j = 0; j < 8; ++j) json.Key(kNames[j]).Number(fit.coefficients[j]);
  json.EndObject();
  json.EndObject();
}

void WriteSet(JsonWriter& json, const SetRecord& set) {
  json.BeginObject();
  json.Key("name").String(SetName(set.kind));
  json.Key("loaded").Bool(set.loaded);
  json.Key("runs").Integer(set.runs);
  json.Key("samples").Integer(set.samples);
  json.Key("end").String(EndName(set.end));
  WriteError(json, "error", set.error);
  json.Key("later_files_not_analysed").String(set.laterFiles);
  json.Key("files").BeginArray();
  for (const FileRecord& f : set.files) {
    json.BeginObject();
    json.Key("name").String(f.name);
    json.Key("path").String(f.path);
    json.Key("run").Integer(f.run);
    json.Key("state").String(StateName(f.state));
    json.Key("bytes").Integer(static_cast<long long>(f.bytes));
    json.Key("records").Integer(f.records);
    json.Key("samples").Integer(f.samples);
    json.Key("fields_read_as_zero").Integer(f.zeroFields);
    if (f.zeroFields > 0) {
      json.Key("first_field_read_as_zero").BeginObject();
      json.Key("line").Integer(f.zeroFieldLine);
      json.Key("field").Integer(f.zeroFieldPosition);
      json.Key("text").String(f.zeroFieldText);
      json.EndObject();
    }
    json.Key("lines_not_one_record").Integer(f.linesNotOneRecord);
    if (f.linesNotOneRecord > 0) {
      json.Key("first_line_not_one_record").BeginObject();
      json.Key("line").Integer(f.notOneRecordLine);
      json.Key("fields").Integer(f.notOneRecordFields);
      json.EndObject();
    }
    json.Key("encoding").String(TextFormName(f.encoding.form));
    json.Key("layout").String(f.layout.form == TextForm::EightBit ? "decimal point" : TextFormName(f.layout.form));
    json.Key("read_as_written").Bool(f.encodingRead || f.layoutRead);
    json.Key("sha256").String(f.sha256);
    json.EndObject();
  }
  json.EndArray();
  json.EndObject();
}

void WriteHead(JsonWriter& json, const AnalysisRecord& r) {
  json.Key("format").String(AnalysisRecord::kFormat);
  json.Key("format_version").Integer(AnalysisRecord::kFormatVersion);
  json.Key("program").BeginObject();
  json.Key("name").String("coastdown");
  json.Key("version").String(r.programVersion);
  json.EndObject();
  json.Key("date").String(r.date);
}

void WriteCommand(JsonWriter& json, const AnalysisRecord& r) {
  json.Key("command").BeginObject();
  json.Key("text").String(r.commandText);
  json.Key("fields").BeginObject();
  for (std::size_t i = 0; i < std::size(kCommandFieldNames); ++i) {
    json.Key(kCommandFieldNames[i]);
    if (i < r.fields.size()) {
      json.String(r.fields[i]);
    } else {
      json.Null();
    }
  }
  json.EndObject();
  json.Key("limit_data").Bool(r.limitData);
  json.EndObject();
}

void WriteUnitFactors(JsonWriter& json, const AnalysisRecord& r) {
  json.Key("unit_factors").BeginObject();
  json.Key("area_m2_per_ft2").Number(r.areaFactor);
  json.Key("temperature_code").String(r.temperatureCode);
  json.Key("pressure_kPa_per_inHg").Number(r.pressureFactor);
  json.Key("weight_N_per_lb").Number(r.weightFactor);
  json.Key("speed_m_s_per_mph").Number(r.speedFactor);
  json.Key("force_N_per_lbf").Number(r.forceFactor);
  json.EndObject();
}

void WriteConditions(JsonWriter& json, const AnalysisRecord& r) {
  json.Key("conditions").BeginObject();
  json.Key("temperature_C").Number(r.temperatureC);
  json.Key("pressure_kPa").Number(r.pressureKpa);
  json.Key("test_density_kg_m3").Number(r.testDensity);
  json.Key("standard_density_kg_m3").Number(r.standardDensity);
  json.Key("area_m2").Number(r.areaM2);
  json.Key("weight_N").Number(r.weightN);
  json.Key("mass_kg").Number(r.massKg);
  json.Key("constrained_cd").Number(r.constrainedCd);
  json.Key("cd_ap_N_per_m2_s2").Number(r.cdAp);
  json.EndObject();
}

void WriteCalibration(JsonWriter& json, const CalibrationRecord& c) {
  json.Key("calibration").BeginObject();
  json.Key("ran").Bool(c.ran);
  json.Key("Ka").Number(c.Ka);
  json.Key("yaw_offset_deg").Number(c.CalYawOffset);
  json.Key("Ky").Number(c.Ky);
  json.Key("k3_per_deg2").Number(c.k3);
  json.Key("K4_m_s").Number(c.K4);
  json.Key("yaw_spread_deg").Number(c.yawSpread);
  json.Key("yaw_limit_deg").Number(c.yawLimit);
  json.Key("yaw_outliers").Integer(c.yawRejected);
  json.Key("head_mismatch_as_read_m2_s2").Number(c.headMismatchBefore);
  json.Key("cross_mismatch_as_read_m2_s2").Number(c.crossMismatchBefore);
  json.Key("head_mismatch_calibrated_m2_s2").Number(c.headMismatchAfter);
  json.Key("cross_mismatch_calibrated_m2_s2").Number(c.crossMismatchAfter);
  json.Key("runs").BeginArray();
  for (const CalibrationRecord::RunWind& w : c.runs) {
    json.BeginObject();
    json.Key("run").Integer(w.run);
    json.Key("head_as_read_m_s").Number(w.headBefore);
    json.Key("cross_as_read_m_s").Number(w.crossBefore);
    json.Key("head_calibrated_m_s").Number(w.headAfter);
    json.Key("cross_calibrated_m_s").Number(w.crossAfter);
    json.EndObject();
  }
  json.EndArray();
  json.EndObject();
}

void WriteFilter(JsonWriter& json, const FilterRecord& filter) {
  json.Key("outlier_filter").BeginObject();
  json.Key("ran").Bool(filter.ran);
  json.Key("samples_tested").Integer(filter.tested);
  json.Key("mean_residual_N").Number(filter.mean);
  json.Key("residual_sd_N").Number(filter.sd);
  json.Key("limit_N").Number(filter.limit);
  json.Key("excluded").Integer(filter.excluded);
  json.EndObject();
}

void WriteWindow(JsonWriter& json, const WindowRecord& window) {
  json.Key("window").BeginObject();
  json.Key("applied").Bool(window.applied);
  json.Key("min_speed_m_s").Number(window.minSpeed);
  json.Key("max_speed_m_s").Number(window.maxSpeed);
  json.Key("min_wind_m_s").Number(window.minWind);
  json.Key("max_wind_m_s").Number(window.maxWind);
  json.Key("min_yaw_deg").Number(window.minYaw);
  json.Key("max_yaw_deg").Number(window.maxYaw);
  json.Key("excluded").Integer(window.excluded);
  json.Key("excluded_before_first_fit").Integer(window.excludedBeforeFirstFit);
  json.EndObject();
}

void WriteCorrections(JsonWriter& json, const AnalysisRecord& r) {
  json.Key("corrections").BeginObject();
  json.Key("mech_factor").Number(r.mechFactor);
  json.Key("aero_factor").Number(r.aeroFactor);
  json.EndObject();
}

void WriteWind(JsonWriter& json, const AnalysisRecord& r) {
  json.Key("wind").BeginObject();
  json.Key("mean_head_m_s").Number(r.meanHead);
  json.Key("mean_cross_m_s").Number(r.meanCross);
  json.Key("max_head_m_s").Number(r.maxHead);
  json.Key("max_cross_m_s").Number(r.maxCross);
  json.Key("mean_speed_m_s").Number(r.meanWindSpeed);
  json.EndObject();
}

void WriteUncertainty(JsonWriter& json, const UncertaintyRecord& u) {
  json.Key("uncertainty").BeginObject();
  json.Key("available").Bool(u.available);
  json.Key("why_not").String(u.why);
  json.Key("samples").Integer(u.n);
  json.Key("coefficients_fitted").Integer(u.p);
  json.Key("degrees_of_freedom").Integer(u.dof);
  json.Key("residual_sd_N").Number(u.residualSd);
  json.Key("r_squared").Number(u.rSquared);
  json.Key("neighbour_correlation").Number(u.neighbourCorrelation);
  json.Key("variance_factor").Number(u.varianceFactor);
  json.Key("t95").Number(u.t95);
  json.Key("speed_noise_sd_m_s").Number(u.speedNoiseSd);
  json.Key("speed_noise_share").Number(u.speedNoiseShare);
  json.Key("long_run_variance_N2").Number(u.longRunVariance);
  json.Key("solver_agreement").Number(u.solverAgreement);
  WriteEstimates(json, "coefficients", u.coefficients);
  json.Key("correlation").BeginArray();
  for (const std::vector<double>& row : u.correlation) {
    json.BeginArray();
    for (double x : row) json.Number(x);
    json.EndArray();
  }
  json.EndArray();
  json.Key("correlation_m2_a0").Number(u.correlationM2A0);
  json.Key("inputs").BeginArray();
  for (const InputUncertainty& input : u.inputs) {
    json.BeginObject();
    json.Key("name").String(input.name);
    json.Key("unit").String(input.unit);
    json.Key("value").Number(input.value);
    json.Key("standard_uncertainty").Number(input.standardUncertainty);
    json.Key("degrees_of_freedom").Number(input.dof);
    json.Key("source").String(input.source);
    json.Key("sensitivity").BeginArray();
    for (double x : input.sensitivity) json.Number(x);
    json.EndArray();
    json.EndObject();
  }
  json.EndArray();
  json.Key("inputs_why_not").String(u.inputsWhyNot);
  json.Key("still_air_road_load").BeginArray();
  for (const RoadLoadPoint& p : u.roadLoad) {
    json.BeginObject();
    json.Key("speed_mph").Number(p.speedMph);
    json.Key("force_N").Number(p.force);
    json.Key("standard_error_N").Number(p.standardError);
    json.Key("degrees_of_freedom").Number(p.dof);
    json.Key("low95_N").Number(p.low);
    json.Key("high95_N").Number(p.high);
    WriteComponents(json, p.components);
    json.EndObject();
  }
  json.EndArray();
  json.EndObject();
}

void WriteResults(JsonWriter& json, const ResultsRecord& results) {
  json.Key("results").BeginObject();
  json.Key("available").Bool(results.available);
  WriteEstimates(json, "report_units", results.report);
  WriteEstimates(json, "si", results.si);
  WriteEstimates(json, "road_load_coefficients", results.roadLoad);
  WriteEstimates(json, "drag", results.drag);
  json.Key("aero_determined").Bool(results.aeroDetermined);
  json.Key("aero_why_not").String(results.aeroWhyNot);
  json.Key("texts").BeginObject();
  json.Key("cAero").String(results.cAero);
  json.Key("cTotal").String(results.cTotal);
  json.Key("CD").String(results.CD);
  json.EndObject();
  json.EndObject();
}

void WriteChecks(JsonWriter& json, const std::vector<CheckRecord>& checks) {
  json.Key("checks").BeginArray();
  for (const CheckRecord& check : checks) {
    json.BeginObject();
    json.Key("id").String(check.id);
    json.Key("title").String(check.title);
    json.Key("value").Number(check.value);
    json.Key("unit").String(check.unit);
    json.Key("limit").String(check.limit);
    json.Key("finding").String(check.finding);
    json.Key("source").String(check.source);
    json.Key("applicable").Bool(check.applicable);
    json.Key("pass").Bool(check.pass);
    json.EndObject();
  }
  json.EndArray();
}

void WriteNotCoasting(JsonWriter& json, const AnalysisRecord& r) {
  json.Key("not_coasting").BeginArray();
  for (const MotionSpan& span : NotCoasting(r)) {
    json.BeginObject();
    json.Key("run").Integer(span.run);
    json.Key("from_s").Integer(span.from);
    json.Key("to_s").Integer(span.to);
    json.Key("motion").String(MotionName(span.motion));
    json.EndObject();
  }
  json.EndArray();
}

void WriteEnd(JsonWriter& json, const AnalysisRecord& r) {
  json.Key("warnings").BeginArray();
  for (const std::string& w : r.warnings) json.String(w);
  json.EndArray();
  json.Key("report").BeginObject();
  json.Key("path").String(r.reportPath);
  json.Key("written").Bool(r.reportWritten);
  json.EndObject();
  // A run that went on to its end without its report says what stopped it.
  WriteError(json, "error", r.error.number != 0 ? r.error : r.reportError);
  json.Key("exit_status").Integer(r.exitStatus);
}

}  // namespace

// The parts in the order of the analysis, each as the README describes it.
std::string RecordJson(const AnalysisRecord& r) {
  JsonWriter json;
  // Some 60 kB for a test of twenty runs, more with another method's parts.
  json.Reserve(std::size_t{128} * 1024);
  json.BeginObject();
  WriteHead(json, r);
  WriteCommand(json, r);
  WriteUnitFactors(json, r);
  WriteConditions(json, r);
  json.Key("sets").BeginArray();
  for (const SetRecord& set : r.sets) WriteSet(json, set);
  json.EndArray();
  json.Key("yaw_offset_deg").Number(r.yawOffset);
  json.Key("yaw_offset_from_zero_runs").Bool(r.yawOffsetFromZero);
  WriteCalibration(json, r.calibration);
  WriteFit(json, "first_fit", r.firstFit);
  WriteFilter(json, r.filter);
  WriteWindow(json, r.window);
  WriteFit(json, "final_fit", r.finalFit);
  WriteCorrections(json, r);
  WriteWind(json, r);
  WriteUncertainty(json, r.uncertainty);
  WriteResults(json, r.results);
  WriteMethodParts(json, r);
  WriteChecks(json, r.checks);
  WriteNotCoasting(json, r);
  WriteEnd(json, r);
  json.EndObject();
  return json.TakeText();
}

void WriteSamplesCsv(const AnalysisRecord& record, const OutputSink& write) {
  constexpr std::size_t kPart = std::size_t{64} * 1024;
  // Another method than the specified one names itself on every row, and
  // beside its statuses stand those of the specified fit that ran beside it.
  const bool otherMethod = record.method.name != "legacy";
  std::string csv = "set,run,direction,time_s,speed_m_s,rel_wind_m_s,yaw_deg,deceleration_m_s2,force_N,status,motion";
  csv += otherMethod ? ",method,legacy_status\r\n" : "\r\n";
  // Tens of thousands of numbers, each the shortest text that reads back to
  // its double: a row is put together whole and appended once.
  char row[320];
  csv.reserve(kPart + sizeof row);
  // The names on every row, each copied as one block.
  struct Name {
    const char* text = "";
    std::size_t size = 0;
    char block[32] = {};
  };
  const auto named = [](const char* text) {
    Name name{text, std::strlen(text), {}};
    std::memcpy(name.block, text, std::min(name.size, sizeof name.block));
    return name;
  };
  std::array<Name, 3> setNames;
  for (const SetKind kind : kSetKinds) setNames[static_cast<std::size_t>(kind)] = named(SetName(kind));
  std::array<Name, 6> statusNames;
  for (std::size_t i = 0; i < statusNames.size(); ++i) {
    statusNames[i] = named(StatusName(static_cast<SampleStatus>(i)));
  }
  std::array<Name, 5> motionNames;
  for (std::size_t i = 0; i < motionNames.size(); ++i) motionNames[i] = named(MotionName(static_cast<Motion>(i)));
  for (const SampleRecord& s : record.samples) {
    char* at = row;
    const auto text = [&](std::string_view part) {
      std::memcpy(at, part.data(), part.size());
      at += part.size();
      *at++ = ',';
    };
    const auto name = [&](const Name& n) {
      if (n.size <= sizeof n.block) {
        std::memcpy(at, n.block, sizeof n.block);
      } else {
        std::memcpy(at, n.text, n.size);
      }
      at += n.size;
    };
    const auto whole = [&](long value) {
      at = std::to_chars(at, at + 24, value).ptr;
      *at++ = ',';
    };
    const auto number = [&](double value) {
      if (std::isfinite(value)) at = PutShortest(at, value);
      *at++ = ',';
    };
    // A kind the tables were not made for is named the long way.
    const auto put = [&](const auto& names, auto value, const char* (*nameOf)(decltype(value))) {
      const auto i = static_cast<std::size_t>(value);
      if (i < names.size()) {
        name(names[i]);
      } else {
        name(named(nameOf(value)));
      }
    };
    put(setNames, s.set, SetName);
    *at++ = ',';
    whole(s.run);
    whole(s.direction);
    whole(s.time);
    for (double value : {s.speed, s.wind, s.yaw, s.deceleration, s.force}) number(value);
    put(statusNames, s.status, StatusName);
    *at++ = ',';
    if (s.set == SetKind::Data) put(motionNames, s.motion, MotionName);
    if (otherMethod) {
      *at++ = ',';
      text(record.method.name);
      if (s.legacyStatus) put(statusNames, *s.legacyStatus, StatusName);
    }
    *at++ = '\r';
    *at++ = '\n';
    csv.append(row, static_cast<std::size_t>(at - row));
    if (csv.size() >= kPart) {
      write(csv);
      csv.clear();
    }
  }
  write(csv);
}

std::string SamplesCsv(const AnalysisRecord& record) {
  std::string csv;
  csv.reserve(record.samples.size() * 120);
  WriteSamplesCsv(record, [&csv](std::string_view part) { csv.append(part); });
  return csv;
}

}  // namespace record
