#pragma once
// Locking a DirectDraw surface into a render surface description and
// unlocking it again, and a guard that holds one such lock for one draw.

#include "platform/ddraw/DDraw.h"
#include "render/RenderSurface.h"

// The size of a DirectDraw surface description, which its size field carries.
constexpr DWORD RenderSurfaceDescSize = 108;

// Locks the whole surface (waiting while it is busy) and describes it in
// Record: palette-indexed formats as an indexed record with the surface
// palette's entries, all others as RGB from the format's colour masks. No
// locked surface delivers alpha. Description receives the locked surface's
// description. False when the lock fails, and also when the locked memory
// cannot be described safely (no pointer, an unknown bit count, sizes beyond
// the record's range, or a pitch shorter than one row): such a surface is
// unlocked again. On false Record is left as it was and the surface is not
// locked.
bool LockDescribeRenderSurface(IDirectDrawSurface* Surface, DDSURFACEDESC& Description, TRenderSurface& Record);
// The same, discarding the description.
bool LockRenderSurface(IDirectDrawSurface* Surface, TRenderSurface& Record);
// Unlocks with the record's memory pointer; the result is ignored.
void UnlockRenderSurface(IDirectDrawSurface* Surface, const TRenderSurface& Record);

// Holds one surface locked from a successful Lock until Unlock or its end,
// so that a draw that raises still gives the surface back. Guards made one
// after another unlock in the reverse order.
class TRenderSurfaceLock {
 public:
  TRenderSurfaceLock() = default;
  ~TRenderSurfaceLock() { Unlock(); }
  TRenderSurfaceLock(const TRenderSurfaceLock&) = delete;
  TRenderSurfaceLock& operator=(const TRenderSurfaceLock&) = delete;

  // LockDescribeRenderSurface / LockRenderSurface; a guard that already holds
  // a lock unlocks it first.
  bool Lock(IDirectDrawSurface* Surface, DDSURFACEDESC& Description, TRenderSurface& Record);
  bool Lock(IDirectDrawSurface* Surface, TRenderSurface& Record);
  // UnlockRenderSurface; nothing when no lock is held.
  void Unlock();
  bool Locked() const { return FSurface != nullptr; }

 private:
  IDirectDrawSurface* FSurface = nullptr;
  const TRenderSurface* FRecord = nullptr;
};
