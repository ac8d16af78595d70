// Direct3D as reached through the DirectDraw object, and retained mode from
// "D3DRM.dll". This display has no 3D device: the device enumerations report
// none and device creation fails, so 3D set-up ends in its own errors.
#pragma once

#include "platform/ddraw/DDraw.h"

extern const IID IID_IDirect3D;
extern const IID IID_IDirect3D2;
extern const IID IID_IDirect3D3;
extern const IID IID_IDirect3D7;
extern const IID IID_IDirect3DDevice;
extern const IID IID_IDirect3DDevice2;
extern const IID IID_IDirect3DDevice3;
extern const IID IID_IDirect3DDevice7;
extern const IID IID_IDirect3DRM;
extern const IID IID_IDirect3DRM2;
extern const IID IID_IDirect3DRM3;
extern const IID IID_IDirect3DRMDevice;
extern const IID IID_IDirect3DRMDevice2;
extern const IID IID_IDirect3DRMDevice3;
extern const IID IID_IDirect3DRMFrame3;
extern const IID IID_IDirect3DRMViewport2;
// The reference rasteriser's device GUID.
extern const GUID IID_IDirect3DRefDevice;

using D3DVALUE = float;

constexpr DWORD D3DDEVCAPS_HWRASTERIZATION = 0x00080000;

constexpr DWORD D3DRENDERSTATE_ZENABLE = 7;
constexpr DWORD D3DRENDERSTATE_ZWRITEENABLE = 14;
constexpr DWORD D3DRENDERSTATE_DITHERENABLE = 26;

constexpr DWORD D3DRMRENDER_GOURAUD = 0x89;
constexpr DWORD D3DRMTEXTURE_NEAREST = 0;

struct D3DPRIMCAPS {
  DWORD dwSize = 0;
  DWORD dwMiscCaps = 0;
  DWORD dwRasterCaps = 0;
  DWORD dwZCmpCaps = 0;
  DWORD dwSrcBlendCaps = 0;
  DWORD dwDestBlendCaps = 0;
  DWORD dwAlphaCmpCaps = 0;
  DWORD dwShadeCaps = 0;
  DWORD dwTextureCaps = 0;
  DWORD dwTextureFilterCaps = 0;
  DWORD dwTextureBlendCaps = 0;
  DWORD dwTextureAddressCaps = 0;
  DWORD dwStippleWidth = 0;
  DWORD dwStippleHeight = 0;
};

// A device description before version 7 (one for hardware, one for software).
struct D3DDEVICEDESC {
  DWORD dwSize = 0;
  DWORD dwFlags = 0;
  DWORD dwDevCaps = 0;
  D3DPRIMCAPS dpcLineCaps;
  D3DPRIMCAPS dpcTriCaps;
  DWORD dwDeviceRenderBitDepth = 0;
  DWORD dwDeviceZBufferBitDepth = 0;
};

struct D3DDEVICEDESC7 {
  DWORD dwDevCaps = 0;
  D3DPRIMCAPS dpcLineCaps;
  D3DPRIMCAPS dpcTriCaps;
  DWORD dwDeviceRenderBitDepth = 0;
  DWORD dwDeviceZBufferBitDepth = 0;
  GUID deviceGUID;
};

using LPD3DENUMDEVICESCALLBACK = HRESULT (*)(GUID* guid, char* description, char* name, D3DDEVICEDESC* hardware,
                                             D3DDEVICEDESC* software, void* context);
using LPD3DENUMDEVICESCALLBACK7 = HRESULT (*)(char* description, char* name, D3DDEVICEDESC7* desc, void* context);

// Devices: declared for the callers; no device can be made here.
struct IDirect3DDevice : IUnknown {};
struct IDirect3DDevice2 : IUnknown {};
struct IDirect3DDevice3 : IUnknown {
  virtual HRESULT SetRenderState(DWORD state, DWORD value) = 0;
};
struct IDirect3DDevice7 : IUnknown {};

struct IDirect3D : IUnknown {
  virtual HRESULT EnumDevices(LPD3DENUMDEVICESCALLBACK callback, void* context) = 0;
};
struct IDirect3D2 : IUnknown {
  virtual HRESULT EnumDevices(LPD3DENUMDEVICESCALLBACK callback, void* context) = 0;
};
struct IDirect3D3 : IUnknown {
  virtual HRESULT EnumDevices(LPD3DENUMDEVICESCALLBACK callback, void* context) = 0;
  virtual HRESULT CreateDevice(REFGUID device, IDirectDrawSurface4* surface, IDirect3DDevice3** created,
                               IUnknown* outer) = 0;
};
struct IDirect3D7 : IUnknown {
  virtual HRESULT EnumDevices(LPD3DENUMDEVICESCALLBACK7 callback, void* context) = 0;
  virtual HRESULT CreateDevice(REFGUID device, IDirectDrawSurface7* surface, IDirect3DDevice7** created) = 0;
};

// Retained mode.
struct IDirect3DRMFrame3 : IUnknown {
  virtual HRESULT SetPosition(IDirect3DRMFrame3* reference, D3DVALUE x, D3DVALUE y, D3DVALUE z) = 0;
};
struct IDirect3DRMViewport2 : IUnknown {
  virtual HRESULT SetBack(D3DVALUE back) = 0;
};
struct IDirect3DRMDevice : IUnknown {
  virtual HRESULT SetQuality(DWORD quality) = 0;
  virtual HRESULT SetTextureQuality(DWORD quality) = 0;
  virtual HRESULT SetDither(BOOL dither) = 0;
  virtual HRESULT SetShades(DWORD shades) = 0;
};
struct IDirect3DRMDevice2 : IUnknown {};
struct IDirect3DRMDevice3 : IUnknown {
  virtual HRESULT SetBufferCount(DWORD count) = 0;
};
struct IDirect3DRM : IUnknown {};
struct IDirect3DRM2 : IUnknown {};
struct IDirect3DRM3 : IUnknown {
  virtual HRESULT CreateDeviceFromD3D(IDirect3D2* direct3D, IDirect3DDevice2* device, IDirect3DRMDevice3** created) = 0;
  virtual HRESULT CreateFrame(IDirect3DRMFrame3* parent, IDirect3DRMFrame3** frame) = 0;
  virtual HRESULT CreateViewport(IDirect3DRMDevice3* device, IDirect3DRMFrame3* camera, DWORD x, DWORD y, DWORD width,
                                 DWORD height, IDirect3DRMViewport2** viewport) = 0;
  virtual HRESULT SetDefaultTextureColors(DWORD colors) = 0;
  virtual HRESULT SetDefaultTextureShades(DWORD shades) = 0;
};

// The entry point of "D3DRM.dll".
HRESULT Direct3DRMCreate(IDirect3DRM** direct3DRM);
using TDirect3DRMCreate = HRESULT (*)(IDirect3DRM** direct3DRM);

// The Direct3D interfaces of a DirectDraw object: one object for all four
// versions, holding a reference to the DirectDraw object.
class TDirect3D : public IDirect3D, public IDirect3D2, public IDirect3D3, public IDirect3D7 {
 public:
  // Answers a DirectDraw object's query for a Direct3D interface.
  static HRESULT QueryFrom(IUnknown* directDraw, REFIID iid, void** object);

  HRESULT QueryInterface(REFIID iid, void** object) override;
  BRASK_REFCOUNT_METHODS
  HRESULT EnumDevices(LPD3DENUMDEVICESCALLBACK callback, void* context) override;
  HRESULT EnumDevices(LPD3DENUMDEVICESCALLBACK7 callback, void* context) override;
  HRESULT CreateDevice(REFGUID device, IDirectDrawSurface4* surface, IDirect3DDevice3** created,
                       IUnknown* outer) override;
  HRESULT CreateDevice(REFGUID device, IDirectDrawSurface7* surface, IDirect3DDevice7** created) override;

 private:
  explicit TDirect3D(IUnknown* directDraw);
  ~TDirect3D();
  TRefCounted FRef;
  IUnknown* FDirectDraw;
};
