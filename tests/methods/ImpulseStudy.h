// The impulse method against the simulator's truth over many seeds: the
// scenarios of the study, and for each quantity the mean error, its
// seed-to-seed scatter, the interval's own standard error and how often the
// 95 % interval held the truth. The statistical tests and the study tool
// (coastdown_impulse_study) share it, so the figures in README.md's impulse
// section (among them the choice of window) can be made again.
#pragma once

#include <algorithm>
#include <atomic>
#include <cmath>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "methods/ImpulseFit.h"
#include "tests/methods/SimulatedDay.h"

namespace impulsetest {

// Sensors that read the truth (gain 1, no offset, aligned) and no ZERO or
// CAL runs: the anemometer's calibration is not what this measures.
inline const std::string kTrueSensors =
    "--zero-runs 0 --cal-runs 0 --anemo-gain 1 --anemo-offset 0 --anemo-misalign 0";
inline const std::string kSteady = " --wind-drift 0 --wind-veer 0 --gust 0";
inline const std::string kOblique = kTrueSensors + " --wind-speed 6 --wind-direction 50" + kSteady;
inline const std::string kCrosswind =
    kTrueSensors + " --wind-speed 10 --wind-direction 90 --wind-drift 0 --wind-veer 0 --gust 0.2";
inline const std::string kStillAir = "--scenario still-air " + kTrueSensors;

struct Scenario {
  std::string name;
  std::string options;  // coastdown-sim options
  DayOptions day;
};

inline std::vector<Scenario> StudyScenarios() {
  return {
      {"light-wind", kTrueSensors, {}},
      {"fast-gusts", kTrueSensors + " --gust 1.5 --gust-time 1", {}},
      {"road-noise", kTrueSensors + " --road-noise 5", {}},
      {"head-tail", kTrueSensors + " --wind-speed 8 --wind-direction 0" + kSteady, {}},
      {"oblique", kOblique, {}},
      {"oblique-curve", kOblique, {.yawCurve = true}},
      {"crosswind", kCrosswind, {}},
      {"crosswind-curve", kCrosswind, {.yawCurve = true}},
      {"crosswind-curve-cd", kCrosswind, {.yawCurve = true, .knownCd = true}},
      {"truck", "--scenario truck " + kTrueSensors, {}},
      {"light-vehicle", kTrueSensors + " --weight 2200 --area 20 --cd 0.30 --mech-a 18 --mech-b 0.12 --mech-c 0.0015", {}},
      {"hot-high", kTrueSensors + " --temperature 95 --pressure 24.9", {}},
      {"still-air", kStillAir, {}},
      {"still-no-anemometer", kStillAir, {.anemometer = false}},
      {"head-no-anemometer", kStillAir + " --wind-speed 5 --wind-direction 0", {.anemometer = false}},
      {"head-track-wind", kStillAir + " --wind-speed 5 --wind-direction 0", {.anemometer = false, .trackWind = true}},
      {"oblique-track-wind", kStillAir + " --wind-speed 5 --wind-direction 50", {.anemometer = false, .trackWind = true}},
  };
}

inline Scenario FindScenario(const std::string& name) {
  for (const Scenario& s : StudyScenarios()) {
    if (s.name == name) return s;
  }
  return {};
}

// One quantity over the seeds, as relative errors of the truth.
struct Tally {
  std::string name;
  int count = 0;
  int covered = 0;
  double sumError = 0.0;
  double sumError2 = 0.0;
  double sumSigma = 0.0;  // the interval's standard error (half-width / t95), relative

  void Add(double estimate, double sigma, double t95, double truth) {
    const double e = (estimate - truth) / std::fabs(truth);
    ++count;
    sumError += e;
    sumError2 += e * e;
    sumSigma += sigma / std::fabs(truth);
    covered += std::fabs(estimate - truth) <= t95 * sigma;
  }
  double MeanError() const { return sumError / count; }
  double Scatter() const {
    const double m = MeanError();
    return std::sqrt(std::max(0.0, (sumError2 - count * m * m) / (count - 1)));
  }
  double MeanSigma() const { return sumSigma / count; }
  double Coverage() const { return static_cast<double>(covered) / count; }
};

struct StudyResult {
  std::vector<Tally> tallies;
  int days = 0;
  int solved = 0;
  int inseparable = 0;
  double sumPriorShare = 0.0;
  int priorShares = 0;
  double sumLagCorrelation = 0.0;  // γ1/γ0 of the residuals
  int tapered = 0;
};

// The speeds of the road load in the study: 20, 40 and 60 mph.
inline constexpr double kMph = 0.44704;

// Calls work(i) for i = 0 … count − 1 on two threads.
inline void OnTwoThreads(int count, const std::function<void(int)>& work) {
  std::atomic<int> next{0};
  const auto loop = [&] {
    for (int i; (i = next++) < count;) work(i);
  };
  std::thread other(loop);
  loop();
  other.join();
}

// Seeds 1 to `days` of `scenario`.
inline std::vector<SimulatedDay> SimulateDays(const Scenario& scenario, int days, const std::string& extraOptions = "") {
  std::vector<SimulatedDay> out(static_cast<std::size_t>(days));
  OnTwoThreads(days, [&](int i) {
    out[static_cast<std::size_t>(i)] = Simulate(scenario.options + " " + extraOptions,
                                                static_cast<std::uint64_t>(i + 1), scenario.day);
  });
  return out;
}

// The impulse method with `options` on every day.
inline StudyResult Study(const std::vector<SimulatedDay>& days, const ImpulseOptions& options) {
  StudyResult out;
  out.days = static_cast<int>(days.size());
  const bool total = !days.empty() && !days.front().conditions.anemometer;
  for (const char* name : total ? std::vector<const char*>{"f0", "f1", "f2", "F20", "F40", "F60"}
                                : std::vector<const char*>{"Cd", "F20", "F40", "F60"}) {
    out.tallies.push_back({name});
  }
  std::mutex lock;
  OnTwoThreads(out.days, [&](int i) {
    const SimulatedDay& day = days[static_cast<std::size_t>(i)];
    const ImpulseResult r = FitImpulse(day.runs, day.conditions, options);
    const std::lock_guard<std::mutex> hold(lock);
    if (!r.solved) return;
    ++out.solved;
    out.inseparable += r.aeroMechanicalInseparable;
    out.tapered += r.residualAutocovariance.repaired;
    if (r.residualAutocovariance.gamma.size() > 1) {
      out.sumLagCorrelation += r.residualAutocovariance.gamma[1] / r.residualAutocovariance.gamma[0];
    }
    for (const ImpulseCoefficient& c : r.coefficients) {
      if (c.priorShare && c.name == "a2") {
        out.sumPriorShare += *c.priorShare;
        ++out.priorShares;
      }
    }
    std::size_t t = 0;
    if (total) {
      // The truth's still-air coefficients, per m/s.
      const double truth[] = {day.m0, day.m1, day.m2 + day.a0};
      for (const char* name : {"f0", "f1", "f2"}) {
        const ImpulseCoefficient* c = r.Find(name);
        out.tallies[t].Add(c->value, c->standardError, r.t95, truth[t]);
        ++t;
      }
    } else {
      if (r.cdDetermined) out.tallies[t].Add(r.cd, r.cdStandardError, r.t95, day.cd);
      ++t;
    }
    for (const double mph : {20.0, 40.0, 60.0}) {
      const ImpulseRoadLoad load = r.RoadLoadAt(mph * kMph);
      out.tallies[t++].Add(load.force, load.standardError, r.t95, day.RoadLoad(mph * kMph));
    }
  });
  return out;
}

}  // namespace impulsetest
