// The first step of the interval method: the reference speeds, and the
// coastdown time of each run through each reference speed's interval, read
// from the run's records (GTR 15 Annex 4, 4.3.1.4.1).
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "methods/IntervalTypes.h"

// The reference speeds from the lowest to the highest, one step apart.
std::vector<double> ReferenceSpeeds(const IntervalSettings& settings);

// The settings with the lowest and highest reference speed narrowed to the
// tested range: whole steps whose intervals v ± Δv lie inside it (15 to
// 135 km/h keeps 20 to 130 km/h).
IntervalSettings WithinTestedRange(IntervalSettings settings, double lowestTestedKmh, double highestTestedKmh);

// When the run passes `levelKmh` going down, searched from record `from`.
// Each fall through the level is read between the last record at or above it
// and the next one below, on the straight line between the two, so the time
// is never rounded to a record. Noise on the speed may take it through the
// level more than once; the passage is then midway between the first and the
// last fall before the speed falls through `belowKmh` (for a steady
// deceleration with noise alike in both directions the first fall comes as
// much too early as the last comes too late). Record k is at k/rateHz;
// `record` is the one before the first fall.
struct SpeedCrossing {
  std::size_t record = 0;
  double timeS = 0.0;
};
std::optional<SpeedCrossing> PassageThrough(const std::vector<double>& speedKmh, double levelKmh, double belowKmh,
                                            std::size_t from, double rateHz);

// The run's time through every reference speed's interval. An interval the
// run does not span, record times that do not match the rate and a
// deceleration that no coasting vehicle shows are added to `issues`.
RunIntervals MeasureIntervals(const IntervalRun& run, const std::vector<double>& referenceKmh,
                              const IntervalSettings& settings, bool checkDeceleration,
                              std::vector<IntervalIssue>& issues);

// "DATA.3"
std::string RunName(int run);
