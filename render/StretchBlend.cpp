#include "render/StretchBlend.h"

#include <cstdint>

LONG MulDivInt(LONG a, LONG b, LONG c) {
  if (c == 0) return 0;
  return static_cast<LONG>(static_cast<std::int64_t>(a) * b / c);
}

LONG MinInt(LONG a, LONG b) { return a < b ? a : b; }

static bool ClipSpan(LONG& Low, LONG& High, LONG& Clip, LONG Size) {
  if (Low < 0) {
    Clip -= Low;
    Low = 0;
  }
  High = MinInt(High, Size);
  return High > 0 && static_cast<std::int64_t>(High) - Low > 0;
}

bool ClipSpanX(LONG& Left, LONG& Right, LONG& ClipX, LONG Width) { return ClipSpan(Left, Right, ClipX, Width); }
bool ClipSpanY(LONG& Top, LONG& Bottom, LONG& ClipY, LONG Height) { return ClipSpan(Top, Bottom, ClipY, Height); }

bool ClipSpans(RECT& R, LONG& ClipX, LONG& ClipY, LONG Width, LONG Height) {
  return ClipSpanX(R.left, R.right, ClipX, Width) && ClipSpanY(R.top, R.bottom, ClipY, Height);
}

void BuildStretchBlendTree(TRenderSurface& Dest, TRenderSurface& Source, TRenderBlendOp Operation, LONG Alpha,
                           bool Transparent, DWORD ColorKey, DWORD DU, DWORD DV) {
  TDXRMachine& m = RenderMachine();
  m.Reset();
  m.Dest = &Dest;
  TRenderTextureSlot& slot = m.TextureSlots[0];
  slot.Surface = &Source;
  slot.Transparent = Transparent;
  slot.ColorKey = ColorKey;
  slot.Addressing = raDirect;
  slot.Filter = 0;
  slot.ConstantStep = true;
  slot.DU = DU;
  slot.DV = DV;
  const WORD def = static_cast<WORD>(static_cast<DWORD>(Alpha) << 8);
  slot.Default = TRenderColor{def, def, def, def};
  TRenderNode* dest = m.NewLeafNode(rnDest);
  TRenderNode* texture = m.NewTextureNode(0);
  TRenderNode* root = m.NewBlendNode(Operation, texture, dest);
  m.Compile(root);
}

void DrawStretchBlend(TRenderSurface& Dest, TRenderSurface& Source, const RECT& DestRect, const RECT& SrcRect,
                      TRenderBlendOp Operation, LONG Alpha, bool Transparent, DWORD ColorKey) {
  using i64 = std::int64_t;
  if (Operation > rbHighestOp) return;
  if (DestRect.left >= DestRect.right || DestRect.top >= DestRect.bottom) return;
  if (SrcRect.left < 0 || SrcRect.top < 0 || SrcRect.right > Source.Width || SrcRect.bottom > Source.Height ||
      SrcRect.left >= SrcRect.right || SrcRect.top >= SrcRect.bottom)
    return;
  RECT r = DestRect;
  LONG cx = 0, cy = 0;
  if (!ClipSpans(r, cx, cy, Dest.Width, Dest.Height)) return;
  if (Alpha < 0) Alpha = 0;
  if (Alpha > 255) Alpha = 255;

  // Widths, steps and texel positions in 64 bits: a draw whose positions
  // would not fit the routine's 32-bit coordinates, or that would read a
  // texel outside the source, is not drawn.
  const i64 srcW = i64{SrcRect.right} - SrcRect.left, srcH = i64{SrcRect.bottom} - SrcRect.top;
  const i64 dstW = i64{DestRect.right} - DestRect.left, dstH = i64{DestRect.bottom} - DestRect.top;
  const i64 du = srcW * 65536 / dstW, dv = srcH * 65536 / dstH;
  if (du > 0xFFFFFFFFll || dv > 0xFFFFFFFFll) return;
  const i64 u0 = i64{cx} * du + i64{SrcRect.left} * 65536;
  const i64 v0 = i64{cy} * dv + i64{SrcRect.top} * 65536;
  if (u0 < 0 || v0 < 0 || u0 > 0x7FFFFFFFll || v0 > 0x7FFFFFFFll) return;
  const i64 n = i64{r.right} - r.left, rows = i64{r.bottom} - r.top;
  if ((n * du + u0) >> 16 > Source.Width || (rows * dv + v0) >> 16 > Source.Height) return;
  const i64 lastU = u0 + (n - 1) * du, lastV = v0 + (rows - 1) * dv;
  if (lastU > 0xFFFFFFFFll || lastV > 0xFFFFFFFFll) return;
  if ((lastU >> 16) >= Source.Width || (lastV >> 16) >= Source.Height) return;
  if ((u0 >> 16) >= Source.Width || (v0 >> 16) >= Source.Height) return;

  BuildStretchBlendTree(Dest, Source, Operation, Alpha, Transparent, ColorKey, static_cast<DWORD>(du), 0);
  TDXRMachine& m = RenderMachine();
  if (!m.HasRoutine()) return;
  DWORD v = static_cast<DWORD>(v0);
  for (LONG y = r.top; y < r.bottom; ++y) {
    m.X = r.left;
    m.Y = y;
    m.TextureSlots[0].U = static_cast<DWORD>(u0);
    m.TextureSlots[0].V = v;
    m.Run(static_cast<int>(n));
    v += static_cast<DWORD>(dv);
  }
}
