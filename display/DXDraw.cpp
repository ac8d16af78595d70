#include "display/DXDraw.h"

#include <algorithm>

#include "platform/rtl/Format.h"
#include "platform/win/Gdi.h"

namespace {

// Sets a flag for as long as it lives and clears it when it goes, also when
// an exception passes.
class TFlagScope {
 public:
  explicit TFlagScope(bool& Flag) : FFlag(Flag) { FFlag = true; }
  ~TFlagScope() { FFlag = false; }
  TFlagScope(const TFlagScope&) = delete;
  TFlagScope& operator=(const TFlagScope&) = delete;

 private:
  bool& FFlag;
};

// Raises a counter for as long as it lives.
class TCountScope {
 public:
  explicit TCountScope(std::int32_t& Count) : FCount(Count) { ++FCount; }
  ~TCountScope() { --FCount; }
  TCountScope(const TCountScope&) = delete;
  TCountScope& operator=(const TCountScope&) = delete;

 private:
  std::int32_t& FCount;
};

// The screen's system palette as a colour table.
TRGBQuads SystemColorTable() {
  std::array<PALETTEENTRY, 256> entries{};
  HDC dc = GetDC(nullptr);
  GetSystemPaletteEntries(dc, 0, 256, entries.data());
  ReleaseDC(nullptr, dc);
  TRGBQuads table{};
  for (size_t i = 0; i < table.size(); ++i) {
    table[i].rgbBlue = entries[i].peBlue;
    table[i].rgbGreen = entries[i].peGreen;
    table[i].rgbRed = entries[i].peRed;
    table[i].rgbReserved = 0;
  }
  return table;
}

bool SurfaceLost(TDirectDrawSurface* Surface) {
  IDirectDrawSurface* intf = SurfaceIntf(Surface);
  return intf && intf->IsLost() == DDERR_SURFACELOST;
}

bool SurfaceUsable(TDirectDrawSurface* Surface) {
  IDirectDrawSurface* intf = SurfaceIntf(Surface);
  return intf && intf->IsLost() == 0;
}

}  // namespace

TDXDrawOptions EffectiveDXDrawOptions(TDXDrawOptions Requested, bool Initialized, TDXDrawOptions Old) {
  if (Initialized) {
    TDXDrawOptions e = Old;
    for (TDXDrawOption o : {doWaitVBlank, doStretch, doCenter}) {
      if (Requested.Contains(o))
        e.Include(o);
      else
        e.Exclude(o);
    }
    if (!e.Contains(do3D)) e -= TDXDrawOptions{doRetainedMode, doHardware, doSelectDriver, doZBuffer};
    return e;
  }
  TDXDrawOptions e = Requested;
  if (!e.Contains(doFullScreen)) e -= TDXDrawOptions{doNoWindowChange, doAllowReboot, doAllowPalette256, doFlip};
  if (!e.Contains(do3D)) e -= TDXDrawOptions{doDirectX7Mode, doRetainedMode, doHardware, doSelectDriver, doZBuffer};
  if (e.Contains(doSystemMemory)) e.Exclude(doFlip);
  if (e.Contains(doDirectX7Mode)) e.Exclude(doRetainedMode);
  // The 3D set-up adds it back when it gets a hardware device.
  e.Exclude(doHardware);
  return e;
}

// ---- TCustomDXDraw -----------------------------------------------------------

TCustomDXDraw::TCustomDXDraw(TComponent* AOwner) : TCustomControl(AOwner) {
  FAutoInitialize = true;
  FDisplay = std::make_unique<TDXDrawDisplay>(this);
  SetOptions(DefaultDXDrawOptions);
  FAutoSize = true;
  FPaletteTable = SystemColorTable();
  FRestorePaletteTable = FPaletteTable;
  SetBounds(Left(), Top(), 100, 100);
  SetParentColor(false);
  SetColor(clBtnFace);
}

TCustomDXDraw::~TCustomDXDraw() {
  // A destructor cannot pass exceptions on: every listener is still told.
  try {
    Finalize();
  } catch (...) {}
  std::exception_ptr ignored;
  NotifyAll(dnDestroying, ignored);
  if (FParentForm) FParentForm->RemoveFreeNotification(this);
  FSubClass.reset();
  FParentForm = nullptr;
  FDisplay.reset();
  FListeners.clear();
}

bool TCustomDXDraw::Loading() const {
  return ComponentState().Contains(csLoading) || ComponentState().Contains(csReading);
}

void TCustomDXDraw::Loaded() {
  TCustomControl::Loaded();
  if (FAutoSize) {
    FSurfaceWidth = Width();
    FSurfaceHeight = Height();
  }
  NotifyListeners(dnSurfaceSize);
  if (FAutoInitialize && !ComponentState().Contains(csDesigning) && !FSubClass) Initialize();
}

void TCustomDXDraw::SetParent(TWinControl* AParent) {
  TCustomControl::SetParent(AParent);
  if (FParentForm) FParentForm->RemoveFreeNotification(this);
  FParentForm = nullptr;
  FSubClass.reset();
  if (ComponentState().Contains(csDesigning)) return;
  for (TWinControl* p = Parent(); p; p = p->Parent()) {
    if (auto* form = dynamic_cast<TCustomForm*>(p)) {
      FParentForm = form;
      break;
    }
  }
  if (FParentForm) {
    FParentForm->FreeNotification(this);
    FSubClass = std::make_unique<TControlSubClass>(FParentForm, TSubClassHandler(this, &TCustomDXDraw::FormWndProc));
  }
}

void TCustomDXDraw::Notification(TComponent* AComponent, TOperation Operation) {
  TCustomControl::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FParentForm && FParentForm) {
    try {
      Finalize();
    } catch (...) {}
    if (FParentForm->ComponentState().Contains(csDestroying)) {
      // The form is being freed and its window procedure slot may be gone
      // already: the subclass is let go without writing the old one back.
      (void)FSubClass.release();
    } else {
      // The form lives on (it only left its owner): the hook comes off its
      // chain, or the form would call into this control after it is freed.
      FSubClass.reset();
    }
    FParentForm = nullptr;
  }
}

void TCustomDXDraw::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
  TCustomControl::SetBounds(ALeft, ATop, AWidth, AHeight);
  if (FAutoSize && !FBusy) SetSize(Width(), Height());
}

void TCustomDXDraw::WndProc(TMessage& Message) {
  if (Message.Msg == WM_CREATE) {
    WMCreate(Message);
    return;
  }
  TCustomControl::WndProc(Message);
}

void TCustomDXDraw::WMCreate(TMessage& Message) {
  TCustomControl::WndProc(Message);
  if (FInitialized && !FBusy) {
    if (TDirectDrawClipper* clipper = Clipper()) clipper->SetHandle(Handle());
    SetCooperativeLevel();
  }
}

void TCustomDXDraw::FormWndProc(TMessage& Message, const TWndMethod& DefWindowProc) {
  switch (Message.Msg) {
    case WM_DESTROY: {
      // The window goes whatever the listeners do; their first failure
      // follows once the message has been passed on.
      std::exception_ptr failure;
      try {
        Finalize();
      } catch (...) { failure = std::current_exception(); }
      DefWindowProc(Message);
      if (failure) std::rethrow_exception(failure);
      return;
    }
    case WM_ACTIVATE:
    case WM_INITMENU:
      if ((Message.Msg == WM_INITMENU || LOWORD(Message.WParam) == WA_INACTIVE) && FInitialized &&
          FEffectiveOptions.Contains(doFullScreen) && FEffectiveOptions.Contains(doFlip)) {
        if (IDirectDraw* dd = ::DrawIntf(DDraw())) DDraw()->Check(dd->FlipToGDISurface());
      }
      DefWindowProc(Message);
      return;
    case WM_WINDOWPOSCHANGED: {
      DefWindowProc(Message);
      const auto* pos = reinterpret_cast<const WINDOWPOS*>(Message.LParam);
      if (pos && (pos->flags & SWP_SHOWWINDOW) && FAutoInitialize && !FInitStarted) Initialize();
      return;
    }
    default: DefWindowProc(Message);
  }
}

void TCustomDXDraw::SetOptions(TDXDrawOptions Value) {
  FOptions = Value;
  FEffectiveOptions = EffectiveDXDrawOptions(Value, FInitialized, FEffectiveOptions);
}

void TCustomDXDraw::Initialize() {
  FInitStarted = true;
  Finalize();
  if (!FParentForm) throw EDXDrawError("Form not found");
  try {
    DoInitializing();
    FInternalInitialized = true;
    {
      TFlagScope busy(FBusy);
      NotifyListeners(dnInitializing);
      TDXDrawDriverHost& host = *this;
      if (FEffectiveOptions.Contains(doFlip))
        FDriver = std::make_unique<TDXDrawDriverFlip>(host);
      else
        FDriver = std::make_unique<TDXDrawDriverBlt>(host);
      SetCooperativeLevel();
      if (FEffectiveOptions.Contains(doFullScreen)) {
        if (!FDisplay->SetSizeBestFit(FDisplay->Width(), FDisplay->Height(), FDisplay->BitCount()))
          throw EDXDrawError(Format("Display mode cannot be changed (%dx%d %dbit)", FDisplay->Width(),
                                    FDisplay->Height(), FDisplay->BitCount()));
      }
      if (FAutoSize) {
        FSurfaceWidth = Width();
        FSurfaceHeight = Height();
      }
      FDriver->Initialize();
    }
    FInitialized = true;
    {
      TCountScope initializing(FInitializingCount);
      NotifyListeners(dnSurfaceSize);
      NotifyListeners(dnInitialize);
      FInitializeEventFired = true;
      DoInitialize();
      NotifyListeners(dnInitializeSurface);
      FSurfaceEventFired = true;
      DoInitializeSurface();
    }
    Restore();
  } catch (...) {
    // A failed initialisation ends finalised, with its own exception.
    try {
      Finalize();
    } catch (...) {}
    throw;
  }
}

void TCustomDXDraw::Finalize() {
  if (!FInternalInitialized) return;
  FSurfaceWidth = SurfaceWidth();
  FSurfaceHeight = SurfaceHeight();
  FDisplay->ClearModes();
  FBusy = true;
  std::exception_ptr first;
  auto keep = [&first] {
    if (!first) first = std::current_exception();
  };
  if (FSurfaceEventFired) {
    FSurfaceEventFired = false;
    try {
      DoFinalizeSurface();
    } catch (...) { keep(); }
    NotifyAll(dnFinalizeSurface, first);
  }
  if (FInitializeEventFired) {
    FInitializeEventFired = false;
    try {
      DoFinalize();
    } catch (...) { keep(); }
    NotifyAll(dnFinalize, first);
  }
  FInternalInitialized = false;
  FInitialized = false;
  SetOptions(FOptions);
  // The driver's DirectDraw objects go with it; the control reads them as
  // gone while they are freed.
  std::unique_ptr<TDXDrawDriver> driver = std::move(FDriver);
  driver.reset();
  FBusy = false;
  if (first) std::rethrow_exception(first);
}

void TCustomDXDraw::Restore() {
  if (!FInitialized || FBusy) return;
  TFlagScope busy(FBusy);
  if (!FDriver || !FDriver->Restore()) return;
  if (TDirectDrawSurface* primary = Primary()) primary->SetPalette(Palette());
  if (TDirectDrawSurface* surface = Surface()) surface->SetPalette(Palette());
  SetColorTable(FRestorePaletteTable);
  NotifyListeners(dnRestore);
  DoRestoreSurface();
  SetColorTable(FPaletteTable);
}

bool TCustomDXDraw::CanDraw() {
  if (!FInitialized || FBusy || !SurfaceIntf(Primary()) || !SurfaceIntf(Surface())) return false;
  if (!SurfaceLost(Primary()) && !SurfaceLost(Surface())) return true;
  Restore();
  return SurfaceUsable(Primary()) && SurfaceUsable(Surface());
}

void TCustomDXDraw::Flip() {
  if (!FInitialized || FBusy || !CanDraw()) return;
  FDriver->Flip();
}

void TCustomDXDraw::NotifyListeners(TDrawNotifyCode NotifyType) {
  std::vector<std::shared_ptr<TListener>> snapshot = FListeners;
  for (auto it = snapshot.rbegin(); it != snapshot.rend(); ++it) {
    if (!(*it)->Removed) (*it)->Handler(this, NotifyType);
  }
}

void TCustomDXDraw::NotifyAll(TDrawNotifyCode NotifyType, std::exception_ptr& First) {
  std::vector<std::shared_ptr<TListener>> snapshot = FListeners;
  for (auto it = snapshot.rbegin(); it != snapshot.rend(); ++it) {
    if ((*it)->Removed) continue;
    try {
      (*it)->Handler(this, NotifyType);
    } catch (...) {
      if (!First) First = std::current_exception();
    }
  }
}

void TCustomDXDraw::AddListener(const TDrawNotifyHandler& Handler) {
  TDrawNotifyHandler handler = Handler;
  RemoveListener(handler);
  auto record = std::make_shared<TListener>();
  record->Handler = handler;
  FListeners.push_back(record);
  handler(this, dnSurfaceSize);
  if (FInitialized) {
    handler(this, dnInitialize);
    if (FSurfaceEventFired) handler(this, dnInitializeSurface);
    if (FInitializingCount == 0) handler(this, dnRestore);
  }
}

void TCustomDXDraw::RemoveListener(const TDrawNotifyHandler& Handler) {
  TDrawNotifyHandler handler = Handler;
  auto it = std::find_if(FListeners.begin(), FListeners.end(),
                         [&handler](const std::shared_ptr<TListener>& r) { return r->Handler == handler; });
  if (it == FListeners.end()) return;
  (*it)->Removed = true;
  FListeners.erase(it);
  if (FSurfaceEventFired) handler(this, dnFinalizeSurface);
  if (FInitialized) handler(this, dnFinalize);
}

int TCustomDXDraw::ListenerCount() const { return static_cast<int>(FListeners.size()); }

void TCustomDXDraw::SetSize(int AWidth, int AHeight) {
  // Compared as the back surface will be made, at least 1 × 1, so asking for
  // 0 × 0 twice re-creates nothing the second time.
  const int w = IntMax(AWidth, 1), h = IntMax(AHeight, 1);
  if ((w == SurfaceWidth() && h == SurfaceHeight()) || FBusy) return;
  if (FInitialized) {
    bool changed = false;
    try {
      changed = ResizeSurface(w, h);
    } catch (...) {
      try {
        Finalize();
      } catch (...) {}
      throw;
    }
    if (!changed) return;
  } else {
    FSurfaceWidth = w;
    FSurfaceHeight = h;
  }
  NotifyListeners(dnSurfaceSize);
}

bool TCustomDXDraw::ResizeSurface(int AWidth, int AHeight) {
  if (!FDriver->Resizable()) return false;
  FSurfaceWidth = IntMax(AWidth, 1);
  FSurfaceHeight = IntMax(AHeight, 1);
  TCountScope initializing(FInitializingCount);
  NotifyListeners(dnFinalizeSurface);
  if (FSurfaceEventFired) {
    FSurfaceEventFired = false;
    DoFinalizeSurface();
  }
  FDriver->CreateBackSurface();
  NotifyListeners(dnInitializeSurface);
  FSurfaceEventFired = true;
  DoInitializeSurface();
  return true;
}

int TCustomDXDraw::SurfaceWidth() const {
  TDirectDrawSurface* surface = Surface();
  return SurfaceIntf(surface) ? surface->Width() : FSurfaceWidth;
}

int TCustomDXDraw::SurfaceHeight() const {
  TDirectDrawSurface* surface = Surface();
  return SurfaceIntf(surface) ? surface->Height() : FSurfaceHeight;
}

RECT TCustomDXDraw::ScreenClientRect() {
  const POINT origin = ClientToScreen(POINT{0, 0});
  return RECT{origin.x, origin.y, origin.x + Width(), origin.y + Height()};
}

void TCustomDXDraw::SetSurfaceWidth(int Value) {
  if (Loading())
    FSurfaceWidth = Value;
  else
    SetSize(Value, SurfaceHeight());
}

void TCustomDXDraw::SetSurfaceHeight(int Value) {
  if (Loading())
    FSurfaceHeight = Value;
  else
    SetSize(SurfaceWidth(), Value);
}

void TCustomDXDraw::SetAutoSize(bool Value) {
  if (FAutoSize == Value) return;
  FAutoSize = Value;
  if (Value) SetSize(Width(), Height());
}

void TCustomDXDraw::SetDisplay(const TDXDrawDisplay* Value) { FDisplay->Assign(Value); }

void TCustomDXDraw::SetColorTable(const TRGBQuads& ColorTable) {
  TDirectDrawPalette* palette = Palette();
  if (!FInitialized || !palette) return;
  auto entries = PaletteEntriesFromColorTable(ColorTable, FEffectiveOptions.Contains(doAllowPalette256));
  palette->SetEntries(0, 256, entries.data());
}

void TCustomDXDraw::SetCooperativeLevel() {
  TDirectDraw* ddraw = DDraw();
  IDirectDraw* dd = ::DrawIntf(ddraw);
  if (!dd) return;
  HWND window = FParentForm ? FParentForm->Handle() : Handle();
  DWORD flags = DDSCL_NORMAL;
  if (FEffectiveOptions.Contains(doFullScreen)) {
    flags = DDSCL_FULLSCREEN | DDSCL_EXCLUSIVE | DDSCL_ALLOWMODEX;
    if (FEffectiveOptions.Contains(doNoWindowChange)) flags |= DDSCL_NOWINDOWCHANGES;
    if (FEffectiveOptions.Contains(doAllowReboot)) flags |= DDSCL_ALLOWREBOOT;
  }
  ddraw->Check(dd->SetCooperativeLevel(window, flags));
}

void TCustomDXDraw::Paint() {
  TCustomControl::Paint();
  if (ComponentState().Contains(csDesigning)) {
    PaintDesigning();
    return;
  }
  const bool waited = FEffectiveOptions.Contains(doWaitVBlank);
  FEffectiveOptions.Exclude(doWaitVBlank);
  try {
    Flip();
  } catch (...) {
    if (waited) FEffectiveOptions.Include(doWaitVBlank);
    throw;
  }
  if (waited) FEffectiveOptions.Include(doWaitVBlank);
  TDirectDrawSurface* surface = Surface();
  if (Parent() && FInitialized && surface && (surface->SurfaceDesc().ddsCaps.dwCaps & DDSCAPS_VIDEOMEMORY))
    Parent()->Invalidate();
}

void TCustomDXDraw::PaintDesigning() {
  TCanvas* canvas = Canvas();
  canvas->Brush()->SetStyle(bsClear);
  canvas->Pen()->SetStyle(psDash);
  canvas->Pen()->SetColor(clBlack);
  canvas->Rectangle(0, 0, Width(), Height());
  canvas->Pen()->SetStyle(psSolid);
  canvas->Pen()->SetColor(static_cast<TColor>(0x808080));
  canvas->MoveTo(0, 0);
  canvas->LineTo(Width(), Height());
  canvas->MoveTo(0, Height());
  canvas->LineTo(Width(), 0);
  const std::string text = Format("(%s)", ClassName());
  canvas->Brush()->SetStyle(bsSolid);
  canvas->Brush()->SetColor(clBtnFace);
  canvas->TextOut(Width() / 2 - canvas->TextWidth(text) / 2, Height() / 2 - canvas->TextHeight(text) / 2, text);
}

bool TCustomDXDraw::PaletteChanged(bool Foreground) {
  if (!Foreground) return false;
  Restore();
  return true;
}

void TCustomDXDraw::DoFinalize() {
  if (OnFinalize) OnFinalize(this);
}
void TCustomDXDraw::DoFinalizeSurface() {
  if (OnFinalizeSurface) OnFinalizeSurface(this);
}
void TCustomDXDraw::DoInitialize() {
  if (OnInitialize) OnInitialize(this);
}
void TCustomDXDraw::DoInitializeSurface() {
  if (OnInitializeSurface) OnInitializeSurface(this);
}
void TCustomDXDraw::DoInitializing() {
  if (OnInitializing) OnInitializing(this);
}
void TCustomDXDraw::DoRestoreSurface() {
  if (OnRestoreSurface) OnRestoreSurface(this);
}

// ---- TDXDraw -----------------------------------------------------------------

void TDXDraw::GetProperties(TPropertyList& List) {
  TCustomDXDraw::GetProperties(List);
  List.Boolean(
      "AutoInitialize", [this] { return AutoInitialize(); }, [this](bool v) { SetAutoInitialize(v); }, true);
  List.Boolean(
      "AutoSize", [this] { return AutoSize(); }, [this](bool v) { SetAutoSize(v); }, true);
  // Stored always: the default of the property is the window colour, a new
  // control has the button face.
  List.Integer(
      "Color", [this] { return Color(); }, [this](std::int64_t v) { SetColor(static_cast<TColor>(v)); },
      static_cast<std::int64_t>(clWindow));
  List.Persistent("Display", [this]() -> TPersistent* { return Display(); });
  // No stored default: the set is always written.
  List.Set(
      "Options",
      {"doFullScreen", "doNoWindowChange", "doAllowReboot", "doWaitVBlank", "doAllowPalette256", "doSystemMemory",
       "doStretch", "doCenter", "doFlip", "do3D", "doDirectX7Mode", "doRetainedMode", "doHardware", "doSelectDriver",
       "doZBuffer"},
      [this] { return static_cast<std::int64_t>(Options().Bits()); },
      [this](std::int64_t v) { SetOptions(DXDrawOptionsFromWord(static_cast<std::uint16_t>(v))); });
  List.Integer(
      "SurfaceHeight", [this] { return SurfaceHeight(); },
      [this](std::int64_t v) { SetSurfaceHeight(static_cast<int>(v)); }, 480);
  List.Integer(
      "SurfaceWidth", [this] { return SurfaceWidth(); },
      [this](std::int64_t v) { SetSurfaceWidth(static_cast<int>(v)); }, 640);
}
