#include <array>

#include "Fixture.h"

namespace {

using Keyboard = DInputFixture;
using Mouse = DInputFixture;
using Acquisition = DInputFixture;

std::array<BYTE, 256> ReadKeys(IDirectInputDeviceA* kb, HRESULT expected = DI_OK) {
  std::array<BYTE, 256> keys;
  keys.fill(0xEE);
  EXPECT_EQ(kb->GetDeviceState(256, keys.data()), expected);
  return keys;
}

TEST_F(Keyboard, ReadsKeysByPhysicalPosition) {
  IDirectInputDeviceA* kb = Create(GUID_SysKeyboard);
  ASSERT_EQ(kb->SetDataFormat(&c_dfDIKeyboard), DI_OK);
  ASSERT_EQ(kb->SetCooperativeLevel(Main, DISCL_NONEXCLUSIVE | DISCL_FOREGROUND), DI_OK);
  ASSERT_EQ(kb->Acquire(), DI_OK);

  struct Case {
    UINT vk, scan;
    BYTE dik;
  } cases[] = {
      {'A', 0, DIK_A},
      {VK_RIGHT, 0, DIK_RIGHT},             // extended key: scan 0x14D
      {VK_RETURN, 0x11C, DIK_NUMPADENTER},  // the numeric pad's Enter
      {VK_RETURN, 0, DIK_RETURN},
      {VK_RCONTROL, 0, DIK_RCONTROL},
      {VK_OEM_7, 0, DIK_APOSTROPHE},
      {VK_F1 + 1, 0, DIK_F2},
  };
  for (const auto& c : cases) {
    KeyStateSetKey(c.vk, c.scan, true);
    auto keys = ReadKeys(kb);
    for (int i = 0; i < 256; ++i) EXPECT_EQ(keys[static_cast<size_t>(i)], i == c.dik ? 0x80 : 0) << c.vk << " " << i;
    KeyStateSetKey(c.vk, c.scan, false);
    EXPECT_EQ(ReadKeys(kb)[c.dik], 0);
  }
  kb->Release();
}

TEST_F(Keyboard, SeesNoKeysWhileNoneOfOurWindowsHasFocus) {
  IDirectInputDeviceA* kb = Create(GUID_SysKeyboard);
  kb->SetDataFormat(&c_dfDIKeyboard);
  kb->SetCooperativeLevel(Main, DISCL_NONEXCLUSIVE | DISCL_BACKGROUND);
  ASSERT_EQ(kb->Acquire(), DI_OK);
  KeyStateSetKey(VK_SPACE, 0, true);
  EXPECT_EQ(ReadKeys(kb)[DIK_SPACE], 0x80);
  Windows.Foreground = Other;  // another of our windows: still ours
  EXPECT_EQ(ReadKeys(kb)[DIK_SPACE], 0x80);
  Windows.Foreground = nullptr;  // another application
  EXPECT_EQ(ReadKeys(kb)[DIK_SPACE], 0);
  Windows.Foreground = Main;
  EXPECT_EQ(ReadKeys(kb)[DIK_SPACE], 0x80);
  kb->Release();
}

TEST_F(Keyboard, ReportsItsKeysAsObjects) {
  IDirectInputDeviceA* kb = Create(GUID_SysKeyboard);
  DIDEVCAPS caps{};
  caps.dwSize = sizeof(caps);
  ASSERT_EQ(kb->GetCapabilities(&caps), DI_OK);
  EXPECT_EQ(GET_DIDEVICE_TYPE(caps.dwDevType), DIDEVTYPE_KEYBOARD);
  EXPECT_EQ(caps.dwButtons, 105u);
  EXPECT_EQ(caps.dwAxes, 0u);
  DIDEVICEOBJECTINSTANCEA o{};
  o.dwSize = sizeof(o);
  ASSERT_EQ(kb->GetObjectInfo(&o, DIK_UP, DIPH_BYOFFSET), DI_OK);
  EXPECT_EQ(o.guidType, GUID_Key);
  EXPECT_EQ(DIDFT_GETINSTANCE(o.dwType), DIK_UP);
  EXPECT_EQ(kb->GetObjectInfo(&o, 0x54, DIPH_BYOFFSET), DIERR_OBJECTNOTFOUND);
  caps.dwSize = 12;
  EXPECT_EQ(kb->GetCapabilities(&caps), DIERR_INVALIDPARAM);
  kb->Release();
}

TEST_F(Mouse, ReportsRelativeMotionWheelAndButtons) {
  IDirectInputDeviceA* mouse = Create(GUID_SysMouse);
  ASSERT_EQ(mouse->SetDataFormat(&c_dfDIMouse), DI_OK);
  ASSERT_EQ(mouse->SetCooperativeLevel(Main, DISCL_NONEXCLUSIVE | DISCL_FOREGROUND), DI_OK);
  MouseStateMove(50, 50);  // before acquisition: not reported
  ASSERT_EQ(mouse->Acquire(), DI_OK);

  MouseStateMove(-3, 4);
  MouseStateMove(-2, 1);
  MouseStateWheel(120);
  KeyStateSetMouseButton(VK_LBUTTON, true);
  KeyStateSetMouseButton(VK_MBUTTON, true);
  DIMOUSESTATE s;
  ASSERT_EQ(mouse->GetDeviceState(sizeof(s), &s), DI_OK);
  EXPECT_EQ(s.lX, -5);
  EXPECT_EQ(s.lY, 5);
  EXPECT_EQ(s.lZ, 120);
  EXPECT_EQ(s.rgbButtons[0], 0x80);
  EXPECT_EQ(s.rgbButtons[1], 0);
  EXPECT_EQ(s.rgbButtons[2], 0x80);
  EXPECT_EQ(s.rgbButtons[3], 0);

  // Motion is consumed by the read; buttons stay until released.
  ASSERT_EQ(mouse->GetDeviceState(sizeof(s), &s), DI_OK);
  EXPECT_EQ(s.lX, 0);
  EXPECT_EQ(s.lY, 0);
  EXPECT_EQ(s.lZ, 0);
  EXPECT_EQ(s.rgbButtons[0], 0x80);
  KeyStateSetMouseButton(VK_LBUTTON, false);
  KeyStateSetMouseButton(VK_MBUTTON, false);
  KeyStateSetMouseButton(VK_RBUTTON, true);
  ASSERT_EQ(mouse->GetDeviceState(sizeof(s), &s), DI_OK);
  EXPECT_EQ(s.rgbButtons[0], 0);
  EXPECT_EQ(s.rgbButtons[1], 0x80);
  KeyStateSetMouseButton(VK_RBUTTON, false);

  DIDEVCAPS caps{};
  caps.dwSize = sizeof(caps);
  mouse->GetCapabilities(&caps);
  EXPECT_EQ(caps.dwAxes, 3u);
  EXPECT_EQ(caps.dwButtons, 4u);
  EXPECT_EQ(GET_DIDEVICE_TYPE(caps.dwDevType), DIDEVTYPE_MOUSE);
  mouse->Release();
}

TEST_F(Mouse, AbsoluteFormatAccumulatesPosition) {
  IDirectInputDeviceA* mouse = Create(GUID_SysMouse);
  DIDATAFORMAT abs = c_dfDIMouse;
  abs.dwFlags = DIDF_ABSAXIS;
  ASSERT_EQ(mouse->SetDataFormat(&abs), DI_OK);
  ASSERT_EQ(mouse->Acquire(), DI_OK);
  DIMOUSESTATE s;
  MouseStateMove(10, -4);
  mouse->GetDeviceState(sizeof(s), &s);
  MouseStateMove(5, -1);
  mouse->GetDeviceState(sizeof(s), &s);
  EXPECT_EQ(s.lX, 15);
  EXPECT_EQ(s.lY, -5);
  mouse->Release();
}

TEST_F(Mouse, RangeAndDeadZoneDoNotApply) {
  IDirectInputDeviceA* mouse = Create(GUID_SysMouse);
  mouse->SetDataFormat(&c_dfDIMouse);
  DIPROPRANGE r{{sizeof(r), sizeof(DIPROPHEADER), DIMOFS_X, DIPH_BYOFFSET}, -10, 10};
  EXPECT_EQ(mouse->SetProperty(DIPROP_RANGE, &r.diph), DIERR_UNSUPPORTED);
  DIPROPDWORD ac{{sizeof(ac), sizeof(DIPROPHEADER), 0, DIPH_DEVICE}, 1};
  EXPECT_EQ(mouse->SetProperty(DIPROP_AUTOCENTER, &ac.diph), DIERR_UNSUPPORTED);
  DIPROPDWORD buf{{sizeof(buf), sizeof(DIPROPHEADER), 0, DIPH_DEVICE}, 32};
  EXPECT_EQ(mouse->SetProperty(DIPROP_BUFFERSIZE, &buf.diph), DI_OK);
  buf.dwData = 0;
  EXPECT_EQ(mouse->GetProperty(DIPROP_BUFFERSIZE, &buf.diph), DI_OK);
  EXPECT_EQ(buf.dwData, 32u);
  mouse->Release();
}

TEST_F(Acquisition, CooperativeLevelFlags) {
  IDirectInputDeviceA* kb = Create(GUID_SysKeyboard);
  IDirectInputDeviceA* mouse = Create(GUID_SysMouse);
  VirtualJoystickAdd();
  IDirectInputDeviceA* stick = Create(GUID_Joystick);
  struct Case {
    HWND window;
    DWORD flags;
    HRESULT keyboard, mouse, joystick;
  } cases[] = {
      {Main, DISCL_NONEXCLUSIVE | DISCL_FOREGROUND, DI_OK, DI_OK, DI_OK},
      {Main, DISCL_NONEXCLUSIVE | DISCL_BACKGROUND, DI_OK, DI_OK, DI_OK},
      {Main, DISCL_EXCLUSIVE | DISCL_FOREGROUND, DI_OK, DI_OK, DI_OK},
      {Main, DISCL_EXCLUSIVE | DISCL_BACKGROUND, DIERR_UNSUPPORTED, DIERR_UNSUPPORTED, DI_OK},
      {nullptr, DISCL_NONEXCLUSIVE | DISCL_BACKGROUND, DI_OK, DI_OK, DI_OK},
      {nullptr, DISCL_NONEXCLUSIVE | DISCL_FOREGROUND, DIERR_INVALIDPARAM, DIERR_INVALIDPARAM, DIERR_INVALIDPARAM},
      {nullptr, DISCL_EXCLUSIVE | DISCL_BACKGROUND, DIERR_INVALIDPARAM, DIERR_INVALIDPARAM, DIERR_INVALIDPARAM},
      {reinterpret_cast<HWND>(0x9999), DISCL_NONEXCLUSIVE | DISCL_FOREGROUND, DIERR_INVALIDPARAM, DIERR_INVALIDPARAM,
       DIERR_INVALIDPARAM},
      {Main, DISCL_EXCLUSIVE | DISCL_NONEXCLUSIVE | DISCL_FOREGROUND, DIERR_INVALIDPARAM, DIERR_INVALIDPARAM,
       DIERR_INVALIDPARAM},
      {Main, DISCL_NONEXCLUSIVE | DISCL_FOREGROUND | DISCL_BACKGROUND, DIERR_INVALIDPARAM, DIERR_INVALIDPARAM,
       DIERR_INVALIDPARAM},
      {Main, DISCL_FOREGROUND, DIERR_INVALIDPARAM, DIERR_INVALIDPARAM, DIERR_INVALIDPARAM},
      {Main, DISCL_NONEXCLUSIVE, DIERR_INVALIDPARAM, DIERR_INVALIDPARAM, DIERR_INVALIDPARAM},
      {Main, DISCL_NONEXCLUSIVE | DISCL_FOREGROUND | 0x40, DIERR_INVALIDPARAM, DIERR_INVALIDPARAM, DIERR_INVALIDPARAM},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(kb->SetCooperativeLevel(c.window, c.flags), c.keyboard) << std::hex << c.flags;
    EXPECT_EQ(mouse->SetCooperativeLevel(c.window, c.flags), c.mouse) << std::hex << c.flags;
    EXPECT_EQ(stick->SetCooperativeLevel(c.window, c.flags), c.joystick) << std::hex << c.flags;
  }
  kb->Release();
  mouse->Release();
  stick->Release();
}

TEST_F(Acquisition, ForegroundAccessIsLostAndRegained) {
  IDirectInputDeviceA* kb = Create(GUID_SysKeyboard);
  BYTE keys[256];
  EXPECT_EQ(kb->Acquire(), DIERR_INVALIDPARAM);  // no data format yet
  ASSERT_EQ(kb->SetDataFormat(&c_dfDIKeyboard), DI_OK);
  EXPECT_EQ(kb->GetDeviceState(256, keys), DIERR_NOTACQUIRED);
  ASSERT_EQ(kb->SetCooperativeLevel(Main, DISCL_NONEXCLUSIVE | DISCL_FOREGROUND), DI_OK);

  Windows.Foreground = Other;
  EXPECT_EQ(kb->Acquire(), DIERR_OTHERAPPHASPRIO);
  Windows.Foreground = Main;
  EXPECT_EQ(kb->Acquire(), DI_OK);
  EXPECT_EQ(kb->Acquire(), DI_NOEFFECT);
  EXPECT_EQ(kb->SetDataFormat(&c_dfDIKeyboard), DIERR_ACQUIRED);
  EXPECT_EQ(kb->SetCooperativeLevel(Main, DISCL_NONEXCLUSIVE | DISCL_BACKGROUND), DIERR_ACQUIRED);
  EXPECT_EQ(kb->GetDeviceState(255, keys), DIERR_INVALIDPARAM);
  EXPECT_EQ(kb->GetDeviceState(256, nullptr), DIERR_INVALIDPARAM);
  EXPECT_EQ(kb->GetDeviceState(256, keys), DI_OK);

  // The window loses the foreground: one "input lost", then "not acquired".
  Windows.Foreground = Other;
  EXPECT_EQ(kb->GetDeviceState(256, keys), DIERR_INPUTLOST);
  EXPECT_EQ(kb->GetDeviceState(256, keys), DIERR_NOTACQUIRED);
  EXPECT_EQ(kb->Acquire(), DIERR_OTHERAPPHASPRIO);
  Windows.Foreground = Main;
  EXPECT_EQ(kb->Acquire(), DI_OK);
  EXPECT_EQ(kb->GetDeviceState(256, keys), DI_OK);
  EXPECT_EQ(kb->Unacquire(), DI_OK);
  EXPECT_EQ(kb->Unacquire(), DI_NOEFFECT);
  EXPECT_EQ(kb->GetDeviceState(256, keys), DIERR_NOTACQUIRED);
  kb->Release();
}

TEST_F(Acquisition, ADestroyedWindowTakesItsDevicesAcquisitionAlong) {
  const HWND remade = reinterpret_cast<HWND>(0x3000);
  for (DWORD level : {DWORD{DISCL_NONEXCLUSIVE | DISCL_FOREGROUND}, DWORD{DISCL_NONEXCLUSIVE | DISCL_BACKGROUND}}) {
    SCOPED_TRACE(level);
    Windows.Windows = {Main, Other};
    Windows.Foreground = Main;
    IDirectInputDeviceA* kb = Create(GUID_SysKeyboard);
    ASSERT_EQ(kb->SetDataFormat(&c_dfDIKeyboard), DI_OK);
    ASSERT_EQ(kb->SetCooperativeLevel(Main, level), DI_OK);
    ASSERT_EQ(kb->Acquire(), DI_OK);
    // The window is destroyed and made again under a new handle.
    Windows.Windows = {remade, Other};
    Windows.Foreground = remade;
    EXPECT_EQ(kb->SetCooperativeLevel(remade, level), DI_OK);
    EXPECT_EQ(kb->Acquire(), DI_OK);
    BYTE keys[256];
    EXPECT_EQ(kb->GetDeviceState(256, keys), DI_OK);
    kb->Release();
  }
  // A device still acquired when its window goes reads as not acquired.
  Windows.Windows = {Main, Other};
  Windows.Foreground = Main;
  IDirectInputDeviceA* kb = Create(GUID_SysKeyboard);
  kb->SetDataFormat(&c_dfDIKeyboard);
  kb->SetCooperativeLevel(Main, DISCL_NONEXCLUSIVE | DISCL_BACKGROUND);
  ASSERT_EQ(kb->Acquire(), DI_OK);
  Windows.Windows = {Other};
  BYTE keys[256];
  EXPECT_EQ(kb->GetDeviceState(256, keys), DIERR_NOTACQUIRED);
  EXPECT_EQ(kb->Unacquire(), DI_NOEFFECT);
  kb->Release();
}

TEST_F(Acquisition, InjectedLossAndAcquireFailure) {
  IDirectInputDeviceA* mouse = Create(GUID_SysMouse);
  IDirectInputDeviceA* kb = Create(GUID_SysKeyboard);
  mouse->SetDataFormat(&c_dfDIMouse);
  kb->SetDataFormat(&c_dfDIKeyboard);
  ASSERT_EQ(mouse->Acquire(), DI_OK);
  ASSERT_EQ(kb->Acquire(), DI_OK);
  DInputTest::LoseInput(TDInputDeviceKind::Mouse);
  DIMOUSESTATE s;
  BYTE keys[256];
  EXPECT_EQ(mouse->GetDeviceState(sizeof(s), &s), DIERR_INPUTLOST);
  EXPECT_EQ(kb->GetDeviceState(256, keys), DI_OK);

  DInputTest::SetAcquireResult(TDInputDeviceKind::Mouse, DIERR_OTHERAPPHASPRIO);
  EXPECT_EQ(mouse->Acquire(), DIERR_OTHERAPPHASPRIO);
  EXPECT_EQ(mouse->GetDeviceState(sizeof(s), &s), DIERR_NOTACQUIRED);
  DInputTest::SetAcquireResult(TDInputDeviceKind::Mouse, DI_OK);
  EXPECT_EQ(mouse->Acquire(), DI_OK);
  EXPECT_EQ(mouse->GetDeviceState(sizeof(s), &s), DI_OK);
  mouse->Release();
  kb->Release();
}

TEST_F(Acquisition, OnlyOneExclusiveHolderPerDevice) {
  IDirectInputDeviceA* a = Create(GUID_SysKeyboard);
  IDirectInputDeviceA* b = Create(GUID_SysKeyboard);
  for (auto* d : {a, b}) {
    d->SetDataFormat(&c_dfDIKeyboard);
    d->SetCooperativeLevel(Main, DISCL_EXCLUSIVE | DISCL_FOREGROUND);
  }
  EXPECT_EQ(a->Acquire(), DI_OK);
  EXPECT_EQ(b->Acquire(), DIERR_OTHERAPPHASPRIO);
  a->Unacquire();
  EXPECT_EQ(b->Acquire(), DI_OK);
  a->Release();
  b->Release();
}

TEST_F(Acquisition, DataFormatsAreChecked) {
  IDirectInputDeviceA* mouse = Create(GUID_SysMouse);
  DIOBJECTDATAFORMAT objs[2] = {{&GUID_XAxis, 0, DIDFT_AXIS | DIDFT_ANYINSTANCE, 0},
                                {&GUID_YAxis, 4, DIDFT_AXIS | DIDFT_ANYINSTANCE, 0}};
  struct Case {
    DWORD size, objSize, flags, dataSize;
    DWORD ofsY;
    const GUID* guidY;
    HRESULT expected;
  } cases[] = {
      {sizeof(DIDATAFORMAT), sizeof(DIOBJECTDATAFORMAT), DIDF_RELAXIS, 8, 4, &GUID_YAxis, DI_OK},
      {DIDATAFORMAT_SIZE32, DIOBJECTDATAFORMAT_SIZE32, DIDF_RELAXIS, 8, 4, &GUID_YAxis, DI_OK},
      {20, sizeof(DIOBJECTDATAFORMAT), DIDF_RELAXIS, 8, 4, &GUID_YAxis, DIERR_INVALIDPARAM},
      {sizeof(DIDATAFORMAT), 12, DIDF_RELAXIS, 8, 4, &GUID_YAxis, DIERR_INVALIDPARAM},
      {sizeof(DIDATAFORMAT), sizeof(DIOBJECTDATAFORMAT), DIDF_RELAXIS, 6, 4, &GUID_YAxis, DIERR_INVALIDPARAM},
      {sizeof(DIDATAFORMAT), sizeof(DIOBJECTDATAFORMAT), DIDF_RELAXIS, 8, 6, &GUID_YAxis, DIERR_INVALIDPARAM},
      {sizeof(DIDATAFORMAT), sizeof(DIOBJECTDATAFORMAT), DIDF_RELAXIS, 8, 8, &GUID_YAxis, DIERR_INVALIDPARAM},
      {sizeof(DIDATAFORMAT), sizeof(DIOBJECTDATAFORMAT), DIDF_RELAXIS, 8, 4, &GUID_RzAxis, DIERR_INVALIDPARAM},
      {sizeof(DIDATAFORMAT), sizeof(DIOBJECTDATAFORMAT), DIDF_RELAXIS | DIDF_ABSAXIS, 8, 4, &GUID_YAxis,
       DIERR_INVALIDPARAM},
  };
  for (const auto& c : cases) {
    objs[1].dwOfs = c.ofsY;
    objs[1].pguid = c.guidY;
    DIDATAFORMAT f{c.size, c.objSize, c.flags, c.dataSize, 2, objs};
    EXPECT_EQ(mouse->SetDataFormat(&f), c.expected) << c.size << "/" << c.dataSize << "/" << c.ofsY;
  }
  // An optional object the device lacks is left out.
  objs[1] = {&GUID_RzAxis, 4, DIDFT_AXIS | DIDFT_ANYINSTANCE | DIDFT_OPTIONAL, 0};
  DIDATAFORMAT f{sizeof(DIDATAFORMAT), sizeof(DIOBJECTDATAFORMAT), 0, 8, 2, objs};
  ASSERT_EQ(mouse->SetDataFormat(&f), DI_OK);
  ASSERT_EQ(mouse->Acquire(), DI_OK);
  MouseStateMove(7, 9);
  LONG xy[2] = {-1, -1};
  ASSERT_EQ(mouse->GetDeviceState(8, xy), DI_OK);
  EXPECT_EQ(xy[0], 7);
  EXPECT_EQ(xy[1], 0);
  mouse->Release();
}

}  // namespace
