// What the files of the GDI share and nobody else sees: the objects behind
// the handles, the registry of live objects that checks every handle, the
// view on pixels every drawing call writes through, and the helpers more
// than one of those files calls. Only platform/win/Gdi*.cpp include it.
//
// The files, by concern:
//   GdiObjects.cpp        the registry, stock objects, Select/Delete/GetObject, pens, brushes, fonts
//   GdiDc.cpp             device contexts, their capabilities and drawing state
//   GdiColor.cpp          pixel formats, the colour conversion, system colours
//   GdiPalette.cpp        logical palettes and the system palette
//   GdiBitmap.cpp         DIB sections, bitmaps, colour tables, DIB descriptions, run-length data
//   GdiBlit.cpp           the stretched copy under every blit, PatBlt to StretchDIBits
//   GdiDraw.cpp           pixels, lines, rectangles, ellipses, fills
//   GdiText.cpp           font metrics, the text cache, text output
//   GdiRegionPainter.cpp  the painter over Qt on a 32-bit copy of a region
#pragma once

#include "platform/win/Gdi.h"
#include "platform/win/PixelRow.h"

#include <QFont>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <type_traits>
#include <vector>

class QColor;
class QPainter;

namespace GdiInternal {

// ---- Objects ----------------------------------------------------------------

enum class Kind { Pen, Brush, Font, Bitmap, Palette, DC };

struct GdiObject {
  explicit GdiObject(Kind k) : kind(k) {}
  virtual ~GdiObject() = default;
  Kind kind;
  bool stock = false;
  int selectCount = 0;  // DCs holding it; a selected object is not deleted
};

struct PenObj : GdiObject {
  PenObj() : GdiObject(Kind::Pen) {}
  LOGPEN lp;
};

struct BrushObj : GdiObject {
  BrushObj() : GdiObject(Kind::Brush) {}
  LOGBRUSH lb;
};

struct FontObj : GdiObject {
  FontObj() : GdiObject(Kind::Font) {}
  LOGFONTA lf;
  std::unique_ptr<QFont> qfont;  // made at first use, with its metrics
  int ascent = 0, height = 0;
};

struct PaletteObj : GdiObject {
  PaletteObj() : GdiObject(Kind::Palette) {}
  std::vector<PALETTEENTRY> entries;
};

// A view on pixels: row y starts at top + y * step (step < 0 for bottom-up).
struct Surface {
  BYTE* top = nullptr;
  LONG width = 0, height = 0;
  std::ptrdiff_t step = 0;
  GdiPixelFormat format;
  bool monoDdb = false;  // a device-dependent monochrome bitmap (text/background mapping)
};

// Cuts R down to the surface's pixels; false when nothing of it is left.
inline bool ClipToSurface(const Surface& s, RECT& r) {
  r.left = std::max<LONG>(r.left, 0);
  r.top = std::max<LONG>(r.top, 0);
  r.right = std::min<LONG>(r.right, s.width);
  r.bottom = std::min<LONG>(r.bottom, s.height);
  return r.left < r.right && r.top < r.bottom;
}

struct BitmapObj : GdiObject {
  BitmapObj() : GdiObject(Kind::Bitmap) {}
  Surface s;
  std::vector<BYTE> store;
  bool dib = false;
  BITMAPINFOHEADER bmih;
  DWORD compression = BI_RGB;
  LONG widthBytes = 0;
};

struct DCObj : GdiObject {
  enum DcKind { OverBits, Memory, Screen };
  explicit DCObj(DcKind k) : GdiObject(Kind::DC), dcKind(k) {}
  DcKind dcKind;
  Surface own;                  // OverBits pixels; empty for the screen
  BitmapObj* bitmap = nullptr;  // Memory DCs
  PenObj* pen = nullptr;
  BrushObj* brush = nullptr;
  FontObj* font = nullptr;
  PaletteObj* palette = nullptr;
  POINT pos;
  COLORREF textColor = RGB(0, 0, 0);
  COLORREF bkColor = RGB(255, 255, 255);
  int bkMode = OPAQUE;
  int stretchMode = BLACKONWHITE;
  int capsBitCount = 32;  // what GetDeviceCaps reports
};

// The live objects: an open-addressing set of pointers (linear probing, a
// power-of-two table at most half full, deletion by shifting the entries
// behind back), since every GDI call checks its handles against it.
class LiveSet {
 public:
  bool count(const GdiObject* p) const {
    for (size_t i = Slot(p);; i = (i + 1) & FMask) {
      if (FSlots[i] == p) return true;
      if (!FSlots[i]) return false;
    }
  }
  void insert(GdiObject* p) {
    if (count(p)) return;
    if (2 * (FSize + 1) > FSlots.size()) Grow();
    size_t i = Slot(p);
    while (FSlots[i]) i = (i + 1) & FMask;
    FSlots[i] = p;
    ++FSize;
  }
  void erase(const GdiObject* p) {
    size_t i = Slot(p);
    while (FSlots[i] != p) {
      if (!FSlots[i]) return;
      i = (i + 1) & FMask;
    }
    // Entries after the hole that could live in it move back into it.
    for (size_t j = (i + 1) & FMask; FSlots[j]; j = (j + 1) & FMask) {
      const size_t home = Slot(FSlots[j]);
      if (((j - home) & FMask) >= ((j - i) & FMask)) {
        FSlots[i] = FSlots[j];
        i = j;
      }
    }
    FSlots[i] = nullptr;
    --FSize;
  }
  template <class F>
  void ForEach(F f) const {
    for (GdiObject* p : FSlots)
      if (p) f(p);
  }

 private:
  size_t Slot(const GdiObject* p) const {
    return static_cast<size_t>((reinterpret_cast<std::uintptr_t>(p) >> 4) * 0x9E3779B97F4A7C15ull >> 20) & FMask;
  }
  void Grow() {
    std::vector<GdiObject*> old;
    old.swap(FSlots);
    FSlots.assign(std::max<size_t>(64, 2 * old.size()), nullptr);
    FMask = FSlots.size() - 1;
    FSize = 0;
    for (GdiObject* p : old)
      if (p) insert(p);
  }
  std::vector<GdiObject*> FSlots = std::vector<GdiObject*>(64, nullptr);
  size_t FMask = 63;
  size_t FSize = 0;
};

// The one registry (GdiObjects.cpp).
LiveSet& Live();

// The kind of object each class is, for checked handles without a
// dynamic_cast (every GDI call looks its handles up).
template <typename T>
constexpr bool KindMatches(Kind k) {
  if constexpr (std::is_same_v<T, PenObj>)
    return k == Kind::Pen;
  else if constexpr (std::is_same_v<T, BrushObj>)
    return k == Kind::Brush;
  else if constexpr (std::is_same_v<T, FontObj>)
    return k == Kind::Font;
  else if constexpr (std::is_same_v<T, BitmapObj>)
    return k == Kind::Bitmap;
  else if constexpr (std::is_same_v<T, PaletteObj>)
    return k == Kind::Palette;
  else if constexpr (std::is_same_v<T, DCObj>)
    return k == Kind::DC;
  else
    return std::is_same_v<T, GdiObject>;
}

template <typename T>
T* Lookup(const void* h) {
  if (!h) return nullptr;
  auto* obj = static_cast<GdiObject*>(const_cast<void*>(h));
  if (!Live().count(obj) || !KindMatches<T>(obj->kind)) return nullptr;
  return static_cast<T*>(obj);
}

template <typename T>
T* Register(T* obj) {
  Live().insert(obj);
  return obj;
}

inline void Select(GdiObject*& slot, GdiObject* obj) {
  if (slot) --slot->selectCount;
  slot = obj;
  if (slot) ++slot->selectCount;
}

template <typename T>
void SelectTyped(T*& slot, T* obj) {
  GdiObject* g = slot;
  Select(g, obj);
  slot = obj;
}

// ---- Colours -----------------------------------------------------------------

// The twenty static colours: the default palette and the ends of the system palette.
extern const PALETTEENTRY kStaticColors[20];

inline COLORREF EntryColor(const PALETTEENTRY& e) { return RGB(e.peRed, e.peGreen, e.peBlue); }

// ---- Stock objects ------------------------------------------------------------

GdiObject* Stock(int i);
// The 1 x 1 monochrome bitmap a new memory DC holds.
BitmapObj* StockMonoBitmap();
PaletteObj* DefaultPalette();

// The DC's pen and brush, or the stock ones it starts with.
inline PenObj* PenOf(DCObj* dc) { return dc->pen ? dc->pen : static_cast<PenObj*>(Stock(BLACK_PEN)); }
inline BrushObj* BrushOf(DCObj* dc) { return dc->brush ? dc->brush : static_cast<BrushObj*>(Stock(WHITE_BRUSH)); }

// ---- Pixels -------------------------------------------------------------------

inline Surface* SurfaceOf(DCObj* dc) {
  if (dc->dcKind == DCObj::Memory) return dc->bitmap ? &dc->bitmap->s : nullptr;
  return &dc->own;
}

inline DWORD ReadPixel(const Surface& s, LONG x, LONG y) {
  return ReadRowPixel(s.top + y * s.step, x, s.format.BitCount);
}

inline void WritePixel(Surface& s, LONG x, LONG y, DWORD v) {
  WriteRowPixel(s.top + y * s.step, x, s.format.BitCount, v);
}

// The pixel depths a device-independent bitmap may have.
inline bool IsDibBitCount(int bitCount) {
  switch (bitCount) {
    case 1:
    case 2:
    case 4:
    case 8:
    case 16:
    case 24:
    case 32: return true;
    default: return false;
  }
}

inline int MaskShift(DWORD mask) { return mask ? __builtin_ctz(mask) : 0; }

// The length of the run of ones at the mask's low end.
inline int MaskBits(DWORD mask) {
  mask >>= MaskShift(mask);
  return ~mask ? __builtin_ctz(~mask) : 32;
}

// Pixel formats and the colours a DC names (GdiColor.cpp).
void PadColors(GdiPixelFormat& f);
GdiPixelFormat DirectFormat(int bitCount, DWORD r, DWORD g, DWORD b);
COLORREF ResolveColor(DCObj* dc, COLORREF c, const GdiPixelFormat& target);
DWORD DcPixel(DCObj* dc, const Surface& s, COLORREF c);

// Fills R, cut to the surface, with one pixel value (GdiDraw.cpp).
void FillSurface(Surface& s, RECT r, DWORD pixel);

// ---- Qt painting through a 32-bit copy (GdiRegionPainter.cpp) ----------------

// Paints on a 32-bit copy of Region of the surface, calling Paint(Context, p)
// once, and writes back every pixel the painter changed, through ColorToPixel.
void PaintRegionWith(Surface& s, RECT region, void (*paint)(void* context, QPainter& p), void* context);

// The same with any callable taking the painter.
template <typename Paint>
void PaintRegion(Surface& s, RECT region, Paint&& paint) {
  using F = std::remove_reference_t<Paint>;
  PaintRegionWith(
      s, region, [](void* context, QPainter& p) { (*static_cast<F*>(context))(p); }, &paint);
}

QColor ToQColor(COLORREF c);

// ---- DIB descriptions (GdiBitmap.cpp) -----------------------------------------

struct DibDesc {
  LONG width = 0, height = 0;  // height < 0: top-down
  int bitCount = 0;
  DWORD compression = BI_RGB;
  DWORD sizeImage = 0;
  DWORD masks[3] = {};
  std::vector<COLORREF> colors;
  BITMAPINFOHEADER header;
};

// A BITMAPINFO block as a description; false when it describes no DIB GDI draws.
bool ParseBitmapInfo(const BITMAPINFO* bmi, UINT usage, DCObj* dc, DibDesc& d);
// The pixel format a DIB description gives.
GdiPixelFormat FormatOf(const DibDesc& d);

// The largest pixel store a bitmap or a DIB drawn from may take.
constexpr std::int64_t kMaxBitmapBytes = std::int64_t{1} << 30;

}  // namespace GdiInternal
