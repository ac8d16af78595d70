// Controls: TControl (position, size, alignment, visibility, mouse events),
// TWinControl (a control with its own window: a handle, children, keyboard
// focus and key events), TCustomControl and TGraphicControl. Every message a
// control receives passes through its WindowProc slot, which WndProc fills by
// default; a component may replace the slot to watch another control's
// messages and restore it afterwards.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/toolkit/Canvas.h"
#include "platform/toolkit/Component.h"
#include "platform/toolkit/Graphics.h"
#include "platform/toolkit/Methods.h"
#include "platform/toolkit/Sets.h"
#include "platform/win/Messages.h"
#include "platform/win/Types.h"

class QWidget;
class TWinControl;
class TCustomForm;

struct TMessage {
  UINT Msg = 0;
  WPARAM WParam = 0;
  LPARAM LParam = 0;
  LRESULT Result = 0;
};

using TWndMethod = TMethod<void(TMessage& Message)>;

enum TAlign { alNone, alTop, alBottom, alLeft, alRight, alClient };
enum TMouseButton { mbLeft, mbRight, mbMiddle };
enum TShiftStateItem { ssShift, ssAlt, ssCtrl, ssLeft, ssRight, ssMiddle, ssDouble };
using TShiftState = TSet<TShiftStateItem>;

using TCursor = std::int16_t;
constexpr TCursor crDefault = 0;
constexpr TCursor crNone = -1;
constexpr TCursor crArrow = -2;
constexpr TCursor crCross = -3;
constexpr TCursor crIBeam = -4;
constexpr TCursor crSizeNESW = -6;
constexpr TCursor crSizeNS = -7;
constexpr TCursor crSizeNWSE = -8;
constexpr TCursor crSizeWE = -9;
constexpr TCursor crUpArrow = -10;
constexpr TCursor crHourGlass = -11;
constexpr TCursor crNo = -18;
constexpr TCursor crHandPoint = -21;
constexpr TCursor crSizeAll = -22;

using TMouseEvent = TMethod<void(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y)>;
using TMouseMoveEvent = TMethod<void(TObject* Sender, TShiftState Shift, int X, int Y)>;
using TKeyEvent = TMethod<void(TObject* Sender, WORD& Key, TShiftState Shift)>;
using TKeyPressEvent = TMethod<void(TObject* Sender, char& Key)>;
using TCanResizeEvent = TMethod<void(TObject* Sender, int& NewWidth, int& NewHeight, bool& Resize)>;

// The shift state of a mouse message's WParam (keys and buttons held), with
// Alt from the keyboard state at the time the message was made.
TShiftState KeysToShiftState(WPARAM Keys);
// The shift state of a key message: Shift, Ctrl and Alt as they are held.
// Caps Lock and Num Lock never count.
TShiftState KeyboardShiftState();

class TControl : public TComponent {
 public:
  explicit TControl(TComponent* AOwner);
  ~TControl() override;

  TWinControl* Parent() const { return FParent; }
  virtual void SetParent(TWinControl* AParent);

  int Left() const { return FLeft; }
  int Top() const { return FTop; }
  int Width() const { return FWidth; }
  int Height() const { return FHeight; }
  void SetLeft(int Value) { SetBounds(Value, FTop, FWidth, FHeight); }
  void SetTop(int Value) { SetBounds(FLeft, Value, FWidth, FHeight); }
  void SetWidth(int Value) { SetBounds(FLeft, FTop, Value, FHeight); }
  void SetHeight(int Value) { SetBounds(FLeft, FTop, FWidth, Value); }
  // Moves and sizes the control (coordinates in its parent's client area; a
  // form's in screen coordinates). A size change asks CanResize first.
  virtual void SetBounds(int ALeft, int ATop, int AWidth, int AHeight);
  RECT BoundsRect() const { return RECT{FLeft, FTop, FLeft + FWidth, FTop + FHeight}; }

  // The client area's size; a control without a frame has its whole size.
  virtual int ClientWidth() const { return FWidth; }
  virtual int ClientHeight() const { return FHeight; }
  void SetClientWidth(int Value);
  void SetClientHeight(int Value);
  RECT ClientRect() const { return RECT{0, 0, ClientWidth(), ClientHeight()}; }
  // The screen position of the client area's top left corner.
  virtual POINT ClientOrigin() const;
  POINT ClientToScreen(POINT Point) const;
  POINT ScreenToClient(POINT Point) const;

  TAlign Align() const { return FAlign; }
  void SetAlign(TAlign Value);

  bool Visible() const { return FVisible; }
  virtual void SetVisible(bool Value);
  void Show() { SetVisible(true); }
  void Hide() { SetVisible(false); }
  // Visible, and every parent showing too.
  virtual bool Showing() const;

  bool Enabled() const { return FEnabled; }
  virtual void SetEnabled(bool Value);

  TColor Color() const { return FColor; }
  void SetColor(TColor Value);
  bool ParentColor() const { return FParentColor; }
  void SetParentColor(bool Value);
  // The colour the control paints its background with (its parent's when
  // ParentColor is set).
  TColor EffectiveColor() const;

  TCursor Cursor() const { return FCursor; }
  void SetCursor(TCursor Value);

  const std::string& Hint() const { return FHint; }
  void SetHint(const std::string& Value);
  // Whether the control shows its hint: its parent's setting while
  // ParentShowHint holds (so a form's ShowHint reaches all its controls),
  // else its own. Setting ShowHint clears ParentShowHint.
  bool ShowHint() const;
  void SetShowHint(bool Value);
  bool ParentShowHint() const { return FParentShowHint; }
  void SetParentShowHint(bool Value);

  // Schedules a repaint (of the parent's area for controls without a window).
  virtual void Invalidate();
  void Repaint();

  // Every message of the control goes through this slot; it holds WndProc of
  // this control until something replaces it.
  TWndMethod WindowProc;
  // Sends a message to the control through WindowProc and returns its Result.
  LRESULT Perform(UINT Msg, WPARAM WParam = 0, LPARAM LParam = 0);
  // The control's own handling of a message.
  virtual void WndProc(TMessage& Message);

  TNotifyEvent OnClick;
  TNotifyEvent OnDblClick;
  TMouseEvent OnMouseDown;
  TMouseEvent OnMouseUp;
  TMouseMoveEvent OnMouseMove;
  TNotifyEvent OnResize;
  TCanResizeEvent OnCanResize;

  virtual void Click();
  virtual void DblClick();

 protected:
  virtual void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y);
  virtual void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y);
  virtual void MouseMove(TShiftState Shift, int X, int Y);
  // Asked before each change of size; the default asks OnCanResize.
  virtual bool CanResize(int& NewWidth, int& NewHeight);
  virtual void Resize();
  // After FLeft..FHeight changed: windowed controls move their window here.
  virtual void BoundsChanged(bool Moved, bool Sized);
  virtual void VisibleChanged();
  virtual void EnabledChanged() {}
  virtual void ColorChanged();
  virtual void CursorChanged() {}
  virtual void HintChanged() {}
  // The system palette changed (Foreground: this window is about to get the
  // focus and may take the palette); true when the control acted on it.
  // Forms pass WM_QUERYNEWPALETTE and WM_PALETTECHANGED on to their controls
  // through this. Our screen has no palette, so the toolkit itself sends
  // neither message.
  virtual bool PaletteChanged(bool Foreground);

  // Sets the visibility flag alone (forms show and hide their windows themselves).
  void SetVisibleFlag(bool Value) { FVisible = Value; }

  int FLeft = 0, FTop = 0, FWidth = 0, FHeight = 0;

 private:
  friend class TWinControl;
  void MouseMessage(TMessage& Message);

  TWinControl* FParent = nullptr;
  TAlign FAlign = alNone;
  bool FVisible = true;
  bool FEnabled = true;
  TColor FColor;
  bool FParentColor = false;
  TCursor FCursor = crDefault;
  std::string FHint;
  bool FShowHint = false;
  bool FParentShowHint = true;
  bool FClicked = false;
  // The control and every child that takes its setting from it update their hints.
  void ShowHintChanged();
};

class TWinControl : public TControl {
 public:
  explicit TWinControl(TComponent* AOwner);
  ~TWinControl() override;
  void BeforeDestruction() override;

  // The window handle, made on first use (with the parent's, WM_CREATE sent).
  HWND Handle();
  bool HandleAllocated() const { return FHandle != nullptr; }
  void HandleNeeded();
  // The Qt widget behind the window (null until the handle exists).
  QWidget* Widget() const { return FWidget; }

  int ControlCount() const { return static_cast<int>(FControls.size()); }
  TControl* Controls(int Index) const;
  void InsertControl(TControl* AControl);
  void RemoveControl(TControl* AControl);
  // The topmost visible child (enabled unless AllowDisabled) at a client
  // point, or null.
  TControl* ControlAtPos(POINT Pos, bool AllowDisabled, bool AllowWinControls = false) const;

  POINT ClientOrigin() const override;
  bool Showing() const override;
  // Where the client area starts inside the window's widget: below a bar
  // the window shows above its client area (a form's menu bar).
  virtual POINT ClientOffset() const { return POINT{0, 0}; }

  // Keyboard focus: the control that receives the keys of its form.
  bool Focused() const;
  virtual bool CanFocus() const;
  virtual void SetFocus();

  // Arranges the aligned children over the client area.
  void Realign();

  void Invalidate() override;
  void WndProc(TMessage& Message) override;

  bool FocusOnClick() const { return FFocusOnClick; }
  // The window system moved or sized the window (the user, or the window
  // manager): the control takes the new bounds without moving it again.
  void SyncBoundsFromWidget(int ALeft, int ATop, int AWidth, int AHeight);

  TKeyEvent OnKeyDown;
  TKeyEvent OnKeyUp;
  TKeyPressEvent OnKeyPress;

 protected:
  // Makes the widget for the window; ParentWidget is the parent's widget (null
  // for a top-level window). Controls backed by other widgets override it.
  virtual QWidget* CreateWidget(QWidget* ParentWidget);
  virtual void CreateHandle();
  virtual void DestroyHandle();
  void BoundsChanged(bool Moved, bool Sized) override;
  void VisibleChanged() override;
  void EnabledChanged() override;
  void ColorChanged() override;
  void CursorChanged() override;
  void HintChanged() override;
  virtual void UpdateWidgetGeometry();
  bool PaletteChanged(bool Foreground) override;
  virtual void AlignControls(RECT& Rect);
  // Painting of the window (WM_PAINT); the default paints the children that
  // have no window of their own.
  virtual void PaintWindow();

  virtual void KeyDown(WORD& Key, TShiftState Shift);
  virtual void KeyUp(WORD& Key, TShiftState Shift);
  virtual void KeyPress(char& Key);
  // Key handling with the form's preview first; true when consumed.
  bool DoKeyDown(TMessage& Message);
  bool DoKeyUp(TMessage& Message);
  bool DoKeyPress(TMessage& Message);

  // Whether a click on the control moves the keyboard focus to it (standard
  // input controls); drawing surfaces and panels leave the focus alone.
  bool FFocusOnClick = false;

 private:
  friend class TControl;
  friend class TCustomForm;
  void SendBoundsMessages(bool Moved, bool Sized);
  void DestroyHandleTree();

  HWND FHandle = nullptr;
  QWidget* FWidget = nullptr;
  std::vector<TControl*> FControls;
  int FAligning = 0;
};

// The canvas of a control: draws into the control's client area on the
// screen (its window's pixels, or its part of the parent's for a control
// without a window; a control placed partly left of or above its parent's
// client area draws from the visible corner). What is drawn shows at once; a
// repaint of the control (after Invalidate) starts again from its colour.
class TControlCanvas : public TCanvas {
 public:
  explicit TControlCanvas(TControl* Control);
  ~TControlCanvas() override;
  TControl* Control() const { return FControl; }
  // Lets go of the device context (the pixels moved or the control did).
  void FreeHandle();
  // Before drawing: a repaint still due happens first (it would wipe the
  // drawing otherwise). After: the window shows the new pixels.
  void Changing() override;
  void Changed() override;

 protected:
  void CreateHandle() override;

 private:
  TControl* FControl;
};

// A windowed control that paints itself (Paint, on WM_PAINT, with Canvas).
class TCustomControl : public TWinControl {
 public:
  explicit TCustomControl(TComponent* AOwner);
  ~TCustomControl() override;
  TCanvas* Canvas() const { return FCanvas; }

 protected:
  virtual void Paint() {}
  void PaintWindow() override;

 private:
  TControlCanvas* FCanvas;
};

// A control without a window of its own, painted by and inside its parent.
class TGraphicControl : public TControl {
 public:
  explicit TGraphicControl(TComponent* AOwner);
  ~TGraphicControl() override;
  void WndProc(TMessage& Message) override;
  TCanvas* Canvas() const { return FCanvas; }

 protected:
  virtual void Paint() {}
  void BoundsChanged(bool Moved, bool Sized) override;

 private:
  TControlCanvas* FCanvas;
};

// The form a control is placed on (itself for a form), or null.
TCustomForm* GetParentForm(const TControl* Control);

// The toolkit's mouse: where the pointer is on the screen.
class TToolkitMouse {
 public:
  POINT CursorPos() const;
};
extern TToolkitMouse* Mouse;
