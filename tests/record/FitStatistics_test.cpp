// How sure the final fit is: Student's t, the coverage of the road load's
// 95 % interval over many fits of known truth, and fits that leave nothing
// to judge their scatter by. A still-air test, whose V² and aerodynamic
// terms only their sum tells apart, is checked end to end.
#include "record/FitStatistics.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <limits>
#include <random>
#include <vector>

#include "data/CDataCol.h"
#include "record/RoadLoad.h"
#include "solvers/CMLRSolve.h"
#include "tests/TestSupport.h"

namespace {

using record::FitSample;

constexpr testsupport::RoadLoad kTruth{120.0, 4.4, 0.05, 0.4, 0.001, 0.0004, -0.00002, 0.000003};
constexpr double kMph = 0.44704;
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// The coefficients the regression solver fits to the samples, as the
// analysis fits them.
std::array<double, 8> Solved(const std::vector<FitSample>& samples) {
  CDataCol data;
  // With a weight of g newtons the sample's force is its deceleration.
  for (const FitSample& s : samples) data.Add(s.V, s.Vr, s.Y, 1, s.F);
  BoundedArray<Real> results;
  CMLRSolve().Solve(data, 9.80665, results);
  std::array<double, 8> coefficients{};
  for (long j = 1; j <= 8; ++j) coefficients[static_cast<std::size_t>(j - 1)] = results(j).value();
  return coefficients;
}

// `n` samples of the model with gusty wind and normal noise of `sd` N on
// each force, fitted by the regression solver.
struct Fit {
  Fit(std::mt19937& random, int n, double sd, double windSd) {
    std::uniform_real_distribution<double> speed(6.0, 31.0);
    std::normal_distribution<double> wind(0.0, windSd);
    std::uniform_real_distribution<double> yaw(-10.0, 10.0);
    std::normal_distribution<double> noise(0.0, sd);
    for (int k = 0; k < n; ++k) {
      const double V = speed(random);
      const double Vr = V + wind(random);
      const double Y = yaw(random);
      samples.push_back({V, Vr, Y, testsupport::ModelForce(kTruth, V, Vr, Y) + noise(random)});
    }
    coefficients = Solved(samples);
    fit = record::FitUncertainty(samples, coefficients, false, 0.0, residuals);
  }
  // A record of the fit as the final one, at standard conditions.
  record::AnalysisRecord Record() const {
    record::AnalysisRecord r;
    r.finalFit.ran = r.finalFit.completed = true;
    r.finalFit.coefficients = coefficients;
    r.mechFactor = r.aeroFactor = 1.0;
    r.uncertainty = fit;
    return r;
  }
  std::vector<FitSample> samples;
  std::array<double, 8> coefficients{};
  std::vector<double> residuals;
  record::UncertaintyRecord fit;
};

TEST(FitStatisticsTest, StudentT) {
  const std::pair<long, double> cases[] = {{1, 12.7062047}, {2, 4.3026527}, {5, 2.5705818},
                                           {10, 2.2281389}, {30, 2.0422725}, {1000, 1.9623391}};
  for (const auto& [dof, t] : cases) EXPECT_NEAR(record::StudentTQuantile(0.95, dof), t, 1e-6) << dof;
  EXPECT_TRUE(std::isnan(record::StudentTQuantile(0.95, 0)));
}

// Fits of 12 samples leave 4 degrees of freedom: an interval from the normal
// distribution instead of Student's t covers about 88 % of the time, and one
// that leaves out the correlation of the coefficients nearly always. The
// tolerance is four standard deviations of a count over 600 fits.
TEST(FitStatisticsTest, TheRoadLoadIntervalCoversTheTruthNineteenTimesInTwenty) {
  std::mt19937 random(2026);
  std::array<int, 2> covered{0, 0};
  constexpr int kFits = 600;
  for (int i = 0; i < kFits; ++i) {
    const Fit f(random, 12, 3.0, 3.0);
    ASSERT_TRUE(f.fit.available) << f.fit.why;
    EXPECT_EQ(f.fit.dof, 4);
    for (std::size_t k = 0; k < 2; ++k) {
      const double mph = k == 0 ? 30.0 : 60.0;
      const double v = mph * kMph;
      const double truth = kTruth[0] + kTruth[1] * v + (kTruth[2] + kTruth[3]) * v * v;
      const record::RoadLoadPoint p = record::StillAirRoadLoad(f.Record()).At(v);
      covered[k] += p.low <= truth && truth <= p.high;
    }
  }
  for (int count : covered) {
    EXPECT_GE(count, kFits * 0.95 - 4 * std::sqrt(kFits * 0.95 * 0.05));
    EXPECT_LE(count, kFits * 0.95 + 4 * std::sqrt(kFits * 0.95 * 0.05));
  }
}

TEST(FitStatisticsTest, FitsWithNothingToJudgeTheirScatterBy) {
  std::mt19937 random(1);
  // Eight samples for eight coefficients.
  const Fit tight(random, 8, 1.0, 3.0);
  EXPECT_FALSE(tight.fit.available);
  EXPECT_EQ(tight.fit.dof, 0);
  // No yaw at all: the yaw terms are 0 for every sample.
  std::vector<FitSample> level;
  for (int k = 0; k < 20; ++k) level.push_back({10.0 + k, 12.0 + k * 1.1, 0.0, 100.0 + k});
  std::vector<double> residuals;
  const record::UncertaintyRecord fit = record::FitUncertainty(level, kTruth, false, 0.0, residuals);
  EXPECT_FALSE(fit.available);
  EXPECT_NE(fit.why.find("a1"), std::string::npos);
  // Held at its value, a0 has no error, and seven coefficients are fitted.
  std::vector<FitSample> samples = Fit(random, 30, 1.0, 3.0).samples;
  const record::UncertaintyRecord held = record::FitUncertainty(samples, kTruth, true, kTruth[3], residuals);
  ASSERT_TRUE(held.available);
  EXPECT_EQ(held.p, 7);
  EXPECT_TRUE(std::isnan(held.correlationM2A0));
  EXPECT_EQ(record::LinearEstimate(held, 1.0, {0, 0, 0, 1, 0, 0, 0, 0}, "a0", "").standardError, 0.0);
}

// A gain on the relative wind scales every aerodynamic term by its square:
// refitted, each aerodynamic coefficient moves by −2 times itself per unit
// of gain, and the mechanical ones stay. On noisy samples a yaw offset
// moves the coefficients as refitting the moved samples does: the change of
// the residuals' share (dXᵀ·r) counts as much as that of the forces.
TEST(FitStatisticsTest, SensitivityIsTheMoveOfTheRefittedCoefficients) {
  std::mt19937 random(7);
  const Fit exact(random, 60, 0.0, 3.0);
  const record::SampleInput gain = record::EachSample(1e-4, [](const FitSample& s, double delta) {
    FitSample moved = s;
    moved.Vr = s.Vr * (1.0 + delta);
    return moved;
  });
  const std::array<double, 8> slope =
      record::Sensitivities(record::FitDesign(exact.samples, false, 0.0), exact.samples, {gain})[0];
  for (std::size_t j = 0; j < 8; ++j) {
    const double expected = j < 3 ? 0.0 : -2.0 * kTruth[j];
    EXPECT_NEAR(slope[j], expected, 1e-6 * (1.0 + std::fabs(kTruth[j]))) << j;
  }

  const Fit noisy(random, 200, 20.0, 3.0);
  const auto offset = [](const FitSample& s, double delta) {
    FitSample moved = s;
    moved.Y = s.Y - delta;
    return moved;
  };
  const std::array<double, 8> first =
      record::Sensitivities(record::FitDesign(noisy.samples, false, 0.0), noisy.samples,
                            {gain, record::EachSample(0.01, offset)})[1];
  // The refit of samples moved by ±h, by the central difference.
  constexpr double h = 1e-3;
  std::array<std::array<double, 8>, 2> refit{};
  for (std::size_t side = 0; side < 2; ++side) {
    std::vector<FitSample> moved;
    for (const FitSample& s : noisy.samples) moved.push_back(offset(s, side == 0 ? h : -h));
    refit[side] = Solved(moved);
  }
  for (std::size_t j = 0; j < 8; ++j) {
    const double expected = (refit[0][j] - refit[1][j]) / (2.0 * h);
    EXPECT_NEAR(first[j], expected, 1e-4 * std::fabs(expected) + 1e-9) << j;
  }
}

// The fit's own scatter and an input's add in squares; the effective
// degrees of freedom of the sum follow Welch-Satterthwaite, and an input
// whose uncertainty is unknown leaves the interval open.
TEST(FitStatisticsTest, ComponentsAddInSquaresWithTheirDegreesOfFreedom) {
  record::UncertaintyRecord u;
  u.available = true;
  u.dof = 1000;
  u.coefficients = {{"m0", "N", 50.0, kNaN, kNaN, kNaN, kNaN, {}}};
  u.fitCovariance = {{4.0}};
  record::InputUncertainty gain;
  gain.name = "Ka";
  gain.standardUncertainty = 0.5;
  gain.dof = 2.0;
  gain.sensitivity = {4.0, 0, 0, 0, 0, 0, 0, 0};
  u.inputs = {gain};
  const record::Estimate e = record::LinearEstimate(u, 100.0, {2.0, 0, 0, 0, 0, 0, 0, 0}, "F", "N");
  // Fit 2·2 = 4 N, gain 2·4·0.5 = 4 N: 32 N² in all.
  EXPECT_NEAR(e.standardError, std::sqrt(32.0), 1e-12);
  EXPECT_NEAR(e.dof, 32.0 * 32.0 / (256.0 / 1000.0 + 256.0 / 2.0), 1e-9);
  EXPECT_NEAR((e.high - e.value) / e.standardError, 2.3069, 1e-3);  // Student t at 7.98 degrees of freedom
  ASSERT_EQ(e.components.size(), 2u);
  EXPECT_EQ(e.components[1].source, "Ka");
  EXPECT_NEAR(e.components[1].value, 4.0, 1e-12);
  u.inputs[0].standardUncertainty = kNaN;
  EXPECT_TRUE(std::isnan(record::LinearEstimate(u, 100.0, {2.0, 0, 0, 0, 0, 0, 0, 0}, "F", "N").high));
}

}  // namespace
