// The constrained solver: the refusal without a CdAp, the fit with a0 held
// at CdAp bit for bit, the filter that adds the fixed aerodynamic force back,
// the faults and the report section, all driven as the pipeline drives them.
#include "solvers/CConstrainedSolver.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "tests/TestSupport.h"
#include "tests/solvers/SolverTestSupport.h"

namespace {

using namespace solvertest;
using testsupport::ErrorOf;

constexpr double kCdAp = 0.38;
const BoundedArray<Real> kRoadLoad = Coefficients({120.0, 1.4, 0.021, kCdAp, 0.0031, 0.0012, -0.00004, 0.0000021});

std::unique_ptr<CSolver> NewSolver(double CdAp) {
  std::unique_ptr<CSolver> solver = std::make_unique<CConstrainedSolver>();
  solver->ExtraInfo(0, 0, CdAp, 0.0);
  return solver;
}

TEST(CConstrainedSolverTest, RefusesWithoutCdAp) {
  for (const bool extraInfo : {false, true}) {
    std::unique_ptr<CSolver> solver = std::make_unique<CConstrainedSolver>();
    if (extraInfo) solver->ExtraInfo(0, 0, -0.0);
    CDataCol col;
    AddModelSamples(col, kRoadLoad, SpreadReadings(9));
    col[2].dDelta = -1.0;  // a Solve that ran would exclude it
    BoundedArray<Real> unallocated;
    BoundedArray<Real> held = Coefficients({7, 8, 9});
    testing::internal::CaptureStderr();
    solver->Solve(col, kUnitWeight, unallocated);
    solver->Solve(col, kUnitWeight, held);
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "Constrained Solver: Error: Illegal CdAp\nConstrained Solver: Error: Illegal CdAp\n");
    EXPECT_FALSE(unallocated.IsAllocated());
    ASSERT_EQ(held.UBound(), 3);
    EXPECT_EQ(held(3L).value(), 9.0);
    EXPECT_EQ(RunNumbers(col), std::vector<int>(9, 1));
    BoundedArray<Real> zeros(1, 8);
    EXPECT_EQ(ErrorOf([&] { solver->Filter(col, zeros); }), 9) << "no forces were stored";

    solver->ExtraInfo(0, 0, kCdAp);
    solver->Solve(col, kUnitWeight, unallocated);
    EXPECT_EQ(unallocated.UBound(), 8);
    EXPECT_EQ(col[2].nRun.value(), -1);
  }
}

TEST(CConstrainedSolverTest, FitsSevenCoefficientsWithCdApInPlace) {
  const struct {
    double a0, CdAp;
    int samples;
    bool reversed;
  } cases[] = {{kCdAp, kCdAp, 7, false}, {kCdAp, kCdAp, 20, true}, {-0.25, -0.25, 15, false}, {0.45, kCdAp, 16, false}};
  for (const auto& t : cases) {
    SCOPED_TRACE(t.a0);
    BoundedArray<Real> c = kRoadLoad;
    c(4L) = t.a0;
    std::vector<Reading> readings = SpreadReadings(t.samples);
    if (t.reversed) readings.assign(readings.rbegin(), readings.rend());
    CDataCol col;
    AddModelSamples(col, c, readings);
    BoundedArray<Real> sol(1, 3);
    NewSolver(t.CdAp)->Solve(col, kUnitWeight, sol);
    ASSERT_EQ(sol.UBound(), 8);
    EXPECT_EQ(sol(4L).value(), t.CdAp);
    if (t.a0 == t.CdAp) {
      for (long i = 1; i <= 8; ++i) EXPECT_NEAR(sol(i).value(), c(i).value(), 1e-7 * std::abs(c(i).value())) << i;
      continue;
    }
    // A different a0 is absorbed by the other seven: their least-squares fit
    // of F − CdAp·Vr² beats the generating ones beside a0 = CdAp.
    BoundedArray<Real> replaced = c;
    replaced(4L) = t.CdAp;
    double fitted = 0, generating = 0;
    for (const Reading& r : readings) {
      fitted += std::pow(ModelForce(c, r) - ModelForce(sol, r), 2);
      generating += std::pow(ModelForce(c, r) - ModelForce(replaced, r), 2);
    }
    EXPECT_LT(fitted, 0.25 * generating) << fitted << " " << generating;
  }
}

TEST(CConstrainedSolverTest, FilterResidualsIncludeTheFixedAerodynamicForce) {
  // On exact data each residual is CdAp·Vr², so the one sample with a far
  // higher relative wind is the only one out of limits.
  std::vector<Reading> readings = SpreadReadings(22);
  readings[13].Vr = 95.0;
  CDataCol col;
  std::vector<int> expected;
  for (std::size_t i = 0; i < readings.size(); ++i) {
    AddWithForce(col, readings[i], ModelForce(kRoadLoad, readings[i]));
    expected.push_back(i == 13 ? -1 : 1);
    if (i % 4 == 2) {
      AddWithForce(col, {30, 95, 0}, 5000)->nRun = 0;
      expected.push_back(0);
    }
  }
  std::unique_ptr<CSolver> solver = NewSolver(kCdAp);
  BoundedArray<Real> sol;
  solver->Solve(col, kUnitWeight, sol);
  const BoundedArray<Real> before = sol;
  solver->Filter(col, sol);
  EXPECT_EQ(RunNumbers(col), expected);
  for (long i = 1; i <= 8; ++i) EXPECT_EQ(sol(i).value(), before(i).value()) << i;

  // With all coefficients 0 the residual is F + CdAp·Vr²: forces that cancel
  // the fixed force leave only the sample with 400 N more out of limits.
  CDataCol cancelling;
  for (const Reading& r : SpreadReadings(20)) AddWithForce(cancelling, r, 1000.0 - kCdAp * r.Vr * r.Vr);
  cancelling[6].dDelta = cancelling[6].dDelta + 400.0;
  solver->Solve(cancelling, kUnitWeight, sol);
  BoundedArray<Real> zeros(1, 8);
  solver->Filter(cancelling, zeros);
  std::vector<int> runs(20, 1);
  runs[5] = -1;
  EXPECT_EQ(RunNumbers(cancelling), runs);
}

TEST(CConstrainedSolverTest, ExtraInfoKeepsOnlyTheLatestCdAp) {
  CDataCol col;
  AddModelSamples(col, kRoadLoad, SpreadReadings(10));
  col[3].dDelta = -0.2;
  BoundedArray<Real> plain;
  NewSolver(kCdAp)->Solve(col, kUnitWeight, plain);
  const std::vector<int> runs = RunNumbers(col);

  std::unique_ptr<CSolver> solver = NewSolver(0.1);
  solver->ExtraInfo(3, 7, kCdAp, 4.448);
  for (int pass = 0; pass < 2; ++pass) {
    BoundedArray<Real> sol;
    solver->Solve(col, kUnitWeight, sol);
    ASSERT_EQ(sol.UBound(), 8);
    for (long i = 1; i <= 8; ++i) EXPECT_EQ(sol(i).value(), plain(i).value()) << i;
    EXPECT_EQ(RunNumbers(col), runs);
  }
  solver->sName("Regression Solver");
  EXPECT_EQ(solver->sName(), "Constrained Solver");
  testsupport::ScratchDir dir;
  const std::string path = dir / "VB6Output.txt";
  testsupport::WriteFile(path, "CALIBRATION\r\n");
  solver->PrintResults(path);
  solver->PrintResults(path);
  const std::string section =
      "SOLVER INFORMATION\r\nConstrained Solver\r\n\r\n 3 term mechanical model\r\n 5 term aerodynamic model\r\n\r\n";
  EXPECT_EQ(testsupport::ReadFile(path), "CALIBRATION\r\n" + section + section);
}

TEST(CConstrainedSolverTest, Faults) {
  BoundedArray<Real> sol;
  CDataCol empty;
  EXPECT_EQ(ErrorOf([&] { NewSolver(kCdAp)->Solve(empty, kUnitWeight, sol); }), 9) << "empty collection";
  CDataCol one;
  AddModelSamples(one, kRoadLoad, SpreadReadings(1));
  EXPECT_EQ(ErrorOf([&] { NewSolver(kCdAp)->Solve(one, kUnitWeight, sol); }), 11) << "one sample";
  CDataCol noYaw;
  for (const Reading& r : SpreadReadings(10)) AddWithForce(noYaw, {r.V, r.Vr, 0.0}, 300.0);
  EXPECT_EQ(ErrorOf([&] { NewSolver(kCdAp)->Solve(noYaw, kUnitWeight, sol); }), 11) << "yaw terms all 0";

  CDataCol col;
  AddModelSamples(col, kRoadLoad, SpreadReadings(10));
  std::unique_ptr<CSolver> solver = NewSolver(kCdAp);
  solver->Solve(col, kUnitWeight, sol);
  for (long k = 2; k <= col.Count(); ++k) col[k].nRun = -1;
  EXPECT_EQ(ErrorOf([&] { solver->Filter(col, sol); }), 11) << "one usable sample";

  CConstrainedSolver direct;  // Forces is public, through the inner regression solver
  BoundedArray<Real> F;
  Int16 size = 0;
  col[5].nRun = 1;
  col[5].dDelta = -1.0;
  direct.Forces(kUnitWeight, col, F, size);
  EXPECT_EQ(size.value(), 1);
  EXPECT_EQ(col[5].nRun.value(), -1);
}

}  // namespace
