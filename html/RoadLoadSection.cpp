// The road-load section: the still-air road load at standard conditions
// with its 95 % band over the tested speeds, beside the truth of a
// simulated test.
#include "html/Html.h"
#include "html/PageParts.h"

namespace html {

using record::SampleRecord;
using record::SampleStatus;

namespace {

// The speeds the test covered, in mph: those of the fitted samples, or of
// all DATA samples, or the record's road-load points.
std::pair<double, double> TestedSpeeds(const PageContext& c) {
  std::vector<double> used, all;
  for (const SampleRecord* s : c.data) {
    all.push_back(Mph(c, s->speed));
    if (s->status == SampleStatus::Used) used.push_back(Mph(c, s->speed));
  }
  auto range = svg::FiniteRange(used);
  if (!Finite(range.first)) range = svg::FiniteRange(all);
  if (!Finite(range.first)) {
    std::vector<double> points;
    for (const auto& p : c.record.uncertainty.roadLoad) points.push_back(p.speedMph);
    range = svg::FiniteRange(points);
  }
  if (!Finite(range.first)) range = {10.0, 70.0};
  return range;
}

}  // namespace

void RoadLoadSection(const PageContext& c, std::string& out) {
  out += "<section id=\"road-load\"><h2>Road load</h2>";
  const bool withTruth = c.truth.HasRoadLoad();
  // The truth alone, with nothing fitted to set beside it, says nothing of the test.
  if (!c.roadLoad.Available()) {
    out += Missing(EndedWhy(c.record, "No road load (the final fit delivered no coefficients)")) + "</section>";
    return;
  }
  const auto [lo, hi] = TestedSpeeds(c);
  constexpr int kSteps = 80;
  std::vector<double> speeds, force, low, high, truth;
  for (int i = 0; i <= kSteps; ++i) {
    const double mph = lo + (hi - lo) * i / kSteps;
    const record::RoadLoadPoint v = c.roadLoad.At(mph * c.units.mph);
    speeds.push_back(mph);
    force.push_back(v.force);
    low.push_back(v.low);
    high.push_back(v.high);
    truth.push_back(withTruth ? c.truth.ForceLbf(mph) * c.units.lbf : record::kNone);
  }
  std::vector<double> ys = force;
  ys.insert(ys.end(), low.begin(), low.end());
  ys.insert(ys.end(), high.begin(), high.end());
  ys.insert(ys.end(), truth.begin(), truth.end());
  for (const auto& p : c.record.uncertainty.roadLoad) {
    if (p.speedMph >= lo && p.speedMph <= hi) ys.push_back(p.force);
  }
  const auto [ylo, yhi] = svg::FiniteRange(ys);
  svg::Plot plot("roadload", 640, 300);
  plot.SetX(svg::NiceTicks(lo, hi, 7), "vehicle speed (mph)");
  plot.SetY(svg::NiceTicks(std::min(0.0, ylo), yhi, 6), "road load (N)");
  plot.SetSecondY(c.units.lbf, "road load (lbf)");
  if (c.roadLoad.HasInterval()) {
    plot.Band(speeds, low, high, "band");
    plot.AddLegend({svg::LegendEntry::Kind::Band, "band", {}, "95 % confidence band"});
  }
  if (c.roadLoad.Available()) {
    plot.Line(speeds, force, "curve fit");
    plot.AddLegend({svg::LegendEntry::Kind::Line, "curve fit", {}, "fitted road load"});
  }
  long points = 0;
  for (const auto& p : c.record.uncertainty.roadLoad) {
    if (!(p.speedMph >= lo && p.speedMph <= hi)) continue;
    plot.ErrorBar(p.speedMph, p.low, p.high, "errorbar");
    plot.Mark(p.speedMph, p.force, svg::Shape::Square, "pt rl");
    points += Finite(p.force) ? 1 : 0;
  }
  if (points > 0) plot.AddLegend({svg::LegendEntry::Kind::Mark, "rl", svg::Shape::Square, "reported points"});
  if (withTruth) {
    plot.Line(speeds, truth, "curve truth");
    plot.AddLegend({svg::LegendEntry::Kind::Line, "curve truth", {}, "truth (simulator)"});
  }
  AppendFigure(c, out, "roadload", plot, "Still-air road load against speed",
               "Still-air road load at standard conditions (20 \u00B0C, 98.21 kPa) over the tested speeds, " +
                   Fixed(lo, 1) + " to " + Fixed(hi, 1) + " mph" +
                   (c.roadLoad.Available() && !c.roadLoad.HasInterval() ? "; no interval: the fit has no "
                                                                          "uncertainty"
                                                                        : std::string()) +
                   ".");

  const auto& table = c.record.uncertainty.roadLoad;
  if (!table.empty()) {
    out += "<table class=\"roadload\"><caption>Still-air road load at standard conditions</caption>";
    out += withTruth
               ? HeaderRow({"Speed, mph", "Force, N", "95 % interval, N", "Force, lbf", "Truth, lbf", "Difference"})
               : HeaderRow({"Speed, mph", "Force, N", "95 % interval, N", "Force, lbf"});
    for (const auto& p : table) {
      out += "<tr>" + NumCell(Fixed(p.speedMph, 1)) + NumCell(Fixed(p.force, 1)) +
             NumCell(Fixed(p.low, 1) + " \u2026 " + Fixed(p.high, 1)) + NumCell(Fixed(p.force / c.units.lbf, 2));
      if (withTruth) {
        const double t = c.truth.ForceLbf(p.speedMph);
        const double difference = (p.force / c.units.lbf - t) / t * 100.0;
        out +=
            NumCell(Fixed(t, 2)) + NumCell(Finite(difference) ? Fixed(difference, 2) + " %" : std::string(html::kDash));
      }
      out += "</tr>";
    }
    out += "</table>";
  }
  out += "</section>";
}

}  // namespace html
