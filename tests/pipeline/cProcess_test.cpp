// The pipeline's own steps, one at a time: temperature letters, the gas law,
// the corrections, the wind statistics, the result texts with the worked
// numbers of a 68 °F, 29.92 inHg, 22.5 ft² test, the report writer with
// stand-in calibrator and solver, and the three run-file set loads.
#include "pipeline/cProcess.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <utility>

#include "app/CommandLine.h"
#include "app/SAEAppWrapper.h"
#include "calibration/CCalibrator.h"
#include "common/TextFile.h"
#include "common/UnitFactors.h"
#include "pipeline/Corrections.h"
#include "solvers/CSolver.h"
#include "tests/TestSupport.h"

// Reaches the fields and private steps of one cProcess.
class cProcessProbe {
 public:
  explicit cProcessProbe(cProcess& process) : p_(process) {}
  void SetWrapper(SAEAppWrapper* wrapper) { p_.wrapper = wrapper; }
  void SetFactors(Real mech, Real aero) {
    p_.MechFactor = mech;
    p_.AeroFactor = aero;
  }
  void SetWind(Real meanHead, Real meanCross, Real maxHead, Real maxCross) {
    p_.MeanHead = meanHead;
    p_.MeanCross = meanCross;
    p_.MaxHead = maxHead;
    p_.MaxCross = maxCross;
  }
  Real MeanHead() const { return p_.MeanHead; }
  Real MeanCross() const { return p_.MeanCross; }
  Real MaxHead() const { return p_.MaxHead; }
  Real MaxCross() const { return p_.MaxCross; }
  void SetCalibrator(std::unique_ptr<CCalibrator> c) { p_.calibrator = std::move(c); }
  void SetSolver(std::unique_ptr<CSolver> s) { p_.solver = std::move(s); }
  CDataCol& runData() { return p_.runData; }
  const std::string& MessageLog() const { return p_.MessageLog; }
  Real ToCelsius(Real t) { return p_.ToCelsius(t); }
  std::string WriteReport(BoundedArray<Real>& results, Real A, Real rho) { return p_.WriteReport(results, A, rho); }

 private:
  cProcess& p_;
};

namespace {

using testsupport::ErrorOf;
using testsupport::ReadFile;
using testsupport::ScratchDir;
using testsupport::WriteFile;

// Stand-ins that append a one-line section; the solver can refuse it.
class StandInCalibrator : public CCalibrator {
  std::string CCalibrator_sName() const override { return "Stand-in Calibrator"; }
  void CCalibrator_sName(const std::string&) override {}
  void CCalibrator_Calabrate(CDataCol&) override {}
  void CCalibrator_Adjust(CDataCol&) override {}
  void CCalibrator_PrintResults(const std::string& sFile) override {
    TextFile file(sFile, TextFile::Mode::Append);
    file.WriteLine("CALIBRATION COEFFICIENTS");
    file.Close();
  }
};

class StandInSolver : public CSolver {
 public:
  explicit StandInSolver(bool failPrinting = false) : failPrinting_(failPrinting) {}

 private:
  std::string CSolver_sName() const override { return "Stand-in Solver"; }
  void CSolver_sName(const std::string&) override {}
  void CSolver_Solve(CDataCol&, Real, BoundedArray<Real>&) override {}
  void CSolver_Filter(CDataCol&, BoundedArray<Real>&) override {}
  void CSolver_ExtraInfo(Int16, Int16, Real, Real) override {}
  void CSolver_PrintResults(const std::string& sFile) override {
    if (failPrinting_) Raise(ErrorNumber::PermissionDenied, sFile);
    TextFile file(sFile, TextFile::Mode::Append);
    file.WriteLine("SOLVER INFORMATION");
    file.Close();
  }
  bool failPrinting_;
};

// The coefficients of the worked example: m0 120, m1 4.415, m2 0.2206, a0 0.2.
BoundedArray<Real> WorkedCoefficients() {
  BoundedArray<Real> sol(1, 8);
  sol(1L) = 120.0;
  sol(2L) = 4.415;
  sol(3L) = 0.2206;
  sol(4L) = 0.2;
  return sol;
}

// The run's parameters as the command line sets them, unit factors included.
void SetUpRun(SAEAppWrapper& run, const std::string& folder) {
  run.SetParams(SplitCommandLine(folder + ",False,False,15,70,3500,68,29.92,22.5,"));
}

class cProcessTest : public ::testing::Test {
 protected:
  void SetUp() override { SetUpRun(run, folder.path()); }

  ScratchDir folder;
  SAEAppWrapper run;
  cProcess process;
  cProcessProbe probe{process};
};

TEST_F(cProcessTest, TemperatureLettersAreCaseSensitive) {
  const struct {
    const char* code;
    double t;
    double celsius;
    bool logged;
  } cases[] = {
      {"C", 21.5, 21.5, false},   {"F", 68.0, 20.0, false},  {"F", -40.0, -40.0, false},
      {"K", 293.15, 20.0, false}, {"R", 527.67, 20.0, false}, {"f", 68.0, 0.0, true},
      {"c", 20.0, 0.0, true},     {"X", 68.0, 0.0, true},     {"", 68.0, 0.0, true},
  };
  for (const auto& c : cases) {
    cProcess fresh;
    cProcessProbe p(fresh);
    UnitFactors().TemperatureCode = c.code;
    EXPECT_NEAR(p.ToCelsius(c.t).value(), c.celsius, 1e-12) << c.code;
    EXPECT_EQ(p.MessageLog(), c.logged ? "\r\nIncorrect temp letter code" : "") << c.code;
  }
  // 68 °F is exactly 20 °C, so the temperature correction leaves the factor at 1.
  UnitFactors().TemperatureCode = "F";
  EXPECT_EQ(probe.ToCelsius(68.0).value(), 20.0);
}

TEST_F(cProcessTest, DensityAndCorrectionsOfTheWorkedTest) {
  const struct {
    double T, P, density;
  } cases[] = {{20.0, 98.21, 1.16706067938}, {15.0, 101.325, 1.22497}, {20.0, 101.32408, 1.20406628289}};
  for (const auto& c : cases) EXPECT_NEAR(process.GasLaw(c.T, c.P).value(), c.density, 5e-6) << c.T;
  EXPECT_EQ(ErrorOf([&] { process.GasLaw(-273.15, 98.21); }), 11);

  EXPECT_EQ(TemperatureCorrection(20.0, 1.0).value(), 1.0);
  EXPECT_NEAR(TemperatureCorrection(30.0, 1.0).value(), 1.081, 1e-15);
  EXPECT_NEAR(TemperatureCorrection(10.0, 2.0).value(), 2 * 0.919, 1e-15);
  // 68 °F and 29.92 inHg × 3.3865: the Kelvin offset here is 273.
  EXPECT_NEAR(PressureCorrection(20.0, 101.32408, 1.0).value(), 0.969266140882, 1e-12);
  EXPECT_NEAR(PressureCorrection(30.0, 98.21, 1.0).value(), 303.0 / 293.0, 1e-15);
  EXPECT_EQ(PressureCorrection(20.0, 98.21, 1.0).value(), 1.0);
  EXPECT_EQ(ErrorOf([] { PressureCorrection(20.0, 0.0, 1.0); }), 11);
}

TEST_F(cProcessTest, WindKeepsSignedMeansAndLargestMagnitudes) {
  EXPECT_EQ(ErrorOf([&] { process.Wind(); }), 11);  // no sample to average
  CDataCol& data = probe.runData();
  // At yaw 0 the head wind is Vr − V signed by the run's direction.
  data.Add(20.0, 25.0, 0.0, 1);                // +5
  data.Add(20.0, 26.0, 0.0, 2);                // -6
  data.Add(0.0, 100.0, 30.0, 0);               // excluded, would dominate
  data.Add(0.0, 90.0, -30.0, 3)->nRun = -1;    // excluded
  data.Add(20.0, 22.0, 0.0, 2);                // -2
  data.Add(20.0, 20.0, -30.0, 1);              // cross about -10
  data.Add(20.0, 20.0, 10.0, 2);               // cross about -3.5
  const double north[] = {data[6].North().value(), data[7].North().value()};
  const double east[] = {data[6].East().value(), data[7].East().value()};
  ASSERT_LT(east[0], -9.9);
  process.Wind();
  EXPECT_NEAR(probe.MeanHead().value(), (5.0 - 6.0 - 2.0 + north[0] + north[1]) / 5.0, 1e-12);
  EXPECT_LT(probe.MeanHead().value(), 0.0);
  EXPECT_EQ(probe.MaxHead().value(), 6.0);
  EXPECT_NEAR(probe.MeanCross().value(), (east[0] + east[1]) / 5.0, 1e-12);
  EXPECT_EQ(probe.MaxCross().value(), -east[0]);
}

TEST_F(cProcessTest, MechanicalLinesOfTheWorkedExample) {
  probe.SetFactors(1.0, 1.0);
  const BoundedArray<Real> sol = WorkedCoefficients();
  EXPECT_EQ(process.MechDragCo(sol, 2, 4), "Amech: 26.98\r\nBmech: 0.4437\r\nCmech: 0.009911 ^ 2\r\n");
  EXPECT_EQ(process.MechDragCo(sol, 0, 4), "Amech: 26.98\r\n");
  // With mechOrder 3 the fourth element is read as the cubic term.
  const std::string four = process.MechDragCo(sol, 3, 4);
  EXPECT_EQ(four.substr(four.rfind("Dmech: ")), "Dmech: 0.00401702 ^ 3\r\n");
  // The temperature correction of a 30 °C test scales every mechanical term.
  probe.SetFactors(1.081, 1.0);
  EXPECT_EQ(process.MechDragCo(sol, 2, 4), "Amech: 29.16\r\nBmech: 0.4797\r\nCmech: 0.010714 ^ 2\r\n");
  BoundedArray<Real> shortSol(1, 2);
  EXPECT_EQ(ErrorOf([&] { process.MechDragCo(shortSol, 2, 4); }), 9);
  EXPECT_EQ(ErrorOf([&] { process.MechDragCo(BoundedArray<Real>(), 2, 4); }), 9);
}

TEST_F(cProcessTest, AerodynamicLinesOfTheWorkedExample) {
  probe.SetWrapper(&run);
  const Real aero = PressureCorrection(20.0, 29.92 * 3.3865, 1.0);
  probe.SetFactors(1.0, aero);
  const BoundedArray<Real> sol = WorkedCoefficients();
  const Real A = 22.5 * 0.0929;
  const Real standard = process.GasLaw(20.0, 98.21);
  EXPECT_EQ(process.AeroResults(sol, 2, 4, A, standard),
            "Caero: 0.008710 N/MPH ^ 2\r\n"
            "Ctotl: 0.018621 N/MPH ^ 2\r\n"
            "\r\n"
            "Area:  22.5ft ^2 \r\n"
            "Cd:    0.159\r\n");
  EXPECT_NEAR(std::stod(run.cAero), 0.2 * aero.value() / 4.448 * 0.44704 * 0.44704, 1e-15);
  EXPECT_NEAR(std::stod(run.cTotal), (0.2206 + 0.2 * aero.value()) / 4.448 * 0.44704 * 0.44704, 1e-15);
  EXPECT_NEAR(std::stod(run.CD), 0.1589320057, 1e-10);
  EXPECT_EQ(run.cAero[0], ' ');
  // The Cd line follows the density it is given: the test density instead
  // of the standard one gives a smaller drag coefficient.
  const std::string atTest = process.AeroResults(sol, 2, 4, A, process.GasLaw(20.0, 29.92 * 3.3865));
  EXPECT_NE(atTest.find("Cd:    0.154\r\n"), std::string::npos) << atTest;
}

TEST_F(cProcessTest, AerodynamicFaultsKeepTheResultsSetBeforeThem) {
  probe.SetWrapper(&run);
  probe.SetFactors(1.0, 1.0);
  const BoundedArray<Real> sol = WorkedCoefficients();
  run.CD = "unchanged";
  EXPECT_EQ(ErrorOf([&] { process.AeroResults(sol, 2, 4, 2.09025, 0.0); }), 11);
  EXPECT_FALSE(run.cAero.empty());
  EXPECT_FALSE(run.cTotal.empty());
  EXPECT_EQ(run.CD, "unchanged");
  BoundedArray<Real> three(1, 3);
  EXPECT_EQ(ErrorOf([&] { process.AeroResults(three, 2, 4, 2.09025, 1.2); }), 9);
}

// A report writer with stand-in sections, the worked coefficients and wind
// statistics of 1, -2, 3 and 4 mph.
struct ReportRun {
  ScratchDir dir;
  SAEAppWrapper run;
  cProcess process;
  cProcessProbe probe{process};
  BoundedArray<Real> sol = WorkedCoefficients();

  ReportRun() {
    SetUpRun(run, dir.path());
    probe.SetWrapper(&run);
    probe.SetFactors(1.0, 1.0);
    probe.SetWind(0.44704, -2 * 0.44704, 3 * 0.44704, 4 * 0.44704);
    probe.SetCalibrator(std::make_unique<StandInCalibrator>());
    probe.SetSolver(std::make_unique<StandInSolver>());
  }
  std::string Write() { return probe.WriteReport(sol, 22.5 * 0.0929, 1.2); }
  std::string Report() const { return ReadFile(dir / "VB6Output.txt"); }
};

TEST(ReportTest, SwitchesTheCommandLineNeverChanges) {
  ReportRun r;
  r.run.CorrectMass = true;
  r.run.CalculateWindSpeed = false;
  r.run.CorrectPressure = false;
  EXPECT_EQ(r.Write(), r.dir / "VB6Output.txt");
  const std::string report = r.Report();
  EXPECT_EQ(report.substr(report.find("Test Range")),
            "Test Range\r\nFrom 15 to 70\r\n\r\n"
            "Mechanical terms corrected to standard temperature of  20 C\r\n"
            "Mechanical terms corrected to weight of 3500 \r\n\r\n\r\n"
            "CALIBRATION COEFFICIENTS\r\nSOLVER INFORMATION\r\n");
  EXPECT_FALSE(r.process.ReportSaveFailed());
}

TEST(ReportTest, FailureShowsTheMessageAndKeepsWhatWasWritten) {
  const struct {
    const char* name;
    std::function<void(ReportRun&)> arrange;
    const char* kept;  // the end of the report file; nullptr when there is none
  } cases[] = {
      {"missing folder", [](ReportRun& r) { r.run.FileLocation = r.dir / "missing"; }, nullptr},
      {"report name taken by a folder",
       [](ReportRun& r) { std::filesystem::create_directory(r.dir / "VB6Output.txt"); }, nullptr},
      {"coefficients cut short", [](ReportRun& r) { r.sol.ReDimPreserve(1, 2); }, "SAE 2263 Data Analysis\r\n"},
      {"solver section refused",
       [](ReportRun& r) { r.probe.SetSolver(std::make_unique<StandInSolver>(true)); },
       "\r\n\r\nCALIBRATION COEFFICIENTS\r\n"},
  };
  for (const auto& c : cases) {
    ReportRun r;
    c.arrange(r);
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(r.Write(), "") << c.name;
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "coastdown: Unable to save results.\n") << c.name;
    EXPECT_TRUE(r.process.ReportSaveFailed()) << c.name;
    const std::string report = r.dir / "VB6Output.txt";
    if (c.kept == nullptr) {
      EXPECT_FALSE(std::filesystem::is_regular_file(report)) << c.name;
    } else {
      EXPECT_TRUE(ReadFile(report).ends_with(c.kept)) << c.name;
    }
  }
}

TEST_F(cProcessTest, ZeroAbsorbsEveryErrorAndGivesNoOffset) {
  // No ZERO.1: an empty set whose average divides 0 by 0, after the log line.
  probe.SetWrapper(&run);
  EXPECT_EQ(process.Zero().value(), 0.0);
  EXPECT_EQ(probe.MessageLog(), "\r\nZero files loaded");
  // A missing folder, and a run file cut short inside a record, fail the
  // load itself, before the log line.
  WriteFile(folder / "ZERO.1", "50,50,1.5\r\n50,50\r\n");
  for (const std::string& location : {folder / "missing", folder.path()}) {
    run.FileLocation = location;
    cProcess other;
    cProcessProbe p(other);
    p.SetWrapper(&run);
    EXPECT_EQ(other.Zero().value(), 0.0) << location;
    EXPECT_EQ(p.MessageLog(), "") << location;
  }
  // Outside a run there is no folder to read.
  EXPECT_EQ(cProcess().Zero().value(), 0.0);
}

}  // namespace
