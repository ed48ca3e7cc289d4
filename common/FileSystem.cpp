// What the file layer does alike on every platform: forming a path and
// naming the error of a failed C library call.
#include "common/FileSystem.h"

#include <cerrno>

#include "common/RuntimeError.h"

std::string JoinPath(const std::string& folder, const std::string& name) { return folder + kPathSeparator + name; }

std::string NameOf(const std::string& path) {
#ifdef _WIN32
  const std::size_t at = path.find_last_of("\\/:");
#else
  const std::size_t at = path.rfind('/');
#endif
  return at == std::string::npos ? path : path.substr(at + 1);
}

void RaiseFileError(int errorCode, const std::string& path) {
  switch (errorCode) {
    case ENOENT:
    case ENOTDIR:
      Raise(ErrorNumber::PathNotFound, path);
    case EACCES:
    case EPERM:
    case EROFS:
      Raise(ErrorNumber::PermissionDenied, path);
    default:
      Raise(ErrorNumber::PathFileAccessError, path);
  }
}
