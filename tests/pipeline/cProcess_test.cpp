// The pipeline steps that a run from the command line cannot reach or does
// not show: temperature letters other than F, the result lines of a 30 °C
// test, wind statistics of both signs, the report switches the command line
// never changes, and a failed report. The whole report is checked end to end.
#include "pipeline/cProcess.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "app/CommandLine.h"
#include "app/SAEAppWrapper.h"
#include "calibration/CVelkCal.h"
#include "common/UnitFactors.h"
#include "pipeline/Corrections.h"
#include "solvers/CMLRSolve.h"
#include "tests/TestSupport.h"

// Reaches the fields and private steps of one cProcess.
class cProcessProbe {
 public:
  // A run of the worked test in `folder`, fitted with the worked coefficients.
  cProcessProbe(cProcess& process, SAEAppWrapper& run, const std::string& folder, Real mech = 1.0, Real aero = 1.0)
      : p_(process) {
    run.SetParams(SplitCommandLine(folder + ",False,False,15,70,3500,68,29.92,22.5,"));
    p_.wrapper = &run;
    p_.MechFactor = mech;
    p_.AeroFactor = aero;
    p_.calibrator = std::make_unique<CVelkCal>();
    p_.solver = std::make_unique<CMLRSolve>();
    const double worked[] = {120.0, 4.415, 0.2206, 0.2};
    for (long i = 1; i <= 4; ++i) sol(i) = worked[i - 1];
  }
  Real ToCelsius(Real t) { return p_.ToCelsius(t); }
  CDataCol& runData() { return p_.runData; }
  std::string WriteReport() { return p_.WriteReport(sol, 22.5 * 0.0929, 1.2); }

  BoundedArray<Real> sol{1, 8};

 private:
  cProcess& p_;
};

namespace {

using testsupport::ErrorOf;
using testsupport::ReadFile;
using testsupport::ScratchDir;

struct cProcessTest : ::testing::Test {
  ScratchDir folder;
  SAEAppWrapper run;
  cProcess process;
  cProcessProbe probe{process, run, folder.path()};
};

TEST_F(cProcessTest, TemperatureLettersAreCaseSensitive) {
  const struct {
    const char* code;
    double t, celsius;
  } cases[] = {{"C", 21.5, 21.5}, {"F", -40, -40}, {"K", 293.15, 20}, {"R", 527.67, 20}, {"f", 68, 0}, {"", 68, 0}};
  for (const auto& c : cases) {
    UnitFactors().TemperatureCode = c.code;
    EXPECT_NEAR(probe.ToCelsius(c.t).value(), c.celsius, 1e-12) << c.code;
  }
  UnitFactors().TemperatureCode = "F";
}

TEST_F(cProcessTest, ResultLinesOfA30DegreeTest) {
  cProcessProbe at30(process, run, folder.path(), TemperatureCorrection(30.0, 1.0),
                     PressureCorrection(30.0, 101.32408, 1.0));
  EXPECT_EQ(process.MechDragCo(at30.sol, 2, 4), "Amech: 29.16\r\nBmech: 0.4797\r\nCmech: 0.010714 ^ 2\r\n");
  EXPECT_EQ(process.AeroResults(at30.sol, 2, 4, 22.5 * 0.0929, process.GasLaw(20.0, 98.21)),
            "Caero: 0.009007 N/MPH ^ 2\r\nCtotl: 0.019721 N/MPH ^ 2\r\n\r\nArea:  22.5ft ^2 \r\nCd:    0.164\r\n");
  EXPECT_EQ(run.cAero + "|" + run.cTotal + "|" + run.CD, " .00900691441457721| .0197211006816828| .164356306203966");
  // A fault keeps the results formed before it.
  run.CD = "kept";
  EXPECT_EQ(ErrorOf([&] { process.AeroResults(at30.sol, 2, 4, 2.09025, 0.0); }), 11);
  EXPECT_EQ(run.cAero + "|" + run.cTotal + "|" + run.CD, " .00900691441457721| .0197211006816828|kept");
}

TEST_F(cProcessTest, WindStatisticsAndTheWeightLineInTheReport) {
  probe.runData().Add(20.0, 25.0, 0.0, 1);    // head +5
  probe.runData().Add(20.0, 26.0, 0.0, 2);    // head -6
  probe.runData().Add(0.0, 100.0, 30.0, 0);   // excluded
  probe.runData().Add(20.0, 20.0, -30.0, 1);  // head about -2.68, cross about -10
  process.Wind();
  // Switches that the command line never changes.
  run.CorrectMass = true;
  run.CorrectPressure = false;
  EXPECT_EQ(probe.WriteReport(), folder / "VB6Output.txt");
  const std::string report = ReadFile(folder / "VB6Output.txt");
  const std::size_t from = report.find("Average Wind");
  EXPECT_EQ(report.substr(from, report.find("CALIBRATION COEFFICIENTS") - from),
            "Average Wind\r\nHead: -2.74 Cross: -7.46\r\nMax Wind\r\nHead: 13.42 Cross: 22.37\r\n\r\n"
            "Mechanical terms corrected to standard temperature of  20 C\r\n"
            "Mechanical terms corrected to weight of 3500 \r\n\r\n\r\n");
}

TEST_F(cProcessTest, ReportFailureKeepsWhatWasWritten) {
  probe.sol.ReDimPreserve(1, 2);
  ::testing::internal::CaptureStderr();
  EXPECT_EQ(probe.WriteReport(), "");
  EXPECT_EQ(::testing::internal::GetCapturedStderr(), "coastdown: Unable to save results.\n");
  EXPECT_TRUE(process.ReportSaveFailed());
  EXPECT_EQ(ReadFile(folder / "VB6Output.txt"), "SAE 2263 Data Analysis\r\n");
}

}  // namespace
