// Escaping of user text and the number texts of the page.
#include "html/Html.h"

#include <gtest/gtest.h>

#include <limits>

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

struct EscapeCase {
  const char* name;
  std::string in;
  std::string out;
};

class EscapeTest : public ::testing::TestWithParam<EscapeCase> {};

TEST_P(EscapeTest, GivesTextSafeInElementsAndAttributes) { EXPECT_EQ(html::Escape(GetParam().in), GetParam().out); }

INSTANTIATE_TEST_SUITE_P(
    Texts, EscapeTest,
    ::testing::Values(EscapeCase{"markup", "<b>&\"x\"'</b>", "&lt;b&gt;&amp;&quot;x&quot;&#39;&lt;/b&gt;"},
                      EscapeCase{"reference_stays_text", "&amp;", "&amp;amp;"},
                      EscapeCase{"utf8_kept", "Gr\xC3\xBC\xC3\x9F \xE2\x80\x93 \xF0\x9F\x9A\x97",
                                 "Gr\xC3\xBC\xC3\x9F \xE2\x80\x93 \xF0\x9F\x9A\x97"},
                      EscapeCase{"latin1_byte",
                                 "Gr\xFC"
                                 "n",
                                 "Gr\xEF\xBF\xBDn"},
                      EscapeCase{"overlong", "\xC0\xAF", "\xEF\xBF\xBD\xEF\xBF\xBD"},
                      EscapeCase{"surrogate", "\xED\xA0\x80", "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD"},
                      EscapeCase{"cut_short", "a\xE2\x82", "a\xEF\xBF\xBD\xEF\xBF\xBD"},
                      EscapeCase{"control", std::string("a\x01\x7F\tb\n", 6), "a\xEF\xBF\xBD\xEF\xBF\xBD\tb\n"},
                      EscapeCase{"nul", std::string("a\0b", 3),
                                 "a\xEF\xBF\xBD"
                                 "b"}),
    [](const auto& info) { return std::string(info.param.name); });

struct NumberCase {
  const char* what;
  std::string text;
  const char* expected;
};

class NumberTextTest : public ::testing::TestWithParam<NumberCase> {};

TEST_P(NumberTextTest, NeverShowsNanAndRoundsAsAsked) {
  EXPECT_EQ(GetParam().text, GetParam().expected) << GetParam().what;
}

INSTANTIATE_TEST_SUITE_P(Numbers, NumberTextTest,
                         ::testing::Values(NumberCase{"fixed", html::Fixed(2.345, 2), "2.35"},
                                           NumberCase{"fixed rounds a negative to zero unsigned",
                                                      html::Fixed(-0.001, 2), "0.00"},
                                           NumberCase{"fixed NaN", html::Fixed(kNaN, 2), "\u2014"},
                                           NumberCase{"fixed infinity", html::Fixed(-kInf, 1), "\u2014"},
                                           NumberCase{"fixed huge", html::Fixed(1e300, 1).substr(0, 4), "1000"},
                                           NumberCase{"significant", html::Significant(0.0020123, 3), "0.00201"},
                                           NumberCase{"significant large", html::Significant(15568.2, 3), "15568"},
                                           NumberCase{"significant tiny", html::Significant(1.1e-5, 3), "1.10e-05"},
                                           NumberCase{"significant NaN", html::Significant(kNaN, 3), "\u2014"},
                                           NumberCase{"significant zero", html::Significant(0.0, 3), "0"},
                                           NumberCase{"compact", html::Compact(8.0, 4), "8"},
                                           NumberCase{"compact fraction", html::Compact(8.1, 4), "8.1"},
                                           NumberCase{"compact tiny", html::Compact(1.5e-7, 4), "1.5e-07"},
                                           NumberCase{"count", html::Count(-32768), "-32768"}));

TEST(DecimalsForTest, ShowsTheAskedSignificantDigits) {
  EXPECT_EQ(html::DecimalsFor(0.0123, 2, 9), 3);
  EXPECT_EQ(html::DecimalsFor(12.3, 2, 9), 0);
  EXPECT_EQ(html::DecimalsFor(1e-20, 2, 9), 12);
  EXPECT_EQ(html::DecimalsFor(kNaN, 2, 9), 9);
  EXPECT_EQ(html::DecimalsFor(0.0, 2, 9), 9);
}

}  // namespace
