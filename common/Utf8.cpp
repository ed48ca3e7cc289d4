// Reading and writing UTF-8.
#include "common/Utf8.h"

Utf8Char Utf8At(std::string_view text, std::size_t at) {
  if (at >= text.size()) return {};
  const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
  const unsigned char lead = byte(at);
  if (lead < 0x80) return {lead, 1};
  std::size_t length = 0;
  std::uint32_t code = 0;
  // C0 and C1 could only start overlong forms, F5 and above only code
  // points past U+10FFFF.
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
    return {};
  }
  if (text.size() - at < length) return {};
  for (std::size_t k = 1; k < length; ++k) {
    if ((byte(at + k) & 0xC0u) != 0x80u) return {};
    code = (code << 6) | (byte(at + k) & 0x3Fu);
  }
  if (length == 3 && (code < 0x800 || (code >= 0xD800 && code <= 0xDFFF))) return {};
  if (length == 4 && (code < 0x10000 || code > 0x10FFFF)) return {};
  return {code, length};
}

void AppendUtf8(std::string& out, std::uint32_t code) {
  if (code < 0x80) {
    out.push_back(static_cast<char>(code));
  } else if (code < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (code >> 6)));
    out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
  } else if (code < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (code >> 12)));
    out.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (code >> 18)));
    out.push_back(static_cast<char>(0x80 | ((code >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
  }
}
