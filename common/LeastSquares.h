// Least squares in plain doubles for what observes the analysis (the
// record's uncertainty) and for the analysis methods beside the specified
// one: a Householder QR solution on columns scaled to unit length, so that a
// nearly singular fit still gets honest numbers or says which term the data
// leave open, and the quantiles of Student's t for its intervals.
#pragma once

#include <cstddef>
#include <vector>

// The least-squares solution b of y ≈ X·b and (XᵀX)⁻¹.
struct LeastSquaresSolution {
  bool solved = false;
  // When not solved: the first column (from 0) that is 0 for every row, or
  // that adds nothing the columns before it do not already give.
  std::size_t failedColumn = 0;
  bool zeroColumn = false;
  std::vector<double> beta;     // p coefficients
  std::vector<double> inverse;  // (XᵀX)⁻¹, p × p, row-major
};

// `x` holds the n × p design matrix column by column (column j at j·n).
LeastSquaresSolution SolveLeastSquares(std::vector<double> x, std::vector<double> y, std::size_t n, std::size_t p);

// The two-sided quantile of Student's t with `dof` degrees of freedom:
// P(|T| <= t) = probability. NaN for no degree of freedom. `dof` may be
// fractional (an effective number of degrees of freedom).
double StudentTQuantile(double probability, double dof);
