// The HTML page of one analysis: a single self-contained file with the
// results, the checks and the plots of the test, drawn from its record.
#pragma once

#include <string>
#include <string_view>

#include "record/AnalysisRecord.h"
#include "record/RecordOutputs.h"

namespace html {

// The page, handed to `write` a few figures at a time. `truthText` is the
// text of a simulator's truth.txt found in the test folder, or empty.
void WriteHtmlPage(const record::AnalysisRecord& record, std::string_view truthText, const record::OutputSink& write);
// The same whole.
std::string HtmlPage(const record::AnalysisRecord& record, std::string_view truthText);

}  // namespace html
