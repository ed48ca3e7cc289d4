// The other forms of run files: what the start of a file tells of its
// encoding and layout, and reading them as written gives the records of
// the same file written as 8-bit text with a decimal point, however the
// file is cut into parts.
#include "data/RunFileText.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "data/RunFileReader.h"

namespace {

std::string Utf16(const std::string& text, bool little, bool mark) {
  std::string out = mark ? (little ? "\xFF\xFE" : "\xFE\xFF") : "";
  for (const char c : text) out += little ? std::string{c, '\0'} : std::string{'\0', c};
  return out;
}

const std::string kPlain = "42.5,44.1,-2.3\r\n40.25,41,1.5\r\n";

TEST(RunFileTextTest, FormsAreFoundAtTheStart) {
  const struct {
    std::string bytes;
    TextForm encoding, layout;
    long line;
  } cases[] = {
      {kPlain, TextForm::EightBit, TextForm::EightBit, 0},
      {"42,44,-2\r\n", TextForm::EightBit, TextForm::EightBit, 0},  // whole numbers, commas between them
      {"\xEF\xBB\xBF" + kPlain, TextForm::Utf8Bom, TextForm::EightBit, 0},
      {Utf16(kPlain, true, true), TextForm::Utf16LE, TextForm::EightBit, 0},
      {Utf16(kPlain, false, true), TextForm::Utf16BE, TextForm::EightBit, 0},
      {Utf16(kPlain, true, false), TextForm::Utf16LE, TextForm::EightBit, 0},
      {Utf16(kPlain, false, false), TextForm::Utf16BE, TextForm::EightBit, 0},
      {"42,5\t44,1\t-2,3\r\n", TextForm::EightBit, TextForm::DecimalComma, 1},
      {"\r\n42,5 44,1 -2,3\n", TextForm::EightBit, TextForm::DecimalComma, 2},
      {"42,5;44,1;-2,3\r\n", TextForm::EightBit, TextForm::Semicolon, 1},
      {"42.5;44.1;-2.3\r\n", TextForm::EightBit, TextForm::Semicolon, 1},
      {"42,5,44,1,-2,3\r\n", TextForm::EightBit, TextForm::EightBit, 0},  // ambiguous: read as it stands
      {"42.5\t44,1\t-2\r\n", TextForm::EightBit, TextForm::EightBit, 0},  // a point: no decimal commas
  };
  for (const auto& c : cases) {
    EXPECT_EQ(EncodingOf(c.bytes).form, c.encoding) << c.bytes;
    const TextFormSeen layout = LayoutOf(c.bytes);
    EXPECT_EQ(layout.form, c.layout) << c.bytes;
    EXPECT_EQ(layout.line, c.line) << c.bytes;
  }
}

// Each form, read as written in parts of every size, gives the records of
// the plain file.
TEST(RunFileTextTest, ReadAsWrittenGivesThePlainRecords) {
  const auto records = [](const std::string& text) {
    std::string out;
    ForEachRunFileRecord(text, "RUN.1", [&](double a, double b, double c) {
      out += std::to_string(a) + " " + std::to_string(b) + " " + std::to_string(c) + ";";
    });
    return out;
  };
  const std::string expected = records(kPlain);
  const std::pair<std::string, TextForm> written[] = {
      {"\xEF\xBB\xBF" + kPlain, TextForm::EightBit},
      {Utf16(kPlain, true, true), TextForm::EightBit},
      {Utf16(kPlain, false, false), TextForm::EightBit},
      {Utf16("42,5\t44,1\t-2,3\r\n40,25\t41\t1,5\r\n", false, true), TextForm::DecimalComma},
      {"42,5 44,1 -2,3\r\n40,25 41 1,5\r\n", TextForm::DecimalComma},
      {"42,5;44,1;-2,3\r\n40,25;41;1,5\r\n", TextForm::Semicolon},
  };
  for (const auto& [bytes, layout] : written) {
    for (const std::size_t part : {1, 2, 3, 5, 64}) {
      TextDecoder decoder(EncodingOf(bytes).form);
      std::string text;
      for (std::size_t at = 0; at < bytes.size(); at += part) decoder.Decode(bytes.substr(at, part), text);
      ToDecimalPoint(layout, text.data(), text.size());
      EXPECT_EQ(records(text), expected) << bytes << " in parts of " << part;
    }
  }
  // Beyond ASCII, UTF-16 becomes UTF-8, a pair of surrogates one character.
  TextDecoder decoder(TextForm::Utf16LE);
  std::string text;
  decoder.Decode(std::string("\xFF\xFE\xB0\x00\x3D\xD8\x00\xDE", 8), text);
  EXPECT_EQ(text, "\xC2\xB0\xF0\x9F\x98\x80");
}

}  // namespace
