// The corrections to standard temperature and pressure.
#include "pipeline/Corrections.h"

Real TemperatureCorrection(Real TC, Real MechFactor) { return ((TC - 20.0) * 0.0081 + 1.0) * MechFactor; }

Real PressureCorrection(Real TC, Real P, Real AeroFactor) {
  return ((TC + 273.0) / 293.0) * AeroFactor * (98.21 / P);
}
