// The run-file tokenizer: separators, line ends, fields that are not numbers,
// and records cut short.
#include "data/RunFileReader.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/TestSupport.h"

namespace {

std::vector<double> Fields(const std::string& text) {
  std::vector<double> out;
  ForEachRunFileRecord(text, "RUN.1", [&](double a, double b, double c) {
    out.push_back(a);
    out.push_back(b);
    out.push_back(c);
  });
  return out;
}

TEST(RunFileReaderTest, Layouts) {
  using V = std::vector<double>;
  const struct {
    const char* name;
    std::string text;
    V fields;
  } cases[] = {
      {"commas", "42.5,44.1,-2.3", {42.5, 44.1, -2.3}},
      {"blanks after commas", "42.5, 44.1, -2.3\r\n", {42.5, 44.1, -2.3}},
      {"blanks only", "42.5 44.1\t-2.3\n", {42.5, 44.1, -2.3}},
      {"blanks around commas", "  42.5 ,  44.1 ,-2.3  \r\n", {42.5, 44.1, -2.3}},
      {"CR alone", "1,2,3\r4,5,6\r", {1, 2, 3, 4, 5, 6}},
      {"LF", "1,2,3\n4,5,6", {1, 2, 3, 4, 5, 6}},
      {"record across lines", "1,2\n3\n", {1, 2, 3}},
      {"empty line is one zero", "1,2\n\n", {1, 2, 0}},
      {"empty fields", ",,\n", {0, 0, 0}},
      {"not a number", "abc,2,1e\n", {0, 2, 0}},
      {"byte-order mark", "\xEF\xBB\xBF" "1,2,3\n", {0, 2, 3}},
      {"NUL byte", std::string("1,\0,3\n", 6), {1, 0, 3}},
      {"exponent and plus", "+1e1,.5,5.\n", {10, 0.5, 5}},
      {"underflow reads zero", "1e-999,1,1\n", {0, 1, 1}},
  };
  for (const auto& c : cases) EXPECT_EQ(Fields(c.text), c.fields) << c.name;
}

TEST(RunFileReaderTest, RecordsCutShort) {
  const struct {
    std::string text;
    std::string where;
  } cases[] = {
      {"1,2,3\n\n", "line 2"},
      {"1,2\n", "line 1"},
      {"1,2,3\n4,5,6\n7", "line 3"},
      {"1,2,3,4\n", "line 1"},
  };
  for (const auto& c : cases) {
    std::vector<double> seen;
    try {
      ForEachRunFileRecord(c.text, "DATA.7", [&](double a, double, double) { seen.push_back(a); });
      ADD_FAILURE() << c.text;
    } catch (const RuntimeError& e) {
      EXPECT_EQ(e.Code(), 62);
      EXPECT_EQ(e.Detail().rfind("DATA.7, " + c.where, 0), 0u) << e.Detail();
    }
  }
}

TEST(RunFileReaderTest, AFieldTooLargeForADoubleIsOverflow) {
  try {
    Fields("1,2,3\n1e400,1,1\n");
    FAIL();
  } catch (const RuntimeError& e) {
    EXPECT_EQ(e.Code(), 6);
    EXPECT_NE(e.Detail().find("RUN.1, line 2"), std::string::npos);
  }
}

TEST(RunFileReaderTest, ProbeOfMissingAndEmptyFiles) {
  testsupport::ScratchDir dir;
  auto none = [](double, double, double) { ADD_FAILURE(); };
  EXPECT_FALSE(ReadRunFileRecords(dir / "NONE.1", none));
  EXPECT_FALSE(testsupport::Exists(dir / "NONE.1"));
  testsupport::WriteFile(dir / "EMPTY.1", "");
  EXPECT_FALSE(ReadRunFileRecords(dir / "EMPTY.1", none));
  EXPECT_FALSE(testsupport::Exists(dir / "EMPTY.1"));
}

// Fed in parts of every size, the text gives the same fields as whole: a CR
// LF, an item or a skipped long item cut by the end of a part changes nothing.
TEST(RunFileReaderTest, PartsGiveWhatTheWholeGives) {
  const std::string longGarbage(5000, 'x');
  const std::string text = "42.5, 44.1 ,-2.3\r\n1e2\t2\r3\n\n," + longGarbage + ",7\r\n" + std::string(5000, '0') + "1,\r\n";
  const std::vector<double> whole = Fields(text);
  ASSERT_EQ(whole.size(), 12u);
  for (std::size_t part : {1, 2, 3, 7, 4096, 4097}) {
    std::vector<double> out;
    auto onRecord = [&](double a, double b, double c) { out.insert(out.end(), {a, b, c}); };
    RunFileTokenizer<decltype(onRecord)> tokenizer("RUN.1", onRecord);
    std::string pending;
    for (std::size_t at = 0; at < text.size(); at += part) {
      pending += text.substr(at, part);
      pending.erase(0, tokenizer.Feed(pending, false));
    }
    tokenizer.Feed(pending, true);
    tokenizer.Finish();
    EXPECT_EQ(out, whole) << part;
  }
}

}  // namespace
