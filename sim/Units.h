// The unit factors and the air-density law of the analysis. The simulator
// uses the very same constants so that its truth is exactly what a perfect
// analysis of a perfect test would report.
#pragma once

namespace sim {

inline constexpr double kMetresPerSecondPerMph = 0.44704;
inline constexpr double kSquareMetresPerSquareFoot = 0.0929;
inline constexpr double kKilopascalPerInchHg = 3.3865;
inline constexpr double kNewtonPerPound = 4.448;  // weight and force alike
inline constexpr double kStandardGravity = 9.80665;

// Conditions the analysis corrects its results to.
inline constexpr double kStandardTemperatureC = 20.0;
inline constexpr double kStandardPressureKpa = 98.21;

inline double MphToMetresPerSecond(double mph) { return mph * kMetresPerSecondPerMph; }
inline double MetresPerSecondToMph(double ms) { return ms / kMetresPerSecondPerMph; }
inline double FahrenheitToCelsius(double f) { return (f - 32.0) * 5.0 / 9.0; }

// Ideal-gas density of dry air in kg/m³ from °C and kPa.
inline double AirDensity(double temperatureC, double pressureKpa) {
  return (pressureKpa * 1000.0 * 28.964) / ((temperatureC + 273.15) * 8314.4);
}

// Mass in kg of a vehicle of test weight `weightLb`, as the analysis forms it.
inline double MassFromWeight(double weightLb) { return weightLb * kNewtonPerPound / kStandardGravity; }

}  // namespace sim
