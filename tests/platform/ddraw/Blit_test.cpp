// Blits in every surface pixel format: colour fill, source-keyed copy,
// stretch, mirror, clipping through a clipper and overlap on one surface.
#include "tests/platform/ddraw/DDrawTestSupport.h"

namespace {

struct TFormatCase {
  const char* Name;
  TDDrawPixelFormat Format;
  // Three colours and a key colour; the 1-bit format has only two values,
  // so some of its letters coincide.
  DWORD A, B, C, K;
};

void PrintTo(const TFormatCase& c, std::ostream* os) { *os << c.Name; }

const TFormatCase Cases[] = {
    {"Indexed1", TDDrawPixelFormat::IndexedFormat(1), 1, 0, 0, 0},
    {"Indexed2", TDDrawPixelFormat::IndexedFormat(2), 1, 2, 3, 0},
    {"Indexed4", TDDrawPixelFormat::IndexedFormat(4), 5, 10, 15, 3},
    {"Indexed8", TDDrawPixelFormat::IndexedFormat(8), 0x11, 0xA0, 0xFE, 0x42},
    {"Rgb565", TDDrawPixelFormat::Rgb565(), 0xF800, 0x07E0, 0x001F, 0xF81F},
    {"Rgb555", TDDrawPixelFormat::Rgb555(), 0x7C00, 0x03E0, 0x001F, 0x7C1F},
    {"Rgb24", TDDrawPixelFormat::Rgb24(), 0xFF0000, 0x00FF00, 0x123456, 0xFF00FF},
    {"Xrgb32", TDDrawPixelFormat::Xrgb32(), 0xFF0000, 0x00FF00, 0x123456, 0xFF00FF},
};

class BlitPerFormat : public DDrawTest, public ::testing::WithParamInterface<TFormatCase> {
 protected:
  // Rows of letters: A, B, C, K stand for the case's colours, '.' for 0.
  std::vector<std::vector<DWORD>> Grid(std::initializer_list<const char*> rows) const {
    const TFormatCase& c = GetParam();
    std::vector<std::vector<DWORD>> out;
    for (const char* row : rows) {
      out.emplace_back();
      for (const char* p = row; *p; ++p)
        out.back().push_back(*p == 'A' ? c.A : *p == 'B' ? c.B : *p == 'C' ? c.C : *p == 'K' ? c.K : 0);
    }
    return out;
  }
  IDirectDrawSurface7* MakeGrid(std::initializer_list<const char*> rows) {
    auto g = Grid(rows);
    IDirectDrawSurface7* s = Make(static_cast<LONG>(g[0].size()), static_cast<LONG>(g.size()), GetParam().Format);
    if (s) Put(s, g);
    return s;
  }
  void SetKey(IDirectDrawSurface7* s) {
    DDCOLORKEY key{GetParam().K, GetParam().K};
    ASSERT_EQ(s->SetColorKey(DDCKEY_SRCBLT, &key), DD_OK);
  }
};

TEST_P(BlitPerFormat, ColourFillCoversTheRectangleOnly) {
  IDirectDrawSurface7* s = MakeGrid({"AAAA", "AAAA", "AAAA"});
  DDBLTFX fx;
  fx.dwSize = 100;
  fx.dwFillColor = GetParam().B;
  RECT r{1, 1, 3, 2};
  ASSERT_EQ(s->Blt(&r, nullptr, nullptr, DDBLT_COLORFILL | DDBLT_WAIT, &fx), DD_OK);
  EXPECT_EQ(Get(s), Grid({"AAAA", "ABBA", "AAAA"}));
  // A fill value wider than the format keeps only the format's bits.
  fx.dwFillColor = (GetParam().Format.BitCount < 32 ? 0xFF000000u : 0u) | GetParam().C;
  ASSERT_EQ(s->Blt(nullptr, nullptr, nullptr, DDBLT_COLORFILL, &fx), DD_OK);
  EXPECT_EQ(Get(s), Grid({"CCCC", "CCCC", "CCCC"}));
  s->Release();
}

TEST_P(BlitPerFormat, SourceKeyedCopySkipsKeyPixels) {
  IDirectDrawSurface7* src = MakeGrid({"AKA", "KAK"});
  IDirectDrawSurface7* dst = MakeGrid({"CCCC", "CCCC"});
  SetKey(src);
  RECT d{1, 0, 4, 2};
  ASSERT_EQ(dst->Blt(&d, src, nullptr, DDBLT_KEYSRC | DDBLT_WAIT, nullptr), DD_OK);
  EXPECT_EQ(Get(dst), Grid({"CACA", "CCAC"}));
  // The fast copy honours the key the same way.
  IDirectDrawSurface7* dst2 = MakeGrid({"CCC", "CCC"});
  ASSERT_EQ(dst2->BltFast(0, 0, src, nullptr, DDBLTFAST_SRCCOLORKEY | DDBLTFAST_WAIT), DD_OK);
  EXPECT_EQ(Get(dst2), Grid({"ACA", "CAC"}));
  // Without the key flag every pixel is copied.
  ASSERT_EQ(dst2->BltFast(0, 0, src, nullptr, DDBLTFAST_WAIT), DD_OK);
  EXPECT_EQ(Get(dst2), Grid({"AKA", "KAK"}));
  src->Release();
  dst->Release();
  dst2->Release();
}

TEST_P(BlitPerFormat, StretchTakesTheNearestPixel) {
  IDirectDrawSurface7* src = MakeGrid({"AB", "CA"});
  IDirectDrawSurface7* big = MakeGrid({"....", "....", "....", "...."});
  ASSERT_EQ(big->Blt(nullptr, src, nullptr, DDBLT_WAIT, nullptr), DD_OK);
  EXPECT_EQ(Get(big), Grid({"AABB", "AABB", "CCAA", "CCAA"}));
  // Shrinking back takes every second pixel.
  IDirectDrawSurface7* wide = MakeGrid({"ABCA", "CCBB"});
  IDirectDrawSurface7* small = MakeGrid({"..", ".."});
  ASSERT_EQ(small->Blt(nullptr, wide, nullptr, DDBLT_WAIT, nullptr), DD_OK);
  EXPECT_EQ(Get(small), Grid({"AC", "CB"}));
  src->Release();
  big->Release();
  wide->Release();
  small->Release();
}

TEST_P(BlitPerFormat, MirrorEffectsFlipTheCopy) {
  IDirectDrawSurface7* src = MakeGrid({"ABC", "CBA", "AAB"});
  IDirectDrawSurface7* dst = MakeGrid({"...", "...", "..."});
  DDBLTFX fx;
  fx.dwSize = 100;
  fx.dwDDFX = DDBLTFX_MIRRORLEFTRIGHT;
  ASSERT_EQ(dst->Blt(nullptr, src, nullptr, DDBLT_DDFX | DDBLT_WAIT, &fx), DD_OK);
  EXPECT_EQ(Get(dst), Grid({"CBA", "ABC", "BAA"}));
  fx.dwDDFX = DDBLTFX_MIRRORUPDOWN;
  ASSERT_EQ(dst->Blt(nullptr, src, nullptr, DDBLT_DDFX | DDBLT_WAIT, &fx), DD_OK);
  EXPECT_EQ(Get(dst), Grid({"AAB", "CBA", "ABC"}));
  fx.dwDDFX = DDBLTFX_MIRRORLEFTRIGHT | DDBLTFX_MIRRORUPDOWN;
  ASSERT_EQ(dst->Blt(nullptr, src, nullptr, DDBLT_DDFX | DDBLT_WAIT, &fx), DD_OK);
  EXPECT_EQ(Get(dst), Grid({"BAA", "ABC", "CBA"}));
  // Mirrored, keyed and stretched at once: 3 × 1 onto 6 × 1.
  IDirectDrawSurface7* row = MakeGrid({"AKB"});
  SetKey(row);
  IDirectDrawSurface7* wide = MakeGrid({"CCCCCC"});
  fx.dwDDFX = DDBLTFX_MIRRORLEFTRIGHT;
  ASSERT_EQ(wide->Blt(nullptr, row, nullptr, DDBLT_DDFX | DDBLT_KEYSRC, &fx), DD_OK);
  EXPECT_EQ(Get(wide), Grid({"BBCCAA"}));
  src->Release();
  dst->Release();
  row->Release();
  wide->Release();
}

TEST_P(BlitPerFormat, ClipperLimitsTheCopyToTheWindow) {
  // The clipper's window covers screen (1, 1) to (4, 3) of this surface.
  HWND window = Backend.AddWindow(1, 1, 3, 2);
  IDirectDrawSurface7* src = MakeGrid({"AAAAA", "BBBBB", "CCCCC", "AAAAA"});
  IDirectDrawSurface7* dst = MakeGrid({".....", ".....", ".....", "....."});
  IDirectDrawClipper* clipper = nullptr;
  ASSERT_EQ(DD->CreateClipper(0, &clipper, nullptr), DD_OK);
  ASSERT_EQ(clipper->SetHWnd(0, window), DD_OK);
  ASSERT_EQ(dst->SetClipper(clipper), DD_OK);
  // A destination reaching past the surface is allowed through a clipper.
  RECT d{-1, 0, 4, 4};
  RECT s{0, 0, 5, 4};
  ASSERT_EQ(dst->Blt(&d, src, &s, DDBLT_WAIT, nullptr), DD_OK);
  EXPECT_EQ(Get(dst), Grid({".....", ".BBB.", ".CCC.", "....."}));
  // The fast copy cannot clip.
  EXPECT_EQ(dst->BltFast(0, 0, src, nullptr, DDBLTFAST_WAIT), DDERR_BLTFASTCANTCLIP);
  clipper->Release();
  src->Release();
  dst->Release();
}

TEST_P(BlitPerFormat, OverlappingCopyOnOneSurfaceReadsTheSourceFirst) {
  IDirectDrawSurface7* s = MakeGrid({"ABC.", "CAB.", "...."});
  RECT from{0, 0, 3, 2};
  RECT to{1, 1, 4, 3};
  ASSERT_EQ(s->Blt(&to, s, &from, DDBLT_WAIT, nullptr), DD_OK);
  EXPECT_EQ(Get(s), Grid({"ABC.", "CABC", ".CAB"}));
  // And to the left, with the fast copy.
  RECT row{1, 1, 4, 2};
  ASSERT_EQ(s->BltFast(0, 1, s, &row, DDBLTFAST_WAIT), DD_OK);
  EXPECT_EQ(Get(s), Grid({"ABC.", "ABCC", ".CAB"}));
  s->Release();
}

INSTANTIATE_TEST_SUITE_P(Formats, BlitPerFormat, ::testing::ValuesIn(Cases),
                         [](const ::testing::TestParamInfo<TFormatCase>& i) { return std::string(i.param.Name); });

}  // namespace
