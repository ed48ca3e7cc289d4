// Householder least squares and Student's t.
#include "common/LeastSquares.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>

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
  const double wanted = 1.0 - probability;
  // P(|T| > t) = I_{ν/(ν+t²)}(ν/2, 1/2) falls as t grows; its slope is
  // −2·f(t), f the density. Newton's steps from a bracket, bisecting where a
  // step would leave it: a few evaluations instead of fifty.
  const auto tail = [&](double t) { return IncompleteBeta(nu / 2.0, 0.5, nu / (nu + t * t)); };
  const double logDensityScale =
      std::lgamma((nu + 1.0) / 2.0) - std::lgamma(nu / 2.0) - 0.5 * std::log(nu * 3.14159265358979323846);
  const auto density = [&](double t) { return std::exp(logDensityScale - (nu + 1.0) / 2.0 * std::log1p(t * t / nu)); };
  double low = 0.0;
  double high = 1.0;
  while (tail(high) > wanted && high < 1e12) high *= 2.0;
  double t = 0.5 * (low + high);
  for (int i = 0; i < 200 && high - low > 1e-13 * high; ++i) {
    const double excess = tail(t) - wanted;
    if (excess == 0.0) return t;
    (excess > 0.0 ? low : high) = t;
    const double slope = -2.0 * density(t);
    const double step = slope < 0.0 ? t - excess / slope : 0.5 * (low + high);
    const double next = step > low && step < high ? step : 0.5 * (low + high);
    if (std::fabs(next - t) <= 1e-14 * t) return next;
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
  const std::size_t maxLag = gamma.size() - 1;
  const auto lagWeight = [&](long lag) {
    const double g = gamma[static_cast<std::size_t>(lag)];
    return std::isfinite(g) ? g : 0.0;
  };
  // M = Σ γ(|ti − tj|)·xi·xjᵀ over neighbours, the diagonal included. Each
  // row's later neighbours are summed first, weighted by their lag, so that
  // M = Σ xi·(γ(0)·xi + 2·si)ᵀ symmetrised, si = Σ_{j>i} γ(tj − ti)·xj: one
  // outer product a row instead of one a pair.
  std::vector<double> m(p * p, 0.0);
  std::vector<double> row(p);
  std::vector<double> later(p);
  const double gamma0 = lagWeight(0);
  for (std::size_t i = 0; i < n; ++i) {
    std::fill(later.begin(), later.end(), 0.0);
    if (group[i] != 0) {
      for (std::size_t j = i + 1; j < n && group[j] == group[i]; ++j) {
        const long lag = position[j] - position[i];
        if (lag > static_cast<long>(maxLag)) break;
        if (lag <= 0) continue;
        const double weight = lagWeight(lag);
        if (weight == 0.0) continue;
        for (std::size_t b = 0; b < p; ++b) later[b] += weight * x[b * n + j];
      }
    }
    for (std::size_t a = 0; a < p; ++a) row[a] = x[a * n + i];
    for (std::size_t a = 0; a < p; ++a) {
      for (std::size_t b = a; b < p; ++b) {
        m[a * p + b] += gamma0 * row[a] * row[b] + row[a] * later[b] + later[a] * row[b];
      }
    }
  }
  for (std::size_t a = 0; a < p; ++a) {
    for (std::size_t b = 0; b < a; ++b) m[a * p + b] = m[b * p + a];
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
