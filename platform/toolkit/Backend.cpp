// The toolkit's window backend: the window system's USER functions answered
// from the toolkit's windows.
#include <QCursor>
#include <QGuiApplication>
#include <QMessageBox>
#include <QScreen>
#include <cstring>

#include "platform/toolkit/Forms.h"
#include "platform/toolkit/QtBridge.h"
#include "platform/toolkit/TestDriver.h"
#include "platform/win/Window.h"

void PrepareMessageBox(QMessageBox& Box, const std::string& Text, const std::string& Caption, UINT Type) {
  Box.setWindowTitle(ToQString(Caption));
  Box.setText(ToQString(Text));
  switch (Type & 0xF0) {
    case MB_ICONERROR: Box.setIcon(QMessageBox::Critical); break;
    case MB_ICONQUESTION: Box.setIcon(QMessageBox::Question); break;
    case MB_ICONWARNING: Box.setIcon(QMessageBox::Warning); break;
    case MB_ICONINFORMATION: Box.setIcon(QMessageBox::Information); break;
    default: Box.setIcon(QMessageBox::NoIcon); break;
  }
  QMessageBox::StandardButtons buttons;
  switch (Type & 0x0F) {
    case MB_OKCANCEL: buttons = QMessageBox::Ok | QMessageBox::Cancel; break;
    case 2: buttons = QMessageBox::Abort | QMessageBox::Retry | QMessageBox::Ignore; break;
    case 3: buttons = QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel; break;
    case MB_YESNO: buttons = QMessageBox::Yes | QMessageBox::No; break;
    case 5: buttons = QMessageBox::Retry | QMessageBox::Cancel; break;
    default: buttons = QMessageBox::Ok; break;
  }
  Box.setStandardButtons(buttons);
}

int MessageBoxAnswer(int StandardButton) {
  switch (StandardButton) {
    case QMessageBox::Ok: return IDOK;
    case QMessageBox::Cancel: return IDCANCEL;
    case QMessageBox::Abort: return 3;
    case QMessageBox::Retry: return 4;
    case QMessageBox::Ignore: return 5;
    case QMessageBox::Yes: return IDYES;
    case QMessageBox::No: return IDNO;
    default: return IDCANCEL;
  }
}

int DefaultMessageBoxAnswer(UINT Type) {
  switch (Type & 0x0F) {
    case MB_OKCANCEL:
    case 3:
    case 5: return IDCANCEL;
    case 2: return 3;
    case MB_YESNO: return IDNO;
    default: return IDOK;
  }
}

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
    TWinControl* c = FindControl(hWnd);
    auto* w = c ? dynamic_cast<TControlWidget*>(c->Widget()) : nullptr;
    if (!w || !bits) return;
    // A repaint still due happens first, so that it does not wipe these pixels.
    w->RenderIfNeeded();
    QImage& img = w->Backing();
    const int x0 = std::max<LONG>(clientRect.left, 0), x1 = std::min<LONG>(clientRect.right, img.width());
    const int y0 = std::max<LONG>(clientRect.top, 0), y1 = std::min<LONG>(clientRect.bottom, img.height());
    if (x0 >= x1 || y0 >= y1) return;
    for (int y = y0; y < y1; ++y) {
      const auto* src = reinterpret_cast<const std::uint32_t*>(static_cast<const std::uint8_t*>(bits) +
                                                                static_cast<std::ptrdiff_t>(y - clientRect.top) * pitch) +
                        (x0 - clientRect.left);
      auto* dst = reinterpret_cast<std::uint32_t*>(img.scanLine(y)) + x0;
      for (int x = 0; x < x1 - x0; ++x) dst[x] = src[x] | 0xFF000000u;
    }
    w->ShowNow(QRect(x0, y0, x1 - x0, y1 - y0));
  }

  void PresentInto(HWND hWnd, const RECT& clientRect, TPixelWriter write, void* context) override {
    TWinControl* c = FindControl(hWnd);
    auto* w = c ? dynamic_cast<TControlWidget*>(c->Widget()) : nullptr;
    if (!w) return;
    // A repaint still due happens first, so that it does not wipe these pixels.
    w->RenderIfNeeded();
    QImage& img = w->Backing();
    const int x0 = std::max<LONG>(clientRect.left, 0), x1 = std::min<LONG>(clientRect.right, img.width());
    const int y0 = std::max<LONG>(clientRect.top, 0), y1 = std::min<LONG>(clientRect.bottom, img.height());
    if (x0 >= x1 || y0 >= y1) return;
    const auto pitch = static_cast<LONG>(img.bytesPerLine());
    write(context, RECT{x0, y0, x1, y1}, img.bits() + static_cast<std::ptrdiff_t>(y0) * pitch + x0 * 4, pitch, 0xFF000000u);
    w->ShowNow(QRect(x0, y0, x1 - x0, y1 - y0));
  }

  int MessageBox(HWND hWnd, const char* text, const char* caption, UINT type) override {
    if (!Application) return 0;
    TApplication* app = Application;
    ++app->FSystemModal;
    ReleaseMouseCapture(nullptr);
    int result = 0;
    try {
      if (app->FDriver) {
        result = app->FDriver->MessageBoxOpened(hWnd, text, caption, type);
      } else {
        TWinControl* owner = FindControl(hWnd);
        QMessageBox box(owner ? owner->Widget() : nullptr);
        PrepareMessageBox(box, text, caption, type);
        box.setWindowModality(Qt::ApplicationModal);
        int clicked = box.exec();
        result = box.clickedButton() ? MessageBoxAnswer(clicked) : DefaultMessageBoxAnswer(type);
      }
    } catch (...) {
      if (Application == app) --app->FSystemModal;
      throw;
    }
    if (Application == app) --app->FSystemModal;
    return result;
  }

 private:
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
