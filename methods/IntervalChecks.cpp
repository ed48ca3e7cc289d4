// The interval method's checks.
#include "methods/IntervalChecks.h"

#include <charconv>
#include <cmath>
#include <limits>

#include "common/NumberText.h"

namespace {

constexpr double kNone = std::numeric_limits<double>::quiet_NaN();

std::string Annex(const char* paragraph) {
  return std::string("UN GTR 15 Annex 4 (EU 2017/1151 Annex XXI Sub-Annex 4), ") + paragraph;
}

// A number as a finding quotes it: fixed decimals, or up to four significant digits.
std::string Shown(double value, const char* pattern) { return FormatFixed(value, pattern); }
std::string Short(double value) {
  char text[32];
  return std::string(text, std::to_chars(text, text + sizeof text, value, std::chars_format::general, 4).ptr);
}

MethodCheck Make(const char* id, std::string title, double value, const char* unit, std::string limit,
                 std::string source) {
  MethodCheck check;
  check.id = id;
  check.title = std::move(title);
  check.value = value;
  check.unit = unit;
  check.limit = std::move(limit);
  check.source = std::move(source);
  return check;
}

MethodCheck Rate(const IntervalAnalysis& a) {
  MethodCheck check = Make("rate", "record rate of the vehicle speed", a.settings.rateHz, "Hz",
                           ">= " + Short(a.settings.leastRateHz) + " Hz", Annex("3.1 (confirmed)"));
  check.pass = a.settings.rateHz >= a.settings.leastRateHz;
  check.finding = Short(a.settings.rateHz) + " records a second (--rate)";
  return check;
}

// The runs' winds beside the track, or a check that says none was given.
MethodCheck Wind(const IntervalAnalysis& a, const char* id, const std::string& title, double limit,
                 double (*of)(const TrackWindRun&)) {
  MethodCheck check = Make(id, title, kNone, "m/s", "<= " + Shown(limit, "0.0") + " m/s",
                           Annex("4.1.1.1.1, stationary anemometry (not confirmed)"));
  if (a.trackWind.empty()) {
    check.applicable = false;
    check.finding = "no wind beside the track was given (--track-wind)";
    return check;
  }
  double sum = 0.0;
  for (const TrackWindRun& run : a.trackWind) sum += of(run);
  check.value = sum / static_cast<double>(a.trackWind.size());
  check.pass = check.value <= limit;
  check.finding = Shown(check.value, "0.00") + " m/s, the mean over " + std::to_string(a.trackWind.size()) +
                  " DATA runs of the wind beside the track";
  return check;
}

MethodCheck Gusts(const IntervalAnalysis& a) {
  MethodCheck check = Make("gusts", "largest gust beside the track", kNone, "m/s",
                           "<= " + Shown(a.settings.gustLimitMs, "0.0") + " m/s",
                           Annex("4.1.1.1.1, stationary anemometry (not confirmed)"));
  check.applicable = false;
  check.finding = "not known: the wind beside the track is given as a mean for each run";
  return check;
}

MethodCheck Temperature(const IntervalAnalysis& a) {
  const double t = a.conditions.temperatureC ? *a.conditions.temperatureC : kNone;
  MethodCheck check = Make("temperature", "atmospheric temperature of the test", t, "degC",
                           Short(a.settings.lowestTemperatureC) + " to " +
                               Short(a.settings.highestTemperatureC) + " degC",
                           Annex("4.1.1.2 (not confirmed)"));
  check.applicable = std::isfinite(t);
  check.pass = t >= a.settings.lowestTemperatureC && t <= a.settings.highestTemperatureC;
  if (check.applicable) check.finding = Shown(t, "0.0") + " degC";
  return check;
}

MethodCheck Pairs(const IntervalAnalysis& a) {
  MethodCheck check = Make("pairs", "valid pairs of opposite runs at every reference speed", kNone, "pairs",
                           ">= " + std::to_string(a.settings.leastPairs), Annex("4.3.1.4.2 (not confirmed)"));
  const ReferenceSpeedResult* fewest = nullptr;
  for (const ReferenceSpeedResult& s : a.result.speeds)
    if (fewest == nullptr || s.pairs < fewest->pairs) fewest = &s;
  if (fewest == nullptr) {
    check.applicable = false;
    check.finding = "no reference speed was analysed";
    return check;
  }
  check.value = fewest->pairs;
  check.pass = fewest->pairs >= a.settings.leastPairs;
  check.finding = std::to_string(fewest->pairs) + " at " + Shown(fewest->speedKmh, "0") +
                  " km/h, the fewest of any reference speed";
  return check;
}

MethodCheck Accuracy(const IntervalAnalysis& a) {
  MethodCheck check = Make("accuracy", "statistical accuracy p at every reference speed", kNone, "%",
                           "<= " + Shown(a.settings.accuracyLimitPercent, "0.00") + " %",
                           Annex("4.3.1.4.2 (not confirmed)"));
  const ReferenceSpeedResult* worst = nullptr;
  bool unknown = false;
  for (const ReferenceSpeedResult& s : a.result.speeds) {
    if (!s.accuracyPercent) {
      unknown = true;
      continue;
    }
    if (worst == nullptr || *s.accuracyPercent > *worst->accuracyPercent) worst = &s;
  }
  if (worst == nullptr) {
    check.applicable = !a.result.speeds.empty();
    check.pass = false;
    check.finding = "not known: no reference speed has two pairs";
    return check;
  }
  check.value = *worst->accuracyPercent;
  check.pass = check.value <= a.settings.accuracyLimitPercent && !unknown;
  check.finding = Shown(check.value, "0.00") + " % at " + Shown(worst->speedKmh, "0") + " km/h, the largest" +
                  (unknown ? "; at some reference speed fewer than two pairs leave p unknown" : "");
  return check;
}

}  // namespace

std::vector<MethodCheck> IntervalChecks(const IntervalAnalysis& a) {
  return {Rate(a),
          Wind(a, "mean_wind", "mean wind speed beside the track", a.settings.meanWindLimitMs,
               [](const TrackWindRun& r) { return r.speedMs; }),
          Gusts(a),
          Wind(a, "crosswind", "mean wind across the track", a.settings.crossWindLimitMs,
               [](const TrackWindRun& r) { return std::fabs(r.crossMs); }),
          Temperature(a),
          Pairs(a),
          Accuracy(a)};
}
