// The outputs besides the report are as safe as the report: a FILE is
// written only as a regular file of its own, never over a device, a FIFO,
// a link, a run file or the report, never twice, and a mistake in the
// options stops the run before anything is read or written.
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "tests/TestSupport.h"

namespace {

namespace fs = std::filesystem;
using testsupport::ReadFile;
using testsupport::WriteFile;

std::vector<std::string> Listing(const std::string& folder) {
  std::vector<std::string> names;
  for (const auto& e : fs::directory_iterator(folder)) names.push_back(e.path().filename());
  std::sort(names.begin(), names.end());
  return names;
}

TEST(OutputsTest, AnOutputThatIsNoFileOfItsOwnIsRefusedBeforeAnythingIsTouched) {
  testsupport::SimulatedFolder t("--seed 11");
  const std::string d = t.dir.path();
  ::mkfifo((d + "/fifo").c_str(), 0600);
  fs::create_symlink(d + "/fifo", d + "/link");
  WriteFile(d + "/old.json", "old");
  fs::create_hard_link(d + "/old.json", d + "/same.json");
  const int sock = ::socket(AF_UNIX, SOCK_STREAM, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  const std::string socketPath = d + "/socket";
  socketPath.copy(address.sun_path, sizeof address.sun_path - 1);
  ASSERT_EQ(::bind(sock, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
  const std::vector<std::string> before = Listing(d), folderBefore = Listing(t.path);
  const std::string A = t.arguments;
  const struct {
    std::vector<std::string> args;
    std::string error;  // in the error line
  } cases[] = {
      {{"--json", d + "/fifo", A}, "75: Path/File access error (--json " + d + "/fifo is a FIFO, not a file"},
      {{"--html", d + "/socket", A}, "75: Path/File access error (--html " + d + "/socket is a socket, not a file"},
      {{"--samples", d + "/link", A}, "75: Path/File access error (--samples " + d + "/link is a link, not a file"},
      {{"--json", t.path, A}, "75: Path/File access error (--json " + t.path + " is a folder, not a file"},
      {{"--json", t.path + "/DATA.3", A}, "5: Invalid procedure call or argument (--json " + t.path +
                                              "/DATA.3 would replace a run file of the test folder " + t.path},
      {{"--samples", t.path + "/DATA.11", A}, "--samples " + t.path + "/DATA.11 would replace a run file"},
      {{"--html", d + "/t/../t/zero.3", A}, "--html " + d + "/t/../t/zero.3 would replace a run file"},
      {{"--json", t.path + "/VB6Output.txt", A}, "would replace the report of the test folder"},
      {{"--json", d + "/x.json", "--samples", d + "/./x.json", A}, "(--json and --samples both name"},
      {{"--json", d + "/old.json", "--html", d + "/same.json", A}, "(--json and --html both name"},
      {{"--json", "-", "--samples", "-", A}, "(--json and --samples both write to standard output (-);"},
      {{"--json", d + "/none/x.json", A},
       "76: Path not found (--json " + d + "/none/x.json: the folder " + d + "/none does not exist)"},
      {{"--json", "--quiet", A}, "5: Invalid procedure call or argument (the option --json needs a FILE, and "
                                 "--quiet is not one (./--quiet names a file of that name))"},
      {{"--json", A}, "(the FILE of --json is " + A + ", which looks like the fields; give the FILE before them)"},
      {{A, "--json", d + "/a.json"}, "(the option --json comes after the fields; options come before them"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.error);
    const testsupport::ProcessResult run = testsupport::Run(COASTDOWN_EXE, c.args);
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find(c.error), std::string::npos) << run.err;
    EXPECT_EQ(run.err.rfind("coastdown: run-time error ", 0), 0u) << run.err;
    EXPECT_EQ(run.err.find('\n'), run.err.size() - 1) << run.err;
    EXPECT_EQ(Listing(d), before);
    EXPECT_EQ(Listing(t.path), folderBefore);
  }
  EXPECT_EQ(ReadFile(d + "/old.json"), "old");
  ::close(sock);
  // "--" keeps what follows as text, as before: here an eleventh field.
  EXPECT_EQ(testsupport::Run(COASTDOWN_EXE, {"--quiet", "--", A + ",", "--json", d + "/a.json"}).status, 0);
  EXPECT_FALSE(fs::exists(d + "/a.json"));
}

// Devices exist only where a test may make them: as root in a private mount
// namespace, on a file system of the test's own. Neither is replaced, and
// a full device behind standard output is an error, not a lost output.
TEST(OutputsTest, ADeviceIsNeverReplacedAndAFullStandardOutputIsAnError) {
  if (::geteuid() != 0 || !fs::exists("/usr/bin/unshare")) GTEST_SKIP() << "needs root and unshare to make devices";
  testsupport::SimulatedFolder t("--seed 11");
  const std::string d = t.dir / "dev";
  fs::create_directory(d);
  const std::string script = "mount -t tmpfs none " + d + " && mknod " + d + "/null c 1 3 && mknod " + d +
                             "/full c 1 7 || exit 99; " + COASTDOWN_EXE + " --json " + d + "/null \"$1\" 2>&1; echo \" $?\"; " +
                             COASTDOWN_EXE + " --quiet --json - \"$1\" > " + d + "/full 2>&1; echo \"full $?\"; " +
                             "stat -c %F " + d + "/null " + d + "/full";
  const testsupport::ProcessResult run =
      testsupport::Run("/usr/bin/unshare", {"-m", "--propagation", "private", "sh", "-c", script, "sh", t.arguments});
  if (run.status == 99) GTEST_SKIP() << "no devices can be made here: " << run.err;
  EXPECT_EQ(run.out, "coastdown: run-time error 75: Path/File access error (--json " + d +
                         "/null is a device, not a file: outputs are written only as files of their own (- for "
                         "standard output))\n 1\nfull 1\ncharacter special file\ncharacter special file\n");
}

// Clearing away what killed runs left touches only names of the program's
// own pattern that it can prove are its own.
TEST(OutputsTest, OnlyTheProgramsOwnAbandonedTemporariesAreRemoved) {
  testsupport::SimulatedFolder t("--seed 11");
  const std::string out = t.dir / "notes";
  const std::vector<std::string> kept = {"notes.writing-draft", "notes.writing-12ab", "notes.writing-", "notes.txt"};
  for (const std::string& name : kept) WriteFile(t.dir / name, "the user's");
  WriteFile(t.dir / "notes.writing-999999999", "a record cut short");
  WriteFile(t.dir / "notes.writing-999999998-1", "another");
  ASSERT_EQ(testsupport::Run(COASTDOWN_EXE, {"--quiet", "--json", out, t.arguments}).status, 0);
  for (const std::string& name : kept) EXPECT_EQ(ReadFile(t.dir / name), "the user's") << name;
  EXPECT_FALSE(fs::exists(t.dir / "notes.writing-999999999"));
  EXPECT_FALSE(fs::exists(t.dir / "notes.writing-999999998-1"));
  EXPECT_NE(ReadFile(out).find("\"format\": \"coastdown-analysis\""), std::string::npos);
}

}  // namespace
