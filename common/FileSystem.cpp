// What the file layer does alike on every platform: forming a path and
// naming the error of a failed C library call.
#include "common/FileSystem.h"

#include <cerrno>

#include "common/RuntimeError.h"

std::string JoinPath(const std::string& folder, const std::string& name) { return folder + kPathSeparator + name; }

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
