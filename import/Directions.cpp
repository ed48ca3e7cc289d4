// Axial statistics of headings.
#include "Directions.h"

#include <cmath>

namespace importer {

namespace {

constexpr double kRadiansPerDegree = 3.141592653589793 / 180.0;

bool Counts(const Sample& s, double minSpeed) { return s.speed >= minSpeed && std::isfinite(s.heading); }

}  // namespace

TrackAxis AxisOf(const std::vector<Recording>& recordings, double minSpeed) {
  double c = 0.0;
  double s = 0.0;
  double n = 0.0;
  for (const Recording& r : recordings) {
    for (const Sample& sample : r.samples) {
      if (!Counts(sample, minSpeed)) continue;
      c += std::cos(2.0 * sample.heading * kRadiansPerDegree);
      s += std::sin(2.0 * sample.heading * kRadiansPerDegree);
      n += 1.0;
    }
  }
  TrackAxis axis;
  if (n == 0.0) return axis;
  axis.concentration = std::hypot(c, s) / n;
  axis.axisDeg = 0.5 * std::atan2(s, c) / kRadiansPerDegree;
  if (axis.axisDeg < 0.0) axis.axisDeg += 180.0;
  axis.straight = axis.concentration >= 0.8;
  return axis;
}

RunDirection DirectionOf(const Recording& recording, std::size_t first, std::size_t last, const TrackAxis& axis,
                         double minSpeed) {
  RunDirection d;
  double c = 0.0;
  double s = 0.0;
  double along = 0.0;
  double against = 0.0;
  for (std::size_t i = first; i <= last && i < recording.samples.size(); ++i) {
    const Sample& sample = recording.samples[i];
    if (!Counts(sample, minSpeed)) continue;
    c += std::cos(sample.heading * kRadiansPerDegree);
    s += std::sin(sample.heading * kRadiansPerDegree);
    (std::cos((sample.heading - axis.axisDeg) * kRadiansPerDegree) >= 0.0 ? along : against) += 1.0;
  }
  if (along + against == 0.0 || !axis.straight) return d;
  d.sign = along >= against ? 1 : -1;
  d.otherShare = std::min(along, against) / (along + against);
  d.headingDeg = std::atan2(s, c) / kRadiansPerDegree;
  if (d.headingDeg < 0.0) d.headingDeg += 360.0;
  return d;
}

}  // namespace importer
