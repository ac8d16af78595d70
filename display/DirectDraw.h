// The DirectDraw object of one display driver with the palettes and clippers
// made from it, the display layer's DirectDraw exceptions, the driver
// enumeration and the rectangle clipping of unscaled copies.
#pragma once

#include <vector>

#include "display/DXClass.h"
#include "platform/ddraw/DDraw.h"

class TDirectDrawSurface;
class TDirectDrawPalette;
class TDirectDrawClipper;

class EDirectDrawError : public EDirectXError {
 public:
  using EDirectXError::EDirectXError;
};
class EDirectDrawPaletteError : public EDirectDrawError {
 public:
  using EDirectDrawError::EDirectDrawError;
};
class EDirectDrawClipperError : public EDirectDrawError {
 public:
  using EDirectDrawError::EDirectDrawError;
};
class EDirectDrawSurfaceError : public EDirectDrawError {
 public:
  using EDirectDrawError::EDirectDrawError;
};

// A display driver: none chosen yet, the primary display driver (which
// DirectDraw names by a nil GUID), or a driver with a GUID of its own, held
// as a copy.
class TDriverGUID {
 public:
  enum TKind { dgNone, dgPrimary, dgGuid };

  TDriverGUID() = default;
  explicit TDriverGUID(const GUID& Value) : FKind(dgGuid), FGuid(Value) {}
  static TDriverGUID Primary() {
    TDriverGUID g;
    g.FKind = dgPrimary;
    return g;
  }
  // The driver an enumeration names: nil is the primary display driver.
  static TDriverGUID FromPointer(const GUID* Value) { return Value ? TDriverGUID(*Value) : Primary(); }

  TKind Kind() const { return FKind; }
  bool IsGuid() const { return FKind == dgGuid; }
  // The GUID of a driver of kind dgGuid; zeros otherwise.
  const GUID& Guid() const { return FGuid; }
  // What DirectDraw's creation takes: the GUID, or nil for the primary
  // display driver (and for none chosen).
  const GUID* Pointer() const { return FKind == dgGuid ? &FGuid : nullptr; }

  friend bool operator==(const TDriverGUID& A, const TDriverGUID& B) {
    return A.FKind == B.FKind && (A.FKind != dgGuid || A.FGuid == B.FGuid);
  }

 private:
  TKind FKind = dgNone;
  GUID FGuid;
};

// The size DirectDraw's capability record has, which its size field carries.
constexpr DWORD DDCapsRecordSize = 380;

// The DirectDraw object of one driver. It owns every surface, palette and
// clipper made on it; they register themselves and leave its lists when they
// are freed first.
class TDirectDraw : public TDirectX {
 public:
  // Makes the DirectDraw object of the driver GUID names (nil: the primary
  // display driver); in DirectX 7 mode through DirectDrawCreateEx, else
  // through DirectDrawCreate. Raises EDirectDrawError when it cannot be made.
  explicit TDirectDraw(const GUID* GUID, bool DirectX7Mode = true);
  explicit TDirectDraw(const TDriverGUID& Driver, bool DirectX7Mode = true)
      : TDirectDraw(Driver.Pointer(), DirectX7Mode) {}
  // Detaches the surfaces their makers own, frees the other listed surfaces,
  // then palettes, then clippers (each list from its last entry), then
  // releases IDirectDraw, IDirectDraw4, IDirectDraw7.
  ~TDirectDraw() override;
  TDirectDraw(const TDirectDraw&) = delete;
  TDirectDraw& operator=(const TDirectDraw&) = delete;

  // The interfaces; these raise EDirectDrawError "%s not made" when the
  // interface is absent. The free functions below answer nil instead.
  IDirectDraw* DrawIntf() const;
  IDirectDraw4* Draw4Intf() const;
  IDirectDraw7* Draw7Intf() const;

  int ClipperCount() const { return static_cast<int>(FClippers.size()); }
  TDirectDrawClipper* Clippers(int Index) const;
  int PaletteCount() const { return static_cast<int>(FPalettes.size()); }
  TDirectDrawPalette* Palettes(int Index) const;
  int SurfaceCount() const { return static_cast<int>(FSurfaces.size()); }
  TDirectDrawSurface* Surfaces(int Index) const;
  // A surface joins the list as it is made on the object and leaves it as
  // it is freed.
  void RegisterSurface(TDirectDrawSurface* Surface);
  void UnregisterSurface(TDirectDrawSurface* Surface);

  const DDCAPS& DriverCaps() const { return FDriverCaps; }
  const DDCAPS& HELCaps() const { return FHELCaps; }

 private:
  friend class TDirectDrawPalette;
  friend class TDirectDrawClipper;
  friend IDirectDraw* DrawIntf(const TDirectDraw*);
  friend IDirectDraw4* Draw4Intf(const TDirectDraw*);
  friend IDirectDraw7* Draw7Intf(const TDirectDraw*);

  void ReleaseInterfaces();

  IDirectDraw* FDrawIntf = nullptr;
  IDirectDraw4* FDraw4Intf = nullptr;
  IDirectDraw7* FDraw7Intf = nullptr;
  DDCAPS FDriverCaps;
  DDCAPS FHELCaps;
  std::vector<TDirectDrawClipper*> FClippers;
  std::vector<TDirectDrawPalette*> FPalettes;
  std::vector<TDirectDrawSurface*> FSurfaces;
};

// The interfaces of a DirectDraw object, nil when absent or when there is no
// object at all.
IDirectDraw* DrawIntf(const TDirectDraw* DDraw);
IDirectDraw4* Draw4Intf(const TDirectDraw* DDraw);
IDirectDraw7* Draw7Intf(const TDirectDraw* DDraw);

// A DirectDraw palette; it has no interface until CreatePalette succeeds.
class TDirectDrawPalette : public TDirectX {
 public:
  explicit TDirectDrawPalette(TDirectDraw* ADDraw);
  ~TDirectDrawPalette() override;
  TDirectDrawPalette(const TDirectDrawPalette&) = delete;
  TDirectDrawPalette& operator=(const TDirectDrawPalette&) = delete;

  TDirectDraw* DDraw() const { return FDDraw; }
  // Makes a new palette with the DDPCAPS flags Caps from 256 entries; the
  // old one is released first. The result is recorded on the DirectDraw
  // object and on the palette.
  bool CreatePalette(DWORD Caps, const PALETTEENTRY* Entries);
  // False without an interface; else sets Count entries from StartIndex.
  bool SetEntries(int StartIndex, int Count, const PALETTEENTRY* Entries);
  // Raises EDirectDrawPaletteError "%s not made" without an interface.
  IDirectDrawPalette* PaletteIntf() const;

 private:
  friend IDirectDrawPalette* PaletteIntf(const TDirectDrawPalette*);
  TDirectDraw* FDDraw;
  IDirectDrawPalette* FPaletteIntf = nullptr;
};

// The palette's interface, nil when absent or without a palette.
IDirectDrawPalette* PaletteIntf(const TDirectDrawPalette* Palette);

// A DirectDraw clipper; it has its interface from construction on.
class TDirectDrawClipper : public TDirectX {
 public:
  // Raises EDirectDrawClipperError "%s cannot be made" with "Clipper" when
  // DirectDraw makes no clipper; the object then leaves the owner's list.
  explicit TDirectDrawClipper(TDirectDraw* ADDraw);
  ~TDirectDrawClipper() override;
  TDirectDrawClipper(const TDirectDrawClipper&) = delete;
  TDirectDrawClipper& operator=(const TDirectDrawClipper&) = delete;

  TDirectDraw* DDraw() const { return FDDraw; }
  // Binds the clipper to a window (recorded on the clipper).
  void SetHandle(HWND Value);
  // Raises EDirectDrawClipperError "%s not made" without an interface.
  IDirectDrawClipper* ClipperIntf() const;

 private:
  friend IDirectDrawClipper* ClipperIntf(const TDirectDrawClipper*);
  void Unregister();
  TDirectDraw* FDDraw;
  IDirectDrawClipper* FClipperIntf = nullptr;
};

// The clipper's interface, nil when absent or without a clipper.
IDirectDrawClipper* ClipperIntf(const TDirectDrawClipper* Clipper);

// DirectDrawEnumerateA of "DDraw.dll", bound anew at each call; its result
// code is returned as it is.
HRESULT EnumDirectDrawDrivers(LPDDENUMCALLBACKA Callback, void* Context);

// Clips an unscaled copy of Src onto Dest (rectangles of one size) to the
// two bounds, moving each edge of one rectangle and the same edge of the
// other by the same amount. True when both are still non-empty.
bool ClipBlitRects(RECT& Dest, RECT& Src, const RECT& DestBound, const RECT& SrcBound);
