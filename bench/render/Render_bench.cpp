// Blended stretched draws on 32-bit XRGB: op 1 (keyed copy) and op 10
// (constant alpha) through the generated code and the interpreter, next to
// pixman's composite and SDL2's scaled blit of the same operation and memcpy
// of the same destination bytes. Items are destination pixels.

#include <SDL.h>
#include <benchmark/benchmark.h>
#include <pixman.h>

#include <cstring>
#include <vector>

#include "bench/BenchRatios.h"
#include "render/StretchBlend.h"

namespace {

enum TImpl { Generated = 0, Interpreter = 1, Pixman = 2, Sdl = 3, Memcpy = 4, PixmanSrc = 5 };

struct TCase {
  int SrcW, SrcH, DstW, DstH;
};
const TCase Cases[] = {{98, 110, 98, 110}, {98, 110, 196, 220}, {792, 478, 792, 478}};
constexpr int SurfW = 800, SurfH = 480;
constexpr DWORD Key = 0x00FF00FF;
constexpr int Alpha = 128;

struct TPictures {
  std::vector<DWORD> Src, Dst, SrcArgb;
  explicit TPictures(const TCase& c) : Src(size_t(c.SrcW) * c.SrcH), Dst(size_t(SurfW) * SurfH, 0x00404040) {
    for (int y = 0; y < c.SrcH; ++y)
      for (int x = 0; x < c.SrcW; ++x) {
        const bool hole = ((x / 7) + (y / 5)) % 4 == 0;
        Src[size_t(y) * c.SrcW + x] = hole ? Key : (DWORD(x * 3) << 16) | (DWORD(y * 2) << 8) | DWORD(x ^ y);
      }
    // The same picture with the key as zero alpha, for pixman's OVER.
    SrcArgb.resize(Src.size());
    for (size_t i = 0; i < Src.size(); ++i) SrcArgb[i] = Src[i] == Key ? 0 : (Src[i] | 0xFF000000u);
  }
};

void RunDraw(benchmark::State& state, TRenderBlendOp op, TImpl impl) {
  const TCase& c = Cases[state.range(0)];
  TPictures p(c);
  const RECT dr{0, 0, c.DstW, c.DstH}, sr{0, 0, c.SrcW, c.SrcH};
  if (impl == Generated || impl == Interpreter) {
    TRenderSurface s, d;
    InitRGBSurface(s, c.SrcW, c.SrcH, 32, p.Src.data(), c.SrcW * 4, 0xFF0000, 0xFF00, 0xFF, 0);
    InitRGBSurface(d, SurfW, SurfH, 32, p.Dst.data(), SurfW * 4, 0xFF0000, 0xFF00, 0xFF, 0);
    RenderForceInterpreter = impl == Interpreter;
    for (auto _ : state) {
      DrawStretchBlend(d, s, dr, sr, op, op == 10 ? Alpha : 255, op == 1, Key);
      benchmark::DoNotOptimize(p.Dst.data());
    }
    RenderForceInterpreter = false;
  } else if (impl == Pixman || impl == PixmanSrc) {
    pixman_image_t* src = pixman_image_create_bits(PIXMAN_a8r8g8b8, c.SrcW, c.SrcH,
                                                   reinterpret_cast<uint32_t*>(p.SrcArgb.data()), c.SrcW * 4);
    pixman_image_t* srcX = pixman_image_create_bits(PIXMAN_x8r8g8b8, c.SrcW, c.SrcH,
                                                    reinterpret_cast<uint32_t*>(p.Src.data()), c.SrcW * 4);
    pixman_image_t* dst =
        pixman_image_create_bits(PIXMAN_x8r8g8b8, SurfW, SurfH, reinterpret_cast<uint32_t*>(p.Dst.data()), SurfW * 4);
    pixman_color_t alphaColor{0, 0, 0, static_cast<uint16_t>(Alpha * 257)};
    pixman_image_t* mask = pixman_image_create_solid_fill(&alphaColor);
    pixman_transform_t t;
    pixman_transform_init_scale(&t, pixman_double_to_fixed(double(c.SrcW) / c.DstW),
                                pixman_double_to_fixed(double(c.SrcH) / c.DstH));
    pixman_image_set_transform(src, &t);
    pixman_image_set_transform(srcX, &t);
    pixman_image_set_filter(src, PIXMAN_FILTER_NEAREST, nullptr, 0);
    pixman_image_set_filter(srcX, PIXMAN_FILTER_NEAREST, nullptr, 0);
    for (auto _ : state) {
      if (impl == PixmanSrc)
        pixman_image_composite32(PIXMAN_OP_SRC, srcX, nullptr, dst, 0, 0, 0, 0, 0, 0, c.DstW, c.DstH);
      else if (op == 1)
        pixman_image_composite32(PIXMAN_OP_OVER, src, nullptr, dst, 0, 0, 0, 0, 0, 0, c.DstW, c.DstH);
      else
        pixman_image_composite32(PIXMAN_OP_OVER, srcX, mask, dst, 0, 0, 0, 0, 0, 0, c.DstW, c.DstH);
      benchmark::DoNotOptimize(p.Dst.data());
    }
    pixman_image_unref(mask);
    pixman_image_unref(dst);
    pixman_image_unref(srcX);
    pixman_image_unref(src);
  } else if (impl == Sdl) {
    SDL_Surface* src =
        SDL_CreateRGBSurfaceFrom(p.Src.data(), c.SrcW, c.SrcH, 32, c.SrcW * 4, 0xFF0000, 0xFF00, 0xFF, 0);
    SDL_Surface* dst = SDL_CreateRGBSurfaceFrom(p.Dst.data(), SurfW, SurfH, 32, SurfW * 4, 0xFF0000, 0xFF00, 0xFF, 0);
    if (op == 1) {
      SDL_SetColorKey(src, SDL_TRUE, Key);
    } else {
      SDL_SetSurfaceBlendMode(src, SDL_BLENDMODE_BLEND);
      SDL_SetSurfaceAlphaMod(src, Alpha);
    }
    SDL_Rect s{0, 0, c.SrcW, c.SrcH}, d{0, 0, c.DstW, c.DstH};
    for (auto _ : state) {
      SDL_Rect dd = d;
      if (c.SrcW == c.DstW && c.SrcH == c.DstH)
        SDL_BlitSurface(src, &s, dst, &dd);
      else
        SDL_BlitScaled(src, &s, dst, &dd);
      benchmark::DoNotOptimize(p.Dst.data());
    }
    SDL_FreeSurface(dst);
    SDL_FreeSurface(src);
  } else {
    std::vector<DWORD> from(size_t(c.DstW) * c.DstH, 0x123456);
    for (auto _ : state) {
      for (int y = 0; y < c.DstH; ++y)
        std::memcpy(p.Dst.data() + size_t(y) * SurfW, from.data() + size_t(y) * c.DstW, size_t(c.DstW) * 4);
      benchmark::DoNotOptimize(p.Dst.data());
    }
  }
  state.SetItemsProcessed(state.iterations() * std::int64_t(c.DstW) * c.DstH);
  state.SetLabel(std::to_string(c.SrcW) + "x" + std::to_string(c.SrcH) + "->" + std::to_string(c.DstW) + "x" +
                 std::to_string(c.DstH));
}

void BM_KeyedCopy_Generated(benchmark::State& s) { RunDraw(s, 1, Generated); }
void BM_KeyedCopy_Interpreter(benchmark::State& s) { RunDraw(s, 1, Interpreter); }
void BM_KeyedCopy_Pixman(benchmark::State& s) { RunDraw(s, 1, Pixman); }
void BM_KeyedCopy_SDL2(benchmark::State& s) { RunDraw(s, 1, Sdl); }
void BM_Alpha_Generated(benchmark::State& s) { RunDraw(s, 10, Generated); }
void BM_Alpha_Interpreter(benchmark::State& s) { RunDraw(s, 10, Interpreter); }
void BM_Alpha_Pixman(benchmark::State& s) { RunDraw(s, 10, Pixman); }
void BM_Alpha_SDL2(benchmark::State& s) { RunDraw(s, 10, Sdl); }
void BM_Memcpy(benchmark::State& s) { RunDraw(s, 1, Memcpy); }
void BM_Copy_PixmanSrc(benchmark::State& s) { RunDraw(s, 1, PixmanSrc); }

// The cost of one draw apart from its pixels: a 1x1 draw repeated, so that
// every iteration builds the tree, compiles it and runs one span.
void BM_DrawSetUp(benchmark::State& state) {
  DWORD src = 0x123456, dst = 0x404040;
  TRenderSurface s, d;
  InitRGBSurface(s, 1, 1, 32, &src, 4, 0xFF0000, 0xFF00, 0xFF, 0);
  InitRGBSurface(d, 1, 1, 32, &dst, 4, 0xFF0000, 0xFF00, 0xFF, 0);
  const TRenderBlendOp op = static_cast<TRenderBlendOp>(state.range(0));
  const RECT r{0, 0, 1, 1};
  for (auto _ : state) {
    DrawStretchBlend(d, s, r, r, op, op == 10 ? Alpha : 255, op == 1, Key);
    benchmark::DoNotOptimize(dst);
  }
  state.SetLabel("op " + std::to_string(op));
}

}  // namespace

BENCHMARK(BM_KeyedCopy_Generated)->DenseRange(0, 2);
BENCHMARK(BM_KeyedCopy_Interpreter)->DenseRange(0, 2);
BENCHMARK(BM_KeyedCopy_Pixman)->DenseRange(0, 2);
BENCHMARK(BM_KeyedCopy_SDL2)->DenseRange(0, 2);
BENCHMARK(BM_Alpha_Generated)->DenseRange(0, 2);
BENCHMARK(BM_Alpha_Interpreter)->DenseRange(0, 2);
BENCHMARK(BM_Alpha_Pixman)->DenseRange(0, 2);
BENCHMARK(BM_Alpha_SDL2)->DenseRange(0, 2);
BENCHMARK(BM_Memcpy)->DenseRange(0, 2);
BENCHMARK(BM_Copy_PixmanSrc)->DenseRange(0, 2);
BENCHMARK(BM_DrawSetUp)->Arg(1)->Arg(10);

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  TRatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  using R = TRatioReporter::TRatio;
  constexpr auto Rate = TRatioReporter::ItemsPerSecond;
  constexpr auto Time = TRatioReporter::SecondsPerIteration;
  const char* sizes[] = {"98x110", "98x110->196x220", "792x478"};
  std::vector<R> ratios;
  for (int k = 0; k < 3; ++k) {
    // Built by appending: prepending a literal to a temporary string makes
    // GCC 12 at -O3 see an overlapping copy that cannot happen.
    std::string n = "/";
    n += std::to_string(k);
    std::string at = " ";
    at += sizes[k];
    ratios.push_back(
        R{"op 10 generated / pixman OVER solid mask" + at, "BM_Alpha_Generated" + n, "BM_Alpha_Pixman" + n, Rate, 1.0});
    ratios.push_back(
        R{"op 10 generated / SDL2 alpha-mod blit" + at, "BM_Alpha_Generated" + n, "BM_Alpha_SDL2" + n, Rate, 0});
    ratios.push_back(
        R{"op 10 generated / interpreter" + at, "BM_Alpha_Generated" + n, "BM_Alpha_Interpreter" + n, Rate, 0});
    ratios.push_back(R{"op 1 keyed generated / SDL2 colour-key blit" + at, "BM_KeyedCopy_Generated" + n,
                       "BM_KeyedCopy_SDL2" + n, Rate, k == 1 ? 0 : 1.0});
    ratios.push_back(R{"op 1 keyed generated / pixman OVER (a8r8g8b8)" + at, "BM_KeyedCopy_Generated" + n,
                       "BM_KeyedCopy_Pixman" + n, Rate, 0});
    ratios.push_back(R{"op 1 keyed generated / interpreter" + at, "BM_KeyedCopy_Generated" + n,
                       "BM_KeyedCopy_Interpreter" + n, Rate, 0});
    ratios.push_back(
        R{"op 1 keyed generated / pixman SRC" + at, "BM_KeyedCopy_Generated" + n, "BM_Copy_PixmanSrc" + n, Rate, 0});
    ratios.push_back(R{"op 1 keyed generated / memcpy" + at, "BM_KeyedCopy_Generated" + n, "BM_Memcpy" + n, Rate, 0});
  }
  ratios.push_back(R{"one 98x110 draw, op 10 generated (pixman OVER as peer)", "BM_Alpha_Generated/0",
                     "BM_Alpha_Pixman/0", Time, 0});
  ratios.push_back(R{"one 98x110 draw, op 1 keyed generated (SDL2 as peer)", "BM_KeyedCopy_Generated/0",
                     "BM_KeyedCopy_SDL2/0", Time, 0});
  ratios.push_back(R{"set-up of a repeated draw, op 1 keyed (1x1 draw)", "BM_DrawSetUp/1", "", Time, 1e-6});
  ratios.push_back(R{"set-up of a repeated draw, op 10 alpha (1x1 draw)", "BM_DrawSetUp/10", "", Time, 1e-6});
  reporter.PrintRatios("Blended drawing on 32-bit XRGB, pixels per second (median of repetitions)", ratios);
  benchmark::Shutdown();
  return 0;
}
