// The palette object: 2, 4, 16 or 256 entries that indexed surfaces look up
// their colours in.
#pragma once

#include "platform/ddraw/DDraw.h"

class TDDrawPalette : public IDirectDrawPalette {
 public:
  // Flags hold exactly one of DDPCAPS_1BIT, _2BIT, _4BIT, _8BIT; Entries gives
  // the initial colours.
  static HRESULT Create(DWORD flags, const PALETTEENTRY* entries, TDDrawPalette** palette);

  HRESULT QueryInterface(REFIID iid, void** object) override;
  BRASK_REFCOUNT_METHODS
  HRESULT GetCaps(DWORD* caps) override;
  HRESULT GetEntries(DWORD flags, DWORD start, DWORD count, PALETTEENTRY* entries) override;
  HRESULT SetEntries(DWORD flags, DWORD start, DWORD count, PALETTEENTRY* entries) override;

  const PALETTEENTRY* Entries() const { return FEntries; }
  int Count() const { return FCount; }

 private:
  TDDrawPalette() = default;
  TRefCounted FRef;
  DWORD FCaps = 0;
  int FCount = 0;
  PALETTEENTRY FEntries[256] = {};
};
