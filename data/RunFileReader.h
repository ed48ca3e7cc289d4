// Reading run files: the probe that treats a missing or empty file as the
// end of a set, and the tokenizer that turns the file's text into records of
// three numbers. Separators are commas, line ends (CR LF, LF or CR) and runs
// of blanks and tabs between two items; a field that is not a number reads
// 0 and an empty line is one field of value 0.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "common/RuntimeError.h"
#include "common/TextConversion.h"

// The whole text of a run file, read in one piece.
class RunFileText {
 public:
  std::string_view view() const { return {data_.get(), size_}; }
  void Assign(std::unique_ptr<char[]> data, std::size_t size) {
    data_ = std::move(data);
    size_ = size;
  }

 private:
  std::unique_ptr<char[]> data_;
  std::size_t size_ = 0;
};

// Reads the whole run file into `text`. Returns false when the file does not
// exist or is empty; an empty file is deleted. File errors: 76 for a missing
// folder, 70 when access is refused, 75 for anything else.
bool ReadRunFileText(const std::string& fileName, RunFileText& text);

// The value of one field; a field too large for a double is error 6.
double RunFileFieldValue(std::string_view field, const std::string& fileName, long line);

// Whether a byte ends a field item: a comma, a line end, a blank or a tab.
inline bool IsRunFileSeparator(char c) { return c == ',' || c == '\n' || c == '\r' || c == ' ' || c == '\t'; }

// Calls onRecord(a, b, c) for every record of three fields, in file order.
// A record cut short by the end of the text is error 62, raised after the
// complete records before it have been handed out.
//
// One pass over the text: a line is split at commas into pieces, a piece
// gives one field per blank-separated item in it, or one field of value 0
// when it holds none (so an empty or blank line is one 0 field).
template <typename OnRecord>
void ForEachRunFileRecord(std::string_view text, const std::string& fileName, OnRecord&& onRecord) {
  double fields[3];
  int count = 0;
  long line = 0;
  long recordLine = 0;
  auto emit = [&](double value) {
    if (count == 0) recordLine = line;
    fields[count++] = value;
    if (count == 3) {
      count = 0;
      onRecord(fields[0], fields[1], fields[2]);
    }
  };

  const char* p = text.data();
  const char* const end = p + text.size();
  while (p < end) {
    ++line;
    bool pieceHasItem = false;
    for (;;) {
      while (p < end && (*p == ' ' || *p == '\t')) ++p;
      if (p == end || *p == '\n' || *p == '\r') {
        if (!pieceHasItem) emit(0.0);
        break;
      }
      if (*p == ',') {
        if (!pieceHasItem) emit(0.0);
        pieceHasItem = false;
        ++p;
        continue;
      }
      const char* item = p;
      while (p < end && !IsRunFileSeparator(*p)) ++p;
      emit(RunFileFieldValue(std::string_view(item, static_cast<std::size_t>(p - item)), fileName, line));
      pieceHasItem = true;
    }
    if (p < end) p += (*p == '\r' && p + 1 < end && p[1] == '\n') ? 2 : 1;
  }
  if (count != 0) {
    Raise(ErrorNumber::InputPastEndOfFile,
          fileName + ", line " + std::to_string(recordLine) + ": the file ends inside a record");
  }
}
