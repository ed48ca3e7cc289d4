// The record written out: the JSON document of the whole analysis, and the
// one-second samples as CSV. Both are described field by field in the README.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "record/AnalysisRecord.h"

namespace record {

// Takes the text of an output part by part, in order: an output of tens of
// thousands of samples is handed on as it is made rather than held whole.
using OutputSink = std::function<void(std::string_view)>;

std::string RecordJson(const AnalysisRecord& record);

// A header row, then one row per one-second sample of every set; handed to
// `write` in parts of some 64 kB.
void WriteSamplesCsv(const AnalysisRecord& record, const OutputSink& write);
// The same whole.
std::string SamplesCsv(const AnalysisRecord& record);

}  // namespace record
