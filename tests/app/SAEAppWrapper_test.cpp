// The command line and the run parameters: splitting, storing the fields,
// the fixed switches, the unit factors, and the program's answers on the
// command line as a user sees them.
#include "app/SAEAppWrapper.h"

#include <gtest/gtest.h>

#include "app/CommandLine.h"
#include "common/UnitFactors.h"
#include "tests/TestSupport.h"

namespace {

using testsupport::ErrorOf;

TEST(CommandLineTest, Splitting) {
  using V = std::vector<std::string>;
  const struct {
    const char* text;
    V fields;
  } cases[] = {
      {"", {}},
      {"abc", {"abc"}},
      {"a,,b", {"a", "", "b"}},
      {"a,", {"a", ""}},
      {"\"C:\\My Tests\\Run 1\",1,0", {"C:\\My Tests\\Run 1", "1", "0"}},
      {"\"a,b\",c", {"a", "b", "c"}},
      {"x, 15", {"x", " 15"}},
  };
  for (const auto& c : cases) EXPECT_EQ(SplitCommandLine(c.text), c.fields) << c.text;
  const char* argv[] = {"coastdown", "/data/My", "Tests,1,0"};
  EXPECT_EQ(JoinArguments(3, argv), "/data/My Tests,1,0");
}

TEST(SAEAppWrapperTest, SetParamsStoresFieldsAndFixesSwitches) {
  SAEAppWrapper app;
  app.CorrectMass = false;
  app.SetParams(SplitCommandLine("C:\\TEST,True,False,15,70,3500,68,29.92,22.5,"));
  EXPECT_EQ(app.FileLocation, "C:\\TEST");
  EXPECT_TRUE(app.Calibration);
  EXPECT_FALSE(app.ZeroFiles);
  EXPECT_EQ(app.MinSpeed, "15");
  EXPECT_EQ(app.MaxSpeed, "70");
  EXPECT_EQ(app.RollingWeight, "3500");
  EXPECT_EQ(app.Temperature, "68");
  EXPECT_EQ(app.Barometer, "29.92");
  EXPECT_EQ(app.FrontalArea, "22.5");
  EXPECT_EQ(app.ConstrainedCD, "");
  EXPECT_FALSE(app.Constrained);
  EXPECT_TRUE(app.FilterData && app.FinalSolver && app.CorrectTemperature && app.CorrectPressure &&
              app.CalculateWindSpeed && app.SaveSAEOutput);
  EXPECT_FALSE(app.LimitData);
  EXPECT_FALSE(app.CorrectMass);
  EXPECT_EQ(UnitFactors().SpeedFactor.value(), 0.44704);
  EXPECT_EQ(UnitFactors().AreaFactor.value(), 0.0929);
  EXPECT_EQ(UnitFactors().TemperatureCode, "F");
  EXPECT_EQ(UnitFactors().PressureFactor.value(), 3.3865);
  EXPECT_EQ(UnitFactors().WeightFactor.value(), 4.448);
  EXPECT_EQ(UnitFactors().ForceFactor.value(), 4.448);
}

TEST(SAEAppWrapperTest, ConstrainedFollowsAnyNonEmptyField9) {
  const struct {
    const char* line;
    bool constrained;
  } cases[] = {
      {"/t,1,0,15,70,3500,68,29.92,22.5,0.35", true},
      {"/t,1,0,15,70,3500,68,29.92,22.5,0", true},
      {"/t,1,0,15,70,3500,68,29.92,22.5,,extra", false},
      {"/t,1,0, 15,70,3500,68,29.92,22.5,x", true},
  };
  for (const auto& c : cases) {
    SAEAppWrapper app;
    app.SetParams(SplitCommandLine(c.line));
    EXPECT_EQ(app.Constrained, c.constrained) << c.line;
  }
}

TEST(SAEAppWrapperTest, SetParamsFaultsKeepWhatWasStored) {
  SAEAppWrapper short9;
  EXPECT_EQ(ErrorOf([&] { short9.SetParams(SplitCommandLine("/t,1,0,15,70,3500,68,29.92,22.5")); }), 9);
  EXPECT_EQ(short9.FrontalArea, "22.5");
  EXPECT_FALSE(short9.SaveSAEOutput);
  SAEAppWrapper badSwitch;
  EXPECT_EQ(ErrorOf([&] { badSwitch.SetParams(SplitCommandLine("/t,1,yes,15,70,3500,68,29.92,22.5,")); }), 13);
  EXPECT_TRUE(badSwitch.Calibration);
  EXPECT_EQ(badSwitch.MinSpeed, "");
  EXPECT_EQ(ErrorOf([] { SAEAppWrapper().SetParams({}); }), 9);
}

TEST(ProgramTest, AnswersOnTheCommandLine) {
  const struct {
    std::vector<std::string> args;
    int status;
    const char* out;
    const char* err;
  } cases[] = {
      {{"--version"}, 0, "coastdown 1.0.2\n", ""},
      {{"--help"}, 0, "usage: coastdown FOLDER,", ""},
      {{"-h"}, 0, "usage: coastdown FOLDER,", ""},
      {{}, 1, "",
       "coastdown: run-time error 9: Subscript out of range (command-line field 1 of 10 is missing)\n"
       "usage: coastdown FOLDER,CALIBRATE,ZERO,MIN_SPEED,MAX_SPEED,WEIGHT,TEMPERATURE,PRESSURE,AREA,[CD]\n"},
      {{"/t,maybe,0,15,70,3500,68,29.92,22.5,"}, 1, "", "coastdown: run-time error 13: Type mismatch ("},
      {{"--version", "x"}, 1, "", "coastdown: run-time error 9: Subscript out of range ("},
  };
  for (const auto& c : cases) {
    const auto result = testsupport::Run(COASTDOWN_EXE, c.args);
    EXPECT_EQ(result.status, c.status);
    EXPECT_EQ(result.out.rfind(c.out, 0), 0u) << result.out;
    EXPECT_EQ(result.err.rfind(c.err, 0), 0u) << result.err;
  }
}

}  // namespace
