// Test doubles for the DirectDraw wrappers: a window system with one window,
// a surface interface that counts the calls made through it, and a
// DirectDraw object that refuses surfaces.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <ostream>

#include "display/DXClass.h"
#include "display/DisplayMode.h"
#include "platform/ddraw/DDraw.h"
#include "platform/ddraw/DDrawEmulation.h"
#include "platform/ddraw/Direct3D.h"
#include "platform/win/Modules.h"
#include "platform/win/Window.h"

inline void PrintTo(const RECT& r, std::ostream* os) {
  *os << "(" << r.left << ", " << r.top << ", " << r.right << ", " << r.bottom << ")";
}

// One window of 640 × 480 at the screen's origin.
class TFakeWindowBackend : public TWindowBackend {
 public:
  static HWND Window() { return reinterpret_cast<HWND>(std::uintptr_t{0x5150}); }
  bool IsWindow(HWND hWnd) override { return hWnd == Window(); }
  bool GetClientRect(HWND hWnd, RECT* rect) override {
    if (hWnd != Window()) return false;
    *rect = RECT{0, 0, 640, 480};
    return true;
  }
  bool ClientToScreen(HWND hWnd, POINT*) override { return hWnd == Window(); }
  bool ScreenToClient(HWND hWnd, POINT*) override { return hWnd == Window(); }
  HWND GetForegroundWindow() override { return Window(); }
  HWND GetActiveWindow() override { return Window(); }
  bool GetCursorPos(POINT* point) override {
    *point = POINT{};
    return true;
  }
  int ShowCursor(bool) override { return 0; }
  void GetScreenSize(LONG* width, LONG* height) override {
    *width = 1024;
    *height = 768;
  }
  void PresentPixels(HWND, const RECT&, const void*, LONG) override {}
  int MessageBox(HWND, const char*, const char*, UINT) override { return 0; }
};

// Every DirectDraw test starts from the emulation's defaults with the
// stand-in's modules registered.
class DirectDrawTest : public ::testing::Test {
 protected:
  void SetUp() override {
    RegisterDDrawModules();
    ResetDDrawEmulation();
  }
  void TearDown() override {
    SetWindowBackend(nullptr);
    ResetDDrawEmulation();
  }
};

// The surface calls made through this interface are counted and passed on
// to the surface it wraps. Asked for IDirectDrawSurface it answers itself;
// the other versions are those of the wrapped surface.
class TCountingSurface : public IDirectDrawSurface {
 public:
  explicit TCountingSurface(IDirectDrawSurface* Real) : FReal(Real) { FReal->AddRef(); }

  int BltCalls = 0;
  int BltFastCalls = 0;
  int LockCalls = 0;
  int GetDCCalls = 0;
  IDirectDrawSurface* Real() const { return FReal; }

  HRESULT QueryInterface(REFIID iid, void** object) override {
    if (iid == IID_IDirectDrawSurface || iid == IID_IUnknown) {
      AddRef();
      *object = static_cast<IDirectDrawSurface*>(this);
      return S_OK;
    }
    return FReal->QueryInterface(iid, object);
  }
  ULONG AddRef() override { return ++FRefs; }
  ULONG Release() override {
    ULONG n = --FRefs;
    if (n == 0) delete this;
    return n;
  }
  HRESULT AddAttachedSurface(IDirectDrawSurface* a) override { return FReal->AddAttachedSurface(a); }
  HRESULT Blt(RECT* d, IDirectDrawSurface* s, RECT* r, DWORD f, DDBLTFX* fx) override {
    ++BltCalls;
    return FReal->Blt(d, s, r, f, fx);
  }
  HRESULT BltFast(DWORD x, DWORD y, IDirectDrawSurface* s, RECT* r, DWORD f) override {
    ++BltFastCalls;
    return FReal->BltFast(x, y, s, r, f);
  }
  HRESULT DeleteAttachedSurface(DWORD f, IDirectDrawSurface* a) override { return FReal->DeleteAttachedSurface(f, a); }
  HRESULT Flip(IDirectDrawSurface* t, DWORD f) override { return FReal->Flip(t, f); }
  HRESULT GetAttachedSurface(DDSCAPS* c, IDirectDrawSurface** a) override { return FReal->GetAttachedSurface(c, a); }
  HRESULT GetCaps(DDSCAPS* c) override { return FReal->GetCaps(c); }
  HRESULT GetClipper(IDirectDrawClipper** c) override { return FReal->GetClipper(c); }
  HRESULT GetColorKey(DWORD f, DDCOLORKEY* k) override { return FReal->GetColorKey(f, k); }
  HRESULT GetDC(HDC* dc) override {
    ++GetDCCalls;
    return FReal->GetDC(dc);
  }
  HRESULT GetPalette(IDirectDrawPalette** p) override { return FReal->GetPalette(p); }
  HRESULT GetSurfaceDesc(DDSURFACEDESC* d) override { return FReal->GetSurfaceDesc(d); }
  HRESULT IsLost() override { return FReal->IsLost(); }
  HRESULT Lock(RECT* r, DDSURFACEDESC* d, DWORD f, HANDLE e) override {
    ++LockCalls;
    return FReal->Lock(r, d, f, e);
  }
  HRESULT ReleaseDC(HDC dc) override { return FReal->ReleaseDC(dc); }
  HRESULT Restore() override { return FReal->Restore(); }
  HRESULT SetClipper(IDirectDrawClipper* c) override { return FReal->SetClipper(c); }
  HRESULT SetColorKey(DWORD f, DDCOLORKEY* k) override { return FReal->SetColorKey(f, k); }
  HRESULT SetPalette(IDirectDrawPalette* p) override { return FReal->SetPalette(p); }
  HRESULT Unlock(void* p) override { return FReal->Unlock(p); }

 private:
  ~TCountingSurface() override { FReal->Release(); }
  IDirectDrawSurface* FReal;
  ULONG FRefs = 1;
};

// A DirectDraw object (version 1) that passes everything on to the
// stand-in's but answers CreateSurface by Refuse: a description for which
// Refuse is true fails with DDERR_OUTOFVIDEOMEMORY.
class TRefusingDirectDraw : public IDirectDraw {
 public:
  using TRule = std::function<bool(const DDSURFACEDESC&)>;
  static inline TRule Refuse;
  static inline int CreateSurfaceCalls = 0;
  static inline bool RefuseClipper = false;
  static inline bool RefuseDirect3D = false;

  explicit TRefusingDirectDraw(IDirectDraw* Real) : FReal(Real) {}

  HRESULT QueryInterface(REFIID iid, void** object) override {
    if (iid == IID_IDirectDraw || iid == IID_IUnknown) {
      AddRef();
      *object = static_cast<IDirectDraw*>(this);
      return S_OK;
    }
    if (RefuseDirect3D && (iid == IID_IDirect3D || iid == IID_IDirect3D2 || iid == IID_IDirect3D3)) {
      *object = nullptr;
      return E_NOINTERFACE;
    }
    return FReal->QueryInterface(iid, object);
  }
  ULONG AddRef() override { return ++FRefs; }
  ULONG Release() override {
    ULONG n = --FRefs;
    if (n == 0) delete this;
    return n;
  }
  HRESULT CreateClipper(DWORD f, IDirectDrawClipper** c, IUnknown* o) override {
    if (RefuseClipper) {
      *c = nullptr;
      return DDERR_OUTOFMEMORY;
    }
    return FReal->CreateClipper(f, c, o);
  }
  HRESULT CreatePalette(DWORD f, PALETTEENTRY* e, IDirectDrawPalette** p, IUnknown* o) override {
    return FReal->CreatePalette(f, e, p, o);
  }
  HRESULT CreateSurface(DDSURFACEDESC* d, IDirectDrawSurface** s, IUnknown* o) override {
    ++CreateSurfaceCalls;
    if (Refuse && Refuse(*d)) {
      *s = nullptr;
      return DDERR_OUTOFVIDEOMEMORY;
    }
    return FReal->CreateSurface(d, s, o);
  }
  HRESULT DuplicateSurface(IDirectDrawSurface* o, IDirectDrawSurface** d) override {
    return FReal->DuplicateSurface(o, d);
  }
  HRESULT EnumDisplayModes(DWORD f, DDSURFACEDESC* d, void* c, HRESULT (*cb)(DDSURFACEDESC*, void*)) override {
    return FReal->EnumDisplayModes(f, d, c, cb);
  }
  HRESULT FlipToGDISurface() override { return FReal->FlipToGDISurface(); }
  HRESULT GetCaps(DDCAPS* d, DDCAPS* e) override { return FReal->GetCaps(d, e); }
  HRESULT GetDisplayMode(DDSURFACEDESC* d) override { return FReal->GetDisplayMode(d); }
  HRESULT RestoreDisplayMode() override { return FReal->RestoreDisplayMode(); }
  HRESULT SetCooperativeLevel(HWND w, DWORD f) override { return FReal->SetCooperativeLevel(w, f); }
  HRESULT WaitForVerticalBlank(DWORD f, HANDLE e) override { return FReal->WaitForVerticalBlank(f, e); }
  HRESULT SetDisplayMode(DWORD w, DWORD h, DWORD b) override { return FReal->SetDisplayMode(w, h, b); }

  // "DirectDrawCreate" of the replaced module.
  static HRESULT Create(GUID* driver, IDirectDraw** directDraw, IUnknown* outer) {
    IDirectDraw* real = nullptr;
    HRESULT hr = DirectDrawCreate(driver, &real, outer);
    if (hr != 0) {
      *directDraw = nullptr;
      return hr;
    }
    *directDraw = new TRefusingDirectDraw(real);
    return DD_OK;
  }

 private:
  ~TRefusingDirectDraw() override { FReal->Release(); }
  IDirectDraw* FReal;
  ULONG FRefs = 1;
};

// While it lives, "DDraw.dll" makes its DirectDraw objects (created without
// DirectX 7 mode) as TRefusingDirectDraw.
class TRefusingDDrawModule {
 public:
  explicit TRefusingDDrawModule(TRefusingDirectDraw::TRule Rule) {
    TRefusingDirectDraw::Refuse = std::move(Rule);
    TRefusingDirectDraw::CreateSurfaceCalls = 0;
    ModuleRegistry::Register("DDraw.dll",
                             {{"DirectDrawEnumerateA", reinterpret_cast<FARPROC>(&DirectDrawEnumerateA)},
                              {"DirectDrawCreateEx", reinterpret_cast<FARPROC>(&DirectDrawCreateEx)},
                              {"DirectDrawCreate", reinterpret_cast<FARPROC>(&TRefusingDirectDraw::Create)}});
  }
  ~TRefusingDDrawModule() {
    ModuleRegistry::Register("DDraw.dll", {{"DirectDrawEnumerateA", reinterpret_cast<FARPROC>(&DirectDrawEnumerateA)},
                                           {"DirectDrawCreateEx", reinterpret_cast<FARPROC>(&DirectDrawCreateEx)},
                                           {"DirectDrawCreate", reinterpret_cast<FARPROC>(&DirectDrawCreate)}});
    TRefusingDirectDraw::Refuse = nullptr;
    TRefusingDirectDraw::RefuseClipper = false;
    TRefusingDirectDraw::RefuseDirect3D = false;
  }
  TRefusingDDrawModule(const TRefusingDDrawModule&) = delete;
  TRefusingDDrawModule& operator=(const TRefusingDDrawModule&) = delete;
};

// The parts of a drawing control that the display setting and the driver
// selection use.
class TFakeDXDraw : public TDXDrawDisplayOwner {
 public:
  TDirectDraw* DD = nullptr;
  TDriverGUID Guid;
  int GuidWrites = 0;
  TDXDrawDisplay Disp{this};

  TDirectDraw* DDraw() const override { return DD; }
  TDriverGUID DriverGUID() const override { return Guid; }
  void SetDriverGUID(const TDriverGUID& Value) override {
    Guid = Value;
    ++GuidWrites;
  }
  TDXDrawDisplay* Display() const override { return const_cast<TDXDrawDisplay*>(&Disp); }
};
