#include "display/DisplayMode.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "platform/toolkit/Filer.h"
#include "tests/display/DirectDrawFixtures.h"

namespace {

using DisplayModes = DirectDrawTest;

struct TShownMode {
  int Width, Height, BitCount;
  friend bool operator==(const TShownMode&, const TShownMode&) = default;
};

void PrintTo(const TShownMode& m, std::ostream* os) { *os << m.Width << "x" << m.Height << "x" << m.BitCount; }

TShownMode CurrentDisplayMode(TDirectDraw& dd) {
  DDSURFACEDESC desc;
  desc.dwSize = 108;
  EXPECT_EQ(dd.DrawIntf()->GetDisplayMode(&desc), 0);
  return {int(desc.dwWidth), int(desc.dwHeight), int(desc.ddpfPixelFormat.dwRGBBitCount)};
}

std::vector<TShownMode> ListOf(TDXDrawDisplay& d) {
  std::vector<TShownMode> out;
  for (int i = 0; i < d.Count(); ++i)
    out.push_back({d.Modes(i)->Width(), d.Modes(i)->Height(), d.Modes(i)->BitCount()});
  return out;
}

TEST_F(DisplayModes, DefaultsAndSetters) {
  TFakeDXDraw control;
  TDXDrawDisplay& d = control.Disp;
  EXPECT_EQ(d.Width(), 640);
  EXPECT_EQ(d.Height(), 480);
  EXPECT_EQ(d.BitCount(), 8);
  EXPECT_TRUE(d.FixedBitCount());
  EXPECT_TRUE(d.FixedRatio());
  EXPECT_FALSE(d.FixedSize());
  d.SetWidth(-5);
  EXPECT_EQ(d.Width(), 0);
  d.SetHeight(-1);
  EXPECT_EQ(d.Height(), 0);
  for (int bits : {8, 16, 24, 32}) {
    d.SetBitCount(bits);
    EXPECT_EQ(d.BitCount(), bits);
  }
  for (int bits : {0, 15, 4, 64}) {
    try {
      d.SetBitCount(bits);
      ADD_FAILURE() << bits;
    } catch (const EDirectDrawError& e) { EXPECT_EQ(e.Message(), "It should be either of 8 or 16 or 24 or 32"); }
    EXPECT_EQ(d.BitCount(), 32);
  }
}

TEST_F(DisplayModes, AssignCopiesTheSetting) {
  TFakeDXDraw a, b;
  a.Disp.SetWidth(1024);
  a.Disp.SetHeight(768);
  a.Disp.SetBitCount(16);
  a.Disp.SetFixedBitCount(false);
  a.Disp.SetFixedRatio(false);
  a.Disp.SetFixedSize(true);
  b.Disp.Assign(&a.Disp);
  EXPECT_EQ(b.Disp.Width(), 1024);
  EXPECT_EQ(b.Disp.Height(), 768);
  EXPECT_EQ(b.Disp.BitCount(), 16);
  EXPECT_FALSE(b.Disp.FixedBitCount());
  EXPECT_FALSE(b.Disp.FixedRatio());
  EXPECT_TRUE(b.Disp.FixedSize());
  b.Disp.Assign(&b.Disp);
  EXPECT_EQ(b.Disp.Width(), 1024);
  TPen pen;
  EXPECT_THROW(b.Disp.Assign(&pen), EConvertError);
}

TEST_F(DisplayModes, ListIsSortedAndReadFromTheControlsObjectOrATemporaryOne) {
  SetEmulatedDisplayModes(
      {{800, 600, 32}, {640, 480, 16}, {800, 600, 8}, {640, 480, 8}, {1024, 768, 16}, {800, 480, 16}});
  const std::vector<TShownMode> sorted{{640, 480, 8}, {640, 480, 16}, {800, 480, 16},
                                       {800, 600, 8}, {800, 600, 32}, {1024, 768, 16}};
  TFakeDXDraw control;
  EXPECT_EQ(ListOf(control.Disp), sorted);  // through a DirectDraw object of its own
  EXPECT_EQ(control.Disp.IndexOf(800, 600, 32), 4);
  EXPECT_EQ(control.Disp.IndexOf(800, 600, 16), -1);
  EXPECT_THROW(control.Disp.Modes(6), EListError);

  TDirectDraw dd(nullptr);
  control.DD = &dd;
  SetEmulatedDisplayModes({{640, 480, 32}, {640, 480, 16}});
  EXPECT_EQ(control.Disp.Count(), 6);  // kept until emptied
  control.Disp.ClearModes();
  EXPECT_EQ(ListOf(control.Disp), (std::vector<TShownMode>{{640, 480, 16}, {640, 480, 32}}));
  EXPECT_EQ(dd.LastResult(), 0);
  EXPECT_EQ(control.Disp.Modes(1)->SurfaceDesc().dwWidth, 640u);
}

TEST_F(DisplayModes, SetSizeNeedsTheControlsObject) {
  TFakeDXDraw control;
  EXPECT_FALSE(control.Disp.SetSize(800, 600, 16));
  EXPECT_EQ(control.Disp.Width(), 640);
  TDirectDraw dd(nullptr);
  control.DD = &dd;
  EXPECT_TRUE(control.Disp.SetSize(800, 600, 16));
  EXPECT_EQ(CurrentDisplayMode(dd), (TShownMode{800, 600, 16}));
  EXPECT_EQ(control.Disp.Width(), 800);
  EXPECT_EQ(control.Disp.BitCount(), 16);
  EXPECT_FALSE(control.Disp.SetSize(801, 600, 16));
  EXPECT_NE(dd.LastResult(), 0);
  EXPECT_EQ(control.Disp.Width(), 800);
}

struct BestFitCase {
  const char* Name;
  int Width, Height, BitCount;
  bool FixedBitCount, FixedRatio, FixedSize;
  bool Answer;
  TShownMode Set;
};

TEST_F(DisplayModes, BestFitSearches) {
  const std::vector<TEmulatedDisplayMode> listed{{640, 480, 8},   {640, 480, 16},  {640, 480, 32},
                                                 {800, 600, 8},   {800, 600, 16},  {800, 600, 32},
                                                 {1024, 768, 16}, {1024, 768, 32}, {1280, 1024, 32}};
  const TShownMode untouched{1024, 768, 32};
  const BestFitCase cases[] = {
      {"no mode of that ratio", 720, 480, 16, true, true, false, true, {800, 600, 16}},
      {"deeper mode of that ratio", 1280, 1024, 16, false, true, false, true, {1280, 1024, 32}},
      {"last acceptable of the smallest size", 800, 600, 24, false, true, false, true, {800, 600, 32}},
      {"fixed size not listed", 800, 500, 16, true, true, true, false, untouched},
      {"larger than every mode", 1600, 1200, 16, true, true, false, false, untouched},
      {"exact mode", 640, 480, 32, true, true, false, true, {640, 480, 32}},
      {"wanted bit count at the chosen size", 700, 500, 16, false, false, false, true, {800, 600, 16}},
      {"8 bits take deeper modes", 1024, 768, 8, false, true, false, true, {1024, 768, 32}},
      {"fixed bit count", 1024, 768, 8, true, true, false, false, untouched},
      {"zero width", 0, 480, 8, true, true, false, false, untouched},
      {"15 bits", 640, 480, 15, false, false, false, false, untouched},
  };
  for (const BestFitCase& c : cases) {
    SCOPED_TRACE(c.Name);
    ResetDDrawEmulation();
    SetEmulatedDisplayModes(listed);
    TDirectDraw dd(nullptr);
    ASSERT_TRUE(dd.DrawIntf()->SetDisplayMode(1024, 768, 32) == 0);
    TFakeDXDraw control;
    control.DD = &dd;
    control.Disp.SetFixedBitCount(c.FixedBitCount);
    control.Disp.SetFixedRatio(c.FixedRatio);
    control.Disp.SetFixedSize(c.FixedSize);
    EXPECT_EQ(control.Disp.SetSizeBestFit(c.Width, c.Height, c.BitCount), c.Answer);
    EXPECT_EQ(CurrentDisplayMode(dd), c.Set);
    if (c.Answer) {
      EXPECT_EQ((TShownMode{control.Disp.Width(), control.Disp.Height(), control.Disp.BitCount()}), c.Set);
    }
  }
}

TEST_F(DisplayModes, SixteenBitsDoNotTakeEightBitModes) {
  SetEmulatedDisplayModes({{640, 480, 8}, {800, 600, 16}, {1024, 768, 8}});
  TDirectDraw dd(nullptr);
  TFakeDXDraw control;
  control.DD = &dd;
  control.Disp.SetFixedBitCount(false);
  control.Disp.SetFixedRatio(false);
  EXPECT_TRUE(control.Disp.SetSizeBestFit(640, 480, 16));
  EXPECT_EQ(CurrentDisplayMode(dd), (TShownMode{800, 600, 16}));
  EXPECT_FALSE(control.Disp.SetSizeBestFit(900, 700, 16));
}

TEST_F(DisplayModes, BadRequestsDoNotTouchTheDisplay) {
  TDirectDraw dd(nullptr);
  TFakeDXDraw control;
  control.DD = &dd;
  const TShownMode before = CurrentDisplayMode(dd);
  for (auto [w, h, b] :
       {std::tuple{0, 480, 8}, std::tuple{640, 0, 8}, std::tuple{-640, 480, 8}, std::tuple{640, 480, 15}}) {
    EXPECT_FALSE(control.Disp.SetSizeBestFit(w, h, b));
  }
  EXPECT_EQ(CurrentDisplayMode(dd), before);
  EXPECT_EQ(dd.LastResult(), 0);
}

}  // namespace

namespace {

std::string StoredForm(TDXDrawDisplay& d) {
  TMemoryStream stream;
  TWriter writer(&stream);
  writer.WriteProperties(&d);
  const auto& bytes = stream.Bytes();
  return std::string(bytes.begin(), bytes.end());
}

// Whether the stored form holds a property of that name (its length byte
// and its name).
bool Stores(const std::string& stored, const std::string& name) {
  return stored.find(std::string(1, char(name.size())) + name) != std::string::npos;
}

TEST_F(DisplayModes, StoresTheRulesAlwaysAndTheSizeWhenNotDefault) {
  TFakeDXDraw control;
  std::string stored = StoredForm(control.Disp);
  for (const char* name : {"FixedBitCount", "FixedRatio", "FixedSize"}) EXPECT_TRUE(Stores(stored, name)) << name;
  for (const char* name : {"Width", "Height", "BitCount"}) EXPECT_FALSE(Stores(stored, name)) << name;
  control.Disp.SetWidth(800);
  control.Disp.SetBitCount(16);
  stored = StoredForm(control.Disp);
  EXPECT_TRUE(Stores(stored, "Width"));
  EXPECT_TRUE(Stores(stored, "BitCount"));
  EXPECT_FALSE(Stores(stored, "Height"));

  TPropertyList list;
  control.Disp.GetProperties(list);
  ASSERT_NE(list.Find("BitCount"), nullptr);
  EXPECT_THROW(list.Find("BitCount")->SetOrdinal(12), EDirectDrawError);
  list.Find("Height")->SetOrdinal(-3);
  EXPECT_EQ(control.Disp.Height(), 0);
}

TEST_F(DisplayModes, ModesAreCollectionItemsInSortedPositions) {
  SetEmulatedDisplayModes({{800, 600, 32}, {640, 480, 16}, {640, 480, 8}});
  TFakeDXDraw control;
  ASSERT_EQ(control.Disp.Count(), 3);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(control.Disp.Modes(i)->Index(), i);
  EXPECT_EQ(control.Disp.Modes(2)->Width(), 800);
  EXPECT_EQ(control.Disp.Modes(0)->BitCount(), 8);
}

}  // namespace
