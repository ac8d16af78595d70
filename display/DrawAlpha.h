#pragma once
// Blended drawing of surfaces and pictures through the software renderer.

#include "render/StretchBlend.h"

// The renderer's blended stretched draw that TDirectDrawSurface::DrawAlpha
// hands its two locked surfaces to; DrawStretchBlend unless a test puts its
// own in place.
using TDrawAlphaBlendProc = void (*)(TRenderSurface& Dest, TRenderSurface& Source, const RECT& DestRect,
                                     const RECT& SrcRect, TRenderBlendOp Operation, LONG Alpha, bool Transparent,
                                     DWORD ColorKey);
extern TDrawAlphaBlendProc DrawAlphaBlend;

// The blend operations DrawAlpha uses.
constexpr TRenderBlendOp DrawAlphaCopyOp = 1;
constexpr TRenderBlendOp DrawAlphaBlendOp = 10;
