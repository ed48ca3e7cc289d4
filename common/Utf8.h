// Reading and writing UTF-8: the one decoder behind every place that tells
// well-formed text from stray bytes, and the one encoder of the text
// converted from UTF-16.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

struct Utf8Char {
  std::uint32_t code = 0;  // the code point
  std::size_t length = 0;  // in bytes; 0 when the bytes there are not UTF-8
};

// The character whose sequence starts at text[at]. Overlong forms,
// surrogates, code points past U+10FFFF, a sequence cut short by the end of
// the text and a stray continuation byte are not UTF-8: length 0. The
// noncharacters (U+FFFE, U+FFFF, ...) are, and are left to the caller.
Utf8Char Utf8At(std::string_view text, std::size_t at);

// Appends `code`, a code point that is not a surrogate, as UTF-8.
void AppendUtf8(std::string& out, std::uint32_t code);
