// Logger CSV files read back with the layout they were asked for: the same
// numbers as the run files in every separator, decimal mark, time column
// and unit, and a day recording whose runs lie where truth.txt says.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "SimTestSupport.h"

namespace {

using testsupport::NumberAfter;
using testsupport::ReadFile;
using simtest::Rows;
using simtest::Table;

// A whole field as a number, with the layout's decimal mark only.
double Number(std::string field, char mark) {
  EXPECT_EQ(field.find(mark == ',' ? '.' : ','), std::string::npos) << field;
  for (char& ch : field) ch = ch == mark ? '.' : ch;
  char* end = nullptr;
  const double value = std::strtod(field.c_str(), &end);
  EXPECT_TRUE(!field.empty() && *end == '\0') << field;
  return value;
}

struct Layout {
  const char* options;
  char separator;
  char mark;
  char time;      // 's' seconds, 'c' clock "hh:mm:ss.fff", '-' none
  double factor;  // the speed unit per mph
  bool wind;
  int decimals;
};

double Seconds(const std::string& field, const Layout& l) {
  if (l.time == 's') return Number(field, l.mark);
  EXPECT_TRUE(field.size() == 12 && field[2] == ':' && field[5] == ':') << field;
  return std::stoi(field.substr(0, 2)) * 3600.0 + std::stoi(field.substr(3, 2)) * 60.0 +
         Number(field.substr(6), l.mark);
}

// Each CSV row against the run file's record, within the rounding of both.
void ExpectSameRecords(const Rows& csv, const Rows& runFile, const Layout& l) {
  ASSERT_EQ(csv.size(), runFile.size());
  const std::size_t first = l.time == '-' ? 0 : 1;
  const double rounding = 0.5 * std::pow(10.0, -l.decimals) + 1e-6 * l.factor;
  for (std::size_t i = 0; i < csv.size(); ++i) {
    ASSERT_EQ(csv[i].size(), first + (l.wind ? 3 : 1)) << i;
    for (std::size_t k = 0; k < (l.wind ? 3u : 1u); ++k) {
      const double want = std::stod(runFile[i][k]) * (k < 2 ? l.factor : 1.0);
      EXPECT_NEAR(Number(csv[i][first + k], l.mark), want, rounding) << "record " << i + 1 << ", column " << k;
    }
  }
}

TEST(LoggerCsvTest, EveryLayoutReadsBackAsTheRunFiles) {
  const struct {
    Layout layout;
    const char* header;  // nullptr: none
  } cases[] = {
      {{"", ',', '.', 's', 1.609344, true, 3}, "Time (s),Speed (km/h),Wind speed (km/h),Yaw (deg)"},
      {{"--csv-separator semicolon --csv-decimal comma --csv-time clock --csv-speed mph --csv-clock-start 23:59:50",
        ';', ',', 'c', 1.0, true, 3},
       "Time;Speed (mph);Wind speed (mph);Yaw (deg)"},
      {{"--csv-separator tab --csv-decimal comma --csv-time none --csv-speed ms --csv-wind no --csv-header no "
        "--csv-decimals 5",
        '\t', ',', '-', 0.44704, false, 5},
       nullptr},
  };
  for (const auto& c : cases) {
    const Layout& l = c.layout;
    SCOPED_TRACE(l.options);
    testsupport::ScratchDir dir;
    ASSERT_TRUE(simtest::Simulated(dir.path(), "--logger-csv per-run " + std::string(l.options) + " --rate 10" +
                                                   simtest::kSmall));
    EXPECT_EQ(simtest::FileNames(dir / "logger"), "cal01.csv cal02.csv data01.csv zero01.csv ");
    // Ten records a second, each run on the clock 60 s (the turn time)
    // after the one before, past midnight round again.
    double start = 23 * 3600.0 + 59 * 60.0 + 50.0;
    for (const auto& [csv, run] : {std::pair{"zero01.csv", "ZERO.1"}, {"cal01.csv", "CAL.1"}, {"cal02.csv", "CAL.2"},
                                   {"data01.csv", "DATA.1"}}) {
      Rows rows = Table(ReadFile(dir / "logger/" + csv), l.separator);
      if (c.header != nullptr) {
        EXPECT_EQ(Table(std::string(c.header) + "\r\n", l.separator)[0], rows.front());
        rows.erase(rows.begin());
      }
      ExpectSameRecords(rows, Table(ReadFile(dir / run), ','), l);
      if (l.time == '-') continue;
      for (std::size_t i = 0; i < rows.size(); ++i) {
        const double want = l.time == 's' ? 0.1 * static_cast<double>(i) : std::fmod(start + 0.1 * i, 86400.0);
        ASSERT_NEAR(Seconds(rows[i][0], l), want, 1e-6) << csv << " " << i;
      }
      start += 0.1 * static_cast<double>(rows.size() - 1) + 60.0;
    }
  }
}

TEST(LoggerCsvTest, TheDayHoldsEveryRunWhereTheTruthSays) {
  testsupport::ScratchDir dir;
  const Layout l{"", ';', ',', 's', 1.609344, true, 3};
  ASSERT_TRUE(simtest::Simulated(dir.path(),
                                 "--logger-csv day --csv-separator semicolon --csv-decimal comma --untrimmed --rate 10 "
                                 "--zero-runs 1 --cal-runs 2 --data-runs 3 --zero-duration 5 --cal-duration 5"));
  const std::string truth = ReadFile(dir / "truth.txt");
  Rows day = Table(ReadFile(dir / "logger/day.csv"), ';');
  day.erase(day.begin());
  // One record every 0.1 s from 0 to the end, turns included; between the
  // runs the vehicle never goes faster than the coasts start nor backwards.
  for (std::size_t i = 0; i < day.size(); ++i) {
    ASSERT_NEAR(Seconds(day[i][0], l), 0.1 * static_cast<double>(i), 5e-4) << i;
    const double kmh = Number(day[i][1], ',');
    ASSERT_TRUE(kmh > -0.2 && kmh < 70.0 * 1.609344 + 0.2) << i;
  }
  for (const std::string run : {"ZERO.1", "CAL.1", "CAL.2", "DATA.1", "DATA.2", "DATA.3"}) {
    SCOPED_TRACE(run);
    const std::string name = run.starts_with("DATA") ? run + " coast" : run;
    const auto first = static_cast<long>(NumberAfter(truth, "day.csv " + name + " first record: "));
    const auto last = static_cast<long>(NumberAfter(truth, "day.csv " + name + " last record: "));
    EXPECT_NEAR(NumberAfter(truth, "day.csv " + name + " first time: "), 0.1 * static_cast<double>(first - 1), 1e-9);
    EXPECT_NEAR(NumberAfter(truth, "day.csv " + name + " last time: "), 0.1 * static_cast<double>(last - 1), 1e-9);
    // The coast of an untrimmed DATA file where truth.txt puts it there.
    Rows records = Table(ReadFile(dir / run), ',');
    if (run.starts_with("DATA")) {
      const auto from = static_cast<long>(NumberAfter(truth, "\n" + name + " first record: "));
      const auto to = static_cast<long>(NumberAfter(truth, "\n" + name + " last record: "));
      records = Rows(records.begin() + from - 1, records.begin() + to);
    }
    ExpectSameRecords(Rows(day.begin() + first - 1, day.begin() + last), records, l);
  }
}

}  // namespace
