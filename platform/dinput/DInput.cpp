#include "platform/dinput/DInput.h"

#include <cstring>

#include "platform/dinput/DInputDevice.h"
#include "platform/win/Modules.h"

namespace {
constexpr GUID MakeGuid(DWORD d1, WORD d2, WORD d3, BYTE b0, BYTE b1, BYTE b2, BYTE b3, BYTE b4, BYTE b5, BYTE b6,
                        BYTE b7) {
  return GUID{d1, d2, d3, {b0, b1, b2, b3, b4, b5, b6, b7}};
}
// The common tails of the object-type and effect GUIDs.
constexpr GUID ObjGuid(DWORD d1) { return MakeGuid(d1, 0xC9F3, 0x11CF, 0xBF, 0xC7, 0x44, 0x45, 0x53, 0x54, 0, 0); }
constexpr GUID EffGuid(DWORD d1) {
  return MakeGuid(d1, 0x8E33, 0x11D0, 0x9A, 0xD0, 0x00, 0xA0, 0xC9, 0xA0, 0x6E, 0x35);
}
constexpr GUID SysGuid(DWORD d1) { return MakeGuid(d1, 0xD5A0, 0x11CF, 0xBF, 0xC7, 0x44, 0x45, 0x53, 0x54, 0, 0); }
}  // namespace

const IID IID_IDirectInputA = MakeGuid(0x89521360, 0xAA8A, 0x11CF, 0xBF, 0xC7, 0x44, 0x45, 0x53, 0x54, 0, 0);
const IID IID_IDirectInput2A = MakeGuid(0x5944E662, 0xAA8A, 0x11CF, 0xBF, 0xC7, 0x44, 0x45, 0x53, 0x54, 0, 0);
const IID IID_IDirectInput7A = MakeGuid(0x9A4CB684, 0x236D, 0x11D3, 0x8E, 0x9D, 0x00, 0xC0, 0x4F, 0x68, 0x44, 0xAE);
const IID IID_IDirectInputDeviceA = MakeGuid(0x5944E680, 0xC92E, 0x11CF, 0xBF, 0xC7, 0x44, 0x45, 0x53, 0x54, 0, 0);
const IID IID_IDirectInputDevice2A = MakeGuid(0x5944E682, 0xC92E, 0x11CF, 0xBF, 0xC7, 0x44, 0x45, 0x53, 0x54, 0, 0);
const IID IID_IDirectInputDevice7A =
    MakeGuid(0x57D7C6BC, 0x2356, 0x11D3, 0x8E, 0x9D, 0x00, 0xC0, 0x4F, 0x68, 0x44, 0xAE);
const IID IID_IDirectInputEffect = MakeGuid(0xE7E1F7C0, 0x88D2, 0x11D0, 0x9A, 0xD0, 0x00, 0xA0, 0xC9, 0xA0, 0x6E, 0x35);

const GUID GUID_SysMouse = SysGuid(0x6F1D2B60);
const GUID GUID_SysKeyboard = SysGuid(0x6F1D2B61);
const GUID GUID_Joystick = SysGuid(0x6F1D2B70);

const GUID GUID_XAxis = ObjGuid(0xA36D02E0);
const GUID GUID_YAxis = ObjGuid(0xA36D02E1);
const GUID GUID_ZAxis = ObjGuid(0xA36D02E2);
const GUID GUID_RxAxis = ObjGuid(0xA36D02F4);
const GUID GUID_RyAxis = ObjGuid(0xA36D02F5);
const GUID GUID_RzAxis = ObjGuid(0xA36D02E3);
const GUID GUID_Slider = ObjGuid(0xA36D02E4);
const GUID GUID_Button = ObjGuid(0xA36D02F0);
const GUID GUID_Key = MakeGuid(0x55728220, 0xD33C, 0x11CF, 0xBF, 0xC7, 0x44, 0x45, 0x53, 0x54, 0, 0);
const GUID GUID_POV = ObjGuid(0xA36D02F2);
const GUID GUID_Unknown = ObjGuid(0xA36D02F3);

const GUID GUID_ConstantForce = EffGuid(0x13541C20);
const GUID GUID_RampForce = EffGuid(0x13541C21);
const GUID GUID_Square = EffGuid(0x13541C22);
const GUID GUID_Sine = EffGuid(0x13541C23);
const GUID GUID_Triangle = EffGuid(0x13541C24);
const GUID GUID_SawtoothUp = EffGuid(0x13541C25);
const GUID GUID_SawtoothDown = EffGuid(0x13541C26);
const GUID GUID_Spring = EffGuid(0x13541C27);
const GUID GUID_Damper = EffGuid(0x13541C28);
const GUID GUID_Inertia = EffGuid(0x13541C29);
const GUID GUID_Friction = EffGuid(0x13541C2A);
const GUID GUID_CustomForce = EffGuid(0x13541C2B);

// ---- The standard data formats ----

namespace {

template <size_t N>
struct TOdfTable {
  DIOBJECTDATAFORMAT v[N];
};

constexpr DWORD kAnyOptional = DIDFT_ANYINSTANCE | DIDFT_OPTIONAL;

constexpr TOdfTable<256> MakeKeyboardObjects() {
  TOdfTable<256> t{};
  for (DWORD i = 0; i < 256; ++i) t.v[i] = {&GUID_Key, i, DIDFT_BUTTON | DIDFT_MAKEINSTANCE(i) | DIDFT_OPTIONAL, 0};
  return t;
}

constexpr TOdfTable<7> MakeMouseObjects() {
  TOdfTable<7> t{};
  t.v[0] = {&GUID_XAxis, DIMOFS_X, DIDFT_AXIS | DIDFT_ANYINSTANCE, 0};
  t.v[1] = {&GUID_YAxis, DIMOFS_Y, DIDFT_AXIS | DIDFT_ANYINSTANCE, 0};
  t.v[2] = {&GUID_ZAxis, DIMOFS_Z, DIDFT_AXIS | kAnyOptional, 0};
  for (DWORD i = 0; i < 4; ++i) t.v[3 + i] = {nullptr, DIMOFS_BUTTON0 + i, DIDFT_BUTTON | kAnyOptional, 0};
  return t;
}

// Position axes, sliders, hats and Buttons buttons of the joystick formats;
// the extended one adds the velocity, acceleration and force axes.
template <size_t N>
constexpr TOdfTable<N> MakeJoystickObjects(DWORD buttons, bool extended) {
  TOdfTable<N> t{};
  size_t n = 0;
  const GUID* axes[6] = {&GUID_XAxis, &GUID_YAxis, &GUID_ZAxis, &GUID_RxAxis, &GUID_RyAxis, &GUID_RzAxis};
  auto addAxes = [&](DWORD base, DWORD aspect) {
    for (DWORD i = 0; i < 6; ++i) t.v[n++] = {axes[i], base + i * 4, DIDFT_AXIS | kAnyOptional, aspect};
    for (DWORD i = 0; i < 2; ++i) t.v[n++] = {&GUID_Slider, base + 24 + i * 4, DIDFT_AXIS | kAnyOptional, aspect};
  };
  addAxes(0, DIDOI_ASPECTPOSITION);
  for (DWORD i = 0; i < 4; ++i) t.v[n++] = {&GUID_POV, DIJOFS_POV(i), DIDFT_POV | kAnyOptional, 0};
  for (DWORD i = 0; i < buttons; ++i) t.v[n++] = {nullptr, DIJOFS_BUTTON(i), DIDFT_BUTTON | kAnyOptional, 0};
  if (extended) {
    addAxes(176, DIDOI_ASPECTVELOCITY);
    addAxes(208, DIDOI_ASPECTACCEL);
    addAxes(240, DIDOI_ASPECTFORCE);
  }
  return t;
}

constinit TOdfTable<256> gKeyboardObjects = MakeKeyboardObjects();
constinit TOdfTable<7> gMouseObjects = MakeMouseObjects();
constinit TOdfTable<44> gJoystickObjects = MakeJoystickObjects<44>(32, false);
constinit TOdfTable<164> gJoystick2Objects = MakeJoystickObjects<164>(128, true);

}  // namespace

const DIDATAFORMAT c_dfDIKeyboard = {sizeof(DIDATAFORMAT), sizeof(DIOBJECTDATAFORMAT), DIDF_RELAXIS, 256, 256,
                                     gKeyboardObjects.v};
const DIDATAFORMAT c_dfDIMouse = {
    sizeof(DIDATAFORMAT), sizeof(DIOBJECTDATAFORMAT), DIDF_RELAXIS, sizeof(DIMOUSESTATE), 7, gMouseObjects.v};
const DIDATAFORMAT c_dfDIJoystick = {
    sizeof(DIDATAFORMAT), sizeof(DIOBJECTDATAFORMAT), DIDF_ABSAXIS, sizeof(DIJOYSTATE), 44, gJoystickObjects.v};
const DIDATAFORMAT c_dfDIJoystick2 = {
    sizeof(DIDATAFORMAT), sizeof(DIOBJECTDATAFORMAT), DIDF_ABSAXIS, sizeof(DIJOYSTATE2), 164, gJoystick2Objects.v};

// ---- Shared state ----

namespace DInputInternal {

// Never destroyed, so objects released late in the program's exit still find it.
TFailures& Failures() {
  static auto* f = new TFailures;
  return *f;
}

int& LiveCount() {
  static int n = 0;
  return n;
}

namespace {
constexpr BYTE kStickTail[8] = {0x42, 0x52, 0x41, 0x53, 0x4B, 0x4A, 0x4F, 0x59};
}

GUID StickInstanceGuid(DWORD id) {
  GUID g{id, 0x4A53, 0x11D0, {}};
  std::memcpy(g.Data4, kStickTail, 8);
  return g;
}

bool StickIdOfGuid(const GUID& guid, DWORD* id) {
  if (guid.Data2 != 0x4A53 || guid.Data3 != 0x11D0 || std::memcmp(guid.Data4, kStickTail, 8) != 0) return false;
  *id = guid.Data1;
  return true;
}

GUID StickProductGuid(const std::string& name) {
  DWORD h = 2166136261u;
  for (unsigned char c : name) h = (h ^ c) * 16777619u;
  GUID g{h, 0x5052, 0x11D0, {}};
  std::memcpy(g.Data4, kStickTail, 8);
  return g;
}

}  // namespace DInputInternal

// ---- The DirectInput object ----

namespace {

using namespace DInputInternal;

int KindIndex(TDInputDeviceKind kind) { return static_cast<int>(kind); }

class TDirectInput final : public IDirectInput7A {
 public:
  TDirectInput() { ++LiveCount(); }
  ~TDirectInput() override { --LiveCount(); }

  HRESULT QueryInterface(REFIID riid, void** ppvObject) override {
    if (!ppvObject) return E_POINTER;
    if (riid == IID_IUnknown || riid == IID_IDirectInputA || riid == IID_IDirectInput2A || riid == IID_IDirectInput7A) {
      *ppvObject = static_cast<IDirectInput7A*>(this);
      AddRef();
      return S_OK;
    }
    *ppvObject = nullptr;
    return E_NOINTERFACE;
  }
  BRASK_REFCOUNT_METHODS

  HRESULT CreateDevice(REFGUID rguid, IDirectInputDeviceA** out, IUnknown* outer) override {
    if (!out) return DIERR_INVALIDPARAM;
    *out = nullptr;
    if (outer) return DIERR_NOAGGREGATION;
    TDInputDeviceKind kind;
    std::shared_ptr<TStick> stick;
    DWORD id = 0;
    if (rguid == GUID_SysKeyboard) {
      kind = TDInputDeviceKind::Keyboard;
    } else if (rguid == GUID_SysMouse) {
      kind = TDInputDeviceKind::Mouse;
    } else if (rguid == GUID_Joystick || StickIdOfGuid(rguid, &id)) {
      kind = TDInputDeviceKind::Joystick;
      JoystickRefresh();
      if (rguid == GUID_Joystick) {
        auto list = JoystickList();
        if (!list.empty()) stick = list.front();
      } else {
        stick = JoystickById(id);
      }
      if (!stick) return DIERR_DEVICENOTREG;
    } else {
      return DIERR_DEVICENOTREG;
    }
    HRESULT injected = Failures().CreateDevice[KindIndex(kind)];
    if (FAILED(injected)) return injected;
    *out = new TDIDevice(kind, stick);
    return DI_OK;
  }

  HRESULT EnumDevices(DWORD type, LPDIENUMDEVICESCALLBACKA cb, void* ref, DWORD flags) override {
    if (!cb || (flags & ~(DIEDFL_ATTACHEDONLY | DIEDFL_FORCEFEEDBACK)) || type > DIDEVTYPE_JOYSTICK)
      return DIERR_INVALIDPARAM;
    bool ffOnly = flags & DIEDFL_FORCEFEEDBACK;
    DIDEVICEINSTANCEA info;
    if (!ffOnly && (type == 0 || type == DIDEVTYPE_MOUSE)) {
      TDIDevice::FillInstance(info, TDInputDeviceKind::Mouse, nullptr);
      if (cb(&info, ref) == DIENUM_STOP) return DI_OK;
    }
    if (!ffOnly && (type == 0 || type == DIDEVTYPE_KEYBOARD)) {
      TDIDevice::FillInstance(info, TDInputDeviceKind::Keyboard, nullptr);
      if (cb(&info, ref) == DIENUM_STOP) return DI_OK;
    }
    if (type == 0 || type == DIDEVTYPE_JOYSTICK) {
      JoystickRefresh();
      for (const auto& stick : JoystickList()) {
        if (ffOnly && !stick->HasForceFeedback()) continue;
        TDIDevice::FillInstance(info, TDInputDeviceKind::Joystick, stick.get());
        if (cb(&info, ref) == DIENUM_STOP) return DI_OK;
      }
    }
    return DI_OK;
  }

  HRESULT GetDeviceStatus(REFGUID rguid) override {
    if (rguid == GUID_SysKeyboard || rguid == GUID_SysMouse) return DI_OK;
    DWORD id;
    if (rguid == GUID_Joystick) {
      JoystickRefresh();
      return JoystickList().empty() ? DI_NOTATTACHED : DI_OK;
    }
    if (!StickIdOfGuid(rguid, &id)) return DIERR_DEVICENOTREG;
    JoystickRefresh();
    return JoystickById(id) ? DI_OK : DI_NOTATTACHED;
  }

  HRESULT FindDevice(REFGUID, const char* name, GUID* instance) override {
    if (!name || !instance) return DIERR_INVALIDPARAM;
    JoystickRefresh();
    for (const auto& stick : JoystickList()) {
      if (stick->Name() == name) {
        *instance = StickInstanceGuid(stick->Id());
        return DI_OK;
      }
    }
    return DIERR_DEVICENOTREG;
  }

  HRESULT CreateDeviceEx(REFGUID rguid, REFIID riid, void** out, IUnknown* outer) override {
    if (!out) return DIERR_INVALIDPARAM;
    *out = nullptr;
    IDirectInputDeviceA* device = nullptr;
    HRESULT hr = CreateDevice(rguid, &device, outer);
    if (FAILED(hr)) return hr;
    hr = device->QueryInterface(riid, out);
    device->Release();
    return hr;
  }

 private:
  TRefCounted FRef;
};

}  // namespace

HRESULT DirectInputCreateA(HINSTANCE, DWORD dwVersion, IDirectInputA** ppDI, IUnknown* punkOuter) {
  if (!ppDI) return DIERR_INVALIDPARAM;
  *ppDI = nullptr;
  if (punkOuter) return DIERR_NOAGGREGATION;
  if (FAILED(Failures().Create)) return Failures().Create;
  if (dwVersion > DIRECTINPUT_VERSION) return DIERR_OLDDIRECTINPUTVERSION;
  if (dwVersion < 0x0300) return DIERR_BETADIRECTINPUTVERSION;
  *ppDI = new TDirectInput();
  return DI_OK;
}

void RegisterDInputModule() {
  if (ModuleRegistry::IsRegistered("DInput.dll")) return;
  ModuleRegistry::Register("DInput.dll", {{"DirectInputCreateA", reinterpret_cast<FARPROC>(&DirectInputCreateA)}});
}

// ---- Test hooks ----

namespace DInputTest {

void SetCreateResult(HRESULT result) { Failures().Create = result; }
void SetCreateDeviceResult(TDInputDeviceKind kind, HRESULT result) {
  Failures().CreateDevice[KindIndex(kind)] = result;
}
void SetAcquireResult(TDInputDeviceKind kind, HRESULT result) { Failures().Acquire[KindIndex(kind)] = result; }
void SetSecondInterfaceMissing(TDInputDeviceKind kind, bool missing) {
  Failures().NoSecondInterface[KindIndex(kind)] = missing;
}
void RejectProperty(const GUID* property, HRESULT result) {
  Failures().Rejections.push_back({property, true, 0, result});
}
void RejectPropertyAt(const GUID* property, DWORD offset, HRESULT result) {
  Failures().Rejections.push_back({property, false, offset, result});
}
void LoseInput(TDInputDeviceKind kind) { TDIDevice::LoseAll(kind); }
int LiveObjects() { return LiveCount(); }
void Reset() { Failures() = TFailures{}; }

}  // namespace DInputTest
