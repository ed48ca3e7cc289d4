// The command line of coastdown-import: the logger files and what each
// holds, how to read them, how to cut and trim the runs, and the values
// of coastdown's command. Quantities carry their unit ("1590kg",
// "3500lb"), so that no number is taken in a unit the user did not mean.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "ImportError.h"
#include "Recording.h"

namespace importer {

enum class RunSet { Zero, Cal, Data };
const char* RunSetName(RunSet set);  // "ZERO", "CAL", "DATA"

// What one run found in a recording becomes.
enum class RunRole { Zero, Cal, Data, Skip };

struct Options {
  bool help = false;
  bool version = false;
  std::string outDir;
  bool force = false;

  // Files of one run each, in driving order, and recordings of many.
  std::vector<std::string> zeroFiles;
  std::vector<std::string> calFiles;
  std::vector<std::string> dataFiles;
  std::vector<std::string> recordings;

  ReadOptions read;
  double maxGap = 1.0;  // s bridged by a straight line

  std::vector<std::string> splitTimes;  // as typed: seconds or clock times
  std::vector<RunRole> runOrder;        // empty: from the runs themselves
  double splitDrop = 15.0 / 3.6;        // m/s
  double stopSpeed = 2.0 / 3.6;         // m/s
  bool trim = true;

  // coastdown's fields in its units, and the texts the user gave.
  bool command = true;
  std::optional<double> weightLb;
  std::optional<double> temperatureF;
  std::optional<double> pressureInHg;
  std::optional<double> areaFt2;
  std::optional<double> knownCd;
  std::optional<double> minSpeedMph;
  std::optional<double> maxSpeedMph;
  std::string weightText;
  std::string temperatureText;
  std::string pressureText;
  std::string areaText;
};

// The arguments after the program's name. Throws UsageError naming the
// option to change.
Options ParseOptions(const std::vector<std::string>& args);

std::string HelpText();

}  // namespace importer
