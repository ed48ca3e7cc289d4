// Every file-system call the program makes, behind one small interface with
// one implementation per platform (FileSystemPosix.cpp, FileSystemWindows.cpp):
// looking for a run file without creating it, reading it as bytes, deleting
// it when it is empty, opening text files for writing, and staging the report
// under a temporary name. Failures raise the file errors with the path as
// detail, the same number for the same fault on every platform: 76 for a
// folder of the path that does not exist, 70 when access is refused, 75 for
// anything else.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

// The folder separator of the platform, between the test folder and its files.
#ifdef _WIN32
inline constexpr char kPathSeparator = '\\';
#else
inline constexpr char kPathSeparator = '/';
#endif

// `folder`, the platform's separator and `name`.
std::string JoinPath(const std::string& folder, const std::string& name);
// The folder part of `path`: everything before its last separator (a root
// keeps its separator), or "." for a bare name.
std::string FolderOf(const std::string& path);
// The name after the last separator of `path`.
std::string NameOf(const std::string& path);

// A file opened for reading its bytes; nothing is ever created through it.
class InputFile {
 public:
  InputFile() = default;
  ~InputFile();
  InputFile(const InputFile&) = delete;
  InputFile& operator=(const InputFile&) = delete;

  // Opens `path` for reading. False when nothing of that name exists (a link
  // that leads nowhere included) in a folder that does; a folder of the path
  // that does not exist is error 76. A name that is a folder, FIFO or device
  // is error 75, and it is neither opened nor touched.
  bool Open(const std::string& path);
  // The size in bytes at this moment.
  std::uintmax_t Size() const;
  // Reads up to `size` (> 0) bytes; 0 at the end of the file.
  std::size_t Read(char* buffer, std::size_t size);
  // What became of an empty file that was to be deleted.
  enum class EmptyFile {
    Deleted,   // gone, also when it had vanished already; the file is closed
    NotEmpty,  // it gained data, or another file took its name: it stays open for reading
    HeldOpen,  // another program holds it open (a logger about to write it): it stays, closed to us
  };
  // Deletes the file if it is still empty at this moment and no other
  // program holds it open.
  EmptyFile DeleteIfEmpty();

 private:
  std::string path_;
  std::intptr_t handle_ = -1;
};

// How a text file is opened for writing.
enum class WriteMode {
  Replace,    // created, or emptied when it exists
  Append,     // created when missing, written after what it holds
  CreateNew,  // created; an existing file or link of that name is an error
};
// The file opened for writing bytes (never translated line ends); raises the
// file errors.
std::FILE* OpenForWriting(const std::string& path, WriteMode mode);

// Folders into which files were renamed, each flushed to the disk once
// however many files took their names there: by Flush, or when the object
// goes (an error on the way out still leaves the renames made durable).
// Several outputs written one after another into one folder so cost one
// flush of the folder instead of one each. Where the platform keeps a
// folder's entries without being asked, it holds nothing.
class FolderFlushes {
 public:
  FolderFlushes() = default;
  ~FolderFlushes() { Flush(); }
  FolderFlushes(const FolderFlushes&) = delete;
  FolderFlushes& operator=(const FolderFlushes&) = delete;

  void Add(const std::string& folder);
  void Flush() noexcept;

 private:
  std::vector<std::string> folders_;
};

// A file written under a temporary name in the folder of its final name and
// renamed over the final name once it is whole, so that the final name holds
// either the previous file or the whole new one, whenever the program stops.
class StagedFile {
 public:
  explicit StagedFile(std::string finalPath);
  ~StagedFile();
  StagedFile(const StagedFile&) = delete;
  StagedFile& operator=(const StagedFile&) = delete;

  // Removes the temporaries that runs which stopped before finishing left
  // beside the final name, then creates this run's own, empty. Raises the
  // file errors: a final name that is a folder is error 75 and an existing
  // final file that may not be written is 70, as replacing it would be.
  void Create();
  // Where the sections are written until Commit.
  const std::string& TemporaryPath() const { return temporary_; }
  // The whole file takes the final name by a rename, which replaces a link
  // or FIFO of that name rather than writing through it. The rename reaches
  // the disk with its folder's flush: at once, or with `later`'s.
  void Commit(FolderFlushes* later = nullptr);
  // After a failed write: what was written takes the final name all the
  // same; where it cannot, the temporary is removed. Raises nothing.
  void KeepPartial() noexcept;

  // The temporary names this program gives a staged `finalPath` start with this.
  static std::string TemporaryPrefix(const std::string& finalPath);

 private:
  void Release() noexcept;

  std::string final_;
  std::string temporary_;
  std::intptr_t lock_ = -1;  // held open while the temporary is written
  bool created_ = false;
};

// Who a file or folder is: the same for every name and link that leads to it.
struct FileIdentity {
  std::uint64_t device = 0;
  std::uint64_t file = 0;
  bool operator==(const FileIdentity&) const = default;
};
// The identity of what `path` leads to, links followed; false when nothing
// can be looked at there.
bool IdentityOf(const std::string& path, FileIdentity& identity);
// What `path` names when that is not a regular file of its own: "a link",
// or what it is, "a folder", "a FIFO", "a socket" or "a device"; empty for
// a regular file and for nothing at all.
std::string NotARegularFile(const std::string& path);

// Whether `path` names a folder (following links).
bool IsFolder(const std::string& path);
// Whether `path` names a regular file (following links).
bool IsRegularFile(const std::string& path);
// The names of the entries of `folder`, in no particular order; empty when
// it cannot be listed.
std::vector<std::string> FolderEntries(const std::string& folder);
// The file error for the errno value of a failed C library call on `path`.
[[noreturn]] void RaiseFileError(int errorCode, const std::string& path);
