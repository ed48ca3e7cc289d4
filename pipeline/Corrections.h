// The two corrections that bring the fitted coefficients to standard
// conditions: the mechanical terms to 20 °C and the aerodynamic terms to
// 98.21 kPa and 20 °C. Each returns the factor after the correction.
#pragma once

#include "common/Real.h"

// ((TC − 20) × 0.0081 + 1) × MechFactor, TC in °C: 30 °C gives 1.081.
Real TemperatureCorrection(Real TC, Real MechFactor);

// ((TC + 273) / 293) × AeroFactor × (98.21 / P), TC in °C, P in kPa. The
// Kelvin offset of this correction is 273, not 273.15.
Real PressureCorrection(Real TC, Real P, Real AeroFactor);
