// The run-file format coastdown reads: one record per line,
// "vehicle speed,relative wind speed,relative yaw" in mph, mph and degrees,
// six decimals, CR LF line ends, no header.
#pragma once

#include <string>
#include <vector>

#include "Runs.h"

namespace sim {

std::string RunFileText(const std::vector<Record>& records);

// Writes `text` to `path` as is (binary, so CR LF stays CR LF); throws
// std::runtime_error naming the file when it cannot.
void WriteFileExactly(const std::string& path, const std::string& text);

// Deletes every ZERO.n, CAL.n and DATA.n in `folder`. The analysis reads a
// set up to its first missing number, so files left from a larger earlier
// test would otherwise join the new one.
void RemoveRunFiles(const std::string& folder);

}  // namespace sim
