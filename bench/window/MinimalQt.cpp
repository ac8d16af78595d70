// The least a Qt program does to show a game's frames: a widget that paints
// a 792 x 478 32-bit image, and a 16 ms timer that copies the next frame
// into it (one memcpy) and asks for a repaint. Its cost a frame on a display
// is the yardstick for the game's presentation.
//
//   bench_minimal_qt [seconds] [--panel [--per-rect]]
//
// --panel lays another widget of the window over the image's right side, as
// the game's command panel lies over its drawing control, so that the
// image's repaint region is several rectangles (which Qt paints through its
// thread pool); --per-rect then repaints the visible part of the image one
// rectangle at a time, as the game's window does.
#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QTimer>
#include <QWidget>

#include <cstring>
#include <string>
#include <vector>

#include "bench/window/FrameMeter.h"

namespace {

constexpr int FrameW = 792, FrameH = 478;

class TView : public QWidget {
 public:
  explicit TView(bool PerRect) : FPerRect(PerRect), FImage(FrameW, FrameH, QImage::Format_RGB32) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    // Two frames to alternate between, so that every copy changes pixels.
    for (int f = 0; f < 2; ++f) {
      FFrames[f].resize(static_cast<size_t>(FrameW) * FrameH);
      for (int y = 0; y < FrameH; ++y)
        for (int x = 0; x < FrameW; ++x)
          FFrames[f][static_cast<size_t>(y) * FrameW + x] = 0xFF000000u | ((x + 7 * f) * 0x10101u ^ (y << 8));
    }
  }
  void NextFrame() {
    std::memcpy(FImage.bits(), FFrames[FNext].data(), FFrames[FNext].size() * 4);
    FNext ^= 1;
    if (!FPerRect) {
      update();
      return;
    }
    for (const QRect& r : visibleRegion()) repaint(r);
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter p(this);
    p.drawImage(0, 0, FImage);
  }

 private:
  bool FPerRect;
  QImage FImage;
  std::vector<quint32> FFrames[2];
  int FNext = 0;
};

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  double seconds = 30;
  bool panel = false, perRect = false;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if (a == "--panel")
      panel = true;
    else if (a == "--per-rect")
      perRect = true;
    else
      seconds = std::stod(a);
  }
  // The window holds the view and, with --panel, a panel beside it in the
  // window that lies over the view's right side, as the game's command
  // panel lies over its drawing control.
  QWidget window;
  window.setWindowTitle("minimal");
  window.setFixedSize(FrameW, FrameH);
  TView view(perRect);
  view.setParent(&window);
  view.setGeometry(0, 0, FrameW, FrameH);
  if (panel) {
    auto* side = new QWidget(&window);
    side->setAutoFillBackground(true);
    side->setGeometry(FrameW - 120, 40, 120, 300);
    side->raise();
  }
  window.show();
  TFrameMeter meter(&view);
  QTimer tick;
  QObject::connect(&tick, &QTimer::timeout, [&] { view.NextFrame(); });
  tick.start(16);
  QTimer::singleShot(3000, [&] { meter.Start(); });
  QTimer::singleShot(static_cast<int>(3000 + seconds * 1000), [&] {
    meter.Report(std::string("minimal Qt 792x478") + (panel ? (perRect ? ", panel, per rectangle" : ", panel") : ""));
    app.quit();
  });
  return app.exec();
}
