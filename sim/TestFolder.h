// Writing one whole simulated test folder: the run files, truth.txt and
// COMMAND.
#pragma once

#include <string>

#include "Config.h"

namespace sim {

// Simulates the test of `config` and writes it into config.outDir (created
// when missing). Returns the coastdown argument text. Throws
// std::runtime_error when the folder cannot be written or a coastdown does
// not end.
std::string WriteTestFolder(const SimConfig& config);

}  // namespace sim
