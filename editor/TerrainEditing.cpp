#include "editor/TerrainEditing.h"

#include <cstdint>

#include "platform/rtl/Random.h"
#include "world/MapGeometry.h"

namespace sandreth {

bool HitTestCell(const TEditorState& State, int Rows, int Cols, int W, int H, int X, int Y, int& Row, int& Col) {
  // DrawMap lays the cells out as the game does, so the cell under the
  // pointer is the one whose ground diamond the shared geometry finds there.
  const TMapCell cell = GroundCellUnderPoint(X, Y, State.ScrollX, State.ScrollY, W, H);
  if (!OnMap(cell, ClampMapSide(Rows), ClampMapSide(Cols))) return false;
  Row = static_cast<int>(cell.Row);
  Col = static_cast<int>(cell.Col);
  return true;
}

bool PointerMoved(TEditorState& State, int Rows, int Cols, int W, int H, int X, int Y, std::uint8_t Elevation) {
  int i = 0, j = 0;
  if (!HitTestCell(State, Rows, Cols, W, H, X, Y, i, j)) return false;
  if (State.Painting) {
    State.Map.SetTerrainAt(i, j, State.PaintTerrain);
    State.Map.SetHeightAt(i, j, Elevation);
  }
  State.HoverRow = i;
  State.HoverCol = j;
  State.HoverTerrain = State.Map.TerrainAt(i, j);
  return true;
}

void RandomizeTerrain(TEditorState& State, int Rows, int Cols, int Randomness) {
  Rows = ClampMapSide(Rows);
  Cols = ClampMapSide(Cols);
  // One generator for the run, seeded once; seeding it again for every cell
  // from a fast clock would repeat the same number across whole rows.
  if (!State.RandomSeeded) {
    Randomize();
    State.RandomSeeded = true;
  }
  for (int i = 1; i <= Rows; ++i)
    for (int j = 1; j <= Cols; ++j) {
      const std::int32_t r = Random(Randomness + 2);
      State.Map.SetTerrainAt(i, j, r <= 2 ? static_cast<std::uint8_t>(r) : tkPlain);
    }
}

void ZeroTerrain(TEditorState& State, int Rows, int Cols) {
  Rows = ClampMapSide(Rows);
  Cols = ClampMapSide(Cols);
  for (int i = 1; i <= Rows; ++i)
    for (int j = 1; j <= Cols; ++j) State.Map.SetTerrainAt(i, j, tkPlain);
}

}  // namespace sandreth
