// The two ways the drawing control shows its back surface: in a window, by
// copying an off-screen back surface onto the control's place on the screen
// (TDXDrawDriverBlt), and in exclusive full-screen mode, by flipping a chain
// of the primary surface and one back buffer (TDXDrawDriverFlip). A driver
// makes the control's DirectDraw object and every DirectDraw resource it
// holds and frees them again.
#pragma once

#include <array>

#include "display/DXDraw.h"

// The 256 palette entries of a colour table: red, green and blue of each
// entry, the flag byte 0x40; unless KeepAll, entries 0 to 9 and 246 to 255
// are the screen's system palette entries.
std::array<PALETTEENTRY, 256> PaletteEntriesFromColorTable(const TRGBQuads& ColorTable, bool KeepAll);

class TDXDrawDriver {
 public:
  // Makes the control's DirectDraw object (the driver selection runs first
  // for hardware 3D in full-screen mode).
  explicit TDXDrawDriver(TCustomDXDraw* ADXDraw);
  // Finalize, then frees the DirectDraw object with whatever is still made
  // from it.
  virtual ~TDXDrawDriver();
  TDXDrawDriver(const TDXDrawDriver&) = delete;
  TDXDrawDriver& operator=(const TDXDrawDriver&) = delete;

  // Frees the clipper, palette, back and primary surfaces and the 3D slots.
  virtual void Finalize();
  virtual void Flip() = 0;
  virtual void Initialize() = 0;
  // Re-creates the back surface at a new size; the base cannot.
  virtual bool SetSize(int AWidth, int AHeight);
  // Restores the primary, then the back surface; fills both with 0 when
  // both came back.
  bool Restore();

  TCustomDXDraw* DXDraw() const { return FDXDraw; }

 protected:
  // The 3D set-up of the back surface (with do3D only).
  void Init3D();

  TCustomDXDraw* FDXDraw;
};

class TDXDrawDriverBlt : public TDXDrawDriver {
 public:
  using TDXDrawDriver::TDXDrawDriver;

  void Flip() override;
  void Initialize() override;
  bool SetSize(int AWidth, int AHeight) override;
  // Makes the back surface at the stored size, in video memory when it fits,
  // and notes in the effective options where it lies.
  void CreateBackSurface();
};

class TDXDrawDriverFlip : public TDXDrawDriver {
 public:
  using TDXDrawDriver::TDXDrawDriver;

  void Flip() override;
  void Initialize() override;
};
