// The pictures both programs hold: terrain, the editor's markers and sides,
// the unit and building figures, the game's cursors, icons and click marker,
// and the glyphs of the tool and command buttons.
#pragma once

#include <string>
#include <vector>

#include "assets/generator/Raster.h"
#include "world/MapGeometry.h"

// Terrain cells are 34 × 50 pictures. A cell's ground diamond is centred at
// (16, 29) of its picture, 32 wide and 16 high (world/MapGeometry.h), so that
// a picture placed one column on (16 right, 8 down) or one row on (16 left,
// 8 down) meets it without gap or overlap; the pointer hits the cell whose
// diamond it is over.
constexpr int CellWidth = 34;
constexpr int CellHeight = 50;
constexpr double DiamondCX = GroundDiamondX;
constexpr double DiamondCY = GroundDiamondY;
// Whether a pixel of a cell picture belongs to its ground diamond.
bool InGroundDiamond(int X, int Y);

constexpr int UnitWidth = 38;
constexpr int UnitHeight = 50;
// A figure's feet stand on this row of its picture: the game draws a unit's
// picture centred on its position and 8 pixels up.
constexpr int UnitFeetY = 33;
constexpr int BuildingWidth = 98;
constexpr int BuildingHeight = 110;
// Centre of the 3 × 3 footprint diamond in a building's picture.
constexpr double FootprintCX = 49;
constexpr double FootprintCY = 85;

struct TNamedPicture {
  std::string Name;  // windows-1250
  TPixelPicture Picture;
};

// "tile", "tree", "water", "up1" .. "up4".
std::vector<TNamedPicture> TerrainPictures();
// The editor's second list: "grid", "hand", "up1" .. "up4" (the ground-level
// sides of raised cells).
std::vector<TNamedPicture> EditorMarkerPictures();
// The unit figures by type name ("Piechur", "Rycerz", "Łucznik", "Mag",
// "Mnich", "Chłop", "Zwiadowca"), in that order.
std::vector<TNamedPicture> UnitPictures();
// "Zamek", "Wieża".
std::vector<TNamedPicture> BuildingPictures();
// The game's first list: "c1", "c2", "c3", "gold", "wood", "grid", "hand",
// "select", "spell", "attack".
std::vector<TNamedPicture> GameInterfacePictures();

// Button glyphs by control name, for the editor and the game.
std::vector<TNamedPicture> EditorGlyphs();
std::vector<TNamedPicture> GameGlyphs();
