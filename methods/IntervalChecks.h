// The checks the interval method holds a test to, from the regulation it
// follows: the record rate, the wind beside the track, the temperature, the
// least number of valid pairs and the statistical accuracy at every
// reference speed. Each names its limit and where the limit comes from; one
// the data cannot judge is not applicable and says why.
#pragma once

#include <string>
#include <vector>

#include "methods/IntervalAnalysis.h"

struct MethodCheck {
  std::string id;       // "pairs", "accuracy", …
  std::string title;    // what is checked, in words
  double value = 0.0;   // NaN when the data give none
  std::string unit;
  std::string limit;    // in words, "<= 3 %"
  std::string source;   // where the limit comes from
  std::string finding;  // what was found, in words
  bool applicable = true;
  bool pass = true;
};

// rate, mean_wind, gusts, crosswind, temperature, pairs, accuracy.
std::vector<MethodCheck> IntervalChecks(const IntervalAnalysis& analysis);
