// The constrained solver: the refusal without a CdAp, the constrained design
// matrix and normal equations, the shift that puts CdAp in the place of a0,
// and the filter that adds the fixed aerodynamic force back.
//
// Sample loops count with a plain int bounded by a 16-bit count, for the
// reason given in CMLRSolve.cpp.
#include "solvers/CConstrainedSolver.h"

#include <vector>

#include "common/Platform.h"
#include "data/CDataCol.h"
#include "solvers/SolverSteps.h"

std::string CConstrainedSolver::CSolver_sName() const { return "Constrained Solver"; }

void CConstrainedSolver::CSolver_sName(const std::string& /*RHS*/) {}

void CConstrainedSolver::CSolver_ExtraInfo(Int16 /*mech_order*/, Int16 /*air_order*/, Real CdAp_in,
                                           Real /*forceConversion*/) {
  CdAp = CdAp_in;
}

CMLRSolve& CConstrainedSolver::Inner() {
  if (!innerSolver) innerSolver = std::make_unique<CMLRSolve>();
  return *innerSolver;
}

void CConstrainedSolver::Forces(Real inertialMass, CDataCol& data, BoundedArray<Real>& F, Int16& size) {
  Inner().Forces(inertialMass, data, F, size);
}

void CConstrainedSolver::CSolver_Solve(CDataCol& data, Real inertialMass, BoundedArray<Real>& sol) {
  // Without a drag coefficient there is nothing to hold a0 at: the user is
  // told, and the coefficients, the samples and the stored forces stay as
  // they were.
  if (CdAp == 0.0) {
    ShowMessageBox(CSolver_sName(), "Error: Illegal CdAp");
    return;
  }
  Int16 size = 0;
  Forces(inertialMass, data, forceVector_, size);
  PackConstrained(data, designMatrix_, size);
  const Int16 num = mech_order + air_order + 1;
  MlrConstrained(designMatrix_, forceVector_, sol, size, num);
  // m0, m1, m2, a1 … a4 become m0, m1, m2, CdAp, a1 … a4: the layout of the
  // regression, with a0 equal to CdAp bit for bit.
  sol.ReDimPreserve(1, nCoefficients.value());
  for (Int16 j = nCoefficients; j >= mech_order + 2; --j) sol(j) = sol(j - 1);
  sol(mech_order + 2) = CdAp;
}

void CConstrainedSolver::PackConstrained(const CDataCol& data, BoundedMatrix<Real>& d, Int16& size) const {
  size = 0;
  d.ReDim(0, (nCoefficients - 1).value(), 1, data.Count());
  for (const CMeasurement& sample : data) {
    if (sample.nRun <= 0) continue;
    size = size + 1;
    const Real V = sample.dVehicleSpeed;
    const Real Vr = sample.dWindSpeed;
    const Real Y = sample.dAngle;
    for (Int16 j = 0; j <= mech_order; ++j) d(j, size) = Pow(V, Real(j));
    for (Int16 m = 1; m <= air_order; ++m) d(mech_order + m, size) = Pow(Y, Real(m)) * Pow(Vr, 2.0);
    d(nCoefficients - 1, size) = Pow(Vr, 2.0) * CdAp;
  }
}

void CConstrainedSolver::MlrConstrained(const BoundedMatrix<Real>& x, const BoundedArray<Real>& y,
                                        BoundedArray<Real>& c, Int16 size, Int16 num) {
  BoundedMatrix<Real> A = NormalMatrix(x, size, num);
  BoundedArray<Real> B(1, num.value());
  for (Int16 i = 1; i <= num; ++i) {
    // Row num is the fixed aerodynamic force: each force is reduced by its
    // own sample's CdAp·Vr² before it enters B.
    Real s = 0.0;
    for (int k = 1; k <= size.value(); ++k) s = s + (y(k) - x(num, k)) * x(i - 1, k);
    B(i) = s;
  }
  Inner().MatrixSolve(A, B, num, c);
}

void CConstrainedSolver::CSolver_Filter(CDataCol& data, BoundedArray<Real>& results) {
  // The fixed aerodynamic force is added back to the force, so with the
  // coefficients of Solve the residual is the fit's own plus CdAp·Vr².
  RejectOutliers(data, forceVector_, results, mech_order, air_order, CdAp, observer_);
}

void CConstrainedSolver::CSolver_PrintResults(const std::string& sFile) {
  AppendSolverSection(sFile, CSolver_sName(), mech_order, air_order);
}
