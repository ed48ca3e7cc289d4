// Bad input to the interval method: each case is a test that a user could
// bring, and the issue it must produce names the run and the reference speed
// in the user's words; the fatal ones leave no usable result.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "methods/IntervalMethod.h"
#include "methods/IntervalTimes.h"
#include "tests/methods/IntervalSynthesis.h"

namespace {

struct CoastdownTest {
  std::vector<IntervalRun> runs;
  IntervalConditions conditions;
  IntervalSettings settings;
};

// Four pairs of noise-free coastdowns from 140 to 12 km/h at 10 Hz; the
// reference speeds 20 to 130 km/h.
CoastdownTest GoodTest() {
  std::mt19937_64 random(1);
  CoastdownTest test;
  test.runs = intervaltest::PairedRuns(intervaltest::RoadLoad(), intervaltest::Coastdown(), 4, 0.0, random);
  test.conditions.averageMassKg = 1480.0;
  test.conditions.rotatingMassKg = 44.25;
  return test;
}

struct IssueCase {
  std::string name;
  std::function<void(CoastdownTest&)> spoil;
  IntervalIssueKind kind;
  int run;
  std::optional<double> referenceKmh;
  std::string message;
  bool usable;
};

void PrintTo(const IssueCase& c, std::ostream* out) { *out << c.name; }

class IntervalIssues : public ::testing::TestWithParam<IssueCase> {};

// Each spoilt test raises its issue, with its message, and leaves the result
// usable or not as the case says.
TEST_P(IntervalIssues, NamesTheRunAndTheReferenceSpeed) {
  const IssueCase& expected = GetParam();
  CoastdownTest test = GoodTest();
  expected.spoil(test);
  const IntervalResult result = AnalyseIntervals(test.runs, test.conditions, test.settings);
  const auto found = std::find_if(result.issues.begin(), result.issues.end(), [&](const IntervalIssue& issue) {
    return issue.kind == expected.kind && issue.run == expected.run && issue.referenceKmh == expected.referenceKmh;
  });
  ASSERT_NE(found, result.issues.end()) << "issues: " << result.issues.size();
  EXPECT_EQ(found->message, expected.message);
  EXPECT_EQ(result.usable, expected.usable);
}

const IssueCase kCases[] = {
    {"RunStartingBelowAnInterval",
     [](CoastdownTest& t) {
       auto& speeds = t.runs[2].speedKmh;
       speeds.erase(speeds.begin(), std::find_if(speeds.begin(), speeds.end(), [](double v) { return v < 128.0; }));
     },
     IntervalIssueKind::NotSpanned, 3, 130.0,
     "DATA.3 does not span the interval of the reference speed 130.0 km/h (135.0 down to 125.0 km/h): its records "
     "start at 127.8 km/h and never fall through 135.0 km/h",
     true},
    {"RunEndingAboveAnInterval",
     [](CoastdownTest& t) {
       auto& speeds = t.runs[3].speedKmh;
       speeds.erase(std::find_if(speeds.begin(), speeds.end(), [](double v) { return v < 16.0; }), speeds.end());
     },
     IntervalIssueKind::NotSpanned, 4, 20.0,
     "DATA.4 does not span the interval of the reference speed 20.0 km/h (25.0 down to 15.0 km/h): its records end "
     "at 16.0 km/h",
     true},
    {"NoRunsInTheEvenHeading", [](CoastdownTest& t) { for (auto& run : t.runs) run.direction = 1; },
     IntervalIssueKind::NoRunsInDirection, 0, std::nullopt,
     "no DATA run in the heading of the even runs: the method needs runs in both directions to pair them", false},
    {"FewerPairsThanTheLeastNumber", [](CoastdownTest& t) { t.runs.resize(4); }, IntervalIssueKind::TooFewPairs, 0, 20.0,
     "at the reference speed 20.0 km/h only 2 pairs of opposite runs span the interval; at least 3 are needed", true},
    {"RecordTimesAtAnotherRate",
     [](CoastdownTest& t) {
       for (std::size_t k = 0; k < t.runs[0].speedKmh.size(); ++k) t.runs[0].timeS.push_back(0.2 * k);
     },
     IntervalIssueKind::RateMismatch, 1, std::nullopt,
     "DATA.1: record 2 is at 0.200 s after the first, but 10 records a second put it at 0.100 s; check the record "
     "rate (--rate)",
     false},
    {"RateTenTimesTooLow", [](CoastdownTest& t) { t.settings.rateHz = 1.0; }, IntervalIssueKind::ImplausibleDeceleration, 1,
     20.0,
     "DATA.1 decelerates at 0.011 m/s² through the interval of the reference speed 20.0 km/h at 1 records a second, "
     "which no coasting vehicle does; check the record rate (--rate), or reject the run if it was braked",
     false},
    // 10·F(130 km/h)/(m_av + m_r) = 10·796.5/1524.25 = 5.226 m/s², a little
    // less as the harmonic mean over 125 to 135 km/h.
    {"RateTenTimesTooHigh", [](CoastdownTest& t) { t.settings.rateHz = 100.0; }, IntervalIssueKind::ImplausibleDeceleration, 2,
     130.0,
     "DATA.2 decelerates at 5.221 m/s² through the interval of the reference speed 130.0 km/h at 100 records a "
     "second, which no coasting vehicle does; check the record rate (--rate), or reject the run if it was braked",
     false},
    {"RunWithoutPartner", [](CoastdownTest& t) { t.runs.resize(7); }, IntervalIssueKind::Unpaired, 7, std::nullopt,
     "DATA.7 has no run of the opposite heading after it to pair with and is not used", true},
    {"RunRejectedByTheTester", [](CoastdownTest& t) { t.conditions.rejections.push_back({6, "brake touched at 62 km/h"}); },
     IntervalIssueKind::RunRejected, 6, std::nullopt,
     "DATA.6 is rejected (brake touched at 62 km/h) and with it the pair DATA.5 and DATA.6", true},
    {"MorePairsRejectedThanTheShare",
     [](CoastdownTest& t) {
       t.conditions.rejections.push_back({1, "gear engaged"});
       t.conditions.rejections.push_back({4, "traffic"});
     },
     IntervalIssueKind::TooManyRejected, 0, std::nullopt,
     "2 of 4 pairs are rejected, more than the share of 33.3 % that may be", true},
    {"NoMass", [](CoastdownTest& t) { t.conditions.averageMassKg = 0.0; }, IntervalIssueKind::BadSetting, 0, std::nullopt,
     "the mean vehicle mass m_av must be above 0 kg", false},
};

INSTANTIATE_TEST_SUITE_P(BadInput, IntervalIssues, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return info.param.name; });

// A good test raises no issue at all, and a rejected run's pair counts
// nowhere while the others still give the road load.
TEST(IntervalIssuesBaseline, AGoodTestRaisesNoIssueAndARejectedPairCountsNowhere) {
  CoastdownTest test = GoodTest();
  IntervalResult result = AnalyseIntervals(test.runs, test.conditions, test.settings);
  EXPECT_TRUE(result.issues.empty()) << result.issues.front().message;
  EXPECT_TRUE(result.usable);
  EXPECT_TRUE(result.meetsAccuracy);

  test.conditions.rejections.push_back({6, "brake touched"});
  result = AnalyseIntervals(test.runs, test.conditions, test.settings);
  ASSERT_EQ(result.pairs.size(), 4u);
  EXPECT_TRUE(result.pairs[2].rejected);
  EXPECT_EQ(result.pairs[2].reason, "DATA.6: brake touched");
  for (const ReferenceSpeedResult& speed : result.speeds) EXPECT_EQ(speed.pairs, 3);
  EXPECT_TRUE(result.usable);
}

// The reference speeds are the whole 10 km/h steps whose ±5 km/h interval
// lies inside the tested range, never beyond the regulation's 20 to 130.
TEST(IntervalIssuesBaseline, ReferenceSpeedsInsideTheTestedRange) {
  const struct {
    double low, high, first, last;
  } rows[] = {{15.0, 135.0, 20.0, 130.0}, {17.0, 135.0, 30.0, 130.0}, {15.0, 134.9, 20.0, 120.0},
              {10.0, 160.0, 20.0, 130.0}, {24.0, 96.0, 30.0, 90.0}};
  for (const auto& row : rows) {
    const std::vector<double> speeds = ReferenceSpeeds(WithinTestedRange(IntervalSettings(), row.low, row.high));
    ASSERT_FALSE(speeds.empty());
    EXPECT_EQ(speeds.front(), row.first) << row.low << " to " << row.high;
    EXPECT_EQ(speeds.back(), row.last) << row.low << " to " << row.high;
  }
}

}  // namespace
