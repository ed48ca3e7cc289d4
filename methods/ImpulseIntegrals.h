// The integrals of the impulse method's windows: for every window of every
// run, (M + m_r)·∫w'·v dt and ∫w·q dt for every quantity q the road-load
// model is built of, from the same records, and what the noise of the wind
// and yaw readings does to those integrals.
#pragma once

#include <array>
#include <cstddef>
#include <vector>

#include "methods/ImpulseInput.h"
#include "methods/ImpulseWindow.h"
#include "methods/YawPrior.h"

namespace impulse {

// What the force side of a window integrates: ∫w·q dt for each q.
enum Quantity : std::size_t {
  kOne,
  kSpeed,
  kSpeed2,
  kWind2,        // Vr²
  kWind2Yaw2,    // Vr²·ψ²
  kWind2Yaw4,    // Vr²·ψ⁴
  kWind2Curve,   // Vr²·c(ψ)
  kTrackAir,     // the air a run meets in the track's wind: u² times the yaw growth at the prior's k (or the curve)
  kTrackAirAlt,  // the same with k one standard deviation higher
  kDirection,       // +1 on odd runs, −1 on even runs
  kDirectionSpeed,  // the same times v
  kQuantities
};

struct WindowIntegrals {
  std::size_t run = 0;    // index into the runs
  std::size_t first = 0;  // its first record
  bool outsideCurve = false;       // a measured yaw beyond the yaw curve
  bool trackOutsideCurve = false;  // a yaw of the track's wind beyond it
  double impulse = 0.0;            // (M + m_r)·∫w'·v dt
  std::array<double, kQuantities> q{};
  // The covariance of the integrals' errors that the noise of the wind and
  // yaw readings makes, quantity by quantity.
  std::array<double, kQuantities * kQuantities> noise{};
};

// The noise of single wind and yaw readings.
struct ReadingNoise {
  double windSd = 0.0;  // m/s
  double yawSd = 0.0;   // degrees
};

// Estimated from the fourth differences of the readings, which hold little
// of anything slower than a second.
ReadingNoise EstimateReadingNoise(const std::vector<RunRecords>& runs);

// Every window of every run in run order.
std::vector<WindowIntegrals> IntegrateWindows(const std::vector<RunRecords>& runs, const ImpulseConditions& c,
                                              const YawPrior& prior, const WindowLayout& layout,
                                              const ReadingNoise& noise);

// How each window's integrals move, to first order, per unit of a quantity
// that moves every record's wind reading by windSlope and its yaw reading by
// yawSlope (per unit of it; run by run, record by record): a calibrated
// coefficient of the anemometer. Only the quantities of the wind readings
// move.
std::vector<std::array<double, kQuantities>> WindowSlopes(const std::vector<RunRecords>& runs,
                                                         const ImpulseConditions& c, const YawPrior& prior,
                                                         const WindowLayout& layout,
                                                         const std::vector<WindowIntegrals>& windows,
                                                         const std::vector<std::vector<double>>& windSlope,
                                                         const std::vector<std::vector<double>>& yawSlope);

}  // namespace impulse
