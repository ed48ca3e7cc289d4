// Helpers for the simulator's tests beside the shared ones: the program run
// in-process as a user runs it, configurations from options, and the
// simulator's CSV-like files read back.
#pragma once

#include <algorithm>
#include <filesystem>
#include <set>
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

// The program run on `options` into `folder`, as an assertion that it
// succeeds.
inline ::testing::AssertionResult Simulated(const std::string& folder, const std::string& options) {
  const Outcome o = RunSim("--out " + folder + " " + options);
  if (o.status == 0) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << options << ": status " << o.status << ", " << o.err;
}

// A short test: one ZERO run, one CAL pair and one coastdown.
inline const std::string kSmall = " --zero-runs 1 --cal-runs 2 --data-runs 1 --zero-duration 5 --cal-duration 5";

// Options for instruments that read the truth.
inline const std::string kPerfect =
    " --anemo-gain 1 --anemo-offset 0 --anemo-misalign 0 --anemo-yaw-gain 1 --anemo-loss 0 --anemo-noise 0"
    " --yaw-noise 0 --speed-noise 0";

// The configuration the options make.
inline sim::SimConfig Config(const std::string& options) {
  return sim::ParseOptions(testsupport::Words("--out x " + options)).config;
}

// The names in a folder, sorted, each followed by a blank.
inline std::string FileNames(const std::string& folder) {
  std::set<std::string> names;
  for (const auto& e : std::filesystem::directory_iterator(folder)) names.insert(e.path().filename());
  std::string text;
  for (const std::string& name : names) text += name + " ";
  return text;
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
