// Forces at the reference speeds and the fit of the road-load curve.
#include "methods/IntervalRoadLoad.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <string>

#include "common/LeastSquares.h"

namespace {

// The pairs' own forces at reference speed j (empty where a pair does not
// count), in pair order.
std::vector<std::optional<double>> PairForces(const std::vector<IntervalPair>& pairs, std::size_t j,
                                              double forceTimeProduct) {
  std::vector<std::optional<double>> forces;
  forces.reserve(pairs.size());
  for (const IntervalPair& pair : pairs)
    forces.push_back(pair.seconds[j] ? std::optional<double>(forceTimeProduct / *pair.seconds[j]) : std::nullopt);
  return forces;
}

// The covariance of the pairs' forces at two reference speeds over the pairs
// that count at both, and how many those are.
std::pair<double, int> CommonCovariance(const std::vector<std::optional<double>>& a,
                                        const std::vector<std::optional<double>>& b) {
  double meanA = 0.0;
  double meanB = 0.0;
  int n = 0;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (!a[i] || !b[i]) continue;
    meanA += *a[i];
    meanB += *b[i];
    ++n;
  }
  if (n < 2) return {0.0, n};
  meanA /= n;
  meanB /= n;
  double sum = 0.0;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (a[i] && b[i]) sum += (*a[i] - meanA) * (*b[i] - meanB);
  return {sum / (n - 1), n};
}

// The harmonic mean of the curve over v ± Δv, 2Δv/∫dv/F, by Simpson's rule;
// empty where the curve is not positive over the interval.
std::optional<double> HarmonicMeanOverInterval(const std::array<double, 3>& curve, double v, double halfWidth) {
  constexpr int kPanels = 64;
  const double step = 2.0 * halfWidth / kPanels;
  double integral = 0.0;
  for (int i = 0; i <= kPanels; ++i) {
    const double speed = v - halfWidth + i * step;
    const double force = curve[0] + curve[1] * speed + curve[2] * speed * speed;
    if (!(force > 0.0)) return std::nullopt;
    const double simpson = (i == 0 || i == kPanels) ? 1.0 : (i % 2 == 1 ? 4.0 : 2.0);
    integral += simpson / force;
  }
  integral *= step / 3.0;
  return 2.0 * halfWidth / integral;
}

}  // namespace

double ForceTimeProduct(const IntervalConditions& conditions, const IntervalSettings& settings) {
  return (conditions.averageMassKg + conditions.rotatingMassKg) * (2.0 * settings.halfWidthKmh / regulation::kKmhPerMs);
}

void AddForces(std::vector<ReferenceSpeedResult>& speeds, const std::vector<IntervalPair>& pairs,
               double forceTimeProduct) {
  for (std::size_t j = 0; j < speeds.size(); ++j) {
    ReferenceSpeedResult& speed = speeds[j];
    if (!speed.meanSeconds) continue;
    speed.forceN = forceTimeProduct / *speed.meanSeconds;
    const auto forces = PairForces(pairs, j, forceTimeProduct);
    const auto [variance, n] = CommonCovariance(forces, forces);
    if (n > 1) speed.forceStdErrN = std::sqrt(variance / n);
  }
}

RoadLoadCoefficients FitRoadLoad(std::vector<ReferenceSpeedResult>& speeds, const std::vector<IntervalPair>& pairs,
                                 double forceTimeProduct, const IntervalSettings& settings,
                                 std::vector<IntervalIssue>& issues) {
  RoadLoadCoefficients fit;
  std::vector<std::size_t> used;
  for (std::size_t j = 0; j < speeds.size(); ++j)
    if (speeds[j].forceN) used.push_back(j);
  const std::size_t n = used.size();
  if (n < 3) {
    issues.push_back({IntervalIssueKind::FitFailed, 0, std::nullopt,
                      "f0, f1 and f2 need forces at 3 reference speeds or more; the pairs give " + std::to_string(n)});
    return fit;
  }
  // Rows scaled by the square root of their weight: (XᵀWX)⁻¹XᵀW·F.
  std::vector<double> weight(n, 1.0);
  if (settings.weighting == FitWeighting::InverseVariance)
    for (std::size_t r = 0; r < n; ++r)
      weight[r] = speeds[used[r]].pairs / (*speeds[used[r]].forceN * *speeds[used[r]].forceN);
  std::vector<double> x(3 * n);
  std::vector<double> y(n);
  for (std::size_t r = 0; r < n; ++r) {
    const double v = speeds[used[r]].speedKmh;
    const double root = std::sqrt(weight[r]);
    x[r] = root;
    x[n + r] = root * v;
    x[2 * n + r] = root * v * v;
    y[r] = root * *speeds[used[r]].forceN;
  }
  const LeastSquaresSolution solution = SolveLeastSquares(x, y, n, 3);
  if (!solution.solved) {
    issues.push_back({IntervalIssueKind::FitFailed, 0, std::nullopt,
                      "the forces at the reference speeds do not determine f0, f1 and f2"});
    return fit;
  }
  fit.solved = true;
  std::copy(solution.beta.begin(), solution.beta.end(), fit.value.begin());
  for (ReferenceSpeedResult& speed : speeds)
    speed.fittedN = fit.value[0] + fit.value[1] * speed.speedKmh + fit.value[2] * speed.speedKmh * speed.speedKmh;

  // A = (XᵀWX)⁻¹XᵀW maps the forces to the coefficients.
  std::vector<double> a(3 * n, 0.0);
  for (std::size_t c = 0; c < 3; ++c)
    for (std::size_t r = 0; r < n; ++r) {
      const double v = speeds[used[r]].speedKmh;
      const double row[3] = {1.0, v, v * v};
      double sum = 0.0;
      for (std::size_t k = 0; k < 3; ++k) sum += solution.inverse[c * 3 + k] * row[k];
      a[c * n + r] = sum * weight[r];
    }
  // The averaging over each interval, mapped to the coefficients the same way.
  std::array<double, 3> bias{};
  bool biasKnown = true;
  for (std::size_t r = 0; r < n && biasKnown; ++r) {
    const double v = speeds[used[r]].speedKmh;
    const auto mean = HarmonicMeanOverInterval(fit.value, v, settings.halfWidthKmh);
    if (!mean) {
      biasKnown = false;
      break;
    }
    const double excess = *mean - (fit.value[0] + fit.value[1] * v + fit.value[2] * v * v);
    for (std::size_t c = 0; c < 3; ++c) bias[c] += a[c * n + r] * excess;
  }
  if (biasKnown) fit.averagingBias = bias;
  // The forces' covariance from the pairs: Cov(F_j, F_k) = n_jk·C_jk/(n_j·n_k).
  int leastPairs = std::numeric_limits<int>::max();
  std::vector<std::vector<std::optional<double>>> forces;
  for (const std::size_t j : used) {
    forces.push_back(PairForces(pairs, j, forceTimeProduct));
    leastPairs = std::min(leastPairs, speeds[j].pairs);
  }
  if (leastPairs < 2) {
    issues.push_back({IntervalIssueKind::IntervalOpen, 0, std::nullopt,
                      "a reference speed with a single pair leaves the scatter of its force, and so the intervals of "
                      "f0, f1 and f2, open"});
    return fit;
  }
  std::vector<double> sigma(n * n, 0.0);
  for (std::size_t r = 0; r < n; ++r)
    for (std::size_t s = r; s < n; ++s) {
      const auto [covariance, common] = CommonCovariance(forces[r], forces[s]);
      const double value = common < 2 ? 0.0
                                      : common * covariance /
                                            (static_cast<double>(speeds[used[r]].pairs) * speeds[used[s]].pairs);
      sigma[r * n + s] = value;
      sigma[s * n + r] = value;
    }
  std::array<double, 9> covariance{};
  for (std::size_t c = 0; c < 3; ++c)
    for (std::size_t d = 0; d < 3; ++d) {
      double sum = 0.0;
      for (std::size_t r = 0; r < n; ++r)
        for (std::size_t s = 0; s < n; ++s) sum += a[c * n + r] * sigma[r * n + s] * a[d * n + s];
      covariance[c * 3 + d] = sum;
    }
  fit.covariance = covariance;
  fit.degreesOfFreedom = leastPairs - 1;
  fit.studentT = StudentTQuantile(settings.confidence, *fit.degreesOfFreedom);
  if (covariance[0] < 0.0 || covariance[4] < 0.0 || covariance[8] < 0.0) {
    issues.push_back({IntervalIssueKind::IntervalOpen, 0, std::nullopt,
                      "the pairs counted at different reference speeds differ so much that the scatter of f0, f1 "
                      "and f2 cannot be formed"});
    return fit;
  }
  fit.halfWidth = std::array<double, 3>{*fit.studentT * std::sqrt(covariance[0]),
                                        *fit.studentT * std::sqrt(covariance[4]),
                                        *fit.studentT * std::sqrt(covariance[8])};
  return fit;
}
