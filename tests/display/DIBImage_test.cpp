#include "display/DIBImage.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <random>
#include <string>

#include "tests/display/DIBFixtures.h"

namespace {

struct ImageDeleter {
  void operator()(TDIBSharedImage* p) const { delete p; }
};
using ImagePtr = std::unique_ptr<TDIBSharedImage, ImageDeleter>;

ImagePtr Load(const Bytes& data, std::int64_t pixelOffset = -1) {
  ImagePtr img(new TDIBSharedImage);
  TBytesStream s(data.data(), static_cast<std::int64_t>(data.size()));
  img->LoadImageData(s, true, pixelOffset);
  return img;
}

std::string LoadError(const Bytes& data, std::int64_t pixelOffset = -1) {
  try {
    Load(data, pixelOffset);
  } catch (const EInvalidGraphic& e) {
    return "EInvalidGraphic: " + e.Message();
  } catch (const EInvalidGraphicOperation& e) {
    return "EInvalidGraphicOperation: " + e.Message();
  } catch (const EReadError& e) { return "EReadError"; }
  return "loaded";
}

Bytes Saved(const TDIBSharedImage& img) {
  TMemoryStream s;
  img.SaveImageData(s);
  return s.Bytes();
}

// Row y (0 = top) of an uncompressed image.
const BYTE* Row(const TDIBSharedImage& img, int y) {
  return img.TopBits() + static_cast<std::int64_t>(y) * img.NextLine();
}

ImagePtr Expanded(const TDIBSharedImage& src) {
  ImagePtr img(new TDIBSharedImage);
  img->ExpandImage(src, true);
  return img;
}

}  // namespace

TEST(ChannelLayout, MasksAndCounts) {
  struct {
    int r, g, b;
    DWORD rm, gm, bm;
  } cases[] = {{8, 8, 8, 0xFF0000, 0xFF00, 0xFF}, {5, 5, 5, 0x7C00, 0x3E0, 0x1F}, {5, 6, 5, 0xF800, 0x7E0, 0x1F},
               {32, 0, 0, 0xFFFFFFFF, 0, 0},      {0, 0, 32, 0, 0, 0xFFFFFFFF},   {16, 16, 16, 0, 0xFFFF0000, 0xFFFF}};
  for (const auto& c : cases) {
    TDIBChannelLayout l = MakeChannelLayout(c.r, c.g, c.b);
    EXPECT_EQ(l.RMask, c.rm) << c.r << c.g << c.b;
    EXPECT_EQ(l.GMask, c.gm) << c.r << c.g << c.b;
    EXPECT_EQ(l.BMask, c.bm) << c.r << c.g << c.b;
    EXPECT_EQ(l.RBits, c.r);
  }
  struct {
    DWORD mask;
    int bits;
  } counts[] = {{0, 0},     {1, 1},          {0x7E0, 6},       {0xF800, 5},
                {0xF0F, 4}, {0x80000000, 1}, {0xFFFFFFFF, 32}, {0xFFFFFFFE, 31}};
  for (const auto& c : counts) EXPECT_EQ(CountMaskBits(c.mask), c.bits) << std::hex << c.mask;
  // Only the counts of the masks matter.
  EXPECT_TRUE(SameMasks(MakeChannelLayoutFromMasks(0xF800, 0x7E0, 0x1F), Layout565()));
  EXPECT_TRUE(SameMasks(MakeChannelLayoutFromMasks(0x1F, 0x7E0, 0xF800), Layout565()));
  EXPECT_EQ(MakeChannelLayoutFromMasks(0xFFFFFFFF, 0, 0).RMask, 0xFFFFFFFFu);
}

TEST(ColorTables, GreyRampAndPaletteConversions) {
  TDIBColorTable t;
  MakeGrayColorTable(t);
  EXPECT_EQ(t[200].rgbRed, 200);
  EXPECT_EQ(t[200].rgbBlue, 200);
  RGBQUAD q = MakeRGBQuad(1, 2, 3);
  EXPECT_EQ(q.rgbRed, 1);
  EXPECT_EQ(q.rgbGreen, 2);
  EXPECT_EQ(q.rgbBlue, 3);
  TDIBPaletteEntries pal{};
  pal[7] = PALETTEENTRY{10, 20, 30, 4};
  TDIBColorTable quads = PaletteToQuads(pal);
  EXPECT_EQ(quads[7].rgbRed, 10);
  EXPECT_EQ(quads[7].rgbBlue, 30);
  EXPECT_EQ(quads[7].rgbReserved, 0);
  TDIBPaletteEntries back = QuadsToPalette(quads);
  EXPECT_EQ(back[7].peRed, 10);
  EXPECT_EQ(back[7].peBlue, 30);
  EXPECT_EQ(back[7].peFlags, 0);
}

TEST(DIBImage, NewImageIsEmptyWithGreyTable) {
  TDIBSharedImage img;
  EXPECT_EQ(img.Size(), 0);
  EXPECT_TRUE(img.MemoryImage());
  EXPECT_EQ(img.ColorTable()[9].rgbGreen, 9);
  EXPECT_TRUE(SameMasks(img.ChannelLayout(), Layout888()));
  EXPECT_TRUE(Saved(img).empty());
}

TEST(DIBImage, Geometry34x17x24) {
  TDIBSharedImage img;
  TDIBColorTable t{};
  img.InitImage(34, 17, 24, Layout888(), t, true, false);
  EXPECT_EQ(img.WidthBytes(), 104);
  EXPECT_EQ(img.NextLine(), -104);
  EXPECT_EQ(img.Size(), 1768);
  EXPECT_EQ(img.ColorCount(), 0);
  EXPECT_EQ(img.TopBits(), img.PixelData() + 16 * 104);
  EXPECT_EQ(Saved(img).size(), 40u + 1768u);
  // New pixels are zero.
  for (std::int64_t i = 0; i < img.Size(); ++i) ASSERT_EQ(img.PixelData()[i], 0);
}

TEST(DIBImage, InitImageChecksBitCountAndLayout) {
  TDIBColorTable t{};
  struct {
    int bits;
    TDIBChannelLayout layout;
    const char* error;
  } cases[] = {{16, MakeChannelLayout(4, 4, 4), "PixelFormat in invalid"},
               {24, Layout565(), "PixelFormat in invalid"},
               {16, Layout888(), "PixelFormat in invalid"},
               {7, Layout888(), "Bitcount in invalid (7)"},
               {2, Layout888(), "Bitcount in invalid (2)"},
               {16, Layout555(), nullptr},
               {16, Layout565(), nullptr},
               {1, Layout888(), nullptr}};
  for (const auto& c : cases) {
    TDIBSharedImage img;
    if (c.error) {
      try {
        img.InitImage(3, 3, c.bits, c.layout, t, true, false);
        ADD_FAILURE() << c.bits;
      } catch (const EInvalidGraphicOperation& e) { EXPECT_EQ(e.Message(), c.error); }
      EXPECT_EQ(img.Size(), 0);
    } else {
      img.InitImage(3, 3, c.bits, c.layout, t, true, false);
      EXPECT_EQ(img.BitCount(), c.bits);
    }
  }
}

TEST(DIBImage, HeaderAndLengthErrors) {
  EXPECT_EQ(LoadError({}), "loaded");
  EXPECT_EQ(Load({})->Size(), 0);
  for (std::size_t n = 1; n <= 3; ++n) EXPECT_EQ(LoadError(Bytes(n, 40)), "EInvalidGraphic: DIB is invalid") << n;
  Bytes bad;
  Put32(bad, 41);
  bad.resize(100);
  EXPECT_EQ(LoadError(bad), "EInvalidGraphic: DIB is invalid");

  struct {
    const char* what;
    Bytes header;
    std::string error;
  } cases[] = {
      {"negative width", InfoHeader(-2, 2, 24), "EInvalidGraphic: DIB is invalid"},
      {"height of -2^31", InfoHeader(2, INT32_MIN, 24), "EInvalidGraphic: DIB is invalid"},
      {"oversize", InfoHeader(0x7FFFFFFF, 0x7FFFFFFF, 32), "EInvalidGraphic: DIB is invalid"},
      {"oversize by rows", InfoHeader(0x10000, 0x10000, 8), "EInvalidGraphic: DIB is invalid"},
      {"unknown compression", InfoHeader(2, 2, 8, 4), "EInvalidGraphic: DIB is invalid"},
      {"RLE8 with 24 bits", InfoHeader(2, 2, 24, 1, 2), "EInvalidGraphic: DIB is invalid"},
      {"RLE8 with 4 bits", InfoHeader(2, 2, 4, 1, 2), "EInvalidGraphic: DIB is invalid"},
      {"RLE4 with 8 bits", InfoHeader(2, 2, 8, 2, 2), "EInvalidGraphic: DIB is invalid"},
      {"RLE8 top-down", InfoHeader(2, -2, 8, 1, 2), "EInvalidGraphic: DIB is invalid"},
      {"bit count 7", InfoHeader(2, 2, 7), "EInvalidGraphicOperation: Bitcount in invalid (7)"},
      {"short pixels", InfoHeader(64, 64, 8), "EReadError"},
  };
  for (const auto& c : cases) {
    Bytes data = c.header;
    data.resize(data.size() + 256 * 4 + 2);  // room for a colour table, not for the pixels
    EXPECT_EQ(LoadError(data), c.error) << c.what;
  }
  // Bit fields with 8 bits.
  Bytes bf8 = InfoHeader(2, 2, 8, 3);
  Append(bf8, Masks(0xE0, 0x1C, 0x3));
  Append(bf8, QuadTable(256));
  Append(bf8, Bytes(8));
  EXPECT_EQ(LoadError(bf8), "EInvalidGraphic: DIB is invalid");
  // A 16-bit 4-4-4 layout.
  Bytes b444 = InfoHeader(2, 2, 16, 3);
  Append(b444, Masks(0xF00, 0xF0, 0xF));
  Append(b444, Bytes(8));
  EXPECT_EQ(LoadError(b444), "EInvalidGraphicOperation: PixelFormat in invalid");
}

TEST(DIBImage, ZeroWidthOrHeightGivesAnEmptyImage) {
  for (auto dims : {std::pair{0, 5}, std::pair{5, 0}, std::pair{0, 0}, std::pair{0, -3}}) {
    Bytes data = InfoHeader(dims.first, dims.second, 8);
    Append(data, QuadTable(256));
    ImagePtr img = Load(data);
    EXPECT_EQ(img->Size(), 0);
    EXPECT_EQ(img->Width(), 0);
    EXPECT_EQ(img->PixelData(), nullptr);
  }
  // An empty run-length picture passes over its data bytes.
  Bytes rle = InfoHeader(0, 4, 8, 1, 4);
  Append(rle, QuadTable(256));
  Append(rle, {0, 0, 0, 1, 0xAB});
  TBytesStream s(rle.data(), static_cast<std::int64_t>(rle.size()));
  TDIBSharedImage img;
  img.LoadImageData(s, true);
  EXPECT_EQ(img.Size(), 0);
  EXPECT_EQ(s.Position(), static_cast<std::int64_t>(rle.size()) - 1);
}

TEST(DIBImage, TopDownReadsToTheSameMemoryAsBottomUp) {
  const int w = 5, h = 3, wb = 16;  // 24 bits: 15 bytes, padded to 16
  Bytes pixels = Seq(wb * h);
  Bytes bottomUp = InfoHeader(w, h, 24);
  Append(bottomUp, pixels);
  Bytes topDown = InfoHeader(w, -h, 24);
  for (int i = h - 1; i >= 0; --i)
    topDown.insert(topDown.end(), pixels.begin() + i * wb, pixels.begin() + (i + 1) * wb);
  ImagePtr a = Load(bottomUp), b = Load(topDown);
  ASSERT_EQ(a->Size(), wb * h);
  ASSERT_EQ(b->Size(), wb * h);
  EXPECT_EQ(b->Height(), h);
  EXPECT_EQ(std::memcmp(a->PixelData(), b->PixelData(), wb * h), 0);
  EXPECT_EQ(std::memcmp(a->PixelData(), pixels.data(), wb * h), 0);
  // Written back, both are the bottom-up form.
  EXPECT_EQ(Saved(*a), Saved(*b));
}

TEST(DIBImage, ColourTablesOfInfoAndCoreHeaders) {
  // 4 bits with 3 colours used: the rest of the table is zero.
  Bytes info = InfoHeader(2, 1, 4, 0, 0, 3);
  Append(info, QuadTable(3));
  Append(info, {0x12, 0, 0, 0});
  ImagePtr a = Load(info);
  EXPECT_EQ(a->ColorCount(), 16);
  EXPECT_EQ(a->ColorTable()[2].rgbBlue, 2);
  EXPECT_EQ(a->ColorTable()[2].rgbRed, 6);
  EXPECT_EQ(a->ColorTable()[3].rgbRed, 0);
  EXPECT_EQ(a->PixelData()[0], 0x12);

  // A core header: three bytes an entry (blue, green, red), 1 shl bit count of them.
  Bytes core = CoreHeader(3, 2, 1);
  Append(core, {10, 20, 30, 40, 50, 60});
  Append(core, {0xA0, 0, 0, 0, 0x60, 0, 0, 0});
  ImagePtr b = Load(core);
  EXPECT_EQ(b->Width(), 3);
  EXPECT_EQ(b->Height(), 2);
  EXPECT_EQ(b->ColorTable()[0].rgbBlue, 10);
  EXPECT_EQ(b->ColorTable()[0].rgbRed, 30);
  EXPECT_EQ(b->ColorTable()[1].rgbGreen, 50);
  EXPECT_EQ(Row(*b, 1)[0], 0xA0);
  EXPECT_EQ(Row(*b, 0)[0], 0x60);
  // Written as an info header with the full table.
  Bytes saved = Saved(*b);
  ASSERT_EQ(saved.size(), 40u + 8u + 8u);
  EXPECT_EQ(saved[0], 40);
  EXPECT_EQ(saved[40 + 4 + 2], 60);
}

TEST(DIBImage, MoreThan256ColoursSkipsTheSurplus) {
  Bytes data = InfoHeader(4, 1, 8, 0, 0, 300);
  Append(data, QuadTable(300));
  Append(data, {1, 2, 3, 4});
  ImagePtr img = Load(data);
  EXPECT_EQ(std::memcmp(img->PixelData(), "\x01\x02\x03\x04", 4), 0);
  EXPECT_EQ(img->ColorTable()[255].rgbGreen, static_cast<BYTE>(510));
  // A surplus that the data do not hold is a short read.
  Bytes huge = InfoHeader(4, 1, 8, 0, 0, 0xFFFFFFFF);
  Append(huge, QuadTable(256));
  Append(huge, {1, 2, 3, 4});
  EXPECT_EQ(LoadError(huge), "EReadError");
}

TEST(DIBImage, PixelOffsetIsHonoured) {
  Bytes data = InfoHeader(4, 1, 8, 0, 0, 2);
  Append(data, QuadTable(2));
  const std::int64_t tablesEnd = static_cast<std::int64_t>(data.size());
  Append(data, {9, 9, 9, 9, 5, 6, 7, 8});
  EXPECT_EQ(std::memcmp(Load(data, tablesEnd + 4)->PixelData(), "\x05\x06\x07\x08", 4), 0);
  EXPECT_EQ(std::memcmp(Load(data, tablesEnd)->PixelData(), "\x09\x09\x09\x09", 4), 0);
  // Offsets that cannot hold the pixels (inside the tables, zero, too close
  // to the end, beyond it) are passed over: the pixels follow the table.
  for (std::int64_t unusable : {tablesEnd - 1, std::int64_t{0}, tablesEnd + 5, tablesEnd + 100}) {
    SCOPED_TRACE(unusable);
    EXPECT_EQ(std::memcmp(Load(data, unusable)->PixelData(), "\x09\x09\x09\x09", 4), 0);
  }
  // With the pixels missing altogether, the read fails.
  Bytes cut(data.begin(), data.begin() + tablesEnd + 3);
  EXPECT_EQ(LoadError(cut, tablesEnd), "EReadError");
  EXPECT_EQ(LoadError(cut, 0), "EReadError");
}

TEST(DIBImage, BitFieldLayouts) {
  // One pixel of pure red, one of pure blue, as the stored masks place them.
  struct {
    const char* what;
    int bits;
    DWORD r, g, b;
    TDIBChannelLayout layout;
    DWORD storedRed, storedBlue, red, blue;
  } cases[] = {
      {"565", 16, 0xF800, 0x7E0, 0x1F, Layout565(), 0xF800, 0x1F, 0xF800, 0x1F},
      {"555", 16, 0x7C00, 0x3E0, 0x1F, Layout555(), 0x7C00, 0x1F, 0x7C00, 0x1F},
      {"565 blue high", 16, 0x1F, 0x7E0, 0xF800, Layout565(), 0x1F, 0xF800, 0xF800, 0x1F},
      {"555 blue high", 16, 0x1F, 0x3E0, 0x7C00, Layout555(), 0x1F, 0x7C00, 0x7C00, 0x1F},
      {"888", 32, 0xFF0000, 0xFF00, 0xFF, Layout888(), 0xFF0000, 0xFF, 0xFF0000, 0xFF},
      {"888 blue high", 32, 0xFF, 0xFF00, 0xFF0000, Layout888(), 0xFF, 0xFF0000, 0xFF0000, 0xFF},
      {"888 shifted up", 32, 0xFF000000, 0xFF0000, 0xFF00, Layout888(), 0xFF000000, 0xFF00, 0xFF0000, 0xFF},
  };
  for (const auto& c : cases) {
    Bytes data = InfoHeader(3, 1, static_cast<std::uint16_t>(c.bits), 3);
    Append(data, Masks(c.r, c.g, c.b));
    const DWORD green = c.bits == 16 ? c.g & (c.g >> 1) & c.g : c.g;  // some green bits
    const DWORD stored[3] = {c.storedRed, c.storedBlue, green};
    for (DWORD v : stored) {
      if (c.bits == 16)
        Put16(data, v);
      else
        Put32(data, v);
    }
    while ((data.size() - 52) % 4) data.push_back(0);
    ImagePtr img = Load(data);
    EXPECT_TRUE(SameMasks(img->ChannelLayout(), c.layout)) << c.what;
    auto pixel = [&](int x) {
      const BYTE* p = img->PixelData() + x * (c.bits / 8);
      return c.bits == 16 ? DWORD(p[0] | (p[1] << 8)) : DWORD(p[0] | (p[1] << 8) | (p[2] << 16) | (DWORD(p[3]) << 24));
    };
    EXPECT_EQ(pixel(0), c.red) << c.what;
    EXPECT_EQ(pixel(1), c.blue) << c.what;
    EXPECT_EQ(pixel(2) & (c.layout.RMask | c.layout.BMask), 0u) << c.what;
    EXPECT_NE(pixel(2) & c.layout.GMask, 0u) << c.what;
    // Written with the packed masks; it reads back the same.
    Bytes saved = Saved(*img);
    EXPECT_EQ(saved[16], 3);
    EXPECT_EQ(Saved(*Load(saved)), saved) << c.what;
  }
  // A 16-bit picture without bit fields is 5-5-5; 32 bits without them 8-8-8.
  Bytes plain16 = InfoHeader(2, 1, 16);
  Append(plain16, Bytes(4));
  EXPECT_TRUE(SameMasks(Load(plain16)->ChannelLayout(), Layout555()));
}

TEST(DIBImage, RLE8Sample) {
  // 03 05 (three pixels of 5), 00 02 01 02 (delta right 1, up 2), 00 01 (end).
  Bytes header = InfoHeader(8, 4, 8, 1, 8);
  Append(header, QuadTable(256));
  Bytes data = header;
  Append(data, {0x03, 0x05, 0x00, 0x02, 0x01, 0x02, 0x00, 0x01});
  ImagePtr packed = Load(data);
  EXPECT_TRUE(packed->Compressed());
  EXPECT_TRUE(packed->MemoryImage());
  EXPECT_EQ(packed->Size(), 8);
  EXPECT_EQ(packed->TopBits(), nullptr);
  ImagePtr img = Expanded(*packed);
  EXPECT_FALSE(img->Compressed());
  const BYTE* bottom = Row(*img, 3);
  EXPECT_EQ(Bytes(bottom, bottom + 8), (Bytes{5, 5, 5, 0, 0, 0, 0, 0}));
  for (int y = 0; y < 3; ++y) EXPECT_EQ(Bytes(Row(*img, y), Row(*img, y) + 8), Bytes(8, 0));

  // A run after the delta starts at x = 4 of row 2 from the bottom.
  Bytes more = InfoHeader(8, 4, 8, 1, 10);
  Append(more, QuadTable(256));
  Append(more, {0x03, 0x05, 0x00, 0x02, 0x01, 0x02, 0x02, 0x07, 0x00, 0x01});
  ImagePtr img2 = Expanded(*Load(more));
  EXPECT_EQ(Bytes(Row(*img2, 1), Row(*img2, 1) + 8), (Bytes{0, 0, 0, 0, 7, 7, 0, 0}));
  // Stored compressed, written compressed, read back the same.
  EXPECT_EQ(Saved(*Load(more)), Saved(*Load(Saved(*Load(more)))));
  Bytes saved = Saved(*Load(more));
  EXPECT_EQ(saved[16], 1);
  EXPECT_EQ(saved[20], 10);
  EXPECT_EQ(saved.size(), 40u + 1024u + 10u);
}

TEST(DIBImage, RLEAbsoluteRunsAndPadding) {
  // RLE8: an absolute run of 3 bytes is padded to 4; then end of line.
  Bytes rle8 = {0x00, 0x03, 1, 2, 3, 0xEE, 0x02, 0x09, 0x00, 0x00, 0x01, 0x04, 0x00, 0x01};
  Bytes pixels(2 * 8, 0xCC);
  ExpandRLE8(rle8.data(), rle8.size(), pixels.data(), 6, 2, 8);
  EXPECT_EQ(Bytes(pixels.begin(), pixels.begin() + 6), (Bytes{1, 2, 3, 9, 9, 0xCC}));
  EXPECT_EQ(Bytes(pixels.begin() + 8, pixels.begin() + 14), (Bytes{4, 0xCC, 0xCC, 0xCC, 0xCC, 0xCC}));

  // RLE4: an encoded run alternates nibbles high first; an absolute run of 3
  // nibbles takes 2 bytes (even, no padding); one of 5 takes 3 bytes plus one pad.
  Bytes rle4 = {0x05, 0x12, 0x00, 0x03, 0x34, 0x50, 0x00, 0x00, 0x00, 0x05, 0x67, 0x89, 0xA0, 0xFF, 0x00, 0x01};
  Bytes px(2 * 4, 0);
  ExpandRLE4(rle4.data(), rle4.size(), px.data(), 8, 2, 4);
  EXPECT_EQ(Bytes(px.begin(), px.begin() + 4), (Bytes{0x12, 0x12, 0x13, 0x45}));
  EXPECT_EQ(Bytes(px.begin() + 4, px.end()), (Bytes{0x67, 0x89, 0xA0, 0x00}));

  // A pixel write keeps the other nibble.
  Bytes keep(4, 0xBB);
  Bytes one = {0x01, 0x40, 0x00, 0x02, 0x02, 0x00, 0x01, 0x50, 0x00, 0x01};
  ExpandRLE4(one.data(), one.size(), keep.data(), 8, 1, 4);
  EXPECT_EQ(keep, (Bytes{0x4B, 0xB5, 0xBB, 0xBB}));
}

TEST(DIBImage, RLEStaysInsideThePictureAndTheData) {
  // Runs past the row end, deltas past the last row, absolute runs cut short by
  // the end of the data: only the picture's own pixels are written.
  struct {
    const char* what;
    Bytes data;
    Bytes row0;  // the bottom row, 4 pixels
  } cases[] = {
      {"run past the row end", {0xFF, 0x01, 0x00, 0x01}, {1, 1, 1, 1}},
      {"absolute past the row end", {0x00, 0x06, 1, 2, 3, 4, 5, 6, 0x00, 0x01}, {1, 2, 3, 4}},
      {"delta past the last row", {0x01, 0x03, 0x00, 0x02, 0x00, 0xFF, 0x05, 0x09}, {3, 0, 0, 0}},
      {"delta past the row end", {0x00, 0x02, 0xFF, 0x00, 0x03, 0x04, 0x00, 0x01}, {0, 0, 0, 0}},
      {"absolute cut short", {0x00, 0x05, 7, 8}, {0, 0, 0, 0}},
      {"delta cut short", {0x01, 0x02, 0x00, 0x02, 0x01}, {2, 0, 0, 0}},
      {"odd byte at the end", {0x02, 0x06, 0x00}, {6, 6, 0, 0}},
      {"no end mark", {0x01, 0x01}, {1, 0, 0, 0}},
      {"end of lines past the top", {0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x04, 0x04}, {0, 0, 0, 0}},
  };
  for (const auto& c : cases) {
    // The picture sits between guard bytes that must stay untouched.
    Bytes buffer(4 + 2 * 4 + 4, 0xEE);
    std::fill(buffer.begin() + 4, buffer.begin() + 12, 0);
    Bytes data = c.data;  // exactly sized, so that ASan sees any read past it
    std::unique_ptr<BYTE[]> exact(new BYTE[data.size()]);
    std::memcpy(exact.get(), data.data(), data.size());
    ExpandRLE8(exact.get(), data.size(), buffer.data() + 4, 4, 2, 4);
    EXPECT_EQ(Bytes(buffer.begin() + 4, buffer.begin() + 8), c.row0) << c.what;
    EXPECT_EQ(Bytes(buffer.begin(), buffer.begin() + 4), Bytes(4, 0xEE)) << c.what;
    EXPECT_EQ(Bytes(buffer.end() - 4, buffer.end()), Bytes(4, 0xEE)) << c.what;
  }
}

TEST(DIBImage, RLERandomDataNeverLeavesThePicture) {
  std::mt19937 rng(1234);
  for (int round = 0; round < 400; ++round) {
    const int w = 1 + static_cast<int>(rng() % 20), h = 1 + static_cast<int>(rng() % 6);
    const bool four = rng() & 1;
    const int wb = static_cast<int>(((four ? 4 : 8) * w + 31) / 32 * 4);
    Bytes data(rng() % 64);
    for (auto& b : data) b = static_cast<BYTE>(rng() % 4 == 0 ? rng() % 3 : rng());
    std::unique_ptr<BYTE[]> exact(new BYTE[data.size() + 1]);
    if (!data.empty()) std::memcpy(exact.get(), data.data(), data.size());
    std::unique_ptr<BYTE[]> pixels(new BYTE[static_cast<std::size_t>(wb * h)]());
    if (four)
      ExpandRLE4(exact.get(), data.size(), pixels.get(), w, h, wb);
    else
      ExpandRLE8(exact.get(), data.size(), pixels.get(), w, h, wb);
    // Padding bytes of 8-bit rows are never written.
    if (!four) {
      for (int y = 0; y < h; ++y)
        for (int x = w; x < wb; ++x) ASSERT_EQ(pixels[static_cast<std::size_t>(y * wb + x)], 0);
    }
  }
}

TEST(DIBImage, WriteThenReadIsIdentity) {
  std::mt19937 rng(99);
  const struct {
    int bits;
    TDIBChannelLayout layout;
  } formats[] = {{1, Layout888()},  {4, Layout888()},  {8, Layout888()}, {16, Layout555()},
                 {16, Layout565()}, {24, Layout888()}, {32, Layout888()}};
  for (const auto& f : formats) {
    TDIBColorTable table;
    for (auto& q : table) q = RGBQUAD{static_cast<BYTE>(rng()), static_cast<BYTE>(rng()), static_cast<BYTE>(rng()), 0};
    TDIBSharedImage img;
    img.InitImage(7, 5, f.bits, f.layout, table, true, false);
    for (std::int64_t i = 0; i < img.Size(); ++i) img.PixelData()[i] = static_cast<BYTE>(rng());
    Bytes saved = Saved(img);
    EXPECT_EQ(saved.size(), static_cast<std::size_t>(img.BitmapInfoSize() + img.Size()));
    ImagePtr back = Load(saved);
    EXPECT_EQ(back->BitCount(), f.bits);
    EXPECT_TRUE(SameMasks(back->ChannelLayout(), f.layout));
    EXPECT_EQ(back->Width(), 7);
    EXPECT_EQ(back->Height(), 5);
    EXPECT_EQ(std::memcmp(back->PixelData(), img.PixelData(), static_cast<std::size_t>(img.Size())), 0);
    EXPECT_TRUE(SameColorEntries(back->ColorTable().data(), img.ColorTable().data(), img.ColorCount()));
    EXPECT_EQ(Saved(*back), saved) << f.bits;
  }
}

TEST(DIBImage, CopyAndExpand) {
  Bytes data = InfoHeader(4, 2, 4, 2, 6);
  Append(data, QuadTable(16));
  Append(data, {0x04, 0x12, 0x00, 0x00, 0x00, 0x01});
  ImagePtr packed = Load(data);
  TDIBSharedImage copy;
  copy.CopyImage(*packed, false);
  EXPECT_TRUE(copy.Compressed());
  EXPECT_TRUE(copy.MemoryImage());
  EXPECT_EQ(copy.Size(), 6);
  EXPECT_NE(copy.PixelData(), packed->PixelData());
  EXPECT_EQ(Saved(copy), Saved(*packed));
  ImagePtr flat = Expanded(copy);
  EXPECT_EQ(flat->Size(), 8);
  EXPECT_EQ(Row(*flat, 1)[0], 0x12);
  EXPECT_EQ(Row(*flat, 1)[1], 0x12);
  EXPECT_EQ(flat->ColorTable()[5].rgbGreen, 10);
  // Copying an empty image gives an empty one.
  TDIBSharedImage empty, again;
  again.CopyImage(empty, true);
  EXPECT_EQ(again.Size(), 0);
}

TEST(DIBImage, StoreColorTableUpdatesTheInformationBlock) {
  TDIBSharedImage img;
  TDIBColorTable t{};
  img.InitImage(2, 2, 1, Layout888(), t, true, false);
  EXPECT_TRUE(img.PaletteChanged());
  img.SetPaletteChanged(false);
  t[1] = MakeRGBQuad(200, 100, 50);
  t[2] = MakeRGBQuad(1, 1, 1);
  img.StoreColorTable(t);
  EXPECT_TRUE(img.PaletteChanged());
  EXPECT_EQ(img.ColorTable()[2].rgbRed, 1);
  EXPECT_EQ(img.BitmapInfoSize(), 48);
  EXPECT_EQ(img.BitmapInfo()[40 + 4 + 2], 200);
}

TEST(DIBImage, FileFormHonoursThePixelOffset) {
  Bytes body = InfoHeader(4, 1, 8, 0, 0, 2);
  Append(body, QuadTable(2));
  const std::uint32_t offset = static_cast<std::uint32_t>(14 + body.size());
  auto load = [](const Bytes& file) {
    ImagePtr img(new TDIBSharedImage);
    TBytesStream s(file.data(), static_cast<std::int64_t>(file.size()));
    img->LoadImageFile(s, true);
    return img;
  };
  auto error = [&](const Bytes& file) {
    try {
      load(file);
    } catch (const EInvalidGraphic& e) { return e.Message(); }
    return std::string("loaded");
  };
  // Pixels right behind the tables, and after a gap of 6 bytes.
  Bytes direct = FileHeader(offset + 4, offset);
  Append(direct, body);
  Append(direct, {1, 2, 3, 4});
  EXPECT_EQ(std::memcmp(load(direct)->PixelData(), "\x01\x02\x03\x04", 4), 0);
  Bytes gap = FileHeader(offset + 10, offset + 6);
  Append(gap, body);
  Append(gap, {9, 9, 9, 9, 9, 9, 5, 6, 7, 8});
  EXPECT_EQ(std::memcmp(load(gap)->PixelData(), "\x05\x06\x07\x08", 4), 0);
  // The offset is taken from the start of the file header, wherever it is in the stream.
  Bytes prefixed = {0xAA, 0xBB, 0xCC};
  Append(prefixed, gap);
  {
    TBytesStream s(prefixed.data(), static_cast<std::int64_t>(prefixed.size()));
    s.Seek(3, soFromBeginning);
    TDIBSharedImage img;
    img.LoadImageFile(s, true);
    EXPECT_EQ(std::memcmp(img.PixelData(), "\x05\x06\x07\x08", 4), 0);
  }
  // An offset of zero, inside the header or the colour table, or past the
  // end: the pixels are read right after the colour table.
  for (std::uint32_t unusable : {0u, 14u, offset - 1, offset + 1, offset + 4000}) {
    SCOPED_TRACE(unusable);
    Bytes file = FileHeader(offset + 4, unusable);
    Append(file, body);
    Append(file, {1, 2, 3, 4});
    EXPECT_EQ(std::memcmp(load(file)->PixelData(), "\x01\x02\x03\x04", 4), 0);
  }
  // No bytes: empty; a short or foreign header: invalid.
  EXPECT_EQ(load({})->Size(), 0);
  EXPECT_EQ(error(Bytes(direct.begin(), direct.begin() + 13)), "DIB is invalid");
  Bytes foreign = direct;
  foreign[0] = 'M';
  foreign[1] = 'B';
  EXPECT_EQ(error(foreign), "DIB is invalid");
  // Written: the header counts the information block and the pixels.
  TMemoryStream out;
  load(direct)->SaveImageFile(out);
  const Bytes& saved = out.Bytes();
  const std::uint32_t infoSize = 40 + 256 * 4;
  ASSERT_EQ(saved.size(), 14u + infoSize + 4u);
  EXPECT_EQ(saved[0], 'B');
  EXPECT_EQ(saved[1], 'M');
  EXPECT_EQ(saved[2] | (saved[3] << 8) | (saved[4] << 16), static_cast<int>(14 + infoSize + 4));
  EXPECT_EQ(saved[10] | (saved[11] << 8), static_cast<int>(14 + infoSize));
  EXPECT_EQ(std::memcmp(load(saved)->PixelData(), "\x01\x02\x03\x04", 4), 0);
}
