// Helpers shared by the tests: scratch folders, whole-file reads and writes,
// the error number of an operation, road-load coefficients, and the
// programs run as a user runs them.
#pragma once

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <initializer_list>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "common/BoundedArray.h"
#include "common/Real.h"
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

// The words of `text` split at blanks.
inline std::vector<std::string> Words(const std::string& text) {
  std::vector<std::string> words;
  std::istringstream in(text);
  for (std::string w; in >> w;) words.push_back(w);
  return words;
}

// The number after the first `label` at or after `from` in a report, a
// truth file or a record; NaN, which fails every comparison, when there is none.
inline double NumberAfter(const std::string& text, const std::string& label, std::size_t from = 0) {
  const std::size_t at = text.find(label, from);
  return at == std::string::npos ? NAN : std::strtod(text.c_str() + at + label.size(), nullptr);
}

// A report with the date of its "Report Generated on" line masked.
inline std::string MaskedDate(const std::string& report) {
  return std::regex_replace(report, std::regex("Report Generated on [^\r]*"), "Report Generated on <date>");
}

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

// Road-load coefficients m0, m1, m2 and a0 to a4 in SI, and the force they
// give a sample: m0 + m1·V + m2·V² + Vr²·(a0 + a1·Y + … + a4·Y⁴), Y in degrees.
using RoadLoad = std::array<double, 8>;

inline double ModelForce(const RoadLoad& c, double V, double Vr, double Y) {
  return c[0] + c[1] * V + c[2] * V * V + Vr * Vr * (c[3] + Y * (c[4] + Y * (c[5] + Y * (c[6] + Y * c[7]))));
}

// The values as the analysis holds coefficients, from index 1.
inline BoundedArray<Real> Coefficients(std::initializer_list<double> values) {
  BoundedArray<Real> a(1, static_cast<long>(values.size()));
  long i = 1;
  for (double v : values) a(i++) = v;
  return a;
}

inline BoundedArray<Real> Coefficients(const RoadLoad& c) {
  return Coefficients({c[0], c[1], c[2], c[3], c[4], c[5], c[6], c[7]});
}

struct ProcessResult {
  int status = -1;
  std::string out;
  std::string err;
  long maxResidentKb = 0;  // peak resident memory of the process
};

// Runs `program` with the arguments, capturing both streams. A run that
// hangs is ended after `limitSeconds` (status -1).
inline ProcessResult Run(const std::string& program, const std::vector<std::string>& args, unsigned limitSeconds = 60) {
  ScratchDir io;
  const std::string outPath = io / "out";
  const std::string errPath = io / "err";
  // What this process has buffered would be written again by the child.
  std::fflush(nullptr);
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

#ifdef COASTDOWN_SIM_EXE
// A test folder that coastdown-sim writes with `options` into a scratch
// folder, the argument text it hands coastdown, and coastdown run on it.
struct SimulatedFolder {
  explicit SimulatedFolder(const std::string& options, const std::string& name = "t") : path(dir / name) {
    std::vector<std::string> args = Words(options);
    args.insert(args.begin(), {"--out", path});
    const ProcessResult made = Run(COASTDOWN_SIM_EXE, args);
    EXPECT_EQ(made.status, 0) << made.err;
    printed = made.out;
    arguments = ReadFile(path + "/COMMAND");
    arguments = arguments.substr(0, arguments.find('\n'));
  }
  // coastdown with `options` before the argument text.
  ProcessResult Analyse(std::vector<std::string> options = {}) const {
    options.push_back(arguments);
    return Run(COASTDOWN_EXE, options);
  }
  std::string Report() const { return ReadFile(path + "/VB6Output.txt"); }
  std::string Truth() const { return ReadFile(path + "/truth.txt"); }

  ScratchDir dir;
  std::string path;
  std::string arguments;
  std::string printed;  // what coastdown-sim printed: the command to type
};

// The options on the "Made by" line of the truth.txt of a shipped example
// (the folder `shipped`, ending in /examples/NAME/).
inline std::string MadeByOptions(const std::string& shipped) {
  const std::string marker = "# Made by: coastdown-sim --out FOLDER ", truth = ReadFile(shipped + "truth.txt");
  const std::size_t at = truth.find(marker) + marker.size();
  return truth.substr(at, truth.find('\r', at) - at);
}

// The shipped example `NAME` is what its options remade: the same files,
// byte for byte, but COMMAND, which names the example's folder, and OPTIONS,
// the example's own options of the analysis.
inline void ExpectShippedAsRemade(const std::string& shipped, const std::string& name, const SimulatedFolder& remade) {
  namespace fs = std::filesystem;
  for (const fs::directory_entry& e : fs::directory_iterator(remade.path)) {
    const std::string file = e.path().filename();
    EXPECT_TRUE(file == "COMMAND" || ReadFile(shipped + file) == ReadFile(e.path())) << file;
  }
  for (const fs::directory_entry& e : fs::directory_iterator(shipped)) {
    const std::string file = e.path().filename();
    EXPECT_TRUE(file == "OPTIONS" || fs::exists(remade.path + "/" + file)) << file;
  }
  EXPECT_EQ(ReadFile(shipped + "COMMAND"), "examples/" + name + remade.arguments.substr(remade.path.size()) + "\n");
}
#endif

}  // namespace testsupport
