// A recording of many runs cut into them: at standstill, at a slow turn, at
// a gap, at the times the user gives; never within a run.
#include "Splitter.h"

#include <gtest/gtest.h>

namespace {

// A 10 Hz recording of straight pieces: (seconds, speed in km/h at its end).
importer::Recording Profile(const std::vector<std::pair<double, double>>& pieces) {
  importer::Recording r;
  r.interval = 0.1;
  double t = 0.0;
  double v = 0.0;
  for (const auto& [seconds, to] : pieces) {
    const int n = static_cast<int>(seconds * 10 + 0.5);
    for (int i = 0; i < n; ++i) {
      const double speed = (v + (to - v) * i / n) / 3.6;
      r.samples.push_back({t, speed, speed, 0.0, r.samples.size() + 2});
      t += 0.1;
    }
    v = to;
  }
  return r;
}

// The times at which the segments start.
std::vector<double> Starts(const importer::Recording& r, const std::vector<importer::Segment>& segments) {
  std::vector<double> starts;
  for (const importer::Segment& s : segments) starts.push_back(r.samples[s.first].time);
  return starts;
}

TEST(SplitterTest, RunsAreTheHillsOfTheSpeedTrace) {
  const struct {
    const char* name;
    std::vector<std::pair<double, double>> pieces;
    std::vector<double> starts;  // of each segment, s (±0.5): the middle of each valley's low ground
  } cases[] = {
      {"standstill between runs", {{5, 0}, {20, 100}, {60, 25}, {5, 0}, {10, 0}, {20, 100}, {60, 25}, {5, 0}}, {0, 95}},
      {"turn at 12 km/h", {{20, 100}, {60, 25}, {3, 12}, {4, 12}, {20, 100}, {60, 25}}, {0, 84.5}},
      {"steady runs", {{10, 50}, {30, 50}, {3, 10}, {10, 50}, {30, 50}, {3, 10}}, {0, 43.3}},
      // A dip of 10 km/h is part of a run.
      {"shallow dip", {{20, 100}, {10, 90}, {10, 100}, {60, 25}}, {0}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const importer::Recording r = Profile(c.pieces);
    const std::vector<double> starts = Starts(r, importer::SplitAtValleys(r, {}));
    ASSERT_EQ(starts.size(), c.starts.size());
    for (std::size_t i = 0; i < starts.size(); ++i) EXPECT_NEAR(starts[i], c.starts[i], 0.5);
  }
}

TEST(SplitterTest, GapsAndGivenTimes) {
  importer::Recording r = Profile({{20, 100}, {60, 25}});
  // No record for 2 s from 30 s on.
  for (importer::Sample& s : r.samples) {
    if (s.time >= 30.0) s.time += 2.0;
  }
  std::vector<double> starts = Starts(r, importer::SplitAtValleys(r, {}));
  EXPECT_EQ(starts, (std::vector<double>{0.0, r.samples[300].time}));
  importer::SplitSettings bridged;
  bridged.maxGap = 3.0;
  EXPECT_EQ(importer::SplitAtValleys(r, bridged).size(), 1u);

  starts = Starts(r, importer::SplitAtTimes(r, {-5.0, 10.05, 50.0, 1000.0}));
  ASSERT_EQ(starts.size(), 3u);
  EXPECT_NEAR(starts[1], 10.1, 1e-9);
  EXPECT_NEAR(starts[2], 50.0, 1e-9);
}

}  // namespace
