// Where both programs lay their map cells out, and which cell a point falls
// in.
//
// The picture of cell (Row, Col) is drawn with its top-left corner at
// 16 (Col - Row) - 20 across and 8 (Row + Col) - 40 down from the map origin
// (on the surface the scroll position and half the surface's size are added,
// and each elevation step lifts it by 8). The cell's ground diamond, 32
// pixels across and 16 down, is centred 16 right of and 29 below that
// corner: at (16 (Col - Row) - 4, 8 (Row + Col) - 11). Neighbouring diamonds
// meet without gap or overlap and no pixel's centre lies on an edge between
// two of them, so every pixel belongs to exactly one cell of the unbounded
// grid; the map is the part of that grid from (1, 1) to (rows, columns).
//
// The game's terrain test of movement, the hovered cell of both programs and
// the generator's check of its sample maps all ask for the cell whose ground
// diamond holds a pixel, elevation left aside, so units are held back exactly
// where blocking ground is drawn and the pointer picks the cell drawn under
// it.
#pragma once

#include <cstdint>

#include "world/World.h"

// The top-left corner of a cell picture, relative to 16 (Col - Row) across
// and 8 (Row + Col) down.
constexpr int CellPictureLeft = -20;
constexpr int CellPictureTop = -40;
// The centre of the ground diamond inside a cell picture, and its half sizes.
constexpr int GroundDiamondX = 16;
constexpr int GroundDiamondY = 29;
constexpr int GroundDiamondHalfWidth = 16;
constexpr int GroundDiamondHalfHeight = 8;
static_assert(GroundDiamondHalfWidth == 16 && GroundDiamondHalfHeight == 8,
              "the diamonds must tile the grid of 16 across and 8 down per cell step");

// The top-left corner of cell (Row, Col)'s picture from the map origin,
// elevation left aside.
constexpr std::int64_t CellPictureX(std::int64_t Row, std::int64_t Col) { return 16 * (Col - Row) + CellPictureLeft; }
constexpr std::int64_t CellPictureY(std::int64_t Row, std::int64_t Col) { return 8 * (Row + Col) + CellPictureTop; }
// The centre of cell (Row, Col)'s ground diamond from the map origin.
constexpr std::int64_t GroundCentreX(std::int64_t Row, std::int64_t Col) {
  return CellPictureX(Row, Col) + GroundDiamondX;
}
constexpr std::int64_t GroundCentreY(std::int64_t Row, std::int64_t Col) {
  return CellPictureY(Row, Col) + GroundDiamondY;
}

// A cell of the unbounded grid; on the map when both lie in 1 to its size.
struct TMapCell {
  std::int64_t Row = 0;
  std::int64_t Col = 0;
};

// The cell whose ground diamond holds the pixel at (X, Y) in world pixels.
inline TMapCell GroundCellAt(std::int64_t X, std::int64_t Y) {
  // Measured from the top corner of cell (1, 1)'s diamond, a pixel's centre
  // (x + 1/2, y + 1/2) lies (2y + x + 3/2) / 32 columns and (2y - x + 1/2) / 32
  // rows along the grid; doubled, both are whole numbers over 64.
  constexpr std::int64_t topX = GroundCentreX(1, 1);                            // -4
  constexpr std::int64_t topY = GroundCentreY(1, 1) - GroundDiamondHalfHeight;  // -3
  const std::int64_t x = X - topX, y = Y - topY;
  auto floorDiv64 = [](std::int64_t A) { return A >= 0 ? A / 64 : -((-A + 63) / 64); };
  return TMapCell{floorDiv64(4 * y - 2 * x + 1) + 1, floorDiv64(4 * y + 2 * x + 3) + 1};
}

// Whether a cell lies on a map of Rows x Cols cells.
inline bool OnMap(const TMapCell& Cell, std::int64_t Rows, std::int64_t Cols) {
  return Cell.Row >= 1 && Cell.Col >= 1 && Cell.Row <= Rows && Cell.Col <= Cols;
}

// The terrain kind under the world pixel (X, Y): that of the cell whose
// ground diamond holds it; plain ground off the map.
inline std::uint8_t TerrainUnder(const TMapBlock& Map, std::int64_t X, std::int64_t Y) {
  const TMapCell cell = GroundCellAt(X, Y);
  if (!OnMap(cell, Map.UsedRows(), Map.UsedCols())) return tkPlain;
  return Map.TerrainAt(static_cast<int>(cell.Row), static_cast<int>(cell.Col));
}

// The cell drawn under a point of the drawing control (elevation left
// aside), with the view at the scroll position and the control of the given
// size, as the scene draws it.
inline TMapCell GroundCellUnderPoint(std::int64_t PX, std::int64_t PY, std::int32_t ScrollX, std::int32_t ScrollY,
                                     std::int32_t Width, std::int32_t Height) {
  return GroundCellAt(PX - ScrollX - Width / 2, PY - ScrollY - Height / 2);
}
