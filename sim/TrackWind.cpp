// Mean wind beside the track over each coast.
#include "TrackWind.h"

#include <cmath>

#include "NumberFormat.h"
#include "Random.h"
#include "Units.h"

namespace sim {

namespace {

// The stationary anemometer's error during DATA run n: a stream of its
// own, so that it changes nothing else.
std::uint64_t TrackStream(int number) { return 8000000 + static_cast<std::uint64_t>(number); }

}  // namespace

std::vector<TrackWind> TrackWinds(const SimConfig& config, const WindField& wind, const std::vector<Run>& runs) {
  std::vector<TrackWind> winds;
  const double noise = MphToMetresPerSecond(config.trackWindNoiseMph);
  for (const Run& run : runs) {
    if (run.kind != RunKind::Data) continue;
    // Trapezoid rule over the coast's records: the time mean of the wind
    // from the first record to the last.
    Vec2 sum;
    const std::size_t n = run.truth.size();
    for (std::size_t i = 0; i < n; ++i) {
      const double weight = (i == 0 || i + 1 == n) && n > 1 ? 0.5 : 1.0;
      const Vec2 w = wind.At(run.startTime + run.truth[i].time);
      sum.x += weight * w.x;
      sum.y += weight * w.y;
    }
    const double span = n > 1 ? static_cast<double>(n - 1) : 1.0;
    Vec2 mean{sum.x / span, sum.y / span};
    Random error(config.seed, TrackStream(run.number));
    mean.x += noise * error.Normal();
    mean.y += noise * error.Normal();
    // Blowing from `from` (clockwise from +x) moves the air towards −x at 0
    // and towards −y at 90.
    const double speed = std::hypot(mean.x, mean.y);
    double from = speed > 0.0 ? std::atan2(mean.y, -mean.x) / kRadiansPerDegree : 0.0;
    if (from < 0.0) from += 360.0;
    winds.push_back({run.number, MetresPerSecondToMph(speed), from});
  }
  return winds;
}

std::string TrackWindFileText(const std::vector<TrackWind>& winds) {
  std::string text = "run,speed,from\r\n";
  for (const TrackWind& w : winds) {
    const std::string from = FormatSixDecimals(w.fromDeg);
    // A direction that rounds to 360 is 0.
    text += std::to_string(w.run) + "," + FormatSixDecimals(w.speedMph) + "," +
            (from == "360.000000" ? "0.000000" : from) + "\r\n";
  }
  return text;
}

}  // namespace sim
