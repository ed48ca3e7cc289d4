// The promises of the file layer, on whichever platform it is built for:
// the same faults give the same errors, bytes stay bytes, an empty run file
// goes and a full one stays, and a staged report replaces the old one whole
// while another run's temporary is left alone. Built into the unit tests on
// Linux, and on its own for Windows, where .ci/windows.sh runs it under Wine.
#include "common/FileSystem.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "common/RuntimeError.h"

namespace {

namespace fs = std::filesystem;

// A fresh folder of its own under the system's temporary folder.
class Folder {
 public:
  Folder() {
    std::random_device random;
    path_ = (fs::temp_directory_path() / ("coastdown_fs_" + std::to_string(random()))).string();
    fs::create_directories(path_);
  }
  ~Folder() {
    std::error_code ignored;
    fs::remove_all(path_, ignored);
  }
  Folder(const Folder&) = delete;
  Folder& operator=(const Folder&) = delete;
  std::string operator/(const std::string& name) const { return JoinPath(path_, name); }
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

void Write(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << bytes;
}

std::string Read(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

// Written and read through the layer, as the program does: on Windows a
// staged temporary is open without delete sharing while its run writes it,
// which shuts out the C library's own opening of it.
void WriteThrough(const std::string& path, const std::string& bytes, WriteMode mode = WriteMode::Replace) {
  std::FILE* file = OpenForWriting(path, mode);
  std::fwrite(bytes.data(), 1, bytes.size(), file);
  std::fclose(file);
}

// Reads in small blocks, so that a block ends inside a line end.
std::string ReadAll(InputFile& file) {
  std::string bytes;
  char block[4];
  while (const std::size_t got = file.Read(block, sizeof block)) bytes.append(block, got);
  return bytes;
}

std::string ReadThrough(const std::string& path) {
  InputFile file;
  return file.Open(path) ? ReadAll(file) : "<missing>";
}

// The error number an operation raises, 0 when it raises none.
int ErrorOf(const std::function<void()>& operation) {
  try {
    operation();
  } catch (const RuntimeError& error) {
    return error.Code();
  }
  return 0;
}

std::vector<std::string> Sorted(std::vector<std::string> names) {
  std::sort(names.begin(), names.end());
  return names;
}

// Text with every kind of line end, a Ctrl-Z and a NUL: nothing may be
// translated on the way in or out.
const std::string kBytes("1,2,3\r\n4\n5\r\x1a\0x", 14);

TEST(FileSystemTest, LookingForARunFile) {
  Folder folder;
  InputFile missing;
  EXPECT_FALSE(missing.Open(folder / "DATA.1"));
  EXPECT_FALSE(fs::exists(folder / "DATA.1"));  // looking does not create it
  EXPECT_EQ(ErrorOf([&] { InputFile().Open(JoinPath(folder / "none", "DATA.1")); }), 76);
  Write(folder / "CAL.1", "1,2,3\r\n");
  EXPECT_EQ(ErrorOf([&] { InputFile().Open(JoinPath(folder / "CAL.1", "DATA.1")); }), 76);
  fs::create_directory(folder / "ZERO.1");
  EXPECT_EQ(ErrorOf([&] { InputFile().Open(folder / "ZERO.1"); }), 75);
  EXPECT_TRUE(IsFolder(folder / "ZERO.1"));
}

TEST(FileSystemTest, RunFilesAreReadAsBytes) {
  Folder folder;
  Write(folder / "DATA.1", kBytes);
  InputFile file;
  ASSERT_TRUE(file.Open(folder / "DATA.1"));
  EXPECT_EQ(file.Size(), kBytes.size());
  EXPECT_EQ(ReadAll(file), kBytes);
}

// Only a file that is empty when it is to be deleted, and that no other
// program holds open, goes; one that holds data stays readable from the
// start, and one that a writer holds open stays where it is.
TEST(FileSystemTest, DeleteIfEmpty) {
  Folder folder;
  Write(folder / "DATA.1", "");
  Write(folder / "DATA.2", kBytes);
  InputFile empty;
  ASSERT_TRUE(empty.Open(folder / "DATA.1"));
  EXPECT_EQ(empty.DeleteIfEmpty(), InputFile::EmptyFile::Deleted);
  EXPECT_FALSE(fs::exists(folder / "DATA.1"));
  InputFile full;
  ASSERT_TRUE(full.Open(folder / "DATA.2"));
  EXPECT_EQ(full.DeleteIfEmpty(), InputFile::EmptyFile::NotEmpty);
  EXPECT_EQ(ReadAll(full), kBytes);
  EXPECT_TRUE(IsRegularFile(folder / "DATA.2"));
  std::ofstream writer(folder / "DATA.3", std::ios::binary);
  InputFile held;
  ASSERT_TRUE(held.Open(folder / "DATA.3"));
  EXPECT_EQ(held.DeleteIfEmpty(), InputFile::EmptyFile::HeldOpen);
  writer << "1,2,3\r\n";
  writer.close();
  EXPECT_EQ(Read(folder / "DATA.3"), "1,2,3\r\n");
  EXPECT_EQ(Sorted(FolderEntries(folder.path())), (std::vector<std::string>{"DATA.2", "DATA.3"}));
}

TEST(FileSystemTest, WritingModesAndErrors) {
  Folder folder;
  const std::string path = folder / "out.txt";
  WriteThrough(path, "old", WriteMode::CreateNew);
  WriteThrough(path, kBytes, WriteMode::Replace);
  WriteThrough(path, "\n", WriteMode::Append);
  EXPECT_EQ(Read(path), kBytes + "\n");
  EXPECT_EQ(ErrorOf([&] { WriteThrough(path, "x", WriteMode::CreateNew); }), 75);
  EXPECT_EQ(Read(path), kBytes + "\n");
  const std::pair<std::string, int> cases[] = {
      {JoinPath(folder / "none", "out.txt"), 76}, {JoinPath(path, "out.txt"), 76}, {folder.path(), 75}};
  for (const auto& [bad, error] : cases) {
    for (const WriteMode mode : {WriteMode::Replace, WriteMode::Append, WriteMode::CreateNew}) {
      EXPECT_EQ(ErrorOf([&] { WriteThrough(bad, "x", mode); }), error) << bad;
    }
  }
}

// The report is written under a temporary name and replaces the old one
// whole; nothing else stays in the folder.
TEST(FileSystemTest, StagedFileCommitAndKeepPartial) {
  Folder folder;
  const std::string report = folder / "VB6Output.txt";
  Write(report, "old report");
  {
    StagedFile staged(report);
    staged.Create();
    WriteThrough(staged.TemporaryPath(), kBytes);
    EXPECT_EQ(Read(report), "old report");
    staged.Commit();
  }
  EXPECT_EQ(Read(report), kBytes);
  {
    StagedFile staged(report);
    staged.Create();
    WriteThrough(staged.TemporaryPath(), "half");
    staged.KeepPartial();
  }
  EXPECT_EQ(Read(report), "half");
  {
    StagedFile abandoned(report);
    abandoned.Create();
    WriteThrough(abandoned.TemporaryPath(), "never committed");
  }
  EXPECT_EQ(Read(report), "half");
  EXPECT_EQ(Sorted(FolderEntries(folder.path())), std::vector<std::string>{"VB6Output.txt"});
}

// A run that is still writing keeps its temporary; one that died leaves a
// temporary that the next run removes.
TEST(FileSystemTest, StagedFilesOfOtherRuns) {
  Folder folder;
  const std::string report = folder / "VB6Output.txt";
  const std::string dead = StagedFile::TemporaryPrefix(report) + "99999";
  Write(dead, "a report cut short");
  // A user's file that only looks like a temporary is not the program's.
  const std::string users = StagedFile::TemporaryPrefix(report) + "draft";
  Write(users, "the user's");
  StagedFile first(report);
  first.Create();
  WriteThrough(first.TemporaryPath(), "first");
  StagedFile second(report);
  second.Create();
  EXPECT_FALSE(fs::exists(dead));
  EXPECT_EQ(ReadThrough(first.TemporaryPath()), "first");
  WriteThrough(second.TemporaryPath(), "second");
  second.Commit();
  first.Commit();
  EXPECT_EQ(Read(report), "first");
  EXPECT_EQ(Read(users), "the user's");
  EXPECT_EQ(Sorted(FolderEntries(folder.path())),
            (std::vector<std::string>{"VB6Output.txt", "VB6Output.txt.writing-draft"}));
}

TEST(FileSystemTest, StagedFileOverAFolder) {
  Folder folder;
  fs::create_directory(folder / "VB6Output.txt");
  StagedFile staged(folder / "VB6Output.txt");
  EXPECT_EQ(ErrorOf([&] { staged.Create(); }), 75);
  EXPECT_TRUE(IsFolder(folder / "VB6Output.txt"));
  EXPECT_EQ(ErrorOf([&] { StagedFile(JoinPath(folder / "none", "VB6Output.txt")).Create(); }), 76);
}

}  // namespace
