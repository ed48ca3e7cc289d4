// Reading the leading options.
#include "app/ProgramOptions.h"

#include "common/RuntimeError.h"

namespace {

bool StartsAsOption(const std::string& word) { return word.rfind("--", 0) == 0 || word == "-h"; }

}  // namespace

std::size_t ParseProgramOptions(const std::vector<std::string>& words, ProgramOptions& options) {
  std::size_t i = 0;
  while (i < words.size() && StartsAsOption(words[i])) {
    const std::string& word = words[i++];
    if (word == "--") break;
    std::string* file = word == "--json" ? &options.json : word == "--samples" ? &options.samples
                        : word == "--html" ? &options.html : nullptr;
    if (file != nullptr) {
      if (i == words.size() || words[i].empty()) {
        Raise(ErrorNumber::InvalidProcedureCall, "the option " + word + " needs a FILE (- for standard output)");
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
    } else if (TakeMethodOption(word, words, i, options.methodWords)) {
      // checked below, once the method is known
    } else {
      Raise(ErrorNumber::InvalidProcedureCall, "unknown option " + word + " (coastdown --help lists the options)");
    }
  }
  options.methods = ReadMethodOptions(options.methodWords);
  if (options.limitData && options.methods.method != AnalysisMethodKind::Legacy) {
    Raise(ErrorNumber::InvalidProcedureCall, std::string("--limit-data is not used by --method ") +
                                                 MethodName(options.methods.method) + "; it is for --method legacy");
  }
  return i;
}
