// Storage of the process-wide unit factors.
#include "common/UnitFactors.h"

UnitFactorSet& UnitFactors() {
  static UnitFactorSet factors;
  return factors;
}

void UseSiUnits(UnitFactorSet& factors) {
  factors.AreaFactor = 1.0;
  factors.TemperatureCode = "C";
  factors.PressureFactor = 1.0;
  factors.WeightFactor = kStandardGravity;
  factors.SpeedFactor = 1.0 / kKmhPerMs;
  factors.ForceFactor = 1.0;
}
