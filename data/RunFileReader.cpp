// The run-file probe, the block reads and the conversion of one field.
#include "data/RunFileReader.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "common/TextFile.h"

RunFileStream::~RunFileStream() {
  if (fd_ >= 0) ::close(fd_);
}

bool RunFileStream::Open(const std::string& fileName) {
  fileName_ = fileName;
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
  fd_ = fd;

  struct stat info {};
  if (::fstat(fd_, &info) != 0) RaiseFileError(errno, fileName);
  if (S_ISDIR(info.st_mode)) Raise(ErrorNumber::PathFileAccessError, fileName + " is a folder");
  if (info.st_size < 1) {
    ::close(fd_);
    fd_ = -1;
    if (::unlink(fileName.c_str()) != 0) RaiseFileError(errno, fileName);
    return false;
  }
  return true;
}

std::size_t RunFileStream::Read(char* buffer, std::size_t size) {
  for (;;) {
    const ssize_t got = ::read(fd_, buffer, size);
    if (got >= 0) return static_cast<std::size_t>(got);
    if (errno != EINTR) RaiseFileError(errno, fileName_);
  }
}

double RunFileFieldValue(std::string_view field, const std::string& fileName, long line) {
  double value = 0.0;
  switch (TryParseNumber(field, value)) {
    case NumberParse::Ok:
      return value;
    case NumberParse::TooLarge:
      // A number can be a megabyte of digits; its start tells the user enough.
      Raise(ErrorNumber::Overflow, fileName + ", line " + std::to_string(line) + ": the number " +
                                       std::string(field.substr(0, 24)) + (field.size() > 24 ? "..." : "") +
                                       " is too large for a double");
    case NumberParse::NotANumber:
      break;
  }
  return 0.0;
}
