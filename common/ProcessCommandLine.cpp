// The process's command line on POSIX systems. (Windows: ProcessCommandLineWindows.cpp.)
#include "common/ProcessCommandLine.h"

ProcessCommandLine::ProcessCommandLine(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) words_.emplace_back(argv[i]);
}

std::string ProcessCommandLine::TextAfter(std::size_t skip) const {
  std::string text;
  for (std::size_t i = skip; i < words_.size(); ++i) {
    if (i > skip) text += ' ';
    text += words_[i];
  }
  return text;
}
