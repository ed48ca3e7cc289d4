// The inputs and results of the reference-speed interval method (the
// coastdown method of UN GTR No. 15 Annex 4 and EU 2017/1151 Sub-Annex 4) as
// plain data. Speeds are in km/h as the regulation states them, everything
// else in SI; a value the data leave open is an empty optional, never a NaN.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "methods/RegulationConstants.h"

// One DATA run: the vehicle speed of every record, in order.
struct IntervalRun {
  int number = 0;     // n of DATA.n
  int direction = 0;  // +1 for the odd runs' heading, −1 for the even runs'
  std::vector<double> speedKmh;
  // The source's own time of every record, s, when it has one; empty when the
  // time is implied by the rate (record k at k/rate).
  std::vector<double> timeS;
  // Mean wind along the track that this run met head-on (m/s, positive
  // against the run), from an anemometer beside the track.
  std::optional<double> alongTrackWindMs;
};

// A run the tester rejects because something affected the road load during
// it (a brake touch, traffic, a gear engaged); its pair goes with it.
struct RunRejection {
  int run = 0;
  std::string reason;
};

// Where h comes from: the regulation's table (the exact Student t beyond
// it), or the exact Student t quantile throughout.
enum class CoefficientSource { RegulationTable, StudentT };

// How the reference speeds' forces are weighed in the fit of f0, f1, f2.
enum class FitWeighting {
  // Every reference speed alike, as the regulation's least squares (2.4).
  Unweighted,
  // Each force by the inverse of its variance, under the model that the pairs
  // scatter by the same relative amount at every reference speed.
  InverseVariance,
};

struct IntervalSettings {
  double rateHz = regulation::kLeastRateHz;
  double lowestReferenceKmh = regulation::kLowestReferenceKmh;
  double highestReferenceKmh = regulation::kHighestReferenceKmh;
  double referenceStepKmh = regulation::kReferenceStepKmh;
  double halfWidthKmh = regulation::kHalfWidthKmh;
  double accuracyLimitPercent = regulation::kAccuracyLimitPercent;
  int leastPairs = regulation::kLeastPairs;
  CoefficientSource coefficientSource = CoefficientSource::RegulationTable;
  FitWeighting weighting = FitWeighting::Unweighted;
  double confidence = 0.95;  // of the coefficients' intervals
  double k0PerKelvin = regulation::kK0PerKelvin;
  double referenceTemperatureC = regulation::kReferenceTemperatureC;
  double referencePressureKPa = regulation::kReferencePressureKPa;
  double mostRejectedShare = regulation::kMostRejectedShare;
  // A mean deceleration through an interval outside these bounds is no
  // coastdown at the given rate (a wrong rate scales every deceleration).
  double leastDecelerationMs2 = 0.02;
  double mostDecelerationMs2 = 3.0;
  // Largest difference between a source's own record times and k/rate, s.
  double timeToleranceS = 0.002;
  // The limits the method's checks hold the test to (they judge the test,
  // the analysis does not use them).
  double leastRateHz = regulation::kLeastRateHz;
  double meanWindLimitMs = regulation::kMeanWindLimitMs;
  double gustLimitMs = regulation::kGustLimitMs;
  double crossWindLimitMs = regulation::kCrossWindLimitMs;
  double lowestTemperatureC = regulation::kLowestTemperatureC;
  double highestTemperatureC = regulation::kHighestTemperatureC;
};

// The test's masses and conditions.
struct IntervalConditions {
  double averageMassKg = 0.0;             // m_av, mean of the weighings before and after
  std::optional<double> testMassKg;       // TM, the mass the road load is wanted for
  double rotatingMassKg = 0.0;            // m_r
  std::optional<double> temperatureC;     // mean atmospheric temperature
  std::optional<double> pressureKPa;      // mean atmospheric pressure
  std::vector<RunRejection> rejections;
};

// What the data do to the analysis, as data the caller prints.
enum class IntervalIssueKind {
  BadSetting,              // a setting out of its range
  NoReferenceSpeed,        // no reference speed inside the range
  RateMismatch,            // record times that do not match the rate
  ImplausibleDeceleration, // a deceleration no coasting vehicle shows
  NotSpanned,              // a run that does not span an interval
  NoRunsInDirection,       // a heading without runs
  Unpaired,                // a run without an opposite run to pair with
  RunRejected,             // a run rejected by the tester, with its pair
  TooManyRejected,         // more rejected pairs than the share allows
  TooFewPairs,             // fewer pairs at a reference speed than the least number
  BeyondTable,             // h taken from Student's t beyond the table
  AccuracyExceeded,        // p above its limit at a reference speed
  FitFailed,               // f0, f1, f2 could not be determined
  IntervalOpen,            // the coefficients' intervals cannot be formed
};

struct IntervalIssue {
  IntervalIssueKind kind = IntervalIssueKind::BadSetting;
  int run = 0;                         // 0 when no single run is concerned
  std::optional<double> referenceKmh;  // when one reference speed is concerned
  std::string message;
};

// One run through one reference speed's interval.
struct IntervalCrossing {
  bool spanned = false;
  double upperTimeS = 0.0;  // when the run passed v + Δv
  double lowerTimeS = 0.0;  // when it passed v − Δv
  double seconds = 0.0;     // the coastdown time Δt
};

struct RunIntervals {
  int run = 0;
  int direction = 0;
  std::vector<IntervalCrossing> intervals;  // one per reference speed
};

// Two runs of opposite headings.
struct IntervalPair {
  int firstRun = 0;
  int secondRun = 0;
  bool rejected = false;
  std::string reason;
  // Harmonic mean of the two runs' times per reference speed; empty where the
  // pair does not count (rejected, or a run that does not span the interval).
  std::vector<std::optional<double>> seconds;
};

// The statistics and the force at one reference speed.
struct ReferenceSpeedResult {
  double speedKmh = 0.0;
  int pairs = 0;                          // n
  std::optional<double> meanSeconds;      // Δt_p, harmonic mean over the pairs
  std::optional<double> sigmaSeconds;     // σ of the pairs' times
  std::optional<double> h;
  bool hFromTable = false;
  std::optional<double> accuracyPercent;  // p
  bool accurate = false;                  // p within its limit and n ≥ the least number
  std::optional<double> forceN;           // F at the mean mass
  std::optional<double> forceStdErrN;     // from the pairs' scatter
  std::optional<double> fittedN;          // the fitted curve at this speed
};

// f0 (N), f1 (N/(km/h)), f2 (N/(km/h)²) with their covariance and intervals.
struct RoadLoadCoefficients {
  bool solved = false;
  std::array<double, 3> value{};
  std::optional<std::array<double, 9>> covariance;  // row-major
  std::optional<double> degreesOfFreedom;
  std::optional<double> studentT;
  std::optional<std::array<double, 3>> halfWidth;   // of the confidence interval
  // What the regulation's definition adds to the coefficients: a force from
  // 2Δv/Δt is the harmonic mean of the road load over v ± Δv, not the road
  // load at v. Taken from the fitted curve itself (its harmonic mean over each
  // interval less its value at the reference speed, fitted alike); shown, not
  // subtracted.
  std::optional<std::array<double, 3>> averagingBias;
};

// One correction of 4.5, its value and why it was or was not applied.
struct IntervalCorrection {
  std::string name;   // "w1", "K1", "K0", "K2"
  std::optional<double> value;
  bool applied = false;
  std::string note;
};

struct IntervalResult {
  std::vector<double> referenceKmh;
  std::vector<RunIntervals> runs;
  std::vector<IntervalPair> pairs;
  std::vector<ReferenceSpeedResult> speeds;
  RoadLoadCoefficients atTest;     // at test conditions, mean mass m_av
  std::vector<IntervalCorrection> corrections;
  RoadLoadCoefficients corrected;  // at reference conditions and the test mass
  std::vector<IntervalIssue> issues;
  // f0, f1, f2 were determined (with whatever issues).
  bool usable = false;
  // Every reference speed has the least number of pairs and p within its limit.
  bool meetsAccuracy = false;
};
