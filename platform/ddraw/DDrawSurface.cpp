#include "platform/ddraw/DDrawSurface.h"

#include <algorithm>
#include <utility>

#include "platform/ddraw/DDrawClipper.h"
#include "platform/ddraw/DDrawObject.h"
#include "platform/ddraw/DDrawPalette.h"
#include "platform/win/Gdi.h"
#include "platform/win/Window.h"

namespace {

constexpr LONG MaxSide = 16384;
constexpr std::int64_t MaxBytes = std::int64_t{256} << 20;
constexpr DWORD MaxBackBuffers = 8;

HRESULT MakeMemory(const TDDrawPixelFormat& format, LONG width, LONG height, DWORD zDepth,
                   std::shared_ptr<TDDrawSurfaceMemory>& out) {
  if (width <= 0 || height <= 0) return DDERR_INVALIDPARAMS;
  if (width > MaxSide || height > MaxSide) return DDERR_TOOBIGSIZE;
  auto m = std::make_shared<TDDrawSurfaceMemory>();
  m->Format = format;
  m->Width = width;
  m->Height = height;
  m->ZBufferDepth = zDepth;
  m->CreatedIn = TDDrawDisplay::Instance().CurrentMode();
  if (zDepth) {
    m->Pitch = (width * static_cast<LONG>(zDepth) / 8 + 3) / 4 * 4;
  } else {
    m->Pitch = format.PitchFor(width);
    std::int64_t bytes = static_cast<std::int64_t>(m->Pitch) * height;
    if (m->Pitch <= 0 || bytes > MaxBytes) return DDERR_TOOBIGSIZE;
    m->Bits.assign(static_cast<size_t>(bytes), 0);
  }
  out = std::move(m);
  return DD_OK;
}

bool ChargeVideo(TDDrawSurfaceMemory& m) {
  DWORD bytes = static_cast<DWORD>(static_cast<std::int64_t>(m.Pitch) * m.Height);
  if (!TDDrawDisplay::Instance().ChargeVideoMemory(bytes)) return false;
  m.VideoMemory = true;
  m.Charged = bytes;
  return true;
}

}  // namespace

TDDrawSurfaceMemory::~TDDrawSurfaceMemory() {
  if (ShownInPlaceBy) ShownInPlaceBy->EndInPlace(this, nullptr, nullptr);
  if (Charged) TDDrawDisplay::Instance().RefundVideoMemory(Charged);
}

TDDrawSurface::TDDrawSurface(TDDrawObject* owner) : FOwner(owner) {
  FOwner->AddRef();
  TDDrawDisplay::Instance().AddSurface(this);
}

TDDrawSurface::~TDDrawSurface() {
  if (FPalette) FPalette->Release();
  if (FClipper) FClipper->Release();
  if (FZBuffer) FZBuffer->Release();
  if (FChain && FChain->Members.front() == this) {
    // The front owns the back buffers made with it.
    std::vector<TDDrawSurface*> backs(FChain->Members.begin() + 1, FChain->Members.end());
    FChain.reset();
    for (TDDrawSurface* back : backs) {
      back->FChain.reset();
      back->Release();
    }
  }
  if (FOwner->Primary() == this) FOwner->SetPrimary(nullptr);
  TDDrawDisplay::Instance().RemoveSurface(this);
  ReleaseOwnDC();
  FMemory.reset();
  FOwner->Release();
}

HRESULT TDDrawSurface::Create(TDDrawObject* owner, const TDDrawSurfaceRequest& rq, TDDrawSurface** surface) {
  *surface = nullptr;
  TDDrawDisplay& display = TDDrawDisplay::Instance();
  DWORD caps = (rq.Flags & DDSD_CAPS) ? rq.Caps : 0;
  const bool primary = caps & DDSCAPS_PRIMARYSURFACE;
  const bool flip = caps & DDSCAPS_FLIP;
  const bool zBuffer = caps & DDSCAPS_ZBUFFER;
  if (caps & (DDSCAPS_BACKBUFFER | DDSCAPS_FRONTBUFFER)) return DDERR_INVALIDCAPS;
  if ((caps & DDSCAPS_SYSTEMMEMORY) && (caps & DDSCAPS_VIDEOMEMORY)) return DDERR_INVALIDCAPS;

  DWORD backCount = 0;
  if (flip) {
    if (!(caps & DDSCAPS_COMPLEX) || zBuffer || (caps & DDSCAPS_SYSTEMMEMORY)) return DDERR_INVALIDCAPS;
    if (!(rq.Flags & DDSD_BACKBUFFERCOUNT) || rq.BackBufferCount == 0 || rq.BackBufferCount > MaxBackBuffers)
      return DDERR_INVALIDPARAMS;
    backCount = rq.BackBufferCount;
  }

  TDDrawPixelFormat format;
  LONG width = 0, height = 0;
  DWORD zDepth = 0;
  if (primary) {
    if (rq.Flags & (DDSD_WIDTH | DDSD_HEIGHT | DDSD_PIXELFORMAT)) return DDERR_INVALIDPARAMS;
    if (caps & (DDSCAPS_SYSTEMMEMORY | DDSCAPS_ZBUFFER)) return DDERR_INVALIDCAPS;
    if (owner->CooperativeFlags() == 0) return DDERR_NOCOOPERATIVELEVELSET;
    if (owner->Primary()) return DDERR_PRIMARYSURFACEALREADYEXISTS;
    if (flip && !owner->Exclusive()) return DDERR_NOEXCLUSIVEMODE;
    TDDrawMode mode = display.CurrentMode();
    format = mode.Format;
    width = mode.Width;
    height = mode.Height;
  } else {
    if (!(rq.Flags & DDSD_WIDTH) || !(rq.Flags & DDSD_HEIGHT) || rq.Width == 0 || rq.Height == 0)
      return DDERR_INVALIDPARAMS;
    if (rq.Width > static_cast<DWORD>(MaxSide) || rq.Height > static_cast<DWORD>(MaxSide)) return DDERR_TOOBIGSIZE;
    width = static_cast<LONG>(rq.Width);
    height = static_cast<LONG>(rq.Height);
    format = display.CurrentMode().Format;
    if (zBuffer) {
      if (rq.Flags & DDSD_ZBUFFERBITDEPTH)
        zDepth = rq.ZBufferDepth;
      else if ((rq.Flags & DDSD_PIXELFORMAT) && (rq.PixelFormat.dwFlags & DDPF_ZBUFFER))
        zDepth = rq.PixelFormat.dwRGBBitCount;
      if (zDepth != 16 && zDepth != 24 && zDepth != 32) return DDERR_INVALIDPIXELFORMAT;
    } else if (rq.Flags & DDSD_PIXELFORMAT) {
      if (!TDDrawPixelFormat::FromDescription(rq.PixelFormat, format)) return DDERR_INVALIDPIXELFORMAT;
    }
  }

  std::vector<std::shared_ptr<TDDrawSurfaceMemory>> memories(1 + backCount);
  for (auto& m : memories) {
    HRESULT hr = MakeMemory(format, width, height, zDepth, m);
    if (FAILED(hr)) return hr;
  }

  // The primary is the screen and takes no budget; its back buffers do.
  // Other surfaces go to video memory unless system memory was asked for,
  // and fall back to system memory when the budget is spent, unless video
  // memory was asked for or they flip.
  if (primary) {
    memories[0]->VideoMemory = true;
    for (size_t i = 1; i < memories.size(); ++i)
      if (!ChargeVideo(*memories[i])) return DDERR_OUTOFVIDEOMEMORY;
  } else if (!(caps & DDSCAPS_SYSTEMMEMORY)) {
    bool placed = true;
    for (auto& m : memories) placed = placed && ChargeVideo(*m);
    if (!placed) {
      if ((caps & DDSCAPS_VIDEOMEMORY) || flip) return DDERR_OUTOFVIDEOMEMORY;
      for (auto& m : memories) {
        display.RefundVideoMemory(m->Charged);
        m->Charged = 0;
        m->VideoMemory = false;
      }
    }
  }

  const DWORD placement = memories[0]->VideoMemory ? (DDSCAPS_VIDEOMEMORY | DDSCAPS_LOCALVIDMEM) : DDSCAPS_SYSTEMMEMORY;
  DWORD base = caps & ~(DDSCAPS_SYSTEMMEMORY | DDSCAPS_VIDEOMEMORY | DDSCAPS_LOCALVIDMEM);
  if (!(base & (DDSCAPS_PRIMARYSURFACE | DDSCAPS_ZBUFFER | DDSCAPS_OFFSCREENPLAIN | DDSCAPS_TEXTURE | DDSCAPS_3DDEVICE |
                DDSCAPS_FLIP)))
    base |= DDSCAPS_OFFSCREENPLAIN;

  auto* front = new TDDrawSurface(owner);
  front->FMemory = memories[0];
  front->FCaps = base | placement | (primary ? DDSCAPS_VISIBLE : 0) | (flip ? DDSCAPS_FRONTBUFFER : 0);
  if (rq.Flags & DDSD_CKSRCBLT) {
    front->FHasSrcKey = true;
    front->FSrcKey = rq.SrcKey;
  }
  if (rq.Flags & DDSD_CKDESTBLT) {
    front->FHasDestKey = true;
    front->FDestKey = rq.DestKey;
  }
  if (flip) {
    auto chain = std::make_shared<TDDrawFlipChain>();
    chain->Members.push_back(front);
    chain->GdiMemory = memories[0];
    for (size_t i = 1; i < memories.size(); ++i) {
      auto* back = new TDDrawSurface(owner);
      back->FMemory = memories[i];
      back->FCaps = (base & ~(DDSCAPS_PRIMARYSURFACE | DDSCAPS_VISIBLE)) | (i == 1 ? DDSCAPS_BACKBUFFER : 0) |
                    placement | DDSCAPS_FLIP | DDSCAPS_COMPLEX;
      back->FChain = chain;
      chain->Members.push_back(back);
    }
    front->FChain = chain;
    front->FBackBufferCount = backCount;
  }
  if (primary) owner->SetPrimary(front);
  *surface = front;
  return DD_OK;
}

HRESULT TDDrawSurface::Duplicate(TDDrawObject* owner, TDDrawSurface* original, TDDrawSurface** duplicate) {
  if (!original || !duplicate) return DDERR_INVALIDPARAMS;
  *duplicate = nullptr;
  if (original->IsPrimary() || original->FChain || original->FMemory->ZBufferDepth) return DDERR_CANTDUPLICATE;
  auto* d = new TDDrawSurface(owner);
  d->FMemory = original->FMemory;
  d->FCaps = original->FCaps;
  d->FHasSrcKey = original->FHasSrcKey;
  d->FSrcKey = original->FSrcKey;
  d->FHasDestKey = original->FHasDestKey;
  d->FDestKey = original->FDestKey;
  d->FPalette = original->FPalette;
  if (d->FPalette) d->FPalette->AddRef();
  *duplicate = d;
  return DD_OK;
}

HRESULT TDDrawSurface::QueryInterface(REFIID iid, void** object) {
  if (!object) return E_POINTER;
  *object = nullptr;
  if (iid == IID_IUnknown || iid == IID_IDirectDrawSurface)
    *object = static_cast<IDirectDrawSurface*>(this);
  else if (iid == IID_IDirectDrawSurface4)
    *object = static_cast<IDirectDrawSurface4*>(this);
  else if (iid == IID_IDirectDrawSurface7)
    *object = static_cast<IDirectDrawSurface7*>(this);
  else
    return E_NOINTERFACE;  // the gamma control among others
  AddRef();
  return S_OK;
}

template <class TDesc>
HRESULT TDDrawSurface::DescribeInto(TDesc* desc, BYTE* surfacePointer) const {
  if (!desc) return DDERR_INVALIDPARAMS;
  const TDDrawSurfaceMemory& m = *FMemory;
  desc->dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT | DDSD_PITCH | DDSD_PIXELFORMAT;
  desc->dwWidth = static_cast<DWORD>(m.Width);
  desc->dwHeight = static_cast<DWORD>(m.Height);
  desc->lPitch = m.Pitch;
  desc->ddsCaps = {};
  desc->ddsCaps.dwCaps = FCaps;
  desc->dwBackBufferCount = FBackBufferCount;
  if (FBackBufferCount) desc->dwFlags |= DDSD_BACKBUFFERCOUNT;
  desc->dwZBufferBitDepth = m.ZBufferDepth;
  if (m.ZBufferDepth) {
    desc->dwFlags |= DDSD_ZBUFFERBITDEPTH;
    desc->ddpfPixelFormat.dwFlags = DDPF_ZBUFFER;
    desc->ddpfPixelFormat.dwFourCC = 0;
    desc->ddpfPixelFormat.dwRGBBitCount = m.ZBufferDepth;
    desc->ddpfPixelFormat.dwRBitMask = desc->ddpfPixelFormat.dwGBitMask = desc->ddpfPixelFormat.dwBBitMask = 0;
    desc->ddpfPixelFormat.dwRGBAlphaBitMask = 0;
  } else {
    m.Format.Describe(desc->ddpfPixelFormat);
  }
  desc->ddckCKSrcBlt = FHasSrcKey ? FSrcKey : DDCOLORKEY{};
  if (FHasSrcKey) desc->dwFlags |= DDSD_CKSRCBLT;
  desc->ddckCKDestBlt = FHasDestKey ? FDestKey : DDCOLORKEY{};
  if (FHasDestKey) desc->dwFlags |= DDSD_CKDESTBLT;
  desc->dwRefreshRate = 0;
  desc->lpSurface = surfacePointer;
  if (surfacePointer) desc->dwFlags |= DDSD_LPSURFACE;
  return DD_OK;
}

template <class TDesc>
HRESULT TDDrawSurface::DoLock(RECT* rect, TDesc* desc, DWORD flags, HANDLE) {
  const DWORD known = DDLOCK_WAIT | DDLOCK_READONLY | DDLOCK_WRITEONLY | DDLOCK_NOSYSLOCK | DDLOCK_DONOTWAIT;
  if (!desc || (flags & ~known)) return DDERR_INVALIDPARAMS;
  TDDrawSurfaceMemory& m = *FMemory;
  if (m.ZBufferDepth) return DDERR_UNSUPPORTED;
  if (m.Lost) return DDERR_SURFACELOST;
  // The lock is held on this thread, so waiting could not end it.
  if (m.Busy()) return DDERR_SURFACEBUSY;
  RECT r = rect ? *rect : m.Bounds();
  if (RectIsEmpty(r) || !RectInside(r, m.Bounds())) return DDERR_INVALIDRECT;
  // What is written through the lock shows at the unlock, however much
  // happens in between.
  if (!(flags & DDLOCK_READONLY)) BeforeChange(m, false);
  BYTE* p = m.Bits.data() + static_cast<std::ptrdiff_t>(r.top) * m.Pitch +
            static_cast<std::ptrdiff_t>(r.left) * m.Format.BitCount / 8;
  m.Locked = true;
  m.LockRect = r;
  m.LockPointer = p;
  return DescribeInto(desc, p);
}

HRESULT TDDrawSurface::Unlock(void* locked) {
  TDDrawSurfaceMemory& m = *FMemory;
  if (!m.Locked) return DDERR_NOTLOCKED;
  if (locked && locked != m.LockPointer) return DDERR_INVALIDPARAMS;
  return DoUnlock();
}

HRESULT TDDrawSurface::Unlock(RECT* locked) {
  TDDrawSurfaceMemory& m = *FMemory;
  if (!m.Locked) return DDERR_NOTLOCKED;
  if (locked && !(*locked == m.LockRect)) return DDERR_INVALIDRECT;
  return DoUnlock();
}

HRESULT TDDrawSurface::DoUnlock() {
  TDDrawSurfaceMemory& m = *FMemory;
  RECT area = m.LockRect;
  m.Locked = false;
  m.LockPointer = nullptr;
  Present(area);
  return DD_OK;
}

HRESULT TDDrawSurface::CopyPixels(TDDrawSurface* source, const RECT& dest, const RECT& src, const RECT& clip,
                                  bool keyed, bool mirrorLeftRight, bool mirrorUpDown) {
  TDDrawSurfaceMemory& dm = *FMemory;
  TDDrawSurfaceMemory& sm = *source->FMemory;
  if (!(dm.Format == sm.Format)) return DDERR_INVALIDPIXELFORMAT;
  if (keyed && !source->FHasSrcKey) return DDERR_COLORKEYNOTSET;
  // Nothing of the destination shows through the clip: no pixel to move.
  const RECT area = IntersectRects(dest, clip);
  if (RectIsEmpty(area)) return DD_OK;
  TDDrawPixels sp = sm.Pixels();
  RECT from = src;
  std::vector<BYTE> copy;
  if (&dm == &sm) {
    // One memory on both sides: read from a copy of the source rows so that
    // overlapping rectangles come out as if the source had been taken first.
    const BYTE* first = sp.Bits + static_cast<std::ptrdiff_t>(src.top) * sm.Pitch;
    copy.assign(first, first + static_cast<std::ptrdiff_t>(src.bottom - src.top) * sm.Pitch);
    sp.Bits = copy.data();
    sp.Height = src.bottom - src.top;
    from.top = 0;
    from.bottom = sp.Height;
  }
  TDDrawBlit blit;
  blit.Dest = dest;
  blit.Source = from;
  blit.Clip = clip;
  blit.MirrorLeftRight = mirrorLeftRight;
  blit.MirrorUpDown = mirrorUpDown;
  blit.Keyed = keyed;
  if (keyed) {
    blit.KeyLow = source->FSrcKey.dwColorSpaceLowValue;
    blit.KeyHigh = source->FSrcKey.dwColorSpaceHighValue;
  }
  BeforeChange(dm, true);
  BlitPixels(dm.Pixels(), sp, blit);
  Present(area);
  return DD_OK;
}

HRESULT TDDrawSurface::DoBlt(RECT* destRect, TDDrawSurface* source, RECT* sourceRect, DWORD flags, DDBLTFX* fx) {
  const DWORD known = DDBLT_ASYNC | DDBLT_COLORFILL | DDBLT_DDFX | DDBLT_KEYSRC | DDBLT_WAIT | DDBLT_DONOTWAIT;
  if (flags & ~known) return DDERR_INVALIDPARAMS;
  if ((flags & (DDBLT_COLORFILL | DDBLT_DDFX)) && !fx) return DDERR_INVALIDPARAMS;
  TDDrawSurfaceMemory& dm = *FMemory;
  if (dm.ZBufferDepth) return DDERR_UNSUPPORTED;
  if (dm.Lost) return DDERR_SURFACELOST;
  if (dm.Busy()) return DDERR_SURFACEBUSY;

  RECT dest = destRect ? *destRect : dm.Bounds();
  if (RectIsEmpty(dest)) return DDERR_INVALIDRECT;
  RECT clip = dm.Bounds();
  if (FClipper) {
    // Through a clipper the destination may reach past the surface; only
    // what lies inside both the surface and the clip list is drawn.
    RECT list;
    if (!FClipper->ClipRect(list)) return DDERR_NOCLIPLIST;
    clip = IntersectRects(clip, list);
  } else if (!RectInside(dest, dm.Bounds())) {
    return DDERR_INVALIDRECT;
  }

  if (flags & DDBLT_COLORFILL) {
    RECT area = IntersectRects(dest, clip);
    if (!RectIsEmpty(area)) {
      BeforeChange(dm, true);
      FillPixels(dm.Pixels(), area, fx->dwFillColor);
    }
    Present(area);
    return DD_OK;
  }

  if (!source) return DDERR_INVALIDPARAMS;
  TDDrawSurfaceMemory& sm = *source->FMemory;
  if (sm.ZBufferDepth) return DDERR_UNSUPPORTED;
  if (sm.Lost) return DDERR_SURFACELOST;
  if (sm.Busy()) return DDERR_SURFACEBUSY;
  RECT src = sourceRect ? *sourceRect : sm.Bounds();
  if (RectIsEmpty(src) || !RectInside(src, sm.Bounds())) return DDERR_INVALIDRECT;

  bool mirrorLeftRight = false, mirrorUpDown = false;
  if (flags & DDBLT_DDFX) {
    if (fx->dwDDFX & ~(DDBLTFX_MIRRORLEFTRIGHT | DDBLTFX_MIRRORUPDOWN)) return DDERR_UNSUPPORTED;
    mirrorLeftRight = fx->dwDDFX & DDBLTFX_MIRRORLEFTRIGHT;
    mirrorUpDown = fx->dwDDFX & DDBLTFX_MIRRORUPDOWN;
  }
  return CopyPixels(source, dest, src, clip, (flags & DDBLT_KEYSRC) != 0, mirrorLeftRight, mirrorUpDown);
}

HRESULT TDDrawSurface::DoBltFast(DWORD x, DWORD y, TDDrawSurface* source, RECT* sourceRect, DWORD flags) {
  const DWORD known = DDBLTFAST_SRCCOLORKEY | DDBLTFAST_WAIT | DDBLTFAST_DONOTWAIT;
  if (flags & ~known) return DDERR_INVALIDPARAMS;
  if (FClipper) return DDERR_BLTFASTCANTCLIP;
  if (!source) return DDERR_INVALIDPARAMS;
  TDDrawSurfaceMemory& dm = *FMemory;
  TDDrawSurfaceMemory& sm = *source->FMemory;
  if (dm.ZBufferDepth || sm.ZBufferDepth) return DDERR_UNSUPPORTED;
  if (dm.Lost || sm.Lost) return DDERR_SURFACELOST;
  if (dm.Busy() || sm.Busy()) return DDERR_SURFACEBUSY;
  RECT src = sourceRect ? *sourceRect : sm.Bounds();
  if (RectIsEmpty(src) || !RectInside(src, sm.Bounds())) return DDERR_INVALIDRECT;
  if (x > static_cast<DWORD>(dm.Width) || y > static_cast<DWORD>(dm.Height)) return DDERR_INVALIDRECT;
  RECT dest{static_cast<LONG>(x), static_cast<LONG>(y), static_cast<LONG>(x) + (src.right - src.left),
            static_cast<LONG>(y) + (src.bottom - src.top)};
  if (!RectInside(dest, dm.Bounds())) return DDERR_INVALIDRECT;
  return CopyPixels(source, dest, src, dm.Bounds(), (flags & DDBLTFAST_SRCCOLORKEY) != 0, false, false);
}

HWND TDDrawSurface::PresentationWindow() const {
  if (FClipper && FClipper->Window()) return FClipper->Window();
  if (FOwner->Exclusive()) return FOwner->CooperativeWindow();
  return nullptr;
}

namespace {

// The client area of Window in screen coordinates.
bool ClientOnScreen(HWND window, RECT& onScreen) {
  RECT client;
  POINT origin{0, 0};
  if (!::GetClientRect(window, &client) || !::ClientToScreen(window, &origin)) return false;
  onScreen = RECT{origin.x + client.left, origin.y + client.top, origin.x + client.right, origin.y + client.bottom};
  return true;
}

}  // namespace

const BYTE* TDDrawSurface::InPlaceBits(const TDDrawSurfaceMemory& m, const RECT& onScreen) {
  if (!(m.Format == TDDrawPixelFormat::Xrgb32()) || m.ZBufferDepth || RectIsEmpty(onScreen) ||
      !RectInside(onScreen, m.Bounds()))
    return nullptr;
  return m.Bits.data() + static_cast<std::ptrdiff_t>(onScreen.top) * m.Pitch +
         static_cast<std::ptrdiff_t>(onScreen.left) * 4;
}

void TDDrawSurface::BeforeChange(TDDrawSurfaceMemory& m, bool presented) const {
  TWindowBackend* backend = m.ShownInPlaceBy;
  if (!backend) return;
  HWND keep = nullptr;
  const BYTE* keepBits = nullptr;
  RECT onScreen;
  if (presented && IsPrimary() && FMemory.get() == &m && backend == WindowBackend() && (keep = PresentationWindow()) &&
      ClientOnScreen(keep, onScreen))
    keepBits = InPlaceBits(m, onScreen);
  if (!keepBits) keep = nullptr;
  backend->EndInPlace(&m, keep, keepBits);
  if (!keep) m.ShownInPlaceBy = nullptr;
}

void TDDrawSurface::Present(const RECT& area) const {
  if (!IsPrimary() || !WindowBackend()) return;
  HWND window = PresentationWindow();
  if (!window) return;
  RECT onScreen;
  if (!ClientOnScreen(window, onScreen)) return;
  TDDrawSurfaceMemory& m = *FMemory;
  RECT shown = IntersectRects(IntersectRects(area, onScreen), m.Bounds());
  if (RectIsEmpty(shown)) return;
  POINT topLeft{shown.left, shown.top};
  if (!::ScreenToClient(window, &topLeft)) return;
  const LONG w = shown.right - shown.left, h = shown.bottom - shown.top;
  // The window paints the pixels where they lie when it can: no copy at all.
  if (const BYTE* bits = InPlaceBits(m, onScreen)) {
    if (WindowBackend()->PresentInPlace(window, RECT{topLeft.x, topLeft.y, topLeft.x + w, topLeft.y + h}, bits,
                                        onScreen.right - onScreen.left, onScreen.bottom - onScreen.top, m.Pitch, &m)) {
      // Another backend that showed them before ends that first.
      if (m.ShownInPlaceBy && m.ShownInPlaceBy != WindowBackend()) m.ShownInPlaceBy->EndInPlace(&m, nullptr, nullptr);
      m.ShownInPlaceBy = WindowBackend();
      return;
    }
  }
  // Else the pixels go from the surface's memory straight into the window's
  // image.
  struct TSource {
    TDDrawPixels Pixels;
    LONG DX, DY;  // screen minus client coordinates
    const PALETTEENTRY* Palette;
    int Count;
  } source{m.Pixels(), shown.left - topLeft.x, shown.top - topLeft.y, FPalette ? FPalette->Entries() : nullptr,
           FPalette ? FPalette->Count() : 0};
  auto write = [](void* context, const RECT& part, BYTE* bits, LONG pitch, DWORD topByte) {
    const auto& src = *static_cast<const TSource*>(context);
    const RECT from{part.left + src.DX, part.top + src.DY, part.right + src.DX, part.bottom + src.DY};
    PixelsToXrgb(src.Pixels, from, src.Palette, src.Count, bits, pitch, topByte);
  };
  WindowBackend()->PresentInto(window, RECT{topLeft.x, topLeft.y, topLeft.x + w, topLeft.y + h}, write, &source);
}

DWORD TDDrawSurface::ScreenPixel(LONG x, LONG y) const {
  const TDDrawSurfaceMemory& m = *FMemory;
  if (!IsPrimary() || x < 0 || y < 0 || x >= m.Width || y >= m.Height) return 0;
  TDDrawPixels p{const_cast<BYTE*>(m.Bits.data()), m.Pitch, m.Width, m.Height, m.Format};
  return PixelToXrgb(GetPixelValue(p, x, y), m.Format, FPalette ? FPalette->Entries() : nullptr,
                     FPalette ? FPalette->Count() : 0);
}

HRESULT TDDrawSurface::DoFlip(void* given, TDDrawSurface* target, DWORD flags) {
  const DWORD known = DDFLIP_WAIT | DDFLIP_NOVSYNC | DDFLIP_DONOTWAIT;
  if (flags & ~known) return DDERR_INVALIDPARAMS;
  if (!FChain || FChain->Members.front() != this) return DDERR_NOTFLIPPABLE;
  std::vector<TDDrawSurface*>& members = FChain->Members;
  if (given && (!target || target == this || std::find(members.begin(), members.end(), target) == members.end()))
    return DDERR_INVALIDPARAMS;
  for (TDDrawSurface* s : members) {
    if (s->FMemory->Lost) return DDERR_SURFACELOST;
    if (s->FMemory->Busy()) return DDERR_SURFACEBUSY;
  }
  if (target) {
    std::swap(FMemory, target->FMemory);
  } else {
    // Each buffer takes the memory of the one behind it; the old front
    // memory goes to the last back buffer.
    std::shared_ptr<TDDrawSurfaceMemory> first = members.front()->FMemory;
    for (size_t i = 0; i + 1 < members.size(); ++i) members[i]->FMemory = members[i + 1]->FMemory;
    members.back()->FMemory = first;
  }
  Present(FMemory->Bounds());
  return DD_OK;
}

void TDDrawSurface::FlipToGdi() {
  if (!FChain || FChain->Members.front() != this) return;
  std::vector<TDDrawSurface*>& members = FChain->Members;
  for (size_t n = 0; n < members.size() && FMemory != FChain->GdiMemory; ++n) {
    std::shared_ptr<TDDrawSurfaceMemory> first = members.front()->FMemory;
    for (size_t i = 0; i + 1 < members.size(); ++i) members[i]->FMemory = members[i + 1]->FMemory;
    members.back()->FMemory = first;
  }
  Present(FMemory->Bounds());
}

TDDrawSurface* TDDrawSurface::FindAttached(DWORD caps) const {
  std::vector<TDDrawSurface*> candidates;
  if (FChain && FChain->Members.size() > 1) {
    const auto& members = FChain->Members;
    size_t at = static_cast<size_t>(std::find(members.begin(), members.end(), this) - members.begin());
    candidates.push_back(members[(at + 1) % members.size()]);
  }
  if (FZBuffer) candidates.push_back(FZBuffer);
  for (TDDrawSurface* c : candidates)
    if ((c->FCaps & caps) == caps) return c;
  return nullptr;
}

HRESULT TDDrawSurface::GetAttachedSurface(DDSCAPS* caps, IDirectDrawSurface** attached) {
  if (!caps || !attached) return DDERR_INVALIDPARAMS;
  *attached = nullptr;
  TDDrawSurface* found = FindAttached(caps->dwCaps);
  if (!found) return DDERR_NOTFOUND;
  found->AddRef();
  *attached = found;
  return DD_OK;
}

HRESULT TDDrawSurface::GetAttachedSurface(DDSCAPS2* caps, IDirectDrawSurface4** attached) {
  if (!caps || !attached) return DDERR_INVALIDPARAMS;
  *attached = nullptr;
  TDDrawSurface* found = FindAttached(caps->dwCaps);
  if (!found) return DDERR_NOTFOUND;
  found->AddRef();
  *attached = found;
  return DD_OK;
}

HRESULT TDDrawSurface::GetAttachedSurface(DDSCAPS2* caps, IDirectDrawSurface7** attached) {
  if (!caps || !attached) return DDERR_INVALIDPARAMS;
  *attached = nullptr;
  TDDrawSurface* found = FindAttached(caps->dwCaps);
  if (!found) return DDERR_NOTFOUND;
  found->AddRef();
  *attached = found;
  return DD_OK;
}

HRESULT TDDrawSurface::DoAddAttached(TDDrawSurface* attached) {
  if (!attached) return DDERR_INVALIDPARAMS;
  if (attached == this || !attached->FMemory->ZBufferDepth || FMemory->ZBufferDepth) return DDERR_CANNOTATTACHSURFACE;
  if (FZBuffer) return DDERR_SURFACEALREADYATTACHED;
  if (attached->FMemory->Width != FMemory->Width || attached->FMemory->Height != FMemory->Height)
    return DDERR_CANNOTATTACHSURFACE;
  attached->AddRef();
  FZBuffer = attached;
  return DD_OK;
}

HRESULT TDDrawSurface::DoDeleteAttached(DWORD flags, void* given, TDDrawSurface* attached) {
  if (flags != 0 || (given && !attached)) return DDERR_INVALIDPARAMS;
  if (attached && attached != FZBuffer) {
    if (FChain && std::find(FChain->Members.begin(), FChain->Members.end(), attached) != FChain->Members.end())
      return DDERR_CANNOTDETACHSURFACE;
    return DDERR_SURFACENOTATTACHED;
  }
  if (!FZBuffer) return DDERR_SURFACENOTATTACHED;
  TDDrawSurface* z = FZBuffer;
  FZBuffer = nullptr;
  z->Release();
  return DD_OK;
}

HRESULT TDDrawSurface::GetCaps(DDSCAPS* caps) {
  if (!caps) return DDERR_INVALIDPARAMS;
  caps->dwCaps = FCaps;
  return DD_OK;
}

HRESULT TDDrawSurface::GetCaps(DDSCAPS2* caps) {
  if (!caps) return DDERR_INVALIDPARAMS;
  *caps = DDSCAPS2{};
  caps->dwCaps = FCaps;
  return DD_OK;
}

HRESULT TDDrawSurface::GetClipper(IDirectDrawClipper** clipper) {
  if (!clipper) return DDERR_INVALIDPARAMS;
  *clipper = FClipper;
  if (!FClipper) return DDERR_NOCLIPPERATTACHED;
  FClipper->AddRef();
  return DD_OK;
}

HRESULT TDDrawSurface::SetClipper(IDirectDrawClipper* clipper) {
  TDDrawClipper* c = clipper ? dynamic_cast<TDDrawClipper*>(clipper) : nullptr;
  if (clipper && !c) return DDERR_INVALIDPARAMS;
  if (c) c->AddRef();
  if (FClipper) FClipper->Release();
  FClipper = c;
  return DD_OK;
}

HRESULT TDDrawSurface::GetPalette(IDirectDrawPalette** palette) {
  if (!palette) return DDERR_INVALIDPARAMS;
  *palette = FPalette;
  if (!FPalette) return DDERR_NOPALETTEATTACHED;
  FPalette->AddRef();
  return DD_OK;
}

HRESULT TDDrawSurface::SetPalette(IDirectDrawPalette* palette) {
  TDDrawPalette* p = palette ? dynamic_cast<TDDrawPalette*>(palette) : nullptr;
  if (palette && !p) return DDERR_INVALIDPARAMS;
  if (p && (!FMemory->Format.Indexed || FMemory->ZBufferDepth)) return DDERR_NOTPALETTIZED;
  if (p) p->AddRef();
  if (FPalette) FPalette->Release();
  FPalette = p;
  Present(FMemory->Bounds());
  return DD_OK;
}

HRESULT TDDrawSurface::SetColorKey(DWORD flags, DDCOLORKEY* key) {
  DWORD kind = flags & ~DDCKEY_COLORSPACE;
  if (kind != DDCKEY_SRCBLT && kind != DDCKEY_DESTBLT) return DDERR_INVALIDPARAMS;
  bool& has = kind == DDCKEY_SRCBLT ? FHasSrcKey : FHasDestKey;
  DDCOLORKEY& stored = kind == DDCKEY_SRCBLT ? FSrcKey : FDestKey;
  if (!key) {
    has = false;
    stored = DDCOLORKEY{};
    return DD_OK;
  }
  stored = *key;
  if (!(flags & DDCKEY_COLORSPACE)) stored.dwColorSpaceHighValue = stored.dwColorSpaceLowValue;
  has = true;
  return DD_OK;
}

HRESULT TDDrawSurface::GetColorKey(DWORD flags, DDCOLORKEY* key) {
  if (!key || (flags != DDCKEY_SRCBLT && flags != DDCKEY_DESTBLT)) return DDERR_INVALIDPARAMS;
  bool has = flags == DDCKEY_SRCBLT ? FHasSrcKey : FHasDestKey;
  if (!has) return DDERR_NOCOLORKEY;
  *key = flags == DDCKEY_SRCBLT ? FSrcKey : FDestKey;
  return DD_OK;
}

HRESULT TDDrawSurface::IsLost() { return FMemory->Lost ? DDERR_SURFACELOST : DD_OK; }

HRESULT TDDrawSurface::Restore() {
  std::vector<TDDrawSurface*> targets{this};
  if (FChain && FChain->Members.front() == this) targets = FChain->Members;
  TDDrawMode current = TDDrawDisplay::Instance().CurrentMode();
  for (TDDrawSurface* s : targets) {
    TDDrawSurfaceMemory& m = *s->FMemory;
    if (!m.Lost) continue;
    if (m.Busy()) return DDERR_LOCKEDSURFACES;
    if (!(m.CreatedIn == current)) return DDERR_WRONGMODE;
  }
  // The content of a restored surface is gone: it comes back cleared.
  for (TDDrawSurface* s : targets) {
    TDDrawSurfaceMemory& m = *s->FMemory;
    if (!m.Lost) continue;
    s->BeforeChange(m, false);
    std::fill(m.Bits.begin(), m.Bits.end(), BYTE{0});
    m.Lost = false;
  }
  return DD_OK;
}

void TDDrawSurface::ReleaseOwnDC() {
  if (FMemory && FMemory->DC && FMemory.use_count() == 1) {
    ::DeleteDC(FMemory->DC);
    FMemory->DC = nullptr;
  }
}

HRESULT TDDrawSurface::GetDC(HDC* dc) {
  if (!dc) return DDERR_INVALIDPARAMS;
  *dc = nullptr;
  TDDrawSurfaceMemory& m = *FMemory;
  if (m.ZBufferDepth) return DDERR_CANTCREATEDC;
  if (m.Lost) return DDERR_SURFACELOST;
  if (m.DC) return DDERR_DCALREADYCREATED;
  if (m.Locked) return DDERR_SURFACEBUSY;
  BeforeChange(m, false);
  // The DC draws straight into the surface's pixels; until it is released
  // the surface counts as locked.
  HDC made =
      ::CreateDCOverBits(m.Bits.data(), m.Width, m.Height, m.Pitch, m.Format.BitCount, m.Format.RMask, m.Format.GMask,
                         m.Format.BMask, FPalette ? FPalette->Entries() : nullptr, FPalette ? FPalette->Count() : 0);
  if (!made) return DDERR_CANTCREATEDC;
  m.DC = made;
  *dc = made;
  return DD_OK;
}

HRESULT TDDrawSurface::ReleaseDC(HDC dc) {
  TDDrawSurfaceMemory& m = *FMemory;
  if (!m.DC) return DDERR_NODC;
  if (dc != m.DC) return DDERR_INVALIDPARAMS;
  ::DeleteDC(m.DC);
  m.DC = nullptr;
  Present(m.Bounds());
  return DD_OK;
}
