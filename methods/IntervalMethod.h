// The reference-speed interval method of the light-vehicle regulations
// (UN GTR No. 15 Annex 4, 4.3.1 "coastdown method"; EU 2017/1151 Annex XXI
// Sub-Annex 4): coastdown times through ±Δv intervals around reference
// speeds, pairs of opposite runs, the statistical accuracy at every
// reference speed, the forces, f0, f1, f2 and their corrections to the
// reference conditions, from the vehicle speed alone.
#pragma once

#include <vector>

#include "methods/IntervalTypes.h"

// The whole method. Bad input does not throw: it is reported in the result's
// issues, each naming the run and the reference speed it concerns, and the
// result is `usable` only when f0, f1, f2 were determined from data that the
// method can take.
IntervalResult AnalyseIntervals(const std::vector<IntervalRun>& runs, const IntervalConditions& conditions,
                                const IntervalSettings& settings);

// Whether an issue of this kind leaves no result that may be used.
bool IsFatal(IntervalIssueKind kind);
