#pragma once
// Description of one locked surface as plain values, the bit routines behind
// it, the processor probe and the clamp tables the span code reads.

#include <cstddef>
#include <cstdint>

#include "platform/win/Types.h"

// Channel flags of a surface or operand: red = 1, green = 2, blue = 4, alpha = 8.
using TRenderChannelSet = BYTE;
constexpr TRenderChannelSet rcRed = 1;
constexpr TRenderChannelSet rcGreen = 2;
constexpr TRenderChannelSet rcBlue = 4;
constexpr TRenderChannelSet rcAlpha = 8;
constexpr TRenderChannelSet rcRGB = 7;
constexpr TRenderChannelSet rcAll = 15;

struct TRenderChannel {
  DWORD Mask = 0;
  DWORD Bits = 0;
  DWORD ShiftRight = 0;
  DWORD ShiftLeft = 0;
  friend bool operator==(const TRenderChannel&, const TRenderChannel&) = default;
};

// Kind 0 = palette-indexed, 1 = RGB.
constexpr BYTE rkIndexed = 0;
constexpr BYTE rkRGB = 1;

// The four channel descriptions sit at the RGB positions for both kinds: an
// indexed record keeps its index bits in the first (Red) and its alpha in the
// second (Green) position, with zero masks in the other two, so code that reads
// an indexed record as RGB sees the index as red. The palette has its own place
// and never overlays a channel description.
struct TRenderSurface {
  BYTE Kind = rkIndexed;
  LONG Width = 0;
  LONG Height = 0;
  DWORD WidthBits = 0;
  DWORD HeightBits = 0;
  DWORD Width2 = 0;
  DWORD Height2 = 0;
  DWORD WidthMask = 0;
  DWORD HeightMask = 0;
  DWORD BitCount = 0;
  BYTE* Bits = nullptr;
  LONG Pitch = 0;
  DWORD PitchBits = 0;
  TRenderChannel Red;
  TRenderChannel Green;
  TRenderChannel Blue;
  TRenderChannel Alpha;
  PALETTEENTRY Palette[256];  // entry byte 0 red, 1 green, 2 blue; indexed kind only

  TRenderChannel& Index() { return Red; }
  const TRenderChannel& Index() const { return Red; }
  TRenderChannel& IndexedAlpha() { return Green; }
  const TRenderChannel& IndexedAlpha() const { return Green; }
  // The alpha description of either kind.
  const TRenderChannel& AlphaChannel() const { return Kind == rkIndexed ? Green : Alpha; }
  // Channel description at RGB position c (0 red .. 3 alpha).
  const TRenderChannel& Channel(int c) const { return c == 0 ? Red : c == 1 ? Green : c == 2 ? Blue : Alpha; }
};

DWORD HighestSetBit(DWORD v);
DWORD LowestSetBit(DWORD v);
DWORD CountSetBits(DWORD v);
TRenderChannel DescribeChannel(DWORD Mask, bool Indexed);

// Palette: up to PaletteCount entries (at most 256) copied into the record;
// the rest stays zero (black). Without a palette every index decodes to black.
void InitIndexedSurface(TRenderSurface& Surface, LONG Width, LONG Height, DWORD BitCount, void* Bits, LONG Pitch,
                        DWORD IndexMask, DWORD AlphaMask, const PALETTEENTRY* Palette = nullptr, int PaletteCount = 0);
void InitRGBSurface(TRenderSurface& Surface, LONG Width, LONG Height, DWORD BitCount, void* Bits, LONG Pitch,
                    DWORD RedMask, DWORD GreenMask, DWORD BlueMask, DWORD AlphaMask);
bool SameSurfaceFormat(const TRenderSurface& A, const TRenderSurface& B);
TRenderChannelSet SurfaceChannelMask(const TRenderSurface& Surface);

// Set at unit start when the processor reports MMX; tests may override it
// before a compile to pick the plain integer forms.
extern bool CpuHasMMX;
bool ProbeCpuMMX();

// AddClampTable[i] = min(i, 255); SubClampTable[d + 255] = max(d, 0) for d = -255..255.
extern BYTE AddClampTable[512];
extern BYTE SubClampTable[511];
// Row f (the two bits below a channel's precision), column p = 2*(X and 1) + (Y and 1).
extern const BYTE DitherTable[16];

// Runs once (a start counter makes repeated calls do nothing): probes the
// processor and builds the clamp tables. Called by the unit's static start.
void RenderUnitStart();
