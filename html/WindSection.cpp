// The wind section: the true wind of every used sample on polar axes and
// the yaw angles the fit saw.
#include <algorithm>

#include "common/UnitFactors.h"
#include "html/Html.h"
#include "html/PageParts.h"

namespace html {

using record::AnalysisRecord;
using record::SampleRecord;
using record::SampleStatus;

void WindSection(const PageContext& c, std::string& out) {
  const AnalysisRecord& r = c.record;
  out += "<section id=\"wind\"><h2>Wind</h2>";
  out += "<table class=\"wind\"><caption>True wind over the used DATA samples</caption>";
  out += HeaderRow({"", "mph", "km/h", "m/s"});
  const auto row = [&](std::string_view name, double value) {
    out += "<tr>" + Cell(name) + NumCell(Fixed(Mph(c, value), 2)) + NumCell(Fixed(value * kKmhPerMs, 2)) +
           NumCell(Fixed(value, 2)) + "</tr>";
  };
  row("mean head wind", r.meanHead);
  row("mean cross wind", r.meanCross);
  row("largest head wind", r.maxHead);
  row("largest cross wind", r.maxCross);
  row("mean wind speed", r.meanWindSpeed);
  out += "</table>";

  std::vector<const SampleRecord*> used;
  double largest = 0.0;
  for (const SampleRecord* s : c.data) {
    if (s->status != SampleStatus::Used || !Finite(s->head) || !Finite(s->cross)) continue;
    used.push_back(s);
    largest = std::max(largest, std::hypot(Mph(c, s->head), Mph(c, s->cross)));
  }
  out += "<div class=\"pair\">";
  if (used.empty()) {
    out += "<div>" + Missing(EndedWhy(c.record, "No true wind (no DATA sample was used in the fit)")) + "</div>";
  } else {
    const double meanHead = Mph(c, r.meanHead), meanCross = Mph(c, r.meanCross);
    if (Finite(meanHead) && Finite(meanCross)) largest = std::max(largest, std::hypot(meanHead, meanCross));
    svg::Plot plot("wind-polar", 260, 260);
    plot.SetPolar(svg::NiceTicks(0.0, largest > 0.0 ? largest : 1.0, 4), "mph", "from ahead (odd runs)",
                  "from the right", "from behind", "from the left");
    std::vector<svg::Point> winds;
    winds.reserve(used.size());
    for (const SampleRecord* s : used) winds.push_back({Mph(c, s->cross), Mph(c, s->head)});
    plot.ReserveMarks(winds.size());
    plot.Marks(winds, svg::Shape::Circle, "pt wind");
    plot.Mark(meanCross, meanHead, svg::Shape::Plus, "mean-wind");
    plot.AddLegend({svg::LegendEntry::Kind::Mark, "wind", svg::Shape::Circle,
                    "used samples (" + Count(static_cast<long long>(used.size())) + ")"});
    if (Finite(meanHead) && Finite(meanCross)) {
      plot.AddLegend({svg::LegendEntry::Kind::Mark, "mean-wind", svg::Shape::Plus, "mean"});
    }
    AppendFigure(c, out, "wind-polar", plot, "True wind of every used sample",
                 "Where the true wind came from, relative to the heading of the odd runs: head and cross "
                 "components of every used DATA sample, and their mean.");
  }

  // The yaw the fitted samples saw, in bins of a round width.
  std::vector<double> yaws;
  for (const SampleRecord* s : c.data) {
    if (s->status == SampleStatus::Used && Finite(s->yaw)) yaws.push_back(s->yaw);
  }
  if (yaws.empty()) {
    out += "<div>" + Missing(EndedWhy(c.record, "No yaw angles (no DATA sample was used in the fit)")) + "</div>";
  } else {
    const auto [ylo, yhi] = svg::FiniteRange(yaws);
    const svg::Ticks bins = svg::NiceTicks(ylo, yhi, 16);
    const auto binCount = static_cast<std::size_t>(std::llround((bins.hi - bins.lo) / bins.step));
    std::vector<long> counts(std::max<std::size_t>(binCount, 1), 0);
    for (const double y : yaws) {
      const auto bin = static_cast<long>(std::floor((y - bins.lo) / bins.step));
      counts[static_cast<std::size_t>(std::clamp<long>(bin, 0, static_cast<long>(counts.size()) - 1))] += 1;
    }
    const long most = *std::max_element(counts.begin(), counts.end());
    svg::Plot plot("yaw-histogram", 360, 240);
    plot.SetX(svg::NiceTicks(bins.lo, bins.hi, 6), "yaw angle (\u00B0, after the yaw offset)");
    plot.SetY(svg::NiceTicks(0.0, static_cast<double>(most), 5), "samples");
    for (std::size_t i = 0; i < counts.size(); ++i) {
      const double x0 = bins.lo + static_cast<double>(i) * bins.step;
      plot.Bar(x0, x0 + bins.step, static_cast<double>(counts[i]), "bar", "data-count=\"" + Count(counts[i]) + "\"");
    }
    if (r.window.applied) {
      plot.VerticalLine(r.window.minYaw, "limit");
      plot.VerticalLine(r.window.maxYaw, "limit");
      plot.AddLegend({svg::LegendEntry::Kind::Line, "limit", {}, "window"});
    }
    AppendFigure(c, out, "yaw-histogram", plot, "Histogram of yaw angles",
                 "Yaw angle of the used DATA samples (" + Count(static_cast<long long>(yaws.size())) + "), bins " +
                     svg::TickLabel(bins.step, bins.step) + "\u00B0 wide.");
  }
  out += "</div></section>";
}

}  // namespace html
