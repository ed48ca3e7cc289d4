// The integrator, the vehicle's forces and the coastdown they drive, against
// closed-form solutions.
#include <gtest/gtest.h>

#include <cmath>

#include "Rk4.h"
#include "Runs.h"
#include "SimTestSupport.h"
#include "Units.h"

namespace {

TEST(Rk4Test, FourthOrderOnATimeDependentEquation) {
  // dv/dt = t − v from v(0) = 0 has v = t − 1 + e^−t; the stages must be
  // taken at t + h/2 and t + h, which an autonomous equation would not notice.
  const auto f = [](double t, double v) { return t - v; };
  double error[2];
  int k = 0;
  for (int steps : {20, 40}) {
    double v = 0.0;
    for (int i = 0; i < steps; ++i) v = sim::Rk4Step(f, i * 2.0 / steps, v, 2.0 / steps);
    error[k++] = std::fabs(v - 1.0 - std::exp(-2.0));
  }
  EXPECT_LT(error[0], 1e-5);
  EXPECT_NEAR(error[0] / error[1], 16.0, 3.0);  // halving the step divides the error by 2^4
}

TEST(Rk4Test, StillAirCoastdownMatchesTheClosedFormAtEveryRateAndRotatingMass) {
  // dv/dt = -(a + c·v²) has v(t) = √(a/c)·tan(atan(v0·√(c/a)) − √(a·c)·t);
  // in still air the drag adds ½ρCd0·Af to the mechanical square term, and
  // the forces act on the mass and the rotating mass together.
  const struct {
    int rate;
    double rotatingKg;
  } cases[] = {{5, 0.0}, {10, 0.0}, {1, 400.0}, {20, 48.0}};
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.rate << " records/s, rotating mass " << c.rotatingKg);
    const sim::TestDrive drive(simtest::Config("--scenario still-air --mech-b 0 --rate " + std::to_string(c.rate) +
                                               " --rotating-mass " + std::to_string(c.rotatingKg) + simtest::kPerfect));
    const double m = sim::MassFromWeight(3500.0) + c.rotatingKg, a = 30.0 * 4.448 / m, v0 = 70.0 * 0.44704;
    const double cc = (0.002 * 4.448 / (0.44704 * 0.44704) + 0.5 * sim::TestAirDensity({}) * 0.32 * 22.5 * 0.0929) / m;
    const sim::Run run = drive.Coastdown(2, 0.0);
    ASSERT_GT(run.truth.size(), 100u);
    for (std::size_t i = 0; i < run.truth.size(); ++i) {
      const sim::TrueState& s = run.truth[i];
      ASSERT_NEAR(s.time, static_cast<double>(i) / c.rate, 1e-9);
      const double exact = std::sqrt(a / cc) * std::tan(std::atan(v0 * std::sqrt(cc / a)) - std::sqrt(a * cc) * s.time);
      ASSERT_NEAR(s.speed, exact, 1e-9 * exact) << "t = " << s.time;
      ASSERT_EQ(s.air.yawDeg, 0.0);
    }
    // The run ends with the first record below the low speed.
    EXPECT_LT(run.truth.back().speed, 15.0 * 0.44704);
    EXPECT_GE(run.truth[run.truth.size() - 2].speed, 15.0 * 0.44704);
  }
}

}  // namespace
