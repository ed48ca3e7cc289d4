// Storage of the process-wide unit factors.
#include "common/UnitFactors.h"

UnitFactorSet& UnitFactors() {
  static UnitFactorSet factors;
  return factors;
}
