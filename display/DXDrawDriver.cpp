#include "display/DXDrawDriver.h"

#include "display/DXDrawError.h"
#include "display/DriverSelect.h"
#include "platform/rtl/Format.h"
#include "platform/win/Gdi.h"

namespace {

DDSURFACEDESC SurfaceDescription(DWORD Flags, DWORD Caps) {
  DDSURFACEDESC desc;
  desc.dwSize = DDSurfaceDescRecordSize;
  desc.dwFlags = Flags;
  desc.ddsCaps.dwCaps = Caps;
  return desc;
}

}  // namespace

std::array<PALETTEENTRY, 256> PaletteEntriesFromColorTable(const TRGBQuads& ColorTable, bool KeepAll) {
  std::array<PALETTEENTRY, 256> entries{};
  for (size_t i = 0; i < entries.size(); ++i) {
    entries[i].peRed = ColorTable[i].rgbRed;
    entries[i].peGreen = ColorTable[i].rgbGreen;
    entries[i].peBlue = ColorTable[i].rgbBlue;
  }
  if (!KeepAll) {
    HDC dc = GetDC(nullptr);
    GetSystemPaletteEntries(dc, 0, 10, entries.data());
    GetSystemPaletteEntries(dc, 246, 10, entries.data() + 246);
    ReleaseDC(nullptr, dc);
  }
  for (PALETTEENTRY& e : entries) e.peFlags = 0x40;
  return entries;
}

// ---- TDXDrawDriver -----------------------------------------------------------

TDXDrawDriver::TDXDrawDriver(TDXDrawDriverHost& AHost) : FHost(AHost) {
  const TDXDrawOptions o = FHost.RequestedOptions();
  TDXDrawDisplayOwner& owner = FHost.DisplayOwner();
  const bool hardwareFullScreen = o.Contains(doFullScreen) && o.Contains(doHardware) && !o.Contains(doSystemMemory);
  if (hardwareFullScreen && o.Contains(do3D)) {
    TDriverSelectFlags flags = 0;
    if (o.Contains(doSelectDriver)) flags |= dsSelectDriver;
    if (!owner.Display()->FixedBitCount()) flags |= dsBitCountChange;
    if (o.Contains(doHardware)) flags |= dsHardware;
    if (o.Contains(doRetainedMode)) flags |= dsRetainedMode;
    if (o.Contains(doZBuffer)) flags |= dsZBuffer;
    SelectDriver(flags, &owner);
  }
  const TDriverGUID driver = hardwareFullScreen ? owner.DriverGUID() : TDriverGUID::Primary();
  FDDraw = std::make_unique<TDirectDraw>(driver, o.Contains(doDirectX7Mode));
}

TDXDrawDriver::~TDXDrawDriver() {
  Finalize();
  FDDraw.reset();
}

void TDXDrawDriver::Finalize() {
  TDXDraw3DSlots& d3d = FHost.D3DSlotsToFill();
  d3d.Legacy.ReleaseDevices();
  ReleaseIntf(d3d.D3DDevice7);
  ReleaseIntf(d3d.D3D7);
  if (d3d.ZBuffer) ReleaseZBuffer(FSurface.get(), d3d.ZBuffer);
  FClipper.reset();
  FPalette.reset();
  FSurface.reset();
  FPrimary.reset();
  d3d.Legacy.ReleaseAll();
}

bool TDXDrawDriver::Restore() {
  if (!FPrimary || !FPrimary->Restore()) return false;
  if (!FSurface || !FSurface->Restore()) return false;
  FPrimary->Fill(0);
  FSurface->Fill(0);
  return true;
}

void TDXDrawDriver::Init3D() {
  TDXDrawOptions& effective = FHost.EffectiveOptionsToUpdate();
  if (!effective.Contains(do3D)) return;
  const TDXDrawOptions requested = FHost.RequestedOptions();
  TDXDraw3DSlots& d3d = FHost.D3DSlotsToFill();
  TDriverSelectFlags flags = 0;
  if (requested.Contains(doHardware)) flags |= dsHardware;
  if (effective.Contains(doRetainedMode)) flags |= dsRetainedMode;
  if (requested.Contains(doSelectDriver)) flags |= dsSelectDriver;
  if (requested.Contains(doZBuffer)) flags |= dsZBuffer;
  if (requested.Contains(doDirectX7Mode))
    Init3D7(FSurface.get(), d3d.ZBuffer, d3d.D3D7, flags, d3d.D3DDevice7);
  else
    Init3DLegacy(FSurface.get(), d3d.ZBuffer, d3d.Legacy, flags);
  effective -= TDXDrawOptions{doRetainedMode, doHardware, doSelectDriver, doZBuffer};
  if (flags & dsHardware) effective.Include(doHardware);
  if (flags & dsRetainedMode) effective.Include(doRetainedMode);
  if (flags & dsSelectDriver) effective.Include(doSelectDriver);
  if (flags & dsZBuffer) effective.Include(doZBuffer);
}

// ---- TDXDrawDriverBlt --------------------------------------------------------

void TDXDrawDriverBlt::Initialize() {
  FPrimary = std::make_unique<TDirectDrawSurface>(FDDraw.get());
  if (!FPrimary->CreateSurface(SurfaceDescription(DDSD_CAPS, DDSCAPS_PRIMARYSURFACE)))
    throw EDXDrawError(Format("%s cannot be made", "Primary Surface"));
  FSurface = std::make_unique<TDirectDrawSurface>(FDDraw.get());
  FClipper = std::make_unique<TDirectDrawClipper>(FDDraw.get());
  FClipper->SetHandle(FHost.ClipWindow());
  FPrimary->SetClipper(FClipper.get());
  FPalette = std::make_unique<TDirectDrawPalette>(FDDraw.get());
  const bool all = FHost.EffectiveOptionsToUpdate().Contains(doAllowPalette256);
  auto entries = PaletteEntriesFromColorTable(FHost.InitialColorTable(), all);
  FPalette->CreatePalette(DDPCAPS_8BIT | DDPCAPS_INITIALIZE | (all ? DDPCAPS_ALLOW256 : 0), entries.data());
  FPrimary->SetPalette(FPalette.get());
  CreateBackSurface();
}

void TDXDrawDriverBlt::CreateBackSurface() {
  TDXDrawOptions& effective = FHost.EffectiveOptionsToUpdate();
  FSurface->SetSurfaceIntf(nullptr);
  effective.Exclude(doSystemMemory);
  DDSURFACEDESC desc = SurfaceDescription(DDSD_CAPS | DDSD_HEIGHT | DDSD_WIDTH, DDSCAPS_OFFSCREENPLAIN);
  desc.dwWidth = static_cast<DWORD>(IntMax(FHost.StoredSurfaceWidth(), 1));
  desc.dwHeight = static_cast<DWORD>(IntMax(FHost.StoredSurfaceHeight(), 1));
  if (FHost.RequestedOptions().Contains(doSystemMemory)) desc.ddsCaps.dwCaps |= DDSCAPS_SYSTEMMEMORY;
  if (effective.Contains(do3D)) desc.ddsCaps.dwCaps |= DDSCAPS_3DDEVICE;
  if (!FSurface->CreateSurface(desc)) {
    desc.ddsCaps.dwCaps |= DDSCAPS_SYSTEMMEMORY;
    if (!FSurface->CreateSurface(desc)) throw EDXDrawError(Format("%s cannot be made", "Surface"));
  }
  if (!(FSurface->SurfaceDesc().ddsCaps.dwCaps & DDSCAPS_VIDEOMEMORY)) effective.Include(doSystemMemory);
  FSurface->SetPalette(FPalette.get());
  FSurface->Fill(0);
  if (effective.Contains(do3D)) Init3D();
}

void TDXDrawDriverBlt::Flip() {
  const TDXDrawOptions effective = FHost.EffectiveOptionsToUpdate();
  const RECT client = FHost.ScreenClientRect();
  POINT origin{client.left, client.top};
  const int width = client.right - client.left, height = client.bottom - client.top;
  const int sw = FSurface->Width(), sh = FSurface->Height();
  RECT dest;
  if (effective.Contains(doStretch)) {
    dest = client;
  } else {
    if (effective.Contains(doCenter)) {
      // Truncated toward zero: an odd extra pixel lies right of and below
      // the surface, a smaller control shows the surface's middle.
      origin.x += (width - sw) / 2;
      origin.y += (height - sh) / 2;
    }
    dest = RECT{origin.x, origin.y, origin.x + sw, origin.y + sh};
  }
  if (effective.Contains(doWaitVBlank)) {
    if (IDirectDraw* dd = ::DrawIntf(FDDraw.get()))
      FDDraw->Check(dd->WaitForVerticalBlank(DDWAITVB_BLOCKBEGIN, nullptr));
  }
  DDBLTFX fx;
  fx.dwSize = DDBltFxRecordSize;
  FPrimary->Blt(&dest, nullptr, DDBLT_WAIT, fx, FSurface.get());
}

// ---- TDXDrawDriverFlip -------------------------------------------------------

void TDXDrawDriverFlip::Initialize() {
  TDXDrawOptions& effective = FHost.EffectiveOptionsToUpdate();
  DWORD caps = DDSCAPS_PRIMARYSURFACE | DDSCAPS_FLIP | DDSCAPS_COMPLEX;
  if (effective.Contains(do3D)) caps |= DDSCAPS_3DDEVICE;
  DDSURFACEDESC desc = SurfaceDescription(DDSD_CAPS | DDSD_BACKBUFFERCOUNT, caps);
  desc.dwBackBufferCount = 1;
  FPrimary = std::make_unique<TDirectDrawSurface>(FDDraw.get());
  if (!FPrimary->CreateSurface(desc)) throw EDXDrawError(Format("%s cannot be made", "Primary Surface"));
  FSurface = std::make_unique<TDirectDrawSurface>(FDDraw.get());
  DDSCAPS backCaps;
  backCaps.dwCaps = DDSCAPS_BACKBUFFER;
  IDirectDrawSurface* back = nullptr;
  if (SurfaceIntf(FPrimary.get())->GetAttachedSurface(&backCaps, &back) == 0 && back) {
    FSurface->SetSurfaceIntf(back);
  }
  if (back) back->Release();
  effective.Exclude(doSystemMemory);
  if (FSurface->SurfaceDesc().ddsCaps.dwCaps & DDSCAPS_SYSTEMMEMORY) effective.Include(doSystemMemory);
  FClipper = std::make_unique<TDirectDrawClipper>(FDDraw.get());
  FPalette = std::make_unique<TDirectDrawPalette>(FDDraw.get());
  const bool all = FHost.RequestedOptions().Contains(doAllowPalette256);
  auto entries = PaletteEntriesFromColorTable(FHost.InitialColorTable(), effective.Contains(doAllowPalette256));
  FPalette->CreatePalette(DDPCAPS_8BIT | (all ? DDPCAPS_ALLOW256 : 0), entries.data());
  FPrimary->SetPalette(FPalette.get());
  FSurface->SetPalette(FPalette.get());
  if (effective.Contains(do3D)) Init3D();
}

void TDXDrawDriverFlip::Flip() {
  if (FHost.FormActive()) {
    if (IDirectDrawSurface* primary = SurfaceIntf(FPrimary.get())) FPrimary->Check(primary->Flip(nullptr, DDFLIP_WAIT));
  } else {
    FPrimary->Check(0);
  }
}
