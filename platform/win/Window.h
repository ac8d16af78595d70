// The window system as the platform's lower layers and the library see it.
// The toolkit installs a backend when its application starts; without one no
// window exists and these functions answer as for an unknown window.
#pragma once

#include "platform/win/Types.h"

class TWindowBackend {
 public:
  virtual ~TWindowBackend() = default;
  virtual bool IsWindow(HWND hWnd) = 0;
  virtual bool GetClientRect(HWND hWnd, RECT* rect) = 0;
  virtual bool ClientToScreen(HWND hWnd, POINT* point) = 0;
  virtual bool ScreenToClient(HWND hWnd, POINT* point) = 0;
  virtual HWND GetForegroundWindow() = 0;
  virtual HWND GetActiveWindow() = 0;
  virtual bool GetCursorPos(POINT* point) = 0;
  virtual int ShowCursor(bool show) = 0;
  virtual void GetScreenSize(LONG* width, LONG* height) = 0;
  // Puts 32-bit XRGB pixels (Width × Height of the rectangle, rows Pitch bytes
  // apart) into a rectangle of the window's client area and shows them (at
  // once, or at the window's next repaint while a window is painting).
  virtual void PresentPixels(HWND hWnd, const RECT& clientRect, const void* bits, LONG pitch) = 0;
  // The same with no copy in between: Write puts the pixels straight into
  // the window's own image. It is called once (or not at all, when nothing of
  // the rectangle lies in the client area) with the part of the rectangle it
  // is to fill, the address of that part's top-left pixel and the image's
  // pitch, and the top byte each 32-bit XRGB pixel carries there. A backend
  // without an image of its own (the default) lends Write a buffer and passes
  // it on to PresentPixels.
  using TPixelWriter = void (*)(void* context, const RECT& part, BYTE* bits, LONG pitch, DWORD topByte);
  virtual void PresentInto(HWND hWnd, const RECT& clientRect, TPixelWriter write, void* context);
  // Showing pixels where they lie, with no copy: Bits is the top-left pixel
  // of Width x Height 32-bit XRGB pixels (the top byte unused), rows Pitch
  // bytes apart, that are to be the window's whole client area (a window of
  // another size does not take them); Owner names
  // the memory they lie in. Changed (client coordinates) is the part that
  // differs from what the window showed. The window paints straight from
  // there until the owner ends it (EndInPlace) or the window's own pixels
  // are needed. A window that already shows these pixels from there only
  // repaints Changed; otherwise it starts showing them only when Changed is
  // the whole client area. False when the window does not show them (the
  // caller then presents a copy); the default shows nothing in place.
  virtual bool PresentInPlace(HWND hWnd, const RECT& changed, const BYTE* bits, LONG width, LONG height, LONG pitch,
                              const void* owner);
  // The pixels of Owner are about to change other than by a write that is
  // presented at once, or to go: every window that shows them in place takes
  // its own copy of them now and paints that from here on. The window Keep,
  // if it shows them from KeepBits, goes on showing them. The owner tells
  // the backend that took its pixels, even when another one is installed
  // by then, so a backend that shows pixels in place outlives them.
  virtual void EndInPlace(const void* owner, HWND keep, const BYTE* keepBits);
  virtual int MessageBox(HWND hWnd, const char* text, const char* caption, UINT type) = 0;
};

void SetWindowBackend(TWindowBackend* backend);
TWindowBackend* WindowBackend();

BOOL IsWindow(HWND hWnd);
BOOL GetClientRect(HWND hWnd, RECT* lpRect);
BOOL ClientToScreen(HWND hWnd, POINT* lpPoint);
BOOL ScreenToClient(HWND hWnd, POINT* lpPoint);
HWND GetForegroundWindow();
HWND GetActiveWindow();
BOOL GetCursorPos(POINT* lpPoint);
int ShowCursor(BOOL bShow);

constexpr int SM_CXSCREEN = 0;
constexpr int SM_CYSCREEN = 1;
int GetSystemMetrics(int nIndex);

constexpr UINT MB_OK = 0x00000000;
constexpr UINT MB_OKCANCEL = 0x00000001;
constexpr UINT MB_ABORTRETRYIGNORE = 0x00000002;
constexpr UINT MB_YESNOCANCEL = 0x00000003;
constexpr UINT MB_YESNO = 0x00000004;
constexpr UINT MB_RETRYCANCEL = 0x00000005;
// The button part of the flags, and the icon part.
constexpr UINT MB_TYPEMASK = 0x0000000F;
constexpr UINT MB_ICONMASK = 0x000000F0;
constexpr UINT MB_ICONERROR = 0x00000010;
constexpr UINT MB_ICONQUESTION = 0x00000020;
constexpr UINT MB_ICONWARNING = 0x00000030;
constexpr UINT MB_ICONINFORMATION = 0x00000040;
constexpr int IDOK = 1;
constexpr int IDCANCEL = 2;
constexpr int IDABORT = 3;
constexpr int IDRETRY = 4;
constexpr int IDIGNORE = 5;
constexpr int IDYES = 6;
constexpr int IDNO = 7;

// Text and caption are the programs' windows-1250 text.
int MessageBoxA(HWND hWnd, const char* lpText, const char* lpCaption, UINT uType);
