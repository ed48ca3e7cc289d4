// The fit section: every DATA sample against the model, the residuals the
// outlier filter judged and those of the final fit by run, and the
// statistics of the fits.
#include <algorithm>

#include "html/Html.h"
#include "html/PageParts.h"

namespace html {

using record::AnalysisRecord;
using record::SampleRecord;

namespace {

// The model's force of a fit at test conditions in still air: the relative
// wind equal to the speed and no yaw; NaN when the fit delivered nothing.
double StillAirForce(const record::FitRecord& fit, double speed) {
  return fit.completed ? record::ModelForce(fit.coefficients, speed, speed, 0.0) : record::kNone;
}

void ForcePlot(const PageContext& c, std::string& out) {
  // Force when the record has it; otherwise deceleration, which every DATA sample has.
  bool haveForce = false;
  for (const SampleRecord* s : c.data) haveForce = haveForce || Finite(s->force);
  const double decelerationUnit = c.units.mph;  // mph/s
  const auto x = [&](const SampleRecord& s) { return Mph(c, s.speed); };
  const auto y = [&](const SampleRecord& s) { return haveForce ? s.force : s.deceleration / decelerationUnit; };
  std::vector<double> xs, ys;
  for (const SampleRecord* s : c.data) {
    if (!Finite(x(*s)) || !Finite(y(*s))) continue;
    xs.push_back(x(*s));
    ys.push_back(y(*s));
  }
  if (xs.empty()) {
    out += Missing(EndedWhy(c.record, "No DATA samples to plot against the model"));
    return;
  }
  const auto [xlo, xhi] = svg::FiniteRange(xs);
  const auto [ylo, yhi] = svg::FiniteRange(ys);
  const svg::Ticks xt = svg::NiceTicks(xlo, xhi, 7);
  std::vector<double> speeds, finalCurve, firstCurve;
  for (int i = 0; i <= 80; ++i) {
    const double mph = xt.lo + (xt.hi - xt.lo) * i / 80.0;
    speeds.push_back(mph);
    finalCurve.push_back(haveForce ? StillAirForce(c.record.finalFit, mph * c.units.mph) : record::kNone);
    firstCurve.push_back(haveForce ? StillAirForce(c.record.firstFit, mph * c.units.mph) : record::kNone);
  }
  svg::Plot plot("fit", 640, 320);
  plot.SetX(xt, "vehicle speed (mph)");
  plot.SetY(svg::NiceTicks(std::min(0.0, ylo), yhi, 6), haveForce ? "decelerating force (N)" : "deceleration (mph/s)");
  if (haveForce) plot.SetSecondY(c.units.lbf, "decelerating force (lbf)");
  const std::array<long, 6> counts = DrawSamples(plot, c.data, x, y);
  MarkNotCoasting(plot, c.data, x, y);
  if (haveForce) {
    plot.Line(speeds, firstCurve, "curve first");
    plot.Line(speeds, finalCurve, "curve fit");
  }
  StatusLegend(plot, counts);
  if (haveForce && c.record.finalFit.completed) {
    plot.AddLegend({svg::LegendEntry::Kind::Line, "curve fit", {}, "final fit, still air"});
  }
  if (haveForce && c.record.firstFit.completed) {
    plot.AddLegend({svg::LegendEntry::Kind::Line, "curve first", {}, "first fit, still air"});
  }
  const std::string caption =
      haveForce ? "Decelerating force (test weight / g \u00D7 deceleration) of every one-second DATA sample "
                  "against speed, marked by what became of it, with the model's still-air curve at test "
                  "conditions. Samples lie above or below the curve as the wind and yaw they met add to or take "
                  "from the still-air drag."
                : "Deceleration of every one-second DATA sample against speed, marked by what became of it; the "
                  "record holds no force to set against the model.";
  AppendFigure(c, out, "fit", plot, "Decelerating force against speed, every DATA sample", Escape(caption));
}

// First-fit residuals, as the outlier filter judged them, against speed.
void FilterResidualPlot(const PageContext& c, std::string& out) {
  const record::FilterRecord& filter = c.record.filter;
  std::vector<double> ys{filter.mean + filter.limit, filter.mean - filter.limit}, xs;
  for (const SampleRecord* s : c.data) {
    if (!Finite(s->filterResidual) || !Finite(s->speed)) continue;
    ys.push_back(s->filterResidual);
    xs.push_back(Mph(c, s->speed));
  }
  if (xs.empty()) {
    out += "<div>" + Missing(EndedWhy(c.record, "No residuals of the first fit (the outlier filter did not run)")) +
           "</div>";
    return;
  }
  const auto [xlo, xhi] = svg::FiniteRange(xs);
  const auto [ylo, yhi] = svg::FiniteRange(ys);
  svg::Plot plot("residual-speed", 360, 240);
  plot.SetX(svg::NiceTicks(xlo, xhi, 6), "vehicle speed (mph)");
  plot.SetY(svg::NiceTicks(ylo, yhi, 6), "first-fit residual (N)");
  plot.HorizontalLine(filter.mean, "mean");
  plot.HorizontalLine(filter.mean + filter.limit, "limit");
  plot.HorizontalLine(filter.mean - filter.limit, "limit");
  const auto counts = DrawSamples(
      plot, c.data, [&](const SampleRecord& s) { return Mph(c, s.speed); },
      [](const SampleRecord& s) { return s.filterResidual; });
  StatusLegend(plot, counts);
  if (Finite(filter.limit)) plot.AddLegend({svg::LegendEntry::Kind::Line, "limit", {}, "mean \u00B1 3 sd"});
  AppendFigure(c, out, "residual-speed", plot, "First-fit residuals against speed",
               "Residuals of the first fit against speed, with the outlier filter's limits: mean " +
                   Fixed(filter.mean, 1) + " N \u00B1 " + Fixed(filter.limit, 1) + " N (3 sd).");
}

// Final-fit residuals by run: a run that sits apart met other wind or track.
void RunResidualPlot(const PageContext& c, std::string& out) {
  const record::FilterRecord& filter = c.record.filter;
  std::vector<double> ys{filter.mean + filter.limit, filter.mean - filter.limit};
  RunSlots slots;
  for (const SampleRecord* s : c.data) {
    if (!Finite(s->residual)) continue;
    ys.push_back(s->residual);
    slots.Add(*s);
  }
  if (slots.Empty()) {
    out += "<div>" + Missing(EndedWhy(c.record, "No residuals of the final fit")) + "</div>";
    return;
  }
  const auto [ylo, yhi] = svg::FiniteRange(ys);
  const svg::Ticks yt = svg::NiceTicks(ylo, yhi, 6);
  // A slot of some 30 px per run keeps a long test day readable.
  const double width = std::clamp(30.0 * static_cast<double>(slots.Runs().size()), 360.0, 640.0);
  svg::Plot plot("residual-run", width, 240);
  slots.SetAxis(plot, "DATA run");
  plot.SetY(yt, "final-fit residual (N)");
  for (const auto& [run, span] : slots.Runs()) {
    if (run % 2 == 0) plot.Band({run - 0.5, run + 0.5}, {yt.lo, yt.lo}, {yt.hi, yt.hi}, "shade");
  }
  plot.HorizontalLine(0.0, "zero");
  plot.HorizontalLine(filter.mean + filter.limit, "limit");
  plot.HorizontalLine(filter.mean - filter.limit, "limit");
  const auto counts = DrawSamples(
      plot, c.data, [&](const SampleRecord& s) { return slots.X(s); },
      [](const SampleRecord& s) { return s.residual; });
  StatusLegend(plot, counts);
  if (Finite(filter.limit)) plot.AddLegend({svg::LegendEntry::Kind::Line, "limit", {}, "filter limits"});
  AppendFigure(c, out, "residual-run", plot, "Final-fit residuals by run",
               "Residuals of the final fit by DATA run (even runs shaded), each run's samples in time order, with "
               "the outlier filter's limits for scale.");
}

std::string FitStatistics(const PageContext& c) {
  const AnalysisRecord& r = c.record;
  std::string out = "<table class=\"fitstats\"><caption>Fits, outlier filter and window</caption>";
  out += HeaderRow({"", "Value"});
  const auto row = [&](std::string_view name, const std::string& value) {
    out += "<tr>" + Cell(name) + NumCell(value) + "</tr>";
  };
  const auto fit = [&](std::string_view name, const record::FitRecord& f) {
    if (!f.ran) {
      row(name, "did not run");
      return;
    }
    row(name, Escape(f.solver) + (f.completed ? "" : ", no coefficients"));
    row("\u2003samples offered / negative deceleration / used",
        Count(f.samplesOffered) + " / " + Count(f.negativeDeceleration) + " / " + Count(f.used));
  };
  fit("first fit", r.firstFit);
  if (r.filter.ran) {
    row("outlier filter: residuals tested / excluded", Count(r.filter.tested) + " / " + Count(r.filter.excluded));
    row("\u2003mean / sd / limit (3 sd), N",
        Fixed(r.filter.mean, 2) + " / " + Fixed(r.filter.sd, 2) + " / " + Fixed(r.filter.limit, 2));
  } else {
    row("outlier filter", "did not run");
  }
  if (r.window.applied) {
    row("window: speed, mph", RangeText(Mph(c, r.window.minSpeed), Mph(c, r.window.maxSpeed), 1, " \u2026 "));
    row("\u2003relative wind, mph", RangeText(Mph(c, r.window.minWind), Mph(c, r.window.maxWind), 1, " \u2026 "));
    row("\u2003yaw, \u00B0", RangeText(r.window.minYaw, r.window.maxYaw, 1, " \u2026 "));
    row("\u2003samples excluded", Count(r.window.excluded));
  } else {
    row("window", "not applied");
  }
  fit("final fit", r.finalFit);
  const record::UncertaintyRecord& u = r.uncertainty;
  if (u.available) {
    row("samples / coefficients / degrees of freedom", Count(u.n) + " / " + Count(u.p) + " / " + Count(u.dof));
    row("residual sd, N", Fixed(u.residualSd, 2));
    row("R\u00B2", Fixed(u.rSquared, 5));
    row("t (95 %, two-sided)", Fixed(u.t95, 4));
    row("correlation m2 \u2013 a0", Fixed(u.correlationM2A0, 4));
    row("solver against an independent solution (largest relative difference)", Significant(u.solverAgreement, 2));
  } else {
    row("uncertainty", u.why.empty() ? std::string(html::kDash) : Escape(u.why));
  }
  out += "</table>";
  return out;
}

std::string CoefficientTable(const PageContext& c) {
  const record::UncertaintyRecord& u = c.record.uncertainty;
  if (!u.available || u.coefficients.empty()) return {};
  std::string out =
      "<table class=\"coefficients\"><caption>Final fit at test conditions (SI), with 95 % "
      "intervals and correlations</caption><tr><th>Term</th><th>Value</th><th>95 % interval</th>"
      "<th>Unit</th>";
  for (const auto& e : u.coefficients) out += "<th>" + Escape(e.name) + "</th>";
  out += "</tr>";
  for (std::size_t i = 0; i < u.coefficients.size(); ++i) {
    const record::Estimate& e = u.coefficients[i];
    const EstimateText t = FormatEstimate(e);
    out += "<tr>" + Cell(Escape(e.name)) + NumCell(t.value) + NumCell(t.interval) + Cell(UnitText(e.unit));
    for (std::size_t j = 0; j < u.coefficients.size(); ++j) {
      const double r = i < u.correlation.size() && j < u.correlation[i].size() ? u.correlation[i][j] : record::kNone;
      // Strongly correlated pairs are the ones the test could not tell apart.
      const bool strong = i != j && Finite(r) && std::fabs(r) >= 0.9;
      out += Cell(j > i ? std::string() : Fixed(r, 2), strong ? "num strong" : "num");
    }
    out += "</tr>";
  }
  out += "</table>";
  return out;
}

}  // namespace

void FitSection(const PageContext& c, std::string& out) {
  out += "<section id=\"fit\"><h2>Fit</h2>";
  ForcePlot(c, out);
  PassOn(c, out);
  out += "<div class=\"pair\">";
  FilterResidualPlot(c, out);
  PassOn(c, out);
  RunResidualPlot(c, out);
  PassOn(c, out);
  out += "</div>";
  out += "<div class=\"pair\">" + FitStatistics(c) + CoefficientTable(c) + "</div></section>";
}

}  // namespace html
