// Showing hidden characters in messages.
#include "common/VisibleText.h"

#include <cstdint>

#include "common/Utf8.h"

namespace {

constexpr char kHex[] = "0123456789ABCDEF";

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
    const auto [code, length] = Utf8At(text, i);
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
