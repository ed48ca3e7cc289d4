// Fuzzes the run-file reader and the reduction. The reader must hand out
// exactly the fields that a plain reading of the rules gives (lines split at
// every line end, pieces at every comma, items at blanks; an item that is a
// number text has the C library's value, anything else and an empty piece
// read 0), or raise the error for a record cut short or a number too large;
// fed through the block loop in blocks of a size the input chooses, from a
// source that hands out fewer bytes than asked, it must give the same; the
// reduction then yields floor((N - 1) / 5) - 1 samples, or none.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <utility>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "common/RuntimeError.h"
#include "common/TextConversion.h"
#include "common/UnitFactors.h"
#include "data/CDataCol.h"
#include "data/RunFileReader.h"

namespace {

// The fields of the text by the rules, written as simply as possible; false
// when an item is a number too large for a double.
bool ReferenceFields(std::string_view text, std::vector<double>& fields) {
  std::vector<std::string> lines;
  std::string line;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '\r' || c == '\n') {
      lines.push_back(line);
      line.clear();
      if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    } else {
      line += c;
    }
  }
  if (!line.empty()) lines.push_back(line);
  for (const std::string& l : lines) {
    std::vector<std::string> pieces(1);
    for (char c : l) {
      if (c == ',') {
        pieces.emplace_back();
      } else {
        pieces.back() += c;
      }
    }
    for (const std::string& piece : pieces) {
      std::vector<std::string> items;
      std::string item;
      for (char c : piece) {
        if (c == ' ' || c == '\t') {
          if (!item.empty()) items.push_back(item);
          item.clear();
        } else {
          item += c;
        }
      }
      if (!item.empty()) items.push_back(item);
      if (items.empty()) fields.push_back(0.0);
      for (const std::string& it : items) {
        if (!IsNumberText(it)) {
          fields.push_back(0.0);
          continue;
        }
        const double value = std::strtod(it.c_str(), nullptr);
        if (value == HUGE_VAL || value == -HUGE_VAL) return false;
        fields.push_back(value);
      }
    }
  }
  return true;
}

// A file that hands out at most `most` bytes a read, as a pipe or a slow
// disk may.
struct ShortReads {
  std::string_view text;
  std::size_t most;
  std::size_t Read(char* buffer, std::size_t size) {
    const std::size_t n = std::min({size, most, text.size()});
    std::memcpy(buffer, text.data(), n);
    text.remove_prefix(n);
    return n;
  }
};

// The records the block loop gives, then the error number it raised (0 for none).
std::pair<std::vector<double>, int> ThroughBlocks(std::string_view text, std::size_t block, std::size_t most) {
  std::vector<double> fields;
  int error = 0;
  auto onRecord = [&](double a, double b, double c) { fields.insert(fields.end(), {a, b, c}); };
  try {
    RunFileTokenizer tokenizer("DATA.1", onRecord);
    ShortReads source{text, most};
    FeedRunFileBlocks([&source](char* buffer, std::size_t size) { return source.Read(buffer, size); }, tokenizer,
                      block);
  } catch (const RuntimeError& e) {
    error = e.Code();
  }
  return {fields, error};
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  UnitFactors().SpeedFactor = 0.44704;
  if (size < 2) return 0;
  // The first two bytes choose the block and the largest read.
  const std::size_t block = 1 + data[0] % 64;
  const std::size_t most = 1 + data[1] % 97;
  const std::string_view text(reinterpret_cast<const char*>(data + 2), size - 2);
  std::vector<double> expected;
  const bool representable = ReferenceFields(text, expected);

  std::vector<double> got;
  CDataCol raw;
  // Block by block, short reads and all, the text gives what it gives whole.
  const auto [blocked, blockedError] = ThroughBlocks(text, block, most);
  int wholeError = 0;
  try {
    ForEachRunFileRecord(text, "DATA.1", [&](double a, double b, double c) {
      got.insert(got.end(), {a, b, c});
      raw.Add(Real(a) * UnitFactors().SpeedFactor, Real(b) * UnitFactors().SpeedFactor, Real(c), 1);
    });
  } catch (const RuntimeError& e) {
    wholeError = e.Code();
    if (blocked != got || blockedError != wholeError) std::abort();
    const ErrorNumber n = e.Number();
    if (n == ErrorNumber::InputPastEndOfFile) {
      if (!representable || expected.size() % 3 == 0) std::abort();
    } else if (n == ErrorNumber::Overflow) {
      // A number too large for a double, or more records than a 16-bit count allows.
      if (representable && expected.size() / 3 <= 32767) std::abort();
    } else {
      std::abort();
    }
    return 0;
  }
  if (blocked != got || blockedError != 0) std::abort();
  if (!representable || expected.size() % 3 != 0 || got.size() != expected.size()) std::abort();
  for (std::size_t i = 0; i < got.size(); ++i) {
    // Equal as values; both readings of "-0" are zero.
    if (got[i] != expected[i]) std::abort();
  }

  CDataCol reduced;
  try {
    reduced.Reduce(1, raw, true);
  } catch (const RuntimeError& e) {
    // Sums of huge readings may overflow; nothing else may go wrong.
    if (e.Number() != ErrorNumber::Overflow) std::abort();
    return 0;
  }
  const long n = raw.Count();
  const long expectedCount = n >= 11 ? (n - 1) / 5 - 1 : 0;
  if (reduced.Count() != expectedCount) std::abort();
  return 0;
}
