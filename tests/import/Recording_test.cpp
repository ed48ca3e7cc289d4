// A logger file as a time series: units from the header or the options,
// times in seconds, milliseconds or clock time, the rate and its gaps,
// and errors that say where and what to give.
#include "Recording.h"

#include <gtest/gtest.h>

#include "ImportTestSupport.h"

namespace {

using importer::ReadOptions;
using importer::Recording;

Recording Read(const std::string& text, const ReadOptions& options = {}) {
  return importer::ReadRecording("f.csv", text, "UTF-8", options);
}

TEST(RecordingTest, ValuesInSIUnits) {
  ReadOptions windInMetres;
  windInMetres.windUnit = importer::SpeedUnit::MetresPerSecond;
  ReadOptions noTime;
  noTime.columns.time = "none";
  noTime.rate = 10;
  noTime.speedUnit = importer::SpeedUnit::Mph;
  const struct {
    const char* name;
    std::string text;
    ReadOptions options;
    double time1;   // s after the first record
    double speed0;  // m/s
    double wind0;
    double yaw0;    // deg
  } cases[] = {
      {"km/h and degrees", "t [s],v [km/h],wind [km/h],yaw [deg]\n0,36,72,2\n0.1,36,72,2\n", {}, 0.1, 10, 20, 2},
      {"mph, m/s by option, radians", "time,speed_mph,wind,yaw [rad]\n5,10,4,0.1\n5.2,10,4,0.1\n", windInMetres, 0.2,
       4.4704, 4, 5.729577951308232},
      {"knots, milliseconds", "time [ms];v [kn]\n1000;10\n1100;10\n", {}, 0.1, 5.144444444444445, 0, 0},
      {"clock time across midnight", "clock;speed [m/s]\n23:59:59.9;3\n00:00:00.0;3\n", {}, 0.1, 3, 0, 0},
      {"no time column, --rate", "v\n10\n10\n", noTime, 0.1, 4.4704, 0, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const Recording r = Read(c.text, c.options);
    ASSERT_EQ(r.samples.size(), 2u);
    EXPECT_NEAR(r.samples[1].time - r.samples[0].time, c.time1, 1e-9);
    EXPECT_NEAR(r.samples[0].speed, c.speed0, 1e-12);
    EXPECT_NEAR(r.samples[0].wind, c.wind0, 1e-12);
    EXPECT_NEAR(r.samples[0].yaw, c.yaw0, 1e-12);
  }
}

TEST(RecordingTest, RateGapsAndIncompleteRecords) {
  const Recording r = Read(
      "t,v [mph]\n0.0,1\n0.1,1\n0.2,1\n0.5,1\n0.6,\n0.7,1\n0.72,1\n0.8,1\n0.9,1\n");
  EXPECT_DOUBLE_EQ(r.interval, 0.1);
  // The record left out for its empty field is a gap too.
  ASSERT_EQ(r.gaps.size(), 2u);
  EXPECT_EQ(r.gaps[0].after, 2u);
  EXPECT_NEAR(r.gaps[0].length, 0.3, 1e-12);
  EXPECT_NEAR(r.gaps[1].length, 0.2, 1e-12);
  EXPECT_EQ(r.irregular, 1u);  // 0.7 to 0.72
  EXPECT_EQ(r.incomplete, 1u);
  EXPECT_EQ(r.firstIncompleteLine, 6u);
  EXPECT_EQ(r.TimeText(12.345), "12.3 s");
}

TEST(RecordingTest, AWrongUnitInTheHeaderIsWarnedAbout) {
  ReadOptions options;
  options.speedUnit = importer::SpeedUnit::Mph;
  const Recording r = Read("t,v [km/h],wind [km/h]\n0,1,1\n0.1,1,1\n", options);
  EXPECT_DOUBLE_EQ(r.samples[0].speed, 0.44704);
  ASSERT_EQ(r.warnings.size(), 2u);
  EXPECT_EQ(r.warnings[0], "--speed-unit mph is used for \"v [km/h]\" (column 2) of f.csv, whose header gives \"km/h\"");
  EXPECT_EQ(r.warnings[1], "f.csv has a wind column but no yaw column; the run files get 0 for it");
}

TEST(RecordingTest, ErrorsSayWhereAndWhatToGive) {
  ReadOptions commaMark;
  commaMark.csv.decimal = importer::DecimalMark::Comma;
  ReadOptions withRate;
  withRate.rate = 10;
  const struct {
    std::string text;
    ReadOptions options;
    const char* message;
  } cases[] = {
      {"t,v\n0,1\n0.1,1\n", {}, "f.csv: the unit of the speed, \"v\" (column 2), is not given in the file; give "
                                "--speed-unit kmh, mph, ms or kn"},
      {"t,v [V]\n0,1\n", {}, "f.csv: the unit \"v\" of \"v [V]\" (column 2) is not a speed unit the importer knows; "
                             "give --speed-unit"},
      {"t,v [mph],wind\n0,1,1\n", {}, "f.csv: the unit of the relative wind speed, \"wind\" (column 3), is not given "
                                      "in the file; give --wind-unit kmh, mph, ms or kn"},
      {"v [mph]\n1\n2\n", {}, "f.csv: no time column is recognised among the names of line 1; give --time-column NAME or POSITION, or --rate HZ for records at "
                              "a fixed rate"},
      {"t;v [km/h]\n0;1\n0,1;1\n0,2;1x\n", {}, "f.csv, line 4, \"v [km/h]\" (column 2): \"1x\" is not a number"},
      {"t;v [km/h];w [km/h]\n0;1,5;2\n0,1;1.5;2\n", commaMark,
       "f.csv, line 3, \"v [km/h]\" (column 2): \"1.5\" is not a number (a decimal point, where this file's numbers "
       "have a comma; give --decimal point if that is its mark)"},
      {"t,v [mph]\n0,1\n0.1,\xC2\xA0" "1\n", {},
       "f.csv, line 3, \"v [mph]\" (column 2): \"\\u00A01\" is not a number (a number with hidden characters)"},
      {"t,v [mph]\n0,1\n0.1,1\n0.1,1\n", {},
       "f.csv, line 4, \"t\" (column 1): the time 0.1 s repeats the time of line 3 (0.1 s); a clock without "
       "fractions of a second? give --time-column none and --rate HZ"},
      {"t,v [mph]\n0,1\n0.2,1\n0.1,1\n", {},
       "f.csv, line 4, \"t\" (column 1): the time 0.1 s is before the time of line 3 (0.2 s)"},
      {"t,v [mph]\n0,1\n100,1\n200,1\n", {},
       "f.csv: the records are 100 s apart (the median, from \"t\" (column 1) in s); the importer takes 1000 to 0.5 "
       "records a second; is the time in milliseconds? give --time-unit ms"},
      {"clock,v [mph]\n10:00:00,1\n10:00:0x,1\n", {},
       "f.csv, line 3, \"clock\" (column 1): \"10:00:0x\" is not a clock time (hh:mm:ss.fff)"},
      {"t,v [mph]\n0,1\n0.1,1\n", withRate,
       "usage: --rate is for files without a time column, and f.csv has \"t\" (column 1); give --time-column none to use "
       "--rate instead"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(importtest::ErrorText([&] { Read(c.text, c.options); }), c.message) << c.text;
  }
}

}  // namespace
