// The folder's check, its earlier run files, and staged writing.
#include "OutputFolder.h"

#include <cctype>
#include <cstdio>
#include <filesystem>

#include "Command.h"
#include "ImportError.h"
#include "common/FileSystem.h"
#include "common/RuntimeError.h"

namespace importer {

namespace {

namespace fs = std::filesystem;

constexpr const char* kReportName = "VB6Output.txt";
constexpr const char* kSetNames[3] = {"ZERO", "CAL", "DATA"};

// A file name as the platform tells names apart: Windows, and coastdown
// there, takes "data.1" for DATA.1.
std::string Folded(std::string name) {
#ifdef _WIN32
  for (char& ch : name) ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
#endif
  return name;
}

// The set a name such as "DATA.12" belongs to, or -1.
int RunSetOf(const std::string& name) {
  for (int set = 0; set < 3; ++set) {
    const std::string prefix = std::string(kSetNames[set]) + ".";
    if (name.size() > prefix.size() && name.compare(0, prefix.size(), prefix) == 0 &&
        name.find_first_not_of("0123456789", prefix.size()) == std::string::npos) {
      return set;
    }
  }
  return -1;
}

struct EarlierTest {
  std::vector<fs::path> runFiles;
  int count[3] = {0, 0, 0};
  bool report = false;
};

EarlierTest EarlierTestIn(const std::string& folder) {
  EarlierTest found;
  std::error_code error;
  if (!fs::is_directory(folder, error)) return found;
  for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
    const std::string name = Folded(it->path().filename().string());
    const int set = RunSetOf(name);
    if (set >= 0) {
      found.runFiles.push_back(it->path());
      ++found.count[set];
    }
    found.report = found.report || name == Folded(kReportName);
  }
  if (error) throw ImportError("cannot list " + sim::NativePath(folder) + ": " + error.message());
  return found;
}

// "2 ZERO, 6 CAL and 10 DATA run files and a report (VB6Output.txt)".
std::string Describe(const EarlierTest& test) {
  std::vector<std::string> parts;
  int files = 0;
  for (int set = 0; set < 3; ++set) {
    if (test.count[set] > 0) parts.push_back(std::to_string(test.count[set]) + " " + kSetNames[set]);
    files += test.count[set];
  }
  std::string text;
  for (std::size_t i = 0; i < parts.size(); ++i) {
    text += (i == 0 ? "" : i + 1 == parts.size() ? " and " : ", ") + parts[i];
  }
  if (files > 0) text += files == 1 ? " run file" : " run files";
  if (test.report) text += std::string(files > 0 ? " and " : "") + "a report (" + kReportName + ")";
  return text;
}

bool SameFile(const fs::path& a, const fs::path& b) {
  std::error_code error;
  return fs::equivalent(a, b, error) && !error;
}

void WriteStaged(const std::string& path, const std::string& text) {
  StagedFile staged(path);
  staged.Create();
  std::FILE* file = OpenForWriting(staged.TemporaryPath(), WriteMode::Replace);
  const bool written = std::fwrite(text.data(), 1, text.size(), file) == text.size();
  const bool closed = std::fclose(file) == 0;
  if (!written || !closed) RaiseFileError(errno, path);
  staged.Commit();
}

}  // namespace

void WriteFolder(const std::string& folder, bool force, const std::vector<FolderFile>& files,
                 const std::vector<std::string>& inputs) {
  const std::string shown = sim::NativePath(folder);
  const EarlierTest earlier = EarlierTestIn(folder);
  if (!force && (!earlier.runFiles.empty() || earlier.report)) {
    throw ImportError("the folder " + shown + " already holds " + Describe(earlier) +
                      "; use --force to replace that test, or another folder");
  }
  // A logger file in the folder under a name the import writes or removes
  // would be lost.
  for (const std::string& input : inputs) {
    for (const fs::path& old : earlier.runFiles) {
      if (SameFile(input, old)) {
        std::string message = input;
        message += " is a run file of the folder " + shown + ", which --force would remove; copy it elsewhere first";
        throw ImportError(message);
      }
    }
    for (const FolderFile& f : files) {
      if (SameFile(input, fs::path(folder) / f.name)) {
        throw ImportError(input + " would be replaced by the " + f.name + " the import writes; copy it elsewhere first");
      }
    }
  }
  std::error_code error;
  fs::create_directories(folder, error);
  if (error) throw ImportError("cannot create " + shown + ": " + error.message());
  if (!fs::is_directory(folder)) throw ImportError(shown + " is not a folder");
  for (const fs::path& path : earlier.runFiles) {
    if (!fs::remove(path, error) && error) {
      throw ImportError("cannot remove " + sim::NativePath(path.string()) + ": " + error.message());
    }
  }
  for (const FolderFile& f : files) {
    const std::string path = JoinPath(shown, f.name);
    try {
      WriteStaged(path, f.text);
    } catch (const RuntimeError& e) {
      throw ImportError("cannot write " + path + ": " + e.Description() +
                        (e.Detail().empty() || e.Detail() == path ? "" : " (" + e.Detail() + ")"));
    }
  }
}

}  // namespace importer
