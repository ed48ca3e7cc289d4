// The yaw curve table: what a user's file may hold and what it means
// between and beyond its points.
#include "methods/YawCurve.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "common/RuntimeError.h"
#include "tests/TestSupport.h"

namespace {

// A table of one side holds for both; its values and slopes between the
// points, and none beyond them.
TEST(YawCurveTest, OneSideIsMirroredAndInterpolatedStraightInTheSquareOfTheYaw) {
  const YawCurve curve = YawCurve::FromPoints({{10.0, 1.08}, {0.0, 1.0}, {20.0, 1.3}});
  EXPECT_DOUBLE_EQ(curve.LowestYaw(), -20.0);
  EXPECT_DOUBLE_EQ(curve.HighestYaw(), 20.0);
  struct Row {
    double yaw;
    double ratio;  // NaN beyond the table
    double slope;
  };
  // Between 10° and 20° the ratio moves by 0.22 over 300 square degrees.
  const Row rows[] = {
      {0.0, 1.0, 0.0},           {5.0, 1.02, 0.008},          {-5.0, 1.02, -0.008},
      {10.0, 1.08, 0.22 * 20 / 300}, {15.0, 1.08 + 0.22 * 125 / 300, 0.22 * 30 / 300}, {20.0, 1.3, 0.22 * 40 / 300},
      {-20.0, 1.3, -0.22 * 40 / 300}, {-12.5, 1.3 - 0.22 * 243.75 / 300, -0.22 * 25 / 300},
      {20.5, NAN, NAN},          {-21.0, NAN, NAN},
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

// A drag that grows with the square of the yaw is met between the points,
// not overstated as a line in the yaw would (by k/4 in the middle of 1° steps).
TEST(YawCurveTest, AQuadraticCurveIsExactBetweenItsPoints) {
  const double k = 0.0008;
  std::vector<YawCurve::Point> points;
  for (int deg = 0; deg <= 30; ++deg) points.emplace_back(deg, 1.0 + k * deg * deg);
  const YawCurve curve = YawCurve::FromPoints(points);
  for (const double yaw : {0.5, 3.3, -7.5, 12.25, 29.9}) {
    EXPECT_NEAR(curve.Ratio(yaw), 1.0 + k * yaw * yaw, 1e-14) << yaw;
    EXPECT_NEAR(curve.Slope(yaw), 2.0 * k * yaw, 1e-13) << yaw;
  }
}

// An asymmetric vehicle: a table of both sides is used as it stands.
TEST(YawCurveTest, BothSidesAreKeptAsGiven) {
  const YawCurve curve = YawCurve::FromPoints({{-10.0, 1.12}, {0.0, 1.0}, {10.0, 1.06}});
  EXPECT_NEAR(curve.Ratio(-5.0), 1.03, 1e-12);
  EXPECT_NEAR(curve.Ratio(5.0), 1.015, 1e-12);
  EXPECT_EQ(curve.Points().size(), 3u);
}

// Each table that is no drag ratio is refused with what is wrong with it.
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

// A --yaw-curve file as a user writes it, and files that are no curve.
TEST(YawCurveTest, AFileIsReadAsItsTableAndRefusedWithItsLine) {
  const testsupport::ScratchDir dir;
  testsupport::WriteFile(dir / "curve.csv", "Yaw,Ratio\r\n# from the wind tunnel\r\n\r\n0,1\r\n 5 , 1.02 \r\n10,1.08\r\n");
  const YawCurve curve = YawCurve::FromFile(dir / "curve.csv");
  EXPECT_DOUBLE_EQ(curve.LowestYaw(), -10.0);
  EXPECT_NEAR(curve.Ratio(-5.0), 1.02, 1e-12);

  struct Row {
    std::string text;
    ErrorNumber number;
    std::string detail;
  };
  const Row rows[] = {
      {"0,1\n5;1.02\n", ErrorNumber::TypeMismatch, "line 2: \"5;1.02\" is not YAW_DEG,RATIO"},
      {"0,1\n5,1.02,3\n", ErrorNumber::TypeMismatch, "line 2"},
      {"yaw,ratio\n0,1\nyaw,ratio\n", ErrorNumber::TypeMismatch, "line 3"},
      {"0,1.01\n5,1.02\n", ErrorNumber::InvalidProcedureCall, "curve.csv: the yaw curve's ratio at 0 deg is 1.01"},
      {"# nothing\n", ErrorNumber::InvalidProcedureCall, "no ratio at 0 deg"},
      {"", ErrorNumber::FileNotFound, "not found"},  // no file at all
  };
  for (const Row& row : rows) {
    const std::string path = dir / (row.text.empty() ? "missing.csv" : "curve.csv");
    if (!row.text.empty()) testsupport::WriteFile(path, row.text);
    try {
      (void)YawCurve::FromFile(path);
      ADD_FAILURE() << "accepted: " << row.text;
    } catch (const RuntimeError& e) {
      EXPECT_EQ(e.Number(), row.number) << row.text;
      EXPECT_NE(e.Detail().find("--yaw-curve " + path), std::string::npos) << e.Detail();
      EXPECT_NE(e.Detail().find(row.detail), std::string::npos) << e.Detail();
    }
  }
}

}  // namespace
