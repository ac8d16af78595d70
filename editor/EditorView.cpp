#include "editor/EditorView.h"

#include <cstdint>
#include <string>
#include <vector>

#include "world/Arith.h"
#include "world/MapGeometry.h"
#include "world/ObjectNames.h"

namespace sandreth {

namespace {

// Pictures drawn further than this from the view are off it whatever their
// size; such positions are not handed to the image lists at all, so nothing
// downstream ever sees a coordinate near the 32-bit limits.
constexpr std::int64_t FarAway = std::int64_t{1} << 24;

bool OnScreenRange(std::int64_t X, std::int64_t Y, int& OutX, int& OutY) {
  if (X < -FarAway || X > FarAway || Y < -FarAway || Y > FarAway) return false;
  OutX = static_cast<int>(X);
  OutY = static_cast<int>(Y);
  return true;
}

constexpr int LastTerrainKind = 6;

}  // namespace

void DrawMap(const TEditorState& State, int Rows, int Cols, int W, int H, TEditorPictures& Pictures) {
  Rows = ClampMapSide(Rows);
  Cols = ClampMapSide(Cols);
  const std::int64_t baseX = std::int64_t{State.ScrollX} + W / 2;
  const std::int64_t baseY = std::int64_t{State.ScrollY} + H / 2;
  for (int i = 1; i <= Rows; ++i) {
    for (int j = 1; j <= Cols; ++j) {
      const int k = State.Map.TerrainAt(i, j);
      const int h = State.Map.HeightAt(i, j);
      // A kind without a picture (from a file) ends the terrain for this
      // frame, as a failed draw does; the objects are still drawn.
      if (k > LastTerrainKind) return;
      const std::int64_t x = baseX + CellPictureX(i, j);
      const std::int64_t y = baseY + CellPictureY(i, j);
      int dx = 0, dy = 0;
      if (OnScreenRange(x, y - 8 * h, dx, dy) && !Pictures.DrawItem(1, k, dx, dy)) return;
      if (k > 2 && OnScreenRange(x, y, dx, dy) && !Pictures.DrawItem(2, k - 1, dx, dy)) return;
    }
  }
}

void DrawFrame(TEditorState& State, int Rows, int Cols, int W, int H, TEditorPictures& Pictures,
               std::vector<std::string>* NewlyMissing) {
  State.OriginX = W / 2 - 18;
  State.OriginY = H / 2 - 32;
  DrawMap(State, Rows, Cols, W, H, Pictures);

  auto missing = [&](const TShortString& TypeName) {
    std::string name = TypeName.Text();
    if (State.MissingPictures.insert(name).second && NewlyMissing) NewlyMissing->push_back(name);
  };
  int x = 0, y = 0;
  for (int b = 1; b <= State.BuildingCount && b <= MaxBuildings; ++b) {
    const TBuilding& slot = State.Buildings[static_cast<size_t>(b)];
    for (int t = 1; t <= State.BuildingTypeCount && t <= MaxBuildingTypes; ++t) {
      const TBuildingType& type = State.BuildingTypes[static_cast<size_t>(t)];
      if (!(type.Name == slot.Name) || State.MissingPictures.count(type.Name.Text())) continue;
      if (!OnScreenRange(std::int64_t{State.ScrollX} + slot.X + State.OriginX - 30,
                         std::int64_t{State.ScrollY} + slot.Y + State.OriginY - 30, x, y))
        continue;
      if (!Pictures.DrawNamed(4, PictureName(type.Name), x, y)) missing(type.Name);
    }
  }
  for (int u = 1; u <= State.UnitCount && u <= MaxUnits; ++u) {
    const TUnit& slot = State.Units[static_cast<size_t>(u)];
    for (int t = 1; t <= State.UnitTypeCount && t <= MaxUnitTypes; ++t) {
      const TUnitType& type = State.UnitTypes[static_cast<size_t>(t)];
      if (!(type.Name == slot.Name) || State.MissingPictures.count(type.Name.Text())) continue;
      if (!OnScreenRange(std::int64_t{State.ScrollX} + slot.X + State.OriginX,
                         std::int64_t{State.ScrollY} + slot.Y + State.OriginY, x, y))
        continue;
      if (!Pictures.DrawNamed(3, PictureName(type.Name), x, y)) missing(type.Name);
    }
  }

  // The marker over the hovered cell at its elevation; before the mouse has
  // found a cell the indexes name none and the elevation reads 0.
  const std::int64_t mx = std::int64_t{State.ScrollX} + CellPictureX(State.HoverRow, State.HoverCol) + W / 2;
  const std::int64_t my = std::int64_t{State.ScrollY} + CellPictureY(State.HoverRow, State.HoverCol) + H / 2 -
                          8 * State.Map.HeightAt(State.HoverRow, State.HoverCol);
  if (OnScreenRange(mx, my, x, y)) Pictures.DrawItem(2, 0, x, y);

  if (State.HoverTerrain >= 0 && State.HoverTerrain <= LastTerrainKind)
    Pictures.DrawItem(1, State.HoverTerrain, 10, 10);
}

void ScrollView(TEditorState& State, std::int32_t Lag, bool Left, bool Right, bool Up, bool Down) {
  const std::int32_t d = Lag / 2;
  if (Left) State.ScrollX = WrapAdd(State.ScrollX, d);
  if (Right) State.ScrollX = WrapSub(State.ScrollX, d);
  if (Up) State.ScrollY = WrapAdd(State.ScrollY, d);
  if (Down) State.ScrollY = WrapSub(State.ScrollY, d);
}

}  // namespace sandreth
