// The whole analysis as a user runs it: the coastdown program on test
// folders written here, the report compared whole (its date line masked).
//
// The DATA runs are built so that the road-load model fits them exactly:
// every run slows down at a constant rate, and in each second the relative
// wind is the one at which the model's force equals the force of that
// deceleration. A fit that recovers the generating coefficients reproduces
// the report of the worked example (m0 120 N, m1 4.415 N/(m/s),
// m2 0.2206 N/(m/s)², a0 0.2 N/(m/s)² at 68 °F, 29.92 inHg and 22.5 ft²).
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <functional>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "common/NumberText.h"
#include "tests/TestSupport.h"

namespace {

using testsupport::ReadFile;
using testsupport::ScratchDir;
using testsupport::WriteFile;

constexpr double kMph = 0.44704;                         // m/s per mph
constexpr double kMass = 3500.0 * 4.448 / 9.80665;       // weight / g of a 3500 lb test
constexpr double kDegree = 3.141596 / 180.0;             // the analysis' degree-to-radian factor

// Road-load coefficients in SI: three mechanical, five aerodynamic.
struct Model {
  double m[3];
  double a[5];
  double Mech(double V) const { return m[0] + m[1] * V + m[2] * V * V; }
  double Aero(double Y) const { return a[0] + a[1] * Y + a[2] * Y * Y + a[3] * Y * Y * Y + a[4] * Y * Y * Y * Y; }
};

// The worked example's terms with a small yaw dependence added.
constexpr Model kWorked{{120.0, 4.415, 0.2206}, {0.2, 0.0015, 0.0004, -0.00002, 0.000003}};

// One reduced sample as the analysis should see it: m/s, m/s, degrees.
struct Second {
  double V;
  double Vr;
  double Y;
};

// One DATA run: a constant deceleration from v0, and its reduced samples.
struct Coast {
  int run;
  double v0Mph;
  double decMph;  // mph per second
  std::vector<Second> seconds;
  int Direction() const { return run % 2 == 1 ? 1 : -1; }
};

// The anemometer readings the test writes for a designed sample.
struct Readings {
  double yawShift = 0.0;        // added to every yaw: the zero runs' offset
  bool undoCalibration = false;  // readings the worked calibration turns into the design
};

// The coefficients the worked calibration of kCalRuns ends with.
constexpr double kKa = 0.982;
constexpr double kCalYawOffset = -0.164;
const double kKy = 1.0 / std::pow(0.9822, 1.5);
constexpr double kK3 = (0.9822 - 1.0) * 0.00053;
constexpr double kK4 = 0.134112;

std::vector<Coast> DesignCoasts(const Model& model, bool withOutlier) {
  const double yaws[] = {2.0, -3.0, 4.0, -1.5, 5.0, -4.5};
  std::vector<Coast> coasts;
  for (int r = 1; r <= 6; ++r) {
    Coast c{r, 70.0 - 7.0 * (r - 1), 0.0, {}};
    // The deceleration that a 3 m/s head wind on the middle second needs.
    const double vMid = (c.v0Mph - 0.9 * 4) * kMph;
    const double yMid = yaws[r - 1];
    const double vrMid = vMid + 3.0 * c.Direction();
    const double force = model.Mech(vMid) + vrMid * vrMid * model.Aero(yMid);
    c.decMph = force / kMass / kMph;
    const double F = 3500.0 * 4.448 / 9.80665 * (c.decMph * kMph);
    for (int i = 1; i <= 7; ++i) {
      const double V = (c.v0Mph - c.decMph * i) * kMph;
      const double Y = yMid + 0.8 * ((i % 3) - 1);
      const double vr2 = (F - model.Mech(V)) / model.Aero(Y);
      EXPECT_GT(vr2, 0.0);
      c.seconds.push_back({V, std::sqrt(vr2), Y});
    }
    coasts.push_back(c);
  }
  if (withOutlier) {
    // One second at 49 mph with 60 % more force than the model: the
    // filter's to find.
    const Second s{49.0 * kMph, 49.0 * kMph + 1.0, 1.0};
    const double dec = 1.6 * (model.Mech(s.V) + s.Vr * s.Vr * model.Aero(s.Y)) / kMass / kMph;
    coasts.push_back({7, 49.0 + dec, dec, {s}});
  }
  return coasts;
}

std::string Number(double value) {
  char text[40];
  std::snprintf(text, sizeof text, "%.17g", value);
  return text;
}

// Five records a second from time 0; the samples of second i are read from
// records 5i - 1 to 5i + 3, which carry that second's wind and yaw.
std::string RunFileText(const Coast& c, const Readings& readings) {
  const int G = static_cast<int>(c.seconds.size());
  const int N = 5 * (G + 1) + 1;
  std::string text;
  for (int p = 1; p <= N; ++p) {
    const double t = (p - 1) / 5.0;
    const int i = std::min(std::max((p + 1) / 5, 1), G);
    const Second& s = c.seconds[i - 1];
    double vr = s.Vr;
    double yaw = s.Y;
    if (readings.undoCalibration) {
      vr = vr / ((1.0 - kK3 * yaw * yaw) * kKa) - kK4;
      yaw = yaw / kKy + kCalYawOffset;
    }
    yaw += readings.yawShift;
    text += Number(c.v0Mph - c.decMph * t) + "," + Number(vr / kMph) + "," + Number(yaw) + "\r\n";
  }
  return text;
}

void WriteDataRuns(const ScratchDir& dir, const std::vector<Coast>& coasts, const Readings& readings = {}) {
  for (const Coast& c : coasts) WriteFile(dir / ("DATA." + std::to_string(c.run)), RunFileText(c, readings));
}

// Constant records: a steady run.
std::string SteadyRun(int records, double speedMph, double windMph, double yaw) {
  std::string text;
  for (int p = 0; p < records; ++p) text += Number(speedMph) + "," + Number(windMph) + "," + Number(yaw) + "\n";
  return text;
}

// The pair of calibration runs of the worked calibration: 20 m/s, relative
// wind 23 and 17.5 m/s at yaw 2 and -3 degrees, two samples each.
void WriteCalRuns(const ScratchDir& dir) {
  WriteFile(dir / "CAL.1", SteadyRun(16, 20.0 / kMph, 23.0 / kMph, 2.0));
  WriteFile(dir / "CAL.2", SteadyRun(16, 20.0 / kMph, 17.5 / kMph, -3.0));
}

// The wind lines of the report for the samples that stay in the fit.
std::string WindLines(const std::vector<Coast>& coasts, int excludedRun) {
  double meanHead = 0.0;
  double meanCross = 0.0;
  double maxHead = 0.0;
  double maxCross = 0.0;
  int count = 0;
  for (const Coast& c : coasts) {
    if (c.run == excludedRun) continue;
    for (const Second& s : c.seconds) {
      const double north = (std::cos(s.Y * kDegree) * s.Vr - s.V) * c.Direction();
      const double east = std::sin(s.Y * kDegree) * s.Vr * c.Direction();
      meanHead += north;
      meanCross += east;
      maxHead = std::max(maxHead, std::abs(north));
      maxCross = std::max(maxCross, std::abs(east));
      ++count;
    }
  }
  return "Average Wind\r\nHead: " + FormatFixed(meanHead / count / kMph, "0.00") +
         " Cross: " + FormatFixed(meanCross / count / kMph, "0.00") + "\r\nMax Wind\r\nHead: " +
         FormatFixed(maxHead / kMph, "0.00") + " Cross: " + FormatFixed(maxCross / kMph, "0.00") + "\r\n";
}

const char* const kWorkedResults =
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
    "\r\n";

const char* const kUncalibrated =
    "CALIBRATION COEFFICIENTS\r\n"
    "Velk Calibrator\r\n"
    "\r\n"
    "Ka =  1 \r\n"
    "k3 = 0.000000\r\n"
    "K4 =  0 \r\n"
    "\r\n"
    "Ky = 1.000000\r\n"
    "Yaw Offset = 0.000000\r\n"
    "\r\n";

std::string SolverSection(const std::string& name) {
  return "SOLVER INFORMATION\r\n" + name + "\r\n\r\n 3 term mechanical model\r\n 5 term aerodynamic model\r\n\r\n";
}

// The report from line 4 on for the conditions 15 to 70 mph, 3500 lb,
// 68 °F, 22.5 ft² and the pressure field as typed.
std::string Conditions(const std::string& pressure, const std::string& wind) {
  return "Report Generated on <date>\r\n"
         "Program Version 1.0.2\r\n"
         "\r\n"
         "Area:                   22.5 \r\n"
         "Inertia Weight:         3500 \r\n"
         "\r\n"
         "Pressure:               " + pressure + " \r\n"
         "Temperature:            68 \r\n"
         "\r\n"
         "Test Range\r\n"
         "From 15 to 70\r\n"
         "\r\n" + wind + "\r\n"
         "Mechanical terms corrected to standard temperature of  20 C\r\n"
         "Aero terms corrected to standard pressure of  98.21 kPa\r\n"
         "\r\n"
         "\r\n";
}

// "Report Generated on Dec 5 2026 at 3:49:19 PM" becomes "... on <date>".
std::string MaskDate(const std::string& report) {
  const std::size_t at = report.find("Report Generated on ");
  if (at == std::string::npos) return report;
  const std::size_t end = report.find("\r\n", at);
  const std::string line = report.substr(at, end - at);
  if (line.find(" at ") == std::string::npos || !(line.ends_with(" AM") || line.ends_with(" PM"))) return report;
  return report.substr(0, at) + "Report Generated on <date>" + report.substr(end);
}

class RunProcessTest : public ::testing::Test {
 protected:
  testsupport::ProcessResult Analyse(const std::string& fields) {
    return testsupport::Run(COASTDOWN_EXE, {dir.path() + "," + fields});
  }
  std::string Report() const { return MaskDate(ReadFile(dir / "VB6Output.txt")); }

  ScratchDir dir;
};

TEST_F(RunProcessTest, ReportOfTheWorkedExample) {
  const auto coasts = DesignCoasts(kWorked, true);
  WriteDataRuns(dir, coasts);
  // A record cut short in DATA.8 ends the set there, silently.
  WriteFile(dir / "DATA.8", "50,51\r\n");
  const auto result = Analyse("False,False,15,70,3500,68, 29.92,22.5,");
  ASSERT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(result.err + result.out, "");
  const std::string expected = kWorkedResults + Conditions(" 29.92", WindLines(coasts, 7)) + kUncalibrated +
                               SolverSection("Regression Solver");
  EXPECT_EQ(Report(), expected);

  // A second run replaces the report instead of adding to it.
  ASSERT_EQ(Analyse("False,False,15,70,3500,68, 29.92,22.5,").status, 0);
  EXPECT_EQ(Report(), expected);
  EXPECT_EQ(ReadFile(dir / "DATA.8"), "50,51\r\n");
}

TEST_F(RunProcessTest, ZeroRunsGiveTheYawOffset) {
  const auto coasts = DesignCoasts(kWorked, true);
  const std::string expected = kWorkedResults + Conditions("29.92", WindLines(coasts, 7)) + kUncalibrated +
                               SolverSection("Regression Solver");
  // Readings 1.5 degrees off; the zero runs hold steady at that yaw.
  WriteDataRuns(dir, coasts, {.yawShift = 1.5});
  WriteFile(dir / "ZERO.1", SteadyRun(31, 50.0, 50.0, 1.5));
  WriteFile(dir / "ZERO.2", SteadyRun(26, 50.0, 50.0, 1.5));
  ASSERT_EQ(Analyse("False,True,15,70,3500,68,29.92,22.5,").status, 0);
  EXPECT_EQ(Report(), expected);
  // With the switch off the offset stays in the readings and the fit changes.
  ASSERT_EQ(Analyse("False,False,15,70,3500,68,29.92,22.5,").status, 0);
  EXPECT_NE(Report(), expected);
  // Asked for but missing: no offset, and readings without one fit again.
  std::filesystem::remove(dir / "ZERO.1");
  WriteDataRuns(dir, coasts);
  ASSERT_EQ(Analyse("False,True,15,70,3500,68,29.92,22.5,").status, 0);
  EXPECT_EQ(Report(), expected);
}

TEST_F(RunProcessTest, CalibratedAnemometerReadingsGiveTheSameFit) {
  const auto coasts = DesignCoasts(kWorked, true);
  WriteCalRuns(dir);
  WriteDataRuns(dir, coasts, {.undoCalibration = true});
  const auto result = Analyse("True,False,15,70,3500,68,29.92,22.5,");
  ASSERT_EQ(result.status, 0) << result.err;
  const std::string report = Report();
  const std::string head = kWorkedResults + Conditions("29.92", WindLines(coasts, 7));
  EXPECT_EQ(report.substr(0, head.size()), head);
  // The section of the worked calibration, up to the last digits that
  // repeated additions leave in Ka.
  const std::string section = report.substr(head.size());
  ASSERT_TRUE(section.starts_with("CALIBRATION COEFFICIENTS\r\nVelk Calibrator\r\n\r\nKa = ")) << section;
  EXPECT_NEAR(std::stod(section.substr(section.find("Ka = ") + 5)), 0.982, 1e-12);
  EXPECT_EQ(section.substr(section.find("\r\nk3 = ")),
            "\r\nk3 = -0.000009\r\nK4 =  .134112 \r\n\r\nKy = 1.027307\r\nYaw Offset = -0.164000\r\n\r\n" +
                SolverSection("Regression Solver"));
}

TEST_F(RunProcessTest, ConstrainedFitHoldsTheDragArea) {
  // a0 is the drag area ½·ρ·Cd·A of Cd 0.159 at the test density and 2.09025 m².
  Model model = kWorked;
  model.a[0] = 22.5 * 0.0929 * 0.159 * ((29.92 * 3.3865 * 1000.0 * 28.964) / ((20.0 + 273.15) * 8314.4)) * 0.5;
  // No outlier: the constrained filter compares residuals that include
  // CdAp·Vr², and these stay within three deviations for these runs.
  const auto coasts = DesignCoasts(model, false);
  WriteDataRuns(dir, coasts);
  const auto result = Analyse("False,False,15,70,3500,68,29.92,22.5,0.159");
  ASSERT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(result.err, "");
  std::string expected = kWorkedResults;
  expected.replace(expected.find("0.008710"), 8, "0.008713");
  expected.replace(expected.find("0.018621"), 8, "0.018625");
  expected += Conditions("29.92", WindLines(coasts, 0)) + kUncalibrated + SolverSection("Constrained Solver");
  EXPECT_EQ(Report(), expected);
}

// The files of a folder; a failed run must leave every non-empty run file
// as it was.
std::vector<std::pair<std::string, std::string>> Snapshot(const ScratchDir& dir) {
  std::vector<std::pair<std::string, std::string>> files;
  for (const auto& entry : std::filesystem::directory_iterator(dir.path())) {
    if (entry.is_regular_file()) files.emplace_back(entry.path().filename().string(), ReadFile(entry.path().string()));
  }
  std::sort(files.begin(), files.end());
  return files;
}

TEST(BadInputTest, EachCaseWithItsErrorAndStatus) {
  const char* const typeMismatch = "coastdown: run-time error 13: Type mismatch (";
  const auto noArrangement = [](const ScratchDir&) {};
  const struct {
    const char* name;
    const char* fields;  // after the folder
    std::function<void(const ScratchDir&)> arrange;
    int status;
    const char* err;        // the start of standard error
    bool emptyDataDeleted;  // the data load reached the empty DATA.3
    const char* subfolder = "";
  } cases[] = {
      {"temperature not a number", "False,False,15,70,3500,warm,29.92,22.5,", noArrangement, 1, typeMismatch, false},
      {"pressure empty", "False,False,15,70,3500,68,,22.5,", noArrangement, 1, typeMismatch, false},
      {"area not a number", "False,False,15,70,3500,68,29.92,big,", noArrangement, 1, typeMismatch, false},
      {"drag coefficient not a number", "False,False,15,70,3500,68,29.92,22.5,x", noArrangement, 1, typeMismatch,
       true},
      {"weight not a number", "False,False,15,70,heavy,68,29.92,22.5,", noArrangement, 1, typeMismatch, true},
      {"speed window not numbers", "False,False,low,high,3500,68,29.92,22.5,", noArrangement, 0, "", true},
      {"zero drag coefficient", "False,False,15,70,3500,68,29.92,22.5,0", noArrangement, 1,
       "Constrained Solver: Error: Illegal CdAp\ncoastdown: run-time error 9: Subscript out of range", true},
      {"missing folder, calibration on", "True,True,15,70,3500,68,29.92,22.5,", noArrangement, 1,
       "coastdown: run-time error 76: Path not found (", false, "/missing"},
      {"missing folder, calibration off", "False,True,15,70,3500,68,29.92,22.5,", noArrangement, 1,
       "coastdown: run-time error 9: Subscript out of range", false, "/missing"},
      {"a single calibration run", "True,False,15,70,3500,68,29.92,22.5,",
       [](const ScratchDir& d) { WriteFile(d / "CAL.1", SteadyRun(16, 40.0, 42.0, 1.0)); }, 1,
       "coastdown: run-time error 5: Invalid procedure call or argument (", false},
      {"report name taken by a folder", "False,False,15,70,3500,68,29.92,22.5,",
       [](const ScratchDir& d) { std::filesystem::create_directory(d / "VB6Output.txt"); }, 2,
       "coastdown: Unable to save results.\n", true},
  };
  for (const auto& c : cases) {
    ScratchDir folder;
    WriteDataRuns(folder, DesignCoasts(kWorked, false));
    // An empty run file ends the set after DATA.2; a load that reaches it deletes it.
    WriteFile(folder / "DATA.3", "");
    c.arrange(folder);
    auto expectedFiles = Snapshot(folder);
    if (c.emptyDataDeleted) std::erase_if(expectedFiles, [](const auto& f) { return f.first == "DATA.3"; });

    const auto result = testsupport::Run(COASTDOWN_EXE, {folder.path() + c.subfolder + "," + c.fields});
    EXPECT_EQ(result.status, c.status) << c.name;
    EXPECT_TRUE(result.err.starts_with(c.err)) << c.name << ": " << result.err;
    // One line for the error, one more for a message box shown before it.
    EXPECT_EQ(std::count(result.err.begin(), result.err.end(), '\n'),
              std::count(c.err, c.err + std::strlen(c.err), '\n') + (c.status == 1 ? 1 : 0))
        << c.name;
    auto files = Snapshot(folder);
    if (c.status == 0) std::erase_if(files, [](const auto& f) { return f.first == "VB6Output.txt"; });
    EXPECT_EQ(files, expectedFiles) << c.name;
  }
}

}  // namespace
