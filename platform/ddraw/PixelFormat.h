// Pixel formats of the in-memory surfaces and the pixel work on them: reading
// and writing one pixel, colour fills, stretched and mirrored copies with a
// source colour key, and conversion to 32-bit XRGB for the screen.
#pragma once

#include <vector>

#include "platform/ddraw/DDrawTypes.h"

// One surface pixel format: 1, 2, 4 or 8-bit palette indexes, 16-bit 565 or
// 555, 24-bit or 32-bit XRGB. Sub-byte pixels lie leftmost in the most
// significant bits of their byte; multi-byte pixels are little-endian.
struct TDDrawPixelFormat {
  int BitCount = 32;
  bool Indexed = false;
  DWORD RMask = 0xFF0000;
  DWORD GMask = 0x00FF00;
  DWORD BMask = 0x0000FF;

  static TDDrawPixelFormat IndexedFormat(int bitCount);
  static TDDrawPixelFormat Rgb565();
  static TDDrawPixelFormat Rgb555();
  static TDDrawPixelFormat Rgb24();
  static TDDrawPixelFormat Xrgb32();

  friend bool operator==(const TDDrawPixelFormat&, const TDDrawPixelFormat&) = default;

  // The bits a pixel value may hold.
  DWORD ValueMask() const;
  // The bits a colour key compares: the index bits, or the three colour masks.
  DWORD KeyMask() const;
  // Bytes a row, rounded up to whole 32-bit words as device-independent
  // bitmaps have them; -1 when the row would not fit a LONG.
  LONG PitchFor(LONG width) const;
  void Describe(DDPIXELFORMAT& pf) const;
  // The format a caller's description asks for; false when it is none of ours.
  static bool FromDescription(const DDPIXELFORMAT& pf, TDDrawPixelFormat& format);
};

// A view of pixels in memory.
struct TDDrawPixels {
  BYTE* Bits = nullptr;
  LONG Pitch = 0;
  LONG Width = 0;
  LONG Height = 0;
  TDDrawPixelFormat Format;
};

DWORD GetPixelValue(const TDDrawPixels& pixels, LONG x, LONG y);
void PutPixelValue(const TDDrawPixels& pixels, LONG x, LONG y, DWORD value);

// Fills Rect, which lies within the pixels, with Value.
void FillPixels(const TDDrawPixels& pixels, const RECT& rect, DWORD value);

// One copy: Source (within the source pixels) is scaled onto Dest by nearest
// pixel; only destination pixels inside Clip (within the destination pixels)
// are written. With Keyed, source pixels whose key bits lie in KeyLow..KeyHigh
// are skipped.
struct TDDrawBlit {
  RECT Dest;
  RECT Source;
  RECT Clip;
  bool MirrorLeftRight = false;
  bool MirrorUpDown = false;
  bool Keyed = false;
  DWORD KeyLow = 0;
  DWORD KeyHigh = 0;
};

// Both views have the same format. The source must not share memory with the
// destination (the caller copies it first).
void BlitPixels(const TDDrawPixels& dest, const TDDrawPixels& source, const TDDrawBlit& blit);

// A pixel value as 32-bit XRGB; indexed values look up Palette (black beyond
// its Count entries).
DWORD PixelToXrgb(DWORD value, const TDDrawPixelFormat& format, const PALETTEENTRY* palette, int count);

// Rect (within the pixels) as 32-bit XRGB with TopByte in the unused byte,
// written into Out with rows OutPitch bytes apart; indexed values look up
// Palette as PixelToXrgb does.
void PixelsToXrgb(const TDDrawPixels& pixels, const RECT& rect, const PALETTEENTRY* palette, int count, BYTE* out,
                  LONG outPitch, DWORD topByte);

// Rectangle helpers.
bool RectIsEmpty(const RECT& r);
RECT IntersectRects(const RECT& a, const RECT& b);
bool RectInside(const RECT& inner, const RECT& outer);
