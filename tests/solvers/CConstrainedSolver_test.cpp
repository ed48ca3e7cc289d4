// The constrained solver: the fit with a0 held at CdAp bit for bit, and the
// filter that adds the fixed aerodynamic force back, driven as the pipeline
// drives them. Its refusal without a CdAp is checked end to end.
#include "solvers/CConstrainedSolver.h"

#include <gtest/gtest.h>

#include "tests/solvers/SolverTestSupport.h"

namespace {

using namespace solvertest;

TEST(CConstrainedSolverTest, FitsSevenCoefficientsWithCdApInPlace) {
  for (const double CdAp : {0.38, -0.25}) {  // only a CdAp of 0 is refused
    RoadLoad c = kRoadLoad;
    c[3] = CdAp;
    CDataCol col;
    AddModelSamples(col, c, SpreadReadings(15));
    CConstrainedSolver solver;
    solver.ExtraInfo(0, 0, CdAp);
    BoundedArray<Real> sol(1, 3);
    solver.Solve(col, kUnitWeight, sol);
    EXPECT_EQ(sol(4L).value(), CdAp);
    ExpectNear(sol, c, 1e-7);
  }
}

TEST(CConstrainedSolverTest, FilterResidualsIncludeTheFixedAerodynamicForce) {
  // On exact data each residual is CdAp·Vr², so the one sample with a far
  // higher relative wind is the only one out of limits; a sample excluded
  // earlier stands between them.
  std::vector<Reading> readings = SpreadReadings(22);
  readings[13].Vr = 95.0;
  CDataCol col;
  AddModelSamples(col, kRoadLoad, {readings.begin(), readings.begin() + 5});
  col.Add(30, 95, 0, 0, 5000);
  AddModelSamples(col, kRoadLoad, {readings.begin() + 5, readings.end()});
  CConstrainedSolver solver;
  solver.ExtraInfo(0, 0, 0.38);
  BoundedArray<Real> sol;
  solver.Solve(col, kUnitWeight, sol);
  solver.Filter(col, sol);
  EXPECT_EQ(OutOfFit(col), (std::vector<int>{5, 14}));
}

}  // namespace
