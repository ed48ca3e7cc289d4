// Named starting points for a test. A scenario only sets values; options
// given on the command line are applied after it and win.
#pragma once

#include <string>
#include <vector>

#include "Config.h"

namespace sim {

struct ScenarioInfo {
  const char* name;
  const char* summary;
};

// Every scenario in the order --help lists them.
const std::vector<ScenarioInfo>& Scenarios();

// The configuration of scenario `name` (seed, output folder and the like
// left at their defaults). False when there is no such scenario.
bool ScenarioConfig(const std::string& name, SimConfig& config);

}  // namespace sim
