// The table between Qt key codes and virtual-key codes.
#pragma once

#include <QtGlobal>

#include "platform/toolkit/Controls.h"

// Virtual-key codes for Qt keys and back. NativeScanCode tells the left and
// right modifier keys apart (X keycodes); Keypad marks the numeric pad.
UINT VirtualKeyFromQt(int Key, bool Keypad, quint32 NativeScanCode);
int QtKeyFromVirtualKey(UINT VirtualKey, bool* Keypad, quint32* NativeScanCode);
