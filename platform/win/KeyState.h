// The keyboard and mouse state that the toolkit tracks from its key and
// pointer events while one of our windows has focus. The window system's
// keyboard state (virtual-key codes, mouse buttons included) and the
// DirectInput stand-in's keyboard (physical key positions, scan codes) and
// mouse (relative motion, wheel, buttons) all read from here.
#pragma once

#include "platform/win/Types.h"

constexpr UINT VK_LBUTTON = 0x01;
constexpr UINT VK_RBUTTON = 0x02;
constexpr UINT VK_CANCEL = 0x03;
constexpr UINT VK_MBUTTON = 0x04;
constexpr UINT VK_BACK = 0x08;
constexpr UINT VK_TAB = 0x09;
constexpr UINT VK_RETURN = 0x0D;
constexpr UINT VK_SHIFT = 0x10;
constexpr UINT VK_CONTROL = 0x11;
constexpr UINT VK_MENU = 0x12;
constexpr UINT VK_PAUSE = 0x13;
constexpr UINT VK_CAPITAL = 0x14;
constexpr UINT VK_ESCAPE = 0x1B;
constexpr UINT VK_SPACE = 0x20;
constexpr UINT VK_PRIOR = 0x21;
constexpr UINT VK_NEXT = 0x22;
constexpr UINT VK_END = 0x23;
constexpr UINT VK_HOME = 0x24;
constexpr UINT VK_LEFT = 0x25;
constexpr UINT VK_UP = 0x26;
constexpr UINT VK_RIGHT = 0x27;
constexpr UINT VK_DOWN = 0x28;
constexpr UINT VK_SNAPSHOT = 0x2C;
constexpr UINT VK_INSERT = 0x2D;
constexpr UINT VK_DELETE = 0x2E;
constexpr UINT VK_LWIN = 0x5B;
constexpr UINT VK_RWIN = 0x5C;
constexpr UINT VK_APPS = 0x5D;
constexpr UINT VK_NUMPAD0 = 0x60;
constexpr UINT VK_MULTIPLY = 0x6A;
constexpr UINT VK_ADD = 0x6B;
constexpr UINT VK_SUBTRACT = 0x6D;
constexpr UINT VK_DECIMAL = 0x6E;
constexpr UINT VK_DIVIDE = 0x6F;
constexpr UINT VK_F1 = 0x70;
constexpr UINT VK_F12 = 0x7B;
constexpr UINT VK_NUMLOCK = 0x90;
constexpr UINT VK_SCROLL = 0x91;
constexpr UINT VK_LSHIFT = 0xA0;
constexpr UINT VK_RSHIFT = 0xA1;
constexpr UINT VK_LCONTROL = 0xA2;
constexpr UINT VK_RCONTROL = 0xA3;
constexpr UINT VK_LMENU = 0xA4;
constexpr UINT VK_RMENU = 0xA5;
constexpr UINT VK_OEM_1 = 0xBA;
constexpr UINT VK_OEM_PLUS = 0xBB;
constexpr UINT VK_OEM_COMMA = 0xBC;
constexpr UINT VK_OEM_MINUS = 0xBD;
constexpr UINT VK_OEM_PERIOD = 0xBE;
constexpr UINT VK_OEM_2 = 0xBF;
constexpr UINT VK_OEM_3 = 0xC0;
constexpr UINT VK_OEM_4 = 0xDB;
constexpr UINT VK_OEM_5 = 0xDC;
constexpr UINT VK_OEM_6 = 0xDD;
constexpr UINT VK_OEM_7 = 0xDE;

// Scan codes (set 1) carry an extended-key flag in bit 8 (0xE0 prefix), so the
// right-hand Ctrl is 0x11D and the arrow keys 0x148, 0x14B, 0x14D, 0x150. The
// DirectInput key codes are the scan code with that bit moved to bit 7.
constexpr UINT MAPVK_VK_TO_VSC = 0;
constexpr UINT MAPVK_VSC_TO_VK = 1;
// VK -> scan code (with the extended bit 0x100) and back; 0 where none.
UINT MapVirtualKeyA(UINT uCode, UINT uMapType);

// Fed by the toolkit. ScanCode 0 means "the usual key of that virtual key".
void KeyStateSetKey(UINT vk, UINT scanCode, bool down);
void KeyStateSetMouseButton(UINT vk, bool down);
// The virtual key a key of the window system (its native key code, 0 when
// unknown) stands for. A key keeps the virtual key it went down as until it
// comes up, whatever the layout reports for it on the way up (a letter typed
// with AltGr, a key whose symbol was changed meanwhile): on a press the
// native code takes Vk, on a release the virtual key it took is returned
// (Vk when it took none).
UINT KeyStateNativeKey(UINT NativeCode, UINT Vk, bool Down);
// Focus left our windows: every key and button counts as up.
void KeyStateReleaseAll();
// Whether the key at a scan code (with the extended bit 0x100) is down.
bool KeyStateScanDown(UINT scanCode);

// 256 bytes; bit 7 set for keys that are down (the left/right variants and
// VK_SHIFT/VK_CONTROL/VK_MENU together), bit 0 the toggle of Caps/Num/Scroll Lock.
BOOL GetKeyboardState(BYTE* lpKeyState);
SHORT GetKeyState(int nVirtKey);
SHORT GetAsyncKeyState(int vKey);

// Relative mouse motion and wheel since the last take, fed by the toolkit.
void MouseStateMove(LONG dx, LONG dy);
void MouseStateWheel(LONG delta);
void MouseStateTake(LONG* dx, LONG* dy, LONG* dz);
