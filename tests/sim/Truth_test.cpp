// The true results against numbers worked out by hand from the analysis'
// conversions and corrections, the layout of truth.txt, and its number
// forms: fixed decimals rounded like the report's, its plain numbers, and
// the shortest exact form for echoed parameters.
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "NumberFormat.h"
#include "SimTestSupport.h"
#include "Truth.h"
#include "Units.h"

namespace {

std::string Results(const char* amech, const char* bmech, const char* cmech, const char* caero, const char* ctotl,
                    const char* cd) {
  return std::string("Amech: ") + amech + "\r\nBmech: " + bmech + "\r\nCmech: " + cmech + " ^ 2\r\n\r\nCaero: " +
         caero + " N/MPH ^ 2\r\nCtotl: " + ctotl + " N/MPH ^ 2\r\n\r\nArea:  22.5ft ^2 \r\nCd:    " + cd + "\r\n";
}

TEST(TruthTest, ResultsMatchHandComputedValues) {
  // 68 F is 20 C: the mechanical terms stay as given, and the aero factor
  // (293/293)·98.21/101.32408 meets the test density 1.204066.
  EXPECT_EQ(sim::TruthResultLines(sim::ComputeTruth(simtest::Config("--scenario still-air"))),
            Results("30.00", "0.2500", "0.002000", "0.017536", "0.019536", "0.320"));
  // 95 F is 35 C: MechFactor 1 + 15·0.0081 = 1.1215; 30 × 1.1215 shows as
  // 33.65 although it is 33.644999… in binary.
  const sim::Truth hot = sim::ComputeTruth(simtest::Config("--scenario still-air --temperature 95 --pressure 29.60"));
  EXPECT_EQ(sim::TruthResultLines(hot), Results("33.65", "0.2804", "0.002243", "0.017537", "0.019780", "0.320"));
  EXPECT_NEAR(hot.cd, 0.32000797448607493, 1e-12);
  // The report's example: m0 120 N, m1 4.415 N/(m/s), m2 0.2206
  // N/(m/s)², a0 0.2 N/(m/s)² at 68 F and 29.92 inHg.
  sim::SimConfig c = simtest::Config("--scenario still-air");
  c.vehicle.mechA = 120.0 / 4.448;
  c.vehicle.mechB = 4.415 / 4.448 * 0.44704;
  c.vehicle.mechC = 0.2206 / 4.448 * 0.44704 * 0.44704;
  c.vehicle.cd0 = 0.2 / (0.5 * sim::AirDensity(20.0, 29.92 * 3.3865) * 22.5 * 0.0929);
  EXPECT_EQ(sim::TruthResultLines(sim::ComputeTruth(c)),
            Results("26.98", "0.4437", "0.009911", "0.008710", "0.018621", "0.159"));
}

TEST(TruthTest, FileMirrorsTheReportAndCommentsEveryParameter) {
  sim::SimConfig c = simtest::Config("--scenario still-air");
  c.seed = 77;
  c.anemometer = {0.8, -0.5, 2.5, 1.25, std::nullopt, 0.1, 0.2};  // gain, offset, misalignment, yaw gain
  c.optionText = "--seed 77 --anemo-gain 0.8";
  // A mean head wind that rounds to zero keeps its sign, as in the report.
  sim::TestFacts facts{-0.004, 2.345, 6.5, 7.0, 1.0};
  const sim::Truth t = sim::ComputeTruth(c);
  const std::string text = sim::TruthFileText(c, t, facts);
  // Lines 2 to 10 as the report's, then its wind block and calibration
  // section with the true anemometer: Ka = 1/0.8, k3 coupled to the gain,
  // K4 = 0.5 mph in m/s, Ky = 1/1.25, the misalignment less the ZERO runs'
  // mean yaw. Everything after them is comment.
  const std::string report = "\r\n" + sim::TruthResultLines(t) +
                             "\r\nAverage Wind\r\nHead: -0.00 Cross: 2.35\r\nMax Wind\r\nHead: 6.50 Cross: 7.00\r\n"
                             "\r\nCALIBRATION COEFFICIENTS\r\nTrue anemometer\r\n\r\nKa =  1.25 \r\nk3 = 0.000133\r\n"
                             "K4 =  .22352 \r\n\r\nKy = 0.800000\r\nYaw Offset = 1.500000\r\n\r\n#";
  EXPECT_EQ(text.rfind("# Truth of this simulated test", 0), 0u);
  EXPECT_EQ(text.substr(text.find("\r\n"), report.size()), report);
  for (std::size_t at = text.find("\r\n") + report.size() - 1; at + 2 < text.size(); at = text.find("\r\n", at) + 2) {
    ASSERT_EQ(text[at], '#') << text.substr(at, 40);
  }
  for (const char* p : {"\n#   seed = 77\r", "\n#   weight = 3500 lb\r", "\n#   anemo-yaw-gain = 1.25\r",
                        "\n#   cal-speeds = 30,45,60 mph\r", "mean yaw\r\n# reading (1.000000 deg)",
                        "\n#   a2 = a0*k (yaw in degrees) = 0.000322150342119 N/(m/s)^2/deg^2\r",
                        "\n# Made by: coastdown-sim --out FOLDER --seed 77 --anemo-gain 0.8\r\n"}) {
    EXPECT_NE(text.find(p), std::string::npos) << p;
  }
  // Without ZERO runs the calibration has the whole misalignment to find.
  facts.zeroMeanYawDeg.reset();
  EXPECT_NE(sim::TruthFileText(c, t, facts).find("\r\nYaw Offset = 2.500000\r\n"), std::string::npos);
}

TEST(NumberFormatTest, FormsAsTheReportWritesThem) {
  // F: fixed decimals, N: the report's plain number, S: shortest fixed form.
  const struct {
    char form;
    double value;
    int decimals;
    const char* text;
  } cases[] = {
      {'F', -2.675, 2, "-2.68"},         // half away from zero
      {'F', 0.0, 6, "0.000000"},
      {'F', -0.0000004, 6, "0.000000"},  // no minus on a zero in run files (the truth keeps it, see above)
      {'F', 0.0000005, 6, "0.000001"},
      {'F', 9.9999996, 6, "10.000000"},  // carry into a new digit
      {'F', 999.995, 2, "1000.00"},
      {'F', 12345678.5, 0, "12345679"},
      {'F', 1e-9, 3, "0.000"},
      {'N', 22.5 * 0.0929 / 0.0929, 0, " 22.5"},  // 15 digits hide the round trip
      {'N', 1.0 / 0.98, 0, " 1.02040816326531"},
      {'N', -0.0, 0, " 0"},
      {'N', 0.00001, 0, " 1E-05"},
      {'S', 200000.0, 0, "200000"},
  };
  for (const auto& c : cases) {
    const std::string text = c.form == 'F'   ? sim::FormatFixed(c.value, c.decimals)
                             : c.form == 'N' ? sim::FormatReportNumber(c.value)
                                             : sim::FormatShortest(c.value);
    EXPECT_EQ(text, c.text) << c.form << " " << c.value;
  }
}

}  // namespace
