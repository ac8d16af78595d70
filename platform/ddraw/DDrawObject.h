// The DirectDraw object, one implementation behind IDirectDraw, IDirectDraw4
// and IDirectDraw7: surface, palette and clipper creation, the cooperative
// level, display modes, the vertical-blank wait and its capabilities.
#pragma once

#include "platform/ddraw/DDraw.h"

class TDDrawSurface;

class TDDrawObject : public IDirectDraw, public IDirectDraw4, public IDirectDraw7 {
 public:
  TDDrawObject() = default;

  static TDDrawObject* Of(IDirectDraw* d) { return d ? dynamic_cast<TDDrawObject*>(d) : nullptr; }

  HRESULT QueryInterface(REFIID iid, void** object) override;
  BRASK_REFCOUNT_METHODS

  HRESULT CreateClipper(DWORD flags, IDirectDrawClipper** clipper, IUnknown* outer) override;
  HRESULT CreatePalette(DWORD flags, PALETTEENTRY* entries, IDirectDrawPalette** palette, IUnknown* outer) override;
  HRESULT CreateSurface(DDSURFACEDESC* desc, IDirectDrawSurface** surface, IUnknown* outer) override;
  HRESULT CreateSurface(DDSURFACEDESC2* desc, IDirectDrawSurface4** surface, IUnknown* outer) override;
  HRESULT CreateSurface(DDSURFACEDESC2* desc, IDirectDrawSurface7** surface, IUnknown* outer) override;
  HRESULT DuplicateSurface(IDirectDrawSurface* original, IDirectDrawSurface** duplicate) override;
  HRESULT DuplicateSurface(IDirectDrawSurface4* original, IDirectDrawSurface4** duplicate) override;
  HRESULT DuplicateSurface(IDirectDrawSurface7* original, IDirectDrawSurface7** duplicate) override;
  HRESULT EnumDisplayModes(DWORD flags, DDSURFACEDESC* filter, void* context, LPDDENUMMODESCALLBACK callback) override;
  HRESULT EnumDisplayModes(DWORD flags, DDSURFACEDESC2* filter, void* context,
                           LPDDENUMMODESCALLBACK2 callback) override;
  HRESULT FlipToGDISurface() override;
  HRESULT GetCaps(DDCAPS* driverCaps, DDCAPS* emulationCaps) override;
  HRESULT GetDisplayMode(DDSURFACEDESC* desc) override;
  HRESULT GetDisplayMode(DDSURFACEDESC2* desc) override;
  HRESULT RestoreDisplayMode() override;
  HRESULT SetCooperativeLevel(HWND hWnd, DWORD flags) override;
  HRESULT WaitForVerticalBlank(DWORD flags, HANDLE event) override;
  HRESULT SetDisplayMode(DWORD width, DWORD height, DWORD bitCount) override;
  HRESULT SetDisplayMode(DWORD width, DWORD height, DWORD bitCount, DWORD refreshRate, DWORD flags) override;

  DWORD CooperativeFlags() const { return FCooperativeFlags; }
  HWND CooperativeWindow() const { return FCooperativeWindow; }
  bool Exclusive() const { return (FCooperativeFlags & DDSCL_EXCLUSIVE) != 0; }
  TDDrawSurface* Primary() const { return FPrimary; }
  void SetPrimary(TDDrawSurface* primary) { FPrimary = primary; }

  // The refresh rate of every emulated mode and the length of its vertical
  // blank (45 of 525 lines).
  static constexpr DWORD RefreshRate = 60;
  static constexpr std::int64_t BlankMicroseconds = 1429;

 private:
  ~TDDrawObject();
  template <class TDesc>
  HRESULT CreateSurfaceFrom(const TDesc* desc, TDDrawSurface** surface, IUnknown* outer);
  template <class TDesc>
  HRESULT EnumModes(DWORD flags, const TDesc* filter, void* context, HRESULT (*callback)(TDesc*, void*));
  template <class TDesc>
  HRESULT DescribeMode(TDesc* desc);

  TRefCounted FRef;
  DWORD FCooperativeFlags = 0;
  HWND FCooperativeWindow = nullptr;
  TDDrawSurface* FPrimary = nullptr;
};
