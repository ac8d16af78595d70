#include "display/DriverSelect.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/display/DirectDrawFixtures.h"

namespace {

TEST(DDBitDepthFlag, Table) {
  const std::pair<int, DWORD> cases[] = {{1, 0x4000}, {2, 0x2000}, {4, 0x1000}, {8, 0x800}, {16, 0x400}, {24, 0x200},
                                         {32, 0x100}, {0, 0},      {15, 0},     {3, 0},     {64, 0},     {-8, 0}};
  for (auto [bits, flag] : cases) EXPECT_EQ(DDBitDepthFlag(bits), flag) << bits;
}

D3DDEVICEDESC DeviceRendering(DWORD depths, DWORD flags = 1) {
  D3DDEVICEDESC d;
  d.dwFlags = flags;
  d.dwDeviceRenderBitDepth = depths;
  return d;
}

TEST(DeviceRule, QualifyingDevices) {
  struct Case {
    const char* Name;
    D3DDEVICEDESC Hardware;
    int BitCount;
    bool MayChange, Answer;
  } cases[] = {
      {"renders at the bit count", DeviceRendering(DDBD_16 | DDBD_32), 16, false, true},
      {"no hardware description", DeviceRendering(DDBD_16, 0), 16, true, false},
      {"fixed bit count it cannot render", DeviceRendering(DDBD_32), 16, false, false},
      {"bit count may change", DeviceRendering(DDBD_32), 16, true, true},
      {"15 bits match nothing", DeviceRendering(DDBD_16 | DDBD_24 | DDBD_32), 15, false, false},
      {"only 8 bits while it may change", DeviceRendering(DDBD_8), 16, true, false},
  };
  for (const Case& c : cases) EXPECT_EQ(DeviceQualifies(c.Hardware, c.BitCount, c.MayChange), c.Answer) << c.Name;

  EXPECT_EQ(DeviceBitCount(DDBD_16 | DDBD_32, 32), 32);
  EXPECT_EQ(DeviceBitCount(DDBD_24 | DDBD_32, 8), 24);
  EXPECT_EQ(DeviceBitCount(DDBD_16 | DDBD_32, 24), 16);
  EXPECT_EQ(DeviceBitCount(DDBD_32, 15), 32);
  EXPECT_EQ(DeviceBitCount(DDBD_8, 16), 16);
}

using DriverSelection = DirectDrawTest;

TEST_F(DriverSelection, WithoutA3DDeviceNothingChanges) {
  const GUID chosen{0xAABBCCDD, 1, 2, {3, 4, 5, 6, 7, 8, 9, 10}};
  for (TDriverSelectFlags flags :
       {TDriverSelectFlags(dsSelectDriver), TDriverSelectFlags(dsSelectDriver | dsBitCountChange)}) {
    int bits = 15;
    TDriverGUID driver(chosen);
    FindDriver(flags, bits, driver);
    EXPECT_EQ(bits, 15);
    EXPECT_EQ(driver, TDriverGUID(chosen));
  }
  int bits = 8;
  TDriverGUID primary = TDriverGUID::Primary();
  FindDriver(dsBitCountChange, bits, primary);
  EXPECT_EQ(bits, 8);
  EXPECT_EQ(primary, TDriverGUID::Primary());
  TDriverGUID unknown(chosen);
  EXPECT_THROW(FindDriver(0, bits, unknown), EDirectDrawError);
}

TEST_F(DriverSelection, SelectDriverWritesTheResultsBack) {
  TFakeDXDraw control;
  control.Disp.SetBitCount(16);
  SelectDriver(dsSelectDriver | dsBitCountChange, &control);
  EXPECT_EQ(control.GuidWrites, 1);
  EXPECT_EQ(control.Guid, TDriverGUID());
  EXPECT_EQ(control.Disp.BitCount(), 16);
}

TEST_F(DriverSelection, MissingDirect3DInterfaces) {
  TRefusingDDrawModule module(nullptr);
  TRefusingDirectDraw::RefuseDirect3D = true;
  TDirectDraw dd(nullptr, false);
  TDirectDrawSurface back(&dd);
  back.SetSize(8, 8);
  std::unique_ptr<TDirectDrawSurface> z;
  TDXDraw3DInterfaces intf;
  TDriverSelectFlags flags = dsZBuffer;
  try {
    Init3DLegacy(&back, z, intf, flags);
    ADD_FAILURE();
  } catch (const EIntfCastError& e) { EXPECT_EQ(e.Message(), "Interface not supported"); }
  EXPECT_EQ(intf.D3D3, nullptr);
  IDirect3D7* d3d7 = nullptr;
  IDirect3DDevice7* device7 = nullptr;
  try {
    Init3D7(&back, z, d3d7, flags, device7);
    ADD_FAILURE();
  } catch (const EDirectDrawError& e) { EXPECT_EQ(e.Message(), "IDirectDraw7 not made"); }
  EXPECT_EQ(flags, dsZBuffer);
}

class ZBuffer : public DirectDrawTest {
 protected:
  void SetUp() override {
    DirectDrawTest::SetUp();
    DD = std::make_unique<TDirectDraw>(nullptr);
    Back = std::make_unique<TDirectDrawSurface>(DD.get());
    Back->SetSize(16, 8);
  }
  void TearDown() override {
    Back.reset();
    DD.reset();
    DirectDrawTest::TearDown();
  }
  IDirectDrawSurface* Attached() {
    DDSCAPS caps;
    caps.dwCaps = DDSCAPS_ZBUFFER;
    IDirectDrawSurface* found = nullptr;
    if (Back->SurfaceIntf()->GetAttachedSurface(&caps, &found) != 0) return nullptr;
    found->Release();
    return found;
  }
  std::unique_ptr<TDirectDraw> DD;
  std::unique_ptr<TDirectDrawSurface> Back;
};

TEST_F(ZBuffer, FirstDepthOf16To32IsMadeAndAttached) {
  std::unique_ptr<TDirectDrawSurface> z;
  ASSERT_TRUE(CreateZBuffer(Back.get(), z, DDBD_8 | DDBD_24 | DDBD_32, false));
  ASSERT_NE(z, nullptr);
  EXPECT_EQ(z->Width(), 16);
  EXPECT_EQ(z->Height(), 8);
  EXPECT_NE(z->SurfaceDesc().ddsCaps.dwCaps & DDSCAPS_ZBUFFER, 0u);
  EXPECT_NE(z->SurfaceDesc().ddsCaps.dwCaps & DDSCAPS_SYSTEMMEMORY, 0u);
  EXPECT_EQ(Attached(), z->SurfaceIntf());
  EXPECT_EQ(DD->SurfaceCount(), 2);

  // A second one replaces the first, in video memory for a hardware device.
  ASSERT_TRUE(CreateZBuffer(Back.get(), z, DDBD_16, true));
  EXPECT_NE(z->SurfaceDesc().ddsCaps.dwCaps & DDSCAPS_VIDEOMEMORY, 0u);
  EXPECT_EQ(DD->SurfaceCount(), 2);
  EXPECT_EQ(Attached(), z->SurfaceIntf());

  ReleaseZBuffer(Back.get(), z);
  EXPECT_EQ(z, nullptr);
  EXPECT_EQ(Attached(), nullptr);
  EXPECT_EQ(DD->SurfaceCount(), 1);
  ReleaseZBuffer(Back.get(), z);
}

TEST_F(ZBuffer, NoUsableDepthOrNoRoomLeavesNone) {
  std::unique_ptr<TDirectDrawSurface> z;
  D3DDEVICEDESC device;
  device.dwDeviceZBufferBitDepth = DDBD_8;
  EXPECT_FALSE(CreateZBuffer(Back.get(), z, device, false));
  EXPECT_EQ(z, nullptr);
  SetVideoMemoryBudget(0);
  EXPECT_FALSE(CreateZBuffer(Back.get(), z, DDBD_32, true));
  EXPECT_EQ(z, nullptr);
  EXPECT_EQ(DD->SurfaceCount(), 1);
  EXPECT_EQ(Attached(), nullptr);
}

TEST_F(ZBuffer, SetUpsFindNo3DDeviceAndLeaveNothingBehind) {
  std::unique_ptr<TDirectDrawSurface> z;
  IDirect3D7* d3d7 = nullptr;
  IDirect3DDevice7* device7 = nullptr;
  TDriverSelectFlags flags = dsHardware | dsZBuffer | dsRetainedMode;
  try {
    Init3D7(Back.get(), z, d3d7, flags, device7);
    ADD_FAILURE() << "a device was found";
  } catch (const EDXDrawError& e) { EXPECT_EQ(e.Message(), "3D device not found"); }
  EXPECT_EQ(z, nullptr);
  EXPECT_EQ(d3d7, nullptr);
  EXPECT_EQ(device7, nullptr);

  TDXDraw3DInterfaces intf;
  flags = dsZBuffer | dsRetainedMode;
  try {
    Init3DLegacy(Back.get(), z, intf, flags);
    ADD_FAILURE() << "a device was found";
  } catch (const EDXDrawError& e) { EXPECT_EQ(e.Message(), "3D device not found"); }
  EXPECT_EQ(z, nullptr);
  EXPECT_EQ(intf.D3D, nullptr);
  EXPECT_EQ(intf.D3D3, nullptr);
  EXPECT_EQ(intf.D3DDevice3, nullptr);
  EXPECT_EQ(intf.D3DRM, nullptr);
  EXPECT_EQ(DD->SurfaceCount(), 1);
}

}  // namespace

#include "tests/display/Direct3DFixtures.h"

namespace {

template <class T>
void Drop(T*& intf) {
  if (intf) intf->Release();
  intf = nullptr;
}

GUID MakeGuid(DWORD n) { return GUID{n, 0x11, 0x22, {1, 2, 3, 4, 5, 6, 7, 8}}; }

TFakeDevice LegacyDevice(DWORD n, bool hardware, DWORD depths, DWORD zDepths = DDBD_16) {
  TFakeDevice d;
  d.Guid = MakeGuid(n);
  D3DDEVICEDESC& desc = hardware ? d.Hardware : d.Software;
  desc.dwFlags = 1;
  desc.dwDeviceRenderBitDepth = depths;
  desc.dwDeviceZBufferBitDepth = zDepths;
  return d;
}

TFakeDevice7 Device7(DWORD n, bool hardware, DWORD depths, DWORD zDepths = DDBD_16) {
  TFakeDevice7 d;
  d.Desc.deviceGUID = MakeGuid(n);
  d.Desc.dwDevCaps = hardware ? D3DDEVCAPS_HWRASTERIZATION : 0;
  d.Desc.dwDeviceRenderBitDepth = depths;
  d.Desc.dwDeviceZBufferBitDepth = zDepths;
  return d;
}

TFakeDriver DriverWith(bool primary, DWORD n, DWORD videoMemory, std::vector<TFakeDevice> devices) {
  TFakeDriver d;
  d.Primary = primary;
  d.Guid = MakeGuid(n);
  d.VideoMemory = videoMemory;
  d.Devices = std::move(devices);
  return d;
}

using DriverSearch = DirectDrawTest;

TEST_F(DriverSearch, PicksTheDriverWithAQualifyingDevice) {
  std::vector<TFakeDriver> drivers{
      DriverWith(true, 0, 8 << 20, {LegacyDevice(1, false, DDBD_16)}),  // software only
      DriverWith(false, 7, 8 << 20, {LegacyDevice(2, true, DDBD_16 | DDBD_32)}),
      DriverWith(false, 8, 4 << 20, {LegacyDevice(3, true, DDBD_16)}),  // less video memory
  };
  drivers[2].Has3D = true;
  TFake3DModule module(drivers);
  int bits = 16;
  TDriverGUID guid;
  FindDriver(dsSelectDriver, bits, guid);
  EXPECT_EQ(guid, TDriverGUID(MakeGuid(7)));
  EXPECT_EQ(bits, 16);

  // A driver without 3D caps takes no part.
  drivers[1].Has3D = false;
  guid = TDriverGUID();
  FindDriver(dsSelectDriver, bits, guid);
  EXPECT_EQ(guid, TDriverGUID(MakeGuid(8)));
}

TEST_F(DriverSearch, TheBitCountFollowsTheChosenDeviceWhenItMayChange) {
  std::vector<TFakeDriver> drivers{DriverWith(true, 0, 1, {LegacyDevice(1, true, DDBD_24 | DDBD_32)})};
  TFake3DModule module(drivers);
  const GUID kept = MakeGuid(99);
  int bits = 16;
  TDriverGUID guid(kept);
  FindDriver(dsSelectDriver, bits, guid);
  EXPECT_EQ(bits, 16);  // a fixed bit count: the device does not qualify
  FindDriver(dsSelectDriver | dsBitCountChange, bits, guid);
  EXPECT_EQ(bits, 24);
  EXPECT_EQ(guid, TDriverGUID(kept));  // the primary display driver leaves it

  bits = 8;
  TDriverGUID primary = TDriverGUID::Primary();
  FindDriver(dsBitCountChange, bits, primary);
  EXPECT_EQ(bits, 24);

  TFakeDXDraw control;
  control.Disp.SetBitCount(32);
  SelectDriver(dsSelectDriver | dsBitCountChange, &control);
  EXPECT_EQ(control.Disp.BitCount(), 32);
  control.Disp.SetBitCount(8);
  SelectDriver(dsBitCountChange, &control);
  EXPECT_EQ(control.Disp.BitCount(), 24);
}

class SetUp3D : public DirectDrawTest {
 protected:
  void Make(std::vector<TFakeDriver>& drivers, bool systemMemory = false) {
    Module = std::make_unique<TFake3DModule>(drivers);
    DD = std::make_unique<TDirectDraw>(nullptr);
    Back = std::make_unique<TDirectDrawSurface>(DD.get());
    Back->SetSystemMemory(systemMemory);
    Back->SetSize(32, 16);
  }
  void TearDown() override {
    Back.reset();
    DD.reset();
    Module.reset();
    DirectDrawTest::TearDown();
  }
  std::unique_ptr<TFake3DModule> Module;
  std::unique_ptr<TDirectDraw> DD;
  std::unique_ptr<TDirectDrawSurface> Back;
};

TEST_F(SetUp3D, DirectX7PrefersHardwareAndSkipsTheReferenceRasteriser) {
  TFakeDriver driver = DriverWith(true, 0, 1, {});
  TFakeDevice7 reference = Device7(1, true, DDBD_32);
  reference.Desc.deviceGUID = IID_IDirect3DRefDevice;
  driver.Devices7 = {Device7(2, false, DDBD_32), reference, Device7(3, true, DDBD_16), Device7(4, true, DDBD_32),
                     Device7(5, false, DDBD_32)};
  std::vector<TFakeDriver> drivers{driver};
  Make(drivers);
  std::unique_ptr<TDirectDrawSurface> z;
  IDirect3D7* d3d7 = nullptr;
  IDirect3DDevice7* device = nullptr;
  TDriverSelectFlags flags = dsHardware | dsZBuffer | dsRetainedMode;
  Init3D7(Back.get(), z, d3d7, flags, device);
  EXPECT_EQ(drivers[0].Created, std::vector<GUID>{MakeGuid(4)});
  EXPECT_EQ(flags, dsHardware | dsZBuffer);
  ASSERT_NE(z, nullptr);
  EXPECT_NE(z->SurfaceDesc().ddsCaps.dwCaps & DDSCAPS_VIDEOMEMORY, 0u);
  EXPECT_NE(d3d7, nullptr);
  EXPECT_NE(device, nullptr);
  ReleaseZBuffer(Back.get(), z);
  Drop(device);
  Drop(d3d7);

  // Without hardware wanted, hardware devices are passed over.
  flags = 0;
  Init3D7(Back.get(), z, d3d7, flags, device);
  EXPECT_EQ(drivers[0].Created.back(), MakeGuid(2));
  EXPECT_EQ(flags, 0);
  EXPECT_EQ(z, nullptr);
  Drop(device);
  Drop(d3d7);
}

TEST_F(SetUp3D, DirectX7TriesSoftwareOnceWhenTheHardwareDeviceFails) {
  TFakeDriver driver = DriverWith(true, 0, 1, {});
  driver.Devices7 = {Device7(2, false, DDBD_32), Device7(4, true, DDBD_32)};
  driver.Devices7[1].Fails = true;
  std::vector<TFakeDriver> drivers{driver};
  Make(drivers);
  std::unique_ptr<TDirectDrawSurface> z;
  IDirect3D7* d3d7 = nullptr;
  IDirect3DDevice7* device = nullptr;
  TDriverSelectFlags flags = dsHardware | dsZBuffer;
  Init3D7(Back.get(), z, d3d7, flags, device);
  EXPECT_EQ(drivers[0].Created, (std::vector<GUID>{MakeGuid(4), MakeGuid(2)}));
  EXPECT_EQ(flags, dsZBuffer);
  ASSERT_NE(z, nullptr);
  EXPECT_NE(z->SurfaceDesc().ddsCaps.dwCaps & DDSCAPS_SYSTEMMEMORY, 0u);
  ReleaseZBuffer(Back.get(), z);
  Drop(device);
  Drop(d3d7);

  // Both failing: the error, and nothing is left behind.
  drivers[0].Devices7[0].Fails = true;
  flags = dsHardware | dsZBuffer;
  try {
    Init3D7(Back.get(), z, d3d7, flags, device);
    ADD_FAILURE();
  } catch (const EDXDrawError& e) { EXPECT_EQ(e.Message(), "IDirect3DDevice7 cannot be made"); }
  EXPECT_EQ(z, nullptr);
  EXPECT_EQ(d3d7, nullptr);
  EXPECT_EQ(device, nullptr);
  EXPECT_EQ(flags, dsHardware | dsZBuffer);
  EXPECT_EQ(DD->SurfaceCount(), 1);
}

TEST_F(SetUp3D, DirectX7NeedsADeviceAtTheSurfacesBitCount) {
  TFakeDriver driver = DriverWith(true, 0, 1, {});
  driver.Devices7 = {Device7(2, false, DDBD_16), Device7(4, true, DDBD_16 | DDBD_24)};
  std::vector<TFakeDriver> drivers{driver};
  Make(drivers);
  std::unique_ptr<TDirectDrawSurface> z;
  IDirect3D7* d3d7 = nullptr;
  IDirect3DDevice7* device = nullptr;
  TDriverSelectFlags flags = dsHardware;
  EXPECT_THROW(Init3D7(Back.get(), z, d3d7, flags, device), EDXDrawError);
  EXPECT_TRUE(drivers[0].Created.empty());
}

TEST_F(SetUp3D, OlderPathSetsRenderStatesAndFailsOnTheRetainedModeDevice) {
  TFakeDriver driver = DriverWith(true, 0, 1, {LegacyDevice(2, false, DDBD_32), LegacyDevice(4, true, DDBD_32)});
  std::vector<TFakeDriver> drivers{driver};
  Make(drivers);
  std::unique_ptr<TDirectDrawSurface> z;
  TDXDraw3DInterfaces intf;
  TDriverSelectFlags flags = dsHardware | dsZBuffer;
  Init3DLegacy(Back.get(), z, intf, flags);
  EXPECT_EQ(drivers[0].Created, std::vector<GUID>{MakeGuid(4)});
  EXPECT_EQ(flags, dsHardware | dsZBuffer);
  ASSERT_NE(z, nullptr);
  EXPECT_NE(intf.D3DDevice3, nullptr);
  EXPECT_NE(intf.D3DDevice2, nullptr);
  EXPECT_NE(intf.D3DDevice, nullptr);
  EXPECT_NE(intf.D3D, nullptr);
  EXPECT_EQ(drivers[0].RenderStates,
            (std::vector<std::pair<DWORD, DWORD>>{
                {D3DRENDERSTATE_DITHERENABLE, 1}, {D3DRENDERSTATE_ZENABLE, 1}, {D3DRENDERSTATE_ZWRITEENABLE, 1}}));
  ReleaseZBuffer(Back.get(), z);

  // The display's retained mode makes no device over a Direct3D device.
  drivers[0].RenderStates.clear();
  flags = dsRetainedMode;
  try {
    Init3DLegacy(Back.get(), z, intf, flags);
    ADD_FAILURE();
  } catch (const EDXDrawError& e) { EXPECT_EQ(e.Message(), "IDirect3DRMDevice2 cannot be made"); }
  EXPECT_EQ(drivers[0].RenderStates,
            (std::vector<std::pair<DWORD, DWORD>>{
                {D3DRENDERSTATE_DITHERENABLE, 1}, {D3DRENDERSTATE_ZENABLE, 0}, {D3DRENDERSTATE_ZWRITEENABLE, 0}}));
  EXPECT_EQ(intf.D3DDevice3, nullptr);
  EXPECT_EQ(intf.D3D, nullptr);
  EXPECT_NE(intf.D3DRM3, nullptr);  // the retained-mode object is kept
  intf.ReleaseAll();
  EXPECT_EQ(intf.D3DRM, nullptr);
}

TEST_F(SetUp3D, OlderPathFailsTwiceWithItsOwnText) {
  TFakeDriver driver = DriverWith(true, 0, 1, {LegacyDevice(4, true, DDBD_32)});
  driver.Devices[0].Fails = true;
  std::vector<TFakeDriver> drivers{driver};
  Make(drivers);
  std::unique_ptr<TDirectDrawSurface> z;
  TDXDraw3DInterfaces intf;
  TDriverSelectFlags flags = dsHardware;
  // The hardware device fails; without hardware there is none to try.
  EXPECT_THROW(Init3DLegacy(Back.get(), z, intf, flags), EDXDrawError);
  drivers[0].Devices.push_back(LegacyDevice(2, false, DDBD_32));
  drivers[0].Devices[1].Fails = true;
  drivers[0].Created.clear();
  try {
    Init3DLegacy(Back.get(), z, intf, flags);
    ADD_FAILURE();
  } catch (const EDXDrawError& e) { EXPECT_EQ(e.Message(), "IDirect3DDevice3 cannot be made"); }
  EXPECT_EQ(drivers[0].Created, (std::vector<GUID>{MakeGuid(4), MakeGuid(2)}));
  EXPECT_EQ(intf.D3D3, nullptr);
}

}  // namespace
