// Helpers for the simulator's tests beside the shared ones: the program run
// in-process as a user runs it, and configurations from options.
#pragma once

#include <optional>
#include <sstream>
#include <string>

#include "App.h"
#include "Options.h"
#include "tests/TestSupport.h"

namespace simtest {

struct Outcome {
  int status;
  std::string out;
  std::string err;
};

// The program run on the words of `args`.
inline Outcome RunSim(const std::string& args) {
  std::ostringstream out, err;
  const int status = sim::RunSimulator(testsupport::Words(args), out, err);
  return {status, out.str(), err.str()};
}

// The configuration the options make, with instruments that read the truth
// when `perfect`.
inline sim::SimConfig Config(const std::string& options, bool perfect = false) {
  sim::SimConfig c = sim::ParseOptions(testsupport::Words("--out x " + options)).config;
  if (perfect) {
    c.anemometer = {1.0, 0.0, 0.0, std::nullopt, std::nullopt, 0.0, 0.0};
    c.speedNoiseMph = 0.0;
  }
  return c;
}

}  // namespace simtest
