// coastdown-import on logger files made of the simulator's own runs, as a
// user meets them: in several layouts and units, each run driven up to
// speed, held, and braked to a stop around what the simulator recorded,
// one file a run or a whole day in one recording. The trimming must find
// every coast and steady run the simulator wrote within one record, and
// coastdown's analysis of the imported folder must come as close to the
// simulator's truth as its analysis of the simulator's own folder.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "ImportTestSupport.h"
#include "Units.h"

namespace {

using testsupport::ReadFile;
using testsupport::ScratchDir;
using testsupport::WriteFile;

using Records = std::vector<std::array<double, 3>>;  // speed, wind (mph), yaw (deg)

struct SimRun {
  std::string name;  // "DATA.3"
  Records records;
};

Records ReadRunFile(const std::string& path) {
  Records records;
  for (const std::vector<double>& r : importtest::RunFileRecords(ReadFile(path))) records.push_back({r[0], r[1], r[2]});
  return records;
}

std::vector<SimRun> SimulatorRuns(const std::string& folder) {
  std::vector<SimRun> runs;
  for (const char* set : {"ZERO", "CAL", "DATA"}) {
    for (int n = 1; std::filesystem::exists(folder + "/" + set + "." + std::to_string(n)); ++n) {
      const std::string name = std::string(set) + "." + std::to_string(n);
      runs.push_back({name, ReadRunFile(folder + "/" + name)});
    }
  }
  return runs;
}

struct Layout {
  const char* name;
  char separator;
  bool decimalComma;
  const char* header;
  double perMph;  // the file's speed unit per mph
  bool clock;
};

// The run at 5 Hz: standstill, driving up at 1.5 m/s² with the air at the
// vehicle's speed, for a coastdown a hold of 3 s at its first record, the
// run, braking at 3 m/s² and standstill; from `clock` seconds on.
std::string LoggerLines(const Records& run, const Layout& layout, bool untrimmed, double& clock, bool header) {
  Records all;
  const bool coast = run.front()[0] > run.back()[0] + 10;
  if (untrimmed) {
    for (int i = 0; i < 25; ++i) all.push_back({0, 0, 0});
    for (double v = 0; v < run.front()[0]; v += 1.5 / 0.44704 * 0.2) all.push_back({v, v, 0});
    for (int i = 0; i < (coast ? 15 : 0); ++i) all.push_back(run.front());
  }
  all.insert(all.end(), run.begin(), run.end());
  if (untrimmed) {
    for (double v = run.back()[0] - 3.0 / 0.44704 * 0.2; v > 0; v -= 3.0 / 0.44704 * 0.2) all.push_back({v, v, 0});
    for (int i = 0; i < 50; ++i) all.push_back({0, 0, 0});
  }
  std::string text = header ? std::string(layout.header) + "\r\n" : "";
  auto number = [&](double value, const char* format) {
    char s[64];
    std::snprintf(s, sizeof s, format, value);
    std::string out = s;
    for (char& c : out) c = layout.decimalComma && c == '.' ? ',' : c;
    return out;
  };
  for (const auto& r : all) {
    std::string time;
    if (layout.clock) {
      char s[32];
      const double t = 36000.0 + clock;
      std::snprintf(s, sizeof s, "%02d:%02d:%04.1f", static_cast<int>(t / 3600), static_cast<int>(t / 60) % 60,
                    std::fmod(t, 60.0));
      time = s;
    } else {
      time = number(clock, "%.1f");
    }
    text += time + layout.separator + number(r[0] * layout.perMph, "%.6f") + layout.separator +
            number(r[1] * layout.perMph, "%.6f") + layout.separator + number(r[2], "%.6f") + "\r\n";
    clock += 0.2;
  }
  return text;
}

const std::vector<std::string> kConditions = {"--weight", "3500lb", "--temperature", "68F",
                                              "--pressure", "29.92inHg", "--area", "22.5ft2"};

// The imported run is the simulator's within one record at either end:
// the same records, shifted by at most one, one more or less at each end.
void ExpectSameRecords(const Records& imported, const Records& truth, const std::string& name) {
  SCOPED_TRACE(name);
  ASSERT_FALSE(imported.empty());
  int shift = 99;
  for (int s = -1; s <= 1 && shift == 99; ++s) {
    if (s >= 0 && std::fabs(imported[0][0] - truth[static_cast<std::size_t>(s)][0]) < 2e-5) shift = s;
    if (s < 0 && std::fabs(imported[1][0] - truth[0][0]) < 2e-5) shift = s;
  }
  ASSERT_NE(shift, 99) << "the first record " << imported[0][0] << " is none of the first two of " << truth[0][0];
  const long end = static_cast<long>(imported.size()) + shift;
  EXPECT_LE(std::labs(end - static_cast<long>(truth.size())), 1) << imported.size() << " records for " << truth.size();
  for (std::size_t i = 0; i < imported.size(); ++i) {
    const long k = static_cast<long>(i) + shift;
    if (k < 0 || k >= static_cast<long>(truth.size())) continue;
    for (std::size_t f = 0; f < 3; ++f) ASSERT_NEAR(imported[i][f], truth[static_cast<std::size_t>(k)][f], 2e-5) << i;
  }
}

// coastdown's results on the imported folder against the truth, no farther
// than its results on the simulator's own folder (give or take one unit of
// the report's last digit).
void ExpectAsCloseToTheTruth(const std::string& imported, const std::string& own, const std::string& truth) {
  const std::pair<const char*, double> results[] = {{"Amech: ", 0.01},   {"Bmech: ", 0.0001},
                                                    {"Cmech: ", 0.000001}, {"Caero: ", 0.000001},
                                                    {"Ctotl: ", 0.000001}, {"Cd:    ", 0.001}};
  for (const auto& [label, unit] : results) {
    const double want = testsupport::NumberAfter(truth, label);
    const double mine = testsupport::NumberAfter(imported, label);
    const double theirs = testsupport::NumberAfter(own, label);
    EXPECT_LE(std::fabs(mine - want), std::fabs(theirs - want) + unit) << label << mine << " and " << theirs
                                                                        << " against " << want;
  }
}

TEST(ImportSimulatedTest, LoggerFilesOfTheSimulatorsRunsGiveItsResults) {
  const Layout layouts[] = {
      {"comma, mph", ',', false, "time [s],speed [mph],wind [mph],yaw [deg]", 1.0, false},
      {"semicolon, decimal comma, km/h", ';', true, "Zeit [s];v [km/h];Wind [km/h];Gierwinkel [deg]", 1.609344, false},
      {"tab, clock, m/s", '\t', false, "Time\tVehicle Speed (m/s)\tRelative Wind (m/s)\tYaw angle", 0.44704, true},
  };
  for (const char* seed : {"1", "2"}) {
    testsupport::SimulatedFolder sim("--scenario light-wind --zero-runs 1 --cal-runs 2 --data-runs 4 --seed " +
                                     std::string(seed));
    ASSERT_EQ(sim.Analyse().status, 0);
    const std::string own = sim.Report();
    const std::vector<SimRun> runs = SimulatorRuns(sim.path);
    for (const Layout& layout : layouts) {
      for (const bool untrimmed : {false, true}) {
        SCOPED_TRACE(std::string(layout.name) + (untrimmed ? ", untrimmed" : "") + ", seed " + seed);
        ScratchDir dir;
        std::vector<std::string> args = kConditions;
        args.insert(args.end(), {"--out", dir / "imported"});
        std::string set;
        for (const SimRun& run : runs) {
          const std::string file = dir / (run.name + ".csv");
          double clock = 0.0;
          WriteFile(file, LoggerLines(run.records, layout, untrimmed, clock, true));
          const std::string runSet = "--" + importer::LowerAscii(run.name.substr(0, run.name.find('.')));
          if (runSet != set) args.push_back(set = runSet);
          args.push_back(file);
        }
        const importtest::Outcome o = importtest::RunImport(args);
        ASSERT_EQ(o.status, 0) << o.err;
        for (const SimRun& run : runs) {
          ExpectSameRecords(ReadRunFile(dir / ("imported/" + run.name)), run.records, run.name);
        }
        std::string command = ReadFile(dir / "imported/COMMAND");
        command.pop_back();
        EXPECT_EQ(command.substr(command.find(',')), sim.arguments.substr(sim.arguments.find(',')));
        ASSERT_EQ(testsupport::Run(COASTDOWN_EXE, {command}).status, 0);
        ExpectAsCloseToTheTruth(ReadFile(dir / "imported/VB6Output.txt"), own, sim.Truth());
      }
    }
  }
}

TEST(ImportSimulatedTest, ATestDayInOneRecordingGivesItsResults) {
  testsupport::SimulatedFolder sim("--scenario crosswind --zero-runs 2 --cal-runs 4 --data-runs 6 --seed 5");
  ASSERT_EQ(sim.Analyse().status, 0);
  const std::vector<SimRun> runs = SimulatorRuns(sim.path);
  const Layout layout{"semicolon, clock, km/h", ';', true, "Uhrzeit;v_kmh;wind_kmh;yaw_deg", 1.609344, true};
  ScratchDir dir;
  std::string text;
  double clock = 0.0;
  for (const SimRun& run : runs) text += LoggerLines(run.records, layout, true, clock, text.empty());
  WriteFile(dir / "day.csv", text);
  std::vector<std::string> args = kConditions;
  args.insert(args.end(), {"--out", dir / "imported", "--recording", dir / "day.csv", "--run-order", "zero:2,cal:4,data:6"});
  const importtest::Outcome o = importtest::RunImport(args);
  ASSERT_EQ(o.status, 0) << o.err;
  EXPECT_EQ(o.err, "");
  for (const SimRun& run : runs) {
    ExpectSameRecords(ReadRunFile(dir / ("imported/" + run.name)), run.records, run.name);
  }
  std::string command = ReadFile(dir / "imported/COMMAND");
  command.pop_back();
  EXPECT_EQ(command.substr(command.find(',')), sim.arguments.substr(sim.arguments.find(',')));
  ASSERT_EQ(testsupport::Run(COASTDOWN_EXE, {command}).status, 0);
  ExpectAsCloseToTheTruth(ReadFile(dir / "imported/VB6Output.txt"), sim.Report(), sim.Truth());
}

}  // namespace
