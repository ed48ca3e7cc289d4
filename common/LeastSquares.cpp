// Householder least squares and Student's t.
#include "common/LeastSquares.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>

namespace {

constexpr double kNotANumber = std::numeric_limits<double>::quiet_NaN();

// The regularized incomplete beta function I_x(a, b), by its continued
// fraction (modified Lentz), on the side where it converges fast;
// `logBeta` is ln B(a, b), which a caller evaluating many x for one a and b
// forms once.
double IncompleteBeta(double a, double b, double x, double logBeta) {
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
  const double front = std::exp(a * std::log(x) + b * std::log1p(-x) - logBeta);
  if (x < (a + 1.0) / (a + b + 2.0)) return front * fraction(a, b, x) / a;
  return 1.0 - front * fraction(b, a, 1.0 - x) / b;
}

// The upper quantile z of the standard normal distribution, P(Z > z) = q
// for 0 < q < 1, by Acklam's rational approximation (relative error below
// 1.2e-9): a starting point, not a result.
double NormalUpperQuantile(double q) {
  static constexpr double a[] = {-3.969683028665376e+01, 2.209460984245205e+02, -2.759285104469687e+02,
                                 1.383577518672690e+02,  -3.066479806614716e+01, 2.506628277459239e+00};
  static constexpr double b[] = {-5.447609879822406e+01, 1.615858368580409e+02, -1.556989798598866e+02,
                                 6.680131188771972e+01,  -1.328068155288572e+01};
  static constexpr double c[] = {-7.784894002430293e-03, -3.223964580411365e-01, -2.400758277161838e+00,
                                 -2.549732539343734e+00, 4.374664141464968e+00,  2.938163982698783e+00};
  static constexpr double d[] = {7.784695709041462e-03, 3.224671290700398e-01, 2.445134137142996e+00,
                                 3.754408661907416e+00};
  const double p = std::min(q, 1.0 - q);  // the lower tail of the same size
  double x = 0.0;
  if (p < 0.02425) {
    const double r = std::sqrt(-2.0 * std::log(p));
    x = (((((c[0] * r + c[1]) * r + c[2]) * r + c[3]) * r + c[4]) * r + c[5]) /
        ((((d[0] * r + d[1]) * r + d[2]) * r + d[3]) * r + 1.0);
  } else {
    const double r = p - 0.5;
    const double r2 = r * r;
    x = (((((a[0] * r2 + a[1]) * r2 + a[2]) * r2 + a[3]) * r2 + a[4]) * r2 + a[5]) * r /
        (((((b[0] * r2 + b[1]) * r2 + b[2]) * r2 + b[3]) * r2 + b[4]) * r2 + 1.0);
  }
  // x is the lower quantile of p; the upper quantile of q is −x for q ≤ ½.
  return q <= 0.5 ? -x : x;
}

// The length of a vector, scaled by the power of two nearest its largest
// element so that squares of huge elements cannot overflow nor those of tiny
// ones vanish; a power of two scales without rounding, and by a product
// instead of a division an element.
double Norm(const double* first, const double* last) {
  double even = 0.0;
  double odd = 0.0;
  const double* y = first;
  for (; y + 2 <= last; y += 2) {
    even = std::max(even, std::fabs(y[0]));
    odd = std::max(odd, std::fabs(y[1]));
  }
  if (y < last) even = std::max(even, std::fabs(*y));
  const double largest = std::max(even, odd);
  if (largest == 0.0 || !std::isfinite(largest)) return largest;
  const int exponent = std::max(std::ilogb(largest), -1000);  // 2^1000 is finite
  const double down = std::ldexp(1.0, -exponent);
  double s0 = 0.0;
  double s1 = 0.0;
  const double* x = first;
  for (; x + 2 <= last; x += 2) {
    s0 += (x[0] * down) * (x[0] * down);
    s1 += (x[1] * down) * (x[1] * down);
  }
  if (x < last) s0 += (*x * down) * (*x * down);
  return std::ldexp(std::sqrt(s0 + s1), exponent);
}

// Householder QR of the n × p matrix `a` (column-major, columns of n),
// applied to `y` as well. On return the upper triangle of the first p rows
// holds R and y holds Qᵀy. False when a column is (nearly) a combination of
// the others (`failed` names it).
bool HouseholderQr(std::vector<double>& a, std::vector<double>& y, std::size_t n, std::size_t p, std::size_t& failed) {
  for (std::size_t k = 0; k < p; ++k) {
    double* column = &a[k * n];
    // The columns were scaled to lengths between 1 and 2, so their squares
    // can neither overflow nor vanish, and a pivot this small means the
    // column adds nothing the others do not already give.
    const std::size_t m = n - k;
    const double norm = std::sqrt(Dot(column + k, column + k, m));
    if (norm < 1e-12) {
      failed = k;
      return false;
    }
    const double alpha = column[k] > 0.0 ? -norm : norm;
    // The reflector v is formed where the column stood (below the diagonal
    // nothing of it is read again); each later column, and y, loses twice
    // its projection on v.
    double* v = column + k;
    v[0] -= alpha;
    const double vv = Dot(v, v, m);
    if (vv != 0.0) {
      const auto reflect = [&](double* element) {
        const double f = 2.0 * Dot(v, element, m) / vv;
        for (std::size_t i = 0; i < m; ++i) element[i] -= f * v[i];
      };
      for (std::size_t j = k + 1; j < p; ++j) reflect(&a[j * n + k]);
      reflect(&y[k]);
    }
    column[k] = alpha;  // R's diagonal
  }
  return true;
}

}  // namespace

double Dot(const double* a, const double* b, std::size_t n) {
  double s0 = 0.0;
  double s1 = 0.0;
  double s2 = 0.0;
  double s3 = 0.0;
  std::size_t i = 0;
  for (; i + 4 <= n; i += 4) {
    s0 += a[i] * b[i];
    s1 += a[i + 1] * b[i + 1];
    s2 += a[i + 2] * b[i + 2];
    s3 += a[i + 3] * b[i + 3];
  }
  for (; i < n; ++i) s0 += a[i] * b[i];
  return (s0 + s1) + (s2 + s3);
}

LeastSquaresSolution SolveLeastSquares(std::vector<double> x, std::vector<double> y, std::size_t n, std::size_t p) {
  LeastSquaresSolution solution;
  if (n < p) {
    solution.failedColumn = n;
    return solution;
  }
  // Columns scaled to about unit length (by the power of two nearest it,
  // which rounds nothing), so that terms of very different size (1 and
  // V⁴·Vr²) are judged alike.
  std::vector<double> scale(p, 0.0);
  for (std::size_t j = 0; j < p; ++j) {
    const double norm = Norm(&x[j * n], &x[j * n] + n);
    if (!(norm > 0.0) || !std::isfinite(norm)) {
      solution.failedColumn = j;
      solution.zeroColumn = true;
      return solution;
    }
    scale[j] = std::ldexp(1.0, std::clamp(std::ilogb(norm), -1000, 1000));
    const double down = 1.0 / scale[j];
    for (std::size_t k = 0; k < n; ++k) x[j * n + k] *= down;
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
  const double wanted = 1.0 - probability;
  // P(|T| > t) = I_{ν/(ν+t²)}(ν/2, 1/2) falls as t grows; its slope is
  // −2·f(t), f the density, and both share ln B(ν/2, 1/2).
  const double logBeta = std::lgamma(nu / 2.0) + std::lgamma(0.5) - std::lgamma((nu + 1.0) / 2.0);
  const auto tail = [&](double t) { return IncompleteBeta(nu / 2.0, 0.5, nu / (nu + t * t), logBeta); };
  const double logDensityScale = -logBeta - 0.5 * std::log(nu);
  const auto density = [&](double t) { return std::exp(logDensityScale - (nu + 1.0) / 2.0 * std::log1p(t * t / nu)); };
  // Newton's steps from the normal quantile widened for ν (Cornish-Fisher),
  // which is close for all but a few degrees of freedom, bisecting the
  // bracket found so far where a step would leave it: one to four
  // evaluations of the tail where a bracket from t = 1 took up to ten.
  const double z = NormalUpperQuantile(wanted / 2.0);
  const double z2 = z * z;
  double t = z + z * (z2 + 1.0) / (4.0 * nu) + z * ((5.0 * z2 + 16.0) * z2 + 3.0) / (96.0 * nu * nu);
  if (!(t > 0.0) || !std::isfinite(t)) t = 1.0;
  double low = 0.0;
  double high = std::numeric_limits<double>::infinity();
  for (int i = 0; i < 200; ++i) {
    const double excess = tail(t) - wanted;
    if (excess == 0.0) return t;
    (excess > 0.0 ? low : high) = t;
    const double slope = -2.0 * density(t);
    const double step = slope < 0.0 ? t - excess / slope : kNotANumber;
    // Newton's error squares with each step: after a step of 1e-9·t it is
    // below what the tail's rounding lets an evaluation tell (such a step
    // may land a rounding beyond the bracket's end at t).
    if (std::fabs(step - t) <= 1e-9 * t) return step;
    const double halfway = std::isfinite(high) ? 0.5 * (low + high) : 2.0 * t;
    const double next = step > low && step < high ? step : halfway;
    if (std::isfinite(high) && high - low <= 1e-13 * high) return next;
    t = next;
  }
  return t;
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
  // M = XᵀΩX = Σ γ(|ti − tj|)·xi·xjᵀ over neighbours, the diagonal
  // included: column by column, Ω times the column, then its dot product
  // with each column (M is symmetric, so the upper triangle is formed and
  // mirrored). Contiguous columns and independent sums keep the processor's
  // pipelines full, where a row's outer product a row would wait on memory.
  const auto weight = [&](std::size_t lag) { return std::isfinite(gamma[lag]) ? gamma[lag] : 0.0; };
  const std::size_t maxLag = gamma.size() - 1;
  // The weight of each row with the row d places later, for d = 1 … maxLag
  // (rows of one group lie one after the other at rising positions, so a
  // neighbour within maxLag steps is within maxLag places): 0 where that
  // row is of another group or more than maxLag steps on.
  std::vector<std::vector<double>> later(maxLag + 1);
  for (std::size_t d = 1; d <= maxLag && d < n; ++d) {
    later[d].assign(n - d, 0.0);
    for (std::size_t i = 0; i + d < n; ++i) {
      const long lag = position[i + d] - position[i];
      if (group[i] != 0 && group[i + d] == group[i] && lag > 0 && lag <= static_cast<long>(maxLag)) {
        later[d][i] = weight(static_cast<std::size_t>(lag));
      }
    }
  }
  const double gamma0 = weight(0);
  std::vector<double> m(p * p, 0.0);
  std::vector<double> omegaX(n);
  for (std::size_t b = 0; b < p; ++b) {
    const double* xb = &x[b * n];
    for (std::size_t i = 0; i < n; ++i) omegaX[i] = gamma0 * xb[i];
    for (std::size_t d = 1; d < later.size(); ++d) {
      const std::vector<double>& w = later[d];
      for (std::size_t i = 0; i < w.size(); ++i) omegaX[i] += w[i] * xb[i + d];
      for (std::size_t i = 0; i < w.size(); ++i) omegaX[i + d] += w[i] * xb[i];
    }
    for (std::size_t a = 0; a <= b; ++a) m[a * p + b] = m[b * p + a] = Dot(&x[a * n], omegaX.data(), n);
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

namespace {

// The row of the same group whose position lies `offset` steps from that of
// row `i`, or −1. Positions rise within a group, so the search stops as soon
// as it passes the one wanted; a row of group 0 is its own only neighbour.
long Neighbour(const std::vector<long>& group, const std::vector<long>& position, std::size_t i, long offset) {
  if (offset == 0) return static_cast<long>(i);
  if (group[i] == 0) return -1;
  const long target = position[i] + offset;
  const long n = static_cast<long>(group.size());
  const long step = offset > 0 ? 1 : -1;
  for (long k = static_cast<long>(i) + step; k >= 0 && k < n && group[static_cast<std::size_t>(k)] == group[i];
       k += step) {
    const long at = position[static_cast<std::size_t>(k)];
    if (at == target) return k;
    if (step > 0 ? at > target : at < target) return -1;
  }
  return -1;
}

// Every row's neighbours at offsets −maxLag … maxLag (−1 where there is none),
// row by row.
std::vector<long> Neighbours(const std::vector<long>& group, const std::vector<long>& position, std::size_t maxLag) {
  const std::size_t n = group.size();
  const std::size_t width = 2 * maxLag + 1;
  std::vector<long> table(n * width, -1);
  for (std::size_t i = 0; i < n; ++i) {
    for (std::size_t o = 0; o < width; ++o) {
      table[i * width + o] = Neighbour(group, position, i, static_cast<long>(o) - static_cast<long>(maxLag));
    }
  }
  return table;
}

// Solves a·x = b (k × k, row-major) by elimination with partial pivoting;
// false when a is singular.
bool SolveSquare(std::vector<double> a, std::vector<double>& b, std::size_t k) {
  for (std::size_t c = 0; c < k; ++c) {
    std::size_t pivot = c;
    for (std::size_t r = c + 1; r < k; ++r) {
      if (std::fabs(a[r * k + c]) > std::fabs(a[pivot * k + c])) pivot = r;
    }
    if (a[pivot * k + c] == 0.0) return false;
    for (std::size_t q = 0; q < k; ++q) std::swap(a[c * k + q], a[pivot * k + q]);
    std::swap(b[c], b[pivot]);
    for (std::size_t r = c + 1; r < k; ++r) {
      const double f = a[r * k + c] / a[c * k + c];
      for (std::size_t q = c; q < k; ++q) a[r * k + q] -= f * a[c * k + q];
      b[r] -= f * b[c];
    }
  }
  for (std::size_t c = k; c-- > 0;) {
    for (std::size_t q = c + 1; q < k; ++q) b[c] -= a[c * k + q] * b[q];
    b[c] /= a[c * k + c];
  }
  return true;
}

// γ(0) + 2·Σ γ(l)·cos(l·ω) at ω = π·k/1024 for k = 0 … 1024, NaN lags as 0.
template <typename Visit>
void Spectrum(const std::vector<double>& gamma, Visit visit) {
  constexpr double kPi = 3.141592653589793;
  constexpr int kFrequencies = 1024;
  for (int k = 0; k <= kFrequencies; ++k) {
    // cos(l·ω) by the recurrence cos(l·ω) = 2·cos ω·cos((l − 1)·ω) − cos((l − 2)·ω).
    const double c1 = std::cos(kPi * k / kFrequencies);
    double before = 1.0;
    double now = c1;
    double s = gamma[0];
    for (std::size_t l = 1; l < gamma.size(); ++l) {
      if (std::isfinite(gamma[l])) s += 2.0 * gamma[l] * now;
      const double next = 2.0 * c1 * now - before;
      before = now;
      now = next;
    }
    visit(s);
  }
}

}  // namespace

UnbiasedAutocovariance::UnbiasedAutocovariance(const std::vector<long>& group, const std::vector<long>& position,
                                               std::size_t maxLag, const std::vector<double>& x, std::size_t p,
                                               const std::vector<double>& inverse)
    : group_(group), position_(position), p_(p), lagPairs_(maxLag + 1) {
  const std::size_t n = group.size();
  const std::size_t k = maxLag + 1;
  const std::size_t width = 2 * maxLag + 1;
  const std::vector<long> nearby = Neighbours(group, position, maxLag);
  // The row `offset` steps from row i, or −1.
  const auto at = [&](std::size_t i, long offset) -> long {
    if (offset < -static_cast<long>(maxLag) || offset > static_cast<long>(maxLag)) {
      return Neighbour(group, position, i, offset);
    }
    return nearby[i * width + static_cast<std::size_t>(offset + static_cast<long>(maxLag))];
  };
  for (std::size_t l = 0; l < k; ++l) {
    for (std::size_t i = 0; i < n; ++i) {
      const long j = at(i, static_cast<long>(l));
      if (j >= 0) lagPairs_[l].emplace_back(i, static_cast<std::size_t>(j));
    }
  }
  // B·x_i for every row, so that H_ij = x_iᵀ·B·x_j costs p.
  std::vector<double> bx(n * p, 0.0);
  for (std::size_t i = 0; i < n; ++i) {
    for (std::size_t a = 0; a < p; ++a) {
      for (std::size_t b = 0; b < p; ++b) bx[i * p + a] += inverse[a * p + b] * x[b * n + i];
    }
  }
  const auto hat = [&](std::size_t i, std::size_t j) {
    double sum = 0.0;
    for (std::size_t a = 0; a < p; ++a) sum += x[a * n + i] * bx[j * p + a];
    return sum;
  };
  // Σ over the pairs (i, i + l) of x_{i+l}·x_iᵀ, and with both orders the
  // Gram matrix XᵀT_lX of the rows l steps apart.
  const auto pairSum = [&](std::size_t l, bool bothOrders) {
    std::vector<double> g(p * p, 0.0);
    for (const auto& [i, j] : lagPairs_[l]) {
      for (std::size_t a = 0; a < p; ++a) {
        for (std::size_t b = 0; b < p; ++b) {
          g[a * p + b] += x[a * n + j] * x[b * n + i];
          if (bothOrders && l > 0) g[a * p + b] += x[a * n + i] * x[b * n + j];
        }
      }
    }
    return g;
  };
  const auto product = [&](const std::vector<double>& a, const std::vector<double>& b) {
    std::vector<double> c(p * p, 0.0);
    for (std::size_t i = 0; i < p; ++i) {
      for (std::size_t m = 0; m < p; ++m) {
        for (std::size_t j = 0; j < p; ++j) c[i * p + j] += a[i * p + m] * b[m * p + j];
      }
    }
    return c;
  };
  // E[s_l] = Σ_m A_lm·γ_m with s_l = Σ e_i·e_{i+l}, E[e·eᵀ] = (I − H)·Ω·(I − H)
  // and Ω = Σ γ_m·T_m (T_m: ones where rows of a group lie m apart).
  system_.assign(k * k, 0.0);
  std::vector<std::vector<double>> gram(k);
  for (std::size_t m = 0; m < k; ++m) gram[m] = product(product(inverse, pairSum(m, true)), inverse);  // B·G_m·B
  for (std::size_t l = 0; l < k; ++l) {
    const std::vector<double> kl = pairSum(l, false);
    for (std::size_t m = 0; m < k; ++m) {
      double sum = l == m ? static_cast<double>(lagPairs_[l].size()) : 0.0;
      const long mm = static_cast<long>(m);
      for (const auto& [i, j] : lagPairs_[l]) {
        if (m == 0) {
          sum -= 2.0 * hat(i, j);
          continue;
        }
        // (H·T_m)_ij: the rows m steps from j; (T_m·H)_ij: those from i.
        for (const long q : {at(j, -mm), at(j, mm)}) {
          if (q >= 0) sum -= hat(i, static_cast<std::size_t>(q));
        }
        for (const long q : {at(i, -mm), at(i, mm)}) {
          if (q >= 0) sum -= hat(static_cast<std::size_t>(q), j);
        }
      }
      double trace = 0.0;  // Σ over the pairs of (H·T_m·H)_ij = tr(B·G_m·B·K_l)
      for (std::size_t u = 0; u < p; ++u) {
        for (std::size_t v = 0; v < p; ++v) trace += gram[m][u * p + v] * kl[v * p + u];
      }
      system_[l * k + m] = sum + trace;
    }
  }
}

Autocovariance UnbiasedAutocovariance::Of(const std::vector<double>& residuals) const {
  const std::size_t k = lagPairs_.size();
  Autocovariance acv;
  acv.gamma.assign(k, 0.0);
  acv.pairs.assign(k, 0);
  for (std::size_t l = 0; l < k; ++l) {
    for (const auto& [i, j] : lagPairs_[l]) acv.gamma[l] += residuals[i] * residuals[j];
    acv.pairs[l] = static_cast<long>(lagPairs_[l].size());
  }
  if (!SolveSquare(system_, acv.gamma, k) || !(acv.gamma[0] > 0.0)) {
    const double dof = static_cast<double>(residuals.size()) - static_cast<double>(p_);
    return ResidualAutocovariance(residuals, group_, position_, k - 1, dof);
  }
  return acv;
}

Autocovariance UnbiasedResidualAutocovariance(const std::vector<double>& residuals, const std::vector<long>& group,
                                              const std::vector<long>& position, std::size_t maxLag,
                                              const std::vector<double>& x, std::size_t p,
                                              const std::vector<double>& inverse) {
  return UnbiasedAutocovariance(group, position, maxLag, x, p, inverse).Of(residuals);
}

void RepairToCovariance(Autocovariance& acv) {
  if (acv.gamma.size() < 2 || !(acv.gamma[0] > 0.0)) return;
  // With the lags scaled by α the spectrum is γ(0) + α·(S(ω) − γ(0)): the
  // largest α that keeps it at or above 0 everywhere, a little less.
  double alpha = 1.0;
  const double gamma0 = acv.gamma[0];
  Spectrum(acv.gamma, [&](double s) {
    if (s < 0.0) alpha = std::min(alpha, gamma0 / (gamma0 - s));
  });
  if (alpha >= 1.0) return;
  for (std::size_t l = 1; l < acv.gamma.size(); ++l) acv.gamma[l] *= 0.99 * alpha;
  acv.repaired = true;
}

std::vector<double> SerialCorrelationMeat(const std::vector<double>& x, std::size_t n, std::size_t p,
                                          const std::vector<long>& group, const std::vector<long>& position,
                                          const std::vector<double>& gamma) {
  std::vector<double> meat(p * p, 0.0);
  for (std::size_t i = 0; i < n; ++i) {
    for (std::size_t l = 0; l < gamma.size(); ++l) {
      const double g = gamma[l];
      if (!std::isfinite(g) || g == 0.0) continue;
      const long jj = Neighbour(group, position, i, static_cast<long>(l));
      if (jj < 0) continue;
      const auto j = static_cast<std::size_t>(jj);
      for (std::size_t a = 0; a < p; ++a) {
        for (std::size_t b = 0; b < p; ++b) {
          double term = x[a * n + i] * x[b * n + j];
          // Ω is symmetric: the pair (j, i) adds the transpose.
          if (l > 0) term += x[a * n + j] * x[b * n + i];
          meat[a * p + b] += g * term;
        }
      }
    }
  }
  return meat;
}
