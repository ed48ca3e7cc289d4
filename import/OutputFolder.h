// Writing the test folder without harm: a folder that holds run files or
// a report may be a user's only record of a test and is refused unless
// forced (then its run files go first, since a set is read up to its first
// missing number); no logger file is ever written over or removed; each
// file is written under a temporary name and renamed when whole.
#pragma once

#include <string>
#include <vector>

namespace importer {

struct FolderFile {
  std::string name;
  std::string text;  // bytes as they are written
};

// Throws ImportError naming the folder and what it holds, or the file
// that could not be written.
void WriteFolder(const std::string& folder, bool force, const std::vector<FolderFile>& files,
                 const std::vector<std::string>& inputs);

}  // namespace importer
