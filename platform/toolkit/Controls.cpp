#include "platform/toolkit/Controls.h"

#include <QWidget>
#include <algorithm>

#include "platform/rtl/Format.h"
#include "platform/toolkit/Forms.h"
#include "platform/toolkit/QtBridge.h"
#include "platform/win/Gdi.h"
#include "platform/win/KeyState.h"
#include "platform/win/Window.h"

namespace {

TToolkitMouse gMouse;

}  // namespace

TToolkitMouse* Mouse = &gMouse;

POINT TToolkitMouse::CursorPos() const {
  POINT p;
  GetCursorPos(&p);
  return p;
}

TShiftState KeysToShiftState(WPARAM Keys) {
  TShiftState s;
  if (Keys & MK_SHIFT) s.Include(ssShift);
  if (Keys & MK_CONTROL) s.Include(ssCtrl);
  if (Keys & MK_LBUTTON) s.Include(ssLeft);
  if (Keys & MK_RBUTTON) s.Include(ssRight);
  if (Keys & MK_MBUTTON) s.Include(ssMiddle);
  bool alt = DispatchingInput() ? (DispatchModifiers() & Qt::AltModifier) != 0 : GetKeyState(VK_MENU) < 0;
  if (alt) s.Include(ssAlt);
  return s;
}

TShiftState KeyboardShiftState() {
  TShiftState s;
  if (DispatchingInput()) {
    Qt::KeyboardModifiers m = DispatchModifiers();
    if (m & Qt::ShiftModifier) s.Include(ssShift);
    if (m & Qt::ControlModifier) s.Include(ssCtrl);
    if (m & Qt::AltModifier) s.Include(ssAlt);
  } else {
    if (GetKeyState(VK_SHIFT) < 0) s.Include(ssShift);
    if (GetKeyState(VK_CONTROL) < 0) s.Include(ssCtrl);
    if (GetKeyState(VK_MENU) < 0) s.Include(ssAlt);
  }
  return s;
}

TCustomForm* GetParentForm(const TControl* Control) {
  if (!Control) return nullptr;
  const TControl* c = Control;
  while (c->Parent()) c = c->Parent();
  return dynamic_cast<TCustomForm*>(const_cast<TControl*>(c));
}

// ---------------------------------------------------------------------------
// TControl

TControl::TControl(TComponent* AOwner) : TComponent(AOwner), FColor(clBtnFace) {
  WindowProc = TWndMethod(this, &TControl::WndProc);
  RegisterControl(this);
}

TControl::~TControl() {
  ReleaseMouseCapture(this);
  // Owned components go while the control is still whole: those that watch
  // its window procedure put back what they replaced.
  DestroyComponents();
  if (FParent) FParent->RemoveControl(this);
  UnregisterControl(this);
}

void TControl::SetParent(TWinControl* AParent) {
  if (AParent == FParent) return;
  if (AParent == this) throw EInvalidOperation("A control cannot have itself as its parent");
  ReleaseCanvasesOf(this);
  if (FParent) FParent->RemoveControl(this);
  if (AParent) AParent->InsertControl(this);
  if (FParentShowHint) ShowHintChanged();
}

void TControl::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
  if (AWidth < 0) AWidth = 0;
  if (AHeight < 0) AHeight = 0;
  bool moved = ALeft != FLeft || ATop != FTop;
  bool sized = AWidth != FWidth || AHeight != FHeight;
  if (sized && !CanResize(AWidth, AHeight)) {
    AWidth = FWidth;
    AHeight = FHeight;
    sized = false;
  }
  if (!moved && !sized) return;
  FLeft = ALeft;
  FTop = ATop;
  FWidth = AWidth;
  FHeight = AHeight;
  BoundsChanged(moved, sized);
  if (sized) Resize();
  if (FParent && FAlign != alNone) FParent->Realign();
}

void TControl::SetClientWidth(int Value) { SetWidth(Value + (FWidth - ClientWidth())); }
void TControl::SetClientHeight(int Value) { SetHeight(Value + (FHeight - ClientHeight())); }

POINT TControl::ClientOrigin() const {
  if (!FParent) return POINT{FLeft, FTop};
  POINT p = FParent->ClientOrigin();
  return POINT{p.x + FLeft, p.y + FTop};
}

POINT TControl::ClientToScreen(POINT Point) const {
  POINT o = ClientOrigin();
  return POINT{Point.x + o.x, Point.y + o.y};
}

POINT TControl::ScreenToClient(POINT Point) const {
  POINT o = ClientOrigin();
  return POINT{Point.x - o.x, Point.y - o.y};
}

void TControl::SetAlign(TAlign Value) {
  if (Value == FAlign) return;
  FAlign = Value;
  if (FParent) FParent->Realign();
}

void TControl::SetVisible(bool Value) {
  if (Value == FVisible) return;
  FVisible = Value;
  VisibleChanged();
  if (FParent) {
    if (FAlign != alNone) FParent->Realign();
    FParent->Invalidate();
  }
}

bool TControl::Showing() const { return FVisible && (!FParent || FParent->Showing()); }

void TControl::SetEnabled(bool Value) {
  if (Value == FEnabled) return;
  FEnabled = Value;
  EnabledChanged();
}

void TControl::SetColor(TColor Value) {
  FParentColor = false;
  if (Value == FColor) return;
  FColor = Value;
  ColorChanged();
}

void TControl::SetParentColor(bool Value) {
  if (Value == FParentColor) return;
  FParentColor = Value;
  ColorChanged();
}

TColor TControl::EffectiveColor() const {
  if (FParentColor && FParent) return FParent->EffectiveColor();
  return FColor;
}

void TControl::ColorChanged() { Invalidate(); }

void TControl::SetCursor(TCursor Value) {
  if (Value == FCursor) return;
  FCursor = Value;
  CursorChanged();
}

void TControl::SetHint(const std::string& Value) {
  FHint = Value;
  HintChanged();
}

bool TControl::ShowHint() const {
  if (FParentShowHint && FParent) return FParent->ShowHint();
  return FShowHint;
}

void TControl::SetShowHint(bool Value) {
  FShowHint = Value;
  FParentShowHint = false;
  ShowHintChanged();
}

void TControl::SetParentShowHint(bool Value) {
  if (Value == FParentShowHint) return;
  // Without a parent the control keeps the value it shows now.
  if (!Value) FShowHint = ShowHint();
  FParentShowHint = Value;
  ShowHintChanged();
}

void TControl::ShowHintChanged() {
  HintChanged();
  if (auto* w = dynamic_cast<TWinControl*>(this))
    for (TControl* c : w->FControls)
      if (c->FParentShowHint) c->ShowHintChanged();
}

void TControl::Invalidate() {
  if (FParent) FParent->Invalidate();
}

void TControl::Repaint() {
  Invalidate();
  if (Application) Application->ProcessMessages();
}

LRESULT TControl::Perform(UINT Msg, WPARAM WParam, LPARAM LParam) {
  TMessage m;
  m.Msg = Msg;
  m.WParam = WParam;
  m.LParam = LParam;
  if (WindowProc)
    WindowProc(m);
  else
    WndProc(m);
  return m.Result;
}

void TControl::WndProc(TMessage& Message) {
  if (Message.Msg >= WM_MOUSEMOVE && Message.Msg <= WM_MBUTTONDBLCLK) MouseMessage(Message);
}

void TControl::MouseMessage(TMessage& Message) {
  const int x = GET_X_LPARAM(Message.LParam);
  const int y = GET_Y_LPARAM(Message.LParam);
  const TShiftState shift = KeysToShiftState(Message.WParam);
  switch (Message.Msg) {
    case WM_MOUSEMOVE: MouseMove(shift, x, y); break;
    case WM_LBUTTONDOWN:
      FClicked = true;
      MouseDown(mbLeft, shift, x, y);
      break;
    case WM_RBUTTONDOWN: MouseDown(mbRight, shift, x, y); break;
    case WM_MBUTTONDOWN: MouseDown(mbMiddle, shift, x, y); break;
    case WM_LBUTTONDBLCLK:
      DblClick();
      if (!ControlAlive(this)) return;
      MouseDown(mbLeft, shift + TShiftState{ssDouble}, x, y);
      break;
    case WM_RBUTTONDBLCLK: MouseDown(mbRight, shift + TShiftState{ssDouble}, x, y); break;
    case WM_MBUTTONDBLCLK: MouseDown(mbMiddle, shift + TShiftState{ssDouble}, x, y); break;
    case WM_LBUTTONUP:
      // A click is a press and a release of the left button on the control;
      // it comes before the release's own event.
      if (FClicked) {
        FClicked = false;
        if (x >= 0 && y >= 0 && x < FWidth && y < FHeight) {
          Click();
          if (!ControlAlive(this)) return;
        }
      }
      MouseUp(mbLeft, shift, x, y);
      break;
    case WM_RBUTTONUP: MouseUp(mbRight, shift, x, y); break;
    case WM_MBUTTONUP: MouseUp(mbMiddle, shift, x, y); break;
    default: break;
  }
}

void TControl::Click() {
  if (OnClick) OnClick(this);
}

void TControl::DblClick() {
  if (OnDblClick) OnDblClick(this);
}

void TControl::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (OnMouseDown) OnMouseDown(this, Button, Shift, X, Y);
}

void TControl::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (OnMouseUp) OnMouseUp(this, Button, Shift, X, Y);
}

void TControl::MouseMove(TShiftState Shift, int X, int Y) {
  if (OnMouseMove) OnMouseMove(this, Shift, X, Y);
}

bool TControl::CanResize(int& NewWidth, int& NewHeight) {
  bool resize = true;
  if (OnCanResize) OnCanResize(this, NewWidth, NewHeight, resize);
  return resize;
}

void TControl::Resize() {
  if (OnResize) OnResize(this);
}

void TControl::BoundsChanged(bool, bool) {
  if (FParent) FParent->Invalidate();
}

void TControl::VisibleChanged() {}

bool TControl::PaletteChanged(bool) { return false; }

// ---------------------------------------------------------------------------
// TWinControl

TWinControl::TWinControl(TComponent* AOwner) : TControl(AOwner) {}

TWinControl::~TWinControl() {
  Destroying();
  if (FHandle) DestroyHandle();
  // Children go before this control; the last placed goes first.
  while (!FControls.empty()) {
    TControl* c = FControls.back();
    RemoveControl(c);
    c->Free();
  }
  DestroyComponents();
}

void TWinControl::BeforeDestruction() {
  TControl::BeforeDestruction();
  if (FHandle) DestroyHandle();
}

HWND TWinControl::Handle() {
  HandleNeeded();
  return FHandle;
}

void TWinControl::HandleNeeded() {
  if (FHandle) return;
  if (!FParent && !dynamic_cast<TCustomForm*>(this))
    throw EInvalidOperation(Format("Control '%s' has no parent window", Name()));
  CreateHandle();
}

QWidget* TWinControl::CreateWidget(QWidget* ParentWidget) { return new TControlWidget(this, ParentWidget); }

void TWinControl::CreateHandle() {
  EnsureGuiApplication();
  QWidget* parentWidget = nullptr;
  if (FParent) {
    FParent->HandleNeeded();
    parentWidget = FParent->Widget();
  }
  FWidget = CreateWidget(parentWidget);
  FHandle = AllocateWindowHandle(this);
  if (auto* w = dynamic_cast<TControlWidget*>(FWidget)) w->ResizeBacking(ClientWidth(), ClientHeight());
  UpdateWidgetGeometry();
  FWidget->setEnabled(FEnabled);
  CursorChanged();
  HintChanged();
  if (FParent) FWidget->setVisible(FVisible);
  SendWindowMessage(this, WM_CREATE);
  for (TControl* c : std::vector<TControl*>(FControls))
    if (auto* w = dynamic_cast<TWinControl*>(c); w && ControlAlive(w)) w->HandleNeeded();
}

void TWinControl::DestroyHandle() {
  if (!FHandle) return;
  ReleaseCanvasesOf(this);
  // The window hears of its end first, then its children, as the window system does it.
  SendWindowMessage(this, WM_DESTROY);
  for (TControl* c : std::vector<TControl*>(FControls))
    if (auto* w = dynamic_cast<TWinControl*>(c); w && ControlAlive(w) && w->FHandle) w->DestroyHandle();
  ReleaseWindowHandle(FHandle);
  FHandle = nullptr;
  if (FWidget) {
    if (auto* w = dynamic_cast<TControlWidget*>(FWidget)) w->Detach();
    FWidget->hide();
    FWidget->deleteLater();
    FWidget = nullptr;
  }
}

TControl* TWinControl::Controls(int Index) const {
  if (Index < 0 || Index >= ControlCount()) throw EListError(Format("List index out of bounds (%d)", Index));
  return FControls[static_cast<size_t>(Index)];
}

void TWinControl::InsertControl(TControl* AControl) {
  AControl->FParent = this;
  FControls.push_back(AControl);
  if (auto* w = dynamic_cast<TWinControl*>(AControl); w && FHandle) w->HandleNeeded();
  if (AControl->FAlign != alNone) Realign();
  Invalidate();
}

void TWinControl::RemoveControl(TControl* AControl) {
  auto it = std::find(FControls.begin(), FControls.end(), AControl);
  if (it == FControls.end()) return;
  // The focus leaves a control (or a part of the form) that goes away.
  if (TCustomForm* form = GetParentForm(this)) {
    for (TControl* c = form->FActiveControl; c; c = c->FParent)
      if (c == AControl) {
        form->FActiveControl = nullptr;
        break;
      }
  }
  if (auto* w = dynamic_cast<TWinControl*>(AControl); w && w->FHandle) w->DestroyHandle();
  FControls.erase(std::find(FControls.begin(), FControls.end(), AControl));
  AControl->FParent = nullptr;
  if (AControl->FAlign != alNone) Realign();
  Invalidate();
}

TControl* TWinControl::ControlAtPos(POINT Pos, bool AllowDisabled, bool AllowWinControls) const {
  for (auto it = FControls.rbegin(); it != FControls.rend(); ++it) {
    TControl* c = *it;
    if (!c->FVisible || (!AllowDisabled && !c->FEnabled)) continue;
    if (!AllowWinControls && dynamic_cast<TWinControl*>(c)) continue;
    if (Pos.x >= c->FLeft && Pos.y >= c->FTop && Pos.x < c->FLeft + c->FWidth && Pos.y < c->FTop + c->FHeight) return c;
  }
  return nullptr;
}

POINT TWinControl::ClientOrigin() const {
  if (FWidget) {
    const POINT off = ClientOffset();
    QPoint p = FWidget->mapToGlobal(QPoint(off.x, off.y));
    return POINT{p.x(), p.y()};
  }
  return TControl::ClientOrigin();
}

bool TWinControl::Showing() const { return TControl::Showing(); }

bool TWinControl::Focused() const {
  TCustomForm* form = GetParentForm(this);
  if (!form || !form->Active() || !Application || !Application->Foreground()) return false;
  if (form == this) return form->ActiveControl() == nullptr;
  return form->ActiveControl() == this;
}

bool TWinControl::CanFocus() const {
  for (const TControl* c = this; c; c = c->Parent())
    if (!c->Visible() || !c->Enabled()) return false;
  return GetParentForm(this) != nullptr;
}

void TWinControl::SetFocus() {
  TCustomForm* form = GetParentForm(this);
  if (!form) return;
  form->SetActiveControl(form == this ? nullptr : this);
}

void TWinControl::Realign() {
  if (FAligning) return;
  ++FAligning;
  RECT r = ClientRect();
  try {
    AlignControls(r);
  } catch (...) {
    --FAligning;
    throw;
  }
  --FAligning;
}

void TWinControl::AlignControls(RECT& Rect) {
  auto place = [&](TAlign align) {
    std::vector<TControl*> list;
    for (TControl* c : FControls)
      if (c->FAlign == align && c->FVisible) list.push_back(c);
    std::stable_sort(list.begin(), list.end(), [align](TControl* a, TControl* b) {
      switch (align) {
        case alTop: return a->FTop < b->FTop;
        case alBottom: return a->FTop + a->FHeight > b->FTop + b->FHeight;
        case alLeft: return a->FLeft < b->FLeft;
        case alRight: return a->FLeft + a->FWidth > b->FLeft + b->FWidth;
        default: return false;
      }
    });
    for (TControl* c : list) {
      const int w = std::max(0, static_cast<int>(Rect.right - Rect.left));
      const int h = std::max(0, static_cast<int>(Rect.bottom - Rect.top));
      switch (align) {
        case alTop:
          c->SetBounds(Rect.left, Rect.top, w, c->FHeight);
          Rect.top += c->FHeight;
          break;
        case alBottom:
          c->SetBounds(Rect.left, Rect.bottom - c->FHeight, w, c->FHeight);
          Rect.bottom -= c->FHeight;
          break;
        case alLeft:
          c->SetBounds(Rect.left, Rect.top, c->FWidth, h);
          Rect.left += c->FWidth;
          break;
        case alRight:
          c->SetBounds(Rect.right - c->FWidth, Rect.top, c->FWidth, h);
          Rect.right -= c->FWidth;
          break;
        case alClient: c->SetBounds(Rect.left, Rect.top, w, h); break;
        default: break;
      }
    }
  };
  place(alTop);
  place(alBottom);
  place(alLeft);
  place(alRight);
  place(alClient);
}

void TWinControl::Invalidate() {
  if (auto* w = dynamic_cast<TControlWidget*>(FWidget))
    w->Invalidate();
  else if (FWidget)
    FWidget->update();
}

void TWinControl::UpdateWidgetGeometry() {
  if (!FWidget) return;
  const POINT off = FParent ? FParent->ClientOffset() : POINT{0, 0};
  FWidget->setGeometry(FLeft + off.x, FTop + off.y, FWidth, FHeight);
}

void TWinControl::BoundsChanged(bool Moved, bool Sized) {
  if (!FWidget) {
    if (Sized) Realign();
    return;
  }
  UpdateWidgetGeometry();
  if (auto* w = dynamic_cast<TControlWidget*>(FWidget)) w->ResizeBacking(ClientWidth(), ClientHeight());
  SendBoundsMessages(Moved, Sized);
}

// Tells the window procedure of a new position or size: WM_WINDOWPOSCHANGED,
// then WM_SIZE and a realignment of the children when the size changed.
void TWinControl::SendBoundsMessages(bool Moved, bool Sized) {
  WINDOWPOS wp;
  wp.hwnd = FHandle;
  wp.x = FLeft;
  wp.y = FTop;
  wp.cx = FWidth;
  wp.cy = FHeight;
  wp.flags = SWP_NOZORDER | SWP_NOACTIVATE | (Moved ? 0 : SWP_NOMOVE) | (Sized ? 0 : SWP_NOSIZE);
  SendWindowMessage(this, WM_WINDOWPOSCHANGED, 0, reinterpret_cast<LPARAM>(&wp));
  if (Sized) {
    SendWindowMessage(this, WM_SIZE, SIZE_RESTORED, MAKELPARAM(ClientWidth(), ClientHeight()));
    Realign();
  }
}

void TWinControl::SyncBoundsFromWidget(int ALeft, int ATop, int AWidth, int AHeight) {
  bool moved = ALeft != FLeft || ATop != FTop;
  bool sized = AWidth != FWidth || AHeight != FHeight;
  if (!moved && !sized) return;
  if (sized) {
    int w = AWidth, h = AHeight;
    if (!CanResize(w, h)) {
      // Refused: the window goes back to the size the control keeps.
      UpdateWidgetGeometry();
      sized = false;
    }
  }
  if (!moved && !sized) return;
  FLeft = ALeft;
  FTop = ATop;
  if (sized) {
    FWidth = AWidth;
    FHeight = AHeight;
    if (auto* w = dynamic_cast<TControlWidget*>(FWidget)) w->ResizeBacking(ClientWidth(), ClientHeight());
  }
  SendBoundsMessages(moved, sized);
  if (sized) Resize();
}

void TWinControl::VisibleChanged() {
  if (FWidget && FParent) FWidget->setVisible(FVisible);
}

void TWinControl::EnabledChanged() {
  if (FWidget) FWidget->setEnabled(FEnabled);
}

void TWinControl::ColorChanged() {
  Invalidate();
  for (TControl* c : FControls)
    if (c->FParentColor) c->ColorChanged();
}

void TWinControl::CursorChanged() {
  if (!FWidget) return;
  if (Cursor() == crDefault)
    FWidget->unsetCursor();
  else
    FWidget->setCursor(QtCursorShape(Cursor()));
}

void TWinControl::HintChanged() {
  if (FWidget) FWidget->setToolTip(ShowHint() ? ToQString(Hint()) : QString());
}

void TWinControl::WndProc(TMessage& Message) {
  switch (Message.Msg) {
    case WM_KEYDOWN:
      if (DoKeyDown(Message)) return;
      break;
    case WM_SYSKEYDOWN:
      if (DoKeyDown(Message)) return;
      // Alt+F4 not taken by the program is the window system's close command.
      if (Message.WParam == VK_F1 + 3) {
        if (TCustomForm* form = GetParentForm(this)) SendWindowMessage(form, WM_CLOSE);
        return;
      }
      break;
    case WM_KEYUP:
    case WM_SYSKEYUP:
      if (DoKeyUp(Message)) return;
      break;
    case WM_CHAR:
      if (DoKeyPress(Message)) return;
      break;
    case WM_PAINT: PaintWindow(); return;
    default: break;
  }
  TControl::WndProc(Message);
}

bool TWinControl::PaletteChanged(bool Foreground) {
  bool result = TControl::PaletteChanged(Foreground);
  for (auto it = FControls.rbegin(); it != FControls.rend(); ++it) {
    if (Foreground && result) break;
    result = (*it)->PaletteChanged(Foreground) || result;
  }
  return result;
}

void TWinControl::PaintWindow() {
  for (TControl* c : std::vector<TControl*>(FControls))
    if (!dynamic_cast<TWinControl*>(c) && c->FVisible && ControlAlive(c)) SendWindowMessage(c, WM_PAINT);
}

bool TWinControl::DoKeyDown(TMessage& Message) {
  TCustomForm* form = GetParentForm(this);
  if (form && form->IsShortCut(Message)) return true;
  if (form && form != this && form->KeyPreview() && form->DoKeyDown(Message)) return true;
  WORD key = static_cast<WORD>(Message.WParam);
  KeyDown(key, KeyboardShiftState());
  if (key == 0) return true;
  Message.WParam = key;
  return false;
}

bool TWinControl::DoKeyUp(TMessage& Message) {
  TCustomForm* form = GetParentForm(this);
  if (form && form != this && form->KeyPreview() && form->DoKeyUp(Message)) return true;
  WORD key = static_cast<WORD>(Message.WParam);
  KeyUp(key, KeyboardShiftState());
  if (key == 0) return true;
  Message.WParam = key;
  return false;
}

bool TWinControl::DoKeyPress(TMessage& Message) {
  TCustomForm* form = GetParentForm(this);
  if (form && form != this && form->KeyPreview() && form->DoKeyPress(Message)) return true;
  char key = static_cast<char>(Message.WParam);
  KeyPress(key);
  if (key == 0) return true;
  Message.WParam = static_cast<unsigned char>(key);
  return false;
}

void TWinControl::KeyDown(WORD& Key, TShiftState Shift) {
  if (OnKeyDown) OnKeyDown(this, Key, Shift);
}

void TWinControl::KeyUp(WORD& Key, TShiftState Shift) {
  if (OnKeyUp) OnKeyUp(this, Key, Shift);
}

void TWinControl::KeyPress(char& Key) {
  if (OnKeyPress) OnKeyPress(this, Key);
}

// ---------------------------------------------------------------------------
// TControlCanvas

namespace {

std::vector<TControlCanvas*>& Canvases() {
  static std::vector<TControlCanvas*> canvases;
  return canvases;
}

}  // namespace

void ReleaseCanvasesOf(const TControl* Control) {
  for (TControlCanvas* c : Canvases())
    if (c->Control() == Control || c->Control()->Parent() == Control) c->FreeHandle();
}

TControlCanvas::TControlCanvas(TControl* Control) : FControl(Control) { Canvases().push_back(this); }

TControlCanvas::~TControlCanvas() {
  FreeHandle();
  auto& list = Canvases();
  list.erase(std::remove(list.begin(), list.end(), this), list.end());
}

void TControlCanvas::FreeHandle() {
  if (!HandleAllocated()) return;
  HDC dc = Handle();
  SetHandle(nullptr);
  DeleteDC(dc);
}

void TControlCanvas::CreateHandle() {
  // A control without a window draws on its part of its parent's window.
  auto* win = dynamic_cast<TWinControl*>(FControl);
  int ox = 0, oy = 0;
  if (!win) {
    win = FControl->Parent();
    ox = FControl->Left();
    oy = FControl->Top();
  }
  if (!win || (!win->HandleAllocated() && !win->Parent() && !GetParentForm(win))) return;
  win->HandleNeeded();
  auto* w = dynamic_cast<TControlWidget*>(win->Widget());
  if (!w || w->Backing().isNull()) return;
  QImage& img = w->Backing();
  const int x0 = std::max(ox, 0), y0 = std::max(oy, 0);
  const int x1 = std::min(ox + FControl->Width(), img.width()), y1 = std::min(oy + FControl->Height(), img.height());
  if (x1 <= x0 || y1 <= y0) return;
  const auto pitch = static_cast<LONG>(img.bytesPerLine());
  uchar* bits = img.bits() + static_cast<std::ptrdiff_t>(y0) * pitch + static_cast<std::ptrdiff_t>(x0) * 4;
  HDC dc = CreateDCOverBits(bits, x1 - x0, y1 - y0, pitch, 32, 0xFF0000, 0x00FF00, 0x0000FF, nullptr, 0);
  if (dc) SetHandle(dc);
}

namespace {
TControlWidget* CanvasWidget(TControl* control) {
  TWinControl* win = dynamic_cast<TWinControl*>(control);
  if (!win) win = control->Parent();
  if (!win || !ControlAlive(win)) return nullptr;
  return dynamic_cast<TControlWidget*>(win->Widget());
}
}  // namespace

void TControlCanvas::Changing() {
  if (TControlWidget* w = CanvasWidget(FControl)) w->RenderIfNeeded();
  TCanvas::Changing();
}

void TControlCanvas::Changed() {
  TCanvas::Changed();
  // Drawn straight onto the screen: the window shows it at its next flush.
  if (TControlWidget* w = CanvasWidget(FControl); w && !w->InPaint()) w->update();
}

// ---------------------------------------------------------------------------
// TCustomControl, TGraphicControl

TCustomControl::TCustomControl(TComponent* AOwner) : TWinControl(AOwner), FCanvas(new TControlCanvas(this)) {}

TCustomControl::~TCustomControl() {
  delete FCanvas;
  FCanvas = nullptr;
}

void TCustomControl::PaintWindow() {
  Paint();
  TWinControl::PaintWindow();
}

TGraphicControl::TGraphicControl(TComponent* AOwner) : TControl(AOwner), FCanvas(new TControlCanvas(this)) {}

TGraphicControl::~TGraphicControl() {
  delete FCanvas;
  FCanvas = nullptr;
}

void TGraphicControl::BoundsChanged(bool Moved, bool Sized) {
  if (FCanvas) FCanvas->FreeHandle();
  TControl::BoundsChanged(Moved, Sized);
}

void TGraphicControl::WndProc(TMessage& Message) {
  if (Message.Msg == WM_PAINT) {
    Paint();
    return;
  }
  TControl::WndProc(Message);
}
