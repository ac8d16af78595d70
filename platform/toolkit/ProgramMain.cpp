#include "platform/toolkit/ProgramMain.h"

#include <malloc.h>
#include <sys/mman.h>

#include <QThreadPool>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <memory>
#include <mutex>
#include <new>

#include "platform/toolkit/Forms.h"
#include "platform/toolkit/InputDispatch.h"
#include "platform/win/Window.h"

std::string MissingDisplay() {
  const char* chosen = std::getenv("QT_QPA_PLATFORM");
  const std::string platform = chosen ? chosen : "";
  auto set = [](const char* Name) {
    const char* v = std::getenv(Name);
    return v && *v;
  };
  if (platform.rfind("xcb", 0) == 0)
    return set("DISPLAY") ? "" : "no display to open the windows on (DISPLAY is not set)";
  if (platform.rfind("wayland", 0) == 0)
    return set("WAYLAND_DISPLAY") ? "" : "no display to open the windows on (WAYLAND_DISPLAY is not set)";
  if (!platform.empty()) return "";
  return set("DISPLAY") || set("WAYLAND_DISPLAY") ? "" : "no display to open the windows on (DISPLAY is not set)";
}

int GuardedStart(const std::string& Title, const std::function<int()>& Start) {
  // Every thread that allocates would get a heap arena of its own, each
  // reserving 64 MB of address space; the program's dozen threads (painting
  // workers, sound, window system) allocate little, and two arenas serve
  // them. Without the cap the reservations alone pass a modest limit on the
  // address space, and a thread the system then refuses stops the painting.
  mallopt(M_ARENA_MAX, 2);
  const std::string display = MissingDisplay();
  if (!display.empty()) {
    std::fprintf(stderr, "%s: cannot start: %s\n", Title.c_str(), display.c_str());
    return 1;
  }
  try {
    return Start();
  } catch (const std::bad_alloc&) {
    std::fprintf(stderr, "%s: cannot start: out of memory\n", Title.c_str());
  } catch (const std::exception& e) {
    std::fprintf(stderr, "%s: cannot start: %s\n", Title.c_str(), e.what());
  } catch (...) { std::fprintf(stderr, "%s: cannot start\n", Title.c_str()); }
  return 1;
}

namespace {

// Whether Size bytes of address space are still free to take: reserved and
// given back at once, without touching memory, so that only the limit on the
// process's address space (ulimit -v) and the map count decide.
bool AddressSpaceFree(std::size_t Size) {
  void* p = mmap(nullptr, Size, PROT_NONE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
  if (p == MAP_FAILED) return false;
  munmap(p, Size);
  return true;
}

// Starts every thread of the shared worker pool that the painting splits
// large image conversions over, and keeps them: a pool thread that the system
// refuses later loses its share of the work, and the paint that waits for it
// never ends. Each task waits until all have come, so each needs a thread of
// its own; whether they all come within a few seconds tells whether the
// threads could be made.
bool WorkerThreadsStarted() {
  static int started = -1;
  if (started >= 0) return started == 1;
  QThreadPool* pool = QThreadPool::globalInstance();
  pool->setExpiryTimeout(-1);
  struct TMeeting {
    std::mutex Mutex;
    std::condition_variable Changed;
    int Arrived = 0;
    bool Released = false;
  };
  auto meeting = std::make_shared<TMeeting>();
  const int wanted = pool->maxThreadCount();
  for (int i = 0; i < wanted; ++i)
    pool->start([meeting] {
      std::unique_lock<std::mutex> lock(meeting->Mutex);
      ++meeting->Arrived;
      meeting->Changed.notify_all();
      meeting->Changed.wait(lock, [&] { return meeting->Released; });
    });
  std::unique_lock<std::mutex> lock(meeting->Mutex);
  const bool all =
      meeting->Changed.wait_for(lock, std::chrono::seconds(10), [&] { return meeting->Arrived == wanted; });
  meeting->Released = true;
  meeting->Changed.notify_all();
  started = all ? 1 : 0;
  return all;
}

}  // namespace

std::string StartShortage(std::size_t Headroom) {
  if (!AddressSpaceFree(Headroom))
    return "not enough memory (the program needs " + std::to_string(Headroom >> 20) +
           " MB more address space than its limit leaves)";
  if (!WorkerThreadsStarted()) return "the system refused the threads the program needs";
  return "";
}

bool StartResourcesReady(const std::string& Title) {
  const std::string why = StartShortage(StartHeadroom);
  if (why.empty()) return true;
  std::fprintf(stderr, "%s: cannot start: %s\n", Title.c_str(), why.c_str());
  if (!IsOffscreenPlatform())
    MessageBoxA(nullptr, ("Cannot start: " + why + ".").c_str(), Title.c_str(), MB_OK | MB_ICONERROR);
  return false;
}

int RunProgram(const std::string& Title, const std::function<void()>& CreateForms) {
  return GuardedStart(Title, [&] {
    TApplication app;
    app.SetTitle(Title);
    if (!StartResourcesReady(Title)) return 1;
    try {
      CreateForms();
    } catch (...) {
      app.HandleException(&app);
      return 1;
    }
    app.Run();
    return 0;
  });
}
