#include "render/RenderSurface.h"

#include <algorithm>
#include <cstring>

#if defined(__x86_64__) || defined(__i386__)
#include <cpuid.h>
#endif

bool CpuHasMMX = false;
BYTE AddClampTable[512];
BYTE SubClampTable[511];
const BYTE DitherTable[16] = {0, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 1, 1, 1, 1, 0};

DWORD HighestSetBit(DWORD v) {
  for (int i = 31; i >= 1; --i)
    if (v & (DWORD{1} << i)) return static_cast<DWORD>(i);
  return 0;
}

DWORD LowestSetBit(DWORD v) {
  for (int i = 0; i <= 30; ++i)
    if (v & (DWORD{1} << i)) return static_cast<DWORD>(i);
  return 31;
}

DWORD CountSetBits(DWORD v) {
  DWORD n = 0;
  for (; v; v &= v - 1) ++n;
  return n;
}

TRenderChannel DescribeChannel(DWORD Mask, bool Indexed) {
  TRenderChannel c;
  c.Mask = Mask;
  const DWORD low = LowestSetBit(Mask);
  c.Bits = CountSetBits(Mask >> low);
  if (Indexed) {
    c.ShiftRight = low;
    c.ShiftLeft = 0;
  } else {
    const int b = static_cast<int>(low) - (8 - static_cast<int>(c.Bits));
    if (b < 0) {
      c.ShiftLeft = static_cast<DWORD>(-b);
      c.ShiftRight = 0;
    } else {
      c.ShiftRight = static_cast<DWORD>(b);
      c.ShiftLeft = 0;
    }
  }
  return c;
}

static void InitGeometry(TRenderSurface& s, LONG Width, LONG Height, DWORD BitCount, void* Bits, LONG Pitch) {
  s.Width = Width;
  s.Height = Height;
  s.WidthBits = HighestSetBit(static_cast<DWORD>(Width));
  s.HeightBits = HighestSetBit(static_cast<DWORD>(Height));
  s.Width2 = DWORD{1} << s.WidthBits;
  s.Height2 = DWORD{1} << s.HeightBits;
  s.WidthMask = s.Width2 - 1;
  s.HeightMask = s.Height2 - 1;
  s.BitCount = BitCount;
  s.Bits = static_cast<BYTE*>(Bits);
  s.Pitch = Pitch;
  const std::int64_t absPitch = Pitch < 0 ? -static_cast<std::int64_t>(Pitch) : Pitch;
  s.PitchBits = HighestSetBit(static_cast<DWORD>(absPitch));
}

void InitIndexedSurface(TRenderSurface& Surface, LONG Width, LONG Height, DWORD BitCount, void* Bits, LONG Pitch,
                        DWORD IndexMask, DWORD AlphaMask, const PALETTEENTRY* Palette, int PaletteCount) {
  Surface = TRenderSurface{};
  Surface.Kind = rkIndexed;
  InitGeometry(Surface, Width, Height, BitCount, Bits, Pitch);
  Surface.Index() = DescribeChannel(IndexMask, true);
  Surface.IndexedAlpha() = DescribeChannel(AlphaMask, false);
  if (Palette && PaletteCount > 0) std::copy_n(Palette, std::min(PaletteCount, 256), Surface.Palette);
}

void InitRGBSurface(TRenderSurface& Surface, LONG Width, LONG Height, DWORD BitCount, void* Bits, LONG Pitch,
                    DWORD RedMask, DWORD GreenMask, DWORD BlueMask, DWORD AlphaMask) {
  Surface = TRenderSurface{};
  Surface.Kind = rkRGB;
  InitGeometry(Surface, Width, Height, BitCount, Bits, Pitch);
  Surface.Red = DescribeChannel(RedMask, false);
  Surface.Green = DescribeChannel(GreenMask, false);
  Surface.Blue = DescribeChannel(BlueMask, false);
  Surface.Alpha = DescribeChannel(AlphaMask, false);
}

bool SameSurfaceFormat(const TRenderSurface& A, const TRenderSurface& B) {
  if (A.Kind != B.Kind) return false;
  if (A.Kind == rkIndexed) return A.Index().Mask == B.Index().Mask && A.IndexedAlpha().Mask == B.IndexedAlpha().Mask;
  return A.Red.Mask == B.Red.Mask && A.Green.Mask == B.Green.Mask && A.Blue.Mask == B.Blue.Mask &&
         A.Alpha.Mask == B.Alpha.Mask;
}

TRenderChannelSet SurfaceChannelMask(const TRenderSurface& Surface) {
  TRenderChannelSet s = 0;
  if (Surface.Kind == rkIndexed) {
    if (Surface.Index().Mask) s |= rcRGB;
    if (Surface.IndexedAlpha().Mask) s |= rcAlpha;
  } else {
    if (Surface.Red.Mask) s |= rcRed;
    if (Surface.Green.Mask) s |= rcGreen;
    if (Surface.Blue.Mask) s |= rcBlue;
    if (Surface.Alpha.Mask) s |= rcAlpha;
  }
  return s;
}

bool ProbeCpuMMX() {
#if defined(__x86_64__) || defined(__i386__)
  // On x86-64 the ID flag always toggles, so CPUID is present; function 0
  // reports the highest function, function 1 the feature flags.
  unsigned a = 0, b = 0, c = 0, d = 0;
  if (__get_cpuid_max(0, nullptr) < 1) return false;
  if (!__get_cpuid(1, &a, &b, &c, &d)) return false;
  return (d >> 23) & 1;
#else
  return false;
#endif
}

void RenderUnitStart() {
  static int startCount = 0;
  if (startCount++ > 0) return;
  CpuHasMMX = ProbeCpuMMX();
  for (int i = 0; i < 512; ++i) AddClampTable[i] = static_cast<BYTE>(std::min(i, 255));
  for (int d = -255; d <= 255; ++d) SubClampTable[d + 255] = static_cast<BYTE>(std::max(d, 0));
}

namespace {
struct TRenderUnitStarter {
  TRenderUnitStarter() { RenderUnitStart(); }
} RenderUnitStarter;
}  // namespace
