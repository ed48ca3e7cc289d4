// Number texts as the report writes them, and the conversions of the run
// parameters.
#include "common/NumberText.h"

#include <gtest/gtest.h>

#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <random>
#include <string>
#include <string_view>
#include <system_error>
#include <tuple>
#include <utility>

#include "common/TextConversion.h"
#include "tests/TestSupport.h"

namespace {

using testsupport::ErrorOf;

// A number of at most `digits` random digits times a power of ten from
// 10^lowest to 10^highest: the values a decimal text makes.
double ShortDecimal(std::mt19937_64& random, int digits, int lowest, int highest) {
  std::uint64_t limit = 1;
  for (int j = 0; j < digits; ++j) limit *= 10;
  const auto whole = static_cast<double>(random() % limit);
  const int exponent = lowest + static_cast<int>(random() % static_cast<std::uint64_t>(highest - lowest + 1));
  return exponent >= 0 ? whole * std::pow(10.0, exponent) : whole / std::pow(10.0, -exponent);
}

// Both ends of the plain form (exponents -4 and 14), rounding to 15 digits
// with its carry, signs, and the exponent's sign and width.
TEST(NumberTextTest, PlainAndExponentForms) {
  const std::pair<double, const char*> cases[] = {
      {0.0, " 0"}, {-0.0, " 0"}, {20.0, " 20"}, {0.345, " .345"}, {-0.345, "-.345"}, {98.21, " 98.21"},
      {0.1 + 0.2, " .3"}, {2.0 / 3.0, " .666666666666667"}, {0.0001, " .0001"}, {0.00001, " 1E-05"},
      {-0.000012345, "-1.2345E-05"}, {123456789012345.0, " 123456789012345"},
      {1234567890123456.0, " 1.23456789012346E+15"}, {999999999999999.5, " 1E+15"}, {1e100, " 1E+100"},
  };
  for (const auto& [value, text] : cases) EXPECT_EQ(NumberText(value), text) << value;
}

// The 15-digit form rounded half away from zero, carries into a new digit,
// and magnitudes beyond and below the 15 digits.
TEST(NumberTextTest, FixedFormats) {
  const std::tuple<double, const char*, const char*> cases[] = {
      {2.675, "0.00", "2.68"}, {-2.675, "0.00", "-2.68"}, {-0.0, "0.000000", "0.000000"},
      {-0.0000004, "0.000000", "-0.000000"}, {0.0000005, "0.000000", "0.000001"}, {26.98428, "0.00", "26.98"},
      {0.44374, "0.0000", "0.4437"}, {9.995, "0.00", "10.00"}, {99.5, "0", "100"}, {0.4, "0", "0"},
      {12345678901234567890.0, "0.00", "12345678901234600000.00"}, {1e-20, "0.000", "0.000"},
  };
  for (const auto& [value, pattern, text] : cases) EXPECT_EQ(FormatFixed(value, pattern), text) << value << pattern;
  for (const char* pattern : {"#.##", "0.", "00"}) EXPECT_EQ(ErrorOf([&] { FormatFixed(1.0, pattern); }), 5);
}

// The record's files promise the text std::to_chars writes; the faster
// road to it must agree on every double, so it is set against to_chars on
// millions: random bit patterns of every magnitude, values spread evenly
// over the magnitudes of a test's samples, decimals of 1 to 17 digits and
// their neighbours (where a shorter text may or may not read back), powers
// of two (whose lower neighbour is nearer) and of ten, and whole numbers.
TEST(NumberTextTest, ShortestIsWhatToCharsWrites) {
  long mismatches = 0;
  const auto check = [&](double value) {
    if (!std::isfinite(value)) return;
    char expected[kShortestRoom];
    char got[kShortestRoom];
    const char* const wantEnd = std::to_chars(expected, expected + sizeof expected, value).ptr;
    const std::string_view want(expected, static_cast<std::size_t>(wantEnd - expected));
    const std::string_view have(got, static_cast<std::size_t>(PutShortest(got, value) - got));
    if (want != have && ++mismatches <= 10) ADD_FAILURE() << want << " written as " << have;
  };
  const auto around = [&](double value) {
    for (const double v : {value, std::nextafter(value, 0.0), std::nextafter(value, HUGE_VAL)}) {
      check(v);
      check(-v);
    }
  };
  std::mt19937_64 random(20261207);
  for (int i = 0; i < 1000000; ++i) {
    const std::uint64_t bits = random();
    double value = 0.0;
    std::memcpy(&value, &bits, sizeof value);
    check(value);
  }
  std::uniform_real_distribution<double> magnitude(-24.0, 17.0);
  for (int i = 0; i < 2000000; ++i) check(std::pow(10.0, magnitude(random)));
  for (int digits = 1; digits <= 17; ++digits) {
    for (int i = 0; i < 30000; ++i) around(ShortDecimal(random, digits, -24, 15));
  }
  for (int e = -1080; e <= 1023; ++e) around(std::ldexp(1.0, e));
  for (int e = -323; e <= 308; ++e) around(std::pow(10.0, e));
  for (int n = 0; n <= 300000; ++n) around(n);
  for (int i = 0; i < 300000; ++i) around(static_cast<double>(random() >> 11));
  EXPECT_EQ(mismatches, 0);
}

// The pixel numbers of a page's plots: their whole part's digits, as
// to_chars writes them, for every value a coordinate can have.
TEST(NumberTextTest, WholeIsWhatToCharsWrites) {
  long mismatches = 0;
  for (std::uint32_t value = 0; value <= 10000000; ++value) {
    char expected[16];
    char got[16];
    const char* const wantEnd = std::to_chars(expected, expected + sizeof expected, value).ptr;
    const std::string_view want(expected, static_cast<std::size_t>(wantEnd - expected));
    const std::string_view have(got, static_cast<std::size_t>(PutWhole(got, value) - got));
    if (want != have && ++mismatches <= 10) ADD_FAILURE() << want << " written as " << have;
  }
  EXPECT_EQ(mismatches, 0);
}

// The page's fixed texts promise what std::to_chars writes with so many
// decimals. The faster road rounds the shortest decimal instead of the
// value, so ties of each are where it could go wrong: values of every
// magnitude, decimals of 1 to 17 digits with their neighbours, and
// fractions of a power of two (exact ties) to every number of decimals.
TEST(NumberTextTest, FixedIsWhatToCharsWrites) {
  long mismatches = 0;
  const auto check = [&](double value, int decimals) {
    char expected[400];
    char got[400];
    const auto want = std::to_chars(expected, expected + sizeof expected, value, std::chars_format::fixed, decimals);
    const auto have = PutFixed(got, got + sizeof got, value, decimals);
    const std::string_view wantText(expected, static_cast<std::size_t>(want.ptr - expected));
    const std::string_view haveText(got, static_cast<std::size_t>(have.ptr - got));
    if ((want.ec != have.ec || wantText != haveText) && ++mismatches <= 10) {
      ADD_FAILURE() << wantText << " written as " << haveText << " (" << decimals << " decimals)";
    }
  };
  std::mt19937_64 random(20261207);
  std::uniform_real_distribution<double> magnitude(-22.0, 18.0);
  for (int i = 0; i < 500000; ++i) {
    const double value = std::pow(10.0, magnitude(random));
    check((random() & 1) != 0 ? -value : value, static_cast<int>(random() % 18));
  }
  for (int digits = 1; digits <= 17; ++digits) {
    for (int i = 0; i < 3000; ++i) {
      const double value = ShortDecimal(random, digits, -20, 9);
      for (int decimals = 0; decimals <= 17; ++decimals) {
        for (const double v : {value, std::nextafter(value, 0.0), std::nextafter(value, HUGE_VAL), -value}) {
          check(v, decimals);
        }
      }
    }
  }
  for (int n = 0; n < 20000; ++n) {
    for (const double part : {1.0, 2.0, 8.0, 64.0, 1024.0}) {
      for (int decimals = 0; decimals <= 12; ++decimals) check(n / part, decimals);
    }
  }
  EXPECT_EQ(mismatches, 0);
}

// The value of a number text, or "none" when its syntax is not a number's.
TEST(TextConversionTest, NumberSyntax) {
  const std::pair<const char*, const char*> cases[] = {
      {"15", " 15"},     {" 15\t", " 15"}, {".0929", " .0929"}, {"5.", " 5"},      {"+3", " 3"},     {"-2.5e2", "-250"},
      {"1E-3", " .001"}, {"1e+3", " 1000"}, {"1e-400", " 0"},   {"", "none"},      {" ", "none"},    {".", "none"},
      {"1e", "none"},    {"e5", "none"},    {"inf", "none"},    {"nan", "none"},   {"0x10", "none"}, {"1,5", "none"},
      {"1 5", "none"},   {"--1", "none"},   {"+-1", "none"},    {"1.2.3", "none"}, {"12abc", "none"},
  };
  for (const auto& [text, value] : cases) {
    const auto parsed = ParseNumber(text);
    EXPECT_EQ(parsed ? NumberText(*parsed) : "none", value) << '"' << text << '"';
  }
}

// A run file's numbers take a short way to their double; it must be the
// double from_chars gives, to the last bit, on both sides of every limit of
// that way (2^53 as one integer, 19 digits, 22 after the point) and for
// random texts of every length and place of the point.
TEST(TextConversionTest, EveryDecimalReadsAsTheCorrectlyRoundedDouble) {
  const auto same = [](const std::string& text) {
    double expected = 0.0;
    const auto result = std::from_chars(text.data(), text.data() + text.size(), expected);
    ASSERT_EQ(result.ec, std::errc()) << text;
    double parsed = 1.0;
    ASSERT_EQ(TryParseNumber(text, parsed), NumberParse::Ok) << text;
    EXPECT_EQ(std::bit_cast<std::uint64_t>(parsed), std::bit_cast<std::uint64_t>(expected)) << text;
  };
  for (const char* text : {"0", "-0", "-0.000", "0.1", "0.3", "5.", ".5", "-.5", "9007199254740992",
                           "9007199254740993", "900719925474099.3", "90071992547409.93", "1234567890123456789",
                           "12345678901234567890", "0.0000000000000000000001", "0.00000000000000000000001",
                           "4.35", "2.675", "1.0000000000000002", "0.30000000000000004"}) {
    same(text);
  }
  std::mt19937_64 random(20261207);
  for (int i = 0; i < 200000; ++i) {
    const int length = 1 + static_cast<int>(random() % 24);
    std::string text = random() % 4 == 0 ? "-" : "";
    for (int k = 0; k < length; ++k) text += static_cast<char>('0' + random() % 10);
    const auto point = static_cast<std::size_t>(random() % static_cast<std::uint64_t>(length + 2));
    if (point <= static_cast<std::size_t>(length)) text.insert(text.size() - static_cast<std::size_t>(length) + point, ".");
    same(text);
  }
}

TEST(TextConversionTest, BooleansAndErrors) {
  const std::pair<const char*, bool> cases[] = {{"True", true}, {"tRuE", true}, {"False", false}, {"FALSE", false},
                                                {"-1", true},   {"0", false},   {"0.0", false},   {" 2.5 ", true}};
  for (const auto& [text, value] : cases) EXPECT_EQ(TextToBoolean(text), value) << text;
  const std::pair<const char*, int> errors[] = {{"abc", 13}, {"", 13}, {"1e999", 6}, {"-1e999", 6}, {"+1e999", 6}};
  for (const auto& [text, error] : errors) {
    EXPECT_EQ(ErrorOf([&] { TextToNumber(text); }), error) << text;
    EXPECT_EQ(ErrorOf([&] { TextToBoolean(text); }), error) << text;
  }
}

}  // namespace
