// The derived members of a sample: the wind components in the track frame,
// with the analysis' own degree factor.
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

TEST(CMeasurementTest, DerivedMembers) {
  for (int dir : {1, -1}) {
    const CMeasurement m = Sample(20, 22, 10, dir);
    EXPECT_NEAR(m.North().value(), dir * 1.6657699, 1e-7);
    EXPECT_NEAR(m.East().value(), dir * 3.8202639, 1e-7);
  }
  // At 90 degrees the program's own pi, 3.141596, leaves a trace of head wind.
  EXPECT_NEAR(Sample(20, 30, 90, 1).North().value(), -20.0000502, 1e-7);
}

}  // namespace
