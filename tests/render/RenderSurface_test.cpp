#include "render/RenderSurface.h"

#include <gtest/gtest.h>

TEST(RenderBits, HighestLowestAndCount) {
  EXPECT_EQ(HighestSetBit(0), 0u);
  EXPECT_EQ(HighestSetBit(1), 0u);
  EXPECT_EQ(HighestSetBit(100), 6u);
  EXPECT_EQ(HighestSetBit(0x80000000u), 31u);
  EXPECT_EQ(LowestSetBit(0), 31u);
  EXPECT_EQ(LowestSetBit(0x80000000u), 31u);
  EXPECT_EQ(LowestSetBit(0x07E0), 5u);
  EXPECT_EQ(CountSetBits(0xFFFFFFFFu), 32u);
  EXPECT_EQ(CountSetBits(0xF800), 5u);
}

struct TChannelCase {
  DWORD Mask;
  DWORD Bits, ShiftRight, ShiftLeft;
};

TEST(RenderSurface, DescribeChannelTable) {
  const TChannelCase cases[] = {
      {0xF800, 5, 8, 0},    {0x07E0, 6, 3, 0}, {0x001F, 5, 0, 3}, {0x7C00, 5, 7, 0}, {0x03E0, 5, 2, 0},
      {0xFF0000, 8, 16, 0}, {0xFF00, 8, 8, 0}, {0xFF, 8, 0, 0},   {0, 0, 23, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Mask);
    const TRenderChannel ch = DescribeChannel(c.Mask, false);
    EXPECT_EQ(ch.Mask, c.Mask);
    EXPECT_EQ(ch.Bits, c.Bits);
    EXPECT_EQ(ch.ShiftRight, c.ShiftRight);
    EXPECT_EQ(ch.ShiftLeft, c.ShiftLeft);
  }
  const TRenderChannel index = DescribeChannel(0xF0, true);
  EXPECT_EQ(index.ShiftRight, 4u);
  EXPECT_EQ(index.ShiftLeft, 0u);
  EXPECT_EQ(index.Bits, 4u);
}

TEST(RenderSurface, GeometryFields) {
  TRenderSurface s;
  BYTE pixels[4] = {};
  InitRGBSurface(s, 100, 1, 32, pixels, -2560, 0xFF0000, 0xFF00, 0xFF, 0);
  EXPECT_EQ(s.Kind, rkRGB);
  EXPECT_EQ(s.WidthBits, 6u);
  EXPECT_EQ(s.Width2, 64u);
  EXPECT_EQ(s.WidthMask, 63u);
  EXPECT_EQ(s.HeightBits, 0u);
  EXPECT_EQ(s.Height2, 1u);
  EXPECT_EQ(s.HeightMask, 0u);
  EXPECT_EQ(s.PitchBits, 11u);
  EXPECT_EQ(s.Bits, pixels);
  EXPECT_EQ(SurfaceChannelMask(s), rcRGB);
}

TEST(RenderSurface, IndexedRecordKeepsPaletteApartFromChannels) {
  TRenderSurface s;
  BYTE pixels[4] = {};
  PALETTEENTRY pal[2];
  pal[1].peRed = 10;
  pal[1].peGreen = 20;
  pal[1].peBlue = 30;
  InitIndexedSurface(s, 8, 1, 8, pixels, 8, 0xFF, 0, pal, 2);
  EXPECT_EQ(s.Kind, rkIndexed);
  EXPECT_EQ(s.Index().Mask, 0xFFu);
  EXPECT_EQ(s.Index().ShiftRight, 0u);
  EXPECT_EQ(s.IndexedAlpha().Mask, 0u);
  // Read as RGB: the index is red, the other masks are zero.
  EXPECT_EQ(s.Red.Mask, 0xFFu);
  EXPECT_EQ(s.Blue.Mask, 0u);
  EXPECT_EQ(s.Alpha.Mask, 0u);
  EXPECT_EQ(s.Palette[1].peBlue, 30);
  EXPECT_EQ(s.Palette[2].peRed, 0);
  EXPECT_EQ(SurfaceChannelMask(s), rcRGB);
  // Too many entries are cut at 256.
  std::vector<PALETTEENTRY> big(300);
  InitIndexedSurface(s, 8, 1, 8, pixels, 8, 0xFF, 0, big.data(), 300);
  EXPECT_EQ(s.Palette[255].peRed, 0);
}

TEST(RenderSurface, SameFormatComparesMasksAndKinds) {
  TRenderSurface a, b, c;
  BYTE px[4] = {};
  InitRGBSurface(a, 1, 1, 24, px, 4, 0xFF0000, 0xFF00, 0xFF, 0);
  InitRGBSurface(b, 1, 1, 32, px, 4, 0xFF0000, 0xFF00, 0xFF, 0);
  InitIndexedSurface(c, 1, 1, 8, px, 4, 0xFF, 0);
  EXPECT_TRUE(SameSurfaceFormat(a, b));
  EXPECT_FALSE(SameSurfaceFormat(a, c));
  InitRGBSurface(b, 1, 1, 16, px, 4, 0xF800, 0x7E0, 0x1F, 0);
  EXPECT_FALSE(SameSurfaceFormat(a, b));
  TRenderSurface d;
  InitIndexedSurface(d, 4, 4, 4, px, 4, 0xF, 0);
  EXPECT_FALSE(SameSurfaceFormat(c, d));
}

TEST(RenderSurface, ClampTablesAndProbe) {
  RenderUnitStart();  // a second start does nothing
  EXPECT_EQ(AddClampTable[0], 0);
  EXPECT_EQ(AddClampTable[255], 255);
  EXPECT_EQ(AddClampTable[511], 255);
  EXPECT_EQ(SubClampTable[0], 0);
  EXPECT_EQ(SubClampTable[255], 0);
  EXPECT_EQ(SubClampTable[255 + 100], 100);
  EXPECT_EQ(SubClampTable[510], 255);
#if defined(__x86_64__)
  EXPECT_TRUE(ProbeCpuMMX());
#endif
}
