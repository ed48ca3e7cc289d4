// What the program tells the user besides the report, from the finished
// record: a warning for each way the data silently changed what was
// analysed, and the cause of an error that ended the run in the user's terms.
#pragma once

#include <string>
#include <vector>

#include "record/AnalysisRecord.h"

class RuntimeError;

namespace record {

// The warnings, in the order they are printed; none when the test folder
// was not found (the error says so). Reads the record's checks.
std::vector<std::string> Warnings(const AnalysisRecord& record);

// A detail for `error`, which ended the run, naming its cause in the user's
// terms when the record knows it; otherwise the error's own detail.
std::string Explanation(const AnalysisRecord& record, const RuntimeError& error);

// A detail for the record's reportError, which stopped the report of a run
// that went on to its end, in the user's terms.
std::string ReportExplanation(const AnalysisRecord& record);

}  // namespace record
