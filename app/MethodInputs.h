// What the options give a method on the calibrated records beyond the ten
// fields: the records' rate, the wind beside the track in m/s (its file read
// here, so that a file that cannot be read ends the run before the analysis
// starts), the yaw curve's file and --no-anemometer. The pipeline adds the
// test's own conditions.
#pragma once

#include "methods/AnalysisMethod.h"
#include "methods/MethodOptions.h"

// After the unit factors are set (--si): the wind's speed is in the run
// files' speed unit.
MethodConditions MethodInputsFromOptions(const MethodOptions& options);

// The records a one-second sample of the record and the page is formed from
// at `rateHz`: the rate, or the nearest whole number for one that is not
// (two at the least, which the reduction to samples needs).
int SampleRecords(double rateHz);
