// Drawing with the DC's pen and brush: pixels, lines, rectangles, ellipses and
// fills. Fills and thin lines are written straight into the pixels; wide lines
// and ellipses go through the region painter.
#include "platform/win/GdiInternal.h"

#include <QPainter>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

using namespace GdiInternal;

namespace GdiInternal {

void FillSurface(Surface& s, RECT r, DWORD pixel) {
  if (!ClipToSurface(s, r)) return;
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

}  // namespace GdiInternal

namespace {

bool Inside(const Surface& s, LONG x, LONG y) { return x >= 0 && y >= 0 && x < s.width && y < s.height; }

// ---- Lines ----------------------------------------------------------------------

// On/off run lengths of the styled cosmetic pens.
const std::vector<int>& StylePattern(int style) {
  static const std::vector<int> solid;
  static const std::vector<int> dash = {18, 6};
  static const std::vector<int> dot = {3, 3};
  static const std::vector<int> dashDot = {9, 6, 3, 6};
  static const std::vector<int> dashDotDot = {9, 3, 3, 3, 3, 3};
  switch (style) {
    case PS_DASH: return dash;
    case PS_DOT: return dot;
    case PS_DASHDOT: return dashDot;
    case PS_DASHDOTDOT: return dashDotDot;
    default: return solid;
  }
}

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

}  // namespace

// ---- Drawing ---------------------------------------------------------------------------

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
    if (right - left == 1 || bottom - top == 1)
      FillSurface(*s, RECT{left, top, right, bottom}, DcPixel(dc, *s, pen->lp.lopnColor));
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
