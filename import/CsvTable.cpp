// Lines, fields, the separator and the decimal mark, the header.
#include "CsvTable.h"

#include <algorithm>
#include <map>

#include "ImportError.h"
#include "TextDecoding.h"
#include "Units.h"

namespace importer {

namespace {

struct Line {
  std::size_t number;
  std::string text;
  std::vector<std::string> fields;
  bool blank = false;
  bool recordLike = false;  // every field empty, a number or a clock time; one not empty
};

// Lines end at CR LF, LF or CR.
std::vector<Line> SplitLines(const std::string& text) {
  std::vector<Line> lines;
  std::string current;
  std::size_t number = 1;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '\r' || c == '\n') {
      lines.push_back({number++, current, {}});
      current.clear();
      if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    } else {
      current.push_back(c);
    }
  }
  if (!current.empty()) lines.push_back({number, current, {}});
  return lines;
}

bool IsBlankText(const std::string& text) { return text.find_first_not_of(" \t") == std::string::npos; }

bool IsValueText(const std::string& field) {
  return field.empty() || ShapeOf(field) != NumberShape::NotNumber || IsClockText(field);
}

bool IsRecordLike(const std::vector<std::string>& fields) {
  bool any = false;
  for (const std::string& f : fields) {
    if (!IsValueText(f)) return false;
    any = any || !f.empty();
  }
  return any;
}

void Classify(std::vector<Line>& lines, Separator separator) {
  for (Line& line : lines) {
    line.blank = IsBlankText(line.text);
    line.fields = line.blank ? std::vector<std::string>{} : SplitFields(line.text, separator);
    line.recordLike = !line.blank && IsRecordLike(line.fields);
  }
}

// The field count most record-like lines have, and how many have it.
std::pair<std::size_t, std::size_t> CommonCount(const std::vector<Line>& lines, std::size_t limit) {
  std::map<std::size_t, std::size_t> counts;
  std::size_t seen = 0;
  for (const Line& line : lines) {
    if (seen++ == limit) break;
    if (line.recordLike) ++counts[line.fields.size()];
  }
  std::pair<std::size_t, std::size_t> best{0, 0};
  for (const auto& [count, lineCount] : counts) {
    if (lineCount > best.second) best = {count, lineCount};
  }
  return best;
}

// The separator under which most of the first lines are records of two
// fields or more; tab before semicolon before comma before blanks, since
// the later ones may stand inside the fields of the earlier ones.
Separator DetectSeparator(std::vector<Line> lines) {
  constexpr std::size_t kSample = 1000;
  if (lines.size() > kSample) lines.resize(kSample);
  Separator best = Separator::Comma;
  std::size_t bestScore = 0;
  for (const Separator candidate : {Separator::Tab, Separator::Semicolon, Separator::Comma, Separator::Blanks}) {
    Classify(lines, candidate);
    const auto [count, lineCount] = CommonCount(lines, kSample);
    if (count >= 2 && lineCount > bestScore) {
      best = candidate;
      bestScore = lineCount;
    }
  }
  return best;
}

// A logger that ends every line with a separator adds an empty field to
// each; it is no column.
void DropTrailingEmptyField(std::vector<Line>& lines, std::size_t count) {
  if (count < 2) return;
  for (const Line& line : lines) {
    if (line.recordLike && line.fields.size() == count && !line.fields.back().empty()) return;
  }
  for (Line& line : lines) {
    if (!line.fields.empty() && line.fields.back().empty()) line.fields.pop_back();
  }
}

bool IsUnitsRow(const std::vector<std::string>& fields) {
  bool any = false;
  for (const std::string& f : fields) {
    if (f.empty() || f == "-") continue;
    if (!IsUnitText(f)) return false;
    any = true;
  }
  return any;
}

std::string Where(const std::string& fileName, std::size_t line) {
  return fileName + ", line " + std::to_string(line);
}

// The decimal mark the records use: a point or a comma in a number; an
// error when both occur. Clock times (which may use either before their
// fraction) do not count.
void DetectDecimal(CsvTable& table) {
  const CsvRow* pointRow = nullptr;
  const CsvRow* commaRow = nullptr;
  std::size_t pointColumn = 0;
  std::size_t commaColumn = 0;
  for (const CsvRow& row : table.rows) {
    for (std::size_t c = 0; c < row.fields.size(); ++c) {
      const NumberShape shape = ShapeOf(row.fields[c]);
      if (shape == NumberShape::PointDecimal && pointRow == nullptr) {
        pointRow = &row;
        pointColumn = c;
      } else if (shape == NumberShape::CommaDecimal && commaRow == nullptr) {
        commaRow = &row;
        commaColumn = c;
      }
    }
    if (pointRow != nullptr && commaRow != nullptr) {
      throw ImportError(table.fileName + ": both decimal marks occur: line " + std::to_string(pointRow->line) +
                        ", column " + std::to_string(pointColumn + 1) + " holds " +
                        Quoted(pointRow->fields[pointColumn]) + " and line " + std::to_string(commaRow->line) +
                        ", column " + std::to_string(commaColumn + 1) + " holds " +
                        Quoted(commaRow->fields[commaColumn]) + "; give --decimal point or --decimal comma");
    }
  }
  table.decimal = commaRow != nullptr ? DecimalMark::Comma : DecimalMark::Point;
  table.decimalDetected = true;
}

}  // namespace

const char* SeparatorName(Separator separator) {
  switch (separator) {
    case Separator::Comma:
      return "comma";
    case Separator::Semicolon:
      return "semicolon";
    case Separator::Tab:
      return "tab";
    case Separator::Blanks:
      return "blanks";
  }
  return "";
}

std::vector<std::string> SplitFields(const std::string& line, Separator separator) {
  std::vector<std::string> fields;
  if (separator == Separator::Blanks) {
    std::size_t at = 0;
    for (;;) {
      at = line.find_first_not_of(" \t", at);
      if (at == std::string::npos) break;
      const std::size_t end = line.find_first_of(" \t", at);
      fields.push_back(line.substr(at, end - at));
      if (end == std::string::npos) break;
      at = end;
    }
    return fields;
  }
  const char sep = separator == Separator::Comma ? ',' : separator == Separator::Semicolon ? ';' : '\t';
  const char* blanks = separator == Separator::Tab ? " " : " \t";
  std::size_t at = 0;
  for (;;) {
    std::string field;
    const std::size_t start = line.find_first_not_of(blanks, at);
    std::size_t end = 0;
    if (start != std::string::npos && line[start] == '"') {
      // A quoted field: up to the closing quote, "" standing for one quote;
      // whatever follows up to the separator belongs to it too.
      std::size_t i = start + 1;
      for (; i < line.size(); ++i) {
        if (line[i] == '"') {
          if (i + 1 < line.size() && line[i + 1] == '"') {
            field.push_back('"');
            ++i;
          } else {
            break;
          }
        } else {
          field.push_back(line[i]);
        }
      }
      end = line.find(sep, std::min(i + 1, line.size()));
      if (i + 1 < line.size()) field += line.substr(i + 1, (end == std::string::npos ? line.size() : end) - i - 1);
    } else {
      end = line.find(sep, at);
      field = line.substr(at, (end == std::string::npos ? line.size() : end) - at);
    }
    const std::size_t first = field.find_first_not_of(blanks);
    const std::size_t last = field.find_last_not_of(blanks);
    fields.push_back(first == std::string::npos ? std::string() : field.substr(first, last - first + 1));
    if (end == std::string::npos) break;
    at = end + 1;
  }
  return fields;
}

CsvTable ReadCsv(const std::string& fileName, const std::string& text, const CsvOptions& options) {
  CsvTable table;
  table.fileName = fileName;
  std::vector<Line> lines = SplitLines(text);
  table.separatorDetected = !options.separator;
  table.separator = options.separator ? *options.separator : DetectSeparator(lines);
  Classify(lines, table.separator);
  std::size_t count = CommonCount(lines, lines.size()).first;
  DropTrailingEmptyField(lines, count);
  count = CommonCount(lines, lines.size()).first;
  if (count == 0) {
    throw ImportError(fileName + ": no line holds a record of numbers" +
                      (lines.empty() ? std::string(" (the file is empty)") : std::string()));
  }
  table.columns = count;

  // The records run from the first line that is one (after the header row
  // when it is given) to the last.
  std::size_t first = 0;
  if (options.headerLine != 0) {
    while (first < lines.size() && lines[first].number <= options.headerLine) ++first;
  }
  while (first < lines.size() && !(lines[first].recordLike && lines[first].fields.size() == count)) ++first;
  if (first == lines.size()) {
    throw ImportError(Where(fileName, options.headerLine) + " is the header, but no record follows it");
  }
  // Lines of numbers just above the records that are not records of the
  // same fields are damaged records, not a preamble.
  for (std::size_t i = first; i > 0 && (lines[i - 1].blank || lines[i - 1].recordLike); --i) {
    if (lines[i - 1].recordLike && lines[i - 1].fields.size() >= 2) {
      first = i - 1;
      break;
    }
  }
  // A line after the records with as many fields as they have is a
  // damaged record, not a footer.
  std::size_t last = lines.size() - 1;
  while (!(!lines[last].blank && lines[last].fields.size() == count)) --last;
  for (std::size_t i = last + 1; i < lines.size(); ++i) {
    if (lines[i].blank) continue;
    if (table.trailingLines++ == 0) table.firstTrailingLine = lines[i].number;
  }
  for (std::size_t i = first; i <= last; ++i) {
    const Line& line = lines[i];
    if (line.blank) continue;
    if (line.fields.size() != count) {
      std::string hint;
      if (table.separator == Separator::Comma && line.recordLike) {
        hint = " (a decimal comma in a comma-separated file splits a number in two; such a file needs its numbers "
               "in double quotes)";
      }
      throw ImportError(Where(fileName, line.number) + " holds " + std::to_string(line.fields.size()) +
                        " fields where the records hold " + std::to_string(count) + " (" +
                        SeparatorName(table.separator) + "-separated): " + Quoted(line.text) + hint);
    }
    table.rows.push_back({line.number, line.fields});
  }

  // The header row: the given line, or the last line above the records with
  // as many fields as a record, with the names on the line above when it
  // is a row of units.
  if (options.headerLine != 0) {
    const auto it = std::find_if(lines.begin(), lines.end(),
                                 [&](const Line& l) { return l.number == options.headerLine; });
    if (it == lines.end() || it->blank) {
      throw ImportError(Where(fileName, options.headerLine) + " (--header) is " +
                        (it == lines.end() ? "beyond the end of the file" : "blank"));
    }
    if (it->fields.size() != count) {
      throw ImportError(Where(fileName, options.headerLine) + " (--header) holds " + std::to_string(it->fields.size()) +
                        " names where the records hold " + std::to_string(count) + " fields");
    }
    table.headerLine = it->number;
    table.names = it->fields;
  } else if (!options.noHeader) {
    std::vector<const Line*> above;
    for (std::size_t i = 0; i < first; ++i) {
      if (!lines[i].blank) above.push_back(&lines[i]);
    }
    std::size_t k = above.size();
    while (k > 0 && above[k - 1]->fields.size() != count) --k;
    if (k > 0) {
      const Line* header = above[k - 1];
      if (IsUnitsRow(header->fields) && k > 1 && above[k - 2]->fields.size() == count) {
        table.unitLine = header->number;
        table.units = header->fields;
        header = above[k - 2];
      }
      table.headerLine = header->number;
      table.names = header->fields;
    }
    for (std::size_t i = above.size(); i > 0; --i) {
      const std::size_t n = above[i - 1]->number;
      if (n != table.headerLine && n != table.unitLine) {
        table.otherLine = n;
        table.otherFields = above[i - 1]->fields.size();
        break;
      }
    }
  }

  if (options.decimal) {
    table.decimal = *options.decimal;
  } else {
    DetectDecimal(table);
  }
  return table;
}

}  // namespace importer
