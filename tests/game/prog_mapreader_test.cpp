// The map reader behind "Otwórz": what it takes, what it copies, how it packs
// the slots, and what a failed read leaves alone.
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "game/MapLoading.h"
#include "platform/rtl/Cp1250.h"
#include "tests/game/prog_fixture.h"

using namespace korvel;

namespace {

class MapReaderTest : public GameProgramTest {
 protected:
  void SetUp() override {
    GameProgramTest::SetUp();
    AddStandardData();
    auto first = MakeMap("Pierwsza", 20, 30);
    first->Units[1] = MakeUnit("Wojownik", 30, 60);
    AddMap("first.map", *first);
    Start("first.map");
    ASSERT_EQ(Form1->State.GameRunning, 1);
  }

  // Chooses FileName in the dialog's file list and presses the hidden open
  // button, answering a message box with OK.
  void Open(const std::string& FileName) {
    Form6->FileListBox1->Update();
    if (!FileName.empty())
      Form6->FileListBox1->SetFileName(FileName);
    else
      Form6->FileListBox1->SetItemIndex(-1);
    Driver->AnswerNext([](TDialogEvent& D) { D.ClickOk(); });
    Form1->OpenButton->Click();
  }
};

}  // namespace

TEST(MapFileNames, TheReaderTakesOnlyNamesEndingInDotMap) {
  const struct {
    const char* Path;
    bool Taken;
  } cases[] = {{"/x/a.map", true}, {"/x/a.MAP", false}, {"/x/a.map.bak", false}, {"/x/", false},
               {"", false},        {"/x/.map", true},   {"C:a.map", true},       {"/x/map", false}};
  for (const auto& c : cases) EXPECT_EQ(IsMapFileName(c.Path), c.Taken) << c.Path;
}

TEST(MapFileApply, SlotsWithGapsArePackedInFileOrderAndTheSizeIsKeptToTheGrid) {
  auto file = MakeMap("Luki");
  file->Map.MapRows = 300;
  file->Map.MapCols = -5;
  file->Units[1] = MakeUnit("A", 3, 3, 0);
  file->Units[2] = MakeUnit("B", 6, 6, 0);
  file->Units[5] = MakeUnit("C", 9, 9, 0);
  file->Buildings[1] = MakeBuilding("K", 0, 0, 0);
  file->Buildings[3] = MakeBuilding("L", 0, 0, 1);
  file->Buildings[4] = MakeBuilding("M", 0, 0, 2);
  file->Players[1].Gold = 1234;
  file->Players[1].Wood = 567;
  file->Players[2].Gold = 9;

  auto game = std::make_unique<TGameState>();
  game->Units[7] = MakeUnit("Old", 0, 0);  // what the last map left behind
  game->ScrollX = 42;
  ApplyMapFile(*game, *file);

  EXPECT_EQ(game->UnitCount, 3);
  EXPECT_EQ(game->Units[1].Name.Text(), "A");
  EXPECT_EQ(game->Units[2].Name.Text(), "B");
  EXPECT_EQ(game->Units[3].Name.Text(), "C");
  EXPECT_EQ(game->Units[3].X, 9);
  EXPECT_TRUE(game->Units[5].Name.Empty());
  EXPECT_EQ(game->Units[7], TUnit{});
  EXPECT_EQ(game->BuildingCount, 3);
  EXPECT_EQ(game->Buildings[2].Name.Text(), "L");
  EXPECT_EQ(game->Buildings[3].Name.Text(), "M");
  EXPECT_EQ(game->Map.MapRows, 250);
  EXPECT_EQ(game->Map.MapCols, 0);
  EXPECT_EQ(game->Player.Gold, 1234);
  EXPECT_EQ(game->Player.Wood, 567);
  EXPECT_EQ(game->ScrollX, 42);  // the view is not reset
}

TEST_F(MapReaderTest, AGoodFileReplacesTheWorldAndTheCaption) {
  auto second = MakeMap("Druga", 40, 50);
  second->Units[1] = MakeUnit("Wojownik", 3, 3);
  second->Units[2] = MakeUnit("Wojownik", 6, 3, 1);
  second->Map.SetTerrainAt(2, 3, tkWater);
  AddMap("second.map", *second);
  Open("second.map");
  const TGameState& g = Form1->State;
  EXPECT_EQ(g.Map.MapName.Text(), "Druga");
  EXPECT_EQ(g.Map.MapRows, 40);
  EXPECT_EQ(g.Map.TerrainAt(2, 3), tkWater);
  EXPECT_EQ(g.UnitCount, 2);
  EXPECT_EQ(Form1->Caption(), "Korvel - Druga");
  // The object lists show the new map's units at once.
  ASSERT_EQ(Form1->ListBox1->Items()->Count(), 2);
  EXPECT_EQ(Form1->ListBox1->Items()->Strings(1), "Wojownik 1");
  EXPECT_TRUE(ErrorTexts().empty());
}

TEST_F(MapReaderTest, FilesItDoesNotTakeOrCannotReadLeaveTheLoadedMap) {
  // A file one byte short of the record, one with the extension in capitals,
  // and no choice at all.
  {
    auto m = MakeMap("Krotka");
    std::vector<std::uint8_t> bytes(TMapFile::SerializedSize);
    m->Serialize(bytes.data());
    bytes.pop_back();
    WriteBytes("short.map", bytes);
  }
  AddMap("upper.MAP", *MakeMap("Wielka"));
  const struct {
    const char* File;
    bool Message;
  } cases[] = {{"short.map", true}, {"upper.MAP", false}, {"", false}};
  for (const auto& c : cases) {
    const size_t boxes = ErrorTexts().size();
    Open(c.File);
    const TGameState& g = Form1->State;
    EXPECT_EQ(g.Map.MapName.Text(), "Pierwsza") << c.File;
    EXPECT_EQ(g.Map.MapRows, 20) << c.File;
    EXPECT_EQ(g.UnitCount, 1) << c.File;
    EXPECT_EQ(g.Player.Gold, 500) << c.File;
    EXPECT_EQ(Form1->Caption(), "Korvel - Pierwsza") << c.File;
    const std::vector<std::string> texts = ErrorTexts();
    ASSERT_EQ(texts.size(), boxes + (c.Message ? 1 : 0)) << c.File;
    if (c.Message) { EXPECT_EQ(texts.back(), Cp("Zła nazwa pliku!")); }
  }
  EXPECT_EQ(Driver->MessageBoxes().back().Caption, "Brask Engine");
}

TEST_F(MapReaderTest, ALongerFileIsReadUpToItsRecord) {
  auto m = MakeMap("Dluga", 12, 12);
  std::vector<std::uint8_t> bytes(TMapFile::SerializedSize + 1000, 0xEE);
  m->Serialize(bytes.data());
  WriteBytes("long.map", bytes);
  Open("long.map");
  EXPECT_EQ(Form1->State.Map.MapName.Text(), "Dluga");
  EXPECT_TRUE(ErrorTexts().empty());
}

TEST_F(MapReaderTest, AFailedReadLeavesTheDialogOpen) {
  WriteBytes("broken.map", std::vector<std::uint8_t>(1000, 0));
  bool openAfterFailure = false;
  Driver->AnswerNext([&](TDialogEvent& D) {
    ASSERT_EQ(D.Form, Form6);
    Form6->FileListBox1->Update();
    Form6->FileListBox1->SetFileName("broken.map");
    Driver->AnswerNext([](TDialogEvent& Box) { Box.ClickOk(); });
    Form6->SpeedButton1->Click();
    openAfterFailure = Form6->Visible() && Form6->ModalResult() == mrNone;
    Form6->SpeedButton2->Click();  // a map is loaded: "Anuluj" only closes
  });
  Form6->ShowModal();
  EXPECT_TRUE(openAfterFailure);
  EXPECT_FALSE(Application->Terminated());
  EXPECT_EQ(Form1->State.Map.MapName.Text(), "Pierwsza");
  ASSERT_EQ(ErrorTexts().size(), 1u);
  EXPECT_EQ(ErrorTexts()[0], Cp("Zła nazwa pliku!"));
}
