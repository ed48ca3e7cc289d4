// Whole test folders as coastdown reads them: file layout and format,
// determinism, direction alternation, the command, and physics that a
// least-squares fit of the written files recovers.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "Command.h"
#include "Options.h"
#include "RunWriter.h"
#include "SimTestSupport.h"
#include "TestFolder.h"
#include "Truth.h"
#include "Units.h"

namespace {

namespace fs = std::filesystem;
using simtest::ReadFile;
using simtest::RunSim;
using simtest::ScratchDir;

std::vector<std::string> FileNames(const std::string& folder) {
  std::vector<std::string> names;
  for (const fs::directory_entry& e : fs::directory_iterator(folder)) names.push_back(e.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

std::vector<sim::Record> ParseRunFile(const std::string& text) {
  std::vector<sim::Record> records;
  std::size_t start = 0;
  while (start < text.size()) {
    const std::size_t end = text.find("\r\n", start);
    if (end == std::string::npos) ADD_FAILURE() << "line without CR LF at byte " << start;
    if (end == std::string::npos) break;
    const std::string line = text.substr(start, end - start);
    sim::Record r{};
    char tail = 0;
    if (std::sscanf(line.c_str(), "%lf,%lf,%lf%c", &r.speedMph, &r.windMph, &r.yawDeg, &tail) != 3) {
      ADD_FAILURE() << "not three numbers: '" << line << "'";
    }
    records.push_back(r);
    start = end + 2;
  }
  return records;
}

double MeanYaw(const std::vector<sim::Record>& records) {
  double sum = 0.0;
  for (const sim::Record& r : records) sum += r.yawDeg;
  return sum / static_cast<double>(records.size());
}

TEST(TestFolderTest, WritesTheRunSetsTruthAndCommand) {
  ScratchDir dir;
  const std::string out = dir / "t1/nested";
  const simtest::Outcome o = RunSim({"--out", out, "--zero-runs", "2", "--cal-runs", "4", "--data-runs", "3",
                                     "--cal-duration", "10", "--zero-duration", "8"});
  ASSERT_EQ(o.status, 0) << o.err;
  EXPECT_TRUE(o.err.empty());
  EXPECT_EQ(o.out, "coastdown " + out + ",True,True,15,70,3500,68,29.92,22.5,\n");
  EXPECT_EQ(FileNames(out), (std::vector<std::string>{"CAL.1", "CAL.2", "CAL.3", "CAL.4", "COMMAND", "DATA.1",
                                                      "DATA.2", "DATA.3", "ZERO.1", "ZERO.2", "truth.txt"}));
  EXPECT_EQ(ReadFile(out + "/COMMAND"), out + ",True,True,15,70,3500,68,29.92,22.5,\n");

  // Steady runs hold 5 records a second from time 0 to their end.
  EXPECT_EQ(ParseRunFile(ReadFile(out + "/CAL.3")).size(), 51u);
  EXPECT_EQ(ParseRunFile(ReadFile(out + "/ZERO.1")).size(), 41u);
  // CAL pairs share a speed; the pairs step through --cal-speeds.
  EXPECT_NEAR(ParseRunFile(ReadFile(out + "/CAL.2"))[0].speedMph, 30.0, 0.1);
  EXPECT_NEAR(ParseRunFile(ReadFile(out + "/CAL.3"))[0].speedMph, 45.0, 0.1);
  // A coastdown starts at the high speed and ends just below the low one.
  const std::vector<sim::Record> data = ParseRunFile(ReadFile(out + "/DATA.2"));
  ASSERT_GT(data.size(), 200u);
  EXPECT_NEAR(data.front().speedMph, 70.0, 0.1);
  EXPECT_LT(data.back().speedMph, 15.1);
  EXPECT_GT(data.back().speedMph, 14.5);
  const sim::Truth truth = sim::ComputeTruth(sim::ParseOptions({"--out", out}).config);
  EXPECT_NE(ReadFile(out + "/truth.txt").find(sim::TruthResultLines(truth)), std::string::npos);
}

TEST(TestFolderTest, SameSeedSameBytesOtherSeedOtherNoise) {
  ScratchDir dir;
  const std::vector<std::string> args = {"--data-runs", "2", "--cal-runs", "2", "--zero-runs", "1"};
  auto write = [&](const std::string& name, const std::string& seed) {
    std::vector<std::string> a = {"--out", dir / name, "--seed", seed};
    a.insert(a.end(), args.begin(), args.end());
    EXPECT_EQ(RunSim(a).status, 0);
    return dir / name;
  };
  const std::string a = write("a", "5"), b = write("b", "5"), c = write("c", "6");
  for (const char* file : {"ZERO.1", "CAL.1", "CAL.2", "DATA.1", "DATA.2", "truth.txt"}) {
    EXPECT_EQ(ReadFile(a + "/" + file), ReadFile(b + "/" + file)) << file;
    if (std::string(file) != "truth.txt") {
      EXPECT_NE(ReadFile(a + "/" + file), ReadFile(c + "/" + file)) << file;
    }
  }
}

TEST(TestFolderTest, AddingRunsToOneSetLeavesTheOtherSetsUnchanged) {
  ScratchDir dir;
  ASSERT_EQ(RunSim({"--out", dir / "few", "--cal-runs", "2", "--data-runs", "2", "--turn-time", "0"}).status, 0);
  ASSERT_EQ(RunSim({"--out", dir / "many", "--cal-runs", "2", "--data-runs", "5", "--turn-time", "0"}).status, 0);
  EXPECT_EQ(ReadFile(dir / "few/CAL.2"), ReadFile(dir / "many/CAL.2"));
  EXPECT_EQ(ReadFile(dir / "few/DATA.2"), ReadFile(dir / "many/DATA.2"));
}

TEST(TestFolderTest, RunsFollowEachOtherOnOneClockEachWithItsOwnNoise) {
  sim::SimConfig c = sim::ParseOptions({"--out", "unused", "--zero-runs", "4", "--cal-runs", "2", "--data-runs", "2",
                                        "--turn-time", "45"})
                         .config;
  const std::vector<sim::Run> runs = sim::TestDrive(c).DriveAll();
  ASSERT_EQ(runs.size(), 8u);
  const char* order[] = {"ZERO", "ZERO", "ZERO", "ZERO", "CAL", "CAL", "DATA", "DATA"};
  EXPECT_EQ(runs[0].startTime, 0.0);
  for (std::size_t i = 0; i < runs.size(); ++i) {
    EXPECT_STREQ(sim::RunSetName(runs[i].kind), order[i]);
    if (i > 0) {
      EXPECT_DOUBLE_EQ(runs[i].startTime, runs[i - 1].startTime + runs[i - 1].truth.back().time + 45.0);
    }
  }
  // ZERO.1 and ZERO.3 drive the same way at the same speed: the same kind of
  // record, but neither the wind of the moment nor the noise may repeat.
  EXPECT_NE(runs[0].truth[5].air.yawDeg, runs[2].truth[5].air.yawDeg);
  c.wind = sim::WindConfig{};  // still air: only the noise can differ
  const std::vector<sim::Run> still = sim::TestDrive(c).DriveAll();
  EXPECT_EQ(still[0].truth[5].air.speed, still[2].truth[5].air.speed);
  EXPECT_NE(still[0].records[5].windMph, still[2].records[5].windMph);
  EXPECT_NE(still[0].records[5].speedMph, still[2].records[5].speedMph);
}

TEST(TestFolderTest, CrosswindFlipsTheYawSignBetweenOddAndEvenRuns) {
  // Wind from the right of the odd runs, a true-reading anemometer.
  for (const double direction : {90.0, -90.0}) {
    sim::SimConfig c = sim::ParseOptions({"--out", "unused", "--scenario", "crosswind"}).config;
    simtest::MakeInstrumentsPerfect(c);
    c.wind.directionDeg = direction;
    c.runs.zeroRuns = 2;
    c.runs.calRuns = 4;
    c.runs.dataRuns = 2;
    for (const sim::Run& run : sim::TestDrive(c).DriveAll()) {
      const double expectedSign = (run.number % 2 == 1 ? 1.0 : -1.0) * (direction > 0 ? 1.0 : -1.0);
      EXPECT_GT(MeanYaw(run.records) * expectedSign, 3.0) << sim::RunSetName(run.kind) << "." << run.number;
    }
  }
}

TEST(TestFolderTest, OppositeCalRunsSeeTheSameWindThroughTheCalibrationModel) {
  // The analysis' head and cross wind of each CAL run, from readings
  // corrected with the coefficients truth.txt names, must agree within a
  // pair: that is what its calibration fits.
  sim::SimConfig c = sim::ParseOptions({"--out", "unused", "--scenario", "anemometer-errors", "--gust", "0",
                                        "--wind-drift", "0", "--wind-veer", "0"})
                         .config;
  c.anemometer.speedNoiseMph = 0.0;
  c.anemometer.yawNoiseDeg = 0.0;
  c.speedNoiseMph = 0.0;
  const double ka = 1.0 / c.anemometer.gain, ky = 1.0 / c.anemometer.EffectiveYawGain();
  const double k3 = c.anemometer.EffectiveLoss(), offset = c.anemometer.misalignDeg;
  const double radians = 3.141596 / 180.0;
  std::vector<double> head, cross;
  for (const sim::Run& run : sim::TestDrive(c).DriveAll()) {
    if (run.kind != sim::RunKind::Cal) continue;
    const sim::Record& r = run.records[10];
    const double d = run.number % 2 == 1 ? 1.0 : -1.0;
    const double yaw = (r.yawDeg - offset) * ky;
    const double wind = (1.0 - k3 * yaw * yaw) * ((r.windMph * 0.44704 + 0.134112) * ka);
    head.push_back((wind * std::cos(yaw * radians) - r.speedMph * 0.44704) * d);
    cross.push_back(wind * std::sin(yaw * radians) * d);
  }
  ASSERT_EQ(head.size(), 6u);
  const double wind = sim::MphToMetresPerSecond(c.wind.speedMph);
  for (std::size_t i = 0; i < head.size(); i += 2) {
    EXPECT_NEAR(head[i], head[i + 1], 1e-4);
    EXPECT_NEAR(cross[i], cross[i + 1], 1e-4);
    EXPECT_NEAR(head[i], wind * std::cos(30.0 * radians), 1e-3);  // light wind from 30 deg
    EXPECT_NEAR(cross[i], wind * std::sin(30.0 * radians), 1e-3);  // from the right of odd runs
  }
}

// Least squares by normal equations, solved by Gauss-Jordan with pivoting.
std::vector<double> LeastSquares(const std::vector<std::vector<double>>& rows, const std::vector<double>& y) {
  const std::size_t n = rows[0].size();
  std::vector<std::vector<double>> m(n, std::vector<double>(n + 1, 0.0));
  for (std::size_t k = 0; k < rows.size(); ++k) {
    for (std::size_t i = 0; i < n; ++i) {
      for (std::size_t j = 0; j < n; ++j) m[i][j] += rows[k][i] * rows[k][j];
      m[i][n] += rows[k][i] * y[k];
    }
  }
  for (std::size_t col = 0; col < n; ++col) {
    std::size_t pivot = col;
    for (std::size_t r = col + 1; r < n; ++r) {
      if (std::fabs(m[r][col]) > std::fabs(m[pivot][col])) pivot = r;
    }
    std::swap(m[col], m[pivot]);
    for (std::size_t r = 0; r < n; ++r) {
      if (r == col) continue;
      const double f = m[r][col] / m[col][col];
      for (std::size_t j = col; j <= n; ++j) m[r][j] -= f * m[col][j];
    }
  }
  std::vector<double> x(n);
  for (std::size_t i = 0; i < n; ++i) x[i] = m[i][n] / m[i][i];
  return x;
}

TEST(TestFolderTest, FittingTheWrittenCoastdownsRecoversTheTruth) {
  // Reduce the DATA files the way the analysis does and fit its road-load
  // model (the yaw-symmetric terms): with true readings the fit must land
  // on the simulated coefficients, which ties the files, the integrator and
  // the truth conversions together.
  ScratchDir dir;
  sim::SimConfig c = sim::ParseOptions({"--out", dir / "fit", "--scenario", "crosswind", "--data-runs", "12"}).config;
  simtest::MakeInstrumentsPerfect(c);
  c.wind.driftMph = 3.0;
  c.wind.gustMph = 1.5;
  c.wind.speedMph = 7.0;
  c.wind.driftPeriodS = 300.0;
  sim::WriteTestFolder(c);
  const double mass = sim::MassFromWeight(c.vehicle.weightLb);
  std::vector<std::vector<double>> rows;
  std::vector<double> force;
  for (int n = 1; n <= 12; ++n) {
    const std::vector<sim::Record> records = ParseRunFile(ReadFile(dir / "fit/DATA." + std::to_string(n)));
    for (const sim::SecondSample& s : sim::OneSecondSamples(records)) {
      const double v = s.speedMph * 0.44704, vr = s.windMph * 0.44704;
      rows.push_back({1.0, v, v * v, vr * vr, vr * vr * s.yawDeg * s.yawDeg});
      force.push_back(mass * s.decelMphPerS * 0.44704);
    }
  }
  const std::vector<double> fit = LeastSquares(rows, force);
  const sim::Truth t = sim::ComputeTruth(c);
  EXPECT_NEAR(fit[0], t.m0, 0.005 * t.m0);
  EXPECT_NEAR(fit[1], t.m1, 0.01 * t.m1);
  EXPECT_NEAR(fit[2] + fit[3], t.m2 + t.a0, 0.005 * (t.m2 + t.a0));
  EXPECT_NEAR(fit[3], t.a0, 0.02 * t.a0);
  EXPECT_NEAR(fit[4], t.a2, 0.01 * t.a2);
}

TEST(TestFolderTest, FactsGiveTheTrueWindOfTheCoastdownsAndTheZeroRunsMeanYaw) {
  // A steady wind from 120 degrees: a tail wind of 3 mph on the odd runs
  // and 5.196 mph from their right, whatever the direction of the run.
  sim::SimConfig c = sim::ParseOptions({"--out", "unused", "--wind-speed", "6", "--wind-direction", "120",
                                        "--wind-drift", "0", "--wind-veer", "0", "--gust", "0", "--data-runs", "2",
                                        "--zero-runs", "0"})
                         .config;
  simtest::MakeInstrumentsPerfect(c);
  sim::TestFacts facts = sim::FactsOf(sim::TestDrive(c).DriveAll());
  EXPECT_NEAR(facts.meanHeadMph, -3.0, 1e-9);
  EXPECT_NEAR(facts.meanCrossMph, 6.0 * std::sin(120.0 * 3.141592653589793 / 180.0), 1e-9);
  EXPECT_NEAR(facts.maxHeadMph, 3.0, 1e-9);
  EXPECT_FALSE(facts.zeroMeanYawDeg.has_value());
  // Wind on the track's axis gives no yaw in either direction, so the ZERO
  // runs read just the misalignment.
  c.wind.directionDeg = 0.0;
  c.runs.zeroRuns = 2;
  c.anemometer.misalignDeg = 2.0;
  facts = sim::FactsOf(sim::TestDrive(c).DriveAll());
  ASSERT_TRUE(facts.zeroMeanYawDeg.has_value());
  EXPECT_NEAR(*facts.zeroMeanYawDeg, 2.0, 1e-9);
  EXPECT_NEAR(facts.meanHeadMph, 6.0, 1e-9);
  EXPECT_NEAR(facts.meanCrossMph, 0.0, 1e-9);
}

TEST(TestFolderTest, RewritingAFolderRemovesRunFilesOfTheLargerOldTest) {
  ScratchDir dir;
  const std::string out = dir / "again";
  ASSERT_EQ(RunSim({"--out", out, "--data-runs", "4", "--cal-runs", "4"}).status, 0);
  std::ofstream(out + "/notes.txt") << "keep me";
  std::ofstream(out + "/DATA.backup") << "keep me too";
  ASSERT_EQ(RunSim({"--out", out, "--data-runs", "2", "--cal-runs", "0", "--zero-runs", "0"}).status, 0);
  EXPECT_EQ(FileNames(out), (std::vector<std::string>{"COMMAND", "DATA.1", "DATA.2", "DATA.backup", "notes.txt",
                                                      "truth.txt"}));
  EXPECT_EQ(ReadFile(out + "/COMMAND"), out + ",False,False,15,70,3500,68,29.92,22.5,\n");
}

TEST(TestFolderTest, CommandFieldsAndShellQuoting) {
  sim::SimConfig c = sim::ParseOptions({"--out", "/data/My Tests/run 1//", "--scenario", "truck", "--known-cd",
                                        "0.62", "--cal-runs", "0", "--temperature", "50.5"})
                         .config;
  const std::string args = sim::CoastdownArguments(c);
  EXPECT_EQ(args, "/data/My Tests/run 1,False,True,15,60,36000,50.5,29.92,105,0.62");
  EXPECT_EQ(sim::CoastdownCommandLine(args), "coastdown '/data/My Tests/run 1,False,True,15,60,36000,50.5,29.92,105,0.62'");
  EXPECT_EQ(sim::CoastdownCommandLine("it's,x"), "coastdown 'it'\\''s,x'");
  EXPECT_EQ(sim::CoastdownCommandLine("examples/light-wind,True"), "coastdown examples/light-wind,True");
}

TEST(TestFolderTest, AnUnwritableFolderIsStatusOne) {
  ScratchDir dir;
  std::ofstream(dir / "plain") << "a file, not a folder";
  const simtest::Outcome o = RunSim({"--out", dir / "plain", "--data-runs", "1"});
  EXPECT_EQ(o.status, 1);
  EXPECT_NE(o.err.find("coastdown-sim: "), std::string::npos);
  EXPECT_TRUE(o.out.empty());
}

TEST(TestFolderTest, ACoastdownThatCannotEndIsStatusOne) {
  // 200000 lb with almost no load takes far longer than a run may last.
  ScratchDir dir;
  const simtest::Outcome o = RunSim({"--out", dir / "slow", "--weight", "200000", "--mech-a", "0", "--mech-b", "0",
                                     "--mech-c", "0", "--cd", "0.01", "--data-runs", "1", "--scenario", "still-air"});
  EXPECT_EQ(o.status, 1);
  EXPECT_NE(o.err.find("DATA.1 does not slow down to 15 mph"), std::string::npos) << o.err;
  EXPECT_FALSE(fs::exists(dir / "slow"));
}

}  // namespace
