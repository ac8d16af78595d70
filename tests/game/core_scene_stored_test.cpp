// The small sample map with the game's own pictures (the stored interface
// and terrain lists, the generated unit and building figures) drawn by every
// scene step, as one frame of the tick draws it, and saved as a picture
// (BRASK_STORED_SCENE_PNG names the file; else it goes to the test's
// temporary folder).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>

#include "assets/generator/Pictures.h"
#include "assets/generator/WorldData.h"
#include "assets/stored/StoredData.h"
#include "game/Combat.h"
#include "game/MouseCommands.h"
#include "game/Movement.h"
#include "game/Scene.h"
#include "tests/game/core_scene_rig.h"

using namespace korvel;

namespace {

std::unique_ptr<TBitmap> ToBitmap(const TPixelPicture& P) {
  auto b = std::make_unique<TBitmap>();
  b->SetPixelFormat(pf24bit);
  b->SetSize(P.Width, P.Height);
  for (int y = 0; y < P.Height; ++y)
    for (int x = 0; x < P.Width; ++x) {
      const std::uint8_t* c = P.At(x, y);
      b->Canvas()->Pixels[x][y] =
          P.Opaque(x, y) ? static_cast<TColor>(c[0] | (c[1] << 8) | (c[2] << 16)) : TSceneRig::Key;
    }
  return b;
}

void AddFigures(TDXImageList* List, const std::vector<TNamedPicture>& Pictures) {
  for (const TNamedPicture& p : Pictures) {
    auto bitmap = ToBitmap(p.Picture);
    TPictureCollectionItem* item = List->Items()->Add();
    item->SetName(PictureName(TShortString::From(p.Name)));
    item->SetPicture(bitmap.get());
    item->SetTransparentColor(TSceneRig::Key);
  }
}

int Differing(TSceneRig& Rig, int X1, int Y1, int X2, int Y2, TColor From) {
  int n = 0;
  for (int y = Y1; y < Y2; ++y)
    for (int x = X1; x < X2; ++x) n += Rig.At(x, y) != From;
  return n;
}

TEST(StoredScene, TheSmallSampleMapWithTheGamesPictures) {
  TSceneRig rig(false);
  ReadStoredComponent(rig.Lists[0], "Korvel.DXImageList1");
  ReadStoredComponent(rig.Lists[3], "Korvel.DXImageList4");
  ASSERT_EQ(rig.Lists[0]->Items()->Count(), 10);
  ASSERT_EQ(rig.Lists[3]->Items()->Count(), 7);
  AddFigures(rig.Lists[1], UnitPictures());
  AddFigures(rig.Lists[2], BuildingPictures());

  TGameState& s = rig.S;
  for (const TUnitTypeFile& t : UnitTypes()) AddUnitType(s, t.Type);
  for (const TBuildingTypeFile& t : BuildingTypes()) AddBuildingType(s, t.Type);
  const TMapFile map = SampleMaps().front().Map;
  s.Map = map.Map;
  s.Units = map.Units;
  s.Buildings = map.Buildings;
  s.UnitCount = CountNamedSlots(s.Units);
  s.BuildingCount = CountNamedSlots(s.Buildings);
  s.Player.Gold = map.Players[1].Gold;
  s.Player.Wood = map.Players[1].Wood;
  ASSERT_GT(s.UnitCount, 3);
  ASSERT_GT(s.BuildingCount, 0);

  // A builder raising the first building type where it stands, half done;
  // a few units and the first building selected.
  int builder = 0;
  for (int u = 1; u <= s.UnitCount && builder == 0; ++u)
    for (int t = 1; t <= s.UnitTypeCount; ++t)
      if (s.UnitTypes[t].Name == s.Units[u].Name && s.UnitTypes[t].Class == 3) builder = u;
  ASSERT_NE(builder, 0);
  TUnit& worker = s.Units[builder];
  // In the middle of the map's diamond, so that the ground fills the view.
  worker.X = worker.TargetX = 0;
  worker.Y = worker.TargetY = Snap3(8 * s.Map.MapRows);
  worker.BuildName = s.BuildingTypes[1].Name;
  worker.BuildProgress = s.BuildingTypes[1].BuildTime / 2;
  worker.Selected = 1;
  for (int u = 1; u <= s.UnitCount; u += 2) s.Units[u].Selected = 1;
  s.Buildings[1].Selected = 1;
  // The view centred on the builder.
  rig.Show();
  s.ScrollX = -worker.X;
  s.ScrollY = -worker.Y;
  s.MouseX = 560;
  s.MouseY = 330;
  s.CursorWorldX = s.MouseX - 396 - s.ScrollX;
  s.CursorWorldY = s.MouseY - 239 - s.ScrollY;
  s.MarkerTicks = 12;
  TScene scene = rig.Scene();
  scene.ShowBorder = true;

  auto frame = [&] {
    rig.Back()->Fill(0);
    ComputeSlowFlags(s);
    DrawMap(s, scene);
    s.MarkerTicks = 12;
    DrawClickMarker(s, scene);
    DrawObjects(s, scene);
    DrawConstruction(s, scene);
    DrawCursorAndIcons(s, scene);
    DrawNumbersAndFrames(s, scene);
    DrawSelectionLabels(s, scene);
    rig.Back()->Canvas()->Release();
  };
  // The upper part of the blended building, 37 pixels above the builder,
  // clear of its bars and labels, without and with the construction.
  const int top = 239 - BuildingHeight / 2 - 37, bottom = 239 - 50;
  const int left = 396 - BuildingWidth / 2, right = 396 + BuildingWidth / 2;
  const std::int32_t progress = worker.BuildProgress;
  worker.BuildProgress = 0;
  frame();
  std::vector<TColor> ground;
  for (int y = top; y < bottom; ++y)
    for (int x = left; x < right; ++x) ground.push_back(rig.At(x, y));
  worker.BuildProgress = progress;
  frame();
  int blended = 0;
  std::size_t k = 0;
  for (int y = top; y < bottom; ++y)
    for (int x = left; x < right; ++x) blended += rig.At(x, y) != ground[k++];
  EXPECT_GT(blended, 500);

  // The terrain covers the view; the builder's bars above its head.
  EXPECT_GT(Differing(rig, 0, 60, 792, 478, 0), 792 * 418 / 2);
  EXPECT_EQ(rig.At(396 - 10, 239 - 45), clLime);
  EXPECT_EQ(rig.At(396 - 11, 239 - 46), clBlack);

  rig.Draw->Flip();
  const char* path = std::getenv("BRASK_STORED_SCENE_PNG");
  const std::string file = path ? path : ::testing::TempDir() + "korvel_stored_scene.png";
  EXPECT_TRUE(rig.Driver->SaveScreenshot(rig.Form, file)) << file;
}

// In placement mode the game's own grid picture covers the three by three
// cells around the cell drawn under the pointer, wherever in that cell's
// ground diamond the pointer is and however the view is scrolled.
TEST(StoredScene, ThePlacementGridLiesAroundTheCellUnderThePointer) {
  TSceneRig rig(false);
  ReadStoredComponent(rig.Lists[0], "Korvel.DXImageList1");
  rig.Show();
  TGameState& s = rig.S;
  s.Map.MapRows = s.Map.MapCols = 30;
  s.CommandMode = cmPlace;
  const TScene scene = rig.Scene();
  // The bounds of the ground diamonds of the nine cells around (Row, Col).
  auto footprint = [&](int Row, int Col) {
    TRect r{1 << 30, 1 << 30, -(1 << 30), -(1 << 30)};
    for (int i = Row - 1; i <= Row + 1; ++i)
      for (int j = Col - 1; j <= Col + 1; ++j) {
        const TPoint c = CellPosition(s, scene.Width, scene.Height, i, j, false);
        for (int y = 0; y < CellHeight; ++y)
          for (int x = 0; x < CellWidth; ++x)
            if (InGroundDiamond(x, y)) {
              r.left = std::min(r.left, c.x + x);
              r.top = std::min(r.top, c.y + y);
              r.right = std::max(r.right, c.x + x + 1);
              r.bottom = std::max(r.bottom, c.y + y + 1);
            }
      }
    return r;
  };
  struct TScroll {
    std::int32_t X, Y;
  };
  int tried = 0;
  for (const TScroll scroll : {TScroll{0, -60}, TScroll{-203, 117}, TScroll{7, -5}}) {
    s.ScrollX = scroll.X;
    s.ScrollY = scroll.Y;
    for (const auto& [row, col] :
         {std::pair{5, 5}, std::pair{12, 9}, std::pair{9, 14}, std::pair{15, 15}, std::pair{3, 20}, std::pair{20, 3}}) {
      // Only cells whose footprint the view shows whole.
      const TRect whole = footprint(row, col);
      if (whole.left < 0 || whole.top < 60 || whole.right > scene.Width || whole.bottom > scene.Height) continue;
      const TPoint corner = CellPosition(s, scene.Width, scene.Height, row, col, false);
      // Pointer positions all over the cell's diamond, its corners included.
      for (int y = 0; y < CellHeight; y += 2)
        for (int x = 0; x < CellWidth; x += 3) {
          if (!InGroundDiamond(x, y)) continue;
          SCOPED_TRACE("cell " + std::to_string(row) + "," + std::to_string(col) + " +" + std::to_string(x) + "," +
                       std::to_string(y) + " scroll " + std::to_string(scroll.X) + "," + std::to_string(scroll.Y));
          const int px = corner.x + x, py = corner.y + y;
          ASSERT_TRUE(MouseMoveOver(s, px, py, scene.Width, scene.Height));
          // The cursor itself is drawn out of the way.
          s.MouseX = 0;
          s.MouseY = scene.Height - 1;
          rig.Clear();
          DrawCursorAndIcons(s, scene);
          const TRect expected = footprint(row, col);
          TRect drawn{1 << 30, 1 << 30, -(1 << 30), -(1 << 30)};
          for (int sy = expected.top - 8; sy < expected.bottom + 8; ++sy)
            for (int sx = expected.left - 16; sx < expected.right + 16; ++sx) {
              if (rig.At(sx, sy) == 0u) continue;
              drawn.left = std::min(drawn.left, sx);
              drawn.top = std::min(drawn.top, sy);
              drawn.right = std::max(drawn.right, sx + 1);
              drawn.bottom = std::max(drawn.bottom, sy + 1);
            }
          ASSERT_EQ(drawn.left, expected.left);
          ASSERT_EQ(drawn.top, expected.top);
          ASSERT_EQ(drawn.right, expected.right);
          ASSERT_EQ(drawn.bottom, expected.bottom);
          ++tried;
        }
    }
  }
  EXPECT_GT(tried, 500);
}

}  // namespace
