// The impulse method's section of the page: how the windows were laid and
// what became of each, the residual of every window by run, the method's
// own coefficients with what the prior gave the yaw term, the readings'
// noise it took out, the notes, and the specified analysis beside it.
#include <algorithm>
#include <cmath>

#include "html/Html.h"
#include "html/PageParts.h"

namespace html {

namespace {

std::string Layout(const ImpulseAnalysis& a) {
  const ImpulseResult& r = a.result;
  std::string out = "<p>" + Escape(WindowShapeName(r.layout.shape)) + " windows of " + Fixed(r.layout.LengthS(), 1) +
                    " s, a new one every " + Fixed(static_cast<double>(r.layout.step) / r.layout.rateHz, 1) +
                    " s (the residuals of windows up to " + Count(static_cast<long long>(r.layout.CorrelationLag())) +
                    " apart share records and are taken as correlated), at " + Compact(a.rateHz, 4) +
                    " records a second: " + Count(static_cast<long long>(r.windowsUsed)) + " of " +
                    Count(static_cast<long long>(r.windows.size())) + " windows used";
  if (r.windowsOutsideCurve > 0) {
    out += ", " + Count(static_cast<long long>(r.windowsOutsideCurve)) + " meet a yaw beyond the yaw curve";
  }
  if (r.windowsOutsideSpeedWindow > 0) {
    out += ", " + Count(static_cast<long long>(r.windowsOutsideSpeedWindow)) + " leave the speed window";
  }
  out += ". Mass " + Fixed(a.massKg, 1) + " kg, rotating mass " + Fixed(a.rotatingMass.kg, 1) + " kg (" +
         Escape(a.rotatingMass.source) + ").</p>";
  out += "<p>Model: ";
  if (r.model == ImpulseModel::TotalRoadLoad) {
    out += "the total road load f0 + f1\u00B7v + f2\u00B7v\u00B2";
    if (!a.anemometer) out += " (no anemometer: " + Escape(a.anemometerSource) + ")";
    if (!a.trackWind.empty()) out += ", with the wind beside the track (" + Escape(a.trackWindSource) + ")";
  } else if (!a.yawCurveFile.empty()) {
    out += "m0 + m1\u00B7v + m2\u00B7v\u00B2 + a0\u00B7Vr\u00B2\u00B7c(\u03C8), c the yaw curve of <code>" +
           Escape(a.yawCurveFile) + "</code>";
  } else {
    out += "m0 + m1\u00B7v + m2\u00B7v\u00B2 + Vr\u00B2\u00B7(a0";
    if (r.yawTerms >= 1) out += " + a2\u00B7\u03C8\u00B2";
    if (r.yawTerms >= 2) out += " + a4\u00B7\u03C8\u2074";
    out += ")";
    if (r.yawTerms > 0) {
      const YawPrior prior;
      out += ", the yaw sensitivity a2/a0 with the prior " + Compact(prior.k, 3) + " \u00B1 " + Compact(prior.kSd, 3) +
             " per square degree (95 % of the yaws within " + Fixed(r.yawP95Deg, 1) + "\u00B0)";
    }
  }
  out += ". Noise of single readings taken out of the wind terms: wind " + Fixed(r.windNoiseSd, 3) + " m/s, yaw " +
         Fixed(r.yawNoiseSd, 3) + "\u00B0.</p>";
  return out;
}

// The residual of every window, impulse less the fitted model's, by run.
void ResidualPlot(std::string& out, const ImpulseResult& r) {
  if (r.windows.empty()) return;
  std::vector<double> ys;
  double longest = 0.0;
  for (const ImpulseWindowResult& w : r.windows) {
    if (std::isfinite(w.fittedNs)) ys.push_back(w.impulseNs - w.fittedNs);
    longest = std::max(longest, w.endS);
  }
  const auto [ylo, yhi] = svg::FiniteRange(ys);
  if (!Finite(ylo) || !(longest > 0.0)) return;
  int first = r.windows.front().run;
  int last = first;
  for (const ImpulseWindowResult& w : r.windows) {
    first = std::min(first, w.run);
    last = std::max(last, w.run);
  }
  svg::Plot plot("impulse-residuals", 640, 240);
  plot.SetX(svg::NiceTicks(first - 0.5, last + 0.5, 10), "run (windows in time order within each)");
  plot.SetY(svg::NiceTicks(std::min(ylo, -yhi), std::max(yhi, -ylo), 6), "window residual (N\u00B7s)");
  plot.HorizontalLine(0.0, "zero");
  long used = 0;
  for (const ImpulseWindowResult& w : r.windows) {
    const double x = w.run - 0.4 + 0.8 * 0.5 * (w.startS + w.endS) / longest;
    if (w.status == WindowStatus::Used && Finite(w.fittedNs)) {
      plot.Mark(x, w.impulseNs - w.fittedNs, svg::Shape::Circle, "pt used");
      ++used;
    }
  }
  plot.AddLegend({svg::LegendEntry::Kind::Mark, "used", svg::Shape::Circle, "used window (" + Count(used) + ")"});
  AppendFigure(out, "impulse-residuals", plot, "Residual of every window by run",
               "(M + m\u1D63)\u00B7\u222Bw\u2032v dt less \u222Bw\u00B7F dt of the fitted model for every window "
               "used, run by run; neighbouring windows share records, so their residuals go together.");
}

std::string CoefficientsTable(const ImpulseResult& r) {
  std::string out = "<table class=\"results\"><caption>The method's coefficients at test conditions, with 95 % "
                    "intervals from the windows alone (t = " +
                    Fixed(r.t95, 3) + " for " + Fixed(r.degreesOfFreedom, 0) +
                    " degrees of freedom; the results above add the calibration's share)</caption>" +
                    HeaderRow({"Coefficient", "Value", "\u00B1", "Unit", "How", "Prior's share"});
  for (const ImpulseCoefficient& c : r.coefficients) {
    const double half = c.high95 - c.value;
    std::string how = c.held ? "held (CD)" : "fitted";
    if (c.name == "d0" || c.name == "d1") how = "direction term, not road load";
    out += "<tr>" + Cell(Escape(c.name)) + NumCell(Significant(c.value, 6)) +
           NumCell(c.held ? std::string(kDash) : Significant(half, 2)) + Cell(UnitText(c.unit)) + Cell(Escape(how)) +
           NumCell(c.priorShare ? Fixed(100.0 * std::min(*c.priorShare, 1.0), 0) + " %" : std::string(kDash)) +
           "</tr>";
  }
  out += "</table>";
  return out;
}

std::string WindowsTable(const ImpulseResult& r) {
  std::string out = "<table class=\"intervals\"><caption>Windows by run</caption>" +
                    HeaderRow({"Run", "Windows", "Used", "Yaw beyond the curve", "Outside the speed window"});
  std::vector<int> runs;
  for (const ImpulseWindowResult& w : r.windows) {
    if (std::find(runs.begin(), runs.end(), w.run) == runs.end()) runs.push_back(w.run);
  }
  for (const int run : runs) {
    long all = 0;
    std::array<long, 3> by{};
    for (const ImpulseWindowResult& w : r.windows) {
      if (w.run != run) continue;
      ++all;
      by[static_cast<std::size_t>(w.status)] += 1;
    }
    out += "<tr>" + Cell("DATA." + Count(run)) + NumCell(Count(all));
    for (const long n : by) out += Cell(Count(n), n == 0 ? "num zero" : "num");
    out += "</tr>";
  }
  out += "</table>";
  return out;
}

std::string ComparisonTables(const record::LegacyComparison& comparison) {
  if (!comparison.ran) return {};
  std::string out = "<h3>Beside the specified analysis</h3>";
  if (!comparison.why.empty()) out += Missing(Escape("No comparison: " + comparison.why));
  if (!comparison.coefficients.empty() && comparison.why.empty()) {
    out += "<table class=\"results\"><caption>The report's coefficients at 20 \u00B0C and 98.21 kPa</caption>" +
           HeaderRow({"Coefficient", "Specified", "Impulse", "Difference", "Unit"});
    for (const record::CoefficientComparison& k : comparison.coefficients) {
      out += "<tr>" + Cell(Escape(k.name)) + NumCell(Significant(k.legacy, 5)) +
             NumCell(Finite(k.method) ? Significant(k.method, 5) : std::string(kDash)) +
             NumCell(Finite(k.differencePercent) ? Fixed(k.differencePercent, 2) + " %" : std::string(kDash)) +
             Cell(UnitText(k.unit)) + "</tr>";
    }
    out += "</table>";
  }
  if (!comparison.points.empty() && comparison.why.empty()) {
    out += "<table class=\"roadload\"><caption>Still-air road load at 20 \u00B0C and 98.21 kPa, with 95 % "
           "intervals</caption>" +
           HeaderRow({"Speed, mph", "Specified, N", "95 % interval", "Impulse, N", "95 % interval", "Difference"});
    for (const record::ComparisonPoint& p : comparison.points) {
      out += "<tr>" + NumCell(Fixed(p.speedMph, 0)) + NumCell(Fixed(p.legacy, 1)) +
             NumCell(RangeText(p.legacyLow, p.legacyHigh, 1, " \u2026 ")) + NumCell(Fixed(p.method, 1)) +
             NumCell(RangeText(p.methodLow, p.methodHigh, 1, " \u2026 ")) +
             NumCell(Finite(p.differencePercent) ? Fixed(p.differencePercent, 2) + " %" : std::string(kDash)) + "</tr>";
    }
    out += "</table>";
  }
  return out;
}

std::string ImpulseSectionText(const PageContext& c) {
  const ImpulseAnalysis& a = c.record.impulse;
  std::string out = "<section id=\"impulse\"><h2>Impulse method</h2>";
  if (!a.ran) return out + Missing(EndedWhy(c.record, "The impulse method did not run")) + "</section>";
  out += "<p>The equation of motion integrated over overlapping windows of every DATA run, (M + m\u1D63)\u00B7\u222B"
         "w\u2032v dt = \u222Bw\u00B7F dt with every term of the road-load model integrated over the same window "
         "from the same records, fitted by least squares; the intervals allow for the correlation of overlapping "
         "windows.</p>";
  if (!a.result.solved) {
    out += Missing(Escape("No result: " + a.result.whyNot));
  } else {
    out += Layout(a);
    ResidualPlot(out, a.result);
    out += CoefficientsTable(a.result);
    out += WindowsTable(a.result);
  }
  if (!c.record.method.notes.empty()) {
    out += "<h3>What the data leave open</h3><ul class=\"warnings\">";
    for (const std::string& note : c.record.method.notes) out += "<li>" + Escape(note) + "</li>";
    out += "</ul>";
  }
  out += ComparisonTables(c.record.legacyComparison);
  out += "</section>";
  return out;
}

}  // namespace

void ImpulseSection(const PageContext& c, std::string& out) { out += ImpulseSectionText(c); }

}  // namespace html
