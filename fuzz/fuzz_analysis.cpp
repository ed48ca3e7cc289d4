// Fuzzes the whole analysis on a test folder built from the input: its first
// byte chooses the switches (calibrate, zero runs, constrained fit, window),
// the rest is cut into run files, each a kind byte (ZERO, CAL or DATA), a
// length and that many bytes. Whatever the folder holds, the run ends
// normally or with one of the decided errors, changes no file of the folder
// but an empty run file (which it may delete) and the report, leaves no
// temporary behind, and a report it finishes holds no NaN or infinity.
#include <stdlib.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>

#include "app/CommandLine.h"
#include "app/SAEAppWrapper.h"
#include "common/RuntimeError.h"
#include "record/AnalysisRecord.h"
#include "record/Recorder.h"

namespace {

namespace fs = std::filesystem;

const std::string& Folder() {
  static const std::string folder = [] {
    std::string pattern = (fs::temp_directory_path() / "coastdown_fuzz_XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) std::abort();
    return pattern;
  }();
  return folder;
}

std::map<std::string, std::string> Contents(const std::string& folder) {
  std::map<std::string, std::string> files;
  for (const auto& entry : fs::directory_iterator(folder)) {
    std::ifstream in(entry.path(), std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    files[entry.path().filename().string()] = text.str();
  }
  return files;
}

bool Decided(ErrorNumber n) {
  switch (n) {
    case ErrorNumber::InvalidProcedureCall:
    case ErrorNumber::Overflow:
    case ErrorNumber::SubscriptOutOfRange:
    case ErrorNumber::DivisionByZero:
    case ErrorNumber::TypeMismatch:
    case ErrorNumber::InputPastEndOfFile:
      return true;
    default:
      // File errors cannot come from a folder of plain files we wrote.
      return false;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  const std::string& folder = Folder();
  for (const auto& entry : fs::directory_iterator(folder)) fs::remove_all(entry.path());

  const std::uint8_t switches = data[0];
  std::map<std::string, int> runs;
  for (std::size_t at = 1; at + 3 <= size;) {
    static const char* const kKinds[] = {"ZERO", "CAL", "DATA"};
    const std::string kind = kKinds[data[at] % 3];
    const std::size_t length = std::min<std::size_t>(size - at - 3, data[at + 1] | (data[at + 2] << 8));
    std::ofstream(folder + "/" + kind + "." + std::to_string(++runs[kind]), std::ios::binary)
        .write(reinterpret_cast<const char*>(data + at + 3), static_cast<std::streamsize>(length));
    at += 3 + length;
  }
  const auto before = Contents(folder);

  const std::string command = folder + "," + ((switches & 1) ? "True" : "False") + "," +
                              ((switches & 2) ? "True" : "False") + ",15,70,3500,68,29.92,22.5," +
                              ((switches & 4) ? "0.32" : "");
  bool finished = false;
  try {
    record::AnalysisRecord analysis;
    record::Recorder recorder(analysis);
    SAEAppWrapper app;
    app.SetParams(SplitCommandLine(command));
    app.LimitData = app.SpeedWindowFirst = (switches & 8) != 0;
    app.Observe(&recorder);
    app.Process();
    recorder.Finish(nullptr);
    finished = !app.ReportSaveFailed();
  } catch (const RuntimeError& e) {
    if (!Decided(e.Number())) std::abort();
  }

  const auto after = Contents(folder);
  for (const auto& [name, text] : after) {
    if (name == "VB6Output.txt") {
      if (finished && (text.find("nan") != std::string::npos || text.find("inf") != std::string::npos)) std::abort();
      continue;
    }
    const auto was = before.find(name);
    if (was == before.end() || was->second != text) std::abort();  // a new file, or one changed
  }
  for (const auto& [name, text] : before) {
    if (!after.contains(name) && !text.empty()) std::abort();  // only empty run files go
  }
  return 0;
}
