// Helpers for the simulator's tests: scratch folders, whole-file reads, the
// program run as a user runs it, and a configuration without any noise.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "App.h"
#include "Config.h"

namespace simtest {

class ScratchDir {
 public:
  ScratchDir() {
    std::string pattern = ::testing::TempDir() + "coastdown_sim_XXXXXX";
    if (::mkdtemp(pattern.data()) == nullptr) std::abort();
    path_ = pattern;
  }
  ~ScratchDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;
  const std::string& path() const { return path_; }
  std::string operator/(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

inline std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

struct Outcome {
  int status;
  std::string out;
  std::string err;
};

inline Outcome RunSim(const std::vector<std::string>& args) {
  std::ostringstream out;
  std::ostringstream err;
  const int status = sim::RunSimulator(args, out, err);
  return {status, out.str(), err.str()};
}

// A perfect anemometer and speed sensor: readings equal the truth.
inline void MakeInstrumentsPerfect(sim::SimConfig& c) {
  c.anemometer.gain = 1.0;
  c.anemometer.offsetMph = 0.0;
  c.anemometer.misalignDeg = 0.0;
  c.anemometer.speedNoiseMph = 0.0;
  c.anemometer.yawNoiseDeg = 0.0;
  c.speedNoiseMph = 0.0;
}

}  // namespace simtest
