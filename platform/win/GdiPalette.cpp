// Logical palettes and the system palette they are realised into.
#include "platform/win/GdiInternal.h"

#include <vector>

using namespace GdiInternal;

namespace GdiInternal {

// ---- The static colours and the system palette --------------------------------

const PALETTEENTRY kStaticColors[20] = {
    {0, 0, 0, 0},       {128, 0, 0, 0},     {0, 128, 0, 0},     {128, 128, 0, 0},   {0, 0, 128, 0},
    {128, 0, 128, 0},   {0, 128, 128, 0},   {192, 192, 192, 0}, {192, 220, 192, 0}, {166, 202, 240, 0},
    {255, 251, 240, 0}, {160, 160, 164, 0}, {128, 128, 128, 0}, {255, 0, 0, 0},     {0, 255, 0, 0},
    {255, 255, 0, 0},   {0, 0, 255, 0},     {255, 0, 255, 0},   {0, 255, 255, 0},   {255, 255, 255, 0},
};

}  // namespace GdiInternal

namespace {

PALETTEENTRY gSystemPalette[256];
bool gSystemPaletteReady = false;

PALETTEENTRY* SystemPalette() {
  if (!gSystemPaletteReady) {
    for (int i = 0; i < 10; ++i) gSystemPalette[i] = kStaticColors[i];
    for (int i = 10; i < 20; ++i) gSystemPalette[236 + i] = kStaticColors[i];
    gSystemPaletteReady = true;
  }
  return gSystemPalette;
}

}  // namespace

// ---- Palettes -------------------------------------------------------------------------

HPALETTE CreatePalette(const LOGPALETTE* plpal) {
  if (!plpal || plpal->palNumEntries == 0) return nullptr;
  auto* p = new PaletteObj;
  const PALETTEENTRY* e = plpal->palPalEntry;
  p->entries.assign(e, e + plpal->palNumEntries);
  return reinterpret_cast<HPALETTE>(Register(p));
}

HPALETTE SelectPalette(HDC hdc, HPALETTE hpal, BOOL) {
  auto* dc = Lookup<DCObj>(hdc);
  auto* pal = Lookup<PaletteObj>(hpal);
  if (!dc || !pal) return nullptr;
  PaletteObj* old = dc->palette ? dc->palette : DefaultPalette();
  SelectTyped(dc->palette, pal == DefaultPalette() ? static_cast<PaletteObj*>(nullptr) : pal);
  return reinterpret_cast<HPALETTE>(old);
}

UINT RealizePalette(HDC hdc) {
  auto* dc = Lookup<DCObj>(hdc);
  if (!dc) return GDI_ERROR;
  if (!dc->palette) return 0;
  PALETTEENTRY* sys = SystemPalette();
  const auto& e = dc->palette->entries;
  for (size_t i = 10; i < 246 && i < e.size(); ++i) {
    sys[i] = e[i];
    sys[i].peFlags = 0;
  }
  return static_cast<UINT>(e.size());
}

UINT GetPaletteEntries(HPALETTE hpal, UINT start, UINT count, PALETTEENTRY* entries) {
  auto* pal = Lookup<PaletteObj>(hpal);
  if (!pal) return 0;
  if (!entries) return static_cast<UINT>(pal->entries.size());
  UINT n = 0;
  for (UINT i = start; i < pal->entries.size() && n < count; ++i, ++n) entries[n] = pal->entries[i];
  return n;
}

UINT SetPaletteEntries(HPALETTE hpal, UINT start, UINT count, const PALETTEENTRY* entries) {
  auto* pal = Lookup<PaletteObj>(hpal);
  if (!pal || !entries || pal->stock) return 0;
  UINT n = 0;
  for (UINT i = start; i < pal->entries.size() && n < count; ++i, ++n) pal->entries[i] = entries[n];
  return n;
}

UINT GetNearestPaletteIndex(HPALETTE hpal, COLORREF color) {
  auto* pal = Lookup<PaletteObj>(hpal);
  if (!pal || pal->entries.empty()) return CLR_INVALID;
  std::vector<COLORREF> colors;
  colors.reserve(pal->entries.size());
  for (const auto& e : pal->entries) colors.push_back(EntryColor(e));
  return NearestColorIndex(colors.data(), colors.size(), color);
}

UINT GetSystemPaletteEntries(HDC hdc, UINT start, UINT count, PALETTEENTRY* entries) {
  if (hdc && !Lookup<DCObj>(hdc)) return 0;
  if (!entries) return 256;
  PALETTEENTRY* sys = SystemPalette();
  UINT n = 0;
  for (UINT i = start; i < 256 && n < count; ++i, ++n) entries[n] = sys[i];
  return n;
}
