// The still-air road load with its interval, and the truth of a simulated test.
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
  u.coefficients = {{"a0", "", 0.4, 0.01, kNaN, kNaN},
                    {"m2", "", 0.0, 0.0, kNaN, kNaN},
                    {"m0", "", 100.0, 5.0, kNaN, kNaN},
                    {"m1", "", 0.0, 0.0, kNaN, kNaN}};
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

TEST(StillAirTest, WhatTheRecordLacksGivesNoNumber) {
  struct Case {
    const char* what;
    void (*change)(record::AnalysisRecord&);
    bool available, interval;
  };
  const Case cases[] = {
      {"no final fit", [](record::AnalysisRecord& r) { r.finalFit.completed = false; }, false, false},
      {"no correction factor", [](record::AnalysisRecord& r) { r.aeroFactor = kNaN; }, false, false},
      {"a coefficient not a number", [](record::AnalysisRecord& r) { r.finalFit.coefficients[2] = kNaN; }, false,
       false},
      {"no uncertainty", [](record::AnalysisRecord& r) { r.uncertainty.available = false; }, true, false},
      {"no t", [](record::AnalysisRecord& r) { r.uncertainty.t95 = kNaN; }, true, false},
      {"correlation too small", [](record::AnalysisRecord& r) { r.uncertainty.correlation.resize(2); }, true, false},
      {"m1 missing", [](record::AnalysisRecord& r) { r.uncertainty.coefficients[3].name = "x"; }, true, false},
  };
  for (const Case& c : cases) {
    record::AnalysisRecord r = TwoTerms();
    c.change(r);
    const html::StillAirRoadLoad load(r);
    EXPECT_EQ(load.Available(), c.available) << c.what;
    EXPECT_EQ(load.HasInterval(), c.interval) << c.what;
    EXPECT_EQ(std::isfinite(load.At(10.0).force), c.available) << c.what;
    EXPECT_EQ(std::isfinite(load.At(10.0).low), c.interval) << c.what;
  }
}

TEST(TestConditionsForceTest, StillAirWithoutCorrections) {
  record::FitRecord fit;
  fit.completed = true;
  fit.coefficients = {100.0, 2.0, 0.05, 0.4, 9.0, 9.0, 9.0, 9.0};  // the yaw terms vanish at yaw 0
  EXPECT_DOUBLE_EQ(html::TestConditionsForce(fit, 10.0), 100.0 + 20.0 + 45.0);
  fit.completed = false;
  EXPECT_TRUE(std::isnan(html::TestConditionsForce(fit, 10.0)));
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

TEST(TruthTest, TextWithoutTheRoadLoadTerms) {
  for (const char* text : {"", "Amech: 30\r\nBmech: 0.25\r\n", "Amech: x\nBmech: 1\nCtotl: 2\n", "# Ctotl: 2\n"}) {
    EXPECT_FALSE(html::Truth(text).HasRoadLoad()) << text;
  }
  EXPECT_TRUE(html::Truth("Amech: 30\r\nBmech: -.25\r\nCtotl: 2E-2 N/MPH ^ 2").HasRoadLoad());
  EXPECT_DOUBLE_EQ(html::Truth("Bmech: -.25").Value("Bmech"), -0.25);
}

}  // namespace
