// The command line: what it accepts, in which order it applies, and the ways
// it refuses a value (status 2 with a message naming the option).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Options.h"
#include "Scenario.h"
#include "SimTestSupport.h"

namespace {

TEST(OptionsTest, RefusesBadCommandLinesWithStatusTwo) {
  // No folder can be made under /dev/null, so a row a faulty check lets
  // through fails without writing anything.
  const struct {
    const char* args;
    const char* message;
  } cases[] = {
      {"", "--out DIR is required"},
      {"--out /dev/null/x --colour red", "unknown option '--colour'"},
      {"--out /dev/null/x -w 3", "unexpected argument '-w'"},
      {"--out", "--out needs a value"},
      {"--out /dev/null/x --weight --area 20", "--weight needs a value"},
      {"--out /dev/null/x --weight 3500lb", "--weight: '3500lb' is not a number"},
      {"--out /dev/null/x --weight nan", "--weight: 'nan' is not a number"},
      {"--out /dev/null/x --weight 0", "--weight must be above 0"},
      {"--out /dev/null/x --cd -0.1", "--cd must be from 0"},
      {"--out /dev/null/x --mech-a 0 --mech-b 0 --mech-c 0 --cd 0", "no road load"},
      {"--out /dev/null/x --coast-low 70 --coast-high 70", "--coast-low (70 mph) must be below --coast-high"},
      {"--out /dev/null/x --cal-runs 3", "--cal-runs must be even"},
      {"--out /dev/null/x --cal-runs 2.5", "--cal-runs: '2.5' is not a whole number"},
      {"--out /dev/null/x --data-runs 101", "--data-runs must be from 1 to 100"},
      {"--out /dev/null/x --cal-speeds 30,,60", "--cal-speeds: '' is not a number"},
      {"--out /dev/null/x --cal-speeds 30,-45", "--cal-speeds must be above 0"},
      {"--out /dev/null/x --step 0.003", "--step must divide the 0.2 s record interval"},
      {"--out /dev/null/x --anemo-loss 0.01", "--anemo-loss must be from"},
      {"--out /dev/null/x --wind-drift 6", "--wind-drift must be from 0 to 5"},
      {"--out /dev/null/x --gust 3", "3 x --gust = 15 mph) must stay below the slowest driving speed (15 mph)"},
      {"--out /dev/null/x --cal-speeds 6,40", "must stay below the slowest driving speed (6 mph)"},
      {"--out /dev/null/x --seed 18446744073709551616", "--seed: '18446744073709551616' is not a whole number"},
      {"--out /dev/null/x --scenario blizzard", "unknown scenario 'blizzard'"},
      {"--out /dev/null/a,b", "must not hold a comma"},
      {"--out /dev/null/a\"b", "must not hold a comma or a double quote"},
      {"--out=", "--out: the folder name is empty"},
      {"--out /dev/null/x --known-cd 0", "--known-cd must be above 0"},
      {"--out /dev/null/x --force=yes", "--force takes no value"},
      {"--out /dev/null/x --rate 0", "--rate must be from 1 to 1000 records/s (got 0)"},
      {"--out /dev/null/x --rate 2.5", "--rate: '2.5' is not a whole number"},
      {"--out /dev/null/x --rate 3", "--step must divide the 0.333333 s record interval of --rate 3 evenly (got 0.01)"},
      {"--out /dev/null/x --rate 200", "--step must divide the 0.005 s record interval of --rate 200"},
      {"--out /dev/null/x --rate 20 --zero-duration 2000",
       "--zero-duration: 2000 s at 20 records a second makes 40001 records, more than the 32767 a run file can hold"},
      {"--out /dev/null/x --rotating-mass -1", "--rotating-mass must be from 0 to the test mass, 1587.49 kg"},
      {"--out /dev/null/x --weight 1000 --rotating-mass 500", "--rotating-mass must be from 0 to the test mass"},
      {"--out /dev/null/x --no-anemometer=yes", "--no-anemometer takes no value"},
      {"--out /dev/null/x --brake-decel 0", "--brake-decel must be above 0"},
      {"--out /dev/null/x --untrimmed --turn-time 30", "--turn-time (30 s) is too short: from CAL.6 to DATA.1"},
      {"--out /dev/null/x --logger-csv day --turn-time 10",
       "--turn-time (10 s) is too short: from ZERO.1 to ZERO.2 the vehicle needs"},
      {"--out /dev/null/x --logger-csv day --turn-time 60.1", "--turn-time must be a whole number of record intervals"},
      {"--out /dev/null/x --logger-csv weekly", "--logger-csv: 'weekly' is not one of none, per-run, day"},
      {"--out /dev/null/x --csv-separator tab", "--csv-separator needs --logger-csv per-run or day"},
      {"--out /dev/null/x --logger-csv day --csv-decimal comma", "--csv-decimal comma needs --csv-separator"},
      {"--out /dev/null/x --logger-csv day --csv-wind maybe", "--csv-wind: 'maybe' is not one of yes, no"},
      {"--out /dev/null/x --logger-csv day --csv-clock-start 24:00:00", "is not a time of day HH:MM:SS"},
      {"--out /dev/null/x --logger-csv day --csv-decimals 10", "--csv-decimals must be from 0 to 9"},
  };
  for (const auto& c : cases) {
    const simtest::Outcome o = simtest::RunSim(c.args);
    EXPECT_EQ(o.status, 2) << c.args;
    EXPECT_EQ(o.err.rfind("coastdown-sim: ", 0), 0u) << o.err;
    EXPECT_NE(o.err.find(c.message), std::string::npos) << o.err;
    EXPECT_EQ(o.out, "");
  }
}

TEST(OptionsTest, ScenarioFirstThenOptionsInOrderLastOneCounting) {
  const sim::SimConfig c = simtest::Config(
      "--weight 4000 --scenario hot-day --force --weight=4200 --wind-direction -45 --cal-speeds 25,50 --seed 9");
  EXPECT_EQ(c.conditions.temperatureF, 95.0);  // from the scenario
  EXPECT_EQ(c.vehicle.weightLb, 4200.0);       // the later of two
  EXPECT_EQ(c.wind.directionDeg, -45.0);       // a negative number is a value
  EXPECT_EQ(c.runs.calSpeedsMph, (std::vector<double>{25.0, 50.0}));
  EXPECT_EQ(c.seed, 9u);
  EXPECT_TRUE(c.force);
  // As given, --out and --force left out and --name=value as two words, so
  // that they remake the folder anywhere.
  EXPECT_EQ(c.optionText,
            "--weight 4000 --scenario hot-day --weight 4200 --wind-direction -45 --cal-speeds 25,50 --seed 9");
  EXPECT_EQ(simtest::Config("").scenario, "light-wind");
  for (const sim::ScenarioInfo& s : sim::Scenarios()) {
    EXPECT_NO_THROW(simtest::Config("--scenario " + std::string(s.name))) << s.name;
  }
}

// --help wins over everything else on the line, even an unknown option.
TEST(OptionsTest, HelpWins) {
  for (const char* args : {"--help", "-h", "--out x --bogus --help"}) {
    const simtest::Outcome o = simtest::RunSim(args);
    EXPECT_EQ(o.status, 0);
    EXPECT_EQ(o.err, "");
    EXPECT_NE(o.out.find("\nExit status:\n  0  "), std::string::npos) << args;
  }
}

}  // namespace
