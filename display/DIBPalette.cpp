#include "display/DIBPalette.h"

#include <cstring>

#include "platform/win/Gdi.h"

TPaletteManager::~TPaletteManager() {
  for (auto& item : FItems) DeleteObject(item->Palette);
}

HPALETTE TPaletteManager::AcquirePalette(const TDIBColorTable& ColorTable, std::int32_t ColorCount) {
  if (ColorCount < 0) ColorCount = 0;
  if (ColorCount > 256) ColorCount = 256;
  DWORD checksum = static_cast<DWORD>(ColorCount);
  for (std::int32_t i = 0; i < ColorCount; ++i)
    checksum += static_cast<DWORD>(ColorTable[i].rgbRed) + ColorTable[i].rgbGreen + ColorTable[i].rgbBlue;
  for (auto& item : FItems)
    if (item->Checksum == checksum && item->ColorCount == ColorCount &&
        SameColorEntries(item->ColorTable.data(), ColorTable.data(), ColorCount)) {
      ++item->RefCount;
      return item->Palette;
    }
  std::vector<BYTE> block(sizeof(LOGPALETTE) + sizeof(PALETTEENTRY) * 256, 0);
  auto* log = reinterpret_cast<LOGPALETTE*>(block.data());
  log->palVersion = 0x300;
  log->palNumEntries = static_cast<WORD>(ColorCount);
  const TDIBPaletteEntries entries = QuadsToPalette(ColorTable);
  std::memcpy(log->palPalEntry, entries.data(), sizeof(PALETTEENTRY) * static_cast<std::size_t>(ColorCount));
  HPALETTE palette = CreatePalette(log);
  if (!palette) return nullptr;
  auto item = std::make_unique<TPaletteItem>();
  item->Checksum = checksum;
  item->Palette = palette;
  item->RefCount = 1;
  item->ColorTable = ColorTable;
  item->ColorCount = ColorCount;
  FItems.push_back(std::move(item));
  return palette;
}

void TPaletteManager::ReleasePalette(HPALETTE& Palette) {
  if (!Palette) return;
  for (auto it = FItems.begin(); it != FItems.end(); ++it)
    if ((*it)->Palette == Palette) {
      Palette = nullptr;
      if (--(*it)->RefCount <= 0) {
        DeleteObject((*it)->Palette);
        FItems.erase(it);
      }
      return;
    }
}

bool TPaletteManager::Holds(HPALETTE Palette) const { return References(Palette) > 0; }

std::int32_t TPaletteManager::References(HPALETTE Palette) const {
  if (!Palette) return 0;
  for (const auto& item : FItems)
    if (item->Palette == Palette) return item->RefCount;
  return 0;
}

TPaletteManager& PaletteManager() {
  // The GDI's own tables are made first so that they outlive the cache, which
  // deletes its palettes when the program stops.
  static TPaletteManager manager = (GdiLiveObjectCount(), TPaletteManager());
  return manager;
}
