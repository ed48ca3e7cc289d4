// The coast and the steady part of a run found from its speed trace alone,
// on traces of known truth: every coast's first and last record within one
// run-file record (0.2 s) of the truth, whatever the rate, noise, driving
// before it and ending after it; a run already trimmed keeps every record.
#include "Trimmer.h"

#include <gtest/gtest.h>

#include "CoastCases.h"

namespace {

using importer::EdgeKind;
using importtest::Drive;

TEST(TrimmerTest, FindsEveryCoastWithinOneRecord) {
  // Five seeds of every trace; the coverage tests run sixty.
  importtest::ExpectEveryCoastFound(5);
}

TEST(TrimmerTest, SteadyRunsKeepTheirSteadyPart) {
  // Driven up to a speed, held with noise, braked: the steady part is kept
  // from the first record after driving up to the last before braking.
  for (const double rate : {5.0, 10.0, 50.0}) {
    for (const double kmh : {30.0, 80.0}) {
      // A coast of a moment (5 mm/s), then braking.
      const Drive d{.rate = rate, .accel = 1.0, .hold = 30, .high = kmh / 3.6, .low = kmh / 3.6 - 0.005, .noise = 0.03};
      const Drive::Trace trace = d.Sample();
      const importer::Trim trim = importer::FindSteady(trace.time, trace.speed, {});
      SCOPED_TRACE(std::to_string(rate) + " Hz, " + std::to_string(kmh) + " km/h");
      ASSERT_TRUE(trim.found) << trim.failure;
      const double tolerance = 0.2 + 0.5 / rate;
      EXPECT_NEAR(trace.time[trim.first], d.CoastStart() - d.hold, tolerance);
      EXPECT_NEAR(trace.time[trim.last], d.CoastStart(), tolerance);
      EXPECT_EQ(trim.before.kind, EdgeKind::OutsideBand);
      EXPECT_NEAR(0.5 * (trim.bandLow + trim.bandHigh), d.high, 0.02);
    }
  }
}

TEST(TrimmerTest, WhatIsNoRunSaysWhy) {
  const std::vector<double> t = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11};
  const std::vector<double> standing(12, 0.0);
  const std::vector<double> rising = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11};
  EXPECT_EQ(importer::FindCoast(t, standing, {}).failure, "no stretch in which the speed falls steadily");
  EXPECT_EQ(importer::FindCoast(t, rising, {}).failure, "no stretch in which the speed falls steadily");
  EXPECT_EQ(importer::FindSteady(t, standing, {}).failure, "no record at a steady speed");
  EXPECT_EQ(importer::FindCoast({0, 1}, {1, 0}, {}).failure, "fewer than 10 records");

  // Standing, driving up, and a last record well below: the only steady
  // stretch ends the trace, and its ends are searched for without reading
  // past it (a fuzzed logger file once did).
  std::vector<double> time;
  std::vector<double> speed;
  for (int i = 0; i < 31; ++i) {
    time.push_back(0.5 * i);
    speed.push_back(i < 11 ? 0.0 : 0.75 * (i - 10));
  }
  time.push_back(15.5);
  speed.push_back(13.4112);
  EXPECT_EQ(importer::FindSteady(time, speed, {}).failure.rfind("no steady stretch of", 0), 0u);
}

}  // namespace
