// A whole run, as a player makes it: the program's windows, start-up with the
// open-map dialog, a hundred frames of play on the frame timer, then the
// close command on the main window, which ends the program; the windows are
// freed with their components afterwards.
#include <filesystem>
#include <string>

#include "tests/game/prog_fixture.h"
#include "world/ObjectNames.h"

using namespace korvel;

TEST_F(GameProgramTest, StartOpenAMapPlayAHundredFramesAndClose) {
  AddStandardData();
  auto map = MakeMap("Bitwa", 30, 30);
  map->Units[1] = MakeUnit("Wojownik", 30, 60);
  map->Units[1].TargetX = 120;
  map->Units[2] = MakeUnit("Wojownik", 300, 60, 1);
  map->Buildings[1] = MakeBuilding("Koszary", 90, 90);
  map->Buildings[1].TrainUnit = S("Wojownik");
  map->Buildings[1].TrainProgress = 1;
  AddMap("bitwa.map", *map);
  Start("bitwa.map");
  ASSERT_EQ(Form1->State.GameRunning, 1);
  ASSERT_TRUE(Form1->DXDraw1->CanDraw());

  int passes = 0;
  while (Form1->State.Tick < 100 && ++passes < 10000) {
    AdvanceManualClock(1000);
    Driver->Pump(1);
  }
  EXPECT_EQ(Form1->State.Tick, 100);
  EXPECT_EQ(Form1->State.UnitCount, 3);  // the barracks trained one
  EXPECT_EQ(Form1->State.Buildings[1].TrainProgress, 0);

  Driver->CloseCommand(Form1);
  Driver->Pump(1);
  EXPECT_TRUE(Application->Terminated());
  EXPECT_TRUE(ErrorTexts().empty());
  EXPECT_EQ(Driver->UnansweredDialogs(), 0);
}

#ifdef BRASK_PLAY_DIR
// The built start folder and its large sample map, as tools/play runs them:
// an ordered unit walks, an ordered attack hits, a building trains, the
// music plays.
TEST_F(GameProgramTest, TheLargeSampleMapPlays) {
  std::filesystem::current_path(BRASK_PLAY_DIR);
  CreateForms();
  AnswerOpenMap("krolestwo.map");
  Form1->Show();
  Driver->Pump(2);
  TGameState& g = Form1->State;
  ASSERT_EQ(g.GameRunning, 1);
  ASSERT_GE(g.UnitCount, 3);
  ASSERT_GE(g.BuildingCount, 1);
  ASSERT_GE(g.UnitTypeCount, 1);
  EXPECT_EQ(Form1->Caption(), "Korvel - " + g.Map.MapName.Text());

  TUnit& walker = g.Units[1];
  const std::int32_t startX = walker.X;
  walker.TargetX = walker.X + 150;
  walker.TargetY = walker.Y;
  walker.AttackTarget.Clear();
  TUnit& fighter = g.Units[2];
  TUnit& victim = g.Units[3];
  fighter.X = fighter.TargetX = victim.X;
  fighter.Y = fighter.TargetY = victim.Y;
  fighter.AttackTarget = StoredIdentifier(victim);
  fighter.Attack = 50;
  victim.Defense = 0;
  victim.AttackTarget.Clear();
  const std::string victimId = ObjectIdentifier(victim);
  const std::int32_t victimHP = victim.HP;
  TBuilding& barracks = g.Buildings[1];
  barracks.TrainUnit = g.UnitTypes[1].Name;
  barracks.TrainProgress = g.UnitTypes[1].TrainTime > 60 ? g.UnitTypes[1].TrainTime - 50 : 1;
  Form1->MediaPlayer1->Play();

  int passes = 0;
  const int start = g.Tick;
  while ((g.Tick - start + 1000) % 1000 < 100 && ++passes < 10000) {
    AdvanceManualClock(1000);
    Driver->Pump(1);
  }
  EXPECT_NE(g.Units[1].X, startX);
  bool hit = true;
  for (int u = 1; u <= g.UnitCount; ++u)
    if (ObjectIdentifier(g.Units[static_cast<size_t>(u)]) == victimId)
      hit = g.Units[static_cast<size_t>(u)].HP < victimHP;
  EXPECT_TRUE(hit) << "the attacked unit kept its hit points";
  EXPECT_EQ(g.Buildings[1].TrainProgress, 0);
  EXPECT_TRUE(g.Buildings[1].TrainUnit.Empty());
  EXPECT_EQ(Form1->MediaPlayer1->Mode(), mpPlaying);
  EXPECT_TRUE(ErrorTexts().empty());
  // The frames reached the window: the terrain shows on the drawing surface.
  const TPixels pixels = Driver->ReadPixels(Form1->DXDraw1);
  ASSERT_EQ(pixels.Width, 792);
  int lit = 0;
  for (DWORD p : pixels.Data) lit += (p & 0xFFFFFF) != 0;
  EXPECT_GT(lit, pixels.Width * pixels.Height / 10);

  Driver->CloseCommand(Form1);
  Driver->Pump(1);
  EXPECT_TRUE(Application->Terminated());
}
#endif
