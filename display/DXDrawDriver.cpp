#include "display/DXDrawDriver.h"

#include "platform/rtl/Format.h"
#include "platform/win/Gdi.h"

namespace {

template <class T>
void FreeObject(T*& Object) {
  T* object = Object;
  Object = nullptr;
  delete object;
}

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

TDXDrawDriver::TDXDrawDriver(TCustomDXDraw* ADXDraw) : FDXDraw(ADXDraw) {
  const TDXDrawOptions o = FDXDraw->FOptions;
  const bool hardwareFullScreen =
      o.Contains(doFullScreen) && o.Contains(doHardware) && !o.Contains(doSystemMemory);
  if (hardwareFullScreen && o.Contains(do3D)) {
    TDriverSelectFlags flags = 0;
    if (o.Contains(doSelectDriver)) flags |= dsSelectDriver;
    if (!FDXDraw->Display()->FixedBitCount()) flags |= dsBitCountChange;
    if (o.Contains(doHardware)) flags |= dsHardware;
    if (o.Contains(doRetainedMode)) flags |= dsRetainedMode;
    if (o.Contains(doZBuffer)) flags |= dsZBuffer;
    SelectDriver(flags, FDXDraw);
  }
  const TDriverGUID driver = hardwareFullScreen ? FDXDraw->FDriverGUID : TDriverGUID::Primary();
  FDXDraw->FDDraw = new TDirectDraw(driver, o.Contains(doDirectX7Mode));
}

TDXDrawDriver::~TDXDrawDriver() {
  Finalize();
  FreeObject(FDXDraw->FDDraw);
}

void TDXDrawDriver::Finalize() {
  TCustomDXDraw& c = *FDXDraw;
  TDXDraw3DSlots& d3d = c.F3D;
  d3d.Legacy.ReleaseDevices();
  ReleaseIntf(d3d.D3DDevice7);
  ReleaseIntf(d3d.D3D7);
  if (d3d.ZBuffer) ReleaseZBuffer(c.FSurface, d3d.ZBuffer);
  FreeObject(c.FClipper);
  FreeObject(c.FPalette);
  FreeObject(c.FSurface);
  FreeObject(c.FPrimary);
  d3d.Legacy.ReleaseAll();
}

bool TDXDrawDriver::SetSize(int, int) { return false; }

bool TDXDrawDriver::Restore() {
  TCustomDXDraw& c = *FDXDraw;
  if (!c.FPrimary || !c.FPrimary->Restore()) return false;
  if (!c.FSurface || !c.FSurface->Restore()) return false;
  c.FPrimary->Fill(0);
  c.FSurface->Fill(0);
  return true;
}

void TDXDrawDriver::Init3D() {
  TCustomDXDraw& c = *FDXDraw;
  if (!c.FEffectiveOptions.Contains(do3D)) return;
  TDriverSelectFlags flags = 0;
  if (c.FOptions.Contains(doHardware)) flags |= dsHardware;
  if (c.FEffectiveOptions.Contains(doRetainedMode)) flags |= dsRetainedMode;
  if (c.FOptions.Contains(doSelectDriver)) flags |= dsSelectDriver;
  if (c.FOptions.Contains(doZBuffer)) flags |= dsZBuffer;
  if (c.FOptions.Contains(doDirectX7Mode))
    Init3D7(c.FSurface, c.F3D.ZBuffer, c.F3D.D3D7, flags, c.F3D.D3DDevice7);
  else
    Init3DLegacy(c.FSurface, c.F3D.ZBuffer, c.F3D.Legacy, flags);
  c.FEffectiveOptions -= TDXDrawOptions{doRetainedMode, doHardware, doSelectDriver, doZBuffer};
  if (flags & dsHardware) c.FEffectiveOptions.Include(doHardware);
  if (flags & dsRetainedMode) c.FEffectiveOptions.Include(doRetainedMode);
  if (flags & dsSelectDriver) c.FEffectiveOptions.Include(doSelectDriver);
  if (flags & dsZBuffer) c.FEffectiveOptions.Include(doZBuffer);
}

// ---- TDXDrawDriverBlt --------------------------------------------------------

void TDXDrawDriverBlt::Initialize() {
  TCustomDXDraw& c = *FDXDraw;
  c.FPrimary = new TDirectDrawSurface(c.FDDraw);
  if (!c.FPrimary->CreateSurface(SurfaceDescription(DDSD_CAPS, DDSCAPS_PRIMARYSURFACE)))
    throw EDXDrawError(Format("%s cannot be made", "Primary Surface"));
  c.FSurface = new TDirectDrawSurface(c.FDDraw);
  c.FClipper = new TDirectDrawClipper(c.FDDraw);
  c.FClipper->SetHandle(c.Handle());
  c.FPrimary->SetClipper(c.FClipper);
  c.FPalette = new TDirectDrawPalette(c.FDDraw);
  const bool all = c.FEffectiveOptions.Contains(doAllowPalette256);
  auto entries = PaletteEntriesFromColorTable(c.FPaletteTable, all);
  c.FPalette->CreatePalette(DDPCAPS_8BIT | DDPCAPS_INITIALIZE | (all ? DDPCAPS_ALLOW256 : 0), entries.data());
  c.FPrimary->SetPalette(c.FPalette);
  CreateBackSurface();
}

void TDXDrawDriverBlt::CreateBackSurface() {
  TCustomDXDraw& c = *FDXDraw;
  c.FSurface->SetSurfaceIntf(nullptr);
  c.FEffectiveOptions.Exclude(doSystemMemory);
  DDSURFACEDESC desc = SurfaceDescription(DDSD_CAPS | DDSD_HEIGHT | DDSD_WIDTH, DDSCAPS_OFFSCREENPLAIN);
  desc.dwWidth = static_cast<DWORD>(IntMax(c.FSurfaceWidth, 1));
  desc.dwHeight = static_cast<DWORD>(IntMax(c.FSurfaceHeight, 1));
  if (c.FOptions.Contains(doSystemMemory)) desc.ddsCaps.dwCaps |= DDSCAPS_SYSTEMMEMORY;
  if (c.FEffectiveOptions.Contains(do3D)) desc.ddsCaps.dwCaps |= DDSCAPS_3DDEVICE;
  if (!c.FSurface->CreateSurface(desc)) {
    desc.ddsCaps.dwCaps |= DDSCAPS_SYSTEMMEMORY;
    if (!c.FSurface->CreateSurface(desc)) throw EDXDrawError(Format("%s cannot be made", "Surface"));
  }
  if (!(c.FSurface->SurfaceDesc().ddsCaps.dwCaps & DDSCAPS_VIDEOMEMORY)) c.FEffectiveOptions.Include(doSystemMemory);
  c.FSurface->SetPalette(c.FPalette);
  c.FSurface->Fill(0);
  if (c.FEffectiveOptions.Contains(do3D)) Init3D();
}

bool TDXDrawDriverBlt::SetSize(int AWidth, int AHeight) {
  TCustomDXDraw& c = *FDXDraw;
  c.FSurfaceWidth = IntMax(AWidth, 1);
  c.FSurfaceHeight = IntMax(AHeight, 1);
  ++c.FInitializingCount;
  try {
    c.NotifyListeners(dnFinalizeSurface);
    if (c.FSurfaceEventFired) {
      c.FSurfaceEventFired = false;
      c.DoFinalizeSurface();
    }
    CreateBackSurface();
    c.NotifyListeners(dnInitializeSurface);
    c.FSurfaceEventFired = true;
    c.DoInitializeSurface();
  } catch (...) {
    --c.FInitializingCount;
    throw;
  }
  --c.FInitializingCount;
  return true;
}

void TDXDrawDriverBlt::Flip() {
  TCustomDXDraw& c = *FDXDraw;
  POINT origin = c.ClientToScreen(POINT{0, 0});
  const int sw = c.FSurface->Width(), sh = c.FSurface->Height();
  RECT dest;
  if (c.FEffectiveOptions.Contains(doStretch)) {
    dest = RECT{origin.x, origin.y, origin.x + c.Width(), origin.y + c.Height()};
  } else {
    if (c.FEffectiveOptions.Contains(doCenter)) {
      // Truncated toward zero: an odd extra pixel lies right of and below
      // the surface, a smaller control shows the surface's middle.
      origin.x += (c.Width() - sw) / 2;
      origin.y += (c.Height() - sh) / 2;
    }
    dest = RECT{origin.x, origin.y, origin.x + sw, origin.y + sh};
  }
  if (c.FEffectiveOptions.Contains(doWaitVBlank)) {
    if (IDirectDraw* dd = ::DrawIntf(c.FDDraw)) c.FDDraw->Check(dd->WaitForVerticalBlank(DDWAITVB_BLOCKBEGIN, nullptr));
  }
  DDBLTFX fx;
  fx.dwSize = DDBltFxRecordSize;
  c.FPrimary->Blt(&dest, nullptr, DDBLT_WAIT, fx, c.FSurface);
}

// ---- TDXDrawDriverFlip -------------------------------------------------------

void TDXDrawDriverFlip::Initialize() {
  TCustomDXDraw& c = *FDXDraw;
  DWORD caps = DDSCAPS_PRIMARYSURFACE | DDSCAPS_FLIP | DDSCAPS_COMPLEX;
  if (c.FEffectiveOptions.Contains(do3D)) caps |= DDSCAPS_3DDEVICE;
  DDSURFACEDESC desc = SurfaceDescription(DDSD_CAPS | DDSD_BACKBUFFERCOUNT, caps);
  desc.dwBackBufferCount = 1;
  c.FPrimary = new TDirectDrawSurface(c.FDDraw);
  if (!c.FPrimary->CreateSurface(desc)) throw EDXDrawError(Format("%s cannot be made", "Primary Surface"));
  c.FSurface = new TDirectDrawSurface(c.FDDraw);
  DDSCAPS backCaps;
  backCaps.dwCaps = DDSCAPS_BACKBUFFER;
  IDirectDrawSurface* back = nullptr;
  if (SurfaceIntf(c.FPrimary)->GetAttachedSurface(&backCaps, &back) == 0 && back) {
    c.FSurface->SetSurfaceIntf(back);
  }
  if (back) back->Release();
  c.FEffectiveOptions.Exclude(doSystemMemory);
  if (c.FSurface->SurfaceDesc().ddsCaps.dwCaps & DDSCAPS_SYSTEMMEMORY) c.FEffectiveOptions.Include(doSystemMemory);
  c.FClipper = new TDirectDrawClipper(c.FDDraw);
  c.FPalette = new TDirectDrawPalette(c.FDDraw);
  const bool all = c.FOptions.Contains(doAllowPalette256);
  auto entries = PaletteEntriesFromColorTable(c.FPaletteTable, c.FEffectiveOptions.Contains(doAllowPalette256));
  c.FPalette->CreatePalette(DDPCAPS_8BIT | (all ? DDPCAPS_ALLOW256 : 0), entries.data());
  c.FPrimary->SetPalette(c.FPalette);
  c.FSurface->SetPalette(c.FPalette);
  if (c.FEffectiveOptions.Contains(do3D)) Init3D();
}

void TDXDrawDriverFlip::Flip() {
  TCustomDXDraw& c = *FDXDraw;
  if (c.FParentForm && c.FParentForm->Active()) {
    if (IDirectDrawSurface* primary = SurfaceIntf(c.FPrimary)) c.FPrimary->Check(primary->Flip(nullptr, DDFLIP_WAIT));
  } else {
    c.FPrimary->Check(0);
  }
}
