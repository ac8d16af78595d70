// Force-feedback effects: every input device owns a tree of effect nodes. A
// node describes a constant force, a periodic force or a condition with its
// levels and times and drives up to two DirectInput effects on the device;
// its children are further effects. The root is tied to the device.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/dinput/DInput.h"
#include "platform/toolkit/Collection.h"
#include "platform/toolkit/Component.h"
#include "platform/toolkit/Persistent.h"

class TCustomInput;
class TFiler;
class TForceFeedbackEffects;
class TStream;
class TForceFeedbackEffectComponent;

enum TForceFeedbackEffectType { etNone, etConstantForce, etPeriodic, etCondition };

struct TFFPoint {
  std::int32_t X = 0;
  std::int32_t Y = 0;
  friend bool operator==(const TFFPoint&, const TFFPoint&) = default;
};

// Milliseconds as the device's microseconds, computed in 64 bits; values
// beyond the device's range saturate just below "infinite".
DWORD EffectMilliToMicro(std::int64_t Milliseconds);

// One DirectInput effect of a node and the description it is made from.
class TForceFeedbackEffectObject {
 public:
  TForceFeedbackEffectObject() = default;
  ~TForceFeedbackEffectObject();
  TForceFeedbackEffectObject(const TForceFeedbackEffectObject&) = delete;
  TForceFeedbackEffectObject& operator=(const TForceFeedbackEffectObject&) = delete;

  // Marks the effect description as not built.
  void Clear();
  // Fills the envelope and the effect description from the node's values.
  void FillEffectBlock(const class TForceFeedbackEffect& Effect);
  void Release();

  DWORD Axes[2] = {0, 0};
  DWORD AxisCount = 0;
  DIEFFECT Block{};
  LONG Directions[2] = {0, 0};
  DIENVELOPE Envelope{};
  DICONSTANTFORCE ConstantForce{};
  DICONDITION Condition{};
  DIPERIODIC Periodic{};
  IDirectInputEffect* Effect = nullptr;
};

class TForceFeedbackEffect : public TPersistent {
 public:
  // A child appended to Parent. A node without a parent must be a root: here
  // that raises the runtime's "Invalid class typecast".
  explicit TForceFeedbackEffect(TForceFeedbackEffect* Parent);
  ~TForceFeedbackEffect() override;
  TForceFeedbackEffect(const TForceFeedbackEffect&) = delete;
  TForceFeedbackEffect& operator=(const TForceFeedbackEffect&) = delete;

  int Count() const { return static_cast<int>(FChildren.size()); }
  // The child at Index; raises EListError "List index out of bounds (%d)".
  TForceFeedbackEffect* Effects(int Index) const;
  // Frees every child, the last first.
  void Clear();
  TForceFeedbackEffect* Parent() const { return FParent; }
  TForceFeedbackEffects* Root() const { return FRoot; }
  TPersistent* GetOwner() const override { return FParent; }

  // Copies another node and its subtree (also one of this node's own tree).
  void Assign(const TPersistent* Source) override;

  std::int32_t AttackLevel() const { return FAttackLevel; }
  std::int32_t AttackTime() const { return FAttackTime; }
  TFFPoint Condition() const { return FCondition; }
  TFFPoint Constant() const { return FConstant; }
  TForceFeedbackEffectType EffectType() const { return FEffectType; }
  std::int32_t FadeLevel() const { return FFadeLevel; }
  std::int32_t FadeTime() const { return FFadeTime; }
  std::int32_t Period() const { return FPeriod; }
  std::int32_t Power() const { return FPower; }
  std::int32_t Time() const { return FTime; }
  std::int32_t StartDelayTime() const { return FStartDelayTime; }
  std::string Name;

  void SetAttackLevel(std::int32_t Value);
  void SetAttackTime(std::int32_t Value);
  void SetCondition(TFFPoint Value);
  void SetConstant(TFFPoint Value);
  void SetEffectType(TForceFeedbackEffectType Value);
  void SetFadeLevel(std::int32_t Value);
  void SetFadeTime(std::int32_t Value);
  void SetPeriod(std::int32_t Value);
  void SetPower(std::int32_t Value);
  void SetTime(std::int32_t Value);
  void SetStartDelayTime(std::int32_t Value);

  void Start();
  void Stop();
  bool Playing();
  bool HasInterface() const;
  void Initialize();
  void Finalize();
  void AfterAcquire();
  void CreateEffects();
  void BuildParameters();
  void UpdateParameters();

  const TForceFeedbackEffectObject& Object1() const { return *FObject; }
  const TForceFeedbackEffectObject& Object2() const { return *FObject2; }

 protected:
  struct TRootTag {};
  TForceFeedbackEffect(TRootTag);

 private:
  struct TSnapshot;
  static void TakeSnapshot(const TForceFeedbackEffect* Node, TSnapshot& Into);
  void ApplySnapshot(const TSnapshot& From);
  void CreateDefaults();
  void CreateEffect(TForceFeedbackEffectObject& Object, const GUID& Guid);
  bool FindEffectGuid(DWORD EffectType);
  void StartObject(TForceFeedbackEffectObject& Object);
  IDirectInputDevice2A* DeviceInterface() const;

  TForceFeedbackEffects* FRoot = nullptr;
  friend class TForceFeedbackEffects;
  TForceFeedbackEffect* FParent = nullptr;
  std::vector<TForceFeedbackEffect*> FChildren;
  std::int32_t FAttackLevel = 0;
  std::int32_t FAttackTime = 0;
  TFFPoint FCondition;
  TFFPoint FConstant;
  TForceFeedbackEffectType FEffectType = etNone;
  std::int32_t FFadeLevel = 0;
  std::int32_t FFadeTime = 0;
  std::int32_t FPeriod = 0;
  bool FPlaying = false;
  std::int32_t FPower = 0;
  std::int32_t FTime = 0;
  std::int32_t FStartDelayTime = 0;
  std::unique_ptr<TForceFeedbackEffectObject> FObject;
  std::unique_ptr<TForceFeedbackEffectObject> FObject2;
  bool FFound = false;
  GUID FFoundGUID{};
};

// The root of a device's tree.
class TForceFeedbackEffects : public TForceFeedbackEffect {
 public:
  explicit TForceFeedbackEffects(TCustomInput* Device);
  ~TForceFeedbackEffects() override;

  TCustomInput* Device() const { return FDevice; }

  // The tree as the resource "VexelForceFeedbackEffect": byte 0xFF, the
  // 16-bit type 10, the upper-case name ended by 0, the 16-bit flags 0x1030,
  // the 32-bit length of the rest, then a component stream ("TPF0") of one
  // TForceFeedbackEffectComponent whose Effects hold one item, the root, with
  // its children as nested Effects. Reading replaces the whole tree.
  void WriteEffects(TStream* Stream);
  void ReadEffects(TStream* Stream);

 protected:
  // The stored binary property "Effects": the whole tree as a component
  // resource (see WriteEffects).
  void DefineProperties(TFiler* Filer) override;

 private:
  friend class TForceFeedbackEffect;
  TCustomInput* FDevice;
  std::unique_ptr<TForceFeedbackEffectComponent> FHolder;
  // A start is re-acquiring the device (which restarts effects of the tree).
  bool FRestarting = false;
};

// One effect node in its stored form.
class TForceFeedbackEffectItem : public TCollectionItem {
 public:
  explicit TForceFeedbackEffectItem(TCollection* Collection);
  ~TForceFeedbackEffectItem() override;

  void GetProperties(TPropertyList& List) override;
  // Copies a TForceFeedbackEffect and its subtree (anything else: "Invalid
  // class typecast").
  void Assign(const TPersistent* Source) override;
  bool StoreEffects() const { return FEffects->Count() > 0; }
  TCollection* Effects() const { return FEffects.get(); }

  std::string Name;
  std::int32_t EffectType = etNone;
  std::int32_t AttackLevel = 0, AttackTime = 0;
  std::int32_t ConditionX = 0, ConditionY = 0, ConstantX = 0, ConstantY = 0;
  std::int32_t FadeLevel = 0, FadeTime = 0;
  std::int32_t Period = 0, Power = 0, Time = 0, StartDelayTime = 0;

  // Sets a TForceFeedbackEffect (through its setters, which clamp) and makes
  // its children from the nested items.
  void AssignTo(TPersistent* Dest) const override;

 private:
  std::unique_ptr<TCollection> FEffects;
};

// The root object of the "Effects" stream: a component with one published
// collection of items.
class TForceFeedbackEffectComponent : public TComponent {
 public:
  TForceFeedbackEffectComponent() : TComponent(nullptr) {}
  void GetProperties(TPropertyList& List) override;
  TCollection* Effects = nullptr;
};
