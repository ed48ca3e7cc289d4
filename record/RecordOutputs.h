// The record written out: the JSON document of the whole analysis, and the
// one-second samples as CSV. Both are described field by field in the README.
#pragma once

#include <string>

#include "record/AnalysisRecord.h"

namespace record {

std::string RecordJson(const AnalysisRecord& record);

// A header row, then one row per one-second sample of every set.
std::string SamplesCsv(const AnalysisRecord& record);

}  // namespace record
