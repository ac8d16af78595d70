// The editor's start: its windows and their controls, and the reading of the
// type files from the data folder at the main window's first activation.
#include <filesystem>
#include <string>
#include <vector>

#include "EditorFixture.h"
#include "input_sound/InputDevice.h"
#include "input_sound/Keyboard.h"
#include "platform/rtl/Exceptions.h"
#include "platform/toolkit/Menus.h"
#include "platform/win/Window.h"

using namespace sandreth;
using namespace editor_test;

namespace {

std::vector<std::string> ItemsOf(TComboBox* Combo) {
  std::vector<std::string> v;
  for (int i = 0; i < Combo->Items()->Count(); ++i) v.push_back(Combo->Items()->Strings(i));
  return v;
}

std::vector<std::string> ErrorTexts(const TTestDriver& Driver) {
  std::vector<std::string> v;
  for (const TDialogEvent& e : Driver.MessageBoxes()) v.push_back(e.Text);
  return v;
}

}  // namespace

TEST_F(EditorTest, WindowsAndTheirControlsAreMadeAsStored) {
  Start();
  EXPECT_EQ(App->Title(), "Brask Mapmaker");
  ASSERT_EQ(App->MainForm(), F1);
  EXPECT_EQ(F1->Caption(), "Sandreth");
  EXPECT_EQ(F1->ClientWidth(), 792);
  EXPECT_EQ(F1->ClientHeight(), 546);
  EXPECT_EQ(F1->DXDraw1->Width(), 792);
  EXPECT_EQ(F1->DXDraw1->Height(), 478);
  ASSERT_TRUE(F1->DXDraw1->CanDraw());
  EXPECT_EQ(F1->DXDraw1->Surface()->Width(), 792);
  EXPECT_EQ(F1->DXDraw1->Surface()->Height(), 478);
  EXPECT_EQ(F1->PageControl1->Top(), 478);
  EXPECT_EQ(F1->PageControl1->Height(), 68);
  ASSERT_EQ(F1->PageControl1->PageCount(), 4);
  const char* tabs[] = {"Dane", "Teren", "Jednostki", "Budynki"};
  for (int i = 0; i < 4; ++i) EXPECT_EQ(F1->PageControl1->Pages(i)->Caption(), tabs[i]);
  EXPECT_EQ(F1->PageControl1->TabIndex(), 0);
  EXPECT_EQ(Form2->Caption(), "Jednostka");
  EXPECT_EQ(Form2->ClientWidth(), 314);
  EXPECT_EQ(Form2->ClientHeight(), 339);
  EXPECT_EQ(Form3->Caption(), "Budynek");
  EXPECT_EQ(Form3->ClientWidth(), 322);
  EXPECT_EQ(Form3->ClientHeight(), 330);

  // Size, randomness, resources and elevation fields with their ranges and start values.
  struct {
    TSpinEdit* Field;
    int Min, Max, Value;
  } spins[] = {{F1->SpinEdit1, 10, 250, 48},
               {F1->SpinEdit2, 10, 250, 48},
               {F1->SpinEdit3, 1, 50, 10},
               {F1->SpinEdit5, 0, 99999, 1000},
               {F1->SpinEdit6, 0, 99999, 1000},
               {F1->SpinEdit4, 0, 9, 0},
               {Form2->SpinEdit1, -2147483647, 2147483647, 0},
               {Form2->SpinEdit2, 0, 2147483647, 0},
               {Form2->SpinEdit5, 1, 100, 100},
               {Form2->SpinEdit9, 0, 9, 0},
               {Form3->SpinEdit6, 0, 9, 0}};
  for (const auto& s : spins) {
    SCOPED_TRACE(s.Field->Name());
    EXPECT_EQ(s.Field->MinValue(), s.Min);
    EXPECT_EQ(s.Field->MaxValue(), s.Max);
    EXPECT_EQ(s.Field->Value(), s.Value);
  }
  EXPECT_EQ(F1->Edit1->MaxLength(), 99);
  EXPECT_EQ(F1->Edit1->Text(), "");

  // Hints of the buttons and fields.
  struct {
    TControl* Control;
    const char* Hint;
  } hints[] = {{F1->SpinEdit1, "Szerokość mapy"},
               {F1->SpinEdit2, "Wysokość mapy"},
               {F1->SpinEdit3, "Stopień losowości krajobrazu"},
               {F1->SpeedButton1, "Losuj"},
               {F1->SpeedButton2, "Zeruj"},
               {F1->SpeedButton9, "Utwórz"},
               {F1->SpeedButton10, "Edytuj"},
               {F1->SpeedButton11, "Usuń"},
               {F1->SpeedButton12, "Utwórz"},
               {F1->SpeedButton13, "Edytuj"},
               {F1->SpeedButton14, "Usuń"}};
  for (const auto& h : hints) EXPECT_EQ(h.Control->Hint(), Cp(h.Hint)) << h.Control->Name();

  // The tools: one group, the first one down.
  TSpeedButton* tools[] = {F1->SpeedButton3, F1->TerrainButton1, F1->SpeedButton5, F1->SpeedButton4,
                           F1->SpeedButton7, F1->SpeedButton6,   F1->SpeedButton8};
  for (int i = 0; i < 7; ++i) {
    EXPECT_EQ(tools[i]->GroupIndex(), tools[0]->GroupIndex());
    EXPECT_EQ(tools[i]->Down(), i == 0);
    if (i > 0) { EXPECT_GT(tools[i]->Left(), tools[i - 1]->Left()); }
  }
  EXPECT_EQ(F1->Label4->Caption(), "X: 1, Y: 1");

  // The menu.
  struct {
    TMenuItem* Item;
    const char* Caption;
    TShortCut Key;
  } items[] = {{F1->Nowy1, "Nowy", ShortCut('N', {ssCtrl})},
               {F1->Otwrz1, "Otwórz", ShortCut('O', {ssCtrl})},
               {F1->Zapisz1, "Zapisz", ShortCut('S', {ssCtrl})},
               {F1->N1, "-", scNone},
               {F1->Zamknij1, "Zamknij", ShortCut(VK_F1 + 11, {ssCtrl})},
               {F1->Losuj1, "Losuj", ShortCut('L', {ssCtrl})},
               {F1->Zeruj1, "Zeruj", ShortCut('K', {ssCtrl})},
               {F1->Oprogramie1, "O programie", ShortCut(VK_F1, {})}};
  for (const auto& i : items) {
    EXPECT_EQ(i.Item->Caption(), Cp(i.Caption));
    EXPECT_EQ(i.Item->ShortCut(), i.Key) << i.Caption;
  }
  EXPECT_EQ(F1->Plik1->Count(), 5);
  EXPECT_EQ(F1->OpenDialog1->Filter(), "Pliki map|*.map");
  EXPECT_EQ(F1->OpenDialog1->Title(), Cp("Otwórz mapę"));
  EXPECT_EQ(F1->SaveDialog1->Title(), Cp("Zapisz mapę"));
  EXPECT_EQ(F1->SaveDialog1->DefaultExt(), "");

  // Input: keyboard and joystick, no mouse; the directions on K J H L,
  // the arrows and the numeric pad, nothing else.
  EXPECT_FALSE(F1->DXInput1->Mouse()->Enabled());
  EXPECT_TRUE(F1->DXInput1->Keyboard()->Enabled());
  EXPECT_TRUE(F1->DXInput1->Joystick()->Enabled());
  const TKeyAssignTable& keys = F1->DXInput1->Keyboard()->Assigns;
  EXPECT_EQ(keys[stUp], (TKeyAssign{'K', VK_UP, VK_NUMPAD0 + 8}));
  EXPECT_EQ(keys[stDown], (TKeyAssign{'J', VK_DOWN, VK_NUMPAD0 + 2}));
  EXPECT_EQ(keys[stLeft], (TKeyAssign{'H', VK_LEFT, VK_NUMPAD0 + 4}));
  EXPECT_EQ(keys[stRight], (TKeyAssign{'L', VK_RIGHT, VK_NUMPAD0 + 6}));
  for (int s = stButton1; s <= stButton32; ++s) EXPECT_EQ(keys[static_cast<size_t>(s)], (TKeyAssign{0, 0, 0}));
  EXPECT_TRUE(F1->DXTimer1->Enabled());
  EXPECT_EQ(F1->DXTimer1->Interval(), 1u);
  EXPECT_TRUE(F1->DXTimer1->ActiveOnly());
  EXPECT_FALSE(F1->FileListBox1->Visible());
}

TEST_F(EditorTest, TypesAreReadInFileNameOrderByTheirExactExtension) {
  AddUnitType("rycerz.unt", UnitType("Rycerz"));
  AddUnitType("Piechur.unt", UnitType("Piechur"));
  AddUnitType("mag.UNT", UnitType("Mag"));
  AddUnitType("mnich.Unt", UnitType("Mnich"));
  AddBuildingType("wieza.bld", BuildingType("Wieża"));
  AddBuildingType("zamek.BLD", BuildingType("Zamek"));
  AddBuildingType("a_zamek.bld", BuildingType("Zamek"));
  AddFile("notatki.txt", 3);
  AddFile("unt", 3);
  Start();
  EXPECT_TRUE(Driver->MessageBoxes().empty()) << ErrorTexts(*Driver).front();
  EXPECT_EQ(ItemsOf(F1->ComboBox1), (std::vector<std::string>{"Piechur", "Rycerz"}));
  EXPECT_EQ(ItemsOf(F1->ComboBox3), (std::vector<std::string>{"Zamek", Cp("Wieża")}));
  EXPECT_EQ(F1->State().UnitTypeCount, 2);
  EXPECT_EQ(F1->State().BuildingTypeCount, 2);
  for (TComboBox* c : {F1->ComboBox1, F1->ComboBox3}) EXPECT_EQ(c->ItemIndex(), 0);
  for (TComboBox* c : {F1->ComboBox2, F1->ComboBox4}) EXPECT_EQ(c->ItemIndex(), -1);
  EXPECT_EQ(F1->State().AppDir, Folder->Path());
  EXPECT_EQ(std::filesystem::path(GetCurrentDir()), Root / "data");

  // A later activation does not read the folder again.
  AddUnitType("chlop.unt", UnitType("Chłop"));
  App->ActivateForm(Form2);
  App->ActivateForm(F1);
  Driver->Pump(2);
  EXPECT_EQ(F1->State().UnitTypeCount, 2);
}

TEST_F(EditorTest, OnlyUpperCaseExtensionsGiveNoTypesAndNoSelection) {
  AddUnitType("piechur.UNT", UnitType("Piechur"));
  AddBuildingType("zamek.BLD", BuildingType("Zamek"));
  Start();
  EXPECT_EQ(F1->State().UnitTypeCount, 0);
  EXPECT_EQ(F1->State().BuildingTypeCount, 0);
  EXPECT_EQ(F1->ComboBox1->Items()->Count(), 0);
  EXPECT_EQ(F1->ComboBox1->ItemIndex(), -1);
  EXPECT_TRUE(Driver->MessageBoxes().empty());
}

TEST_F(EditorTest, ShortTypeFileEndsStartUpWithTheRuntimeTextAndKeepsTheTypesBefore) {
  AddUnitType("a.unt", UnitType("Piechur"));
  AddFile("b.unt", 100);
  AddUnitType("c.unt", UnitType("Rycerz"));
  Create();
  ExpectMessageBox();
  EnsurePictures();
  Driver->RunTicks(2);
  EXPECT_EQ(ErrorTexts(*Driver), (std::vector<std::string>{"Read beyond end of file"}));
  EXPECT_EQ(F1->State().UnitTypeCount, 1);
  EXPECT_EQ(F1->State().UnitTypes[1].Name.Text(), "Piechur");
  EXPECT_EQ(F1->ComboBox1->Items()->Count(), 0);
  // The editor runs on: the view keeps drawing.
  Advance(20);
  EXPECT_TRUE(F1->DXDraw1->CanDraw());
}

TEST_F(EditorTest, MissingDataFolderIsReportedAndTheEditorRunsOn) {
  std::filesystem::remove_all(Root / "data");
  Create();
  ExpectMessageBox();
  Driver->RunTicks(2);
  EXPECT_EQ(ErrorTexts(*Driver), (std::vector<std::string>{EInOutError(ioPathNotFound).Message()}));
  EXPECT_EQ(F1->State().UnitTypeCount, 0);
  EXPECT_EQ(std::filesystem::path(GetCurrentDir()), Root);
  Advance(20);
  EXPECT_TRUE(F1->DXDraw1->CanDraw());
}

TEST_F(EditorTest, BeyondThirtyTypeFilesOfOneKindTheRestIsSkippedUnread) {
  for (int i = 1; i <= 32; ++i) {
    char name[16];
    std::snprintf(name, sizeof name, "u%02d.unt", i);
    if (i <= 30) {
      AddUnitType(name, UnitType(("Typ" + std::to_string(i)).c_str()));
    } else {
      AddFile(name, 7);  // would fail if it were read
    }
  }
  AddBuildingType("zamek.bld", BuildingType("Zamek"));
  Start();
  EXPECT_TRUE(Driver->MessageBoxes().empty());
  EXPECT_EQ(F1->State().UnitTypeCount, 30);
  EXPECT_EQ(F1->ComboBox1->Items()->Count(), 30);
  EXPECT_EQ(F1->ComboBox1->Items()->Strings(29), "Typ30");
  EXPECT_EQ(F1->State().BuildingTypeCount, 1);
}

TEST_F(EditorTest, AboutBoxAndCloseFromTheMenu) {
  Start();
  ExpectMessageBox();
  ASSERT_TRUE(Controls->ChooseMenuItem(F1->Oprogramie1));
  Driver->Pump(1);
  std::vector<TDialogEvent> boxes = Driver->MessageBoxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].Caption, "Informacja");
  EXPECT_EQ(boxes[0].Flags & 0xF0, MB_ICONINFORMATION);
  EXPECT_EQ(boxes[0].Flags & 0x0F, MB_OK);
  EXPECT_FALSE(boxes[0].Text.empty());

  F1->Zamknij1->Click();
  EXPECT_TRUE(App->Terminated());
}
