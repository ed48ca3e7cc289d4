// The true results against numbers worked out by hand from the analysis'
// conversions and corrections, and the layout of truth.txt. The true wind
// of a test and the number forms of its files are held to the reports and
// to the shipped example end to end.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

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
  // The worked road load: m0 120 N, m1 4.415 N/(m/s), m2 0.2206 N/(m/s)²,
  // a0 0.2 N/(m/s)² at 68 F and 29.92 inHg.
  sim::SimConfig c = simtest::Config("--scenario still-air");
  c.vehicle.mechA = 120.0 / 4.448;
  c.vehicle.mechB = 4.415 / 4.448 * 0.44704;
  c.vehicle.mechC = 0.2206 / 4.448 * 0.44704 * 0.44704;
  c.vehicle.cd0 = 0.2 / (0.5 * sim::AirDensity(20.0, 29.92 * 3.3865) * 22.5 * 0.0929);
  EXPECT_EQ(sim::TruthResultLines(sim::ComputeTruth(c)),
            Results("26.98", "0.4437", "0.009911", "0.008710", "0.018621", "0.159"));
}

// The parameter lines are checked by remaking the test from them, below.
TEST(TruthTest, FileMirrorsTheReportThenComments) {
  sim::SimConfig c = simtest::Config("--scenario still-air");
  c.seed = 77;
  c.anemometer = {0.8, -0.5, 2.5, 1.25, std::nullopt, 0.1, 0.2};  // gain, offset, misalignment, yaw gain
  c.optionText = "--seed 77 --anemo-gain 0.8";
  // A mean head wind that rounds to zero keeps its sign, as in the report.
  sim::TestFacts facts{-0.004, 2.345, 6.5, 7.0, 1.0, {}, {}};
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
  EXPECT_NE(text.find("\n# Made by: coastdown-sim --out FOLDER --seed 77 --anemo-gain 0.8\r\n"), std::string::npos);
  // Without ZERO runs the calibration has the whole misalignment to find.
  facts.zeroMeanYawDeg.reset();
  EXPECT_NE(sim::TruthFileText(c, t, facts).find("\r\nYaw Offset = 2.500000\r\n"), std::string::npos);
}

TEST(TruthTest, ParametersRecordedInTruthRemakeTheTest) {
  // Each parameter line given back as an option (unset ones left unset)
  // makes the very same test: a parameter left out of the list, or shown
  // from another field than its option sets, changes some byte.
  // A switch is given back when it reads on.
  testsupport::ScratchDir dir;
  const std::string options =
      " --scenario truck --seed 12 --anemo-loss 0.0001 --known-cd 0.5 --cal-speeds 20,40 --wind-veer 7 "
      "--zero-runs 1 --cal-runs 4 --data-runs 1 --zero-duration 5 --cal-duration 5 --coast-low 40 --rate 10 "
      "--rotating-mass 20 --untrimmed --turn-time 90 --turn-speed 25 --drive-accel 2 --steady-time 3 --brake-decel 5 "
      "--standstill-time 10 --track-wind-file --track-wind-noise 0.2 --yaw-curve-file --logger-csv per-run "
      "--csv-separator tab --csv-decimal comma --csv-time clock --csv-speed mph --csv-wind no --csv-header no "
      "--csv-decimals 4 --csv-clock-start 10:30:00";
  ASSERT_TRUE(simtest::Simulated(dir / "a", options));
  const std::string truth = testsupport::ReadFile(dir / "a/truth.txt");
  std::string remade;
  for (std::size_t at = truth.find("\n#   ", truth.find("# Parameters:")); at != std::string::npos;
       at = truth.find("\n#   ", at + 1)) {
    const std::string line = truth.substr(at + 5, truth.find('\r', at) - at - 5);  // name = value unit
    const std::string name = line.substr(0, line.find(' ')),
                      value = testsupport::Words(line.substr(line.find(" = ") + 3))[0];
    if (line.find(" (") != std::string::npos || value == "off") continue;
    remade += " --" + name + (value == "on" ? "" : " " + value);
  }
  ASSERT_TRUE(simtest::Simulated(dir / "b", remade));
  for (const char* file : {"ZERO.1", "CAL.1", "CAL.4", "DATA.1", "trackwind.csv", "yawcurve.csv", "logger/zero01.csv",
                           "logger/data01.csv"}) {
    EXPECT_EQ(testsupport::ReadFile(dir / "a/" + file), testsupport::ReadFile(dir / "b/" + file)) << file << remade;
  }
  const std::string other = testsupport::ReadFile(dir / "b/truth.txt");
  EXPECT_EQ(truth.substr(0, truth.find("# Made by")), other.substr(0, other.find("# Made by")));
  EXPECT_EQ(truth.substr(truth.find("# Parameters")), other.substr(other.find("# Parameters")));
}

TEST(TruthTest, TheRoadLoadTruthIsWhatSlowsTheCoast) {
  // Each force that the speeds of a coast without noise imply, (m + m_r)
  // times their central difference, is the true road load of the test in
  // still air; corrected to 20 C and 98.21 kPa, it is the report-like block's.
  for (const char* options : {"--scenario still-air --rotating-mass 100",
                              "--scenario hot-day --wind-speed 0 --wind-drift 0 --gust 0 --rate 20"}) {
    SCOPED_TRACE(options);
    testsupport::ScratchDir dir;
    ASSERT_TRUE(simtest::Simulated(
        dir.path(), options + std::string(" --speed-noise 0 --zero-runs 0 --cal-runs 0 --data-runs 1 --no-anemometer")));
    const std::string truth = testsupport::ReadFile(dir / "truth.txt"), data = testsupport::ReadFile(dir / "DATA.1");
    using testsupport::NumberAfter;
    const double mass = NumberAfter(truth, "\nTest mass: ") + NumberAfter(truth, "\nRotating mass: ");
    const double rate = NumberAfter(truth, "#   rate = ");
    std::vector<double> v = simtest::Column(simtest::Table(data), 0);
    for (double& speed : v) speed *= 0.44704;  // m/s
    for (std::size_t i = 1; i + 1 < v.size(); ++i) {
      const double kmh = v[i] * 3.6;
      const double force = NumberAfter(truth, "\nTest f0: ") + NumberAfter(truth, "\nTest f1: ") * kmh +
                           NumberAfter(truth, "\nTest f2: ") * kmh * kmh;
      ASSERT_NEAR(mass * (v[i - 1] - v[i + 1]) * rate / 2.0, force, 0.05) << "at " << kmh << " km/h";
    }
    const double a = NumberAfter(truth, "Amech: "), b = NumberAfter(truth, "Bmech: "),
                 c = NumberAfter(truth, "Ctotl: ");
    for (int mph = 10; mph <= 70; mph += 10) {
      const double rounding = 4.448 * (0.005 + 0.00005 * mph + 0.0000005 * mph * mph);
      EXPECT_NEAR(NumberAfter(truth, "\nRoad load at " + std::to_string(mph) + " mph: "),
                  (a + b * mph + c * mph * mph) * 4.448, rounding)
          << mph << " mph";
    }
  }
}

}  // namespace
