#include "display/DriverSelect.h"

#include <bit>
#include <cstring>
#include <memory>
#include <vector>

#include "platform/rtl/Format.h"

namespace {

// Asks From for an interface the set-up cannot do without; a refusal is the
// runtime's interface-cast error.
template <class T>
T* RequireIntf(IUnknown* From, REFIID Iid) {
  void* p = nullptr;
  if (!From || From->QueryInterface(Iid, &p) != 0 || !p) throw EIntfCastError();
  return static_cast<T*>(p);
}

// ---- The driver search -------------------------------------------------------------

// A device found for one driver by the older enumeration.
struct TFoundDevice {
  bool Found = false;
  D3DDEVICEDESC Hardware;
  D3DDEVICEDESC Software;
  D3DDEVICEDESC Chosen;
};

struct TDeviceSearch {
  int BitCount = 0;
  bool BitCountMayChange = false;
  TFoundDevice Device;
};

HRESULT RecordQualifyingDevice(GUID*, char*, char*, D3DDEVICEDESC* Hardware, D3DDEVICEDESC* Software, void* Context) {
  auto* search = static_cast<TDeviceSearch*>(Context);
  if (Hardware && DeviceQualifies(*Hardware, search->BitCount, search->BitCountMayChange)) {
    search->Device.Found = true;
    search->Device.Hardware = *Hardware;
    search->Device.Chosen = *Hardware;
    search->Device.Software = Software ? *Software : D3DDEVICEDESC{};
  }
  return DDENUMRET_OK;
}

// The qualifying device of one DirectDraw object, through the Direct3D
// interface it offers; a driver without one has none.
TFoundDevice FindDevice(TDirectDraw& DDraw, int BitCount, bool BitCountMayChange) {
  TDeviceSearch search;
  search.BitCount = BitCount;
  search.BitCountMayChange = BitCountMayChange;
  void* p = nullptr;
  if (DDraw.DrawIntf()->QueryInterface(IID_IDirect3D, &p) == 0 && p) {
    auto* d3d = static_cast<IDirect3D*>(p);
    d3d->EnumDevices(&RecordQualifyingDevice, &search);
    d3d->Release();
  }
  return search.Device;
}

// The best driver so far.
struct TBestDriver {
  bool Exists = false;
  TDriverGUID Guid;
  DDCAPS DriverCaps;
  DDCAPS HELCaps;
  TFoundDevice Device;
};

int TextureCapsCount(const DDCAPS& Caps) {
  return std::popcount(Caps.ddsCaps.dwCaps & (DDSCAPS_TEXTURE | DDSCAPS_ZBUFFER | DDSCAPS_MIPMAP));
}

int LineCapsBits(const D3DDEVICEDESC& Desc) {
  const D3DPRIMCAPS& c = Desc.dpcLineCaps;
  return std::popcount(c.dwMiscCaps) + std::popcount(c.dwRasterCaps) + std::popcount(c.dwZCmpCaps) +
         std::popcount(c.dwSrcBlendCaps) + std::popcount(c.dwDestBlendCaps) + std::popcount(c.dwAlphaCmpCaps) +
         std::popcount(c.dwShadeCaps) + std::popcount(c.dwTextureCaps) + std::popcount(c.dwTextureFilterCaps) +
         std::popcount(c.dwTextureBlendCaps);
}

// A later driver takes the best one's place when it has at least as much
// video memory and then, in this order, more of the texture, z-buffer and
// mip-map surface capabilities, or as many and at least as many line
// capabilities of its device.
bool Outranks(const DDCAPS& Caps, const TFoundDevice& Device, const TBestDriver& Best) {
  if (Caps.dwVidMemTotal < Best.DriverCaps.dwVidMemTotal) return false;
  const int surfaceCaps = TextureCapsCount(Caps), bestSurfaceCaps = TextureCapsCount(Best.DriverCaps);
  if (surfaceCaps != bestSurfaceCaps) return surfaceCaps > bestSurfaceCaps;
  return LineCapsBits(Device.Chosen) >= LineCapsBits(Best.Device.Chosen);
}

BOOL CollectDriver(GUID* Guid, char*, char*, void* Context) {
  static_cast<std::vector<TDriverGUID>*>(Context)->push_back(TDriverGUID::FromPointer(Guid));
  return TRUE;
}

// ---- Device choice of the set-ups --------------------------------------------------

struct TDevice7Choice {
  bool Hardware = false;
  int BitCount = 0;
  bool Found = false;
  bool FoundHardware = false;
  D3DDEVICEDESC7 Desc;
};

HRESULT ChooseDevice7(char*, char*, D3DDEVICEDESC7* Desc, void* Context) {
  auto* choice = static_cast<TDevice7Choice*>(Context);
  if (!Desc || Desc->deviceGUID == IID_IDirect3DRefDevice) return DDENUMRET_OK;
  const bool hardware = (Desc->dwDevCaps & D3DDEVCAPS_HWRASTERIZATION) != 0;
  if (hardware && !choice->Hardware) return DDENUMRET_OK;
  if (!(Desc->dwDeviceRenderBitDepth & DDBitDepthFlag(choice->BitCount))) return DDENUMRET_OK;
  if (hardware || !choice->Found) {
    choice->Found = true;
    choice->FoundHardware = hardware;
    choice->Desc = *Desc;
  }
  return DDENUMRET_OK;
}

struct TDeviceChoice {
  bool Hardware = false;
  int BitCount = 0;
  bool Found = false;
  bool FoundHardware = false;
  GUID Guid;
  D3DDEVICEDESC Desc;
};

HRESULT ChooseDevice(GUID* Guid, char*, char*, D3DDEVICEDESC* Hardware, D3DDEVICEDESC* Software, void* Context) {
  auto* choice = static_cast<TDeviceChoice*>(Context);
  if (!Guid || *Guid == IID_IDirect3DRefDevice) return DDENUMRET_OK;
  // A device with a filled-in hardware description rasterises in hardware.
  const bool hardware = Hardware && Hardware->dwFlags != 0;
  if (hardware && !choice->Hardware) return DDENUMRET_OK;
  const D3DDEVICEDESC* desc = hardware ? Hardware : Software;
  if (!desc || !(desc->dwDeviceRenderBitDepth & DDBitDepthFlag(choice->BitCount))) return DDENUMRET_OK;
  if (hardware || !choice->Found) {
    choice->Found = true;
    choice->FoundHardware = hardware;
    choice->Guid = *Guid;
    choice->Desc = *desc;
  }
  return DDENUMRET_OK;
}

bool HardwareWanted(TDirectDrawSurface* Surface, TDriverSelectFlags Flags) {
  const DDCAPS& caps = Surface->DDraw()->DriverCaps();
  return (Surface->SurfaceDesc().ddsCaps.dwCaps & DDSCAPS_VIDEOMEMORY) && (Flags & dsHardware) &&
         (caps.dwCaps & DDCAPS_3D) && (caps.ddsCaps.dwCaps & DDSCAPS_TEXTURE);
}

}  // namespace

DWORD DDBitDepthFlag(int BitCount) {
  switch (BitCount) {
    case 1: return DDBD_1;
    case 2: return DDBD_2;
    case 4: return DDBD_4;
    case 8: return DDBD_8;
    case 16: return DDBD_16;
    case 24: return DDBD_24;
    case 32: return DDBD_32;
    default: return 0;
  }
}

bool DeviceQualifies(const D3DDEVICEDESC& Hardware, int BitCount, bool BitCountMayChange) {
  if (Hardware.dwFlags == 0) return false;
  const DWORD depths = Hardware.dwDeviceRenderBitDepth;
  if (depths & DDBitDepthFlag(BitCount)) return true;
  return BitCountMayChange && (depths & (DDBD_16 | DDBD_24 | DDBD_32));
}

int DeviceBitCount(DWORD RenderDepths, int BitCount) {
  if (RenderDepths & DDBitDepthFlag(BitCount)) return BitCount;
  if (RenderDepths & DDBD_16) return 16;
  if (RenderDepths & DDBD_24) return 24;
  if (RenderDepths & DDBD_32) return 32;
  return BitCount;
}

void FindDriver(TDriverSelectFlags Flags, int& BitCount, TDriverGUID& DriverGUID) {
  const bool mayChange = (Flags & dsBitCountChange) != 0;
  TBestDriver best;
  if (Flags & dsSelectDriver) {
    std::vector<TDriverGUID> drivers;
    EnumDirectDrawDrivers(&CollectDriver, &drivers);
    for (const TDriverGUID& driver : drivers) {
      std::unique_ptr<TDirectDraw> dd;
      try {
        dd = std::make_unique<TDirectDraw>(driver);
      } catch (const EDirectDrawError&) {
        continue;  // a driver that cannot be made takes no part
      }
      const DDCAPS& caps = dd->DriverCaps();
      if (!(caps.dwCaps & DDCAPS_3D) || !(caps.ddsCaps.dwCaps & DDSCAPS_TEXTURE)) continue;
      TFoundDevice device = FindDevice(*dd, BitCount, mayChange);
      if (!device.Found) continue;
      if (best.Exists && !Outranks(caps, device, best)) continue;
      best.Exists = true;
      best.Guid = driver;
      best.DriverCaps = caps;
      best.HELCaps = dd->HELCaps();
      best.Device = device;
    }
    if (best.Exists && best.Guid.IsGuid()) DriverGUID = best.Guid;
  } else {
    TDirectDraw dd(DriverGUID);
    best.Device = FindDevice(dd, BitCount, mayChange);
    best.Exists = best.Device.Found;
    best.DriverCaps = dd.DriverCaps();
    best.HELCaps = dd.HELCaps();
  }
  if (mayChange && best.Exists) BitCount = DeviceBitCount(best.Device.Chosen.dwDeviceRenderBitDepth, BitCount);
}

void SelectDriver(TDriverSelectFlags Flags, TDXDrawDisplayOwner* Control) {
  TDXDrawDisplay* display = Control->Display();
  int bitCount = display->BitCount();
  TDriverGUID driver = Control->DriverGUID();
  FindDriver(Flags, bitCount, driver);
  Control->SetDriverGUID(driver);
  display->SetBitCount(bitCount);
}

// ---- Z-buffer ------------------------------------------------------------------------

bool CreateZBuffer(TDirectDrawSurface* Surface, std::unique_ptr<TDirectDrawSurface>& ZBuffer, DWORD ZBufferBitDepths,
                   bool Hardware) {
  ReleaseZBuffer(Surface, ZBuffer);
  DWORD depth = 0;
  if (ZBufferBitDepths & DDBD_16)
    depth = 16;
  else if (ZBufferBitDepths & DDBD_24)
    depth = 24;
  else if (ZBufferBitDepths & DDBD_32)
    depth = 32;
  else
    return false;
  DDSURFACEDESC desc = Surface->SurfaceDesc();
  desc.dwSize = DDSurfaceDescRecordSize;
  desc.dwFlags = DDSD_CAPS | DDSD_HEIGHT | DDSD_WIDTH | DDSD_ZBUFFERBITDEPTH;
  desc.ddsCaps.dwCaps = DDSCAPS_ZBUFFER | (Hardware ? DDSCAPS_VIDEOMEMORY : DDSCAPS_SYSTEMMEMORY);
  desc.dwHeight = static_cast<DWORD>(Surface->Height());
  desc.dwWidth = static_cast<DWORD>(Surface->Width());
  desc.dwZBufferBitDepth = depth;
  auto zbuffer = std::make_unique<TDirectDrawSurface>(Surface->DDraw());
  bool made = zbuffer->CreateSurface(desc);
  if (made) {
    Surface->Check(Surface->SurfaceIntf()->AddAttachedSurface(zbuffer->SurfaceIntf()));
    made = Surface->LastResult() == 0;
  }
  if (!made) return false;
  ZBuffer = std::move(zbuffer);
  return true;
}

bool CreateZBuffer(TDirectDrawSurface* Surface, std::unique_ptr<TDirectDrawSurface>& ZBuffer,
                   const D3DDEVICEDESC& Description, bool Hardware) {
  return CreateZBuffer(Surface, ZBuffer, Description.dwDeviceZBufferBitDepth, Hardware);
}

bool CreateZBuffer(TDirectDrawSurface* Surface, std::unique_ptr<TDirectDrawSurface>& ZBuffer,
                   const D3DDEVICEDESC7& Description, bool Hardware) {
  return CreateZBuffer(Surface, ZBuffer, Description.dwDeviceZBufferBitDepth, Hardware);
}

void ReleaseZBuffer(TDirectDrawSurface* Surface, std::unique_ptr<TDirectDrawSurface>& ZBuffer) {
  if (!ZBuffer) return;
  if (SurfaceIntf(Surface) && SurfaceIntf(ZBuffer.get()))
    Surface->SurfaceIntf()->DeleteAttachedSurface(0, ZBuffer->SurfaceIntf());
  ZBuffer.reset();
}

// ---- DirectX 7 set-up ------------------------------------------------------------------

void Init3D7(TDirectDrawSurface* Surface, std::unique_ptr<TDirectDrawSurface>& ZBuffer, IDirect3D7*& D3D7,
             TDriverSelectFlags& Flags, IDirect3DDevice7*& Device7) {
  ReleaseIntf(Device7);
  ReleaseIntf(D3D7);
  const TDriverSelectFlags wanted = Flags & ~dsRetainedMode;
  TDriverSelectFlags result = 0;
  try {
    D3D7 = RequireIntf<IDirect3D7>(Surface->DDraw()->Draw7Intf(), IID_IDirect3D7);
    bool hardware = HardwareWanted(Surface, wanted);
    for (int attempt = 0;; ++attempt) {
      TDevice7Choice choice;
      choice.Hardware = hardware;
      choice.BitCount = Surface->BitCount();
      D3D7->EnumDevices(&ChooseDevice7, &choice);
      if (!choice.Found) throw EDXDrawError("3D device not found");
      result = choice.FoundHardware ? dsHardware : 0;
      if ((wanted & dsZBuffer) && CreateZBuffer(Surface, ZBuffer, choice.Desc, choice.FoundHardware))
        result |= dsZBuffer;
      if (D3D7->CreateDevice(choice.Desc.deviceGUID, Surface->Surface7Intf(), &Device7) == 0 && Device7) break;
      ReleaseIntf(Device7);
      if (attempt == 1) throw EDXDrawError(Format("%s cannot be made", "IDirect3DDevice7"));
      hardware = false;
    }
  } catch (...) {
    ReleaseIntf(Device7);
    ReleaseIntf(D3D7);
    ReleaseZBuffer(Surface, ZBuffer);
    throw;
  }
  Flags = result;
}

// ---- Older set-up ----------------------------------------------------------------------

void TDXDraw3DInterfaces::ReleaseDevices() {
  ReleaseIntf(Viewport);
  ReleaseIntf(D3DRMDevice);
  ReleaseIntf(D3DRMDevice2);
  ReleaseIntf(D3DRMDevice3);
  ReleaseIntf(D3DDevice);
  ReleaseIntf(D3DDevice2);
  ReleaseIntf(D3DDevice3);
  ReleaseIntf(D3D);
  ReleaseIntf(D3D2);
  ReleaseIntf(D3D3);
}

void TDXDraw3DInterfaces::ReleaseAll() {
  ReleaseDevices();
  ReleaseIntf(Camera);
  ReleaseIntf(Scene);
  ReleaseIntf(D3DRM);
  ReleaseIntf(D3DRM2);
  ReleaseIntf(D3DRM3);
}

void Init3DLegacy(TDirectDrawSurface* Surface, std::unique_ptr<TDirectDrawSurface>& ZBuffer, TDXDraw3DInterfaces& Intf,
                  TDriverSelectFlags& Flags) {
  Intf.ReleaseDevices();
  const TDriverSelectFlags wanted = Flags;
  TDriverSelectFlags result = 0;
  try {
    IDirectDraw* dd = Surface->DDraw()->DrawIntf();
    Intf.D3D3 = RequireIntf<IDirect3D3>(dd, IID_IDirect3D3);
    Intf.D3D2 = RequireIntf<IDirect3D2>(dd, IID_IDirect3D2);
    Intf.D3D = RequireIntf<IDirect3D>(dd, IID_IDirect3D);

    bool hardware = HardwareWanted(Surface, wanted);
    for (int attempt = 0;; ++attempt) {
      TDeviceChoice choice;
      choice.Hardware = hardware;
      choice.BitCount = Surface->BitCount();
      Intf.D3D->EnumDevices(&ChooseDevice, &choice);
      if (!choice.Found) throw EDXDrawError("3D device not found");
      result = 0;
      if ((wanted & dsZBuffer) && CreateZBuffer(Surface, ZBuffer, choice.Desc, choice.FoundHardware))
        result |= dsZBuffer;
      if (Intf.D3D3->CreateDevice(choice.Guid, Surface->Surface4Intf(), &Intf.D3DDevice3, nullptr) == 0 &&
          Intf.D3DDevice3) {
        if (choice.FoundHardware) result |= dsHardware;
        break;
      }
      ReleaseIntf(Intf.D3DDevice3);
      if (attempt == 1) throw EDXDrawError(Format("%s cannot be made", "IDirect3DDevice3"));
      hardware = false;
    }
    Intf.D3DDevice2 = RequireIntf<IDirect3DDevice2>(Intf.D3DDevice3, IID_IDirect3DDevice2);
    Intf.D3DDevice = RequireIntf<IDirect3DDevice>(Intf.D3DDevice3, IID_IDirect3DDevice);

    const DWORD z = ZBuffer ? 1 : 0;
    Intf.D3DDevice3->SetRenderState(D3DRENDERSTATE_DITHERENABLE, 1);
    Intf.D3DDevice3->SetRenderState(D3DRENDERSTATE_ZENABLE, z);
    Intf.D3DDevice3->SetRenderState(D3DRENDERSTATE_ZWRITEENABLE, z);

    if (wanted & dsRetainedMode) {
      result |= dsRetainedMode;
      if (!Intf.D3DRM) {
        auto create = reinterpret_cast<TDirect3DRMCreate>(BindLibraryProc("D3DRM.dll", "Direct3DRMCreate"));
        if (create(&Intf.D3DRM) != 0 || !Intf.D3DRM) {
          Intf.D3DRM = nullptr;
          throw EDXDrawError(Format("%s cannot be initialized", "Direct3D RetainedMode"));
        }
        Intf.D3DRM2 = RequireIntf<IDirect3DRM2>(Intf.D3DRM, IID_IDirect3DRM2);
        Intf.D3DRM3 = RequireIntf<IDirect3DRM3>(Intf.D3DRM, IID_IDirect3DRM3);
      }
      if (Intf.D3DRM3->CreateDeviceFromD3D(Intf.D3D2, Intf.D3DDevice2, &Intf.D3DRMDevice3) != 0 || !Intf.D3DRMDevice3)
        throw EDXDrawError(Format("%s cannot be made", "IDirect3DRMDevice2"));
      Intf.D3DRMDevice3->SetBufferCount(2);
      Intf.D3DRMDevice = RequireIntf<IDirect3DRMDevice>(Intf.D3DRMDevice3, IID_IDirect3DRMDevice);
      Intf.D3DRMDevice2 = RequireIntf<IDirect3DRMDevice2>(Intf.D3DRMDevice3, IID_IDirect3DRMDevice2);

      Intf.D3DRMDevice->SetQuality(D3DRMRENDER_GOURAUD);
      Intf.D3DRMDevice->SetTextureQuality(D3DRMTEXTURE_NEAREST);
      Intf.D3DRMDevice->SetDither(TRUE);
      if (Surface->BitCount() == 8) Intf.D3DRMDevice->SetShades(8);
      Intf.D3DRM3->SetDefaultTextureColors(64);
      Intf.D3DRM3->SetDefaultTextureShades(32);

      if (!Intf.Scene) {
        Intf.D3DRM3->CreateFrame(nullptr, &Intf.Scene);
        Intf.D3DRM3->CreateFrame(Intf.Scene, &Intf.Camera);
        if (Intf.Camera) Intf.Camera->SetPosition(Intf.Camera, 0, 0, 0);
      }
      Intf.D3DRM3->CreateViewport(Intf.D3DRMDevice3, Intf.Camera, 0, 0, static_cast<DWORD>(Surface->Width()),
                                  static_cast<DWORD>(Surface->Height()), &Intf.Viewport);
      if (Intf.Viewport) Intf.Viewport->SetBack(5000.0f);
    }
  } catch (...) {
    Intf.ReleaseDevices();
    ReleaseZBuffer(Surface, ZBuffer);
    throw;
  }
  Flags = result;
}
