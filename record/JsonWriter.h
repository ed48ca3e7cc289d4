// A small writer of JSON text: objects, arrays, strings escaped as JSON
// requires, numbers as the shortest text that reads back to the same double
// (a value that does not exist, NaN, as null).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace record {

class JsonWriter {
 public:
  void BeginObject();
  void EndObject();
  void BeginArray();
  void EndArray();
  // The name of the next member of the object being written.
  JsonWriter& Key(std::string_view name);
  void String(std::string_view text);
  void Number(double value);
  void Integer(long long value);
  void Bool(bool value);
  void Null();

  // The document, ended by a line end.
  std::string Text() const { return text_ + "\n"; }
  // The same, taken out of the writer without a copy; the writer is done.
  std::string TakeText() {
    text_ += '\n';
    return std::move(text_);
  }
  // Room for a document of `bytes`, so that it is not copied as it grows.
  void Reserve(std::size_t bytes) { text_.reserve(bytes); }

 private:
  void BeforeValue();
  void NewLine();
  void Quoted(std::string_view value);

  std::string text_;
  std::vector<bool> first_;  // per open container: no member written yet
  bool afterKey_ = false;
};

// `value` as the shortest decimal text that reads back to the same double.
std::string ShortestText(double value);

}  // namespace record
