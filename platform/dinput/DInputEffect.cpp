#include <algorithm>
#include <cmath>
#include <cstring>

#include "platform/dinput/DInputDevice.h"

using namespace DInputInternal;

namespace {

struct TEffectInfo {
  const GUID* Guid;
  TStickEffectKind Kind;
  DWORD Type;
  const char* Name;
};

// In the order devices list their effects.
const TEffectInfo kEffects[] = {
    {&GUID_ConstantForce, TStickEffectKind::Constant, DIEFT_CONSTANTFORCE, "Constant Force"},
    {&GUID_Square, TStickEffectKind::Square, DIEFT_PERIODIC, "Square"},
    {&GUID_Sine, TStickEffectKind::Sine, DIEFT_PERIODIC, "Sine"},
    {&GUID_Triangle, TStickEffectKind::Triangle, DIEFT_PERIODIC, "Triangle"},
    {&GUID_SawtoothUp, TStickEffectKind::SawtoothUp, DIEFT_PERIODIC, "Sawtooth Up"},
    {&GUID_SawtoothDown, TStickEffectKind::SawtoothDown, DIEFT_PERIODIC, "Sawtooth Down"},
    {&GUID_Spring, TStickEffectKind::Spring, DIEFT_CONDITION, "Spring"},
    {&GUID_Damper, TStickEffectKind::Damper, DIEFT_CONDITION, "Damper"},
    {&GUID_Inertia, TStickEffectKind::Inertia, DIEFT_CONDITION, "Inertia"},
    {&GUID_Friction, TStickEffectKind::Friction, DIEFT_CONDITION, "Friction"},
};

const TEffectInfo* SupportedEffect(const TStick* stick, const GUID& guid) {
  if (!stick || !stick->HasForceFeedback()) return nullptr;
  for (const auto& e : kEffects)
    if (*e.Guid == guid) return (stick->EffectKinds() & StickEffectBit(e.Kind)) ? &e : nullptr;
  return nullptr;
}

void FillEffectInfo(DIEFFECTINFOA& info, const TEffectInfo& e) {
  info = {};
  info.dwSize = sizeof(info);
  info.guid = *e.Guid;
  info.dwEffType = e.Type | DIEFT_STARTDELAY;
  if (e.Type == DIEFT_CONDITION)
    info.dwEffType |= DIEFT_SATURATION | DIEFT_POSNEGCOEFFICIENTS | DIEFT_POSNEGSATURATION | DIEFT_DEADBAND;
  else
    info.dwEffType |= DIEFT_FFATTACK | DIEFT_FFFADE;
  info.dwStaticParams = DIEP_ALLPARAMS;
  info.dwDynamicParams = DIEP_ALLPARAMS & ~(DIEP_AXES | DIEP_STARTDELAY);
  size_t n = std::min(sizeof(info.tszName) - 1, std::strlen(e.Name));
  std::memcpy(info.tszName, e.Name, n);
}

bool ValidEffectSize(DWORD size) {
  return size == sizeof(DIEFFECT) || size == DIEFFECT_SIZE32 || size == DIEFFECT_DX5_SIZE32;
}

template <class T>
T ClampTrunc(T v, T lo, T hi, bool& truncated) {
  if (v < lo || v > hi) {
    truncated = true;
    return std::clamp(v, lo, hi);
  }
  return v;
}

}  // namespace

// ---- Device side ----

HRESULT TDIDevice::EnumEffects(LPDIENUMEFFECTSCALLBACKA cb, void* ref, DWORD dwEffType) {
  if (!cb) return DIERR_INVALIDPARAM;
  DWORD want = DIEFT_GETTYPE(dwEffType);
  DIEFFECTINFOA info;
  for (const auto& e : kEffects) {
    if (!SupportedEffect(FStick.get(), *e.Guid)) continue;
    if (want != DIEFT_ALL && want != e.Type) continue;
    FillEffectInfo(info, e);
    if (cb(&info, ref) == DIENUM_STOP) break;
  }
  return DI_OK;
}

HRESULT TDIDevice::GetEffectInfo(DIEFFECTINFOA* pdei, REFGUID rguid) {
  if (!pdei || pdei->dwSize != sizeof(DIEFFECTINFOA)) return DIERR_INVALIDPARAM;
  const TEffectInfo* e = SupportedEffect(FStick.get(), rguid);
  if (!e) return DIERR_DEVICENOTREG;
  FillEffectInfo(*pdei, *e);
  return DI_OK;
}

HRESULT TDIDevice::CreateEffect(REFGUID rguid, const DIEFFECT* lpeff, IDirectInputEffect** ppdeff,
                                IUnknown* punkOuter) {
  if (!ppdeff) return DIERR_INVALIDPARAM;
  *ppdeff = nullptr;
  if (punkOuter) return DIERR_NOAGGREGATION;
  if (!FStick || !FStick->HasForceFeedback()) return DIERR_UNSUPPORTED;
  const TEffectInfo* info = SupportedEffect(FStick.get(), rguid);
  if (!info) return DIERR_DEVICENOTREG;
  auto* effect = new TDIEffect(this, rguid, info->Kind, info->Type);
  if (lpeff) {
    HRESULT hr = effect->SetParameters(lpeff, DIEP_ALLPARAMS);
    if (FAILED(hr)) {
      effect->Release();
      return hr;
    }
  }
  *ppdeff = effect;
  return DI_OK;
}

// ---- The effect ----

TDIEffect::TDIEffect(TDIDevice* device, const GUID& guid, TStickEffectKind kind, DWORD type)
    : FDevice(device), FGuid(guid), FKind(kind), FType(type) {
  ++LiveCount();
  FDevice->AddRef();
  FDevice->AddEffect(this);
}

TDIEffect::~TDIEffect() {
  UnloadFromStick();
  FDevice->RemoveEffect(this);
  FDevice->Release();
  --LiveCount();
}

HRESULT TDIEffect::QueryInterface(REFIID riid, void** ppvObject) {
  if (!ppvObject) return E_POINTER;
  if (riid == IID_IUnknown || riid == IID_IDirectInputEffect) {
    *ppvObject = static_cast<IDirectInputEffect*>(this);
    AddRef();
    return S_OK;
  }
  *ppvObject = nullptr;
  return E_NOINTERFACE;
}

HRESULT TDIEffect::GetEffectGuid(GUID* pguid) {
  if (!pguid) return DIERR_INVALIDPARAM;
  *pguid = FGuid;
  return DI_OK;
}

bool TDIEffect::Complete() const {
  return (FSet & DIEP_AXES) && (FSet & DIEP_TYPESPECIFICPARAMS) && (FStickAxes.size() == 1 || (FSet & DIEP_DIRECTION));
}

TStickEffect TDIEffect::ToStick() const {
  TStickEffect s;
  s.Kind = FKind;
  s.Duration = FDuration;
  s.SamplePeriod = FSamplePeriod;
  s.Gain = FGain;
  s.TriggerButton = FStickTrigger < 0 ? STICK_INFINITE : static_cast<DWORD>(FStickTrigger);
  s.TriggerRepeatInterval = FTriggerRepeatInterval;
  s.StartDelay = FStartDelay;
  for (int a : FStickAxes) s.Axes.push_back(static_cast<DWORD>(a));
  // Directions reach the stick as cartesian vectors.
  if (FDirectionFlags == DIEFF_CARTESIAN || FStickAxes.size() < 2) {
    s.Directions = FDirections;
  } else {
    constexpr double kPi = 3.14159265358979323846;
    double a = (FDirections.empty() ? 0 : FDirections[0]) / 100.0 * kPi / 180.0;
    double x, y;
    if (FDirectionFlags == DIEFF_POLAR) {  // clockwise from north (negative Y)
      x = std::sin(a);
      y = -std::cos(a);
    } else {  // spherical: from positive X toward positive Y
      x = std::cos(a);
      y = std::sin(a);
    }
    s.Directions = {static_cast<LONG>(std::lround(x * 10000)), static_cast<LONG>(std::lround(y * 10000))};
    for (size_t i = 2; i < FStickAxes.size(); ++i) s.Directions.push_back(0);
  }
  s.HasEnvelope = FHasEnvelope;
  if (FHasEnvelope) {
    s.AttackLevel = FEnvelope.dwAttackLevel;
    s.AttackTime = FEnvelope.dwAttackTime;
    s.FadeLevel = FEnvelope.dwFadeLevel;
    s.FadeTime = FEnvelope.dwFadeTime;
  }
  if (FType == DIEFT_CONSTANTFORCE) {
    s.Magnitude = FConstant.lMagnitude;
  } else if (FType == DIEFT_PERIODIC) {
    s.Magnitude = static_cast<LONG>(FPeriodic.dwMagnitude);
    s.Offset = FPeriodic.lOffset;
    s.Phase = FPeriodic.dwPhase;
    s.Period = FPeriodic.dwPeriod;
  } else {
    for (const auto& c : FConditions)
      s.Conditions.push_back({c.lOffset, c.lPositiveCoefficient, c.lNegativeCoefficient, c.dwPositiveSaturation,
                              c.dwNegativeSaturation, c.lDeadBand});
  }
  return s;
}

HRESULT TDIEffect::SetParameters(const DIEFFECT* peff, DWORD dwFlags) {
  if (!peff || !ValidEffectSize(peff->dwSize)) return DIERR_INVALIDPARAM;
  DWORD params = dwFlags & DIEP_ALLPARAMS;
  if ((params & DIEP_STARTDELAY) && peff->dwSize == DIEFFECT_DX5_SIZE32) return DIERR_INVALIDPARAM;
  bool truncated = false;
  bool byOffset = peff->dwFlags & DIEFF_OBJECTOFFSETS;
  if ((params & (DIEP_AXES | DIEP_TRIGGERBUTTON)) && !(peff->dwFlags & (DIEFF_OBJECTIDS | DIEFF_OBJECTOFFSETS)))
    return DIERR_INVALIDPARAM;

  // Check everything first, so that a rejected call changes nothing.
  std::vector<DWORD> axes = FAxes;
  std::vector<int> stickAxes = FStickAxes;
  if (params & DIEP_AXES) {
    if (peff->cAxes == 0 || !peff->rgdwAxes) return DIERR_INVALIDPARAM;
    axes.assign(peff->rgdwAxes, peff->rgdwAxes + peff->cAxes);
    stickAxes.clear();
    for (DWORD a : axes) {
      const TDIObject* o = FDevice->ResolveObject(a, byOffset);
      if (!o || !(o->TypeId & DIDFT_FFACTUATOR)) return DIERR_INVALIDPARAM;
      stickAxes.push_back(o->Index);
    }
  }
  int trigger = FStickTrigger;
  if (params & DIEP_TRIGGERBUTTON) {
    trigger = -1;
    if (peff->dwTriggerButton != DIEB_NOTRIGGER) {
      const TDIObject* o = FDevice->ResolveObject(peff->dwTriggerButton, byOffset);
      if (!o || !(o->TypeId & DIDFT_FFEFFECTTRIGGER)) return DIERR_INVALIDPARAM;
      trigger = o->Index;
    }
  }
  std::vector<LONG> directions = FDirections;
  DWORD directionFlags = FDirectionFlags;
  if (params & DIEP_DIRECTION) {
    DWORD coord = peff->dwFlags & (DIEFF_CARTESIAN | DIEFF_POLAR | DIEFF_SPHERICAL);
    if ((coord != DIEFF_CARTESIAN && coord != DIEFF_POLAR && coord != DIEFF_SPHERICAL) || !peff->rglDirection ||
        peff->cAxes == 0 || (!axes.empty() && peff->cAxes != axes.size()) || (coord == DIEFF_POLAR && peff->cAxes != 2))
      return DIERR_INVALIDPARAM;
    directions.assign(peff->rglDirection, peff->rglDirection + peff->cAxes);
    directionFlags = coord;
  }
  bool hasEnvelope = FHasEnvelope;
  DIENVELOPE envelope = FEnvelope;
  if (params & DIEP_ENVELOPE) {
    hasEnvelope = peff->lpEnvelope != nullptr;
    if (hasEnvelope) {
      if (peff->lpEnvelope->dwSize != sizeof(DIENVELOPE)) return DIERR_INVALIDPARAM;
      envelope = *peff->lpEnvelope;
      envelope.dwAttackLevel = ClampTrunc<DWORD>(envelope.dwAttackLevel, 0, 10000, truncated);
      envelope.dwFadeLevel = ClampTrunc<DWORD>(envelope.dwFadeLevel, 0, 10000, truncated);
    }
  }
  DICONSTANTFORCE constant = FConstant;
  DIPERIODIC periodic = FPeriodic;
  std::vector<DICONDITION> conditions = FConditions;
  if (params & DIEP_TYPESPECIFICPARAMS) {
    if (!peff->lpvTypeSpecificParams) return DIERR_INVALIDPARAM;
    DWORD cb = peff->cbTypeSpecificParams;
    if (FType == DIEFT_CONSTANTFORCE) {
      if (cb != sizeof(DICONSTANTFORCE)) return DIERR_INVALIDPARAM;
      std::memcpy(&constant, peff->lpvTypeSpecificParams, sizeof(constant));
      constant.lMagnitude = ClampTrunc<LONG>(constant.lMagnitude, -10000, 10000, truncated);
    } else if (FType == DIEFT_PERIODIC) {
      if (cb != sizeof(DIPERIODIC)) return DIERR_INVALIDPARAM;
      std::memcpy(&periodic, peff->lpvTypeSpecificParams, sizeof(periodic));
      periodic.dwMagnitude = ClampTrunc<DWORD>(periodic.dwMagnitude, 0, 10000, truncated);
      periodic.lOffset = ClampTrunc<LONG>(periodic.lOffset, -10000, 10000, truncated);
      periodic.dwPhase %= 36000;
    } else {
      size_t n = cb / sizeof(DICONDITION);
      if (cb % sizeof(DICONDITION) != 0 || n == 0 || (n != 1 && n != std::max<size_t>(axes.size(), 1)))
        return DIERR_INVALIDPARAM;
      conditions.resize(n);
      std::memcpy(conditions.data(), peff->lpvTypeSpecificParams, cb);
      for (auto& c : conditions) {
        c.lOffset = ClampTrunc<LONG>(c.lOffset, -10000, 10000, truncated);
        c.lPositiveCoefficient = ClampTrunc<LONG>(c.lPositiveCoefficient, -10000, 10000, truncated);
        c.lNegativeCoefficient = ClampTrunc<LONG>(c.lNegativeCoefficient, -10000, 10000, truncated);
        c.dwPositiveSaturation = ClampTrunc<DWORD>(c.dwPositiveSaturation, 0, 10000, truncated);
        c.dwNegativeSaturation = ClampTrunc<DWORD>(c.dwNegativeSaturation, 0, 10000, truncated);
        c.lDeadBand = ClampTrunc<LONG>(c.lDeadBand, 0, 10000, truncated);
      }
    }
  }

  // Apply.
  if (params & DIEP_AXES) {
    FAxes = axes;
    FStickAxes = stickAxes;
  }
  if (params & (DIEP_AXES | DIEP_TRIGGERBUTTON)) FFlags = (FFlags & ~3u) | (peff->dwFlags & 3u);
  if (params & DIEP_TRIGGERBUTTON) {
    FTriggerButton = peff->dwTriggerButton;
    FStickTrigger = trigger;
  }
  if (params & DIEP_DIRECTION) {
    FDirections = directions;
    FDirectionFlags = directionFlags;
  }
  if (params & DIEP_ENVELOPE) {
    FHasEnvelope = hasEnvelope;
    FEnvelope = envelope;
  }
  if (params & DIEP_TYPESPECIFICPARAMS) {
    FConstant = constant;
    FPeriodic = periodic;
    FConditions = conditions;
  }
  if (params & DIEP_DURATION) FDuration = peff->dwDuration;
  if (params & DIEP_SAMPLEPERIOD) FSamplePeriod = peff->dwSamplePeriod;
  if (params & DIEP_GAIN) FGain = ClampTrunc<DWORD>(peff->dwGain, 0, 10000, truncated);
  if (params & DIEP_TRIGGERREPEATINTERVAL) FTriggerRepeatInterval = peff->dwTriggerRepeatInterval;
  if (params & DIEP_STARTDELAY) FStartDelay = peff->dwStartDelay;
  FSet |= params;

  HRESULT ok = truncated ? DI_TRUNCATED : DI_OK;
  if (dwFlags & DIEP_NODOWNLOAD) return ok;
  if (FDevice->CheckAcquired() != DI_OK || !FDevice->Exclusive() || !Complete()) return DI_DOWNLOADSKIPPED;
  HRESULT hr = DownloadNow();
  if (FAILED(hr)) return hr;
  if (dwFlags & DIEP_START) {
    if (!FDevice->Stick()->RunEffect(FHandle, 1)) return DIERR_GENERIC;
    return truncated ? DI_TRUNCATEDANDRESTARTED : DI_EFFECTRESTARTED;
  }
  return ok;
}

HRESULT TDIEffect::GetParameters(DIEFFECT* peff, DWORD dwFlags) {
  if (!peff || !ValidEffectSize(peff->dwSize)) return DIERR_INVALIDPARAM;
  if ((dwFlags & DIEP_STARTDELAY) && peff->dwSize == DIEFFECT_DX5_SIZE32) return DIERR_INVALIDPARAM;
  if (dwFlags & DIEP_DURATION) peff->dwDuration = FDuration;
  if (dwFlags & DIEP_SAMPLEPERIOD) peff->dwSamplePeriod = FSamplePeriod;
  if (dwFlags & DIEP_GAIN) peff->dwGain = FGain;
  if (dwFlags & DIEP_TRIGGERBUTTON) peff->dwTriggerButton = FTriggerButton;
  if (dwFlags & DIEP_TRIGGERREPEATINTERVAL) peff->dwTriggerRepeatInterval = FTriggerRepeatInterval;
  if (dwFlags & DIEP_STARTDELAY) peff->dwStartDelay = FStartDelay;
  bool more = false;
  if (dwFlags & (DIEP_AXES | DIEP_DIRECTION)) {
    DWORD n = static_cast<DWORD>(std::max(FAxes.size(), FDirections.size()));
    if (peff->cAxes < n) {
      more = true;
    } else {
      if ((dwFlags & DIEP_AXES) && peff->rgdwAxes) std::copy(FAxes.begin(), FAxes.end(), peff->rgdwAxes);
      if ((dwFlags & DIEP_DIRECTION) && peff->rglDirection) {
        std::copy(FDirections.begin(), FDirections.end(), peff->rglDirection);
        peff->dwFlags = (peff->dwFlags & ~0x70u) | FDirectionFlags;
      }
    }
    peff->cAxes = n;
  }
  if ((dwFlags & DIEP_ENVELOPE) && peff->lpEnvelope) {
    if (FHasEnvelope)
      *peff->lpEnvelope = FEnvelope;
    else
      peff->lpEnvelope = nullptr;
  }
  if (dwFlags & DIEP_TYPESPECIFICPARAMS) {
    DWORD need = FType == DIEFT_CONSTANTFORCE ? sizeof(DICONSTANTFORCE)
                 : FType == DIEFT_PERIODIC    ? sizeof(DIPERIODIC)
                                              : static_cast<DWORD>(FConditions.size() * sizeof(DICONDITION));
    if (peff->cbTypeSpecificParams < need || !peff->lpvTypeSpecificParams) {
      more = true;
    } else if (FType == DIEFT_CONSTANTFORCE) {
      std::memcpy(peff->lpvTypeSpecificParams, &FConstant, need);
    } else if (FType == DIEFT_PERIODIC) {
      std::memcpy(peff->lpvTypeSpecificParams, &FPeriodic, need);
    } else if (need) {
      std::memcpy(peff->lpvTypeSpecificParams, FConditions.data(), need);
    }
    peff->cbTypeSpecificParams = need;
  }
  return more ? DIERR_MOREDATA : DI_OK;
}

HRESULT TDIEffect::CheckExclusive() {
  HRESULT hr = FDevice->CheckAcquired();
  if (FAILED(hr)) return hr;
  return FDevice->Exclusive() ? DI_OK : DIERR_NOTEXCLUSIVEACQUIRED;
}

HRESULT TDIEffect::DownloadNow() {
  TStick& stick = *FDevice->Stick();
  TStickEffect params = ToStick();
  if (FHandle >= 0) return stick.UpdateEffect(FHandle, params) ? DI_OK : DIERR_GENERIC;
  FHandle = stick.CreateEffect(params);
  return FHandle >= 0 ? DI_OK : DIERR_DEVICEFULL;
}

HRESULT TDIEffect::Download() {
  HRESULT hr = CheckExclusive();
  if (FAILED(hr)) return hr;
  if (!Complete()) return DIERR_INCOMPLETEEFFECT;
  if (FHandle >= 0) return DI_NOEFFECT;
  return DownloadNow();
}

HRESULT TDIEffect::Unload() {
  UnloadFromStick();
  return DI_OK;
}

void TDIEffect::UnloadFromStick() {
  if (FHandle < 0) return;
  FDevice->Stick()->StopEffect(FHandle);
  FDevice->Stick()->DestroyEffect(FHandle);
  FHandle = -1;
}

void TDIEffect::StopOnStick() {
  if (FHandle >= 0) FDevice->Stick()->StopEffect(FHandle);
}

HRESULT TDIEffect::Start(DWORD dwIterations, DWORD dwFlags) {
  if (dwFlags & ~(DIES_SOLO | DIES_NODOWNLOAD)) return DIERR_INVALIDPARAM;
  HRESULT hr = CheckExclusive();
  if (FAILED(hr)) return hr;
  if (!Complete()) return DIERR_INCOMPLETEEFFECT;
  if (FHandle < 0) {
    if (dwFlags & DIES_NODOWNLOAD) return DIERR_NOTDOWNLOADED;
    hr = DownloadNow();
    if (FAILED(hr)) return hr;
  }
  if (dwFlags & DIES_SOLO) FDevice->StopOtherEffects(this);
  return FDevice->Stick()->RunEffect(FHandle, dwIterations) ? DI_OK : DIERR_GENERIC;
}

HRESULT TDIEffect::Stop() {
  HRESULT hr = CheckExclusive();
  if (FAILED(hr)) return hr;
  StopOnStick();
  return DI_OK;
}

HRESULT TDIEffect::GetEffectStatus(DWORD* pdwFlags) {
  if (!pdwFlags) return DIERR_INVALIDPARAM;
  *pdwFlags = 0;
  HRESULT hr = CheckExclusive();
  if (FAILED(hr)) return hr;
  if (FHandle >= 0 && FDevice->Stick()->EffectPlaying(FHandle)) *pdwFlags = DIEGES_PLAYING;
  return DI_OK;
}
