// The record's parts of the analysis methods as JSON: `method` (always),
// `intervals` (when the interval method ran) and `legacy_comparison` (when
// the specified analysis ran beside another method). The README describes
// every field.
#pragma once

#include "record/AnalysisRecord.h"
#include "record/JsonWriter.h"

namespace record {

void WriteMethodParts(JsonWriter& json, const AnalysisRecord& record);

}  // namespace record
