// Standard errors, intervals and correlations of the final fit, and the
// uncertainty that the calibrated quantities add to them.
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
constexpr const char* kUnits[8] = {"N",         "N/(m/s)",         "N/(m/s)^2",       "N/(m/s)^2",
                                   "N/(m/s)^2/deg", "N/(m/s)^2/deg^2", "N/(m/s)^2/deg^3", "N/(m/s)^2/deg^4"};

// Records a second of the run files, as the one-second samples are formed.
constexpr int kRate = 5;
// Lags, in samples, at which the speed sensor's noise reaches neighbouring
// decelerations: 0, 1 and 2.
constexpr std::size_t kSpeedNoiseLags = 3;
// Samples summed for the long-run variance: long beside the residuals'
// correlation, short beside a run.
constexpr long kLongRunBlock = 10;

// The model's terms for one sample, and its force.
std::array<double, 8> Terms(const FitSample& s) { return ModelTerms(s.V, s.Vr, s.Y); }
double SampleForce(const std::array<double, 8>& c, const FitSample& s) { return ModelForce(c, s.V, s.Vr, s.Y); }

// The terms a fit determines: all eight, or all but a0 when it is held.
std::vector<int> FittedTerms(bool constrained) {
  std::vector<int> fitted;
  for (int j = 0; j < 8; ++j) {
    if (!(constrained && j == 3)) fitted.push_back(j);
  }
  return fitted;
}

// The design matrix of the fitted terms, column by column, and the forces
// they explain (less the held aerodynamic force).
void DesignMatrix(const std::vector<FitSample>& samples, const std::vector<int>& fitted, bool constrained, double cdAp,
                  std::vector<double>& a, std::vector<double>& y) {
  const std::size_t n = samples.size();
  const std::size_t p = fitted.size();
  a.assign(n * p, 0.0);
  y.assign(n, 0.0);
  for (std::size_t k = 0; k < n; ++k) {
    const std::array<double, 8> t = Terms(samples[k]);
    for (std::size_t j = 0; j < p; ++j) a[j * n + k] = t[static_cast<std::size_t>(fitted[j])];
    y[k] = samples[k].F - (constrained ? cdAp * t[3] : 0.0);
  }
}

// The weight of record k (0 … kRate) in one trapezoidal mean speed over a
// second: the ends are halved.
double TrapezoidWeight(int k) { return ((k == 0 || k == kRate) ? 0.5 : 1.0) / kRate; }

// The autocovariance, `lag` samples apart, of what white noise of unit
// variance on every speed record makes of the decelerations: each is the
// mean speed of the second before its instant less that of the second after.
double SpeedNoiseAutocovariance(std::size_t lag) {
  std::vector<double> c(3 * kRate + 1, 0.0);
  for (int k = 0; k <= kRate; ++k) {
    c[static_cast<std::size_t>(k)] += TrapezoidWeight(k);
    c[static_cast<std::size_t>(k) + static_cast<std::size_t>(kRate)] -= TrapezoidWeight(k);
  }
  double sum = 0.0;
  const std::size_t shift = lag * kRate;
  for (std::size_t k = 0; k + shift < c.size(); ++k) sum += c[k] * c[k + shift];
  return sum;
}

// The variance of the same noise in a sum of neighbouring decelerations:
// all their means cancel but the first and the last.
double SpeedNoiseOfSumEnds() {
  double sum = 0.0;
  for (int k = 0; k <= kRate; ++k) sum += 2.0 * TrapezoidWeight(k) * TrapezoidWeight(k);
  return sum;
}

// The mean square of sums of `length` neighbouring residuals (one run, one
// second apart), over every such stretch, and the share of such a sum that
// the fit itself takes away from independent errors: the fit follows the
// slow changes a stretch shares, so its residuals' sums are smaller than the
// errors' by more than their single residuals are.
struct BlockSums {
  double meanSquare = 0.0;
  double fitShare = 0.0;
};

BlockSums BlockSumVariance(const std::vector<double>& residuals, const std::vector<double>& x, std::size_t p,
                           const std::vector<double>& inverse, const std::vector<long>& group,
                           const std::vector<long>& position, long length) {
  const std::size_t n = residuals.size();
  const auto span = static_cast<std::size_t>(length);
  // The stretches of neighbours (one run, one second apart) long enough to
  // hold a block of `length` of them.
  std::vector<std::pair<std::size_t, std::size_t>> stretches;
  std::size_t blocks = 0;
  for (std::size_t first = 0; first < n;) {
    std::size_t end = first + 1;
    while (end < n && group[end] == group[first] && position[end] == position[end - 1] + 1) ++end;
    if (group[first] != 0 && end - first >= span) {
      stretches.emplace_back(first, end);
      blocks += end - first - span + 1;
    }
    first = end;
  }
  BlockSums result;
  if (blocks == 0) return result;
  // Every block's sum, in block order, the window sliding along each
  // stretch: one addition and one subtraction a block instead of `length`.
  const auto blockSums = [&](const double* column, double* sums) {
    for (const auto& [first, end] : stretches) {
      double sum = 0.0;
      for (std::size_t k = first; k < first + span; ++k) sum += column[k];
      *sums++ = sum;
      for (std::size_t k = first + span; k < end; ++k) {
        sum += column[k] - column[k - span];
        *sums++ = sum;
      }
    }
  };
  std::vector<double> sums(blocks);
  blockSums(residuals.data(), sums.data());
  result.meanSquare = Dot(sums.data(), sums.data(), blocks) / static_cast<double>(blocks);
  // Each block's leverage is tᵀ·(XᵀX)⁻¹·t, t the sums of its terms; their
  // sum is Σ (XᵀX)⁻¹ᵢⱼ·Tᵢ·Tⱼ, Tᵢ the column of every block's sum of term i.
  std::vector<double> terms(p * blocks);
  for (std::size_t j = 0; j < p; ++j) blockSums(&x[j * n], &terms[j * blocks]);
  double leverage = 0.0;
  for (std::size_t i = 0; i < p; ++i) {
    for (std::size_t j = i; j < p; ++j) {
      const double products = Dot(&terms[i * blocks], &terms[j * blocks], blocks);
      leverage += (i == j ? 1.0 : 2.0) * inverse[i * p + j] * products;
    }
  }
  result.fitShare = leverage / static_cast<double>(length) / static_cast<double>(blocks);
  return result;
}

// a · b of two p × p row-major matrices.
std::vector<double> Multiply(const std::vector<double>& a, const std::vector<double>& b, std::size_t p) {
  std::vector<double> c(p * p, 0.0);
  for (std::size_t i = 0; i < p; ++i) {
    for (std::size_t k = 0; k < p; ++k) {
      for (std::size_t j = 0; j < p; ++j) c[i * p + j] += a[i * p + k] * b[k * p + j];
    }
  }
  return c;
}

// The fit's own covariance of fitted coefficients i and j; a record that
// holds only their standard errors and correlations (one built by hand, or
// read back) gives it from those.
double FitCovarianceAt(const UncertaintyRecord& fit, std::size_t i, std::size_t j) {
  const std::size_t p = fit.coefficients.size();
  if (fit.fitCovariance.size() == p && fit.fitCovariance[i].size() == p) return fit.fitCovariance[i][j];
  if (fit.correlation.size() != p || fit.correlation[i].size() != p) return kNone;
  return fit.correlation[i][j] * fit.coefficients[i].standardError * fit.coefficients[j].standardError;
}

// Where each of the model's coefficients m0 … a4 stands among the fit's
// coefficients, or −1 for one it holds.
std::array<int, 8> Positions(const UncertaintyRecord& fit) {
  std::array<int, 8> position{};
  position.fill(-1);
  for (std::size_t i = 0; i < fit.coefficients.size(); ++i) {
    // The names are m0 … m2 and a0 … a4, the model's order.
    const std::string& name = fit.coefficients[i].name;
    if (name.size() != 2 || (name[0] != 'm' && name[0] != 'a')) continue;
    const int j = (name[0] == 'm' ? 0 : 3) + (name[1] - '0');
    if (j >= 0 && j < 8 && name == kNames[j]) position[static_cast<std::size_t>(j)] = static_cast<int>(i);
  }
  return position;
}

// gᵀ·C·h, C the fit's own covariance of the fitted coefficients.
double FitCovariance(const UncertaintyRecord& fit, const std::array<int, 8>& position, const std::array<double, 8>& g,
                     const std::array<double, 8>& h) {
  double sum = 0.0;
  for (std::size_t i = 0; i < 8; ++i) {
    for (std::size_t j = 0; j < 8; ++j) {
      const int pi = position[i];
      const int pj = position[j];
      if (g[i] == 0.0 || h[j] == 0.0 || pi < 0 || pj < 0) continue;
      sum += g[i] * h[j] * FitCovarianceAt(fit, static_cast<std::size_t>(pi), static_cast<std::size_t>(pj));
    }
  }
  return sum;
}

// How far g · (the coefficients) moves per unit of an input.
double Moved(const InputUncertainty& input, const std::array<double, 8>& g) {
  double moved = 0.0;
  for (std::size_t j = 0; j < 8; ++j) {
    if (g[j] != 0.0) moved += g[j] * input.sensitivity[j];
  }
  return moved;
}

// gᵀ·C·h with every contribution: the fit's and each input's.
double TotalCovariance(const UncertaintyRecord& fit, const std::array<int, 8>& position,
                       const std::array<double, 8>& g, const std::array<double, 8>& h) {
  double sum = FitCovariance(fit, position, g, h);
  for (const InputUncertainty& input : fit.inputs) {
    sum += Moved(input, g) * Moved(input, h) * input.standardUncertainty * input.standardUncertainty;
  }
  return sum;
}

std::array<double, 8> UnitVector(const std::string& name) {
  std::array<double, 8> unit{};
  for (std::size_t j = 0; j < 8; ++j) {
    if (name == kNames[j]) unit[j] = 1.0;
  }
  return unit;
}

}  // namespace

double StudentTQuantile(double probability, long dof) {
  return dof < 1 ? kNone : ::StudentTQuantile(probability, static_cast<double>(dof));
}

FitDesign::FitDesign(const std::vector<FitSample>& samples, bool constrained, double cdAp)
    : constrained(constrained), cdAp(cdAp), fitted(FittedTerms(constrained)), n(samples.size()), p(fitted.size()) {
  DesignMatrix(samples, fitted, constrained, cdAp, a, y);
  qr = SolveLeastSquares(a, y, n, p);
}

UncertaintyRecord FitUncertainty(const std::vector<FitSample>& samples, const std::array<double, 8>& coefficients,
                                 bool constrained, double cdAp, std::vector<double>& residuals, const FitNoise& noise) {
  return FitUncertainty(FitDesign(samples, constrained, cdAp), samples, coefficients, residuals, noise);
}

UncertaintyRecord FitUncertainty(const FitDesign& design, const std::vector<FitSample>& samples,
                                 const std::array<double, 8>& coefficients, std::vector<double>& residuals,
                                 const FitNoise& noise) {
  UncertaintyRecord fit;
  const std::vector<int>& fitted = design.fitted;
  const std::size_t n = design.n;
  const std::size_t p = design.p;
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
    residuals[k] = samples[k].F - SampleForce(coefficients, samples[k]);
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

  const std::vector<double>& a = design.a;
  const LeastSquaresSolution& qr = design.qr;
  if (!qr.solved) {
    fit.why = qr.zeroColumn ? std::string("the term of ") + kNames[fitted[qr.failedColumn]] +
                                  " is 0 for every sample of the final fit"
                            : "the terms of the model are linearly dependent over the samples of the final fit";
    return fit;
  }

  std::vector<long> group(n);
  std::vector<long> position(n);
  for (std::size_t k = 0; k < n; ++k) {
    group[k] = samples[k].run;
    position[k] = samples[k].time;
  }
  const double dof = static_cast<double>(fit.dof);
  const Autocovariance neighbours = ResidualAutocovariance(residuals, group, position, 1, dof);
  if (std::isfinite(neighbours.gamma[1]) && neighbours.gamma[0] > 0.0) {
    fit.neighbourCorrelation = neighbours.gamma[1] / neighbours.gamma[0];
  }

  std::vector<double> cov;
  if (std::isfinite(noise.speedNoiseVariance) && std::isfinite(noise.massKg) && fit.residualSd > 0.0) {
    // The speed sensor's share exactly, the rest by its long-run variance.
    const double noisePerSample = noise.massKg * noise.massKg * noise.speedNoiseVariance;
    std::vector<double> gamma(kSpeedNoiseLags, 0.0);
    for (std::size_t l = 0; l < kSpeedNoiseLags; ++l) gamma[l] = noisePerSample * SpeedNoiseAutocovariance(l);
    fit.speedNoiseSd = std::sqrt(noise.speedNoiseVariance);
    fit.speedNoiseShare = std::min(1.0, gamma[0] / (fit.residualSd * fit.residualSd));
    const BlockSums sums = BlockSumVariance(residuals, a, p, qr.inverse, group, position, kLongRunBlock);
    const double kept = sums.fitShare < 1.0 ? 1.0 - sums.fitShare : 1.0;
    const double blockSquare = sums.meanSquare / kept;
    fit.longRunVariance =
        std::max(0.0, (blockSquare - noisePerSample * SpeedNoiseOfSumEnds()) / static_cast<double>(kLongRunBlock));
    // Taken only where it stands out: two standard errors of the mean square
    // of n / K independent sums. Where the speed sensor's noise dominates, a
    // noisy estimate cut off at zero would otherwise widen every interval.
    const double independentSums = static_cast<double>(n) / static_cast<double>(kLongRunBlock);
    if (fit.longRunVariance < 2.0 * blockSquare * std::sqrt(2.0 / independentSums) / kLongRunBlock) {
      fit.longRunVariance = 0.0;
    }
    gamma[0] += fit.longRunVariance;
    cov = SandwichCovariance(a, n, p, qr.inverse, group, position, gamma);
    // A sample left out for its deceleration leaves its own speed noise in
    // the run: its neighbours keep the two mean speeds it shared, so the sum
    // over the run no longer cancels there. Its residual tells how large
    // that noise was.
    if (!cov.empty() && !noise.dropped.empty()) {
      std::vector<double> middle(p * p, 0.0);
      for (const FitSample& d : noise.dropped) {
        const std::array<double, 8> t = Terms(d);
        const double r = fit.speedNoiseShare * (d.F - SampleForce(coefficients, d));
        if (!std::isfinite(r)) continue;
        // Beyond what the run's remaining samples already carry of it.
        const double excess = std::max(0.0, r * r - gamma[0]);
        for (std::size_t i = 0; i < p; ++i) {
          for (std::size_t j = 0; j < p; ++j) {
            middle[i * p + j] +=
                excess * t[static_cast<std::size_t>(fitted[i])] * t[static_cast<std::size_t>(fitted[j])];
          }
        }
      }
      const std::vector<double> extra = Multiply(Multiply(qr.inverse, middle, p), qr.inverse, p);
      for (std::size_t i = 0; i < p * p; ++i) cov[i] += extra[i];
    }
  } else {
    // Without the records, the residuals' correlation as it comes.
    const Autocovariance acv =
        ResidualAutocovariance(residuals, group, position, static_cast<std::size_t>(kLongRunBlock) / 2, dof);
    cov = SandwichCovariance(a, n, p, qr.inverse, group, position, acv.gamma);
  }
  if (cov.empty()) {
    const double s2 = fit.residualSd * fit.residualSd;
    cov.assign(p * p, 0.0);
    for (std::size_t i = 0; i < p * p; ++i) cov[i] = s2 * qr.inverse[i];
  }

  // The least-squares solution from the QR, against the solver's.
  double agreement = 0.0;
  for (std::size_t j = 0; j < p; ++j) {
    const double independent = qr.beta[j];
    const double solver = coefficients[static_cast<std::size_t>(fitted[j])];
    const double size = std::max(std::fabs(independent), std::sqrt(cov[j * p + j]));
    if (size > 0.0) agreement = std::max(agreement, std::fabs(solver - independent) / size);
  }
  fit.solverAgreement = agreement;

  // Against the plain least-squares covariance, for the still-air force at
  // the fit's mean speed.
  double meanSpeed = 0.0;
  for (const FitSample& s : samples) meanSpeed += s.V / static_cast<double>(n);
  const std::array<double, 8> still = {1.0, meanSpeed, meanSpeed * meanSpeed, meanSpeed * meanSpeed, 0, 0, 0, 0};
  double correlated = 0.0;
  double independent = 0.0;
  for (std::size_t i = 0; i < p; ++i) {
    for (std::size_t j = 0; j < p; ++j) {
      const double gg = still[static_cast<std::size_t>(fitted[i])] * still[static_cast<std::size_t>(fitted[j])];
      correlated += gg * cov[i * p + j];
      independent += gg * fit.residualSd * fit.residualSd * qr.inverse[i * p + j];
    }
  }
  if (independent > 0.0) fit.varianceFactor = correlated / independent;

  fit.fitCovariance.assign(p, std::vector<double>(p, 0.0));
  for (std::size_t i = 0; i < p; ++i) {
    for (std::size_t j = 0; j < p; ++j) fit.fitCovariance[i][j] = cov[i * p + j];
  }
  for (std::size_t i = 0; i < p; ++i) {
    Estimate e;
    e.name = kNames[fitted[i]];
    e.unit = kUnits[fitted[i]];
    e.value = coefficients[static_cast<std::size_t>(fitted[i])];
    fit.coefficients.push_back(e);
  }
  fit.available = true;
  CombineInputs(fit);
  return fit;
}

std::vector<std::array<double, 8>> Sensitivities(const FitDesign& design, const std::vector<FitSample>& samples,
                                                 const std::vector<SampleInput>& inputs) {
  std::vector<std::array<double, 8>> slopes(inputs.size());
  for (std::array<double, 8>& slope : slopes) slope.fill(kNone);
  const std::vector<int>& fitted = design.fitted;
  const std::size_t n = design.n;
  const std::size_t p = design.p;
  const std::vector<double>& a = design.a;
  const LeastSquaresSolution& qr = design.qr;
  if (!qr.solved) return slopes;
  std::vector<double> residuals(design.y);
  for (std::size_t j = 0; j < p; ++j) {
    for (std::size_t k = 0; k < n; ++k) residuals[k] -= a[j * n + k] * qr.beta[j];
  }
  // Each term's column and coefficient, a held term's zero.
  const std::vector<double> zeros(n, 0.0);
  std::array<const double*, 8> columns;
  columns.fill(zeros.data());
  std::array<double, 8> beta{};
  for (std::size_t j = 0; j < p; ++j) {
    const auto term = static_cast<std::size_t>(fitted[j]);
    columns[term] = &a[j * n];
    beta[term] = qr.beta[j];
  }
  // The moved samples' design rows are used once each, as they are formed,
  // so they are never stored.
  std::vector<FitSample> ups;
  std::vector<FitSample> downs;
  for (std::size_t input = 0; input < inputs.size(); ++input) {
    const SampleInput& in = inputs[input];
    in.move(samples, in.step, ups);
    in.move(samples, -in.step, downs);
    if (ups.size() != n || downs.size() != n) continue;
    // Xᵀ·(dy − dX·b) + dXᵀ·r, with dX and dy per unit of the input, over
    // all eight terms (a held one counts as a zero column with a zero
    // coefficient), a size the compiler keeps in registers.
    const double scale = 1.0 / (2.0 * in.step);
    std::array<double, 8> g{};
    for (std::size_t k = 0; k < n; ++k) {
      const FitSample& up = ups[k];
      const FitSample& down = downs[k];
      const std::array<double, 8> tUp = Terms(up);
      const std::array<double, 8> tDown = Terms(down);
      const double yUp = up.F - (design.constrained ? design.cdAp * tUp[3] : 0.0);
      const double yDown = down.F - (design.constrained ? design.cdAp * tDown[3] : 0.0);
      std::array<double, 8> dX;
      for (std::size_t t = 0; t < 8; ++t) dX[t] = (tUp[t] - tDown[t]) * scale;
      if (design.constrained) dX[3] = 0.0;
      double dyMinusDxB = (yUp - yDown) * scale;
      for (std::size_t t = 0; t < 8; ++t) dyMinusDxB -= dX[t] * beta[t];
      for (std::size_t t = 0; t < 8; ++t) g[t] += columns[t][k] * dyMinusDxB + dX[t] * residuals[k];
    }
    bool finite = true;
    std::array<double, 8> slope{};
    for (std::size_t i = 0; i < p; ++i) {
      double s = 0.0;
      for (std::size_t j = 0; j < p; ++j) s += qr.inverse[i * p + j] * g[static_cast<std::size_t>(fitted[j])];
      finite = finite && std::isfinite(s);
      slope[static_cast<std::size_t>(fitted[i])] = s;
    }
    if (finite) slopes[input] = slope;
  }
  return slopes;
}

void CombineInputs(UncertaintyRecord& fit) {
  if (!fit.available) return;
  const std::size_t p = fit.coefficients.size();
  for (Estimate& c : fit.coefficients) c = LinearEstimate(fit, c.value, UnitVector(c.name), c.name, c.unit);
  // Every pair's total covariance once, then the correlations from it.
  std::vector<std::array<double, 8>> unit(p);
  for (std::size_t i = 0; i < p; ++i) unit[i] = UnitVector(fit.coefficients[i].name);
  const std::array<int, 8> position = Positions(fit);
  std::vector<double> total(p * p);
  for (std::size_t i = 0; i < p; ++i) {
    for (std::size_t j = 0; j < p; ++j) total[i * p + j] = TotalCovariance(fit, position, unit[i], unit[j]);
  }
  fit.correlation.assign(p, std::vector<double>(p, kNone));
  for (std::size_t i = 0; i < p; ++i) {
    for (std::size_t j = 0; j < p; ++j) {
      const double denominator = std::sqrt(total[i * p + i] * total[j * p + j]);
      fit.correlation[i][j] = denominator > 0.0 ? total[i * p + j] / denominator : kNone;
    }
  }
  fit.correlationM2A0 = p == 8 ? fit.correlation[2][3] : kNone;
}

Estimate LinearEstimate(const UncertaintyRecord& fit, double value, const std::array<double, 8>& g,
                        const std::string& name, const std::string& unit) {
  Estimate e;
  e.name = name;
  e.unit = unit;
  e.value = value;
  if (!fit.available) return e;
  // The fit's own scatter, then each input: their standard uncertainties
  // add in squares, and their degrees of freedom give the effective one.
  const double fitVariance = std::max(0.0, FitCovariance(fit, Positions(fit), g, g));
  e.components.push_back({"fit", std::sqrt(fitVariance), static_cast<double>(fit.dof)});
  double variance = fitVariance;
  bool known = true;
  for (const InputUncertainty& input : fit.inputs) {
    const double u = std::fabs(Moved(input, g)) * input.standardUncertainty;
    e.components.push_back({input.name, u, input.dof});
    if (std::isfinite(u)) {
      variance += u * u;
    } else {
      known = false;
    }
  }
  if (!known) return e;
  e.standardError = std::sqrt(variance);
  double spread = 0.0;
  for (const UncertaintyComponent& c : e.components) {
    if (c.value > 0.0 && c.dof > 0.0) spread += std::pow(c.value, 4.0) / c.dof;
  }
  // Without an input's share, the fit's own degrees of freedom and t.
  const bool inputsShare = variance > fitVariance;
  e.dof = inputsShare && spread > 0.0 ? variance * variance / spread : static_cast<double>(fit.dof);
  const double t = variance <= 0.0 ? 0.0 : inputsShare ? ::StudentTQuantile(0.95, e.dof) : fit.t95;
  e.low = e.value - t * e.standardError;
  e.high = e.value + t * e.standardError;
  return e;
}

}  // namespace record
