// Least squares in plain doubles for what observes the analysis (the
// record's uncertainty) and for the analysis methods beside the specified
// one: a Householder QR solution on columns scaled to unit length, so that a
// nearly singular fit still gets honest numbers or says which term the data
// leave open, and the quantiles of Student's t for its intervals.
#pragma once

#include <cstddef>
#include <utility>
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

// Σ a[i]·b[i] over n elements, in four running sums so that each addition
// need not wait for the one before it (a long dot product is otherwise
// bound by the latency of one addition an element).
double Dot(const double* a, const double* b, std::size_t n);

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
  bool repaired = false;  // its lags were scaled down by RepairToCovariance
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

// What a method beside the specified one needs of the same estimator when it
// combines the data's information with priors (and so needs the meat of the
// sandwich apart from its bread), and when its rows are few per group: the
// same layout of rows (groups one after the other, whole-step positions,
// group 0 without neighbours), the same Ω.

// The autocovariance unbiased for what the fit took out of the residuals:
// with E[e·eᵀ] = (I − H)·Ω·(I − H), H = X·(XᵀX)⁻¹·Xᵀ (`x` the n × p design
// column by column, `inverse` its (XᵀX)⁻¹), the expected sums of products of
// residuals l steps apart are linear in γ(0) … γ(maxLag), which are solved
// for. Where neighbours' errors go together the fit takes more out of their
// residuals than n − p allows for, most where groups hold few rows. Falls
// back to ResidualAutocovariance with n − p degrees of freedom where the
// equations leave γ(0) not above 0 (residuals of a shape the fit nearly
// follows).
Autocovariance UnbiasedResidualAutocovariance(const std::vector<double>& residuals, const std::vector<long>& group,
                                              const std::vector<long>& position, std::size_t maxLag,
                                              const std::vector<double>& x, std::size_t p,
                                              const std::vector<double>& inverse);
// The same for many residual vectors of one design (a fit iterated on its
// own residuals): the linear equations are formed once.
class UnbiasedAutocovariance {
 public:
  UnbiasedAutocovariance(const std::vector<long>& group, const std::vector<long>& position, std::size_t maxLag,
                         const std::vector<double>& x, std::size_t p, const std::vector<double>& inverse);
  Autocovariance Of(const std::vector<double>& residuals) const;

 private:
  std::vector<long> group_, position_;
  std::size_t p_ = 0;
  std::vector<std::vector<std::pair<std::size_t, std::size_t>>> lagPairs_;  // the rows l steps apart, by l
  std::vector<double> system_;  // E[lag sums] = system_·γ, (maxLag + 1)², row-major
};

// An estimated sequence need not be the autocovariance of any series: where
// γ(0) + 2·Σ γ(l)·cos(l·ω) goes below 0 for some ω, Ω is no covariance. Its
// lags are then scaled down together, to 99 % of the most that keeps that
// spectrum at or above 0 (γ(0) stays), and `repaired` is set. Bartlett's
// taper alone does not do for sequences corrected as above. A NaN lag counts
// as 0; nothing is done without a γ(0) above 0.
void RepairToCovariance(Autocovariance& acv);

// XᵀΩX (p × p, row-major), Ω block-diagonal by group and Toeplitz in
// `gamma` within one (a NaN lag counts as 0): the meat of the sandwich.
std::vector<double> SerialCorrelationMeat(const std::vector<double>& x, std::size_t n, std::size_t p,
                                          const std::vector<long>& group, const std::vector<long>& position,
                                          const std::vector<double>& gamma);
