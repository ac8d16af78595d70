// Start-up over small data folders: the types in file-name order, the
// pictures, the failures that end start-up, and the first running tick.
#include <string>

#include "platform/rtl/Cp1250.h"
#include "tests/game/prog_fixture.h"

TEST_F(GameProgramTest, StartUpReadsTypesInNameOrderAndOpensTheMap) {
  AddUnitType("b.unt", MakeUnitType(Cp("Łucznik"), 1));
  AddUnitType("a.unt", MakeUnitType("Wojownik"));
  AddUnitType("c.UNT", MakeUnitType("Upper"), false);     // extension case counts
  AddUnitType("d.unt.bak", MakeUnitType("Backup"), false);  // a further extension
  AddBuildingType("k.bld", MakeBuildingType("Koszary"));
  AddMusic();
  AddMap("first.map", *MakeMap("Pierwsza"));
  Start("first.map");

  const TGameState& g = Form1->State;
  ASSERT_EQ(g.UnitTypeCount, 2);
  EXPECT_EQ(g.UnitTypes[1].Name.Text(), "Wojownik");
  EXPECT_EQ(g.UnitTypes[2].Name.Text(), Cp("Łucznik"));
  EXPECT_EQ(g.BuildingTypeCount, 1);
  ASSERT_EQ(Form1->DXImageList2->Items()->Count(), 2);
  EXPECT_EQ(Form1->DXImageList2->Items()->Items(0)->Name(), "wojownik");
  EXPECT_EQ(Form1->DXImageList2->Items()->Items(1)->Name(), Cp("Łucznik"));  // ASCII letters only
  EXPECT_EQ(Form1->DXImageList2->Items()->Items(0)->TransparentColor(), 0xFF00FF);
  EXPECT_EQ(Form1->DXImageList3->Items()->Items(0)->Name(), "koszary");
  EXPECT_EQ(g.Spells[1].Name, Cp("Kula Ognia"));
  EXPECT_EQ(g.GameRunning, 1);
  EXPECT_EQ(g.SavedPanelHeight, 289);
  EXPECT_EQ(g.Map.MapName.Text(), "Pierwsza");
  EXPECT_EQ(Form1->Caption(), "Korvel - Pierwsza");
  EXPECT_EQ(Form1->DXDraw1->Cursor(), crNone);
  EXPECT_EQ(GetCurrentDir(), Path("data/buildings"));
  EXPECT_TRUE(ErrorTexts().empty());
  EXPECT_EQ(Driver->Dialogs().size(), 1u);
}
