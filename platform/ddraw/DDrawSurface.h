// The surface object: pixels in memory in one of the supported formats, with
// its capabilities, colour keys, palette, clipper and attached surfaces. The
// primary surface is the screen: what is drawn on it shows in the window its
// clipper is bound to (or, in exclusive mode, the cooperative window).
#pragma once

#include <memory>
#include <vector>

#include "platform/ddraw/DDraw.h"
#include "platform/ddraw/DDrawDisplay.h"

class TDDrawObject;
class TDDrawPalette;
class TDDrawClipper;
class TWindowBackend;

// Pixel memory, shared by a surface and its duplicates; the lock and the DC
// belong to the memory, so a duplicate sees them too.
struct TDDrawSurfaceMemory {
  TDDrawPixelFormat Format;
  LONG Width = 0;
  LONG Height = 0;
  LONG Pitch = 0;
  std::vector<BYTE> Bits;
  DWORD ZBufferDepth = 0;  // a z-buffer: created, holds no pixels
  bool VideoMemory = false;
  DWORD Charged = 0;  // bytes of the video-memory budget held
  bool Lost = false;
  TDDrawMode CreatedIn;
  bool Locked = false;
  RECT LockRect;
  BYTE* LockPointer = nullptr;
  HDC DC = nullptr;
  // The window backend through which a window may show these pixels where
  // they lie (a primary's window that paints them in place): such a window
  // takes its own copy before they change other than by a write presented
  // to it at once, and before they go.
  TWindowBackend* ShownInPlaceBy = nullptr;

  TDDrawSurfaceMemory() = default;
  TDDrawSurfaceMemory(const TDDrawSurfaceMemory&) = delete;
  TDDrawSurfaceMemory& operator=(const TDDrawSurfaceMemory&) = delete;
  ~TDDrawSurfaceMemory();

  bool Busy() const { return Locked || DC != nullptr; }
  TDDrawPixels Pixels() { return TDDrawPixels{Bits.data(), Pitch, Width, Height, Format}; }
  RECT Bounds() const { return RECT{0, 0, Width, Height}; }
};

// What a caller's surface description asks for, whichever version it is.
struct TDDrawSurfaceRequest {
  DWORD Flags = 0;
  DWORD Width = 0;
  DWORD Height = 0;
  DWORD BackBufferCount = 0;
  DWORD ZBufferDepth = 0;
  DDPIXELFORMAT PixelFormat;
  DWORD Caps = 0;
  DDCOLORKEY SrcKey;
  DDCOLORKEY DestKey;
};

// The surfaces of one flip chain, the front first.
struct TDDrawFlipChain {
  std::vector<TDDrawSurface*> Members;
  std::shared_ptr<TDDrawSurfaceMemory> GdiMemory;  // the front's memory when made
};

class TDDrawSurface : public IDirectDrawSurface, public IDirectDrawSurface4, public IDirectDrawSurface7 {
 public:
  static HRESULT Create(TDDrawObject* owner, const TDDrawSurfaceRequest& request, TDDrawSurface** surface);
  static HRESULT Duplicate(TDDrawObject* owner, TDDrawSurface* original, TDDrawSurface** duplicate);

  static TDDrawSurface* Of(IDirectDrawSurface* s) { return s ? dynamic_cast<TDDrawSurface*>(s) : nullptr; }
  static TDDrawSurface* Of(IDirectDrawSurface4* s) { return s ? dynamic_cast<TDDrawSurface*>(s) : nullptr; }
  static TDDrawSurface* Of(IDirectDrawSurface7* s) { return s ? dynamic_cast<TDDrawSurface*>(s) : nullptr; }

  HRESULT QueryInterface(REFIID iid, void** object) override;
  BRASK_REFCOUNT_METHODS

  HRESULT AddAttachedSurface(IDirectDrawSurface* a) override { return DoAddAttached(Of(a)); }
  HRESULT AddAttachedSurface(IDirectDrawSurface4* a) override { return DoAddAttached(Of(a)); }
  HRESULT AddAttachedSurface(IDirectDrawSurface7* a) override { return DoAddAttached(Of(a)); }
  HRESULT Blt(RECT* d, IDirectDrawSurface* s, RECT* r, DWORD f, DDBLTFX* fx) override {
    return DoBlt(d, Of(s), r, f, fx);
  }
  HRESULT Blt(RECT* d, IDirectDrawSurface4* s, RECT* r, DWORD f, DDBLTFX* fx) override {
    return DoBlt(d, Of(s), r, f, fx);
  }
  HRESULT Blt(RECT* d, IDirectDrawSurface7* s, RECT* r, DWORD f, DDBLTFX* fx) override {
    return DoBlt(d, Of(s), r, f, fx);
  }
  HRESULT BltFast(DWORD x, DWORD y, IDirectDrawSurface* s, RECT* r, DWORD f) override {
    return DoBltFast(x, y, Of(s), r, f);
  }
  HRESULT BltFast(DWORD x, DWORD y, IDirectDrawSurface4* s, RECT* r, DWORD f) override {
    return DoBltFast(x, y, Of(s), r, f);
  }
  HRESULT BltFast(DWORD x, DWORD y, IDirectDrawSurface7* s, RECT* r, DWORD f) override {
    return DoBltFast(x, y, Of(s), r, f);
  }
  HRESULT DeleteAttachedSurface(DWORD f, IDirectDrawSurface* a) override { return DoDeleteAttached(f, a, Of(a)); }
  HRESULT DeleteAttachedSurface(DWORD f, IDirectDrawSurface4* a) override { return DoDeleteAttached(f, a, Of(a)); }
  HRESULT DeleteAttachedSurface(DWORD f, IDirectDrawSurface7* a) override { return DoDeleteAttached(f, a, Of(a)); }
  HRESULT Flip(IDirectDrawSurface* t, DWORD f) override { return DoFlip(t, Of(t), f); }
  HRESULT Flip(IDirectDrawSurface4* t, DWORD f) override { return DoFlip(t, Of(t), f); }
  HRESULT Flip(IDirectDrawSurface7* t, DWORD f) override { return DoFlip(t, Of(t), f); }
  HRESULT GetAttachedSurface(DDSCAPS* caps, IDirectDrawSurface** a) override;
  HRESULT GetAttachedSurface(DDSCAPS2* caps, IDirectDrawSurface4** a) override;
  HRESULT GetAttachedSurface(DDSCAPS2* caps, IDirectDrawSurface7** a) override;
  HRESULT GetCaps(DDSCAPS* caps) override;
  HRESULT GetCaps(DDSCAPS2* caps) override;
  HRESULT GetClipper(IDirectDrawClipper** clipper) override;
  HRESULT GetColorKey(DWORD flags, DDCOLORKEY* key) override;
  HRESULT GetDC(HDC* dc) override;
  HRESULT GetPalette(IDirectDrawPalette** palette) override;
  HRESULT GetSurfaceDesc(DDSURFACEDESC* desc) override { return DescribeInto(desc, nullptr); }
  HRESULT GetSurfaceDesc(DDSURFACEDESC2* desc) override { return DescribeInto(desc, nullptr); }
  HRESULT IsLost() override;
  HRESULT Lock(RECT* rect, DDSURFACEDESC* desc, DWORD flags, HANDLE event) override {
    return DoLock(rect, desc, flags, event);
  }
  HRESULT Lock(RECT* rect, DDSURFACEDESC2* desc, DWORD flags, HANDLE event) override {
    return DoLock(rect, desc, flags, event);
  }
  HRESULT ReleaseDC(HDC dc) override;
  HRESULT Restore() override;
  HRESULT SetClipper(IDirectDrawClipper* clipper) override;
  HRESULT SetColorKey(DWORD flags, DDCOLORKEY* key) override;
  HRESULT SetPalette(IDirectDrawPalette* palette) override;
  HRESULT Unlock(void* locked) override;
  HRESULT Unlock(RECT* locked) override;

  DWORD Caps() const { return FCaps; }
  bool IsPrimary() const { return (FCaps & DDSCAPS_PRIMARYSURFACE) != 0; }
  const std::shared_ptr<TDDrawSurfaceMemory>& Memory() const { return FMemory; }
  TDDrawObject* Owner() const { return FOwner; }
  // The screen pixel of a primary surface as XRGB (0 outside it).
  DWORD ScreenPixel(LONG x, LONG y) const;
  // A flipping primary shows the memory it was made with again.
  void FlipToGdi();

 private:
  explicit TDDrawSurface(TDDrawObject* owner);
  ~TDDrawSurface();

  HRESULT DoAddAttached(TDDrawSurface* attached);
  HRESULT DoBlt(RECT* destRect, TDDrawSurface* source, RECT* sourceRect, DWORD flags, DDBLTFX* fx);
  HRESULT DoBltFast(DWORD x, DWORD y, TDDrawSurface* source, RECT* sourceRect, DWORD flags);
  HRESULT DoDeleteAttached(DWORD flags, void* given, TDDrawSurface* attached);
  HRESULT DoFlip(void* given, TDDrawSurface* target, DWORD flags);
  TDDrawSurface* FindAttached(DWORD caps) const;
  template <class TDesc>
  HRESULT DoLock(RECT* rect, TDesc* desc, DWORD flags, HANDLE event);
  template <class TDesc>
  HRESULT DescribeInto(TDesc* desc, BYTE* surfacePointer) const;
  HRESULT DoUnlock();
  // Gives back a DC still out when the last surface on the memory goes.
  void ReleaseOwnDC();
  HRESULT CopyPixels(TDDrawSurface* source, const RECT& dest, const RECT& src, const RECT& clip, bool keyed,
                     bool mirrorLeftRight, bool mirrorUpDown);
  // Shows the part Area (screen coordinates) of a primary surface in its
  // window.
  void Present(const RECT& area) const;
  HWND PresentationWindow() const;
  // Where Window would show a primary's memory in place: the address of the
  // pixel under the top-left corner of the window's client area (OnScreen),
  // when the pixels are 32-bit XRGB and the whole client area lies on them;
  // else null, and the window is shown a copy.
  static const BYTE* InPlaceBits(const TDDrawSurfaceMemory& m, const RECT& onScreen);
  // Before pixels of M change: the windows that show them in place take
  // their own copy, except this primary's window when the change is
  // Presented to it at once, from where it shows them.
  void BeforeChange(TDDrawSurfaceMemory& m, bool presented) const;

  TRefCounted FRef;
  TDDrawObject* FOwner;
  std::shared_ptr<TDDrawSurfaceMemory> FMemory;
  DWORD FCaps = 0;
  bool FHasSrcKey = false;
  DDCOLORKEY FSrcKey;
  bool FHasDestKey = false;
  DDCOLORKEY FDestKey;
  TDDrawPalette* FPalette = nullptr;
  TDDrawClipper* FClipper = nullptr;
  TDDrawSurface* FZBuffer = nullptr;
  std::shared_ptr<TDDrawFlipChain> FChain;
  DWORD FBackBufferCount = 0;
};
