// The generated code against the step interpreter: both must leave the same
// bytes for every pixel format, operation, key, stretch and clip.

#include <gtest/gtest.h>

#include <memory>

#include "render/RenderMachine.h"
#include "render/StretchBlend.h"
#include "tests/render/RenderTestSurfaces.h"

namespace {

struct TMMXScope {
  bool Saved = CpuHasMMX;
  explicit TMMXScope(bool On) { CpuHasMMX = On && ProbeCpuMMX(); }
  ~TMMXScope() { CpuHasMMX = Saved; }
};

RECT RandomRect(std::mt19937& rng, int maxW, int maxH, bool allowOutside) {
  std::uniform_int_distribution<int> d(0, 1000);
  RECT r;
  if (allowOutside) {
    r.left = d(rng) % (maxW + 20) - 10;
    r.top = d(rng) % (maxH + 20) - 10;
    r.right = r.left + 1 + d(rng) % (maxW + 10);
    r.bottom = r.top + 1 + d(rng) % (maxH + 10);
  } else {
    r.left = d(rng) % maxW;
    r.top = d(rng) % maxH;
    r.right = r.left + 1 + d(rng) % (maxW - r.left);
    r.bottom = r.top + 1 + d(rng) % (maxH - r.top);
  }
  return r;
}

}  // namespace

class StretchBlendCompare : public testing::TestWithParam<bool> {};

TEST_P(StretchBlendCompare, GeneratedCodeMatchesInterpreterForEveryFormatPair) {
  TMMXScope mmx(GetParam());
  std::mt19937 rng(GetParam() ? 1234 : 4321);
  int nativeDraws = 0, draws = 0, changed = 0;
  for (const TTestFormat& sf : TestFormats()) {
    for (const TTestFormat& df : TestFormats()) {
      for (int round = 0; round < 6; ++round) {
        SCOPED_TRACE(std::string(sf.Name) + " -> " + df.Name + " round " + std::to_string(round));
        const int sw = 1 + static_cast<int>(rng() % 40), sh = 1 + static_cast<int>(rng() % 20);
        const int dw = 1 + static_cast<int>(rng() % 50), dh = 1 + static_cast<int>(rng() % 20);
        TTestSurface src(sf, sw, sh, static_cast<int>(rng() % 3), rng);
        TTestSurface dst(df, dw, dh, static_cast<int>(rng() % 3), rng);
        const RECT srcRect = RandomRect(rng, sw, sh, false);
        const RECT dstRect = RandomRect(rng, dw, dh, round % 2 == 1);
        const TRenderBlendOp op = round == 0 ? 1 : round == 1 ? 10 : static_cast<TRenderBlendOp>(rng() % 15);
        const LONG alpha = static_cast<LONG>(rng() % 300) - 20;
        const bool key = rng() % 2;
        DWORD colorKey = src.Get(static_cast<int>(rng() % sw), static_cast<int>(rng() % sh));
        if (rng() % 4 == 0) colorKey &= 0x00FFFFFF;
        const std::vector<BYTE> before = dst.Memory;

        RenderForceInterpreter = false;
        RenderMachine().Reset();
        DrawStretchBlend(dst.S, src.S, dstRect, srcRect, op, alpha, key, colorKey);
        const bool ran = RenderMachine().HasRoutine();
        if (ran && RenderMachine().IsNative()) ++nativeDraws;
        draws += ran;
        const std::vector<BYTE> native = dst.Memory;
        changed += native != before;

        dst.Memory = before;
        RenderForceInterpreter = true;
        DrawStretchBlend(dst.S, src.S, dstRect, srcRect, op, alpha, key, colorKey);
        RenderForceInterpreter = false;
        ASSERT_EQ(native, dst.Memory) << "op " << int(op) << " alpha " << alpha << " key " << key;
      }
    }
  }
  EXPECT_GT(draws, 200);
  EXPECT_GT(changed, 200);
#if defined(__x86_64__)
  EXPECT_EQ(nativeDraws, draws);
#endif
}

INSTANTIATE_TEST_SUITE_P(Mmx, StretchBlendCompare, testing::Values(false, true));

// The 32-bit copies and constant-alpha blends that run as packed spans:
// spans of every length around the four-pixel passes, unscaled and
// stretched, keyed with keys that occur among the texels (top byte set or
// not), alpha 0, 255 and in between, over every pitch form.
TEST(StretchBlendCompare, PackedSpansMatchInterpreter) {
  TMMXScope mmx(true);
  std::mt19937 rng(99);
  const char* names[] = {"xrgb8888", "argb8888", "xbgr8888"};
  std::vector<const TTestFormat*> formats;
  for (const TTestFormat& f : TestFormats())
    for (const char* n : names)
      if (std::string(f.Name) == n) formats.push_back(&f);
  ASSERT_EQ(formats.size(), 3u);
  const TRenderBlendOp ops[] = {1, 10, 11};
  const LONG alphas[] = {0, 1, 128, 254, 255, 77};
  for (const TTestFormat* sf : formats)
    for (const TTestFormat* df : formats)
      for (TRenderBlendOp op : ops)
        for (int round = 0; round < 24; ++round) {
          const int sw = 1 + round * 3 % 70, sh = 1 + static_cast<int>(rng() % 6);
          const bool stretch = round % 3 == 2;
          const int dw = stretch ? 1 + static_cast<int>(rng() % 90) : sw + 6,
                    dh = stretch ? 1 + static_cast<int>(rng() % 9) : sh + 2;
          SCOPED_TRACE(std::string(sf->Name) + " -> " + df->Name + " op " + std::to_string(op) + " round " +
                       std::to_string(round));
          TTestSurface src(*sf, sw, sh, round % 3, rng);
          TTestSurface dst(*df, dw, dh, (round / 3) % 3, rng);
          // Runs of the key colour among the texels.
          const DWORD keyValue = src.Get(static_cast<int>(rng() % sw), static_cast<int>(rng() % sh));
          for (int y = 0; y < sh; ++y)
            for (int x = 0; x < sw; ++x)
              if ((x / 3 + y) % 4 == 0) src.Put(x, y, keyValue ^ (rng() % 2 ? 0xFF000000u : 0));
          const DWORD colorKey = rng() % 3 == 0 ? keyValue : keyValue & 0x00FFFFFF;
          const bool key = round % 2 == 0;
          const LONG alpha = alphas[round % 6];
          RECT dstRect = stretch ? RandomRect(rng, dw, dh, round % 4 == 1) : RECT{3, 1, 3 + sw, 1 + sh};
          if (!stretch && round % 4 == 3) dstRect = RECT{-2, -1, sw - 2, sh - 1};  // clipped at the top left
          const RECT srcRect{0, 0, sw, sh};
          const std::vector<BYTE> before = dst.Memory;
          RenderForceInterpreter = false;
          RenderMachine().Reset();
          DrawStretchBlend(dst.S, src.S, dstRect, srcRect, op, alpha, key, colorKey);
          ASSERT_TRUE(!RenderMachine().HasRoutine() || RenderMachine().IsNative());
          const std::vector<BYTE> native = dst.Memory;
          dst.Memory = before;
          RenderForceInterpreter = true;
          DrawStretchBlend(dst.S, src.S, dstRect, srcRect, op, alpha, key, colorKey);
          RenderForceInterpreter = false;
          ASSERT_EQ(native, dst.Memory) << "alpha " << alpha << " key " << key << " colour key " << colorKey;
        }
}

namespace {

// A random tree over colour slots, constants, two textures and the
// destination, with random addressing, filters, keys, steps and dithering.
struct TRandomTreeSetup {
  std::uint32_t Seed;
  TTestSurface* Dest;
  TTestSurface* Tex[2];
  int SpanLength;

  TRenderNode* Build(TDXRMachine& m, std::mt19937& rng, int depth) {
    const int pick = static_cast<int>(rng() % (depth >= 3 ? 5 : 8));
    switch (pick) {
      case 0: return m.NewLeafNode(rnZero);
      case 1: {
        TRenderNode* n = m.NewLeafNode(rnColor);
        n->Index = rng() % 2;
        return n;
      }
      case 2: {
        TRenderNode* n = m.NewLeafNode(rnConstant);
        n->Constant = TRenderColor{WORD(rng()), WORD(rng()), WORD(rng()), WORD(rng())};
        return n;
      }
      case 3: return m.NewTextureNode(static_cast<int>(rng() % 2));
      case 4: return m.NewLeafNode(rnDest);
      default: {
        const TRenderBlendOp op = static_cast<TRenderBlendOp>(rng() % 15);
        TRenderNode* l = Build(m, rng, depth + 1);
        TRenderNode* r = Build(m, rng, depth + 1);
        return m.NewBlendNode(op, l, r);
      }
    }
  }

  void Configure(TDXRMachine& m) {
    std::mt19937 rng(Seed);
    m.Reset();
    m.Dest = &Dest->S;
    m.Dither = rng() % 3 == 0;
    for (int i = 0; i < 2; ++i) {
      TRenderColorSlot& c = m.ColorSlots[i];
      c.Color = TRenderColor{WORD(rng()), WORD(rng()), WORD(rng()), WORD(rng())};
      c.Delta = TRenderColor{WORD(rng()), WORD(rng()), WORD(rng()), WORD(rng())};
      c.Gradient = rng() % 2;
      TRenderTextureSlot& t = m.TextureSlots[i];
      const TRenderSurface& s = Tex[i]->S;
      t.Surface = &Tex[i]->S;
      t.Addressing = static_cast<BYTE>(rng() % 2);
      t.Filter = static_cast<BYTE>(rng() % 2);
      t.Transparent = rng() % 2;
      t.ColorKey = Tex[i]->Get(static_cast<int>(rng() % static_cast<DWORD>(s.Width)), 0);
      t.ConstantStep = rng() % 2;
      t.Default = TRenderColor{WORD(rng()), WORD(rng()), WORD(rng()), WORD(rng())};
      if (t.Addressing == raDirect) {
        // Stay inside the surface over the span: start and step chosen to fit.
        const DWORD steps = SpanLength > 1 ? static_cast<DWORD>(SpanLength - 1) : 1;
        t.DU = (static_cast<DWORD>(s.Width - 1) << 16) / steps * (rng() % 2);
        t.DV = (static_cast<DWORD>(s.Height - 1) << 16) / steps * (rng() % 2);
      } else {
        t.DU = rng() % 0x30000;
        t.DV = rng() % 0x30000;
      }
    }
    TRenderNode* root = Build(m, rng, 0);
    m.Compile(root);
  }

  void StartSpan(TDXRMachine& m, std::mt19937& rng, int x, int y) {
    m.X = x;
    m.Y = y;
    for (int i = 0; i < 2; ++i) {
      TRenderTextureSlot& t = m.TextureSlots[i];
      if (t.Addressing == raDirect) {
        t.U = rng() % 0x10000;
        t.V = rng() % 0x10000;
      } else {
        t.U = rng();
        t.V = rng();
      }
    }
  }
};

}  // namespace

class RandomTreeCompare : public testing::TestWithParam<bool> {};

TEST_P(RandomTreeCompare, GeneratedCodeMatchesInterpreterForRandomTrees) {
  TMMXScope mmx(GetParam());
  auto native = std::make_unique<TDXRMachine>();
  auto interp = std::make_unique<TDXRMachine>();
  interp->ForceInterpreter = true;
  std::mt19937 rng(GetParam() ? 99 : 77);
  const auto& formats = TestFormats();
  int nativeRoutines = 0, changed = 0;
  for (int round = 0; round < 1500; ++round) {
    const TTestFormat& df = formats[rng() % formats.size()];
    const TTestFormat& t0 = formats[rng() % formats.size()];
    const TTestFormat& t1 = formats[rng() % formats.size()];
    const int w = 1 + static_cast<int>(rng() % 24), h = 1 + static_cast<int>(rng() % 6);
    TTestSurface dest(df, w, h, static_cast<int>(rng() % 3), rng);
    TTestSurface tex0(t0, 1 + static_cast<int>(rng() % 19), 1 + static_cast<int>(rng() % 9),
                      static_cast<int>(rng() % 3), rng);
    TTestSurface tex1(t1, 1 + static_cast<int>(rng() % 33), 1 + static_cast<int>(rng() % 5),
                      static_cast<int>(rng() % 3), rng);
    TRandomTreeSetup setup{static_cast<std::uint32_t>(rng()), &dest, {&tex0, &tex1}, w};
    SCOPED_TRACE("round " + std::to_string(round) + " dest " + df.Name + " tex " + t0.Name + "," + t1.Name);

    const std::vector<BYTE> before = dest.Memory;
    setup.Configure(*native);
    std::vector<BYTE> nativeOut;
    const std::uint32_t spanSeed = static_cast<std::uint32_t>(rng());
    {
      std::mt19937 spans(spanSeed);
      for (int y = 0; y < h; ++y) {
        setup.StartSpan(*native, spans, 0, y);
        native->Run(w);
      }
      nativeOut = dest.Memory;
    }
    dest.Memory = before;
    setup.Configure(*interp);
    ASSERT_EQ(native->HasRoutine(), interp->HasRoutine());
    if (native->IsNative()) ++nativeRoutines;
    {
      std::mt19937 spans(spanSeed);
      for (int y = 0; y < h; ++y) {
        setup.StartSpan(*interp, spans, 0, y);
        interp->Run(w);
      }
    }
    ASSERT_EQ(nativeOut, dest.Memory);
    changed += nativeOut != before;
    for (int i = 0; i < 2; ++i) {
      ASSERT_EQ(native->TextureSlots[i].U, interp->TextureSlots[i].U);
      ASSERT_EQ(native->TextureSlots[i].V, interp->TextureSlots[i].V);
      ASSERT_EQ(native->ColorSlots[i].Color, interp->ColorSlots[i].Color);
    }
    ASSERT_EQ(native->X, interp->X);
  }
#if defined(__x86_64__)
  EXPECT_GT(nativeRoutines, 1000);
  EXPECT_GT(changed, 700);
#endif
}

INSTANTIATE_TEST_SUITE_P(Mmx, RandomTreeCompare, testing::Values(false, true));

// A texture over the destination's own memory, a pixel to the left: the
// per-pixel code reads each texel after writing the pixel before it, and the
// generated code must read it the same way.
TEST(StretchBlendCompare, TextureSharingTheDestinationMemory) {
  TMMXScope mmx(true);
  std::mt19937 rng(5);
  for (TRenderBlendOp op : {TRenderBlendOp{1}, TRenderBlendOp{10}}) {
    SCOPED_TRACE(int(op));
    std::vector<DWORD> memory(40 * 6 + 1);
    for (DWORD& v : memory) v = static_cast<DWORD>(rng());
    const std::vector<DWORD> before = memory;
    std::vector<DWORD> results[2];
    for (int interpreted = 0; interpreted < 2; ++interpreted) {
      memory = before;
      TRenderSurface dest, tex;
      InitRGBSurface(dest, 40, 6, 32, memory.data() + 1, 160, 0xFF0000, 0xFF00, 0xFF, 0);
      InitRGBSurface(tex, 40, 6, 32, memory.data(), 160, 0xFF0000, 0xFF00, 0xFF, 0);
      RenderForceInterpreter = interpreted == 1;
      const RECT r{0, 0, 40, 6};
      DrawStretchBlend(dest, tex, r, r, op, 200, false, 0);
      RenderForceInterpreter = false;
      results[interpreted] = memory;
    }
    EXPECT_NE(results[0], before);
    EXPECT_EQ(results[0], results[1]);
  }
}
