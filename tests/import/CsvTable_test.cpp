// A logger's export as a table, in the forms people meet: separators,
// decimal marks, header and units rows, lines above and below the records,
// and the errors that name what the user must give.
#include "CsvTable.h"

#include <gtest/gtest.h>

#include "ImportTestSupport.h"
#include "TextDecoding.h"

namespace {

using importer::CsvOptions;
using importer::DecimalMark;
using importer::Separator;

TEST(CsvTableTest, LayoutsAreFoundFromTheRecords) {
  const struct {
    const char* name;
    std::string text;
    Separator separator;
    DecimalMark decimal;
    std::size_t header;  // 0: none
    std::size_t units;
    std::vector<std::string> names;
    std::vector<std::string> firstRow;
    std::size_t firstLine;
    std::size_t rows;
  } cases[] = {
      {"comma, point, CR LF", "time,speed,wind,yaw\r\n0.0,70.1,72.3,1.5\r\n0.2,70.0,72.0,1.4\r\n", Separator::Comma,
       DecimalMark::Point, 1, 0, {"time", "speed", "wind", "yaw"}, {"0.0", "70.1", "72.3", "1.5"}, 2, 2},
      {"semicolon, decimal comma", "Zeit [s];v [km/h]\n0;112,5\n0,1;112,4\n", Separator::Semicolon, DecimalMark::Comma,
       1, 0, {"Zeit [s]", "v [km/h]"}, {"0", "112,5"}, 2, 2},
      {"tab, decimal comma, CR alone", "t\tv\r0,0\t12,5\r0,1\t12,4\r", Separator::Tab, DecimalMark::Comma, 1, 0,
       {"t", "v"}, {"0,0", "12,5"}, 2, 2},
      {"blanks, no header", "  0.0   70.1\n  0.2   70.0\n", Separator::Blanks, DecimalMark::Point, 0, 0, {},
       {"0.0", "70.1"}, 1, 2},
      {"whole numbers only", "t;v\n0;70\n1;69\n", Separator::Semicolon, DecimalMark::Point, 1, 0, {"t", "v"},
       {"0", "70"}, 2, 2},
      {"units row and lines above", "Logger X200\nDate: 2024-05-03\n\ntime,speed\ns,km/h\n0.0,1.5\n0.1,1.6\n",
       Separator::Comma, DecimalMark::Point, 4, 5, {"time", "speed"}, {"0.0", "1.5"}, 6, 2},
      {"bracketed units row", "t;v\n[s];[km/h]\n0;1,5\n", Separator::Semicolon, DecimalMark::Comma, 1, 2, {"t", "v"},
       {"0", "1,5"}, 3, 1},
      {"quoted fields with decimal commas", "\"t\",\"v\"\n\"0,0\",\"12,5\"\n\"0,1\",\"12,4\"\n", Separator::Comma,
       DecimalMark::Comma, 1, 0, {"t", "v"}, {"0,0", "12,5"}, 2, 2},
      {"a separator at every line's end", "t;v;\n0;1,5;\n0,1;1,6;\n", Separator::Semicolon, DecimalMark::Comma, 1, 0,
       {"t", "v"}, {"0", "1,5"}, 2, 2},
      {"clock times with a comma fraction", "Uhrzeit;v\n10:15:02,0;12,5\n10:15:02,1;12,4\n", Separator::Semicolon,
       DecimalMark::Comma, 1, 0, {"Uhrzeit", "v"}, {"10:15:02,0", "12,5"}, 2, 2},
      {"clock times beside decimal points", "time,v\n10:15:02.0,12.5\n", Separator::Comma, DecimalMark::Point, 1, 0,
       {"time", "v"}, {"10:15:02.0", "12.5"}, 2, 1},
      {"blank lines and a footer", "t,v\n0,1.5\n\n0.1,1.6\nEND\n\n", Separator::Comma, DecimalMark::Point, 1, 0,
       {"t", "v"}, {"0", "1.5"}, 2, 2},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const importer::CsvTable t = importer::ReadCsv("f.csv", c.text, CsvOptions{});
    EXPECT_EQ(t.separator, c.separator);
    EXPECT_EQ(t.decimal, c.decimal);
    EXPECT_EQ(t.headerLine, c.header);
    EXPECT_EQ(t.unitLine, c.units);
    EXPECT_EQ(t.names, c.names);
    ASSERT_EQ(t.rows.size(), c.rows);
    EXPECT_EQ(t.rows[0].fields, c.firstRow);
    EXPECT_EQ(t.rows[0].line, c.firstLine);
  }
}

TEST(CsvTableTest, GivenOptionsOverrideWhatIsFound) {
  CsvOptions options;
  options.noHeader = true;
  importer::CsvTable t = importer::ReadCsv("f.csv", "t,v\n0,1\n", options);
  EXPECT_EQ(t.headerLine, 0u);
  options = {};
  options.headerLine = 2;
  t = importer::ReadCsv("f.csv", "Logger\nTime,Speed\nsomething,else\n0,1\n", options);
  EXPECT_EQ(t.names, (std::vector<std::string>{"Time", "Speed"}));
  options = {};
  options.separator = Separator::Semicolon;
  options.decimal = DecimalMark::Comma;
  t = importer::ReadCsv("f.csv", "a;b\n1;2\n", options);
  EXPECT_FALSE(t.separatorDetected);
  EXPECT_FALSE(t.decimalDetected);
  EXPECT_EQ(t.decimal, DecimalMark::Comma);
}

TEST(CsvTableTest, ErrorsNameTheFileTheLineAndWhatToGive) {
  const struct {
    std::string text;
    const char* message;
  } cases[] = {
      {"", "f.csv: no line holds a record of numbers (the file is empty)"},
      {"time,speed\nfast,slow\n", "f.csv: no line holds a record of numbers"},
      {"t;v;w\n0;1.5;2,5\n", "f.csv: both decimal marks occur: line 2, column 2 holds \"1.5\" and line 2, column 3 "
                             "holds \"2,5\"; give --decimal point or --decimal comma"},
      {"t;v\n0;1\n0;1;2\n1;2\n", "f.csv, line 3 holds 3 fields where the records hold 2 (semicolon-separated): \"0;1;2\""},
      {"t,v\n0,12,5\n1,13\n1,14\n",
       "f.csv, line 2 holds 3 fields where the records hold 2 (comma-separated): \"0,12,5\" (a decimal comma in a "
       "comma-separated file splits a number in two; such a file needs its numbers in double quotes)"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(importtest::ErrorText([&] { importer::ReadCsv("f.csv", c.text, CsvOptions{}); }), c.message) << c.text;
  }
}

TEST(CsvTableTest, FieldsSplitAsSpreadsheetsWriteThem) {
  const struct {
    const char* line;
    Separator separator;
    std::vector<std::string> fields;
  } cases[] = {
      {"a, b ,c", Separator::Comma, {"a", "b", "c"}},
      {"a,,c,", Separator::Comma, {"a", "", "c", ""}},
      {"\"a,b\",\"say \"\"hi\"\"\"", Separator::Comma, {"a,b", "say \"hi\""}},
      {"\"12,5\" ;x", Separator::Semicolon, {"12,5", "x"}},
      {" a\t b \t", Separator::Tab, {"a", "b", ""}},
      {"  1  2\t3 ", Separator::Blanks, {"1", "2", "3"}},
      {"\"open", Separator::Comma, {"open"}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(importer::SplitFields(c.line, c.separator), c.fields) << c.line;
  }
}

TEST(TextDecodingTest, EncodingsAndHiddenCharacters) {
  const std::string utf16le("\xFF\xFEt\0,\0v\0\n\0" "0\0,\0" "1\0\n\0", 18);
  const std::string utf16be("\xFE\xFF\0t\0,\0v\0\n\0" "0\0,\0" "1\0\n", 18);
  const std::string noMark("t\0,\0v\0\n\0" "0\0,\0" "1\0\n\0", 16);
  const struct {
    std::string bytes;
    const char* encoding;
  } cases[] = {
      {"t,v\n0,1\n", "UTF-8"},
      {"\xEF\xBB\xBFt,v\n0,1\n", "UTF-8 with a byte-order mark"},
      {utf16le, "UTF-16 little-endian"},
      {utf16be, "UTF-16 big-endian"},
      {noMark, "UTF-16 little-endian (without a byte-order mark)"},
  };
  for (const auto& c : cases) {
    const importer::DecodedText d = importer::DecodeText(c.bytes, "f.csv");
    EXPECT_EQ(d.encoding, c.encoding);
    EXPECT_EQ(d.text, "t,v\n0,1\n") << c.encoding;
  }
  EXPECT_THROW(importer::DecodeText(std::string("PK\3\4\0\0", 6), "f.xlsx"), importer::ImportError);

  EXPECT_EQ(importer::Quoted("70.0\r"), "\"70.0\\r\"");
  EXPECT_EQ(importer::Quoted("a\tb\"c\\"), "\"a\\tb\\\"c\\\\\"");
  EXPECT_EQ(importer::Quoted("\xEF\xBB\xBF" "70"), "\"\\uFEFF70\"");
  EXPECT_EQ(importer::Quoted("12\xC2\xA0"), "\"12\\u00A0\"");
  EXPECT_EQ(importer::Quoted("Gier [\xC2\xB0]"), "\"Gier [\xC2\xB0]\"");
  EXPECT_EQ(importer::Quoted("Gier [\xB0]"), "\"Gier [\\xB0]\"");
}

}  // namespace
