// Blended drawing of surfaces and pictures: the guards and the operation
// chosen, the unlocking when the draw raises or a lock fails, and the pixels
// of keyed copies and alpha blends on real stand-in surfaces.
#include "display/DrawAlpha.h"

#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "display/DXImageList.h"
#include "display/DirectDrawSurface.h"
#include "display/PictureCollection.h"
#include "platform/toolkit/Bitmap.h"
#include "tests/display/DXDrawFixtures.h"
#include "tests/display/DirectDrawFixtures.h"
#include "tests/render/RenderLockFixtures.h"

namespace {

// What the renderer was handed by one DrawAlpha.
struct TBlendCall {
  BYTE DestKind = 0;
  DWORD DestBitCount = 0;
  BYTE SourceKind = 0;
  RECT DestRect{}, SrcRect{};
  TRenderBlendOp Operation = 0;
  LONG Alpha = 0;
  bool Transparent = false;
  DWORD ColorKey = 0;
};

std::vector<TBlendCall> Calls;
bool RaiseInDraw = false;

void RecordBlend(TRenderSurface& Dest, TRenderSurface& Source, const RECT& DestRect, const RECT& SrcRect,
                 TRenderBlendOp Operation, LONG Alpha, bool Transparent, DWORD ColorKey) {
  Calls.push_back({Dest.Kind, Dest.BitCount, Source.Kind, DestRect, SrcRect, Operation, Alpha, Transparent, ColorKey});
  if (RaiseInDraw) throw std::runtime_error("draw failed");
}

// Replaces the renderer by the recorder while it lives.
struct TRecordedBlend {
  TRecordedBlend() {
    Calls.clear();
    RaiseInDraw = false;
    DrawAlphaBlend = &RecordBlend;
  }
  ~TRecordedBlend() {
    DrawAlphaBlend = &DrawStretchBlend;
    RaiseInDraw = false;
  }
};

class DrawAlpha : public DirectDrawTest {
 protected:
  TDirectDraw* DD() {
    if (!FDD) FDD = std::make_unique<TDirectDraw>(nullptr);
    return FDD.get();
  }
  void TearDown() override {
    FDD.reset();
    DirectDrawTest::TearDown();
  }
  // A surface of Format adopted by a wrapper; with Log its interface is a
  // logging one named Name.
  std::unique_ptr<TDirectDrawSurface> Make(LONG W, LONG H, const TDDrawPixelFormat& Format,
                                           const std::string& Name = "", std::vector<std::string>* Log = nullptr,
                                           DWORD Caps = DDSCAPS_OFFSCREENPLAIN) {
    auto s = std::make_unique<TDirectDrawSurface>(DD());
    IDirectDrawSurface* raw = MakeFormatSurface(DrawIntf(DD()), W, H, Format, Caps);
    if (Log) {
      auto* logging = new TLoggingSurface(raw, Name, Log);
      raw->Release();
      raw = logging;
    }
    s->SetSurfaceIntf(raw);
    raw->Release();
    return s;
  }
  static void FillWith(TDirectDrawSurface& S, DWORD Value) {
    for (int y = 0; y < S.Height(); ++y)
      for (int x = 0; x < S.Width(); ++x) S.SetPixel(x, y, Value);
  }
  // Whether nobody holds the surface.
  static bool Unlocked(TDirectDrawSurface& S) {
    DDSURFACEDESC d;
    if (!S.Lock(nullptr, d)) return false;
    S.Unlock();
    return true;
  }
  std::unique_ptr<TDirectDraw> FDD;
};

TEST_F(DrawAlpha, GuardsAndTheOperationChosen) {
  TRecordedBlend recorded;
  auto rgb = Make(8, 8, TDDrawPixelFormat::Xrgb32());
  auto indexed = Make(8, 8, TDDrawPixelFormat::IndexedFormat(8));
  auto source = Make(4, 4, TDDrawPixelFormat::Xrgb32());
  auto empty = std::make_unique<TDirectDrawSurface>(DD());
  source->SetTransparentColor(0x123456);
  const RECT dr{1, 2, 7, 8}, sr{0, 0, 4, 4};
  struct TCase {
    const char* What;
    TDirectDrawSurface* Dest;
    TDirectDrawSurface* Source;
    int Alpha;
    bool Drawn;
    TRenderBlendOp Operation;
  } cases[] = {
      {"alpha 0", rgb.get(), source.get(), 0, false, 0},
      {"negative alpha", rgb.get(), source.get(), -7, false, 0},
      {"blend", rgb.get(), source.get(), 128, true, DrawAlphaBlendOp},
      {"alpha 1", rgb.get(), source.get(), 1, true, DrawAlphaBlendOp},
      {"alpha 254", rgb.get(), source.get(), 254, true, DrawAlphaBlendOp},
      {"alpha 255 copies", rgb.get(), source.get(), 255, true, DrawAlphaCopyOp},
      {"alpha above 255 copies", rgb.get(), source.get(), 300, true, DrawAlphaCopyOp},
      {"8-bit destination copies", indexed.get(), source.get(), 128, true, DrawAlphaCopyOp},
      {"8-bit destination, alpha 1", indexed.get(), source.get(), 1, true, DrawAlphaCopyOp},
      {"no source", rgb.get(), nullptr, 128, false, 0},
      {"empty source", rgb.get(), empty.get(), 128, false, 0},
      {"empty destination", empty.get(), source.get(), 128, false, 0},
      {"the same surface twice", rgb.get(), rgb.get(), 128, false, 0},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.What);
    Calls.clear();
    c.Dest->DrawAlpha(dr, sr, c.Source, true, c.Alpha);
    ASSERT_EQ(Calls.size(), c.Drawn ? 1u : 0u);
    if (c.Drawn) {
      EXPECT_EQ(Calls[0].Operation, c.Operation);
      EXPECT_EQ(Calls[0].Alpha, c.Alpha);
      EXPECT_EQ(Calls[0].DestRect, dr);
      EXPECT_EQ(Calls[0].SrcRect, sr);
      EXPECT_TRUE(Calls[0].Transparent);
      EXPECT_EQ(Calls[0].ColorKey, 0x123456u);  // the source's blit key
    }
    if (!c.Dest->Empty()) { EXPECT_TRUE(Unlocked(*c.Dest)); }
    if (c.Source && !c.Source->Empty()) { EXPECT_TRUE(Unlocked(*c.Source)); }
  }
  // Not transparent: the flag is passed as it stands.
  Calls.clear();
  rgb->DrawAlpha(dr, sr, source.get(), false, 128);
  ASSERT_EQ(Calls.size(), 1u);
  EXPECT_FALSE(Calls[0].Transparent);
}

TEST_F(DrawAlpha, UnlocksSourceThenDestinationAlsoWhenTheDrawRaises) {
  TRecordedBlend recorded;
  std::vector<std::string> log;
  auto dest = Make(8, 8, TDDrawPixelFormat::Rgb565(), "dest", &log);
  auto source = Make(4, 4, TDDrawPixelFormat::Rgb565(), "source", &log);
  dest->DrawAlpha(RECT{0, 0, 8, 8}, RECT{0, 0, 4, 4}, source.get(), false, 100);
  EXPECT_EQ(log, (std::vector<std::string>{"lock dest", "lock source", "unlock source", "unlock dest"}));
  log.clear();
  RaiseInDraw = true;
  EXPECT_THROW(dest->DrawAlpha(RECT{0, 0, 8, 8}, RECT{0, 0, 4, 4}, source.get(), false, 100), std::runtime_error);
  EXPECT_EQ(log, (std::vector<std::string>{"lock dest", "lock source", "unlock source", "unlock dest"}));
  EXPECT_TRUE(Unlocked(*dest));
  EXPECT_TRUE(Unlocked(*source));
}

TEST_F(DrawAlpha, LostSurfacesDrawNothingAndStayUnlocked) {
  TRecordedBlend recorded;
  std::vector<std::string> log;
  // The destination in system memory survives; the source in video memory is lost.
  auto dest = Make(8, 8, TDDrawPixelFormat::Xrgb32(), "dest", &log, DDSCAPS_OFFSCREENPLAIN | DDSCAPS_SYSTEMMEMORY);
  auto source = Make(4, 4, TDDrawPixelFormat::Xrgb32(), "source", &log);
  LoseEmulatedSurfaces();
  dest->DrawAlpha(RECT{0, 0, 8, 8}, RECT{0, 0, 4, 4}, source.get(), true, 100);
  EXPECT_TRUE(Calls.empty());
  EXPECT_EQ(log, (std::vector<std::string>{"lock dest", "lock source failed", "unlock dest"}));
  EXPECT_TRUE(Unlocked(*dest));

  // A lost destination locks nothing else.
  log.clear();
  LoseEmulatedSurfaces(true);
  dest->DrawAlpha(RECT{0, 0, 8, 8}, RECT{0, 0, 4, 4}, source.get(), true, 100);
  EXPECT_TRUE(Calls.empty());
  EXPECT_EQ(log, (std::vector<std::string>{"lock dest failed"}));
}

// One channel of an RGB pixel value as 8 bits (low bits zero).
int Channel(DWORD Pixel, DWORD Mask) {
  if (!Mask) return 0;
  const int low = __builtin_ctz(Mask);
  const int bits = __builtin_popcount(Mask);
  const DWORD v = (Pixel & Mask) >> low;
  return static_cast<int>(bits >= 8 ? v >> (bits - 8) : v << (8 - bits));
}

DWORD Encode(int R, int G, int B, const TDDrawPixelFormat& F) {
  auto put = [](int v, DWORD mask) -> DWORD {
    const int low = __builtin_ctz(mask);
    const int bits = __builtin_popcount(mask);
    return (static_cast<DWORD>(v >> (8 - bits)) << low) & mask;
  };
  return put(R, F.RMask) | put(G, F.GMask) | put(B, F.BMask);
}

struct TDisplayCase {
  const char* Name;
  DWORD BitCount;
  bool Rgb555;
  TDDrawPixelFormat Format;
};

const TDisplayCase DisplayCases[] = {
    {"565", 16, false, TDDrawPixelFormat::Rgb565()},
    {"555", 16, true, TDDrawPixelFormat::Rgb555()},
    {"24-bit", 24, false, TDDrawPixelFormat::Rgb24()},
    {"32-bit", 32, false, TDDrawPixelFormat::Xrgb32()},
};

// A 4 × 3 source: a colour per pixel, the key colour on the diagonal.
struct TSourcePicture {
  DWORD Key;
  DWORD Pixels[3][4];
};

TSourcePicture PaintSource(TDirectDrawSurface& S, const TDDrawPixelFormat& F) {
  TSourcePicture p;
  p.Key = Encode(248, 0, 248, F);
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 4; ++x) {
      p.Pixels[y][x] = x == y ? p.Key : Encode(40 + 48 * x, 200 - 40 * y, 16 * (x + y), F);
      S.SetPixel(x, y, p.Pixels[y][x]);
    }
  S.SetTransparentColor(p.Key);
  return p;
}

TEST_F(DrawAlpha, KeyedCopyStretchesOnEveryDisplayFormat) {
  for (const TDisplayCase& c : DisplayCases) {
    SCOPED_TRACE(c.Name);
    ASSERT_TRUE(SetEmulatedDisplayFormat(c.BitCount, c.Rgb555));
    TDirectDrawSurface dest(DD()), source(DD());
    dest.SetSize(12, 9);
    source.SetSize(4, 3);
    ASSERT_EQ(dest.BitCount(), static_cast<int>(c.BitCount));
    const TSourcePicture pic = PaintSource(source, c.Format);
    const DWORD back = Encode(8, 16, 24, c.Format);
    FillWith(dest, back);
    // Twice the size at (2, 1), with alpha 255: a plain keyed copy.
    dest.DrawAlpha(RECT{2, 1, 10, 7}, RECT{0, 0, 4, 3}, &source, true, 255);
    for (int y = 0; y < 9; ++y)
      for (int x = 0; x < 12; ++x) {
        DWORD want = back;
        if (x >= 2 && x < 10 && y >= 1 && y < 7) {
          const DWORD s = pic.Pixels[(y - 1) / 2][(x - 2) / 2];
          if (s != pic.Key) want = s;
        }
        ASSERT_EQ(dest.GetPixel(x, y), want) << x << ", " << y;
      }
    // Not transparent: the key colour is copied too.
    FillWith(dest, back);
    dest.DrawAlpha(RECT{0, 0, 4, 3}, RECT{0, 0, 4, 3}, &source, false, 255);
    EXPECT_EQ(dest.GetPixel(1, 1), pic.Key);
    EXPECT_EQ(dest.GetPixel(2, 1), pic.Pixels[1][2]);
    EXPECT_TRUE(Unlocked(dest));
    EXPECT_TRUE(Unlocked(source));
  }
}

TEST_F(DrawAlpha, AlphaBlendMixesSourceAndDestinationOnEveryDisplayFormat) {
  for (const TDisplayCase& c : DisplayCases) {
    SCOPED_TRACE(c.Name);
    ASSERT_TRUE(SetEmulatedDisplayFormat(c.BitCount, c.Rgb555));
    TDirectDrawSurface dest(DD()), source(DD());
    dest.SetSize(10, 6);
    source.SetSize(4, 3);
    const TSourcePicture pic = PaintSource(source, c.Format);
    const DWORD back = Encode(100, 100, 100, c.Format);
    FillWith(dest, back);
    dest.DrawAlpha(RECT{1, 0, 9, 6}, RECT{0, 0, 4, 3}, &source, true, 128);
    // A quantum of the coarsest channel: the blend is within one step of
    // d + (s - d) * alpha / 256 in each channel.
    const int quantum = c.BitCount >= 24 ? 1 : 8;
    for (int y = 0; y < 6; ++y)
      for (int x = 0; x < 10; ++x) {
        const DWORD got = dest.GetPixel(x, y);
        if (x < 1 || x >= 9) {
          ASSERT_EQ(got, back) << x << ", " << y;
          continue;
        }
        const DWORD s = pic.Pixels[y / 2][(x - 1) / 2];
        if (s == pic.Key) {
          ASSERT_EQ(got, back) << x << ", " << y;
          continue;
        }
        const DWORD masks[3] = {c.Format.RMask, c.Format.GMask, c.Format.BMask};
        for (DWORD m : masks) {
          const int sv = Channel(s, m), dv = Channel(back, m);
          const int want = dv + (sv - dv) * 128 / 256;
          EXPECT_NEAR(Channel(got, m), want, quantum) << x << ", " << y << " mask " << m;
        }
      }
  }
}

TEST_F(DrawAlpha, WorkedBlendValueOn32Bits) {
  TDirectDrawSurface dest(DD()), source(DD());
  dest.SetSize(2, 2);
  source.SetSize(2, 2);
  FillWith(source, 0xC8C8C8);  // 200 in every channel
  FillWith(dest, 0x646464);    // 100
  dest.DrawAlpha(RECT{0, 0, 2, 2}, RECT{0, 0, 2, 2}, &source, false, 128);
  EXPECT_EQ(dest.GetPixel(0, 0), 0x959596u);  // 149, 149, 150
  EXPECT_EQ(dest.GetPixel(1, 1), 0x959596u);
}

TEST_F(DrawAlpha, IndexedSourceDrawsItsPaletteColours) {
  PALETTEENTRY entries[256] = {};
  entries[1] = PALETTEENTRY{200, 40, 0, 0};
  entries[2] = PALETTEENTRY{0, 120, 240, 0};
  entries[7] = PALETTEENTRY{255, 0, 255, 0};
  auto source = Make(2, 1, TDDrawPixelFormat::IndexedFormat(8));
  IDirectDrawPalette* raw = nullptr;
  ASSERT_EQ(DrawIntf(DD())->CreatePalette(DDPCAPS_8BIT, entries, &raw, nullptr), DD_OK);
  ASSERT_EQ(SurfaceIntf(source.get())->SetPalette(raw), DD_OK);
  raw->Release();
  source->SetPixel(0, 0, 1);
  source->SetPixel(1, 0, 2);
  auto dest = Make(4, 2, TDDrawPixelFormat::Xrgb32());
  FillWith(*dest, 0);
  dest->DrawAlpha(RECT{0, 0, 4, 2}, RECT{0, 0, 2, 1}, source.get(), false, 255);
  EXPECT_EQ(dest->GetPixel(0, 0), 0xC82800u);
  EXPECT_EQ(dest->GetPixel(1, 1), 0xC82800u);
  EXPECT_EQ(dest->GetPixel(2, 0), 0x0078F0u);
  EXPECT_EQ(dest->GetPixel(3, 1), 0x0078F0u);

  // Blended with black at 128 the colours come out about halved.
  FillWith(*dest, 0);
  dest->DrawAlpha(RECT{0, 0, 2, 1}, RECT{0, 0, 2, 1}, source.get(), false, 128);
  const DWORD half = dest->GetPixel(1, 0);
  EXPECT_NEAR(static_cast<int>(half & 0xFF), 120, 2);
  EXPECT_NEAR(static_cast<int>((half >> 8) & 0xFF), 60, 2);
  EXPECT_EQ(half >> 16, 0u);
}

TEST_F(DrawAlpha, EightBitDestinationGetsAPlainCopyForEveryAlpha) {
  auto source = Make(3, 1, TDDrawPixelFormat::IndexedFormat(8));
  source->SetPixel(0, 0, 5);
  source->SetPixel(1, 0, 9);
  source->SetPixel(2, 0, 200);
  source->SetTransparentColor(9);
  auto dest = Make(6, 2, TDDrawPixelFormat::IndexedFormat(8));
  for (int alpha : {1, 100, 255}) {
    SCOPED_TRACE(alpha);
    FillWith(*dest, 77);
    dest->DrawAlpha(RECT{0, 0, 3, 1}, RECT{0, 0, 3, 1}, source.get(), true, alpha);
    EXPECT_EQ(dest->GetPixel(0, 0), 5u);
    EXPECT_EQ(dest->GetPixel(1, 0), 77u);  // the key
    EXPECT_EQ(dest->GetPixel(2, 0), 200u);
    EXPECT_EQ(dest->GetPixel(3, 0), 77u);
    EXPECT_EQ(dest->GetPixel(0, 1), 77u);
  }
}

TEST_F(DrawAlpha, RectanglesOutsideTheSurfacesAreClippedOrRefused) {
  auto source = Make(4, 4, TDDrawPixelFormat::Xrgb32());
  FillWith(*source, 0xABCDEF);
  auto dest = Make(6, 6, TDDrawPixelFormat::Xrgb32());
  // Partly outside the destination on every side: only the inside is drawn.
  FillWith(*dest, 0);
  dest->DrawAlpha(RECT{-3, -3, 9, 9}, RECT{0, 0, 4, 4}, source.get(), false, 255);
  for (int y = 0; y < 6; ++y)
    for (int x = 0; x < 6; ++x) ASSERT_EQ(dest->GetPixel(x, y), 0xABCDEFu);
  // A source rectangle reaching outside the source, an empty or an inverted
  // one, or a destination wholly outside: nothing.
  const RECT refused[][2] = {
      {{0, 0, 6, 6}, {0, 0, 5, 4}}, {{0, 0, 6, 6}, {-1, 0, 4, 4}}, {{0, 0, 6, 6}, {2, 2, 2, 4}},
      {{0, 0, 6, 6}, {4, 4, 0, 0}}, {{6, 0, 9, 6}, {0, 0, 4, 4}},  {{0, 0, 0, 0}, {0, 0, 4, 4}},
  };
  for (const auto& r : refused) {
    SCOPED_TRACE(r[1].left);
    FillWith(*dest, 0);
    dest->DrawAlpha(r[0], r[1], source.get(), false, 128);
    for (int y = 0; y < 6; ++y)
      for (int x = 0; x < 6; ++x) ASSERT_EQ(dest->GetPixel(x, y), 0u);
    EXPECT_TRUE(Unlocked(*dest));
    EXPECT_TRUE(Unlocked(*source));
  }
}

// Pictures on an image list bound to a drawing control.
class PictureDrawAlpha : public DrawControlTest {
 protected:
  void Start() {
    Draw = MakeDraw(0, 0, 200, 100);
    List = new TDXImageList(Form);
    List->SetDXDraw(Draw);
  }
  TDXDraw* Draw = nullptr;
  TDXImageList* List = nullptr;
};

TEST_F(PictureDrawAlpha, DrawsANamedPatternBlendedAndNothingOutOfRange) {
  Start();
  // Two 10 × 10 patterns: blue and lime, each with a magenta corner.
  auto bitmap = std::make_unique<TBitmap>();
  bitmap->SetPixelFormat(pf24bit);
  bitmap->SetSize(20, 10);
  bitmap->Canvas()->Brush()->SetColor(clBlue);
  bitmap->Canvas()->FillRect(TRect{0, 0, 10, 10});
  bitmap->Canvas()->Brush()->SetColor(clLime);
  bitmap->Canvas()->FillRect(TRect{10, 0, 20, 10});
  bitmap->Canvas()->Brush()->SetColor(TColor{0xFF00FF});
  bitmap->Canvas()->FillRect(TRect{0, 0, 2, 2});
  bitmap->Canvas()->FillRect(TRect{10, 0, 12, 2});
  TPictureCollectionItem* item = List->Items()->Add();
  item->SetName("Farm");
  item->SetPicture(bitmap.get());
  item->SetPatternWidth(10);
  item->SetTransparentColor(TColor{0xFF00FF});

  // Before the first restore: nothing is drawn on a live surface, and
  // nothing is raised.
  TDirectDraw own(nullptr);
  TDirectDrawSurface elsewhere(&own);
  elsewhere.SetSize(20, 20);
  elsewhere.Fill(0x123456);
  item->DrawAlpha(&elsewhere, RECT{0, 0, 10, 10}, 0, 255);
  EXPECT_EQ(elsewhere.GetPixel(5, 5), 0x123456u);
  TDirectDrawSurface* none = nullptr;
  item->DrawAlpha(none, RECT{0, 0, 10, 10}, 0, 128);
  Form->Show();
  ASSERT_TRUE(item->Initialized());
  ASSERT_EQ(item->PatternCount(), 2);
  TDirectDrawSurface* back = Draw->Surface();
  ASSERT_EQ(back->BitCount(), 32);

  back->Fill(0);
  List->Items()->Find("farm")->DrawAlpha(back, RECT{20, 20, 40, 40}, 1, 255);
  EXPECT_EQ(back->GetPixel(30, 30), 0x00FF00u);  // lime, stretched twice
  EXPECT_EQ(back->GetPixel(39, 39), 0x00FF00u);
  EXPECT_EQ(back->GetPixel(21, 21), 0u);  // the key leaves the background
  EXPECT_EQ(back->GetPixel(40, 40), 0u);

  back->Fill(0);
  item->DrawAlpha(back, RECT{50, 20, 60, 30}, 0, 128);
  const DWORD blended = back->GetPixel(55, 25);
  EXPECT_EQ(blended & 0xFFFF00, 0u);
  EXPECT_NEAR(static_cast<int>(blended & 0xFF), 128, 2);
  EXPECT_EQ(back->GetPixel(50, 20), 0u);

  // Not transparent: the corner is drawn too.
  item->SetTransparent(false);
  back->Fill(0);
  item->DrawAlpha(back, RECT{0, 0, 10, 10}, 1, 255);
  EXPECT_EQ(back->GetPixel(0, 0), 0xFF00FFu);

  back->Fill(0);
  item->DrawAlpha(back, RECT{0, 0, 10, 10}, -1, 255);
  item->DrawAlpha(back, RECT{0, 0, 10, 10}, 2, 255);
  item->DrawAlpha(back, RECT{0, 0, 10, 10}, 0, 0);
  for (int x = 0; x < 10; ++x) EXPECT_EQ(back->GetPixel(x, 5), 0u);

  // Once the control is finalised the item draws nothing either.
  elsewhere.Fill(0x123456);
  item->DrawAlpha(&elsewhere, RECT{0, 0, 10, 10}, 0, 255);
  EXPECT_NE(elsewhere.GetPixel(5, 5), 0x123456u) << "drawn while bound";
  elsewhere.Fill(0x123456);
  Draw->Finalize();
  item->DrawAlpha(&elsewhere, RECT{0, 0, 10, 10}, 0, 255);
  EXPECT_EQ(elsewhere.GetPixel(5, 5), 0x123456u);
}

}  // namespace
