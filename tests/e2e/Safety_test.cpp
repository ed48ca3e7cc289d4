// The user's folder is safe whatever it holds: a report name that is a link
// or a FIFO, run-file names that are FIFOs, devices or dangling links, runs
// on one folder at the same time, runs killed at any moment. Each runs the
// program as a user does, on a folder the simulator writes, and looks at
// what is left in and around the folder.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fcntl.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <regex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "common/Sha256.h"
#include "tests/TestSupport.h"

namespace {

using ::testing::HasSubstr;
namespace fs = std::filesystem;
using testsupport::ReadFile;
using testsupport::ScratchDir;
using testsupport::WriteFile;

// A simulated test; its report read back with the date masked, and the
// temporaries that runs writing the report left beside it.
struct Folder : testsupport::SimulatedFolder {
  explicit Folder(const std::string& options = "--seed 11") : SimulatedFolder(options) {}
  std::string Report() const { return testsupport::MaskedDate(SimulatedFolder::Report()); }
  std::vector<std::string> Temporaries() const {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(path)) {
      if (e.path().filename().string().starts_with("VB6Output.txt.writing-")) names.push_back(e.path().filename());
    }
    return names;
  }
  // Whether a run waits at its rename: one temporary, holding the whole report.
  bool WholeReportWaiting(const std::string& whole) const {
    const std::vector<std::string> names = Temporaries();
    return names.size() == 1 && testsupport::MaskedDate(ReadFile(path + "/" + names[0])) == whole;
  }
};

// Starts the program under strace with `options` (trace and inject) and
// returns strace's process id; the analysis is its child. The sanitizers'
// leak check cannot run under a tracer.
pid_t StartUnderStrace(std::vector<std::string> options, const std::vector<std::string>& args) {
  options.insert(options.begin(), {"strace", "-f", "-o", "/dev/null", "-E", "ASAN_OPTIONS=detect_leaks=0"});
  options.push_back(COASTDOWN_EXE);
  options.insert(options.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (std::string& o : options) argv.push_back(o.data());
  argv.push_back(nullptr);
  const pid_t pid = ::fork();
  if (pid == 0) {
    ::execv("/usr/bin/strace", argv.data());
    _exit(127);
  }
  return pid;
}

// The process ids of the children of `pid`, as /proc lists them.
std::string ChildrenOf(pid_t pid) {
  return ReadFile("/proc/" + std::to_string(pid) + "/task/" + std::to_string(pid) + "/children");
}

// Whether `holds` comes true within `tries` looks `step` apart.
bool Within(int tries, std::chrono::milliseconds step, const std::function<bool()>& holds) {
  for (int i = 0; i < tries; ++i) {
    if (holds()) return true;
    std::this_thread::sleep_for(step);
  }
  return false;
}

// A link is replaced, never written through; a FIFO, which would hold a
// writer for ever, is replaced too (the child's alarm ends a hung run).
TEST(SafetyTest, TheReportReplacesALinkOrAFifoOfItsNameInsteadOfWritingThroughIt) {
  Folder t;
  ASSERT_EQ(t.Analyse().status, 0);
  const std::string expected = t.Report(), report = t.path + "/VB6Output.txt";
  WriteFile(t.dir / "o.txt", "keep");
  for (const std::string kind : {"link", "dangling link", "fifo"}) {
    SCOPED_TRACE(kind);
    fs::remove(report);
    if (kind == "link") fs::create_symlink(t.dir / "o.txt", report);
    if (kind == "dangling link") fs::create_symlink(t.dir / "nowhere.txt", report);
    ASSERT_TRUE(kind != "fifo" || ::mkfifo(report.c_str(), 0600) == 0);
    const testsupport::ProcessResult run = t.Analyse();
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(fs::symlink_status(report).type(), fs::file_type::regular);
    EXPECT_EQ(t.Report(), expected);
    EXPECT_TRUE(t.Temporaries().empty());
  }
  EXPECT_EQ(ReadFile(t.dir / "o.txt"), "keep");
  EXPECT_FALSE(fs::exists(t.dir / "nowhere.txt"));
}

// DATA.5 a FIFO, a link to a device, a link that leads nowhere: the set
// ends there, with a warning that names it, and nothing is deleted, opened
// or created.
TEST(SafetyTest, RunFileNamesThatAreNotFilesEndTheSetAndAreLeftAsTheyAre) {
  Folder t;
  ASSERT_EQ(t.Analyse().status, 0);
  const std::string whole = t.Report(), data5 = t.path + "/DATA.5", kept = ReadFile(data5);
  for (const std::string kind : {"fifo", "device", "dangling"}) {
    SCOPED_TRACE(kind);
    fs::remove(data5);
    ASSERT_TRUE(kind != "fifo" || ::mkfifo(data5.c_str(), 0600) == 0);
    if (kind == "device") fs::create_symlink("/dev/zero", data5);
    if (kind == "dangling") fs::create_symlink(t.dir / "nowhere", data5);
    const testsupport::ProcessResult run = t.Analyse();
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_NE(t.Report(), whole);
    EXPECT_TRUE(fs::exists(fs::symlink_status(data5)));
    EXPECT_THAT(run.err, HasSubstr("DATA.5"));
  }
  EXPECT_FALSE(fs::exists(t.dir / "nowhere"));
  fs::remove(data5);
  WriteFile(data5, kept);
  ASSERT_EQ(t.Analyse().status, 0);
  EXPECT_EQ(t.Report(), whole);
}

// Several runs on one folder at once: each ends normally with the same
// coefficients as a single run, and the report left is whole.
TEST(SafetyTest, RunsOnOneFolderAtOnceEachFinishWithTheSameResult) {
  Folder t;
  ASSERT_EQ(t.Analyse({"--json", t.dir / "single.json"}).status, 0);
  const std::string report = t.Report();
  const std::string json = ReadFile(t.dir / "single.json");
  const auto results = [](const std::string& text) { return text.substr(text.find("\"results\"")); };
  for (int round = 0; round < 5; ++round) {
    std::vector<std::thread> runs;
    std::vector<testsupport::ProcessResult> outcomes(4);
    for (int i = 0; i < 4; ++i) {
      runs.emplace_back([&, i] { outcomes[i] = t.Analyse({"--json", t.dir / ("run" + std::to_string(i) + ".json")}); });
    }
    for (std::thread& run : runs) run.join();
    for (int i = 0; i < 4; ++i) {
      EXPECT_EQ(outcomes[i].status, 0) << outcomes[i].err;
      EXPECT_EQ(results(ReadFile(t.dir / ("run" + std::to_string(i) + ".json"))), results(json));
    }
    EXPECT_EQ(t.Report(), report);
    EXPECT_TRUE(t.Temporaries().empty());
  }
}

// Killed at any moment of a long analysis, a run leaves the previous report
// or the whole new one, and at most its own temporary, which a later run
// removes.
TEST(SafetyTest, AKilledRunLeavesTheOldReportOrTheWholeNewOne) {
  Folder t("--seed 3 --data-runs 100 --zero-runs 4 --cal-runs 10");
  const auto start = std::chrono::steady_clock::now();
  ASSERT_EQ(t.Analyse().status, 0);
  // Most kills fall near the end of a run, where the report is written.
  const auto took = std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - start);
  std::uniform_int_distribution<long> when(took.count() / 2, took.count() * 6 / 5);
  const std::string whole = t.Report();
  WriteFile(t.path + "/VB6Output.txt", "an older report\r\n");
  std::mt19937 random(7);
  std::string previous = "an older report\r\n";
  for (int kill = 0; kill < 40; ++kill) {
    const pid_t pid = ::fork();
    if (pid == 0) {
      ::execl(COASTDOWN_EXE, COASTDOWN_EXE, "--quiet", t.arguments.c_str(), static_cast<char*>(nullptr));
      _exit(127);
    }
    std::this_thread::sleep_for(std::chrono::microseconds(when(random)));
    ::kill(pid, SIGKILL);
    int status = 0;
    ::waitpid(pid, &status, 0);
    const std::string now = t.Report();
    EXPECT_TRUE(now == previous || now == whole) << "after kill " << kill << ": " << now.substr(0, 200);
    EXPECT_LE(t.Temporaries().size(), 1u + static_cast<unsigned>(kill));
    previous = now;
  }
  // The next run that reaches its report removes what killed runs left.
  ASSERT_EQ(t.Analyse().status, 0);
  EXPECT_EQ(t.Report(), whole);
  EXPECT_TRUE(t.Temporaries().empty());

  // Killed for certain between the last section and the rename (strace
  // holds the rename back for ten minutes): the old report stays, the whole
  // new one waits under its temporary name, and the next run clears it
  // away. The run is known to be at its rename when its temporary holds the
  // whole report, however slowly a loaded machine got it there.
  if (!fs::exists("/usr/bin/strace")) GTEST_SKIP() << "strace is not installed";
  WriteFile(t.path + "/VB6Output.txt", "an older report\r\n");
  const pid_t pid = StartUnderStrace({"-e", "inject=rename:delay_enter=600000000"}, {"--quiet", t.arguments});
  const bool atRename = Within(12000, std::chrono::milliseconds(5), [&] { return t.WholeReportWaiting(whole); });
  // The analysis first: strace gone, it would go on to the rename.
  const std::string children = ChildrenOf(pid);
  if (!children.empty()) ::kill(static_cast<pid_t>(std::stol(children)), SIGKILL);
  ::kill(pid, SIGKILL);
  ::waitpid(pid, nullptr, 0);
  ASSERT_TRUE(atRename);
  ASSERT_FALSE(children.empty());
  EXPECT_EQ(ReadFile(t.path + "/VB6Output.txt"), "an older report\r\n");
  EXPECT_TRUE(t.WholeReportWaiting(whole));
  ASSERT_EQ(t.Analyse().status, 0);
  EXPECT_TRUE(t.Temporaries().empty());
}

// A logger that has created the next run file and not yet written to it:
// the run leaves the file, says so, and ends its set before it; once the
// record is written the next run reads it. Then the logger races the run,
// creating the file at random moments of the run's first half and writing
// its record 0 to 2 ms later: whatever the run meets (no file, an empty
// file held open, or the record), the record is never lost. Bounded by a
// count of tries; which interleavings a loaded machine produces is left
// to it, so nothing here waits for one of them.
TEST(SafetyTest, AnEmptyRunFileThatALoggerHoldsOpenIsNeverDeleted) {
  Folder t;
  const std::string next = t.path + "/DATA.11", record = "20.5,21.0,1.5\r\n", json = t.dir / "record.json";
  {
    const int fd = ::open(next.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    ASSERT_GE(fd, 0);
    const testsupport::ProcessResult run = t.Analyse({"--json", json});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_THAT(run.err, HasSubstr("DATA.11, which is empty and held open by another program"));
    EXPECT_TRUE(fs::exists(next));
    EXPECT_EQ(::write(fd, record.data(), record.size()), static_cast<ssize_t>(record.size()));
    ::close(fd);
    ASSERT_EQ(t.Analyse({"--json", json}).status, 0);
    EXPECT_EQ(ReadFile(next), record);
    EXPECT_TRUE(std::regex_search(ReadFile(json),
                                  std::regex(R"("DATA\.11",\s*"path": "[^"]*",\s*"run": 11,\s*"state": "read")")));
  }

  const auto start = std::chrono::steady_clock::now();
  ASSERT_EQ(t.Analyse().status, 0);
  const auto took = std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - start);
  std::mt19937 random(3);
  std::uniform_int_distribution<long> before(0, took.count() / 2), writing(0, 2000);
  for (int tries = 0; tries < 60; ++tries) {
    fs::remove(next);
    const long wait = before(random), hold = writing(random);
    std::thread logger([&] {
      std::this_thread::sleep_for(std::chrono::microseconds(wait));
      const int fd = ::open(next.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
      std::this_thread::sleep_for(std::chrono::microseconds(hold));
      EXPECT_EQ(::write(fd, record.data(), record.size()), static_cast<ssize_t>(record.size()));
      ::close(fd);
    });
    const testsupport::ProcessResult run = t.Analyse();
    logger.join();
    EXPECT_EQ(run.status, 0) << run.err;
    ASSERT_EQ(ReadFile(next), record) << "try " << tries << ": the logger's record is lost\n" << run.err;
  }
}

// A logger that writes its first record and closes the file in the instant
// between the run finding the file empty and shutting other writers out
// (strace holds the run for a second as it starts to shut them out, and
// the record is written then): the file is read as a run, not deleted.
TEST(SafetyTest, ARecordWrittenJustBeforeWritersAreShutOutIsRead) {
#if defined(__SANITIZE_ADDRESS__)
  // The sanitizers' runtime makes system calls of its own, which the
  // injection could meet first.
  GTEST_SKIP() << "left to the plain build";
#endif
  if (!fs::exists("/usr/bin/strace")) GTEST_SKIP() << "strace is not installed";
  Folder t;
  const std::string next = t.path + "/DATA.11", record = "20.5,21.0,1.5\r\n", json = t.dir / "record.json";
  WriteFile(next, "");
  const pid_t pid = StartUnderStrace({"-e", "trace=fcntl", "-e", "inject=fcntl:delay_enter=1000000:when=1"},
                                     {"--quiet", "--json", json, t.arguments});
  // The run is held at its first fcntl (system call 72), the lease on the empty DATA.11.
  const bool held = Within(60000, std::chrono::milliseconds(1), [&] {
    const std::string children = ChildrenOf(pid);
    return !children.empty() &&
           ReadFile("/proc/" + std::to_string(std::stol(children)) + "/syscall").starts_with("72 ");
  });
  WriteFile(next, record);
  int status = 0;
  ::waitpid(pid, &status, 0);
  ASSERT_TRUE(held);
  EXPECT_EQ(WEXITSTATUS(status), 0);
  EXPECT_EQ(ReadFile(next), record);
  EXPECT_THAT(ReadFile(json), HasSubstr("DATA.11"));
}

// The record's SHA-256 of a run file is of the very bytes the analysis read:
// a file changed while the run writes its report keeps the digest of what
// was analysed (the run is held at the report's flush until the change).
TEST(SafetyTest, TheDigestIsOfTheBytesAnalysed) {
  if (!fs::exists("/usr/bin/strace")) GTEST_SKIP() << "strace is not installed";
  Folder t;
  const std::string json = t.dir / "record.json", data3 = t.path + "/DATA.3", analysed = ReadFile(data3);
  ASSERT_EQ(t.Analyse({"--quiet"}).status, 0);
  const std::string whole = t.Report();
  const pid_t pid = StartUnderStrace({"-e", "trace=fsync", "-e", "inject=fsync:delay_enter=2000000:when=1"},
                                     {"--quiet", "--json", json, t.arguments});
  const bool atFlush = Within(12000, std::chrono::milliseconds(5), [&] { return t.WholeReportWaiting(whole); });
  WriteFile(data3, analysed + "70.1,70.2,0.5\r\n");
  int status = 0;
  ::waitpid(pid, &status, 0);
  ASSERT_TRUE(atFlush);
  Sha256 digest;
  digest.Update(analysed);
  const std::string record = ReadFile(json);
  const std::size_t at = record.find("\"name\": \"DATA.3\"");
  ASSERT_NE(at, std::string::npos);
  EXPECT_NE(record.find("\"bytes\": " + std::to_string(analysed.size()) + ",", at), std::string::npos);
  EXPECT_EQ(record.substr(record.find("\"sha256\": \"", at) + 11, 64), digest.HexDigest());
}

// A run file of one line of 64 MB of digits ends its set with error 6 (a
// number too large) and costs the run a few megabytes, not the line.
TEST(SafetyTest, ALongLineCostsNoMoreMemoryThanAShortOne) {
  Folder t;
  const testsupport::ProcessResult plain = t.Analyse({"--quiet"});
  ASSERT_EQ(plain.status, 0);
  { std::ofstream(t.path + "/DATA.3", std::ios::binary) << std::string(std::size_t{64} << 20, '7') << ",1,1\r\n"; }
  const testsupport::ProcessResult run = t.Analyse();
  EXPECT_EQ(run.status, 0);
  EXPECT_THAT(run.err, HasSubstr("DATA.3: run-time error 6: Overflow ("));
  EXPECT_THAT(run.err, HasSubstr(", line 1: the number 777777777777777777777777... is too large for a double"));
#if !defined(__SANITIZE_ADDRESS__)
  // The address sanitizer keeps freed blocks aside, so only a plain build
  // shows the program's own memory.
  EXPECT_LT(run.maxResidentKb, plain.maxResidentKb + 8 * 1024);
#endif
}

// The program run under strace with `options` (trace and inject), its
// log of system calls.
struct Traced {
  testsupport::ProcessResult run;
  std::vector<std::string> calls;
};
Traced UnderStrace(const std::vector<std::string>& options, const std::vector<std::string>& args) {
  ScratchDir dir;
  // The sanitizers' leak check cannot run under a tracer.
  std::vector<std::string> all = {"-f", "-o", dir / "log", "-E", "ASAN_OPTIONS=detect_leaks=0"};
  all.insert(all.end(), options.begin(), options.end());
  all.push_back(COASTDOWN_EXE);
  all.insert(all.end(), args.begin(), args.end());
  Traced traced{testsupport::Run("/usr/bin/strace", all), {}};
  std::istringstream log(ReadFile(dir / "log"));
  for (std::string line; std::getline(log, line);) {
    traced.calls.push_back(line.substr(line.find_first_not_of(' ', line.find(' '))));  // without the process id
  }
  return traced;
}

// Each staged file reaches the disk before it takes its name, and its
// folder's entries after; a full disk or a failed flush of the report ends
// as "Unable to save results." with exit status 2, what was written kept
// under the report's name and no temporary left, and one of an output
// leaves the older output whole.
TEST(SafetyTest, FlushedToTheDiskBeforeTheRenameAndFaultsOfTheDiskAreErrors) {
  if (!fs::exists("/usr/bin/strace")) GTEST_SKIP() << "strace is not installed";
#if defined(__SANITIZE_ADDRESS__)
  // The sanitizers' runtime makes system calls of its own, which the
  // injected faults would hit first.
  GTEST_SKIP() << "system-call faults are injected in the plain build only";
#endif
  Folder t;
  const std::string json = t.dir / "record.json";
  const Traced traced =
      UnderStrace({"-e", "trace=openat,fsync,rename"}, {"--quiet", "--json", json, t.arguments});
  ASSERT_EQ(traced.run.status, 0) << traced.run.err;
  const std::string whole = t.Report();
  for (const std::string& final : {t.path + "/VB6Output.txt", json}) {
    SCOPED_TRACE(final);
    const std::regex created("openat\\(AT_FDCWD, \"" + final + "\\.writing-[0-9]+\", O_RDWR\\|O_CREAT.* = ([0-9]+)");
    const std::regex renamed("rename\\(\".*\", \"" + final + "\"\\) = 0");
    const std::regex folder("openat\\(AT_FDCWD, \"" + final.substr(0, final.rfind('/')) +
                            "\", .*O_DIRECTORY.* = ([0-9]+)");
    std::string fd, folderFd;
    bool flushed = false, moved = false, folderFlushed = false;
    for (const std::string& call : traced.calls) {
      std::smatch m;
      if (std::regex_search(call, m, created)) fd = m[1];
      if (!fd.empty() && !moved && std::regex_match(call, std::regex("fsync\\(" + fd + "\\) += 0"))) flushed = true;
      if (std::regex_search(call, renamed)) moved = true;
      if (moved && std::regex_search(call, m, folder)) folderFd = m[1];
      if (moved && !folderFd.empty() && std::regex_match(call, std::regex("fsync\\(" + folderFd + "\\) += 0"))) {
        folderFlushed = true;
      }
    }
    EXPECT_TRUE(flushed && moved && folderFlushed) << fd << " " << flushed << moved << folderFlushed;
  }

  const struct {
    const char* call;
    const char* inject;
    int status;
    bool reportWhole;  // else what the failed write left: nothing
  } faults[] = {
      {"write", "write:error=ENOSPC:when=1", 2, false},  // the report's first write: the disk is full
      {"fsync", "fsync:error=EIO:when=1", 2, true},      // the report written, not flushed
      {"fsync", "fsync:error=EIO:when=3", 1, true},      // the record's flush
  };
  for (const auto& f : faults) {
    SCOPED_TRACE(f.inject);
    WriteFile(json, "an older record");
    const Traced run = UnderStrace({"-e", std::string("trace=") + f.call, "-e", std::string("inject=") + f.inject},
                                   {"--quiet", "--json", json, t.arguments});
    EXPECT_EQ(run.run.status, f.status) << run.run.err;
    EXPECT_EQ(t.Report(), f.reportWhole ? whole : "");
    EXPECT_TRUE(t.Temporaries().empty());
    if (f.status == 2) {
      EXPECT_EQ(run.run.err, "coastdown: Unable to save results.\n");
    }
    if (f.status == 1) {
      EXPECT_EQ(run.run.err, "coastdown: run-time error 75: Path/File access error (--json " + json + ")\n");
      EXPECT_EQ(ReadFile(json), "an older record");
    }
    for (const auto& e : fs::directory_iterator(t.dir.path())) {
      EXPECT_EQ(e.path().filename().string().find(".writing-"), std::string::npos) << e.path();
    }
  }
}

}  // namespace
