// The stationary wind of trackwind.csv against the wind the vehicle's own
// perfect anemometer met on each coast: the along-track and cross parts of
// SPEED and FROM must be the mean head and cross wind of the run.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "SimTestSupport.h"

namespace {

using testsupport::ReadFile;

constexpr double kDeg = 3.141592653589793 / 180.0;

struct Line {
  int run;
  double speed;
  double from;
};

std::vector<Line> TrackWindLines(const std::string& text) {
  EXPECT_EQ(text.rfind("run,speed,from\r\n", 0), 0u);
  std::vector<Line> lines;
  for (std::size_t at = text.find('\n') + 1; at < text.size(); at = text.find('\n', at) + 1) {
    char* end = nullptr;
    const long run = std::strtol(text.c_str() + at, &end, 10);
    const double speed = std::strtod(end + 1, &end);
    lines.push_back({static_cast<int>(run), speed, std::strtod(end + 1, nullptr)});
  }
  return lines;
}

// A perfect anemometer: reads the relative air and its yaw as they are.
const std::string kTrueAnemometer =
    " --anemo-gain 1 --anemo-offset 0 --anemo-misalign 0 --anemo-yaw-gain 1 --anemo-loss 0 --anemo-noise 0 "
    "--yaw-noise 0 --speed-noise 0 --zero-runs 0 --cal-runs 0 --data-runs 4 --seed 6";

TEST(TrackWindTest, EachRunsMeanWindAsTheVehicleMetIt) {
  const char* cases[] = {
      "--scenario light-wind",
      "--scenario crosswind --rate 10",
      "--scenario still-air --wind-speed 6 --wind-direction 200",
      "--scenario still-air --wind-speed 4 --wind-direction -90 --gust 1 --gust-time 1",
  };
  for (const char* options : cases) {
    SCOPED_TRACE(options);
    testsupport::ScratchDir dir;
    ASSERT_EQ(simtest::RunSim("--out " + dir.path() + " " + options + " --track-wind-file" + kTrueAnemometer).status,
              0);
    const std::vector<Line> lines = TrackWindLines(ReadFile(dir / "trackwind.csv"));
    ASSERT_EQ(lines.size(), 4u);
    for (const Line& line : lines) {
      EXPECT_TRUE(line.from >= 0.0 && line.from < 360.0) << line.from;
      // Head wind against the odd runs and cross wind from their right, the
      // time mean (trapezoid) over the coast's records.
      const std::string file = ReadFile(dir / ("DATA." + std::to_string(line.run)));
      const double direction = line.run % 2 == 1 ? 1.0 : -1.0;
      std::vector<double> head, cross;
      for (std::size_t at = 0; at < file.size(); at = file.find('\n', at) + 1) {
        char* end = nullptr;
        const double speed = std::strtod(file.c_str() + at, &end);
        const double wind = std::strtod(end + 1, &end);
        const double yaw = std::strtod(end + 1, nullptr) * kDeg;
        head.push_back((wind * std::cos(yaw) - speed) * direction);
        cross.push_back(wind * std::sin(yaw) * direction);
      }
      const auto mean = [](const std::vector<double>& v) {
        double sum = 0.0;
        for (std::size_t i = 0; i < v.size(); ++i) sum += (i == 0 || i + 1 == v.size() ? 0.5 : 1.0) * v[i];
        return sum / static_cast<double>(v.size() - 1);
      };
      EXPECT_NEAR(line.speed * std::cos(line.from * kDeg), mean(head), 1e-5) << "DATA." << line.run;
      EXPECT_NEAR(line.speed * std::sin(line.from * kDeg), mean(cross), 1e-5) << "DATA." << line.run;
    }
  }
}

TEST(TrackWindTest, TheStationaryAnemometersErrorHasItsSpread) {
  // Each run's mean gets its own error in each component; 2 x 50 draws of
  // 0.5 mph estimate it within about 7 %, so 25 % is a fault.
  testsupport::ScratchDir dir;
  const std::string steady =
      " --scenario still-air --wind-speed 5 --wind-direction 30 --zero-runs 0 --cal-runs 0 --data-runs 50 "
      "--coast-high 40 --coast-low 30";
  ASSERT_EQ(simtest::RunSim("--out " + dir / "a" + steady + " --track-wind-file --track-wind-noise 0.5").status, 0);
  double sum = 0.0;
  const std::vector<Line> lines = TrackWindLines(ReadFile(dir / "a/trackwind.csv"));
  for (const Line& line : lines) {
    sum += std::pow(line.speed * std::cos(line.from * kDeg) - 5.0 * std::cos(30.0 * kDeg), 2.0) +
           std::pow(line.speed * std::sin(line.from * kDeg) - 5.0 * std::sin(30.0 * kDeg), 2.0);
  }
  EXPECT_NEAR(std::sqrt(sum / (2.0 * static_cast<double>(lines.size()))), 0.5, 0.125);
}

}  // namespace
