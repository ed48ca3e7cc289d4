// The two methods for speed-only tests, --method intervals and --method
// impulse, analyse the same simulated tests: the road loads they find must
// agree within what each says of its own uncertainty. A fault that moves
// one method and not the other (a mass, a unit, a correction) shows here
// even where each method's own statistics look sound. The suite
// CoverageTest carries the ctest label coverage.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "tests/e2e/ImpulseDays.h"

namespace {

using impulsedays::After;
using testsupport::NumberAfter;

constexpr int kDays = 100;
constexpr double kKmhPerMs = 3.6;
// Inside the tested range (14.5 to about 130 km/h) and the interval
// method's reference speeds (20 to 120 km/h), low, middle and high.
constexpr std::array<double, 5> kSpeedsKmh = {30.0, 50.0, 70.0, 90.0, 110.0};

// `count` numbers that follow `key` (from `from`), read through the
// brackets and commas of nested JSON arrays; NaN for any that are missing.
std::vector<double> NumbersAfter(const std::string& json, const std::string& key, std::size_t from, std::size_t count) {
  std::vector<double> values(count, NAN);
  std::size_t at = json.find(key, from);
  if (at == std::string::npos) return values;
  at += key.size();
  for (std::size_t i = 0; i < count; ++i) {
    at = json.find_first_not_of("[], \r\n", at);
    if (at == std::string::npos) break;
    char* end = nullptr;
    values[i] = std::strtod(json.c_str() + at, &end);
    at = static_cast<std::size_t>(end - json.c_str());
  }
  return values;
}

// A road load at one speed and the half-width of its 95 % interval.
struct Force {
  double value = NAN, half = NAN;
};

// The interval method's fit at test conditions (record intervals.at_test):
// f0 + f1·v + f2·v² (v in km/h) less the averaging of 2Δv/Δt over v ± 5 km/h
// that the method states and does not subtract, so that both methods
// describe the road load at v itself; the half-width from the fit's
// covariance and its Student t.
Force IntervalsAt(const std::string& record, double kmh) {
  const std::size_t part = After(record, "\"at_test\": {", After(record, "\"intervals\": {"));
  const std::array<double, 3> f = {NumberAfter(record, "\"f0_N\": ", part),
                                   NumberAfter(record, "\"f1_N_per_kmh\": ", part),
                                   NumberAfter(record, "\"f2_N_per_kmh2\": ", part)};
  const std::vector<double> averaging = NumbersAfter(record, "\"averaging\": ", part, 3);
  const std::vector<double> covariance = NumbersAfter(record, "\"covariance\": ", part, 9);
  const double t = NumberAfter(record, "\"student_t\": ", part);
  const std::array<double, 3> g = {1.0, kmh, kmh * kmh};
  Force force{0.0, 0.0};
  double variance = 0.0;
  for (std::size_t i = 0; i < 3; ++i) {
    force.value += g[i] * (f[i] - averaging[i]);
    for (std::size_t j = 0; j < 3; ++j) variance += g[i] * covariance[i * 3 + j] * g[j];
  }
  force.half = t * std::sqrt(variance);
  return force;
}

// The impulse method's fit at test conditions: m0 + m1·V + (m2 + a0)·V²
// (record uncertainty.coefficients, SI, V in m/s). Without an anemometer
// m2 and a0 are one fitted V² term split by an assumed share, whose
// uncertainty moves them oppositely and so leaves their sum, the road load
// at test conditions, alone; the half-width from their correlation matrix
// and the method's t at its degrees of freedom.
Force ImpulseAt(const std::string& record, double kmh) {
  const std::size_t section = After(record, "\"uncertainty\": {");
  const char* const names[4] = {"m0", "m1", "m2", "a0"};
  std::array<double, 4> value{}, sigma{};
  for (std::size_t i = 0; i < 4; ++i) {
    const std::size_t at = After(record, "\"name\": \"" + std::string(names[i]) + "\"", section);
    value[i] = NumberAfter(record, "\"value\": ", at);
    sigma[i] = NumberAfter(record, "\"standard_error\": ", at);
  }
  const std::vector<double> correlation = NumbersAfter(record, "\"correlation\": ", section, 16);
  const double t = NumberAfter(record, "\"t95\": ", After(record, "\"impulse\": {"));
  const double v = kmh / kKmhPerMs;
  const std::array<double, 4> g = {1.0, v, v * v, v * v};
  Force force{0.0, 0.0};
  double variance = 0.0;
  for (std::size_t i = 0; i < 4; ++i) {
    force.value += g[i] * value[i];
    for (std::size_t j = 0; j < 4; ++j) variance += g[i] * correlation[i * 4 + j] * sigma[i] * sigma[j] * g[j];
  }
  force.half = t * std::sqrt(variance);
  return force;
}

// One day at every speed: intervals less impulse, and the two half-widths.
struct Day {
  int status = -1;
  std::string err;
  std::array<double, kSpeedsKmh.size()> difference{}, intervalsHalf{}, impulseHalf{};
};

// A speed-only test (six coastdowns from about 81 mph to 9 mph, ten records
// a second, the simulator's rotating mass of 48 kg) in still air, analysed
// by both methods with the rotating mass given alike. Still air, because
// the methods meet a wind along the track differently by design (the
// interval method's w1 takes all of f2 as aerodynamic; the impulse method
// fits the air each run meets), and that is not what is compared here.
// Each seed starts its coasts at its own speed between 80.5 and 81 mph, as
// real runs do: with every seed at one speed the records fall alike about
// the interval method's interval ends and its passages share a small bias.
Day Analyse(int seed) {
  char high[32];
  std::snprintf(high, sizeof high, "%.4f", 80.5 + 0.5 * std::fmod(seed * 0.6180339887, 1.0));
  const testsupport::SimulatedFolder folder("--scenario speed-only --data-runs 6 --wind-speed 0 --wind-drift 0 "
                                            "--gust 0 --coast-high " +
                                            std::string(high) + " --seed " + std::to_string(seed));
  Day day;
  const std::vector<std::string> common = {"--quiet", "--rate", "10", "--rotating-mass", "48kg"};
  std::vector<std::string> intervals = common, impulse = common;
  intervals.insert(intervals.end(), {"--method", "intervals", "--json", folder.dir / "intervals.json"});
  impulse.insert(impulse.end(), {"--method", "impulse", "--json", folder.dir / "impulse.json"});
  for (const auto& options : {intervals, impulse}) {
    const testsupport::ProcessResult run = folder.Analyse(options);
    if (run.status != 0) {
      day.status = run.status;
      day.err = "seed " + std::to_string(seed) + ": " + run.err;
      return day;
    }
  }
  const std::string a = testsupport::ReadFile(folder.dir / "intervals.json");
  const std::string b = testsupport::ReadFile(folder.dir / "impulse.json");
  for (std::size_t k = 0; k < kSpeedsKmh.size(); ++k) {
    const Force fa = IntervalsAt(a, kSpeedsKmh[k]);
    const Force fb = ImpulseAt(b, kSpeedsKmh[k]);
    day.difference[k] = fa.value - fb.value;
    day.intervalsHalf[k] = fa.half;
    day.impulseHalf[k] = fb.half;
  }
  day.status = 0;
  return day;
}

// Both methods at test conditions: the same air, mass and rotating mass, so
// that neither method's correction to its reference conditions (20 °C and
// 100 kPa with K0 and K2 on all of f2; 20 °C and 98.21 kPa with an assumed
// mechanical share of the V² term) enters the comparison. Seeds 1 to 100,
// never chosen. Intervals less impulse at each speed:
// - within the combined half-width √(h1² + h2²) on at least 95 % less three
//   binomial standard deviations of the days (100 days: 88). The two see
//   the same records, so their errors are positively correlated and the
//   difference spreads less than independent errors would: the count is
//   expected at or above 95 %.
// - the mean over the days within 4 of its standard errors (scatter/√100)
//   of zero: five speeds, a bound that a sound pair of methods passes
//   except by a chance of about 1 in 1000 (Student t at 99 degrees of
//   freedom), while a fault of a few tenths of a percent of the road load
//   lies tens of standard errors out.
TEST(CoverageTest, IntervalAndImpulseMethodsAgree) {
  const std::vector<Day> days = impulsedays::ForSeeds<Day>(kDays, Analyse);
  for (const Day& d : days) ASSERT_EQ(d.status, 0) << d.err;

  const int least = impulsedays::LeastCovered(kDays);
  for (std::size_t k = 0; k < kSpeedsKmh.size(); ++k) {
    const std::string speed = std::to_string(static_cast<int>(kSpeedsKmh[k])) + " km/h";
    SCOPED_TRACE(speed);
    int within = 0;
    double mean = 0.0, halfA = 0.0, halfB = 0.0;
    for (const Day& d : days) {
      within += std::fabs(d.difference[k]) <= std::hypot(d.intervalsHalf[k], d.impulseHalf[k]) ? 1 : 0;
      mean += d.difference[k] / kDays;
      halfA += d.intervalsHalf[k] / kDays;
      halfB += d.impulseHalf[k] / kDays;
    }
    double squares = 0.0;
    for (const Day& d : days) squares += (d.difference[k] - mean) * (d.difference[k] - mean);
    const double scatter = std::sqrt(squares / (kDays - 1));
    const double standardError = scatter / std::sqrt(static_cast<double>(kDays));
    std::printf("%s: within the combined half-width %d of %d (least %d), difference mean %+.3f N, scatter %.3f N, "
                "standard error %.3f N; mean half-widths intervals %.3f N, impulse %.3f N\n",
                speed.c_str(), within, kDays, least, mean, scatter, standardError, halfA, halfB);
    const std::string key = "kmh" + std::to_string(static_cast<int>(kSpeedsKmh[k]));
    ::testing::Test::RecordProperty(key + "_within", within);
    ::testing::Test::RecordProperty(key + "_mean_difference_N", std::to_string(mean));
    ::testing::Test::RecordProperty(key + "_scatter_N", std::to_string(scatter));
    EXPECT_GE(within, least);
    EXPECT_LT(std::fabs(mean), 4.0 * standardError);
  }
}

}  // namespace
