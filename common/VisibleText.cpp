// Showing hidden characters in messages.
#include "common/VisibleText.h"

#include <cstdint>

namespace {

constexpr char kHex[] = "0123456789ABCDEF";

// The code point of the valid UTF-8 sequence at text[i] and its length; a
// length of 0 when there is none (overlong forms and surrogates are none).
std::size_t Utf8At(std::string_view text, std::size_t i, std::uint32_t& code) {
  const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
  const unsigned char lead = byte(i);
  std::size_t length = 0;
  if (lead < 0x80) {
    code = lead;
    return 1;
  }
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
    code = lead & 0x1Fu;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    code = lead & 0x0Fu;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    code = lead & 0x07u;
  } else {
    return 0;
  }
  if (i + length > text.size()) return 0;
  for (std::size_t k = 1; k < length; ++k) {
    if ((byte(i + k) & 0xC0u) != 0x80u) return 0;
    code = (code << 6) | (byte(i + k) & 0x3Fu);
  }
  if (length == 3 && (code < 0x800 || (code >= 0xD800 && code <= 0xDFFF))) return 0;
  if (length == 4 && (code < 0x10000 || code > 0x10FFFF)) return 0;
  return length;
}

bool PrintsAsNothing(std::uint32_t code) {
  return code == 0xFEFF || code == 0x00A0 || (code >= 0x200B && code <= 0x200F) || code == 0x2060 ||
         code == 0xFFFE || code == 0xFFFF || (code >= 0x80 && code < 0xA0);
}

}  // namespace

std::string VisibleText(std::string_view text) {
  std::string shown;
  shown.reserve(text.size());
  for (std::size_t i = 0; i < text.size();) {
    const auto c = static_cast<unsigned char>(text[i]);
    std::uint32_t code = 0;
    const std::size_t length = Utf8At(text, i, code);
    if (c == '\r') {
      shown += "\\r";
    } else if (c == '\n') {
      shown += "\\n";
    } else if (c == '\t') {
      shown += "\\t";
    } else if (length == 0 || c < 0x20 || c == 0x7F) {
      shown += "\\x";
      shown.push_back(kHex[c >> 4]);
      shown.push_back(kHex[c & 15]);
    } else if (PrintsAsNothing(code)) {
      shown += "\\u";
      for (int shift = 12; shift >= 0; shift -= 4) shown.push_back(kHex[(code >> shift) & 15]);
    } else {
      shown.append(text.substr(i, length));
      i += length;
      continue;
    }
    i += length == 0 ? 1 : length;
  }
  return shown;
}
