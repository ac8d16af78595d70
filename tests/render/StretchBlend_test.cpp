#include "render/StretchBlend.h"

#include <gtest/gtest.h>

#include <climits>
#include <vector>

#include "tests/render/RenderModes.h"

namespace {

// An 8-bit indexed source whose texel values are their column plus 16 times
// the row, drawn raw into an 8-bit destination of the same format, so every
// destination byte tells which texel reached it.
class StretchDraw : public RenderModeTest {
 protected:
  static constexpr int SW = 8, SH = 4, DW = 12, DH = 6;
  BYTE Src[SW * SH];
  BYTE Dst[DW * DH];
  TRenderSurface S, D;
  void SetUp() override {
    RenderModeTest::SetUp();
    for (int y = 0; y < SH; ++y)
      for (int x = 0; x < SW; ++x) Src[y * SW + x] = static_cast<BYTE>(x + 16 * y);
    std::fill(std::begin(Dst), std::end(Dst), 0xEE);
    InitIndexedSurface(S, SW, SH, 8, Src, SW, 0xFF, 0);
    InitIndexedSurface(D, DW, DH, 8, Dst, DW, 0xFF, 0);
  }
  void Draw(RECT dr, RECT sr, TRenderBlendOp op = 1, bool key = false, DWORD colorKey = 0) {
    DrawStretchBlend(D, S, dr, sr, op, 255, key, colorKey);
  }
  bool Untouched() const {
    for (BYTE b : Dst)
      if (b != 0xEE) return false;
    return true;
  }
  BYTE At(int x, int y) const { return Dst[y * DW + x]; }
};

}  // namespace

TEST_P(StretchDraw, RectanglesThatDrawNothing) {
  const struct {
    RECT Dest, Src;
  } cases[] = {
      {{0, 0, 0, 4}, {0, 0, 8, 4}},    // empty destination
      {{3, 2, 1, 4}, {0, 0, 8, 4}},    // reversed destination
      {{0, 0, 4, 4}, {0, 0, 9, 4}},    // source right = width + 1
      {{0, 0, 4, 4}, {0, 0, 8, 5}},    // source bottom beyond the source
      {{0, 0, 4, 4}, {-1, 0, 8, 4}},   // source left negative
      {{0, 0, 4, 4}, {4, 0, 4, 4}},    // empty source
      {{12, 0, 20, 4}, {0, 0, 8, 4}},  // wholly right of the destination
      {{0, 6, 4, 9}, {0, 0, 8, 4}},    // wholly below
      {{-9, 0, 0, 4}, {0, 0, 8, 4}},   // right 0 after clipping
      {{0, -5, 4, -1}, {0, 0, 8, 4}},  // bottom negative
  };
  for (const auto& c : cases) {
    Draw(c.Dest, c.Src);
    EXPECT_TRUE(Untouched()) << c.Dest.left << "," << c.Dest.top << "," << c.Dest.right << "," << c.Dest.bottom;
  }
  DrawStretchBlend(D, S, RECT{0, 0, 4, 4}, RECT{0, 0, 8, 4}, 15, 255, false, 0);  // unknown operation
  EXPECT_TRUE(Untouched());
}

TEST_P(StretchDraw, StretchesByNearestTexel) {
  // Destination width 3 from source width 2: DU = 0xAAAA, columns 0, 0, 1.
  Draw(RECT{0, 0, 3, 1}, RECT{0, 0, 2, 1});
  EXPECT_EQ(At(0, 0), 0);
  EXPECT_EQ(At(1, 0), 0);
  EXPECT_EQ(At(2, 0), 1);
  EXPECT_EQ(At(3, 0), 0xEE);
  // Twice the size in both directions.
  Draw(RECT{0, 1, 8, 5}, RECT{2, 1, 6, 3});
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 8; ++x) EXPECT_EQ(At(x, 1 + y), (2 + x / 2) + 16 * (1 + y / 2)) << x << "," << y;
  // Shrinking: every second column.
  Draw(RECT{0, 5, 4, 6}, RECT{0, 0, 8, 1});
  for (int x = 0; x < 4; ++x) EXPECT_EQ(At(x, 5), 2 * x);
}

TEST_P(StretchDraw, ClippedDrawSamplesTheSameTexels) {
  // Unclipped reference: destination rectangle at (0, 0).
  Draw(RECT{0, 0, 12, 6}, RECT{0, 0, 8, 4});
  std::vector<BYTE> reference(std::begin(Dst), std::end(Dst));
  std::fill(std::begin(Dst), std::end(Dst), 0xEE);
  // The same draw shifted up-left by (3, 2): the visible part is the
  // reference shifted, texel for texel.
  Draw(RECT{-3, -2, 9, 4}, RECT{0, 0, 8, 4});
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 9; ++x) EXPECT_EQ(At(x, y), reference[(y + 2) * DW + x + 3]) << x << "," << y;
  EXPECT_EQ(At(9, 0), 0xEE);
  EXPECT_EQ(At(0, 4), 0xEE);
}

TEST_P(StretchDraw, WideDestinationStepsByZero) {
  // More than 65536 destination pixels per source pixel: DU = 0.
  Draw(RECT{0, 0, 70000 * 2, 1}, RECT{5, 0, 7, 1});
  for (int x = 0; x < DW; ++x) EXPECT_EQ(At(x, 0), 5);
}

TEST_P(StretchDraw, ColourKeySkipsMatchingTexels) {
  Draw(RECT{0, 0, 8, 1}, RECT{0, 0, 8, 1}, 1, true, 3);
  for (int x = 0; x < 8; ++x) EXPECT_EQ(At(x, 0), x == 3 ? 0xEE : x);
  Draw(RECT{0, 1, 8, 2}, RECT{0, 0, 8, 1}, 1, false, 3);
  EXPECT_EQ(At(3, 1), 3);
}

TEST_P(StretchDraw, DrawsThatWouldOverflowAreRejectedOrExact) {
  // A destination spanning nearly all of the 32-bit range: widths and the
  // clip offset are taken in 64 bits; every read stays in the source.
  Draw(RECT{INT_MIN + 1, 0, INT_MAX, 1}, RECT{0, 0, 8, 1});
  for (int x = 0; x < DW; ++x) EXPECT_EQ(At(x, 0), 0) << x;  // DU is 0 over so wide a span
  // A source start whose 16.16 position does not fit 32 bits draws nothing.
  std::vector<BYTE> wide(70000);
  TRenderSurface w;
  InitIndexedSurface(w, 70000, 1, 8, wide.data(), 70000, 0xFF, 0);
  std::fill(std::begin(Dst), std::end(Dst), 0xEE);
  DrawStretchBlend(D, w, RECT{0, 0, 2, 1}, RECT{65536, 0, 65538, 1}, 1, 255, false, 0);
  EXPECT_TRUE(Untouched());
  // One pixel from a very wide source: DU above 2^31 is still exact.
  wide[0] = 42;
  DrawStretchBlend(D, w, RECT{0, 0, 1, 1}, RECT{0, 0, 40000, 1}, 1, 255, false, 0);
  EXPECT_EQ(At(0, 0), 42);
}

INSTANTIATE_RENDER_MODES(StretchDraw);

namespace {
class StretchBlend32 : public RenderModeTest {};
DWORD Xrgb(int r, int g, int b) { return (DWORD(r) << 16) | (DWORD(g) << 8) | DWORD(b); }
}  // namespace

TEST_P(StretchBlend32, KeyOnThirtyTwoBitSourcesIgnoresTheTopByte) {
  DWORD src[3] = {0xAA123456, 0x00123456, 0x00654321};
  DWORD dst[3] = {1, 2, 3};
  TRenderSurface s, d;
  InitRGBSurface(s, 3, 1, 32, src, 12, 0xFF0000, 0xFF00, 0xFF, 0);
  InitRGBSurface(d, 3, 1, 32, dst, 12, 0xFF0000, 0xFF00, 0xFF, 0);
  DrawStretchBlend(d, s, RECT{0, 0, 3, 1}, RECT{0, 0, 3, 1}, 1, 255, true, 0x123456);
  EXPECT_EQ(dst[0], 1u);
  EXPECT_EQ(dst[1], 2u);
  EXPECT_EQ(dst[2], 0x00654321u);  // stored with the top byte cleared
  DWORD dst2[3] = {1, 2, 3};
  InitRGBSurface(d, 3, 1, 32, dst2, 12, 0xFF0000, 0xFF00, 0xFF, 0);
  DrawStretchBlend(d, s, RECT{0, 0, 3, 1}, RECT{0, 0, 3, 1}, 1, 255, true, 0x01123456);
  EXPECT_EQ(dst2[0], 0x00123456u);  // a key of 2^24 or more matches nothing
  EXPECT_EQ(dst2[1], 0x00123456u);
  // Without the key test the raw texel goes through unchanged.
  DrawStretchBlend(d, s, RECT{0, 0, 3, 1}, RECT{0, 0, 3, 1}, 1, 255, false, 0);
  EXPECT_EQ(dst2[0], 0xAA123456u);
}

TEST_P(StretchBlend32, EqualMasksCopyBitForBit) {
  WORD src[2] = {0x8001, 0xFFFF};
  WORD dst[2] = {};
  TRenderSurface s, d;
  InitRGBSurface(s, 2, 1, 16, src, 4, 0x7C00, 0x03E0, 0x001F, 0);
  InitRGBSurface(d, 2, 1, 16, dst, 4, 0x7C00, 0x03E0, 0x001F, 0);
  DrawStretchBlend(d, s, RECT{0, 0, 2, 1}, RECT{0, 0, 2, 1}, 1, 255, false, 0);
  EXPECT_EQ(dst[0], 0x8001);
  EXPECT_EQ(dst[1], 0xFFFF);
}

TEST_P(StretchBlend32, AlphaIsClampedToTheByteRange) {
  DWORD src[1] = {Xrgb(200, 200, 200)};
  DWORD dst[1];
  TRenderSurface s, d;
  InitRGBSurface(s, 1, 1, 32, src, 4, 0xFF0000, 0xFF00, 0xFF, 0);
  InitRGBSurface(d, 1, 1, 32, dst, 4, 0xFF0000, 0xFF00, 0xFF, 0);
  const struct {
    LONG Alpha;
    DWORD Expect;
  } cases[] = {
      {300, Xrgb(199, 199, 199)},                           // as 255: (200 * 255 + 100 * 0) / 256, blue 100 + 99
      {255, Xrgb(199, 199, 199)}, {-5, Xrgb(99, 99, 100)},  // as 0
      {0, Xrgb(99, 99, 100)},     {128, Xrgb(149, 149, 150)},
  };
  for (const auto& c : cases) {
    dst[0] = Xrgb(100, 100, 100);
    DrawStretchBlend(d, s, RECT{0, 0, 1, 1}, RECT{0, 0, 1, 1}, 10, c.Alpha, false, 0);
    EXPECT_EQ(dst[0], c.Expect) << c.Alpha;
  }
}

TEST(StretchHelpers, ArithmeticAndClipping) {
  EXPECT_EQ(MulDivInt(2, 65536, 3), 43690);
  EXPECT_EQ(MulDivInt(-7, 2, 4), -3);
  EXPECT_EQ(MinInt(3, -1), -1);
  LONG l = -4, r = 10, cx = 0;
  EXPECT_TRUE(ClipSpanX(l, r, cx, 8));
  EXPECT_EQ(l, 0);
  EXPECT_EQ(r, 8);
  EXPECT_EQ(cx, 4);
  RECT rc{2, -3, 5, 0};
  LONG ox = 0, oy = 0;
  EXPECT_FALSE(ClipSpans(rc, ox, oy, 8, 8));
}

INSTANTIATE_RENDER_MODES(StretchBlend32);
