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

std::vector<WindowIntegrals> IntegrateWindows(const std::vector<RunRecords>& runs, const ImpulseConditions& c,
                                     const YawPrior& prior, const WindowLayout& layout, const ReadingNoise& noise) {
  const double mass = c.massKg + c.rotatingMassKg;
  const double radiansPerDegree = kPi / 180.0;
  std::vector<WindowIntegrals> windows;
  for (std::size_t r = 0; r < runs.size(); ++r) {
    const RunRecords& run = runs[r];
    const std::size_t n = run.speed.size();
    // Each record's quantities once; the windows weigh them.
    std::vector<std::array<double, kQuantities>> q(n);
    // How each quantity moves with the wind reading and with the yaw reading.
    std::vector<std::array<double, kQuantities>> byWind(n);
    std::vector<std::array<double, kQuantities>> byYaw(n);
    std::vector<bool> outside(n, false);
    std::vector<bool> trackOutside(n, false);
    for (std::size_t i = 0; i < n; ++i) {
      const double v = run.speed[i];
      const double u2 = run.wind[i] * run.wind[i];
      const double yaw2 = run.yaw[i] * run.yaw[i];
      auto& a = q[i];
      a[kOne] = 1.0;
      a[kSpeed] = v;
      a[kSpeed2] = v * v;
      a[kDirection] = run.direction;
      a[kDirectionSpeed] = run.direction * v;
      a[kWind2] = u2;
      a[kWind2Yaw2] = u2 * yaw2;
      a[kWind2Yaw4] = u2 * yaw2 * yaw2;
      const double u = run.wind[i];
      const double yaw = run.yaw[i];
      auto& du = byWind[i];
      auto& dy = byYaw[i];
      du[kWind2] = 2.0 * u;
      du[kWind2Yaw2] = 2.0 * u * yaw2;
      dy[kWind2Yaw2] = 2.0 * u2 * yaw;
      du[kWind2Yaw4] = 2.0 * u * yaw2 * yaw2;
      dy[kWind2Yaw4] = 4.0 * u2 * yaw2 * yaw;
      if (c.yawCurve) {
        outside[i] = !c.yawCurve->Covers(yaw);
        a[kWind2Curve] = outside[i] ? 0.0 : u2 * c.yawCurve->Ratio(yaw);
        du[kWind2Curve] = outside[i] ? 0.0 : 2.0 * u * c.yawCurve->Ratio(yaw);
        dy[kWind2Curve] = outside[i] ? 0.0 : u2 * c.yawCurve->Slope(yaw);
      }
      // Without an anemometer: the air the run meets in the wind measured
      // beside the track, head-on part and cross part.
      double head = 0.0;
      double cross = 0.0;
      if (!c.trackWind.empty()) {
        const TrackWind& t = c.trackWind[r];
        head = run.direction * t.speed * std::cos(t.fromDeg * radiansPerDegree);
        cross = t.speed * std::sin(t.fromDeg * radiansPerDegree);
      }
      const double along = v + head;
      const double air2 = along * along + cross * cross;
      const double airYaw = std::atan2(cross, along) / radiansPerDegree;
      if (c.yawCurve) {
        trackOutside[i] = !c.yawCurve->Covers(airYaw);
        a[kTrackAir] = a[kTrackAirAlt] = trackOutside[i] ? 0.0 : air2 * c.yawCurve->Ratio(airYaw);
      } else {
        a[kTrackAir] = air2 * (1.0 + prior.k * airYaw * airYaw);
        a[kTrackAirAlt] = air2 * (1.0 + (prior.k + prior.kSd) * airYaw * airYaw);
      }
    }
    for (std::size_t first = 0; first + layout.samples < n; first += layout.step) {
      WindowIntegrals w;
      w.run = r;
      w.first = first;
      const double windVar = noise.windSd * noise.windSd;
      const double yawVar = noise.yawSd * noise.yawSd;
      for (std::size_t k = 0; k <= layout.samples; ++k) {
        const std::size_t i = first + k;
        w.impulse += layout.lhs[k] * run.speed[i];
        for (std::size_t j = 0; j < kQuantities; ++j) w.q[j] += layout.rhs[k] * q[i][j];
        // Readings' noise is independent from record to record.
        const double c2 = layout.rhs[k] * layout.rhs[k];
        for (std::size_t a = kWind2; a <= kWind2Curve; ++a) {
          for (std::size_t b = kWind2; b <= kWind2Curve; ++b) {
            w.noise[a * kQuantities + b] +=
                c2 * (byWind[i][a] * byWind[i][b] * windVar + byYaw[i][a] * byYaw[i][b] * yawVar);
          }
        }
        w.outsideCurve = w.outsideCurve || outside[i];
        w.trackOutsideCurve = w.trackOutsideCurve || trackOutside[i];
      }
      w.impulse *= mass;
      windows.push_back(w);
    }
  }
  return windows;
}

}  // namespace impulse
