// Untrimmed DATA files as a logger records them: the records that truth.txt
// names as the coast are the trimmed test's coast, record for record;
// before them the driver gets up to speed and holds it, after them the
// brakes stop the vehicle and it stands.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "SimTestSupport.h"

namespace {

using testsupport::NumberAfter;
using testsupport::ReadFile;

TEST(UntrimmedTest, TheTruthNamesTheTrimmedCoastWithTheDrivingAroundIt) {
  const struct {
    const char* options;
    int rate;
    double high;   // mph
    double brake;  // m/s²
    double standstill;
  } cases[] = {
      {"--scenario light-wind", 5, 70.0, 4.0, 20.0},
      {"--scenario speed-only", 10, 81.0, 4.0, 20.0},
      {"--scenario anemometer-errors --rate 20 --brake-decel 3 --standstill-time 8", 20, 70.0, 3.0, 8.0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.options);
    testsupport::ScratchDir dir;
    const std::string options = std::string(" ") + c.options + " --seed 4 --zero-runs 0 --cal-runs 0 --data-runs 2";
    ASSERT_TRUE(simtest::Simulated(dir / "trimmed", options));
    ASSERT_TRUE(simtest::Simulated(dir / "untrimmed", options + " --untrimmed"));
    const std::string truth = ReadFile(dir / "untrimmed/truth.txt");
    for (const std::string run : {"DATA.1", "DATA.2"}) {
      const simtest::Rows file = simtest::Table(ReadFile(dir / "untrimmed/" + run));
      const simtest::Rows coast = simtest::Table(ReadFile(dir / "trimmed/" + run));
      const auto first = static_cast<long>(NumberAfter(truth, run + " coast first record: "));
      const auto last = static_cast<long>(NumberAfter(truth, run + " coast last record: "));
      EXPECT_EQ(NumberAfter(truth, run + " coast first time: "), static_cast<double>(first - 1) / c.rate);
      EXPECT_EQ(NumberAfter(truth, run + " coast last time: "), static_cast<double>(last - 1) / c.rate);
      ASSERT_TRUE(first > 1 && last < static_cast<long>(file.size())) << first << " " << last;
      EXPECT_EQ(simtest::Rows(file.begin() + first - 1, file.begin() + last), coast);

      const std::vector<double> speed = simtest::Column(file, 0);
      // From the turn speed up to the high speed, held for the last 5 s.
      EXPECT_NEAR(speed.front(), 20.0, 0.1);
      for (long i = first - 1 - 5 * c.rate; i < first - 1; ++i) EXPECT_NEAR(speed[i], c.high, 0.1) << i;
      // The brakes: over some 0.4 s at full pressure the speed falls by
      // their deceleration and the road load's (under 1 m/s² here).
      const long window = c.rate * 2 / 5;
      double drop = 0.0;
      for (long i = last - 1; i + window < static_cast<long>(speed.size()); ++i) {
        drop = std::max(drop, (speed[i] - speed[i + window]) * 0.44704 / 0.4);
      }
      EXPECT_GT(drop, c.brake);
      EXPECT_LT(drop, c.brake + 1.0);
      // At rest for the standstill time (the sensor's noise is 0.02 mph).
      const auto resting = static_cast<long>(c.standstill * c.rate) + 1;
      for (long i = static_cast<long>(speed.size()) - resting; i < static_cast<long>(speed.size()); ++i) {
        EXPECT_LT(std::abs(speed[i]), 0.1) << i;
      }
    }
  }
}

}  // namespace
