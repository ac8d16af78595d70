#include "platform/toolkit/ControlWidget.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>
#include <algorithm>
#include <vector>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "platform/toolkit/Forms.h"
#include "platform/toolkit/HandleRegistry.h"
#include "platform/toolkit/InputDispatch.h"
#include "platform/toolkit/TextConvert.h"

// ---------------------------------------------------------------------------
// The widget

namespace {

int gPainting = 0;  // paints of our widgets under way

// The widgets that show pixels in place now. Never freed, so that surfaces
// that go at the program's exit still find it.
std::vector<TControlWidget*>& InPlaceWidgets() {
  static auto* widgets = new std::vector<TControlWidget*>;
  return *widgets;
}

void Unlist(TControlWidget* Widget) {
  auto& list = InPlaceWidgets();
  list.erase(std::remove(list.begin(), list.end(), Widget), list.end());
}

// Copies Count 32-bit pixels with their top byte set, as presented pixels
// have it.
void OpaqueRow(quint32* Out, const quint32* In, int Count) {
  int i = 0;
#if defined(__SSE2__)
  const __m128i top = _mm_set1_epi32(static_cast<int>(0xFF000000u));
  for (; i + 4 <= Count; i += 4)
    _mm_storeu_si128(reinterpret_cast<__m128i*>(Out + i),
                     _mm_or_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(In + i)), top));
#endif
  for (; i < Count; ++i) Out[i] = In[i] | 0xFF000000u;
}

void CopyOpaque(QImage& Out, const QImage& In) {
  for (int y = 0; y < In.height(); ++y)
    OpaqueRow(reinterpret_cast<quint32*>(Out.scanLine(y)), reinterpret_cast<const quint32*>(In.constScanLine(y)),
              In.width());
}

}  // namespace

TControlWidget::TControlWidget(TWinControl* Control, QWidget* Parent) : QWidget(Parent), FControl(Control) {
  setMouseTracking(true);
  setFocusPolicy(Qt::ClickFocus);
  setAttribute(Qt::WA_OpaquePaintEvent);
}

TControlWidget::~TControlWidget() {
  if (!FInPlace.isNull()) Unlist(this);
}

void TControlWidget::ShowInPlace(const QImage& Pixels, const void* Owner) {
  if (FInPlace.isNull()) InPlaceWidgets().push_back(this);
  FInPlace = Pixels;
  FInPlaceOwner = Owner;
  if (FControl) ReleaseCanvasesOf(FControl);
}

void TControlWidget::EndInPlace() {
  if (FInPlace.isNull()) return;
  if (FBacking.size() == FInPlace.size()) CopyOpaque(FBacking, FInPlace);
  DropInPlace();
}

void TControlWidget::DropInPlace() {
  if (FInPlace.isNull()) return;
  FInPlace = QImage();
  FInPlaceOwner = nullptr;
  Unlist(this);
}

QImage TControlWidget::ShownImage() const {
  if (FInPlace.isNull()) return FBacking;
  QImage out(FInPlace.size(), QImage::Format_RGB32);
  CopyOpaque(out, FInPlace);
  return out;
}

void EndInPlaceShowing(const void* Owner, const TControlWidget* Keep, const uchar* KeepBits) {
  const std::vector<TControlWidget*> widgets = InPlaceWidgets();
  for (TControlWidget* w : widgets) {
    if (Owner && !w->ShowsInPlace(Owner, nullptr)) continue;
    if (w == Keep && KeepBits && w->ShowsInPlace(Owner, KeepBits)) continue;
    w->EndInPlace();
  }
}

void TControlWidget::ResizeBacking(int Width, int Height) {
  if (Width < 0) Width = 0;
  if (Height < 0) Height = 0;
  if (FBacking.width() == Width && FBacking.height() == Height) return;
  EndInPlace();
  if (FControl) ReleaseCanvasesOf(FControl);
  QImage next(Width, Height, QImage::Format_RGB32);
  next.fill(FControl ? ToQColor(FControl->EffectiveColor()) : QColor(Qt::black));
  if (!FBacking.isNull() && !next.isNull()) {
    QPainter p(&next);
    p.drawImage(0, 0, FBacking);
  }
  FBacking = next;
  Invalidate();
}

void TControlWidget::Invalidate() {
  FNeedsRender = true;
  update();
}

void TControlWidget::ShowNow(const QRect& Rect) {
  if (FInPaint) return;
  // The window's pixels may start below a menu bar.
  const POINT off = FControl ? FControl->ClientOffset() : POINT{0, 0};
  const QRect area = Rect.translated(off.x, off.y);
  if (gPainting || !isVisible()) {
    update(area);
    return;
  }
  for (const QRect& r : visibleRegion() & area) repaint(r);
}

void TControlWidget::RenderIfNeeded() {
  if (FNeedsRender && FControl && !FInPaint) Render();
}

void TControlWidget::Render() {
  FNeedsRender = false;
  // The whole image is painted again: nothing shown in place is kept.
  DropInPlace();
  if (!FBacking.isNull()) FBacking.fill(ToQColor(FControl->EffectiveColor()));
  TWinControl* c = FControl;
  FInPaint = true;
  ++gPainting;
  SafeInvoke(c, [c] { c->Perform(WM_PAINT); });
  --gPainting;
  FInPaint = false;
}

bool TControlWidget::event(QEvent* Event) {
  if (!FControl) return QWidget::event(Event);
  switch (Event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove: return DeliverMouseEvent(FControl, static_cast<QMouseEvent*>(Event));
    case QEvent::Wheel: return DeliverWheelEvent(FControl, static_cast<QWheelEvent*>(Event));
    case QEvent::KeyPress:
    case QEvent::KeyRelease: return DeliverKeyEvent(FControl, static_cast<QKeyEvent*>(Event));
    case QEvent::ShortcutOverride: Event->accept(); return true;
    case QEvent::Close: {
      Event->ignore();
      TWinControl* c = FControl;
      SafeInvoke(c, [c] { c->Perform(WM_CLOSE); });
      return true;
    }
    case QEvent::Move:
    case QEvent::Resize:
      if (isWindow()) {
        TWinControl* c = FControl;
        QPoint p = pos();
        QSize s = size();
        const POINT off = c->ClientOffset();
        SafeInvoke(c, [&] { c->SyncBoundsFromWidget(p.x(), p.y(), s.width() - off.x, s.height() - off.y); });
      }
      break;
    case QEvent::WindowActivate:
      if (isWindow() && Application && !IsOffscreenPlatform() && !Application->Driven()) {
        // The window manager gave one of our windows the focus (a click on
        // it, or switching to us). Stale reports about windows that are
        // hidden or no longer active by now are ignored.
        auto* form = dynamic_cast<TCustomForm*>(FControl);
        if (form && form->Visible() && isVisible() && QApplication::activeWindow() == this &&
            !Application->InputBlocked(form) && (Application->ActiveForm() != form || !Application->Foreground()))
          SafeInvoke(form, [form] { Application->ActivateForm(form); });
      }
      break;
    default: break;
  }
  return QWidget::event(Event);
}

void TControlWidget::paintEvent(QPaintEvent*) {
  RenderIfNeeded();
  ++gPainting;
  struct TDone {
    ~TDone() { --gPainting; }
  } done;
  QPainter p(this);
  // The pixels are the client area, which may start below a menu bar.
  const POINT off = FControl ? FControl->ClientOffset() : POINT{0, 0};
  p.drawImage(off.x, off.y, FInPlace.isNull() ? FBacking : FInPlace);
}

QImage ComposeWindowImage(QWidget* Widget) {
  auto* w = dynamic_cast<TControlWidget*>(Widget);
  if (!w) return Widget->grab().toImage().convertToFormat(QImage::Format_RGB32);
  w->RenderIfNeeded();
  // The backing holds the client area, which may start below a menu bar.
  const POINT off = w->Control() ? w->Control()->ClientOffset() : POINT{0, 0};
  QImage out;
  if (off.x == 0 && off.y == 0) {
    out = w->ShownImage().copy();
  } else {
    out = QImage(w->size(), QImage::Format_RGB32);
    out.fill(Qt::black);
    QPainter(&out).drawImage(off.x, off.y, w->ShownImage());
  }
  if (out.isNull()) return out;
  QPainter p(&out);
  for (QObject* o : w->children()) {
    auto* child = qobject_cast<QWidget*>(o);
    if (!child || child->isWindow() || child->isHidden()) continue;
    if (dynamic_cast<TControlWidget*>(child)) {
      p.drawImage(child->pos(), ComposeWindowImage(child));
    } else {
      // Qt's own widgets (the standard controls, the views of controls
      // without a window) paint over what lies under them: transparent
      // parts show it.
      child->render(&p, child->pos(), QRegion(), QWidget::DrawChildren);
    }
  }
  return out;
}
