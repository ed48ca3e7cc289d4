// Helpers shared by the solver tests: coefficient arrays and collections
// whose forces are chosen exactly, by hand or from the road-load model.
#pragma once

#include <initializer_list>
#include <vector>

#include "common/BoundedArray.h"
#include "data/CDataCol.h"

namespace solvertest {

// At this inertia weight a sample's force is exactly its dDelta.
constexpr double kUnitWeight = 9.80665;

struct Reading {
  double V, Vr, Y;  // m/s, m/s, degrees
};

inline BoundedArray<Real> Coefficients(std::initializer_list<double> values) {
  BoundedArray<Real> a(1, static_cast<long>(values.size()));
  long i = 1;
  for (double v : values) a(i++) = v;
  return a;
}

// The model force m0 + m1·V + m2·V² + Vr²·(a0 + a1·Y + … + a4·Y⁴).
inline double ModelForce(const BoundedArray<Real>& c, const Reading& r) {
  CMeasurement m;
  m.dVehicleSpeed = r.V;
  m.dWindSpeed = r.Vr;
  m.dAngle = r.Y;
  return (m.MechDrag(2, c) + m.Drag(4, c, 3)).value();
}

inline CDataCol::SampleRef AddWithForce(CDataCol& col, const Reading& r, double force) {
  return col.Add(r.V, r.Vr, r.Y, 1, force);
}

inline void AddModelSamples(CDataCol& col, const BoundedArray<Real>& c, const std::vector<Reading>& readings) {
  for (const Reading& r : readings) AddWithForce(col, r, ModelForce(c, r));
}

// Readings spread over the speeds, winds and yaw angles of a coastdown.
inline std::vector<Reading> SpreadReadings(int n) {
  std::vector<Reading> readings;
  for (int i = 0; i < n; ++i) {
    readings.push_back({12.0 + 1.37 * i, 14.0 + 2.9 * (i % 7) + 0.41 * i, -9.0 + 1.13 * ((i * 5) % 17)});
  }
  return readings;
}

inline std::vector<int> RunNumbers(const CDataCol& col) {
  std::vector<int> runs;
  for (const CMeasurement& m : col) runs.push_back(m.nRun.value());
  return runs;
}

}  // namespace solvertest
