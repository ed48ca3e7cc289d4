// Reading run files: the probe that treats a missing or empty file as the
// end of a set, and the tokenizer that turns the file's text into records of
// three numbers. Separators are commas, line ends (CR LF, LF or CR) and runs
// of blanks and tabs between two items; a field that is not a number reads
// 0 and an empty line is one field of value 0.
//
// A file is read in blocks and tokenized as it arrives, so memory does not
// grow with the file: a block keeps only the item that its end cuts, and an
// item that cannot be a number is skipped however long it is. Only an item
// of number characters longer than a block (a line of digits) is kept whole.
#pragma once

#include <cstddef>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <type_traits>

#include "common/FileSystem.h"
#include "common/RuntimeError.h"
#include "common/TextConversion.h"

// What the text of a run file held besides its records: fields read as 0
// because they were not numbers, and lines that do not hold one record.
// Counted as the file is read, for the warnings that tell the user.
struct RunFileTextFacts {
  long records = 0;
  long zeroFields = 0;           // items that are not numbers, and empty fields
  long zeroFieldLine = 0;        // where the first of them is: its line,
  int zeroFieldPosition = 0;     // its position on that line from 1,
  std::string zeroFieldText;     // and the start of its text (empty for an empty field)
  long linesNotOneRecord = 0;    // lines holding other than three fields
  long notOneRecordLine = 0;     // the first of them
  int notOneRecordFields = 0;    // and how many fields it holds
};

// The value of `field` into `value`; false when it is not a number. A
// field too large for a double is error 6.
bool ReadRunFileField(std::string_view field, const std::string& fileName, long line, double& value);

// Whether a byte ends a field item: a comma, a line end, a blank or a tab.
inline bool IsRunFileSeparator(char c) { return c == ',' || c == '\n' || c == '\r' || c == ' ' || c == '\t'; }

// Hands out the records of a run file fed to it in consecutive parts. A line
// is split at commas into pieces; a piece gives one field per blank-separated
// item in it, or one field of value 0 when it holds none (so an empty or
// blank line is one 0 field). OnRecord is called as onRecord(a, b, c).
template <typename OnRecord>
class RunFileTokenizer {
 public:
  RunFileTokenizer(const std::string& fileName, OnRecord& onRecord) : fileName_(fileName), onRecord_(onRecord) {}

  const RunFileTextFacts& Facts() const { return facts_; }

  // Takes the next part of the file and returns how many of its bytes were
  // used. The rest is an item that the end of the part cuts: it must come
  // again at the front of the next part. With atEnd, everything is used.
  std::size_t Feed(std::string_view text, bool atEnd) {
    const char* const begin = text.data();
    const char* p = begin;
    const char* const end = p + text.size();
    if (skipping_) {
      while (p < end && !IsRunFileSeparator(*p)) ++p;
      if (p == end && !atEnd) return text.size();
      skipping_ = false;
      EmitZero(skippedStart_);
      pieceHasItem_ = true;
    }
    while (p < end) {
      const char c = *p;
      if (afterCR_) {
        afterCR_ = false;
        if (c == '\n') {  // the second half of a CR LF
          ++p;
          continue;
        }
      }
      if (c == ' ' || c == '\t') {
        lineOpen_ = true;
        ++p;
      } else if (c == '\n' || c == '\r') {
        if (!pieceHasItem_) EmitZero({});
        EndLine();
        pieceHasItem_ = false;
        lineOpen_ = false;
        afterCR_ = c == '\r';
        ++line_;
        ++p;
      } else if (c == ',') {
        if (!pieceHasItem_) EmitZero({});
        pieceHasItem_ = false;
        lineOpen_ = true;
        ++p;
      } else {
        const char* item = p;
        while (p < end && !IsRunFileSeparator(*p)) ++p;
        lineOpen_ = true;
        if (p == end && !atEnd) {
          // The item may go on in the next part. One that is already long
          // and holds a byte no number has is not a number: skip the rest.
          if (p - item < kLongItem || CouldBeNumber(item, p)) return static_cast<std::size_t>(item - begin);
          skipping_ = true;
          skippedStart_ = std::string(item, kShownText);
          return text.size();
        }
        const std::string_view field(item, static_cast<std::size_t>(p - item));
        double value = 0.0;
        if (ReadRunFileField(field, fileName_, line_, value)) {
          Emit(value);
        } else {
          EmitZero(field);
        }
        pieceHasItem_ = true;
      }
    }
    return text.size();
  }

  // The end of the file: the last line's last piece, and error 62 when a
  // record is cut short, raised after the complete records were handed out.
  void Finish() {
    if (lineOpen_ && !pieceHasItem_) EmitZero({});
    if (lineOpen_) EndLine();
    lineOpen_ = false;
    if (count_ != 0) {
      Raise(ErrorNumber::InputPastEndOfFile,
            fileName_ + ", line " + std::to_string(recordLine_) + ": the file ends inside a record");
    }
  }

 private:
  static constexpr std::ptrdiff_t kLongItem = 4096;
  static constexpr std::size_t kShownText = 24;  // bytes of a field that a warning quotes

  static bool CouldBeNumber(const char* first, const char* last) {
    for (const char* q = first; q < last; ++q) {
      if (std::strchr("0123456789+-.eE", *q) == nullptr || *q == '\0') return false;
    }
    return true;
  }

  void Emit(double value) {
    if (count_ == 0) recordLine_ = line_;
    ++fieldsOnLine_;
    fields_[count_++] = value;
    if (count_ == 3) {
      count_ = 0;
      ++facts_.records;
      onRecord_(fields_[0], fields_[1], fields_[2]);
    }
  }

  // A field that reads 0 because it is not a number (or is empty).
  void EmitZero(std::string_view text) {
    if (facts_.zeroFields++ == 0) {
      facts_.zeroFieldLine = line_;
      facts_.zeroFieldPosition = fieldsOnLine_ + 1;
      facts_.zeroFieldText = std::string(text.substr(0, kShownText));
    }
    Emit(0.0);
  }

  void EndLine() {
    if (fieldsOnLine_ != 3 && facts_.linesNotOneRecord++ == 0) {
      facts_.notOneRecordLine = line_;
      facts_.notOneRecordFields = fieldsOnLine_;
    }
    fieldsOnLine_ = 0;
  }

  std::string fileName_;
  OnRecord& onRecord_;
  double fields_[3] = {0.0, 0.0, 0.0};
  int count_ = 0;
  long line_ = 1;
  long recordLine_ = 1;
  bool pieceHasItem_ = false;  // the current piece has given a field
  bool lineOpen_ = false;      // something stands after the last line end
  bool afterCR_ = false;       // the last byte was a CR, so an LF next belongs to it
  bool skipping_ = false;      // inside a long item that is not a number
  std::string skippedStart_;   // the start of that item
  int fieldsOnLine_ = 0;
  RunFileTextFacts facts_;
};

// Calls onRecord(a, b, c) for every record of the text, in order.
template <typename OnRecord>
void ForEachRunFileRecord(std::string_view text, const std::string& fileName, OnRecord&& onRecord) {
  RunFileTokenizer<std::remove_reference_t<OnRecord>> tokenizer(fileName, onRecord);
  tokenizer.Feed(text, true);
  tokenizer.Finish();
}

// Feeds the tokenizer with the bytes of `source` (anything with
// Read(buffer, size) returning 0 at its end) in blocks of 64 KB; a block
// keeps only the item that its end cuts, grown when one item (a number of
// many digits) is longer than the block.
template <typename Source, typename Tokenizer>
void FeedRunFileBlocks(Source& source, Tokenizer& tokenizer, std::size_t capacity = std::size_t{1} << 16) {
  auto buffer = std::make_unique_for_overwrite<char[]>(capacity);
  std::size_t used = 0;
  for (;;) {
    const std::size_t got = source.Read(buffer.get() + used, capacity - used);
    used += got;
    const bool atEnd = got == 0;
    const std::size_t consumed = tokenizer.Feed(std::string_view(buffer.get(), used), atEnd);
    if (atEnd) break;
    used -= consumed;
    std::memmove(buffer.get(), buffer.get() + consumed, used);
    if (used == capacity) {
      auto larger = std::make_unique_for_overwrite<char[]>(capacity * 2);
      std::memcpy(larger.get(), buffer.get(), used);
      buffer = std::move(larger);
      capacity *= 2;
    }
  }
  tokenizer.Finish();
}

// How a run file was found when it was looked for.
enum class RunFileState { Missing, Empty, Read };

// Calls onRecord(a, b, c) for every record of the run file, in order. A
// file that is missing is left as it is; one that is empty is deleted. Both
// end a set. `facts`, when given, receives what the text held and its size.
template <typename OnRecord>
RunFileState ReadRunFileRecords(const std::string& fileName, OnRecord&& onRecord, RunFileTextFacts* facts = nullptr,
                                std::uintmax_t* bytes = nullptr) {
  InputFile file;
  if (!file.Open(fileName)) return RunFileState::Missing;
  const std::uintmax_t size = file.Size();
  if (bytes != nullptr) *bytes = size;
  if (size < 1 && file.DeleteIfEmpty()) return RunFileState::Empty;
  RunFileTokenizer<std::remove_reference_t<OnRecord>> tokenizer(fileName, onRecord);
  // Whatever happens while reading, what was seen so far is told.
  struct Report {
    const RunFileTokenizer<std::remove_reference_t<OnRecord>>& tokenizer;
    RunFileTextFacts* facts;
    ~Report() {
      if (facts != nullptr) *facts = tokenizer.Facts();
    }
  } report{tokenizer, facts};
  FeedRunFileBlocks(file, tokenizer);
  return RunFileState::Read;
}
