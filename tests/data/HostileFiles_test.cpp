// Run files and folders that a broken logger or a careless copy can leave:
// each gives its decided error or result quickly, and no run file that
// holds data is changed or deleted.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>

#include "calibration/CCalibrator.h"
#include "common/UnitFactors.h"
#include "data/CDataCol.h"
#include "tests/TestSupport.h"

namespace {

using testsupport::ReadFile;
using testsupport::ScratchDir;
using testsupport::WriteFile;

class Untouched : public CCalibrator {
  std::string CCalibrator_sName() const override { return "untouched"; }
  void CCalibrator_sName(const std::string&) override {}
  void CCalibrator_Calabrate(CDataCol&) override {}
  void CCalibrator_Adjust(CDataCol&) override {}
  void CCalibrator_PrintResults(const std::string&) override {}
};

std::string Repeat(const std::string& piece, std::size_t times) {
  std::string text;
  text.reserve(piece.size() * times);
  for (std::size_t i = 0; i < times; ++i) text += piece;
  return text;
}

TEST(HostileFilesTest, EachGivesItsDecidedResult) {
  UnitFactors().SpeedFactor = 0.44704;
  const struct {
    const char* name;
    std::string text;
    int error;    // 0: loads
    long samples;  // reduced samples when it loads
  } cases[] = {
      {"a megabyte of digits on one line", std::string(1 << 20, '7') + "\r\n", 6, 0},
      {"a megabyte line cut inside a record", Repeat("123456789.123456789,", 48000) + "\r\n", 62, 0},
      {"a long line of whole records", Repeat("1,2,3,", 1000) + "4,5,6\r\n", 0, 199},
      {"garbage without separators", std::string(8 << 20, 'x'), 62, 0},
      {"garbage words beyond the record limit", Repeat("zz qq ww\n", 40000), 6, 0},
      {"NUL bytes between records", Repeat(std::string("50,50,0\n\0\0,0\n", 13), 33), 0, 9},
      {"a byte-order mark", "\xEF\xBB\xBF" + Repeat("50,50,0\r\n", 11), 0, 1},
      {"the largest file the counters allow", Repeat("50,50,0\n", 32767), 0, 6552},
      {"one record too many", Repeat("50,50,0\n", 32768), 6, 0},
  };
  for (const auto& c : cases) {
    ScratchDir dir;
    WriteFile(dir / "DATA.1", c.text);
    CDataCol col;
    Untouched cal;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(testsupport::ErrorOf([&] { col.Load(dir / "DATA", cal, 0.0); }), c.error) << c.name;
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    EXPECT_LT(seconds, 5.0) << c.name;
    if (c.error == 0) {
      EXPECT_EQ(col.Count(), c.samples) << c.name;
    }
    EXPECT_EQ(ReadFile(dir / "DATA.1"), c.text) << c.name;
  }
}

TEST(HostileFilesTest, FoldersThatAreNotWhatTheySeem) {
  ScratchDir dir;
  WriteFile(dir / "file", "x");
  std::filesystem::create_directories(dir / "runs/DATA.2");
  WriteFile(dir / "runs/DATA.1", Repeat("50,50,0\n", 11));
  const struct {
    std::string base;
    int error;
  } cases[] = {
      {dir / "file/DATA", 76},  // a path through a regular file
      {dir / "runs/DATA", 75},  // the second run file is a folder
      {dir / "runs,x/DATA", 76},
  };
  for (const auto& c : cases) {
    CDataCol col;
    Untouched cal;
    EXPECT_EQ(testsupport::ErrorOf([&] { col.Load(c.base, cal, 0.0); }), c.error) << c.base;
  }
  EXPECT_EQ(ReadFile(dir / "runs/DATA.1"), Repeat("50,50,0\n", 11));
}

}  // namespace
