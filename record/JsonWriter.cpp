// Writing JSON text.
#include "record/JsonWriter.h"

#include <charconv>
#include <cmath>
#include <cstring>

#include "common/NumberText.h"
#include "common/Utf8.h"

namespace record {

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
  // A member of the object being written, whose name needs no escape (as
  // the record's names): the comma, the line end, the indent, the name and
  // the colon are put together and appended once.
  constexpr std::size_t kRoom = 256;
  const std::size_t indent = 2 * first_.size();
  if (!afterKey_ && !first_.empty() && name.size() + indent + 8 <= kRoom) {
    bool plain = true;
    for (const char c : name) plain = plain && c >= 0x20 && c < 0x7f && c != '"' && c != '\\';
    if (plain) {
      char member[kRoom];
      char* at = member;
      if (!first_.back()) *at++ = ',';
      first_.back() = false;
      *at++ = '\n';
      std::memset(at, ' ', indent);
      at += indent;
      *at++ = '"';
      std::memcpy(at, name.data(), name.size());
      at += name.size();
      std::memcpy(at, "\": ", 3);
      text_.append(member, static_cast<std::size_t>(at + 3 - member));
      afterKey_ = true;
      return *this;
    }
  }
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
    // A run of printable ASCII but the quote and the backslash stands as it is.
    std::size_t plain = i;
    while (plain < value.size() && value[plain] >= 0x20 && value[plain] < 0x7f && value[plain] != '"' &&
           value[plain] != '\\') {
      ++plain;
    }
    if (plain > i) {
      text_.append(value.data() + i, plain - i);
      i = plain;
      if (i == value.size()) break;
    }
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
      const std::size_t length = Utf8At(value, i).length;
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
  char text[kShortestRoom];
  text_.append(text, PutShortest(text, value));
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
