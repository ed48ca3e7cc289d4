// The entry point: the leading options, the argument text into ten fields,
// the application object, one run, then what the options ask for besides
// the report. An error that no step handles ends the run here.
#include <cstdio>
#include <memory>
#include <new>
#include <optional>
#include <string>
#include <vector>

#include "app/CommandLine.h"
#include "app/LegacyComparison.h"
#include "app/MethodInputs.h"
#include "app/ProgramOptions.h"
#include "app/RunOutputs.h"
#include "app/SAEAppWrapper.h"
#include "common/FileSystem.h"
#include "common/Platform.h"
#include "common/ProcessCommandLine.h"
#include "common/RuntimeError.h"
#include "common/UnitFactors.h"
#include "common/Version.h"
#include "common/VisibleText.h"
#include "data/RunFileReader.h"
#include "methods/ImpulseMethod.h"
#include "pipeline/IntervalPipeline.h"
#include "record/AnalysisRecord.h"
#include "record/Recorder.h"

namespace {

// "coastdown: run-time error N: DESCRIPTION (DETAIL)", the detail's hidden
// characters shown (a CR that a file with CR LF line ends left in a field).
void PrintErrorLine(const RuntimeError& error) {
  std::fprintf(stderr, "coastdown: %s\n", RuntimeError(error.Number(), VisibleText(error.Detail())).what());
}

// The one error line, its cause named as the record knows it, and what the
// user finds in the folder.
void PrintError(const RuntimeError& error, const record::AnalysisRecord& analysis, bool settingParameters) {
  // The record explains the error that ended the run; without it, the error's own detail stands.
  PrintErrorLine(RuntimeError(error.Number(), analysis.error.number != 0 ? analysis.error.detail : error.Detail()));
  if (settingParameters && error.Number() == ErrorNumber::SubscriptOutOfRange) {
    // An empty command line asks what the program wants: all of the usage.
    const std::string usage = UsageText();
    std::fputs((analysis.fields.empty() ? usage : usage.substr(0, usage.find('\n') + 1)).c_str(), stderr);
  }
  if (!analysis.fields.empty() && !analysis.fields[0].empty()) {
    const std::string report = JoinPath(analysis.fields[0], "VB6Output.txt");
    if (IsRegularFile(report)) {
      std::fprintf(stderr, "coastdown: note: %s is the report of an earlier run, not of this one\n",
                   VisibleText(report).c_str());
    }
  }
}

}  // namespace

int main(int argc, char** argv) {
  UseBinaryStandardStreams();
  const ProcessCommandLine commandLine(argc, argv);
  ProgramOptions options;
  record::AnalysisRecord analysis;
  record::Recorder recorder(analysis);
  bool optionsRead = false;
  bool settingParameters = true;
  int status = 0;
  std::optional<RuntimeError> failure;  // the error that ended the run
  std::unique_ptr<ImpulseMethod> impulse;  // --method impulse
  try {
    const std::size_t optionWords = ParseProgramOptions(commandLine.Words(), options);
    if (options.help) {
      std::fputs(UsageText().c_str(), stdout);
      return 0;
    }
    if (options.version) {
      std::printf("coastdown %s\n", kProgramVersionText);
      return 0;
    }

    const std::string text = commandLine.TextAfter(optionWords);
    const std::vector<std::string> fields = SplitCommandLine(text);
    // An output that could not be a file of its own stops the run before
    // anything is read or written.
    CheckOutputTargets(options, fields.empty() ? std::string() : fields[0]);
    optionsRead = true;

    KeepFreedMemoryForReuse();
    RunFileReadingOptions() = {options.unicode, options.decimalComma};
    StartRecord(analysis, text, fields, options);
    SAEAppWrapper app;
    app.SetParams(fields);
    if (options.methods.si) UseSiUnits(UnitFactors());
    settingParameters = false;
    // The window the command line otherwise leaves off.
    if (options.limitData) app.LimitData = app.SpeedWindowFirst = true;
    app.Observe(&recorder);
    recorder.HashRunFiles(!options.json.empty() || !options.html.empty());
    if (options.methods.method == AnalysisMethodKind::Intervals) {
      IntervalPipeline intervals(recorder);
      intervals.Process(app, fields, options.methods);
      if (intervals.HasAnemometerData()) AddLegacyComparison(analysis, fields, options);
      status = intervals.ReportSaveFailed() ? 2 : 0;
    } else {
      if (options.methods.method == AnalysisMethodKind::Impulse) {
        // The yaw curve and the wind beside the track are read before the
        // analysis starts, so that a file of them that is wrong ends it first.
        impulse = std::make_unique<ImpulseMethod>(options.methods);
        app.UseMethod(impulse.get(), MethodInputsFromOptions(options.methods));
        app.SampleRate = SampleRecords(options.methods.rateHz);
      }
      app.Process();
      status = app.ReportSaveFailed() ? 2 : 0;
    }
  } catch (const RuntimeError& error) {
    if (!optionsRead) {
      PrintErrorLine(error);
      return 1;
    }
    failure = error;
    status = 1;
  } catch (const std::bad_alloc&) {
    std::fputs("coastdown: out of memory\n", stderr);
    return 1;
  }
  if (impulse && impulse->Analysis().ran) recorder.ImpulseAnalysed(impulse->Analysis());
  recorder.Finish(failure ? &*failure : nullptr);
  PrintWarnings(analysis, options);
  if (failure) PrintError(*failure, analysis, settingParameters);
  if (options.strict && status == 0 && AnyCheckFailed(analysis)) status = 3;
  analysis.exitStatus = status;
  try {
    WriteRequestedOutputs(analysis, options);
  } catch (const RuntimeError& error) {
    PrintErrorLine(error);
    return 1;
  }
  return status;
}
