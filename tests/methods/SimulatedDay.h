// A simulated test day for the impulse method, made in-process by the
// simulator's own library: its DATA runs as the records the method takes
// (the run files' numbers in SI units), the conditions, and the truth.
// Shared by the statistical tests and the study that measured the choices.
#pragma once

#include <cmath>
#include <cstdint>
#include <sstream>
#include <string>
#include <vector>

#include "Options.h"
#include "Runs.h"
#include "Truth.h"
#include "Units.h"
#include "methods/ImpulseInput.h"

namespace impulsetest {

struct SimulatedDay {
  std::vector<RunRecords> runs;
  ImpulseConditions conditions;
  // The truth at the test's conditions, SI.
  double m0 = 0.0;
  double m1 = 0.0;
  double m2 = 0.0;
  double a0 = 0.0;
  double a2 = 0.0;
  double cd = 0.0;
  double yawGrowth = 0.0;  // k of Cd(ψ) = Cd0·(1 + k·ψ²)
  // The true still-air road load at `speed` m/s.
  double RoadLoad(double speed) const { return m0 + m1 * speed + (m2 + a0) * speed * speed; }
};

struct DayOptions {
  bool yawCurve = false;      // give the vehicle's true yaw curve, every 1° to 30°
  bool anemometer = true;     // false: the wind columns as a logger without one leaves them
  bool trackWind = false;     // give the mean wind beside the track of every run
  bool knownCd = false;       // give the true Cd
};

inline std::vector<std::string> SplitWords(const std::string& text) {
  std::vector<std::string> words;
  std::istringstream in(text);
  for (std::string w; in >> w;) words.push_back(w);
  return words;
}

// `options` are coastdown-sim options (no --out).
inline SimulatedDay Simulate(const std::string& options, std::uint64_t seed, const DayOptions& day = {}) {
  std::vector<std::string> args = SplitWords(options);
  args.insert(args.end(), {"--out", "unused", "--seed", std::to_string(seed)});
  const sim::SimConfig config = sim::ParseOptions(args).config;
  const sim::TestDrive drive(config);
  const sim::Truth truth = sim::ComputeTruth(config);
  SimulatedDay out;
  out.m0 = truth.m0;
  out.m1 = truth.m1;
  out.m2 = truth.m2;
  out.a0 = truth.a0;
  out.a2 = truth.a2;
  out.cd = config.vehicle.cd0;
  out.yawGrowth = config.vehicle.cdYawPerDeg2;
  out.conditions.airDensity = truth.testDensity;
  out.conditions.massKg = drive.vehicle().Mass();
  out.conditions.areaM2 = config.vehicle.areaFt2 * sim::kSquareMetresPerSquareFoot;
  out.conditions.anemometer = day.anemometer;
  if (day.knownCd) out.conditions.knownCd = out.cd;
  if (day.yawCurve) {
    std::vector<YawCurve::Point> points;
    for (int deg = 0; deg <= 30; ++deg) points.emplace_back(deg, 1.0 + out.yawGrowth * deg * deg);
    out.conditions.yawCurve = YawCurve::FromPoints(points);
  }
  for (const sim::Run& run : drive.DriveAll()) {
    if (run.kind != sim::RunKind::Data) continue;
    RunRecords r;
    r.run = run.number;
    r.direction = sim::HeadingOfRun(run.number);
    r.rateHz = sim::kRecordsPerSecond;
    for (const sim::Record& rec : run.records) {
      r.speed.push_back(rec.speedMph * sim::kMetresPerSecondPerMph);
      r.wind.push_back(day.anemometer ? rec.windMph * sim::kMetresPerSecondPerMph : 0.0);
      r.yaw.push_back(day.anemometer ? rec.yawDeg : 0.0);
    }
    // The wind beside the track: its mean vector over the run, as a
    // stationary anemometer would average it.
    double x = 0.0;
    double y = 0.0;
    for (const sim::TrueState& s : run.truth) {
      const sim::Vec2 w = drive.wind().At(run.startTime + s.time);
      x += w.x;
      y += w.y;
    }
    x /= static_cast<double>(run.truth.size());
    y /= static_cast<double>(run.truth.size());
    if (day.trackWind) {
      // Blowing from `from` (clockwise from the odd runs' heading) moves
      // the air towards (−cos, +sin).
      out.conditions.trackWind.push_back({std::hypot(x, y), std::atan2(y, -x) / sim::kRadiansPerDegree});
    }
    out.runs.push_back(std::move(r));
  }
  return out;
}

}  // namespace impulsetest
