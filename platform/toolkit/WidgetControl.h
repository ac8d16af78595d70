// The common ground of the standard controls: TWidgetControl, a windowed
// control shown by one of Qt's own widgets (an edit box, a list, a button),
// and TWidgetGraphicControl, a control without a window (label, shape, speed
// button) that Qt shows through a light view inside its parent's window.
//
// Each control object holds its own state (texts, items, selection, value);
// the widget shows that state and reports the user's changes back. Input on
// the widget goes to the toolkit first, as window messages (OnMouseDown,
// OnKeyDown with the form's preview), and only what the toolkit leaves
// unconsumed reaches the widget's own handling.
#pragma once

#include <memory>

#include "platform/toolkit/Controls.h"
#include "platform/toolkit/Graphics.h"

class QFont;
class QObject;
class QEvent;
class QWidget;

class TWidgetControl : public TWinControl {
 public:
  explicit TWidgetControl(TComponent* AOwner);
  ~TWidgetControl() override;

  TFont* Font() const { return FFont.get(); }
  void SetFont(const TFont* Value) { FFont->Assign(Value); }

  void WndProc(TMessage& Message) override;

  // Plumbing for the widget's event filter (QtBridge side of the control).
  bool RouteEvent(QObject* Target, QEvent* Event, bool Keys);

 protected:
  void CreateHandle() override;
  void VisibleChanged() override;
  void ColorChanged() override;
  void EnabledChanged() override;
  // The font or its colour changed: the widget takes them.
  virtual void FontChanged();
  // After the widget exists: the control's state goes into it.
  virtual void InitWidget() {}
  // Routes the mouse input of a part of the widget (a viewport, an inner
  // edit box) through the toolkit; the main widget's keys are routed always.
  void RouteMouseOf(QWidget* Part);
  // Mouse input on a part of the widget, after the toolkit had it: true when
  // the control did the widget's part itself (the widget then never sees it).
  virtual bool WidgetMouse(QObject* Target, QEvent* Event) {
    (void)Target;
    (void)Event;
    return false;
  }
  // The widget has handled one piece of input (a key, a mouse event): what it
  // changed is reported now, once.
  virtual void WidgetInputDone() {}
  // The widget is about to handle a piece of input: what it shows must be
  // the control's state by then.
  virtual void WidgetInputStarts() {}
  bool InWidgetInput() const { return FInWidgetInput > 0; }
  // Whether the widget shows the control's Color as its background; lists
  // and edit boxes paint their base with it, buttons keep the system face.
  virtual bool ColorIsBackground() const { return true; }
  // True while the control writes its state into the widget (user-change
  // signals of the widget are not reports then).
  bool Syncing() const { return FSyncing > 0; }
  // Lets the widget handle an event (the route filter stays out of it).
  void Forward(QObject* Target, QEvent* Event);
  struct TSyncScope {
    explicit TSyncScope(TWidgetControl* c) : C(c) { ++C->FSyncing; }
    ~TSyncScope() { --C->FSyncing; }
    TWidgetControl* C;
  };

 private:
  std::unique_ptr<TFont> FFont;
  QObject* FFilter = nullptr;
  int FSyncing = 0;
  // Set by WndProc when the toolkit left a key to the widget.
  bool FKeyLeft = false;
  bool FSawKeyDown = false;
  std::string FCharsLeft;
  bool FForwarding = false;
  int FInWidgetInput = 0;
};

class TGraphicView;

class TWidgetGraphicControl : public TGraphicControl {
 public:
  explicit TWidgetGraphicControl(TComponent* AOwner);
  ~TWidgetGraphicControl() override;

  TFont* Font() const { return FFont.get(); }
  void SetFont(const TFont* Value) { FFont->Assign(Value); }

  void SetParent(TWinControl* AParent) override;
  void Invalidate() override;
  // Makes the view inside the parent's window when that window exists.
  void ViewNeeded();
  // The view (null while the parent has no window).
  QWidget* View() const;
  // Puts the view where the control stands in its parent's client area.
  void UpdateViewGeometry();

  // Draws the control on the view (Qt painting); called by the view.
  virtual void PaintView(QWidget* View) = 0;

 protected:
  void Paint() override { ViewNeeded(); }
  void BoundsChanged(bool Moved, bool Sized) override;
  void VisibleChanged() override;
  void EnabledChanged() override;
  void HintChanged() override;
  virtual void FontChanged() { Invalidate(); }

 private:
  struct TViewRef;
  void DropView();
  void Restack();
  std::unique_ptr<TFont> FFont;
  std::unique_ptr<TViewRef> FView;
};

// A hidden control cannot keep the keyboard focus: when the focused control
// of Control's form is Control or lies inside it, the focus goes to the form.
void FocusLeavesHidden(TWinControl* Control);
// Mouse input that reaches Part (a piece of a control's window that Qt
// gives its own widget, such as a tab bar) goes through Control first.
void RouteMouseToControl(QWidget* Part, TWinControl* Control);

// The Qt font of a toolkit font ("Comic Sans MS" and other face names are
// resolved through fontconfig).
QFont ToQFont(const TFont* Font);
// Makes sure every light view below Control exists (its window's children
// included), so that Qt can show them at once.
void CreateGraphicViews(TWinControl* Control);
