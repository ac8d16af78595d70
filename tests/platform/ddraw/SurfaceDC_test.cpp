// A DC over a surface's pixels: GDI drawing lands in the surface, and while
// the DC is out the surface counts as locked.
#include "platform/win/Gdi.h"
#include "tests/platform/ddraw/DDrawTestSupport.h"

namespace {

using SurfaceDCTest = DDrawTest;

TEST_F(SurfaceDCTest, GdiDrawsIntoTheSurfaceInItsFormat) {
  struct Case {
    TDDrawPixelFormat Format;
    DWORD Red;
  } cases[] = {{TDDrawPixelFormat::Xrgb32(), 0xFF0000},
               {TDDrawPixelFormat::Rgb24(), 0xFF0000},
               {TDDrawPixelFormat::Rgb565(), 0xF800},
               {TDDrawPixelFormat::Rgb555(), 0x7C00}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Format.BitCount);
    IDirectDrawSurface7* s = Make(4, 3, c.Format);
    HDC dc = nullptr;
    ASSERT_EQ(s->GetDC(&dc), DD_OK);
    ASSERT_NE(dc, nullptr);
    SetPixel(dc, 2, 1, RGB(255, 0, 0));
    ASSERT_EQ(s->ReleaseDC(dc), DD_OK);
    auto px = Get(s);
    EXPECT_EQ(px[1][2], c.Red);
    EXPECT_EQ(px[1][1], 0u);
    s->Release();
  }
}

TEST_F(SurfaceDCTest, IndexedSurfacesDrawWithTheirPalette) {
  PALETTEENTRY entries[256] = {};
  entries[5] = PALETTEENTRY{0, 0, 255, 0};
  entries[9] = PALETTEENTRY{0, 255, 0, 0};
  IDirectDrawPalette* p = nullptr;
  ASSERT_EQ(DD->CreatePalette(DDPCAPS_8BIT | DDPCAPS_ALLOW256, entries, &p, nullptr), DD_OK);
  IDirectDrawSurface7* s = Make(4, 4, TDDrawPixelFormat::IndexedFormat(8));
  ASSERT_EQ(s->SetPalette(p), DD_OK);
  HDC dc = nullptr;
  ASSERT_EQ(s->GetDC(&dc), DD_OK);
  SetPixel(dc, 0, 0, RGB(0, 0, 255));
  SetPixel(dc, 3, 3, RGB(0, 250, 0));
  ASSERT_EQ(s->ReleaseDC(dc), DD_OK);
  auto px = Get(s);
  EXPECT_EQ(px[0][0], 5u);
  EXPECT_EQ(px[3][3], 9u);
  s->Release();
  p->Release();
}

TEST_F(SurfaceDCTest, ADcOutLocksTheSurface) {
  IDirectDrawSurface7* s = Make(4, 4, TDDrawPixelFormat::Xrgb32());
  IDirectDrawSurface7* other = Make(4, 4, TDDrawPixelFormat::Xrgb32());
  HDC dc = nullptr;
  EXPECT_EQ(s->ReleaseDC(nullptr), DDERR_NODC);
  ASSERT_EQ(s->GetDC(&dc), DD_OK);
  HDC second = nullptr;
  EXPECT_EQ(s->GetDC(&second), DDERR_DCALREADYCREATED);
  DDSURFACEDESC2 d;
  EXPECT_EQ(s->Lock(nullptr, &d, DDLOCK_WAIT, nullptr), DDERR_SURFACEBUSY);
  EXPECT_EQ(s->Blt(nullptr, other, nullptr, DDBLT_WAIT, nullptr), DDERR_SURFACEBUSY);
  EXPECT_EQ(other->Blt(nullptr, s, nullptr, DDBLT_WAIT, nullptr), DDERR_SURFACEBUSY);
  EXPECT_EQ(s->BltFast(0, 0, other, nullptr, DDBLTFAST_WAIT), DDERR_SURFACEBUSY);
  DDBLTFX fx;
  EXPECT_EQ(s->Blt(nullptr, nullptr, nullptr, DDBLT_COLORFILL, &fx), DDERR_SURFACEBUSY);
  EXPECT_EQ(s->ReleaseDC(reinterpret_cast<HDC>(0x1234)), DDERR_INVALIDPARAMS);
  ASSERT_EQ(s->ReleaseDC(dc), DD_OK);
  EXPECT_EQ(s->ReleaseDC(dc), DDERR_NODC);
  // And a lock keeps the DC away.
  ASSERT_EQ(s->Lock(nullptr, &d, DDLOCK_WAIT, nullptr), DD_OK);
  EXPECT_EQ(s->GetDC(&dc), DDERR_SURFACEBUSY);
  s->Unlock(static_cast<RECT*>(nullptr));
  s->Release();
  other->Release();
}

TEST_F(SurfaceDCTest, NoDcOnLostSurfacesOrZBuffersAndNoneLeaksWithTheSurface) {
  int baseline = GdiLiveObjectCount();
  IDirectDrawSurface7* s = Make(4, 4, TDDrawPixelFormat::Xrgb32());
  HDC dc = nullptr;
  LoseEmulatedSurfaces();
  EXPECT_EQ(s->GetDC(&dc), DDERR_SURFACELOST);
  ASSERT_EQ(s->Restore(), DD_OK);
  ASSERT_EQ(s->GetDC(&dc), DD_OK);
  EXPECT_GT(GdiLiveObjectCount(), baseline);
  s->Release();  // with the DC still out
  EXPECT_EQ(GdiLiveObjectCount(), baseline);

  DDSURFACEDESC2 d;
  d.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT | DDSD_ZBUFFERBITDEPTH;
  d.dwWidth = d.dwHeight = 4;
  d.dwZBufferBitDepth = 16;
  d.ddsCaps.dwCaps = DDSCAPS_ZBUFFER;
  IDirectDrawSurface7* z = nullptr;
  ASSERT_EQ(DD->CreateSurface(&d, &z, nullptr), DD_OK);
  EXPECT_EQ(z->GetDC(&dc), DDERR_CANTCREATEDC);
  z->Release();
}

TEST_F(SurfaceDCTest, DrawingOnTheScreenShowsInTheWindow) {
  HWND window = Backend.AddWindow(10, 20, 30, 30);
  IDirectDrawSurface7* primary = MakePrimary();
  IDirectDrawClipper* clipper = nullptr;
  ASSERT_EQ(DD->CreateClipper(0, &clipper, nullptr), DD_OK);
  clipper->SetHWnd(0, window);
  primary->SetClipper(clipper);
  HDC dc = nullptr;
  ASSERT_EQ(primary->GetDC(&dc), DD_OK);
  SetPixel(dc, 15, 25, RGB(0, 0, 255));
  ASSERT_EQ(primary->ReleaseDC(dc), DD_OK);
  EXPECT_EQ(Backend.Pixel(window, 5, 5), 0x0000FFu);
  clipper->Release();
  primary->Release();
}

}  // namespace
