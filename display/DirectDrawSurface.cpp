#include "display/DirectDrawSurface.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <utility>

#include "display/DIB.h"
#include "platform/rtl/Format.h"
#include "platform/toolkit/Picture.h"
#include "platform/win/Gdi.h"

namespace {

template <class T>
T* QueryIntf(IUnknown* From, REFIID Iid) {
  void* p = nullptr;
  if (!From || From->QueryInterface(Iid, &p) != 0) return nullptr;
  return static_cast<T*>(p);
}

LONG ClampToLong(std::int64_t V) { return static_cast<LONG>(std::clamp<std::int64_t>(V, INT32_MIN, INT32_MAX)); }

// The copy flags of Draw, plain and through the source's colour key.
constexpr DWORD FastCopyFlags[2] = {DDBLTFAST_WAIT, DDBLTFAST_WAIT | DDBLTFAST_SRCCOLORKEY};
constexpr DWORD CopyFlags[2] = {DDBLT_WAIT, DDBLT_WAIT | DDBLT_KEYSRC};

DDBLTFX EmptyBltFx() {
  DDBLTFX fx;
  fx.dwSize = DDBltFxRecordSize;
  return fx;
}

// A device-independent bitmap in a memory DC, for drawing through GDI.
class TScratchDib {
 public:
  TScratchDib(int Width, int Height, int BitCount, const RGBQUAD* Colors, int ColorCount) {
    TInfo info;
    info.Header.biSize = sizeof(BITMAPINFOHEADER);
    info.Header.biWidth = Width;
    info.Header.biHeight = -Height;
    info.Header.biPlanes = 1;
    info.Header.biBitCount = static_cast<WORD>(BitCount);
    info.Header.biCompression = BI_RGB;
    info.Header.biClrUsed = static_cast<DWORD>(ColorCount);
    for (int i = 0; i < ColorCount; ++i) info.Colors[i] = Colors[i];
    FDC = CreateCompatibleDC(nullptr);
    FBitmap = CreateDIBSection(FDC, reinterpret_cast<const BITMAPINFO*>(&info), DIB_RGB_COLORS, &FBits, nullptr, 0);
    if (FDC && FBitmap) FOld = SelectObject(FDC, FBitmap);
  }
  ~TScratchDib() {
    if (FDC && FOld) SelectObject(FDC, FOld);
    if (FBitmap) DeleteObject(FBitmap);
    if (FDC) DeleteDC(FDC);
  }
  TScratchDib(const TScratchDib&) = delete;
  TScratchDib& operator=(const TScratchDib&) = delete;

  bool Valid() const { return FDC && FBitmap && FBits; }
  HDC DC() const { return FDC; }
  void* Bits() const { return FBits; }

 private:
  struct TInfo {
    BITMAPINFOHEADER Header;
    RGBQUAD Colors[256];
  };
  HDC FDC = nullptr;
  HBITMAP FBitmap = nullptr;
  HGDIOBJ FOld = nullptr;
  void* FBits = nullptr;
};

}  // namespace

// ---- TDirectDrawSurfaceCanvas ------------------------------------------------

TDirectDrawSurfaceCanvas::TDirectDrawSurfaceCanvas(TDirectDrawSurface* ASurface) : FSurface(ASurface) {}

TDirectDrawSurfaceCanvas::~TDirectDrawSurfaceCanvas() {
  Release();
  // Freed on its own rather than by its surface: the surface's pointer
  // lets go without freeing it again.
  if (FSurface && FSurface->FCanvas.get() == this) static_cast<void>(FSurface->FCanvas.release());
}

void TDirectDrawSurfaceCanvas::CreateHandle() {
  IDirectDrawSurface* surface = FSurface->SurfaceIntf();
  HDC dc = nullptr;
  FSurface->Check(surface->GetDC(&dc));
  if (FSurface->LastResult() == 0 && dc) {
    FDC = dc;
    SetHandle(dc);
    return;
  }
  // No DC (a lost or busy surface): the failure stays recorded on the
  // surface and the drawing goes into a DC without pixels until Release.
  FNullDC = ::GetDC(nullptr);
  SetHandle(FNullDC);
}

void TDirectDrawSurfaceCanvas::Release() {
  if (FNullDC) {
    SetHandle(nullptr);
    ::ReleaseDC(nullptr, FNullDC);
    FNullDC = nullptr;
  }
  if (FDC) {
    SetHandle(nullptr);
    if (IDirectDrawSurface* surface = ::SurfaceIntf(FSurface)) surface->ReleaseDC(FDC);
    FDC = nullptr;
  }
}

// ---- TDirectDrawSurface ------------------------------------------------------

TDirectDrawSurface::TDirectDrawSurface(TDirectDraw* ADDraw) : FDDraw(ADDraw) { FDDraw->RegisterSurface(this); }

TDirectDrawSurface::~TDirectDrawSurface() {
  // reset() empties the pointer before the canvas's destructor runs.
  FCanvas.reset();
  SetSurfaceIntf(nullptr);
  if (!FDDraw) return;  // detached: the DirectDraw object has gone
  FDDraw->UnregisterSurface(this);
}

void TDirectDrawSurface::Detach() {
  SetSurfaceIntf(nullptr);
  FDDraw = nullptr;
}

IDirectDrawSurface* TDirectDrawSurface::SurfaceIntf() const {
  if (!FSurfaceIntf) throw EDirectDrawSurfaceError(Format("%s not made", "IDirectDrawSurface"));
  return FSurfaceIntf;
}

IDirectDrawSurface4* TDirectDrawSurface::Surface4Intf() const {
  if (!FSurface4Intf) throw EDirectDrawSurfaceError(Format("%s not made", "IDirectDrawSurface4"));
  return FSurface4Intf;
}

IDirectDrawSurface7* TDirectDrawSurface::Surface7Intf() const {
  if (!FSurface7Intf) throw EDirectDrawSurfaceError(Format("%s not made", "IDirectDrawSurface7"));
  return FSurface7Intf;
}

IDirectDrawSurface* SurfaceIntf(const TDirectDrawSurface* Surface) { return Surface ? Surface->FSurfaceIntf : nullptr; }
IDirectDrawSurface4* Surface4Intf(const TDirectDrawSurface* Surface) {
  return Surface ? Surface->FSurface4Intf : nullptr;
}
IDirectDrawSurface7* Surface7Intf(const TDirectDrawSurface* Surface) {
  return Surface ? Surface->FSurface7Intf : nullptr;
}

void TDirectDrawSurface::ReleaseInterfaces() {
  ReleaseIntf(FSurfaceIntf);
  ReleaseIntf(FSurface4Intf);
  ReleaseIntf(FSurface7Intf);
  ReleaseIntf(FGammaControl);
}

void TDirectDrawSurface::SetSurfaceIntf(IDirectDrawSurface* Value) {
  IDirectDrawSurface* adopted = QueryIntf<IDirectDrawSurface>(Value, IID_IDirectDrawSurface);
  if (adopted == FSurfaceIntf) {
    if (adopted) adopted->Release();
    return;
  }
  // The canvas gives its DC back, and a lock is ended, while the surface
  // they belong to is still held.
  if (FCanvas) FCanvas->Release();
  if (FSurfaceIntf && FLockCount > 0) FSurfaceIntf->Unlock(FLockSurfaceDesc.lpSurface);
  ReleaseInterfaces();
  FHasClipper = false;
  FLockCount = 0;
  FSurfaceDesc = DDSURFACEDESC{};
  if (!adopted) return;

  FSurfaceIntf = adopted;
  FSurface4Intf = QueryIntf<IDirectDrawSurface4>(adopted, IID_IDirectDrawSurface4);
  if (::Draw7Intf(FDDraw)) FSurface7Intf = QueryIntf<IDirectDrawSurface7>(adopted, IID_IDirectDrawSurface7);
  IDirectDrawClipper* clipper = nullptr;
  FHasClipper = adopted->GetClipper(&clipper) == 0 && clipper;
  if (clipper) clipper->Release();
  FSurfaceDesc.dwSize = DDSurfaceDescRecordSize;
  adopted->GetSurfaceDesc(&FSurfaceDesc);
  if (FDDraw && FDDraw->DriverCaps().dwCaps2 & DDCAPS2_PRIMARYGAMMA)
    FGammaControl = QueryIntf<IDirectDrawGammaControl>(adopted, IID_IDirectDrawGammaControl);
}

bool TDirectDrawSurface::CreateSurface(const DDSURFACEDESC& Desc) {
  SetSurfaceIntf(nullptr);
  DDSURFACEDESC desc = Desc;
  IDirectDrawSurface* made = nullptr;
  if (!FDDraw) return false;
  FDDraw->Check(FDDraw->DrawIntf()->CreateSurface(&desc, &made, nullptr));
  Check(FDDraw->LastResult());
  if (LastResult() != 0 || !made) {
    if (made) made->Release();
    return false;
  }
  SetSurfaceIntf(made);
  made->Release();
  SetTransparentColor(0);
  return true;
}

void TDirectDrawSurface::SetSize(int AWidth, int AHeight) {
  if (AWidth <= 0 || AHeight <= 0) {
    SetSurfaceIntf(nullptr);
    return;
  }
  DDSURFACEDESC desc;
  desc.dwSize = DDSurfaceDescRecordSize;
  desc.dwFlags = DDSD_CAPS | DDSD_HEIGHT | DDSD_WIDTH;
  desc.dwWidth = static_cast<DWORD>(AWidth);
  desc.dwHeight = static_cast<DWORD>(AHeight);
  desc.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN | (FSystemMemory ? DDSCAPS_SYSTEMMEMORY : 0);
  if (CreateSurface(desc)) return;
  if (!(desc.ddsCaps.dwCaps & DDSCAPS_SYSTEMMEMORY)) {
    desc.ddsCaps.dwCaps = (desc.ddsCaps.dwCaps & ~DDSCAPS_VIDEOMEMORY) | DDSCAPS_SYSTEMMEMORY;
    if (CreateSurface(desc)) {
      FSystemMemory = true;
      return;
    }
  }
  throw EDirectDrawSurfaceError(Format("%s cannot be made", "Surface"));
}

void TDirectDrawSurface::Assign(const TPersistent* Source) {
  if (!Source) {
    SetSurfaceIntf(nullptr);
  } else if (auto* graphic = dynamic_cast<const TGraphic*>(Source)) {
    LoadFromGraphic(const_cast<TGraphic*>(graphic));
  } else if (auto* picture = dynamic_cast<const TPicture*>(Source)) {
    LoadFromGraphic(picture->Graphic());
  } else if (auto* surface = dynamic_cast<const TDirectDrawSurface*>(Source)) {
    if (surface->FSurfaceIntf && FDDraw) {
      IDirectDrawSurface* duplicate = nullptr;
      FDDraw->Check(FDDraw->DrawIntf()->DuplicateSurface(surface->FSurfaceIntf, &duplicate));
      if (FDDraw->LastResult() == 0 && duplicate) SetSurfaceIntf(duplicate);
      if (duplicate) duplicate->Release();
    } else {
      SetSurfaceIntf(nullptr);
    }
  } else {
    TDirectX::Assign(Source);
  }
}

void TDirectDrawSurface::AssignTo(TPersistent* Dest) const {
  auto* dib = dynamic_cast<TDIB*>(Dest);
  if (!dib) {
    TDirectX::AssignTo(Dest);
    return;
  }
  // 24 bits take the 8-8-8 layout, whatever the DIB held before.
  dib->PixelFormat = Layout888();
  dib->SetSize(Width(), Height(), 24);
  if (!FSurfaceIntf || dib->Empty()) return;
  auto* self = const_cast<TDirectDrawSurface*>(this);
  TCanvas* target = dib->Canvas();
  const TCopyMode mode = target->CopyMode();
  target->SetCopyMode(cmSrcCopy);
  target->CopyRect(ClientRect(), self->Canvas(), ClientRect());
  target->SetCopyMode(mode);
  self->Canvas()->Release();
}

bool TDirectDrawSurface::Blt(const RECT* DestRect, const RECT* SrcRect, DWORD Flags, const DDBLTFX& DF,
                             TDirectDrawSurface* Source) {
  if (!FSurfaceIntf) return false;
  RECT dest = DestRect ? *DestRect : RECT{};
  RECT src = SrcRect ? *SrcRect : RECT{};
  DDBLTFX fx = DF;
  Check(FSurfaceIntf->Blt(DestRect ? &dest : nullptr, ::SurfaceIntf(Source), SrcRect ? &src : nullptr, Flags, &fx));
  return LastResult() == 0;
}

bool TDirectDrawSurface::BltFast(int X, int Y, const RECT& SrcRect, DWORD Flags, TDirectDrawSurface* Source) {
  if (!FSurfaceIntf) return false;
  RECT src = SrcRect;
  Check(FSurfaceIntf->BltFast(static_cast<DWORD>(X), static_cast<DWORD>(Y), ::SurfaceIntf(Source), &src, Flags));
  return LastResult() == 0;
}

void TDirectDrawSurface::Draw(int X, int Y, const RECT& SrcRect, TDirectDrawSurface* Source, bool Transparent) {
  if (!Source || X > Width() || Y > Height()) return;
  if (SrcRect.right < SrcRect.left || SrcRect.bottom < SrcRect.top) {
    DrawMirrored(X, Y, SrcRect, Source, Transparent);
    return;
  }
  const std::int64_t w = std::int64_t{SrcRect.right} - SrcRect.left;
  const std::int64_t h = std::int64_t{SrcRect.bottom} - SrcRect.top;
  RECT dest{X, Y, ClampToLong(X + w), ClampToLong(Y + h)};
  RECT src = SrcRect;
  if (!ClipBlitRects(dest, src, ClientRect(), Source->ClientRect())) return;
  if (FHasClipper) {
    Blt(&dest, &src, CopyFlags[Transparent], EmptyBltFx(), Source);
    return;
  }
  BltFast(dest.left, dest.top, src, FastCopyFlags[Transparent], Source);
  if (LastResult() == DDERR_BLTFASTCANTCLIP) {
    // A clipper was attached behind this object's back: from now on the
    // general copy is taken at once.
    IDirectDrawClipper* clipper = nullptr;
    if (FSurfaceIntf->GetClipper(&clipper) == 0 && clipper) FHasClipper = true;
    if (clipper) clipper->Release();
    Blt(&dest, &src, CopyFlags[Transparent], EmptyBltFx(), Source);
  }
}

void TDirectDrawSurface::DrawMirrored(int X, int Y, RECT SrcRect, TDirectDrawSurface* Source, bool Transparent) {
  const std::int64_t w = std::abs(std::int64_t{SrcRect.right} - SrcRect.left);
  const std::int64_t h = std::abs(std::int64_t{SrcRect.bottom} - SrcRect.top);
  if (!(X + w > 0 && Y + h > 0)) return;
  DDBLTFX fx = EmptyBltFx();
  const bool leftRight = SrcRect.right < SrcRect.left;
  const bool upDown = SrcRect.bottom < SrcRect.top;
  if (leftRight) {
    std::swap(SrcRect.left, SrcRect.right);
    fx.dwDDFX |= DDBLTFX_MIRRORLEFTRIGHT;
  }
  if (upDown) {
    std::swap(SrcRect.top, SrcRect.bottom);
    fx.dwDDFX |= DDBLTFX_MIRRORUPDOWN;
  }
  RECT dest{X, Y, ClampToLong(X + w), ClampToLong(Y + h)};
  // A mirrored copy shows the source's right (or bottom) edge at the
  // destination's left (or top) edge. Clipping therefore runs on the source
  // rectangle reflected within its surface, where the two rectangles
  // correspond edge for edge, and the clipped rectangle is reflected back.
  const std::int64_t sw = Source->Width(), sh = Source->Height();
  auto reflect = [&](RECT& r) {
    if (leftRight) {
      const std::int64_t left = r.left;
      r.left = ClampToLong(sw - r.right);
      r.right = ClampToLong(sw - left);
    }
    if (upDown) {
      const std::int64_t top = r.top;
      r.top = ClampToLong(sh - r.bottom);
      r.bottom = ClampToLong(sh - top);
    }
  };
  RECT src = SrcRect;
  reflect(src);
  if (!ClipBlitRects(dest, src, ClientRect(), Source->ClientRect())) return;
  reflect(src);
  Blt(&dest, &src, CopyFlags[Transparent] | DDBLT_DDFX, fx, Source);
}

bool TDirectDrawSurface::Fill(DWORD DevColor) {
  DDBLTFX fx = EmptyBltFx();
  fx.dwFillColor = DevColor;
  return Blt(nullptr, nullptr, DDBLT_COLORFILL | DDBLT_WAIT, fx, nullptr);
}

bool TDirectDrawSurface::Lock(const RECT* Rect, DDSURFACEDESC& Desc) {
  if (!FSurfaceIntf || FLockCount > 0) return false;
  FLockSurfaceDesc = DDSURFACEDESC{};
  FLockSurfaceDesc.dwSize = DDSurfaceDescRecordSize;
  RECT part;
  const bool partial =
      Rect && (Rect->left != 0 || Rect->top != 0 || Rect->right != Width() || Rect->bottom != Height());
  if (partial) part = *Rect;
  Check(FSurfaceIntf->Lock(partial ? &part : nullptr, &FLockSurfaceDesc, DDLOCK_WAIT, nullptr));
  if (LastResult() != 0) return false;
  ++FLockCount;
  Desc = FLockSurfaceDesc;
  return true;
}

void TDirectDrawSurface::Unlock() {
  if (!FSurfaceIntf || FLockCount <= 0) return;
  --FLockCount;
  if (FLockCount == 0) FSurfaceIntf->Unlock(FLockSurfaceDesc.lpSurface);
}

bool TDirectDrawSurface::ReadPixel(int X, int Y, DWORD& Value) {
  Value = 0;
  if (!FSurfaceIntf || X < 0 || X >= Width() || Y < 0 || Y >= Height()) return false;
  DDSURFACEDESC desc;
  if (!Lock(nullptr, desc)) return false;
  const BYTE* row = static_cast<const BYTE*>(desc.lpSurface) + static_cast<std::ptrdiff_t>(Y) * desc.lPitch;
  const size_t x = static_cast<size_t>(X);
  switch (desc.ddpfPixelFormat.dwRGBBitCount) {
    case 1: Value = (row[x / 8] >> (7 - (x & 7))) & 1; break;
    case 4: Value = (x & 1) ? row[x / 2] & 0x0F : row[x / 2] >> 4; break;
    case 8: Value = row[x]; break;
    case 16: Value = DWORD{row[2 * x]} | DWORD{row[2 * x + 1]} << 8; break;
    case 24: Value = DWORD{row[3 * x]} | DWORD{row[3 * x + 1]} << 8 | DWORD{row[3 * x + 2]} << 16; break;
    case 32:
      Value =
          DWORD{row[4 * x]} | DWORD{row[4 * x + 1]} << 8 | DWORD{row[4 * x + 2]} << 16 | DWORD{row[4 * x + 3]} << 24;
      break;
    default: break;
  }
  Unlock();
  return true;
}

DWORD TDirectDrawSurface::GetPixel(int X, int Y) {
  DWORD value = 0;
  ReadPixel(X, Y, value);
  return value;
}

void TDirectDrawSurface::SetPixel(int X, int Y, DWORD Value) {
  if (!FSurfaceIntf || X < 0 || X >= Width() || Y < 0 || Y >= Height()) return;
  DDSURFACEDESC desc;
  if (!Lock(nullptr, desc)) return;
  BYTE* row = static_cast<BYTE*>(desc.lpSurface) + static_cast<std::ptrdiff_t>(Y) * desc.lPitch;
  const size_t x = static_cast<size_t>(X);
  switch (desc.ddpfPixelFormat.dwRGBBitCount) {
    case 1: {
      const BYTE bit = static_cast<BYTE>(0x80 >> (x & 7));
      row[x / 8] = Value ? (row[x / 8] | bit) : (row[x / 8] & ~bit);
      break;
    }
    case 4:
      if (x & 1)
        row[x / 2] = static_cast<BYTE>((row[x / 2] & 0xF0) | (Value & 0x0F));
      else
        row[x / 2] = static_cast<BYTE>((row[x / 2] & 0x0F) | ((Value & 0x0F) << 4));
      break;
    case 8: row[x] = static_cast<BYTE>(Value); break;
    case 16:
      row[2 * x] = static_cast<BYTE>(Value);
      row[2 * x + 1] = static_cast<BYTE>(Value >> 8);
      break;
    case 24:
      row[3 * x] = static_cast<BYTE>(Value);
      row[3 * x + 1] = static_cast<BYTE>(Value >> 8);
      row[3 * x + 2] = static_cast<BYTE>(Value >> 16);
      break;
    case 32:
      row[4 * x] = static_cast<BYTE>(Value);
      row[4 * x + 1] = static_cast<BYTE>(Value >> 8);
      row[4 * x + 2] = static_cast<BYTE>(Value >> 16);
      row[4 * x + 3] = static_cast<BYTE>(Value >> 24);
      break;
    default: break;
  }
  Unlock();
}

DWORD TDirectDrawSurface::ColorMatch(TColor Color) {
  if (!FSurfaceIntf) return 0;
  // A DC still held would keep the surface from being locked.
  if (FCanvas) FCanvas->Release();
  DWORD remembered = 0;
  const bool haveRemembered = ReadPixel(0, 0, remembered);
  {
    // A 1 × 1 8-bit bitmap whose one pixel is colour 0 of its table, drawn
    // through GDI, shows what the display's conversion makes of the colour.
    const COLORREF rgb = ColorToRGB(Color);
    RGBQUAD entry;
    entry.rgbRed = GetRValue(rgb);
    entry.rgbGreen = GetGValue(rgb);
    entry.rgbBlue = GetBValue(rgb);
    TScratchDib dib(1, 1, 8, &entry, 1);
    if (dib.Valid()) {
      static_cast<BYTE*>(dib.Bits())[0] = 0;
      TDirectDrawSurfaceCanvas* canvas = Canvas();
      BitBlt(canvas->Handle(), 0, 0, 1, 1, dib.DC(), 0, 0, SRCCOPY);
      canvas->Release();
    }
  }
  const DWORD answer = GetPixel(0, 0);
  if (haveRemembered) SetPixel(0, 0, remembered);
  return answer;
}

void TDirectDrawSurface::LoadFromGraphic(TGraphic* Graphic) {
  LoadFromGraphicRect(Graphic, 0, 0, Graphic ? RECT{0, 0, Graphic->Width(), Graphic->Height()} : RECT{});
}

void TDirectDrawSurface::LoadFromGraphicRect(TGraphic* Graphic, int AWidth, int AHeight, const RECT& SrcRect) {
  const std::int64_t srcWidth = std::int64_t{SrcRect.right} - SrcRect.left;
  const std::int64_t srcHeight = std::int64_t{SrcRect.bottom} - SrcRect.top;
  if (!Graphic || Graphic->Empty() || srcWidth <= 0 || srcHeight <= 0 || srcWidth > INT32_MAX ||
      srcHeight > INT32_MAX) {
    SetSurfaceIntf(nullptr);
    return;
  }
  const int sw = static_cast<int>(srcWidth), sh = static_cast<int>(srcHeight);
  if (AWidth == 0) AWidth = sw;
  if (AHeight == 0) AHeight = sh;
  SetSize(AWidth, AHeight);
  if (!FSurfaceIntf) return;

  TDirectDrawSurfaceCanvas* canvas = Canvas();
  if (auto* dib = dynamic_cast<TDIB*>(Graphic)) {
    StretchBlt(canvas->Handle(), 0, 0, AWidth, AHeight, dib->Canvas()->Handle(), SrcRect.left, SrcRect.top, sw, sh,
               SRCCOPY);
    canvas->Release();
    return;
  }
  if (AWidth == sw && AHeight == sh) {
    canvas->Draw(-SrcRect.left, -SrcRect.top, Graphic);
    canvas->Release();
    return;
  }
  // Scaled: the source rectangle is drawn onto a 24-bit bitmap of its size
  // first, which is then stretched onto the surface.
  TScratchDib dib(sw, sh, 24, nullptr, 0);
  if (!dib.Valid()) return;
  {
    TCanvas scratch;
    scratch.SetHandle(dib.DC());
    scratch.Draw(-SrcRect.left, -SrcRect.top, Graphic);
    scratch.SetHandle(nullptr);
  }
  StretchBlt(canvas->Handle(), 0, 0, AWidth, AHeight, dib.DC(), 0, 0, sw, sh, SRCCOPY);
  canvas->Release();
}

bool TDirectDrawSurface::Restore() {
  if (!FSurfaceIntf) return false;
  Check(FSurfaceIntf->Restore());
  return LastResult() == 0;
}

void TDirectDrawSurface::SetClipper(TDirectDrawClipper* Value) {
  if (!FSurfaceIntf) return;
  Check(FSurfaceIntf->SetClipper(::ClipperIntf(Value)));
  FHasClipper = Value && LastResult() == 0;
}

void TDirectDrawSurface::SetPalette(TDirectDrawPalette* Value) {
  if (!FSurfaceIntf) return;
  Check(FSurfaceIntf->SetPalette(::PaletteIntf(Value)));
}

void TDirectDrawSurface::SetColorKey(DWORD Flags, const DDCOLORKEY& Value) {
  if (!FSurfaceIntf) return;
  DDCOLORKEY key = Value;
  Check(FSurfaceIntf->SetColorKey(Flags, &key));
}

void TDirectDrawSurface::SetTransparentColor(DWORD Col) {
  DDCOLORKEY key;
  key.dwColorSpaceLowValue = Col;
  key.dwColorSpaceHighValue = Col;
  SetColorKey(DDCKEY_SRCBLT, key);
}

TDirectDrawSurfaceCanvas* TDirectDrawSurface::Canvas() {
  if (!FCanvas) FCanvas = std::make_unique<TDirectDrawSurfaceCanvas>(this);
  return FCanvas.get();
}
