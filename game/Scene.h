// Drawing the game's scene onto the back surface of the drawing control, one
// function per drawing step of the tick, called in this order between the
// clear and the flip:
//   DrawMap              terrain                       (after scrolling)
//   DrawClickMarker      click marker, lowers MarkerTicks
//   (movement and combat)
//   DrawObjects          buildings, then units
//   DrawConstruction     buildings under construction, blended by progress
//   (follow mode, cursor world position)
//   DrawCursorAndIcons   cursor kind, resource icons, cursor, placement grid
//   DrawNumbersAndFrames resource numbers, map border, rubber band
//   DrawSelectionLabels  names, progress and bars of selected objects
// then the tick releases the surface's canvas and flips.
//
// Pictures go through the four image lists, text and shapes through the
// surface's canvas. The picture steps release the canvas first: a surface
// whose canvas holds its device context counts as busy and takes no copies
// or blends. The pointer is MouseX, MouseY of the state, in the drawing
// control's coordinates; Width and Height are the drawing control's.
// Without a surface (a frame that cannot be drawn) or without its image
// list a step draws nothing, but the marker still counts down and the
// cursor kind is still worked out.
#pragma once

#include <cstdint>

#include "game/GameState.h"
#include "platform/toolkit/Graphics.h"

class TDirectDrawSurface;
class TDXImageList;

namespace korvel {

struct TScene {
  TDirectDrawSurface* Surface = nullptr;  // the drawing control's back surface
  TDXImageList* DXImageList1 = nullptr;   // "c1" "c2" "c3" "gold" "wood" "grid" "hand" "select" "spell" "attack"
  TDXImageList* DXImageList2 = nullptr;   // unit pictures by lower-cased type name
  TDXImageList* DXImageList3 = nullptr;   // building pictures by lower-cased type name
  TDXImageList* DXImageList4 = nullptr;   // "tile" "tree" "water" "up1" ... "up4" by terrain kind
  std::int32_t Width = 0, Height = 0;     // the drawing control's size
  bool ShowBorder = false;                // the "Granica" check box
};

// Items of the interface list.
constexpr int ilMarker1 = 0, ilMarker2 = 1, ilMarker3 = 2, ilGold = 3, ilWood = 4, ilGrid = 5, ilCursor = 6;

// The top-left corner of the picture of cell (Row, Col), raised by its
// elevation or not.
TPoint CellPosition(const TGameState& S, std::int32_t Width, std::int32_t Height, int Row, int Col,
                    bool WithElevation = true);
// A world position on the surface.
inline TPoint WorldToScreen(const TGameState& S, std::int32_t X, std::int32_t Y) {
  return TPoint{S.ScrollX + X + S.HalfWidth, S.ScrollY + Y + S.HalfHeight};
}

// The terrain, row by row. A failure (a terrain kind without a picture)
// silently ends the terrain drawing of this tick at that cell. Only the
// cells that can show on the surface are visited, so a large map costs what
// a screenful of cells costs.
void DrawMap(TGameState& S, const TScene& Scene);
// The click marker's frame for MarkerTicks at the pointer; MarkerTicks then
// drops by one while above 0.
void DrawClickMarker(TGameState& S, const TScene& Scene);
// Every building, then every unit, through its type's picture. A type
// without a picture raises the image list's "Image '%s' not found".
void DrawObjects(const TGameState& S, const TScene& Scene);
// The building each builder at work on its site is raising, blended in by
// its progress where the finished building will stand.
void DrawConstruction(const TGameState& S, const TScene& Scene);
// The cursor kind of this tick (written to CursorKind) from the cursor's
// world position, dragging and the mode.
std::int32_t ComputeCursorKind(const TGameState& S);
void DrawCursorAndIcons(TGameState& S, const TScene& Scene);
void DrawNumbersAndFrames(const TGameState& S, const TScene& Scene);
void DrawSelectionLabels(const TGameState& S, const TScene& Scene);

// The alpha of a building under construction and the length of a bar (of
// 30 pixels), computed without overflow and kept in range; a maximum of 0
// or less gives a full blend and an empty bar.
std::int32_t ConstructionAlpha(std::int32_t Progress, std::int32_t BuildTime);
std::int32_t BarLength(std::int32_t Value, std::int32_t Maximum);
// The percentage a progress label shows; a time of 0 or less shows 100.
std::int32_t ProgressPercent(std::int32_t Progress, std::int32_t Time);

}  // namespace korvel
