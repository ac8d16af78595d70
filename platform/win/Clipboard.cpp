#include "platform/win/Clipboard.h"

#include <cstring>
#include <map>
#include <vector>

#include "platform/rtl/Cp1250.h"
#include "platform/win/Gdi.h"

namespace {
struct ClipboardState {
  bool open = false;
  std::map<UINT, HANDLE> data;
  std::vector<std::string> names;  // index i is format 0xC000 + i
};

ClipboardState& State() {
  static auto* state = new ClipboardState;  // lives until the process ends
  return *state;
}

void FreeHandle(UINT format, HANDLE h) {
  if (!h) return;
  if (format == CF_BITMAP || format == CF_PALETTE)
    DeleteObject(h);
  else
    GlobalFree(h);
}
}  // namespace

UINT RegisterClipboardFormatA(const char* name) {
  if (!name || !*name) return 0;
  auto& names = State().names;
  for (size_t i = 0; i < names.size(); ++i)
    if (AnsiSameText(names[i], name)) return static_cast<UINT>(0xC000 + i);
  names.emplace_back(name);
  return static_cast<UINT>(0xC000 + names.size() - 1);
}

BOOL OpenClipboard(HWND) {
  if (State().open) return FALSE;
  State().open = true;
  return TRUE;
}

BOOL CloseClipboard() {
  if (!State().open) return FALSE;
  State().open = false;
  return TRUE;
}

BOOL EmptyClipboard() {
  if (!State().open) return FALSE;
  for (auto& [format, h] : State().data) FreeHandle(format, h);
  State().data.clear();
  return TRUE;
}

HANDLE SetClipboardData(UINT format, HANDLE data) {
  if (!State().open || format == 0) return nullptr;
  auto it = State().data.find(format);
  if (it != State().data.end()) {
    if (it->second != data) FreeHandle(format, it->second);
    it->second = data;
  } else {
    State().data[format] = data;
  }
  return data;
}

HANDLE GetClipboardData(UINT format) {
  auto it = State().data.find(format);
  return it == State().data.end() ? nullptr : it->second;
}

BOOL IsClipboardFormatAvailable(UINT format) { return State().data.count(format) ? TRUE : FALSE; }

bool SetClipboardBytes(UINT format, const void* data, size_t size) {
  HGLOBAL h = GlobalAlloc(GHND, size);
  if (!h) return false;
  if (size) std::memcpy(GlobalLock(h), data, size);
  GlobalUnlock(h);
  bool opened = OpenClipboard(nullptr);
  bool ok = SetClipboardData(format, h) != nullptr;
  if (opened) CloseClipboard();
  if (!ok) GlobalFree(h);
  return ok;
}

bool GetClipboardBytes(UINT format, std::string& bytes) {
  HANDLE h = GetClipboardData(format);
  if (!h || format == CF_BITMAP || format == CF_PALETTE) return false;
  size_t n = GlobalSize(h);
  auto* p = static_cast<const char*>(GlobalLock(h));
  bytes.assign(p, n);
  GlobalUnlock(h);
  return true;
}
