// The regression solver: forces, design matrix, normal equations, the
// linear-equation solver and the outlier filter.
//
// Sample loops count with a plain int bounded by a 16-bit count: the count
// itself raises the overflow error beyond 32767 samples, and a 16-bit loop
// counter would raise it one step early, on stepping past the last sample.
#include "solvers/CMLRSolve.h"

#include <vector>

#include "data/CDataCol.h"
#include "solvers/SolverSteps.h"

namespace {

// The matrix row named by an order-vector entry.
Int16 RowAt(const BoundedArray<Real>& order, Int16 i) { return Int16::FromDouble(order(i).value()); }

}  // namespace

std::string CMLRSolve::CSolver_sName() const { return "Regression Solver"; }

void CMLRSolve::CSolver_sName(const std::string& /*RHS*/) {}

void CMLRSolve::CSolver_Solve(CDataCol& data, Real inertialWeight, BoundedArray<Real>& sol) {
  Int16 size = 0;
  Forces(inertialWeight, data, forceVector_, size);
  // Forces has already excluded the samples it rejects, so Pack selects the
  // same samples in the same order: column k belongs to force k.
  Pack(data, designMatrix_, size);
  const Int16 num = mech_order + air_order + 2;
  Mlr(designMatrix_, forceVector_, sol, size, num);
}

void CMLRSolve::CSolver_Filter(CDataCol& data, BoundedArray<Real>& sol) {
  RejectOutliers(data, forceVector_, sol, mech_order, air_order, std::nullopt, observer_);
}

void CMLRSolve::CSolver_ExtraInfo(Int16 /*mech_order*/, Int16 /*air_order*/, Real /*CdAp*/,
                                  Real /*forceConversion*/) {}

void CMLRSolve::CSolver_PrintResults(const std::string& sFile) {
  AppendSolverSection(sFile, CSolver_sName(), mech_order, air_order);
}

void CMLRSolve::Forces(Real inertialWeight, CDataCol& data, BoundedArray<Real>& F, Int16& size) const {
  size = 0;
  F.ReDim(1, data.Count());
  for (CMeasurement& sample : data) {
    if (sample.nRun <= 0) continue;
    if (sample.dDelta >= 0.0) {
      size = size + 1;
      F(size) = sample.force(inertialWeight);
    } else {
      sample.nRun = -1;
    }
  }
}

void CMLRSolve::Pack(const CDataCol& data, BoundedMatrix<Real>& d, Int16& size) const {
  size = 0;
  d.ReDim(0, (mech_order + air_order + 1).value(), 1, data.Count());
  for (const CMeasurement& sample : data) {
    if (sample.nRun <= 0) continue;
    size = size + 1;
    const Real V = sample.dVehicleSpeed;
    const Real Vr = sample.dWindSpeed;
    const Real Y = sample.dAngle;
    for (Int16 j = 0; j <= mech_order; ++j) d(j, size) = Pow(V, Real(j));
    for (Int16 j = 0; j <= air_order; ++j) d(mech_order + 1 + j, size) = Pow(Y, Real(j)) * Pow(Vr, 2.0);
  }
}

void CMLRSolve::Mlr(const BoundedMatrix<Real>& x, const BoundedArray<Real>& y, BoundedArray<Real>& unknown,
                    Int16 size, Int16 num) const {
  BoundedMatrix<Real> A = NormalMatrix(x, size, num);
  BoundedArray<Real> B(1, num.value());
  for (Int16 i = 1; i <= num; ++i) {
    Real s = 0.0;
    for (int k = 1; k <= size.value(); ++k) s = s + x(i - 1, k) * y(k);
    B(i) = s;
  }
  MatrixSolve(A, B, num, unknown);
}

void CMLRSolve::MatrixSolve(BoundedMatrix<Real>& a, BoundedArray<Real>& C, Int16 n, BoundedArray<Real>& x) const {
  BoundedArray<Real> scale(1, n.value());
  BoundedArray<Real> order(1, n.value());
  ScaleRows(a, n, scale, order);
  Eliminate(a, C, n, scale, order);
  Substitute(a, C, n, order, x);
}

void CMLRSolve::ScaleRows(const BoundedMatrix<Real>& a, Int16 n, BoundedArray<Real>& scale,
                          BoundedArray<Real>& order) {
  for (Int16 i = 1; i <= n; ++i) {
    order(i) = Real(i);
    scale(i) = Abs(a(i, 1));
    for (Int16 j = 2; j <= n; ++j) {
      if (Abs(a(i, j)) > scale(i)) scale(i) = Abs(a(i, j));
    }
  }
}

void CMLRSolve::Eliminate(BoundedMatrix<Real>& a, BoundedArray<Real>& C, Int16 n, const BoundedArray<Real>& scale,
                          BoundedArray<Real>& order) {
  for (Int16 k = 1; k <= n - 1; ++k) {
    Pivot(a, n, k, scale, order);
    const Int16 pivotRow = RowAt(order, k);
    for (Int16 i = k + 1; i <= n; ++i) {
      const Int16 row = RowAt(order, i);
      const Real f = a(row, k) / a(pivotRow, k);
      // Column k below the pivot is left as it is; nothing reads it again.
      for (Int16 j = k + 1; j <= n; ++j) a(row, j) = a(row, j) - f * a(pivotRow, j);
      C(row) = C(row) - f * C(pivotRow);
    }
  }
}

void CMLRSolve::Pivot(const BoundedMatrix<Real>& a, Int16 n, Int16 k, const BoundedArray<Real>& scale,
                      BoundedArray<Real>& order) {
  // No tolerance: a zero scale divides 0 by 0 here, and an exactly zero
  // pivot is left for the elimination to divide by.
  Int16 p = k;
  Real big = Abs(a(RowAt(order, k), k)) / scale(RowAt(order, k));
  for (Int16 ii = k + 1; ii <= n; ++ii) {
    const Real t = Abs(a(RowAt(order, ii), k)) / scale(RowAt(order, ii));
    if (t > big) {  // strictly larger, so a tie keeps the earlier row
      big = t;
      p = ii;
    }
  }
  const Real dummy = order(p);
  order(p) = order(k);
  order(k) = dummy;
}

void CMLRSolve::Substitute(const BoundedMatrix<Real>& a, const BoundedArray<Real>& C, Int16 n,
                           const BoundedArray<Real>& order, BoundedArray<Real>& x) {
  x.ReDim(1, n.value());
  x(n) = C(RowAt(order, n)) / a(RowAt(order, n), n);
  for (Int16 i = n - 1; i >= 1; --i) {
    const Int16 row = RowAt(order, i);
    Real sum = 0.0;
    for (Int16 j = i + 1; j <= n; ++j) sum = sum + a(row, j) * x(j);
    x(i) = (C(row) - sum) / a(row, i);
  }
}
