// The derived members of a sample: the wind components in the track frame,
// with the analysis' own degree factor.
#include "data/CMeasurement.h"

#include <gtest/gtest.h>

#include "data/CDataCol.h"

namespace {

// Samples made as the collection makes them: odd runs go one way, even
// runs the other.
TEST(CMeasurementTest, DerivedMembers) {
  CDataCol col;
  for (int run : {1, 2}) {
    const double dir = run == 1 ? 1.0 : -1.0;
    const CDataCol::SampleRef m = col.Add(20, 22, 10, run);
    EXPECT_NEAR(m->North().value(), dir * 1.6657699, 1e-7);
    EXPECT_NEAR(m->East().value(), dir * 3.8202639, 1e-7);
  }
  // At 90 degrees the program's own pi, 3.141596, leaves a trace of head wind.
  EXPECT_NEAR(col.Add(20, 30, 90, 1)->North().value(), -20.0000502, 1e-7);
}

}  // namespace
