// The calls the input component makes, in its order: opening the n-th
// joystick with its own data format and per-offset properties, reading it
// every frame, and surviving a lost foreground.
#include <cstring>
#include <set>

#include "Fixture.h"

namespace {

using InputSequence = DInputFixture;

struct TEnumFind {
  DWORD Wanted = 0;
  DWORD Counter = 0;
  bool Found = false;
  GUID Instance{};
};

BOOL FindNth(const DIDEVICEINSTANCEA* i, void* ref) {
  auto* f = static_cast<TEnumFind*>(ref);
  if (f->Counter == f->Wanted) {
    f->Instance = i->guidInstance;
    f->Found = true;
    return DIENUM_STOP;
  }
  ++f->Counter;
  return DIENUM_CONTINUE;
}

struct TFormat {
  DIOBJECTDATAFORMAT Objects[256];
  GUID Guids[256];
  DIDATAFORMAT Format{DIDATAFORMAT_SIZE32, DIOBJECTDATAFORMAT_SIZE32, DIDF_ABSAXIS, 272, 0, Objects};
};

BOOL AddObject(const DIDEVICEOBJECTINSTANCEA* o, void* ref) {
  auto* f = static_cast<TFormat*>(ref);
  DWORD& n = f->Format.dwNumObjs;
  if (o->guidType == GUID_Unknown || o->dwOfs >= f->Format.dwDataSize || n >= 256) return DIENUM_CONTINUE;
  f->Guids[n] = o->guidType;
  f->Objects[n] = {&f->Guids[n], o->dwOfs, o->dwType, 0};
  ++n;
  return DIENUM_CONTINUE;
}

TEST_F(InputSequence, JoystickOpenedAndReadAsTheInputComponentDoes) {
  VirtualJoystickAdd({.Name = "Zero", .Axes = 2, .Buttons = 2});
  DWORD id = VirtualJoystickAdd({.Name = "One", .Axes = 3, .Buttons = 10, .Hats = 1, .ForceFeedback = true});

  // The ID-th attached joystick (ID 1).
  TEnumFind find;
  find.Wanted = 1;
  ASSERT_EQ(DI->EnumDevices(DIDEVTYPE_JOYSTICK, FindNth, &find, DIEDFL_ATTACHEDONLY), DI_OK);
  ASSERT_TRUE(find.Found);
  IDirectInputDeviceA* dev = Create(find.Instance);
  DIDEVCAPS caps{};
  caps.dwSize = sizeof(caps);
  ASSERT_EQ(dev->GetCapabilities(&caps), DI_OK);
  EXPECT_EQ(caps.dwButtons, 10u);
  EXPECT_TRUE(caps.dwFlags & 0x100);

  TFormat format;
  ASSERT_EQ(dev->EnumObjects(AddObject, &format, DIDFT_ALL), DI_OK);
  EXPECT_EQ(format.Format.dwNumObjs, 14u);
  ASSERT_EQ(dev->SetDataFormat(&format.Format), DI_OK);

  DIPROPDWORD ac{{sizeof(ac), sizeof(DIPROPHEADER), 0, DIPH_DEVICE}, 1};
  EXPECT_EQ(dev->SetProperty(DIPROP_AUTOCENTER, &ac.diph), DI_OK);
  std::set<DWORD> deadZones, ranges;
  for (DWORD ofs = 0; ofs < 271; ++ofs) {
    if (ofs == 32) continue;  // the hat is never asked
    DWORD zone = ofs <= 8 && ofs % 4 == 0 ? 50 : 0;
    DIPROPDWORD dz{{sizeof(dz), sizeof(DIPROPHEADER), ofs, DIPH_BYOFFSET}, zone * 100};
    if (dev->SetProperty(DIPROP_DEADZONE, &dz.diph) == DI_OK) deadZones.insert(ofs);
  }
  for (DWORD ofs = 0; ofs < 271; ++ofs) {
    if (ofs == 32) continue;
    LONG range = ofs <= 8 && ofs % 4 == 0 ? 1000 : 0;
    DIPROPRANGE r{{sizeof(r), sizeof(DIPROPHEADER), ofs, DIPH_BYOFFSET}, -range, range};
    if (dev->SetProperty(DIPROP_RANGE, &r.diph) == DI_OK) ranges.insert(ofs);
  }
  EXPECT_EQ(deadZones, (std::set<DWORD>{0, 4, 8}));
  EXPECT_EQ(ranges, (std::set<DWORD>{0, 4, 8}));

  void* p = nullptr;
  ASSERT_EQ(dev->QueryInterface(IID_IDirectInputDevice2A, &p), S_OK);
  auto* dev2 = static_cast<IDirectInputDevice2A*>(p);
  ASSERT_EQ(dev->SetCooperativeLevel(Main, DISCL_EXCLUSIVE | DISCL_FOREGROUND), DI_OK);

  // A frame: poll, then read with one re-acquire on a lost device.
  auto read = [&](DIJOYSTATE2& s) {
    std::memset(&s, 0, sizeof(s));
    dev2->Poll();
    HRESULT hr = dev->GetDeviceState(sizeof(s), &s);
    if (hr == DIERR_INPUTLOST || hr == DIERR_NOTACQUIRED) {
      dev->Acquire();
      dev2->Poll();
      hr = dev->GetDeviceState(sizeof(s), &s);
    }
    return hr == DI_OK;
  };
  VirtualJoystickSetAxis(id, 0, 32767);
  VirtualJoystickSetAxis(id, 1, -16000);  // inside the 50% dead zone
  VirtualJoystickSetAxis(id, 2, -32768);
  VirtualJoystickSetButton(id, 2, true);
  DIJOYSTATE2 s;
  ASSERT_TRUE(read(s));
  EXPECT_EQ(s.lX, 1000);
  EXPECT_EQ(s.lY, 0);
  EXPECT_EQ(s.lZ, -1000);
  EXPECT_EQ(s.rgbButtons[2], 0x80);
  EXPECT_EQ(s.rgdwPOV[0], 0xFFFFFFFFu);

  // Another application comes to the front: no input until we are back.
  Windows.Foreground = nullptr;
  EXPECT_FALSE(read(s));
  EXPECT_EQ(s.lX, 0);
  Windows.Foreground = Main;
  ASSERT_TRUE(read(s));
  EXPECT_EQ(s.lX, 1000);

  dev2->Release();
  dev->Release();
}

}  // namespace
