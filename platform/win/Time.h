// Clocks and waiting. Everything reads one monotonic microsecond clock, which
// tests replace with a manual one so that ticks and waits are exact: with the
// manual clock, waiting advances the clock instead of sleeping.
#pragma once

#include <cstdint>
#include <functional>

#include "platform/win/Types.h"

// Microseconds on the monotonic clock (or the manual clock when one is set).
std::int64_t ClockMicroseconds();

// Installs a manual clock starting at StartMicroseconds; Advance moves it.
void UseManualClock(std::int64_t startMicroseconds = 0);
void AdvanceManualClock(std::int64_t microseconds);
void SetManualClock(std::int64_t microseconds);
// Back to the real monotonic clock.
void UseRealClock();
bool IsManualClock();

// Waits until the clock reads at least Microseconds.
void SleepUntilMicroseconds(std::int64_t microseconds);

// Called (on the waiting thread) whenever a wait happens on the manual clock,
// with the clock value waited for; lets tests see waits.
void SetWaitObserver(std::function<void(std::int64_t)> observer);

// The multimedia millisecond clock: 32 bits, wraps. TimeGetTimeOffset is added
// so tests can start it just before the wrap.
DWORD timeGetTime();
void SetTimeGetTimeOffset(DWORD offset);

union LARGE_INTEGER {
  std::int64_t QuadPart;
  struct {
    DWORD LowPart;
    LONG HighPart;
  } u;
};
BOOL QueryPerformanceCounter(LARGE_INTEGER* lpPerformanceCount);
BOOL QueryPerformanceFrequency(LARGE_INTEGER* lpFrequency);

void Sleep(DWORD dwMilliseconds);
DWORD GetTickCount();
