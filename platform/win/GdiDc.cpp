// Device contexts: over caller-owned pixels, memory DCs holding a bitmap, the
// screen DC; their capabilities and their drawing state (colours, modes, the
// current position).
#include "platform/win/GdiInternal.h"

#include "platform/win/Window.h"

#include <cstdint>
#include <cstdlib>

using namespace GdiInternal;

// ---- Device contexts --------------------------------------------------------------

HDC CreateDCOverBits(void* bits, LONG width, LONG height, LONG pitch, int bitCount, DWORD rMask, DWORD gMask,
                     DWORD bMask, const PALETTEENTRY* palette, int paletteCount) {
  if (!IsDibBitCount(bitCount)) return nullptr;
  if (!bits || width < 0 || height < 0) return nullptr;
  if (static_cast<std::int64_t>(std::abs(static_cast<long long>(pitch))) * 8 <
      static_cast<std::int64_t>(width) * bitCount)
    return nullptr;
  auto* dc = new DCObj(DCObj::OverBits);
  dc->own.top = static_cast<BYTE*>(bits);
  dc->own.width = width;
  dc->own.height = height;
  dc->own.step = pitch;
  if (bitCount <= 8) {
    dc->own.format.BitCount = bitCount;
    dc->own.format.RMask = dc->own.format.GMask = dc->own.format.BMask = 0;
    for (int i = 0; palette && i < paletteCount && i < (1 << bitCount); ++i)
      dc->own.format.Colors.push_back(EntryColor(palette[i]));
    PadColors(dc->own.format);
  } else {
    dc->own.format = DirectFormat(bitCount, rMask, gMask, bMask);
  }
  dc->capsBitCount = bitCount;
  return reinterpret_cast<HDC>(Register(dc));
}

namespace {
void ReleaseDcSelections(DCObj* dc) {
  SelectTyped(dc->pen, static_cast<PenObj*>(nullptr));
  SelectTyped(dc->brush, static_cast<BrushObj*>(nullptr));
  SelectTyped(dc->font, static_cast<FontObj*>(nullptr));
  SelectTyped(dc->palette, static_cast<PaletteObj*>(nullptr));
  SelectTyped(dc->bitmap, static_cast<BitmapObj*>(nullptr));
}
}  // namespace

BOOL DeleteDC(HDC hdc) {
  auto* dc = Lookup<DCObj>(hdc);
  if (!dc) return FALSE;
  ReleaseDcSelections(dc);
  Live().erase(dc);
  delete dc;
  return TRUE;
}

HDC CreateCompatibleDC(HDC hdc) {
  DCObj* ref = hdc ? Lookup<DCObj>(hdc) : nullptr;
  if (hdc && !ref) return nullptr;
  auto* dc = new DCObj(DCObj::Memory);
  dc->capsBitCount = ref ? ref->capsBitCount : 32;
  SelectTyped(dc->bitmap, StockMonoBitmap());
  return reinterpret_cast<HDC>(Register(dc));
}

HDC GetDC(HWND) {
  auto* dc = new DCObj(DCObj::Screen);
  dc->own.format = DirectFormat(32, 0, 0, 0);
  return reinterpret_cast<HDC>(Register(dc));
}

int ReleaseDC(HWND, HDC hdc) {
  auto* dc = Lookup<DCObj>(hdc);
  if (!dc || dc->dcKind != DCObj::Screen) return 0;
  DeleteDC(hdc);
  return 1;
}

int GetDeviceCaps(HDC hdc, int index) {
  auto* dc = Lookup<DCObj>(hdc);
  if (!dc) return 0;
  int bits = dc->capsBitCount;
  bool indexed = bits <= 8;
  switch (index) {
    case BITSPIXEL: return bits;
    case PLANES: return 1;
    case RASTERCAPS:
      return RC_BITBLT | RC_DI_BITMAP | RC_DIBTODEV | RC_STRETCHBLT | RC_STRETCHDIB | (indexed ? RC_PALETTE : 0);
    case SIZEPALETTE: return indexed ? 1 << bits : 0;
    case NUMRESERVED: return indexed ? 20 : 0;
    case NUMCOLORS: return bits >= 8 ? (bits == 8 ? 20 : -1) : 1 << bits;
    case HORZRES:
    case VERTRES: {
      if (dc->dcKind == DCObj::OverBits) return index == HORZRES ? dc->own.width : dc->own.height;
      return GetSystemMetrics(index == HORZRES ? 0 : 1);
    }
    case LOGPIXELSX:
    case LOGPIXELSY: return 96;
    default: return 0;
  }
}

// ---- Drawing state ---------------------------------------------------------------------

COLORREF SetTextColor(HDC hdc, COLORREF color) {
  auto* dc = Lookup<DCObj>(hdc);
  if (!dc) return CLR_INVALID;
  COLORREF old = dc->textColor;
  dc->textColor = color;
  return old;
}

COLORREF GetTextColor(HDC hdc) {
  auto* dc = Lookup<DCObj>(hdc);
  return dc ? dc->textColor : CLR_INVALID;
}

COLORREF SetBkColor(HDC hdc, COLORREF color) {
  auto* dc = Lookup<DCObj>(hdc);
  if (!dc) return CLR_INVALID;
  COLORREF old = dc->bkColor;
  dc->bkColor = color;
  return old;
}

COLORREF GetBkColor(HDC hdc) {
  auto* dc = Lookup<DCObj>(hdc);
  return dc ? dc->bkColor : CLR_INVALID;
}

int SetBkMode(HDC hdc, int mode) {
  auto* dc = Lookup<DCObj>(hdc);
  if (!dc || (mode != OPAQUE && mode != TRANSPARENT)) return 0;
  int old = dc->bkMode;
  dc->bkMode = mode;
  return old;
}

int GetBkMode(HDC hdc) {
  auto* dc = Lookup<DCObj>(hdc);
  return dc ? dc->bkMode : 0;
}

int SetStretchBltMode(HDC hdc, int mode) {
  auto* dc = Lookup<DCObj>(hdc);
  if (!dc || mode < BLACKONWHITE || mode > HALFTONE) return 0;
  int old = dc->stretchMode;
  dc->stretchMode = mode;
  return old;
}

int GetStretchBltMode(HDC hdc) {
  auto* dc = Lookup<DCObj>(hdc);
  return dc ? dc->stretchMode : 0;
}

BOOL MoveToEx(HDC hdc, int x, int y, POINT* old) {
  auto* dc = Lookup<DCObj>(hdc);
  if (!dc) return FALSE;
  if (old) *old = dc->pos;
  dc->pos = POINT{x, y};
  return TRUE;
}

BOOL GetCurrentPositionEx(HDC hdc, POINT* pt) {
  auto* dc = Lookup<DCObj>(hdc);
  if (!dc || !pt) return FALSE;
  *pt = dc->pos;
  return TRUE;
}
