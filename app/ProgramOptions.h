// The options of our own that may come before the ten fields.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "app/MethodOptionsReader.h"

struct ProgramOptions {
  bool help = false;     // --help, -h
  bool version = false;  // --version
  std::string json;      // --json FILE: the analysis record; "-" is standard output
  std::string samples;   // --samples FILE: the one-second samples as CSV
  std::string html;      // --html FILE: the page with the plots of the test
  bool limitData = false;  // --limit-data: apply the speed, wind and yaw window
  bool quiet = false;      // --quiet: no warnings
  bool strict = false;     // --strict: a failed check makes the exit status 3
  // --method and the options of the analysis methods, as typed and as checked.
  MethodOptionWords methodWords;
  MethodOptions methods;
};

// Reads the leading words that begin with "--" (and a lone "-h") as options,
// until the first word that is not one; "--" ends them and is consumed.
// Returns how many words were options. An unknown option, or one without
// its FILE, is error 5 naming it, as is a method option that is wrong or
// that the chosen method does not use.
std::size_t ParseProgramOptions(const std::vector<std::string>& words, ProgramOptions& options);
