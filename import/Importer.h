// Logger files in, run files out, in memory: reads every file, finds the
// runs, trims and resamples them, and forms coastdown's command, so that
// nothing is written before everything has been read and checked.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "Directions.h"
#include "Options.h"
#include "Recording.h"
#include "Resampler.h"
#include "Splitter.h"
#include "Trimmer.h"

namespace importer {

struct ImportedRun {
  RunSet set = RunSet::Data;
  int number = 0;              // from 1 within its set
  std::size_t recording = 0;   // index of the file it came from
  int found = 0;               // recordings: its number among the runs found (from 1); 0 for a file of one run
  Segment segment{0, 0};       // the run's records before trimming
  Trim trim;                   // what was kept (the whole segment without trimming)
  bool trimmed = false;
  std::vector<RunRecord> records;
  RunDirection direction;      // from a heading column, when there is one
};

// A part of a recording that became no run.
struct SkippedPart {
  std::size_t recording = 0;
  Segment segment{0, 0};
  int found = 0;       // its number among the runs found, 0 when it is none
  std::string why;
};

struct ImportResult {
  std::vector<Recording> recordings;
  std::vector<ImportedRun> runs;  // ZERO, then CAL, then DATA, each in order
  std::vector<SkippedPart> skipped;
  bool command = false;
  std::string arguments;  // coastdown's ten fields when `command`
  double minSpeedMph = 0.0;
  double maxSpeedMph = 0.0;
  bool speedsFromData = false;
  std::vector<std::string> warnings;

  int Count(RunSet set) const;
};

// Reads and converts; throws ImportError naming the file (and line and
// column) of what cannot be imported, UsageError for an option that does
// not fit the files.
ImportResult Import(const Options& options);

// The same on texts already read: (name, bytes) for each file of the
// options, in the order the options give them (zero, cal, data or
// recordings). For the fuzz target and the tests.
ImportResult ImportTexts(const Options& options, const std::vector<std::pair<std::string, std::string>>& files);

// A number as coastdown's command takes it: up to ten significant digits,
// no exponent for the values a test has.
std::string FieldText(double value);

}  // namespace importer
