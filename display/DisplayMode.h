// The drawing control's display setting: the wanted full-screen width,
// height and bit count, the rules for a substitute mode, and the sorted list
// of the modes the display driver offers.
#pragma once

#include "display/DirectDraw.h"
#include "platform/toolkit/Collection.h"

class TDXDrawDisplay;

// What the display setting and the driver selection ask of the drawing
// control that owns them.
class TDXDrawDisplayOwner {
 public:
  // The control's DirectDraw object; nil while it is not initialised.
  virtual TDirectDraw* DDraw() const = 0;
  // The driver the control uses.
  virtual TDriverGUID DriverGUID() const = 0;
  virtual void SetDriverGUID(const TDriverGUID& Value) = 0;
  virtual TDXDrawDisplay* Display() const = 0;

 protected:
  ~TDXDrawDisplayOwner() = default;
};

// One display mode: a copy of the description the driver reported.
class TDXDrawDisplayMode : public TCollectionItem {
 public:
  explicit TDXDrawDisplayMode(TCollection* Collection) : TCollectionItem(Collection) {}

  int Width() const { return static_cast<int>(FSurfaceDesc.dwWidth); }
  int Height() const { return static_cast<int>(FSurfaceDesc.dwHeight); }
  int BitCount() const { return static_cast<int>(FSurfaceDesc.ddpfPixelFormat.dwRGBBitCount); }
  const DDSURFACEDESC& SurfaceDesc() const { return FSurfaceDesc; }

 private:
  friend class TDXDrawDisplay;
  DDSURFACEDESC FSurfaceDesc;
};

class TDXDrawDisplay : public TPersistent {
 public:
  // 640 × 480 × 8 with a fixed bit count and ratio, any size at least the
  // wanted one; the mode list is read on first use.
  explicit TDXDrawDisplay(TDXDrawDisplayOwner* ADXDraw);
  ~TDXDrawDisplay() override;
  TDXDrawDisplay(const TDXDrawDisplay&) = delete;
  TDXDrawDisplay& operator=(const TDXDrawDisplay&) = delete;

  // From another display setting: the size, bit count and the three rules.
  void Assign(const TPersistent* Source) override;
  // Width, Height and BitCount are stored when they differ from 640, 480
  // and 8; the three rules are always stored.
  void GetProperties(TPropertyList& List) override;

  // The modes, ordered by width, height and bit count; read from the driver
  // when the list is empty.
  int Count();
  TDXDrawDisplayMode* Modes(int Index);
  // The first position of a mode with these three values, or -1.
  int IndexOf(int Width, int Height, int BitCount);
  // Reads the list again: from the control's DirectDraw object, or from a
  // DirectDraw object made for the purpose on the control's driver.
  void LoadDisplayModes();
  // Empties the list; it is read again at the next request.
  void ClearModes() { FModes.Clear(); }

  // Sets that display mode through the control's DirectDraw object and on
  // success keeps its values; False without a DirectDraw object or when the
  // mode cannot be set.
  bool SetSize(int AWidth, int AHeight, int ABitCount);
  // Sets the mode, or the best substitute the rules allow.
  bool SetSizeBestFit(int AWidth, int AHeight, int ABitCount);

  int BitCount() const { return FBitCount; }
  // 8, 16, 24 or 32; anything else raises EDirectDrawError.
  void SetBitCount(int Value);
  int Width() const { return FWidth; }
  void SetWidth(int Value) { FWidth = IntMax(Value, 0); }
  int Height() const { return FHeight; }
  void SetHeight(int Value) { FHeight = IntMax(Value, 0); }
  bool FixedBitCount() const { return FFixedBitCount; }
  void SetFixedBitCount(bool Value) { FFixedBitCount = Value; }
  bool FixedRatio() const { return FFixedRatio; }
  void SetFixedRatio(bool Value) { FFixedRatio = Value; }
  bool FixedSize() const { return FFixedSize; }
  void SetFixedSize(bool Value) { FFixedSize = Value; }

  TDXDrawDisplayOwner* DXDraw() const { return FDXDraw; }

 private:
  static HRESULT AddDisplayMode(DDSURFACEDESC* Desc, void* Context);
  bool Search(bool Ratio, int AWidth, int AHeight, int ABitCount);

  int FBitCount = 8;
  TDXDrawDisplayOwner* FDXDraw;
  int FHeight = 480;
  TCollection FModes;
  int FWidth = 640;
  bool FFixedBitCount = true;
  bool FFixedRatio = true;
  bool FFixedSize = false;
};
