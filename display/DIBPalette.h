// The cache of GDI palettes that bitmaps with equal colour tables share. Each
// palette is counted: AcquirePalette adds a reference, ReleasePalette drops
// one, and the palette is deleted with its last reference.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "display/DIBImage.h"
#include "platform/win/Types.h"

class TPaletteItem {
 public:
  DWORD Checksum = 0;
  HPALETTE Palette = nullptr;  // owned
  std::int32_t RefCount = 0;
  TDIBColorTable ColorTable{};
  std::int32_t ColorCount = 0;
};

class TPaletteManager {
 public:
  TPaletteManager() = default;
  ~TPaletteManager();
  TPaletteManager(const TPaletteManager&) = delete;
  TPaletteManager& operator=(const TPaletteManager&) = delete;

  // A palette of the first ColorCount entries, shared with every holder of an
  // equal table.
  HPALETTE AcquirePalette(const TDIBColorTable& ColorTable, std::int32_t ColorCount);
  // Drops one reference of Palette and sets it to 0; a palette the cache does
  // not hold is left alone.
  void ReleasePalette(HPALETTE& Palette);
  // Whether the cache holds Palette.
  bool Holds(HPALETTE Palette) const;
  std::int32_t Count() const { return static_cast<std::int32_t>(FItems.size()); }
  std::int32_t References(HPALETTE Palette) const;

 private:
  std::vector<std::unique_ptr<TPaletteItem>> FItems;
};

// The one cache of the program, made at first use.
TPaletteManager& PaletteManager();
