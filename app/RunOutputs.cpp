// Writing the outputs the options ask for.
#include "app/RunOutputs.h"

#include <cstdio>
#include <ctime>
#include <functional>
#include <memory>
#include <string_view>

#include "common/FileSystem.h"
#include "common/Platform.h"
#include "common/RuntimeError.h"
#include "common/TextFile.h"
#include "common/Version.h"
#include "common/VisibleText.h"
#include "html/Page.h"
#include "record/RecordOutputs.h"

namespace {

std::string IsoLocalTime(const std::tm& t) {
  char text[80];
  std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d", t.tm_year + 1900, t.tm_mon + 1, t.tm_mday,
                t.tm_hour, t.tm_min, t.tm_sec);
  return text;
}

// An output's FILE must be a file of its own: what is there already, if
// anything, a regular file; `what` is the option and its FILE as typed.
void RefuseNotAFile(const std::string& path, const std::string& what) {
  const std::string kind = NotARegularFile(path);
  if (!kind.empty()) {
    Raise(ErrorNumber::PathFileAccessError,
          what + " is " + kind + ", not a file: outputs are written only as files of their own (- for standard output)");
  }
}

// What an output of that name in the test folder would replace: "the
// report" or "a run file" (of any set, also one not yet written, named in
// any letter case); nullptr for a name of neither.
const char* ReplacedThere(std::string name) {
  for (char& c : name) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  if (name == "VB6OUTPUT.TXT") return "the report";
  for (const std::string base : {"ZERO.", "CAL.", "DATA."}) {
    if (name.size() > base.size() && name.compare(0, base.size(), base) == 0 &&
        name.find_first_not_of("0123456789", base.size()) == std::string::npos) {
      return "a run file";
    }
  }
  return nullptr;
}

// Writes what `produce` hands its writer into `path`, whole or not at all,
// or to standard output for "-".
void WriteOutput(const std::string& path, const char* option,
                 const std::function<void(const record::OutputSink&)>& produce, FolderFlushes& flushes) {
  const std::string what = std::string(option) + " " + path;
  if (path == "-") {
    // A full disk or a closed pipe behind standard output loses the output.
    bool written = true;
    produce([&written](std::string_view part) {
      written = std::fwrite(part.data(), 1, part.size(), stdout) == part.size() && written;
    });
    if (std::fflush(stdout) != 0 || !written || std::ferror(stdout) != 0) {
      Raise(ErrorNumber::PathFileAccessError, what + ": standard output could not be written");
    }
    return;
  }
  // Staged like the report: an older file of that name stays whole until
  // the new one is; what took the name since it was checked is not replaced.
  try {
    StagedFile staged(path);
    staged.Create();
    TextFile file(staged.TemporaryPath(), WriteMode::Replace);
    produce([&file](std::string_view part) { file.Write(part); });
    file.Close();
    RefuseNotAFile(path, what);
    staged.Commit(&flushes);
  } catch (const RuntimeError& error) {
    // The detail names the FILE the user gave, never the temporary.
    Raise(error.Number(), error.Detail().rfind(what, 0) == 0 ? error.Detail() : what);
  }
}

// A simulator's truth.txt beside the run files, for the page to show the
// true road load; empty when there is none.
std::string TruthText(const record::AnalysisRecord& record) {
  if (record.fields.empty() || record.fields[0].empty()) return {};
  const std::string path = JoinPath(record.fields[0], "truth.txt");
  if (!IsRegularFile(path)) return {};
  InputFile file;
  if (!file.Open(path) || file.Size() > (1u << 20)) return {};
  std::string text(static_cast<std::size_t>(file.Size()), '\0');
  std::size_t got = 0;
  while (got < text.size()) {
    const std::size_t part = file.Read(text.data() + got, text.size() - got);
    if (part == 0) break;
    got += part;
  }
  text.resize(got);
  return text;
}

}  // namespace

void StartRecord(record::AnalysisRecord& record, const std::string& argumentText,
                 const std::vector<std::string>& fields, const ProgramOptions& options) {
  record.programVersion = kProgramVersionText;
  record.date = IsoLocalTime(CurrentLocalTime());
  record.commandText = argumentText;
  record.fields = fields;
  record.limitData = options.limitData;
  record.method.name = MethodName(options.methods.method);
  record.method.rateHz = options.methods.rateHz;
  record.method.si = options.methods.si;
}

void PrintWarnings(const record::AnalysisRecord& record, const ProgramOptions& options) {
  if (options.quiet) return;
  // Nothing hidden: a CR, a tab or a stray byte in a file or folder name shows.
  for (const std::string& warning : record.warnings) {
    std::fprintf(stderr, "coastdown: warning: %s\n", VisibleText(warning).c_str());
  }
  std::fflush(stderr);
}

void CheckOutputTargets(const ProgramOptions& options, const std::string& testFolder) {
  struct Target {
    const char* option;
    const std::string& path;
  };
  const Target targets[] = {{"--json", options.json}, {"--samples", options.samples}, {"--html", options.html}};
  FileIdentity test;
  const bool testFound = !testFolder.empty() && IdentityOf(testFolder, test);
  // Where each output goes: its folder and name, to tell two names of one file apart.
  std::vector<std::pair<const Target*, std::pair<FileIdentity, std::string>>> seen;
  const Target* toStandardOutput = nullptr;
  for (const Target& t : targets) {
    if (t.path.empty()) continue;
    if (t.path == "-") {
      if (toStandardOutput != nullptr) {
        Raise(ErrorNumber::InvalidProcedureCall, std::string(toStandardOutput->option) + " and " + t.option +
                                                     " both write to standard output (-); give one of them a FILE");
      }
      toStandardOutput = &t;
      continue;
    }
    const std::string what = std::string(t.option) + " " + t.path;
    RefuseNotAFile(t.path, what);
    const std::string folder = FolderOf(t.path);
    FileIdentity place;
    if (!IdentityOf(folder, place) || !IsFolder(folder)) {
      Raise(ErrorNumber::PathNotFound, what + ": the folder " + (folder + " does not exist"));
    }
    const std::string name = NameOf(t.path);
    const char* replaced = ReplacedThere(name);
    if (testFound && place == test && replaced != nullptr) {
      std::string detail = what + " would replace ";
      detail += replaced;
      detail += " of the test folder " + testFolder + "; write it elsewhere or under another name";
      Raise(ErrorNumber::InvalidProcedureCall, detail);
    }
    for (const auto& [other, where] : seen) {
      FileIdentity a, b;
      const bool sameFile = IdentityOf(t.path, a) && IdentityOf(other->path, b) && a == b;
      if (sameFile || (where.first == place && where.second == name)) {
        Raise(ErrorNumber::InvalidProcedureCall, std::string(other->option) + " and " + t.option +
                                                     " both name " + t.path + "; give each its own FILE");
      }
    }
    seen.push_back({&t, {place, name}});
  }
}

void WriteRequestedOutputs(const record::AnalysisRecord& record, const ProgramOptions& options) {
  using record::OutputSink;
  // Each output is on the disk before it takes its name; the folders that
  // received them are flushed once, after the last (or when one fails).
  FolderFlushes flushes;
  if (!options.json.empty()) {
    WriteOutput(
        options.json, "--json", [&](const OutputSink& write) { write(record::RecordJson(record)); }, flushes);
  }
  if (!options.samples.empty()) {
    WriteOutput(
        options.samples, "--samples", [&](const OutputSink& write) { record::WriteSamplesCsv(record, write); },
        flushes);
  }
  if (!options.html.empty()) {
    const std::string truth = TruthText(record);
    WriteOutput(
        options.html, "--html", [&](const OutputSink& write) { html::WriteHtmlPage(record, truth, write); }, flushes);
  }
  flushes.Flush();
}

bool AnyCheckFailed(const record::AnalysisRecord& record) {
  for (const record::CheckRecord& check : record.checks) {
    if (check.applicable && !check.pass) return true;
  }
  return false;
}
