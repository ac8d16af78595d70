// Bitmaps: DIB sections, device-dependent and monochrome bitmaps, their
// colour tables, the DIB descriptions GDI calls get, and run-length data.
#include "platform/win/GdiInternal.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

using namespace GdiInternal;

namespace {

DWORD Le32(const BYTE* p) {
  return static_cast<DWORD>(p[0]) | (static_cast<DWORD>(p[1]) << 8) | (static_cast<DWORD>(p[2]) << 16) |
         (static_cast<DWORD>(p[3]) << 24);
}
WORD Le16(const BYTE* p) { return static_cast<WORD>(p[0] | (p[1] << 8)); }

}  // namespace

namespace GdiInternal {

// Reads a BITMAPINFO block (core, 40-byte or larger header) as GDI calls get it.
bool ParseBitmapInfo(const BITMAPINFO* bmi, UINT usage, DCObj* dc, DibDesc& d) {
  if (!bmi) return false;
  const BYTE* p = reinterpret_cast<const BYTE*>(bmi);
  DWORD size = Le32(p);
  const BYTE* table;
  int entrySize = 4;
  if (size == sizeof(BITMAPCOREHEADER)) {
    d.width = Le16(p + 4);
    d.height = Le16(p + 6);
    d.bitCount = Le16(p + 10);
    table = p + 12;
    entrySize = 3;
  } else if (size >= 40) {
    std::memcpy(&d.header, p, sizeof(BITMAPINFOHEADER));
    d.width = d.header.biWidth;
    d.height = d.header.biHeight;
    d.bitCount = d.header.biBitCount;
    d.compression = d.header.biCompression;
    d.sizeImage = d.header.biSizeImage;
    table = p + size;
    if (d.compression == BI_BITFIELDS) {
      const BYTE* m = p + 40;
      for (int i = 0; i < 3; ++i) d.masks[i] = Le32(m + 4 * i);
      if (size == 40) table += 12;
    }
    d.header.biSize = 40;
  } else {
    return false;
  }
  if (d.width <= 0 || d.height == 0) return false;
  if (!IsDibBitCount(d.bitCount)) return false;
  if (d.compression > BI_BITFIELDS) return false;
  if (d.compression == BI_RLE8 && d.bitCount != 8) return false;
  if (d.compression == BI_RLE4 && d.bitCount != 4) return false;
  if (d.compression == BI_BITFIELDS && d.bitCount != 16 && d.bitCount != 32) return false;
  if ((d.compression == BI_RLE8 || d.compression == BI_RLE4) && d.height < 0) return false;
  if (d.bitCount <= 8) {
    size_t n = size >= 40 && d.header.biClrUsed ? d.header.biClrUsed : (size_t{1} << d.bitCount);
    n = std::min(n, size_t{1} << d.bitCount);
    d.colors.assign(size_t{1} << d.bitCount, RGB(0, 0, 0));
    for (size_t i = 0; i < n; ++i) {
      const BYTE* e = table + i * (usage == DIB_PAL_COLORS ? 2 : entrySize);
      if (usage == DIB_PAL_COLORS) {
        PaletteObj* pal = dc && dc->palette ? dc->palette : DefaultPalette();
        WORD idx = Le16(e);
        d.colors[i] = idx < pal->entries.size() ? EntryColor(pal->entries[idx]) : RGB(0, 0, 0);
      } else {
        d.colors[i] = RGB(e[2], e[1], e[0]);
      }
    }
  }
  return true;
}

GdiPixelFormat FormatOf(const DibDesc& d) {
  GdiPixelFormat f = d.bitCount <= 8 ? GdiPixelFormat{} : DirectFormat(d.bitCount, d.masks[0], d.masks[1], d.masks[2]);
  f.BitCount = d.bitCount;
  if (d.bitCount <= 8) {
    f.RMask = f.GMask = f.BMask = 0;
    f.Colors = d.colors;
    PadColors(f);
  } else if (d.bitCount == 24) {
    f.RMask = 0xFF0000;
    f.GMask = 0xFF00;
    f.BMask = 0xFF;
  }
  return f;
}

}  // namespace GdiInternal

// ---- RLE ------------------------------------------------------------------------

bool ExpandDibRle(const BYTE* data, size_t size, DWORD compression, LONG width, LONG height, BYTE* pixels,
                  std::int64_t widthBytes) {
  bool rle4 = compression == BI_RLE4;
  if (!rle4 && compression != BI_RLE8) return false;
  std::int64_t x = 0, y = 0;
  size_t pos = 0;
  auto put = [&](std::int64_t px, std::int64_t py, BYTE v) {
    if (px < 0 || py < 0 || px >= width || py >= height) return;
    BYTE* row = pixels + py * widthBytes;
    if (rle4) {
      BYTE& b = row[px >> 1];
      b = (px & 1) ? static_cast<BYTE>((b & 0xF0) | (v & 0x0F)) : static_cast<BYTE>((b & 0x0F) | (v << 4));
    } else {
      row[px] = v;
    }
  };
  // How many pixels of a run from the current position lie inside the image.
  // Positions only grow, so a run is cut at the end of its row and a row below
  // the image takes none; the rest of the run is skipped at once rather than
  // pixel by pixel, so that long runs outside the image cost nothing.
  auto inside = [&](int n) -> int {
    if (y >= height || x >= width) return 0;
    return static_cast<int>(std::min<std::int64_t>(n, width - x));
  };
  while (pos + 2 <= size) {
    BYTE count = data[pos], value = data[pos + 1];
    pos += 2;
    if (count > 0) {
      for (int i = 0, n = inside(count); i < n; ++i) {
        BYTE v = rle4 ? ((i & 1) ? (value & 0x0F) : (value >> 4)) : value;
        put(x + i, y, v);
      }
      x += count;
    } else if (value == 0) {
      x = 0;
      ++y;
    } else if (value == 1) {
      return true;
    } else if (value == 2) {
      if (pos + 2 > size) return false;
      x += data[pos];
      y += data[pos + 1];
      pos += 2;
    } else {
      size_t bytes = rle4 ? (value + 1u) / 2 : value;
      if (pos + bytes > size) return false;
      for (int i = 0, n = inside(value); i < n; ++i) {
        BYTE v = rle4 ? ((i & 1) ? (data[pos + i / 2] & 0x0F) : (data[pos + i / 2] >> 4)) : data[pos + i];
        put(x + i, y, v);
      }
      x += value;
      pos += bytes;
      pos += pos & 1;
    }
  }
  return false;
}

HBITMAP CreateDIBSection(HDC hdc, const BITMAPINFO* pbmi, UINT usage, void** ppvBits, HANDLE, DWORD) {
  if (ppvBits) *ppvBits = nullptr;
  DCObj* dc = hdc ? Lookup<DCObj>(hdc) : nullptr;
  DibDesc d;
  if (!ParseBitmapInfo(pbmi, usage, dc, d)) return nullptr;
  if (d.compression == BI_RLE8 || d.compression == BI_RLE4) return nullptr;
  std::int64_t wb = DibWidthBytes(d.width, d.bitCount);
  std::int64_t rows = std::abs(static_cast<std::int64_t>(d.height));
  if (wb * rows > kMaxBitmapBytes) return nullptr;
  auto* b = new BitmapObj;
  b->dib = true;
  b->store.assign(static_cast<size_t>(wb * rows), 0);
  b->widthBytes = static_cast<LONG>(wb);
  b->s.width = d.width;
  b->s.height = static_cast<LONG>(rows);
  b->s.format = FormatOf(d);
  if (d.height > 0) {
    b->s.top = b->store.data() + (rows - 1) * wb;
    b->s.step = -wb;
  } else {
    b->s.top = b->store.data();
    b->s.step = wb;
  }
  b->bmih = d.header;
  b->bmih.biSize = 40;
  b->bmih.biWidth = d.width;
  b->bmih.biHeight = d.height;
  b->bmih.biPlanes = 1;
  b->bmih.biBitCount = static_cast<WORD>(d.bitCount);
  b->bmih.biCompression = d.compression;
  b->bmih.biSizeImage = static_cast<DWORD>(wb * rows);
  if (ppvBits) *ppvBits = b->store.data();
  return reinterpret_cast<HBITMAP>(Register(b));
}

namespace {
HBITMAP MakeDdb(LONG w, LONG h, const GdiPixelFormat& format, bool mono) {
  if (w <= 0 || h <= 0) { w = h = 1; }
  std::int64_t wb = DibWidthBytes(w, format.BitCount);
  if (wb * h > kMaxBitmapBytes) return nullptr;
  auto* b = new BitmapObj;
  b->store.assign(static_cast<size_t>(wb * h), 0);
  b->widthBytes = static_cast<LONG>(wb);
  b->s.width = w;
  b->s.height = h;
  b->s.top = b->store.data();
  b->s.step = wb;
  b->s.format = format;
  b->s.monoDdb = mono;
  return reinterpret_cast<HBITMAP>(Register(b));
}

GdiPixelFormat MonoFormat() {
  GdiPixelFormat f;
  f.BitCount = 1;
  f.RMask = f.GMask = f.BMask = 0;
  f.Colors = {RGB(0, 0, 0), RGB(255, 255, 255)};
  return f;
}
}  // namespace

HBITMAP CreateCompatibleBitmap(HDC hdc, int cx, int cy) {
  auto* dc = Lookup<DCObj>(hdc);
  if (!dc) return nullptr;
  Surface* s = SurfaceOf(dc);
  if (dc->dcKind == DCObj::Memory && s && s->monoDdb) return MakeDdb(cx, cy, MonoFormat(), true);
  if (dc->dcKind == DCObj::OverBits) return MakeDdb(cx, cy, dc->own.format, false);
  return MakeDdb(cx, cy, DirectFormat(32, 0, 0, 0), false);
}

HBITMAP CreateBitmap(int width, int height, UINT planes, UINT bitCount, const void* bits) {
  if (planes != 1) return nullptr;
  GdiPixelFormat f;
  bool mono = bitCount == 1;
  if (mono)
    f = MonoFormat();
  else if (bitCount == 16 || bitCount == 24 || bitCount == 32)
    f = DirectFormat(static_cast<int>(bitCount), 0, 0, 0);
  else
    return nullptr;
  HBITMAP hb = MakeDdb(width, height, f, mono);
  auto* b = Lookup<BitmapObj>(hb);
  if (b && bits && width > 0 && height > 0) {
    std::int64_t srcRow = ((static_cast<std::int64_t>(width) * bitCount + 15) / 16) * 2;
    for (LONG y = 0; y < height; ++y)
      std::memcpy(b->store.data() + y * static_cast<std::int64_t>(b->widthBytes),
                  static_cast<const BYTE*>(bits) + y * srcRow, static_cast<size_t>(srcRow));
  }
  return hb;
}

UINT GetDIBColorTable(HDC hdc, UINT start, UINT count, RGBQUAD* colors) {
  auto* dc = Lookup<DCObj>(hdc);
  if (!dc || !dc->bitmap || !dc->bitmap->dib || !dc->bitmap->s.format.Indexed()) return 0;
  const auto& table = dc->bitmap->s.format.Colors;
  UINT n = 0;
  for (UINT i = start; i < table.size() && n < count; ++i, ++n) {
    colors[n].rgbRed = GetRValue(table[i]);
    colors[n].rgbGreen = GetGValue(table[i]);
    colors[n].rgbBlue = GetBValue(table[i]);
    colors[n].rgbReserved = 0;
  }
  return n;
}

UINT SetDIBColorTable(HDC hdc, UINT start, UINT count, const RGBQUAD* colors) {
  auto* dc = Lookup<DCObj>(hdc);
  if (!dc || !dc->bitmap || !dc->bitmap->dib || !dc->bitmap->s.format.Indexed() || !colors) return 0;
  auto& table = dc->bitmap->s.format.Colors;
  UINT n = 0;
  for (UINT i = start; i < table.size() && n < count; ++i, ++n)
    table[i] = RGB(colors[n].rgbRed, colors[n].rgbGreen, colors[n].rgbBlue);
  return n;
}
