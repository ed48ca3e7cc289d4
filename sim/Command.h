// The argument text that runs coastdown on a simulated folder:
// FOLDER,CALIBRATE,ZERO,MIN_SPEED,MAX_SPEED,WEIGHT,TEMPERATURE,PRESSURE,AREA,CD
#pragma once

#include <string>

#include "Config.h"

namespace sim {

// The ten fields joined with commas. The folder is --out without trailing
// slashes; CALIBRATE and ZERO are True when the folder has such runs; the
// speed window is the coastdown's low and high speed; CD is empty unless
// --known-cd was given.
std::string CoastdownArguments(const SimConfig& config);

// `coastdown ` and the argument text, quoted for a POSIX shell when it holds
// anything a shell would split or expand.
std::string CoastdownCommandLine(const std::string& arguments);

// `word` as a POSIX shell reads it back as one word: unchanged when it is
// plain, in single quotes otherwise.
std::string ShellWord(const std::string& word);

}  // namespace sim
