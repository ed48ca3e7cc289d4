// Strict readers of the record and the page, as a standard JSON parser and
// an XML parser would read them; they say only whether the text is valid.
#include "OutputChecks.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "common/Utf8.h"

namespace fuzzchecks {

namespace {

// The code point of the UTF-8 sequence at `at` (moving past it), or false
// for an invalid one.
bool DecodeUtf8(std::string_view s, std::size_t& at, char32_t& code) {
  const Utf8Char c = Utf8At(s, at);
  if (c.length == 0) return false;
  code = c.code;
  at += c.length;
  return true;
}

bool IsXmlChar(char32_t c) {
  return c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c <= 0xD7FF) || (c >= 0xE000 && c <= 0xFFFD) ||
         (c >= 0x10000 && c <= 0x10FFFF);
}

class Json {
 public:
  explicit Json(std::string_view s) : s_(s) {}

  bool Document() {
    Blanks();
    if (!Value(0)) return false;
    Blanks();
    return at_ == s_.size();
  }

 private:
  bool Value(int depth) {
    if (depth > 512 || at_ >= s_.size()) return false;
    switch (s_[at_]) {
      case '{':
        return Object(depth);
      case '[':
        return Array(depth);
      case '"':
        return String();
      case 't':
        return Word("true");
      case 'f':
        return Word("false");
      case 'n':
        return Word("null");
      default:
        return Number();
    }
  }

  bool Object(int depth) {
    ++at_;
    Blanks();
    if (Take('}')) return true;
    do {
      Blanks();
      if (at_ >= s_.size() || s_[at_] != '"' || !String()) return false;
      Blanks();
      if (!Take(':')) return false;
      Blanks();
      if (!Value(depth + 1)) return false;
      Blanks();
    } while (Take(','));
    return Take('}');
  }

  bool Array(int depth) {
    ++at_;
    Blanks();
    if (Take(']')) return true;
    do {
      Blanks();
      if (!Value(depth + 1)) return false;
      Blanks();
    } while (Take(','));
    return Take(']');
  }

  bool String() {
    ++at_;
    while (at_ < s_.size()) {
      const auto c = static_cast<unsigned char>(s_[at_]);
      if (c == '"') {
        ++at_;
        return true;
      }
      if (c < 0x20) return false;
      if (c == '\\') {
        if (++at_ >= s_.size()) return false;
        const char e = s_[at_++];
        if (e == 'u') {
          for (int k = 0; k < 4; ++k) {
            if (at_ >= s_.size() || !IsHex(s_[at_++])) return false;
          }
        } else if (std::string_view("\"\\/bfnrt").find(e) == std::string_view::npos) {
          return false;
        }
        continue;
      }
      char32_t code = 0;
      if (!DecodeUtf8(s_, at_, code)) return false;
    }
    return false;
  }

  bool Number() {
    const std::size_t start = at_;
    Take('-');
    if (Take('0')) {
    } else if (!Digits()) {
      return false;
    }
    if (Take('.') && !Digits()) return false;
    if (at_ < s_.size() && (s_[at_] == 'e' || s_[at_] == 'E')) {
      ++at_;
      if (!Take('+')) Take('-');
      if (!Digits()) return false;
    }
    return at_ > start;
  }

  bool Digits() {
    const std::size_t start = at_;
    while (at_ < s_.size() && s_[at_] >= '0' && s_[at_] <= '9') ++at_;
    return at_ > start;
  }

  bool Word(std::string_view word) {
    if (s_.substr(at_, word.size()) != word) return false;
    at_ += word.size();
    return true;
  }

  bool Take(char c) {
    if (at_ < s_.size() && s_[at_] == c) {
      ++at_;
      return true;
    }
    return false;
  }

  void Blanks() {
    while (at_ < s_.size() && (s_[at_] == ' ' || s_[at_] == '\t' || s_[at_] == '\n' || s_[at_] == '\r')) ++at_;
  }

  static bool IsHex(char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }

  std::string_view s_;
  std::size_t at_ = 0;
};

class Xml {
 public:
  explicit Xml(std::string_view s) : s_(s) {}

  bool Document() {
    for (std::size_t at = 0; at < s_.size();) {
      char32_t code = 0;
      if (!DecodeUtf8(s_, at, code) || !IsXmlChar(code)) return false;
    }
    if (!Misc()) return false;
    if (Starts("<!DOCTYPE")) {
      if (!Doctype() || !Misc()) return false;
    }
    if (!Element()) return false;
    return Misc() && at_ == s_.size();
  }

 private:
  // Blanks, comments and processing instructions, as between the parts.
  bool Misc() {
    for (;;) {
      while (at_ < s_.size() && IsBlank(s_[at_])) ++at_;
      if (Starts("<!--")) {
        if (!Comment()) return false;
      } else if (Starts("<?")) {
        if (!Instruction()) return false;
      } else {
        return true;
      }
    }
  }

  bool Doctype() {
    std::size_t depth = 0;
    for (at_ += 9; at_ < s_.size(); ++at_) {
      if (s_[at_] == '[') ++depth;
      if (s_[at_] == ']' && depth > 0) --depth;
      if (s_[at_] == '>' && depth == 0) {
        ++at_;
        return true;
      }
    }
    return false;
  }

  bool Comment() {
    const std::size_t end = s_.find("--", at_ + 4);
    if (end == std::string_view::npos || end + 2 >= s_.size() || s_[end + 2] != '>') return false;
    at_ = end + 3;
    return true;
  }

  bool Instruction() {
    at_ += 2;
    if (!Name()) return false;
    const std::size_t end = s_.find("?>", at_);
    if (end == std::string_view::npos) return false;
    at_ = end + 2;
    return true;
  }

  // The root element and all it holds, with a stack of the open names.
  bool Element() {
    if (!Starts("<") || Starts("</") || Starts("<!") || Starts("<?")) return false;
    std::vector<std::string_view> open;
    do {
      if (at_ >= s_.size()) return false;
      if (Starts("</")) {
        at_ += 2;
        const std::size_t start = at_;
        if (!Name() || open.empty() || s_.substr(start, at_ - start) != open.back()) return false;
        open.pop_back();
        while (at_ < s_.size() && IsBlank(s_[at_])) ++at_;
        if (!Take('>')) return false;
      } else if (Starts("<!--")) {
        if (open.empty() || !Comment()) return false;
      } else if (Starts("<![CDATA[")) {
        const std::size_t end = s_.find("]]>", at_);
        if (open.empty() || end == std::string_view::npos) return false;
        at_ = end + 3;
      } else if (Starts("<?")) {
        if (!Instruction()) return false;
      } else if (Take('<')) {
        const std::size_t start = at_;
        if (!Name()) return false;
        const std::string_view name = s_.substr(start, at_ - start);
        std::vector<std::string_view> attributes;
        for (;;) {
          const std::size_t before = at_;
          while (at_ < s_.size() && IsBlank(s_[at_])) ++at_;
          if (Starts("/>")) {
            at_ += 2;
            break;
          }
          if (Take('>')) {
            open.push_back(name);
            break;
          }
          if (at_ == before) return false;  // an attribute needs a blank before it
          const std::size_t attributeStart = at_;
          if (!Name()) return false;
          const std::string_view attribute = s_.substr(attributeStart, at_ - attributeStart);
          for (const std::string_view seen : attributes) {
            if (seen == attribute) return false;
          }
          attributes.push_back(attribute);
          while (at_ < s_.size() && IsBlank(s_[at_])) ++at_;
          if (!Take('=')) return false;
          while (at_ < s_.size() && IsBlank(s_[at_])) ++at_;
          if (at_ >= s_.size() || (s_[at_] != '"' && s_[at_] != '\'')) return false;
          const char quote = s_[at_++];
          while (at_ < s_.size() && s_[at_] != quote) {
            if (s_[at_] == '<') return false;
            if (s_[at_] == '&') {
              if (!Reference()) return false;
            } else {
              ++at_;
            }
          }
          if (!Take(quote)) return false;
        }
      } else if (s_[at_] == '&') {
        if (!Reference()) return false;
      } else {
        if (Starts("]]>")) return false;
        ++at_;
      }
    } while (!open.empty());
    return true;
  }

  bool Reference() {
    ++at_;
    const std::size_t end = s_.find(';', at_);
    if (end == std::string_view::npos) return false;
    const std::string_view body = s_.substr(at_, end - at_);
    at_ = end + 1;
    if (body == "amp" || body == "lt" || body == "gt" || body == "quot" || body == "apos") return true;
    if (body.size() < 2 || body[0] != '#') return false;
    const bool hex = body[1] == 'x';
    const std::string_view digits = body.substr(hex ? 2 : 1);
    if (digits.empty() || digits.size() > 8) return false;
    std::uint32_t code = 0;
    for (const char c : digits) {
      int value = 0;
      if (c >= '0' && c <= '9') {
        value = c - '0';
      } else if (hex && c >= 'a' && c <= 'f') {
        value = c - 'a' + 10;
      } else if (hex && c >= 'A' && c <= 'F') {
        value = c - 'A' + 10;
      } else {
        return false;
      }
      code = code * (hex ? 16 : 10) + static_cast<std::uint32_t>(value);
    }
    return IsXmlChar(static_cast<char32_t>(code));
  }

  // A name, simplified to what the page can hold: a letter, '_' or ':' (or
  // any character beyond ASCII) first, then those, digits, '.' and '-'.
  bool Name() {
    const auto nameChar = [](char c, bool first) {
      const auto u = static_cast<unsigned char>(c);
      if ((u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z') || u == '_' || u == ':' || u >= 0x80) return true;
      return !first && ((u >= '0' && u <= '9') || u == '.' || u == '-');
    };
    if (at_ >= s_.size() || !nameChar(s_[at_], true)) return false;
    ++at_;
    while (at_ < s_.size() && nameChar(s_[at_], false)) ++at_;
    return true;
  }

  bool Starts(std::string_view prefix) const { return s_.substr(at_, prefix.size()) == prefix; }

  bool Take(char c) {
    if (at_ < s_.size() && s_[at_] == c) {
      ++at_;
      return true;
    }
    return false;
  }

  static bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

  std::string_view s_;
  std::size_t at_ = 0;
};

}  // namespace

bool StrictJson(std::string_view text) { return Json(text).Document(); }

bool WellFormedXml(std::string_view text) { return Xml(text).Document(); }

}  // namespace fuzzchecks
