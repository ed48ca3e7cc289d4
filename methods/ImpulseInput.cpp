// Recognising a test recorded without an anemometer.
#include "methods/ImpulseInput.h"

#include <algorithm>
#include <cmath>

bool RecordsHoldAnemometer(const std::vector<RunRecords>& runs) {
  bool allZero = true;
  bool allSpeed = true;
  for (const RunRecords& r : runs) {
    const std::size_t n = std::min(r.wind.size(), r.speed.size());
    for (std::size_t i = 0; i < n; ++i) {
      allZero = allZero && r.wind[i] == 0.0;
      // Both columns went through the same number conversion, so a copy
      // is equal to the last bit; the margin only forgives a unit factor.
      allSpeed = allSpeed && std::fabs(r.wind[i] - r.speed[i]) <= 1e-12 * std::max(1.0, std::fabs(r.speed[i]));
    }
  }
  return !allZero && !allSpeed;
}
