// Helpers for the simulator's tests beside the shared ones: the program run
// in-process as a user runs it, configurations from options, and the
// simulator's CSV-like files read back.
#pragma once

#include <algorithm>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

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

using Rows = std::vector<std::vector<std::string>>;

// The CR LF lines of a file the simulator wrote, split at `separator`.
inline Rows Table(const std::string& text, char separator = ',') {
  Rows rows;
  for (std::size_t at = 0, end = 0; at < text.size(); at = end + 2) {
    end = text.find("\r\n", at);
    rows.emplace_back();
    for (std::size_t from = at, next = 0; from <= end; from = next + 1) {
      next = std::min(text.find(separator, from), end);
      rows.back().push_back(text.substr(from, next - from));
    }
  }
  return rows;
}

// Column `k` of `rows` as numbers.
inline std::vector<double> Column(const Rows& rows, std::size_t k) {
  std::vector<double> values;
  for (const auto& row : rows) values.push_back(std::stod(row.at(k)));
  return values;
}

}  // namespace simtest
