#include "platform/toolkit/InputDispatch.h"

#include <QCursor>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWheelEvent>
#include <QWidget>

#include "platform/toolkit/Forms.h"
#include "platform/toolkit/HandleRegistry.h"
#include "platform/toolkit/KeyTable.h"
#include "platform/toolkit/TextConvert.h"
#include "platform/win/KeyState.h"

// ---------------------------------------------------------------------------
// Input dispatch

namespace {

struct TInputTracking {
  TControl* Capture = nullptr;
  bool HaveLast = false;
  QPoint Last;
  int Dispatching = 0;
  Qt::KeyboardModifiers Modifiers;
};
TInputTracking gInput;

class TDispatchScope {
 public:
  explicit TDispatchScope(Qt::KeyboardModifiers m) : FSaved(gInput.Modifiers) {
    ++gInput.Dispatching;
    gInput.Modifiers = m;
  }
  ~TDispatchScope() {
    --gInput.Dispatching;
    gInput.Modifiers = FSaved;
  }

 private:
  Qt::KeyboardModifiers FSaved;
};

WPARAM MouseKeys(Qt::MouseButtons buttons, Qt::KeyboardModifiers mods) {
  WPARAM mk = 0;
  if (buttons & Qt::LeftButton) mk |= MK_LBUTTON;
  if (buttons & Qt::RightButton) mk |= MK_RBUTTON;
  if (buttons & Qt::MiddleButton) mk |= MK_MBUTTON;
  if (mods & Qt::ShiftModifier) mk |= MK_SHIFT;
  if (mods & Qt::ControlModifier) mk |= MK_CONTROL;
  return mk;
}

// The control that takes a mouse event that arrived at Receiver's widget: the
// nearest enabled window, then its topmost child without a window there.
TControl* MouseTarget(TWinControl* receiver, QPoint global) {
  TWinControl* w = receiver;
  while (w && !w->Enabled()) w = w->Parent();
  if (!w) return nullptr;
  POINT p = w->ScreenToClient(POINT{global.x(), global.y()});
  TControl* g = w->ControlAtPos(p, false, false);
  return g ? g : static_cast<TControl*>(w);
}

}  // namespace

Qt::CursorShape QtCursorShape(TCursor c) {
  switch (c) {
    case crNone: return Qt::BlankCursor;
    case crCross: return Qt::CrossCursor;
    case crIBeam: return Qt::IBeamCursor;
    case crSizeNESW: return Qt::SizeBDiagCursor;
    case crSizeNS: return Qt::SizeVerCursor;
    case crSizeNWSE: return Qt::SizeFDiagCursor;
    case crSizeWE: return Qt::SizeHorCursor;
    case crUpArrow: return Qt::UpArrowCursor;
    case crHourGlass: return Qt::WaitCursor;
    case crNo: return Qt::ForbiddenCursor;
    case crHandPoint: return Qt::PointingHandCursor;
    case crSizeAll: return Qt::SizeAllCursor;
    default: return Qt::ArrowCursor;
  }
}

namespace {

void ShowCursorOf(TControl* target) {
  TControl* c = target;
  while (c && c->Cursor() == crDefault && !dynamic_cast<TWinControl*>(c)) c = c->Parent();
  TWinControl* w = dynamic_cast<TWinControl*>(target);
  if (!w) w = target->Parent();
  if (w && w->Widget()) w->Widget()->setCursor(QtCursorShape(c ? c->Cursor() : crDefault));
}

}  // namespace

bool DispatchingInput() { return gInput.Dispatching > 0; }
Qt::KeyboardModifiers DispatchModifiers() { return gInput.Modifiers; }
TControl* MouseCaptureControl() { return gInput.Capture; }

void ReleaseMouseCapture(const TControl* Control) {
  if (!Control || gInput.Capture == Control) gInput.Capture = nullptr;
}

void PopupTookMouse() {
  gInput.Capture = nullptr;
  // The buttons' releases go to the pop-up; here they count as up.
  for (UINT vk : {VK_LBUTTON, VK_RBUTTON, VK_MBUTTON}) KeyStateSetMouseButton(vk, false);
}

POINT LastCursorPos() { return POINT{gInput.Last.x(), gInput.Last.y()}; }

void SetLastCursorPos(POINT Point) {
  gInput.HaveLast = true;
  gInput.Last = QPoint(Point.x, Point.y);
}

bool DeliverMouseEvent(TWinControl* Receiver, QMouseEvent* Event) {
  if (!Receiver || !Application) return true;
  SafeInvoke(Receiver, [&] {
    const QPoint global = Event->globalPosition().toPoint();
    if (gInput.HaveLast && global != gInput.Last)
      MouseStateMove(global.x() - gInput.Last.x(), global.y() - gInput.Last.y());
    gInput.HaveLast = true;
    gInput.Last = global;
    TDispatchScope scope(Event->modifiers());
    const QEvent::Type type = Event->type();
    const Qt::MouseButton button = Event->button();
    UINT vk = button == Qt::LeftButton ? VK_LBUTTON : button == Qt::RightButton ? VK_RBUTTON : VK_MBUTTON;
    const bool press = type == QEvent::MouseButtonPress || type == QEvent::MouseButtonDblClick;
    const bool release = type == QEvent::MouseButtonRelease;
    if ((press || release) && (button == Qt::LeftButton || button == Qt::RightButton || button == Qt::MiddleButton))
      KeyStateSetMouseButton(vk, press);
    else if (press || release)
      return;
    TCustomForm* form = GetParentForm(Receiver);
    if (press && form && !Application->InputBlocked(form) &&
        (Application->ActiveForm() != form || !Application->Foreground()))
      Application->ActivateForm(form, WA_CLICKACTIVE);
    if (!ControlAlive(Receiver)) return;
    TControl* target = gInput.Capture;
    if (target && !ControlAlive(target)) target = gInput.Capture = nullptr;
    // A press with no other button held starts afresh: a capture left from
    // an earlier press whose release went elsewhere (a pop-up took it) does
    // not take this one.
    if (target && press && (Event->buttons() & ~Qt::MouseButtons(button)) == 0) target = gInput.Capture = nullptr;
    if (!target) {
      if (form && Application->InputBlocked(form)) return;
      target = MouseTarget(Receiver, global);
      if (!target) return;
    }
    const WPARAM mk = MouseKeys(Event->buttons(), Event->modifiers());
    UINT msg = WM_MOUSEMOVE;
    if (type == QEvent::MouseButtonPress)
      msg = button == Qt::LeftButton ? WM_LBUTTONDOWN : button == Qt::RightButton ? WM_RBUTTONDOWN : WM_MBUTTONDOWN;
    else if (type == QEvent::MouseButtonDblClick)
      msg = button == Qt::LeftButton    ? WM_LBUTTONDBLCLK
            : button == Qt::RightButton ? WM_RBUTTONDBLCLK
                                        : WM_MBUTTONDBLCLK;
    else if (release)
      msg = button == Qt::LeftButton ? WM_LBUTTONUP : button == Qt::RightButton ? WM_RBUTTONUP : WM_MBUTTONUP;
    if (press) {
      gInput.Capture = target;
      auto* w = dynamic_cast<TWinControl*>(target);
      if (w && w->FocusOnClick() && w->CanFocus()) w->SetFocus();
      if (!ControlAlive(target)) return;
    }
    if (release && (Event->buttons() & (Qt::LeftButton | Qt::RightButton | Qt::MiddleButton)) == 0)
      gInput.Capture = nullptr;
    if (msg == WM_MOUSEMOVE && !gInput.Capture) ShowCursorOf(target);
    POINT cp = target->ScreenToClient(POINT{global.x(), global.y()});
    target->Perform(msg, mk, MAKELPARAM(cp.x, cp.y));
  });
  return true;
}

bool DeliverWheelEvent(TWinControl* Receiver, QWheelEvent* Event) {
  if (!Receiver || !Application) return true;
  SafeInvoke(Receiver, [&] {
    const int delta = Event->angleDelta().y();
    MouseStateWheel(delta);
    TDispatchScope scope(Event->modifiers());
    TCustomForm* form = GetParentForm(Receiver);
    if (!form || Application->InputBlocked(form)) return;
    TWinControl* target = form->ActiveControl() ? form->ActiveControl() : form;
    const QPoint global = Event->globalPosition().toPoint();
    target->Perform(WM_MOUSEWHEEL, MAKEWPARAM(static_cast<int>(MouseKeys(Event->buttons(), Event->modifiers())), delta),
                    MAKELPARAM(global.x(), global.y()));
  });
  return true;
}

UINT TrackKeyEvent(QKeyEvent* Event) {
  const bool keypad = Event->modifiers() & Qt::KeypadModifier;
  const bool down = Event->type() == QEvent::KeyPress;
  // A key comes up as the key it went down as (see KeyStateNativeKey).
  const UINT vk =
      KeyStateNativeKey(Event->nativeScanCode(), VirtualKeyFromQt(Event->key(), keypad, Event->nativeScanCode()), down);
  if (vk) KeyStateSetKey(vk, 0, down);
  return vk;
}

bool DeliverKeyEvent(TWinControl* Receiver, QKeyEvent* Event) {
  if (!Receiver || !Application) return true;
  SafeInvoke(Receiver, [&] {
    const bool down = Event->type() == QEvent::KeyPress;
    const UINT vk = TrackKeyEvent(Event);
    TCustomForm* form =
        Application->Foreground() && Application->ActiveForm() ? Application->ActiveForm() : GetParentForm(Receiver);
    if (!form || Application->InputBlocked(form)) return;
    TWinControl* target = form->ActiveControl() ? form->ActiveControl() : form;
    TDispatchScope scope(Event->modifiers());
    const UINT scan = MapVirtualKeyA(vk, MAPVK_VK_TO_VSC);
    LPARAM lp = 1 | static_cast<LPARAM>((scan & 0xFF) << 16);
    if (scan & 0x100) lp |= LPARAM{1} << 24;
    if (down && Event->isAutoRepeat()) lp |= LPARAM{1} << 30;
    if (!down) lp |= (LPARAM{1} << 30) | (LPARAM{1} << 31);
    // Modifier keys are reported as the generic virtual key, like the window system does.
    UINT msgKey = vk;
    if (vk == VK_LSHIFT || vk == VK_RSHIFT) msgKey = VK_SHIFT;
    if (vk == VK_LCONTROL || vk == VK_RCONTROL) msgKey = VK_CONTROL;
    if (vk == VK_LMENU || vk == VK_RMENU) msgKey = VK_MENU;
    // With Alt held (or for F10) the window system reports system keys.
    const bool alt = Event->modifiers() & Qt::AltModifier;
    const bool sys = alt || msgKey == VK_MENU || msgKey == VK_F1 + 9;
    const UINT msg = down ? (sys ? WM_SYSKEYDOWN : WM_KEYDOWN) : (sys ? WM_SYSKEYUP : WM_KEYUP);
    if (msgKey) target->Perform(msg, msgKey, lp);
    if (!down || alt) return;
    for (char c : FromQString(Event->text())) {
      if (c == 0 || c == 0x7F || !ControlAlive(target)) continue;
      target->Perform(WM_CHAR, static_cast<unsigned char>(c), lp);
    }
  });
  return true;
}

// ---------------------------------------------------------------------------
// Cursor and platform

bool IsOffscreenPlatform() { return QGuiApplication::platformName() == QLatin1String("offscreen"); }

namespace {
int gCursorCounter = 0;
bool gCursorOverridden = false;
}  // namespace

void UpdateCursorVisibility() {
  if (!qApp) return;
  if (gCursorCounter < 0 && !gCursorOverridden) {
    QGuiApplication::setOverrideCursor(QCursor(Qt::BlankCursor));
    gCursorOverridden = true;
  } else if (gCursorCounter >= 0 && gCursorOverridden) {
    QGuiApplication::restoreOverrideCursor();
    gCursorOverridden = false;
  }
}

int AdjustCursorCounter(bool Show) {
  gCursorCounter += Show ? 1 : -1;
  UpdateCursorVisibility();
  return gCursorCounter;
}
