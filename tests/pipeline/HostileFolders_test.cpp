// Test folders that a broken logger, a careless copy or an odd folder name
// leave behind, analysed by the program as a user runs it: each gives its
// decided result or error, quickly and in bounded memory, and no run file
// that holds data is changed.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "tests/TestSupport.h"

namespace {

using testsupport::ReadFile;
using testsupport::ScratchDir;
using testsupport::WriteFile;

// A plausible coastdown: 60 mph falling by half a mile per hour each second
// for 30 s, in a wind and yaw that change from run to run and within it.
std::string CoastdownRun(int run) {
  std::string text;
  char line[96];
  for (int p = 0; p <= 150; ++p) {
    const double t = p / 5.0;
    const double speed = 60.0 - 0.5 * t;
    const double wind = speed + 4.0 * std::sin(run + t / 7.0) + (run % 2 == 1 ? 3.0 : -3.0);
    const double yaw = 6.0 * std::sin(0.7 * run + t / 5.0);
    std::snprintf(line, sizeof line, "%.4f,%.4f,%.3f\r\n", speed, wind, yaw);
    text += line;
  }
  return text;
}

void WriteDataRuns(const std::string& folder, int runs) {
  for (int r = 1; r <= runs; ++r) WriteFile(folder + "/DATA." + std::to_string(r), CoastdownRun(r));
}

// The regular files of a folder with the FNV-1a hash of their contents,
// read in small pieces: the test process stays small, since the program it
// starts begins life with a copy of its pages and would be charged for them.
std::vector<std::pair<std::string, std::uint64_t>> Snapshot(const std::string& folder) {
  std::vector<std::pair<std::string, std::uint64_t>> files;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    if (!entry.is_regular_file() || entry.path().filename() == "VB6Output.txt") continue;
    std::uint64_t hash = 14695981039346656037ull;
    std::FILE* file = std::fopen(entry.path().c_str(), "rb");
    char piece[4096];
    for (std::size_t got; file != nullptr && (got = std::fread(piece, 1, sizeof piece, file)) > 0;) {
      for (std::size_t i = 0; i < got; ++i) hash = (hash ^ static_cast<unsigned char>(piece[i])) * 1099511628211ull;
    }
    if (file != nullptr) std::fclose(file);
    files.emplace_back(entry.path().filename().string(), hash);
  }
  std::sort(files.begin(), files.end());
  return files;
}

// Writes `piece` `times` times, without holding the whole text.
void WriteRepeated(const std::string& path, const std::string& piece, std::size_t times) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  ASSERT_NE(file, nullptr) << path;
  for (std::size_t i = 0; i < times; ++i) std::fwrite(piece.data(), 1, piece.size(), file);
  std::fclose(file);
}

constexpr const char* kConditions = ",15,70,3500,68,29.92,22.5,";

TEST(HostileFoldersTest, EachGivesItsDecidedResult) {
  const struct {
    const char* name;
    std::function<void(const std::string&)> arrange;  // given the test folder
    const char* switches;                               // CALIBRATE,ZERO
    int status;
    const char* err;  // the start of standard error
    bool report;      // a report is written
  } cases[] = {
      {"a run file that is a folder ends the data set before it",
       [](const std::string& f) { std::filesystem::create_directory(f + "/DATA.5"); }, "False,False", 0, "", true},
      {"a calibration run file that is a folder ends the run",
       [](const std::string& f) {
         WriteFile(f + "/CAL.1", CoastdownRun(1));
         std::filesystem::create_directory(f + "/CAL.2");
       },
       "True,False", 1, "coastdown: run-time error 75: Path/File access error (", false},
      {"a zero run file that is a folder leaves no yaw offset",
       [](const std::string& f) { std::filesystem::create_directory(f + "/ZERO.1"); }, "False,True", 0, "", true},
      {"NUL bytes and a byte-order mark read as fields of 0",
       [](const std::string& f) {
         WriteFile(f + "/DATA.5", "\xEF\xBB\xBF" + CoastdownRun(5) + std::string("\0,\0,\0\r\n", 8));
       },
       "False,False", 0, "", true},
      {"a megabyte line ends the data set at its file",
       [](const std::string& f) { WriteFile(f + "/DATA.5", std::string(1 << 20, '7') + "\r\n"); }, "False,False", 0,
       "", true},
      {"a garbage first data file leaves nothing to fit",
       [](const std::string& f) {
         WriteRepeated(f + "/DATA.1", "garbage-without-an-end", 1 << 20);
       },
       "False,False", 1, "coastdown: run-time error 9: Subscript out of range", false},
  };
  for (const auto& c : cases) {
    ScratchDir dir;
    WriteDataRuns(dir.path(), 4);
    c.arrange(dir.path());
    const auto before = Snapshot(dir.path());
    const auto result = testsupport::Run(COASTDOWN_EXE, {dir.path() + "," + c.switches + kConditions});
    EXPECT_EQ(result.status, c.status) << c.name << ": " << result.err;
    EXPECT_TRUE(result.err.starts_with(c.err)) << c.name << ": " << result.err;
    EXPECT_EQ(testsupport::Exists(dir / "VB6Output.txt"), c.report) << c.name;
    EXPECT_EQ(Snapshot(dir.path()), before) << c.name;
#if !defined(__SANITIZE_ADDRESS__)
    // 22 MB of garbage is read in blocks, not whole.
    EXPECT_LT(result.maxResidentKb, 12 * 1024) << c.name;
#endif
  }
}

TEST(HostileFoldersTest, FolderNamesAsTheCommandLineSplitsThem) {
  ScratchDir dir;
  // Blanks, leading and inside, stay part of the name.
  const std::string blanks = dir / " My Tests/Run 1";
  std::filesystem::create_directories(blanks);
  WriteDataRuns(blanks, 4);
  auto result = testsupport::Run(COASTDOWN_EXE, {"\"" + blanks + "\",False,False" + kConditions});
  EXPECT_EQ(result.status, 0) << result.err;
  EXPECT_TRUE(testsupport::Exists(blanks + "/VB6Output.txt"));

  // A comma splits the name: its second half is taken for the calibration
  // switch, which it is not.
  const std::string comma = dir / "run,b";
  std::filesystem::create_directories(comma);
  WriteDataRuns(comma, 4);
  result = testsupport::Run(COASTDOWN_EXE, {"\"" + comma + "\",False,False" + kConditions});
  EXPECT_EQ(result.status, 1);
  EXPECT_TRUE(result.err.starts_with("coastdown: run-time error 13: Type mismatch (")) << result.err;
  EXPECT_FALSE(testsupport::Exists(comma + "/VB6Output.txt"));

  // A folder path through a regular file: no data can be found, and a
  // calibration asked for cannot be loaded.
  WriteFile(dir / "plain", "not a folder");
  result = testsupport::Run(COASTDOWN_EXE, {dir / "plain/test" + ",True,False" + kConditions});
  EXPECT_EQ(result.status, 1);
  EXPECT_TRUE(result.err.starts_with("coastdown: run-time error 76: Path not found (")) << result.err;
}

// Where the file modes mean something (not as root), a folder that may be
// read but not written is analysed and only the report fails.
TEST(HostileFoldersTest, ReadOnlyFolderLosesOnlyTheReport) {
  if (::geteuid() == 0) GTEST_SKIP() << "file modes stop nothing for root";
  ScratchDir dir;
  WriteDataRuns(dir.path(), 4);
  const auto before = Snapshot(dir.path());
  ::chmod(dir.path().c_str(), 0555);
  const auto result = testsupport::Run(COASTDOWN_EXE, {dir.path() + ",False,False" + kConditions});
  ::chmod(dir.path().c_str(), 0755);
  EXPECT_EQ(result.status, 2) << result.err;
  EXPECT_EQ(result.err, "coastdown: Unable to save results.\n");
  EXPECT_EQ(Snapshot(dir.path()), before);
}

}  // namespace
