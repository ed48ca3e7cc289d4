// Driven speeds and the time the turns between runs must hold.
#include "Driving.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "NumberFormat.h"
#include "Units.h"

namespace sim {

double RampSeconds(double from, double to, double accel) { return std::fabs(to - from) / accel; }

double RampedSpeed(double from, double to, double accel, double t) {
  if (t >= RampSeconds(from, to, accel)) return to;
  return to > from ? from + accel * t : from - accel * t;
}

double LeadInSeconds(const SimConfig& c) {
  return RampSeconds(MphToMetresPerSecond(c.untrimmed.turnSpeedMph), MphToMetresPerSecond(c.runs.coastHighMph),
                     c.untrimmed.driveAccel) +
         c.untrimmed.steadyS;
}

double MostLeadOutSeconds(const SimConfig& c) {
  // The road load only shortens the braking; a record interval is added
  // for the records that round the parts up.
  return MphToMetresPerSecond(c.runs.coastLowMph) / c.untrimmed.brakeDecel + kBrakeRampS + c.untrimmed.standstillS +
         2.0 * RecordInterval(c.rate);
}

std::string TurnTooShort(const SimConfig& c) {
  const RunPlan& plan = c.runs;
  const UntrimmedConfig& u = c.untrimmed;
  // What each run's file holds at its two ends: the speed there (m/s) and
  // the driving around a coast that the turn must make room for.
  struct Ends {
    std::string name;
    double first;
    double last;
    double before;
    double after;
  };
  std::vector<Ends> runs;
  for (int n = 1; n <= plan.zeroRuns; ++n) {
    const double v = MphToMetresPerSecond(plan.zeroSpeedMph);
    runs.push_back({"ZERO." + std::to_string(n), v, v, 0.0, 0.0});
  }
  for (int n = 1; n <= plan.calRuns; ++n) {
    const auto pair = static_cast<std::size_t>((n - 1) / 2);
    const double v = MphToMetresPerSecond(plan.calSpeedsMph[pair % plan.calSpeedsMph.size()]);
    runs.push_back({"CAL." + std::to_string(n), v, v, 0.0, 0.0});
  }
  for (int n = 1; n <= plan.dataRuns; ++n) {
    if (u.enabled) {
      runs.push_back({"DATA." + std::to_string(n), MphToMetresPerSecond(u.turnSpeedMph), 0.0, LeadInSeconds(c),
                      MostLeadOutSeconds(c)});
    } else {
      runs.push_back({"DATA." + std::to_string(n), MphToMetresPerSecond(plan.coastHighMph),
                      MphToMetresPerSecond(plan.coastLowMph), 0.0, 0.0});
    }
  }
  const double turn = MphToMetresPerSecond(u.turnSpeedMph);
  for (std::size_t i = 1; i < runs.size(); ++i) {
    const Ends& a = runs[i - 1];
    const Ends& b = runs[i];
    const double needed = a.after + RampSeconds(a.last, turn, u.driveAccel) + kShortestTurnS +
                          RampSeconds(turn, b.first, u.driveAccel) + b.before;
    if (needed > plan.turnTimeS) {
      return "--turn-time (" + FormatShortest(plan.turnTimeS) + " s) is too short: from " + a.name + " to " + b.name +
             " the vehicle needs " + FormatSignificant(needed, 4) +
             " s to stop or slow, turn for 5 s and get up to speed (raise --turn-time or --drive-accel)";
    }
  }
  return "";
}

}  // namespace sim
