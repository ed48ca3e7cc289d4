// The options of the analysis methods: what each method accepts, the values
// they take, and the messages that name the option and the method that uses
// it, before anything is read.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "app/ProgramOptions.h"
#include "tests/TestSupport.h"

namespace {

using V = std::vector<std::string>;

// The options as parsed, or the error's detail.
std::string Outcome(const V& words) {
  ProgramOptions options;
  try {
    ParseProgramOptions(words, options);
  } catch (const RuntimeError& error) {
    return "error " + std::to_string(error.Code()) + ": " + error.Detail();
  }
  const MethodOptions& m = options.methods;
  std::string text = std::string(MethodName(m.method)) + " rate " + testsupport::Words(std::to_string(m.rateHz))[0];
  if (m.si) text += " si";
  if (m.trackWind) {
    text += m.trackWind->wholeTest ? " wind " + std::to_string(static_cast<int>(m.trackWind->speed)) + "@" +
                                         std::to_string(static_cast<int>(m.trackWind->fromDeg))
                                   : " wind file " + m.trackWind->file;
  }
  if (m.rotatingMass) text += " mr " + m.rotatingMass->text + (m.rotatingMass->percentOfTestMass ? " of TM" : "");
  for (const auto& [name, value] : m.constants) text += " " + name + "=" + std::to_string(static_cast<int>(value));
  for (const RejectedRunOption& r : m.rejectedRuns) text += " reject " + std::to_string(r.run) + " (" + r.reason + ")";
  return text;
}

TEST(MethodOptionsTest, WhatEachMethodAccepts) {
  const std::pair<V, std::string> cases[] = {
      {{"/t,1"}, "legacy rate 5.000000"},
      {{"--si", "--rate", "5", "/t,1"}, "legacy rate 5.000000 si"},
      {{"--method", "intervals", "--rate", "10", "--si", "/t,1"}, "intervals rate 10.000000 si"},
      // The method may come after the options it allows.
      {{"--rate", "12.5", "--method", "intervals", "/t,1"}, "intervals rate 12.500000"},
      {{"--method", "intervals", "--track-wind", "2,30", "--rotating-mass", "3%", "/t,1"},
       "intervals rate 5.000000 wind 2@30 mr 3% of TM"},
      {{"--method", "intervals", "--track-wind", "wind.csv", "--rotating-mass", "48kg", "/t,1"},
       "intervals rate 5.000000 wind file wind.csv mr 48kg"},
      {{"--method", "intervals", "--constant", "least_pairs=4", "--constant", "accuracy_limit_percent=2", "/t,1"},
       "intervals rate 5.000000 least_pairs=4 accuracy_limit_percent=2"},
      {{"--method", "intervals", "--reject-run", "3:brake touch", "--reject-run", "6", "/t,1"},
       "intervals rate 5.000000 reject 3 (brake touch) reject 6 (rejected by the tester)"},
      {{"--method", "impulse", "--rate", "10", "--yaw-curve", "yaw.csv", "--track-wind", "2,30", "--rotating-mass",
        "25kg", "--limit-data", "/t,1"},
       "impulse rate 10.000000 wind 2@30 mr 25kg"},
      {{"--no-anemometer", "--method", "impulse", "--si", "/t,1"}, "impulse rate 5.000000 si"},
  };
  for (const auto& [words, outcome] : cases) EXPECT_EQ(Outcome(words), outcome);
}

TEST(MethodOptionsTest, MistakesNameTheOptionAndTheMethod) {
  // Each of these is said whichever bound or form the value misses.
  const std::string hz = "HZ must be a number of records a second above 0 and at most 1000";
  const std::string wind =
      "SPEED,FROM needs the mean wind speed (0 to 200, in the run files' speed unit) and the direction it blows from "
      "in degrees, or give a CSV file of RUN,SPEED,FROM lines";
  const std::string mass = "give NUMBERkg (0 to 100000) or NUMBER% of the test mass (0 to 100)";
  const std::pair<V, std::string> cases[] = {
      {{"--method", "fast", "/t,1"}, "error 5: --method fast: unknown method (legacy, the default, impulse or intervals)"},
      {{"--method"}, "error 5: the option --method needs NAME"},
      {{"--rate", "10", "/t,1"},
       "error 5: --rate 10: the legacy method reads run files of 5 records a second; another rate is for --method "
       "impulse or --method intervals"},
      {{"--method", "intervals", "--rate", "0", "/t,1"}, "error 5: --rate 0: " + hz},
      {{"--method", "intervals", "--rate", "1001", "/t,1"}, "error 5: --rate 1001: " + hz},
      {{"--method", "intervals", "--rate", "ten", "/t,1"}, "error 5: --rate ten: " + hz},
      {{"--track-wind", "2,30", "/t,1"},
       "error 5: --track-wind is not used by --method legacy; it is for --method impulse or --method intervals"},
      {{"--method", "intervals", "--yaw-curve", "yaw.csv", "/t,1"},
       "error 5: --yaw-curve is not used by --method intervals; it is for --method impulse"},
      {{"--method", "intervals", "--no-anemometer", "/t,1"},
       "error 5: --no-anemometer is not used by --method intervals; it is for --method impulse"},
      {{"--constant", "least_pairs=4", "/t,1"},
       "error 5: --constant is not used by --method legacy; it is for --method intervals"},
      {{"--method", "impulse", "--reject-run", "3", "/t,1"},
       "error 5: --reject-run is not used by --method impulse; it is for --method intervals"},
      {{"--method", "intervals", "--limit-data", "/t,1"},
       "error 5: --limit-data is not used by --method intervals; it is for --method legacy or --method impulse"},
      {{"--method", "intervals", "--track-wind", "2,north", "/t,1"}, "error 5: --track-wind 2,north: " + wind},
      {{"--method", "intervals", "--track-wind", "-1,30", "/t,1"}, "error 5: --track-wind -1,30: " + wind},
      {{"--method", "intervals", "--rotating-mass", "48", "/t,1"}, "error 5: --rotating-mass 48: " + mass},
      {{"--method", "intervals", "--rotating-mass", "150%", "/t,1"}, "error 5: --rotating-mass 150%: " + mass},
      {{"--method", "intervals", "--constant", "least_pairs=2.5", "/t,1"},
       "error 5: --constant least_pairs=2.5: least_pairs takes a whole number from 2 to 100"},
      {{"--method", "intervals", "--constant", "accuracy_limit_percent=0", "/t,1"},
       "error 5: --constant accuracy_limit_percent=0: accuracy_limit_percent takes a number from 0.1 to 20"},
      {{"--method", "intervals", "--reject-run", "0:oops", "/t,1"},
       "error 5: --reject-run 0:oops: RUN is the number n of DATA.n (1 to 32767), optionally followed by :REASON"},
  };
  for (const auto& [words, outcome] : cases) EXPECT_EQ(Outcome(words), outcome);
  // An unknown constant lists the ones there are.
  EXPECT_NE(Outcome({"--method", "intervals", "--constant", "h=2", "/t,1"}).find("(lowest_reference_kmh, "),
            std::string::npos);
}

}  // namespace
