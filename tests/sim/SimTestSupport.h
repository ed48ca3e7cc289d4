// Helpers for the simulator's tests beside the shared ones (scratch folders,
// whole-file reads): the program run as a user runs it, and configurations
// from options.
#pragma once

#include <gtest/gtest.h>

#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "App.h"
#include "Options.h"
#include "tests/TestSupport.h"

namespace simtest {

using testsupport::ReadFile;
using testsupport::ScratchDir;

// The words of `text` split at blanks.
inline std::vector<std::string> Words(const std::string& text) {
  std::vector<std::string> words;
  std::istringstream in(text);
  for (std::string w; in >> w;) words.push_back(w);
  return words;
}

struct Outcome {
  int status;
  std::string out;
  std::string err;
};

// The program run on the words of `args`.
inline Outcome RunSim(const std::string& args) {
  std::ostringstream out, err;
  const int status = sim::RunSimulator(Words(args), out, err);
  return {status, out.str(), err.str()};
}

// The configuration the options make, with instruments that read the truth
// when `perfect`.
inline sim::SimConfig Config(const std::string& options, bool perfect = false) {
  sim::SimConfig c = sim::ParseOptions(Words("--out x " + options)).config;
  if (perfect) {
    c.anemometer = {1.0, 0.0, 0.0, std::nullopt, std::nullopt, 0.0, 0.0};
    c.speedNoiseMph = 0.0;
  }
  return c;
}

}  // namespace simtest
