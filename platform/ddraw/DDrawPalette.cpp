#include "platform/ddraw/DDrawPalette.h"

HRESULT TDDrawPalette::Create(DWORD flags, const PALETTEENTRY* entries, TDDrawPalette** palette) {
  if (!palette) return DDERR_INVALIDPARAMS;
  *palette = nullptr;
  const DWORD known = DDPCAPS_1BIT | DDPCAPS_2BIT | DDPCAPS_4BIT | DDPCAPS_8BIT | DDPCAPS_INITIALIZE |
                      DDPCAPS_PRIMARYSURFACE | DDPCAPS_ALLOW256;
  if (!entries || (flags & ~known)) return DDERR_INVALIDPARAMS;
  int count = 0;
  switch (flags & (DDPCAPS_1BIT | DDPCAPS_2BIT | DDPCAPS_4BIT | DDPCAPS_8BIT)) {
    case DDPCAPS_1BIT: count = 2; break;
    case DDPCAPS_2BIT: count = 4; break;
    case DDPCAPS_4BIT: count = 16; break;
    case DDPCAPS_8BIT: count = 256; break;
    default: return DDERR_INVALIDPARAMS;  // none or more than one size
  }
  if ((flags & DDPCAPS_ALLOW256) && count != 256) return DDERR_INVALIDPARAMS;
  auto* p = new TDDrawPalette;
  p->FCaps = flags;
  p->FCount = count;
  for (int i = 0; i < count; ++i) p->FEntries[i] = entries[i];
  *palette = p;
  return DD_OK;
}

HRESULT TDDrawPalette::QueryInterface(REFIID iid, void** object) {
  if (!object) return E_POINTER;
  *object = nullptr;
  if (iid == IID_IUnknown || iid == IID_IDirectDrawPalette) {
    AddRef();
    *object = static_cast<IDirectDrawPalette*>(this);
    return S_OK;
  }
  return E_NOINTERFACE;
}

HRESULT TDDrawPalette::GetCaps(DWORD* caps) {
  if (!caps) return DDERR_INVALIDPARAMS;
  *caps = FCaps;
  return DD_OK;
}

HRESULT TDDrawPalette::GetEntries(DWORD flags, DWORD start, DWORD count, PALETTEENTRY* entries) {
  if (flags != 0 || !entries || start > static_cast<DWORD>(FCount) || count > static_cast<DWORD>(FCount) - start)
    return DDERR_INVALIDPARAMS;
  for (DWORD i = 0; i < count; ++i) entries[i] = FEntries[start + i];
  return DD_OK;
}

HRESULT TDDrawPalette::SetEntries(DWORD flags, DWORD start, DWORD count, PALETTEENTRY* entries) {
  if (flags != 0 || !entries || start > static_cast<DWORD>(FCount) || count > static_cast<DWORD>(FCount) - start)
    return DDERR_INVALIDPARAMS;
  for (DWORD i = 0; i < count; ++i) FEntries[start + i] = entries[i];
  return DD_OK;
}
