// The platform layer: the report's date and time forms and the string
// resources, and the SHA-256 of the record's provenance.
#include "common/Platform.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <utility>

#include "common/Sha256.h"
#include "tests/TestSupport.h"

namespace {

using testsupport::ErrorOf;

// Years since 1900, month from 0, day, hour, minute, second.
TEST(PlatformTest, ReportDateAndTime) {
  const std::pair<std::tuple<int, int, int, int, int, int>, const char*> cases[] = {
      {{126, 11, 5, 15, 49, 19}, "Dec 5 2026 3:49:19 PM"},
      {{126, 0, 31, 0, 5, 9}, "Jan 31 2026 12:05:09 AM"},
      {{127, 5, 1, 12, 0, 0}, "Jun 1 2027 12:00:00 PM"},
  };
  for (const auto& [when, text] : cases) {
    std::tm t{};
    std::tie(t.tm_year, t.tm_mon, t.tm_mday, t.tm_hour, t.tm_min, t.tm_sec) = when;
    EXPECT_EQ(FormatReportDate(t) + " " + FormatReportTime(t), text);
  }
  EXPECT_EQ(ErrorOf([] { LoadResourceString(1117); }), 5);
}

// The standard's own examples, fed whole and in pieces that cut its blocks,
// with the processor's rounds and with the portable ones.
TEST(Sha256Test, KnownDigests) {
  const std::pair<std::string, const char*> cases[] = {
      {"", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
      {"abc", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
      {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
       "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1"},
      {std::string(1000000, 'a'), "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0"},
  };
  for (const auto& [text, digest] : cases) {
    for (const bool processor : {true, false}) {
      Sha256 whole(processor);
      whole.Update(text);
      EXPECT_EQ(whole.HexDigest(), digest) << text.size() << processor;
      Sha256 parts(processor);
      for (std::size_t at = 0; at < text.size(); at += 37) parts.Update(std::string_view(text).substr(at, 37));
      EXPECT_EQ(parts.HexDigest(), digest) << text.size() << processor;
    }
  }
}

}  // namespace
