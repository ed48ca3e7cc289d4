// What the program tells the user besides the report: a warning for each
// way the data silently change what is analysed, and a detail that names
// the cause of a setup mistake (the record's agreement with its samples and
// the report is record_format.py's). Each case damages a copy of one
// simulated test the way a logger, an editor or a typing slip would.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "tests/TestSupport.h"

namespace {

using ::testing::HasSubstr;
namespace fs = std::filesystem;
using testsupport::ReadFile;
using testsupport::ScratchDir;
using testsupport::WriteFile;

// One simulated test, made once and copied for each case.
class WarningsTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    base_ = new testsupport::SimulatedFolder("--seed 5 --cal-runs 6");
    switches_ = base_->arguments.substr(base_->arguments.find(',') + 1);
  }
  static void TearDownTestSuite() { delete base_; }

  // A fresh copy of the test, damaged by `arrange`, analysed with `fields`
  // (the nine fields after FOLDER; the test's own when empty).
  testsupport::ProcessResult Analyse(const std::function<void(const std::string&)>& arrange,
                                     const std::string& fields = "", std::vector<std::string> options = {}) {
    const std::string t = dir_ / "t";
    fs::remove_all(t);
    fs::copy(base_->path, t);
    arrange(t);
    options.push_back(t + "," + (fields.empty() ? switches_ : fields));
    return testsupport::Run(COASTDOWN_EXE, options);
  }

  static testsupport::SimulatedFolder* base_;
  static std::string switches_;
  ScratchDir dir_;
};

testsupport::SimulatedFolder* WarningsTest::base_ = nullptr;
std::string WarningsTest::switches_;

void Append(const std::string& path, const std::string& text) { std::ofstream(path, std::ios::app) << text; }
void Prepend(const std::string& path, const std::string& text) { WriteFile(path, text + ReadFile(path)); }

TEST_F(WarningsTest, EachSilentChangeOfTheDataIsTold) {
  const struct {
    const char* name;
    std::function<void(const std::string&)> arrange;
    std::vector<std::string> warnings;  // each must be in one warning line
  } cases[] = {
      {"a blank last line", [](const std::string& t) { Append(t + "/DATA.3", "\r\n"); },
       {"DATA.3: run-time error 62: Input past end of file (", "DATA.3 and the runs after it are not analysed"}},
      {"a number beyond a double", [](const std::string& t) { Prepend(t + "/DATA.3", "1e999,1,1\r\n"); },
       {"DATA.3: run-time error 6: Overflow (", "line 1: the number 1e999"}},
      {"a run file that is a folder",
       [](const std::string& t) { fs::remove(t + "/DATA.3"), fs::create_directory(t + "/DATA.3"); },
       {"DATA.3: run-time error 75: Path/File access error (", "DATA.3 is a folder"}},
      {"an empty run file before others", [](const std::string& t) { WriteFile(t + "/DATA.4", ""); },
       {"the DATA set ends at DATA.4, which was empty and has been deleted: DATA.5, DATA.6", "not analysed"}},
      {"a missing run file before others", [](const std::string& t) { fs::remove(t + "/DATA.3"); },
       {"the DATA set ends at DATA.3, which is missing: DATA.4,"}},
      {"a blank last line in a zero run", [](const std::string& t) { Append(t + "/ZERO.1", "\r\n"); },
       {"ZERO.1: run-time error 62", "the ZERO set could not be averaged", "yaw offset 0 is used instead"}},
      {"a header line", [](const std::string& t) { Prepend(t + "/DATA.1", "speed,wind,yaw\r\n"); },
       {"DATA.1: 3 fields were not a number and read as 0 (the first at line 1, field 1: \"speed\")"}},
      {"a byte-order mark", [](const std::string& t) { Prepend(t + "/DATA.2", "\xEF\xBB\xBF"); },
       {"DATA.2 is UTF-8 text with a byte-order mark: the mark makes its first field read as 0 (--unicode reads it "
        "as written)"}},
      {"a semicolon line", [](const std::string& t) { Prepend(t + "/DATA.2", "42,5;44,1;-2,3\r\n"); },
       {"DATA.2 separates its fields with semicolons (line 1: \"42,5;44,1;-2,3\"): run files separate them with "
        "commas or blanks"}},
      {"a hidden character", [](const std::string& t) { Prepend(t + "/DATA.2", "4\x01,2,3\r\n"); },
       {"DATA.2: 1 field was not a number and read as 0 (the first at line 1, field 1: \"4\\x01\")"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const testsupport::ProcessResult run = Analyse(c.arrange);
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(testsupport::WithoutWarnings(run.err), "");
    for (const std::string& w : c.warnings) EXPECT_THAT(run.err, HasSubstr(w));
    // The same run told nothing with --quiet, and its report is the same.
    const std::string report = ReadFile(dir_ / "t/VB6Output.txt");
    EXPECT_EQ(Analyse(c.arrange, "", {"--quiet"}).err, "");
    EXPECT_EQ(ReadFile(dir_ / "t/VB6Output.txt").substr(0, 200), report.substr(0, 200));
  }
  // An undamaged test draws no warning at all.
  EXPECT_EQ(Analyse([](const std::string&) {}).err, "");
}

// --strict turns a failed check into exit status 3; the report and the
// record are written all the same, and a test that passes every check ends
// with 0.
TEST_F(WarningsTest, StrictMakesAFailedCheckExitStatus3) {
  const std::string record = dir_ / "record.json";
  const std::vector<std::string> strict = {"--strict", "--json", record};
  EXPECT_EQ(Analyse([](const std::string&) {}, "", strict).status, 0);
  const testsupport::ProcessResult run = Analyse([](const std::string& t) { fs::remove(t + "/DATA.10"); }, "", strict);
  EXPECT_EQ(run.status, 3) << run.err;
  EXPECT_THAT(
      run.err,
      HasSubstr("coastdown: warning: check failed: DATA runs in both directions, as many each way: 9 DATA runs, 5 in "
                "the direction of the odd runs and 4 in the other (limit: an even number, at least 2)\n"));
  EXPECT_THAT(ReadFile(dir_ / "t/VB6Output.txt"), HasSubstr("Amech: "));
  EXPECT_THAT(ReadFile(record), HasSubstr("\"exit_status\": 3\n"));
}

// Setup mistakes keep their error number and description; the detail names
// the cause, and an older report left in the folder is pointed out.
TEST_F(WarningsTest, SetupMistakesNameTheirCause) {
  // The runs of a set removed, and its first run left as `name` (none when
  // empty), its text changed by `change`.
  using Change = std::string (*)(const std::string&);
  const auto onlyAs = [](const std::string& set, const std::string& name, Change change = nullptr) {
    return [=](const std::string& t) {
      const std::string first = ReadFile(t + "/" + set + ".1");
      for (int n = 1; n <= 10; ++n) fs::remove(t + "/" + set + "." + std::to_string(n));
      if (!name.empty()) WriteFile(t + "/" + name, change != nullptr ? change(first) : first);
    };
  };
  const Change utf16 = [](const std::string& text) {
    std::string wide = "\xFF\xFE";
    for (char c : text) wide += std::string{c, '\0'};
    return wide;
  };
  const std::string noCal = "False,False,15,70,3500,68,29.92,22.5,";
  const std::string noSample = "run-time error 9: Subscript out of range (no usable sample in the DATA set: @/DATA.1 ";
  const struct {
    const char* name;
    std::function<void(const std::string&)> arrange;
    std::string fields;
    std::string error;  // the whole error line but the folder, shown as @
  } cases[] = {
      {"an empty folder", [](const std::string& t) { fs::remove_all(t), fs::create_directory(t); }, noCal,
       noSample + "not found)"},
      {"CAL files in lower case", onlyAs("CAL", "cal.1"), "",
       "run-time error 11: Division by zero (the CAL set is empty: @/CAL.1 not found; the folder holds cal.1"},
      {"numbers with a leading zero", onlyAs("DATA", "DATA.01"), noCal,
       noSample + "not found; the folder holds DATA.01"},
      {"an extension", onlyAs("DATA", "DATA.1.csv"), noCal, noSample + "not found; the folder holds DATA.1.csv"},
      {"calibration asked for without CAL files", onlyAs("CAL", ""), "",
       "run-time error 11: Division by zero (the CAL set is empty: @/CAL.1 not found)"},
      {"a UTF-16 run file", onlyAs("DATA", "DATA.1", utf16), noCal,
       "run-time error 9: Subscript out of range (no usable sample in the DATA set: @/DATA.1 is UTF-16 little-endian "
       "text, not 8-bit text: its fields read as 0, or end its set with an error (--unicode reads it as written))"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string t = dir_ / "t";
    const testsupport::ProcessResult run = Analyse(
        [&](const std::string& folder) {
          c.arrange(folder);
          WriteFile(folder + "/VB6Output.txt", "an older report\r\n");
        },
        c.fields);
    EXPECT_EQ(run.status, 1);
    std::string error = "coastdown: " + c.error;
    for (std::size_t at; (at = error.find('@')) != std::string::npos;) error.replace(at, 1, t);
    const std::string err = testsupport::WithoutWarnings(run.err);
    EXPECT_THAT(err, HasSubstr(error));
    EXPECT_THAT(run.err, HasSubstr("coastdown: note: " + t + "/VB6Output.txt is the report of an earlier run"));
  }
}

}  // namespace
