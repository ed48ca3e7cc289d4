// The interval method, step by step in the order of the regulation.
#include "methods/IntervalMethod.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "common/NumberText.h"
#include "methods/IntervalCorrections.h"
#include "methods/IntervalRoadLoad.h"
#include "methods/IntervalTimes.h"
#include "methods/ReferenceSpeedStatistics.h"

namespace {

// Settings and conditions the method cannot work with.
void CheckSettings(const IntervalConditions& conditions, const IntervalSettings& settings,
                   std::vector<IntervalIssue>& issues) {
  const auto bad = [&](bool failed, const std::string& message) {
    if (failed) issues.push_back({IntervalIssueKind::BadSetting, 0, std::nullopt, message});
  };
  bad(!(settings.rateHz > 0.0 && settings.rateHz <= 1000.0), "the record rate must be above 0 and at most 1000 Hz");
  bad(!(settings.halfWidthKmh > 0.0), "the interval's half-width Δv must be above 0 km/h");
  bad(!(settings.referenceStepKmh > 0.0), "the step between reference speeds must be above 0 km/h");
  bad(!(settings.lowestReferenceKmh - settings.halfWidthKmh >= 0.0),
      "the lowest reference speed must be at least Δv above 0 km/h");
  bad(!(settings.accuracyLimitPercent > 0.0), "the limit of the statistical accuracy must be above 0 %");
  bad(settings.leastPairs < 2, "the least number of pairs must be 2 or more");
  bad(!(settings.confidence > 0.0 && settings.confidence < 1.0), "the confidence must lie between 0 and 1");
  bad(!(conditions.averageMassKg > 0.0), "the mean vehicle mass m_av must be above 0 kg");
  bad(!(conditions.rotatingMassKg >= 0.0), "the rotating mass m_r must not be negative");
  bad(conditions.testMassKg && !(*conditions.testMassKg > 0.0), "the test mass must be above 0 kg");
  bad(conditions.pressureKPa && !(*conditions.pressureKPa > 0.0), "the pressure must be above 0 kPa");
  bad(conditions.temperatureC && !(*conditions.temperatureC > -273.15), "the temperature must be above absolute zero");
}

bool RunIsRejected(const IntervalConditions& conditions, int run) {
  return std::any_of(conditions.rejections.begin(), conditions.rejections.end(),
                     [run](const RunRejection& rejection) { return rejection.run == run; });
}

void CheckRejectedShare(const std::vector<IntervalPair>& pairs, const IntervalSettings& settings,
                        std::vector<IntervalIssue>& issues) {
  const auto rejected = std::count_if(pairs.begin(), pairs.end(), [](const IntervalPair& p) { return p.rejected; });
  if (pairs.empty() || static_cast<double>(rejected) <= settings.mostRejectedShare * static_cast<double>(pairs.size()))
    return;
  issues.push_back({IntervalIssueKind::TooManyRejected, 0, std::nullopt,
                    std::to_string(rejected) + " of " + std::to_string(pairs.size()) +
                        " pairs are rejected, more than the share of " +
                        FormatFixed(settings.mostRejectedShare * 100.0, "0.0") + " % that may be"});
}

}  // namespace

bool IsFatal(IntervalIssueKind kind) {
  switch (kind) {
    case IntervalIssueKind::BadSetting:
    case IntervalIssueKind::NoReferenceSpeed:
    case IntervalIssueKind::RateMismatch:
    case IntervalIssueKind::ImplausibleDeceleration:
    case IntervalIssueKind::NoRunsInDirection:
    case IntervalIssueKind::FitFailed:
      return true;
    default:
      return false;
  }
}

IntervalResult AnalyseIntervals(const std::vector<IntervalRun>& runs, const IntervalConditions& conditions,
                                const IntervalSettings& settings) {
  IntervalResult result;
  CheckSettings(conditions, settings, result.issues);
  if (!result.issues.empty()) return result;

  // 4.3.1.1: the reference speeds.
  result.referenceKmh = ReferenceSpeeds(settings);
  if (result.referenceKmh.empty()) {
    result.issues.push_back({IntervalIssueKind::NoReferenceSpeed, 0, std::nullopt,
                             "no reference speed lies between the lowest and the highest"});
    return result;
  }
  // 4.3.1.4.1: every run's time through every interval.
  for (const IntervalRun& run : runs)
    result.runs.push_back(
        MeasureIntervals(run, result.referenceKmh, settings, !RunIsRejected(conditions, run.number), result.issues));
  // 4.3.1.4.2 and 4.3.1.4.3: pairs, their statistics and rejections.
  result.pairs = PairRuns(result.runs, conditions.rejections, result.referenceKmh.size(), result.issues);
  CheckRejectedShare(result.pairs, settings, result.issues);
  result.speeds = SummarisePairs(result.referenceKmh, result.pairs, settings, result.issues);
  result.meetsAccuracy = !result.speeds.empty() &&
                         std::all_of(result.speeds.begin(), result.speeds.end(),
                                     [](const ReferenceSpeedResult& s) { return s.accurate; });
  // 4.3.1.4.4 and 4.3.1.4.5: forces and the road-load curve.
  const double product = ForceTimeProduct(conditions, settings);
  AddForces(result.speeds, result.pairs, product);
  result.atTest = FitRoadLoad(result.speeds, result.pairs, product, settings, result.issues);
  // 4.5: corrections to the reference conditions.
  CorrectedRoadLoad corrected = CorrectRoadLoad(result.atTest, runs, result.pairs, conditions, settings);
  result.corrections = std::move(corrected.corrections);
  result.corrected = corrected.coefficients;
  result.usable = result.atTest.solved && std::none_of(result.issues.begin(), result.issues.end(),
                                                       [](const IntervalIssue& i) { return IsFatal(i.kind); });
  return result;
}
