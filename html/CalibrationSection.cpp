// The calibration section: the anemometer coefficients, the true wind of
// each CAL run before and after calibration, and the yaw test.
#include <algorithm>

#include "html/Html.h"
#include "html/PageParts.h"

namespace html {

using record::SampleRecord;
using record::SampleStatus;

namespace {

std::string CoefficientTable(const PageContext& c) {
  const record::CalibrationRecord& cal = c.record.calibration;
  const bool withTruth = Finite(c.truth.Value("Ka"));
  std::string out = "<table class=\"calibration\"><caption>Coefficients</caption>";
  out += withTruth ? HeaderRow({"", "Value", "Truth"}) : HeaderRow({"", "Value"});
  const auto row = [&](std::string_view name, const std::string& value) {
    out += "<tr>" + Cell(name) + NumCell(value) + (withTruth ? NumCell("") : std::string()) + "</tr>";
  };
  // A coefficient beside its true value, both to the same digits.
  const auto coefficient = [&](std::string_view name, double value, const char* truthName, int digits) {
    out += "<tr>" + Cell(name) + NumCell(Significant(value, digits));
    if (withTruth) out += NumCell(Significant(c.truth.Value(truthName), digits));
    out += "</tr>";
  };
  coefficient("Ka (gain on the relative wind)", cal.Ka, "Ka", 6);
  row("yaw offset of the calibration, \u00B0", Fixed(cal.CalYawOffset, 4));
  coefficient("Ky (gain on the yaw)", cal.Ky, "Ky", 6);
  coefficient("k3 (loss per square degree)", cal.k3, "k3", 4);
  coefficient("K4 (offset, m/s)", cal.K4, "K4", 6);
  row("yaw spread (mean of the runs' sd), \u00B0", Fixed(cal.yawSpread, 3));
  row("yaw limit (3 \u00D7 spread), \u00B0", Fixed(cal.yawLimit, 3));
  row("samples rejected by the yaw test", Count(cal.yawRejected));
  row("head mismatch before / after, (m/s)\u00B2",
      Significant(cal.headMismatchBefore, 3) + " / " + Significant(cal.headMismatchAfter, 3));
  row("cross mismatch before / after, (m/s)\u00B2",
      Significant(cal.crossMismatchBefore, 3) + " / " + Significant(cal.crossMismatchAfter, 3));
  out += "</table>";
  return out;
}

// Each run's wind before (left of its slot) and after calibration (right).
std::string RunWindPlot(const PageContext& c) {
  const record::CalibrationRecord& cal = c.record.calibration;
  if (cal.runs.empty()) {
    return "<div>" + Missing(Escape("The record holds no per-run wind of the CAL runs.")) + "</div>";
  }
  std::vector<double> ys;
  int first = cal.runs.front().run, last = first;
  for (const auto& w : cal.runs) {
    for (const double v : {w.headBefore, w.crossBefore, w.headAfter, w.crossAfter}) ys.push_back(Mph(c, v));
    first = std::min(first, w.run);
    last = std::max(last, w.run);
  }
  ys.push_back(0.0);
  const auto [ylo, yhi] = svg::FiniteRange(ys);
  svg::Plot plot("cal-wind", 360, 240);
  plot.SetX(svg::Ticks{first - 0.5, last + 0.5, 1.0, {}}, "CAL run (pairs 1\u20132, 3\u20134, \u2026)");
  std::vector<std::pair<double, std::string>> labels;
  for (const auto& w : cal.runs) labels.emplace_back(w.run, Count(w.run));
  plot.SetXLabels(std::move(labels));
  plot.SetY(svg::NiceTicks(ylo, yhi, 6), "true wind (mph)");
  plot.HorizontalLine(0.0, "zero");
  for (int run = first + 1; run < last; run += 2) plot.VerticalLine(run + 0.5, "pairsep");
  // Two runs of a pair saw the same wind, so their calibrated values should meet.
  for (const auto& a : cal.runs) {
    if (a.run % 2 == 0) continue;
    for (const auto& b : cal.runs) {
      if (b.run != a.run + 1) continue;
      plot.Line({a.run + 0.15, b.run + 0.15}, {Mph(c, a.headAfter), Mph(c, b.headAfter)}, "pairline head");
      plot.Line({a.run + 0.15, b.run + 0.15}, {Mph(c, a.crossAfter), Mph(c, b.crossAfter)}, "pairline cross");
    }
  }
  for (const auto& w : cal.runs) {
    plot.Mark(w.run - 0.15, Mph(c, w.headBefore), svg::Shape::Circle, "pt cal head before");
    plot.Mark(w.run - 0.15, Mph(c, w.crossBefore), svg::Shape::Triangle, "pt cal cross before");
    plot.Mark(w.run + 0.15, Mph(c, w.headAfter), svg::Shape::Circle, "pt cal head after");
    plot.Mark(w.run + 0.15, Mph(c, w.crossAfter), svg::Shape::Triangle, "pt cal cross after");
  }
  plot.AddLegend({svg::LegendEntry::Kind::Mark, "cal head before", svg::Shape::Circle, "head, as read"});
  plot.AddLegend({svg::LegendEntry::Kind::Mark, "cal head after", svg::Shape::Circle, "head, calibrated"});
  plot.AddLegend({svg::LegendEntry::Kind::Mark, "cal cross before", svg::Shape::Triangle, "cross, as read"});
  plot.AddLegend({svg::LegendEntry::Kind::Mark, "cal cross after", svg::Shape::Triangle, "cross, calibrated"});
  std::string out;
  AppendFigure(c, out, "cal-wind", plot, "True wind of each CAL run before and after calibration",
               "True wind each CAL run implies, as read (open) and as calibrated (filled); the two runs of a "
               "pair met the same wind, so calibrated values of a pair should agree.");
  return out;
}

// The yaw test: every CAL sample against its run's mean and the limit
// either side, and the samples it rejected. The means are the runs' own,
// worked out here from their samples as the test does.
void YawTest(const PageContext& c, std::string& out) {
  const record::CalibrationRecord& cal = c.record.calibration;
  std::map<int, std::pair<double, long>> sums;  // run: yaw sum, count
  RunSlots slots;
  std::vector<double> ys;
  for (const SampleRecord* s : c.cal) {
    if (!Finite(s->yaw)) continue;
    auto& [sum, count] = sums[s->run];
    sum += s->yaw;
    count += 1;
    ys.push_back(s->yaw);
    slots.Add(*s);
  }
  if (sums.empty()) return;
  const auto mean = [&](int run) { return sums[run].first / static_cast<double>(sums[run].second); };
  for (const auto& [run, sum] : sums) {
    ys.push_back(mean(run) + cal.yawLimit);
    ys.push_back(mean(run) - cal.yawLimit);
  }
  const auto [ylo, yhi] = svg::FiniteRange(ys);
  svg::Plot plot("cal-yaw", 640, 220);
  slots.SetAxis(plot, "CAL run");
  plot.SetY(svg::NiceTicks(ylo, yhi, 6), "yaw angle (\u00B0, after the yaw offset)");
  for (const auto& [run, sum] : sums) {
    const double m = mean(run);
    plot.Line({run - 0.4, run + 0.4}, {m, m}, "mean");
    plot.Line({run - 0.4, run + 0.4}, {m + cal.yawLimit, m + cal.yawLimit}, "limit");
    plot.Line({run - 0.4, run + 0.4}, {m - cal.yawLimit, m - cal.yawLimit}, "limit");
  }
  const auto counts = DrawSamples(
      plot, c.cal, [&](const SampleRecord& s) { return slots.X(s); }, [](const SampleRecord& s) { return s.yaw; });
  StatusLegend(plot, counts);
  if (Finite(cal.yawLimit)) plot.AddLegend({svg::LegendEntry::Kind::Line, "limit", {}, "run mean \u00B1 limit"});
  AppendFigure(c, out, "cal-yaw", plot, "Yaw of every CAL sample and the yaw test's limits",
               "Yaw of every one-second CAL sample by run, in time order, with its run's mean and the yaw limit "
               "of " +
                   Fixed(cal.yawLimit, 2) + "\u00B0 either side.");

  constexpr long kListed = 50;
  std::string rows;
  long rejected = 0;
  for (const SampleRecord* s : c.cal) {
    if (s->status != SampleStatus::YawOutlier || !Finite(s->yaw)) continue;
    if (++rejected > kListed) continue;
    rows += "<tr>" + NumCell(Count(s->run)) + NumCell(Count(s->time)) + NumCell(Fixed(s->yaw, 2)) +
            NumCell(Fixed(mean(s->run), 2)) + NumCell(Fixed(s->yaw - mean(s->run), 2)) + "</tr>";
  }
  if (rejected == 0) {
    out += "<p>The yaw test rejected no CAL sample.</p>";
    return;
  }
  out += "<table class=\"yawrejected\"><caption>CAL samples the yaw test rejected</caption>";
  out += HeaderRow({"Run", "Time, s", "Yaw, \u00B0", "Run mean, \u00B0", "From the mean, \u00B0"});
  out += rows + "</table>";
  if (rejected > kListed) {
    out += "<p class=\"note\">The first " + Count(kListed) + " of " + Count(rejected) + " are listed.</p>";
  }
}

}  // namespace

void CalibrationSection(const PageContext& c, std::string& out) {
  const record::CalibrationRecord& cal = c.record.calibration;
  out += "<section id=\"calibration\"><h2>Calibration</h2>";
  if (!cal.ran) {
    const std::string calibrate = c.record.fields.size() > 1 ? c.record.fields[1] : std::string();
    out += Missing(c.record.error.number != 0
                       ? EndedWhy(c.record, "The anemometer was not calibrated")
                       : Escape("The anemometer was not calibrated (CALIBRATE was \u201C" + calibrate +
                                "\u201D): the report uses Ka = 1 and no yaw corrections.")) +
           "</section>";
    return;
  }
  out += "<div class=\"pair\">";
  out += CoefficientTable(c);
  out += RunWindPlot(c);
  out += "</div>";
  YawTest(c, out);
  out += "</section>";
}

}  // namespace html
