// The windows over which the impulse method integrates the equation of
// motion, and the weights that turn a window's records into its integrals.
//
// With a weight w(t) that is 0 at both ends of the window, integration by
// parts turns (M + m_r)·dv/dt = −F into
//     (M + m_r)·∫ w'(t)·v(t) dt = ∫ w(t)·F(t) dt,
// so nothing is differentiated and both sides see the same gusts. The box
// (w = 1) is the plain impulse form (M + m_r)·(v(ta) − v(tb)) = ∫F dt.
// Both integrals are taken exactly for records joined by straight lines
// (product integration with the window's own w and w'), so the only
// error of the quadrature is the curvature of the records themselves.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

enum class WindowShape {
  Box,          // w = 1: the speeds at the two ends only
  Welch,        // w = 4τ(1 − τ)
  Hann,         // w = sin²(πτ)
  HannSquared,  // w = sin⁴(πτ)
};

std::string WindowShapeName(WindowShape shape);

// Windows of `samples` record intervals, one starting every `step` records.
struct WindowLayout {
  WindowShape shape = WindowShape::Hann;
  double rateHz = 5.0;
  std::size_t samples = 50;  // record intervals per window (records: samples + 1)
  std::size_t step = 25;     // records from the start of one window to the next
  // Weights of the window's records (samples + 1 each): ∫w'·v dt = Σ lhs·v
  // and ∫w·f dt = Σ rhs·f, for records joined by straight lines.
  std::vector<double> lhs;  // dimensionless
  std::vector<double> rhs;  // s

  double LengthS() const { return static_cast<double>(samples) / rateHz; }
  // How many windows after a window share a record with it: the residuals
  // of windows further apart than this are independent.
  std::size_t CorrelationLag() const { return samples / step; }
};

// Windows of about `lengthS` seconds at `rateHz`, neighbours overlapping by
// the share `overlap` (0 to below 1) of a window. At least 2 intervals long.
WindowLayout MakeWindowLayout(WindowShape shape, double lengthS, double overlap, double rateHz);
