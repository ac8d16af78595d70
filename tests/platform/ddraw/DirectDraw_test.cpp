// The DirectDraw object: the modules and entry points, driver enumeration,
// interface versions, capabilities, cooperative levels, display modes, the
// vertical-blank wait and the Direct3D stand-in.
#include <array>

#include "platform/ddraw/DDrawObject.h"
#include "platform/ddraw/Direct3D.h"
#include "platform/win/Modules.h"
#include "tests/platform/ddraw/DDrawTestSupport.h"

namespace {

using DirectDrawTest = DDrawTest;

TEST_F(DirectDrawTest, ModulesExportTheEntryPoints) {
  // A replaced entry point comes back with the next registration.
  ModuleRegistry::Register("DDraw.dll", {{"DirectDrawCreate", nullptr}});
  RegisterDDrawModules();
  RegisterDDrawModules();
  HMODULE ddraw = LoadLibraryA("DDraw.dll");
  ASSERT_NE(ddraw, nullptr);
  auto create = reinterpret_cast<TDirectDrawCreate>(GetProcAddress(ddraw, "DirectDrawCreate"));
  auto createEx = reinterpret_cast<TDirectDrawCreateEx>(GetProcAddress(ddraw, "DirectDrawCreateEx"));
  auto enumerate = reinterpret_cast<TDirectDrawEnumerateA>(GetProcAddress(ddraw, "DirectDrawEnumerateA"));
  ASSERT_NE(create, nullptr);
  ASSERT_NE(createEx, nullptr);
  ASSERT_NE(enumerate, nullptr);
  IDirectDraw* dd = nullptr;
  ASSERT_EQ(create(nullptr, &dd, nullptr), DD_OK);
  dd->Release();
  HMODULE rm = LoadLibraryA("D3DRM.dll");
  ASSERT_NE(rm, nullptr);
  EXPECT_NE(GetProcAddress(rm, "Direct3DRMCreate"), nullptr);
  FreeLibrary(rm);
  FreeLibrary(ddraw);
}

TEST_F(DirectDrawTest, OneDriverIsEnumeratedWithANilGuid) {
  struct Seen {
    int Count = 0;
    GUID* Guid = reinterpret_cast<GUID*>(1);
    std::string Description;
  } seen;
  auto callback = [](GUID* guid, char* description, char*, void* context) -> BOOL {
    auto* s = static_cast<Seen*>(context);
    ++s->Count;
    s->Guid = guid;
    s->Description = description;
    return TRUE;
  };
  ASSERT_EQ(DirectDrawEnumerateA(callback, &seen), DD_OK);
  EXPECT_EQ(seen.Count, 1);
  EXPECT_EQ(seen.Guid, nullptr);
  EXPECT_EQ(seen.Description, "Primary Display Driver");
  EXPECT_EQ(DirectDrawEnumerateA(nullptr, nullptr), DDERR_INVALIDPARAMS);
}

TEST_F(DirectDrawTest, CreationChecksDriverInterfaceAndAggregation) {
  GUID unknown{1, 2, 3, {4, 5, 6, 7, 8, 9, 10, 11}};
  IDirectDraw* dd = reinterpret_cast<IDirectDraw*>(1);
  EXPECT_EQ(DirectDrawCreate(&unknown, &dd, nullptr), DDERR_INVALIDDIRECTDRAWGUID);
  EXPECT_EQ(dd, nullptr);
  EXPECT_EQ(DirectDrawCreate(nullptr, &dd, reinterpret_cast<IUnknown*>(DD)), DDERR_INVALIDPARAMS);
  void* out = nullptr;
  EXPECT_EQ(DirectDrawCreateEx(nullptr, &out, IID_IDirectDraw, nullptr), DDERR_INVALIDPARAMS);
  EXPECT_EQ(out, nullptr);
  ASSERT_EQ(DirectDrawCreate(DDCREATE_EMULATIONONLY, &dd, nullptr), DD_OK);
  dd->Release();
}

TEST_F(DirectDrawTest, InterfaceVersionsAreOneObject) {
  IDirectDraw* dd1 = nullptr;
  IDirectDraw4* dd4 = nullptr;
  IDirectDraw7* dd7 = nullptr;
  ASSERT_EQ(DD->QueryInterface(IID_IDirectDraw, reinterpret_cast<void**>(&dd1)), DD_OK);
  ASSERT_EQ(dd1->QueryInterface(IID_IDirectDraw4, reinterpret_cast<void**>(&dd4)), DD_OK);
  ASSERT_EQ(dd4->QueryInterface(IID_IDirectDraw7, reinterpret_cast<void**>(&dd7)), DD_OK);
  EXPECT_EQ(dd7, DD);
  void* none = nullptr;
  EXPECT_EQ(DD->QueryInterface(IID_IDirectDrawSurface, &none), E_NOINTERFACE);
  // A cooperative level set through one version holds for all of them.
  DDSURFACEDESC d;
  d.dwFlags = DDSD_CAPS;
  d.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE;
  IDirectDrawSurface* primary = nullptr;
  ASSERT_EQ(dd1->CreateSurface(&d, &primary, nullptr), DD_OK);
  // A surface keeps its DirectDraw object alive.
  dd1->Release();
  dd4->Release();
  dd7->Release();
  DD->Release();
  DD = nullptr;
  EXPECT_EQ(primary->IsLost(), DD_OK);
  primary->Release();
}

TEST_F(DirectDrawTest, CapsDescribeABlitterWithoutThreeDOrGamma) {
  DDCAPS driver, emulation;
  driver.dwSize = emulation.dwSize = 380;
  ASSERT_EQ(DD->GetCaps(&driver, &emulation), DD_OK);
  EXPECT_EQ(driver.dwSize, 380u);  // the caller's size stays as given
  EXPECT_EQ(driver.dwCaps & DDCAPS_3D, 0u);
  EXPECT_EQ(driver.dwCaps2 & DDCAPS2_PRIMARYGAMMA, 0u);
  EXPECT_TRUE(driver.dwCaps & DDCAPS_BLTSTRETCH);
  EXPECT_TRUE(driver.dwCaps & DDCAPS_COLORKEY);
  EXPECT_TRUE(driver.ddsCaps.dwCaps & DDSCAPS_VIDEOMEMORY);
  EXPECT_EQ(driver.ddsCaps.dwCaps & DDSCAPS_TEXTURE, 0u);
  EXPECT_EQ(emulation.ddsCaps.dwCaps & DDSCAPS_VIDEOMEMORY, 0u);
  EXPECT_EQ(emulation.dwVidMemTotal, 0u);
  EXPECT_EQ(driver.dwVidMemTotal, 16u * 1024 * 1024);
  EXPECT_EQ(DD->GetCaps(nullptr, nullptr), DDERR_INVALIDPARAMS);
}

TEST_F(DirectDrawTest, CooperativeLevelsAreCheckedAndExclusiveModeIsHeldOnce) {
  HWND window = Backend.AddWindow(0, 0, 10, 10);
  const DWORD fullScreen = DDSCL_FULLSCREEN | DDSCL_EXCLUSIVE | DDSCL_ALLOWMODEX;
  EXPECT_EQ(DD->SetCooperativeLevel(window, DDSCL_NORMAL | DDSCL_EXCLUSIVE), DDERR_INVALIDPARAMS);
  EXPECT_EQ(DD->SetCooperativeLevel(window, 0), DDERR_INVALIDPARAMS);
  EXPECT_EQ(DD->SetCooperativeLevel(window, DDSCL_EXCLUSIVE), DDERR_INVALIDPARAMS);
  EXPECT_EQ(DD->SetCooperativeLevel(nullptr, fullScreen), DDERR_INVALIDPARAMS);
  EXPECT_EQ(DD->SetCooperativeLevel(window, 0x1000), DDERR_INVALIDPARAMS);
  ASSERT_EQ(DD->SetCooperativeLevel(window, fullScreen | DDSCL_ALLOWREBOOT | DDSCL_NOWINDOWCHANGES), DD_OK);
  IDirectDraw7* other = nullptr;
  ASSERT_EQ(DirectDrawCreateEx(nullptr, reinterpret_cast<void**>(&other), IID_IDirectDraw7, nullptr), DD_OK);
  EXPECT_EQ(other->SetCooperativeLevel(window, fullScreen), DDERR_EXCLUSIVEMODEALREADYSET);
  EXPECT_EQ(other->SetDisplayMode(640, 480, 8, 0, 0), DDERR_NOEXCLUSIVEMODE);
  ASSERT_EQ(other->SetCooperativeLevel(window, DDSCL_NORMAL), DD_OK);
  ASSERT_EQ(DD->SetCooperativeLevel(window, DDSCL_NORMAL | DDSCL_ALLOWREBOOT), DD_OK);
  EXPECT_EQ(other->SetCooperativeLevel(window, fullScreen), DD_OK);
  other->Release();
  // The released object gave exclusive mode back.
  EXPECT_EQ(DD->SetCooperativeLevel(window, fullScreen), DD_OK);
}

TEST_F(DirectDrawTest, DisplayModesComeFromTheEmulatedList) {
  std::vector<std::array<DWORD, 4>> seen;
  auto collect = [](DDSURFACEDESC* d, void* context) -> HRESULT {
    static_cast<std::vector<std::array<DWORD, 4>>*>(context)->push_back(
        {d->dwWidth, d->dwHeight, d->ddpfPixelFormat.dwRGBBitCount, d->dwRefreshRate});
    return DDENUMRET_OK;
  };
  IDirectDraw* dd1 = nullptr;
  ASSERT_EQ(DD->QueryInterface(IID_IDirectDraw, reinterpret_cast<void**>(&dd1)), DD_OK);
  ASSERT_EQ(dd1->EnumDisplayModes(0, nullptr, &seen, collect), DD_OK);
  ASSERT_EQ(seen.size(), 12u);
  EXPECT_EQ(seen.front(), (std::array<DWORD, 4>{640, 480, 8, 60}));
  EXPECT_EQ(seen.back(), (std::array<DWORD, 4>{1280, 1024, 32, 60}));

  SetEmulatedDisplayModes({{800, 600, 16, false}, {640, 480, 8, false}, {800, 600, 32, false}, {640, 480, 16, true}});
  seen.clear();
  DDSURFACEDESC filter;
  filter.dwFlags = DDSD_WIDTH;
  filter.dwWidth = 800;
  ASSERT_EQ(dd1->EnumDisplayModes(0, &filter, &seen, collect), DD_OK);
  EXPECT_EQ(seen.size(), 2u);
  // A callback that cancels stops the enumeration.
  int calls = 0;
  ASSERT_EQ(dd1->EnumDisplayModes(0, nullptr, &calls,
                                  [](DDSURFACEDESC*, void* c) -> HRESULT {
                                    return ++*static_cast<int*>(c) == 2 ? DDENUMRET_CANCEL : DDENUMRET_OK;
                                  }),
            DD_OK);
  EXPECT_EQ(calls, 2);
  EXPECT_EQ(dd1->EnumDisplayModes(0, nullptr, nullptr, nullptr), DDERR_INVALIDPARAMS);

  // Only listed modes can be set; the 16-bit 640 × 480 mode is 5-5-5.
  EXPECT_EQ(dd1->SetDisplayMode(1024, 768, 32), DDERR_INVALIDMODE);
  EXPECT_EQ(DD->SetDisplayMode(800, 600, 32, 75, 0), DDERR_INVALIDMODE);
  ASSERT_EQ(dd1->SetDisplayMode(640, 480, 16), DD_OK);
  DDSURFACEDESC2 mode;
  ASSERT_EQ(DD->GetDisplayMode(&mode), DD_OK);
  EXPECT_EQ(mode.dwWidth, 640u);
  EXPECT_EQ(mode.dwHeight, 480u);
  EXPECT_EQ(mode.ddpfPixelFormat.dwRBitMask, 0x7C00u);
  IDirectDrawSurface7* primary = MakePrimary();
  ASSERT_EQ(primary->GetSurfaceDesc(&mode), DD_OK);
  EXPECT_EQ(mode.dwWidth, 640u);
  EXPECT_EQ(mode.ddpfPixelFormat.dwRGBBitCount, 16u);

  // A mode change loses the screen; it cannot be restored in another mode.
  ASSERT_EQ(DD->SetDisplayMode(800, 600, 32, 60, 0), DD_OK);
  EXPECT_EQ(primary->IsLost(), DDERR_SURFACELOST);
  EXPECT_EQ(primary->Restore(), DDERR_WRONGMODE);
  ASSERT_EQ(dd1->SetDisplayMode(640, 480, 16), DD_OK);
  EXPECT_EQ(primary->Restore(), DD_OK);
  // Setting the current mode again changes nothing.
  ASSERT_EQ(dd1->SetDisplayMode(640, 480, 16), DD_OK);
  EXPECT_EQ(primary->IsLost(), DD_OK);

  // Not while a surface is locked.
  DDSURFACEDESC2 locked;
  ASSERT_EQ(primary->Lock(nullptr, &locked, DDLOCK_WAIT, nullptr), DD_OK);
  EXPECT_EQ(dd1->SetDisplayMode(800, 600, 16), DDERR_LOCKEDSURFACES);
  primary->Unlock(static_cast<RECT*>(nullptr));

  // Restoring goes back to the desktop, the toolkit's screen.
  ASSERT_EQ(DD->RestoreDisplayMode(), DD_OK);
  ASSERT_EQ(DD->GetDisplayMode(&mode), DD_OK);
  EXPECT_EQ(mode.dwWidth, 1024u);
  EXPECT_EQ(mode.dwHeight, 768u);
  EXPECT_EQ(mode.ddpfPixelFormat.dwRGBBitCount, 32u);
  primary->Release();
  dd1->Release();
}

TEST_F(DirectDrawTest, ModeSetByAnObjectEndsWithIt) {
  IDirectDraw7* other = nullptr;
  ASSERT_EQ(DirectDrawCreateEx(nullptr, reinterpret_cast<void**>(&other), IID_IDirectDraw7, nullptr), DD_OK);
  ASSERT_EQ(other->SetDisplayMode(800, 600, 8, 0, 0), DD_OK);
  DDSURFACEDESC2 mode;
  ASSERT_EQ(DD->GetDisplayMode(&mode), DD_OK);
  EXPECT_EQ(mode.dwWidth, 800u);
  EXPECT_EQ(mode.ddpfPixelFormat.dwFlags, DDPF_RGB | DDPF_PALETTEINDEXED8);
  other->Release();
  ASSERT_EQ(DD->GetDisplayMode(&mode), DD_OK);
  EXPECT_EQ(mode.dwWidth, 1024u);
  Backend.ScreenWidth = 1280;
  ASSERT_EQ(DD->GetDisplayMode(&mode), DD_OK);
  EXPECT_EQ(mode.dwWidth, 1280u);
}

TEST_F(DirectDrawTest, VerticalBlankWaitsForTheNext60HzBoundary) {
  UseManualClock(1000);
  std::vector<std::int64_t> waits;
  SetWaitObserver([&](std::int64_t t) { waits.push_back(t); });
  ASSERT_EQ(DD->WaitForVerticalBlank(DDWAITVB_BLOCKBEGIN, nullptr), DD_OK);
  EXPECT_EQ(ClockMicroseconds(), 16666);
  // Already at a boundary: the next one.
  ASSERT_EQ(DD->WaitForVerticalBlank(DDWAITVB_BLOCKBEGIN, nullptr), DD_OK);
  EXPECT_EQ(ClockMicroseconds(), 33333);
  SetManualClock(49999);
  ASSERT_EQ(DD->WaitForVerticalBlank(DDWAITVB_BLOCKBEGIN, nullptr), DD_OK);
  EXPECT_EQ(ClockMicroseconds(), 50000);
  // Sixty waits take one second to the microsecond: the boundaries do not drift.
  SetManualClock(1000000);
  for (int i = 0; i < 60; ++i) DD->WaitForVerticalBlank(DDWAITVB_BLOCKBEGIN, nullptr);
  EXPECT_EQ(ClockMicroseconds(), 2000000);
  EXPECT_EQ(waits.size(), 63u);
  // The end of the blank: inside it, its end; after it, the end of the next.
  SetManualClock(2000000 + 100);
  ASSERT_EQ(DD->WaitForVerticalBlank(DDWAITVB_BLOCKEND, nullptr), DD_OK);
  EXPECT_EQ(ClockMicroseconds(), 2000000 + TDDrawObject::BlankMicroseconds);
  SetManualClock(2005000);
  ASSERT_EQ(DD->WaitForVerticalBlank(DDWAITVB_BLOCKEND, nullptr), DD_OK);
  EXPECT_EQ(ClockMicroseconds(), 2016666 + TDDrawObject::BlankMicroseconds);
  EXPECT_EQ(DD->WaitForVerticalBlank(DDWAITVB_BLOCKBEGINEVENT, nullptr), DDERR_UNSUPPORTED);
  EXPECT_EQ(DD->WaitForVerticalBlank(0, nullptr), DDERR_INVALIDPARAMS);
  SetWaitObserver(nullptr);
}

TEST_F(DirectDrawTest, Direct3DFindsNoDeviceAndMakesNone) {
  IDirect3D7* d3d7 = nullptr;
  ASSERT_EQ(DD->QueryInterface(IID_IDirect3D7, reinterpret_cast<void**>(&d3d7)), DD_OK);
  int calls = 0;
  ASSERT_EQ(d3d7->EnumDevices(
                [](char*, char*, D3DDEVICEDESC7*, void* c) -> HRESULT {
                  ++*static_cast<int*>(c);
                  return 1;
                },
                &calls),
            DD_OK);
  EXPECT_EQ(calls, 0);
  IDirectDrawSurface7* s = Make(8, 8, TDDrawPixelFormat::Rgb565(), DDSCAPS_OFFSCREENPLAIN | DDSCAPS_3DDEVICE);
  IDirect3DDevice7* device = reinterpret_cast<IDirect3DDevice7*>(1);
  EXPECT_EQ(d3d7->CreateDevice(IID_IDirect3DRefDevice, s, &device), DDERR_NO3D);
  EXPECT_EQ(device, nullptr);
  // The Direct3D object leads back to its DirectDraw object.
  IDirectDraw7* back = nullptr;
  ASSERT_EQ(d3d7->QueryInterface(IID_IDirectDraw7, reinterpret_cast<void**>(&back)), DD_OK);
  EXPECT_EQ(back, DD);
  back->Release();
  d3d7->Release();

  IDirectDraw* dd1 = nullptr;
  ASSERT_EQ(DD->QueryInterface(IID_IDirectDraw, reinterpret_cast<void**>(&dd1)), DD_OK);
  IDirect3D3* d3d3 = nullptr;
  IDirect3D2* d3d2 = nullptr;
  IDirect3D* d3d = nullptr;
  ASSERT_EQ(dd1->QueryInterface(IID_IDirect3D3, reinterpret_cast<void**>(&d3d3)), DD_OK);
  ASSERT_EQ(dd1->QueryInterface(IID_IDirect3D2, reinterpret_cast<void**>(&d3d2)), DD_OK);
  ASSERT_EQ(dd1->QueryInterface(IID_IDirect3D, reinterpret_cast<void**>(&d3d)), DD_OK);
  auto legacy = [](GUID*, char*, char*, D3DDEVICEDESC*, D3DDEVICEDESC*, void* c) -> HRESULT {
    ++*static_cast<int*>(c);
    return 1;
  };
  ASSERT_EQ(d3d3->EnumDevices(legacy, &calls), DD_OK);
  ASSERT_EQ(d3d->EnumDevices(legacy, &calls), DD_OK);
  EXPECT_EQ(calls, 0);
  IDirectDrawSurface4* s4 = nullptr;
  ASSERT_EQ(s->QueryInterface(IID_IDirectDrawSurface4, reinterpret_cast<void**>(&s4)), DD_OK);
  IDirect3DDevice3* device3 = nullptr;
  EXPECT_EQ(d3d3->CreateDevice(IID_IDirect3DRefDevice, s4, &device3, nullptr), DDERR_NO3D);
  s4->Release();

  // Retained mode exists, but has no Direct3D device to build on.
  IDirect3DRM* rm = nullptr;
  ASSERT_EQ(Direct3DRMCreate(&rm), DD_OK);
  IDirect3DRM3* rm3 = nullptr;
  ASSERT_EQ(rm->QueryInterface(IID_IDirect3DRM3, reinterpret_cast<void**>(&rm3)), DD_OK);
  IDirect3DRMDevice3* rmDevice = reinterpret_cast<IDirect3DRMDevice3*>(1);
  EXPECT_EQ(rm3->CreateDeviceFromD3D(d3d2, nullptr, &rmDevice), DDERR_INVALIDPARAMS);
  EXPECT_EQ(rmDevice, nullptr);
  IDirect3DRMFrame3* scene = nullptr;
  ASSERT_EQ(rm3->CreateFrame(nullptr, &scene), DD_OK);
  IDirect3DRMFrame3* camera = nullptr;
  ASSERT_EQ(rm3->CreateFrame(scene, &camera), DD_OK);
  EXPECT_EQ(camera->SetPosition(camera, 0, 0, 0), DD_OK);
  scene->Release();  // the camera keeps its parent
  camera->Release();
  rm3->Release();
  rm->Release();
  d3d->Release();
  d3d2->Release();
  d3d3->Release();
  dd1->Release();
  s->Release();
}

}  // namespace
