// The two ways the drawing control shows its back surface: in a window, by
// copying an off-screen back surface onto the control's place on the screen
// (TDXDrawDriverBlt), and in exclusive full-screen mode, by flipping a chain
// of the primary surface and one back buffer (TDXDrawDriverFlip). A driver
// makes the control's DirectDraw object and the primary surface, back
// surface, clipper and palette made from it, owns them and frees them again.
#pragma once

#include <array>
#include <memory>

#include "display/DXDrawOptions.h"
#include "display/DirectDraw.h"
#include "display/DirectDrawSurface.h"
#include "display/DisplayMode.h"

// The 256 palette entries of a colour table: red, green and blue of each
// entry, the flag byte 0x40; unless KeepAll, entries 0 to 9 and 246 to 255
// are the screen's system palette entries.
std::array<PALETTEENTRY, 256> PaletteEntriesFromColorTable(const TRGBQuads& ColorTable, bool KeepAll);

// What a driver reads from the drawing control it serves and where it
// reports what it really got. The control implements it and outlives its
// driver.
class TDXDrawDriverHost {
 public:
  // The options asked for.
  virtual TDXDrawOptions RequestedOptions() const = 0;
  // The effective options; the driver notes in them where the back surface
  // lies and what the 3D set-up gave.
  virtual TDXDrawOptions& EffectiveOptionsToUpdate() = 0;
  // The display setting and the driver choice, for the driver selection.
  virtual TDXDrawDisplayOwner& DisplayOwner() = 0;
  // The colour table the palette is made from.
  virtual const TRGBQuads& InitialColorTable() const = 0;
  // The stored size the back surface is made at.
  virtual int StoredSurfaceWidth() const = 0;
  virtual int StoredSurfaceHeight() const = 0;
  // The control's window, which the clipper is bound to.
  virtual HWND ClipWindow() = 0;
  // The control's client area in screen coordinates.
  virtual RECT ScreenClientRect() = 0;
  // Whether the control's form is there and active.
  virtual bool FormActive() const = 0;
  // The 3D interfaces and the z-buffer the 3D set-up fills.
  virtual TDXDraw3DSlots& D3DSlotsToFill() = 0;

 protected:
  ~TDXDrawDriverHost() = default;
};

class TDXDrawDriver {
 public:
  // Makes the control's DirectDraw object (the driver selection runs first
  // for hardware 3D in full-screen mode).
  explicit TDXDrawDriver(TDXDrawDriverHost& AHost);
  // Finalize, then frees the DirectDraw object with whatever is still made
  // from it.
  virtual ~TDXDrawDriver();
  TDXDrawDriver(const TDXDrawDriver&) = delete;
  TDXDrawDriver& operator=(const TDXDrawDriver&) = delete;

  // Frees the clipper, palette, back and primary surfaces and the 3D slots.
  virtual void Finalize();
  virtual void Flip() = 0;
  virtual void Initialize() = 0;
  // Whether the back surface can be made again at another size while the
  // driver runs (CreateBackSurface); the base cannot.
  virtual bool Resizable() const { return false; }
  // Makes the back surface at the stored size again; only for a resizable
  // driver.
  virtual void CreateBackSurface() {}
  // Restores the primary, then the back surface; fills both with 0 when
  // both came back.
  bool Restore();

  // What the driver made; nil before Initialize and after Finalize.
  TDirectDraw* DDraw() const { return FDDraw.get(); }
  TDirectDrawSurface* Primary() const { return FPrimary.get(); }
  TDirectDrawSurface* Surface() const { return FSurface.get(); }
  TDirectDrawClipper* Clipper() const { return FClipper.get(); }
  TDirectDrawPalette* Palette() const { return FPalette.get(); }

 protected:
  // The 3D set-up of the back surface (with do3D only).
  void Init3D();

  TDXDrawDriverHost& FHost;
  // Declared first, so that it goes last should the destructor's Finalize
  // not have freed the others.
  std::unique_ptr<TDirectDraw> FDDraw;
  std::unique_ptr<TDirectDrawSurface> FPrimary;
  std::unique_ptr<TDirectDrawSurface> FSurface;
  std::unique_ptr<TDirectDrawClipper> FClipper;
  std::unique_ptr<TDirectDrawPalette> FPalette;
};

class TDXDrawDriverBlt : public TDXDrawDriver {
 public:
  using TDXDrawDriver::TDXDrawDriver;

  void Flip() override;
  void Initialize() override;
  bool Resizable() const override { return true; }
  // Makes the back surface at the stored size, in video memory when it fits,
  // and notes in the effective options where it lies.
  void CreateBackSurface() override;
};

class TDXDrawDriverFlip : public TDXDrawDriver {
 public:
  using TDXDrawDriver::TDXDrawDriver;

  void Flip() override;
  void Initialize() override;
};
