// Coastdown times through the reference speeds' intervals.
#include "methods/IntervalTimes.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <string>

#include "common/NumberText.h"

namespace {

std::string Kmh(double speedKmh) { return FormatFixed(speedKmh, "0.0") + " km/h"; }

// The shortest text that reads back as the value ("10", "12.5").
std::string Shortest(double value) {
  std::array<char, 32> text{};
  const auto end = std::to_chars(text.data(), text.data() + text.size(), value).ptr;
  return std::string(text.data(), end);
}

// Record times of the source must be k/rate after the first record; a source
// whose clock runs at another rate than the one given scales every
// coastdown time.
void CheckRecordTimes(const IntervalRun& run, const IntervalSettings& settings, std::vector<IntervalIssue>& issues) {
  if (run.timeS.empty()) return;
  if (run.timeS.size() != run.speedKmh.size()) {
    issues.push_back({IntervalIssueKind::RateMismatch, run.number, std::nullopt,
                      RunName(run.number) + " has " + std::to_string(run.timeS.size()) + " record times for " +
                          std::to_string(run.speedKmh.size()) + " records"});
    return;
  }
  for (std::size_t k = 1; k < run.timeS.size(); ++k) {
    const double expected = static_cast<double>(k) / settings.rateHz;
    const double found = run.timeS[k] - run.timeS[0];
    if (std::fabs(found - expected) > settings.timeToleranceS) {
      issues.push_back({IntervalIssueKind::RateMismatch, run.number, std::nullopt,
                        RunName(run.number) + ": record " + std::to_string(k + 1) + " is at " +
                            FormatFixed(found, "0.000") + " s after the first, but " +
                            Shortest(settings.rateHz) + " records a second put it at " +
                            FormatFixed(expected, "0.000") + " s; check the record rate (--rate)"});
      return;
    }
  }
}

std::string NotSpannedMessage(const IntervalRun& run, double referenceKmh, double upperKmh, double lowerKmh,
                              bool fellThroughUpper) {
  std::string text = RunName(run.number) + " does not span the interval of the reference speed " +
                     Kmh(referenceKmh) + " (" + FormatFixed(upperKmh, "0.0") + " down to " +
                     FormatFixed(lowerKmh, "0.0") + " km/h): ";
  if (run.speedKmh.empty()) return text + "it has no records";
  if (!fellThroughUpper)
    return text + "its records start at " + Kmh(run.speedKmh.front()) + " and never fall through " + Kmh(upperKmh);
  return text + "its records end at " + Kmh(run.speedKmh.back());
}

}  // namespace

std::string RunName(int run) { return "DATA." + std::to_string(run); }

std::vector<double> ReferenceSpeeds(const IntervalSettings& settings) {
  std::vector<double> speeds;
  if (!(settings.referenceStepKmh > 0.0)) return speeds;
  // Counted in steps from the lowest, so that 20 + 11·10 is exactly 130.
  for (int k = 0;; ++k) {
    const double speed = settings.lowestReferenceKmh + k * settings.referenceStepKmh;
    if (speed > settings.highestReferenceKmh + 1e-9) break;
    speeds.push_back(speed);
  }
  return speeds;
}

IntervalSettings WithinTestedRange(IntervalSettings settings, double lowestTestedKmh, double highestTestedKmh) {
  if (!(settings.referenceStepKmh > 0.0)) return settings;
  // A hair of tolerance, so that 15 + 5 is taken as the whole step 20.
  constexpr double kHair = 1e-9;
  const double step = settings.referenceStepKmh;
  const double lowest = std::ceil((lowestTestedKmh + settings.halfWidthKmh) / step - kHair) * step;
  const double highest = std::floor((highestTestedKmh - settings.halfWidthKmh) / step + kHair) * step;
  settings.lowestReferenceKmh = std::max(settings.lowestReferenceKmh, lowest);
  settings.highestReferenceKmh = std::min(settings.highestReferenceKmh, highest);
  return settings;
}

std::optional<SpeedCrossing> PassageThrough(const std::vector<double>& speedKmh, double levelKmh, double belowKmh,
                                            std::size_t from, double rateHz) {
  const auto fall = [&](std::size_t k) {
    const double above = speedKmh[k];
    const double below = speedKmh[k + 1];
    return (static_cast<double>(k) + (above - levelKmh) / (above - below)) / rateHz;
  };
  std::optional<SpeedCrossing> first;
  double last = 0.0;
  for (std::size_t k = from; k + 1 < speedKmh.size(); ++k) {
    if (first && speedKmh[k] >= belowKmh && speedKmh[k + 1] < belowKmh) break;
    if (speedKmh[k] >= levelKmh && speedKmh[k + 1] < levelKmh) {
      if (!first) first = SpeedCrossing{k, fall(k)};
      last = fall(k);
    }
  }
  if (first) first->timeS = (first->timeS + last) / 2.0;
  return first;
}

RunIntervals MeasureIntervals(const IntervalRun& run, const std::vector<double>& referenceKmh,
                              const IntervalSettings& settings, bool checkDeceleration,
                              std::vector<IntervalIssue>& issues) {
  CheckRecordTimes(run, settings, issues);
  RunIntervals result{run.number, run.direction, {}};
  for (const double reference : referenceKmh) {
    const double upper = reference + settings.halfWidthKmh;
    const double lower = reference - settings.halfWidthKmh;
    IntervalCrossing crossing;
    const auto top = PassageThrough(run.speedKmh, upper, lower, 0, settings.rateHz);
    const auto bottom = top ? PassageThrough(run.speedKmh, lower, lower - 2.0 * settings.halfWidthKmh, top->record,
                                             settings.rateHz)
                            : std::nullopt;
    if (!top || !bottom) {
      issues.push_back({IntervalIssueKind::NotSpanned, run.number, reference,
                        NotSpannedMessage(run, reference, upper, lower, top.has_value())});
      result.intervals.push_back(crossing);
      continue;
    }
    crossing.spanned = true;
    crossing.upperTimeS = top->timeS;
    crossing.lowerTimeS = bottom->timeS;
    crossing.seconds = bottom->timeS - top->timeS;
    result.intervals.push_back(crossing);
    // The mean deceleration through the interval, m/s².
    const double deceleration = (2.0 * settings.halfWidthKmh / regulation::kKmhPerMs) / crossing.seconds;
    if (checkDeceleration &&
        (deceleration > settings.mostDecelerationMs2 || deceleration < settings.leastDecelerationMs2)) {
      issues.push_back({IntervalIssueKind::ImplausibleDeceleration, run.number, reference,
                        RunName(run.number) + " decelerates at " + FormatFixed(deceleration, "0.000") +
                            " m/s² through the interval of the reference speed " + Kmh(reference) + " at " +
                            Shortest(settings.rateHz) + " records a second, which no coasting vehicle does"
                            "; check the record rate (--rate), or reject the run if it was braked"});
    }
  }
  return result;
}
