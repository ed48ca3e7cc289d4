// Reading the leading options.
#include "app/ProgramOptions.h"

#include <utility>

#include "common/RuntimeError.h"

namespace {

bool StartsAsOption(const std::string& word) { return word.rfind("--", 0) == 0 || word == "-h"; }

// Takes the option `word` (and its FILE from words[i], moving i past it)
// into `options`; false for a word that is no option.
bool ReadOption(const std::string& word, const std::vector<std::string>& words, std::size_t& i,
                ProgramOptions& options) {
  std::string* file = word == "--json" ? &options.json : word == "--samples" ? &options.samples
                      : word == "--html" ? &options.html : nullptr;
  if (file != nullptr) {
    if (i == words.size() || words[i].empty()) {
      Raise(ErrorNumber::InvalidProcedureCall, "the option " + word + " needs a FILE (- for standard output)");
    }
    // An option where the FILE belongs means the FILE was left out.
    if (words[i] != "-" && words[i].front() == '-') {
      Raise(ErrorNumber::InvalidProcedureCall, "the option " + word + " needs a FILE, and " + words[i] +
                                                   " is not one (./" + words[i] + " names a file of that name)");
    }
    *file = words[i++];
  } else if (word == "--help" || word == "-h") {
    options.help = true;
  } else if (word == "--version") {
    options.version = true;
  } else if (word == "--limit-data") {
    options.limitData = true;
  } else if (word == "--quiet") {
    options.quiet = true;
  } else if (word == "--strict") {
    options.strict = true;
  } else if (word == "--unicode") {
    options.unicode = true;
  } else if (word == "--decimal-comma") {
    options.decimalComma = true;
  } else if (TakeMethodOption(word, words, i, options.methodWords)) {
    // checked once every option is read, when the method is known
  } else {
    return false;
  }
  return true;
}

// Whether `word` is one of the options, as an option after the fields would be.
bool IsOption(const std::string& word) {
  const std::vector<std::string> file = {"FILE"};
  std::size_t at = 0;
  ProgramOptions scratch;
  try {
    return ReadOption(word, file, at, scratch);
  } catch (const RuntimeError&) {
    return false;
  }
}

}  // namespace

std::size_t ParseProgramOptions(const std::vector<std::string>& words, ProgramOptions& options) {
  std::size_t i = 0;
  bool ended = false;  // "--" came: what follows is the argument text, whatever it looks like
  while (i < words.size() && StartsAsOption(words[i])) {
    const std::string& word = words[i++];
    if (word == "--") {
      ended = true;
      break;
    }
    if (!ReadOption(word, words, i, options)) {
      Raise(ErrorNumber::InvalidProcedureCall, "unknown option " + word + " (coastdown --help lists the options)");
    }
  }
  // An option typed after the fields would silently become part of them.
  for (std::size_t k = i; !ended && k < words.size(); ++k) {
    if (IsOption(words[k])) {
      Raise(ErrorNumber::InvalidProcedureCall, "the option " + words[k] +
                                                   " comes after the fields; options come before them (-- before "
                                                   "the fields keeps it as text)");
    }
  }
  // The fields taken for a FILE: nothing is left for them.
  if (i == words.size()) {
    for (const auto& [option, file] : {std::pair{"--json", &options.json}, std::pair{"--samples", &options.samples},
                                       std::pair{"--html", &options.html}}) {
      if (file->find(',') != std::string::npos) {
        Raise(ErrorNumber::InvalidProcedureCall, std::string("the FILE of ") + option + " is " + *file +
                                                     ", which looks like the fields; give the FILE before them");
      }
    }
  }
  options.methods = ReadMethodOptions(options.methodWords);
  if (options.limitData && options.methods.method == AnalysisMethodKind::Intervals) {
    Raise(ErrorNumber::InvalidProcedureCall, std::string("--limit-data is not used by --method ") +
                                                 MethodName(options.methods.method) +
                                                 "; it is for --method legacy or --method impulse");
  }
  return i;
}
