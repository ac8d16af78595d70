#include "platform/toolkit/ProgramMain.h"

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <new>

#include "platform/toolkit/Forms.h"

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

int RunProgram(const std::string& Title, const std::function<void()>& CreateForms) {
  return GuardedStart(Title, [&] {
    TApplication app;
    app.SetTitle(Title);
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
