// What the editor's view shows: the terrain, the placed objects, the hover
// marker and the preview of the painting tool, drawn through the image lists,
// and the scroll that moves it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "editor/EditorState.h"

namespace sandreth {

// The pictures the view draws, by image list (1 to 4 as the main window
// numbers them) and by item index or name. The main window draws through its
// image lists; tests record the calls.
class TEditorPictures {
 public:
  virtual ~TEditorPictures() = default;
  // Item Index of list List at (X, Y); false (nothing drawn) when the list has
  // no such item.
  virtual bool DrawItem(int List, int Index, int X, int Y) = 0;
  // Pattern 0 of the item named Name; false when the list has no such item.
  virtual bool DrawNamed(int List, const std::string& Name, int X, int Y) = 0;
};

// The terrain of Rows x Columns cells, rows outer: each cell's picture at its
// elevation, and for raised kinds the ground-level side under it. Kinds
// outside 0 to 6 draw nothing. W and H are the view's size.
void DrawMap(const TEditorState& State, int Rows, int Cols, int W, int H, TEditorPictures& Pictures);
// Everything a frame draws after clearing: OriginX/OriginY, the terrain, the
// buildings, the units, the hover marker and the preview of the hovered kind.
// An object whose type has no picture is skipped; its type name is returned
// in NewlyMissing the first time.
void DrawFrame(TEditorState& State, int Rows, int Cols, int W, int H, TEditorPictures& Pictures,
               std::vector<std::string>* NewlyMissing = nullptr);
// Scrolls by Lag div 2 for each direction held.
void ScrollView(TEditorState& State, std::int32_t Lag, bool Left, bool Right, bool Up, bool Down);

}  // namespace sandreth
