#include "platform/toolkit/QtBridge.h"

#include <QApplication>
#include <QCursor>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>
#include <algorithm>
#include <array>
#include <cstdio>
#include <map>
#include <unordered_set>
#include <vector>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "platform/rtl/Cp1250.h"
#include "platform/toolkit/Forms.h"
#include "platform/win/KeyState.h"

// ---------------------------------------------------------------------------
// Text and colours

QString ToQString(const std::string& Text) {
  QString out;
  out.reserve(static_cast<qsizetype>(Text.size()));
  for (char c : Text) out.append(QChar(static_cast<char16_t>(Cp1250ToUnicode(static_cast<std::uint8_t>(c)))));
  return out;
}

std::string FromQString(const QString& Text) {
  std::string out;
  out.reserve(static_cast<size_t>(Text.size()));
  for (QChar qc : Text) {
    std::uint8_t b = 0;
    out.push_back(UnicodeToCp1250(qc.unicode(), b) ? static_cast<char>(b) : '?');
  }
  return out;
}

// ---------------------------------------------------------------------------
// Colours

QColor ToQColor(TColor Color) {
  COLORREF c = ColorToRGB(Color);
  return QColor(GetRValue(c), GetGValue(c), GetBValue(c));
}

// ---------------------------------------------------------------------------
// Handles and live controls

namespace {

std::map<HWND, TWinControl*>& Handles() {
  static std::map<HWND, TWinControl*> handles;
  return handles;
}
std::unordered_set<const TControl*>& LiveControls() {
  static std::unordered_set<const TControl*> live;
  return live;
}
std::uintptr_t gNextHandle = 0x10000;

}  // namespace

HWND AllocateWindowHandle(TWinControl* Control) {
  gNextHandle += 0x10;
  HWND h = reinterpret_cast<HWND>(gNextHandle);
  Handles()[h] = Control;
  return h;
}

void ReleaseWindowHandle(HWND Handle) { Handles().erase(Handle); }

TWinControl* FindControl(HWND Handle) {
  auto it = Handles().find(Handle);
  return it == Handles().end() ? nullptr : it->second;
}

bool IsToolkitHandle(HWND Handle) { return Handle && Handles().count(Handle) != 0; }

bool ControlAlive(const TControl* Control) { return Control && LiveControls().count(Control) != 0; }
void RegisterControl(TControl* Control) { LiveControls().insert(Control); }
void UnregisterControl(TControl* Control) { LiveControls().erase(Control); }

void SafeInvoke(TObject* Sender, const std::function<void()>& F) {
  try {
    F();
  } catch (...) {
    if (Application) {
      Application->HandleException(Sender);
    } else {
      // No application to show it: say so rather than lose it.
      try {
        throw;
      } catch (std::exception& e) { std::fprintf(stderr, "unhandled exception: %s\n", e.what()); } catch (...) {
        std::fprintf(stderr, "unhandled exception\n");
      }
    }
  }
}

LRESULT SendWindowMessage(TControl* Control, UINT Msg, WPARAM WParam, LPARAM LParam) {
  LRESULT result = 0;
  SafeInvoke(Control, [&] { result = Control->Perform(Msg, WParam, LParam); });
  return result;
}

// ---------------------------------------------------------------------------
// Keys

namespace {

struct TKeyMapping {
  int QtKey;
  UINT Vk;
  bool Keypad;
};

// Qt key codes and virtual keys; the first entry for a virtual key is the one
// the test driver sends.
const TKeyMapping kKeyMap[] = {
    {Qt::Key_Backspace, VK_BACK, false},
    {Qt::Key_Tab, VK_TAB, false},
    {Qt::Key_Backtab, VK_TAB, false},
    {Qt::Key_Return, VK_RETURN, false},
    {Qt::Key_Enter, VK_RETURN, true},
    {Qt::Key_Enter, VK_RETURN, false},
    {Qt::Key_Shift, VK_LSHIFT, false},
    {Qt::Key_Control, VK_LCONTROL, false},
    {Qt::Key_Alt, VK_LMENU, false},
    {Qt::Key_AltGr, VK_RMENU, false},
    {Qt::Key_Pause, VK_PAUSE, false},
    {Qt::Key_CapsLock, VK_CAPITAL, false},
    {Qt::Key_Escape, VK_ESCAPE, false},
    {Qt::Key_Space, VK_SPACE, false},
    {Qt::Key_PageUp, VK_PRIOR, false},
    {Qt::Key_PageDown, VK_NEXT, false},
    {Qt::Key_End, VK_END, false},
    {Qt::Key_Home, VK_HOME, false},
    {Qt::Key_Left, VK_LEFT, false},
    {Qt::Key_Up, VK_UP, false},
    {Qt::Key_Right, VK_RIGHT, false},
    {Qt::Key_Down, VK_DOWN, false},
    {Qt::Key_Print, VK_SNAPSHOT, false},
    {Qt::Key_Insert, VK_INSERT, false},
    {Qt::Key_Delete, VK_DELETE, false},
    {Qt::Key_Meta, VK_LWIN, false},
    {Qt::Key_Menu, VK_APPS, false},
    {Qt::Key_NumLock, VK_NUMLOCK, false},
    {Qt::Key_ScrollLock, VK_SCROLL, false},
    {Qt::Key_Asterisk, VK_MULTIPLY, true},
    {Qt::Key_Plus, VK_ADD, true},
    {Qt::Key_Minus, VK_SUBTRACT, true},
    {Qt::Key_Period, VK_DECIMAL, true},
    {Qt::Key_Comma, VK_DECIMAL, true},
    {Qt::Key_Slash, VK_DIVIDE, true},
    {Qt::Key_Semicolon, VK_OEM_1, false},
    {Qt::Key_Colon, VK_OEM_1, false},
    {Qt::Key_Equal, VK_OEM_PLUS, false},
    {Qt::Key_Plus, VK_OEM_PLUS, false},
    {Qt::Key_Comma, VK_OEM_COMMA, false},
    {Qt::Key_Less, VK_OEM_COMMA, false},
    {Qt::Key_Minus, VK_OEM_MINUS, false},
    {Qt::Key_Underscore, VK_OEM_MINUS, false},
    {Qt::Key_Period, VK_OEM_PERIOD, false},
    {Qt::Key_Greater, VK_OEM_PERIOD, false},
    {Qt::Key_Slash, VK_OEM_2, false},
    {Qt::Key_Question, VK_OEM_2, false},
    {Qt::Key_QuoteLeft, VK_OEM_3, false},
    {Qt::Key_AsciiTilde, VK_OEM_3, false},
    {Qt::Key_BracketLeft, VK_OEM_4, false},
    {Qt::Key_BraceLeft, VK_OEM_4, false},
    {Qt::Key_Backslash, VK_OEM_5, false},
    {Qt::Key_Bar, VK_OEM_5, false},
    {Qt::Key_BracketRight, VK_OEM_6, false},
    {Qt::Key_BraceRight, VK_OEM_6, false},
    {Qt::Key_Apostrophe, VK_OEM_7, false},
    {Qt::Key_QuoteDbl, VK_OEM_7, false},
    // Shifted digits of the usual layout.
    {Qt::Key_Exclam, '1', false},
    {Qt::Key_At, '2', false},
    {Qt::Key_NumberSign, '3', false},
    {Qt::Key_Dollar, '4', false},
    {Qt::Key_Percent, '5', false},
    {Qt::Key_AsciiCircum, '6', false},
    {Qt::Key_Ampersand, '7', false},
    {Qt::Key_Asterisk, '8', false},
    {Qt::Key_ParenLeft, '9', false},
    {Qt::Key_ParenRight, '0', false},
    // Polish letters typed with AltGr (Qt keys are their upper-case code points).
    {0x0104, 'A', false},
    {0x0106, 'C', false},
    {0x0118, 'E', false},
    {0x0141, 'L', false},
    {0x0143, 'N', false},
    {Qt::Key_Oacute, 'O', false},
    {0x015A, 'S', false},
    {0x017B, 'Z', false},
    {0x0179, 'X', false},
};

// X keycodes of the right-hand modifier keys.
constexpr quint32 kXRightShift = 62;
constexpr quint32 kXRightControl = 105;
constexpr quint32 kXLeftShift = 50;
constexpr quint32 kXLeftControl = 37;
constexpr quint32 kXLeftAlt = 64;

}  // namespace

UINT VirtualKeyFromQt(int Key, bool Keypad, quint32 NativeScanCode) {
  if (Key >= Qt::Key_A && Key <= Qt::Key_Z) return static_cast<UINT>('A' + (Key - Qt::Key_A));
  if (Key >= Qt::Key_0 && Key <= Qt::Key_9)
    return Keypad ? VK_NUMPAD0 + static_cast<UINT>(Key - Qt::Key_0) : static_cast<UINT>('0' + (Key - Qt::Key_0));
  if (Key >= Qt::Key_F1 && Key <= Qt::Key_F24) return VK_F1 + static_cast<UINT>(Key - Qt::Key_F1);
  if (Key == Qt::Key_Shift && NativeScanCode == kXRightShift) return VK_RSHIFT;
  if (Key == Qt::Key_Control && NativeScanCode == kXRightControl) return VK_RCONTROL;
  for (const TKeyMapping& m : kKeyMap)
    if (m.QtKey == Key && m.Keypad == Keypad) return m.Vk;
  // Keypad keys without a keypad meaning of their own (arrows with Num Lock off).
  if (Keypad)
    for (const TKeyMapping& m : kKeyMap)
      if (m.QtKey == Key) return m.Vk;
  return 0;
}

int QtKeyFromVirtualKey(UINT VirtualKey, bool* Keypad, quint32* NativeScanCode) {
  *Keypad = false;
  *NativeScanCode = 0;
  UINT vk = VirtualKey;
  if (vk >= 'A' && vk <= 'Z') return Qt::Key_A + static_cast<int>(vk - 'A');
  if (vk >= '0' && vk <= '9') return Qt::Key_0 + static_cast<int>(vk - '0');
  if (vk >= VK_NUMPAD0 && vk <= VK_NUMPAD0 + 9) {
    *Keypad = true;
    return Qt::Key_0 + static_cast<int>(vk - VK_NUMPAD0);
  }
  if (vk >= VK_F1 && vk <= VK_F1 + 23) return Qt::Key_F1 + static_cast<int>(vk - VK_F1);
  switch (vk) {
    case VK_SHIFT:
    case VK_LSHIFT: *NativeScanCode = kXLeftShift; return Qt::Key_Shift;
    case VK_RSHIFT: *NativeScanCode = kXRightShift; return Qt::Key_Shift;
    case VK_CONTROL:
    case VK_LCONTROL: *NativeScanCode = kXLeftControl; return Qt::Key_Control;
    case VK_RCONTROL: *NativeScanCode = kXRightControl; return Qt::Key_Control;
    case VK_MENU:
    case VK_LMENU: *NativeScanCode = kXLeftAlt; return Qt::Key_Alt;
    default: break;
  }
  for (const TKeyMapping& m : kKeyMap)
    if (m.Vk == vk) {
      *Keypad = m.Keypad;
      return m.QtKey;
    }
  return 0;
}

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

bool DeliverKeyEvent(TWinControl* Receiver, QKeyEvent* Event) {
  if (!Receiver || !Application) return true;
  SafeInvoke(Receiver, [&] {
    const bool keypad = Event->modifiers() & Qt::KeypadModifier;
    const bool down = Event->type() == QEvent::KeyPress;
    // A key comes up as the key it went down as (see KeyStateNativeKey).
    const UINT vk = KeyStateNativeKey(Event->nativeScanCode(),
                                      VirtualKeyFromQt(Event->key(), keypad, Event->nativeScanCode()), down);
    if (vk) KeyStateSetKey(vk, 0, down);
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
