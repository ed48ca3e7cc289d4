// A strict little XML reader for the page's tests, and the checks every page
// must pass. The reader throws at the first thing that is not well-formed
// (an unclosed or misnested tag, an unquoted or repeated attribute, a bare &
// or <, an entity XML does not know), so a page that passes can be read by
// any XML tool.
#pragma once

#include <gtest/gtest.h>

#include <cctype>
#include <functional>
#include <map>
#include <regex>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace xmltree {

struct Element {
  std::string name;
  std::map<std::string, std::string, std::less<>> attributes;  // values with references resolved
  std::vector<Element> children;
  std::string text;  // the text directly inside, references resolved

  const std::string* Attribute(std::string_view key) const {
    const auto it = attributes.find(key);
    return it == attributes.end() ? nullptr : &it->second;
  }
  bool HasClass(std::string_view cls) const {
    const std::string* value = Attribute("class");
    return value != nullptr && (" " + *value + " ").find(" " + std::string(cls) + " ") != std::string::npos;
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
  bool At(std::string_view token) const { return s_.substr(at_, token.size()) == token; }
  void SkipBlanks() {
    while (at_ < s_.size() && std::isspace(static_cast<unsigned char>(s_[at_]))) ++at_;
  }

  // Blanks, comments and the DOCTYPE.
  void SkipMisc() {
    for (SkipBlanks(); At("<!--") || At("<!DOCTYPE"); SkipBlanks()) {
      const std::string_view end = At("<!--") ? "-->" : ">";
      const std::size_t found = s_.find(end, at_);
      if (found == std::string_view::npos) Fail("unterminated comment or DOCTYPE");
      at_ = found + end.size();
    }
  }

  std::string Name() {
    const std::size_t start = at_;
    while (at_ < s_.size() && (std::isalnum(static_cast<unsigned char>(s_[at_])) ||
                               std::string_view("-_:.").find(s_[at_]) != std::string_view::npos)) {
      ++at_;
    }
    if (at_ == start || !std::isalpha(static_cast<unsigned char>(s_[start]))) Fail("bad name");
    return std::string(s_.substr(start, at_ - start));
  }

  // Text up to `stop`, with references resolved and a bare < or & refused.
  std::string Chars(char stop) {
    static const std::map<std::string_view, char> kEntities = {{"amp", '&'},  {"lt", '<'},    {"gt", '>'},
                                                               {"quot", '"'}, {"apos", '\''}, {"#39", '\''}};
    std::string out;
    for (; at_ < s_.size() && s_[at_] != stop; ++at_) {
      if (s_[at_] == '<') Fail("bare <");
      if (s_[at_] != '&') {
        out += s_[at_];
        continue;
      }
      const std::size_t end = s_.find(';', at_);
      const auto entity =
          end == std::string_view::npos ? kEntities.end() : kEntities.find(s_.substr(at_ + 1, end - at_ - 1));
      if (entity == kEntities.end()) Fail("bare & or unknown entity");
      out += entity->second;
      at_ = end;
    }
    return out;
  }

  Element ReadElement() {
    if (!At("<")) Fail("expected <");
    ++at_;
    Element e{Name(), {}, {}, {}};
    for (;;) {
      const std::size_t before = at_;
      SkipBlanks();
      if (At("/>")) {
        at_ += 2;
        return e;
      }
      if (At(">")) break;
      if (at_ == before) Fail("no blank before an attribute");
      std::string key = Name();
      if (!At("=\"") && !At("='")) Fail("attribute without = and quotes");
      const char quote = s_[at_ + 1];
      at_ += 2;
      std::string value = Chars(quote);
      if (at_++ >= s_.size()) Fail("unterminated attribute");
      if (!e.attributes.emplace(std::move(key), std::move(value)).second) Fail("repeated attribute");
    }
    for (++at_;;) {
      e.text += Chars('<');
      if (at_ >= s_.size()) Fail("unclosed <" + e.name + ">");
      if (At("<!--")) {
        SkipMisc();
      } else if (!At("</")) {
        e.children.push_back(ReadElement());
      } else {
        at_ += 2;
        if (Name() != e.name || !At(">")) Fail("misnested end tag for <" + e.name + ">");
        ++at_;
        return e;
      }
    }
  }

  std::string_view s_;
  std::size_t at_ = 0;
};

inline Element Parse(std::string_view document) { return Reader(document).Document(); }

// Every element at or under `root` that `match` accepts, in document order.
inline std::vector<const Element*> FindAll(const Element& root, const std::function<bool(const Element&)>& match) {
  std::vector<const Element*> found;
  if (match(root)) found.push_back(&root);
  for (const Element& child : root.children) {
    for (const Element* e : FindAll(child, match)) found.push_back(e);
  }
  return found;
}

// The first element whose `key` attribute is `value`, null when none.
inline const Element* FindBy(const Element& root, std::string_view key, std::string_view value) {
  const auto found = FindAll(root, [&](const Element& e) { return e.Attribute(key) && *e.Attribute(key) == value; });
  return found.empty() ? nullptr : found.front();
}

// The elements `name` at or under `root` of the class `cls` (any, when empty).
inline std::vector<const Element*> Named(const Element& root, const std::string& name, const std::string& cls = "") {
  return FindAll(root, [&](const Element& e) { return e.name == name && (cls.empty() || e.HasClass(cls)); });
}

// A page parsed, after the checks every page must pass: well-formed, its
// sections (their ids, each followed by a blank) in their places, and no
// "nan" or "inf" shown as a number.
inline Element ParsedPage(const std::string& page, const std::string& sections) {
  EXPECT_FALSE(std::regex_search(page, std::regex("\\b(nan|inf|infinity)\\b", std::regex::icase)));
  Element root;
  try {
    root = Parse(page);
  } catch (const std::exception& error) {
    ADD_FAILURE() << "not well-formed: " << error.what();
  }
  std::string ids;
  for (const Element* s : Named(root, "section")) ids += *s->Attribute("id") + " ";
  EXPECT_EQ(ids, sections);
  return root;
}

}  // namespace xmltree
