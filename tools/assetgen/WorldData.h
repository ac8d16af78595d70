// The game's data: its unit and building types and the sample maps.
#pragma once

#include <string>
#include <vector>

#include "world/MapFile.h"
#include "world/Records.h"

struct TUnitTypeFile {
  std::string FileName;  // bare name, ".unt"
  TUnitType Type;
  bool InEditor;  // the editor has a stored picture for it
};
struct TBuildingTypeFile {
  std::string FileName;
  TBuildingType Type;
};

std::vector<TUnitTypeFile> UnitTypes();
std::vector<TBuildingTypeFile> BuildingTypes();

struct TSampleMap {
  std::string FileName;  // bare name, ".map"
  TMapFile Map;
};
std::vector<TSampleMap> SampleMaps();

// The world position at which an object stands in the middle of cell
// (Row, Col): where the cell's diamond is drawn, 4 pixels left of and 11
// above the cell's corner point.
std::int32_t CellCentreX(int Row, int Col);
std::int32_t CellCentreY(int Row, int Col);
// A building's position when its footprint is centred on cell (Row, Col).
std::int32_t BuildingY(int Row, int Col);

// Whether the game's terrain test holds a unit at (X, Y) back, with the view
// at scroll (0, 0) on its 792 × 478 surface.
bool TerrainBlocks(const TMapBlock& Map, std::int32_t X, std::int32_t Y);
