// The model force and the still-air road load.
#include "record/RoadLoad.h"

#include <cmath>
#include <cstddef>
#include <string_view>

#include "record/FitStatistics.h"

namespace record {

namespace {

// Whether the fit's uncertainty covers the road load's terms: each of m0,
// m1 and m2 fitted, and a0 fitted or held, with a finite standard error and
// finite correlations among them.
bool KnowsTheRoadLoadTerms(const UncertaintyRecord& u) {
  if (!u.available || !std::isfinite(u.t95)) return false;
  const std::size_t p = u.coefficients.size();
  if (u.correlation.size() != p) return false;
  constexpr std::string_view kTerms[4] = {"m0", "m1", "m2", "a0"};
  std::array<long, 4> index{-1, -1, -1, -1};
  for (std::size_t i = 0; i < p; ++i) {
    if (u.correlation[i].size() != p) return false;
    for (std::size_t k = 0; k < 4; ++k) {
      if (u.coefficients[i].name == kTerms[k]) index[k] = static_cast<long>(i);
    }
  }
  if (index[0] < 0 || index[1] < 0 || index[2] < 0) return false;
  for (const long i : index) {
    if (i < 0) continue;
    if (!std::isfinite(u.coefficients[static_cast<std::size_t>(i)].standardError)) return false;
    for (const long j : index) {
      if (j >= 0 && !std::isfinite(u.correlation[static_cast<std::size_t>(i)][static_cast<std::size_t>(j)])) {
        return false;
      }
    }
  }
  return true;
}

}  // namespace

const FitRecord& ResultFit(const AnalysisRecord& record) {
  return record.methodFit.ran ? record.methodFit : SpecifiedFit(record);
}

const FitRecord& SpecifiedFit(const AnalysisRecord& record) {
  return record.finalFit.ran ? record.finalFit : record.firstFit;
}

StillAirRoadLoad::StillAirRoadLoad(const AnalysisRecord& record) : StillAirRoadLoad(record, ResultFit(record)) {}

StillAirRoadLoad::StillAirRoadLoad(const AnalysisRecord& record, const FitRecord& fit)
    : uncertainty_(record.uncertainty) {
  if (!fit.completed || !std::isfinite(record.mechFactor) || !std::isfinite(record.aeroFactor)) return;
  for (std::size_t k = 0; k < 4; ++k) {
    if (!std::isfinite(fit.coefficients[k])) return;
  }
  coefficients_ = fit.coefficients;
  mechFactor_ = record.mechFactor;
  aeroFactor_ = record.aeroFactor;
  available_ = true;
  hasInterval_ = KnowsTheRoadLoadTerms(uncertainty_);
}

RoadLoadPoint StillAirRoadLoad::At(double speed) const {
  RoadLoadPoint point;
  if (!available_ || !std::isfinite(speed)) return point;
  const double v = speed;
  const std::array<double, 8>& c = coefficients_;
  point.force = mechFactor_ * (c[0] + c[1] * v + c[2] * v * v) + aeroFactor_ * c[3] * v * v;
  if (!hasInterval_) return point;
  const Estimate e = LinearEstimate(
      uncertainty_, point.force,
      {mechFactor_, mechFactor_ * v, mechFactor_ * v * v, aeroFactor_ * v * v, 0.0, 0.0, 0.0, 0.0}, "F", "N");
  point.low = e.low;
  point.high = e.high;
  point.standardError = e.standardError;
  point.dof = e.dof;
  point.components = e.components;
  return point;
}

}  // namespace record
