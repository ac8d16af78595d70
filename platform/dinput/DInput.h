// The DirectInput stand-in: the interfaces, records, GUIDs, flags and result
// codes the input layer uses, registered as the module "DInput.dll" with the
// entry point "DirectInputCreateA".
//
// The system keyboard reads the key state the toolkit tracks, by physical key
// position; the system mouse reads the toolkit's pointer motion, wheel and
// buttons; joysticks and force feedback come from the joystick layer of
// platform/win (SDL2's sticks and the virtual sticks of tests).
//
// Size fields take sizeof of the record; records that hold pointers (data
// formats, effects) also accept the size they have in 32-bit builds.
#pragma once

#include "platform/win/Types.h"
#include "platform/win/Unknown.h"

constexpr DWORD DIRECTINPUT_VERSION = 0x0700;

// ---- Result codes ----
constexpr HRESULT DI_OK = S_OK;
constexpr HRESULT DI_NOTATTACHED = S_FALSE;
constexpr HRESULT DI_BUFFEROVERFLOW = S_FALSE;
constexpr HRESULT DI_PROPNOEFFECT = S_FALSE;
constexpr HRESULT DI_NOEFFECT = S_FALSE;
constexpr HRESULT DI_POLLEDDEVICE = 0x00000002;
constexpr HRESULT DI_DOWNLOADSKIPPED = 0x00000003;
constexpr HRESULT DI_EFFECTRESTARTED = 0x00000004;
constexpr HRESULT DI_TRUNCATED = 0x00000008;
constexpr HRESULT DI_TRUNCATEDANDRESTARTED = 0x0000000C;

constexpr HRESULT DIERR_OLDDIRECTINPUTVERSION = static_cast<HRESULT>(0x8007047Eu);
constexpr HRESULT DIERR_BETADIRECTINPUTVERSION = static_cast<HRESULT>(0x80070481u);
constexpr HRESULT DIERR_BADDRIVERVER = static_cast<HRESULT>(0x80070077u);
constexpr HRESULT DIERR_DEVICENOTREG = static_cast<HRESULT>(0x80040154u);
constexpr HRESULT DIERR_NOTFOUND = static_cast<HRESULT>(0x80070002u);
constexpr HRESULT DIERR_OBJECTNOTFOUND = static_cast<HRESULT>(0x80070002u);
constexpr HRESULT DIERR_INVALIDPARAM = E_INVALIDARG;
constexpr HRESULT DIERR_NOINTERFACE = E_NOINTERFACE;
constexpr HRESULT DIERR_GENERIC = E_FAIL;
constexpr HRESULT DIERR_OUTOFMEMORY = E_OUTOFMEMORY;
constexpr HRESULT DIERR_UNSUPPORTED = E_NOTIMPL;
constexpr HRESULT DIERR_NOTINITIALIZED = static_cast<HRESULT>(0x80070015u);
constexpr HRESULT DIERR_ALREADYINITIALIZED = static_cast<HRESULT>(0x800704DFu);
constexpr HRESULT DIERR_NOAGGREGATION = static_cast<HRESULT>(0x80040110u);
constexpr HRESULT DIERR_OTHERAPPHASPRIO = static_cast<HRESULT>(0x80070005u);
constexpr HRESULT DIERR_INPUTLOST = static_cast<HRESULT>(0x8007001Eu);
constexpr HRESULT DIERR_ACQUIRED = static_cast<HRESULT>(0x800700AAu);
constexpr HRESULT DIERR_NOTACQUIRED = static_cast<HRESULT>(0x8007000Cu);
constexpr HRESULT DIERR_READONLY = static_cast<HRESULT>(0x80070005u);
constexpr HRESULT DIERR_HANDLEEXISTS = static_cast<HRESULT>(0x80070005u);
constexpr HRESULT DIERR_INSUFFICIENTPRIVS = static_cast<HRESULT>(0x80040200u);
constexpr HRESULT DIERR_DEVICEFULL = static_cast<HRESULT>(0x80040201u);
constexpr HRESULT DIERR_MOREDATA = static_cast<HRESULT>(0x80040202u);
constexpr HRESULT DIERR_NOTDOWNLOADED = static_cast<HRESULT>(0x80040203u);
constexpr HRESULT DIERR_HASEFFECTS = static_cast<HRESULT>(0x80040204u);
constexpr HRESULT DIERR_NOTEXCLUSIVEACQUIRED = static_cast<HRESULT>(0x80040205u);
constexpr HRESULT DIERR_INCOMPLETEEFFECT = static_cast<HRESULT>(0x80040206u);
constexpr HRESULT DIERR_NOTBUFFERED = static_cast<HRESULT>(0x80040207u);
constexpr HRESULT DIERR_EFFECTPLAYING = static_cast<HRESULT>(0x80040208u);

// ---- GUIDs ----
extern const IID IID_IDirectInputA;
extern const IID IID_IDirectInput2A;
extern const IID IID_IDirectInput7A;
extern const IID IID_IDirectInputDeviceA;
extern const IID IID_IDirectInputDevice2A;
extern const IID IID_IDirectInputDevice7A;
extern const IID IID_IDirectInputEffect;

extern const GUID GUID_SysMouse;
extern const GUID GUID_SysKeyboard;
extern const GUID GUID_Joystick;

extern const GUID GUID_XAxis;
extern const GUID GUID_YAxis;
extern const GUID GUID_ZAxis;
extern const GUID GUID_RxAxis;
extern const GUID GUID_RyAxis;
extern const GUID GUID_RzAxis;
extern const GUID GUID_Slider;
extern const GUID GUID_Button;
extern const GUID GUID_Key;
extern const GUID GUID_POV;
extern const GUID GUID_Unknown;

extern const GUID GUID_ConstantForce;
extern const GUID GUID_RampForce;
extern const GUID GUID_Square;
extern const GUID GUID_Sine;
extern const GUID GUID_Triangle;
extern const GUID GUID_SawtoothUp;
extern const GUID GUID_SawtoothDown;
extern const GUID GUID_Spring;
extern const GUID GUID_Damper;
extern const GUID GUID_Inertia;
extern const GUID GUID_Friction;
extern const GUID GUID_CustomForce;

// ---- Device types and enumeration ----
constexpr DWORD DIDEVTYPE_DEVICE = 1;
constexpr DWORD DIDEVTYPE_MOUSE = 2;
constexpr DWORD DIDEVTYPE_KEYBOARD = 3;
constexpr DWORD DIDEVTYPE_JOYSTICK = 4;
constexpr DWORD DIDEVTYPE_HID = 0x00010000;
constexpr DWORD DIDEVTYPEMOUSE_TRADITIONAL = 2;
constexpr DWORD DIDEVTYPEKEYBOARD_PCENH = 4;
constexpr DWORD DIDEVTYPEJOYSTICK_TRADITIONAL = 2;
constexpr DWORD DIDEVTYPEJOYSTICK_GAMEPAD = 4;
constexpr BYTE GET_DIDEVICE_TYPE(DWORD t) { return static_cast<BYTE>(t); }
constexpr BYTE GET_DIDEVICE_SUBTYPE(DWORD t) { return static_cast<BYTE>(t >> 8); }

constexpr DWORD DIEDFL_ALLDEVICES = 0x00000000;
constexpr DWORD DIEDFL_ATTACHEDONLY = 0x00000001;
constexpr DWORD DIEDFL_FORCEFEEDBACK = 0x00000100;

constexpr BOOL DIENUM_STOP = 0;
constexpr BOOL DIENUM_CONTINUE = 1;

// ---- Cooperative levels ----
constexpr DWORD DISCL_EXCLUSIVE = 0x00000001;
constexpr DWORD DISCL_NONEXCLUSIVE = 0x00000002;
constexpr DWORD DISCL_FOREGROUND = 0x00000004;
constexpr DWORD DISCL_BACKGROUND = 0x00000008;
constexpr DWORD DISCL_NOWINKEY = 0x00000010;

// ---- Device capabilities ----
constexpr DWORD DIDC_ATTACHED = 0x00000001;
constexpr DWORD DIDC_POLLEDDEVICE = 0x00000002;
constexpr DWORD DIDC_EMULATED = 0x00000004;
constexpr DWORD DIDC_POLLEDDATAFORMAT = 0x00000008;
constexpr DWORD DIDC_FORCEFEEDBACK = 0x00000100;
constexpr DWORD DIDC_FFATTACK = 0x00000200;
constexpr DWORD DIDC_FFFADE = 0x00000400;
constexpr DWORD DIDC_SATURATION = 0x00000800;
constexpr DWORD DIDC_POSNEGCOEFFICIENTS = 0x00001000;
constexpr DWORD DIDC_POSNEGSATURATION = 0x00002000;
constexpr DWORD DIDC_DEADBAND = 0x00004000;
constexpr DWORD DIDC_STARTDELAY = 0x00008000;

struct DIDEVCAPS {
  DWORD dwSize;
  DWORD dwFlags;
  DWORD dwDevType;
  DWORD dwAxes;
  DWORD dwButtons;
  DWORD dwPOVs;
  DWORD dwFFSamplePeriod;
  DWORD dwFFMinTimeResolution;
  DWORD dwFirmwareRevision;
  DWORD dwHardwareRevision;
  DWORD dwFFDriverVersion;
};
static_assert(sizeof(DIDEVCAPS) == 44);
constexpr DWORD DIDEVCAPS_DX3_SIZE = 24;

constexpr int DI_NAMELEN = 260;  // name fields of the records

struct DIDEVICEINSTANCEA {
  DWORD dwSize;
  GUID guidInstance;
  GUID guidProduct;
  DWORD dwDevType;
  char tszInstanceName[DI_NAMELEN];
  char tszProductName[DI_NAMELEN];
  GUID guidFFDriver;
  WORD wUsagePage;
  WORD wUsage;
};
static_assert(sizeof(DIDEVICEINSTANCEA) == 580);
constexpr DWORD DIDEVICEINSTANCE_DX3A_SIZE = 560;
using DIDEVICEINSTANCE = DIDEVICEINSTANCEA;

// ---- Objects and data formats ----
constexpr DWORD DIDFT_ALL = 0x00000000;
constexpr DWORD DIDFT_RELAXIS = 0x00000001;
constexpr DWORD DIDFT_ABSAXIS = 0x00000002;
constexpr DWORD DIDFT_AXIS = 0x00000003;
constexpr DWORD DIDFT_PSHBUTTON = 0x00000004;
constexpr DWORD DIDFT_TGLBUTTON = 0x00000008;
constexpr DWORD DIDFT_BUTTON = 0x0000000C;
constexpr DWORD DIDFT_POV = 0x00000010;
constexpr DWORD DIDFT_COLLECTION = 0x00000040;
constexpr DWORD DIDFT_NODATA = 0x00000080;
constexpr DWORD DIDFT_ANYINSTANCE = 0x00FFFF00;
constexpr DWORD DIDFT_INSTANCEMASK = DIDFT_ANYINSTANCE;
constexpr DWORD DIDFT_FFACTUATOR = 0x01000000;
constexpr DWORD DIDFT_FFEFFECTTRIGGER = 0x02000000;
constexpr DWORD DIDFT_NOCOLLECTION = 0x00FFFF00;
constexpr DWORD DIDFT_OPTIONAL = 0x80000000;
constexpr DWORD DIDFT_MAKEINSTANCE(DWORD n) { return static_cast<DWORD>(static_cast<WORD>(n)) << 8; }
constexpr DWORD DIDFT_GETTYPE(DWORD n) { return n & 0xFF; }
constexpr DWORD DIDFT_GETINSTANCE(DWORD n) { return (n >> 8) & 0xFFFF; }

constexpr DWORD DIDF_ABSAXIS = 0x00000001;
constexpr DWORD DIDF_RELAXIS = 0x00000002;

constexpr DWORD DIDOI_FFACTUATOR = 0x00000001;
constexpr DWORD DIDOI_FFEFFECTTRIGGER = 0x00000002;
constexpr DWORD DIDOI_POLLED = 0x00008000;
constexpr DWORD DIDOI_ASPECTPOSITION = 0x00000100;
constexpr DWORD DIDOI_ASPECTVELOCITY = 0x00000200;
constexpr DWORD DIDOI_ASPECTACCEL = 0x00000300;
constexpr DWORD DIDOI_ASPECTFORCE = 0x00000400;
constexpr DWORD DIDOI_ASPECTMASK = 0x00000F00;

struct DIOBJECTDATAFORMAT {
  const GUID* pguid;
  DWORD dwOfs;
  DWORD dwType;
  DWORD dwFlags;
};
constexpr DWORD DIOBJECTDATAFORMAT_SIZE32 = 16;

struct DIDATAFORMAT {
  DWORD dwSize;
  DWORD dwObjSize;
  DWORD dwFlags;
  DWORD dwDataSize;
  DWORD dwNumObjs;
  DIOBJECTDATAFORMAT* rgodf;
};
constexpr DWORD DIDATAFORMAT_SIZE32 = 24;

struct DIDEVICEOBJECTINSTANCEA {
  DWORD dwSize;
  GUID guidType;
  DWORD dwOfs;
  DWORD dwType;
  DWORD dwFlags;
  char tszName[DI_NAMELEN];
  DWORD dwFFMaxForce;
  DWORD dwFFForceResolution;
  WORD wCollectionNumber;
  WORD wDesignatorIndex;
  WORD wUsagePage;
  WORD wUsage;
  DWORD dwDimension;
  WORD wExponent;
  WORD wReserved;
};
static_assert(sizeof(DIDEVICEOBJECTINSTANCEA) == 316);
constexpr DWORD DIDEVICEOBJECTINSTANCE_DX3A_SIZE = 292;
using DIDEVICEOBJECTINSTANCE = DIDEVICEOBJECTINSTANCEA;

// The standard formats (data the stand-in defines).
extern const DIDATAFORMAT c_dfDIKeyboard;
extern const DIDATAFORMAT c_dfDIMouse;
extern const DIDATAFORMAT c_dfDIJoystick;
extern const DIDATAFORMAT c_dfDIJoystick2;

struct DIMOUSESTATE {
  LONG lX;
  LONG lY;
  LONG lZ;
  BYTE rgbButtons[4];
};
static_assert(sizeof(DIMOUSESTATE) == 16);

struct DIJOYSTATE {
  LONG lX, lY, lZ;
  LONG lRx, lRy, lRz;
  LONG rglSlider[2];
  DWORD rgdwPOV[4];
  BYTE rgbButtons[32];
};
static_assert(sizeof(DIJOYSTATE) == 80);

struct DIJOYSTATE2 {
  LONG lX, lY, lZ;
  LONG lRx, lRy, lRz;
  LONG rglSlider[2];
  DWORD rgdwPOV[4];
  BYTE rgbButtons[128];
  LONG lVX, lVY, lVZ;
  LONG lVRx, lVRy, lVRz;
  LONG rglVSlider[2];
  LONG lAX, lAY, lAZ;
  LONG lARx, lARy, lARz;
  LONG rglASlider[2];
  LONG lFX, lFY, lFZ;
  LONG lFRx, lFRy, lFRz;
  LONG rglFSlider[2];
};
static_assert(sizeof(DIJOYSTATE2) == 272);

// Byte offsets into the joystick states.
constexpr DWORD DIJOFS_X = 0;
constexpr DWORD DIJOFS_Y = 4;
constexpr DWORD DIJOFS_Z = 8;
constexpr DWORD DIJOFS_RX = 12;
constexpr DWORD DIJOFS_RY = 16;
constexpr DWORD DIJOFS_RZ = 20;
constexpr DWORD DIJOFS_SLIDER(DWORD n) { return 24 + n * 4; }
constexpr DWORD DIJOFS_POV(DWORD n) { return 32 + n * 4; }
constexpr DWORD DIJOFS_BUTTON(DWORD n) { return 48 + n; }
constexpr DWORD DIMOFS_X = 0;
constexpr DWORD DIMOFS_Y = 4;
constexpr DWORD DIMOFS_Z = 8;
constexpr DWORD DIMOFS_BUTTON0 = 12;
constexpr DWORD DIMOFS_BUTTON1 = 13;
constexpr DWORD DIMOFS_BUTTON2 = 14;
constexpr DWORD DIMOFS_BUTTON3 = 15;

// ---- Properties ----
struct DIPROPHEADER {
  DWORD dwSize;
  DWORD dwHeaderSize;
  DWORD dwObj;
  DWORD dwHow;
};
static_assert(sizeof(DIPROPHEADER) == 16);

struct DIPROPDWORD {
  DIPROPHEADER diph;
  DWORD dwData;
};
static_assert(sizeof(DIPROPDWORD) == 20);

struct DIPROPRANGE {
  DIPROPHEADER diph;
  LONG lMin;
  LONG lMax;
};
static_assert(sizeof(DIPROPRANGE) == 24);

constexpr DWORD DIPH_DEVICE = 0;
constexpr DWORD DIPH_BYOFFSET = 1;
constexpr DWORD DIPH_BYID = 2;

constexpr DWORD DIPROPAUTOCENTER_OFF = 0;
constexpr DWORD DIPROPAUTOCENTER_ON = 1;
constexpr DWORD DIPROPAXISMODE_ABS = 0;
constexpr DWORD DIPROPAXISMODE_REL = 1;
constexpr LONG DIPROPRANGE_NOMIN = static_cast<LONG>(0x80000000u);
constexpr LONG DIPROPRANGE_NOMAX = 0x7FFFFFFF;

// Properties are named by small numbers passed where a GUID pointer goes.
using REFGUIDPROP = const GUID*;
inline const GUID* MAKEDIPROP(std::uintptr_t prop) { return reinterpret_cast<const GUID*>(prop); }
inline const GUID* const DIPROP_BUFFERSIZE = MAKEDIPROP(1);
inline const GUID* const DIPROP_AXISMODE = MAKEDIPROP(2);
inline const GUID* const DIPROP_GRANULARITY = MAKEDIPROP(3);
inline const GUID* const DIPROP_RANGE = MAKEDIPROP(4);
inline const GUID* const DIPROP_DEADZONE = MAKEDIPROP(5);
inline const GUID* const DIPROP_SATURATION = MAKEDIPROP(6);
inline const GUID* const DIPROP_FFGAIN = MAKEDIPROP(7);
inline const GUID* const DIPROP_FFLOAD = MAKEDIPROP(8);
inline const GUID* const DIPROP_AUTOCENTER = MAKEDIPROP(9);
inline const GUID* const DIPROP_CALIBRATIONMODE = MAKEDIPROP(10);

// ---- Force feedback ----
constexpr DWORD DI_FFNOMINALMAX = 10000;
constexpr DWORD DI_SECONDS = 1000000;
constexpr DWORD DI_DEGREES = 100;
constexpr DWORD INFINITE = 0xFFFFFFFF;
constexpr DWORD DIEB_NOTRIGGER = 0xFFFFFFFF;

constexpr DWORD DIEFF_OBJECTIDS = 0x00000001;
constexpr DWORD DIEFF_OBJECTOFFSETS = 0x00000002;
constexpr DWORD DIEFF_CARTESIAN = 0x00000010;
constexpr DWORD DIEFF_POLAR = 0x00000020;
constexpr DWORD DIEFF_SPHERICAL = 0x00000040;

constexpr DWORD DIEP_DURATION = 0x00000001;
constexpr DWORD DIEP_SAMPLEPERIOD = 0x00000002;
constexpr DWORD DIEP_GAIN = 0x00000004;
constexpr DWORD DIEP_TRIGGERBUTTON = 0x00000008;
constexpr DWORD DIEP_TRIGGERREPEATINTERVAL = 0x00000010;
constexpr DWORD DIEP_AXES = 0x00000020;
constexpr DWORD DIEP_DIRECTION = 0x00000040;
constexpr DWORD DIEP_ENVELOPE = 0x00000080;
constexpr DWORD DIEP_TYPESPECIFICPARAMS = 0x00000100;
constexpr DWORD DIEP_STARTDELAY = 0x00000200;
constexpr DWORD DIEP_ALLPARAMS_DX5 = 0x000001FF;
constexpr DWORD DIEP_ALLPARAMS = 0x000003FF;
constexpr DWORD DIEP_START = 0x20000000;
constexpr DWORD DIEP_NORESTART = 0x40000000;
constexpr DWORD DIEP_NODOWNLOAD = 0x80000000;

constexpr DWORD DIES_SOLO = 0x00000001;
constexpr DWORD DIES_NODOWNLOAD = 0x80000000;

constexpr DWORD DIEGES_PLAYING = 0x00000001;
constexpr DWORD DIEGES_EMULATED = 0x00000002;

constexpr DWORD DIEFT_ALL = 0x00000000;
constexpr DWORD DIEFT_CONSTANTFORCE = 0x00000001;
constexpr DWORD DIEFT_RAMPFORCE = 0x00000002;
constexpr DWORD DIEFT_PERIODIC = 0x00000003;
constexpr DWORD DIEFT_CONDITION = 0x00000004;
constexpr DWORD DIEFT_CUSTOMFORCE = 0x00000005;
constexpr DWORD DIEFT_HARDWARE = 0x000000FF;
constexpr DWORD DIEFT_FFATTACK = 0x00000200;
constexpr DWORD DIEFT_FFFADE = 0x00000400;
constexpr DWORD DIEFT_SATURATION = 0x00000800;
constexpr DWORD DIEFT_POSNEGCOEFFICIENTS = 0x00001000;
constexpr DWORD DIEFT_POSNEGSATURATION = 0x00002000;
constexpr DWORD DIEFT_DEADBAND = 0x00004000;
constexpr DWORD DIEFT_STARTDELAY = 0x00008000;
constexpr DWORD DIEFT_GETTYPE(DWORD n) { return n & 0xFF; }

struct DIENVELOPE {
  DWORD dwSize;
  DWORD dwAttackLevel;
  DWORD dwAttackTime;
  DWORD dwFadeLevel;
  DWORD dwFadeTime;
};
static_assert(sizeof(DIENVELOPE) == 20);

struct DICONSTANTFORCE {
  LONG lMagnitude;
};
static_assert(sizeof(DICONSTANTFORCE) == 4);

struct DIPERIODIC {
  DWORD dwMagnitude;
  LONG lOffset;
  DWORD dwPhase;
  DWORD dwPeriod;
};
static_assert(sizeof(DIPERIODIC) == 16);

struct DICONDITION {
  LONG lOffset;
  LONG lPositiveCoefficient;
  LONG lNegativeCoefficient;
  DWORD dwPositiveSaturation;
  DWORD dwNegativeSaturation;
  LONG lDeadBand;
};
static_assert(sizeof(DICONDITION) == 24);

struct DIEFFECT {
  DWORD dwSize;
  DWORD dwFlags;
  DWORD dwDuration;
  DWORD dwSamplePeriod;
  DWORD dwGain;
  DWORD dwTriggerButton;
  DWORD dwTriggerRepeatInterval;
  DWORD cAxes;
  DWORD* rgdwAxes;
  LONG* rglDirection;
  DIENVELOPE* lpEnvelope;
  DWORD cbTypeSpecificParams;
  void* lpvTypeSpecificParams;
  DWORD dwStartDelay;
};
constexpr DWORD DIEFFECT_SIZE32 = 56;
constexpr DWORD DIEFFECT_DX5_SIZE32 = 52;

struct DIEFFECTINFOA {
  DWORD dwSize;
  GUID guid;
  DWORD dwEffType;
  DWORD dwStaticParams;
  DWORD dwDynamicParams;
  char tszName[DI_NAMELEN];
};
static_assert(sizeof(DIEFFECTINFOA) == 292);
using DIEFFECTINFO = DIEFFECTINFOA;

// ---- Callbacks ----
using LPDIENUMDEVICESCALLBACKA = BOOL (*)(const DIDEVICEINSTANCEA* lpddi, void* pvRef);
using LPDIENUMDEVICEOBJECTSCALLBACKA = BOOL (*)(const DIDEVICEOBJECTINSTANCEA* lpddoi, void* pvRef);
using LPDIENUMEFFECTSCALLBACKA = BOOL (*)(const DIEFFECTINFOA* pdei, void* pvRef);

// ---- Interfaces ----
struct IDirectInputEffect : IUnknown {
  virtual HRESULT GetEffectGuid(GUID* pguid) = 0;
  virtual HRESULT GetParameters(DIEFFECT* peff, DWORD dwFlags) = 0;
  virtual HRESULT SetParameters(const DIEFFECT* peff, DWORD dwFlags) = 0;
  virtual HRESULT Start(DWORD dwIterations, DWORD dwFlags) = 0;
  virtual HRESULT Stop() = 0;
  virtual HRESULT GetEffectStatus(DWORD* pdwFlags) = 0;
  virtual HRESULT Download() = 0;
  virtual HRESULT Unload() = 0;
};

struct IDirectInputDeviceA : IUnknown {
  virtual HRESULT GetCapabilities(DIDEVCAPS* lpDIDevCaps) = 0;
  virtual HRESULT EnumObjects(LPDIENUMDEVICEOBJECTSCALLBACKA lpCallback, void* pvRef, DWORD dwFlags) = 0;
  virtual HRESULT GetProperty(REFGUIDPROP rguidProp, DIPROPHEADER* pdiph) = 0;
  virtual HRESULT SetProperty(REFGUIDPROP rguidProp, const DIPROPHEADER* pdiph) = 0;
  // Joysticks are polled devices: their Acquire answers DI_POLLEDDEVICE, and
  // their state is the one read by the last Poll (or Acquire).
  virtual HRESULT Acquire() = 0;
  virtual HRESULT Unacquire() = 0;
  virtual HRESULT GetDeviceState(DWORD cbData, void* lpvData) = 0;
  virtual HRESULT SetDataFormat(const DIDATAFORMAT* lpdf) = 0;
  virtual HRESULT SetCooperativeLevel(HWND hwnd, DWORD dwFlags) = 0;
  virtual HRESULT GetObjectInfo(DIDEVICEOBJECTINSTANCEA* pdidoi, DWORD dwObj, DWORD dwHow) = 0;
  virtual HRESULT GetDeviceInfo(DIDEVICEINSTANCEA* pdidi) = 0;
};

struct IDirectInputDevice2A : IDirectInputDeviceA {
  virtual HRESULT CreateEffect(REFGUID rguid, const DIEFFECT* lpeff, IDirectInputEffect** ppdeff,
                               IUnknown* punkOuter) = 0;
  virtual HRESULT EnumEffects(LPDIENUMEFFECTSCALLBACKA lpCallback, void* pvRef, DWORD dwEffType) = 0;
  virtual HRESULT GetEffectInfo(DIEFFECTINFOA* pdei, REFGUID rguid) = 0;
  virtual HRESULT Poll() = 0;
};

struct IDirectInputA : IUnknown {
  virtual HRESULT CreateDevice(REFGUID rguid, IDirectInputDeviceA** lplpDirectInputDevice, IUnknown* pUnkOuter) = 0;
  virtual HRESULT EnumDevices(DWORD dwDevType, LPDIENUMDEVICESCALLBACKA lpCallback, void* pvRef, DWORD dwFlags) = 0;
  virtual HRESULT GetDeviceStatus(REFGUID rguidInstance) = 0;
};

struct IDirectInput2A : IDirectInputA {
  // Finds the attached device whose product name is Name.
  virtual HRESULT FindDevice(REFGUID rguidClass, const char* ptszName, GUID* pguidInstance) = 0;
};

struct IDirectInput7A : IDirectInput2A {
  virtual HRESULT CreateDeviceEx(REFGUID rguid, REFIID riid, void** pvOut, IUnknown* lpUnknownOuter) = 0;
};

using IDirectInput = IDirectInputA;
using IDirectInput2 = IDirectInput2A;
using IDirectInput7 = IDirectInput7A;
using IDirectInputDevice = IDirectInputDeviceA;
using IDirectInputDevice2 = IDirectInputDevice2A;
using LPDIRECTINPUTA = IDirectInputA*;
using LPDIRECTINPUT = IDirectInputA*;
using LPDIRECTINPUT7A = IDirectInput7A*;
using LPDIRECTINPUTDEVICEA = IDirectInputDeviceA*;
using LPDIRECTINPUTDEVICE = IDirectInputDeviceA*;
using LPDIRECTINPUTDEVICE2A = IDirectInputDevice2A*;
using LPDIRECTINPUTDEVICE2 = IDirectInputDevice2A*;
using LPDIRECTINPUTEFFECT = IDirectInputEffect*;

// The entry point, as bound through "DInput.dll".
HRESULT DirectInputCreateA(HINSTANCE hinst, DWORD dwVersion, IDirectInputA** ppDI, IUnknown* punkOuter);
using TDirectInputCreateA = HRESULT (*)(HINSTANCE, DWORD, IDirectInputA**, IUnknown*);

// Registers "DInput.dll" with "DirectInputCreateA"; calling it again changes nothing.
void RegisterDInputModule();

// ---- Key codes (DirectInput scan codes) ----
constexpr BYTE DIK_ESCAPE = 0x01;
constexpr BYTE DIK_1 = 0x02;
constexpr BYTE DIK_2 = 0x03;
constexpr BYTE DIK_3 = 0x04;
constexpr BYTE DIK_4 = 0x05;
constexpr BYTE DIK_5 = 0x06;
constexpr BYTE DIK_6 = 0x07;
constexpr BYTE DIK_7 = 0x08;
constexpr BYTE DIK_8 = 0x09;
constexpr BYTE DIK_9 = 0x0A;
constexpr BYTE DIK_0 = 0x0B;
constexpr BYTE DIK_MINUS = 0x0C;
constexpr BYTE DIK_EQUALS = 0x0D;
constexpr BYTE DIK_BACK = 0x0E;
constexpr BYTE DIK_TAB = 0x0F;
constexpr BYTE DIK_Q = 0x10;
constexpr BYTE DIK_W = 0x11;
constexpr BYTE DIK_E = 0x12;
constexpr BYTE DIK_R = 0x13;
constexpr BYTE DIK_T = 0x14;
constexpr BYTE DIK_Y = 0x15;
constexpr BYTE DIK_U = 0x16;
constexpr BYTE DIK_I = 0x17;
constexpr BYTE DIK_O = 0x18;
constexpr BYTE DIK_P = 0x19;
constexpr BYTE DIK_LBRACKET = 0x1A;
constexpr BYTE DIK_RBRACKET = 0x1B;
constexpr BYTE DIK_RETURN = 0x1C;
constexpr BYTE DIK_LCONTROL = 0x1D;
constexpr BYTE DIK_A = 0x1E;
constexpr BYTE DIK_S = 0x1F;
constexpr BYTE DIK_D = 0x20;
constexpr BYTE DIK_F = 0x21;
constexpr BYTE DIK_G = 0x22;
constexpr BYTE DIK_H = 0x23;
constexpr BYTE DIK_J = 0x24;
constexpr BYTE DIK_K = 0x25;
constexpr BYTE DIK_L = 0x26;
constexpr BYTE DIK_SEMICOLON = 0x27;
constexpr BYTE DIK_APOSTROPHE = 0x28;
constexpr BYTE DIK_GRAVE = 0x29;
constexpr BYTE DIK_LSHIFT = 0x2A;
constexpr BYTE DIK_BACKSLASH = 0x2B;
constexpr BYTE DIK_Z = 0x2C;
constexpr BYTE DIK_X = 0x2D;
constexpr BYTE DIK_C = 0x2E;
constexpr BYTE DIK_V = 0x2F;
constexpr BYTE DIK_B = 0x30;
constexpr BYTE DIK_N = 0x31;
constexpr BYTE DIK_M = 0x32;
constexpr BYTE DIK_COMMA = 0x33;
constexpr BYTE DIK_PERIOD = 0x34;
constexpr BYTE DIK_SLASH = 0x35;
constexpr BYTE DIK_RSHIFT = 0x36;
constexpr BYTE DIK_MULTIPLY = 0x37;
constexpr BYTE DIK_LMENU = 0x38;
constexpr BYTE DIK_SPACE = 0x39;
constexpr BYTE DIK_CAPITAL = 0x3A;
constexpr BYTE DIK_F1 = 0x3B;
constexpr BYTE DIK_F2 = 0x3C;
constexpr BYTE DIK_F3 = 0x3D;
constexpr BYTE DIK_F4 = 0x3E;
constexpr BYTE DIK_F5 = 0x3F;
constexpr BYTE DIK_F6 = 0x40;
constexpr BYTE DIK_F7 = 0x41;
constexpr BYTE DIK_F8 = 0x42;
constexpr BYTE DIK_F9 = 0x43;
constexpr BYTE DIK_F10 = 0x44;
constexpr BYTE DIK_NUMLOCK = 0x45;
constexpr BYTE DIK_SCROLL = 0x46;
constexpr BYTE DIK_NUMPAD7 = 0x47;
constexpr BYTE DIK_NUMPAD8 = 0x48;
constexpr BYTE DIK_NUMPAD9 = 0x49;
constexpr BYTE DIK_SUBTRACT = 0x4A;
constexpr BYTE DIK_NUMPAD4 = 0x4B;
constexpr BYTE DIK_NUMPAD5 = 0x4C;
constexpr BYTE DIK_NUMPAD6 = 0x4D;
constexpr BYTE DIK_ADD = 0x4E;
constexpr BYTE DIK_NUMPAD1 = 0x4F;
constexpr BYTE DIK_NUMPAD2 = 0x50;
constexpr BYTE DIK_NUMPAD3 = 0x51;
constexpr BYTE DIK_NUMPAD0 = 0x52;
constexpr BYTE DIK_DECIMAL = 0x53;
constexpr BYTE DIK_OEM_102 = 0x56;
constexpr BYTE DIK_F11 = 0x57;
constexpr BYTE DIK_F12 = 0x58;
constexpr BYTE DIK_NUMPADENTER = 0x9C;
constexpr BYTE DIK_RCONTROL = 0x9D;
constexpr BYTE DIK_DIVIDE = 0xB5;
constexpr BYTE DIK_SYSRQ = 0xB7;
constexpr BYTE DIK_RMENU = 0xB8;
constexpr BYTE DIK_PAUSE = 0xC5;
constexpr BYTE DIK_HOME = 0xC7;
constexpr BYTE DIK_UP = 0xC8;
constexpr BYTE DIK_PRIOR = 0xC9;
constexpr BYTE DIK_LEFT = 0xCB;
constexpr BYTE DIK_RIGHT = 0xCD;
constexpr BYTE DIK_END = 0xCF;
constexpr BYTE DIK_DOWN = 0xD0;
constexpr BYTE DIK_NEXT = 0xD1;
constexpr BYTE DIK_INSERT = 0xD2;
constexpr BYTE DIK_DELETE = 0xD3;
constexpr BYTE DIK_LWIN = 0xDB;
constexpr BYTE DIK_RWIN = 0xDC;
constexpr BYTE DIK_APPS = 0xDD;
constexpr BYTE DIK_BACKSPACE = DIK_BACK;
constexpr BYTE DIK_NUMPADSTAR = DIK_MULTIPLY;
constexpr BYTE DIK_LALT = DIK_LMENU;
constexpr BYTE DIK_CAPSLOCK = DIK_CAPITAL;
constexpr BYTE DIK_NUMPADMINUS = DIK_SUBTRACT;
constexpr BYTE DIK_NUMPADPLUS = DIK_ADD;
constexpr BYTE DIK_NUMPADPERIOD = DIK_DECIMAL;
constexpr BYTE DIK_NUMPADSLASH = DIK_DIVIDE;
constexpr BYTE DIK_RALT = DIK_RMENU;
constexpr BYTE DIK_UPARROW = DIK_UP;
constexpr BYTE DIK_PGUP = DIK_PRIOR;
constexpr BYTE DIK_LEFTARROW = DIK_LEFT;
constexpr BYTE DIK_RIGHTARROW = DIK_RIGHT;
constexpr BYTE DIK_DOWNARROW = DIK_DOWN;
constexpr BYTE DIK_PGDN = DIK_NEXT;

// The physical key (set-1 scan code with the extended bit 0x100) of a key code, and back.
constexpr UINT DIKToScanCode(BYTE dik) { return (dik & 0x7Fu) | ((dik & 0x80u) ? 0x100u : 0u); }
constexpr BYTE ScanCodeToDIK(UINT scan) { return static_cast<BYTE>((scan & 0x7F) | ((scan & 0x100) ? 0x80 : 0)); }
