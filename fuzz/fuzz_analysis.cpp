// Fuzzes the whole analysis on a test folder built from the input: its first
// byte chooses the switches (calibrate, zero runs, constrained fit, window),
// the rest is cut into run files, each a kind byte (ZERO, CAL or DATA), a
// length and that many bytes. Whatever the folder holds, the run ends
// normally or with one of the decided errors, changes no file of the folder
// but an empty run file (which it may delete) and the report, leaves no
// temporary behind, and a report it finishes holds no NaN or infinity.
// Then the record and the page of the run are written as the options write
// them, and read as a strict JSON parser and an XML parser read them: the
// test folder's name holds a byte of the input (and, by two of its switches, a
// U+FFFE, a U+FFFF or an overlong form), so that whatever bytes the
// run files and the folder's name hold reach both.
#include <stdlib.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <string_view>

#include "OutputChecks.h"
#include "app/CommandLine.h"
#include "app/SAEAppWrapper.h"
#include "common/RuntimeError.h"
#include "html/Page.h"
#include "record/AnalysisRecord.h"
#include "record/RecordOutputs.h"
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
  if (size < 2) return 0;
  for (const auto& entry : fs::directory_iterator(Folder())) fs::remove_all(entry.path());
  // A byte that cannot stand in a folder's name, or would split or quote
  // the command line, stands as 'x'.
  char byte = static_cast<char>(data[1]);
  constexpr std::string_view kNotInTheName("\0/,\" \t\r\n", 8);
  if (kNotInTheName.find(byte) != std::string_view::npos) byte = 'x';
  // Two bits of the switches end the name with a character that is
  // well-formed UTF-8 but no XML character, or with bytes that are no UTF-8.
  static const char* const kEndings[] = {"", "\xEF\xBF\xBE", "\xEF\xBF\xBF", "\xC0\x80"};
  const std::string folder = Folder() + "/t" + byte + kEndings[(data[0] >> 4) & 3];
  fs::create_directory(folder);

  const std::uint8_t switches = data[0];
  std::map<std::string, int> runs;
  for (std::size_t at = 2; at + 3 <= size;) {
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
  int status = 1;
  record::AnalysisRecord analysis;
  record::Recorder recorder(analysis);
  try {
    SAEAppWrapper app;
    app.SetParams(SplitCommandLine(command));
    app.LimitData = app.SpeedWindowFirst = (switches & 8) != 0;
    app.Observe(&recorder);
    app.Process();
    recorder.Finish(nullptr);
    status = app.ReportSaveFailed() ? 2 : 0;
    finished = status == 0;
  } catch (const RuntimeError& e) {
    if (!Decided(e.Number())) std::abort();
    recorder.Finish(&e);
  }
  analysis.exitStatus = status;
  if (!fuzzchecks::StrictJson(record::RecordJson(analysis))) std::abort();
  if (!fuzzchecks::WellFormedXml(html::HtmlPage(analysis, ""))) std::abort();
  (void)record::SamplesCsv(analysis);

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
