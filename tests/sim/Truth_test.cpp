// The true results against numbers worked out by hand from the analysis'
// conversions and corrections, and the layout of truth.txt.
#include <gtest/gtest.h>

#include <string>

#include "Truth.h"
#include "Units.h"

namespace {

sim::SimConfig Car(double temperatureF, double pressureInHg) {
  sim::SimConfig c;
  c.vehicle = {3500.0, 22.5, 0.32, 0.0008, 30.0, 0.25, 0.002};
  c.conditions = {temperatureF, pressureInHg};
  return c;
}

TEST(TruthTest, ResultsMatchHandComputedValues) {
  const struct {
    const char* name;
    sim::SimConfig config;
    double amech, bmech, cmech, caero, ctotl, cd;
    const char* lines;
  } cases[] = {
      // 68 F is 20 C, so the mechanical terms stay as given; the aero factor
      // (293/293)·98.21/101.32408 ≈ 0.969266 meets the test density 1.204066.
      {"standard temperature", Car(68.0, 29.92), 30.0, 0.25, 0.002, 0.017536367658980416, 0.019536367658980418, 0.32,
       "Amech: 30.00\r\nBmech: 0.2500\r\nCmech: 0.002000 ^ 2\r\n\r\n"
       "Caero: 0.017536 N/MPH ^ 2\r\nCtotl: 0.019536 N/MPH ^ 2\r\n\r\nCd:    0.320\r\n"},
      // 95 F is 35 C: MechFactor 1 + 15·0.0081 = 1.1215.
      {"hot day", Car(95.0, 29.60), 33.645, 0.280375, 0.002243, 0.01753680466997948, 0.019779804669979483,
       0.32000797448607493,
       "Amech: 33.65\r\nBmech: 0.2804\r\nCmech: 0.002243 ^ 2\r\n\r\n"
       "Caero: 0.017537 N/MPH ^ 2\r\nCtotl: 0.019780 N/MPH ^ 2\r\n\r\nCd:    0.320\r\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const sim::Truth t = sim::ComputeTruth(c.config);
    EXPECT_NEAR(t.amech, c.amech, 1e-12);
    EXPECT_NEAR(t.bmech, c.bmech, 1e-12);
    EXPECT_NEAR(t.cmech, c.cmech, 1e-15);
    EXPECT_NEAR(t.caero, c.caero, 1e-15);
    EXPECT_NEAR(t.ctotl, c.ctotl, 1e-15);
    EXPECT_NEAR(t.cd, c.cd, 1e-12);
    EXPECT_EQ(sim::TruthResultLines(t), c.lines);
  }
}

TEST(TruthTest, ReproducesTheReportsOwnWorkedExample) {
  // The report's example: m0 120 N, m1 4.415 N/(m/s), m2 0.2206 N/(m/s)²,
  // a0 0.2 N/(m/s)² at 68 F, 29.92 inHg, 22.5 ft² reads 26.98, 0.4437,
  // 0.009911, 0.008710, 0.018621 and 0.159.
  sim::SimConfig c = Car(68.0, 29.92);
  const double ms = sim::kMetresPerSecondPerMph;
  c.vehicle.mechA = 120.0 / 4.448;
  c.vehicle.mechB = 4.415 / 4.448 * ms;
  c.vehicle.mechC = 0.2206 / 4.448 * ms * ms;
  const double rho = sim::AirDensity(20.0, 29.92 * 3.3865);
  c.vehicle.cd0 = 0.2 / (0.5 * rho * 22.5 * 0.0929);
  const sim::Truth t = sim::ComputeTruth(c);
  EXPECT_NEAR(t.a0, 0.2, 1e-12);
  EXPECT_EQ(sim::TruthResultLines(t),
            "Amech: 26.98\r\nBmech: 0.4437\r\nCmech: 0.009911 ^ 2\r\n\r\n"
            "Caero: 0.008710 N/MPH ^ 2\r\nCtotl: 0.018621 N/MPH ^ 2\r\n\r\nCd:    0.159\r\n");
}

TEST(TruthTest, SiModelAndYawTermAreStated) {
  const sim::Truth t = sim::ComputeTruth(Car(68.0, 29.92));
  EXPECT_NEAR(t.m0, 133.44, 1e-12);
  EXPECT_NEAR(t.m1, 0.25 * 4.448 / 0.44704, 1e-12);
  EXPECT_NEAR(t.a0, 0.4026879276488631, 1e-15);
  EXPECT_NEAR(t.a2, 0.4026879276488631 * 0.0008, 1e-15);
  EXPECT_NEAR(t.standardDensity, 1.16706, 1e-5);
  EXPECT_NEAR(t.testDensity, 1.20407, 1e-5);
}

TEST(TruthTest, FileStartsWithTheResultLinesAndCommentsEveryParameter) {
  sim::SimConfig c = Car(68.0, 29.92);
  c.seed = 77;
  const sim::Truth t = sim::ComputeTruth(c);
  const std::string text = sim::TruthFileText(c, t);
  EXPECT_NE(text.find("\r\n" + sim::TruthResultLines(t)), std::string::npos);
  // Every line that is not a result line or blank is a comment.
  std::size_t start = 0;
  while (start < text.size()) {
    const std::size_t end = text.find("\r\n", start);
    ASSERT_NE(end, std::string::npos) << "every line ends with CR LF";
    const std::string line = text.substr(start, end - start);
    const bool result = line.rfind("Amech: ", 0) == 0 || line.rfind("Bmech: ", 0) == 0 ||
                        line.rfind("Cmech: ", 0) == 0 || line.rfind("Caero: ", 0) == 0 ||
                        line.rfind("Ctotl: ", 0) == 0 || line.rfind("Cd:    ", 0) == 0;
    EXPECT_TRUE(line.empty() || line[0] == '#' || result) << line;
    start = end + 2;
  }
  for (const char* p : {"seed = 77", "weight = 3500 lb", "area = 22.5 ft^2", "cd = 0.32", "mech-a = 30 lbf",
                        "temperature = 68 F", "pressure = 29.92 inHg", "wind-speed = ", "anemo-gain = ",
                        "cal-speeds = 30,45,60 mph", "data-runs = ", "step = 0.01 s", "Ka = 1/gain = "}) {
    EXPECT_NE(text.find(p), std::string::npos) << p;
  }
}

}  // namespace
