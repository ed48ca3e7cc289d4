// The command line: coastdown's fields from quantities with their units,
// by coastdown's own factors, and every mistake named with its option.
#include "Options.h"

#include <gtest/gtest.h>

#include "ImportTestSupport.h"

namespace {

const std::string kFiles = "--out o --data a.csv ";
const std::string kConditions = " --weight 3500lb --temperature 68F --pressure 29.92inHg --area 22.5ft2";

importer::Options Parse(const std::string& args) { return importer::ParseOptions(testsupport::Words(args)); }

TEST(OptionsTest, QuantitiesBecomeCoastdownsFields) {
  const struct {
    const char* args;
    double weightLb, temperatureF, pressureInHg, areaFt2;
  } cases[] = {
      {"--weight 3500lb --temperature 68F --pressure 29.92inHg --area 22.5ft2", 3500, 68, 29.92, 22.5},
      // coastdown forms the mass as lb·4.448/9.80665, the pressure as
      // inHg·3.3865 and the area as ft²·0.0929: it gets back what was given.
      {"--weight 1590kg --temperature 20C --pressure 98.21kPa --area 2.1m2", 1590 * 9.80665 / 4.448, 68,
       98.21 / 3.3865, 2.1 / 0.0929},
      {"--weight=1590KG --temperature=-5.5degC --pressure=1013hPa --area=2.1m^2", 1590 * 9.80665 / 4.448, 22.1,
       101.3 / 3.3865, 2.1 / 0.0929},
      {"--weight 3500lbs --temperature 95\xC2\xB0" "F --pressure 990mbar --area 105ft^2", 3500, 95, 99.0 / 3.3865, 105},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.args);
    const importer::Options o = Parse(kFiles + c.args);
    EXPECT_DOUBLE_EQ(*o.weightLb, c.weightLb);
    EXPECT_NEAR(*o.temperatureF, c.temperatureF, 1e-12);
    EXPECT_DOUBLE_EQ(*o.pressureInHg, c.pressureInHg);
    EXPECT_DOUBLE_EQ(*o.areaFt2, c.areaFt2);
  }
  const importer::Options o = Parse(kFiles + "--no-command --min-speed 24.14016kmh --max-speed 31.2928m/s "
                                             "--stop-speed 1mph --split-drop 5ms");
  EXPECT_DOUBLE_EQ(*o.minSpeedMph, 15.0);
  EXPECT_DOUBLE_EQ(*o.maxSpeedMph, 70.0);
  EXPECT_DOUBLE_EQ(o.stopSpeed, 0.44704);
  EXPECT_DOUBLE_EQ(o.splitDrop, 5.0);
}

TEST(OptionsTest, FilesFollowTheirOption) {
  const importer::Options o =
      Parse("--out o --data d1.csv d2.csv --cal c1.csv --data=d3.csv --zero z.csv --no-command --speed-unit kmh");
  EXPECT_EQ(o.dataFiles, (std::vector<std::string>{"d1.csv", "d2.csv", "d3.csv"}));
  EXPECT_EQ(o.calFiles, (std::vector<std::string>{"c1.csv"}));
  EXPECT_EQ(o.zeroFiles, (std::vector<std::string>{"z.csv"}));
  const importer::Options r = Parse("--out o --recording day.csv --run-order zero:2,cal,skip,data:3 --no-command");
  using importer::RunRole;
  EXPECT_EQ(r.runOrder, (std::vector<RunRole>{RunRole::Zero, RunRole::Zero, RunRole::Cal, RunRole::Skip, RunRole::Data,
                                              RunRole::Data, RunRole::Data}));
}

TEST(OptionsTest, MistakesAreNamed) {
  const struct {
    std::string args;
    const char* message;
  } cases[] = {
      {"--data a.csv" + kConditions, "--out DIR is required"},
      {"--out o" + kConditions, "no logger file given: --data FILE... (one run a file) or --recording FILE... (many runs)"},
      {"--out a,b --data a.csv" + kConditions,
       "--out: the folder name must not hold a comma or a double quote (coastdown could not name it)"},
      {kFiles + "--weight 3500lb", "coastdown's command needs --temperature --pressure --area (or give --no-command to "
                                   "write the run files without it)"},
      {kFiles + "--weight 1590" + kConditions.substr(16),
       "--weight 1590: give the unit (kg, lb, lbs), e.g. --weight 1590kg"},
      {kFiles + "--weight 1590 kg", "--weight 1590: give the unit (kg, lb, lbs), e.g. --weight 1590kg"},
      {kFiles + "--weight 3500stone", "--weight: unknown unit \"stone\" (one of kg, lb, lbs)"},
      {kFiles + "--weight -3500lb", "--weight: -1587.4942 kg is not a plausible value (100 to 100000 kg)"},
      {kFiles + "--pressure 1013kPa",
       "--pressure: 1013 kPa is not a plausible value (60 to 110 kPa) (hPa or mbar given as kPa?)"},
      {kFiles + "--temperature 68C", "--temperature: 68 C is not a plausible value (-40 to 60 C) (F given as C?)"},
      {kFiles + "--area 22.5m2", "--area: 22.5 m2 is not a plausible value (0.3 to 15 m2) (ft2 given as m2?)"},
      {kFiles + "--pressure", "--pressure needs a value (PRESSURE)"},
      {kFiles + "--frobnicate", "unknown option '--frobnicate'"},
      {kFiles + "--run-order data", "--run-order is for --recording"},
      {"--out o --recording r.csv --run-order data:x --no-command",
       "--run-order: \"data:x\": the count after ':' must be a whole number from 1 to 1000"},
      {"--out o --recording r.csv --run-order coast --no-command",
       "--run-order: \"coast\" is not zero, cal, data or skip"},
      {"--out o --recording r.csv --data a.csv --no-command",
       "give either files of one run each (--data, --cal, --zero) or --recording, not both"},
      {kFiles + "--no-command --min-speed 70mph --max-speed 15mph", "--min-speed must be below --max-speed"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(importtest::ErrorText([&] { Parse(c.args); }), "usage: " + std::string(c.message)) << c.args;
  }
}

}  // namespace
