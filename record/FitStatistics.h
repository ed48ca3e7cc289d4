// How sure the final fit is: its standard errors, confidence intervals and
// correlations, from its own design matrix and residuals. Computed apart from
// the solver, by Householder QR on columns scaled to unit length, so that a
// fit whose normal equations are nearly singular still gets honest numbers.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "record/AnalysisRecord.h"

namespace record {

// One sample of the final fit.
struct FitSample {
  double V;       // m/s
  double Vr;      // m/s
  double Y;       // degrees
  double F;       // N
  int run = 0;    // samples of one run one second apart are neighbours;
  int time = 0;   // run 0 has none
};

// The statistics of a fit of `samples` with the coefficients the solver
// delivered (m0 m1 m2 a0 … a4). With `cdAp` given (the constrained fit), a0
// is held at it and seven coefficients are fitted to F − cdAp·Vr².
// `residuals` receives F minus the model for each sample.
//
// The decelerations of neighbouring seconds share the speeds of the second
// between them, and a disturbance of the road or the wind lasts beyond one
// second, so residuals of one run are not independent. Where neighbours'
// residuals go together (correlation r > 0), the covariance is widened by
// 1 + 2r, the variance of a sum of such residuals over slowly changing
// terms; where they alternate, the plain least-squares covariance stands.
UncertaintyRecord FitUncertainty(const std::vector<FitSample>& samples, const std::array<double, 8>& coefficients,
                                 bool constrained, double cdAp, std::vector<double>& residuals);

// `value`, a quantity that is g · (the coefficients m0 m1 m2 a0 … a4), with
// its standard error and 95 % interval from the fit (a held a0 counts as
// exact). The value is passed as the analysis forms it, so that it is that
// value to the last bit.
Estimate LinearEstimate(const UncertaintyRecord& fit, double value, const std::array<double, 8>& g,
                        const std::string& name, const std::string& unit);

// The two-sided quantile of Student's t with `dof` degrees of freedom:
// P(|T| <= t) = probability.
double StudentTQuantile(double probability, long dof);

}  // namespace record
