// The regression solver: the linear-equation solver and its pivot choice,
// recovery of known coefficients from the included samples, the outlier
// filter, and counts at the 16-bit limit.
#include "solvers/CMLRSolve.h"

#include <gtest/gtest.h>

#include "tests/solvers/SolverTestSupport.h"

namespace {

using namespace solvertest;
using testsupport::ErrorOf;

TEST(CMLRSolveTest, MatrixSolve) {
  // The pivot cases round differently on the row not chosen: 0.5025380710659899,
  // -0.005076142131979697 and 0.3, -0.2.
  const struct {
    const char* why;
    double a[2][2], c[2], x1, x2;
    int error;
  } cases[] = {
      {"worked example", {{2, 1}, {1, 3}}, {3, 5}, 0.8, 1.4, 0},
      {"zero leading entry", {{0, 1}, {1, 1}}, {2, 5}, 3, 2, 0},
      {"scaled 2/2 beats 3/100", {{3, 100}, {2, 1}}, {1, 1}, 0.5025380710659898, -0.005076142131979695, 0},
      {"a tie keeps the first row", {{1, 1}, {2, -2}}, {0.1, 1}, 0.30000000000000004, -0.2, 0},
      {"a zero row: 0/0 in the pivot search", {{1, 2}, {0, 0}}, {1, 1}, 0, 0, 11},
      {"singular: an exactly zero pivot", {{1, 2}, {2, 4}}, {1, 1}, 0, 0, 11},
  };
  for (const auto& t : cases) {
    BoundedMatrix<Real> a(1, 2, 1, 2);
    for (long i = 1; i <= 2; ++i)
      for (long j = 1; j <= 2; ++j) a(i, j) = t.a[i - 1][j - 1];
    BoundedArray<Real> C = testsupport::Coefficients({t.c[0], t.c[1]});
    BoundedArray<Real> x(0, 5);
    ASSERT_EQ(ErrorOf([&] { CMLRSolve().MatrixSolve(a, C, 2, x); }), t.error) << t.why;
    if (t.error != 0) continue;
    EXPECT_EQ(x(1L).value(), t.x1) << t.why;
    EXPECT_EQ(x(2L).value(), t.x2) << t.why;
  }
}

TEST(CMLRSolveTest, RecoversTheGeneratingCoefficients) {
  // Samples excluded in the middle must not shift forces against columns.
  const std::vector<Reading> readings = SpreadReadings(12);
  CDataCol col;
  AddModelSamples(col, kRoadLoad, {readings.begin(), readings.begin() + 6});
  col.Add(30, 40, 5, 1, -0.5);    // gained speed: no force
  col.Add(30, 40, 5, 0, 5000.0);  // excluded before
  AddModelSamples(col, kRoadLoad, {readings.begin() + 6, readings.end()});
  BoundedArray<Real> sol;
  CMLRSolve().Solve(col, kUnitWeight, sol);
  // The normal equations lose about 1e-10 of each coefficient here; a wrong
  // term, sum or pivot costs whole percents.
  ExpectNear(sol, kRoadLoad, 1e-7);
}

// The samples (from 0) out of the fit after the filter, when each residual is
// the force given (all coefficients 0). The first two were excluded before,
// with nRun 0 and -1, and stay out.
std::vector<int> Excluded(const std::vector<double>& residuals) {
  CDataCol col;
  col.Add(50, 50, 50, 0, 1000);
  col.Add(50, 50, 50, -1, 1000);
  std::size_t i = 0;
  for (const Reading& r : SpreadReadings(residuals.size())) col.Add(r.V, r.Vr, r.Y, 1, residuals[i++]);
  CMLRSolve solver;
  BoundedArray<Real> sol, zeros(1, 8);
  solver.Solve(col, kUnitWeight, sol);
  solver.Filter(col, zeros);
  return OutOfFit(col);
}

TEST(CMLRSolveTest, FilterExcludesResidualsThreeDeviationsOrMoreOut) {
  std::vector<double> far(19, 0.0);
  far[9] = 20;
  EXPECT_EQ(Excluded(far), (std::vector<int>{0, 1, 11}));
  std::vector<double> edge(19, 3.0);  // mean 3 and sd exactly 1: 6 and 0 lie exactly 3 sd out
  edge[2] = 6;
  edge[16] = 0;
  EXPECT_EQ(Excluded(edge), (std::vector<int>{0, 1, 4, 18}));
  edge.pop_back();  // sd sqrt(18/17) with one 3 fewer: both inside
  EXPECT_EQ(Excluded(edge), (std::vector<int>{0, 1}));
  // A perfect fit: sd 0, and every residual lies 0 sd out.
  EXPECT_EQ(Excluded(std::vector<double>(9, 2.5)), (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10}));
}

TEST(CMLRSolveTest, CountsReachTheLargest16BitValue) {
  // A collection holds at most 32767 samples; at exactly that many no
  // counter may overflow.
  const std::vector<Reading> readings = SpreadReadings(97);
  CDataCol col;
  for (int i = 0; i < 32767; ++i) AddModelSamples(col, kRoadLoad, {readings[static_cast<std::size_t>(i % 97)]});
  CMLRSolve solver;
  BoundedArray<Real> sol;
  solver.Solve(col, kUnitWeight, sol);
  ExpectNear(sol, kRoadLoad, 1e-6);
  solver.Filter(col, sol);
}

}  // namespace
