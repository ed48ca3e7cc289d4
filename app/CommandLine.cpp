// Joining and splitting the command line, and the usage text.
#include "app/CommandLine.h"

std::string JoinArguments(int argc, const char* const* argv) {
  std::string text;
  for (int i = 1; i < argc; ++i) {
    if (i > 1) text += ' ';
    text += argv[i];
  }
  return text;
}

std::vector<std::string> SplitCommandLine(std::string_view text) {
  std::string unquoted;
  unquoted.reserve(text.size());
  for (char c : text) {
    if (c != '"') unquoted += c;
  }
  std::vector<std::string> fields;
  if (unquoted.empty()) return fields;
  std::size_t start = 0;
  for (;;) {
    const std::size_t comma = unquoted.find(',', start);
    if (comma == std::string::npos) {
      fields.push_back(unquoted.substr(start));
      return fields;
    }
    fields.push_back(unquoted.substr(start, comma - start));
    start = comma + 1;
  }
}

std::string UsageText() {
  return "usage: coastdown FOLDER,CALIBRATE,ZERO,MIN_SPEED,MAX_SPEED,WEIGHT,TEMPERATURE,PRESSURE,AREA,[CD]\n"
         "\n"
         "Turns the coastdown runs in FOLDER (ZERO.n, CAL.n, DATA.n) into road-load\n"
         "coefficients and writes the report FOLDER/VB6Output.txt.\n"
         "\n"
         "  FOLDER       test folder holding the run files, no trailing /\n"
         "  CALIBRATE    True/False (or a number): calibrate the anemometer on CAL.n\n"
         "  ZERO         True/False (or a number): take the yaw offset from ZERO.n\n"
         "  MIN_SPEED    lower bound of the speed window, mph\n"
         "  MAX_SPEED    upper bound of the speed window, mph\n"
         "  WEIGHT       test (inertia) weight, lb\n"
         "  TEMPERATURE  ambient temperature, degrees F\n"
         "  PRESSURE     barometric pressure, inHg\n"
         "  AREA         frontal area, ft^2\n"
         "  CD           known drag coefficient for the constrained fit; leave empty\n"
         "               (keep the last comma) for the free regression\n"
         "\n"
         "example: coastdown /data/test1,True,True,15,70,3500,68,29.92,22.5,\n"
         "\n"
         "  --help, -h   this text\n"
         "  --version    the program version\n"
         "\n"
         "exit status: 0 report written, 1 run-time error, 2 report could not be written\n";
}
