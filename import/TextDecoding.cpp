// Encodings in, UTF-8 out; texts made visible for messages.
#include "TextDecoding.h"

#include <cstdint>
#include <cstdio>

#include "ImportError.h"
#include "common/Utf8.h"

namespace importer {

namespace {

// UTF-16 from `start`, two bytes a unit; an unpaired surrogate becomes the
// replacement character, which no number or name can hold.
std::string FromUtf16(const std::string& bytes, std::size_t start, bool bigEndian) {
  std::string out;
  out.reserve(bytes.size() / 2);
  auto unit = [&](std::size_t at) {
    const auto a = static_cast<unsigned char>(bytes[at]);
    const auto b = static_cast<unsigned char>(bytes[at + 1]);
    return static_cast<std::uint32_t>(bigEndian ? (a << 8) | b : (b << 8) | a);
  };
  for (std::size_t at = start; at + 1 < bytes.size(); at += 2) {
    std::uint32_t code = unit(at);
    if (code >= 0xD800 && code < 0xDC00 && at + 3 < bytes.size()) {
      const std::uint32_t low = unit(at + 2);
      if (low >= 0xDC00 && low < 0xE000) {
        code = 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00);
        at += 2;
      } else {
        code = 0xFFFD;
      }
    } else if (code >= 0xD800 && code < 0xE000) {
      code = 0xFFFD;
    }
    AppendUtf8(out, code);
  }
  return out;
}

// ASCII text in UTF-16 without a byte-order mark: every other byte zero.
// Returns 1 for little-endian (zeros at odd offsets), 2 for big-endian, 0
// for neither.
int Utf16WithoutMark(const std::string& bytes) {
  if (bytes.size() < 2 || bytes.size() % 2 != 0) return 0;
  std::size_t zeroEven = 0;
  std::size_t zeroOdd = 0;
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    if (bytes[i] == '\0') ++(i % 2 == 0 ? zeroEven : zeroOdd);
  }
  const std::size_t half = bytes.size() / 2;
  if (zeroOdd == half && zeroEven == 0) return 1;
  if (zeroEven == half && zeroOdd == 0) return 2;
  return 0;
}

// Characters that print as nothing or as a blank: control characters,
// the no-break space, zero-width characters, line and paragraph
// separators, the byte-order mark.
bool Invisible(std::uint32_t code) {
  return code < 0xA1 || code == 0xAD || (code >= 0x2000 && code <= 0x200F) || (code >= 0x2028 && code <= 0x202F) ||
         (code >= 0x205F && code <= 0x206F) || code == 0x3000 || code == 0xFEFF;
}

}  // namespace

DecodedText DecodeText(std::string bytes, const std::string& fileName) {
  if (bytes.rfind("\xEF\xBB\xBF", 0) == 0) return {bytes.substr(3), "UTF-8 with a byte-order mark"};
  const bool littleMark = bytes.rfind("\xFF\xFE", 0) == 0;
  const bool bigMark = bytes.rfind("\xFE\xFF", 0) == 0;
  if (littleMark || bigMark) {
    if (bytes.size() % 2 != 0) {
      throw ImportError(fileName + ": UTF-16 text (by its byte-order mark) with an odd number of bytes: the file is cut short or not text");
    }
    return {FromUtf16(bytes, 2, bigMark), bigMark ? "UTF-16 big-endian" : "UTF-16 little-endian"};
  }
  if (const int order = Utf16WithoutMark(bytes); order != 0) {
    return {FromUtf16(bytes, 0, order == 2),
            order == 2 ? "UTF-16 big-endian (without a byte-order mark)" : "UTF-16 little-endian (without a byte-order mark)"};
  }
  if (const std::size_t zero = bytes.find('\0'); zero != std::string::npos) {
    throw ImportError(fileName + ": byte " + std::to_string(zero + 1) +
                      " is a zero byte: this is not a text file (a logger's binary format or a spreadsheet?); "
                      "export it as CSV text");
  }
  return {std::move(bytes), "UTF-8"};
}

std::string Quoted(std::string_view text) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  auto hexByte = [&](std::string& out, unsigned char c) {
    out += "\\x";
    out.push_back(kHex[c >> 4]);
    out.push_back(kHex[c & 15]);
  };
  std::string shown = "\"";
  for (std::size_t i = 0; i < text.size();) {
    const auto c = static_cast<unsigned char>(text[i]);
    if (c < 0x80) {
      if (c == '\r') {
        shown += "\\r";
      } else if (c == '\t') {
        shown += "\\t";
      } else if (c == '\n') {
        shown += "\\n";
      } else if (c == '"' || c == '\\') {
        shown.push_back('\\');
        shown.push_back(static_cast<char>(c));
      } else if (c >= 0x20 && c < 0x7F) {
        shown.push_back(static_cast<char>(c));
      } else {
        hexByte(shown, c);
      }
      ++i;
      continue;
    }
    const auto [code, length] = Utf8At(text, i);
    if (length == 0) {
      hexByte(shown, c);
      ++i;
      continue;
    }
    if (Invisible(code)) {
      char u[16];
      std::snprintf(u, sizeof u, "\\u%04X", static_cast<unsigned>(code));
      shown += u;
    } else {
      shown.append(text.substr(i, length));
    }
    i += length;
  }
  return shown + "\"";
}

}  // namespace importer
