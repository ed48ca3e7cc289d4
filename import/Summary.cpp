// The summary's text.
#include "Summary.h"

#include <cstdio>

#include "common/Version.h"

namespace importer {

namespace {

std::string Format(const char* format, double value) {
  char text[64];
  std::snprintf(text, sizeof text, format, value);
  return text;
}

std::string Plural(std::size_t n, const std::string& word) {
  return std::to_string(n) + " " + word + (n == 1 ? "" : "s");
}

std::string ColumnText(const Column& c, const std::string& unit) {
  if (!c.present) return "none";
  return c.label + (c.recognised ? "" : " (chosen)") + " in " + unit;
}

std::string FileText(const Recording& r) {
  const CsvTable& t = r.layout;
  std::string text = r.fileName + ": " + r.encoding + " text, " + SeparatorName(t.separator) + "-separated" +
                     (t.separatorDetected ? "" : " (given)") + ", decimal " +
                     (t.decimal == DecimalMark::Point ? "point" : "comma") + (t.decimalDetected ? "" : " (given)") +
                     ", " + (t.headerLine != 0 ? "header on line " + std::to_string(t.headerLine) : "no header") +
                     (t.unitLine != 0 ? ", units on line " + std::to_string(t.unitLine) : "") + "\n";
  const ColumnSet& c = r.columns;
  text += "  time: " + (r.timeFromRate ? "none, " + Format("%g", 1.0 / r.interval) + " records a second (--rate)"
                                       : ColumnText(c.time, r.timeUnit == TimeUnit::Clock ? "clock time" : UnitName(r.timeUnit))) +
          "\n";
  text += "  speed: " + ColumnText(c.speed, UnitName(r.speedUnit)) + "\n";
  text += "  wind: " + (c.wind.present ? ColumnText(c.wind, UnitName(r.windUnit)) : "none (written as 0)") + "\n";
  text += "  yaw: " + (c.yaw.present ? ColumnText(c.yaw, UnitName(r.yawUnit)) : "none (written as 0)") + "\n";
  if (c.heading.present) text += "  heading: " + ColumnText(c.heading, UnitName(r.headingUnit)) + "\n";
  const std::vector<Sample>& s = r.samples;
  text += "  " + Plural(s.size(), "record") + ", lines " + std::to_string(s.front().line) + " to " +
          std::to_string(s.back().line) + ", " + Format("%.4g", 1.0 / r.interval) + " a second (" +
          Format("%.4g", r.interval) + " s apart)";
  if (!r.gaps.empty()) {
    const Gap* longest = &r.gaps.front();
    for (const Gap& g : r.gaps) {
      if (g.length > longest->length) longest = &g;
    }
    text += "; " + Plural(r.gaps.size(), "gap") + ", the longest " + Format("%.3g", longest->length) + " s after line " +
            std::to_string(s[longest->after].line) + " (" + r.TimeText(s[longest->after].time) + ")";
  }
  if (r.irregular > 0) text += "; " + Plural(r.irregular, "interval") + " shorter than half the usual";
  if (r.incomplete > 0) {
    text += "; " + Plural(r.incomplete, "record") + " left out for an empty field, the first on line " +
            std::to_string(r.firstIncompleteLine);
  }
  if (t.trailingLines > 0) {
    text += "; " + Plural(t.trailingLines, "line") + " after the records left out, from line " +
            std::to_string(t.firstTrailingLine);
  }
  return text + "\n";
}

std::string EdgeText(const Recording& r, const Edge& e, const Trim& trim, const Options& options, bool after) {
  switch (e.kind) {
    case EdgeKind::None:
      return after ? "the end of the run" : "the start of the run";
    case EdgeKind::Driven:
      return "driven, the speed rising";
    case EdgeKind::Steady:
      return "driven at a steady speed";
    case EdgeKind::Braking:
      return "braking, " + Format("%.2f", e.deceleration) + " m/s2 where the coast explains " +
             Format("%.2f", e.coastDeceleration) + " m/s2";
    case EdgeKind::Standstill:
      return "standstill, below " + r.SpeedText(options.stopSpeed);
    case EdgeKind::Rising:
      return "the speed rising again";
    case EdgeKind::OutsideBand:
      return "not at the steady speed (outside " + r.SpeedText(trim.bandLow) + " to " + r.SpeedText(trim.bandHigh) +
             ", or changing by 0.1 m/s2 or more)";
  }
  return "";
}

std::string Cut(const Recording& r, std::size_t from, std::size_t to, const std::string& why) {
  const std::vector<Sample>& s = r.samples;
  const double seconds = s[to].time - s[from].time + r.interval;
  return Format("%.1f", seconds) + " s, lines " + std::to_string(s[from].line) + " to " + std::to_string(s[to].line) +
         ": " + why;
}

std::string RunText(const ImportResult& result, const ImportedRun& run, const Options& options) {
  const Recording& r = result.recordings[run.recording];
  const std::vector<Sample>& s = r.samples;
  const Trim& t = run.trim;
  std::string name = std::string(RunSetName(run.set)) + "." + std::to_string(run.number);
  name.resize(std::max<std::size_t>(name.size() + 1, 8), ' ');
  const std::string indent(8, ' ');
  std::string text = name + r.fileName + (run.found > 0 ? " (run " + std::to_string(run.found) + ")" : "") +
                     ", lines " + std::to_string(s[t.first].line) + " to " + std::to_string(s[t.last].line) + ", " +
                     r.TimeText(s[t.first].time) + " to " + r.TimeText(s[t.last].time) + ": ";
  const double kept = static_cast<double>(run.records.size()) * kRunFileInterval;
  if (run.set == RunSet::Data) {
    text += "coast from " + r.SpeedText(run.records.front().speed) + " to " + r.SpeedText(run.records.back().speed);
  } else {
    double sum = 0.0;
    for (const RunRecord& rec : run.records) sum += rec.speed;
    text += "steady at " + r.SpeedText(sum / static_cast<double>(run.records.size()));
  }
  text += ", " + Format("%.1f", kept) + " s, " + Plural(run.records.size(), "record");
  if (run.direction.sign != 0) text += ", heading " + Format("%.0f", run.direction.headingDeg) + " deg";
  text += "\n";
  if (!run.trimmed) return text + indent + "not trimmed (--no-trim)\n";
  text += indent + "before: " +
          (t.first > run.segment.first ? "cut " + Cut(r, run.segment.first, t.first - 1, EdgeText(r, t.before, t, options, false))
                                       : "nothing cut") +
          "\n";
  text += indent + "after: " +
          (t.last < run.segment.last ? "cut " + Cut(r, t.last + 1, run.segment.last, EdgeText(r, t.after, t, options, true))
                                     : "nothing cut") +
          "\n";
  return text;
}

std::string CommandText(const Options& options, const ImportResult& result) {
  if (!result.command) return "COMMAND not written (--no-command)\n";
  std::string text = "COMMAND: " + result.arguments + "\n";
  text += std::string("  MIN_SPEED ") + FieldText(result.minSpeedMph) + " and MAX_SPEED " +
          FieldText(result.maxSpeedMph) + " mph" +
          (result.speedsFromData ? ": the speeds every DATA coast covers, to the whole mph" : " as given") + "\n";
  text += "  WEIGHT " + FieldText(*options.weightLb) + " lb from " + options.weightText + ", TEMPERATURE " +
          FieldText(*options.temperatureF) + " F from " + options.temperatureText + ", PRESSURE " +
          FieldText(*options.pressureInHg) + " inHg from " + options.pressureText + ", AREA " +
          FieldText(*options.areaFt2) + " ft2 from " + options.areaText +
          " (by coastdown's own factors, 4.448 N/lb, 3.3865 kPa/inHg, 0.0929 m2/ft2)\n";
  text += "  CALIBRATE " + std::string(result.Count(RunSet::Cal) >= 2 ? "True" : "False") + " and ZERO " +
          (result.Count(RunSet::Zero) >= 1 ? "True" : "False") + ": the CAL and ZERO runs imported\n";
  return text;
}

}  // namespace

std::string SummaryText(const Options& options, const ImportResult& result) {
  std::string text = std::string("coastdown-import ") + kProgramVersionText + ": " +
                     Plural(static_cast<std::size_t>(result.Count(RunSet::Zero)), "ZERO run") + ", " +
                     Plural(static_cast<std::size_t>(result.Count(RunSet::Cal)), "CAL run") + " and " +
                     Plural(static_cast<std::size_t>(result.Count(RunSet::Data)), "DATA run") + " into " +
                     options.outDir + "\n\n";
  for (const Recording& r : result.recordings) text += FileText(r);
  if (!result.skipped.empty()) {
    text += "\nLeft out of the recordings:\n";
    for (const SkippedPart& p : result.skipped) {
      const Recording& r = result.recordings[p.recording];
      text += "  " + (p.found > 0 ? "run " + std::to_string(p.found) + ", " : std::string()) + r.fileName + ", lines " +
              std::to_string(r.samples[p.segment.first].line) + " to " + std::to_string(r.samples[p.segment.last].line) +
              " (" + r.TimeText(r.samples[p.segment.first].time) + " to " + r.TimeText(r.samples[p.segment.last].time) +
              "): " + p.why + "\n";
    }
  }
  text += "\nRuns (coastdown takes odd DATA runs one way and even ones the other):\n";
  for (const ImportedRun& run : result.runs) text += RunText(result, run, options);
  if (!result.warnings.empty()) {
    text += "\nWarnings:\n";
    for (const std::string& w : result.warnings) text += "  " + w + "\n";
  }
  return text + "\n" + CommandText(options, result);
}

}  // namespace importer
