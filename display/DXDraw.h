// The drawing control: a child window of a form that owns a DirectDraw
// object with a primary surface, a back surface of its own size, a clipper
// and a palette. It derives the options it really uses from the requested
// ones, initialises at the first showing of its form and finalises when the
// form's window goes, tells its listeners (the image lists) about each phase,
// presents the back surface with Flip and restores lost surfaces.
#pragma once

#include <cstdint>
#include <exception>
#include <memory>
#include <vector>

#include "display/DXClass.h"
#include "display/DXDrawDriver.h"
#include "display/DXDrawError.h"
#include "display/DXDrawOptions.h"
#include "display/DirectDraw.h"
#include "display/DirectDrawSurface.h"
#include "display/DisplayMode.h"
#include "platform/toolkit/Controls.h"
#include "platform/toolkit/Forms.h"
#include "platform/toolkit/Sets.h"

class TCustomDXDraw;

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

class TCustomDXDraw : public TCustomControl, public TDXDrawDisplayOwner, private TDXDrawDriverHost {
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
  // The DirectDraw objects are the driver's; they go with it.
  TDirectDrawSurface* Surface() const { return FDriver ? FDriver->Surface() : nullptr; }
  TDirectDrawSurface* Primary() const { return FDriver ? FDriver->Primary() : nullptr; }
  TDirectDraw* DDraw() const override { return FDriver ? FDriver->DDraw() : nullptr; }
  TDXDrawDisplay* Display() const override { return FDisplay.get(); }
  TDirectDrawPalette* Palette() const { return FDriver ? FDriver->Palette() : nullptr; }
  TDirectDrawClipper* Clipper() const { return FDriver ? FDriver->Clipper() : nullptr; }
  TDXDrawDriver* Driver() const { return FDriver.get(); }
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
  struct TListener {
    TDrawNotifyHandler Handler;
    bool Removed = false;
  };

  // Like NotifyListeners, but every listener is called; the first exception
  // is kept in First (when it holds none yet).
  void NotifyAll(TDrawNotifyCode NotifyType, std::exception_ptr& First);
  // Makes the back surface again at the new size between dnFinalizeSurface
  // and dnInitializeSurface; False when the driver cannot.
  bool ResizeSurface(int AWidth, int AHeight);

  // What the driver asks of the control.
  TDXDrawOptions RequestedOptions() const override { return FOptions; }
  TDXDrawOptions& EffectiveOptionsToUpdate() override { return FEffectiveOptions; }
  TDXDrawDisplayOwner& DisplayOwner() override { return *this; }
  const TRGBQuads& InitialColorTable() const override { return FPaletteTable; }
  int StoredSurfaceWidth() const override { return FSurfaceWidth; }
  int StoredSurfaceHeight() const override { return FSurfaceHeight; }
  HWND ClipWindow() override { return Handle(); }
  RECT ScreenClientRect() override;
  bool FormActive() const override { return FParentForm && FParentForm->Active(); }
  TDXDraw3DSlots& D3DSlotsToFill() override { return F3D; }
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
  // Owns the DirectDraw object and everything made from it; freed by
  // Finalize, at the latest when the form's window goes.
  std::unique_ptr<TDXDrawDriver> FDriver;
  TDriverGUID FDriverGUID;
  std::unique_ptr<TDXDrawDisplay> FDisplay;
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
