// The devices of the input component: the shared device base (DirectInput
// interfaces, data format, acquisition, cooperative level, a state read that
// survives a lost device, the force-feedback tree), the mouse (DirectInput
// only) and the joystick (DirectInput, or the multimedia joystick functions
// without it) with its per-axis dead zones and ranges.
#pragma once

#include <array>
#include <cstdint>
#include <memory>

#include "input_sound/DXInput.h"
#include "platform/dinput/DInput.h"
#include "platform/toolkit/Persistent.h"
#include "platform/win/Joystick.h"

class TForceFeedbackEffects;

class TCustomInput : public TPersistent {
 public:
  // Joins the owner's device list and makes the effect tree.
  explicit TCustomInput(TCustomDXInput* AOwner);
  ~TCustomInput() override;
  TCustomInput(const TCustomInput&) = delete;
  TCustomInput& operator=(const TCustomInput&) = delete;

  virtual void Finalize();
  // The base part ends every device's own Initialize: marks the device
  // initialised and creates its effects.
  virtual void Initialize();
  virtual DWORD GetCooperativeFlags() const;
  // Recomputes the device's raw States of this frame.
  virtual void Update() = 0;

  // BindInputStates, Effects, Enabled, ForceFeedback; none has a stored default.
  void GetProperties(TPropertyList& List) override;

  // Acquires the device (unless the component only reads while its form is in
  // the foreground and it is not) and restarts the effects that need it.
  void Acquire();
  void SetCooperativeLevel(HWND Window);
  // Reads Size bytes of device state into Buffer (zeroed first); a lost
  // device is acquired again and read once more. True when the read worked.
  bool GetDeviceState(DWORD Size, void* Buffer);

  bool BindInputStates() const { return FBindInputStates; }
  void SetBindInputStates(bool Value) { FBindInputStates = Value; }
  bool Enabled() const { return FEnabled; }
  void SetEnabled(bool Value);
  bool ForceFeedback() const { return FForceFeedback; }
  void SetForceFeedback(bool Value);
  TForceFeedbackEffects* Effects() const { return FEffects.get(); }
  void SetEffects(const TForceFeedbackEffects* Value);

  int ButtonCount() const { return FButtonCount; }
  bool Initialized() const { return FInitialized; }
  bool ForceFeedbackDevice() const { return FForceFeedbackDevice; }
  TInputStates States() const { return FStates; }
  TCustomDXInput* DXInput() const { return FDXInput; }
  IDirectInputDeviceA* Device() const { return FDevice; }
  IDirectInputDevice2A* Device2() const { return FDevice2; }

 protected:
  // Builds the data format from the device's objects (the caller sets its
  // flags and data size first) and gives it to the device.
  bool SetDataFormat();
  bool ActiveOnlyBlocks() const;
  void ReleaseDevices();

  int FButtonCount = 0;
  DIDATAFORMAT FDataFormat{};
  std::array<DIOBJECTDATAFORMAT, 256> FDataFormatObjects{};
  std::array<GUID, 256> FDataFormatGUIDs{};
  IDirectInputDeviceA* FDevice = nullptr;
  IDirectInputDevice2A* FDevice2 = nullptr;
  bool FForceFeedbackDevice = false;
  bool FInitialized = false;
  TInputStates FStates;

 private:
  bool FBindInputStates = true;
  TCustomDXInput* FDXInput;
  std::unique_ptr<TForceFeedbackEffects> FEffects;
  bool FEnabled = true;
  bool FForceFeedback = false;
};

// The system mouse, read through DirectInput only: motion gives the
// directions, its first three buttons stButton1 to stButton3. It does not bind
// and is disabled after construction.
class TMouse : public TCustomInput {
 public:
  explicit TMouse(TCustomDXInput* AOwner);
  ~TMouse() override;

  void Finalize() override;
  // Raises EDXInputError "DirectInput is necessary to use the mouse" when it
  // is enabled and there is no DirectInput object.
  void Initialize() override;
  void Update() override;

  const DIMOUSESTATE& MouseState() const { return FMouseState; }

 private:
  DIMOUSESTATE FMouseState{};
};

// An axis position of the multimedia joystick functions (Min..Max) scaled to
// -Range..Range around the middle of the axis, with a dead zone of DeadZone
// percent of the half-axis around the centre. Exact in 64 bits; results that
// do not fit 32 bits saturate.
std::int32_t ScaleJoystickAxis(std::int32_t Position, std::int32_t Max, std::int32_t Min, std::int32_t DeadZone,
                               std::int32_t Range);

// The ID-th attached joystick.
class TJoystick : public TCustomInput {
 public:
  explicit TJoystick(TCustomDXInput* AOwner);
  ~TJoystick() override;

  void Finalize() override;
  void Initialize() override;
  DWORD GetCooperativeFlags() const override;
  void Update() override;
  // Adds AutoCenter, DeadZoneX/Y/Z, ID, RangeX/Y/Z.
  void GetProperties(TPropertyList& List) override;

  bool AutoCenter() const { return FAutoCenter; }
  void SetAutoCenter(bool Value);
  int ID() const { return FID; }
  void SetID(int Value);
  // Dead zone (percent) and range of the object at a byte offset into the
  // joystick state; -1 where the device refused the value (and always at the
  // first hat, offset 32), 0 outside offsets 0 to 270.
  std::int32_t GetDeadZone(int Offset) const;
  std::int32_t GetRange(int Offset) const;
  void SetDeadZone(int Offset, std::int32_t Value);
  void SetRange(int Offset, std::int32_t Value);
  std::int32_t DeadZoneX() const { return GetDeadZone(DIJOFS_X); }
  std::int32_t DeadZoneY() const { return GetDeadZone(DIJOFS_Y); }
  std::int32_t DeadZoneZ() const { return GetDeadZone(DIJOFS_Z); }
  std::int32_t RangeX() const { return GetRange(DIJOFS_X); }
  std::int32_t RangeY() const { return GetRange(DIJOFS_Y); }
  std::int32_t RangeZ() const { return GetRange(DIJOFS_Z); }
  void SetDeadZoneX(std::int32_t Value) { SetDeadZone(DIJOFS_X, Value); }
  void SetDeadZoneY(std::int32_t Value) { SetDeadZone(DIJOFS_Y, Value); }
  void SetDeadZoneZ(std::int32_t Value) { SetDeadZone(DIJOFS_Z, Value); }
  void SetRangeX(std::int32_t Value) { SetRange(DIJOFS_X, Value); }
  void SetRangeY(std::int32_t Value) { SetRange(DIJOFS_Y, Value); }
  void SetRangeZ(std::int32_t Value) { SetRange(DIJOFS_Z, Value); }

  const DIJOYSTATE2& Joystate() const { return FJoyState; }
  // The multimedia joystick in use without DirectInput, -1 when none.
  int JoyNumber() const { return FJoyNumber; }

  static constexpr int StateSize = static_cast<int>(sizeof(DIJOYSTATE2));

 private:
  // The step of Initialize after the DirectInput part: looks for the
  // multimedia joystick when no DirectInput device was opened.
  void FindMultimediaJoystick();

  DIJOYSTATE2 FJoyState{};
  bool FAutoCenter = true;
  GUID FDeviceGUID{};
  bool FEnumFound = false;
  int FEnumCounter = 0;
  int FID = 0;
  int FJoyNumber = -1;
  JOYCAPSA FJoyCaps{};
  // The configured values, and apart from them the offsets where the device
  // refused them: the fallback always scales with what was configured.
  std::array<std::int32_t, StateSize> FDeadZones{};
  std::array<std::int32_t, StateSize> FRanges{};
  std::array<bool, StateSize> FDeadZoneRejected{};
  std::array<bool, StateSize> FRangeRejected{};
};
