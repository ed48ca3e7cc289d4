// The checks of the analysis, one function each.
#include "record/Checks.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <utility>

#include "common/UnitFactors.h"

namespace record {

namespace {

// An input of the uncertainty as the user knows it.
std::string InputDescription(const std::string& name) {
  if (name == "Ka") return "the anemometer's calibrated gain Ka";
  if (name == "yaw_offset") return "the anemometer's calibrated yaw offset";
  if (name == "zero_yaw_offset") return "the ZERO runs' yaw offset";
  return name;
}

constexpr const char* kWindSource =
    "the limits commonly used for coastdowns without an anemometer; advisory when an anemometer measures the wind";

CheckRecord MakeCheck(std::string id, std::string title, double value, std::string unit, std::string limit,
                      std::string source) {
  CheckRecord check;
  check.id = std::move(id);
  check.title = std::move(title);
  check.value = value;
  check.unit = std::move(unit);
  check.limit = std::move(limit);
  check.source = std::move(source);
  return check;
}

// The checks judge a result; a run that ended before one has nothing to judge.
bool Judged(const AnalysisRecord& record) { return record.finalFit.completed; }

// The ZERO switch asks for the mean yaw of the ZERO runs; any error of
// theirs leaves the offset at 0, which no later step can tell.
CheckRecord ZeroOffset(const AnalysisRecord& record) {
  const SetRecord& zero = record.Set(SetKind::Zero);
  CheckRecord check = MakeCheck("zero_offset", "yaw offset taken from the ZERO runs", static_cast<double>(zero.runs),
                                "runs", "the ZERO set averaged without an error",
                                "the ZERO field asks for the mean yaw of the ZERO runs as the yaw offset");
  check.applicable = zero.loaded;
  check.pass = record.yawOffsetFromZero;
  if (!check.pass) {
    check.finding = "the ZERO set could not be averaged (run-time error " + std::to_string(zero.error.number) +
                    ": " + zero.error.description + (zero.samples == 0 ? ", no one-second sample" : "") +
                    (zero.files.empty() ? "" : ", at " + zero.files.back().name) +
                    "); the yaw offset 0 is used instead";
  } else {
    check.finding = "the mean of " + std::to_string(zero.runs) + " ZERO runs: " + ShortNumber(record.yawOffset) + " deg";
  }
  return check;
}

CheckRecord Directions(const AnalysisRecord& record) {
  const int runs = record.Set(SetKind::Data).runs;
  const long odd = (runs + 1) / 2;
  const long even = runs / 2;
  CheckRecord check = MakeCheck("directions", "DATA runs in both directions, as many each way",
                                static_cast<double>(runs), "runs", "an even number, at least 2",
                                "the practice of driving runs in pairs of opposite direction");
  check.finding = std::to_string(runs) + " DATA runs, " + std::to_string(odd) +
                  " in the direction of the odd runs and " + std::to_string(even) + " in the other";
  check.applicable = Judged(record);
  check.pass = odd > 0 && even > 0 && odd == even;
  return check;
}

CheckRecord MeanWind(const AnalysisRecord& record) {
  CheckRecord check = MakeCheck("mean_wind", "mean wind speed over the DATA samples",
                                record.meanWindSpeed * kKmhPerMs, "km/h", "<= 16 km/h", kWindSource);
  check.applicable = std::isfinite(check.value);
  check.pass = check.value <= 16.0;
  return check;
}

CheckRecord MeanCrosswind(const AnalysisRecord& record) {
  CheckRecord check = MakeCheck("mean_crosswind", "mean cross wind over the DATA samples",
                                std::fabs(record.meanCross) * kKmhPerMs, "km/h", "<= 8 km/h", kWindSource);
  check.applicable = std::isfinite(check.value);
  check.pass = check.value <= 8.0;
  return check;
}

CheckRecord Temperature(const AnalysisRecord& record) {
  CheckRecord check = MakeCheck("temperature", "test temperature", record.temperatureC, "degC", "5 to 35 degC",
                                "the range within which the corrections to 20 degC are meant to be used");
  check.applicable = Judged(record);
  check.pass = check.value >= 5.0 && check.value <= 35.0;
  return check;
}

CheckRecord Outliers(const AnalysisRecord& record) {
  const FilterRecord& filter = record.filter;
  const double share =
      filter.tested > 0 ? 100.0 * static_cast<double>(filter.excluded) / static_cast<double>(filter.tested) : kNone;
  CheckRecord check = MakeCheck("outliers", "share of the usable samples removed by the outlier filter", share, "%",
                                "<= 10 %", "more than a few outliers means the model does not describe the test");
  check.applicable = Judged(record) && filter.ran && filter.tested > 0;
  check.pass = check.value <= 10.0;
  return check;
}

// The still-air road load's interval at every 10 mph inside the window.
CheckRecord RoadLoadPrecision(const AnalysisRecord& record) {
  // A bound that is not a number leaves that side open.
  const double min = record.FieldNumber(CommandField::MinSpeed);
  const double max = record.FieldNumber(CommandField::MaxSpeed);
  const double low = std::isnan(min) ? 0.0 : min;
  const double high = std::isnan(max) ? 1e300 : max;
  double worst = kNone;
  const RoadLoadPoint* worstPoint = nullptr;
  bool open = false;
  for (const RoadLoadPoint& point : record.uncertainty.roadLoad) {
    if (point.speedMph < low || point.speedMph > high || std::fmod(point.speedMph, 10.0) != 0.0) continue;
    if (!std::isfinite(point.high)) open = true;
    const double relative = 100.0 * (point.high - point.force) / std::fabs(point.force);
    if (!(worst >= relative)) {
      worst = relative;
      worstPoint = &point;
    }
  }
  CheckRecord check = MakeCheck("road_load_precision",
                                "95 % interval of the still-air road load at every 10 mph inside the speed window",
                                worst, "% (largest half-width)", "<= 2 %",
                                "the precision expected of a road-load determination");
  // An interval left open (a calibration whose uncertainty is unknown)
  // cannot pass for a precise one.
  check.applicable = std::isfinite(worst) || (open && record.uncertainty.available);
  check.pass = worst <= 2.0 && !open;
  if (open) {
    check.finding = "not known: " + record.uncertainty.inputsWhyNot;
  } else if (worstPoint != nullptr) {
    // What limits the test, so that the user knows what to improve.
    const UncertaintyComponent* largest = nullptr;
    for (const UncertaintyComponent& c : worstPoint->components) {
      if (largest == nullptr || c.value > largest->value) largest = &c;
    }
    check.finding = ShortNumber(worst) + " % (largest half-width), at " + ShortNumber(worstPoint->speedMph) + " mph";
    if (largest != nullptr && largest->source != "fit" && worstPoint->standardError > 0.0) {
      check.finding += "; " +
                       ShortNumber(100.0 * largest->value * largest->value /
                                   (worstPoint->standardError * worstPoint->standardError)) +
                       " % of its variance from " + InputDescription(largest->source) +
                       (largest->source == "zero_yaw_offset" ? ", which more pairs of ZERO runs would narrow"
                                                             : ", which more or calmer pairs of CAL runs would narrow");
    }
  }
  return check;
}

// Files in another form than the analysis reads give precise-looking
// nonsense or end their set early, wherever in a set they stand.
CheckRecord RunFileText(const AnalysisRecord& record) {
  long misread = 0;
  bool read = false;
  std::vector<std::pair<std::string, std::vector<std::string>>> byForm;  // the files of each form
  for (const SetRecord& set : record.sets) {
    for (const FileRecord& f : set.files) {
      read = read || f.state == FileRecord::State::Read || f.state == FileRecord::State::Error;
      if (!f.MisRead()) continue;
      ++misread;
      const std::string form = TextFormName(
          f.encoding.form != TextForm::EightBit && !f.encodingRead ? f.encoding.form : f.layout.form);
      auto group = std::find_if(byForm.begin(), byForm.end(), [&](const auto& g) { return g.first == form; });
      if (group == byForm.end()) group = byForm.insert(byForm.end(), {form, {}});
      group->second.push_back(f.name);
    }
  }
  std::string finding;
  for (const auto& [form, names] : byForm) {
    finding += (finding.empty() ? "" : "; ") + form + ": " + names.front();
    if (names.size() > 1) finding += " and " + std::to_string(names.size() - 1) + " more";
  }
  CheckRecord check = MakeCheck("run_file_text", "run files are 8-bit text with a decimal point",
                                static_cast<double>(misread), "files in another form", "0, or read as written",
                                "the run files' format: three numbers a record, a decimal point, commas or blanks "
                                "between fields (--unicode and --decimal-comma read the other forms as written)");
  check.applicable = read;
  check.pass = misread == 0;
  if (misread > 0) check.finding = finding;
  return check;
}

CheckRecord CdRange(const AnalysisRecord& record) {
  const double cd = record.results.available ? record.results.drag[0].value : kNone;
  CheckRecord check = MakeCheck("cd_range", "drag coefficient", cd, "", "0.15 to 1.5",
                                "the range of road vehicles, from streamlined cars to trucks");
  check.applicable = std::isfinite(cd);
  check.pass = cd >= 0.15 && cd <= 1.5;
  return check;
}

CheckRecord MechanicalSigns(const AnalysisRecord& record) {
  double wrong = kNone;
  if (record.results.available) {
    const std::vector<Estimate>& r = record.results.report;
    wrong = (r[0].value > 0.0 ? 0.0 : 1.0) + (r[1].value >= 0.0 ? 0.0 : 1.0) + (r[2].value >= 0.0 ? 0.0 : 1.0);
  }
  CheckRecord check = MakeCheck("mechanical_signs",
                                "mechanical coefficients of the expected sign (Amech > 0, Bmech >= 0, Cmech >= 0)",
                                wrong, "coefficients of the wrong sign", "0",
                                "friction and rolling resistance never push the vehicle");
  check.applicable = record.results.available;
  check.pass = wrong == 0.0;
  return check;
}

}  // namespace

std::string ShortNumber(double value) {
  char text[32];
  const auto result = std::to_chars(text, text + sizeof text, value, std::chars_format::general, 4);
  return std::string(text, result.ptr);
}

std::vector<CheckRecord> Checks(const AnalysisRecord& record) {
  std::vector<CheckRecord> checks = {Directions(record),  MeanWind(record),          MeanCrosswind(record),
                                     Temperature(record), Outliers(record),          RoadLoadPrecision(record),
                                     CdRange(record),     MechanicalSigns(record),   ZeroOffset(record),
                                     RunFileText(record)};
  for (CheckRecord& check : checks) {
    if (check.finding.empty() && std::isfinite(check.value)) {
      check.finding = ShortNumber(check.value) + (check.unit.empty() ? "" : " " + check.unit);
    }
  }
  return checks;
}

}  // namespace record
