// Coasting told from the driving around a coast: one-second samples of a
// coast with the sensor's noise, with stretches of standstill, braking,
// rising and held speed put in, are marked exactly there and nowhere else.
#include "record/Coasting.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <string>

namespace {

using record::Motion;

// Three runs coasting from 31 to 7 m/s, decelerating 0.12 + 0.00035·v² m/s²,
// with `noise` in m/s².
record::AnalysisRecord Runs(double noise) {
  record::AnalysisRecord r;
  std::mt19937 random(5);
  std::normal_distribution<double> jitter(0.0, noise);
  for (int run = 1; run <= 3; ++run) {
    double v = 31.0;
    for (int t = 1; v > 7.0; ++t) {
      record::SampleRecord s;
      s.run = run;
      s.time = t;
      s.speed = v;
      s.deceleration = 0.12 + 0.00035 * v * v + jitter(random);
      r.samples.push_back(s);
      v -= 0.12 + 0.00035 * v * v;
    }
  }
  return r;
}

std::string Marked(const record::AnalysisRecord& r) {
  std::string out;
  for (const record::MotionSpan& span : record::NotCoasting(r)) {
    out += std::to_string(span.run) + ":" + record::MotionName(span.motion) + " " + std::to_string(span.from) + "-" +
           std::to_string(span.to) + ";";
  }
  return out;
}

// Each other motion is marked where it was put in; noise, even three times
// the sensor's, and a coast slowed by a tail wind mark nothing.
TEST(CoastingTest, OtherMotionsAreMarkedWhereTheyAre) {
  const struct {
    const char* what;
    double noise;  // m/s²
    int run, from, to;
    double speed, deceleration;  // NaN: the sample's own
    double scale;                // of the deceleration
    std::string marked;
  } cases[] = {
      {"a clean coast", 0.02, 0, 0, 0, NAN, NAN, 1.0, ""},
      {"three times the sensor's noise", 0.06, 0, 0, 0, NAN, NAN, 1.0, ""},
      {"standstill", 0.02, 2, 10, 14, 0.1, 0.01, 1.0, "2:standstill 10-14;"},
      {"braking", 0.02, 1, 20, 22, NAN, 3.0, 1.0, "1:braking 20-22;"},
      {"rising speed", 0.02, 3, 1, 5, NAN, -1.5, 1.0, "3:rising speed 1-5;"},
      {"held speed", 0.02, 1, 1, 4, NAN, 0.0, 1.0, "1:held speed 1-4;"},
      {"a tail wind that slows the coast by half", 0.02, 2, 30, 33, NAN, NAN, 0.5, ""},
  };
  for (const auto& c : cases) {
    record::AnalysisRecord r = Runs(c.noise);
    for (record::SampleRecord& s : r.samples) {
      if (s.run != c.run || s.time < c.from || s.time > c.to) continue;
      if (!std::isnan(c.speed)) s.speed = c.speed;
      if (!std::isnan(c.deceleration)) s.deceleration = c.deceleration;
      s.deceleration *= c.scale;
    }
    record::MarkMotion(r);
    EXPECT_EQ(Marked(r), c.marked) << c.what;
  }
}

}  // namespace
