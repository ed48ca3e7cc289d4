// The shared estimator of serially correlated residuals, against the
// matrices written out in full and against draws of known autocovariance.
#include "common/LeastSquares.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

namespace {

// A design of n rows and p columns, column by column, in groups of the
// given lengths; a gap in the positions of every group after `gapAfter`
// rows (0: none), as a sample the fit left out leaves one.
struct Case {
  std::size_t n = 0;
  std::size_t p = 3;
  std::vector<double> x;
  std::vector<long> group;
  std::vector<long> position;
};

Case MakeCase(const std::vector<std::size_t>& lengths, unsigned seed, std::size_t gapAfter = 0) {
  Case c;
  std::mt19937 random(seed);
  std::normal_distribution<double> normal;
  for (std::size_t g = 0; g < lengths.size(); ++g) {
    for (std::size_t k = 0; k < lengths[g]; ++k) {
      c.group.push_back(static_cast<long>(g) + 1);
      c.position.push_back(static_cast<long>(k) + (gapAfter > 0 && k >= gapAfter ? 1 : 0));
    }
    c.n += lengths[g];
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

// Ω written out: block-diagonal by group, Toeplitz in gamma by position.
std::vector<double> FullOmega(const Case& c, const std::vector<double>& gamma) {
  std::vector<double> omega(c.n * c.n, 0.0);
  for (std::size_t i = 0; i < c.n; ++i) {
    for (std::size_t j = 0; j < c.n; ++j) {
      if (c.group[i] != c.group[j]) continue;
      const auto l = static_cast<std::size_t>(std::labs(c.position[i] - c.position[j]));
      if (l < gamma.size()) omega[i * c.n + j] = gamma[l];
    }
  }
  return omega;
}

std::vector<double> Residuals(const Case& c, const std::vector<double>& e, const LeastSquaresSolution& ls) {
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
  return residuals;
}

// The meat is XᵀΩX with Ω written out, with and without gaps in the
// positions; between the inverses it is the sandwich the record uses.
TEST(LeastSquaresTest, TheMeatIsXtOmegaXAndTheSandwichIsItBetweenTheInverses) {
  for (const std::size_t gap : {std::size_t{0}, std::size_t{4}}) {
    SCOPED_TRACE(gap);
    const Case c = MakeCase({7, 12, 5, 20}, 1, gap);
    const std::vector<double> gamma = {2.0, 0.7, -0.3};
    const std::vector<double> meat = SerialCorrelationMeat(c.x, c.n, c.p, c.group, c.position, gamma);
    const std::vector<double> omega = FullOmega(c, gamma);
    const LeastSquaresSolution ls = SolveLeastSquares(c.x, std::vector<double>(c.n, 0.0), c.n, c.p);
    ASSERT_TRUE(ls.solved);
    const std::vector<double> sandwich = SandwichCovariance(c.x, c.n, c.p, ls.inverse, c.group, c.position, gamma);
    for (std::size_t a = 0; a < c.p; ++a) {
      for (std::size_t b = 0; b < c.p; ++b) {
        double full = 0.0;
        for (std::size_t i = 0; i < c.n; ++i) {
          for (std::size_t j = 0; j < c.n; ++j) full += c.x[a * c.n + i] * omega[i * c.n + j] * c.x[b * c.n + j];
        }
        EXPECT_NEAR(meat[a * c.p + b], full, 1e-9 * std::fabs(full) + 1e-9) << a << "," << b;
        double v = 0.0;
        for (std::size_t k = 0; k < c.p; ++k) {
          for (std::size_t m = 0; m < c.p; ++m) v += ls.inverse[a * c.p + k] * meat[k * c.p + m] * ls.inverse[m * c.p + b];
        }
        EXPECT_NEAR(v, sandwich[a * c.p + b], 1e-9 * std::fabs(v) + 1e-15) << a << "," << b;
      }
    }
  }
}

TEST(LeastSquaresTest, ASequenceThatIsNoCovarianceIsRepaired) {
  // Lag 1 at −0.6 of lag 0 has a spectrum below 0 near ω = 0.
  Autocovariance acv;
  acv.gamma = {1.0, -0.6, 0.05};
  RepairToCovariance(acv);
  EXPECT_TRUE(acv.repaired);
  EXPECT_EQ(acv.gamma[0], 1.0);
  // Both lags scaled alike.
  EXPECT_NEAR(acv.gamma[2] / acv.gamma[1], 0.05 / -0.6, 1e-12);
  double lowest = acv.gamma[0];
  for (int k = 0; k <= 1000; ++k) {
    const double w = 3.141592653589793 * k / 1000;
    lowest = std::min(lowest, acv.gamma[0] + 2.0 * acv.gamma[1] * std::cos(w) + 2.0 * acv.gamma[2] * std::cos(2 * w));
  }
  EXPECT_GE(lowest, 0.0);
  // Scaled no further than it must be: at 99 % of the most, the lowest
  // point of the spectrum is near 0.
  EXPECT_LT(lowest, 0.02);
  // A covariance stays as it is.
  Autocovariance fine;
  fine.gamma = {1.0, 0.4, 0.1};
  RepairToCovariance(fine);
  EXPECT_FALSE(fine.repaired);
  EXPECT_EQ(fine.gamma[1], 0.4);
}

// Over many draws of errors with a known autocovariance, the estimate
// corrected for the fit's shrinkage of the residuals is right on average;
// the one scaled by n/(n − p) falls short at lag 1 where neighbours go
// together and groups are short.
TEST(LeastSquaresTest, TheUnbiasedAutocovarianceIsUnbiasedWhereNMinusPIsNot) {
  const Case c = MakeCase({8, 9, 10, 8, 9, 10}, 2);
  const LeastSquaresSolution ls = SolveLeastSquares(c.x, std::vector<double>(c.n, 0.0), c.n, c.p);
  ASSERT_TRUE(ls.solved);
  // Errors a moving sum of three white draws: γ = 3, 2, 1 (lags 0, 1, 2),
  // independent from group to group.
  std::mt19937 random(3);
  std::normal_distribution<double> normal;
  double unbiased[3] = {};
  double plain1 = 0.0;
  constexpr int kDraws = 4000;
  for (int d = 0; d < kDraws; ++d) {
    std::vector<double> e(c.n);
    std::vector<double> white(c.n + 2);
    for (std::size_t i = 0; i < c.n; ++i) {
      if (i == 0 || c.group[i] != c.group[i - 1]) {
        for (double& w : white) w = normal(random);
      }
      const auto k = static_cast<std::size_t>(c.position[i]);
      e[i] = white[k] + white[k + 1] + white[k + 2];
    }
    const std::vector<double> residuals = Residuals(c, e, ls);
    const Autocovariance acv = UnbiasedResidualAutocovariance(residuals, c.group, c.position, 2, c.x, c.p, ls.inverse);
    for (std::size_t l = 0; l < 3; ++l) unbiased[l] += acv.gamma[l] / kDraws;
    plain1 += ResidualAutocovariance(residuals, c.group, c.position, 2, static_cast<double>(c.n - c.p)).gamma[1] / kDraws;
  }
  // One draw's lag-1 estimate scatters by about 0.5; the mean of 4000 by 0.01.
  EXPECT_NEAR(unbiased[0], 3.0, 0.06);
  EXPECT_NEAR(unbiased[1], 2.0, 0.05);
  EXPECT_NEAR(unbiased[2], 1.0, 0.05);
  EXPECT_LT(plain1, 1.8);
}

// With gaps in the positions the pairs are those the positions say, not
// the rows' neighbours in storage.
TEST(LeastSquaresTest, TheUnbiasedAutocovarianceFollowsThePositions) {
  const Case c = MakeCase({12, 14, 11}, 7, 5);
  const LeastSquaresSolution ls = SolveLeastSquares(c.x, std::vector<double>(c.n, 0.0), c.n, c.p);
  ASSERT_TRUE(ls.solved);
  std::mt19937 random(8);
  std::normal_distribution<double> normal;
  std::vector<double> residuals(c.n);
  for (double& r : residuals) r = normal(random);
  const Autocovariance acv = UnbiasedResidualAutocovariance(residuals, c.group, c.position, 1, c.x, c.p, ls.inverse);
  // Every group has n_g − 1 row pairs in storage, one of them across its gap.
  EXPECT_EQ(acv.pairs[1], static_cast<long>(c.n) - 3 - 3);
  EXPECT_EQ(acv.pairs[0], static_cast<long>(c.n));
}

}  // namespace

// Student's t where its quantile has a closed form, across probabilities and
// fractional and very large degrees of freedom: one degree of freedom is
// Cauchy's tan(π·P/2), two are P·√(2 / (1 − P²)), and many approach the
// normal quantile (1.959963984540054 for 95 %) as
// z + z(z² + 1)/(4ν) + z(5z⁴ + 16z² + 3)/(96ν²).
TEST(LeastSquaresTest, StudentsTQuantileMatchesItsClosedForms) {
  const double pi = 3.14159265358979323846;
  for (const double p : {0.5, 0.8, 0.9, 0.95, 0.99, 0.999, 0.99999}) {
    SCOPED_TRACE(p);
    EXPECT_NEAR(StudentTQuantile(p, 1.0), std::tan(pi * p / 2.0), 1e-11 * std::tan(pi * p / 2.0));
    EXPECT_NEAR(StudentTQuantile(p, 2.0), p * std::sqrt(2.0 / (1.0 - p * p)), 1e-11 * StudentTQuantile(p, 2.0));
  }
  const double z = 1.959963984540054;
  for (const double nu : {1e4, 1e5}) {
    const double expansion = z + z * (z * z + 1.0) / (4.0 * nu) + z * ((5.0 * z * z + 16.0) * z * z + 3.0) / (96.0 * nu * nu);
    EXPECT_NEAR(StudentTQuantile(0.95, nu), expansion, 1e-9);
  }
  // A fractional number of degrees of freedom lies between its neighbours.
  EXPECT_GT(StudentTQuantile(0.95, 2.5), StudentTQuantile(0.95, 3.0));
  EXPECT_LT(StudentTQuantile(0.95, 2.5), StudentTQuantile(0.95, 2.0));
  EXPECT_TRUE(std::isnan(StudentTQuantile(0.95, 0.0)));
}
