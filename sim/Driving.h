// The vehicle as its driver drives it around the runs: up to speed before
// an untrimmed coast, braking to a standstill after it, and through the
// turns between runs. These speeds are set by the driver, not by the road
// load, and all of them happen within the turn time, so that the runs
// themselves stay where a trimmed test has them on the test clock.
#pragma once

#include <string>

#include "Config.h"

namespace sim {

// The brakes reach their full force this long after the driver presses them.
inline constexpr double kBrakeRampS = 0.5;
// The least time at the turn speed that a U-turn takes.
inline constexpr double kShortestTurnS = 5.0;

// Seconds to change speed from `from` to `to` m/s at `accel` m/s².
double RampSeconds(double from, double to, double accel);

// A speed that ramps from `from` at `accel` until it reaches `to`, then
// holds it; `t` s after the ramp began.
double RampedSpeed(double from, double to, double accel, double t);

// How long an untrimmed DATA file runs before its coast: the ramp from the
// turn speed to the coast's high speed and the steady hold.
double LeadInSeconds(const SimConfig& config);

// At most how long an untrimmed DATA file runs after its coast: braking
// from the low speed with the brakes alone, and the standstill.
double MostLeadOutSeconds(const SimConfig& config);

// Empty when every turn of the plan holds what the files need around the
// runs (with --untrimmed or a day recording); otherwise a message naming
// the first two runs whose turn is too short, and by how much.
std::string TurnTooShort(const SimConfig& config);

}  // namespace sim
