#include "tests/desktop/support/LiveRun.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QCoreApplication>
#include <QDialog>
#include <QMetaObject>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <fstream>
#include <memory>
#include <mutex>
#include <sstream>
#include <thread>

#include "platform/toolkit/Forms.h"
#include "platform/win/Gdi.h"

TProcessStats ReadProcessStats() {
  TProcessStats s;
  {
    std::ifstream stat("/proc/self/stat");
    std::string line;
    std::getline(stat, line);
    // The fields after the command name (which may hold spaces) in brackets.
    std::istringstream rest(line.substr(line.rfind(')') + 2));
    std::string field;
    long utime = 0, stime = 0;
    for (int i = 3; i <= 15 && rest >> field; ++i) {
      if (i == 14) utime = std::stol(field);
      if (i == 15) stime = std::stol(field);
    }
    s.CpuSeconds = static_cast<double>(utime + stime) / static_cast<double>(::sysconf(_SC_CLK_TCK));
  }
  std::ifstream status("/proc/self/status");
  std::string key;
  while (status >> key) {
    if (key == "VmRSS:") status >> s.RssKb;
    if (key == "VmHWM:") status >> s.PeakRssKb;
    status.ignore(1 << 20, '\n');
  }
  return s;
}

namespace {

using Clock = std::chrono::steady_clock;

// How long the message thread may take to run a probe before the program
// counts as no longer handling messages.
constexpr double kStuckSeconds = 60;

}  // namespace

struct TLiveRun::TShared {
  Clock::time_point Start = Clock::now();
  int RunOfTest = 1;  // 1 for the test's first run of a program, 2 for its second, ...
  std::atomic<bool> ProgramEnded{false};
  std::atomic<bool> ScriptDone{false};
};

TLiveRun::TLiveRun(TShared* Shared) : FShared(Shared) {}

double TLiveRun::Elapsed() const { return std::chrono::duration<double>(Clock::now() - FShared->Start).count(); }

bool TLiveRun::ProgramEnded() const { return FShared->ProgramEnded; }

void TLiveRun::Step(const std::string& What) {
  FStep = What;
  std::printf("[%7.2f s] %s\n", Elapsed(), What.c_str());
  std::fflush(stdout);
}

void TLiveRun::RunOnMain(const std::function<void()>& Fn) {
  struct TCall {
    std::mutex Lock;
    std::condition_variable Done;
    bool Finished = false;
    std::exception_ptr Error;
  };
  auto call = std::make_shared<TCall>();
  const std::function<void()>* fn = &Fn;
  QMetaObject::invokeMethod(
      QCoreApplication::instance(),
      [call, fn] {
        try {
          (*fn)();
        } catch (...) { call->Error = std::current_exception(); }
        std::lock_guard<std::mutex> g(call->Lock);
        call->Finished = true;
        call->Done.notify_all();
      },
      Qt::QueuedConnection);
  std::unique_lock<std::mutex> g(call->Lock);
  if (!call->Done.wait_for(g, std::chrono::duration<double>(kStuckSeconds), [&] { return call->Finished; })) {
    const TProcessStats s = ReadProcessStats();
    std::fprintf(stderr,
                 "FAILED at \"%s\": the program has handled no message for %.0f s (a loop that never returns "
                 "to the message queue); CPU %.1f s, resident %ld kB, peak %ld kB\n",
                 FStep.c_str(), kStuckSeconds, s.CpuSeconds, s.RssKb, s.PeakRssKb);
    Screenshot("stuck");
    std::fflush(stderr);
    std::_Exit(3);
  }
  if (call->Error) std::rethrow_exception(call->Error);
}

void TLiveRun::WaitFor(const std::string& What, const std::function<bool()>& Condition, double Seconds) {
  Step("waiting: " + What);
  const auto end = Clock::now() + std::chrono::duration<double>(Seconds);
  for (;;) {
    if (OnMain(Condition)) return;
    if (Clock::now() > end) Fail("not within " + std::to_string(static_cast<int>(Seconds)) + " s: " + What);
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
}

void TLiveRun::WaitSteady(const std::string& What, const std::function<bool()>& Condition, double Settle,
                          double Seconds) {
  Step("waiting: " + What);
  const auto end = Clock::now() + std::chrono::duration<double>(Seconds);
  std::optional<Clock::time_point> since;
  for (;;) {
    const bool holds = OnMain(Condition);
    if (!holds) since.reset();
    if (holds && !since) since = Clock::now();
    if (since && Clock::now() - *since >= std::chrono::duration<double>(Settle)) return;
    if (Clock::now() > end) Fail("not within " + std::to_string(static_cast<int>(Seconds)) + " s: " + What);
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
}

void TLiveRun::Check(bool Ok, const std::string& What) {
  if (!Ok) Fail(What);
}

void TLiveRun::Fail(const std::string& What) {
  ADD_FAILURE() << What << " (step \"" << FStep << "\", " << Elapsed() << " s)";
  Screenshot("failure");
  throw TScriptFailed{What};
}

void TLiveRun::Sleep(double Seconds) { std::this_thread::sleep_for(std::chrono::duration<double>(Seconds)); }

void TLiveRun::WaitForEnd(const std::string& What, double Seconds) {
  Step("waiting: " + What);
  const auto end = Clock::now() + std::chrono::duration<double>(Seconds);
  while (!FShared->ProgramEnded) {
    if (Clock::now() > end) Fail("not within " + std::to_string(static_cast<int>(Seconds)) + " s: " + What);
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
}

void TLiveRun::Screenshot(const std::string& Name) {
  const char* folder = std::getenv("BRASK_DESKTOP_SHOTS");
  if (!folder || !*folder || !FX) return;
  std::error_code ec;
  std::filesystem::create_directories(folder, ec);
  const std::string test = ::testing::UnitTest::GetInstance()->current_test_info()
                               ? ::testing::UnitTest::GetInstance()->current_test_info()->name()
                               : "run";
  // The second and later runs of a program in one test are numbered, so
  // that their shots do not replace the first run's.
  const std::string run = FShared->RunOfTest > 1 ? "-" + std::to_string(FShared->RunOfTest) : std::string();
  const std::string path = std::string(folder) + "/" + test + run + "-" + Name + ".png";
  if (FX->Screen().save(QString::fromStdString(path))) std::printf("screenshot %s\n", path.c_str());
}

int TLiveRun::Run(const std::function<int()>& Program, const std::function<void(TLiveRun&)>& Script) {
  EnsureGuiApplication();
  TShared shared;
  {
    static std::string lastTest;
    static int runs = 0;
    const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
    const std::string test = info ? std::string(info->test_suite_name()) + "." + info->name() : std::string();
    runs = test == lastTest ? runs + 1 : 1;
    lastTest = test;
    shared.RunOfTest = runs;
  }
  std::thread script([&] {
    TXServer x;
    TLiveRun run(&shared);
    run.FX = &x;
    try {
      Script(run);
    } catch (const TScriptFailed&) {
    } catch (const std::exception& e) {
      ADD_FAILURE() << "the script stopped: " << e.what() << " (step \"" << run.FStep << "\")";
    }
    // Whatever the script left open, the program is told to end.
    if (!shared.ProgramEnded) {
      run.Step("ending the program");
      // Dialogs with loops of their own (a file dialog's box) are closed first.
      run.OnMain([] {
        for (QWidget* w : QApplication::topLevelWidgets())
          if (auto* d = qobject_cast<QDialog*>(w); d && d->isVisible()) d->reject();
        if (Application) Application->Terminate();
      });
      const auto end = Clock::now() + std::chrono::seconds(30);
      while (!shared.ProgramEnded && Clock::now() < end) std::this_thread::sleep_for(std::chrono::milliseconds(20));
      if (!shared.ProgramEnded) {
        ADD_FAILURE() << "the program did not end when told to (step \"" << run.FStep << "\")";
        run.Screenshot("not-ending");
        std::fflush(stdout);
        std::_Exit(4);
      }
    }
    const TProcessStats s = ReadProcessStats();
    std::printf("[%7.2f s] done: CPU time %.2f s, peak resident memory %.1f MB\n", run.Elapsed(), s.CpuSeconds,
                static_cast<double>(s.PeakRssKb) / 1024.0);
    std::fflush(stdout);
    shared.ScriptDone = true;
    if (auto* d = QAbstractEventDispatcher::instance(QCoreApplication::instance()->thread())) d->wakeUp();
  });
  int result = 0;
  try {
    result = Program();
  } catch (...) { ADD_FAILURE() << "the program's start-up function threw"; }
  shared.ProgramEnded = true;
  // The script may still read files and state; its probes run here now.
  while (!shared.ScriptDone) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
  QCoreApplication::processEvents();
  script.join();
  return result;
}
