#pragma once
// Surfaces of every pixel format for the renderer tests, backed by owned
// buffers with guard bytes around the pixels.

#include <cstdint>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "render/RenderSurface.h"

struct TTestFormat {
  const char* Name;
  DWORD BitCount;
  bool Indexed;
  DWORD R, G, B, A;
};

inline const std::vector<TTestFormat>& TestFormats() {
  static const std::vector<TTestFormat> formats = {
      {"i1", 1, true, 0, 0, 0, 0},
      {"i2", 2, true, 0, 0, 0, 0},
      {"i4", 4, true, 0, 0, 0, 0},
      {"i8", 8, true, 0, 0, 0, 0},
      {"rgb332", 8, false, 0xE0, 0x1C, 0x03, 0},
      {"rgb565", 16, false, 0xF800, 0x07E0, 0x001F, 0},
      {"rgb555", 16, false, 0x7C00, 0x03E0, 0x001F, 0},
      {"argb4444", 16, false, 0x0F00, 0x00F0, 0x000F, 0xF000},
      {"rgb888", 24, false, 0xFF0000, 0xFF00, 0xFF, 0},
      {"xrgb8888", 32, false, 0xFF0000, 0xFF00, 0xFF, 0},
      {"argb8888", 32, false, 0xFF0000, 0xFF00, 0xFF, 0xFF000000},
      {"xbgr8888", 32, false, 0xFF, 0xFF00, 0xFF0000, 0},
  };
  return formats;
}

constexpr int GuardBytes = 64;

struct TTestSurface {
  std::vector<BYTE> Memory;
  TRenderSurface S;
  std::vector<PALETTEENTRY> Palette;
  int RowBytes = 0;
  int Pitch = 0;
  int Height = 0;

  // PitchMode 0: tight rows rounded to 4 bytes; 1: power-of-two pitch; 2: negative pitch.
  TTestSurface(const TTestFormat& f, int Width, int Height_, int PitchMode, std::mt19937& rng) : Height(Height_) {
    RowBytes = static_cast<int>((static_cast<std::int64_t>(Width) * f.BitCount + 7) / 8);
    Pitch = (RowBytes + 3) & ~3;
    if (PitchMode == 1) {
      int p = 1;
      while (p < RowBytes) p *= 2;
      Pitch = p;
    }
    Memory.assign(static_cast<std::size_t>(Pitch) * Height + 2 * GuardBytes, 0);
    for (auto& b : Memory) b = static_cast<BYTE>(rng());
    BYTE* first = Memory.data() + GuardBytes;
    LONG pitch = Pitch;
    if (PitchMode == 2) {
      first += static_cast<std::size_t>(Pitch) * (Height - 1);
      pitch = -Pitch;
    }
    if (f.Indexed) {
      Palette.resize(256);
      for (auto& e : Palette) {
        e.peRed = static_cast<BYTE>(rng());
        e.peGreen = static_cast<BYTE>(rng());
        e.peBlue = static_cast<BYTE>(rng());
      }
      InitIndexedSurface(S, Width, Height, f.BitCount, first, pitch, (DWORD{1} << f.BitCount) - 1, 0, Palette.data(),
                         256);
    } else {
      InitRGBSurface(S, Width, Height, f.BitCount, first, pitch, f.R, f.G, f.B, f.A);
    }
  }
  TTestSurface(const TTestSurface&) = delete;

  BYTE* Row(int y) { return S.Bits + static_cast<std::ptrdiff_t>(y) * S.Pitch; }
  DWORD Get(int x, int y) {
    const BYTE* r = Row(y);
    switch (S.BitCount) {
      case 1: return (r[x / 8] >> (7 - x % 8)) & 1;
      case 2: return (r[x / 4] >> (6 - 2 * (x % 4))) & 3;
      case 4: return (r[x / 2] >> (4 - 4 * (x % 2))) & 15;
      case 8: return r[x];
      case 16: return r[2 * x] | (DWORD{r[2 * x + 1]} << 8);
      case 24: return r[3 * x] | (DWORD{r[3 * x + 1]} << 8) | (DWORD{r[3 * x + 2]} << 16);
      default: {
        DWORD v;
        std::memcpy(&v, r + 4 * x, 4);
        return v;
      }
    }
  }
  void Put(int x, int y, DWORD v) {
    BYTE* r = Row(y);
    switch (S.BitCount) {
      case 8: r[x] = static_cast<BYTE>(v); break;
      case 16:
        r[2 * x] = static_cast<BYTE>(v);
        r[2 * x + 1] = static_cast<BYTE>(v >> 8);
        break;
      case 24:
        r[3 * x] = static_cast<BYTE>(v);
        r[3 * x + 1] = static_cast<BYTE>(v >> 8);
        r[3 * x + 2] = static_cast<BYTE>(v >> 16);
        break;
      case 32: std::memcpy(r + 4 * x, &v, 4); break;
      default: {
        const int per = 8 / static_cast<int>(S.BitCount);
        const int shift = (per - 1 - x % per) * static_cast<int>(S.BitCount);
        const BYTE mask = static_cast<BYTE>(((1u << S.BitCount) - 1) << shift);
        r[x / per] = static_cast<BYTE>((r[x / per] & ~mask) | ((v << shift) & mask));
      }
    }
  }
};
