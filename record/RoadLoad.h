// The road-load model and what the record and the page draw from it: the
// force of a sample, and the still-air road load at standard conditions
// with its 95 % interval. Written once, so that the record's numbers and
// the page's curves are the same arithmetic.
#pragma once

#include <array>
#include <cstddef>

#include "record/AnalysisRecord.h"

namespace record {

// The model's eight terms at speed V and relative wind Vr (m/s) and yaw Y
// (degrees): 1, V, V², Vr², Vr²·Y, Vr²·Y², Vr²·Y³, Vr²·Y⁴. Inline: the
// record's uncertainty forms them for every sample several times over.
inline std::array<double, 8> ModelTerms(double V, double Vr, double Y) {
  const double vr2 = Vr * Vr;
  return {1.0, V, V * V, vr2, vr2 * Y, vr2 * Y * Y, vr2 * Y * Y * Y, vr2 * Y * Y * Y * Y};
}
// The force the coefficients m0 m1 m2 a0 … a4 give there, N: the sum of
// each coefficient times its term, in that order.
inline double ModelForce(const std::array<double, 8>& coefficients, double V, double Vr, double Y) {
  const std::array<double, 8> t = ModelTerms(V, Vr, Y);
  double model = 0.0;
  for (std::size_t j = 0; j < 8; ++j) model += coefficients[j] * t[j];
  return model;
}

// The fit the results come from: a method's in place of the fit when one
// ran, else the final one, or the first when the final one never ran.
const FitRecord& ResultFit(const AnalysisRecord& record);
// The specified fit's own: the final one, or the first.
const FitRecord& SpecifiedFit(const AnalysisRecord& record);

// F(v) = mechFactor·(m0 + m1·v + m2·v²) + aeroFactor·a0·v², v in m/s, from
// the coefficients of ResultFit. Its interval comes from the covariance of
// the fitted coefficients; a0 held by the constrained fit is not among them
// and counts as exact.
class StillAirRoadLoad {
 public:
  explicit StillAirRoadLoad(const AnalysisRecord& record);
  // From the coefficients of `fit` instead.
  StillAirRoadLoad(const AnalysisRecord& record, const FitRecord& fit);
  // The fit delivered m0, m1, m2 and a0 and both correction factors are known.
  bool Available() const { return available_; }
  // The fit's uncertainty is known for every term, so At gives an interval.
  bool HasInterval() const { return hasInterval_; }
  // The force and its interval at `speed` m/s (speedMph left for the caller);
  // NaN for what is not known.
  RoadLoadPoint At(double speed) const;

 private:
  const UncertaintyRecord& uncertainty_;
  std::array<double, 8> coefficients_{};
  double mechFactor_ = kNone, aeroFactor_ = kNone;
  bool available_ = false;
  bool hasInterval_ = false;
};

}  // namespace record
