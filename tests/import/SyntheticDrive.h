// Speed traces of known coast for the importer's tests: a vehicle that
// stands, is driven up to speed, may hold it, coasts with a deceleration
// d(v) = d0 + d2·v² (the coast's closed form), then brakes to a stop,
// stands, or is driven on, sampled at any rate and phase with noise of
// its own generator. The true coast starts and ends at known times.
#pragma once

#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

namespace importtest {

struct Drive {
  double rate = 10.0;        // records a second
  double phase = 0.0;        // s of the first record after the trace's start
  double standBefore = 5.0;  // s
  double accel = 1.5;        // m/s² driving up from standstill
  double hold = 3.0;         // s at the high speed before the coast
  double high = 31.2928;     // m/s (70 mph)
  double low = 6.7056;       // m/s (15 mph): the coast ends here
  double d0 = 0.10;          // m/s²
  double d2 = 0.00025;       // 1/m
  enum class After { Brake, Drive, End } after = After::Brake;
  double brake = 3.0;        // m/s², or the acceleration of After::Drive
  double standAfter = 10.0;  // s
  double wobble = 0.0;       // m/s², amplitude of a slow change of the coast's deceleration (wind, grade)
  double wobblePeriod = 8.0; // s
  double brakeRamp = 0.0;    // s in which the braking grows to its full deceleration
  double noise = 0.01;       // m/s RMS
  double quantum = 0.0;      // m/s: readings rounded to it when > 0
  std::uint64_t seed = 1;

  double CoastStart() const { return standBefore + high / accel + hold; }
  double CoastLength() const {
    const double k = std::sqrt(d2 / d0);
    return (std::atan(high * k) - std::atan(low * k)) / std::sqrt(d0 * d2);
  }
  double CoastEnd() const { return CoastStart() + CoastLength(); }
  double Duration() const {
    if (after == After::End) return CoastEnd();
    return CoastEnd() + (after == After::Brake ? low / brake + standAfter : 10.0);
  }

  double SpeedAt(double t) const {
    const double start = CoastStart();
    if (t < standBefore) return 0.0;
    if (t < standBefore + high / accel) return accel * (t - standBefore);
    if (t < start) return high;
    const double k = std::sqrt(d2 / d0);
    auto coast = [&](double tau) {
      const double wave = wobble * wobblePeriod / 6.283185307179586 * std::sin(6.283185307179586 * tau / wobblePeriod);
      return std::tan(std::atan(high * k) - std::sqrt(d0 * d2) * tau) / k + wave;
    };
    if (t <= CoastEnd()) return coast(t - start);
    const double end = coast(CoastEnd() - start);
    const double past = t - CoastEnd();
    if (after == After::Drive) return end + brake * past;
    // Braking that grows to its full deceleration over brakeRamp seconds.
    const double lost = past < brakeRamp ? brake * past * past / (2.0 * brakeRamp) : brake * (past - 0.5 * brakeRamp);
    return std::max(0.0, end - lost);
  }

  struct Trace {
    std::vector<double> time;
    std::vector<double> speed;  // m/s
  };

  Trace Sample() const {
    Trace trace;
    std::uint64_t state = seed * 0x9E3779B97F4A7C15ull + 1;
    auto uniform = [&]() {
      state ^= state << 13;
      state ^= state >> 7;
      state ^= state << 17;
      return (static_cast<double>(state >> 11) + 0.5) / 9007199254740992.0;
    };
    for (long k = 0;; ++k) {
      const double t = phase + static_cast<double>(k) / rate;
      if (t > Duration() + 1e-9) break;
      const double normal = std::sqrt(-2.0 * std::log(uniform())) * std::cos(6.283185307179586 * uniform());
      double v = SpeedAt(t) + noise * normal;
      if (quantum > 0.0) v = std::round(v / quantum) * quantum;
      trace.time.push_back(t);
      trace.speed.push_back(v);
    }
    return trace;
  }
};

}  // namespace importtest
