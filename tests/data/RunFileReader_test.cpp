// The run-file reader: separators, line ends, fields that are not numbers,
// records cut short, the probe, and files read in blocks.
#include "data/RunFileReader.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <utility>

#include "common/NumberText.h"
#include "common/Sha256.h"
#include "tests/TestSupport.h"

namespace {

using testsupport::ErrorOf;

std::string Record(double a, double b, double c) { return NumberText(a) + NumberText(b) + NumberText(c) + ";"; }

// The records the reading gives to `onRecord`, then "error N: detail" when
// it raises one.
std::string Records(const std::function<void(RunFileRecordSink)>& reading) {
  std::string out;
  try {
    reading([&](double a, double b, double c) { out += Record(a, b, c); });
  } catch (const RuntimeError& e) {
    out += "error " + std::to_string(e.Code()) + ": " + e.Detail();
  }
  return out;
}

// The outcome of the text read whole.
std::string Outcome(const std::string& text) {
  return Records([&](RunFileRecordSink onRecord) { ForEachRunFileRecord(text, "RUN.1", onRecord); });
}

// The outcome of the text read in blocks of `capacity`, its source handing
// over at most `part` bytes at a time.
std::string InBlocks(const std::string& text, std::size_t capacity, std::size_t part = SIZE_MAX) {
  return Records([&](RunFileRecordSink onRecord) {
    RunFileTokenizer tokenizer("RUN.1", onRecord);
    std::size_t at = 0;
    FeedRunFileBlocks(
        [&](char* buffer, std::size_t size) {
          const std::size_t n = std::min({size, part, text.size() - at});
          text.copy(buffer, n, at);
          at += n;
          return n;
        },
        tokenizer, capacity);
  });
}

TEST(RunFileReaderTest, LayoutsAndFaults) {
  const std::string cut = ": the file ends inside a record";
  const std::pair<std::string, std::string> cases[] = {
      {"42.5,44.1,-2.3", " 42.5 44.1-2.3;"},
      {"  42.5 ,  44.1 ,-2.3  \r\n", " 42.5 44.1-2.3;"},
      {"42.5 44.1\t-2.3\n", " 42.5 44.1-2.3;"},
      {"1,2,3\r4,5,6\r", " 1 2 3; 4 5 6;"},
      {"1,2\n3\n", " 1 2 3;"},  // a record across lines
      {"1,2\n\n", " 1 2 0;"},   // an empty line is one field of 0
      {",,\n", " 0 0 0;"}, {"1,2,", " 1 2 0;"},  // empty pieces, also the last of the file
      {"abc,2,1e\n", " 0 2 0;"},
      {"\xEF\xBB\xBF" "1,2,3\n", " 0 2 3;"},
      {std::string("1,\0,3\n", 6), " 1 0 3;"},
      {"1,2,3\n\n", " 1 2 3;error 62: RUN.1, line 2" + cut},
      {"1,2,3\n4,5,6\n7", " 1 2 3; 4 5 6;error 62: RUN.1, line 3" + cut},
      {"1,2,3,4\n", " 1 2 3;error 62: RUN.1, line 1" + cut},
      {"1,2,3\r\n1e400,1,1\n", " 1 2 3;error 6: RUN.1, line 2: the number 1e400 is too large for a double"},
      {std::string(400, '9'),
       "error 6: RUN.1, line 1: the number " + std::string(24, '9') + "... is too large for a double"},
  };
  for (const auto& [text, outcome] : cases) EXPECT_EQ(Outcome(text), outcome) << text;
}

// Looking for a run file creates nothing: a missing file or a link that
// leads nowhere ends a set and stays missing; an empty file ends it and is
// deleted. A FIFO is an error and is left as it is (the file layer's own
// errors are FileSystem_test.cpp's). A file of many blocks, ending in a
// number longer than a block, gives every record whole and in order.
TEST(RunFileReaderTest, ProbeAndBlocks) {
  namespace fs = std::filesystem;
  testsupport::ScratchDir dir;
  testsupport::WriteFile(dir / "EMPTY.1", "");
  fs::create_symlink(dir / "nowhere", dir / "LINK.1");
  ASSERT_EQ(::mkfifo((dir / "FIFO.1").c_str(), 0600), 0);
  auto none = [](double, double, double) { ADD_FAILURE(); };
  const std::pair<const char*, RunFileState> ends[] = {
      {"NONE.1", RunFileState::Missing}, {"LINK.1", RunFileState::Missing}, {"EMPTY.1", RunFileState::Empty}};
  for (const auto& [name, state] : ends) {
    EXPECT_EQ(ReadRunFileRecords(dir / name, none), state) << name;
    EXPECT_FALSE(fs::exists(dir / name)) << name;
  }
  EXPECT_FALSE(fs::exists(dir / "nowhere"));
  EXPECT_EQ(ErrorOf([&] { ReadRunFileRecords(dir / "FIFO.1", none); }), 75);
  EXPECT_TRUE(fs::is_fifo(dir / "FIFO.1"));
  std::string text;
  std::string expected;
  for (int i = 0; i < 20000; ++i) {
    text += std::to_string(i) + ".5, 2.25 ,-3\r\n";
    expected += Record(i + 0.5, 2.25, -3);
  }
  testsupport::WriteFile(dir / "DATA.1", text + "0." + std::string(200000, '7') + ",1,1");
  std::string out;
  EXPECT_EQ(ReadRunFileRecords(dir / "DATA.1", [&](double a, double b, double c) { out += Record(a, b, c); }),
            RunFileState::Read);
  EXPECT_EQ(out, expected + " .777777777777778 1 1;");
}

// A number far longer than a block is taken in as it passes, keeping only
// what can change its double: read in small blocks it gives what the whole
// text gives, correctly rounded (the sticky digits beyond 800 decide a
// value just above a halfway point), too large, or not a number.
TEST(RunFileReaderTest, LongNumbersInSmallBlocksGiveWhatTheWholeGives) {
  const std::string zeros(5000, '0');
  const std::string cases[] = {
      "0." + std::string(200000, '7'),
      zeros + "1.5",
      "-" + zeros + "2",
      "+" + zeros + "." + zeros + "3e5001",
      "0." + zeros + "1e5000",
      "1" + zeros + "e-5000",
      "9007199254740993" + zeros + "e-5000",        // halfway between two doubles: to the even one
      "9007199254740993" + zeros + "1e-5001",       // just above it: up
      "9007199254740993." + zeros + "1",            // the same after the point
      "1" + std::string(400, '0') + "." + zeros,    // too large
      "1e" + std::string(5000, '9'),                // too large
      "1e-" + std::string(5000, '9'),               // too small: 0
      "1.2." + zeros,                               // not a number
      zeros + "e",                                  // not a number
      std::string(5000, '.'),                       // not a number
  };
  for (const std::string& number : cases) {
    const std::string text = "1," + number + ",3\r\n4,5,6\r\n";
    EXPECT_EQ(InBlocks(text, 64), Outcome(text)) << number.substr(0, 30);
  }
}

// The digest is of the bytes read, the whole file also when an error ends
// the reading before its end.
TEST(RunFileReaderTest, DigestOfTheBytesRead) {
  testsupport::ScratchDir dir;
  const std::string tail(300000, '5');
  for (const std::string& text : {std::string("1,2,3\r\n"), "1e999,2,3\r\n" + tail + ",1,1\r\n",
                                  "1,2,3\r\n" + tail + ",1,1\r\n7"}) {
    testsupport::WriteFile(dir / "DATA.1", text);
    Sha256 whole;
    whole.Update(text);
    std::string digest;
    ErrorOf([&] { ReadRunFileRecords(dir / "DATA.1", [](double, double, double) {}, nullptr, nullptr, &digest); });
    EXPECT_EQ(digest, whole.HexDigest()) << text.substr(0, 20);
  }
}

// Fed in parts of every size, the text gives the same records as whole: a
// CR LF, an item or a skipped long item cut by the end of a part changes nothing.
TEST(RunFileReaderTest, PartsGiveWhatTheWholeGives) {
  const std::string text =
      "42.5, 44.1 ,-2.3\r\n1e2\t2\r3\n\n," + std::string(5000, 'x') + ",7\r\n" + std::string(5000, '0') + "1,\r\n";
  ASSERT_EQ(Outcome(text), " 42.5 44.1-2.3; 100 2 3; 0 0 0; 7 1 0;");
  for (std::size_t part : {1, 2, 3, 7, 4096, 4097}) EXPECT_EQ(InBlocks(text, 1 << 16, part), Outcome(text)) << part;
}

}  // namespace
