// Valleys of the speed trace.
#include "Splitter.h"

#include <algorithm>
#include <cmath>

namespace importer {

namespace {

// Moving average over ±1 s, so that the noise of one record makes no
// valley of its own.
std::vector<double> Smoothed(const std::vector<Sample>& s) {
  std::vector<double> out(s.size());
  std::size_t lo = 0;
  std::size_t hi = 0;
  double sum = 0.0;
  for (std::size_t i = 0; i < s.size(); ++i) {
    while (hi < s.size() && s[hi].time <= s[i].time + 1.0) sum += s[hi++].speed;
    while (s[lo].time < s[i].time - 1.0) sum -= s[lo++].speed;
    out[i] = sum / static_cast<double>(hi - lo);
  }
  return out;
}

// The cuts within s[from..to]: the middle of the low ground of every valley
// that falls and rises by `drop`.
void Valleys(const std::vector<double>& v, std::size_t from, std::size_t to, double drop, std::vector<std::size_t>& cuts) {
  double peak = v[from];
  double trough = 0.0;
  std::size_t troughAt = from;
  bool falling = false;
  for (std::size_t i = from; i <= to; ++i) {
    if (!falling) {
      peak = std::max(peak, v[i]);
      if (v[i] < peak - drop) {
        falling = true;
        trough = v[i];
        troughAt = i;
      }
    } else {
      if (v[i] < trough) {
        trough = v[i];
        troughAt = i;
      }
      if (v[i] > trough + drop) {
        // The low ground: the records within a tenth of the drop of the
        // trough around it.
        std::size_t a = troughAt;
        std::size_t b = troughAt;
        while (a > from && v[a - 1] <= trough + 0.1 * drop) --a;
        while (b < i && v[b + 1] <= trough + 0.1 * drop) ++b;
        cuts.push_back((a + b) / 2);
        falling = false;
        peak = v[i];
      }
    }
  }
}

std::vector<Segment> FromCuts(std::size_t n, std::vector<std::size_t> cuts) {
  std::sort(cuts.begin(), cuts.end());
  cuts.erase(std::unique(cuts.begin(), cuts.end()), cuts.end());
  std::vector<Segment> segments;
  std::size_t first = 0;
  for (std::size_t cut : cuts) {
    if (cut == 0 || cut >= n) continue;
    if (cut > first) segments.push_back({first, cut - 1});
    first = cut;
  }
  if (first < n) segments.push_back({first, n - 1});
  return segments;
}

}  // namespace

std::vector<Segment> SplitAtValleys(const Recording& recording, const SplitSettings& settings) {
  const std::vector<Sample>& s = recording.samples;
  if (s.empty()) return {};
  const std::vector<double> v = Smoothed(s);
  // Gaps too long to bridge end a stretch; valleys are found within each.
  std::vector<std::size_t> cuts;
  std::size_t from = 0;
  for (std::size_t i = 1; i <= s.size(); ++i) {
    if (i == s.size() || s[i].time - s[i - 1].time > settings.maxGap) {
      Valleys(v, from, i - 1, settings.drop, cuts);
      if (i < s.size()) cuts.push_back(i);
      from = i;
    }
  }
  return FromCuts(s.size(), cuts);
}

std::vector<Segment> SplitAtTimes(const Recording& recording, const std::vector<double>& times) {
  const std::vector<Sample>& s = recording.samples;
  std::vector<std::size_t> cuts;
  for (const double t : times) {
    const auto it = std::lower_bound(s.begin(), s.end(), t, [](const Sample& a, double time) { return a.time < time; });
    cuts.push_back(static_cast<std::size_t>(it - s.begin()));
  }
  return FromCuts(s.size(), cuts);
}

}  // namespace importer
