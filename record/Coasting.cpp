// Telling coasting samples from the driving around a coast.
#include "record/Coasting.h"

#include <algorithm>
#include <cmath>

namespace record {

namespace {

constexpr double kStandstill = 2.0 / 3.6;  // m/s: below it the vehicle stands
constexpr double kMinDeparture = 0.25;     // m/s²: no coast departs less from itself by its noise

// The median of `values`, which it reorders.
double Median(std::vector<double>& values) {
  if (values.empty()) return 0.0;
  const auto mid = values.begin() + static_cast<std::ptrdiff_t>(values.size() / 2);
  std::nth_element(values.begin(), mid, values.end());
  return *mid;
}

// The DATA samples' own coast, deceleration d(v) = c0 + c2·v², fitted by
// least squares on the samples within three robust spreads of the fit
// before, so that braking and driving, however many samples they hold,
// do not pull it.
struct Coast {
  double c0 = 0.0, c2 = 0.0, spread = 0.0;
  double operator()(double v) const { return c0 + c2 * v * v; }
};

Coast FitCoast(const std::vector<const SampleRecord*>& samples) {
  // Each sample's speed, v² and deceleration side by side, and whether the
  // last fit kept it.
  const std::size_t n = samples.size();
  std::vector<double> v(n);
  std::vector<double> x(n);
  std::vector<double> d(n);
  for (std::size_t i = 0; i < n; ++i) {
    v[i] = samples[i]->speed;
    x[i] = v[i] * v[i];
    d[i] = samples[i]->deceleration;
  }
  std::vector<char> kept(n, 1);
  std::size_t keptCount = n;
  std::vector<double> residuals;
  residuals.reserve(n);
  std::vector<char> next(n, 0);
  Coast coast;
  for (int iteration = 0; iteration < 20 && keptCount >= 3; ++iteration) {
    double count = 0, sx = 0, sy = 0, sxx = 0, sxy = 0;
    for (std::size_t i = 0; i < n; ++i) {
      if (kept[i] == 0) continue;
      count += 1;
      sx += x[i];
      sy += d[i];
      sxx += x[i] * x[i];
      sxy += x[i] * d[i];
    }
    const double varX = sxx - sx * sx / count;
    coast.c2 = varX > 1e-12 * std::max(1.0, sxx) ? (sxy - sx * sy / count) / varX : 0.0;
    coast.c0 = (sy - coast.c2 * sx) / count;
    residuals.clear();
    for (std::size_t i = 0; i < n; ++i) {
      if (kept[i] != 0) residuals.push_back(std::fabs(d[i] - coast(v[i])));
    }
    coast.spread = std::max(1.4826 * Median(residuals), 0.005);
    // The samples within three spreads of this fit are the next fit's.
    bool changed = false;
    std::size_t nextCount = 0;
    for (std::size_t i = 0; i < n; ++i) {
      next[i] = std::fabs(d[i] - coast(v[i])) <= 3.0 * coast.spread ? 1 : 0;
      nextCount += static_cast<std::size_t>(next[i]);
      changed = changed || next[i] != kept[i];
    }
    if (!changed || nextCount < 3) break;
    kept.swap(next);
    keptCount = nextCount;
  }
  return coast;
}

}  // namespace

void MarkMotion(AnalysisRecord& record) {
  std::vector<SampleRecord*> data;
  for (SampleRecord& s : record.samples) {
    if (s.set != SetKind::Data || !std::isfinite(s.speed) || !std::isfinite(s.deceleration)) continue;
    s.motion = Motion::Coasting;
    data.push_back(&s);
  }
  // Standstill and driving first: a coast stands never and only slows
  // down, so neither tells anything of the coast.
  std::vector<const SampleRecord*> coasting;
  for (SampleRecord* s : data) {
    if (s->speed < kStandstill) {
      s->motion = Motion::Standstill;
    } else if (s->deceleration < -kMinDeparture) {
      s->motion = Motion::Rising;
    } else {
      coasting.push_back(s);
    }
  }
  if (coasting.size() < 3) return;
  const Coast coast = FitCoast(coasting);
  const double limit = std::max(kMinDeparture, 6.0 * coast.spread);
  for (SampleRecord* s : data) {
    if (s->motion != Motion::Coasting) continue;
    const double departure = s->deceleration - coast(s->speed);
    if (s->deceleration < -limit) {
      s->motion = Motion::Rising;
    } else if (departure > limit) {
      s->motion = Motion::Braking;
    } else if (departure < -limit) {
      // Slowing far less than the coast at that speed: driven to hold it.
      s->motion = Motion::Held;
    }
  }
}

std::vector<MotionSpan> NotCoasting(const AnalysisRecord& record) {
  std::vector<MotionSpan> spans;
  for (const SampleRecord& s : record.samples) {
    if (s.set != SetKind::Data || s.motion == Motion::Coasting) continue;
    if (!spans.empty() && spans.back().run == s.run && spans.back().motion == s.motion && spans.back().to + 1 == s.time) {
      spans.back().to = s.time;
    } else {
      spans.push_back({s.run, s.time, s.time, s.motion});
    }
  }
  return spans;
}

}  // namespace record
