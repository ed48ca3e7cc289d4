// The first step of the interval method: the reference speeds, and the
// coastdown time of each run through each reference speed's interval, read
// from the run's records (GTR 15 Annex 4, 4.3.1.4.1).
#pragma once

#include <cstddef>
#include <optional>
#include <vector>

#include "methods/IntervalTypes.h"

// The reference speeds from the lowest to the highest, one step apart.
std::vector<double> ReferenceSpeeds(const IntervalSettings& settings);

// When the records first fall through `levelKmh` at or after record `from`:
// between the last record at or above the level and the next one below it,
// on the straight line between the two, so the time is never rounded to a
// record. Record k is at k/rateHz. `record` is the one before the crossing.
struct SpeedCrossing {
  std::size_t record = 0;
  double timeS = 0.0;
};
std::optional<SpeedCrossing> FirstFallThrough(const std::vector<double>& speedKmh, double levelKmh, std::size_t from,
                                              double rateHz);

// The run's time through every reference speed's interval. An interval the
// run does not span, record times that do not match the rate and a
// deceleration that no coasting vehicle shows are added to `issues`.
RunIntervals MeasureIntervals(const IntervalRun& run, const std::vector<double>& referenceKmh,
                              const IntervalSettings& settings, bool checkDeceleration,
                              std::vector<IntervalIssue>& issues);

// "DATA.3"
std::string RunName(int run);
