// The wind field and the relative-air geometry.
#include "Wind.h"

#include <cmath>

#include "Random.h"
#include "Units.h"

namespace sim {

namespace {

// Gust sinusoids per horizontal component. Enough for an irregular trace,
// few enough that evaluating the wind stays cheap at every RK4 stage.
constexpr int kGustWaves = 12;
// Random stream of the gust shapes (run streams start at 1000).
constexpr std::uint64_t kWindStream = 1;

}  // namespace

int HeadingOfRun(int run) { return run % 2 == 1 ? 1 : -1; }

WindField::WindField(const WindConfig& config, std::uint64_t seed)
    : meanSpeed_(MphToMetresPerSecond(config.speedMph)),
      directionRad_(config.directionDeg * kRadiansPerDegree),
      drift_(MphToMetresPerSecond(config.driftMph)),
      veerRad_(config.veerDeg * kRadiansPerDegree),
      driftOmega_(2.0 * kPi / config.driftPeriodS) {
  Random random(seed, kWindStream);
  driftPhase_ = 2.0 * kPi * random.Uniform();
  veerPhase_ = 2.0 * kPi * random.Uniform();
  // Periods spread evenly on a log scale from gustTime to 20·gustTime; equal
  // amplitudes whose squares add up to the requested variance.
  const double sigma = MphToMetresPerSecond(config.gustMph);
  const double amplitude = sigma * std::sqrt(2.0 / kGustWaves);
  for (std::vector<Wave>* waves : {&gustX_, &gustY_}) {
    for (int i = 0; i < kGustWaves; ++i) {
      const double period = config.gustTimeS * std::pow(20.0, random.Uniform());
      waves->push_back({amplitude, 2.0 * kPi / period, 2.0 * kPi * random.Uniform()});
    }
  }
}

double WindField::SumOf(const std::vector<Wave>& waves, double t) {
  double sum = 0.0;
  for (const Wave& w : waves) sum += w.amplitude * std::sin(w.omega * t + w.phase);
  return sum;
}

Vec2 WindField::At(double t) const {
  const double speed = meanSpeed_ + drift_ * std::sin(driftOmega_ * t + driftPhase_);
  const double from = directionRad_ + veerRad_ * std::sin(driftOmega_ * t + veerPhase_);
  // Blowing from `from` (clockwise from +x, so towards −y at 90°) means
  // moving towards the opposite side.
  return {-speed * std::cos(from) + SumOf(gustX_, t), speed * std::sin(from) + SumOf(gustY_, t)};
}

RelativeAir RelativeAirOf(double vehicleSpeed, int heading, Vec2 wind) {
  // Air velocity relative to the vehicle, then split into the part that
  // comes at the nose and the part that comes from the right.
  const double relX = wind.x - heading * vehicleSpeed;
  const double relY = wind.y;
  const double fromAhead = -heading * relX;
  const double fromRight = heading * relY;
  return {std::hypot(fromAhead, fromRight), std::atan2(fromRight, fromAhead) / kRadiansPerDegree};
}

}  // namespace sim

namespace sim {

RelativeAir RelativeAirAtHeading(double vehicleSpeed, double headingRad, Vec2 wind) {
  const double forwardX = std::cos(headingRad);
  const double forwardY = std::sin(headingRad);
  const double relX = wind.x - vehicleSpeed * forwardX;
  const double relY = wind.y - vehicleSpeed * forwardY;
  // The vehicle's right is its forward direction turned clockwise.
  const double fromAhead = -(relX * forwardX + relY * forwardY);
  const double fromRight = -(relX * forwardY - relY * forwardX);
  return {std::hypot(fromAhead, fromRight), std::atan2(fromRight, fromAhead) / kRadiansPerDegree};
}

}  // namespace sim
