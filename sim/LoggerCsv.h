// The runs of a test as a data logger exports them: CSV with the column
// separator, decimal mark, time column, speed unit and columns of the
// user's choice, one file a run or one recording of the whole day.
#pragma once

#include <string>
#include <vector>

#include "Config.h"
#include "DayRecording.h"
#include "Runs.h"

namespace sim {

// The folder within the test folder that holds the logger files.
inline constexpr const char* kLoggerFolder = "logger";

struct LoggerFile {
  std::string name;
  std::string text;
};

// "data03.csv" for DATA.3 (two digits at least); the day is kDayFileName.
std::string LoggerFileName(const Run& run);

// True for the names the simulator gives its logger files, which mark a
// folder as holding an earlier test.
bool IsLoggerFileName(const std::string& name);

// One file a run (their whole files, driving around a coast included), or
// the one file of `day`.
std::vector<LoggerFile> LoggerFiles(const SimConfig& config, const std::vector<Run>& runs, const DayRecording& day);

// A logger file's text of `records` whose first lies at test-clock time
// `startClock`.
std::string LoggerCsvText(const LoggerCsvConfig& csv, int rate, const std::vector<Record>& records, double startClock);

}  // namespace sim
