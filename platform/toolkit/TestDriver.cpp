#include "platform/toolkit/TestDriver.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPointer>
#include <QWheelEvent>
#include <QWidget>
#include <algorithm>
#include <cstdio>

#include "platform/rtl/Cp1250.h"
#include "platform/toolkit/Dialogs.h"
#include "platform/toolkit/MessageBoxes.h"
#include "platform/toolkit/QtBridge.h"
#include "platform/win/Time.h"
#include "platform/win/Window.h"

void TDialogEvent::ClickOk() { Kind == dkModalForm ? SetModalResult(mrOk) : void(Result = IDOK); }
void TDialogEvent::ClickCancel() { Kind == dkModalForm ? SetModalResult(mrCancel) : void(Result = IDCANCEL); }
void TDialogEvent::ClickYes() { Kind == dkModalForm ? SetModalResult(mrYes) : void(Result = IDYES); }
void TDialogEvent::ClickNo() { Kind == dkModalForm ? SetModalResult(mrNo) : void(Result = IDNO); }

void TDialogEvent::SetModalResult(TModalResult Value) {
  if (Kind == dkModalForm && Form && ControlAlive(Form)) Form->SetModalResult(Value);
  Result = Value;
}

namespace {

QPointer<QWidget>& PressedWidget() {
  static QPointer<QWidget> w;
  return w;
}

Qt::KeyboardModifiers ModifiersOf(TShiftState s) {
  Qt::KeyboardModifiers m;
  if (s.Contains(ssShift)) m |= Qt::ShiftModifier;
  if (s.Contains(ssCtrl)) m |= Qt::ControlModifier;
  if (s.Contains(ssAlt)) m |= Qt::AltModifier;
  return m;
}

Qt::MouseButton QtButtonOf(TMouseButton b) {
  return b == mbLeft ? Qt::LeftButton : b == mbRight ? Qt::RightButton : Qt::MiddleButton;
}

// The widget a pointer event at a screen point reaches: the deepest of our
// widgets there within the control's form.
QWidget* WidgetAt(TControl* control, QPoint global) {
  TCustomForm* form = GetParentForm(control);
  TWinControl* top = form ? static_cast<TWinControl*>(form) : dynamic_cast<TWinControl*>(control);
  if (!top) top = control->Parent();
  if (!top) return nullptr;
  top->HandleNeeded();
  QWidget* w = top->Widget();
  // The deepest widget there takes the event, as with the window system (the
  // standard controls' widgets have parts of their own: viewports, edit fields).
  QWidget* child = w->childAt(w->mapFromGlobal(global));
  return child ? child : w;
}

}  // namespace

TTestDriver::TTestDriver() {
  if (Application) Application->SetLoopObserver(this);
}

TTestDriver* TTestDriver::Current() {
  return Application ? dynamic_cast<TTestDriver*>(Application->LoopObserver()) : nullptr;
}

TTestDriver::~TTestDriver() {
  if (Application && Application->LoopObserver() == this) Application->SetLoopObserver(nullptr);
  PressedWidget() = nullptr;
}

void TTestDriver::AnswerNext(TDialogAnswer Answer) { FAnswers.push_back(std::move(Answer)); }

std::vector<TDialogEvent> TTestDriver::MessageBoxes() const {
  std::vector<TDialogEvent> boxes;
  for (const TDialogEvent& e : FDialogs)
    if (e.Kind == TDialogEvent::dkMessageBox) boxes.push_back(e);
  return boxes;
}

bool TTestDriver::TakeAnswer(TDialogEvent& Event) {
  if (FAnswers.empty()) return false;
  TDialogAnswer answer = std::move(FAnswers.front());
  FAnswers.pop_front();
  answer(Event);
  return true;
}

void TTestDriver::ModalFormOpened(TCustomForm* Form) {
  TDialogEvent e;
  e.Kind = TDialogEvent::dkModalForm;
  e.Form = Form;
  e.Caption = Form->Caption();
  if (auto* message = dynamic_cast<TMessageForm*>(Form)) e.Text = message->Text();
  if (auto* input = dynamic_cast<TInputBoxForm*>(Form)) e.Text = input->Prompt()->Caption();
  size_t index = FDialogs.size();
  FDialogs.push_back(e);
  e.Answered = TakeAnswer(e);
  if (!e.Answered) {
    ++FUnanswered;
    FWatched.erase(
        std::remove_if(FWatched.begin(), FWatched.end(), [Form](const TWatchedForm& w) { return w.Form == Form; }),
        FWatched.end());
    TWatchedForm w;
    w.Form = Form;
    w.Report = "Unanswered modal form \"" + e.Caption + "\"" + (e.Text.empty() ? std::string() : ": " + e.Text);
    FWatched.push_back(std::move(w));
  }
  e.Result = ControlAlive(Form) ? Form->ModalResult() : mrNone;
  FDialogs[index] = e;
}

int TTestDriver::MessageBoxShown(HWND Owner, const std::string& Text, const std::string& Caption, UINT Type) {
  // The box really opens (so a screenshot shows it) but runs no loop of its own.
  TWinControl* owner = FindControl(Owner);
  QMessageBox box(owner ? owner->Widget() : nullptr);
  PrepareMessageBox(box, Text, Caption, Type);
  box.show();
  TDialogEvent e;
  e.Kind = TDialogEvent::dkMessageBox;
  e.Text = Text;
  e.Caption = Caption;
  e.Flags = Type;
  size_t index = FDialogs.size();
  FDialogs.push_back(e);
  e.Answered = TakeAnswer(e);
  if (!e.Answered || e.Result == 0) {
    if (!e.Answered) ++FUnanswered;
    e.Result = DefaultMessageBoxAnswer(Type);
  }
  FDialogs[index] = e;
  box.hide();
  if (!e.Answered) Fail("Unanswered message box \"" + Caption + "\": " + Text);
  return e.Result;
}

void TTestDriver::Fail(const std::string& Text) {
  FFailures.push_back(Text);
  if (FRun) FRun->Done = true;
  if (FFailureHandler)
    FFailureHandler(Text);
  else
    std::fprintf(stderr, "TTestDriver: %s\n", Cp1250ToUtf8(Text).c_str());
}

void TTestDriver::WatchModalForms() {
  for (std::size_t i = 0; i < FWatched.size();) {
    TWatchedForm& w = FWatched[i];
    if (!ControlAlive(w.Form) || !w.Form->Visible()) {
      FWatched.erase(FWatched.begin() + static_cast<std::ptrdiff_t>(i));
      continue;
    }
    ++w.Passes;
    if (!w.Cancelled && w.Passes >= FModalGrace) {
      w.Cancelled = true;
      std::string report = w.Report;
      w.Form->SetModalResult(mrCancel);
      ++i;
      Fail(report);
      continue;
    }
    if (w.Cancelled && w.Passes >= 2 * FModalGrace) {
      // The form refuses to close: the program is ended.
      FWatched.erase(FWatched.begin() + static_cast<std::ptrdiff_t>(i));
      if (Application) Application->Terminate();
      continue;
    }
    ++i;
  }
}

void TTestDriver::PassStarting() {
  if (!FRun || FRun->Done) return;
  ++FRun->Open;
  if (FRun->StepMicroseconds > 0) AdvanceManualClock(FRun->StepMicroseconds);
}

void TTestDriver::PassDone() {
  if (FPassHook && !FInPassHook) {
    FInPassHook = true;
    try {
      FPassHook();
    } catch (const std::exception& e) { Fail(std::string("The pass hook raised: ") + e.what()); } catch (...) {
      Fail("The pass hook raised an exception");
    }
    FInPassHook = false;
  }
  WatchModalForms();
  if (FRun && FRun->Open > 0) {
    // A pass that began for the run counts, also when a failure ended the run in it.
    --FRun->Open;
    ++FRun->Passes;
    if (FRun->Done) return;
    if (FRun->Predicate && FRun->Predicate())
      FRun->Done = FRun->Reached = true;
    else if (FRun->Passes >= FRun->MaxPasses)
      FRun->Done = true;
  }
}

bool TTestDriver::RunPasses(TRunRequest& Request) {
  if (!Application) return false;
  if (Request.StepMicroseconds > 0 && !IsManualClock()) UseManualClock(ClockMicroseconds());
  TRunRequest* outer = FRun;
  FRun = &Request;
  try {
    if (Request.Predicate && Request.Predicate())
      Request.Done = Request.Reached = true;
    else if (Request.MaxPasses <= 0)
      Request.Done = true;
    if (!Request.Done) {
      if (Application->InRun() || outer || !Application->MainForm()) {
        // Inside a loop already (or nothing to run): the passes run here.
        while (!Request.Done && !Application->Terminated()) Application->HandleMessage();
      } else {
        Application->Run();
      }
    }
  } catch (...) {
    FRun = outer;
    throw;
  }
  FRun = outer;
  FLastRunPasses = Request.Passes;
  return Request.Reached;
}

bool TTestDriver::RunUntil(std::function<bool()> Predicate, long MaxPasses) {
  TRunRequest r;
  r.Predicate = std::move(Predicate);
  r.MaxPasses = MaxPasses;
  if (IsManualClock()) r.StepMicroseconds = static_cast<std::int64_t>(FFrameStepMs) * 1000;
  return RunPasses(r);
}

void TTestDriver::RunTicks(int Frames) {
  TRunRequest r;
  r.MaxPasses = Frames;
  r.StepMicroseconds = static_cast<std::int64_t>(FFrameStepMs) * 1000;
  RunPasses(r);
}

void TTestDriver::AdvanceAndPump(int Milliseconds) {
  if (!IsManualClock()) UseManualClock(ClockMicroseconds());
  AdvanceManualClock(static_cast<std::int64_t>(Milliseconds) * 1000);
  TRunRequest r;
  r.MaxPasses = 1;
  RunPasses(r);
}

void TTestDriver::SetCursorPos(POINT ScreenPoint) { SetLastCursorPos(ScreenPoint); }

void TTestDriver::Pump(int IdlePasses) {
  if (!Application) return;
  for (int i = 0; i < IdlePasses; ++i) Application->HandleMessage();
}

void TTestDriver::SendMouse(int Type, TControl* Control, int X, int Y, int Button, TShiftState Shift) {
  if (!Control || !ControlAlive(Control)) return;
  POINT gp = Control->ClientToScreen(POINT{X, Y});
  QPoint global(gp.x, gp.y);
  const auto type = static_cast<QEvent::Type>(Type);
  const auto button = static_cast<Qt::MouseButton>(Button);
  QWidget* target = PressedWidget() && FButtons ? PressedWidget().data() : WidgetAt(Control, global);
  if (!target) return;
  if (type == QEvent::MouseButtonPress || type == QEvent::MouseButtonDblClick) {
    if (!FButtons) PressedWidget() = target;
    FButtons |= static_cast<unsigned>(button);
  } else if (type == QEvent::MouseButtonRelease) {
    FButtons &= ~static_cast<unsigned>(button);
  }
  Qt::MouseButtons buttons = Qt::MouseButtons::fromInt(static_cast<int>(FButtons));
  QMouseEvent ev(type, QPointF(target->mapFromGlobal(global)), QPointF(global), button, buttons, ModifiersOf(Shift));
  QCoreApplication::sendEvent(target, &ev);
  if (!FButtons) PressedWidget() = nullptr;
}

void TTestDriver::MouseDown(TControl* Control, int X, int Y, TMouseButton Button, TShiftState Shift) {
  SendMouse(QEvent::MouseButtonPress, Control, X, Y, QtButtonOf(Button), Shift);
}

void TTestDriver::MouseUp(TControl* Control, int X, int Y, TMouseButton Button, TShiftState Shift) {
  SendMouse(QEvent::MouseButtonRelease, Control, X, Y, QtButtonOf(Button), Shift);
}

void TTestDriver::MouseMove(TControl* Control, int X, int Y, TShiftState Shift) {
  SendMouse(QEvent::MouseMove, Control, X, Y, Qt::NoButton, Shift);
}

void TTestDriver::Click(TControl* Control, int X, int Y, TMouseButton Button, TShiftState Shift) {
  MouseDown(Control, X, Y, Button, Shift);
  MouseUp(Control, X, Y, Button, Shift);
}

void TTestDriver::DoubleClick(TControl* Control, int X, int Y, TShiftState Shift) {
  MouseDown(Control, X, Y, mbLeft, Shift);
  MouseUp(Control, X, Y, mbLeft, Shift);
  SendMouse(QEvent::MouseButtonDblClick, Control, X, Y, Qt::LeftButton, Shift);
  MouseUp(Control, X, Y, mbLeft, Shift);
}

void TTestDriver::Drag(TControl* Control, int X1, int Y1, int X2, int Y2, TMouseButton Button, TShiftState Shift,
                       int Steps) {
  MouseDown(Control, X1, Y1, Button, Shift);
  for (int i = 1; i <= Steps; ++i) MouseMove(Control, X1 + (X2 - X1) * i / Steps, Y1 + (Y2 - Y1) * i / Steps, Shift);
  MouseUp(Control, X2, Y2, Button, Shift);
}

void TTestDriver::Wheel(TControl* Control, int Delta, TShiftState Shift) {
  if (!Control || !ControlAlive(Control)) return;
  POINT gp = Control->ClientToScreen(POINT{0, 0});
  QPoint global(gp.x, gp.y);
  QWidget* target = WidgetAt(Control, global);
  if (!target) return;
  QWheelEvent ev(QPointF(target->mapFromGlobal(global)), QPointF(global), QPoint(), QPoint(0, Delta),
                 Qt::MouseButtons::fromInt(static_cast<int>(FButtons)), ModifiersOf(Shift), Qt::NoScrollPhase, false);
  QCoreApplication::sendEvent(target, &ev);
}

namespace {

QWidget* KeyTarget() {
  if (!Application || !Application->Foreground()) return nullptr;
  TCustomForm* form = Application->ActiveForm();
  if (!form || !ControlAlive(form)) return nullptr;
  TWinControl* focus = form->ActiveControl() ? form->ActiveControl() : form;
  focus->HandleNeeded();
  return focus->Widget();
}

void SendKey(QEvent::Type type, UINT vk, const std::string& text, TShiftState shift, bool autoRepeat) {
  QWidget* target = KeyTarget();
  if (!target) return;
  bool keypad = false;
  quint32 scan = 0;
  int key = QtKeyFromVirtualKey(vk, &keypad, &scan);
  Qt::KeyboardModifiers mods = ModifiersOf(shift);
  if (keypad) mods |= Qt::KeypadModifier;
  // Qt reports a modifier key's own modifier flipped (the state after the
  // key, as the window system gives it), so it is flipped here in advance.
  if (key == Qt::Key_Shift) mods ^= Qt::ShiftModifier;
  if (key == Qt::Key_Control) mods ^= Qt::ControlModifier;
  if (key == Qt::Key_Alt) mods ^= Qt::AltModifier;
  QKeyEvent ev(type, key, mods, scan, vk, 0, ToQString(text), autoRepeat);
  QCoreApplication::sendEvent(target, &ev);
}

}  // namespace

void TTestDriver::KeyDown(UINT VirtualKey, const std::string& Text, TShiftState Shift, bool AutoRepeat) {
  SendKey(QEvent::KeyPress, VirtualKey, Text, Shift, AutoRepeat);
}

void TTestDriver::KeyUp(UINT VirtualKey, TShiftState Shift) {
  SendKey(QEvent::KeyRelease, VirtualKey, "", Shift, false);
}

void TTestDriver::PressKey(UINT VirtualKey, const std::string& Text, TShiftState Shift) {
  KeyDown(VirtualKey, Text, Shift);
  KeyUp(VirtualKey, Shift);
}

void TTestDriver::OtherApplicationActivates() {
  if (Application) SafeInvoke(Application, [] { Application->DeactivateApplication(); });
}

void TTestDriver::OurApplicationActivates() {
  if (Application) SafeInvoke(Application, [] { Application->ActivateApplication(); });
}

void TTestDriver::CloseCommand(TCustomForm* Form) {
  if (!Form || !ControlAlive(Form)) return;
  Form->HandleNeeded();
  QCloseEvent ev;
  QCoreApplication::sendEvent(Form->Widget(), &ev);
}

TPixels TTestDriver::ReadPixels(TWinControl* Control) {
  TPixels px;
  if (!Control || !ControlAlive(Control)) return px;
  Control->HandleNeeded();
  if (Application) Application->ProcessMessages();
  QImage img = ComposeWindowImage(Control->Widget());
  px.Width = img.width();
  px.Height = img.height();
  px.Data.resize(static_cast<size_t>(px.Width) * static_cast<size_t>(px.Height));
  for (int y = 0; y < px.Height; ++y) {
    const auto* row = reinterpret_cast<const std::uint32_t*>(img.constScanLine(y));
    for (int x = 0; x < px.Width; ++x)
      px.Data[static_cast<size_t>(y) * static_cast<size_t>(px.Width) + static_cast<size_t>(x)] = row[x] & 0xFFFFFFu;
  }
  return px;
}

TPixels TTestDriver::ReadPixels(HWND Window) { return ReadPixels(FindControl(Window)); }

bool TTestDriver::SaveScreenshot(TWinControl* Control, const std::string& PngPath) {
  if (!Control || !ControlAlive(Control)) return false;
  Control->HandleNeeded();
  if (Application) Application->ProcessMessages();
  return ComposeWindowImage(Control->Widget()).save(QString::fromStdString(PngPath), "PNG");
}
