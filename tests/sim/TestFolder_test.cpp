// Whole test folders as coastdown reads them: files, an earlier test that is
// never written over by accident, the command, and failures. (The shipped
// example, remade byte for byte by the end-to-end tests, pins the rest of
// the format and that the same options make the same bytes.)
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "Command.h"
#include "SimTestSupport.h"
#include "Vehicle.h"

namespace {

using testsupport::ReadFile;
using testsupport::ScratchDir;
using simtest::FileNames;
using simtest::kSmall;
using simtest::RunSim;

TEST(TestFolderTest, WritesTheRunSetsTruthAndCommand) {
  ScratchDir dir;
  const std::string out = dir / "t1/nested";
  const simtest::Outcome o =
      RunSim("--out " + out + "/ --zero-runs 1 --cal-runs 4 --data-runs 3 --cal-duration 10 --zero-duration 8");
  ASSERT_EQ(o.status, 0) << o.err;
  EXPECT_EQ(o.out, "coastdown " + out + ",True,True,15,70,3500,68,29.92,22.5,\n");
  EXPECT_EQ(ReadFile(out + "/COMMAND"), out + ",True,True,15,70,3500,68,29.92,22.5,\n");
  EXPECT_EQ(FileNames(out), "CAL.1 CAL.2 CAL.3 CAL.4 COMMAND DATA.1 DATA.2 DATA.3 ZERO.1 truth.txt ");
  // Five records a second from time 0; CAL pairs step through
  // --cal-speeds; a coastdown runs from 70 to just below 15 mph.
  const std::string zero = ReadFile(out + "/ZERO.1"), cal = ReadFile(out + "/CAL.3"), data = ReadFile(out + "/DATA.2");
  EXPECT_EQ(std::count(zero.begin(), zero.end(), '\n'), 41);
  EXPECT_EQ(std::count(cal.begin(), cal.end(), '\n'), 51);
  EXPECT_NEAR(std::stod(cal), 45.0, 0.1);
  EXPECT_NEAR(std::stod(data), 70.0, 0.1);
  EXPECT_NEAR(std::stod(data.substr(data.rfind('\n', data.size() - 3) + 1)), 14.95, 0.15);
  EXPECT_NE(ReadFile(out + "/truth.txt").find("\r\nAmech: 30.00\r\n"), std::string::npos);
}

TEST(TestFolderTest, AnEarlierTestIsKeptUnlessForced) {
  const struct {
    std::vector<const char*> files;  // in the folder before, each holding "mine"
    const char* options;
    const char* message;  // after "the folder F already holds "; empty: written
    const char* after;
    const char* loggerAfter = nullptr;  // the files in logger/ after
  } cases[] = {
      {{"notes.txt", "DATA.backup", "truth.txt"}, "", "",
       "CAL.1 CAL.2 COMMAND DATA.1 DATA.backup ZERO.1 notes.txt truth.txt "},
      {{"ZERO.3"}, "", "1 ZERO run file; use --force", "ZERO.3 "},
      {{"VB6Output.txt"}, "", "a report (VB6Output.txt); use --force", "VB6Output.txt "},
      {{"CAL.1", "CAL.7", "DATA.1", "VB6Output.txt", "notes.txt"}, "",
       "2 CAL and 1 DATA run files and a report (VB6Output.txt); use --force to replace that test, or another folder",
       "CAL.1 CAL.7 DATA.1 VB6Output.txt notes.txt "},
      // Forced, old run files go, so that they cannot join the new sets.
      {{"CAL.1", "CAL.7", "DATA.1", "DATA.2", "VB6Output.txt", "notes.txt"}, " --force", "",
       "CAL.1 CAL.2 COMMAND DATA.1 VB6Output.txt ZERO.1 notes.txt truth.txt "},
      // Logger files too may be a user's only recording; forced, those of
      // the simulator's names go.
      {{"logger/day.csv", "logger/notes.txt"}, " --logger-csv per-run", "1 logger file in logger; use --force",
       "logger ", "day.csv notes.txt "},
      {{"DATA.1", "logger/data01.csv", "logger/cal02.csv", "VB6Output.txt"}, "",
       "1 DATA run file, 2 logger files in logger and a report (VB6Output.txt)", "DATA.1 VB6Output.txt logger "},
      {{"logger/data07.csv", "logger/notes.txt", "logger/day.csv"}, " --force --logger-csv per-run", "",
       "CAL.1 CAL.2 COMMAND DATA.1 ZERO.1 logger truth.txt ",
       "cal01.csv cal02.csv data01.csv notes.txt zero01.csv "},
  };
  for (const auto& c : cases) {
    ScratchDir dir;
    for (const char* name : c.files) {
      std::filesystem::create_directories(std::filesystem::path(dir / name).parent_path());
      testsupport::WriteFile(dir / name, "mine");
    }
    const simtest::Outcome o = RunSim("--out " + dir.path() + kSmall + c.options);
    SCOPED_TRACE(c.after);
    EXPECT_EQ(FileNames(dir.path()), c.after);
    if (c.loggerAfter != nullptr) {
      EXPECT_EQ(FileNames(dir / "logger"), c.loggerAfter);
    }
    if (*c.message == '\0') {
      EXPECT_EQ(o.status, 0) << o.err;
      EXPECT_NE(ReadFile(dir / "DATA.1"), "mine");
      continue;
    }
    EXPECT_EQ(o.status, 1);
    EXPECT_EQ(o.err.rfind("coastdown-sim: the folder " + dir.path() + " already holds " + c.message, 0), 0u) << o.err;
    for (const char* name : c.files) EXPECT_EQ(ReadFile(dir / name), "mine") << name;
  }
}

TEST(TestFolderTest, WithoutAnAnemometerTheWindColumnsHoldZeroAndTheSpeedsStay) {
  for (const char* options : {" --rate 10", " --untrimmed --scenario crosswind"}) {
    ScratchDir dir;
    const std::string common = std::string(options) + kSmall + " --seed 3";
    ASSERT_TRUE(simtest::Simulated(dir / "with", common));
    ASSERT_TRUE(simtest::Simulated(dir / "without", common + " --no-anemometer"));
    for (const char* run : {"ZERO.1", "CAL.2", "DATA.1"}) {
      const std::string with = ReadFile(dir / "with/" + run), without = ReadFile(dir / "without/" + run);
      ASSERT_EQ(std::count(with.begin(), with.end(), '\n'), std::count(without.begin(), without.end(), '\n'));
      for (std::size_t a = 0, b = 0; a < with.size(); a = with.find('\n', a) + 1, b = without.find('\n', b) + 1) {
        const std::string speed = with.substr(a, with.find(',', a) - a);
        ASSERT_EQ(without.substr(b, without.find('\r', b) - b), speed + ",0.000000,0.000000") << run << options;
      }
    }
  }
}

TEST(TestFolderTest, TheYawCurveIsTheVehiclesDrag) {
  for (const char* options : {"", " --scenario truck", " --cd-yaw 0"}) {
    ScratchDir dir;
    ASSERT_TRUE(simtest::Simulated(dir.path(), options + kSmall + " --yaw-curve-file"));
    const std::string text = ReadFile(dir / "yawcurve.csv");
    ASSERT_EQ(text.rfind("yaw,ratio\r\n0,1\r\n", 0), 0u) << text;
    const sim::Vehicle vehicle(simtest::Config(options).vehicle, 1.2);
    int yaw = 0;
    for (std::size_t at = text.find('\n') + 1; at < text.size(); at = text.find('\n', at) + 1, ++yaw) {
      EXPECT_EQ(std::stoi(text.substr(at)), yaw);
      const double ratio = vehicle.AeroForce({20.0, static_cast<double>(yaw)}) / vehicle.AeroForce({20.0, 0.0});
      EXPECT_NEAR(std::stod(text.substr(text.find(',', at) + 1)), ratio, 1e-11) << options << " at " << yaw;
    }
    EXPECT_EQ(yaw, 31);
  }
}

TEST(CommandTest, FieldsAndTheFolderAsTyped) {
  sim::SimConfig c = simtest::Config("--scenario truck --known-cd 0.62 --cal-runs 0 --temperature 50.5");
  c.outDir = "/data/My Tests/run 1//";
  EXPECT_EQ(sim::CoastdownCommandLine(sim::CoastdownArguments(c)),
            "coastdown \"/data/My Tests/run 1,False,True,15,60,36000,50.5,29.92,105,0.62\"");
  for (const auto& [typed, argument] : {std::pair<const char*, const char*>{"/", "/"}, {"///", "/"}, {"a/b/", "a/b"}}) {
    EXPECT_EQ(sim::NativePath(typed), argument);
  }
  // Not to be taken for one of coastdown's options.
  c.outDir = "--odd";
  EXPECT_EQ(sim::CoastdownArguments(c).substr(0, 8), "./--odd,");
  // Run files at another rate than five records a second are read at it.
  EXPECT_EQ(sim::CoastdownCommandLine("t,False", 10), "coastdown --rate 10 t,False");
}

TEST(CommandTest, WordsThatBothShellsReadBackElseThePlatformForm) {
  const struct {
    const char* word;
    const char* posix;
    const char* cmd;  // nullptr: as for a POSIX shell
  } cases[] = {
      {"examples/light-wind,True,22.5,", "examples/light-wind,True,22.5,", nullptr},
      {"/data/My Tests/run 1,False", "\"/data/My Tests/run 1,False\"", nullptr},
      {"it's (1) & <a|b> ^c;*?~#", "\"it's (1) & <a|b> ^c;*?~#\"", nullptr},
      {"C:\\tests\\t 1\\x,True", "\"C:\\tests\\t 1\\x,True\"", nullptr},
      {"", "\"\"", nullptr},
      // No common form.
      {"100%,x", "'100%,x'", "\"100\"^%\",x\""},
      {"$HOME `x` !", "'$HOME `x` !'", "\"$HOME `x` !\""},
      {"\\\\server\\share", "'\\\\server\\share'", "\"\\\\server\\share\""},
      {"dir\\", "'dir\\'", "\"dir\\\\\""},
      {"it's \"q\\\"", "'it'\\''s \"q\\\"'", "\"it's \"\\^\"\"q\\\\\"\\^\"\"\""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(sim::CommandWord(c.word, sim::Shell::Posix), c.posix) << c.word;
    EXPECT_EQ(sim::CommandWord(c.word, sim::Shell::Cmd), c.cmd ? c.cmd : c.posix) << c.word;
    // A POSIX shell takes the word back as it was, as one word.
    const std::string echoed = testsupport::Run("/bin/sh", {"-c", "printf '%s|' " + std::string(c.posix)}).out;
    EXPECT_EQ(echoed, std::string(c.word) + "|");
  }
}

TEST(TestFolderTest, FailuresAreStatusOneAndWriteNothing) {
  ScratchDir dir;
  testsupport::WriteFile(dir / "plain", "a file, not a folder");
  // 200000 lb with almost no load takes far longer than a run may last; a
  // short coast at 1000 records a second and what an untrimmed file holds
  // around it do not fit a run file.
  for (const auto& [args, message] :
       {std::pair<std::string, std::string>{"--out " + dir / "plain", ""},
        {"--out " + dir / "slow" + " --scenario still-air --weight 200000 --mech-a 0 --mech-b 0 --mech-c 0 --cd 0.01",
         "DATA.1 does not slow down to 15 mph"},
        {"--out " + dir / "slow" + " --rate 1000 --step 0.001 --untrimmed --coast-high 20 --zero-runs 0 --cal-runs 0",
         "DATA.1 with the driving around its coast holds 4"}}) {
    const simtest::Outcome o = RunSim(args + " --data-runs 1");
    EXPECT_EQ(o.status, 1);
    EXPECT_EQ(o.err.rfind("coastdown-sim: " + message, 0), 0u) << o.err;
    EXPECT_EQ(o.out, "");
  }
  EXPECT_FALSE(std::filesystem::exists(dir / "slow"));
}

}  // namespace
