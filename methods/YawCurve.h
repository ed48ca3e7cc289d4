// The drag of a vehicle at yaw relative to its drag with the air on the
// nose, Cd(ψ)/Cd(0), as a table from a wind tunnel or from CFD. With it the
// impulse method fits only the scale of the aerodynamic drag, which the
// data determine in any wind.
#pragma once

#include <string>
#include <utility>
#include <vector>

class YawCurve {
 public:
  using Point = std::pair<double, double>;  // yaw in degrees, Cd(ψ)/Cd(0)

  // The table of `points` in any order. A table on one side of 0 only is
  // mirrored, for a vehicle that is symmetric left to right. Error 5 when
  // the table has no point at 0 or its ratio there is not 1 (within 1e-6),
  // a yaw appears twice, or a value is not a finite number (a ratio not above 0).
  static YawCurve FromPoints(std::vector<Point> points);
  // The table of a --yaw-curve file: lines YAW_DEG,RATIO, blank lines and
  // lines starting with '#' left out, a first line "yaw,ratio" (any case) a
  // header. A file that cannot be read raises the file errors naming it, a
  // line that is not two numbers is error 13 naming the file and the line,
  // a table that is no curve error 5 as FromPoints says, naming the file.
  static YawCurve FromFile(const std::string& path);

  // Interpolated linearly in the square of the yaw between the points
  // (exact for drag that grows with ψ² near the nose); only inside the table.
  double Ratio(double yawDeg) const;
  // The slope of the interpolated ratio at `yawDeg`, per degree (the right
  // segment's at a table point).
  double Slope(double yawDeg) const;
  bool Covers(double yawDeg) const { return yawDeg >= points_.front().first && yawDeg <= points_.back().first; }
  double LowestYaw() const { return points_.front().first; }
  double HighestYaw() const { return points_.back().first; }
  const std::vector<Point>& Points() const { return points_; }

 private:
  explicit YawCurve(std::vector<Point> points) : points_(std::move(points)) {}

  std::vector<Point> points_;  // increasing yaw, both sides of 0
};
