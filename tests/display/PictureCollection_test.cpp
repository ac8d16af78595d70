#include "display/PictureCollection.h"

#include <gtest/gtest.h>

#include <cstring>

#include "display/DXImageList.h"
#include "platform/rtl/Cp1250.h"
#include "platform/rtl/Streams.h"
#include "platform/toolkit/Bitmap.h"
#include "platform/toolkit/Filer.h"
#include "tests/display/DXDrawFixtures.h"
#include "tests/display/DirectDrawFixtures.h"

namespace {

constexpr TColor Magenta = 0xFF00FF;

// A 24-bit picture of one colour, with a square of another at (X, Y).
std::unique_ptr<TBitmap> MakePicture(int Width, int Height, TColor Back = clBlue, TColor Square = clLime, int X = 0,
                                     int Y = 0, int Side = 0) {
  auto bitmap = std::make_unique<TBitmap>();
  bitmap->SetPixelFormat(pf24bit);
  bitmap->SetSize(Width, Height);
  bitmap->Canvas()->Brush()->SetColor(Back);
  bitmap->Canvas()->FillRect(TRect{0, 0, Width, Height});
  if (Side > 0) {
    bitmap->Canvas()->Brush()->SetColor(Square);
    bitmap->Canvas()->FillRect(TRect{X, Y, X + Side, Y + Side});
  }
  return bitmap;
}

class Pictures : public DrawControlTest {
 protected:
  void Start(TDXDrawOptions Options = DefaultDXDrawOptions) {
    Draw = MakeDraw(0, 0, 200, 100);
    Draw->SetOptions(Options);
    List = new TDXImageList(Form);
    List->SetDXDraw(Draw);
  }
  TPictureCollectionItem* AddItem(const std::string& Name, TGraphic* Picture) {
    TPictureCollectionItem* item = List->Items()->Add();
    item->SetName(Name);
    item->SetPicture(Picture);
    return item;
  }

  TDXDraw* Draw = nullptr;
  TDXImageList* List = nullptr;
};

struct CutCase {
  const char* What;
  int W, H, PW, PH, SW, SH;
  bool SystemMemory;
  int Patterns;
  std::vector<SIZE> Surfaces;
  // Some patterns to check: index, surface index, rectangle on it.
  struct Probe {
    int Index;
    int Surface;
    RECT Rect;
  };
  std::vector<Probe> Probes;
};

TEST_F(Pictures, PatternsAndTilesAsTheStepsCutThem) {
  Start();
  Form->Show();
  ASSERT_TRUE(List->Items()->Initialized());
  const CutCase cases[] = {
      {"whole picture", 64, 32, 0, 0, 0, 0, false, 1, {{64, 32}}, {{0, 0, {0, 0, 64, 32}}}},
      {"three patterns on one tile",
       100,
       40,
       30,
       40,
       5,
       0,
       false,
       3,
       {{100, 40}},
       {{0, 0, {0, 0, 30, 40}}, {1, 0, {35, 0, 65, 40}}, {2, 0, {70, 0, 100, 40}}}},
      {"system memory: one surface", 100, 40, 30, 40, 5, 0, true, 3, {{100, 40}}, {{2, 0, {70, 0, 100, 40}}}},
      {"tiles of 600 pixels",
       1000,
       50,
       100,
       0,
       0,
       0,
       false,
       10,
       {{600, 50}, {400, 50}},
       {{5, 0, {500, 0, 600, 50}}, {6, 1, {0, 0, 100, 50}}, {9, 1, {300, 0, 400, 50}}}},
      {"tile rows",
       40,
       1200,
       0,
       100,
       0,
       0,
       false,
       12,
       {{40, 600}, {40, 600}},
       {{5, 0, {0, 500, 40, 600}}, {6, 1, {0, 0, 40, 100}}}},
      {"grid", 64, 64, 16, 16, 0, 0, false, 16, {{64, 64}}, {{5, 0, {16, 16, 32, 32}}, {15, 0, {48, 48, 64, 64}}}},
      {"negative skip: one surface", 100, 40, 30, 0, -10, 0, false, 4, {{100, 40}}, {{3, 0, {60, 0, 90, 40}}}},
      {"zero step", 100, 40, 10, 0, -10, 0, false, 0, {}, {}},
      {"negative step", 100, 40, 10, 0, -25, 0, false, 0, {}, {}},
      {"zero height step", 100, 40, 0, 20, 0, -20, true, 0, {}, {}},
      {"pattern wider than the picture", 64, 32, 100, 0, 0, 0, false, 0, {}, {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.What);
    auto picture = MakePicture(c.W, c.H);
    TPictureCollectionItem* item = AddItem("cut", picture.get());
    item->SetPatternWidth(c.PW);
    item->SetPatternHeight(c.PH);
    item->SetSkipWidth(c.SW);
    item->SetSkipHeight(c.SH);
    item->SetSystemMemory(c.SystemMemory);
    item->Restore();
    ASSERT_EQ(item->PatternCount(), c.Patterns);
    ASSERT_EQ(item->SurfaceCount(), static_cast<int>(c.Surfaces.size()));
    for (size_t i = 0; i < c.Surfaces.size(); ++i) {
      EXPECT_EQ(item->Surfaces(static_cast<int>(i))->Width(), c.Surfaces[i].cx) << i;
      EXPECT_EQ(item->Surfaces(static_cast<int>(i))->Height(), c.Surfaces[i].cy) << i;
    }
    for (const auto& p : c.Probes) {
      const TPictureCollectionItemPattern* pattern = item->Patterns(p.Index);
      EXPECT_EQ(pattern->Surface, item->Surfaces(p.Surface)) << p.Index;
      EXPECT_EQ(pattern->Rect, p.Rect) << p.Index;
    }
    delete item;
  }
}

TEST_F(Pictures, DrawsPatternsByIndexAndNothingOutOfRange) {
  Start();
  auto picture = MakePicture(40, 20, clBlue, clLime, 20, 0, 20);  // right half green
  TPictureCollectionItem* item = AddItem("two", picture.get());
  item->SetPatternWidth(20);
  item->SetTransparent(false);
  TDirectDrawSurface* none = nullptr;
  item->Draw(none, 0, 0, 0);  // nothing to draw on, before any restore
  Form->Show();
  ASSERT_EQ(item->PatternCount(), 2);
  TDirectDrawSurface* back = Draw->Surface();
  back->Fill(0);
  item->Draw(back, 10, 10, 1);
  EXPECT_EQ(back->GetPixel(10, 10), 0x0000FF00u);
  EXPECT_EQ(back->GetPixel(30, 10), 0u);
  item->Draw(back, 50, 10, 0);
  EXPECT_EQ(back->GetPixel(55, 15), 0x000000FFu);
  back->Fill(0);
  item->Draw(back, 0, 0, -1);
  item->Draw(back, 0, 0, 2);
  for (int x = 0; x < 40; x += 5) EXPECT_EQ(back->GetPixel(x, 5), 0u);
}

TEST_F(Pictures, FindIgnoresCaseOfPolishLettersAndReportsMissingNamesLiterally) {
  Start();
  auto picture = MakePicture(8, 8);
  TPictureCollectionItem* archer = AddItem(Cp("łucznik"), picture.get());
  TPictureCollectionItem* hand = AddItem("hand", picture.get());
  EXPECT_EQ(List->Items()->Find(Cp("ŁUCZNIK")), archer);
  EXPECT_EQ(List->Items()->Find(Cp("ŁuCzNiK")), archer);
  EXPECT_EQ(List->Items()->Find("HAND"), hand);
  try {
    List->Items()->Find(Cp("Żołnierz"));
    FAIL();
  } catch (const EPictureCollectionError& e) { EXPECT_EQ(std::string(e.what()), Cp("Image 'Żołnierz' not found")); }
  try {
    List->Items()->Find("%s%d%n");
    FAIL();
  } catch (const EPictureCollectionError& e) { EXPECT_STREQ(e.what(), "Image '%s%d%n' not found"); }
  EXPECT_EQ(List->Items()->Items(1), hand);
  EXPECT_THROW(List->Items()->Items(2), EListError);
  EXPECT_THROW(List->Items()->Items(-1), EListError);
}

struct KeyCase {
  const char* What;
  DWORD BitCount;
  bool Rgb555;
  DWORD Key;
};

TEST_F(Pictures, TheMagentaKeyOnEveryDesktopFormat) {
  const KeyCase cases[] = {{"565", 16, false, 0xF81F}, {"555", 16, true, 0x7C1F}, {"32-bit", 32, false, 0xFF00FF}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.What);
    ASSERT_TRUE(SetEmulatedDisplayFormat(c.BitCount, c.Rgb555));
    auto* draw = MakeDraw(0, 0, 100, 60);
    auto* list = new TDXImageList(Form);
    list->SetDXDraw(draw);
    auto picture = MakePicture(20, 20, Magenta, clLime, 5, 5, 10);
    TPictureCollectionItem* item = list->Items()->Add();
    item->SetName("unit");
    item->SetPicture(picture.get());
    item->SetTransparentColor(Magenta);
    draw->Initialize();
    ASSERT_EQ(item->SurfaceCount(), 1);
    DDCOLORKEY key;
    ASSERT_EQ(SurfaceIntf(item->Surfaces(0))->GetColorKey(DDCKEY_SRCBLT, &key), 0);
    EXPECT_EQ(key.dwColorSpaceLowValue, c.Key);
    TDirectDrawSurface* back = draw->Surface();
    const DWORD blue = back->ColorMatch(clBlue);
    const DWORD lime = back->ColorMatch(clLime);
    back->Fill(blue);
    list->Items()->Find("UNIT")->Draw(back, 30, 20, 0);
    EXPECT_EQ(back->GetPixel(31, 21), blue);  // the key shows the background
    EXPECT_EQ(back->GetPixel(36, 26), lime);
    EXPECT_EQ(back->GetPixel(49, 39), blue);
    list->Free();
    draw->Free();
  }
}

TEST_F(Pictures, ChangingTheTransparentColourReKeysExistingSurfacesOnly) {
  Start();
  auto picture = MakePicture(10, 10);
  TPictureCollectionItem* item = AddItem("k", picture.get());
  item->SetTransparentColor(clRed);  // no surfaces yet: kept
  EXPECT_EQ(item->TransparentColor(), clRed);
  Form->Show();
  DDCOLORKEY key;
  SurfaceIntf(item->Surfaces(0))->GetColorKey(DDCKEY_SRCBLT, &key);
  EXPECT_EQ(key.dwColorSpaceLowValue, 0x00FF0000u);
  item->SetTransparentColor(clBlue);
  SurfaceIntf(item->Surfaces(0))->GetColorKey(DDCKEY_SRCBLT, &key);
  EXPECT_EQ(key.dwColorSpaceLowValue, 0x000000FFu);
}

TEST_F(Pictures, BindingToAnInitialisedControlBuildsSurfacesAtOnceAndUnbindingFreesThem) {
  Draw = MakeDraw(0, 0, 200, 100);
  Form->Show();
  List = new TDXImageList(Form);
  auto picture = MakePicture(30, 30);
  TPictureCollectionItem* item = AddItem("late", picture.get());
  EXPECT_EQ(item->SurfaceCount(), 0);
  List->SetDXDraw(Draw);
  EXPECT_TRUE(item->Initialized());
  EXPECT_EQ(item->SurfaceCount(), 1);
  const int ddrawSurfaces = Draw->DDraw()->SurfaceCount();
  List->SetDXDraw(nullptr);
  EXPECT_EQ(item->SurfaceCount(), 0);
  EXPECT_FALSE(item->Initialized());
  EXPECT_EQ(Draw->DDraw()->SurfaceCount(), ddrawSurfaces - 1);

  // An item added while bound stays without surfaces until the next restore.
  List->SetDXDraw(Draw);
  TPictureCollectionItem* added = AddItem("added", picture.get());
  EXPECT_EQ(added->SurfaceCount(), 0);
  added->Draw(Draw->Surface(), 0, 0, 0);
  Draw->Restore();
  EXPECT_EQ(added->SurfaceCount(), 1);
}

TEST_F(Pictures, FinalisingAndDestroyingTheControlFreesThePictureSurfacesFirst) {
  Start();
  auto picture = MakePicture(30, 30);
  TPictureCollectionItem* item = AddItem("p", picture.get());
  Form->Show();
  ASSERT_EQ(item->SurfaceCount(), 1);
  Form->Perform(WM_DESTROY);
  EXPECT_EQ(item->SurfaceCount(), 0);
  EXPECT_FALSE(List->Items()->Initialized());
  Draw->Initialize();
  EXPECT_EQ(item->SurfaceCount(), 1);
  Draw->Free();
  EXPECT_EQ(List->DXDraw(), nullptr);
  EXPECT_EQ(item->SurfaceCount(), 0);
}

TEST_F(Pictures, ARestoreThatFailsHalfWayKeepsNoPatterns) {
  // DirectDraw refuses the second tile (400 pixels wide) everywhere.
  TRefusingDDrawModule refusing([](const DDSURFACEDESC& d) { return d.dwWidth == 400; });
  Start(DefaultDXDrawOptions - TDXDrawOptions{doDirectX7Mode});
  auto picture = MakePicture(1000, 50);
  TPictureCollectionItem* item = AddItem("wide", picture.get());
  item->SetPatternWidth(100);
  auto small = MakePicture(10, 10);
  TPictureCollectionItem* other = AddItem("small", small.get());
  EXPECT_THROW(Draw->Initialize(), EDirectDrawSurfaceError);
  EXPECT_EQ(item->PatternCount(), 0);
  EXPECT_EQ(item->SurfaceCount(), 0);
  EXPECT_EQ(other->SurfaceCount(), 0);
  EXPECT_FALSE(Draw->Initialized());
}

TEST_F(Pictures, InitialisingWithoutAnInitialisedControlFails) {
  Start();
  try {
    List->Items()->InitializeImages(Draw);
    FAIL();
  } catch (const EPictureCollectionError& e) { EXPECT_STREQ(e.what(), "TPictureCollection cannot be initialized"); }
  EXPECT_EQ(List->Items()->DXDraw(), nullptr);
  EXPECT_THROW(List->Items()->InitializeImages(nullptr), EPictureCollectionError);
}

TEST_F(Pictures, AssignCopiesSettingsPictureAndNameAndRebuilds) {
  Start();
  Form->Show();
  auto picture = MakePicture(60, 20);
  TPictureCollectionItem* source = AddItem("source", picture.get());
  source->SetPatternWidth(20);
  source->SetSkipWidth(0);
  source->SetTransparentColor(clRed);
  source->SetTransparent(false);
  source->SetSystemMemory(true);
  auto other = MakePicture(5, 5);
  TPictureCollectionItem* copy = AddItem("copy", other.get());
  List->Items()->Restore();
  ASSERT_EQ(copy->PatternCount(), 1);
  copy->Assign(source);
  EXPECT_EQ(copy->Name(), "source");
  EXPECT_EQ(copy->PatternWidth(), 20);
  EXPECT_EQ(copy->TransparentColor(), clRed);
  EXPECT_FALSE(copy->Transparent());
  EXPECT_TRUE(copy->SystemMemory());
  EXPECT_EQ(copy->Picture()->Width(), 60);
  EXPECT_EQ(copy->PatternCount(), 3);              // rebuilt at once
  EXPECT_EQ(List->Items()->IndexOf("source"), 1);  // of two items so named, the one named last
}

// The stored form of a collection: its own "ColorTable", then the items.
std::vector<std::uint8_t> ColorTableProperty(std::uint32_t Length, std::uint8_t Fill) {
  std::vector<std::uint8_t> out;
  const std::string name = "ColorTable";
  out.push_back(static_cast<std::uint8_t>(name.size()));
  out.insert(out.end(), name.begin(), name.end());
  out.push_back(vaBinary);
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(Length >> (8 * i)));
  out.insert(out.end(), Length, Fill);
  return out;
}

TEST_F(Pictures, ColorTableIsExactly1024RawBytesAndShortDataIsAReadError) {
  Start();
  TPictureCollection* items = List->Items();
  items->ColorTable()[1].rgbBlue = 1;
  items->ColorTable()[1].rgbGreen = 2;
  items->ColorTable()[1].rgbRed = 3;
  items->ColorTable()[255].rgbReserved = 9;
  TMemoryStream stored;
  WritePersistentProperties(&stored, items);
  stored.SetPosition(0);
  TPictureCollection read(nullptr);
  ReadPersistentProperties(&stored, &read);
  EXPECT_EQ(read.ColorTable()[1].rgbBlue, 1);
  EXPECT_EQ(read.ColorTable()[1].rgbGreen, 2);
  EXPECT_EQ(read.ColorTable()[1].rgbRed, 3);
  EXPECT_EQ(read.ColorTable()[255].rgbReserved, 9);

  // 1024 zero bytes, as both programs store them, are always written.
  TPictureCollection zero(nullptr);
  TMemoryStream zeros;
  WritePersistentProperties(&zeros, &zero);
  auto expected = ColorTableProperty(1024, 0);
  ASSERT_GE(zeros.Size(), static_cast<std::int64_t>(expected.size()));
  EXPECT_EQ(std::memcmp(zeros.Memory(), expected.data(), expected.size()), 0);

  for (std::uint32_t length : {0u, 10u, 1023u}) {
    SCOPED_TRACE(length);
    auto bytes = ColorTableProperty(length, 0x77);
    bytes.push_back(vaNull);
    TMemoryStream shortData;
    shortData.WriteBuffer(bytes.data(), static_cast<std::int64_t>(bytes.size()));
    shortData.SetPosition(0);
    TPictureCollection target(nullptr);
    EXPECT_THROW(ReadPersistentProperties(&shortData, &target), EReadError);
    EXPECT_EQ(target.ColorTable()[0].rgbBlue, 0);  // nothing half-read
  }
}

TEST_F(Pictures, StoredImageListReadsBackItsItems) {
  Start();
  auto picture = MakePicture(24, 12);
  TPictureCollectionItem* item = AddItem("tile", picture.get());
  item->SetPatternWidth(12);
  item->SetTransparentColor(Magenta);
  TMemoryStream stored;
  WritePersistentProperties(&stored, List);
  stored.SetPosition(0);
  TDXImageList copy(nullptr);
  ReadPersistentProperties(&stored, &copy);
  ASSERT_EQ(copy.Items()->Count(), 1);
  TPictureCollectionItem* back = copy.Items()->Find("TILE");
  EXPECT_EQ(back->PatternWidth(), 12);
  EXPECT_EQ(back->TransparentColor(), Magenta);
  EXPECT_TRUE(back->Transparent());
  EXPECT_EQ(back->Picture()->Width(), 24);
  EXPECT_EQ(back->GetHeight(), 12);
}

}  // namespace

namespace {

TEST_F(Pictures, SurfacesOutliveTheirDirectDrawObjectDetachedAndAreFreedByTheirItem) {
  Draw = MakeDraw(0, 0, 200, 100);
  Form->Show();
  // A collection bound by hand: nobody tells it when the control finalises.
  TPictureCollection pictures(nullptr);
  auto picture = MakePicture(30, 30);
  TPictureCollectionItem* item = pictures.Add();
  item->SetPicture(picture.get());
  pictures.InitializeImages(Draw);
  pictures.Restore();
  ASSERT_EQ(item->SurfaceCount(), 1);
  TDirectDrawSurface* surface = item->Surfaces(0);
  Draw->Finalize();
  EXPECT_EQ(surface->DDraw(), nullptr);
  EXPECT_TRUE(surface->Empty());
  Draw->Initialize();
  item->Draw(Draw->Surface(), 0, 0, 0);  // draws nothing
  pictures.Restore();                    // rebuilt on the control's new DirectDraw object
  ASSERT_EQ(item->SurfaceCount(), 1);
  EXPECT_EQ(item->Surfaces(0)->DDraw(), Draw->DDraw());
  Draw->Finalize();
  pictures.Restore();  // bound to a control that is not initialised: nothing
  EXPECT_EQ(item->SurfaceCount(), 0);
  EXPECT_FALSE(item->Initialized());
}

TEST(DirectDrawOwnership, DetachesSurfacesTheirMakersOwnAndFreesTheRest) {
  RegisterDDrawModules();
  ResetDDrawEmulation();
  auto ddraw = std::make_unique<TDirectDraw>(nullptr, true);
  auto owned = std::make_unique<TDirectDrawSurface>(ddraw.get());
  owned->SetOwnedByMaker(true);
  owned->SetSize(8, 8);
  new TDirectDrawSurface(ddraw.get());  // freed with the DirectDraw object
  EXPECT_EQ(ddraw->SurfaceCount(), 2);
  ddraw.reset();
  EXPECT_EQ(owned->DDraw(), nullptr);
  EXPECT_TRUE(owned->Empty());
  EXPECT_FALSE(owned->CreateSurface(DDSURFACEDESC{}));
  owned.reset();
}

}  // namespace
