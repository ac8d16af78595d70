// The game tick on the manual clock through the test driver: nothing before
// start-up, then training, construction, numbering, mana, the speed-up code,
// scrolling by the lag count, follow mode and the cursor's world position.
#include <memory>
#include <string>

#include "game/CodeBox.h"
#include "game/Simulation.h"
#include "platform/win/KeyState.h"
#include "tests/game/prog_fixture.h"

using namespace korvel;

namespace {

class GameTickTest : public GameProgramTest {
 protected:
  void SetUp() override {
    GameProgramTest::SetUp();
    TUnitType mage = MakeUnitType("Mag", 2);
    AddUnitType("a_warrior.unt", MakeUnitType("Wojownik"));
    AddUnitType("b_mage.unt", mage);
    AddBuildingType("a_barracks.bld", MakeBuildingType("Koszary"));
    AddMusic();
    AddMap("plain.map", *MakeMap("Równina", 100, 100));
    Start("plain.map");
    ASSERT_EQ(G().GameRunning, 1);
    G().Tick = 0;
  }
  TGameState& G() { return Form1->State; }
};

}  // namespace

TEST_F(GameProgramTest, TicksDuringTheStartUpDialogDoNothing) {
  AddStandardData();
  AddMap("m.map", *MakeMap("M"));
  CreateForms();
  int tickDuringDialog = -1;
  Driver->AnswerNext([&](TDialogEvent& D) {
    ASSERT_EQ(D.Form, Form6);
    Ticks(20);
    tickDuringDialog = Form1->State.Tick;
    Form6->FileListBox1->SetFileName("m.map");
    Form6->SpeedButton1->Click();
  });
  Form1->Show();
  EXPECT_EQ(tickDuringDialog, 0);
  Ticks(3);
  EXPECT_EQ(Form1->State.Tick, 3);
}

TEST_F(GameTickTest, TrainingCompletesIntoAFreshNumberedUnitBesideTheBuilding) {
  TGameState& g = G();
  g.Units[1] = MakeUnit("Wojownik", 300, 300, 0);
  g.Units[2] = MakeUnit("Wojownik", 330, 300, 3);
  g.Units[3] = MakeUnit("Wojownik", 360, 300, 4);
  g.UnitCount = 3;
  // Slot 4 holds what a removal left behind; the new unit must not keep it.
  g.Units[4] = MakeUnit("Stary", 1, 1, 9);
  g.Units[4].BuildName = S("Koszary");
  g.Units[4].BuildProgress = 55;
  g.Units[4].Selected = 1;
  g.Buildings[1] = MakeBuilding("Koszary", 40, 40);
  g.Buildings[1].TrainUnit = S("Wojownik");
  g.Buildings[1].TrainProgress = 1;
  g.BuildingCount = 1;

  Ticks(93);
  EXPECT_EQ(g.UnitCount, 3);
  EXPECT_EQ(g.Buildings[1].TrainProgress, 94);
  Ticks(1);
  ASSERT_EQ(g.UnitCount, 4);
  const TUnit& u = g.Units[4];
  EXPECT_EQ(u.Name.Text(), "Wojownik");
  // Where it stands is checked without movement (ATrainedUnitStands...).
  EXPECT_EQ(u.Number, 5);
  EXPECT_EQ(u.HP, 100);
  EXPECT_EQ(u.Attack, 10);
  EXPECT_EQ(u.BuildProgress, 0);
  EXPECT_TRUE(u.BuildName.Empty());
  EXPECT_EQ(u.Selected, 0);
  EXPECT_EQ(g.Buildings[1].TrainProgress, 0);
  EXPECT_TRUE(g.Buildings[1].TrainUnit.Empty());
}

TEST_F(GameTickTest, TheSpeedUpCodeActsWhileItIsTheLastCodeEntered) {
  TGameState& g = G();
  g.Buildings[1] = MakeBuilding("Koszary", 40, 40);
  g.Buildings[1].TrainUnit = S("Wojownik");
  g.Buildings[1].TrainProgress = 1;
  g.BuildingCount = 1;
  g.EnteredCode = SpeedUpCode;
  Ticks(9);
  EXPECT_EQ(g.Buildings[1].TrainProgress, 91);
  Ticks(1);
  EXPECT_EQ(g.UnitCount, 1);
  EXPECT_EQ(g.Units[1].Number, 0);  // the first unit of its name

  g.Buildings[1].TrainUnit = S("Wojownik");
  g.Buildings[1].TrainProgress = 1;
  g.EnteredCode = "harvest of the old moon";  // another case is another text
  Ticks(5);
  EXPECT_EQ(g.Buildings[1].TrainProgress, 6);
}

TEST_F(GameTickTest, ConstructionAdvancesOnlyForABuilderOnItsTargetAndOutsidePlacement) {
  TGameState& g = G();
  g.Units[1] = MakeUnit("Wojownik", 300, 200);  // on its way: off target
  g.Units[1].TargetX = 900;
  g.Units[1].BuildName = S("Koszary");
  g.Units[1].BuildProgress = 1;
  g.Units[2] = MakeUnit("Wojownik", 150, 201);  // standing on its target
  g.Units[2].BuildName = S("Koszary");
  g.Units[2].BuildProgress = 1;
  g.UnitCount = 2;
  g.Buildings[1] = MakeBuilding("Koszary", 0, 0, 2);
  g.BuildingCount = 1;

  g.CommandMode = cmPlace;
  Ticks(10);
  EXPECT_EQ(g.Units[2].BuildProgress, 1);
  g.CommandMode = cmNormal;
  Ticks(98);
  EXPECT_EQ(g.Units[2].BuildProgress, 99);
  EXPECT_EQ(g.BuildingCount, 1);
  Ticks(1);
  ASSERT_EQ(g.BuildingCount, 2);
  const TBuilding& b = g.Buildings[2];
  EXPECT_EQ(b.Name.Text(), "Koszary");
  EXPECT_EQ(b.X, 150);
  EXPECT_EQ(b.Y, 201 - 45);
  EXPECT_EQ(b.Number, 3);
  EXPECT_EQ(b.HP, 500);
  EXPECT_EQ(b.TrainProgress, 0);
  EXPECT_TRUE(g.Units[2].BuildName.Empty());
  EXPECT_EQ(g.Units[2].BuildProgress, 0);
  EXPECT_EQ(g.Units[1].BuildProgress, 1);  // the builder on its way keeps its job
  EXPECT_EQ(g.Units[1].BuildName.Text(), "Koszary");
}

TEST(GameSimulation, TheBuilderMustStandOnItsTargetSnappedToThrees) {
  const struct {
    std::int32_t X, Y, TargetX, TargetY;
    bool Advances;
  } cases[] = {{150, 201, 150, 201, true},
               {150, 201, 152, 203, true},  // 152 and 203 snap to 150 and 201
               {150, 201, 153, 201, false},
               {150, 201, 150, 204, false},
               {-150, -201, -152, -203, true}};  // toward zero: -152 snaps to -150
  for (const auto& c : cases) {
    auto g = std::make_unique<TGameState>();
    g->BuildingTypes[1] = MakeBuildingType("K");
    g->BuildingTypeCount = 1;
    g->Units[1] = MakeUnit("W", c.X, c.Y);
    g->Units[1].TargetX = c.TargetX;
    g->Units[1].TargetY = c.TargetY;
    g->Units[1].BuildName = S("K");
    g->Units[1].BuildProgress = 5;
    g->UnitCount = 1;
    AdvanceConstruction(*g, nullptr);
    EXPECT_EQ(g->Units[1].BuildProgress, c.Advances ? 6 : 5) << c.TargetX << "," << c.TargetY;
  }
}

TEST(GameSimulation, ATrainedUnitStandsAtTheSnappedPointBelowTheBuilding) {
  auto g = std::make_unique<TGameState>();
  g->UnitTypes[1] = MakeUnitType("W");
  g->UnitTypes[1].TrainTime = 0;  // done in the same step
  g->UnitTypeCount = 1;
  const struct { std::int32_t BX, BY, X, Y; } cases[] = {{40, 40, 99, 99}, {-100, -65, -39, -3}, {0, 0, 60, 60}};
  for (const auto& c : cases) {
    g->UnitCount = 0;
    g->Buildings[1] = MakeBuilding("K", c.BX, c.BY);
    g->Buildings[1].TrainUnit = S("W");
    g->Buildings[1].TrainProgress = 1;
    g->BuildingCount = 1;
    AdvanceTraining(*g, nullptr);
    ASSERT_EQ(g->UnitCount, 1);
    EXPECT_EQ(g->Units[1].X, c.X) << c.BX;
    EXPECT_EQ(g->Units[1].Y, c.Y) << c.BY;
    EXPECT_EQ(g->Units[1].TargetX, c.BX + 60);
    EXPECT_EQ(g->Units[1].TargetY, c.BY + 60);
  }
}

TEST(GameSimulation, FullTablesMakeTrainingAndConstructionWaitWithoutLosingProgress) {
  auto g = std::make_unique<TGameState>();
  g->UnitTypes[1] = MakeUnitType("W");
  g->UnitTypeCount = 1;
  g->BuildingTypes[1] = MakeBuildingType("K");
  g->BuildingTypeCount = 1;
  for (int i = 1; i <= MaxUnits; ++i) g->Units[static_cast<size_t>(i)] = MakeUnit("W", 3 * i, 0, i);
  g->UnitCount = MaxUnits;
  for (int i = 1; i <= MaxBuildings; ++i) g->Buildings[static_cast<size_t>(i)] = MakeBuilding("K", 0, 0, i);
  g->BuildingCount = MaxBuildings;
  g->Buildings[1].TrainUnit = S("W");
  g->Buildings[1].TrainProgress = 95;
  g->Units[1].BuildName = S("K");
  g->Units[1].BuildProgress = 100;
  int sounds = 0;
  const TSoundSink sink = [&](int) { ++sounds; };

  for (int i = 0; i < 5; ++i) {
    AdvanceTraining(*g, sink);
    AdvanceConstruction(*g, sink);
  }
  EXPECT_EQ(g->UnitCount, MaxUnits);
  EXPECT_EQ(g->BuildingCount, MaxBuildings);
  EXPECT_EQ(g->Buildings[1].TrainProgress, 95);
  EXPECT_EQ(g->Units[1].BuildProgress, 100);
  EXPECT_EQ(sounds, 0);

  // A slot frees: the waiting jobs complete at once.
  g->UnitCount = MaxUnits - 1;
  g->BuildingCount = MaxBuildings - 1;
  AdvanceTraining(*g, sink);
  AdvanceConstruction(*g, sink);
  EXPECT_EQ(g->UnitCount, MaxUnits);
  EXPECT_EQ(g->BuildingCount, MaxBuildings);
  EXPECT_EQ(sounds, 2);
}

TEST(GameSimulation, ManaGrowsForClassTwoUnitsOnEveryFiftiethTick) {
  auto g = std::make_unique<TGameState>();
  g->UnitTypes[1] = MakeUnitType("Mag", 2);
  g->UnitTypes[2] = MakeUnitType("Wojownik", 0);
  g->UnitTypeCount = 2;
  g->Units[1] = MakeUnit("Mag", 0, 0);
  g->Units[2] = MakeUnit("Wojownik", 0, 0);
  g->UnitCount = 2;
  std::vector<int> grewOn;
  for (int i = 0; i < 1000; ++i) {
    const std::int32_t before = g->Units[1].Mana;
    AdvanceTickAndMana(*g);
    if (g->Units[1].Mana != before) grewOn.push_back(g->Tick);
  }
  ASSERT_EQ(grewOn.size(), 20u);
  EXPECT_EQ(grewOn.front(), 1);
  EXPECT_EQ(grewOn[1], 51);
  EXPECT_EQ(grewOn.back(), 951);
  EXPECT_EQ(g->Units[2].Mana, 0);
  EXPECT_EQ(g->Tick, 0);  // wrapped at 1000
}

TEST_F(GameTickTest, ManaGrowsOnTheFirstTickAndEndsTheTickWithinItsMaximum) {
  TGameState& g = G();
  g.Units[1] = MakeUnit("Mag", 300, 300);
  g.Units[1].Mana = 10;
  g.Units[2] = MakeUnit("Mag", 330, 300, 1);
  g.Units[2].Mana = 50;  // the type's maximum
  g.Units[3] = MakeUnit("Wojownik", 360, 300);
  g.UnitCount = 3;
  Ticks(1);
  ASSERT_EQ(g.Tick, 1);
  EXPECT_EQ(g.Units[1].Mana, 11);
  EXPECT_EQ(g.Units[2].Mana, 50);
  EXPECT_EQ(g.Units[3].Mana, 0);
  Ticks(49);
  EXPECT_EQ(g.Units[1].Mana, 11);
  Ticks(1);  // tick 51
  EXPECT_EQ(g.Units[1].Mana, 12);
}

TEST_F(GameTickTest, HeldArrowKeysScrollByHalfTheLagCount) {
  // The presentation waits for the vertical blank, which moves the clock on,
  // so the tick is called here with the lag counts the timer would pass.
  TGameState& g = G();
  Driver->KeyDown(VK_LEFT);
  Driver->KeyDown(VK_UP);
  Form1->DXTimer1Timer(Form1->DXTimer1, 16);
  EXPECT_EQ(g.ScrollX, 8);
  EXPECT_EQ(g.ScrollY, 8);
  Form1->DXTimer1Timer(Form1->DXTimer1, 1);  // 1 div 2 is 0
  EXPECT_EQ(g.ScrollX, 8);
  Driver->KeyUp(VK_LEFT);
  Driver->KeyUp(VK_UP);
  Driver->KeyDown(VK_RIGHT);
  Driver->KeyDown(VK_DOWN);
  Form1->DXTimer1Timer(Form1->DXTimer1, 5);
  Form1->DXTimer1Timer(Form1->DXTimer1, 5);
  EXPECT_EQ(g.ScrollX, 4);
  EXPECT_EQ(g.ScrollY, 4);
  Driver->KeyUp(VK_RIGHT);
  Driver->KeyUp(VK_DOWN);
  Form1->DXTimer1Timer(Form1->DXTimer1, 40);
  EXPECT_EQ(g.ScrollX, 4);
  EXPECT_EQ(g.HalfWidth, 396);
  EXPECT_EQ(g.HalfHeight, 239);
}

TEST_F(GameTickTest, FollowModeCentresOnTheSelectedUnitInTheHighestSlot) {
  TGameState& g = G();
  g.Units[1] = MakeUnit("Wojownik", 90, 120);
  g.Units[2] = MakeUnit("Wojownik", 300, 330);
  g.Units[3] = MakeUnit("Wojownik", 60, 300);
  g.UnitCount = 3;
  g.ScrollX = 11;
  g.ScrollY = 22;
  Form1->CheckBox2->SetChecked(true);
  Ticks(1);
  EXPECT_EQ(g.ScrollX, 11);  // nothing selected: the view stays
  g.Units[1].Selected = 1;
  g.Units[2].Selected = 1;
  Driver->MouseMove(Form1->DXDraw1, 400, 300);
  Ticks(1);
  EXPECT_EQ(g.ScrollX, -300);
  EXPECT_EQ(g.ScrollY, -330);
  // The cursor's world position of the same tick already uses the new
  // scroll: a = -300 - 400, c = -330 - 300.
  EXPECT_EQ(g.CursorWorldX, 700 - 396 + 1);
  EXPECT_EQ(g.CursorWorldY, 630 - 239 - 0 - 2);
  Form1->CheckBox2->SetChecked(false);
  g.ScrollX = 5;
  Ticks(1);
  EXPECT_EQ(g.ScrollX, 5);
}

TEST_F(GameTickTest, TheCursorWorldPositionComesFromThePointerOverTheDrawingSurface) {
  TGameState& g = G();
  Driver->MouseMove(Form1->DXDraw1, 400, 300);
  Ticks(1);
  EXPECT_EQ(g.CursorWorldX, 5);
  EXPECT_EQ(g.CursorWorldY, 59);
  g.ScrollX = -100;
  g.ScrollY = 50;
  Driver->MouseMove(Form1->DXDraw1, 10, 20);
  Ticks(1);
  // a = -100 - 10 = -110, c = 50 - 20 = 30
  EXPECT_EQ(g.CursorWorldX, 110 - 396 - (-110 % 3) - 0);
  EXPECT_EQ(g.CursorWorldY, -30 - 239 - 0 - 2);
}
