// Coastdown records made from the exact solution of the equation of motion,
// for the interval method's tests: a vehicle of effective mass m coasting
// against F(v) = f0 + f1·v + f2·(v + w)², with w the wind along the track
// that the run meets head-on (km/h), sampled at a given rate and disturbed
// by normal speed noise.
#pragma once

#include <cmath>
#include <random>
#include <vector>

#include "methods/IntervalTypes.h"

namespace intervaltest {

struct RoadLoad {
  double f0 = 140.0;   // N
  double f1 = 0.5;     // N/(km/h)
  double f2 = 0.035;   // N/(km/h)²
};

struct Coastdown {
  double effectiveMassKg = 1524.25;  // m_av + m_r
  double startKmh = 140.0;
  double endKmh = 12.0;
  double rateHz = 10.0;
  double headWindKmh = 0.0;  // met head-on by this run
  double speedNoiseKmh = 0.0;
};

// The speed at time t after the start. With the road load as
// Q(v) = a·v² + b·v + c (a = f2, b = f1 + 2·f2·w, c = f0 + f2·w²) and
// dv/dt = −3.6·Q(v)/m in km/h per s, the discriminant D = 4ac − b² > 0 gives
//   atan((2a·v + b)/√D) = atan((2a·v0 + b)/√D) − t·3.6·√D/(2m).
inline double SpeedAt(const RoadLoad& load, const Coastdown& run, double t) {
  const double w = run.headWindKmh;
  const double a = load.f2;
  const double b = load.f1 + 2.0 * load.f2 * w;
  const double c = load.f0 + load.f2 * w * w;
  const double root = std::sqrt(4.0 * a * c - b * b);
  const double angle = std::atan((2.0 * a * run.startKmh + b) / root) - t * 3.6 * root / (2.0 * run.effectiveMassKg);
  return (root * std::tan(angle) - b) / (2.0 * a);
}

// Records from the start speed until the speed is below the end speed.
inline std::vector<double> Records(const RoadLoad& load, const Coastdown& run, std::mt19937_64& random) {
  std::normal_distribution<double> noise(0.0, run.speedNoiseKmh);
  std::vector<double> speeds;
  for (long k = 0;; ++k) {
    const double v = SpeedAt(load, run, static_cast<double>(k) / run.rateHz);
    speeds.push_back(run.speedNoiseKmh > 0.0 ? v + noise(random) : v);
    if (v < run.endKmh) break;
  }
  return speeds;
}

// `pairs` pairs of opposite runs DATA.1, DATA.2, ... with a steady wind of
// `windKmh` along the track, a head wind for the odd runs. Each run starts up
// to 2 km/h above the given start speed, as real runs do, so that the
// records fall differently about the interval ends from run to run.
inline std::vector<IntervalRun> PairedRuns(const RoadLoad& load, Coastdown run, int pairs, double windKmh,
                                           std::mt19937_64& random) {
  std::uniform_real_distribution<double> extra(0.0, 2.0);
  const double start = run.startKmh;
  std::vector<IntervalRun> runs;
  for (int n = 1; n <= 2 * pairs; ++n) {
    const int direction = n % 2 == 1 ? 1 : -1;
    run.headWindKmh = direction * windKmh;
    run.startKmh = start + extra(random);
    runs.push_back({n, direction, Records(load, run, random), {}, direction * windKmh / 3.6});
  }
  return runs;
}

}  // namespace intervaltest
