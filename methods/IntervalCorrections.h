// The last step of the interval method: the road load at test conditions
// corrected to the reference conditions and the test mass (GTR 15 Annex 4,
// 4.5): the stationary wind beside the track (w1), the test mass (K1), the
// temperature on the rolling resistance (K0) and the air density on f2 (K2),
//   F* = ((f0 − w1 − K1) + f1·v)·(1 + K0·(T − 20 °C)) + K2·f2·v².
#pragma once

#include <vector>

#include "methods/IntervalTypes.h"

struct CorrectedRoadLoad {
  std::vector<IntervalCorrection> corrections;  // w1, K1, K0, K2 in that order
  RoadLoadCoefficients coefficients;
};

// Each correction is applied when the data it needs were given, and says why
// not otherwise. The intervals follow from the fit's covariance, the
// correction inputs taken as exact.
CorrectedRoadLoad CorrectRoadLoad(const RoadLoadCoefficients& atTest, const std::vector<IntervalRun>& runs,
                                  const std::vector<IntervalPair>& pairs, const IntervalConditions& conditions,
                                  const IntervalSettings& settings);
