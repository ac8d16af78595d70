#pragma once
// The renderer's blended, stretched, colour-keyed draw of one locked surface
// onto another.

#include "platform/win/Types.h"
#include "render/RenderMachine.h"

LONG MulDivInt(LONG a, LONG b, LONG c);
LONG MinInt(LONG a, LONG b);
// Clip one axis of the working rectangle against [0, Size): Low, High and the
// clip offset are updated; false when nothing of the span is left.
bool ClipSpanX(LONG& Left, LONG& Right, LONG& ClipX, LONG Width);
bool ClipSpanY(LONG& Top, LONG& Bottom, LONG& ClipY, LONG Height);
bool ClipSpans(RECT& R, LONG& ClipX, LONG& ClipY, LONG Width, LONG Height);

void BuildStretchBlendTree(TRenderSurface& Dest, TRenderSurface& Source, TRenderBlendOp Operation, LONG Alpha,
                           bool Transparent, DWORD ColorKey, DWORD DU, DWORD DV);
void DrawStretchBlend(TRenderSurface& Dest, TRenderSurface& Source, const RECT& DestRect, const RECT& SrcRect,
                      TRenderBlendOp Operation, LONG Alpha, bool Transparent, DWORD ColorKey);
