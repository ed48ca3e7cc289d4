// Escaping of user text and the number texts of the page.
#include "html/Html.h"

#include <gtest/gtest.h>

#include <limits>
#include <string>
#include <utility>

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();
const std::string kReplacement = "\xEF\xBF\xBD";

// Markup characters become references; text that is not UTF-8, and control
// characters, become replacement characters, one per byte.
TEST(EscapeTest, GivesTextSafeInElementsAndAttributes) {
  const std::pair<std::string, std::string> cases[] = {
      {"<b>&\"x\"'</b>", "&lt;b&gt;&amp;&quot;x&quot;&#39;&lt;/b&gt;"},
      {"&amp;", "&amp;amp;"},
      {"Gr\xC3\xBC\xC3\x9F \xE2\x80\x93 \xF0\x9F\x9A\x97", "Gr\xC3\xBC\xC3\x9F \xE2\x80\x93 \xF0\x9F\x9A\x97"},
      {"Gr\xFCn", "Gr" + kReplacement + "n"},
      {"\xC0\xAF", kReplacement + kReplacement},                     // overlong
      {"\xED\xA0\x80", kReplacement + kReplacement + kReplacement},  // a surrogate
      {"a\xE2\x82", "a" + kReplacement + kReplacement},              // cut short
      {std::string("a\x01\x7F\tb\n", 6), "a" + kReplacement + kReplacement + "\tb\n"},
      {std::string("a\0b", 3), "a" + kReplacement + "b"},
  };
  for (const auto& [in, out] : cases) EXPECT_EQ(html::Escape(in), out) << in;
}

TEST(NumberTextTest, NeverShowsNanAndRoundsAsAsked) {
  const std::pair<std::string, const char*> cases[] = {
      {html::Fixed(2.345, 2), "2.35"},
      {html::Fixed(-0.001, 2), "0.00"},  // rounded to zero, unsigned
      {html::Fixed(kNaN, 2), "\u2014"},
      {html::Fixed(-kInf, 1), "\u2014"},
      {html::Fixed(1e300, 1).substr(0, 4), "1000"},
      {html::Significant(0.0020123, 3), "0.00201"},
      {html::Significant(15568.2, 3), "15568"},
      {html::Significant(1.1e-5, 3), "1.10e-05"},
      {html::Significant(kNaN, 3), "\u2014"},
      {html::Significant(0.0, 3), "0"},
      {html::Compact(8.0, 4), "8"},
      {html::Compact(8.1, 4), "8.1"},
      {html::Compact(1.5e-7, 4), "1.5e-07"},
      {html::Count(-32768), "-32768"},
  };
  int row = 0;
  for (const auto& [text, expected] : cases) EXPECT_EQ(text, expected) << "row " << row++;
}

}  // namespace
