// Fuzzes the run-file reader and the reduction. The reader must hand out
// exactly the fields that a plain reading of the rules gives (lines split at
// every line end, pieces at every comma, items at blanks; an item that is a
// number text has the C library's value, anything else and an empty piece
// read 0), or raise the error for a record cut short or a number too large;
// the reduction then yields floor((N - 1) / 5) - 1 samples, or none.
#include <cmath>
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

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  UnitFactors().SpeedFactor = 0.44704;
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  std::vector<double> expected;
  const bool representable = ReferenceFields(text, expected);

  std::vector<double> got;
  CDataCol raw;
  try {
    ForEachRunFileRecord(text, "DATA.1", [&](double a, double b, double c) {
      got.insert(got.end(), {a, b, c});
      raw.Add(Real(a) * UnitFactors().SpeedFactor, Real(b) * UnitFactors().SpeedFactor, Real(c), 1);
    });
  } catch (const RuntimeError& e) {
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
