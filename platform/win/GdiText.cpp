// Text: fonts made once with their metrics, texts measured and drawn through
// the cache of text images, and the painter for what the cache cannot keep.
#include "platform/win/GdiInternal.h"

#include "platform/rtl/Cp1250.h"

#include <QFont>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <QString>

#include <algorithm>
#include <cstring>
#include <limits>
#include <list>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>

using namespace GdiInternal;

namespace {

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
      case Indexed: return (raw < FFormat.Colors.size() ? FFormat.Colors[raw] & 0xFFFFFF : RGB(0, 0, 0)) == FColor;
      case Masked: return FExact && (raw & FMask) == FValue;
      default: return PixelToColor(FFormat, raw) == FColor;
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

}  // namespace

size_t GdiTextCacheSize() { return TextImages().Size(); }
size_t GdiTextCacheCapacity() { return TextImageCache::MaxEntries; }
void GdiClearTextCache() { TextImages().Clear(); }
void SetGdiTextThroughPainter(bool on) { gTextThroughPainter = on; }

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
    return static_cast<LONG>(
        std::clamp<std::int64_t>(v, std::numeric_limits<LONG>::min(), std::numeric_limits<LONG>::max()));
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
    RECT inside = clip;
    if (ClipToSurface(*s, inside)) PutText(*s, *image, f->height, x, y, inside, color);
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
