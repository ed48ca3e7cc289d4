// A logger's CSV export as a table: its separator (comma, semicolon, tab
// or blanks) and decimal mark, found from the records unless given; the
// lines before the records (a header row of column names, a row of units
// under it, anything a logger writes above them); and the records, each
// with the line it came from.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "FieldText.h"

namespace importer {

enum class Separator { Comma, Semicolon, Tab, Blanks };
const char* SeparatorName(Separator separator);  // "comma", "semicolon", "tab", "blanks"

struct CsvOptions {
  std::optional<Separator> separator;  // detected when not given
  std::optional<DecimalMark> decimal;  // detected when not given
  bool noHeader = false;               // the file has no header row
  std::size_t headerLine = 0;          // the header row is this line (from 1); 0: found
};

struct CsvRow {
  std::size_t line;  // from 1, as an editor counts lines
  std::vector<std::string> fields;
};

struct CsvTable {
  std::string fileName;
  Separator separator = Separator::Comma;
  bool separatorDetected = false;
  DecimalMark decimal = DecimalMark::Point;
  bool decimalDetected = false;
  std::size_t columns = 0;     // fields of a record
  std::size_t headerLine = 0;  // 0: no header row
  std::size_t unitLine = 0;    // 0: no row of units
  std::vector<std::string> names;  // column names (empty without a header)
  std::vector<std::string> units;  // units of a units row (empty without one)
  // The last line before the records that is not the header, and how many
  // fields it holds, for a message when no header matches the records.
  std::size_t otherLine = 0;
  std::size_t otherFields = 0;
  std::vector<CsvRow> rows;
  std::size_t trailingLines = 0;   // lines after the records that are not records
  std::size_t firstTrailingLine = 0;
};

// Reads the text of `fileName` (only for messages). Throws ImportError
// naming the file, the line and the column when the text has no records,
// an ambiguous decimal mark, or a line within the records that is not one.
CsvTable ReadCsv(const std::string& fileName, const std::string& text, const CsvOptions& options);

// The fields of one line split at `separator`: blanks and tabs around a
// field are dropped (a tab is no blank in a tab-separated file), a field in
// double quotes may hold the separator and "" for a quote.
std::vector<std::string> SplitFields(const std::string& line, Separator separator);

}  // namespace importer
