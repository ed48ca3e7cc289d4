// Standard errors, intervals and correlations of the final fit.
#include "record/FitStatistics.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

namespace record {

namespace {

constexpr double kSpeedFactor = 0.44704;  // m/s per mph, as the analysis converts

constexpr const char* kNames[8] = {"m0", "m1", "m2", "a0", "a1", "a2", "a3", "a4"};

// The model's terms for one sample: 1, V, V², Vr², Vr²·Y, …, Vr²·Y⁴.
std::array<double, 8> Terms(const FitSample& s) {
  const double vr2 = s.Vr * s.Vr;
  return {1.0, s.V, s.V * s.V, vr2, vr2 * s.Y, vr2 * s.Y * s.Y, vr2 * s.Y * s.Y * s.Y, vr2 * s.Y * s.Y * s.Y * s.Y};
}

// The regularized incomplete beta function I_x(a, b), by its continued
// fraction (modified Lentz), on the side where it converges fast.
double IncompleteBeta(double a, double b, double x) {
  if (x <= 0.0) return 0.0;
  if (x >= 1.0) return 1.0;
  const auto fraction = [](double p, double q, double z) {
    constexpr double kTiny = 1e-300;
    double c = 1.0;
    double d = 1.0 - (p + q) * z / (p + 1.0);
    if (std::fabs(d) < kTiny) d = kTiny;
    d = 1.0 / d;
    double h = d;
    for (int m = 1; m <= 500; ++m) {
      const double m2 = 2.0 * m;
      double aa = m * (q - m) * z / ((p - 1.0 + m2) * (p + m2));
      d = 1.0 + aa * d;
      d = std::fabs(d) < kTiny ? 1.0 / kTiny : 1.0 / d;
      c = 1.0 + aa / c;
      if (std::fabs(c) < kTiny) c = kTiny;
      h *= d * c;
      aa = -(p + m) * (p + q + m) * z / ((p + m2) * (p + 1.0 + m2));
      d = 1.0 + aa * d;
      d = std::fabs(d) < kTiny ? 1.0 / kTiny : 1.0 / d;
      c = 1.0 + aa / c;
      if (std::fabs(c) < kTiny) c = kTiny;
      const double step = d * c;
      h *= step;
      if (std::fabs(step - 1.0) < 1e-15) break;
    }
    return h;
  };
  const double front =
      std::exp(std::lgamma(a + b) - std::lgamma(a) - std::lgamma(b) + a * std::log(x) + b * std::log1p(-x));
  if (x < (a + 1.0) / (a + b + 2.0)) return front * fraction(a, b, x) / a;
  return 1.0 - front * fraction(b, a, 1.0 - x) / b;
}

// The length of a vector, scaled by its largest element so that squares of
// huge elements cannot overflow (cheaper than hypot element by element).
double Norm(const double* first, const double* last) {
  double largest = 0.0;
  for (const double* x = first; x < last; ++x) largest = std::max(largest, std::fabs(*x));
  if (largest == 0.0 || !std::isfinite(largest)) return largest;
  double sum = 0.0;
  for (const double* x = first; x < last; ++x) sum += (*x / largest) * (*x / largest);
  return largest * std::sqrt(sum);
}

// Householder QR of the n × p matrix `a` (column-major, columns of n),
// applied to `y` as well. On return the upper triangle of the first p rows
// holds R and y holds Qᵀy. False when a column is (nearly) a combination of
// the others.
bool HouseholderQr(std::vector<double>& a, std::vector<double>& y, std::size_t n, std::size_t p) {
  const auto at = [&](std::size_t i, std::size_t j) -> double& { return a[j * n + i]; };
  for (std::size_t k = 0; k < p; ++k) {
    const double norm = Norm(&at(k, k), &at(k, k) + (n - k));
    // The columns have unit length, so a pivot this small means the
    // column adds nothing the others do not already give.
    if (norm < 1e-12) return false;
    const double alpha = at(k, k) > 0.0 ? -norm : norm;
    std::vector<double> v(n - k);
    for (std::size_t i = k; i < n; ++i) v[i - k] = at(i, k);
    v[0] -= alpha;
    double vv = 0.0;
    for (double x : v) vv += x * x;
    at(k, k) = alpha;
    for (std::size_t i = k + 1; i < n; ++i) at(i, k) = 0.0;
    if (vv == 0.0) continue;
    const auto reflect = [&](auto&& element) {
      double dot = 0.0;
      for (std::size_t i = k; i < n; ++i) dot += v[i - k] * element(i);
      const double f = 2.0 * dot / vv;
      for (std::size_t i = k; i < n; ++i) element(i) -= f * v[i - k];
    };
    for (std::size_t j = k + 1; j < p; ++j) reflect([&](std::size_t i) -> double& { return at(i, j); });
    reflect([&](std::size_t i) -> double& { return y[i]; });
  }
  return true;
}

}  // namespace

double StudentTQuantile(double probability, long dof) {
  if (dof < 1 || !(probability > 0.0 && probability < 1.0)) return kNone;
  const double nu = static_cast<double>(dof);
  // P(|T| > t) = I_{ν/(ν+t²)}(ν/2, 1/2) falls as t grows: bisect on it.
  const auto tail = [&](double t) { return IncompleteBeta(nu / 2.0, 0.5, nu / (nu + t * t)); };
  double low = 0.0;
  double high = 1.0;
  while (tail(high) > 1.0 - probability && high < 1e12) high *= 2.0;
  for (int i = 0; i < 200 && high - low > 1e-13 * high; ++i) {
    const double mid = 0.5 * (low + high);
    (tail(mid) > 1.0 - probability ? low : high) = mid;
  }
  return 0.5 * (low + high);
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
    const std::array<double, 8> t = Terms(samples[k]);
    double model = 0.0;
    for (int j = 0; j < 8; ++j) model += coefficients[j] * t[j];
    residuals[k] = samples[k].F - model;
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

  // The design matrix of the fitted terms, columns scaled to unit length.
  std::vector<double> a(n * p);
  std::vector<double> y(n);
  std::vector<double> scale(p, 0.0);
  for (std::size_t k = 0; k < n; ++k) {
    const std::array<double, 8> t = Terms(samples[k]);
    for (std::size_t j = 0; j < p; ++j) a[j * n + k] = t[static_cast<std::size_t>(fitted[j])];
    y[k] = samples[k].F - (constrained ? cdAp * t[3] : 0.0);
  }
  for (std::size_t j = 0; j < p; ++j) {
    scale[j] = Norm(&a[j * n], &a[j * n] + n);
    if (!(scale[j] > 0.0) || !std::isfinite(scale[j])) {
      fit.why = std::string("the term of ") + kNames[fitted[j]] + " is 0 for every sample of the final fit";
      return fit;
    }
    for (std::size_t k = 0; k < n; ++k) a[j * n + k] /= scale[j];
  }
  if (!HouseholderQr(a, y, n, p)) {
    fit.why = "the terms of the model are linearly dependent over the samples of the final fit";
    return fit;
  }
  // R⁻¹ by back substitution; (XᵀX)⁻¹ = D⁻¹ R⁻¹ R⁻ᵀ D⁻¹.
  const auto r = [&](std::size_t i, std::size_t j) { return a[j * n + i]; };
  std::vector<double> rInv(p * p, 0.0);
  for (std::size_t j = 0; j < p; ++j) {
    rInv[j * p + j] = 1.0 / r(j, j);
    for (std::size_t i = j; i-- > 0;) {
      double sum = 0.0;
      for (std::size_t k = i + 1; k <= j; ++k) sum += r(i, k) * rInv[j * p + k];
      rInv[j * p + i] = -sum / r(i, i);
    }
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
  for (std::size_t i = 0; i < p; ++i) {
    for (std::size_t j = 0; j < p; ++j) {
      double sum = 0.0;
      for (std::size_t k = std::max(i, j); k < p; ++k) sum += rInv[k * p + i] * rInv[k * p + j];
      cov[i * p + j] = s2 * sum / (scale[i] * scale[j]);
    }
  }
  // The least-squares solution from the QR, against the solver's.
  std::vector<double> beta(p, 0.0);
  for (std::size_t i = p; i-- > 0;) {
    double sum = y[i];
    for (std::size_t k = i + 1; k < p; ++k) sum -= r(i, k) * beta[k];
    beta[i] = sum / r(i, i);
  }
  double agreement = 0.0;
  for (std::size_t j = 0; j < p; ++j) {
    const double qr = beta[j] / scale[j];
    const double solver = coefficients[static_cast<std::size_t>(fitted[j])];
    const double size = std::max(std::fabs(qr), std::sqrt(cov[j * p + j]));
    if (size > 0.0) agreement = std::max(agreement, std::fabs(solver - qr) / size);
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

RoadLoadPoint StillAirRoadLoad(const UncertaintyRecord& fit, const std::array<double, 8>& coefficients,
                               double mechFactor, double aeroFactor, double speedMph) {
  const double v = speedMph * kSpeedFactor;
  const double force = mechFactor * (coefficients[0] + coefficients[1] * v + coefficients[2] * v * v) +
                       aeroFactor * coefficients[3] * v * v;
  const Estimate e = LinearEstimate(
      fit, force, {mechFactor, mechFactor * v, mechFactor * v * v, aeroFactor * v * v, 0.0, 0.0, 0.0, 0.0}, "F", "N");
  RoadLoadPoint point;
  point.speedMph = speedMph;
  point.force = e.value;
  point.low = e.low;
  point.high = e.high;
  return point;
}

}  // namespace record
