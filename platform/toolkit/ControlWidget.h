// The widget behind every windowed control: it paints the control's pixels
// (its own image, or pixels shown in place) and passes Qt's input and
// window-system events to the toolkit as messages.
#pragma once

#include <QImage>
#include <QWidget>

#include "platform/toolkit/Controls.h"

// The widget of a windowed control. It paints the control's client backing
// image, into which presented pixels (and later the canvas) go, and passes
// its input and window-system events to the toolkit as messages.
class TControlWidget : public QWidget {
 public:
  TControlWidget(TWinControl* Control, QWidget* Parent);
  TWinControl* Control() const { return FControl; }
  // The control is going: the widget stays quiet until Qt deletes it.
  void Detach() { FControl = nullptr; }

  ~TControlWidget() override;

  // Client-sized 32-bit XRGB image: what the window shows on the screen.
  // Presented pixels and canvas drawing go straight into it. While the
  // window shows pixels in place, it takes its own copy of them first.
  QImage& Backing() {
    if (!FInPlace.isNull()) EndInPlace();
    return FBacking;
  }
  void ResizeBacking(int Width, int Height);
  QSize BackingSize() const { return FBacking.size(); }
  // Showing in place: the window paints Pixels (client-sized 32-bit XRGB
  // over memory that is not its own, the top byte unused) in place of its
  // own image, with no copy, until EndInPlace. Owner names that memory. The
  // canvases over the window's own image let go of it, so that the next
  // drawing on them takes the copy first.
  void ShowInPlace(const QImage& Pixels, const void* Owner);
  // Whether the window shows Owner's pixels in place from Bits.
  bool ShowsInPlace(const void* Owner, const uchar* Bits) const {
    return !FInPlace.isNull() && FInPlaceOwner == Owner && (!Bits || FInPlace.constBits() == Bits);
  }
  // The window takes its own copy of the pixels it shows in place (their
  // top byte set, as presented pixels have it) and paints that from here on.
  void EndInPlace();
  // The window's pixels as it shows them now, as its own image.
  QImage ShownImage() const;
  bool InPaint() const { return FInPaint; }
  // Marks the window for repainting: at the next paint it is cleared to its
  // colour and the control paints itself again (WM_PAINT).
  void Invalidate();
  bool NeedsRender() const { return FNeedsRender; }
  // Repaints the backing image now if it is marked.
  void RenderIfNeeded();
  // Shows Rect of the window's pixels (client coordinates: below the menu
  // bar of a form that has one) on the screen now, one rectangle of the
  // part of it that no other window covers at a time (Qt hands a
  // repaint of a region of several rectangles to its thread pool, which
  // costs more than the copies). While one of our widgets paints, the
  // rectangle is shown at the next repaint instead.
  void ShowNow(const QRect& Rect);

 protected:
  bool event(QEvent* Event) override;
  void paintEvent(QPaintEvent* Event) override;

 private:
  void Render();

  // Stops showing pixels in place without taking a copy of them.
  void DropInPlace();

  TWinControl* FControl;
  QImage FBacking;
  QImage FInPlace;
  const void* FInPlaceOwner = nullptr;
  bool FInPaint = false;
  bool FNeedsRender = true;
};

// Every window that shows Owner's pixels in place (every window's pixels,
// for a null Owner) takes its own copy of them, except Keep when it shows
// them from KeepBits.
void EndInPlaceShowing(const void* Owner, const TControlWidget* Keep, const uchar* KeepBits);

// The window's pixels as they show, its child windows included.
QImage ComposeWindowImage(QWidget* Widget);
// A canvas's pixels moved or went (resize, new window): its DC is let go.
void ReleaseCanvasesOf(const TControl* Control);
