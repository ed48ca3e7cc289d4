// Road load and drag of the simulated vehicle.
#include "Vehicle.h"

#include "Units.h"

namespace sim {

Vehicle::Vehicle(const VehicleConfig& config, double airDensity)
    : mass_(MassFromWeight(config.weightLb)),
      inertialMass_(mass_ + config.rotatingMassKg),
      m0_(config.mechA * kNewtonPerPound),
      m1_(config.mechB * kNewtonPerPound / kMetresPerSecondPerMph),
      m2_(config.mechC * kNewtonPerPound / (kMetresPerSecondPerMph * kMetresPerSecondPerMph)),
      a0_(0.5 * airDensity * config.cd0 * (config.areaFt2 * kSquareMetresPerSquareFoot)),
      cdYaw_(config.cdYawPerDeg2) {}

double Vehicle::MechanicalForce(double v) const { return m0_ + m1_ * v + m2_ * v * v; }

double Vehicle::AeroForce(const RelativeAir& air) const {
  return a0_ * (1.0 + cdYaw_ * air.yawDeg * air.yawDeg) * air.speed * air.speed;
}

double Vehicle::DragRatio(double yawDeg) const { return 1.0 + cdYaw_ * yawDeg * yawDeg; }

double Vehicle::Deceleration(double v, const RelativeAir& air) const {
  return (MechanicalForce(v) + AeroForce(air)) / inertialMass_;
}

}  // namespace sim
