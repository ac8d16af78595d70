#include "platform/ddraw/DDrawObject.h"

#include "platform/ddraw/DDrawClipper.h"
#include "platform/ddraw/DDrawDisplay.h"
#include "platform/ddraw/DDrawPalette.h"
#include "platform/ddraw/DDrawSurface.h"
#include "platform/ddraw/Direct3D.h"
#include "platform/win/Time.h"

namespace {

template <class TDesc>
TDDrawSurfaceRequest RequestFrom(const TDesc& d) {
  TDDrawSurfaceRequest r;
  r.Flags = d.dwFlags;
  r.Width = d.dwWidth;
  r.Height = d.dwHeight;
  r.BackBufferCount = d.dwBackBufferCount;
  r.ZBufferDepth = d.dwZBufferBitDepth;
  r.PixelFormat = d.ddpfPixelFormat;
  r.Caps = d.ddsCaps.dwCaps;
  r.SrcKey = d.ddckCKSrcBlt;
  r.DestKey = d.ddckCKDestBlt;
  return r;
}

// Fills a description of a display mode.
template <class TDesc>
void DescribeDisplayMode(const TDDrawMode& mode, TDesc& d) {
  d.dwFlags = DDSD_WIDTH | DDSD_HEIGHT | DDSD_PITCH | DDSD_PIXELFORMAT | DDSD_REFRESHRATE;
  d.dwWidth = static_cast<DWORD>(mode.Width);
  d.dwHeight = static_cast<DWORD>(mode.Height);
  d.lPitch = mode.Format.PitchFor(mode.Width);
  d.dwRefreshRate = TDDrawObject::RefreshRate;
  d.dwBackBufferCount = 0;
  d.dwZBufferBitDepth = 0;
  d.lpSurface = nullptr;
  d.ddckCKSrcBlt = DDCOLORKEY{};
  d.ddckCKDestBlt = DDCOLORKEY{};
  d.ddsCaps = {};
  mode.Format.Describe(d.ddpfPixelFormat);
}

void FillCaps(DDCAPS& caps, bool driver) {
  TDDrawDisplay& display = TDDrawDisplay::Instance();
  caps.dwCaps = DDCAPS_BLT | DDCAPS_BLTSTRETCH | DDCAPS_BLTCOLORFILL | DDCAPS_COLORKEY | DDCAPS_CANCLIP |
                DDCAPS_CANCLIPSTRETCHED | DDCAPS_CANBLTSYSMEM | DDCAPS_PALETTE;
  caps.dwCaps2 = 0;
  caps.dwCKeyCaps = DDCKEYCAPS_SRCBLT;
  caps.dwFXCaps = DDFXCAPS_BLTMIRRORLEFTRIGHT | DDFXCAPS_BLTMIRRORUPDOWN;
  caps.dwPalCaps =
      DDPCAPS_1BIT | DDPCAPS_2BIT | DDPCAPS_4BIT | DDPCAPS_8BIT | DDPCAPS_PRIMARYSURFACE | DDPCAPS_ALLOW256;
  caps.ddsCaps.dwCaps = DDSCAPS_BACKBUFFER | DDSCAPS_COMPLEX | DDSCAPS_FLIP | DDSCAPS_FRONTBUFFER |
                        DDSCAPS_OFFSCREENPLAIN | DDSCAPS_PALETTE | DDSCAPS_PRIMARYSURFACE | DDSCAPS_SYSTEMMEMORY |
                        DDSCAPS_ZBUFFER | (driver ? DDSCAPS_VIDEOMEMORY | DDSCAPS_LOCALVIDMEM : 0);
  caps.dwVidMemTotal = driver ? display.VideoMemoryTotal() : 0;
  caps.dwVidMemFree = driver ? display.VideoMemoryFree() : 0;
}

// The vertical blank begins at every 60 Hz boundary of the clock.
std::int64_t Boundary(std::int64_t k) { return k * 1000000 / TDDrawObject::RefreshRate; }

std::int64_t NextBoundaryAfter(std::int64_t now) {
  std::int64_t k = now * TDDrawObject::RefreshRate / 1000000;
  while (Boundary(k) <= now) ++k;
  return Boundary(k);
}

std::int64_t LastBoundaryAtOrBefore(std::int64_t now) {
  std::int64_t k = now * TDDrawObject::RefreshRate / 1000000;
  while (Boundary(k) > now) --k;
  while (Boundary(k + 1) <= now) ++k;
  return Boundary(k);
}

}  // namespace

TDDrawObject::~TDDrawObject() {
  TDDrawDisplay& display = TDDrawDisplay::Instance();
  if (display.ExclusiveOwner == this) display.ExclusiveOwner = nullptr;
  // A mode this object set ends with it.
  if (display.ModeOwner == this) display.ChangeMode(nullptr, nullptr);
}

HRESULT TDDrawObject::QueryInterface(REFIID iid, void** object) {
  if (!object) return E_POINTER;
  *object = nullptr;
  if (iid == IID_IUnknown || iid == IID_IDirectDraw)
    *object = static_cast<IDirectDraw*>(this);
  else if (iid == IID_IDirectDraw4)
    *object = static_cast<IDirectDraw4*>(this);
  else if (iid == IID_IDirectDraw7)
    *object = static_cast<IDirectDraw7*>(this);
  else
    return TDirect3D::QueryFrom(static_cast<IDirectDraw*>(this), iid, object);
  AddRef();
  return S_OK;
}

HRESULT TDDrawObject::CreateClipper(DWORD flags, IDirectDrawClipper** clipper, IUnknown* outer) {
  if (!clipper) return DDERR_INVALIDPARAMS;
  *clipper = nullptr;
  if (flags != 0 || outer) return DDERR_INVALIDPARAMS;
  *clipper = new TDDrawClipper;
  return DD_OK;
}

HRESULT TDDrawObject::CreatePalette(DWORD flags, PALETTEENTRY* entries, IDirectDrawPalette** palette, IUnknown* outer) {
  if (!palette) return DDERR_INVALIDPARAMS;
  *palette = nullptr;
  if (outer) return DDERR_INVALIDPARAMS;
  TDDrawPalette* p = nullptr;
  HRESULT hr = TDDrawPalette::Create(flags, entries, &p);
  *palette = p;
  return hr;
}

template <class TDesc>
HRESULT TDDrawObject::CreateSurfaceFrom(const TDesc* desc, TDDrawSurface** surface, IUnknown* outer) {
  *surface = nullptr;
  if (!desc || outer) return DDERR_INVALIDPARAMS;
  return TDDrawSurface::Create(this, RequestFrom(*desc), surface);
}

HRESULT TDDrawObject::CreateSurface(DDSURFACEDESC* desc, IDirectDrawSurface** surface, IUnknown* outer) {
  if (!surface) return DDERR_INVALIDPARAMS;
  TDDrawSurface* s = nullptr;
  HRESULT hr = CreateSurfaceFrom(desc, &s, outer);
  *surface = s;
  return hr;
}

HRESULT TDDrawObject::CreateSurface(DDSURFACEDESC2* desc, IDirectDrawSurface4** surface, IUnknown* outer) {
  if (!surface) return DDERR_INVALIDPARAMS;
  TDDrawSurface* s = nullptr;
  HRESULT hr = CreateSurfaceFrom(desc, &s, outer);
  *surface = s;
  return hr;
}

HRESULT TDDrawObject::CreateSurface(DDSURFACEDESC2* desc, IDirectDrawSurface7** surface, IUnknown* outer) {
  if (!surface) return DDERR_INVALIDPARAMS;
  TDDrawSurface* s = nullptr;
  HRESULT hr = CreateSurfaceFrom(desc, &s, outer);
  *surface = s;
  return hr;
}

HRESULT TDDrawObject::DuplicateSurface(IDirectDrawSurface* original, IDirectDrawSurface** duplicate) {
  if (!duplicate) return DDERR_INVALIDPARAMS;
  TDDrawSurface* d = nullptr;
  HRESULT hr = TDDrawSurface::Duplicate(this, TDDrawSurface::Of(original), &d);
  *duplicate = d;
  return hr;
}

HRESULT TDDrawObject::DuplicateSurface(IDirectDrawSurface4* original, IDirectDrawSurface4** duplicate) {
  if (!duplicate) return DDERR_INVALIDPARAMS;
  TDDrawSurface* d = nullptr;
  HRESULT hr = TDDrawSurface::Duplicate(this, TDDrawSurface::Of(original), &d);
  *duplicate = d;
  return hr;
}

HRESULT TDDrawObject::DuplicateSurface(IDirectDrawSurface7* original, IDirectDrawSurface7** duplicate) {
  if (!duplicate) return DDERR_INVALIDPARAMS;
  TDDrawSurface* d = nullptr;
  HRESULT hr = TDDrawSurface::Duplicate(this, TDDrawSurface::Of(original), &d);
  *duplicate = d;
  return hr;
}

template <class TDesc>
HRESULT TDDrawObject::EnumModes(DWORD flags, const TDesc* filter, void* context, HRESULT (*callback)(TDesc*, void*)) {
  if (!callback || (flags & ~(DDEDM_REFRESHRATES | DDEDM_STANDARDVGAMODES))) return DDERR_INVALIDPARAMS;
  // A copy: the callback may change the list or the mode.
  std::vector<TEmulatedDisplayMode> modes = EmulatedDisplayModes();
  for (const TEmulatedDisplayMode& m : modes) {
    if (filter) {
      if ((filter->dwFlags & DDSD_WIDTH) && filter->dwWidth != m.Width) continue;
      if ((filter->dwFlags & DDSD_HEIGHT) && filter->dwHeight != m.Height) continue;
      if ((filter->dwFlags & DDSD_PIXELFORMAT) && filter->ddpfPixelFormat.dwRGBBitCount != m.BitCount) continue;
      if ((filter->dwFlags & DDSD_REFRESHRATE) && filter->dwRefreshRate != 0 && filter->dwRefreshRate != RefreshRate)
        continue;
    }
    TDesc desc{};
    desc.dwSize = filter ? filter->dwSize : 0;
    DescribeDisplayMode(
        TDDrawMode{static_cast<LONG>(m.Width), static_cast<LONG>(m.Height), TDDrawDisplay::FormatOfMode(m)}, desc);
    if (callback(&desc, context) == DDENUMRET_CANCEL) break;
  }
  return DD_OK;
}

HRESULT TDDrawObject::EnumDisplayModes(DWORD flags, DDSURFACEDESC* filter, void* context,
                                       LPDDENUMMODESCALLBACK callback) {
  return EnumModes(flags, filter, context, callback);
}

HRESULT TDDrawObject::EnumDisplayModes(DWORD flags, DDSURFACEDESC2* filter, void* context,
                                       LPDDENUMMODESCALLBACK2 callback) {
  return EnumModes(flags, filter, context, callback);
}

HRESULT TDDrawObject::FlipToGDISurface() {
  if (FPrimary) FPrimary->FlipToGdi();
  return DD_OK;
}

HRESULT TDDrawObject::GetCaps(DDCAPS* driverCaps, DDCAPS* emulationCaps) {
  if (!driverCaps && !emulationCaps) return DDERR_INVALIDPARAMS;
  if (driverCaps) FillCaps(*driverCaps, true);
  if (emulationCaps) FillCaps(*emulationCaps, false);
  return DD_OK;
}

template <class TDesc>
HRESULT TDDrawObject::DescribeMode(TDesc* desc) {
  if (!desc) return DDERR_INVALIDPARAMS;
  DescribeDisplayMode(TDDrawDisplay::Instance().CurrentMode(), *desc);
  return DD_OK;
}

HRESULT TDDrawObject::GetDisplayMode(DDSURFACEDESC* desc) { return DescribeMode(desc); }
HRESULT TDDrawObject::GetDisplayMode(DDSURFACEDESC2* desc) { return DescribeMode(desc); }

HRESULT TDDrawObject::RestoreDisplayMode() {
  TDDrawDisplay& display = TDDrawDisplay::Instance();
  if (display.ExclusiveOwner && display.ExclusiveOwner != this) return DDERR_NOEXCLUSIVEMODE;
  if (display.ModeOwner == this) display.ChangeMode(nullptr, nullptr);
  return DD_OK;
}

HRESULT TDDrawObject::SetCooperativeLevel(HWND hWnd, DWORD flags) {
  const DWORD known =
      DDSCL_FULLSCREEN | DDSCL_ALLOWREBOOT | DDSCL_NOWINDOWCHANGES | DDSCL_NORMAL | DDSCL_EXCLUSIVE | DDSCL_ALLOWMODEX;
  if (flags & ~known) return DDERR_INVALIDPARAMS;
  const bool normal = flags & DDSCL_NORMAL;
  const bool exclusive = flags & DDSCL_EXCLUSIVE;
  const bool fullScreen = flags & DDSCL_FULLSCREEN;
  if (normal == exclusive) return DDERR_INVALIDPARAMS;
  if (exclusive && (!fullScreen || !hWnd)) return DDERR_INVALIDPARAMS;
  if (normal && (fullScreen || (flags & DDSCL_ALLOWMODEX))) return DDERR_INVALIDPARAMS;
  TDDrawDisplay& display = TDDrawDisplay::Instance();
  if (exclusive) {
    if (display.ExclusiveOwner && display.ExclusiveOwner != this) return DDERR_EXCLUSIVEMODEALREADYSET;
    display.ExclusiveOwner = this;
  } else if (display.ExclusiveOwner == this) {
    display.ExclusiveOwner = nullptr;
  }
  FCooperativeFlags = flags;
  FCooperativeWindow = hWnd;
  return DD_OK;
}

HRESULT TDDrawObject::WaitForVerticalBlank(DWORD flags, HANDLE) {
  std::int64_t now = ClockMicroseconds();
  switch (flags) {
    case DDWAITVB_BLOCKBEGIN: SleepUntilMicroseconds(NextBoundaryAfter(now)); return DD_OK;
    case DDWAITVB_BLOCKEND: {
      // Inside a blank: wait for its end; else for the end of the next one.
      std::int64_t last = LastBoundaryAtOrBefore(now);
      std::int64_t end =
          now < last + BlankMicroseconds ? last + BlankMicroseconds : NextBoundaryAfter(now) + BlankMicroseconds;
      SleepUntilMicroseconds(end);
      return DD_OK;
    }
    case DDWAITVB_BLOCKBEGINEVENT: return DDERR_UNSUPPORTED;
    default: return DDERR_INVALIDPARAMS;
  }
}

HRESULT TDDrawObject::SetDisplayMode(DWORD width, DWORD height, DWORD bitCount) {
  return SetDisplayMode(width, height, bitCount, 0, 0);
}

HRESULT TDDrawObject::SetDisplayMode(DWORD width, DWORD height, DWORD bitCount, DWORD refreshRate, DWORD flags) {
  if (flags & ~DWORD{1}) return DDERR_INVALIDPARAMS;  // only the standard VGA mode flag is known
  TDDrawDisplay& display = TDDrawDisplay::Instance();
  if (display.ExclusiveOwner && display.ExclusiveOwner != this) return DDERR_NOEXCLUSIVEMODE;
  TDDrawMode mode;
  if ((refreshRate != 0 && refreshRate != RefreshRate) || !display.FindMode(width, height, bitCount, mode))
    return DDERR_INVALIDMODE;
  if (!(mode == display.CurrentMode()) && display.AnySurfaceLocked()) return DDERR_LOCKEDSURFACES;
  display.ChangeMode(&mode, this);
  return DD_OK;
}
