// The yaw curve table: what a user's file may hold and what it means
// between and beyond its points.
#include "methods/YawCurve.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "common/RuntimeError.h"

namespace {

TEST(YawCurveTest, OneSideIsMirroredAndInterpolatedStraight) {
  const YawCurve curve = YawCurve::FromPoints({{10.0, 1.08}, {0.0, 1.0}, {20.0, 1.3}});
  EXPECT_DOUBLE_EQ(curve.LowestYaw(), -20.0);
  EXPECT_DOUBLE_EQ(curve.HighestYaw(), 20.0);
  struct Row {
    double yaw;
    double ratio;  // NaN beyond the table
    double slope;
  };
  const Row rows[] = {
      {0.0, 1.0, 0.008},    {5.0, 1.04, 0.008},  {-5.0, 1.04, -0.008},  {10.0, 1.08, 0.022},
      {15.0, 1.19, 0.022},  {20.0, 1.3, 0.022},  {-20.0, 1.3, -0.022}, {-12.5, 1.135, -0.022},
      {20.5, NAN, NAN},     {-21.0, NAN, NAN},
  };
  for (const Row& r : rows) {
    if (std::isnan(r.ratio)) {
      EXPECT_FALSE(curve.Covers(r.yaw)) << r.yaw;
      EXPECT_TRUE(std::isnan(curve.Ratio(r.yaw))) << r.yaw;
      continue;
    }
    EXPECT_TRUE(curve.Covers(r.yaw)) << r.yaw;
    EXPECT_NEAR(curve.Ratio(r.yaw), r.ratio, 1e-12) << r.yaw;
    EXPECT_NEAR(curve.Slope(r.yaw), r.slope, 1e-12) << r.yaw;
  }
}

TEST(YawCurveTest, BothSidesAreKeptAsGiven) {
  // An asymmetric vehicle: the table is used as it stands.
  const YawCurve curve = YawCurve::FromPoints({{-10.0, 1.12}, {0.0, 1.0}, {10.0, 1.06}});
  EXPECT_NEAR(curve.Ratio(-5.0), 1.06, 1e-12);
  EXPECT_NEAR(curve.Ratio(5.0), 1.03, 1e-12);
  EXPECT_EQ(curve.Points().size(), 3u);
}

TEST(YawCurveTest, TablesThatCannotBeACurveAreRefused) {
  const std::pair<std::vector<YawCurve::Point>, std::string> rows[] = {
      {{{5.0, 1.02}, {10.0, 1.08}}, "no ratio at 0 deg"},
      {{{0.0, 1.01}, {10.0, 1.08}}, "ratio at 0 deg is 1.01"},
      {{{0.0, 1.0}, {10.0, 1.08}, {10.0, 1.09}}, "deg twice"},
      {{{0.0, 1.0}, {10.0, -1.0}}, "at 10 deg is not a number above 0"},
      {{{0.0, 1.0}, {NAN, 1.1}}, "not a number"},
      {{{0.0, 1.0}}, "no point besides 0 deg"},
  };
  for (const auto& [points, detail] : rows) {
    try {
      (void)YawCurve::FromPoints(points);
      ADD_FAILURE() << "accepted: " << detail;
    } catch (const RuntimeError& e) {
      EXPECT_EQ(e.Number(), ErrorNumber::InvalidProcedureCall);
      EXPECT_NE(e.Detail().find(detail), std::string::npos) << e.Detail();
    }
  }
  // Within 1e-6 of 1 is 1.
  EXPECT_NO_THROW((void)YawCurve::FromPoints({{0.0, 1.0000005}, {10.0, 1.08}}));
}

}  // namespace
