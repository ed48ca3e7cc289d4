// The Windows command line: the program's name, the words the leading
// options are read from, and the argument text the ten fields are cut from.
#include "common/WindowsCommandLine.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace {

using Words = std::vector<std::string>;

// The C runtime's rules for words: quotes group and vanish, backslashes are
// literal except before a quote, "" inside quotes is a quote.
TEST(WindowsCommandLineTest, WordsAsTheCRuntimeSplitsThem) {
  const struct {
    const char* line;
    Words words;
  } cases[] = {
      {R"(x.exe "a b c" d e)", {"a b c", "d", "e"}},
      {R"(x.exe "ab\"c" "\\" d)", {R"(ab"c)", R"(\)", "d"}},
      {R"(x.exe a\\\b d"e f"g h)", {R"(a\\\b)", "de fg", "h"}},
      {R"(x.exe a\\\"b c d)", {R"(a\"b)", "c", "d"}},
      {R"(x.exe a\\\\"b c" d e)", {R"(a\\b c)", "d", "e"}},
      {R"(x.exe a"b"" c d)", {R"(ab" c d)"}},
      {"x.exe \t--quiet\t\tC:\\T,1 ", {"--quiet", R"(C:\T,1)"}},
      {R"(x.exe "")", {""}},
      {R"(x.exe "a b)", {"a b"}},
      {"x.exe", {}},
      {"x.exe   ", {}},
      // A quoted part that the line ends inside, and characters outside
      // ASCII, which pass through unchanged.
      {"x.exe a,\"b  ", {"a,b  "}},
      {"x.exe \"D:\\Pr\u00FCfung \u03A9\",True", {"D:\\Pr\u00FCfung \u03A9,True"}},
  };
  for (const auto& c : cases) EXPECT_EQ(SplitWindowsCommandLine(c.line).words, c.words) << c.line;
}

// The text is what was typed after the program's name, which ends at the
// first blank outside quotes, whatever backslashes it holds.
TEST(WindowsCommandLineTest, TheTextIsAsTypedWithoutTheProgramName) {
  const std::pair<const char*, const char*> cases[] = {
      {R"("C:\Program Files\coastdown.exe" D:\T,True)", R"(D:\T,True)"},
      {R"(C:\Tools\coastdown.exe D:\T,True)", R"(D:\T,True)"},
      {R"(C:\"My Tools"\coastdown.exe D:\T,True)", R"(D:\T,True)"},
      {R"(C:\Tools\coastdown.exe\ D:\T,True)", R"(D:\T,True)"},
      {R"("C:\Tools\coastdown.exe"D:\T,True)", ""},
      {"coastdown", ""},
      {"", ""},
      // An open quote, and characters outside ASCII, stay as typed.
      {"x.exe a,\"b  ", "a,\"b"},
      {"x.exe \"D:\\Pr\u00FCfung \u03A9\",True", "\"D:\\Pr\u00FCfung \u03A9\",True"},
  };
  for (const auto& [line, text] : cases) EXPECT_EQ(SplitWindowsCommandLine(line).text, text) << line;
}

// The text is what was typed after the option words: quotes and blanks
// inside stay for the program's own rules (delete the quotes, split at
// commas), blanks at the ends go.
TEST(WindowsCommandLineTest, TextAfterTheOptionWords) {
  const WindowsCommandLine line =
      SplitWindowsCommandLine("coastdown.exe  --json  \"out dir\\a.json\"   \"C:\\My Tests\",True,  False ,15,\t ");
  EXPECT_EQ(line.words, (Words{"--json", R"(out dir\a.json)", R"(C:\My Tests,True,)", "False", ",15,"}));
  const std::pair<std::size_t, std::string> cases[] = {
      {0, R"(--json  "out dir\a.json"   "C:\My Tests",True,  False ,15,)"},
      {1, R"("out dir\a.json"   "C:\My Tests",True,  False ,15,)"},
      {2, R"("C:\My Tests",True,  False ,15,)"},
      {4, ",15,"},
      {5, ""},
      {6, ""},
  };
  for (const auto& [skip, text] : cases) EXPECT_EQ(WindowsTextAfter(line.text, line.ends, skip), text) << skip;
}

// A folder typed with a backslash before its closing quote: the C runtime
// reads an escaped quote and one word to the end of the line, yet the text
// is as typed, so the folder and the fields come out as the user meant.
TEST(WindowsCommandLineTest, BackslashBeforeTheClosingQuote) {
  const WindowsCommandLine line = SplitWindowsCommandLine(R"(x.exe "C:\My Tests\",True,False )");
  EXPECT_EQ(line.words, Words{R"(C:\My Tests",True,False )"});
  EXPECT_EQ(line.text, R"("C:\My Tests\",True,False)");
  EXPECT_EQ(WindowsTextAfter(line.text, line.ends, 1), "");
}

}  // namespace
