#include "display/DirectDraw.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "display/DirectDrawSurface.h"
#include "tests/display/DirectDrawFixtures.h"

namespace {

template <class F>
std::string MessageOf(F&& f) {
  try {
    f();
  } catch (const Exception& e) { return e.Message(); }
  return "no exception";
}

using DirectDrawObject = DirectDrawTest;

TEST_F(DirectDrawObject, DirectX7ModeHoldsAllThreeInterfacesAndTheCaps) {
  TDirectDraw dd(nullptr);
  EXPECT_NE(dd.DrawIntf(), nullptr);
  EXPECT_NE(dd.Draw4Intf(), nullptr);
  EXPECT_NE(dd.Draw7Intf(), nullptr);
  EXPECT_EQ(dd.DriverCaps().dwSize, 380u);
  EXPECT_EQ(dd.HELCaps().dwSize, 380u);
  EXPECT_NE(dd.DriverCaps().dwCaps & DDCAPS_BLT, 0u);
  EXPECT_EQ(dd.LastResult(), 0);
}

TEST_F(DirectDrawObject, WithoutDirectX7ModeThereIsNoIDirectDraw7) {
  TDirectDraw dd(nullptr, false);
  EXPECT_NE(dd.DrawIntf(), nullptr);
  EXPECT_NE(dd.Draw4Intf(), nullptr);
  EXPECT_EQ(Draw7Intf(&dd), nullptr);
  EXPECT_THROW(dd.Draw7Intf(), EDirectDrawError);
  EXPECT_EQ(MessageOf([&] { dd.Draw7Intf(); }), "IDirectDraw7 not made");
}

TEST_F(DirectDrawObject, LenientGettersAnswerNilWithoutAnObject) {
  EXPECT_EQ(DrawIntf(static_cast<TDirectDraw*>(nullptr)), nullptr);
  EXPECT_EQ(Draw4Intf(static_cast<TDirectDraw*>(nullptr)), nullptr);
  EXPECT_EQ(Draw7Intf(static_cast<TDirectDraw*>(nullptr)), nullptr);
  EXPECT_EQ(PaletteIntf(static_cast<TDirectDrawPalette*>(nullptr)), nullptr);
  EXPECT_EQ(ClipperIntf(static_cast<TDirectDrawClipper*>(nullptr)), nullptr);
  EXPECT_EQ(SurfaceIntf(static_cast<TDirectDrawSurface*>(nullptr)), nullptr);
  EXPECT_EQ(Surface4Intf(static_cast<TDirectDrawSurface*>(nullptr)), nullptr);
  EXPECT_EQ(Surface7Intf(static_cast<TDirectDrawSurface*>(nullptr)), nullptr);
}

TEST_F(DirectDrawObject, CreationFailures) {
  GUID unknown{0x12345678, 1, 2, {3, 4, 5, 6, 7, 8, 9, 10}};
  for (bool dx7 : {true, false}) {
    try {
      TDirectDraw dd(&unknown, dx7);
      ADD_FAILURE() << "made on an unknown driver";
    } catch (const EDirectDrawError& e) { EXPECT_EQ(e.Message(), "DirectDraw cannot be initialized"); }
  }
  FreeBoundLibraries();
  ModuleRegistry::SetMissing("DDraw.dll", true);
  EXPECT_EQ(MessageOf([] { TDirectDraw dd(nullptr); }), "DDraw.dll not loaded");
  ModuleRegistry::SetMissing("DDraw.dll", false);
  ModuleRegistry::SetEntryMissing("DDraw.dll", "DirectDrawCreate", true);
  EXPECT_EQ(MessageOf([] { TDirectDraw dd(nullptr, false); }), "DDraw.dll not loaded");
  ModuleRegistry::SetEntryMissing("DDraw.dll", "DirectDrawCreate", false);
  EXPECT_NO_THROW(TDirectDraw(nullptr, false));
}

TEST_F(DirectDrawObject, DriverGuidTakesThePrimaryDriverAsNil) {
  TDirectDraw primary(TDriverGUID::Primary());
  TDirectDraw none{TDriverGUID()};
  EXPECT_NE(primary.DrawIntf(), nullptr);
  EXPECT_NE(none.DrawIntf(), nullptr);
  GUID g{1, 2, 3, {4, 5, 6, 7, 8, 9, 10, 11}};
  EXPECT_EQ(TDriverGUID::FromPointer(nullptr), TDriverGUID::Primary());
  EXPECT_EQ(TDriverGUID::FromPointer(&g).Kind(), TDriverGUID::dgGuid);
  EXPECT_EQ(*TDriverGUID(g).Pointer(), g);
  EXPECT_EQ(TDriverGUID::Primary().Pointer(), nullptr);
  EXPECT_FALSE(TDriverGUID() == TDriverGUID::Primary());
  EXPECT_THROW(TDirectDraw{TDriverGUID(g)}, EDirectDrawError);
}

// Wrappers that note when they are freed and whether the DirectDraw object
// still had its interface at that moment.
std::vector<std::string> FreeLog;

class TLoggedSurface : public TDirectDrawSurface {
 public:
  TLoggedSurface(TDirectDraw* dd, std::string name) : TDirectDrawSurface(dd), FName(std::move(name)) {}
  ~TLoggedSurface() override { FreeLog.push_back(FName + (DrawIntf(DDraw()) ? "" : " after release")); }

 private:
  std::string FName;
};
class TLoggedPalette : public TDirectDrawPalette {
 public:
  TLoggedPalette(TDirectDraw* dd, std::string name) : TDirectDrawPalette(dd), FName(std::move(name)) {}
  ~TLoggedPalette() override { FreeLog.push_back(FName + (DrawIntf(DDraw()) ? "" : " after release")); }

 private:
  std::string FName;
};
class TLoggedClipper : public TDirectDrawClipper {
 public:
  TLoggedClipper(TDirectDraw* dd, std::string name) : TDirectDrawClipper(dd), FName(std::move(name)) {}
  ~TLoggedClipper() override { FreeLog.push_back(FName + (DrawIntf(DDraw()) ? "" : " after release")); }

 private:
  std::string FName;
};

TEST_F(DirectDrawObject, FreesSurfacesThenPalettesThenClippersLastMadeFirst) {
  FreeLog.clear();
  auto* dd = new TDirectDraw(nullptr);
  new TLoggedClipper(dd, "clipper 1");
  new TLoggedClipper(dd, "clipper 2");
  new TLoggedSurface(dd, "surface 1");
  new TLoggedPalette(dd, "palette 1");
  auto* s2 = new TLoggedSurface(dd, "surface 2");
  s2->SetSize(4, 4);
  new TLoggedPalette(dd, "palette 2");
  EXPECT_EQ(dd->SurfaceCount(), 2);
  EXPECT_EQ(dd->PaletteCount(), 2);
  EXPECT_EQ(dd->ClipperCount(), 2);
  EXPECT_EQ(dd->Surfaces(1), s2);
  delete dd;
  EXPECT_EQ(FreeLog,
            (std::vector<std::string>{"surface 2", "surface 1", "palette 2", "palette 1", "clipper 2", "clipper 1"}));
}

TEST_F(DirectDrawObject, WrappersFreedFirstLeaveTheLists) {
  TDirectDraw dd(nullptr);
  auto* clipper = new TDirectDrawClipper(&dd);
  auto* palette = new TDirectDrawPalette(&dd);
  auto* s1 = new TDirectDrawSurface(&dd);
  auto* s2 = new TDirectDrawSurface(&dd);
  delete s1;
  delete palette;
  delete clipper;
  EXPECT_EQ(dd.SurfaceCount(), 1);
  EXPECT_EQ(dd.Surfaces(0), s2);
  EXPECT_EQ(dd.PaletteCount(), 0);
  EXPECT_EQ(dd.ClipperCount(), 0);
  EXPECT_THROW(dd.Clippers(0), EListError);
  EXPECT_EQ(MessageOf([&] { dd.Surfaces(1); }), "List index out of bounds (1)");
  EXPECT_EQ(MessageOf([&] { dd.Palettes(-1); }), "List index out of bounds (-1)");
}

TEST_F(DirectDrawObject, PaletteCreationAndEntries) {
  TDirectDraw dd(nullptr);
  TDirectDrawPalette palette(&dd);
  EXPECT_EQ(PaletteIntf(&palette), nullptr);
  EXPECT_EQ(MessageOf([&] { palette.PaletteIntf(); }), "IDirectDrawPalette not made");
  EXPECT_THROW(palette.PaletteIntf(), EDirectDrawPaletteError);

  std::vector<PALETTEENTRY> entries(256);
  for (int i = 0; i < 256; ++i) entries[i] = PALETTEENTRY{BYTE(i), BYTE(255 - i), 7, 0};
  ASSERT_TRUE(palette.CreatePalette(DDPCAPS_8BIT | DDPCAPS_ALLOW256, entries.data()));
  EXPECT_EQ(palette.LastResult(), 0);
  PALETTEENTRY change[2] = {{1, 2, 3, 0}, {4, 5, 6, 0}};
  EXPECT_TRUE(palette.SetEntries(10, 2, change));
  PALETTEENTRY read[3];
  ASSERT_EQ(palette.PaletteIntf()->GetEntries(0, 9, 3, read), 0);
  EXPECT_EQ(read[0].peRed, 9);
  EXPECT_EQ(read[1].peBlue, 3);
  EXPECT_EQ(read[2].peGreen, 5);
}

TEST_F(DirectDrawObject, APaletteMadeWithoutEntriesIsAllBlack) {
  TDirectDraw dd(nullptr);
  TDirectDrawPalette palette(&dd);
  // A palette of other colours first, made from the same place on the stack,
  // so that entries left unset would show its colours.
  std::vector<PALETTEENTRY> colours(256, PALETTEENTRY{0xA5, 0x5A, 0xC3, 0});
  const DWORD caps = DDPCAPS_8BIT | DDPCAPS_INITIALIZE | DDPCAPS_ALLOW256;
  const bool first = palette.CreatePalette(caps, colours.data());
  const bool second = palette.CreatePalette(caps, nullptr);
  ASSERT_TRUE(first && second);
  PALETTEENTRY read[256];
  ASSERT_EQ(palette.PaletteIntf()->GetEntries(0, 0, 256, read), 0);
  for (int i = 0; i < 256; ++i) {
    SCOPED_TRACE(i);
    ASSERT_EQ(read[i].peRed | read[i].peGreen | read[i].peBlue | read[i].peFlags, 0);
  }
}

TEST_F(DirectDrawObject, FailedPaletteIsRecordedOnBothAndRefusesEntries) {
  TDirectDraw dd(nullptr);
  TDirectDrawPalette palette(&dd);
  std::vector<PALETTEENTRY> entries(256);
  ASSERT_TRUE(palette.CreatePalette(DDPCAPS_8BIT, entries.data()));
  // No bit depth in the flags: DirectDraw refuses, and the old palette is gone.
  EXPECT_FALSE(palette.CreatePalette(0, entries.data()));
  EXPECT_NE(dd.LastResult(), 0);
  EXPECT_EQ(palette.LastResult(), dd.LastResult());
  EXPECT_EQ(PaletteIntf(&palette), nullptr);
  const HRESULT failure = palette.LastResult();
  EXPECT_FALSE(palette.SetEntries(0, 1, entries.data()));
  EXPECT_EQ(palette.LastResult(), failure);
}

TEST_F(DirectDrawObject, ClipperIsBoundToAWindow) {
  TDirectDraw dd(nullptr);
  TDirectDrawClipper clipper(&dd);
  ASSERT_NE(ClipperIntf(&clipper), nullptr);
  clipper.SetHandle(TFakeWindowBackend::Window());
  EXPECT_EQ(clipper.LastResult(), 0);
  HWND bound = nullptr;
  ASSERT_EQ(clipper.ClipperIntf()->GetHWnd(&bound), 0);
  EXPECT_EQ(bound, TFakeWindowBackend::Window());
}

TEST_F(DirectDrawObject, ClipperThatCannotBeMadeLeavesTheList) {
  TRefusingDDrawModule module(nullptr);
  TDirectDraw dd(nullptr, false);
  TDirectDrawClipper first(&dd);
  TRefusingDirectDraw::RefuseClipper = true;
  try {
    new TDirectDrawClipper(&dd);
    ADD_FAILURE() << "a clipper was made";
  } catch (const EDirectDrawClipperError& e) { EXPECT_EQ(e.Message(), "Clipper cannot be made"); }
  EXPECT_EQ(dd.LastResult(), DDERR_OUTOFMEMORY);
  ASSERT_EQ(dd.ClipperCount(), 1);
  EXPECT_EQ(dd.Clippers(0), &first);
}

BOOL CollectDriver(GUID* guid, char* description, char*, void* context) {
  auto* names = static_cast<std::vector<std::string>*>(context);
  names->push_back(std::string(description) + (guid ? " (guid)" : " (nil)"));
  return TRUE;
}

TEST_F(DirectDrawObject, EnumeratesTheDrivers) {
  std::vector<std::string> names;
  EXPECT_EQ(EnumDirectDrawDrivers(&CollectDriver, &names), DD_OK);
  EXPECT_EQ(names, std::vector<std::string>{"Primary Display Driver (nil)"});
  EXPECT_EQ(EnumDirectDrawDrivers(nullptr, nullptr), DDERR_INVALIDPARAMS);
}

// ---- ClipBlitRects ---------------------------------------------------------------

struct ClipCase {
  const char* Name;
  RECT Dest, Src, DestBound, SrcBound;
  bool Answer;
  RECT WantDest, WantSrc;
};

TEST(ClipBlitRects, Table) {
  const RECT b12{0, 0, 12, 10};
  const ClipCase cases[] = {
      {"worked case", {-5, 0, 15, 10}, {0, 0, 20, 10}, b12, b12, true, {0, 0, 7, 10}, {5, 0, 12, 10}},
      {"inside", {2, 3, 6, 7}, {1, 1, 5, 5}, b12, b12, true, {2, 3, 6, 7}, {1, 1, 5, 5}},
      {"off the top", {0, -4, 4, 2}, {0, 0, 4, 6}, b12, b12, true, {0, 0, 4, 2}, {0, 4, 4, 6}},
      {"off the bottom right", {10, 8, 14, 12}, {0, 0, 4, 4}, b12, b12, true, {10, 8, 12, 10}, {0, 0, 2, 2}},
      {"source off its left", {2, 0, 6, 4}, {-3, 0, 1, 4}, b12, b12, true, {5, 0, 6, 4}, {0, 0, 1, 4}},
      {"source past its bottom", {0, 0, 4, 4}, {0, 8, 4, 12}, b12, b12, true, {0, 0, 4, 2}, {0, 8, 4, 10}},
      {"wholly left of its bound", {-8, 0, -2, 4}, {0, 0, 6, 4}, b12, b12, false, {0, 0, -2, 4}, {8, 0, 6, 4}},
      {"touching the right edge", {12, 0, 16, 4}, {0, 0, 4, 4}, b12, b12, false, {12, 0, 12, 4}, {0, 0, 0, 4}},
      {"bounds not at the origin",
       {0, 0, 10, 10},
       {0, 0, 10, 10},
       {2, 2, 8, 8},
       {0, 0, 5, 5},
       true,
       {2, 2, 5, 5},
       {2, 2, 5, 5}},
      {"far outside without overflow",
       {INT32_MIN, 0, INT32_MIN + 4, 4},
       {0, 0, 4, 4},
       b12,
       b12,
       false,
       {0, 0, INT32_MIN + 4, 4},
       {INT32_MAX, 0, 4, 4}},
  };
  for (const ClipCase& c : cases) {
    RECT dest = c.Dest, src = c.Src;
    EXPECT_EQ(ClipBlitRects(dest, src, c.DestBound, c.SrcBound), c.Answer) << c.Name;
    EXPECT_EQ(dest, c.WantDest) << c.Name;
    EXPECT_EQ(src, c.WantSrc) << c.Name;
  }
}

}  // namespace
