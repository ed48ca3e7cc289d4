// The interval method's section of the page: the coastdown time of every run
// through every reference speed's interval, the accuracy p against its
// limit at each reference speed, the forces with the fitted road-load curve
// and its band, the corrections, the corrected road load, the constants and,
// for a test with an anemometer, the specified analysis' road load beside it.
#include <algorithm>
#include <cmath>

#include "html/Html.h"
#include "html/PageParts.h"
#include "methods/IntervalConstants.h"
#include "methods/IntervalTimes.h"

namespace html {

namespace {

std::string Optional(const std::optional<double>& value, int decimals) {
  return value ? Fixed(*value, decimals) : std::string(kDash);
}

// F = f0 + f1·v + f2·v² at v km/h and its 95 % band from the covariance.
struct CurvePoint {
  double force = record::kNone, low = record::kNone, high = record::kNone;
};
CurvePoint Curve(const RoadLoadCoefficients& c, double v) {
  CurvePoint p;
  if (!c.solved) return p;
  p.force = c.value[0] + c.value[1] * v + c.value[2] * v * v;
  if (!c.covariance || !c.studentT) return p;
  const double g[3] = {1.0, v, v * v};
  double variance = 0.0;
  for (std::size_t i = 0; i < 3; ++i)
    for (std::size_t j = 0; j < 3; ++j) variance += g[i] * (*c.covariance)[i * 3 + j] * g[j];
  if (!(variance >= 0.0)) return p;
  p.low = p.force - *c.studentT * std::sqrt(variance);
  p.high = p.force + *c.studentT * std::sqrt(variance);
  return p;
}

std::string TimesTable(const IntervalAnalysis& a) {
  const IntervalResult& r = a.result;
  std::string out = "<table class=\"intervals\"><caption>Coastdown time (s) of every run from v + " +
                    Fixed(a.settings.halfWidthKmh, 1) + " to v \u2212 " + Fixed(a.settings.halfWidthKmh, 1) +
                    " km/h; a dash where the run does not span the interval</caption><tr><th>Run</th><th>Heading</th>";
  for (const double v : r.referenceKmh) out += "<th class=\"num\">" + Fixed(v, 0) + " km/h</th>";
  out += "</tr>";
  for (const RunIntervals& run : r.runs) {
    out += "<tr>" + Cell(Escape(RunName(run.run))) + Cell(run.direction > 0 ? "odd" : "even");
    for (const IntervalCrossing& c : run.intervals) out += NumCell(c.spanned ? Fixed(c.seconds, 3) : std::string(kDash));
    out += "</tr>";
  }
  for (const IntervalPair& pair : r.pairs) {
    out += "<tr class=\"pairrow\">" + Cell("pair " + Escape(RunName(pair.firstRun)) + "/" + Count(pair.secondRun));
    if (pair.rejected) {
      out += "<td colspan=\"" + Count(static_cast<long long>(r.referenceKmh.size()) + 1) +
             "\">rejected with its pair: " + Escape(pair.reason) + "</td>";
    } else {
      out += Cell("harmonic mean");
      for (const auto& t : pair.seconds) out += NumCell(Optional(t, 3));
    }
    out += "</tr>";
  }
  out += "</table>";
  return out;
}

std::string SpeedsTable(const IntervalAnalysis& a) {
  std::string out =
      "<table class=\"intervals\"><caption>Statistical accuracy and force at each reference speed</caption>" +
      HeaderRow({"v, km/h", "Pairs n", "\u0394t\u209A, s", "\u03C3, s", "h", "p, %", "Limit, %", "Met", "F, N",
                 "s(F), N", "Fitted, N"});
  for (const ReferenceSpeedResult& s : a.result.speeds) {
    out += std::string(s.accurate ? "<tr>" : "<tr class=\"check fail\">") + NumCell(Fixed(s.speedKmh, 0)) +
           NumCell(Count(s.pairs)) + NumCell(Optional(s.meanSeconds, 3)) + NumCell(Optional(s.sigmaSeconds, 4)) +
           NumCell(Optional(s.h, 3) + (s.h && !s.hFromTable ? "*" : "")) + NumCell(Optional(s.accuracyPercent, 2)) +
           NumCell(Fixed(a.settings.accuracyLimitPercent, 2)) + Cell(s.accurate ? "yes" : "no") +
           NumCell(Optional(s.forceN, 2)) + NumCell(Optional(s.forceStdErrN, 2)) + NumCell(Optional(s.fittedN, 2)) +
           "</tr>";
  }
  out += "</table>";
  return out;
}

void AccuracyPlot(std::string& out, const IntervalAnalysis& a) {
  std::vector<double> speeds, ps;
  for (const ReferenceSpeedResult& s : a.result.speeds) {
    speeds.push_back(s.speedKmh);
    ps.push_back(s.accuracyPercent ? *s.accuracyPercent : record::kNone);
  }
  const auto [lo, hi] = svg::FiniteRange(speeds);
  if (!Finite(lo)) return;
  std::vector<double> ys = ps;
  ys.push_back(a.settings.accuracyLimitPercent);
  const auto [ylo, yhi] = svg::FiniteRange(ys);
  svg::Plot plot("accuracy", 640, 220);
  plot.SetX(svg::NiceTicks(lo - a.settings.referenceStepKmh / 2, hi + a.settings.referenceStepKmh / 2, 8),
            "reference speed (km/h)");
  plot.SetY(svg::NiceTicks(std::min(0.0, ylo), yhi * 1.1, 5), "statistical accuracy p (%)");
  plot.HorizontalLine(a.settings.accuracyLimitPercent, "limit");
  plot.AddLegend({svg::LegendEntry::Kind::Line, "limit", {}, "limit " + Fixed(a.settings.accuracyLimitPercent, 2) + " %"});
  long met = 0, notMet = 0;
  for (const ReferenceSpeedResult& s : a.result.speeds) {
    if (!s.accuracyPercent) continue;
    plot.Mark(s.speedKmh, *s.accuracyPercent, s.accurate ? svg::Shape::Circle : svg::Shape::Cross,
              s.accurate ? "pt used" : "pt filter-outlier");
    (s.accurate ? met : notMet) += 1;
  }
  if (met > 0) plot.AddLegend({svg::LegendEntry::Kind::Mark, "used", svg::Shape::Circle, "within the limit"});
  if (notMet > 0) plot.AddLegend({svg::LegendEntry::Kind::Mark, "filter-outlier", svg::Shape::Cross, "not met"});
  AppendFigure(out, "accuracy", plot, "Statistical accuracy against its limit at each reference speed",
               "Statistical accuracy p = h\u00B7\u03C3/(\u221An\u00B7\u0394t\u209A) at each reference speed, and "
               "its limit.");
}

void ForcePlot(std::string& out, const PageContext& c) {
  const IntervalAnalysis& a = c.record.intervals;
  const IntervalResult& r = a.result;
  if (r.referenceKmh.empty()) return;
  const double lo = r.referenceKmh.front() - a.settings.halfWidthKmh;
  const double hi = r.referenceKmh.back() + a.settings.halfWidthKmh;
  constexpr int kSteps = 80;
  std::vector<double> speeds, force, low, high, truth;
  // The simulator's truth at test conditions.
  const double t0 = c.truth.Value("Test f0"), t1 = c.truth.Value("Test f1"), t2 = c.truth.Value("Test f2");
  for (int i = 0; i <= kSteps; ++i) {
    const double v = lo + (hi - lo) * i / kSteps;
    const CurvePoint p = Curve(r.atTest, v);
    speeds.push_back(v);
    force.push_back(p.force);
    low.push_back(p.low);
    high.push_back(p.high);
    truth.push_back(t0 + t1 * v + t2 * v * v);
  }
  std::vector<double> ys = force;
  for (const ReferenceSpeedResult& s : r.speeds)
    if (s.forceN) ys.push_back(*s.forceN);
  ys.insert(ys.end(), high.begin(), high.end());
  const auto [ylo, yhi] = svg::FiniteRange(ys);
  svg::Plot plot("forces", 640, 300);
  plot.SetX(svg::NiceTicks(lo, hi, 8), "vehicle speed (km/h)");
  plot.SetY(svg::NiceTicks(std::min(0.0, ylo), yhi, 6), "road load at test conditions (N)");
  if (r.atTest.covariance) {
    plot.Band(speeds, low, high, "band");
    plot.AddLegend({svg::LegendEntry::Kind::Band, "band", {}, "95 % confidence band"});
  }
  plot.Line(speeds, force, "curve fit");
  plot.AddLegend({svg::LegendEntry::Kind::Line, "curve fit", {}, "f0 + f1\u00B7v + f2\u00B7v\u00B2"});
  for (const ReferenceSpeedResult& s : r.speeds) {
    if (!s.forceN) continue;
    if (s.forceStdErrN && s.pairs > 1) {
      const double t = s.h ? *s.h : 2.0;
      plot.ErrorBar(s.speedKmh, *s.forceN - t * *s.forceStdErrN, *s.forceN + t * *s.forceStdErrN, "errorbar");
    }
    plot.Mark(s.speedKmh, *s.forceN, svg::Shape::Square, "pt rl");
  }
  plot.AddLegend({svg::LegendEntry::Kind::Mark, "rl", svg::Shape::Square, "F = (m + m\u1D63)\u00B72\u0394v/\u0394t\u209A"});
  if (Finite(t0) && Finite(t1) && Finite(t2)) {
    plot.Line(speeds, truth, "curve truth");
    plot.AddLegend({svg::LegendEntry::Kind::Line, "curve truth", {}, "truth at test conditions (simulator)"});
  }
  AppendFigure(c, out, "forces", plot, "Forces at the reference speeds with the fitted road load",
               "The force at each reference speed with h\u00B7s(F), and the road load fitted to them by least "
               "squares with its 95 % band, at test conditions (the mean mass and the test's air).");
}

std::string CoefficientsTable(const IntervalAnalysis& a) {
  const IntervalResult& r = a.result;
  std::string out = "<table class=\"results\"><caption>f0, f1, f2 with 95 % intervals (t = " +
                    Optional(r.atTest.studentT, 3) + " for " + Optional(r.atTest.degreesOfFreedom, 0) +
                    " degrees of freedom)</caption>" +
                    HeaderRow({"", "At test conditions", "\u00B1", "Averaging over \u00B1\u0394v",
                               "At the reference conditions", "\u00B1", "Unit"});
  static const char* const kNames[3] = {"f0", "f1", "f2"};
  static const char* const kUnits[3] = {"N", "N/(km/h)", "N/(km/h)^2"};
  static const int kDecimals[3] = {3, 5, 7};
  for (std::size_t i = 0; i < 3; ++i) {
    const auto half = [&](const RoadLoadCoefficients& c) {
      return c.halfWidth ? Fixed((*c.halfWidth)[i], kDecimals[i]) : std::string(kDash);
    };
    out += "<tr>" + Cell(kNames[i]) + NumCell(r.atTest.solved ? Fixed(r.atTest.value[i], kDecimals[i]) : "") +
           NumCell(half(r.atTest)) +
           NumCell(r.atTest.averagingBias ? Significant((*r.atTest.averagingBias)[i], 3) : std::string(kDash)) +
           NumCell(r.corrected.solved ? Fixed(r.corrected.value[i], kDecimals[i]) : "") + NumCell(half(r.corrected)) +
           Cell(UnitText(kUnits[i])) + "</tr>";
  }
  out += "</table><p class=\"note\">The forces 2\u0394v/\u0394t average the road load over v \u00B1 \u0394v; the "
         "averaging column is what that adds to the coefficients (shown, not subtracted, as the regulation defines "
         "them).</p>";
  return out;
}

std::string CorrectionsTable(const IntervalAnalysis& a) {
  std::string out = "<table class=\"intervals\"><caption>Corrections to " +
                    Fixed(a.settings.referenceTemperatureC, 1) + " \u00B0C and " +
                    Fixed(a.settings.referencePressureKPa, 2) +
                    " kPa: F* = ((f0 \u2212 w1 \u2212 K1) + f1\u00B7v)\u00B7(1 + K0\u00B7(T \u2212 20 \u00B0C)) + "
                    "K2\u00B7f2\u00B7v\u00B2</caption>" +
                    HeaderRow({"Correction", "Value", "Applied", "Why"});
  for (const IntervalCorrection& c : a.result.corrections) {
    out += "<tr>" + Cell(Escape(c.name)) + NumCell(c.value ? Compact(*c.value, 4) : std::string(kDash)) +
           Cell(c.applied ? "yes" : "no") + Cell(Escape(c.note)) + "</tr>";
  }
  out += "</table><p class=\"note\">K2 uses the regulation's reference pressure; the legacy analysis of this "
         "program corrects to 98.21 kPa.</p>";
  return out;
}

std::string ConstantsTable(const IntervalAnalysis& a) {
  std::string out = "<table class=\"intervals\"><caption>Constants (--constant NAME=VALUE sets one)</caption>" +
                    HeaderRow({"Name", "Value", "Unit", "Meaning", "Status", "Source"});
  for (const IntervalConstant& c : IntervalConstants()) {
    const bool set = std::find(a.constantsSet.begin(), a.constantsSet.end(), c.name) != a.constantsSet.end();
    out += "<tr>" + Cell(Escape(c.name)) + NumCell(Compact(c.get(a.settings), 4)) + Cell(Escape(c.unit)) +
           Cell(Escape(c.meaning)) + Cell(std::string(ConstantStatusName(c.status)) + (set ? ", set for this run" : "")) +
           Cell(Escape(c.source), "source") + "</tr>";
  }
  out += "</table>";
  return out;
}

std::string ComparisonTable(const record::LegacyComparison& comparison) {
  if (!comparison.ran) return {};
  std::string out = "<h3>Beside the legacy analysis</h3>";
  if (!comparison.available) return out + Missing(Escape("No comparison: " + comparison.why));
  out += "<table class=\"roadload\"><caption>Still-air road load at 20 \u00B0C and 98.21 kPa, each method with its "
         "own corrections</caption>" +
         HeaderRow({"Speed, mph", "Speed, km/h", "Legacy, N", "95 % interval", "Intervals, N", "95 % interval",
                    "Difference"});
  for (const record::ComparisonPoint& p : comparison.points) {
    out += "<tr>" + NumCell(Fixed(p.speedMph, 0)) + NumCell(Fixed(p.speedKmh, 1)) + NumCell(Fixed(p.legacy, 1)) +
           NumCell(Fixed(p.legacyLow, 1) + " \u2026 " + Fixed(p.legacyHigh, 1)) + NumCell(Fixed(p.method, 1)) +
           NumCell(Fixed(p.methodLow, 1) + " \u2026 " + Fixed(p.methodHigh, 1)) +
           NumCell(Fixed(p.differencePercent, 2) + " %") + "</tr>";
  }
  out += "</table>";
  return out;
}

}  // namespace

std::string MethodSummary(const PageContext& c) {
  const record::AnalysisRecord& r = c.record;
  if (r.impulse.ran) {
    return "<p class=\"summary\">Method: impulse (--method impulse), the equation of motion integrated over "
           "windows of the DATA records; the specified analysis beside it is in the Impulse section.</p>";
  }
  if (!r.intervals.ran) {
    return r.method.name == "legacy"
               ? std::string("<p class=\"summary\">Method: legacy, the SAE J2263 analysis with the anemometer (the "
                             "default).</p>")
               : "<p class=\"summary\">Method: " + Escape(r.method.name) + ".</p>";
  }
  std::string out = "<p class=\"summary\">Method: reference-speed intervals, the coastdown method of UN GTR 15 "
                    "Annex 4 (EU 2017/1151 Annex XXI Sub-Annex 4), on the DATA runs' speeds alone.";
  const RoadLoadCoefficients& f = r.intervals.result.corrected;
  if (r.intervals.result.usable && f.solved) {
    out += " Road load at " + Fixed(r.intervals.settings.referenceTemperatureC, 0) + " \u00B0C and " +
           Fixed(r.intervals.settings.referencePressureKPa, 2) + " kPa: <strong>F = " + Fixed(f.value[0], 1) +
           " + " + Fixed(f.value[1], 3) + "\u00B7v + " + Fixed(f.value[2], 5) +
           "\u00B7v\u00B2 N</strong> with v in km/h; " +
           (r.intervals.valid ? "<strong>valid</strong>: every reference speed has the least number of pairs and p "
                                "within its limit."
                              : "<strong>not valid</strong> for a type-approval file (see the checks).");
  }
  out += "</p>";
  return out;
}

void IntervalsSection(const PageContext& c, std::string& out) {
  const IntervalAnalysis& a = c.record.intervals;
  out += "<section id=\"intervals\"><h2>Reference-speed intervals</h2>";
  if (!a.ran) {
    out += Missing(EndedWhy(c.record, "The interval method did not run")) + "</section>";
    return;
  }
  out += "<p>" + Count(static_cast<long long>(a.result.runs.size())) + " DATA runs at " +
         Compact(a.settings.rateHz, 4) + " records a second; mean mass " + Fixed(a.conditions.averageMassKg, 1) +
         " kg, rotating mass " + Fixed(a.conditions.rotatingMassKg, 1) + " kg (" + Escape(a.rotatingMass.source) +
         ").</p>";
  out += TimesTable(a);
  AccuracyPlot(out, a);
  out += SpeedsTable(a);
  ForcePlot(out, c);
  out += CoefficientsTable(a);
  out += CorrectionsTable(a);
  out += ComparisonTable(c.record.legacyComparison);
  out += ConstantsTable(a);
  out += "</section>";
}

}  // namespace html
