// The checks of the analysis, one function each.
#include "record/Checks.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <iterator>
#include <utility>

#include "common/TextConversion.h"
#include "common/UnitFactors.h"
#include "record/Coasting.h"
#include "record/RoadLoad.h"

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
bool Judged(const AnalysisRecord& record) { return ResultFit(record).completed; }

// Without an anemometer the impulse method knows the wind only from beside
// the track (--track-wind), as the mean of each run's reading; without that
// it does not know it at all.
bool WindUnknown(const AnalysisRecord& record) { return record.impulse.ran && !record.impulse.anemometer; }

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
  if (WindUnknown(record)) {
    check.title = "mean wind speed beside the track over the DATA runs";
    if (!check.applicable) check.finding = "not known: no anemometer, and no --track-wind";
  }
  return check;
}

CheckRecord MeanCrosswind(const AnalysisRecord& record) {
  CheckRecord check = MakeCheck("mean_crosswind", "mean cross wind over the DATA samples",
                                std::fabs(record.meanCross) * kKmhPerMs, "km/h", "<= 8 km/h", kWindSource);
  if (WindUnknown(record)) {
    // The report's wind statistics read the wind columns, which hold none.
    check.title = "mean cross wind beside the track over the DATA runs";
    double cross = 0.0;
    for (const TrackWindReading& w : record.impulse.trackWind) {
      cross += CrossComponent(w) / static_cast<double>(record.impulse.trackWind.size());
    }
    check.value = record.impulse.trackWind.empty() ? kNone : std::fabs(cross) * kKmhPerMs;
    if (record.impulse.trackWind.empty()) check.finding = "not known: no anemometer, and no --track-wind";
  }
  check.applicable = std::isfinite(check.value);
  check.pass = check.value <= 8.0;
  return check;
}

// A field's value as the analysis converts it; NaN for a field that is
// missing or not a number.
double Typed(const AnalysisRecord& record, CommandField field) {
  const std::size_t index = FieldIndex(field);
  double value = kNone;
  if (index >= record.fields.size() || TryParseNumber(record.fields[index], value) != NumberParse::Ok) return kNone;
  return value;
}

bool Within(double value, double low, double high) { return value >= low && value <= high; }

// A command line of more fields than ten has its fields moved by a decimal
// comma, most likely: a field's unit is then not what went wrong.
bool UnitHints(const AnalysisRecord& record) { return record.fields.size() <= std::size(kCommandFieldNames); }

// The plausibility of the test conditions as typed, in the units the
// fields take (lb, degF, inHg, ft^2): a value outside the range of road
// vehicles and test days is most often one typed in another unit, and the
// finding names the unit that would make it plausible.
CheckRecord Temperature(const AnalysisRecord& record) {
  CheckRecord check = MakeCheck("temperature", "test temperature", record.temperatureC, "degC", "5 to 35 degC",
                                "the range within which the corrections to 20 degC are meant to be used; "
                                "TEMPERATURE is in degF");
  const double typed = Typed(record, CommandField::Temperature);
  check.applicable = std::isfinite(check.value);
  check.pass = Within(check.value, 5.0, 35.0);
  if (!check.pass && check.applicable) {
    check.finding = ShortNumber(check.value) + " degC (TEMPERATURE " + ShortNumber(typed) + " degF)";
    if (UnitHints(record) && Within(typed, 5.0, 35.0)) {
      check.finding += "; typed in degC? TEMPERATURE is in degF: " + ShortNumber(typed) + " degC is " +
                       ShortNumber(typed * 9.0 / 5.0 + 32.0) + " degF";
    } else if (UnitHints(record) && Within(typed - 273.15, 5.0, 35.0)) {
      check.finding += "; typed in K? TEMPERATURE is in degF: " + ShortNumber(typed) + " K is " +
                       ShortNumber((typed - 273.15) * 9.0 / 5.0 + 32.0) + " degF";
    }
  }
  return check;
}

CheckRecord Pressure(const AnalysisRecord& record) {
  const double typed = Typed(record, CommandField::Pressure);
  CheckRecord check = MakeCheck("pressure", "barometric pressure in inHg", typed, "inHg", "20 to 32 inHg",
                                "the barometric pressure of test tracks from sea level to 3000 m; PRESSURE is in inHg");
  check.applicable = std::isfinite(typed);
  check.pass = Within(typed, 20.0, 32.0);
  if (!check.pass && check.applicable) {
    check.finding = ShortNumber(typed) + " inHg";
    static constexpr struct {
      const char* unit;
      double perInHg;
    } kUnits[] = {{"kPa", 3.386389}, {"hPa (mbar)", 33.86389}, {"mmHg", 25.4}, {"psi", 0.4911542}};
    for (const auto& u : kUnits) {
      if (UnitHints(record) && Within(typed / u.perInHg, 20.0, 32.0)) {
        check.finding += "; typed in " + std::string(u.unit) + "? PRESSURE is in inHg: " + ShortNumber(typed) + " " +
                         u.unit + " is " + ShortNumber(typed / u.perInHg) + " inHg";
        break;
      }
    }
  }
  return check;
}

CheckRecord Area(const AnalysisRecord& record) {
  const double typed = Typed(record, CommandField::Area);
  CheckRecord check = MakeCheck("area", "frontal area in ft^2", typed, "ft^2", "5 to 150 ft^2",
                                "the frontal areas of road vehicles, from motorcycles to trucks; AREA is in ft^2");
  check.applicable = std::isfinite(typed);
  check.pass = Within(typed, 5.0, 150.0);
  if (!check.pass && check.applicable) {
    check.finding = ShortNumber(typed) + " ft^2";
    if (typed == 0.0) {
      check.finding += ": with AREA 0, Cd, the aerodynamic term over half the air density times AREA, cannot be formed";
    } else if (UnitHints(record) && Within(typed * 10.76391, 5.0, 150.0)) {
      check.finding += "; typed in m^2? AREA is in ft^2: " + ShortNumber(typed) + " m^2 is " +
                       ShortNumber(typed * 10.76391) + " ft^2";
    } else if (UnitHints(record) && Within(typed / 144.0, 5.0, 150.0)) {
      check.finding += "; typed in in^2? AREA is in ft^2: " + ShortNumber(typed) + " in^2 is " +
                       ShortNumber(typed / 144.0) + " ft^2";
    }
  }
  return check;
}

// A weight in kg typed as lb makes every force, and Cd, 0.4536 times what
// it is: too light for the vehicle's frontal area, or a Cd below any road
// vehicle's that the weight in lb would make plausible.
CheckRecord Weight(const AnalysisRecord& record) {
  constexpr double kLbPerKg = 2.2046226;
  const double typed = Typed(record, CommandField::Weight);
  const double area = Typed(record, CommandField::Area);
  const double perArea = area > 0.0 ? typed / area : kNone;
  const double cd = record.results.available ? record.results.drag[0].value : kNone;
  CheckRecord check = MakeCheck("weight", "test weight in lb", typed, "lb",
                                "above 0, at least 60 lb per ft^2 of frontal area",
                                "the weights of road vehicles for their frontal area; WEIGHT is in lb");
  check.applicable = std::isfinite(typed);
  const bool light = perArea < 60.0;
  const bool cdAsKg = cd < 0.15 && Within(cd * kLbPerKg, 0.15, 1.5) && perArea < 120.0;
  check.pass = typed > 0.0 && !light && !cdAsKg;
  if (!check.pass && check.applicable) {
    check.finding = ShortNumber(typed) + " lb";
    if (typed == 0.0) {
      check.finding += ": with WEIGHT 0 every force is 0";
    } else if (typed < 0.0) {
      check.finding += ": a negative WEIGHT turns every force round";
    } else {
      check.finding += light ? ", " + ShortNumber(perArea) + " lb per ft^2 of frontal area, lighter than any road vehicle"
                             : ", and Cd " + ShortNumber(cd) + " below any road vehicle's";
      if (UnitHints(record)) {
        check.finding += "; typed in kg? WEIGHT is in lb: " + ShortNumber(typed) + " kg is " +
                         ShortNumber(typed * kLbPerKg) + " lb" +
                         (std::isfinite(cd) ? ", which would make Cd " + ShortNumber(cd * kLbPerKg) : "");
      }
    }
  }
  return check;
}

CheckRecord Outliers(const AnalysisRecord& record) {
  const FilterRecord& filter = record.filter;
  const double share =
      filter.tested > 0 ? 100.0 * static_cast<double>(filter.excluded) / static_cast<double>(filter.tested) : kNone;
  CheckRecord check = MakeCheck("outliers", "share of the usable samples removed by the outlier filter", share, "%",
                                "<= 10 %", "more than a few outliers means the model does not describe the test");
  // The filter belongs to the specified fit; a method in its place has none.
  check.applicable = Judged(record) && filter.ran && filter.tested > 0 && !record.methodFit.ran;
  check.pass = check.value <= 10.0;
  return check;
}

// Without a yaw curve the impulse method's yaw term rests on the data where
// the wind varies and on its prior where the wind is steady: the prior's
// spread then widens the intervals, and the vehicle's own yaw curve is what
// would fix the term.
CheckRecord YawTermFromData(const AnalysisRecord& record) {
  double share = kNone;
  std::string term;
  for (const ImpulseCoefficient& c : record.impulse.result.coefficients) {
    if (c.priorShare && !(share >= std::min(*c.priorShare, 1.0))) {
      share = std::min(*c.priorShare, 1.0);
      term = c.name;
    }
  }
  CheckRecord check = MakeCheck("yaw_term_from_data", "the yaw term decided by the data rather than by its prior",
                                100.0 * share, "% prior (largest share)", "<= 50 %",
                                "with a steady wind the data cannot tell how drag grows with yaw: the prior then "
                                "decides, and the vehicle's yaw curve (--yaw-curve) is what would");
  check.applicable = Judged(record) && std::isfinite(share);
  check.pass = check.value <= 50.0;
  if (check.applicable) {
    check.finding = "the yaw term " + term + " is " + ShortNumber(check.value) + " % the prior's and " +
                    ShortNumber(100.0 - check.value) + " % the data's";
  }
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

// A run file of the folder that the analysis did not get to leaves the
// result resting on fewer runs, or runs of one direction, with no other sign.
CheckRecord RunsAnalysed(const AnalysisRecord& record) {
  long dropped = 0;
  bool loaded = false;
  std::string finding;
  for (const SetRecord& set : record.sets) {
    if (!set.loaded || set.files.empty()) continue;
    loaded = true;
    const long later = set.laterFiles.empty() ? 0 : 1 + static_cast<long>(std::count(set.laterFiles.begin(),
                                                                                    set.laterFiles.end(), ','));
    const bool error = set.end == SetRecord::End::Error;
    if (!error && later == 0) continue;
    dropped += later + (error ? 1 : 0);
    const FileRecord& last = set.files.back();
    finding += (finding.empty() ? "" : "; ") + std::string(SetName(set.kind)) + " set ends at " + last.name;
    if (error) {
      finding += " (run-time error " + std::to_string(set.error.number) + ": " + set.error.description + ")";
    } else {
      finding += set.end == SetRecord::End::Empty      ? " (empty)"
                 : set.end == SetRecord::End::HeldOpen ? " (empty, held open)"
                                                       : " (missing)";
    }
    finding += later > 0 ? ": " + set.laterFiles + (later == 1 ? " is" : " are") + " not analysed" : "";
  }
  CheckRecord check = MakeCheck("runs_analysed", "every run file of the folder analysed",
                                static_cast<double>(dropped), "run files not analysed", "0",
                                "a run left out changes the balance of directions and speeds the result rests on, "
                                "with no other sign");
  check.applicable = loaded;
  check.pass = dropped == 0;
  if (dropped > 0) check.finding = finding;
  return check;
}

// Where the wind did not vary enough, the mechanical V^2 term and the
// aerodynamic one stand in for each other (or a yaw term for the latter):
// Cd printed from such a fit is a number, not a result.
CheckRecord AeroDetermined(const AnalysisRecord& record) {
  const double r = record.uncertainty.correlationM2A0;
  CheckRecord check = MakeCheck("aero_determined", "the data determine the aerodynamic term (Cmech, Caero and Cd)",
                                r, "correlation of Cmech and Caero",
                                "correlation within +-0.99, and the 95 % interval of Caero clear of 0",
                                "wind that varies between the samples tells the aerodynamic term from the "
                                "mechanical one; in still air only their sum Ctotl is known");
  // A method in place of the fit says what its data leave open in its own notes.
  check.applicable = record.finalFit.completed && !record.methodFit.ran && !record.AeroHeld() &&
                     (std::isfinite(r) || (record.results.available && record.uncertainty.available));
  if (!check.applicable) return check;
  if (std::isfinite(r) && std::fabs(r) > 0.99) {
    check.pass = false;
    check.finding = "the fit cannot tell the mechanical V^2 term from the aerodynamic term (their correlation is " +
                    ShortNumber(r) +
                    "): the wind did not vary enough between the samples, so Cmech, Caero and Cd are not "
                    "determined, only their sum Ctotl. Give the drag coefficient in the CD field to hold the "
                    "aerodynamic term";
  } else if (record.results.available && record.uncertainty.available) {
    // Other terms than the mechanical V^2 one can stand in for the
    // aerodynamic term too, as a yaw polynomial does when the yaw hardly
    // changes.
    const Estimate& caero = record.results.report[3];
    if (caero.low <= 0.0 && 0.0 <= caero.high) {
      check.pass = false;
      check.finding = "the data do not determine the aerodynamic term: the 95 % interval of Caero, " +
                      ShortNumber(caero.low) + " to " + ShortNumber(caero.high) +
                      " lbf/mph^2, holds 0, so Cmech, Caero and Cd are not determined. Give the drag coefficient "
                      "in the CD field to hold the aerodynamic term";
    }
  }
  return check;
}

// Samples of the driving around a coast (an untrimmed run file) are forces
// the road-load model cannot explain; those outside the speed window of
// --limit-data take no part.
CheckRecord Coasting(const AnalysisRecord& record) {
  long count = 0;
  for (const SampleRecord& s : record.samples) {
    count += s.set == SetKind::Data && s.motion != Motion::Coasting && s.status != SampleStatus::OutsideWindow ? 1 : 0;
  }
  std::string finding;
  int runs = 0;
  int lastRun = 0;
  for (const MotionSpan& span : NotCoasting(record)) {
    if (span.run != lastRun) {
      lastRun = span.run;
      if (++runs > 4) continue;
      finding += (finding.empty() ? "DATA." : "; DATA.") + std::to_string(span.run) + ":";
    } else if (runs > 4) {
      continue;
    } else {
      finding += ",";
    }
    finding += " " + std::string(MotionName(span.motion)) + " " +
               (span.from == span.to ? "at " + std::to_string(span.from)
                                     : std::to_string(span.from) + "-" + std::to_string(span.to)) +
               " s";
  }
  if (runs > 4) finding += "; and " + std::to_string(runs - 4) + " more runs";
  CheckRecord check = MakeCheck("coasting", "DATA samples of a coast (no standstill, braking, rising or held speed)",
                                static_cast<double>(count), "samples not coasting", "0",
                                "the road-load model explains a coast; a run file that holds the driving around "
                                "its coast must be trimmed to it (coastdown-import trims logger files)");
  check.applicable = record.Set(SetKind::Data).samples > 0;
  check.pass = count == 0;
  if (count > 0) check.finding = std::to_string(count) + " samples: " + finding;
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
    // A coefficient the data leave open (NaN) has no sign to judge.
    const auto wrongSign = [](double v, bool zeroAllowed) {
      return std::isnan(v) || v > 0.0 || (zeroAllowed && v == 0.0) ? 0.0 : 1.0;
    };
    wrong = wrongSign(r[0].value, false) + wrongSign(r[1].value, true) + wrongSign(r[2].value, true);
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
                                     RunFileText(record), RunsAnalysed(record),      AeroDetermined(record),
                                     Pressure(record),    Weight(record),            Area(record),
                                     Coasting(record)};
  if (record.impulse.ran && record.impulse.yawCurve.empty()) checks.push_back(YawTermFromData(record));
  for (CheckRecord& check : checks) {
    if (check.finding.empty() && std::isfinite(check.value)) {
      check.finding = ShortNumber(check.value) + (check.unit.empty() ? "" : " " + check.unit);
    }
  }
  return checks;
}

}  // namespace record
