#include "render/RenderGenerator.h"

#include <gtest/gtest.h>

#include <memory>

#include "render/StretchBlend.h"
#include "tests/render/RenderModes.h"

namespace {

DWORD Xrgb(int r, int g, int b) { return (DWORD(r) << 16) | (DWORD(g) << 8) | DWORD(b); }
WORD W8(int v) { return static_cast<WORD>(v << 8); }

class SpanCode : public RenderModeTest {
 protected:
  std::unique_ptr<TDXRMachine> M = std::make_unique<TDXRMachine>();
  void SetUp() override {
    RenderModeTest::SetUp();
    M->Reset();
  }
  bool Has(TRenderStepOp op) const {
    for (const auto& s : M->Steps)
      if (s.Op == op) return true;
    return false;
  }
  void ExpectMode() {
    ASSERT_TRUE(M->HasRoutine());
#if defined(__x86_64__)
    EXPECT_EQ(M->IsNative(), !Interpreter());
#endif
  }
};

}  // namespace

TEST_P(SpanCode, AlphaBlendWorkedValue) {
  DWORD src[1] = {Xrgb(200, 200, 200)}, dst[1] = {Xrgb(100, 100, 100)};
  TRenderSurface s, d;
  InitRGBSurface(s, 1, 1, 32, src, 4, 0xFF0000, 0xFF00, 0xFF, 0);
  InitRGBSurface(d, 1, 1, 32, dst, 4, 0xFF0000, 0xFF00, 0xFF, 0);
  DrawStretchBlend(d, s, RECT{0, 0, 1, 1}, RECT{0, 0, 1, 1}, 10, 128, false, 0);
  EXPECT_EQ(dst[0], Xrgb(149, 149, 150));
}

TEST_P(SpanCode, Fill16FromAddressTwoModFour) {
  alignas(4) WORD pixels[8] = {1, 1, 1, 1, 1, 1, 1, 1};
  TRenderSurface d;
  InitRGBSurface(d, 8, 1, 16, pixels, 16, 0xF800, 0x07E0, 0x001F, 0);
  M->Dest = &d;
  M->ColorSlots[0].Color = TRenderColor{W8(255), W8(0), W8(255), 0};
  M->Compile(M->NewLeafNode(rnColor));
  ExpectMode();
  EXPECT_TRUE(Has(TRenderStepOp::Fill16));
  M->X = 1;  // pixel 1 sits at an address 2 mod 4
  M->Run(3);
  const WORD magenta = 0xF81F;
  const WORD expect[8] = {1, magenta, magenta, magenta, 1, 1, 1, 1};
  for (int i = 0; i < 8; ++i) EXPECT_EQ(pixels[i], expect[i]) << i;
  M->X = 4;
  M->Run(1);
  EXPECT_EQ(pixels[4], magenta);
  EXPECT_EQ(pixels[5], 1);
}

TEST_P(SpanCode, Fill32AndGradientColourStepsWrapPerWord) {
  DWORD pixels[6] = {};
  TRenderSurface d;
  InitRGBSurface(d, 6, 1, 32, pixels, 24, 0xFF0000, 0xFF00, 0xFF, 0);
  M->Dest = &d;
  M->ColorSlots[0].Color = TRenderColor{W8(10), W8(20), W8(30), 0};
  M->Compile(M->NewLeafNode(rnColor));
  ExpectMode();
  EXPECT_TRUE(Has(TRenderStepOp::Fill32));
  M->X = 1;
  M->Run(4);
  EXPECT_EQ(pixels[0], 0u);
  for (int i = 1; i < 5; ++i) EXPECT_EQ(pixels[i], Xrgb(10, 20, 30));
  EXPECT_EQ(pixels[5], 0u);

  M->Reset();
  M->Dest = &d;
  TRenderColorSlot& c = M->ColorSlots[0];
  c.Color = TRenderColor{0xFF00, 0x1000, 0xFFFF, 0};
  c.Delta = TRenderColor{0x0100, 0, 0x0001, 0};
  c.Gradient = true;
  M->Compile(M->NewLeafNode(rnColor));
  ExpectMode();
  M->X = 0;
  M->Run(3);
  EXPECT_EQ(pixels[0], Xrgb(255, 16, 255));
  EXPECT_EQ(pixels[1], Xrgb(0, 16, 0));
  EXPECT_EQ(pixels[2], Xrgb(1, 16, 0));
  // each word wrapped alone: no carry into green or alpha
  EXPECT_EQ(c.Color, (TRenderColor{0x0200, 0x1000, 0x0002, 0}));
}

TEST_P(SpanCode, OneBitTexelsThroughThePalette) {
  BYTE bits[1] = {0x80};
  PALETTEENTRY pal[2];
  pal[1].peRed = 255;
  pal[1].peGreen = 128;
  pal[1].peBlue = 1;
  TRenderSurface s, d;
  InitIndexedSurface(s, 8, 1, 1, bits, 4, 1, 0, pal, 2);
  DWORD out[8];
  for (auto& o : out) o = 0xDEADBEEF;
  InitRGBSurface(d, 8, 1, 32, out, 32, 0xFF0000, 0xFF00, 0xFF, 0);
  DrawStretchBlend(d, s, RECT{0, 0, 8, 1}, RECT{0, 0, 8, 1}, 1, 255, false, 0);
  EXPECT_EQ(out[0], Xrgb(255, 128, 1));
  for (int i = 1; i < 8; ++i) EXPECT_EQ(out[i], 0u) << i;
}

TEST_P(SpanCode, TwoAndFourBitTexels) {
  BYTE two[1] = {0x1B};         // 0, 1, 2, 3
  BYTE four[2] = {0x5A, 0x0F};  // 5, 10, 0, 15
  TRenderSurface s2, s4, d;
  InitIndexedSurface(s2, 4, 1, 2, two, 4, 3, 0);
  InitIndexedSurface(s4, 4, 1, 4, four, 4, 15, 0);
  BYTE out[4] = {};
  InitIndexedSurface(d, 4, 1, 8, out, 4, 0xFF, 0);
  // Indexed to indexed with other masks: decoded through the (black) palette
  // and encoded back, so the index bits arrive through red.
  DrawStretchBlend(d, s2, RECT{0, 0, 4, 1}, RECT{0, 0, 4, 1}, 1, 255, false, 0);
  for (int i = 0; i < 4; ++i) EXPECT_EQ(out[i], 0) << i;
  // Same format: raw texel values.
  TRenderSurface d4;
  BYTE out4[2] = {};
  InitIndexedSurface(d4, 4, 1, 4, out4, 2, 15, 0);
  TRenderSurface d8;
  InitIndexedSurface(d8, 4, 1, 8, out, 4, 15, 0);  // index mask 15 on 8-bit memory: same format as s4
  DrawStretchBlend(d8, s4, RECT{0, 0, 4, 1}, RECT{0, 0, 4, 1}, 1, 255, false, 0);
  const BYTE expect[4] = {5, 10, 0, 15};
  for (int i = 0; i < 4; ++i) EXPECT_EQ(out[i], expect[i]) << i;
}

TEST_P(SpanCode, TwentyFourBitTexelRawCopy) {
  BYTE src[6] = {0x11, 0x22, 0x33, 0x44, 0x55, 0x66};
  DWORD out[2] = {0xFFFFFFFF, 0xFFFFFFFF};
  TRenderSurface s, d;
  InitRGBSurface(s, 2, 1, 24, src, 8, 0xFF0000, 0xFF00, 0xFF, 0);
  InitRGBSurface(d, 2, 1, 32, out, 8, 0xFF0000, 0xFF00, 0xFF, 0);
  DrawStretchBlend(d, s, RECT{0, 0, 2, 1}, RECT{0, 0, 2, 1}, 1, 255, false, 0);
  EXPECT_EQ(out[0], 0x332211u);
  EXPECT_EQ(out[1], 0x665544u);
  // and back into 24 bits
  BYTE back[6] = {};
  InitRGBSurface(s, 2, 1, 24, back, 8, 0xFF0000, 0xFF00, 0xFF, 0);
  DrawStretchBlend(s, d, RECT{0, 0, 2, 1}, RECT{0, 0, 2, 1}, 1, 255, false, 0);
  for (int i = 0; i < 6; ++i) EXPECT_EQ(back[i], src[i]);
}

TEST_P(SpanCode, DitheringRaisesByTheBlockPattern) {
  WORD pixels[4] = {};  // 2x2, pitch 4 bytes
  TRenderSurface d;
  InitRGBSurface(d, 2, 2, 16, pixels, 4, 0xF800, 0x07E0, 0x001F, 0);
  M->Dest = &d;
  M->Dither = true;
  M->ColorSlots[0].Color = TRenderColor{W8(0x0C), 0, 0, 0};
  M->Compile(M->NewLeafNode(rnColor));
  ExpectMode();
  EXPECT_FALSE(Has(TRenderStepOp::Fill16));
  for (int y = 0; y < 2; ++y) {
    M->X = 0;
    M->Y = y;
    M->Run(2);
  }
  // p = 2 (X and 1) + (Y and 1): raised by 8 at p = 0 and p = 3 only.
  EXPECT_EQ(pixels[0], 0x1000);  // X 0, Y 0
  EXPECT_EQ(pixels[1], 0x0800);  // X 1, Y 0
  EXPECT_EQ(pixels[2], 0x0800);  // X 0, Y 1
  EXPECT_EQ(pixels[3], 0x1000);  // X 1, Y 1
  EXPECT_EQ(M->X, 2);
}

TEST_P(SpanCode, OnePixelSpanAndKeyedSpan) {
  DWORD tex[4] = {7, 7, 7, 7};
  DWORD out[4] = {1, 2, 3, 4};
  TRenderSurface s, d;
  InitRGBSurface(s, 4, 1, 32, tex, 16, 0xFF0000, 0xFF00, 0xFF, 0);
  InitRGBSurface(d, 4, 1, 32, out, 16, 0xFF0000, 0xFF00, 0xFF, 0);
  M->Dest = &d;
  TRenderTextureSlot& t = M->TextureSlots[0];
  t.Surface = &s;
  t.Addressing = raDirect;
  t.DU = 0x8000;
  t.Transparent = true;
  t.ColorKey = 7;
  M->Compile(M->NewTextureNode(0));
  ExpectMode();
  M->Run(4);
  EXPECT_EQ(out[0], 1u);
  EXPECT_EQ(out[3], 4u);
  EXPECT_EQ(t.U, 4u * 0x8000);
  t.U = 0;
  t.ColorKey = 8;
  M->Compile(M->NewTextureNode(0));
  M->Run(1);
  EXPECT_EQ(out[0], 7u);
  EXPECT_EQ(out[1], 2u);
  EXPECT_EQ(t.U, 0x8000u);
}

TEST_P(SpanCode, BilinearDirectClampsNeighboursToTheEdge) {
  std::vector<DWORD> tex = {Xrgb(100, 100, 100), Xrgb(200, 200, 200)};
  DWORD out[1] = {};
  TRenderSurface s, d;
  InitRGBSurface(s, 2, 1, 32, tex.data(), 8, 0xFF0000, 0xFF00, 0xFF, 0);
  InitRGBSurface(d, 1, 1, 32, out, 4, 0xFF0000, 0xFF00, 0xFF, 0);
  M->Dest = &d;
  TRenderTextureSlot& t = M->TextureSlots[0];
  t.Surface = &s;
  t.Addressing = raDirect;
  t.Filter = 1;
  M->Compile(M->NewTextureNode(0));
  ExpectMode();
  // Last column and row with a fraction: all four texels are the edge texel.
  t.U = 0x18000;
  t.V = 0x8000;
  M->Run(1);
  const int edge = (200 * 255 * 255) >> 16;
  EXPECT_EQ(out[0], Xrgb(edge, edge, edge));
  // Between the two columns, half way.
  t.U = 0x8000;
  t.V = 0;
  M->Run(1);
  const int top = 100 * (255 - 0x80) + 200 * 0x80;
  const int mid = (top * 255) >> 16;
  EXPECT_EQ(out[0], Xrgb(mid, mid, mid));
}

TEST_P(SpanCode, WrappedAddressingRepeatsByThePowerOfTwo) {
  // 3 columns: wrapping uses Width2 = 2.
  DWORD tex[6] = {10, 20, 30, 40, 50, 60};
  DWORD out[4] = {};
  TRenderSurface s, d;
  InitRGBSurface(s, 3, 2, 32, tex, 12, 0xFF0000, 0xFF00, 0xFF, 0);
  InitRGBSurface(d, 4, 1, 32, out, 16, 0xFF0000, 0xFF00, 0xFF, 0);
  M->Dest = &d;
  TRenderTextureSlot& t = M->TextureSlots[0];
  t.Surface = &s;
  t.Addressing = raWrap;
  t.DU = 0x10000;
  t.U = 0x30000;
  t.V = 0x50000;  // row 5 wraps to 1
  M->Compile(M->NewTextureNode(0));
  ExpectMode();
  M->Run(4);
  const DWORD expect[4] = {50, 40, 50, 40};
  for (int i = 0; i < 4; ++i) EXPECT_EQ(out[i], expect[i]) << i;
}

TEST_P(SpanCode, DefaultChangedAfterCompileHasNoEffect) {
  DWORD src[1] = {Xrgb(200, 200, 200)}, dst[1] = {Xrgb(100, 100, 100)};
  TRenderSurface s, d;
  InitRGBSurface(s, 1, 1, 32, src, 4, 0xFF0000, 0xFF00, 0xFF, 0);
  InitRGBSurface(d, 1, 1, 32, dst, 4, 0xFF0000, 0xFF00, 0xFF, 0);
  M->Dest = &d;
  TRenderTextureSlot& t = M->TextureSlots[0];
  t.Surface = &s;
  t.Addressing = raDirect;
  t.Default = TRenderColor{0, 0, 0, W8(128)};
  TRenderNode* dest = M->NewLeafNode(rnDest);
  M->Compile(M->NewBlendNode(10, M->NewTextureNode(0), dest));
  ExpectMode();
  t.Default = TRenderColor{0, 0, 0, W8(0)};
  M->Run(1);
  EXPECT_EQ(dst[0], Xrgb(149, 149, 150));
}

namespace {
struct TOpCase {
  TRenderBlendOp Op;
  int X[4];
  int Y[4];
  int Expect[4];  // R, G, B, A of the result; -1: not checked
  bool IntegerOnly;
};
}  // namespace

TEST_P(SpanCode, BlendOperationValues) {
  const TOpCase cases[] = {
      {10, {0, 0, 0, 0}, {100, 1, 100, 0}, {99, 0, 100, -1}, false},
      {10, {255, 255, 255, 255}, {0, 0, 0, 0}, {254, 254, 254, -1}, false},
      {10, {200, 200, 200, 128}, {100, 100, 100, 0}, {149, 149, 150, -1}, false},
      {11, {200, 200, 200, 128}, {100, 100, 100, 0}, {149, 149, 149, -1}, false},
      {3, {200, 10, 0, 0}, {100, 20, 0, 0}, {255, 30, 0, -1}, false},
      {4, {100, 50, 0, 0}, {200, 20, 0, 0}, {0, 30, 0, -1}, false},
      {5, {100, 50, 0, 0}, {200, 20, 0, 0}, {100, 0, 0, -1}, false},
      {6, {255, 128, 0, 0}, {255, 128, 7, 0}, {254, 64, 0, -1}, false},
      {13, {128, 128, 128, 77}, {128, 128, 128, 0}, {64, 64, 64, 77}, false},
      {14, {200, 10, 0, 50}, {100, 20, 0, 60}, {255, 30, 0, 60}, false},
      {7, {200, 100, 50, 128}, {0, 0, 0, 0}, {100, 50, 25, 64}, false},
      {8, {200, 100, 50, 128}, {200, 10, 0, 0}, {255, 60, 25, -1}, false},
      {9, {200, 100, 50, 128}, {200, 10, 0, 0}, {100, 0, 0, -1}, false},
      {12, {1, 2, 3, 4}, {9, 9, 9, 99}, {1, 2, 3, 99}, false},
      {0, {1, 2, 3, 4}, {9, 9, 9, 9}, {0, 0, 0, 0}, false},
      {2, {1, 2, 3, 4}, {9, 8, 7, 6}, {9, 8, 7, 6}, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(int(c.Op));
    DWORD out[1] = {0x12345678};
    TRenderSurface d;
    InitRGBSurface(d, 1, 1, 32, out, 4, 0xFF0000, 0xFF00, 0xFF, c.Expect[3] >= 0 ? 0xFF000000 : 0);
    M->Reset();
    M->Dest = &d;
    M->ColorSlots[0].Color = TRenderColor{W8(c.X[0]), W8(c.X[1]), W8(c.X[2]), W8(c.X[3])};
    M->ColorSlots[1].Color = TRenderColor{W8(c.Y[0]), W8(c.Y[1]), W8(c.Y[2]), W8(c.Y[3])};
    TRenderNode* x = M->NewLeafNode(rnColor);
    TRenderNode* y = M->NewLeafNode(rnColor);
    y->Index = 1;
    M->Compile(M->NewBlendNode(c.Op, x, y));
    ExpectMode();
    M->Run(1);
    const int got[4] = {int(out[0] >> 16) & 255, int(out[0] >> 8) & 255, int(out[0]) & 255, int(out[0] >> 24)};
    for (int ch = 0; ch < 4; ++ch)
      if (c.Expect[ch] >= 0) { EXPECT_EQ(got[ch], c.Expect[ch]) << "channel " << ch; }
  }
}

TEST_P(SpanCode, ColorAlphaWithSomeColourChannelsCopiesThem) {
  // A destination without blue asks operation 12 for red and green only.
  DWORD out[1] = {0};
  TRenderSurface d;
  InitRGBSurface(d, 1, 1, 32, out, 4, 0xFF0000, 0xFF00, 0, 0);
  M->Dest = &d;
  M->ColorSlots[0].Color = TRenderColor{W8(11), W8(22), W8(33), W8(44)};
  M->ColorSlots[1].Color = TRenderColor{W8(99), W8(98), W8(97), W8(96)};
  TRenderNode* y = M->NewLeafNode(rnColor);
  y->Index = 1;
  M->Compile(M->NewBlendNode(12, M->NewLeafNode(rnColor), y));
  ExpectMode();
  M->Run(1);
  EXPECT_EQ(out[0], (11u << 16) | (22u << 8));
}

TEST_P(SpanCode, IndexedSourceDecodesThroughItsPalette) {
  BYTE idx[3] = {0, 1, 2};
  PALETTEENTRY pal[3];
  pal[1] = PALETTEENTRY{10, 20, 30, 0};
  pal[2] = PALETTEENTRY{250, 0, 5, 0};
  WORD out[3] = {};
  TRenderSurface s, d;
  InitIndexedSurface(s, 3, 1, 8, idx, 4, 0xFF, 0, pal, 3);
  InitRGBSurface(d, 3, 1, 16, out, 8, 0xF800, 0x07E0, 0x001F, 0);
  DrawStretchBlend(d, s, RECT{0, 0, 3, 1}, RECT{0, 0, 3, 1}, 1, 255, false, 0);
  auto rgb565 = [](int r, int g, int b) { return WORD(((r >> 3) << 11) | ((g >> 2) << 5) | (b >> 3)); };
  EXPECT_EQ(out[0], 0);
  EXPECT_EQ(out[1], rgb565(10, 20, 30));
  EXPECT_EQ(out[2], rgb565(250, 0, 5));
}

TEST_P(SpanCode, WrappedRowsWithWidePowerOfTwoPitches) {
  // Pitches of 2^17 (no folded shift: it would be negative) and 2^4, both
  // signs; row 3 of a 2-row surface wraps to row 1.
  for (const LONG pitchBytes : {131072, 16}) {
    for (const int sign : {1, -1}) {
      SCOPED_TRACE(std::to_string(pitchBytes * sign));
      std::vector<DWORD> mem(static_cast<size_t>(pitchBytes) / 2, 0);
      const size_t rowWords = static_cast<size_t>(pitchBytes) / 4;
      mem[0] = 111;
      mem[rowWords] = 222;
      mem[rowWords + 1] = 333;
      DWORD out[2] = {};
      TRenderSurface s, d;
      BYTE* first = reinterpret_cast<BYTE*>(sign > 0 ? mem.data() : mem.data() + rowWords);
      InitRGBSurface(s, 2, 2, 32, first, pitchBytes * sign, 0xFF0000, 0xFF00, 0xFF, 0);
      InitRGBSurface(d, 2, 1, 32, out, 8, 0xFF0000, 0xFF00, 0xFF, 0);
      M->Reset();
      M->Dest = &d;
      TRenderTextureSlot& t = M->TextureSlots[0];
      t.Surface = &s;
      t.Addressing = raWrap;
      t.DU = 0x10000;
      t.U = 0x20000;           // column 2 wraps to 0
      t.V = 0x30000 + 0x1234;  // row 3 wraps to 1
      M->Compile(M->NewTextureNode(0));
      ExpectMode();
      M->Run(2);
      const DWORD row1col0 = sign > 0 ? 222 : 111;
      const DWORD row1col1 = sign > 0 ? 333 : 0;
      EXPECT_EQ(out[0], row1col0);
      EXPECT_EQ(out[1], row1col1);
    }
  }
}

TEST_P(SpanCode, TwentyFourBitTexelAtTheEndOfItsMemory) {
  // The last texel of a buffer is read with three bytes, never four.
  std::vector<BYTE> mem = {0x11, 0x22, 0x33, 0x44, 0x55, 0x66};
  DWORD out[1] = {};
  TRenderSurface s, d;
  InitRGBSurface(s, 2, 1, 24, mem.data(), 6, 0xFF0000, 0xFF00, 0xFF, 0);
  InitRGBSurface(d, 1, 1, 32, out, 4, 0xFF0000, 0xFF00, 0xFF, 0);
  DrawStretchBlend(d, s, RECT{0, 0, 1, 1}, RECT{1, 0, 2, 1}, 1, 255, false, 0);
  EXPECT_EQ(out[0], 0x665544u);
}

INSTANTIATE_RENDER_MODES(SpanCode);
