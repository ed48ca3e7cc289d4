// How sure the analysis says it is, against the truth of simulated tests:
// the 95 % interval of the still-air road load holds the simulator's true
// road load about 19 times in 20, and a test without wind says that only
// the sum of its V² and aerodynamic terms is known.
#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "tests/TestSupport.h"

namespace {

using testsupport::NumberAfter;
using testsupport::ReadFile;

// A simulated test analysed with --json; what coastdown told, the record
// and truth.txt.
struct Analysed : testsupport::SimulatedFolder {
  Analysed(const std::string& options, int seed) : SimulatedFolder(options + " --seed " + std::to_string(seed)) {
    const testsupport::ProcessResult run = Analyse({"--json", dir / "record.json"});
    EXPECT_EQ(run.status, 0);
    told = run.err;
    record = ReadFile(dir / "record.json");
    truth = Truth();
  }
  // The true still-air road load at standard conditions, N.
  double TrueRoadLoad(double mph) const {
    return (NumberAfter(truth, "Amech: ") + NumberAfter(truth, "Bmech: ") * mph +
            NumberAfter(truth, "Ctotl: ") * mph * mph) *
           4.448;
  }
  // The record's interval of the road load at `mph`.
  std::pair<double, double> Interval(double mph) const {
    const std::size_t at = record.find("\"speed_mph\": " + std::to_string(static_cast<int>(mph)) + ",");
    return {NumberAfter(record, "\"low95_N\": ", at), NumberAfter(record, "\"high95_N\": ", at)};
  }

  std::string told, record, truth;
};

// The test days carry a random force from the road and nothing else that
// is random: sensors that read the truth and wind without gusts. That is
// the scatter a least-squares interval describes; the noise of a speed
// sensor instead makes the interval wider than it needs to be (the
// decelerations of neighbouring seconds share their speeds, so their errors
// cancel in the fit), and it would cover every time. Over 150 days the
// count is within about three of its standard deviations of 95 %; an
// interval that left out the correlation of neighbouring seconds covers
// only about 86 % of the time and one that left out the correlation of the
// coefficients nearly always.
TEST(CoverageTest, TheRoadLoadIntervalHoldsTheTruthNineteenTimesInTwenty) {
  const std::string day =
      "--scenario light-wind --zero-runs 0 --cal-runs 0 --data-runs 6 --anemo-gain 1 --anemo-offset 0 "
      "--anemo-misalign 0 --gust 0 --speed-noise 0 --anemo-noise 0 --yaw-noise 0 --road-noise 5";
  constexpr int kDays = 150;
  std::atomic<int> next{1};
  std::atomic<int> covered30{0};
  std::atomic<int> covered60{0};
  const auto work = [&] {
    for (int seed; (seed = next++) <= kDays;) {
      const Analysed test(day, seed);
      const auto [low30, high30] = test.Interval(30);
      const auto [low60, high60] = test.Interval(60);
      covered30 += low30 <= test.TrueRoadLoad(30) && test.TrueRoadLoad(30) <= high30;
      covered60 += low60 <= test.TrueRoadLoad(60) && test.TrueRoadLoad(60) <= high60;
    }
  };
  std::thread other(work);
  work();
  other.join();
  for (const int count : {covered30.load(), covered60.load()}) {
    EXPECT_GE(count, 135) << "of " << kDays;
    EXPECT_LE(count, 149) << "of " << kDays;
  }
}

// Without wind the fit cannot tell the V² term from the aerodynamic one:
// the record says how little each is known and the user is told what to do.
TEST(UncertaintyTest, StillAirKnowsTheSumOfTheSquareTermsOnlyAndSaysSo) {
  const Analysed still("--scenario still-air", 3);
  const auto standardError = [&](const std::string& name) {
    const std::size_t at = still.record.find("\"name\": \"" + name + "\"", still.record.find("\"report_units\""));
    return NumberAfter(still.record, "\"standard_error\": ", at) /
           std::fabs(NumberAfter(still.record, "\"value\": ", at));
  };
  EXPECT_LT(NumberAfter(still.record, "\"correlation_m2_a0\": "), -0.99);
  EXPECT_LT(NumberAfter(still.record, "\"solver_agreement\": "), 1e-3);
  // Relative to their values: Cmech and Caero are hardly known, their sum
  // Ctotl ten times better.
  EXPECT_GT(standardError("Cmech"), 0.2);
  EXPECT_GT(standardError("Caero"), 0.2);
  EXPECT_LT(standardError("Ctotl"), 0.1 * std::min(standardError("Cmech"), standardError("Caero")));
  EXPECT_NE(still.told.find("the fit cannot tell the mechanical V^2 term from the aerodynamic term"), std::string::npos)
      << still.told;
  EXPECT_NE(still.told.find("CD field"), std::string::npos);
}

}  // namespace
