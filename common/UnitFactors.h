// The six unit factors shared by the whole program. Written once when the
// run parameters are set, read everywhere afterwards. It lives here rather
// than with the application object so that the run-file reader can read
// SpeedFactor without depending on the application.
#pragma once

#include <string>

#include "common/Real.h"

struct UnitFactorSet {
  Real AreaFactor;          // m² per ft²
  std::string TemperatureCode;  // C, F, K or R: unit of the Temperature parameter
  Real PressureFactor;      // kPa per inHg
  Real WeightFactor;        // N per lb
  Real SpeedFactor;         // m/s per mph
  Real ForceFactor;         // N per lbf
};

// The one instance of the process. Before LoadResources runs every factor is 0.
UnitFactorSet& UnitFactors();

// The factors of --si: the fields and run files in m², °C, kPa, kg (a
// weight of 1 kg is 9.80665 N, so that a mass is the WEIGHT field itself),
// km/h, and forces in N.
void UseSiUnits(UnitFactorSet& factors);

// Conversions the analysis writes into its formulas rather than reading
// them from the unit factors.
inline constexpr double kStandardGravity = 9.80665;  // m/s²: a weight in N over it is a mass in kg
inline constexpr double kKmhPerMs = 3.6;            // km/h per m/s
