// The entry point: the leading options, the argument text into ten fields,
// the application object, one run. An error that no step handles ends the
// program here.
#include <cstdio>
#include <new>
#include <string>

#include "app/CommandLine.h"
#include "app/ProgramOptions.h"
#include "app/SAEAppWrapper.h"
#include "common/Platform.h"
#include "common/ProcessCommandLine.h"
#include "common/RuntimeError.h"
#include "common/Version.h"

int main(int argc, char** argv) {
  const ProcessCommandLine commandLine(argc, argv);
  bool settingParameters = true;
  try {
    ProgramOptions options;
    const std::size_t optionWords = ParseProgramOptions(commandLine.Words(), options);
    if (options.help) {
      std::fputs(UsageText().c_str(), stdout);
      return 0;
    }
    if (options.version) {
      std::printf("coastdown %s\n", kProgramVersionText);
      return 0;
    }

    KeepFreedMemoryForReuse();
    SAEAppWrapper app;
    app.SetParams(SplitCommandLine(commandLine.TextAfter(optionWords)));
    settingParameters = false;
    // The window the command line otherwise leaves off.
    if (options.limitData) app.LimitData = true;
    app.Process();
    return app.ReportSaveFailed() ? 2 : 0;
  } catch (const RuntimeError& error) {
    std::fprintf(stderr, "coastdown: %s\n", error.what());
    if (settingParameters && error.Number() == ErrorNumber::SubscriptOutOfRange) {
      const std::string usage = UsageText();
      std::fputs(usage.substr(0, usage.find('\n') + 1).c_str(), stderr);
    }
    return 1;
  } catch (const std::bad_alloc&) {
    std::fputs("coastdown: out of memory\n", stderr);
    return 1;
  }
}
