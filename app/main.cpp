// The entry point: the command line into ten fields, the application object,
// one run. An error that no step handles ends the program here.
#include <cstdio>
#include <string>
#include <vector>

#include "app/CommandLine.h"
#include "app/SAEAppWrapper.h"
#include "common/Platform.h"
#include "common/RuntimeError.h"

int main(int argc, char** argv) {
  const std::string text = JoinArguments(argc, argv);
  if (argc == 2 && (text == "--help" || text == "-h")) {
    std::fputs(UsageText().c_str(), stdout);
    return 0;
  }
  if (argc == 2 && text == "--version") {
    std::fputs("coastdown 1.0.2\n", stdout);
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
      std::fputs("usage: coastdown FOLDER,CALIBRATE,ZERO,MIN_SPEED,MAX_SPEED,WEIGHT,TEMPERATURE,PRESSURE,AREA,[CD]\n",
                 stderr);
    }
    return 1;
  } catch (const std::bad_alloc&) {
    std::fputs("coastdown: out of memory\n", stderr);
    return 1;
  }
}
