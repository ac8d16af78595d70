// A whole run, as a player makes it: the program's windows, start-up with the
// open-map dialog, a hundred frames of play on the frame timer, then the
// close command on the main window, which ends the program; the windows are
// freed with their components afterwards.
#include "tests/game/prog_fixture.h"

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
