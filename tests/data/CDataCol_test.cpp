// The sample collection: Add's numbering and direction rule, positions,
// the reduction to one-second samples, and loading numbered run-file sets.
#include "data/CDataCol.h"

#include <gtest/gtest.h>

#include <string>

#include "calibration/CCalibrator.h"
#include "common/UnitFactors.h"
#include "tests/TestSupport.h"

namespace {

using testsupport::ErrorOf;
using testsupport::Exists;
using testsupport::ScratchDir;
using testsupport::WriteFile;

// Counts the files it is handed and can shift every included yaw, so a test
// sees that Load adjusts each file before reducing it.
class RecordingCalibrator : public CCalibrator {
 public:
  int adjusted = 0;
  double yawShift = 0.0;

 private:
  std::string CCalibrator_sName() const override { return "Recording"; }
  void CCalibrator_sName(const std::string&) override {}
  void CCalibrator_Calabrate(CDataCol&) override {}
  void CCalibrator_Adjust(CDataCol& data) override {
    ++adjusted;
    for (CMeasurement& m : data) {
      if (m.nRun > 0) m.dAngle += yawShift;
    }
  }
  void CCalibrator_PrintResults(const std::string&) override {}
};

class CDataColTest : public ::testing::Test {
 protected:
  void SetUp() override { UnitFactors().SpeedFactor = 0.44704; }
};

TEST_F(CDataColTest, AddNumbersSamplesAndSetsTheirDirection) {
  CDataCol col;
  const struct {
    int run;
    int dir;
  } cases[] = {{1, 1}, {2, -1}, {3, 1}, {4, -1}, {0, -1}, {-1, -1}, {-3, -1}};
  int id = 0;
  for (const auto& c : cases) {
    auto s = col.Add(1, 2, 3, c.run, 0.5, 2.5);
    EXPECT_EQ(s->nID.value(), ++id);
    EXPECT_EQ(s->nRunDir.value(), c.dir) << c.run;
    EXPECT_EQ(s->nTime.value(), 2);  // 2.5 rounds to the even neighbour
    EXPECT_EQ(col.Item(static_cast<long>(id)).get(), s.get());
  }
  EXPECT_EQ(col.Count(), 7);
}

TEST_F(CDataColTest, SamplesAreSharedAndPositionsAreChecked) {
  CDataCol col;
  auto first = col.Add(1, 1, 1, 1);
  col.Add(2, 2, 2, 1);
  col.Add(3, 3, 3, 1);
  first->dVehicleSpeed = 9;
  EXPECT_EQ(col[1].dVehicleSpeed.value(), 9.0);
  col.Delete(2);
  EXPECT_EQ(col.Count(), 2);
  EXPECT_EQ(col[2].dVehicleSpeed.value(), 3.0);
  EXPECT_EQ(ErrorOf([&] { col.Item(0L); }), 9);
  EXPECT_EQ(ErrorOf([&] { col.Item(3L); }), 9);
  EXPECT_EQ(ErrorOf([&] { col.Item(Real(1.5)); }), 9);
  EXPECT_EQ(ErrorOf([&] { col.Delete(5); }), 9);
  // The add counter is not lowered by Delete.
  EXPECT_EQ(col.Add(4, 4, 4, 1)->nID.value(), 4);
}

TEST_F(CDataColTest, AddCounterOverflowsAtThe32768thAdd) {
  CDataCol col;
  for (int i = 0; i < 32767; ++i) col.Add(0, 0, 0, 1);
  EXPECT_EQ(ErrorOf([&] { col.Add(0, 0, 0, 1); }), 6);
  EXPECT_EQ(ErrorOf([&] { CDataCol().Add(0, 0, 0, 1, 0, 32767.5); }), 6);
}

CDataCol RawRun(int n, double start, double step) {
  CDataCol raw;
  for (int i = 0; i < n; ++i) raw.Add(start - step * i, 20 + i, 0.1 * i, 1);
  return raw;
}

TEST_F(CDataColTest, ReduceCountsAndWindows) {
  const struct {
    int raw;
    long reduced;
  } cases[] = {{0, 0}, {1, 0}, {10, 0}, {11, 1}, {15, 1}, {16, 2}, {100, 18}, {101, 19}};
  for (const auto& c : cases) {
    CDataCol out;
    out.Reduce(3, RawRun(c.raw, 30, 0.1), true);
    EXPECT_EQ(out.Count(), c.reduced) << c.raw;
  }
  CDataCol out;
  out.Reduce(2, RawRun(100, 30, 0.1), true);
  const CMeasurement& last = out[18];
  EXPECT_EQ(last.nTime.value(), 18);
  EXPECT_EQ(last.nRun.value(), 2);
  EXPECT_EQ(last.nRunDir.value(), -1);
  // Positions 89 to 93 hold wind speeds 108 to 112.
  EXPECT_DOUBLE_EQ(last.dWindSpeed.value(), 110.0);
}

// Every length of run file, up to the largest one a 16-bit count allows:
// floor((N - 1) / 5) - 1 one-second samples, or none, numbered 1, 2, ...
TEST_F(CDataColTest, ReduceYieldsOneSamplePerWholeSecondForEveryLength) {
  CDataCol longest;
  for (int n = 0; n < 32767; ++n) longest.Add(20.0, 22.0, 1.0, 1);
  for (int n = 0; n <= 32767; n += (n < 400 ? 1 : 997)) {
    CDataCol raw;
    for (int k = 1; k <= n; ++k) raw.Add(20.0, 22.0, 1.0, 1);
    CDataCol out;
    out.Reduce(1, raw, true);
    const long expected = n >= 11 ? (n - 1) / 5 - 1 : 0;
    ASSERT_EQ(out.Count(), expected) << n;
    if (expected > 0) {
      EXPECT_EQ(out[expected].nTime.value(), expected) << n;
    }
  }
  CDataCol out;
  out.Reduce(1, longest, true);
  EXPECT_EQ(out.Count(), 32766 / 5 - 1);
}

TEST_F(CDataColTest, ReduceDeceleration) {
  CDataCol out;
  out.Reduce(1, RawRun(40, 30, 0.1), true);
  ASSERT_EQ(out.Count(), 6);
  for (const CMeasurement& m : out) EXPECT_NEAR(m.dDelta.value(), 0.5, 1e-12);
  CDataCol plain;
  plain.Reduce(1, RawRun(40, 30, 0.1), false);
  for (long i = 1; i <= 6; ++i) {
    EXPECT_EQ(plain[i].dDelta.value(), 0.0);
    EXPECT_EQ(plain[i].dVehicleSpeed.value(), out[i].dVehicleSpeed.value());
  }
}

TEST_F(CDataColTest, LoadReadsTheSetUntilTheFirstMissingFile) {
  ScratchDir dir;
  std::string record;
  for (int i = 0; i < 20; ++i) record += "50,44.1,1.5\r\n";
  WriteFile(dir / "DATA.1", record);
  WriteFile(dir / "DATA.2", record);
  WriteFile(dir / "DATA.4", record);
  CDataCol col;
  RecordingCalibrator cal;
  col.Load(dir / "DATA", cal, 0.5);
  EXPECT_EQ(col.totalRun.value(), 2);
  EXPECT_EQ(cal.adjusted, 2);
  ASSERT_EQ(col.Count(), 4);  // 20 raw samples give 2 per file
  EXPECT_DOUBLE_EQ(col[1].dVehicleSpeed.value(), 50 * 0.44704);
  EXPECT_DOUBLE_EQ(col[1].dAngle.value(), 1.0);
  EXPECT_EQ(col[3].nRun.value(), 2);
  EXPECT_EQ(col[4].nID.value(), 4);
  EXPECT_FALSE(Exists(dir / "DATA.3"));  // the probe leaves nothing behind
}

TEST_F(CDataColTest, AnEmptyFileEndsTheSetAndIsDeleted) {
  ScratchDir dir;
  std::string record;
  for (int i = 0; i < 11; ++i) record += "50,44.1,1.5\n";
  WriteFile(dir / "CAL.1", record);
  WriteFile(dir / "CAL.2", record);
  WriteFile(dir / "CAL.3", "");
  WriteFile(dir / "CAL.4", record);
  CDataCol col;
  RecordingCalibrator cal;
  cal.yawShift = 2.0;
  col.Load(dir / "CAL", cal, 0.0);
  EXPECT_EQ(col.totalRun.value(), 2);
  EXPECT_EQ(col.Count(), 2);
  EXPECT_DOUBLE_EQ(col[1].dAngle.value(), 3.5);  // adjusted before the reduction
  EXPECT_FALSE(Exists(dir / "CAL.3"));
  EXPECT_TRUE(Exists(dir / "CAL.4"));
  // A second Load appends and overwrites totalRun.
  WriteFile(dir / "DATA.1", record);
  col.Load(dir / "DATA", cal, 0.0);
  EXPECT_EQ(col.totalRun.value(), 1);
  EXPECT_EQ(col.Count(), 3);
  EXPECT_EQ(col[3].nID.value(), 3);
}

TEST_F(CDataColTest, AFileCutShortReachesNothingOfItsSamples) {
  ScratchDir dir;
  std::string record;
  for (int i = 0; i < 11; ++i) record += "50,44.1,1.5\n";
  WriteFile(dir / "DATA.1", record);
  WriteFile(dir / "DATA.2", record + "\n");  // an empty last line begins a record
  CDataCol col;
  RecordingCalibrator cal;
  try {
    col.Load(dir / "DATA", cal, 0.0);
    FAIL();
  } catch (const RuntimeError& e) {
    EXPECT_EQ(e.Code(), 62);
    EXPECT_NE(e.Detail().find("DATA.2, line 12"), std::string::npos) << e.Detail();
  }
  EXPECT_EQ(col.Count(), 1);
  EXPECT_EQ(cal.adjusted, 1);
}

TEST_F(CDataColTest, FileErrors) {
  ScratchDir dir;
  WriteFile(dir / "plain", "x");
  std::filesystem::create_directory(dir / "DATA.1");
  const struct {
    std::string base;
    int error;
  } cases[] = {
      {dir / "missing_folder/DATA", 76},
      {dir / "plain/DATA", 76},  // a path through a regular file
      {dir / "DATA", 75},        // DATA.1 is a folder
  };
  for (const auto& c : cases) {
    CDataCol col;
    RecordingCalibrator cal;
    EXPECT_EQ(ErrorOf([&] { col.Load(c.base, cal, 0.0); }), c.error) << c.base;
  }
}

}  // namespace
