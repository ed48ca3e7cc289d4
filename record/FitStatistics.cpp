// Standard errors, intervals and correlations of the final fit.
#include "record/FitStatistics.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <utility>

#include "common/LeastSquares.h"
#include "record/RoadLoad.h"

namespace record {

namespace {

constexpr const char* kNames[8] = {"m0", "m1", "m2", "a0", "a1", "a2", "a3", "a4"};

// The model's terms for one sample.
std::array<double, 8> Terms(const FitSample& s) { return ModelTerms(s.V, s.Vr, s.Y); }

}  // namespace

double StudentTQuantile(double probability, long dof) {
  return dof < 1 ? kNone : ::StudentTQuantile(probability, static_cast<double>(dof));
}

UncertaintyRecord FitUncertainty(const std::vector<FitSample>& samples, const std::array<double, 8>& coefficients,
                                 bool constrained, double cdAp, std::vector<double>& residuals) {
  UncertaintyRecord fit;
  static const char* const kUnits[8] = {"N", "N/(m/s)", "N/(m/s)^2", "N/(m/s)^2",
                                        "N/(m/s)^2/deg", "N/(m/s)^2/deg^2", "N/(m/s)^2/deg^3", "N/(m/s)^2/deg^4"};
  // The fitted terms: all eight, or all but a0 when it is held.
  std::vector<int> fitted;
  for (int j = 0; j < 8; ++j) {
    if (!(constrained && j == 3)) fitted.push_back(j);
  }
  const std::size_t n = samples.size();
  const std::size_t p = fitted.size();
  fit.n = static_cast<long>(n);
  fit.p = static_cast<int>(p);
  fit.dof = fit.n - fit.p;

  // Residuals and the share of the force variation the model explains.
  residuals.assign(n, kNone);
  double meanF = 0.0;
  for (const FitSample& s : samples) meanF += s.F / static_cast<double>(std::max<std::size_t>(n, 1));
  double rss = 0.0;
  double tss = 0.0;
  for (std::size_t k = 0; k < n; ++k) {
    residuals[k] = samples[k].F - ModelForce(coefficients, samples[k].V, samples[k].Vr, samples[k].Y);
    rss += residuals[k] * residuals[k];
    tss += (samples[k].F - meanF) * (samples[k].F - meanF);
  }
  if (fit.dof < 1) {
    fit.why = "the final fit has " + std::to_string(n) + " samples for " + std::to_string(p) +
              " coefficients: no degrees of freedom are left for its scatter";
    return fit;
  }
  fit.residualSd = std::sqrt(rss / static_cast<double>(fit.dof));
  fit.rSquared = tss > 0.0 ? 1.0 - rss / tss : kNone;
  fit.t95 = StudentTQuantile(0.95, fit.dof);

  // The design matrix of the fitted terms.
  std::vector<double> a(n * p);
  std::vector<double> y(n);
  for (std::size_t k = 0; k < n; ++k) {
    const std::array<double, 8> t = Terms(samples[k]);
    for (std::size_t j = 0; j < p; ++j) a[j * n + k] = t[static_cast<std::size_t>(fitted[j])];
    y[k] = samples[k].F - (constrained ? cdAp * t[3] : 0.0);
  }
  const LeastSquaresSolution qr = SolveLeastSquares(std::move(a), std::move(y), n, p);
  if (!qr.solved) {
    fit.why = qr.zeroColumn ? std::string("the term of ") + kNames[fitted[qr.failedColumn]] +
                                  " is 0 for every sample of the final fit"
                            : "the terms of the model are linearly dependent over the samples of the final fit";
    return fit;
  }
  // Neighbours in time: the same run, one second apart.
  double lagged = 0.0;
  double squares = 0.0;
  long pairs = 0;
  for (std::size_t k = 0; k < n; ++k) {
    squares += residuals[k] * residuals[k];
    if (k > 0 && samples[k].run != 0 && samples[k].run == samples[k - 1].run &&
        samples[k].time == samples[k - 1].time + 1) {
      lagged += residuals[k] * residuals[k - 1];
      ++pairs;
    }
  }
  if (pairs >= 10 && squares > 0.0) {
    fit.neighbourCorrelation = lagged / squares;
    fit.varianceFactor = std::max(1.0, 1.0 + 2.0 * fit.neighbourCorrelation);
  }
  std::vector<double> cov(p * p, 0.0);
  const double s2 = fit.residualSd * fit.residualSd * fit.varianceFactor;
  for (std::size_t i = 0; i < p * p; ++i) cov[i] = s2 * qr.inverse[i];
  // The least-squares solution from the QR, against the solver's.
  double agreement = 0.0;
  for (std::size_t j = 0; j < p; ++j) {
    const double independent = qr.beta[j];
    const double solver = coefficients[static_cast<std::size_t>(fitted[j])];
    const double size = std::max(std::fabs(independent), std::sqrt(cov[j * p + j]));
    if (size > 0.0) agreement = std::max(agreement, std::fabs(solver - independent) / size);
  }
  fit.solverAgreement = agreement;

  fit.correlation.assign(p, std::vector<double>(p, kNone));
  for (std::size_t i = 0; i < p; ++i) {
    const int j8 = fitted[i];
    Estimate e;
    e.name = kNames[j8];
    e.unit = kUnits[j8];
    e.value = coefficients[static_cast<std::size_t>(j8)];
    e.standardError = std::sqrt(cov[i * p + i]);
    e.low = e.value - fit.t95 * e.standardError;
    e.high = e.value + fit.t95 * e.standardError;
    fit.coefficients.push_back(e);
    for (std::size_t j = 0; j < p; ++j) {
      const double denominator = std::sqrt(cov[i * p + i] * cov[j * p + j]);
      fit.correlation[i][j] = denominator > 0.0 ? cov[i * p + j] / denominator : kNone;
    }
  }
  if (!constrained) fit.correlationM2A0 = fit.correlation[2][3];
  fit.available = true;
  return fit;
}

Estimate LinearEstimate(const UncertaintyRecord& fit, double value, const std::array<double, 8>& g,
                        const std::string& name, const std::string& unit) {
  Estimate e;
  e.name = name;
  e.unit = unit;
  e.value = value;
  if (!fit.available) return e;
  // Position of each of the eight coefficients among the fitted ones.
  std::array<int, 8> position{};
  position.fill(-1);
  for (std::size_t i = 0; i < fit.coefficients.size(); ++i) {
    for (int j = 0; j < 8; ++j) {
      if (fit.coefficients[i].name == kNames[j]) position[static_cast<std::size_t>(j)] = static_cast<int>(i);
    }
  }
  double variance = 0.0;
  for (std::size_t i = 0; i < 8; ++i) {
    for (std::size_t j = 0; j < 8; ++j) {
      const int pi = position[i];
      const int pj = position[j];
      if (g[i] == 0.0 || g[j] == 0.0 || pi < 0 || pj < 0) continue;
      const Estimate& ci = fit.coefficients[static_cast<std::size_t>(pi)];
      const Estimate& cj = fit.coefficients[static_cast<std::size_t>(pj)];
      const double corr = fit.correlation[static_cast<std::size_t>(pi)][static_cast<std::size_t>(pj)];
      variance += g[i] * g[j] * corr * ci.standardError * cj.standardError;
    }
  }
  e.standardError = std::sqrt(std::max(variance, 0.0));
  e.low = e.value - fit.t95 * e.standardError;
  e.high = e.value + fit.t95 * e.standardError;
  return e;
}

}  // namespace record
