// Both programs started for real, as a user starts them, with a limit on
// their address space too small for what they need: each shows a box titled
// with its own title that says why, on the screen, writes the same on
// stderr, and ends with 1 once the box is closed, instead of ending with
// another library's message or painting nothing.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>

#include "tests/desktop/support/XServer.h"
#include "tests/support/AddressSpaceLimit.h"

namespace fs = std::filesystem;

namespace {

// Well above what the programs hold when they check, well below what they
// need to go on.
constexpr rlim_t TightLimit = rlim_t(300) << 20;

struct TStarted {
  pid_t Pid = -1;
  fs::path Stderr;
};

TStarted StartLimited(const std::string& Program, const fs::path& Folder) {
  TStarted s;
  s.Stderr = Folder / "stderr.txt";
  s.Pid = fork();
  if (s.Pid == 0) {
    const int err = open(s.Stderr.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (err >= 0) dup2(err, 2);
    const rlimit limit{TightLimit, TightLimit};
    setrlimit(RLIMIT_AS, &limit);
    if (chdir(Folder.c_str()) != 0) _exit(126);
    execl(Program.c_str(), Program.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  return s;
}

// The child's exit status within Seconds (-1: still running, then killed).
int WaitForExit(pid_t Pid, double Seconds) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(Seconds);
  while (std::chrono::steady_clock::now() < end) {
    int status = 0;
    if (waitpid(Pid, &status, WNOHANG) == Pid) return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  kill(Pid, SIGKILL);
  waitpid(Pid, nullptr, 0);
  return -1;
}

bool Running(pid_t Pid) { return waitpid(Pid, nullptr, WNOHANG) == 0; }

}  // namespace

TEST(StartLimits, TooLittleMemoryIsSaidInABoxAndEndsWithOne) {
  if (!AddressSpaceLimitsWork) GTEST_SKIP() << "address-space limits mean nothing under the address sanitizer";
  struct TProgram {
    const char* Path;
    const char* Title;
  };
  const TProgram programs[] = {{BRASK_KORVEL, "Brask Engine"}, {BRASK_SANDRETH, "Brask Mapmaker"}};
  TXServer x;
  for (const TProgram& p : programs) {
    SCOPED_TRACE(p.Title);
    const fs::path folder = fs::temp_directory_path() / ("start_limits_" + std::to_string(getpid()));
    fs::create_directories(folder);
    const TStarted started = StartLimited(p.Path, folder);
    ASSERT_GT(started.Pid, 0);
    unsigned long box = 0;
    for (int i = 0; i < 600 && !box && Running(started.Pid); ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
      box = x.WindowTitled(p.Title);
    }
    ASSERT_NE(box, 0u) << "no window titled \"" << p.Title << "\" came up";
    // The box paints its text (a moment for the first paint).
    double ink = 0;
    for (int i = 0; i < 50 && ink < 0.01; ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
      const QRect r = x.Geometry(box);
      ink = InkShare(x.Grab(box, QRect(0, 0, r.width(), r.height())));
    }
    EXPECT_GE(ink, 0.01) << "the box shows no text";
    EXPECT_TRUE(Running(started.Pid)) << "the program ended while its box was up";
    // Closed as its title bar's button closes it.
    x.CloseWindow(box);
    const int code = WaitForExit(started.Pid, 30);
    EXPECT_EQ(code, 1) << "the program's exit status once the box closed (-1: it did not end)";
    std::ifstream in(started.Stderr);
    const std::string err((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_NE(err.find(std::string(p.Title) + ": cannot start: not enough memory"), std::string::npos) << err;
    fs::remove_all(folder);
  }
}
