// Reading run files: the probe that treats a missing or empty file as the
// end of a set, and the tokenizer that turns the file's text into records of
// three numbers. Separators are commas, line ends (CR LF, LF or CR) and runs
// of blanks and tabs between two items; a field that is not a number reads
// 0 and an empty line is one field of value 0.
//
// A file is read in blocks and tokenized as it arrives, so memory does not
// grow with the file, nor with a line: a block keeps only the item that its
// end cuts, an item that cannot be a number is skipped however long it is,
// and a long item of number characters (a line of digits) is taken in as
// it passes, keeping only the digits that can change its double.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "data/RunFileText.h"

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
  // The file's form where it is not 8-bit text with a decimal point: its
  // encoding (UTF-16, a UTF-8 byte-order mark) and the layout of its first
  // lines (decimal commas, semicolons), and whether each was read as
  // written (RunFileReading) rather than as 8-bit text with a decimal point.
  TextFormSeen encoding;
  TextFormSeen layout;
  bool encodingRead = false;
  bool layoutRead = false;
};

// How run files in another form are read: as 8-bit text with a decimal
// point, which the analysis reads, unless the user asks for them to be read
// as written (--unicode, --decimal-comma).
struct RunFileReading {
  bool unicode = false;       // UTF-16 decoded, a UTF-8 byte-order mark dropped
  bool decimalComma = false;  // decimal commas and semicolons read (blank, tab or semicolon separated files)
};
// The reading of every run file of the process, set once from the command line.
RunFileReading& RunFileReadingOptions();

// Is handed each record of three numbers, in order.
using RunFileRecordSink = std::function<void(double, double, double)>;

// Hands out the records of a run file fed to it in consecutive parts. A line
// is split at commas into pieces; a piece gives one field per blank-separated
// item in it, or one field of value 0 when it holds none (so an empty or
// blank line is one 0 field). A number too large for a double is error 6.
class RunFileTokenizer {
 public:
  RunFileTokenizer(std::string fileName, RunFileRecordSink onRecord);
  ~RunFileTokenizer();
  RunFileTokenizer(const RunFileTokenizer&) = delete;
  RunFileTokenizer& operator=(const RunFileTokenizer&) = delete;

  const RunFileTextFacts& Facts() const { return facts_; }
  // Takes the next part of the file and returns how many of its bytes were
  // used. The rest is an item that the end of the part cuts: it must come
  // again at the front of the next part. With atEnd, everything is used.
  std::size_t Feed(std::string_view text, bool atEnd);
  // The end of the file: the last line's last piece, and error 62 when a
  // record is cut short, raised after the complete records were handed out.
  void Finish();

 private:
  void Item(std::string_view item);
  void LongItemEnds();  // the long item of number characters is whole
  void Emit(double value);
  void EmitZero(std::string_view text);  // a field that is not a number, or empty
  void EndLine();

  std::string fileName_;
  RunFileRecordSink onRecord_;
  double fields_[3] = {0.0, 0.0, 0.0};
  int count_ = 0;
  long line_ = 1;
  long recordLine_ = 1;
  int fieldsOnLine_ = 0;
  bool pieceHasItem_ = false;  // the current piece has given a field
  bool lineOpen_ = false;      // something stands after the last line end
  bool afterCR_ = false;       // the last byte was a CR, so an LF next belongs to it
  bool skipping_ = false;      // inside a long item that is not a number
  std::string skippedStart_;   // the start of that item (or of a long number)
  struct LongNumber;
  std::unique_ptr<LongNumber> longNumber_;  // inside a long item of number characters
  RunFileTextFacts facts_;
};

// Calls onRecord(a, b, c) for every record of the text, in order.
void ForEachRunFileRecord(std::string_view text, const std::string& fileName, RunFileRecordSink onRecord);

// Reads up to `size` bytes into `buffer`; 0 at the end.
using RunFileSource = std::function<std::size_t(char* buffer, std::size_t size)>;

// Feeds the tokenizer with the bytes of `source` in blocks of `capacity`; a
// block keeps only the item that its end cuts, grown when one item (a number
// of many digits) is longer than the block.
void FeedRunFileBlocks(const RunFileSource& source, RunFileTokenizer& tokenizer,
                       std::size_t capacity = std::size_t{1} << 16);

// How a run file was found when it was looked for. An empty file that
// another program holds open (a logger about to write it) is left in place
// and ends its set as a missing file does.
enum class RunFileState { Missing, Empty, Read, EmptyHeldOpen };

// Calls onRecord(a, b, c) for every record of the run file, in order. A
// file that is missing is left as it is; one that is empty is deleted,
// unless another program holds it open. All three end a set. `sha256`,
// when given, receives the SHA-256 of the bytes read as hex, also when an
// error ends the reading (the rest of the file is read for it then); it
// stays empty when the file could not be read to its end. `facts`, when given, receives what the text held and its size,
// also when an error ends the reading.
RunFileState ReadRunFileRecords(const std::string& fileName, RunFileRecordSink onRecord,
                                RunFileTextFacts* facts = nullptr, std::uintmax_t* bytes = nullptr,
                                std::string* sha256 = nullptr);
