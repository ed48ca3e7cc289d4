// Sign conventions of the wind and of the air the vehicle meets, and gusts
// as fast as the records.
#include "Wind.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "SimTestSupport.h"
#include "Units.h"

namespace {

constexpr double kDeg = 180.0 / 3.141592653589793;

TEST(WindTest, DirectionAndRunNumberGiveTheRelativeAir) {
  // 10 mph from `direction` (clockwise from the odd runs' heading) met by a
  // vehicle at 20 m/s; yaw is positive when the air comes from its right.
  const double s = sim::MphToMetresPerSecond(10.0), x = s * std::cos(30.0 / kDeg), y = s * std::sin(30.0 / kDeg);
  const struct {
    double direction;
    int run;
    double ahead;  // relative air from ahead and from the right, m/s
    double right;
  } cases[] = {{0.0, 1, 20.0 + s, 0.0}, {0.0, 4, 20.0 - s, 0.0},   {90.0, 3, 20.0, s},
               {90.0, 2, 20.0, -s},     {-90.0, 1, 20.0, -s},      {180.0, 1, 20.0 - s, 0.0},
               {30.0, 1, 20.0 + x, y},  {30.0, 2, 20.0 - x, -y}};
  for (const auto& c : cases) {
    const sim::WindField wind({10.0, c.direction, 0.0, 0.0, 900.0, 0.0, 4.0}, 5);  // steady, no gusts
    const sim::RelativeAir air = sim::RelativeAirOf(20.0, sim::HeadingOfRun(c.run), wind.At(77.0));
    EXPECT_NEAR(air.speed, std::hypot(c.ahead, c.right), 1e-12) << c.direction << " deg, run " << c.run;
    EXPECT_NEAR(air.yawDeg, std::atan2(c.right, c.ahead) * kDeg, 1e-12) << c.direction << " deg, run " << c.run;
  }
}

TEST(WindTest, GustsOfOneSecondReachEveryRecord) {
  // 1.5 mph gusts as short as 1 s on a steady run at ten records a second,
  // read by a perfect anemometer: much of their variance lies within each
  // second (about 30 % for twelve periods between 1 and 20 s; under 5 %
  // once in 10000 draws of them), none if the wind were taken once a second.
  testsupport::ScratchDir dir;
  ASSERT_TRUE(simtest::Simulated(dir.path(),
                                 "--scenario still-air --gust 1.5 --gust-time 1 --rate 10 --zero-runs 1 "
                                 "--zero-duration 120 --cal-runs 0 --data-runs 1" + simtest::kPerfect));
  const simtest::Rows records = simtest::Table(testsupport::ReadFile(dir / "ZERO.1"));
  const std::vector<double> speed = simtest::Column(records, 0), air = simtest::Column(records, 1);
  double mean = 0.0, total = 0.0, within = 0.0;
  for (std::size_t i = 0; i < speed.size(); ++i) mean += (air[i] - speed[i]) / static_cast<double>(speed.size());
  for (std::size_t second = 0; second + 10 <= speed.size(); second += 10) {
    double block = 0.0;  // the gust's mean over the second
    for (std::size_t i = second; i < second + 10; ++i) block += (air[i] - speed[i]) / 10.0;
    for (std::size_t i = second; i < second + 10; ++i) {
      within += std::pow(air[i] - speed[i] - block, 2.0);
      total += std::pow(air[i] - speed[i] - mean, 2.0);
    }
  }
  EXPECT_GT(std::sqrt(total / static_cast<double>(speed.size())), 0.5);
  EXPECT_GT(within / total, 0.03);
}

}  // namespace
