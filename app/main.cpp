// The entry point: the command line into ten fields, the application object,
// one run. An error that no step handles ends the program here.
#include <cstdio>
#include <string>
#include <vector>

#include "app/CommandLine.h"
#include "app/SAEAppWrapper.h"
#include "common/Platform.h"
#include "common/RuntimeError.h"
#include "common/Version.h"

int main(int argc, char** argv) {
  const std::string text = JoinArguments(argc, argv);
  if (argc == 2 && (text == "--help" || text == "-h")) {
    std::fputs(UsageText().c_str(), stdout);
    return 0;
  }
  if (argc == 2 && text == "--version") {
    std::printf("coastdown %s\n", kProgramVersionText);
    return 0;
  }

  KeepFreedMemoryForReuse();
  bool settingParameters = true;
  try {
    SAEAppWrapper app;
    app.SetParams(SplitCommandLine(text));
    settingParameters = false;
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
