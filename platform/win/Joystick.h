// Joysticks: the sticks attached to the machine (read through SDL2, whose
// joystick and haptic subsystems start on first use) and virtual sticks that
// tests add, listed virtual ones first. The multimedia joystick functions
// (joyGetDevCapsA, joyGetPosEx) and the DirectInput stand-in both read them.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/win/Types.h"

// Hat directions as bits; a hat with none of them is centred.
constexpr BYTE STICK_HAT_UP = 0x01;
constexpr BYTE STICK_HAT_RIGHT = 0x02;
constexpr BYTE STICK_HAT_DOWN = 0x04;
constexpr BYTE STICK_HAT_LEFT = 0x08;

// A hat's direction in hundredths of degrees clockwise from forward, or
// 0xFFFFFFFF when centred (or when opposite bits cancel out).
DWORD StickHatToHundredths(BYTE hat);

// The force-feedback effects a stick can play.
enum class TStickEffectKind {
  Constant,
  Square,
  Sine,
  Triangle,
  SawtoothUp,
  SawtoothDown,
  Spring,
  Damper,
  Inertia,
  Friction,
};
constexpr DWORD StickEffectBit(TStickEffectKind kind) { return 1u << static_cast<int>(kind); }

constexpr DWORD STICK_INFINITE = 0xFFFFFFFF;

struct TStickCondition {
  LONG Offset = 0;
  LONG PositiveCoefficient = 0;
  LONG NegativeCoefficient = 0;
  DWORD PositiveSaturation = 0;
  DWORD NegativeSaturation = 0;
  LONG DeadBand = 0;
  friend bool operator==(const TStickCondition&, const TStickCondition&) = default;
};

// One effect as a stick receives it. Levels, magnitudes and coefficients run
// 0..10000 (or -10000..10000), times are microseconds, directions cartesian,
// axes are stick axis numbers (0 = X, 1 = Y).
struct TStickEffect {
  TStickEffectKind Kind = TStickEffectKind::Constant;
  DWORD Duration = 0;  // STICK_INFINITE = until stopped
  DWORD SamplePeriod = 0;
  DWORD Gain = 10000;
  DWORD TriggerButton = STICK_INFINITE;  // STICK_INFINITE = none
  DWORD TriggerRepeatInterval = 0;
  DWORD StartDelay = 0;
  std::vector<DWORD> Axes;
  std::vector<LONG> Directions;
  bool HasEnvelope = false;
  DWORD AttackLevel = 0, AttackTime = 0, FadeLevel = 0, FadeTime = 0;
  LONG Magnitude = 0;                       // constant and periodic forces
  LONG Offset = 0;                          // periodic
  DWORD Phase = 0;                          // periodic, hundredths of degrees
  DWORD Period = 0;                         // periodic, microseconds
  std::vector<TStickCondition> Conditions;  // one per axis
  friend bool operator==(const TStickEffect&, const TStickEffect&) = default;
};

// One attached (or since detached) stick. Axis values run -32768..32767.
class TStick {
 public:
  virtual ~TStick() = default;
  // Unique for the life of the process; never reused for another stick.
  virtual DWORD Id() const = 0;
  virtual std::string Name() const = 0;
  virtual bool Attached() const = 0;
  virtual int AxisCount() const = 0;
  virtual int ButtonCount() const = 0;
  virtual int HatCount() const = 0;
  virtual LONG Axis(int index) const = 0;
  virtual bool Button(int index) const = 0;
  virtual BYTE Hat(int index) const = 0;

  // Force feedback. Effect handles are >= 0; a failed creation gives -1.
  virtual bool HasForceFeedback() const = 0;
  virtual DWORD EffectKinds() const = 0;  // StickEffectBit set
  virtual bool CanAutoCenter() const = 0;
  virtual bool SetAutoCenter(bool on) = 0;
  virtual int CreateEffect(const TStickEffect& effect) = 0;
  virtual bool UpdateEffect(int handle, const TStickEffect& effect) = 0;
  virtual bool RunEffect(int handle, DWORD iterations) = 0;
  virtual bool StopEffect(int handle) = 0;
  virtual bool EffectPlaying(int handle) = 0;
  virtual void DestroyEffect(int handle) = 0;
};

// Reads fresh stick states and notices sticks that came or went. Starts SDL's
// joystick and haptic subsystems the first time; when they cannot start the
// machine simply has no sticks.
void JoystickRefresh();
// The attached sticks after the last refresh: virtual ones, then the system's.
std::vector<std::shared_ptr<TStick>> JoystickList();
std::shared_ptr<TStick> JoystickById(DWORD id);

// ---- Virtual sticks, for tests ----

struct TVirtualJoystickConfig {
  std::string Name = "Virtual Joystick";
  int Axes = 2;
  int Buttons = 4;
  int Hats = 0;
  bool ForceFeedback = false;
  DWORD EffectKinds = 0x3FF;  // all of TStickEffectKind
  bool AutoCenter = true;     // supports the auto-centre spring
};

// What a virtual stick's force-feedback device was asked to do, in order.
struct TVirtualEffectEvent {
  enum TOp { Create, Update, Run, Stop, Destroy, AutoCenter } Op = Create;
  int Handle = -1;
  TStickEffect Effect;   // Create and Update
  DWORD Iterations = 0;  // Run
  bool On = false;       // AutoCenter
};

DWORD VirtualJoystickAdd(const TVirtualJoystickConfig& config = {});
// Detaches the stick: it leaves the list and reads as unplugged.
void VirtualJoystickRemove(DWORD id);
void VirtualJoystickRemoveAll();
void VirtualJoystickSetAxis(DWORD id, int axis, LONG value);
void VirtualJoystickSetButton(DWORD id, int button, bool down);
void VirtualJoystickSetHat(DWORD id, int hat, BYTE directions);
// The next effect creations on the stick fail (device full) while set.
void VirtualJoystickSetEffectsFail(DWORD id, bool fail);
std::vector<TVirtualEffectEvent> VirtualJoystickEvents(DWORD id);
void VirtualJoystickClearEvents(DWORD id);
// Effects currently held by the stick's device (created, not destroyed).
int VirtualJoystickEffectCount(DWORD id);
// Hides (or shows again) the system's sticks, so tests see only virtual ones.
void JoystickSetSystemSticksEnabled(bool enabled);
// Whether SDL's joystick subsystem has been started (it starts lazily).
bool JoystickSystemStarted();

// ---- The multimedia joystick functions ----

constexpr UINT JOYSTICKID1 = 0;
constexpr UINT JOYSTICKID2 = 1;

constexpr UINT MMSYSERR_NOERROR = 0;
constexpr UINT MMSYSERR_ERROR = 1;
constexpr UINT MMSYSERR_BADDEVICEID = 2;
constexpr UINT MMSYSERR_NODRIVER = 6;
constexpr UINT MMSYSERR_INVALPARAM = 11;
constexpr UINT JOYERR_NOERROR = 0;
constexpr UINT JOYERR_PARMS = 165;
constexpr UINT JOYERR_NOCANDO = 166;
constexpr UINT JOYERR_UNPLUGGED = 167;

constexpr DWORD JOY_RETURNX = 0x00000001;
constexpr DWORD JOY_RETURNY = 0x00000002;
constexpr DWORD JOY_RETURNZ = 0x00000004;
constexpr DWORD JOY_RETURNR = 0x00000008;
constexpr DWORD JOY_RETURNU = 0x00000010;
constexpr DWORD JOY_RETURNV = 0x00000020;
constexpr DWORD JOY_RETURNPOV = 0x00000040;
constexpr DWORD JOY_RETURNBUTTONS = 0x00000080;
constexpr DWORD JOY_RETURNRAWDATA = 0x00000100;
constexpr DWORD JOY_RETURNPOVCTS = 0x00000200;
constexpr DWORD JOY_RETURNCENTERED = 0x00000400;
constexpr DWORD JOY_USEDEADZONE = 0x00000800;
constexpr DWORD JOY_RETURNALL = 0x000000FF;

constexpr DWORD JOY_POVCENTERED = 0xFFFF;
constexpr DWORD JOY_POVFORWARD = 0;
constexpr DWORD JOY_POVRIGHT = 9000;
constexpr DWORD JOY_POVBACKWARD = 18000;
constexpr DWORD JOY_POVLEFT = 27000;

constexpr UINT JOYCAPS_HASZ = 0x0001;
constexpr UINT JOYCAPS_HASR = 0x0002;
constexpr UINT JOYCAPS_HASU = 0x0004;
constexpr UINT JOYCAPS_HASV = 0x0008;
constexpr UINT JOYCAPS_HASPOV = 0x0010;
constexpr UINT JOYCAPS_POV4DIR = 0x0020;
constexpr UINT JOYCAPS_POVCTS = 0x0040;

constexpr int MAXPNAMELEN = 32;
constexpr int MAX_JOYSTICKOEMVXDNAME = 260;

struct JOYCAPSA {
  WORD wMid;
  WORD wPid;
  char szPname[MAXPNAMELEN];
  UINT wXmin, wXmax, wYmin, wYmax, wZmin, wZmax;
  UINT wNumButtons;
  UINT wPeriodMin, wPeriodMax;
  UINT wRmin, wRmax, wUmin, wUmax, wVmin, wVmax;
  UINT wCaps;
  UINT wMaxAxes;
  UINT wNumAxes;
  UINT wMaxButtons;
  char szRegKey[MAXPNAMELEN];
  char szOEMVxD[MAX_JOYSTICKOEMVXDNAME];
};
static_assert(sizeof(JOYCAPSA) == 404);

struct JOYINFOEX {
  DWORD dwSize;
  DWORD dwFlags;
  DWORD dwXpos, dwYpos, dwZpos, dwRpos, dwUpos, dwVpos;
  DWORD dwButtons;
  DWORD dwButtonNumber;
  DWORD dwPOV;
  DWORD dwReserved1;
  DWORD dwReserved2;
};
static_assert(sizeof(JOYINFOEX) == 52);

// Joystick slots 0..15 hold the attached sticks in list order. Axes run
// 0..65535 (X, Y, Z, R, U, V are the stick's axes 0 to 5).
UINT joyGetNumDevs();
UINT joyGetDevCapsA(UINT uJoyID, JOYCAPSA* pjc, UINT cbjc);
UINT joyGetPosEx(UINT uJoyID, JOYINFOEX* pji);
