// Simulating a test and laying it out as a folder coastdown can read.
#include "TestFolder.h"

#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <vector>

#include "Command.h"
#include "NumberFormat.h"
#include "Runs.h"
#include "Truth.h"

namespace sim {

namespace {

namespace fs = std::filesystem;

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

// Writes `text` as it is (binary, so CR LF stays CR LF).
void WriteFileExactly(const fs::path& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << text;
  out.close();
  if (!out) throw std::runtime_error("cannot write " + path.string());
}

bool IsRunFileName(const std::string& name) {
  for (const char* set : {"ZERO.", "CAL.", "DATA."}) {
    const std::string prefix = set;
    if (name.size() > prefix.size() && name.compare(0, prefix.size(), prefix) == 0 &&
        name.find_first_not_of("0123456789", prefix.size()) == std::string::npos) {
      return true;
    }
  }
  return false;
}

// Deletes every ZERO.n, CAL.n and DATA.n in `folder`. The analysis reads a
// set up to its first missing number, so files left from a larger earlier
// test would otherwise join the new one.
void RemoveRunFiles(const std::string& folder) {
  std::error_code error;
  std::vector<fs::path> stale;
  for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
    if (IsRunFileName(it->path().filename().string())) stale.push_back(it->path());
  }
  if (error) throw std::runtime_error("cannot list " + folder + ": " + error.message());
  for (const fs::path& path : stale) {
    if (!fs::remove(path, error) && error) {
      throw std::runtime_error("cannot remove " + path.string() + ": " + error.message());
    }
  }
}

}  // namespace

std::string WriteTestFolder(const SimConfig& config) {
  // Simulate first: a coastdown that never ends must not leave a half
  // written folder behind.
  const std::vector<Run> runs = TestDrive(config).DriveAll();

  std::error_code error;
  fs::create_directories(config.outDir, error);
  if (error) throw std::runtime_error("cannot create " + config.outDir + ": " + error.message());
  if (!fs::is_directory(config.outDir)) throw std::runtime_error(config.outDir + " is not a folder");
  RemoveRunFiles(config.outDir);

  const fs::path folder(config.outDir);
  for (const Run& run : runs) {
    const std::string name = std::string(RunSetName(run.kind)) + "." + std::to_string(run.number);
    WriteFileExactly(folder / name, RunFileText(run.records));
  }
  WriteFileExactly(folder / "truth.txt", TruthFileText(config, ComputeTruth(config), FactsOf(runs)));
  std::string arguments = CoastdownArguments(config);
  WriteFileExactly(folder / "COMMAND", arguments + "\n");
  return arguments;
}

}  // namespace sim
