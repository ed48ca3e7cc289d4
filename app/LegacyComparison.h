// The specified analysis run beside another method on the same test, so
// that the record and the page can set its road load beside the method's:
// its own record, no report, and nothing it finds ends the run.
#pragma once

#include <string>
#include <vector>

#include "app/ProgramOptions.h"
#include "record/AnalysisRecord.h"

// Runs the specified analysis on the test of `fields` and fills `record`'s
// legacy comparison; an error there is the comparison's, said in its `why`.
void AddLegacyComparison(record::AnalysisRecord& record, const std::vector<std::string>& fields,
                         const ProgramOptions& options);
