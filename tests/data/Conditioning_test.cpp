// The statistics and the window filter over a collection of one-second samples.
#include <gtest/gtest.h>

#include "data/CDataCol.h"
#include "tests/TestSupport.h"

namespace {

using testsupport::ErrorOf;

TEST(ConditioningTest, LimitDataBoundsAreInclusiveAndExclusionIsFinal) {
  CDataCol col;
  auto atMin = col.Add(10, 50, 0, 1);
  auto atYaw = col.Add(20, 50, 5, 1);
  auto fast = col.Add(30.01, 50, 0, 1);
  auto lowWind = col.Add(20, -1, 0, 1);
  auto yawed = col.Add(20, 50, -5.01, 1);
  auto excluded = col.Add(20, 50, 0, 1);
  excluded->nRun = -1;
  col.LimitData(10, 30, 0, 100, -5, 5);
  EXPECT_EQ(atMin->nRun.value(), 1);
  EXPECT_EQ(atYaw->nRun.value(), 1);
  EXPECT_EQ(fast->nRun.value(), -1);
  EXPECT_EQ(lowWind->nRun.value(), -1);
  EXPECT_EQ(yawed->nRun.value(), -1);
  col.LimitData(-1e9, 1e9, -1e9, 1e9, -1e9, 1e9);
  EXPECT_EQ(excluded->nRun.value(), -1);
  EXPECT_EQ(atMin->dVehicleSpeed.value(), 10.0);
}

TEST(ConditioningTest, AverageOfIncludedSamples) {
  CDataCol col;
  col.Add(20, 22, 2, 1, 0.4);
  col.Add(22, 24, 4, 2, 0.6);
  col.Add(99, 99, 99, 1, 9)->nRun = -1;
  const auto mean = col.Average();
  EXPECT_EQ(mean->dVehicleSpeed.value(), 21.0);
  EXPECT_EQ(mean->dWindSpeed.value(), 23.0);
  EXPECT_EQ(mean->dAngle.value(), 3.0);
  EXPECT_EQ(mean->dDelta.value(), 0.5);
  EXPECT_EQ(mean->nRun.value(), 2);
  EXPECT_EQ(mean->nID.value(), 0);
  col.LimitData(100, 200, 0, 1, 0, 1);
  EXPECT_EQ(ErrorOf([&] { col.Average(); }), 11);
  EXPECT_EQ(ErrorOf([] { CDataCol().Average(); }), 11);
}

CDataCol ThreeRuns() {
  CDataCol col;
  col.totalRun = 3;
  // Run 2 first, so positions and run numbers differ.
  col.Add(30, 31, 1, 2);
  col.Add(30, 31, 2, 2);
  col.Add(30, 31, 3, 2);
  col.Add(10, 11, 5, 1);
  col.Add(12, 13, 7, 1);
  col.Add(20, 21, -1, 3);
  col.Add(22, 23, -3, 3);
  return col;
}

TEST(ConditioningTest, RunAverageAndStdDiv) {
  const CDataCol col = ThreeRuns();
  CDataCol runAvg;
  col.RunAverage(runAvg);
  ASSERT_EQ(runAvg.Count(), 3);
  EXPECT_EQ(runAvg[2].nRunDir.value(), -1);
  EXPECT_EQ(runAvg[1].nRunDir.value(), 1);
  EXPECT_EQ(runAvg[2].nRun.value(), 3);
  EXPECT_EQ(runAvg[2].dAngle.value(), 2.0);
  EXPECT_EQ(runAvg[1].dVehicleSpeed.value(), 11.0);
  EXPECT_EQ(runAvg[3].nID.value(), 3);

  CDataCol deviation;
  col.StdDiv(runAvg, deviation);
  ASSERT_EQ(deviation.Count(), 3);
  EXPECT_EQ(deviation[2].dAngle.value(), 1.0);
  EXPECT_DOUBLE_EQ(deviation[1].dAngle.value(), std::sqrt(2.0));
  EXPECT_EQ(deviation[2].dVehicleSpeed.value(), 0.0);
  for (const CMeasurement& d : deviation) {
    EXPECT_EQ(d.nRun.value(), 1);
    EXPECT_EQ(d.nRunDir.value(), -1);
  }
  EXPECT_DOUBLE_EQ(deviation.Average()->dAngle.value(), (std::sqrt(2.0) + 1.0 + std::sqrt(2.0)) / 3.0);
}

TEST(ConditioningTest, StatisticsFaults) {
  {
    CDataCol col = ThreeRuns();
    col.totalRun = 4;  // run 4 has no sample
    CDataCol runAvg;
    EXPECT_EQ(ErrorOf([&] { col.RunAverage(runAvg); }), 11);
  }
  {
    CDataCol col = ThreeRuns();
    col.totalRun = 2;  // run 3 has no element
    CDataCol runAvg;
    EXPECT_EQ(ErrorOf([&] { col.RunAverage(runAvg); }), 9);
  }
  {
    CDataCol col;
    col.totalRun = 1;
    col.Add(1, 1, 1, 1);
    CDataCol runAvg;
    col.RunAverage(runAvg);
    CDataCol deviation;
    EXPECT_EQ(ErrorOf([&] { col.StdDiv(runAvg, deviation); }), 11);  // one sample: 0 / 0
  }
}

}  // namespace
