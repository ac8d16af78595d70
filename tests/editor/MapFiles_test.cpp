// Saving and opening ".map" files through the "Plik" menu.
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "EditorFixture.h"
#include "platform/rtl/Exceptions.h"
#include "world/MapFile.h"
#include "world/ObjectNames.h"

using namespace sandreth;
using namespace editor_test;
namespace fs = std::filesystem;

namespace {

std::vector<std::uint8_t> FileBytes(const fs::path& P) {
  std::ifstream in(P, std::ios::binary);
  return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), {});
}

TUnit Unit(const char* Name, std::int32_t Number, std::int32_t X, std::int32_t Y) {
  TUnit u;
  u.Name.Assign(Name);
  u.Number = Number;
  u.X = X;
  u.Y = Y;
  u.HP = 40;
  return u;
}

class MapFileTest : public EditorTest {
 protected:
  void Save(const fs::path& P) {
    Controls->AnswerFileDialogWith(P.string());
    F1->Zapisz1->Click();
  }
  void Open(const fs::path& P) {
    Controls->AnswerFileDialogWith(P.string());
    F1->Otwrz1->Click();
  }
  std::vector<std::string> Errors() const {
    std::vector<std::string> v;
    for (const TDialogEvent& e : Driver->MessageBoxes()) v.push_back(e.Text);
    return v;
  }
  // Chooses a menu item from the main window's menu bar, as the user does:
  // what the handler raises must reach the application's error box by the
  // toolkit's own dispatch.
  void Choose(TMenuItem* Item) { ASSERT_TRUE(Controls->ChooseMenuItem(Item)) << Item->Name(); }
  // The names in a folder, sorted.
  static std::vector<std::string> Entries(const fs::path& Dir) {
    std::vector<std::string> v;
    for (const auto& e : fs::directory_iterator(Dir)) v.push_back(e.path().filename().string());
    std::sort(v.begin(), v.end());
    return v;
  }
};

}  // namespace

TEST_F(MapFileTest, SavedFileHoldsTheMapBlockSlotsAndFirstPlayer) {
  Start();
  TEditorState& s = F1->State();
  s.Map.SetTerrainAt(3, 4, 2);
  s.Map.SetHeightAt(3, 4, 7);
  s.UnitCount = 2;
  s.Units[1] = Unit("Piechur", 1, 30, 60);
  s.Units[2] = Unit("Mag", 1, -9, 3);
  s.Units[3] = Unit("Ukryty", 5, 0, 0);  // beyond the count: not saved
  s.BuildingCount = 1;
  s.Buildings[1].Name.Assign("Zamek");
  s.Buildings[1].Number = 1;
  F1->SpinEdit1->SetValue(30);
  F1->SpinEdit2->SetValue(40);
  F1->SpinEdit5->SetValue(1234);
  F1->SpinEdit6->SetValue(567);

  const fs::path target = Root / "wyspa";  // no extension is added
  Controls->AnswerFileDialogWith(target.string());
  F1->Zapisz1->Click();
  ASSERT_EQ(Controls->FileDialogs().size(), 1u);
  EXPECT_TRUE(Controls->FileDialogs()[0].Save);
  EXPECT_EQ(Controls->FileDialogs()[0].Title, Cp("Zapisz mapę"));
  EXPECT_EQ(Controls->FileDialogs()[0].Filter, "Pliki map|*.map");
  ASSERT_TRUE(fs::exists(target));
  EXPECT_FALSE(fs::exists(Root / "wyspa.map"));
  const std::vector<std::uint8_t> bytes = FileBytes(target);
  ASSERT_EQ(bytes.size(), 228145u);
  // Nothing but the map beside the data folder: no temporary file is left.
  EXPECT_EQ(Entries(Root), (std::vector<std::string>{"data", "wyspa"}));

  TMapFile read;
  read.Deserialize(bytes.data());
  EXPECT_EQ(read.Map.MapName.Text(), "Bez nazwy");
  EXPECT_EQ(F1->Edit1->Text(), "");
  EXPECT_EQ(read.Map.MapRows, 30);
  EXPECT_EQ(read.Map.MapCols, 40);
  EXPECT_EQ(read.Map.TerrainAt(3, 4), 2);
  EXPECT_EQ(read.Map.HeightAt(3, 4), 7);
  EXPECT_EQ(read.Players[1].Gold, 1234);
  EXPECT_EQ(read.Players[1].Wood, 567);
  EXPECT_EQ(read.Units[1], s.Units[1]);
  EXPECT_EQ(read.Units[2], s.Units[2]);
  EXPECT_EQ(read.Buildings[1], s.Buildings[1]);
  // Everything beyond: zero bytes.
  std::vector<std::uint8_t> zero(TPlayer::SerializedSize, 0);
  TPlayer first;
  first.Gold = 1234;
  first.Wood = 567;
  std::vector<std::uint8_t> firstBytes(TPlayer::SerializedSize);
  first.Serialize(firstBytes.data());
  EXPECT_TRUE(std::equal(firstBytes.begin(), firstBytes.end(), bytes.begin() + TMapFile::PlayersOffset));
  for (std::size_t at = TMapFile::PlayersOffset + TPlayer::SerializedSize; at < TMapFile::UnitsOffset; ++at)
    ASSERT_EQ(bytes[at], 0) << at;
  for (std::size_t at = TMapFile::UnitsOffset + 2 * TUnit::SerializedSize; at < TMapFile::BuildingsOffset; ++at)
    ASSERT_EQ(bytes[at], 0) << at;
  for (std::size_t at = TMapFile::BuildingsOffset + TBuilding::SerializedSize; at < bytes.size(); ++at)
    ASSERT_EQ(bytes[at], 0) << at;
  EXPECT_EQ(s.Map.MapRows, 30);

  // A long name is cut to 100 characters.
  F1->Edit1->SetText(std::string(150, 'n'));
  Save(Root / "dluga.map");
  read.Deserialize(FileBytes(Root / "dluga.map").data());
  EXPECT_EQ(read.Map.MapName.Text(), std::string(100, 'n'));

  // The world's reader (the game's) loads the editor's file.
  F1->Edit1->SetText(Cp("Dolina Mgieł"));
  Save(Root / "dolina.map");
  TMapFile game;
  ReadMapFile((Root / "dolina.map").string(), game);
  EXPECT_EQ(game.Map.MapName.Text(), Cp("Dolina Mgieł"));
  EXPECT_EQ(CountNamedSlots(game.Units), 2);
  EXPECT_EQ(CountNamedSlots(game.Buildings), 1);
  EXPECT_EQ(ObjectIdentifier(game.Units[2]), "Mag 1");
}

TEST_F(MapFileTest, SaveThenOpenGivesTheSameMapBack) {
  AddStandardTypes();
  Start();
  TEditorState& s = F1->State();
  for (int i = 1; i <= 250; i += 7) s.Map.SetTerrainAt(i, 251 - i, static_cast<std::uint8_t>(i % 7));
  s.UnitCount = 3;
  s.Units[1] = Unit("Piechur", 1, 3, 6);
  s.Units[2] = Unit("Piechur", 2, 9, 12);
  s.Units[3] = Unit("Mag", 1, 15, 18);
  s.BuildingCount = 1;
  s.Buildings[1].Name.Assign("Zamek");
  s.Buildings[1].Number = 1;
  F1->Edit1->SetText("Wyspa");
  F1->SpinEdit1->SetValue(250);
  F1->SpinEdit2->SetValue(120);
  Save(Root / "wyspa.map");
  const std::vector<std::uint8_t> first = FileBytes(Root / "wyspa.map");

  // A fresh editor opens it.
  Restart();
  Open(Root / "wyspa.map");
  ASSERT_EQ(Controls->FileDialogs().size(), 1u);
  EXPECT_FALSE(Controls->FileDialogs()[0].Save);
  EXPECT_EQ(Controls->FileDialogs()[0].Title, Cp("Otwórz mapę"));
  TEditorState& t = F1->State();
  EXPECT_EQ(t.UnitCount, 3);
  EXPECT_EQ(t.BuildingCount, 1);
  ASSERT_EQ(F1->ComboBox2->Items()->Count(), 3);
  EXPECT_EQ(F1->ComboBox2->Items()->Strings(0), "Piechur 1");
  EXPECT_EQ(F1->ComboBox2->Items()->Strings(1), "Piechur 2");
  EXPECT_EQ(F1->ComboBox2->Items()->Strings(2), "Mag 1");
  EXPECT_EQ(F1->ComboBox4->Items()->Strings(0), "Zamek 1");
  EXPECT_EQ(F1->Edit1->Text(), "Wyspa");
  EXPECT_EQ(F1->SpinEdit1->Value(), 250);
  EXPECT_EQ(F1->SpinEdit2->Value(), 120);
  EXPECT_EQ(F1->SpinEdit5->Value(), 1000);
  for (const TPlayer& p : t.Players) EXPECT_EQ(p.Gold, 0);
  Save(Root / "znowu.map");
  EXPECT_EQ(FileBytes(Root / "znowu.map"), first);
}

TEST_F(MapFileTest, OpeningReplacesObjectsClampsTheSizeAndClosesSlotGaps) {
  Start();
  TMapFile a;
  a.Map.MapRows = 5;
  a.Map.MapCols = 300;
  a.Map.MapName.Assign("A");
  a.Players[1].Gold = 99999;
  a.Players[1].Wood = 0;
  a.Units[1] = Unit("Piechur", 1, 0, 0);
  a.Units[4] = Unit("Mag", 1, 0, 0);  // slots 2 and 3 free
  a.Units[150] = Unit("Mnich", 1, 0, 0);
  a.Buildings[2].Name.Assign("Zamek");
  a.Buildings[2].Number = 1;
  WriteMapFile((Root / "a.map").string(), a);
  TMapFile b;
  b.Map.MapRows = 20;
  b.Map.MapCols = 20;
  b.Units[1] = Unit("Rycerz", 7, 0, 0);
  WriteMapFile((Root / "b.map").string(), b);

  Open(Root / "a.map");
  TEditorState& s = F1->State();
  EXPECT_EQ(s.UnitCount, 3);
  EXPECT_EQ(s.Units[1].Name.Text(), "Piechur");
  EXPECT_EQ(s.Units[2].Name.Text(), "Mag");
  EXPECT_EQ(s.Units[3].Name.Text(), "Mnich");
  EXPECT_TRUE(s.Units[4].Free());
  EXPECT_EQ(s.BuildingCount, 1);
  EXPECT_EQ(s.Buildings[1].Name.Text(), "Zamek");
  EXPECT_EQ(F1->ComboBox2->Items()->Count(), 3);
  EXPECT_EQ(F1->SpinEdit1->Value(), 10);
  EXPECT_EQ(F1->SpinEdit2->Value(), 250);
  EXPECT_EQ(F1->MapRows(), 10);
  EXPECT_EQ(F1->SpinEdit5->Value(), 99999);
  EXPECT_EQ(F1->SpinEdit6->Value(), 0);
  Advance(20);  // a tick over the clamped size

  Open(Root / "b.map");
  EXPECT_EQ(s.UnitCount, 1);
  EXPECT_EQ(s.BuildingCount, 0);
  EXPECT_EQ(F1->ComboBox2->Items()->Count(), 1);
  EXPECT_EQ(F1->ComboBox2->Items()->Strings(0), "Rycerz 7");
  EXPECT_EQ(F1->ComboBox4->Items()->Count(), 0);
  EXPECT_EQ(F1->Edit1->Text(), "");
}

TEST_F(MapFileTest, FailuresAreReportedAndChangeNothing) {
  Start();
  TEditorState& s = F1->State();
  s.UnitCount = 1;
  s.Units[1] = Unit("Piechur", 1, 0, 0);
  std::ofstream(Root / "krotka.map", std::ios::binary) << std::string(1000, 'x');

  Controls->AnswerFileDialogWith((Root / "brak.map").string());
  ExpectMessageBox();
  Choose(F1->Otwrz1);
  Controls->AnswerFileDialogWith((Root / "krotka.map").string());
  ExpectMessageBox();
  Choose(F1->Otwrz1);
  EXPECT_EQ(Errors(), (std::vector<std::string>{"File not found", "Read beyond end of file"}));
  for (const TDialogEvent& box : Driver->MessageBoxes()) {
    EXPECT_EQ(box.Caption, "Brask Mapmaker");
    EXPECT_TRUE(box.Answered);
  }
  EXPECT_EQ(s.UnitCount, 1);

  // Cancelled dialogs do nothing.
  Controls->CancelFileDialog();
  F1->Otwrz1->Click();
  Controls->CancelFileDialog();
  F1->Zapisz1->Click();
  EXPECT_EQ(s.UnitCount, 1);
  EXPECT_EQ(Entries(Root), (std::vector<std::string>{"data", "krotka.map"}));

  // A save that cannot be made leaves the old file and no temporary file.
  Save(Root / "stara.map");
  const auto before = FileBytes(Root / "stara.map");
  s.Map.SetTerrainAt(1, 1, 2);
  fs::create_directories(Root / "folder.map");
  Controls->AnswerFileDialogWith((Root / "folder.map").string());
  ExpectMessageBox();
  Choose(F1->Zapisz1);
  Controls->AnswerFileDialogWith((Root / "brak" / "x.map").string());
  ExpectMessageBox();
  Choose(F1->Zapisz1);
  const std::vector<std::string> errors = Errors();
  ASSERT_EQ(errors.size(), 4u);
  EXPECT_EQ(errors[2], "File access denied");
  EXPECT_EQ(errors[3], "File not found");
  EXPECT_TRUE(fs::is_directory(Root / "folder.map"));
  EXPECT_TRUE(fs::is_empty(Root / "folder.map"));
  EXPECT_EQ(FileBytes(Root / "stara.map"), before);
  EXPECT_EQ(Entries(Root), (std::vector<std::string>{"data", "folder.map", "krotka.map", "stara.map"}));

  // Saving over an existing map replaces it whole.
  Save(Root / "stara.map");
  EXPECT_NE(FileBytes(Root / "stara.map"), before);
  EXPECT_EQ(FileBytes(Root / "stara.map").size(), 228145u);
}

// Saving over a map keeps what the user set up: a link stays a link and the
// file it names gets the map; the file keeps its permission bits.
TEST_F(MapFileTest, SavingKeepsLinksAndPermissions) {
  Start();
  fs::create_directories(Root / "mapy");
  std::ofstream(Root / "mapy" / "prawdziwa.map", std::ios::binary) << "stara";
  fs::permissions(Root / "mapy" / "prawdziwa.map", fs::perms::owner_read | fs::perms::owner_write);
  fs::create_symlink("mapy/prawdziwa.map", Root / "skrot.map");
  F1->State().Map.SetTerrainAt(2, 2, 1);
  Controls->AnswerFileDialogWith((Root / "skrot.map").string());
  Choose(F1->Zapisz1);
  EXPECT_TRUE(Driver->MessageBoxes().empty());
  EXPECT_TRUE(fs::is_symlink(Root / "skrot.map"));
  const std::vector<std::uint8_t> bytes = FileBytes(Root / "mapy" / "prawdziwa.map");
  ASSERT_EQ(bytes.size(), 228145u);
  TMapFile read;
  read.Deserialize(bytes.data());
  EXPECT_EQ(read.Map.TerrainAt(2, 2), 1);
  EXPECT_EQ(fs::status(Root / "mapy" / "prawdziwa.map").permissions(), fs::perms::owner_read | fs::perms::owner_write);
  EXPECT_EQ(Entries(Root / "mapy"), (std::vector<std::string>{"prawdziwa.map"}));
}
