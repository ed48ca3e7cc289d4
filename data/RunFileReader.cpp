// The run-file tokenizer and the reading of a run file in blocks.
#include "data/RunFileReader.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <memory>
#include <utility>

#include "common/FileSystem.h"
#include "common/RuntimeError.h"
#include "common/Sha256.h"
#include "common/TextConversion.h"

namespace {

constexpr std::size_t kLongItem = 4096;  // an item this long that holds no number byte is skipped
constexpr std::size_t kShownText = 24;   // bytes of a field that a warning or an error quotes

// The bytes that end a field item: a comma, a line end, a blank or a tab.
// Looked up rather than compared, as every byte of the file is.
constexpr std::array<bool, 256> kSeparators = [] {
  std::array<bool, 256> table{};
  for (const unsigned char c : {',', '\n', '\r', ' ', '\t'}) table[c] = true;
  return table;
}();

bool IsSeparator(char c) { return kSeparators[static_cast<unsigned char>(c)]; }

bool CouldBeNumber(std::string_view item) {
  for (const char c : item) {
    if (c == '\0' || std::strchr("0123456789+-.eE", c) == nullptr) return false;
  }
  return true;
}

// The value of `field` into `value`; false when it is not a number. A
// field too large for a double is error 6; `shown` is how its start is
// quoted (the field's own start when empty).
bool ReadField(std::string_view field, const std::string& fileName, long line, double& value,
               std::string_view shown = {}) {
  switch (TryParseNumber(field, value)) {
    case NumberParse::Ok:
      return true;
    case NumberParse::TooLarge:
      // A number can be a megabyte of digits; its start tells the user enough.
      Raise(ErrorNumber::Overflow, fileName + ", line " + std::to_string(line) + ": the number " +
                                       (shown.empty() ? std::string(field.substr(0, kShownText)) +
                                                            (field.size() > kShownText ? "..." : "")
                                                      : std::string(shown) + "...") +
                                       " is too large for a double");
    case NumberParse::NotANumber:
      break;
  }
  value = 0.0;
  return false;
}

}  // namespace

// A number text taken in byte by byte and kept as the shortest text of the
// same value: its sign, at most kKept significant digits, a 1 for any
// nonzero digit beyond them, and the decimal exponent. Beyond 768
// significant digits only whether more nonzero digits follow can change
// the nearest double, so the value, and whether it is too large, are those
// of the whole text. Bytes that break the number syntax make it none.
struct RunFileTokenizer::LongNumber {
  static constexpr std::size_t kKept = 800;
  static constexpr long long kExponentCap = 1'000'000'000'000LL;

  enum class Part { Sign, Whole, Fraction, ExponentSign, Exponent, Broken } part = Part::Sign;
  std::string sign;
  std::string digits;       // significant digits kept
  bool beyond = false;      // a nonzero digit beyond those kept
  bool anyDigit = false;    // of the mantissa
  bool exponentDigit = false;
  bool exponentNegative = false;
  long long scale = 0;      // the value is digits × 10^scale × 10^exponent
  long long exponent = 0;

  void Take(char c) {
    const bool digit = c >= '0' && c <= '9';
    switch (part) {
      case Part::Sign:
        part = Part::Whole;
        if (c == '+' || c == '-') {
          sign = c == '-' ? "-" : "";
          return;
        }
        Take(c);
        return;
      case Part::Whole:
      case Part::Fraction:
        if (digit) {
          anyDigit = true;
          Mantissa(c, part == Part::Fraction);
        } else if (c == '.' && part == Part::Whole) {
          part = Part::Fraction;
        } else if (c == 'e' || c == 'E') {
          part = anyDigit ? Part::ExponentSign : Part::Broken;
        } else {
          part = Part::Broken;
        }
        return;
      case Part::ExponentSign:
        part = Part::Exponent;
        if (c == '+' || c == '-') {
          exponentNegative = c == '-';
          return;
        }
        Take(c);
        return;
      case Part::Exponent:
        if (!digit) {
          part = Part::Broken;
          return;
        }
        exponentDigit = true;
        if (exponent < kExponentCap) exponent = exponent * 10 + (c - '0');
        return;
      case Part::Broken:
        return;
    }
  }

  void Mantissa(char c, bool fraction) {
    if (digits.empty() && c == '0') {
      if (fraction) --scale;  // a leading zero after the point
      return;
    }
    if (digits.size() < kKept) {
      digits.push_back(c);
      if (fraction) --scale;
      return;
    }
    beyond = beyond || c != '0';
    if (!fraction) ++scale;
  }

  // The number text of the same value; empty when the bytes were none.
  std::string Text() const {
    const bool complete = part == Part::Whole || part == Part::Fraction || (part == Part::Exponent && exponentDigit);
    if (!anyDigit || !complete) return {};
    const long long power = scale - (beyond ? 1 : 0) + (exponentNegative ? -exponent : exponent);
    return sign + (digits.empty() ? "0" : digits) + (beyond ? "1" : "") + "e" + std::to_string(power);
  }
};

RunFileTokenizer::RunFileTokenizer(std::string fileName, RunFileRecordSink onRecord)
    : fileName_(std::move(fileName)), onRecord_(std::move(onRecord)) {}

RunFileTokenizer::~RunFileTokenizer() = default;

std::size_t RunFileTokenizer::Feed(std::string_view text, bool atEnd) {
  const char* const begin = text.data();
  const char* p = begin;
  const char* const end = p + text.size();
  if (skipping_) {
    while (p < end && !IsSeparator(*p)) ++p;
    if (p == end && !atEnd) return text.size();
    skipping_ = false;
    EmitZero(skippedStart_);
    pieceHasItem_ = true;
  } else if (longNumber_) {
    for (; p < end && !IsSeparator(*p); ++p) longNumber_->Take(*p);
    if (p == end && !atEnd) return text.size();
    LongItemEnds();
  }
  if (afterCR_ && p < end) {
    afterCR_ = false;
    if (*p == '\n') ++p;  // the second half of a CR LF that the last part cut
  }
  while (p < end) {
    const char c = *p;
    if (c == ' ' || c == '\t') {
      lineOpen_ = true;
      ++p;
    } else if (c == '\n' || c == '\r') {
      if (!pieceHasItem_) EmitZero({});
      EndLine();
      pieceHasItem_ = false;
      lineOpen_ = false;
      ++line_;
      ++p;
      if (c == '\r') {
        // A CR LF is one line end; its LF may come with the next part.
        if (p == end) {
          afterCR_ = true;
        } else if (*p == '\n') {
          ++p;
        }
      }
    } else if (c == ',') {
      if (!pieceHasItem_) EmitZero({});
      pieceHasItem_ = false;
      lineOpen_ = true;
      ++p;
    } else {
      const char* item = p;
      while (p < end && !IsSeparator(*p)) ++p;
      lineOpen_ = true;
      const std::string_view field(item, static_cast<std::size_t>(p - item));
      if (p == end && !atEnd) {
        // The item may go on in the next part. One that is already long
        // and holds a byte no number has is not a number: skip the rest;
        // a long one of number characters is taken in as it passes.
        if (field.size() < kLongItem) return static_cast<std::size_t>(item - begin);
        skippedStart_ = std::string(field.substr(0, kShownText));
        if (CouldBeNumber(field)) {
          longNumber_ = std::make_unique<LongNumber>();
          for (const char b : field) longNumber_->Take(b);
        } else {
          skipping_ = true;
        }
        return text.size();
      }
      Item(field);
    }
  }
  return text.size();
}

void RunFileTokenizer::Finish() {
  if (lineOpen_ && !pieceHasItem_) EmitZero({});
  if (lineOpen_) EndLine();
  lineOpen_ = false;
  if (count_ != 0) {
    Raise(ErrorNumber::InputPastEndOfFile,
          fileName_ + ", line " + std::to_string(recordLine_) + ": the file ends inside a record");
  }
}

void RunFileTokenizer::Item(std::string_view item) {
  double value = 0.0;
  if (ReadField(item, fileName_, line_, value)) {
    Emit(value);
  } else {
    EmitZero(item);
  }
  pieceHasItem_ = true;
}

void RunFileTokenizer::LongItemEnds() {
  const std::string number = longNumber_->Text();
  longNumber_.reset();
  double value = 0.0;
  if (!number.empty() && ReadField(number, fileName_, line_, value, skippedStart_)) {
    Emit(value);
  } else {
    EmitZero(skippedStart_);
  }
  pieceHasItem_ = true;
}

void RunFileTokenizer::Emit(double value) {
  if (count_ == 0) recordLine_ = line_;
  ++fieldsOnLine_;
  fields_[count_++] = value;
  if (count_ == 3) {
    count_ = 0;
    ++facts_.records;
    onRecord_(fields_[0], fields_[1], fields_[2]);
  }
}

void RunFileTokenizer::EmitZero(std::string_view text) {
  if (facts_.zeroFields++ == 0) {
    facts_.zeroFieldLine = line_;
    facts_.zeroFieldPosition = fieldsOnLine_ + 1;
    facts_.zeroFieldText = std::string(text.substr(0, kShownText));
  }
  Emit(0.0);
}

void RunFileTokenizer::EndLine() {
  if (fieldsOnLine_ != 3 && facts_.linesNotOneRecord++ == 0) {
    facts_.notOneRecordLine = line_;
    facts_.notOneRecordFields = fieldsOnLine_;
  }
  fieldsOnLine_ = 0;
}

void ForEachRunFileRecord(std::string_view text, const std::string& fileName, RunFileRecordSink onRecord) {
  RunFileTokenizer tokenizer(fileName, std::move(onRecord));
  tokenizer.Feed(text, true);
  tokenizer.Finish();
}

void FeedRunFileBlocks(const RunFileSource& source, RunFileTokenizer& tokenizer, std::size_t capacity) {
  auto buffer = std::make_unique_for_overwrite<char[]>(capacity);
  std::size_t used = 0;
  for (;;) {
    const std::size_t got = source(buffer.get() + used, capacity - used);
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

RunFileState ReadRunFileRecords(const std::string& fileName, RunFileRecordSink onRecord, RunFileTextFacts* facts,
                                std::uintmax_t* bytes, std::string* sha256) {
  InputFile file;
  if (!file.Open(fileName)) return RunFileState::Missing;
  const std::uintmax_t size = file.Size();
  if (bytes != nullptr) *bytes = size;
  if (size < 1) {
    switch (file.DeleteIfEmpty()) {
      case InputFile::EmptyFile::Deleted: return RunFileState::Empty;
      case InputFile::EmptyFile::HeldOpen: return RunFileState::EmptyHeldOpen;
      case InputFile::EmptyFile::NotEmpty:
        // It gained its bytes while it was looked at.
        if (bytes != nullptr) *bytes = file.Size();
        break;
    }
  }
  RunFileTokenizer tokenizer(fileName, std::move(onRecord));
  // Whatever happens while reading, what was seen so far is told.
  struct Report {
    const RunFileTokenizer& tokenizer;
    RunFileTextFacts* facts;
    const TextFormSeen& encoding;
    const TextFormSeen& layout;
    const bool& encodingRead;
    const bool& layoutRead;
    ~Report() {
      if (facts == nullptr) return;
      *facts = tokenizer.Facts();
      facts->encoding = encoding;
      facts->layout = layout;
      facts->encodingRead = encodingRead;
      facts->layoutRead = layoutRead;
    }
  };
  TextFormSeen encoding;
  TextFormSeen layout;
  bool encodingRead = false;
  bool layoutRead = false;
  const Report report{tokenizer, facts, encoding, layout, encodingRead, layoutRead};

  const RunFileReading& reading = RunFileReadingOptions();
  // The digest of the bytes as they pass: the file is read once.
  Sha256 digest;
  const auto readBytes = [&](char* buffer, std::size_t size) {
    const std::size_t got = file.Read(buffer, size);
    if (sha256 != nullptr) {
      digest.Update(std::string_view(buffer, got));
      if (got == 0) *sha256 = digest.HexDigest();
    }
    return got;
  };
  // The first block tells the file's form; a form the user asked to be read
  // as written is decoded from there on.
  bool first = true;
  std::unique_ptr<TextDecoder> decoder;
  std::string decoded;
  std::size_t handedOut = 0;
  std::unique_ptr<char[]> raw;
  const auto source = [&](char* out, std::size_t size) -> std::size_t {
    if (!decoder) {
      const std::size_t got = readBytes(out, size);
      if (first) {
        first = false;
        encoding = EncodingOf(std::string_view(out, got));
        if (encoding.form != TextForm::EightBit && reading.unicode) {
          encodingRead = true;
          decoder = std::make_unique<TextDecoder>(encoding.form);
          decoder->Decode(std::string_view(out, got), decoded);
        }
        if (encoding.form == TextForm::EightBit || encoding.form == TextForm::Utf8Bom || encodingRead) {
          layout = LayoutOf(decoder ? std::string_view(decoded) : std::string_view(out, got));
          layoutRead = layout.form != TextForm::EightBit && reading.decimalComma;
        }
        if (layoutRead) ToDecimalPoint(layout.form, decoder ? decoded.data() : out, decoder ? decoded.size() : got);
        if (!decoder) return got;
        raw = std::make_unique_for_overwrite<char[]>(size);
      } else {
        if (layoutRead) ToDecimalPoint(layout.form, out, got);
        return got;
      }
    }
    while (handedOut == decoded.size()) {
      decoded.clear();
      handedOut = 0;
      const std::size_t got = readBytes(raw.get(), size / 2);
      if (got == 0) return 0;
      decoder->Decode(std::string_view(raw.get(), got), decoded);
      if (layoutRead) ToDecimalPoint(layout.form, decoded.data(), decoded.size());
    }
    const std::size_t n = std::min(size, decoded.size() - handedOut);
    decoded.copy(out, n, handedOut);
    handedOut += n;
    return n;
  };
  try {
    FeedRunFileBlocks(source, tokenizer);
  } catch (const RuntimeError&) {
    // What the tokenizer did not read yet still belongs to the file.
    if (sha256 != nullptr && sha256->empty()) {
      try {
        auto block = std::make_unique_for_overwrite<char[]>(std::size_t{1} << 16);
        while (readBytes(block.get(), std::size_t{1} << 16) > 0) {
        }
      } catch (const RuntimeError&) {
        sha256->clear();
      }
    }
    throw;
  }
  return RunFileState::Read;
}

RunFileReading& RunFileReadingOptions() {
  static RunFileReading reading;
  return reading;
}
