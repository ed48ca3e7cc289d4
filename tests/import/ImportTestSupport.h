// Logger files for the importer's tests, written from traces of known
// coast in the layouts people meet, and the program run in-process as a
// user runs it.
#pragma once

#include <cmath>
#include <cstdio>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "App.h"
#include "ImportError.h"
#include "SyntheticDrive.h"
#include "tests/TestSupport.h"

namespace importtest {

struct Layout {
  const char* name;
  char separator = ',';
  bool decimalComma = false;
  const char* header = "time [s],speed [km/h],wind [km/h],yaw [deg]";  // nullptr: none
  double speedPerMetrePerSecond = 3.6;  // the file's speed unit per m/s
  bool clock = false;                   // hh:mm:ss.fff from 10:00:00
  const char* lineEnd = "\r\n";
};

// One line per record: time, speed, a relative wind of the speed plus
// 2 m/s and a yaw of 1.5 degrees, in the layout's units and form, and a
// heading in degrees when it is given.
inline std::string CsvText(const Drive::Trace& trace, const Layout& layout, double timeOffset = 0.0,
                           double heading = NAN) {
  std::string text;
  if (layout.header != nullptr) text += std::string(layout.header) + layout.lineEnd;
  auto number = [&](double value, int decimals) {
    char s[64];
    std::snprintf(s, sizeof s, "%.*f", decimals, value);
    std::string out = s;
    if (layout.decimalComma) {
      for (char& c : out) c = c == '.' ? ',' : c;
    }
    return out;
  };
  for (std::size_t i = 0; i < trace.time.size(); ++i) {
    const double t = trace.time[i] + timeOffset;
    std::string time;
    if (layout.clock) {
      const double clock = 36000.0 + t;
      char s[64];
      std::snprintf(s, sizeof s, "%02d:%02d:%06.3f", static_cast<int>(clock / 3600), static_cast<int>(clock / 60) % 60,
                    clock - 60.0 * std::floor(clock / 60.0));
      time = s;
      if (layout.decimalComma) time[8] = ',';
    } else {
      time = number(t, 3);
    }
    const double k = layout.speedPerMetrePerSecond;
    text += time + layout.separator + number(trace.speed[i] * k, 6) + layout.separator +
            number((trace.speed[i] + 2.0) * k, 6) + layout.separator + number(1.5, 3) +
            (std::isnan(heading) ? std::string() : layout.separator + number(heading, 1)) + layout.lineEnd;
  }
  return text;
}

// The test's conditions in the units of its report.
inline const std::vector<std::string> kConditions = {"--weight", "3500lb", "--temperature", "68F",
                                                     "--pressure", "29.92inHg", "--area", "22.5ft2"};

// The columns of a file without a header, by position, in m/s.
inline const std::vector<std::string> kByPosition = {
    "--header",     "none", "--time-column", "1", "--speed-column", "2", "--wind-column", "3", "--yaw-column", "4",
    "--speed-unit", "ms",   "--wind-unit",   "ms"};

// The message of the error `operation` raises, after "usage: " when it is
// a command-line mistake (status 2); "" when it raises none.
inline std::string ErrorText(const std::function<void()>& operation) {
  try {
    operation();
  } catch (const importer::UsageError& e) {
    return std::string("usage: ") + e.what();
  } catch (const importer::ImportError& e) {
    return e.what();
  }
  return "";
}

struct Outcome {
  int status;
  std::string out;
  std::string err;
};

inline Outcome RunImport(const std::vector<std::string>& args) {
  std::ostringstream out, err;
  const int status = importer::RunImporter(args, out, err);
  return {status, out.str(), err.str()};
}

// The records of a run file: speed, wind and yaw per line.
inline std::vector<std::vector<double>> RunFileRecords(const std::string& text) {
  std::vector<std::vector<double>> records;
  std::istringstream lines(text);
  for (std::string line; std::getline(lines, line);) {
    std::vector<double> fields;
    std::istringstream in(line);
    for (std::string field; std::getline(in, field, ',');) fields.push_back(std::stod(field));
    records.push_back(fields);
  }
  return records;
}

}  // namespace importtest
