#include "platform/win/KeyState.h"

#include <array>

namespace {

std::array<BYTE, 256> gKeys{};
std::array<bool, 512> gScans{};
// The virtual key each native key code went down as (0: up or unknown).
std::array<UINT, 256> gNativeHeld{};
LONG gDx = 0, gDy = 0, gDz = 0;

// The usual set-1 scan code of each virtual key (extended keys with 0x100).
constexpr UINT ScanOfVK(UINT vk) {
  if (vk >= 'A' && vk <= 'Z') {
    constexpr UINT letters[26] = {0x1E, 0x30, 0x2E, 0x20, 0x12, 0x21, 0x22, 0x23, 0x17, 0x24, 0x25, 0x26, 0x32,
                                  0x31, 0x18, 0x19, 0x10, 0x13, 0x1F, 0x14, 0x16, 0x2F, 0x11, 0x2D, 0x15, 0x2C};
    return letters[vk - 'A'];
  }
  if (vk >= '1' && vk <= '9') return 0x02 + (vk - '1');
  if (vk == '0') return 0x0B;
  if (vk >= VK_F1 && vk <= VK_F1 + 9) return 0x3B + (vk - VK_F1);
  switch (vk) {
    case VK_ESCAPE: return 0x01;
    case VK_OEM_MINUS: return 0x0C;
    case VK_OEM_PLUS: return 0x0D;
    case VK_BACK: return 0x0E;
    case VK_TAB: return 0x0F;
    case VK_OEM_4: return 0x1A;
    case VK_OEM_6: return 0x1B;
    case VK_RETURN: return 0x1C;
    case VK_CONTROL:
    case VK_LCONTROL: return 0x1D;
    case VK_OEM_1: return 0x27;
    case VK_OEM_7: return 0x28;
    case VK_OEM_3: return 0x29;
    case VK_SHIFT:
    case VK_LSHIFT: return 0x2A;
    case VK_OEM_5: return 0x2B;
    case VK_OEM_COMMA: return 0x33;
    case VK_OEM_PERIOD: return 0x34;
    case VK_OEM_2: return 0x35;
    case VK_RSHIFT: return 0x36;
    case VK_MULTIPLY: return 0x37;
    case VK_MENU:
    case VK_LMENU: return 0x38;
    case VK_SPACE: return 0x39;
    case VK_CAPITAL: return 0x3A;
    case VK_NUMLOCK: return 0x45;
    case VK_SCROLL: return 0x46;
    case VK_NUMPAD0 + 7: return 0x47;
    case VK_NUMPAD0 + 8: return 0x48;
    case VK_NUMPAD0 + 9: return 0x49;
    case VK_SUBTRACT: return 0x4A;
    case VK_NUMPAD0 + 4: return 0x4B;
    case VK_NUMPAD0 + 5: return 0x4C;
    case VK_NUMPAD0 + 6: return 0x4D;
    case VK_ADD: return 0x4E;
    case VK_NUMPAD0 + 1: return 0x4F;
    case VK_NUMPAD0 + 2: return 0x50;
    case VK_NUMPAD0 + 3: return 0x51;
    case VK_NUMPAD0: return 0x52;
    case VK_DECIMAL: return 0x53;
    case VK_F1 + 10: return 0x57;
    case VK_F1 + 11: return 0x58;
    case VK_RCONTROL: return 0x11D;
    case VK_DIVIDE: return 0x135;
    case VK_SNAPSHOT: return 0x137;
    case VK_RMENU: return 0x138;
    case VK_PAUSE: return 0x45;
    case VK_HOME: return 0x147;
    case VK_UP: return 0x148;
    case VK_PRIOR: return 0x149;
    case VK_LEFT: return 0x14B;
    case VK_RIGHT: return 0x14D;
    case VK_END: return 0x14F;
    case VK_DOWN: return 0x150;
    case VK_NEXT: return 0x151;
    case VK_INSERT: return 0x152;
    case VK_DELETE: return 0x153;
    case VK_LWIN: return 0x15B;
    case VK_RWIN: return 0x15C;
    case VK_APPS: return 0x15D;
    default: return 0;
  }
}

void SetBit(UINT vk, bool down) {
  if (vk >= 256) return;
  if (down)
    gKeys[vk] |= 0x80;
  else
    gKeys[vk] &= 0x7F;
}

void UpdateCombined() {
  SetBit(VK_SHIFT, (gKeys[VK_LSHIFT] | gKeys[VK_RSHIFT]) & 0x80);
  SetBit(VK_CONTROL, (gKeys[VK_LCONTROL] | gKeys[VK_RCONTROL]) & 0x80);
  SetBit(VK_MENU, (gKeys[VK_LMENU] | gKeys[VK_RMENU]) & 0x80);
}

// The generic modifier keys stand for their left-hand key.
UINT Sided(UINT vk) {
  switch (vk) {
    case VK_SHIFT: return VK_LSHIFT;
    case VK_CONTROL: return VK_LCONTROL;
    case VK_MENU: return VK_LMENU;
    default: return vk;
  }
}

}  // namespace

UINT MapVirtualKeyA(UINT uCode, UINT uMapType) {
  if (uMapType == MAPVK_VK_TO_VSC) return ScanOfVK(uCode);
  if (uMapType == MAPVK_VSC_TO_VK) {
    for (UINT vk = 1; vk < 256; ++vk)
      if (vk != VK_SHIFT && vk != VK_CONTROL && vk != VK_MENU && ScanOfVK(vk) == uCode) return vk;
  }
  return 0;
}

void KeyStateSetKey(UINT vk, UINT scanCode, bool down) {
  vk = Sided(vk);
  if (scanCode == 0) scanCode = ScanOfVK(vk);
  if (vk < 256) {
    bool wasDown = gKeys[vk] & 0x80;
    if (down && !wasDown && (vk == VK_CAPITAL || vk == VK_NUMLOCK || vk == VK_SCROLL)) gKeys[vk] ^= 0x01;
    SetBit(vk, down);
  }
  if (scanCode < gScans.size()) gScans[scanCode] = down;
  UpdateCombined();
}

void KeyStateSetMouseButton(UINT vk, bool down) { SetBit(vk, down); }

UINT KeyStateNativeKey(UINT NativeCode, UINT Vk, bool Down) {
  if (NativeCode == 0 || NativeCode >= gNativeHeld.size()) return Vk;
  UINT& held = gNativeHeld[NativeCode];
  if (Down) {
    // The same key pressed again as another virtual key: the first is up.
    if (held && held != Vk) KeyStateSetKey(held, 0, false);
    held = Vk;
    return Vk;
  }
  const UINT was = held;
  held = 0;
  return was ? was : Vk;
}

void KeyStateReleaseAll() {
  for (auto& k : gKeys) k &= 0x01;
  gScans.fill(false);
  gNativeHeld.fill(0);
}

bool KeyStateScanDown(UINT scanCode) { return scanCode < gScans.size() && gScans[scanCode]; }

BOOL GetKeyboardState(BYTE* lpKeyState) {
  if (!lpKeyState) return FALSE;
  for (size_t i = 0; i < gKeys.size(); ++i) lpKeyState[i] = gKeys[i];
  return TRUE;
}

SHORT GetKeyState(int nVirtKey) {
  if (nVirtKey < 0 || nVirtKey >= 256) return 0;
  BYTE k = gKeys[static_cast<size_t>(nVirtKey)];
  return static_cast<SHORT>(((k & 0x80) ? 0x8000 : 0) | (k & 0x01));
}

SHORT GetAsyncKeyState(int vKey) {
  if (vKey < 0 || vKey >= 256) return 0;
  return (gKeys[static_cast<size_t>(vKey)] & 0x80) ? static_cast<SHORT>(0x8000) : 0;
}

void MouseStateMove(LONG dx, LONG dy) {
  gDx += dx;
  gDy += dy;
}

void MouseStateWheel(LONG delta) { gDz += delta; }

void MouseStateTake(LONG* dx, LONG* dy, LONG* dz) {
  if (dx) *dx = gDx;
  if (dy) *dy = gDy;
  if (dz) *dz = gDz;
  gDx = gDy = gDz = 0;
}
