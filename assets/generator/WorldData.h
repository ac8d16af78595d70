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

// A world position, in pixels from the map origin.
struct TWorldPoint {
  std::int32_t X = 0, Y = 0;
  friend bool operator==(const TWorldPoint&, const TWorldPoint&) = default;
};

// A place of a sample map that groups are sent to: a camp, whose group sets
// out from it, or a staged fight, whose fighters are at it already.
struct TSamplePlace {
  std::string Name;  // UTF-8, for people reading test output
  bool Fight = false;
  // Where a group sent here is ordered to (a multiple of 3 on both axes):
  // open ground next to the camp or the fight, clear of its units and more
  // than 40 pixels from every building.
  TWorldPoint Rally;
  // Camps: the unit slots of the group that stands ready to set out.
  // Fights: the slots of the fighters, each with an attack target; the
  // fighter nearest to the rally point can be walked to from it.
  std::vector<int> Units;
};

// How a group of one camp gets to another place: straight orders to each
// point of Via, then to the place's rally point.
struct TSampleRoute {
  int From = 0, To = 0;  // indices into Places
  std::vector<TWorldPoint> Via;
};

struct TSampleMap {
  std::string FileName;  // bare name, ".map"
  TMapFile Map;
  std::vector<TSamplePlace> Places;
  // From every camp to every other place.
  std::vector<TSampleRoute> Routes;
};
std::vector<TSampleMap> SampleMaps();

// The world position at which an object stands in the middle of cell
// (Row, Col): the middle of the cell's drawn ground diamond.
std::int32_t CellCentreX(int Row, int Col);
std::int32_t CellCentreY(int Row, int Col);
// A building's position when its footprint is centred on cell (Row, Col).
std::int32_t BuildingY(int Row, int Col);

// The fractional cell (Row, Col) whose centre is the world position (X, Y).
double CellRowAt(double X, double Y);
double CellColAt(double X, double Y);

// Whether a unit at (X, Y) stands on ground that holds it back: the cell
// whose drawn ground diamond holds the position is not plain ground (outside
// the map reads plain).
bool BlockingAt(const TMapBlock& Map, std::int32_t X, std::int32_t Y);
