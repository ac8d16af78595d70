#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "platform/toolkit/Bitmap.h"
#include "platform/toolkit/BmpCodec.h"
#include "platform/toolkit/Canvas.h"

namespace {

// Builds BMP files byte by byte, independently of the codec.
struct BmpBuilder {
  std::vector<BYTE> b;
  void u8(unsigned v) { b.push_back(static_cast<BYTE>(v)); }
  void u16(unsigned v) {
    u8(v & 0xFF);
    u8((v >> 8) & 0xFF);
  }
  void u32(std::uint32_t v) {
    u16(v & 0xFFFF);
    u16(v >> 16);
  }
  void fileHeader(std::uint32_t offBits) {
    u8('B');
    u8('M');
    u32(0);  // size: readers must not need it
    u32(0);
    u32(offBits);
  }
  // A BITMAPINFOHEADER-family header of HeaderSize bytes; masks are stored in
  // the header for sizes above 40.
  void infoHeader(std::uint32_t headerSize, std::int32_t w, std::int32_t h, int bits, std::uint32_t compression,
                  std::uint32_t sizeImage = 0, std::uint32_t clrUsed = 0, std::uint32_t r = 0, std::uint32_t g = 0,
                  std::uint32_t bl = 0) {
    size_t start = b.size();
    u32(headerSize);
    u32(static_cast<std::uint32_t>(w));
    u32(static_cast<std::uint32_t>(h));
    u16(1);
    u16(static_cast<unsigned>(bits));
    u32(compression);
    u32(sizeImage);
    u32(2835);
    u32(2835);
    u32(clrUsed);
    u32(0);
    if (headerSize > 40) {
      u32(r);
      u32(g);
      u32(bl);
    }
    while (b.size() < start + headerSize) u8(0);
  }
  void rgbquad(BYTE r, BYTE g, BYTE bl) {
    u8(bl);
    u8(g);
    u8(r);
    u8(0);
  }
  void pad4(size_t rowStart) {
    while ((b.size() - rowStart) % 4) u8(0);
  }
};

TColor Px(TBitmap& bmp, int x, int y) { return bmp.Canvas()->GetPixel(x, y); }

std::unique_ptr<TBitmap> Loaded(const std::vector<BYTE>& bytes) {
  auto bmp = std::make_unique<TBitmap>();
  TBytesStream s(bytes.data(), static_cast<std::int64_t>(bytes.size()));
  bmp->LoadFromStream(&s);
  return bmp;
}

void LoadInto(TBitmap& bmp, const std::vector<BYTE>& bytes) {
  TBytesStream s(bytes.data(), static_cast<std::int64_t>(bytes.size()));
  bmp.LoadFromStream(&s);
}

std::vector<BYTE> Saved(TBitmap& bmp) {
  TMemoryStream m;
  bmp.SaveToStream(&m);
  return m.Bytes();
}

// Saves, reloads and checks every pixel and the format survive, and that a
// second save gives the same bytes.
void ExpectRoundTrip(TBitmap& bmp) {
  std::vector<BYTE> first = Saved(bmp);
  TBitmap again;
  LoadInto(again, first);
  ASSERT_EQ(again.Width(), bmp.Width());
  ASSERT_EQ(again.Height(), bmp.Height());
  EXPECT_EQ(again.PixelFormat(), bmp.PixelFormat());
  for (int y = 0; y < bmp.Height(); ++y)
    for (int x = 0; x < bmp.Width(); ++x) ASSERT_EQ(Px(again, x, y), Px(bmp, x, y)) << x << "," << y;
  EXPECT_EQ(Saved(again), first);
}

}  // namespace

TEST(Bitmap, EveryPixelFormatRoundTripsThroughABmpFile) {
  const TColor colors[] = {clBlack, clWhite, clRed, clLime, clBlue, clYellow, clFuchsia, clAqua};
  for (TPixelFormat pf : {pf1bit, pf4bit, pf8bit, pf15bit, pf16bit, pf24bit, pf32bit}) {
    SCOPED_TRACE(static_cast<int>(pf));
    TBitmap bmp;
    bmp.SetPixelFormat(pf);
    bmp.SetSize(13, 7);  // odd sizes exercise the row padding
    EXPECT_EQ(bmp.PixelFormat(), pf);
    for (int y = 0; y < 7; ++y)
      for (int x = 0; x < 13; ++x) {
        TColor c = pf == pf1bit ? ((x + y) % 2 ? clWhite : clBlack) : colors[(x * 3 + y) % 8];
        bmp.Canvas()->SetPixel(x, y, c);
      }
    EXPECT_EQ(Px(bmp, 1, 0), pf == pf1bit ? clWhite : colors[3]);
    ExpectRoundTrip(bmp);
  }
}

TEST(Bitmap, ReadsEveryStoredVariant) {
  struct Variant {
    const char* name;
    std::vector<BYTE> bytes;
    // Expected colours at (0,0) (top left), (1,0) and (0,1).
    TColor tl, tr, bl;
  };
  std::vector<Variant> variants;

  {  // 24-bit, bottom-up, 2 x 2
    BmpBuilder m;
    m.fileHeader(54);
    m.infoHeader(40, 2, 2, 24, BI_RGB);
    size_t r = m.b.size();
    m.u8(0);
    m.u8(0);
    m.u8(255);
    m.u8(0);
    m.u8(255);
    m.u8(0);  // bottom row: red, lime
    m.pad4(r);
    r = m.b.size();
    m.u8(255);
    m.u8(0);
    m.u8(0);
    m.u8(255);
    m.u8(255);
    m.u8(255);  // top row: blue, white
    m.pad4(r);
    variants.push_back({"24 bottom-up", m.b, clBlue, clWhite, clRed});
  }
  {  // 24-bit, top-down
    BmpBuilder m;
    m.fileHeader(54);
    m.infoHeader(40, 2, -2, 24, BI_RGB);
    size_t r = m.b.size();
    m.u8(255);
    m.u8(0);
    m.u8(0);
    m.u8(255);
    m.u8(255);
    m.u8(255);  // top row first
    m.pad4(r);
    r = m.b.size();
    m.u8(0);
    m.u8(0);
    m.u8(255);
    m.u8(0);
    m.u8(255);
    m.u8(0);
    m.pad4(r);
    variants.push_back({"24 top-down", m.b, clBlue, clWhite, clRed});
  }
  {  // core header, 8-bit with a three-byte colour table of 3 entries... core tables are full size
    BmpBuilder m;
    m.fileHeader(14 + 12 + 3 * 256);
    m.u32(12);
    m.u16(2);
    m.u16(2);
    m.u16(1);
    m.u16(8);
    for (int i = 0; i < 256; ++i) {
      BYTE c[3] = {0, 0, 0};
      if (i == 1) c[2] = 255;  // red (B, G, R)
      if (i == 2) c[1] = 255;  // lime
      if (i == 3) c[0] = 255;  // blue
      m.u8(c[0]);
      m.u8(c[1]);
      m.u8(c[2]);
    }
    m.u8(1);
    m.u8(2);
    m.u8(0);
    m.u8(0);  // bottom: red, lime
    m.u8(3);
    m.u8(1);
    m.u8(0);
    m.u8(0);  // top: blue, red
    variants.push_back({"core 8", m.b, clBlue, clRed, clRed});
  }
  {  // 16-bit bit fields 5-6-5
    BmpBuilder m;
    m.fileHeader(14 + 40 + 12);
    m.infoHeader(40, 2, 2, 16, BI_BITFIELDS);
    m.u32(0xF800);
    m.u32(0x07E0);
    m.u32(0x001F);
    m.u16(0xF800);
    m.u16(0x07E0);  // bottom: red, lime
    m.u16(0x001F);
    m.u16(0xFFFF);  // top: blue, white
    variants.push_back({"16 565", m.b, clBlue, clWhite, clRed});
  }
  {  // 16-bit plain (5-5-5)
    BmpBuilder m;
    m.fileHeader(54);
    m.infoHeader(40, 2, 2, 16, BI_RGB);
    m.u16(0x7C00);
    m.u16(0x03E0);
    m.u16(0x001F);
    m.u16(0x7FFF);
    variants.push_back({"16 555", m.b, clBlue, clWhite, clRed});
  }
  {  // 32-bit bit fields in a 124-byte header, red in the low byte
    BmpBuilder m;
    m.fileHeader(14 + 124);
    m.infoHeader(124, 2, 2, 32, BI_BITFIELDS, 0, 0, 0xFF, 0xFF00, 0xFF0000);
    m.u32(0x0000FF);
    m.u32(0x00FF00);
    m.u32(0xFF0000);
    m.u32(0xFFFFFF);
    variants.push_back({"32 fields v5", m.b, clBlue, clWhite, clRed});
  }
  {  // 32-bit plain in a 108-byte header
    BmpBuilder m;
    m.fileHeader(14 + 108);
    m.infoHeader(108, 2, 2, 32, BI_RGB);
    m.u32(0xFF0000);
    m.u32(0x00FF00);
    m.u32(0x0000FF);
    m.u32(0xFFFFFF);
    variants.push_back({"32 v4", m.b, clBlue, clWhite, clRed});
  }
  {  // 1-bit with two colours
    BmpBuilder m;
    m.fileHeader(14 + 40 + 8);
    m.infoHeader(40, 2, 2, 1, BI_RGB, 0, 2);
    m.rgbquad(255, 0, 0);
    m.rgbquad(0, 0, 255);
    m.u32(0x40);  // bottom: 0, 1
    m.u32(0x80);  // top: 1, 0
    variants.push_back({"1 bit", m.b, clBlue, clRed, clRed});
  }
  {  // 4-bit, 16 colours
    BmpBuilder m;
    m.fileHeader(14 + 40 + 64);
    m.infoHeader(40, 2, 2, 4, BI_RGB);
    for (int i = 0; i < 16; ++i) m.rgbquad(i == 1 ? 255 : 0, i == 2 ? 255 : 0, i == 3 ? 255 : 0);
    m.u32(0x12);  // bottom: 1, 2
    m.u32(0x31);  // top: 3, 1
    variants.push_back({"4 bit", m.b, clBlue, clRed, clRed});
  }
  {  // BI_RLE8 on 8 x 4: the bottom row starts 5, 5, 5; delta right 1 up 2; end
    BmpBuilder m;
    m.fileHeader(14 + 40 + 1024);
    m.infoHeader(40, 8, 4, 8, BI_RLE8, 8);
    for (int i = 0; i < 256; ++i) m.rgbquad(i == 5 ? 255 : 0, 0, i == 7 ? 255 : 0);
    for (BYTE v : {0x03, 0x05, 0x00, 0x02, 0x01, 0x02, 0x00, 0x01}) m.u8(v);
    variants.push_back({"rle8", m.b, clBlack, clBlack, clBlack});
  }
  {  // BI_RLE4 on 4 x 2: bottom row 1 2 1, then an absolute run 3 3 on the top row
    BmpBuilder m;
    m.fileHeader(14 + 40 + 64);
    m.infoHeader(40, 4, 2, 4, BI_RLE4);
    for (int i = 0; i < 16; ++i) m.rgbquad(i == 1 ? 255 : 0, i == 2 ? 255 : 0, i == 3 ? 255 : 0);
    for (BYTE v : {0x03, 0x12, 0x00, 0x00, 0x00, 0x03, 0x33, 0x30, 0x00, 0x01}) m.u8(v);
    variants.push_back({"rle4", m.b, clBlue, clBlue, clRed});
  }

  for (const Variant& v : variants) {
    SCOPED_TRACE(v.name);
    TBitmap bmp;
    LoadInto(bmp, v.bytes);
    ASSERT_FALSE(bmp.Empty());
    EXPECT_EQ(Px(bmp, 0, 0), v.tl);
    EXPECT_EQ(Px(bmp, 1, 0), v.tr);
    EXPECT_EQ(Px(bmp, 0, 1), v.bl);
    ExpectRoundTrip(bmp);
  }
  // The run-length pictures in detail.
  auto rlep = Loaded(variants[9].bytes);
  TBitmap& rle = *rlep;
  EXPECT_EQ(rle.Width(), 8);
  EXPECT_EQ(Px(rle, 0, 3), clRed);
  EXPECT_EQ(Px(rle, 2, 3), clRed);
  EXPECT_EQ(Px(rle, 3, 3), clBlack);
  auto rle4p = Loaded(variants[10].bytes);
  TBitmap& rle4 = *rle4p;
  EXPECT_EQ(Px(rle4, 0, 1), clRed);
  EXPECT_EQ(Px(rle4, 1, 1), clLime);
  EXPECT_EQ(Px(rle4, 2, 1), clRed);
  EXPECT_EQ(Px(rle4, 2, 0), clBlue);
  // 16-bit 5-6-5 and custom 32-bit masks keep their layouts.
  EXPECT_EQ(Loaded(variants[3].bytes)->PixelFormat(), pf16bit);
  EXPECT_EQ(Loaded(variants[4].bytes)->PixelFormat(), pf15bit);
  EXPECT_EQ(Loaded(variants[5].bytes)->PixelFormat(), pfCustom);
}

TEST(Bitmap, MalformedFilesAreRefused) {
  auto valid = [](std::int32_t w, std::int32_t h, int bits, std::uint32_t comp) {
    BmpBuilder m;
    m.fileHeader(0);
    m.infoHeader(40, w, h, bits, comp);
    return m;
  };
  struct Case {
    const char* name;
    std::vector<BYTE> bytes;
  };
  std::vector<Case> cases;
  cases.push_back({"not BM", [] {
                     BmpBuilder m = {};
                     m.u8('X');
                     m.u8('M');
                     for (int i = 0; i < 60; ++i) m.u8(0);
                     return m.b;
                   }()});
  cases.push_back({"short file header", {'B', 'M', 0, 0}});
  cases.push_back({"no info header", [] {
                     BmpBuilder m;
                     m.fileHeader(0);
                     m.u16(40);
                     return m.b;
                   }()});
  cases.push_back({"header size 41", [] {
                     BmpBuilder m;
                     m.fileHeader(0);
                     m.infoHeader(41, 1, 1, 24, BI_RGB);
                     m.u32(0);
                     return m.b;
                   }()});
  cases.push_back({"truncated header", [] {
                     BmpBuilder m;
                     m.fileHeader(0);
                     m.infoHeader(40, 1, 1, 24, BI_RGB);
                     m.b.resize(m.b.size() - 10);
                     return m.b;
                   }()});
  cases.push_back({"width 0", valid(0, 1, 24, BI_RGB).b});
  cases.push_back({"negative width", valid(-4, 1, 24, BI_RGB).b});
  cases.push_back({"height 0", valid(1, 0, 24, BI_RGB).b});
  cases.push_back({"bit count 3", valid(1, 1, 3, BI_RGB).b});
  cases.push_back({"compression 7", valid(1, 1, 24, 7).b});
  cases.push_back({"RLE8 on 4 bits", valid(1, 1, 4, BI_RLE8).b});
  cases.push_back({"RLE4 on 8 bits", valid(1, 1, 8, BI_RLE4).b});
  cases.push_back({"top-down RLE", valid(1, -1, 8, BI_RLE8).b});
  cases.push_back({"bit fields on 24 bits", valid(1, 1, 24, BI_BITFIELDS).b});
  cases.push_back({"masks missing", valid(1, 1, 16, BI_BITFIELDS).b});
  for (auto masks : std::vector<std::vector<std::uint32_t>>{
           {0, 0x7E0, 0x1F}, {0xF800, 0xF800, 0x1F}, {0xF0F0, 0x0F00, 0x000F}, {0x1F0000, 0x7E0, 0x1F}}) {
    BmpBuilder m = valid(1, 1, 16, BI_BITFIELDS);
    for (auto v : masks) m.u32(v);
    m.u32(0);
    cases.push_back({"bad masks", m.b});
  }
  {
    BmpBuilder m;
    m.fileHeader(0);
    m.infoHeader(40, 1, 1, 8, BI_RGB, 0, 0x40000000);  // colour count past the data
    m.u32(0);
    cases.push_back({"colour table past the data", m.b});
  }
  {
    BmpBuilder m = valid(4, 4, 24, BI_RGB);
    for (int i = 0; i < 47; ++i) m.u8(0);  // 48 needed
    cases.push_back({"pixels cut short", m.b});
  }
  {
    BmpBuilder m = valid(0x7FFFFFFF, 0x7FFFFFFF, 32, BI_RGB);
    m.u32(0);
    cases.push_back({"huge", m.b});
  }
  {
    BmpBuilder m = valid(0x7FFFFFFF, -0x7FFFFFFF - 1, 1, BI_RGB);
    m.u32(0);
    cases.push_back({"most negative height", m.b});
  }
  {
    BmpBuilder m;
    m.fileHeader(0);
    m.infoHeader(40, 1, 1, 8, BI_RLE8);
    cases.push_back({"RLE without data", [&] {
                       auto b = m.b;
                       for (int i = 0; i < 1024; ++i) b.push_back(0);
                       return b;
                     }()});
  }
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TBitmap bmp;
    bmp.SetSize(3, 3);
    try {
      LoadInto(bmp, c.bytes);
      ADD_FAILURE() << "accepted";
    } catch (const EInvalidGraphic& e) { EXPECT_STREQ(e.what(), "Bitmap image is not valid"); }
    EXPECT_EQ(bmp.Width(), 3);  // a failed read leaves the bitmap as it was
  }
  // An empty stream gives an empty bitmap.
  TBitmap bmp;
  bmp.SetSize(2, 2);
  LoadInto(bmp, {});
  EXPECT_TRUE(bmp.Empty());
}

TEST(Bitmap, RunLengthDataNeverWritesOutsideThePicture) {
  // Runs past the row end, deltas past the last row, absolute runs cut by the
  // end of the data: decoded without touching memory outside (checked by the
  // sanitizer build) and without reading past the data.
  const std::vector<std::vector<BYTE>> streams = {
      {0xFF, 0x01, 0xFF, 0x02, 0x00, 0x00, 0xFF, 0x03},
      {0x00, 0x02, 0xFF, 0xFF, 0x05, 0x01},
      {0x00, 0x02, 0x01, 0x00, 0x00, 0xFF, 0x01, 0x02},
      {0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x04, 0x04},
      {0x00, 0x03},
  };
  for (DWORD comp : {BI_RLE8, BI_RLE4}) {
    for (const auto& data : streams) {
      BmpBuilder m;
      m.fileHeader(0);
      m.infoHeader(40, 3, 2, comp == BI_RLE8 ? 8 : 4, comp, static_cast<std::uint32_t>(data.size()));
      for (int i = 0; i < (comp == BI_RLE8 ? 256 : 16); ++i) m.rgbquad(static_cast<BYTE>(i), 0, 0);
      for (BYTE v : data) m.u8(v);
      TBitmap bmp;
      LoadInto(bmp, m.b);
      EXPECT_EQ(bmp.Width(), 3);
      EXPECT_EQ(bmp.Height(), 2);
    }
  }
}

TEST(Bitmap, CanvasDrawsIntoTheBitsAndScanLinesAreTopFirst) {
  TBitmap bmp;
  bmp.SetPixelFormat(pf24bit);
  bmp.SetSize(5, 3);
  EXPECT_EQ(bmp.HandleType(), bmDIB);
  EXPECT_EQ(Px(bmp, 4, 2), clWhite);  // new area is white
  bmp.Canvas()->Brush()->SetColor(clRed);
  bmp.Canvas()->FillRect(Rect(0, 0, 2, 1));
  auto* top = static_cast<BYTE*>(bmp.ScanLine(0));
  EXPECT_EQ(top[0], 0);
  EXPECT_EQ(top[2], 255);
  EXPECT_EQ(top[6], 255);  // third pixel still white
  auto* bottom = static_cast<BYTE*>(bmp.ScanLine(2));
  EXPECT_EQ(bottom + 2 * 16, top);  // rows of 16 bytes, bottom row first in memory
  try {
    bmp.ScanLine(3);
    FAIL();
  } catch (const EInvalidGraphicOperation& e) { EXPECT_STREQ(e.what(), "Scan line index out of range"); }
  EXPECT_THROW(bmp.ScanLine(-1), EInvalidGraphicOperation);
  // Growing keeps the picture at the top left.
  bmp.SetSize(6, 4);
  EXPECT_EQ(Px(bmp, 0, 0), clRed);
  EXPECT_EQ(Px(bmp, 5, 3), clWhite);
  // A device bitmap turns into a DIB when its scan lines are asked for.
  TBitmap ddb;
  ddb.SetSize(2, 2);
  EXPECT_EQ(ddb.HandleType(), bmDDB);
  ddb.Canvas()->SetPixel(1, 1, clBlue);
  auto* row = static_cast<BYTE*>(ddb.ScanLine(1));
  EXPECT_EQ(ddb.HandleType(), bmDIB);
  EXPECT_EQ(row[4], 255);
  // Changing the format converts the picture; indexed formats get a palette.
  bmp.SetPixelFormat(pf8bit);
  EXPECT_NE(bmp.Palette(), nullptr);
  EXPECT_EQ(Px(bmp, 1, 0), clRed);
  PALETTEENTRY e;
  EXPECT_EQ(GetPaletteEntries(bmp.Palette(), 249, 1, &e), 1u);
  EXPECT_EQ(e.peRed, 255);
}

TEST(Bitmap, DrawsStretchedAndTransparentOnACanvas) {
  TBitmap src;
  src.SetPixelFormat(pf32bit);
  src.SetSize(2, 2);
  src.Canvas()->Brush()->SetColor(clFuchsia);
  src.Canvas()->FillRect(Rect(0, 0, 2, 2));
  src.Canvas()->SetPixel(0, 0, clLime);
  TBitmap dst;
  dst.SetPixelFormat(pf32bit);
  dst.SetSize(6, 6);
  dst.Canvas()->Brush()->SetColor(clNavy);
  dst.Canvas()->FillRect(Rect(0, 0, 6, 6));
  dst.Canvas()->StretchDraw(Rect(0, 0, 4, 4), &src);
  EXPECT_EQ(Px(dst, 1, 1), clLime);
  EXPECT_EQ(Px(dst, 3, 3), clFuchsia);
  EXPECT_EQ(Px(dst, 4, 4), clNavy);
  // Transparent: the bottom-left colour (tmAuto) or a fixed colour is left out.
  dst.Canvas()->FillRect(Rect(0, 0, 6, 6));
  src.SetTransparent(true);
  EXPECT_EQ(src.TransparentColor(), clFuchsia);
  dst.Canvas()->Draw(1, 1, &src);
  EXPECT_EQ(Px(dst, 1, 1), clLime);
  EXPECT_EQ(Px(dst, 2, 2), clNavy);
  src.SetTransparentColor(clLime);
  EXPECT_EQ(src.TransparentMode(), tmFixed);
  dst.Canvas()->Draw(3, 3, &src);
  EXPECT_EQ(Px(dst, 3, 3), clNavy);
  EXPECT_EQ(Px(dst, 4, 4), clFuchsia);
  // Assign copies the picture; later drawing on the copy leaves the source.
  TBitmap copy;
  copy.Assign(&src);
  copy.Canvas()->SetPixel(0, 0, clRed);
  EXPECT_EQ(Px(src, 0, 0), clLime);
  EXPECT_EQ(Px(copy, 0, 0), clRed);
  EXPECT_TRUE(copy.Transparent());
}

TEST(Bitmap, ChangesAreReported) {
  TBitmap bmp;
  int changes = 0;
  bmp.OnChange = [&](TObject*) { ++changes; };
  bmp.SetSize(2, 2);
  EXPECT_EQ(changes, 1);
  bmp.Canvas()->SetPixel(0, 0, clRed);
  EXPECT_EQ(changes, 2);
  EXPECT_TRUE(bmp.Modified());
}

TEST(BmpCodec, WritesTheStandardLayout) {
  TBmpImage im;
  im.Width = 3;
  im.Height = 1;
  im.BitCount = 8;
  im.WidthBytes = 4;
  im.Colors.assign(256, RGBQUAD{});
  im.Colors[1] = RGBQUAD{1, 2, 3, 0};
  im.Pixels = {1, 0, 1, 0};
  std::vector<BYTE> f = EncodeBmp(im);
  ASSERT_EQ(f.size(), 14u + 40 + 1024 + 4);
  EXPECT_EQ(f[0], 'B');
  EXPECT_EQ(f[1], 'M');
  EXPECT_EQ(f[2] | (f[3] << 8), static_cast<int>(f.size()));
  EXPECT_EQ(f[10] | (f[11] << 8), 14 + 40 + 1024);
  EXPECT_EQ(f[14], 40);
  EXPECT_EQ(f[14 + 14], 8);      // bit count
  EXPECT_EQ(f[14 + 40 + 4], 1);  // entry 1: blue first
  EXPECT_EQ(f[14 + 40 + 6], 3);
  TBmpImage back = DecodeBmp(f.data(), f.size());
  EXPECT_EQ(back.Pixels, im.Pixels);
  EXPECT_EQ(back.Colors[1].rgbRed, 3);
  // Data after the picture in a stream stay unread.
  TMemoryStream s;
  EncodeBmp(im, &s);
  s.WriteBuffer("tail", 4);
  s.SetPosition(0);
  DecodeBmp(&s);
  EXPECT_EQ(s.Position(), static_cast<std::int64_t>(f.size()));
}
