// A strict little XML reader for the page's tests: it reads the page as an
// XML parser would and throws at the first thing that is not well-formed
// (an unclosed or misnested tag, an unquoted or repeated attribute, a bare
// & or <, an entity XML does not know), so a page that passes can be read
// by any XML tool.
#pragma once

#include <cctype>
#include <functional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace xmltree {

struct Element {
  std::string name;
  std::vector<std::pair<std::string, std::string>> attributes;  // values with references resolved
  std::vector<Element> children;
  std::string text;  // all text directly inside, references resolved

  const std::string* Attribute(std::string_view key) const {
    for (const auto& [k, v] : attributes) {
      if (k == key) return &v;
    }
    return nullptr;
  }
  bool HasClass(std::string_view cls) const {
    const std::string* value = Attribute("class");
    if (value == nullptr) return false;
    std::size_t at = 0;
    while (at < value->size()) {
      const std::size_t end = std::min(value->find(' ', at), value->size());
      if (std::string_view(*value).substr(at, end - at) == cls) return true;
      at = end + 1;
    }
    return false;
  }
  // The text of this element and everything inside it.
  std::string AllText() const {
    std::string out = text;
    for (const Element& child : children) out += child.AllText();
    return out;
  }
};

class Reader {
 public:
  explicit Reader(std::string_view document) : s_(document) {}

  Element Document() {
    SkipMisc();
    if (s_.substr(at_, 9) == "<!DOCTYPE") {
      const std::size_t end = s_.find('>', at_);
      if (end == std::string_view::npos) Fail("unterminated DOCTYPE");
      at_ = end + 1;
    }
    SkipMisc();
    Element root = ReadElement();
    SkipMisc();
    if (at_ != s_.size()) Fail("content after the root element");
    return root;
  }

 private:
  [[noreturn]] void Fail(const std::string& what) const {
    throw std::runtime_error(what + " at offset " + std::to_string(at_) + ": \"" + std::string(s_.substr(at_, 60)) +
                             "\"");
  }

  void SkipMisc() {
    for (;;) {
      while (at_ < s_.size() && std::isspace(static_cast<unsigned char>(s_[at_]))) ++at_;
      if (s_.substr(at_, 4) != "<!--") return;
      const std::size_t end = s_.find("-->", at_);
      if (end == std::string_view::npos) Fail("unterminated comment");
      at_ = end + 3;
    }
  }

  std::string Name() {
    const std::size_t start = at_;
    while (at_ < s_.size() && (std::isalnum(static_cast<unsigned char>(s_[at_])) || s_[at_] == '-' || s_[at_] == '_' ||
                               s_[at_] == ':' || s_[at_] == '.')) {
      ++at_;
    }
    if (at_ == start || !std::isalpha(static_cast<unsigned char>(s_[start]))) Fail("bad name");
    return std::string(s_.substr(start, at_ - start));
  }

  // Text up to `stop`, with references resolved and bare < or & refused.
  std::string Chars(char stop) {
    std::string out;
    while (at_ < s_.size() && s_[at_] != stop) {
      const char c = s_[at_];
      if (c == '<') Fail("bare <");
      if (c == '&') {
        const std::size_t end = s_.find(';', at_);
        if (end == std::string_view::npos || end - at_ > 10) Fail("bare &");
        const std::string_view ref = s_.substr(at_ + 1, end - at_ - 1);
        if (ref == "amp")
          out += '&';
        else if (ref == "lt")
          out += '<';
        else if (ref == "gt")
          out += '>';
        else if (ref == "quot")
          out += '"';
        else if (ref == "apos" || ref == "#39")
          out += '\'';
        else if (ref.size() > 1 && ref[0] == '#')
          out += '?';
        else
          Fail("unknown entity");
        at_ = end + 1;
        continue;
      }
      out += c;
      ++at_;
    }
    return out;
  }

  Element ReadElement() {
    if (s_.substr(at_, 1) != "<") Fail("expected <");
    ++at_;
    Element e;
    e.name = Name();
    for (;;) {
      const std::size_t before = at_;
      while (at_ < s_.size() && std::isspace(static_cast<unsigned char>(s_[at_]))) ++at_;
      if (s_.substr(at_, 2) == "/>") {
        at_ += 2;
        return e;
      }
      if (s_.substr(at_, 1) == ">") {
        ++at_;
        break;
      }
      if (at_ == before) Fail("no blank before an attribute");
      std::string key = Name();
      if (e.Attribute(key) != nullptr) Fail("repeated attribute " + key);
      if (s_.substr(at_, 1) != "=") Fail("attribute without =");
      ++at_;
      const char quote = at_ < s_.size() ? s_[at_] : '\0';
      if (quote != '"' && quote != '\'') Fail("unquoted attribute");
      ++at_;
      std::string value = Chars(quote);
      if (at_ >= s_.size()) Fail("unterminated attribute");
      ++at_;
      e.attributes.emplace_back(std::move(key), std::move(value));
    }
    for (;;) {
      e.text += Chars('<');
      if (at_ >= s_.size()) Fail("unclosed <" + e.name + ">");
      if (s_.substr(at_, 4) == "<!--") {
        SkipMisc();
        continue;
      }
      if (s_.substr(at_, 2) == "</") {
        at_ += 2;
        if (Name() != e.name) Fail("misnested </...> for <" + e.name + ">");
        if (s_.substr(at_, 1) != ">") Fail("bad end tag");
        ++at_;
        return e;
      }
      e.children.push_back(ReadElement());
    }
  }

  std::string_view s_;
  std::size_t at_ = 0;
};

inline Element Parse(std::string_view document) { return Reader(document).Document(); }

inline void Visit(const Element& e, const std::function<void(const Element&)>& visit) {
  visit(e);
  for (const Element& child : e.children) Visit(child, visit);
}

inline std::vector<const Element*> FindAll(const Element& root, const std::function<bool(const Element&)>& match) {
  std::vector<const Element*> found;
  Visit(root, [&](const Element& e) {
    if (match(e)) found.push_back(&e);
  });
  return found;
}

// The first element whose `key` attribute is `value`, null when none.
inline const Element* FindBy(const Element& root, std::string_view key, std::string_view value) {
  const auto found = FindAll(root, [&](const Element& e) {
    const std::string* v = e.Attribute(key);
    return v != nullptr && *v == value;
  });
  return found.empty() ? nullptr : found.front();
}

}  // namespace xmltree
