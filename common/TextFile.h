// A text file written line by line with CR LF line ends, opened in one of
// the file layer's writing modes. Failures raise the file errors: 76 for a
// missing folder, 70 when access is refused, 75 for anything else.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

#include "common/FileSystem.h"

class TextFile {
 public:
  TextFile(const std::string& path, WriteMode mode);
  ~TextFile();
  TextFile(const TextFile&) = delete;
  TextFile& operator=(const TextFile&) = delete;

  // Writes the text; nothing is added.
  void Write(std::string_view text);
  // Writes the text and a carriage return and line feed.
  void WriteLine(std::string_view text = {});
  // Flushes and closes; an error while flushing is raised here.
  void Close();

 private:
  std::string path_;
  std::FILE* file_ = nullptr;
};
