// The true wind over the track and the air a moving vehicle meets.
//
// Track frame: x points along the heading of the odd-numbered runs, y to
// their left. The wind is a mean vector, slowly drifting in speed and
// veering in direction, plus gusts made of a fixed set of sinusoids; every
// part is a smooth function of the test clock, so the integrator sees a
// smooth force and two runs at the same moment see the same wind.
#pragma once

#include <cstdint>
#include <vector>

#include "Config.h"

namespace sim {

struct Vec2 {
  double x = 0.0;
  double y = 0.0;
};

// +1 for odd-numbered runs (heading along +x), −1 for even ones.
int HeadingOfRun(int run);

class WindField {
 public:
  WindField(const WindConfig& config, std::uint64_t seed);
  // Air velocity over the ground in m/s at test-clock time `t` seconds.
  Vec2 At(double t) const;

 private:
  struct Wave {
    double amplitude;  // m/s
    double omega;      // rad/s
    double phase;      // rad
  };
  static double SumOf(const std::vector<Wave>& waves, double t);

  double meanSpeed_;     // m/s
  double directionRad_;  // where the wind blows from, clockwise from +x
  double drift_;         // m/s
  double veerRad_;
  double driftOmega_;
  double driftPhase_;
  double veerPhase_;
  std::vector<Wave> gustX_;
  std::vector<Wave> gustY_;
};

// What the vehicle meets: speed of the air relative to it and the yaw angle,
// 0 on the nose, positive when the air comes from the vehicle's right.
struct RelativeAir {
  double speed;   // m/s
  double yawDeg;  // degrees
};

// The relative air of a vehicle driving at `vehicleSpeed` m/s with heading
// +1 or −1 through the ground wind `wind`.
RelativeAir RelativeAirOf(double vehicleSpeed, int heading, Vec2 wind);

// The same for a vehicle heading `headingRad` anticlockwise from +x (0 for
// the odd runs, pi for the even ones), as it turns between runs.
RelativeAir RelativeAirAtHeading(double vehicleSpeed, double headingRad, Vec2 wind);

}  // namespace sim
