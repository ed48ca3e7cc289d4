// The sample collection: Add's numbering and direction rule, positions, the
// reduction to one-second samples, loading numbered run-file sets, and the
// statistics and window filter that condition a loaded collection.
#include "data/CDataCol.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "calibration/CVelkCal.h"
#include "common/NumberText.h"
#include "common/UnitFactors.h"
#include "tests/TestSupport.h"

namespace {

using testsupport::ErrorOf;

// "nID nRun nRunDir nTime V Vr yaw delta;" for a sample, and for every
// sample of a collection.
std::string Text(const CMeasurement& m) {
  std::string text = std::to_string(m.nID.value()) + " " + std::to_string(m.nRun.value()) + " " +
                     std::to_string(m.nRunDir.value()) + " " + std::to_string(m.nTime.value());
  for (Real x : {m.dVehicleSpeed, m.dWindSpeed, m.dAngle, m.dDelta}) text += " " + NumberText(x).substr(x >= 0.0);
  return text + ";";
}

std::string Records(const CDataCol& col) {
  std::string text;
  for (const CMeasurement& m : col) text += Text(m);
  return text;
}

TEST(CDataColTest, AddNumbersSamplesAndSetsTheirDirection) {
  CDataCol col;
  const CDataCol::SampleRef first = col.Add(1, 2, 3, 1, 0.5, 2.5);
  for (int run : {2, 3, 0, -1}) col.Add(1, 2, 3, run, 0.5, 2.5);
  EXPECT_EQ(Records(col), "1 1 1 2 1 2 3 .5;2 2 -1 2 1 2 3 .5;3 3 1 2 1 2 3 .5;4 0 -1 2 1 2 3 .5;5 -1 -1 2 1 2 3 .5;");
  first->dVehicleSpeed = 9;
  EXPECT_EQ(col[1].dVehicleSpeed.value(), 9.0);  // Add hands out the sample the collection holds
  col.Delete(2);
  EXPECT_EQ(col[2].nID.value(), 3);
  EXPECT_EQ(col.Add(4, 4, 4, 1)->nID.value(), 6);  // Delete does not lower the counter
  for (long bad : {0L, 6L}) EXPECT_EQ(ErrorOf([&] { col.Item(bad); }), 9) << bad;
  EXPECT_EQ(ErrorOf([&] { col.Item(Real(1.5)); }), 9);
  EXPECT_EQ(ErrorOf([&] { col.Delete(6); }), 9);
  CDataCol full;
  for (int i = 0; i < 32767; ++i) full.Add(0, 0, 0, 1);
  EXPECT_EQ(ErrorOf([&] { full.Add(0, 0, 0, 1); }), 6);
}

// Raw samples whose speed falls by 0.125 a sample, 0.625 a second at 5
// samples a second; wind and yaw rise with the position.
CDataCol RawRun(int n) {
  CDataCol raw;
  for (int i = 0; i < n; ++i) raw.Add(30 - 0.125 * i, 20 + i, 0.25 * i, 1);
  return raw;
}

TEST(CDataColTest, ReduceToOneSamplePerWholeSecond) {
  // Every length up to 300 records, and the longest file a 16-bit count allows.
  for (int raw = 0; raw <= 32767; raw += raw < 300 ? 1 : 32467) {
    CDataCol out;
    out.Reduce(3, RawRun(raw), true);
    EXPECT_EQ(out.Count(), raw >= 11 ? (raw - 1) / 5 - 1 : 0) << raw;
  }
  CDataCol out;
  out.Reduce(2, RawRun(21), true);
  out.Reduce(2, RawRun(21), false);
  EXPECT_EQ(Records(out), "1 2 -1 1 29.375 25 1.25 .625;2 2 -1 2 28.75 30 2.5 .625;3 2 -1 3 28.125 35 3.75 .625;"
                          "4 2 -1 1 29.375 25 1.25 0;5 2 -1 2 28.75 30 2.5 0;6 2 -1 3 28.125 35 3.75 0;");
}

// DATA.3 is empty and ends the set; a second set appends; a third, cut
// short in its second file, raises 62 after its first file was appended.
TEST(CDataColTest, LoadReadsEachSetUntilItsFirstMissingOrEmptyFile) {
  UnitFactors().SpeedFactor = 0.44704;
  testsupport::ScratchDir dir;
  std::string records;
  for (int i = 0; i < 11; ++i) records += "50,44.1,1.5\r\n";
  const std::pair<const char*, std::string> files[] = {
      {"DATA.1", records + records}, {"DATA.2", records},  {"DATA.3", ""},
      {"DATA.4", records},           {"CAL.1", records},   {"ZERO.1", records},
      {"ZERO.2", records + "\r\n"},  // an empty last line begins a record
  };
  for (const auto& [name, text] : files) testsupport::WriteFile(dir / name, text);
  CDataCol col;
  // An uncalibrated anemometer but for a yaw offset that turns every yaw by
  // 2 degrees, so that the test sees Load adjust each file, once, before
  // reducing it.
  CVelkCal cal;
  cal.CalYawOffset = -2.0;
  col.Load(dir / "DATA", cal, 0.5);
  EXPECT_EQ(col.totalRun.value(), 2);
  col.Load(dir / "CAL", cal, 0.0);
  EXPECT_EQ(col.totalRun.value(), 1);
  const std::string sample = " 22.352 19.714464 3 0;";
  EXPECT_EQ(Records(col), "1 1 1 1" + sample + "2 1 1 2" + sample + "3 1 1 3" + sample + "4 2 -1 1" + sample +
                              "5 1 1 1 22.352 19.714464 3.5 0;");
  EXPECT_EQ(ErrorOf([&] { col.Load(dir / "ZERO", cal, 0.0); }), 62);
  EXPECT_EQ(col.Count(), 6);
}

TEST(CDataColTest, LimitDataBoundsAreInclusive) {
  CDataCol col;
  const double samples[][3] = {{10, 50, 0},  {30, 50, 0},   {9.99, 50, 0},  {30.01, 50, 0},   {20, 0, 0},
                               {20, 100, 0}, {20, -.01, 0}, {20, 100.01, 0}, {20, 50, -5},    {20, 50, 5},
                               {20, 50, -5.01}, {20, 50, 5.01}, {0, 0, 0}};
  for (const auto& s : samples) col.Add(s[0], s[1], s[2], 1);
  col[13].nRun = 0;  // already excluded: left alone
  col.LimitData(10, 30, 0, 100, -5, 5);
  std::vector<int> runs;
  for (const CMeasurement& m : col) runs.push_back(m.nRun.value());
  EXPECT_EQ(runs, std::vector<int>({1, 1, -1, -1, 1, 1, -1, -1, 1, 1, -1, -1, 0}));
}

// Run 2 comes first, so positions and run numbers differ; runs 1 and 3 have
// two samples, run 2 three; two more samples are excluded.
CDataCol ThreeRuns() {
  CDataCol col;
  col.totalRun = 3;
  const double samples[][5] = {{30, 31, 1, 2, .5},  {30, 31, 2, 2, .5},   {30, 31, 3, 2, .5},
                               {10, 11, 5, 1, .25}, {12, 13, 7, 1, .75},  {99, 99, 99, -1, 9},
                               {99, 99, 99, 0, 9},  {20, 21, -1, 3, .5},  {22, 23, -3, 3, .5}};
  for (const auto& s : samples) col.Add(s[0], s[1], s[2], static_cast<int>(s[3]), s[4]);
  return col;
}

TEST(CDataColTest, AverageRunAverageAndStdDiv) {
  const CDataCol col = ThreeRuns();
  EXPECT_EQ(Text(*col.Average()), "0 7 0 0 22 23 2 .5;");
  CDataCol runAvg;
  col.RunAverage(runAvg);
  EXPECT_EQ(Records(runAvg), "1 2 1 0 11 12 6 .5;2 3 -1 0 30 31 2 .5;3 2 1 0 21 22 -2 .5;");
  CDataCol deviation;
  col.StdDiv(runAvg, deviation);
  EXPECT_EQ(Records(deviation), "1 1 -1 0 1.4142135623731 1.4142135623731 1.4142135623731 .353553390593274;"
                                "2 1 -1 0 0 0 1 0;3 1 -1 0 1.4142135623731 1.4142135623731 1.4142135623731 0;");
  // No included sample, a run without samples, a run beyond totalRun, a run
  // of one sample (a division by zero in its deviation).
  EXPECT_EQ(ErrorOf([] { CDataCol().Average(); }), 11);
  for (const auto& [total, error] : {std::pair{4, 11}, std::pair{2, 9}}) {
    CDataCol runs = ThreeRuns();
    runs.totalRun = total;
    EXPECT_EQ(ErrorOf([&] { CDataCol out; runs.RunAverage(out); }), error) << total;
  }
  runAvg[1].nRun = 1;
  EXPECT_EQ(ErrorOf([&] { CDataCol out; col.StdDiv(runAvg, out); }), 11);
}

}  // namespace
