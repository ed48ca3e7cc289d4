// From a table's fields to samples in SI units, and the regularity of
// their times.
#include "Recording.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "FieldText.h"
#include "ImportError.h"
#include "TextDecoding.h"

namespace importer {

namespace {

constexpr double kSecondsPerDay = 86400.0;

std::string Where(const Recording& r, std::size_t line, const Column& column) {
  return r.fileName + ", line " + std::to_string(line) + ", " + column.label;
}

// A unit from an option, else from the header; the header's is checked
// against the option's, since the option may be the mistake.
template <class Unit>
std::optional<Unit> Resolve(Recording& r, const Column& column, const std::optional<Unit>& option,
                            std::optional<Unit> (*named)(std::string_view), const char* optionName, const char* kind) {
  std::optional<Unit> fromHeader;
  if (!column.unit.empty()) {
    fromHeader = named(column.unit);
    if (!fromHeader && !option) {
      throw ImportError(r.fileName + ": the unit " + Quoted(column.unit) + " of " + column.label + " is not " + kind +
                        " unit the importer knows; give " + optionName);
    }
  }
  if (option && fromHeader && *option != *fromHeader) {
    r.warnings.push_back(std::string(optionName) + " " + UnitName(*option) + " is used for " + column.label + " of " +
                         r.fileName + ", whose header gives " + Quoted(column.unit));
  }
  return option ? option : fromHeader;
}

std::string NotANumber(const Recording& r, const CsvRow& row, const Column& column, DecimalMark mark) {
  const std::string& text = row.fields[column.index];
  std::string hint;
  const NumberShape shape = ShapeOf(text);
  if (shape == NumberShape::CommaDecimal && mark == DecimalMark::Point) {
    hint = " (a decimal comma, where this file's numbers have a point; give --decimal comma if that is its mark)";
  } else if (shape == NumberShape::PointDecimal && mark == DecimalMark::Comma) {
    hint = " (a decimal point, where this file's numbers have a comma; give --decimal point if that is its mark)";
  } else if (shape == NumberShape::NotNumber) {
    std::string visible;
    for (const char ch : text) {
      const auto b = static_cast<unsigned char>(ch);
      if (b > 0x20 && b < 0x7F) visible.push_back(ch);
    }
    if (visible != text && ShapeOf(visible) != NumberShape::NotNumber) hint = " (a number with hidden characters)";
  }
  return Where(r, row.line, column) + ": " + Quoted(text) + " is not a number" + hint;
}

double Median(std::vector<double> values) {
  const std::size_t mid = values.size() / 2;
  std::nth_element(values.begin(), values.begin() + static_cast<std::ptrdiff_t>(mid), values.end());
  return values[mid];
}

// Digits after the point that show a time to the record interval.
int TimeDecimals(double interval) {
  if (!(interval > 0.0)) return 2;
  return std::clamp(static_cast<int>(std::ceil(-std::log10(interval) - 1e-9)), 0, 3);
}

void ResolveUnits(Recording& r, const ReadOptions& options) {
  const ColumnSet& c = r.columns;
  const std::optional<SpeedUnit> speed =
      Resolve(r, c.speed, options.speedUnit, &SpeedUnitNamed, "--speed-unit", "a speed");
  if (!speed) {
    throw ImportError(r.fileName + ": the unit of the speed, " + c.speed.label +
                      ", is not given in the file; give --speed-unit kmh, mph, ms or kn");
  }
  r.speedUnit = *speed;
  if (c.wind.present) {
    const std::optional<SpeedUnit> wind = Resolve(r, c.wind, options.windUnit, &SpeedUnitNamed, "--wind-unit", "a speed");
    if (!wind) {
      throw ImportError(r.fileName + ": the unit of the relative wind speed, " + c.wind.label +
                        ", is not given in the file; give --wind-unit kmh, mph, ms or kn");
    }
    r.windUnit = *wind;
  }
  if (c.yaw.present) {
    r.yawUnit = Resolve(r, c.yaw, options.yawUnit, &AngleUnitNamed, "--yaw-unit", "an angle").value_or(AngleUnit::Degrees);
  }
  if (c.heading.present) {
    const std::optional<AngleUnit> none;
    r.headingUnit = Resolve(r, c.heading, none, &AngleUnitNamed, "--heading-column", "an angle").value_or(AngleUnit::Degrees);
  }
}

// The time unit: an option, the header's, or clock times when the first
// record's time is one; seconds otherwise.
void ResolveTimeUnit(Recording& r, const CsvTable& table, const ReadOptions& options) {
  const Column& time = r.columns.time;
  const std::optional<TimeUnit> unit = Resolve(r, time, options.timeUnit, &TimeUnitNamed, "--time-unit", "a time");
  bool clock = false;
  for (const CsvRow& row : table.rows) {
    if (!row.fields[time.index].empty()) {
      clock = IsClockText(row.fields[time.index]);
      break;
    }
  }
  r.timeUnit = unit ? *unit : clock ? TimeUnit::Clock : TimeUnit::Seconds;
}

void CheckTimes(Recording& r) {
  std::vector<Sample>& s = r.samples;
  if (s.size() < 2) {
    throw ImportError(r.fileName + ": " + std::to_string(s.size()) + " record" + (s.size() == 1 ? "" : "s") +
                      " (a run needs many)");
  }
  // A clock passes midnight; the date, if any, is not read.
  double day = 0.0;
  for (std::size_t i = 1; i < s.size(); ++i) {
    s[i].time += day;
    if (r.timeUnit == TimeUnit::Clock && s[i].time < s[i - 1].time - kSecondsPerDay / 2) {
      day += kSecondsPerDay;
      s[i].time += kSecondsPerDay;
    }
    if (!(s[i].time > s[i - 1].time)) {
      const Column& c = r.columns.time;
      const bool same = s[i].time == s[i - 1].time;
      throw ImportError(Where(r, s[i].line, c) + ": the time " + r.TimeText(s[i].time) + (same ? " repeats" : " is before") +
                        " the time of line " + std::to_string(s[i - 1].line) + " (" + r.TimeText(s[i - 1].time) + ")" +
                        (same ? "; a clock without fractions of a second? give --time-column none and --rate HZ" : ""));
    }
  }
  std::vector<double> intervals(s.size() - 1);
  for (std::size_t i = 1; i < s.size(); ++i) intervals[i - 1] = s[i].time - s[i - 1].time;
  r.interval = Median(intervals);
  if (r.interval < 0.001 || r.interval > 2.0) {
    const char* hint = r.interval > 2.0 && r.timeUnit == TimeUnit::Seconds ? "; is the time in milliseconds? give --time-unit ms"
                       : r.interval < 0.001 && r.timeUnit == TimeUnit::Milliseconds ? "; is the time in seconds? give --time-unit s"
                                                                                 : "";
    char text[64];
    std::snprintf(text, sizeof text, "%.6g", r.interval);
    throw ImportError(r.fileName + ": the records are " + text + " s apart (the median, from " + r.columns.time.label +
                      " in " + UnitName(r.timeUnit) + "); the importer takes 1000 to 0.5 records a second" + hint);
  }
  for (std::size_t i = 0; i < intervals.size(); ++i) {
    if (intervals[i] > 1.5 * r.interval) r.gaps.push_back({i, intervals[i]});
    if (intervals[i] < 0.5 * r.interval) ++r.irregular;
  }
}

}  // namespace

std::string Recording::TimeText(double time) const {
  const int decimals = TimeDecimals(interval);
  if (interval == 0.0 && timeUnit != TimeUnit::Clock) {
    // Before the interval is known: as short as the value allows.
    char text[64];
    std::snprintf(text, sizeof text, "%.10g s", time);
    return text;
  }
  char text[64];
  if (timeUnit == TimeUnit::Clock) {
    double t = std::fmod(time, kSecondsPerDay);
    const double scale = std::pow(10.0, decimals);
    t = std::round(t * scale) / scale;
    const int hours = static_cast<int>(t / 3600.0);
    const int minutes = static_cast<int>((t - hours * 3600.0) / 60.0);
    const double seconds = t - hours * 3600.0 - minutes * 60.0;
    std::snprintf(text, sizeof text, "%02d:%02d:%0*.*f", hours % 24, minutes, decimals + (decimals > 0 ? 3 : 2),
                  decimals, seconds);
  } else {
    std::snprintf(text, sizeof text, "%.*f s", decimals, time);
  }
  return text;
}

std::string Recording::SpeedText(double metresPerSecond) const {
  char text[64];
  std::snprintf(text, sizeof text, "%.1f %s", metresPerSecond / ToMetresPerSecond(1.0, speedUnit), UnitName(speedUnit));
  return text;
}

Recording ReadRecording(const std::string& fileName, const std::string& text, const std::string& encoding,
                        const ReadOptions& options) {
  Recording r;
  r.fileName = fileName;
  r.encoding = encoding;
  CsvTable table = ReadCsv(fileName, text, options.csv);
  r.columns = ChooseColumns(table, options.columns);
  ResolveUnits(r, options);
  const ColumnSet& c = r.columns;
  if (!c.time.present) {
    if (!options.rate) {
      throw ImportError(fileName + ": no time column" +
                        (table.names.empty() ? std::string() : " is recognised among the names of line " + std::to_string(table.headerLine)) +
                        "; give --time-column NAME or POSITION, or --rate HZ for records at a fixed rate");
    }
    r.timeFromRate = true;
    r.interval = 1.0 / *options.rate;
  } else {
    if (options.rate) {
      throw UsageError("--rate is for files without a time column, and " + fileName + " has " + c.time.label +
                       "; give --time-column none to use --rate instead");
    }
    ResolveTimeUnit(r, table, options);
  }

  const double speedFactor = ToMetresPerSecond(1.0, r.speedUnit);
  const double windFactor = ToMetresPerSecond(1.0, r.windUnit);
  const double yawFactor = r.yawUnit == AngleUnit::Degrees ? 1.0 : 180.0 / 3.141592653589793;
  r.samples.reserve(table.rows.size());
  for (const CsvRow& row : table.rows) {
    bool empty = false;
    // A GPS logger leaves the course empty where it has none (standing):
    // the record stands, its heading unknown.
    for (const Column* col : {&c.time, &c.speed, &c.wind, &c.yaw}) {
      empty = empty || (col->present && row.fields[col->index].empty());
    }
    if (empty) {
      if (r.incomplete++ == 0) r.firstIncompleteLine = row.line;
      continue;
    }
    auto number = [&](const Column& col) {
      const std::optional<double> value = ParseDecimal(row.fields[col.index], table.decimal);
      if (!value) throw ImportError(NotANumber(r, row, col, table.decimal));
      return *value;
    };
    Sample s{0.0, number(c.speed) * speedFactor, 0.0, 0.0, row.line};
    if (c.wind.present) s.wind = number(c.wind) * windFactor;
    if (c.yaw.present) s.yaw = number(c.yaw) * yawFactor;
    if (c.heading.present && !row.fields[c.heading.index].empty()) {
      s.heading = number(c.heading) * (r.headingUnit == AngleUnit::Degrees ? 1.0 : 180.0 / 3.141592653589793);
    }
    if (r.timeFromRate) {
      s.time = static_cast<double>(r.samples.size()) * r.interval;
    } else if (r.timeUnit == TimeUnit::Clock) {
      const std::optional<double> clock = ParseClock(row.fields[c.time.index]);
      if (!clock) {
        throw ImportError(Where(r, row.line, c.time) + ": " + Quoted(row.fields[c.time.index]) +
                          " is not a clock time (hh:mm:ss.fff)");
      }
      s.time = *clock;
    } else {
      s.time = number(c.time) * (r.timeUnit == TimeUnit::Milliseconds ? 0.001 : 1.0);
    }
    r.samples.push_back(s);
  }
  if (r.timeFromRate) {
    if (r.samples.size() < 2) CheckTimes(r);
  } else {
    CheckTimes(r);
  }
  if (c.wind.present != c.yaw.present) {
    r.warnings.push_back(fileName + " has a " + (c.wind.present ? "wind" : "yaw") + " column but no " +
                         (c.wind.present ? "yaw" : "wind") + " column; the run files get 0 for it");
  }
  table.rows.clear();
  table.rows.shrink_to_fit();
  r.layout = std::move(table);
  return r;
}

}  // namespace importer
