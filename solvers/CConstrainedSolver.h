// The constrained solver: used when the drag coefficient is known, it holds
// the aerodynamic constant term a0 at CdAp and fits the other seven
// coefficients by least squares to what remains of each force once the
// fixed aerodynamic force CdAp·Vr² is taken away.
#pragma once

#include <memory>
#include <string>

#include "common/BoundedArray.h"
#include "common/BoundedMatrix.h"
#include "common/Int16.h"
#include "common/Real.h"
#include "solvers/CMLRSolve.h"
#include "solvers/CSolver.h"

class CDataCol;
class FitObserver;

class CConstrainedSolver : public CSolver {
 public:
  CConstrainedSolver() = default;

  // Tells `observer` what the outlier filter judges; none by default.
  void Observe(FitObserver* observer) { observer_ = observer; }

  // The forces of the included samples, through the regression solver's
  // Forces: a sample whose dDelta is negative is excluded instead.
  void Forces(Real inertialMass, CDataCol& data, BoundedArray<Real>& F, Int16& size);

 private:
  std::string CSolver_sName() const override;
  void CSolver_sName(const std::string& RHS) override;
  void CSolver_Solve(CDataCol& data, Real inertialMass, BoundedArray<Real>& sol) override;
  void CSolver_Filter(CDataCol& data, BoundedArray<Real>& results) override;
  void CSolver_ExtraInfo(Int16 mech_order, Int16 air_order, Real CdAp_in, Real forceConversion) override;
  void CSolver_PrintResults(const std::string& sFile) override;

  // Term rows 0 to 7: 1, V, V², Vr²·Y, …, Vr²·Y⁴ and the fixed term CdAp·Vr²;
  // one column per included sample from 1.
  void PackConstrained(const CDataCol& data, BoundedMatrix<Real>& d, Int16& size) const;
  // Fits y minus the fixed term (row num of x) by term rows 0 to num − 1
  // into c (1 to num).
  void MlrConstrained(const BoundedMatrix<Real>& x, const BoundedArray<Real>& y, BoundedArray<Real>& c, Int16 size,
                      Int16 num);
  // The inner regression solver, created on first use.
  CMLRSolve& Inner();

  std::unique_ptr<CMLRSolve> innerSolver;
  Int16 mech_order = 2;
  Int16 air_order = 4;
  BoundedMatrix<Real> designMatrix_;  // filled by the last completed Solve
  BoundedArray<Real> forceVector_;    // filled by the last completed Solve, read by Filter
  Real CdAp = 0.0;                    // N per (m/s)², set only by ExtraInfo
  Int16 nCoefficients = 8;            // length of the delivered coefficient array
  FitObserver* observer_ = nullptr;
};
