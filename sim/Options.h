// The command line of coastdown-sim: `--name value` (or `--name=value`)
// options on top of a scenario, checked for physical sense before anything
// is simulated.
#pragma once

#include <stdexcept>
#include <string>
#include <vector>

#include "Config.h"

namespace sim {

// A command line the simulator cannot act on; main reports it with exit
// status 2.
class UsageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

inline constexpr const char* kDefaultScenario = "light-wind";

struct ParsedOptions {
  bool help = false;
  SimConfig config;
};

// Parses the arguments after the program name. --help anywhere wins over
// everything else; otherwise the scenario is applied first and the other
// options in their order, the last of a repeated option counting. Throws
// UsageError.
ParsedOptions ParseOptions(const std::vector<std::string>& args);

// Range and consistency checks of a whole configuration; throws UsageError
// naming the option to change.
void Validate(const SimConfig& config);

// One parameter of the test as truth.txt records it: its value and unit,
// or what stands in for an unset value.
struct Parameter {
  std::string name;  // the option's name without "--"
  std::string text;
};

// Every option that shapes the test, in the order --help lists them; the
// options that only say where and how to write are left out.
std::vector<Parameter> Parameters(const SimConfig& config);

std::string HelpText();

}  // namespace sim
