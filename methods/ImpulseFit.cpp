// The impulse method as a whole: the checks of its input, the windows and
// the model the test supports (with or without an anemometer, a yaw curve,
// a known Cd, the wind beside the track), each window weighed by its
// spread, and the result with what the data left open.
#include "methods/ImpulseFit.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <limits>

#include "common/LeastSquares.h"
#include "common/RuntimeError.h"
#include "methods/ImpulseEstimator.h"
#include "methods/ImpulseIntegrals.h"

namespace impulse {
namespace {

constexpr double kPi = 3.141592653589793;
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
// The record's warning on the two V² terms: beyond this correlation the fit
// cannot tell them apart.
constexpr double kInseparableCorrelation = 0.99;
// The largest share of the V² term taken to be mechanical when the wind
// beside the track corrects a test without an anemometer.
constexpr double kMechanicalShare = 0.2;
// Below this root mean square of the true wind (m/s, about 1 mph) a test
// whose wind gives the aerodynamic term nothing of its own is one in still
// air: the total road load then holds a0·w² of at most a0·0.25 m²/s².
constexpr double kStillAir = 0.5;

std::string NumberText(double value, int decimals) {
  char text[64];
  const auto end = std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, decimals).ptr;
  return std::string(text, end);
}

// The 95th percentile of |yaw| over the records the used windows cover, and
// whether any of them has a yaw at all.
double YawPercentile95(const std::vector<RunRecords>& runs, const std::vector<const WindowIntegrals*>& rows,
                       std::size_t samples, bool& anyYaw) {
  std::vector<std::vector<bool>> covered(runs.size());
  for (std::size_t r = 0; r < runs.size(); ++r) covered[r].assign(runs[r].yaw.size(), false);
  for (const WindowIntegrals* w : rows) {
    for (std::size_t i = w->first; i <= w->first + samples; ++i) covered[w->run][i] = true;
  }
  std::vector<double> yaws;
  for (std::size_t r = 0; r < runs.size(); ++r) {
    for (std::size_t i = 0; i < covered[r].size(); ++i) {
      if (covered[r][i]) yaws.push_back(std::fabs(runs[r].yaw[i]));
    }
  }
  anyYaw = std::any_of(yaws.begin(), yaws.end(), [](double y) { return y != 0.0; });
  if (yaws.empty()) return 0.0;
  const std::size_t at = std::min(yaws.size() - 1, static_cast<std::size_t>(std::ceil(0.95 * yaws.size())) - 1);
  std::nth_element(yaws.begin(), yaws.begin() + static_cast<std::ptrdiff_t>(at), yaws.end());
  return yaws[at];
}

// The root mean square of the true wind (relative air less the vehicle's
// own speed, along and across) over the records the used windows cover.
double TrueWindRms(const std::vector<RunRecords>& runs, const std::vector<const WindowIntegrals*>& rows,
                   std::size_t samples) {
  double sum = 0.0;
  std::size_t count = 0;
  for (const WindowIntegrals* w : rows) {
    const RunRecords& r = runs[w->run];
    for (std::size_t i = w->first; i <= w->first + samples; ++i) {
      const double yaw = r.yaw[i] * kPi / 180.0;
      const double along = r.wind[i] * std::cos(yaw) - r.speed[i];
      const double across = r.wind[i] * std::sin(yaw);
      sum += along * along + across * across;
      ++count;
    }
  }
  return count > 0 ? std::sqrt(sum / static_cast<double>(count)) : 0.0;
}

void CheckInput(const std::vector<RunRecords>& runs, const ImpulseConditions& c) {
  const auto refuse = [](const std::string& what) { Raise(ErrorNumber::InvalidProcedureCall, what); };
  if (!(c.massKg > 0.0) || !(c.rotatingMassKg >= 0.0) || !(c.airDensity > 0.0) || !(c.areaM2 > 0.0)) {
    refuse("the impulse method needs a mass, an air density and an area above 0");
  }
  if (c.knownCd && !(*c.knownCd > 0.0 && std::isfinite(*c.knownCd))) refuse("the known Cd must be above 0");
  if (!c.trackWind.empty() && c.trackWind.size() != runs.size()) {
    refuse("the wind beside the track must be given for every DATA run");
  }
  for (const RunRecords& r : runs) {
    if (r.speed.size() != r.wind.size() || r.speed.size() != r.yaw.size()) {
      refuse("DATA." + std::to_string(r.run) + " has columns of different lengths");
    }
    if (!(r.rateHz > 0.0) || r.rateHz != runs.front().rateHz) refuse("every DATA run must have the same rate above 0");
    for (std::size_t i = 0; i < r.speed.size(); ++i) {
      if (!std::isfinite(r.speed[i]) || !std::isfinite(r.wind[i]) || !std::isfinite(r.yaw[i])) {
        refuse("DATA." + std::to_string(r.run) + " holds a record that is not a number");
      }
    }
  }
}

const char* kUnitForce = "N";
const char* kUnitLinear = "N/(m/s)";
const char* kUnitSquare = "N/(m/s)^2";

}  // namespace
}  // namespace impulse

const ImpulseCoefficient* ImpulseResult::Find(const std::string& name) const {
  for (const ImpulseCoefficient& c : coefficients) {
    if (c.name == name) return &c;
  }
  return nullptr;
}

ImpulseRoadLoad ImpulseResult::RoadLoadAt(double speed) const {
  ImpulseRoadLoad load;
  load.speed = speed;
  const std::size_t p = coefficients.size();
  std::vector<double> g(p, 0.0);
  for (std::size_t j = 0; j < p; ++j) {
    if (coefficients[j].speedPower >= 0) g[j] = std::pow(speed, coefficients[j].speedPower);
    load.force += g[j] * coefficients[j].value;
  }
  double variance = 0.0;
  for (std::size_t i = 0; i < p; ++i) {
    for (std::size_t j = 0; j < p; ++j) variance += g[i] * covariance[i * p + j] * g[j];
  }
  load.standardError = std::sqrt(std::max(variance, 0.0));
  load.low95 = load.force - t95 * load.standardError;
  load.high95 = load.force + t95 * load.standardError;
  return load;
}

namespace impulse {
namespace {

// The spread of a window's residual grows with the air it meets: the
// anemometer's noise δVr enters the drag as 2·a0·Vr·δVr, while the speed
// sensor's noise and the road's are the same at every speed. So the
// residual variance is modelled as θ0 + θ1·z with z the window's mean
// squared air speed, fitted to the squared residuals.
struct RowSpread {
  double constant = 1.0;        // θ0
  double perSquareSpeed = 0.0;  // θ1
};

RowSpread FitRowSpread(const std::vector<double>& residuals, const std::vector<double>& z) {
  const double n = static_cast<double>(residuals.size());
  double sz = 0.0;
  double szz = 0.0;
  double se = 0.0;
  double sze = 0.0;
  for (std::size_t i = 0; i < residuals.size(); ++i) {
    const double e2 = residuals[i] * residuals[i];
    sz += z[i];
    szz += z[i] * z[i];
    se += e2;
    sze += z[i] * e2;
  }
  RowSpread s;
  const double mean = se / n;
  const double det = n * szz - sz * sz;
  s.perSquareSpeed = det > 0.0 ? (n * sze - sz * se) / det : 0.0;
  s.constant = (se - s.perSquareSpeed * sz) / n;
  // Never a spread that falls with speed, and never one near 0 at the
  // slowest window: a twentieth of the mean at least.
  if (s.perSquareSpeed < 0.0) {
    s.perSquareSpeed = 0.0;
    s.constant = mean;
  }
  if (s.constant < 0.05 * mean) {
    s.constant = 0.05 * mean;
    s.perSquareSpeed = sz > 0.0 ? (mean - s.constant) * n / sz : 0.0;
  }
  if (!(s.constant > 0.0)) s.constant = 1.0;
  return s;
}

// The columns of the road-load model, what moves into the impulse, and
// where a0 is.
struct Model {
  std::vector<Column> columns;
  std::vector<std::pair<Quantity, double>> offsets;
  std::optional<std::size_t> a0Column;
  Quantity airSquared = kWind2;  // the mean squared air speed of a window, for its spread
};

Model ChooseModel(bool aerodynamic, const ImpulseConditions& c, std::optional<double> heldA0, int yawTerms,
                  bool bothDirections) {
  Model m;
  if (aerodynamic) {
    m.columns = {{"m0", kUnitForce, 0, kOne}, {"m1", kUnitLinear, 1, kSpeed}, {"m2", kUnitSquare, 2, kSpeed2}};
    const Quantity aero = c.yawCurve ? kWind2Curve : kWind2;
    if (heldA0) {
      m.offsets.emplace_back(aero, *heldA0);
    } else {
      m.a0Column = m.columns.size();
      m.columns.push_back({"a0", kUnitSquare, 2, aero});
    }
    if (yawTerms >= 1) m.columns.push_back({"a2", "N/(m/s)^2/deg^2", -1, kWind2Yaw2, kOne, 0.0, Prior::Yaw2});
    if (yawTerms >= 2) m.columns.push_back({"a4", "N/(m/s)^2/deg^4", -1, kWind2Yaw4, kOne, 0.0, Prior::Yaw4});
    m.airSquared = kWind2;
    return m;
  }
  // The whole V² term goes with the air the runs meet; with a known Cd its
  // part is known and only the mechanical V² term is fitted. Without an
  // anemometer the wind along the track slows one direction more than the
  // other (2·a0·w·v) and a grade pushes one way: two terms that change sign
  // with the direction take that up, as averaging the two directions' own
  // fits would, and are not part of the road load.
  m.columns = {{"f0", kUnitForce, 0, kOne}, {"f1", kUnitLinear, 1, kSpeed}};
  if (heldA0) {
    m.offsets.emplace_back(kTrackAir, *heldA0);
    m.columns.push_back({"f2", kUnitSquare, 2, kSpeed2});
  } else {
    m.columns.push_back({"f2", kUnitSquare, 2, kTrackAir});
  }
  if (bothDirections) {
    m.columns.push_back({"d0", kUnitForce, -1, kDirection});
    m.columns.push_back({"d1", kUnitLinear, -1, kDirectionSpeed});
  }
  m.airSquared = kSpeed2;
  return m;
}

struct WeightedEstimate {
  Estimate estimate;
  std::vector<double> scale;  // each row's modelled spread
  RowSpread spread;
  Design design;  // unweighted
};

// An unweighted fit, then two with every row divided by the spread that
// the previous fit's residuals give it, so that the windows of little spread
// count for more and the covariance sees rows of equal spread.
WeightedEstimate FitWeighted(const std::vector<const WindowIntegrals*>& used, const Model& model,
                             std::optional<double> heldA0, const YawPrior& prior, const PriorScale& priorScale,
                             std::size_t lag, bool weightRows, bool hatCorrected) {
  WeightedEstimate w;
  w.design = MakeDesign(used, model.columns, model.offsets);
  w.scale.assign(w.design.n, 1.0);
  w.estimate = Fit(w.design, model.columns, model.a0Column, heldA0, prior, priorScale, lag, hatCorrected);
  if (!weightRows || !w.estimate.solved) return w;
  std::vector<double> z(w.design.n);
  for (std::size_t i = 0; i < w.design.n; ++i) z[i] = used[i]->q[model.airSquared] / used[i]->q[kOne];
  for (int pass = 0; pass < 2; ++pass) {
    std::vector<double> residuals(w.design.n);
    for (std::size_t i = 0; i < w.design.n; ++i) residuals[i] = w.estimate.residuals[i] * w.scale[i];
    w.spread = FitRowSpread(residuals, z);
    for (std::size_t i = 0; i < w.design.n; ++i) {
      w.scale[i] = std::sqrt(w.spread.constant + w.spread.perSquareSpeed * z[i]);
    }
    const Estimate next =
        Fit(Weighted(w.design, w.scale), model.columns, model.a0Column, heldA0, prior, priorScale, lag, hatCorrected);
    if (!next.solved) break;
    w.estimate = next;
  }
  return w;
}

// The median duration of the runs, s.
double MedianRunSeconds(const std::vector<RunRecords>& runs) {
  std::vector<double> seconds;
  seconds.reserve(runs.size());
  for (const RunRecords& r : runs) seconds.push_back(static_cast<double>(r.speed.size()) / r.rateHz);
  if (seconds.empty()) return 0.0;
  std::nth_element(seconds.begin(), seconds.begin() + static_cast<std::ptrdiff_t>(seconds.size() / 2), seconds.end());
  return seconds[seconds.size() / 2];
}

// The slope of the fitted coefficients (in the model's order) per unit of
// `input`: each record's wind and yaw move with it as the input's own rule
// says (its slope taken over ± its step), the windows' integrals move with
// them to first order, and the windows are refitted holding their spread,
// their correlation and the readings' noise. Empty when a refit fails.
std::vector<double> InputSlope(const std::vector<RunRecords>& runs, const ImpulseConditions& conditions,
                               const ImpulseOptions& options, const WindowLayout& layout,
                               const std::vector<WindowIntegrals>& windows,
                               const std::vector<const WindowIntegrals*>& used, const Model& model,
                               std::optional<double> held, const PriorScale& priorScale, std::size_t lag,
                               const WeightedEstimate& fit, const RecordInput& input) {
  const double h = input.step;
  std::vector<std::vector<double>> windSlope(runs.size());
  std::vector<std::vector<double>> yawSlope(runs.size());
  for (std::size_t r = 0; r < runs.size(); ++r) {
    const std::size_t n = runs[r].wind.size();
    windSlope[r].resize(n);
    yawSlope[r].resize(n);
    for (std::size_t i = 0; i < n; ++i) {
      double windUp = runs[r].wind[i];
      double yawUp = runs[r].yaw[i];
      double windDown = windUp;
      double yawDown = yawUp;
      input.move(windUp, yawUp, h);
      input.move(windDown, yawDown, -h);
      windSlope[r][i] = (windUp - windDown) / (2.0 * h);
      yawSlope[r][i] = (yawUp - yawDown) / (2.0 * h);
    }
  }
  const std::vector<std::array<double, kQuantities>> slopes =
      WindowSlopes(runs, conditions, options.prior, layout, windows, windSlope, yawSlope);
  std::array<std::vector<double>, 2> beta;
  for (std::size_t side = 0; side < 2; ++side) {
    const double delta = side == 0 ? h : -h;
    std::vector<WindowIntegrals> moved;
    moved.reserve(used.size());
    for (const WindowIntegrals* w : used) {
      WindowIntegrals m = *w;
      const std::array<double, kQuantities>& slope = slopes[static_cast<std::size_t>(w - windows.data())];
      for (std::size_t j = 0; j < kQuantities; ++j) m.q[j] += delta * slope[j];
      moved.push_back(m);
    }
    std::vector<const WindowIntegrals*> rows;
    rows.reserve(moved.size());
    for (const WindowIntegrals& m : moved) rows.push_back(&m);
    const Estimate refit = Fit(Weighted(MakeDesign(rows, model.columns, model.offsets), fit.scale), model.columns,
                               model.a0Column, held, options.prior, priorScale, lag, options.unbiasedAutocovariance,
                               &fit.estimate.acv);
    if (!refit.solved) return {};
    beta[side] = refit.beta;
  }
  std::vector<double> slope(beta[0].size());
  for (std::size_t j = 0; j < slope.size(); ++j) slope[j] = (beta[0][j] - beta[1][j]) / (2.0 * h);
  return slope;
}

ImpulseCoefficient HeldA0(double value) {
  ImpulseCoefficient a0;
  a0.name = "a0";
  a0.unit = kUnitSquare;
  a0.value = a0.low95 = a0.high95 = value;
  a0.held = true;
  a0.speedPower = 2;
  return a0;
}

}  // namespace
}  // namespace impulse

ImpulseResult FitImpulse(const std::vector<RunRecords>& runs, const ImpulseConditions& conditions,
                         const ImpulseOptions& options) {
  using namespace impulse;  // the method's own building blocks
  CheckInput(runs, conditions);
  ImpulseResult result;
  // Every run holds three windows at least: shorter ones where the runs are short.
  const double rate = runs.empty() ? 5.0 : runs.front().rateHz;
  const double length = std::max(std::min(options.windowS, MedianRunSeconds(runs) / 3.0), 2.0 / rate);
  result.layout = MakeWindowLayout(options.shape, length, options.overlap, rate);
  const std::size_t lag = options.independentWindows ? 0 : result.layout.CorrelationLag();
  // Without an anemometer nothing is read from the wind columns.
  const ReadingNoise noise = conditions.anemometer ? EstimateReadingNoise(runs) : ReadingNoise{};
  result.windNoiseSd = noise.windSd;
  result.yawNoiseSd = noise.yawSd;
  const std::vector<WindowIntegrals> windows = IntegrateWindows(runs, conditions, options.prior, result.layout, noise);
  const double dynamicArea = 0.5 * conditions.airDensity * conditions.areaM2;  // a0 per unit Cd
  // A known Cd holds a0 (g++ cannot follow an optional through this
  // function, so a flag and a value).
  const bool a0Held = conditions.knownCd.has_value();
  const double heldA0 = a0Held ? *conditions.knownCd * dynamicArea : 0.0;
  const std::optional<double> held = a0Held ? std::optional<double>(heldA0) : std::nullopt;
  const PriorScale priorScale{0.15 * dynamicArea, 1.5 * dynamicArea};

  // Windows that leave the speed window, when one is set, are not fitted.
  std::vector<bool> outsideWindow(windows.size(), false);
  if (conditions.speedWindow) {
    for (std::size_t k = 0; k < windows.size(); ++k) {
      const std::vector<double>& speed = runs[windows[k].run].speed;
      for (std::size_t i = windows[k].first; i <= windows[k].first + result.layout.samples; ++i) {
        if (speed[i] < conditions.speedWindow->first || speed[i] > conditions.speedWindow->second) {
          outsideWindow[k] = true;
          break;
        }
      }
    }
  }
  const auto beyondCurve = [&](const WindowIntegrals& w) {
    return result.model == ImpulseModel::Aerodynamic ? w.outsideCurve : w.trackOutsideCurve;
  };

  result.model = conditions.anemometer ? ImpulseModel::Aerodynamic : ImpulseModel::TotalRoadLoad;
  Model model;
  WeightedEstimate fit;
  std::vector<const WindowIntegrals*> used;
  for (;;) {
    const bool aerodynamic = result.model == ImpulseModel::Aerodynamic;
    used.clear();
    for (std::size_t k = 0; k < windows.size(); ++k) {
      if (!outsideWindow[k] && !beyondCurve(windows[k])) used.push_back(&windows[k]);
    }
    result.yawTerms = 0;
    if (aerodynamic) {
      bool anyYaw = false;
      result.yawP95Deg = YawPercentile95(runs, used, result.layout.samples, anyYaw);
      // No yaw term where the yaw column holds nothing but 0.
      if (!conditions.yawCurve && anyYaw) result.yawTerms = result.yawP95Deg > options.prior.quarticFromDeg ? 2 : 1;
    }
    const bool bothDirections =
        std::any_of(used.begin(), used.end(), [&](const WindowIntegrals* w) { return runs[w->run].direction > 0; }) &&
        std::any_of(used.begin(), used.end(), [&](const WindowIntegrals* w) { return runs[w->run].direction < 0; });
    model = ChooseModel(aerodynamic, conditions, held, result.yawTerms, bothDirections);
    if (used.size() <= model.columns.size()) {
      result.whyNot = "too few windows: " + std::to_string(used.size()) + " for " +
                      std::to_string(model.columns.size()) + " coefficients";
      result.windowsUsed = used.size();
      return result;
    }
    fit = FitWeighted(used, model, held, options.prior, priorScale, lag, options.weightRows,
                      options.unbiasedAutocovariance);
    if (fit.estimate.solved) break;
    // The relative wind gives the aerodynamic term nothing the mechanical
    // terms do not. In still air (or with a copy of the speed) the total
    // road load is left; in a wind that is a function of the speed alone (a
    // steady wind straight across) not even that, since the wind's part of
    // the constant term cannot be told from the rolling resistance.
    if (aerodynamic && model.a0Column && fit.estimate.failedColumn == *model.a0Column &&
        TrueWindRms(runs, used, result.layout.samples) > kStillAir) {
      result.whyNot =
          "the aerodynamic term cannot be told from the mechanical terms: the relative wind is a function of the "
          "speed alone (a steady wind straight across the track); give CD";
      return result;
    }
    if (aerodynamic && model.a0Column && fit.estimate.failedColumn == *model.a0Column) {
      result.notes.push_back(
          "the relative wind moves with the vehicle speed alone, so the aerodynamic term cannot be separated: "
          "the total road load f0 + f1*v + f2*v^2 is fitted");
      result.model = ImpulseModel::TotalRoadLoad;
      continue;
    }
    result.whyNot = "the windows leave the " + model.columns[fit.estimate.failedColumn].name + " term undetermined";
    return result;
  }
  Estimate& estimate = fit.estimate;
  const std::size_t fitted = model.columns.size();
  result.degreesOfFreedom = static_cast<double>(fit.design.n - fitted);

  // The yaw growth of the track's wind rests on the prior's k: what its
  // spread does to the result joins the covariance.
  if (result.model == ImpulseModel::TotalRoadLoad && !conditions.trackWind.empty() && !conditions.yawCurve) {
    Model shifted = model;
    for (auto& offset : shifted.offsets) offset.first = offset.first == kTrackAir ? kTrackAirAlt : offset.first;
    for (Column& c : shifted.columns) c.quantity = c.quantity == kTrackAir ? kTrackAirAlt : c.quantity;
    const Estimate other = Fit(Weighted(MakeDesign(used, shifted.columns, shifted.offsets), fit.scale),
                               shifted.columns, std::nullopt, held, options.prior, priorScale, lag,
                               options.unbiasedAutocovariance);
    if (other.solved) {
      for (std::size_t i = 0; i < fitted; ++i) {
        for (std::size_t j = 0; j < fitted; ++j) {
          estimate.covariance[i * fitted + j] += (other.beta[i] - estimate.beta[i]) * (other.beta[j] - estimate.beta[j]);
        }
      }
    }
  }

  // The correction for the wind beside the track gives the whole V² term
  // to the air, though a part of it is mechanical (tyres), and takes that
  // part's share of the wind's effect out of f0 too. The share is not known
  // without an anemometer; taken as anywhere from none to a fifth of the V²
  // term (a judgement: the simulator's car has a tenth, its truck 6 %), f0
  // gets back half of the most it can be, with the standard uncertainty of
  // that range: 0.2/√12 of f2 times the mean extra square of air speed.
  if (result.model == ImpulseModel::TotalRoadLoad && !conditions.trackWind.empty() && !a0Held) {
    // The extra square of air speed that does not change sign with the
    // direction (2·h·v does, and d1 takes it).
    double extra = 0.0;
    for (const WindowIntegrals* w : used) {
      const TrackWind& t = conditions.trackWind[w->run];
      const double head = runs[w->run].direction * t.speed * std::cos(t.fromDeg * kPi / 180.0);
      extra += (w->q[kTrackAir] - w->q[kSpeed2] - 2.0 * head * w->q[kSpeed]) / w->q[kOne];
    }
    extra /= static_cast<double>(used.size());
    estimate.beta[0] += 0.5 * kMechanicalShare * estimate.beta[2] * extra;
    const double sd = kMechanicalShare / std::sqrt(12.0) * estimate.beta[2] * extra;
    estimate.covariance[0] += sd * sd;
  }

  // Windows and their status.
  const double a0Offset = result.model == ImpulseModel::TotalRoadLoad ? heldA0 : 0.0;  // in f2
  double sumSquares = 0.0;
  for (std::size_t k = 0; k < windows.size(); ++k) {
    const WindowIntegrals& w = windows[k];
    ImpulseWindowResult out;
    out.run = runs[w.run].run;
    out.startS = static_cast<double>(w.first) / result.layout.rateHz;
    out.endS = static_cast<double>(w.first + result.layout.samples) / result.layout.rateHz;
    const bool outside = outsideWindow[k] || beyondCurve(w);
    out.status = outsideWindow[k] ? WindowStatus::OutsideSpeedWindow
                 : outside        ? WindowStatus::YawOutsideCurve
                                  : WindowStatus::Used;
    if (out.status == WindowStatus::OutsideSpeedWindow) ++result.windowsOutsideSpeedWindow;
    if (out.status == WindowStatus::YawOutsideCurve) ++result.windowsOutsideCurve;
    out.impulseNs = w.impulse;
    out.fittedNs = kNaN;
    if (!outside) {
      double f = 0.0;
      for (const auto& [quantity, factor] : model.offsets) f += factor * w.q[quantity];
      for (std::size_t j = 0; j < fitted; ++j) f += estimate.beta[j] * ColumnValue(model.columns[j], w);
      out.fittedNs = f;
      sumSquares += (w.impulse - f) * (w.impulse - f);
    }
    result.windows.push_back(out);
  }
  result.windowsUsed = used.size();
  result.t95 = StudentTQuantile(0.95, result.degreesOfFreedom);
  result.residualAutocovariance = estimate.acv;
  result.residualSd = std::sqrt(sumSquares / result.degreesOfFreedom);
  result.spreadConstant = fit.spread.constant;
  result.spreadPerSquareSpeed = fit.spread.perSquareSpeed;

  // The coefficients in the order m0 m1 m2 a0 a2 a4 (f0 f1 f2), a held a0 in
  // its place with no spread.
  std::vector<std::size_t> place(fitted);
  for (std::size_t j = 0; j < fitted; ++j) {
    if (result.model == ImpulseModel::Aerodynamic && a0Held && j == 3) result.coefficients.push_back(HeldA0(heldA0));
    const Column& c = model.columns[j];
    ImpulseCoefficient out;
    out.name = c.name;
    out.unit = c.unit;
    out.speedPower = c.speedPower;
    out.value = estimate.beta[j] + (c.name == "f2" ? a0Offset : 0.0);
    out.standardError = std::sqrt(std::max(estimate.covariance[j * fitted + j], 0.0));
    out.low95 = out.value - result.t95 * out.standardError;
    out.high95 = out.value + result.t95 * out.standardError;
    for (const PriorRow& r : estimate.priors) {
      if (r.column == j) {
        out.priorMean = r.mean;
        out.priorSd = r.sd;
        out.priorShare = estimate.covariance[j * fitted + j] / (r.sd * r.sd);
      }
    }
    place[j] = result.coefficients.size();
    result.coefficients.push_back(out);
  }
  if (result.model == ImpulseModel::Aerodynamic && a0Held && fitted == 3) result.coefficients.push_back(HeldA0(heldA0));
  const std::size_t p = result.coefficients.size();
  for (const RecordInput& input : conditions.inputs) {
    ImpulseInputSensitivity s;
    s.name = input.name;
    s.slope.assign(p, 0.0);
    const std::vector<double> slope =
        InputSlope(runs, conditions, options, result.layout, windows, used, model, held, priorScale, lag, fit, input);
    for (std::size_t j = 0; j < fitted; ++j) s.slope[place[j]] = slope.empty() ? kNaN : slope[j];
    result.inputs.push_back(s);
  }
  result.covariance.assign(p * p, 0.0);
  for (std::size_t i = 0; i < fitted; ++i) {
    for (std::size_t j = 0; j < fitted; ++j) {
      result.covariance[place[i] * p + place[j]] = estimate.covariance[i * fitted + j];
    }
  }

  // Cd, and whether the data separate the two V² terms.
  result.correlationM2A0 = kNaN;
  if (const ImpulseCoefficient* a0 = result.Find("a0")) {
    result.cdDetermined = true;
    result.cd = a0->value / dynamicArea;
    result.cdStandardError = a0->standardError / dynamicArea;
    result.cdLow95 = a0->low95 / dynamicArea;
    result.cdHigh95 = a0->high95 / dynamicArea;
    if (!a0->held) {
      const std::size_t i = static_cast<std::size_t>(result.Find("m2") - result.coefficients.data());
      const std::size_t j = static_cast<std::size_t>(a0 - result.coefficients.data());
      result.correlationM2A0 =
          result.covariance[i * p + j] / std::sqrt(result.covariance[i * p + i] * result.covariance[j * p + j]);
      result.aeroMechanicalInseparable = std::fabs(result.correlationM2A0) > kInseparableCorrelation;
      result.aeroLeftOpen = a0->low95 <= 0.0 && a0->high95 >= 0.0;
    }
  } else if (a0Held) {
    result.cdDetermined = true;
    result.cd = result.cdLow95 = result.cdHigh95 = *conditions.knownCd;
  }

  if (result.model == ImpulseModel::TotalRoadLoad) {
    if (!a0Held) {
      result.notes.push_back(
          "Cd is not determined: without the wind at the vehicle it cannot be told from the mechanical V^2 term "
          "unless the CD field gives it; f0, f1, f2 and the road load are");
    }
    if (!conditions.anemometer && conditions.trackWind.empty()) {
      result.notes.push_back(
          "a steady wind along the track that the runs do not cancel raises f0 by about f2*w^2 (w the wind); "
          "--track-wind gives the wind measured beside the track to correct it");
    }
  }
  if (result.aeroMechanicalInseparable) {
    result.notes.push_back("the mechanical V^2 term and the aerodynamic term cannot be told apart (correlation " +
                           NumberText(result.correlationM2A0, 4) +
                           "): still air or a steady wind straight across the track; m2, a0 and Cd are not "
                           "determined, the still-air road load is; give the drag coefficient in the CD field to "
                           "hold the aerodynamic term");
  } else if (result.aeroLeftOpen) {
    result.notes.push_back("the data leave the aerodynamic term open: its 95 % interval holds 0");
  }
  if (result.windowsOutsideSpeedWindow > 0) {
    result.notes.push_back(std::to_string(result.windowsOutsideSpeedWindow) +
                           " windows reach a speed outside the speed window (--limit-data) and are left out");
  }
  if (result.windowsOutsideCurve > 0) {
    result.notes.push_back(std::to_string(result.windowsOutsideCurve) +
                           " windows meet a yaw beyond the yaw curve's table (" +
                           NumberText(conditions.yawCurve->LowestYaw(), 1) + " to " +
                           NumberText(conditions.yawCurve->HighestYaw(), 1) + " deg) and are left out");
  }
  result.solved = true;
  return result;
}
