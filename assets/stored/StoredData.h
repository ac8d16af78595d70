// The programs' stored component data, made by the asset generator at build
// time and linked in as the library brask_stored.
//
// Keys:
// - "Sandreth.DXImageList1" .. "Sandreth.DXImageList4", "Korvel.DXImageList1",
//   "Korvel.DXImageList4", "Korvel.DXWaveList1": a "TPF0" component stream of
//   that one component (class name, component name, its stored properties:
//   the image list's Items with their names, transparent colour and "TDIB"
//   pictures; the wave list's Items with their names and "WAVE" data).
// - "Sandreth.Glyph.<control name>", "Korvel.Glyph.<control name>": a bitmap
//   file (BMP bytes, 24-bit, background in the key colour $FF00FF, which is
//   also its bottom-left pixel) for a flat speed button's glyph.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class TPersistent;
class TSpeedButton;

struct TStoredData {
  const std::uint8_t* Data = nullptr;
  std::size_t Size = 0;
};

// Size 0 for an unknown key.
TStoredData StoredComponentData(std::string_view Key);
// Every key, in the order the generator wrote them.
std::vector<std::string> StoredComponentKeys();

// Reads the component stream of Key into Component, as a window's loading
// reads its stored data (TReader::ReadRootObject over a memory stream).
// Raises EReadError "Stored component data '%s' not found" for an unknown key.
void ReadStoredComponent(TPersistent* Component, std::string_view Key);
// Gives Button the bitmap stored under Key (a "…Glyph.<control name>" key) as
// its glyph; false, and the button left as it is, when there is none.
bool LoadStoredGlyph(TSpeedButton* Button, std::string_view Key);
