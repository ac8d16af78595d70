#include "platform/toolkit/HandleRegistry.h"

#include <cstdio>
#include <map>
#include <unordered_set>

#include "platform/toolkit/Forms.h"

// ---------------------------------------------------------------------------
// Handles and live controls

namespace {

std::map<HWND, TWinControl*>& Handles() {
  static std::map<HWND, TWinControl*> handles;
  return handles;
}
std::unordered_set<const TControl*>& LiveControls() {
  static std::unordered_set<const TControl*> live;
  return live;
}
std::uintptr_t gNextHandle = 0x10000;

}  // namespace

HWND AllocateWindowHandle(TWinControl* Control) {
  gNextHandle += 0x10;
  HWND h = reinterpret_cast<HWND>(gNextHandle);
  Handles()[h] = Control;
  return h;
}

void ReleaseWindowHandle(HWND Handle) { Handles().erase(Handle); }

TWinControl* FindControl(HWND Handle) {
  auto it = Handles().find(Handle);
  return it == Handles().end() ? nullptr : it->second;
}

bool IsToolkitHandle(HWND Handle) { return Handle && Handles().count(Handle) != 0; }

bool ControlAlive(const TControl* Control) { return Control && LiveControls().count(Control) != 0; }
void RegisterControl(TControl* Control) { LiveControls().insert(Control); }
void UnregisterControl(TControl* Control) { LiveControls().erase(Control); }

void SafeInvoke(TObject* Sender, const std::function<void()>& F) {
  try {
    F();
  } catch (...) {
    if (Application) {
      Application->HandleException(Sender);
    } else {
      // No application to show it: say so rather than lose it.
      try {
        throw;
      } catch (std::exception& e) { std::fprintf(stderr, "unhandled exception: %s\n", e.what()); } catch (...) {
        std::fprintf(stderr, "unhandled exception\n");
      }
    }
  }
}

LRESULT SendWindowMessage(TControl* Control, UINT Msg, WPARAM WParam, LPARAM LParam) {
  LRESULT result = 0;
  SafeInvoke(Control, [&] { result = Control->Perform(Msg, WParam, LParam); });
  return result;
}
