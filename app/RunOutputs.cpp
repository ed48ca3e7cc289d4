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
#include "html/Page.h"
#include "record/RecordOutputs.h"

namespace {

std::string IsoLocalTime(const std::tm& t) {
  char text[80];
  std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d", t.tm_year + 1900, t.tm_mon + 1, t.tm_mday,
                t.tm_hour, t.tm_min, t.tm_sec);
  return text;
}

// Writes what `produce` hands its writer into `path`, whole or not at all,
// or to standard output for "-".
void WriteOutput(const std::string& path, const char* option,
                 const std::function<void(const record::OutputSink&)>& produce) {
  if (path == "-") {
    produce([](std::string_view part) { std::fwrite(part.data(), 1, part.size(), stdout); });
    std::fflush(stdout);
    return;
  }
  // Staged like the report: an older file of that name stays whole until
  // the new one is.
  try {
    StagedFile staged(path);
    staged.Create();
    TextFile file(staged.TemporaryPath(), WriteMode::Replace);
    produce([&file](std::string_view part) { file.Write(part); });
    file.Close();
    staged.Commit();
  } catch (const RuntimeError& error) {
    Raise(error.Number(), std::string(option) + " " + error.Detail());
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
  for (const std::string& warning : record.warnings) std::fprintf(stderr, "coastdown: warning: %s\n", warning.c_str());
  std::fflush(stderr);
}

void WriteRequestedOutputs(const record::AnalysisRecord& record, const ProgramOptions& options) {
  using record::OutputSink;
  if (!options.json.empty()) {
    WriteOutput(options.json, "--json", [&](const OutputSink& write) { write(record::RecordJson(record)); });
  }
  if (!options.samples.empty()) {
    WriteOutput(options.samples, "--samples", [&](const OutputSink& write) { record::WriteSamplesCsv(record, write); });
  }
  if (!options.html.empty()) {
    const std::string truth = TruthText(record);
    WriteOutput(options.html, "--html", [&](const OutputSink& write) { html::WriteHtmlPage(record, truth, write); });
  }
}

bool AnyCheckFailed(const record::AnalysisRecord& record) {
  for (const record::CheckRecord& check : record.checks) {
    if (check.applicable && !check.pass) return true;
  }
  return false;
}
