// The steps both road-load solvers share: the left-hand side of the normal
// equations, the one-pass outlier test on the residuals of a fit, and the
// solver information section of the report.
#pragma once

#include <string>
#include <vector>

#include "common/BoundedArray.h"
#include "common/BoundedMatrix.h"
#include "common/Int16.h"
#include "common/Real.h"

class CMeasurement;
class FitObserver;

// A(i, j) = A(j, i) = the sum over the samples k = 1 to size of
// x(i - 1, k) × x(j - 1, k), for i = 1 to num and j = 1 to i, each sum
// accumulated in increasing k from 0. x holds term rows from 0.
BoundedMatrix<Real> NormalMatrix(const BoundedMatrix<Real>& x, Int16 size, Int16 num);

// Excludes (nRun = -1) every sample whose residual lies 3 sample standard
// deviations or more from the mean residual. residual(1..count) belong to
// source[0..count-1], and total is their sum as the caller accumulated it.
// The mean and the deviation are formed before the first exclusion; no
// usable sample divides 0 by 0 for the mean, one sample for the variance.
// `observer`, when given, hears the residuals and the limits first.
void ExcludeOutliers(const BoundedArray<Real>& residual, Int16 count, Real total,
                     const std::vector<CMeasurement*>& source, FitObserver* observer = nullptr);

// Appends "SOLVER INFORMATION", the solver's name and the two model orders.
void AppendSolverSection(const std::string& sFile, const std::string& name, Int16 mech_order, Int16 air_order);
