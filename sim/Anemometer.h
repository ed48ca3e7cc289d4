// The onboard anemometer and the vehicle speed sensor: how the true relative
// air and the true speed turn into the numbers a run file records.
//
// The air reading is the exact inverse of the analysis' correction
//   u = (1 − k3·ψ²)·((Vr + 0.3 mph)·Ka),   ψ = (Y − offset)·Ky
// when gain = 1/Ka, loss = k3, yawGain = 1/Ky and offset = −0.3 mph, which
// is what the default coupled terms give (see AnemometerConfig).
#pragma once

#include "Config.h"
#include "Random.h"
#include "Wind.h"

namespace sim {

struct AirReading {
  double speedMph;
  double yawDeg;
};

class Anemometer {
 public:
  explicit Anemometer(const AnemometerConfig& config);

  // The reading without noise of the true relative air `air` (speed in m/s).
  AirReading Ideal(const RelativeAir& air) const;
  // The reading with the sensor's noise drawn from `noise`: speed first,
  // then yaw.
  AirReading Read(const RelativeAir& air, Random& noise) const;
  // The same away from the runs (driving up to speed, braking, standing,
  // turning), where the air may come from the side or from behind: the
  // loss term is held at its least valid value instead of refused.
  AirReading ReadAnyDirection(const RelativeAir& air, Random& noise) const;

 private:
  AirReading Reading(const RelativeAir& air, double lossTerm) const;

  AnemometerConfig config_;
  double yawGain_;
  double loss_;
};

// The vehicle speed sensor: true speed in m/s to a reading in mph.
double ReadVehicleSpeed(double speed, double noiseMph, Random& noise);

}  // namespace sim
