// Simulating a test and laying it out as a folder coastdown can read.
#include "TestFolder.h"

#include <cctype>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <vector>

#include "Command.h"
#include "DayRecording.h"
#include "LoggerCsv.h"
#include "NumberFormat.h"
#include "Runs.h"
#include "TrackWind.h"
#include "Truth.h"

namespace sim {

namespace {

namespace fs = std::filesystem;

// The name under which coastdown writes its report into the test folder.
constexpr const char* kReportName = "VB6Output.txt";

// A run file as coastdown reads it: one record a line, "vehicle
// speed,relative wind speed,relative yaw" in mph, mph and degrees, six
// decimals, CR LF line ends, no header.
std::string RunFileText(const std::vector<Record>& records) {
  std::string text;
  text.reserve(records.size() * 32);
  for (const Record& r : records) {
    text += FormatSixDecimals(r.speedMph) + "," + FormatSixDecimals(r.windMph) + "," + FormatSixDecimals(r.yawDeg);
    text += "\r\n";
  }
  return text;
}

// The vehicle's true Cd(ψ)/Cd(0) every degree from 0 to 30, as
// coastdown's --yaw-curve reads it.
std::string YawCurveText(const Vehicle& vehicle) {
  std::string text = "yaw,ratio\r\n";
  for (int yaw = 0; yaw <= 30; ++yaw) {
    text += std::to_string(yaw) + "," + FormatSignificant(vehicle.DragRatio(yaw), 12) + "\r\n";
  }
  return text;
}

// Writes `text` as it is (binary, so CR LF stays CR LF).
void WriteFileExactly(const fs::path& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << text;
  out.close();
  if (!out) throw std::runtime_error("cannot write " + NativePath(path.string()));
}

// A file name as the platform tells names apart: Windows, and coastdown
// there, takes "data.1" for DATA.1.
std::string Folded(std::string name) {
#ifdef _WIN32
  for (char& ch : name) ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
#endif
  return name;
}

// The set a file name such as "DATA.12" belongs to, or -1.
int RunSetOf(const std::string& name) {
  for (const RunKind kind : {RunKind::Zero, RunKind::Cal, RunKind::Data}) {
    const std::string prefix = std::string(RunSetName(kind)) + ".";
    if (name.size() > prefix.size() && name.compare(0, prefix.size(), prefix) == 0 &&
        name.find_first_not_of("0123456789", prefix.size()) == std::string::npos) {
      return static_cast<int>(kind);
    }
  }
  return -1;
}

// What an earlier test left in `folder`: its run files, its report and
// its logger files.
struct EarlierTest {
  std::vector<fs::path> runFiles;
  int count[3] = {0, 0, 0};  // run files of each set
  bool report = false;
  std::vector<fs::path> loggerFiles;
};

EarlierTest EarlierTestIn(const std::string& folder) {
  EarlierTest found;
  std::error_code error;
  if (!fs::is_directory(folder, error)) return found;
  for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
    const std::string name = Folded(it->path().filename().string());
    const int set = RunSetOf(name);
    if (set >= 0) {
      found.runFiles.push_back(it->path());
      ++found.count[set];
    }
    found.report = found.report || name == Folded(kReportName);
  }
  if (error) throw std::runtime_error("cannot list " + NativePath(folder) + ": " + error.message());
  const fs::path logger = fs::path(folder) / kLoggerFolder;
  if (!fs::is_directory(logger, error)) return found;
  for (fs::directory_iterator it(logger, error), end; !error && it != end; it.increment(error)) {
    if (IsLoggerFileName(it->path().filename().string())) found.loggerFiles.push_back(it->path());
  }
  if (error) throw std::runtime_error("cannot list " + NativePath(logger.string()) + ": " + error.message());
  return found;
}

// "a, b and c".
std::string Listed(const std::vector<std::string>& parts) {
  std::string text;
  for (std::size_t i = 0; i < parts.size(); ++i) {
    text += (i == 0 ? "" : i + 1 == parts.size() ? " and " : ", ") + parts[i];
  }
  return text;
}

// "2 ZERO, 6 CAL and 10 DATA run files and a report (VB6Output.txt)".
std::string Describe(const EarlierTest& test) {
  std::vector<std::string> sets;
  int files = 0;
  for (const RunKind kind : {RunKind::Zero, RunKind::Cal, RunKind::Data}) {
    const int n = test.count[static_cast<int>(kind)];
    if (n > 0) sets.push_back(std::to_string(n) + " " + RunSetName(kind));
    files += n;
  }
  std::vector<std::string> parts;
  if (files > 0) parts.push_back(Listed(sets) + (files == 1 ? " run file" : " run files"));
  if (const std::size_t n = test.loggerFiles.size(); n > 0) {
    parts.push_back(std::to_string(n) + (n == 1 ? " logger file" : " logger files") + " in " + kLoggerFolder);
  }
  if (test.report) parts.push_back(std::string("a report (") + kReportName + ")");
  return Listed(parts);
}

}  // namespace

std::string WriteTestFolder(const SimConfig& config) {
  const std::string shown = NativePath(config.outDir);
  // A folder of an earlier test may hold a user's only recording of it.
  const EarlierTest earlier = EarlierTestIn(config.outDir);
  if (!config.force && (!earlier.runFiles.empty() || earlier.report || !earlier.loggerFiles.empty())) {
    throw std::runtime_error("the folder " + shown + " already holds " + Describe(earlier) +
                             "; use --force to replace that test, or another folder");
  }
  // Simulate first: a coastdown that never ends must not leave a half
  // written folder behind.
  const TestDrive drive(config);
  const std::vector<Run> runs = drive.DriveAll();
  TestFacts facts = FactsOf(runs, config.rate);
  DayRecording day{};
  if (config.loggerCsv.layout == CsvLayout::Day) {
    day = RecordDay(drive, runs, config.rate);
    facts.day = day.spans;
  }
  const std::vector<LoggerFile> loggerFiles = LoggerFiles(config, runs, day);

  std::error_code error;
  fs::create_directories(config.outDir, error);
  if (error) throw std::runtime_error("cannot create " + shown + ": " + error.message());
  if (!fs::is_directory(config.outDir)) throw std::runtime_error(shown + " is not a folder");
  // A set is read up to its first missing number, so run files of a larger
  // earlier test would join the new one.
  std::vector<fs::path> old = earlier.runFiles;
  old.insert(old.end(), earlier.loggerFiles.begin(), earlier.loggerFiles.end());
  for (const fs::path& path : old) {
    if (!fs::remove(path, error) && error) {
      throw std::runtime_error("cannot remove " + NativePath(path.string()) + ": " + error.message());
    }
  }

  const fs::path folder(config.outDir);
  for (const Run& run : runs) {
    const std::string name = std::string(RunSetName(run.kind)) + "." + std::to_string(run.number);
    WriteFileExactly(folder / name, RunFileText(FileRecords(run)));
  }
  if (config.trackWindFile) {
    WriteFileExactly(folder / "trackwind.csv", TrackWindFileText(TrackWinds(config, drive.wind(), runs)));
  }
  if (config.yawCurveFile) WriteFileExactly(folder / "yawcurve.csv", YawCurveText(drive.vehicle()));
  if (!loggerFiles.empty()) {
    fs::create_directories(folder / kLoggerFolder, error);
    if (error) {
      throw std::runtime_error("cannot create " + NativePath((folder / kLoggerFolder).string()) + ": " +
                               error.message());
    }
    for (const LoggerFile& file : loggerFiles) WriteFileExactly(folder / kLoggerFolder / file.name, file.text);
  }
  WriteFileExactly(folder / "truth.txt", TruthFileText(config, ComputeTruth(config), facts));
  std::string arguments = CoastdownArguments(config);
  WriteFileExactly(folder / "COMMAND", arguments + "\n");
  return arguments;
}

}  // namespace sim
