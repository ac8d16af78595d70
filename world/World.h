// The world tables that each program holds: the map block, the unit and
// building slots and the unit and building types, each a fixed array indexed
// from 1 (element 0 unused) with its count. Nothing is allocated per object.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "world/Records.h"

constexpr int MaxUnits = 150;
constexpr int MaxBuildings = 150;
constexpr int MaxUnitTypes = 30;
constexpr int MaxBuildingTypes = 30;
constexpr int MapPlayers = 4;

// The grid holds 250 x 250 cells; cell (row r, column c), both from 1, is
// byte (r - 1) * 250 + (c - 1) of Terrain and Heights.
constexpr int MapSize = 250;
constexpr std::size_t MapCells = static_cast<std::size_t>(MapSize) * MapSize;

// Terrain kinds.
constexpr std::uint8_t tkPlain = 0;
constexpr std::uint8_t tkTree = 1;
constexpr std::uint8_t tkWater = 2;
// 3 to 6: four kinds of raised ground.
constexpr std::uint8_t MaxElevation = 9;

using TUnitTable = std::array<TUnit, MaxUnits + 1>;
using TBuildingTable = std::array<TBuilding, MaxBuildings + 1>;
using TUnitTypeTable = std::array<TUnitType, MaxUnitTypes + 1>;
using TBuildingTypeTable = std::array<TBuildingType, MaxBuildingTypes + 1>;

// The map block: terrain, elevations, name and size, exactly as the first
// 125109 bytes of a map file.
struct TMapBlock {
  static constexpr std::size_t SerializedSize = 2 * MapCells + TShortString::SerializedSize + 2 * 4;

  std::array<std::uint8_t, MapCells> Terrain{};
  std::array<std::uint8_t, MapCells> Heights{};
  TShortString MapName;      // empty: no map is loaded (in the game)
  std::int32_t MapRows = 0;  // rows in use, as stored (unchecked)
  std::int32_t MapCols = 0;

  // Rows and columns in use, limited to the grid (0 to 250), for every walk
  // over the cells; the stored values stay as they are.
  int UsedRows() const { return Limit(MapRows); }
  int UsedCols() const { return Limit(MapCols); }

  static bool InGrid(int Row, int Col) { return Row >= 1 && Row <= MapSize && Col >= 1 && Col <= MapSize; }
  static std::size_t CellIndex(int Row, int Col) {
    return static_cast<std::size_t>(Row - 1) * MapSize + static_cast<std::size_t>(Col - 1);
  }
  // Cell values; a cell outside the grid reads as 0 and ignores writes.
  std::uint8_t TerrainAt(int Row, int Col) const { return InGrid(Row, Col) ? Terrain[CellIndex(Row, Col)] : 0; }
  std::uint8_t HeightAt(int Row, int Col) const { return InGrid(Row, Col) ? Heights[CellIndex(Row, Col)] : 0; }
  void SetTerrainAt(int Row, int Col, std::uint8_t V) {
    if (InGrid(Row, Col)) Terrain[CellIndex(Row, Col)] = V;
  }
  void SetHeightAt(int Row, int Col, std::uint8_t V) {
    if (InGrid(Row, Col)) Heights[CellIndex(Row, Col)] = V;
  }

  friend bool operator==(const TMapBlock&, const TMapBlock&) = default;
  void Serialize(std::uint8_t* Out) const;
  void Deserialize(const std::uint8_t* In);

 private:
  static int Limit(std::int32_t V) { return V < 0 ? 0 : (V > MapSize ? MapSize : static_cast<int>(V)); }
};

static_assert(TMapBlock::SerializedSize == 125109);

// The tables both programs share. Counts start at 0 and never exceed the limits.
struct TWorldTables {
  TMapBlock Map;
  TUnitTable Units{};
  std::int32_t UnitCount = 0;
  TBuildingTable Buildings{};
  std::int32_t BuildingCount = 0;
  TUnitTypeTable UnitTypes{};
  std::int32_t UnitTypeCount = 0;
  TBuildingTypeTable BuildingTypes{};
  std::int32_t BuildingTypeCount = 0;
};

// Stores a type read from a file as the next entry of its table. A table that
// is full keeps its 30 types and the new one is dropped (false).
bool AddUnitType(TWorldTables& World, const TUnitType& Type);
bool AddBuildingType(TWorldTables& World, const TBuildingType& Type);

// Number of slots 1 to 150 whose Name is not empty.
int CountNamedSlots(const TUnitTable& Units);
int CountNamedSlots(const TBuildingTable& Buildings);
