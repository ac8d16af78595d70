// The primary surface is the screen: blits to it through a clipper bound to a
// window land in that window's client area, converted to 32-bit XRGB.
#include "platform/win/Modules.h"
#include "tests/platform/ddraw/DDrawTestSupport.h"

namespace {

class PresentationTest : public DDrawTest {
 protected:
  void SetUp() override {
    DDrawTest::SetUp();
    Window = Backend.AddWindow(100, 50, 40, 30);
  }
  void TearDown() override {
    if (Clipper) Clipper->Release();
    if (Primary) Primary->Release();
    DDrawTest::TearDown();
  }
  void MakeScreen() {
    Primary = MakePrimary();
    ASSERT_NE(Primary, nullptr);
    ASSERT_EQ(DD->CreateClipper(0, &Clipper, nullptr), DD_OK);
    ASSERT_EQ(Clipper->SetHWnd(0, Window), DD_OK);
    ASSERT_EQ(Primary->SetClipper(Clipper), DD_OK);
  }
  // A back surface in the display format with a distinct value per pixel.
  IDirectDrawSurface7* MakeBack(LONG w, LONG h) {
    DDSURFACEDESC2 d;
    d.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT;
    d.dwWidth = static_cast<DWORD>(w);
    d.dwHeight = static_cast<DWORD>(h);
    d.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN;
    IDirectDrawSurface7* s = nullptr;
    EXPECT_EQ(DD->CreateSurface(&d, &s, nullptr), DD_OK);
    return s;
  }

  HWND Window = nullptr;
  IDirectDrawSurface7* Primary = nullptr;
  IDirectDrawClipper* Clipper = nullptr;
};

TEST_F(PresentationTest, BlitThroughTheClipperLandsInTheClientArea) {
  MakeScreen();
  IDirectDrawSurface7* back = MakeBack(40, 30);
  std::vector<std::vector<DWORD>> rows(30, std::vector<DWORD>(40));
  for (LONG y = 0; y < 30; ++y)
    for (LONG x = 0; x < 40; ++x) rows[y][x] = static_cast<DWORD>(y * 1000 + x);
  Put(back, rows);
  // The client area's screen place is where the toolkit puts the window.
  POINT origin{0, 0};
  ASSERT_TRUE(ClientToScreen(Window, &origin));
  RECT dest{origin.x, origin.y, origin.x + 40, origin.y + 30};
  ASSERT_EQ(Primary->Blt(&dest, back, nullptr, DDBLT_WAIT, nullptr), DD_OK);
  for (LONG y = 0; y < 30; y += 7)
    for (LONG x = 0; x < 40; x += 9) {
      EXPECT_EQ(Backend.Pixel(Window, x, y), static_cast<DWORD>(y * 1000 + x));
      EXPECT_EQ(EmulatedScreenPixel(100 + x, 50 + y), static_cast<DWORD>(y * 1000 + x));
    }
  EXPECT_EQ(Backend.Windows[Window].Rects.back(), (RECT{0, 0, 40, 30}));
  back->Release();
}

TEST_F(PresentationTest, PartsOutsideTheWindowAreClippedOnScreenAndInTheWindow) {
  MakeScreen();
  IDirectDrawSurface7* back = MakeBack(20, 20);
  FillAll(back, 0x00ABCDEF);
  // Without its clipper a fill covers the whole screen.
  ASSERT_EQ(Primary->SetClipper(nullptr), DD_OK);
  FillAll(Primary, 0x00111111);
  ASSERT_EQ(Primary->SetClipper(Clipper), DD_OK);
  // Ten pixels left of and above the client area.
  RECT dest{90, 40, 110, 60};
  ASSERT_EQ(Primary->Blt(&dest, back, nullptr, DDBLT_WAIT, nullptr), DD_OK);
  EXPECT_EQ(EmulatedScreenPixel(95, 45), 0x00111111u);  // outside the window: untouched
  EXPECT_EQ(EmulatedScreenPixel(100, 50), 0x00ABCDEFu);
  EXPECT_EQ(EmulatedScreenPixel(109, 59), 0x00ABCDEFu);
  EXPECT_EQ(EmulatedScreenPixel(110, 60), 0x00111111u);
  EXPECT_EQ(Backend.Pixel(Window, 0, 0), 0x00ABCDEFu);
  EXPECT_EQ(Backend.Pixel(Window, 9, 9), 0x00ABCDEFu);
  EXPECT_EQ(Backend.Windows[Window].Rects.back(), (RECT{0, 0, 10, 10}));
  // Wholly outside the screen: nothing drawn, nothing presented.
  int presents = Backend.Windows[Window].Presents;
  RECT away{-500, -500, -480, -480};
  ASSERT_EQ(Primary->Blt(&away, back, nullptr, DDBLT_WAIT, nullptr), DD_OK);
  EXPECT_EQ(Backend.Windows[Window].Presents, presents);
  back->Release();
}

TEST_F(PresentationTest, StretchedCentredCopyFollowsTheWindowWhenItMoves) {
  MakeScreen();
  IDirectDrawSurface7* back = MakeBack(2, 1);
  Put(back, {{0x00FF0000, 0x000000FF}});
  RECT dest{110, 60, 130, 70};
  ASSERT_EQ(Primary->Blt(&dest, back, nullptr, DDBLT_WAIT, nullptr), DD_OK);
  EXPECT_EQ(Backend.Pixel(Window, 10, 10), 0x00FF0000u);
  EXPECT_EQ(Backend.Pixel(Window, 29, 19), 0x000000FFu);
  EXPECT_EQ(Backend.Pixel(Window, 30, 10), 0xDEADBEEFu);  // never presented
  Backend.Windows[Window].Left = 300;
  RECT moved{300, 50, 340, 80};
  ASSERT_EQ(Primary->Blt(&moved, back, nullptr, DDBLT_WAIT, nullptr), DD_OK);
  EXPECT_EQ(Backend.Pixel(Window, 0, 0), 0x00FF0000u);
  EXPECT_EQ(Backend.Pixel(Window, 39, 29), 0x000000FFu);
  back->Release();
}

TEST_F(PresentationTest, OtherDisplayFormatsArePresentedAsXrgb) {
  struct Case {
    DWORD Bits;
    bool Rgb555;
    DWORD Pixel, Shown;
  } cases[] = {{16, false, 0xF800, 0x00FF0000},    {16, false, 0x07E0, 0x0000FF00}, {16, false, 0x0841, 0x00080808},
               {16, true, 0x7C00, 0x00FF0000},     {16, true, 0x03FF, 0x0000FFFF},  {24, false, 0x123456, 0x00123456},
               {32, false, 0xAA123456, 0x00123456}};
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.Bits << " " << std::hex << c.Pixel);
    ASSERT_TRUE(SetEmulatedDisplayFormat(c.Bits, c.Rgb555));
    MakeScreen();
    IDirectDrawSurface7* back = MakeBack(4, 4);
    FillAll(back, c.Pixel);
    RECT dest{100, 50, 104, 54};
    ASSERT_EQ(Primary->Blt(&dest, back, nullptr, DDBLT_WAIT, nullptr), DD_OK);
    EXPECT_EQ(Backend.Pixel(Window, 3, 3), c.Shown);
    EXPECT_EQ(EmulatedScreenPixel(100, 50), c.Shown);
    back->Release();
    Clipper->Release();
    Clipper = nullptr;
    Primary->Release();
    Primary = nullptr;
  }
}

TEST_F(PresentationTest, EightBitScreenShowsItsPaletteColours) {
  ASSERT_TRUE(SetEmulatedDisplayFormat(8));
  MakeScreen();
  PALETTEENTRY entries[256] = {};
  entries[7] = PALETTEENTRY{0x10, 0x20, 0x30, 0};
  IDirectDrawPalette* palette = nullptr;
  ASSERT_EQ(DD->CreatePalette(DDPCAPS_8BIT | DDPCAPS_INITIALIZE, entries, &palette, nullptr), DD_OK);
  ASSERT_EQ(Primary->SetPalette(palette), DD_OK);
  IDirectDrawSurface7* back = MakeBack(4, 4);
  FillAll(back, 7);
  RECT dest{100, 50, 104, 54};
  ASSERT_EQ(Primary->Blt(&dest, back, nullptr, DDBLT_WAIT, nullptr), DD_OK);
  EXPECT_EQ(Backend.Pixel(Window, 0, 0), 0x00102030u);
  // New entries show at the next presentation.
  PALETTEENTRY white{255, 255, 255, 0};
  ASSERT_EQ(palette->SetEntries(0, 7, 1, &white), DD_OK);
  ASSERT_EQ(Primary->Blt(&dest, back, nullptr, DDBLT_WAIT, nullptr), DD_OK);
  EXPECT_EQ(Backend.Pixel(Window, 0, 0), 0x00FFFFFFu);
  back->Release();
  palette->Release();
}

TEST_F(PresentationTest, LockedWritesAndFillsOnTheScreenArePresentedToo) {
  MakeScreen();
  DDSURFACEDESC2 d;
  RECT r{105, 55, 107, 57};
  ASSERT_EQ(Primary->Lock(&r, &d, DDLOCK_WAIT, nullptr), DD_OK);
  static_cast<DWORD*>(d.lpSurface)[0] = 0x00C0FFEE;
  ASSERT_EQ(Primary->Unlock(&r), DD_OK);
  EXPECT_EQ(Backend.Pixel(Window, 5, 5), 0x00C0FFEEu);
  DDBLTFX fx;
  fx.dwFillColor = 0x00010203;
  RECT fill{0, 0, 2000, 2000};  // through the clipper: cut to screen and window
  ASSERT_EQ(Primary->Blt(&fill, nullptr, nullptr, DDBLT_COLORFILL, &fx), DD_OK);
  EXPECT_EQ(Backend.Pixel(Window, 39, 29), 0x00010203u);
  EXPECT_EQ(EmulatedScreenPixel(0, 0), 0u);  // outside the window
}

TEST_F(PresentationTest, NothingIsPresentedWithoutAWindowOrBackend) {
  Primary = MakePrimary();
  IDirectDrawSurface7* back = MakeBack(4, 4);
  FillAll(back, 0x00445566);
  RECT dest{100, 50, 104, 54};
  // No clipper: the screen changes, no window shows it.
  ASSERT_EQ(Primary->Blt(&dest, back, nullptr, DDBLT_WAIT, nullptr), DD_OK);
  EXPECT_EQ(EmulatedScreenPixel(100, 50), 0x00445566u);
  EXPECT_EQ(Backend.Windows[Window].Presents, 0);
  // A clipper whose window is gone shows nothing and draws nothing.
  ASSERT_EQ(DD->CreateClipper(0, &Clipper, nullptr), DD_OK);
  ASSERT_EQ(Clipper->SetHWnd(0, reinterpret_cast<HWND>(0x999)), DD_OK);
  ASSERT_EQ(Primary->SetClipper(Clipper), DD_OK);
  FillAll(back, 0x00778899);
  ASSERT_EQ(Primary->Blt(&dest, back, nullptr, DDBLT_WAIT, nullptr), DD_OK);
  EXPECT_EQ(EmulatedScreenPixel(100, 50), 0x00445566u);
  back->Release();
}

}  // namespace

namespace {

// One frame the way a windowed drawing control makes it, all through the
// module and the version-1 interfaces: the back surface is cleared, a keyed
// picture is drawn on it, and after the vertical blank it is copied to the
// control's place on the screen.
TEST(PresentationFrame, WindowedFrameThroughTheModuleReachesTheControl) {
  TFakeWindowBackend backend;
  SetWindowBackend(&backend);
  ResetDDrawEmulation();
  UseManualClock(5000);
  RegisterDDrawModules();
  HWND form = backend.AddWindow(200, 100, 800, 600);
  HWND control = backend.AddWindow(204, 130, 792, 478);

  HMODULE module = LoadLibraryA("DDraw.dll");
  ASSERT_NE(module, nullptr);
  auto createEx = reinterpret_cast<TDirectDrawCreateEx>(GetProcAddress(module, "DirectDrawCreateEx"));
  IDirectDraw7* dd7 = nullptr;
  ASSERT_EQ(createEx(nullptr, reinterpret_cast<void**>(&dd7), IID_IDirectDraw7, nullptr), DD_OK);
  IDirectDraw* dd = nullptr;
  IDirectDraw4* dd4 = nullptr;
  ASSERT_EQ(dd7->QueryInterface(IID_IDirectDraw, reinterpret_cast<void**>(&dd)), DD_OK);
  ASSERT_EQ(dd7->QueryInterface(IID_IDirectDraw4, reinterpret_cast<void**>(&dd4)), DD_OK);
  DDCAPS driver, emulation;
  driver.dwSize = emulation.dwSize = 380;
  ASSERT_EQ(dd->GetCaps(&driver, &emulation), DD_OK);
  ASSERT_EQ(dd->SetCooperativeLevel(form, DDSCL_NORMAL), DD_OK);

  DDSURFACEDESC desc;
  desc.dwSize = 108;
  desc.dwFlags = DDSD_CAPS;
  desc.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE;
  IDirectDrawSurface* primary = nullptr;
  ASSERT_EQ(dd->CreateSurface(&desc, &primary, nullptr), DD_OK);
  IDirectDrawClipper* clipper = nullptr;
  ASSERT_EQ(dd->CreateClipper(0, &clipper, nullptr), DD_OK);
  ASSERT_EQ(clipper->SetHWnd(0, control), DD_OK);
  ASSERT_EQ(primary->SetClipper(clipper), DD_OK);
  PALETTEENTRY entries[256] = {};
  IDirectDrawPalette* palette = nullptr;
  ASSERT_EQ(dd->CreatePalette(DDPCAPS_8BIT | DDPCAPS_INITIALIZE, entries, &palette, nullptr), DD_OK);
  EXPECT_EQ(primary->SetPalette(palette), DDERR_NOTPALETTIZED);  // a 32-bit screen has no palette

  desc.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT;
  desc.dwWidth = 792;
  desc.dwHeight = 478;
  desc.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN;
  IDirectDrawSurface* back = nullptr;
  ASSERT_EQ(dd->CreateSurface(&desc, &back, nullptr), DD_OK);
  desc.dwWidth = 2;
  desc.dwHeight = 2;
  IDirectDrawSurface* picture = nullptr;
  ASSERT_EQ(dd->CreateSurface(&desc, &picture, nullptr), DD_OK);
  DDCOLORKEY magenta{0xFF00FF, 0xFF00FF};
  ASSERT_EQ(picture->SetColorKey(DDCKEY_SRCBLT, &magenta), DD_OK);
  ASSERT_EQ(picture->Lock(nullptr, &desc, DDLOCK_WAIT, nullptr), DD_OK);
  auto* row0 = static_cast<DWORD*>(desc.lpSurface);
  auto* row1 = reinterpret_cast<DWORD*>(static_cast<BYTE*>(desc.lpSurface) + desc.lPitch);
  row0[0] = 0x00FF0000;
  row0[1] = 0x00FF00FF;
  row1[0] = 0x00FF00FF;
  row1[1] = 0x000000FF;
  ASSERT_EQ(picture->Unlock(desc.lpSurface), DD_OK);

  DDBLTFX fx;
  fx.dwSize = 100;
  fx.dwFillColor = 0;
  ASSERT_EQ(back->Blt(nullptr, nullptr, nullptr, DDBLT_COLORFILL | DDBLT_WAIT, &fx), DD_OK);
  ASSERT_EQ(back->BltFast(10, 20, picture, nullptr, DDBLTFAST_WAIT | DDBLTFAST_SRCCOLORKEY), DD_OK);
  ASSERT_EQ(dd->WaitForVerticalBlank(DDWAITVB_BLOCKBEGIN, nullptr), DD_OK);
  EXPECT_EQ(ClockMicroseconds(), 16666);
  POINT origin{0, 0};
  ASSERT_TRUE(ClientToScreen(control, &origin));
  RECT dest{origin.x, origin.y, origin.x + 792, origin.y + 478};
  ASSERT_EQ(primary->Blt(&dest, back, nullptr, DDBLT_WAIT, &fx), DD_OK);

  EXPECT_EQ(backend.Pixel(control, 10, 20), 0x00FF0000u);
  EXPECT_EQ(backend.Pixel(control, 11, 20), 0u);  // keyed out: the cleared back surface shows
  EXPECT_EQ(backend.Pixel(control, 11, 21), 0x000000FFu);
  EXPECT_EQ(backend.Pixel(control, 791, 477), 0u);
  EXPECT_EQ(backend.Windows[form].Presents, 0);
  EXPECT_EQ(EmulatedScreenPixel(214, 150), 0x00FF0000u);

  picture->Release();
  back->Release();
  palette->Release();
  clipper->Release();
  primary->Release();
  dd4->Release();
  dd->Release();
  dd7->Release();
  FreeLibrary(module);
  UseRealClock();
  ResetDDrawEmulation();
  SetWindowBackend(nullptr);
}

}  // namespace
