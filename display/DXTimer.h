// The frame timer: a component that takes over the application's idle
// processing and, once at least Interval milliseconds of the multimedia
// clock have passed since its last tick, raises OnTimer with a lag count (the
// elapsed time divided by the interval, at least 1). It counts frames per
// second and, with ActiveOnly, pauses while another program is active.
#pragma once

#include <cstdint>

#include "platform/toolkit/Component.h"
#include "platform/toolkit/Controls.h"
#include "platform/toolkit/Methods.h"
#include "platform/win/Types.h"

class TCustomDXTimer;

using TDXTimerEvent = TMethod<void(TObject* Sender, std::int32_t LagCount)>;

class TCustomDXTimer : public TComponent {
 public:
  explicit TCustomDXTimer(TComponent* AOwner);
  ~TCustomDXTimer() override;

  void Loaded() override;

  bool ActiveOnly() const { return FActiveOnly; }
  bool Enabled() const { return FEnabled; }
  // Ticks a second over the last measuring window of at least 1000 ms; 0
  // until the first window has closed.
  std::int32_t FramesPerSecond() const { return FFramesPerSecond; }
  // Started and not yet stopped, whether or not the idle handler is installed.
  bool Running() const { return FRunning; }
  DWORD Interval() const { return FInterval; }

  TNotifyEvent OnActivate;
  TNotifyEvent OnDeactivate;
  TDXTimerEvent OnTimer;

 protected:
  virtual void DoActivate();
  virtual void DoDeactivate();
  virtual void DoTimer(std::int32_t LagCount);

  void SetActiveOnly(bool Value);
  void SetEnabled(bool Value);
  // Taken as a signed number: negative values (2^31 and more) store 0 with
  // divisor 1.
  void SetInterval(DWORD Value);

  void Initialize();
  void Finalize();
  // Resets both time stamps and installs the idle handler.
  void Resume();
  // Clears the idle handler when it is this timer's.
  void Suspend();
  void IdleHook(TObject* Sender, bool& Done);
  bool MainWindowHook(TMessage& Message);

 private:
  bool FActiveOnly = false;
  bool FEnabled = false;
  std::int32_t FFramesPerSecond = 0;
  bool FRunning = false;
  DWORD FInterval = 0;
  std::int32_t FIntervalDivisor = 1;
  std::int32_t FFrameCount = 0;
  DWORD FLastTickTime = 0;
  DWORD FRateWindowStart = 0;
};

class TDXTimer : public TCustomDXTimer {
 public:
  explicit TDXTimer(TComponent* AOwner) : TCustomDXTimer(AOwner) {}

  // ActiveOnly, Enabled and Interval, in this order and without stored
  // defaults, so that all three are always stored. (The events are bound by
  // the forms in code.)
  void GetProperties(TPropertyList& List) override;

  using TCustomDXTimer::SetActiveOnly;
  using TCustomDXTimer::SetEnabled;
  using TCustomDXTimer::SetInterval;
};
