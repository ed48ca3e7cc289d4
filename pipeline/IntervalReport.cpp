// Writing the interval method's report.
#include "pipeline/IntervalReport.h"

#include <algorithm>
#include <charconv>
#include <utility>

#include "common/NumberText.h"
#include "common/Version.h"
#include "methods/IntervalChecks.h"
#include "methods/IntervalConstants.h"
#include "methods/IntervalTimes.h"
#include "pipeline/CommandFields.h"

namespace {

std::string Fixed(double value, int decimals) {
  return FormatFixed(value, decimals == 0 ? std::string("0") : "0." + std::string(static_cast<std::size_t>(decimals), '0'));
}

// Up to four significant digits, for the constants and the averaging.
std::string Short(double value) {
  char text[32];
  return std::string(text, std::to_chars(text, text + sizeof text, value, std::chars_format::general, 4).ptr);
}

std::string Left(std::string text, std::size_t width) {
  if (text.size() < width) text.append(width - text.size(), ' ');
  return text;
}

std::string Right(const std::string& text, std::size_t width) {
  return text.size() < width ? std::string(width - text.size(), ' ') + text : text;
}

// The report is 8-bit text like the specified one: the few symbols the
// method's messages use are written in ASCII.
std::string Ascii(std::string text) {
  static const std::pair<const char*, const char*> kSymbols[] = {
      {"\u00B7", "*"}, {"\u2212", "-"}, {" \u00B0C", " C"}, {"\u00B0", " deg"}, {"\u0394", "d"}, {"\u03C3", "sigma"},
      {"\u2265", ">="}, {"\u2264", "<="}, {"\u2026", "..."}, {"\u00B2", "^2"}, {"\u00B3", "^3"}};
  for (const auto& [symbol, ascii] : kSymbols) {
    const std::string from = symbol;
    for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + 1))
      text.replace(at, from.size(), ascii);
  }
  return text;
}

class Lines {
 public:
  void Add(const std::string& line = {}) { text_ += Ascii(line) + "\r\n"; }
  // A label padded to the 25th character, then the value, as the specified report.
  void Item(const std::string& label, const std::string& value) { Add(Left(label, 24) + value); }
  std::string Text() const { return text_; }

 private:
  std::string text_;
};

const char* kUnitsUs[] = {"", "", "", "mph", "mph", "lb", "F", "inHg", "ft^2", ""};
const char* kUnitsSi[] = {"", "", "", "km/h", "km/h", "kg", "C", "kPa", "m^2", ""};

std::string FieldText(const IntervalReportHead& head, CommandField field) {
  const std::size_t i = FieldIndex(field);
  const std::string value = i < head.fields.size() ? head.fields[i] : std::string();
  return value + " " + (head.si ? kUnitsSi[i] : kUnitsUs[i]);
}

std::string Kmh(double v) { return Fixed(v, 1); }

void Result(Lines& out, const IntervalAnalysis& a) {
  if (a.valid) {
    out.Item("Result:", "VALID: every reference speed has at least " + std::to_string(a.settings.leastPairs) +
                            " valid pairs and p within " + Fixed(a.settings.accuracyLimitPercent, 2) + " %");
  } else {
    out.Item("Result:", "NOT VALID for a type-approval file:");
    for (const std::string& why : a.invalidBecause) out.Add("  - " + why);
  }
  out.Add();
  const RoadLoadCoefficients& c = a.result.corrected;
  out.Add("Road load at " + Fixed(a.settings.referenceTemperatureC, 1) + " C and " +
          Fixed(a.settings.referencePressureKPa, 2) + " kPa, F = f0 + f1*v + f2*v^2 with v in km/h");
  // Rounded as 2.4 of the regulation (as amended by EU 2018/1832) asks.
  out.Add("f0: " + Fixed(c.value[0], 1) + " N");
  out.Add("f1: " + Fixed(c.value[1], 3) + " N/(km/h)");
  out.Add("f2: " + Fixed(c.value[2], 5) + " N/(km/h)^2");
  out.Add();
}

void Test(Lines& out, const IntervalAnalysis& a, const IntervalReportHead& head) {
  out.Add("TEST");
  out.Item("Folder:", head.fields.empty() ? std::string() : head.fields[0]);
  int runs = 0;
  for (const RunIntervals& run : a.result.runs) runs = std::max(runs, run.run);
  out.Item("Data runs:", std::to_string(a.result.runs.size()) + " (DATA.1 to DATA." + std::to_string(runs) + "), " +
                             Short(a.settings.rateHz) + " records a second");
  out.Item("Inertia Weight:", FieldText(head, CommandField::Weight) + " = mean mass m_av " +
                                  Fixed(a.conditions.averageMassKg, 1) + " kg, also the test mass");
  out.Item("Rotating mass m_r:", Fixed(a.conditions.rotatingMassKg, 1) + " kg");
  out.Add("  (" + a.rotatingMass.source + ")");
  out.Item("Temperature:", FieldText(head, CommandField::Temperature) + " = " +
                               Fixed(a.conditions.temperatureC.value_or(0.0), 1) + " C");
  out.Item("Pressure:", FieldText(head, CommandField::Pressure) + " = " +
                            Fixed(a.conditions.pressureKPa.value_or(0.0), 2) + " kPa");
  out.Item("Test Range:", "From " + FieldText(head, CommandField::MinSpeed) + " to " +
                              FieldText(head, CommandField::MaxSpeed) + " = " + Kmh(a.lowestTestedKmh) + " to " +
                              Kmh(a.highestTestedKmh) + " km/h");
  if (a.trackWindSource.empty()) {
    out.Item("Wind beside the track:", "not given (--track-wind)");
  } else {
    out.Item("Wind beside the track:", (a.trackWindSource == "whole test" ? "one mean for the whole test"
                                                                          : a.trackWindSource) +
                                           ", " + std::to_string(a.trackWind.size()) + " runs");
    for (const TrackWindRun& w : a.trackWind) {
      out.Add("  " + Left(RunName(w.run), 9) + Right(Fixed(w.speedMs, 2), 6) + " m/s from " +
              Right(Fixed(w.fromDeg, 1), 5) + " deg: " + Right(Fixed(w.headOnMs, 2), 6) + " m/s head-on, " +
              Right(Fixed(w.crossMs, 2), 6) + " m/s across");
    }
  }
  out.Add();
}

void Times(Lines& out, const IntervalAnalysis& a) {
  const std::vector<double>& refs = a.result.referenceKmh;
  out.Add("COASTDOWN TIMES, s, from v + " + Kmh(a.settings.halfWidthKmh) + " km/h down to v - " +
          Kmh(a.settings.halfWidthKmh) + " km/h (- where the run does not span the interval)");
  std::string header = Left("v, km/h", 14);
  for (const double v : refs) header += Right(Kmh(v), 9);
  out.Add(header);
  for (const RunIntervals& run : a.result.runs) {
    std::string line = Left(RunName(run.run) + (run.direction > 0 ? "  +" : "  -"), 14);
    for (const IntervalCrossing& c : run.intervals) line += Right(c.spanned ? Fixed(c.seconds, 3) : "-", 9);
    out.Add(line);
  }
  out.Add();
  out.Add("PAIRS, s: harmonic mean of the two runs' times");
  out.Add(header);
  for (const IntervalPair& pair : a.result.pairs) {
    std::string line = Left(RunName(pair.firstRun) + "/" + std::to_string(pair.secondRun), 14);
    if (pair.rejected) {
      line += "rejected with its pair: " + pair.reason;
    } else {
      for (const auto& t : pair.seconds) line += Right(t ? Fixed(*t, 3) : "-", 9);
    }
    out.Add(line);
  }
  out.Add();
}

void Speeds(Lines& out, const IntervalAnalysis& a) {
  out.Add("ACCURACY AND FORCE AT EACH REFERENCE SPEED");
  out.Add("p = h*sigma/(sqrt(n)*dt_p)*100 %; F = (m_av + m_r)*2*dv/dt_p, dv = " + Kmh(a.settings.halfWidthKmh) +
          " km/h");
  out.Add("  v km/h   n   dt_p s  sigma s     h      p %   limit %  met        F N   s(F) N   fit N");
  for (const ReferenceSpeedResult& s : a.result.speeds) {
    const auto opt = [](const std::optional<double>& v, int decimals) { return v ? Fixed(*v, decimals) : "-"; };
    out.Add(Right(Kmh(s.speedKmh), 8) + Right(std::to_string(s.pairs), 4) + Right(opt(s.meanSeconds, 3), 9) +
            Right(opt(s.sigmaSeconds, 4), 9) + Right(opt(s.h, 3) + (s.h && !s.hFromTable ? "*" : " "), 7) +
            Right(opt(s.accuracyPercent, 2), 8) + Right(Fixed(a.settings.accuracyLimitPercent, 2), 10) +
            Right(s.accurate ? "yes" : "NO", 5) + Right(opt(s.forceN, 2), 11) + Right(opt(s.forceStdErrN, 2), 9) +
            Right(opt(s.fittedN, 2), 8));
  }
  if (std::any_of(a.result.speeds.begin(), a.result.speeds.end(),
                  [](const ReferenceSpeedResult& s) { return s.h && !s.hFromTable; }))
    out.Add("* h is Student's t(0.975, n - 1), not from the regulation's table");
  out.Add();
}

void Coefficients(Lines& out, const RoadLoadCoefficients& c, const char* mark) {
  static const char* const kNames[3] = {"f0", "f1", "f2"};
  static const char* const kUnits[3] = {" N", " N/(km/h)", " N/(km/h)^2"};
  static const int kDecimals[3] = {4, 6, 8};
  for (std::size_t i = 0; i < 3; ++i) {
    std::string line = Left(std::string(kNames[i]) + mark + ":", 5) + Left(Fixed(c.value[i], kDecimals[i]) + kUnits[i], 26);
    line += c.halfWidth ? "95 % interval +- " + Fixed((*c.halfWidth)[i], kDecimals[i]) : std::string("no interval");
    out.Add(line);
  }
  if (c.studentT && c.degreesOfFreedom)
    out.Add("Student's t " + Fixed(*c.studentT, 3) + " for " + Short(*c.degreesOfFreedom) +
            " degrees of freedom (the least number of pairs at a reference speed, less 1)");
}

void RoadLoad(Lines& out, const IntervalAnalysis& a) {
  out.Add("ROAD LOAD AT TEST CONDITIONS (mass m_av + m_r = " +
          Fixed(a.conditions.averageMassKg + a.conditions.rotatingMassKg, 1) +
          " kg, the test's air), least squares over the reference speeds");
  Coefficients(out, a.result.atTest, "");
  if (a.result.atTest.averagingBias) {
    const auto& b = *a.result.atTest.averagingBias;
    out.Add("Of these, the averaging of 2*dv/dt over v +- " + Kmh(a.settings.halfWidthKmh) +
            " km/h (the regulation's definition, not subtracted):");
    out.Add("  f0 " + Short(b[0]) + " N, f1 " + Short(b[1]) + " N/(km/h), f2 " + Short(b[2]) + " N/(km/h)^2");
  }
  out.Add();
  out.Add("CORRECTIONS TO THE REFERENCE CONDITIONS (UN GTR 15 Annex 4, 4.5)");
  out.Add("F* = ((f0 - w1 - K1) + f1*v)*(1 + K0*(T - " + Fixed(a.settings.referenceTemperatureC, 1) +
          " C)) + K2*f2*v^2");
  for (const IntervalCorrection& c : a.result.corrections) {
    std::string value = c.value ? Short(*c.value) : std::string("-");
    if (c.name == "w1" || c.name == "K1") value += c.value ? " N" : "";
    if (c.name == "K0") value += " 1/K";
    out.Add(Left(c.name + ":", 5) + Left(value, 14) + c.note);
  }
  out.Add("K2 uses the regulation's reference pressure " + Fixed(a.settings.referencePressureKPa, 2) +
          " kPa; the legacy analysis of this program corrects to 98.21 kPa");
  out.Add();
  out.Add("ROAD LOAD AT THE REFERENCE CONDITIONS (" + Fixed(a.settings.referenceTemperatureC, 1) + " C, " +
          Fixed(a.settings.referencePressureKPa, 2) + " kPa)");
  Coefficients(out, a.result.corrected, "*");
  out.Add();
}

void Constants(Lines& out, const IntervalAnalysis& a) {
  out.Add("CONSTANTS (--constant NAME=VALUE sets one; * set for this run)");
  for (const IntervalConstant& c : IntervalConstants()) {
    const bool set = std::find(a.constantsSet.begin(), a.constantsSet.end(), c.name) != a.constantsSet.end();
    out.Add(Left(std::string(c.name) + (set ? " *" : ""), 26) + Left(Short(c.get(a.settings)) + " " + c.unit, 12) +
            Left(ConstantStatusName(c.status), 15) + c.source);
  }
  out.Add();
}

void Checks(Lines& out, const IntervalAnalysis& a) {
  out.Add("CHECKS");
  for (const MethodCheck& check : IntervalChecks(a)) {
    const std::string verdict = !check.applicable ? "n/a" : check.pass ? "pass" : "FAIL";
    out.Add(Left(check.id, 13) + Left(verdict, 6) + check.title + ": " + check.finding + " (limit " + check.limit +
            "; " + check.source + ")");
  }
  out.Add();
}

void Notes(Lines& out, const IntervalAnalysis& a) {
  std::vector<std::string> notes = a.notes;
  for (const IntervalIssue& issue : a.result.issues) notes.push_back(issue.message);
  if (notes.empty()) return;
  out.Add("NOTES");
  for (const std::string& note : notes) out.Add("- " + note);
  out.Add();
}

}  // namespace

std::string IntervalReportText(const IntervalAnalysis& analysis, const IntervalReportHead& head) {
  Lines out;
  out.Add("Coastdown Road Load by Reference-Speed Intervals");
  out.Add("UN GTR 15 Annex 4 coastdown method (EU 2017/1151 Annex XXI Sub-Annex 4)");
  out.Add("Report Generated on " + head.date);
  out.Add(std::string("Program Version ") + kProgramVersionText);
  out.Add();
  Result(out, analysis);
  Test(out, analysis, head);
  Times(out, analysis);
  Speeds(out, analysis);
  RoadLoad(out, analysis);
  Checks(out, analysis);
  Constants(out, analysis);
  Notes(out, analysis);
  return out.Text();
}
