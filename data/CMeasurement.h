// One sample of a coastdown run: vehicle speed, the anemometer's relative
// wind speed and yaw, the run it belongs to, its deceleration and time stamp,
// and the members derived from them. A sample holds data only; the derived
// members are computed from the current fields on every call.
#pragma once

#include "common/BoundedArray.h"
#include "common/Int16.h"
#include "common/Real.h"

class CMeasurement {
 public:
  Real dVehicleSpeed;  // m/s
  Real dWindSpeed;     // m/s, relative wind seen by the anemometer
  Real dAngle;         // degrees, 0 = wind on the nose
  Int16 nID;           // sequence number from the collection's Add
  Int16 nRun;          // run number; 0 or below excludes the sample
  Int16 nRunDir;       // +1 odd runs, -1 otherwise
  Real dDelta;         // m/s per second, positive while slowing down
  Int16 nTime;         // whole seconds from the start of the run

  // True head wind in the track frame whose positive axis is the direction
  // of the odd runs.
  Real North() const;
  // True cross wind in the same frame.
  Real East() const;
  // Decelerating force: weight / standard gravity × deceleration.
  Real force(Real weight) const;
  // Σ constants(i + 1) × V^i for i = 0 to Order.
  Real MechDrag(Int16 Order, const BoundedArray<Real>& constants) const;
  // Vr² × Σ constants(offset + i + 1) × Yaw^i for i = 0 to Order, yaw in degrees.
  Real Drag(Int16 Order, const BoundedArray<Real>& constants, Int16 offset) const;
};

// The degree-to-radian factor of the analysis. The constant is 3.141596,
// not pi; every angle that enters a sine or cosine uses it.
inline Real DegreeToRadianFactor() { return Real(3.141596) / Real(180.0); }
