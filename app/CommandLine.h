// The entry point's treatment of the command line, kept apart from main so
// that the tests can reach it.
#pragma once

#include <string>
#include <string_view>
#include <vector>

// Every double quote deleted, then split at every comma; empty fields stay,
// nothing is trimmed, and an empty text gives no fields.
std::vector<std::string> SplitCommandLine(std::string_view text);

// The --help text; its first line is the usage line.
std::string UsageText();
