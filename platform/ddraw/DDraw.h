// The DirectDraw interfaces: the DirectDraw object in its three versions, its
// surfaces in three versions, palettes, clippers, and the module "DDraw.dll"
// with its entry points. One implementation serves every version: a surface
// asked for IDirectDrawSurface7 is the same surface as its IDirectDrawSurface.
#pragma once

#include "platform/ddraw/DDrawTypes.h"
#include "platform/win/Unknown.h"

extern const IID IID_IDirectDraw;
extern const IID IID_IDirectDraw4;
extern const IID IID_IDirectDraw7;
extern const IID IID_IDirectDrawSurface;
extern const IID IID_IDirectDrawSurface4;
extern const IID IID_IDirectDrawSurface7;
extern const IID IID_IDirectDrawPalette;
extern const IID IID_IDirectDrawClipper;
extern const IID IID_IDirectDrawGammaControl;

struct IDirectDrawPalette : IUnknown {
  // Caps answers the DDPCAPS_* flags the palette was made with.
  virtual HRESULT GetCaps(DWORD* caps) = 0;
  virtual HRESULT GetEntries(DWORD flags, DWORD start, DWORD count, PALETTEENTRY* entries) = 0;
  virtual HRESULT SetEntries(DWORD flags, DWORD start, DWORD count, PALETTEENTRY* entries) = 0;
};

struct IDirectDrawClipper : IUnknown {
  // The clip list in screen coordinates: the window's client area, cut to
  // Clip when given. With ClipList nil, Size receives the bytes needed.
  virtual HRESULT GetClipList(RECT* clip, RGNDATA* clipList, DWORD* size) = 0;
  virtual HRESULT GetHWnd(HWND* hWnd) = 0;
  virtual HRESULT SetHWnd(DWORD flags, HWND hWnd) = 0;
};

// The gamma control is declared so that callers can ask for it; no surface
// offers it.
struct IDirectDrawGammaControl : IUnknown {};

// The surface methods, alike in every version but for the record and surface
// types: TSurface is the version's own interface.
template <class TSurface, class TDesc, class TCaps, class TUnlockArg>
struct IDirectDrawSurfaceMethods : IUnknown {
  virtual HRESULT AddAttachedSurface(TSurface* attached) = 0;
  virtual HRESULT Blt(RECT* destRect, TSurface* source, RECT* sourceRect, DWORD flags, DDBLTFX* fx) = 0;
  virtual HRESULT BltFast(DWORD x, DWORD y, TSurface* source, RECT* sourceRect, DWORD flags) = 0;
  virtual HRESULT DeleteAttachedSurface(DWORD flags, TSurface* attached) = 0;
  virtual HRESULT Flip(TSurface* target, DWORD flags) = 0;
  virtual HRESULT GetAttachedSurface(TCaps* caps, TSurface** attached) = 0;
  virtual HRESULT GetCaps(TCaps* caps) = 0;
  virtual HRESULT GetClipper(IDirectDrawClipper** clipper) = 0;
  virtual HRESULT GetColorKey(DWORD flags, DDCOLORKEY* key) = 0;
  virtual HRESULT GetDC(HDC* dc) = 0;
  virtual HRESULT GetPalette(IDirectDrawPalette** palette) = 0;
  virtual HRESULT GetSurfaceDesc(TDesc* desc) = 0;
  virtual HRESULT IsLost() = 0;
  virtual HRESULT Lock(RECT* rect, TDesc* desc, DWORD flags, HANDLE event) = 0;
  virtual HRESULT ReleaseDC(HDC dc) = 0;
  virtual HRESULT Restore() = 0;
  virtual HRESULT SetClipper(IDirectDrawClipper* clipper) = 0;
  virtual HRESULT SetColorKey(DWORD flags, DDCOLORKEY* key) = 0;
  virtual HRESULT SetPalette(IDirectDrawPalette* palette) = 0;
  // Version 1 takes the locked pointer (or nil), later versions the locked
  // rectangle (or nil).
  virtual HRESULT Unlock(TUnlockArg locked) = 0;
};

struct IDirectDrawSurface : IDirectDrawSurfaceMethods<IDirectDrawSurface, DDSURFACEDESC, DDSCAPS, void*> {};
struct IDirectDrawSurface4 : IDirectDrawSurfaceMethods<IDirectDrawSurface4, DDSURFACEDESC2, DDSCAPS2, RECT*> {};
struct IDirectDrawSurface7 : IDirectDrawSurfaceMethods<IDirectDrawSurface7, DDSURFACEDESC2, DDSCAPS2, RECT*> {};

// The DirectDraw object's methods, alike in every version but for the surface
// and description types.
template <class TSurface, class TDesc>
struct IDirectDrawMethods : IUnknown {
  virtual HRESULT CreateClipper(DWORD flags, IDirectDrawClipper** clipper, IUnknown* outer) = 0;
  virtual HRESULT CreatePalette(DWORD flags, PALETTEENTRY* entries, IDirectDrawPalette** palette, IUnknown* outer) = 0;
  virtual HRESULT CreateSurface(TDesc* desc, TSurface** surface, IUnknown* outer) = 0;
  virtual HRESULT DuplicateSurface(TSurface* original, TSurface** duplicate) = 0;
  virtual HRESULT EnumDisplayModes(DWORD flags, TDesc* filter, void* context,
                                   HRESULT (*callback)(TDesc* desc, void* context)) = 0;
  virtual HRESULT FlipToGDISurface() = 0;
  virtual HRESULT GetCaps(DDCAPS* driverCaps, DDCAPS* emulationCaps) = 0;
  virtual HRESULT GetDisplayMode(TDesc* desc) = 0;
  virtual HRESULT RestoreDisplayMode() = 0;
  virtual HRESULT SetCooperativeLevel(HWND hWnd, DWORD flags) = 0;
  virtual HRESULT WaitForVerticalBlank(DWORD flags, HANDLE event) = 0;
};

struct IDirectDraw : IDirectDrawMethods<IDirectDrawSurface, DDSURFACEDESC> {
  virtual HRESULT SetDisplayMode(DWORD width, DWORD height, DWORD bitCount) = 0;
};
struct IDirectDraw4 : IDirectDrawMethods<IDirectDrawSurface4, DDSURFACEDESC2> {
  virtual HRESULT SetDisplayMode(DWORD width, DWORD height, DWORD bitCount, DWORD refreshRate, DWORD flags) = 0;
};
struct IDirectDraw7 : IDirectDrawMethods<IDirectDrawSurface7, DDSURFACEDESC2> {
  virtual HRESULT SetDisplayMode(DWORD width, DWORD height, DWORD bitCount, DWORD refreshRate, DWORD flags) = 0;
};

// The entry points of "DDraw.dll". The one display driver is the primary
// display driver, named by a nil GUID.
HRESULT DirectDrawEnumerateA(LPDDENUMCALLBACKA callback, void* context);
HRESULT DirectDrawCreate(GUID* driver, IDirectDraw** directDraw, IUnknown* outer);
HRESULT DirectDrawCreateEx(GUID* driver, void** directDraw, REFIID iid, IUnknown* outer);

using TDirectDrawEnumerateA = HRESULT (*)(LPDDENUMCALLBACKA callback, void* context);
using TDirectDrawCreate = HRESULT (*)(GUID* driver, IDirectDraw** directDraw, IUnknown* outer);
using TDirectDrawCreateEx = HRESULT (*)(GUID* driver, void** directDraw, REFIID iid, IUnknown* outer);

// Registers "DDraw.dll" and "D3DRM.dll" with the module registry; programs and
// tests call it at start. Calling it again registers the same entry points.
void RegisterDDrawModules();
