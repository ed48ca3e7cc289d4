// Writing one whole simulated test folder: the run files, truth.txt and
// COMMAND.
#pragma once

#include <string>

#include "Config.h"

namespace sim {

// Simulates the test of `config` and writes it into config.outDir (created
// when missing). Returns the coastdown argument text. Throws
// std::runtime_error when the folder holds an earlier test and
// config.force is not set, when it cannot be written, or when a coastdown
// does not end; nothing is written then.
std::string WriteTestFolder(const SimConfig& config);

}  // namespace sim
