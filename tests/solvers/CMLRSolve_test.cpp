// The regression solver: the linear-equation solver and its pivot choice,
// forces and design matrix, recovery of known coefficients, the outlier
// filter, the faults and the report section.
#include "solvers/CMLRSolve.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <utility>

#include "tests/TestSupport.h"
#include "tests/solvers/SolverTestSupport.h"

namespace {

using namespace solvertest;
using testsupport::ErrorOf;

const BoundedArray<Real> kRoadLoad = Coefficients({120.0, 1.4, 0.021, 0.38, 0.0031, 0.0012, -0.00004, 0.0000021});

// Each coefficient within `relative` of its generating value.
void ExpectNear(const BoundedArray<Real>& got, const BoundedArray<Real>& want, double relative) {
  ASSERT_EQ(got.LBound(), 1);
  ASSERT_EQ(got.UBound(), 8);
  for (long i = 1; i <= 8; ++i) EXPECT_NEAR(got(i).value(), want(i).value(), relative * std::abs(want(i).value())) << i;
}

// Two unknowns eliminated on matrix row p (0 or 1), written out in doubles.
std::pair<double, double> EliminatedOn(int p, const double a[2][2], const double c[2]) {
  const int q = 1 - p;
  const double f = a[q][0] / a[p][0];
  const double x2 = (c[q] - f * c[p]) / (a[q][1] - f * a[p][1]);
  return {(c[p] - a[p][1] * x2) / a[p][0], x2};
}

TEST(CMLRSolveTest, MatrixSolve) {
  // The right-hand sides of the pivot cases make the two possible pivot rows
  // round differently, so the result shows which row was chosen.
  const struct {
    const char* why;
    double a[2][2], c[2];
    int pivot;  // matrix row 0 or 1; -1 when the answer is given
    double x1, x2;
    int error;
  } cases[] = {
      {"worked example", {{2, 1}, {1, 3}}, {3, 5}, -1, 0.8, 1.4, 0},
      {"zero leading entry", {{0, 1}, {1, 1}}, {2, 5}, -1, 3, 2, 0},
      {"scaled 2/2 beats 3/100", {{3, 100}, {2, 1}}, {1, 1}, 1, 0, 0, 0},
      {"a tie keeps the first row", {{1, 1}, {2, -2}}, {0.1, 1}, 0, 0, 0, 0},
      {"a zero row: 0/0 in the pivot search", {{1, 2}, {0, 0}}, {1, 1}, -1, 0, 0, 11},
      {"singular: an exactly zero pivot", {{1, 2}, {2, 4}}, {1, 1}, -1, 0, 0, 11},
  };
  for (const auto& t : cases) {
    SCOPED_TRACE(t.why);
    BoundedMatrix<Real> a(1, 2, 1, 2);
    for (long i = 1; i <= 2; ++i)
      for (long j = 1; j <= 2; ++j) a(i, j) = t.a[i - 1][j - 1];
    BoundedArray<Real> C = Coefficients({t.c[0], t.c[1]});
    BoundedArray<Real> x(0, 5);
    ASSERT_EQ(ErrorOf([&] { CMLRSolve().MatrixSolve(a, C, 2, x); }), t.error);
    if (t.error != 0) continue;
    std::pair<double, double> want{t.x1, t.x2};
    if (t.pivot >= 0) {
      want = EliminatedOn(t.pivot, t.a, t.c);
      ASSERT_NE(want, EliminatedOn(1 - t.pivot, t.a, t.c));
    }
    ASSERT_EQ(x.UBound(), 2);
    EXPECT_EQ(x(1L).value(), want.first);
    EXPECT_EQ(x(2L).value(), want.second);
  }
}

TEST(CMLRSolveTest, ForcesAndPackTakeTheIncludedSamples) {
  CDataCol col;
  col.Add(99, 99, 9, 2, -0.1);  // gained speed: excluded by Forces
  col.Add(0, 10, 0, 1, 0.0);    // at rest: used, force 0; 0 to the power 0 is 1
  col.Add(99, 99, 9, -3, 0.3);  // excluded before: skipped, keeps its run number
  CMLRSolve solver;
  BoundedArray<Real> F;
  BoundedMatrix<Real> d;
  Int16 size = 0;
  solver.Forces(kUnitWeight, col, F, size);
  solver.Pack(col, d, size);
  EXPECT_EQ(size.value(), 1);
  EXPECT_EQ(RunNumbers(col), (std::vector<int>{-1, 1, -3}));
  ASSERT_EQ(F.UBound(), 3);
  EXPECT_EQ(F(1L).value(), 0.0);
  const double column[8] = {1, 0, 0, 100, 0, 0, 0, 0};
  for (long row = 0; row <= 7; ++row) EXPECT_EQ(d(row, 1L).value(), column[row]) << row;
  EXPECT_EQ(d(3L, 3L).value(), 0.0) << "unused columns stay 0";
  CDataCol empty;
  EXPECT_EQ(ErrorOf([&] { solver.Forces(kUnitWeight, empty, F, size); }), 9);
}

TEST(CMLRSolveTest, RecoversGeneratingCoefficientsInAnySampleOrder) {
  std::vector<Reading> readings = SpreadReadings(12);
  for (int order = 0; order < 3; ++order) {
    if (order == 1) std::reverse(readings.begin(), readings.end());
    if (order == 2) std::rotate(readings.begin(), readings.begin() + 5, readings.end());
    CDataCol col;
    AddModelSamples(col, kRoadLoad, readings);
    BoundedArray<Real> sol;
    CMLRSolve().Solve(col, kUnitWeight, sol);
    // The normal equations lose about 1e-10 of each coefficient here; a
    // wrong term, sum or pivot costs whole percents.
    ExpectNear(sol, kRoadLoad, 1e-7);
    EXPECT_EQ(RunNumbers(col), std::vector<int>(12, 1));
  }
}

TEST(CMLRSolveTest, RecoversRandomCoefficientsOverRandomSamples) {
  std::mt19937 random(20263);
  std::uniform_real_distribution<double> spread(0.5, 1.5), speed(8, 36), wind(6, 45), yaw(-12, 12);
  for (int trial = 0; trial < 6; ++trial) {
    // Each plausible coefficient scaled by 0.5 to 1.5, so none comes near 0
    // and a relative tolerance stays meaningful.
    BoundedArray<Real> c(1, 8);
    for (long i = 1; i <= 8; ++i) c(i) = kRoadLoad(i) * spread(random);
    std::vector<Reading> readings;
    for (int n = std::uniform_int_distribution<int>(8, 60)(random); n > 0; --n) {
      readings.push_back({speed(random), wind(random), yaw(random)});
    }
    CDataCol col;
    AddModelSamples(col, c, readings);
    BoundedArray<Real> sol;
    CMLRSolve().Solve(col, kUnitWeight, sol);
    // Losses stay below 1e-9 over these ranges; 1e-6 leaves room for an
    // unlucky draw near eight samples and still catches any fault.
    ExpectNear(sol, c, 1e-6);
    EXPECT_EQ(RunNumbers(col), std::vector<int>(readings.size(), 1)) << "all forces positive";
  }
}

TEST(CMLRSolveTest, SolveAgainOrWithExtraInfoGivesTheSameFit) {
  CDataCol col;
  AddModelSamples(col, kRoadLoad, SpreadReadings(10));
  col[4].dDelta = -0.5;
  CMLRSolve solver;
  BoundedArray<Real> first;
  solver.Solve(col, kUnitWeight, first);
  const std::vector<int> runs = RunNumbers(col);
  EXPECT_EQ(runs[3], -1);
  solver.ExtraInfo(3, 7, 0.5, 4.448);  // ignored
  BoundedArray<Real> second;
  solver.Solve(col, kUnitWeight, second);
  for (long i = 1; i <= 8; ++i) EXPECT_EQ(second(i).value(), first(i).value()) << i;
  EXPECT_EQ(RunNumbers(col), runs);
}

TEST(CMLRSolveTest, SolveFaults) {
  const struct {
    const char* why;
    int samples, usable;
    double yaw;  // 0 makes the yaw terms 0 for every sample
    int error;
  } cases[] = {
      {"an empty collection", 0, 0, 1, 9},
      {"no usable sample", 9, 0, 1, 11},
      {"a term that is 0 for every sample", 9, 9, 0, 11},
      {"one sample for eight coefficients", 9, 1, 1, 11},
  };
  for (const auto& t : cases) {
    SCOPED_TRACE(t.why);
    CDataCol col;
    for (Reading r : SpreadReadings(t.samples)) AddWithForce(col, {r.V, r.Vr, r.Y * t.yaw}, 300);
    for (long k = t.usable + 1; k <= col.Count(); ++k) col[k].nRun = 0;
    BoundedArray<Real> sol;
    EXPECT_EQ(ErrorOf([&] { CMLRSolve().Solve(col, kUnitWeight, sol); }), t.error);
  }
  CDataCol col;
  col.Add(20, 22, 3, 1, 0.4);
  auto faster = col.Add(21, 23, 4, 1, -0.01);
  BoundedArray<Real> sol;
  EXPECT_EQ(ErrorOf([&] { CMLRSolve().Solve(col, kUnitWeight, sol); }), 11);
  EXPECT_EQ(faster->nRun.value(), -1) << "excluded even though the fit failed";
}

TEST(CMLRSolveTest, FilterExcludesExactlyTheOutOfLimitResiduals) {
  // With all coefficients 0 each residual is the force the test sets;
  // samples excluded earlier stand between the usable ones and stay as they are.
  const struct {
    const char* why;
    std::vector<double> residuals;
    std::vector<int> runs;  // expected nRun of the usable samples afterwards
  } cases[] = {
      {"one far out", {0, 0, 0, 0, 0, 0, 0, 0, 0, 20, 0, 0, 0, 0, 0, 0, 0, 0, 0},
       {1, 1, 1, 1, 1, 1, 1, 1, 1, -1, 1, 1, 1, 1, 1, 1, 1, 1, 1}},
      // Mean 3 and sd exactly 1: 6 and 0 lie exactly 3 sd out.
      {"exactly 3 sd out", {3, 3, 6, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 0, 3, 3},
       {1, 1, -1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, -1, 1, 1}},
      {"a perfect fit", std::vector<double>(12, 2.5), std::vector<int>(12, -1)},
  };
  for (const auto& t : cases) {
    SCOPED_TRACE(t.why);
    const std::vector<Reading> readings = SpreadReadings(static_cast<int>(t.residuals.size()));
    CDataCol col;
    std::vector<int> expected;
    for (std::size_t i = 0; i < readings.size(); ++i) {
      AddWithForce(col, readings[i], t.residuals[i]);
      expected.push_back(t.runs[i]);
      if (i % 3 == 1) {
        AddWithForce(col, {50, 50, 50}, 1000)->nRun = (i % 2 == 0) ? 0 : -1;
        expected.push_back((i % 2 == 0) ? 0 : -1);
      }
    }
    CMLRSolve solver;
    BoundedArray<Real> sol;
    solver.Solve(col, kUnitWeight, sol);
    BoundedArray<Real> zeros(1, 8);
    solver.Filter(col, zeros);
    EXPECT_EQ(RunNumbers(col), expected);
  }
}

TEST(CMLRSolveTest, FilterWithTheFitsOwnCoefficients) {
  CDataCol col;
  AddModelSamples(col, kRoadLoad, SpreadReadings(24));
  col[9].dDelta = col[9].dDelta + 60.0;  // a gust during one second
  col[3].nRun = 0;
  CMLRSolve solver;
  BoundedArray<Real> sol;
  solver.Solve(col, kUnitWeight, sol);
  const BoundedArray<Real> before = sol;
  solver.Filter(col, sol);
  std::vector<int> expected(24, 1);
  expected[2] = 0;
  expected[8] = -1;
  EXPECT_EQ(RunNumbers(col), expected);
  for (long i = 1; i <= 8; ++i) EXPECT_EQ(sol(i).value(), before(i).value()) << i;

  EXPECT_EQ(ErrorOf([&] { CMLRSolve().Filter(col, sol); }), 9) << "no Solve yet, so no forces";
  for (long k = 2; k <= col.Count(); ++k) col[k].nRun = -1;
  EXPECT_EQ(ErrorOf([&] { solver.Filter(col, sol); }), 11) << "one usable sample: 0/0 for the variance";
  col[1].nRun = 0;
  EXPECT_EQ(ErrorOf([&] { solver.Filter(col, sol); }), 11) << "no usable sample: 0/0 for the mean";
}

TEST(CMLRSolveTest, CountsReachTheLargest16BitValue) {
  // A collection holds at most 32767 samples; at exactly that many no
  // counter may overflow.
  const std::vector<Reading> readings = SpreadReadings(97);
  CDataCol col;
  for (int i = 0; i < 32767; ++i) {
    const Reading& r = readings[static_cast<std::size_t>(i % 97)];
    AddWithForce(col, r, ModelForce(kRoadLoad, r));
  }
  CMLRSolve solver;
  BoundedArray<Real> sol;
  solver.Solve(col, kUnitWeight, sol);
  ExpectNear(sol, kRoadLoad, 1e-6);
  solver.Filter(col, sol);
}

TEST(CMLRSolveTest, NameAndReportSection) {
  CMLRSolve solver;
  solver.sName("Something Else");
  EXPECT_EQ(solver.sName(), "Regression Solver");
  testsupport::ScratchDir dir;
  const std::string path = dir / "VB6Output.txt";
  const std::string section =
      "SOLVER INFORMATION\r\nRegression Solver\r\n\r\n 3 term mechanical model\r\n 5 term aerodynamic model\r\n\r\n";
  solver.PrintResults(path);  // creates the file
  EXPECT_EQ(testsupport::ReadFile(path), section);
  solver.ExtraInfo(5, 9);
  solver.PrintResults(path);
  EXPECT_EQ(testsupport::ReadFile(path), section + section);
}

}  // namespace
