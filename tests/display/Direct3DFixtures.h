// Display drivers with 3D devices for the driver selection and the 3D
// set-ups: "DDraw.dll" is replaced by a module whose drivers are DirectDraw
// objects of the stand-in wrapped so that they report the capabilities and
// the Direct3D devices a test gives them.
#pragma once

#include <memory>
#include <vector>

#include "platform/ddraw/Direct3D.h"
#include "tests/display/DirectDrawFixtures.h"

struct TFakeDevice {
  GUID Guid;
  D3DDEVICEDESC Hardware;  // dwFlags 0: a software device
  D3DDEVICEDESC Software;
  bool Fails = false;  // CreateDevice refuses it
};

struct TFakeDevice7 {
  D3DDEVICEDESC7 Desc;
  bool Fails = false;
};

struct TFakeDriver {
  bool Primary = true;  // named by a nil GUID
  GUID Guid;
  bool Has3D = true;  // DDCAPS_3D and DDSCAPS_TEXTURE in the driver caps
  DWORD VideoMemory = 0;
  std::vector<TFakeDevice> Devices;
  std::vector<TFakeDevice7> Devices7;
  // Calls made: the device GUIDs asked for, in order.
  std::vector<GUID> Created;
  std::vector<std::pair<DWORD, DWORD>> RenderStates;
};

// Devices made by the fake Direct3D: they take render states and answer
// the queries the set-up makes.
class TFakeD3DDevice : public IDirect3DDevice7,
                       public IDirect3DDevice3,
                       public IDirect3DDevice2,
                       public IDirect3DDevice {
 public:
  explicit TFakeD3DDevice(TFakeDriver* Driver) : FDriver(Driver) {}
  HRESULT QueryInterface(REFIID iid, void** object) override {
    if (iid == IID_IDirect3DDevice7)
      *object = static_cast<IDirect3DDevice7*>(this);
    else if (iid == IID_IDirect3DDevice3)
      *object = static_cast<IDirect3DDevice3*>(this);
    else if (iid == IID_IDirect3DDevice2)
      *object = static_cast<IDirect3DDevice2*>(this);
    else if (iid == IID_IDirect3DDevice)
      *object = static_cast<IDirect3DDevice*>(this);
    else
      return E_NOINTERFACE;
    AddRef();
    return S_OK;
  }
  ULONG AddRef() override { return ++FRefs; }
  ULONG Release() override {
    ULONG n = --FRefs;
    if (n == 0) delete this;
    return n;
  }
  HRESULT SetRenderState(DWORD state, DWORD value) override {
    FDriver->RenderStates.emplace_back(state, value);
    return DD_OK;
  }

 private:
  ~TFakeD3DDevice() override = default;
  TFakeDriver* FDriver;
  ULONG FRefs = 1;
};

class TFakeDirect3D : public IDirect3D, public IDirect3D2, public IDirect3D3, public IDirect3D7 {
 public:
  explicit TFakeDirect3D(TFakeDriver* Driver) : FDriver(Driver) {}
  HRESULT QueryInterface(REFIID iid, void** object) override {
    if (iid == IID_IDirect3D)
      *object = static_cast<IDirect3D*>(this);
    else if (iid == IID_IDirect3D2)
      *object = static_cast<IDirect3D2*>(this);
    else if (iid == IID_IDirect3D3)
      *object = static_cast<IDirect3D3*>(this);
    else if (iid == IID_IDirect3D7)
      *object = static_cast<IDirect3D7*>(this);
    else
      return E_NOINTERFACE;
    AddRef();
    return S_OK;
  }
  ULONG AddRef() override { return ++FRefs; }
  ULONG Release() override {
    ULONG n = --FRefs;
    if (n == 0) delete this;
    return n;
  }
  HRESULT EnumDevices(LPD3DENUMDEVICESCALLBACK callback, void* context) override {
    char name[] = "device";
    for (TFakeDevice& d : FDriver->Devices) {
      GUID g = d.Guid;
      D3DDEVICEDESC hw = d.Hardware, sw = d.Software;
      if (callback(&g, name, name, &hw, &sw, context) == DDENUMRET_CANCEL) break;
    }
    return DD_OK;
  }
  HRESULT EnumDevices(LPD3DENUMDEVICESCALLBACK7 callback, void* context) override {
    char name[] = "device";
    for (TFakeDevice7& d : FDriver->Devices7) {
      D3DDEVICEDESC7 desc = d.Desc;
      if (callback(name, name, &desc, context) == DDENUMRET_CANCEL) break;
    }
    return DD_OK;
  }
  HRESULT CreateDevice(REFGUID device, IDirectDrawSurface4* surface, IDirect3DDevice3** created, IUnknown*) override {
    *created = nullptr;
    FDriver->Created.push_back(device);
    if (!surface) return DDERR_INVALIDPARAMS;
    for (const TFakeDevice& d : FDriver->Devices)
      if (d.Guid == device && !d.Fails) {
        *created = new TFakeD3DDevice(FDriver);
        return DD_OK;
      }
    return DDERR_NO3D;
  }
  HRESULT CreateDevice(REFGUID device, IDirectDrawSurface7* surface, IDirect3DDevice7** created) override {
    *created = nullptr;
    FDriver->Created.push_back(device);
    if (!surface) return DDERR_INVALIDPARAMS;
    for (const TFakeDevice7& d : FDriver->Devices7)
      if (d.Desc.deviceGUID == device && !d.Fails) {
        *created = new TFakeD3DDevice(FDriver);
        return DD_OK;
      }
    return DDERR_NO3D;
  }

 private:
  ~TFakeDirect3D() = default;
  TFakeDriver* FDriver;
  ULONG FRefs = 1;
};

// The methods every version of the wrapped DirectDraw object passes on.
template <class TIntf, class TSurface, class TDesc>
class TFakeDDrawBase : public TIntf {
 public:
  TFakeDDrawBase(TIntf* Real, TFakeDriver* Driver) : FReal(Real), FDriver(Driver) {}
  ULONG AddRef() override { return ++FRefs; }
  ULONG Release() override {
    ULONG n = --FRefs;
    if (n == 0) delete this;
    return n;
  }
  HRESULT CreateClipper(DWORD f, IDirectDrawClipper** c, IUnknown* o) override { return FReal->CreateClipper(f, c, o); }
  HRESULT CreatePalette(DWORD f, PALETTEENTRY* e, IDirectDrawPalette** p, IUnknown* o) override {
    return FReal->CreatePalette(f, e, p, o);
  }
  HRESULT CreateSurface(TDesc* d, TSurface** s, IUnknown* o) override { return FReal->CreateSurface(d, s, o); }
  HRESULT DuplicateSurface(TSurface* o, TSurface** d) override { return FReal->DuplicateSurface(o, d); }
  HRESULT EnumDisplayModes(DWORD f, TDesc* d, void* c, HRESULT (*cb)(TDesc*, void*)) override {
    return FReal->EnumDisplayModes(f, d, c, cb);
  }
  HRESULT FlipToGDISurface() override { return FReal->FlipToGDISurface(); }
  HRESULT GetCaps(DDCAPS* d, DDCAPS* e) override {
    HRESULT hr = FReal->GetCaps(d, e);
    if (d) {
      if (FDriver->Has3D) {
        d->dwCaps |= DDCAPS_3D;
        d->ddsCaps.dwCaps |= DDSCAPS_TEXTURE;
      }
      d->dwVidMemTotal = FDriver->VideoMemory;
    }
    return hr;
  }
  HRESULT GetDisplayMode(TDesc* d) override { return FReal->GetDisplayMode(d); }
  HRESULT RestoreDisplayMode() override { return FReal->RestoreDisplayMode(); }
  HRESULT SetCooperativeLevel(HWND w, DWORD f) override { return FReal->SetCooperativeLevel(w, f); }
  HRESULT WaitForVerticalBlank(DWORD f, HANDLE e) override { return FReal->WaitForVerticalBlank(f, e); }

 protected:
  ~TFakeDDrawBase() override { FReal->Release(); }
  // Direct3D comes from the fake; everything else from the real object.
  bool QueryDirect3D(REFIID iid, void** object) {
    if (iid != IID_IDirect3D && iid != IID_IDirect3D2 && iid != IID_IDirect3D3 && iid != IID_IDirect3D7) return false;
    auto* d3d = new TFakeDirect3D(FDriver);
    d3d->QueryInterface(iid, object);
    d3d->Release();
    return true;
  }
  TIntf* FReal;
  TFakeDriver* FDriver;
  ULONG FRefs = 1;
};

class TFakeDDraw1 : public TFakeDDrawBase<IDirectDraw, IDirectDrawSurface, DDSURFACEDESC> {
 public:
  using TFakeDDrawBase::TFakeDDrawBase;
  HRESULT QueryInterface(REFIID iid, void** object) override {
    if (iid == IID_IDirectDraw || iid == IID_IUnknown) {
      AddRef();
      *object = static_cast<IDirectDraw*>(this);
      return S_OK;
    }
    if (QueryDirect3D(iid, object)) return S_OK;
    return FReal->QueryInterface(iid, object);
  }
  HRESULT SetDisplayMode(DWORD w, DWORD h, DWORD b) override { return FReal->SetDisplayMode(w, h, b); }
};

class TFakeDDraw7 : public TFakeDDrawBase<IDirectDraw7, IDirectDrawSurface7, DDSURFACEDESC2> {
 public:
  using TFakeDDrawBase::TFakeDDrawBase;
  HRESULT QueryInterface(REFIID iid, void** object) override {
    if (iid == IID_IDirectDraw7 || iid == IID_IUnknown) {
      AddRef();
      *object = static_cast<IDirectDraw7*>(this);
      return S_OK;
    }
    if (iid == IID_IDirectDraw) {
      IDirectDraw* real = nullptr;
      FReal->QueryInterface(IID_IDirectDraw, reinterpret_cast<void**>(&real));
      *object = static_cast<IDirectDraw*>(new TFakeDDraw1(real, FDriver));
      return S_OK;
    }
    if (QueryDirect3D(iid, object)) return S_OK;
    return FReal->QueryInterface(iid, object);
  }
  HRESULT SetDisplayMode(DWORD w, DWORD h, DWORD b, DWORD r, DWORD f) override {
    return FReal->SetDisplayMode(w, h, b, r, f);
  }
};

// While it lives, "DDraw.dll" offers the drivers of Drivers.
class TFake3DModule {
 public:
  static inline std::vector<TFakeDriver>* Drivers = nullptr;

  explicit TFake3DModule(std::vector<TFakeDriver>& drivers) {
    Drivers = &drivers;
    ModuleRegistry::Register("DDraw.dll", {{"DirectDrawEnumerateA", reinterpret_cast<FARPROC>(&Enumerate)},
                                           {"DirectDrawCreateEx", reinterpret_cast<FARPROC>(&CreateEx)},
                                           {"DirectDrawCreate", reinterpret_cast<FARPROC>(&Create)}});
  }
  ~TFake3DModule() {
    ModuleRegistry::Register("DDraw.dll", {{"DirectDrawEnumerateA", reinterpret_cast<FARPROC>(&DirectDrawEnumerateA)},
                                           {"DirectDrawCreateEx", reinterpret_cast<FARPROC>(&DirectDrawCreateEx)},
                                           {"DirectDrawCreate", reinterpret_cast<FARPROC>(&DirectDrawCreate)}});
    Drivers = nullptr;
  }
  TFake3DModule(const TFake3DModule&) = delete;
  TFake3DModule& operator=(const TFake3DModule&) = delete;

 private:
  static TFakeDriver* Find(const GUID* guid) {
    for (TFakeDriver& d : *Drivers)
      if (guid ? (!d.Primary && d.Guid == *guid) : d.Primary) return &d;
    return nullptr;
  }
  static HRESULT Enumerate(LPDDENUMCALLBACKA callback, void* context) {
    char name[] = "driver";
    for (TFakeDriver& d : *Drivers) {
      GUID g = d.Guid;
      if (!callback(d.Primary ? nullptr : &g, name, name, context)) break;
    }
    return DD_OK;
  }
  static HRESULT CreateEx(GUID* guid, void** directDraw, REFIID iid, IUnknown* outer) {
    *directDraw = nullptr;
    TFakeDriver* driver = Find(guid);
    if (!driver) return DDERR_INVALIDDIRECTDRAWGUID;
    void* real = nullptr;
    HRESULT hr = DirectDrawCreateEx(nullptr, &real, iid, outer);
    if (hr != 0) return hr;
    *directDraw = static_cast<IDirectDraw7*>(new TFakeDDraw7(static_cast<IDirectDraw7*>(real), driver));
    return DD_OK;
  }
  static HRESULT Create(GUID* guid, IDirectDraw** directDraw, IUnknown* outer) {
    *directDraw = nullptr;
    TFakeDriver* driver = Find(guid);
    if (!driver) return DDERR_INVALIDDIRECTDRAWGUID;
    IDirectDraw* real = nullptr;
    HRESULT hr = DirectDrawCreate(nullptr, &real, outer);
    if (hr != 0) return hr;
    *directDraw = new TFakeDDraw1(real, driver);
    return DD_OK;
  }
};
