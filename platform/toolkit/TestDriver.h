// Drives the toolkit headless, the way a person would: clicks, drags and keys
// delivered as the window system's events, answers to modal forms and
// message boxes given by callbacks run when they open, a loop pumped a given
// number of idle passes, another program taking the foreground, and the
// window's pixels read back. Clocks come from platform/win/Time.h
// (UseManualClock/AdvanceManualClock).
//
// While a driver exists the message loop never blocks: where it would wait
// for the next event it goes on, so Run and ShowModal end only through
// Terminate/ModalResult (or after PassLimit passes, counted as a runaway).
//
// Whole programs run under the driver the way their main runs them: RunUntil,
// RunTicks and AdvanceAndPump call Application->Run() (showing the main form
// the first time, with everything the program does at its activation) and
// return from it after the passes they were asked for, without terminating
// the program; the next call goes on where it stopped. Called from inside a
// loop (a handler, a dialog answer, the pass hook) they run the passes there.
//
// A modal form or message box nobody answers is a test's mistake: it is
// reported (Failures(), and the failure handler) with its caption and text,
// the current run ends, a message box takes its safe default at once and a
// modal form is cancelled after ModalGrace passes (the application is told to
// end if the form still stays open after as many again).
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "platform/toolkit/Forms.h"
#include "platform/toolkit/LoopHooks.h"

struct TDialogEvent {
  enum TKind { dkModalForm, dkMessageBox };
  TKind Kind = dkMessageBox;
  // The modal form (dkModalForm).
  TCustomForm* Form = nullptr;
  // The box's text, caption and MB_* flags (dkMessageBox); for a form, its
  // caption, and the text of ShowMessage or the prompt of InputBox.
  std::string Text;
  std::string Caption;
  UINT Flags = 0;
  // The box's answer (IDOK, IDCANCEL, IDYES, IDNO, ...).
  int Result = 0;
  bool Answered = false;

  // For a box: the button's answer. For a form: mrOk/mrCancel/... as ModalResult.
  void ClickOk();
  void ClickCancel();
  void ClickYes();
  void ClickNo();
  void SetModalResult(TModalResult Value);
};

using TDialogAnswer = std::function<void(TDialogEvent& Dialog)>;

struct TPixels {
  int Width = 0;
  int Height = 0;
  std::vector<DWORD> Data;  // 0x00RRGGBB, rows top to bottom
  DWORD At(int X, int Y) const {
    return Data[static_cast<size_t>(Y) * static_cast<size_t>(Width) + static_cast<size_t>(X)];
  }
};

// The driver watches the application's loop as its observer (LoopHooks.h),
// registered while the driver lives.
class TTestDriver : public TLoopObserver {
 public:
  // Needs the application to exist; one driver at a time.
  TTestDriver();
  ~TTestDriver() override;
  TTestDriver(const TTestDriver&) = delete;
  TTestDriver& operator=(const TTestDriver&) = delete;
  // The driver of the current application, or null.
  static TTestDriver* Current();

  // The next modal form or message box that opens calls Answer (in order of
  // queuing). A box without an answer gets its safe default (OK, Cancel or
  // No) and counts as unanswered; a modal form without an answer stays open
  // until something closes it.
  void AnswerNext(TDialogAnswer Answer);
  int PendingAnswers() const { return static_cast<int>(FAnswers.size()); }
  // Every modal form and message box seen, in order.
  const std::vector<TDialogEvent>& Dialogs() const { return FDialogs; }
  std::vector<TDialogEvent> MessageBoxes() const;
  int UnansweredDialogs() const { return FUnanswered; }

  // Runs IdlePasses passes of the loop: the pending events, then one idle
  // call (none while a system message box is open).
  void Pump(int IdlePasses = 1);

  // Called at the end of every pass of every loop (Run, modal loops, Pump),
  // after the idle slot, whoever owns that slot. Null clears it.
  void SetPassHook(std::function<void()> Hook) { FPassHook = std::move(Hook); }
  // Runs passes inside Run() until Predicate holds (checked before the first
  // pass and after each) or MaxPasses passes have run; true when it held.
  // False as well when an unanswered dialog ended the run. On the manual
  // clock each pass is a frame, as with RunTicks.
  bool RunUntil(std::function<bool()> Predicate, long MaxPasses);
  // Runs Frames passes inside Run(), moving the manual clock on by the frame
  // step before each, so that a frame timer with an interval up to the step
  // ticks once a pass. (Where the program's Flip waits for the vertical
  // blank, that wait moves the clock on to the next 60 Hz boundary itself.)
  // Installs the manual clock at the current time when the real one runs.
  void RunTicks(int Frames);
  // Moves the manual clock on by Milliseconds, then runs one pass inside Run().
  void AdvanceAndPump(int Milliseconds);
  int FrameStep() const { return FFrameStepMs; }
  void SetFrameStep(int Milliseconds) { FFrameStepMs = Milliseconds; }
  // Passes the last RunUntil/RunTicks/AdvanceAndPump ran.
  long LastRunPasses() const { return FLastRunPasses; }

  // Puts the pointer at a screen point, as if the user had moved it there
  // without crossing our windows: Mouse->CursorPos and GetCursorPos read it.
  void SetCursorPos(POINT ScreenPoint);

  // Test mistakes seen: unanswered dialogs and exceptions from the pass hook.
  const std::vector<std::string>& Failures() const { return FFailures; }
  // Called with each failure as it happens (default: written to stderr).
  void SetFailureHandler(std::function<void(const std::string&)> Handler) { FFailureHandler = std::move(Handler); }
  // Reports a test mistake the driver's extensions see (a file dialog nobody
  // answered): recorded and handled like the driver's own, ending the run.
  void ReportFailure(const std::string& Text) { Fail(Text); }
  long ModalGrace() const { return FModalGrace; }
  void SetModalGrace(long Passes) { FModalGrace = Passes; }
  // Idle calls made so far.
  long IdleCalls() const { return FIdleCalls; }
  // Loops that reached PassLimit passes without ending.
  int RunawayLoops() const { return FRunaways; }
  long PassLimit() const override { return FPassLimit; }
  void SetPassLimit(long Passes) { FPassLimit = Passes; }

  // Mouse input at client coordinates of Control. Buttons held from earlier
  // presses stay held; after a press every event goes to the pressed widget,
  // as the window system's implicit capture does.
  void MouseDown(TControl* Control, int X, int Y, TMouseButton Button = mbLeft, TShiftState Shift = {});
  void MouseUp(TControl* Control, int X, int Y, TMouseButton Button = mbLeft, TShiftState Shift = {});
  void MouseMove(TControl* Control, int X, int Y, TShiftState Shift = {});
  void Click(TControl* Control, int X, int Y, TMouseButton Button = mbLeft, TShiftState Shift = {});
  void DoubleClick(TControl* Control, int X, int Y, TShiftState Shift = {});
  // Press at (X1, Y1), Steps moves on the way, release at (X2, Y2).
  void Drag(TControl* Control, int X1, int Y1, int X2, int Y2, TMouseButton Button = mbLeft, TShiftState Shift = {},
            int Steps = 4);
  void Wheel(TControl* Control, int Delta, TShiftState Shift = {});

  // Keys by virtual-key code, to the focused window of our active form (none
  // while another program is active). Text is windows-1250.
  void KeyDown(UINT VirtualKey, const std::string& Text = "", TShiftState Shift = {}, bool AutoRepeat = false);
  void KeyUp(UINT VirtualKey, TShiftState Shift = {});
  void PressKey(UINT VirtualKey, const std::string& Text = "", TShiftState Shift = {});

  // Another program takes the foreground / ours gets it back.
  void OtherApplicationActivates();
  void OurApplicationActivates();
  // The window system's close command on a form (the title bar's close button).
  void CloseCommand(TCustomForm* Form);

  // The window as it shows on the screen (its child windows included), as
  // 32-bit XRGB, after the pending events (repaints among them) are handled.
  TPixels ReadPixels(TWinControl* Control);
  TPixels ReadPixels(HWND Window);
  // Writes the window (as ReadPixels sees it) to a PNG file.
  bool SaveScreenshot(TWinControl* Control, const std::string& PngPath);

  // Called by the toolkit's loop (TLoopObserver).
  void ModalFormOpened(TCustomForm* Form) override;
  int MessageBoxShown(HWND Owner, const std::string& Text, const std::string& Caption, UINT Type) override;
  void IdlePassed() override { ++FIdleCalls; }
  void RunawayLoop() override { ++FRunaways; }
  void PassStarting() override;
  void PassDone() override;
  bool RunShouldReturn() const override { return RunDone(); }
  bool CountsRunPasses() const override { return !RunActive(); }
  // A RunUntil/RunTicks/AdvanceAndPump is going on / has got what it asked for.
  bool RunActive() const { return FRun != nullptr; }
  bool RunDone() const { return FRun && FRun->Done; }

 private:
  struct TRunRequest {
    std::function<bool()> Predicate;
    long MaxPasses = 0;
    std::int64_t StepMicroseconds = 0;
    long Passes = 0;
    int Open = 0;  // passes begun and not yet done (a pass may run others inside)
    bool Done = false;
    bool Reached = false;
  };
  struct TWatchedForm {
    TCustomForm* Form = nullptr;
    std::string Report;
    long Passes = 0;
    bool Cancelled = false;
  };
  void SendMouse(int Type, TControl* Control, int X, int Y, int Button, TShiftState Shift);
  bool TakeAnswer(TDialogEvent& Event);
  bool RunPasses(TRunRequest& Request);
  void Fail(const std::string& Text);
  void WatchModalForms();

  std::deque<TDialogAnswer> FAnswers;
  std::vector<TDialogEvent> FDialogs;
  int FUnanswered = 0;
  long FIdleCalls = 0;
  int FRunaways = 0;
  long FPassLimit = 100000;
  unsigned FButtons = 0;
  std::function<void()> FPassHook;
  bool FInPassHook = false;
  TRunRequest* FRun = nullptr;
  long FLastRunPasses = 0;
  int FFrameStepMs = 1;
  long FModalGrace = 20;
  std::vector<TWatchedForm> FWatched;
  std::vector<std::string> FFailures;
  std::function<void(const std::string&)> FFailureHandler;
};
