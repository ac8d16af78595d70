#include "platform/ddraw/Direct3D.h"

const IID IID_IDirect3D = {0x3BBA0080, 0x2421, 0x11CF, {0xA3, 0x1A, 0x00, 0xAA, 0x00, 0xB9, 0x33, 0x56}};
const IID IID_IDirect3D2 = {0x6AAE1EC1, 0x662A, 0x11D0, {0x88, 0x9D, 0x00, 0xAA, 0x00, 0xBB, 0xB7, 0x6A}};
const IID IID_IDirect3D3 = {0xBB223240, 0xE72B, 0x11D0, {0xA9, 0xB4, 0x00, 0xAA, 0x00, 0xC0, 0x99, 0x3E}};
const IID IID_IDirect3D7 = {0xF5049E77, 0x4861, 0x11D2, {0xA4, 0x07, 0x00, 0xA0, 0xC9, 0x06, 0x29, 0xA8}};
const IID IID_IDirect3DDevice = {0x64108800, 0x957D, 0x11D0, {0x89, 0xAB, 0x00, 0xA0, 0xC9, 0x05, 0x41, 0x29}};
const IID IID_IDirect3DDevice2 = {0x93281501, 0x8CF8, 0x11D0, {0x89, 0xAB, 0x00, 0xA0, 0xC9, 0x05, 0x41, 0x29}};
const IID IID_IDirect3DDevice3 = {0xB0AB3B60, 0x33D7, 0x11D1, {0xA9, 0x81, 0x00, 0xC0, 0x4F, 0xD7, 0xB1, 0x74}};
const IID IID_IDirect3DDevice7 = {0xF5049E79, 0x4861, 0x11D2, {0xA4, 0x07, 0x00, 0xA0, 0xC9, 0x06, 0x29, 0xA8}};
const IID IID_IDirect3DRM = {0x2BC49361, 0x8327, 0x11CF, {0xAC, 0x4A, 0x00, 0x00, 0xC0, 0x38, 0x25, 0xA1}};
const IID IID_IDirect3DRM2 = {0x4516ECC8, 0x8F20, 0x11D0, {0x9B, 0x6D, 0x00, 0x00, 0xC0, 0x78, 0x1B, 0xC3}};
const IID IID_IDirect3DRM3 = {0x4516EC83, 0x8F20, 0x11D0, {0x9B, 0x6D, 0x00, 0x00, 0xC0, 0x78, 0x1B, 0xC3}};
const IID IID_IDirect3DRMDevice = {0xE9E19280, 0x6E05, 0x11CF, {0xAC, 0x4A, 0x00, 0x00, 0xC0, 0x38, 0x25, 0xA1}};
const IID IID_IDirect3DRMDevice2 = {0x4516EC78, 0x8F20, 0x11D0, {0x9B, 0x6D, 0x00, 0x00, 0xC0, 0x78, 0x1B, 0xC3}};
const IID IID_IDirect3DRMDevice3 = {0x549F498B, 0xBFEB, 0x11D1, {0x8E, 0xD8, 0x00, 0xA0, 0xC9, 0x67, 0xA4, 0x82}};
const IID IID_IDirect3DRMFrame3 = {0xFF6B7F70, 0xA40E, 0x11D1, {0x91, 0xF9, 0x00, 0x00, 0xF8, 0x75, 0x8E, 0x66}};
const IID IID_IDirect3DRMViewport2 = {0x4A1B1BE6, 0xBFED, 0x11D1, {0x8E, 0xD8, 0x00, 0xA0, 0xC9, 0x67, 0xA4, 0x82}};
const GUID IID_IDirect3DRefDevice = {0x50936643, 0x13E9, 0x11D1, {0x89, 0xAA, 0x00, 0xA0, 0xC9, 0x05, 0x41, 0x29}};

TDirect3D::TDirect3D(IUnknown* directDraw) : FDirectDraw(directDraw) { FDirectDraw->AddRef(); }

TDirect3D::~TDirect3D() { FDirectDraw->Release(); }

HRESULT TDirect3D::QueryFrom(IUnknown* directDraw, REFIID iid, void** object) {
  if (!object) return E_POINTER;
  *object = nullptr;
  if (iid != IID_IDirect3D && iid != IID_IDirect3D2 && iid != IID_IDirect3D3 && iid != IID_IDirect3D7)
    return E_NOINTERFACE;
  auto* d3d = new TDirect3D(directDraw);
  HRESULT hr = d3d->QueryInterface(iid, object);
  d3d->Release();
  return hr;
}

HRESULT TDirect3D::QueryInterface(REFIID iid, void** object) {
  if (!object) return E_POINTER;
  *object = nullptr;
  if (iid == IID_IUnknown || iid == IID_IDirect3D)
    *object = static_cast<IDirect3D*>(this);
  else if (iid == IID_IDirect3D2)
    *object = static_cast<IDirect3D2*>(this);
  else if (iid == IID_IDirect3D3)
    *object = static_cast<IDirect3D3*>(this);
  else if (iid == IID_IDirect3D7)
    *object = static_cast<IDirect3D7*>(this);
  else
    return FDirectDraw->QueryInterface(iid, object);  // back to the DirectDraw object
  AddRef();
  return S_OK;
}

// The display has no 3D device, so the enumerations call nobody.
HRESULT TDirect3D::EnumDevices(LPD3DENUMDEVICESCALLBACK callback, void*) {
  return callback ? DD_OK : DDERR_INVALIDPARAMS;
}

HRESULT TDirect3D::EnumDevices(LPD3DENUMDEVICESCALLBACK7 callback, void*) {
  return callback ? DD_OK : DDERR_INVALIDPARAMS;
}

HRESULT TDirect3D::CreateDevice(REFGUID, IDirectDrawSurface4* surface, IDirect3DDevice3** created, IUnknown* outer) {
  if (!created) return DDERR_INVALIDPARAMS;
  *created = nullptr;
  if (!surface || outer) return DDERR_INVALIDPARAMS;
  return DDERR_NO3D;
}

HRESULT TDirect3D::CreateDevice(REFGUID, IDirectDrawSurface7* surface, IDirect3DDevice7** created) {
  if (!created) return DDERR_INVALIDPARAMS;
  *created = nullptr;
  if (!surface) return DDERR_INVALIDPARAMS;
  return DDERR_NO3D;
}

namespace {

// A retained-mode frame: its parent and its position relative to a
// reference frame.
class TDirect3DRMFrame : public IDirect3DRMFrame3 {
 public:
  explicit TDirect3DRMFrame(IDirect3DRMFrame3* parent) : FParent(parent) {
    if (FParent) FParent->AddRef();
  }

  HRESULT QueryInterface(REFIID iid, void** object) override {
    if (!object) return E_POINTER;
    *object = nullptr;
    if (iid != IID_IUnknown && iid != IID_IDirect3DRMFrame3) return E_NOINTERFACE;
    AddRef();
    *object = static_cast<IDirect3DRMFrame3*>(this);
    return S_OK;
  }
  BRASK_REFCOUNT_METHODS

  HRESULT SetPosition(IDirect3DRMFrame3* reference, D3DVALUE x, D3DVALUE y, D3DVALUE z) override {
    FReference = reference;
    FPosition[0] = x;
    FPosition[1] = y;
    FPosition[2] = z;
    return DD_OK;
  }

 private:
  ~TDirect3DRMFrame() override {
    if (FParent) FParent->Release();
  }
  TRefCounted FRef;
  IDirect3DRMFrame3* FParent;
  IDirect3DRMFrame3* FReference = nullptr;  // not held: only remembered
  D3DVALUE FPosition[3] = {};
};

// The retained-mode object. Its devices are made over Direct3D devices, of
// which this display has none.
class TDirect3DRM : public IDirect3DRM, public IDirect3DRM2, public IDirect3DRM3 {
 public:
  HRESULT QueryInterface(REFIID iid, void** object) override {
    if (!object) return E_POINTER;
    *object = nullptr;
    if (iid == IID_IUnknown || iid == IID_IDirect3DRM)
      *object = static_cast<IDirect3DRM*>(this);
    else if (iid == IID_IDirect3DRM2)
      *object = static_cast<IDirect3DRM2*>(this);
    else if (iid == IID_IDirect3DRM3)
      *object = static_cast<IDirect3DRM3*>(this);
    else
      return E_NOINTERFACE;
    AddRef();
    return S_OK;
  }
  BRASK_REFCOUNT_METHODS

  HRESULT CreateDeviceFromD3D(IDirect3D2* direct3D, IDirect3DDevice2* device, IDirect3DRMDevice3** created) override {
    if (!created) return DDERR_INVALIDPARAMS;
    *created = nullptr;
    if (!direct3D || !device) return DDERR_INVALIDPARAMS;
    return DDERR_NO3D;
  }

  HRESULT CreateFrame(IDirect3DRMFrame3* parent, IDirect3DRMFrame3** frame) override {
    if (!frame) return DDERR_INVALIDPARAMS;
    *frame = new TDirect3DRMFrame(parent);
    return DD_OK;
  }

  // A viewport needs a retained-mode device, and none can be made here.
  HRESULT CreateViewport(IDirect3DRMDevice3*, IDirect3DRMFrame3*, DWORD, DWORD, DWORD, DWORD,
                         IDirect3DRMViewport2** viewport) override {
    if (viewport) *viewport = nullptr;
    return DDERR_INVALIDPARAMS;
  }

  HRESULT SetDefaultTextureColors(DWORD colors) override {
    FTextureColors = colors;
    return DD_OK;
  }

  HRESULT SetDefaultTextureShades(DWORD shades) override {
    FTextureShades = shades;
    return DD_OK;
  }

 private:
  ~TDirect3DRM() = default;
  TRefCounted FRef;
  DWORD FTextureColors = 0;
  DWORD FTextureShades = 0;
};

}  // namespace

HRESULT Direct3DRMCreate(IDirect3DRM** direct3DRM) {
  if (!direct3DRM) return DDERR_INVALIDPARAMS;
  *direct3DRM = new TDirect3DRM;
  return DD_OK;
}
