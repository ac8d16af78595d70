// Blits in every surface pixel format: colour fill, source-keyed copy,
// stretch, mirror, clipping through a clipper and overlap on one surface.
#include <random>

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

// Random copies, valid and not, against a pixel-by-pixel model of the raw
// memory: a refused copy leaves every byte as it was, an accepted one
// changes exactly the model's pixels and never a padding bit.
TEST_P(BlitPerFormat, RandomCopiesMatchTheModelAndStayInBounds) {
  const TDDrawPixelFormat& f = GetParam().Format;
  std::mt19937 random(12345);
  auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(random); };
  int accepted = 0;
  for (int round = 0; round < 200; ++round) {
    SCOPED_TRACE(round);
    const LONG sw = pick(1, 9), sh = pick(1, 6), dw = pick(1, 9), dh = pick(1, 6);
    IDirectDrawSurface7* src = Make(sw, sh, f);
    const bool same = pick(0, 3) == 0;
    IDirectDrawSurface7* dst = same ? src : Make(dw, dh, f);
    const LONG tw = same ? sw : dw, th = same ? sh : dh;
    // Random content, padding included.
    std::vector<BYTE> srcBytes, dstBytes;
    auto snapshot = [](IDirectDrawSurface7* s, std::vector<BYTE>& out, bool randomise, std::mt19937& r) {
      DDSURFACEDESC2 d;
      ASSERT_EQ(s->Lock(nullptr, &d, DDLOCK_WAIT, nullptr), DD_OK);
      auto* bits = static_cast<BYTE*>(d.lpSurface);
      size_t n = static_cast<size_t>(d.lPitch) * d.dwHeight;
      if (randomise)
        for (size_t i = 0; i < n; ++i) bits[i] = static_cast<BYTE>(r() & 0xFF);
      out.assign(bits, bits + n);
      s->Unlock(static_cast<RECT*>(nullptr));
    };
    snapshot(src, srcBytes, true, random);
    if (!same) snapshot(dst, dstBytes, true, random);
    if (same) dstBytes = srcBytes;
    DWORD key = f.ValueMask() & static_cast<DWORD>(random());
    DDCOLORKEY ck{key, key};
    src->SetColorKey(DDCKEY_SRCBLT, &ck);

    // Mostly rectangles that fit, sometimes ones that reach out or are empty.
    auto rect = [&](LONG w, LONG h) {
      RECT a;
      if (pick(0, 4) > 0) {
        a.left = pick(0, w - 1);
        a.top = pick(0, h - 1);
        a.right = a.left + pick(1, w - a.left);
        a.bottom = a.top + pick(1, h - a.top);
      } else {
        a.left = pick(-2, w + 1);
        a.top = pick(-2, h + 1);
        a.right = a.left + pick(-1, w + 1);
        a.bottom = a.top + pick(-1, h + 1);
      }
      return a;
    };
    RECT d = rect(tw, th);
    RECT r = rect(sw, sh);
    const bool fast = pick(0, 2) == 0;
    const bool keyed = pick(0, 1) == 1;
    const bool mirrorX = !fast && pick(0, 1), mirrorY = !fast && pick(0, 1);
    if (fast) {
      d.right = d.left + (r.right - r.left);
      d.bottom = d.top + (r.bottom - r.top);
    }
    auto inside = [](const RECT& a, LONG w, LONG h) {
      return a.left < a.right && a.top < a.bottom && a.left >= 0 && a.top >= 0 && a.right <= w && a.bottom <= h;
    };
    const bool valid = inside(d, tw, th) && inside(r, sw, sh);

    HRESULT hr;
    if (fast) {
      hr = dst->BltFast(static_cast<DWORD>(d.left), static_cast<DWORD>(d.top), src, &r,
                        DDBLTFAST_WAIT | (keyed ? DDBLTFAST_SRCCOLORKEY : 0));
    } else {
      DDBLTFX fx;
      fx.dwDDFX = (mirrorX ? DDBLTFX_MIRRORLEFTRIGHT : 0) | (mirrorY ? DDBLTFX_MIRRORUPDOWN : 0);
      hr = dst->Blt(&d, src, &r, DDBLT_WAIT | DDBLT_DDFX | (keyed ? DDBLT_KEYSRC : 0), &fx);
    }
    std::vector<BYTE> expected = dstBytes;
    if (valid) {
      ASSERT_EQ(hr, DD_OK);
      ++accepted;
      TDDrawPixels from{srcBytes.data(), f.PitchFor(sw), sw, sh, f};
      TDDrawPixels to{expected.data(), f.PitchFor(tw), tw, th, f};
      const LONG w = d.right - d.left, h = d.bottom - d.top, rw = r.right - r.left, rh = r.bottom - r.top;
      for (LONG y = 0; y < h; ++y)
        for (LONG x = 0; x < w; ++x) {
          LONG i = mirrorX ? w - 1 - x : x, j = mirrorY ? h - 1 - y : y;
          DWORD v = GetPixelValue(from, r.left + i * rw / w, r.top + j * rh / h);
          if (keyed && (v & f.KeyMask()) == (key & f.KeyMask())) continue;
          PutPixelValue(to, d.left + x, d.top + y, v);
        }
    } else {
      ASSERT_EQ(hr, DDERR_INVALIDRECT);
    }
    std::vector<BYTE> after;
    snapshot(dst, after, false, random);
    ASSERT_EQ(after, expected);
    if (!same) dst->Release();
    src->Release();
  }
  EXPECT_GT(accepted, 60);
}

// Keyed sprites wider than the packed row loops' groups, placed inside, past
// each edge and corner of a clip, and wholly outside it, with a single key,
// a key range and an empty range, against a pixel-by-pixel model. Bytes
// outside the clipped rectangle, padding included, must stay as they were.
TEST_P(BlitPerFormat, KeyedSpritesMatchThePlainModelAtEveryEdge) {
  const TDDrawPixelFormat& f = GetParam().Format;
  constexpr LONG SW = 37, SH = 9, DW = 70, DH = 30;
  // The clip window covers surface (5, 4) to (65, 26).
  const RECT clipRect{5, 4, 65, 26};
  HWND window =
      Backend.AddWindow(clipRect.left, clipRect.top, clipRect.right - clipRect.left, clipRect.bottom - clipRect.top);
  std::mt19937 random(777);
  const DWORD mask = f.ValueMask();
  IDirectDrawSurface7* src = Make(SW, SH, f);
  IDirectDrawSurface7* dst = Make(DW, DH, f);
  IDirectDrawClipper* clipper = nullptr;
  ASSERT_EQ(DD->CreateClipper(0, &clipper, nullptr), DD_OK);
  ASSERT_EQ(clipper->SetHWnd(0, window), DD_OK);

  auto bytesOf = [](IDirectDrawSurface7* s, std::vector<BYTE>* set) {
    DDSURFACEDESC2 d;
    EXPECT_EQ(s->Lock(nullptr, &d, DDLOCK_WAIT, nullptr), DD_OK);
    auto* bits = static_cast<BYTE*>(d.lpSurface);
    const size_t n = static_cast<size_t>(d.lPitch) * d.dwHeight;
    if (set) std::memcpy(bits, set->data(), n);
    std::vector<BYTE> out(bits, bits + n);
    s->Unlock(static_cast<RECT*>(nullptr));
    return out;
  };
  // Source pixels: runs of key values (so that whole groups are skipped),
  // runs without any, and mixed stretches.
  const DWORD key = GetParam().K & mask;
  std::vector<BYTE> srcBytes = bytesOf(src, nullptr);
  for (BYTE& b : srcBytes) b = static_cast<BYTE>(random());
  TDDrawPixels sp{srcBytes.data(), f.PitchFor(SW), SW, SH, f};
  for (LONG y = 0; y < SH; ++y)
    for (LONG x = 0; x < SW; ++x) {
      const int kind = (x / 8 + y) % 3;
      if (kind == 0 || (kind == 2 && random() % 2)) PutPixelValue(sp, x, y, key + (random() % 3 == 0 ? 1 : 0));
    }
  bytesOf(src, &srcBytes);

  struct TKey {
    DWORD Low, High;
  };
  // A single key, a range of three values, and a range whose ends are swapped.
  const TKey keys[] = {{key, key}, {key, key + 2}, {key + 1, key}};
  const POINT places[] = {{20, 10}, {-10, 10}, {50, 10}, {20, -3},  {20, 22}, {-20, -5}, {55, 24},
                          {1, 1},   {-40, 10}, {66, 10}, {20, -12}, {20, 27}, {5, 4},    {28, 17}};
  std::vector<BYTE> dstBytes = bytesOf(dst, nullptr);
  for (const TKey& k : keys)
    for (const POINT& at : places)
      for (int through = 0; through < 2; ++through) {
        SCOPED_TRACE(::testing::Message() << "key " << k.Low << ".." << k.High << " at " << at.x << "," << at.y
                                          << (through ? " through the clipper" : " fast"));
        for (BYTE& b : dstBytes) b = static_cast<BYTE>(random());
        bytesOf(dst, &dstBytes);
        DDCOLORKEY ck{k.Low, k.High};
        ASSERT_EQ(src->SetColorKey(DDCKEY_SRCBLT | DDCKEY_COLORSPACE, &ck), DD_OK);
        const RECT destRect{at.x, at.y, at.x + SW, at.y + SH};
        RECT shown;
        HRESULT hr;
        if (through) {
          ASSERT_EQ(dst->SetClipper(clipper), DD_OK);
          hr = dst->Blt(const_cast<RECT*>(&destRect), src, nullptr, DDBLT_WAIT | DDBLT_KEYSRC, nullptr);
          ASSERT_EQ(dst->SetClipper(nullptr), DD_OK);
          ASSERT_EQ(hr, DD_OK);
          shown = IntersectRects(destRect, clipRect);
        } else {
          // The fast copy refuses what reaches out of the surface.
          hr = dst->BltFast(static_cast<DWORD>(at.x), static_cast<DWORD>(at.y), src, nullptr,
                            DDBLTFAST_WAIT | DDBLTFAST_SRCCOLORKEY);
          const bool fits = at.x >= 0 && at.y >= 0 && at.x + SW <= DW && at.y + SH <= DH;
          ASSERT_EQ(hr, fits ? DD_OK : DDERR_INVALIDRECT);
          shown = fits ? destRect : RECT{};
        }
        std::vector<BYTE> expected = dstBytes;
        TDDrawPixels dp{expected.data(), f.PitchFor(DW), DW, DH, f};
        const DWORD km = f.KeyMask();
        for (LONG y = shown.top; y < shown.bottom; ++y)
          for (LONG x = shown.left; x < shown.right; ++x) {
            const DWORD v = GetPixelValue(sp, x - at.x, y - at.y);
            if ((v & km) >= (k.Low & km) && (v & km) <= (k.High & km)) continue;
            PutPixelValue(dp, x, y, v);
          }
        ASSERT_EQ(bytesOf(dst, nullptr), expected);
      }

  // Overlapping keyed copy inside one surface reads the source first.
  std::vector<BYTE> before = bytesOf(src, nullptr);
  DDCOLORKEY single{key, key};
  ASSERT_EQ(src->SetColorKey(DDCKEY_SRCBLT, &single), DD_OK);
  RECT part{0, 0, SW - 3, SH - 2};
  ASSERT_EQ(src->BltFast(3, 2, src, &part, DDBLTFAST_WAIT | DDBLTFAST_SRCCOLORKEY), DD_OK);
  std::vector<BYTE> expected = before;
  TDDrawPixels from{before.data(), f.PitchFor(SW), SW, SH, f};
  TDDrawPixels to{expected.data(), f.PitchFor(SW), SW, SH, f};
  for (LONG y = 0; y < SH - 2; ++y)
    for (LONG x = 0; x < SW - 3; ++x) {
      const DWORD v = GetPixelValue(from, x, y);
      if ((v & f.KeyMask()) != (key & f.KeyMask())) PutPixelValue(to, x + 3, y + 2, v);
    }
  EXPECT_EQ(bytesOf(src, nullptr), expected);
  clipper->Release();
  src->Release();
  dst->Release();
}

INSTANTIATE_TEST_SUITE_P(Formats, BlitPerFormat, ::testing::ValuesIn(Cases),
                         [](const ::testing::TestParamInfo<TFormatCase>& i) { return std::string(i.param.Name); });

}  // namespace
