// The still-air road load with its interval, and the truth of a simulated test as the page reads it.
#include "html/RoadLoad.h"

#include <gtest/gtest.h>

#include <cmath>

#include "tests/TestSupport.h"

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// m0 = 100 N and a0 = 0.4 N/(m/s)² with errors 5 and 0.01, correlated -0.5;
// m1 and m2 are zero and exact. The coefficients are listed out of order,
// as only their names say which is which.
record::AnalysisRecord TwoTerms() {
  record::AnalysisRecord r;
  r.mechFactor = 1.1;
  r.aeroFactor = 0.9;
  r.finalFit.completed = true;
  r.finalFit.coefficients = {100.0, 0.0, 0.0, 0.4, 0.0, 0.0, 0.0, 0.0};
  auto& u = r.uncertainty;
  u.available = true;
  u.t95 = 2.0;
  u.coefficients = {{"a0", "", 0.4, 0.01, kNaN, kNaN, kNaN, {}},
                    {"m2", "", 0.0, 0.0, kNaN, kNaN, kNaN, {}},
                    {"m0", "", 100.0, 5.0, kNaN, kNaN, kNaN, {}},
                    {"m1", "", 0.0, 0.0, kNaN, kNaN, kNaN, {}}};
  u.correlation = {{1.0, 0.0, -0.5, 0.0}, {0.0, 1.0, 0.0, 0.0}, {-0.5, 0.0, 1.0, 0.0}, {0.0, 0.0, 0.0, 1.0}};
  return r;
}

TEST(StillAirTest, IntervalFromTheCovarianceOfTheTerms) {
  for (const double v : {0.0, 10.0, 31.3}) {
    const html::RoadLoadValue got = html::StillAirRoadLoad(TwoTerms()).At(v);
    const double mech = 1.1 * 5.0;           // error of the mechanical term
    const double aero = 0.9 * v * v * 0.01;  // error of the aerodynamic term
    const double half = 2.0 * std::sqrt(mech * mech + aero * aero + 2.0 * -0.5 * mech * aero);
    EXPECT_NEAR(got.force, 110.0 + 0.36 * v * v, 1e-9) << v;
    EXPECT_NEAR(got.high - got.force, half, 1e-9) << v;
    EXPECT_NEAR(got.force - got.low, half, 1e-9) << v;
  }
}

TEST(StillAirTest, AHeldTermAddsNoError) {
  for (const bool listed : {false, true}) {
    record::AnalysisRecord r = TwoTerms();
    if (listed) {
      r.uncertainty.coefficients[0].standardError = kNaN;  // a0 held at ½·ρ·Cd·A
    } else {
      r.uncertainty.coefficients[0].name = "a1";  // a0 not among the fitted terms
    }
    const html::RoadLoadValue got = html::StillAirRoadLoad(r).At(20.0);
    EXPECT_NEAR(got.high - got.force, 2.0 * 1.1 * 5.0, 1e-9) << listed;
  }
}

// A record that lacks what the force needs gives no force; one that lacks
// only what the interval needs gives the force alone.
TEST(StillAirTest, WhatTheRecordLacksGivesNoNumber) {
  using Change = void (*)(record::AnalysisRecord&);
  const std::pair<bool, Change> cases[] = {  // whether the force is still given
      {false, [](record::AnalysisRecord& r) { r.finalFit.completed = false; }},
      {false, [](record::AnalysisRecord& r) { r.aeroFactor = kNaN; }},
      {false, [](record::AnalysisRecord& r) { r.finalFit.coefficients[2] = kNaN; }},
      {true, [](record::AnalysisRecord& r) { r.uncertainty.available = false; }},
      {true, [](record::AnalysisRecord& r) { r.uncertainty.t95 = kNaN; }},
      {true, [](record::AnalysisRecord& r) { r.uncertainty.correlation.resize(2); }},
      {true, [](record::AnalysisRecord& r) { r.uncertainty.coefficients[3].name = "x"; }},  // no m1
  };
  int row = 0;
  for (const auto& [force, change] : cases) {
    record::AnalysisRecord r = TwoTerms();
    change(r);
    const html::StillAirRoadLoad load(r);
    EXPECT_EQ(load.Available(), force) << row;
    EXPECT_FALSE(load.HasInterval()) << row;
    EXPECT_EQ(std::isfinite(load.At(10.0).force), force) << row;
    EXPECT_FALSE(std::isfinite(load.At(10.0).low)) << row++;
  }
}

TEST(TruthTest, ReadsTheShippedExample) {
  const html::Truth truth(testsupport::ReadFile(std::string(COASTDOWN_SOURCE_DIR) + "/examples/light-wind/truth.txt"));
  ASSERT_TRUE(truth.HasRoadLoad());
  EXPECT_DOUBLE_EQ(truth.Value("Amech"), 30.0);
  EXPECT_DOUBLE_EQ(truth.Value("Cmech"), 0.002);  // "0.002000 ^ 2"
  EXPECT_DOUBLE_EQ(truth.Value("Ctotl"), 0.019536);
  EXPECT_DOUBLE_EQ(truth.Value("Cd"), 0.32);
  EXPECT_DOUBLE_EQ(truth.Value("K4"), 0.134112);  // written ".134112"
  EXPECT_DOUBLE_EQ(truth.Value("Ka"), 1.02040816326531);
  EXPECT_DOUBLE_EQ(truth.Value("Head"), 4.35);      // the average wind comes before the largest
  EXPECT_TRUE(std::isnan(truth.Value("Made by")));  // comment lines are not read
  EXPECT_DOUBLE_EQ(truth.ForceLbf(50.0), 30.0 + 0.25 * 50.0 + 0.019536 * 2500.0);
}

}  // namespace
