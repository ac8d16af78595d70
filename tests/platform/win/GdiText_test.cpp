// Text drawn from the cache of text images against the same text painted by
// Qt on a copy of its cell: byte-for-byte equal on every pixel format, over
// backgrounds that already hold the text colour, at the surface's edges, with
// clipping and opaque backgrounds, and after the cache dropped a text or the
// font or colour changed.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "platform/win/Gdi.h"

namespace {

struct TFormatCase {
  const char* Name;
  int Bits;
  DWORD R, G, B;
  int PaletteCount;
};

const TFormatCase Formats[] = {
    {"1-bit", 1, 0, 0, 0, 2},
    {"4-bit", 4, 0, 0, 0, 16},
    {"8-bit", 8, 0, 0, 0, 256},
    {"16-bit 565", 16, 0xF800, 0x07E0, 0x001F, 0},
    {"16-bit 555", 16, 0x7C00, 0x03E0, 0x001F, 0},
    {"24-bit", 24, 0, 0, 0, 0},
    {"32-bit", 32, 0xFF0000, 0x00FF00, 0x0000FF, 0},
};

// A palette with the colours the cases draw in, and grey steps between.
std::vector<PALETTEENTRY> Palette(int count) {
  std::vector<PALETTEENTRY> p(static_cast<size_t>(count));
  const PALETTEENTRY fixed[] = {{0, 0, 0, 0}, {255, 255, 0, 0}, {0, 255, 255, 0}, {200, 40, 40, 0}, {255, 255, 255, 0}};
  for (int i = 0; i < count; ++i)
    p[static_cast<size_t>(i)] = i < 5 ? fixed[i] : PALETTEENTRY{BYTE(i * 3), BYTE(i * 5), BYTE(i * 7), 0};
  if (count == 2) p[1] = {255, 255, 0, 0};
  return p;
}

// Pixels of one format with a row padding, and a DC over them.
struct TBits {
  static constexpr LONG W = 96, H = 40;
  TBits(const TFormatCase& f, const std::vector<BYTE>& fill) : Bytes(fill) {
    std::vector<PALETTEENTRY> pal = Palette(f.PaletteCount);
    Dc = CreateDCOverBits(Bytes.data(), W, H, Pitch(f.Bits), f.Bits, f.R, f.G, f.B, pal.data(), f.PaletteCount);
  }
  ~TBits() { DeleteDC(Dc); }
  static LONG Pitch(int bits) { return ((W * bits + 31) / 32) * 4 + 4; }
  std::vector<BYTE> Bytes;
  HDC Dc;
};

// A background of noise, with every fifth byte group set to the pixel the
// text colour gives (so some covered pixels already show it) and, in 32 bits,
// unused top bytes that a rewritten pixel would lose.
std::vector<BYTE> Background(const TFormatCase& f, COLORREF textColor, unsigned seed) {
  std::vector<BYTE> bytes(static_cast<size_t>(TBits::Pitch(f.Bits) * TBits::H));
  TBits probe(f, bytes);
  SetPixel(probe.Dc, 0, 0, textColor);
  std::vector<BYTE> same(probe.Bytes.begin(), probe.Bytes.begin() + std::max(1, f.Bits / 8));
  // Bits no colour uses: a pixel written again would come back without them.
  if (f.Bits == 32) same[3] = 0xA5;
  if (f.Bits == 16 && f.R == 0x7C00) same[1] |= 0x80;
  for (size_t i = 0; i < bytes.size(); ++i) {
    seed = seed * 1103515245u + 12345u;
    bytes[i] = static_cast<BYTE>(seed >> 16);
  }
  const size_t step = same.size();
  for (size_t i = 0; i + step <= bytes.size(); i += 5 * step) std::memcpy(&bytes[i], same.data(), step);
  return bytes;
}

struct TTextCase {
  const char* Text;
  int X, Y;
  COLORREF Color;
  bool Opaque;
  bool Clipped;  // ExtTextOutA with a clip rectangle inside the cell
};

const TTextCase Texts[] = {
    {"Wojownik", 3, 5, RGB(255, 255, 0), false, false},
    {"\xA3ucznik 45%", 10, 12, RGB(0, 255, 255), false, false},  // "Łucznik", windows-1250
    {"Koszary", -9, -6, RGB(255, 255, 0), false, false},         // off the top left
    {"Wieza 100%", 70, 30, RGB(128, 128, 128), false, false},    // off the bottom right; grey fits no 16-bit pixel
    {"Mag", 20, 8, RGB(255, 255, 0), true, false},
    {"Robotnik", 4, 20, RGB(200, 40, 40), false, true},
    {"12345", 50, 2, PALETTEINDEX(2), false, false},
};

HFONT MakeFont(LONG height, bool bold, const char* face = "Comic Sans MS") {
  LOGFONTA lf;
  lf.lfHeight = height;
  lf.lfWeight = bold ? FW_BOLD : FW_NORMAL;
  std::strcpy(lf.lfFaceName, face);
  return CreateFontIndirectA(&lf);
}

void Draw(HDC dc, HFONT font, const TTextCase& t) {
  SelectObject(dc, font);
  SetTextColor(dc, t.Color);
  SetBkColor(dc, RGB(0, 0, 0));
  SetBkMode(dc, t.Opaque ? OPAQUE : TRANSPARENT);
  const UINT count = static_cast<UINT>(std::strlen(t.Text));
  if (t.Clipped) {
    RECT clip{t.X + 3, t.Y + 4, t.X + 30, t.Y + 12};
    ExtTextOutA(dc, t.X, t.Y, ETO_CLIPPED, &clip, t.Text, count, nullptr);
  } else {
    TextOutA(dc, t.X, t.Y, t.Text, static_cast<int>(count));
  }
  SelectObject(dc, GetStockObject(SYSTEM_FONT));
}

// The bytes the painter leaves after drawing T on Background.
std::vector<BYTE> Painted(const TFormatCase& f, const std::vector<BYTE>& background, HFONT font, const TTextCase& t) {
  SetGdiTextThroughPainter(true);
  TBits b(f, background);
  Draw(b.Dc, font, t);
  SetGdiTextThroughPainter(false);
  return b.Bytes;
}

std::vector<BYTE> Cached(const TFormatCase& f, const std::vector<BYTE>& background, HFONT font, const TTextCase& t) {
  TBits b(f, background);
  Draw(b.Dc, font, t);
  return b.Bytes;
}

// Equal bytes, or the offset of the first that differs.
::testing::AssertionResult SameBytes(const std::vector<BYTE>& a, const std::vector<BYTE>& b) {
  if (a.size() != b.size()) return ::testing::AssertionFailure() << "sizes " << a.size() << " and " << b.size();
  for (size_t i = 0; i < a.size(); ++i)
    if (a[i] != b[i])
      return ::testing::AssertionFailure() << "byte " << i << ": " << int(a[i]) << " against " << int(b[i]);
  return ::testing::AssertionSuccess();
}

class GdiText : public ::testing::Test {
 protected:
  void SetUp() override { GdiClearTextCache(); }
  void TearDown() override { SetGdiTextThroughPainter(false); }
};

TEST_F(GdiText, CachedTextEqualsPaintedTextOnEveryFormat) {
  HFONT font = MakeFont(-14, true);
  for (const TFormatCase& f : Formats) {
    for (const TTextCase& t : Texts) {
      SCOPED_TRACE(std::string(f.Name) + " \"" + t.Text + "\"");
      const std::vector<BYTE> background = Background(f, t.Color, 17u + static_cast<unsigned>(t.X));
      const std::vector<BYTE> expected = Painted(f, background, font, t);
      ASSERT_FALSE(SameBytes(expected, background)) << "the painter drew nothing";
      // The first draw renders the text image, the second finds it.
      EXPECT_TRUE(SameBytes(Cached(f, background, font, t), expected));
      EXPECT_TRUE(SameBytes(Cached(f, background, font, t), expected));
    }
  }
  DeleteObject(font);
}

TEST_F(GdiText, MeasuresAsThePainterDoes) {
  HFONT font = MakeFont(-14, true);
  std::vector<BYTE> bits(64 * 4 * 16);
  HDC dc = CreateDCOverBits(bits.data(), 64, 16, 64 * 4, 32, 0xFF0000, 0xFF00, 0xFF, nullptr, 0);
  SelectObject(dc, font);
  SIZE before, drawnFirst;
  ASSERT_TRUE(GetTextExtentPoint32A(dc, "Koszary 7%", 10, &before));
  TextOutA(dc, 0, 0, "Koszary 7%", 10);
  ASSERT_TRUE(GetTextExtentPoint32A(dc, "Koszary 7%", 10, &drawnFirst));
  EXPECT_EQ(before.cx, drawnFirst.cx);
  EXPECT_EQ(before.cy, drawnFirst.cy);
  EXPECT_GT(before.cx, 30);
  SIZE none;
  ASSERT_TRUE(GetTextExtentPoint32A(dc, "", 0, &none));
  EXPECT_EQ(none.cx, 0);
  EXPECT_EQ(none.cy, before.cy);
  SelectObject(dc, GetStockObject(SYSTEM_FONT));
  DeleteDC(dc);
  DeleteObject(font);
}

TEST_F(GdiText, StaysBoundedAndRedrawsTextsItDropped) {
  const TFormatCase& f = Formats[6];
  HFONT font = MakeFont(-12, true);
  const size_t capacity = GdiTextCacheCapacity();
  std::vector<BYTE> background(static_cast<size_t>(TBits::Pitch(32) * TBits::H), 0);
  TBits b(f, background);
  SelectObject(b.Dc, font);
  SetBkMode(b.Dc, TRANSPARENT);
  for (size_t i = 0; i < capacity + 300; ++i) {
    const std::string text = std::string("n").append(std::to_string(i));
    TextOutA(b.Dc, 0, 0, text.c_str(), static_cast<int>(text.size()));
    ASSERT_LE(GdiTextCacheSize(), capacity);
  }
  EXPECT_EQ(GdiTextCacheSize(), capacity);
  SelectObject(b.Dc, GetStockObject(SYSTEM_FONT));
  // "n0" went first; drawn again it is made again, the same as painted.
  const TTextCase again{"n0", 5, 5, RGB(255, 255, 0), false, false};
  EXPECT_TRUE(SameBytes(Cached(f, background, font, again), Painted(f, background, font, again)));
  DeleteObject(font);
}

TEST_F(GdiText, AnotherFontOrColourDrawsTheNewText) {
  const TFormatCase& f = Formats[3];  // 16-bit: colours go through the format's conversion
  const TTextCase yellow{"Wojownik", 4, 4, RGB(255, 255, 0), false, false};
  TTextCase aqua = yellow;
  aqua.Color = RGB(0, 255, 255);
  const std::vector<BYTE> background(static_cast<size_t>(TBits::Pitch(16) * TBits::H), 0);
  HFONT small = MakeFont(-12, false);
  HFONT large = MakeFont(-18, true);
  const std::vector<BYTE> first = Cached(f, background, small, yellow);
  EXPECT_TRUE(SameBytes(first, Painted(f, background, small, yellow)));
  EXPECT_TRUE(SameBytes(Cached(f, background, small, aqua), Painted(f, background, small, aqua)));
  const std::vector<BYTE> bigger = Cached(f, background, large, yellow);
  EXPECT_TRUE(SameBytes(bigger, Painted(f, background, large, yellow)));
  EXPECT_FALSE(SameBytes(bigger, first));
  // A font freed and another made (perhaps at the same address) with other
  // attributes is not taken for the first.
  DeleteObject(small);
  HFONT italic = MakeFont(-12, false);
  LOGFONTA lf;
  GetObjectA(italic, sizeof lf, &lf);
  DeleteObject(italic);
  lf.lfItalic = 1;
  italic = CreateFontIndirectA(&lf);
  EXPECT_TRUE(SameBytes(Cached(f, background, italic, yellow), Painted(f, background, italic, yellow)));
  DeleteObject(italic);
  DeleteObject(large);
}

}  // namespace
