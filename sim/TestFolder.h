// Writing one whole simulated test folder: the run files, truth.txt and
// COMMAND.
#pragma once

#include <string>
#include <vector>

#include "Config.h"
#include "Runs.h"
#include "Truth.h"

namespace sim {

// Mean yaw reading of the ZERO runs as the analysis forms it: the mean of
// their one-second samples. This is the yaw offset it subtracts.
double ZeroRunMeanYaw(const std::vector<Run>& runs);

// The true wind of the DATA runs and the ZERO runs' mean yaw reading.
TestFacts FactsOf(const std::vector<Run>& runs);

// The one-second means the analysis reduces a run file to.
struct SecondSample {
  double speedMph;
  double windMph;
  double yawDeg;
};
std::vector<SecondSample> OneSecondSamples(const std::vector<Record>& records);

// Simulates the test of `config` and writes it into config.outDir (created
// when missing). Returns the coastdown argument text. Throws
// std::runtime_error when the folder cannot be written or a coastdown does
// not end.
std::string WriteTestFolder(const SimConfig& config);

}  // namespace sim
