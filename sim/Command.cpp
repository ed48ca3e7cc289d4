// The ten-field coastdown argument text and its command-line form.
#include "Command.h"

#include <algorithm>
#include <filesystem>

#include "NumberFormat.h"

namespace sim {

namespace {

namespace fs = std::filesystem;

// Characters that neither shell gives a meaning outside quotes. A comma is
// one: cmd.exe hands it on to a program unchanged.
constexpr const char* kPlain = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789,._-/+:@";

bool DoubleQuotesCarry(const std::string& word) {
  // " ends the quotes; $ and ` expand in a POSIX shell, % in cmd.exe, and
  // ! in an interactive bash and in cmd.exe with delayed expansion.
  if (word.find_first_of("\"$`%!") != std::string::npos) return false;
  // In double quotes a POSIX shell reads \\ as one backslash where a
  // Windows program keeps both, and a final backslash would escape the
  // closing quote.
  if (word.find("\\\\") != std::string::npos || (!word.empty() && word.back() == '\\')) return false;
  // Neither shell carries a line end within one command line.
  return std::none_of(word.begin(), word.end(), [](char ch) { return ch == '\n' || ch == '\r'; });
}

std::string PosixWord(const std::string& word) {
  std::string quoted = "'";
  for (char ch : word) quoted += ch == '\'' ? std::string("'\\''") : std::string(1, ch);
  return quoted + "'";
}

// cmd.exe expands %NAME% even in double quotes, and a program splits its
// command line at a quote, so the quotes are left for ^% (cmd.exe reads a
// plain %; with the quotes in the name no variable can match) and for \^"
// (a plain quote for the program). A program reads backslashes before a
// quote halved, so a run of them before a closing quote is doubled.
std::string CmdWord(const std::string& word) {
  std::string quoted = "\"";
  std::size_t backslashes = 0;
  for (char ch : word) {
    if (ch == '"' || ch == '%') {
      quoted.append(backslashes, '\\');
      quoted += ch == '"' ? "\"\\^\"\"" : "\"^%\"";
      backslashes = 0;
    } else {
      backslashes = ch == '\\' ? backslashes + 1 : 0;
      quoted += ch;
    }
  }
  quoted.append(backslashes, '\\');
  return quoted + "\"";
}

}  // namespace

std::string NativePath(const std::string& outDir) {
  fs::path path(outDir);
  path.make_preferred();
  std::string folder = path.string();
  // Trailing separators go, but a root ("/", "C:\") stays whole.
  const std::size_t root = std::max<std::size_t>(1, path.root_path().string().size());
  while (folder.size() > root && folder.back() == fs::path::preferred_separator) folder.pop_back();
  return folder;
}

std::string CoastdownArguments(const SimConfig& c) {
  const char* calibrate = c.runs.calRuns >= 2 ? "True" : "False";
  const char* zero = c.runs.zeroRuns >= 1 ? "True" : "False";
  std::string text = NativePath(c.outDir);
  // coastdown may read a leading word that starts with a dash as one of
  // its options (--json, -h), so such a folder goes through the current one.
  if (!text.empty() && text.front() == '-') {
    text.insert(0, std::string(".") + static_cast<char>(fs::path::preferred_separator));
  }
  for (const std::string& field :
       {std::string(calibrate), std::string(zero), FormatShortest(c.runs.coastLowMph),
        FormatShortest(c.runs.coastHighMph), FormatShortest(c.vehicle.weightLb),
        FormatShortest(c.conditions.temperatureF), FormatShortest(c.conditions.pressureInHg),
        FormatShortest(c.vehicle.areaFt2), c.knownCd ? FormatShortest(*c.knownCd) : std::string()}) {
    text += "," + field;
  }
  return text;
}

std::string CommandWord(const std::string& word, Shell fallback) {
  if (!word.empty() && word.find_first_not_of(kPlain) == std::string::npos) return word;
  if (DoubleQuotesCarry(word)) return "\"" + word + "\"";
  return fallback == Shell::Posix ? PosixWord(word) : CmdWord(word);
}

std::string CoastdownCommandLine(const std::string& arguments, int rate) {
  const std::string options = rate == 5 ? "" : "--rate " + std::to_string(rate) + " ";
  return "coastdown " + options + CommandWord(arguments);
}

}  // namespace sim
