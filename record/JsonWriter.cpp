// Writing JSON text.
#include "record/JsonWriter.h"

#include <charconv>
#include <cmath>

namespace record {

namespace {

// The length of the well-formed UTF-8 sequence that `text` starts with (its
// first byte 0x80 or above), 0 when it starts with none: no overlong form,
// no surrogate, nothing beyond U+10FFFF.
std::size_t Utf8Length(std::string_view text) {
  const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
  const unsigned char lead = byte(0);
  std::size_t length = 0;
  unsigned char low = 0x80;   // the range of the second byte
  unsigned char high = 0xbf;
  if (lead >= 0xc2 && lead <= 0xdf) {
    length = 2;
  } else if (lead >= 0xe0 && lead <= 0xef) {
    length = 3;
    if (lead == 0xe0) low = 0xa0;
    if (lead == 0xed) high = 0x9f;
  } else if (lead >= 0xf0 && lead <= 0xf4) {
    length = 4;
    if (lead == 0xf0) low = 0x90;
    if (lead == 0xf4) high = 0x8f;
  } else {
    return 0;
  }
  if (text.size() < length || byte(1) < low || byte(1) > high) return 0;
  for (std::size_t k = 2; k < length; ++k) {
    if ((byte(k) & 0xc0) != 0x80) return 0;
  }
  return length;
}

}  // namespace

std::string ShortestText(double value) {
  char text[32];
  const auto result = std::to_chars(text, text + sizeof text, value);
  return std::string(text, result.ptr);
}

void JsonWriter::NewLine() {
  text_ += '\n';
  text_.append(2 * first_.size(), ' ');
}

void JsonWriter::BeforeValue() {
  if (afterKey_) {
    afterKey_ = false;
    return;
  }
  if (!first_.empty()) {
    if (!first_.back()) text_ += ',';
    first_.back() = false;
    NewLine();
  }
}

void JsonWriter::BeginObject() {
  BeforeValue();
  text_ += '{';
  first_.push_back(true);
}

void JsonWriter::EndObject() {
  const bool empty = first_.back();
  first_.pop_back();
  if (!empty) NewLine();
  text_ += '}';
}

void JsonWriter::BeginArray() {
  BeforeValue();
  text_ += '[';
  first_.push_back(true);
}

void JsonWriter::EndArray() {
  const bool empty = first_.back();
  first_.pop_back();
  if (!empty) NewLine();
  text_ += ']';
}

JsonWriter& JsonWriter::Key(std::string_view name) {
  BeforeValue();
  Quoted(name);
  text_ += ": ";
  afterKey_ = true;
  return *this;
}

void JsonWriter::String(std::string_view value) {
  BeforeValue();
  Quoted(value);
}

void JsonWriter::Quoted(std::string_view value) {
  static constexpr char kHex[] = "0123456789abcdef";
  text_ += '"';
  for (std::size_t i = 0; i < value.size(); ++i) {
    const auto c = static_cast<unsigned char>(value[i]);
    if (c == '"' || c == '\\') {
      text_ += '\\';
      text_ += static_cast<char>(c);
    } else if (c < 0x20 || c == 0x7f) {
      text_ += c == '\n' ? "\\n" : c == '\r' ? "\\r" : c == '\t' ? "\\t" : "";
      if (c != '\n' && c != '\r' && c != '\t') {
        text_ += "\\u00";
        text_ += kHex[c >> 4];
        text_ += kHex[c & 15];
      }
    } else if (c < 0x80) {
      text_ += static_cast<char>(c);
    } else {
      // Well-formed UTF-8 passes; any other byte (an 8-bit folder name) is
      // taken as the Latin-1 character of its value, so the document stays
      // valid JSON.
      const std::size_t length = Utf8Length(value.substr(i));
      if (length > 0) {
        text_.append(value.substr(i, length));
        i += length - 1;
      } else {
        text_ += "\\u00";
        text_ += kHex[c >> 4];
        text_ += kHex[c & 15];
      }
    }
  }
  text_ += '"';
}

void JsonWriter::Number(double value) {
  BeforeValue();
  if (!std::isfinite(value)) {
    text_ += "null";
    return;
  }
  char text[32];
  text_.append(text, std::to_chars(text, text + sizeof text, value).ptr);
}

void JsonWriter::Integer(long long value) {
  BeforeValue();
  text_ += std::to_string(value);
}

void JsonWriter::Bool(bool value) {
  BeforeValue();
  text_ += value ? "true" : "false";
}

void JsonWriter::Null() {
  BeforeValue();
  text_ += "null";
}

}  // namespace record
