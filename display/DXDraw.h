// The drawing control: a child window of a form that owns a DirectDraw
// object with a primary surface, a back surface of its own size, a clipper
// and a palette. It derives the options it really uses from the requested
// ones, initialises at the first showing of its form and finalises when the
// form's window goes, tells its listeners (the image lists) about each phase,
// presents the back surface with Flip and restores lost surfaces.
#pragma once

#include <array>
#include <cstdint>
#include <exception>
#include <memory>
#include <vector>

#include "display/DXClass.h"
#include "display/DirectDraw.h"
#include "display/DXDrawError.h"
#include "display/DirectDrawSurface.h"
#include "display/DisplayMode.h"
#include "display/DriverSelect.h"
#include "platform/ddraw/Direct3D.h"
#include "platform/toolkit/Controls.h"
#include "platform/toolkit/Forms.h"
#include "platform/toolkit/Sets.h"

class TCustomDXDraw;
class TDXDrawDriver;
class TDXDrawDriverBlt;
class TDXDrawDriverFlip;

enum TDXDrawOption {
  doFullScreen,
  doNoWindowChange,
  doAllowReboot,
  doWaitVBlank,
  doAllowPalette256,
  doSystemMemory,
  doStretch,
  doCenter,
  doFlip,
  do3D,
  doDirectX7Mode,
  doRetainedMode,
  doHardware,
  doSelectDriver,
  doZBuffer
};
using TDXDrawOptions = TSet<TDXDrawOption>;

// The set a new control asks for (0x348C).
constexpr TDXDrawOptions DefaultDXDrawOptions{doAllowReboot, doWaitVBlank, doCenter, doDirectX7Mode, doHardware,
                                              doSelectDriver};
// The options' stored form: two bytes, bit n for member n.
inline std::uint16_t DXDrawOptionsToWord(TDXDrawOptions Value) { return static_cast<std::uint16_t>(Value.Bits()); }
inline TDXDrawOptions DXDrawOptionsFromWord(std::uint16_t Value) { return TDXDrawOptions::FromBits(Value & 0x7FFF); }

// What the control derives from Options while it is not initialised (Old is
// ignored) or while it is (Old is the current effective set).
TDXDrawOptions EffectiveDXDrawOptions(TDXDrawOptions Requested, bool Initialized, TDXDrawOptions Old);

enum TDrawNotifyCode : std::uint8_t {
  dnDestroying,
  dnInitializing,
  dnInitialize,
  dnInitializeSurface,
  dnFinalize,
  dnFinalizeSurface,
  dnRestore,
  dnSurfaceSize
};

using TDrawNotifyHandler = TMethod<void(TCustomDXDraw* Sender, TDrawNotifyCode NotifyType)>;

// A colour table: 256 entries of blue, green, red, reserved.
using TRGBQuads = std::array<RGBQUAD, 256>;

// The 3D interfaces and the z-buffer the 3D set-up fills; the driver's
// Finalize releases them.
struct TDXDraw3DSlots {
  TDXDraw3DInterfaces Legacy;
  IDirect3D7* D3D7 = nullptr;
  IDirect3DDevice7* D3DDevice7 = nullptr;
  TDirectDrawSurface* ZBuffer = nullptr;
};

class TCustomDXDraw : public TCustomControl, public TDXDrawDisplayOwner {
 public:
  explicit TCustomDXDraw(TComponent* AOwner);
  // Finalize, dnDestroying, then the display setting and the subclass go.
  ~TCustomDXDraw() override;

  void Loaded() override;
  void SetParent(TWinControl* AParent) override;
  void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;
  void WndProc(TMessage& Message) override;
  void Notification(TComponent* AComponent, TOperation Operation) override;

  // Makes the driver, the DirectDraw objects and the surfaces and tells the
  // listeners; always finalises first. Raises EDXDrawError "Form not found"
  // without a parent form; any failure finalises again and is passed on.
  void Initialize();
  // Tells the listeners and frees the driver with every DirectDraw object.
  // Every listener and event is given its turn even when one raises; the
  // first exception is raised once everything is released.
  void Finalize();
  // Restores lost surfaces, clears them and lets the listeners rebuild
  // their contents (dnRestore).
  void Restore();
  // Presents the back surface; nothing while not initialised, busy or when
  // the surfaces cannot be drawn.
  void Flip();
  // Whether a frame may be drawn and presented now: initialised, not busy,
  // the primary and back surfaces there and (after one restore) not lost.
  bool CanDraw();

  void AddListener(const TDrawNotifyHandler& Handler);
  void RemoveListener(const TDrawNotifyHandler& Handler);
  int ListenerCount() const;

  // The back surface's size; clamped to at least 1 × 1.
  void SetSize(int AWidth, int AHeight);
  void SetColorTable(const TRGBQuads& ColorTable);
  void SetCooperativeLevel();

  TDXDrawOptions Options() const { return FOptions; }
  void SetOptions(TDXDrawOptions Value);
  TDXDrawOptions EffectiveOptions() const { return FEffectiveOptions; }
  bool AutoInitialize() const { return FAutoInitialize; }
  void SetAutoInitialize(bool Value) { FAutoInitialize = Value; }
  bool AutoSize() const { return FAutoSize; }
  void SetAutoSize(bool Value);
  void SetDisplay(const TDXDrawDisplay* Value);
  int SurfaceWidth() const;
  int SurfaceHeight() const;
  void SetSurfaceWidth(int Value);
  void SetSurfaceHeight(int Value);

  // The back surface; nil while the control is not initialised (also after
  // a failed initialisation), so a frame starts by asking CanDraw. Picture
  // draws onto nil and Flip then do nothing.
  TDirectDrawSurface* Surface() const { return FSurface; }
  TDirectDrawSurface* Primary() const { return FPrimary; }
  TDirectDraw* DDraw() const override { return FDDraw; }
  TDXDrawDisplay* Display() const override { return FDisplay.get(); }
  TDirectDrawPalette* Palette() const { return FPalette; }
  TDirectDrawClipper* Clipper() const { return FClipper; }
  TDXDrawDriver* Driver() const { return FDriver; }
  TCustomForm* ParentForm() const { return FParentForm; }
  bool Initialized() const { return FInitialized; }
  bool Busy() const { return FBusy; }
  const TRGBQuads& PaletteTable() const { return FPaletteTable; }
  TRGBQuads& PaletteTable() { return FPaletteTable; }
  const TRGBQuads& RestorePaletteTable() const { return FRestorePaletteTable; }
  TRGBQuads& RestorePaletteTable() { return FRestorePaletteTable; }
  const TDXDraw3DSlots& D3DSlots() const { return F3D; }
  TDXDraw3DSlots& D3DSlots() { return F3D; }

  TDriverGUID DriverGUID() const override { return FDriverGUID; }
  void SetDriverGUID(const TDriverGUID& Value) override { FDriverGUID = Value; }

  TNotifyEvent OnFinalize;
  TNotifyEvent OnFinalizeSurface;
  TNotifyEvent OnInitialize;
  TNotifyEvent OnInitializeSurface;
  TNotifyEvent OnInitializing;
  TNotifyEvent OnRestoreSurface;

 protected:
  void Paint() override;
  bool PaletteChanged(bool Foreground) override;

  virtual void DoFinalize();
  virtual void DoFinalizeSurface();
  virtual void DoInitialize();
  virtual void DoInitializeSurface();
  virtual void DoInitializing();
  virtual void DoRestoreSurface();

  // Calls every listener, the last registered first, over a copy of the
  // list: a listener removed meanwhile is skipped, one added meanwhile waits
  // for the next notification.
  void NotifyListeners(TDrawNotifyCode NotifyType);

 private:
  friend class TDXDrawDriver;
  friend class TDXDrawDriverBlt;
  friend class TDXDrawDriverFlip;

  struct TListener {
    TDrawNotifyHandler Handler;
    bool Removed = false;
  };

  // Like NotifyListeners, but every listener is called; the first exception
  // is kept in First (when it holds none yet).
  void NotifyAll(TDrawNotifyCode NotifyType, std::exception_ptr& First);
  void FormWndProc(TMessage& Message, const TWndMethod& DefWindowProc);
  void WMCreate(TMessage& Message);
  void PaintDesigning();
  bool Loading() const;

  bool FAutoInitialize = true;
  bool FAutoSize = true;
  bool FInitializeEventFired = false;
  bool FSurfaceEventFired = false;
  TCustomForm* FParentForm = nullptr;
  std::vector<std::shared_ptr<TListener>> FListeners;
  bool FInitialized = false;
  bool FInitStarted = false;
  bool FInternalInitialized = false;
  bool FBusy = false;
  std::unique_ptr<TControlSubClass> FSubClass;
  TDXDrawOptions FEffectiveOptions;
  TDXDrawOptions FOptions;
  std::int32_t FInitializingCount = 0;
  TDXDrawDriver* FDriver = nullptr;
  TDriverGUID FDriverGUID;
  TDirectDraw* FDDraw = nullptr;
  std::unique_ptr<TDXDrawDisplay> FDisplay;
  TDirectDrawClipper* FClipper = nullptr;
  TDirectDrawPalette* FPalette = nullptr;
  TDirectDrawSurface* FPrimary = nullptr;
  TDirectDrawSurface* FSurface = nullptr;
  std::int32_t FSurfaceWidth = 640;
  std::int32_t FSurfaceHeight = 480;
  TDXDraw3DSlots F3D;
  TRGBQuads FPaletteTable{};
  TRGBQuads FRestorePaletteTable{};
};

// The drawing control with its properties published.
class TDXDraw : public TCustomDXDraw {
 public:
  explicit TDXDraw(TComponent* AOwner) : TCustomDXDraw(AOwner) {}
  void GetProperties(TPropertyList& List) override;
};
