#include "platform/win/Window.h"

#include <vector>

namespace {
TWindowBackend* gBackend = nullptr;
}

void TWindowBackend::PresentInto(HWND hWnd, const RECT& clientRect, TPixelWriter write, void* context) {
  if (clientRect.left >= clientRect.right || clientRect.top >= clientRect.bottom) return;
  const LONG w = clientRect.right - clientRect.left, h = clientRect.bottom - clientRect.top;
  std::vector<DWORD> pixels(static_cast<size_t>(w) * static_cast<size_t>(h));
  write(context, clientRect, reinterpret_cast<BYTE*>(pixels.data()), w * 4, 0);
  PresentPixels(hWnd, clientRect, pixels.data(), w * 4);
}

bool TWindowBackend::PresentInPlace(HWND, const RECT&, const BYTE*, LONG, LONG, LONG, const void*) { return false; }

void TWindowBackend::EndInPlace(const void*, HWND, const BYTE*) {}

void SetWindowBackend(TWindowBackend* backend) { gBackend = backend; }
TWindowBackend* WindowBackend() { return gBackend; }

BOOL IsWindow(HWND hWnd) { return gBackend && hWnd && gBackend->IsWindow(hWnd); }

BOOL GetClientRect(HWND hWnd, RECT* lpRect) { return gBackend && lpRect && gBackend->GetClientRect(hWnd, lpRect); }

BOOL ClientToScreen(HWND hWnd, POINT* lpPoint) {
  return gBackend && lpPoint && gBackend->ClientToScreen(hWnd, lpPoint);
}

BOOL ScreenToClient(HWND hWnd, POINT* lpPoint) {
  return gBackend && lpPoint && gBackend->ScreenToClient(hWnd, lpPoint);
}

HWND GetForegroundWindow() { return gBackend ? gBackend->GetForegroundWindow() : nullptr; }
HWND GetActiveWindow() { return gBackend ? gBackend->GetActiveWindow() : nullptr; }

BOOL GetCursorPos(POINT* lpPoint) { return gBackend && lpPoint && gBackend->GetCursorPos(lpPoint); }

int ShowCursor(BOOL bShow) { return gBackend ? gBackend->ShowCursor(bShow != 0) : (bShow ? 0 : -1); }

int GetSystemMetrics(int nIndex) {
  LONG w = 1024, h = 768;
  if (gBackend) gBackend->GetScreenSize(&w, &h);
  return nIndex == SM_CXSCREEN ? w : nIndex == SM_CYSCREEN ? h : 0;
}

int MessageBoxA(HWND hWnd, const char* lpText, const char* lpCaption, UINT uType) {
  if (!gBackend) return 0;
  return gBackend->MessageBox(hWnd, lpText ? lpText : "", lpCaption ? lpCaption : "", uType);
}
