// The derived members of a sample.
#include "data/CMeasurement.h"

#include "common/UnitFactors.h"

Real CMeasurement::North() const {
  const Real k = DegreeToRadianFactor();
  return (Cos(dAngle * k) * dWindSpeed - dVehicleSpeed) * Real(nRunDir);
}

Real CMeasurement::East() const {
  const Real k = DegreeToRadianFactor();
  return Sin(dAngle * k) * dWindSpeed * Real(nRunDir);
}

Real CMeasurement::force(Real weight) const { return weight / kStandardGravity * dDelta; }

Real CMeasurement::MechDrag(Int16 Order, const BoundedArray<Real>& constants) const {
  Real sum = 0.0;
  for (Int16 i = 0; i <= Order; ++i) {
    sum += constants(i + 1) * Pow(dVehicleSpeed, Real(i));
  }
  return sum;
}

Real CMeasurement::Drag(Int16 Order, const BoundedArray<Real>& constants, Int16 offset) const {
  Real sum = 0.0;
  for (Int16 i = 0; i <= Order; ++i) {
    sum += constants(offset + i + 1) * Pow(dAngle, Real(i));
  }
  return Pow(dWindSpeed, 2.0) * sum;
}
