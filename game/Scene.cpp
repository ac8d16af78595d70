#include "game/Scene.h"

#include <algorithm>
#include <cstdlib>
#include <string>

#include "display/DXImageList.h"
#include "display/DirectDrawSurface.h"
#include "game/HitBoxes.h"
#include "game/Movement.h"
#include "game/TypeLookup.h"
#include "world/MapGeometry.h"
#include "world/ObjectNames.h"

namespace korvel {

namespace {

constexpr const char* SceneFont = "Comic Sans MS";

TPictureCollectionItem* Interface(const TScene& Scene, int Index) {
  return Scene.DXImageList1->Items()->GetItem(Index);
}

// Gives the canvas's device context back so that the surface takes copies.
void ReleaseCanvas(const TScene& Scene) {
  if (Scene.Surface) Scene.Surface->Canvas()->Release();
}

void SetFont(TCanvas* C, TColor Color) {
  C->Font()->SetColor(Color);
  C->Font()->SetName(SceneFont);
  C->Font()->SetStyle(TFontStyles{fsBold});
}

// A filled rectangle in one colour (pen and brush alike).
void Box(TCanvas* C, TColor Color, int X1, int Y1, int X2, int Y2) {
  C->Pen()->SetColor(Color);
  C->Brush()->SetColor(Color);
  C->Rectangle(X1, Y1, X2, Y2);
}

std::string Label(const TShortString& Name, std::int32_t Percent) {
  return Name.Text() + " " + std::to_string(Percent) + "%";
}

}  // namespace

std::int32_t ConstructionAlpha(std::int32_t Progress, std::int32_t BuildTime) {
  if (BuildTime <= 0) return 255;
  const std::int64_t a = static_cast<std::int64_t>(Progress) * 255 / BuildTime;
  return static_cast<std::int32_t>(std::clamp<std::int64_t>(a, 0, 255));
}

std::int32_t BarLength(std::int32_t Value, std::int32_t Maximum) {
  if (Maximum <= 0) return 0;
  const std::int64_t n = static_cast<std::int64_t>(Value) * 30 / Maximum;
  return static_cast<std::int32_t>(std::clamp<std::int64_t>(n, 0, 30));
}

std::int32_t ProgressPercent(std::int32_t Progress, std::int32_t Time) {
  if (Time <= 0) return 100;
  const std::int64_t p = static_cast<std::int64_t>(Progress) * 100 / Time;
  return static_cast<std::int32_t>(std::clamp<std::int64_t>(p, INT32_MIN, INT32_MAX));
}

TPoint CellPosition(const TGameState& S, std::int32_t Width, std::int32_t Height, int Row, int Col,
                    bool WithElevation) {
  const std::int32_t e = WithElevation ? S.Map.HeightAt(Row, Col) : 0;
  // Taken to 32 bits as the scene's positions wrap.
  return TPoint{static_cast<std::int32_t>(S.ScrollX + CellPictureX(Row, Col) + Width / 2),
                static_cast<std::int32_t>(S.ScrollY + CellPictureY(Row, Col) + Height / 2 - 8 * e)};
}

namespace {

// Floor division by a positive divisor.
std::int64_t FloorDiv(std::int64_t A, std::int64_t B) { return A >= 0 ? A / B : -((-A + B - 1) / B); }

// The columns of each row whose cells can show on the surface. A cell's
// picture lies at x = ScrollX + 16 (j - i) + W/2 + CellPictureLeft and y =
// ScrollY + 8 (i + j) + H/2 - 8 e + CellPictureTop (see CellPictureX and
// CellPictureY), so whether it can show depends on j - i (across)
// and i + j (down, with the elevation e between 0 and the map's highest):
// two ranges that cut each row to a run of columns. The ranges take the
// widest and tallest terrain picture; each cell in them is still tested with
// its own picture as before.
struct TVisibleCells {
  bool All = false;  // positions past what 32-bit arithmetic holds: every cell is tried
  std::int64_t ULo = 0, UHi = -1, VLo = 0, VHi = -1;
  // The columns of row I to visit, 1..Cols cut to the ranges.
  void Columns(int I, int Cols, int& From, int& To) const {
    if (All) {
      From = 1;
      To = Cols;
      return;
    }
    From = static_cast<int>(std::max<std::int64_t>({1, ULo + I, VLo - I}));
    To = static_cast<int>(std::min<std::int64_t>({Cols, UHi + I, VHi - I}));
  }
};

TVisibleCells VisibleCells(const TGameState& S, const TScene& Scene, int TileWidth, int TileHeight, int TopElevation) {
  TVisibleCells v;
  const std::int64_t limit = std::int64_t{1} << 28;
  if (std::llabs(S.ScrollX) > limit || std::llabs(S.ScrollY) > limit || std::llabs(Scene.Width) > limit ||
      std::llabs(Scene.Height) > limit || TileWidth > limit || TileHeight > limit) {
    v.All = true;
    return v;
  }
  const std::int64_t w = Scene.Width, h = Scene.Height;
  // x < W and x + TileWidth > 0
  v.UHi = FloorDiv(w - S.ScrollX - w / 2 - CellPictureLeft - 1, 16);
  v.ULo = FloorDiv(-std::int64_t{TileWidth} - S.ScrollX - w / 2 - CellPictureLeft, 16) + 1;
  // y < H at the highest elevation and y + TileHeight > 0 at none
  v.VHi = FloorDiv(h - S.ScrollY - h / 2 - CellPictureTop + 8 * std::int64_t{TopElevation} - 1, 8);
  v.VLo = FloorDiv(-std::int64_t{TileHeight} - S.ScrollY - h / 2 - CellPictureTop, 8) + 1;
  return v;
}

}  // namespace

void DrawMap(TGameState& S, const TScene& Scene) {
  if (!Scene.Surface || !Scene.DXImageList4) return;
  ReleaseCanvas(Scene);
  TPictureCollection* tiles = Scene.DXImageList4->Items();
  const int rows = S.Map.UsedRows(), cols = S.Map.UsedCols();
  if (rows == 0 || cols == 0) return;
  // A cell whose terrain has no picture ends the terrain for this tick: the
  // first such cell in drawing order (row by row) is where drawing stops.
  const int kinds = tiles->Count();
  int stopRow = rows + 1, stopCol = 1;
  int top = 0;
  for (int i = 1; i <= rows; ++i) {
    const std::uint8_t* terrain = &S.Map.Terrain[TMapBlock::CellIndex(i, 1)];
    const std::uint8_t* heights = &S.Map.Heights[TMapBlock::CellIndex(i, 1)];
    std::uint8_t rowTop = 0, rowKind = 0;
    for (int j = 0; j < cols; ++j) {
      rowTop = std::max(rowTop, heights[j]);
      rowKind = std::max(rowKind, terrain[j]);
    }
    top = std::max<int>(top, rowTop);
    if (rowKind >= kinds) {
      stopRow = i;
      stopCol = 1 + static_cast<int>(std::find_if(terrain, terrain + cols, [&](std::uint8_t t) { return t >= kinds; }) -
                                     terrain);
      break;
    }
  }
  int tileWidth = 0, tileHeight = 0;
  for (int k = 0; k < std::min(kinds, 256); ++k) {
    tileWidth = std::max(tileWidth, tiles->GetItem(k)->GetWidth());
    tileHeight = std::max(tileHeight, tiles->GetItem(k)->GetHeight());
  }
  const TVisibleCells visible = VisibleCells(S, Scene, tileWidth, tileHeight, top);
  try {
    for (int i = 1; i <= std::min(rows, stopRow); ++i) {
      int from, to;
      visible.Columns(i, cols, from, to);
      if (i == stopRow) to = std::min(to, stopCol - 1);
      for (int j = from; j <= to; ++j) {
        TPictureCollectionItem* tile = tiles->GetItem(S.Map.Terrain[TMapBlock::CellIndex(i, j)]);
        const TPoint p = CellPosition(S, Scene.Width, Scene.Height, i, j);
        // Cells wholly off the surface would be clipped away: skip the copy.
        if (p.x >= Scene.Width || p.y >= Scene.Height || p.x + tile->GetWidth() <= 0 || p.y + tile->GetHeight() <= 0)
          continue;
        tile->Draw(Scene.Surface, p.x, p.y, 0);
      }
    }
  } catch (...) {
    // A failing draw ends the terrain for this tick too.
  }
}

void DrawClickMarker(TGameState& S, const TScene& Scene) {
  if (S.MarkerTicks <= 0) return;
  int frame = -1;
  if (S.MarkerTicks >= 13 && S.MarkerTicks <= 15)
    frame = ilMarker1;
  else if (S.MarkerTicks >= 9 && S.MarkerTicks <= 12)
    frame = ilMarker2;
  else if (S.MarkerTicks >= 5 && S.MarkerTicks <= 8)
    frame = ilMarker3;
  if (frame >= 0 && Scene.Surface && Scene.DXImageList1) {
    ReleaseCanvas(Scene);
    Interface(Scene, frame)->Draw(Scene.Surface, S.MouseX - 16, S.MouseY - 8, 0);
  }
  --S.MarkerTicks;
}

void DrawObjects(const TGameState& S, const TScene& Scene) {
  if (!Scene.Surface || !Scene.DXImageList2 || !Scene.DXImageList3) return;
  ReleaseCanvas(Scene);
  TPictureCollection* buildings = Scene.DXImageList3->Items();
  TPictureCollection* units = Scene.DXImageList2->Items();
  for (int b = 1; b <= LiveBuildings(S); ++b) {
    const TBuilding& B = S.Buildings[b];
    ForEachBuildingType(S, B.Name, [&](const TBuildingType& T) {
      TPictureCollectionItem* item = buildings->Find(PictureName(T.Name));
      const TPoint p = WorldToScreen(S, B.X, B.Y);
      item->Draw(Scene.Surface, p.x - item->GetWidth() / 2, p.y - item->GetHeight() / 2 + 8, 0);
    });
  }
  for (int u = 1; u <= LiveUnits(S); ++u) {
    const TUnit& U = S.Units[u];
    ForEachUnitType(S, U.Name, [&](const TUnitType& T) {
      TPictureCollectionItem* item = units->Find(PictureName(T.Name));
      const TPoint p = WorldToScreen(S, U.X, U.Y);
      item->Draw(Scene.Surface, p.x - item->GetWidth() / 2, p.y - item->GetHeight() / 2 - 8, 0);
    });
  }
}

void DrawConstruction(const TGameState& S, const TScene& Scene) {
  if (S.CommandMode == cmPlace || !Scene.Surface || !Scene.DXImageList3) return;
  ReleaseCanvas(Scene);
  TPictureCollection* buildings = Scene.DXImageList3->Items();
  for (int u = 1; u <= LiveUnits(S); ++u) {
    const TUnit& U = S.Units[u];
    if (U.BuildProgress <= 0 || U.BuildName.Empty() || !OnSnappedTarget(U)) continue;
    ForEachBuildingType(S, U.BuildName, [&](const TBuildingType& T) {
      TPictureCollectionItem* item = buildings->Find(PictureName(T.Name));
      const TPoint p = WorldToScreen(S, U.X, U.Y);
      const int w = item->GetWidth(), h = item->GetHeight();
      // The finished building stands 45 pixels above its builder and is
      // drawn 8 pixels below its position: 37 pixels up.
      const RECT r{p.x - w / 2, p.y - h / 2 - 37, p.x + w / 2, p.y + h / 2 - 37};
      item->DrawAlpha(Scene.Surface, r, 0, ConstructionAlpha(U.BuildProgress, T.BuildTime));
    });
  }
}

std::int32_t ComputeCursorKind(const TGameState& S) {
  std::int32_t kind = ckHand;
  const std::int32_t cx = S.CursorWorldX, cy = S.CursorWorldY;
  for (int u = 1; u <= LiveUnits(S); ++u) {
    const TUnit& U = S.Units[u];
    if (InBox(U.X, U.Y, 12, 20, cx, cy)) kind = ckSelect;
  }
  for (int b = 1; b <= LiveBuildings(S); ++b) {
    const TBuilding& B = S.Buildings[b];
    if (InBox(B.X, B.Y, 60, 60, cx, cy)) kind = ckSelect;
  }
  if (S.Dragging) kind = ckSelect;
  if (S.CommandMode == cmSpell) kind = ckSpell;
  if (S.CommandMode == cmAttack) kind = ckAttack;
  return kind;
}

void DrawCursorAndIcons(TGameState& S, const TScene& Scene) {
  S.CursorKind = ComputeCursorKind(S);
  if (!Scene.Surface || !Scene.DXImageList1) return;
  ReleaseCanvas(Scene);
  Interface(Scene, ilGold)->Draw(Scene.Surface, Scene.Width - 280, 20, 0);
  Interface(Scene, ilWood)->Draw(Scene.Surface, Scene.Width - 200, 20, 0);
  Scene.Surface->Canvas()->Brush()->SetStyle(bsClear);
  Interface(Scene, ilCursor + S.CursorKind)->Draw(Scene.Surface, S.MouseX, S.MouseY, 0);
  if (S.CommandMode == cmPlace) {
    TPictureCollectionItem* grid = Interface(Scene, ilGrid);
    for (int dc = -1; dc <= 1; ++dc)
      for (int dr = -1; dr <= 1; ++dr) {
        const TPoint p = CellPosition(S, Scene.Width, Scene.Height, S.HoverRow + dr, S.HoverCol + dc, false);
        grid->Draw(Scene.Surface, p.x, p.y, 0);
      }
  }
}

void DrawNumbersAndFrames(const TGameState& S, const TScene& Scene) {
  if (!Scene.Surface) return;
  TCanvas* c = Scene.Surface->Canvas();
  SetFont(c, clYellow);
  c->TextOut(Scene.Width - 255, 20, std::to_string(S.Player.Gold));
  c->TextOut(Scene.Width - 175, 20, std::to_string(S.Player.Wood));
  c->Brush()->SetStyle(bsClear);
  if (Scene.ShowBorder) {
    // The map's diamond, 4 pixels left and 2 up of the cell corners.
    const std::int32_t hw = Scene.Width / 2 + S.ScrollX, hh = Scene.Height / 2 + S.ScrollY;
    const std::int32_t rows = S.Map.MapRows, cols = S.Map.MapCols;
    c->Pen()->SetStyle(psDot);
    c->Pen()->SetColor(clRed);
    c->MoveTo(hw - 4, hh - 2);
    c->LineTo(hw + 16 * cols - 4, hh + 8 * cols - 2);
    c->LineTo(hw + 16 * cols - 16 * rows - 4, hh + 8 * rows + 8 * cols - 4);
    c->LineTo(hw - 16 * rows - 1, hh + 8 * rows - 4);
    c->LineTo(hw - 4, hh - 2);
  }
  c->Pen()->SetStyle(psSolid);
  if (S.Dragging && S.CommandMode == cmNormal) {
    c->Pen()->SetColor(clLime);
    c->Rectangle(S.DragStartX, S.DragStartY, S.MouseX, S.MouseY);
  }
  c->Font()->SetName(SceneFont);
  c->Font()->SetStyle(TFontStyles{fsBold});
}

void DrawSelectionLabels(const TGameState& S, const TScene& Scene) {
  if (!Scene.Surface) return;
  TCanvas* c = Scene.Surface->Canvas();
  const std::int32_t hw = Scene.Width / 2, hh = Scene.Height / 2;
  for (int u = 1; u <= LiveUnits(S); ++u) {
    const TUnit& U = S.Units[u];
    if (U.Selected != 1) continue;
    const std::int32_t sx = hw + U.X + S.ScrollX, sy = hh + U.Y + S.ScrollY;
    SetFont(c, clYellow);
    c->TextOut(sx, sy, U.Name.Text());
    c->Font()->SetColor(clAqua);
    if (U.BuildProgress > 0)
      ForEachBuildingType(S, U.BuildName, [&](const TBuildingType& T) {
        c->TextOut(sx, sy + 15, Label(U.BuildName, ProgressPercent(U.BuildProgress, T.BuildTime)));
      });
    ForEachUnitType(S, U.Name, [&](const TUnitType& T) {
      if (T.MaxHP <= 0) return;
      Box(c, clBlack, sx - 11, sy - 46, sx + 21, sy - 40);
      Box(c, clGreen, sx - 10, sy - 45, sx + 20, sy - 41);
      Box(c, clLime, sx - 10, sy - 45, sx - 10 + BarLength(U.HP, T.MaxHP), sy - 41);
    });
    ForEachUnitType(S, U.Name, [&](const TUnitType& T) {
      if (T.MaxMana <= 0) return;
      Box(c, clBlack, sx - 11, sy - 41, sx + 21, sy - 35);
      Box(c, clBlue, sx - 10, sy - 40, sx + 20, sy - 36);
      Box(c, clAqua, sx - 10, sy - 40, sx - 10 + BarLength(U.Mana, T.MaxMana), sy - 36);
    });
    c->Brush()->SetStyle(bsClear);
  }
  for (int b = 1; b <= LiveBuildings(S); ++b) {
    const TBuilding& B = S.Buildings[b];
    if (B.Selected != 1) continue;
    const std::int32_t bx = hw + B.X + S.ScrollX, by = hh + B.Y + S.ScrollY;
    SetFont(c, clYellow);
    c->TextOut(bx + 30, by + 30, B.Name.Text());
    c->Font()->SetColor(clAqua);
    if (B.TrainProgress > 0)
      ForEachUnitType(S, B.TrainUnit, [&](const TUnitType& T) {
        c->TextOut(bx + 30, by + 45, Label(B.TrainUnit, ProgressPercent(B.TrainProgress, T.TrainTime)));
      });
    ForEachBuildingType(S, B.Name, [&](const TBuildingType& T) {
      if (T.MaxHP <= 0) return;
      Box(c, clBlack, bx + 29, by + 14, bx + 61, by + 20);
      Box(c, clGreen, bx + 30, by + 15, bx + 60, by + 19);
      Box(c, clLime, bx + 30, by + 15, bx + 30 + BarLength(B.HP, T.MaxHP), by + 19);
    });
    c->Brush()->SetStyle(bsClear);
  }
}

}  // namespace korvel
