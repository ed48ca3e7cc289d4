// The file layer on Windows. (POSIX: FileSystemPosix.cpp.) Paths are UTF-8
// in the program and UTF-16 at the system; files are read and written as
// bytes. The same fault raises the same error as on POSIX systems, and the
// same promises hold: a run file is looked for without creating it, only a
// regular file that is still empty is deleted, and the report's temporary
// is safe from other runs until it takes the report's name.
//
// The whole file is for Windows; elsewhere it compiles to nothing, so that
// tools that look at every source of the folder can take it too.
#ifdef _WIN32

#include <windows.h>
#include <fcntl.h>
#include <io.h>

#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <utility>
#include <vector>

#include "common/FileSystem.h"
#include "common/RuntimeError.h"
#include "common/WideText.h"

// A root ("\\", "C:\\") keeps its separator.
std::string FolderOf(const std::string& path) {
  const std::size_t at = path.find_last_of("\\/");
  if (at == std::string::npos) return path.size() >= 2 && path[1] == ':' ? path.substr(0, 2) : ".";
  if (at == 0 || (at == 2 && path[1] == ':')) return path.substr(0, at + 1);
  return path.substr(0, at);
}

namespace {

// Others may read, write and delete what the program has open, as on POSIX
// systems, except for the report's temporary (StagedFile::Create).
constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

// The header keeps a handle in an integer, as it keeps a POSIX descriptor.
HANDLE AsHandle(std::intptr_t handle) {
  return reinterpret_cast<HANDLE>(handle);  // NOLINT(performance-no-int-to-ptr)
}
std::intptr_t FromHandle(HANDLE handle) { return reinterpret_cast<std::intptr_t>(handle); }

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

// The end of a temporary's name as this program forms it: the process id,
// and a dash and a number of tries when that name was taken.
bool OwnTemporarySuffix(const std::string& suffix) {
  const std::size_t dash = suffix.find('-');
  const auto digits = [](const std::string& text) {
    return !text.empty() && text.size() <= 10 && text.find_first_not_of("0123456789") == std::string::npos;
  };
  return digits(suffix.substr(0, dash)) && (dash == std::string::npos || digits(suffix.substr(dash + 1)));
}

// The file error for a system error code, numbered as RaiseFileError numbers
// the errno values of the same faults.
[[noreturn]] void RaiseSystemError(DWORD code, const std::string& path) {
  switch (code) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_DRIVE:
    case ERROR_INVALID_NAME:
    case ERROR_DIRECTORY:
    case ERROR_BAD_NETPATH:
    case ERROR_BAD_NET_NAME:
      Raise(ErrorNumber::PathNotFound, path);
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_WRITE_PROTECT:
      Raise(ErrorNumber::PermissionDenied, path);
    default:
      Raise(ErrorNumber::PathFileAccessError, path);
  }
}

// What an open handle leads to.
struct FileFacts {
  DWORD attributes = 0;
  DWORD volume = 0;
  std::uint64_t index = 0;
  bool onDisk = false;  // a file or folder of a file system, not a device or pipe
};

bool Describe(HANDLE handle, FileFacts& facts) {
  BY_HANDLE_FILE_INFORMATION info{};
  if (::GetFileInformationByHandle(handle, &info) == 0) return false;
  facts.attributes = info.dwFileAttributes;
  facts.volume = info.dwVolumeSerialNumber;
  facts.index = (std::uint64_t{info.nFileIndexHigh} << 32) | info.nFileIndexLow;
  facts.onDisk = ::GetFileType(handle) == FILE_TYPE_DISK;
  return true;
}

bool IsRegular(const FileFacts& facts) { return facts.onDisk && (facts.attributes & FILE_ATTRIBUTE_DIRECTORY) == 0; }

bool SameFile(const FileFacts& a, const FileFacts& b) { return a.volume == b.volume && a.index == b.index; }

// What `path` leads to, links followed. False, with the system's error,
// when nothing there can be looked at.
bool LookUp(const std::string& path, FileFacts& facts, DWORD& error) {
  // Attributes only: nothing is read, and a folder opens too.
  const HANDLE handle = ::CreateFileW(WideFromUtf8(path).c_str(), FILE_READ_ATTRIBUTES, kShareAll, nullptr,
                                      OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    error = ::GetLastError();
    return false;
  }
  const bool described = Describe(handle, facts);
  error = described ? ERROR_SUCCESS : ::GetLastError();
  ::CloseHandle(handle);
  return described;
}

[[noreturn]] void RaiseNotARunFile(const std::string& path, const FileFacts& facts) {
  const char* what = (facts.attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ? "a folder" : "a device";
  Raise(ErrorNumber::PathFileAccessError, path + " is " + what + ", not a file");
}

// A name that is a folder is refused by Windows as a file that may not be
// written; the program's error for it is the one for a folder, as on POSIX
// systems.
[[noreturn]] void RaiseWriteError(DWORD code, const std::string& path) {
  if (code == ERROR_ACCESS_DENIED && IsFolder(path)) Raise(ErrorNumber::PathFileAccessError, path);
  RaiseSystemError(code, path);
}

// Marks the open file for deletion (or takes the mark back); it goes when
// its last handle is closed.
bool SetDeletion(HANDLE handle, bool deleted) {
  FILE_DISPOSITION_INFO disposition{static_cast<BOOLEAN>(deleted ? TRUE : FALSE)};
  return ::SetFileInformationByHandle(handle, FileDispositionInfo, &disposition, sizeof disposition) != 0;
}

std::uint64_t SizeOf(HANDLE handle, const std::string& path) {
  LARGE_INTEGER size{};
  if (::GetFileSizeEx(handle, &size) == 0) RaiseSystemError(::GetLastError(), path);
  return static_cast<std::uint64_t>(size.QuadPart);
}

// Renames the open file to `target`, replacing what is there. The rename
// goes through the handle, so it is the file this run wrote that takes the
// name. False with the system's error.
bool RenameOpenFile(HANDLE handle, const std::string& target) {
  const std::wstring wide = WideFromUtf8(target);
  // The full path: the system would take a bare name as one in the file's
  // own folder, and a relative path from the current folder.
  const DWORD needed = ::GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
  if (needed == 0) return false;
  std::wstring full(needed, L'\0');
  const DWORD length = ::GetFullPathNameW(wide.c_str(), needed, full.data(), nullptr);
  if (length == 0 || length >= needed) return false;
  full.resize(length);

  const std::size_t nameOffset = offsetof(FILE_RENAME_INFO, FileName);
  const std::size_t nameBytes = (full.size() + 1) * sizeof(wchar_t);
  // Zeroed and aligned as the structure needs; the name runs past its end.
  std::vector<std::uint64_t> storage((nameOffset + nameBytes + sizeof(std::uint64_t) - 1) / sizeof(std::uint64_t));
  auto* bytes = reinterpret_cast<unsigned char*>(storage.data());
  auto* info = reinterpret_cast<FILE_RENAME_INFO*>(bytes);
  info->ReplaceIfExists = TRUE;
  info->RootDirectory = nullptr;
  info->FileNameLength = static_cast<DWORD>(full.size() * sizeof(wchar_t));
  std::memcpy(bytes + nameOffset, full.c_str(), nameBytes);
  return ::SetFileInformationByHandle(handle, FileRenameInfo, info, static_cast<DWORD>(nameOffset + nameBytes)) != 0;
}

// The staged temporary takes the final name. Where the file system cannot
// rename an open file, the handle is closed first and the rename goes by
// name. Returns the system's error, ERROR_SUCCESS when it is done.
DWORD MoveOver(std::intptr_t& lock, const std::string& from, const std::string& to) {
  if (RenameOpenFile(AsHandle(lock), to)) return ERROR_SUCCESS;
  const DWORD error = ::GetLastError();
  if (error != ERROR_INVALID_PARAMETER && error != ERROR_NOT_SUPPORTED && error != ERROR_INVALID_FUNCTION) {
    return error;
  }
  ::CloseHandle(AsHandle(lock));
  lock = -1;
  if (::MoveFileExW(WideFromUtf8(from).c_str(), WideFromUtf8(to).c_str(), MOVEFILE_REPLACE_EXISTING) != 0) {
    return ERROR_SUCCESS;
  }
  return ::GetLastError();
}

// Removes the staged temporary, through its handle while it is open.
void Discard(std::intptr_t lock, const std::string& temporary) {
  if (lock != -1) {
    SetDeletion(AsHandle(lock), true);
  } else {
    ::DeleteFileW(WideFromUtf8(temporary).c_str());
  }
}

}  // namespace

InputFile::~InputFile() {
  if (handle_ != -1) ::CloseHandle(AsHandle(handle_));
}

bool InputFile::Open(const std::string& path) {
  path_ = path;
  const std::wstring wide = WideFromUtf8(path);
  // Looked at before it is opened, so that a folder is never opened. The
  // attributes are the name's own: a link is followed when it is opened.
  const DWORD attributes = ::GetFileAttributesW(wide.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    const DWORD error = ::GetLastError();
    if (error != ERROR_FILE_NOT_FOUND) RaiseSystemError(error, path);
    // Nothing of that name: the end of a set, if the folder is there.
    if (!IsFolder(FolderOf(path))) RaiseSystemError(ERROR_PATH_NOT_FOUND, path);
    return false;
  }
  if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 && (attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0) {
    Raise(ErrorNumber::PathFileAccessError, path + " is a folder, not a file");
  }
  // With the right to delete it, so that an empty file is deleted through
  // this handle, the very file that was found empty. Where that right is
  // not given (another program holds the file without letting it be
  // deleted, its permissions say no, the medium is read-only), it is read
  // all the same, and only deleting it would be refused.
  HANDLE file = ::CreateFileW(wide.c_str(), GENERIC_READ | DELETE, kShareAll, nullptr, OPEN_EXISTING,
                              FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (file == INVALID_HANDLE_VALUE && ::GetLastError() != ERROR_FILE_NOT_FOUND &&
      ::GetLastError() != ERROR_PATH_NOT_FOUND) {
    file = ::CreateFileW(wide.c_str(), GENERIC_READ, kShareAll, nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS,
                         nullptr);
  }
  if (file == INVALID_HANDLE_VALUE) {
    const DWORD error = ::GetLastError();
    // Gone since it was looked at, or a link that leads nowhere.
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) return false;
    RaiseSystemError(error, path);
  }
  handle_ = FromHandle(file);
  FileFacts opened;
  if (!Describe(file, opened)) RaiseSystemError(::GetLastError(), path);
  if (!IsRegular(opened)) RaiseNotARunFile(path, opened);
  return true;
}

std::uintmax_t InputFile::Size() const { return SizeOf(AsHandle(handle_), path_); }

std::size_t InputFile::Read(char* buffer, std::size_t size) {
  const DWORD wanted = size > (DWORD{1} << 30) ? (DWORD{1} << 30) : static_cast<DWORD>(size);
  DWORD got = 0;
  if (::ReadFile(AsHandle(handle_), buffer, wanted, &got, nullptr) == 0) {
    const DWORD error = ::GetLastError();
    if (error == ERROR_HANDLE_EOF) return 0;
    RaiseSystemError(error, path_);
  }
  return got;
}

InputFile::EmptyFile InputFile::DeleteIfEmpty() {
  const HANDLE file = AsHandle(handle_);
  if (SizeOf(file, path_) != 0) return EmptyFile::NotEmpty;
  // The name must still lead to the file that was found empty; a file put
  // in its place since is not ours to delete.
  FileFacts opened;
  FileFacts named;
  DWORD error = ERROR_SUCCESS;
  if (!Describe(file, opened)) RaiseSystemError(::GetLastError(), path_);
  if (LookUp(path_, named, error)) {
    if (!SameFile(named, opened)) return EmptyFile::NotEmpty;
  } else if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) {
    return EmptyFile::Deleted;
  } else if (error != ERROR_ACCESS_DENIED) {  // denied: already being deleted
    RaiseSystemError(error, path_);
  }
  // A logger that holds the file open for writing keeps it: a handle that
  // shares no writing cannot be opened beside its handle, and while this
  // one is open, no program can open the file for writing.
  // (Sharing is judged only for a handle with access to the data.)
  const HANDLE exclusive = ::CreateFileW(WideFromUtf8(path_).c_str(), GENERIC_READ,
                                         FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                         FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (exclusive == INVALID_HANDLE_VALUE && ::GetLastError() == ERROR_SHARING_VIOLATION) return EmptyFile::HeldOpen;
  const auto closeExclusive = [&] {
    if (exclusive != INVALID_HANDLE_VALUE) ::CloseHandle(exclusive);
  };
  if (!SetDeletion(file, true)) {
    const DWORD failed = ::GetLastError();
    closeExclusive();
    RaiseSystemError(failed, path_);
  }
  // A writer that had it open may have written between the last look and
  // the deletion: then the file keeps its name and its bytes.
  LARGE_INTEGER size{};
  if (::GetFileSizeEx(file, &size) != 0 && size.QuadPart > 0 && SetDeletion(file, false)) {
    closeExclusive();
    return EmptyFile::NotEmpty;
  }
  closeExclusive();
  ::CloseHandle(file);
  handle_ = -1;
  return EmptyFile::Deleted;
}

std::FILE* OpenForWriting(const std::string& path, WriteMode mode) {
  const DWORD disposition = mode == WriteMode::Replace  ? CREATE_ALWAYS
                            : mode == WriteMode::Append ? OPEN_ALWAYS
                                                        : CREATE_NEW;
  const HANDLE file = ::CreateFileW(WideFromUtf8(path).c_str(), GENERIC_WRITE, kShareAll, nullptr, disposition,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) RaiseWriteError(::GetLastError(), path);
  // Binary: the program writes its own line ends.
  const int descriptor = ::_open_osfhandle(FromHandle(file), _O_BINARY | (mode == WriteMode::Append ? _O_APPEND : 0));
  if (descriptor == -1) {
    ::CloseHandle(file);
    Raise(ErrorNumber::PathFileAccessError, path);
  }
  std::FILE* stream = ::_fdopen(descriptor, mode == WriteMode::Append ? "ab" : "wb");
  if (stream == nullptr) {
    ::_close(descriptor);
    Raise(ErrorNumber::PathFileAccessError, path);
  }
  return stream;
}

StagedFile::StagedFile(std::string finalPath) : final_(std::move(finalPath)) {}

StagedFile::~StagedFile() {
  try {
    if (created_) Discard(lock_, temporary_);
  } catch (...) {  // nothing may leave a destructor; the next run removes what stays
  }
  Release();
}

std::string StagedFile::TemporaryPrefix(const std::string& finalPath) { return finalPath + ".writing-"; }

void StagedFile::Create() {
  const std::wstring finalWide = WideFromUtf8(final_);
  const DWORD attributes = ::GetFileAttributesW(finalWide.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0) {
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) Raise(ErrorNumber::PathFileAccessError, final_ + " is a folder");
    // A report that may not be written (read-only, or held by a program
    // that lets nobody write it) is refused, as replacing it would be.
    const HANDLE probe = ::CreateFileW(finalWide.c_str(), GENERIC_WRITE, kShareAll, nullptr, OPEN_EXISTING,
                                       FILE_ATTRIBUTE_NORMAL, nullptr);
    if (probe != INVALID_HANDLE_VALUE) {
      ::CloseHandle(probe);
    } else {
      const DWORD error = ::GetLastError();
      if (error == ERROR_ACCESS_DENIED || error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION ||
          error == ERROR_WRITE_PROTECT) {
        RaiseSystemError(error, final_);
      }
    }
  }

  // A temporary that a run is still writing is open without delete
  // sharing, so only those of runs that stopped open here for deleting.
  const std::string prefix = TemporaryPrefix(final_);
  const std::string folder = FolderOf(final_);
  const std::string namePrefix = prefix.substr(prefix.find_last_of("\\/") + 1);
  for (const std::string& name : FolderEntries(folder)) {
    // Only names of the program's own pattern: a user's "notes.writing-draft"
    // is none of its business.
    if (name.rfind(namePrefix, 0) != 0 || !OwnTemporarySuffix(name.substr(namePrefix.size()))) continue;
    const HANDLE stale = ::CreateFileW(WideFromUtf8(JoinPath(folder, name)).c_str(), DELETE | FILE_READ_ATTRIBUTES,
                                       kShareAll, nullptr, OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (stale == INVALID_HANDLE_VALUE) continue;
    FileFacts facts;
    if (Describe(stale, facts) && IsRegular(facts) && (facts.attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0) {
      SetDeletion(stale, true);
    }
    ::CloseHandle(stale);
  }

  const std::string pid = std::to_string(::GetCurrentProcessId());
  for (int attempt = 0;; ++attempt) {
    temporary_ = prefix + pid + (attempt == 0 ? "" : "-" + std::to_string(attempt));
    // Held open without delete sharing until it has the final name: this
    // run's writers may open it, no other run may remove it.
    // With the right to write, which flushing it to the disk needs.
    const HANDLE lock = ::CreateFileW(WideFromUtf8(temporary_).c_str(), DELETE | GENERIC_WRITE,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE,
                                      nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (lock != INVALID_HANDLE_VALUE) {
      lock_ = FromHandle(lock);
      created_ = true;
      return;
    }
    const DWORD error = ::GetLastError();
    if ((error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) || attempt == 99) {
      RaiseWriteError(error, final_);  // the user knows the name asked for, not the temporary's
    }
  }
}

void StagedFile::Commit(FolderFlushes* /*later*/) {
  // On the disk before it takes the name, so that a power cut after the
  // rename cannot leave an empty file where the whole one stood. Windows
  // offers no flush of a folder's entries, so none follows the rename.
  if (::FlushFileBuffers(AsHandle(lock_)) == 0) RaiseWriteError(::GetLastError(), final_);
  const DWORD error = MoveOver(lock_, temporary_, final_);
  if (error != ERROR_SUCCESS) RaiseWriteError(error, final_);
  created_ = false;
  Release();
}

void FolderFlushes::Add(const std::string& /*folder*/) {}

void FolderFlushes::Flush() noexcept { folders_.clear(); }

void StagedFile::KeepPartial() noexcept {
  if (!created_) return;
  try {
    ::FlushFileBuffers(AsHandle(lock_));
    if (MoveOver(lock_, temporary_, final_) != ERROR_SUCCESS) Discard(lock_, temporary_);
  } catch (...) {  // raises nothing; the next run removes what stays
  }
  created_ = false;
  Release();
}

void StagedFile::Release() noexcept {
  if (lock_ != -1) ::CloseHandle(AsHandle(lock_));
  lock_ = -1;
}

bool IdentityOf(const std::string& path, FileIdentity& identity) {
  FileFacts facts;
  DWORD error = ERROR_SUCCESS;
  if (!LookUp(path, facts, error)) return false;
  identity.device = facts.volume;
  identity.file = facts.index;
  return true;
}

std::string NotARegularFile(const std::string& path) {
  const DWORD attributes = ::GetFileAttributesW(WideFromUtf8(path).c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) return "a link";
  FileFacts facts;
  DWORD error = ERROR_SUCCESS;
  if (!LookUp(path, facts, error) || IsRegular(facts)) return {};
  return (facts.attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ? "a folder" : "a device";
}

bool IsFolder(const std::string& path) {
  FileFacts facts;
  DWORD error = ERROR_SUCCESS;
  return LookUp(path, facts, error) && (facts.attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool IsRegularFile(const std::string& path) {
  FileFacts facts;
  DWORD error = ERROR_SUCCESS;
  return LookUp(path, facts, error) && IsRegular(facts);
}

std::vector<std::string> FolderEntries(const std::string& folder) {
  std::vector<std::string> names;
  const std::string pattern = !folder.empty() && IsSeparator(folder.back()) ? folder + "*" : JoinPath(folder, "*");
  WIN32_FIND_DATAW found{};
  const HANDLE search = ::FindFirstFileW(WideFromUtf8(pattern).c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return names;
  do {
    std::string name = Utf8FromWide(found.cFileName);
    if (name != "." && name != "..") names.push_back(std::move(name));
  } while (::FindNextFileW(search, &found) != 0);
  ::FindClose(search);
  return names;
}

#endif  // _WIN32
