// The design of the windows' rows and the estimator.
#include "methods/ImpulseEstimator.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "common/LeastSquares.h"
#include "methods/ImpulseAlgebra.h"

namespace impulse {

namespace {

// Below this share of signal in a direction of the data, the data hold
// nothing there (see Fit).
constexpr double kLeastSignalShare = 0.25;

// A column as a combination of the quantities.
std::array<double, kQuantities> ColumnWeights(const Column& c) {
  std::array<double, kQuantities> a{};
  a[c.quantity] += 1.0;
  a[c.plus] += c.plusFactor;
  return a;
}

double NoiseBetween(const WindowIntegrals& w, const std::array<double, kQuantities>& a, const std::array<double, kQuantities>& b) {
  double sum = 0.0;
  for (std::size_t i = 0; i < kQuantities; ++i) {
    if (a[i] == 0.0) continue;
    for (std::size_t j = 0; j < kQuantities; ++j) sum += a[i] * b[j] * w.noise[i * kQuantities + j];
  }
  return sum;
}

}  // namespace

double ColumnValue(const Column& c, const WindowIntegrals& w) { return w.q[c.quantity] + c.plusFactor * w.q[c.plus]; }

Design MakeDesign(const std::vector<const WindowIntegrals*>& rows, const std::vector<Column>& columns,
                  const std::vector<std::pair<Quantity, double>>& offsets) {
  Design d;
  d.n = rows.size();
  d.p = columns.size();
  d.x.assign(d.n * d.p, 0.0);
  d.y.assign(d.n, 0.0);
  for (std::size_t i = 0; i < d.n; ++i) {
    const WindowIntegrals& w = *rows[i];
    const bool newRun = i == 0 || w.run != rows[i - 1]->run;
    d.group.push_back(newRun ? (i == 0 ? 1 : d.group.back() + 1) : d.group.back());
    d.position.push_back(newRun ? 0 : d.position.back() + 1);
    double y = w.impulse;
    for (const auto& [quantity, factor] : offsets) y -= factor * w.q[quantity];
    d.y[i] = y;
    for (std::size_t j = 0; j < d.p; ++j) d.x[j * d.n + i] = ColumnValue(columns[j], w);
  }
  // The column errors, row by row.
  std::vector<std::array<double, kQuantities>> weights;
  weights.reserve(columns.size());
  for (const Column& c : columns) weights.push_back(ColumnWeights(c));
  std::array<double, kQuantities> offset{};
  for (const auto& [quantity, factor] : offsets) offset[quantity] += factor;
  d.rowNoise.assign(d.n * d.p * d.p, 0.0);
  d.rowOffsetNoise.assign(d.n * d.p, 0.0);
  for (std::size_t i = 0; i < d.n; ++i) {
    for (std::size_t j = 0; j < d.p; ++j) {
      for (std::size_t k = 0; k < d.p; ++k) d.rowNoise[(i * d.p + j) * d.p + k] = NoiseBetween(*rows[i], weights[j], weights[k]);
      d.rowOffsetNoise[i * d.p + j] = NoiseBetween(*rows[i], weights[j], offset);
    }
  }
  return d;
}

Design Weighted(const Design& d, const std::vector<double>& scale) {
  Design w = d;
  for (std::size_t i = 0; i < d.n; ++i) {
    const double s2 = scale[i] * scale[i];
    w.y[i] /= scale[i];
    for (std::size_t j = 0; j < d.p; ++j) w.x[j * d.n + i] /= scale[i];
    for (std::size_t j = 0; j < d.p * d.p; ++j) w.rowNoise[i * d.p * d.p + j] /= s2;
    for (std::size_t j = 0; j < d.p; ++j) w.rowOffsetNoise[i * d.p + j] /= s2;
  }
  return w;
}

Estimate Fit(const Design& d, const std::vector<Column>& columns, std::optional<std::size_t> a0Column,
             std::optional<double> heldA0, const YawPrior& prior, const PriorScale& priorScale, std::size_t lag,
             bool hatCorrected, const Autocovariance* heldCorrelation) {
  Estimate e;
  const std::size_t n = d.n;
  const std::size_t p = d.p;
  std::vector<double> unit(p, 0.0);
  std::vector<double> x = d.x;
  for (std::size_t j = 0; j < p; ++j) {
    double sum = 0.0;
    for (std::size_t i = 0; i < n; ++i) sum += x[j * n + i] * x[j * n + i];
    unit[j] = std::sqrt(sum);
    if (!(unit[j] > 0.0) || !std::isfinite(unit[j])) {
      e.failedColumn = j;
      return e;
    }
    for (std::size_t i = 0; i < n; ++i) x[j * n + i] /= unit[j];
  }
  // G = XᵀX = L·Lᵀ, N and r = Xᵀy + c; everything after is in the
  // coordinates Lᵀ·b, where the data's Gram matrix is I, so that nearly
  // collinear columns lose nothing to rounding.
  std::vector<double> gram(p * p, 0.0);
  std::vector<double> noise(p * p, 0.0);
  std::vector<double> r(p, 0.0);
  for (std::size_t j = 0; j < p; ++j) {
    for (std::size_t i = 0; i < n; ++i) r[j] += x[j * n + i] * d.y[i];
    for (std::size_t k = 0; k <= j; ++k) {
      double sum = 0.0;
      for (std::size_t i = 0; i < n; ++i) sum += x[j * n + i] * x[k * n + i];
      gram[j * p + k] = gram[k * p + j] = sum;
    }
  }
  for (std::size_t i = 0; i < n; ++i) {
    for (std::size_t j = 0; j < p; ++j) {
      r[j] += d.rowOffsetNoise[i * p + j] / unit[j];
      for (std::size_t k = 0; k < p; ++k) noise[j * p + k] += d.rowNoise[(i * p + j) * p + k] / (unit[j] * unit[k]);
    }
  }
  std::vector<double> lower;
  std::size_t dependent = 0;
  if (!Cholesky(gram, p, lower, &dependent)) {
    e.failedColumn = dependent;
    return e;
  }
  const std::vector<double> li = LowerInverse(lower, p);  // L⁻¹
  std::vector<double> gramInverse(p * p, 0.0);            // G⁻¹ = L⁻ᵀ·L⁻¹
  for (std::size_t i = 0; i < p; ++i) {
    for (std::size_t j = 0; j < p; ++j) {
      for (std::size_t m = 0; m < p; ++m) gramInverse[i * p + j] += li[m * p + i] * li[m * p + j];
    }
  }
  const auto congruent = [&](const std::vector<double>& m) { return Congruent(li, m, p); };  // L⁻¹·m·L⁻ᵀ
  // K = I − L⁻¹·N·L⁻ᵀ: the share of each direction's information that is
  // more than the readings' noise. A direction with less than a quarter
  // left is one the data do not hold (its corrected estimate would be
  // mostly noise divided by little): there the data say nothing.
  std::vector<double> k = congruent(noise);
  for (std::size_t i = 0; i < p * p; ++i) k[i] = (i % (p + 1) == 0 ? 1.0 : 0.0) - k[i];
  k = WithoutSmallEigenvalues(k, p, kLeastSignalShare);
  const std::vector<double> z = Apply(li, r, p);  // L⁻¹·r

  const auto priorsFor = [&](double estimate) {
    std::vector<PriorRow> rows;
    const double scale = std::clamp(estimate, priorScale.lowestA0, priorScale.highestA0);
    for (std::size_t j = 0; j < p; ++j) {
      if (columns[j].prior == Prior::Yaw2) rows.push_back({j, prior.k * scale, prior.kSd * scale});
      if (columns[j].prior == Prior::Yaw4) {
        rows.push_back({j, 0.0, prior.kSd / (prior.quarticFromDeg * prior.quarticFromDeg) * scale});
      }
    }
    return rows;
  };
  const bool hasPriors = std::any_of(columns.begin(), columns.end(), [](const Column& c) { return c.prior != Prior::None; });

  // A start: the yaw terms at their prior means (a2 = k·a0 folded into the
  // a0 column), the rest by least squares.
  double a0 = heldA0.value_or(0.0);
  std::vector<double> residuals(n, 0.0);
  {
    std::vector<std::size_t> keep;
    std::size_t yaw2 = p;
    for (std::size_t j = 0; j < p; ++j) {
      if (columns[j].prior == Prior::None) keep.push_back(j);
      if (columns[j].prior == Prior::Yaw2) yaw2 = j;
    }
    std::vector<double> bx(n * keep.size(), 0.0);
    std::vector<double> by = d.y;
    for (std::size_t k = 0; k < keep.size(); ++k) {
      for (std::size_t i = 0; i < n; ++i) bx[k * n + i] = d.x[keep[k] * n + i];
    }
    if (yaw2 < p) {
      if (a0Column) {
        const std::size_t at = static_cast<std::size_t>(std::find(keep.begin(), keep.end(), *a0Column) - keep.begin());
        for (std::size_t i = 0; i < n; ++i) bx[at * n + i] += prior.k * d.x[yaw2 * n + i];
      } else {
        for (std::size_t i = 0; i < n; ++i) by[i] -= prior.k * a0 * d.x[yaw2 * n + i];
      }
    }
    const LeastSquaresSolution start = SolveLeastSquares(bx, by, n, keep.size());
    if (!start.solved) {
      e.failedColumn = keep[start.failedColumn];
      return e;
    }
    for (std::size_t i = 0; i < n; ++i) {
      double fitted = 0.0;
      for (std::size_t k = 0; k < keep.size(); ++k) fitted += bx[k * n + i] * start.beta[k];
      residuals[i] = by[i] - fitted;
    }
    if (a0Column) {
      a0 = start.beta[static_cast<std::size_t>(std::find(keep.begin(), keep.end(), *a0Column) - keep.begin())];
    }
  }

  // M = XᵀΩX is linear in the lags of Ω: its part for each lag once.
  std::vector<std::vector<double>> meatOfLag(lag + 1);
  for (std::size_t l = 0; l <= lag; ++l) {
    std::vector<double> unitLag(lag + 1, 0.0);
    unitLag[l] = 1.0;
    meatOfLag[l] = SerialCorrelationMeat(x, n, p, d.group, d.position, unitLag);
  }
  std::optional<UnbiasedAutocovariance> unbiased;
  if (hatCorrected && heldCorrelation == nullptr) unbiased.emplace(d.group, d.position, lag, x, p, gramInverse);

  std::vector<double> b(p, 0.0);
  std::vector<double> covariance;
  for (int iteration = 0; iteration < 50; ++iteration) {
    // The residuals' autocovariance, unbiased for what the fit takes out of
    // them (taken as a least-squares fit; a prior takes out less), or held.
    if (heldCorrelation != nullptr) {
      e.acv = *heldCorrelation;
    } else {
      e.acv = unbiased ? unbiased->Of(residuals)
                       : ResidualAutocovariance(residuals, d.group, d.position, lag,
                                                static_cast<double>(n) - static_cast<double>(p));
      RepairToCovariance(e.acv);
    }
    // W = L⁻¹·M·L⁻ᵀ: the residuals' covariance in the data's own coordinates.
    std::vector<double> meat(p * p, 0.0);
    for (std::size_t l = 0; l <= lag && l < e.acv.gamma.size(); ++l) {
      if (!std::isfinite(e.acv.gamma[l])) continue;
      for (std::size_t i = 0; i < p * p; ++i) meat[i] += e.acv.gamma[l] * meatOfLag[l][i];
    }
    std::vector<double> wInverse;
    std::vector<double> w = congruent(meat);
    // Residuals that are nearly all of one slow shape (records without
    // noise) can leave W singular to rounding: a trace's billionth on its
    // diagonal is no change to any real test.
    double trace = 0.0;
    for (std::size_t i = 0; i < p; ++i) trace += w[i * p + i];
    for (double ridge = 1e-9; !SymmetricInverse(w, p, wInverse); ridge *= 1e3) {
      if (!(ridge < 1e-2) || !(trace > 0.0)) {
        e.failedColumn = a0Column.value_or(p - 1);
        return e;
      }
      for (std::size_t i = 0; i < p; ++i) w[i * p + i] += ridge * trace / static_cast<double>(p);
    }
    // (K·W⁻¹·K + L⁻¹·P·L⁻ᵀ)·β' = K·W⁻¹·z + L⁻¹·P·mean, b = L⁻ᵀ·β'.
    const std::vector<double> kw = Product(k, wInverse, p);
    std::vector<double> precision = Product(kw, k, p);
    std::vector<double> h = Apply(kw, z, p);
    e.priors = hasPriors ? priorsFor(a0) : std::vector<PriorRow>{};
    std::vector<double> priorPrecision(p * p, 0.0);
    std::vector<double> priorPull(p, 0.0);
    for (const PriorRow& row : e.priors) {
      const double sd = row.sd * unit[row.column];  // in the scaled column
      priorPrecision[row.column * p + row.column] += 1.0 / (sd * sd);
      priorPull[row.column] += row.mean * unit[row.column] / (sd * sd);
    }
    const std::vector<double> pl = congruent(priorPrecision);
    const std::vector<double> pull = Apply(li, priorPull, p);
    for (std::size_t i = 0; i < p * p; ++i) precision[i] += pl[i];
    for (std::size_t i = 0; i < p; ++i) h[i] += pull[i];
    std::vector<double> inner;
    if (!SymmetricInverse(precision, p, inner)) {
      e.failedColumn = a0Column.value_or(p - 1);
      return e;
    }
    const std::vector<double> beta = Apply(inner, h, p);
    // Back to the scaled columns: b = L⁻ᵀ·β', V = L⁻ᵀ·inner·L⁻¹.
    std::vector<double> next(p, 0.0);
    for (std::size_t i = 0; i < p; ++i) {
      for (std::size_t j = 0; j < p; ++j) next[i] += li[j * p + i] * beta[j];
    }
    covariance.assign(p * p, 0.0);
    {
      std::vector<double> t(p * p, 0.0);  // L⁻ᵀ·inner
      for (std::size_t i = 0; i < p; ++i) {
        for (std::size_t j = 0; j < p; ++j) {
          for (std::size_t m = 0; m < p; ++m) t[i * p + j] += li[m * p + i] * inner[m * p + j];
        }
      }
      for (std::size_t i = 0; i < p; ++i) {
        for (std::size_t j = 0; j < p; ++j) {
          for (std::size_t m = 0; m < p; ++m) covariance[i * p + j] += t[i * p + m] * li[m * p + j];
        }
      }
    }
    double change = 0.0;
    for (std::size_t j = 0; j < p; ++j) {
      change = std::max(change, std::fabs(next[j] - b[j]) / std::sqrt(covariance[j * p + j]));
    }
    b = next;
    for (std::size_t i = 0; i < n; ++i) {
      double fitted = 0.0;
      for (std::size_t j = 0; j < p; ++j) fitted += x[j * n + i] * b[j];
      residuals[i] = d.y[i] - fitted;
    }
    if (a0Column) a0 = b[*a0Column] / unit[*a0Column];
    if (iteration > 0 && change < 1e-6) break;
  }
  e.beta.assign(p, 0.0);
  e.covariance.assign(p * p, 0.0);
  for (std::size_t j = 0; j < p; ++j) {
    e.beta[j] = b[j] / unit[j];
    for (std::size_t k = 0; k < p; ++k) e.covariance[j * p + k] = covariance[j * p + k] / (unit[j] * unit[k]);
  }
  e.residuals = residuals;
  e.solved = true;
  return e;
}

}  // namespace impulse
