// Inside the DirectInput stand-in: the device and effect objects and the
// state they share (injected failures, live counts).
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/dinput/DInput.h"
#include "platform/dinput/DInputTest.h"
#include "platform/win/Joystick.h"

namespace DInputInternal {

struct TFailures {
  HRESULT Create = DI_OK;
  HRESULT CreateDevice[3] = {DI_OK, DI_OK, DI_OK};
  HRESULT Acquire[3] = {DI_OK, DI_OK, DI_OK};
  bool NoSecondInterface[3] = {false, false, false};
  struct TRejection {
    const GUID* Property;
    bool AnyObject;
    DWORD Offset;
    HRESULT Result;
  };
  std::vector<TRejection> Rejections;
};
TFailures& Failures();
int& LiveCount();

// Instance GUIDs of sticks carry the stick's id.
GUID StickInstanceGuid(DWORD id);
bool StickIdOfGuid(const GUID& guid, DWORD* id);
GUID StickProductGuid(const std::string& name);

}  // namespace DInputInternal

class TDIEffect;

// One object (axis, button, hat, key) of a device.
struct TDIObject {
  enum TSource { Key, MouseAxis, MouseButton, StickAxis, StickButton, StickHat };
  const GUID* Type = nullptr;
  DWORD NativeOfs = 0;
  DWORD TypeId = 0;  // DIDFT_* type, instance and force-feedback bits
  DWORD Flags = 0;   // DIDOI_*
  std::string Name;
  TSource Source = Key;
  int Index = 0;
  // Absolute axes.
  LONG Min = 0, Max = 65535;
  DWORD DeadZone = 0, Saturation = 10000;
  LONG LastValue = 0;  // relative reporting of absolute axes
  bool IsAxis() const { return DIDFT_GETTYPE(TypeId) & DIDFT_AXIS; }
  bool IsPov() const { return DIDFT_GETTYPE(TypeId) & DIDFT_POV; }
};

class TDIDevice final : public IDirectInputDevice2A {
 public:
  TDIDevice(TDInputDeviceKind kind, std::shared_ptr<TStick> stick);
  ~TDIDevice() override;

  HRESULT QueryInterface(REFIID riid, void** ppvObject) override;
  BRASK_REFCOUNT_METHODS

  HRESULT GetCapabilities(DIDEVCAPS* lpDIDevCaps) override;
  HRESULT EnumObjects(LPDIENUMDEVICEOBJECTSCALLBACKA lpCallback, void* pvRef, DWORD dwFlags) override;
  HRESULT GetProperty(REFGUIDPROP rguidProp, DIPROPHEADER* pdiph) override;
  HRESULT SetProperty(REFGUIDPROP rguidProp, const DIPROPHEADER* pdiph) override;
  HRESULT Acquire() override;
  HRESULT Unacquire() override;
  HRESULT GetDeviceState(DWORD cbData, void* lpvData) override;
  HRESULT SetDataFormat(const DIDATAFORMAT* lpdf) override;
  HRESULT SetCooperativeLevel(HWND hwnd, DWORD dwFlags) override;
  HRESULT GetObjectInfo(DIDEVICEOBJECTINSTANCEA* pdidoi, DWORD dwObj, DWORD dwHow) override;
  HRESULT GetDeviceInfo(DIDEVICEINSTANCEA* pdidi) override;

  HRESULT CreateEffect(REFGUID rguid, const DIEFFECT* lpeff, IDirectInputEffect** ppdeff, IUnknown* punkOuter) override;
  HRESULT EnumEffects(LPDIENUMEFFECTSCALLBACKA lpCallback, void* pvRef, DWORD dwEffType) override;
  HRESULT GetEffectInfo(DIEFFECTINFOA* pdei, REFGUID rguid) override;
  HRESULT Poll() override;

  // For the effects and the DirectInput object.
  TDInputDeviceKind Kind() const { return FKind; }
  const std::shared_ptr<TStick>& Stick() const { return FStick; }
  // DI_OK while acquired; DIERR_INPUTLOST once when acquisition was lost,
  // DIERR_NOTACQUIRED after that.
  HRESULT CheckAcquired();
  bool Exclusive() const { return FCoop & DISCL_EXCLUSIVE; }
  // The object an effect names as an axis or trigger (by offset or id).
  const TDIObject* ResolveObject(DWORD value, bool byOffset) const;
  void AddEffect(TDIEffect* effect) { FEffects.push_back(effect); }
  void RemoveEffect(TDIEffect* effect);
  void StopOtherEffects(TDIEffect* keep);
  static void FillInstance(DIDEVICEINSTANCEA& info, TDInputDeviceKind kind, const TStick* stick);
  // Marks acquired devices of that kind as lost (test hook).
  static void LoseAll(TDInputDeviceKind kind);

 private:
  struct TMapped {
    size_t Object;
    DWORD Offset;
  };

  void BuildObjects();
  bool LostNow() const;
  bool Holding() const { return FAcquired && !LostNow(); }
  void DropAcquisition();
  // The window of the cooperative level no longer exists.
  bool WindowGone() const;
  // A device whose window was destroyed is no longer acquired: DirectInput
  // unacquires it with the window, so the next level or acquire works.
  void ForgetDestroyedWindow();
  void TakeSnapshot();
  size_t FindObjectIndex(DWORD obj, DWORD how) const;  // FObjects.size() when none
  TDIObject* FindObject(DWORD obj, DWORD how);
  DWORD ReportedOffset(size_t object) const;
  LONG AxisValue(TDIObject& o);
  void FillObjectInstance(DIDEVICEOBJECTINSTANCEA& info, size_t object, DWORD size) const;

  TRefCounted FRef;
  TDInputDeviceKind FKind;
  std::shared_ptr<TStick> FStick;
  std::vector<TDIObject> FObjects;
  bool FHasFormat = false;
  DWORD FDataSize = 0;
  bool FRelative = false;
  std::vector<TMapped> FMapped;
  HWND FWindow = nullptr;
  DWORD FCoop = DISCL_NONEXCLUSIVE | DISCL_BACKGROUND;
  bool FAcquired = false;
  bool FLostInjected = false;
  DWORD FBufferSize = 0;
  bool FAutoCenter = true;
  // Joystick state as of the last poll.
  std::vector<LONG> FAxes;
  std::vector<bool> FButtons;
  std::vector<BYTE> FHats;
  // Mouse position for absolute reporting.
  LONG FMouseSum[3] = {0, 0, 0};
  std::vector<TDIEffect*> FEffects;
};

class TDIEffect final : public IDirectInputEffect {
 public:
  TDIEffect(TDIDevice* device, const GUID& guid, TStickEffectKind kind, DWORD type);
  ~TDIEffect() override;

  HRESULT QueryInterface(REFIID riid, void** ppvObject) override;
  BRASK_REFCOUNT_METHODS

  HRESULT GetEffectGuid(GUID* pguid) override;
  HRESULT GetParameters(DIEFFECT* peff, DWORD dwFlags) override;
  HRESULT SetParameters(const DIEFFECT* peff, DWORD dwFlags) override;
  HRESULT Start(DWORD dwIterations, DWORD dwFlags) override;
  HRESULT Stop() override;
  HRESULT GetEffectStatus(DWORD* pdwFlags) override;
  HRESULT Download() override;
  HRESULT Unload() override;

  // Stops and removes the effect from the stick (the device was unacquired).
  void UnloadFromStick();
  void StopOnStick();

 private:
  bool Complete() const;
  TStickEffect ToStick() const;
  HRESULT DownloadNow();
  HRESULT CheckExclusive();

  TRefCounted FRef;
  TDIDevice* FDevice;
  GUID FGuid;
  TStickEffectKind FKind;
  DWORD FType;       // DIEFT_CONSTANTFORCE, DIEFT_PERIODIC or DIEFT_CONDITION
  DWORD FSet = 0;    // DIEP_* given so far
  DWORD FFlags = 0;  // DIEFF_*
  DWORD FDuration = 0, FSamplePeriod = 0, FGain = 10000, FTriggerButton = DIEB_NOTRIGGER;
  DWORD FTriggerRepeatInterval = 0, FStartDelay = 0;
  std::vector<DWORD> FAxes;       // as given
  std::vector<int> FStickAxes;    // resolved
  std::vector<LONG> FDirections;  // as given
  DWORD FDirectionFlags = DIEFF_CARTESIAN;
  bool FHasEnvelope = false;
  DIENVELOPE FEnvelope{};
  DICONSTANTFORCE FConstant{};
  DIPERIODIC FPeriodic{};
  std::vector<DICONDITION> FConditions;
  int FStickTrigger = -1;
  int FHandle = -1;
};
