// The anemometer calibrator: the correction of run files, the mismatch of a
// pair of runs, the upward searches, a whole calibration and its report.
#include "calibration/CVelkCal.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "data/CDataCol.h"
#include "tests/TestSupport.h"

namespace {

using testsupport::ErrorOf;
using testsupport::ReadFile;
using testsupport::ScratchDir;
using testsupport::WriteFile;

// Opens the searches and the mismatch; `shape`, when set, replaces the
// mismatch of the data by a function of the coefficient being searched, and
// every trial value of Ka and CalYawOffset is recorded.
class OpenCal : public CVelkCal {
 public:
  using CVelkCal::FitSpeedGain;
  using CVelkCal::FitYawOffset;
  using CVelkCal::TrueWind;
  std::function<double(double)> shape;
  std::vector<double> gainTrials, yawTrials;

  Mismatch PairMismatch(const CDataCol& runAvg) override {
    gainTrials.push_back(Ka.value());
    yawTrials.push_back(CalYawOffset.value());
    if (!shape) return CVelkCal::PairMismatch(runAvg);
    return {shape(Ka.value()), shape(CalYawOffset.value())};
  }
};

// The detail of the error the operation raises.
std::string DetailOf(const std::function<void()>& operation) {
  try {
    operation();
  } catch (const RuntimeError& error) {
    return error.Detail();
  }
  return "no error";
}

struct Row {
  int run;
  double V, Vr, Y;
};

CDataCol Collection(int totalRun, const std::vector<Row>& rows) {
  CDataCol col;
  col.totalRun = totalRun;
  for (const Row& r : rows) col.Add(r.V, r.Vr, r.Y, r.run);
  return col;
}

// Two identical samples of each run of the worked example: run 1 with a
// 23 m/s relative wind at 2 degrees, run 2 with 17.5 m/s at -3 degrees.
std::vector<Row> ExamplePair() { return {{1, 20, 23, 2}, {1, 20, 23, 2}, {2, 20, 17.5, -3}, {2, 20, 17.5, -3}}; }

TEST(CVelkCalAdjust, CorrectsYawBeforeTheWindAndSkipsExcludedSamples) {
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
  for (long i = 2; i <= 3; ++i) {
    EXPECT_EQ(col[i].dAngle.value(), 3.5);
    EXPECT_EQ(col[i].dWindSpeed.value(), 25.0);
  }
}

TEST(CVelkCalAdjust, FreshCalibratorIsAnExactIdentity) {
  const std::unique_ptr<CCalibrator> cal = std::make_unique<CVelkCal>();
  EXPECT_EQ(cal->sName(), "Velk Calibrator");
  cal->sName("Other");
  EXPECT_EQ(cal->sName(), "Velk Calibrator");

  // Wind speeds and yaws over many orders of magnitude and both signs.
  std::mt19937 random(2263);
  std::uniform_real_distribution<double> mantissa(-1.0, 1.0);
  std::uniform_int_distribution<int> exponent(-30, 30);
  CDataCol col;
  std::vector<double> wind, yaw;
  for (int i = 0; i < 2000; ++i) {
    wind.push_back(std::ldexp(mantissa(random), exponent(random)));
    yaw.push_back(std::ldexp(mantissa(random), exponent(random)));
    col.Add(20.0, wind.back(), yaw.back(), 1 + i % 4);
  }
  cal->Adjust(col);
  for (long i = 1; i <= col.Count(); ++i) {
    ASSERT_EQ(col[i].dWindSpeed.value(), wind[i - 1]) << i;
    ASSERT_EQ(col[i].dAngle.value(), yaw[i - 1]) << i;
  }
}

TEST(CVelkCalMismatch, PairOfRunsAndItsLimits) {
  OpenCal cal;
  cal.K4 = 0.134112;
  CDataCol runAvg = Collection(2, {{1, 20, 23, 2}, {2, 20, 17.5, -3}});
  EXPECT_NEAR(cal.TrueWind(runAvg[1]).head.value(), 3.120019, 5e-7);
  EXPECT_NEAR(cal.TrueWind(runAvg[2]).head.value(), 2.390055, 5e-7);
  EXPECT_NEAR(cal.TrueWind(runAvg[1]).cross.value(), 0.807370, 5e-7);
  EXPECT_NEAR(cal.TrueWind(runAvg[2]).cross.value(), 0.922899, 5e-7);
  const auto pair = cal.PairMismatch(runAvg);
  EXPECT_NEAR(pair.head.value(), 0.532848, 5e-7);
  EXPECT_NEAR(pair.cross.value(), 0.0133470, 5e-8);

  // A third run has no partner and changes nothing.
  runAvg.Add(5, 40, 20, 3);
  EXPECT_EQ(cal.PairMismatch(runAvg).head, pair.head);
  EXPECT_EQ(cal.PairMismatch(runAvg).cross, pair.cross);

  // The working arrays hold runs 0 to 20.
  for (int run = 4; run <= 21; ++run) runAvg.Add(20, 20, 0, run);
  EXPECT_EQ(ErrorOf([&] { cal.PairMismatch(runAvg); }), 9);

  // The loss term takes the stored yaw, not the offset-corrected one.
  cal.CalYawOffset = 2;
  cal.k3 = 0.001;
  EXPECT_NEAR(cal.TrueWind(runAvg[1]).head.value(), (1 - 0.004) * 23.134112 - 20, 1e-12);
}

TEST(CVelkCalSearch, ParabolaEndsOneFinestStepBelowTheBest) {
  OpenCal cal;
  cal.shape = [](double x) { return std::pow(x - 1.03472, 2.0); };
  cal.FitSpeedGain(CDataCol());
  EXPECT_NEAR(cal.Ka.value(), 1.0346, 1e-12);
  // Ky and k3 belong to the last, rejected trial.
  EXPECT_NEAR(cal.Ky.value(), 1 / std::pow(1.0348, 1.5), 1e-12);
  EXPECT_NEAR(cal.k3.value(), 0.0348 * 0.00053, 1e-15);

  const std::vector<double>& t = cal.gainTrials;
  // 1.0, 1.1 (rejected), 0.91 … 1.04 (rejected), 1.021 … 1.036, 1.0341 … 1.0348.
  ASSERT_EQ(t.size(), 2u + 14u + 16u + 8u);
  EXPECT_NEAR(t[2], 0.91, 1e-12);
  // Each trial adds the step to the previous value.
  for (std::size_t k = 3; k < 16; ++k) EXPECT_EQ(t[k], t[k - 1] + 0.01) << k;
}

TEST(CVelkCalSearch, TiesContinueUntilTenThousandTrials) {
  OpenCal cal;
  cal.shape = [](double) { return 0.5; };
  EXPECT_EQ(ErrorOf([&] { cal.FitYawOffset(CDataCol()); }), 5);
  EXPECT_EQ(cal.yawTrials.size(), 10000u);
  EXPECT_EQ(DetailOf([&] { cal.FitSpeedGain(CDataCol()); }), "calibration search does not converge");
}

TEST(CVelkCalCalabrate, WholeCalibrationAndItsReport) {
  OpenCal cal;
  CDataCol data = Collection(2, ExamplePair());
  cal.Calabrate(data);
  EXPECT_NEAR(cal.Ka.value(), 0.982, 1e-12);
  EXPECT_NEAR(cal.CalYawOffset.value(), -0.164, 1e-12);
  EXPECT_NEAR(cal.Ky.value(), 1 / std::pow(0.9822, 1.5), 1e-12);
  EXPECT_NEAR(cal.k3.value(), -0.000009434, 1e-15);

  ScratchDir dir;
  const std::string report = dir / "VB6Output.txt";
  WriteFile(report, "HEAD\r\n");
  cal.PrintResults(report);
  EXPECT_EQ(ReadFile(report),
            "HEAD\r\nCALIBRATION COEFFICIENTS\r\nVelk Calibrator\r\n\r\nKa =  .982 \r\nk3 = -0.000009\r\n"
            "K4 =  .134112 \r\n\r\nKy = 1.027307\r\nYaw Offset = -0.164000\r\n\r\n");

  // Each search restarts from its fixed start, so the second of the two
  // passes reproduces the first.
  OpenCal passes;
  CDataCol runAvg;
  Collection(2, ExamplePair()).RunAverage(runAvg);
  passes.K4 = 0.134112;
  passes.FitSpeedGain(runAvg);
  passes.FitYawOffset(runAvg);
  EXPECT_EQ(passes.Ka, cal.Ka);
  EXPECT_EQ(passes.CalYawOffset, cal.CalYawOffset);
  EXPECT_EQ(passes.Ky, cal.Ky);
  EXPECT_EQ(passes.k3, cal.k3);
  EXPECT_EQ(cal.gainTrials.size(), 2 * passes.gainTrials.size());

  // A third run has no partner: the coefficients are those of the pair.
  std::vector<Row> rows = ExamplePair();
  rows.insert(rows.end(), {{3, 30, 10, 8}, {3, 31, 11, 9}});
  CDataCol odd = Collection(3, rows);
  CVelkCal withThird;
  withThird.Calabrate(odd);
  EXPECT_EQ(withThird.Ka, cal.Ka);
  EXPECT_EQ(withThird.CalYawOffset, cal.CalYawOffset);
  EXPECT_EQ(withThird.Ky, cal.Ky);
}

TEST(CVelkCalCalabrate, YawOutliersBeyondThreeSpreads) {
  // Run 1 deviates by 3 (yaws -6 and 6 among seven zeros), run 2 by 1, so
  // the spread is 2 and the yaws -6 and 6 lie exactly three spreads away.
  std::vector<Row> rows = {{1, 20, 23, -6}, {1, 20, 23, 6}, {2, 20, 17.5, -4}, {2, 20, 17.5, -3}, {2, 20, 17.5, -2}};
  for (int i = 0; i < 7; ++i) rows.push_back({1, 20, 23, 0});
  CDataCol edge = Collection(2, rows);
  CVelkCal cal;
  cal.Calabrate(edge);
  for (const CMeasurement& s : edge) EXPECT_GT(s.nRun.value(), 0) << s.dAngle.value();

  // Nine yaws of 0 and one of 10 in run 1, no spread in run 2: only the 10 goes.
  rows = {{1, 20, 23, 10}, {2, 20, 17.5, -3}, {2, 20, 17.5, -3}};
  for (int i = 0; i < 9; ++i) rows.push_back({1, 20, 23, 0});
  CDataCol far = Collection(2, rows);
  cal.Calabrate(far);
  for (const CMeasurement& s : far) EXPECT_EQ(s.nRun.value() < 0, s.dAngle.value() == 10.0);
}

TEST(CVelkCalCalabrate, SetsThatCannotBeCalibrated) {
  std::vector<Row> manyRuns;
  for (int run = 1; run <= 21; ++run) manyRuns.insert(manyRuns.end(), {{run, 20, 20, 1}, {run, 20, 21, 2}});
  // Run 1 (yaws -10 and 10) is rejected whole against the spread of five runs.
  std::vector<Row> emptied = {{1, 20, 20, -10}, {1, 20, 20, 10}};
  for (int run = 2; run <= 5; ++run) emptied.insert(emptied.end(), {{run, 20, 20, 0}, {run, 20, 20, 0}});
  const struct {
    const char* name;
    int totalRun;
    std::vector<Row> rows;
    int error;
  } cases[] = {
      {"empty set", 0, {}, 11},
      {"run with one sample", 2, {{1, 20, 23, 2}, {2, 20, 17.5, -3}, {2, 20, 17.5, -3}}, 11},
      {"run emptied by the yaw test", 5, emptied, 11},
      {"more than 20 runs", 21, manyRuns, 9},
      {"one run", 1, {{1, 20, 23, 2}, {1, 20, 23, 2}}, 5},
  };
  for (const auto& c : cases) {
    CDataCol data = Collection(c.totalRun, c.rows);
    CVelkCal cal;
    EXPECT_EQ(ErrorOf([&] { cal.Calabrate(data); }), c.error) << c.name;
  }

  CDataCol single = Collection(1, {{1, 20, 23, 2}, {1, 20, 23, 2}});
  CVelkCal cal;
  EXPECT_EQ(DetailOf([&] { cal.Calabrate(single); }), "calibration needs at least one pair of runs");
  EXPECT_EQ(cal.Ka.value(), 1.0);  // refused before any search
}

TEST(CVelkCalReport, FreshCoefficientsAppendedOnEveryCall) {
  ScratchDir dir;
  const std::string report = dir / "VB6Output.txt";
  CVelkCal cal;
  cal.PrintResults(report);
  cal.PrintResults(report);
  const std::string section =
      "CALIBRATION COEFFICIENTS\r\nVelk Calibrator\r\n\r\nKa =  1 \r\nk3 = 0.000000\r\nK4 =  0 \r\n\r\n"
      "Ky = 1.000000\r\nYaw Offset = 0.000000\r\n\r\n";
  EXPECT_EQ(ReadFile(report), section + section);
  EXPECT_EQ(ErrorOf([&] { cal.PrintResults(dir / "missing/VB6Output.txt"); }), 76);
}

}  // namespace
