#include "display/DirectDraw.h"

#include <algorithm>
#include <cstdint>

#include "display/DirectDrawSurface.h"
#include "platform/rtl/Format.h"

namespace {

template <class T>
T* ListItem(const std::vector<T*>& List, int Index) {
  if (Index < 0 || Index >= static_cast<int>(List.size()))
    throw EListError(Format("List index out of bounds (%d)", Index));
  return List[static_cast<size_t>(Index)];
}

template <class T>
void ListRemove(std::vector<T*>& List, T* Item) {
  auto it = std::find(List.begin(), List.end(), Item);
  if (it != List.end()) List.erase(it);
}

// Frees what a list still holds, from its last entry to its first; each
// object takes itself out of the list as it goes.
template <class T>
void FreeAll(std::vector<T*>& List) {
  while (!List.empty()) {
    T* last = List.back();
    delete last;
    if (!List.empty() && List.back() == last) List.pop_back();
  }
}

}  // namespace

// ---- TDirectDraw -------------------------------------------------------------

TDirectDraw::TDirectDraw(const GUID* GUID, bool DirectX7Mode) {
  ::GUID* driver = const_cast<::GUID*>(GUID);
  try {
    if (DirectX7Mode) {
      auto create = reinterpret_cast<TDirectDrawCreateEx>(BindLibraryProc("DDraw.dll", "DirectDrawCreateEx"));
      void* made = nullptr;
      if (create(driver, &made, IID_IDirectDraw7, nullptr) != 0 || !made) {
        if (made) static_cast<IDirectDraw7*>(made)->Release();
        throw EDirectDrawError(Format("%s cannot be initialized", "DirectDraw"));
      }
      FDraw7Intf = static_cast<IDirectDraw7*>(made);
      void* intf = nullptr;
      if (FDraw7Intf->QueryInterface(IID_IDirectDraw, &intf) != 0 || !intf)
        throw EDirectDrawError("Necessary since DirectX 7");
      FDrawIntf = static_cast<IDirectDraw*>(intf);
      intf = nullptr;
      if (FDraw7Intf->QueryInterface(IID_IDirectDraw4, &intf) != 0 || !intf)
        throw EDirectDrawError("Necessary since DirectX 7");
      FDraw4Intf = static_cast<IDirectDraw4*>(intf);
    } else {
      auto create = reinterpret_cast<TDirectDrawCreate>(BindLibraryProc("DDraw.dll", "DirectDrawCreate"));
      IDirectDraw* made = nullptr;
      if (create(driver, &made, nullptr) != 0 || !made) {
        if (made) made->Release();
        throw EDirectDrawError(Format("%s cannot be initialized", "DirectDraw"));
      }
      FDrawIntf = made;
      void* intf = nullptr;
      if (FDrawIntf->QueryInterface(IID_IDirectDraw4, &intf) != 0 || !intf)
        throw EDirectDrawError("Necessary since DirectX 6");
      FDraw4Intf = static_cast<IDirectDraw4*>(intf);
    }
  } catch (...) {
    ReleaseInterfaces();
    throw;
  }
  FDriverCaps.dwSize = DDCapsRecordSize;
  FHELCaps.dwSize = DDCapsRecordSize;
  FDrawIntf->GetCaps(&FDriverCaps, &FHELCaps);
}

TDirectDraw::~TDirectDraw() {
  // Surfaces their makers own are only let go of; the rest are freed.
  for (size_t i = FSurfaces.size(); i-- > 0;) {
    TDirectDrawSurface* surface = FSurfaces[i];
    if (!surface->OwnedByMaker()) continue;
    FSurfaces.erase(FSurfaces.begin() + static_cast<std::ptrdiff_t>(i));
    surface->Detach();
  }
  FreeAll(FSurfaces);
  FreeAll(FPalettes);
  FreeAll(FClippers);
  ReleaseInterfaces();
}

void TDirectDraw::ReleaseInterfaces() {
  ReleaseIntf(FDrawIntf);
  ReleaseIntf(FDraw4Intf);
  ReleaseIntf(FDraw7Intf);
}

IDirectDraw* TDirectDraw::DrawIntf() const {
  if (!FDrawIntf) throw EDirectDrawError(Format("%s not made", "IDirectDraw"));
  return FDrawIntf;
}

IDirectDraw4* TDirectDraw::Draw4Intf() const {
  if (!FDraw4Intf) throw EDirectDrawError(Format("%s not made", "IDirectDraw4"));
  return FDraw4Intf;
}

IDirectDraw7* TDirectDraw::Draw7Intf() const {
  if (!FDraw7Intf) throw EDirectDrawError(Format("%s not made", "IDirectDraw7"));
  return FDraw7Intf;
}

TDirectDrawClipper* TDirectDraw::Clippers(int Index) const { return ListItem(FClippers, Index); }
TDirectDrawPalette* TDirectDraw::Palettes(int Index) const { return ListItem(FPalettes, Index); }
TDirectDrawSurface* TDirectDraw::Surfaces(int Index) const { return ListItem(FSurfaces, Index); }

void TDirectDraw::RegisterSurface(TDirectDrawSurface* Surface) { FSurfaces.push_back(Surface); }
void TDirectDraw::UnregisterSurface(TDirectDrawSurface* Surface) { ListRemove(FSurfaces, Surface); }

IDirectDraw* DrawIntf(const TDirectDraw* DDraw) { return DDraw ? DDraw->FDrawIntf : nullptr; }
IDirectDraw4* Draw4Intf(const TDirectDraw* DDraw) { return DDraw ? DDraw->FDraw4Intf : nullptr; }
IDirectDraw7* Draw7Intf(const TDirectDraw* DDraw) { return DDraw ? DDraw->FDraw7Intf : nullptr; }

// ---- TDirectDrawPalette ------------------------------------------------------

TDirectDrawPalette::TDirectDrawPalette(TDirectDraw* ADDraw) : FDDraw(ADDraw) { FDDraw->FPalettes.push_back(this); }

TDirectDrawPalette::~TDirectDrawPalette() {
  ReleaseIntf(FPaletteIntf);
  ListRemove(FDDraw->FPalettes, this);
}

bool TDirectDrawPalette::CreatePalette(DWORD Caps, const PALETTEENTRY* Entries) {
  ReleaseIntf(FPaletteIntf);
  // Without entries the palette starts all black.
  PALETTEENTRY entries[256]{};
  if (Entries) std::copy(Entries, Entries + 256, entries);
  IDirectDrawPalette* made = nullptr;
  FDDraw->Check(FDDraw->DrawIntf()->CreatePalette(Caps, entries, &made, nullptr));
  Check(FDDraw->LastResult());
  if (LastResult() == 0 && made) {
    FPaletteIntf = made;
    return true;
  }
  if (made) made->Release();
  return false;
}

bool TDirectDrawPalette::SetEntries(int StartIndex, int Count, const PALETTEENTRY* Entries) {
  if (!FPaletteIntf) return false;
  Check(FPaletteIntf->SetEntries(0, static_cast<DWORD>(StartIndex), static_cast<DWORD>(Count),
                                 const_cast<PALETTEENTRY*>(Entries)));
  return LastResult() == 0;
}

IDirectDrawPalette* TDirectDrawPalette::PaletteIntf() const {
  if (!FPaletteIntf) throw EDirectDrawPaletteError(Format("%s not made", "IDirectDrawPalette"));
  return FPaletteIntf;
}

IDirectDrawPalette* PaletteIntf(const TDirectDrawPalette* Palette) { return Palette ? Palette->FPaletteIntf : nullptr; }

// ---- TDirectDrawClipper ------------------------------------------------------

TDirectDrawClipper::TDirectDrawClipper(TDirectDraw* ADDraw) : FDDraw(ADDraw) {
  FDDraw->FClippers.push_back(this);
  try {
    FDDraw->Check(FDDraw->DrawIntf()->CreateClipper(0, &FClipperIntf, nullptr));
    if (FDDraw->LastResult() != 0) throw EDirectDrawClipperError(Format("%s cannot be made", "Clipper"));
  } catch (...) {
    ReleaseIntf(FClipperIntf);
    Unregister();
    throw;
  }
}

TDirectDrawClipper::~TDirectDrawClipper() {
  ReleaseIntf(FClipperIntf);
  Unregister();
}

void TDirectDrawClipper::Unregister() { ListRemove(FDDraw->FClippers, this); }

void TDirectDrawClipper::SetHandle(HWND Value) { Check(ClipperIntf()->SetHWnd(0, Value)); }

IDirectDrawClipper* TDirectDrawClipper::ClipperIntf() const {
  if (!FClipperIntf) throw EDirectDrawClipperError(Format("%s not made", "IDirectDrawClipper"));
  return FClipperIntf;
}

IDirectDrawClipper* ClipperIntf(const TDirectDrawClipper* Clipper) { return Clipper ? Clipper->FClipperIntf : nullptr; }

// ---- Functions ---------------------------------------------------------------

HRESULT EnumDirectDrawDrivers(LPDDENUMCALLBACKA Callback, void* Context) {
  auto enumerate = reinterpret_cast<TDirectDrawEnumerateA>(BindLibraryProc("DDraw.dll", "DirectDrawEnumerateA"));
  return enumerate(Callback, Context);
}

namespace {

struct TWideRect {
  std::int64_t Left, Top, Right, Bottom;
};

LONG ClampToLong(std::int64_t V) { return static_cast<LONG>(std::clamp<std::int64_t>(V, INT32_MIN, INT32_MAX)); }

}  // namespace

bool ClipBlitRects(RECT& Dest, RECT& Src, const RECT& DestBound, const RECT& SrcBound) {
  // Wide arithmetic, so that rectangles far outside their bounds cannot
  // overflow while they are moved.
  TWideRect d{Dest.left, Dest.top, Dest.right, Dest.bottom};
  TWideRect s{Src.left, Src.top, Src.right, Src.bottom};
  if (DestBound.left > d.Left) {
    s.Left += DestBound.left - d.Left;
    d.Left = DestBound.left;
  }
  if (DestBound.top > d.Top) {
    s.Top += DestBound.top - d.Top;
    d.Top = DestBound.top;
  }
  if (SrcBound.left > s.Left) {
    d.Left += SrcBound.left - s.Left;
    s.Left = SrcBound.left;
  }
  if (SrcBound.top > s.Top) {
    d.Top += SrcBound.top - s.Top;
    s.Top = SrcBound.top;
  }
  if (DestBound.right < d.Right) {
    s.Right -= d.Right - DestBound.right;
    d.Right = DestBound.right;
  }
  if (DestBound.bottom < d.Bottom) {
    s.Bottom -= d.Bottom - DestBound.bottom;
    d.Bottom = DestBound.bottom;
  }
  if (SrcBound.right < s.Right) {
    d.Right -= s.Right - SrcBound.right;
    s.Right = SrcBound.right;
  }
  if (SrcBound.bottom < s.Bottom) {
    d.Bottom -= s.Bottom - SrcBound.bottom;
    s.Bottom = SrcBound.bottom;
  }
  Dest = RECT{ClampToLong(d.Left), ClampToLong(d.Top), ClampToLong(d.Right), ClampToLong(d.Bottom)};
  Src = RECT{ClampToLong(s.Left), ClampToLong(s.Top), ClampToLong(s.Right), ClampToLong(s.Bottom)};
  return d.Left < d.Right && d.Top < d.Bottom && s.Left < s.Right && s.Top < s.Bottom;
}
