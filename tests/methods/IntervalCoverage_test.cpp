// The interval method against the truth over many simulated speed-only
// tests (records from the exact equation of motion, 10 Hz, normal speed
// noise): how often f0, f1, f2 fall inside their 95 % intervals, their bias
// and their scatter from seed to seed against the standard errors the method
// states, and the wind correction against a steady wind along the track.
//
// The regulation's force 2Δv/Δt is the harmonic mean of the road load over
// v ± Δv, not the road load at v; the method states what that adds to each
// coefficient (averagingBias), and the intervals are checked against the
// truth plus that stated amount, which a separate case holds to the
// noise-free deviation from the truth.
#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "methods/IntervalMethod.h"
#include "tests/methods/IntervalSynthesis.h"

namespace {

using intervaltest::Coastdown;
using intervaltest::RoadLoad;

constexpr int kSeeds = 200;

IntervalConditions Conditions() {
  IntervalConditions conditions;
  conditions.averageMassKg = 1480.0;
  conditions.rotatingMassKg = 44.25;  // with the synthesis' 1524.25 kg
  return conditions;
}

// Per coefficient over the seeds: the errors from the truth plus the stated
// averaging bias, the seeds whose interval holds it, the stated variances.
struct Tally {
  std::vector<double> errors[3];
  int covered[3] = {0, 0, 0};
  int coveredPlainTruth[3] = {0, 0, 0};  // without the stated averaging bias, for the record
  double statedVariance[3] = {0.0, 0.0, 0.0};
  int unusable = 0;

  double Mean(int c) const {
    double sum = 0.0;
    for (double e : errors[c]) sum += e;
    return sum / static_cast<double>(errors[c].size());
  }
  double Scatter(int c) const {
    const double mean = Mean(c);
    double sum = 0.0;
    for (double e : errors[c]) sum += (e - mean) * (e - mean);
    return std::sqrt(sum / static_cast<double>(errors[c].size() - 1));
  }
};

Tally RunSeeds(int pairs, double noiseKmh, FitWeighting weighting) {
  const RoadLoad truth;
  const double truthValue[3] = {truth.f0, truth.f1, truth.f2};
  Coastdown run;
  run.speedNoiseKmh = noiseKmh;
  IntervalSettings settings;
  settings.weighting = weighting;
  Tally tally;
  for (int seed = 1; seed <= kSeeds; ++seed) {
    std::mt19937_64 random(static_cast<unsigned long long>(seed));
    const IntervalResult result =
        AnalyseIntervals(intervaltest::PairedRuns(truth, run, pairs, 0.0, random), Conditions(), settings);
    if (!result.usable || !result.atTest.halfWidth || !result.atTest.averagingBias) {
      ++tally.unusable;
      continue;
    }
    for (int c = 0; c < 3; ++c) {
      const double error = result.atTest.value[c] - truthValue[c] - (*result.atTest.averagingBias)[c];
      tally.errors[c].push_back(error);
      if (std::fabs(error) <= (*result.atTest.halfWidth)[c]) ++tally.covered[c];
      if (std::fabs(result.atTest.value[c] - truthValue[c]) <= (*result.atTest.halfWidth)[c]) ++tally.coveredPlainTruth[c];
      tally.statedVariance[c] += (*result.atTest.covariance)[4 * c];
    }
  }
  return tally;
}

struct CoverageCase {
  int pairs;
  double noiseKmh;  // 0.032 km/h is the simulator's default 0.02 mph
  FitWeighting weighting;
};

class IntervalCoverage : public ::testing::TestWithParam<CoverageCase> {};

// With 200 seeds the share covered has a binomial standard deviation of
// √(0.95·0.05/200) = 0.0154; three of them either side of 0.95 are accepted.
// The mean error must lie within 3.5 standard errors of zero. The root mean
// square of the stated standard errors over the seed-to-seed scatter must be
// 1 within three times its own uncertainty from N seeds, whose stated
// variances have ν = pairs − 1 degrees of freedom each:
// √(1/(2νN) + 1/(2(N − 1))), 0.061 for 3 pairs and 0.056 for 5.
TEST_P(IntervalCoverage, StillAirIntervalsHoldTheRoadLoad) {
  const CoverageCase& test = GetParam();
  const Tally tally = RunSeeds(test.pairs, test.noiseKmh, test.weighting);
  ASSERT_EQ(tally.unusable, 0);
  const char* names[3] = {"f0", "f1", "f2"};
  for (int c = 0; c < 3; ++c) {
    SCOPED_TRACE(names[c]);
    const double n = static_cast<double>(tally.errors[c].size());
    const double share = tally.covered[c] / n;
    const double scatter = tally.Scatter(c);
    const double stated = std::sqrt(tally.statedVariance[c] / n);
    RecordProperty(std::string(names[c]) + "_covered", std::to_string(share));
    RecordProperty(std::string(names[c]) + "_covered_without_averaging", std::to_string(tally.coveredPlainTruth[c] / n));
    RecordProperty(std::string(names[c]) + "_bias_in_scatters", std::to_string(tally.Mean(c) / scatter));
    RecordProperty(std::string(names[c]) + "_stated_over_scatter", std::to_string(stated / scatter));
    EXPECT_NEAR(share, 0.95, 3.0 * std::sqrt(0.95 * 0.05 / n));
    EXPECT_LT(std::fabs(tally.Mean(c)), 3.5 * scatter / std::sqrt(n));
    const double nu = test.pairs - 1.0;
    EXPECT_NEAR(stated / scatter, 1.0, 3.0 * std::sqrt(1.0 / (2.0 * nu * n) + 1.0 / (2.0 * (n - 1.0))));
  }
}

INSTANTIATE_TEST_SUITE_P(
    SeedsAndNoise, IntervalCoverage,
    ::testing::Values(CoverageCase{3, 0.032, FitWeighting::Unweighted}, CoverageCase{3, 0.032, FitWeighting::InverseVariance},
                      CoverageCase{5, 0.032, FitWeighting::Unweighted}, CoverageCase{5, 0.1, FitWeighting::InverseVariance},
                      CoverageCase{4, 0.3, FitWeighting::Unweighted}));

// With a steady wind of 2 m/s along the track, opposite runs leave
// f2·(3.6·2)² = 1.81 N in f0. The wind correction w1 takes it out: the mean
// corrected f0 lies within 3.5 standard errors of the truth (plus the stated
// averaging bias), where the uncorrected f0 lies more than 5 away.
TEST(IntervalCoverageWind, SteadyWindCorrectionRemovesItsBias) {
  const RoadLoad truth;
  Coastdown run;
  run.speedNoiseKmh = 0.032;
  double uncorrected = 0.0;
  double corrected = 0.0;
  double correctedSquares = 0.0;
  for (int seed = 1; seed <= kSeeds; ++seed) {
    std::mt19937_64 random(static_cast<unsigned long long>(seed));
    const IntervalResult result =
        AnalyseIntervals(intervaltest::PairedRuns(truth, run, 4, 7.2, random), Conditions(), IntervalSettings());
    ASSERT_TRUE(result.usable);
    ASSERT_TRUE(result.corrections[0].applied);
    const double at = result.atTest.value[0] - truth.f0 - (*result.atTest.averagingBias)[0];
    const double fixed = result.corrected.value[0] - truth.f0 - (*result.corrected.averagingBias)[0];
    uncorrected += at;
    corrected += fixed;
    correctedSquares += fixed * fixed;
  }
  const double n = kSeeds;
  const double mean = corrected / n;
  const double standardError = std::sqrt((correctedSquares / n - mean * mean) / (n - 1));
  RecordProperty("uncorrected_f0_bias_N", std::to_string(uncorrected / n));
  RecordProperty("corrected_f0_bias_N", std::to_string(mean));
  EXPECT_LT(std::fabs(mean), 3.5 * standardError);
  EXPECT_GT(uncorrected / n, 5.0 * standardError);
}

// Without noise the method's f0, f1, f2 differ from the truth by what the
// averaging over ±Δv adds; the amount the method states from its own fitted
// curve is that difference within 3 %.
TEST(IntervalAveraging, StatedBiasIsTheNoiseFreeDeviation) {
  const RoadLoad truth;
  const double truthValue[3] = {truth.f0, truth.f1, truth.f2};
  std::mt19937_64 random(1);
  const IntervalResult result =
      AnalyseIntervals(intervaltest::PairedRuns(truth, Coastdown(), 3, 0.0, random), Conditions(), IntervalSettings());
  ASSERT_TRUE(result.usable);
  ASSERT_TRUE(result.atTest.averagingBias.has_value());
  for (int c = 0; c < 3; ++c) {
    const double deviation = result.atTest.value[c] - truthValue[c];
    EXPECT_NEAR((*result.atTest.averagingBias)[c], deviation, 0.03 * std::fabs(deviation)) << "f" << c;
  }
  // f2·Δv²/3 = 0.29 N of it is the curvature of the road load alone.
  EXPECT_GT((*result.atTest.averagingBias)[0], 0.29);
}

}  // namespace
