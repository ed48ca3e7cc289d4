// The platform layer: the report's date and time forms, the string resources
// and the text file writer's line ends and errors.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include "common/Platform.h"
#include "common/RuntimeError.h"
#include "common/TextFile.h"

namespace {

std::tm MakeTime(int year, int month, int day, int hour, int minute, int second) {
  std::tm t{};
  t.tm_year = year - 1900;
  t.tm_mon = month - 1;
  t.tm_mday = day;
  t.tm_hour = hour;
  t.tm_min = minute;
  t.tm_sec = second;
  return t;
}

TEST(PlatformTest, ReportDateAndTime) {
  const struct {
    std::tm when;
    const char* date;
    const char* time;
  } cases[] = {
      {MakeTime(2026, 12, 5, 15, 49, 19), "Dec 5 2026", "3:49:19 PM"},
      {MakeTime(2026, 1, 31, 0, 5, 9), "Jan 31 2026", "12:05:09 AM"},
      {MakeTime(2027, 6, 1, 12, 0, 0), "Jun 1 2027", "12:00:00 PM"},
      {MakeTime(2027, 9, 10, 11, 59, 59), "Sep 10 2027", "11:59:59 AM"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(FormatReportDate(c.when), c.date);
    EXPECT_EQ(FormatReportTime(c.when), c.time);
  }
}

TEST(PlatformTest, StringResourcesHoldTheUnitFactorTexts) {
  EXPECT_EQ(LoadResourceString(1111), ".0929");
  EXPECT_EQ(LoadResourceString(1112), "F");
  EXPECT_EQ(LoadResourceString(1113), "3.3865");
  EXPECT_EQ(LoadResourceString(1114), "4.448");
  EXPECT_EQ(LoadResourceString(1115), ".44704");
  EXPECT_EQ(LoadResourceString(1116), "4.448");
  EXPECT_THROW(LoadResourceString(1117), RuntimeError);
}

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

TEST(TextFileTest, ReplaceThenAppendWithCrLf) {
  const std::string path = ::testing::TempDir() + "textfile_test.txt";
  {
    TextFile f(path, TextFile::Mode::Replace);
    f.WriteLine("one");
    f.Close();
  }
  {
    TextFile f(path, TextFile::Mode::Append);
    f.Write("two");
    f.WriteLine();
    f.Close();
  }
  EXPECT_EQ(ReadAll(path), "one\r\ntwo\r\n");
  {
    TextFile f(path, TextFile::Mode::Replace);
    f.WriteLine("three");
  }
  EXPECT_EQ(ReadAll(path), "three\r\n");
  std::remove(path.c_str());
}

TEST(TextFileTest, FileErrors) {
  const std::string dir = ::testing::TempDir();
  const std::string regular = dir + "textfile_regular.txt";
  { TextFile f(regular, TextFile::Mode::Replace); }
  const struct {
    std::string path;
    int error;
  } cases[] = {
      {dir + "no_such_folder_here/report.txt", 76},
      {regular + "/report.txt", 76},  // a path through a regular file
      {dir, 75},                      // the report path is a folder
  };
  for (const auto& c : cases) {
    try {
      TextFile f(c.path, TextFile::Mode::Append);
      ADD_FAILURE() << c.path;
    } catch (const RuntimeError& e) {
      EXPECT_EQ(e.Code(), c.error) << c.path;
      EXPECT_NE(e.Detail().find(c.path), std::string::npos);
    }
  }
  std::remove(regular.c_str());
}

}  // namespace
