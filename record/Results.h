// What the record works out itself from the fit once the run is over: the
// force and residual of every DATA sample, the fit's uncertainty, the mean
// wind its samples met, and the corrected results in the units of each
// system with their 95 % intervals.
#pragma once

#include "record/AnalysisRecord.h"

namespace record {

// Fills the samples' forces and residuals, `uncertainty`, `meanWindSpeed`
// and `results` of a record whose fit delivered coefficients; a record
// without them is left as it is.
void DeriveResults(AnalysisRecord& record);

// `results` and the still-air road load of `uncertainty` from the
// coefficients m0 m1 m2 a0 … a4 at test conditions of `fit` and
// `uncertainty`'s statistics of them (the fit's, or a method's in its
// place), in every unit.
void CorrectedResults(AnalysisRecord& record, const FitRecord& fit);

}  // namespace record
