#include "platform/ddraw/DDrawDisplay.h"

#include <algorithm>

#include "platform/ddraw/DDrawSurface.h"
#include "platform/win/Window.h"

namespace {

constexpr DWORD DefaultVideoMemory = 16u * 1024u * 1024u;

std::vector<TEmulatedDisplayMode> DefaultModes() {
  std::vector<TEmulatedDisplayMode> modes;
  const DWORD sizes[][2] = {{640, 480}, {800, 600}, {1024, 768}, {1280, 1024}};
  for (const auto& s : sizes)
    for (DWORD bits : {8u, 16u, 32u}) modes.push_back(TEmulatedDisplayMode{s[0], s[1], bits, false});
  return modes;
}

}  // namespace

TDDrawDisplay& TDDrawDisplay::Instance() {
  // Never destroyed: DirectDraw objects released during program exit still
  // find the display.
  static TDDrawDisplay* display = new TDDrawDisplay;
  return *display;
}

void TDDrawDisplay::Reset() {
  FDesktopFormat = TDDrawPixelFormat::Xrgb32();
  FModes = DefaultModes();
  FModeSet = false;
  FMode = TDDrawMode{};
  ModeOwner = nullptr;
  FBudget = DefaultVideoMemory;
}

TDDrawPixelFormat TDDrawDisplay::FormatOfMode(const TEmulatedDisplayMode& mode) {
  switch (mode.BitCount) {
    case 8: return TDDrawPixelFormat::IndexedFormat(8);
    case 16: return mode.Rgb555 ? TDDrawPixelFormat::Rgb555() : TDDrawPixelFormat::Rgb565();
    case 24: return TDDrawPixelFormat::Rgb24();
    default: return TDDrawPixelFormat::Xrgb32();
  }
}

TDDrawMode TDDrawDisplay::CurrentMode() const {
  if (FModeSet) return FMode;
  return TDDrawMode{GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN), FDesktopFormat};
}

bool TDDrawDisplay::FindMode(DWORD width, DWORD height, DWORD bitCount, TDDrawMode& mode) const {
  for (const TEmulatedDisplayMode& m : FModes) {
    if (m.Width == width && m.Height == height && m.BitCount == bitCount) {
      mode = TDDrawMode{static_cast<LONG>(m.Width), static_cast<LONG>(m.Height), FormatOfMode(m)};
      return true;
    }
  }
  return false;
}

void TDDrawDisplay::ChangeMode(const TDDrawMode* mode, TDDrawObject* owner) {
  TDDrawMode before = CurrentMode();
  if (mode) {
    FModeSet = true;
    FMode = *mode;
    ModeOwner = owner;
  } else {
    FModeSet = false;
    ModeOwner = nullptr;
  }
  if (!(CurrentMode() == before)) LoseSurfaces(false);
}

bool TDDrawDisplay::ChargeVideoMemory(DWORD bytes) {
  if (bytes > VideoMemoryFree()) return false;
  FUsed += bytes;
  return true;
}

void TDDrawDisplay::RefundVideoMemory(DWORD bytes) { FUsed = bytes > FUsed ? 0 : FUsed - bytes; }

void TDDrawDisplay::AddSurface(TDDrawSurface* surface) { FSurfaces.push_back(surface); }

void TDDrawDisplay::RemoveSurface(TDDrawSurface* surface) {
  FSurfaces.erase(std::remove(FSurfaces.begin(), FSurfaces.end(), surface), FSurfaces.end());
}

void TDDrawDisplay::LoseSurfaces(bool includeSystemMemory) {
  for (TDDrawSurface* s : FSurfaces) {
    TDDrawSurfaceMemory& m = *s->Memory();
    if (m.VideoMemory || includeSystemMemory) m.Lost = true;
  }
}

bool TDDrawDisplay::AnySurfaceLocked() const {
  return std::any_of(FSurfaces.begin(), FSurfaces.end(), [](TDDrawSurface* s) { return s->Memory()->Busy(); });
}

TDDrawSurface* TDDrawDisplay::LatestPrimary() const {
  for (auto it = FSurfaces.rbegin(); it != FSurfaces.rend(); ++it)
    if ((*it)->IsPrimary()) return *it;
  return nullptr;
}

bool SetEmulatedDisplayFormat(DWORD bitCount, bool rgb555) {
  if (bitCount != 8 && bitCount != 16 && bitCount != 24 && bitCount != 32) return false;
  TDDrawDisplay& d = TDDrawDisplay::Instance();
  TDDrawMode before = d.CurrentMode();
  d.FDesktopFormat = TDDrawDisplay::FormatOfMode(TEmulatedDisplayMode{0, 0, bitCount, rgb555});
  if (!(d.CurrentMode() == before)) d.LoseSurfaces(false);
  return true;
}

void SetEmulatedDisplayModes(const std::vector<TEmulatedDisplayMode>& modes) {
  TDDrawDisplay::Instance().FModes = modes;
}

std::vector<TEmulatedDisplayMode> EmulatedDisplayModes() { return TDDrawDisplay::Instance().FModes; }

void SetVideoMemoryBudget(DWORD bytes) { TDDrawDisplay::Instance().FBudget = bytes; }

DWORD VideoMemoryInUse() { return TDDrawDisplay::Instance().FUsed; }

void LoseEmulatedSurfaces(bool includeSystemMemory) { TDDrawDisplay::Instance().LoseSurfaces(includeSystemMemory); }

DWORD EmulatedScreenPixel(LONG x, LONG y) {
  TDDrawSurface* primary = TDDrawDisplay::Instance().LatestPrimary();
  return primary ? primary->ScreenPixel(x, y) : 0;
}

void ResetDDrawEmulation() {
  TDDrawDisplay& d = TDDrawDisplay::Instance();
  TDDrawMode before = d.CurrentMode();
  d.Reset();
  if (!(d.CurrentMode() == before)) d.LoseSurfaces(false);
}
