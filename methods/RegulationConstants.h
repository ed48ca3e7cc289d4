// The constants of the light-vehicle road-load regulation that the interval
// method uses (UN GTR No. 15 Annex 4, the same paragraphs as EU 2017/1151
// Annex XXI Sub-Annex 4), each with where it comes from. Public copies of the
// regulation lose their formulas and tables; a value marked "not confirmed"
// was not readable in any copy found and is a setting the user may change.
#pragma once

#include <optional>

namespace regulation {

// 2.2 (not confirmed): reference speeds every 10 km/h from 20 to 130 km/h.
inline constexpr double kLowestReferenceKmh = 20.0;
inline constexpr double kHighestReferenceKmh = 130.0;
inline constexpr double kReferenceStepKmh = 10.0;

// 4.3.1.4.1 (not confirmed): the coastdown time is taken from v + Δv down to
// v − Δv with Δv = 5 km/h.
inline constexpr double kHalfWidthKmh = 5.0;

// 4.3.1.4.2 (not confirmed): the statistical accuracy p must not exceed 3 %,
// from at least 3 pairs of opposite runs.
inline constexpr double kAccuracyLimitPercent = 3.0;
inline constexpr int kLeastPairs = 3;

// 3.1 (confirmed): vehicle speed recorded at 10 Hz or more.
inline constexpr double kLeastRateHz = 10.0;

// 2.5.1 (confirmed): without a measurement, the rotating mass is 3 % of the
// sum of the mass in running order and 25 kg.
inline constexpr double kRotatingMassShare = 0.03;
inline constexpr double kRotatingMassAddedKg = 25.0;

// 4.5.2 (not confirmed): rolling-resistance temperature factor K0, per kelvin,
// unless determined from tests.
inline constexpr double kK0PerKelvin = 8.6e-3;

// 4.5.1 and 4.5.5 (not confirmed): reference conditions of the corrected road
// load, 20 °C and 100 kPa.
inline constexpr double kReferenceTemperatureC = 20.0;
inline constexpr double kReferencePressureKPa = 100.0;

// 4.5.3.2 (not confirmed): the wind resistance w1 = 3.6²·f2·vw² turns a wind
// speed in m/s into the (km/h)² of f2.
inline constexpr double kKmhPerMs = 3.6;

// 4.1.1.1.1 (not confirmed): stationary anemometry; mean wind at most 5 m/s,
// gusts at most 8 m/s, the component across the track at most 2 m/s.
inline constexpr double kMeanWindLimitMs = 5.0;
inline constexpr double kGustLimitMs = 8.0;
inline constexpr double kCrossWindLimitMs = 2.0;

// 4.1.1.2 (not confirmed): atmospheric temperature from 5 °C to 40 °C.
inline constexpr double kLowestTemperatureC = 5.0;
inline constexpr double kHighestTemperatureC = 40.0;

// Proposal WLTP-AH-07-04 for 4.3.1.4.3 (a proposal, not adopted text): the
// rejected pairs should not exceed one third of all pairs.
inline constexpr double kMostRejectedShare = 1.0 / 3.0;

// Table A4/3 of 4.3.1.4.2 (not confirmed): the coefficient h for n pairs,
// n = 3 to 15, the two-sided 95 % Student t for n − 1 degrees of freedom as
// the table rounds it. Empty outside the table.
std::optional<double> CoefficientH(int pairs);

// 2.5.1: the default rotating mass for a vehicle of this mass in running order.
double DefaultRotatingMassKg(double massInRunningOrderKg);

}  // namespace regulation
