// Text output with the platform's file errors.
#include "common/TextFile.h"

#include <cerrno>

#include "common/FileSystem.h"
#include "common/RuntimeError.h"

TextFile::TextFile(const std::string& path, WriteMode mode) : path_(path), file_(OpenForWriting(path, mode)) {}

TextFile::~TextFile() {
  if (file_ != nullptr) std::fclose(file_);
}

void TextFile::Write(std::string_view text) {
  if (file_ == nullptr) Raise(ErrorNumber::PathFileAccessError, path_ + ": file is closed");
  if (!text.empty() && std::fwrite(text.data(), 1, text.size(), file_) != text.size()) {
    RaiseFileError(errno, path_);
  }
}

void TextFile::WriteLine(std::string_view text) {
  Write(text);
  Write("\r\n");
}

void TextFile::Close() {
  if (file_ == nullptr) return;
  std::FILE* file = file_;
  file_ = nullptr;
  errno = 0;
  if (std::fclose(file) != 0) RaiseFileError(errno, path_);
}
