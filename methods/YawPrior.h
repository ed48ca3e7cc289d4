// What is known of the yaw sensitivity of road vehicles before a test: the
// prior that the impulse method combines with the test's own data when no
// yaw curve of the vehicle is given.
//
// Drag grows with yaw, near the nose about with the square of the angle:
// Cd(ψ) ≈ Cd(0)·(1 + k·ψ²), ψ in degrees. The published figure behind the
// value: many modern cars have their least drag at zero yaw and up to 10 %
// more within small yaw angles of it ("Real world drag coefficient - is it
// wind averaged drag?", International Vehicle Aerodynamics Conference 2014,
// Woodhead Publishing, doi:10.1533/9780081002452.1.3); heavy vehicles are
// sensitive enough that 40 CFR 1037.525 and 1037.305 adjust their drag area
// along a measured yaw curve. +10 % at 10 degrees is k = 0.0010, the centre
// of the prior; one standard deviation of 0.0010 spans no growth to +20 % at
// 10 degrees, and a vehicle with +10 % already at 5 degrees (k = 0.004) lies
// three standard deviations out: for such a vehicle give its yaw curve.
#pragma once

struct YawPrior {
  double k = 0.0010;    // a2/a0, per square degree
  double kSd = 0.0010;  // its standard deviation
  // Above this 95th percentile of |yaw| a quadratic no longer describes
  // measured curves, and a ψ⁴ term joins, with a prior of 0 whose spread at
  // this yaw equals that of the ψ² term.
  double quarticFromDeg = 15.0;
};
