// The derived members of a sample: wind components in the track frame, the
// force, and the two polynomials that the solvers and the filter evaluate.
#include "data/CMeasurement.h"

#include <gtest/gtest.h>

#include "tests/TestSupport.h"

namespace {

using testsupport::Coefficients;

CMeasurement Sample(double V, double Vr, double yaw, int dir) {
  CMeasurement m;
  m.dVehicleSpeed = V;
  m.dWindSpeed = Vr;
  m.dAngle = yaw;
  m.nRunDir = dir;
  return m;
}

TEST(CMeasurementTest, DerivedMembers) {
  for (int dir : {1, -1}) {
    const CMeasurement m = Sample(20, 22, 10, dir);
    EXPECT_NEAR(m.North().value(), dir * 1.6657699, 1e-7);
    EXPECT_NEAR(m.East().value(), dir * 3.8202639, 1e-7);
  }
  // At 90 degrees the program's own pi, 3.141596, leaves a trace of head wind.
  EXPECT_NEAR(Sample(20, 30, 90, 1).North().value(), -20.0000502, 1e-7);
  CMeasurement m;
  m.dDelta = 0.25;
  EXPECT_NEAR(m.force(15000).value(), 382.39358, 1e-5);
  // 100 + 2 V + 0.5 V², and Vr² (0.4 + 0.01 yaw + 0.002 yaw²) from the fourth coefficient.
  const CMeasurement s = Sample(20, 22, 10, 1);
  EXPECT_DOUBLE_EQ(s.MechDrag(2, Coefficients({100, 2, 0.5})).value(), 340.0);
  EXPECT_DOUBLE_EQ(s.Drag(2, Coefficients({0, 0, 0, 0.4, 0.01, 0.002}), 3).value(), 22.0 * 22.0 * (0.4 + 0.1 + 0.2));
}

}  // namespace
