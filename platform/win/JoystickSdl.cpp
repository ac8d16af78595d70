#include <SDL.h>

#include <algorithm>
#include <map>

#include "platform/win/JoystickSdl.h"

namespace {

// SDL's sticks get ids above the virtual ones.
constexpr DWORD kSdlIdBase = 0x10000;

bool gTried = false;
bool gJoystickUp = false;
bool gHapticUp = false;

Sint16 Level16(LONG v) { return static_cast<Sint16>(std::clamp<LONG>(v, -10000, 10000) * 32767 / 10000); }
Uint16 ULevel16(DWORD v) { return static_cast<Uint16>(std::min<DWORD>(v, 10000) * 32767 / 10000); }
Uint16 USat16(DWORD v) { return static_cast<Uint16>(std::min<DWORD>(v, 10000) * 65535 / 10000); }
Uint16 Ms16(DWORD us) { return static_cast<Uint16>(std::min<DWORD>(us / 1000, 0xFFFF)); }
Uint32 Length(DWORD us) { return us == STICK_INFINITE ? SDL_HAPTIC_INFINITY : us / 1000; }
LONG Gained(LONG v, DWORD gain) {
  return static_cast<LONG>(static_cast<std::int64_t>(v) * std::min<DWORD>(gain, 10000) / 10000);
}

Uint32 SdlKind(TStickEffectKind kind) {
  switch (kind) {
    case TStickEffectKind::Constant: return SDL_HAPTIC_CONSTANT;
    case TStickEffectKind::Sine: return SDL_HAPTIC_SINE;
    case TStickEffectKind::Triangle: return SDL_HAPTIC_TRIANGLE;
    case TStickEffectKind::SawtoothUp: return SDL_HAPTIC_SAWTOOTHUP;
    case TStickEffectKind::SawtoothDown: return SDL_HAPTIC_SAWTOOTHDOWN;
    case TStickEffectKind::Spring: return SDL_HAPTIC_SPRING;
    case TStickEffectKind::Damper: return SDL_HAPTIC_DAMPER;
    case TStickEffectKind::Inertia: return SDL_HAPTIC_INERTIA;
    case TStickEffectKind::Friction: return SDL_HAPTIC_FRICTION;
    case TStickEffectKind::Square: return 0;  // SDL2 has no square wave
  }
  return 0;
}

void SetDirection(SDL_HapticDirection& dir, const TStickEffect& e) {
  dir.type = SDL_HAPTIC_CARTESIAN;
  for (size_t i = 0; i < 3; ++i) dir.dir[i] = i < e.Directions.size() ? e.Directions[i] : 0;
}

// An effect for SDL. SDL has no gain per effect, so the gain scales the
// magnitudes and levels.
SDL_HapticEffect ToSdl(const TStickEffect& e) {
  SDL_HapticEffect h;
  SDL_memset(&h, 0, sizeof(h));
  Uint32 kind = SdlKind(e.Kind);
  h.type = static_cast<Uint16>(kind);
  Uint16 button = e.TriggerButton == STICK_INFINITE ? 0 : static_cast<Uint16>(e.TriggerButton + 1);
  Uint16 attackLen = e.HasEnvelope ? Ms16(e.AttackTime) : 0, fadeLen = e.HasEnvelope ? Ms16(e.FadeTime) : 0;
  Uint16 attackLvl = e.HasEnvelope ? ULevel16(static_cast<DWORD>(Gained(static_cast<LONG>(e.AttackLevel), e.Gain))) : 0;
  Uint16 fadeLvl = e.HasEnvelope ? ULevel16(static_cast<DWORD>(Gained(static_cast<LONG>(e.FadeLevel), e.Gain))) : 0;
  switch (e.Kind) {
    case TStickEffectKind::Constant:
      SetDirection(h.constant.direction, e);
      h.constant.length = Length(e.Duration);
      h.constant.delay = Ms16(e.StartDelay);
      h.constant.button = button;
      h.constant.interval = Ms16(e.TriggerRepeatInterval);
      h.constant.level = Level16(Gained(e.Magnitude, e.Gain));
      h.constant.attack_length = attackLen;
      h.constant.attack_level = attackLvl;
      h.constant.fade_length = fadeLen;
      h.constant.fade_level = fadeLvl;
      break;
    case TStickEffectKind::Sine:
    case TStickEffectKind::Triangle:
    case TStickEffectKind::SawtoothUp:
    case TStickEffectKind::SawtoothDown:
    case TStickEffectKind::Square:
      SetDirection(h.periodic.direction, e);
      h.periodic.length = Length(e.Duration);
      h.periodic.delay = Ms16(e.StartDelay);
      h.periodic.button = button;
      h.periodic.interval = Ms16(e.TriggerRepeatInterval);
      h.periodic.period = std::max<Uint16>(1, Ms16(e.Period));
      h.periodic.magnitude = Level16(Gained(e.Magnitude, e.Gain));
      h.periodic.offset = Level16(Gained(e.Offset, e.Gain));
      h.periodic.phase = static_cast<Uint16>(e.Phase % 36000);
      h.periodic.attack_length = attackLen;
      h.periodic.attack_level = attackLvl;
      h.periodic.fade_length = fadeLen;
      h.periodic.fade_level = fadeLvl;
      break;
    default:
      h.condition.length = Length(e.Duration);
      h.condition.delay = Ms16(e.StartDelay);
      h.condition.button = button;
      h.condition.interval = Ms16(e.TriggerRepeatInterval);
      for (size_t i = 0; i < 3 && i < e.Conditions.size(); ++i) {
        // A condition's axis is given by the effect's axis list.
        size_t axis = i < e.Axes.size() ? std::min<size_t>(e.Axes[i], 2) : i;
        const TStickCondition& c = e.Conditions[i];
        h.condition.right_sat[axis] = USat16(c.PositiveSaturation);
        h.condition.left_sat[axis] = USat16(c.NegativeSaturation);
        h.condition.right_coeff[axis] = Level16(Gained(c.PositiveCoefficient, e.Gain));
        h.condition.left_coeff[axis] = Level16(Gained(c.NegativeCoefficient, e.Gain));
        h.condition.deadband[axis] = USat16(static_cast<DWORD>(std::max<LONG>(c.DeadBand, 0)));
        h.condition.center[axis] = Level16(c.Offset);
      }
      break;
  }
  return h;
}

class TSdlStick final : public TStick {
 public:
  TSdlStick(SDL_Joystick* joy, SDL_JoystickID instance) : FJoy(joy), FId(kSdlIdBase + static_cast<DWORD>(instance)) {
    const char* n = SDL_JoystickName(joy);
    FName = n ? n : "Joystick";
  }
  ~TSdlStick() override {
    if (FHaptic) SDL_HapticClose(FHaptic);
    SDL_JoystickClose(FJoy);
  }

  DWORD Id() const override { return FId; }
  std::string Name() const override { return FName; }
  bool Attached() const override { return SDL_JoystickGetAttached(FJoy) == SDL_TRUE; }
  int AxisCount() const override { return std::max(SDL_JoystickNumAxes(FJoy), 0); }
  int ButtonCount() const override { return std::max(SDL_JoystickNumButtons(FJoy), 0); }
  int HatCount() const override { return std::max(SDL_JoystickNumHats(FJoy), 0); }
  LONG Axis(int i) const override { return SDL_JoystickGetAxis(FJoy, i); }
  bool Button(int i) const override { return SDL_JoystickGetButton(FJoy, i) != 0; }
  BYTE Hat(int i) const override {
    Uint8 h = SDL_JoystickGetHat(FJoy, i);
    return static_cast<BYTE>(((h & SDL_HAT_UP) ? STICK_HAT_UP : 0) | ((h & SDL_HAT_RIGHT) ? STICK_HAT_RIGHT : 0) |
                             ((h & SDL_HAT_DOWN) ? STICK_HAT_DOWN : 0) | ((h & SDL_HAT_LEFT) ? STICK_HAT_LEFT : 0));
  }

  bool HasForceFeedback() const override { return Haptic() != nullptr; }

  DWORD EffectKinds() const override {
    SDL_Haptic* h = Haptic();
    if (!h) return 0;
    unsigned int q = SDL_HapticQuery(h);
    DWORD kinds = 0;
    for (int k = 0; k <= static_cast<int>(TStickEffectKind::Friction); ++k) {
      Uint32 bit = SdlKind(static_cast<TStickEffectKind>(k));
      if (bit && (q & bit)) kinds |= 1u << k;
    }
    return kinds;
  }

  bool CanAutoCenter() const override {
    SDL_Haptic* h = Haptic();
    return h && (SDL_HapticQuery(h) & SDL_HAPTIC_AUTOCENTER);
  }

  bool SetAutoCenter(bool on) override {
    return CanAutoCenter() && SDL_HapticSetAutocenter(Haptic(), on ? 100 : 0) == 0;
  }

  int CreateEffect(const TStickEffect& effect) override {
    SDL_Haptic* h = Haptic();
    if (!h || !(EffectKinds() & StickEffectBit(effect.Kind))) return -1;
    SDL_HapticEffect e = ToSdl(effect);
    int handle = SDL_HapticNewEffect(h, &e);
    if (handle >= 0) FEffects[handle].Effect = effect;
    return handle;
  }

  bool UpdateEffect(int handle, const TStickEffect& effect) override {
    auto it = FEffects.find(handle);
    if (it == FEffects.end()) return false;
    SDL_HapticEffect e = ToSdl(effect);
    if (SDL_HapticUpdateEffect(Haptic(), handle, &e) != 0) return false;
    it->second.Effect = effect;
    return true;
  }

  bool RunEffect(int handle, DWORD iterations) override {
    auto it = FEffects.find(handle);
    if (it == FEffects.end()) return false;
    Uint32 n = iterations == STICK_INFINITE ? SDL_HAPTIC_INFINITY : iterations;
    if (SDL_HapticRunEffect(Haptic(), handle, n) != 0) return false;
    it->second.Timer.Start(it->second.Effect, iterations);
    return true;
  }

  bool StopEffect(int handle) override {
    auto it = FEffects.find(handle);
    if (it == FEffects.end()) return false;
    it->second.Timer.Stop();
    return SDL_HapticStopEffect(Haptic(), handle) == 0;
  }

  bool EffectPlaying(int handle) override {
    auto it = FEffects.find(handle);
    if (it == FEffects.end()) return false;
    SDL_Haptic* h = Haptic();
    if (h && (SDL_HapticQuery(h) & SDL_HAPTIC_STATUS)) {
      int s = SDL_HapticGetEffectStatus(h, handle);
      if (s >= 0) return s == 1;
    }
    return it->second.Timer.Playing(it->second.Effect);
  }

  void DestroyEffect(int handle) override {
    if (FEffects.erase(handle)) SDL_HapticDestroyEffect(Haptic(), handle);
  }

 private:
  struct TSlot {
    TStickEffect Effect;
    TStickEffectTimer Timer;
  };

  // The haptic device opens on first use.
  SDL_Haptic* Haptic() const {
    if (!FHapticTried) {
      FHapticTried = true;
      if (gHapticUp && SDL_JoystickIsHaptic(FJoy) == 1) FHaptic = SDL_HapticOpenFromJoystick(FJoy);
    }
    return FHaptic;
  }

  SDL_Joystick* FJoy;
  DWORD FId;
  std::string FName;
  mutable SDL_Haptic* FHaptic = nullptr;
  mutable bool FHapticTried = false;
  std::map<int, TSlot> FEffects;
};

std::map<SDL_JoystickID, std::shared_ptr<TSdlStick>>& Open() {
  static auto* open = new std::map<SDL_JoystickID, std::shared_ptr<TSdlStick>>;
  return *open;
}

bool Start() {
  if (!gTried) {
    gTried = true;
    // Our windows are not SDL's, so SDL must not wait for focus of its own;
    // and it must leave the process's interrupt signals alone.
    SDL_SetHint(SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS, "1");
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    gJoystickUp = SDL_InitSubSystem(SDL_INIT_JOYSTICK) == 0;
    if (gJoystickUp) {
      SDL_JoystickEventState(SDL_IGNORE);
      gHapticUp = SDL_InitSubSystem(SDL_INIT_HAPTIC) == 0;
    }
  }
  return gJoystickUp;
}

}  // namespace

bool SdlSticksStarted() { return gJoystickUp; }

void SdlSticksRefresh(std::vector<std::shared_ptr<TStick>>& sticks) {
  if (!Start()) return;
  SDL_JoystickUpdate();
  auto& open = Open();
  std::map<SDL_JoystickID, std::shared_ptr<TSdlStick>> still;
  int n = SDL_NumJoysticks();
  for (int i = 0; i < n; ++i) {
    SDL_JoystickID id = SDL_JoystickGetDeviceInstanceID(i);
    if (id < 0) continue;
    auto it = open.find(id);
    std::shared_ptr<TSdlStick> stick;
    if (it != open.end()) {
      stick = it->second;
    } else if (SDL_Joystick* joy = SDL_JoystickOpen(i)) {
      stick = std::make_shared<TSdlStick>(joy, id);
    }
    if (!stick || !stick->Attached()) continue;
    still[id] = stick;
    sticks.push_back(stick);
  }
  open.swap(still);
}
