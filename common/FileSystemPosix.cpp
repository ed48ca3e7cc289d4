// The file layer on POSIX systems.
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <time.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdlib>

#include "common/FileSystem.h"
#include "common/RuntimeError.h"

std::string FolderOf(const std::string& path) {
  const std::size_t at = path.rfind('/');
  if (at == std::string::npos) return ".";
  if (at == 0) return "/";
  return path.substr(0, at);
}

namespace {

const char* KindOf(mode_t mode) {
  return S_ISDIR(mode) ? "a folder" : S_ISFIFO(mode) ? "a FIFO" : S_ISSOCK(mode) ? "a socket" : "a device";
}

[[noreturn]] void RaiseNotARunFile(const std::string& path, mode_t mode) {
  Raise(ErrorNumber::PathFileAccessError, path + " is " + KindOf(mode) + ", not a file");
}

// The end of a temporary's name as this program forms it: the process id,
// and a dash and a number of tries when that name was taken.
bool OwnTemporarySuffix(const std::string& suffix) {
  const std::size_t dash = suffix.find('-');
  const auto digits = [](const std::string& text) {
    return !text.empty() && text.size() <= 10 && text.find_first_not_of("0123456789") == std::string::npos;
  };
  return digits(suffix.substr(0, dash)) && (dash == std::string::npos || digits(suffix.substr(dash + 1)));
}

// The folder's entries on the disk: a rename is durable only then. A file
// system that cannot do it says so, and the rename stands all the same.
void SyncFolder(const std::string& folder) {
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
}

bool SameFile(const struct stat& a, const struct stat& b) { return a.st_dev == b.st_dev && a.st_ino == b.st_ino; }

// Deletes the empty file open as `fd` where no lease tells whether another
// program holds it. A writer that had it open may have written between the
// last look and the deletion: its bytes go back under the name, and false
// is returned.
bool UnlinkPuttingBackWhatCame(int fd, const std::string& path) {
  if (::unlink(path.c_str()) != 0 && errno != ENOENT) RaiseFileError(errno, path);
  struct stat opened {};
  if (::fstat(fd, &opened) == 0 && opened.st_size > 0) {
    const int restored = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (restored >= 0) {
      char block[65536];
      for (off_t at = 0;;) {
        const ssize_t got = ::pread(fd, block, sizeof block, at);
        if (got <= 0 || ::write(restored, block, static_cast<std::size_t>(got)) != got) break;
        at += got;
      }
      ::close(restored);
      ::lseek(fd, 0, SEEK_SET);
      return false;
    }
  }
  return true;
}

// A temporary that a finished run would have renamed: no run holds its lock,
// and it is not one that a starting run has just created and not yet locked
// (that one is still empty, and the process its name carries still lives).
bool Abandoned(int fd, const std::string& pidText) {
  struct stat info {};
  // A file this program wrote: regular, this user's, under no other name.
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || info.st_uid != ::geteuid() || info.st_nlink != 1) {
    return false;
  }
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0) return false;
  if (info.st_size > 0) return true;
  const long pid = std::strtol(pidText.c_str(), nullptr, 10);
  return pid <= 0 || (::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH);
}

}  // namespace

InputFile::~InputFile() {
  if (handle_ >= 0) ::close(static_cast<int>(handle_));
}

bool InputFile::Open(const std::string& path) {
  path_ = path;
  // Looked at before it is opened, so that a FIFO or a device is never opened.
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0) {
    const int error = errno;
    if (error != ENOENT) RaiseFileError(error, path);
    // Nothing of that name: the end of a set, if the folder is there.
    if (!IsFolder(FolderOf(path))) RaiseFileError(ENOENT, path);
    return false;
  }
  if (!S_ISREG(info.st_mode)) RaiseNotARunFile(path, info.st_mode);
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
  if (fd < 0) {
    if (errno == ENOENT) return false;  // gone since it was looked at
    RaiseFileError(errno, path);
  }
  handle_ = fd;
  struct stat opened {};
  if (::fstat(fd, &opened) != 0) RaiseFileError(errno, path);
  if (!S_ISREG(opened.st_mode)) RaiseNotARunFile(path, opened.st_mode);
  return true;
}

std::uintmax_t InputFile::Size() const {
  struct stat info {};
  if (::fstat(static_cast<int>(handle_), &info) != 0) RaiseFileError(errno, path_);
  return static_cast<std::uintmax_t>(info.st_size);
}

std::size_t InputFile::Read(char* buffer, std::size_t size) {
  for (;;) {
    const ssize_t got = ::read(static_cast<int>(handle_), buffer, size);
    if (got >= 0) return static_cast<std::size_t>(got);
    if (errno != EINTR) RaiseFileError(errno, path_);
  }
}

InputFile::EmptyFile InputFile::DeleteIfEmpty() {
  const int fd = static_cast<int>(handle_);
  struct stat opened {};
  struct stat named {};
  if (::fstat(fd, &opened) != 0) RaiseFileError(errno, path_);
  if (opened.st_size != 0) return EmptyFile::NotEmpty;
  // The name must still lead to the file that was found empty; a file put
  // in its place since is not ours to delete.
  if (::stat(path_.c_str(), &named) != 0) {
    if (errno == ENOENT) return EmptyFile::Deleted;
    RaiseFileError(errno, path_);
  }
  if (!SameFile(named, opened)) return EmptyFile::NotEmpty;

#if defined(F_SETLEASE) && defined(RENAME_NOREPLACE)
  // A logger that has created the file and not yet written keeps it: a
  // write lease is refused while any other process has the file open, and
  // while it is held, whoever opens the file waits. The lease's signal to
  // its holder that someone waits would end the program: it is ignored.
  struct sigaction ignore {};
  struct sigaction previous {};
  ignore.sa_handler = SIG_IGN;
  ::sigaction(SIGIO, &ignore, &previous);
  const auto release = [&] {
    ::fcntl(fd, F_SETLEASE, F_UNLCK);
    ::sigaction(SIGIO, &previous, nullptr);
  };
  if (::fcntl(fd, F_SETLEASE, F_WRLCK) != 0) {
    const int error = errno;
    ::sigaction(SIGIO, &previous, nullptr);
    if (error == EAGAIN || error == EBUSY) return EmptyFile::HeldOpen;
    // A file system or file that takes no lease (another user's file, a
    // network file system) cannot tell: it goes as below.
  } else {
    // The lease shuts out every writer from here on, but one that wrote and
    // closed the file in the instant before it was taken has left its
    // bytes: the file is read, not deleted.
    if (::fstat(fd, &opened) != 0 || opened.st_size != 0) {
      release();
      return EmptyFile::NotEmpty;
    }
    // A process already on its way to opening the file when the lease was
    // taken (it found the name, and has not yet opened what it found)
    // waits on the lease, and sees the file under its name again: the file
    // is moved aside first, given time for such a process to arrive, and
    // deleted only when nobody came for it.
    const std::string aside = path_ + ".deleting-" + std::to_string(::getpid());
    if (::rename(path_.c_str(), aside.c_str()) != 0) {
      const int error = errno;
      release();
      if (error == ENOENT) return EmptyFile::Deleted;
      RaiseFileError(error, path_);
    }
    const struct timespec grace {0, 50'000'000};
    ::nanosleep(&grace, nullptr);
    if (::fcntl(fd, F_GETLEASE) != F_WRLCK || ::fcntl(fd, F_SETLEASE, F_WRLCK) != 0) {
      ::renameat2(AT_FDCWD, aside.c_str(), AT_FDCWD, path_.c_str(), RENAME_NOREPLACE);
      release();
      return EmptyFile::HeldOpen;
    }
    if (::fstat(fd, &opened) != 0 || opened.st_size != 0) {
      const bool back = ::renameat2(AT_FDCWD, aside.c_str(), AT_FDCWD, path_.c_str(), RENAME_NOREPLACE) == 0;
      release();
      return back ? EmptyFile::NotEmpty : EmptyFile::HeldOpen;
    }
    const int unlinked = ::unlink(aside.c_str()) == 0 ? 0 : errno;
    release();
    if (unlinked != 0 && unlinked != ENOENT) {
      ::rename(aside.c_str(), path_.c_str());
      RaiseFileError(unlinked, path_);
    }
    ::close(fd);
    handle_ = -1;
    return EmptyFile::Deleted;
  }
#endif
  if (!UnlinkPuttingBackWhatCame(fd, path_)) return EmptyFile::NotEmpty;
  ::close(fd);
  handle_ = -1;
  return EmptyFile::Deleted;
}

std::FILE* OpenForWriting(const std::string& path, WriteMode mode) {
  const char* how = mode == WriteMode::Replace ? "wb" : mode == WriteMode::Append ? "ab" : "wbx";
  errno = 0;
  std::FILE* file = std::fopen(path.c_str(), how);
  if (file == nullptr) RaiseFileError(errno, path);
  return file;
}

StagedFile::StagedFile(std::string finalPath) : final_(std::move(finalPath)) {}

StagedFile::~StagedFile() {
  if (created_) ::unlink(temporary_.c_str());
  Release();
}

std::string StagedFile::TemporaryPrefix(const std::string& finalPath) { return finalPath + ".writing-"; }

void StagedFile::Create() {
  struct stat info {};
  if (::lstat(final_.c_str(), &info) == 0) {
    if (S_ISDIR(info.st_mode)) Raise(ErrorNumber::PathFileAccessError, final_ + " is a folder");
    if (S_ISREG(info.st_mode) && ::access(final_.c_str(), W_OK) != 0) RaiseFileError(errno, final_);
  }

  const std::string prefix = TemporaryPrefix(final_);
  const std::string folder = FolderOf(final_);
  const std::string namePrefix = prefix.substr(prefix.rfind('/') + 1);
  for (const std::string& name : FolderEntries(folder)) {
    // Only names of the program's own pattern: a user's "notes.writing-draft"
    // is none of its business.
    if (name.rfind(namePrefix, 0) != 0 || !OwnTemporarySuffix(name.substr(namePrefix.size()))) continue;
    const std::string stale = JoinPath(folder, name);
    const int fd = ::open(stale.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
    if (fd < 0) continue;
    if (Abandoned(fd, name.substr(namePrefix.size()))) ::unlink(stale.c_str());
    ::close(fd);
  }

  const std::string pid = std::to_string(::getpid());
  for (int attempt = 0;; ++attempt) {
    temporary_ = prefix + pid + (attempt == 0 ? "" : "-" + std::to_string(attempt));
    const int fd = ::open(temporary_.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0666);
    if (fd >= 0) {
      lock_ = fd;
      created_ = true;
      ::flock(fd, LOCK_EX);
      return;
    }
    // The user knows the name asked for, not the temporary's.
    if (errno != EEXIST || attempt == 99) RaiseFileError(errno, final_);
  }
}

void StagedFile::Commit(FolderFlushes* later) {
  // On the disk before it takes the name, so that a power cut after the
  // rename cannot leave an empty file where the whole one stood.
  if (::fsync(static_cast<int>(lock_)) != 0) RaiseFileError(errno, final_);
  if (::rename(temporary_.c_str(), final_.c_str()) != 0) RaiseFileError(errno, final_);
  created_ = false;
  Release();
  if (later != nullptr) {
    later->Add(FolderOf(final_));
  } else {
    SyncFolder(FolderOf(final_));
  }
}

void FolderFlushes::Add(const std::string& folder) {
  if (std::find(folders_.begin(), folders_.end(), folder) == folders_.end()) folders_.push_back(folder);
}

void FolderFlushes::Flush() noexcept {
  for (const std::string& folder : folders_) SyncFolder(folder);
  folders_.clear();
}

void StagedFile::KeepPartial() noexcept {
  if (!created_) return;
  ::fsync(static_cast<int>(lock_));
  if (::rename(temporary_.c_str(), final_.c_str()) != 0) ::unlink(temporary_.c_str());
  created_ = false;
  Release();
  SyncFolder(FolderOf(final_));
}

void StagedFile::Release() noexcept {
  if (lock_ >= 0) ::close(static_cast<int>(lock_));
  lock_ = -1;
}

bool IdentityOf(const std::string& path, FileIdentity& identity) {
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0) return false;
  identity.device = static_cast<std::uint64_t>(info.st_dev);
  identity.file = static_cast<std::uint64_t>(info.st_ino);
  return true;
}

std::string NotARegularFile(const std::string& path) {
  struct stat info {};
  if (::lstat(path.c_str(), &info) != 0 || S_ISREG(info.st_mode)) return {};
  return S_ISLNK(info.st_mode) ? "a link" : KindOf(info.st_mode);
}

bool IsFolder(const std::string& path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool IsRegularFile(const std::string& path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

std::vector<std::string> FolderEntries(const std::string& folder) {
  std::vector<std::string> names;
  DIR* dir = ::opendir(folder.c_str());
  if (dir == nullptr) return names;
  while (const dirent* entry = ::readdir(dir)) {
    const std::string name = entry->d_name;
    if (name != "." && name != "..") names.push_back(name);
  }
  ::closedir(dir);
  return names;
}
