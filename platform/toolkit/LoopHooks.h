// What the application's message loop tells an observer that stands in for
// the window system (one at a time, registered with
// Application->SetLoopObserver): modal forms opening, message boxes to answer,
// the start and end of every pass, idle calls, and the bounds of its loops.
// While an observer is registered the loop never blocks waiting for events,
// the window system's own activation changes are ignored, message boxes are
// answered by the observer instead of running a system box, and file dialogs
// with nobody to answer them are cancelled.
#pragma once

#include <string>

#include "platform/win/Types.h"

class TCustomForm;

class TLoopObserver {
 public:
  virtual ~TLoopObserver() = default;

  // A modal form was shown; its loop starts after this returns.
  virtual void ModalFormOpened(TCustomForm* Form) = 0;
  // A message box is asked for (Type: its MB_* flags); the observer's answer
  // (IDOK, IDCANCEL, ...) is the box's result. Called inside the application's
  // system-modal state, as a real box would run.
  virtual int MessageBoxShown(HWND Owner, const std::string& Text, const std::string& Caption, UINT Type) = 0;

  // Every pass of every loop (Run, modal loops, HandleMessage) begins and
  // ends with these.
  virtual void PassStarting() = 0;
  virtual void PassDone() = 0;
  // The idle slot was called.
  virtual void IdlePassed() = 0;

  // Run returns at the start of its next pass when this holds.
  virtual bool RunShouldReturn() const = 0;
  // Whether Run counts its passes against PassLimit (an observer that bounds
  // the run itself says no).
  virtual bool CountsRunPasses() const = 0;
  // Passes after which a loop that has not ended counts as a runaway: Run
  // terminates the application, a modal loop cancels its form.
  virtual long PassLimit() const = 0;
  virtual void RunawayLoop() = 0;
};
