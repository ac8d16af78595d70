#include "input_sound/ForceFeedback.h"

#include <algorithm>
#include <cmath>

#include "display/DXClass.h"
#include "input_sound/InputDevice.h"
#include "platform/rtl/Format.h"

DWORD EffectMilliToMicro(std::int64_t Milliseconds) {
  if (Milliseconds <= 0) return 0;
  // INFINITE (0xFFFFFFFF) means "until stopped"; a long finite time stays finite.
  constexpr std::int64_t limit = static_cast<std::int64_t>(INFINITE) - 1;
  std::int64_t us = Milliseconds * 1000;
  return static_cast<DWORD>(std::min(us, limit));
}

// ---- TForceFeedbackEffectObject ----

TForceFeedbackEffectObject::~TForceFeedbackEffectObject() { Release(); }

void TForceFeedbackEffectObject::Clear() { Block = DIEFFECT{}; }

void TForceFeedbackEffectObject::Release() {
  if (Effect) Effect->Release();
  Effect = nullptr;
}

void TForceFeedbackEffectObject::FillEffectBlock(const TForceFeedbackEffect& Effect) {
  const std::int64_t time = Effect.Time();
  Envelope = DIENVELOPE{};
  Envelope.dwSize = sizeof(DIENVELOPE);
  Envelope.dwAttackLevel = static_cast<DWORD>(Effect.AttackLevel());
  if (time < 0) {
    Envelope.dwAttackTime = EffectMilliToMicro(Effect.AttackTime());
    Envelope.dwFadeLevel = 0;
    Envelope.dwFadeTime = 0;
  } else {
    Envelope.dwAttackTime = EffectMilliToMicro(std::min<std::int64_t>(Effect.AttackTime(), time));
    Envelope.dwFadeLevel = static_cast<DWORD>(Effect.FadeLevel());
    Envelope.dwFadeTime = EffectMilliToMicro(std::min<std::int64_t>(Effect.FadeTime(), time));
  }
  Block = DIEFFECT{};
  Block.dwSize = sizeof(DIEFFECT);
  Block.dwFlags = DIEFF_CARTESIAN | DIEFF_OBJECTOFFSETS;
  Block.dwDuration = time == -1 ? INFINITE : EffectMilliToMicro(time);
  Block.dwSamplePeriod = 0;
  Block.dwGain = static_cast<DWORD>(Effect.Power());
  Block.dwTriggerButton = DIEB_NOTRIGGER;
  Block.dwTriggerRepeatInterval = 0;
  Block.cAxes = AxisCount;
  Block.rgdwAxes = Axes;
  Block.rglDirection = Directions;
  Block.lpEnvelope = &Envelope;
  Block.dwStartDelay = 0;
}

// ---- TForceFeedbackEffect ----

struct TForceFeedbackEffect::TSnapshot {
  std::string Name;
  std::int32_t AttackLevel = 0, AttackTime = 0;
  TFFPoint Condition, Constant;
  TForceFeedbackEffectType EffectType = etNone;
  std::int32_t FadeLevel = 0, FadeTime = 0, Period = 0, Power = 0, Time = 0, StartDelayTime = 0;
  std::vector<TSnapshot> Children;
};

TForceFeedbackEffect::TForceFeedbackEffect(TForceFeedbackEffect* Parent) {
  if (!Parent) throw EInvalidCast();
  FParent = Parent;
  FRoot = Parent->FRoot;
  Parent->FChildren.push_back(this);
  CreateDefaults();
}

TForceFeedbackEffect::TForceFeedbackEffect(TRootTag) {
  Name = "Effects";
  FRoot = static_cast<TForceFeedbackEffects*>(this);
  CreateDefaults();
}

void TForceFeedbackEffect::CreateDefaults() {
  FObject = std::make_unique<TForceFeedbackEffectObject>();
  FObject2 = std::make_unique<TForceFeedbackEffectObject>();
  SetPeriod(50);
  SetPower(10000);
  SetTime(1000);
}

TForceFeedbackEffect::~TForceFeedbackEffect() {
  Clear();
  FObject.reset();
  FObject2.reset();
  if (FParent) {
    auto& list = FParent->FChildren;
    list.erase(std::remove(list.begin(), list.end(), this), list.end());
  }
}

TForceFeedbackEffect* TForceFeedbackEffect::Effects(int Index) const {
  if (Index < 0 || Index >= Count()) throw EListError(Format("List index out of bounds (%d)", Index));
  return FChildren[static_cast<size_t>(Index)];
}

void TForceFeedbackEffect::Clear() {
  while (!FChildren.empty()) delete FChildren.back();
}

IDirectInputDevice2A* TForceFeedbackEffect::DeviceInterface() const {
  TCustomInput* device = FRoot ? FRoot->Device() : nullptr;
  return device ? device->Device2() : nullptr;
}

void TForceFeedbackEffect::TakeSnapshot(const TForceFeedbackEffect* Node, TSnapshot& Into) {
  Into.Name = Node->Name;
  Into.AttackLevel = Node->FAttackLevel;
  Into.AttackTime = Node->FAttackTime;
  Into.Condition = Node->FCondition;
  Into.Constant = Node->FConstant;
  Into.EffectType = Node->FEffectType;
  Into.FadeLevel = Node->FFadeLevel;
  Into.FadeTime = Node->FFadeTime;
  Into.Period = Node->FPeriod;
  Into.Power = Node->FPower;
  Into.Time = Node->FTime;
  Into.StartDelayTime = Node->FStartDelayTime;
  Into.Children.resize(Node->FChildren.size());
  for (size_t i = 0; i < Node->FChildren.size(); ++i) TakeSnapshot(Node->FChildren[i], Into.Children[i]);
}

void TForceFeedbackEffect::ApplySnapshot(const TSnapshot& From) {
  Clear();
  SetEffectType(etNone);
  Name = From.Name;
  SetAttackLevel(From.AttackLevel);
  SetAttackTime(From.AttackTime);
  SetConstant(From.Constant);
  SetCondition(From.Condition);
  SetEffectType(From.EffectType);
  SetFadeLevel(From.FadeLevel);
  SetFadeTime(From.FadeTime);
  SetPeriod(From.Period);
  SetPower(From.Power);
  SetTime(From.Time);
  SetStartDelayTime(From.StartDelayTime);
  SetEffectType(From.EffectType);
  for (const TSnapshot& child : From.Children) (new TForceFeedbackEffect(this))->ApplySnapshot(child);
}

void TForceFeedbackEffect::Assign(const TPersistent* Source) {
  auto* source = dynamic_cast<const TForceFeedbackEffect*>(Source);
  if (!source) {
    TPersistent::Assign(Source);
    return;
  }
  if (source == this) return;
  // The source may be a node of this very tree (a child, or an ancestor of
  // this node), which clearing this node would free or change: copy it first.
  TSnapshot snapshot;
  TakeSnapshot(source, snapshot);
  ApplySnapshot(snapshot);
}

namespace {
std::int32_t Clamp(std::int32_t Value, std::int32_t Low, std::int32_t High) { return IntMax(Low, IntMin(Value, High)); }
}  // namespace

void TForceFeedbackEffect::SetAttackLevel(std::int32_t Value) {
  Value = Clamp(Value, 0, 10000);
  if (FAttackLevel == Value) return;
  FAttackLevel = Value;
  UpdateParameters();
}

void TForceFeedbackEffect::SetFadeLevel(std::int32_t Value) {
  Value = Clamp(Value, 0, 10000);
  if (FFadeLevel == Value) return;
  FFadeLevel = Value;
  UpdateParameters();
}

void TForceFeedbackEffect::SetPower(std::int32_t Value) {
  Value = Clamp(Value, 0, 10000);
  if (FPower == Value) return;
  FPower = Value;
  UpdateParameters();
}

void TForceFeedbackEffect::SetAttackTime(std::int32_t Value) {
  Value = IntMax(Value, 0);
  if (FAttackTime == Value) return;
  FAttackTime = Value;
  UpdateParameters();
}

void TForceFeedbackEffect::SetFadeTime(std::int32_t Value) {
  Value = IntMax(Value, 0);
  if (FFadeTime == Value) return;
  FFadeTime = Value;
  UpdateParameters();
}

void TForceFeedbackEffect::SetPeriod(std::int32_t Value) {
  Value = IntMax(Value, 0);
  if (FPeriod == Value) return;
  FPeriod = Value;
  UpdateParameters();
}

void TForceFeedbackEffect::SetCondition(TFFPoint Value) {
  Value = TFFPoint{Clamp(Value.X, -10000, 10000), Clamp(Value.Y, -10000, 10000)};
  if (FCondition == Value) return;
  FCondition = Value;
  if (HasInterface()) UpdateParameters();
}

void TForceFeedbackEffect::SetConstant(TFFPoint Value) {
  Value = TFFPoint{Clamp(Value.X, -10000, 10000), Clamp(Value.Y, -10000, 10000)};
  if (FConstant == Value) return;
  FConstant = Value;
  if (HasInterface()) UpdateParameters();
}

void TForceFeedbackEffect::SetEffectType(TForceFeedbackEffectType Value) {
  if (FEffectType == Value) return;
  FEffectType = Value;
  Stop();
  CreateEffects();
}

void TForceFeedbackEffect::SetTime(std::int32_t Value) {
  if (Value != -1) Value = IntMax(Value, 0);
  if (FTime == Value) return;
  FTime = Value;
  Stop();
  UpdateParameters();
}

void TForceFeedbackEffect::SetStartDelayTime(std::int32_t Value) {
  Value = IntMax(Value, 0);
  if (FStartDelayTime == Value) return;
  FStartDelayTime = Value;
  Stop();
  UpdateParameters();
}

void TForceFeedbackEffect::BuildParameters() {
  FObject->Clear();
  FObject2->Clear();
  const std::int64_t x = FConstant.X, y = FConstant.Y;
  const auto magnitude = static_cast<LONG>(std::sqrt(static_cast<double>(x * x + y * y)));
  switch (FEffectType) {
    case etConstantForce: {
      TForceFeedbackEffectObject& o = *FObject;
      o.Directions[0] = -FConstant.X;
      o.Directions[1] = -FConstant.Y;
      o.AxisCount = 2;
      o.Axes[0] = DIJOFS_X;
      o.Axes[1] = DIJOFS_Y;
      o.ConstantForce.lMagnitude = magnitude;
      o.FillEffectBlock(*this);
      o.Block.cbTypeSpecificParams = sizeof(DICONSTANTFORCE);
      o.Block.lpvTypeSpecificParams = &o.ConstantForce;
      break;
    }
    case etPeriodic: {
      TForceFeedbackEffectObject& o = *FObject;
      o.Directions[0] = -FConstant.X;
      o.Directions[1] = -FConstant.Y;
      o.AxisCount = 2;
      o.Axes[0] = DIJOFS_X;
      o.Axes[1] = DIJOFS_Y;
      o.Periodic = DIPERIODIC{static_cast<DWORD>(magnitude), 0, 0, EffectMilliToMicro(FPeriod)};
      o.FillEffectBlock(*this);
      o.Block.cbTypeSpecificParams = sizeof(DIPERIODIC);
      o.Block.lpvTypeSpecificParams = &o.Periodic;
      break;
    }
    case etCondition: {
      auto build = [this](TForceFeedbackEffectObject& o, DWORD axis, LONG offset, LONG coefficient) {
        o.Directions[0] = 0;
        o.Directions[1] = 0;
        o.AxisCount = 1;
        o.Axes[0] = axis;
        o.Axes[1] = 0;
        o.Condition = DICONDITION{offset, coefficient, -coefficient, 0, 0, 0};
        o.FillEffectBlock(*this);
        o.Block.cbTypeSpecificParams = sizeof(DICONDITION);
        o.Block.lpvTypeSpecificParams = &o.Condition;
      };
      build(*FObject, DIJOFS_X, FConstant.X, FCondition.X);
      build(*FObject2, DIJOFS_Y, FConstant.Y, FCondition.Y);
      break;
    }
    case etNone:
      break;
  }
}

namespace {

struct TEffectSearch {
  bool* Found;
  GUID* Guid;
};

BOOL TakeFirstEffect(const DIEFFECTINFOA* Info, void* Ref) {
  auto* s = static_cast<TEffectSearch*>(Ref);
  *s->Guid = Info->guid;
  *s->Found = true;
  return DIENUM_STOP;
}

}  // namespace

bool TForceFeedbackEffect::FindEffectGuid(DWORD EffectType) {
  FFound = false;
  IDirectInputDevice2A* device = DeviceInterface();
  if (!device) return false;
  TEffectSearch search{&FFound, &FFoundGUID};
  device->EnumEffects(TakeFirstEffect, &search, EffectType);
  return FFound;
}

void TForceFeedbackEffect::CreateEffect(TForceFeedbackEffectObject& Object, const GUID& Guid) {
  IDirectInputDevice2A* device = DeviceInterface();
  if (Object.Block.dwSize == 0 || !device) return;
  Object.Release();
  IDirectInputEffect* effect = nullptr;
  if (device->CreateEffect(Guid, &Object.Block, &effect, nullptr) == DI_OK) Object.Effect = effect;
  else if (effect) effect->Release();
}

void TForceFeedbackEffect::CreateEffects() {
  FObject->Release();
  FObject2->Release();
  TCustomInput* device = FRoot ? FRoot->Device() : nullptr;
  if (!device || !device->Device2() || !device->ForceFeedbackDevice() || !device->ForceFeedback() ||
      FEffectType == etNone)
    return;
  BuildParameters();
  switch (FEffectType) {
    case etConstantForce:
      CreateEffect(*FObject, GUID_ConstantForce);
      break;
    case etPeriodic:
      if (FindEffectGuid(DIEFT_PERIODIC)) CreateEffect(*FObject, FFoundGUID);
      break;
    case etCondition:
      if (FindEffectGuid(DIEFT_CONDITION)) CreateEffect(*FObject, FFoundGUID);
      if (FindEffectGuid(DIEFT_CONDITION)) CreateEffect(*FObject2, FFoundGUID);
      break;
    case etNone:
      break;
  }
  // An infinite effect that was playing goes on; without an effect there is
  // nothing to start (and Start would only come back here).
  if (HasInterface() && Playing() && FTime == -1) Start();
}

void TForceFeedbackEffect::UpdateParameters() {
  if (!HasInterface()) return;
  BuildParameters();
  DWORD flags = DIEP_DURATION | DIEP_SAMPLEPERIOD | DIEP_GAIN | DIEP_TRIGGERBUTTON | DIEP_TRIGGERREPEATINTERVAL |
                DIEP_DIRECTION | DIEP_ENVELOPE | DIEP_TYPESPECIFICPARAMS;
  if (Playing()) flags |= DIEP_START;
  for (TForceFeedbackEffectObject* o : {FObject.get(), FObject2.get()})
    if (o->Effect) o->Effect->SetParameters(&o->Block, flags);
}

bool TForceFeedbackEffect::HasInterface() const {
  return FEffectType != etNone && (FObject->Effect || FObject2->Effect);
}

bool TForceFeedbackEffect::Playing() {
  if (!FPlaying) return false;
  if (FTime == -1) return true;
  for (TForceFeedbackEffectObject* o : {FObject.get(), FObject2.get()}) {
    if (!o->Effect) continue;
    DWORD status = 0;
    o->Effect->GetEffectStatus(&status);
    if (status & DIEGES_PLAYING) return true;
  }
  FPlaying = false;
  return false;
}

void TForceFeedbackEffect::StartObject(TForceFeedbackEffectObject& Object) {
  if (!Object.Effect) return;
  HRESULT result = Object.Effect->Start(1, 0);
  if (result != DIERR_INPUTLOST && result != DIERR_NOTACQUIRED) return;
  TCustomInput* device = FRoot->Device();
  // One re-acquire and one retry. Acquiring restarts the tree's infinite
  // effects, which may come back here while the device still is not
  // acquired: those only try once.
  if (device && !FRoot->FRestarting) {
    FRoot->FRestarting = true;
    try {
      device->Acquire();
    } catch (...) {
      FRoot->FRestarting = false;
      throw;
    }
    FRoot->FRestarting = false;
  }
  if (Object.Effect) Object.Effect->Start(1, 0);
}

void TForceFeedbackEffect::Start() {
  for (size_t i = 0; i < FChildren.size(); ++i) FChildren[i]->Start();
  if (!HasInterface()) {
    CreateEffects();
    if (!HasInterface()) return;
  }
  StartObject(*FObject);
  StartObject(*FObject2);
  FPlaying = true;
}

void TForceFeedbackEffect::Stop() {
  if (Playing()) {
    FPlaying = false;
    for (TForceFeedbackEffectObject* o : {FObject.get(), FObject2.get()})
      if (o->Effect) o->Effect->Stop();
  }
  for (size_t i = 0; i < FChildren.size(); ++i) FChildren[i]->Stop();
}

void TForceFeedbackEffect::Initialize() {
  CreateEffects();
  for (size_t i = 0; i < FChildren.size(); ++i) FChildren[i]->Initialize();
}

void TForceFeedbackEffect::Finalize() {
  std::exception_ptr failure;
  try {
    Stop();
    FObject->Release();
    FObject2->Release();
  } catch (...) {
    failure = std::current_exception();
  }
  for (size_t i = 0; i < FChildren.size(); ++i) FChildren[i]->Finalize();
  if (failure) std::rethrow_exception(failure);
}

void TForceFeedbackEffect::AfterAcquire() {
  if (Playing() && FTime == -1) Start();
  for (size_t i = 0; i < FChildren.size(); ++i) FChildren[i]->Initialize();
}

// ---- TForceFeedbackEffects ----

TForceFeedbackEffects::TForceFeedbackEffects(TCustomInput* Device) : TForceFeedbackEffect(TRootTag{}), FDevice(Device) {}

TForceFeedbackEffects::~TForceFeedbackEffects() = default;
