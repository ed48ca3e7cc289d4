// The road-load curves the page draws: the still-air road load at standard
// conditions from the final fit with its 95 % interval at any speed, the
// still-air force of a fit at test conditions, and the true road load that
// a simulated test folder carries in its truth.txt.
#pragma once

#include <array>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "record/AnalysisRecord.h"

namespace html {

struct RoadLoadValue {
  double force = record::kNone;  // N
  double low = record::kNone, high = record::kNone;
};

// F(v) = mechFactor·(m0 + m1·v + m2·v²) + aeroFactor·a0·v², v in m/s.
class StillAirRoadLoad {
 public:
  explicit StillAirRoadLoad(const record::AnalysisRecord& record);
  // The final fit delivered m0, m1, m2 and a0 and both correction factors are known.
  bool Available() const { return available_; }
  // The uncertainty of the fit is known, so At gives an interval.
  bool HasInterval() const { return hasInterval_; }
  RoadLoadValue At(double speed) const;

 private:
  bool available_ = false;
  bool hasInterval_ = false;
  std::array<double, 4> value_{};  // m0 m1 m2 a0
  // Covariance of those four; a term held fixed (a0 of the constrained
  // fit) has none.
  std::array<std::array<double, 4>, 4> covariance_{};
  double mechFactor_ = 1.0, aeroFactor_ = 1.0, t95_ = record::kNone;
};

// The still-air force of a fit at test conditions, m0 + m1·v + (m2 + a0)·v²
// with the relative wind equal to the speed and no yaw; NaN when the fit
// delivered no coefficients.
double TestConditionsForce(const record::FitRecord& fit, double speed);

// The values of a simulator's truth.txt, as "Name: value" or "Name = value"
// lines; comment lines (#) are skipped. Units as the file has them: lbf,
// lbf/mph and lbf/mph² at standard conditions for the road-load terms.
class Truth {
 public:
  explicit Truth(std::string_view text);
  // The file gave Amech, Bmech and Ctotl, which the road load needs.
  bool HasRoadLoad() const;
  // The value named, NaN when the file has none.
  double Value(std::string_view name) const;
  // Amech + Bmech·v + Ctotl·v², lbf at v mph.
  double ForceLbf(double speedMph) const;

 private:
  std::vector<std::pair<std::string, double>> values_;
};

}  // namespace html
