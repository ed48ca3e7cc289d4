// The whole coastdown-import program behind main, with its streams passed
// in so that the tests can run it as a user does and read what it says.
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace importer {

inline constexpr int kExitOk = 0;
inline constexpr int kExitFailure = 1;  // the files could not be imported or the folder written
inline constexpr int kExitUsage = 2;    // the command line was wrong

// Runs the program on the arguments after its name; returns the exit status.
int RunImporter(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace importer
