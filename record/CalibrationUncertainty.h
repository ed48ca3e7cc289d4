// How uncertain the calibrated quantities are that every DATA sample was
// formed with, from the test's own runs: the anemometer's gain Ka and yaw
// offset from what each pair of CAL runs alone would give, and the ZERO yaw
// offset from its pairs of runs; and how the final fit moves with each.
#pragma once

#include <string>
#include <vector>

#include "record/AnalysisRecord.h"
#include "record/FitStatistics.h"

namespace record {

// The mean of the used one-second samples of one run of a set.
struct RunMean {
  int run = 0;
  int direction = 0;  // +1 odd runs, -1 even runs
  double V = 0.0, Vr = 0.0, Y = 0.0;  // m/s, m/s, degrees (as the calibration saw them)
  long samples = 0;
};

// The runs of `set` in the record, from their used samples.
std::vector<RunMean> RunMeans(const AnalysisRecord& record, SetKind set);

// A quantity that each pair of opposite runs estimates on its own: the
// weighted mean over the pairs, its standard uncertainty from their
// scatter and the degrees of freedom (pairs − 1). `why` when there is none.
struct PairEstimate {
  double value = kNone;
  double standardUncertainty = kNone;
  double dof = kNone;
  long pairs = 0;
  std::string why;
};

// The gain Ka at which the head wind of each CAL pair agrees, Ky and k3
// following Ka as the calibration couples them and the yaw offset held.
PairEstimate GainFromPairs(const std::vector<RunMean>& runs, const CalibrationRecord& calibration);
// The yaw offset at which the cross wind of each CAL pair agrees.
PairEstimate YawOffsetFromPairs(const std::vector<RunMean>& runs, const CalibrationRecord& calibration);
// The mean yaw of each pair of ZERO runs.
PairEstimate ZeroOffsetFromPairs(const std::vector<RunMean>& runs);

// The calibrated quantities' contributions to the final fit of `used`
// (the samples of the final fit as the record holds them), put into
// `record.uncertainty.inputs` and combined into its coefficients.
void AddCalibrationUncertainty(AnalysisRecord& record, const std::vector<FitSample>& used, const FitDesign& design);

}  // namespace record
