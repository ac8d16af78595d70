#include "platform/toolkit/WidgetControl.h"

#include <QApplication>
#include <QCoreApplication>
#include <QEvent>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QWheelEvent>
#include <QWidget>
#include <algorithm>

#include "platform/rtl/Cp1250.h"
#include "platform/toolkit/Forms.h"
#include "platform/toolkit/QtBridge.h"

QFont ToQFont(const TFont* Font) {
  QFont f;
  if (!Font) return f;
  f.setFamily(ToQString(Font->Name()));
  const int h = Font->Height();
  f.setPixelSize(std::max(1, h < 0 ? -h : h * 4 / 5));
  f.setBold(Font->Style().Contains(fsBold));
  f.setItalic(Font->Style().Contains(fsItalic));
  f.setUnderline(Font->Style().Contains(fsUnderline));
  f.setStrikeOut(Font->Style().Contains(fsStrikeOut));
  return f;
}

namespace {

// Sends the input of a control's widget (and of the parts that take the
// mouse) through the control first.
class TRouteFilter : public QObject {
 public:
  TRouteFilter(TWidgetControl* Control, QWidget* Main) : FControl(Control), FMain(Main) {}
  void Detach() { FControl = nullptr; }
  bool eventFilter(QObject* Watched, QEvent* Event) override {
    if (!FControl || !ControlAlive(FControl)) return false;
    if (Event->type() == QEvent::FocusIn) {
      FocusIn(static_cast<QFocusEvent*>(Event)->reason());
      return false;
    }
    if (!FControl->RouteEvent(Watched, Event, Watched == FMain)) return false;
    // Handled here: the event does not climb to the parent widget.
    Event->accept();
    return true;
  }

 private:
  // Tab and Shift+Tab move the keyboard focus inside the widgets: the form's
  // active control follows, so the control left behind hears it lost the
  // focus (a number field puts its value back, within its range).
  void FocusIn(Qt::FocusReason Reason) {
    if (Reason != Qt::TabFocusReason && Reason != Qt::BacktabFocusReason) return;
    TWidgetControl* c = FControl;
    SafeInvoke(c, [c] {
      TCustomForm* form = GetParentForm(c);
      if (form && form->ActiveControl() != c) form->SetActiveControl(c);
    });
  }

  TWidgetControl* FControl;
  QWidget* FMain;
};

bool IsMouse(QEvent::Type t) {
  return t == QEvent::MouseButtonPress || t == QEvent::MouseButtonRelease || t == QEvent::MouseButtonDblClick ||
         t == QEvent::MouseMove;
}

}  // namespace

// ---------------------------------------------------------------------------
// TWidgetControl

TWidgetControl::TWidgetControl(TComponent* AOwner) : TWinControl(AOwner), FFont(std::make_unique<TFont>()) {
  FFocusOnClick = true;
  FFont->OnChange = [this](TObject*) { FontChanged(); };
}

TWidgetControl::~TWidgetControl() {
  if (auto* f = static_cast<TRouteFilter*>(FFilter)) f->Detach();
}

void TWidgetControl::CreateHandle() {
  TWinControl::CreateHandle();
  QWidget* w = Widget();
  auto* filter = new TRouteFilter(this, w);
  filter->setParent(w);
  FFilter = filter;
  w->installEventFilter(filter);
  w->setAttribute(Qt::WA_NoMousePropagation);
  {
    TSyncScope sync(this);
    InitWidget();
  }
  FontChanged();
  ColorChanged();
  CreateGraphicViews(this);
}

void TWidgetControl::RouteMouseOf(QWidget* Part) {
  if (!Part || !FFilter) return;
  Part->installEventFilter(FFilter);
  Part->setAttribute(Qt::WA_NoMousePropagation);
}

bool TWidgetControl::RouteEvent(QObject* Target, QEvent* Event, bool Keys) {
  const QEvent::Type type = Event->type();
  const bool mouse = IsMouse(type) || type == QEvent::Wheel;
  const bool key = Keys && (type == QEvent::KeyPress || type == QEvent::KeyRelease);
  if (!mouse && !key) return false;
  if (FForwarding) return false;
  if (!Application) return false;
  TCustomForm* form = GetParentForm(this);
  if (form && Application->InputBlocked(form)) return true;
  if (mouse) {
    if (type == QEvent::Wheel)
      DeliverWheelEvent(this, static_cast<QWheelEvent*>(Event));
    else
      DeliverMouseEvent(this, static_cast<QMouseEvent*>(Event));
    // The widget does its own part (selection, caret) unless the control went.
    if (!ControlAlive(this) || !Enabled()) return true;
    if (type != QEvent::Wheel && WidgetMouse(Target, Event)) return true;
    Forward(Target, Event);
    if (type == QEvent::MouseButtonPress && QApplication::activePopupWidget()) PopupTookMouse();
    return true;
  }
  auto* ke = static_cast<QKeyEvent*>(Event);
  // Characters the code page cannot hold never reach the control.
  const QString text = ToQString(Utf8ToCp1250(ke->text().toStdString()));
  QKeyEvent filtered(ke->type(), ke->key(), ke->modifiers(), ke->nativeScanCode(), ke->nativeVirtualKey(),
                     ke->nativeModifiers(), text, ke->isAutoRepeat(), static_cast<quint16>(ke->count()));
  FKeyLeft = false;
  FSawKeyDown = false;
  FCharsLeft.clear();
  DeliverKeyEvent(this, &filtered);
  if (!ControlAlive(this)) return true;
  if (type == QEvent::KeyRelease) {
    Forward(Target, Event);
    return true;
  }
  const bool left = FKeyLeft || (!FSawKeyDown && !FCharsLeft.empty());
  if (!left) return true;
  const QString chars = ToQString(FCharsLeft);
  if (chars == ke->text()) {
    Forward(Target, Event);
    return true;
  }
  QKeyEvent forward(ke->type(), ke->key(), ke->modifiers(), ke->nativeScanCode(), ke->nativeVirtualKey(),
                    ke->nativeModifiers(), chars, ke->isAutoRepeat(), static_cast<quint16>(ke->count()));
  Forward(Target, &forward);
  return true;
}

void TWidgetControl::Forward(QObject* Target, QEvent* Event) {
  if (FInWidgetInput == 0) {
    SafeInvoke(this, [this] { WidgetInputStarts(); });
    if (!ControlAlive(this)) return;
  }
  FForwarding = true;
  ++FInWidgetInput;
  // Keys the widget leaves go no further: the toolkit has had them already.
  // Mouse events do not climb to the parent either (WA_NoMousePropagation).
  const QEvent::Type t = Event->type();
  if (t == QEvent::KeyPress || t == QEvent::KeyRelease)
    static_cast<QObject*>(Target)->event(Event);
  else
    QCoreApplication::sendEvent(Target, Event);
  if (!ControlAlive(this)) return;
  FForwarding = false;
  --FInWidgetInput;
  if (FInWidgetInput == 0) SafeInvoke(this, [this] { WidgetInputDone(); });
}

void TWidgetControl::WndProc(TMessage& Message) {
  switch (Message.Msg) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
      FSawKeyDown = true;
      if (!DoKeyDown(Message)) FKeyLeft = true;
      return;
    case WM_CHAR:
      if (!DoKeyPress(Message)) FCharsLeft.push_back(static_cast<char>(Message.WParam));
      return;
    default: break;
  }
  TWinControl::WndProc(Message);
}

void FocusLeavesHidden(TWinControl* Control) {
  if (!Control || Control->Visible()) return;
  TCustomForm* form = GetParentForm(Control);
  if (!form || form == Control) return;
  for (TControl* c = form->ActiveControl(); c; c = c->Parent())
    if (c == Control) {
      form->SetActiveControl(nullptr);
      break;
    }
}

namespace {

class TMouseRouteFilter : public QObject {
 public:
  TMouseRouteFilter(TWinControl* Control, QObject* Parent) : QObject(Parent), FControl(Control) {}
  bool eventFilter(QObject*, QEvent* Event) override {
    const QEvent::Type t = Event->type();
    if (!IsMouse(t) || !ControlAlive(FControl) || !Application) return false;
    TCustomForm* form = GetParentForm(FControl);
    if (form && Application->InputBlocked(form)) {
      Event->accept();
      return true;
    }
    DeliverMouseEvent(FControl, static_cast<QMouseEvent*>(Event));
    if (ControlAlive(FControl) && FControl->Enabled()) return false;
    Event->accept();
    return true;
  }

 private:
  TWinControl* FControl;
};

}  // namespace

void RouteMouseToControl(QWidget* Part, TWinControl* Control) {
  if (!Part) return;
  Part->installEventFilter(new TMouseRouteFilter(Control, Part));
  Part->setAttribute(Qt::WA_NoMousePropagation);
}

void TWidgetControl::VisibleChanged() {
  TWinControl::VisibleChanged();
  FocusLeavesHidden(this);
}

void TWidgetControl::EnabledChanged() { TWinControl::EnabledChanged(); }

void TWidgetControl::ColorChanged() {
  TWinControl::ColorChanged();
  QWidget* w = Widget();
  if (!w) return;
  if (ColorIsBackground()) {
    QPalette p = w->palette();
    const QColor c = ToQColor(EffectiveColor());
    p.setColor(QPalette::Base, c);
    p.setColor(QPalette::Window, c);
    w->setPalette(p);
    w->setAutoFillBackground(true);
  }
  w->update();
}

void TWidgetControl::FontChanged() {
  QWidget* w = Widget();
  if (!w) return;
  w->setFont(ToQFont(FFont.get()));
  // The font's colour while enabled; disabled, the system's grey text, as
  // disabled labels have it.
  QPalette p = w->palette();
  const QColor c = ToQColor(FFont->Color()), grey = ToQColor(clGrayText);
  for (QPalette::ColorGroup g : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
    const QColor shown = g == QPalette::Disabled ? grey : c;
    p.setColor(g, QPalette::Text, shown);
    p.setColor(g, QPalette::WindowText, shown);
    p.setColor(g, QPalette::ButtonText, shown);
  }
  w->setPalette(p);
}

// ---------------------------------------------------------------------------
// TWidgetGraphicControl and its view

class TGraphicView : public QWidget {
 public:
  TGraphicView(TWidgetGraphicControl* Control, QWidget* Parent) : QWidget(Parent), FControl(Control) {
    setMouseTracking(true);
    setFocusPolicy(Qt::NoFocus);
  }
  void Detach() { FControl = nullptr; }

 protected:
  bool event(QEvent* Event) override {
    if (FControl && ControlAlive(FControl) && FControl->Parent()) {
      const QEvent::Type t = Event->type();
      if (IsMouse(t)) return DeliverMouseEvent(FControl->Parent(), static_cast<QMouseEvent*>(Event));
      if (t == QEvent::Wheel) return DeliverWheelEvent(FControl->Parent(), static_cast<QWheelEvent*>(Event));
    }
    return QWidget::event(Event);
  }
  void paintEvent(QPaintEvent*) override {
    if (!FControl || !ControlAlive(FControl)) return;
    TWidgetGraphicControl* c = FControl;
    SafeInvoke(c, [c, this] { c->PaintView(this); });
  }

 private:
  TWidgetGraphicControl* FControl;
};

struct TWidgetGraphicControl::TViewRef {
  QPointer<TGraphicView> View;
};

TWidgetGraphicControl::TWidgetGraphicControl(TComponent* AOwner)
    : TGraphicControl(AOwner), FFont(std::make_unique<TFont>()), FView(std::make_unique<TViewRef>()) {
  FFont->OnChange = [this](TObject*) { FontChanged(); };
}

TWidgetGraphicControl::~TWidgetGraphicControl() { DropView(); }

void TWidgetGraphicControl::DropView() {
  if (TGraphicView* v = FView->View.data()) {
    v->Detach();
    v->hide();
    v->deleteLater();
  }
  FView->View = nullptr;
}

QWidget* TWidgetGraphicControl::View() const { return FView->View.data(); }

void TWidgetGraphicControl::SetParent(TWinControl* AParent) {
  if (AParent == Parent()) return;
  DropView();
  TGraphicControl::SetParent(AParent);
  ViewNeeded();
}

void TWidgetGraphicControl::ViewNeeded() {
  TWinControl* p = Parent();
  if (!p || !p->HandleAllocated() || !p->Widget()) return;
  if (TGraphicView* v = FView->View.data()) {
    if (v->parentWidget() == p->Widget()) return;
    DropView();
  }
  auto* v = new TGraphicView(this, p->Widget());
  FView->View = v;
  UpdateViewGeometry();
  v->setToolTip(ShowHint() ? ToQString(Hint()) : QString());
  v->setEnabled(Enabled());
  v->setVisible(Visible());
  Restack();
}

void TWidgetGraphicControl::Restack() {
  // The window system shows controls without a window under every windowed
  // sibling, each in the order they were placed.
  TWinControl* p = Parent();
  if (!p) return;
  for (int i = 0; i < p->ControlCount(); ++i)
    if (auto* g = dynamic_cast<TWidgetGraphicControl*>(p->Controls(i)))
      if (QWidget* v = g->View()) v->raise();
  for (int i = 0; i < p->ControlCount(); ++i)
    if (auto* w = dynamic_cast<TWinControl*>(p->Controls(i)))
      if (w->Widget() && !w->Widget()->isWindow()) w->Widget()->raise();
}

void TWidgetGraphicControl::Invalidate() {
  if (QWidget* v = View()) v->update();
}

void TWidgetGraphicControl::BoundsChanged(bool Moved, bool Sized) {
  TGraphicControl::BoundsChanged(Moved, Sized);
  ViewNeeded();
  UpdateViewGeometry();
}

void TWidgetGraphicControl::UpdateViewGeometry() {
  QWidget* v = View();
  if (!v || !Parent()) return;
  const POINT off = Parent()->ClientOffset();
  v->setGeometry(FLeft + off.x, FTop + off.y, FWidth, FHeight);
}

void TWidgetGraphicControl::VisibleChanged() {
  ViewNeeded();
  if (QWidget* v = View()) v->setVisible(Visible());
}

void TWidgetGraphicControl::EnabledChanged() {
  if (QWidget* v = View()) {
    v->setEnabled(Enabled());
    v->update();
  }
}

void TWidgetGraphicControl::HintChanged() {
  if (QWidget* v = View()) v->setToolTip(ShowHint() ? ToQString(Hint()) : QString());
}

void CreateGraphicViews(TWinControl* Control) {
  if (!Control || !Control->HandleAllocated()) return;
  for (int i = 0; i < Control->ControlCount(); ++i) {
    TControl* c = Control->Controls(i);
    if (auto* g = dynamic_cast<TWidgetGraphicControl*>(c))
      g->ViewNeeded();
    else if (auto* w = dynamic_cast<TWinControl*>(c))
      CreateGraphicViews(w);
  }
}
