// Steady runs, coastdowns and their instrumentation.
#include "Runs.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

#include "Driving.h"
#include "NumberFormat.h"
#include "Random.h"
#include "Rk4.h"
#include "Units.h"

namespace sim {

namespace {

// Each run draws its noise from its own stream so that adding or removing
// runs of one set leaves the other sets' files unchanged.
std::uint64_t NoiseStream(RunKind kind, int number) {
  return 1000 + static_cast<std::uint64_t>(kind) * 100000 + static_cast<std::uint64_t>(number);
}

// The road's random force on coastdown n: a stream of its own, so that the
// sensors' noise stays the same with or without it.
std::uint64_t RoadStream(int number) { return 5000000 + static_cast<std::uint64_t>(number); }

// The driving around coast n, and turn n of the day: streams of their own,
// so that the coasts' records stay those of a trimmed test.
std::uint64_t AroundStream(int number) { return 6000000 + static_cast<std::uint64_t>(number); }
std::uint64_t TurnStream(int index) { return 7000000 + static_cast<std::uint64_t>(index); }

// The heading of run n as an angle anticlockwise from +x.
double HeadingAngle(int number) { return HeadingOfRun(number) > 0 ? 0.0 : kPi; }

// No air reading, with the anemometer's two noise draws made and left
// unused, so that a test without an anemometer reads the same vehicle
// speeds as one with it.
AirReading Unread(Random& noise) {
  noise.Normal();
  noise.Normal();
  return {0.0, 0.0};
}

}  // namespace

const char* RunSetName(RunKind kind) {
  switch (kind) {
    case RunKind::Zero:
      return "ZERO";
    case RunKind::Cal:
      return "CAL";
    case RunKind::Data:
      return "DATA";
  }
  return "";
}

std::vector<Record> FileRecords(const Run& run) {
  std::vector<Record> records = run.before.records;
  records.insert(records.end(), run.records.begin(), run.records.end());
  records.insert(records.end(), run.after.records.begin(), run.after.records.end());
  return records;
}

double LongestCoastSeconds(int rate) {
  return std::min(kLongestRunS, static_cast<double>(kMostRecordsPerFile - 1) * RecordInterval(rate));
}

double TestAirDensity(const ConditionsConfig& conditions) {
  return AirDensity(FahrenheitToCelsius(conditions.temperatureF), conditions.pressureInHg * kKilopascalPerInchHg);
}

TestDrive::TestDrive(const SimConfig& config)
    : config_(config),
      interval_(RecordInterval(config.rate)),
      vehicle_(config.vehicle, TestAirDensity(config.conditions)),
      wind_(config.wind, config.seed),
      anemometer_(config.anemometer) {}

RelativeAir TestDrive::AirAt(double clock, double speed, int heading) const {
  return RelativeAirOf(speed, heading, wind_.At(clock));
}

std::vector<Run> TestDrive::DriveAll() const {
  const RunPlan& plan = config_.runs;
  std::vector<Run> runs;
  double clock = 0.0;
  auto next = [&](Run run) {
    clock = run.startTime + run.truth.back().time + plan.turnTimeS;
    runs.push_back(std::move(run));
  };
  for (int n = 1; n <= plan.zeroRuns; ++n) {
    next(Steady(RunKind::Zero, n, plan.zeroSpeedMph, plan.zeroDurationS, clock));
  }
  for (int n = 1; n <= plan.calRuns; ++n) {
    // Runs 2p−1 and 2p form pair p and share its speed.
    const std::size_t pair = static_cast<std::size_t>((n - 1) / 2);
    const double speed = plan.calSpeedsMph[pair % plan.calSpeedsMph.size()];
    next(Steady(RunKind::Cal, n, speed, plan.calDurationS, clock));
  }
  for (int n = 1; n <= plan.dataRuns; ++n) next(Coastdown(n, clock));
  return runs;
}

Run TestDrive::Steady(RunKind kind, int number, double speedMph, double durationS, double startTime) const {
  Run run{kind, number, startTime, {}, {}, {}, {}};
  const double speed = MphToMetresPerSecond(speedMph);
  const int heading = HeadingOfRun(number);
  const long records = std::lround(durationS * config_.rate);
  for (long i = 0; i <= records; ++i) {
    const double t = static_cast<double>(i) * interval_;
    run.truth.push_back({t, speed, AirAt(startTime + t, speed, heading)});
  }
  Instrument(run);
  return run;
}

Run TestDrive::Coastdown(int number, double startTime) const {
  Run run{RunKind::Data, number, startTime, {}, {}, {}, {}};
  const RunPlan& plan = config_.runs;
  const int heading = HeadingOfRun(number);
  const double low = MphToMetresPerSecond(plan.coastLowMph);
  const long substeps = std::lround(interval_ / plan.stepS);
  const double h = interval_ / static_cast<double>(substeps);
  const double longest = LongestCoastSeconds(config_.rate);
  Random road(config_.seed, RoadStream(number));
  const double roadNoise = config_.vehicle.roadNoiseLbf * kNewtonPerPound;
  double disturbance = 0.0;  // N, held over one record interval
  auto slowing = [&](double t, double v) {
    return -(vehicle_.Deceleration(v, AirAt(startTime + t, v, heading)) + disturbance / vehicle_.InertialMass());
  };

  double v = MphToMetresPerSecond(plan.coastHighMph);
  for (long i = 0;; ++i) {
    const double t = static_cast<double>(i) * interval_;
    run.truth.push_back({t, v, AirAt(startTime + t, v, heading)});
    if (v < low) break;
    if (t >= longest) {
      throw std::runtime_error("DATA." + std::to_string(number) + " does not slow down to " +
                               FormatShortest(plan.coastLowMph) + " mph within " + FormatShortest(longest) +
                               " s; raise the road load or --coast-low");
    }
    if (roadNoise > 0.0) disturbance = roadNoise * road.Normal();
    // Time is rebuilt from the step count rather than summed, so that a
    // long coastdown does not collect rounding errors in its clock.
    for (long s = 0; s < substeps; ++s) v = Rk4Step(slowing, t + static_cast<double>(s) * h, v, h);
  }
  Instrument(run);
  if (config_.untrimmed.enabled) AddDrivingAround(run);
  return run;
}

void TestDrive::AddDrivingAround(Run& run) const {
  const UntrimmedConfig& u = config_.untrimmed;
  const int heading = HeadingOfRun(run.number);
  const double startTime = run.startTime;

  // Up to speed from the turn, then held: the coast's first record is the
  // last at the held speed, where the driver lets go.
  const double turn = MphToMetresPerSecond(u.turnSpeedMph);
  const double high = run.truth.front().speed;
  const auto lead = static_cast<long>(std::ceil(LeadInSeconds(config_) * config_.rate - 1e-9));
  for (long j = lead; j >= 1; --j) {
    const double t = -static_cast<double>(j) * interval_;
    const double v = RampedSpeed(turn, high, u.driveAccel, static_cast<double>(lead - j) * interval_);
    run.before.truth.push_back({t, v, AirAt(startTime + t, v, heading)});
  }

  // The brakes from the coast's last record on, reaching their full
  // deceleration in kBrakeRampS on top of the road load, until the vehicle
  // stands; it then stands, its brakes holding it.
  const long substeps = std::lround(interval_ / config_.runs.stepS);
  const double h = interval_ / static_cast<double>(substeps);
  const double pressed = run.truth.back().time;
  auto slowing = [&](double t, double v) {
    const double brake = u.brakeDecel * std::min(1.0, (t - pressed) / kBrakeRampS);
    return -(vehicle_.Deceleration(v, AirAt(startTime + t, v, heading)) + brake);
  };
  const auto standing = std::lround(u.standstillS * config_.rate);
  double v = run.truth.back().speed;
  long stood = -1;  // records at rest after the first
  for (long i = 1; stood < standing; ++i) {
    const double from = pressed + static_cast<double>(i - 1) * interval_;
    for (long s = 0; s < substeps && v > 0.0; ++s) {
      v = Rk4Step(slowing, from + static_cast<double>(s) * h, v, h);
      if (v <= 0.0) v = 0.0;
    }
    if (v == 0.0) ++stood;
    const double t = pressed + static_cast<double>(i) * interval_;
    run.after.truth.push_back({t, v, AirAt(startTime + t, v, heading)});
  }

  Random noise(config_.seed, AroundStream(run.number));
  Instrument(run.before, noise);
  Instrument(run.after, noise);
  const std::size_t records = run.before.records.size() + run.records.size() + run.after.records.size();
  if (records > static_cast<std::size_t>(kMostRecordsPerFile)) {
    throw std::runtime_error("DATA." + std::to_string(run.number) + " with the driving around its coast holds " +
                             std::to_string(records) + " records, more than the " +
                             std::to_string(kMostRecordsPerFile) + " a run file can hold; lower --rate");
  }
}

Stretch TestDrive::Turn(const Run& a, const Run& b, double from, double to, int index) const {
  const UntrimmedConfig& u = config_.untrimmed;
  const double turn = MphToMetresPerSecond(u.turnSpeedMph);
  const double last = a.after.truth.empty() ? a.truth.back().speed : a.after.truth.back().speed;
  const double first = b.before.truth.empty() ? b.truth.front().speed : b.before.truth.front().speed;
  const double duration = to - from;
  const double slowing = RampSeconds(last, turn, u.driveAccel);
  const double speeding = RampSeconds(turn, first, u.driveAccel);
  const double held = duration - slowing - speeding;
  if (held < 0.0) {
    throw std::runtime_error("the turn from " + std::string(RunSetName(a.kind)) + "." + std::to_string(a.number) +
                             " to " + RunSetName(b.kind) + "." + std::to_string(b.number) + " is too short; raise " +
                             "--turn-time");
  }
  // Round from one heading to the other at the turn speed; a full circle
  // when both runs go the same way.
  const double startAngle = HeadingAngle(a.number);
  const double sweep = HeadingOfRun(a.number) == HeadingOfRun(b.number) ? 2.0 * kPi : kPi;
  Stretch stretch;
  const auto records = std::lround(duration * config_.rate);
  for (long i = 1; i < records; ++i) {
    const double t = static_cast<double>(i) * interval_;
    double v = turn;
    double angle = startAngle + sweep * std::clamp((t - slowing) / std::max(held, 1e-9), 0.0, 1.0);
    if (t < slowing) {
      v = RampedSpeed(last, turn, u.driveAccel, t);
    } else if (t > slowing + held) {
      v = RampedSpeed(first, turn, u.driveAccel, duration - t);
    }
    stretch.truth.push_back({from + t, v, RelativeAirAtHeading(v, angle, wind_.At(from + t))});
  }
  Random noise(config_.seed, TurnStream(index));
  Instrument(stretch, noise);
  return stretch;
}

Record TestDrive::Read(const TrueState& state, Random& noise, bool onRun) const {
  const double speedMph = ReadVehicleSpeed(state.speed, config_.speedNoiseMph, noise);
  const AirReading air = config_.noAnemometer ? Unread(noise)
                         : onRun              ? anemometer_.Read(state.air, noise)
                                              : anemometer_.ReadAnyDirection(state.air, noise);
  return {speedMph, air.speedMph, air.yawDeg};
}

void TestDrive::Instrument(Run& run) const {
  Random noise(config_.seed, NoiseStream(run.kind, run.number));
  for (const TrueState& state : run.truth) run.records.push_back(Read(state, noise, true));
}

void TestDrive::Instrument(Stretch& stretch, Random& noise) const {
  for (const TrueState& state : stretch.truth) stretch.records.push_back(Read(state, noise, false));
}

}  // namespace sim
