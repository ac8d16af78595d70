#include "display/DriverSelect.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/display/DirectDrawFixtures.h"

namespace {

TEST(DDBitDepthFlag, Table) {
  const std::pair<int, DWORD> cases[] = {{1, 0x4000}, {2, 0x2000}, {4, 0x1000}, {8, 0x800}, {16, 0x400},
                                         {24, 0x200}, {32, 0x100}, {0, 0},      {15, 0},    {3, 0},
                                         {64, 0},     {-8, 0}};
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
  for (TDriverSelectFlags flags : {TDriverSelectFlags(dsSelectDriver), TDriverSelectFlags(dsSelectDriver | dsBitCountChange)}) {
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
  TDirectDrawSurface* z = nullptr;
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
  TDirectDrawSurface* z = nullptr;
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
  TDirectDrawSurface* z = nullptr;
  IDirect3D7* d3d7 = nullptr;
  IDirect3DDevice7* device7 = nullptr;
  TDriverSelectFlags flags = dsHardware | dsZBuffer | dsRetainedMode;
  try {
    Init3D7(Back.get(), z, d3d7, flags, device7);
    ADD_FAILURE() << "a device was found";
  } catch (const EDXDrawError& e) {
    EXPECT_EQ(e.Message(), "3D device not found");
  }
  EXPECT_EQ(z, nullptr);
  EXPECT_EQ(d3d7, nullptr);
  EXPECT_EQ(device7, nullptr);

  TDXDraw3DInterfaces intf;
  flags = dsZBuffer | dsRetainedMode;
  try {
    Init3DLegacy(Back.get(), z, intf, flags);
    ADD_FAILURE() << "a device was found";
  } catch (const EDXDrawError& e) {
    EXPECT_EQ(e.Message(), "3D device not found");
  }
  EXPECT_EQ(z, nullptr);
  EXPECT_EQ(intf.D3D, nullptr);
  EXPECT_EQ(intf.D3D3, nullptr);
  EXPECT_EQ(intf.D3DDevice3, nullptr);
  EXPECT_EQ(intf.D3DRM, nullptr);
  EXPECT_EQ(DD->SurfaceCount(), 1);
}

}  // namespace
