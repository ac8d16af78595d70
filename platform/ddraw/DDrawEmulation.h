// The emulated display behind the DirectDraw stand-in, and its hooks for
// tests and configuration. The desktop is the toolkit's screen (its size from
// GetSystemMetrics) in the display format; display modes come from an
// emulated list and never touch the real desktop.
#pragma once

#include <vector>

#include "platform/win/Types.h"

struct TEmulatedDisplayMode {
  DWORD Width = 0;
  DWORD Height = 0;
  DWORD BitCount = 0;   // 8, 16, 24 or 32
  bool Rgb555 = false;  // a 16-bit mode in 5-5-5 rather than 5-6-5
  friend bool operator==(const TEmulatedDisplayMode&, const TEmulatedDisplayMode&) = default;
};

// The desktop's pixel format: 32-bit XRGB by default; 8 (palette indexed),
// 16 (5-6-5, or 5-5-5 with Rgb555) or 24. Surfaces made without a pixel format
// take the display format. Anything else is ignored and answers false.
bool SetEmulatedDisplayFormat(DWORD bitCount, bool rgb555 = false);

// The display modes the driver offers (by default 640 × 480, 800 × 600,
// 1024 × 768 and 1280 × 1024, each at 8, 16 and 32 bits).
void SetEmulatedDisplayModes(const std::vector<TEmulatedDisplayMode>& modes);
std::vector<TEmulatedDisplayMode> EmulatedDisplayModes();

// The video memory surfaces may take, in bytes (16 MiB by default), and how
// much of it live surfaces hold.
void SetVideoMemoryBudget(DWORD bytes);
DWORD VideoMemoryInUse();

// Loses every surface in video memory (the primary and flip chains included),
// as when another program takes the display; with IncludeSystemMemory the
// system-memory surfaces too.
void LoseEmulatedSurfaces(bool includeSystemMemory = false);

// The screen pixel at (X, Y) of the most recently made live primary surface,
// as 32-bit XRGB; 0 when there is none or the point lies outside it.
DWORD EmulatedScreenPixel(LONG x, LONG y);

// Back to the defaults: display format, mode list, budget, desktop mode.
// Surfaces that still live keep working.
void ResetDDrawEmulation();
