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

#include "common/RuntimeError.h"
#include "common/TextConversion.h"

// The run file as the reader sees it: probed, then read block by block.
class RunFileStream {
 public:
  RunFileStream() = default;
  ~RunFileStream();
  RunFileStream(const RunFileStream&) = delete;
  RunFileStream& operator=(const RunFileStream&) = delete;

  // Probes the file, which creates it when it does not exist. Returns false
  // when it is missing or empty, and deletes it then. File errors: 76 for a
  // missing folder, 70 when access is refused, 75 for anything else (a run
  // file that is a folder).
  bool Open(const std::string& fileName);
  // Reads up to `size` (> 0) bytes; 0 at the end of the file.
  std::size_t Read(char* buffer, std::size_t size);

 private:
  std::string fileName_;
  int fd_ = -1;
};

// The value of one field; a field too large for a double is error 6.
double RunFileFieldValue(std::string_view field, const std::string& fileName, long line);

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
      Emit(0.0);
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
        if (!pieceHasItem_) Emit(0.0);
        pieceHasItem_ = false;
        lineOpen_ = false;
        afterCR_ = c == '\r';
        ++line_;
        ++p;
      } else if (c == ',') {
        if (!pieceHasItem_) Emit(0.0);
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
          return text.size();
        }
        Emit(RunFileFieldValue(std::string_view(item, static_cast<std::size_t>(p - item)), fileName_, line_));
        pieceHasItem_ = true;
      }
    }
    return text.size();
  }

  // The end of the file: the last line's last piece, and error 62 when a
  // record is cut short, raised after the complete records were handed out.
  void Finish() {
    if (lineOpen_ && !pieceHasItem_) Emit(0.0);
    lineOpen_ = false;
    if (count_ != 0) {
      Raise(ErrorNumber::InputPastEndOfFile,
            fileName_ + ", line " + std::to_string(recordLine_) + ": the file ends inside a record");
    }
  }

 private:
  static constexpr std::ptrdiff_t kLongItem = 4096;

  static bool CouldBeNumber(const char* first, const char* last) {
    for (const char* q = first; q < last; ++q) {
      if (std::strchr("0123456789+-.eE", *q) == nullptr || *q == '\0') return false;
    }
    return true;
  }

  void Emit(double value) {
    if (count_ == 0) recordLine_ = line_;
    fields_[count_++] = value;
    if (count_ == 3) {
      count_ = 0;
      onRecord_(fields_[0], fields_[1], fields_[2]);
    }
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
};

// Calls onRecord(a, b, c) for every record of the text, in order.
template <typename OnRecord>
void ForEachRunFileRecord(std::string_view text, const std::string& fileName, OnRecord&& onRecord) {
  RunFileTokenizer<std::remove_reference_t<OnRecord>> tokenizer(fileName, onRecord);
  tokenizer.Feed(text, true);
  tokenizer.Finish();
}

// Calls onRecord(a, b, c) for every record of the run file, in order.
// Returns false when the file is missing or empty (and then deleted).
template <typename OnRecord>
bool ReadRunFileRecords(const std::string& fileName, OnRecord&& onRecord) {
  RunFileStream file;
  if (!file.Open(fileName)) return false;
  RunFileTokenizer<std::remove_reference_t<OnRecord>> tokenizer(fileName, onRecord);
  std::size_t capacity = std::size_t{1} << 16;
  auto buffer = std::make_unique_for_overwrite<char[]>(capacity);
  std::size_t used = 0;
  for (;;) {
    const std::size_t got = file.Read(buffer.get() + used, capacity - used);
    used += got;
    const bool atEnd = got == 0;
    const std::size_t consumed = tokenizer.Feed(std::string_view(buffer.get(), used), atEnd);
    if (atEnd) break;
    used -= consumed;
    std::memmove(buffer.get(), buffer.get() + consumed, used);
    if (used == capacity) {
      // One item, perhaps a number, longer than the buffer.
      auto larger = std::make_unique_for_overwrite<char[]>(capacity * 2);
      std::memcpy(larger.get(), buffer.get(), used);
      buffer = std::move(larger);
      capacity *= 2;
    }
  }
  tokenizer.Finish();
  return true;
}
