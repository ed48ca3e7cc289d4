// The ten-field coastdown argument text and its shell form.
#include "Command.h"

#include "NumberFormat.h"

namespace sim {

std::string CoastdownArguments(const SimConfig& c) {
  std::string folder = c.outDir;
  while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
  const char* calibrate = c.runs.calRuns >= 2 ? "True" : "False";
  const char* zero = c.runs.zeroRuns >= 1 ? "True" : "False";
  std::string text = folder;
  for (const std::string& field :
       {std::string(calibrate), std::string(zero), FormatShortest(c.runs.coastLowMph),
        FormatShortest(c.runs.coastHighMph), FormatShortest(c.vehicle.weightLb),
        FormatShortest(c.conditions.temperatureF), FormatShortest(c.conditions.pressureInHg),
        FormatShortest(c.vehicle.areaFt2), c.knownCd ? FormatShortest(*c.knownCd) : std::string()}) {
    text += "," + field;
  }
  return text;
}

std::string CoastdownCommandLine(const std::string& arguments) { return "coastdown " + ShellWord(arguments); }

std::string ShellWord(const std::string& word) {
  const bool plain = !word.empty() && word.find_first_not_of(
                                          "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789,._-/+:@%") ==
                                          std::string::npos;
  if (plain) return word;
  std::string quoted = "'";
  for (char ch : word) quoted += ch == '\'' ? std::string("'\\''") : std::string(1, ch);
  return quoted + "'";
}

}  // namespace sim
