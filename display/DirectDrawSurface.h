// A DirectDraw surface with its copies, fills, pixel access under a lock,
// loading from graphics, colour matching and restore, and the canvas that
// draws on it through the surface's device context.
#pragma once

#include <memory>

#include "display/DirectDraw.h"
#include "platform/toolkit/Canvas.h"
#include "platform/toolkit/Graphic.h"

class TDirectDrawSurface;

// The size DirectDraw's surface description has, which its size field
// carries.
constexpr DWORD DDSurfaceDescRecordSize = 108;
// The size of DirectDraw's blit effects record.
constexpr DWORD DDBltFxRecordSize = 100;

// A canvas over the device context of a surface. It asks the surface for the
// DC when a drawing call needs one and holds it until Release; while it is
// held the surface counts as locked, so callers release the canvas before
// the surface is copied, flipped or locked. When the surface gives no DC (a
// lost surface) the failure is recorded on the surface and the canvas draws
// into nothing until it is released, so a frame still runs to its end.
class TDirectDrawSurfaceCanvas : public TCanvas {
 public:
  explicit TDirectDrawSurfaceCanvas(TDirectDrawSurface* ASurface);
  ~TDirectDrawSurfaceCanvas() override;

  TDirectDrawSurface* Surface() const { return FSurface; }
  // Gives the device context back; does nothing when none is held.
  void Release();
  // Whether a device context of the surface is held (not the stand-in that
  // draws into nothing).
  bool HoldsSurfaceDC() const { return FDC != nullptr; }

 protected:
  void CreateHandle() override;

 private:
  HDC FDC = nullptr;      // the surface's DC
  HDC FNullDC = nullptr;  // a DC without pixels, held while the surface gives none
  TDirectDrawSurface* FSurface;
};

class TDirectDrawSurface : public TDirectX {
 public:
  // An empty surface registered with ADDraw.
  explicit TDirectDrawSurface(TDirectDraw* ADDraw);
  // Frees the canvas, releases the interfaces, leaves the DirectDraw object's
  // list.
  ~TDirectDrawSurface() override;
  TDirectDrawSurface(const TDirectDrawSurface&) = delete;
  TDirectDrawSurface& operator=(const TDirectDrawSurface&) = delete;

  // Nil releases the surface; a graphic (or a picture's graphic) is loaded;
  // another surface is duplicated (the same surface memory) or, when empty,
  // makes this one empty; anything else is the toolkit's assignment error.
  void Assign(const TPersistent* Source) override;

  // Nil once the surface is detached.
  TDirectDraw* DDraw() const { return FDDraw; }
  // A surface whose maker frees it (a picture's): the DirectDraw object only
  // lists it and, should it go first, detaches it instead of freeing it.
  bool OwnedByMaker() const { return FOwnedByMaker; }
  void SetOwnedByMaker(bool Value) { FOwnedByMaker = Value; }
  // Releases the interfaces and leaves the DirectDraw object, which is going;
  // the surface stays empty until its maker frees it.
  void Detach();

  // The interfaces; these raise EDirectDrawSurfaceError "%s not made" for an
  // empty surface. The free functions below answer nil instead.
  IDirectDrawSurface* SurfaceIntf() const;
  IDirectDrawSurface4* Surface4Intf() const;
  IDirectDrawSurface7* Surface7Intf() const;
  IDirectDrawGammaControl* GammaControl() const { return FGammaControl; }
  bool Empty() const { return FSurfaceIntf == nullptr; }

  // Adopts a surface (nil: none), keeping a reference of its own.
  void SetSurfaceIntf(IDirectDrawSurface* Value);
  bool CreateSurface(const DDSURFACEDESC& Desc);
  // A plain off-screen surface of that size, in system memory when asked for
  // or when video memory refuses it; a width or height of 0 or less makes
  // the surface empty. Raises EDirectDrawSurfaceError "%s cannot be made"
  // with "Surface" when no surface can be made.
  void SetSize(int AWidth, int AHeight);

  // The copies answer False at once for an empty surface; else whether the
  // recorded result is 0. Nil rectangles mean the whole surface.
  bool Blt(const RECT* DestRect, const RECT* SrcRect, DWORD Flags, const DDBLTFX& DF, TDirectDrawSurface* Source);
  bool BltFast(int X, int Y, const RECT& SrcRect, DWORD Flags, TDirectDrawSurface* Source);
  // Copies SrcRect of Source to (X, Y), clipped to both surfaces, through
  // the source's colour key when Transparent. A source rectangle with
  // Left > Right or Top > Bottom draws it mirrored on that axis.
  void Draw(int X, int Y, const RECT& SrcRect, TDirectDrawSurface* Source, bool Transparent);
  // Blends SrcRect of Source, stretched onto DestRect, with this surface at
  // Alpha (0..255) through the software renderer, skipping pixels equal to
  // the source's colour key when Transparent. Nothing for Alpha 0, an empty
  // surface or one that cannot be locked; a palette-indexed surface or
  // Alpha 255 gets a plain copy.
  void DrawAlpha(const RECT& DestRect, const RECT& SrcRect, TDirectDrawSurface* Source, bool Transparent, int Alpha);
  bool Fill(DWORD DevColor);

  // Locks Rect (nil: the whole surface); locks do not nest.
  bool Lock(const RECT* Rect, DDSURFACEDESC& Desc);
  void Unlock();
  int LockCount() const { return FLockCount; }
  // One pixel value; 0 outside the surface or when it cannot be locked.
  DWORD GetPixel(int X, int Y);
  void SetPixel(int X, int Y, DWORD Value);

  // Pixels[X][Y] reads and writes one pixel value through GetPixel and
  // SetPixel.
  class TPixelRef {
   public:
    TPixelRef(TDirectDrawSurface* s, int x, int y) : FSurface(s), FX(x), FY(y) {}
    operator DWORD() const { return FSurface->GetPixel(FX, FY); }
    TPixelRef& operator=(DWORD Value) {
      FSurface->SetPixel(FX, FY, Value);
      return *this;
    }
    TPixelRef& operator=(const TPixelRef& Other) { return *this = static_cast<DWORD>(Other); }

   private:
    TDirectDrawSurface* FSurface;
    int FX, FY;
  };
  class TPixelColumn {
   public:
    TPixelColumn(TDirectDrawSurface* s, int x) : FSurface(s), FX(x) {}
    TPixelRef operator[](int Y) const { return TPixelRef(FSurface, FX, Y); }

   private:
    TDirectDrawSurface* FSurface;
    int FX;
  };
  class TPixels {
   public:
    explicit TPixels(TDirectDrawSurface* s) : FSurface(s) {}
    TPixelColumn operator[](int X) const { return TPixelColumn(FSurface, X); }

   private:
    TDirectDrawSurface* FSurface;
  };
  TPixels Pixels{this};

  // The pixel value GDI gives Color on this surface (0 for an empty one).
  DWORD ColorMatch(TColor Color);
  void LoadFromGraphic(TGraphic* Graphic);
  // Loads SrcRect of Graphic stretched to AWidth × AHeight (0: the source
  // rectangle's width or height). An empty graphic or rectangle leaves the
  // surface empty.
  void LoadFromGraphicRect(TGraphic* Graphic, int AWidth, int AHeight, const RECT& SrcRect);
  bool Restore();

  void SetClipper(TDirectDrawClipper* Value);
  void SetPalette(TDirectDrawPalette* Value);
  void SetColorKey(DWORD Flags, const DDCOLORKEY& Value);
  void SetTransparentColor(DWORD Col);

  // Made on first use; owned by the surface.
  TDirectDrawSurfaceCanvas* Canvas();
  TDirectDrawSurfaceCanvas* GetCanvas() { return Canvas(); }

  int Width() const { return static_cast<int>(FSurfaceDesc.dwWidth); }
  int Height() const { return static_cast<int>(FSurfaceDesc.dwHeight); }
  int BitCount() const { return static_cast<int>(FSurfaceDesc.ddpfPixelFormat.dwRGBBitCount); }
  RECT ClientRect() const { return RECT{0, 0, Width(), Height()}; }
  const DDSURFACEDESC& SurfaceDesc() const { return FSurfaceDesc; }
  bool HasClipper() const { return FHasClipper; }
  bool SystemMemory() const { return FSystemMemory; }
  void SetSystemMemory(bool Value) { FSystemMemory = Value; }

 protected:
  // A TDIB destination becomes a 24-bit copy of the whole surface.
  void AssignTo(TPersistent* Dest) const override;

 private:
  friend class TDirectDrawSurfaceCanvas;
  friend IDirectDrawSurface* SurfaceIntf(const TDirectDrawSurface*);
  friend IDirectDrawSurface4* Surface4Intf(const TDirectDrawSurface*);
  friend IDirectDrawSurface7* Surface7Intf(const TDirectDrawSurface*);

  void ReleaseInterfaces();
  // Reads a pixel; false when the surface is empty, the point lies outside
  // or the lock fails.
  bool ReadPixel(int X, int Y, DWORD& Value);
  void DrawMirrored(int X, int Y, RECT SrcRect, TDirectDrawSurface* Source, bool Transparent);

  // Made on first use; a canvas freed on its own lets go of itself here.
  std::unique_ptr<TDirectDrawSurfaceCanvas> FCanvas;
  bool FHasClipper = false;
  TDirectDraw* FDDraw;
  IDirectDrawSurface* FSurfaceIntf = nullptr;
  IDirectDrawSurface4* FSurface4Intf = nullptr;
  IDirectDrawSurface7* FSurface7Intf = nullptr;
  bool FSystemMemory = false;
  bool FOwnedByMaker = false;
  DDSURFACEDESC FSurfaceDesc;
  IDirectDrawGammaControl* FGammaControl = nullptr;
  DDSURFACEDESC FLockSurfaceDesc;
  int FLockCount = 0;
};

// The surface's interfaces, nil for an empty surface or without a surface.
IDirectDrawSurface* SurfaceIntf(const TDirectDrawSurface* Surface);
IDirectDrawSurface4* Surface4Intf(const TDirectDrawSurface* Surface);
IDirectDrawSurface7* Surface7Intf(const TDirectDrawSurface* Surface);
