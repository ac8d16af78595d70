#include "platform/ddraw/PixelFormat.h"

#include <algorithm>
#include <cstring>

#include "platform/win/PixelRow.h"

TDDrawPixelFormat TDDrawPixelFormat::IndexedFormat(int bitCount) {
  TDDrawPixelFormat f;
  f.BitCount = bitCount;
  f.Indexed = true;
  f.RMask = f.GMask = f.BMask = 0;
  return f;
}

TDDrawPixelFormat TDDrawPixelFormat::Rgb565() {
  TDDrawPixelFormat f;
  f.BitCount = 16;
  f.RMask = 0xF800;
  f.GMask = 0x07E0;
  f.BMask = 0x001F;
  return f;
}

TDDrawPixelFormat TDDrawPixelFormat::Rgb555() {
  TDDrawPixelFormat f;
  f.BitCount = 16;
  f.RMask = 0x7C00;
  f.GMask = 0x03E0;
  f.BMask = 0x001F;
  return f;
}

TDDrawPixelFormat TDDrawPixelFormat::Rgb24() {
  TDDrawPixelFormat f;
  f.BitCount = 24;
  return f;
}

TDDrawPixelFormat TDDrawPixelFormat::Xrgb32() { return TDDrawPixelFormat{}; }

DWORD TDDrawPixelFormat::ValueMask() const {
  return BitCount >= 32 ? 0xFFFFFFFFu : ((DWORD{1} << BitCount) - 1);
}

DWORD TDDrawPixelFormat::KeyMask() const { return Indexed ? ValueMask() : (RMask | GMask | BMask); }

LONG TDDrawPixelFormat::PitchFor(LONG width) const {
  std::int64_t bits = static_cast<std::int64_t>(width) * BitCount;
  std::int64_t pitch = (bits + 31) / 32 * 4;
  return pitch > 0x7FFFFFFF ? -1 : static_cast<LONG>(pitch);
}

void TDDrawPixelFormat::Describe(DDPIXELFORMAT& pf) const {
  pf.dwFourCC = 0;
  pf.dwRGBBitCount = static_cast<DWORD>(BitCount);
  pf.dwRGBAlphaBitMask = 0;
  if (Indexed) {
    pf.dwFlags = DDPF_RGB | (BitCount == 1   ? DDPF_PALETTEINDEXED1
                             : BitCount == 2 ? DDPF_PALETTEINDEXED2
                             : BitCount == 4 ? DDPF_PALETTEINDEXED4
                                             : DDPF_PALETTEINDEXED8);
    pf.dwRBitMask = pf.dwGBitMask = pf.dwBBitMask = 0;
  } else {
    pf.dwFlags = DDPF_RGB;
    pf.dwRBitMask = RMask;
    pf.dwGBitMask = GMask;
    pf.dwBBitMask = BMask;
  }
}

bool TDDrawPixelFormat::FromDescription(const DDPIXELFORMAT& pf, TDDrawPixelFormat& format) {
  const DWORD indexedFlags = DDPF_PALETTEINDEXED1 | DDPF_PALETTEINDEXED2 | DDPF_PALETTEINDEXED4 | DDPF_PALETTEINDEXED8;
  if (pf.dwFlags & (DDPF_ALPHAPIXELS | DDPF_ZBUFFER)) return false;
  DWORD indexed = pf.dwFlags & indexedFlags;
  if (indexed) {
    int bits = indexed == DDPF_PALETTEINDEXED1   ? 1
               : indexed == DDPF_PALETTEINDEXED2 ? 2
               : indexed == DDPF_PALETTEINDEXED4 ? 4
               : indexed == DDPF_PALETTEINDEXED8 ? 8
                                                 : 0;
    if (bits == 0) return false;  // more than one index size asked for
    if (pf.dwRGBBitCount != 0 && pf.dwRGBBitCount != static_cast<DWORD>(bits)) return false;
    format = IndexedFormat(bits);
    return true;
  }
  if (!(pf.dwFlags & DDPF_RGB)) return false;
  bool noMasks = pf.dwRBitMask == 0 && pf.dwGBitMask == 0 && pf.dwBBitMask == 0;
  switch (pf.dwRGBBitCount) {
    case 16:
      if (pf.dwRBitMask == 0xF800 && pf.dwGBitMask == 0x07E0 && pf.dwBBitMask == 0x001F) {
        format = Rgb565();
        return true;
      }
      if (pf.dwRBitMask == 0x7C00 && pf.dwGBitMask == 0x03E0 && pf.dwBBitMask == 0x001F) {
        format = Rgb555();
        return true;
      }
      return false;
    case 24:
    case 32:
      if (noMasks || (pf.dwRBitMask == 0xFF0000 && pf.dwGBitMask == 0xFF00 && pf.dwBBitMask == 0xFF)) {
        format = pf.dwRGBBitCount == 24 ? Rgb24() : Xrgb32();
        return true;
      }
      return false;
    default:
      return false;
  }
}

DWORD GetPixelValue(const TDDrawPixels& p, LONG x, LONG y) {
  return ReadRowPixel(p.Bits + static_cast<std::ptrdiff_t>(y) * p.Pitch, x, p.Format.BitCount);
}

void PutPixelValue(const TDDrawPixels& p, LONG x, LONG y, DWORD v) {
  WriteRowPixel(p.Bits + static_cast<std::ptrdiff_t>(y) * p.Pitch, x, p.Format.BitCount, v);
}

namespace {

bool ByteAligned(const TDDrawPixelFormat& f) { return f.BitCount >= 8; }

// Fills one row of whole-byte pixels with a repeated pixel value.
void FillRowBytes(BYTE* row, LONG count, int bytes, DWORD value) {
  if (bytes == 1) {
    std::memset(row, static_cast<int>(value & 0xFF), static_cast<size_t>(count));
    return;
  }
  BYTE pattern[4] = {static_cast<BYTE>(value), static_cast<BYTE>(value >> 8), static_cast<BYTE>(value >> 16),
                     static_cast<BYTE>(value >> 24)};
  for (LONG i = 0; i < count; ++i) std::memcpy(row + static_cast<std::ptrdiff_t>(i) * bytes, pattern, bytes);
}

bool KeyMatches(DWORD value, const TDDrawBlit& b, DWORD mask) {
  DWORD v = value & mask;
  return v >= (b.KeyLow & mask) && v <= (b.KeyHigh & mask);
}

}  // namespace

void FillPixels(const TDDrawPixels& p, const RECT& r, DWORD value) {
  value &= p.Format.ValueMask();
  if (ByteAligned(p.Format)) {
    int bytes = p.Format.BitCount / 8;
    for (LONG y = r.top; y < r.bottom; ++y)
      FillRowBytes(p.Bits + static_cast<std::ptrdiff_t>(y) * p.Pitch + static_cast<std::ptrdiff_t>(r.left) * bytes,
                   r.right - r.left, bytes, value);
    return;
  }
  for (LONG y = r.top; y < r.bottom; ++y)
    for (LONG x = r.left; x < r.right; ++x) PutPixelValue(p, x, y, value);
}

void BlitPixels(const TDDrawPixels& dest, const TDDrawPixels& source, const TDDrawBlit& b) {
  RECT area = IntersectRects(b.Dest, b.Clip);
  if (RectIsEmpty(area)) return;
  // A destination seen through a clipper may span any LONG range: offsets
  // and sizes are taken in 64 bits.
  const std::int64_t destLeft = b.Dest.left, destTop = b.Dest.top;
  const std::int64_t dw = std::int64_t{b.Dest.right} - destLeft, dh = std::int64_t{b.Dest.bottom} - destTop;
  const std::int64_t sw = b.Source.right - b.Source.left, sh = b.Source.bottom - b.Source.top;
  const DWORD keyMask = source.Format.KeyMask();
  const bool plain = dw == sw && dh == sh && !b.MirrorLeftRight && !b.MirrorUpDown;

  if (plain && ByteAligned(dest.Format)) {
    // Unscaled copy of whole-byte pixels: row copies, or a keyed pixel loop.
    const int bytes = dest.Format.BitCount / 8;
    const LONG count = area.right - area.left;
    const LONG sx = static_cast<LONG>(b.Source.left + (area.left - destLeft));
    for (LONG y = area.top; y < area.bottom; ++y) {
      const LONG sy = static_cast<LONG>(b.Source.top + (y - destTop));
      BYTE* d = dest.Bits + static_cast<std::ptrdiff_t>(y) * dest.Pitch + static_cast<std::ptrdiff_t>(area.left) * bytes;
      const BYTE* s =
          source.Bits + static_cast<std::ptrdiff_t>(sy) * source.Pitch + static_cast<std::ptrdiff_t>(sx) * bytes;
      if (!b.Keyed) {
        std::memcpy(d, s, static_cast<size_t>(count) * bytes);
        continue;
      }
      for (LONG i = 0; i < count; ++i) {
        DWORD v = 0;
        std::memcpy(&v, s + static_cast<std::ptrdiff_t>(i) * bytes, bytes);
        if (!KeyMatches(v, b, keyMask)) std::memcpy(d + static_cast<std::ptrdiff_t>(i) * bytes, &v, bytes);
      }
    }
    return;
  }

  // General case: every destination pixel takes its nearest source pixel.
  for (LONG y = area.top; y < area.bottom; ++y) {
    std::int64_t j = y - destTop;
    if (b.MirrorUpDown) j = dh - 1 - j;
    const LONG sy = b.Source.top + static_cast<LONG>(j * sh / dh);
    for (LONG x = area.left; x < area.right; ++x) {
      std::int64_t i = x - destLeft;
      if (b.MirrorLeftRight) i = dw - 1 - i;
      const LONG sx = b.Source.left + static_cast<LONG>(i * sw / dw);
      DWORD v = GetPixelValue(source, sx, sy);
      if (b.Keyed && KeyMatches(v, b, keyMask)) continue;
      PutPixelValue(dest, x, y, v);
    }
  }
}

namespace {

// Widens a colour channel to 8 bits, repeating its high bits in the low ones
// so that full intensity stays 255.
BYTE ExpandChannel(DWORD value, DWORD mask) {
  if (mask == 0) return 0;
  int shift = 0;
  while (!((mask >> shift) & 1)) ++shift;
  int bits = 0;
  while ((mask >> (shift + bits)) & 1) ++bits;
  DWORD c = (value & mask) >> shift;
  if (bits >= 8) return static_cast<BYTE>(c >> (bits - 8));
  DWORD out = c << (8 - bits);
  for (int filled = bits; filled < 8; filled += bits) out |= (c << (8 - bits)) >> filled;
  return static_cast<BYTE>(out);
}

}  // namespace

DWORD PixelToXrgb(DWORD value, const TDDrawPixelFormat& f, const PALETTEENTRY* palette, int count) {
  if (f.Indexed) {
    if (!palette || value >= static_cast<DWORD>(count)) return 0;
    const PALETTEENTRY& e = palette[value];
    return (static_cast<DWORD>(e.peRed) << 16) | (static_cast<DWORD>(e.peGreen) << 8) | e.peBlue;
  }
  if (f.BitCount >= 24) return value & 0xFFFFFF;
  return (static_cast<DWORD>(ExpandChannel(value, f.RMask)) << 16) |
         (static_cast<DWORD>(ExpandChannel(value, f.GMask)) << 8) | ExpandChannel(value, f.BMask);
}

std::vector<DWORD> PixelsToXrgb(const TDDrawPixels& p, const RECT& r, const PALETTEENTRY* palette, int count) {
  std::vector<DWORD> out;
  if (RectIsEmpty(r)) return out;
  const LONG w = r.right - r.left;
  out.resize(static_cast<size_t>(w) * static_cast<size_t>(r.bottom - r.top));
  DWORD* o = out.data();
  for (LONG y = r.top; y < r.bottom; ++y) {
    const BYTE* row = p.Bits + static_cast<std::ptrdiff_t>(y) * p.Pitch;
    if (p.Format.BitCount == 32) {
      // The screen's own format: a row copy without the unused top byte.
      std::memcpy(o, row + static_cast<std::ptrdiff_t>(r.left) * 4, static_cast<size_t>(w) * 4);
      for (LONG i = 0; i < w; ++i) o[i] &= 0xFFFFFF;
    } else {
      for (LONG x = r.left; x < r.right; ++x)
        o[x - r.left] = PixelToXrgb(GetPixelValue(p, x, y), p.Format, palette, count);
    }
    o += w;
  }
  return out;
}

bool RectIsEmpty(const RECT& r) { return r.left >= r.right || r.top >= r.bottom; }

RECT IntersectRects(const RECT& a, const RECT& b) {
  RECT r{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right), std::min(a.bottom, b.bottom)};
  if (RectIsEmpty(r)) r = RECT{};
  return r;
}

bool RectInside(const RECT& inner, const RECT& outer) {
  return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
         inner.bottom <= outer.bottom;
}
