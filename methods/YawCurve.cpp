// The yaw curve table: checks, mirroring and interpolation.
#include "methods/YawCurve.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <iterator>
#include <string>

#include "common/RuntimeError.h"

namespace {

// The shortest text that reads back to the value, as the user wrote it.
std::string ShortestText(double value) {
  char text[32];
  const auto end = std::to_chars(text, text + sizeof text, value).ptr;
  return std::string(text, end);
}

std::string YawText(double yawDeg) { return ShortestText(yawDeg) + " deg"; }

}  // namespace

YawCurve YawCurve::FromPoints(std::vector<Point> points) {
  for (const auto& [yaw, ratio] : points) {
    if (!std::isfinite(yaw) || !std::isfinite(ratio) || !(ratio > 0.0)) {
      Raise(ErrorNumber::InvalidProcedureCall, "the yaw curve's ratio at " + YawText(yaw) + " is not a number above 0");
    }
  }
  std::sort(points.begin(), points.end());
  const bool oneSide = points.empty() || points.front().first >= 0.0 || points.back().first <= 0.0;
  if (oneSide) {
    // A symmetric vehicle: the other side is the mirror image, the point at
    // 0 shared by both.
    std::vector<Point> mirrored;
    for (const auto& [yaw, ratio] : points) {
      if (yaw != 0.0) mirrored.emplace_back(-yaw, ratio);
    }
    points.insert(points.end(), mirrored.begin(), mirrored.end());
    std::sort(points.begin(), points.end());
  }
  const auto twice = std::adjacent_find(points.begin(), points.end(),
                                        [](const Point& a, const Point& b) { return a.first == b.first; });
  if (twice != points.end()) {
    Raise(ErrorNumber::InvalidProcedureCall, "the yaw curve gives " + YawText(twice->first) + " twice");
  }
  const auto zero = std::find_if(points.begin(), points.end(), [](const Point& p) { return p.first == 0.0; });
  if (zero == points.end()) Raise(ErrorNumber::InvalidProcedureCall, "the yaw curve has no ratio at 0 deg");
  if (std::fabs(zero->second - 1.0) > 1e-6) {
    Raise(ErrorNumber::InvalidProcedureCall,
          "the yaw curve's ratio at 0 deg is " + ShortestText(zero->second) + ", not 1");
  }
  if (points.size() < 2) Raise(ErrorNumber::InvalidProcedureCall, "the yaw curve has no point besides 0 deg");
  return YawCurve(std::move(points));
}

namespace {

// The table's segment that holds `yawDeg` (the last one at the highest yaw).
std::pair<YawCurve::Point, YawCurve::Point> Segment(const std::vector<YawCurve::Point>& points, double yawDeg) {
  auto above = std::upper_bound(points.begin(), points.end(), yawDeg,
                                [](double yaw, const YawCurve::Point& p) { return yaw < p.first; });
  if (above == points.end()) --above;
  return {*std::prev(above), *above};
}

}  // namespace

double YawCurve::Ratio(double yawDeg) const {
  if (!Covers(yawDeg)) return std::nan("");
  const auto [low, high] = Segment(points_, yawDeg);
  const double f = (yawDeg - low.first) / (high.first - low.first);
  return low.second + f * (high.second - low.second);
}

double YawCurve::Slope(double yawDeg) const {
  if (!Covers(yawDeg)) return std::nan("");
  const auto [low, high] = Segment(points_, yawDeg);
  return (high.second - low.second) / (high.first - low.first);
}
