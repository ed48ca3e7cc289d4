// The UTF-8 decoder that tells well-formed text from stray bytes in the
// messages, the page and the record, and the encoder of UTF-16 run files.
#include "common/Utf8.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>

namespace {

struct DecodeCase {
  std::string text;
  std::size_t at;
  std::size_t length;  // 0: not UTF-8
  std::uint32_t code;
};

// Both ends of each length, the code points beside the surrogates, and
// every way a sequence can fail to be UTF-8.
TEST(Utf8Test, SequenceAtAPosition) {
  const DecodeCase cases[] = {
      {"A", 0, 1, 0x41},
      {std::string("\0", 1), 0, 1, 0x00},
      {"\x7F", 0, 1, 0x7F},
      {"\xC2\x80", 0, 2, 0x80},
      {"\xDF\xBF", 0, 2, 0x7FF},
      {"\xE0\xA0\x80", 0, 3, 0x800},
      {"\xED\x9F\xBF", 0, 3, 0xD7FF},
      {"\xEE\x80\x80", 0, 3, 0xE000},
      // The noncharacters are UTF-8; what to show for them is the caller's.
      {"\xEF\xBF\xBE", 0, 3, 0xFFFE},
      {"\xEF\xBF\xBF", 0, 3, 0xFFFF},
      {"\xF0\x90\x80\x80", 0, 4, 0x10000},
      {"\xF0\x9F\x9A\x97", 0, 4, 0x1F697},
      {"\xF4\x8F\xBF\xBF", 0, 4, 0x10FFFF},
      // At a position inside the text, and followed by more of it.
      {"ab\xC3\xA9z", 2, 2, 0xE9},
      {"\xE2\x80\x93\xE2\x80\x93", 3, 3, 0x2013},
      // Overlong forms.
      {"\xC0\x80", 0, 0, 0},
      {"\xC1\xBF", 0, 0, 0},
      {"\xE0\x9F\xBF", 0, 0, 0},
      {"\xF0\x8F\xBF\xBF", 0, 0, 0},
      // Surrogates.
      {"\xED\xA0\x80", 0, 0, 0},
      {"\xED\xBF\xBF", 0, 0, 0},
      // Past U+10FFFF, and lead bytes no UTF-8 has.
      {"\xF4\x90\x80\x80", 0, 0, 0},
      {"\xF5\x80\x80\x80", 0, 0, 0},
      {"\xFF", 0, 0, 0},
      // Cut short by the end of the text, also where a longer text holds
      // the rest of the bytes before the position.
      {"\xC3", 0, 0, 0},
      {"\xE2\x80", 0, 0, 0},
      {"\xF0\x9F\x9A", 0, 0, 0},
      {"x\xF0\x9F\x9A", 1, 0, 0},
      {"abc", 3, 0, 0},
      // Stray continuation bytes, and a lead byte followed by none.
      {"\x80", 0, 0, 0},
      {"\xC3\xA9", 1, 0, 0},
      {"\xC3" "A", 0, 0, 0},
      {"\xE2\x28\xA1", 0, 0, 0},
      {"\xF0\x9F\x9A" "A", 0, 0, 0},
  };
  for (const auto& c : cases) {
    const Utf8Char got = Utf8At(c.text, c.at);
    EXPECT_EQ(got.length, c.length) << testing::PrintToString(c.text) << " at " << c.at;
    if (c.length > 0) {
      EXPECT_EQ(got.code, c.code) << testing::PrintToString(c.text) << " at " << c.at;
    }
  }
}

// Each length's first and last code point, appended to text. (The decoder
// reads these same bytes in the test above.)
TEST(Utf8Test, AppendWritesTheShortestForm) {
  const std::pair<std::uint32_t, std::string> cases[] = {
      {0x41, "A"},
      {0x7F, "\x7F"},
      {0x80, "\xC2\x80"},
      {0x7FF, "\xDF\xBF"},
      {0x800, "\xE0\xA0\x80"},
      {0xFFFD, "\xEF\xBF\xBD"},
      {0xFFFF, "\xEF\xBF\xBF"},
      {0x10000, "\xF0\x90\x80\x80"},
      {0x10FFFF, "\xF4\x8F\xBF\xBF"},
  };
  for (const auto& [code, bytes] : cases) {
    std::string out = "x";
    AppendUtf8(out, code);
    EXPECT_EQ(out, "x" + bytes) << std::hex << code;
  }
}

}  // namespace
