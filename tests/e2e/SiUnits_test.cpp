// --si: the same test in km/h, kg, °C, kPa and m² gives the same analysis;
// the specified analysis' report has its numbers in N, N/(km/h), N/(km/h)²
// and m², and Cd unchanged.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "tests/TestSupport.h"

namespace {

using testsupport::NumberAfter;

// The run file with its speed and wind in km/h.
void InKmh(const std::string& from, const std::string& to) {
  std::ifstream in(from);
  std::string text;
  for (std::string line; std::getline(in, line);) {
    double v = 0.0, w = 0.0, y = 0.0;
    if (std::sscanf(line.c_str(), "%lf,%lf,%lf", &v, &w, &y) != 3) continue;
    char record[128];
    std::snprintf(record, sizeof record, "%.17g,%.17g,%.17g\r\n", v * 1.609344, w * 1.609344, y);
    text += record;
  }
  testsupport::WriteFile(to, text);
}

// The run files of the simulated test in km/h in `si`, and the FOLDER field
// that names it.
std::string InSi(const testsupport::SimulatedFolder& folder, const testsupport::ScratchDir& si) {
  for (const auto& entry : std::filesystem::directory_iterator(folder.path)) {
    const std::string name = entry.path().filename();
    if (name.starts_with("DATA.") || name.starts_with("CAL.") || name.starts_with("ZERO."))
      InKmh(entry.path(), si / name);
  }
  return si.path() + ",";
}
// The test's fields after the speed window in SI: 3500 lb·4.448/9.80665,
// 68 °F, 29.92 inHg·3.3865, 22.5 ft²·0.0929.
const std::string kSiTest = ",1587.4942034226571,20,101.32408,2.09025,";

TEST(SiUnitsTest, LegacyAnalysisInSi) {
  const testsupport::SimulatedFolder folder("--scenario light-wind --seed 5 --zero-runs 2 --cal-runs 4 --data-runs 6");
  testsupport::ScratchDir si;
  // 15 and 70 mph.
  const auto inSi =
      testsupport::Run(COASTDOWN_EXE, {"--si", InSi(folder, si) + "True,True,24.14016,112.65408" + kSiTest});
  const auto us = folder.Analyse();
  ASSERT_EQ(us.status, 0) << us.err;
  ASSERT_EQ(inSi.status, 0) << inSi.err;
  const std::string a = folder.Report();
  const std::string b = testsupport::ReadFile(si / "VB6Output.txt");
  // N per lbf, and (N/(km/h)) per (lbf/mph) = 4.448/1.609344; each within
  // the rounding of the two reports' printed digits.
  const struct {
    const char* label;
    double factor;
    double step;  // the imperial report's last digit
  } terms[] = {{"Amech: ", 4.448, 0.01}, {"Bmech: ", 4.448 / 1.609344, 1e-4},
               {"Ctotl: ", 4.448 / (1.609344 * 1.609344), 1e-6}, {"Cd:    ", 1.0, 1e-3}};
  for (const auto& t : terms) {
    SCOPED_TRACE(t.label);
    EXPECT_NEAR(NumberAfter(b, t.label), NumberAfter(a, t.label) * t.factor, 0.5 * t.step * t.factor + 0.5 * t.step);
  }
  // The text stays as it is.
  EXPECT_NE(b.find("Caero: "), std::string::npos);
  EXPECT_NE(b.find(" N/MPH ^ 2\r\n"), std::string::npos);
}

// The interval method: the same road load from the same speed-only test.
TEST(SiUnitsTest, IntervalMethodInSi) {
  const testsupport::SimulatedFolder folder("--scenario speed-only --seed 12 --data-runs 6");
  testsupport::ScratchDir si;
  // 9 and 81 mph.
  const auto inSi =
      testsupport::Run(COASTDOWN_EXE, {"--method", "intervals", "--si", "--rate", "10", "--json", si / "si.json",
                                       InSi(folder, si) + "False,False,14.484096,130.358864" + kSiTest});
  const auto us = folder.Analyse({"--method", "intervals", "--rate", "10", "--json", folder.dir / "us.json"});
  ASSERT_EQ(us.status, 0) << us.err;
  ASSERT_EQ(inSi.status, 0) << inSi.err;
  const std::string a = testsupport::ReadFile(folder.dir / "us.json");
  const std::string b = testsupport::ReadFile(si / "si.json");
  for (const char* key : {"f0_N", "f1_N_per_kmh", "f2_N_per_kmh2"}) {
    const std::string label = "\"" + std::string(key) + "\": ";
    const double x = NumberAfter(a, label, a.find("\"corrected\"")), y = NumberAfter(b, label, b.find("\"corrected\""));
    // The km/h texts are 17 digits of the mph values times 1.609344, so the
    // speeds agree to a few parts in 10^16; the least squares and the
    // crossings between records make that a few parts in 10^9.
    EXPECT_NEAR(x, y, 1e-7 * std::fabs(x)) << key;
  }
  EXPECT_NE(b.find("\"si\": true"), std::string::npos);
}

}  // namespace
