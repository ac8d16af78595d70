#include "platform/toolkit/Forms.h"

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QGuiApplication>
#include <QMetaObject>
#include <QScreen>
#include <QWidget>
#include <QWindow>
#include <algorithm>
#include <memory>

#include "platform/toolkit/LoopHooks.h"
#include "platform/toolkit/QtBridge.h"
#include "platform/win/Gdi.h"
#include "platform/win/KeyState.h"
#include "platform/win/Window.h"

TApplication* Application = nullptr;

void InstallToolkitWindowBackend();
void RemoveToolkitWindowBackend();

namespace {

HWND HandleOf(TWinControl* c) { return c && ControlAlive(c) && c->HandleAllocated() ? c->Handle() : nullptr; }

// Each application gets a serial number so that messages posted by one never
// reach a later one at the same address.
unsigned gApplicationSerial = 0;
unsigned gCurrentSerial = 0;

struct THookEntry {
  TWindowHook Hook;
  bool Removed = false;
};
std::vector<std::shared_ptr<THookEntry>> gHooks;

}  // namespace

// ---------------------------------------------------------------------------
// TCustomForm

TCustomForm::TCustomForm(TComponent* AOwner) : TWinControl(AOwner), FCanvas(new TControlCanvas(this)) {
  FWidth = 320;
  FHeight = 240;
  SetVisibleFlag(false);
  SetColor(clBtnFace);
}

TCustomForm::~TCustomForm() {
  delete FCanvas;
  FCanvas = nullptr;
  if (Application) Application->FormDestroyed(this);
}

void TCustomForm::AfterConstruction() {
  if (OnCreate) {
    try {
      OnCreate(this);
    } catch (...) {
      if (!Application) throw;
      Application->HandleException(this);
    }
  }
}

void TCustomForm::BeforeDestruction() {
  Destroying();
  if (OnDestroy) {
    try {
      OnDestroy(this);
    } catch (...) {
      if (Application) Application->HandleException(this);
    }
  }
  if (Application) Application->FormDestroyed(this);
  TWinControl::BeforeDestruction();
}

void TCustomForm::SetCaption(const std::string& Value) {
  FCaption = Value;
  if (Widget()) Widget()->setWindowTitle(ToQString(FCaption));
}

void TCustomForm::SetBorderStyle(TFormBorderStyle Value) {
  if (Value == FBorderStyle) return;
  FBorderStyle = Value;
  if (Widget()) ApplyWindowFlags();
}

namespace {

// The window flags of a form. A form that runs modally is a dialog to the
// window manager: kept above the window it stands over, and shown at its own
// size by managers that give ordinary windows the whole screen.
Qt::WindowFlags FormWindowFlags(TFormBorderStyle Border, bool Modal) {
  const Qt::WindowFlags kind = Modal ? Qt::Dialog : Qt::Window;
  switch (Border) {
    case bsNone: return kind | Qt::FramelessWindowHint;
    case bsSingle:
      return kind | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
             Qt::WindowCloseButtonHint;
    case bsDialog:
      return Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
             Qt::WindowCloseButtonHint;
    case bsToolWindow:
    case bsSizeToolWin: return Qt::Tool;
    default: return kind;
  }
}

}  // namespace

void TCustomForm::ApplyWindowFlags() {
  QWidget* w = Widget();
  const bool wasVisible = w->isVisible();
  w->setWindowFlags(FormWindowFlags(FBorderStyle, FModal));
  UpdateWidgetGeometry();
  if (wasVisible) w->show();
}

void TCustomForm::UpdateWidgetGeometry() {
  QWidget* w = Widget();
  if (!w) return;
  w->move(FLeft, FTop);
  const POINT off = ClientOffset();
  const bool fixed = FBorderStyle != bsSizeable && FBorderStyle != bsSizeToolWin;
  if (fixed) {
    w->setFixedSize(ClientWidth() + off.x, ClientHeight() + off.y);
  } else {
    // While it runs modally a sizeable form keeps the least size ShowModal
    // gave it, so that no shrinking hides the buttons that close it.
    if (!FModal) w->setMinimumSize(0, 0);
    w->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    w->resize(ClientWidth() + off.x, ClientHeight() + off.y);
  }
}

QWidget* TCustomForm::CreateWidget(QWidget*) { return new TControlWidget(this, nullptr); }

void TCustomForm::CreateHandle() {
  TWinControl::CreateHandle();
  Widget()->setWindowTitle(ToQString(FCaption));
  ApplyWindowFlags();
  MenuChanged();
}

void TCustomForm::SetActiveControl(TWinControl* Control) {
  if (Control == this) Control = nullptr;
  if (Control == FActiveControl) return;
  TWinControl* old = FActiveControl;
  FActiveControl = Control;
  if (!FActive || !Application || !Application->Foreground()) return;
  TWinControl* from = old ? old : this;
  TWinControl* to = Control ? Control : this;
  if (ControlAlive(from)) SendWindowMessage(from, WM_KILLFOCUS, reinterpret_cast<WPARAM>(HandleOf(to)));
  if (ControlAlive(to)) {
    SendWindowMessage(to, WM_SETFOCUS, reinterpret_cast<WPARAM>(HandleOf(from)));
    if (to->Widget()) to->Widget()->setFocus();
  }
}

void TCustomForm::SetActiveFlag(bool Value) {
  if (FActive == Value) return;
  FActive = Value;
  if (Value)
    Activate();
  else
    Deactivate();
}

void TCustomForm::Activate() {
  if (OnActivate) OnActivate(this);
}

void TCustomForm::Deactivate() {
  if (OnDeactivate) OnDeactivate(this);
}

void TCustomForm::DoShow() {
  if (OnShow) OnShow(this);
}

void TCustomForm::DoHide() {
  if (OnHide) OnHide(this);
}

void TCustomForm::SetVisible(bool Value) {
  if (Value == Visible()) return;
  SetVisibleFlag(Value);
  if (Value)
    ShowWindowNow();
  else
    HideWindowNow();
}

void TCustomForm::ShowWindowNow() {
  HandleNeeded();
  if (!FShownOnce) {
    FShownOnce = true;
    if (FPosition == poScreenCenter || FPosition == poDesktopCenter || FPosition == poMainFormCenter ||
        FPosition == poOwnerFormCenter) {
      const int sw = GetSystemMetrics(SM_CXSCREEN), sh = GetSystemMetrics(SM_CYSCREEN);
      SetBounds((sw - FWidth) / 2, (sh - FHeight) / 2, FWidth, FHeight);
    }
  }
  SafeInvoke(this, [this] { DoShow(); });
  if (!ControlAlive(this) || !Visible()) return;
  // A form shown modally before is an ordinary window again when shown
  // without ShowModal.
  if (Widget()->windowType() != (FormWindowFlags(FBorderStyle, FModal) & Qt::WindowType_Mask)) ApplyWindowFlags();
  Widget()->show();
  // The window system activates a window it shows, within the showing and
  // before the window's position change is reported.
  if (Application) Application->ActivateForm(this);
  if (!ControlAlive(this) || !HandleAllocated()) return;
  WINDOWPOS wp;
  wp.hwnd = Handle();
  wp.x = FLeft;
  wp.y = FTop;
  wp.cx = FWidth;
  wp.cy = FHeight;
  wp.flags = SWP_SHOWWINDOW | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER;
  SendWindowMessage(this, WM_WINDOWPOSCHANGED, 0, reinterpret_cast<LPARAM>(&wp));
}

void TCustomForm::HideWindowNow() {
  if (!HandleAllocated()) return;
  SafeInvoke(this, [this] { DoHide(); });
  if (!ControlAlive(this) || !HandleAllocated()) return;
  Widget()->hide();
  WINDOWPOS wp;
  wp.hwnd = Handle();
  wp.x = FLeft;
  wp.y = FTop;
  wp.cx = FWidth;
  wp.cy = FHeight;
  wp.flags = SWP_HIDEWINDOW | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER;
  SendWindowMessage(this, WM_WINDOWPOSCHANGED, 0, reinterpret_cast<LPARAM>(&wp));
  if (Application && ControlAlive(this)) Application->FormHidden(this);
}

void TCustomForm::Show() {
  if (!Visible())
    SetVisible(true);
  else if (Application)
    Application->ActivateForm(this);
}

bool TCustomForm::CloseQuery() {
  bool canClose = true;
  if (OnCloseQuery) OnCloseQuery(this, canClose);
  return canClose;
}

void TCustomForm::SetModalResult(TModalResult Value) {
  FModalResult = Value;
  if (Value != mrNone)
    if (auto* d = QAbstractEventDispatcher::instance()) d->wakeUp();
}

void TCustomForm::Close() {
  if (FModal) {
    SetModalResult(mrCancel);
    return;
  }
  if (!CloseQuery()) return;
  TCloseAction action = caHide;
  if (OnClose) OnClose(this, action);
  if (action == caNone) return;
  if (Application && Application->MainForm() == this) {
    Application->Terminate();
  } else if (action == caHide || action == caMinimize) {
    Hide();
  } else if (action == caFree) {
    // Freed once the current message is done with it.
    Hide();
    TCustomForm* self = this;
    QMetaObject::invokeMethod(
        QCoreApplication::instance(),
        [self] {
          if (ControlAlive(self)) self->Free();
        },
        Qt::QueuedConnection);
  }
}

TModalResult TCustomForm::ShowModal() {
  if (Visible() || !Enabled() || FModal) throw EInvalidOperation("Cannot make a visible window modal");
  if (!Application) throw EInvalidOperation("No application");
  ReleaseMouseCapture(nullptr);
  HandleNeeded();
  // The window the form stands over: the topmost form running modally, else
  // the active form, else the main form (any of them shown).
  auto shown = [this](TCustomForm* f) -> QWidget* {
    if (!f || f == this || !ControlAlive(f) || !f->Visible() || !f->HandleAllocated()) return nullptr;
    QWidget* fw = f->Widget();
    return fw && fw->isVisible() && fw->windowHandle() ? fw : nullptr;
  };
  QWidget* under = nullptr;
  for (auto it = Application->FModalStack.rbegin(); it != Application->FModalStack.rend() && !under; ++it)
    under = shown(*it);
  if (!under) under = shown(Application->FActiveForm);
  if (!under) under = shown(Application->FMainForm);
  FModal = true;
  FModalResult = mrNone;
  Application->FModalStack.push_back(this);
  // To the window manager the form is a modal dialog standing over the
  // window under it (WM_TRANSIENT_FOR, _NET_WM_STATE_MODAL). Changing the
  // window's kind may make a new native window, so the kind comes first.
  QWidget* w = Widget();
  if (w->windowType() != (FormWindowFlags(FBorderStyle, true) & Qt::WindowType_Mask)) ApplyWindowFlags();
  w->setWindowModality(Qt::ApplicationModal);
  if (FBorderStyle == bsSizeable || FBorderStyle == bsSizeToolWin) {
    const POINT off = ClientOffset();
    w->setMinimumSize(ClientWidth() + off.x, ClientHeight() + off.y);
  }
  w->createWinId();
  if (QWindow* handle = w->windowHandle()) handle->setTransientParent(under ? under->windowHandle() : nullptr);
  auto finish = [this] {
    if (!ControlAlive(this)) return;
    auto& stack = Application->FModalStack;
    stack.erase(std::remove(stack.begin(), stack.end(), this), stack.end());
    FModal = false;
    if (Visible()) SetVisible(false);
    if (QWidget* fw = Widget()) {
      fw->setWindowModality(Qt::NonModal);
      if (QWindow* handle = fw->windowHandle()) handle->setTransientParent(nullptr);
      UpdateWidgetGeometry();
    }
  };
  try {
    Show();
    if (Application->FObserver && ControlAlive(this)) Application->FObserver->ModalFormOpened(this);
    long passes = 0;
    while (ControlAlive(this)) {
      Application->HandleMessage();
      if (!ControlAlive(this)) break;
      if (Application->FObserver && ++passes > Application->FObserver->PassLimit() && FModalResult == mrNone) {
        Application->FObserver->RunawayLoop();
        FModalResult = mrCancel;
      }
      if (Application->Terminated()) {
        FModalResult = mrCancel;
        break;
      }
      if (FModalResult != mrNone) {
        // Closing a modal form asks CloseQuery and OnClose like any close.
        TCloseAction action = caNone;
        if (CloseQuery()) {
          action = caHide;
          if (OnClose) OnClose(this, action);
        }
        if (action == caNone)
          FModalResult = mrNone;
        else
          break;
      }
    }
  } catch (...) {
    finish();
    throw;
  }
  if (!ControlAlive(this)) return mrCancel;
  finish();
  return FModalResult;
}

void TCustomForm::WndProc(TMessage& Message) {
  switch (Message.Msg) {
    case WM_CLOSE: Close(); return;
    case WM_QUERYNEWPALETTE:
      // About to get the focus: the controls realise their palettes.
      Message.Result = PaletteChanged(true) ? 1 : 0;
      return;
    case WM_PALETTECHANGED:
      // Another window changed the system palette.
      if (!HandleAllocated() || reinterpret_cast<HWND>(Message.WParam) != Handle()) PaletteChanged(false);
      return;
    default: break;
  }
  TWinControl::WndProc(Message);
}

// ---------------------------------------------------------------------------
// TApplication

TApplication::TApplication(TComponent* AOwner) : TComponent(AOwner) {
  EnsureGuiApplication();
  Application = this;
  FSerial = gCurrentSerial = ++gApplicationSerial;
  FHandle = AllocateWindowHandle(nullptr);
  gHooks.clear();
  InstallToolkitWindowBackend();
  if (!IsOffscreenPlatform()) {
    auto* connection = new QMetaObject::Connection;
    *connection = QObject::connect(qApp, &QGuiApplication::applicationStateChanged, [](Qt::ApplicationState s) {
      if (!Application || Application->Driven()) return;
      SafeInvoke(Application, [s] {
        if (s == Qt::ApplicationActive)
          Application->ActivateApplication();
        else if (s == Qt::ApplicationInactive)
          Application->DeactivateApplication();
      });
    });
    FStateConnection = std::shared_ptr<void>(connection, [](void* c) {
      auto* conn = static_cast<QMetaObject::Connection*>(c);
      QObject::disconnect(*conn);
      delete conn;
    });
  }
}

TApplication::~TApplication() {
  Destroying();
  DestroyComponents();
  FStateConnection.reset();
  gHooks.clear();
  RemoveToolkitWindowBackend();
  ReleaseWindowHandle(FHandle);
  if (Application == this) Application = nullptr;
  gCurrentSerial = 0;
  // Widgets of freed windows go now, not at some later loop.
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  ReleaseMouseCapture(nullptr);
}

std::string TApplication::Title() const {
  if (!FTitle.empty()) return FTitle;
  return FromQString(QCoreApplication::applicationName());
}

void TApplication::FormCreated(TCustomForm* Form) {
  if (!FMainForm) FMainForm = Form;
  Form->AfterConstruction();
}

void TApplication::Run() {
  if (!FMainForm) return;
  struct TDepth {
    int& Depth;
    explicit TDepth(int& d) : Depth(d) { ++Depth; }
    ~TDepth() { --Depth; }
  } depth(FRunDepth);
  if (!FMainForm->Visible()) FMainForm->Show();
  long passes = 0;
  do {
    if (FObserver && FObserver->RunShouldReturn()) break;
    HandleMessage();
    // No handler is running here, so the widgets of freed windows can go.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    // An observer's bounded run counts its own passes.
    if (FObserver && FObserver->CountsRunPasses() && ++passes > FObserver->PassLimit() && !FTerminated) {
      FObserver->RunawayLoop();
      Terminate();
    }
  } while (!FTerminated);
}

void TApplication::Terminate() {
  FTerminated = true;
  if (auto* d = QAbstractEventDispatcher::instance()) d->wakeUp();
}

void TApplication::ProcessPending() { QCoreApplication::processEvents(QEventLoop::AllEvents); }

void TApplication::ProcessMessages() { ProcessPending(); }

void TApplication::HandleMessage() {
  if (FObserver) FObserver->PassStarting();
  ProcessPending();
  if (!FTerminated) Idle();
  if (FObserver) FObserver->PassDone();
}

void TApplication::Idle() {
  // A system message box runs its own loop, which does no idle processing.
  if (FSystemModal > 0) return;
  bool done = true;
  if (OnIdle) {
    try {
      OnIdle(this, done);
    } catch (...) { HandleException(this); }
  }
  if (FObserver) FObserver->IdlePassed();
  if (done) WaitForEvents();
}

void TApplication::WaitForEvents() {
  if (FObserver || FTerminated) return;
  QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

void TApplication::HookMainWindow(const TWindowHook& Hook) {
  auto e = std::make_shared<THookEntry>();
  e->Hook = Hook;
  gHooks.push_back(e);
}

void TApplication::UnhookMainWindow(const TWindowHook& Hook) {
  for (auto it = gHooks.begin(); it != gHooks.end(); ++it)
    if ((*it)->Hook == Hook) {
      (*it)->Removed = true;
      gHooks.erase(it);
      return;
    }
}

int TApplication::HookCount() const { return static_cast<int>(gHooks.size()); }

LRESULT TApplication::Perform(UINT Msg, WPARAM WParam, LPARAM LParam) {
  TMessage m;
  m.Msg = Msg;
  m.WParam = WParam;
  m.LParam = LParam;
  WndProc(m);
  return m.Result;
}

void TApplication::PostMessage(UINT Msg, WPARAM WParam, LPARAM LParam) {
  const unsigned serial = FSerial;
  QMetaObject::invokeMethod(
      QCoreApplication::instance(),
      [serial, Msg, WParam, LParam] {
        if (!Application || gCurrentSerial != serial) return;
        SafeInvoke(Application, [=] { Application->Perform(Msg, WParam, LParam); });
      },
      Qt::QueuedConnection);
}

void TApplication::WndProc(TMessage& Message) {
  std::vector<std::shared_ptr<THookEntry>> hooks = gHooks;
  for (auto& h : hooks) {
    if (h->Removed) continue;
    if (h->Hook(Message)) return;
  }
  switch (Message.Msg) {
    case WM_ACTIVATEAPP:
      FActive = Message.WParam != 0;
      PostMessage(FActive ? CM_ACTIVATE : CM_DEACTIVATE);
      break;
    case WM_CLOSE:
      if (FMainForm) FMainForm->Close();
      break;
    default: break;
  }
}

void TApplication::HandleException(TObject* Sender) {
  std::exception_ptr p = std::current_exception();
  if (!p) return;
  if (FHandlingException) return;
  FHandlingException = true;
  auto report = [&](Exception& e) {
    try {
      if (OnException)
        OnException(Sender, e);
      else
        ShowException(e);
    } catch (...) {}
  };
  try {
    std::rethrow_exception(p);
  } catch (Exception& e) { report(e); } catch (std::exception& e) {
    Exception wrapped(e.what());
    report(wrapped);
  } catch (...) {
    Exception wrapped("Unknown exception");
    report(wrapped);
  }
  FHandlingException = false;
}

void TApplication::ShowException(const Exception& E) { MessageBox(E.Message(), Title(), MB_OK | MB_ICONERROR); }

int TApplication::MessageBox(const std::string& Text, const std::string& Caption, UINT Flags) {
  HWND owner = FActiveForm ? HandleOf(FActiveForm) : nullptr;
  return MessageBoxA(owner, Text.c_str(), Caption.c_str(), Flags);
}

bool TApplication::InputBlocked(const TCustomForm* Form) const {
  if (FSystemModal > 0) return true;
  if (!FModalStack.empty() && Form != FModalStack.back()) return true;
  return false;
}

std::vector<TCustomForm*> TApplication::Forms() const {
  std::vector<TCustomForm*> forms;
  for (int i = 0; i < ComponentCount(); ++i)
    if (auto* f = dynamic_cast<TCustomForm*>(Components(i))) forms.push_back(f);
  return forms;
}

void TApplication::SendActivateApp(bool Active) {
  SafeInvoke(this, [&] { Perform(WM_ACTIVATEAPP, Active ? 1 : 0, 0); });
  for (TCustomForm* f : Forms())
    if (ControlAlive(f) && f->HandleAllocated()) SendWindowMessage(f, WM_ACTIVATEAPP, Active ? 1 : 0, 0);
}

void TApplication::ActivateForm(TCustomForm* Form, WORD How) {
  if (!Form || !ControlAlive(Form)) return;
  const bool wasForeground = FForeground;
  TCustomForm* old = FActiveForm && ControlAlive(FActiveForm) ? FActiveForm : nullptr;
  if (wasForeground && old == Form) return;
  if (!wasForeground) {
    FForeground = true;
    SendActivateApp(true);
    if (!ControlAlive(Form)) return;
  }
  FActiveForm = Form;
  FActivationOrder.erase(std::remove(FActivationOrder.begin(), FActivationOrder.end(), Form), FActivationOrder.end());
  FActivationOrder.push_back(Form);
  Form->HandleNeeded();
  if (old && old != Form && wasForeground)
    SendWindowMessage(old, WM_ACTIVATE, WA_INACTIVE, reinterpret_cast<LPARAM>(HandleOf(Form)));
  if (!ControlAlive(Form)) return;
  SendWindowMessage(Form, WM_ACTIVATE, How, reinterpret_cast<LPARAM>(HandleOf(old)));
  if (!ControlAlive(Form)) return;
  TWinControl* focus = Form->FActiveControl && ControlAlive(Form->FActiveControl) ? Form->FActiveControl : Form;
  SendWindowMessage(focus, WM_SETFOCUS, 0);
  if (QWidget* w = Form->Widget()) {
    w->raise();
    w->activateWindow();
    if (focus->Widget()) focus->Widget()->setFocus();
  }
  // The form that has the focus within our program changes: its OnActivate
  // (and the previous one's OnDeactivate). Switching programs does not.
  if (old != Form) {
    if (old && ControlAlive(old)) SafeInvoke(old, [old] { old->SetActiveFlag(false); });
    if (ControlAlive(Form) && FActiveForm == Form) SafeInvoke(Form, [Form] { Form->SetActiveFlag(true); });
  }
}

void TApplication::DeactivateApplication() {
  if (!FForeground) return;
  TCustomForm* f = FActiveForm && ControlAlive(FActiveForm) ? FActiveForm : nullptr;
  if (f) {
    TWinControl* focus = f->FActiveControl && ControlAlive(f->FActiveControl) ? f->FActiveControl : f;
    SendWindowMessage(f, WM_ACTIVATE, WA_INACTIVE, 0);
    if (ControlAlive(focus)) SendWindowMessage(focus, WM_KILLFOCUS, 0);
  }
  FForeground = false;
  SendActivateApp(false);
  ReleaseMouseCapture(nullptr);
  KeyStateReleaseAll();
}

void TApplication::ActivateApplication() {
  if (FForeground) return;
  TCustomForm* target = nullptr;
  if (!FModalStack.empty())
    target = FModalStack.back();
  else if (FActiveForm && ControlAlive(FActiveForm) && FActiveForm->Visible())
    target = FActiveForm;
  else if (FMainForm && FMainForm->Visible())
    target = FMainForm;
  if (target) ActivateForm(target);
}

void TApplication::FormHidden(TCustomForm* Form) {
  if (Form != FActiveForm) return;
  TCustomForm* next = nullptr;
  for (auto it = FModalStack.rbegin(); it != FModalStack.rend() && !next; ++it)
    if (*it != Form && (*it)->Visible()) next = *it;
  for (auto it = FActivationOrder.rbegin(); it != FActivationOrder.rend() && !next; ++it)
    if (*it != Form && ControlAlive(*it) && (*it)->Visible()) next = *it;
  if (!next && FMainForm && FMainForm != Form && FMainForm->Visible()) next = FMainForm;
  if (next) {
    ActivateForm(next);
    return;
  }
  // None of our windows is left to activate: another program gets the foreground.
  if (FForeground) {
    SendWindowMessage(Form, WM_ACTIVATE, WA_INACTIVE, 0);
    FForeground = false;
    SendActivateApp(false);
    KeyStateReleaseAll();
  }
  FActiveForm = nullptr;
  SafeInvoke(Form, [Form] { Form->SetActiveFlag(false); });
}

void TApplication::FormDestroyed(TCustomForm* Form) {
  FActivationOrder.erase(std::remove(FActivationOrder.begin(), FActivationOrder.end(), Form), FActivationOrder.end());
  FModalStack.erase(std::remove(FModalStack.begin(), FModalStack.end(), Form), FModalStack.end());
  if (FActiveForm == Form) {
    FActiveForm = nullptr;
    TCustomForm* next = nullptr;
    for (auto it = FActivationOrder.rbegin(); it != FActivationOrder.rend() && !next; ++it)
      if (ControlAlive(*it) && (*it)->Visible() && !((*it)->ComponentState().Contains(csDestroying))) next = *it;
    if (next && !ComponentState().Contains(csDestroying)) ActivateForm(next);
  }
  if (FMainForm == Form) FMainForm = nullptr;
}
