// The calibrated quantities' uncertainty from the pairs of runs: each pair's
// own value found where its two runs agree, their weighted mean and scatter,
// and a single pair that leaves the uncertainty unknown.
#include "record/CalibrationUncertainty.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {

using record::RunMean;

// Two runs at `mph` whose head winds agree at the gain `Ka` exactly: with
// no yaw, (Vr1 + K4)·Ka − V = −((Vr2 + K4)·Ka − V).
std::vector<RunMean> PairAgreeingAt(int first, double v, double vr1, double Ka, double K4) {
  const double vr2 = 2.0 * v / Ka - vr1 - 2.0 * K4;
  return {{first, 1, v, vr1, 0.0, 30}, {first + 1, -1, v, vr2, 0.0, 30}};
}

TEST(CalibrationUncertaintyTest, GainFromTheScatterOfThePairs) {
  record::CalibrationRecord c;
  c.ran = true;
  c.Ka = 1.02;
  c.K4 = 0.134112;
  const double gains[] = {1.015, 1.022, 1.026};
  const double speeds[] = {13.4, 20.1, 26.8};
  std::vector<RunMean> runs;
  for (int p = 0; p < 3; ++p) {
    for (const RunMean& r : PairAgreeingAt(2 * p + 1, speeds[p], speeds[p] + 1.0, gains[p], c.K4)) runs.push_back(r);
  }
  runs.push_back({7, 1, 20.0, 21.0, 0.0, 30});  // a last run without a partner takes no part
  const record::PairEstimate e = record::GainFromPairs(runs, c);
  ASSERT_TRUE(e.why.empty()) << e.why;
  EXPECT_EQ(e.pairs, 3);
  EXPECT_EQ(e.dof, 2.0);
  // Each pair's mismatch moves with the gain as the sum of its relative
  // winds, 2·V/Ka at the root: faster pairs weigh more, by w = (2·V/Ka)²
  // (the plain mean would be 1.021). The standard error of that mean is
  // √(Σw·(Ka − mean)² / ((3 − 1)·Σw)).
  EXPECT_NEAR(e.value, 1.0232137358341848, 1e-9);
  EXPECT_NEAR(e.standardUncertainty, 0.002662255871099449, 1e-9);
}

TEST(CalibrationUncertaintyTest, OnePairLeavesItUnknown) {
  record::CalibrationRecord c;
  c.Ka = 1.0;
  const record::PairEstimate gain = record::GainFromPairs(PairAgreeingAt(1, 20.0, 21.0, 0.99, 0.0), c);
  EXPECT_NEAR(gain.value, 0.99, 1e-9);
  EXPECT_TRUE(std::isnan(gain.standardUncertainty));
  EXPECT_NE(gain.why.find("one pair of CAL runs"), std::string::npos) << gain.why;
  EXPECT_NE(record::YawOffsetFromPairs({}, c).why.find("no pair of CAL runs"), std::string::npos);
}

// The yaw a cross wind adds changes sign with the direction: each pair's
// mean yaw is the anemometer's offset.
TEST(CalibrationUncertaintyTest, ZeroOffsetFromTheMeansOfThePairs) {
  const std::vector<RunMean> runs = {{1, 1, 20, 21, 1.9, 30}, {2, -1, 20, 21, -0.9, 30},
                                     {3, 1, 20, 21, 2.2, 30}, {4, -1, 20, 21, -1.0, 30}};
  const record::PairEstimate e = record::ZeroOffsetFromPairs(runs);
  EXPECT_NEAR(e.value, 0.55, 1e-12);
  EXPECT_NEAR(e.standardUncertainty, 0.05, 1e-12);  // pair means 0.5 and 0.6
  EXPECT_EQ(e.dof, 1.0);
}

}  // namespace
