// Logger CSV texts and names.
#include "LoggerCsv.h"

#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>

#include "Units.h"

namespace sim {

namespace {

constexpr const char* kEol = "\r\n";
constexpr double kSecondsPerDay = 86400.0;

// `value` with `decimals` decimals and the chosen decimal mark, without a
// minus sign on a value that rounds to zero.
std::string Number(double value, int decimals, char mark) {
  char text[64];
  const auto result = std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, decimals);
  std::string shown(text, result.ptr);
  if (shown.front() == '-' && shown.find_first_not_of("-0.") == std::string::npos) shown.erase(0, 1);
  if (const std::size_t point = shown.find('.'); point != std::string::npos) shown[point] = mark;
  return shown;
}

// "hh:mm:ss.fff" of `seconds` after midnight, past midnight round again.
std::string Clock(double seconds, char mark) {
  const double day = kSecondsPerDay * 1000.0;
  auto ms = static_cast<long long>(std::fmod(std::fmod(std::round(seconds * 1000.0), day) + day, day));
  char text[32];
  std::snprintf(text, sizeof text, "%02lld:%02lld:%02lld%c%03lld", ms / 3600000, ms / 60000 % 60, ms / 1000 % 60, mark,
                ms % 1000);
  return text;
}

double SpeedIn(CsvSpeed unit, double mph) {
  switch (unit) {
    case CsvSpeed::Kmh:
      return mph * kKmhPerMph;
    case CsvSpeed::Ms:
      return mph * kMetresPerSecondPerMph;
    case CsvSpeed::Mph:
      break;
  }
  return mph;
}

const char* UnitName(CsvSpeed unit) {
  switch (unit) {
    case CsvSpeed::Kmh:
      return "km/h";
    case CsvSpeed::Ms:
      return "m/s";
    case CsvSpeed::Mph:
      break;
  }
  return "mph";
}

}  // namespace

std::string LoggerFileName(const Run& run) {
  std::string name = RunSetName(run.kind);
  for (char& ch : name) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
  char number[16];
  std::snprintf(number, sizeof number, "%02d", run.number);
  return name + number + ".csv";
}

bool IsLoggerFileName(const std::string& name) {
  if (name == kDayFileName) return true;
  for (const char* set : {"zero", "cal", "data"}) {
    const std::string prefix = set;
    if (name.size() >= prefix.size() + 6 && name.compare(0, prefix.size(), prefix) == 0 &&
        name.compare(name.size() - 4, 4, ".csv") == 0 &&
        name.find_first_not_of("0123456789", prefix.size()) == name.size() - 4) {
      return true;
    }
  }
  return false;
}

std::string LoggerCsvText(const LoggerCsvConfig& csv, int rate, const std::vector<Record>& records, double startClock) {
  const char sep = csv.separator;
  const std::string unit = UnitName(csv.speedUnit);
  std::string text;
  if (csv.header) {
    std::string names;
    if (csv.time != CsvTime::None) names += std::string(csv.time == CsvTime::Clock ? "Time" : "Time (s)") + sep;
    names += "Speed (" + unit + ")";
    if (csv.wind) names += sep + ("Wind speed (" + unit + ")") + sep + "Yaw (deg)";
    text += names + kEol;
  }
  const double interval = RecordInterval(rate);
  for (std::size_t i = 0; i < records.size(); ++i) {
    const Record& r = records[i];
    const double t = static_cast<double>(i) * interval;
    if (csv.time == CsvTime::Seconds) text += Number(t, 3, csv.decimal) + sep;
    if (csv.time == CsvTime::Clock) text += Clock(csv.clockStartS + startClock + t, csv.decimal) + sep;
    text += Number(SpeedIn(csv.speedUnit, r.speedMph), csv.decimals, csv.decimal);
    if (csv.wind) {
      text += sep + Number(SpeedIn(csv.speedUnit, r.windMph), csv.decimals, csv.decimal) + sep +
              Number(r.yawDeg, csv.decimals, csv.decimal);
    }
    text += kEol;
  }
  return text;
}

std::vector<LoggerFile> LoggerFiles(const SimConfig& config, const std::vector<Run>& runs, const DayRecording& day) {
  std::vector<LoggerFile> files;
  if (config.loggerCsv.layout == CsvLayout::Day) {
    files.push_back({kDayFileName, LoggerCsvText(config.loggerCsv, config.rate, day.records, day.startClock)});
  } else if (config.loggerCsv.layout == CsvLayout::PerRun) {
    for (const Run& run : runs) {
      files.push_back(
          {LoggerFileName(run), LoggerCsvText(config.loggerCsv, config.rate, FileRecords(run), FileStartClock(run))});
    }
  }
  return files;
}

}  // namespace sim
