// Keyed sprites drawn the way the programs draw them: the display layer's
// TDirectDrawSurface::Draw (clipping, then the stand-in's BltFast with the
// source colour key) of 34×50 terrain cells, 38×50 units and 98×110
// buildings onto a 792×478 32-bit back surface; SDL2's colour-key blit of
// the same pictures at the same places is the peer. The terrain frame draws
// a 250×250 map cell by cell, 62 500 draws, most of them off the surface.
// Items are drawn pixels, or draw calls for draws that show nothing.

#include <SDL.h>
#include <benchmark/benchmark.h>

#include <cstdint>
#include <memory>
#include <random>
#include <vector>

#include "bench/BenchRatios.h"
#include "display/DirectDraw.h"
#include "display/DirectDrawSurface.h"
#include "platform/ddraw/DDraw.h"
#include "platform/ddraw/DDrawEmulation.h"

namespace {

constexpr int ScreenW = 792, ScreenH = 478;
constexpr DWORD Key = 0x00FF00FF;

struct TSprite {
  int W, H;
};
const TSprite Sprites[] = {{34, 50}, {38, 50}, {98, 110}};

// A picture with a diamond-topped body and key colour around it, about the
// shape of the game's terrain cells, units and buildings.
DWORD SpritePixel(const TSprite& s, int x, int y) {
  const int cx = s.W / 2, top = s.W / 4;
  const int dx = x < cx ? cx - x : x - cx;
  const bool inside = y >= top - (s.W / 2 - dx) / 2 && y < s.H - dx / 2;
  return inside ? (DWORD(x * 5) << 16) | (DWORD(y * 3) << 8) | DWORD((x ^ y) & 0xFF) : Key;
}

struct TWorld {
  std::unique_ptr<TDirectDraw> DD;
  std::unique_ptr<TDirectDrawSurface> Back;
  std::vector<std::unique_ptr<TDirectDrawSurface>> Pictures;

  TWorld() {
    RegisterDDrawModules();
    ResetDDrawEmulation();
    SetEmulatedDisplayFormat(32);
    DD = std::make_unique<TDirectDraw>(nullptr);
    Back = std::make_unique<TDirectDrawSurface>(DD.get());
    Back->SetSize(ScreenW, ScreenH);
    Back->Fill(0x404040);
  }
  TDirectDrawSurface* Picture(const TSprite& s, int variant = 0) {
    auto p = std::make_unique<TDirectDrawSurface>(DD.get());
    p->SetSize(s.W, s.H);
    DDSURFACEDESC d;
    if (p->Lock(nullptr, d)) {
      for (int y = 0; y < s.H; ++y)
        for (int x = 0; x < s.W; ++x) {
          DWORD v = SpritePixel(s, x, y);
          if (v != Key) v ^= DWORD(variant * 0x101010);
          reinterpret_cast<DWORD*>(static_cast<BYTE*>(d.lpSurface) + y * d.lPitch)[x] = v;
        }
      p->Unlock();
    }
    p->SetTransparentColor(Key);
    Pictures.push_back(std::move(p));
    return Pictures.back().get();
  }
};

// Places a picture is drawn at: a grid over the surface, all inside it.
std::vector<SDL_Point> Places(const TSprite& s) {
  std::vector<SDL_Point> out;
  for (int y = 0; y + s.H <= ScreenH; y += 37)
    for (int x = 0; x + s.W <= ScreenW; x += 53) out.push_back({x, y});
  return out;
}

void BM_Keyed_Draw(benchmark::State& state) {
  const TSprite& s = Sprites[state.range(0)];
  TWorld w;
  TDirectDrawSurface* picture = w.Picture(s);
  const RECT all{0, 0, s.W, s.H};
  const std::vector<SDL_Point> places = Places(s);
  for (auto _ : state)
    for (const SDL_Point& p : places) w.Back->Draw(p.x, p.y, all, picture, true);
  state.SetItemsProcessed(state.iterations() * std::int64_t(places.size()) * s.W * s.H);
  state.SetLabel(std::to_string(s.W) + "x" + std::to_string(s.H));
}

void BM_Keyed_SDL2(benchmark::State& state) {
  const TSprite& s = Sprites[state.range(0)];
  std::vector<DWORD> pixels(size_t(s.W) * s.H), screen(size_t(ScreenW) * ScreenH, 0x404040);
  for (int y = 0; y < s.H; ++y)
    for (int x = 0; x < s.W; ++x) pixels[size_t(y) * s.W + x] = SpritePixel(s, x, y);
  SDL_Surface* src = SDL_CreateRGBSurfaceFrom(pixels.data(), s.W, s.H, 32, s.W * 4, 0xFF0000, 0xFF00, 0xFF, 0);
  SDL_Surface* dst =
      SDL_CreateRGBSurfaceFrom(screen.data(), ScreenW, ScreenH, 32, ScreenW * 4, 0xFF0000, 0xFF00, 0xFF, 0);
  SDL_SetColorKey(src, SDL_TRUE, Key);
  const std::vector<SDL_Point> places = Places(s);
  for (auto _ : state)
    for (const SDL_Point& p : places) {
      SDL_Rect d{p.x, p.y, s.W, s.H};
      SDL_BlitSurface(src, nullptr, dst, &d);
    }
  benchmark::DoNotOptimize(screen.data());
  SDL_FreeSurface(dst);
  SDL_FreeSurface(src);
  state.SetItemsProcessed(state.iterations() * std::int64_t(places.size()) * s.W * s.H);
  state.SetLabel(std::to_string(s.W) + "x" + std::to_string(s.H));
}

// Terrain cells cut by each edge of the surface and cells wholly outside it;
// items are draw calls.
void BM_Keyed_DrawClipped(benchmark::State& state) {
  const TSprite& s = Sprites[0];
  TWorld w;
  TDirectDrawSurface* picture = w.Picture(s);
  const RECT all{0, 0, s.W, s.H};
  std::vector<SDL_Point> places;
  const bool outside = state.range(0) == 1;
  for (int i = 0; i < 40; ++i) {
    const int along = i * 19;
    const int off = outside ? -s.W - 5 - i : -s.W / 2;
    places.push_back({off, along % ScreenH});
    places.push_back({ScreenW + (outside ? 5 + i : -s.W / 2), along % ScreenH});
    places.push_back({along % ScreenW, outside ? -s.H - 3 - i : -s.H / 2});
    places.push_back({along % ScreenW, ScreenH + (outside ? 3 + i : -s.H / 2)});
  }
  for (auto _ : state)
    for (const SDL_Point& p : places) w.Back->Draw(p.x, p.y, all, picture, true);
  state.SetItemsProcessed(state.iterations() * std::int64_t(places.size()));
  state.SetLabel(outside ? "outside" : "cut by an edge");
}

// One frame of a 250×250 map's terrain: every cell's picture at its
// isometric place, lifted by its elevation. Range 0: scroll position (0, 0),
// the map's top corner at the surface's centre; 1: scrolled to the map's
// middle, the surface covered.
void BM_TerrainFrame(benchmark::State& state) {
  constexpr int Rows = 250, Cols = 250;
  TWorld w;
  TDirectDrawSurface* tiles[7];
  for (int t = 0; t < 7; ++t) tiles[t] = w.Picture(Sprites[0], t);
  std::mt19937 random(2107);
  std::vector<BYTE> terrain(Rows * Cols), heights(Rows * Cols);
  for (int k = 0; k < Rows * Cols; ++k) {
    terrain[k] = static_cast<BYTE>(random() % 7);
    heights[k] = static_cast<BYTE>(random() % 4);
  }
  const int scrollX = 0, scrollY = state.range(0) == 1 ? -8 * (Rows + Cols) / 2 : 0;
  const RECT all{0, 0, Sprites[0].W, Sprites[0].H};
  for (auto _ : state) {
    for (int i = 1; i <= Rows; ++i)
      for (int j = 1; j <= Cols; ++j) {
        const int k = (i - 1) * Cols + (j - 1);
        const int x = scrollX + 16 * (j - i) + ScreenW / 2 - 20;
        const int y = scrollY + 8 * (i + j) + ScreenH / 2 - 8 * heights[k] - 40;
        w.Back->Draw(x, y, all, tiles[terrain[k]], true);
      }
  }
  state.SetItemsProcessed(state.iterations() * Rows * Cols);
  state.SetLabel(state.range(0) == 1 ? "scrolled to the middle" : "scroll (0, 0)");
}

}  // namespace

BENCHMARK(BM_Keyed_Draw)->DenseRange(0, 2);
BENCHMARK(BM_Keyed_SDL2)->DenseRange(0, 2);
BENCHMARK(BM_Keyed_DrawClipped)->DenseRange(0, 1);
BENCHMARK(BM_TerrainFrame)->DenseRange(0, 1)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  TRatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  using R = TRatioReporter::TRatio;
  reporter.PrintRatios("Keyed sprites onto 792x478 XRGB (median of repetitions)",
                       {
                           R{"keyed Draw 34x50 terrain cell / SDL2 colour-key blit", "BM_Keyed_Draw/0",
                             "BM_Keyed_SDL2/0", TRatioReporter::ItemsPerSecond, 1.0},
                           R{"keyed Draw 38x50 unit / SDL2 colour-key blit", "BM_Keyed_Draw/1", "BM_Keyed_SDL2/1",
                             TRatioReporter::ItemsPerSecond, 1.0},
                           R{"keyed Draw 98x110 building / SDL2 colour-key blit", "BM_Keyed_Draw/2", "BM_Keyed_SDL2/2",
                             TRatioReporter::ItemsPerSecond, 1.0},
                           R{"draws/s of a terrain cell cut by an edge", "BM_Keyed_DrawClipped/0", "",
                             TRatioReporter::ItemsPerSecond, 0},
                           R{"draws/s of a terrain cell wholly outside", "BM_Keyed_DrawClipped/1", "",
                             TRatioReporter::ItemsPerSecond, 0},
                           R{"terrain frame 250x250, scroll (0, 0)", "BM_TerrainFrame/0", "",
                             TRatioReporter::SecondsPerIteration, 0.002},
                           R{"terrain frame 250x250, scrolled to the middle", "BM_TerrainFrame/1", "",
                             TRatioReporter::SecondsPerIteration, 0.002},
                       });
  benchmark::Shutdown();
  return 0;
}
