#include "platform/toolkit/KeyTable.h"

#include <Qt>

#include "platform/win/KeyState.h"

// ---------------------------------------------------------------------------
// Keys

namespace {

struct TKeyMapping {
  int QtKey;
  UINT Vk;
  bool Keypad;
};

// Qt key codes and virtual keys; the first entry for a virtual key is the one
// the test driver sends.
const TKeyMapping kKeyMap[] = {
    {Qt::Key_Backspace, VK_BACK, false},
    {Qt::Key_Tab, VK_TAB, false},
    {Qt::Key_Backtab, VK_TAB, false},
    {Qt::Key_Return, VK_RETURN, false},
    {Qt::Key_Enter, VK_RETURN, true},
    {Qt::Key_Enter, VK_RETURN, false},
    {Qt::Key_Shift, VK_LSHIFT, false},
    {Qt::Key_Control, VK_LCONTROL, false},
    {Qt::Key_Alt, VK_LMENU, false},
    {Qt::Key_AltGr, VK_RMENU, false},
    {Qt::Key_Pause, VK_PAUSE, false},
    {Qt::Key_CapsLock, VK_CAPITAL, false},
    {Qt::Key_Escape, VK_ESCAPE, false},
    {Qt::Key_Space, VK_SPACE, false},
    {Qt::Key_PageUp, VK_PRIOR, false},
    {Qt::Key_PageDown, VK_NEXT, false},
    {Qt::Key_End, VK_END, false},
    {Qt::Key_Home, VK_HOME, false},
    {Qt::Key_Left, VK_LEFT, false},
    {Qt::Key_Up, VK_UP, false},
    {Qt::Key_Right, VK_RIGHT, false},
    {Qt::Key_Down, VK_DOWN, false},
    {Qt::Key_Print, VK_SNAPSHOT, false},
    {Qt::Key_Insert, VK_INSERT, false},
    {Qt::Key_Delete, VK_DELETE, false},
    {Qt::Key_Meta, VK_LWIN, false},
    {Qt::Key_Menu, VK_APPS, false},
    {Qt::Key_NumLock, VK_NUMLOCK, false},
    {Qt::Key_ScrollLock, VK_SCROLL, false},
    {Qt::Key_Asterisk, VK_MULTIPLY, true},
    {Qt::Key_Plus, VK_ADD, true},
    {Qt::Key_Minus, VK_SUBTRACT, true},
    {Qt::Key_Period, VK_DECIMAL, true},
    {Qt::Key_Comma, VK_DECIMAL, true},
    {Qt::Key_Slash, VK_DIVIDE, true},
    {Qt::Key_Semicolon, VK_OEM_1, false},
    {Qt::Key_Colon, VK_OEM_1, false},
    {Qt::Key_Equal, VK_OEM_PLUS, false},
    {Qt::Key_Plus, VK_OEM_PLUS, false},
    {Qt::Key_Comma, VK_OEM_COMMA, false},
    {Qt::Key_Less, VK_OEM_COMMA, false},
    {Qt::Key_Minus, VK_OEM_MINUS, false},
    {Qt::Key_Underscore, VK_OEM_MINUS, false},
    {Qt::Key_Period, VK_OEM_PERIOD, false},
    {Qt::Key_Greater, VK_OEM_PERIOD, false},
    {Qt::Key_Slash, VK_OEM_2, false},
    {Qt::Key_Question, VK_OEM_2, false},
    {Qt::Key_QuoteLeft, VK_OEM_3, false},
    {Qt::Key_AsciiTilde, VK_OEM_3, false},
    {Qt::Key_BracketLeft, VK_OEM_4, false},
    {Qt::Key_BraceLeft, VK_OEM_4, false},
    {Qt::Key_Backslash, VK_OEM_5, false},
    {Qt::Key_Bar, VK_OEM_5, false},
    {Qt::Key_BracketRight, VK_OEM_6, false},
    {Qt::Key_BraceRight, VK_OEM_6, false},
    {Qt::Key_Apostrophe, VK_OEM_7, false},
    {Qt::Key_QuoteDbl, VK_OEM_7, false},
    // Shifted digits of the usual layout.
    {Qt::Key_Exclam, '1', false},
    {Qt::Key_At, '2', false},
    {Qt::Key_NumberSign, '3', false},
    {Qt::Key_Dollar, '4', false},
    {Qt::Key_Percent, '5', false},
    {Qt::Key_AsciiCircum, '6', false},
    {Qt::Key_Ampersand, '7', false},
    {Qt::Key_Asterisk, '8', false},
    {Qt::Key_ParenLeft, '9', false},
    {Qt::Key_ParenRight, '0', false},
    // Polish letters typed with AltGr (Qt keys are their upper-case code points).
    {0x0104, 'A', false},
    {0x0106, 'C', false},
    {0x0118, 'E', false},
    {0x0141, 'L', false},
    {0x0143, 'N', false},
    {Qt::Key_Oacute, 'O', false},
    {0x015A, 'S', false},
    {0x017B, 'Z', false},
    {0x0179, 'X', false},
};

// X keycodes of the right-hand modifier keys.
constexpr quint32 kXRightShift = 62;
constexpr quint32 kXRightControl = 105;
constexpr quint32 kXLeftShift = 50;
constexpr quint32 kXLeftControl = 37;
constexpr quint32 kXLeftAlt = 64;

}  // namespace

UINT VirtualKeyFromQt(int Key, bool Keypad, quint32 NativeScanCode) {
  if (Key >= Qt::Key_A && Key <= Qt::Key_Z) return static_cast<UINT>('A' + (Key - Qt::Key_A));
  if (Key >= Qt::Key_0 && Key <= Qt::Key_9)
    return Keypad ? VK_NUMPAD0 + static_cast<UINT>(Key - Qt::Key_0) : static_cast<UINT>('0' + (Key - Qt::Key_0));
  if (Key >= Qt::Key_F1 && Key <= Qt::Key_F24) return VK_F1 + static_cast<UINT>(Key - Qt::Key_F1);
  if (Key == Qt::Key_Shift && NativeScanCode == kXRightShift) return VK_RSHIFT;
  if (Key == Qt::Key_Control && NativeScanCode == kXRightControl) return VK_RCONTROL;
  for (const TKeyMapping& m : kKeyMap)
    if (m.QtKey == Key && m.Keypad == Keypad) return m.Vk;
  // Keypad keys without a keypad meaning of their own (arrows with Num Lock off).
  if (Keypad)
    for (const TKeyMapping& m : kKeyMap)
      if (m.QtKey == Key) return m.Vk;
  return 0;
}

int QtKeyFromVirtualKey(UINT VirtualKey, bool* Keypad, quint32* NativeScanCode) {
  *Keypad = false;
  *NativeScanCode = 0;
  UINT vk = VirtualKey;
  if (vk >= 'A' && vk <= 'Z') return Qt::Key_A + static_cast<int>(vk - 'A');
  if (vk >= '0' && vk <= '9') return Qt::Key_0 + static_cast<int>(vk - '0');
  if (vk >= VK_NUMPAD0 && vk <= VK_NUMPAD0 + 9) {
    *Keypad = true;
    return Qt::Key_0 + static_cast<int>(vk - VK_NUMPAD0);
  }
  if (vk >= VK_F1 && vk <= VK_F1 + 23) return Qt::Key_F1 + static_cast<int>(vk - VK_F1);
  switch (vk) {
    case VK_SHIFT:
    case VK_LSHIFT: *NativeScanCode = kXLeftShift; return Qt::Key_Shift;
    case VK_RSHIFT: *NativeScanCode = kXRightShift; return Qt::Key_Shift;
    case VK_CONTROL:
    case VK_LCONTROL: *NativeScanCode = kXLeftControl; return Qt::Key_Control;
    case VK_RCONTROL: *NativeScanCode = kXRightControl; return Qt::Key_Control;
    case VK_MENU:
    case VK_LMENU: *NativeScanCode = kXLeftAlt; return Qt::Key_Alt;
    default: break;
  }
  for (const TKeyMapping& m : kKeyMap)
    if (m.Vk == vk) {
      *Keypad = m.Keypad;
      return m.QtKey;
    }
  return 0;
}
