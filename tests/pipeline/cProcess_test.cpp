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
  Real YawOffset() const { return p_.YawOffset; }
  void SetYawOffset(Real offset) { p_.YawOffset = offset; }
  void SetCalibrator(std::unique_ptr<CCalibrator> c) { p_.calibrator = std::move(c); }
  void SetSolver(std::unique_ptr<CSolver> s) { p_.solver = std::move(s); }
  CDataCol& runData() { return p_.runData; }
  CDataCol& calData() { return p_.calData; }
  const std::string& MessageLog() const { return p_.MessageLog; }
  Real ToCelsius(Real t) { return p_.ToCelsius(t); }
  std::string WriteReport(BoundedArray<Real>& results, Real A, Real rho) { return p_.WriteReport(results, A, rho); }
  void LoadCalibrationSet() { p_.LoadCalibrationSet(); }
  void LoadDataSet() { p_.LoadDataSet(); }

 private:
  cProcess& p_;
};

namespace {

using testsupport::ErrorOf;
using testsupport::ReadFile;
using testsupport::ScratchDir;
using testsupport::WriteFile;

// Appends a fixed section, or fails with a file error when asked to.
class StandInCalibrator : public CCalibrator {
 public:
  int calibrated = 0;
  long calibratedCount = 0;
  double yawShift = 0.0;  // added to every included yaw by Adjust

 private:
  std::string CCalibrator_sName() const override { return "Stand-in Calibrator"; }
  void CCalibrator_sName(const std::string&) override {}
  void CCalibrator_Calabrate(CDataCol& data) override {
    ++calibrated;
    calibratedCount = data.Count();
  }
  void CCalibrator_Adjust(CDataCol& data) override {
    for (CMeasurement& m : data) {
      if (m.nRun > 0) m.dAngle += yawShift;
    }
  }
  void CCalibrator_PrintResults(const std::string& sFile) override {
    TextFile file(sFile, TextFile::Mode::Append);
    file.WriteLine("CALIBRATION COEFFICIENTS");
    file.WriteLine();
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

std::string ReportWithoutDate(const std::string& text) {
  const std::size_t at = text.find("Report Generated on ");
  if (at == std::string::npos) return text;
  const std::size_t end = text.find("\r\n", at);
  return text.substr(0, at) + "Report Generated on <date>" + text.substr(end);
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

TEST_F(cProcessTest, GasLawGivesTheDensityOfDryAir) {
  const struct {
    double T, P, density;
  } cases[] = {
      {20.0, 98.21, 1.16706067938},
      {15.0, 101.325, 1.22497},
      {20.0, 101.32408, 1.20406628289},
  };
  for (const auto& c : cases) EXPECT_NEAR(process.GasLaw(c.T, c.P).value(), c.density, 5e-6) << c.T;
  EXPECT_EQ(ErrorOf([&] { process.GasLaw(-273.15, 98.21); }), 11);
}

TEST(CorrectionsTest, FactorsOfTheWorkedTest) {
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
  CDataCol& data = probe.runData();
  // Yaw 0: head wind Vr − V, signed by the run's direction; no cross wind.
  data.Add(20.0, 25.0, 0.0, 1);   // head +5
  data.Add(20.0, 26.0, 0.0, 2);   // head -(26 - 20) = -6
  data.Add(0.0, 100.0, 30.0, 0);  // excluded: would dominate both statistics
  data.Add(0.0, 90.0, -30.0, 3)->nRun = -1;
  data.Add(20.0, 22.0, 0.0, 2);   // head -2
  data.Add(20.0, 20.0, -30.0, 1);  // cross negative, larger in magnitude than the other
  data.Add(20.0, 20.0, 10.0, 2);
  std::vector<double> north;
  std::vector<double> east;
  for (const CMeasurement& m : data) {
    if (m.nRun <= 0) continue;
    north.push_back(m.North().value());
    east.push_back(m.East().value());
  }
  ASSERT_EQ(north.size(), 5u);
  ASSERT_LT(east[3], -9.9);  // sin(-30°) × 20 on an odd run
  process.Wind();
  EXPECT_NEAR(probe.MeanHead().value(), (5.0 - 6.0 - 2.0 + north[3] + north[4]) / 5.0, 1e-12);
  EXPECT_LT(probe.MeanHead().value(), 0.0);
  EXPECT_EQ(probe.MaxHead().value(), 6.0);
  EXPECT_NEAR(probe.MeanCross().value(), (east[3] + east[4]) / 5.0, 1e-12);
  EXPECT_EQ(probe.MaxCross().value(), -east[3]);
}

TEST_F(cProcessTest, WindWithoutIncludedSamplesIsDivisionByZero) {
  EXPECT_EQ(ErrorOf([&] { process.Wind(); }), 11);
  cProcess other;
  cProcessProbe p(other);
  p.runData().Add(20.0, 25.0, 0.0, 0);
  EXPECT_EQ(ErrorOf([&] { other.Wind(); }), 11);
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

// The head of the report with the worked coefficients, wind statistics of
// 1, -2, 3 and 4 mph, and the stand-in sections after it.
const char* const kWorkedReport =
    "SAE 2263 Data Analysis\r\n"
    "Amech: 26.98\r\n"
    "Bmech: 0.4437\r\n"
    "Cmech: 0.009911 ^ 2\r\n"
    "\r\n"
    "Caero: 0.008710 N/MPH ^ 2\r\n"
    "Ctotl: 0.018621 N/MPH ^ 2\r\n"
    "\r\n"
    "Area:  22.5ft ^2 \r\n"
    "Cd:    0.159\r\n"
    "\r\n"
    "Report Generated on <date>\r\n"
    "Program Version 1.0.2\r\n"
    "\r\n"
    "Area:                   22.5 \r\n"
    "Inertia Weight:         3500 \r\n"
    "\r\n"
    "Pressure:               29.92 \r\n"
    "Temperature:            68 \r\n"
    "\r\n"
    "Test Range\r\n"
    "From 15 to 70\r\n"
    "\r\n"
    "Average Wind\r\n"
    "Head: 1.00 Cross: -2.00\r\n"
    "Max Wind\r\n"
    "Head: 3.00 Cross: 4.00\r\n"
    "\r\n"
    "Mechanical terms corrected to standard temperature of  20 C\r\n"
    "Aero terms corrected to standard pressure of  98.21 kPa\r\n"
    "\r\n"
    "\r\n"
    "CALIBRATION COEFFICIENTS\r\n"
    "\r\n"
    "SOLVER INFORMATION\r\n";

class ReportTest : public cProcessTest {
 protected:
  void SetUp() override {
    cProcessTest::SetUp();
    probe.SetWrapper(&run);
    probe.SetFactors(1.0, PressureCorrection(20.0, 29.92 * 3.3865, 1.0));
    const double mph = 0.44704;
    probe.SetWind(1.0 * mph, -2.0 * mph, 3.0 * mph, 4.0 * mph);
    probe.SetCalibrator(std::make_unique<StandInCalibrator>());
    probe.SetSolver(std::make_unique<StandInSolver>());
  }
  std::string Write() { return probe.WriteReport(sol, 22.5 * 0.0929, process.GasLaw(20.0, 98.21)); }
  std::string Report() const { return ReadFile(folder / "VB6Output.txt"); }

  BoundedArray<Real> sol = WorkedCoefficients();
};

TEST_F(ReportTest, HeadThenCalibrationThenSolverSection) {
  EXPECT_EQ(Write(), folder / "VB6Output.txt");
  const std::string report = Report();
  EXPECT_EQ(ReportWithoutDate(report), kWorkedReport);
  EXPECT_FALSE(process.ReportSaveFailed());
  // "Report Generated on Dec 5 2026 at 3:49:19 PM"
  const std::size_t at = report.find("Report Generated on ");
  const std::string line = report.substr(at, report.find("\r\n", at) - at);
  EXPECT_NE(line.find(" at "), std::string::npos);
  EXPECT_TRUE(line.ends_with(" AM") || line.ends_with(" PM")) << line;
}

TEST_F(ReportTest, SecondReportReplacesTheFirst) {
  WriteFile(folder / "VB6Output.txt", std::string(5000, 'x'));
  Write();
  Write();
  EXPECT_EQ(ReportWithoutDate(Report()), kWorkedReport);
}

TEST_F(ReportTest, ConditionsAreEchoedAsTyped) {
  run.Barometer = " 29.92";
  run.Temperature = "20.0e0";
  run.MinSpeed = "abc";
  run.CorrectMass = true;
  run.CalculateWindSpeed = false;
  run.CorrectPressure = false;
  Write();
  const std::string report = Report();
  EXPECT_NE(report.find("\r\nPressure:                29.92 \r\n"), std::string::npos);
  EXPECT_NE(report.find("\r\nTemperature:            20.0e0 \r\n"), std::string::npos);
  EXPECT_NE(report.find("\r\nFrom abc to 70\r\n"), std::string::npos);
  EXPECT_EQ(report.find("Wind"), std::string::npos);
  EXPECT_EQ(report.find("Aero terms corrected"), std::string::npos);
  EXPECT_NE(report.find("\r\nFrom abc to 70\r\n\r\n"
                        "Mechanical terms corrected to standard temperature of  20 C\r\n"
                        "Mechanical terms corrected to weight of 3500 \r\n\r\n\r\nCALIBRATION"),
            std::string::npos)
      << report;
}

TEST(ReportFailureTest, ShowsTheMessageAndKeepsWhatWasWritten) {
  const std::string head = kWorkedReport;
  const struct {
    const char* name;
    std::function<void(const ScratchDir&, SAEAppWrapper&, cProcessProbe&, BoundedArray<Real>&)> arrange;
    std::string kept;  // the report file afterwards; "" when there is none
  } cases[] = {
      {"missing folder",
       [](const ScratchDir& dir, SAEAppWrapper& run, cProcessProbe&, BoundedArray<Real>&) {
         run.FileLocation = dir / "missing";
       },
       ""},
      {"report name taken by a folder",
       [](const ScratchDir& dir, SAEAppWrapper&, cProcessProbe&, BoundedArray<Real>&) {
         std::filesystem::create_directory(dir / "VB6Output.txt");
       },
       ""},
      {"coefficients cut short",
       [](const ScratchDir&, SAEAppWrapper&, cProcessProbe&, BoundedArray<Real>& sol) { sol.ReDimPreserve(1, 2); },
       "SAE 2263 Data Analysis\r\n"},
      {"solver section refused",
       [](const ScratchDir&, SAEAppWrapper&, cProcessProbe& p, BoundedArray<Real>&) {
         p.SetSolver(std::make_unique<StandInSolver>(true));
       },
       head.substr(0, head.rfind("SOLVER INFORMATION"))},
  };
  for (const auto& c : cases) {
    ScratchDir dir;
    SAEAppWrapper run;
    SetUpRun(run, dir.path());
    cProcess process;
    cProcessProbe p(process);
    p.SetWrapper(&run);
    p.SetFactors(1.0, PressureCorrection(20.0, 29.92 * 3.3865, 1.0));
    p.SetWind(0.44704, -2 * 0.44704, 3 * 0.44704, 4 * 0.44704);
    p.SetCalibrator(std::make_unique<StandInCalibrator>());
    p.SetSolver(std::make_unique<StandInSolver>());
    BoundedArray<Real> sol = WorkedCoefficients();
    c.arrange(dir, run, p, sol);

    ::testing::internal::CaptureStderr();
    const std::string path = p.WriteReport(sol, 22.5 * 0.0929, process.GasLaw(20.0, 98.21));
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "coastdown: Unable to save results.\n") << c.name;
    EXPECT_EQ(path, "") << c.name;
    EXPECT_TRUE(process.ReportSaveFailed()) << c.name;
    const std::string report = dir / "VB6Output.txt";
    if (c.kept.empty()) {
      EXPECT_FALSE(std::filesystem::is_regular_file(report)) << c.name;
    } else {
      EXPECT_EQ(ReportWithoutDate(ReadFile(report)), c.kept) << c.name;
    }
  }
}

TEST_F(cProcessTest, ZeroTakesTheMeanYawOfTheZeroRuns) {
  probe.SetWrapper(&run);
  // Two zero runs of 3 s with constant yaw 1.5 and 2.5 degrees: 2 samples each.
  std::string one;
  std::string two;
  for (int i = 0; i < 16; ++i) {
    one += "50,50,1.5\r\n";
    two += "50,50,2.5\r\n";
  }
  WriteFile(folder / "ZERO.1", one);
  WriteFile(folder / "ZERO.2", two);
  EXPECT_EQ(process.Zero().value(), 2.0);
  EXPECT_EQ(probe.MessageLog(), "\r\nZero files loaded");
}

TEST_F(cProcessTest, ZeroAbsorbsEveryErrorAndGivesNoOffset) {
  // No ZERO.1: an empty set whose average divides 0 by 0, after the log line.
  probe.SetWrapper(&run);
  EXPECT_EQ(process.Zero().value(), 0.0);
  EXPECT_EQ(probe.MessageLog(), "\r\nZero files loaded");
  // A missing folder fails the load itself, before the log line.
  cProcess missing;
  cProcessProbe m(missing);
  run.FileLocation = folder / "missing";
  m.SetWrapper(&run);
  EXPECT_EQ(missing.Zero().value(), 0.0);
  EXPECT_EQ(m.MessageLog(), "");
  // A run file cut short inside a record.
  run.FileLocation = folder.path();
  WriteFile(folder / "ZERO.1", "50,50,1.5\r\n50,50\r\n");
  cProcess cut;
  cProcessProbe c(cut);
  c.SetWrapper(&run);
  EXPECT_EQ(cut.Zero().value(), 0.0);
  EXPECT_EQ(c.MessageLog(), "");
  // Outside a run there is no folder to read.
  EXPECT_EQ(cProcess().Zero().value(), 0.0);
}

// Sixteen records: two one-second samples.
std::string RunFile(double yaw) {
  std::string text;
  for (int i = 0; i < 16; ++i) text += "60," + std::to_string(55 + i) + "," + std::to_string(yaw) + "\n";
  return text;
}

TEST_F(cProcessTest, DataLoadEndsSilentlyKeepingWhatWasRead) {
  probe.SetWrapper(&run);
  auto* calibrator = new StandInCalibrator;
  calibrator->yawShift = 10.0;
  probe.SetCalibrator(std::unique_ptr<CCalibrator>(calibrator));
  probe.SetYawOffset(1.0);
  WriteFile(folder / "DATA.1", RunFile(3.0));
  WriteFile(folder / "DATA.2", RunFile(3.0) + "60,55\n");
  WriteFile(folder / "DATA.3", RunFile(3.0));
  probe.LoadDataSet();
  // DATA.1 went through the offset and the calibrator; DATA.2 ended the load.
  ASSERT_EQ(probe.runData().Count(), 2);
  EXPECT_EQ(probe.runData()[1].dAngle.value(), 12.0);
  EXPECT_EQ(probe.MessageLog(), "");

  std::filesystem::remove(folder / "DATA.2");
  probe.LoadDataSet();  // a new collection: DATA.1 only, the set ends at the gap
  EXPECT_EQ(probe.runData().Count(), 2);
  EXPECT_EQ(probe.MessageLog(), "\r\nData files loaded");
}

TEST_F(cProcessTest, CalibrationLoadErrorsEndTheRun) {
  probe.SetWrapper(&run);
  auto* calibrator = new StandInCalibrator;
  probe.SetCalibrator(std::unique_ptr<CCalibrator>(calibrator));
  WriteFile(folder / "CAL.1", RunFile(0.0));
  WriteFile(folder / "CAL.2", RunFile(0.0));
  probe.LoadCalibrationSet();
  EXPECT_EQ(calibrator->calibrated, 1);
  EXPECT_EQ(calibrator->calibratedCount, 4);
  EXPECT_EQ(probe.calData().totalRun.value(), 2);
  EXPECT_EQ(probe.MessageLog(), "\r\nCalibration files loaded\r\nCalibration complete");

  run.FileLocation = folder / "missing";
  EXPECT_EQ(ErrorOf([&] { probe.LoadCalibrationSet(); }), 76);
  EXPECT_EQ(probe.calData().Count(), 0);
  EXPECT_EQ(calibrator->calibrated, 1);
}

}  // namespace
