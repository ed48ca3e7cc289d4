// Pairs, harmonic means and the statistical accuracy.
#include "methods/ReferenceSpeedStatistics.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "common/LeastSquares.h"
#include "common/NumberText.h"
#include "methods/IntervalTimes.h"

namespace {

std::string Kmh(double speedKmh) { return FormatFixed(speedKmh, "0.0") + " km/h"; }

const RunRejection* FindRejection(const std::vector<RunRejection>& rejections, int run) {
  const auto found = std::find_if(rejections.begin(), rejections.end(),
                                  [run](const RunRejection& rejection) { return rejection.run == run; });
  return found == rejections.end() ? nullptr : &*found;
}

// The pair's time at each reference speed where both runs span the interval:
// the harmonic mean 2/(1/Δt_a + 1/Δt_b).
void PairTimes(const RunIntervals& first, const RunIntervals& second, IntervalPair& pair) {
  pair.seconds.assign(first.intervals.size(), std::nullopt);
  if (pair.rejected) return;
  for (std::size_t j = 0; j < first.intervals.size(); ++j) {
    const IntervalCrossing& a = first.intervals[j];
    const IntervalCrossing& b = second.intervals[j];
    if (a.spanned && b.spanned) pair.seconds[j] = 2.0 / (1.0 / a.seconds + 1.0 / b.seconds);
  }
}

}  // namespace

std::vector<IntervalPair> PairRuns(const std::vector<RunIntervals>& runs, const std::vector<RunRejection>& rejections,
                                   std::size_t referenceCount, std::vector<IntervalIssue>& issues) {
  std::vector<IntervalPair> pairs;
  const bool anyOdd = std::any_of(runs.begin(), runs.end(), [](const RunIntervals& r) { return r.direction > 0; });
  const bool anyEven = std::any_of(runs.begin(), runs.end(), [](const RunIntervals& r) { return r.direction < 0; });
  if (!anyOdd || !anyEven) {
    issues.push_back({IntervalIssueKind::NoRunsInDirection, 0, std::nullopt,
                      std::string("no DATA run in the heading of the ") + (anyOdd ? "even" : "odd") +
                          " runs: the method needs runs in both directions to pair them"});
    return pairs;
  }
  std::vector<const RunIntervals*> ordered;
  ordered.reserve(runs.size());
  for (const RunIntervals& run : runs) ordered.push_back(&run);
  std::sort(ordered.begin(), ordered.end(),
            [](const RunIntervals* a, const RunIntervals* b) { return a->run < b->run; });
  std::size_t k = 0;
  while (k < ordered.size()) {
    const RunIntervals& first = *ordered[k];
    if (k + 1 < ordered.size() && ordered[k + 1]->direction == -first.direction) {
      const RunIntervals& second = *ordered[k + 1];
      IntervalPair pair;
      pair.firstRun = first.run;
      pair.secondRun = second.run;
      for (const int run : {first.run, second.run}) {
        if (const RunRejection* rejection = FindRejection(rejections, run); rejection != nullptr && !pair.rejected) {
          pair.rejected = true;
          pair.reason = RunName(run) + ": " + rejection->reason;
          issues.push_back({IntervalIssueKind::RunRejected, run, std::nullopt,
                            RunName(run) + " is rejected (" + rejection->reason + ") and with it the pair " +
                                RunName(first.run) + " and " + RunName(second.run)});
        }
      }
      PairTimes(first, second, pair);
      pair.seconds.resize(referenceCount);
      pairs.push_back(std::move(pair));
      k += 2;
      continue;
    }
    issues.push_back({IntervalIssueKind::Unpaired, first.run, std::nullopt,
                      RunName(first.run) + " has no run of the opposite heading after it to pair with and is not used"});
    ++k;
  }
  return pairs;
}

std::vector<ReferenceSpeedResult> SummarisePairs(const std::vector<double>& referenceKmh,
                                                 const std::vector<IntervalPair>& pairs,
                                                 const IntervalSettings& settings, std::vector<IntervalIssue>& issues) {
  std::vector<ReferenceSpeedResult> speeds;
  for (std::size_t j = 0; j < referenceKmh.size(); ++j) {
    ReferenceSpeedResult speed;
    speed.speedKmh = referenceKmh[j];
    std::vector<double> times;
    for (const IntervalPair& pair : pairs)
      if (pair.seconds[j]) times.push_back(*pair.seconds[j]);
    const int n = static_cast<int>(times.size());
    speed.pairs = n;
    if (n > 0) {
      double reciprocal = 0.0;
      for (const double t : times) reciprocal += 1.0 / t;
      speed.meanSeconds = static_cast<double>(n) / reciprocal;
    }
    if (n > 1) {
      double squares = 0.0;
      for (const double t : times) squares += (t - *speed.meanSeconds) * (t - *speed.meanSeconds);
      speed.sigmaSeconds = std::sqrt(squares / static_cast<double>(n - 1));
      const auto table = regulation::CoefficientH(n);
      if (settings.coefficientSource == CoefficientSource::RegulationTable && table) {
        speed.h = *table;
        speed.hFromTable = true;
      } else {
        speed.h = StudentTQuantile(0.95, static_cast<double>(n - 1));
        if (settings.coefficientSource == CoefficientSource::RegulationTable)
          issues.push_back({IntervalIssueKind::BeyondTable, 0, speed.speedKmh,
                            "at " + Kmh(speed.speedKmh) + " there are " + std::to_string(n) +
                                " pairs, beyond the regulation's table of h (3 to 15 pairs): h is Student's t, " +
                                FormatFixed(*speed.h, "0.000")});
      }
      speed.accuracyPercent = *speed.h * *speed.sigmaSeconds / (std::sqrt(static_cast<double>(n)) * *speed.meanSeconds) * 100.0;
    }
    if (n < settings.leastPairs) {
      issues.push_back({IntervalIssueKind::TooFewPairs, 0, speed.speedKmh,
                        "at the reference speed " + Kmh(speed.speedKmh) + " only " + std::to_string(n) +
                            " pair" + (n == 1 ? "" : "s") + " of opposite runs span the interval; at least " +
                            std::to_string(settings.leastPairs) + " are needed"});
    } else if (speed.accuracyPercent && *speed.accuracyPercent > settings.accuracyLimitPercent) {
      issues.push_back({IntervalIssueKind::AccuracyExceeded, 0, speed.speedKmh,
                        "at the reference speed " + Kmh(speed.speedKmh) + " the statistical accuracy p is " +
                            FormatFixed(*speed.accuracyPercent, "0.00") + " %, above its limit of " +
                            FormatFixed(settings.accuracyLimitPercent, "0.00") + " %: more pairs are needed"});
    }
    speed.accurate = n >= settings.leastPairs && speed.accuracyPercent &&
                     *speed.accuracyPercent <= settings.accuracyLimitPercent;
    speeds.push_back(speed);
  }
  return speeds;
}
