// Number texts as the report writes them, and the conversions of the run
// parameters.
#include <gtest/gtest.h>

#include <string>

#include "common/NumberText.h"
#include "common/RuntimeError.h"
#include "common/TextConversion.h"

namespace {

TEST(NumberTextTest, PlainAndExponentForms) {
  const struct {
    double value;
    const char* text;
  } cases[] = {
      {0.0, " 0"},
      {-0.0, " 0"},
      {20.0, " 20"},
      {0.345, " .345"},
      {-0.345, "-.345"},
      {98.21, " 98.21"},
      {22.5, " 22.5"},
      {22.5 * 0.0929 / 0.0929, " 22.5"},
      {0.134112, " .134112"},
      {0.0001, " .0001"},
      {0.00001, " 1E-05"},
      {-0.000012345, "-1.2345E-05"},
      {123456789012345.0, " 123456789012345"},
      {1234567890123456.0, " 1.23456789012346E+15"},
      {1e15, " 1E+15"},
      {1e100, " 1E+100"},
      {0.1 + 0.2, " .3"},
      {1.0 / 3.0, " .333333333333333"},
      {2.0 / 3.0, " .666666666666667"},
      {999999999999999.5, " 1E+15"},
      {5e-324, " 4.94065645841247E-324"},
  };
  for (const auto& c : cases) EXPECT_EQ(NumberText(c.value), c.text) << c.value;
}

TEST(NumberTextTest, FixedFormatsRoundTheFifteenDigitFormHalfAwayFromZero) {
  const struct {
    double value;
    const char* pattern;
    const char* text;
  } cases[] = {
      {2.675, "0.00", "2.68"},
      {-2.675, "0.00", "-2.68"},
      {0.0, "0.000000", "0.000000"},
      {-0.0, "0.000000", "0.000000"},
      {-0.0000004, "0.000000", "-0.000000"},
      {0.0000005, "0.000000", "0.000001"},
      {1.0, "0.000000", "1.000000"},
      {26.98428, "0.00", "26.98"},
      {0.44374, "0.0000", "0.4437"},
      {0.15949, "0.000", "0.159"},
      {9.995, "0.00", "10.00"},
      {99.5, "0", "100"},
      {0.4, "0", "0"},
      {12345678901234567890.0, "0.00", "12345678901234600000.00"},
      {1e-20, "0.000", "0.000"},
  };
  for (const auto& c : cases) EXPECT_EQ(FormatFixed(c.value, c.pattern), c.text) << c.value << " " << c.pattern;
}

TEST(NumberTextTest, UnknownPatternIsAnInvalidCall) {
  try {
    FormatFixed(1.0, "#.##");
    FAIL();
  } catch (const RuntimeError& e) {
    EXPECT_EQ(e.Code(), 5);
  }
}

TEST(TextConversionTest, NumberSyntax) {
  const struct {
    const char* text;
    bool number;
    double value;
  } cases[] = {
      {"15", true, 15},      {" 15", true, 15},      {"15\t", true, 15},   {".0929", true, 0.0929},
      {"5.", true, 5},       {"+3", true, 3},        {"-2.5e2", true, -250}, {"1E-3", true, 0.001},
      {"1e+3", true, 1000},  {"1e-400", true, 0},    {"", false, 0},       {" ", false, 0},
      {".", false, 0},       {"1e", false, 0},       {"e5", false, 0},     {"inf", false, 0},
      {"nan", false, 0},     {"0x10", false, 0},     {"1,5", false, 0},    {"1 5", false, 0},
      {"--1", false, 0},     {"+-1", false, 0},      {"1.2.3", false, 0},  {"12abc", false, 0},
  };
  for (const auto& c : cases) {
    const auto parsed = ParseNumber(c.text);
    EXPECT_EQ(parsed.has_value(), c.number) << '"' << c.text << '"';
    if (parsed && c.number) {
      EXPECT_EQ(parsed->value(), c.value) << c.text;
    }
  }
}

TEST(TextConversionTest, ErrorsOfTheConversions) {
  const struct {
    const char* text;
    bool boolean;
    int error;
  } cases[] = {
      {"abc", false, 13}, {"", false, 13}, {"1e999", false, 6}, {"-1e999", false, 6},
      {"maybe", true, 13}, {"", true, 13}, {"1e999", true, 6},
  };
  for (const auto& c : cases) {
    try {
      if (c.boolean) {
        TextToBoolean(c.text, "field");
      } else {
        TextToNumber(c.text, "field");
      }
      ADD_FAILURE() << c.text;
    } catch (const RuntimeError& e) {
      EXPECT_EQ(e.Code(), c.error) << c.text;
    }
  }
}

TEST(TextConversionTest, Booleans) {
  const struct {
    const char* text;
    bool value;
  } cases[] = {{"True", true}, {"TRUE", true}, {"tRuE", true}, {"False", false}, {"false", false},
               {"1", true},    {"-1", true},   {"0", false},   {"0.0", false},  {" 2.5 ", true}};
  for (const auto& c : cases) EXPECT_EQ(TextToBoolean(c.text), c.value) << c.text;
}

}  // namespace
