// Pixel formats and the one colour conversion of the GDI: what colour a
// pixel value shows and which pixel value shows a colour, for indexed and
// masked formats alike; the system colours.
#include "platform/win/GdiInternal.h"

#include <iterator>

using namespace GdiInternal;

namespace {

// A channel of N bits widened to 8 by repeating its high bits.
BYTE Widen(DWORD v, int n) {
  if (n <= 0) return 0;
  if (n >= 8) return static_cast<BYTE>(v >> (n - 8));
  DWORD out = 0;
  int filled = 0;
  while (filled < 8) {
    out = (out << n) | v;
    filled += n;
  }
  return static_cast<BYTE>(out >> (filled - 8));
}

DWORD Narrow(BYTE c, DWORD mask) {
  if (!mask) return 0;
  int n = MaskBits(mask);
  int shift = MaskShift(mask);
  DWORD v = n >= 8 ? (static_cast<DWORD>(c) << (n - 8)) : (static_cast<DWORD>(c) >> (8 - n));
  return (v << shift) & mask;
}

BYTE Channel(DWORD pixel, DWORD mask) {
  if (!mask) return 0;
  return Widen((pixel & mask) >> MaskShift(mask), MaskBits(mask));
}

}  // namespace

namespace GdiInternal {

// Formats that are not indexed have the Colors field empty; indexed ones
// always hold 1 << BitCount colours.
void PadColors(GdiPixelFormat& f) {
  if (f.Indexed()) f.Colors.resize(size_t{1} << f.BitCount, RGB(0, 0, 0));
}

GdiPixelFormat DirectFormat(int bitCount, DWORD r, DWORD g, DWORD b) {
  GdiPixelFormat f;
  f.BitCount = bitCount;
  if (bitCount == 16 && !(r | g | b)) {
    r = 0x7C00;
    g = 0x3E0;
    b = 0x1F;
  } else if ((bitCount == 24 || bitCount == 32) && !(r | g | b)) {
    r = 0xFF0000;
    g = 0xFF00;
    b = 0xFF;
  }
  f.RMask = r;
  f.GMask = g;
  f.BMask = b;
  return f;
}

// Resolves the palette-relative colour forms against the DC's palette.
COLORREF ResolveColor(DCObj* dc, COLORREF c, const GdiPixelFormat& target) {
  DWORD flags = c >> 24;
  if (flags == 1) {
    if (target.Indexed()) return c;  // ColorToPixel takes the index as it is
    PaletteObj* pal = dc && dc->palette ? dc->palette : DefaultPalette();
    WORD i = static_cast<WORD>(c & 0xFFFF);
    return i < pal->entries.size() ? EntryColor(pal->entries[i]) : RGB(0, 0, 0);
  }
  return c & 0xFFFFFF;
}

DWORD DcPixel(DCObj* dc, const Surface& s, COLORREF c) { return ColorToPixel(s.format, ResolveColor(dc, c, s.format)); }

}  // namespace GdiInternal

// ---- Colours -------------------------------------------------------------------

UINT NearestColorIndex(const COLORREF* colors, size_t count, COLORREF color) {
  color &= 0xFFFFFF;
  UINT best = 0;
  long bestDist = -1;
  for (size_t i = 0; i < count; ++i) {
    COLORREF c = colors[i] & 0xFFFFFF;
    if (c == color) return static_cast<UINT>(i);
    long dr = static_cast<long>(GetRValue(c)) - GetRValue(color);
    long dg = static_cast<long>(GetGValue(c)) - GetGValue(color);
    long db = static_cast<long>(GetBValue(c)) - GetBValue(color);
    long dist = dr * dr + dg * dg + db * db;
    if (bestDist < 0 || dist < bestDist) {
      bestDist = dist;
      best = static_cast<UINT>(i);
    }
  }
  return best;
}

COLORREF PixelToColor(const GdiPixelFormat& f, DWORD pixel) {
  if (f.Indexed()) return pixel < f.Colors.size() ? (f.Colors[pixel] & 0xFFFFFF) : RGB(0, 0, 0);
  if (f.BitCount == 24)
    return RGB(static_cast<BYTE>(pixel >> 16), static_cast<BYTE>(pixel >> 8), static_cast<BYTE>(pixel));
  return RGB(Channel(pixel, f.RMask), Channel(pixel, f.GMask), Channel(pixel, f.BMask));
}

DWORD ColorToPixel(const GdiPixelFormat& f, COLORREF color) {
  if (f.Indexed()) {
    if ((color >> 24) == 1) {
      DWORD i = color & 0xFFFF;
      return i < f.Colors.size() ? i : 0;
    }
    return NearestColorIndex(f.Colors.data(), f.Colors.size(), color);
  }
  BYTE r = GetRValue(color), g = GetGValue(color), b = GetBValue(color);
  if (f.BitCount == 24) return (static_cast<DWORD>(r) << 16) | (static_cast<DWORD>(g) << 8) | b;
  return Narrow(r, f.RMask) | Narrow(g, f.GMask) | Narrow(b, f.BMask);
}

DWORD GetSysColor(int nIndex) {
  static const COLORREF table[] = {
      RGB(192, 192, 192), RGB(0, 128, 128),   RGB(0, 0, 128),     RGB(128, 128, 128), RGB(192, 192, 192),
      RGB(255, 255, 255), RGB(0, 0, 0),       RGB(0, 0, 0),       RGB(0, 0, 0),       RGB(255, 255, 255),
      RGB(192, 192, 192), RGB(192, 192, 192), RGB(128, 128, 128), RGB(0, 0, 128),     RGB(255, 255, 255),
      RGB(192, 192, 192), RGB(128, 128, 128), RGB(128, 128, 128), RGB(0, 0, 0),       RGB(192, 192, 192),
      RGB(255, 255, 255), RGB(0, 0, 0),       RGB(223, 223, 223), RGB(0, 0, 0),       RGB(255, 255, 225),
  };
  if (nIndex < 0 || nIndex >= static_cast<int>(std::size(table))) return 0;
  return table[nIndex];
}
