#include "platform/ddraw/DDraw.h"

#include "platform/ddraw/DDrawObject.h"
#include "platform/ddraw/Direct3D.h"
#include "platform/win/Modules.h"

const IID IID_IDirectDraw = {0x6C14DB80, 0xA733, 0x11CE, {0xA5, 0x21, 0x00, 0x20, 0xAF, 0x0B, 0xE5, 0x60}};
const IID IID_IDirectDraw4 = {0x9C59509A, 0x39BD, 0x11D1, {0x8C, 0x4A, 0x00, 0xC0, 0x4F, 0xD9, 0x30, 0xC5}};
const IID IID_IDirectDraw7 = {0x15E65EC0, 0x3B9C, 0x11D2, {0xB9, 0x2F, 0x00, 0x60, 0x97, 0x97, 0xEA, 0x5B}};
const IID IID_IDirectDrawSurface = {0x6C14DB81, 0xA733, 0x11CE, {0xA5, 0x21, 0x00, 0x20, 0xAF, 0x0B, 0xE5, 0x60}};
const IID IID_IDirectDrawSurface4 = {0x0B2B8630, 0xAD35, 0x11D0, {0x8E, 0xA6, 0x00, 0x60, 0x97, 0x97, 0xEA, 0x5B}};
const IID IID_IDirectDrawSurface7 = {0x06675A80, 0x3B9B, 0x11D2, {0xB9, 0x2F, 0x00, 0x60, 0x97, 0x97, 0xEA, 0x5B}};
const IID IID_IDirectDrawPalette = {0x6C14DB84, 0xA733, 0x11CE, {0xA5, 0x21, 0x00, 0x20, 0xAF, 0x0B, 0xE5, 0x60}};
const IID IID_IDirectDrawClipper = {0x6C14DB85, 0xA733, 0x11CE, {0xA5, 0x21, 0x00, 0x20, 0xAF, 0x0B, 0xE5, 0x60}};
const IID IID_IDirectDrawGammaControl = {0x69C11C3E, 0xB46B, 0x11D1, {0xAD, 0x7A, 0x00, 0xC0, 0x4F, 0xC2, 0x9B, 0x4E}};

namespace {

// Nil, or one of the two special values, names the one display driver.
bool KnownDriver(const GUID* driver) {
  return driver == nullptr || driver == DDCREATE_HARDWAREONLY || driver == DDCREATE_EMULATIONONLY;
}

}  // namespace

HRESULT DirectDrawEnumerateA(LPDDENUMCALLBACKA callback, void* context) {
  if (!callback) return DDERR_INVALIDPARAMS;
  char description[] = "Primary Display Driver";
  char name[] = "display";
  callback(nullptr, description, name, context);
  return DD_OK;
}

HRESULT DirectDrawCreate(GUID* driver, IDirectDraw** directDraw, IUnknown* outer) {
  if (!directDraw) return DDERR_INVALIDPARAMS;
  *directDraw = nullptr;
  if (outer) return DDERR_INVALIDPARAMS;
  if (!KnownDriver(driver)) return DDERR_INVALIDDIRECTDRAWGUID;
  *directDraw = new TDDrawObject;
  return DD_OK;
}

HRESULT DirectDrawCreateEx(GUID* driver, void** directDraw, REFIID iid, IUnknown* outer) {
  if (!directDraw) return DDERR_INVALIDPARAMS;
  *directDraw = nullptr;
  if (outer || iid != IID_IDirectDraw7) return DDERR_INVALIDPARAMS;
  if (!KnownDriver(driver)) return DDERR_INVALIDDIRECTDRAWGUID;
  *directDraw = static_cast<IDirectDraw7*>(new TDDrawObject);
  return DD_OK;
}

void RegisterDDrawModules() {
  static const bool registered = [] {
    ModuleRegistry::Register("DDraw.dll",
                             {{"DirectDrawEnumerateA", reinterpret_cast<FARPROC>(&DirectDrawEnumerateA)},
                              {"DirectDrawCreateEx", reinterpret_cast<FARPROC>(&DirectDrawCreateEx)},
                              {"DirectDrawCreate", reinterpret_cast<FARPROC>(&DirectDrawCreate)}});
    ModuleRegistry::Register("D3DRM.dll", {{"Direct3DRMCreate", reinterpret_cast<FARPROC>(&Direct3DRMCreate)}});
    return true;
  }();
  (void)registered;
}
