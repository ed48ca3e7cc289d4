// The run-file probe and the conversion of one field.
#include "data/RunFileReader.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <memory>

#include "common/TextFile.h"

namespace {

// Closes the descriptor on every way out of the probe.
class FileDescriptor {
 public:
  explicit FileDescriptor(int fd) : fd_(fd) {}
  ~FileDescriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;
  int get() const { return fd_; }
  void Close() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
  }

 private:
  int fd_;
};

}  // namespace

bool ReadRunFileText(const std::string& fileName, RunFileText& text) {
  // The probe opens the file for reading and writing, which creates it when
  // it does not exist; a file we may only read is opened for reading.
  int fd = ::open(fileName.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
  if (fd < 0 && (errno == EACCES || errno == EROFS || errno == EPERM)) {
    const int denied = errno;
    fd = ::open(fileName.c_str(), O_RDONLY | O_CLOEXEC);
    // Nothing to create in a folder we may not write: the set ends here.
    if (fd < 0 && errno == ENOENT) return false;
    if (fd < 0) RaiseFileError(denied, fileName);
  }
  if (fd < 0) RaiseFileError(errno, fileName);
  FileDescriptor file(fd);

  struct stat info {};
  if (::fstat(file.get(), &info) != 0) RaiseFileError(errno, fileName);
  if (S_ISDIR(info.st_mode)) Raise(ErrorNumber::PathFileAccessError, fileName + " is a folder");
  if (info.st_size < 1) {
    file.Close();
    if (::unlink(fileName.c_str()) != 0) RaiseFileError(errno, fileName);
    return false;
  }

  // The buffer is not zero-filled first: the file fills it. One byte more
  // than the file's length tells a file that grew since fstat.
  std::size_t capacity = static_cast<std::size_t>(info.st_size) + 1;
  auto buffer = std::make_unique_for_overwrite<char[]>(capacity);
  std::size_t used = 0;
  for (;;) {
    if (used == capacity) {
      auto larger = std::make_unique_for_overwrite<char[]>(capacity * 2);
      std::memcpy(larger.get(), buffer.get(), used);
      buffer = std::move(larger);
      capacity *= 2;
    }
    const ssize_t got = ::read(file.get(), buffer.get() + used, capacity - used);
    if (got < 0) {
      if (errno == EINTR) continue;
      RaiseFileError(errno, fileName);
    }
    if (got == 0) break;
    used += static_cast<std::size_t>(got);
  }
  text.Assign(std::move(buffer), used);
  return true;
}

double RunFileFieldValue(std::string_view field, const std::string& fileName, long line) {
  double value = 0.0;
  switch (TryParseNumber(field, value)) {
    case NumberParse::Ok:
      return value;
    case NumberParse::TooLarge:
      Raise(ErrorNumber::Overflow, fileName + ", line " + std::to_string(line) + ": the number " +
                                       std::string(field) + " is too large for a double");
    case NumberParse::NotANumber:
      break;
  }
  return 0.0;
}
