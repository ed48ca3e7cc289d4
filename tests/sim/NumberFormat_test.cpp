// Number texts: fixed decimals rounded like the coastdown report, and the
// shortest exact fixed form for echoed parameters.
#include <gtest/gtest.h>

#include "NumberFormat.h"

namespace {

TEST(NumberFormatTest, FixedRoundsTheFifteenDigitFormHalfAwayFromZero) {
  const struct {
    double value;
    int decimals;
    const char* text;
  } cases[] = {
      {30.0 * 1.1215, 2, "33.65"},  // 33.644999… in binary, 33.645 to 15 digits
      {2.675, 2, "2.68"},
      {-2.675, 2, "-2.68"},
      {0.0, 6, "0.000000"},
      {-0.0000004, 6, "0.000000"},  // no minus on a zero
      {0.0000005, 6, "0.000001"},
      {9.9999996, 6, "10.000000"},  // carry into a new digit
      {999.995, 2, "1000.00"},
      {0.017536367658980416, 6, "0.017536"},
      {69.9782341, 6, "69.978234"},
      {-1.603088, 6, "-1.603088"},
      {12345678.5, 0, "12345679"},
      {0.05, 1, "0.1"},
      {1e-9, 3, "0.000"},
  };
  for (const auto& c : cases) EXPECT_EQ(sim::FormatFixed(c.value, c.decimals), c.text) << c.value;
}

TEST(NumberFormatTest, ReportFormsKeepTheReportsSignsAndPlainNumbers) {
  EXPECT_EQ(sim::FormatReportFixed(-0.0000004, 6), "-0.000000");
  EXPECT_EQ(sim::FormatReportFixed(-0.0, 2), "0.00");
  EXPECT_EQ(sim::FormatReportFixed(-2.675, 2), "-2.68");
  EXPECT_EQ(sim::FormatReportFixed(0.0000005, 6), "0.000001");
  const struct {
    double value;
    const char* text;
  } cases[] = {
      {22.5, " 22.5"},
      {22.5 * 0.0929 / 0.0929, " 22.5"},  // 15 digits hide the round trip
      {1.0 / 0.98, " 1.02040816326531"},
      {0.134112, " .134112"},
      {-0.25, "-.25"},
      {0.0, " 0"},
      {-0.0, " 0"},
      {1.0, " 1"},
      {0.0001, " .0001"},
      {0.00001, " 1E-05"},
      {1234567890123456.0, " 1.23456789012346E+15"},
  };
  for (const auto& c : cases) EXPECT_EQ(sim::FormatReportNumber(c.value), c.text) << c.value;
}

TEST(NumberFormatTest, ShortestIsExactAndFixed) {
  EXPECT_EQ(sim::FormatShortest(3500.0), "3500");
  EXPECT_EQ(sim::FormatShortest(200000.0), "200000");
  EXPECT_EQ(sim::FormatShortest(29.92), "29.92");
  EXPECT_EQ(sim::FormatShortest(-0.3), "-0.3");
  EXPECT_EQ(sim::FormatShortest(0.00001), "0.00001");
}

}  // namespace
