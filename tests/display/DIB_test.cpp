#include "display/DIB.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "display/DIBPalette.h"
#include "platform/toolkit/Bitmap.h"
#include "platform/toolkit/Filer.h"
#include "platform/toolkit/Picture.h"
#include "platform/win/Clipboard.h"
#include "platform/win/Kernel.h"
#include "tests/display/DIBFixtures.h"

namespace {

Bytes FileOf(TDIB& dib) {
  TMemoryStream s;
  dib.SaveToStream(&s);
  return s.Bytes();
}

void LoadFile(TDIB& dib, const Bytes& file) {
  TBytesStream s(file.data(), static_cast<std::int64_t>(file.size()));
  dib.LoadFromStream(&s);
}

// A file of an 8-bit picture with the data given (RLE8 when compressed).
Bytes File8(int w, int h, const Bytes& pixels, std::uint32_t compression = 0) {
  Bytes body = InfoHeader(w, h, 8, compression, compression ? static_cast<std::uint32_t>(pixels.size()) : 0);
  Append(body, QuadTable(256));
  const auto offset = static_cast<std::uint32_t>(14 + body.size());
  Bytes file = FileHeader(offset + static_cast<std::uint32_t>(pixels.size()), offset);
  Append(file, body);
  Append(file, pixels);
  return file;
}

const BYTE* Row(TDIB& dib, int y) { return dib.TopBits() + static_cast<std::int64_t>(y) * dib.NextLine(); }

// Reads pixel (x, y) of a 24-bit DIB as $RRGGBB.
DWORD Rgb24(TDIB& dib, int x, int y) {
  const BYTE* p = Row(dib, y) + 3 * x;
  return (DWORD(p[2]) << 16) | (DWORD(p[1]) << 8) | p[0];
}

// A graphic that is not a bitmap: fills its rectangle with one colour.
class TSolidGraphic : public TGraphic {
 public:
  TSolidGraphic(int w, int h, TColor c) : FW(w), FH(h), FColor(c) {}
  bool Empty() const override { return false; }
  int Width() const override { return FW; }
  void SetWidth(int v) override { FW = v; }
  int Height() const override { return FH; }
  void SetHeight(int v) override { FH = v; }
  void LoadFromStream(TStream*) override {}
  void SaveToStream(TStream*) override {}
  void LoadFromClipboardFormat(WORD, HANDLE, HPALETTE) override {}
  void SaveToClipboardFormat(WORD&, HANDLE&, HPALETTE&) override {}

 protected:
  void Draw(TCanvas* c, const TRect& r) override {
    c->Brush()->SetColor(FColor);
    TRect inner = r;
    inner.right = inner.left + 1;  // one column only, so that the rest stays cleared
    c->FillRect(inner);
  }

 private:
  int FW, FH;
  TColor FColor;
};

}  // namespace

TEST(DIB, NewDIBIsEmpty) {
  TDIB dib;
  EXPECT_TRUE(dib.Empty());
  EXPECT_EQ(dib.Width(), 0);
  EXPECT_EQ(dib.Image(), EmptyImage());
  EXPECT_EQ(dib.Palette(), nullptr);
  EXPECT_TRUE(FileOf(dib).empty());
  TMemoryStream s;
  dib.SaveToStream(&s);
  EXPECT_EQ(s.Size(), 0);
}

TEST(DIB, SetSizeAndTheWidthAndHeightSetters) {
  TDIB dib;
  dib.SetWidth(5);
  EXPECT_EQ(dib.Width(), 5);
  EXPECT_EQ(dib.Height(), 1);
  EXPECT_EQ(dib.BitCount(), 8);
  dib.SetHeight(3);
  EXPECT_EQ(dib.Height(), 3);
  EXPECT_EQ(dib.BitCount(), 8);
  dib.SetSize(34, 17, 24);
  EXPECT_EQ(dib.WidthBytes(), 104);
  EXPECT_EQ(dib.Size(), 1768);
  TDIBSharedImage* image = dib.Image();
  dib.SetSize(34, 17, 24);
  EXPECT_EQ(dib.Image(), image);  // nothing changed
  // New pixels are zero, even where an older image had been written.
  std::memset(dib.Bits(), 0xAB, static_cast<std::size_t>(dib.Size()));
  dib.SetSize(35, 17, 24);
  for (std::int64_t i = 0; i < dib.Size(); ++i) ASSERT_EQ(dib.Bits()[i], 0);
  dib.SetHeight(0);
  EXPECT_TRUE(dib.Empty());
  dib.SetHeight(4);
  EXPECT_EQ(dib.Width(), 1);
  dib.SetSize(-1, 5, 8);
  EXPECT_TRUE(dib.Empty());
  // A 16-bit size takes its layout from PixelFormat.
  dib.PixelFormat = Layout565();
  dib.SetSize(2, 2, 16);
  EXPECT_TRUE(SameMasks(dib.Image()->ChannelLayout(), Layout565()));
  dib.PixelFormat = MakeChannelLayout(4, 4, 4);
  EXPECT_THROW(dib.SetSize(3, 3, 16), EInvalidGraphicOperation);
  EXPECT_EQ(dib.Width(), 2);  // unchanged by the failure
}

TEST(DIB, SetPixelByBitCount) {
  struct {
    int bits;
    int x;
    DWORD value;
    Bytes row;  // the first bytes of the top row afterwards
  } cases[] = {
      {1, 0, 1, {0x80, 0}},
      {1, 9, 3, {0, 0x40}},
      {4, 5, 0x3A, {0, 0, 0x0A, 0}},
      {4, 4, 0x17, {0, 0, 0x70, 0}},
      {8, 2, 0x1FE, {0, 0, 0xFE, 0}},
      {16, 1, 0x12345678, {0, 0, 0x78, 0x56, 0}},
      {24, 1, 0x112233, {0, 0, 0, 0x11, 0x22, 0x33, 0}},
      {32, 1, 0x11223344, {0, 0, 0, 0, 0x44, 0x33, 0x22, 0x11}},
  };
  for (const auto& c : cases) {
    TDIB dib;
    if (c.bits == 16) dib.PixelFormat = Layout555();
    dib.SetSize(16, 2, c.bits);
    dib.SetPixel(c.x, 0, c.value);
    EXPECT_EQ(Bytes(Row(dib, 0), Row(dib, 0) + c.row.size()), c.row) << c.bits << " x=" << c.x;
    // Outside the picture nothing is written.
    dib.SetPixel(-1, 0, 0xFFFFFFFF);
    dib.SetPixel(16, 0, 0xFFFFFFFF);
    dib.SetPixel(0, 2, 0xFFFFFFFF);
    dib.SetPixel(0, -1, 0xFFFFFFFF);
    EXPECT_EQ(Bytes(Row(dib, 0), Row(dib, 0) + c.row.size()), c.row) << c.bits;
    EXPECT_EQ(Bytes(Row(dib, 1), Row(dib, 1) + dib.WidthBytes()), Bytes(dib.WidthBytes(), 0)) << c.bits;
  }
  // At X = 5 of a 4-bit DIB only the low nibble of byte 2 changes.
  TDIB dib;
  dib.SetSize(8, 1, 4);
  std::memset(dib.Bits(), 0x99, 4);
  dib.SetPixel(5, 0, 0x4);
  EXPECT_EQ(Bytes(Row(dib, 0), Row(dib, 0) + 4), (Bytes{0x99, 0x99, 0x94, 0x99}));
}

TEST(DIB, CopyOnWriteAfterAssign) {
  TDIB a;
  a.SetSize(4, 4, 8);
  a.SetPixel(1, 1, 7);
  TDIB b;
  b.Assign(&a);
  EXPECT_EQ(b.Image(), a.Image());
  EXPECT_EQ(a.Image()->RefCount(), 2);
  b.SetPixel(1, 1, 9);
  EXPECT_NE(b.Image(), a.Image());
  EXPECT_EQ(Row(a, 1)[1], 7);
  EXPECT_EQ(Row(b, 1)[1], 9);
  EXPECT_EQ(a.Image()->RefCount(), 1);
  // Writing the only copy writes in place.
  TDIBSharedImage* own = b.Image();
  b.SetPixel(2, 2, 1);
  EXPECT_EQ(b.Image(), own);
  // Assigning nothing empties; assigning itself keeps the image.
  b.Assign(&b);
  EXPECT_EQ(b.Image(), own);
  b.Assign(nullptr);
  EXPECT_TRUE(b.Empty());
  // Other persistent objects cannot be assigned.
  TPersistent other;
  EXPECT_THROW(a.Assign(&other), EConvertError);
  EXPECT_EQ(Row(a, 1)[1], 7);
}

TEST(DIB, CopyOnWriteThroughTheCanvas) {
  TDIB a;
  LoadFile(a, File8(4, 2, Bytes(8, 3)));
  EXPECT_TRUE(a.Image()->MemoryImage());
  TDIB b;
  b.Assign(&a);
  TCanvas* canvas = b.Canvas();
  EXPECT_FALSE(b.Image()->MemoryImage());
  EXPECT_NE(b.Image()->DC(), nullptr);
  canvas->Brush()->SetColor(static_cast<TColor>(RGB(150, 100, 50)));  // colour 50 of the table
  canvas->FillRect(Rect(0, 0, 4, 2));
  EXPECT_TRUE(a.Image()->MemoryImage());
  EXPECT_EQ(Row(a, 0)[0], 3);
  EXPECT_EQ(Row(a, 1)[3], 3);
  EXPECT_EQ(Row(b, 0)[0], 50);
  EXPECT_EQ(Row(b, 1)[3], 50);
  // A section shared by two bitmaps is copied before the canvas draws.
  TDIB c;
  c.Assign(&b);
  EXPECT_EQ(c.Image(), b.Image());
  const BYTE before = Row(b, 1)[1];
  c.Canvas()->Brush()->SetColor(static_cast<TColor>(RGB(250, 250, 250)));
  c.Canvas()->FillRect(Rect(0, 0, 4, 2));
  EXPECT_NE(c.Image(), b.Image());
  EXPECT_EQ(Row(b, 1)[1], before);
  EXPECT_NE(Row(c, 1)[1], before);
  // A stream read into a section gives a section; the canvas draws on it.
  LoadFile(c, File8(2, 2, Bytes(8, 1)));
  EXPECT_FALSE(c.Image()->MemoryImage());
  canvas = c.Canvas();
  canvas->Brush()->SetColor(static_cast<TColor>(RGB(60, 40, 20)));  // colour 20
  canvas->FillRect(Rect(0, 0, 1, 1));
  EXPECT_EQ(Row(c, 0)[0], 20);
  EXPECT_EQ(Row(c, 1)[1], 1);
  // Run-length data are always a memory image; the canvas held before asks
  // for a section again when it draws.
  LoadFile(c, File8(4, 1, {0x04, 0x02, 0x00, 0x01}, 1));
  EXPECT_TRUE(c.Image()->MemoryImage());
  EXPECT_TRUE(c.Image()->Compressed());
  canvas->FillRect(Rect(1, 0, 2, 1));
  EXPECT_FALSE(c.Image()->MemoryImage());
  EXPECT_EQ(Bytes(Row(c, 0), Row(c, 0) + 4), (Bytes{2, 20, 2, 2}));
}

TEST(DIB, StreamFormsAndFailures) {
  const Bytes pixels = Seq(8 * 4);
  TDIB dib;
  LoadFile(dib, File8(8, 4, pixels));
  EXPECT_EQ(dib.Width(), 8);
  EXPECT_EQ(std::memcmp(dib.Bits(), pixels.data(), pixels.size()), 0);
  const Bytes file = FileOf(dib);
  ASSERT_EQ(file.size(), File8(8, 4, pixels).size());
  EXPECT_EQ(Bytes(file.end() - 32, file.end()), pixels);
  TDIB again;
  LoadFile(again, file);
  EXPECT_EQ(FileOf(again), file);
  // A failed read leaves the bitmap as it was.
  TDIBSharedImage* image = dib.Image();
  Bytes bad = file;
  bad[0] = 'X';
  EXPECT_THROW(LoadFile(dib, bad), EInvalidGraphic);
  EXPECT_THROW(LoadFile(dib, Bytes(file.begin(), file.begin() + 9)), EInvalidGraphic);
  EXPECT_THROW(LoadFile(dib, Bytes(file.begin(), file.end() - 1)), EReadError);
  EXPECT_EQ(dib.Image(), image);
  // No bytes at all change nothing.
  LoadFile(dib, {});
  EXPECT_EQ(dib.Image(), image);

  // Run-length pictures stay compressed when written.
  const Bytes rle = {0x03, 0x05, 0x00, 0x02, 0x01, 0x02, 0x02, 0x07, 0x00, 0x01};
  LoadFile(dib, File8(8, 4, rle, 1));
  EXPECT_TRUE(dib.Image()->Compressed());
  const Bytes packedFile = FileOf(dib);
  ASSERT_EQ(packedFile.size(), 14u + 40u + 1024u + rle.size());
  EXPECT_EQ(packedFile[14 + 16], 1);
  EXPECT_EQ(Bytes(packedFile.end() - 10, packedFile.end()), rle);
  // The first write expands them.
  TDIB copy;
  copy.Assign(&dib);
  copy.SetPixel(0, 0, 1);
  EXPECT_TRUE(dib.Image()->Compressed());
  EXPECT_FALSE(copy.Image()->Compressed());
  EXPECT_EQ(Bytes(Row(copy, 3), Row(copy, 3) + 8), (Bytes{5, 5, 5, 0, 0, 0, 0, 0}));
  EXPECT_EQ(Row(copy, 1)[4], 7);
  EXPECT_EQ(Row(copy, 0)[0], 1);
}

TEST(DIB, ClipboardForm) {
  TDIB dib;
  dib.SetSize(3, 2, 24);
  dib.SetPixel(2, 1, 0x102030);
  WORD format = 0;
  HANDLE data = nullptr;
  HPALETTE palette = reinterpret_cast<HPALETTE>(1);
  dib.SaveToClipboardFormat(format, data, palette);
  EXPECT_EQ(format, 8);
  EXPECT_EQ(palette, nullptr);
  ASSERT_NE(data, nullptr);
  EXPECT_EQ(GlobalSize(data), 40u + 2u * 12u);
  TDIB back;
  back.LoadFromClipboardFormat(0, data, nullptr);
  EXPECT_EQ(back.Width(), 3);
  // A value in $BBGGRR order lands as blue, green, red.
  EXPECT_EQ(Rgb24(back, 2, 1), 0x302010u);
  GlobalFree(data);
}

TEST(DIB, PalettesAreSharedAndCounted) {
  TDIB a, b;
  a.SetSize(2, 2, 8);
  b.SetSize(3, 1, 8);
  HPALETTE pa = a.Palette();
  ASSERT_NE(pa, nullptr);
  EXPECT_EQ(b.Palette(), pa);
  EXPECT_EQ(PaletteManager().References(pa), 2);
  TDIB c;
  c.SetSize(2, 2, 24);
  EXPECT_EQ(c.Palette(), nullptr);

  // Handing a shared palette to SetPalette does not delete it under the others.
  TDIB d;
  d.SetSize(2, 2, 8);
  d.SetPalette(pa);
  EXPECT_EQ(GetPaletteEntries(pa, 0, 256, nullptr), 256u);
  EXPECT_EQ(a.Palette(), pa);
  // A palette of the caller's own is taken over and deleted.
  std::vector<BYTE> block(sizeof(LOGPALETTE) + 256 * sizeof(PALETTEENTRY));
  auto* log = reinterpret_cast<LOGPALETTE*>(block.data());
  log->palVersion = 0x300;
  log->palNumEntries = 256;
  for (int i = 0; i < 256; ++i)
    log->palPalEntry[i] = PALETTEENTRY{static_cast<BYTE>(255 - i), 0, static_cast<BYTE>(i), 0};
  HPALETTE own = CreatePalette(log);
  d.SetPalette(own);
  EXPECT_EQ(GetPaletteEntries(own, 0, 256, nullptr), 0u);
  EXPECT_EQ(d.ColorTable[10].rgbRed, 245);
  EXPECT_EQ(d.ColorTable[10].rgbBlue, 10);
  EXPECT_EQ(d.Image()->ColorTable()[10].rgbRed, 245);
  EXPECT_TRUE(d.PaletteModified);
  HPALETTE pd = d.Palette();
  EXPECT_NE(pd, pa);
  PALETTEENTRY e{};
  GetPaletteEntries(pd, 10, 1, &e);
  EXPECT_EQ(e.peRed, 245);
  // The last holder lets go: the palette goes.
  d.Assign(nullptr);
  EXPECT_FALSE(PaletteManager().Holds(pd));
  a.Assign(nullptr);
  b.Assign(nullptr);
  EXPECT_FALSE(PaletteManager().Holds(pa));
}

TEST(DIB, ApplyColorTableMakesThePicturePrivate) {
  TDIB a;
  a.SetSize(2, 2, 4);
  TDIB b;
  b.Assign(&a);
  b.ColorTable[3] = MakeRGBQuad(9, 8, 7);
  b.ApplyColorTable();
  EXPECT_NE(b.Image(), a.Image());
  EXPECT_EQ(b.Image()->ColorTable()[3].rgbRed, 9);
  EXPECT_EQ(a.Image()->ColorTable()[3].rgbRed, 3);
  EXPECT_EQ(b.ColorTable[3].rgbRed, 9);
  // The written colour table carries the change.
  Bytes file = FileOf(b);
  EXPECT_EQ(file[14 + 40 + 3 * 4 + 2], 9);
  // An equal table changes nothing.
  TDIBSharedImage* image = b.Image();
  b.PaletteModified = false;
  b.ApplyColorTable();
  EXPECT_EQ(b.Image(), image);
  EXPECT_FALSE(b.PaletteModified);
}

TEST(DIB, DrawsMemoryImagesSectionsAndRunLengthData) {
  // Source: an 8-bit picture whose colour i is (3i, 2i, i).
  auto check = [](TDIB& src, const char* what) {
    TDIB dest;
    dest.SetSize(8, 4, 24);
    dest.Canvas()->Draw(0, 0, &src);
    EXPECT_EQ(Rgb24(dest, 0, 3), 0x0F0A05u) << what;  // index 5 at the bottom left
    EXPECT_EQ(Rgb24(dest, 3, 3), 0u) << what;
    EXPECT_EQ(Rgb24(dest, 4, 1), 0x150E07u) << what;  // index 7
    // Stretched to twice the size.
    TDIB big;
    big.SetSize(16, 8, 24);
    big.Canvas()->StretchDraw(Rect(0, 0, 16, 8), &src);
    EXPECT_EQ(Rgb24(big, 5, 7), 0x0F0A05u) << what;
    EXPECT_EQ(Rgb24(big, 9, 3), 0x150E07u) << what;
  };
  const Bytes rle = {0x03, 0x05, 0x00, 0x02, 0x01, 0x02, 0x02, 0x07, 0x00, 0x01};
  TDIB packed;
  LoadFile(packed, File8(8, 4, rle, 1));
  check(packed, "compressed");
  TDIB flat;
  flat.Assign(&packed);
  flat.Bits();
  EXPECT_TRUE(flat.Image()->MemoryImage());
  check(flat, "memory image");
  flat.Canvas();
  EXPECT_FALSE(flat.Image()->MemoryImage());
  check(flat, "section");
  // Nothing is drawn for an empty picture.
  TDIB empty, dest;
  dest.SetSize(2, 2, 24);
  std::memset(dest.Bits(), 0x44, static_cast<std::size_t>(dest.Size()));
  dest.Canvas()->Draw(0, 0, &empty);
  EXPECT_EQ(Rgb24(dest, 0, 0), 0x444444u);
}

TEST(DIB, AssignFromAnotherGraphicDrawsItOnA24BitPicture) {
  // Whatever the DIB held before, the result is 24 bits in 8-8-8.
  const struct {
    const char* What;
    int Bits;
    TDIBChannelLayout Layout;
  } before[] = {{"24 bits", 24, Layout888()},
                {"16 bits 5-6-5", 16, Layout565()},
                {"16 bits 5-5-5", 16, Layout555()},
                {"8 bits", 8, Layout888()}};
  for (const auto& b : before) {
    SCOPED_TRACE(b.What);
    TSolidGraphic g(3, 2, static_cast<TColor>(RGB(0x10, 0x20, 0x30)));
    TDIB dib;
    dib.PixelFormat = b.Layout;
    dib.SetSize(3, 2, b.Bits);
    std::memset(dib.Bits(), 0x77, static_cast<std::size_t>(dib.Size()));
    dib.Assign(&g);
    EXPECT_EQ(dib.BitCount(), 24);
    EXPECT_EQ(dib.Width(), 3);
    EXPECT_EQ(dib.PixelFormat.RMask, 0xFF0000u);
    EXPECT_EQ(Rgb24(dib, 0, 0), 0x102030u);
    EXPECT_EQ(Rgb24(dib, 0, 1), 0x102030u);
    EXPECT_EQ(Rgb24(dib, 1, 0), 0u);  // cleared first
    EXPECT_EQ(Rgb24(dib, 2, 1), 0u);
  }
}

// With the toolkit's pictures, bitmaps and filers

namespace {

using FilerBytes = std::vector<BYTE>;

FilerBytes ShortStr(const std::string& s) {
  FilerBytes b(s.size() + 1);
  b[0] = static_cast<BYTE>(s.size());
  for (std::size_t i = 0; i < s.size(); ++i) b[i + 1] = static_cast<BYTE>(s[i]);
  return b;
}

}  // namespace

TEST(DIBToolkit, RegisteredForTheDibExtensionAndCF_DIB) {
  EXPECT_EQ(TPicture::FindFileFormat("dib").Name, "TDIB");
  EXPECT_EQ(TPicture::FindGraphicClass("TDIB").Name, "TDIB");
  EXPECT_TRUE(TPicture::SupportsClipboardFormat(static_cast<WORD>(CF_DIB)));

  // A picture made from the clipboard form holds a TDIB.
  TDIB dib;
  dib.SetSize(2, 2, 24);
  dib.SetPixel(1, 1, 0xABCDEF);
  WORD format = 0;
  HANDLE data = nullptr;
  HPALETTE palette = nullptr;
  dib.SaveToClipboardFormat(format, data, palette);
  TPicture picture;
  picture.LoadFromClipboardFormat(format, data, palette);
  auto* held = dynamic_cast<TDIB*>(picture.Graphic());
  ASSERT_NE(held, nullptr);
  EXPECT_EQ(Rgb24(*held, 1, 1), 0xEFCDABu);
  GlobalFree(data);
}

TEST(DIBToolkit, StoredPictureDataAndTheDIBProperty) {
  class Holder : public TPersistent {
   public:
    TPicture Picture;
    void GetProperties(TPropertyList& L) override {
      L.Persistent("Picture", [this] { return &Picture; });
    }
  };
  Holder h;
  TDIB dib;
  dib.SetSize(34, 17, 24);
  dib.SetPixel(33, 16, 0x010203);
  h.Picture.SetGraphic(&dib);
  TMemoryStream written;
  WritePersistentProperties(&written, &h);
  const FilerBytes& w = written.Bytes();
  // "Picture.Data": the class name "TDIB", then the bitmap data (40 + 1768 bytes).
  FilerBytes head = ShortStr("Picture.Data");
  head.push_back(vaBinary);
  ASSERT_TRUE(std::equal(head.begin(), head.end(), w.begin()));
  const std::uint32_t length = w[head.size()] | (w[head.size() + 1] << 8);
  EXPECT_EQ(length, 5u + 40u + 1768u);
  const FilerBytes name = ShortStr("TDIB");
  EXPECT_TRUE(std::equal(name.begin(), name.end(), w.begin() + static_cast<long>(head.size()) + 4));
  EXPECT_EQ(w[head.size() + 4 + 5], 40);

  Holder back;
  TBytesStream in(w.data(), static_cast<std::int64_t>(w.size()));
  ReadPersistentProperties(&in, &back);
  auto* read = dynamic_cast<TDIB*>(back.Picture.Graphic());
  ASSERT_NE(read, nullptr);
  EXPECT_EQ(read->Width(), 34);
  EXPECT_EQ(Rgb24(*read, 33, 16), 0x030201u);

  // The property "DIB" holds the file form; it is read, never written.
  class DIBHolder : public TPersistent {
   public:
    TDIB Dib;
    void GetProperties(TPropertyList& L) override {
      L.Persistent("Pic", [this] { return &Dib; });
    }
  };
  Bytes file = File8(4, 1, {7, 8, 9, 10});
  FilerBytes stored = ShortStr("Pic.DIB");
  stored.push_back(vaBinary);
  Put32(stored, static_cast<std::uint32_t>(file.size()));
  Append(stored, file);
  stored.push_back(vaNull);
  DIBHolder holder;
  TBytesStream s(stored.data(), static_cast<std::int64_t>(stored.size()));
  ReadPersistentProperties(&s, &holder);
  EXPECT_EQ(holder.Dib.Width(), 4);
  EXPECT_EQ(Row(holder.Dib, 0)[3], 10);
  TMemoryStream again;
  WritePersistentProperties(&again, &holder);
  const FilerBytes& a = again.Bytes();
  const FilerBytes dataName = ShortStr("Pic.Data");
  EXPECT_TRUE(std::equal(dataName.begin(), dataName.end(), a.begin()));
  EXPECT_EQ(std::search(a.begin(), a.end(), stored.begin(), stored.begin() + 8), a.end());
}

TEST(DIBToolkit, FilesOfBothWritersLoadUnchanged) {
  const struct {
    TPixelFormat Format;
    int Bits;
  } cases[] = {{pf24bit, 24}, {pf8bit, 8}, {pf4bit, 4}, {pf1bit, 1}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Bits);
    TBitmap bmp;
    bmp.SetPixelFormat(c.Format);
    bmp.SetSize(5, 3);
    bmp.Canvas()->Brush()->SetColor(clWhite);
    bmp.Canvas()->FillRect(TRect{0, 0, 5, 3});
    bmp.Canvas()->SetPixel(4, 2, clBlack);
    TMemoryStream written;
    bmp.SaveToStream(&written);
    TDIB dib;
    written.SetPosition(0);
    dib.LoadFromStream(&written);
    ASSERT_EQ(dib.BitCount(), c.Bits);
    ASSERT_EQ(dib.Width(), 5);
    ASSERT_EQ(dib.Height(), 3);
    EXPECT_EQ(dib.Canvas()->GetPixel(4, 2), clBlack);
    EXPECT_EQ(dib.Canvas()->GetPixel(0, 0), clWhite);
    // The DIB's own file reads back to the same bytes.
    const Bytes file = FileOf(dib);
    TDIB again;
    LoadFile(again, file);
    EXPECT_EQ(FileOf(again), file);
  }
}

TEST(DIBToolkit, AssignFromBitmapsAndPictures) {
  // A 24-bit bitmap: same size, same colours.
  TBitmap bmp24;
  bmp24.SetPixelFormat(pf24bit);
  bmp24.SetSize(3, 2);
  bmp24.Canvas()->SetPixel(2, 1, clRed);
  bmp24.Canvas()->SetPixel(0, 0, static_cast<TColor>(RGB(1, 2, 3)));
  TDIB dib;
  dib.Assign(&bmp24);
  EXPECT_EQ(dib.BitCount(), 24);
  EXPECT_EQ(dib.Width(), 3);
  EXPECT_EQ(Rgb24(dib, 2, 1), 0xFF0000u);
  EXPECT_EQ(Rgb24(dib, 0, 0), 0x010203u);

  // An 8-bit bitmap: its palette becomes the colour table, the indices stay.
  TBitmap bmp8;
  bmp8.SetPixelFormat(pf8bit);
  bmp8.SetSize(4, 1);
  bmp8.Canvas()->SetPixel(1, 0, clLime);
  TDIB dib8;
  dib8.Assign(&bmp8);
  EXPECT_EQ(dib8.BitCount(), 8);
  const RGBQUAD q = dib8.ColorTable[Row(dib8, 0)[1]];
  EXPECT_EQ(q.rgbGreen, 255);
  EXPECT_EQ(q.rgbRed, 0);

  // A 16-bit bitmap keeps its channel counts.
  TBitmap bmp16;
  bmp16.SetPixelFormat(pf16bit);
  bmp16.SetSize(2, 2);
  TDIB dib16;
  dib16.Assign(&bmp16);
  EXPECT_EQ(dib16.BitCount(), 16);
  EXPECT_TRUE(SameMasks(dib16.Image()->ChannelLayout(), Layout565()));

  // Pictures give their graphic; an empty picture empties.
  TPicture picture;
  picture.SetGraphic(&dib);
  TDIB fromPicture;
  fromPicture.Assign(&picture);
  EXPECT_EQ(Rgb24(fromPicture, 2, 1), 0xFF0000u);
  TPicture none;
  fromPicture.Assign(&none);
  EXPECT_TRUE(fromPicture.Empty());
}
