// The whole analysis as a user runs it: the coastdown program on test
// folders written here, each report compared whole (its date masked), and
// folders that a typing slip, a broken logger or an odd name leave behind,
// each with its exit status and error line, in bounded memory, with no run
// file that holds data changed.
//
// The DATA runs are built so that the road-load model fits them exactly:
// every run slows down at a constant rate, and in each second the relative
// wind is the one at which the model's force equals the force of that
// deceleration. Recovering the worked road load (m0 120 N, m1 4.415,
// m2 0.2206, a0 0.2 at 68 °F, 29.92 inHg and 22.5 ft²) gives its report.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <charconv>
#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "common/Version.h"
#include "tests/TestSupport.h"

namespace {

using testsupport::ReadFile;
using testsupport::ScratchDir;
using testsupport::WriteFile;

constexpr double kMph = 0.44704;                    // m/s per mph
constexpr double kMass = 3500.0 * 4.448 / 9.80665;  // weight / g of a 3500 lb test
constexpr double kK3 = (0.9822 - 1.0) * 0.00053;    // k3 of the reference calibration

// The worked road load, with a small yaw dependence; its mechanical force,
// and its aerodynamic force per (m/s)² of relative wind.
using testsupport::RoadLoad;
constexpr RoadLoad kWorkedRoadLoad{120.0, 4.415, 0.2206, 0.2, 0.0015, 0.0004, -0.00002, 0.000003};
double Mech(const RoadLoad& c, double V) { return testsupport::ModelForce(c, V, 0.0, 0.0); }
double Aero(const RoadLoad& c, double Y) { return testsupport::ModelForce(c, 0.0, 1.0, Y) - c[0]; }

// A DATA run from v0 mph losing dec mph a second; {V m/s, Vr m/s, Y degrees} of each second.
struct Coast {
  double v0, dec;
  std::vector<std::array<double, 3>> seconds;
};

// Six runs in alternate directions; with an outlier, a seventh of one second
// at 49 mph with 60 % more force than the model, for the filter to find.
std::vector<Coast> DesignCoasts(const RoadLoad& c, bool withOutlier) {
  const double yaws[] = {2.0, -3.0, 4.0, -1.5, 5.0, -4.5};
  std::vector<Coast> coasts;
  for (int r = 1; r <= 6; ++r) {
    // The deceleration at which the middle second meets a 3 m/s head wind.
    Coast coast{77.0 - 7.0 * r, 0.0, {}};
    const double vMid = (coast.v0 - 3.6) * kMph, vrMid = vMid + (r % 2 == 1 ? 3.0 : -3.0);
    coast.dec = (Mech(c, vMid) + vrMid * vrMid * Aero(c, yaws[r - 1])) / kMass / kMph;
    for (int i = 1; i <= 7; ++i) {
      const double V = (coast.v0 - coast.dec * i) * kMph, Y = yaws[r - 1] + 0.8 * (i % 3 - 1);
      coast.seconds.push_back({V, std::sqrt((kMass * coast.dec * kMph - Mech(c, V)) / Aero(c, Y)), Y});
    }
    coasts.push_back(coast);
  }
  const double V = 49.0 * kMph, Vr = V + 1.0, dec = 1.6 * (Mech(c, V) + Vr * Vr * Aero(c, 1.0)) / kMass / kMph;
  if (withOutlier) coasts.push_back({49.0 + dec, dec, {{V, Vr, 1.0}}});
  return coasts;
}

std::string Number(double value) {
  char text[32];
  return std::string(text, std::to_chars(text, text + sizeof text, value).ptr);
}

// The run files base.1, base.2, … of the coasts: five records a second from
// time 0; second i is reduced from records 5i - 1 to 5i + 3, which carry its
// wind and yaw, shifted by `yawShift` or turned into readings that the
// reference calibration turns back.
void WriteRuns(const std::string& base, const std::vector<Coast>& coasts, double yawShift = 0.0,
               bool uncalibrated = false) {
  for (std::size_t r = 0; r < coasts.size(); ++r) {
    const Coast& c = coasts[r];
    const int G = static_cast<int>(c.seconds.size());
    std::string text;
    for (int p = 1; p <= 5 * G + 6; ++p) {
      auto [V, Vr, Y] = c.seconds[std::clamp((p + 1) / 5, 1, G) - 1];
      if (uncalibrated) {
        Vr = Vr / ((1.0 - kK3 * Y * Y) * 0.982) - 0.134112;
        Y = Y * std::pow(0.9822, 1.5) - 0.164;
      }
      text += Number(c.v0 - c.dec * (p - 1) / 5.0) + "," + Number(Vr / kMph) + "," + Number(Y + yawShift) + "\r\n";
    }
    WriteFile(base + "." + std::to_string(r + 1), text);
  }
}

const std::string kWorkedReport =
    "SAE 2263 Data Analysis\r\nAmech: 26.98\r\nBmech: 0.4437\r\nCmech: 0.009911 ^ 2\r\n\r\n"
    "Caero: 0.008710 N/MPH ^ 2\r\nCtotl: 0.018621 N/MPH ^ 2\r\n\r\nArea:  22.5ft ^2 \r\nCd:    0.159\r\n\r\n"
    "Report Generated on <date>\r\nProgram Version " + std::string(kProgramVersionText) + "\r\n\r\n"
    "Area:                   22.5 \r\nInertia Weight:         3500 \r\n\r\n"
    "Pressure:                29.92 \r\nTemperature:            68 \r\n\r\nTest Range\r\nFrom 15 to 70\r\n\r\n"
    "Average Wind\r\nHead: 8.29 Cross: 2.56\r\nMax Wind\r\nHead: 19.82 Cross: 4.89\r\n\r\n"
    "Mechanical terms corrected to standard temperature of  20 C\r\n"
    "Aero terms corrected to standard pressure of  98.21 kPa\r\n\r\n\r\n"
    "CALIBRATION COEFFICIENTS\r\nVelk Calibrator\r\n\r\nKa =  1 \r\nk3 = 0.000000\r\nK4 =  0 \r\n\r\n"
    "Ky = 1.000000\r\nYaw Offset = 0.000000\r\n\r\n"
    "SOLVER INFORMATION\r\nRegression Solver\r\n\r\n 3 term mechanical model\r\n 5 term aerodynamic model\r\n\r\n";

std::string Replaced(std::string text, const std::string& from, const std::string& to) {
  return text.replace(text.find(from), from.size(), to);
}

class RunProcessTest : public ::testing::Test {
 protected:
  // Runs the analysis of the folder and returns its report, the date line masked.
  std::string Analyse(const std::string& switches, const std::string& cd = "") {
    const auto result =
        testsupport::Run(COASTDOWN_EXE, {dir.path() + "," + switches + ",15,70,3500,68, 29.92,22.5," + cd});
    EXPECT_EQ(result.status, 0) << result.err;
    return testsupport::MaskedDate(ReadFile(dir / "VB6Output.txt"));
  }

  ScratchDir dir;
};

TEST_F(RunProcessTest, ReportOfTheWorkedRoadLoad) {
  WriteRuns(dir / "DATA", DesignCoasts(kWorkedRoadLoad, true));
  EXPECT_EQ(Analyse("False,False"), kWorkedReport);
  // A second run replaces the report instead of adding to it.
  EXPECT_EQ(Analyse("False,False"), kWorkedReport);
}

TEST_F(RunProcessTest, ZeroRunsGiveTheYawOffset) {
  // Readings 1.5 degrees off; the zero runs hold steady at that yaw.
  WriteRuns(dir / "DATA", DesignCoasts(kWorkedRoadLoad, true), 1.5);
  WriteRuns(dir / "ZERO", {{50, 0, {{0, 22, 1.5}, {0, 22, 1.5}}}, {50, 0, {{0, 22, 1.5}}}});
  EXPECT_EQ(Analyse("False,True"), kWorkedReport);
  EXPECT_NE(Analyse("False,False"), kWorkedReport);
  // Asked for but missing: no offset, and readings without one fit again.
  std::filesystem::remove(dir / "ZERO.1");
  WriteRuns(dir / "DATA", DesignCoasts(kWorkedRoadLoad, true));
  EXPECT_EQ(Analyse("False,True"), kWorkedReport);
}

TEST_F(RunProcessTest, CalibratedAnemometerReadingsGiveTheSameFit) {
  // The reference calibration: 20 m/s, relative wind 23 and 17.5 m/s at
  // yaw 2 and -3 degrees, two samples each.
  WriteRuns(dir / "CAL",
            {{20 / kMph, 0, {{20, 23, 2}, {20, 23, 2}}}, {20 / kMph, 0, {{20, 17.5, -3}, {20, 17.5, -3}}}});
  WriteRuns(dir / "DATA", DesignCoasts(kWorkedRoadLoad, true), 0.0, true);
  EXPECT_EQ(Analyse("True,False"),
            Replaced(kWorkedReport,
                     "Ka =  1 \r\nk3 = 0.000000\r\nK4 =  0 \r\n\r\nKy = 1.000000\r\nYaw Offset = 0.000000",
                     "Ka =  .982 \r\nk3 = -0.000009\r\nK4 =  .134112 \r\n\r\nKy = 1.027307\r\nYaw Offset = -0.164000"));
}

TEST_F(RunProcessTest, ConstrainedFitHoldsTheDragArea) {
  // a0 is the drag area ½·ρ·Cd·A of Cd 0.159 at the test density and 2.09025 m².
  RoadLoad model = kWorkedRoadLoad;
  model[3] = 22.5 * 0.0929 * 0.159 * ((29.92 * 3.3865 * 1000.0 * 28.964) / ((20.0 + 273.15) * 8314.4)) * 0.5;
  // No outlier: the constrained filter's residuals include CdAp·Vr², and
  // these runs stay within three deviations.
  WriteRuns(dir / "DATA", DesignCoasts(model, false));
  EXPECT_EQ(Analyse("False,False", "0.159"),
            Replaced(Replaced(Replaced(kWorkedReport, "0.008710", "0.008713"), "0.018621", "0.018625"), "Regression",
                     "Constrained"));
}

// A hot day's corrections, and a fault in the result lines (no area to
// divide by) that leaves the report as far as it was written.
TEST_F(RunProcessTest, AHotDayAndAReportCutShortByAFault) {
  WriteRuns(dir / "DATA", DesignCoasts(kWorkedRoadLoad, true));
  const auto run = [&](const std::string& temperature, const std::string& area) {
    return testsupport::Run(COASTDOWN_EXE,
                            {dir.path() + ",False,False,15,70,3500," + temperature + ",29.92," + area + ","});
  };
  // 86 °F is 30 °C: the mechanical terms grow by 8.1 %, the aerodynamic
  // ones by the ratio of the densities.
  EXPECT_EQ(run("86", "22.5").status, 0);
  EXPECT_NE(ReadFile(dir / "VB6Output.txt")
                .find("Amech: 29.16\r\nBmech: 0.4797\r\nCmech: 0.010714 ^ 2\r\n\r\nCaero: 0.009007 N/MPH ^ 2\r\n"
                      "Ctotl: 0.019721 N/MPH ^ 2\r\n\r\nArea:  22.5ft ^2 \r\nCd:    0.164\r\n"),
            std::string::npos);
  const testsupport::ProcessResult cut = run("68", "0");
  EXPECT_EQ(cut.status, 2);
  EXPECT_EQ(testsupport::WithoutWarnings(cut.err), "coastdown: Unable to save results.\n");
  EXPECT_EQ(ReadFile(dir / "VB6Output.txt"),
            "SAE 2263 Data Analysis\r\nAmech: 26.98\r\nBmech: 0.4437\r\nCmech: 0.009911 ^ 2\r\n\r\n");
}

// The regular files of a folder but the report, with size and time of last
// change; nothing is read, so the test process stays small (the program it
// starts is charged for the pages it begins life with).
std::map<std::string, std::pair<std::uintmax_t, std::filesystem::file_time_type>> Snapshot(const std::string& folder) {
  std::map<std::string, std::pair<std::uintmax_t, std::filesystem::file_time_type>> files;
  for (const auto& f : std::filesystem::directory_iterator(folder)) {
    if (f.is_regular_file() && f.path().filename() != "VB6Output.txt") {
      files[f.path().filename()] = {f.file_size(), f.last_write_time()};
    }
  }
  return files;
}

TEST(BadFoldersTest, EachGivesItsStatusAndErrorLine) {
  namespace fs = std::filesystem;
  using Arrange = std::function<void(const std::string&)>;
  const Arrange none = [](const std::string&) {};
  const auto folder = [](const std::string& name) -> Arrange {
    return [name](const std::string& f) { fs::remove(f + "/" + name); fs::create_directories(f + "/" + name); };
  };
  const char* const mismatch = "coastdown: run-time error 13: Type mismatch (";
  const char* const noData = "coastdown: run-time error 9: Subscript out of range";
  const struct {
    const char* name;
    const char* arguments;  // @ stands for the test folder
    Arrange arrange;
    int status;
    const char* err;  // the start of standard error
    bool loaded;      // the data load reached the empty DATA.7, which it deletes
  } cases[] = {
      {"temperature not a number", "@,False,False,15,70,3500,warm,29.92,22.5,", none, 1, mismatch, false},
      {"weight not a number", "@,False,False,15,70,heavy,68,29.92,22.5,", none, 1, mismatch, true},
      {"drag coefficient not a number", "@,False,False,15,70,3500,68,29.92,22.5,x", none, 1, mismatch, true},
      {"speed window not numbers", "@,False,False,low,high,3500,68,29.92,22.5,", none, 0, "", true},
      {"zero drag coefficient", "@,False,False,15,70,3500,68,29.92,22.5,0", none, 1,
       "Constrained Solver: Error: Illegal CdAp\ncoastdown: run-time error 9: Subscript out of range", true},
      {"missing folder, calibration off", "@/missing,False,True,15,70,3500,68,29.92,22.5,", none, 1, noData, false},
      {"a single calibration run", "@,True,False,15,70,3500,68,29.92,22.5,",
       [](const std::string& f) { WriteRuns(f + "/CAL", {{40, 0, {{0, 19, 1}, {0, 19, 1}}}}); }, 1,
       "coastdown: run-time error 5: Invalid procedure call or argument (calibration needs at least one pair", false},
      {"report name taken by a folder", "@,False,False,15,70,3500,68,29.92,22.5,", folder("VB6Output.txt"), 2,
       "coastdown: Unable to save results.\n", true},
      {"22 MB of garbage leave nothing to fit", "@,False,False,15,70,3500,68,29.92,22.5,",
       [](const std::string& f) { WriteFile(f + "/DATA.1", std::string(22 << 20, 'x')); }, 1, noData, false},
      {"a comma splits the folder name", "\"@/run,b\",False,False,15,70,3500,68,29.92,22.5,", none, 1, mismatch,
       false},
      {"a folder path through a regular file", "@/DATA.1/x,True,False,15,70,3500,68,29.92,22.5,", none, 1,
       "coastdown: run-time error 76: Path not found (", false},
      // A link back to the test folder, named with blanks.
      {"blanks stay part of the folder name", "\"@/ A b\",False,False,15,70,3500,68,29.92,22.5,",
       [](const std::string& f) { fs::create_directory_symlink(f, f + "/ A b"); }, 0, "", true},
  };
  for (const auto& c : cases) {
    ScratchDir dir;
    WriteRuns(dir / "DATA", DesignCoasts(kWorkedRoadLoad, false));
    WriteFile(dir / "DATA.7", "");
    c.arrange(dir.path());
    auto files = Snapshot(dir.path());
    if (c.loaded) files.erase("DATA.7");
    std::string arguments = c.arguments;
    const auto result = testsupport::Run(COASTDOWN_EXE, {arguments.replace(arguments.find('@'), 1, dir.path())});
    SCOPED_TRACE(std::string(c.name) + ": " + result.err);
    EXPECT_EQ(result.status, c.status);
    const std::string err = testsupport::WithoutWarnings(result.err);
    EXPECT_TRUE(err.starts_with(c.err));
    // One line for the error, and one for a message box shown before it.
    EXPECT_EQ(std::ranges::count(err, '\n'), std::ranges::count(std::string(c.err), '\n') + (c.status == 1));
    EXPECT_EQ(Snapshot(dir.path()), files);
    EXPECT_FALSE(c.status != 0 && fs::is_regular_file(dir / "VB6Output.txt"));
#if !defined(__SANITIZE_ADDRESS__)
    EXPECT_LT(result.maxResidentKb, 12 * 1024) << "run files are read in blocks, not whole";
#endif
  }
}

}  // namespace
