// What the record works out from the method that ran, once the run is over:
// the method-neutral section (coefficients with intervals, the still-air
// road load at the method's reference conditions, notes), the results of a
// method other than the specified fit, its checks, and the specified
// analysis' road load beside another method's.
#pragma once

#include <vector>

#include "record/AnalysisRecord.h"

struct MethodResult;

namespace record {

// The coefficients a method on the calibrated records delivered, with their
// standard errors from its covariance, into the method-neutral section.
void KeepMethodCoefficients(AnalysisRecord& record, const MethodResult& result);

// The method-neutral section from whatever ran: the specified fit's
// coefficients and road load, or the interval method's f0, f1, f2 (which
// then are the record's results, with the samples of the runs it used).
void DeriveMethodResults(AnalysisRecord& record);

// The interval method's checks as the record lists them; not applicable
// when the method gave no result.
std::vector<CheckRecord> MethodChecks(const AnalysisRecord& record);

// The still-air road load of the specified analysis (`legacy`, a record of
// it run on the same test) beside the method's at every 10 mph where both
// have one, each at 20 °C and 98.21 kPa; the specified analysis' Amech,
// Bmech, Ctotl and Cd.
void CompareWithLegacy(AnalysisRecord& record, const AnalysisRecord& legacy);

}  // namespace record
