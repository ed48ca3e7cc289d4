// The C runtime's splitting of a Windows command line, on plain text.
#include "common/WindowsCommandLine.h"

#include <utility>

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::size_t SkipBlanks(std::string_view text, std::size_t at) {
  while (at < text.size() && IsBlank(text[at])) ++at;
  return at;
}

// The end of the program's name: quotes only group, backslashes are part of
// the path.
std::size_t EndOfProgramName(std::string_view line) {
  bool quoted = false;
  std::size_t at = 0;
  for (; at < line.size(); ++at) {
    if (line[at] == '"') {
      quoted = !quoted;
    } else if (!quoted && IsBlank(line[at])) {
      break;
    }
  }
  return at;
}

// Reads the word that starts at `at` into `word`; returns where it ends.
std::size_t ReadWord(std::string_view line, std::size_t at, std::string& word) {
  bool quoted = false;
  while (at < line.size()) {
    std::size_t backslashes = 0;
    while (at < line.size() && line[at] == '\\') {
      ++backslashes;
      ++at;
    }
    if (at < line.size() && line[at] == '"') {
      word.append(backslashes / 2, '\\');
      if (backslashes % 2 == 1) {
        word.push_back('"');
      } else if (quoted && at + 1 < line.size() && line[at + 1] == '"') {
        word.push_back('"');
        ++at;
      } else {
        quoted = !quoted;
      }
      ++at;
      continue;
    }
    word.append(backslashes, '\\');
    if (at == line.size() || (!quoted && IsBlank(line[at]))) break;
    word.push_back(line[at]);
    ++at;
  }
  return at;
}

}  // namespace

WindowsCommandLine SplitWindowsCommandLine(std::string_view commandLine) {
  const std::size_t start = SkipBlanks(commandLine, EndOfProgramName(commandLine));
  const std::string_view rest = commandLine.substr(start);
  WindowsCommandLine result;
  std::size_t at = 0;
  for (;;) {
    at = SkipBlanks(rest, at);
    if (at == rest.size()) break;
    std::string word;
    at = ReadWord(rest, at, word);
    result.words.push_back(std::move(word));
    result.ends.push_back(at);
  }
  // Blanks at the end of the line are not typed as part of any field, even
  // where a quote was left open.
  std::size_t end = rest.size();
  while (end > 0 && IsBlank(rest[end - 1])) --end;
  result.text = std::string(rest.substr(0, end));
  return result;
}

std::string WindowsTextAfter(std::string_view text, const std::vector<std::size_t>& ends, std::size_t skip) {
  if (skip == 0) return std::string(text);
  if (skip > ends.size() || ends[skip - 1] >= text.size()) return {};
  return std::string(text.substr(SkipBlanks(text, ends[skip - 1])));
}
