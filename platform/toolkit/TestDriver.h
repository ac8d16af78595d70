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
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "platform/toolkit/Forms.h"

struct TDialogEvent {
  enum TKind { dkModalForm, dkMessageBox };
  TKind Kind = dkMessageBox;
  // The modal form (dkModalForm).
  TCustomForm* Form = nullptr;
  // The box's text, caption and MB_* flags (dkMessageBox).
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
  DWORD At(int X, int Y) const { return Data[static_cast<size_t>(Y) * static_cast<size_t>(Width) + static_cast<size_t>(X)]; }
};

class TTestDriver {
 public:
  // Needs the application to exist; one driver at a time.
  TTestDriver();
  ~TTestDriver();
  TTestDriver(const TTestDriver&) = delete;
  TTestDriver& operator=(const TTestDriver&) = delete;

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
  // Idle calls made so far.
  long IdleCalls() const { return FIdleCalls; }
  // Loops that reached PassLimit passes without ending.
  int RunawayLoops() const { return FRunaways; }
  long PassLimit() const { return FPassLimit; }
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

  // The window as it shows on the screen (its children included), as 32-bit XRGB.
  TPixels ReadPixels(TWinControl* Control);
  // Writes the window (as ReadPixels sees it) to a PNG file.
  bool SaveScreenshot(TWinControl* Control, const std::string& PngPath);

  // Called by the toolkit.
  void ModalFormOpened(TCustomForm* Form);
  int MessageBoxOpened(HWND Owner, const std::string& Text, const std::string& Caption, UINT Type);
  void IdlePassed() { ++FIdleCalls; }
  void RunawayLoop() { ++FRunaways; }

 private:
  void SendMouse(int Type, TControl* Control, int X, int Y, int Button, TShiftState Shift);
  bool TakeAnswer(TDialogEvent& Event);

  std::deque<TDialogAnswer> FAnswers;
  std::vector<TDialogEvent> FDialogs;
  int FUnanswered = 0;
  long FIdleCalls = 0;
  int FRunaways = 0;
  long FPassLimit = 100000;
  unsigned FButtons = 0;
};
