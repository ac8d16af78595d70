#include "display/DrawAlpha.h"

#include "display/DirectDrawSurface.h"
#include "display/PictureCollection.h"
#include "render/RenderLock.h"

TDrawAlphaBlendProc DrawAlphaBlend = &DrawStretchBlend;

void TDirectDrawSurface::DrawAlpha(const RECT& DestRect, const RECT& SrcRect, TDirectDrawSurface* Source,
                                   bool Transparent, int Alpha) {
  if (Width() == 0 || Height() == 0 || !Source || Source->Width() == 0 || Source->Height() == 0 || Alpha <= 0) return;
  // Both records live for this one draw; the guards unlock the source and
  // then the destination however the draw ends.
  TRenderSurface dest, source;
  TRenderSurfaceLock destLock;
  if (!destLock.Lock(::SurfaceIntf(this), dest)) return;
  DDSURFACEDESC sourceDesc;
  TRenderSurfaceLock sourceLock;
  if (!sourceLock.Lock(::SurfaceIntf(Source), sourceDesc, source)) return;
  // An indexed destination gets a plain copy, as does full alpha.
  const TRenderBlendOp op = dest.Kind == rkRGB && Alpha < 255 ? DrawAlphaBlendOp : DrawAlphaCopyOp;
  DrawAlphaBlend(dest, source, DestRect, SrcRect, op, Alpha, Transparent, sourceDesc.ddckCKSrcBlt.dwColorSpaceLowValue);
}

void TPictureCollectionItem::DrawAlpha(TDirectDrawSurface* Dest, const RECT& DestRect, int PatternIndex, int Alpha) {
  if (!FInitialized || !Dest || PatternIndex < 0 || PatternIndex >= FPatterns.Count()) return;
  TPictureCollectionItemPattern* pattern = Patterns(PatternIndex);
  if (!pattern->Surface) return;
  Dest->DrawAlpha(DestRect, pattern->Rect, pattern->Surface, FTransparent, Alpha);
}
