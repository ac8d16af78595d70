// Start-up over small data folders: the types in file-name order, the
// pictures, the failures that end start-up, and the first running tick.
#include <string>

#include <filesystem>
#include <vector>

#include "platform/dinput/DInputTest.h"
#include "platform/dsound/DSoundTest.h"
#include "platform/media/MediaTest.h"
#include "platform/rtl/Cp1250.h"
#include "tests/game/prog_fixture.h"
#include "tests/support/PermissionsApply.h"

using namespace korvel;

TEST_F(GameProgramTest, StartUpReadsTypesInNameOrderAndOpensTheMap) {
  AddUnitType("b.unt", MakeUnitType(Cp("Łucznik"), 1));
  AddUnitType("a.unt", MakeUnitType("Wojownik"));
  AddUnitType("c.UNT", MakeUnitType("Upper"), false);       // extension case counts
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

namespace {

// What a failing start-up left: one error box whose text starts as given,
// no open-map dialog, the game not running, the window still there.
void ExpectStartUpFailed(const GameProgramTest* Test, const TTestDriver& Driver, const std::string& TextStart) {
  (void)Test;
  ASSERT_EQ(Driver.Dialogs().size(), 1u) << "the open-map dialog must not appear";
  const TDialogEvent& box = Driver.Dialogs()[0];
  EXPECT_EQ(box.Kind, TDialogEvent::dkMessageBox);
  EXPECT_EQ(box.Text.substr(0, TextStart.size()), TextStart) << box.Text;
  EXPECT_EQ(box.Caption, "Brask Engine");
  EXPECT_EQ(Form1->State.GameRunning, 0);
  EXPECT_TRUE(Form1->Visible());
  EXPECT_FALSE(Application->Terminated());
}

}  // namespace

TEST_F(GameProgramTest, AShortTypeFileEndsStartUpWithTheRuntimeText) {
  AddStandardData();
  WriteBytes("data/units/b_short.unt", std::vector<std::uint8_t>(TUnitType::SerializedSize - 1, 0));
  CreateForms();
  Driver->AnswerNext([](TDialogEvent& D) { D.ClickOk(); });
  Form1->Show();
  ExpectStartUpFailed(this, *Driver, "Read beyond end of file");
  EXPECT_EQ(Form1->State.UnitTypeCount, 1);  // the file before it was read
  // Ticks go on doing nothing.
  Ticks(5);
  EXPECT_EQ(Form1->State.Tick, 0);
}

TEST_F(GameProgramTest, AMissingPictureEndsStartUpWithTheToolkitText) {
  AddUnitType("a.unt", MakeUnitType("Bez obrazka"), false);
  AddBuildingType("k.bld", MakeBuildingType("Koszary"));
  AddMusic();
  CreateForms();
  Driver->AnswerNext([](TDialogEvent& D) { D.ClickOk(); });
  Form1->Show();
  ExpectStartUpFailed(this, *Driver, "Cannot open file ");
  EXPECT_NE(Driver->Dialogs()[0].Text.find("Bez obrazka.bmp"), std::string::npos) << Driver->Dialogs()[0].Text;
  EXPECT_TRUE(Form1->State.Spells[1].Name.empty());  // the steps behind it did not run
}

TEST_F(GameProgramTest, AMissingMusicFileEndsStartUpNamingTheFile) {
  AddUnitType("a.unt", MakeUnitType("Wojownik"));
  AddBuildingType("k.bld", MakeBuildingType("Koszary"));
  CreateForms();
  Driver->AnswerNext([](TDialogEvent& D) { D.ClickOk(); });
  Form1->Show();
  ExpectStartUpFailed(this, *Driver, "Cannot open media file");
  EXPECT_NE(Driver->Dialogs()[0].Text.find("music1.MID"), std::string::npos) << Driver->Dialogs()[0].Text;
  EXPECT_EQ(Form1->State.SavedPanelHeight, 0);
}

TEST_F(GameProgramTest, AMissingUnitsFolderEndsStartUp) {
  std::filesystem::remove_all(Path("data/units"));
  AddBuildingType("k.bld", MakeBuildingType("Koszary"));
  AddMusic();
  CreateForms();
  Driver->AnswerNext([](TDialogEvent& D) { D.ClickOk(); });
  Form1->Show();
  ExpectStartUpFailed(this, *Driver, "Path not found");
  EXPECT_EQ(Form1->State.BuildingTypeCount, 0);
}

// A data folder that may not be entered is told as such, as the editor
// tells it, not as a missing folder.
TEST_F(GameProgramTest, AnUnreadableDataFolderEndsStartUpWithTheRuntimesText) {
  AddStandardData();
  CreateForms();
  Driver->AnswerNext([](TDialogEvent& D) { D.ClickOk(); });
  std::filesystem::permissions(Path("data"), std::filesystem::perms::none);
  {
    TPermissionsApply permissions;
    ASSERT_TRUE(permissions.Applies());
    Form1->Show();
  }
  std::filesystem::permissions(Path("data"), std::filesystem::perms::owner_all);
  ExpectStartUpFailed(this, *Driver, "File access denied");
  EXPECT_EQ(Form1->State.UnitTypeCount, 0);
}

TEST_F(GameProgramTest, AnEmptyUnitsFolderGivesNoUnitTypesAndStartUpGoesOn) {
  AddBuildingType("k.bld", MakeBuildingType("Koszary"));
  AddMusic();
  AddMap("m.map", *MakeMap("M"));
  Start("m.map");
  EXPECT_EQ(Form1->State.UnitTypeCount, 0);
  EXPECT_EQ(Form1->DXImageList2->Items()->Count(), 0);
  EXPECT_EQ(Form1->State.BuildingTypeCount, 1);
  EXPECT_EQ(Form1->State.GameRunning, 1);
}

TEST_F(GameProgramTest, CancelWithoutAMapEndsTheProgram) {
  AddStandardData();
  CreateForms();
  AnswerOpenMap("");
  Application->Run();  // returns once the program has been told to end
  EXPECT_TRUE(Application->Terminated());
  EXPECT_TRUE(Form1->State.Map.MapName.Empty());
  EXPECT_EQ(Driver->RunawayLoops(), 0);
}

TEST_F(GameProgramTest, CancelAfterAMapOnlyClosesTheDialog) {
  AddStandardData();
  AddMap("m.map", *MakeMap("M"));
  Start("m.map");
  // The game's own dialog keeps the frames running.
  int ticksDuringDialog = 0;
  Driver->AnswerNext([&](TDialogEvent& D) {
    ASSERT_EQ(D.Form, Form6);
    const int before = Form1->State.Tick;
    Ticks(5);
    ticksDuringDialog = Form1->State.Tick - before;
    Form6->SpeedButton2->Click();
  });
  Form6->ShowModal();
  EXPECT_EQ(ticksDuringDialog, 5);
  EXPECT_FALSE(Application->Terminated());
  EXPECT_FALSE(Form6->Visible());
  EXPECT_EQ(Form1->State.Map.MapName.Text(), "M");
}

TEST_F(GameProgramTest, ClosingTheDialogByTheCloseCommandRunsTheGameOnAnEmptyWorld) {
  AddStandardData();
  CreateForms();
  Driver->AnswerNext([this](TDialogEvent& D) { Driver->CloseCommand(D.Form); });
  Form1->Show();
  Driver->Pump(2);
  EXPECT_FALSE(Application->Terminated());
  EXPECT_EQ(Form1->State.GameRunning, 1);
  EXPECT_EQ(Form1->State.UnitCount, 0);
  Ticks(3);
  EXPECT_EQ(Form1->State.Tick, 3);
}

TEST_F(GameProgramTest, WithoutASoundDeviceOrSoundFontTheGameRunsSilent) {
  AddStandardData();
  AddMap("m.map", *MakeMap("M"));
  DSoundTest::InjectFault(DSoundTest::TFault::Create, DSERR_NODRIVER, -1);
  MediaTest::SetSoundFontSearch({Path("no-such-font.sf2")});
  Start("m.map");
  DSoundTest::ClearFaults();
  MediaTest::ResetSoundFontSearch();
  EXPECT_EQ(MediaTest::SoundFont(*Form1->MediaPlayer1), "");
  Form1->MediaPlayer1->Play();
  EXPECT_EQ(Form1->MediaPlayer1->Mode(), mpPlaying);
  EXPECT_FALSE(Form1->DXSound1->Initialized());
  EXPECT_EQ(Form1->State.GameRunning, 1);
  TGameState& g = Form1->State;
  g.Buildings[1] = MakeBuilding("Koszary", 40, 40);
  g.Buildings[1].TrainUnit = S("Wojownik");
  g.Buildings[1].TrainProgress = 95;
  g.BuildingCount = 1;
  Ticks(2);  // the training completes and plays its (silent) sound
  EXPECT_EQ(g.UnitCount, 1);
  EXPECT_TRUE(ErrorTexts().empty());
}

TEST_F(GameProgramTest, AFailureWhileMakingTheWindowsIsShownAndEndsTheProgram) {
  // Without DirectInput the input component cannot open the mouse the game
  // asks for, so the main window cannot be made.
  DInputTest::SetCreateResult(E_FAIL);
  App = std::make_unique<TApplication>();
  Driver = std::make_unique<TTestDriver>();
  Driver->AnswerNext([](TDialogEvent& D) { D.ClickOk(); });
  const int result = RunGame();
  DInputTest::Reset();
  EXPECT_EQ(result, 1);
  ASSERT_EQ(Driver->MessageBoxes().size(), 1u);
  EXPECT_EQ(Driver->MessageBoxes()[0].Text, "DirectInput is necessary to use the mouse");
  EXPECT_EQ(Driver->MessageBoxes()[0].Caption, "Brask Engine");
}

TEST_F(GameProgramTest, TheProgramRunsUntilItsMainWindowCloses) {
  AddStandardData();
  AddMap("m.map", *MakeMap("M"));
  App = std::make_unique<TApplication>();
  Driver = std::make_unique<TTestDriver>();
  AnswerOpenMap("m.map");
  // A few frames after start-up, then the player closes the window.
  Driver->SetPassHook([this] {
    if (!Form1 || Form1->State.GameRunning == 0 || Application->Terminated()) return;
    if (Form1->State.Tick >= 10) {
      Driver->CloseCommand(Form1);
      return;
    }
    AdvanceManualClock(1000);
  });
  const int result = RunGame();
  Driver->SetPassHook(nullptr);
  EXPECT_EQ(result, 0);
  EXPECT_TRUE(Application->Terminated());
  EXPECT_EQ(Form1->State.Tick, 10);
  EXPECT_EQ(Driver->RunawayLoops(), 0);
}
