// The true results against numbers worked out by hand from the analysis'
// conversions and corrections, and the layout of truth.txt.
#include <gtest/gtest.h>

#include <string>
#include <vector>

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
       "Caero: 0.017536 N/MPH ^ 2\r\nCtotl: 0.019536 N/MPH ^ 2\r\n\r\nArea:  22.5ft ^2 \r\nCd:    0.320\r\n"},
      // 95 F is 35 C: MechFactor 1 + 15·0.0081 = 1.1215.
      {"hot day", Car(95.0, 29.60), 33.645, 0.280375, 0.002243, 0.01753680466997948, 0.019779804669979483,
       0.32000797448607493,
       "Amech: 33.65\r\nBmech: 0.2804\r\nCmech: 0.002243 ^ 2\r\n\r\n"
       "Caero: 0.017537 N/MPH ^ 2\r\nCtotl: 0.019780 N/MPH ^ 2\r\n\r\nArea:  22.5ft ^2 \r\nCd:    0.320\r\n"},
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
            "Caero: 0.008710 N/MPH ^ 2\r\nCtotl: 0.018621 N/MPH ^ 2\r\n\r\nArea:  22.5ft ^2 \r\nCd:    0.159\r\n");
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

TEST(TruthTest, FileMirrorsTheReportAndCommentsEveryParameter) {
  sim::SimConfig c = Car(68.0, 29.92);
  c.seed = 77;
  c.anemometer.gain = 0.8;
  c.anemometer.offsetMph = -0.5;
  c.anemometer.misalignDeg = 2.5;
  c.anemometer.yawGain = 1.25;
  c.optionText = "--seed 77 --anemo-gain 0.8";
  sim::TestFacts facts;
  facts.meanHeadMph = -0.004;  // rounds to zero but keeps its sign, as in the report
  facts.meanCrossMph = 2.345;
  facts.maxHeadMph = 6.5;
  facts.maxCrossMph = 7.0;
  facts.zeroMeanYawDeg = 1.0;
  const sim::Truth t = sim::ComputeTruth(c);
  const std::string text = sim::TruthFileText(c, t, facts);
  std::vector<std::string> lines;
  for (std::size_t start = 0; start < text.size();) {
    const std::size_t end = text.find("\r\n", start);
    ASSERT_NE(end, std::string::npos) << "every line ends with CR LF";
    lines.push_back(text.substr(start, end - start));
    start = end + 2;
  }
  // Lines 2 to 10 as the report's, then its wind block and calibration
  // section with the true anemometer: Ka = 1/0.8, K4 = 0.5 mph in m/s,
  // Ky = 1/1.25, and the misalignment less the ZERO runs' mean yaw.
  const std::vector<std::string> head = {"Amech: 30.00", "Bmech: 0.2500", "Cmech: 0.002000 ^ 2", "",
                                         "Caero: 0.017536 N/MPH ^ 2", "Ctotl: 0.019536 N/MPH ^ 2", "",
                                         "Area:  22.5ft ^2 ", "Cd:    0.320", "", "Average Wind",
                                         "Head: -0.00 Cross: 2.35", "Max Wind", "Head: 6.50 Cross: 7.00", "",
                                         "CALIBRATION COEFFICIENTS", "True anemometer", "", "Ka =  1.25 ",
                                         "k3 = 0.000133", "K4 =  .22352 ", "", "Ky = 0.800000",
                                         "Yaw Offset = 1.500000", ""};
  ASSERT_GT(lines.size(), head.size() + 1);
  EXPECT_EQ(lines[0][0], '#');
  for (std::size_t i = 0; i < head.size(); ++i) EXPECT_EQ(lines[i + 1], head[i]) << "line " << i + 2;
  // Everything after them is comment.
  for (std::size_t i = head.size() + 1; i < lines.size(); ++i) EXPECT_EQ(lines[i][0], '#') << lines[i];
  for (const char* p : {"seed = 77", "weight = 3500 lb", "area = 22.5 ft^2", "cd = 0.32", "mech-a = 30 lbf",
                        "temperature = 68 F", "pressure = 29.92 inHg", "wind-speed = ", "anemo-gain = 0.8",
                        "anemo-yaw-gain = 1.25", "cal-speeds = 30,45,60 mph", "data-runs = ", "step = 0.01 s",
                        "mean yaw\r\n# reading (1.000000 deg)",
                        "# Made by: coastdown-sim --out FOLDER --seed 77 --anemo-gain 0.8\r\n"}) {
    EXPECT_NE(text.find(p), std::string::npos) << p;
  }
  // Without ZERO runs the calibration has the whole misalignment to find.
  facts.zeroMeanYawDeg.reset();
  EXPECT_NE(sim::TruthFileText(c, t, facts).find("\r\nYaw Offset = 2.500000\r\n"), std::string::npos);
}

}  // namespace
