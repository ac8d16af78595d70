#include "platform/win/Joystick.h"

#include <algorithm>
#include <cstring>
#include <map>

#include "platform/win/JoystickSdl.h"
#include "platform/win/Time.h"

DWORD StickHatToHundredths(BYTE hat) {
  bool up = hat & STICK_HAT_UP, down = hat & STICK_HAT_DOWN;
  bool left = hat & STICK_HAT_LEFT, right = hat & STICK_HAT_RIGHT;
  if (up && down) up = down = false;
  if (left && right) left = right = false;
  if (up) return right ? 4500 : left ? 31500 : 0;
  if (down) return right ? 13500 : left ? 22500 : 18000;
  if (right) return 9000;
  if (left) return 27000;
  return 0xFFFFFFFF;
}

void TStickEffectTimer::Start(const TStickEffect&, DWORD iterations) {
  FRunning = true;
  FStart = ClockMicroseconds();
  FIterations = iterations;
}

bool TStickEffectTimer::Playing(const TStickEffect& effect) const {
  if (!FRunning) return false;
  if (effect.Duration == STICK_INFINITE || FIterations == STICK_INFINITE) return true;
  std::int64_t end = FStart + static_cast<std::int64_t>(effect.StartDelay) +
                     static_cast<std::int64_t>(effect.Duration) * static_cast<std::int64_t>(FIterations);
  return ClockMicroseconds() < end;
}

namespace {

class TVirtualStick final : public TStick {
 public:
  TVirtualStick(DWORD id, const TVirtualJoystickConfig& config)
      : FId(id),
        FConfig(config),
        FAxes(static_cast<size_t>(std::max(config.Axes, 0)), 0),
        FButtons(static_cast<size_t>(std::max(config.Buttons, 0)), false),
        FHats(static_cast<size_t>(std::max(config.Hats, 0)), 0) {}

  DWORD Id() const override { return FId; }
  std::string Name() const override { return FConfig.Name; }
  bool Attached() const override { return FAttached; }
  int AxisCount() const override { return static_cast<int>(FAxes.size()); }
  int ButtonCount() const override { return static_cast<int>(FButtons.size()); }
  int HatCount() const override { return static_cast<int>(FHats.size()); }
  LONG Axis(int i) const override { return In(i, FAxes) ? FAxes[static_cast<size_t>(i)] : 0; }
  bool Button(int i) const override { return In(i, FButtons) && FButtons[static_cast<size_t>(i)]; }
  BYTE Hat(int i) const override { return In(i, FHats) ? FHats[static_cast<size_t>(i)] : 0; }

  bool HasForceFeedback() const override { return FConfig.ForceFeedback; }
  DWORD EffectKinds() const override { return FConfig.ForceFeedback ? FConfig.EffectKinds : 0; }
  bool CanAutoCenter() const override { return FConfig.ForceFeedback && FConfig.AutoCenter; }

  bool SetAutoCenter(bool on) override {
    if (!CanAutoCenter() || !FAttached) return false;
    TVirtualEffectEvent e;
    e.Op = TVirtualEffectEvent::AutoCenter;
    e.On = on;
    FEvents.push_back(e);
    return true;
  }

  int CreateEffect(const TStickEffect& effect) override {
    if (!FConfig.ForceFeedback || !FAttached || FEffectsFail) return -1;
    if (!(EffectKinds() & StickEffectBit(effect.Kind))) return -1;
    int handle = FNextHandle++;
    FEffects[handle].Effect = effect;
    Record(TVirtualEffectEvent::Create, handle, &effect, 0);
    return handle;
  }

  bool UpdateEffect(int handle, const TStickEffect& effect) override {
    auto it = FEffects.find(handle);
    if (it == FEffects.end() || !FAttached || effect.Kind != it->second.Effect.Kind) return false;
    it->second.Effect = effect;
    Record(TVirtualEffectEvent::Update, handle, &effect, 0);
    return true;
  }

  bool RunEffect(int handle, DWORD iterations) override {
    auto it = FEffects.find(handle);
    if (it == FEffects.end() || !FAttached) return false;
    it->second.Timer.Start(it->second.Effect, iterations);
    Record(TVirtualEffectEvent::Run, handle, nullptr, iterations);
    return true;
  }

  bool StopEffect(int handle) override {
    auto it = FEffects.find(handle);
    if (it == FEffects.end()) return false;
    it->second.Timer.Stop();
    Record(TVirtualEffectEvent::Stop, handle, nullptr, 0);
    return true;
  }

  bool EffectPlaying(int handle) override {
    auto it = FEffects.find(handle);
    return it != FEffects.end() && FAttached && it->second.Timer.Playing(it->second.Effect);
  }

  void DestroyEffect(int handle) override {
    if (FEffects.erase(handle)) Record(TVirtualEffectEvent::Destroy, handle, nullptr, 0);
  }

  void Detach() {
    FAttached = false;
    for (auto& [h, slot] : FEffects) slot.Timer.Stop();
  }
  void SetAxis(int i, LONG v) {
    if (In(i, FAxes)) FAxes[static_cast<size_t>(i)] = std::clamp<LONG>(v, -32768, 32767);
  }
  void SetButton(int i, bool down) {
    if (In(i, FButtons)) FButtons[static_cast<size_t>(i)] = down;
  }
  void SetHat(int i, BYTE dirs) {
    if (In(i, FHats)) FHats[static_cast<size_t>(i)] = dirs & 0x0F;
  }
  void SetEffectsFail(bool fail) { FEffectsFail = fail; }
  const std::vector<TVirtualEffectEvent>& Events() const { return FEvents; }
  void ClearEvents() { FEvents.clear(); }
  int EffectCount() const { return static_cast<int>(FEffects.size()); }

 private:
  struct TSlot {
    TStickEffect Effect;
    TStickEffectTimer Timer;
  };

  template <class V>
  static bool In(int i, const V& v) {
    return i >= 0 && static_cast<size_t>(i) < v.size();
  }

  void Record(TVirtualEffectEvent::TOp op, int handle, const TStickEffect* effect, DWORD iterations) {
    TVirtualEffectEvent e;
    e.Op = op;
    e.Handle = handle;
    if (effect) e.Effect = *effect;
    e.Iterations = iterations;
    FEvents.push_back(e);
  }

  DWORD FId;
  TVirtualJoystickConfig FConfig;
  std::vector<LONG> FAxes;
  std::vector<bool> FButtons;
  std::vector<BYTE> FHats;
  bool FAttached = true;
  bool FEffectsFail = false;
  std::map<int, TSlot> FEffects;
  int FNextHandle = 0;
  std::vector<TVirtualEffectEvent> FEvents;
};

struct TSticks {
  std::vector<std::shared_ptr<TVirtualStick>> Virtual;
  std::vector<std::shared_ptr<TStick>> List;
  DWORD NextVirtualId = 1;
  bool SystemEnabled = true;
};

// Never destroyed: sticks may be used until the program's very end.
TSticks& Sticks() {
  static auto* sticks = new TSticks;
  return *sticks;
}

std::shared_ptr<TVirtualStick> FindVirtual(DWORD id) {
  for (auto& s : Sticks().Virtual)
    if (s->Id() == id) return s;
  return nullptr;
}

void RebuildList() {
  auto& st = Sticks();
  st.List.clear();
  for (auto& v : st.Virtual) st.List.push_back(v);
  if (st.SystemEnabled) SdlSticksRefresh(st.List);
}

}  // namespace

void JoystickRefresh() { RebuildList(); }

std::vector<std::shared_ptr<TStick>> JoystickList() { return Sticks().List; }

std::shared_ptr<TStick> JoystickById(DWORD id) {
  for (auto& s : Sticks().List)
    if (s->Id() == id) return s;
  return nullptr;
}

DWORD VirtualJoystickAdd(const TVirtualJoystickConfig& config) {
  auto& st = Sticks();
  // Virtual ids stay below the range SDL's sticks use.
  auto stick = std::make_shared<TVirtualStick>(st.NextVirtualId++, config);
  st.Virtual.push_back(stick);
  RebuildList();
  return stick->Id();
}

void VirtualJoystickRemove(DWORD id) {
  auto& v = Sticks().Virtual;
  for (auto it = v.begin(); it != v.end(); ++it) {
    if ((*it)->Id() == id) {
      (*it)->Detach();
      v.erase(it);
      break;
    }
  }
  RebuildList();
}

void VirtualJoystickRemoveAll() {
  for (auto& s : Sticks().Virtual) s->Detach();
  Sticks().Virtual.clear();
  RebuildList();
}

void VirtualJoystickSetAxis(DWORD id, int axis, LONG value) {
  if (auto s = FindVirtual(id)) s->SetAxis(axis, value);
}

void VirtualJoystickSetButton(DWORD id, int button, bool down) {
  if (auto s = FindVirtual(id)) s->SetButton(button, down);
}

void VirtualJoystickSetHat(DWORD id, int hat, BYTE directions) {
  if (auto s = FindVirtual(id)) s->SetHat(hat, directions);
}

void VirtualJoystickSetEffectsFail(DWORD id, bool fail) {
  if (auto s = FindVirtual(id)) s->SetEffectsFail(fail);
}

std::vector<TVirtualEffectEvent> VirtualJoystickEvents(DWORD id) {
  auto s = FindVirtual(id);
  return s ? s->Events() : std::vector<TVirtualEffectEvent>{};
}

void VirtualJoystickClearEvents(DWORD id) {
  if (auto s = FindVirtual(id)) s->ClearEvents();
}

int VirtualJoystickEffectCount(DWORD id) {
  auto s = FindVirtual(id);
  return s ? s->EffectCount() : 0;
}

void JoystickSetSystemSticksEnabled(bool enabled) {
  Sticks().SystemEnabled = enabled;
  RebuildList();
}

bool JoystickSystemStarted() { return SdlSticksStarted(); }

// ---- Multimedia joystick functions ----

namespace {

constexpr UINT kJoySlots = 16;

std::shared_ptr<TStick> StickInSlot(UINT id) {
  JoystickRefresh();
  auto list = JoystickList();
  if (id >= list.size()) return nullptr;
  return list[id];
}

DWORD AxisPosition(const TStick& s, int axis) {
  if (axis >= s.AxisCount()) return 32767;
  return static_cast<DWORD>(std::clamp<LONG>(s.Axis(axis), -32768, 32767) + 32768);
}

void CopyName(char* dst, size_t cap, const std::string& src) {
  size_t n = std::min(cap - 1, src.size());
  std::memcpy(dst, src.data(), n);
  dst[n] = 0;
}

}  // namespace

UINT joyGetNumDevs() { return kJoySlots; }

UINT joyGetDevCapsA(UINT uJoyID, JOYCAPSA* pjc, UINT cbjc) {
  if (!pjc || cbjc < sizeof(JOYCAPSA)) return MMSYSERR_INVALPARAM;
  if (uJoyID >= kJoySlots) return JOYERR_PARMS;
  auto s = StickInSlot(uJoyID);
  if (!s) return JOYERR_PARMS;
  std::memset(pjc, 0, sizeof(JOYCAPSA));
  CopyName(pjc->szPname, sizeof(pjc->szPname), s->Name());
  int axes = std::min(s->AxisCount(), 6);
  UINT* ranges[6][2] = {{&pjc->wXmin, &pjc->wXmax}, {&pjc->wYmin, &pjc->wYmax}, {&pjc->wZmin, &pjc->wZmax},
                        {&pjc->wRmin, &pjc->wRmax}, {&pjc->wUmin, &pjc->wUmax}, {&pjc->wVmin, &pjc->wVmax}};
  for (int a = 0; a < 6; ++a) {
    *ranges[a][0] = 0;
    *ranges[a][1] = 65535;
  }
  pjc->wNumButtons = static_cast<UINT>(std::min(s->ButtonCount(), 32));
  pjc->wPeriodMin = 10;
  pjc->wPeriodMax = 1000;
  if (axes > 2) pjc->wCaps |= JOYCAPS_HASZ;
  if (axes > 3) pjc->wCaps |= JOYCAPS_HASR;
  if (axes > 4) pjc->wCaps |= JOYCAPS_HASU;
  if (axes > 5) pjc->wCaps |= JOYCAPS_HASV;
  if (s->HatCount() > 0) pjc->wCaps |= JOYCAPS_HASPOV | JOYCAPS_POV4DIR | JOYCAPS_POVCTS;
  pjc->wMaxAxes = 6;
  pjc->wNumAxes = static_cast<UINT>(axes);
  pjc->wMaxButtons = 32;
  return JOYERR_NOERROR;
}

UINT joyGetPosEx(UINT uJoyID, JOYINFOEX* pji) {
  if (!pji || pji->dwSize != sizeof(JOYINFOEX)) return MMSYSERR_INVALPARAM;
  if (uJoyID >= kJoySlots) return JOYERR_PARMS;
  auto s = StickInSlot(uJoyID);
  if (!s || !s->Attached()) return JOYERR_UNPLUGGED;
  DWORD flags = pji->dwFlags;
  DWORD* axes[6] = {&pji->dwXpos, &pji->dwYpos, &pji->dwZpos, &pji->dwRpos, &pji->dwUpos, &pji->dwVpos};
  for (int a = 0; a < 6; ++a)
    if (flags & (JOY_RETURNX << a)) *axes[a] = AxisPosition(*s, a);
  if (flags & JOY_RETURNBUTTONS) {
    pji->dwButtons = 0;
    pji->dwButtonNumber = 0;
    for (int b = 0; b < s->ButtonCount(); ++b) {
      if (!s->Button(b)) continue;
      ++pji->dwButtonNumber;
      if (b < 32) pji->dwButtons |= 1u << b;
    }
  }
  if (flags & (JOY_RETURNPOV | JOY_RETURNPOVCTS)) {
    DWORD pov = s->HatCount() > 0 ? StickHatToHundredths(s->Hat(0)) : 0xFFFFFFFF;
    if (pov == 0xFFFFFFFF) {
      pov = JOY_POVCENTERED;
    } else if (!(flags & JOY_RETURNPOVCTS)) {
      // The four-direction form reports a diagonal by its forward/backward part.
      if (pov == 4500 || pov == 31500) pov = JOY_POVFORWARD;
      if (pov == 13500 || pov == 22500) pov = JOY_POVBACKWARD;
    }
    pji->dwPOV = pov;
  }
  return JOYERR_NOERROR;
}
