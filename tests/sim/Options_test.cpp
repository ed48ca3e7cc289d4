// The command line: what it accepts, in which order it applies, and every
// way it refuses a value (status 2 with a message naming the option).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Options.h"
#include "Scenario.h"
#include "SimTestSupport.h"

namespace {

using Args = std::vector<std::string>;

TEST(OptionsTest, RefusesBadCommandLinesWithStatusTwo) {
  const struct {
    Args args;
    const char* message;
  } cases[] = {
      {{}, "--out DIR is required"},
      {{"--weight", "3000"}, "--out DIR is required"},
      {{"--out", "x", "--colour", "red"}, "unknown option '--colour'"},
      {{"--out", "x", "-w", "3"}, "unexpected argument '-w'"},
      {{"--out", "x", "stray"}, "unexpected argument 'stray'"},
      {{"--out"}, "--out needs a value"},
      {{"--out", "x", "--weight"}, "--weight needs a value"},
      {{"--out", "x", "--weight", "--area", "20"}, "--weight needs a value"},
      {{"--out", "x", "--weight", "heavy"}, "--weight: 'heavy' is not a number"},
      {{"--out", "x", "--weight", "3500lb"}, "--weight: '3500lb' is not a number"},
      {{"--out", "x", "--weight", "nan"}, "--weight: 'nan' is not a number"},
      {{"--out", "x", "--weight", "-3500"}, "--weight must be above 0"},
      {{"--out", "x", "--weight", "0"}, "--weight must be above 0"},
      {{"--out", "x", "--area", "0"}, "--area must be above 0"},
      {{"--out", "x", "--cd", "-0.1"}, "--cd must be from 0"},
      {{"--out", "x", "--mech-a", "-1"}, "--mech-a must be from 0"},
      {{"--out", "x", "--mech-a", "0", "--mech-b", "0", "--mech-c", "0", "--cd", "0"}, "no road load"},
      {{"--out", "x", "--temperature", "200"}, "--temperature must be from -40 to 130 F"},
      {{"--out", "x", "--pressure", "0"}, "--pressure must be from 20 to 33 inHg"},
      {{"--out", "x", "--coast-low", "70", "--coast-high", "70"}, "--coast-low (70 mph) must be below --coast-high"},
      {{"--out", "x", "--coast-low", "50", "--coast-high", "40"}, "--coast-low (50 mph) must be below --coast-high"},
      {{"--out", "x", "--coast-low", "0"}, "--coast-low must be above 0"},
      {{"--out", "x", "--cal-runs", "22"}, "--cal-runs must be from 0 to 20"},
      {{"--out", "x", "--cal-runs", "3"}, "--cal-runs must be even"},
      {{"--out", "x", "--cal-runs", "two"}, "--cal-runs: 'two' is not a whole number"},
      {{"--out", "x", "--cal-runs", "2.5"}, "--cal-runs: '2.5' is not a whole number"},
      {{"--out", "x", "--zero-runs", "-1"}, "--zero-runs must be from 0 to 20"},
      {{"--out", "x", "--data-runs", "0"}, "--data-runs must be from 1 to 100"},
      {{"--out", "x", "--data-runs", "101"}, "--data-runs must be from 1 to 100"},
      {{"--out", "x", "--cal-duration", "2"}, "--cal-duration must be from 3"},
      {{"--out", "x", "--cal-speeds", "30,,60"}, "--cal-speeds: '' is not a number"},
      {{"--out", "x", "--cal-speeds", "30,-45"}, "--cal-speeds must be above 0"},
      {{"--out", "x", "--step", "0.02"}, "--step must be above 0 and at most 0.01"},
      {{"--out", "x", "--step", "0.003"}, "--step must divide the 0.2 s record interval"},
      {{"--out", "x", "--anemo-gain", "2"}, "--anemo-gain must be from 0.7 to 1.3"},
      {{"--out", "x", "--anemo-misalign", "-12"}, "--anemo-misalign must be from -10 to 10"},
      {{"--out", "x", "--anemo-loss", "0.01"}, "--anemo-loss must be from"},
      {{"--out", "x", "--anemo-noise", "-0.1"}, "--anemo-noise must be from 0"},
      {{"--out", "x", "--wind-speed", "-1"}, "--wind-speed must be from 0"},
      {{"--out", "x", "--wind-drift", "6"}, "--wind-drift must be from 0 to 5"},
      {{"--out", "x", "--wind-speed", "14"}, "must stay below the slowest driving speed (15 mph)"},
      {{"--out", "x", "--cal-speeds", "6,40"}, "must stay below the slowest driving speed (6 mph)"},
      {{"--out", "x", "--seed", "-4"}, "--seed: '-4' is not a whole number"},
      {{"--out", "x", "--seed", "18446744073709551616"}, "--seed: '18446744073709551616' is not a whole number"},
      {{"--out", "x", "--scenario", "blizzard"}, "unknown scenario 'blizzard'"},
      {{"--out", "a,b"}, "must not hold a comma"},
      {{"--out", "a\"b"}, "must not hold a comma or a double quote"},
      {{"--out="}, "--out: the folder name is empty"},
      {{"--out", "x", "--known-cd", "0"}, "--known-cd must be above 0"},
  };
  for (const auto& c : cases) {
    std::string joined;
    for (const std::string& a : c.args) joined += a + " ";
    SCOPED_TRACE(joined);
    const simtest::Outcome o = simtest::RunSim(c.args);
    EXPECT_EQ(o.status, 2);
    EXPECT_NE(o.err.find(c.message), std::string::npos) << o.err;
    EXPECT_EQ(o.err.rfind("coastdown-sim: ", 0), 0u) << o.err;
    EXPECT_TRUE(o.out.empty());
  }
}

TEST(OptionsTest, ScenarioFirstThenOptionsInOrderLastOneCounting) {
  const sim::SimConfig c =
      sim::ParseOptions({"--weight", "4000", "--out", "d", "--scenario", "hot-day", "--weight=4200",
                         "--wind-speed", "2", "--wind-direction", "-45", "--cal-speeds", "25,50", "--seed", "9"})
          .config;
  EXPECT_EQ(c.scenario, "hot-day");
  EXPECT_EQ(c.conditions.temperatureF, 95.0);  // from the scenario
  EXPECT_EQ(c.vehicle.weightLb, 4200.0);       // the later of two
  EXPECT_EQ(c.wind.speedMph, 2.0);             // option beats scenario
  EXPECT_EQ(c.wind.directionDeg, -45.0);       // a negative number is a value
  EXPECT_EQ(c.runs.calSpeedsMph, (std::vector<double>{25.0, 50.0}));
  EXPECT_EQ(c.seed, 9u);
  EXPECT_EQ(c.outDir, "d");
  // truth.txt records the options as given, --out left out and --name=value
  // written as two words, so that they remake the folder anywhere.
  EXPECT_EQ(c.optionText,
            "--weight 4000 --scenario hot-day --weight 4200 --wind-speed 2 --wind-direction -45 --cal-speeds 25,50 "
            "--seed 9");
}

TEST(OptionsTest, EveryScenarioIsValidAsItStands) {
  std::vector<std::string> names;
  for (const sim::ScenarioInfo& s : sim::Scenarios()) {
    names.push_back(s.name);
    EXPECT_NO_THROW(sim::ParseOptions({"--out", "d", "--scenario", s.name})) << s.name;
  }
  EXPECT_EQ(names, (std::vector<std::string>{"still-air", "light-wind", "crosswind", "anemometer-errors", "noisy",
                                             "hot-day", "truck"}));
  EXPECT_EQ(sim::ParseOptions({"--out", "d"}).config.scenario, "light-wind");
  EXPECT_EQ(sim::ParseOptions({"--out", "d", "--scenario", "still-air"}).config.wind.speedMph, 0.0);
}

TEST(OptionsTest, HelpWinsAndDocumentsOptionsScenariosAndExitStatuses) {
  for (const Args& args : {Args{"--help"}, Args{"-h"}, Args{"--out", "x", "--bogus", "--help"}}) {
    const simtest::Outcome o = simtest::RunSim(args);
    EXPECT_EQ(o.status, 0);
    EXPECT_TRUE(o.err.empty());
    for (const char* text : {"--out DIR", "--weight LB", "--mech-a LBF", "--wind-direction DEG", "--anemo-gain G",
                             "--cal-runs N", "--seed N", "truck", "crosswind", "Exit status", "  2  usage error"}) {
      EXPECT_NE(o.out.find(text), std::string::npos) << text;
    }
  }
}

}  // namespace
