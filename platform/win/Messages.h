// Window messages, their parameter records and flags, as the window system
// and the toolkit send them to a control's window procedure.
#pragma once

#include "platform/win/Types.h"

constexpr UINT WM_NULL = 0x0000;
constexpr UINT WM_CREATE = 0x0001;
constexpr UINT WM_DESTROY = 0x0002;
constexpr UINT WM_MOVE = 0x0003;
constexpr UINT WM_SIZE = 0x0005;
constexpr UINT WM_ACTIVATE = 0x0006;
constexpr UINT WM_SETFOCUS = 0x0007;
constexpr UINT WM_KILLFOCUS = 0x0008;
constexpr UINT WM_ENABLE = 0x000A;
constexpr UINT WM_SETTEXT = 0x000C;
constexpr UINT WM_PAINT = 0x000F;
constexpr UINT WM_CLOSE = 0x0010;
constexpr UINT WM_QUIT = 0x0012;
constexpr UINT WM_ERASEBKGND = 0x0014;
constexpr UINT WM_SHOWWINDOW = 0x0018;
constexpr UINT WM_ACTIVATEAPP = 0x001C;
constexpr UINT WM_SETCURSOR = 0x0020;
constexpr UINT WM_WINDOWPOSCHANGING = 0x0046;
constexpr UINT WM_WINDOWPOSCHANGED = 0x0047;
constexpr UINT WM_KEYDOWN = 0x0100;
constexpr UINT WM_KEYUP = 0x0101;
constexpr UINT WM_CHAR = 0x0102;
constexpr UINT WM_SYSKEYDOWN = 0x0104;
constexpr UINT WM_SYSKEYUP = 0x0105;
constexpr UINT WM_SYSCHAR = 0x0106;
constexpr UINT WM_INITMENU = 0x0116;
constexpr UINT WM_MOUSEMOVE = 0x0200;
constexpr UINT WM_LBUTTONDOWN = 0x0201;
constexpr UINT WM_LBUTTONUP = 0x0202;
constexpr UINT WM_LBUTTONDBLCLK = 0x0203;
constexpr UINT WM_RBUTTONDOWN = 0x0204;
constexpr UINT WM_RBUTTONUP = 0x0205;
constexpr UINT WM_RBUTTONDBLCLK = 0x0206;
constexpr UINT WM_MBUTTONDOWN = 0x0207;
constexpr UINT WM_MBUTTONUP = 0x0208;
constexpr UINT WM_MBUTTONDBLCLK = 0x0209;
constexpr UINT WM_MOUSEWHEEL = 0x020A;
constexpr UINT WM_QUERYNEWPALETTE = 0x030F;
constexpr UINT WM_PALETTECHANGED = 0x0311;
constexpr UINT WM_USER = 0x0400;

// The toolkit's own messages.
constexpr UINT CM_BASE = 0xB000;
constexpr UINT CM_ACTIVATE = CM_BASE + 0;
constexpr UINT CM_DEACTIVATE = CM_BASE + 1;

// WM_ACTIVATE: the low word of WParam.
constexpr WORD WA_INACTIVE = 0;
constexpr WORD WA_ACTIVE = 1;
constexpr WORD WA_CLICKACTIVE = 2;

// WM_SIZE: WParam.
constexpr WPARAM SIZE_RESTORED = 0;
constexpr WPARAM SIZE_MINIMIZED = 1;
constexpr WPARAM SIZE_MAXIMIZED = 2;

// Mouse messages: the buttons and keys held, in WParam.
constexpr WPARAM MK_LBUTTON = 0x0001;
constexpr WPARAM MK_RBUTTON = 0x0002;
constexpr WPARAM MK_SHIFT = 0x0004;
constexpr WPARAM MK_CONTROL = 0x0008;
constexpr WPARAM MK_MBUTTON = 0x0010;

constexpr short WHEEL_DELTA = 120;

// WM_WINDOWPOSCHANGED: LParam points at this record.
struct WINDOWPOS {
  HWND hwnd = nullptr;
  HWND hwndInsertAfter = nullptr;
  int x = 0, y = 0, cx = 0, cy = 0;
  UINT flags = 0;
};

constexpr UINT SWP_NOSIZE = 0x0001;
constexpr UINT SWP_NOMOVE = 0x0002;
constexpr UINT SWP_NOZORDER = 0x0004;
constexpr UINT SWP_NOREDRAW = 0x0008;
constexpr UINT SWP_NOACTIVATE = 0x0010;
constexpr UINT SWP_FRAMECHANGED = 0x0020;
constexpr UINT SWP_SHOWWINDOW = 0x0040;
constexpr UINT SWP_HIDEWINDOW = 0x0080;

constexpr LPARAM MAKELPARAM(int low, int high) {
  return static_cast<LPARAM>(static_cast<std::uint32_t>(static_cast<WORD>(low)) |
                             (static_cast<std::uint32_t>(static_cast<WORD>(high)) << 16));
}
constexpr WPARAM MAKEWPARAM(int low, int high) {
  return static_cast<WPARAM>(static_cast<std::uint32_t>(static_cast<WORD>(low)) |
                             (static_cast<std::uint32_t>(static_cast<WORD>(high)) << 16));
}
// The signed client coordinates of a mouse message.
constexpr int GET_X_LPARAM(LPARAM lp) { return static_cast<short>(LOWORD(static_cast<std::uintptr_t>(lp))); }
constexpr int GET_Y_LPARAM(LPARAM lp) { return static_cast<short>(HIWORD(static_cast<std::uintptr_t>(lp))); }
constexpr int GET_WHEEL_DELTA_WPARAM(WPARAM wp) { return static_cast<short>(HIWORD(wp)); }
