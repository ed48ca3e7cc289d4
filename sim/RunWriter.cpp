// Run-file text and writing.
#include "RunWriter.h"

#include <filesystem>
#include <fstream>
#include <stdexcept>

#include "NumberFormat.h"

namespace sim {

namespace {

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

}  // namespace

std::string RunFileText(const std::vector<Record>& records) {
  std::string text;
  text.reserve(records.size() * 32);
  for (const Record& r : records) {
    text += FormatFixed(r.speedMph, 6);
    text += ',';
    text += FormatFixed(r.windMph, 6);
    text += ',';
    text += FormatFixed(r.yawDeg, 6);
    text += "\r\n";
  }
  return text;
}

void WriteFileExactly(const std::string& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << text;
  out.close();
  if (!out) throw std::runtime_error("cannot write " + path);
}

void RemoveRunFiles(const std::string& folder) {
  namespace fs = std::filesystem;
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

}  // namespace sim
