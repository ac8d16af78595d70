#include "render/RenderLock.h"

#include <algorithm>
#include <cstdint>

namespace {

constexpr DWORD IndexedFlags =
    DDPF_PALETTEINDEXED1 | DDPF_PALETTEINDEXED2 | DDPF_PALETTEINDEXED4 | DDPF_PALETTEINDEXED8;

// Whether the renderer can address the locked memory as described: every
// texel and destination address it forms stays inside Height rows of Pitch
// bytes.
bool DescribableLock(const DDSURFACEDESC& d) {
  const DWORD bc = d.ddpfPixelFormat.dwRGBBitCount;
  const bool indexed = (d.ddpfPixelFormat.dwFlags & IndexedFlags) != 0;
  if (!d.lpSurface) return false;
  if (indexed ? !(bc == 1 || bc == 2 || bc == 4 || bc == 8) : !(bc == 8 || bc == 16 || bc == 24 || bc == 32))
    return false;
  if (d.dwWidth > 0x7FFFFFFFu || d.dwHeight > 0x7FFFFFFFu) return false;
  const std::int64_t rowBytes = (std::int64_t{d.dwWidth} * bc + 7) / 8;
  const std::int64_t pitch = d.lPitch < 0 ? -std::int64_t{d.lPitch} : std::int64_t{d.lPitch};
  return d.dwHeight <= 1 || pitch >= rowBytes;
}

// The entries of the surface's palette, at most 256 and at most as many as
// the bit count can index; 0 without a palette.
int ReadSurfacePalette(IDirectDrawSurface* Surface, DWORD BitCount, PALETTEENTRY (&Entries)[256]) {
  IDirectDrawPalette* palette = nullptr;
  if (Surface->GetPalette(&palette) != DD_OK || !palette) return 0;
  DWORD caps = 0;
  int size = 0;
  if (palette->GetCaps(&caps) == DD_OK) {
    if (caps & DDPCAPS_8BIT)
      size = 256;
    else if (caps & DDPCAPS_4BIT)
      size = 16;
    else if (caps & DDPCAPS_2BIT)
      size = 4;
    else if (caps & DDPCAPS_1BIT)
      size = 2;
  }
  const int count = std::min(size, 1 << std::min<DWORD>(BitCount, 8));
  const bool read = count > 0 && palette->GetEntries(0, 0, static_cast<DWORD>(count), Entries) == DD_OK;
  palette->Release();
  return read ? count : 0;
}

}  // namespace

bool LockDescribeRenderSurface(IDirectDrawSurface* Surface, DDSURFACEDESC& Description, TRenderSurface& Record) {
  if (!Surface) return false;
  Description.dwSize = RenderSurfaceDescSize;
  if (Surface->Lock(nullptr, &Description, DDLOCK_WAIT, nullptr) != DD_OK) return false;
  if (!DescribableLock(Description)) {
    Surface->Unlock(Description.lpSurface);
    return false;
  }
  const DDSURFACEDESC& d = Description;
  const DDPIXELFORMAT& pf = d.ddpfPixelFormat;
  const LONG width = static_cast<LONG>(d.dwWidth), height = static_cast<LONG>(d.dwHeight);
  if (pf.dwFlags & IndexedFlags) {
    PALETTEENTRY entries[256] = {};
    const int count = ReadSurfacePalette(Surface, pf.dwRGBBitCount, entries);
    const DWORD indexMask = static_cast<DWORD>((std::uint64_t{1} << pf.dwRGBBitCount) - 1);
    InitIndexedSurface(Record, width, height, pf.dwRGBBitCount, d.lpSurface, d.lPitch, indexMask, 0, entries, count);
  } else {
    InitRGBSurface(Record, width, height, pf.dwRGBBitCount, d.lpSurface, d.lPitch, pf.dwRBitMask, pf.dwGBitMask,
                   pf.dwBBitMask, 0);
  }
  return true;
}

bool LockRenderSurface(IDirectDrawSurface* Surface, TRenderSurface& Record) {
  DDSURFACEDESC description;
  return LockDescribeRenderSurface(Surface, description, Record);
}

void UnlockRenderSurface(IDirectDrawSurface* Surface, const TRenderSurface& Record) {
  if (Surface) Surface->Unlock(Record.Bits);
}

bool TRenderSurfaceLock::Lock(IDirectDrawSurface* Surface, DDSURFACEDESC& Description, TRenderSurface& Record) {
  Unlock();
  if (!LockDescribeRenderSurface(Surface, Description, Record)) return false;
  FSurface = Surface;
  FRecord = &Record;
  return true;
}

bool TRenderSurfaceLock::Lock(IDirectDrawSurface* Surface, TRenderSurface& Record) {
  DDSURFACEDESC description;
  return Lock(Surface, description, Record);
}

void TRenderSurfaceLock::Unlock() {
  if (!FSurface) return;
  IDirectDrawSurface* surface = FSurface;
  FSurface = nullptr;
  UnlockRenderSurface(surface, *FRecord);
  FRecord = nullptr;
}
