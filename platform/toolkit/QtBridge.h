// Where the toolkit meets Qt: the widget behind every windowed control, the
// conversion of texts, colours and keys, the handle registry, and the
// translation of Qt's input events into window messages. Only the toolkit's
// own sources include this header; the library and the programs see controls
// and messages only.
#pragma once

#include <QImage>
#include <QString>
#include <QWidget>
#include <functional>
#include <string>

#include "platform/toolkit/Controls.h"

class QDialog;
class QMouseEvent;
class QKeyEvent;
class QWheelEvent;

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

// Text: windows-1250 bytes inside, UTF-16 in Qt.
QString ToQString(const std::string& Text);
std::string FromQString(const QString& Text);

QColor ToQColor(TColor Color);

// Handles: every windowed control (and the application window) gets one.
HWND AllocateWindowHandle(TWinControl* Control);
void ReleaseWindowHandle(HWND Handle);
TWinControl* FindControl(HWND Handle);
bool IsToolkitHandle(HWND Handle);
// Whether a control still exists (input targets may be freed by handlers).
bool ControlAlive(const TControl* Control);
void RegisterControl(TControl* Control);
void UnregisterControl(TControl* Control);

// Runs F; an exception that escapes it goes to Application->HandleException
// and never further (nothing may cross a Qt callback).
void SafeInvoke(TObject* Sender, const std::function<void()>& F);

// Sends a message as the window system does: an exception that escapes the
// control's handling goes to Application->HandleException.
LRESULT SendWindowMessage(TControl* Control, UINT Msg, WPARAM WParam = 0, LPARAM LParam = 0);

// Virtual-key codes for Qt keys and back. NativeScanCode tells the left and
// right modifier keys apart (X keycodes); Keypad marks the numeric pad.
UINT VirtualKeyFromQt(int Key, bool Keypad, quint32 NativeScanCode);
int QtKeyFromVirtualKey(UINT VirtualKey, bool* Keypad, quint32* NativeScanCode);

// Input events of a widget, turned into messages to the right control: mouse
// messages go to the control under the pointer, or after a press to the
// pressed control until every button is up; keys go to the focused control
// of the active form. Each returns true (the event is consumed).
bool DeliverMouseEvent(TWinControl* Receiver, QMouseEvent* Event);
bool DeliverWheelEvent(TWinControl* Receiver, QWheelEvent* Event);
bool DeliverKeyEvent(TWinControl* Receiver, QKeyEvent* Event);
// Forgets a control as mouse-capture target (it is going).
void ReleaseMouseCapture(const TControl* Control);
// A pop-up (a drop-down list, a menu) opened on a press and takes the mouse
// from here on: no control keeps the capture, and the buttons count as up.
void PopupTookMouse();
TControl* MouseCaptureControl();
// Whether Qt input is being dispatched (and the modifiers it carries).
bool DispatchingInput();
Qt::KeyboardModifiers DispatchModifiers();

Qt::CursorShape QtCursorShape(TCursor Cursor);

// The last pointer position our windows saw, in screen coordinates.
POINT LastCursorPos();
// Puts the pointer there without an event (the test driver's SetCursorPos).
void SetLastCursorPos(POINT Point);
bool IsOffscreenPlatform();
void UpdateCursorVisibility();
int AdjustCursorCounter(bool Show);

// The system's own dialogs (message boxes, file dialogs) over our windows.
// The dialog is kept above the window that is modal at that moment (owned by
// it: a window manager keeps it on top, and Qt does not count it as blocked
// by that window), takes the keyboard, and runs a loop of its own that sleeps
// between events and does no idle processing, until it is closed or the
// application is told to end. Meanwhile no other window of ours takes input
// (keys that reach one go to the dialog) or closes. Afterwards the window
// under it is active again. Returns the dialog's result.
int RunSystemDialog(QDialog& Dialog);
// The widget a system dialog opened now is owned by: the topmost modal
// window (a system dialog or a modal form), else the form of Hint, else the
// active form, else the main form.
QWidget* SystemDialogOwner(HWND Hint);
