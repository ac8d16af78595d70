// GDI over memory bitmaps: device contexts, DIB sections, palettes, pens,
// brushes, fonts and stretched blits.
#pragma once

#include "platform/win/Types.h"

// A device context that draws straight into pixels someone else owns (a
// locked DirectDraw surface). BitCount is 1, 2, 4, 8 (indexed, with Palette of
// PaletteCount entries), 16 (masks give 565 or 555), 24 or 32 (XRGB). The
// pixels must stay valid until the DC is deleted with DeleteDC.
HDC CreateDCOverBits(void* bits, LONG width, LONG height, LONG pitch, int bitCount, DWORD rMask, DWORD gMask,
                     DWORD bMask, const PALETTEENTRY* palette, int paletteCount);
BOOL DeleteDC(HDC hdc);
