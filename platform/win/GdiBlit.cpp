// Blits: the one stretched copy every blit goes through (nearest pixel,
// mirrored, clipped, with any raster operation and a colour key), and the
// calls over it: PatBlt, BitBlt, StretchBlt, TransparentBlt, StretchDIBits.
#include "platform/win/GdiInternal.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <unordered_map>
#include <vector>

using namespace GdiInternal;

namespace {

// ---- Blits ------------------------------------------------------------------------

DWORD PixelMask(int bitCount) { return bitCount >= 32 ? 0xFFFFFFFFu : ((1u << bitCount) - 1); }

bool SameFormat(const GdiPixelFormat& a, const GdiPixelFormat& b) {
  if (a.BitCount != b.BitCount) return false;
  if (a.Indexed()) return a.Colors == b.Colors;
  if (a.BitCount == 24) return true;
  return a.RMask == b.RMask && a.GMask == b.GMask && a.BMask == b.BMask;
}

DWORD Rop3(int rop3, DWORD p, DWORD s, DWORD d) {
  DWORD r = 0;
  for (int i = 0; i < 8; ++i) {
    if (!((rop3 >> i) & 1)) continue;
    DWORD t = (i & 4) ? p : ~p;
    t &= (i & 2) ? s : ~s;
    t &= (i & 1) ? d : ~d;
    r |= t;
  }
  return r;
}

struct SourceInfo {
  const Surface* s = nullptr;
  COLORREF bkColor = RGB(255, 255, 255);  // colour that maps to 1 on a monochrome destination
  bool keyed = false;                     // source pixels showing Key are left out
  COLORREF key = 0;
};

// The general stretched blit: nearest pixel, mirrored for negative extents,
// clipped to both surfaces; source rectangle in top-down coordinates.
BOOL StretchCore(DCObj* dc, std::int64_t xD, std::int64_t yD, std::int64_t wD, std::int64_t hD, SourceInfo src,
                 std::int64_t xS, std::int64_t yS, std::int64_t wS, std::int64_t hS, DWORD rop) {
  Surface* dst = SurfaceOf(dc);
  if (!dst) return FALSE;
  int rop3 = static_cast<int>((rop >> 16) & 0xFF);
  bool usesSrc = (((rop3 >> 2) ^ rop3) & 0x33) != 0;
  bool usesPat = (((rop3 >> 4) ^ rop3) & 0x0F) != 0;
  bool usesDst = (((rop3 >> 1) ^ rop3) & 0x55) != 0;
  if (usesSrc && !src.s) return FALSE;
  if (!usesSrc) {
    wS = wD;
    hS = hD;
  }
  bool flipX = false, flipY = false;
  if (wD < 0) {
    xD += wD;
    wD = -wD;
    flipX = !flipX;
  }
  if (hD < 0) {
    yD += hD;
    hD = -hD;
    flipY = !flipY;
  }
  if (wS < 0) {
    xS += wS;
    wS = -wS;
    flipX = !flipX;
  }
  if (hS < 0) {
    yS += hS;
    hS = -hS;
    flipY = !flipY;
  }
  if (wD == 0 || hD == 0 || wS == 0 || hS == 0) return TRUE;

  // A copy within one bitmap reads from a snapshot.
  Surface snapshot;
  std::vector<BYTE> snapStore;
  if (usesSrc && src.s->top == dst->top && src.s->top) {
    snapshot = *src.s;
    std::ptrdiff_t rowBytes = std::abs(src.s->step);
    snapStore.resize(static_cast<size_t>(rowBytes) * src.s->height);
    for (LONG y = 0; y < src.s->height; ++y)
      std::memcpy(snapStore.data() + static_cast<size_t>(rowBytes) * y, src.s->top + y * src.s->step,
                  static_cast<size_t>(rowBytes));
    snapshot.top = snapStore.data();
    snapshot.step = rowBytes;
    src.s = &snapshot;
  }

  const GdiPixelFormat& df = dst->format;
  DWORD mask = PixelMask(df.BitCount);
  DWORD pat = 0;
  if (usesPat) {
    BrushObj* br = BrushOf(dc);
    pat = br->lb.lbStyle == BS_NULL ? 0 : DcPixel(dc, *dst, br->lb.lbColor);
  }

  // Source pixel -> destination pixel.
  std::vector<DWORD> lut;
  bool identity = false;
  bool toMono = false;
  std::unordered_map<DWORD, DWORD> memo;
  if (usesSrc) {
    const GdiPixelFormat& sf = src.s->format;
    if (src.s->monoDdb && !dst->monoDdb) {
      lut = {DcPixel(dc, *dst, dc->textColor), DcPixel(dc, *dst, dc->bkColor)};
    } else if (dst->monoDdb && !src.s->monoDdb) {
      toMono = true;
    } else if (SameFormat(sf, df)) {
      identity = true;
    } else if (sf.Indexed()) {
      lut.resize(sf.Colors.size());
      for (size_t i = 0; i < lut.size(); ++i) lut[i] = ColorToPixel(df, sf.Colors[i]);
    }
  }
  // The key as the source's format shows it, so that a colour the format
  // cannot hold exactly still matches the pixels made from it.
  COLORREF keyColor = 0;
  if (usesSrc && src.keyed) keyColor = PixelToColor(src.s->format, ColorToPixel(src.s->format, src.key));
  auto convert = [&](DWORD v) -> DWORD {
    if (identity) return v;
    if (!lut.empty()) return v < lut.size() ? lut[v] : 0;
    const GdiPixelFormat& sf = src.s->format;
    if (toMono) return PixelToColor(sf, v) == (src.bkColor & 0xFFFFFF) ? 1 : 0;
    auto it = memo.find(v);
    if (it != memo.end()) return it->second;
    DWORD out = ColorToPixel(df, PixelToColor(sf, v));
    if (memo.size() < 4096) memo.emplace(v, out);
    return out;
  };

  LONG x0 = static_cast<LONG>(std::max<std::int64_t>(xD, 0));
  LONG x1 = static_cast<LONG>(std::min<std::int64_t>(xD + wD, dst->width));
  LONG y0 = static_cast<LONG>(std::max<std::int64_t>(yD, 0));
  LONG y1 = static_cast<LONG>(std::min<std::int64_t>(yD + hD, dst->height));
  // The nearest source pixel of destination offset r along an axis.
  auto nearest = [](std::int64_t r, std::int64_t srcExtent, std::int64_t dstExtent) {
    return static_cast<std::int64_t>((static_cast<__int128>(2 * r + 1) * srcExtent) /
                                     (2 * static_cast<__int128>(dstExtent)));
  };

  // Plain copies of the same format row by row.
  if (rop == SRCCOPY && identity && !src.keyed && !flipX && !flipY && wS == wD && hS == hD && df.BitCount >= 8 &&
      x0 < x1) {
    std::int64_t sx0 = xS + (x0 - xD);
    if (sx0 >= 0 && sx0 + (x1 - x0) <= src.s->width) {
      size_t bpp = static_cast<size_t>(df.BitCount / 8);
      for (LONG y = y0; y < y1; ++y) {
        std::int64_t sy = yS + (y - yD);
        if (sy < 0 || sy >= src.s->height) continue;
        std::memcpy(dst->top + y * dst->step + x0 * bpp, src.s->top + sy * src.s->step + sx0 * bpp,
                    static_cast<size_t>(x1 - x0) * bpp);
      }
      return TRUE;
    }
  }

  for (LONG y = y0; y < y1; ++y) {
    std::int64_t sy = nearest(y - yD, hS, hD);
    if (flipY) sy = hS - 1 - sy;
    sy += yS;
    if (usesSrc && (sy < 0 || sy >= src.s->height)) continue;
    for (LONG x = x0; x < x1; ++x) {
      std::int64_t sx = nearest(x - xD, wS, wD);
      if (flipX) sx = wS - 1 - sx;
      sx += xS;
      DWORD sv = 0;
      if (usesSrc) {
        if (sx < 0 || sx >= src.s->width) continue;
        DWORD raw = ReadPixel(*src.s, static_cast<LONG>(sx), static_cast<LONG>(sy));
        if (src.keyed && PixelToColor(src.s->format, raw) == keyColor) continue;
        sv = convert(raw);
      }
      DWORD out;
      if (rop == SRCCOPY) {
        out = sv;
      } else {
        DWORD dv = usesDst ? ReadPixel(*dst, x, y) : 0;
        out = Rop3(rop3, pat, sv, dv) & mask;
      }
      WritePixel(*dst, x, y, out);
    }
  }
  return TRUE;
}

}  // namespace

BOOL PatBlt(HDC hdc, int x, int y, int w, int h, DWORD rop) {
  auto* dc = Lookup<DCObj>(hdc);
  if (!dc) return FALSE;
  return StretchCore(dc, x, y, w, h, SourceInfo{}, 0, 0, w, h, rop);
}

BOOL BitBlt(HDC dest, int x, int y, int cx, int cy, HDC src, int x1, int y1, DWORD rop) {
  return StretchBlt(dest, x, y, cx, cy, src, x1, y1, cx, cy, rop);
}

BOOL StretchBlt(HDC dest, int xDest, int yDest, int wDest, int hDest, HDC src, int xSrc, int ySrc, int wSrc, int hSrc,
                DWORD rop) {
  auto* dc = Lookup<DCObj>(dest);
  if (!dc) return FALSE;
  SourceInfo info;
  if (src) {
    auto* sdc = Lookup<DCObj>(src);
    if (!sdc) return FALSE;
    info.s = SurfaceOf(sdc);
    info.bkColor = sdc->bkColor;
  }
  return StretchCore(dc, xDest, yDest, wDest, hDest, info, xSrc, ySrc, wSrc, hSrc, rop);
}

BOOL TransparentBlt(HDC dest, int xDest, int yDest, int wDest, int hDest, HDC src, int xSrc, int ySrc, int wSrc,
                    int hSrc, UINT transparent) {
  auto* dc = Lookup<DCObj>(dest);
  auto* sdc = Lookup<DCObj>(src);
  if (!dc || !sdc || wDest < 0 || hDest < 0 || wSrc < 0 || hSrc < 0) return FALSE;
  SourceInfo info;
  info.s = SurfaceOf(sdc);
  info.bkColor = sdc->bkColor;
  info.keyed = true;
  info.key = ResolveColor(sdc, transparent, GdiPixelFormat{});
  if (info.s && info.s->format.Indexed() && (transparent >> 24) == 1)
    info.key = PixelToColor(info.s->format, transparent & 0xFFFF);
  return StretchCore(dc, xDest, yDest, wDest, hDest, info, xSrc, ySrc, wSrc, hSrc, SRCCOPY);
}

int StretchDIBits(HDC hdc, int xDest, int yDest, int destWidth, int destHeight, int xSrc, int ySrc, int srcWidth,
                  int srcHeight, const void* bits, const BITMAPINFO* bmi, UINT usage, DWORD rop) {
  auto* dc = Lookup<DCObj>(hdc);
  if (!dc || !bits) return 0;
  DibDesc d;
  if (!ParseBitmapInfo(bmi, usage, dc, d)) return 0;
  std::int64_t wb = DibWidthBytes(d.width, d.bitCount);
  std::int64_t rows = std::abs(static_cast<std::int64_t>(d.height));
  if (wb * rows > kMaxBitmapBytes) return 0;
  Surface s;
  s.width = d.width;
  s.height = static_cast<LONG>(rows);
  s.format = FormatOf(d);
  std::vector<BYTE> expanded;
  const BYTE* base = static_cast<const BYTE*>(bits);
  if (d.compression == BI_RLE8 || d.compression == BI_RLE4) {
    expanded.assign(static_cast<size_t>(wb * rows), 0);
    ExpandDibRle(base, d.sizeImage, d.compression, d.width, static_cast<LONG>(rows), expanded.data(), wb);
    base = expanded.data();
  }
  // The surface only reads; the blit never writes through a source.
  BYTE* mutableBase = const_cast<BYTE*>(base);
  if (d.height > 0) {
    s.top = mutableBase + (rows - 1) * wb;
    s.step = -wb;
  } else {
    s.top = mutableBase;
    s.step = wb;
  }
  // A bottom-up DIB's source origin is its lower-left corner.
  int topRow = d.height > 0 ? static_cast<int>(rows - ySrc - srcHeight) : ySrc;
  if (d.height > 0 && srcHeight < 0) topRow = static_cast<int>(rows - ySrc);
  SourceInfo info;
  info.s = &s;
  if (!StretchCore(dc, xDest, yDest, destWidth, destHeight, info, xSrc, topRow, srcWidth, srcHeight, rop)) return 0;
  return std::abs(srcHeight);
}
