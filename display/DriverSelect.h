// The drawing control's 3D set-up: the choice of the display driver with the
// best hardware 3D device, the z-buffer of the back surface, and the Direct3D
// device (DirectX 7) or the Direct3D and retained-mode devices (older path).
#pragma once

#include <memory>

#include "display/DXDrawError.h"
#include "display/DirectDrawSurface.h"
#include "display/DisplayMode.h"
#include "platform/ddraw/Direct3D.h"

// The flag set handed between the drawing control and the set-up.
using TDriverSelectFlags = BYTE;
constexpr TDriverSelectFlags dsSelectDriver = 1;    // choose a driver by enumeration
constexpr TDriverSelectFlags dsBitCountChange = 2;  // the display bit count may change
constexpr TDriverSelectFlags dsHardware = 4;        // hardware wanted / a hardware device was chosen
constexpr TDriverSelectFlags dsRetainedMode = 8;    // retained mode wanted / set up
constexpr TDriverSelectFlags dsZBuffer = 16;        // a z-buffer wanted / made

// DirectDraw's bit-depth flag of a bit count (DDBD_*); 0 for any other count.
DWORD DDBitDepthFlag(int BitCount);

// Whether a device of the older enumeration serves: its hardware description
// is filled in and it renders at BitCount, or, when the bit count may change,
// at 16, 24 or 32 bits.
bool DeviceQualifies(const D3DDEVICEDESC& Hardware, int BitCount, bool BitCountMayChange);
// The bit count to use with a device rendering at RenderDepths (DDBD_*
// flags): BitCount when it renders at it, else 16, 24 or 32, the first it
// renders at, else BitCount.
int DeviceBitCount(DWORD RenderDepths, int BitCount);

// Looks for the driver with the best qualifying 3D device: with
// dsSelectDriver among all drivers (DriverGUID receives the best one's
// GUID; the primary display driver leaves it as it was), otherwise on
// DriverGUID. With dsBitCountChange BitCount becomes one the chosen device
// renders at.
void FindDriver(TDriverSelectFlags Flags, int& BitCount, TDriverGUID& DriverGUID);
// FindDriver with the control's display bit count and driver, whose results
// go back into the control and its display.
void SelectDriver(TDriverSelectFlags Flags, TDXDrawDisplayOwner* Control);

// Makes a z-buffer of the device's first z depth of 16, 24 and 32 bits (in
// video memory for a hardware device) and attaches it to Surface; True when
// both succeed, else ZBuffer stays nil.
bool CreateZBuffer(TDirectDrawSurface* Surface, std::unique_ptr<TDirectDrawSurface>& ZBuffer, DWORD ZBufferBitDepths,
                   bool Hardware);
bool CreateZBuffer(TDirectDrawSurface* Surface, std::unique_ptr<TDirectDrawSurface>& ZBuffer,
                   const D3DDEVICEDESC& Description, bool Hardware);
bool CreateZBuffer(TDirectDrawSurface* Surface, std::unique_ptr<TDirectDrawSurface>& ZBuffer,
                   const D3DDEVICEDESC7& Description, bool Hardware);
// Detaches and frees the z-buffer.
void ReleaseZBuffer(TDirectDrawSurface* Surface, std::unique_ptr<TDirectDrawSurface>& ZBuffer);

// The DirectX 7 set-up on the back surface. Flags come in as the wishes and
// go out as what was set up (never retained mode). Raises EDXDrawError "3D
// device not found" or "%s cannot be made"; every output is released and
// the z-buffer removed before the exception passes on.
void Init3D7(TDirectDrawSurface* Surface, std::unique_ptr<TDirectDrawSurface>& ZBuffer, IDirect3D7*& D3D7,
             TDriverSelectFlags& Flags, IDirect3DDevice7*& Device7);

// The interfaces of the older set-up, as the drawing control's driver keeps
// them. The retained-mode object and the scene and camera frames are made
// once and kept across set-ups; everything else is made anew each time.
struct TDXDraw3DInterfaces {
  IDirect3D* D3D = nullptr;
  IDirect3D2* D3D2 = nullptr;
  IDirect3D3* D3D3 = nullptr;
  IDirect3DDevice* D3DDevice = nullptr;
  IDirect3DDevice2* D3DDevice2 = nullptr;
  IDirect3DDevice3* D3DDevice3 = nullptr;
  IDirect3DRM* D3DRM = nullptr;
  IDirect3DRM2* D3DRM2 = nullptr;
  IDirect3DRM3* D3DRM3 = nullptr;
  IDirect3DRMDevice* D3DRMDevice = nullptr;
  IDirect3DRMDevice2* D3DRMDevice2 = nullptr;
  IDirect3DRMDevice3* D3DRMDevice3 = nullptr;
  IDirect3DRMFrame3* Scene = nullptr;
  IDirect3DRMFrame3* Camera = nullptr;
  IDirect3DRMViewport2* Viewport = nullptr;

  // Releases what each set-up makes anew.
  void ReleaseDevices();
  // Releases everything.
  void ReleaseAll();
};

// The older set-up; with dsRetainedMode also the retained-mode device, its
// scene and viewport. Failures as for Init3D7.
void Init3DLegacy(TDirectDrawSurface* Surface, std::unique_ptr<TDirectDrawSurface>& ZBuffer, TDXDraw3DInterfaces& Intf,
                  TDriverSelectFlags& Flags);
