// Speed traces of known coast for the trimming's tests, and the check
// that the coast found in each lies within a run-file record (0.2 s, or
// half the logger's own interval more) of the truth, or within the limit
// the README gives for the few traces beyond that.
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <functional>
#include <string>

#include "SyntheticDrive.h"
#include "Trimmer.h"

namespace importtest {

using importer::EdgeKind;

inline Drive With(const std::function<void(Drive&)>& change) {
  Drive d;
  change(d);
  return d;
}

inline void ExpectEveryCoastFound(std::uint64_t seeds) {
  const struct {
    const char* name;
    Drive drive;
    EdgeKind before = EdgeKind::Steady;
    EdgeKind after = EdgeKind::Braking;
    double tolerance = 0;  // 0: a run-file record and half the logger's interval
  } cases[] = {
      {"10 Hz, hold, braking", Drive{}},
      {"5 Hz", With([](Drive& d) { d.rate = 5; })},
      {"12.5 Hz, odd phase", With([](Drive& d) { d.rate = 12.5; d.phase = 0.037; })},
      {"100 Hz, noisy", With([](Drive& d) { d.rate = 100; d.noise = 0.05; })},
      {"2 Hz", With([](Drive& d) { d.rate = 2; d.phase = 0.1; })},
      {"1 Hz", With([](Drive& d) { d.rate = 1; d.phase = 0.4; })},
      {"noisy 5 Hz", With([](Drive& d) { d.rate = 5; d.noise = 0.045; })},
      {"no noise", With([](Drive& d) { d.noise = 0; })},
      {"0.1 km/h steps", With([](Drive& d) { d.noise = 0.02; d.quantum = 0.1 / 3.6; })},
      {"no hold", With([](Drive& d) { d.hold = 0; }), EdgeKind::Driven},
      {"a short hold", With([](Drive& d) { d.hold = 0.5; })},
      {"a hold of 1 s", With([](Drive& d) { d.hold = 1; })},
      {"a long hold", With([](Drive& d) { d.hold = 30; })},
      {"slow driving up", With([](Drive& d) { d.accel = 0.3; })},
      {"very gentle braking", With([](Drive& d) { d.brake = 0.4; })},
      {"gentle braking", With([](Drive& d) { d.brake = 0.67; })},
      {"hard braking", With([](Drive& d) { d.brake = 7; })},
      {"braking that builds up", With([](Drive& d) { d.brakeRamp = 0.3; })},
      {"braking that builds up slowly", With([](Drive& d) { d.brakeRamp = 1.0; })},
      {"driven on", With([](Drive& d) { d.after = Drive::After::Drive; d.brake = 1.0; }), EdgeKind::Steady,
       EdgeKind::Rising},
      {"driven on gently", With([](Drive& d) { d.after = Drive::After::Drive; d.brake = 0.3; }), EdgeKind::Steady,
       EdgeKind::Rising},
      {"to the end", With([](Drive& d) { d.after = Drive::After::End; }), EdgeKind::Steady, EdgeKind::None},
      {"gusts and grades", With([](Drive& d) { d.wobble = 0.03; })},
      {"strong and slow", With([](Drive& d) { d.wobble = 0.08; d.wobblePeriod = 20; })},
      {"quick", With([](Drive& d) { d.wobble = 0.05; d.wobblePeriod = 3; })},
      {"truck", With([](Drive& d) { d.high = 26.8; d.d0 = 0.06; d.accel = 0.5; })},
      {"a short coast, long braking", With([](Drive& d) { d.low = 25; })},
      {"already trimmed", With([](Drive& d) { d.rate = 5; d.after = Drive::After::End; d.phase = d.CoastStart(); }),
       EdgeKind::None, EdgeKind::None},
      {"already trimmed, noisy",
       With([](Drive& d) { d.rate = 5; d.noise = 0.045; d.after = Drive::After::End; d.phase = d.CoastStart(); }),
       EdgeKind::None, EdgeKind::None},
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
    for (std::uint64_t seed = 1; seed <= seeds; ++seed) {
      Drive drive = c.drive;
      drive.seed = seed;
      const Drive::Trace trace = drive.Sample();
      const importer::Trim trim = importer::FindCoast(trace.time, trace.speed, {});
      SCOPED_TRACE(std::string(c.name) + ", seed " + std::to_string(seed));
      if (!trim.found) {
        ADD_FAILURE() << trim.failure;
        continue;
      }
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

}  // namespace importtest
