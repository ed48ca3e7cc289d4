// Helpers shared by the solver tests: coefficient arrays and collections
// whose forces are chosen exactly, by hand or from the road-load model.
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <cstddef>
#include <initializer_list>
#include <vector>

#include "common/BoundedArray.h"
#include "data/CDataCol.h"

namespace solvertest {

constexpr double kUnitWeight = 9.80665;  // at this inertia weight a sample's force is its dDelta

struct Reading {
  double V, Vr, Y;  // m/s, m/s, degrees
};

inline BoundedArray<Real> Coefficients(std::initializer_list<double> values) {
  BoundedArray<Real> a(1, static_cast<long>(values.size()));
  long i = 1;
  for (double v : values) a(i++) = v;
  return a;
}

const BoundedArray<Real> kRoadLoad = Coefficients({120.0, 1.4, 0.021, 0.38, 0.0031, 0.0012, -0.00004, 0.0000021});

// Adds one sample per reading whose force is the model force of `c` plus `extra`.
inline void AddModelSamples(CDataCol& col, const BoundedArray<Real>& c, const std::vector<Reading>& readings,
                            double extra = 0.0) {
  for (const Reading& r : readings) {
    CDataCol::SampleRef s = col.Add(r.V, r.Vr, r.Y, 1);
    s->dDelta = s->MechDrag(2, c) + s->Drag(4, c, 3) + extra;
  }
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

// Eight coefficients, each within `relative` of its generating value.
inline void ExpectNear(const BoundedArray<Real>& got, const BoundedArray<Real>& want, double relative) {
  for (long i = 1; i <= 8; ++i) EXPECT_NEAR(got(i).value(), want(i).value(), relative * std::abs(want(i).value())) << i;
}

}  // namespace solvertest
