// The stationary wind of trackwind.csv against the wind the vehicle's own
// perfect anemometer met on each coast: the along-track and cross parts of
// SPEED and FROM must be the mean head and cross wind of the run.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "SimTestSupport.h"

namespace {

using testsupport::ReadFile;

constexpr double kDeg = 3.141592653589793 / 180.0;

TEST(TrackWindTest, EachRunsMeanWindAsTheVehicleMetItWithTheErrorAsked) {
  // SPEED·cos(FROM) and SPEED·sin(FROM) against the time mean (trapezoid)
  // of the head wind against the odd runs and the cross wind from their
  // right that a perfect anemometer met on each coast. With an error of
  // 0.5 mph per component, 2 x 40 draws estimate it within about 8 %, so
  // 25 % is a fault.
  const struct {
    const char* options;
    double rms;  // of the difference, mph
  } cases[] = {
      {"--scenario light-wind --data-runs 4", 0.0},
      {"--scenario crosswind --rate 10 --data-runs 4", 0.0},
      {"--scenario still-air --wind-speed 6 --wind-direction 200 --data-runs 4", 0.0},
      {"--scenario still-air --wind-speed 4 --wind-direction -90 --gust 1 --gust-time 1 --data-runs 4", 0.0},
      {"--data-runs 40 --coast-high 40 --coast-low 30 --track-wind-noise 0.5", 0.5},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.options);
    testsupport::ScratchDir dir;
    ASSERT_TRUE(simtest::Simulated(
        dir.path(), c.options + (" --track-wind-file --zero-runs 0 --cal-runs 0" + simtest::kPerfect)));
    const simtest::Rows lines = simtest::Table(ReadFile(dir / "trackwind.csv"));
    EXPECT_EQ(lines.front(), (std::vector<std::string>{"run", "speed", "from"}));
    double squares = 0.0, largest = 0.0;
    for (std::size_t n = 1; n < lines.size(); ++n) {
      ASSERT_EQ(lines[n][0], std::to_string(n));
      const double speed = std::stod(lines[n][1]), from = std::stod(lines[n][2]);
      EXPECT_TRUE(from >= 0.0 && from < 360.0) << from;
      const simtest::Rows records = simtest::Table(ReadFile(dir / ("DATA." + std::to_string(n))));
      const double direction = n % 2 == 1 ? 1.0 : -1.0, span = static_cast<double>(records.size() - 1);
      double head = 0.0, cross = 0.0;
      for (std::size_t i = 0; i < records.size(); ++i) {
        const double weight = (i == 0 || i + 1 == records.size() ? 0.5 : 1.0) * direction / span;
        const double relative = std::stod(records[i][1]), yaw = std::stod(records[i][2]) * kDeg;
        head += weight * (relative * std::cos(yaw) - std::stod(records[i][0]));
        cross += weight * relative * std::sin(yaw);
      }
      for (const double d : {speed * std::cos(from * kDeg) - head, speed * std::sin(from * kDeg) - cross}) {
        squares += d * d;
        largest = std::max(largest, std::abs(d));
      }
    }
    const double rms = std::sqrt(squares / (2.0 * static_cast<double>(lines.size() - 1)));
    EXPECT_TRUE(c.rms == 0.0 ? largest < 1e-5 : std::abs(rms - c.rms) < c.rms / 4) << largest << " " << rms;
  }
}

}  // namespace
