// The coasting vehicle in SI units: its mass, its mechanical road load and
// its aerodynamic drag, which grows with yaw as Cd(ψ) = Cd0·(1 + k·ψ²) with
// ψ in degrees (the analysis' yaw polynomial is in degrees too, so k maps
// straight onto its second yaw term).
#pragma once

#include "Config.h"
#include "Wind.h"

namespace sim {

class Vehicle {
 public:
  // `airDensity` in kg/m³, the test-day density.
  Vehicle(const VehicleConfig& config, double airDensity);

  double Mass() const { return mass_; }  // kg, as it weighs
  // The mass that the forces accelerate: the vehicle's own and its
  // rotating parts' inertia as a mass, kg.
  double InertialMass() const { return inertialMass_; }
  // Mechanical road load in N at vehicle speed v m/s: m0 + m1·v + m2·v².
  double MechanicalForce(double v) const;
  // Aerodynamic drag in N along the vehicle's axis for relative air `air`.
  double AeroForce(const RelativeAir& air) const;
  // Deceleration in m/s² (positive while slowing down).
  double Deceleration(double v, const RelativeAir& air) const;
  // Cd(ψ)/Cd(0) at yaw ψ degrees.
  double DragRatio(double yawDeg) const;

  double M0() const { return m0_; }  // N
  double M1() const { return m1_; }  // N per m/s
  double M2() const { return m2_; }  // N per (m/s)²
  // ½·ρ·Cd0·Af: drag per (m/s)² of relative air on the nose.
  double A0() const { return a0_; }
  // a0·k: the extra drag per (m/s)² and per square degree of yaw.
  double A2() const { return a0_ * cdYaw_; }

 private:
  double mass_;
  double inertialMass_;
  double m0_;
  double m1_;
  double m2_;
  double a0_;
  double cdYaw_;
};

}  // namespace sim
