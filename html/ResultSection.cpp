// The first section of the page: the test as typed, the corrected
// coefficients with their intervals, the checks and the warnings.
#include <algorithm>

#include "html/Html.h"
#include "html/PageParts.h"

namespace html {

using record::AnalysisRecord;

namespace {

// The road load in one line, in the report's units, for the reader who
// wants only that.
std::string Summary(const PageContext& c) {
  const auto find = [&](std::string_view name) -> const record::Estimate* {
    for (const auto& e : c.record.results.report) {
      if (e.name == name) return &e;
    }
    return nullptr;
  };
  const record::Estimate* a = find("Amech");
  const record::Estimate* b = find("Bmech");
  const record::Estimate* ctotl = find("Ctotl");
  if (a == nullptr || b == nullptr || ctotl == nullptr || !Finite(a->value) || !Finite(b->value) ||
      !Finite(ctotl->value)) {
    return {};
  }
  const auto signedTerm = [](const std::string& text) {
    return text.front() == '-' ? " \u2212 " + text.substr(1) : " + " + text;
  };
  std::string out =
      "<p class=\"summary\">Still-air road load at 20 \u00B0C and 98.21 kPa: <strong>F = " + FormatEstimate(*a).value +
      signedTerm(FormatEstimate(*b).value) + "\u00B7v" + signedTerm(FormatEstimate(*ctotl).value) +
      "\u00B7v\u00B2 lbf</strong> with v in mph";
  if (!c.record.results.aeroDetermined) {
    out += "; Cd <strong>not determined</strong> (nor Cmech and Caero: only their sum Ctotl)";
  } else if (const record::Estimate* cd = find("Cd"); cd != nullptr && Finite(cd->value)) {
    out += "; Cd <strong>" + FormatEstimate(*cd).value + "</strong>";
  }
  out += ".</p>";
  return out;
}

std::string ConditionsTable(const PageContext& c) {
  static constexpr std::array<std::pair<const char*, const char*>, 10> kFields = {{
      {"FOLDER", "test folder"},
      {"CALIBRATE", "calibrate the anemometer on the CAL runs"},
      {"ZERO", "yaw offset from the ZERO runs"},
      {"MIN_SPEED", "lower end of the speed window, mph"},
      {"MAX_SPEED", "upper end of the speed window, mph"},
      {"WEIGHT", "test (inertia) weight, lb"},
      {"TEMPERATURE", "ambient temperature, \u00B0F"},
      {"PRESSURE", "barometric pressure, inHg"},
      {"AREA", "frontal area, ft\u00B2"},
      {"CD", "known drag coefficient (empty: free regression)"},
  }};
  const AnalysisRecord& r = c.record;
  std::string out = "<div class=\"pair\"><table class=\"conditions\"><caption>As typed</caption>";
  out += HeaderRow({"Field", "Value", "Meaning"});
  for (std::size_t i = 0; i < kFields.size(); ++i) {
    const std::string value =
        i < r.fields.size() ? "<code>" + Escape(r.fields[i]) + "</code>" : std::string(html::kDash);
    out += "<tr>" + Cell(kFields[i].first) + Cell(value) + Cell(kFields[i].second) + "</tr>";
  }
  out += "</table><table class=\"conditions\"><caption>As the analysis took them</caption>";
  out += HeaderRow({"Quantity", "Value", "Unit"});
  const auto row = [&](std::string_view name, const std::string& value, std::string_view unit) {
    out += "<tr>" + Cell(name) + NumCell(value) + Cell(unit) + "</tr>";
  };
  row("test temperature", Fixed(r.temperatureC, 1), "\u00B0C");
  row("test pressure", Fixed(r.pressureKpa, 2), "kPa");
  row("test air density", Fixed(r.testDensity, 4), "kg/m\u00B3");
  row("standard air density (20 \u00B0C, 98.21 kPa)", Fixed(r.standardDensity, 4), "kg/m\u00B3");
  row("frontal area", Fixed(r.areaM2, 3), "m\u00B2");
  row("test weight", Fixed(r.weightN, 0), "N");
  row("test mass", Fixed(r.massKg, 1), "kg");
  row("mechanical correction factor", Fixed(r.mechFactor, 4), "");
  row("aerodynamic correction factor", Fixed(r.aeroFactor, 4), "");
  const bool zeroAsked = r.Set(record::SetKind::Zero).loaded;
  row(r.yawOffsetFromZero ? "yaw offset (mean of the ZERO runs)"
      : zeroAsked         ? "yaw offset (the ZERO runs asked for could not give it: 0 used)"
                          : "yaw offset (not from ZERO runs)",
      Fixed(r.yawOffset, 3), "\u00B0");
  row("speed, wind and yaw window", r.limitData ? "applied" : "not applied", "");
  if (Finite(r.constrainedCd)) row("known Cd (constrained fit)", Fixed(r.constrainedCd, 4), "");
  out += "</table></div>";
  return out;
}

std::string ResultsTable(const PageContext& c) {
  const record::ResultsRecord& results = c.record.results;
  const bool anyResult =
      !results.report.empty() || !results.si.empty() || !results.roadLoad.empty() || !results.drag.empty();
  if (!results.available && !anyResult) {
    std::string why = "No corrected results";
    if (!c.record.uncertainty.available && !c.record.uncertainty.why.empty()) {
      why += " (" + c.record.uncertainty.why + ")";
    }
    return Missing(EndedWhy(c.record, why));
  }
  const bool withTruth = c.truth.HasRoadLoad();
  std::string out =
      "<table class=\"results\"><caption>Road-load coefficients at standard conditions, with "
      "95 % confidence intervals</caption>";
  out += withTruth ? HeaderRow({"Quantity", "Value", "95 % interval", "\u00B1", "Unit", "Truth", "Difference"})
                   : HeaderRow({"Quantity", "Value", "95 % interval", "\u00B1", "Unit"});
  const auto group = [&](std::string_view title, const std::vector<record::Estimate>& estimates, bool compare) {
    if (estimates.empty()) return;
    out += "<tr class=\"group\"><th colspan=\"" + std::string(withTruth ? "7" : "5") + "\">" + std::string(title) +
           "</th></tr>";
    for (const record::Estimate& e : estimates) {
      const EstimateText t = FormatEstimate(e);
      out += "<tr>" + Cell(Escape(e.name)) + NumCell(t.value) + NumCell(t.interval) + NumCell(t.half) +
             Cell(UnitText(e.unit));
      if (withTruth) {
        const double truth = compare ? c.truth.Value(e.name) : record::kNone;
        const double difference = (e.value - truth) / truth * 100.0;
        // A truth outside the interval is worth a second look.
        // A held term has no interval of its own to lie outside of.
        const bool outside =
            Finite(truth) && Finite(e.low) && Finite(e.high) && e.high > e.low && (truth < e.low || truth > e.high);
        out += NumCell(Significant(truth, 5)) +
               Cell(Finite(difference) ? Fixed(difference, 2) + " %" : std::string(html::kDash),
                    outside ? "num outside" : "num");
      }
      out += "</tr>";
    }
  };
  group("Report units", results.report, true);
  group("SI", results.si, false);
  group("Road load f0, f1, f2 (still air)", results.roadLoad, false);
  group("Drag", results.drag, false);
  out += "</table>";
  if (withTruth) {
    out +=
        "<p class=\"note\">Truth: the values the simulator wrote into truth.txt. A difference marked "
        "<span class=\"outside\">thus</span> lies outside the 95 % interval.</p>";
  }
  return out;
}

std::string ChecksTable(const PageContext& c) {
  const auto& checks = c.record.checks;
  if (checks.empty()) return Missing(EndedWhy(c.record, "No checks were made"));
  std::vector<const record::CheckRecord*> ordered;
  ordered.reserve(checks.size());
  for (const auto& check : checks) ordered.push_back(&check);
  // Failed checks first, then passed ones, then those the run did not get to.
  const auto rank = [](const record::CheckRecord* k) { return !k->applicable ? 2 : (k->pass ? 1 : 0); };
  std::stable_sort(ordered.begin(), ordered.end(), [&](const auto* a, const auto* b) { return rank(a) < rank(b); });
  std::array<long, 3> byRank{};
  for (const auto* k : ordered) byRank[static_cast<std::size_t>(rank(k))] += 1;
  std::string out = "<table class=\"checks\"><caption>Checks: " + Count(byRank[0]) + " failed, " + Count(byRank[1]) +
                    " passed, " + Count(byRank[2]) + " not applicable</caption>";
  out += HeaderRow({"Result", "Check", "Value", "Limit", "Source"});
  for (const auto* k : ordered) {
    const int r = rank(k);
    const char* verdict = r == 0 ? "\u2718 FAIL" : r == 1 ? "\u2714 pass" : "\u2013 not applicable";
    const char* cls = r == 0 ? "check fail" : r == 1 ? "check pass" : "check na";
    std::string value = html::Compact(k->value, 4);
    if (Finite(k->value) && !k->unit.empty()) value += " " + k->unit;
    // The finding in words, where it says more than the value does.
    const bool findingSaysMore = !k->finding.empty() && k->finding != value;
    value = Escape(value);
    out += "<tr class=\"" + std::string(cls) + "\" data-check=\"" + Escape(k->id) + "\">" + Cell(verdict, "verdict") +
           Cell(Escape(k->title) +
                (findingSaysMore ? "<br/><span class=\"finding\">" + Escape(k->finding) + "</span>" : std::string())) +
           NumCell(value) + Cell(Escape(k->limit)) + Cell(Escape(k->source), "source") + "</tr>";
  }
  out += "</table>";
  return out;
}

}  // namespace

void ResultSection(const PageContext& c, std::string& out) {
  const AnalysisRecord& r = c.record;
  out += "<section id=\"result\"><h2>Result</h2>";
  if (r.error.number != 0) {
    out += "<p class=\"banner fail\">The analysis ended with " + Escape(ErrorText(r.error)) +
           ". The page shows what it got to.</p>";
  } else if (r.reportWritten) {
    // Green only when every check passed: a failed one is not small print.
    std::string failed;
    long failures = 0;
    for (const record::CheckRecord& check : r.checks) {
      if (!check.applicable || check.pass) continue;
      failed += std::string(failures++ == 0 ? "" : "; ") + check.title;
    }
    if (failures == 0) {
      out += "<p class=\"banner pass\">The analysis ran to its end and wrote the report " + Escape(r.reportPath) +
             ".</p>";
    } else {
      out += "<p class=\"banner warn\">The analysis ran to its end and wrote the report " + Escape(r.reportPath) +
             ", but " + Count(failures) + (failures == 1 ? " check" : " checks") + " failed: " + Escape(failed) +
             ". See the checks below before using the result.</p>";
    }
  } else if (!r.reportPath.empty()) {
    out += "<p class=\"banner fail\">The analysis ran but the report " + Escape(r.reportPath) +
           " could not be written (exit status " + Count(r.exitStatus) + ")" +
           (r.reportError.number != 0 ? ": " + Escape(ErrorText(r.reportError)) : std::string()) + ".</p>";
  }
  out += MethodSummary(c);
  out += Summary(c);
  out += ConditionsTable(c);
  out += ResultsTable(c);
  out += ChecksTable(c);
  out += "<h3>Warnings</h3>";
  if (r.warnings.empty()) {
    out += "<p>No warnings.</p>";
  } else {
    out += "<ul class=\"warnings\">";
    for (const auto& w : r.warnings) out += "<li>" + Escape(w) + "</li>";
    out += "</ul>";
  }
  out += "</section>";
}

}  // namespace html
