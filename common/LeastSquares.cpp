// Householder least squares and Student's t.
#include "common/LeastSquares.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

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
// the others (`failed` names it).
bool HouseholderQr(std::vector<double>& a, std::vector<double>& y, std::size_t n, std::size_t p, std::size_t& failed) {
  const auto at = [&](std::size_t i, std::size_t j) -> double& { return a[j * n + i]; };
  for (std::size_t k = 0; k < p; ++k) {
    const double norm = Norm(&at(k, k), &at(k, k) + (n - k));
    // The columns have unit length, so a pivot this small means the
    // column adds nothing the others do not already give.
    if (norm < 1e-12) {
      failed = k;
      return false;
    }
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

LeastSquaresSolution SolveLeastSquares(std::vector<double> x, std::vector<double> y, std::size_t n, std::size_t p) {
  LeastSquaresSolution solution;
  if (n < p) {
    solution.failedColumn = n;
    return solution;
  }
  // Columns scaled to unit length, so that terms of very different size
  // (1 and V⁴·Vr²) are judged alike.
  std::vector<double> scale(p, 0.0);
  for (std::size_t j = 0; j < p; ++j) {
    scale[j] = Norm(&x[j * n], &x[j * n] + n);
    if (!(scale[j] > 0.0) || !std::isfinite(scale[j])) {
      solution.failedColumn = j;
      solution.zeroColumn = true;
      return solution;
    }
    for (std::size_t k = 0; k < n; ++k) x[j * n + k] /= scale[j];
  }
  std::size_t failed = 0;
  if (!HouseholderQr(x, y, n, p, failed)) {
    solution.failedColumn = failed;
    return solution;
  }
  // R⁻¹ by back substitution; (XᵀX)⁻¹ = D⁻¹ R⁻¹ R⁻ᵀ D⁻¹.
  const auto r = [&](std::size_t i, std::size_t j) { return x[j * n + i]; };
  std::vector<double> rInv(p * p, 0.0);
  for (std::size_t j = 0; j < p; ++j) {
    rInv[j * p + j] = 1.0 / r(j, j);
    for (std::size_t i = j; i-- > 0;) {
      double sum = 0.0;
      for (std::size_t k = i + 1; k <= j; ++k) sum += r(i, k) * rInv[j * p + k];
      rInv[j * p + i] = -sum / r(i, i);
    }
  }
  solution.inverse.assign(p * p, 0.0);
  for (std::size_t i = 0; i < p; ++i) {
    for (std::size_t j = 0; j < p; ++j) {
      double sum = 0.0;
      for (std::size_t k = std::max(i, j); k < p; ++k) sum += rInv[k * p + i] * rInv[k * p + j];
      solution.inverse[i * p + j] = sum / (scale[i] * scale[j]);
    }
  }
  solution.beta.assign(p, 0.0);
  for (std::size_t i = p; i-- > 0;) {
    double sum = y[i];
    for (std::size_t k = i + 1; k < p; ++k) sum -= r(i, k) * solution.beta[k];
    solution.beta[i] = sum / r(i, i);
  }
  for (std::size_t j = 0; j < p; ++j) solution.beta[j] /= scale[j];
  solution.solved = true;
  return solution;
}

double StudentTQuantile(double probability, double dof) {
  if (!(dof > 0.0) || !(probability > 0.0 && probability < 1.0)) return std::numeric_limits<double>::quiet_NaN();
  const double nu = dof;
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

Autocovariance ResidualAutocovariance(const std::vector<double>& residuals, const std::vector<long>& group,
                                      const std::vector<long>& position, std::size_t maxLag, double dof) {
  Autocovariance result;
  const std::size_t n = residuals.size();
  result.gamma.assign(maxLag + 1, std::numeric_limits<double>::quiet_NaN());
  result.pairs.assign(maxLag + 1, 0);
  if (n == 0 || !(dof > 0.0)) return result;
  std::vector<double> sum(maxLag + 1, 0.0);
  for (std::size_t i = 0; i < n; ++i) {
    sum[0] += residuals[i] * residuals[i];
    if (group[i] == 0) continue;
    for (std::size_t j = i + 1; j < n && group[j] == group[i]; ++j) {
      const long lag = position[j] - position[i];
      if (lag > static_cast<long>(maxLag)) break;
      if (lag <= 0) continue;
      sum[static_cast<std::size_t>(lag)] += residuals[i] * residuals[j];
      ++result.pairs[static_cast<std::size_t>(lag)];
    }
  }
  result.pairs[0] = static_cast<long>(n);
  result.gamma[0] = sum[0] / dof;
  for (std::size_t l = 1; l <= maxLag; ++l) {
    if (result.pairs[l] < 10) continue;
    // On the scale of γ(0): the residuals of a fit are smaller than its
    // errors by the share of the coefficients, at every lag alike.
    result.gamma[l] = sum[l] / static_cast<double>(result.pairs[l]) * (static_cast<double>(n) / dof);
  }
  return result;
}

std::vector<double> SandwichCovariance(const std::vector<double>& x, std::size_t n, std::size_t p,
                                       const std::vector<double>& inverse, const std::vector<long>& group,
                                       const std::vector<long>& position, const std::vector<double>& gamma) {
  const std::size_t maxLag = gamma.size() - 1;
  const auto lagWeight = [&](long lag) {
    const double g = gamma[static_cast<std::size_t>(lag)];
    return std::isfinite(g) ? g : 0.0;
  };
  // M = Σ γ(|ti − tj|)·xi·xjᵀ over neighbours, the diagonal included.
  std::vector<double> m(p * p, 0.0);
  const auto addPair = [&](std::size_t i, std::size_t j, double weight) {
    for (std::size_t a = 0; a < p; ++a) {
      const double xa = weight * x[a * n + i];
      for (std::size_t b = 0; b < p; ++b) m[a * p + b] += xa * x[b * n + j];
    }
  };
  for (std::size_t i = 0; i < n; ++i) {
    addPair(i, i, lagWeight(0));
    if (group[i] == 0) continue;
    for (std::size_t j = i + 1; j < n && group[j] == group[i]; ++j) {
      const long lag = position[j] - position[i];
      if (lag > static_cast<long>(maxLag)) break;
      if (lag <= 0 || lagWeight(lag) == 0.0) continue;
      addPair(i, j, lagWeight(lag));
      addPair(j, i, lagWeight(lag));
    }
  }
  // (XᵀX)⁻¹·M·(XᵀX)⁻¹.
  std::vector<double> left(p * p, 0.0);
  for (std::size_t a = 0; a < p; ++a) {
    for (std::size_t b = 0; b < p; ++b) {
      double s = 0.0;
      for (std::size_t k = 0; k < p; ++k) s += inverse[a * p + k] * m[k * p + b];
      left[a * p + b] = s;
    }
  }
  std::vector<double> covariance(p * p, 0.0);
  for (std::size_t a = 0; a < p; ++a) {
    for (std::size_t b = 0; b < p; ++b) {
      double s = 0.0;
      for (std::size_t k = 0; k < p; ++k) s += left[a * p + k] * inverse[k * p + b];
      covariance[a * p + b] = s;
    }
  }
  for (std::size_t a = 0; a < p; ++a) {
    if (!(covariance[a * p + a] > 0.0)) return {};
  }
  return covariance;
}
