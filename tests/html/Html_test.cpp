// Escaping of user text for the page.
#include "html/Html.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>

namespace {

const std::string kReplacement = "\xEF\xBF\xBD";

// Markup characters become references; text that is not UTF-8, and control
// characters, become replacement characters, one per byte. Which sequences
// are UTF-8 is the decoder's own test (Utf8_test.cpp).
TEST(EscapeTest, GivesTextSafeInElementsAndAttributes) {
  const std::pair<std::string, std::string> cases[] = {
      {"<b>&\"x\"'</b>", "&lt;b&gt;&amp;&quot;x&quot;&#39;&lt;/b&gt;"},
      {"&amp;", "&amp;amp;"},
      {"Gr\xC3\xBC\xC3\x9F \xE2\x80\x93 \xF0\x9F\x9A\x97", "Gr\xC3\xBC\xC3\x9F \xE2\x80\x93 \xF0\x9F\x9A\x97"},
      {"Gr\xFCn", "Gr" + kReplacement + "n"},
      {"a\xE2\x82", "a" + kReplacement + kReplacement},                // cut short
      {"t\xEF\xBF\xBE\xEF\xBF\xBF", "t" + kReplacement + kReplacement},  // U+FFFE, U+FFFF: no XML characters
      {std::string("a\x01\x7F\tb\n", 6), "a" + kReplacement + kReplacement + "\tb\n"},
      {std::string("a\0b", 3), "a" + kReplacement + "b"},
  };
  for (const auto& [in, out] : cases) EXPECT_EQ(html::Escape(in), out) << in;
}

}  // namespace
