// Options in, files read and converted, folder written, summary printed;
// errors to the right stream with the right status.
#include "App.h"

#include <exception>

#include "Command.h"
#include "ImportError.h"
#include "Importer.h"
#include "NumberFormat.h"
#include "Options.h"
#include "OutputFolder.h"
#include "Summary.h"
#include "common/Version.h"

namespace importer {

namespace {

// A run file as coastdown reads it and coastdown-sim writes it: speed and
// relative wind in mph, yaw in degrees, six decimals, CR LF.
std::string RunFileText(const std::vector<RunRecord>& records) {
  std::string text;
  text.reserve(records.size() * 32);
  for (const RunRecord& r : records) {
    text += sim::FormatSixDecimals(MetresPerSecondToMph(r.speed)) + "," +
            sim::FormatSixDecimals(MetresPerSecondToMph(r.wind)) + "," + sim::FormatSixDecimals(r.yaw) + "\r\n";
  }
  return text;
}

std::vector<std::string> Inputs(const Options& o) {
  std::vector<std::string> all;
  for (const auto* names : {&o.zeroFiles, &o.calFiles, &o.dataFiles, &o.recordings}) {
    all.insert(all.end(), names->begin(), names->end());
  }
  return all;
}

}  // namespace

int RunImporter(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  Options options;
  try {
    options = ParseOptions(args);
  } catch (const UsageError& e) {
    err << "coastdown-import: " << e.what() << "\n"
        << "Try 'coastdown-import --help' for the options.\n";
    return kExitUsage;
  }
  if (options.help) {
    out << HelpText();
    return kExitOk;
  }
  if (options.version) {
    out << "coastdown-import " << kProgramVersionText << "\n";
    return kExitOk;
  }
  try {
    const ImportResult result = Import(options);
    std::vector<FolderFile> files;
    for (const ImportedRun& run : result.runs) {
      files.push_back({std::string(RunSetName(run.set)) + "." + std::to_string(run.number), RunFileText(run.records)});
    }
    if (result.command) files.push_back({"COMMAND", result.arguments + "\n"});
    const std::string summary = SummaryText(options, result);
    files.push_back({"SUMMARY.txt", summary});
    WriteFolder(options.outDir, options.force, files, Inputs(options));
    out << summary;
    if (result.command) out << "\n" << sim::CoastdownCommandLine(result.arguments) << "\n";
    for (const std::string& w : result.warnings) err << "coastdown-import: warning: " << w << "\n";
  } catch (const UsageError& e) {
    err << "coastdown-import: " << e.what() << "\n";
    return kExitUsage;
  } catch (const std::exception& e) {
    err << "coastdown-import: " << e.what() << "\n";
    return kExitFailure;
  }
  return kExitOk;
}

}  // namespace importer
