// Map files from untrusted bytes: decoding, everything the programs derive from
// a map (counts, identifiers, picture names, the cells in use) and writing it
// back must stay inside the records, and the bytes must come back unchanged.
// Inputs are descriptions of files (MapInput.h), so that short inputs reach the
// fields that matter in whole files.
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "fuzz/world/MapInput.h"
#include "platform/rtl/Exceptions.h"
#include "world/ObjectNames.h"
#include "world/WorldFiles.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size) {
  static TMapFile* const map = new TMapFile;
  static std::uint8_t* const bytes = new std::uint8_t[TMapFile::SerializedSize];
  static std::uint8_t* const out = new std::uint8_t[TMapFile::SerializedSize];
  const std::size_t length = mapinput::BuildMapBytes(Data, Size, bytes);
  try {
    DecodeMapFile(bytes, length, *map);
  } catch (const EInOutError&) {
    if (length >= TMapFile::SerializedSize) std::abort();
    return 0;
  }
  if (length < TMapFile::SerializedSize) std::abort();

  map->Serialize(out);
  if (std::memcmp(out, bytes, TMapFile::SerializedSize) != 0) std::abort();

  unsigned sum = 0;
  // The cells in use, along their last row and column (the far edges of any walk).
  const int rows = map->Map.UsedRows(), cols = map->Map.UsedCols();
  for (int r = 1; r <= rows; ++r) sum += map->Map.TerrainAt(r, cols) + map->Map.HeightAt(r, cols);
  for (int c = 1; c <= cols; ++c) sum += map->Map.TerrainAt(rows, c) + map->Map.HeightAt(rows, c);
  sum += static_cast<unsigned>(map->Map.MapName.Text().size());
  int units = CountNamedSlots(map->Units), buildings = CountNamedSlots(map->Buildings);
  for (int i = 1; i <= units; ++i) {
    const TUnit& u = map->Units[i];
    sum += static_cast<unsigned>(ObjectIdentifier(u).size() + PictureName(u.Name).size());
    sum += IsIdentifiedBy(u.AttackTarget, map->Units[1 + (i % MaxUnits)]) ? 1u : 0u;
    sum += static_cast<unsigned>(NextObjectNumber(map->Units, units, i, u.Name, 1));
  }
  for (int i = 1; i <= buildings; ++i) {
    const TBuilding& b = map->Buildings[i];
    sum += static_cast<unsigned>(StoredIdentifier(b).Size());
    sum += static_cast<unsigned>(NextObjectNumber(map->Buildings, buildings - 1, 0, b.Name, 0));
  }
  volatile unsigned sink = sum;
  (void)sink;
  return 0;
}
