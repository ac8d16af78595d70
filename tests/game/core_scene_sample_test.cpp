// A sample map drawn by every scene step into the drawing control's back
// surface, checked where the steps put things and saved as a picture
// (BRASK_SCENE_PNG names the file; else it goes to the test's temporary
// folder).
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <string>

#include "game/Combat.h"
#include "game/Movement.h"
#include "game/Scene.h"
#include "tests/game/core_scene_rig.h"

using namespace korvel;

namespace {

// Pictures with shapes on the transparent colour.
std::unique_ptr<TBitmap> Blank(int W, int H) {
  auto b = std::make_unique<TBitmap>();
  b->SetPixelFormat(pf24bit);
  b->SetSize(W, H);
  b->Canvas()->Brush()->SetColor(TSceneRig::Key);
  b->Canvas()->FillRect(TRect{0, 0, W, H});
  return b;
}

// A cell: a 32 x 16 diamond whose top corner lies 22 pixels down the
// picture (so that the map's origin falls on the top corner of cell (1, 1)),
// with Side pixels of darker wall below it for raised ground, and a few dots
// of texture.
std::unique_ptr<TBitmap> Diamond(TColor Top, TColor Wall, int Side, TColor Dots) {
  constexpr int Above = 22;
  auto b = Blank(32, Above + 16 + Side);
  TCanvas* c = b->Canvas();
  for (int y = 0; y < 16 + Side; ++y) {
    if (y >= 8 && Side > 0) {
      // The wall: the lower half of the diamond pushed down by Side.
      const int k = y - Side;
      const int half = k < 8 ? 16 : 2 * (15 - k) + 2;
      if (half > 0) {
        c->Brush()->SetColor(Wall);
        c->FillRect(TRect{16 - half, Above + y, 16 + half, Above + y + 1});
      }
    }
    if (y < 16) {
      const int half = y < 8 ? 2 * y + 2 : 2 * (15 - y) + 2;
      c->Brush()->SetColor(Top);
      c->FillRect(TRect{16 - half, Above + y, 16 + half, Above + y + 1});
    }
  }
  if (Dots != Top)
    for (int k = 0; k < 6; ++k) c->Pixels[8 + (k * 7) % 16][Above + 4 + (k * 5) % 8] = Dots;
  return b;
}

std::unique_ptr<TBitmap> Figure(TColor Body, TColor Head) {
  auto b = Blank(16, 24);
  TCanvas* c = b->Canvas();
  c->Pen()->SetColor(clBlack);
  c->Brush()->SetColor(Body);
  c->Rectangle(4, 9, 12, 22);
  c->Brush()->SetColor(Head);
  c->Ellipse(4, 1, 12, 9);
  return b;
}

std::unique_ptr<TBitmap> House(TColor Wall, TColor Roof) {
  auto b = Blank(48, 40);
  TCanvas* c = b->Canvas();
  c->Pen()->SetColor(clBlack);
  c->Brush()->SetColor(Wall);
  c->Rectangle(6, 18, 42, 38);
  c->Brush()->SetColor(Roof);
  for (int y = 2; y < 18; ++y) c->FillRect(TRect{24 - (y + 3), y, 24 + (y + 3), y + 1});
  c->Brush()->SetColor(0x203040);
  c->Rectangle(20, 26, 28, 38);
  return b;
}

void Replace(TDXImageList* List, const std::string& Name, TBitmap* Picture) {
  TPictureCollectionItem* item = List->Items()->Find(Name);
  item->SetPicture(Picture);
  item->SetTransparentColor(TSceneRig::Key);
}

void AddShaped(TDXImageList* List, const std::string& Name, TBitmap* Picture) {
  TPictureCollectionItem* item = List->Items()->Add();
  item->SetName(Name);
  item->SetPicture(Picture);
  item->SetTransparentColor(TSceneRig::Key);
}

TEST(SampleScene, ShowsTerrainObjectsABlendedBuildingLabelsAndBars) {
  TSceneRig rig;
  TGameState& s = rig.S;
  // Terrain pictures: plain, trees, water, four raised grounds.
  auto tile = Diamond(0x30A040, 0, 0, 0x40B858);
  auto tree = Diamond(0x206028, 0, 0, 0x104010);
  auto water = Diamond(0xC07030, 0, 0, 0xE09050);
  Replace(rig.Lists[3], "tile", tile.get());
  Replace(rig.Lists[3], "tree", tree.get());
  Replace(rig.Lists[3], "water", water.get());
  std::unique_ptr<TBitmap> ups[4];
  for (int k = 0; k < 4; ++k) {
    ups[k] = Diamond(static_cast<TColor>(0x4090B0 + 0x080808 * k), 0x30607A, 8, 0x60A8C8);
    Replace(rig.Lists[3], "up" + std::to_string(k + 1), ups[k].get());
  }
  auto warrior = Figure(0x2020C0, 0x80C0F0);
  auto builder = Figure(0x208080, 0x80C0F0);
  auto barracks = House(0x4070A0, 0x2030A0);
  AddShaped(rig.Lists[1], "wojownik", warrior.get());
  AddShaped(rig.Lists[1], "robotnik", builder.get());
  AddShaped(rig.Lists[2], "koszary", barracks.get());

  TUnitType& w = s.UnitTypes[++s.UnitTypeCount];
  w.Name.Assign("Wojownik");
  w.MaxHP = 100;
  w.Range = 20;
  w.AttackInterval = 25;
  w.TrainTime = 30;
  TUnitType& r = s.UnitTypes[++s.UnitTypeCount];
  r.Name.Assign("Robotnik");
  r.MaxHP = 60;
  r.MaxMana = 40;
  r.Class = 3;
  TBuildingType& k = s.BuildingTypes[++s.BuildingTypeCount];
  k.Name.Assign("Koszary");
  k.MaxHP = 400;
  k.BuildTime = 100;

  // A 16 x 16 map: a lake, a wood and a raised hill.
  s.Map.MapRows = s.Map.MapCols = 16;
  for (int i = 1; i <= 16; ++i)
    for (int j = 1; j <= 16; ++j) {
      std::uint8_t kind = tkPlain, e = 0;
      if ((i - 4) * (i - 4) + (j - 12) * (j - 12) < 6) kind = tkWater;
      if (i >= 10 && j <= 4) kind = tkTree;
      if (std::abs(i - 12) + std::abs(j - 11) < 3) {
        kind = static_cast<std::uint8_t>(3 + (i + j) % 4);
        e = static_cast<std::uint8_t>(3 - std::abs(i - 12) - std::abs(j - 11) + 1);
      }
      s.Map.SetTerrainAt(i, j, kind);
      s.Map.SetHeightAt(i, j, e);
    }
  auto unit = [&](const char* Name, std::int32_t X, std::int32_t Y, std::int32_t HP, std::uint8_t Selected) -> TUnit& {
    TUnit& u = s.Units[++s.UnitCount];
    u.Name.Assign(Name);
    u.X = u.TargetX = X;
    u.Y = u.TargetY = Y;
    u.HP = HP;
    u.Number = s.UnitCount;
    u.Selected = Selected;
    return u;
  };
  unit("Wojownik", -30, 120, 100, 1);
  unit("Wojownik", 0, 135, 50, 1);
  unit("Wojownik", 60, 90, 80, 0);
  TUnit& worker = unit("Robotnik", 90, 180, 45, 1);
  worker.Mana = 10;
  worker.BuildName.Assign("Koszary");
  worker.BuildProgress = 50;  // half built: blended at 127
  TBuilding& b = s.Buildings[++s.BuildingCount];
  b.Name.Assign("Koszary");
  b.X = -90;
  b.Y = 180;
  b.HP = 300;
  b.Selected = 1;
  b.TrainUnit.Assign("Wojownik");
  b.TrainProgress = 3;
  s.Player.Gold = 1500;
  s.Player.Wood = 740;
  rig.Show();
  s.ScrollY = -100;
  s.MarkerTicks = 10;
  s.MouseX = 520;
  s.MouseY = 200;
  s.Dragging = 1;
  s.DragStartX = 440;
  s.DragStartY = 150;
  TScene scene = rig.Scene();
  scene.ShowBorder = true;

  // One frame, in the order of the tick.
  rig.Back()->Fill(0);
  ComputeSlowFlags(s);
  DrawMap(s, scene);
  DrawClickMarker(s, scene);
  MoveUnits(s);
  RunCombat(s, nullptr);
  DrawObjects(s, scene);
  DrawConstruction(s, scene);
  DrawCursorAndIcons(s, scene);
  DrawNumbersAndFrames(s, scene);
  DrawSelectionLabels(s, scene);
  rig.Back()->Canvas()->Release();

  // Terrain: cell (1, 1) at (376, 115) after the scroll, its diamond 22
  // pixels down; the water's middle.
  EXPECT_EQ(rig.At(376 + 16, 115 + 22 + 8), 0x30A040u);
  const TPoint lake = CellPosition(s, 792, 478, 4, 12);
  EXPECT_EQ(rig.At(lake.x + 16, lake.y + 22 + 8), 0xC07030u);
  // The building and a unit where their positions put them.
  EXPECT_EQ(rig.At(396 - 90 - 10, 139 + 180 + 8 + 10), 0x4070A0u);
  EXPECT_EQ(rig.At(396 - 30, 139 + 120 - 8 + 5), 0x2020C0u);
  // The building under construction, 37 pixels above its builder, half
  // blended into the ground.
  const TColor blended = rig.At(396 + 90, 139 + 180 - 37 + 10);
  EXPECT_NE(blended, 0x4070A0u);
  EXPECT_NE(blended, 0x30A040u);
  // Bars: the first warrior at full hit points, the second at half.
  EXPECT_EQ(rig.At(396 - 30 - 10 + 29, 139 + 120 - 45), clLime);
  EXPECT_EQ(rig.At(396 - 10 + 15, 139 + 135 - 45), clGreen);
  EXPECT_EQ(rig.At(396 - 10 + 14, 139 + 135 - 45), clLime);
  // The builder's mana bar, the building's bar.
  EXPECT_EQ(rig.At(396 + 90 - 10 + 6, 139 + 180 - 40), clAqua);
  EXPECT_EQ(rig.At(396 - 90 + 30 + 21, 139 + 180 + 15), clLime);
  EXPECT_EQ(rig.At(396 - 90 + 30 + 23, 139 + 180 + 15), clGreen);
  // Labels in yellow next to the first warrior.
  int yellow = 0;
  for (int y = 259; y < 280; ++y)
    for (int x = 366; x < 420; ++x) yellow += rig.At(x, y) == clYellow;
  EXPECT_GT(yellow, 10);

  rig.Draw->Flip();
  const char* path = std::getenv("BRASK_SCENE_PNG");
  const std::string file = path ? path : ::testing::TempDir() + "korvel_sample_scene.png";
  EXPECT_TRUE(rig.Driver->SaveScreenshot(rig.Form, file)) << file;
}

}  // namespace
