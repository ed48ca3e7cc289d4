// coastdown-import run as a user runs it, on logger files the tests write:
// the same runs in every layout give the same run files, a run file the
// simulator could have written passes unchanged, a recording of a test day
// becomes its runs, an earlier test is never written over, and every
// mistake ends with its message and status before anything is written.
#include "App.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>

#include "ImportTestSupport.h"

namespace {

using importtest::CsvText;
using importtest::Drive;
using importtest::kByPosition;
using importtest::kConditions;
using importtest::Layout;
using importtest::Outcome;
using importtest::RunImport;
using testsupport::ReadFile;
using testsupport::ScratchDir;
using testsupport::WriteFile;

// The conditions, then `args` (which may end in a list of files).
std::vector<std::string> Args(const std::vector<std::string>& args) {
  std::vector<std::string> all = kConditions;
  all.insert(all.end(), args.begin(), args.end());
  return all;
}

std::string Utf16(const std::string& text) {
  std::string bytes = "\xFF\xFE";
  for (char c : text) bytes += std::string{c, '\0'};
  return bytes;
}

TEST(ImportAppTest, EveryLayoutGivesTheSameRunFiles) {
  const Layout layouts[] = {
      {"comma, km/h"},
      {"semicolon, decimal comma", ';', true, "Zeit [s];Geschwindigkeit [km/h];Windgeschwindigkeit [km/h];Gierwinkel [deg]"},
      {"tab, decimal comma, clock", '\t', true, "Uhrzeit\tv_kmh\twind_kmh\tyaw_deg", 3.6, true, "\n"},
      {"mph", ',', false, "Time,Vehicle Speed (mph),Relative Wind (mph),Yaw angle", 1 / 0.44704},
      {"blanks, m/s, no header", ' ', false, nullptr, 1.0},
      {"UTF-16", ',', false, "t,speed [km/h],wind [km/h],yaw [deg]"},
  };
  const std::vector<Drive> drives = {Drive{}, Drive{.hold = 10, .brake = 1.0, .seed = 2}};
  std::vector<std::vector<std::vector<double>>> first;
  for (const Layout& layout : layouts) {
    SCOPED_TRACE(layout.name);
    ScratchDir dir;
    std::vector<std::string> args = Args({"--out", dir / "test", "--data"});
    for (std::size_t k = 0; k < drives.size(); ++k) {
      const std::string name = dir / ("run" + std::to_string(k + 1) + ".csv");
      const std::string text = CsvText(drives[k].Sample(), layout);
      WriteFile(name, std::string(layout.name) == "UTF-16" ? Utf16(text) : text);
      args.push_back(name);
    }
    if (layout.header == nullptr) args.insert(args.end(), kByPosition.begin(), kByPosition.end());
    const Outcome o = RunImport(args);
    ASSERT_EQ(o.status, 0) << o.err;
    EXPECT_EQ(ReadFile(dir / "test/COMMAND"), dir / "test" + ",False,False,15,70,3500,68,29.92,22.5,\n");
    EXPECT_NE(o.out.find("\ncoastdown " + dir / "test" + ",False,False,15,70,3500,68,29.92,22.5,\n"), std::string::npos);
    EXPECT_EQ(ReadFile(dir / "test/SUMMARY.txt"), o.out.substr(0, o.out.rfind("\ncoastdown ")));
    for (std::size_t k = 0; k < drives.size(); ++k) {
      const auto records = importtest::RunFileRecords(ReadFile(dir / ("test/DATA." + std::to_string(k + 1))));
      // The coast at five records a second, from 70 mph down to 15.
      EXPECT_NEAR(static_cast<double>(records.size()), drives[k].CoastLength() * 5, 2.0);
      EXPECT_NEAR(records.front()[0], 70.0, 0.1);
      EXPECT_NEAR(records.back()[0], 15.0, 0.1);
      EXPECT_NEAR(records.front()[1], 70.0 + 2 / 0.44704, 0.1);
      EXPECT_DOUBLE_EQ(records.front()[2], 1.5);
      if (first.size() <= k) first.push_back(records);  // the first layout's, which the others must match
      ASSERT_EQ(records.size(), first[k].size());
      for (std::size_t i = 0; i < records.size(); ++i) {
        for (std::size_t f = 0; f < 3; ++f) ASSERT_NEAR(records[i][f], first[k][i][f], 1e-5) << i;  // six decimals in another unit
      }
    }
  }
}

TEST(ImportAppTest, ARunFileAsTheSimulatorWritesItPassesUnchanged) {
  // Five records a second of an already trimmed coast in mph with six
  // decimals: every record kept as it was, CR LF.
  Drive d;
  d.rate = 5;
  d.after = Drive::After::End;
  d.phase = d.CoastStart();
  const Drive::Trace trace = d.Sample();
  std::string csv = "time,speed [mph],wind [mph],yaw [deg]\n";
  std::string expected;
  for (std::size_t i = 0; i < trace.time.size(); ++i) {
    char line[128];
    std::snprintf(line, sizeof line, "%.6f,%.6f,%.6f", trace.speed[i] / 0.44704, trace.speed[i] / 0.44704 + 3.0,
                  -2.25 + 0.001 * static_cast<double>(i % 7));
    csv += std::to_string(0.2 * static_cast<double>(i)) + "," + line + "\n";
    expected += std::string(line) + "\r\n";
  }
  ScratchDir dir;
  WriteFile(dir / "coast.csv", csv);
  const Outcome o = RunImport(Args({"--out", dir / "t", "--data", dir / "coast.csv"}));
  ASSERT_EQ(o.status, 0) << o.err;
  EXPECT_EQ(ReadFile(dir / "t/DATA.1"), expected);
  EXPECT_NE(o.out.find("        before: nothing cut\n        after: nothing cut\n"), std::string::npos) << o.out;
}

// A test day in one recording: a ZERO run, a CAL pair, four coastdowns.
std::string TestDay() {
  auto steady = [](double kmh, std::uint64_t seed) {
    return Drive{.hold = 30, .high = kmh / 3.6, .low = kmh / 3.6 - 0.02, .seed = seed};
  };
  std::vector<Drive> runs = {steady(80, 1), steady(48, 2), steady(48, 3)};
  for (std::uint64_t seed = 4; seed <= 7; ++seed) runs.push_back(Drive{.seed = seed});
  const Layout layout{"clock", ';', true, "Zeit;v [km/h];Wind [km/h];Yaw [deg]", 3.6, true};
  std::string text;
  double offset = 0.0;
  for (const Drive& d : runs) {
    const std::string part = CsvText(d.Sample(), layout, offset);
    text += text.empty() ? part : part.substr(part.find('\n') + 1);
    offset += d.Duration() + 0.1;
  }
  return text;
}

TEST(ImportAppTest, ARecordingOfATestDayBecomesItsRuns) {
  ScratchDir dir;
  WriteFile(dir / "day.csv", TestDay());
  const struct {
    std::vector<std::string> order;
    int status;
    const char* counts;  // the summary's first line after the version
    const char* command;  // CALIBRATE,ZERO
    const char* err;      // a line standard error holds
  } cases[] = {
      {{}, 0, "0 ZERO runs, 0 CAL runs and 4 DATA runs", "False,False",
       "coastdown-import: warning: run 1: " },
      {{"--run-order", "zero,cal:2,data:4"}, 0, "1 ZERO run, 2 CAL runs and 4 DATA runs", "True,True", ""},
      {{"--run-order", "zero,cal:2,data,skip,data:2"}, 0, "1 ZERO run, 2 CAL runs and 3 DATA runs", "True,True",
       "coastdown-import: warning: DATA.1 and DATA.2 are runs 4 and 6 of the recordings, which went the same way if "
       "the runs alternate, but coastdown takes them as opposite: leave out runs in pairs\n"},
      {{"--run-order", "zero,cal:2,data:3"}, 1, nullptr, nullptr,
       "coastdown-import: --run-order gives 6 runs, but the recordings hold 7:\n  run 1: "},
  };
  for (const auto& c : cases) {
    std::vector<std::string> args = Args({"--out", dir / "t", "--force", "--recording", dir / "day.csv"});
    args.insert(args.end(), c.order.begin(), c.order.end());
    const Outcome o = RunImport(args);
    SCOPED_TRACE(o.err);
    EXPECT_EQ(o.status, c.status);
    EXPECT_NE(o.err.find(c.err), std::string::npos);
    if (c.status != 0) continue;
    EXPECT_EQ(o.out.rfind(std::string("coastdown-import 1.0.2: ") + c.counts, 0), 0u) << o.out;
    EXPECT_NE(ReadFile(dir / "t/COMMAND").find(std::string(",") + c.command + ",15,70,"), std::string::npos);
  }
}

TEST(ImportAppTest, FilesOutOfDrivingOrderAreWarnedAbout) {
  // Numbered in the order given: by the numbers in their names, a shell
  // would have put run10 before run9; by their clock times, run9 was
  // recorded after run10.
  ScratchDir dir;
  const Layout clock{"clock", ',', false, "time,speed [km/h],wind [km/h],yaw [deg]", 3.6, true};
  WriteFile(dir / "run10.csv", CsvText(Drive{}.Sample(), clock));
  WriteFile(dir / "run9.csv", CsvText(Drive{.seed = 2}.Sample(), clock, 1000.0));
  Outcome o = RunImport(Args({"--out", dir / "a", "--data", dir / "run10.csv", dir / "run9.csv"}));
  EXPECT_EQ(o.status, 0);
  EXPECT_EQ(o.err,
            "coastdown-import: warning: DATA files are numbered in the order given, and the numbers in their names are "
            "not in that order (a shell sorts run10 before run2): give them in driving order\n");
  o = RunImport(Args({"--out", dir / "b", "--data", dir / "run9.csv", dir / "run10.csv"}));
  EXPECT_EQ(o.err,
            "coastdown-import: warning: DATA files are numbered in the order given, and their clock times are not in "
            "that order: give them in driving order\n");
}

TEST(ImportAppTest, HeadingsTellTheRunsDirections) {
  // A GPS course: runs along 80 and 260 degrees alternate; two the same way
  // in a row are what coastdown would take as opposite.
  const Layout gps{"gps", ',', false, "time,speed [km/h],wind [km/h],yaw [deg],course"};
  const struct {
    std::vector<double> headings;
    const char* err;
  } cases[] = {
      {{80, 260, 81, 259}, ""},
      {{80, 260, 261, 80}, "coastdown-import: warning: DATA.2 and DATA.3 go the same way (headings 260 and 261 degrees), "
                           "but coastdown takes them as opposite: leave out runs in pairs\n"},
      {{80, 170, 260, 350}, "coastdown-import: warning: the headings do not keep to one axis (concentration 0.00 of 1): "
                            "the runs' directions are not checked\n"},
  };
  for (const auto& c : cases) {
    ScratchDir dir;
    std::vector<std::string> args = Args({"--out", dir / "t", "--data"});
    for (std::size_t k = 0; k < c.headings.size(); ++k) {
      args.push_back(dir / ("run" + std::to_string(k + 1) + ".csv"));
      WriteFile(args.back(), CsvText(Drive{.seed = k + 1}.Sample(), gps, 0.0, c.headings[k]));
    }
    const Outcome o = RunImport(args);
    EXPECT_EQ(o.status, 0);
    EXPECT_EQ(o.err, c.err);
    if (*c.err == '\0') {
      EXPECT_NE(o.out.find(" records, heading 259 deg\n"), std::string::npos) << o.out;
    }
  }
}

// The names in a folder, sorted, each followed by a blank.
std::string FileNames(const std::string& folder) {
  std::set<std::string> names;
  for (const auto& e : std::filesystem::directory_iterator(folder)) names.insert(e.path().filename());
  std::string text;
  for (const std::string& name : names) text += name + " ";
  return text;
}

TEST(ImportAppTest, AnEarlierTestAndTheLoggerFilesAreKept) {
  const std::string csv = CsvText(Drive{}.Sample(), Layout{"comma"});
  const struct {
    std::vector<const char*> files;  // in the folder before, each holding "mine"
    const char* input;               // the logger file's name (in the folder when it has no '/')
    bool force;
    const char* message;  // after "coastdown-import: ", {F} the folder; empty: written
    const char* after;
  } cases[] = {
      {{"notes.txt", "DATA.backup"}, "../in.csv", false, "", "COMMAND DATA.1 DATA.backup SUMMARY.txt notes.txt "},
      {{"CAL.1", "DATA.1", "DATA.2", "VB6Output.txt"}, "../in.csv", false,
       "the folder {F} already holds 1 CAL and 2 DATA run files and a report (VB6Output.txt); use --force to replace "
       "that test, or another folder",
       "CAL.1 DATA.1 DATA.2 VB6Output.txt "},
      {{"CAL.1", "DATA.1", "DATA.2", "VB6Output.txt"}, "../in.csv", true, "",
       "COMMAND DATA.1 SUMMARY.txt VB6Output.txt "},
      // A logger file in the folder is never written over or removed.
      {{}, "in.csv", false, "", "COMMAND DATA.1 SUMMARY.txt in.csv "},
      {{"DATA.1"}, "DATA.1", true, "{F}/DATA.1 is a run file of the folder {F}, which --force would remove; copy it "
                                   "elsewhere first", "DATA.1 "},
      {{}, "COMMAND", false, "{F}/COMMAND would be replaced by the COMMAND the import writes; copy it elsewhere first",
       "COMMAND "},
  };
  for (const auto& c : cases) {
    ScratchDir dir;
    const std::string folder = dir / "f";
    std::filesystem::create_directory(folder);
    for (const char* name : c.files) WriteFile(folder + "/" + name, "mine");
    const std::string input = folder + "/" + c.input;
    WriteFile(input, csv);
    std::vector<std::string> args = Args({"--out", folder, "--data", input});
    if (c.force) args.push_back("--force");
    const Outcome o = RunImport(args);
    SCOPED_TRACE(c.after);
    EXPECT_EQ(FileNames(folder), c.after);
    EXPECT_EQ(ReadFile(input), csv);
    if (*c.message == '\0') {
      EXPECT_EQ(o.status, 0) << o.err;
      continue;
    }
    std::string message = "coastdown-import: " + std::string(c.message) + "\n";
    for (std::size_t at; (at = message.find("{F}")) != std::string::npos;) message.replace(at, 3, folder);
    EXPECT_EQ(o.status, 1);
    EXPECT_EQ(o.err, message);
    for (const char* name : c.files) {
      if (std::string(name) != c.input) {
        EXPECT_EQ(ReadFile(folder + "/" + name), "mine") << name;
      }
    }
  }
}

TEST(ImportAppTest, MistakesEndBeforeAnythingIsWritten) {
  ScratchDir dir;
  WriteFile(dir / "good.csv", CsvText(Drive{}.Sample(), Layout{"comma"}));
  WriteFile(dir / "hidden.csv", "t,v [km/h]\r\n0,12.5\r\n0.1,12.5\r\n0.2,12.4\xC2\xA0\r\n0.3,12.4\r\n");
  WriteFile(dir / "standing.csv", "t,v [km/h]\n0,0\n0.1,0\n0.2,0\n0.3,0\n0.4,0\n0.5,0\n0.6,0\n0.7,0\n0.8,0\n0.9,0\n1,0\n");
  const struct {
    std::vector<std::string> args;
    int status;
    std::string err;  // standard error starts with it
  } cases[] = {
      {{"--data", dir / "good.csv"}, 2, "coastdown-import: --out DIR is required\nTry 'coastdown-import --help'"},
      {{"--out", dir / "t", "--data", dir / "missing.csv"}, 1, "coastdown-import: " + dir / "missing.csv" + ": no such file\n"},
      {{"--out", dir / "t", "--data", dir / "good.csv\r"}, 1,
       "coastdown-import: \"" + dir / "good.csv\\r" + "\": no such file\n"},
      {{"--out", dir / "t", "--data", dir / "hidden.csv"}, 1,
       "coastdown-import: " + dir / "hidden.csv" + ", line 4, \"v [km/h]\" (column 2): \"12.4\\u00A0\" is not a number "
       "(a number with hidden characters)\n"},
      {{"--out", dir / "t", "--data", dir / "standing.csv"}, 1,
       "coastdown-import: " + dir / "standing.csv" + " (DATA.1): no coast found: no stretch in which the speed falls "
       "steadily; give --no-trim if the file holds nothing else\n"},
      {{"--out", dir / "t", "--data", dir / "good.csv", dir / "./good.csv"}, 1,
       "coastdown-import: " + dir / "good.csv" + " and " + dir / "./good.csv" + " are the same file: each run is given "
       "once\n"},
      {{"--out", dir / "t", "--data", dir / "good.csv", "--speed-column", "9"}, 2,
       "coastdown-import: --speed-column 9: " + dir / "good.csv" + " has columns 1 to 4\n"},
  };
  for (const auto& c : cases) {
    const Outcome o = RunImport(Args(c.args));
    EXPECT_EQ(o.status, c.status) << o.err;
    EXPECT_EQ(o.err.rfind(c.err, 0), 0u) << o.err;
    EXPECT_FALSE(std::filesystem::exists(dir / "t"));
  }
}

}  // namespace
