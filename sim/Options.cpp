// Option table, value parsing, range checks and the --help text.
#include "Options.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <optional>
#include <utility>

#include "Command.h"
#include "Driving.h"
#include "NumberFormat.h"
#include "Runs.h"
#include "Scenario.h"
#include "Units.h"

namespace sim {

namespace {

using Setter = void (*)(SimConfig&, const std::string& option, const std::string& value);

// An option's value as truth.txt records it and --help shows its default.
struct Shown {
  std::string value;  // empty when the option is unset
  std::string note;   // what stands in for an unset value
};
using Shower = Shown (*)(const SimConfig&);

struct OptionRow {
  const char* group;
  const char* name;     // without the leading "--"
  const char* metavar;  // nullptr: a switch, which takes no value
  const char* help;
  // The unit truth.txt gives after the value; nullptr for the options that
  // only say where and how to write, which are no parameter of the test.
  const char* unit;
  Setter set;
  Shower show;
  // Added for the new analysis methods: truth.txt lists it only for an
  // extended folder, so that folders made without it keep their bytes.
  bool added;
};

double ParseNumber(const std::string& option, const std::string& text) {
  const char* first = text.data();
  const char* last = text.data() + text.size();
  if (first != last && *first == '+') ++first;
  double value = 0.0;
  const auto result = std::from_chars(first, last, value);
  if (text.empty() || result.ec != std::errc() || result.ptr != last || !std::isfinite(value)) {
    throw UsageError("--" + option + ": '" + text + "' is not a number");
  }
  return value;
}

int ParseCount(const std::string& option, const std::string& text) {
  int value = 0;
  const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || result.ec != std::errc() || result.ptr != text.data() + text.size()) {
    throw UsageError("--" + option + ": '" + text + "' is not a whole number");
  }
  return value;
}

std::vector<double> ParseList(const std::string& option, const std::string& text) {
  std::vector<double> values;
  std::size_t start = 0;
  for (;;) {
    const std::size_t comma = text.find(',', start);
    values.push_back(ParseNumber(option, text.substr(start, comma - start)));
    if (comma == std::string::npos) break;
    start = comma + 1;
  }
  return values;
}

std::string ShowList(const std::vector<double>& values) {
  std::string out;
  for (double v : values) out += (out.empty() ? "" : ",") + FormatShortest(v);
  return out;
}

// The named values of an option that takes one of a few words.
template <class T>
struct Choice {
  const char* name;
  T value;
};

constexpr Choice<bool> kYesNo[] = {{"yes", true}, {"no", false}};
constexpr Choice<CsvLayout> kLayouts[] = {
    {"none", CsvLayout::None}, {"per-run", CsvLayout::PerRun}, {"day", CsvLayout::Day}};
constexpr Choice<char> kSeparators[] = {{"comma", ','}, {"semicolon", ';'}, {"tab", '\t'}};
constexpr Choice<char> kDecimalMarks[] = {{"point", '.'}, {"comma", ','}};
constexpr Choice<CsvTime> kTimes[] = {
    {"seconds", CsvTime::Seconds}, {"clock", CsvTime::Clock}, {"none", CsvTime::None}};
constexpr Choice<CsvSpeed> kSpeeds[] = {{"kmh", CsvSpeed::Kmh}, {"mph", CsvSpeed::Mph}, {"ms", CsvSpeed::Ms}};

template <class T, std::size_t N>
T ParseChoice(const std::string& option, const std::string& text, const Choice<T> (&choices)[N]) {
  std::string names;
  for (const Choice<T>& choice : choices) {
    if (text == choice.name) return choice.value;
    names += (names.empty() ? "" : ", ") + std::string(choice.name);
  }
  throw UsageError("--" + option + ": '" + text + "' is not one of " + names);
}

template <class T, std::size_t N>
std::string ChoiceName(T value, const Choice<T> (&choices)[N]) {
  for (const Choice<T>& choice : choices) {
    if (choice.value == value) return choice.name;
  }
  return "";
}

// "HH:MM:SS" (or with fractions of a second) as seconds after midnight.
double ParseClock(const std::string& option, const std::string& text) {
  const auto fail = [&] { return UsageError("--" + option + ": '" + text + "' is not a time of day HH:MM:SS"); };
  if (text.size() < 8 || text[2] != ':' || text[5] != ':') throw fail();
  int hours = 0;
  int minutes = 0;
  const auto h = std::from_chars(text.data(), text.data() + 2, hours);
  const auto m = std::from_chars(text.data() + 3, text.data() + 5, minutes);
  double seconds = 0.0;
  const auto sec = std::from_chars(text.data() + 6, text.data() + text.size(), seconds);
  if (h.ec != std::errc() || h.ptr != text.data() + 2 || m.ec != std::errc() || m.ptr != text.data() + 5 ||
      sec.ec != std::errc() || sec.ptr != text.data() + text.size() ||
      !std::isdigit(static_cast<unsigned char>(text[6])) || hours > 23 || minutes > 59 || !(seconds < 60.0)) {
    throw fail();
  }
  return hours * 3600.0 + minutes * 60.0 + seconds;
}

std::string ShowClock(double seconds) {
  const long whole = static_cast<long>(std::floor(seconds));
  char text[64];
  std::snprintf(text, sizeof text, "%02ld:%02ld:%02ld", whole / 3600, whole / 60 % 60, whole % 60);
  std::string shown = text;
  const double fraction = seconds - static_cast<double>(whole);
  if (fraction > 0.0) shown += FormatShortest(fraction).substr(1);
  return shown;
}

// One table row per option; the macros keep each row to the field it sets.
#define SIM_NUMBER(group, name, metavar, help, unit, field)                                                    \
  OptionRow {                                                                                                  \
    group, name, metavar, help, unit,                                                                           \
        [](SimConfig& c, const std::string& o, const std::string& v) { c.field = ParseNumber(o, v); },          \
        [](const SimConfig& c) { return Shown{FormatShortest(c.field), ""}; }, false                            \
  }
#define SIM_COUNT(group, name, metavar, help, field)                                                            \
  OptionRow {                                                                                                  \
    group, name, metavar, help, "",                                                                             \
        [](SimConfig& c, const std::string& o, const std::string& v) { c.field = ParseCount(o, v); },           \
        [](const SimConfig& c) { return Shown{std::to_string(c.field), ""}; }, false                            \
  }
// An option that may stay unset: `unsetValue` (an expression of the
// configuration `c`) and `note` then stand in for its value.
#define SIM_OPTIONAL(group, name, metavar, help, unit, field, unsetValue, note)                                 \
  OptionRow {                                                                                                  \
    group, name, metavar, help, unit,                                                                           \
        [](SimConfig& c, const std::string& o, const std::string& v) { c.field = ParseNumber(o, v); },          \
        [](const SimConfig& c) {                                                                                \
          return c.field ? Shown{FormatShortest(*c.field), ""} : Shown{unsetValue, note};                       \
        },                                                                                                      \
        false                                                                                                   \
  }
// A switch added for the new analysis methods, which sets `field` to true.
#define SIM_SWITCH(group, name, help, field)                                                                    \
  OptionRow {                                                                                                  \
    group, name, nullptr, help, "", [](SimConfig& c, const std::string&, const std::string&) { c.field = true; }, \
        [](const SimConfig& c) { return Shown{c.field ? "on" : "off", ""}; }, true                              \
  }
// A choice among the named values `choices`, added for the new analysis
// methods.
#define SIM_CHOICE(group, name, metavar, help, field, choices)                                                 \
  OptionRow {                                                                                                  \
    group, name, metavar, help, "",                                                                             \
        [](SimConfig& c, const std::string& o, const std::string& v) { c.field = ParseChoice(o, v, choices); }, \
        [](const SimConfig& c) { return Shown{ChoiceName(c.field, choices), ""}; }, true                        \
  }

OptionRow Added(OptionRow row) {
  row.added = true;
  return row;
}

// The order is that of --help and of the parameters in truth.txt.
const std::vector<OptionRow>& Table() {
  static const std::vector<OptionRow> table = {
      {"General", "out", "DIR", "test folder to write; created when missing (required)", nullptr,
       [](SimConfig& c, const std::string& o, const std::string& v) {
         if (v.empty()) throw UsageError("--" + o + ": the folder name is empty");
         c.outDir = v;
       },
       [](const SimConfig&) { return Shown{}; }, false},
      {"General", "force", nullptr, "write into a folder that holds an earlier test; its run files are removed",
       nullptr, [](SimConfig& c, const std::string&, const std::string&) { c.force = true; },
       [](const SimConfig&) { return Shown{}; }, false},
      {"General", "scenario", "NAME", "starting point that the other options change (list below)", "",
       [](SimConfig&, const std::string&, const std::string&) {},  // applied before all others
       [](const SimConfig& c) { return Shown{c.scenario, ""}; }, false},
      {"General", "seed", "N", "random seed: the same seed writes the same bytes", "",
       [](SimConfig& c, const std::string& o, const std::string& v) {
         const auto result = std::from_chars(v.data(), v.data() + v.size(), c.seed);
         if (v.empty() || result.ec != std::errc() || result.ptr != v.data() + v.size()) {
           throw UsageError("--" + o + ": '" + v + "' is not a whole number from 0 to 18446744073709551615");
         }
       },
       [](const SimConfig& c) { return Shown{std::to_string(c.seed), ""}; }, false},

      SIM_NUMBER("Vehicle", "weight", "LB", "test (inertia) weight", "lb", vehicle.weightLb),
      SIM_NUMBER("Vehicle", "area", "FT2", "frontal area", "ft^2", vehicle.areaFt2),
      SIM_NUMBER("Vehicle", "cd", "CD", "drag coefficient with the wind on the nose (Cd0)", "", vehicle.cd0),
      SIM_NUMBER("Vehicle", "cd-yaw", "K", "yaw growth of drag: Cd = Cd0*(1 + K*yaw^2), yaw in degrees", "per deg^2",
                 vehicle.cdYawPerDeg2),
      SIM_NUMBER("Vehicle", "mech-a", "LBF", "mechanical road load A", "lbf", vehicle.mechA),
      SIM_NUMBER("Vehicle", "mech-b", "LBF/MPH", "mechanical road load B", "lbf/mph", vehicle.mechB),
      SIM_NUMBER("Vehicle", "mech-c", "LBF/MPH2", "mechanical road load C", "lbf/mph^2", vehicle.mechC),
      SIM_NUMBER("Vehicle", "road-noise", "LBF",
                 "RMS of a random force from the road, new every record interval, zero on average", "lbf RMS",
                 vehicle.roadNoiseLbf),
      Added(SIM_NUMBER("Vehicle", "rotating-mass", "KG",
                       "inertia of wheels and drivetrain as a mass: accelerated with the vehicle, not weighed", "kg",
                       vehicle.rotatingMassKg)),
      SIM_SWITCH("Vehicle", "yaw-curve-file", "also write yawcurve.csv: the true Cd(yaw)/Cd(0) every degree, 0 to 30",
                 yawCurveFile),

      SIM_NUMBER("Test day", "temperature", "F", "ambient temperature", "F", conditions.temperatureF),
      SIM_NUMBER("Test day", "pressure", "INHG", "barometric pressure", "inHg", conditions.pressureInHg),

      SIM_NUMBER("Wind", "wind-speed", "MPH", "mean true wind speed", "mph", wind.speedMph),
      SIM_NUMBER("Wind", "wind-direction", "DEG",
                 "where the wind blows from, clockwise from the odd-run heading (0 head wind, 90 from the right)",
                 "deg from the odd-run heading, clockwise", wind.directionDeg),
      SIM_NUMBER("Wind", "wind-drift", "MPH", "amplitude of the slow change of wind speed", "mph", wind.driftMph),
      SIM_NUMBER("Wind", "wind-veer", "DEG", "amplitude of the slow change of wind direction", "deg", wind.veerDeg),
      SIM_NUMBER("Wind", "drift-period", "S", "period of the slow changes", "s", wind.driftPeriodS),
      SIM_NUMBER("Wind", "gust", "MPH", "RMS of each horizontal gust component", "mph RMS per component",
                 wind.gustMph),
      SIM_NUMBER("Wind", "gust-time", "S", "shortest gust period (the longest is 20 times it)", "s", wind.gustTimeS),
      SIM_SWITCH("Wind", "track-wind-file",
                 "also write trackwind.csv: each DATA run's mean true wind beside the track", trackWindFile),
      Added(SIM_NUMBER("Wind", "track-wind-noise", "MPH",
                       "RMS error of each run's mean wind in trackwind.csv, per horizontal component",
                       "mph RMS per component", trackWindNoiseMph)),

      SIM_NUMBER("Anemometer", "anemo-gain", "G", "speed gain: reads G times the true air speed", "",
                 anemometer.gain),
      SIM_NUMBER("Anemometer", "anemo-offset", "MPH",
                 "speed offset added to the reading (coastdown's calibration removes -0.3 only)", "mph",
                 anemometer.offsetMph),
      SIM_NUMBER("Anemometer", "anemo-misalign", "DEG", "yaw read with the wind on the nose", "deg",
                 anemometer.misalignDeg),
      SIM_OPTIONAL("Anemometer", "anemo-yaw-gain", "G", "yaw gain, anemo-gain^-1.5 unless set", "",
                   anemometer.yawGain, FormatSignificant(c.anemometer.EffectiveYawGain(), 12),
                   "coupled to the gain"),
      SIM_OPTIONAL("Anemometer", "anemo-loss", "L",
                   "yaw-dependent loss: speed reading divided by (1 - L*yaw^2), yaw in degrees; "
                   "(1/anemo-gain - 1)*0.00053 unless set",
                   "per deg^2", anemometer.lossPerDeg2, FormatSignificant(c.anemometer.EffectiveLoss(), 12),
                   "coupled to the gain"),
      SIM_NUMBER("Anemometer", "anemo-noise", "MPH", "RMS noise of the air speed reading", "mph",
                 anemometer.speedNoiseMph),
      SIM_NUMBER("Anemometer", "yaw-noise", "DEG", "RMS noise of the yaw reading", "deg", anemometer.yawNoiseDeg),
      SIM_NUMBER("Anemometer", "speed-noise", "MPH", "RMS noise of the vehicle speed reading", "mph", speedNoiseMph),
      SIM_SWITCH("Anemometer", "no-anemometer", "no anemometer: the wind speed and yaw columns hold 0", noAnemometer),

      SIM_COUNT("Runs", "zero-runs", "N", "ZERO runs, 0 to 20", runs.zeroRuns),
      SIM_NUMBER("Runs", "zero-speed", "MPH", "speed of the ZERO runs", "mph", runs.zeroSpeedMph),
      SIM_NUMBER("Runs", "zero-duration", "S", "length of each ZERO run", "s", runs.zeroDurationS),
      SIM_COUNT("Runs", "cal-runs", "N", "CAL runs, 0 or an even number from 2 to 20", runs.calRuns),
      {"Runs", "cal-speeds", "MPH,...", "speed of each CAL pair, repeated when there are more pairs", "mph",
       [](SimConfig& c, const std::string& o, const std::string& v) { c.runs.calSpeedsMph = ParseList(o, v); },
       [](const SimConfig& c) { return Shown{ShowList(c.runs.calSpeedsMph), ""}; }, false},
      SIM_NUMBER("Runs", "cal-duration", "S", "length of each CAL run", "s", runs.calDurationS),
      SIM_COUNT("Runs", "data-runs", "N", "DATA runs (coastdowns), 1 to 100", runs.dataRuns),
      SIM_NUMBER("Runs", "coast-high", "MPH", "speed each coastdown starts at (the command's MAX_SPEED)", "mph",
                 runs.coastHighMph),
      SIM_NUMBER("Runs", "coast-low", "MPH", "speed each coastdown ends below (the command's MIN_SPEED)", "mph",
                 runs.coastLowMph),
      SIM_NUMBER("Runs", "turn-time", "S", "time from the end of one run to the start of the next", "s",
                 runs.turnTimeS),
      SIM_NUMBER("Runs", "step", "S", "integration step, at most 0.01 and dividing the record interval", "s",
                 runs.stepS),
      {"Runs", "rate", "HZ", "records per second of the run files, 1 to 1000 (coastdown reads 5 unless told)",
       "records/s", [](SimConfig& c, const std::string& o, const std::string& v) { c.rate = ParseCount(o, v); },
       [](const SimConfig& c) { return Shown{std::to_string(c.rate), ""}; }, true},

      SIM_SWITCH("Driving", "untrimmed",
                 "DATA files also hold the drive up to speed before the coast, the braking and the standstill after it",
                 untrimmed.enabled),
      Added(SIM_NUMBER("Driving", "turn-speed", "MPH", "speed through the turns; an untrimmed DATA file starts at it",
                       "mph", untrimmed.turnSpeedMph)),
      Added(SIM_NUMBER("Driving", "drive-accel", "M/S2", "acceleration up to speed, and deceleration into a turn",
                       "m/s^2", untrimmed.driveAccel)),
      Added(SIM_NUMBER("Driving", "steady-time", "S", "time held at the high speed before each untrimmed coast", "s",
                       untrimmed.steadyS)),
      Added(SIM_NUMBER("Driving", "brake-decel", "M/S2", "deceleration by the brakes after each coast, on top of the "
                       "road load (reached in 0.5 s)", "m/s^2", untrimmed.brakeDecel)),
      Added(SIM_NUMBER("Driving", "standstill-time", "S", "time at rest after each untrimmed coast's braking", "s",
                       untrimmed.standstillS)),

      SIM_CHOICE("Logger CSV", "logger-csv", "LAYOUT",
                 "also write the runs into logger/ as a data logger exports them: per-run (a file a run), day (one "
                 "recording of the whole day) or none",
                 loggerCsv.layout, kLayouts),
      SIM_CHOICE("Logger CSV", "csv-separator", "SEP", "column separator: comma, semicolon or tab", loggerCsv.separator,
                 kSeparators),
      SIM_CHOICE("Logger CSV", "csv-decimal", "MARK", "decimal mark: point or comma", loggerCsv.decimal, kDecimalMarks),
      SIM_CHOICE("Logger CSV", "csv-time", "FORM", "time column: seconds, clock (hh:mm:ss.fff) or none", loggerCsv.time,
                 kTimes),
      SIM_CHOICE("Logger CSV", "csv-speed", "UNIT", "unit of the speed and wind columns: kmh, mph or ms",
                 loggerCsv.speedUnit, kSpeeds),
      SIM_CHOICE("Logger CSV", "csv-wind", "YES|NO", "relative wind speed and yaw columns", loggerCsv.wind, kYesNo),
      SIM_CHOICE("Logger CSV", "csv-header", "YES|NO", "a first line of column names", loggerCsv.header, kYesNo),
      Added(SIM_COUNT("Logger CSV", "csv-decimals", "N", "decimals of the speeds and the yaw, 0 to 9",
                      loggerCsv.decimals)),
      {"Logger CSV", "csv-clock-start", "HH:MM:SS", "clock time of the first run's first record", "",
       [](SimConfig& c, const std::string& o, const std::string& v) { c.loggerCsv.clockStartS = ParseClock(o, v); },
       [](const SimConfig& c) { return Shown{ShowClock(c.loggerCsv.clockStartS), ""}; }, true},

      SIM_OPTIONAL("Printed command", "known-cd", "CD", "drag coefficient for the CD field", "", knownCd,
                   std::string(), "none: free fit"),
  };
  return table;
}

#undef SIM_NUMBER
#undef SIM_COUNT
#undef SIM_OPTIONAL
#undef SIM_SWITCH
#undef SIM_CHOICE

const OptionRow* Find(const std::string& name) {
  for (const OptionRow& row : Table()) {
    if (name == row.name) return &row;
  }
  return nullptr;
}

// An argument split into option name and, for --name=value, its value.
struct Argument {
  std::string name;
  std::optional<std::string> value;
};

Argument Split(const std::string& arg) {
  if (arg.size() < 3 || arg.compare(0, 2, "--") != 0) throw UsageError("unexpected argument '" + arg + "'");
  const std::size_t equals = arg.find('=');
  if (equals == std::string::npos) return {arg.substr(2), std::nullopt};
  return {arg.substr(2, equals - 2), arg.substr(equals + 1)};
}

// Walks the arguments, calling `use` with each option and its value.
template <class Use>
void ForEachOption(const std::vector<std::string>& args, const Use& use) {
  for (std::size_t i = 0; i < args.size(); ++i) {
    Argument a = Split(args[i]);
    const OptionRow* row = Find(a.name);
    if (row == nullptr) throw UsageError("unknown option '--" + a.name + "'");
    if (row->metavar == nullptr) {
      if (a.value) throw UsageError("--" + a.name + " takes no value");
      a.value = "";
    } else if (!a.value) {
      // A following option is never taken for a value; negative numbers
      // start with a single dash and still are.
      if (i + 1 >= args.size() || args[i + 1].compare(0, 2, "--") == 0) {
        throw UsageError("--" + a.name + " needs a value (" + row->metavar + ")");
      }
      a.value = args[++i];
    }
    use(*row, *a.value);
  }
}

std::string Show(double value) { return FormatShortest(value); }

void Require(bool ok, const std::string& message) {
  if (!ok) throw UsageError(message);
}

void InRange(const char* option, double value, double low, double high, const char* unit) {
  Require(value >= low && value <= high, std::string("--") + option + " must be from " + Show(low) + " to " +
                                             Show(high) + (*unit ? " " : "") + unit + " (got " + Show(value) + ")");
}

void Above(const char* option, double value, double low, double high, const char* unit) {
  Require(value > low && value <= high, std::string("--") + option + " must be above " + Show(low) + " and at most " +
                                            Show(high) + (*unit ? " " : "") + unit + " (got " + Show(value) + ")");
}

}  // namespace

ParsedOptions ParseOptions(const std::vector<std::string>& args) {
  ParsedOptions parsed;
  for (const std::string& a : args) {
    if (a == "--help" || a == "-h") {
      parsed.help = true;
      return parsed;
    }
  }
  std::string scenario = kDefaultScenario;
  ForEachOption(args, [&](const OptionRow& row, const std::string& value) {
    if (std::string(row.name) == "scenario") scenario = value;
  });
  if (!ScenarioConfig(scenario, parsed.config)) {
    std::string names;
    for (const ScenarioInfo& s : Scenarios()) names += (names.empty() ? "" : ", ") + std::string(s.name);
    throw UsageError("--scenario: unknown scenario '" + scenario + "' (one of " + names + ")");
  }
  std::string& recorded = parsed.config.optionText;
  std::string csvOption;  // the first logger layout option given
  ForEachOption(args, [&](const OptionRow& row, const std::string& value) {
    row.set(parsed.config, row.name, value);
    parsed.config.extended = parsed.config.extended || row.added;
    if (std::string(row.name).starts_with("csv-") && csvOption.empty()) csvOption = row.name;
    if (row.unit != nullptr) {
      recorded += (recorded.empty() ? "--" : " --") + std::string(row.name);
      if (row.metavar != nullptr) recorded += " " + CommandWord(value);
    }
  });
  if (!csvOption.empty() && parsed.config.loggerCsv.layout == CsvLayout::None) {
    throw UsageError("--" + csvOption + " needs --logger-csv per-run or day");
  }
  Validate(parsed.config);
  return parsed;
}

void Validate(const SimConfig& c) {
  Require(!c.outDir.empty(), "--out DIR is required");
  // The analysis splits its argument text at commas and deletes quotes, so
  // such a folder could not be named on its command line.
  Require(c.outDir.find_first_of(",\"") == std::string::npos,
          "--out: the folder name must not hold a comma or a double quote (coastdown could not name it)");
  if (c.knownCd) Above("known-cd", *c.knownCd, 0.0, 3.0, "");

  const VehicleConfig& v = c.vehicle;
  Above("weight", v.weightLb, 0.0, 200000.0, "lb");
  Above("area", v.areaFt2, 0.0, 500.0, "ft^2");
  InRange("cd", v.cd0, 0.0, 3.0, "");
  InRange("cd-yaw", v.cdYawPerDeg2, 0.0, 0.01, "per deg^2");
  InRange("mech-a", v.mechA, 0.0, 5000.0, "lbf");
  InRange("mech-b", v.mechB, 0.0, 100.0, "lbf/mph");
  InRange("mech-c", v.mechC, 0.0, 10.0, "lbf/mph^2");
  InRange("road-noise", v.roadNoiseLbf, 0.0, 100.0, "lbf");
  Require(v.mechA + v.mechB + v.mechC + v.cd0 > 0.0,
          "the vehicle has no road load: set --mech-a, --mech-b, --mech-c or --cd above 0");

  InRange("temperature", c.conditions.temperatureF, -40.0, 130.0, "F");
  InRange("pressure", c.conditions.pressureInHg, 20.0, 33.0, "inHg");

  const WindConfig& w = c.wind;
  InRange("wind-speed", w.speedMph, 0.0, 60.0, "mph");
  InRange("wind-direction", w.directionDeg, -360.0, 360.0, "deg");
  InRange("wind-drift", w.driftMph, 0.0, w.speedMph, "mph (the wind speed)");
  InRange("wind-veer", w.veerDeg, 0.0, 180.0, "deg");
  InRange("drift-period", w.driftPeriodS, 10.0, 1.0e6, "s");
  InRange("gust", w.gustMph, 0.0, 20.0, "mph");
  InRange("gust-time", w.gustTimeS, 0.5, 600.0, "s");

  const AnemometerConfig& a = c.anemometer;
  InRange("anemo-gain", a.gain, 0.7, 1.3, "");
  InRange("anemo-offset", a.offsetMph, -5.0, 5.0, "mph");
  // The analysis searches the yaw offset upward from -11 degrees.
  InRange("anemo-misalign", a.misalignDeg, -10.0, 10.0, "deg");
  if (a.yawGain) InRange("anemo-yaw-gain", *a.yawGain, 0.5, 2.0, "");
  // Beyond this the loss term would swamp the reading at the yaw angles of
  // a strong crosswind.
  InRange("anemo-loss", a.EffectiveLoss(), -0.0004, 0.0004, "per deg^2");
  InRange("anemo-noise", a.speedNoiseMph, 0.0, 10.0, "mph");
  InRange("yaw-noise", a.yawNoiseDeg, 0.0, 10.0, "deg");
  InRange("speed-noise", c.speedNoiseMph, 0.0, 5.0, "mph");

  const RunPlan& r = c.runs;
  InRange("zero-runs", r.zeroRuns, 0, 20, "");
  Above("zero-speed", r.zeroSpeedMph, 0.0, 150.0, "mph");
  // A run of d seconds gives the analysis d - 1 one-second samples; the
  // calibration needs two per run.
  InRange("zero-duration", r.zeroDurationS, 3.0, kLongestRunS, "s");
  InRange("cal-runs", r.calRuns, 0, 20, "");
  Require(r.calRuns % 2 == 0, "--cal-runs must be even: CAL runs come in pairs of opposite direction (got " +
                                  std::to_string(r.calRuns) + ")");
  Require(!r.calSpeedsMph.empty(), "--cal-speeds needs at least one speed");
  for (double s : r.calSpeedsMph) Above("cal-speeds", s, 0.0, 150.0, "mph");
  InRange("cal-duration", r.calDurationS, 3.0, kLongestRunS, "s");
  InRange("data-runs", r.dataRuns, 1, 100, "");
  Above("coast-low", r.coastLowMph, 0.0, 150.0, "mph");
  Above("coast-high", r.coastHighMph, 0.0, 150.0, "mph");
  Require(r.coastLowMph < r.coastHighMph, "--coast-low (" + Show(r.coastLowMph) + " mph) must be below --coast-high (" +
                                              Show(r.coastHighMph) + " mph)");
  InRange("turn-time", r.turnTimeS, 0.0, 3600.0, "s");
  InRange("rate", c.rate, 1, 1000, "records/s");
  Above("step", r.stepS, 0.0, 0.01, "s");
  const double interval = RecordInterval(c.rate);
  const double perRecord = interval / r.stepS;
  Require(std::fabs(perRecord - std::round(perRecord)) < 1e-9 * perRecord,
          "--step must divide the " + FormatSignificant(interval, 6) + " s record interval" +
              (c.rate == kRecordsPerSecond ? std::string() : " of --rate " + std::to_string(c.rate)) +
              " evenly (got " + Show(r.stepS) + ")");
  for (const auto& [option, duration] : {std::pair<const char*, double>{"zero-duration", r.zeroDurationS},
                                         {"cal-duration", r.calDurationS}}) {
    const long records = std::lround(duration * c.rate) + 1;
    Require(records <= kMostRecordsPerFile, std::string("--") + option + ": " + Show(duration) + " s at " +
                                                std::to_string(c.rate) + " records a second makes " +
                                                std::to_string(records) + " records, more than the " +
                                                std::to_string(kMostRecordsPerFile) + " a run file can hold");
  }

  Require(c.vehicle.rotatingMassKg >= 0.0 && c.vehicle.rotatingMassKg <= MassFromWeight(v.weightLb),
          "--rotating-mass must be from 0 to the test mass, " + FormatSignificant(MassFromWeight(v.weightLb), 6) +
              " kg (got " + Show(c.vehicle.rotatingMassKg) + ")");
  InRange("track-wind-noise", c.trackWindNoiseMph, 0.0, 10.0, "mph");

  const UntrimmedConfig& u = c.untrimmed;
  Above("turn-speed", u.turnSpeedMph, 0.0, 150.0, "mph");
  Above("drive-accel", u.driveAccel, 0.0, 10.0, "m/s^2");
  InRange("steady-time", u.steadyS, 0.0, 600.0, "s");
  Above("brake-decel", u.brakeDecel, 0.0, 12.0, "m/s^2");
  InRange("standstill-time", u.standstillS, 0.0, 600.0, "s");

  const LoggerCsvConfig& csv = c.loggerCsv;
  InRange("csv-decimals", csv.decimals, 0, 9, "");
  Require(!(csv.decimal == ',' && csv.separator == ','),
          "--csv-decimal comma needs --csv-separator semicolon or tab: a comma cannot mark both");
  if (csv.layout == CsvLayout::Day) {
    // One recording holds every run on one record grid.
    const double records = r.turnTimeS * c.rate;
    Require(std::fabs(records - std::round(records)) < 1e-9 * std::max(1.0, records),
            "--turn-time must be a whole number of record intervals (" + FormatSignificant(interval, 6) +
                " s) for --logger-csv day (got " + Show(r.turnTimeS) + ")");
  }
  if (u.enabled || csv.layout == CsvLayout::Day) {
    const std::string tooShort = TurnTooShort(c);
    Require(tooShort.empty(), tooShort);
  }

  // The wind along the track must never overtake the vehicle, or the air
  // would reach it from behind, which the drag model does not describe.
  double slowest = r.coastLowMph;
  if (r.zeroRuns > 0) slowest = std::min(slowest, r.zeroSpeedMph);
  if (r.calRuns > 0) {
    for (double s : r.calSpeedsMph) slowest = std::min(slowest, s);
  }
  const double strongest = w.speedMph + w.driftMph + 3.0 * w.gustMph;
  Require(strongest < slowest, "the wind with drift and gusts (--wind-speed + --wind-drift + 3 x --gust = " +
                                   Show(strongest) + " mph) must stay below the slowest driving speed (" +
                                   Show(slowest) + " mph)");
}

std::vector<Parameter> Parameters(const SimConfig& c) {
  std::vector<Parameter> parameters;
  for (const OptionRow& row : Table()) {
    if (row.unit == nullptr || (row.added && !c.extended)) continue;
    const Shown shown = row.show(c);
    std::string text = shown.value;
    for (const std::string& part : {std::string(row.unit), shown.note.empty() ? "" : "(" + shown.note + ")"}) {
      if (!part.empty()) text += (text.empty() ? "" : " ") + part;
    }
    parameters.push_back({row.name, text});
  }
  return parameters;
}

std::string HelpText() {
  SimConfig defaults;
  ScenarioConfig(kDefaultScenario, defaults);
  std::string text =
      "Usage: coastdown-sim --out DIR [options]\n"
      "\n"
      "Simulates a coastdown test of known road load and writes its test folder:\n"
      "ZERO.n and CAL.n runs at steady speed, DATA.n coastdowns, truth.txt with the\n"
      "true results as coastdown reports them, and COMMAND with the argument text for\n"
      "coastdown. Prints the coastdown command line for the folder on standard output.\n"
      "A folder that already holds run files or a report is refused without --force.\n"
      "Options take a value as '--name value' or '--name=value'; the last one counts.\n"
      "Defaults in brackets are those of the default scenario, " + std::string(kDefaultScenario) + ".\n";
  const char* group = "";
  for (const OptionRow& row : Table()) {
    if (std::string(group) != row.group) {
      if (std::string(group) == "General") text += "  --help, -h              print this text and exit\n";
      group = row.group;
      text += std::string("\n") + group + ":\n";
    }
    std::string left = std::string("  --") + row.name + (row.metavar ? std::string(" ") + row.metavar : "");
    if (left.size() < 26) left.resize(26, ' ');
    else left += " ";
    const Shown shown = row.show(defaults);
    // A switch is off unless given.
    const std::string value = row.metavar == nullptr ? "" : shown.note.empty() ? shown.value : shown.note;
    text += left + row.help + (value.empty() ? "" : " [" + value + "]") + "\n";
  }
  text += "\nScenarios (--scenario NAME):\n";
  for (const ScenarioInfo& s : Scenarios()) {
    std::string left = std::string("  ") + s.name;
    left.resize(26, ' ');
    text += left + s.summary + "\n";
  }
  text +=
      "\n"
      "Exit status:\n"
      "  0  the folder was written (or --help)\n"
      "  1  the folder holds an earlier test (see --force) or could not be written, a\n"
      "     coastdown did not reach its low speed, or an untrimmed DATA file would hold\n"
      "     more records than a run file can\n"
      "  2  usage error: unknown option, missing or malformed value, value out of range\n";
  return text;
}

}  // namespace sim
