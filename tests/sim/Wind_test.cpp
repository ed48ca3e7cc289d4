// Sign conventions of the wind and of the air the vehicle meets, and the
// size of the drift and the gusts.
#include <gtest/gtest.h>

#include <cmath>

#include "Units.h"
#include "Wind.h"

namespace {

constexpr double kDeg = 180.0 / 3.141592653589793;

TEST(WindTest, OddRunsHeadOneWayAndEvenRunsTheOther) {
  EXPECT_EQ(sim::HeadingOfRun(1), 1);
  EXPECT_EQ(sim::HeadingOfRun(2), -1);
  EXPECT_EQ(sim::HeadingOfRun(3), 1);
  EXPECT_EQ(sim::HeadingOfRun(20), -1);
}

TEST(WindTest, RelativeAirOfBothHeadings) {
  // Ground wind in the track frame (x along odd runs, y to their left).
  const struct {
    const char* name;
    sim::Vec2 wind;
    int heading;
    double speed;
    double yawDeg;
  } cases[] = {
      {"still air", {0, 0}, 1, 20.0, 0.0},
      {"head wind on an odd run", {-5, 0}, 1, 25.0, 0.0},
      {"the same wind on an even run is a tail wind", {-5, 0}, -1, 15.0, 0.0},
      {"wind towards the left comes from the right of an odd run", {0, 5}, 1, std::hypot(20.0, 5.0),
       std::atan2(5.0, 20.0) * kDeg},
      {"and from the left of an even run", {0, 5}, -1, std::hypot(20.0, 5.0), -std::atan2(5.0, 20.0) * kDeg},
      {"quartering head wind from the right, odd run", {-3, 4}, 1, std::hypot(23.0, 4.0),
       std::atan2(4.0, 23.0) * kDeg},
      {"the same wind quartering from behind on the left, even run", {-3, 4}, -1, std::hypot(17.0, 4.0),
       -std::atan2(4.0, 17.0) * kDeg},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const sim::RelativeAir air = sim::RelativeAirOf(20.0, c.heading, c.wind);
    EXPECT_NEAR(air.speed, c.speed, 1e-12);
    EXPECT_NEAR(air.yawDeg, c.yawDeg, 1e-12);
  }
}

TEST(WindTest, DirectionIsWhereTheWindBlowsFromClockwiseFromTheOddHeading) {
  const double s = sim::MphToMetresPerSecond(10.0);
  const struct {
    double directionDeg;
    double x;
    double y;
  } cases[] = {
      {0.0, -s, 0.0},    // on the nose of odd runs: blows towards -x
      {90.0, 0.0, s},    // from their right: blows to their left
      {180.0, s, 0.0},   // from behind
      {-90.0, 0.0, -s},  // from their left
      {30.0, -s * std::cos(30.0 / kDeg), s * std::sin(30.0 / kDeg)},
  };
  for (const auto& c : cases) {
    sim::WindConfig config;
    config.speedMph = 10.0;
    config.directionDeg = c.directionDeg;
    const sim::WindField field(config, 5);
    for (double t : {0.0, 123.4, 5000.0}) {
      const sim::Vec2 w = field.At(t);
      EXPECT_NEAR(w.x, c.x, 1e-12) << c.directionDeg << " deg at " << t << " s";
      EXPECT_NEAR(w.y, c.y, 1e-12) << c.directionDeg << " deg at " << t << " s";
    }
  }
}

TEST(WindTest, DriftAndVeerStayWithinTheirAmplitudes) {
  sim::WindConfig config;
  config.speedMph = 8.0;
  config.directionDeg = 90.0;
  config.driftMph = 2.0;
  config.veerDeg = 20.0;
  config.driftPeriodS = 600.0;
  const sim::WindField field(config, 11);
  double low = 1e9, high = 0.0, leftmost = 1e9, rightmost = -1e9;
  for (double t = 0.0; t < 1200.0; t += 1.0) {
    const sim::Vec2 w = field.At(t);
    const double speed = sim::MetresPerSecondToMph(std::hypot(w.x, w.y));
    const double from = std::atan2(w.y, -w.x) * kDeg;
    low = std::min(low, speed);
    high = std::max(high, speed);
    leftmost = std::min(leftmost, from);
    rightmost = std::max(rightmost, from);
  }
  EXPECT_NEAR(low, 6.0, 0.01);
  EXPECT_NEAR(high, 10.0, 0.01);
  EXPECT_NEAR(leftmost, 70.0, 0.05);
  EXPECT_NEAR(rightmost, 110.0, 0.05);
}

TEST(WindTest, GustsHaveTheRequestedRmsPerComponentAndNoMean) {
  for (double gustMph : {0.5, 2.0}) {
    sim::WindConfig config;
    config.gustMph = gustMph;
    const sim::WindField field(config, 99);
    double sx = 0, sy = 0, sxx = 0, syy = 0;
    int n = 0;
    for (double t = 0.0; t < 40000.0; t += 0.7, ++n) {
      const sim::Vec2 w = field.At(t);
      sx += w.x;
      sy += w.y;
      sxx += w.x * w.x;
      syy += w.y * w.y;
    }
    const double sigma = sim::MphToMetresPerSecond(gustMph);
    EXPECT_NEAR(std::sqrt(sxx / n), sigma, 0.03 * sigma);
    EXPECT_NEAR(std::sqrt(syy / n), sigma, 0.03 * sigma);
    EXPECT_NEAR(sx / n, 0.0, 0.03 * sigma);
    EXPECT_NEAR(sy / n, 0.0, 0.03 * sigma);
  }
}

TEST(WindTest, TheSameSeedGivesTheSameGustsAndAnotherSeedOthers) {
  sim::WindConfig config;
  config.gustMph = 1.0;
  const sim::WindField a(config, 3), b(config, 3), c(config, 4);
  EXPECT_EQ(a.At(17.3).x, b.At(17.3).x);
  EXPECT_EQ(a.At(17.3).y, b.At(17.3).y);
  EXPECT_NE(a.At(17.3).x, c.At(17.3).x);
}

}  // namespace
