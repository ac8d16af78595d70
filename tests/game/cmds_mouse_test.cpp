// Mouse commands over the game surface: world points, move and attack orders,
// click and band selection, spell casts and building sites on release, the
// hovered cell.
#include <gtest/gtest.h>

#include "assets/generator/Pictures.h"
#include "cmds_fixture.h"
#include "game/MouseCommands.h"
#include "game/Scene.h"

using namespace korvel;

namespace {

constexpr int W = 792, H = 478;

class Mouse : public ::testing::Test {
 protected:
  Mouse() {
    World.S.HalfWidth = W / 2;
    World.S.HalfHeight = H / 2;
  }
  void Press(int X, int Y, TMouseButton B = mbLeft) {
    MousePress(World.S, B, X, Y, W, H, [this](int I) { Sounds.push_back(I); });
  }
  void Release(int X, int Y, TMouseButton B = mbLeft, TShiftState Shift = {}) {
    MouseRelease(World.S, B, Shift, X, Y, W, H, [this](int I) { Sounds.push_back(I); });
  }
  void Click(int X, int Y, TMouseButton B = mbLeft, TShiftState Shift = {}) {
    Press(X, Y, B);
    Release(X, Y, B, Shift);
  }
  // The control point whose world point is X (Y); not every world value has one.
  int CX(int X) {
    for (int p = X + W / 2 - S.ScrollX - 3; p <= X + W / 2 - S.ScrollX + 3; ++p)
      if (ControlToWorldX(S, p, W) == X) return p;
    ADD_FAILURE() << "no control x for world x " << X;
    return 0;
  }
  int CY(int Y) {
    for (int p = Y + H / 2 - S.ScrollY - 3; p <= Y + H / 2 - S.ScrollY + 5; ++p)
      if (ControlToWorldY(S, p, H) == Y) return p;
    ADD_FAILURE() << "no control y for world y " << Y;
    return 0;
  }
  // Puts the cursor over world point (X, Y), as the tick does.
  void Cursor(int X, int Y) {
    World.S.CursorWorldX = X;
    World.S.CursorWorldY = Y;
  }
  TCmdWorld World;
  TGameState& S = World.S;
  std::vector<int> Sounds;
};

TEST_F(Mouse, ControlPointsBecomeWorldPoints) {
  struct Case {
    int Scroll, P;
    std::int32_t WorldX, ClickX, WorldY, ClickY;
  };
  for (const Case& c :
       {Case{0, 400, 5, 3, 160, 159}, Case{0, 300, -96, -96, 59, 57}, Case{0, 10, -385, -384, -230, -228},
        Case{7, 400, -3, -3, 152, 150}, Case{-5, 0, -389, -387, -234, -234}}) {
    S.ScrollX = S.ScrollY = c.Scroll;
    EXPECT_EQ(ControlToWorldX(S, c.P, W), c.WorldX) << c.Scroll << " " << c.P;
    EXPECT_EQ(ControlToWorldY(S, c.P, H), c.WorldY) << c.Scroll << " " << c.P;
    Press(c.P, c.P, mbMiddle);
    EXPECT_EQ(S.ClickX, c.ClickX);
    EXPECT_EQ(S.ClickY, c.ClickY);
    Release(c.P, c.P, mbMiddle);
    EXPECT_EQ(S.CursorWorldX, c.WorldX);
    EXPECT_EQ(S.CursorWorldY, c.WorldY);
  }
  EXPECT_TRUE(Sounds.empty());
}

TEST_F(Mouse, MiddleButtonOnlyMovesTheClickPointAndEndsTheDrag) {
  World.Unit("Piechur", 0, 0, 1);
  S.Dragging = 1;
  const TGameState before = S;
  Press(400, 300, mbMiddle);
  EXPECT_EQ(S.Units[1], before.Units[1]);
  EXPECT_EQ(S.DragStartX, before.DragStartX);
  Release(10, 10, mbMiddle);
  EXPECT_EQ(S.Dragging, 0);
  EXPECT_EQ(S.Units[1], before.Units[1]);
}

TEST_F(Mouse, RightClickMovesIdleSelectedUnitsAndAimsAtTheObjectUnderTheCursor) {
  TUnit& idle = World.Unit("Piechur", 100, 101, 1);
  idle.AttackTarget.Assign("Stary 1");
  TUnit& builder = World.Unit("Robotnik", 50, 50, 1);
  builder.BuildProgress = 1;
  builder.TargetX = 7;
  World.Unit("Wilk", 200, 200, 0, 4);
  World.Building("Zamek", 500, 500, 1).AttackTarget.Assign("Stary 2");
  Cursor(205, 210);  // inside the wolf's 16 x 20 box
  Press(400, 300, mbRight);
  EXPECT_EQ(Sounds, std::vector<int>{sndPosition});
  EXPECT_EQ(S.MarkerTicks, 16);
  EXPECT_EQ(idle.TargetX, 3);
  EXPECT_EQ(idle.TargetY, 57);
  EXPECT_EQ(idle.X, 99);
  EXPECT_EQ(idle.Y, 99);
  EXPECT_EQ(builder.TargetX, 7);  // busy: keeps its target and position
  EXPECT_EQ(builder.X, 50);
  EXPECT_EQ(idle.AttackTarget.Text(), "Wilk 4");
  EXPECT_EQ(builder.AttackTarget.Text(), "Wilk 4");
  EXPECT_EQ(S.Buildings[1].AttackTarget.Text(), "Wilk 4");
  EXPECT_EQ(S.Dragging, 0);
}

TEST_F(Mouse, AttackPassesNeverAimAnObjectAtItselfAndPreferBuildings) {
  World.Unit("Piechur", 0, 0, 1, 1);
  World.Unit("Piechur", 5, 5, 1, 2);
  World.Unit("Piechur", 500, 500, 1, 3);
  Cursor(3, 3);  // both first units under the cursor
  Press(0, 0, mbRight);
  EXPECT_EQ(S.Units[1].AttackTarget.Text(), "Piechur 2");  // the higher slot wins
  EXPECT_TRUE(S.Units[2].AttackTarget.Text() == "Piechur 1");
  EXPECT_EQ(S.Units[3].AttackTarget.Text(), "Piechur 2");

  World.Building("Zamek", 40, 40, 1, 5);  // slot 1, number 5
  World.Building("Wieza", 1000, 1000, 1, 9);
  Press(0, 0, mbRight);
  for (int u = 1; u <= 3; ++u) EXPECT_EQ(S.Units[u].AttackTarget.Text(), "Zamek 5") << u;
  EXPECT_TRUE(S.Buildings[1].AttackTarget.Text() == "Piechur 2");  // not itself: the unit pass stands
  EXPECT_EQ(S.Buildings[2].AttackTarget.Text(), "Zamek 5");
}

TEST_F(Mouse, PressBoxesAreStrict) {
  World.Unit("Piechur", 0, 0, 0, 1);
  World.Unit("Piechur", 1000, 1000, 1, 2);
  World.Building("Zamek", -1000, -1000, 0, 1);
  struct Case {
    int X, Y;
    const char* Target;
  };
  for (const Case& c : {Case{15, 19, "Piechur 1"}, Case{-15, -19, "Piechur 1"}, Case{16, 0, ""}, Case{0, -20, ""},
                        Case{-941, -1059, "Zamek 1"}, Case{-940, -1000, ""}}) {
    Cursor(c.X, c.Y);
    Press(0, 0, mbRight);
    EXPECT_EQ(S.Units[2].AttackTarget.Text(), c.Target) << c.X << "," << c.Y;
  }
}

TEST_F(Mouse, LeftPressInAttackModeOrdersTheSelection) {
  World.Unit("Piechur", 0, 0, 1).AttackTarget.Assign("Wilk 1");
  World.Unit("Piechur", 30, 30, 0);
  S.CommandMode = cmAttack;
  Cursor(1000, 1000);
  Press(CX(60), CY(90));
  EXPECT_EQ(S.Units[1].TargetX, 60);
  EXPECT_EQ(S.Units[1].TargetY, 90);
  EXPECT_TRUE(S.Units[1].AttackTarget.Empty());
  EXPECT_EQ(S.Units[2].TargetX, 30);
  EXPECT_EQ(S.Dragging, 1);
  EXPECT_EQ(S.DragStartX, 0);  // no band in attack mode

  Release(CX(60), CY(90));
  EXPECT_EQ(S.CommandMode, cmNormal);
  EXPECT_EQ(World.SelectedUnits(), std::vector<int>{1});  // the release selects nothing
  EXPECT_EQ(Sounds, std::vector<int>{sndPosition});
}

TEST_F(Mouse, ClickSelection) {
  World.Unit("Piechur", 0, 0, 0);
  World.Unit("Piechur", 200, 0, 1);
  World.Building("Zamek", 600, 0, 1);
  Click(CX(11), CY(-11));  // inside the first unit's 12-pixel box
  EXPECT_EQ(World.SelectedUnits(), std::vector<int>{1});
  EXPECT_TRUE(World.SelectedBuildings().empty());

  Click(CX(200), CY(0), mbLeft, TShiftState{ssCtrl});  // Ctrl adds
  EXPECT_EQ(World.SelectedUnits(), (std::vector<int>{1, 2}));
  Click(CX(629), CY(0), mbLeft, TShiftState{ssCtrl});
  EXPECT_EQ(World.SelectedBuildings(), std::vector<int>{1});

  Click(CX(200), CY(0), mbLeft, TShiftState{ssCtrl, ssShift});  // not Ctrl alone: a plain click
  EXPECT_EQ(World.SelectedUnits(), std::vector<int>{2});
  EXPECT_TRUE(World.SelectedBuildings().empty());
  Click(CX(0), CY(0), mbLeft, TShiftState{ssCtrl, ssRight});
  EXPECT_EQ(World.SelectedUnits(), std::vector<int>{1});

  Click(CX(300), CY(300));  // empty ground
  EXPECT_TRUE(World.SelectedUnits().empty());
}

TEST_F(Mouse, RubberBandSelectsInsideTheBandWidenedByTheMargins) {
  // A drag from (100, 100) to (50, 300): world x from 50 - 396 to 100 - 396,
  // y from 100 - 239 to 300 - 239, widened by 12 for units and 30 for buildings.
  World.Unit("A", -346 - 11, -139 - 11);  // just inside the margin
  World.Unit("B", -346 - 12, -100);       // on the margin: outside
  World.Unit("C", -296 + 11, 61 + 11);
  World.Unit("D", -296 + 12, 0);
  World.Building("E", -346 - 29, 0);
  World.Building("F", -346 - 30, 0);
  Press(100, 100);
  EXPECT_EQ(S.Dragging, 1);
  Release(50, 300);
  EXPECT_EQ(S.Dragging, 0);
  EXPECT_EQ(World.SelectedUnits(), (std::vector<int>{1, 3}));
  EXPECT_EQ(World.SelectedBuildings(), std::vector<int>{1});
}

TEST_F(Mouse, RubberBandFollowsTheScroll) {
  S.ScrollX = 100;
  S.ScrollY = -50;
  World.Unit("A", 0, 0);
  // The unit is drawn at control (ScrollX + 396, ScrollY + 239) = (496, 189).
  Press(476, 169);
  Release(516, 209);
  EXPECT_EQ(World.SelectedUnits(), std::vector<int>{1});
  Press(476, 100);
  Release(516, 160);  // ends 18 pixels above it: the margin is 12
  EXPECT_TRUE(World.SelectedUnits().empty());
}

TEST_F(Mouse, ABandIsNotTakenFromAReleaseThatEndsAnotherMode) {
  World.Unit("Mag", 5000, 5000, 1).Mana = 100;
  World.Unit("Piechur", -346, -100);  // inside the band of the earlier press
  S.SpellName = Cp("Kula Ognia");
  S.CommandMode = cmSpell;
  Press(50, 100);
  Release(100, 300);
  EXPECT_EQ(S.CommandMode, cmNormal);
  EXPECT_EQ(World.SelectedUnits(), std::vector<int>{1});
  EXPECT_EQ(Sounds, (std::vector<int>{sndMagic, sndPosition}));

  World.Unit("Robotnik", 0, 0, 1).BuildName.Assign("Zamek");
  S.CommandMode = cmPlace;
  Press(50, 100);
  Release(100, 300);
  EXPECT_EQ(S.CommandMode, cmNormal);
  EXPECT_EQ(World.SelectedUnits(), (std::vector<int>{1, 3}));
}

TEST_F(Mouse, PlacementNeedsSixtyPixelsFromEveryBuilding) {
  TUnit& builder = World.Unit("Robotnik", 0, 0, 1);
  builder.BuildName.Assign("Zamek");
  builder.BuildProgress = 1;
  TUnit& other = World.Unit("Robotnik", 10, 10, 1);
  other.BuildName.Assign("Farma");
  other.BuildProgress = 40;
  TUnit& soldier = World.Unit("Piechur", 20, 20, 1);
  TBuilding& barracks = World.Building("Koszary", 1, 0);
  S.CommandMode = cmPlace;

  Click(CX(60), CY(0));  // the press point lies 59 from the building
  EXPECT_EQ(S.ClickX, 60);
  EXPECT_EQ(S.CommandMode, cmPlace);
  EXPECT_EQ(builder.TargetX, 0);

  barracks.X = 0;
  Click(CX(60), CY(0));
  EXPECT_EQ(S.CommandMode, cmNormal);
  EXPECT_EQ(builder.TargetX, 60);
  EXPECT_EQ(builder.TargetY, 0);
  EXPECT_EQ(other.TargetX, 60);  // every selected unit with a building goes
  EXPECT_EQ(other.BuildName.Text(), "Farma");
  EXPECT_EQ(other.BuildProgress, 40);
  EXPECT_EQ(soldier.TargetX, 20);
  EXPECT_EQ(World.SelectedUnits(), (std::vector<int>{1, 2, 3}));
}

TEST_F(Mouse, SpellModeReleaseCastsAtTheReleasePoint) {
  World.Unit("Piechur", 100, 100);
  S.SpellName = Cp("Błyskawica");
  S.CommandMode = cmSpell;
  Press(CX(100), CY(100));
  Release(CX(300), CY(300));
  EXPECT_EQ(S.Units[1].HP, 100);
  S.CommandMode = cmSpell;
  Press(CX(300), CY(300));
  Release(CX(105), CY(95));
  EXPECT_EQ(S.Units[1].HP, 10);
}

// The cell a player sees under the pointer: the one whose ground diamond (the
// pixels the picture generator counts as the diamond of a cell picture) the
// scene draws over the pointer's pixel, at ground level. Every pixel of the
// view is tried against every cell; no pixel may lie in two diamonds.
TEST_F(Mouse, TheHoveredCellIsTheOneDrawnUnderThePointer) {
  S.Map.MapRows = S.Map.MapCols = 30;
  // Elevation lifts a cell's picture but not the cell the pointer finds.
  S.Map.SetHeightAt(5, 5, 3);
  struct TView {
    int Width, Height;
  };
  struct TScroll {
    std::int32_t X, Y;
  };
  const TScroll scrolls[] = {{0, 0}, {-203, 117}, {7, -5}, {461, -131}};
  for (const TView view : {TView{792, 478}, TView{1280, 900}}) {
    for (const TScroll scroll : scrolls) {
      SCOPED_TRACE(std::to_string(view.Width) + "x" + std::to_string(view.Height) + " scroll " +
                   std::to_string(scroll.X) + "," + std::to_string(scroll.Y));
      S.ScrollX = scroll.X;
      S.ScrollY = scroll.Y;
      // Which cell's drawn diamond covers each pixel (0: none).
      std::vector<int> owner(static_cast<std::size_t>(view.Width) * view.Height, 0);
      for (int i = 1; i <= 30; ++i)
        for (int j = 1; j <= 30; ++j) {
          const TPoint corner = CellPosition(S, view.Width, view.Height, i, j, false);
          for (int dy = 0; dy < CellHeight; ++dy)
            for (int dx = 0; dx < CellWidth; ++dx) {
              const int x = corner.x + dx, y = corner.y + dy;
              if (!InGroundDiamond(dx, dy) || x < 0 || y < 0 || x >= view.Width || y >= view.Height) continue;
              int& o = owner[static_cast<std::size_t>(y) * view.Width + x];
              ASSERT_EQ(o, 0) << "two diamonds at " << x << "," << y;
              o = 100 * i + j;
            }
        }
      int over = 0;
      for (int y = 0; y < view.Height; ++y)
        for (int x = 0; x < view.Width; ++x) {
          S.HoverRow = S.HoverCol = -1;
          const int o = owner[static_cast<std::size_t>(y) * view.Width + x];
          const bool found = MouseMoveOver(S, x, y, view.Width, view.Height);
          ASSERT_EQ(found, o != 0) << x << "," << y;
          ASSERT_EQ(100 * S.HoverRow + S.HoverCol, o != 0 ? o : -101) << x << "," << y;
          over += found;
        }
      EXPECT_GT(over, 10000);
    }
  }
}

TEST_F(Mouse, MovingOffTheMapKeepsTheHoveredCell) {
  S.Map.MapRows = 10;
  S.Map.MapCols = 20;
  // The middle of cell (3, 5): 16 (5 - 3) - 4 across and 8 (3 + 5) - 11 down
  // from the surface's centre.
  EXPECT_TRUE(MouseMoveOver(S, W / 2 + 28, H / 2 + 53, W, H));
  EXPECT_EQ(S.HoverRow, 3);
  EXPECT_EQ(S.HoverCol, 5);
  EXPECT_EQ(HoverCaption(S), "X: 3, Y: 5");
  EXPECT_EQ(S.MouseX, W / 2 + 28);
  EXPECT_FALSE(MouseMoveOver(S, W / 2 + 16 * 25, H / 2 + 8 * 33, W, H));  // column 30: off the map
  EXPECT_EQ(S.HoverRow, 3);
  EXPECT_EQ(S.HoverCol, 5);
  EXPECT_EQ(S.MouseX, W / 2 + 16 * 25);
}

}  // namespace
