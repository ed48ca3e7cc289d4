// Splitting the argument text into fields, and the usage text.
#include "app/CommandLine.h"

#include "app/UsageText.h"

std::vector<std::string> SplitCommandLine(std::string_view text) {
  std::string unquoted;
  unquoted.reserve(text.size());
  for (char c : text) {
    if (c != '"') unquoted += c;
  }
  std::vector<std::string> fields;
  if (unquoted.empty()) return fields;
  std::size_t start = 0;
  for (;;) {
    const std::size_t comma = unquoted.find(',', start);
    if (comma == std::string::npos) {
      fields.push_back(unquoted.substr(start));
      return fields;
    }
    fields.push_back(unquoted.substr(start, comma - start));
    start = comma + 1;
  }
}

std::string UsageText() { return kUsageText; }
