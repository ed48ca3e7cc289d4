// The residual autocovariance within runs and the sandwich covariance.
#include "methods/SerialCorrelationCovariance.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double kPi = 3.141592653589793;

// The lowest value of γ0 + 2·Σ γl·cos(l·ω) over ω: a Toeplitz matrix of any
// size built from γ is a covariance exactly when this is not below 0.
double LowestSpectrum(const std::vector<double>& gamma) {
  double lowest = gamma.empty() ? 0.0 : gamma[0];
  constexpr int kFrequencies = 1024;
  for (int k = 0; k <= kFrequencies; ++k) {
    const double omega = kPi * k / kFrequencies;
    double s = gamma[0];
    for (std::size_t l = 1; l < gamma.size(); ++l) s += 2.0 * gamma[l] * std::cos(static_cast<double>(l) * omega);
    lowest = std::min(lowest, s);
  }
  return lowest;
}

// The run of every row.
std::vector<std::size_t> RunOfRows(const std::vector<std::size_t>& runStarts, std::size_t n) {
  std::vector<std::size_t> run(n, 0);
  for (std::size_t r = 0; r < runStarts.size(); ++r) {
    const std::size_t end = r + 1 < runStarts.size() ? runStarts[r + 1] : n;
    for (std::size_t i = runStarts[r]; i < end; ++i) run[i] = r;
  }
  return run;
}

// Solves a·x = b (k × k, row-major) by elimination with partial pivoting;
// false when a is singular.
bool SolveSmall(std::vector<double> a, std::vector<double>& b, std::size_t k) {
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

}  // namespace

void TaperToCovariance(SerialAutocovariance& acv) {
  const std::size_t lag = acv.gamma.empty() ? 0 : acv.gamma.size() - 1;
  if (lag == 0 || LowestSpectrum(acv.gamma) >= 0.0) return;
  // The spectrum is γ0 + α·(S(ω) − γ0) with the lags scaled by α: the
  // largest α that keeps it at or above 0 everywhere, a little less.
  double alpha = 1.0;
  constexpr int kFrequencies = 1024;
  for (int k = 0; k <= kFrequencies; ++k) {
    const double omega = kPi * k / kFrequencies;
    double s = acv.gamma[0];
    for (std::size_t l = 1; l <= lag; ++l) s += 2.0 * acv.gamma[l] * std::cos(static_cast<double>(l) * omega);
    if (s < 0.0) alpha = std::min(alpha, acv.gamma[0] / (acv.gamma[0] - s));
  }
  for (std::size_t l = 1; l <= lag; ++l) acv.gamma[l] *= 0.99 * alpha;
  acv.tapered = true;
}

SerialAutocovariance EstimateResidualAutocovariance(const std::vector<double>& residuals,
                                                      const std::vector<std::size_t>& runStarts, std::size_t lag,
                                                      std::size_t parameters) {
  const std::size_t n = residuals.size();
  SerialAutocovariance acv;
  acv.gamma.assign(lag + 1, 0.0);
  if (n == 0) return acv;
  for (std::size_t r = 0; r < runStarts.size(); ++r) {
    const std::size_t begin = runStarts[r];
    const std::size_t end = r + 1 < runStarts.size() ? runStarts[r + 1] : n;
    for (std::size_t i = begin; i < end; ++i) {
      for (std::size_t l = 0; l <= lag && i + l < end; ++l) acv.gamma[l] += residuals[i] * residuals[i + l];
    }
  }
  // Residuals are shorter than the errors by the p directions the fit took
  // out of them: the usual n − p.
  const double scale = n > parameters ? 1.0 / static_cast<double>(n - parameters) : 0.0;
  for (double& g : acv.gamma) g *= scale;
  return acv;
}

SerialAutocovariance EstimateResidualAutocovariance(const std::vector<double>& residuals,
                                                      const std::vector<std::size_t>& runStarts, std::size_t lag,
                                                      const std::vector<double>& x, std::size_t p,
                                                      const std::vector<double>& inverse) {
  const std::size_t n = residuals.size();
  const std::size_t k = lag + 1;
  const std::vector<std::size_t> runOf = RunOfRows(runStarts, n);
  const auto pair = [&](std::size_t i, long offset, std::size_t& j) {
    const long at = static_cast<long>(i) + offset;
    if (at < 0 || at >= static_cast<long>(n) || runOf[static_cast<std::size_t>(at)] != runOf[i]) return false;
    j = static_cast<std::size_t>(at);
    return true;
  };
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
  // Σ over the pairs (i, i + l) of x_{i+l}·x_iᵀ, and over both orders for the Gram of T_l.
  const auto pairSum = [&](std::size_t l, bool bothOrders) {
    std::vector<double> g(p * p, 0.0);
    for (std::size_t i = 0; i < n; ++i) {
      std::size_t j = 0;
      if (!pair(i, static_cast<long>(l), j)) continue;
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
  // E[s_l] = Σ_m A_lm·γ_m with s_l = Σ e_i·e_{i+l} and E[e·eᵀ] = (I − H)·Ω·(I − H),
  // Ω = Σ γ_m·T_m (T_m: ones where rows of a run lie m apart).
  std::vector<double> a(k * k, 0.0);
  std::vector<double> s(k, 0.0);
  std::vector<std::vector<double>> gram(k);
  for (std::size_t m = 0; m < k; ++m) gram[m] = product(product(inverse, pairSum(m, true)), inverse);  // B·G_m·B
  for (std::size_t l = 0; l < k; ++l) {
    const std::vector<double> kl = pairSum(l, false);
    std::size_t pairs = 0;
    for (std::size_t i = 0; i < n; ++i) {
      std::size_t j = 0;
      if (!pair(i, static_cast<long>(l), j)) continue;
      ++pairs;
      s[l] += residuals[i] * residuals[j];
    }
    for (std::size_t m = 0; m < k; ++m) {
      double sum = l == m ? static_cast<double>(pairs) : 0.0;
      for (std::size_t i = 0; i < n; ++i) {
        std::size_t j = 0;
        if (!pair(i, static_cast<long>(l), j)) continue;
        if (m == 0) {
          sum -= 2.0 * hat(i, j);
          continue;
        }
        std::size_t q = 0;
        const long mm = static_cast<long>(m);
        if (pair(i, static_cast<long>(l) - mm, q)) sum -= hat(i, q);  // (H·T_m)_ij
        if (pair(i, static_cast<long>(l) + mm, q)) sum -= hat(i, q);
        if (pair(i, -mm, q)) sum -= hat(q, j);  // (T_m·H)_ij
        if (pair(i, mm, q)) sum -= hat(q, j);
      }
      double trace = 0.0;  // tr(B·G_m·B·K_l)
      for (std::size_t u = 0; u < p; ++u) {
        for (std::size_t v = 0; v < p; ++v) trace += gram[m][u * p + v] * kl[v * p + u];
      }
      a[l * k + m] = sum + trace;
    }
  }
  SerialAutocovariance acv;
  acv.gamma = s;
  // Residuals of a shape the fit nearly follows (records without noise)
  // can give no variance at all: then the plain estimate.
  if (!SolveSmall(a, acv.gamma, k) || !(acv.gamma[0] > 0.0)) {
    return EstimateResidualAutocovariance(residuals, runStarts, lag, p);
  }
  return acv;
}

std::vector<double> SerialCorrelationMeat(const std::vector<double>& x, std::size_t n, std::size_t p,
                                          const std::vector<std::size_t>& runStarts,
                                          const SerialAutocovariance& acv) {
  std::vector<double> meat(p * p, 0.0);
  const std::size_t lag = acv.gamma.empty() ? 0 : acv.gamma.size() - 1;
  for (std::size_t r = 0; r < runStarts.size(); ++r) {
    const std::size_t begin = runStarts[r];
    const std::size_t end = r + 1 < runStarts.size() ? runStarts[r + 1] : n;
    for (std::size_t i = begin; i < end; ++i) {
      for (std::size_t l = 0; l <= lag && i + l < end; ++l) {
        const std::size_t k = i + l;
        const double g = acv.gamma[l];
        for (std::size_t a = 0; a < p; ++a) {
          for (std::size_t b = 0; b < p; ++b) {
            double term = x[a * n + i] * x[b * n + k];
            // Ω is symmetric: the pair (k, i) adds the transpose.
            if (l > 0) term += x[a * n + k] * x[b * n + i];
            meat[a * p + b] += g * term;
          }
        }
      }
    }
  }
  return meat;
}

std::vector<double> Sandwich(const std::vector<double>& bread, const std::vector<double>& meat, std::size_t p) {
  std::vector<double> half(p * p, 0.0);
  for (std::size_t i = 0; i < p; ++i) {
    for (std::size_t j = 0; j < p; ++j) {
      double sum = 0.0;
      for (std::size_t k = 0; k < p; ++k) sum += bread[i * p + k] * meat[k * p + j];
      half[i * p + j] = sum;
    }
  }
  std::vector<double> out(p * p, 0.0);
  for (std::size_t i = 0; i < p; ++i) {
    for (std::size_t j = 0; j < p; ++j) {
      double sum = 0.0;
      for (std::size_t k = 0; k < p; ++k) sum += half[i * p + k] * bread[k * p + j];
      out[i * p + j] = sum;
    }
  }
  // Exactly symmetric, whatever the order of the sums did.
  for (std::size_t i = 0; i < p; ++i) {
    for (std::size_t j = 0; j < i; ++j) out[i * p + j] = out[j * p + i] = 0.5 * (out[i * p + j] + out[j * p + i]);
  }
  return out;
}

std::vector<double> SerialCorrelationCovariance(const std::vector<double>& x, const std::vector<double>& residuals,
                                                std::size_t n, std::size_t p, const std::vector<double>& inverse,
                                                const std::vector<std::size_t>& runStarts, std::size_t lag) {
  SerialAutocovariance acv = EstimateResidualAutocovariance(residuals, runStarts, lag, p);
  TaperToCovariance(acv);
  return Sandwich(inverse, SerialCorrelationMeat(x, n, p, runStarts, acv), p);
}
