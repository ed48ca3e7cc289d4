// One logger file as a time series: the time of each record in seconds,
// the vehicle speed and the relative wind speed in m/s, the yaw in
// degrees, each with the line it came from; the record interval it was
// logged at, and where the records are not regular.
#pragma once

#include <cmath>
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "Columns.h"
#include "CsvTable.h"
#include "Units.h"

namespace importer {

struct ReadOptions {
  CsvOptions csv;
  ColumnOptions columns;
  std::optional<SpeedUnit> speedUnit;
  std::optional<SpeedUnit> windUnit;
  std::optional<TimeUnit> timeUnit;
  std::optional<AngleUnit> yawUnit;
  std::optional<double> rate;  // records a second of files without a time column
};

struct Sample {
  double time;   // s (for clock times: after the midnight before the first record)
  double speed;  // m/s
  double wind;   // m/s, 0 without a wind column
  double yaw;    // degrees, 0 without a yaw column
  std::size_t line;
  double heading = NAN;  // degrees; NaN without a heading column or where the field is empty
};

// A stretch with no record for longer than 1.5 record intervals.
struct Gap {
  std::size_t after;  // index of the record before it
  double length;      // s from that record to the next
};

struct Recording {
  std::string fileName;
  std::string encoding;
  CsvTable layout;  // the table's form; its rows are dropped once read
  ColumnSet columns;
  SpeedUnit speedUnit = SpeedUnit::Kmh;
  SpeedUnit windUnit = SpeedUnit::Kmh;
  TimeUnit timeUnit = TimeUnit::Seconds;
  AngleUnit yawUnit = AngleUnit::Degrees;
  AngleUnit headingUnit = AngleUnit::Degrees;
  bool timeFromRate = false;  // no time column: times from --rate
  std::vector<Sample> samples;
  double interval = 0.0;      // the usual time between records, s (the median)
  std::vector<Gap> gaps;
  std::size_t irregular = 0;  // intervals shorter than half the usual one
  std::size_t incomplete = 0;  // records left out for an empty field
  std::size_t firstIncompleteLine = 0;
  std::vector<std::string> warnings;

  // A time of this recording as the user finds it in the file: seconds
  // ("12.4 s") or a clock time ("10:15:02.40").
  std::string TimeText(double time) const;
  // The speed in the file's own unit ("112.6 km/h").
  std::string SpeedText(double metresPerSecond) const;
};

// Reads a logger file's decoded text. Throws ImportError naming the file,
// the line and the column (as the header names it) of a field that is not
// a number, of a time that does not advance, of an interval no logger
// records at; UsageError for an option that does not fit the file.
Recording ReadRecording(const std::string& fileName, const std::string& text, const std::string& encoding,
                        const ReadOptions& options);

}  // namespace importer
