// Simulated test days analysed with --method impulse as a user runs the
// programs: coastdown-sim writes the folder, coastdown analyses it with
// --json, and each quantity of the record is set beside the simulator's
// truth. Two days at a time; seeds 1 to N, never chosen.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <functional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "tests/TestSupport.h"

namespace impulsedays {

using testsupport::NumberAfter;

inline constexpr double kKmhPerMph = 1.609344;

// A quantity of one day: the estimate, its stated standard uncertainty and
// 95 % interval, and the truth.
struct Quantity {
  double value = NAN, sigma = NAN, low = NAN, high = NAN, truth = NAN;
  double fitSigma = NAN;                   // the share of the fit alone
  double legacyLow = NAN, legacyHigh = NAN;  // the specified analysis beside it
  bool Covered() const { return low <= truth && truth <= high; }
  double Error() const { return value / truth - 1.0; }
};

// One day: the quantities named by the caller, the exit status, the
// warnings and what the record says besides.
struct Day {
  int status = -1;
  std::string err;
  std::string record;
  std::vector<Quantity> q;
  int failedChecks = 0;
  bool Says(const std::string& text) const { return err.find(text) != std::string::npos; }
};

// The text of the first JSON object or array that follows `key` from `from`.
inline std::size_t After(const std::string& text, const std::string& key, std::size_t from = 0) {
  const std::size_t at = text.find(key, from);
  return at == std::string::npos ? text.size() : at;
}

// The still-air road load at `mph` of the record's uncertainty section (the
// method's, at 20 °C and 98.21 kPa), with the fit's own share.
inline Quantity RoadLoadAt(const std::string& record, const std::string& truth, double mph) {
  Quantity q;
  const std::size_t section = After(record, "\"still_air_road_load\"", After(record, "\"uncertainty\""));
  const std::size_t at = After(record, "\"speed_mph\": " + std::to_string(static_cast<int>(mph)) + ",", section);
  q.value = NumberAfter(record, "\"force_N\": ", at);
  q.sigma = NumberAfter(record, "\"standard_error_N\": ", at);
  q.low = NumberAfter(record, "\"low95_N\": ", at);
  q.high = NumberAfter(record, "\"high95_N\": ", at);
  q.fitSigma = NumberAfter(record, "\"standard_uncertainty\": ", After(record, "\"source\": \"fit\"", at));
  const double kmh = mph * kKmhPerMph;
  q.truth = NumberAfter(truth, "Standard f0: ") + NumberAfter(truth, "Standard f1: ") * kmh +
            NumberAfter(truth, "Standard f2: ") * kmh * kmh;
  const std::size_t legacy = After(record, "\"speed_mph\": " + std::to_string(static_cast<int>(mph)) + ",",
                                   After(record, "\"legacy_comparison\""));
  q.legacyLow = NumberAfter(record, "\"legacy_low95_N\": ", legacy);
  q.legacyHigh = NumberAfter(record, "\"legacy_high95_N\": ", legacy);
  return q;
}

// An estimate of the record's results (`group` "drag", "road_load_coefficients").
inline Quantity Result(const std::string& record, const std::string& group, const std::string& name, double truth) {
  Quantity q;
  const std::size_t at = After(record, "\"name\": \"" + name + "\"", After(record, "\"" + group + "\"", After(record, "\"results\"")));
  q.value = NumberAfter(record, "\"value\": ", at);
  q.sigma = NumberAfter(record, "\"standard_error\": ", at);
  q.low = NumberAfter(record, "\"low95\": ", at);
  q.high = NumberAfter(record, "\"high95\": ", at);
  q.fitSigma = NumberAfter(record, "\"standard_uncertainty\": ", After(record, "\"source\": \"fit\"", at));
  q.truth = truth;
  const std::size_t legacy =
      After(record, "\"name\": \"" + name + "\"", After(record, "\"legacy_results\"", After(record, "\"legacy_comparison\"")));
  q.legacyLow = NumberAfter(record, "\"low95\": ", legacy);
  q.legacyHigh = NumberAfter(record, "\"high95\": ", legacy);
  return q;
}

// The road load at 20, 40 and 60 mph and Cd.
inline std::vector<Quantity> RoadLoadAndCd(const std::string& record, const std::string& truth) {
  std::vector<Quantity> q;
  for (const double mph : {20.0, 40.0, 60.0}) q.push_back(RoadLoadAt(record, truth, mph));
  q.push_back(Result(record, "drag", "Cd", NumberAfter(truth, "Cd:    ")));
  return q;
}
inline const std::vector<std::string> kRoadLoadAndCd = {"road load at 20 mph", "road load at 40 mph",
                                                        "road load at 60 mph", "Cd"};

// f0, f1, f2 of the still-air road load at 20 °C and 98.21 kPa.
inline std::vector<Quantity> RoadLoadCoefficients(const std::string& record, const std::string& truth) {
  return {Result(record, "road_load_coefficients", "f0", NumberAfter(truth, "Standard f0: ")),
          Result(record, "road_load_coefficients", "f1", NumberAfter(truth, "Standard f1: ")),
          Result(record, "road_load_coefficients", "f2", NumberAfter(truth, "Standard f2: "))};
}

using Extract = std::function<std::vector<Quantity>(const std::string& record, const std::string& truth)>;

// A simulated folder of `simOptions` and `seed`, and the argument text of
// its last COMMAND line (the first may carry options of the command).
struct Folder {
  Folder(const std::string& simOptions, int seed) : test(simOptions + " --seed " + std::to_string(seed)) {
    const std::string command = testsupport::ReadFile(test.path + "/COMMAND");
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < command.size()) {
      const std::size_t end = std::min(command.find('\n', start), command.size());
      if (end > start) lines.push_back(command.substr(start, end - start));
      start = end + 1;
    }
    arguments = lines.empty() ? std::string() : lines.back();
  }
  // coastdown with `options` and --json on the folder's argument text (or
  // on `argumentText`), the record read back.
  Day Analyse(std::vector<std::string> options, const Extract& extract, const std::string& argumentText = {}) const {
    const std::string json = test.path + "/record.json";
    options.insert(options.end(), {"--json", json, argumentText.empty() ? arguments : argumentText});
    const testsupport::ProcessResult run = testsupport::Run(COASTDOWN_EXE, options);
    Day day;
    day.status = run.status;
    day.err = run.err;
    day.record = testsupport::ReadFile(json);
    day.q = extract(day.record, test.Truth());
    for (std::size_t at = 0; (at = run.err.find("warning: check failed:", at)) != std::string::npos; ++at) {
      ++day.failedChecks;
    }
    return day;
  }
  testsupport::SimulatedFolder test;
  std::string arguments;
};

// `day` of the seeds 1 to `days`, two at a time.
template <typename Result>
std::vector<Result> ForSeeds(int days, const std::function<Result(int seed)>& day) {
  std::vector<Result> results(static_cast<std::size_t>(days));
  std::atomic<int> next{0};
  const auto work = [&] {
    for (int d; (d = next++) < days;) results[static_cast<std::size_t>(d)] = day(d + 1);
  };
  std::thread other(work);
  work();
  other.join();
  return results;
}

// `days` seeds of `simOptions`, each folder handed to `analyse` (which may
// analyse it more than once), two at a time.
template <typename Result>
std::vector<Result> ForDays(const std::string& simOptions, int days, const std::function<Result(const Folder&)>& analyse) {
  return ForSeeds<Result>(days, [&](int seed) { return analyse(Folder(simOptions, seed)); });
}

// Two analyses of each of `days` seeds of `simOptions` (`analyse` returns
// both), as the days of the first and the days of the second.
inline std::pair<std::vector<Day>, std::vector<Day>> ForDaysTwice(
    const std::string& simOptions, int days, const std::function<std::pair<Day, Day>(const Folder&)>& analyse) {
  std::pair<std::vector<Day>, std::vector<Day>> both;
  for (const auto& [first, second] : ForDays<std::pair<Day, Day>>(simOptions, days, analyse)) {
    both.first.push_back(first);
    both.second.push_back(second);
  }
  return both;
}

// The fewest covered of `days` for intervals that hold the truth 95 % of
// the time: three binomial standard deviations below 95 %.
inline int LeastCovered(int days) {
  return static_cast<int>(std::floor(days * (0.95 - 3.0 * std::sqrt(0.95 * 0.05 / days))));
}

// One quantity over the days.
struct Tally {
  int days = 0, covered = 0;
  double mean = 0.0, scatter = 0.0, sigma = 0.0, fitSigma = 0.0;  // relative
  double halfWidth = 0.0, legacyHalfWidth = 0.0;                  // relative, means
  double worst = 0.0;  // largest |error|
  double Ratio() const { return scatter / sigma; }
};

inline Tally Summarise(const std::vector<Day>& days, std::size_t k) {
  Tally t;
  t.days = static_cast<int>(days.size());
  for (const Day& d : days) t.mean += d.q[k].Error() / t.days;
  for (const Day& d : days) {
    const Quantity& q = d.q[k];
    t.scatter += (q.Error() - t.mean) * (q.Error() - t.mean) / (t.days - 1);
    t.sigma += (q.sigma / q.truth) * (q.sigma / q.truth) / t.days;
    t.fitSigma += (q.fitSigma / q.truth) * (q.fitSigma / q.truth) / t.days;
    t.covered += q.Covered();
    t.halfWidth += 0.5 * (q.high - q.low) / q.truth / t.days;
    t.legacyHalfWidth += 0.5 * (q.legacyHigh - q.legacyLow) / q.truth / t.days;
    t.worst = std::max(t.worst, std::fabs(q.Error()));
  }
  t.scatter = std::sqrt(t.scatter);
  t.sigma = std::sqrt(t.sigma);
  t.fitSigma = std::sqrt(t.fitSigma);
  return t;
}

inline void Print(const std::string& name, const Tally& t) {
  std::printf("%s: covered %d of %d, mean error %+.3f %%, scatter %.3f %%, stated %.3f %% (fit alone %.3f %%), "
              "ratio %.2f, worst %.3f %%, half-width %.3f %% (specified analysis %.3f %%)\n",
              name.c_str(), t.covered, t.days, 100.0 * t.mean, 100.0 * t.scatter, 100.0 * t.sigma, 100.0 * t.fitSigma,
              t.Ratio(), 100.0 * t.worst, 100.0 * t.halfWidth, 100.0 * t.legacyHalfWidth);
}

}  // namespace impulsedays
