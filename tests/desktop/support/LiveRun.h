// A whole program run for real on the X display, driven by a script.
//
// The program runs on the calling thread, the message thread, exactly as its
// main runs it (the same start-up function, its real message loop, modal
// loops and message boxes). The script runs on a thread of its own: it sends
// input through the X server (TXServer) and reads the program's state, files
// and pixels. Everything it reads of the program runs on the message thread
// (OnMain, WaitFor), between messages of whatever loop runs there, so a check
// sees the program as its handlers leave it.
//
//   TLiveRun::Run(ProgramMain, [](TLiveRun& R) {
//     R.WaitFor("the open-map dialog shows", [] { return Form6 && Form6->Visible(); });
//     R.X().Click(...);
//     R.Check(R.OnMain([] { return Form1->State.UnitCount; }) == 12, "the map's units are loaded");
//   });
//
// A failed check or a condition that does not come in time is a test failure
// naming the step; the script ends there, a screenshot is kept (when
// BRASK_DESKTOP_SHOTS names a folder) and the program is told to end. A
// program that stops handling messages altogether (a busy loop of its own,
// a hang) is reported and ends the test process.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <type_traits>

#include "tests/desktop/support/XServer.h"

struct TProcessStats {
  double CpuSeconds = 0;  // user + system time of the whole process so far
  long RssKb = 0;         // resident memory now
  long PeakRssKb = 0;     // the most resident memory so far
};
// Read from /proc/self.
TProcessStats ReadProcessStats();

class TLiveRun {
 public:
  // Runs Program on this thread and Script beside it; returns Program's result.
  static int Run(const std::function<int()>& Program, const std::function<void(TLiveRun&)>& Script);

  TXServer& X() { return *FX; }

  // Runs F on the message thread and returns what it returns. An exception
  // from F is rethrown here.
  template <class F>
  auto OnMain(F&& Fn) -> std::invoke_result_t<F&> {
    using R = std::invoke_result_t<F&>;
    if constexpr (std::is_void_v<R>) {
      RunOnMain([&] { Fn(); });
    } else {
      std::optional<R> result;
      RunOnMain([&] { result.emplace(Fn()); });
      return std::move(*result);
    }
  }

  // Polls Condition on the message thread until it holds; a failure naming
  // What when it does not within Seconds.
  void WaitFor(const std::string& What, const std::function<bool()>& Condition, double Seconds = 30);
  // Like WaitFor, but the condition must then hold for Seconds more (windows
  // that a window manager still moves or resizes settle first).
  void WaitSteady(const std::string& What, const std::function<bool()>& Condition, double Settle = 0.3,
                  double Seconds = 30);
  // A failure unless Ok.
  void Check(bool Ok, const std::string& What);
  [[noreturn]] void Fail(const std::string& What);
  // Notes the step in the test's output, with the time since the start.
  void Step(const std::string& What);
  // Lets time pass (where a time span itself is measured).
  void Sleep(double Seconds);
  double Elapsed() const;
  // Whether the program's start-up function has returned.
  bool ProgramEnded() const;
  // Waits for the program to end by itself (the script closed it).
  void WaitForEnd(const std::string& What, double Seconds = 30);
  // Saves what the screen shows (every mapped window of the display) as
  // Name.png in BRASK_DESKTOP_SHOTS, when that names a folder.
  void Screenshot(const std::string& Name);

 private:
  struct TShared;
  explicit TLiveRun(TShared* Shared);
  void RunOnMain(const std::function<void()>& Fn);
  TShared* FShared;
  TXServer* FX = nullptr;
  std::string FStep;
};

// Thrown by Fail to end the script.
struct TScriptFailed {
  std::string What;
};
