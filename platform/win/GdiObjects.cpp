// GDI objects: the registry of live handles, the stock objects, selecting,
// deleting and describing objects, and creating pens, brushes and fonts.
#include "platform/win/GdiInternal.h"

#include <algorithm>
#include <cstring>
#include <iterator>

using namespace GdiInternal;

LiveSet& GdiInternal::Live() {
  // Never destroyed: objects freed by static destructors at exit still find it.
  static auto* live = new LiveSet;
  return *live;
}

// ---- Stock objects ------------------------------------------------------------

namespace {

GdiObject* MakeStock(int i) {
  switch (i) {
    case WHITE_BRUSH:
    case LTGRAY_BRUSH:
    case GRAY_BRUSH:
    case DKGRAY_BRUSH:
    case BLACK_BRUSH:
    case NULL_BRUSH: {
      static const COLORREF colors[] = {RGB(255, 255, 255), RGB(192, 192, 192), RGB(128, 128, 128),
                                        RGB(64, 64, 64),    RGB(0, 0, 0),       0};
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
    default: return nullptr;
  }
}

}  // namespace

namespace GdiInternal {

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

}  // namespace GdiInternal

int GetObjectType(HGDIOBJ h) {
  auto* obj = Lookup<GdiObject>(h);
  if (!obj) return 0;
  switch (obj->kind) {
    case Kind::Pen: return OBJ_PEN;
    case Kind::Brush: return OBJ_BRUSH;
    case Kind::Font: return OBJ_FONT;
    case Kind::Bitmap: return OBJ_BITMAP;
    case Kind::Palette: return OBJ_PAL;
    case Kind::DC: return static_cast<DCObj*>(obj)->dcKind == DCObj::Memory ? OBJ_MEMDC : OBJ_DC;
  }
  return 0;
}

BOOL GdiFlush() { return TRUE; }

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
    default: return nullptr;
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
    case OBJ_PEN: return PenOf(dc);
    case OBJ_BRUSH: return BrushOf(dc);
    case OBJ_FONT: return dc->font ? static_cast<GdiObject*>(dc->font) : Stock(SYSTEM_FONT);
    case OBJ_PAL: return dc->palette ? static_cast<GdiObject*>(dc->palette) : Stock(DEFAULT_PALETTE);
    case OBJ_BITMAP: return dc->bitmap;
    default: return nullptr;
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
    case Kind::Pen: return give(&static_cast<PenObj*>(obj)->lp, sizeof(LOGPEN));
    case Kind::Brush: return give(&static_cast<BrushObj*>(obj)->lb, sizeof(LOGBRUSH));
    case Kind::Font: return give(&static_cast<FontObj*>(obj)->lf, sizeof(LOGFONTA));
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
    default: return 0;
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
