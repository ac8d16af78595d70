// The painter over Qt: what the GDI does not write itself (text the cache
// cannot keep, wide lines, ellipses) Qt paints on a 32-bit copy of the
// covered rectangle, and the pixels it changed go back in the bitmap's own
// format.
#include "platform/win/GdiInternal.h"

#include <QApplication>
#include <QColor>
#include <QImage>
#include <QPainter>

#include <algorithm>
#include <cstdlib>
#include <unordered_map>
#include <vector>

using namespace GdiInternal;

void EnsureGuiApplication() {
  if (QCoreApplication::instance()) return;
  if (!std::getenv("QT_QPA_PLATFORM") && !std::getenv("DISPLAY") && !std::getenv("WAYLAND_DISPLAY"))
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
  static int argc = 1;
  static char name[] = "brask";
  static char* argv[] = {name, nullptr};
  new QApplication(argc, argv);  // lives for the process, as the toolkit's application does
}

namespace GdiInternal {

// ---- Qt painting through a 32-bit copy ----------------------------------------

// Paints on a 32-bit copy of Region of the surface and writes back every pixel
// the painter changed, through ColorToPixel.
void PaintRegionWith(Surface& s, RECT region, void (*paint)(void* context, QPainter& p), void* context) {
  if (!ClipToSurface(s, region)) return;
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
    paint(context, p);
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

}  // namespace GdiInternal
