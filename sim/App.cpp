// Options in, folder out, command line printed; errors to the right stream
// with the right status.
#include "App.h"

#include <exception>

#include "Command.h"
#include "Options.h"
#include "TestFolder.h"

namespace sim {

int RunSimulator(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  ParsedOptions parsed;
  try {
    parsed = ParseOptions(args);
  } catch (const UsageError& e) {
    err << "coastdown-sim: " << e.what() << "\n"
        << "Try 'coastdown-sim --help' for the options.\n";
    return kExitUsage;
  }
  if (parsed.help) {
    out << HelpText();
    return kExitOk;
  }
  try {
    const std::string arguments = WriteTestFolder(parsed.config);
    out << CoastdownCommandLine(arguments, parsed.config.rate) << "\n";
  } catch (const std::exception& e) {
    err << "coastdown-sim: " << e.what() << "\n";
    return kExitFailure;
  }
  return kExitOk;
}

}  // namespace sim
