// --method impulse as a user meets it: the report in the specified layout
// with the method's solver section, the record's and the samples' say of
// which method ran, the anemometer found missing or told so, the options'
// files refused before anything is analysed, what the data leave open said
// on standard error rather than printed as a number, and the specified
// analysis unchanged without the option.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <regex>
#include <string>
#include <vector>

#include "tests/TestSupport.h"

namespace {

using ::testing::HasSubstr;
using testsupport::NumberAfter;
using testsupport::ReadFile;
using testsupport::SimulatedFolder;

// The report with every number and the date masked: its layout.
std::string Layout(const std::string& report) {
  return std::regex_replace(testsupport::MaskedDate(report), std::regex("-?[0-9]+(\\.[0-9]+)?"), "#");
}

// The report's lines up to its solver section, and the section.
std::pair<std::string, std::string> SplitAtSolver(const std::string& report) {
  const std::size_t at = report.find("SOLVER INFORMATION");
  return {report.substr(0, at), at == std::string::npos ? std::string() : report.substr(at)};
}

// The report of the impulse method is the specified report's, line for
// line, but for its numbers and its solver section, which names the method
// and says how it went.
TEST(ImpulseTest, TheReportKeepsTheLayoutAndNamesTheMethodInItsSolverSection) {
  const SimulatedFolder test("--seed 2 --data-runs 6 --rotating-mass 40");
  ASSERT_EQ(test.Analyse({"--quiet"}).status, 0);
  const std::string legacy = test.Report();
  const testsupport::ProcessResult run = test.Analyse({"--quiet", "--method", "impulse", "--rotating-mass", "40kg"});
  ASSERT_EQ(run.status, 0) << run.err;
  const std::string impulse = test.Report();
  EXPECT_EQ(Layout(SplitAtSolver(impulse).first), Layout(SplitAtSolver(legacy).first));
  EXPECT_EQ(SplitAtSolver(impulse).second,
            "SOLVER INFORMATION\r\nImpulse Solver\r\n\r\n 3 term mechanical model\r\n 2 term aerodynamic model, yaw "
            "sensitivity with a prior\r\n Welch windows of 20.0 s, a new one every 10.0 s: 66 of 66 used\r\n Mass "
            "1587.5 kg and rotating mass 40.0 kg\r\n\r\n");
  // Its numbers are the method's: close to the truth, not the specified fit's.
  const std::string truth = test.Truth();
  EXPECT_NEAR(NumberAfter(impulse, "Ctotl: "), NumberAfter(truth, "Ctotl: "), 0.005 * NumberAfter(truth, "Ctotl: "));
  EXPECT_NE(NumberAfter(impulse, "Ctotl: "), NumberAfter(legacy, "Ctotl: "));
}

// Without the option the program is the specified analysis: the same
// report and record as --method legacy, and a record whose method says so.
TEST(ImpulseTest, WithoutTheOptionNothingChanges) {
  const SimulatedFolder test("--seed 3 --data-runs 4");
  ASSERT_EQ(test.Analyse({"--quiet", "--samples", test.path + "/plain.csv"}).status, 0);
  const std::string plain = testsupport::MaskedDate(test.Report());
  ASSERT_EQ(test.Analyse({"--quiet", "--method", "legacy", "--samples", test.path + "/legacy.csv"}).status, 0);
  EXPECT_EQ(testsupport::MaskedDate(test.Report()), plain);
  EXPECT_EQ(ReadFile(test.path + "/legacy.csv"), ReadFile(test.path + "/plain.csv"));
  const std::string csv = ReadFile(test.path + "/plain.csv");
  EXPECT_EQ(csv.substr(0, csv.find('\r')),
            "set,run,direction,time_s,speed_m_s,rel_wind_m_s,yaw_deg,deceleration_m_s2,force_N,status,motion");
}

// The record and the samples say which method ran; the specified fit beside
// it keeps its statuses in a column of their own and its results in the
// comparison, whose counts and points are those of a run without the option.
TEST(ImpulseTest, TheRecordAndTheSamplesSayWhichMethodRanAndSetTheSpecifiedOneBesideIt) {
  const SimulatedFolder test("--seed 4 --data-runs 6");
  ASSERT_EQ(test.Analyse({"--quiet", "--json", test.path + "/legacy.json"}).status, 0);
  const testsupport::ProcessResult run = test.Analyse(
      {"--quiet", "--method", "impulse", "--json", test.path + "/r.json", "--samples", test.path + "/s.csv"});
  ASSERT_EQ(run.status, 0) << run.err;
  const std::string record = ReadFile(test.path + "/r.json");
  const std::string legacy = ReadFile(test.path + "/legacy.json");
  EXPECT_THAT(record, HasSubstr("\"method\": {\n    \"name\": \"impulse\",\n    \"solver\": \"Impulse Solver\""));
  EXPECT_THAT(record, HasSubstr("\"impulse\": {\n    \"solved\": true"));
  // The specified analysis' road load at 40 mph, as its own run gives it.
  const std::size_t legacy40 = legacy.find("\"speed_mph\": 40,", legacy.find("\"still_air_road_load\""));
  const std::size_t beside40 = record.find("\"speed_mph\": 40,", record.find("\"legacy_comparison\""));
  EXPECT_EQ(NumberAfter(record, "\"legacy_N\": ", beside40), NumberAfter(legacy, "\"force_N\": ", legacy40));
  EXPECT_EQ(NumberAfter(record, "\"legacy_high95_N\": ", beside40), NumberAfter(legacy, "\"high95_N\": ", legacy40));
  // Its difference to the method's, which is the record's result.
  const std::size_t method40 = record.find("\"speed_mph\": 40,", record.find("\"still_air_road_load\""));
  EXPECT_EQ(NumberAfter(record, "\"method_N\": ", beside40), NumberAfter(record, "\"force_N\": ", method40));

  const std::string csv = ReadFile(test.path + "/s.csv");
  EXPECT_EQ(csv.substr(0, csv.find('\r')),
            "set,run,direction,time_s,speed_m_s,rel_wind_m_s,yaw_deg,deceleration_m_s2,force_N,status,motion,method,"
            "legacy_status");
  // Every DATA row names the method; the specified fit's statuses count as
  // its record says.
  long data = 0, legacyUsed = 0;
  for (std::size_t at = csv.find("\nDATA,"); at != std::string::npos; at = csv.find("\nDATA,", at + 1)) {
    const std::string row = csv.substr(at + 1, csv.find('\r', at) - at - 1);
    ++data;
    EXPECT_THAT(row, HasSubstr(",impulse,"));
    legacyUsed += row.size() >= 5 && row.compare(row.size() - 5, 5, ",used") == 0;
  }
  EXPECT_EQ(data, static_cast<long>(NumberAfter(record, "\"samples\": ", record.find("\"name\": \"DATA\""))));
  EXPECT_EQ(legacyUsed, static_cast<long>(NumberAfter(legacy, "\"samples_used\": ", legacy.find("\"final_fit\""))));
}

// Wind columns of zeros are no anemometer: found and said, the total road
// load fitted, Cd left open in the record (null) rather than printed as a
// result, and the specified analysis, which needs the wind, set aside.
TEST(ImpulseTest, AnAnemometerThatIsNotThereIsFoundOrToldAndCdIsLeftOpen) {
  const SimulatedFolder test("--seed 5 --scenario speed-only --data-runs 6");
  for (const bool told : {false, true}) {
    SCOPED_TRACE(told);
    std::vector<std::string> options = {"--method", "impulse", "--rate", "10", "--json", test.path + "/r.json"};
    if (told) options.push_back("--no-anemometer");
    const testsupport::ProcessResult run = test.Analyse(options);
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_THAT(run.err, HasSubstr(told ? "the wind columns hold no anemometer (--no-anemometer)"
                                        : "the wind columns hold no anemometer (found: every wind reading"));
    EXPECT_THAT(run.err, HasSubstr("Cd is not determined"));
    EXPECT_THAT(run.err, HasSubstr("--track-wind gives the wind measured beside the track"));
    const std::string record = ReadFile(test.path + "/r.json");
    const std::size_t cd = record.find("\"name\": \"Cd\"", record.find("\"drag\""));
    EXPECT_NE(record.find("\"value\": null", cd), std::string::npos);
    EXPECT_LT(record.find("\"value\": null", cd), record.find("}", cd));
    EXPECT_THAT(record, HasSubstr("\"v2_split_assumed\": true"));
    EXPECT_THAT(record,
                HasSubstr("\"why_not\": \"the wind columns hold no anemometer, which the specified analysis needs\""));
    // The report says it in its own section.
    EXPECT_THAT(test.Report(),
                HasSubstr(" Cmech and Caero split Ctotl by assumption (10 % mechanical): Cd is not determined"));
  }
}

// The options' files are read before the analysis: a yaw curve that is
// missing or is no curve, and a track wind that leaves a run out, end the
// run with an error that names the file, and no report is written.
TEST(ImpulseTest, FilesOfTheOptionsThatCannotBeUsedEndTheRunFirst) {
  const SimulatedFolder test("--seed 6 --data-runs 4");
  testsupport::WriteFile(test.path + "/curve.csv", "yaw,ratio\n0,1\n5,1.02\n10,one\n");
  testsupport::WriteFile(test.path + "/wind.csv", "run,speed,from\n1,3,40\n2,3,40\n3,3,40\n");
  struct Row {
    std::vector<std::string> options;
    std::string error;
  };
  const Row rows[] = {
      {{"--yaw-curve", test.path + "/none.csv"}, "run-time error 53: File not found (--yaw-curve " + test.path +
                                                     "/none.csv not found)"},
      {{"--yaw-curve", test.path + "/curve.csv"},
       "run-time error 13: Type mismatch (--yaw-curve " + test.path + "/curve.csv line 4: \"10,one\" is not "
       "YAW_DEG,RATIO)"},
      {{"--no-anemometer", "--track-wind", test.path + "/wind.csv"},
       "(--track-wind " + test.path + "/wind.csv gives no wind for DATA.4; the impulse method needs the wind beside "
       "the track for every DATA run)"},
  };
  for (const Row& row : rows) {
    std::vector<std::string> options = {"--method", "impulse"};
    options.insert(options.end(), row.options.begin(), row.options.end());
    std::remove((test.path + "/VB6Output.txt").c_str());
    const testsupport::ProcessResult run = test.Analyse(options);
    EXPECT_EQ(run.status, 1);
    EXPECT_THAT(run.err, HasSubstr(row.error));
    EXPECT_FALSE(std::filesystem::exists(test.path + "/VB6Output.txt"));
  }
}

// A steady wind straight across with no gust at all: the relative wind is a
// function of the speed, the aerodynamic term and the wind's part of the
// constant term cannot be told from the mechanical terms, and the method
// gives no number but says what would let it.
TEST(ImpulseTest, ASteadyCrosswindWithoutGustsGivesNoNumberButSaysWhatWould) {
  const SimulatedFolder test(
      "--seed 7 --data-runs 6 --zero-runs 0 --cal-runs 0 --anemo-gain 1 --anemo-offset 0 --anemo-misalign 0 "
      "--anemo-noise 0 --yaw-noise 0 --speed-noise 0 --wind-speed 10 --wind-direction 90 --wind-drift 0 "
      "--wind-veer 0 --gust 0");
  const testsupport::ProcessResult run = test.Analyse({"--method", "impulse", "--json", test.path + "/r.json"});
  EXPECT_EQ(run.status, 1);
  EXPECT_THAT(run.err, HasSubstr("run-time error 5: Invalid procedure call or argument (the impulse method gives no "
                                 "result: the aerodynamic term cannot be told from the mechanical terms"));
  EXPECT_THAT(run.err, HasSubstr("give CD"));
  const std::string record = ReadFile(test.path + "/r.json");
  EXPECT_THAT(record, HasSubstr("\"impulse\": {\n    \"solved\": false"));
}

}  // namespace
