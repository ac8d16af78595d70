#include "platform/win/Time.h"

#include <atomic>
#include <chrono>
#include <mutex>
#include <thread>

namespace {

std::atomic<bool> gManual{false};
std::atomic<std::int64_t> gManualNow{0};
std::atomic<DWORD> gTimeOffset{0};
std::mutex gObserverLock;
std::function<void(std::int64_t)> gObserver;

std::int64_t RealMicroseconds() {
  using namespace std::chrono;
  return duration_cast<microseconds>(steady_clock::now().time_since_epoch()).count();
}

}  // namespace

std::int64_t ClockMicroseconds() { return gManual ? gManualNow.load() : RealMicroseconds(); }

void UseManualClock(std::int64_t startMicroseconds) {
  gManualNow = startMicroseconds;
  gManual = true;
}

void AdvanceManualClock(std::int64_t microseconds) { gManualNow += microseconds; }
void SetManualClock(std::int64_t microseconds) { gManualNow = microseconds; }
void UseRealClock() { gManual = false; }
bool IsManualClock() { return gManual; }

void SetWaitObserver(std::function<void(std::int64_t)> observer) {
  std::lock_guard<std::mutex> lock(gObserverLock);
  gObserver = std::move(observer);
}

void SleepUntilMicroseconds(std::int64_t microseconds) {
  if (gManual) {
    if (gManualNow < microseconds) gManualNow = microseconds;
    std::function<void(std::int64_t)> observer;
    {
      std::lock_guard<std::mutex> lock(gObserverLock);
      observer = gObserver;
    }
    if (observer) observer(microseconds);
    return;
  }
  std::int64_t now = RealMicroseconds();
  if (microseconds > now) std::this_thread::sleep_for(std::chrono::microseconds(microseconds - now));
}

DWORD timeGetTime() { return static_cast<DWORD>(ClockMicroseconds() / 1000) + gTimeOffset.load(); }

void SetTimeGetTimeOffset(DWORD offset) { gTimeOffset = offset; }

BOOL QueryPerformanceCounter(LARGE_INTEGER* lpPerformanceCount) {
  if (!lpPerformanceCount) return FALSE;
  lpPerformanceCount->QuadPart = ClockMicroseconds();
  return TRUE;
}

BOOL QueryPerformanceFrequency(LARGE_INTEGER* lpFrequency) {
  if (!lpFrequency) return FALSE;
  lpFrequency->QuadPart = 1000000;
  return TRUE;
}

void Sleep(DWORD dwMilliseconds) {
  SleepUntilMicroseconds(ClockMicroseconds() + static_cast<std::int64_t>(dwMilliseconds) * 1000);
}

DWORD GetTickCount() { return timeGetTime(); }
