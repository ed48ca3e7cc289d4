// The derived members of a sample: wind components in the track frame, the
// force, and the two polynomials that the solvers and the filter evaluate.
#include "data/CMeasurement.h"

#include <gtest/gtest.h>

#include "tests/TestSupport.h"

namespace {

CMeasurement Sample(double V, double Vr, double yaw, int dir) {
  CMeasurement m;
  m.dVehicleSpeed = V;
  m.dWindSpeed = Vr;
  m.dAngle = yaw;
  m.nRunDir = dir;
  return m;
}

BoundedArray<Real> Coefficients(std::initializer_list<double> values) {
  BoundedArray<Real> a(1, static_cast<long>(values.size()));
  long i = 1;
  for (double v : values) a(i++) = v;
  return a;
}

TEST(CMeasurementTest, WindComponents) {
  const struct {
    double V, Vr, yaw;
    int dir;
    double north, east;
  } cases[] = {
      {20, 22, 10, 1, 1.66577, 3.82026},
      {20, 22, 10, -1, -1.66577, -3.82026},
      {20, 22, 10, 0, 0, 0},
      {20, 20, 0, 1, 0, 0},
  };
  for (const auto& c : cases) {
    const CMeasurement m = Sample(c.V, c.Vr, c.yaw, c.dir);
    EXPECT_NEAR(m.North().value(), c.north, 5e-6);
    EXPECT_NEAR(m.East().value(), c.east, 5e-6);
  }
}

TEST(CMeasurementTest, NinetyDegreesUsesTheProgramsOwnPi) {
  const CMeasurement m = Sample(20, 30, 90, 1);
  EXPECT_NEAR(m.North().value(), -1.6732e-6 * 30 - 20, 1e-9);
  EXPECT_NE(m.North().value(), -20.0);
}

TEST(CMeasurementTest, ForceIsMassTimesDeceleration) {
  CMeasurement m;
  m.dDelta = 0.25;
  EXPECT_NEAR(m.force(15000).value(), 382.394, 5e-4);
  m.dDelta = -0.1;
  EXPECT_LT(m.force(15000).value(), 0.0);
  m.dDelta = 0.0;
  EXPECT_EQ(m.force(15000).value(), 0.0);
}

TEST(CMeasurementTest, Polynomials) {
  const CMeasurement m = Sample(20, 22, 10, 1);
  EXPECT_DOUBLE_EQ(m.MechDrag(2, Coefficients({100, 2, 0.5})).value(), 340.0);
  EXPECT_DOUBLE_EQ(m.Drag(2, Coefficients({0, 0, 0, 0.4, 0.01, 0.002}), 3).value(), 22.0 * 22.0 * (0.4 + 0.1 + 0.2));
  EXPECT_DOUBLE_EQ(m.Drag(1, Coefficients({0.3, 0.01}), 0).value(), 22.0 * 22.0 * 0.4);
  EXPECT_EQ(m.MechDrag(-1, Coefficients({5})).value(), 0.0);
  const CMeasurement still = Sample(0, 0, 0, 1);
  EXPECT_EQ(still.MechDrag(0, Coefficients({7, 1})).value(), 7.0);  // 0^0 is 1
}

TEST(CMeasurementTest, PolynomialIndexFaults) {
  const CMeasurement m = Sample(20, 22, 10, 1);
  const BoundedArray<Real> three = Coefficients({1, 2, 3});
  EXPECT_EQ(testsupport::ErrorOf([&] { m.MechDrag(3, three); }), 9);
  EXPECT_EQ(testsupport::ErrorOf([&] { m.Drag(1, three, 2); }), 9);
  EXPECT_EQ(testsupport::ErrorOf([&] { m.Drag(0, three, 32767); }), 6);
  EXPECT_EQ(testsupport::ErrorOf([&] { m.MechDrag(0, BoundedArray<Real>()); }), 9);
}

}  // namespace
