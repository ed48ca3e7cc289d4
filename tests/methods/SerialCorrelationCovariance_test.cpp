// The covariance for residuals correlated within runs, against the
// matrices written out in full.
#include "methods/SerialCorrelationCovariance.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

#include "common/LeastSquares.h"

namespace {

// A design of n rows and p columns, column by column, and runs of the given lengths.
struct Case {
  std::size_t n = 0;
  std::size_t p = 3;
  std::vector<double> x;
  std::vector<std::size_t> runStarts;
};

Case MakeCase(const std::vector<std::size_t>& runLengths, unsigned seed) {
  Case c;
  std::mt19937 random(seed);
  std::normal_distribution<double> normal;
  for (const std::size_t length : runLengths) {
    c.runStarts.push_back(c.n);
    c.n += length;
  }
  c.x.resize(c.n * c.p);
  for (std::size_t i = 0; i < c.n; ++i) {
    const double t = static_cast<double>(i % 17);
    c.x[0 * c.n + i] = 1.0;
    c.x[1 * c.n + i] = t + 0.1 * normal(random);
    c.x[2 * c.n + i] = t * t + normal(random);
  }
  return c;
}

// Ω written out: block-diagonal by run, Toeplitz in gamma within a run.
std::vector<double> FullOmega(const Case& c, const std::vector<double>& gamma) {
  std::vector<double> omega(c.n * c.n, 0.0);
  for (std::size_t r = 0; r < c.runStarts.size(); ++r) {
    const std::size_t begin = c.runStarts[r];
    const std::size_t end = r + 1 < c.runStarts.size() ? c.runStarts[r + 1] : c.n;
    for (std::size_t i = begin; i < end; ++i) {
      for (std::size_t j = begin; j < end; ++j) {
        const std::size_t l = i > j ? i - j : j - i;
        if (l < gamma.size()) omega[i * c.n + j] = gamma[l];
      }
    }
  }
  return omega;
}

TEST(SerialCorrelationCovarianceTest, TheMeatIsXtOmegaXWithOmegaBlockDiagonalByRun) {
  const Case c = MakeCase({7, 12, 3, 20}, 1);
  SerialAutocovariance acv;
  acv.gamma = {2.0, 0.7, -0.3};
  const std::vector<double> meat = SerialCorrelationMeat(c.x, c.n, c.p, c.runStarts, acv);
  const std::vector<double> omega = FullOmega(c, acv.gamma);
  for (std::size_t a = 0; a < c.p; ++a) {
    for (std::size_t b = 0; b < c.p; ++b) {
      double full = 0.0;
      for (std::size_t i = 0; i < c.n; ++i) {
        for (std::size_t j = 0; j < c.n; ++j) full += c.x[a * c.n + i] * omega[i * c.n + j] * c.x[b * c.n + j];
      }
      EXPECT_NEAR(meat[a * c.p + b], full, 1e-9 * std::fabs(full) + 1e-9) << a << "," << b;
    }
  }
}

TEST(SerialCorrelationCovarianceTest, LagsArePooledWithinRunsOnly) {
  // Runs {1, 2} and {3, 4}: lag 1 within them is 1·2 + 3·4 = 14; the pair
  // across the boundary (2·3) is no lag of either run.
  const SerialAutocovariance acv = EstimateResidualAutocovariance({1.0, 2.0, 3.0, 4.0}, {0, 2}, 1, 0);
  EXPECT_DOUBLE_EQ(acv.gamma[0], 30.0 / 4.0);
  EXPECT_DOUBLE_EQ(acv.gamma[1], 14.0 / 4.0);
  EXPECT_FALSE(acv.tapered);
  // With two coefficients fitted the sums are divided by n − p.
  EXPECT_DOUBLE_EQ(EstimateResidualAutocovariance({1.0, 2.0, 3.0, 4.0}, {0, 2}, 1, 2).gamma[1], 14.0 / 2.0);
}

TEST(SerialCorrelationCovarianceTest, ASequenceThatIsNoCovarianceIsTapered) {
  // Lag 1 at −0.6 of lag 0 has a spectrum 1 − 1.2·cos ω below 0 near ω = 0.
  const std::vector<double> residuals = {1.0, -0.2, -1.0, 0.2, 1.0, -0.2, -1.0, 0.2};
  SerialAutocovariance acv = EstimateResidualAutocovariance(residuals, {0}, 2, 0);
  EXPECT_FALSE(acv.tapered);
  TaperToCovariance(acv);
  EXPECT_TRUE(acv.tapered);
  double lowest = acv.gamma[0];
  for (int k = 0; k <= 100; ++k) {
    const double w = 3.141592653589793 * k / 100;
    lowest = std::min(lowest, acv.gamma[0] + 2.0 * acv.gamma[1] * std::cos(w) + 2.0 * acv.gamma[2] * std::cos(2 * w));
  }
  EXPECT_GE(lowest, -1e-12);
}

// Over many draws of errors with a known autocovariance, the estimate
// corrected for the fit's shrinkage of the residuals is right on average;
// the one scaled by n/(n − p) falls short at lag 1 where neighbours go
// together and runs are short.
TEST(SerialCorrelationCovarianceTest, TheHatCorrectedEstimateIsUnbiasedWhereNMinusPIsNot) {
  const Case c = MakeCase({8, 9, 10, 8, 9, 10}, 2);
  const LeastSquaresSolution ls = SolveLeastSquares(c.x, std::vector<double>(c.n, 0.0), c.n, c.p);
  ASSERT_TRUE(ls.solved);
  // Errors a moving sum of three white draws: γ = 3, 2, 1 (lags 0, 1, 2).
  std::mt19937 random(3);
  std::normal_distribution<double> normal;
  double corrected1 = 0.0;
  double plain1 = 0.0;
  constexpr int kDraws = 4000;
  for (int d = 0; d < kDraws; ++d) {
    // Independent from run to run.
    std::vector<double> e(c.n);
    for (std::size_t r = 0; r < c.runStarts.size(); ++r) {
      const std::size_t begin = c.runStarts[r];
      const std::size_t end = r + 1 < c.runStarts.size() ? c.runStarts[r + 1] : c.n;
      std::vector<double> white(end - begin + 2);
      for (double& w : white) w = normal(random);
      for (std::size_t i = begin; i < end; ++i) e[i] = white[i - begin] + white[i - begin + 1] + white[i - begin + 2];
    }
    // Residuals of the least-squares fit of these errors: e − X·(XᵀX)⁻¹·Xᵀ·e.
    std::vector<double> xte(c.p, 0.0);
    for (std::size_t a = 0; a < c.p; ++a) {
      for (std::size_t i = 0; i < c.n; ++i) xte[a] += c.x[a * c.n + i] * e[i];
    }
    std::vector<double> residuals(c.n);
    for (std::size_t i = 0; i < c.n; ++i) {
      double fitted = 0.0;
      for (std::size_t a = 0; a < c.p; ++a) {
        for (std::size_t b = 0; b < c.p; ++b) fitted += c.x[a * c.n + i] * ls.inverse[a * c.p + b] * xte[b];
      }
      residuals[i] = e[i] - fitted;
    }
    corrected1 += EstimateResidualAutocovariance(residuals, c.runStarts, 2, c.x, c.p, ls.inverse).gamma[1];
    plain1 += EstimateResidualAutocovariance(residuals, c.runStarts, 2, c.p).gamma[1];
  }
  // The lag-1 estimate of one draw scatters by about 0.5; its mean over
  // 4000 by 0.01.
  EXPECT_NEAR(corrected1 / kDraws, 2.0, 0.05);
  EXPECT_LT(plain1 / kDraws, 1.8);
}

TEST(SerialCorrelationCovarianceTest, IndependentResidualsGiveTheLeastSquaresCovariance) {
  const Case c = MakeCase({30, 25}, 4);
  std::mt19937 random(5);
  std::normal_distribution<double> normal;
  std::vector<double> residuals(c.n);
  for (double& r : residuals) r = normal(random);
  const LeastSquaresSolution ls = SolveLeastSquares(c.x, std::vector<double>(c.n, 0.0), c.n, c.p);
  const std::vector<double> v = SerialCorrelationCovariance(c.x, residuals, c.n, c.p, ls.inverse, c.runStarts, 0);
  double s2 = 0.0;
  for (const double r : residuals) s2 += r * r;
  s2 /= static_cast<double>(c.n - c.p);
  for (std::size_t i = 0; i < c.p * c.p; ++i) EXPECT_NEAR(v[i], s2 * ls.inverse[i], 1e-9 * std::fabs(s2 * ls.inverse[i]) + 1e-15);
}

}  // namespace
