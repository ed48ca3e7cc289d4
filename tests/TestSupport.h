// Helpers shared by the tests: scratch folders, whole-file reads and writes,
// the error number of an operation, and running the program as a user does.
#pragma once

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>

#include "common/RuntimeError.h"

namespace testsupport {

// A fresh folder under the test temp dir, removed with the object.
class ScratchDir {
 public:
  ScratchDir() {
    std::string pattern = ::testing::TempDir() + "coastdown_XXXXXX";
    char* made = ::mkdtemp(pattern.data());
    if (made == nullptr) std::abort();
    path_ = made;
  }
  ~ScratchDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;
  const std::string& path() const { return path_; }
  std::string operator/(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

inline void WriteFile(const std::string& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary);
  out << text;
}

inline std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

inline bool Exists(const std::string& path) { return std::filesystem::exists(path); }

// The number of the run-time error the operation raises, 0 when it raises none.
inline int ErrorOf(const std::function<void()>& operation) {
  try {
    operation();
  } catch (const RuntimeError& error) {
    return error.Code();
  }
  return 0;
}

// Standard error without the lines that only tell (warnings and notes), as
// the decided error and message-box lines are compared.
inline std::string WithoutWarnings(const std::string& err) {
  std::string kept;
  std::istringstream lines(err);
  for (std::string line; std::getline(lines, line);) {
    if (!line.starts_with("coastdown: warning: ") && !line.starts_with("coastdown: note: ")) kept += line + "\n";
  }
  return kept;
}

struct ProcessResult {
  int status = -1;
  std::string out;
  std::string err;
  long maxResidentKb = 0;  // peak resident memory of the process
};

// Runs `program` with the arguments, capturing both streams. A run that
// hangs is ended after `limitSeconds` (status -1).
inline ProcessResult Run(const std::string& program, const std::vector<std::string>& args,
                         unsigned limitSeconds = 60) {
  ScratchDir io;
  const std::string outPath = io / "out";
  const std::string errPath = io / "err";
  const pid_t pid = ::fork();
  if (pid == 0) {
    if (!std::freopen(outPath.c_str(), "w", stdout) || !std::freopen(errPath.c_str(), "w", stderr)) _exit(127);
    ::alarm(limitSeconds);
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(program.c_str()));
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    ::execv(program.c_str(), argv.data());
    _exit(127);
  }
  int status = 0;
  struct rusage usage {};
  ::wait4(pid, &status, 0, &usage);
  ProcessResult result;
  result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  result.maxResidentKb = usage.ru_maxrss;
  result.out = ReadFile(outPath);
  result.err = ReadFile(errPath);
  return result;
}

}  // namespace testsupport
