// The command line: splitting it into fields, the program's own options
// before the argument text, and the program's answers on the command line
// as a user sees them. What each field does is checked end to end.
#include <gtest/gtest.h>

#include <filesystem>
#include <tuple>
#include <utility>

#include "app/CommandLine.h"
#include "app/ProgramOptions.h"
#include "common/ProcessCommandLine.h"
#include "common/Version.h"
#include "tests/TestSupport.h"

namespace {

using V = std::vector<std::string>;

TEST(CommandLineTest, Splitting) {
  const std::pair<const char*, V> cases[] = {
      {"", {}}, {"a,,b", {"a", "", "b"}}, {"a,", {"a", ""}}, {"x, 15", {"x", " 15"}},
      {"\"C:\\My Tests\\Run 1\",1,0", {"C:\\My Tests\\Run 1", "1", "0"}}, {"\"a,b\",c", {"a", "b", "c"}},
  };
  for (const auto& [text, fields] : cases) EXPECT_EQ(SplitCommandLine(text), fields) << text;
}

// Leading options up to the first word that is not one, or "--"; the words
// after them, joined with one blank, are the argument text.
TEST(CommandLineTest, OptionsThenTheArgumentText) {
  // The argument text or the error, then quiet, limit-data and the JSON path.
  const std::pair<V, std::string> cases[] = {
      {{"/data/My", "Tests,1,0"}, "/data/My Tests,1,0|0 0 "},
      {{"--quiet", "--json", "-", "--limit-data", "/t,1", "--quiet"}, "error 5|1 1 -"},
      {{"--quiet", "--", "/t,1", "--quiet"}, "/t,1 --quiet|1 0 "},
      {{"--", "--odd folder,1"}, "--odd folder,1|0 0 "},
      {{"--json", "-x", "/t,1"}, "error 5|0 0 "},
      {{"--jsn", "x"}, "error 5|0 0 "},
      {{"--json"}, "error 5|0 0 "},
  };
  for (const auto& [words, outcome] : cases) {
    std::vector<char*> argv{const_cast<char*>("coastdown")};
    for (const std::string& w : words) argv.push_back(const_cast<char*>(w.c_str()));
    const ProcessCommandLine line(static_cast<int>(argv.size()), argv.data());
    ProgramOptions o;
    std::string text;
    const int error = testsupport::ErrorOf([&] { text = line.TextAfter(ParseProgramOptions(line.Words(), o)); });
    EXPECT_EQ((error != 0 ? "error " + std::to_string(error) : text) + "|" + std::to_string(o.quiet) + " " +
                  std::to_string(o.limitData) + " " + o.json,
              outcome);
  }
}

// Arguments, exit status, the start of standard output, and standard error.
TEST(ProgramTest, AnswersOnTheCommandLine) {
  const std::string usage =
      "usage: coastdown FOLDER,CALIBRATE,ZERO,MIN_SPEED,MAX_SPEED,WEIGHT,TEMPERATURE,PRESSURE,AREA,[CD]\n";
  const std::tuple<V, int, std::string, std::string> cases[] = {
      {{"--version"}, 0, "coastdown " + std::string(kProgramVersionText) + "\n", ""},
      {{"--help"}, 0, "usage: coastdown FOLDER,", ""}, {{"-h"}, 0, "usage: coastdown FOLDER,", ""},
      {{}, 1, "",
       "coastdown: run-time error 9: Subscript out of range (the command line has 0 of the 10 fields; field 1 (FOLDER) "
       "is missing)\n" + UsageText()},
      {{"/t,1"}, 1, "",
       "coastdown: run-time error 9: Subscript out of range (the command line has 2 of the 10 fields; field 3 (ZERO) "
       "is missing)\n" + usage},
      {{"/nonexistent/x,1,0,15,70,3500,68,29.92,22.5,"}, 1, "",
       "coastdown: run-time error 76: Path not found (FOLDER /nonexistent/x does not exist)\n"},
      // Refused before anything is read or written (the report would go to the root folder).
      {{",False,True,15,70,3500,68,29.92,22.5,"}, 1, "",
       "coastdown: run-time error 76: Path not found (the FOLDER field is empty)\n"},
      {{"/t,maybe,0,15,70,3500,68,29.92,22.5,"}, 1, "",
       "coastdown: run-time error 13: Type mismatch (CALIBRATE \"maybe\" is not True, False or a number)\n"},
      // A COMMAND file with CR LF line ends leaves a CR in the last field.
      {{"/nonexistent/x,False,False,15,70,3500,68,29.92,22.5,0.32\r"}, 1, "",
       "coastdown: run-time error 13: Type mismatch (CD \"0.32\\r\" is not a number)\n"},
      // The options are checked before anything is read: on a missing folder the error is the option's.
      {{"--rate", "10", "/nonexistent/x,1,0,15,70,3500,68,29.92,22.5,"}, 1, "",
       "coastdown: run-time error 5: Invalid procedure call or argument (--rate 10: the legacy method reads run "
       "files of 5 records a second; another rate is for --method impulse or --method intervals)\n"},
  };
  // None of them writes a report, least of all one in the root folder.
  const bool rootReport = std::filesystem::exists("/VB6Output.txt");
  for (const auto& [args, status, out, err] : cases) {
    const auto result = testsupport::Run(COASTDOWN_EXE, args);
    EXPECT_EQ(result.status, status);
    EXPECT_EQ(result.out.rfind(out, 0), 0u) << result.out;
    EXPECT_EQ(result.err, err);
    EXPECT_EQ(std::filesystem::exists("/VB6Output.txt"), rootReport) << err;
  }
}

}  // namespace
