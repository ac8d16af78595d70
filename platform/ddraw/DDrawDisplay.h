// The state of the emulated display that every DirectDraw object shares: the
// desktop format and mode list, the current display mode, the video-memory
// budget, the exclusive owner and the live surfaces.
#pragma once

#include <vector>

#include "platform/ddraw/DDrawEmulation.h"
#include "platform/ddraw/PixelFormat.h"

class TDDrawObject;
class TDDrawSurface;

struct TDDrawMode {
  LONG Width = 0;
  LONG Height = 0;
  TDDrawPixelFormat Format;
  friend bool operator==(const TDDrawMode&, const TDDrawMode&) = default;
};

class TDDrawDisplay {
 public:
  static TDDrawDisplay& Instance();

  static TDDrawPixelFormat FormatOfMode(const TEmulatedDisplayMode& mode);

  // The current mode: the desktop (the toolkit's screen size in the display
  // format) unless a DirectDraw object has set another.
  TDDrawMode CurrentMode() const;
  // Switches to Mode (nil: back to the desktop) for Owner. A change loses the
  // surfaces in video memory.
  void ChangeMode(const TDDrawMode* mode, TDDrawObject* owner);
  bool FindMode(DWORD width, DWORD height, DWORD bitCount, TDDrawMode& mode) const;

  bool ChargeVideoMemory(DWORD bytes);
  void RefundVideoMemory(DWORD bytes);
  DWORD VideoMemoryFree() const { return FUsed >= FBudget ? 0 : FBudget - FUsed; }
  DWORD VideoMemoryTotal() const { return FBudget; }

  void AddSurface(TDDrawSurface* surface);
  void RemoveSurface(TDDrawSurface* surface);
  void LoseSurfaces(bool includeSystemMemory);
  bool AnySurfaceLocked() const;
  TDDrawSurface* LatestPrimary() const;

  TDDrawObject* ExclusiveOwner = nullptr;
  TDDrawObject* ModeOwner = nullptr;

  void Reset();

 private:
  friend bool SetEmulatedDisplayFormat(DWORD, bool);
  friend void SetEmulatedDisplayModes(const std::vector<TEmulatedDisplayMode>&);
  friend std::vector<TEmulatedDisplayMode> EmulatedDisplayModes();
  friend void SetVideoMemoryBudget(DWORD);
  friend DWORD VideoMemoryInUse();

  TDDrawPixelFormat FDesktopFormat;
  std::vector<TEmulatedDisplayMode> FModes;
  bool FModeSet = false;
  TDDrawMode FMode;
  DWORD FBudget = 0;
  DWORD FUsed = 0;
  std::vector<TDDrawSurface*> FSurfaces;

  TDDrawDisplay() { Reset(); }
};
