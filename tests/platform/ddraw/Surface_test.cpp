// Surfaces: creation and description, locking, rectangle checks, loss and
// restore, the video-memory budget, colour keys, palettes, duplicates, flip
// chains and z-buffers.
#include "tests/platform/ddraw/DDrawTestSupport.h"

namespace {

using SurfaceTest = DDrawTest;

TEST_F(SurfaceTest, DescriptionReportsFormatMasksPitchAndCaps) {
  struct Case {
    TDDrawPixelFormat Format;
    DWORD Flags, R, G, B;
    LONG Pitch;  // for a width of 10
  } cases[] = {
      {TDDrawPixelFormat::IndexedFormat(1), DDPF_RGB | DDPF_PALETTEINDEXED1, 0, 0, 0, 4},
      {TDDrawPixelFormat::IndexedFormat(2), DDPF_RGB | DDPF_PALETTEINDEXED2, 0, 0, 0, 4},
      {TDDrawPixelFormat::IndexedFormat(4), DDPF_RGB | DDPF_PALETTEINDEXED4, 0, 0, 0, 8},
      {TDDrawPixelFormat::IndexedFormat(8), DDPF_RGB | DDPF_PALETTEINDEXED8, 0, 0, 0, 12},
      {TDDrawPixelFormat::Rgb565(), DDPF_RGB, 0xF800, 0x07E0, 0x001F, 20},
      {TDDrawPixelFormat::Rgb555(), DDPF_RGB, 0x7C00, 0x03E0, 0x001F, 20},
      {TDDrawPixelFormat::Rgb24(), DDPF_RGB, 0xFF0000, 0xFF00, 0xFF, 32},
      {TDDrawPixelFormat::Xrgb32(), DDPF_RGB, 0xFF0000, 0xFF00, 0xFF, 40},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Format.BitCount);
    IDirectDrawSurface7* s = Make(10, 3, c.Format);
    ASSERT_NE(s, nullptr);
    DDCOLORKEY key{5, 5};
    ASSERT_EQ(s->SetColorKey(DDCKEY_SRCBLT, &key), DD_OK);
    DDSURFACEDESC2 d;
    ASSERT_EQ(s->GetSurfaceDesc(&d), DD_OK);
    EXPECT_EQ(d.dwWidth, 10u);
    EXPECT_EQ(d.dwHeight, 3u);
    EXPECT_EQ(d.lPitch, c.Pitch);
    EXPECT_EQ(d.ddpfPixelFormat.dwFlags, c.Flags);
    EXPECT_EQ(d.ddpfPixelFormat.dwRGBBitCount, static_cast<DWORD>(c.Format.BitCount));
    EXPECT_EQ(d.ddpfPixelFormat.dwRBitMask, c.R);
    EXPECT_EQ(d.ddpfPixelFormat.dwGBitMask, c.G);
    EXPECT_EQ(d.ddpfPixelFormat.dwBBitMask, c.B);
    EXPECT_EQ(d.ddsCaps.dwCaps & (DDSCAPS_OFFSCREENPLAIN | DDSCAPS_VIDEOMEMORY),
              DDSCAPS_OFFSCREENPLAIN | DDSCAPS_VIDEOMEMORY);
    EXPECT_TRUE(d.dwFlags & DDSD_CKSRCBLT);
    EXPECT_EQ(d.ddckCKSrcBlt.dwColorSpaceLowValue, 5u);
    EXPECT_EQ(d.lpSurface, nullptr);
    s->Release();
  }
}

TEST_F(SurfaceTest, PixelLayoutPutsLeftmostPixelsHighAndWordsLittleEndian) {
  struct Case {
    TDDrawPixelFormat Format;
    DWORD First, Second;
    std::vector<BYTE> Bytes;
  } cases[] = {
      {TDDrawPixelFormat::IndexedFormat(1), 1, 0, {0x80}},
      {TDDrawPixelFormat::IndexedFormat(2), 2, 1, {0x90}},
      {TDDrawPixelFormat::IndexedFormat(4), 0xA, 0x3, {0xA3}},
      {TDDrawPixelFormat::IndexedFormat(8), 0x12, 0x34, {0x12, 0x34}},
      {TDDrawPixelFormat::Rgb565(), 0x1234, 0xABCD, {0x34, 0x12, 0xCD, 0xAB}},
      {TDDrawPixelFormat::Rgb24(), 0x123456, 0xABCDEF, {0x56, 0x34, 0x12, 0xEF, 0xCD, 0xAB}},
      {TDDrawPixelFormat::Xrgb32(), 0x00123456, 0x00ABCDEF, {0x56, 0x34, 0x12, 0x00, 0xEF, 0xCD, 0xAB, 0x00}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Format.BitCount);
    IDirectDrawSurface7* s = Make(2, 1, c.Format);
    Put(s, {{c.First, c.Second}});
    DDSURFACEDESC2 d;
    ASSERT_EQ(s->Lock(nullptr, &d, DDLOCK_WAIT, nullptr), DD_OK);
    std::vector<BYTE> bytes(static_cast<BYTE*>(d.lpSurface), static_cast<BYTE*>(d.lpSurface) + c.Bytes.size());
    EXPECT_EQ(bytes, c.Bytes);
    s->Unlock(static_cast<RECT*>(nullptr));
    s->Release();
  }
}

TEST_F(SurfaceTest, SurfacesWithoutPixelFormatTakeTheDisplayFormat) {
  struct Case {
    DWORD Bits;
    bool Rgb555;
    DWORD Flags, RMask;
  } cases[] = {{32, false, DDPF_RGB, 0xFF0000},
               {16, false, DDPF_RGB, 0xF800},
               {16, true, DDPF_RGB, 0x7C00},
               {8, false, DDPF_RGB | DDPF_PALETTEINDEXED8, 0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Bits);
    ASSERT_TRUE(SetEmulatedDisplayFormat(c.Bits, c.Rgb555));
    DDSURFACEDESC2 d;
    d.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT;
    d.dwWidth = 4;
    d.dwHeight = 4;
    d.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN;
    IDirectDrawSurface7* s = nullptr;
    ASSERT_EQ(DD->CreateSurface(&d, &s, nullptr), DD_OK);
    ASSERT_EQ(s->GetSurfaceDesc(&d), DD_OK);
    EXPECT_EQ(d.ddpfPixelFormat.dwRGBBitCount, c.Bits);
    EXPECT_EQ(d.ddpfPixelFormat.dwFlags, c.Flags);
    EXPECT_EQ(d.ddpfPixelFormat.dwRBitMask, c.RMask);
    IDirectDrawSurface7* primary = MakePrimary();
    ASSERT_EQ(primary->GetSurfaceDesc(&d), DD_OK);
    EXPECT_EQ(d.ddpfPixelFormat.dwRGBBitCount, c.Bits);
    EXPECT_EQ(d.dwWidth, 1024u);
    EXPECT_EQ(d.dwHeight, 768u);
    primary->Release();
    s->Release();
  }
  EXPECT_FALSE(SetEmulatedDisplayFormat(15));
}

TEST_F(SurfaceTest, CreationRefusesBadRequests) {
  DDSURFACEDESC2 d;
  IDirectDrawSurface7* s = nullptr;
  d.dwFlags = DDSD_CAPS | DDSD_WIDTH;  // no height
  d.dwWidth = 4;
  d.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN;
  EXPECT_EQ(DD->CreateSurface(&d, &s, nullptr), DDERR_INVALIDPARAMS);
  d.dwFlags |= DDSD_HEIGHT;
  d.dwHeight = 0;
  EXPECT_EQ(DD->CreateSurface(&d, &s, nullptr), DDERR_INVALIDPARAMS);
  d.dwHeight = 100000;
  EXPECT_EQ(DD->CreateSurface(&d, &s, nullptr), DDERR_TOOBIGSIZE);
  d.dwHeight = 4;
  d.dwFlags |= DDSD_PIXELFORMAT;
  d.ddpfPixelFormat.dwFlags = DDPF_RGB;
  d.ddpfPixelFormat.dwRGBBitCount = 16;
  d.ddpfPixelFormat.dwRBitMask = 0x001F;  // a 16-bit layout we do not keep
  d.ddpfPixelFormat.dwGBitMask = 0x07E0;
  d.ddpfPixelFormat.dwBBitMask = 0xF800;
  EXPECT_EQ(DD->CreateSurface(&d, &s, nullptr), DDERR_INVALIDPIXELFORMAT);
  d.ddpfPixelFormat.dwFlags = DDPF_RGB | DDPF_ALPHAPIXELS;
  d.ddpfPixelFormat.dwRGBBitCount = 32;
  EXPECT_EQ(DD->CreateSurface(&d, &s, nullptr), DDERR_INVALIDPIXELFORMAT);
  d.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT;
  d.ddsCaps.dwCaps = DDSCAPS_SYSTEMMEMORY | DDSCAPS_VIDEOMEMORY;
  EXPECT_EQ(DD->CreateSurface(&d, &s, nullptr), DDERR_INVALIDCAPS);
  d.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN;
  EXPECT_EQ(DD->CreateSurface(nullptr, &s, nullptr), DDERR_INVALIDPARAMS);
  EXPECT_EQ(DD->CreateSurface(&d, &s, reinterpret_cast<IUnknown*>(DD)), DDERR_INVALIDPARAMS);
  EXPECT_EQ(s, nullptr);
  // The primary takes the screen's size; a size given for it is an error.
  d.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE;
  EXPECT_EQ(DD->CreateSurface(&d, &s, nullptr), DDERR_INVALIDPARAMS);
}

TEST_F(SurfaceTest, PrimaryNeedsACooperativeLevelAndIsUnique) {
  IDirectDraw7* other = nullptr;
  ASSERT_EQ(DirectDrawCreateEx(nullptr, reinterpret_cast<void**>(&other), IID_IDirectDraw7, nullptr), DD_OK);
  DDSURFACEDESC2 d;
  d.dwFlags = DDSD_CAPS;
  d.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE;
  IDirectDrawSurface7* s = nullptr;
  EXPECT_EQ(other->CreateSurface(&d, &s, nullptr), DDERR_NOCOOPERATIVELEVELSET);
  other->Release();

  IDirectDrawSurface7* primary = MakePrimary();
  EXPECT_EQ(DD->CreateSurface(&d, &s, nullptr), DDERR_PRIMARYSURFACEALREADYEXISTS);
  DDSCAPS2 caps;
  ASSERT_EQ(primary->GetCaps(&caps), DD_OK);
  EXPECT_EQ(caps.dwCaps & (DDSCAPS_PRIMARYSURFACE | DDSCAPS_VISIBLE | DDSCAPS_VIDEOMEMORY),
            DDSCAPS_PRIMARYSURFACE | DDSCAPS_VISIBLE | DDSCAPS_VIDEOMEMORY);
  primary->Release();
  // Once the first is gone a new primary can be made.
  primary = MakePrimary();
  ASSERT_NE(primary, nullptr);
  primary->Release();
}

TEST_F(SurfaceTest, LocksDoNotNestAndBlockBlits) {
  IDirectDrawSurface7* s = Make(8, 4, TDDrawPixelFormat::Xrgb32());
  IDirectDrawSurface7* t = Make(8, 4, TDDrawPixelFormat::Xrgb32());
  DDSURFACEDESC2 d;
  RECT r{2, 1, 5, 3};
  ASSERT_EQ(s->Lock(&r, &d, DDLOCK_WAIT, nullptr), DD_OK);
  ASSERT_NE(d.lpSurface, nullptr);
  EXPECT_EQ(d.dwWidth, 8u);
  EXPECT_EQ(d.lPitch, 32);
  DDSURFACEDESC2 again;
  EXPECT_EQ(s->Lock(nullptr, &again, DDLOCK_WAIT, nullptr), DDERR_SURFACEBUSY);
  EXPECT_EQ(t->Blt(nullptr, s, nullptr, DDBLT_WAIT, nullptr), DDERR_SURFACEBUSY);
  EXPECT_EQ(s->Blt(nullptr, t, nullptr, DDBLT_WAIT, nullptr), DDERR_SURFACEBUSY);
  EXPECT_EQ(t->BltFast(0, 0, s, nullptr, DDBLTFAST_WAIT), DDERR_SURFACEBUSY);
  // The pointer is the rectangle's first pixel: writing there lands at (2, 1).
  static_cast<DWORD*>(d.lpSurface)[0] = 0x00ABCDEF;
  RECT other{0, 0, 1, 1};
  EXPECT_EQ(s->Unlock(&other), DDERR_INVALIDRECT);
  EXPECT_EQ(s->Unlock(&r), DD_OK);
  EXPECT_EQ(s->Unlock(static_cast<RECT*>(nullptr)), DDERR_NOTLOCKED);
  EXPECT_EQ(Get(s)[1][2], 0x00ABCDEFu);

  // Version 1 unlocks by the locked pointer.
  IDirectDrawSurface* s1 = nullptr;
  ASSERT_EQ(s->QueryInterface(IID_IDirectDrawSurface, reinterpret_cast<void**>(&s1)), DD_OK);
  DDSURFACEDESC d1;
  ASSERT_EQ(s1->Lock(nullptr, &d1, DDLOCK_WAIT, nullptr), DD_OK);
  int elsewhere = 0;
  EXPECT_EQ(s1->Unlock(&elsewhere), DDERR_INVALIDPARAMS);
  EXPECT_EQ(s1->Unlock(d1.lpSurface), DD_OK);
  s1->Release();
  s->Release();
  t->Release();
}

TEST_F(SurfaceTest, EveryRectangleIsCheckedAndNothingIsWrittenOnError) {
  IDirectDrawSurface7* src = Make(4, 4, TDDrawPixelFormat::IndexedFormat(8));
  IDirectDrawSurface7* dst = Make(4, 4, TDDrawPixelFormat::IndexedFormat(8));
  FillAll(src, 7);
  FillAll(dst, 1);
  const auto before = Get(dst);
  const RECT bad[] = {{-1, 0, 2, 2}, {0, -1, 2, 2}, {2, 2, 5, 3}, {0, 0, 2, 5},
                      {3, 0, 1, 2},  {0, 3, 2, 1},  {1, 1, 1, 3}, {1, 1, 3, 1}};
  for (const RECT& r : bad) {
    SCOPED_TRACE(::testing::Message() << r.left << "," << r.top << "," << r.right << "," << r.bottom);
    RECT copy = r;
    EXPECT_EQ(dst->Blt(&copy, src, nullptr, DDBLT_WAIT, nullptr), DDERR_INVALIDRECT);
    EXPECT_EQ(dst->Blt(nullptr, src, &copy, DDBLT_WAIT, nullptr), DDERR_INVALIDRECT);
    DDBLTFX fx;
    fx.dwFillColor = 9;
    EXPECT_EQ(dst->Blt(&copy, nullptr, nullptr, DDBLT_COLORFILL, &fx), DDERR_INVALIDRECT);
    EXPECT_EQ(dst->BltFast(0, 0, src, &copy, DDBLTFAST_WAIT), DDERR_INVALIDRECT);
    DDSURFACEDESC2 d;
    EXPECT_EQ(dst->Lock(&copy, &d, DDLOCK_WAIT, nullptr), DDERR_INVALIDRECT);
  }
  RECT two{0, 0, 2, 2};
  EXPECT_EQ(dst->BltFast(3, 0, src, &two, DDBLTFAST_WAIT), DDERR_INVALIDRECT);
  EXPECT_EQ(dst->BltFast(0, 0xFFFFFFFFu, src, &two, DDBLTFAST_WAIT), DDERR_INVALIDRECT);
  EXPECT_EQ(dst->BltFast(0x80000000u, 0, src, &two, DDBLTFAST_WAIT), DDERR_INVALIDRECT);
  EXPECT_EQ(Get(dst), before);
  // Right at the edge is fine.
  EXPECT_EQ(dst->BltFast(2, 2, src, &two, DDBLTFAST_WAIT), DD_OK);
  EXPECT_EQ(Get(dst)[3][3], 7u);
  src->Release();
  dst->Release();
}

TEST_F(SurfaceTest, BlitsRefuseMismatchedFormatsMissingKeysAndUnknownFlags) {
  IDirectDrawSurface7* a = Make(4, 4, TDDrawPixelFormat::Rgb565());
  IDirectDrawSurface7* b = Make(4, 4, TDDrawPixelFormat::Rgb555());
  IDirectDrawSurface7* c = Make(4, 4, TDDrawPixelFormat::Rgb565());
  EXPECT_EQ(a->Blt(nullptr, b, nullptr, DDBLT_WAIT, nullptr), DDERR_INVALIDPIXELFORMAT);
  EXPECT_EQ(a->BltFast(0, 0, b, nullptr, DDBLTFAST_WAIT), DDERR_INVALIDPIXELFORMAT);
  EXPECT_EQ(a->Blt(nullptr, c, nullptr, DDBLT_KEYSRC, nullptr), DDERR_COLORKEYNOTSET);
  EXPECT_EQ(a->Blt(nullptr, c, nullptr, 0x00020000 /* raster operation */, nullptr), DDERR_INVALIDPARAMS);
  EXPECT_EQ(a->Blt(nullptr, nullptr, nullptr, DDBLT_WAIT, nullptr), DDERR_INVALIDPARAMS);
  EXPECT_EQ(a->Blt(nullptr, nullptr, nullptr, DDBLT_COLORFILL, nullptr), DDERR_INVALIDPARAMS);
  DDBLTFX fx;
  fx.dwDDFX = 0x10;  // rotation
  EXPECT_EQ(a->Blt(nullptr, c, nullptr, DDBLT_DDFX, &fx), DDERR_UNSUPPORTED);
  EXPECT_EQ(a->BltFast(0, 0, nullptr, nullptr, DDBLTFAST_WAIT), DDERR_INVALIDPARAMS);
  a->Release();
  b->Release();
  c->Release();
}

TEST_F(SurfaceTest, ColourKeysCompareColourBitsAndRanges) {
  IDirectDrawSurface7* src = Make(4, 1, TDDrawPixelFormat::Xrgb32());
  IDirectDrawSurface7* dst = Make(4, 1, TDDrawPixelFormat::Xrgb32());
  // The unused top byte of a 32-bit pixel does not take part in the key.
  Put(src, {{0xAAFF00FF, 0x00FF00FF, 0x00000010, 0x00000030}});
  DDCOLORKEY key{0xFF00FF, 0x12345678};  // high value ignored without a range
  ASSERT_EQ(src->SetColorKey(DDCKEY_SRCBLT, &key), DD_OK);
  DDCOLORKEY read;
  ASSERT_EQ(src->GetColorKey(DDCKEY_SRCBLT, &read), DD_OK);
  EXPECT_EQ(read.dwColorSpaceHighValue, 0xFF00FFu);
  FillAll(dst, 1);
  ASSERT_EQ(dst->Blt(nullptr, src, nullptr, DDBLT_KEYSRC, nullptr), DD_OK);
  EXPECT_EQ(Get(dst), (std::vector<std::vector<DWORD>>{{1, 1, 0x10, 0x30}}));
  // A range key skips every value inside it.
  DDCOLORKEY range{0x10, 0x20};
  ASSERT_EQ(src->SetColorKey(DDCKEY_SRCBLT | DDCKEY_COLORSPACE, &range), DD_OK);
  FillAll(dst, 1);
  ASSERT_EQ(dst->Blt(nullptr, src, nullptr, DDBLT_KEYSRC, nullptr), DD_OK);
  EXPECT_EQ(Get(dst), (std::vector<std::vector<DWORD>>{{0xAAFF00FF, 0x00FF00FF, 1, 0x30}}));
  // Removing the key.
  ASSERT_EQ(src->SetColorKey(DDCKEY_SRCBLT, nullptr), DD_OK);
  EXPECT_EQ(src->GetColorKey(DDCKEY_SRCBLT, &read), DDERR_NOCOLORKEY);
  EXPECT_EQ(src->GetColorKey(DDCKEY_DESTBLT, &read), DDERR_NOCOLORKEY);
  EXPECT_EQ(src->SetColorKey(DDCKEY_SRCBLT | DDCKEY_DESTBLT, &key), DDERR_INVALIDPARAMS);
  src->Release();
  dst->Release();
}

TEST_F(SurfaceTest, LostSurfacesRefuseWorkUntilRestoredAndComeBackCleared) {
  IDirectDrawSurface7* primary = MakePrimary();
  IDirectDrawSurface7* video = Make(4, 4, TDDrawPixelFormat::Xrgb32());
  IDirectDrawSurface7* system = Make(4, 4, TDDrawPixelFormat::Xrgb32(), DDSCAPS_OFFSCREENPLAIN | DDSCAPS_SYSTEMMEMORY);
  FillAll(video, 5);
  FillAll(system, 6);
  LoseEmulatedSurfaces();
  EXPECT_EQ(primary->IsLost(), DDERR_SURFACELOST);
  EXPECT_EQ(video->IsLost(), DDERR_SURFACELOST);
  EXPECT_EQ(system->IsLost(), DD_OK);
  DDSURFACEDESC2 d;
  EXPECT_EQ(video->Lock(nullptr, &d, DDLOCK_WAIT, nullptr), DDERR_SURFACELOST);
  EXPECT_EQ(video->Blt(nullptr, system, nullptr, DDBLT_WAIT, nullptr), DDERR_SURFACELOST);
  EXPECT_EQ(system->Blt(nullptr, video, nullptr, DDBLT_WAIT, nullptr), DDERR_SURFACELOST);
  EXPECT_EQ(system->BltFast(0, 0, video, nullptr, DDBLTFAST_WAIT), DDERR_SURFACELOST);
  DDBLTFX fx;
  EXPECT_EQ(video->Blt(nullptr, nullptr, nullptr, DDBLT_COLORFILL, &fx), DDERR_SURFACELOST);

  EXPECT_EQ(video->Restore(), DD_OK);
  EXPECT_EQ(video->IsLost(), DD_OK);
  EXPECT_EQ(Get(video), std::vector<std::vector<DWORD>>(4, std::vector<DWORD>(4, 0)));
  EXPECT_EQ(primary->Restore(), DD_OK);
  EXPECT_EQ(system->Restore(), DD_OK);  // nothing to do
  EXPECT_EQ(Get(system)[0][0], 6u);

  // The hook can take system memory too.
  LoseEmulatedSurfaces(true);
  EXPECT_EQ(system->IsLost(), DDERR_SURFACELOST);
  EXPECT_EQ(system->Restore(), DD_OK);
  primary->Release();
  video->Release();
  system->Release();
}

TEST_F(SurfaceTest, VideoMemoryBudgetFallsBackToSystemMemory) {
  SetVideoMemoryBudget(3 * 64 * 64 * 4);
  DDCAPS caps;
  ASSERT_EQ(DD->GetCaps(&caps, nullptr), DD_OK);
  EXPECT_EQ(caps.dwVidMemTotal, 3u * 64 * 64 * 4);
  EXPECT_EQ(caps.dwVidMemFree, 3u * 64 * 64 * 4);
  std::vector<IDirectDrawSurface7*> made;
  for (int i = 0; i < 3; ++i) made.push_back(Make(64, 64, TDDrawPixelFormat::Xrgb32()));
  EXPECT_EQ(VideoMemoryInUse(), 3u * 64 * 64 * 4);
  ASSERT_EQ(DD->GetCaps(&caps, nullptr), DD_OK);
  EXPECT_EQ(caps.dwVidMemFree, 0u);
  // The budget is spent: a plain request lands in system memory ...
  IDirectDrawSurface7* fourth = Make(64, 64, TDDrawPixelFormat::Xrgb32());
  DDSCAPS2 sc;
  ASSERT_EQ(fourth->GetCaps(&sc), DD_OK);
  EXPECT_EQ(sc.dwCaps & (DDSCAPS_SYSTEMMEMORY | DDSCAPS_VIDEOMEMORY), DDSCAPS_SYSTEMMEMORY);
  // ... and an explicit video-memory request fails.
  DDSURFACEDESC2 d;
  d.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT;
  d.dwWidth = d.dwHeight = 64;
  d.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN | DDSCAPS_VIDEOMEMORY;
  IDirectDrawSurface7* s = nullptr;
  EXPECT_EQ(DD->CreateSurface(&d, &s, nullptr), DDERR_OUTOFVIDEOMEMORY);
  EXPECT_EQ(s, nullptr);
  // A duplicate shares its memory and takes nothing more.
  IDirectDrawSurface7* dup = nullptr;
  ASSERT_EQ(DD->DuplicateSurface(made[0], &dup), DD_OK);
  EXPECT_EQ(VideoMemoryInUse(), 3u * 64 * 64 * 4);
  made[0]->Release();
  EXPECT_EQ(VideoMemoryInUse(), 3u * 64 * 64 * 4);
  dup->Release();
  EXPECT_EQ(VideoMemoryInUse(), 2u * 64 * 64 * 4);
  EXPECT_EQ(DD->CreateSurface(&d, &s, nullptr), DD_OK);
  s->Release();
  made[1]->Release();
  made[2]->Release();
  fourth->Release();
  EXPECT_EQ(VideoMemoryInUse(), 0u);
}

TEST_F(SurfaceTest, DuplicatesShareMemoryLockAndLoss) {
  IDirectDrawSurface7* s = Make(4, 4, TDDrawPixelFormat::Rgb565());
  DDCOLORKEY key{3, 3};
  s->SetColorKey(DDCKEY_SRCBLT, &key);
  IDirectDrawSurface7* dup = nullptr;
  ASSERT_EQ(DD->DuplicateSurface(s, &dup), DD_OK);
  FillAll(s, 0x1234);
  EXPECT_EQ(Get(dup)[2][2], 0x1234u);
  DDCOLORKEY read;
  ASSERT_EQ(dup->GetColorKey(DDCKEY_SRCBLT, &read), DD_OK);
  EXPECT_EQ(read.dwColorSpaceLowValue, 3u);
  DDSURFACEDESC2 d;
  ASSERT_EQ(s->Lock(nullptr, &d, DDLOCK_WAIT, nullptr), DD_OK);
  EXPECT_EQ(dup->Lock(nullptr, &d, DDLOCK_WAIT, nullptr), DDERR_SURFACEBUSY);
  s->Unlock(static_cast<RECT*>(nullptr));
  LoseEmulatedSurfaces();
  EXPECT_EQ(dup->IsLost(), DDERR_SURFACELOST);
  EXPECT_EQ(s->Restore(), DD_OK);
  EXPECT_EQ(dup->IsLost(), DD_OK);
  // The primary cannot be duplicated.
  IDirectDrawSurface7* primary = MakePrimary();
  IDirectDrawSurface7* none = nullptr;
  EXPECT_EQ(DD->DuplicateSurface(primary, &none), DDERR_CANTDUPLICATE);
  EXPECT_EQ(DD->DuplicateSurface(nullptr, &none), DDERR_INVALIDPARAMS);
  primary->Release();
  s->Release();
  dup->Release();
}

TEST_F(SurfaceTest, PalettesBelongOnIndexedSurfacesAndCheckTheirRanges) {
  PALETTEENTRY entries[256];
  for (int i = 0; i < 256; ++i) entries[i] = PALETTEENTRY{BYTE(i), BYTE(255 - i), BYTE(i / 2), 0};
  IDirectDrawPalette* p = nullptr;
  EXPECT_EQ(DD->CreatePalette(DDPCAPS_8BIT | DDPCAPS_4BIT, entries, &p, nullptr), DDERR_INVALIDPARAMS);
  EXPECT_EQ(DD->CreatePalette(0, entries, &p, nullptr), DDERR_INVALIDPARAMS);
  EXPECT_EQ(DD->CreatePalette(DDPCAPS_8BIT, nullptr, &p, nullptr), DDERR_INVALIDPARAMS);
  EXPECT_EQ(DD->CreatePalette(DDPCAPS_4BIT | DDPCAPS_ALLOW256, entries, &p, nullptr), DDERR_INVALIDPARAMS);
  ASSERT_EQ(DD->CreatePalette(DDPCAPS_8BIT | DDPCAPS_INITIALIZE | DDPCAPS_ALLOW256, entries, &p, nullptr), DD_OK);
  DWORD caps = 0;
  ASSERT_EQ(p->GetCaps(&caps), DD_OK);
  EXPECT_EQ(caps, DDPCAPS_8BIT | DDPCAPS_INITIALIZE | DDPCAPS_ALLOW256);
  PALETTEENTRY got[4];
  ASSERT_EQ(p->GetEntries(0, 10, 4, got), DD_OK);
  EXPECT_EQ(got[0].peRed, 10);
  EXPECT_EQ(got[3].peGreen, 255 - 13);
  PALETTEENTRY red{255, 0, 0, 0x40};
  ASSERT_EQ(p->SetEntries(0, 255, 1, &red), DD_OK);
  EXPECT_EQ(p->SetEntries(0, 255, 2, entries), DDERR_INVALIDPARAMS);
  EXPECT_EQ(p->SetEntries(0, 256, 0, entries), DD_OK);
  EXPECT_EQ(p->SetEntries(0, 0xFFFFFFFFu, 2, entries), DDERR_INVALIDPARAMS);
  EXPECT_EQ(p->GetEntries(0, 1, 0xFFFFFFFFu, got), DDERR_INVALIDPARAMS);
  ASSERT_EQ(p->GetEntries(0, 255, 1, got), DD_OK);
  EXPECT_EQ(got[0].peRed, 255);
  EXPECT_EQ(got[0].peFlags, 0x40);

  IDirectDrawPalette* small = nullptr;
  ASSERT_EQ(DD->CreatePalette(DDPCAPS_1BIT, entries, &small, nullptr), DD_OK);
  EXPECT_EQ(small->SetEntries(0, 0, 3, entries), DDERR_INVALIDPARAMS);

  IDirectDrawSurface7* rgb = Make(2, 2, TDDrawPixelFormat::Xrgb32());
  IDirectDrawSurface7* indexed = Make(2, 2, TDDrawPixelFormat::IndexedFormat(8));
  EXPECT_EQ(rgb->SetPalette(p), DDERR_NOTPALETTIZED);
  IDirectDrawPalette* back = nullptr;
  EXPECT_EQ(indexed->GetPalette(&back), DDERR_NOPALETTEATTACHED);
  ASSERT_EQ(indexed->SetPalette(p), DD_OK);
  ASSERT_EQ(indexed->GetPalette(&back), DD_OK);
  EXPECT_EQ(back, p);
  back->Release();
  ASSERT_EQ(indexed->SetPalette(nullptr), DD_OK);
  EXPECT_EQ(indexed->GetPalette(&back), DDERR_NOPALETTEATTACHED);
  rgb->Release();
  indexed->Release();
  small->Release();
  p->Release();
}

TEST_F(SurfaceTest, ClipperKnowsItsWindowAndItsClipList) {
  HWND window = Backend.AddWindow(30, 40, 200, 100);
  IDirectDrawClipper* c = nullptr;
  ASSERT_EQ(DD->CreateClipper(0, &c, nullptr), DD_OK);
  DWORD size = 0;
  EXPECT_EQ(c->GetClipList(nullptr, nullptr, &size), DDERR_NOCLIPLIST);
  ASSERT_EQ(c->SetHWnd(0, window), DD_OK);
  HWND read = nullptr;
  ASSERT_EQ(c->GetHWnd(&read), DD_OK);
  EXPECT_EQ(read, window);
  ASSERT_EQ(c->GetClipList(nullptr, nullptr, &size), DD_OK);
  std::vector<char> buffer(size);
  auto* rgn = reinterpret_cast<RGNDATA*>(buffer.data());
  DWORD tooSmall = size - 1;
  EXPECT_EQ(c->GetClipList(nullptr, rgn, &tooSmall), DDERR_REGIONTOOSMALL);
  ASSERT_EQ(c->GetClipList(nullptr, rgn, &size), DD_OK);
  ASSERT_EQ(rgn->rdh.nCount, 1u);
  RECT r;
  std::memcpy(&r, rgn->Buffer, sizeof r);
  EXPECT_EQ(r, (RECT{30, 40, 230, 140}));
  RECT cut{0, 0, 100, 100};
  ASSERT_EQ(c->GetClipList(&cut, rgn, &size), DD_OK);
  std::memcpy(&r, rgn->Buffer, sizeof r);
  EXPECT_EQ(r, (RECT{30, 40, 100, 100}));

  IDirectDrawSurface7* s = Make(4, 4, TDDrawPixelFormat::Xrgb32());
  IDirectDrawClipper* got = nullptr;
  EXPECT_EQ(s->GetClipper(&got), DDERR_NOCLIPPERATTACHED);
  ASSERT_EQ(s->SetClipper(c), DD_OK);
  ASSERT_EQ(s->GetClipper(&got), DD_OK);
  EXPECT_EQ(got, c);
  got->Release();
  // A clipper without a window has no clip list to blit through.
  IDirectDrawClipper* empty = nullptr;
  ASSERT_EQ(DD->CreateClipper(0, &empty, nullptr), DD_OK);
  ASSERT_EQ(s->SetClipper(empty), DD_OK);
  IDirectDrawSurface7* src = Make(4, 4, TDDrawPixelFormat::Xrgb32());
  EXPECT_EQ(s->Blt(nullptr, src, nullptr, DDBLT_WAIT, nullptr), DDERR_NOCLIPLIST);
  ASSERT_EQ(s->SetClipper(nullptr), DD_OK);
  EXPECT_EQ(s->Blt(nullptr, src, nullptr, DDBLT_WAIT, nullptr), DD_OK);
  src->Release();
  s->Release();
  empty->Release();
  c->Release();
}

TEST_F(SurfaceTest, FlipChainRotatesBuffersAndShowsTheFront) {
  HWND window = Backend.AddWindow(0, 0, 1024, 768);
  DDSURFACEDESC2 d;
  d.dwFlags = DDSD_CAPS | DDSD_BACKBUFFERCOUNT;
  d.dwBackBufferCount = 2;
  d.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE | DDSCAPS_FLIP | DDSCAPS_COMPLEX;
  IDirectDrawSurface7* front = nullptr;
  // Page flipping on the screen needs exclusive full-screen mode.
  EXPECT_EQ(DD->CreateSurface(&d, &front, nullptr), DDERR_NOEXCLUSIVEMODE);
  ASSERT_EQ(DD->SetCooperativeLevel(window, DDSCL_FULLSCREEN | DDSCL_EXCLUSIVE | DDSCL_ALLOWMODEX), DD_OK);
  ASSERT_EQ(DD->CreateSurface(&d, &front, nullptr), DD_OK);
  ASSERT_EQ(front->GetSurfaceDesc(&d), DD_OK);
  EXPECT_EQ(d.dwBackBufferCount, 2u);
  EXPECT_TRUE(d.ddsCaps.dwCaps & DDSCAPS_FRONTBUFFER);

  DDSCAPS2 want;
  want.dwCaps = DDSCAPS_BACKBUFFER;
  IDirectDrawSurface7* back = nullptr;
  ASSERT_EQ(front->GetAttachedSurface(&want, &back), DD_OK);
  want.dwCaps = DDSCAPS_FLIP;
  IDirectDrawSurface7* third = nullptr;
  ASSERT_EQ(back->GetAttachedSurface(&want, &third), DD_OK);
  EXPECT_NE(third, front);
  IDirectDrawSurface7* ring = nullptr;
  ASSERT_EQ(third->GetAttachedSurface(&want, &ring), DD_OK);
  EXPECT_EQ(ring, front);
  ring->Release();
  want.dwCaps = DDSCAPS_ZBUFFER;
  EXPECT_EQ(front->GetAttachedSurface(&want, &ring), DDERR_NOTFOUND);

  FillAll(front, 1);
  FillAll(back, 2);
  FillAll(third, 3);
  ASSERT_EQ(front->Flip(nullptr, DDFLIP_WAIT), DD_OK);
  EXPECT_EQ(Get(front)[0][0], 2u);
  EXPECT_EQ(Get(back)[0][0], 3u);
  EXPECT_EQ(Get(third)[0][0], 1u);
  EXPECT_EQ(Backend.Pixel(window, 10, 10), 2u);  // the new front is on the screen
  EXPECT_EQ(EmulatedScreenPixel(10, 10), 2u);
  EXPECT_EQ(back->Flip(nullptr, DDFLIP_WAIT), DDERR_NOTFLIPPABLE);
  // Flipping to a chosen buffer swaps it with the front.
  ASSERT_EQ(front->Flip(third, DDFLIP_WAIT), DD_OK);
  EXPECT_EQ(Get(front)[0][0], 1u);
  EXPECT_EQ(Get(third)[0][0], 2u);
  ASSERT_EQ(front->Flip(nullptr, DDFLIP_WAIT), DD_OK);
  // The GDI surface is the memory the front was made with.
  ASSERT_EQ(DD->FlipToGDISurface(), DD_OK);
  EXPECT_EQ(Get(front)[0][0], 1u);
  DDSURFACEDESC2 locked;
  ASSERT_EQ(back->Lock(nullptr, &locked, DDLOCK_WAIT, nullptr), DD_OK);
  EXPECT_EQ(front->Flip(nullptr, DDFLIP_WAIT), DDERR_SURFACEBUSY);
  back->Unlock(static_cast<RECT*>(nullptr));
  LoseEmulatedSurfaces();
  EXPECT_EQ(front->Flip(nullptr, DDFLIP_WAIT), DDERR_SURFACELOST);
  ASSERT_EQ(front->Restore(), DD_OK);  // restores the whole chain
  EXPECT_EQ(third->IsLost(), DD_OK);
  back->Release();
  third->Release();
  front->Release();
  EXPECT_EQ(VideoMemoryInUse(), 0u);
}

TEST_F(SurfaceTest, ZBufferAttachesToASurfaceOfItsSize) {
  IDirectDrawSurface7* target = Make(32, 16, TDDrawPixelFormat::Rgb565(), DDSCAPS_OFFSCREENPLAIN | DDSCAPS_3DDEVICE);
  DDSURFACEDESC d;
  d.dwSize = 108;
  d.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT | DDSD_ZBUFFERBITDEPTH;
  d.dwWidth = 32;
  d.dwHeight = 16;
  d.dwZBufferBitDepth = 16;
  d.ddsCaps.dwCaps = DDSCAPS_ZBUFFER | DDSCAPS_SYSTEMMEMORY;
  IDirectDraw* dd1 = nullptr;
  ASSERT_EQ(DD->QueryInterface(IID_IDirectDraw, reinterpret_cast<void**>(&dd1)), DD_OK);
  IDirectDrawSurface* z1 = nullptr;
  ASSERT_EQ(dd1->CreateSurface(&d, &z1, nullptr), DD_OK);
  ASSERT_EQ(z1->GetSurfaceDesc(&d), DD_OK);
  EXPECT_EQ(d.dwZBufferBitDepth, 16u);
  EXPECT_EQ(d.ddpfPixelFormat.dwFlags, DDPF_ZBUFFER);
  EXPECT_EQ(d.ddsCaps.dwCaps & (DDSCAPS_ZBUFFER | DDSCAPS_SYSTEMMEMORY), DDSCAPS_ZBUFFER | DDSCAPS_SYSTEMMEMORY);
  EXPECT_EQ(z1->Lock(nullptr, &d, DDLOCK_WAIT, nullptr), DDERR_UNSUPPORTED);
  IDirectDrawSurface7* z = nullptr;
  ASSERT_EQ(z1->QueryInterface(IID_IDirectDrawSurface7, reinterpret_cast<void**>(&z)), DD_OK);
  z1->Release();

  IDirectDrawSurface7* plain = Make(32, 16, TDDrawPixelFormat::Rgb565());
  EXPECT_EQ(target->AddAttachedSurface(plain), DDERR_CANNOTATTACHSURFACE);
  IDirectDrawSurface7* other = Make(8, 8, TDDrawPixelFormat::Rgb565());
  EXPECT_EQ(other->AddAttachedSurface(z), DDERR_CANNOTATTACHSURFACE);
  ASSERT_EQ(target->AddAttachedSurface(z), DD_OK);
  EXPECT_EQ(target->AddAttachedSurface(z), DDERR_SURFACEALREADYATTACHED);
  DDSCAPS2 want;
  want.dwCaps = DDSCAPS_ZBUFFER;
  IDirectDrawSurface7* found = nullptr;
  ASSERT_EQ(target->GetAttachedSurface(&want, &found), DD_OK);
  EXPECT_EQ(found, z);
  found->Release();
  EXPECT_EQ(target->DeleteAttachedSurface(0, plain), DDERR_SURFACENOTATTACHED);
  ASSERT_EQ(target->DeleteAttachedSurface(0, z), DD_OK);
  EXPECT_EQ(target->GetAttachedSurface(&want, &found), DDERR_NOTFOUND);
  // Attached again, it goes with the surface it is attached to.
  ASSERT_EQ(target->AddAttachedSurface(z), DD_OK);
  z->Release();
  target->Release();
  plain->Release();
  other->Release();
  dd1->Release();
}

TEST_F(SurfaceTest, SurfaceVersionsAreOneSurfaceAndOfferNoGammaControl) {
  IDirectDrawSurface7* s7 = Make(4, 4, TDDrawPixelFormat::Xrgb32());
  IDirectDrawSurface* s1 = nullptr;
  IDirectDrawSurface4* s4 = nullptr;
  ASSERT_EQ(s7->QueryInterface(IID_IDirectDrawSurface, reinterpret_cast<void**>(&s1)), DD_OK);
  ASSERT_EQ(s7->QueryInterface(IID_IDirectDrawSurface4, reinterpret_cast<void**>(&s4)), DD_OK);
  void* gamma = reinterpret_cast<void*>(1);
  EXPECT_EQ(s7->QueryInterface(IID_IDirectDrawGammaControl, &gamma), E_NOINTERFACE);
  EXPECT_EQ(gamma, nullptr);
  FillAll(s7, 0x00123456);
  DDSURFACEDESC d;
  ASSERT_EQ(s1->Lock(nullptr, &d, DDLOCK_WAIT, nullptr), DD_OK);
  EXPECT_EQ(*static_cast<DWORD*>(d.lpSurface), 0x00123456u);
  EXPECT_EQ(s4->IsLost(), DD_OK);
  DDSURFACEDESC2 d2;
  EXPECT_EQ(s4->Lock(nullptr, &d2, DDLOCK_WAIT, nullptr), DDERR_SURFACEBUSY);
  s1->Unlock(d.lpSurface);
  // A version-1 source blits onto a version-4 destination.
  IDirectDrawSurface4* t4 = nullptr;
  IDirectDrawSurface7* t7 = Make(4, 4, TDDrawPixelFormat::Xrgb32());
  ASSERT_EQ(t7->QueryInterface(IID_IDirectDrawSurface4, reinterpret_cast<void**>(&t4)), DD_OK);
  ASSERT_EQ(t4->Blt(nullptr, s4, nullptr, DDBLT_WAIT, nullptr), DD_OK);
  EXPECT_EQ(Get(t7)[3][3], 0x00123456u);
  t4->Release();
  t7->Release();
  s1->Release();
  s4->Release();
  s7->Release();
}

}  // namespace
