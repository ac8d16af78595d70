#include "platform/dinput/DInputDevice.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "platform/win/KeyState.h"
#include "platform/win/Window.h"

using namespace DInputInternal;

namespace {

// Never destroyed, so devices released late in the program's exit still find it.
std::vector<TDIDevice*>& LiveDevices() {
  static auto* devices = new std::vector<TDIDevice*>;
  return *devices;
}

constexpr size_t kMaxAxes = 8, kMaxHats = 4, kMaxButtons = 128;

// The scan codes the system keyboard has keys for.
constexpr BYTE kKeys[] = {0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08, 0x09, 0x0A, 0x0B, 0x0C, 0x0D, 0x0E, 0x0F,
                          0x10, 0x11, 0x12, 0x13, 0x14, 0x15, 0x16, 0x17, 0x18, 0x19, 0x1A, 0x1B, 0x1C, 0x1D, 0x1E,
                          0x1F, 0x20, 0x21, 0x22, 0x23, 0x24, 0x25, 0x26, 0x27, 0x28, 0x29, 0x2A, 0x2B, 0x2C, 0x2D,
                          0x2E, 0x2F, 0x30, 0x31, 0x32, 0x33, 0x34, 0x35, 0x36, 0x37, 0x38, 0x39, 0x3A, 0x3B, 0x3C,
                          0x3D, 0x3E, 0x3F, 0x40, 0x41, 0x42, 0x43, 0x44, 0x45, 0x46, 0x47, 0x48, 0x49, 0x4A, 0x4B,
                          0x4C, 0x4D, 0x4E, 0x4F, 0x50, 0x51, 0x52, 0x53, 0x56, 0x57, 0x58, 0x9C, 0x9D, 0xB5, 0xB7,
                          0xB8, 0xC5, 0xC7, 0xC8, 0xC9, 0xCB, 0xCD, 0xCF, 0xD0, 0xD1, 0xD2, 0xD3, 0xDB, 0xDC, 0xDD};

void CopyName(char* dst, size_t cap, const std::string& src) {
  size_t n = std::min(cap - 1, src.size());
  std::memcpy(dst, src.data(), n);
  dst[n] = 0;
}

bool OurWindowHasFocus() { return GetForegroundWindow() != nullptr; }

// An absolute axis: the stick's -32768..32767 through dead zone and
// saturation (0..10000 of the half travel) onto Min..Max.
LONG ScaleAxis(LONG raw, LONG min, LONG max, DWORD deadZone, DWORD saturation) {
  std::int64_t r = std::clamp<LONG>(raw, -32767, 32767);
  std::int64_t mag = r < 0 ? -r : r;
  std::int64_t dz = static_cast<std::int64_t>(deadZone) * 32767, sat = static_cast<std::int64_t>(saturation) * 32767;
  std::int64_t m = mag * 10000;
  // The fraction of the way from the centre: num / den.
  std::int64_t num, den;
  if (m <= dz || sat <= dz) {
    num = 0;
    den = 1;
  } else if (m >= sat) {
    num = den = 1;
  } else {
    num = m - dz;
    den = sat - dz;
  }
  std::int64_t span = static_cast<std::int64_t>(max) - min;
  std::int64_t signedNum = r < 0 ? -num : num;
  // min + (1 + t) * span / 2, rounded to nearest.
  std::int64_t v = static_cast<std::int64_t>(min) + ((den + signedNum) * span + den) / (2 * den);
  return static_cast<LONG>(v);
}

}  // namespace

TDIDevice::TDIDevice(TDInputDeviceKind kind, std::shared_ptr<TStick> stick) : FKind(kind), FStick(std::move(stick)) {
  ++LiveCount();
  LiveDevices().push_back(this);
  BuildObjects();
}

TDIDevice::~TDIDevice() {
  auto& live = LiveDevices();
  live.erase(std::remove(live.begin(), live.end(), this), live.end());
  --LiveCount();
}

void TDIDevice::BuildObjects() {
  char name[64];
  switch (FKind) {
    case TDInputDeviceKind::Keyboard:
      for (BYTE k : kKeys) {
        TDIObject o;
        o.Type = &GUID_Key;
        o.NativeOfs = k;
        o.TypeId = DIDFT_PSHBUTTON | DIDFT_MAKEINSTANCE(k);
        std::snprintf(name, sizeof(name), "Key %u", static_cast<unsigned>(k));
        o.Name = name;
        o.Source = TDIObject::Key;
        o.Index = k;
        FObjects.push_back(o);
      }
      break;
    case TDInputDeviceKind::Mouse: {
      const GUID* axes[3] = {&GUID_XAxis, &GUID_YAxis, &GUID_ZAxis};
      const char* names[3] = {"X Axis", "Y Axis", "Wheel"};
      for (int i = 0; i < 3; ++i) {
        TDIObject o;
        o.Type = axes[i];
        o.NativeOfs = static_cast<DWORD>(i * 4);
        o.TypeId = DIDFT_RELAXIS | DIDFT_MAKEINSTANCE(static_cast<DWORD>(i));
        o.Name = names[i];
        o.Source = TDIObject::MouseAxis;
        o.Index = i;
        FObjects.push_back(o);
      }
      for (int i = 0; i < 4; ++i) {
        TDIObject o;
        o.Type = &GUID_Button;
        o.NativeOfs = DIMOFS_BUTTON0 + static_cast<DWORD>(i);
        o.TypeId = DIDFT_PSHBUTTON | DIDFT_MAKEINSTANCE(static_cast<DWORD>(i));
        std::snprintf(name, sizeof(name), "Button %d", i);
        o.Name = name;
        o.Source = TDIObject::MouseButton;
        o.Index = i;
        FObjects.push_back(o);
      }
      break;
    }
    case TDInputDeviceKind::Joystick: {
      const GUID* axes[kMaxAxes] = {&GUID_XAxis,  &GUID_YAxis,  &GUID_ZAxis,  &GUID_RxAxis,
                                    &GUID_RyAxis, &GUID_RzAxis, &GUID_Slider, &GUID_Slider};
      const char* names[kMaxAxes] = {"X Axis",     "Y Axis",     "Z Axis", "X Rotation",
                                     "Y Rotation", "Z Rotation", "Slider", "Slider 2"};
      bool ff = FStick->HasForceFeedback();
      size_t nAxes = std::min<size_t>(static_cast<size_t>(FStick->AxisCount()), kMaxAxes);
      for (size_t i = 0; i < nAxes; ++i) {
        TDIObject o;
        o.Type = axes[i];
        o.NativeOfs = static_cast<DWORD>(i < 6 ? i * 4 : 24 + (i - 6) * 4);
        o.TypeId = DIDFT_ABSAXIS | DIDFT_MAKEINSTANCE(static_cast<DWORD>(i));
        if (ff && i < 2) {
          o.TypeId |= DIDFT_FFACTUATOR;
          o.Flags |= DIDOI_FFACTUATOR;
        }
        o.Flags |= DIDOI_POLLED | DIDOI_ASPECTPOSITION;
        o.Name = names[i];
        o.Source = TDIObject::StickAxis;
        o.Index = static_cast<int>(i);
        FObjects.push_back(o);
      }
      size_t nButtons = std::min<size_t>(static_cast<size_t>(FStick->ButtonCount()), kMaxButtons);
      for (size_t i = 0; i < nButtons; ++i) {
        TDIObject o;
        o.Type = &GUID_Button;
        o.NativeOfs = DIJOFS_BUTTON(static_cast<DWORD>(i));
        o.TypeId = DIDFT_PSHBUTTON | DIDFT_MAKEINSTANCE(static_cast<DWORD>(i));
        if (ff) {
          o.TypeId |= DIDFT_FFEFFECTTRIGGER;
          o.Flags |= DIDOI_FFEFFECTTRIGGER;
        }
        o.Flags |= DIDOI_POLLED;
        std::snprintf(name, sizeof(name), "Button %zu", i);
        o.Name = name;
        o.Source = TDIObject::StickButton;
        o.Index = static_cast<int>(i);
        FObjects.push_back(o);
      }
      size_t nHats = std::min<size_t>(static_cast<size_t>(FStick->HatCount()), kMaxHats);
      for (size_t i = 0; i < nHats; ++i) {
        TDIObject o;
        o.Type = &GUID_POV;
        o.NativeOfs = DIJOFS_POV(static_cast<DWORD>(i));
        o.TypeId = DIDFT_POV | DIDFT_MAKEINSTANCE(static_cast<DWORD>(i));
        o.Flags |= DIDOI_POLLED;
        std::snprintf(name, sizeof(name), "Hat %zu", i);
        o.Name = name;
        o.Source = TDIObject::StickHat;
        o.Index = static_cast<int>(i);
        FObjects.push_back(o);
      }
      FAxes.assign(nAxes, 0);
      FButtons.assign(nButtons, false);
      FHats.assign(nHats, 0);
      break;
    }
  }
}

HRESULT TDIDevice::QueryInterface(REFIID riid, void** ppvObject) {
  if (!ppvObject) return E_POINTER;
  *ppvObject = nullptr;
  if (riid == IID_IUnknown || riid == IID_IDirectInputDeviceA ||
      (riid == IID_IDirectInputDevice2A && !Failures().NoSecondInterface[static_cast<int>(FKind)])) {
    *ppvObject = static_cast<IDirectInputDevice2A*>(this);
    AddRef();
    return S_OK;
  }
  return E_NOINTERFACE;
}

void TDIDevice::FillInstance(DIDEVICEINSTANCEA& info, TDInputDeviceKind kind, const TStick* stick) {
  info = {};
  info.dwSize = sizeof(info);
  switch (kind) {
    case TDInputDeviceKind::Keyboard:
      info.guidInstance = info.guidProduct = GUID_SysKeyboard;
      info.dwDevType = DIDEVTYPE_KEYBOARD | (DIDEVTYPEKEYBOARD_PCENH << 8);
      CopyName(info.tszInstanceName, sizeof(info.tszInstanceName), "Keyboard");
      CopyName(info.tszProductName, sizeof(info.tszProductName), "Keyboard");
      info.wUsagePage = 1;
      info.wUsage = 6;
      break;
    case TDInputDeviceKind::Mouse:
      info.guidInstance = info.guidProduct = GUID_SysMouse;
      info.dwDevType = DIDEVTYPE_MOUSE | (DIDEVTYPEMOUSE_TRADITIONAL << 8);
      CopyName(info.tszInstanceName, sizeof(info.tszInstanceName), "Mouse");
      CopyName(info.tszProductName, sizeof(info.tszProductName), "Mouse");
      info.wUsagePage = 1;
      info.wUsage = 2;
      break;
    case TDInputDeviceKind::Joystick:
      info.guidInstance = StickInstanceGuid(stick->Id());
      info.guidProduct = StickProductGuid(stick->Name());
      info.dwDevType = DIDEVTYPE_JOYSTICK | (DIDEVTYPEJOYSTICK_TRADITIONAL << 8) | DIDEVTYPE_HID;
      CopyName(info.tszInstanceName, sizeof(info.tszInstanceName), stick->Name());
      CopyName(info.tszProductName, sizeof(info.tszProductName), stick->Name());
      if (stick->HasForceFeedback()) info.guidFFDriver = info.guidProduct;
      info.wUsagePage = 1;
      info.wUsage = 4;
      break;
  }
}

HRESULT TDIDevice::GetDeviceInfo(DIDEVICEINSTANCEA* pdidi) {
  if (!pdidi || (pdidi->dwSize != sizeof(DIDEVICEINSTANCEA) && pdidi->dwSize != DIDEVICEINSTANCE_DX3A_SIZE))
    return DIERR_INVALIDPARAM;
  DWORD size = pdidi->dwSize;
  DIDEVICEINSTANCEA info;
  FillInstance(info, FKind, FStick.get());
  info.dwSize = size;
  std::memcpy(pdidi, &info, size);
  return DI_OK;
}

HRESULT TDIDevice::GetCapabilities(DIDEVCAPS* caps) {
  if (!caps || (caps->dwSize != sizeof(DIDEVCAPS) && caps->dwSize != DIDEVCAPS_DX3_SIZE)) return DIERR_INVALIDPARAM;
  DIDEVCAPS c{};
  c.dwSize = caps->dwSize;
  DIDEVICEINSTANCEA info;
  FillInstance(info, FKind, FStick.get());
  c.dwDevType = info.dwDevType;
  for (const auto& o : FObjects) {
    if (o.IsAxis())
      ++c.dwAxes;
    else if (o.IsPov())
      ++c.dwPOVs;
    else
      ++c.dwButtons;
  }
  c.dwFlags = DIDC_ATTACHED;
  if (FStick) {
    if (!FStick->Attached()) c.dwFlags = 0;
    c.dwFlags |= DIDC_POLLEDDEVICE | DIDC_POLLEDDATAFORMAT;
    if (FStick->HasForceFeedback()) {
      c.dwFlags |= DIDC_FORCEFEEDBACK | DIDC_FFATTACK | DIDC_FFFADE | DIDC_SATURATION | DIDC_POSNEGCOEFFICIENTS |
                   DIDC_POSNEGSATURATION | DIDC_DEADBAND | DIDC_STARTDELAY;
      c.dwFFSamplePeriod = 1000;
      c.dwFFMinTimeResolution = 1000;
      c.dwFFDriverVersion = 1;
    }
  }
  std::memcpy(caps, &c, caps->dwSize);
  return DI_OK;
}

DWORD TDIDevice::ReportedOffset(size_t object) const {
  if (!FHasFormat) return FObjects[object].NativeOfs;
  for (const auto& m : FMapped)
    if (m.Object == object) return m.Offset;
  return 0xFFFFFFFF;
}

void TDIDevice::FillObjectInstance(DIDEVICEOBJECTINSTANCEA& info, size_t object, DWORD size) const {
  const TDIObject& o = FObjects[object];
  info = {};
  info.dwSize = size;
  info.guidType = *o.Type;
  info.dwOfs = ReportedOffset(object);
  info.dwType = o.TypeId;
  info.dwFlags = o.Flags;
  CopyName(info.tszName, sizeof(info.tszName), o.Name);
  if (o.TypeId & DIDFT_FFACTUATOR) {
    info.dwFFMaxForce = 10000;
    info.dwFFForceResolution = 1;
  }
  info.wUsagePage = 1;
}

HRESULT TDIDevice::EnumObjects(LPDIENUMDEVICEOBJECTSCALLBACKA cb, void* ref, DWORD flags) {
  if (!cb) return DIERR_INVALIDPARAM;
  DWORD typeMask = DIDFT_GETTYPE(flags) & (DIDFT_AXIS | DIDFT_BUTTON | DIDFT_POV);
  DIDEVICEOBJECTINSTANCEA info;
  for (size_t i = 0; i < FObjects.size(); ++i) {
    const TDIObject& o = FObjects[i];
    if (typeMask && !(DIDFT_GETTYPE(o.TypeId) & typeMask)) continue;
    if ((flags & DIDFT_FFACTUATOR) && !(o.TypeId & DIDFT_FFACTUATOR)) continue;
    if ((flags & DIDFT_FFEFFECTTRIGGER) && !(o.TypeId & DIDFT_FFEFFECTTRIGGER)) continue;
    FillObjectInstance(info, i, sizeof(info));
    if (cb(&info, ref) == DIENUM_STOP) break;
  }
  return DI_OK;
}

size_t TDIDevice::FindObjectIndex(DWORD obj, DWORD how) const {
  for (size_t i = 0; i < FObjects.size(); ++i) {
    if (how == DIPH_BYOFFSET) {
      DWORD ofs = ReportedOffset(i);
      if (ofs != 0xFFFFFFFF && ofs == obj) return i;
    }
    if (how == DIPH_BYID && (FObjects[i].TypeId & 0x00FFFFFF) == (obj & 0x00FFFFFF)) return i;
  }
  return FObjects.size();
}

TDIObject* TDIDevice::FindObject(DWORD obj, DWORD how) {
  size_t i = FindObjectIndex(obj, how);
  return i < FObjects.size() ? &FObjects[i] : nullptr;
}

const TDIObject* TDIDevice::ResolveObject(DWORD value, bool byOffset) const {
  size_t i = FindObjectIndex(value, byOffset ? DIPH_BYOFFSET : DIPH_BYID);
  return i < FObjects.size() ? &FObjects[i] : nullptr;
}

HRESULT TDIDevice::GetObjectInfo(DIDEVICEOBJECTINSTANCEA* pdidoi, DWORD dwObj, DWORD dwHow) {
  if (!pdidoi ||
      (pdidoi->dwSize != sizeof(DIDEVICEOBJECTINSTANCEA) && pdidoi->dwSize != DIDEVICEOBJECTINSTANCE_DX3A_SIZE))
    return DIERR_INVALIDPARAM;
  if (dwHow != DIPH_BYOFFSET && dwHow != DIPH_BYID) return DIERR_INVALIDPARAM;
  TDIObject* o = FindObject(dwObj, dwHow);
  if (!o) return DIERR_OBJECTNOTFOUND;
  DWORD size = pdidoi->dwSize;
  DIDEVICEOBJECTINSTANCEA info;
  FillObjectInstance(info, static_cast<size_t>(o - FObjects.data()), size);
  std::memcpy(pdidoi, &info, size);
  return DI_OK;
}

HRESULT TDIDevice::SetDataFormat(const DIDATAFORMAT* lpdf) {
  if (!lpdf) return DIERR_INVALIDPARAM;
  ForgetDestroyedWindow();
  if (FAcquired) return DIERR_ACQUIRED;
  if ((lpdf->dwSize != sizeof(DIDATAFORMAT) && lpdf->dwSize != DIDATAFORMAT_SIZE32) ||
      (lpdf->dwObjSize != sizeof(DIOBJECTDATAFORMAT) && lpdf->dwObjSize != DIOBJECTDATAFORMAT_SIZE32) ||
      lpdf->dwDataSize % 4 != 0 || (lpdf->dwNumObjs && !lpdf->rgodf) ||
      (lpdf->dwFlags & ~(DIDF_ABSAXIS | DIDF_RELAXIS)) || lpdf->dwFlags == (DIDF_ABSAXIS | DIDF_RELAXIS))
    return DIERR_INVALIDPARAM;
  std::vector<TMapped> mapped;
  std::vector<bool> used(FObjects.size(), false);
  for (DWORD e = 0; e < lpdf->dwNumObjs; ++e) {
    const DIOBJECTDATAFORMAT& f = lpdf->rgodf[e];
    DWORD aspect = f.dwFlags & DIDOI_ASPECTMASK;
    DWORD ftype = DIDFT_GETTYPE(f.dwType) & (DIDFT_AXIS | DIDFT_BUTTON | DIDFT_POV);
    DWORD inst = DIDFT_GETINSTANCE(f.dwType);
    size_t found = FObjects.size();
    for (size_t i = 0; i < FObjects.size() && found == FObjects.size(); ++i) {
      const TDIObject& o = FObjects[i];
      if (used[i]) continue;
      if (aspect && aspect != DIDOI_ASPECTPOSITION) continue;
      if (f.pguid && !(*f.pguid == *o.Type)) continue;
      if (ftype && !(DIDFT_GETTYPE(o.TypeId) & ftype)) continue;
      if (inst != 0xFFFF && inst != DIDFT_GETINSTANCE(o.TypeId)) continue;
      if ((f.dwType & DIDFT_FFACTUATOR) && !(o.TypeId & DIDFT_FFACTUATOR)) continue;
      if ((f.dwType & DIDFT_FFEFFECTTRIGGER) && !(o.TypeId & DIDFT_FFEFFECTTRIGGER)) continue;
      found = i;
    }
    if (found == FObjects.size()) {
      if (f.dwType & DIDFT_OPTIONAL) continue;
      return DIERR_INVALIDPARAM;
    }
    const TDIObject& o = FObjects[found];
    DWORD width = (o.IsAxis() || o.IsPov()) ? 4 : 1;
    if (static_cast<std::uint64_t>(f.dwOfs) + width > lpdf->dwDataSize || (width == 4 && f.dwOfs % 4 != 0))
      return DIERR_INVALIDPARAM;
    used[found] = true;
    mapped.push_back({found, f.dwOfs});
  }
  FMapped = std::move(mapped);
  FDataSize = lpdf->dwDataSize;
  FHasFormat = true;
  if (lpdf->dwFlags & DIDF_RELAXIS)
    FRelative = true;
  else if (lpdf->dwFlags & DIDF_ABSAXIS)
    FRelative = false;
  else
    FRelative = FKind == TDInputDeviceKind::Mouse;
  return DI_OK;
}

HRESULT TDIDevice::SetCooperativeLevel(HWND hwnd, DWORD flags) {
  DWORD excl = flags & (DISCL_EXCLUSIVE | DISCL_NONEXCLUSIVE), fg = flags & (DISCL_FOREGROUND | DISCL_BACKGROUND);
  if ((flags & ~0x1Fu) || (excl != DISCL_EXCLUSIVE && excl != DISCL_NONEXCLUSIVE) ||
      (fg != DISCL_FOREGROUND && fg != DISCL_BACKGROUND))
    return DIERR_INVALIDPARAM;
  if ((flags & (DISCL_EXCLUSIVE | DISCL_FOREGROUND)) && !hwnd) return DIERR_INVALIDPARAM;
  if (hwnd && WindowBackend() && !IsWindow(hwnd)) return DIERR_INVALIDPARAM;
  if (FKind != TDInputDeviceKind::Joystick && excl == DISCL_EXCLUSIVE && fg == DISCL_BACKGROUND)
    return DIERR_UNSUPPORTED;
  ForgetDestroyedWindow();
  if (FAcquired) return DIERR_ACQUIRED;
  FWindow = hwnd;
  FCoop = flags;
  return DI_OK;
}

bool TDIDevice::WindowGone() const { return FWindow && WindowBackend() && !IsWindow(FWindow); }

void TDIDevice::ForgetDestroyedWindow() {
  if (FAcquired && WindowGone()) DropAcquisition();
}

bool TDIDevice::LostNow() const {
  if (!FAcquired) return false;
  if (FLostInjected || WindowGone()) return true;
  if ((FCoop & DISCL_FOREGROUND) && GetForegroundWindow() != FWindow) return true;
  return FStick && !FStick->Attached();
}

void TDIDevice::DropAcquisition() {
  FAcquired = false;
  FLostInjected = false;
  for (TDIEffect* e : FEffects) e->UnloadFromStick();
}

HRESULT TDIDevice::CheckAcquired() {
  ForgetDestroyedWindow();
  if (!FAcquired) return DIERR_NOTACQUIRED;
  if (LostNow()) {
    DropAcquisition();
    return DIERR_INPUTLOST;
  }
  return DI_OK;
}

void TDIDevice::LoseAll(TDInputDeviceKind kind) {
  for (TDIDevice* d : LiveDevices())
    if (d->FKind == kind && d->FAcquired) d->FLostInjected = true;
}

HRESULT TDIDevice::Acquire() {
  if (!FHasFormat) return DIERR_INVALIDPARAM;
  ForgetDestroyedWindow();
  if (FAcquired) {
    if (!LostNow()) return DI_NOEFFECT;
    DropAcquisition();
  }
  HRESULT injected = Failures().Acquire[static_cast<int>(FKind)];
  if (FAILED(injected)) return injected;
  if (FStick && !FStick->Attached()) return DIERR_INPUTLOST;
  if ((FCoop & DISCL_FOREGROUND) && GetForegroundWindow() != FWindow) return DIERR_OTHERAPPHASPRIO;
  if (FCoop & DISCL_EXCLUSIVE) {
    for (TDIDevice* d : LiveDevices()) {
      if (d == this || d->FKind != FKind || !(d->FCoop & DISCL_EXCLUSIVE) || !d->Holding()) continue;
      if (FKind != TDInputDeviceKind::Joystick || d->FStick->Id() == FStick->Id()) return DIERR_OTHERAPPHASPRIO;
    }
  }
  FAcquired = true;
  FLostInjected = false;
  if (FKind == TDInputDeviceKind::Mouse) MouseStateTake(nullptr, nullptr, nullptr);
  if (FStick) {
    TakeSnapshot();
    for (auto& o : FObjects)
      if (o.Source == TDIObject::StickAxis) o.LastValue = AxisValue(o);
    return DI_POLLEDDEVICE;
  }
  return DI_OK;
}

HRESULT TDIDevice::Unacquire() {
  ForgetDestroyedWindow();
  if (!FAcquired) return DI_NOEFFECT;
  DropAcquisition();
  return DI_OK;
}

void TDIDevice::TakeSnapshot() {
  for (size_t i = 0; i < FAxes.size(); ++i) FAxes[i] = FStick->Axis(static_cast<int>(i));
  for (size_t i = 0; i < FButtons.size(); ++i) FButtons[i] = FStick->Button(static_cast<int>(i));
  for (size_t i = 0; i < FHats.size(); ++i) FHats[i] = FStick->Hat(static_cast<int>(i));
}

HRESULT TDIDevice::Poll() {
  HRESULT hr = CheckAcquired();
  if (FAILED(hr)) return hr;
  if (!FStick) return DI_NOEFFECT;
  JoystickRefresh();
  if (!FStick->Attached()) {
    DropAcquisition();
    return DIERR_INPUTLOST;
  }
  TakeSnapshot();
  return DI_OK;
}

LONG TDIDevice::AxisValue(TDIObject& o) {
  return ScaleAxis(FAxes[static_cast<size_t>(o.Index)], o.Min, o.Max, o.DeadZone, o.Saturation);
}

HRESULT TDIDevice::GetDeviceState(DWORD cbData, void* lpvData) {
  if (!lpvData) return DIERR_INVALIDPARAM;
  HRESULT hr = CheckAcquired();
  if (FAILED(hr)) return hr;
  if (cbData != FDataSize) return DIERR_INVALIDPARAM;
  auto* out = static_cast<BYTE*>(lpvData);
  std::memset(out, 0, cbData);
  bool focus = OurWindowHasFocus();
  LONG motion[3] = {0, 0, 0};
  BYTE keys[256] = {};
  if (FKind == TDInputDeviceKind::Mouse) {
    MouseStateTake(&motion[0], &motion[1], &motion[2]);
    if (!focus) motion[0] = motion[1] = motion[2] = 0;
    for (int i = 0; i < 3; ++i) FMouseSum[i] += motion[i];
    GetKeyboardState(keys);
  }
  for (const TMapped& m : FMapped) {
    TDIObject& o = FObjects[m.Object];
    BYTE* at = out + m.Offset;
    LONG l = 0;
    DWORD d = 0;
    BYTE b = 0;
    switch (o.Source) {
      case TDIObject::Key: b = focus && KeyStateScanDown(DIKToScanCode(static_cast<BYTE>(o.Index))) ? 0x80 : 0; break;
      case TDIObject::MouseAxis: l = FRelative ? motion[o.Index] : FMouseSum[o.Index]; break;
      case TDIObject::MouseButton: {
        constexpr UINT vks[4] = {VK_LBUTTON, VK_RBUTTON, VK_MBUTTON, 0x05};
        b = focus && (keys[vks[o.Index]] & 0x80) ? 0x80 : 0;
        break;
      }
      case TDIObject::StickAxis: {
        LONG v = AxisValue(o);
        l = FRelative ? v - o.LastValue : v;
        o.LastValue = v;
        break;
      }
      case TDIObject::StickButton: b = FButtons[static_cast<size_t>(o.Index)] ? 0x80 : 0; break;
      case TDIObject::StickHat: d = StickHatToHundredths(FHats[static_cast<size_t>(o.Index)]); break;
    }
    if (o.IsPov())
      std::memcpy(at, &d, 4);
    else if (o.IsAxis())
      std::memcpy(at, &l, 4);
    else
      *at = b;
  }
  return DI_OK;
}

HRESULT TDIDevice::SetProperty(REFGUIDPROP prop, const DIPROPHEADER* ph) {
  if (!ph || ph->dwHeaderSize != sizeof(DIPROPHEADER) || ph->dwHow > DIPH_BYID) return DIERR_INVALIDPARAM;
  bool isRange = prop == DIPROP_RANGE;
  bool isDword =
      prop == DIPROP_DEADZONE || prop == DIPROP_SATURATION || prop == DIPROP_AUTOCENTER || prop == DIPROP_BUFFERSIZE;
  if (!isRange && !isDword) return DIERR_UNSUPPORTED;
  if (ph->dwSize != (isRange ? sizeof(DIPROPRANGE) : sizeof(DIPROPDWORD))) return DIERR_INVALIDPARAM;
  for (const auto& r : Failures().Rejections)
    if (r.Property == prop && (r.AnyObject || (ph->dwHow == DIPH_BYOFFSET && ph->dwObj == r.Offset))) return r.Result;
  DWORD value = isDword ? reinterpret_cast<const DIPROPDWORD*>(ph)->dwData : 0;

  if (prop == DIPROP_AUTOCENTER) {
    if (ph->dwHow != DIPH_DEVICE || value > DIPROPAUTOCENTER_ON) return DIERR_INVALIDPARAM;
    if (!FStick || !FStick->CanAutoCenter()) return DIERR_UNSUPPORTED;
    if (!FStick->SetAutoCenter(value == DIPROPAUTOCENTER_ON)) return DIERR_GENERIC;
    FAutoCenter = value == DIPROPAUTOCENTER_ON;
    return DI_OK;
  }
  ForgetDestroyedWindow();
  if (FAcquired) return DIERR_ACQUIRED;
  if (prop == DIPROP_BUFFERSIZE) {
    if (ph->dwHow != DIPH_DEVICE) return DIERR_INVALIDPARAM;
    FBufferSize = value;
    return DI_OK;
  }
  // Range, dead zone and saturation belong to absolute axes.
  std::vector<TDIObject*> targets;
  if (ph->dwHow == DIPH_DEVICE) {
    for (auto& o : FObjects)
      if (o.Source == TDIObject::StickAxis) targets.push_back(&o);
  } else {
    TDIObject* o = FindObject(ph->dwObj, ph->dwHow);
    if (!o) return DIERR_OBJECTNOTFOUND;
    if (o->Source != TDIObject::StickAxis) return DIERR_UNSUPPORTED;
    targets.push_back(o);
  }
  if (targets.empty()) return DIERR_UNSUPPORTED;
  if (isRange) {
    const auto* r = reinterpret_cast<const DIPROPRANGE*>(ph);
    if (r->lMin > r->lMax) return DIERR_INVALIDPARAM;
    for (TDIObject* o : targets) {
      o->Min = r->lMin;
      o->Max = r->lMax;
    }
    return DI_OK;
  }
  if (value > 10000) return DIERR_INVALIDPARAM;
  for (TDIObject* o : targets) (prop == DIPROP_DEADZONE ? o->DeadZone : o->Saturation) = value;
  return DI_OK;
}

HRESULT TDIDevice::GetProperty(REFGUIDPROP prop, DIPROPHEADER* ph) {
  if (!ph || ph->dwHeaderSize != sizeof(DIPROPHEADER) || ph->dwHow > DIPH_BYID) return DIERR_INVALIDPARAM;
  bool isRange = prop == DIPROP_RANGE;
  bool isDword =
      prop == DIPROP_DEADZONE || prop == DIPROP_SATURATION || prop == DIPROP_AUTOCENTER || prop == DIPROP_BUFFERSIZE;
  if (!isRange && !isDword) return DIERR_UNSUPPORTED;
  if (ph->dwSize != (isRange ? sizeof(DIPROPRANGE) : sizeof(DIPROPDWORD))) return DIERR_INVALIDPARAM;
  auto* dw = reinterpret_cast<DIPROPDWORD*>(ph);
  if (prop == DIPROP_AUTOCENTER || prop == DIPROP_BUFFERSIZE) {
    if (ph->dwHow != DIPH_DEVICE) return DIERR_INVALIDPARAM;
    if (prop == DIPROP_AUTOCENTER && (!FStick || !FStick->CanAutoCenter())) return DIERR_UNSUPPORTED;
    dw->dwData = prop == DIPROP_AUTOCENTER ? (FAutoCenter ? 1u : 0u) : FBufferSize;
    return DI_OK;
  }
  if (ph->dwHow == DIPH_DEVICE) return DIERR_INVALIDPARAM;
  TDIObject* o = FindObject(ph->dwObj, ph->dwHow);
  if (!o) return DIERR_OBJECTNOTFOUND;
  if (o->Source != TDIObject::StickAxis) return DIERR_UNSUPPORTED;
  if (isRange) {
    auto* r = reinterpret_cast<DIPROPRANGE*>(ph);
    r->lMin = o->Min;
    r->lMax = o->Max;
  } else {
    dw->dwData = prop == DIPROP_DEADZONE ? o->DeadZone : o->Saturation;
  }
  return DI_OK;
}

void TDIDevice::RemoveEffect(TDIEffect* effect) {
  FEffects.erase(std::remove(FEffects.begin(), FEffects.end(), effect), FEffects.end());
}

void TDIDevice::StopOtherEffects(TDIEffect* keep) {
  for (TDIEffect* e : FEffects)
    if (e != keep) e->StopOnStick();
}
