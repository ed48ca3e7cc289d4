// The steps both road-load solvers share: the left-hand side of the normal
// equations, the one-pass outlier filter on the residuals of a fit, and the
// solver information section of the report.
#pragma once

#include <optional>
#include <string>

#include "common/BoundedArray.h"
#include "common/BoundedMatrix.h"
#include "common/Int16.h"
#include "common/Real.h"

class CDataCol;
class FitObserver;

// A(i, j) = A(j, i) = the sum over the samples k = 1 to size of
// x(i - 1, k) × x(j - 1, k), for i = 1 to num and j = 1 to i, each sum
// accumulated in increasing k from 0. x holds term rows from 0.
BoundedMatrix<Real> NormalMatrix(const BoundedMatrix<Real>& x, Int16 size, Int16 num);

// Excludes (nRun = -1) every included sample whose residual lies 3 sample
// standard deviations or more from the mean residual. A sample's residual is
// its force F(k), k counting the included samples, less the model of `sol`
// (mechanical terms to mech_order, then aerodynamic ones to air_order). With
// `CdAp`, the fixed aerodynamic force CdAp·Vr² that the constrained fit took
// off each force is added back to it first. The mean and the deviation are
// formed before the first exclusion; no usable sample divides 0 by 0 for the
// mean, one sample for the variance. `observer`, when given, hears the
// residuals and the limits first.
void RejectOutliers(CDataCol& data, const BoundedArray<Real>& F, const BoundedArray<Real>& sol, Int16 mech_order,
                    Int16 air_order, std::optional<Real> CdAp, FitObserver* observer);

// Appends "SOLVER INFORMATION", the solver's name and the two model orders.
void AppendSolverSection(const std::string& sFile, const std::string& name, Int16 mech_order, Int16 air_order);
