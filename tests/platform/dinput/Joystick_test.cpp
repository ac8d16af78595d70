#include <cstring>

#include "Fixture.h"

namespace {

// A data format built from the device's own objects, the way the input
// layer builds its joystick format: every object whose offset lies inside
// the 272-byte extended state.
struct TObjectFormat {
  DIOBJECTDATAFORMAT Objects[256];
  GUID Guids[256];
  DWORD Count = 0;
  DIDATAFORMAT Format{};

  static BOOL Add(const DIDEVICEOBJECTINSTANCEA* o, void* ref) {
    auto* f = static_cast<TObjectFormat*>(ref);
    if (o->guidType == GUID_Unknown || o->dwOfs >= sizeof(DIJOYSTATE2) || f->Count >= 256) return DIENUM_CONTINUE;
    f->Guids[f->Count] = o->guidType;
    f->Objects[f->Count] = {&f->Guids[f->Count], o->dwOfs, o->dwType, 0};
    ++f->Count;
    return DIENUM_CONTINUE;
  }

  HRESULT Apply(IDirectInputDeviceA* d) {
    EXPECT_EQ(d->EnumObjects(Add, this, DIDFT_ALL), DI_OK);
    Format = {DIDATAFORMAT_SIZE32, DIOBJECTDATAFORMAT_SIZE32, DIDF_ABSAXIS, sizeof(DIJOYSTATE2), Count, Objects};
    return d->SetDataFormat(&Format);
  }
};

class Joystick : public DInputFixture {
 protected:
  DWORD Id = 0;
  IDirectInputDeviceA* Dev = nullptr;
  IDirectInputDevice2A* Dev2 = nullptr;

  void Open(const TVirtualJoystickConfig& config) {
    Id = VirtualJoystickAdd(config);
    Dev = Create(FirstStick());
    ASSERT_NE(Dev, nullptr);
    Dev2 = Second(Dev);
  }

  void TearDown() override {
    if (Dev2) Dev2->Release();
    if (Dev) Dev->Release();
    DInputFixture::TearDown();
  }

  DIJOYSTATE2 Read() {
    DIJOYSTATE2 s;
    std::memset(&s, 0xEE, sizeof(s));
    EXPECT_EQ(Dev2->Poll(), DI_OK);
    EXPECT_EQ(Dev->GetDeviceState(sizeof(s), &s), DI_OK);
    return s;
  }

  HRESULT SetDword(const GUID* prop, DWORD obj, DWORD how, DWORD value) {
    DIPROPDWORD p{{sizeof(p), sizeof(DIPROPHEADER), obj, how}, value};
    return Dev->SetProperty(prop, &p.diph);
  }
  HRESULT SetRange(DWORD obj, LONG min, LONG max, DWORD how = DIPH_BYOFFSET) {
    DIPROPRANGE p{{sizeof(p), sizeof(DIPROPHEADER), obj, how}, min, max};
    return Dev->SetProperty(DIPROP_RANGE, &p.diph);
  }
};

TEST_F(Joystick, CapabilitiesAndObjectsAtTheirStateOffsets) {
  Open({.Name = "Pad", .Axes = 3, .Buttons = 12, .Hats = 1});
  DIDEVCAPS caps{};
  caps.dwSize = sizeof(caps);
  ASSERT_EQ(Dev->GetCapabilities(&caps), DI_OK);
  EXPECT_EQ(caps.dwAxes, 3u);
  EXPECT_EQ(caps.dwButtons, 12u);
  EXPECT_EQ(caps.dwPOVs, 1u);
  EXPECT_EQ(GET_DIDEVICE_TYPE(caps.dwDevType), DIDEVTYPE_JOYSTICK);
  EXPECT_TRUE(caps.dwFlags & DIDC_ATTACHED);
  EXPECT_TRUE(caps.dwFlags & DIDC_POLLEDDEVICE);
  EXPECT_FALSE(caps.dwFlags & DIDC_FORCEFEEDBACK);

  struct Seen {
    std::vector<std::pair<DWORD, GUID>> objs;
  } seen;
  Dev->EnumObjects(
      [](const DIDEVICEOBJECTINSTANCEA* o, void* ref) -> BOOL {
        static_cast<Seen*>(ref)->objs.push_back({o->dwOfs, o->guidType});
        return DIENUM_CONTINUE;
      },
      &seen, DIDFT_ALL);
  ASSERT_EQ(seen.objs.size(), 16u);
  EXPECT_EQ(seen.objs[0], std::make_pair(DIJOFS_X, GUID_XAxis));
  EXPECT_EQ(seen.objs[1], std::make_pair(DIJOFS_Y, GUID_YAxis));
  EXPECT_EQ(seen.objs[2], std::make_pair(DIJOFS_Z, GUID_ZAxis));
  EXPECT_EQ(seen.objs[3], std::make_pair(DIJOFS_BUTTON(0), GUID_Button));
  EXPECT_EQ(seen.objs[14], std::make_pair(DIJOFS_BUTTON(11), GUID_Button));
  EXPECT_EQ(seen.objs[15], std::make_pair(DIJOFS_POV(0), GUID_POV));

  int axes = 0;
  Dev->EnumObjects(
      [](const DIDEVICEOBJECTINSTANCEA*, void* ref) -> BOOL {
        ++*static_cast<int*>(ref);
        return DIENUM_CONTINUE;
      },
      &axes, DIDFT_AXIS);
  EXPECT_EQ(axes, 3);
}

TEST_F(Joystick, ReadsAxesButtonsAndHatsAfterEachPoll) {
  Open({.Axes = 3, .Buttons = 12, .Hats = 1});
  TObjectFormat format;
  ASSERT_EQ(format.Apply(Dev), DI_OK);
  ASSERT_EQ(Dev->SetCooperativeLevel(Main, DISCL_NONEXCLUSIVE | DISCL_FOREGROUND), DI_OK);
  ASSERT_EQ(Dev->Acquire(), DI_POLLEDDEVICE);

  DIJOYSTATE2 s = Read();
  EXPECT_EQ(s.lX, 32768);  // centre of the default 0..65535
  EXPECT_EQ(s.rgdwPOV[0], 0xFFFFFFFFu);
  EXPECT_EQ(s.rgdwPOV[1], 0u);  // no object there: zero
  EXPECT_EQ(s.lRx, 0);

  VirtualJoystickSetAxis(Id, 0, 32767);
  VirtualJoystickSetAxis(Id, 1, -32768);
  VirtualJoystickSetButton(Id, 0, true);
  VirtualJoystickSetButton(Id, 11, true);
  VirtualJoystickSetHat(Id, 0, STICK_HAT_DOWN | STICK_HAT_LEFT);
  // Without a poll the device still reports the old state.
  DIJOYSTATE2 stale;
  ASSERT_EQ(Dev->GetDeviceState(sizeof(stale), &stale), DI_OK);
  EXPECT_EQ(stale.lX, 32768);
  s = Read();
  EXPECT_EQ(s.lX, 65535);
  EXPECT_EQ(s.lY, 0);
  EXPECT_EQ(s.rgbButtons[0], 0x80);
  EXPECT_EQ(s.rgbButtons[1], 0);
  EXPECT_EQ(s.rgbButtons[11], 0x80);
  EXPECT_EQ(s.rgbButtons[12], 0);
  EXPECT_EQ(s.rgdwPOV[0], 22500u);
}

TEST_F(Joystick, HatDirectionsInHundredthsOfDegrees) {
  struct Case {
    BYTE hat;
    DWORD pov;
  } cases[] = {
      {0, 0xFFFFFFFF},
      {STICK_HAT_UP, 0},
      {STICK_HAT_UP | STICK_HAT_RIGHT, 4500},
      {STICK_HAT_RIGHT, 9000},
      {STICK_HAT_DOWN | STICK_HAT_RIGHT, 13500},
      {STICK_HAT_DOWN, 18000},
      {STICK_HAT_DOWN | STICK_HAT_LEFT, 22500},
      {STICK_HAT_LEFT, 27000},
      {STICK_HAT_UP | STICK_HAT_LEFT, 31500},
      {STICK_HAT_UP | STICK_HAT_DOWN, 0xFFFFFFFF},
  };
  Open({.Axes = 2, .Buttons = 0, .Hats = 2});
  ASSERT_EQ(Dev->SetDataFormat(&c_dfDIJoystick), DI_OK);
  ASSERT_EQ(Dev->Acquire(), DI_POLLEDDEVICE);
  for (const auto& c : cases) {
    VirtualJoystickSetHat(Id, 1, c.hat);
    Dev2->Poll();
    DIJOYSTATE s;
    ASSERT_EQ(Dev->GetDeviceState(sizeof(s), &s), DI_OK);
    EXPECT_EQ(s.rgdwPOV[1], c.pov) << int(c.hat);
    EXPECT_EQ(s.rgdwPOV[0], 0xFFFFFFFFu);
    EXPECT_EQ(StickHatToHundredths(c.hat), c.pov);
  }
}

TEST_F(Joystick, RangeDeadZoneAndSaturation) {
  Open({.Axes = 2, .Buttons = 2});
  TObjectFormat format;
  ASSERT_EQ(format.Apply(Dev), DI_OK);
  struct Case {
    LONG min, max;
    DWORD deadZone, saturation;
    LONG raw, expected;
  } cases[] = {
      {0, 65535, 0, 10000, 0, 32768},
      {0, 65535, 0, 10000, 32767, 65535},
      {0, 65535, 0, 10000, -32768, 0},
      {-1000, 1000, 5000, 10000, 0, 0},
      {-1000, 1000, 5000, 10000, 16383, 0},  // inside the dead zone
      {-1000, 1000, 5000, 10000, -16383, 0},
      {-1000, 1000, 5000, 10000, 24575, 500},  // half way out of it
      {-1000, 1000, 5000, 10000, -24575, -500},
      {-1000, 1000, 5000, 10000, 32767, 1000},
      {-1000, 1000, 5000, 10000, -32768, -1000},
      {-1000, 1000, 10000, 10000, 32767, 0},  // all dead zone
      {0, 100, 0, 9000, 29491, 100},          // past saturation
      {0, 100, 0, 9000, -29491, 0},
      {0, 100, 0, 5000, 8192, 75},
      {-5, 5, 0, 10000, 0, 0},
      {7, 7, 0, 10000, 12345, 7},  // an empty range
  };
  for (const auto& c : cases) {
    Dev->Unacquire();
    ASSERT_EQ(SetRange(DIJOFS_Y, c.min, c.max), DI_OK);
    ASSERT_EQ(SetDword(DIPROP_DEADZONE, DIJOFS_Y, DIPH_BYOFFSET, c.deadZone), DI_OK);
    ASSERT_EQ(SetDword(DIPROP_SATURATION, DIJOFS_Y, DIPH_BYOFFSET, c.saturation), DI_OK);
    ASSERT_EQ(Dev->Acquire(), DI_POLLEDDEVICE);
    VirtualJoystickSetAxis(Id, 1, c.raw);
    DIJOYSTATE2 s = Read();
    EXPECT_EQ(s.lY, c.expected) << c.min << ".." << c.max << " dz " << c.deadZone << " sat " << c.saturation << " raw "
                                << c.raw;
    EXPECT_EQ(s.lX, 32768) << "X keeps its own range";
  }
  Dev->Unacquire();
  DIPROPRANGE r{{sizeof(r), sizeof(DIPROPHEADER), DIJOFS_Y, DIPH_BYOFFSET}, 0, 0};
  ASSERT_EQ(Dev->GetProperty(DIPROP_RANGE, &r.diph), DI_OK);
  EXPECT_EQ(r.lMin, 7);
  EXPECT_EQ(r.lMax, 7);
  DIPROPDWORD dz{{sizeof(dz), sizeof(DIPROPHEADER), DIJOFS_X, DIPH_BYOFFSET}, 99};
  ASSERT_EQ(Dev->GetProperty(DIPROP_DEADZONE, &dz.diph), DI_OK);
  EXPECT_EQ(dz.dwData, 0u);
}

TEST_F(Joystick, PropertyErrors) {
  Open({.Axes = 3, .Buttons = 12, .Hats = 1});
  TObjectFormat format;
  ASSERT_EQ(format.Apply(Dev), DI_OK);
  EXPECT_EQ(SetDword(DIPROP_DEADZONE, DIJOFS_POV(0), DIPH_BYOFFSET, 4000), DIERR_UNSUPPORTED);
  EXPECT_EQ(SetDword(DIPROP_DEADZONE, DIJOFS_BUTTON(12), DIPH_BYOFFSET, 4000), DIERR_OBJECTNOTFOUND);
  EXPECT_EQ(SetDword(DIPROP_DEADZONE, DIJOFS_RX, DIPH_BYOFFSET, 4000), DIERR_OBJECTNOTFOUND);
  EXPECT_EQ(SetRange(DIJOFS_BUTTON(0), -1, 1), DIERR_UNSUPPORTED);
  EXPECT_EQ(SetRange(DIJOFS_X, 10, -10), DIERR_INVALIDPARAM);
  EXPECT_EQ(SetDword(DIPROP_DEADZONE, DIJOFS_X, DIPH_BYOFFSET, 10001), DIERR_INVALIDPARAM);
  EXPECT_EQ(SetDword(DIPROP_AUTOCENTER, 0, DIPH_DEVICE, 1), DIERR_UNSUPPORTED);  // no force feedback
  EXPECT_EQ(SetDword(DIPROP_FFGAIN, 0, DIPH_DEVICE, 1), DIERR_UNSUPPORTED);
  DIPROPDWORD bad{{sizeof(DIPROPRANGE), sizeof(DIPROPHEADER), DIJOFS_X, DIPH_BYOFFSET}, 1};
  EXPECT_EQ(Dev->SetProperty(DIPROP_DEADZONE, &bad.diph), DIERR_INVALIDPARAM);
  bad.diph = {sizeof(DIPROPDWORD), 12, DIJOFS_X, DIPH_BYOFFSET};
  EXPECT_EQ(Dev->SetProperty(DIPROP_DEADZONE, &bad.diph), DIERR_INVALIDPARAM);
  EXPECT_EQ(Dev->SetProperty(DIPROP_DEADZONE, nullptr), DIERR_INVALIDPARAM);

  // By id and for the whole device.
  DIDEVICEOBJECTINSTANCEA z{};
  z.dwSize = sizeof(z);
  ASSERT_EQ(Dev->GetObjectInfo(&z, DIJOFS_Z, DIPH_BYOFFSET), DI_OK);
  EXPECT_EQ(SetDword(DIPROP_DEADZONE, z.dwType, DIPH_BYID, 1234), DI_OK);
  DIPROPDWORD got{{sizeof(got), sizeof(DIPROPHEADER), DIJOFS_Z, DIPH_BYOFFSET}, 0};
  Dev->GetProperty(DIPROP_DEADZONE, &got.diph);
  EXPECT_EQ(got.dwData, 1234u);
  EXPECT_EQ(SetDword(DIPROP_SATURATION, 0, DIPH_DEVICE, 8000), DI_OK);
  got.diph.dwObj = DIJOFS_Y;
  Dev->GetProperty(DIPROP_SATURATION, &got.diph);
  EXPECT_EQ(got.dwData, 8000u);

  ASSERT_EQ(Dev->Acquire(), DI_POLLEDDEVICE);
  EXPECT_EQ(SetRange(DIJOFS_X, -1, 1), DIERR_ACQUIRED);
}

TEST_F(Joystick, InjectedPropertyRejections) {
  Open({.Axes = 3, .Buttons = 4});
  TObjectFormat format;
  ASSERT_EQ(format.Apply(Dev), DI_OK);
  DInputTest::RejectPropertyAt(DIPROP_DEADZONE, DIJOFS_Y, DIERR_UNSUPPORTED);
  DInputTest::RejectProperty(DIPROP_RANGE, DIERR_GENERIC);
  EXPECT_EQ(SetDword(DIPROP_DEADZONE, DIJOFS_X, DIPH_BYOFFSET, 5000), DI_OK);
  EXPECT_EQ(SetDword(DIPROP_DEADZONE, DIJOFS_Y, DIPH_BYOFFSET, 5000), DIERR_UNSUPPORTED);
  EXPECT_EQ(SetRange(DIJOFS_X, -1000, 1000), DIERR_GENERIC);
  EXPECT_EQ(SetRange(DIJOFS_Z, -1000, 1000), DIERR_GENERIC);
  DInputTest::Reset();
  EXPECT_EQ(SetRange(DIJOFS_Z, -1000, 1000), DI_OK);
}

TEST_F(Joystick, StandardFormatsPlaceSlidersAndButtons) {
  Open({.Axes = 8, .Buttons = 40, .Hats = 4});
  for (int a = 0; a < 8; ++a) VirtualJoystickSetAxis(Id, a, -32768);
  VirtualJoystickSetAxis(Id, 6, 32767);
  VirtualJoystickSetButton(Id, 31, true);
  VirtualJoystickSetButton(Id, 39, true);

  ASSERT_EQ(Dev->SetDataFormat(&c_dfDIJoystick2), DI_OK);
  ASSERT_EQ(Dev->Acquire(), DI_POLLEDDEVICE);
  DIJOYSTATE2 s = Read();
  EXPECT_EQ(s.rglSlider[0], 65535);
  EXPECT_EQ(s.rglSlider[1], 0);
  EXPECT_EQ(s.lRz, 0);
  EXPECT_EQ(s.rgbButtons[39], 0x80);
  EXPECT_EQ(s.lVX, 0);  // no velocity objects
  Dev->Unacquire();

  ASSERT_EQ(Dev->SetDataFormat(&c_dfDIJoystick), DI_OK);
  ASSERT_EQ(Dev->Acquire(), DI_POLLEDDEVICE);
  Dev2->Poll();
  DIJOYSTATE j;
  ASSERT_EQ(Dev->GetDeviceState(sizeof(j), &j), DI_OK);
  EXPECT_EQ(j.rglSlider[0], 65535);
  EXPECT_EQ(j.rgbButtons[31], 0x80);
  EXPECT_EQ(Dev->GetDeviceState(sizeof(DIJOYSTATE2), &s), DIERR_INVALIDPARAM);
  // Buttons past the format's 32 have no offset in it.
  DIDEVICEOBJECTINSTANCEA o{};
  o.dwSize = sizeof(o);
  EXPECT_EQ(Dev->GetObjectInfo(&o, DIJOFS_BUTTON(31), DIPH_BYOFFSET), DI_OK);
  EXPECT_EQ(DIDFT_GETINSTANCE(o.dwType), 31u);
  EXPECT_EQ(Dev->GetObjectInfo(&o, 0xFFFFFFFF, DIPH_BYOFFSET), DIERR_OBJECTNOTFOUND);
  EXPECT_EQ(Dev->GetObjectInfo(&o, DIDFT_PSHBUTTON | DIDFT_MAKEINSTANCE(35), DIPH_BYID), DI_OK);
  EXPECT_EQ(o.dwOfs, 0xFFFFFFFFu);
}

TEST_F(Joystick, RelativeFormatReportsChanges) {
  Open({.Axes = 2, .Buttons = 1});
  DIDATAFORMAT rel = c_dfDIJoystick;
  rel.dwFlags = DIDF_RELAXIS;
  ASSERT_EQ(Dev->SetDataFormat(&rel), DI_OK);
  ASSERT_EQ(SetRange(DIJOFS_X, -100, 100), DI_OK);
  VirtualJoystickSetAxis(Id, 0, 32767);
  ASSERT_EQ(Dev->Acquire(), DI_POLLEDDEVICE);
  DIJOYSTATE s;
  Dev2->Poll();
  ASSERT_EQ(Dev->GetDeviceState(sizeof(s), &s), DI_OK);
  EXPECT_EQ(s.lX, 0);
  VirtualJoystickSetAxis(Id, 0, -32768);
  Dev2->Poll();
  ASSERT_EQ(Dev->GetDeviceState(sizeof(s), &s), DI_OK);
  EXPECT_EQ(s.lX, -200);
}

TEST_F(Joystick, UnpluggedStickIsLost) {
  Open({.Axes = 2, .Buttons = 2});
  ASSERT_EQ(Dev->SetDataFormat(&c_dfDIJoystick), DI_OK);
  ASSERT_EQ(Dev->Acquire(), DI_POLLEDDEVICE);
  VirtualJoystickRemove(Id);
  EXPECT_EQ(Dev2->Poll(), DIERR_INPUTLOST);
  EXPECT_EQ(Dev2->Poll(), DIERR_NOTACQUIRED);
  EXPECT_EQ(Dev->Acquire(), DIERR_INPUTLOST);
  DIDEVCAPS caps{};
  caps.dwSize = sizeof(caps);
  Dev->GetCapabilities(&caps);
  EXPECT_FALSE(caps.dwFlags & DIDC_ATTACHED);
}

TEST_F(Joystick, ExclusiveAccessIsPerStick) {
  Open({.Name = "One"});
  VirtualJoystickAdd({.Name = "Two"});
  IDirectInputDeviceA* same = Create(FirstStick());
  IDirectInputDeviceA* other = nullptr;
  GUID second{};
  DI->EnumDevices(
      DIDEVTYPE_JOYSTICK,
      [](const DIDEVICEINSTANCEA* i, void* ref) -> BOOL {
        if (std::strcmp(i->tszInstanceName, "Two") == 0) *static_cast<GUID*>(ref) = i->guidInstance;
        return DIENUM_CONTINUE;
      },
      &second, 0);
  other = Create(second);
  for (auto* d : {Dev, same, other}) {
    d->SetDataFormat(&c_dfDIJoystick);
    d->SetCooperativeLevel(Main, DISCL_EXCLUSIVE | DISCL_BACKGROUND);
  }
  EXPECT_EQ(Dev->Acquire(), DI_POLLEDDEVICE);
  EXPECT_EQ(same->Acquire(), DIERR_OTHERAPPHASPRIO);
  EXPECT_EQ(other->Acquire(), DI_POLLEDDEVICE);
  same->Release();
  other->Release();
}

// ---- The multimedia joystick functions ----

using MultimediaJoystick = DInputFixture;

TEST_F(MultimediaJoystick, SlotsHoldTheAttachedSticks) {
  EXPECT_EQ(joyGetNumDevs(), 16u);
  JOYCAPSA caps;
  JOYINFOEX info{};
  info.dwSize = sizeof(info);
  info.dwFlags = JOY_RETURNALL;
  EXPECT_EQ(joyGetDevCapsA(0, &caps, sizeof(caps)), JOYERR_PARMS);
  EXPECT_EQ(joyGetPosEx(0, &info), JOYERR_UNPLUGGED);

  VirtualJoystickAdd({.Name = "Alpha", .Axes = 3, .Buttons = 5, .Hats = 1});
  VirtualJoystickAdd({.Name = "Beta", .Axes = 2, .Buttons = 40});
  int answering = 0;
  for (UINT id = 0; id < 256; ++id)
    if (joyGetDevCapsA(id, &caps, sizeof(caps)) == JOYERR_NOERROR) ++answering;
  EXPECT_EQ(answering, 2);

  ASSERT_EQ(joyGetDevCapsA(0, &caps, sizeof(caps)), JOYERR_NOERROR);
  EXPECT_STREQ(caps.szPname, "Alpha");
  EXPECT_EQ(caps.wXmin, 0u);
  EXPECT_EQ(caps.wXmax, 65535u);
  EXPECT_EQ(caps.wYmax, 65535u);
  EXPECT_EQ(caps.wNumButtons, 5u);
  EXPECT_EQ(caps.wNumAxes, 3u);
  EXPECT_EQ(caps.wCaps & (JOYCAPS_HASZ | JOYCAPS_HASR | JOYCAPS_HASPOV), JOYCAPS_HASZ | JOYCAPS_HASPOV);
  ASSERT_EQ(joyGetDevCapsA(1, &caps, sizeof(caps)), JOYERR_NOERROR);
  EXPECT_EQ(caps.wNumButtons, 32u);

  EXPECT_EQ(joyGetDevCapsA(0, &caps, sizeof(caps) - 1), MMSYSERR_INVALPARAM);
  EXPECT_EQ(joyGetDevCapsA(0, nullptr, sizeof(caps)), MMSYSERR_INVALPARAM);
  EXPECT_EQ(joyGetDevCapsA(16, &caps, sizeof(caps)), JOYERR_PARMS);
  info.dwSize = 40;
  EXPECT_EQ(joyGetPosEx(0, &info), MMSYSERR_INVALPARAM);
  info.dwSize = sizeof(info);
  EXPECT_EQ(joyGetPosEx(16, &info), JOYERR_PARMS);
  EXPECT_EQ(joyGetPosEx(2, &info), JOYERR_UNPLUGGED);
}

TEST_F(MultimediaJoystick, PositionsRunFromZeroTo65535) {
  DWORD id = VirtualJoystickAdd({.Axes = 3, .Buttons = 40, .Hats = 1});
  struct Case {
    LONG raw;
    DWORD pos;
  } cases[] = {{-32768, 0}, {-1, 32767}, {0, 32768}, {16384, 49152}, {32767, 65535}};
  JOYINFOEX info{};
  for (const auto& c : cases) {
    VirtualJoystickSetAxis(id, 0, c.raw);
    VirtualJoystickSetAxis(id, 2, -c.raw - 1);
    info = {};
    info.dwSize = sizeof(info);
    info.dwFlags = 0x4C7;  // X, Y, Z, point of view, buttons, centred
    ASSERT_EQ(joyGetPosEx(0, &info), JOYERR_NOERROR);
    EXPECT_EQ(info.dwXpos, c.pos);
    EXPECT_EQ(info.dwYpos, 32768u);
    EXPECT_EQ(info.dwZpos, 65535u - c.pos);
  }
  VirtualJoystickSetButton(id, 0, true);
  VirtualJoystickSetButton(id, 4, true);
  VirtualJoystickSetButton(id, 35, true);
  VirtualJoystickSetHat(id, 0, STICK_HAT_UP | STICK_HAT_RIGHT);
  info = {};
  info.dwSize = sizeof(info);
  info.dwFlags = JOY_RETURNBUTTONS | JOY_RETURNPOV | JOY_RETURNX;
  info.dwYpos = 77;
  ASSERT_EQ(joyGetPosEx(0, &info), JOYERR_NOERROR);
  EXPECT_EQ(info.dwButtons, 0x11u);
  EXPECT_EQ(info.dwButtonNumber, 3u);
  EXPECT_EQ(info.dwPOV, JOY_POVFORWARD);
  EXPECT_EQ(info.dwYpos, 77u) << "not asked for";
  info.dwFlags = JOY_RETURNPOVCTS;
  joyGetPosEx(0, &info);
  EXPECT_EQ(info.dwPOV, 4500u);
  VirtualJoystickSetHat(id, 0, 0);
  joyGetPosEx(0, &info);
  EXPECT_EQ(info.dwPOV, JOY_POVCENTERED);
}

}  // namespace
