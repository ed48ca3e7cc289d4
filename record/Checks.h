// The checks of a finished analysis: whether the test and its result lie
// where a road-load determination is trusted. Each names its limit and
// where the limit comes from; a check of a result the run never reached is
// not applicable.
#pragma once

#include <string>
#include <vector>

#include "record/AnalysisRecord.h"

namespace record {

// The checks, in the order the record lists them: directions, mean_wind,
// mean_crosswind, temperature, outliers, road_load_precision, cd_range,
// mechanical_signs, zero_offset, run_file_text, runs_analysed,
// aero_determined, pressure, weight, area, coasting.
std::vector<CheckRecord> Checks(const AnalysisRecord& record);

// A number as a finding or a warning quotes it: up to four significant digits.
std::string ShortNumber(double value);

}  // namespace record
