// Window integrals and the noise of the readings.
#include "methods/ImpulseIntegrals.h"

#include <algorithm>
#include <cmath>

namespace impulse {

namespace {

constexpr double kPi = 3.141592653589793;

// The variance of white noise from the fourth differences of a record
// column: 70·σ² for white noise, and a smooth signal adds little. The median
// of their squares keeps a few wild readings from counting.
double FourthDifferenceVariance(const std::vector<RunRecords>& runs, const std::vector<double> RunRecords::*column) {
  std::vector<double> squares;
  for (const RunRecords& r : runs) {
    const std::vector<double>& x = r.*column;
    for (std::size_t i = 2; i + 2 < x.size(); ++i) {
      const double d = x[i - 2] - 4.0 * x[i - 1] + 6.0 * x[i] - 4.0 * x[i + 1] + x[i + 2];
      squares.push_back(d * d);
    }
  }
  if (squares.empty()) return 0.0;
  const auto middle = squares.begin() + static_cast<std::ptrdiff_t>(squares.size() / 2);
  std::nth_element(squares.begin(), middle, squares.end());
  // The median of a square of a normal variable is 0.4549 of its variance.
  return *middle / (70.0 * 0.45494);
}

}  // namespace

ReadingNoise EstimateReadingNoise(const std::vector<RunRecords>& runs) {
  return {std::sqrt(FourthDifferenceVariance(runs, &RunRecords::wind)),
          std::sqrt(FourthDifferenceVariance(runs, &RunRecords::yaw))};
}

namespace {

// Each record's quantities once (the windows weigh them), how they move with
// the wind and with the yaw reading, and whether its yaw (and that of the
// track's wind) lies beyond the yaw curve.
struct RecordQuantities {
  std::vector<std::array<double, kQuantities>> q, byWind, byYaw;
  std::vector<bool> outside, trackOutside;
};

RecordQuantities QuantitiesOf(const RunRecords& run, const ImpulseConditions& c, const YawPrior& prior,
                              const TrackWind* track) {
  const double radiansPerDegree = kPi / 180.0;
  const std::size_t n = run.speed.size();
  RecordQuantities out;
  out.q.resize(n);
  out.byWind.resize(n);
  out.byYaw.resize(n);
  out.outside.assign(n, false);
  out.trackOutside.assign(n, false);
  // Without an anemometer: the air the run meets in the wind measured
  // beside the track, head-on part and cross part.
  double head = 0.0;
  double cross = 0.0;
  if (track != nullptr) {
    head = run.direction * track->speed * std::cos(track->fromDeg * radiansPerDegree);
    cross = track->speed * std::sin(track->fromDeg * radiansPerDegree);
  }
  for (std::size_t i = 0; i < n; ++i) {
    const double v = run.speed[i];
    const double u = run.wind[i];
    const double yaw = run.yaw[i];
    const double u2 = u * u;
    const double yaw2 = yaw * yaw;
    auto& a = out.q[i];
    a[kOne] = 1.0;
    a[kSpeed] = v;
    a[kSpeed2] = v * v;
    a[kDirection] = run.direction;
    a[kDirectionSpeed] = run.direction * v;
    a[kWind2] = u2;
    a[kWind2Yaw2] = u2 * yaw2;
    a[kWind2Yaw4] = u2 * yaw2 * yaw2;
    auto& du = out.byWind[i];
    auto& dy = out.byYaw[i];
    du[kWind2] = 2.0 * u;
    du[kWind2Yaw2] = 2.0 * u * yaw2;
    dy[kWind2Yaw2] = 2.0 * u2 * yaw;
    du[kWind2Yaw4] = 2.0 * u * yaw2 * yaw2;
    dy[kWind2Yaw4] = 4.0 * u2 * yaw2 * yaw;
    if (c.yawCurve) {
      const bool beyond = !c.yawCurve->Covers(yaw);
      out.outside[i] = beyond;
      a[kWind2Curve] = beyond ? 0.0 : u2 * c.yawCurve->Ratio(yaw);
      du[kWind2Curve] = beyond ? 0.0 : 2.0 * u * c.yawCurve->Ratio(yaw);
      dy[kWind2Curve] = beyond ? 0.0 : u2 * c.yawCurve->Slope(yaw);
    }
    const double along = v + head;
    const double air2 = along * along + cross * cross;
    const double airYaw = cross == 0.0 && along >= 0.0 ? 0.0 : std::atan2(cross, along) / radiansPerDegree;
    if (c.yawCurve) {
      const bool beyond = !c.yawCurve->Covers(airYaw);
      out.trackOutside[i] = beyond;
      a[kTrackAir] = a[kTrackAirAlt] = beyond ? 0.0 : air2 * c.yawCurve->Ratio(airYaw);
    } else {
      a[kTrackAir] = air2 * (1.0 + prior.k * airYaw * airYaw);
      a[kTrackAirAlt] = air2 * (1.0 + (prior.k + prior.kSd) * airYaw * airYaw);
    }
  }
  return out;
}

}  // namespace

std::vector<WindowIntegrals> IntegrateWindows(const std::vector<RunRecords>& runs, const ImpulseConditions& c,
                                              const YawPrior& prior, const WindowLayout& layout,
                                              const ReadingNoise& noise) {
  const double mass = c.massKg + c.rotatingMassKg;
  std::vector<WindowIntegrals> windows;
  for (std::size_t r = 0; r < runs.size(); ++r) {
    const RunRecords& run = runs[r];
    const std::size_t n = run.speed.size();
    const RecordQuantities records = QuantitiesOf(run, c, prior, c.trackWind.empty() ? nullptr : &c.trackWind[r]);
    const auto& q = records.q;
    const auto& byWind = records.byWind;
    const auto& byYaw = records.byYaw;
    const auto& outside = records.outside;
    const auto& trackOutside = records.trackOutside;
    // What the readings' noise puts on each record's wind quantities, their
    // covariance (the upper triangle of kWind2 … kWind2Curve).
    constexpr std::size_t kNoisy = kWind2Curve - kWind2 + 1;
    constexpr std::size_t kNoisyPairs = 16;
    static_assert(kNoisyPairs == kNoisy * kNoisy);
    using NoisePairs = std::array<double, kNoisyPairs>;
    const double windVar = noise.windSd * noise.windSd;
    const double yawVar = noise.yawSd * noise.yawSd;
    std::vector<NoisePairs> recordNoise(n);
    for (std::size_t i = 0; i < n; ++i) {
      for (std::size_t a = 0; a < kNoisy; ++a) {
        for (std::size_t b = a; b < kNoisy; ++b) {
          recordNoise[i][a * kNoisy + b] = byWind[i][kWind2 + a] * byWind[i][kWind2 + b] * windVar +
                                           byYaw[i][kWind2 + a] * byYaw[i][kWind2 + b] * yawVar;
        }
      }
    }
    for (std::size_t first = 0; first + layout.samples < n; first += layout.step) {
      WindowIntegrals w;
      w.run = r;
      w.first = first;
      NoisePairs windowNoise{};
      for (std::size_t k = 0; k <= layout.samples; ++k) {
        const std::size_t i = first + k;
        w.impulse += layout.lhs[k] * run.speed[i];
        for (std::size_t j = 0; j < kQuantities; ++j) w.q[j] += layout.rhs[k] * q[i][j];
        // Readings' noise is independent from record to record.
        const double c2 = layout.rhs[k] * layout.rhs[k];
        const NoisePairs& recordPairs = recordNoise[i];
        for (std::size_t a = 0; a < windowNoise.size(); ++a) windowNoise[a] += c2 * recordPairs[a];
        w.outsideCurve = w.outsideCurve || outside[i];
        w.trackOutsideCurve = w.trackOutsideCurve || trackOutside[i];
      }
      for (std::size_t a = 0; a < kNoisy; ++a) {
        for (std::size_t b = a; b < kNoisy; ++b) {
          w.noise[(kWind2 + a) * kQuantities + kWind2 + b] = windowNoise[a * kNoisy + b];
          w.noise[(kWind2 + b) * kQuantities + kWind2 + a] = windowNoise[a * kNoisy + b];
        }
      }
      w.impulse *= mass;
      windows.push_back(w);
    }
  }
  return windows;
}

std::vector<std::array<double, kQuantities>> WindowSlopes(const std::vector<RunRecords>& runs,
                                                         const ImpulseConditions& c, const YawPrior& prior,
                                                         const WindowLayout& layout,
                                                         const std::vector<WindowIntegrals>& windows,
                                                         const std::vector<std::vector<double>>& windSlope,
                                                         const std::vector<std::vector<double>>& yawSlope) {
  std::vector<std::array<double, kQuantities>> slopes(windows.size());
  std::size_t r = runs.size();
  RecordQuantities records;
  for (std::size_t k = 0; k < windows.size(); ++k) {
    const WindowIntegrals& w = windows[k];
    if (w.run != r) {
      r = w.run;
      records = QuantitiesOf(runs[r], c, prior, c.trackWind.empty() ? nullptr : &c.trackWind[r]);
    }
    for (std::size_t m = 0; m <= layout.samples; ++m) {
      const std::size_t i = w.first + m;
      for (std::size_t j = kWind2; j <= kWind2Curve; ++j) {
        slopes[k][j] += layout.rhs[m] * (records.byWind[i][j] * windSlope[r][i] + records.byYaw[i][j] * yawSlope[r][i]);
      }
    }
  }
  return slopes;
}

}  // namespace impulse
