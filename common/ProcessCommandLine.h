// The process's command line as the program reads it: the words after the
// program's name, as the C runtime splits them, for the leading options, and
// the argument text that follows them, from which the ten fields are cut.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

class ProcessCommandLine {
 public:
  ProcessCommandLine(int argc, char** argv);

  // The words after the program's name.
  const std::vector<std::string>& Words() const { return words_; }
  // The argument text after the first `skip` words. On POSIX systems the
  // remaining words joined with one blank (the shell has already split and
  // unquoted them); on Windows the rest of the process's own command line
  // as it was typed, read as wide characters and kept as UTF-8, so that
  // folder names outside ASCII reach the file system unchanged.
  std::string TextAfter(std::size_t skip) const;

 private:
  std::vector<std::string> words_;
#ifdef _WIN32
  std::string text_;                // the command line after the program's name
  std::vector<std::size_t> ends_;   // where each word ends in text_
#endif
};
