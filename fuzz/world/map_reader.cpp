// Map files from untrusted bytes: decoding, everything the programs derive from
// a map (counts, identifiers, picture names, the cells in use) and writing it
// back must stay inside the records, and the bytes must come back unchanged.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform/rtl/Exceptions.h"
#include "world/ObjectNames.h"
#include "world/WorldFiles.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size) {
  // Short inputs are padded with their own bytes so that most runs reach a whole record.
  std::vector<std::uint8_t> bytes(Data, Data + Size);
  if (Size > 0 && Size < TMapFile::SerializedSize && (Data[0] & 1)) {
    bytes.resize(TMapFile::SerializedSize);
    for (std::size_t at = Size; at < bytes.size(); at += Size)
      std::memcpy(bytes.data() + at, Data, std::min(Size, bytes.size() - at));
  }
  static TMapFile* const map = new TMapFile;
  try {
    DecodeMapFile(bytes.data(), bytes.size(), *map);
  } catch (const EInOutError&) {
    if (bytes.size() >= TMapFile::SerializedSize) std::abort();
    return 0;
  }
  if (bytes.size() < TMapFile::SerializedSize) std::abort();

  std::vector<std::uint8_t> out(TMapFile::SerializedSize);
  map->Serialize(out.data());
  if (std::memcmp(out.data(), bytes.data(), out.size()) != 0) std::abort();

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
