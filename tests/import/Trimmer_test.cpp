// The coast and the steady part of a run found from its speed trace alone,
// on traces of known truth: every coast's first and last record within one
// run-file record (0.2 s) of the truth, whatever the rate, noise, driving
// before it and ending after it; a run already trimmed keeps every record.
#include "Trimmer.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>

#include "SyntheticDrive.h"

namespace {

using importer::EdgeKind;
using importtest::Drive;

Drive With(const std::function<void(Drive&)>& change) {
  Drive d;
  change(d);
  return d;
}

TEST(TrimmerTest, FindsEveryCoastWithinOneRecord) {
  // Within a run-file record (0.2 s) or half the logger's own interval more
  // (tolerance 0), over 60 seeds; the few traces beyond it with the limit
  // the README gives for them.
  const struct {
    const char* name;
    Drive drive;
    EdgeKind before;
    EdgeKind after;
    double tolerance;
  } cases[] = {
      {"10 Hz, hold, braking", Drive{}, EdgeKind::Steady, EdgeKind::Braking, 0},
      {"5 Hz", With([](Drive& d) { d.rate = 5; }), EdgeKind::Steady, EdgeKind::Braking, 0},
      {"12.5 Hz, odd phase", With([](Drive& d) { d.rate = 12.5; d.phase = 0.037; }), EdgeKind::Steady,
       EdgeKind::Braking, 0},
      {"100 Hz, noisy", With([](Drive& d) { d.rate = 100; d.noise = 0.05; }), EdgeKind::Steady, EdgeKind::Braking, 0},
      {"2 Hz", With([](Drive& d) { d.rate = 2; d.phase = 0.1; }), EdgeKind::Steady, EdgeKind::Braking, 0},
      {"1 Hz", With([](Drive& d) { d.rate = 1; d.phase = 0.4; }), EdgeKind::Steady, EdgeKind::Braking, 0},
      {"noisy 5 Hz", With([](Drive& d) { d.rate = 5; d.noise = 0.045; }), EdgeKind::Steady, EdgeKind::Braking, 0},
      {"no noise", With([](Drive& d) { d.noise = 0; }), EdgeKind::Steady, EdgeKind::Braking, 0},
      {"0.1 km/h steps", With([](Drive& d) { d.noise = 0.02; d.quantum = 0.1 / 3.6; }), EdgeKind::Steady,
       EdgeKind::Braking, 0},
      {"no hold", With([](Drive& d) { d.hold = 0; }), EdgeKind::Driven, EdgeKind::Braking, 0},
      {"a short hold", With([](Drive& d) { d.hold = 0.5; }), EdgeKind::Steady, EdgeKind::Braking, 0},
      {"a hold of 1 s", With([](Drive& d) { d.hold = 1; }), EdgeKind::Steady, EdgeKind::Braking, 0},
      {"a long hold", With([](Drive& d) { d.hold = 30; }), EdgeKind::Steady, EdgeKind::Braking, 0},
      {"slow driving up", With([](Drive& d) { d.accel = 0.3; }), EdgeKind::Steady, EdgeKind::Braking, 0},
      {"very gentle braking", With([](Drive& d) { d.brake = 0.4; }), EdgeKind::Steady, EdgeKind::Braking, 0},
      {"gentle braking", With([](Drive& d) { d.brake = 0.67; }), EdgeKind::Steady, EdgeKind::Braking, 0},
      {"hard braking", With([](Drive& d) { d.brake = 7; }), EdgeKind::Steady, EdgeKind::Braking, 0},
      {"braking that builds up", With([](Drive& d) { d.brakeRamp = 0.3; }), EdgeKind::Steady, EdgeKind::Braking, 0},
      {"braking that builds up slowly", With([](Drive& d) { d.brakeRamp = 1.0; }), EdgeKind::Steady,
       EdgeKind::Braking, 0},
      {"driven on", With([](Drive& d) { d.after = Drive::After::Drive; d.brake = 1.0; }), EdgeKind::Steady,
       EdgeKind::Rising, 0},
      {"driven on gently", With([](Drive& d) { d.after = Drive::After::Drive; d.brake = 0.3; }), EdgeKind::Steady,
       EdgeKind::Rising, 0},
      {"to the end", With([](Drive& d) { d.after = Drive::After::End; }), EdgeKind::Steady, EdgeKind::None, 0},
      {"gusts and grades", With([](Drive& d) { d.wobble = 0.03; }), EdgeKind::Steady, EdgeKind::Braking, 0},
      {"strong and slow", With([](Drive& d) { d.wobble = 0.08; d.wobblePeriod = 20; }), EdgeKind::Steady,
       EdgeKind::Braking, 0},
      {"quick", With([](Drive& d) { d.wobble = 0.05; d.wobblePeriod = 3; }), EdgeKind::Steady, EdgeKind::Braking, 0},
      {"truck", With([](Drive& d) { d.high = 26.8; d.d0 = 0.06; d.accel = 0.5; }), EdgeKind::Steady,
       EdgeKind::Braking, 0},
      {"a short coast, long braking", With([](Drive& d) { d.low = 25; }), EdgeKind::Steady, EdgeKind::Braking, 0},
      {"already trimmed", With([](Drive& d) { d.rate = 5; d.after = Drive::After::End; d.phase = d.CoastStart(); }),
       EdgeKind::None, EdgeKind::None, 0},
      {"already trimmed, noisy",
       With([](Drive& d) { d.rate = 5; d.noise = 0.045; d.after = Drive::After::End; d.phase = d.CoastStart(); }),
       EdgeKind::None, EdgeKind::None, 0},
      // Beyond a record: a gentle braking that builds up over a second is
      // within the noise for half of it; display steps of 1 km/h without
      // noise; noise of 0.1 m/s.
      {"gentle braking built up over 1 s", With([](Drive& d) { d.brakeRamp = 1.0; d.brake = 0.8; }), EdgeKind::Steady,
       EdgeKind::Braking, 0.55},
      {"1 km/h steps", With([](Drive& d) { d.noise = 0; d.quantum = 1 / 3.6; }), EdgeKind::Steady, EdgeKind::Braking,
       0.3},
      {"very noisy", With([](Drive& d) { d.noise = 0.1; }), EdgeKind::Steady, EdgeKind::Braking, 0.4},
  };
  for (const auto& c : cases) {
    double worstStart = 0.0;
    double worstEnd = 0.0;
    for (std::uint64_t seed = 1; seed <= 60; ++seed) {
      Drive drive = c.drive;
      drive.seed = seed;
      const Drive::Trace trace = drive.Sample();
      const importer::Trim trim = importer::FindCoast(trace.time, trace.speed, {});
      SCOPED_TRACE(std::string(c.name) + ", seed " + std::to_string(seed));
      ASSERT_TRUE(trim.found) << trim.failure;
      const double start = trace.time[trim.first] - std::max(drive.CoastStart(), trace.time.front());
      const double end = trace.time[trim.last] - std::min(drive.CoastEnd(), trace.time.back());
      if (std::fabs(start) > std::fabs(worstStart)) worstStart = start;
      if (std::fabs(end) > std::fabs(worstEnd)) worstEnd = end;
      EXPECT_EQ(trim.before.kind, c.before);
      EXPECT_EQ(trim.after.kind, c.after);
      if (c.after == EdgeKind::Braking && drive.brakeRamp == 0.0) {
        EXPECT_NEAR(trim.after.deceleration, drive.brake, 0.35 * drive.brake);
        EXPECT_NEAR(trim.after.coastDeceleration, drive.d0 + drive.d2 * drive.low * drive.low, 0.03);
      }
    }
    const double tolerance = c.tolerance > 0 ? c.tolerance : 0.2 + 0.5 / c.drive.rate;
    EXPECT_LE(std::fabs(worstStart), tolerance) << c.name << ": worst start " << worstStart << " s";
    EXPECT_LE(std::fabs(worstEnd), tolerance) << c.name << ": worst end " << worstEnd << " s";
  }
}

TEST(TrimmerTest, SteadyRunsKeepTheirSteadyPart) {
  // Driven up to a speed, held with noise, braked: the steady part is kept
  // from the first record after driving up to the last before braking.
  for (const double rate : {5.0, 10.0, 50.0}) {
    for (const double kmh : {30.0, 80.0}) {
      Drive d;
      d.rate = rate;
      d.high = kmh / 3.6;
      d.accel = 1.0;
      d.hold = 30;
      d.low = d.high - 0.005;  // a coast of a moment, then braking
      d.noise = 0.03;
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
}

}  // namespace
