// The integrator and the coastdown it drives, against closed-form solutions.
#include <gtest/gtest.h>

#include <cmath>

#include "Rk4.h"
#include "Runs.h"
#include "SimTestSupport.h"
#include "Units.h"

namespace {

using sim::Rk4Step;

double Integrate(double (*f)(double, double), double v0, double t1, int steps) {
  const double h = t1 / steps;
  double v = v0;
  for (int i = 0; i < steps; ++i) v = Rk4Step(f, i * h, v, h);
  return v;
}

TEST(Rk4Test, FourthOrderOnAutonomousAndTimeDependentEquations) {
  struct Case {
    const char* name;
    double (*f)(double, double);
    double v0;
    double t1;
    double exact;
  } cases[] = {
      // Quadratic drag alone: v = v0 / (1 + v0·t).
      {"dv/dt = -v^2", [](double, double v) { return -v * v; }, 2.0, 3.0, 2.0 / (1.0 + 2.0 * 3.0)},
      // Stages must be evaluated at t + h/2 and t + h: v = sin t.
      {"dv/dt = cos t", [](double t, double) { return std::cos(t); }, 0.0, 2.0, std::sin(2.0)},
      // Linear with forcing: v = t - 1 + exp(-t).
      {"dv/dt = t - v", [](double t, double v) { return t - v; }, 0.0, 2.0, std::exp(-2.0) + 2.0 - 1.0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const double coarse = std::fabs(Integrate(c.f, c.v0, c.t1, 20) - c.exact);
    const double fine = std::fabs(Integrate(c.f, c.v0, c.t1, 40) - c.exact);
    EXPECT_LT(coarse, 1e-5);
    // Halving the step divides a fourth-order error by about 16.
    EXPECT_GT(coarse / fine, 13.0);
    EXPECT_LT(coarse / fine, 19.0);
  }
}

sim::SimConfig StillAirVehicle() {
  sim::SimConfig c;  // still air, no gusts
  simtest::MakeInstrumentsPerfect(c);
  c.vehicle.mechB = 0.0;
  c.runs.coastHighMph = 70.0;
  c.runs.coastLowMph = 15.0;
  return c;
}

TEST(CoastdownTest, ConstantForceGivesLinearSpeedDecay) {
  sim::SimConfig c = StillAirVehicle();
  c.vehicle.cd0 = 0.0;
  c.vehicle.mechC = 0.0;
  c.vehicle.mechA = 40.0;
  const sim::TestDrive drive(c);
  const sim::Run run = drive.Coastdown(1, 0.0);
  const double v0 = sim::MphToMetresPerSecond(70.0);
  const double decel = 40.0 * sim::kNewtonPerPound / sim::MassFromWeight(c.vehicle.weightLb);
  for (const sim::TrueState& s : run.truth) ASSERT_NEAR(s.speed, v0 - decel * s.time, 1e-9) << "t = " << s.time;
  // The run ends with the first record below the low speed.
  const double low = sim::MphToMetresPerSecond(15.0);
  ASSERT_GE(run.truth.size(), 2u);
  EXPECT_LT(run.truth.back().speed, low);
  EXPECT_GE(run.truth[run.truth.size() - 2].speed, low);
  EXPECT_NEAR(run.truth.back().time, std::ceil((v0 - low) / decel / 0.2) * 0.2, 1e-9);
}

TEST(CoastdownTest, ConstantPlusSquareLoadInStillAirMatchesClosedForm) {
  // dv/dt = -(a + c·v²) has v(t) = √(a/c)·tan(atan(v0·√(c/a)) − √(a·c)·t);
  // in still air the drag adds ½ρCd·Af to the mechanical square term.
  for (double step : {0.01, 0.005}) {
    sim::SimConfig c = StillAirVehicle();
    c.runs.stepS = step;
    const sim::TestDrive drive(c);
    const double m = drive.vehicle().Mass();
    const double a = drive.vehicle().M0() / m;
    const double cc = (drive.vehicle().M2() + drive.vehicle().A0()) / m;
    const double v0 = sim::MphToMetresPerSecond(70.0);
    const sim::Run run = drive.Coastdown(2, 0.0);
    ASSERT_GT(run.truth.size(), 100u);
    for (const sim::TrueState& s : run.truth) {
      const double exact = std::sqrt(a / cc) * std::tan(std::atan(v0 * std::sqrt(cc / a)) - std::sqrt(a * cc) * s.time);
      ASSERT_NEAR(s.speed, exact, 1e-9 * exact) << "step " << step << ", t = " << s.time;
      ASSERT_DOUBLE_EQ(s.air.speed, s.speed);  // still air: the air meets the nose at vehicle speed
      ASSERT_EQ(s.air.yawDeg, 0.0);
    }
  }
}

TEST(CoastdownTest, YawRaisesDragAsDocumented) {
  sim::SimConfig c;
  c.vehicle.cdYawPerDeg2 = 0.001;
  const sim::Vehicle vehicle(c.vehicle, 1.2);
  const sim::RelativeAir nose{30.0, 0.0};
  const sim::RelativeAir yawed{30.0, -10.0};
  const double a0 = 0.5 * 1.2 * c.vehicle.cd0 * c.vehicle.areaFt2 * 0.0929;
  EXPECT_NEAR(vehicle.AeroForce(nose), a0 * 900.0, 1e-9);
  EXPECT_NEAR(vehicle.AeroForce(yawed), a0 * 1.1 * 900.0, 1e-9);
  // Mechanical load: lbf, lbf/mph and lbf/mph² at 50 mph.
  const double v = sim::MphToMetresPerSecond(50.0);
  const double lbf = c.vehicle.mechA + c.vehicle.mechB * 50.0 + c.vehicle.mechC * 2500.0;
  EXPECT_NEAR(vehicle.MechanicalForce(v), lbf * 4.448, 1e-9);
}

}  // namespace
