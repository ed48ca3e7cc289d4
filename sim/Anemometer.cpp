// The anemometer's error model and the speed sensor's noise.
#include "Anemometer.h"

#include <algorithm>
#include <stdexcept>
#include <string>

#include "Units.h"

namespace sim {

namespace {

// Below this the loss term would turn the reading around.
constexpr double kLeastLossTerm = 0.05;

}  // namespace

Anemometer::Anemometer(const AnemometerConfig& config)
    : config_(config), yawGain_(config.EffectiveYawGain()), loss_(config.EffectiveLoss()) {}

AirReading Anemometer::Ideal(const RelativeAir& air) const {
  const double lossTerm = 1.0 - loss_ * air.yawDeg * air.yawDeg;
  // Far off the nose the loss term would turn the reading around; no real
  // vane gets there in a valid test, so say so rather than write nonsense.
  if (lossTerm < kLeastLossTerm) {
    throw std::runtime_error("the anemometer loss term breaks down at a yaw of " +
                             std::to_string(air.yawDeg) + " degrees; lower --anemo-loss or the wind");
  }
  return Reading(air, lossTerm);
}

AirReading Anemometer::Reading(const RelativeAir& air, double lossTerm) const {
  return {config_.gain * MetresPerSecondToMph(air.speed) / lossTerm + config_.offsetMph,
          yawGain_ * air.yawDeg + config_.misalignDeg};
}

AirReading Anemometer::Read(const RelativeAir& air, Random& noise) const {
  AirReading reading = Ideal(air);
  reading.speedMph += config_.speedNoiseMph * noise.Normal();
  reading.yawDeg += config_.yawNoiseDeg * noise.Normal();
  return reading;
}

AirReading Anemometer::ReadAnyDirection(const RelativeAir& air, Random& noise) const {
  AirReading reading = Reading(air, std::max(kLeastLossTerm, 1.0 - loss_ * air.yawDeg * air.yawDeg));
  reading.speedMph += config_.speedNoiseMph * noise.Normal();
  reading.yawDeg += config_.yawNoiseDeg * noise.Normal();
  return reading;
}

double ReadVehicleSpeed(double speed, double noiseMph, Random& noise) {
  return MetresPerSecondToMph(speed) + noiseMph * noise.Normal();
}

}  // namespace sim
