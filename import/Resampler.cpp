// Averaging over run-file intervals by integrating the logger's signal.
#include "Resampler.h"

#include <algorithm>
#include <cmath>

namespace importer {

std::vector<RunRecord> Resample(const std::vector<Sample>& samples, std::size_t first, std::size_t last,
                                double interval) {
  std::vector<RunRecord> records;
  if (first > last || last >= samples.size()) return records;
  const double t0 = samples[first].time;
  // Where record i's interval ends, from t0.
  auto endOf = [&](std::size_t i) {
    if (i + 1 < samples.size() && samples[i + 1].time - samples[i].time <= 1.5 * interval) {
      return samples[i + 1].time - t0;
    }
    if (i < last) return samples[i + 1].time - t0;  // a gap within the kept records
    return samples[i].time - t0 + interval;
  };
  const double span = endOf(last);
  // Boundaries within a millionth of an interval of each other are the
  // same: a 5 Hz logger's times are 0.2·k only to rounding.
  const double tolerance = 1e-6 * kRunFileInterval;
  const auto count = static_cast<std::size_t>(std::floor(span / kRunFileInterval + 1e-6));
  records.reserve(count);
  std::size_t i = first;
  for (std::size_t k = 0; k < count; ++k) {
    const double from = static_cast<double>(k) * kRunFileInterval;
    const double to = from + kRunFileInterval;
    double covered = 0.0;
    RunRecord sum{0.0, 0.0, 0.0};
    while (i <= last && endOf(i) <= from + tolerance) ++i;
    for (std::size_t j = i; j <= last; ++j) {
      const double start = samples[j].time - t0;
      if (start >= to - tolerance) break;
      const double end = endOf(j);
      const double a = std::max(start, from);
      const double b = std::min(end, to);
      if (b - a <= tolerance) continue;
      const bool gap = j < last && end - start > 1.5 * interval;
      if (gap) {
        // The straight line from record j to record j + 1: its mean over
        // [a, b] is its value at the middle.
        const double f = (0.5 * (a + b) - start) / (end - start);
        const Sample& p = samples[j];
        const Sample& q = samples[j + 1];
        sum.speed += (b - a) * (p.speed + f * (q.speed - p.speed));
        sum.wind += (b - a) * (p.wind + f * (q.wind - p.wind));
        sum.yaw += (b - a) * (p.yaw + f * (q.yaw - p.yaw));
      } else {
        sum.speed += (b - a) * samples[j].speed;
        sum.wind += (b - a) * samples[j].wind;
        sum.yaw += (b - a) * samples[j].yaw;
      }
      covered += b - a;
    }
    records.push_back({sum.speed / covered, sum.wind / covered, sum.yaw / covered});
  }
  return records;
}

}  // namespace importer
