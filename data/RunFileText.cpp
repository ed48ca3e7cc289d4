// Finding and reading the other text forms of run files.
#include "data/RunFileText.h"

#include <algorithm>

#include "common/Utf8.h"

namespace {

constexpr std::size_t kSampleBytes = 40;  // of a line, as a warning quotes it
constexpr int kLinesLooked = 20;          // non-empty lines that decide the layout

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// A line of three numbers with decimal commas, separated by blanks or tabs.
bool DecimalCommaLine(std::string_view line) {
  if (line.find('.') != std::string_view::npos || line.find(',') == std::string_view::npos) return false;
  for (std::size_t i = 0; i < line.size(); ++i) {
    if (line[i] == ',' && (i == 0 || i + 1 == line.size() || !IsDigit(line[i - 1]) || !IsDigit(line[i + 1]))) {
      return false;
    }
  }
  int items = 0;
  bool inItem = false;
  for (const char c : line) {
    const bool blank = c == ' ' || c == '\t';
    if (!blank && !inItem) ++items;
    inItem = !blank;
  }
  return items == 3;
}

}  // namespace

const char* TextFormName(TextForm form) {
  switch (form) {
    case TextForm::EightBit: return "8-bit text";
    case TextForm::Utf8Bom: return "UTF-8 text with a byte-order mark";
    case TextForm::Utf16LE: return "UTF-16 little-endian text";
    case TextForm::Utf16BE: return "UTF-16 big-endian text";
    case TextForm::DecimalComma: return "numbers with decimal commas";
    case TextForm::Semicolon: return "fields separated by semicolons";
  }
  return "";
}

TextFormSeen EncodingOf(std::string_view bytes) {
  TextFormSeen seen;
  seen.line = 1;
  seen.sample = std::string(bytes.substr(0, std::min<std::size_t>(bytes.size(), 8)));
  if (bytes.starts_with("\xFF\xFE")) {
    seen.form = TextForm::Utf16LE;
  } else if (bytes.starts_with("\xFE\xFF")) {
    seen.form = TextForm::Utf16BE;
  } else if (bytes.starts_with("\xEF\xBB\xBF")) {
    seen.form = TextForm::Utf8Bom;
  } else {
    // ASCII in two bytes a character: every other byte zero.
    const std::size_t n = std::min<std::size_t>(bytes.size(), 64) & ~std::size_t{1};
    std::size_t zerosEven = 0;
    std::size_t zerosOdd = 0;
    for (std::size_t i = 0; i < n; ++i) (i % 2 == 0 ? zerosEven : zerosOdd) += bytes[i] == '\0' ? 1 : 0;
    if (n >= 4 && zerosOdd == n / 2 && zerosEven == 0) seen.form = TextForm::Utf16LE;
    if (n >= 4 && zerosEven == n / 2 && zerosOdd == 0) seen.form = TextForm::Utf16BE;
  }
  if (seen.form == TextForm::EightBit) seen = {};
  return seen;
}

TextFormSeen LayoutOf(std::string_view text) {
  TextFormSeen decimalComma;
  long line = 0;
  int looked = 0;
  for (std::size_t at = 0; at < text.size() && looked < kLinesLooked;) {
    std::size_t end = text.find_first_of("\r\n", at);
    // A line the block cuts short is left to the lines before it.
    if (end == std::string_view::npos) break;
    const std::string_view l = text.substr(at, end - at);
    ++line;
    at = end + (text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n' ? 2 : 1);
    if (l.find_first_not_of(" \t") == std::string_view::npos) continue;
    ++looked;
    const std::string sample(l.substr(0, kSampleBytes));
    if (l.find(';') != std::string_view::npos) return {TextForm::Semicolon, line, sample};
    if (decimalComma.form == TextForm::EightBit && DecimalCommaLine(l)) decimalComma = {TextForm::DecimalComma, line, sample};
  }
  return decimalComma;
}

void TextDecoder::Decode(std::string_view bytes, std::string& out) {
  const bool utf16 = encoding_ == TextForm::Utf16LE || encoding_ == TextForm::Utf16BE;
  std::string joined;
  if (!pending_.empty()) {
    joined = pending_ + std::string(bytes);
    bytes = joined;
    pending_.clear();
  }
  if (!started_) {
    const std::string_view mark = utf16 ? (encoding_ == TextForm::Utf16LE ? "\xFF\xFE" : "\xFE\xFF")
                                  : encoding_ == TextForm::Utf8Bom ? "\xEF\xBB\xBF"
                                                                   : "";
    if (bytes.size() < mark.size() && mark.starts_with(bytes)) {
      pending_ = std::string(bytes);
      return;
    }
    if (bytes.starts_with(mark)) bytes.remove_prefix(mark.size());
    started_ = true;
  }
  if (!utf16) {
    out.append(bytes);
    return;
  }
  const bool little = encoding_ == TextForm::Utf16LE;
  std::size_t i = 0;
  for (; i + 1 < bytes.size(); i += 2) {
    const auto lo = static_cast<unsigned char>(bytes[i + (little ? 0 : 1)]);
    const auto hi = static_cast<unsigned char>(bytes[i + (little ? 1 : 0)]);
    const unsigned unit = (static_cast<unsigned>(hi) << 8) | lo;
    if (unit >= 0xD800 && unit < 0xDC00) {
      highSurrogate_ = unit;
      continue;
    }
    if (unit >= 0xDC00 && unit < 0xE000 && highSurrogate_ != 0) {
      AppendUtf8(out, 0x10000 + ((highSurrogate_ - 0xD800) << 10) + (unit - 0xDC00));
    } else {
      // A lone surrogate is no character: the replacement character stands for it.
      AppendUtf8(out, unit >= 0xD800 && unit < 0xE000 ? 0xFFFD : unit);
    }
    highSurrogate_ = 0;
  }
  if (i < bytes.size()) pending_ = std::string(bytes.substr(i));
}

void ToDecimalPoint(TextForm layout, char* text, std::size_t size) {
  if (layout != TextForm::DecimalComma && layout != TextForm::Semicolon) return;
  for (std::size_t i = 0; i < size; ++i) {
    if (text[i] == ',') {
      text[i] = '.';
    } else if (text[i] == ';' && layout == TextForm::Semicolon) {
      text[i] = ',';
    }
  }
}
