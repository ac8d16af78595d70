#include "input_sound/InputDevice.h"

#include <algorithm>
#include <cstring>

#include "display/DXClass.h"
#include "input_sound/ForceFeedback.h"
#include "platform/toolkit/Forms.h"

// ---- TCustomInput ----

TCustomInput::TCustomInput(TCustomDXInput* AOwner) : FDXInput(AOwner) {
  FDXInput->RegisterDevice(this);
  FEffects = std::make_unique<TForceFeedbackEffects>(this);
  FEnabled = true;
  FBindInputStates = true;
}

TCustomInput::~TCustomInput() {
  TCustomInput::Finalize();
  FEffects.reset();
  FDXInput->UnregisterDevice(this);
}

bool TCustomInput::ActiveOnlyBlocks() const { return FDXInput->ActiveOnly() && !FDXInput->FormIsForeground(); }

void TCustomInput::Acquire() {
  if (ActiveOnlyBlocks()) return;
  if (FDevice) FDevice->Acquire();
  if (FEffects) FEffects->AfterAcquire();
}

void TCustomInput::ReleaseDevices() {
  if (FDevice2) FDevice2->Release();
  FDevice2 = nullptr;
  if (FDevice) FDevice->Release();
  FDevice = nullptr;
}

void TCustomInput::Finalize() {
  if (FDevice) FDevice->Unacquire();
  FInitialized = false;
  FButtonCount = 0;
  if (FEffects) FEffects->Finalize();
  ReleaseDevices();
  FForceFeedbackDevice = false;
  FStates = TInputStates();
}

void TCustomInput::Initialize() {
  FInitialized = true;
  if (FEffects) FEffects->Initialize();
}

DWORD TCustomInput::GetCooperativeFlags() const {
  DWORD access = (FForceFeedbackDevice && FForceFeedback) ? DISCL_EXCLUSIVE : DISCL_NONEXCLUSIVE;
  return access | (FDXInput->ActiveOnly() ? DISCL_FOREGROUND : DISCL_BACKGROUND);
}

void TCustomInput::SetCooperativeLevel(HWND Window) {
  if (FDevice) FDevice->SetCooperativeLevel(Window, GetCooperativeFlags());
}

bool TCustomInput::GetDeviceState(DWORD Size, void* Buffer) {
  std::memset(Buffer, 0, Size);
  if (!FDevice) return false;
  HRESULT result = FDevice->GetDeviceState(Size, Buffer);
  if (result == DIERR_INPUTLOST || result == DIERR_NOTACQUIRED) {
    FDevice->Acquire();
    result = FDevice->GetDeviceState(Size, Buffer);
  }
  return result == DI_OK;
}

namespace {

struct TFormatBuilder {
  DIDATAFORMAT* Format;
  DIOBJECTDATAFORMAT* Objects;
  GUID* Guids;
};

BOOL AddFormatObject(const DIDEVICEOBJECTINSTANCEA* Object, void* Ref) {
  auto* b = static_cast<TFormatBuilder*>(Ref);
  if (Object->guidType == GUID_Unknown) return DIENUM_CONTINUE;
  if (Object->dwOfs >= b->Format->dwDataSize) return DIENUM_CONTINUE;
  DWORD n = b->Format->dwNumObjs;
  if (n >= 256) return DIENUM_CONTINUE;
  b->Guids[n] = Object->guidType;
  b->Objects[n] = DIOBJECTDATAFORMAT{&b->Guids[n], Object->dwOfs, Object->dwType, 0};
  b->Format->dwNumObjs = n + 1;
  return DIENUM_CONTINUE;
}

}  // namespace

bool TCustomInput::SetDataFormat() {
  if (!FDevice) return true;
  FDataFormat.dwSize = sizeof(DIDATAFORMAT);
  FDataFormat.dwObjSize = sizeof(DIOBJECTDATAFORMAT);
  FDataFormat.dwNumObjs = 0;
  FDataFormat.rgodf = FDataFormatObjects.data();
  TFormatBuilder builder{&FDataFormat, FDataFormatObjects.data(), FDataFormatGUIDs.data()};
  FDevice->EnumObjects(AddFormatObject, &builder, DIDFT_ALL);
  return FDevice->SetDataFormat(&FDataFormat) == DI_OK;
}

void TCustomInput::GetProperties(TPropertyList& List) {
  TPersistent::GetProperties(List);
  List.Boolean(
      "BindInputStates", [this] { return BindInputStates(); }, [this](bool v) { SetBindInputStates(v); });
  List.Persistent("Effects", [this] { return Effects(); });
  List.Boolean(
      "Enabled", [this] { return Enabled(); }, [this](bool v) { SetEnabled(v); });
  List.Boolean(
      "ForceFeedback", [this] { return ForceFeedback(); }, [this](bool v) { SetForceFeedback(v); });
}

void TCustomInput::SetEffects(const TForceFeedbackEffects* Value) { FEffects->Assign(Value); }

void TCustomInput::SetEnabled(bool Value) {
  if (FEnabled == Value) return;
  FEnabled = Value;
  if (!FDXInput->IsLoading()) Initialize();
}

void TCustomInput::SetForceFeedback(bool Value) {
  if (FForceFeedback == Value) return;
  FForceFeedback = Value;
  if (!FDXInput->IsLoading()) Initialize();
}

// ---- TMouse ----

TMouse::TMouse(TCustomDXInput* AOwner) : TCustomInput(AOwner) {
  SetBindInputStates(false);
  SetEnabled(false);
}

TMouse::~TMouse() { TMouse::Finalize(); }

void TMouse::Finalize() {
  FMouseState = DIMOUSESTATE{};
  TCustomInput::Finalize();
}

void TMouse::Initialize() {
  Finalize();
  if (!Enabled() || DXInput()->IsDesigning()) return;
  IDirectInputA* di = DXInput()->DInput();
  if (!di) throw EDXInputError("DirectInput is necessary to use the mouse");
  if (di->CreateDevice(GUID_SysMouse, &FDevice, nullptr) != DI_OK) {
    FDevice = nullptr;
    return;
  }
  FDevice->SetDataFormat(&c_dfDIMouse);
  FButtonCount = 3;
  TCustomInput::Initialize();
}

void TMouse::Update() {
  FMouseState = DIMOUSESTATE{};
  FStates = TInputStates();
  if (!FInitialized) return;
  if (ActiveOnlyBlocks()) return;
  if (FDevice) GetDeviceState(sizeof(FMouseState), &FMouseState);
  if (FMouseState.lX < 0) FStates.Include(stLeft);
  if (FMouseState.lX > 0) FStates.Include(stRight);
  if (FMouseState.lY < 0) FStates.Include(stUp);
  if (FMouseState.lY > 0) FStates.Include(stDown);
  for (int i = 0; i < 3; ++i)
    if (FMouseState.rgbButtons[i] & 0x80) FStates.Include(static_cast<TInputState>(stButton1 + i));
}

// ---- ScaleJoystickAxis ----

namespace {

// Number × Numerator / Denominator rounded half away from zero, as MulDiv
// rounds, but in 128 bits and saturated to 32 bits.
std::int32_t MulDiv64(std::int64_t Number, std::int64_t Numerator, std::int64_t Denominator) {
  __extension__ using Wide = __int128;
  Wide product = static_cast<Wide>(Number) * Numerator;
  Wide den = Denominator;
  if (den < 0) {
    den = -den;
    product = -product;
  }
  Wide half = den / 2;
  Wide q = product >= 0 ? (product + half) / den : -((-product + half) / den);
  if (q > INT32_MAX) return INT32_MAX;
  if (q < INT32_MIN) return INT32_MIN;
  return static_cast<std::int32_t>(q);
}

}  // namespace

std::int32_t ScaleJoystickAxis(std::int32_t Position, std::int32_t Max, std::int32_t Min, std::int32_t DeadZone,
                               std::int32_t Range) {
  std::int64_t half = (static_cast<std::int64_t>(Max) - Min) / 2;
  std::int64_t p = static_cast<std::int64_t>(Position) - Min - half;
  std::int64_t d = half * DeadZone / 100;
  if (half - d == 0) return 0;
  if (d >= (p < 0 ? -p : p)) return 0;
  if (p > 0) return MulDiv64(p - d, Range, half - d);
  return MulDiv64(p + d, Range, half - d);
}

// ---- TJoystick ----

TJoystick::TJoystick(TCustomDXInput* AOwner) : TCustomInput(AOwner) {
  FAutoCenter = true;
  FID = 0;
  for (int ofs : {0, 4, 8}) SetDeadZone(ofs, 50);
  for (int ofs : {0, 4, 8}) SetRange(ofs, 1000);
}

TJoystick::~TJoystick() { TJoystick::Finalize(); }

void TJoystick::Finalize() {
  FJoyNumber = -1;
  FJoyState = DIJOYSTATE2{};
  FJoyCaps = JOYCAPSA{};
  TCustomInput::Finalize();
  // Without a device nothing refuses a value any more; the first hat keeps its mark.
  for (int ofs = 0; ofs < StateSize; ++ofs) {
    if (ofs == static_cast<int>(DIJOFS_POV(0))) continue;
    FDeadZoneRejected[static_cast<size_t>(ofs)] = false;
    FRangeRejected[static_cast<size_t>(ofs)] = false;
  }
}

void TJoystick::GetProperties(TPropertyList& List) {
  TCustomInput::GetProperties(List);
  List.Boolean(
      "AutoCenter", [this] { return AutoCenter(); }, [this](bool v) { SetAutoCenter(v); });
  auto offset = [&](const char* Name, int Offset, bool Range) {
    List.Integer(
        Name, [this, Offset, Range] { return std::int64_t{Range ? GetRange(Offset) : GetDeadZone(Offset)}; },
        [this, Offset, Range](std::int64_t v) {
          auto value = static_cast<std::int32_t>(v);
          if (Range)
            SetRange(Offset, value);
          else
            SetDeadZone(Offset, value);
        });
  };
  offset("DeadZoneX", DIJOFS_X, false);
  offset("DeadZoneY", DIJOFS_Y, false);
  offset("DeadZoneZ", DIJOFS_Z, false);
  List.Integer(
      "ID", [this] { return std::int64_t{ID()}; }, [this](std::int64_t v) { SetID(static_cast<int>(v)); });
  offset("RangeX", DIJOFS_X, true);
  offset("RangeY", DIJOFS_Y, true);
  offset("RangeZ", DIJOFS_Z, true);
}

DWORD TJoystick::GetCooperativeFlags() const {
  if (FAutoCenter) return TCustomInput::GetCooperativeFlags();
  return DISCL_EXCLUSIVE | DISCL_FOREGROUND;
}

void TJoystick::SetAutoCenter(bool Value) {
  FAutoCenter = Value;
  if (!FDevice) return;
  DIPROPDWORD prop{};
  prop.diph.dwSize = sizeof(DIPROPDWORD);
  prop.diph.dwHeaderSize = sizeof(DIPROPHEADER);
  prop.diph.dwObj = 0;
  prop.diph.dwHow = DIPH_DEVICE;
  prop.dwData = Value ? DIPROPAUTOCENTER_ON : DIPROPAUTOCENTER_OFF;
  FDevice->SetProperty(DIPROP_AUTOCENTER, &prop.diph);
}

void TJoystick::SetID(int Value) {
  if (FID == Value) return;
  FID = Value;
  Initialize();
}

std::int32_t TJoystick::GetDeadZone(int Offset) const {
  if (Offset < 0 || Offset > 270) return 0;
  auto i = static_cast<size_t>(Offset);
  return FDeadZoneRejected[i] ? -1 : FDeadZones[i];
}

std::int32_t TJoystick::GetRange(int Offset) const {
  if (Offset < 0 || Offset > 270) return 0;
  auto i = static_cast<size_t>(Offset);
  return FRangeRejected[i] ? -1 : FRanges[i];
}

void TJoystick::SetDeadZone(int Offset, std::int32_t Value) {
  if (Offset < 0 || Offset > 270) return;
  auto i = static_cast<size_t>(Offset);
  Value = IntMax(0, IntMin(Value, 100));
  FDeadZones[i] = Value;
  FDeadZoneRejected[i] = false;
  if (Offset == static_cast<int>(DIJOFS_POV(0))) {
    FDeadZoneRejected[i] = true;
    return;
  }
  if (!FDevice) return;
  DIPROPDWORD prop{};
  prop.diph.dwSize = sizeof(DIPROPDWORD);
  prop.diph.dwHeaderSize = sizeof(DIPROPHEADER);
  prop.diph.dwObj = static_cast<DWORD>(Offset);
  prop.diph.dwHow = DIPH_BYOFFSET;
  prop.dwData = static_cast<DWORD>(Value * 100);
  if (FAILED(FDevice->SetProperty(DIPROP_DEADZONE, &prop.diph))) FDeadZoneRejected[i] = true;
}

void TJoystick::SetRange(int Offset, std::int32_t Value) {
  if (Offset < 0 || Offset > 270) return;
  auto i = static_cast<size_t>(Offset);
  Value = IntMax(0, Value);
  FRanges[i] = Value;
  FRangeRejected[i] = false;
  if (Offset == static_cast<int>(DIJOFS_POV(0))) {
    FRangeRejected[i] = true;
    return;
  }
  if (!FDevice) return;
  DIPROPRANGE prop{};
  prop.diph.dwSize = sizeof(DIPROPRANGE);
  prop.diph.dwHeaderSize = sizeof(DIPROPHEADER);
  prop.diph.dwObj = static_cast<DWORD>(Offset);
  prop.diph.dwHow = DIPH_BYOFFSET;
  prop.lMin = -Value;
  prop.lMax = Value;
  if (FAILED(FDevice->SetProperty(DIPROP_RANGE, &prop.diph))) FRangeRejected[i] = true;
}

namespace {

// The enumeration of attached joysticks stops at the ID-th one.
struct TJoystickEnum {
  int ID;
  int* Counter;
  bool* Found;
  GUID* Guid;
};

BOOL FindJoystick(const DIDEVICEINSTANCEA* Instance, void* Ref) {
  auto* e = static_cast<TJoystickEnum*>(Ref);
  if (*e->Counter == e->ID) {
    *e->Guid = Instance->guidInstance;
    *e->Found = true;
    return DIENUM_STOP;
  }
  ++*e->Counter;
  return DIENUM_CONTINUE;
}

}  // namespace

void TJoystick::Initialize() {
  Finalize();
  if (!Enabled() || FID < 0 || DXInput()->IsDesigning()) return;
  bool completed = false;
  try {
    IDirectInputA* di = DXInput()->DInput();
    [&] {
      if (di) {
        FEnumFound = false;
        FEnumCounter = 0;
        TJoystickEnum e{FID, &FEnumCounter, &FEnumFound, &FDeviceGUID};
        di->EnumDevices(DIDEVTYPE_JOYSTICK, FindJoystick, &e, DIEDFL_ATTACHEDONLY);
        if (!FEnumFound) return;
        if (di->CreateDevice(FDeviceGUID, &FDevice, nullptr) != DI_OK) {
          FDevice = nullptr;
          return;
        }
        DIDEVCAPS caps{};
        caps.dwSize = sizeof(caps);
        if (FDevice->GetCapabilities(&caps) == DI_OK) {
          FButtonCount = static_cast<int>(caps.dwButtons);
          FForceFeedbackDevice = (caps.dwFlags & DIDC_FORCEFEEDBACK) != 0;
        }
        // The ID-th attached joystick itself is read (not the system's first
        // joystick), so every ID reads the stick it names.
        FDataFormat.dwFlags = DIDF_ABSAXIS;
        FDataFormat.dwDataSize = sizeof(DIJOYSTATE2);
        if (!SetDataFormat()) {
          ReleaseDevices();
          return;
        }
        SetAutoCenter(FAutoCenter);
        for (int ofs = 0; ofs < StateSize; ++ofs)
          if (ofs <= 270) SetDeadZone(ofs, FDeadZones[static_cast<size_t>(ofs)]);
        for (int ofs = 0; ofs < StateSize; ++ofs)
          if (ofs <= 270) SetRange(ofs, FRanges[static_cast<size_t>(ofs)]);
        void* second = nullptr;
        if (FDevice->QueryInterface(IID_IDirectInputDevice2A, &second) != S_OK || !second) {
          // Without the second interface (polling, effects) the joystick
          // stays closed; the window goes on loading.
          Finalize();
          return;
        }
        FDevice2 = static_cast<IDirectInputDevice2A*>(second);
      }
      completed = true;
    }();
  } catch (...) {
    Finalize();
    FindMultimediaJoystick();
    throw;
  }
  FindMultimediaJoystick();
  if (completed) TCustomInput::Initialize();
}

void TJoystick::FindMultimediaJoystick() {
  if (FDevice) return;
  FJoyNumber = -1;
  int found = 0;
  for (UINT id = 0; id < 256; ++id) {
    FJoyCaps = JOYCAPSA{};
    if (joyGetDevCapsA(id, &FJoyCaps, sizeof(FJoyCaps)) == JOYERR_NOERROR) {
      if (found == FID) {
        FJoyNumber = static_cast<int>(id);
        break;
      }
      ++found;
    }
  }
  if (FJoyNumber != -1) {
    if (joyGetDevCapsA(static_cast<UINT>(FJoyNumber), &FJoyCaps, sizeof(FJoyCaps)) == JOYERR_NOERROR)
      FButtonCount = static_cast<int>(FJoyCaps.wNumButtons);
    else
      FJoyNumber = -1;
  }
}

void TJoystick::Update() {
  FJoyState = DIJOYSTATE2{};
  FStates = TInputStates();
  if (!FInitialized) return;
  if (ActiveOnlyBlocks()) return;
  if (FDevice) {
    if (FDevice2) FDevice2->Poll();
    GetDeviceState(sizeof(FJoyState), &FJoyState);
  } else if (FJoyNumber != -1) {
    JOYINFOEX info{};
    info.dwSize = sizeof(info);
    info.dwFlags = JOY_RETURNX | JOY_RETURNY | JOY_RETURNZ | JOY_RETURNPOV | JOY_RETURNBUTTONS | JOY_RETURNCENTERED;
    joyGetPosEx(static_cast<UINT>(FJoyNumber), &info);
    auto axis = [&](DWORD pos, UINT max, UINT min, size_t ofs) {
      return ScaleJoystickAxis(static_cast<std::int32_t>(pos), static_cast<std::int32_t>(max),
                               static_cast<std::int32_t>(min), FDeadZones[ofs], FRanges[ofs]);
    };
    FJoyState.lX = axis(info.dwXpos, FJoyCaps.wXmax, FJoyCaps.wXmin, DIJOFS_X);
    FJoyState.lY = axis(info.dwYpos, FJoyCaps.wYmax, FJoyCaps.wYmin, DIJOFS_Y);
    FJoyState.lZ = axis(info.dwZpos, FJoyCaps.wZmax, FJoyCaps.wZmin, DIJOFS_Z);
    FJoyState.rgdwPOV[0] = info.dwPOV;
    // The reported buttons are one 32-bit mask: at most 32 of them.
    UINT buttons = std::min<UINT>(FJoyCaps.wNumButtons, 32);
    for (UINT i = 0; i < buttons; ++i)
      if (info.dwButtons & (1u << i)) FJoyState.rgbButtons[i] = 128;
  }
  for (int i = 0; i < 32; ++i)
    if (FJoyState.rgbButtons[i] & 0x80) FStates.Include(static_cast<TInputState>(stButton1 + i));
  if (FJoyState.lX < 0) FStates.Include(stLeft);
  if (FJoyState.lX > 0) FStates.Include(stRight);
  if (FJoyState.lY < 0) FStates.Include(stUp);
  if (FJoyState.lY > 0) FStates.Include(stDown);
}
