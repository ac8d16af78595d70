// Painting a landscape onto a map: forests, hills, rivers and lakes laid
// out by hand in cell coordinates and given ragged, natural edges by noise,
// then open ground (camps, fields and the ways between them) in world
// pixels, where every unit can walk. Finishing clears the open ground (hills
// step down to it a level a cell), tidies the ground so that no kind of
// ground is thinner than two cells anywhere (nothing dashed, striped or
// checkered), keeps neighbouring cells within one level of each other, and
// writes the terrain and elevations into the map.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "assets/generator/WorldData.h"
#include "world/World.h"

// Raised ground kinds as the terrain pictures show them.
constexpr std::uint8_t tkRock = 3, tkMeadow = 4, tkSand = 5, tkSnow = 6;

// A fractional cell position: row and column from 1.
struct TCellPoint {
  double Row = 0, Col = 0;
};

// How the raised ground of a hill is dressed by its level.
enum class THillStyle {
  Mountain,  // highland meadow at its foot, rock above, snow on the top
  Crags,     // rock, with patches of meadow on the lowest step
  Highland,  // meadow, rock from the third step up
  Dunes,     // sand
};

class TLandscape {
 public:
  TLandscape(int Rows, int Cols, std::uint32_t Seed);

  // A forest clump of about Radius cells with a ragged edge and the odd
  // glade inside. Rough is how far the edge wanders (in parts of Radius).
  void Forest(TCellPoint Centre, double Radius, double Rough = 0.45);
  // A hill rising to Peak levels in its middle, one level a ring.
  void Hill(TCellPoint Centre, double Radius, int Peak, THillStyle Style);
  // A ridge along Line (a polyline), HalfWidth cells to either side.
  void Ridge(const std::vector<TCellPoint>& Line, double HalfWidth, int Peak, THillStyle Style);
  // Woods and hills all over the map from noise of features about Scale
  // cells across: Cover (0 to 1) tells how much of the ground about a cell
  // they take; hills rise up to Peak levels, dressed in Style.
  using TCover = std::function<double(double Row, double Col)>;
  void Woods(double Scale, const TCover& Cover);
  void Hills(double Scale, const TCover& Cover, int Peak,
             const std::function<THillStyle(double Row, double Col)>& Style);
  // A river along a smooth curve through Course (the first and last points
  // may lie outside the map, so that it runs off the edge), its width
  // growing from Width0 to Width1 cells, winding to either side of the curve
  // by up to Meander cells, less so near the points of Pins (where it keeps
  // to the curve).
  void River(const std::vector<TCellPoint>& Course, double Width0, double Width1, double Meander = 0,
             const std::vector<TCellPoint>& Pins = {});
  // A lake of the given radii (in rows and columns) with a shore cleared of
  // trees and, where SandyShore, beaches of sand.
  void Lake(TCellPoint Centre, double RadiusRows, double RadiusCols, bool SandyShore);

  // Open ground in world pixels: every position within Radius of the point,
  // or of either straight walk between two points (a unit's walk goes
  // diagonally until one axis is done, then straight on, so the walks there
  // and back differ), lies on a cell of plain ground. The edge beyond that
  // bends out by up to Ragged pixels, but not across water: a ford is as
  // narrow as the way.
  void OpenDisc(TWorldPoint P, double Radius, double Ragged = 24);
  void OpenWay(TWorldPoint From, TWorldPoint To, double Radius, double Ragged = 40);
  // Open ground raised to Elevation, Radius cells about Centre.
  void Plateau(TCellPoint Centre, double Radius, int Elevation);

  // Clears the open ground, tidies thin ground away, smooths the levels and
  // writes terrain and elevations into Map (its size too).
  void Finish(TMapBlock& Map);

 private:
  struct TCell {
    std::uint8_t Kind = tkPlain;
    int Level = 0;  // drawn level: a raised cell stands one level above its elevation
    bool Open = false;
    int OpenElevation = 0;
    THillStyle Style = THillStyle::Mountain;
  };
  bool In(int Row, int Col) const { return Row >= 1 && Col >= 1 && Row <= FRows && Col <= FCols; }
  TCell& At(int Row, int Col) { return FCells[static_cast<std::size_t>((Row - 1) * FCols + (Col - 1))]; }
  const TCell& At(int Row, int Col) const { return FCells[static_cast<std::size_t>((Row - 1) * FCols + (Col - 1))]; }
  std::uint32_t NextSeed() { return FSeed += 7919u; }
  void RaiseTo(int Row, int Col, int Level, THillStyle Style);
  void OpenNear(double X, double Y, double Radius, double Ragged, std::uint32_t Seed);
  void ApplyOpenGround();
  bool Tidy(bool Final);
  void TidyLevels();
  void SmoothLevels();
  std::uint8_t DressedKind(int Row, int Col) const;

  int FRows, FCols;
  std::uint32_t FSeed;
  std::vector<TCell> FCells;
};
