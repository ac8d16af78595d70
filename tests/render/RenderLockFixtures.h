#pragma once
// Real stand-in surfaces for the lock tests, and a surface wrapper that logs
// its locks and unlocks and may alter what a lock reports.

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "platform/ddraw/DDraw.h"
#include "platform/ddraw/DDrawEmulation.h"
#include "platform/ddraw/PixelFormat.h"

// An off-screen surface of Format, made through the version 1 interface.
inline IDirectDrawSurface* MakeFormatSurface(IDirectDraw* dd, LONG width, LONG height, const TDDrawPixelFormat& format,
                                             DWORD caps = DDSCAPS_OFFSCREENPLAIN) {
  DDSURFACEDESC d;
  d.dwSize = 108;
  d.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT | DDSD_PIXELFORMAT;
  d.dwWidth = static_cast<DWORD>(width);
  d.dwHeight = static_cast<DWORD>(height);
  d.ddsCaps.dwCaps = caps;
  format.Describe(d.ddpfPixelFormat);
  IDirectDrawSurface* s = nullptr;
  EXPECT_EQ(dd->CreateSurface(&d, &s, nullptr), DD_OK);
  return s;
}

// Passes every call on to the wrapped surface. Lock and Unlock are logged
// as "lock <name>" / "unlock <name>" (with " failed" when the wrapped call
// fails), and Tamper may change the description of a successful lock.
class TLoggingSurface : public IDirectDrawSurface {
 public:
  TLoggingSurface(IDirectDrawSurface* Real, std::string Name, std::vector<std::string>* Log)
      : FReal(Real), FName(std::move(Name)), FLog(Log) {
    FReal->AddRef();
  }

  std::function<void(DDSURFACEDESC&)> Tamper;
  int Unlocks = 0;
  void* LastUnlockArgument = nullptr;
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
    return FReal->Blt(d, Unwrap(s), r, f, fx);
  }
  HRESULT BltFast(DWORD x, DWORD y, IDirectDrawSurface* s, RECT* r, DWORD f) override {
    return FReal->BltFast(x, y, Unwrap(s), r, f);
  }
  HRESULT DeleteAttachedSurface(DWORD f, IDirectDrawSurface* a) override { return FReal->DeleteAttachedSurface(f, a); }
  HRESULT Flip(IDirectDrawSurface* t, DWORD f) override { return FReal->Flip(t, f); }
  HRESULT GetAttachedSurface(DDSCAPS* c, IDirectDrawSurface** a) override { return FReal->GetAttachedSurface(c, a); }
  HRESULT GetCaps(DDSCAPS* c) override { return FReal->GetCaps(c); }
  HRESULT GetClipper(IDirectDrawClipper** c) override { return FReal->GetClipper(c); }
  HRESULT GetColorKey(DWORD f, DDCOLORKEY* k) override { return FReal->GetColorKey(f, k); }
  HRESULT GetDC(HDC* dc) override { return FReal->GetDC(dc); }
  HRESULT GetPalette(IDirectDrawPalette** p) override { return FReal->GetPalette(p); }
  HRESULT GetSurfaceDesc(DDSURFACEDESC* d) override { return FReal->GetSurfaceDesc(d); }
  HRESULT IsLost() override { return FReal->IsLost(); }
  HRESULT Lock(RECT* r, DDSURFACEDESC* d, DWORD f, HANDLE e) override {
    HRESULT hr = FReal->Lock(r, d, f, e);
    if (hr == DD_OK && Tamper) Tamper(*d);
    if (FLog) FLog->push_back("lock " + FName + (hr == DD_OK ? "" : " failed"));
    return hr;
  }
  HRESULT ReleaseDC(HDC dc) override { return FReal->ReleaseDC(dc); }
  HRESULT Restore() override { return FReal->Restore(); }
  HRESULT SetClipper(IDirectDrawClipper* c) override { return FReal->SetClipper(c); }
  HRESULT SetColorKey(DWORD f, DDCOLORKEY* k) override { return FReal->SetColorKey(f, k); }
  HRESULT SetPalette(IDirectDrawPalette* p) override { return FReal->SetPalette(p); }
  HRESULT Unlock(void* p) override {
    ++Unlocks;
    LastUnlockArgument = p;
    // A tampered pointer is not the wrapped surface's: unlock it plainly.
    HRESULT hr = FReal->Unlock(Tamper ? nullptr : p);
    if (FLog) FLog->push_back("unlock " + FName + (hr == DD_OK ? "" : " failed"));
    return hr;
  }

 private:
  ~TLoggingSurface() override { FReal->Release(); }
  static IDirectDrawSurface* Unwrap(IDirectDrawSurface* s) {
    auto* w = dynamic_cast<TLoggingSurface*>(s);
    return w ? w->FReal : s;
  }
  IDirectDrawSurface* FReal;
  std::string FName;
  std::vector<std::string>* FLog;
  ULONG FRefs = 1;
};

// A fresh emulated display and a DirectDraw object (version 1).
class RenderLockTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetDDrawEmulation();
    ASSERT_EQ(DirectDrawCreate(nullptr, &DD, nullptr), DD_OK);
    ASSERT_EQ(DD->SetCooperativeLevel(nullptr, DDSCL_NORMAL), DD_OK);
  }
  void TearDown() override {
    if (DD) DD->Release();
    ResetDDrawEmulation();
  }
  // Whether the surface can be locked now (it is not held by anyone).
  static bool Lockable(IDirectDrawSurface* s) {
    DDSURFACEDESC d;
    d.dwSize = 108;
    if (s->Lock(nullptr, &d, DDLOCK_WAIT, nullptr) != DD_OK) return false;
    s->Unlock(nullptr);
    return true;
  }

  IDirectDraw* DD = nullptr;
};
