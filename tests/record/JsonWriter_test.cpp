// The JSON writer: every string a run can carry (folder names, fields as
// typed, file text quoted in warnings) stays valid JSON, a value that does
// not exist is null, and a number reads back to the same double.
#include "record/JsonWriter.h"

#include <gtest/gtest.h>

#include <limits>
#include <string>
#include <utility>

namespace {

std::string StringJson(const std::string& text) {
  record::JsonWriter json;
  json.String(text);
  return json.Text();
}

std::string NumberJson(double value) {
  record::JsonWriter json;
  json.Number(value);
  return json.Text();
}

TEST(JsonWriterTest, StringsAreEscapedAndEightBitBytesStayValid) {
  const std::pair<std::string, std::string> cases[] = {
      {"plain /path", "\"plain /path\""},
      {"say \"hi\" \\ there", R"("say \"hi\" \\ there")"},
      {"a\nb\rc\td", R"("a\nb\rc\td")"},
      {std::string("\x01\x1f\x7f", 3), R"("\u0001\u001f\u007f")"},
      {std::string("nul\0end", 7), R"("nul\u0000end")"},
      // Well-formed UTF-8 passes as it is: 2, 3 and 4 bytes.
      {"\xC3\xA9t\xC3\xA9 \xE2\x80\x93 \xF0\x9F\x9A\x97", "\"\xC3\xA9t\xC3\xA9 \xE2\x80\x93 \xF0\x9F\x9A\x97\""},
      // Any other byte is the Latin-1 character of its value: an 8-bit
      // name, a lead byte cut short or followed by no continuation, a
      // stray continuation, an overlong lead and bytes no UTF-8 has.
      {"Pr\xFC" "fstand", R"("Pr\u00fcfstand")"},
      {"end \xC3", R"("end \u00c3")"},
      {"\xE2\x80x", R"("\u00e2\u0080x")"},
      {"\x80\xBF", R"("\u0080\u00bf")"},
      {"\xC0\xAF", R"("\u00c0\u00af")"},
      {"\xE0\x80\xAF", R"("\u00e0\u0080\u00af")"},
      {"\xED\xA0\x80", R"("\u00ed\u00a0\u0080")"},
      {"\xF4\x90\x80\x80", R"("\u00f4\u0090\u0080\u0080")"},
      {"\xF5\x80\x80\x80", R"("\u00f5\u0080\u0080\u0080")"},
  };
  for (const auto& [text, json] : cases) EXPECT_EQ(StringJson(text), json + "\n") << json;
}

TEST(JsonWriterTest, NumbersAreShortestAndMissingOnesNull) {
  constexpr double kInf = std::numeric_limits<double>::infinity();
  const std::pair<double, std::string> cases[] = {
      {0.1, "0.1"},
      {1.0 / 3.0, "0.3333333333333333"},
      {100.0, "100"},
      {-2.5e-7, "-2.5e-07"},
      {1e300, "1e+300"},
      {5e-324, "5e-324"},
      {0.44704, "0.44704"},
      {std::numeric_limits<double>::quiet_NaN(), "null"},
      {kInf, "null"},
      {-kInf, "null"},
  };
  for (const auto& [value, json] : cases) EXPECT_EQ(NumberJson(value), json + "\n") << json;
}

TEST(JsonWriterTest, ObjectsAndArraysNestWithCommasBetweenMembers) {
  record::JsonWriter json;
  json.BeginObject();
  json.Key("a").Integer(-3);
  json.Key("b").BeginArray();
  json.Bool(true);
  json.Null();
  json.BeginObject();
  json.EndObject();
  json.EndArray();
  json.Key("c").BeginArray();
  json.EndArray();
  json.EndObject();
  EXPECT_EQ(json.Text(), "{\n  \"a\": -3,\n  \"b\": [\n    true,\n    null,\n    {}\n  ],\n  \"c\": []\n}\n");
}

}  // namespace
