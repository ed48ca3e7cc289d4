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

// The autocovariance of residuals that are serially correlated within
// groups of rows (the samples of one run): γ(l) for l = 0 … maxLag, pooled
// over the groups, γ(0) = RSS / dof and each γ(l) the mean product of
// residuals l steps apart on the same scale. Rows of one group are stored
// one after the other, at whole-step positions; rows of group 0 have no
// neighbours. A lag with fewer than 10 pairs is NaN.
struct Autocovariance {
  std::vector<double> gamma;
  std::vector<long> pairs;
};
Autocovariance ResidualAutocovariance(const std::vector<double>& residuals, const std::vector<long>& group,
                                      const std::vector<long>& position, std::size_t maxLag, double dof);

// The covariance of least-squares coefficients under residuals of that
// autocovariance, whatever the sign of their correlation:
//   (XᵀX)⁻¹ · Σ_groups Σ_{|ti − tj| ≤ L} γ(|ti − tj|)·xi·xjᵀ · (XᵀX)⁻¹,
// with `x` column-major n × p (as SolveLeastSquares takes it) and `inverse`
// its (XᵀX)⁻¹; a NaN lag counts as 0. Empty when a variance is not positive.
std::vector<double> SandwichCovariance(const std::vector<double>& x, std::size_t n, std::size_t p,
                                       const std::vector<double>& inverse, const std::vector<long>& group,
                                       const std::vector<long>& position, const std::vector<double>& gamma);
