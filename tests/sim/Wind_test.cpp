// Sign conventions of the wind and of the air the vehicle meets.
#include <gtest/gtest.h>

#include <cmath>

#include "Units.h"
#include "Wind.h"

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

}  // namespace
