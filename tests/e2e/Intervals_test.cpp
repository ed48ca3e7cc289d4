// The interval method (--method intervals) as a user runs it: the worked
// example of tests/methods through the program to the numbers its report
// prints, simulated speed-only tests against their truth, a run spoiled on
// purpose, bad input, and the specified analysis beside the method (its
// units under --si are SiUnits_test.cpp's). The statistics over many seeds
// are in the suite CoverageTest (label coverage).
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "tests/TestSupport.h"

namespace {

using ::testing::HasSubstr;
using testsupport::NumberAfter;
using testsupport::ReadFile;
using testsupport::ScratchDir;
using testsupport::SimulatedFolder;
using testsupport::WriteFile;

double JsonNumber(const std::string& json, const std::string& key, std::size_t from = 0) {
  return NumberAfter(json, "\"" + key + "\": ", from);
}

// The line of the report that starts with `start`, or "".
std::string LineStarting(const std::string& report, const std::string& start) {
  std::istringstream lines(report);
  for (std::string line; std::getline(lines, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.rfind(start, 0) == 0) return line;
  }
  return {};
}

// The words of a line, blanks collapsed.
std::string Collapsed(const std::string& line) {
  std::string words;
  for (const std::string& w : testsupport::Words(line)) words += (words.empty() ? "" : " ") + w;
  return words;
}

// The worked example of tests/methods/IntervalWorkedExample_test.cpp as a
// test folder: six runs recorded every 5 s in km/h (--si, --rate 0.2), the
// wind along the track beside them, the mean mass 1480 kg (also the test
// mass, so K1 is not applied), m_r = 44.25 kg, 12 °C and 99 kPa.
struct WorkedFolder {
  WorkedFolder() {
    const std::vector<std::vector<double>> runs = {
        {57.7, 54.2, 50.9, 47.8, 44.8, 41.9, 39.2, 36.6, 34.1, 31.7, 29.3, 27.1, 24.9, 22.8, 20.7, 18.7, 16.7, 14.8},
        {57.4, 54.3, 51.4, 48.5, 45.8, 43.2, 40.7, 38.3, 36.0, 33.7, 31.6, 29.4, 27.4, 25.3, 23.4, 21.5, 19.6, 17.7,
         15.9, 14.1},
        {58.0, 54.5, 51.2, 48.1, 45.2, 42.3, 39.6, 37.0, 34.5, 32.1, 29.8, 27.5, 25.3, 23.2, 21.1, 19.1, 17.2, 15.3,
         13.4},
        {57.7, 54.6, 51.7, 48.9, 46.2, 43.6, 41.1, 38.7, 36.4, 34.1, 32.0, 29.8, 27.8, 25.8, 23.8, 21.9, 20.0, 18.1,
         16.3, 14.5},
        {57.4, 53.9, 50.6, 47.4, 44.4, 41.6, 38.8, 36.2, 33.7, 31.3, 28.9, 26.7, 24.5, 22.3, 20.3, 18.3, 16.3, 14.4},
        {58.0, 54.8, 51.8, 49.0, 46.2, 43.6, 41.1, 38.6, 36.3, 34.0, 31.8, 29.6, 27.5, 25.5, 23.5, 21.6, 19.7, 17.8,
         16.0, 14.2}};
    for (std::size_t r = 0; r < runs.size(); ++r) {
      std::string text;
      for (const double v : runs[r]) text += std::to_string(v) + ",0,0\r\n";
      WriteFile(dir / ("DATA." + std::to_string(r + 1)), text);
    }
    // 1.2, 1.1, 1.0, 1.3, 1.4, 0.9 m/s along the track in km/h, blowing
    // from ahead of the odd runs: a head wind for them, a tail wind for the even ones.
    WriteFile(dir / "wind.csv", "run,speed,from\n1,4.32,0\n2,3.96,0\n3,3.6,0\n4,4.68,0\n5,5.04,0\n6,3.24,0\n");
  }
  testsupport::ProcessResult Analyse(std::vector<std::string> extra = {}) const {
    std::vector<std::string> args = {"--method", "intervals", "--si",         "--rate",       "0.2", "--rotating-mass",
                                     "44.25kg",  "--track-wind", dir / "wind.csv", "--json", dir / "record.json"};
    args.insert(args.end(), extra.begin(), extra.end());
    args.push_back(dir.path() + ",False,False,15,55,1480,12,99,2,");
    return testsupport::Run(COASTDOWN_EXE, args);
  }
  ScratchDir dir;
};

// Every number the report prints, equal to the hand arithmetic of the
// worked example (tests/methods): interval times and pairs to 3 decimals,
// p and the forces, f0, f1, f2 with their half-widths, the corrections,
// and the corrected road load. Without K1 (WEIGHT is the test mass):
//   f0* = (f0 − w1)·(1 + K0·(12 − 20)) = (140.587329 − 0.539153)·0.9312 = 130.4129 N,
// and its half-width from the pairs' own coefficients with w1 = 15.6816·f2
// taken off, (140.671326, 136.648359, 142.824843): sd 3.135040, times 0.9312
// over √3 times t = 4.302653 gives 7.2521 N. f1* and f2* are those of the
// worked example, which K1 does not touch.
TEST(IntervalsEndToEnd, WorkedExampleAsTheReportPrintsIt) {
  const WorkedFolder folder;
  const auto run = folder.Analyse();
  EXPECT_EQ(run.status, 0) << run.err;
  const std::string report = ReadFile(folder.dir / "VB6Output.txt");
  // The interval table, the pairs and the statistics at each reference speed.
  const std::vector<std::pair<std::string, std::string>> rows = {
      {"v, km/h", "v, km/h 20.0 30.0 40.0 50.0"},
      {"DATA.1 ", "DATA.1 + 24.701 21.573 18.533 15.810"}, {"DATA.2 ", "DATA.2 - 26.711 23.616 20.635 17.667"},
      {"DATA.3 ", "DATA.3 + 25.075 21.714 18.655 16.059"}, {"DATA.4 ", "DATA.4 - 26.611 23.957 20.736 17.953"},
      {"DATA.5 ", "DATA.5 + 24.557 21.464 18.400 15.571"}, {"DATA.6 ", "DATA.6 - 26.528 23.424 20.518 17.620"},
      {"DATA.1/2", "DATA.1/2 25.666 22.548 19.528 16.687"},  {"DATA.3/4", "DATA.3/4 25.820 22.780 19.641 16.953"},
      {"DATA.5/6", "DATA.5/6 25.505 22.401 19.402 16.533"},
      //  v   n  dt_p    sigma   h      p     limit met  F       s(F)  fitted
      {"    20.0", "20.0 3 25.663 0.1579 4.300 1.53 3.00 yes 164.98 0.59 165.00"},
      {"    30.0", "30.0 3 22.575 0.1913 4.300 2.10 3.00 yes 187.55 0.92 187.52"},
      {"    40.0", "40.0 3 19.523 0.1196 4.300 1.52 3.00 yes 216.88 0.77 216.91"},
      {"    50.0", "50.0 3 16.722 0.2128 4.300 3.16 3.00 NO 253.19 1.85 253.18"},
      // f0, f1, f2 at test conditions with their 95 % half-widths, t(2) = 4.302653.
      {"f0:  ", "f0: 140.5873 N 95 % interval +- 7.9167"},
      {"f1:  ", "f1: 0.532834 N/(km/h) 95 % interval +- 0.418353"},
      {"f2:  ", "f2: 0.03438127 N/(km/h)^2 95 % interval +- 0.00823040"},
      // w1 = 3.6²·f2·vw² with vw = 1.1 m/s; K0 = 0.0086 per K; K2 = (285.15/293.15)·(100/99).
      {"w1:", "w1: 0.5392 N vw = 1.100 m/s, the lower of the two headings' mean along-track wind"},
      {"K1:", "K1: - not applied: WEIGHT is the test mass and the mean of the weighings alike"},
      {"K0:", "K0: 0.0086 1/K f0 and f1 multiplied by 1 + K0*(T - 20.0 C) = 0.931200"},
      {"K2:", "K2: 0.9825 f2 corrected to 20.0 C and 100.00 kPa"},
      {"f0*:", "f0*: 130.4129 N 95 % interval +- 7.2521"},
      {"f1*:", "f1*: 0.496175 N/(km/h) 95 % interval +- 0.389571"},
      {"f2*:", "f2*: 0.03378082 N/(km/h)^2 95 % interval +- 0.00808666"},
  };
  for (const auto& [start, words] : rows) EXPECT_EQ(Collapsed(LineStarting(report, start)), words);
  EXPECT_THAT(report, HasSubstr("Student's t 4.303 for 2 degrees of freedom"));
  // The result as the regulation rounds it, and that p at 50 km/h keeps it
  // from a type-approval file.
  EXPECT_EQ(LineStarting(report, "f0: 1"), "f0: 130.4 N");
  EXPECT_EQ(LineStarting(report, "f1: 0"), "f1: 0.496 N/(km/h)");
  EXPECT_EQ(LineStarting(report, "f2: 0.0337"), "f2: 0.03378 N/(km/h)^2");
  EXPECT_EQ(Collapsed(LineStarting(report, "Result:")), "Result: NOT VALID for a type-approval file:");
  EXPECT_THAT(report, HasSubstr("  - at the reference speed 50.0 km/h the statistical accuracy p is 3.16 %, above its "
                                "limit of 3.00 %: more pairs are needed\r\n"));
  // The record holds the same numbers and says why the result is not valid.
  const std::string json = ReadFile(folder.dir / "record.json");
  EXPECT_THAT(json, HasSubstr("\"valid\": false"));
  EXPECT_NEAR(JsonNumber(json, "f0_N", json.find("\"corrected\"")), 130.412861, 1e-5);
  // A 0.2 Hz record rate is far below the regulation's 10 Hz: the check says so.
  EXPECT_THAT(run.err, HasSubstr("check failed: record rate of the vehicle speed: 0.2 records a second"));
}

// Folds a brake touch into DATA.3: from where it passes 64 km/h, 0.8 m/s²
// more deceleration for 2 s.
void TouchTheBrake(const std::string& file) {
  std::ifstream in(file);
  std::string text;
  double lost = 0.0;
  int touched = 0;
  for (std::string line; std::getline(in, line);) {
    double mph = std::strtod(line.c_str(), nullptr);
    if ((mph * 1.609344 < 64.0 || touched > 0) && touched < 20) {
      ++touched;
      lost += 0.8 * 0.1 / 0.44704;
    }
    mph -= lost;
    char text1[64];
    std::snprintf(text1, sizeof text1, "%.6f,0.000000,0.000000\r\n", mph);
    text += text1;
  }
  in.close();
  WriteFile(file, text);
}

// The words of the statistics line of a reference speed ("60.0").
std::vector<std::string> SpeedLine(const std::string& report, const std::string& speed) {
  return testsupport::Words(LineStarting(report, std::string(8 - speed.size(), ' ') + speed));
}

// p at a reference speed from the report's statistics line.
double AccuracyAt(const std::string& report, const std::string& speed) {
  const std::vector<std::string> w = SpeedLine(report, speed);
  return w.size() > 5 ? std::strtod(w[5].c_str(), nullptr) : NAN;
}

// A run spoiled on purpose takes its pair with it when the tester rejects
// it, and p reacts to it as the regulation intends: the brake touch makes
// the pair's times at 60 km/h disagree with the others, and p grows.
TEST(IntervalsEndToEnd, SpoiledRunIsRejectedWithItsPair) {
  const SimulatedFolder folder("--scenario speed-only --seed 13 --wind-speed 0 --wind-drift 0 --gust 0");
  const std::vector<std::string> options = {"--method", "intervals", "--rate", "10"};
  ASSERT_EQ(folder.Analyse(options).status, 0);
  const double clean = AccuracyAt(folder.Report(), "60.0");
  TouchTheBrake(folder.path + "/DATA.3");
  ASSERT_EQ(folder.Analyse(options).status, 0);
  const double spoiled = AccuracyAt(folder.Report(), "60.0");
  EXPECT_GT(spoiled, 3.0 * clean) << clean << " " << spoiled;
  std::vector<std::string> rejecting = options;
  rejecting.insert(rejecting.end(), {"--reject-run", "3:brake touch", "--json", folder.dir / "r.json"});
  const auto run = folder.Analyse(rejecting);
  ASSERT_EQ(run.status, 0) << run.err;
  const std::string report = folder.Report();
  EXPECT_LT(AccuracyAt(report, "60.0"), 2.0 * clean);
  EXPECT_EQ(Collapsed(LineStarting(report, "DATA.3/4")), "DATA.3/4 rejected with its pair: DATA.3: brake touch");
  EXPECT_EQ(SpeedLine(report, "60.0").at(1), "4");
  EXPECT_THAT(run.err, HasSubstr("DATA.3 is rejected (brake touch) and with it the pair DATA.3 and DATA.4"));
  const std::string json = ReadFile(folder.dir / "r.json");
  EXPECT_THAT(json, HasSubstr("\"reason\": \"DATA.3: brake touch\""));
}

// A run that does not reach the lowest reference speeds leaves them with its
// pair, named with the run and the speed; the other speeds keep the pair.
TEST(IntervalsEndToEnd, ShortRunLeavesTheIntervalsItDoesNotSpan) {
  const SimulatedFolder folder("--scenario speed-only --seed 14 --wind-speed 0 --wind-drift 0 --gust 0");
  std::ifstream in(folder.path + "/DATA.5");
  std::string kept;
  for (std::string line; std::getline(in, line) && std::strtod(line.c_str(), nullptr) * 1.609344 > 28.0;)
    kept += line + "\n";
  in.close();
  WriteFile(folder.path + "/DATA.5", kept);
  const auto run = folder.Analyse({"--method", "intervals", "--rate", "10"});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_THAT(run.err, HasSubstr("DATA.5 does not span the interval of the reference speed 20.0 km/h"));
  const std::string report = folder.Report();
  EXPECT_EQ(SpeedLine(report, "20.0").at(1), "4");
  EXPECT_EQ(SpeedLine(report, "40.0").at(1), "5");
}

// Bad input ends the run with a message that names the run or the file, and
// leaves no report that could pass for a result (an older one stays and is
// said to be of an earlier run).
TEST(IntervalsEndToEnd, BadInputIsAClearMessageAndNoReport) {
  const std::vector<std::tuple<std::string, std::vector<std::string>, std::string>> cases = {
      // Only runs in one heading: DATA.2 missing ends the set at DATA.1.
      {"remove DATA.2", {"--rate", "10"}, "no DATA run in the heading of the even runs"},
      // Read at 100 records a second, the 10 Hz runs slow down ten times as fast as any coasting vehicle.
      {"", {"--rate", "100"}, "through the interval of the reference speed"},
      {"bad wind", {"--rate", "10", "--track-wind", "WIND"}, "line 3: \"2,1.5\" is not RUN,SPEED,FROM"},
      {"", {"--rate", "10", "--track-wind", "/nonexistent/wind.csv"},
       "Path not found (--track-wind /nonexistent/wind.csv)"},
      {"", {"--rate", "10", "--track-wind", "WIND"}, "wind.csv not found"},
      {"remove DATA.1", {"--rate", "10"}, "no DATA run to analyse"},
  };
  for (const auto& [change, options, message] : cases) {
    SCOPED_TRACE(message);
    const SimulatedFolder folder("--scenario speed-only --seed 15 --data-runs 4");
    WriteFile(folder.path + "/VB6Output.txt", "an earlier report\r\n");
    if (change == "remove DATA.2") std::filesystem::remove(folder.path + "/DATA.2");
    if (change == "remove DATA.1") std::filesystem::remove(folder.path + "/DATA.1");
    std::vector<std::string> args = {"--method", "intervals"};
    for (const std::string& o : options) args.push_back(o == "WIND" ? folder.dir / "wind.csv" : o);
    if (change == "bad wind") WriteFile(folder.dir / "wind.csv", "run,speed,from\n1,1.5,30\n2,1.5\n");
    const auto run = folder.Analyse(args);
    EXPECT_EQ(run.status, 1);
    EXPECT_THAT(run.err, HasSubstr("coastdown: run-time error "));
    EXPECT_THAT(run.err, HasSubstr(message));
    EXPECT_THAT(run.err, HasSubstr("is the report of an earlier run, not of this one"));
    EXPECT_EQ(folder.Report(), "an earlier report\r\n");
  }
}

// Fewer pairs than the least number at every reference speed: a report
// that says at its top it is no result for a type-approval file, a failed
// check, and with --strict exit status 3.
TEST(IntervalsEndToEnd, FewerPairsThanTheLeastNumber) {
  const SimulatedFolder folder("--scenario speed-only --seed 16 --data-runs 4");
  const auto run = folder.Analyse({"--method", "intervals", "--rate", "10", "--strict"});
  EXPECT_EQ(run.status, 3) << run.err;
  EXPECT_THAT(run.err, HasSubstr("check failed: valid pairs of opposite runs at every reference speed: 2 at 20 km/h"));
  const std::string report = folder.Report();
  EXPECT_EQ(Collapsed(LineStarting(report, "Result:")), "Result: NOT VALID for a type-approval file:");
  EXPECT_THAT(report, HasSubstr("  - at the reference speed 20.0 km/h only 2 pairs of opposite runs span the interval; "
                                "at least 3 are needed\r\n"));
}

// A test with an anemometer: the method works on its speeds alone, and the
// record holds the specified analysis' road load beside the method's, the
// method's corrected to the specified analysis' 98.21 kPa.
TEST(IntervalsEndToEnd, SpecifiedAnalysisBesideTheMethod) {
  const SimulatedFolder folder("--scenario light-wind --seed 17 --rate 10 --data-runs 8 --rotating-mass 48");
  const auto run = folder.Analyse({"--method", "intervals", "--rate", "10", "--rotating-mass", "48kg", "--json",
                                   folder.dir / "r.json"});
  ASSERT_EQ(run.status, 0) << run.err;
  const std::string json = ReadFile(folder.dir / "r.json");
  const std::size_t at = json.find("\"legacy_comparison\"");
  ASSERT_NE(at, std::string::npos);
  EXPECT_NE(json.find("\"available\": true", at), std::string::npos);
  EXPECT_GT(JsonNumber(json, "value", json.find("\"Amech\"", at)), 0.0);
  // At 20 mph (32.18688 km/h): F = f0* + f1*·v + f2*·(98.21/100)·v².
  const std::size_t corrected = json.find("\"corrected\"");
  const double v = 32.18688;
  const double expected = JsonNumber(json, "f0_N", corrected) + JsonNumber(json, "f1_N_per_kmh", corrected) * v +
                          JsonNumber(json, "f2_N_per_kmh2", corrected) * 0.9821 * v * v;
  const std::size_t point = json.find("\"speed_mph\": 20", at);
  ASSERT_NE(point, std::string::npos);
  EXPECT_NEAR(JsonNumber(json, "method_N", point), expected, 1e-9 * expected);
  EXPECT_NEAR(JsonNumber(json, "difference_N", point),
              JsonNumber(json, "method_N", point) - JsonNumber(json, "legacy_N", point), 1e-9);
  // The specified analysis wrote no report of its own: the one there is the method's.
  EXPECT_EQ(folder.Report().rfind("Coastdown Road Load by Reference-Speed Intervals", 0), 0u);
}

// The shipped speed-only example is what the options on its truth.txt's
// "Made by" line make, and its OPTIONS analyse it to a result the
// regulation accepts: the report, the record, the samples and the page.
TEST(IntervalsEndToEnd, ShippedSpeedOnlyExampleGivesAValidResult) {
  const std::string shipped = std::string(COASTDOWN_SOURCE_DIR) + "/examples/speed-only/";
  const SimulatedFolder remade(testsupport::MadeByOptions(shipped));
  testsupport::ExpectShippedAsRemade(shipped, "speed-only", remade);
  // Its options, with the track-wind file of the remade folder.
  std::vector<std::string> options = testsupport::Words(ReadFile(shipped + "OPTIONS"));
  for (std::string& o : options)
    if (o == "trackwind.csv") o = remade.path + "/trackwind.csv";
  options.insert(options.end(), {"--json", remade.dir / "r.json", "--html", remade.dir / "r.html", "--samples",
                                 remade.dir / "s.csv"});
  const auto run = remade.Analyse(options);
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.err, "");
  const std::string report = remade.Report();
  EXPECT_EQ(Collapsed(LineStarting(report, "Result:")).rfind("Result: VALID", 0), 0u) << report;
  EXPECT_EQ(Collapsed(LineStarting(report, "v, km/h")),
            "v, km/h 20.0 30.0 40.0 50.0 60.0 70.0 80.0 90.0 100.0 110.0 120.0");
  const std::string json = ReadFile(remade.dir / "r.json");
  EXPECT_THAT(json, HasSubstr("\"name\": \"intervals\""));
  EXPECT_THAT(json, HasSubstr("\"valid\": true"));
  // No anemometer: the specified analysis does not run beside it.
  EXPECT_EQ(json.find("\"legacy_comparison\""), std::string::npos);
  // The samples of the runs the pairs used are marked used.
  const std::string csv = ReadFile(remade.dir / "s.csv");
  EXPECT_THAT(csv, HasSubstr(",used,coasting,intervals,\r\n"));
  EXPECT_EQ(csv.find(",not used,"), std::string::npos);
  EXPECT_THAT(ReadFile(remade.dir / "r.html"), HasSubstr("id=\"intervals\""));
}

}  // namespace
