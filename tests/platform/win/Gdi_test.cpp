#include <gtest/gtest.h>

#include <QFont>
#include <QFontInfo>

#include <algorithm>
#include <cstring>
#include <vector>

#include "platform/win/Gdi.h"
#include "platform/win/Kernel.h"

namespace {

// A caller-owned 32-bit buffer with padding after each row, and a DC over it.
struct Buffer32 {
  static constexpr LONG W = 16, H = 12, Pitch = (W + 2) * 4;
  std::vector<BYTE> bytes = std::vector<BYTE>(Pitch * H, 0);
  HDC dc = CreateDCOverBits(bytes.data(), W, H, Pitch, 32, 0xFF0000, 0xFF00, 0xFF, nullptr, 0);
  ~Buffer32() { DeleteDC(dc); }
  DWORD At(int x, int y) const {
    DWORD v;
    std::memcpy(&v, bytes.data() + y * Pitch + x * 4, 4);
    return v;
  }
  int Count(DWORD v) const {
    int n = 0;
    for (int y = 0; y < H; ++y)
      for (int x = 0; x < W; ++x) n += At(x, y) == v;
    return n;
  }
  bool PaddingClean() const {
    for (int y = 0; y < H; ++y)
      for (int i = W * 4; i < Pitch; ++i)
        if (bytes[y * Pitch + i]) return false;
    return true;
  }
};

GdiPixelFormat Masks(int bits, DWORD r, DWORD g, DWORD b) {
  GdiPixelFormat f;
  f.BitCount = bits;
  f.RMask = r;
  f.GMask = g;
  f.BMask = b;
  return f;
}

}  // namespace

TEST(GdiColor, ConvertsColoursToPixelsOfEveryFormatAndBack) {
  GdiPixelFormat indexed;
  indexed.BitCount = 8;
  indexed.Colors = {RGB(0, 0, 0), RGB(255, 0, 0), RGB(0, 0, 250), RGB(200, 200, 200)};
  indexed.Colors.resize(256, RGB(0, 0, 0));
  struct Case {
    GdiPixelFormat format;
    COLORREF color;
    DWORD pixel;
    COLORREF back;
  } cases[] = {
      {Masks(32, 0xFF0000, 0xFF00, 0xFF), RGB(1, 2, 3), 0x010203, RGB(1, 2, 3)},
      {Masks(24, 0, 0, 0), RGB(0x12, 0x34, 0x56), 0x123456, RGB(0x12, 0x34, 0x56)},
      {Masks(16, 0xF800, 0x7E0, 0x1F), RGB(255, 0, 0), 0xF800, RGB(255, 0, 0)},
      {Masks(16, 0xF800, 0x7E0, 0x1F), RGB(0, 255, 0), 0x07E0, RGB(0, 255, 0)},
      {Masks(16, 0xF800, 0x7E0, 0x1F), RGB(8, 4, 8), 0x0821, RGB(8, 4, 8)},
      {Masks(16, 0x7C00, 0x3E0, 0x1F), RGB(255, 255, 255), 0x7FFF, RGB(255, 255, 255)},
      {Masks(16, 0x7C00, 0x3E0, 0x1F), RGB(0, 0, 255), 0x001F, RGB(0, 0, 255)},
      {indexed, RGB(0, 0, 255), 2, RGB(0, 0, 250)},          // nearest entry
      {indexed, RGB(200, 200, 200), 3, RGB(200, 200, 200)},  // exact entry
      {indexed, PALETTEINDEX(1), 1, RGB(255, 0, 0)},         // index as given
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.format.BitCount);
    EXPECT_EQ(ColorToPixel(c.format, c.color), c.pixel);
    EXPECT_EQ(PixelToColor(c.format, c.pixel), c.back);
  }
}

TEST(GdiDraw, FillsAndLinesLeaveRightBottomAndLastPixelOut) {
  Buffer32 b;
  HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
  RECT r{2, 3, 6, 5};
  FillRect(b.dc, &r, red);
  EXPECT_EQ(b.Count(0xFF0000), 8);
  EXPECT_EQ(b.At(2, 3), 0xFF0000u);
  EXPECT_EQ(b.At(5, 4), 0xFF0000u);
  EXPECT_EQ(b.At(6, 4), 0u);
  EXPECT_EQ(b.At(5, 5), 0u);

  HPEN green = CreatePen(PS_SOLID, 1, RGB(0, 255, 0));
  HGDIOBJ oldPen = SelectObject(b.dc, green);
  MoveToEx(b.dc, 0, 0, nullptr);
  LineTo(b.dc, 10, 0);  // horizontal: 0..9
  MoveToEx(b.dc, 0, 11, nullptr);
  LineTo(b.dc, 4, 7);  // diagonal up: (0,11)..(3,8)
  EXPECT_EQ(b.At(9, 0), 0x00FF00u);
  EXPECT_EQ(b.At(10, 0), 0u);
  EXPECT_EQ(b.At(3, 8), 0x00FF00u);
  EXPECT_EQ(b.At(4, 7), 0u);
  EXPECT_EQ(b.Count(0x00FF00), 14);
  POINT p;
  GetCurrentPositionEx(b.dc, &p);
  EXPECT_EQ(p, (POINT{4, 7}));

  EXPECT_FALSE(DeleteObject(green));  // still selected
  SelectObject(b.dc, oldPen);
  EXPECT_TRUE(DeleteObject(green));
  EXPECT_TRUE(DeleteObject(red));
  EXPECT_TRUE(b.PaddingClean());
}

TEST(GdiDraw, RectangleOutlinesWithPenAndFillsInsideWithBrush) {
  Buffer32 b;
  HPEN pen = CreatePen(PS_SOLID, 1, RGB(0, 0, 255));
  HBRUSH brush = CreateSolidBrush(RGB(255, 255, 0));
  SelectObject(b.dc, pen);
  SelectObject(b.dc, brush);
  Rectangle(b.dc, 1, 1, 6, 5);  // outline on x 1..5, y 1..4
  EXPECT_EQ(b.At(1, 1), 0x0000FFu);
  EXPECT_EQ(b.At(5, 4), 0x0000FFu);
  EXPECT_EQ(b.At(6, 4), 0u);
  EXPECT_EQ(b.At(5, 5), 0u);
  EXPECT_EQ(b.At(2, 2), 0xFFFF00u);
  EXPECT_EQ(b.At(4, 3), 0xFFFF00u);
  EXPECT_EQ(b.Count(0x0000FF), 14);
  EXPECT_EQ(b.Count(0xFFFF00), 6);
  // Drawing reaching outside the bitmap is clipped.
  Rectangle(b.dc, -5, -5, 40, 40);
  EXPECT_TRUE(b.PaddingClean());
  SelectObject(b.dc, GetStockObject(BLACK_PEN));
  SelectObject(b.dc, GetStockObject(WHITE_BRUSH));
  DeleteObject(pen);
  DeleteObject(brush);
}

TEST(GdiDraw, SolidOutlinesCoverWhatTheClosedLineThroughTheirCornersCovers) {
  // A rectangle's outline with a one-pixel solid pen, against the closed line
  // from corner to corner on the last pixels inside, each line leaving out
  // its last pixel; sizes down to one pixel and rectangles off the edges.
  const RECT rects[] = {{2, 2, 10, 8}, {0, 0, 16, 12}, {3, 4, 4, 9},    {5, 5, 12, 6},
                        {6, 6, 7, 7},  {-3, -2, 5, 4}, {12, 9, 20, 15}, {9, 3, 4, 10}};
  for (const RECT& r : rects) {
    SCOPED_TRACE(testing::Message() << r.left << " " << r.top << " " << r.right << " " << r.bottom);
    Buffer32 outline, lines;
    HPEN pen = CreatePen(PS_SOLID, 1, RGB(0, 0, 255));
    SelectObject(outline.dc, pen);
    SelectObject(outline.dc, GetStockObject(NULL_BRUSH));
    Rectangle(outline.dc, r.left, r.top, r.right, r.bottom);
    SelectObject(lines.dc, pen);
    const LONG left = std::min(r.left, r.right), right = std::max(r.left, r.right);
    const LONG top = std::min(r.top, r.bottom), bottom = std::max(r.top, r.bottom);
    MoveToEx(lines.dc, left, top, nullptr);
    LineTo(lines.dc, right - 1, top);
    LineTo(lines.dc, right - 1, bottom - 1);
    LineTo(lines.dc, left, bottom - 1);
    LineTo(lines.dc, left, top);
    if (right - left == 1 || bottom - top == 1) {
      HBRUSH fill = CreateSolidBrush(RGB(0, 0, 255));
      RECT all{left, top, right, bottom};
      FillRect(lines.dc, &all, fill);
      DeleteObject(fill);
    }
    EXPECT_EQ(outline.bytes, lines.bytes);
    EXPECT_GT(outline.Count(0x0000FF), 0);
    SelectObject(outline.dc, GetStockObject(BLACK_PEN));
    SelectObject(lines.dc, GetStockObject(BLACK_PEN));
    DeleteObject(pen);
  }
}

TEST(GdiDraw, StyledPenLeavesGapsFilledOnlyWhenOpaque) {
  Buffer32 b;
  HPEN dot = CreatePen(PS_DOT, 1, RGB(255, 255, 255));
  SelectObject(b.dc, dot);
  SetBkColor(b.dc, RGB(0, 0, 255));
  SetBkMode(b.dc, TRANSPARENT);
  MoveToEx(b.dc, 0, 0, nullptr);
  LineTo(b.dc, 12, 0);
  EXPECT_EQ(b.Count(0xFFFFFF), 6);
  EXPECT_EQ(b.Count(0x0000FF), 0);
  SetBkMode(b.dc, OPAQUE);
  MoveToEx(b.dc, 0, 1, nullptr);
  LineTo(b.dc, 12, 1);
  EXPECT_EQ(b.Count(0x0000FF), 6);
  SelectObject(b.dc, GetStockObject(BLACK_PEN));
  DeleteObject(dot);
}

TEST(GdiDraw, TextIsDrawnInsideItsCellInTheTextColour) {
  std::vector<BYTE> bytes(80 * 4 * 30, 0);
  HDC dc = CreateDCOverBits(bytes.data(), 80, 30, 80 * 4, 32, 0xFF0000, 0xFF00, 0xFF, nullptr, 0);
  LOGFONTA lf;
  lf.lfHeight = -14;
  std::strcpy(lf.lfFaceName, "Comic Sans MS");
  HFONT font = CreateFontIndirectA(&lf);
  SelectObject(dc, font);
  SetTextColor(dc, RGB(255, 0, 0));
  SetBkMode(dc, TRANSPARENT);
  SIZE size;
  ASSERT_TRUE(GetTextExtentPoint32A(dc, "Hello", 5, &size));
  EXPECT_GT(size.cx, 10);
  EXPECT_GT(size.cy, 10);
  TextOutA(dc, 5, 4, "Hello", 5);
  int red = 0, outside = 0, other = 0;
  for (int y = 0; y < 30; ++y)
    for (int x = 0; x < 80; ++x) {
      DWORD v;
      std::memcpy(&v, bytes.data() + (y * 80 + x) * 4, 4);
      bool in = x >= 5 && x < 5 + size.cx && y >= 4 && y < 4 + size.cy;
      if (v == 0xFF0000) ++red;
      if (v && !in) ++outside;
      if (v && v != 0xFF0000) ++other;  // no blended pixels
    }
  EXPECT_GT(red, 20);
  EXPECT_EQ(outside, 0);
  EXPECT_EQ(other, 0);

  // Opaque text fills its whole cell with the background colour.
  SetBkMode(dc, OPAQUE);
  SetBkColor(dc, RGB(0, 0, 255));
  TextOutA(dc, 5, 4, "Hello", 5);
  EXPECT_EQ(GetPixel(dc, 5, 4 + size.cy - 1), RGB(0, 0, 255));
  EXPECT_EQ(GetPixel(dc, 5 + size.cx - 1, 4), RGB(0, 0, 255));
  EXPECT_EQ(GetPixel(dc, 5 + size.cx, 4), RGB(0, 0, 0));
  DeleteDC(dc);
  DeleteObject(font);
}

TEST(GdiDraw, SixteenBitFormatsFollowTheirMasks) {
  for (DWORD rMask : {0xF800u, 0x7C00u}) {
    SCOPED_TRACE(rMask);
    DWORD gMask = rMask == 0xF800 ? 0x7E0 : 0x3E0;
    std::vector<WORD> px(8 * 4, 0);
    HDC dc = CreateDCOverBits(px.data(), 8, 4, 16, 16, rMask, gMask, 0x1F, nullptr, 0);
    HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
    RECT r{0, 0, 2, 1};
    FillRect(dc, &r, red);
    EXPECT_EQ(px[0], rMask);
    EXPECT_EQ(px[1], rMask);
    EXPECT_EQ(px[2], 0);
    EXPECT_EQ(GetPixel(dc, 1, 0), RGB(255, 0, 0));
    SetPixel(dc, 3, 3, RGB(0, 255, 0));
    EXPECT_EQ(px[3 * 8 + 3], gMask);
    // Text on 16 bits goes through the painter and lands in the same format.
    SetTextColor(dc, RGB(0, 0, 255));
    SetBkMode(dc, OPAQUE);
    SetBkColor(dc, RGB(255, 255, 255));
    TextOutA(dc, 0, 0, "W", 1);
    EXPECT_EQ(px[0], rMask | gMask | 0x1F);
    DeleteDC(dc);
    DeleteObject(red);
  }
}

TEST(GdiDraw, IndexedFormatsMapColoursToTheNearestEntry) {
  PALETTEENTRY pal[4] = {{0, 0, 0, 0}, {250, 0, 0, 0}, {0, 0, 255, 0}, {255, 255, 255, 0}};
  std::vector<BYTE> px(20 * 20, 0);
  HDC dc = CreateDCOverBits(px.data(), 20, 20, 20, 8, 0, 0, 0, pal, 4);
  EXPECT_EQ(GetDeviceCaps(dc, BITSPIXEL), 8);
  EXPECT_TRUE(GetDeviceCaps(dc, RASTERCAPS) & RC_PALETTE);
  HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
  RECT r{0, 0, 3, 3};
  FillRect(dc, &r, red);
  EXPECT_EQ(px[0], 1);
  EXPECT_EQ(GetPixel(dc, 2, 2), RGB(250, 0, 0));
  SetTextColor(dc, RGB(0, 0, 255));
  SetBkMode(dc, TRANSPARENT);
  TextOutA(dc, 4, 4, "X", 1);
  int blue = 0;
  for (BYTE v : px) {
    EXPECT_TRUE(v == 0 || v == 1 || v == 2);
    blue += v == 2;
  }
  EXPECT_GT(blue, 3);
  DeleteDC(dc);
  DeleteObject(red);

  // 1, 2 and 4 bits per pixel pack pixels from the high bits down.
  BYTE bits[4] = {};
  PALETTEENTRY bw[2] = {{0, 0, 0, 0}, {255, 255, 255, 0}};
  HDC mono = CreateDCOverBits(bits, 16, 2, 2, 1, 0, 0, 0, bw, 2);
  SetPixel(mono, 1, 0, RGB(255, 255, 255));
  SetPixel(mono, 8, 1, RGB(250, 250, 250));
  EXPECT_EQ(bits[0], 0x40);
  EXPECT_EQ(bits[3], 0x80);
  DeleteDC(mono);
  BYTE nib[2] = {};
  PALETTEENTRY sixteen[16] = {};
  sixteen[5] = {10, 20, 30, 0};
  HDC four = CreateDCOverBits(nib, 4, 1, 2, 4, 0, 0, 0, sixteen, 16);
  SetPixel(four, 3, 0, RGB(10, 20, 30));
  EXPECT_EQ(nib[1], 0x05);
  DeleteDC(four);
}

TEST(GdiBitmap, DibSectionsAreBottomUpAndBlitWithStretchAndRops) {
  HDC screen = GetDC(nullptr);
  EXPECT_EQ(GetDeviceCaps(screen, BITSPIXEL), 32);
  EXPECT_EQ(GetDeviceCaps(screen, PLANES), 1);
  EXPECT_FALSE(GetDeviceCaps(screen, RASTERCAPS) & RC_PALETTE);
  HDC mem = CreateCompatibleDC(screen);
  BITMAPINFO bmi{};
  bmi.bmiHeader.biSize = 40;
  bmi.bmiHeader.biWidth = 2;
  bmi.bmiHeader.biHeight = 2;
  bmi.bmiHeader.biPlanes = 1;
  bmi.bmiHeader.biBitCount = 24;
  void* bits = nullptr;
  HBITMAP section = CreateDIBSection(screen, &bmi, DIB_RGB_COLORS, &bits, nullptr, 0);
  ASSERT_NE(section, nullptr);
  ASSERT_NE(bits, nullptr);
  HGDIOBJ old = SelectObject(mem, section);
  SetPixel(mem, 0, 0, RGB(255, 0, 0));  // top row: the second row in memory
  SetPixel(mem, 1, 1, RGB(0, 0, 255));
  auto* b = static_cast<BYTE*>(bits);
  EXPECT_EQ(b[8 + 2], 255);  // rows are 8 bytes; top-left is in the second row, red last
  EXPECT_EQ(b[3], 255);      // bottom-right: blue first

  DIBSECTION ds;
  ASSERT_EQ(GetObject(section, sizeof(ds), &ds), static_cast<int>(sizeof(DIBSECTION)));
  EXPECT_EQ(ds.dsBm.bmWidth, 2);
  EXPECT_EQ(ds.dsBm.bmHeight, 2);
  EXPECT_EQ(ds.dsBm.bmWidthBytes, 8);
  EXPECT_EQ(ds.dsBm.bmBitsPixel, 24);
  EXPECT_EQ(ds.dsBm.bmBits, bits);
  EXPECT_EQ(ds.dsBmih.biHeight, 2);

  Buffer32 dst;
  EXPECT_TRUE(StretchBlt(dst.dc, 0, 0, 4, 4, mem, 0, 0, 2, 2, SRCCOPY));
  EXPECT_EQ(dst.At(0, 0), 0xFF0000u);
  EXPECT_EQ(dst.At(1, 1), 0xFF0000u);
  EXPECT_EQ(dst.At(2, 0), 0u);
  EXPECT_EQ(dst.At(3, 3), 0x0000FFu);
  EXPECT_EQ(dst.At(4, 4), 0u);
  // A negative width mirrors.
  EXPECT_TRUE(StretchBlt(dst.dc, 10, 0, -2, 2, mem, 0, 0, 2, 2, SRCCOPY));
  EXPECT_EQ(dst.At(9, 0), 0xFF0000u);
  EXPECT_EQ(dst.At(8, 1), 0x0000FFu);
  // Raster operations combine source, destination and pattern.
  EXPECT_TRUE(BitBlt(dst.dc, 0, 0, 2, 2, mem, 0, 0, SRCINVERT));
  EXPECT_EQ(dst.At(0, 0), 0u);
  EXPECT_EQ(dst.At(1, 1), 0xFF0000u ^ 0x0000FFu);
  EXPECT_TRUE(BitBlt(dst.dc, 0, 0, 1, 1, nullptr, 0, 0, DSTINVERT));
  EXPECT_EQ(dst.At(0, 0), 0xFFFFFFFFu);
  EXPECT_TRUE(BitBlt(dst.dc, 0, 0, 1, 1, nullptr, 0, 0, BLACKNESS));
  EXPECT_EQ(dst.At(0, 0), 0u);
  EXPECT_FALSE(BitBlt(dst.dc, 0, 0, 1, 1, nullptr, 0, 0, SRCCOPY));  // needs a source
  // Blits reaching outside either bitmap are clipped.
  EXPECT_TRUE(StretchBlt(dst.dc, -3, -3, 40, 40, mem, -1, -1, 5, 5, SRCCOPY));
  EXPECT_TRUE(dst.PaddingClean());

  EXPECT_FALSE(DeleteObject(section));  // selected
  SelectObject(mem, old);
  EXPECT_TRUE(DeleteObject(section));
  DeleteDC(mem);
  ReleaseDC(nullptr, screen);
}

TEST(GdiBitmap, StretchDIBitsDrawsBottomUpTopDownAndRunLengthData) {
  // BI_RLE8 on 8 x 4: run of three 5s on the bottom row, delta (1, 2), end.
  struct {
    BITMAPINFOHEADER h;
    RGBQUAD colors[256];
  } info{};
  info.h.biSize = 40;
  info.h.biWidth = 8;
  info.h.biHeight = 4;
  info.h.biPlanes = 1;
  info.h.biBitCount = 8;
  info.h.biCompression = BI_RLE8;
  info.h.biSizeImage = 8;
  info.colors[5] = RGBQUAD{0, 0, 255, 0};  // red
  const BYTE rle[8] = {0x03, 0x05, 0x00, 0x02, 0x01, 0x02, 0x00, 0x01};
  Buffer32 dst;
  int lines =
      StretchDIBits(dst.dc, 0, 0, 8, 4, 0, 0, 8, 4, rle, reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS, SRCCOPY);
  EXPECT_EQ(lines, 4);
  EXPECT_EQ(dst.At(0, 3), 0xFF0000u);
  EXPECT_EQ(dst.At(2, 3), 0xFF0000u);
  EXPECT_EQ(dst.At(3, 3), 0u);
  EXPECT_EQ(dst.Count(0xFF0000), 3);

  // The same 2 x 2 picture stored bottom-up and top-down draws the same way.
  for (LONG height : {2, -2}) {
    SCOPED_TRACE(height);
    struct {
      BITMAPINFOHEADER h;
      RGBQUAD c[1];
    } bi{};
    bi.h.biSize = 40;
    bi.h.biWidth = 2;
    bi.h.biHeight = height;
    bi.h.biPlanes = 1;
    bi.h.biBitCount = 32;
    DWORD top[2] = {0x112233, 0x445566}, bottom[2] = {0x778899, 0xAABBCC};
    DWORD px[4];
    const DWORD* first = height > 0 ? bottom : top;
    const DWORD* second = height > 0 ? top : bottom;
    std::memcpy(px, first, 8);
    std::memcpy(px + 2, second, 8);
    Buffer32 d;
    EXPECT_EQ(
        StretchDIBits(d.dc, 1, 1, 2, 2, 0, 0, 2, 2, px, reinterpret_cast<BITMAPINFO*>(&bi), DIB_RGB_COLORS, SRCCOPY),
        2);
    EXPECT_EQ(d.At(1, 1), 0x112233u);
    EXPECT_EQ(d.At(2, 1), 0x445566u);
    EXPECT_EQ(d.At(1, 2), 0x778899u);
    EXPECT_EQ(d.At(2, 2), 0xAABBCCu);
  }
}

TEST(GdiBitmap, RunLengthDecoderStaysInsideImageAndData) {
  std::vector<BYTE> px(4 * 2, 0xEE);
  // A run longer than the row, a delta far outside, an absolute run cut short.
  const BYTE data[] = {0x09, 0x07, 0x00, 0x02, 0xFF, 0xFF, 0x05, 0x01, 0x00, 0x05, 0x01};
  EXPECT_FALSE(ExpandDibRle(data, sizeof(data), BI_RLE8, 4, 2, px.data(), 4));
  EXPECT_EQ(px[0], 7);
  EXPECT_EQ(px[3], 7);
  EXPECT_EQ(px[4], 0xEE);
  // BI_RLE4 alternates nibbles, high first, and keeps the other nibble.
  std::vector<BYTE> nib(4, 0);
  const BYTE r4[] = {0x03, 0x12, 0x00, 0x01};
  EXPECT_TRUE(ExpandDibRle(r4, sizeof(r4), BI_RLE4, 4, 1, nib.data(), 4));
  EXPECT_EQ(nib[0], 0x12);
  EXPECT_EQ(nib[1], 0x10);
  // Runs crossing the end of a row keep their first nibbles in order and stop
  // there; a run on a row below the image changes nothing. Width 3, height 2.
  std::vector<BYTE> cut(4 * 2, 0xEE);
  const BYTE c4[] = {0x05, 0xAB,                           // run A B A | B A
                     0x00, 0x00, 0x00, 0x02, 0x01, 0x00,   // next row, one to the right
                     0x00, 0x05, 0x12, 0x34, 0x50, 0x00,   // absolute 1 2 | 3 4 5, padded
                     0x00, 0x00, 0xFF, 0x77, 0x00, 0x01};  // a row below the image, end
  EXPECT_TRUE(ExpandDibRle(c4, sizeof(c4), BI_RLE4, 3, 2, cut.data(), 4));
  EXPECT_EQ(cut, (std::vector<BYTE>{0xAB, 0xAE, 0xEE, 0xEE, 0xE1, 0x2E, 0xEE, 0xEE}));
}

TEST(GdiPalette, PalettesAndTheSystemPalette) {
  std::vector<BYTE> block(sizeof(LOGPALETTE) + 3 * sizeof(PALETTEENTRY));
  auto* lp = reinterpret_cast<LOGPALETTE*>(block.data());
  lp->palVersion = 0x300;
  lp->palNumEntries = 3;
  PALETTEENTRY* e = lp->palPalEntry;
  e[0] = {0, 0, 0, 0};
  e[1] = {200, 0, 0, 0};
  e[2] = {0, 0, 200, 0};
  HPALETTE pal = CreatePalette(lp);
  ASSERT_NE(pal, nullptr);
  PALETTEENTRY out[4] = {};
  EXPECT_EQ(GetPaletteEntries(pal, 1, 4, out), 2u);
  EXPECT_EQ(out[0].peRed, 200);
  EXPECT_EQ(GetNearestPaletteIndex(pal, RGB(10, 0, 250)), 2u);
  PALETTEENTRY green{0, 255, 0, 0};
  EXPECT_EQ(SetPaletteEntries(pal, 2, 1, &green), 1u);
  EXPECT_EQ(GetNearestPaletteIndex(pal, RGB(0, 200, 0)), 2u);
  WORD count = 0;
  EXPECT_EQ(GetObject(pal, sizeof(count), &count), 2);
  EXPECT_EQ(count, 3);

  HDC screen = GetDC(nullptr);
  HPALETTE old = SelectPalette(screen, pal, FALSE);
  EXPECT_NE(old, nullptr);
  EXPECT_EQ(RealizePalette(screen), 3u);
  PALETTEENTRY sys[256];
  EXPECT_EQ(GetSystemPaletteEntries(screen, 0, 256, sys), 256u);
  EXPECT_EQ(sys[1].peRed, 128);
  EXPECT_EQ(sys[7].peRed, 192);
  EXPECT_EQ(sys[249].peRed, 255);
  EXPECT_EQ(sys[249].peGreen, 0);
  EXPECT_EQ(sys[255].peBlue, 255);
  EXPECT_EQ(SelectPalette(screen, old, FALSE), pal);
  ReleaseDC(nullptr, screen);
  EXPECT_TRUE(DeleteObject(pal));
}

TEST(GdiObjects, EveryObjectIsFreedAndStaleHandlesAreRefused) {
  int before = GdiLiveObjectCount();
  HPEN pen = CreatePen(PS_SOLID, 2, RGB(1, 2, 3));
  LOGPEN lp;
  EXPECT_EQ(GetObject(pen, sizeof(lp), &lp), static_cast<int>(sizeof(LOGPEN)));
  EXPECT_EQ(lp.lopnWidth.x, 2);
  EXPECT_EQ(lp.lopnColor, RGB(1, 2, 3));
  EXPECT_EQ(GetObjectType(pen), OBJ_PEN);
  EXPECT_TRUE(DeleteObject(pen));
  EXPECT_FALSE(DeleteObject(pen));
  EXPECT_EQ(GetObjectType(pen), 0);
  EXPECT_TRUE(DeleteObject(GetStockObject(BLACK_PEN)));  // stock objects stay
  EXPECT_EQ(GetObjectType(GetStockObject(BLACK_PEN)), OBJ_PEN);
  HDC mem = CreateCompatibleDC(nullptr);
  EXPECT_EQ(GetObjectType(mem), OBJ_MEMDC);
  HBITMAP ddb = CreateCompatibleBitmap(mem, 4, 4);  // monochrome like the DC's own bitmap
  BITMAP bm;
  EXPECT_EQ(GetObject(ddb, sizeof(bm), &bm), static_cast<int>(sizeof(BITMAP)));
  EXPECT_EQ(bm.bmBitsPixel, 1);
  EXPECT_TRUE(DeleteObject(ddb));
  EXPECT_TRUE(DeleteDC(mem));
  EXPECT_FALSE(DeleteDC(mem));
  EXPECT_EQ(GdiLiveObjectCount(), before);
}

TEST(Kernel, MulDivRoundsWithAWideIntermediate) {
  struct {
    int a, b, c, r;
  } cases[] = {
      {1, 1000, 16384, 0}, {65535 - 32767 - 16383, 1000, 16384, 1000}, {7, 1, 2, 4},  {-7, 1, 2, -4},
      {7, -1, 2, -4},      {100000, 100000, 100000, 100000},           {5, 5, 0, -1}, {0x7FFFFFFF, 2, 1, -1},
      {-8, 3, -4, 6},
  };
  for (const auto& c : cases) EXPECT_EQ(MulDiv(c.a, c.b, c.c), c.r) << c.a << "*" << c.b << "/" << c.c;
}

TEST(Kernel, GlobalBlocksAreZeroFilled) {
  HGLOBAL h = GlobalAlloc(GHND, 16);
  ASSERT_NE(h, nullptr);
  EXPECT_EQ(GlobalSize(h), 16u);
  auto* p = static_cast<BYTE*>(GlobalLock(h));
  ASSERT_NE(p, nullptr);
  for (int i = 0; i < 16; ++i) EXPECT_EQ(p[i], 0);
  GlobalUnlock(h);
  EXPECT_EQ(GlobalFree(h), nullptr);
  EXPECT_EQ(GlobalSize(h), 0u);
}

TEST(GdiObjects, ManyObjectsMadeAndFreedInAnyOrderStayKnownUntilFreed) {
  // Enough objects for the registry to grow several times, freed in a
  // scattered order: every handle is known exactly while its object lives.
  const int before = GdiLiveObjectCount();
  std::vector<HGDIOBJ> objects;
  for (int i = 0; i < 5000; ++i)
    objects.push_back(i % 2 ? static_cast<HGDIOBJ>(CreatePen(PS_SOLID, 1, RGB(i & 255, 0, 0)))
                            : static_cast<HGDIOBJ>(CreateSolidBrush(RGB(0, i & 255, 0))));
  std::vector<bool> alive(objects.size(), true);
  unsigned seed = 3;
  for (int round = 0; round < 3; ++round) {
    for (size_t n = 0; n < objects.size() / 4; ++n) {
      seed = seed * 1103515245u + 12345u;
      const size_t i = (seed >> 8) % objects.size();
      if (!alive[i]) continue;
      ASSERT_TRUE(DeleteObject(objects[i]));
      alive[i] = false;
    }
    int living = 0;
    for (size_t i = 0; i < objects.size(); ++i) {
      if (!alive[i]) continue;
      ++living;
      ASSERT_EQ(GetObjectType(objects[i]), i % 2 ? OBJ_PEN : OBJ_BRUSH) << i;
    }
    EXPECT_EQ(GdiLiveObjectCount(), before + living);
  }
  for (size_t i = 0; i < objects.size(); ++i) {
    if (alive[i]) { ASSERT_TRUE(DeleteObject(objects[i])); }
  }
  EXPECT_EQ(GdiLiveObjectCount(), before);
  // A handle of the wrong kind is refused as well.
  HPEN pen = CreatePen(PS_SOLID, 1, 0);
  HDC screen = GetDC(nullptr);
  EXPECT_EQ(SelectPalette(screen, reinterpret_cast<HPALETTE>(pen), FALSE), nullptr);
  EXPECT_EQ(GetPaletteEntries(reinterpret_cast<HPALETTE>(pen), 0, 0, nullptr), 0u);
  ReleaseDC(nullptr, screen);
  DeleteObject(pen);
}

TEST(GdiDraw, FontNamesResolveThroughFontconfig) {
  // "Comic Sans MS" is not installed; fontconfig's substitute draws instead,
  // so the text differs from the default face's.
  std::vector<DWORD> a(60 * 20, 0), b(60 * 20, 0);
  auto draw = [](std::vector<DWORD>& px, const char* face) {
    HDC dc = CreateDCOverBits(px.data(), 60, 20, 240, 32, 0xFF0000, 0xFF00, 0xFF, nullptr, 0);
    LOGFONTA lf;
    lf.lfHeight = -14;
    std::strcpy(lf.lfFaceName, face);
    HFONT font = CreateFontIndirectA(&lf);
    SelectObject(dc, font);
    SetTextColor(dc, RGB(255, 255, 255));
    SetBkMode(dc, TRANSPARENT);
    TextOutA(dc, 0, 0, "Agent", 5);
    DeleteDC(dc);
    DeleteObject(font);
  };
  draw(a, "Comic Sans MS");
  draw(b, "DejaVu Serif");
  EXPECT_NE(a, b);
  EXPECT_GT(std::count(a.begin(), a.end(), 0xFFFFFFu), 20);
  EnsureGuiApplication();
  EXPECT_EQ(QFontInfo(QFont("Comic Sans MS")).family().toStdString(), "Comic Neue");
}

TEST(GdiBitmap, PaletteRelativeColourTablesUseTheSelectedPalette) {
  std::vector<BYTE> block(sizeof(LOGPALETTE) + 2 * sizeof(PALETTEENTRY));
  auto* lp = reinterpret_cast<LOGPALETTE*>(block.data());
  lp->palNumEntries = 2;
  PALETTEENTRY* e = lp->palPalEntry;
  e[0] = {0, 0, 0, 0};
  e[1] = {0, 255, 0, 0};
  HPALETTE pal = CreatePalette(lp);
  Buffer32 dst;
  SelectPalette(dst.dc, pal, FALSE);
  struct {
    BITMAPINFOHEADER h;
    WORD index[2];
  } bi{};
  bi.h.biSize = 40;
  bi.h.biWidth = 1;
  bi.h.biHeight = 1;
  bi.h.biPlanes = 1;
  bi.h.biBitCount = 1;
  bi.h.biClrUsed = 2;
  bi.index[0] = 0;
  bi.index[1] = 1;
  const BYTE pixel[4] = {0x80, 0, 0, 0};
  EXPECT_EQ(
      StretchDIBits(dst.dc, 0, 0, 1, 1, 0, 0, 1, 1, pixel, reinterpret_cast<BITMAPINFO*>(&bi), DIB_PAL_COLORS, SRCCOPY),
      1);
  EXPECT_EQ(dst.At(0, 0), 0x00FF00u);
  // PALETTEINDEX colours on a true-colour DC come from the selected palette.
  SetPixel(dst.dc, 1, 0, PALETTEINDEX(1));
  EXPECT_EQ(dst.At(1, 0), 0x00FF00u);
  SelectPalette(dst.dc, static_cast<HPALETTE>(GetStockObject(DEFAULT_PALETTE)), FALSE);
  DeleteObject(pal);
}

TEST(GdiDraw, LinesAndBlitsFarOutsideTheBitmapAreCutToIt) {
  Buffer32 b;
  HPEN pen = CreatePen(PS_SOLID, 1, RGB(255, 255, 255));
  SelectObject(b.dc, pen);
  MoveToEx(b.dc, -2000000000, 5, nullptr);
  LineTo(b.dc, 2000000000, 5);  // every pixel of row 5, at once
  EXPECT_EQ(b.Count(0xFFFFFF), Buffer32::W);
  MoveToEx(b.dc, -1000000000, -1000000000, nullptr);
  LineTo(b.dc, 1000000000, 1000000000);  // the diagonal
  EXPECT_EQ(b.At(0, 0), 0xFFFFFFu);
  EXPECT_EQ(b.At(11, 11), 0xFFFFFFu);
  MoveToEx(b.dc, -1000000000, 3, nullptr);
  LineTo(b.dc, -999999000, 3000);  // entirely outside
  EXPECT_TRUE(b.PaddingClean());
  SelectObject(b.dc, GetStockObject(BLACK_PEN));
  DeleteObject(pen);
  HDC other = GetDC(nullptr);
  EXPECT_TRUE(StretchBlt(b.dc, -2147483647, -2147483647, 2147483647, 2147483647, b.dc, 0, 0, 2, 2, SRCCOPY));
  EXPECT_TRUE(TextOutA(b.dc, 2147483600, 2147483600, "far", 3));
  ReleaseDC(nullptr, other);
  EXPECT_TRUE(b.PaddingClean());
}

TEST(GdiBitmap, TransparentBltLeavesOutTheKeyAsTheSourceFormatShowsIt) {
  std::vector<WORD> src = {0xF81F, 0x07E0, 0xF81F, 0xF800};  // 5-6-5: magenta, lime / magenta, red
  HDC s = CreateDCOverBits(src.data(), 2, 2, 4, 16, 0xF800, 0x7E0, 0x1F, nullptr, 0);
  Buffer32 d;
  // RGB(250, 0, 250) is stored as magenta in 5-6-5, so it keys magenta.
  EXPECT_TRUE(TransparentBlt(d.dc, 0, 0, 4, 4, s, 0, 0, 2, 2, RGB(250, 0, 250)));
  EXPECT_EQ(d.At(0, 0), 0u);
  EXPECT_EQ(d.At(2, 0), 0x00FF00u);
  EXPECT_EQ(d.At(3, 3), 0xFF0000u);
  EXPECT_EQ(d.Count(0x00FF00), 4);
  EXPECT_EQ(d.Count(0xFF0000), 4);
  DeleteDC(s);
}
