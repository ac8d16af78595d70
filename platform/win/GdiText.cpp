#include "platform/win/Gdi.h"
#include "platform/win/PixelRow.h"

#include "platform/rtl/Cp1250.h"
#include "platform/win/Window.h"

#include <QApplication>
#include <QFont>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <QString>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <list>
#include <memory>
#include <string>
#include <string_view>
#include <type_traits>
#include <unordered_map>

namespace {

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

LiveSet& Live() {
  // Never destroyed: objects freed by static destructors at exit still find it.
  static auto* live = new LiveSet;
  return *live;
}

// The kind of object each class is, for checked handles without a
// dynamic_cast (every GDI call looks its handles up).
template <typename T>
constexpr bool KindMatches(Kind k) {
  if constexpr (std::is_same_v<T, PenObj>) return k == Kind::Pen;
  else if constexpr (std::is_same_v<T, BrushObj>) return k == Kind::Brush;
  else if constexpr (std::is_same_v<T, FontObj>) return k == Kind::Font;
  else if constexpr (std::is_same_v<T, BitmapObj>) return k == Kind::Bitmap;
  else if constexpr (std::is_same_v<T, PaletteObj>) return k == Kind::Palette;
  else if constexpr (std::is_same_v<T, DCObj>) return k == Kind::DC;
  else return std::is_same_v<T, GdiObject>;
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

void Select(GdiObject*& slot, GdiObject* obj) {
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

// ---- The static colours and system colours --------------------------------

const PALETTEENTRY kStaticColors[20] = {
    {0, 0, 0, 0},       {128, 0, 0, 0},     {0, 128, 0, 0},     {128, 128, 0, 0},   {0, 0, 128, 0},
    {128, 0, 128, 0},   {0, 128, 128, 0},   {192, 192, 192, 0}, {192, 220, 192, 0}, {166, 202, 240, 0},
    {255, 251, 240, 0}, {160, 160, 164, 0}, {128, 128, 128, 0}, {255, 0, 0, 0},     {0, 255, 0, 0},
    {255, 255, 0, 0},   {0, 0, 255, 0},     {255, 0, 255, 0},   {0, 255, 255, 0},   {255, 255, 255, 0},
};

PALETTEENTRY gSystemPalette[256];
bool gSystemPaletteReady = false;

PALETTEENTRY* SystemPalette() {
  if (!gSystemPaletteReady) {
    for (int i = 0; i < 10; ++i) gSystemPalette[i] = kStaticColors[i];
    for (int i = 10; i < 20; ++i) gSystemPalette[236 + i] = kStaticColors[i];
    gSystemPaletteReady = true;
  }
  return gSystemPalette;
}

COLORREF EntryColor(const PALETTEENTRY& e) { return RGB(e.peRed, e.peGreen, e.peBlue); }

// ---- Stock objects ------------------------------------------------------------

GdiObject* MakeStock(int i) {
  switch (i) {
    case WHITE_BRUSH:
    case LTGRAY_BRUSH:
    case GRAY_BRUSH:
    case DKGRAY_BRUSH:
    case BLACK_BRUSH:
    case NULL_BRUSH: {
      static const COLORREF colors[] = {RGB(255, 255, 255), RGB(192, 192, 192), RGB(128, 128, 128),
                                        RGB(64, 64, 64), RGB(0, 0, 0), 0};
      auto* b = new BrushObj;
      b->lb.lbStyle = i == NULL_BRUSH ? BS_NULL : BS_SOLID;
      b->lb.lbColor = colors[i];
      return b;
    }
    case WHITE_PEN:
    case BLACK_PEN:
    case NULL_PEN: {
      auto* p = new PenObj;
      p->lp.lopnStyle = i == NULL_PEN ? PS_NULL : PS_SOLID;
      p->lp.lopnWidth.x = 1;
      p->lp.lopnColor = i == WHITE_PEN ? RGB(255, 255, 255) : RGB(0, 0, 0);
      return p;
    }
    case SYSTEM_FONT:
    case DEFAULT_GUI_FONT: {
      auto* f = new FontObj;
      f->lf.lfHeight = i == SYSTEM_FONT ? 16 : -11;
      f->lf.lfWeight = i == SYSTEM_FONT ? FW_BOLD : FW_NORMAL;
      std::strcpy(f->lf.lfFaceName, i == SYSTEM_FONT ? "System" : "MS Sans Serif");
      return f;
    }
    case DEFAULT_PALETTE: {
      auto* p = new PaletteObj;
      p->entries.assign(std::begin(kStaticColors), std::end(kStaticColors));
      return p;
    }
    default:
      return nullptr;
  }
}

GdiObject* Stock(int i) {
  constexpr int count = DEFAULT_GUI_FONT + 1;
  static GdiObject* stock[count] = {};
  static bool made[count] = {};
  if (i < 0 || i >= count) return nullptr;
  if (!made[i]) {
    GdiObject* obj = MakeStock(i);
    if (obj) {
      obj->stock = true;
      Register(obj);
    }
    stock[i] = obj;
    made[i] = true;
  }
  return stock[i];
}

BitmapObj* StockMonoBitmap() {
  static BitmapObj* mono = nullptr;
  if (!mono) {
    mono = new BitmapObj;
    mono->stock = true;
    mono->store.assign(4, 0);
    mono->widthBytes = 4;
    mono->s.top = mono->store.data();
    mono->s.width = mono->s.height = 1;
    mono->s.step = 4;
    mono->s.format.BitCount = 1;
    mono->s.format.Colors = {RGB(0, 0, 0), RGB(255, 255, 255)};
    mono->s.monoDdb = true;
    Register(mono);
  }
  return mono;
}

PaletteObj* DefaultPalette() { return static_cast<PaletteObj*>(Stock(DEFAULT_PALETTE)); }

// ---- Pixels -------------------------------------------------------------------

Surface* SurfaceOf(DCObj* dc) {
  if (dc->dcKind == DCObj::Memory) return dc->bitmap ? &dc->bitmap->s : nullptr;
  return &dc->own;
}

DWORD ReadPixel(const Surface& s, LONG x, LONG y) { return ReadRowPixel(s.top + y * s.step, x, s.format.BitCount); }

void WritePixel(Surface& s, LONG x, LONG y, DWORD v) { WriteRowPixel(s.top + y * s.step, x, s.format.BitCount, v); }

DWORD PixelMask(int bitCount) { return bitCount >= 32 ? 0xFFFFFFFFu : ((1u << bitCount) - 1); }

bool SameFormat(const GdiPixelFormat& a, const GdiPixelFormat& b) {
  if (a.BitCount != b.BitCount) return false;
  if (a.Indexed()) return a.Colors == b.Colors;
  if (a.BitCount == 24) return true;
  return a.RMask == b.RMask && a.GMask == b.GMask && a.BMask == b.BMask;
}

int MaskShift(DWORD mask) { return mask ? __builtin_ctz(mask) : 0; }

// The length of the run of ones at the mask's low end.
int MaskBits(DWORD mask) {
  mask >>= MaskShift(mask);
  return ~mask ? __builtin_ctz(~mask) : 32;
}

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

bool Inside(const Surface& s, LONG x, LONG y) { return x >= 0 && y >= 0 && x < s.width && y < s.height; }

void FillSurface(Surface& s, RECT r, DWORD pixel) {
  r.left = std::max<LONG>(r.left, 0);
  r.top = std::max<LONG>(r.top, 0);
  r.right = std::min<LONG>(r.right, s.width);
  r.bottom = std::min<LONG>(r.bottom, s.height);
  if (r.left >= r.right || r.top >= r.bottom) return;
  const int bits = s.format.BitCount;
  if (bits >= 8) {
    // Whole-byte pixels: the first row pixel by pixel, the others copy it.
    const size_t bytes = static_cast<size_t>(bits / 8);
    const size_t rowBytes = static_cast<size_t>(r.right - r.left) * bytes;
    const std::ptrdiff_t offset = static_cast<std::ptrdiff_t>(r.left) * static_cast<std::ptrdiff_t>(bytes);
    BYTE* first = s.top + r.top * s.step + offset;
    const BYTE pattern[4] = {static_cast<BYTE>(pixel), static_cast<BYTE>(pixel >> 8), static_cast<BYTE>(pixel >> 16),
                             static_cast<BYTE>(pixel >> 24)};
    if (bytes == 1)
      std::memset(first, pattern[0], rowBytes);
    else
      for (size_t i = 0; i < rowBytes; i += bytes) std::memcpy(first + i, pattern, bytes);
    for (LONG y = r.top + 1; y < r.bottom; ++y) std::memcpy(s.top + y * s.step + offset, first, rowBytes);
    return;
  }
  for (LONG y = r.top; y < r.bottom; ++y)
    for (LONG x = r.left; x < r.right; ++x) WritePixel(s, x, y, pixel);
}

// ---- Qt painting through a 32-bit copy ----------------------------------------

// Paints on a 32-bit copy of Region of the surface and writes back every pixel
// the painter changed, through ColorToPixel.
template <typename Paint>
void PaintRegion(Surface& s, RECT region, Paint&& paint) {
  region.left = std::max<LONG>(region.left, 0);
  region.top = std::max<LONG>(region.top, 0);
  region.right = std::min<LONG>(region.right, s.width);
  region.bottom = std::min<LONG>(region.bottom, s.height);
  if (region.left >= region.right || region.top >= region.bottom) return;
  EnsureGuiApplication();
  int w = region.right - region.left, h = region.bottom - region.top;
  QImage img(w, h, QImage::Format_RGB32);
  std::vector<QRgb> before(static_cast<size_t>(w) * h);
  for (int y = 0; y < h; ++y) {
    auto* line = reinterpret_cast<QRgb*>(img.scanLine(y));
    for (int x = 0; x < w; ++x) {
      COLORREF c = PixelToColor(s.format, ReadPixel(s, region.left + x, region.top + y));
      line[x] = qRgb(GetRValue(c), GetGValue(c), GetBValue(c));
      before[static_cast<size_t>(y) * w + x] = line[x];
    }
  }
  {
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setRenderHint(QPainter::TextAntialiasing, false);
    p.translate(-region.left, -region.top);
    paint(p);
  }
  std::unordered_map<QRgb, DWORD> memo;
  for (int y = 0; y < h; ++y) {
    auto* line = reinterpret_cast<const QRgb*>(img.constScanLine(y));
    for (int x = 0; x < w; ++x) {
      QRgb now = line[x] | 0xFF000000u;
      if (now == (before[static_cast<size_t>(y) * w + x] | 0xFF000000u)) continue;
      auto it = memo.find(now);
      DWORD pix;
      if (it != memo.end()) {
        pix = it->second;
      } else {
        pix = ColorToPixel(s.format, RGB(qRed(now), qGreen(now), qBlue(now)));
        memo.emplace(now, pix);
      }
      WritePixel(s, region.left + x, region.top + y, pix);
    }
  }
}

QColor ToQColor(COLORREF c) { return QColor(GetRValue(c), GetGValue(c), GetBValue(c)); }

// windows-1250 bytes to the text Qt draws.
QString DecodeText(const char* text, int count) {
  QString out;
  out.reserve(count);
  for (int i = 0; i < count; ++i) {
    char32_t cp = Cp1250ToUnicode(static_cast<std::uint8_t>(text[i]));
    out.append(QChar(static_cast<char16_t>(cp)));
  }
  return out;
}

const QFont& FontOf(DCObj* dc) {
  FontObj* f = dc->font ? dc->font : static_cast<FontObj*>(Stock(SYSTEM_FONT));
  if (!f->qfont) {
    EnsureGuiApplication();
    char face[LF_FACESIZE + 1] = {};
    std::memcpy(face, f->lf.lfFaceName, LF_FACESIZE);
    auto font = std::make_unique<QFont>(DecodeText(face, static_cast<int>(std::strlen(face))));
    LONG h = f->lf.lfHeight;
    if (h == 0) h = -12;
    if (h < 0) {
      font->setPixelSize(-h);
    } else {
      // A positive height is the whole cell; scale the character height to fit.
      font->setPixelSize(h);
      QFontMetrics fm(*font);
      if (fm.height() > 0) font->setPixelSize(std::max(1, static_cast<int>(h * static_cast<long>(h) / fm.height())));
    }
    font->setBold(f->lf.lfWeight >= 600);
    font->setItalic(f->lf.lfItalic != 0);
    font->setUnderline(f->lf.lfUnderline != 0);
    font->setStrikeOut(f->lf.lfStrikeOut != 0);
    font->setStyleStrategy(QFont::NoAntialias);
    QFontMetrics fm(*font);
    f->ascent = fm.ascent();
    f->height = fm.height();
    f->qfont = std::move(font);
  }
  return *f->qfont;
}

FontObj* FontObjOf(DCObj* dc) {
  FontObj* f = dc->font ? dc->font : static_cast<FontObj*>(Stock(SYSTEM_FONT));
  FontOf(dc);
  return f;
}

// ---- Text images ------------------------------------------------------------------

// Text is drawn without antialiasing: a pixel the glyphs cover takes the text
// colour, every other pixel of the cell keeps what it had. Which pixels the
// glyphs cover depends on the font and the text only (not on the colour, not
// on what lies beneath, not on the whole-pixel position), so a text is shaped
// and rendered once into a text image, its covered pixels as runs row by row,
// and every later draw of it writes those runs in the surface's own format.
struct TextImage {
  LONG width = 0;  // the advance of the text: the width of its cell
  bool rendered = false;
  bool hasRuns = false;                // false for a cell too large to keep
  std::vector<std::int32_t> rowStart;  // the cell's rows + 1 offsets into runs
  std::vector<std::int32_t> runs;      // pairs: first column, length
};

// A cell larger than this many pixels is painted directly at each draw and
// keeps only its width in the cache.
constexpr std::int64_t kMaxCachedTextPixels = std::int64_t{1} << 20;

// The text images of the texts drawn lately, keyed by font and text; the
// least recently used go first once the cache holds MaxEntries texts or
// MaxBytes bytes. A text found again costs a hash and a list splice and
// allocates nothing.
class TextImageCache {
 public:
  static constexpr size_t MaxEntries = 1024;
  static constexpr size_t MaxBytes = size_t{4} << 20;

  TextImage* Find(std::string_view key) {
    auto it = FIndex.find(key);
    if (it == FIndex.end()) return nullptr;
    FEntries.splice(FEntries.begin(), FEntries, it->second);
    return &it->second->image;
  }

  TextImage& Insert(std::string_view key) {
    FEntries.emplace_front();
    Entry& e = FEntries.front();
    e.key.assign(key);
    FIndex.emplace(std::string_view(e.key), FEntries.begin());
    Charge(e.image);
    return e.image;
  }

  // Counts again what Image (the entry found or inserted last) holds, then
  // drops the oldest entries beyond the bounds; that entry always stays.
  void Charge(const TextImage& image) {
    Entry& e = FEntries.front();
    if (&e.image != &image) return;
    FBytes -= e.bytes;
    e.bytes = sizeof(Entry) + 2 * e.key.size() + (image.rowStart.size() + image.runs.size()) * sizeof(std::int32_t);
    FBytes += e.bytes;
    while (FEntries.size() > 1 && (FEntries.size() > MaxEntries || FBytes > MaxBytes)) {
      Entry& old = FEntries.back();
      FIndex.erase(std::string_view(old.key));
      FBytes -= old.bytes;
      FEntries.pop_back();
    }
  }

  void Clear() {
    FIndex.clear();
    FEntries.clear();
    FBytes = 0;
  }
  size_t Size() const { return FEntries.size(); }
  size_t Bytes() const { return FBytes; }

 private:
  struct Entry {
    std::string key;
    TextImage image;
    size_t bytes = 0;
  };
  std::list<Entry> FEntries;
  std::unordered_map<std::string_view, std::list<Entry>::iterator> FIndex;
  size_t FBytes = 0;
};

TextImageCache& TextImages() {
  // Never destroyed, like the object registry: fonts outlive static destructors.
  static auto* cache = new TextImageCache;
  return *cache;
}

bool gTextThroughPainter = false;

// The cache key: every field of the font that the painter's font is made
// from, then the text bytes.
void TextKey(std::string& key, const FontObj* f, const char* text, UINT count) {
  const LOGFONTA& lf = f->lf;
  key.clear();
  key.append(reinterpret_cast<const char*>(&lf.lfHeight), sizeof lf.lfHeight);
  key.push_back(static_cast<char>((lf.lfWeight >= 600 ? 1 : 0) | (lf.lfItalic ? 2 : 0) | (lf.lfUnderline ? 4 : 0) |
                                  (lf.lfStrikeOut ? 8 : 0)));
  key.append(lf.lfFaceName, strnlen(lf.lfFaceName, LF_FACESIZE));
  key.push_back('\0');
  key.append(text, count);
}

// The text image of Text in the DC's font, measured; with Render also its
// covered pixels (unless the cell is too large to keep).
TextImage& TextImageOf(DCObj* dc, const char* text, UINT count, bool render) {
  FontObj* f = FontObjOf(dc);
  thread_local std::string key;
  TextKey(key, f, text, count);
  TextImageCache& cache = TextImages();
  TextImage* t = cache.Find(key);
  if (!t) {
    t = &cache.Insert(key);
    t->width = QFontMetrics(*f->qfont).horizontalAdvance(DecodeText(text, static_cast<int>(count)));
  }
  if (render && !t->rendered) {
    t->rendered = true;
    const std::int64_t area = std::int64_t{std::max<LONG>(t->width, 0)} * std::max(f->height, 0);
    if (area > 0 && area <= kMaxCachedTextPixels) {
      QImage img(t->width, f->height, QImage::Format_RGB32);
      img.fill(Qt::black);
      {
        QPainter p(&img);
        p.setRenderHint(QPainter::Antialiasing, false);
        p.setRenderHint(QPainter::TextAntialiasing, false);
        p.setFont(*f->qfont);
        p.setPen(Qt::white);
        p.drawText(QPoint(0, f->ascent), DecodeText(text, static_cast<int>(count)));
      }
      t->rowStart.reserve(static_cast<size_t>(f->height) + 1);
      for (int y = 0; y < f->height; ++y) {
        t->rowStart.push_back(static_cast<std::int32_t>(t->runs.size()));
        const auto* line = reinterpret_cast<const QRgb*>(img.constScanLine(y));
        for (int x = 0; x < t->width;) {
          if ((line[x] & 0xFFFFFF) == 0) {
            ++x;
            continue;
          }
          int end = x + 1;
          while (end < t->width && (line[end] & 0xFFFFFF) != 0) ++end;
          t->runs.push_back(x);
          t->runs.push_back(end - x);
          x = end;
        }
      }
      t->rowStart.push_back(static_cast<std::int32_t>(t->runs.size()));
      t->hasRuns = true;
    }
    cache.Charge(*t);
  }
  return *t;
}

// Whether a pixel value already shows Color; such pixels are left as they
// are, as the painter leaves a pixel it paints in the colour it had.
class ShowsColor {
 public:
  ShowsColor(const GdiPixelFormat& f, COLORREF color, DWORD pixel) : FFormat(f), FColor(color) {
    if (f.Indexed()) {
      FKind = Indexed;
    } else if (f.BitCount == 24) {
      // Blue, green and red bytes whatever the masks say.
      FKind = Masked;
      FMask = 0xFFFFFF;
      FValue = pixel & FMask;
      FExact = true;
    } else if (MaskBits(f.RMask) <= 8 && MaskBits(f.GMask) <= 8 && MaskBits(f.BMask) <= 8) {
      // Channels of up to 8 bits widen to distinct colours: a pixel shows
      // Color exactly when its colour bits are those of Pixel, and only if
      // Pixel itself shows it.
      FKind = Masked;
      FMask = f.RMask | f.GMask | f.BMask;
      FValue = pixel & FMask;
      FExact = PixelToColor(f, pixel) == color;
    } else {
      FKind = General;
    }
  }
  bool operator()(DWORD raw) const {
    switch (FKind) {
      case Indexed:
        return (raw < FFormat.Colors.size() ? FFormat.Colors[raw] & 0xFFFFFF : RGB(0, 0, 0)) == FColor;
      case Masked:
        return FExact && (raw & FMask) == FValue;
      default:
        return PixelToColor(FFormat, raw) == FColor;
    }
  }

 private:
  enum { Indexed, Masked, General } FKind;
  const GdiPixelFormat& FFormat;
  COLORREF FColor;
  DWORD FMask = 0, FValue = 0;
  bool FExact = false;
};

// Writes the covered pixels of T drawn with its cell at (X, Y), inside Clip
// (which lies inside the surface), in Pixel unless they show Color already.
template <int Bits>
void PutTextRuns(Surface& s, const TextImage& t, int cellHeight, std::int64_t x, std::int64_t y, const RECT& clip,
                 DWORD pixel, const ShowsColor& shows) {
  const std::int64_t r0 = std::max<std::int64_t>(0, clip.top - y);
  const std::int64_t r1 = std::min<std::int64_t>(cellHeight, clip.bottom - y);
  for (std::int64_t r = r0; r < r1; ++r) {
    BYTE* row = s.top + static_cast<std::ptrdiff_t>(y + r) * s.step;
    const std::int32_t* run = t.runs.data() + t.rowStart[static_cast<size_t>(r)];
    const std::int32_t* end = t.runs.data() + t.rowStart[static_cast<size_t>(r) + 1];
    for (; run < end; run += 2) {
      const LONG a = static_cast<LONG>(std::max<std::int64_t>(x + run[0], clip.left));
      const LONG b = static_cast<LONG>(std::min<std::int64_t>(x + run[0] + run[1], clip.right));
      for (LONG px = a; px < b; ++px)
        if (!shows(ReadRowPixel(row, px, Bits))) WriteRowPixel(row, px, Bits, pixel);
    }
  }
}

void PutText(Surface& s, const TextImage& t, int cellHeight, std::int64_t x, std::int64_t y, const RECT& clip,
             COLORREF color) {
  const DWORD pixel = ColorToPixel(s.format, color);
  const ShowsColor shows(s.format, color, pixel);
  switch (s.format.BitCount) {
    case 1: return PutTextRuns<1>(s, t, cellHeight, x, y, clip, pixel, shows);
    case 2: return PutTextRuns<2>(s, t, cellHeight, x, y, clip, pixel, shows);
    case 4: return PutTextRuns<4>(s, t, cellHeight, x, y, clip, pixel, shows);
    case 8: return PutTextRuns<8>(s, t, cellHeight, x, y, clip, pixel, shows);
    case 16: return PutTextRuns<16>(s, t, cellHeight, x, y, clip, pixel, shows);
    case 24: return PutTextRuns<24>(s, t, cellHeight, x, y, clip, pixel, shows);
    case 32: return PutTextRuns<32>(s, t, cellHeight, x, y, clip, pixel, shows);
    default: return;
  }
}

// ---- Lines ----------------------------------------------------------------------

// On/off run lengths of the styled cosmetic pens.
const std::vector<int>& StylePattern(int style) {
  static const std::vector<int> solid;
  static const std::vector<int> dash = {18, 6};
  static const std::vector<int> dot = {3, 3};
  static const std::vector<int> dashDot = {9, 6, 3, 6};
  static const std::vector<int> dashDotDot = {9, 3, 3, 3, 3, 3};
  switch (style) {
    case PS_DASH:
      return dash;
    case PS_DOT:
      return dot;
    case PS_DASHDOT:
      return dashDot;
    case PS_DASHDOTDOT:
      return dashDotDot;
    default:
      return solid;
  }
}

PenObj* PenOf(DCObj* dc) { return dc->pen ? dc->pen : static_cast<PenObj*>(Stock(BLACK_PEN)); }
BrushObj* BrushOf(DCObj* dc) { return dc->brush ? dc->brush : static_cast<BrushObj*>(Stock(WHITE_BRUSH)); }

int PenWidth(const PenObj* p) { return std::max<LONG>(p->lp.lopnWidth.x, 1); }
int PenStyle(const PenObj* p) { return static_cast<int>(p->lp.lopnStyle & 0xF); }

// A one-pixel line from (x0, y0) to (x1, y1), the last pixel left out; styled
// pens leave gaps (filled with the background colour in opaque mode).
void ThinLine(DCObj* dc, Surface& s, LONG x0, LONG y0, LONG x1, LONG y1) {
  PenObj* pen = PenOf(dc);
  int style = PenStyle(pen);
  if (style == PS_NULL) return;
  DWORD on = DcPixel(dc, s, pen->lp.lopnColor);
  DWORD off = DcPixel(dc, s, dc->bkColor);
  bool fillGaps = dc->bkMode == OPAQUE;
  const std::vector<int>& pattern = StylePattern(style);
  size_t seg = 0;
  int left = pattern.empty() ? 0 : pattern[0];
  // A line reaching far outside the bitmap is first cut to the bitmap's
  // neighbourhood, so that its length never costs more than the bitmap's size.
  std::int64_t span = 2 * (static_cast<std::int64_t>(s.width) + s.height) + 16;
  if (std::llabs(static_cast<long long>(x1) - x0) > span || std::llabs(static_cast<long long>(y1) - y0) > span) {
    double t0 = 0, t1 = 1;
    double px = x0, py = y0, qx = static_cast<double>(x1) - x0, qy = static_cast<double>(y1) - y0;
    const double lo[2] = {-1.0, -1.0}, hi[2] = {static_cast<double>(s.width), static_cast<double>(s.height)};
    const double p[2] = {px, py}, q[2] = {qx, qy};
    for (int k = 0; k < 2; ++k) {
      if (q[k] == 0) {
        if (p[k] < lo[k] || p[k] > hi[k]) return;
        continue;
      }
      double a = (lo[k] - p[k]) / q[k], b = (hi[k] - p[k]) / q[k];
      if (a > b) std::swap(a, b);
      t0 = std::max(t0, a);
      t1 = std::min(t1, b);
    }
    if (t0 > t1) return;
    LONG cx0 = static_cast<LONG>(std::lround(px + t0 * qx)), cy0 = static_cast<LONG>(std::lround(py + t0 * qy));
    LONG cx1 = static_cast<LONG>(std::lround(px + t1 * qx)), cy1 = static_cast<LONG>(std::lround(py + t1 * qy));
    if (t1 < 1) {
      // The cut end lies outside the bitmap: step one further so that the
      // last pixel inside is drawn.
      cx1 += cx1 > cx0 ? 1 : (cx1 < cx0 ? -1 : 0);
      cy1 += cy1 > cy0 ? 1 : (cy1 < cy0 ? -1 : 0);
    }
    x0 = cx0;
    y0 = cy0;
    x1 = cx1;
    y1 = cy1;
  }
  std::int64_t dx = std::llabs(static_cast<long long>(x1) - x0), dy = std::llabs(static_cast<long long>(y1) - y0);
  int sx = x0 < x1 ? 1 : -1, sy = y0 < y1 ? 1 : -1;
  std::int64_t err = dx - dy;
  std::int64_t x = x0, y = y0;
  std::int64_t steps = std::max(dx, dy);
  for (std::int64_t i = 0; i < steps; ++i) {
    bool draw = pattern.empty() || (seg % 2 == 0);
    if ((draw || fillGaps) && x >= 0 && y >= 0 && x < s.width && y < s.height)
      WritePixel(s, static_cast<LONG>(x), static_cast<LONG>(y), draw ? on : off);
    if (!pattern.empty() && --left == 0) {
      seg = (seg + 1) % pattern.size();
      left = pattern[seg];
    }
    std::int64_t e2 = 2 * err;
    if (e2 > -dy) {
      err -= dy;
      x += sx;
    }
    if (e2 < dx) {
      err += dx;
      y += sy;
    }
  }
}

void WideLine(DCObj* dc, Surface& s, LONG x0, LONG y0, LONG x1, LONG y1) {
  PenObj* pen = PenOf(dc);
  int w = PenWidth(pen);
  RECT region{std::min(x0, x1) - w, std::min(y0, y1) - w, std::max(x0, x1) + w + 1, std::max(y0, y1) + w + 1};
  COLORREF color = ResolveColor(dc, pen->lp.lopnColor, GdiPixelFormat{});
  PaintRegion(s, region, [&](QPainter& p) {
    QPen qpen(ToQColor(color));
    qpen.setWidth(w);
    qpen.setCapStyle(Qt::RoundCap);
    p.setPen(qpen);
    p.drawLine(QPointF(x0 + 0.5, y0 + 0.5), QPointF(x1 + 0.5, y1 + 0.5));
  });
}

void Line(DCObj* dc, Surface& s, LONG x0, LONG y0, LONG x1, LONG y1) {
  PenObj* pen = PenOf(dc);
  if (PenStyle(pen) == PS_NULL) return;
  if (PenWidth(pen) <= 1)
    ThinLine(dc, s, x0, y0, x1, y1);
  else
    WideLine(dc, s, x0, y0, x1, y1);
}

// ---- Blits ------------------------------------------------------------------------

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
    return static_cast<std::int64_t>((static_cast<__int128>(2 * r + 1) * srcExtent) / (2 * static_cast<__int128>(dstExtent)));
  };

  // Plain copies of the same format row by row.
  if (rop == SRCCOPY && identity && !src.keyed && !flipX && !flipY && wS == wD && hS == hD &&
      df.BitCount >= 8 && x0 < x1) {
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

// ---- DIB descriptions ----------------------------------------------------------

struct DibDesc {
  LONG width = 0, height = 0;  // height < 0: top-down
  int bitCount = 0;
  DWORD compression = BI_RGB;
  DWORD sizeImage = 0;
  DWORD masks[3] = {};
  std::vector<COLORREF> colors;
  BITMAPINFOHEADER header;
};

DWORD Le32(const BYTE* p) {
  return static_cast<DWORD>(p[0]) | (static_cast<DWORD>(p[1]) << 8) | (static_cast<DWORD>(p[2]) << 16) |
         (static_cast<DWORD>(p[3]) << 24);
}
WORD Le16(const BYTE* p) { return static_cast<WORD>(p[0] | (p[1] << 8)); }

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
  switch (d.bitCount) {
    case 1:
    case 2:
    case 4:
    case 8:
    case 16:
    case 24:
    case 32:
      break;
    default:
      return false;
  }
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

constexpr std::int64_t kMaxBitmapBytes = std::int64_t{1} << 30;

}  // namespace

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
  if (f.BitCount == 24) return RGB(static_cast<BYTE>(pixel >> 16), static_cast<BYTE>(pixel >> 8), static_cast<BYTE>(pixel));
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

// ---- Device contexts --------------------------------------------------------------

void EnsureGuiApplication() {
  if (QCoreApplication::instance()) return;
  if (!std::getenv("QT_QPA_PLATFORM") && !std::getenv("DISPLAY") && !std::getenv("WAYLAND_DISPLAY"))
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
  static int argc = 1;
  static char name[] = "brask";
  static char* argv[] = {name, nullptr};
  new QApplication(argc, argv);  // lives for the process, as the toolkit's application does
}

HDC CreateDCOverBits(void* bits, LONG width, LONG height, LONG pitch, int bitCount, DWORD rMask, DWORD gMask,
                     DWORD bMask, const PALETTEENTRY* palette, int paletteCount) {
  switch (bitCount) {
    case 1:
    case 2:
    case 4:
    case 8:
    case 16:
    case 24:
    case 32:
      break;
    default:
      return nullptr;
  }
  if (!bits || width < 0 || height < 0) return nullptr;
  if (static_cast<std::int64_t>(std::abs(static_cast<long long>(pitch))) * 8 < static_cast<std::int64_t>(width) * bitCount)
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
    case BITSPIXEL:
      return bits;
    case PLANES:
      return 1;
    case RASTERCAPS:
      return RC_BITBLT | RC_DI_BITMAP | RC_DIBTODEV | RC_STRETCHBLT | RC_STRETCHDIB | (indexed ? RC_PALETTE : 0);
    case SIZEPALETTE:
      return indexed ? 1 << bits : 0;
    case NUMRESERVED:
      return indexed ? 20 : 0;
    case NUMCOLORS:
      return bits >= 8 ? (bits == 8 ? 20 : -1) : 1 << bits;
    case HORZRES:
    case VERTRES: {
      if (dc->dcKind == DCObj::OverBits) return index == HORZRES ? dc->own.width : dc->own.height;
      return GetSystemMetrics(index == HORZRES ? 0 : 1);
    }
    case LOGPIXELSX:
    case LOGPIXELSY:
      return 96;
    default:
      return 0;
  }
}

int GetObjectType(HGDIOBJ h) {
  auto* obj = Lookup<GdiObject>(h);
  if (!obj) return 0;
  switch (obj->kind) {
    case Kind::Pen:
      return OBJ_PEN;
    case Kind::Brush:
      return OBJ_BRUSH;
    case Kind::Font:
      return OBJ_FONT;
    case Kind::Bitmap:
      return OBJ_BITMAP;
    case Kind::Palette:
      return OBJ_PAL;
    case Kind::DC:
      return static_cast<DCObj*>(obj)->dcKind == DCObj::Memory ? OBJ_MEMDC : OBJ_DC;
  }
  return 0;
}

BOOL GdiFlush() { return TRUE; }

size_t GdiTextCacheSize() { return TextImages().Size(); }
size_t GdiTextCacheCapacity() { return TextImageCache::MaxEntries; }
void GdiClearTextCache() { TextImages().Clear(); }
void SetGdiTextThroughPainter(bool on) { gTextThroughPainter = on; }

int GdiLiveObjectCount() {
  int n = 0;
  Live().ForEach([&](GdiObject* o) {
    if (!o->stock) ++n;
  });
  return n;
}

// ---- Objects ------------------------------------------------------------------------

HGDIOBJ SelectObject(HDC hdc, HGDIOBJ h) {
  auto* dc = Lookup<DCObj>(hdc);
  auto* obj = Lookup<GdiObject>(h);
  if (!dc || !obj) return nullptr;
  switch (obj->kind) {
    case Kind::Pen: {
      PenObj* old = PenOf(dc);
      SelectTyped(dc->pen, static_cast<PenObj*>(obj));
      return old;
    }
    case Kind::Brush: {
      BrushObj* old = BrushOf(dc);
      SelectTyped(dc->brush, static_cast<BrushObj*>(obj));
      return old;
    }
    case Kind::Font: {
      GdiObject* old = dc->font ? static_cast<GdiObject*>(dc->font) : Stock(SYSTEM_FONT);
      SelectTyped(dc->font, static_cast<FontObj*>(obj));
      return old;
    }
    case Kind::Bitmap: {
      auto* bmp = static_cast<BitmapObj*>(obj);
      if (dc->dcKind != DCObj::Memory) return nullptr;
      if (bmp == dc->bitmap) return bmp;
      if (bmp->selectCount > 0 && !bmp->stock) return nullptr;  // a bitmap lives in one DC at a time
      BitmapObj* old = dc->bitmap;
      SelectTyped(dc->bitmap, bmp);
      return old;
    }
    default:
      return nullptr;
  }
}

BOOL DeleteObject(HGDIOBJ h) {
  auto* obj = Lookup<GdiObject>(h);
  if (!obj || obj->kind == Kind::DC) return FALSE;
  if (obj->stock) return TRUE;
  if (obj->selectCount > 0) return FALSE;
  Live().erase(obj);
  delete obj;
  return TRUE;
}

HGDIOBJ GetStockObject(int i) { return Stock(i); }

HGDIOBJ GetCurrentObject(HDC hdc, UINT type) {
  auto* dc = Lookup<DCObj>(hdc);
  if (!dc) return nullptr;
  switch (type) {
    case OBJ_PEN:
      return PenOf(dc);
    case OBJ_BRUSH:
      return BrushOf(dc);
    case OBJ_FONT:
      return dc->font ? static_cast<GdiObject*>(dc->font) : Stock(SYSTEM_FONT);
    case OBJ_PAL:
      return dc->palette ? static_cast<GdiObject*>(dc->palette) : Stock(DEFAULT_PALETTE);
    case OBJ_BITMAP:
      return dc->bitmap;
    default:
      return nullptr;
  }
}

int GetObject(HGDIOBJ h, int c, void* pv) {
  auto* obj = Lookup<GdiObject>(h);
  if (!obj) return 0;
  auto give = [&](const void* data, int size) -> int {
    if (!pv) return size;
    int n = std::min(c, size);
    if (n <= 0) return 0;
    std::memcpy(pv, data, static_cast<size_t>(n));
    return n;
  };
  switch (obj->kind) {
    case Kind::Pen:
      return give(&static_cast<PenObj*>(obj)->lp, sizeof(LOGPEN));
    case Kind::Brush:
      return give(&static_cast<BrushObj*>(obj)->lb, sizeof(LOGBRUSH));
    case Kind::Font:
      return give(&static_cast<FontObj*>(obj)->lf, sizeof(LOGFONTA));
    case Kind::Palette: {
      WORD n = static_cast<WORD>(static_cast<PaletteObj*>(obj)->entries.size());
      return give(&n, sizeof(WORD));
    }
    case Kind::Bitmap: {
      auto* b = static_cast<BitmapObj*>(obj);
      DIBSECTION ds;
      ds.dsBm.bmWidth = b->s.width;
      ds.dsBm.bmHeight = b->s.height;
      ds.dsBm.bmWidthBytes = b->widthBytes;
      ds.dsBm.bmPlanes = 1;
      ds.dsBm.bmBitsPixel = static_cast<WORD>(b->s.format.BitCount);
      ds.dsBm.bmBits = b->dib ? b->store.data() : nullptr;
      if (!b->dib || !pv || c < static_cast<int>(sizeof(DIBSECTION)))
        return b->dib && !pv ? static_cast<int>(sizeof(DIBSECTION)) : give(&ds.dsBm, sizeof(BITMAP));
      ds.dsBmih = b->bmih;
      if (b->s.format.BitCount == 16 || b->s.format.BitCount == 32) {
        ds.dsBitfields[0] = b->s.format.RMask;
        ds.dsBitfields[1] = b->s.format.GMask;
        ds.dsBitfields[2] = b->s.format.BMask;
      }
      return give(&ds, sizeof(DIBSECTION));
    }
    default:
      return 0;
  }
}

HPEN CreatePen(int style, int width, COLORREF color) {
  auto* p = new PenObj;
  p->lp.lopnStyle = static_cast<UINT>(style);
  p->lp.lopnWidth.x = width;
  p->lp.lopnColor = color;
  return reinterpret_cast<HPEN>(Register(p));
}

HPEN CreatePenIndirect(const LOGPEN* lp) {
  if (!lp) return nullptr;
  return CreatePen(static_cast<int>(lp->lopnStyle), lp->lopnWidth.x, lp->lopnColor);
}

HBRUSH CreateSolidBrush(COLORREF color) {
  auto* b = new BrushObj;
  b->lb.lbStyle = BS_SOLID;
  b->lb.lbColor = color;
  return reinterpret_cast<HBRUSH>(Register(b));
}

HBRUSH CreateBrushIndirect(const LOGBRUSH* lb) {
  if (!lb) return nullptr;
  auto* b = new BrushObj;
  b->lb = *lb;
  if (b->lb.lbStyle != BS_NULL) b->lb.lbStyle = BS_SOLID;
  return reinterpret_cast<HBRUSH>(Register(b));
}

HFONT CreateFontIndirectA(const LOGFONTA* lf) {
  if (!lf) return nullptr;
  auto* f = new FontObj;
  f->lf = *lf;
  return reinterpret_cast<HFONT>(Register(f));
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
  if (w <= 0 || h <= 0) {
    w = h = 1;
  }
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

// ---- Palettes -------------------------------------------------------------------------

HPALETTE CreatePalette(const LOGPALETTE* plpal) {
  if (!plpal || plpal->palNumEntries == 0) return nullptr;
  auto* p = new PaletteObj;
  const PALETTEENTRY* e = plpal->palPalEntry;
  p->entries.assign(e, e + plpal->palNumEntries);
  return reinterpret_cast<HPALETTE>(Register(p));
}

HPALETTE SelectPalette(HDC hdc, HPALETTE hpal, BOOL) {
  auto* dc = Lookup<DCObj>(hdc);
  auto* pal = Lookup<PaletteObj>(hpal);
  if (!dc || !pal) return nullptr;
  PaletteObj* old = dc->palette ? dc->palette : DefaultPalette();
  SelectTyped(dc->palette, pal == DefaultPalette() ? static_cast<PaletteObj*>(nullptr) : pal);
  return reinterpret_cast<HPALETTE>(old);
}

UINT RealizePalette(HDC hdc) {
  auto* dc = Lookup<DCObj>(hdc);
  if (!dc) return GDI_ERROR;
  if (!dc->palette) return 0;
  PALETTEENTRY* sys = SystemPalette();
  const auto& e = dc->palette->entries;
  for (size_t i = 10; i < 246 && i < e.size(); ++i) {
    sys[i] = e[i];
    sys[i].peFlags = 0;
  }
  return static_cast<UINT>(e.size());
}

UINT GetPaletteEntries(HPALETTE hpal, UINT start, UINT count, PALETTEENTRY* entries) {
  auto* pal = Lookup<PaletteObj>(hpal);
  if (!pal) return 0;
  if (!entries) return static_cast<UINT>(pal->entries.size());
  UINT n = 0;
  for (UINT i = start; i < pal->entries.size() && n < count; ++i, ++n) entries[n] = pal->entries[i];
  return n;
}

UINT SetPaletteEntries(HPALETTE hpal, UINT start, UINT count, const PALETTEENTRY* entries) {
  auto* pal = Lookup<PaletteObj>(hpal);
  if (!pal || !entries || pal->stock) return 0;
  UINT n = 0;
  for (UINT i = start; i < pal->entries.size() && n < count; ++i, ++n) pal->entries[i] = entries[n];
  return n;
}

UINT GetNearestPaletteIndex(HPALETTE hpal, COLORREF color) {
  auto* pal = Lookup<PaletteObj>(hpal);
  if (!pal || pal->entries.empty()) return CLR_INVALID;
  std::vector<COLORREF> colors;
  colors.reserve(pal->entries.size());
  for (const auto& e : pal->entries) colors.push_back(EntryColor(e));
  return NearestColorIndex(colors.data(), colors.size(), color);
}

UINT GetSystemPaletteEntries(HDC hdc, UINT start, UINT count, PALETTEENTRY* entries) {
  if (hdc && !Lookup<DCObj>(hdc)) return 0;
  if (!entries) return 256;
  PALETTEENTRY* sys = SystemPalette();
  UINT n = 0;
  for (UINT i = start; i < 256 && n < count; ++i, ++n) entries[n] = sys[i];
  return n;
}

// ---- Drawing ---------------------------------------------------------------------------

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

COLORREF GetPixel(HDC hdc, int x, int y) {
  auto* dc = Lookup<DCObj>(hdc);
  Surface* s = dc ? SurfaceOf(dc) : nullptr;
  if (!s || !Inside(*s, x, y)) return CLR_INVALID;
  return PixelToColor(s->format, ReadPixel(*s, x, y));
}

COLORREF SetPixel(HDC hdc, int x, int y, COLORREF color) {
  auto* dc = Lookup<DCObj>(hdc);
  Surface* s = dc ? SurfaceOf(dc) : nullptr;
  if (!s || !Inside(*s, x, y)) return CLR_INVALID;
  DWORD v = DcPixel(dc, *s, color);
  WritePixel(*s, x, y, v);
  return PixelToColor(s->format, v);
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

BOOL LineTo(HDC hdc, int x, int y) {
  auto* dc = Lookup<DCObj>(hdc);
  if (!dc) return FALSE;
  Surface* s = SurfaceOf(dc);
  if (s) Line(dc, *s, dc->pos.x, dc->pos.y, x, y);
  dc->pos = POINT{x, y};
  return TRUE;
}

BOOL Rectangle(HDC hdc, int left, int top, int right, int bottom) {
  auto* dc = Lookup<DCObj>(hdc);
  if (!dc) return FALSE;
  Surface* s = SurfaceOf(dc);
  if (!s) return TRUE;
  if (left > right) std::swap(left, right);
  if (top > bottom) std::swap(top, bottom);
  PenObj* pen = PenOf(dc);
  BrushObj* brush = BrushOf(dc);
  bool nullPen = PenStyle(pen) == PS_NULL;
  if (brush->lb.lbStyle != BS_NULL) {
    RECT inner = nullPen ? RECT{left, top, right, bottom} : RECT{left + 1, top + 1, right - 1, bottom - 1};
    FillSurface(*s, inner, DcPixel(dc, *s, brush->lb.lbColor));
  }
  if (nullPen || right - left < 1 || bottom - top < 1) return TRUE;
  int w = PenWidth(pen);
  if (w <= 1 && StylePattern(PenStyle(pen)).empty()) {
    // A solid outline: the four edges the closed line covers, filled.
    DWORD v = DcPixel(dc, *s, pen->lp.lopnColor);
    FillSurface(*s, RECT{left, top, right, top + 1}, v);
    FillSurface(*s, RECT{left, bottom - 1, right, bottom}, v);
    FillSurface(*s, RECT{left, top, left + 1, bottom}, v);
    FillSurface(*s, RECT{right - 1, top, right, bottom}, v);
  } else if (w <= 1) {
    // The closed outline on the last pixels inside the rectangle.
    ThinLine(dc, *s, left, top, right - 1, top);
    ThinLine(dc, *s, right - 1, top, right - 1, bottom - 1);
    ThinLine(dc, *s, right - 1, bottom - 1, left, bottom - 1);
    ThinLine(dc, *s, left, bottom - 1, left, top);
    if (right - left == 1 || bottom - top == 1) FillSurface(*s, RECT{left, top, right, bottom}, DcPixel(dc, *s, pen->lp.lopnColor));
  } else {
    // A wide pen lies inside the rectangle's edges.
    DWORD v = DcPixel(dc, *s, pen->lp.lopnColor);
    FillSurface(*s, RECT{left, top, right, std::min(top + w, bottom)}, v);
    FillSurface(*s, RECT{left, std::max(bottom - w, top), right, bottom}, v);
    FillSurface(*s, RECT{left, top, std::min(left + w, right), bottom}, v);
    FillSurface(*s, RECT{std::max(right - w, left), top, right, bottom}, v);
  }
  return TRUE;
}

BOOL Ellipse(HDC hdc, int left, int top, int right, int bottom) {
  auto* dc = Lookup<DCObj>(hdc);
  if (!dc) return FALSE;
  Surface* s = SurfaceOf(dc);
  if (!s) return TRUE;
  if (left > right) std::swap(left, right);
  if (top > bottom) std::swap(top, bottom);
  if (right - left < 2 || bottom - top < 2) return TRUE;
  PenObj* pen = PenOf(dc);
  BrushObj* brush = BrushOf(dc);
  GdiPixelFormat direct;
  COLORREF penColor = ResolveColor(dc, pen->lp.lopnColor, direct);
  COLORREF brushColor = ResolveColor(dc, brush->lb.lbColor, direct);
  PaintRegion(*s, RECT{left, top, right, bottom}, [&](QPainter& p) {
    if (PenStyle(pen) == PS_NULL) {
      p.setPen(Qt::NoPen);
    } else {
      QPen qpen(ToQColor(penColor));
      qpen.setWidth(PenWidth(pen) <= 1 ? 0 : PenWidth(pen));
      p.setPen(qpen);
    }
    if (brush->lb.lbStyle == BS_NULL)
      p.setBrush(Qt::NoBrush);
    else
      p.setBrush(ToQColor(brushColor));
    p.drawEllipse(QRectF(left, top, right - left - 1, bottom - top - 1));
  });
  return TRUE;
}

int FillRect(HDC hdc, const RECT* rc, HBRUSH hbr) {
  auto* dc = Lookup<DCObj>(hdc);
  auto* brush = Lookup<BrushObj>(hbr);
  if (!dc || !rc || !brush) return 0;
  Surface* s = SurfaceOf(dc);
  if (s && brush->lb.lbStyle != BS_NULL) FillSurface(*s, *rc, DcPixel(dc, *s, brush->lb.lbColor));
  return 1;
}

int FrameRect(HDC hdc, const RECT* rc, HBRUSH hbr) {
  auto* dc = Lookup<DCObj>(hdc);
  auto* brush = Lookup<BrushObj>(hbr);
  if (!dc || !rc || !brush) return 0;
  Surface* s = SurfaceOf(dc);
  if (!s || brush->lb.lbStyle == BS_NULL || rc->right <= rc->left || rc->bottom <= rc->top) return 1;
  DWORD v = DcPixel(dc, *s, brush->lb.lbColor);
  FillSurface(*s, RECT{rc->left, rc->top, rc->right, rc->top + 1}, v);
  FillSurface(*s, RECT{rc->left, rc->bottom - 1, rc->right, rc->bottom}, v);
  FillSurface(*s, RECT{rc->left, rc->top, rc->left + 1, rc->bottom}, v);
  FillSurface(*s, RECT{rc->right - 1, rc->top, rc->right, rc->bottom}, v);
  return 1;
}

BOOL PatBlt(HDC hdc, int x, int y, int w, int h, DWORD rop) {
  auto* dc = Lookup<DCObj>(hdc);
  if (!dc) return FALSE;
  return StretchCore(dc, x, y, w, h, SourceInfo{}, 0, 0, w, h, rop);
}

BOOL GetTextExtentPoint32A(HDC hdc, const char* text, int count, SIZE* size) {
  auto* dc = Lookup<DCObj>(hdc);
  if (!dc || !size || count < 0 || (count > 0 && !text)) return FALSE;
  FontObj* f = FontObjOf(dc);
  size->cx = count ? TextImageOf(dc, text, static_cast<UINT>(count), false).width : 0;
  size->cy = f->height;
  return TRUE;
}

BOOL ExtTextOutA(HDC hdc, int x, int y, UINT options, const RECT* rect, const char* text, UINT count, const INT*) {
  auto* dc = Lookup<DCObj>(hdc);
  if (!dc || (count > 0 && !text)) return FALSE;
  Surface* s = SurfaceOf(dc);
  if (!s) return TRUE;
  FontObj* f = FontObjOf(dc);
  TextImage* image = count ? &TextImageOf(dc, text, count, !gTextThroughPainter) : nullptr;
  const int width = image ? image->width : 0;
  auto clampLong = [](std::int64_t v) {
    return static_cast<LONG>(std::clamp<std::int64_t>(v, std::numeric_limits<LONG>::min(), std::numeric_limits<LONG>::max()));
  };
  RECT cell{x, y, clampLong(std::int64_t{x} + width), clampLong(std::int64_t{y} + f->height)};
  RECT clip = cell;
  bool clipped = rect && (options & ETO_CLIPPED);
  if (clipped) {
    clip.left = std::max(clip.left, rect->left);
    clip.top = std::max(clip.top, rect->top);
    clip.right = std::min(clip.right, rect->right);
    clip.bottom = std::min(clip.bottom, rect->bottom);
  }
  if (rect && (options & ETO_OPAQUE)) FillSurface(*s, *rect, DcPixel(dc, *s, dc->bkColor));
  if (dc->bkMode == OPAQUE) FillSurface(*s, clip, DcPixel(dc, *s, dc->bkColor));
  if (count == 0 || clip.left >= clip.right || clip.top >= clip.bottom) return TRUE;
  COLORREF color = ResolveColor(dc, dc->textColor, GdiPixelFormat{});
  if (image->hasRuns && !gTextThroughPainter) {
    RECT inside{std::max<LONG>(clip.left, 0), std::max<LONG>(clip.top, 0), std::min<LONG>(clip.right, s->width),
                std::min<LONG>(clip.bottom, s->height)};
    if (inside.left < inside.right && inside.top < inside.bottom) PutText(*s, *image, f->height, x, y, inside, color);
    return TRUE;
  }
  const QFont& font = *f->qfont;
  const int ascent = f->ascent;
  QString str = DecodeText(text, static_cast<int>(count));
  PaintRegion(*s, clip, [&](QPainter& p) {
    p.setFont(font);
    p.setPen(ToQColor(color));
    p.drawText(QPoint(x, y + ascent), str);
  });
  return TRUE;
}

BOOL TextOutA(HDC hdc, int x, int y, const char* text, int count) {
  if (count < 0) return FALSE;
  return ExtTextOutA(hdc, x, y, 0, nullptr, text, static_cast<UINT>(count), nullptr);
}

BOOL BitBlt(HDC dest, int x, int y, int cx, int cy, HDC src, int x1, int y1, DWORD rop) {
  return StretchBlt(dest, x, y, cx, cy, src, x1, y1, cx, cy, rop);
}

BOOL StretchBlt(HDC dest, int xDest, int yDest, int wDest, int hDest, HDC src, int xSrc, int ySrc, int wSrc,
                int hSrc, DWORD rop) {
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
  if (info.s && info.s->format.Indexed() && (transparent >> 24) == 1) info.key = PixelToColor(info.s->format, transparent & 0xFFFF);
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
