// The mistakes people make with real test folders, each as a user makes
// it: none may end with exit status 0 under --strict and a result that
// looks valid. Each case damages a copy of one simulated test, and names
// what the user must read: the error line, the warnings, the failed checks
// and the record's error.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "tests/TestSupport.h"

namespace {

using ::testing::HasSubstr;
namespace fs = std::filesystem;
using testsupport::ReadFile;
using testsupport::WriteFile;

void Append(const std::string& path, const std::string& text) { std::ofstream(path, std::ios::app) << text; }

// A run file saved as UTF-16 ("Unicode text") with its byte-order mark.
void ToUtf16(const std::string& path, bool little) {
  std::string wide = little ? "\xFF\xFE" : "\xFE\xFF";
  for (const char c : ReadFile(path)) wide += little ? std::string{c, '\0'} : std::string{'\0', c};
  WriteFile(path, wide);
}

// Every run file of the folder saved with decimal commas, its fields
// separated by `separator`.
void ToDecimalCommas(const std::string& folder, char separator) {
  for (const auto& e : fs::directory_iterator(folder)) {
    const std::string name = e.path().filename();
    if (!name.starts_with("ZERO.") && !name.starts_with("CAL.") && !name.starts_with("DATA.")) continue;
    std::string text = ReadFile(e.path());
    for (char& c : text) c = c == ',' ? separator : c == '.' ? ',' : c;
    WriteFile(e.path(), text);
  }
}

// The ids of the checks that failed, from the record.
std::set<std::string> FailedChecks(const std::string& record) {
  std::set<std::string> ids;
  static const std::regex check("\"id\": \"([a-z_0-9]+)\",[^}]*\"applicable\": true,\\s*\"pass\": false");
  for (std::sregex_iterator it(record.begin(), record.end(), check), end; it != end; ++it) ids.insert((*it)[1]);
  return ids;
}

class MistakesTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { base_ = new testsupport::SimulatedFolder("--seed 11"); }
  static void TearDownTestSuite() { delete base_; }

  static testsupport::SimulatedFolder* base_;
  testsupport::ScratchDir dir_;
};

testsupport::SimulatedFolder* MistakesTest::base_ = nullptr;

struct Case {
  const char* name;
  std::function<void(const std::string&)> arrange;  // damages the copy of the test
  std::function<std::string(std::string)> command;  // the argument text from the test's own
  int status;                                       // under --strict
  std::vector<std::string> told;                    // each in one line of standard error
  std::set<std::string> failed;                     // checks that must fail
  std::string recordError;                          // in the record's error; empty: null
  std::vector<std::string> strace = {};             // runs the program under strace with these options
};

std::string Same(std::string text) { return text; }

TEST_F(MistakesTest, EachMistakeIsNamedAndNoneLooksValid) {
  const Case cases[] = {
      {"an empty ZERO.3 that cannot be deleted", [](const std::string& t) { WriteFile(t + "/ZERO.3", ""); }, Same, 3,
       {"ZERO.3: run-time error 70: Permission denied",
        "check failed: yaw offset taken from the ZERO runs: the ZERO set could not be averaged (run-time error 70"},
       {"zero_offset"}, "", {"-e", "trace=rename", "-e", "inject=rename:error=EPERM:when=1"}},
      {"a short record at the end of ZERO.2", [](const std::string& t) { Append(t + "/ZERO.2", "1\r\n"); }, Same, 3,
       {"the yaw offset 0 is used instead"}, {"zero_offset"}, ""},
      {"a short record at the end of CAL.6", [](const std::string& t) { Append(t + "/CAL.6", "1\r\n"); }, Same, 1,
       {"coastdown: run-time error 62: Input past end of file (@/CAL.6, line 152: the file ends inside a record)"},
       {}, "@/CAL.6, line 152: the file ends inside a record"},
      {"AREA 0", [](const std::string&) {},
       [](std::string a) { return a.replace(a.find(",22.5,"), 6, ",0,"); }, 2,
       {"coastdown: Unable to save results.", "the report could not be written: run-time error 11: Division by zero "
                                              "(AREA is 0",
        "check failed: frontal area in ft^2: 0 ft^2: with AREA 0, Cd"},
       {"area"}, "AREA is 0, so Cd"},
      {"a decimal comma on the command line", [](const std::string&) {},
       [](std::string a) { return a.replace(a.find("29.92"), 5, "29,92"); }, 3,
       {"the command line has 11 fields; those after the tenth (CD) are ignored: \"\". A decimal comma splits a number "
        "in two and moves every field after it: PRESSURE \"29\" and AREA \"92\" are likely 29.92"},
       {"cd_range"}, ""},
      {"a missing DATA.3", [](const std::string& t) { fs::remove(t + "/DATA.3"); }, Same, 3,
       {"check failed: every run file of the folder analysed: DATA set ends at DATA.3 (missing): DATA.4, DATA.5"},
       {"runs_analysed"}, ""},
      {"one CR LF too many at the end of DATA.2", [](const std::string& t) { Append(t + "/DATA.2", "\r\n"); }, Same, 3,
       {"DATA set ends at DATA.2 (run-time error 62: Input past end of file): DATA.3, DATA.4"},
       {"runs_analysed", "directions"}, ""},
      {"PRESSURE in kPa", [](const std::string&) {},
       [](std::string a) { return a.replace(a.find("29.92"), 5, "101.3"); }, 3,
       {"typed in kPa? PRESSURE is in inHg: 101.3 kPa is 29.91 inHg"}, {"pressure"}, ""},
      {"WEIGHT in kg", [](const std::string&) {}, [](std::string a) { return a.replace(a.find("3500"), 4, "1588"); },
       3, {"typed in kg? WEIGHT is in lb: 1588 kg is 3501 lb"}, {"weight", "cd_range"}, ""},
      {"TEMPERATURE in degC", [](const std::string&) {}, [](std::string a) { return a.replace(a.find(",68,"), 4, ",20,"); },
       3, {"typed in degC? TEMPERATURE is in degF: 20 degC is 68 degF"}, {"temperature"}, ""},
      {"a negative WEIGHT", [](const std::string&) {}, [](std::string a) { return a.replace(a.find("3500"), 4, "-3500"); },
       3, {"-3500 lb: a negative WEIGHT turns every force round"}, {"weight"}, ""},
      {"DATA files without an anemometer's readings",
       [](const std::string& t) {
         for (int n = 1; n <= 10; ++n) {
           std::string text = ReadFile(t + "/DATA." + std::to_string(n)), plain;
           std::istringstream lines(text);
           for (std::string line; std::getline(lines, line);) plain += line.substr(0, line.find(',')) + ",0,0\n";
           WriteFile(t + "/DATA." + std::to_string(n), plain);
         }
       },
       [](std::string a) { return a.replace(a.find("True,True"), 9, "False,False"); }, 1,
       {"coastdown: run-time error 11: Division by zero (the relative wind of every DATA sample is 0: the DATA files "
        "hold no anemometer readings"},
       {}, "the relative wind of every DATA sample is 0"},
      {"WEIGHT 0", [](const std::string&) {}, [](std::string a) { return a.replace(a.find("3500"), 4, "0"); }, 1,
       {"coastdown: run-time error 11: Division by zero (WEIGHT is 0, so every force is 0 and there is nothing to fit)",
        "0 lb: with WEIGHT 0 every force is 0"},
       {"weight"}, "WEIGHT is 0"},
      {"a later DATA file saved as UTF-16 big-endian", [](const std::string& t) { ToUtf16(t + "/DATA.3", false); },
       Same, 3, {"DATA.3 is UTF-16 big-endian text, not 8-bit text: its fields read as 0"}, {"run_file_text"}, ""},
      {"a later DATA file saved as UTF-16 little-endian",
       [](const std::string& t) { ToUtf16(t + "/DATA.3", true); }, Same, 3,
       {"DATA.3 is UTF-16 little-endian text, not 8-bit text"}, {"run_file_text"}, ""},
      {"tab-separated files with decimal commas", [](const std::string& t) { ToDecimalCommas(t, '\t'); }, Same, 3,
       {"and 12 more have numbers with decimal commas (ZERO.1, line 1: \"", "\\t",
        ": run files take a decimal point, so each number reads as two fields (--decimal-comma reads them as "
        "written)"},
       {"run_file_text"}, ""},
      {"semicolon-separated files", [](const std::string& t) { ToDecimalCommas(t, ';'); }, Same, 1,
       {"coastdown: run-time error 62: Input past end of file (@/CAL.1, line 151: the file ends inside a record; "
        "@/CAL.1 separates its fields with semicolons (line 1: \""},
       {"run_file_text", "zero_offset"}, "@/CAL.1 separates its fields with semicolons"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string t = dir_ / "t", record = dir_ / "record.json";
    fs::remove_all(t);
    fs::copy(base_->path, t);
    c.arrange(t);
    std::string arguments = c.command(base_->arguments);
    arguments.replace(0, base_->path.size(), t);
    std::vector<std::string> args = {"--strict", "--json", record, arguments};
    std::string program = COASTDOWN_EXE;
    if (!c.strace.empty()) {
      if (!fs::exists("/usr/bin/strace")) continue;
      args.insert(args.begin(), COASTDOWN_EXE);
      args.insert(args.begin(), c.strace.begin(), c.strace.end());
      // The sanitizers' leak check cannot run under a tracer.
      args.insert(args.begin(), {"-f", "-o", "/dev/null", "-E", "ASAN_OPTIONS=detect_leaks=0"});
      program = "/usr/bin/strace";
    }
    const testsupport::ProcessResult run = testsupport::Run(program, args);
    EXPECT_EQ(run.status, c.status) << run.err;
    const auto at = [&](std::string text) {
      for (std::size_t p; (p = text.find('@')) != std::string::npos;) text.replace(p, 1, t);
      return text;
    };
    for (const std::string& told : c.told) EXPECT_THAT(run.err, HasSubstr(at(told)));
    const std::string json = ReadFile(record);
    const std::set<std::string> failed = FailedChecks(json);
    for (const std::string& id : c.failed) EXPECT_TRUE(failed.contains(id)) << id << "\n" << run.err;
    if (c.recordError.empty()) {
      EXPECT_THAT(json, HasSubstr("\"error\": null"));
    } else {
      EXPECT_THAT(json, HasSubstr(at(c.recordError)));
    }
  }
}

// Still air: Cd is printed in the report as specified, but the record, the
// warnings and the page's banner and summary say it is not determined.
TEST(StillAirRecordTest, CdIsNotDeterminedAndThePageSaysSoAtTheTop) {
  const testsupport::SimulatedFolder t("--scenario still-air --seed 3");
  const std::string record = t.dir / "record.json", page = t.dir / "page.html";
  const testsupport::ProcessResult run = t.Analyse({"--strict", "--json", record, "--html", page});
  EXPECT_EQ(run.status, 3);
  EXPECT_THAT(t.Report(), HasSubstr("Cd:    "));
  EXPECT_THAT(run.err, HasSubstr("check failed: the data determine the aerodynamic term (Cmech, Caero and Cd): the fit "
                                 "cannot tell the mechanical V^2 term from the aerodynamic term"));
  EXPECT_TRUE(FailedChecks(ReadFile(record)).contains("aero_determined"));
  EXPECT_THAT(ReadFile(record), HasSubstr("\"aero_determined\": false"));
  const std::string html = ReadFile(page);
  EXPECT_EQ(html.find("<p class=\"banner pass\""), std::string::npos);
  EXPECT_THAT(html, HasSubstr("<p class=\"banner warn\">The analysis ran to its end and wrote the report"));
  EXPECT_THAT(html, HasSubstr("Cd <strong>not determined</strong>"));
}

// Untrimmed run files (the simulator's driving up to speed, holding it,
// braking and standing around each coast): every DATA sample more than a
// second from the true coast is marked in the samples CSV, none inside it,
// and the check fails naming run and time; --limit-data applies the speed
// bounds before the first fit, and the check fails all the same.
TEST(UntrimmedTest, SamplesNotOfTheCoastAreFoundToTheSecond) {
  for (const int seed : {11, 12}) {
    const testsupport::SimulatedFolder t("--untrimmed --seed " + std::to_string(seed));
    const std::string csv = t.dir / "samples.csv", record = t.dir / "record.json";
    const testsupport::ProcessResult run = t.Analyse({"--strict", "--samples", csv});
    EXPECT_EQ(run.status, 3);
    EXPECT_THAT(run.err,
                HasSubstr("check failed: DATA samples of a coast (no standstill, braking, rising or held speed): "));
    EXPECT_THAT(run.err, HasSubstr("DATA.1: rising speed 1-"));
    const std::string truth = t.Truth();
    std::istringstream rows(ReadFile(csv));
    long marked = 0, wrong = 0;
    for (std::string row; std::getline(rows, row);) {
      if (!row.starts_with("DATA,")) continue;
      std::istringstream fields(row);
      std::vector<std::string> f;
      for (std::string field; std::getline(fields, field, ',');) f.push_back(field);
      const std::string run = "DATA." + f[1] + " coast ";
      const double time = std::stod(f[3]);
      const double first = testsupport::NumberAfter(truth, run + "first time: "),
                   last = testsupport::NumberAfter(truth, run + "last time: ");
      const bool coasting = f.size() > 10 && f[10].starts_with("coasting");
      marked += coasting ? 0 : 1;
      if ((time >= first + 1 && time <= last - 1 && !coasting) || ((time <= first - 1 || time >= last + 1) && coasting)) {
        ++wrong;
      }
    }
    EXPECT_GT(marked, 100);
    EXPECT_EQ(wrong, 0) << "seed " << seed;
    const testsupport::ProcessResult limited = t.Analyse({"--strict", "--limit-data", "--json", record});
    EXPECT_EQ(limited.status, 3);
    EXPECT_TRUE(FailedChecks(ReadFile(record)).contains("coasting"));
    EXPECT_GT(testsupport::NumberAfter(ReadFile(record), "\"excluded_before_first_fit\": "), 100);
  }
}

// What the options read as written gives the result of the plain files.
TEST_F(MistakesTest, ReadAsWrittenTheOtherFormsGiveThePlainResult) {
  const std::string t = dir_ / "t";
  const auto results = [&] { return ReadFile(t + "/VB6Output.txt").substr(0, 160); };
  fs::copy(base_->path, t);
  const std::string arguments = t + base_->arguments.substr(base_->path.size());
  ASSERT_EQ(testsupport::Run(COASTDOWN_EXE, {"--strict", arguments}).status, 0);
  const std::string plain = results();
  const std::function<void(const std::string&)> forms[] = {
      [](const std::string& folder) { ToUtf16(folder + "/DATA.3", false); },
      [](const std::string& folder) { ToUtf16(folder + "/CAL.2", true); },
      [](const std::string& folder) { ToDecimalCommas(folder, '\t'); },
      [](const std::string& folder) { ToDecimalCommas(folder, ';'); },
  };
  for (const auto& form : forms) {
    fs::remove_all(t);
    fs::copy(base_->path, t);
    form(t);
    const testsupport::ProcessResult run =
        testsupport::Run(COASTDOWN_EXE, {"--strict", "--unicode", "--decimal-comma", arguments});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_THAT(run.err, HasSubstr("read as written: "));
    EXPECT_EQ(results(), plain);
  }
}

}  // namespace
