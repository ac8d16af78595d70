#include "world/World.h"

#include <cstring>

#include "world/ByteOrder.h"

namespace {
constexpr std::size_t kNameOffset = 2 * MapCells;
constexpr std::size_t kRowsOffset = kNameOffset + TShortString::SerializedSize;
constexpr std::size_t kColsOffset = kRowsOffset + 4;
static_assert(kColsOffset + 4 == TMapBlock::SerializedSize);

template <typename Table>
int CountNamed(const Table& t) {
  int n = 0;
  for (std::size_t i = 1; i < t.size(); ++i)
    if (!t[i].Name.Empty()) ++n;
  return n;
}
}  // namespace

void TMapBlock::Serialize(std::uint8_t* Out) const {
  std::memcpy(Out, Terrain.data(), MapCells);
  std::memcpy(Out + MapCells, Heights.data(), MapCells);
  MapName.Serialize(Out + kNameOffset);
  PutInt32(Out + kRowsOffset, MapRows);
  PutInt32(Out + kColsOffset, MapCols);
}

void TMapBlock::Deserialize(const std::uint8_t* In) {
  std::memcpy(Terrain.data(), In, MapCells);
  std::memcpy(Heights.data(), In + MapCells, MapCells);
  MapName.Deserialize(In + kNameOffset);
  MapRows = GetInt32(In + kRowsOffset);
  MapCols = GetInt32(In + kColsOffset);
}

bool AddUnitType(TWorldTables& World, const TUnitType& Type) {
  if (World.UnitTypeCount < 0 || World.UnitTypeCount >= MaxUnitTypes) return false;
  World.UnitTypes[++World.UnitTypeCount] = Type;
  return true;
}

bool AddBuildingType(TWorldTables& World, const TBuildingType& Type) {
  if (World.BuildingTypeCount < 0 || World.BuildingTypeCount >= MaxBuildingTypes) return false;
  World.BuildingTypes[++World.BuildingTypeCount] = Type;
  return true;
}

int CountNamedSlots(const TUnitTable& Units) { return CountNamed(Units); }
int CountNamedSlots(const TBuildingTable& Buildings) { return CountNamed(Buildings); }
