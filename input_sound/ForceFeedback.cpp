#include "input_sound/ForceFeedback.h"

#include <algorithm>
#include <cmath>

#include "display/DXClass.h"
#include "input_sound/InputDevice.h"
#include "platform/rtl/Format.h"
#include "platform/rtl/Streams.h"
#include "platform/toolkit/Filer.h"

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
  // StartDelayTime is kept, stored and stops the effect when it changes, but
  // effects start at once: the device is given no delay.
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
  // The root points at itself once it is whole (TForceFeedbackEffects).
  Name = "Effects";
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
    case etNone: break;
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
  if (device->CreateEffect(Guid, &Object.Block, &effect, nullptr) == DI_OK)
    Object.Effect = effect;
  else if (effect)
    effect->Release();
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
    case etConstantForce: CreateEffect(*FObject, GUID_ConstantForce); break;
    case etPeriodic:
      if (FindEffectGuid(DIEFT_PERIODIC)) CreateEffect(*FObject, FFoundGUID);
      break;
    case etCondition:
      if (FindEffectGuid(DIEFT_CONDITION)) CreateEffect(*FObject, FFoundGUID);
      if (FindEffectGuid(DIEFT_CONDITION)) CreateEffect(*FObject2, FFoundGUID);
      break;
    case etNone: break;
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
  } catch (...) { failure = std::current_exception(); }
  for (size_t i = 0; i < FChildren.size(); ++i) FChildren[i]->Finalize();
  if (failure) std::rethrow_exception(failure);
}

void TForceFeedbackEffect::AfterAcquire() {
  if (Playing() && FTime == -1) Start();
  for (size_t i = 0; i < FChildren.size(); ++i) FChildren[i]->Initialize();
}

// ---- TForceFeedbackEffects ----

TForceFeedbackEffects::TForceFeedbackEffects(TCustomInput* Device)
    : TForceFeedbackEffect(TRootTag{}), FDevice(Device), FHolder(std::make_unique<TForceFeedbackEffectComponent>()) {
  FRoot = this;
}

TForceFeedbackEffects::~TForceFeedbackEffects() {
  FHolder.reset();
  Clear();
}

void TForceFeedbackEffects::DefineProperties(TFiler* Filer) {
  TForceFeedbackEffect::DefineProperties(Filer);
  Filer->DefineBinaryProperty(
      "Effects", [this](TStream* Stream) { ReadEffects(Stream); }, [this](TStream* Stream) { WriteEffects(Stream); },
      true);
}

namespace {

const char* const EffectTypeNames[] = {"etNone", "etConstantForce", "etPeriodic", "etCondition"};
constexpr char EffectsResourceName[] = "VEXELFORCEFEEDBACKEFFECT";
constexpr std::uint16_t RawDataResource = 10;
constexpr std::uint16_t ResourceMemoryFlags = 0x1030;

void WriteItem(TWriter& Writer, const TForceFeedbackEffectItem& Item);

void WriteItems(TWriter& Writer, const TCollection& Items) {
  Writer.WritePropName("Effects");
  Writer.WriteValue(vaCollection);
  for (int i = 0; i < Items.Count(); ++i) {
    Writer.WriteListBegin();
    WriteItem(Writer, *static_cast<const TForceFeedbackEffectItem*>(Items.Items(i)));
    Writer.WriteListEnd();
  }
  Writer.WriteListEnd();
}

// The item's published properties as the filer stores them: the eight with
// default 0 only when not 0, the nested effects only when there are some.
void WriteItem(TWriter& Writer, const TForceFeedbackEffectItem& Item) {
  if (!Item.Name.empty()) {
    Writer.WritePropName("Name");
    Writer.WriteString(Item.Name);
  }
  Writer.WritePropName("EffectType");
  if (Item.EffectType >= etNone && Item.EffectType <= etCondition)
    Writer.WriteIdent(EffectTypeNames[Item.EffectType]);
  else
    Writer.WriteInteger(Item.EffectType);
  auto optional = [&](const char* Name, std::int32_t Value) {
    if (Value == 0) return;
    Writer.WritePropName(Name);
    Writer.WriteInteger(Value);
  };
  auto always = [&](const char* Name, std::int32_t Value) {
    Writer.WritePropName(Name);
    Writer.WriteInteger(Value);
  };
  optional("AttackLevel", Item.AttackLevel);
  optional("AttackTime", Item.AttackTime);
  optional("ConditionX", Item.ConditionX);
  optional("ConditionY", Item.ConditionY);
  optional("ConstantX", Item.ConstantX);
  optional("ConstantY", Item.ConstantY);
  optional("FadeLevel", Item.FadeLevel);
  optional("FadeTime", Item.FadeTime);
  always("Period", Item.Period);
  always("Power", Item.Power);
  always("Time", Item.Time);
  always("StartDelayTime", Item.StartDelayTime);
  if (Item.StoreEffects()) WriteItems(Writer, *Item.Effects());
}

void WriteLe(TStream* Stream, std::uint32_t Value, int Bytes) {
  std::uint8_t b[4];
  for (int i = 0; i < Bytes; ++i) b[i] = static_cast<std::uint8_t>(Value >> (8 * i));
  Stream->WriteBuffer(b, Bytes);
}

std::uint32_t ReadLe(TStream* Stream, int Bytes) {
  std::uint8_t b[4] = {};
  Stream->ReadBuffer(b, Bytes);
  std::uint32_t v = 0;
  for (int i = 0; i < Bytes; ++i) v |= static_cast<std::uint32_t>(b[i]) << (8 * i);
  return v;
}

// The holder's collection for one read or write; freed in every case.
class THolderItems {
 public:
  explicit THolderItems(TForceFeedbackEffectComponent* Holder)
      : FHolder(Holder), FItems(CollectionItemClassOf<TForceFeedbackEffectItem>()) {
    FHolder->Effects = &FItems;
  }
  ~THolderItems() { FHolder->Effects = nullptr; }
  THolderItems(const THolderItems&) = delete;
  THolderItems& operator=(const THolderItems&) = delete;
  TCollection& Items() { return FItems; }

 private:
  TForceFeedbackEffectComponent* FHolder;
  TCollection FItems;
};

}  // namespace

void TForceFeedbackEffects::WriteEffects(TStream* Stream) {
  THolderItems items(FHolder.get());
  items.Items().Add()->Assign(this);
  TMemoryStream body;
  TWriter writer(&body);
  writer.WriteSignature();
  writer.WriteStr("TForceFeedbackEffectComponent");
  writer.WriteStr(FHolder->Name());
  WriteItems(writer, items.Items());
  writer.WriteListEnd();  // end of the holder's properties
  writer.WriteListEnd();  // no child components
  const std::uint8_t marker = 0xFF;
  Stream->WriteBuffer(&marker, 1);
  WriteLe(Stream, RawDataResource, 2);
  Stream->WriteBuffer(EffectsResourceName, sizeof(EffectsResourceName));  // with its 0 byte
  WriteLe(Stream, ResourceMemoryFlags, 2);
  WriteLe(Stream, static_cast<std::uint32_t>(body.Size()), 4);
  Stream->WriteBuffer(body.Memory(), body.Size());
}

void TForceFeedbackEffects::ReadEffects(TStream* Stream) {
  Clear();
  THolderItems items(FHolder.get());
  // The resource header: any name is accepted, the type must be raw data.
  std::uint8_t marker = 0;
  Stream->ReadBuffer(&marker, 1);
  if (marker != 0xFF || ReadLe(Stream, 2) != RawDataResource) throw EReadError("Invalid stream format");
  for (;;) {
    std::uint8_t c = 0;
    Stream->ReadBuffer(&c, 1);
    if (c == 0) break;
  }
  ReadLe(Stream, 2);  // memory flags
  ReadLe(Stream, 4);  // length of the rest
  TReader reader(Stream);
  reader.ReadRootObject(FHolder.get());
  static_cast<TForceFeedbackEffectItem*>(items.Items().Items(0))->AssignTo(this);
}

// ---- TForceFeedbackEffectItem ----

TForceFeedbackEffectItem::TForceFeedbackEffectItem(TCollection* Collection)
    : TCollectionItem(Collection),
      FEffects(std::make_unique<TCollection>(CollectionItemClassOf<TForceFeedbackEffectItem>(), this)) {}

TForceFeedbackEffectItem::~TForceFeedbackEffectItem() = default;

void TForceFeedbackEffectItem::GetProperties(TPropertyList& List) {
  TCollectionItem::GetProperties(List);
  List.String(
      "Name", [this] { return Name; }, [this](const std::string& v) { Name = v; });
  List.Enumeration(
      "EffectType", {EffectTypeNames, EffectTypeNames + 4}, [this] { return std::int64_t{EffectType}; },
      [this](std::int64_t v) { EffectType = static_cast<std::int32_t>(v); });
  auto integer = [&](const char* Name, std::int32_t& Field, bool ZeroDefault) {
    auto get = [&Field] { return std::int64_t{Field}; };
    auto set = [&Field](std::int64_t v) { Field = static_cast<std::int32_t>(v); };
    if (ZeroDefault)
      List.Integer(Name, get, set, 0);
    else
      List.Integer(Name, get, set);
  };
  integer("AttackLevel", AttackLevel, true);
  integer("AttackTime", AttackTime, true);
  integer("ConditionX", ConditionX, true);
  integer("ConditionY", ConditionY, true);
  integer("ConstantX", ConstantX, true);
  integer("ConstantY", ConstantY, true);
  integer("FadeLevel", FadeLevel, true);
  integer("FadeTime", FadeTime, true);
  integer("Period", Period, false);
  integer("Power", Power, false);
  integer("Time", Time, false);
  integer("StartDelayTime", StartDelayTime, false);
  List.Persistent("Effects", [this]() -> TPersistent* { return FEffects.get(); });
}

void TForceFeedbackEffectItem::Assign(const TPersistent* Source) {
  auto* source = dynamic_cast<const TForceFeedbackEffect*>(Source);
  if (!source) throw EInvalidCast();
  Name = source->Name;
  EffectType = source->EffectType();
  AttackLevel = source->AttackLevel();
  AttackTime = source->AttackTime();
  ConditionX = source->Condition().X;
  ConditionY = source->Condition().Y;
  ConstantX = source->Constant().X;
  ConstantY = source->Constant().Y;
  FadeLevel = source->FadeLevel();
  FadeTime = source->FadeTime();
  Period = source->Period();
  Power = source->Power();
  Time = source->Time();
  StartDelayTime = source->StartDelayTime();
  for (int i = 0; i < source->Count(); ++i) FEffects->Add()->Assign(source->Effects(i));
}

void TForceFeedbackEffectItem::AssignTo(TPersistent* Dest) const {
  auto* dest = dynamic_cast<TForceFeedbackEffect*>(Dest);
  if (!dest) throw EInvalidCast();
  dest->SetEffectType(etNone);
  dest->Name = Name;
  dest->SetAttackLevel(AttackLevel);
  dest->SetAttackTime(AttackTime);
  dest->SetCondition(TFFPoint{ConditionX, ConditionY});
  dest->SetConstant(TFFPoint{ConstantX, ConstantY});
  dest->SetFadeLevel(FadeLevel);
  dest->SetFadeTime(FadeTime);
  dest->SetPeriod(Period);
  dest->SetPower(Power);
  dest->SetTime(Time);
  dest->SetStartDelayTime(StartDelayTime);
  // A stored type outside the enumeration reads as no effect.
  dest->SetEffectType(
      EffectType >= etNone && EffectType <= etCondition ? static_cast<TForceFeedbackEffectType>(EffectType) : etNone);
  for (int i = 0; i < FEffects->Count(); ++i)
    static_cast<const TForceFeedbackEffectItem*>(FEffects->Items(i))->AssignTo(new TForceFeedbackEffect(dest));
}

void TForceFeedbackEffectComponent::GetProperties(TPropertyList& List) {
  TComponent::GetProperties(List);
  List.Persistent("Effects", [this] { return Effects; });
}
