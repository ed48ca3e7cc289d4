// The coast and the steady part of a run found from its speed trace alone,
// on traces of known truth: every coast's first and last record within one
// run-file record (0.2 s) of the truth, whatever the rate, noise, driving
// before it and ending after it.
#include "Trimmer.h"

#include <gtest/gtest.h>

#include "SyntheticDrive.h"

namespace {

using importer::EdgeKind;
using importtest::Drive;

TEST(TrimmerTest, FindsEveryCoastWithinOneRecord) {
  struct Case {
    const char* name;
    Drive drive;
    EdgeKind before;
    EdgeKind after;
  };
  auto with = [](auto change) {
    Drive d;
    change(d);
    return d;
  };
  const Case cases[] = {
      {"10 Hz, hold, braking", Drive{}, EdgeKind::Steady, EdgeKind::Braking},
      {"5 Hz", with([](Drive& d) { d.rate = 5; }), EdgeKind::Steady, EdgeKind::Braking},
      {"12.5 Hz, odd phase", with([](Drive& d) { d.rate = 12.5; d.phase = 0.037; }), EdgeKind::Steady, EdgeKind::Braking},
      {"100 Hz noisy", with([](Drive& d) { d.rate = 100; d.noise = 0.05; }), EdgeKind::Steady, EdgeKind::Braking},
      {"1 Hz", with([](Drive& d) { d.rate = 1; d.phase = 0.4; }), EdgeKind::Steady, EdgeKind::Braking},
      {"no hold", with([](Drive& d) { d.hold = 0; }), EdgeKind::Driven, EdgeKind::Braking},
      {"long hold", with([](Drive& d) { d.hold = 30; }), EdgeKind::Steady, EdgeKind::Braking},
      {"gentle braking", with([](Drive& d) { d.brake = 0.67; }), EdgeKind::Steady, EdgeKind::Braking},
      {"hard braking", with([](Drive& d) { d.brake = 7; }), EdgeKind::Steady, EdgeKind::Braking},
      {"driven on", with([](Drive& d) { d.after = Drive::After::Drive; d.brake = 1.0; }), EdgeKind::Steady, EdgeKind::Rising},
      {"to the end", with([](Drive& d) { d.after = Drive::After::End; }), EdgeKind::Steady, EdgeKind::None},
      {"no noise", with([](Drive& d) { d.noise = 0; }), EdgeKind::Steady, EdgeKind::Braking},
      {"0.1 km/h steps", with([](Drive& d) { d.noise = 0.02; d.quantum = 0.1 / 3.6; }), EdgeKind::Steady, EdgeKind::Braking},
      {"truck", with([](Drive& d) { d.high = 26.8; d.d0 = 0.06; d.d2 = 0.00025; d.accel = 0.5; }), EdgeKind::Steady,
       EdgeKind::Braking},
      {"noisy 5 Hz", with([](Drive& d) { d.rate = 5; d.noise = 0.045; }), EdgeKind::Steady, EdgeKind::Braking},
  };
  for (const Case& c : cases) {
    for (std::uint64_t seed = 1; seed <= 5; ++seed) {
      Drive drive = c.drive;
      drive.seed = seed;
      const Drive::Trace trace = drive.Sample();
      const importer::Trim trim = importer::FindCoast(trace.time, trace.speed, {});
      SCOPED_TRACE(std::string(c.name) + ", seed " + std::to_string(seed));
      ASSERT_TRUE(trim.found) << trim.failure;
      EXPECT_NEAR(trace.time[trim.first], drive.CoastStart(), 0.2 + 0.5 / drive.rate);
      EXPECT_NEAR(trace.time[trim.last], drive.CoastEnd(), 0.2 + 0.5 / drive.rate);
      EXPECT_EQ(trim.before.kind, c.before);
      EXPECT_EQ(trim.after.kind, c.after);
    }
  }
}

}  // namespace
