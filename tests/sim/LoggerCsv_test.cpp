// Logger CSV files read back with the layout they were asked for: the same
// numbers as the run files in every separator, decimal mark, time column
// and unit, and a day recording whose runs lie where truth.txt says.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "SimTestSupport.h"

namespace {

using testsupport::NumberAfter;
using testsupport::ReadFile;

std::vector<std::vector<std::string>> Rows(const std::string& text, char separator) {
  std::vector<std::vector<std::string>> rows;
  for (std::size_t at = 0; at < text.size();) {
    const std::size_t end = text.find("\r\n", at);
    std::vector<std::string> fields;
    for (std::size_t from = at;;) {
      const std::size_t next = text.find(separator, from);
      if (next == std::string::npos || next > end) {
        fields.push_back(text.substr(from, end - from));
        break;
      }
      fields.push_back(text.substr(from, next - from));
      from = next + 1;
    }
    rows.push_back(fields);
    at = end + 2;
  }
  return rows;
}

// A field as a number: the whole of it, with either decimal mark.
double Number(std::string field, char mark) {
  EXPECT_EQ(field.find(mark == ',' ? '.' : ','), std::string::npos) << field;
  for (char& ch : field) ch = ch == mark ? '.' : ch;
  char* end = nullptr;
  const double value = std::strtod(field.c_str(), &end);
  EXPECT_TRUE(!field.empty() && *end == '\0') << field;
  return value;
}

// "hh:mm:ss.fff" as seconds after midnight.
double ClockSeconds(const std::string& field, char mark) {
  EXPECT_EQ(field.size(), 12u) << field;
  EXPECT_EQ(field[8], mark) << field;
  return std::stoi(field.substr(0, 2)) * 3600.0 + std::stoi(field.substr(3, 2)) * 60.0 + Number(field.substr(6), mark);
}

struct Layout {
  const char* options;
  char separator;
  char mark;
  char time;      // 's' seconds, 'c' clock, '-' none
  double factor;  // the speed unit per mph
  bool wind;
  int decimals;
  const char* header;  // nullptr: none
};

// The fields of one line.
std::vector<std::string> Fields(const std::string& line, char separator) { return Rows(line + "\r\n", separator)[0]; }

// Each record of `csv` against the run file's record, within the rounding
// of both.
void ExpectSameRecords(const std::vector<std::string>& csv, const std::vector<std::string>& runFile, const Layout& l) {
  ASSERT_EQ(csv.size(), runFile.size());
  const double half = 0.5 * std::pow(10.0, -l.decimals) + 1e-9;
  const std::size_t first = l.time == '-' ? 0 : 1;
  for (std::size_t i = 0; i < csv.size(); ++i) {
    const std::vector<std::string> fields = Fields(csv[i], l.separator), record = Fields(runFile[i], ',');
    ASSERT_EQ(fields.size(), first + (l.wind ? 3 : 1)) << csv[i];
    EXPECT_NEAR(Number(fields[first], l.mark), std::stod(record[0]) * l.factor, half + 1e-6 * l.factor) << i;
    if (!l.wind) continue;
    EXPECT_NEAR(Number(fields[first + 1], l.mark), std::stod(record[1]) * l.factor, half + 1e-6 * l.factor) << i;
    EXPECT_NEAR(Number(fields[first + 2], l.mark), std::stod(record[2]), half + 1e-6) << i;
  }
}

std::vector<std::string> LinesOf(const std::string& text) {
  std::vector<std::string> lines;
  for (const auto& fields : Rows(text, '\n')) lines.push_back(fields.front());
  return lines;
}

// The times of `lines` from their first field: the seconds since the file's
// first record, or the clock.
std::vector<double> Times(const std::vector<std::string>& lines, const Layout& l) {
  std::vector<double> times;
  for (const std::string& line : lines) {
    const std::string field = line.substr(0, line.find(l.separator));
    times.push_back(l.time == 'c' ? ClockSeconds(field, l.mark) : Number(field, l.mark));
  }
  return times;
}

const Layout kLayouts[] = {
    {"--logger-csv per-run", ',', '.', 's', 1.609344, true, 3, "Time (s),Speed (km/h),Wind speed (km/h),Yaw (deg)"},
    {"--logger-csv per-run --csv-separator semicolon --csv-decimal comma --csv-time clock --csv-speed mph "
     "--csv-clock-start 23:59:50",
     ';', ',', 'c', 1.0, true, 3, "Time;Speed (mph);Wind speed (mph);Yaw (deg)"},
    {"--logger-csv per-run --csv-separator tab --csv-decimal comma --csv-time none --csv-speed ms --csv-wind no "
     "--csv-header no --csv-decimals 5",
     '\t', ',', '-', 0.44704, false, 5, nullptr},
};

TEST(LoggerCsvTest, EveryLayoutReadsBackAsTheRunFiles) {
  for (const Layout& l : kLayouts) {
    SCOPED_TRACE(l.options);
    testsupport::ScratchDir dir;
    ASSERT_EQ(simtest::RunSim("--out " + dir.path() + " " + l.options +
                              " --rate 10 --zero-runs 1 --cal-runs 2 --data-runs 1 --zero-duration 5 --cal-duration 5")
                  .status,
              0);
    std::set<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(dir / "logger")) names.insert(e.path().filename());
    EXPECT_EQ(names, (std::set<std::string>{"zero01.csv", "cal01.csv", "cal02.csv", "data01.csv"}));
    double previousEnd = -1.0;
    for (const auto& [csv, run] : {std::pair{"zero01.csv", "ZERO.1"},
                                   {"cal01.csv", "CAL.1"},
                                   {"cal02.csv", "CAL.2"},
                                   {"data01.csv", "DATA.1"}}) {
      std::vector<std::string> lines = LinesOf(ReadFile(dir / "logger/" + csv));
      if (l.header != nullptr) {
        EXPECT_EQ(lines.front(), l.header);
        lines.erase(lines.begin());
      }
      ExpectSameRecords(lines, LinesOf(ReadFile(dir / run)), l);
      if (l.time == '-') continue;
      // Ten records a second from the file's start, or on the day's clock
      // from --csv-clock-start on, past midnight round again.
      const std::vector<double> t = Times(lines, l);
      // Each run on the clock 60 s (the turn time) after the one before.
      const double start = l.time == 's'       ? 0.0
                           : previousEnd < 0.0 ? 23 * 3600.0 + 59 * 60.0 + 50.0
                                               : std::fmod(previousEnd + 60.0, 86400.0);
      EXPECT_NEAR(t.front(), start, 1e-6);
      for (std::size_t i = 1; i < t.size(); ++i) {
        EXPECT_NEAR(std::fmod(t[i] - t[i - 1] + 86400.0, 86400.0), 0.1, 1e-6) << csv << " " << i;
      }
      previousEnd = t.back();
    }
  }
}

TEST(LoggerCsvTest, TheDayHoldsEveryRunWhereTheTruthSays) {
  testsupport::ScratchDir dir;
  const Layout l{"", ';', ',', 's', 1.609344, true, 3, nullptr};
  ASSERT_EQ(simtest::RunSim("--out " + dir.path() +
                            " --logger-csv day --csv-separator semicolon --csv-decimal comma --untrimmed --rate 10 "
                            "--zero-runs 1 --cal-runs 2 --data-runs 3 --zero-duration 5 --cal-duration 5")
                .status,
            0);
  const std::string truth = ReadFile(dir / "truth.txt");
  std::vector<std::string> day = LinesOf(ReadFile(dir / "logger/day.csv"));
  day.erase(day.begin());
  // One record every 0.1 s from 0 to the end, turns included.
  const std::vector<double> t = Times(day, l);
  for (std::size_t i = 0; i < t.size(); ++i) ASSERT_NEAR(t[i], 0.1 * static_cast<double>(i), 5e-4) << i;
  for (const std::string run : {"ZERO.1", "CAL.1", "CAL.2", "DATA.1", "DATA.2", "DATA.3"}) {
    SCOPED_TRACE(run);
    const std::string name = run.starts_with("DATA") ? run + " coast" : run;
    const auto first = static_cast<long>(NumberAfter(truth, "day.csv " + name + " first record: "));
    const auto last = static_cast<long>(NumberAfter(truth, "day.csv " + name + " last record: "));
    EXPECT_EQ(NumberAfter(truth, "day.csv " + name + " first time: "), t[first - 1]);
    EXPECT_EQ(NumberAfter(truth, "day.csv " + name + " last time: "), t[last - 1]);
    // The coast of an untrimmed DATA file where truth.txt puts it.
    std::vector<std::string> records = LinesOf(ReadFile(dir / run));
    if (run.starts_with("DATA")) {
      const auto from = static_cast<long>(NumberAfter(truth, name + " first record: "));
      const auto to = static_cast<long>(NumberAfter(truth, name + " last record: "));
      records = std::vector<std::string>(records.begin() + from - 1, records.begin() + to);
    }
    ExpectSameRecords(std::vector<std::string>(day.begin() + first - 1, day.begin() + last), records, l);
  }
  // Between the runs the vehicle slows, turns and speeds up, never faster
  // than the coasts start nor backwards.
  for (const std::string& line : day) {
    const double kmh = Number(Fields(line, ';')[1], ',');
    ASSERT_TRUE(kmh > -0.2 && kmh < 70.0 * 1.609344 + 0.2) << line;
  }
}

}  // namespace
