#include "display/DXTimer.h"

#include <cmath>

#include "display/DXClass.h"
#include "platform/toolkit/Forms.h"
#include "platform/win/Messages.h"
#include "platform/win/Time.h"

TCustomDXTimer::TCustomDXTimer(TComponent* AOwner) : TComponent(AOwner) {
  FActiveOnly = true;
  FEnabled = true;
  SetInterval(1000);
  if (Application) Application->HookMainWindow(TWindowHook(this, &TCustomDXTimer::MainWindowHook));
}

TCustomDXTimer::~TCustomDXTimer() {
  Finalize();
  if (Application) Application->UnhookMainWindow(TWindowHook(this, &TCustomDXTimer::MainWindowHook));
}

void TCustomDXTimer::Loaded() {
  TComponent::Loaded();
  if (FEnabled && !ComponentState().Contains(csDesigning)) Initialize();
}

void TCustomDXTimer::DoActivate() {
  if (OnActivate) OnActivate(this);
}

void TCustomDXTimer::DoDeactivate() {
  if (OnDeactivate) OnDeactivate(this);
}

void TCustomDXTimer::DoTimer(std::int32_t LagCount) {
  if (OnTimer) OnTimer(this, LagCount);
}

void TCustomDXTimer::Initialize() {
  Finalize();
  if (!FActiveOnly || (Application && Application->Active())) Resume();
  FRunning = true;
}

void TCustomDXTimer::Finalize() {
  if (!FRunning) return;
  Suspend();
  FRunning = false;
}

void TCustomDXTimer::Resume() {
  FLastTickTime = timeGetTime();
  FRateWindowStart = timeGetTime();
  if (Application) Application->OnIdle = TIdleEvent(this, &TCustomDXTimer::IdleHook);
}

void TCustomDXTimer::Suspend() {
  // Another timer (or anyone else) may own the slot by now; that stays.
  if (Application && Application->OnIdle == TIdleEvent(this, &TCustomDXTimer::IdleHook)) Application->OnIdle = nullptr;
}

void TCustomDXTimer::IdleHook(TObject*, bool& Done) {
  Done = false;
  const DWORD now = timeGetTime();
  const DWORD elapsed = now - FLastTickTime;
  if (elapsed < FInterval) return;
  FLastTickTime = now;
  std::int32_t lagCount = static_cast<std::int32_t>(elapsed / static_cast<DWORD>(FIntervalDivisor));
  if (lagCount < 1) lagCount = 1;
  ++FFrameCount;
  const std::int32_t window = IntMax(static_cast<std::int32_t>(now - FRateWindowStart), 1);
  if (window >= 1000) {
    FFramesPerSecond = static_cast<std::int32_t>(std::nearbyint(static_cast<double>(FFrameCount) * 1000.0 / window));
    FFrameCount = 0;
    FRateWindowStart = now;
  }
  DoTimer(lagCount);
}

bool TCustomDXTimer::MainWindowHook(TMessage& Message) {
  switch (Message.Msg) {
    case CM_ACTIVATE:
      DoActivate();
      if (FRunning && FActiveOnly) Resume();
      break;
    case CM_DEACTIVATE:
      DoDeactivate();
      if (FRunning && FActiveOnly) Suspend();
      break;
    default: break;
  }
  return false;
}

void TCustomDXTimer::SetEnabled(bool Value) {
  if (Value == FEnabled) return;
  FEnabled = Value;
  if (ComponentState().Contains(csLoading) || ComponentState().Contains(csReading)) return;
  if (Value)
    Initialize();
  else
    Finalize();
}

void TCustomDXTimer::SetInterval(DWORD Value) {
  if (Value == FInterval) return;
  const std::int32_t signedValue = static_cast<std::int32_t>(Value);
  FInterval = static_cast<DWORD>(IntMax(signedValue, 0));
  FIntervalDivisor = IntMax(signedValue, 1);
}

void TCustomDXTimer::SetActiveOnly(bool Value) {
  if (Value == FActiveOnly) return;
  FActiveOnly = Value;
  if (Value && FRunning && Application && !Application->Active()) Suspend();
}

void TDXTimer::GetProperties(TPropertyList& List) {
  TCustomDXTimer::GetProperties(List);
  List.Boolean(
      "ActiveOnly", [this] { return ActiveOnly(); }, [this](bool v) { SetActiveOnly(v); });
  List.Boolean(
      "Enabled", [this] { return Enabled(); }, [this](bool v) { SetEnabled(v); });
  List.Integer(
      "Interval", [this] { return static_cast<std::int64_t>(Interval()); },
      [this](std::int64_t v) { SetInterval(static_cast<DWORD>(v)); });
}
