// The covariance of least-squares coefficients when the residuals of one run
// are correlated with their neighbours' up to a known lag and independent
// between runs: the sandwich (XᵀX)⁻¹·XᵀΩX·(XᵀX)⁻¹ with Ω block-diagonal by
// run, each block Toeplitz in the residual autocovariance pooled over the
// runs. A stand-in, kept apart, for the estimator every method will share
// from common/LeastSquares.h; its callers use only what is declared here.
#pragma once

#include <cstddef>
#include <vector>

struct SerialAutocovariance {
  std::vector<double> gamma;  // lags 0 to L, pooled within runs
  bool tapered = false;  // by TaperToCovariance
};

// From the residuals in run order; `runStarts` holds the first row of every
// run in increasing order (the first is 0). The estimate divides by the
// number of residuals and is scaled by n/(n − p) for the p fitted coefficients.
SerialAutocovariance EstimateResidualAutocovariance(const std::vector<double>& residuals,
                                                      const std::vector<std::size_t>& runStarts, std::size_t lag,
                                                      std::size_t parameters);

// The same, unbiased for what the fit took out of the residuals: with
// E[e·eᵀ] = (I − H)·Ω·(I − H), H = X·(XᵀX)⁻¹·Xᵀ (`x` the n × p design column
// by column, `inverse` its (XᵀX)⁻¹), the expected sums of lagged products
// are linear in the autocovariances, which are solved for. Where neighbours'
// errors go together the fit takes more out of the residuals than n − p
// allows for, most where runs are short.
SerialAutocovariance EstimateResidualAutocovariance(const std::vector<double>& residuals,
                                                      const std::vector<std::size_t>& runStarts, std::size_t lag,
                                                      const std::vector<double>& x, std::size_t p,
                                                      const std::vector<double>& inverse);

// Estimated sequences need not be the autocovariance of any series (their
// spectrum can go below 0, and Ω then is no covariance): the lags of such a
// sequence are scaled down together, to 99 % of the most that keeps its
// spectrum at or above 0 (γ0 stays; a γ0 above 0 is needed).
void TaperToCovariance(SerialAutocovariance& acv);

// XᵀΩX (p × p, row-major) for the n × p design `x` stored column by column.
std::vector<double> SerialCorrelationMeat(const std::vector<double>& x, std::size_t n, std::size_t p,
                                          const std::vector<std::size_t>& runStarts,
                                          const SerialAutocovariance& acv);

// bread·meat·bread for symmetric p × p matrices, row-major.
std::vector<double> Sandwich(const std::vector<double>& bread, const std::vector<double>& meat, std::size_t p);

// The whole estimate for an ordinary least-squares fit whose (XᵀX)⁻¹ is `inverse`.
std::vector<double> SerialCorrelationCovariance(const std::vector<double>& x, const std::vector<double>& residuals,
                                                std::size_t n, std::size_t p, const std::vector<double>& inverse,
                                                const std::vector<std::size_t>& runStarts, std::size_t lag);
