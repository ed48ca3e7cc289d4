// Helpers shared by the solver tests: collections whose forces are those of
// a road load, chosen exactly.
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <cstddef>
#include <vector>

#include "data/CDataCol.h"
#include "tests/TestSupport.h"

namespace solvertest {

using testsupport::RoadLoad;

constexpr double kUnitWeight = 9.80665;  // at this inertia weight a sample's force is its dDelta

struct Reading {
  double V, Vr, Y;  // m/s, m/s, degrees
};

constexpr RoadLoad kRoadLoad{120.0, 1.4, 0.021, 0.38, 0.0031, 0.0012, -0.00004, 0.0000021};

// Adds one sample per reading whose force is the road load's plus `extra`.
inline void AddModelSamples(CDataCol& col, const RoadLoad& c, const std::vector<Reading>& readings,
                            double extra = 0.0) {
  for (const Reading& r : readings) col.Add(r.V, r.Vr, r.Y, 1, testsupport::ModelForce(c, r.V, r.Vr, r.Y) + extra);
}

// Readings spread over the speeds, winds and yaw angles of a coastdown.
inline std::vector<Reading> SpreadReadings(std::size_t n) {
  std::vector<Reading> readings;
  for (std::size_t i = 0; i < n; ++i) {
    readings.push_back({12.0 + 1.37 * i, 14.0 + 2.9 * (i % 7) + 0.41 * i, -9.0 + 1.13 * ((i * 5) % 17)});
  }
  return readings;
}

// The positions (from 0) of the samples that are out of the fit.
inline std::vector<int> OutOfFit(const CDataCol& col) {
  std::vector<int> out;
  for (long k = 1; k <= col.Count(); ++k) {
    if (col[k].nRun != 1) out.push_back(static_cast<int>(k - 1));
  }
  return out;
}

// Eight coefficients, each within `relative` of the road load's.
inline void ExpectNear(const BoundedArray<Real>& got, const RoadLoad& want, double relative) {
  for (long i = 1; i <= 8; ++i) EXPECT_NEAR(got(i).value(), want[i - 1], relative * std::abs(want[i - 1])) << i;
}

}  // namespace solvertest
