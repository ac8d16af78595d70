#include "display/DirectDrawSurface.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "display/DIB.h"
#include "platform/toolkit/Bitmap.h"
#include "platform/toolkit/Picture.h"
#include "tests/display/DirectDrawFixtures.h"
#include "tests/support/FixedSizeGraphic.h"

namespace {

template <class F>
std::string MessageOf(F&& f) {
  try {
    f();
  } catch (const Exception& e) { return e.Message(); }
  return "no exception";
}

// A raw surface of the display format, made without the wrapper.
IDirectDrawSurface* MakeRawSurface(TDirectDraw& dd, int width, int height) {
  DDSURFACEDESC desc;
  desc.dwSize = DDSurfaceDescRecordSize;
  desc.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT;
  desc.dwWidth = static_cast<DWORD>(width);
  desc.dwHeight = static_cast<DWORD>(height);
  desc.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN;
  IDirectDrawSurface* s = nullptr;
  EXPECT_EQ(dd.DrawIntf()->CreateSurface(&desc, &s, nullptr), 0);
  return s;
}

// Adopts a counting wrapper of a new raw surface; the surface object keeps
// the only reference the test does not hold.
TCountingSurface* AdoptCounting(TDirectDrawSurface& surface, int width, int height) {
  IDirectDrawSurface* raw = MakeRawSurface(*surface.DDraw(), width, height);
  auto* counting = new TCountingSurface(raw);
  raw->Release();
  surface.SetSurfaceIntf(counting);
  counting->Release();
  return counting;
}

class Surface : public DirectDrawTest {
 protected:
  TDirectDraw* DD() {
    if (!FDD) FDD = std::make_unique<TDirectDraw>(nullptr);
    return FDD.get();
  }
  void TearDown() override {
    FDD.reset();
    DirectDrawTest::TearDown();
  }
  std::unique_ptr<TDirectDraw> FDD;
};

TEST_F(Surface, SetSizeMakesAPlainSurfaceWithKeyZero) {
  TDirectDrawSurface s(DD());
  EXPECT_TRUE(s.Empty());
  s.SetSize(7, 5);
  ASSERT_FALSE(s.Empty());
  EXPECT_EQ(s.Width(), 7);
  EXPECT_EQ(s.Height(), 5);
  EXPECT_EQ(s.BitCount(), 32);
  EXPECT_EQ(s.ClientRect(), (RECT{0, 0, 7, 5}));
  EXPECT_EQ(s.SurfaceDesc().dwSize, 108u);
  EXPECT_NE(s.SurfaceDesc().ddsCaps.dwCaps & DDSCAPS_OFFSCREENPLAIN, 0u);
  EXPECT_FALSE(s.SystemMemory());
  EXPECT_NE(s.Surface4Intf(), nullptr);
  EXPECT_NE(s.Surface7Intf(), nullptr);
  DDCOLORKEY key{1, 1};
  ASSERT_EQ(s.SurfaceIntf()->GetColorKey(DDCKEY_SRCBLT, &key), 0);
  EXPECT_EQ(key.dwColorSpaceLowValue, 0u);
  EXPECT_EQ(key.dwColorSpaceHighValue, 0u);
}

TEST_F(Surface, EmptySurfaceAnswersFalseAndItsStrictGettersRaise) {
  TDirectDrawSurface s(DD());
  s.SetSize(4, 4);
  s.SetSize(0, 5);
  EXPECT_TRUE(s.Empty());
  EXPECT_EQ(s.Width(), 0);
  EXPECT_FALSE(s.Fill(0));
  EXPECT_FALSE(s.Restore());
  DDSURFACEDESC desc;
  EXPECT_FALSE(s.Lock(nullptr, desc));
  EXPECT_EQ(s.GetPixel(0, 0), 0u);
  EXPECT_EQ(s.ColorMatch(clWhite), 0u);
  EXPECT_EQ(MessageOf([&] { s.SurfaceIntf(); }), "IDirectDrawSurface not made");
  EXPECT_EQ(MessageOf([&] { s.Surface4Intf(); }), "IDirectDrawSurface4 not made");
  EXPECT_EQ(MessageOf([&] { s.Surface7Intf(); }), "IDirectDrawSurface7 not made");
  EXPECT_THROW(s.SurfaceIntf(), EDirectDrawSurfaceError);
  EXPECT_EQ(SurfaceIntf(&s), nullptr);
  s.SetSize(5, -1);
  EXPECT_TRUE(s.Empty());
}

TEST_F(Surface, WithoutDirectX7ModeThereIsNoSurface7) {
  TDirectDraw dd(nullptr, false);
  TDirectDrawSurface s(&dd);
  s.SetSize(2, 2);
  EXPECT_NE(Surface4Intf(&s), nullptr);
  EXPECT_EQ(Surface7Intf(&s), nullptr);
}

// ---- System-memory fall-back -------------------------------------------------------

TEST_F(Surface, FallsBackToSystemMemoryWhenVideoMemoryIsRefused) {
  std::vector<DWORD> asked;
  TRefusingDDrawModule module([&](const DDSURFACEDESC& d) {
    asked.push_back(d.ddsCaps.dwCaps);
    return (d.ddsCaps.dwCaps & DDSCAPS_SYSTEMMEMORY) == 0;
  });
  TDirectDraw dd(nullptr, false);
  TDirectDrawSurface s(&dd);
  s.SetSize(8, 6);
  EXPECT_EQ(asked, (std::vector<DWORD>{0x40, 0x840}));
  ASSERT_FALSE(s.Empty());
  EXPECT_TRUE(s.SystemMemory());
  EXPECT_NE(s.SurfaceDesc().ddsCaps.dwCaps & DDSCAPS_SYSTEMMEMORY, 0u);
  // Once in system memory, later sizes ask for it at once.
  asked.clear();
  s.SetSize(3, 3);
  EXPECT_EQ(asked, (std::vector<DWORD>{0x840}));
}

TEST_F(Surface, RaisesWhenNoMemoryTakesTheSurface) {
  TRefusingDDrawModule module([](const DDSURFACEDESC&) { return true; });
  TDirectDraw dd(nullptr, false);
  TDirectDrawSurface s(&dd);
  EXPECT_EQ(MessageOf([&] { s.SetSize(8, 6); }), "Surface cannot be made");
  EXPECT_EQ(TRefusingDirectDraw::CreateSurfaceCalls, 2);
  EXPECT_TRUE(s.Empty());
  EXPECT_FALSE(s.SystemMemory());
  EXPECT_EQ(s.LastResult(), DDERR_OUTOFVIDEOMEMORY);
  EXPECT_EQ(dd.LastResult(), DDERR_OUTOFVIDEOMEMORY);

  TRefusingDirectDraw::CreateSurfaceCalls = 0;
  s.SetSystemMemory(true);
  EXPECT_THROW(s.SetSize(8, 6), EDirectDrawSurfaceError);
  EXPECT_EQ(TRefusingDirectDraw::CreateSurfaceCalls, 1);
}

// ---- Draw ----------------------------------------------------------------------------

constexpr int SrcSide = 4;
constexpr int DestSide = 8;

DWORD SourceValue(int x, int y) { return static_cast<DWORD>(0x100 + 16 * y + x); }

// What Draw must leave on a zero destination: every destination pixel that
// the (possibly mirrored) source rectangle maps onto a pixel inside both
// surfaces shows that source pixel.
std::vector<DWORD> ExpectedDraw(int X, int Y, RECT r) {
  std::vector<DWORD> out(DestSide * DestSide, 0);
  const bool lr = r.right < r.left, ud = r.bottom < r.top;
  if (lr) std::swap(r.left, r.right);
  if (ud) std::swap(r.top, r.bottom);
  for (int j = 0; j < r.bottom - r.top; ++j)
    for (int i = 0; i < r.right - r.left; ++i) {
      const int sx = lr ? r.right - 1 - i : r.left + i;
      const int sy = ud ? r.bottom - 1 - j : r.top + j;
      const int dx = X + i, dy = Y + j;
      if (sx < 0 || sy < 0 || sx >= SrcSide || sy >= SrcSide) continue;
      if (dx < 0 || dy < 0 || dx >= DestSide || dy >= DestSide) continue;
      out[dy * DestSide + dx] = SourceValue(sx, sy);
    }
  return out;
}

std::vector<DWORD> PixelsOf(TDirectDrawSurface& s) {
  std::vector<DWORD> out;
  for (int y = 0; y < s.Height(); ++y)
    for (int x = 0; x < s.Width(); ++x) out.push_back(s.GetPixel(x, y));
  return out;
}

class SurfaceDraw : public Surface {
 protected:
  void SetUp() override {
    Surface::SetUp();
    Source = std::make_unique<TDirectDrawSurface>(DD());
    Source->SetSize(SrcSide, SrcSide);
    for (int y = 0; y < SrcSide; ++y)
      for (int x = 0; x < SrcSide; ++x) Source->SetPixel(x, y, SourceValue(x, y));
    Dest = std::make_unique<TDirectDrawSurface>(DD());
    Counting = AdoptCounting(*Dest, DestSide, DestSide);
  }
  void TearDown() override {
    Dest.reset();
    Source.reset();
    Surface::TearDown();
  }
  std::unique_ptr<TDirectDrawSurface> Source, Dest;
  TCountingSurface* Counting = nullptr;
};

struct DrawCase {
  const char* Name;
  int X, Y;
  RECT Src;
};

TEST_F(SurfaceDraw, ClipsToBothSurfacesPlainAndMirrored) {
  const DrawCase cases[] = {
      {"whole source inside", 2, 3, {0, 0, 4, 4}},
      {"off the left and top", -2, -1, {0, 0, 4, 4}},
      {"off the right and bottom", 6, 6, {0, 0, 4, 4}},
      {"at the right edge", 8, 0, {0, 0, 4, 4}},
      {"past the right edge", 9, 0, {0, 0, 4, 4}},
      {"wholly left", -4, 0, {0, 0, 4, 4}},
      {"sub-rectangle", 1, 1, {1, 1, 3, 4}},
      {"source past its surface", 0, 0, {2, 2, 6, 6}},
      {"source before its surface", 3, 3, {-2, -2, 2, 2}},
      {"sub-rectangle off the left", -1, 2, {1, 0, 4, 3}},
      {"mirrored", 0, 0, {4, 0, 0, 4}},
      {"mirrored off the left", -1, 0, {4, 0, 0, 4}},
      {"mirrored off the right", 6, 0, {4, 0, 0, 4}},
      {"mirrored sub-rectangle", 2, 2, {3, 0, 1, 4}},
      {"mirrored sub-rectangle off the left", -1, 0, {3, 0, 1, 4}},
      {"mirrored sub-rectangle off the right", 7, 1, {3, 1, 0, 3}},
      {"upside down", 0, 0, {0, 4, 4, 0}},
      {"upside down sub-rectangle off the top", 0, -1, {1, 3, 3, 0}},
      {"both axes off the top left", -1, -2, {4, 4, 0, 0}},
      {"mirrored wholly left", -4, 0, {4, 0, 0, 4}},
      {"mirrored source past its surface", 0, 0, {6, 0, 2, 4}},
  };
  for (const DrawCase& c : cases) {
    ASSERT_TRUE(Dest->Fill(0));
    Dest->Draw(c.X, c.Y, c.Src, Source.get(), false);
    EXPECT_EQ(PixelsOf(*Dest), ExpectedDraw(c.X, c.Y, c.Src)) << c.Name;
  }
}

TEST_F(SurfaceDraw, TransparentDrawSkipsTheKey) {
  Source->SetPixel(1, 1, 0);
  ASSERT_TRUE(Dest->Fill(0x77));
  Dest->Draw(0, 0, RECT{0, 0, 4, 4}, Source.get(), true);
  EXPECT_EQ(Dest->GetPixel(1, 1), 0x77u);
  EXPECT_EQ(Dest->GetPixel(2, 1), SourceValue(2, 1));
  Dest->Draw(4, 0, RECT{4, 0, 0, 4}, Source.get(), true);
  EXPECT_EQ(Dest->GetPixel(6, 1), 0x77u);
  EXPECT_EQ(Dest->GetPixel(7, 1), SourceValue(0, 1));
}

TEST_F(SurfaceDraw, TakesTheFastCopyAndTheGeneralOneOnlyForMirrors) {
  Dest->Draw(0, 0, RECT{0, 0, 4, 4}, Source.get(), false);
  EXPECT_EQ(Counting->BltFastCalls, 1);
  EXPECT_EQ(Counting->BltCalls, 0);
  Dest->Draw(0, 0, RECT{4, 0, 0, 4}, Source.get(), false);
  EXPECT_EQ(Counting->BltFastCalls, 1);
  EXPECT_EQ(Counting->BltCalls, 1);
  // Nothing visible: no call at all.
  Dest->Draw(8, 0, RECT{0, 0, 4, 4}, Source.get(), false);
  Dest->Draw(0, 0, RECT{0, 0, 4, 4}, nullptr, false);
  TDirectDrawSurface empty(DD());
  Dest->Draw(0, 0, RECT{0, 0, 4, 4}, &empty, false);
  EXPECT_EQ(Counting->BltFastCalls, 1);
  EXPECT_EQ(Counting->BltCalls, 1);
}

TEST_F(SurfaceDraw, SwitchesToTheGeneralCopyOnceTheFastOneCannotClip) {
  TFakeWindowBackend backend;
  SetWindowBackend(&backend);
  TDirectDrawClipper clipper(DD());
  clipper.SetHandle(TFakeWindowBackend::Window());
  // Attached behind the wrapper's back, so it does not know of it.
  ASSERT_EQ(Counting->Real()->SetClipper(clipper.ClipperIntf()), 0);
  EXPECT_FALSE(Dest->HasClipper());

  Dest->Draw(1, 1, RECT{0, 0, 4, 4}, Source.get(), false);
  EXPECT_EQ(Counting->BltFastCalls, 1);
  EXPECT_EQ(Counting->BltCalls, 1);
  EXPECT_TRUE(Dest->HasClipper());
  EXPECT_EQ(Dest->LastResult(), 0);
  EXPECT_EQ(Dest->GetPixel(1, 1), SourceValue(0, 0));

  Dest->Draw(4, 4, RECT{0, 0, 4, 4}, Source.get(), false);
  EXPECT_EQ(Counting->BltFastCalls, 1);
  EXPECT_EQ(Counting->BltCalls, 2);
  EXPECT_EQ(Dest->GetPixel(7, 7), SourceValue(3, 3));
}

TEST_F(SurfaceDraw, AdoptedClipperAndSetClipper) {
  TDirectDrawClipper clipper(DD());
  Dest->SetClipper(&clipper);
  EXPECT_TRUE(Dest->HasClipper());
  Dest->SetClipper(nullptr);
  EXPECT_FALSE(Dest->HasClipper());

  // A surface that already has a clipper is known to have one.
  IDirectDrawSurface* raw = MakeRawSurface(*DD(), 2, 2);
  ASSERT_EQ(raw->SetClipper(clipper.ClipperIntf()), 0);
  TDirectDrawSurface adopted(DD());
  adopted.SetSurfaceIntf(raw);
  raw->Release();
  EXPECT_TRUE(adopted.HasClipper());

  // On an empty surface no call is made and nothing is set.
  TDirectDrawSurface empty(DD());
  empty.SetClipper(&clipper);
  EXPECT_FALSE(empty.HasClipper());
}

TEST_F(SurfaceDraw, FillAndFailuresOfALostSurface) {
  ASSERT_TRUE(Dest->Fill(0x123456));
  EXPECT_EQ(Dest->GetPixel(5, 5), 0x123456u);
  LoseEmulatedSurfaces();
  EXPECT_FALSE(Dest->Fill(1));
  EXPECT_EQ(Dest->LastResult(), DDERR_SURFACELOST);
  Dest->Draw(0, 0, RECT{0, 0, 4, 4}, Source.get(), false);
  EXPECT_EQ(Dest->LastResult(), DDERR_SURFACELOST);
  EXPECT_TRUE(Dest->Restore());
  EXPECT_TRUE(Source->Restore());
  EXPECT_TRUE(Dest->Fill(2));
  EXPECT_EQ(Dest->GetPixel(0, 0), 2u);
}

// ---- Lock and pixels -------------------------------------------------------------------

TEST_F(Surface, LocksDoNotNest) {
  TDirectDrawSurface s(DD());
  s.SetSize(6, 4);
  DDSURFACEDESC whole, again;
  ASSERT_TRUE(s.Lock(nullptr, whole));
  EXPECT_EQ(s.LockCount(), 1);
  EXPECT_FALSE(s.Lock(nullptr, again));
  EXPECT_EQ(s.LockCount(), 1);
  s.Unlock();
  EXPECT_EQ(s.LockCount(), 0);
  s.Unlock();
  EXPECT_EQ(s.LockCount(), 0);

  // A part is locked with a pointer to its first pixel; the whole rectangle
  // locks the whole surface.
  const RECT part{2, 1, 4, 3};
  DDSURFACEDESC partial;
  ASSERT_TRUE(s.Lock(&part, partial));
  EXPECT_EQ(static_cast<BYTE*>(partial.lpSurface), static_cast<BYTE*>(whole.lpSurface) + whole.lPitch + 8);
  s.Unlock();
  const RECT all = s.ClientRect();
  ASSERT_TRUE(s.Lock(&all, partial));
  EXPECT_EQ(partial.lpSurface, whole.lpSurface);
  s.Unlock();

  LoseEmulatedSurfaces();
  EXPECT_FALSE(s.Lock(nullptr, partial));
  EXPECT_EQ(s.LastResult(), DDERR_SURFACELOST);
  EXPECT_EQ(s.LockCount(), 0);
}

TEST_F(Surface, PixelsOutsideTheSurfaceAreNotLocked) {
  TDirectDrawSurface s(DD());
  TCountingSurface* counting = AdoptCounting(s, 5, 3);
  s.SetPixel(0, 0, 9);
  counting->LockCalls = 0;
  for (POINT p : {POINT{-1, 0}, POINT{5, 0}, POINT{0, 3}, POINT{0, -1}}) {
    EXPECT_EQ(s.GetPixel(p.x, p.y), 0u);
    s.SetPixel(p.x, p.y, 1);
  }
  EXPECT_EQ(counting->LockCalls, 0);
  EXPECT_EQ(s.GetPixel(0, 0), 9u);
  EXPECT_EQ(counting->LockCalls, 1);
}

TEST_F(Surface, ReplacingTheInterfaceEndsItsLock) {
  TDirectDrawSurface a(DD()), b(DD());
  a.SetSize(4, 4);
  b.Assign(&a);
  DDSURFACEDESC desc;
  ASSERT_TRUE(a.Lock(nullptr, desc));
  a.SetSurfaceIntf(a.SurfaceIntf());  // the same surface: nothing changes
  EXPECT_EQ(a.LockCount(), 1);
  a.SetSurfaceIntf(nullptr);
  EXPECT_EQ(a.LockCount(), 0);
  EXPECT_TRUE(b.Lock(nullptr, desc));
  b.Unlock();
}

struct PixelCase {
  int Bits;
  int X, Y;
  DWORD Value;
  DWORD ReadBack;
  int ByteOffset;  // from the start of row Y
  std::vector<BYTE> Bytes;
};

TEST_F(Surface, PixelLayoutInEveryBitCount) {
  const PixelCase cases[] = {
      {1, 9, 1, 1, 1, 1, {0x40}},
      {1, 0, 0, 5, 1, 0, {0x80}},
      {4, 2, 1, 0xAB, 0xB, 1, {0xB0}},
      {4, 3, 0, 0xC, 0xC, 1, {0x0C}},
      {8, 1, 1, 0x1FE, 0xFE, 1, {0xFE}},
      {16, 1, 1, 0xABCD1234, 0x1234, 2, {0x34, 0x12}},
      {24, 1, 1, 0x11223344, 0x223344, 3, {0x44, 0x33, 0x22}},
      {32, 2, 1, 0x11223344, 0x11223344, 8, {0x44, 0x33, 0x22, 0x11}},
  };
  for (const PixelCase& c : cases) {
    SCOPED_TRACE(c.Bits);
    TDirectDrawSurface s(DD());
    if (c.Bits >= 8) {
      ASSERT_TRUE(SetEmulatedDisplayFormat(static_cast<DWORD>(c.Bits)));
      s.SetSize(16, 3);
    } else {
      DDSURFACEDESC desc;
      desc.dwSize = DDSurfaceDescRecordSize;
      desc.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT | DDSD_PIXELFORMAT;
      desc.dwWidth = 16;
      desc.dwHeight = 3;
      desc.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN;
      desc.ddpfPixelFormat.dwSize = 32;
      desc.ddpfPixelFormat.dwFlags = c.Bits == 1 ? DDPF_PALETTEINDEXED1 : DDPF_PALETTEINDEXED4;
      desc.ddpfPixelFormat.dwRGBBitCount = static_cast<DWORD>(c.Bits);
      ASSERT_TRUE(s.CreateSurface(desc));
    }
    ASSERT_EQ(s.BitCount(), c.Bits);
    s.Pixels[c.X][c.Y] = c.Value;
    EXPECT_EQ(s.GetPixel(c.X, c.Y), c.ReadBack);
    EXPECT_EQ(static_cast<DWORD>(s.Pixels[c.X][c.Y]), c.ReadBack);
    EXPECT_EQ(s.GetPixel(c.X + 1, c.Y), 0u);
    EXPECT_EQ(s.GetPixel(c.X, c.Y - 1 < 0 ? c.Y + 1 : c.Y - 1), 0u);
    DDSURFACEDESC desc;
    ASSERT_TRUE(s.Lock(nullptr, desc));
    const BYTE* row = static_cast<const BYTE*>(desc.lpSurface) + c.Y * desc.lPitch;
    EXPECT_EQ(std::vector<BYTE>(row + c.ByteOffset, row + c.ByteOffset + c.Bytes.size()), c.Bytes);
    s.Unlock();
    if (c.Bits == 1) {
      s.SetPixel(c.X, c.Y, 0);
      EXPECT_EQ(s.GetPixel(c.X, c.Y), 0u);
    }
    ResetDDrawEmulation();
  }
}

// ---- Assign, restore ------------------------------------------------------------------

TEST_F(Surface, AssignDuplicatesReleasesOrRefuses) {
  TDirectDrawSurface a(DD()), b(DD()), empty(DD());
  a.SetSize(3, 3);
  b.Assign(&a);
  ASSERT_FALSE(b.Empty());
  EXPECT_EQ(b.Width(), 3);
  a.SetPixel(1, 2, 0xABCDEF);
  EXPECT_EQ(b.GetPixel(1, 2), 0xABCDEFu);  // the same surface memory
  b.Assign(&empty);
  EXPECT_TRUE(b.Empty());
  a.Assign(nullptr);
  EXPECT_TRUE(a.Empty());
  TPen pen;
  EXPECT_THROW(a.Assign(&pen), EConvertError);
}

TEST_F(Surface, RestoreAfterLoss) {
  TDirectDrawSurface s(DD());
  s.SetSize(2, 2);
  EXPECT_TRUE(s.Restore());
  LoseEmulatedSurfaces();
  EXPECT_EQ(s.GetPixel(0, 0), 0u);
  EXPECT_TRUE(s.Restore());
  s.SetPixel(0, 0, 5);
  EXPECT_EQ(s.GetPixel(0, 0), 5u);
}

}  // namespace

// ---- Canvas ------------------------------------------------------------------------------

namespace {

TEST_F(Surface, CanvasHoldsOneDCUntilReleased) {
  TDirectDrawSurface s(DD());
  TCountingSurface* counting = AdoptCounting(s, 8, 8);
  TDirectDrawSurfaceCanvas* canvas = s.Canvas();
  EXPECT_EQ(s.GetCanvas(), canvas);
  canvas->Release();  // nothing held: nothing happens
  EXPECT_EQ(counting->GetDCCalls, 0);

  canvas->Brush()->SetColor(clRed);
  canvas->FillRect(Rect(0, 0, 4, 4));
  canvas->FillRect(Rect(4, 4, 8, 8));
  EXPECT_EQ(counting->GetDCCalls, 1);
  EXPECT_EQ(s.LastResult(), 0);
  EXPECT_TRUE(canvas->HoldsSurfaceDC());
  // While the DC is out the surface cannot be locked.
  DDSURFACEDESC desc;
  EXPECT_FALSE(s.Lock(nullptr, desc));
  canvas->Release();
  EXPECT_FALSE(canvas->HoldsSurfaceDC());
  EXPECT_EQ(s.GetPixel(1, 1), 0xFF0000u);
  EXPECT_EQ(s.GetPixel(6, 6), 0xFF0000u);
  EXPECT_EQ(s.GetPixel(5, 1), 0u);
}

TEST_F(Surface, CanvasOfAnEmptySurfaceRaises) {
  TDirectDrawSurface s(DD());
  EXPECT_EQ(MessageOf([&] { s.Canvas()->FillRect(Rect(0, 0, 1, 1)); }), "IDirectDrawSurface not made");
}

TEST_F(Surface, CanvasFreedOnItsOwnIsMadeAgain) {
  TDirectDrawSurface s(DD());
  s.SetSize(2, 2);
  s.Canvas()->FillRect(Rect(0, 0, 1, 1));
  delete s.Canvas();
  DDSURFACEDESC desc;
  EXPECT_TRUE(s.Lock(nullptr, desc));  // the DC went back with the canvas
  s.Unlock();
  EXPECT_NE(s.Canvas(), nullptr);
}

// A second object on the same surface memory shows whether the DC was given
// back when the first one dropped or replaced its interface.
TEST_F(Surface, CanvasGivesItsDCBackBeforeTheSurfaceGoes) {
  const std::function<void(TDirectDrawSurface&)> drops[] = {
      [](TDirectDrawSurface& a) { a.SetSurfaceIntf(nullptr); },
      [](TDirectDrawSurface& a) { a.SetSize(3, 3); },
      [](TDirectDrawSurface& a) { a.Assign(nullptr); },
  };
  for (const auto& drop : drops) {
    TDirectDrawSurface a(DD()), b(DD());
    a.SetSize(4, 4);
    b.Assign(&a);
    a.Canvas()->FillRect(Rect(0, 0, 2, 2));
    drop(a);
    DDSURFACEDESC desc;
    EXPECT_TRUE(b.Lock(nullptr, desc));
    b.Unlock();
  }
  TDirectDrawSurface b(DD());
  {
    TDirectDrawSurface a(DD());
    a.SetSize(4, 4);
    b.Assign(&a);
    a.Canvas()->FillRect(Rect(0, 0, 2, 2));
  }
  DDSURFACEDESC desc;
  EXPECT_TRUE(b.Lock(nullptr, desc));
  b.Unlock();
}

TEST_F(Surface, CanvasOfALostSurfaceDrawsNothingAndRaisesNothing) {
  TDirectDrawSurface s(DD());
  s.SetSize(8, 8);
  LoseEmulatedSurfaces();
  TDirectDrawSurfaceCanvas* canvas = s.Canvas();
  EXPECT_NO_THROW({
    canvas->FillRect(Rect(0, 0, 8, 8));
    canvas->TextOut(0, 0, "Złoto");
    canvas->MoveTo(0, 0);
    canvas->LineTo(7, 7);
  });
  EXPECT_EQ(s.LastResult(), DDERR_SURFACELOST);
  EXPECT_FALSE(canvas->HoldsSurfaceDC());
  canvas->Release();
  // The frame goes on to the restore, after which the canvas draws again.
  ASSERT_TRUE(s.Restore());
  canvas->Brush()->SetColor(clLime);
  canvas->FillRect(Rect(0, 0, 2, 2));
  EXPECT_TRUE(canvas->HoldsSurfaceDC());
  canvas->Release();
  EXPECT_EQ(s.GetPixel(1, 1), 0x00FF00u);
}

// ---- ColorMatch --------------------------------------------------------------------------

struct FormatCase {
  const char* Name;
  DWORD Bits;
  bool Rgb555;
};

TEST_F(Surface, ColorMatchAnswersWhatGdiDrawsAndKeepsPixelZero) {
  const FormatCase formats[] = {
      {"32", 32, false}, {"16 (5-6-5)", 16, false}, {"16 (5-5-5)", 16, true}, {"24", 24, false}};
  const TColor colors[] = {clRed,
                           clLime,
                           clBlue,
                           clWhite,
                           clBlack,
                           static_cast<TColor>(RGB(10, 200, 77)),
                           static_cast<TColor>(RGB(131, 7, 250)),
                           clBtnFace};
  for (const FormatCase& f : formats) {
    SCOPED_TRACE(f.Name);
    ASSERT_TRUE(SetEmulatedDisplayFormat(f.Bits, f.Rgb555));
    TDirectDrawSurface s(DD());
    s.SetSize(6, 6);
    ASSERT_EQ(s.BitCount(), static_cast<int>(f.Bits));
    for (TColor color : colors) {
      s.SetPixel(0, 0, 0x5A5A);
      s.Canvas()->Pixels[3][3] = color;
      s.Canvas()->Release();
      const DWORD drawn = s.GetPixel(3, 3);
      EXPECT_EQ(s.ColorMatch(color), drawn) << std::hex << color;
      EXPECT_EQ(s.GetPixel(0, 0), 0x5A5Au);
    }
    ResetDDrawEmulation();
  }
  TDirectDrawSurface s(DD());
  s.SetSize(2, 2);
  EXPECT_EQ(s.ColorMatch(clWhite), 0xFFFFFFu);
  EXPECT_EQ(s.ColorMatch(static_cast<TColor>(RGB(1, 2, 3))), 0x010203u);
}

TEST_F(Surface, ColorMatchReleasesAHeldCanvasFirst) {
  TDirectDrawSurface s(DD());
  s.SetSize(4, 4);
  s.SetPixel(0, 0, 0x333333);
  s.Canvas()->FillRect(Rect(2, 2, 4, 4));  // the DC stays out
  EXPECT_EQ(s.ColorMatch(clRed), 0xFF0000u);
  EXPECT_EQ(s.GetPixel(0, 0), 0x333333u);
  EXPECT_FALSE(s.Canvas()->HoldsSurfaceDC());
}

TEST_F(Surface, ColorMatchOnALostSurfaceAnswersZero) {
  TDirectDrawSurface s(DD());
  s.SetSize(4, 4);
  LoseEmulatedSurfaces();
  EXPECT_EQ(s.ColorMatch(clWhite), 0u);
  ASSERT_TRUE(s.Restore());
  EXPECT_EQ(s.GetPixel(0, 0), 0u);
}

// ---- Loading graphics -----------------------------------------------------------------

// A picture of Width × Height XRGB pixels (value 0x10 * y + x + 0x010000 * k
// where k marks the picture), drawn stretched through GDI.
class TTestGraphic : public TFixedSizeGraphic {
 public:
  TTestGraphic(int w, int h) : TFixedSizeGraphic(w, h), FPixels(static_cast<size_t>(w * h)) {
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) FPixels[static_cast<size_t>(y * w + x)] = Value(x, y);
  }
  static DWORD Value(int x, int y) { return 0x400000u + 0x100u * static_cast<DWORD>(y) + static_cast<DWORD>(x); }

 protected:
  void Draw(TCanvas* ACanvas, const TRect& R) override {
    BITMAPINFO info;
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = FW;
    info.bmiHeader.biHeight = -FH;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    StretchDIBits(ACanvas->Handle(), R.left, R.top, R.right - R.left, R.bottom - R.top, 0, 0, FW, FH, FPixels.data(),
                  &info, DIB_RGB_COLORS, SRCCOPY);
  }

 private:
  std::vector<DWORD> FPixels;
};

TEST_F(Surface, LoadsAWholeGraphicOrAPartOfIt) {
  TTestGraphic picture(6, 4);
  TDirectDrawSurface s(DD());
  s.LoadFromGraphic(&picture);
  ASSERT_EQ(s.Width(), 6);
  ASSERT_EQ(s.Height(), 4);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 6; ++x) ASSERT_EQ(s.GetPixel(x, y), TTestGraphic::Value(x, y)) << x << "," << y;
  EXPECT_FALSE(s.Canvas()->HoldsSurfaceDC());

  s.LoadFromGraphicRect(&picture, 0, 0, RECT{2, 1, 5, 3});
  ASSERT_EQ(s.Width(), 3);
  ASSERT_EQ(s.Height(), 2);
  EXPECT_EQ(s.GetPixel(0, 0), TTestGraphic::Value(2, 1));
  EXPECT_EQ(s.GetPixel(2, 1), TTestGraphic::Value(4, 2));

  // Stretched to twice the size of the part.
  s.LoadFromGraphicRect(&picture, 6, 4, RECT{2, 1, 5, 3});
  ASSERT_EQ(s.Width(), 6);
  EXPECT_EQ(s.GetPixel(0, 0), TTestGraphic::Value(2, 1));
  EXPECT_EQ(s.GetPixel(1, 1), TTestGraphic::Value(2, 1));
  EXPECT_EQ(s.GetPixel(5, 3), TTestGraphic::Value(4, 2));
  EXPECT_EQ(s.GetPixel(2, 2), TTestGraphic::Value(3, 2));

  s.Assign(&picture);
  EXPECT_EQ(s.Width(), 6);
  EXPECT_EQ(s.GetPixel(5, 3), TTestGraphic::Value(5, 3));
}

TEST_F(Surface, AssignsAPicturesGraphic) {
  TPicture picture;
  TBitmap bitmap;
  bitmap.SetSize(3, 2);
  bitmap.Canvas()->Pixels[2][1] = static_cast<TColor>(RGB(9, 8, 7));
  picture.SetGraphic(&bitmap);
  TDirectDrawSurface s(DD());
  s.Assign(&picture);
  ASSERT_EQ(s.Width(), 3);
  ASSERT_EQ(s.Height(), 2);
  EXPECT_EQ(s.GetPixel(2, 1), 0x090807u);
  TPicture empty;
  s.Assign(&empty);
  EXPECT_TRUE(s.Empty());
}

TEST_F(Surface, LoadsADibThroughItsCanvas) {
  TDIB dib;
  dib.SetSize(5, 3, 24);
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 5; ++x) dib.Canvas()->Pixels[x][y] = static_cast<TColor>(RGB(BYTE(10 * y + x + 1), 0, 7));
  TDirectDrawSurface s(DD());
  s.LoadFromGraphicRect(&dib, 0, 0, RECT{1, 1, 5, 3});
  ASSERT_EQ(s.Width(), 4);
  EXPECT_EQ(s.GetPixel(0, 0), 0x010000u * 12 + 7);
  EXPECT_EQ(s.GetPixel(3, 1), 0x010000u * 25 + 7);
  s.LoadFromGraphicRect(&dib, 8, 6, RECT{1, 1, 5, 3});
  EXPECT_EQ(s.GetPixel(7, 5), 0x010000u * 25 + 7);
  EXPECT_FALSE(s.Canvas()->HoldsSurfaceDC());
}

TEST_F(Surface, EmptyGraphicOrRectangleLeavesTheSurfaceEmpty) {
  TTestGraphic picture(4, 4), nothing(0, 0);
  TDirectDrawSurface s(DD());
  for (auto load : std::vector<std::function<void()>>{
           [&] { s.LoadFromGraphic(&nothing); },
           [&] { s.LoadFromGraphic(nullptr); },
           [&] {
             s.LoadFromGraphicRect(&picture, 0, 0, RECT{2, 2, 2, 4});
           },
           [&] {
             s.LoadFromGraphicRect(&picture, 0, 0, RECT{3, 0, 1, 4});
           },
           [&] {
             s.LoadFromGraphicRect(&picture, 8, 8, RECT{0, 3, 4, 3});
           },
           [&] {
             s.LoadFromGraphicRect(&picture, -2, 0, RECT{0, 0, 4, 4});
           },
       }) {
    s.SetSize(2, 2);
    EXPECT_NO_THROW(load());
    EXPECT_TRUE(s.Empty());
  }
}

TEST_F(Surface, CopiesItselfIntoADib) {
  TDirectDrawSurface s(DD());
  s.SetSize(3, 2);
  s.SetPixel(0, 0, 0x102030);
  s.SetPixel(2, 1, 0xA0B0C0);
  TDIB dib;
  dib.Assign(&s);
  ASSERT_EQ(dib.Width(), 3);
  ASSERT_EQ(dib.Height(), 2);
  EXPECT_EQ(dib.BitCount(), 24);
  EXPECT_EQ(dib.Canvas()->GetPixel(0, 0), static_cast<TColor>(RGB(0x10, 0x20, 0x30)));
  EXPECT_EQ(dib.Canvas()->GetPixel(2, 1), static_cast<TColor>(RGB(0xA0, 0xB0, 0xC0)));
  EXPECT_FALSE(s.Canvas()->HoldsSurfaceDC());
  // Into a DIB that holds a 16-bit 5-6-5 picture: 24 bits all the same.
  TDIB wide;
  wide.PixelFormat = Layout565();
  wide.SetSize(5, 5, 16);
  wide.Assign(&s);
  ASSERT_EQ(wide.BitCount(), 24);
  EXPECT_EQ(wide.Width(), 3);
  EXPECT_EQ(wide.PixelFormat.GMask, 0xFF00u);
  EXPECT_EQ(wide.Canvas()->GetPixel(2, 1), static_cast<TColor>(RGB(0xA0, 0xB0, 0xC0)));
  TDirectDrawSurface empty(DD());
  dib.Assign(&empty);
  EXPECT_TRUE(dib.Empty());
}

}  // namespace
