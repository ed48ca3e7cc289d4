// Constants the whole simulator shares. The unit factors and the air-density
// law are the analysis' own, so that the truth is exactly what a perfect
// analysis of a perfect test would report.
#pragma once

namespace sim {

// The record rate of a run file unless --rate sets another; the analysis
// reads five records a second.
inline constexpr int kRecordsPerSecond = 5;
// The analysis counts the records of a run file in 16 bits.
inline constexpr long kMostRecordsPerFile = 32767;

// Seconds between records at `rate` records a second; 0.2 exactly at 5.
inline double RecordInterval(int rate) { return 1.0 / static_cast<double>(rate); }

// The true geometry of wind and yaw uses pi itself. The analysis turns
// degrees into radians with 3.141596 / 180, and what that costs it is part
// of what a simulated test shows, so the simulator must not copy it.
inline constexpr double kPi = 3.141592653589793;
inline constexpr double kRadiansPerDegree = kPi / 180.0;

inline constexpr double kMetresPerSecondPerMph = 0.44704;
inline constexpr double kKmhPerMph = 1.609344;
inline constexpr double kKmhPerMetrePerSecond = 3.6;
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
