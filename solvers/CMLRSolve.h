// The regression solver: an ordinary least-squares fit of the eight road-load
// coefficients to the forces of all included samples, through the normal
// equations and Gaussian elimination with scaled row pivoting, and the
// one-pass outlier filter on the fit's residuals.
#pragma once

#include <string>

#include "common/BoundedArray.h"
#include "common/BoundedMatrix.h"
#include "common/Int16.h"
#include "common/Real.h"
#include "solvers/CSolver.h"

class CDataCol;
class FitObserver;

class CMLRSolve : public CSolver {
 public:
  CMLRSolve() = default;

  // Tells `observer` what the outlier filter judges; none by default.
  void Observe(FitObserver* observer) { observer_ = observer; }

  // Fills `d` with the design matrix of the included samples: term rows 0 to
  // mech_order + air_order + 1 (1, V, V², Vr², Vr²·Y, …, Vr²·Y⁴), one column
  // per sample from 1; `size` returns how many samples were used.
  void Pack(const CDataCol& data, BoundedMatrix<Real>& d, Int16& size) const;
  // Fills `F` (1 to Count) with the forces of the included samples in
  // collection order; a sample whose dDelta is negative is excluded instead.
  // `size` returns how many forces were stored.
  void Forces(Real inertialWeight, CDataCol& data, BoundedArray<Real>& F, Int16& size) const;
  // Forms the normal equations of the least-squares fit of `y` by the first
  // `num` term rows of `x` over `size` samples and solves them into
  // `unknown` (1 to num).
  void Mlr(const BoundedMatrix<Real>& x, const BoundedArray<Real>& y, BoundedArray<Real>& unknown, Int16 size,
           Int16 num) const;
  // Solves a·x = C for the n unknowns; `a` and `C` are overwritten and `x`
  // is re-dimensioned to 1 to n.
  void MatrixSolve(BoundedMatrix<Real>& a, BoundedArray<Real>& C, Int16 n, BoundedArray<Real>& x) const;

 private:
  std::string CSolver_sName() const override;
  void CSolver_sName(const std::string& RHS) override;
  void CSolver_Solve(CDataCol& data, Real inertialWeight, BoundedArray<Real>& sol) override;
  void CSolver_Filter(CDataCol& data, BoundedArray<Real>& sol) override;
  void CSolver_ExtraInfo(Int16 mech_order, Int16 air_order, Real CdAp, Real forceConversion) override;
  void CSolver_PrintResults(const std::string& sFile) override;

  // The steps of MatrixSolve. `scale` holds each row's largest magnitude;
  // `order` names, as whole-number doubles, the matrix row that plays the
  // part of each row, so that rows are never moved.
  static void ScaleRows(const BoundedMatrix<Real>& a, Int16 n, BoundedArray<Real>& scale, BoundedArray<Real>& order);
  static void Eliminate(BoundedMatrix<Real>& a, BoundedArray<Real>& C, Int16 n, const BoundedArray<Real>& scale,
                        BoundedArray<Real>& order);
  static void Pivot(const BoundedMatrix<Real>& a, Int16 n, Int16 k, const BoundedArray<Real>& scale,
                    BoundedArray<Real>& order);
  static void Substitute(const BoundedMatrix<Real>& a, const BoundedArray<Real>& C, Int16 n,
                         const BoundedArray<Real>& order, BoundedArray<Real>& x);

  Int16 mech_order = 2;
  Int16 air_order = 4;
  BoundedMatrix<Real> designMatrix_;  // filled by the last Solve
  BoundedArray<Real> forceVector_;    // filled by the last Solve, read by Filter
  FitObserver* observer_ = nullptr;
};
