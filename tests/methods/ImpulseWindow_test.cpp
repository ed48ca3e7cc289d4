// The windows' weights against integrals known in closed form: a coast
// under a known force satisfies (M)·∫w'·v dt = ∫w·F dt, and the weights
// must reproduce that from records alone, better as the records come faster.
#include "methods/ImpulseWindow.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numeric>
#include <string>
#include <utility>
#include <vector>

namespace {

// The shapes and their ∫w dt over a window of length T, in units of T.
constexpr std::pair<WindowShape, double> kShapes[] = {
    {WindowShape::Box, 1.0}, {WindowShape::Welch, 2.0 / 3.0}, {WindowShape::Hann, 0.5},
    {WindowShape::HannSquared, 3.0 / 8.0}};

// A coast under F(v) = m0 + m2·v² from v0, in closed form:
// v(t) = s·tan(atan(v0/s) − t·√(m0·m2)/M) with s = √(m0/m2).
struct Coast {
  double mass = 1600.0;
  double m0 = 130.0;
  double m2 = 0.45;
  double v0 = 31.0;
  double Speed(double t) const {
    const double s = std::sqrt(m0 / m2);
    return s * std::tan(std::atan(v0 / s) - t * std::sqrt(m0 * m2) / mass);
  }
  double Force(double t) const {
    const double v = Speed(t);
    return m0 + m2 * v * v;
  }
};

// |M·Σ lhs·v − Σ rhs·F| relative to Σ rhs·F, for the window starting at t0.
double ImbalanceOfWindow(const WindowLayout& layout, const Coast& coast, double t0) {
  double impulse = 0.0;
  double force = 0.0;
  for (std::size_t k = 0; k <= layout.samples; ++k) {
    const double t = t0 + static_cast<double>(k) / layout.rateHz;
    impulse += layout.lhs[k] * coast.Speed(t);
    force += layout.rhs[k] * coast.Force(t);
  }
  return std::fabs(coast.mass * impulse - force) / force;
}

// The weights stand for ∫w' and ∫w: each shape at each rate must give them
// to rounding, or every window's impulse is off.
TEST(ImpulseWindowTest, WeightsIntegrateTheWindowAndItsSlopeExactly) {
  for (const auto& [shape, area] : kShapes) {
    for (const double rate : {5.0, 10.0, 50.0}) {
      const WindowLayout layout = MakeWindowLayout(shape, 20.0, 0.5, rate);
      SCOPED_TRACE(WindowShapeName(shape) + " at " + std::to_string(rate) + " Hz");
      ASSERT_EQ(layout.lhs.size(), layout.samples + 1);
      // ∫w' dt = w(T) − w(0) = 0, ∫w dt the shape's area: both exact.
      EXPECT_NEAR(std::accumulate(layout.lhs.begin(), layout.lhs.end(), 0.0), 0.0, 1e-13);
      EXPECT_NEAR(std::accumulate(layout.rhs.begin(), layout.rhs.end(), 0.0), 20.0 * area, 1e-12);
      // ∫w'·t dt = −∫w dt: a speed that falls straight is integrated exactly.
      double slope = 0.0;
      for (std::size_t k = 0; k <= layout.samples; ++k) slope += layout.lhs[k] * static_cast<double>(k) / rate;
      EXPECT_NEAR(slope, -20.0 * area, 1e-11);
    }
  }
}

// The equation of motion integrated over the windows of an exact coast:
// what is left is the records' curvature between samples, which falls with
// the square of the record interval (by 100 from 5 to 50 Hz) or faster. The
// box weighs the force by the trapezoid rule (h²·F''); the smooth windows'
// weights are exact for straight records, so only the speed's third
// derivative is left, and for sin⁴ little above rounding.
TEST(ImpulseWindowTest, AnExactCoastBalancesItsImpulseToTheRecordsCurvature) {
  const Coast coast;
  const std::pair<WindowShape, double> rows[] = {
      {WindowShape::Box, 2e-6}, {WindowShape::Welch, 1e-9}, {WindowShape::Hann, 1e-9}, {WindowShape::HannSquared, 1e-12}};
  for (const auto& [shape, tolerance] : rows) {
    SCOPED_TRACE(WindowShapeName(shape));
    double at5 = 0.0;
    double at50 = 0.0;
    for (const double t0 : {0.0, 20.0, 40.0, 80.0}) {
      at5 = std::max(at5, ImbalanceOfWindow(MakeWindowLayout(shape, 20.0, 0.5, 5.0), coast, t0));
      at50 = std::max(at50, ImbalanceOfWindow(MakeWindowLayout(shape, 20.0, 0.5, 50.0), coast, t0));
    }
    EXPECT_LT(at5, tolerance);
    EXPECT_LT(at50, at5 / 50.0 + 1e-13);
  }
}

// How many records a window spans, how far the next one starts and how many
// later windows share a record: the last sets the residuals' correlation.
TEST(ImpulseWindowTest, LayoutsFollowLengthOverlapAndRate) {
  struct Row {
    WindowShape shape;
    double lengthS;
    double overlap;
    double rate;
    std::size_t samples;
    std::size_t step;
    std::size_t lag;  // windows after one that share a record with it
  };
  const Row rows[] = {
      {WindowShape::Welch, 20.0, 0.5, 5.0, 100, 50, 2},     // the default: neighbours and the next but one
      {WindowShape::Welch, 20.0, 0.0, 5.0, 100, 100, 1},    // end to end: the shared end record
      {WindowShape::Hann, 10.0, 0.75, 10.0, 100, 25, 4},
      {WindowShape::Box, 2.0, 0.5, 5.0, 10, 5, 2},
      {WindowShape::Welch, 0.1, 0.5, 5.0, 2, 1, 2},         // never shorter than two intervals
      {WindowShape::Welch, 20.0, 0.5, 1.0 / 3.0, 7, 4, 1},  // a slow logger
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(std::to_string(r.lengthS) + " s at " + std::to_string(r.rate) + " Hz");
    const WindowLayout layout = MakeWindowLayout(r.shape, r.lengthS, r.overlap, r.rate);
    EXPECT_EQ(layout.samples, r.samples);
    EXPECT_EQ(layout.step, r.step);
    EXPECT_EQ(layout.CorrelationLag(), r.lag);
  }
}

}  // namespace
