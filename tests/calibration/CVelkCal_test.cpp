// The anemometer calibrator: the correction of run files, the mismatch of a
// pair of runs, the upward searches and the yaw outliers of a calibration.
// The whole worked calibration and its report are checked end to end.
#include "calibration/CVelkCal.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <string>
#include <vector>

#include "calibration/UpwardSearch.h"
#include "common/NumberText.h"
#include "data/CDataCol.h"
#include "tests/TestSupport.h"

namespace {

using testsupport::ErrorOf;

using Rows = std::vector<std::array<double, 4>>;  // run, V, Vr, Y

CDataCol Collection(int totalRun, const Rows& rows) {
  CDataCol col;
  col.totalRun = totalRun;
  for (const auto& [run, V, Vr, Y] : rows) col.Add(V, Vr, Y, static_cast<int>(run));
  return col;
}

TEST(CVelkCalTest, AdjustCorrectsYawBeforeTheWindAndSkipsExcludedSamples) {
  CVelkCal cal;
  cal.Ka = 1.02;
  cal.CalYawOffset = -1.5;
  cal.Ky = 0.97;
  cal.k3 = 0.0000106;
  cal.K4 = 0.134112;
  CDataCol col = Collection(1, {{1, 20, 25, 3.5}, {0, 20, 25, 3.5}, {-1, 20, 25, 3.5}});
  cal.Adjust(col);
  EXPECT_DOUBLE_EQ(col[1].dAngle.value(), 4.85);
  EXPECT_NEAR(col[1].dWindSpeed.value(), 25.630402, 5e-7);
  for (long i = 2; i <= 3; ++i) EXPECT_EQ(col[i].dWindSpeed.value() + col[i].dAngle.value(), 25 + 3.5) << "as read";
}

TEST(CVelkCalTest, MismatchOfAPairOfRuns) {
  CVelkCal cal;
  cal.K4 = 0.134112;
  CDataCol runAvg = Collection(2, {{1, 20, 23, 2}, {2, 20, 17.5, -3}, {3, 40, 20, 3}});
  const auto text = [](Real x, const char* format) { return FormatFixed(x, format) + " "; };
  // The third run has no partner and adds nothing.
  const auto pair = cal.PairMismatch(runAvg);
  EXPECT_EQ(text(cal.TrueWind(runAvg[1]).head, "0.000000") + text(cal.TrueWind(runAvg[1]).cross, "0.000000") +
                text(cal.TrueWind(runAvg[2]).head, "0.000000") + text(cal.TrueWind(runAvg[2]).cross, "0.000000") +
                text(pair.head, "0.000000") + text(pair.cross, "0.0000000"),
            "3.120019 0.807370 2.390055 0.922899 0.532848 0.0133470 ");
  // The loss term takes the stored yaw, not the offset-corrected one.
  cal.CalYawOffset = 2;
  cal.k3 = 0.001;
  EXPECT_NEAR(cal.TrueWind(runAvg[1]).head.value(), (1 - 0.004) * 23.134112 - 20, 1e-12);
  // The working arrays hold runs 0 to 20.
  for (int run = 4; run <= 21; ++run) runAvg.Add(20, 20, 0, run);
  EXPECT_EQ(ErrorOf([&] { cal.PairMismatch(runAvg); }), 9);
}

// The searches on mismatches of known shape: the speed gain's search with a
// minimum at 1.03472, its coupled coefficients following each trial.
TEST(UpwardSearchTest, LevelsStepBackAndTiesClimb) {
  Real Ka = 0.0;
  Real Ky = 0.0;
  std::vector<double> trials;
  UpwardSearch(Ka, 0.9, 10000.0, [&] {
    trials.push_back(Ka.value());
    Ky = 1.0 / Pow(Ka, 1.5);
    return Real(std::pow(Ka.value() - 1.03472, 2.0));
  });
  EXPECT_NEAR(Ka.value(), 1.0346, 1e-12);
  // Ky belongs to the last, rejected trial.
  EXPECT_NEAR(Ky.value(), 1 / std::pow(1.0348, 1.5), 1e-12);
  // 1.0, 1.1 (rejected), 0.91 … 1.04 (rejected), 1.021 … 1.036, 1.0341 … 1.0348,
  // each trial the previous one plus the step.
  ASSERT_EQ(trials.size(), 2u + 14u + 16u + 8u);
  for (std::size_t k = 3; k < 16; ++k) EXPECT_EQ(trials[k], trials[k - 1] + 0.01) << k;

  // Ties continue the search, until a level has made ten thousand trials.
  Real offset = 0.0;
  long flatTrials = 0;
  EXPECT_EQ(ErrorOf([&] { UpwardSearch(offset, -11.0, 1000.0, [&] { return ++flatTrials, Real(0.5); }); }), 5);
  EXPECT_EQ(flatTrials, 10000);
}

TEST(CVelkCalTest, YawOutliersLieMoreThanThreeSpreadsOut) {
  // Run 1 deviates by 3 (yaws -6 and 6 among seven zeros), run 2 by 1, so
  // the spread is 2 and -6 and 6 lie exactly three spreads out: kept. Then
  // a yaw of 10 among nine zeros, with no spread in run 2, is excluded.
  Rows rows = {{1, 20, 23, -6}, {1, 20, 23, 6}, {2, 20, 17.5, -4}, {2, 20, 17.5, -3}, {2, 20, 17.5, -2}};
  for (int i = 0; i < 7; ++i) rows.push_back({1, 20, 23, 0});
  CDataCol edge = Collection(2, rows);
  CVelkCal().Calabrate(edge);
  for (const CMeasurement& s : edge) EXPECT_GT(s.nRun.value(), 0) << s.dAngle.value();

  rows = {{1, 20, 23, 10}, {2, 20, 17.5, -3}, {2, 20, 17.5, -3}};
  for (int i = 0; i < 9; ++i) rows.push_back({1, 20, 23, 0});
  CDataCol far = Collection(2, rows);
  CVelkCal().Calabrate(far);
  for (const CMeasurement& s : far) EXPECT_EQ(s.nRun.value() < 0, s.dAngle.value() == 10.0);
}

}  // namespace
