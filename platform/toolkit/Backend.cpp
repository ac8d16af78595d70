// The toolkit's window backend: the window system's USER functions answered
// from the toolkit's windows.
#include <QAbstractButton>
#include <QApplication>
#include <QCursor>
#include <QDialog>
#include <QEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMessageBox>
#include <QPointer>
#include <QScreen>
#include <QWindow>
#include <algorithm>
#include <cstring>
#include <vector>

#include "platform/toolkit/Forms.h"
#include "platform/toolkit/LoopHooks.h"
#include "platform/toolkit/MessageBoxes.h"
#include "platform/toolkit/QtBridge.h"
#include "platform/win/Window.h"

// ---------------------------------------------------------------------------
// System dialogs

// While it lives, the application counts a system-modal loop (its forms take
// no input and no idle processing), and no control keeps the mouse captured.
class TSystemModalScope {
 public:
  explicit TSystemModalScope(TApplication* App) : FApp(App) {
    if (FApp) ++FApp->FSystemModal;
    ReleaseMouseCapture(nullptr);
  }
  ~TSystemModalScope() {
    if (FApp && Application == FApp) --FApp->FSystemModal;
  }
  TSystemModalScope(const TSystemModalScope&) = delete;
  TSystemModalScope& operator=(const TSystemModalScope&) = delete;

 private:
  TApplication* FApp;
};

namespace {

// The system dialogs open now, the last one on top.
std::vector<QPointer<QDialog>> gSystemDialogs;

QDialog* TopSystemDialog() {
  while (!gSystemDialogs.empty() && !gSystemDialogs.back()) gSystemDialogs.pop_back();
  return gSystemDialogs.empty() ? nullptr : gSystemDialogs.back().data();
}

// Whether Window is the dialog's own: the dialog, a pop-up of it (a
// drop-down list, a tip) or a window it opened over itself.
bool DialogsOwn(QWindow* Window, QDialog* Dialog) {
  QWindow* own = Dialog->windowHandle();
  if (Window == own || Window->type() == Qt::Popup || Window->type() == Qt::ToolTip) return true;
  for (QWindow* w = Window->transientParent(); w; w = w->transientParent())
    if (w == own) return true;
  return false;
}

// While a system dialog is open, the input and close commands for our other
// windows go nowhere, as they would to disabled owner windows; keys that the
// window system gave one of them go to the dialog. Qt's own modality is not
// used for this: with it, a window manager that focuses the owner of a
// dialog and Qt handing the focus back to the dialog take turns for ever.
// The keys the dialog gets still count in the program's key state, so that
// a key that went down in our window (the S of Ctrl+S that opened it) and
// came up in the dialog is not left held.
class TSystemDialogFilter : public QObject {
 public:
  explicit TSystemDialogFilter(QDialog* Dialog) : FDialog(Dialog) {}

 protected:
  bool eventFilter(QObject* Watched, QEvent* Event) override {
    auto* window = qobject_cast<QWindow*>(Watched);
    if (!window) return false;
    // Each key once, by the filter of the dialog on top.
    if ((Event->type() == QEvent::KeyPress || Event->type() == QEvent::KeyRelease) && TopSystemDialog() == FDialog)
      TrackKeyEvent(static_cast<QKeyEvent*>(Event));
    switch (Event->type()) {
      case QEvent::MouseButtonPress:
      case QEvent::MouseButtonRelease:
      case QEvent::MouseButtonDblClick:
      case QEvent::Wheel:
      case QEvent::KeyPress:
      case QEvent::KeyRelease:
      case QEvent::ShortcutOverride:
      case QEvent::Close:
      case QEvent::ContextMenu: break;
      default: return false;
    }
    QDialog* dialog = TopSystemDialog();
    if (!dialog || DialogsOwn(window, dialog)) return false;
    if (Event->type() == QEvent::KeyPress || Event->type() == QEvent::KeyRelease) {
      dialog->activateWindow();
      QWidget* to = dialog->focusWidget() ? dialog->focusWidget() : dialog;
      QCoreApplication::sendEvent(to, Event);
    }
    Event->ignore();
    return true;
  }

 private:
  QDialog* FDialog;
};

}  // namespace

QWidget* SystemDialogOwner(HWND Hint) {
  if (QDialog* d = TopSystemDialog()) return d;
  if (!Application) return nullptr;
  auto shown = [](TCustomForm* f) {
    return f && ControlAlive(f) && f->HandleAllocated() && f->Widget() && f->Visible() ? f->Widget() : nullptr;
  };
  const std::vector<TCustomForm*>& modal = Application->FModalStack;
  for (auto it = modal.rbegin(); it != modal.rend(); ++it)
    if (QWidget* w = shown(*it)) return w;
  if (TWinControl* c = FindControl(Hint))
    if (QWidget* w = shown(GetParentForm(c))) return w;
  if (QWidget* w = shown(Application->FActiveForm)) return w;
  return shown(Application->FMainForm);
}

int RunSystemDialog(QDialog& Dialog) {
  TApplication* app = Application;
  struct TScope {
    TSystemModalScope Modal;
    QDialog* Dialog;
    TSystemDialogFilter Filter;
    explicit TScope(TApplication* A, QDialog* D) : Modal(A), Dialog(D), Filter(D) {
      gSystemDialogs.push_back(Dialog);
      qApp->installEventFilter(&Filter);
    }
    ~TScope() {
      qApp->removeEventFilter(&Filter);
      gSystemDialogs.erase(std::remove(gSystemDialogs.begin(), gSystemDialogs.end(), Dialog), gSystemDialogs.end());
    }
  };
  {
    TScope scope(app, &Dialog);
    Dialog.setWindowModality(Qt::NonModal);
    Dialog.show();
    Dialog.raise();
    Dialog.activateWindow();
    while (Dialog.isVisible()) {
      if (!Application || Application->Terminated()) {
        Dialog.reject();
        break;
      }
      // Sleeps until the next event: nothing runs while the dialog waits.
      QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
  }
  // The window under the dialog takes the keyboard again.
  if (QDialog* d = TopSystemDialog()) {
    d->activateWindow();
  } else if (Application && Application->Foreground()) {
    TCustomForm* f = Application->ActiveForm();
    if (f && ControlAlive(f) && f->Visible() && f->Widget()) {
      f->Widget()->raise();
      f->Widget()->activateWindow();
    }
  }
  return Dialog.result();
}

// ---------------------------------------------------------------------------
// The backend

class TToolkitWindowBackend : public TWindowBackend {
 public:
  bool IsWindow(HWND hWnd) override { return IsToolkitHandle(hWnd); }

  bool GetClientRect(HWND hWnd, RECT* rect) override {
    if (TWinControl* c = FindControl(hWnd)) {
      *rect = c->ClientRect();
      return true;
    }
    if (IsToolkitHandle(hWnd)) {
      *rect = RECT{};
      return true;
    }
    return false;
  }

  bool ClientToScreen(HWND hWnd, POINT* point) override {
    TWinControl* c = FindControl(hWnd);
    if (!c) return IsToolkitHandle(hWnd);
    *point = c->ClientToScreen(*point);
    return true;
  }

  bool ScreenToClient(HWND hWnd, POINT* point) override {
    TWinControl* c = FindControl(hWnd);
    if (!c) return IsToolkitHandle(hWnd);
    *point = c->ScreenToClient(*point);
    return true;
  }

  HWND GetForegroundWindow() override { return ActiveHandle(); }
  HWND GetActiveWindow() override { return ActiveHandle(); }

  bool GetCursorPos(POINT* point) override {
    if (IsOffscreenPlatform() || (Application && Application->Driven())) {
      *point = LastCursorPos();
    } else {
      QPoint p = QCursor::pos();
      *point = POINT{p.x(), p.y()};
    }
    return true;
  }

  int ShowCursor(bool show) override { return AdjustCursorCounter(show); }

  void GetScreenSize(LONG* width, LONG* height) override {
    QScreen* s = QGuiApplication::primaryScreen();
    if (!s) return;
    *width = s->geometry().width();
    *height = s->geometry().height();
  }

  void PresentPixels(HWND hWnd, const RECT& clientRect, const void* bits, LONG pitch) override {
    if (!bits) return;
    struct TSource {
      const std::uint8_t* Bits;
      LONG Pitch;
      RECT Rect;
    } source{static_cast<const std::uint8_t*>(bits), pitch, clientRect};
    auto write = [](void* context, const RECT& part, BYTE* out, LONG outPitch, DWORD topByte) {
      const auto& src = *static_cast<const TSource*>(context);
      for (LONG y = part.top; y < part.bottom; ++y, out += outPitch) {
        const std::uint8_t* row = src.Bits + static_cast<std::ptrdiff_t>(y - src.Rect.top) * src.Pitch;
        const auto* from = reinterpret_cast<const std::uint32_t*>(row) + (part.left - src.Rect.left);
        auto* to = reinterpret_cast<std::uint32_t*>(out);
        for (LONG x = 0; x < part.right - part.left; ++x) to[x] = from[x] | topByte;
      }
    };
    PresentInto(hWnd, clientRect, write, &source);
  }

  void PresentInto(HWND hWnd, const RECT& clientRect, TPixelWriter write, void* context) override {
    TControlWidget* w = WidgetOf(hWnd);
    if (!w) return;
    // A repaint still due happens first, so that it does not wipe these pixels.
    w->RenderIfNeeded();
    QImage& img = w->Backing();
    const int x0 = std::max<LONG>(clientRect.left, 0), x1 = std::min<LONG>(clientRect.right, img.width());
    const int y0 = std::max<LONG>(clientRect.top, 0), y1 = std::min<LONG>(clientRect.bottom, img.height());
    if (x0 >= x1 || y0 >= y1) return;
    const auto pitch = static_cast<LONG>(img.bytesPerLine());
    write(context, RECT{x0, y0, x1, y1}, img.bits() + static_cast<std::ptrdiff_t>(y0) * pitch + x0 * 4, pitch,
          0xFF000000u);
    w->ShowNow(QRect(x0, y0, x1 - x0, y1 - y0));
  }

  bool PresentInPlace(HWND hWnd, const RECT& changed, const BYTE* bits, LONG width, LONG height, LONG pitch,
                      const void* owner) override {
    TControlWidget* w = WidgetOf(hWnd);
    if (!w || !bits || width <= 0 || height <= 0 || pitch < width * 4) return false;
    // A repaint still due happens first, so that it does not wipe these pixels.
    w->RenderIfNeeded();
    // The pixels must be the window's image size, no more and no less.
    const QSize size = w->BackingSize();
    if (size != QSize(width, height)) return false;
    const QRect whole(QPoint(0, 0), size);
    const QRect part =
        QRect(changed.left, changed.top, changed.right - changed.left, changed.bottom - changed.top) & whole;
    if (!w->ShowsInPlace(owner, bits)) {
      if (part != whole) return false;
      w->ShowInPlace(QImage(bits, size.width(), size.height(), pitch, QImage::Format_RGB32), owner);
    }
    if (!part.isEmpty()) w->ShowNow(part);
    return true;
  }

  void EndInPlace(const void* owner, HWND keep, const BYTE* keepBits) override {
    EndInPlaceShowing(owner, keep ? WidgetOf(keep) : nullptr, keepBits);
  }

  int MessageBox(HWND hWnd, const char* text, const char* caption, UINT type) override {
    if (!Application) return 0;
    TApplication* app = Application;
    if (!app->FObserver) {
      QMessageBox box(SystemDialogOwner(hWnd));
      PrepareMessageBox(box, text, caption, type);
      RunSystemDialog(box);
      QAbstractButton* clicked = box.clickedButton();
      return clicked ? MessageBoxAnswer(box.standardButton(clicked)) : DefaultMessageBoxAnswer(type);
    }
    TSystemModalScope modal(app);
    return app->FObserver->MessageBoxShown(hWnd, text, caption, type);
  }

 private:
  // The widget that shows the window's pixels; null for a window without one.
  static TControlWidget* WidgetOf(HWND hWnd) {
    TWinControl* c = FindControl(hWnd);
    return c ? dynamic_cast<TControlWidget*>(c->Widget()) : nullptr;
  }

  static HWND ActiveHandle() {
    if (!Application || !Application->Foreground()) return nullptr;
    TCustomForm* f = Application->ActiveForm();
    return f && f->HandleAllocated() ? f->Handle() : nullptr;
  }
};

namespace {
TToolkitWindowBackend gBackend;
}

void InstallToolkitWindowBackend() { SetWindowBackend(&gBackend); }

void RemoveToolkitWindowBackend() {
  if (WindowBackend() == &gBackend) SetWindowBackend(nullptr);
}
