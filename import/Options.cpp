// Option table, values with units, checks and the --help text.
#include "Options.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <functional>

#include "TextDecoding.h"
#include "Units.h"

namespace importer {

namespace {

constexpr double kNewtonPerPound = 4.448;  // the analysis' weight factor
constexpr double kStandardGravity = 9.80665;
constexpr double kKilopascalPerInchHg = 3.3865;
constexpr double kSquareMetresPerSquareFoot = 0.0929;

using Setter = std::function<void(Options&, const std::string& value)>;

struct OptionRow {
  const char* group;
  const char* name;     // without "--"
  const char* metavar;  // nullptr: a switch; ends in "...": a list of files
  const char* help;
  Setter set;
};

std::string Shown(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.10g", value);
  return text;
}

double Number(const std::string& option, const std::string& text) {
  const char* first = text.data();
  const char* last = text.data() + text.size();
  if (first != last && *first == '+') ++first;
  double value = 0.0;
  const auto result = std::from_chars(first, last, value);
  if (text.empty() || result.ec != std::errc() || result.ptr != last || !std::isfinite(value)) {
    throw UsageError("--" + option + ": " + Quoted(text) + " is not a number");
  }
  return value;
}

// A quantity and its unit's factor to the unit wanted; the unit must be
// one of `units` (each with its factor and offset: wanted = value·factor +
// offset).
struct UnitRow {
  const char* name;
  double factor;
  double offset;
};

double WithUnit(const std::string& option, const std::string& text, std::initializer_list<UnitRow> units,
                const char* example) {
  std::string names;
  for (const UnitRow& u : units) names += (names.empty() ? "" : ", ") + std::string(u.name);
  const std::optional<Quantity> q = SplitQuantity(text);
  if (!q) throw UsageError("--" + option + ": " + Quoted(text) + " is not a number with a unit (e.g. " + example + ")");
  if (q->unit.empty()) {
    throw UsageError("--" + option + " " + text + ": give the unit (" + names + "), e.g. --" + option + " " + example);
  }
  const std::string unit = LowerAscii(q->unit);
  for (const UnitRow& u : units) {
    if (unit == LowerAscii(u.name)) return q->value * u.factor + u.offset;
  }
  throw UsageError("--" + option + ": unknown unit " + Quoted(q->unit) + " (one of " + names + ")");
}

// A value checked against what the quantity can be, with the likely
// mistake named.
void Plausible(const std::string& option, double value, double low, double high, const char* unit, const char* hint) {
  if (value >= low && value <= high) return;
  throw UsageError("--" + option + ": " + Shown(value) + " " + unit + " is not a plausible value (" + Shown(low) +
                   " to " + Shown(high) + " " + unit + ")" + hint);
}

double SpeedMph(const std::string& option, const std::string& text) {
  const double ms = WithUnit(option, text,
                             {{"kmh", 1.0 / 3.6, 0}, {"km/h", 1.0 / 3.6, 0}, {"mph", 0.44704, 0}, {"ms", 1.0, 0},
                              {"m/s", 1.0, 0}, {"kn", 1852.0 / 3600.0, 0}},
                             "15mph");
  return MetresPerSecondToMph(ms);
}

double SpeedMs(const std::string& option, const std::string& text) {
  return SpeedMph(option, text) * 0.44704;
}

SpeedUnit SpeedUnitOption(const std::string& option, const std::string& text) {
  const std::optional<SpeedUnit> unit = SpeedUnitNamed(text);
  if (!unit) throw UsageError("--" + option + ": " + Quoted(text) + " is not a speed unit (kmh, mph, ms or kn)");
  return *unit;
}

std::vector<RunRole> RunOrder(const std::string& text) {
  std::vector<RunRole> order;
  std::size_t at = 0;
  for (;;) {
    const std::size_t comma = text.find(',', at);
    const std::string item = LowerAscii(text.substr(at, comma - at));
    const std::size_t colon = item.find(':');
    const std::string word = item.substr(0, colon);
    long count = 1;
    if (colon != std::string::npos) {
      const std::string digits = item.substr(colon + 1);
      const auto r = std::from_chars(digits.data(), digits.data() + digits.size(), count);
      if (digits.empty() || r.ec != std::errc() || r.ptr != digits.data() + digits.size() || count < 1 ||
          count > 1000) {
        throw UsageError("--run-order: " + Quoted(item) + ": the count after ':' must be a whole number from 1 to 1000");
      }
    }
    RunRole role = RunRole::Skip;
    if (word == "zero") {
      role = RunRole::Zero;
    } else if (word == "cal") {
      role = RunRole::Cal;
    } else if (word == "data") {
      role = RunRole::Data;
    } else if (word != "skip") {
      throw UsageError("--run-order: " + Quoted(word) + " is not zero, cal, data or skip");
    }
    order.insert(order.end(), static_cast<std::size_t>(count), role);
    if (comma == std::string::npos) break;
    at = comma + 1;
  }
  return order;
}

std::vector<std::string> List(const std::string& text) {
  std::vector<std::string> items;
  std::size_t at = 0;
  for (;;) {
    const std::size_t comma = text.find(',', at);
    items.push_back(text.substr(at, comma - at));
    if (comma == std::string::npos) break;
    at = comma + 1;
  }
  return items;
}

// The order is that of --help.
const std::vector<OptionRow>& Table() {
  static const std::vector<OptionRow> table = {
      {"General", "out", "DIR", "test folder to write; created when missing (required)",
       [](Options& o, const std::string& v) {
         if (v.empty()) throw UsageError("--out: the folder name is empty");
         o.outDir = v;
       }},
      {"General", "force", nullptr,
       "write into a folder that holds run files or a report; its run files are removed first",
       [](Options& o, const std::string&) { o.force = true; }},

      {"Logger files", "data", "FILE...", "one DATA run (coastdown) a file, in driving order",
       [](Options& o, const std::string& v) { o.dataFiles.push_back(v); }},
      {"Logger files", "cal", "FILE...", "one CAL run a file, in driving order",
       [](Options& o, const std::string& v) { o.calFiles.push_back(v); }},
      {"Logger files", "zero", "FILE...", "one ZERO run a file, in driving order",
       [](Options& o, const std::string& v) { o.zeroFiles.push_back(v); }},
      {"Logger files", "recording", "FILE...", "recordings of many runs each, cut into runs (see --run-order)",
       [](Options& o, const std::string& v) { o.recordings.push_back(v); }},

      {"Reading the files", "separator", "SEP", "comma, semicolon, tab or blanks (found from the records)",
       [](Options& o, const std::string& v) {
         const std::string s = LowerAscii(v);
         if (s == "comma" || s == ",") {
           o.read.csv.separator = Separator::Comma;
         } else if (s == "semicolon" || s == ";") {
           o.read.csv.separator = Separator::Semicolon;
         } else if (s == "tab") {
           o.read.csv.separator = Separator::Tab;
         } else if (s == "blanks" || s == "space") {
           o.read.csv.separator = Separator::Blanks;
         } else {
           throw UsageError("--separator: " + Quoted(v) + " is not comma, semicolon, tab or blanks");
         }
       }},
      {"Reading the files", "decimal", "MARK", "point or comma (found from the records where they tell)",
       [](Options& o, const std::string& v) {
         const std::string s = LowerAscii(v);
         if (s == "point" || s == ".") {
           o.read.csv.decimal = DecimalMark::Point;
         } else if (s == "comma" || s == ",") {
           o.read.csv.decimal = DecimalMark::Comma;
         } else {
           throw UsageError("--decimal: " + Quoted(v) + " is not point or comma");
         }
       }},
      {"Reading the files", "header", "LINE", "line of the column names, or none (found: the last line above the records)",
       [](Options& o, const std::string& v) {
         if (LowerAscii(v) == "none") {
           o.read.csv.noHeader = true;
           return;
         }
         const double line = Number("header", v);
         if (line < 1 || line != std::floor(line) || line > 1e9) {
           throw UsageError("--header: " + Quoted(v) + " is not a line number (from 1) or none");
         }
         o.read.csv.headerLine = static_cast<std::size_t>(line);
       }},
      {"Reading the files", "time-column", "COLUMN",
       "name or position (from 1) of the time, or none (recognised from the header)",
       [](Options& o, const std::string& v) { o.read.columns.time = v; }},
      {"Reading the files", "speed-column", "COLUMN", "name or position of the vehicle speed",
       [](Options& o, const std::string& v) { o.read.columns.speed = v; }},
      {"Reading the files", "wind-column", "COLUMN", "name or position of the relative wind speed, or none",
       [](Options& o, const std::string& v) { o.read.columns.wind = v; }},
      {"Reading the files", "yaw-column", "COLUMN", "name or position of the yaw angle, or none",
       [](Options& o, const std::string& v) { o.read.columns.yaw = v; }},
      {"Reading the files", "heading-column", "COLUMN",
       "name or position of a GPS heading (course), which tells the runs' directions, or none",
       [](Options& o, const std::string& v) { o.read.columns.heading = v; }},
      {"Reading the files", "time-unit", "UNIT", "s, ms or clock (from the header; clock times are recognised)",
       [](Options& o, const std::string& v) {
         const std::optional<TimeUnit> unit = TimeUnitNamed(v);
         if (!unit) throw UsageError("--time-unit: " + Quoted(v) + " is not s, ms or clock");
         o.read.timeUnit = unit;
       }},
      {"Reading the files", "speed-unit", "UNIT", "kmh, mph, ms or kn (from the header)",
       [](Options& o, const std::string& v) { o.read.speedUnit = SpeedUnitOption("speed-unit", v); }},
      {"Reading the files", "wind-unit", "UNIT", "kmh, mph, ms or kn (from the header)",
       [](Options& o, const std::string& v) { o.read.windUnit = SpeedUnitOption("wind-unit", v); }},
      {"Reading the files", "yaw-unit", "UNIT", "deg or rad (from the header; deg when it gives none)",
       [](Options& o, const std::string& v) {
         const std::optional<AngleUnit> unit = AngleUnitNamed(v);
         if (!unit) throw UsageError("--yaw-unit: " + Quoted(v) + " is not deg or rad");
         o.read.yawUnit = unit;
       }},
      {"Reading the files", "rate", "HZ", "records a second of files without a time column",
       [](Options& o, const std::string& v) {
         const double rate = Number("rate", v);
         if (!(rate >= 0.5 && rate <= 1000.0)) throw UsageError("--rate must be from 0.5 to 1000 (got " + v + ")");
         o.read.rate = rate;
       }},
      {"Reading the files", "max-gap", "S", "longest stretch without records bridged by a straight line [1]",
       [](Options& o, const std::string& v) {
         o.maxGap = Number("max-gap", v);
         if (!(o.maxGap >= 0.0 && o.maxGap <= 60.0)) throw UsageError("--max-gap must be from 0 to 60 s (got " + v + ")");
       }},

      {"Runs", "split", "TIME,...", "cut the recordings at these times (as the time column writes them) and nowhere else",
       [](Options& o, const std::string& v) { o.splitTimes = List(v); }},
      {"Runs", "run-order", "ROLE,...",
       "what each run found in the recordings is: zero, cal, data or skip, each with :N for N runs (data:10)",
       [](Options& o, const std::string& v) { o.runOrder = RunOrder(v); }},
      {"Runs", "split-drop", "SPEED", "fall and rise of the speed that separates two runs [15kmh]",
       [](Options& o, const std::string& v) {
         o.splitDrop = SpeedMs("split-drop", v);
         if (!(o.splitDrop > 0.0)) throw UsageError("--split-drop must be above 0");
       }},
      {"Runs", "stop-speed", "SPEED", "speed below which the vehicle stands [2kmh]",
       [](Options& o, const std::string& v) {
         o.stopSpeed = SpeedMs("stop-speed", v);
         if (!(o.stopSpeed >= 0.0 && o.stopSpeed < 10.0)) throw UsageError("--stop-speed must be from 0 to 36 km/h");
       }},
      {"Runs", "no-trim", nullptr, "keep every run whole (the files hold only the coast or the steady run)",
       [](Options& o, const std::string&) { o.trim = false; }},

      {"coastdown's command", "weight", "MASS", "test (inertia) mass: kg or lb, e.g. 1590kg",
       [](Options& o, const std::string& v) {
         const double lb = WithUnit("weight", v,
                                    {{"kg", kStandardGravity / kNewtonPerPound, 0}, {"lb", 1.0, 0}, {"lbs", 1.0, 0}},
                                    "1590kg");
         Plausible("weight", lb * kNewtonPerPound / kStandardGravity, 100.0, 100000.0, "kg", "");
         o.weightLb = lb;
         o.weightText = v;
       }},
      {"coastdown's command", "temperature", "TEMP", "ambient temperature: C or F, e.g. 20C",
       [](Options& o, const std::string& v) {
         const double f = WithUnit("temperature", v, {{"C", 1.8, 32.0}, {"degC", 1.8, 32.0}, {"\xC2\xB0" "C", 1.8, 32.0},
                                                      {"F", 1.0, 0.0}, {"degF", 1.0, 0.0}, {"\xC2\xB0" "F", 1.0, 0.0}},
                                     "20C");
         Plausible("temperature", (f - 32.0) / 1.8, -40.0, 60.0, "C", (f - 32.0) / 1.8 > 60.0 ? " (F given as C?)" : "");
         o.temperatureF = f;
         o.temperatureText = v;
       }},
      {"coastdown's command", "pressure", "PRESSURE", "barometric pressure: kPa, hPa, mbar or inHg, e.g. 98.5kPa",
       [](Options& o, const std::string& v) {
         const double inHg = WithUnit("pressure", v,
                                      {{"kPa", 1.0 / kKilopascalPerInchHg, 0},
                                       {"hPa", 0.1 / kKilopascalPerInchHg, 0},
                                       {"mbar", 0.1 / kKilopascalPerInchHg, 0},
                                       {"inHg", 1.0, 0}},
                                      "98.5kPa");
         Plausible("pressure", inHg * kKilopascalPerInchHg, 60.0, 110.0, "kPa",
                   inHg * kKilopascalPerInchHg > 110.0 ? " (hPa or mbar given as kPa?)" : "");
         o.pressureInHg = inHg;
         o.pressureText = v;
       }},
      {"coastdown's command", "area", "AREA", "frontal area: m2 or ft2, e.g. 2.1m2",
       [](Options& o, const std::string& v) {
         const double ft2 = WithUnit("area", v, {{"m2", 1.0 / kSquareMetresPerSquareFoot, 0},
                                                 {"m^2", 1.0 / kSquareMetresPerSquareFoot, 0},
                                                 {"ft2", 1.0, 0},
                                                 {"ft^2", 1.0, 0}},
                                     "2.1m2");
         Plausible("area", ft2 * kSquareMetresPerSquareFoot, 0.3, 15.0, "m2",
                   ft2 * kSquareMetresPerSquareFoot > 15.0 ? " (ft2 given as m2?)" : "");
         o.areaFt2 = ft2;
         o.areaText = v;
       }},
      {"coastdown's command", "known-cd", "CD", "drag coefficient for the CD field (empty: the free fit)",
       [](Options& o, const std::string& v) {
         o.knownCd = Number("known-cd", v);
         if (!(*o.knownCd > 0.0 && *o.knownCd <= 3.0)) throw UsageError("--known-cd must be above 0 and at most 3");
       }},
      {"coastdown's command", "min-speed", "SPEED",
       "MIN_SPEED, e.g. 15mph [the highest speed at which a DATA coast ends]",
       [](Options& o, const std::string& v) { o.minSpeedMph = SpeedMph("min-speed", v); }},
      {"coastdown's command", "max-speed", "SPEED",
       "MAX_SPEED, e.g. 70mph [the lowest speed at which a DATA coast starts]",
       [](Options& o, const std::string& v) { o.maxSpeedMph = SpeedMph("max-speed", v); }},
      {"coastdown's command", "no-command", nullptr, "write no COMMAND (the four values above are then not needed)",
       [](Options& o, const std::string&) { o.command = false; }},
  };
  return table;
}

const OptionRow* Find(const std::string& name) {
  for (const OptionRow& row : Table()) {
    if (name == row.name) return &row;
  }
  return nullptr;
}

bool IsFileList(const OptionRow& row) {
  const std::string metavar = row.metavar != nullptr ? row.metavar : "";
  return metavar.size() > 3 && metavar.compare(metavar.size() - 3, 3, "...") == 0 && metavar != "TIME,..." &&
         metavar != "ROLE,...";
}

void Check(const Options& o) {
  if (o.outDir.empty()) throw UsageError("--out DIR is required");
  // coastdown splits its argument text at commas and deletes quotes.
  if (o.outDir.find_first_of(",\"") != std::string::npos) {
    throw UsageError("--out: the folder name must not hold a comma or a double quote (coastdown could not name it)");
  }
  const bool perRun = !o.zeroFiles.empty() || !o.calFiles.empty() || !o.dataFiles.empty();
  if (!perRun && o.recordings.empty()) {
    throw UsageError("no logger file given: --data FILE... (one run a file) or --recording FILE... (many runs)");
  }
  if (perRun && !o.recordings.empty()) {
    throw UsageError("give either files of one run each (--data, --cal, --zero) or --recording, not both");
  }
  if (!o.runOrder.empty() && o.recordings.empty()) throw UsageError("--run-order is for --recording");
  if (!o.splitTimes.empty() && o.recordings.empty()) throw UsageError("--split is for --recording");
  if (o.minSpeedMph && o.maxSpeedMph && !(*o.minSpeedMph < *o.maxSpeedMph)) {
    throw UsageError("--min-speed must be below --max-speed");
  }
  if (o.command) {
    std::string missing;
    if (!o.weightLb) missing += " --weight";
    if (!o.temperatureF) missing += " --temperature";
    if (!o.pressureInHg) missing += " --pressure";
    if (!o.areaFt2) missing += " --area";
    if (!missing.empty()) {
      throw UsageError("coastdown's command needs" + missing +
                       " (or give --no-command to write the run files without it)");
    }
  }
}

constexpr std::size_t kHelpColumn = 25;
constexpr std::size_t kHelpWidth = 79;

// A help text in lines that end before kHelpWidth, continued under the
// help column.
std::string Wrapped(const std::string& help) {
  std::string text;
  std::size_t column = kHelpColumn;
  std::size_t at = 0;
  while (at < help.size()) {
    std::size_t end = help.find(' ', at);
    if (end == std::string::npos) end = help.size();
    const std::string word = help.substr(at, end - at);
    if (column > kHelpColumn && column + 1 + word.size() > kHelpWidth) {
      text += "\n" + std::string(kHelpColumn, ' ');
      column = kHelpColumn;
    } else if (column > kHelpColumn) {
      text += ' ';
      ++column;
    }
    text += word;
    column += word.size();
    at = end + 1;
  }
  return text;
}

}  // namespace

const char* RunSetName(RunSet set) {
  switch (set) {
    case RunSet::Zero:
      return "ZERO";
    case RunSet::Cal:
      return "CAL";
    case RunSet::Data:
      return "DATA";
  }
  return "";
}

Options ParseOptions(const std::vector<std::string>& args) {
  Options o;
  for (const std::string& a : args) {
    if (a == "--help" || a == "-h") {
      o.help = true;
      return o;
    }
    if (a == "--version") {
      o.version = true;
      return o;
    }
  }
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg.size() < 3 || arg.compare(0, 2, "--") != 0) {
      throw UsageError("unexpected argument " + Quoted(arg) + " (files follow --data, --cal, --zero or --recording)");
    }
    const std::size_t equals = arg.find('=');
    const std::string name = arg.substr(2, equals == std::string::npos ? std::string::npos : equals - 2);
    const OptionRow* row = Find(name);
    if (row == nullptr) throw UsageError("unknown option '--" + name + "'");
    if (row->metavar == nullptr) {
      if (equals != std::string::npos) throw UsageError("--" + name + " takes no value");
      row->set(o, "");
      continue;
    }
    if (equals != std::string::npos) {
      row->set(o, arg.substr(equals + 1));
      continue;
    }
    // A following option is never taken for a value.
    if (i + 1 >= args.size() || args[i + 1].compare(0, 2, "--") == 0) {
      throw UsageError("--" + name + " needs a value (" + row->metavar + ")");
    }
    row->set(o, args[++i]);
    if (IsFileList(*row)) {
      while (i + 1 < args.size() && args[i + 1].compare(0, 2, "--") != 0) row->set(o, args[++i]);
    }
  }
  Check(o);
  return o;
}

std::string HelpText() {
  std::string text =
      "Usage: coastdown-import --out DIR [options] --data FILE... [--cal FILE...]\n"
      "                        [--zero FILE...]\n"
      "       coastdown-import --out DIR [options] --recording FILE...\n"
      "                        [--run-order ROLE,...]\n"
      "\n"
      "Turns data loggers' CSV exports into a test folder for coastdown: ZERO.n, CAL.n\n"
      "and DATA.n run files (mph, mph, degrees, five records a second), COMMAND with\n"
      "the argument text for coastdown, and SUMMARY.txt, which it also prints: what\n"
      "was read, kept and cut. DATA runs are trimmed to their coast, ZERO and CAL runs\n"
      "to their steady part. A folder that holds run files or a report is refused\n"
      "without --force; the logger files are only read.\n"
      "Options take a value as '--name value' or '--name=value'.\n";
  const char* group = "";
  for (const OptionRow& row : Table()) {
    if (std::string(group) != row.group) {
      if (std::string(group) == "General") {
        text += "  --help, -h             print this text and exit\n"
                "  --version              print the version and exit\n";
      }
      group = row.group;
      text += std::string("\n") + group + ":\n";
    }
    std::string left = std::string("  --") + row.name + (row.metavar ? std::string(" ") + row.metavar : "");
    if (left.size() < kHelpColumn) {
      left.resize(kHelpColumn, ' ');
    } else {
      left += "\n" + std::string(kHelpColumn, ' ');
    }
    text += left + Wrapped(row.help) + "\n";
  }
  return text;
}

}  // namespace importer
