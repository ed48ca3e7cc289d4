// The anemometer terms that default to the calibration's coupling.
#include "Config.h"

#include <cmath>

namespace sim {

double AnemometerConfig::EffectiveYawGain() const {
  return yawGain ? *yawGain : std::pow(gain, -1.5);
}

double AnemometerConfig::EffectiveLoss() const {
  return lossPerDeg2 ? *lossPerDeg2 : (1.0 / gain - 1.0) * 0.00053;
}

}  // namespace sim
