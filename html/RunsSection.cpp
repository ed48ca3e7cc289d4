// The runs section: a row for every run file with what became of its
// samples, how each set ended, and the speed of every DATA run over time.
#include "html/Html.h"
#include "html/PageParts.h"
#include "record/Coasting.h"

namespace html {

using record::AnalysisRecord;
using record::SampleRecord;
using record::SampleStatus;
using record::SetKind;

namespace {

std::string SetEndText(SetKind kind, const record::SetRecord& set, const AnalysisRecord& record) {
  const std::string name = record::SetName(kind);
  const std::string last = set.files.empty() ? name : set.files.back().name;
  switch (set.end) {
    case record::SetRecord::End::NotLoaded:
      return name + " runs not read" + (record.error.number != 0 ? " (the analysis ended before them)" : "");
    case record::SetRecord::End::Missing: return name + " set ends at " + last + ", which does not exist";
    case record::SetRecord::End::Empty: return name + " set ends at " + last + ", which was empty";
    case record::SetRecord::End::Error: return name + " set ended by " + ErrorText(set.error);
    case record::SetRecord::End::HeldOpen:
      return name + " set ends at " + last + ", which was empty and held open by another program (left in place)";
  }
  return {};
}

std::string FileNotes(const record::FileRecord& f, const std::vector<record::MotionSpan>& notCoasting,
                      record::SetKind kind) {
  std::string motion;
  for (const record::MotionSpan& span : notCoasting) {
    if (kind != record::SetKind::Data || span.run != f.run) continue;
    motion += (motion.empty() ? "not coasting: " : ", ") + std::string(record::MotionName(span.motion)) + " " +
              Count(span.from) + (span.to > span.from ? "\u2013" + Count(span.to) : std::string()) + " s";
  }
  std::string notes = motion;
  const auto add = [&](const std::string& note) { notes += (notes.empty() ? "" : "; ") + note; };
  if (f.MisRead()) add(f.encoding.form != TextForm::EightBit && !f.encodingRead ? TextFormName(f.encoding.form)
                                                                                 : TextFormName(f.layout.form));
  if (f.zeroFields > 0) {
    add(Count(f.zeroFields) + " field(s) read as 0, first at line " + Count(f.zeroFieldLine) + " field " +
        Count(f.zeroFieldPosition) + " (\u201C" + f.zeroFieldText + "\u201D)");
  }
  if (f.linesNotOneRecord > 0) {
    add(Count(f.linesNotOneRecord) + " line(s) not of three fields, first line " + Count(f.notOneRecordLine) +
        " with " + Count(f.notOneRecordFields));
  }
  return Escape(notes);
}

std::string RunsTable(const PageContext& c) {
  std::string out =
      "<table class=\"runs\"><caption>Run files and what became of their one-second "
      "samples</caption>";
  out += HeaderRow({"File", "Direction", "Duration, s", "Speed, mph", "Samples", "Used", "Neg. decel.", "Filter", "Yaw",
                    "Window", "Not used", "Head, mph", "Cross, mph", "Notes"});
  const std::vector<record::MotionSpan> notCoasting = record::NotCoasting(c.record);
  for (const SetKind kind : record::kSetKinds) {
    const record::SetRecord& set = c.record.Set(kind);
    for (const record::FileRecord& f : set.files) {
      if (f.state != record::FileRecord::State::Read && f.state != record::FileRecord::State::Error) continue;
      const auto it = c.runs.find({static_cast<int>(kind), f.run});
      const RunStats stats = it == c.runs.end() ? RunStats{} : it->second;
      const bool error = f.state == record::FileRecord::State::Error;
      out += "<tr class=\"" + std::string(error ? "fail" : "file") + "\" data-set=\"" + record::SetName(kind) + "\">";
      AppendCell(out, Escape(f.name));
      AppendCell(out, f.run % 2 != 0 ? "odd" : "even");
      // At the run files' rate (--rate).
      const double rate = c.record.method.rateHz > 0.0 ? c.record.method.rateHz : 5.0;
      const std::string duration =
          f.records > 0 ? Fixed(static_cast<double>(f.records) / rate, 1) : std::string(html::kDash);
      AppendCell(out, duration, "num");
      AppendCell(out, RangeText(Mph(c, stats.minSpeed), Mph(c, stats.maxSpeed), 1, "\u2013"), "num");
      AppendCell(out, Count(f.samples), "num");
      for (const SampleStatus s : {SampleStatus::Used, SampleStatus::NegativeDeceleration, SampleStatus::FilterOutlier,
                                   SampleStatus::YawOutlier, SampleStatus::OutsideWindow, SampleStatus::NotUsed}) {
        const long n = stats.byStatus[static_cast<std::size_t>(s)];
        AppendCell(out, Count(n), n == 0 ? "num zero" : "num");
      }
      if (kind == SetKind::Data && stats.windSamples > 0) {
        AppendCell(out, Fixed(Mph(c, stats.headSum / static_cast<double>(stats.windSamples)), 2), "num");
        AppendCell(out, Fixed(Mph(c, stats.crossSum / static_cast<double>(stats.windSamples)), 2), "num");
      } else {
        double head = record::kNone, cross = record::kNone;
        if (kind == SetKind::Cal) {
          for (const auto& w : c.record.calibration.runs) {
            if (w.run == f.run) {
              head = w.headAfter;
              cross = w.crossAfter;
            }
          }
        }
        AppendCell(out, Fixed(Mph(c, head), 2), "num");
        AppendCell(out, Fixed(Mph(c, cross), 2), "num");
      }
      AppendCell(out, FileNotes(f, notCoasting, kind), "notes");
      out += "</tr>";
    }
    const bool failed = set.end == record::SetRecord::End::Error;
    out += "<tr class=\"" + std::string(failed ? "setend fail" : "setend") + "\"><td colspan=\"14\">" +
           (failed ? "\u2718 " : "") + Escape(SetEndText(kind, set, c.record)) +
           (set.loaded ? Escape("; " + Count(set.runs) + " run(s), " + Count(set.samples) + " samples") : "");
    if (!set.laterFiles.empty()) {
      out += "<br/><span class=\"warn\">Later files not analysed: " + Escape(set.laterFiles) + "</span>";
    }
    out += "</td></tr>";
  }
  out +=
      "</table><p class=\"note\">Samples are one-second samples. Neg. decel.: gained speed; Filter: outlier of "
      "the first fit; Yaw: yaw outlier of a CAL run; Window: outside the speed, wind and yaw window; Not used: "
      "the analysis ended before using them. Head and cross: mean true wind of the used samples (CAL: as "
      "calibrated), head positive against the odd runs, cross positive from their right.</p>";
  return out;
}

void SpeedTimePlot(const PageContext& c, std::string& out) {
  std::map<int, std::pair<std::vector<double>, std::vector<double>>> lines;
  std::vector<double> times, speeds;
  for (const SampleRecord* s : c.data) {
    if (!Finite(s->speed)) continue;
    auto& [t, v] = lines[s->run];
    t.push_back(s->time);
    v.push_back(Mph(c, s->speed));
    times.push_back(s->time);
    speeds.push_back(Mph(c, s->speed));
  }
  if (lines.empty()) {
    out += Missing(EndedWhy(c.record, "No DATA samples to plot"));
    return;
  }
  const auto [tlo, thi] = svg::FiniteRange(times);
  const auto [vlo, vhi] = svg::FiniteRange(speeds);
  svg::Plot plot("speed-time", 640, 280);
  plot.SetX(svg::NiceTicks(std::min(0.0, tlo), thi, 8), "time from the start of the run (s)");
  plot.SetY(svg::NiceTicks(vlo, vhi, 6), "vehicle speed (mph)");
  bool odd = false, even = false;
  for (const auto& [run, line] : lines) {
    const bool isOdd = run % 2 != 0;
    (isOdd ? odd : even) = true;
    plot.Line(line.first, line.second, isOdd ? "run odd" : "run even", "data-run=\"" + Count(run) + "\"");
  }
  if (odd) plot.AddLegend({svg::LegendEntry::Kind::Line, "run odd", {}, "odd runs"});
  if (even) plot.AddLegend({svg::LegendEntry::Kind::Line, "run even", {}, "even runs"});
  MarkNotCoasting(
      plot, c.data, [](const SampleRecord& s) { return static_cast<double>(s.time); },
      [&](const SampleRecord& s) { return Mph(c, s.speed); });
  AppendFigure(c, out, "speed-time", plot, "Speed against time of every DATA run",
               "Speed against time, one line per DATA run (" + Count(static_cast<long long>(lines.size())) +
                   "), one point per one-second sample.");
}

}  // namespace

void RunsSection(const PageContext& c, std::string& out) {
  out += "<section id=\"runs\"><h2>Runs</h2>";
  out += RunsTable(c);
  SpeedTimePlot(c, out);
  out += "</section>";
}

}  // namespace html
