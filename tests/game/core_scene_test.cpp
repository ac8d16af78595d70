#include "game/Scene.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

#include "tests/game/core_scene_rig.h"

using namespace korvel;

namespace {

class Scene : public ::testing::Test {
 protected:
  void SetUp() override { Rig = std::make_unique<TSceneRig>(); }
  void TearDown() override { Rig.reset(); }
  TGameState& S() { return Rig->S; }
  TColor At(int X, int Y) { return Rig->At(X, Y); }
  // The top-left corner of a solid picture of colour C whose left edge and
  // top edge cross (X, Y): the pixel is C and the ones left and above not.
  bool CornerAt(int X, int Y, TColor C) { return At(X, Y) == C && At(X - 1, Y) != C && At(X, Y - 1) != C; }

  std::unique_ptr<TSceneRig> Rig;
};

constexpr TColor Tile = 0x208020, Tree = 0x105010, Water = 0xC06020;

TEST_F(Scene, CellOneOneLiesAt376By215AndRisesEightPixelsAStep) {
  Rig->Show();
  S().Map.MapRows = S().Map.MapCols = 1;
  for (int e : {0, 1, 9}) {
    S().Map.Heights[0] = static_cast<std::uint8_t>(e);
    Rig->Clear();
    DrawMap(S(), Rig->Scene());
    EXPECT_TRUE(CornerAt(376, 215 - 8 * e, Tile)) << e;
    EXPECT_EQ(At(376 + 39, 215 - 8 * e + 23), Tile) << e;
    EXPECT_NE(At(376 + 40, 215 - 8 * e), Tile) << e;
  }
  // Scrolling moves it; a row step goes 16 left and 8 down, a column 16 right.
  EXPECT_EQ(CellPosition(S(), 792, 478, 2, 1).x, 376 - 16);
  EXPECT_EQ(CellPosition(S(), 792, 478, 2, 1).y, 215 + 8);
  EXPECT_EQ(CellPosition(S(), 792, 478, 1, 2).x, 376 + 16);
  S().ScrollX = 10;
  S().ScrollY = -5;
  EXPECT_EQ(CellPosition(S(), 792, 478, 1, 1, false).x, 386);
  EXPECT_EQ(CellPosition(S(), 792, 478, 1, 1, false).y, 210);
}

TEST_F(Scene, TerrainKindsPickTheirPictureAndAnUnknownKindEndsTheTerrainSilently) {
  Rig->Show();
  S().Map.MapRows = 1;
  S().Map.MapCols = 3;
  S().Map.SetTerrainAt(1, 1, tkTree);
  S().Map.SetTerrainAt(1, 2, 7);  // no picture
  S().Map.SetTerrainAt(1, 3, tkWater);
  Rig->Clear();
  EXPECT_NO_THROW(DrawMap(S(), Rig->Scene()));
  EXPECT_EQ(At(380, 220), Tree);
  EXPECT_EQ(At(376 + 32 + 20, 215 + 16 + 10), 0u);  // nothing from the third cell on
  S().Map.SetTerrainAt(1, 2, tkPlain);
  DrawMap(S(), Rig->Scene());
  EXPECT_EQ(At(376 + 32 + 20, 215 + 16 + 10), Water);
}

TEST_F(Scene, AnUnknownKindOffTheSurfaceStillEndsTheTerrain) {
  Rig->Show();
  S().Map.MapRows = 1;
  S().Map.MapCols = 30;
  S().Map.SetTerrainAt(1, 1, 9);
  S().ScrollX = -500;  // cell (1, 1) lies off the left edge, cell (1, 30) on the surface
  const TPoint last = CellPosition(S(), 792, 478, 1, 30);
  ASSERT_LT(CellPosition(S(), 792, 478, 1, 1).x + 40, 0);
  ASSERT_GT(last.x, 0);
  Rig->Clear();
  DrawMap(S(), Rig->Scene());
  EXPECT_EQ(At(last.x + 20, last.y + 12), 0u);
  S().Map.SetTerrainAt(1, 1, tkPlain);
  DrawMap(S(), Rig->Scene());
  EXPECT_EQ(At(last.x + 20, last.y + 12), Tile);
}

TEST_F(Scene, WithoutASurfaceTheStepsOnlyKeepTheirState) {
  Rig->Show();
  TScene none = Rig->Scene();
  none.Surface = nullptr;
  S().MarkerTicks = 16;
  S().CommandMode = cmAttack;
  S().Map.MapRows = S().Map.MapCols = 2;
  S().Units[++S().UnitCount].Selected = 1;
  DrawMap(S(), none);
  DrawClickMarker(S(), none);
  DrawObjects(S(), none);
  DrawConstruction(S(), none);
  DrawCursorAndIcons(S(), none);
  DrawNumbersAndFrames(S(), none);
  DrawSelectionLabels(S(), none);
  EXPECT_EQ(S().MarkerTicks, 15);
  EXPECT_EQ(S().CursorKind, ckAttack);
}

TEST_F(Scene, TheClickMarkerRunsItsFramesAndFollowsThePointer) {
  Rig->Show();
  const TColor frames[] = {0x0000C0, 0x0000A0, 0x000080};
  S().MarkerTicks = 16;
  std::string seen;
  for (int tick = 0; tick < 18; ++tick) {
    S().MouseX = 100 + tick;
    S().MouseY = 200;
    Rig->Clear();
    DrawClickMarker(S(), Rig->Scene());
    const TColor c = At(S().MouseX - 16, S().MouseY - 8);
    char shown = '.';
    for (int f = 0; f < 3; ++f)
      if (c == frames[f] && CornerAt(S().MouseX - 16, S().MouseY - 8, frames[f])) shown = static_cast<char>('1' + f);
    seen += shown;
  }
  EXPECT_EQ(seen, ".11122223333......");
  EXPECT_EQ(S().MarkerTicks, 0);
}

TEST_F(Scene, BuildingsAndUnitsAreCentredOnTheirPositions) {
  Rig->AddBuildingType("Koszary", 60, 40, 0x3050A0);
  Rig->AddUnitType("Łucznik", 20, 30, 0x30C0F0);
  Rig->Show();
  TBuilding& b = S().Buildings[++S().BuildingCount];
  b.Name.Assign("Koszary");
  b.X = 100;
  b.Y = 50;
  TUnit& u = S().Units[++S().UnitCount];
  u.Name.Assign("Łucznik");
  u.X = -40;
  u.Y = 20;
  TUnit& stranger = S().Units[++S().UnitCount];
  stranger.Name.Assign("Nikt");  // no type: not drawn, no error
  Rig->Clear();
  DrawObjects(S(), Rig->Scene());
  // Building: (396 + 100 - 30, 239 + 50 - 20 + 8); unit: (396 - 40 - 10, 239 + 20 - 15 - 8).
  EXPECT_TRUE(CornerAt(466, 277, 0x3050A0));
  EXPECT_TRUE(CornerAt(346, 236, 0x30C0F0));
  EXPECT_EQ(At(346 + 19, 236 + 29), 0x30C0F0u);
  EXPECT_NE(At(346 + 20, 236 + 29), 0x30C0F0u);

  // A type whose picture is missing raises the image list's error.
  S().UnitTypes[++S().UnitTypeCount].Name.Assign("Duch");
  S().Units[2].Name.Assign("Duch");
  try {
    DrawObjects(S(), Rig->Scene());
    FAIL() << "no error";
  } catch (const Exception& e) { EXPECT_EQ(e.Message(), "Image 'duch' not found"); }
}

TEST_F(Scene, ABuildingUnderConstructionIsBlendedByProgressAboveItsBuilder) {
  TBuildingType& t = Rig->AddBuildingType("Koszary", 60, 40, 0xFFFFFF);
  t.BuildTime = 200;
  Rig->Show();
  TUnit& u = S().Units[++S().UnitCount];
  u.Name.Assign("Robotnik");
  u.X = u.TargetX = 30;
  u.Y = u.TargetY = 90;
  u.BuildName.Assign("Koszary");
  u.BuildProgress = 100;  // half: alpha 127
  // Hold the canvas as a text step of the last frame would: the blend must
  // still land.
  Rig->Clear();
  Rig->Back()->Canvas()->TextOut(0, 0, "x");
  DrawConstruction(S(), Rig->Scene());
  // Rectangle (396 + 30 - 30, 239 + 90 - 20 - 37) to (+30, +20 - 37).
  const TColor mid = At(426, 292);
  EXPECT_GE(mid & 0xFF, 120u);
  EXPECT_LE(mid & 0xFF, 135u);
  EXPECT_EQ(At(396, 272) & 0xFF, mid & 0xFF);
  EXPECT_EQ(At(395, 272), 0u);
  EXPECT_EQ(At(396, 271), 0u);
  EXPECT_EQ(At(456, 291), 0u);

  // Not yet on its site, or while a building is being placed: nothing.
  u.TargetX = 60;
  Rig->Clear();
  DrawConstruction(S(), Rig->Scene());
  EXPECT_EQ(At(426, 292), 0u);
  u.TargetX = 31;  // snaps to 30: on its site
  S().CommandMode = cmPlace;
  DrawConstruction(S(), Rig->Scene());
  EXPECT_EQ(At(426, 292), 0u);
}

TEST(SceneArithmetic, BlendsBarsAndPercentagesStayInRange) {
  EXPECT_EQ(ConstructionAlpha(100, 200), 127);
  EXPECT_EQ(ConstructionAlpha(1, 200), 1);
  EXPECT_EQ(ConstructionAlpha(300, 200), 255);
  EXPECT_EQ(ConstructionAlpha(-5, 200), 0);
  EXPECT_EQ(ConstructionAlpha(5, 0), 255);
  EXPECT_EQ(ConstructionAlpha(2000000000, 2100000000), 242);  // no overflow in the product
  EXPECT_EQ(BarLength(100, 100), 30);
  EXPECT_EQ(BarLength(50, 100), 15);
  EXPECT_EQ(BarLength(51, 101), 15);
  EXPECT_EQ(BarLength(500, 100), 30);
  EXPECT_EQ(BarLength(-1, 100), 0);
  EXPECT_EQ(BarLength(5, 0), 0);
  EXPECT_EQ(BarLength(5, -10), 0);
  EXPECT_EQ(BarLength(2000000000, 2100000000), 28);
  EXPECT_EQ(ProgressPercent(1, 3), 33);
  EXPECT_EQ(ProgressPercent(7, 0), 100);
  EXPECT_EQ(ProgressPercent(2000000000, 2100000000), 95);
}

TEST_F(Scene, TheCursorKindFollowsObjectsDraggingAndTheMode) {
  Rig->Show();
  TUnit& u = S().Units[++S().UnitCount];
  u.X = 100;
  u.Y = 100;
  TBuilding& b = S().Buildings[++S().BuildingCount];
  b.X = -300;
  b.Y = 0;
  const struct {
    std::int32_t CX, CY;
    std::uint8_t Dragging, Mode;
    std::int32_t Kind;
  } cases[] = {
      {0, 0, 0, cmNormal, ckHand},     {111, 119, 0, cmNormal, ckSelect}, {112, 100, 0, cmNormal, ckHand},
      {100, 120, 0, cmNormal, ckHand}, {-241, 59, 0, cmNormal, ckSelect}, {-240, 0, 0, cmNormal, ckHand},
      {0, 0, 1, cmNormal, ckSelect},   {0, 0, 0, cmSpell, ckSpell},       {100, 100, 1, cmAttack, ckAttack},
      {0, 0, 0, cmPlace, ckHand},
  };
  for (const auto& c : cases) {
    S().CursorWorldX = c.CX;
    S().CursorWorldY = c.CY;
    S().Dragging = c.Dragging;
    S().CommandMode = c.Mode;
    S().MouseX = 500;
    S().MouseY = 300;
    Rig->Clear();
    DrawCursorAndIcons(S(), Rig->Scene());
    EXPECT_EQ(S().CursorKind, c.Kind) << c.CX << "," << c.CY;
    const TColor cursor = TSceneRig::InterfacePictures()[static_cast<std::size_t>(6 + c.Kind)].Color;
    EXPECT_TRUE(CornerAt(500, 300, cursor)) << c.Kind;
  }
  // The icons at (W - 280, 20) and (W - 200, 20).
  EXPECT_TRUE(CornerAt(512, 20, 0x00D7FF));
  EXPECT_TRUE(CornerAt(592, 20, 0x13458B));
}

TEST_F(Scene, PlacementShowsTheGridOverTheThreeByThreeCellsAroundTheHoveredOne) {
  Rig->Show();
  S().Map.MapRows = S().Map.MapCols = 10;
  S().Map.SetHeightAt(5, 5, 3);  // elevation plays no part
  S().HoverRow = 5;
  S().HoverCol = 5;
  S().CommandMode = cmPlace;
  S().MouseX = 0;
  S().MouseY = 0;
  Rig->Clear();
  DrawCursorAndIcons(S(), Rig->Scene());
  constexpr TColor grid = 0x404040;
  // Cell (4, 4) is the top one of the nine; the grid is opaque, so a corner
  // shows where no later cell covers it.
  const TPoint top = CellPosition(S(), 792, 478, 4, 4, false);
  EXPECT_TRUE(CornerAt(top.x, top.y, grid));
  const TPoint centre = CellPosition(S(), 792, 478, 5, 5, false);
  EXPECT_EQ(At(centre.x + 20, centre.y + 12), grid);
  const TPoint outside = CellPosition(S(), 792, 478, 3, 3, false);
  EXPECT_NE(At(outside.x + 20, outside.y + 4), grid);
  // Without placement mode, no grid.
  S().CommandMode = cmNormal;
  Rig->Clear();
  DrawCursorAndIcons(S(), Rig->Scene());
  EXPECT_NE(At(centre.x + 20, centre.y + 12), grid);
}

TEST_F(Scene, TheBorderJoinsItsFourPointsAndTheBandFollowsThePointer) {
  Rig->Show();
  S().Map.MapRows = 10;
  S().Map.MapCols = 20;
  TScene scene = Rig->Scene();
  scene.ShowBorder = true;
  Rig->Clear();
  DrawNumbersAndFrames(S(), scene);
  // P0 (392, 237), P1 (712, 397), P2 (552, 475), P3 (235, 315).
  auto red = [&](int X, int Y) { return At(X, Y) == clRed; };
  auto near = [&](int X, int Y) {
    for (int dy = -1; dy <= 1; ++dy)
      for (int dx = -1; dx <= 1; ++dx)
        if (red(X + dx, Y + dy)) return true;
    return false;
  };
  // The share of points along a segment that have a red pixel next to them
  // (the line is dotted).
  auto along = [&](int X0, int Y0, int X1, int Y1) {
    const int steps = std::max(std::abs(X1 - X0), std::abs(Y1 - Y0));
    int hits = 0;
    for (int k = 0; k <= steps; ++k) hits += near(X0 + (X1 - X0) * k / steps, Y0 + (Y1 - Y0) * k / steps);
    return static_cast<double>(hits) / (steps + 1);
  };
  EXPECT_GT(along(392, 237, 712, 397), 0.4);
  EXPECT_GT(along(712, 397, 552, 475), 0.4);
  EXPECT_GT(along(552, 475, 235, 315), 0.4);
  EXPECT_GT(along(235, 315, 392, 237), 0.4);
  // Off the line, nothing.
  EXPECT_LT(along(392, 245, 712, 405), 0.01);
  EXPECT_FALSE(near(470, 330));  // inside
  EXPECT_EQ(Rig->Back()->Canvas()->Pen()->Style(), psSolid);

  // Without the check box no border; the band only while dragging in mode 0.
  S().Dragging = 1;
  S().DragStartX = 100;
  S().DragStartY = 100;
  S().MouseX = 200;
  S().MouseY = 150;
  Rig->Clear();
  DrawNumbersAndFrames(S(), Rig->Scene());
  EXPECT_LT(along(392, 237, 712, 397), 0.01);
  EXPECT_EQ(At(100, 100), clLime);
  EXPECT_EQ(At(199, 149), clLime);
  EXPECT_EQ(At(150, 100), clLime);
  EXPECT_EQ(At(150, 125), 0u);  // unfilled
  EXPECT_NE(At(200, 150), clLime);
  S().CommandMode = cmAttack;
  Rig->Clear();
  DrawNumbersAndFrames(S(), Rig->Scene());
  EXPECT_NE(At(150, 100), clLime);
}

TEST_F(Scene, ResourceNumbersAreWrittenInYellowAtTheirPlaces) {
  Rig->Show();
  S().Player.Gold = 8888;
  S().Player.Wood = 0;
  Rig->Clear();
  DrawNumbersAndFrames(S(), Rig->Scene());
  auto yellowIn = [&](int X1, int Y1, int X2, int Y2) {
    int n = 0;
    for (int y = Y1; y < Y2; ++y)
      for (int x = X1; x < X2; ++x) n += At(x, y) == clYellow;
    return n;
  };
  EXPECT_GT(yellowIn(537, 20, 600, 45), 20);
  EXPECT_GT(yellowIn(617, 20, 640, 45), 5);
  EXPECT_EQ(yellowIn(0, 0, 530, 60), 0);
  TCanvas* c = Rig->Back()->Canvas();
  EXPECT_EQ(c->Font()->Name(), "Comic Sans MS");
  EXPECT_TRUE(c->Font()->Style().Contains(fsBold));
}

class SelectionLabels : public Scene {
 protected:
  void SetUp() override {
    Scene::SetUp();
    TUnitType& archer = Rig->AddUnitType("Mag", 10, 10, 0x808080);
    archer.MaxHP = 100;
    archer.MaxMana = 40;
    Rig->AddUnitType("Robotnik", 10, 10, 0x808080).MaxHP = 60;
    Rig->AddBuildingType("Koszary", 10, 10, 0x808080).MaxHP = 500;
    Rig->AddBuildingType("Koszary", 10, 10, 0x808080).BuildTime = 300;
    S().BuildingTypes[1].BuildTime = 300;
    Rig->Show();
  }
  // The lime (or aqua) length of a bar whose inside starts at (X, Y).
  int Bar(int X, int Y, TColor C) {
    int n = 0;
    while (n < 40 && At(X + n, Y) == C) ++n;
    return n;
  }
  TUnit& Unit(const char* Name, std::int32_t X, std::int32_t Y, std::int32_t HP, std::int32_t Mana) {
    TUnit& u = S().Units[++S().UnitCount];
    u.Name.Assign(Name);
    u.X = X;
    u.Y = Y;
    u.HP = HP;
    u.Mana = Mana;
    u.Selected = 1;
    return u;
  }
};

TEST_F(SelectionLabels, HitPointAndManaBarsShowTheShareOfTheMaximum) {
  Unit("Mag", -200, 0, 100, 10);    // full hit points, a quarter of the mana
  Unit("Mag", 0, 0, 50, 80);        // half; mana above the maximum
  Unit("Robotnik", 200, 0, 29, 0);  // 29 of 60 = 14; no mana bar
  Unit("Robotnik", 200, 150, 70, 0).Selected = 0;
  Rig->Clear();
  DrawSelectionLabels(S(), Rig->Scene());
  const int sx[] = {396 - 200, 396, 396 + 200};
  const int expectedHP[] = {30, 15, 14};
  const int expectedMana[] = {7, 30, 0};
  for (int i = 0; i < 3; ++i) {
    const int x = sx[i], y = 239;
    EXPECT_EQ(Bar(x - 10, y - 45, clLime), expectedHP[i]) << i;
    if (expectedHP[i] < 30) { EXPECT_EQ(At(x - 10 + expectedHP[i], y - 45), clGreen) << i; }
    // Frames are 32 x 6: black from x - 11 to x + 20, y - 46 to y - 41.
    EXPECT_EQ(At(x - 11, y - 46), clBlack);
    EXPECT_EQ(At(x + 20, y - 45), clBlack);
    EXPECT_EQ(At(x + 19, y - 42), expectedHP[i] == 30 ? clLime : clGreen);
    if (i < 2) {
      EXPECT_EQ(Bar(x - 10, y - 40, clAqua), expectedMana[i]) << i;
      EXPECT_EQ(At(x + 19, y - 37), expectedMana[i] == 30 ? clAqua : clBlue) << i;
      EXPECT_EQ(At(x - 11, y - 35), 0u);  // the mana frame ends above y - 35
    } else {
      EXPECT_EQ(At(x, y - 38), 0u) << "no mana bar";
    }
  }
  // The unselected unit has no bar; the name is written at the position.
  EXPECT_EQ(At(396 + 200, 239 + 150 - 45), 0u);
  int yellow = 0;
  for (int y = 239; y < 260; ++y)
    for (int x = 396; x < 430; ++x) yellow += At(x, y) == clYellow;
  EXPECT_GT(yellow, 10);
}

TEST_F(SelectionLabels, ProgressLabelsAndBuildingBars) {
  TUnit& builder = Unit("Robotnik", 0, 0, 60, 0);
  builder.BuildName.Assign("Koszary");
  builder.BuildProgress = 150;
  TBuilding& b = S().Buildings[++S().BuildingCount];
  b.Name.Assign("Koszary");
  b.X = -200;
  b.Y = -100;
  b.HP = 250;
  b.Selected = 1;
  Rig->Clear();
  DrawSelectionLabels(S(), Rig->Scene());
  // The builder's label in aqua one line below its name.
  int aqua = 0;
  for (int y = 254; y < 275; ++y)
    for (int x = 396; x < 500; ++x) aqua += At(x, y) == clAqua;
  EXPECT_GT(aqua, 20);
  // The building's bar: half of 500, twice over two matching types (the
  // second type has no maximum and draws none).
  const int bx = 396 - 200, by = 239 - 100;
  EXPECT_EQ(At(bx + 29, by + 14), clBlack);
  EXPECT_EQ(Bar(bx + 30, by + 15, clLime), 15);
  EXPECT_EQ(At(bx + 45, by + 15), clGreen);
  EXPECT_EQ(At(bx + 60, by + 19), clBlack);
}

}  // namespace
