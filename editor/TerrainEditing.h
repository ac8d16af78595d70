// Painting the terrain with the pointer, and the random and zeroed terrain of
// the "Teren" tab.
#pragma once

#include <cstdint>

#include "editor/EditorState.h"

namespace sandreth {

// The cell (row, column from 1) whose ground diamond, as DrawMap lays it out
// for the scroll and a W x H view, holds the view pixel (X, Y); false when the
// pixel is off the map. Elevations take no part.
bool HitTestCell(const TEditorState& State, int Rows, int Cols, int W, int H, int X, int Y, int& Row, int& Col);
// The pointer moved to (X, Y): when it is over a cell, the hover cell becomes
// that cell, painted first while Painting is set. Returns whether a cell was hit.
bool PointerMoved(TEditorState& State, int Rows, int Cols, int W, int H, int X, int Y, std::uint8_t Elevation);
// Plain, tree or water at random for each cell of the size: tree and water
// each with probability 1 / (Randomness + 2). Seeds the generator on first use.
void RandomizeTerrain(TEditorState& State, int Rows, int Cols, int Randomness);
// Every cell of the size becomes plain; elevations stay.
void ZeroTerrain(TEditorState& State, int Rows, int Cols);

}  // namespace sandreth
