// The second step of the interval method: runs of opposite headings paired,
// each pair's time and the mean over the pairs as harmonic means, their
// standard deviation and the statistical accuracy p at every reference speed
// (GTR 15 Annex 4, 4.3.1.4.2 and 4.3.1.4.3).
#pragma once

#include <vector>

#include "methods/IntervalTypes.h"

// Runs paired in number order, each with the next run when their headings
// are opposite (DATA.1 with DATA.2, ...). A run the tester rejects takes its
// pair with it; a pair counts at a reference speed where both its runs span
// the interval. A heading without runs and a run left unpaired are issues.
std::vector<IntervalPair> PairRuns(const std::vector<RunIntervals>& runs, const std::vector<RunRejection>& rejections,
                                   std::size_t referenceCount, std::vector<IntervalIssue>& issues);

// The pairs' mean time, its standard deviation, h and p at every reference
// speed, and whether p is within its limit with at least the least number of
// pairs.
std::vector<ReferenceSpeedResult> SummarisePairs(const std::vector<double>& referenceKmh,
                                                 const std::vector<IntervalPair>& pairs,
                                                 const IntervalSettings& settings, std::vector<IntervalIssue>& issues);
