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

// A stretch of open ground where a player moves units about: the points
// of the map whose distance in cells from the segment between the cell
// positions (Row1, Col1) and (Row2, Col2) is at most Radius (a round patch
// when both ends are the same). Fractional cells are allowed.
struct TOpenArea {
  double Row1, Col1, Row2, Col2, Radius;
  // Whether the world position (X, Y) lies inside, widened by Margin cells.
  bool Holds(double X, double Y, double Margin = 0) const;
};

struct TSampleMap {
  std::string FileName;  // bare name, ".map"
  TMapFile Map;
  // The camps, the fields around them and the ways between them: the game's
  // terrain test finds plain ground at every position in them.
  std::vector<TOpenArea> OpenAreas;
};
std::vector<TSampleMap> SampleMaps();

// The world position at which an object stands in the middle of cell
// (Row, Col): where the cell's diamond is drawn, 4 pixels left of and 11
// above the cell's corner point.
std::int32_t CellCentreX(int Row, int Col);
std::int32_t CellCentreY(int Row, int Col);
// A building's position when its footprint is centred on cell (Row, Col).
std::int32_t BuildingY(int Row, int Col);

// The fractional cell (Row, Col) whose centre is the world position (X, Y).
double CellRowAt(double X, double Y);
double CellColAt(double X, double Y);

// The flat terrain positions the game's terrain test may read for a unit at
// (X, Y) on its 792 × 478 surface, over every scroll position of the view:
// the test maps the position through its own sheared grid, two test rows and
// columns to a map row and column, so these are in general cells far from
// the one the unit is drawn on. Only positions inside the 250 × 250 table.
std::vector<std::size_t> TestedTerrain(const TMapBlock& Map, std::int32_t X, std::int32_t Y);
// Whether the test can hold a unit at (X, Y) back at some scroll position:
// one of the tested positions is not plain ground.
bool TerrainBlocks(const TMapBlock& Map, std::int32_t X, std::int32_t Y);
