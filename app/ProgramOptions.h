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
  bool unicode = false;       // --unicode: UTF-16 run files decoded, a UTF-8 byte-order mark dropped
  bool decimalComma = false;  // --decimal-comma: decimal commas and semicolons in run files read as written
  // --method and the options of the analysis methods, as typed and as checked.
  MethodOptionWords methodWords;
  MethodOptions methods;
};

// Reads the leading words that begin with "--" (and a lone "-h") as options,
// until the first word that is not one; "--" ends them and is consumed.
// Returns how many words were options. Error 5 names the mistake: an
// unknown option, an option without its FILE (or with an option in its
// place, or with the fields taken for it), an option after the fields, a
// method option that is wrong or that the chosen method does not use.
std::size_t ParseProgramOptions(const std::vector<std::string>& words, ProgramOptions& options);
