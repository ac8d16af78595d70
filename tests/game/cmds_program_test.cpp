// The main window's commands driven as a player drives them: the panel's
// buttons, the group input box, the dialogs behind "Czaruj", "Wyszkol" and
// "Zbuduj", and the mouse over the game surface.
#include <string>

#include "game/Form2.h"
#include "game/Form3.h"
#include "game/Form4.h"
#include "game/Form5.h"
#include "platform/rtl/Cp1250.h"
#include "platform/toolkit/Dialogs.h"
#include "platform/win/Window.h"
#include "tests/game/prog_fixture.h"

using namespace korvel;

namespace {

class Commands : public GameProgramTest {
 protected:
  // A map with a mage, two soldiers, a builder, a barracks and a field.
  void StartWithArmy() {
    TUnitType mage = MakeUnitType("Mag", 2);
    mage.Spells[1] = S(Cp("Błyskawica"));
    mage.Spells[2] = S(Cp("Uzdrowienie"));
    mage.MaxMana = 100;  // the tick caps mana at the type's maximum
    AddUnitType("a_mage.unt", mage);
    AddUnitType("b_soldier.unt", MakeUnitType("Piechur"));
    TUnitType worker = MakeUnitType("Robotnik", 3);
    worker.Buildings[1] = S("Koszary");
    AddUnitType("c_worker.unt", worker);
    TBuildingType barracks = MakeBuildingType("Koszary");
    barracks.Units[1] = S("Piechur");
    AddBuildingType("a_barracks.bld", barracks);
    AddMusic();
    auto map = MakeMap("Dolina", 30, 30);
    map->Units[1] = MakeUnit("Mag", 0, 90, 1);
    map->Units[1].Mana = 100;
    map->Units[2] = MakeUnit("Piechur", 60, 90, 1);
    map->Units[3] = MakeUnit("Piechur", 90, 120, 2);
    map->Units[4] = MakeUnit("Robotnik", -60, 150, 1);
    map->Buildings[1] = MakeBuilding("Koszary", 0, 300, 1);
    AddMap("dolina.map", *map);
    Start("dolina.map");
    ASSERT_EQ(Form1->State.UnitCount, 4);
    Ticks(2);
  }
  TGameState& G() { return Form1->State; }
  // The control point of a world point (both scrolls 0).
  static int CX(int X) { return X + 396; }
  static int CY(int Y) { return Y + 241; }
  void Select(std::initializer_list<int> Units, std::initializer_list<int> Buildings = {}) {
    for (int u = 1; u <= G().UnitCount; ++u) G().Units[u].Selected = 0;
    for (int b = 1; b <= G().BuildingCount; ++b) G().Buildings[b].Selected = 0;
    for (int u : Units) G().Units[u].Selected = 1;
    for (int b : Buildings) G().Buildings[b].Selected = 1;
  }
  void AnswerInput(const std::string& Text, bool Ok = true) {
    Driver->AnswerNext([Text, Ok](TDialogEvent& D) {
      auto* box = dynamic_cast<TInputBoxForm*>(D.Form);
      ASSERT_NE(box, nullptr);
      EXPECT_EQ(box->Caption(), Cp("Podaj liczbę"));
      EXPECT_EQ(box->Prompt()->Caption(), Cp("Wpisz liczbę od 1 do 9"));
      box->Edit()->SetText(Text);
      D.SetModalResult(Ok ? mrOk : mrCancel);
    });
  }
  void AnswerBox() {
    Driver->AnswerNext([](TDialogEvent& D) { D.ClickOk(); });
  }
  std::vector<std::string> ListRows(TListBox* L) {
    std::vector<std::string> rows;
    for (int r = 0; r < L->Items()->Count(); ++r) rows.push_back(L->Items()->Strings(r));
    return rows;
  }
  bool SpellButtonsEnabled() {
    const bool a = Form1->SpeedButton4->Enabled();
    EXPECT_EQ(Form1->MenuButton4->Enabled(), a);
    EXPECT_EQ(Form1->MenuButton5->Enabled(), a);
    return a;
  }
};

TEST_F(Commands, HideAndShowThePanel) {
  StartWithArmy();
  Form1->SpeedButton3->Click();
  EXPECT_EQ(Form1->Panel1->Height(), 40);
  EXPECT_EQ(Form1->SpeedButton3->Caption(), Cp("Pokaż"));
  Form1->SpeedButton3->Click();
  EXPECT_EQ(Form1->Panel1->Height(), 289);
  EXPECT_EQ(Form1->SpeedButton3->Caption(), "Ukryj");
}

TEST_F(Commands, ResetCentresOnTheLastSelectedUnit) {
  StartWithArmy();
  Select({1, 3});
  Form1->SpeedButton2->Click();
  EXPECT_EQ(G().ScrollX, -90);
  EXPECT_EQ(G().ScrollY, -120);
}

TEST_F(Commands, GroupsThroughTheInputBox) {
  StartWithArmy();
  Select({2, 3});
  AnswerInput("12");
  Form1->MenuButton4->Click();
  EXPECT_EQ(G().Units[2].Group, 9);
  EXPECT_EQ(G().Units[3].Group, 9);
  EXPECT_EQ(G().GroupInput, "9");

  Select({1}, {1});
  AnswerInput("9");
  Form1->MenuButton5->Click();
  EXPECT_EQ(G().Units[2].Selected, 1);
  EXPECT_EQ(G().Units[1].Selected, 0);
  EXPECT_EQ(G().Buildings[1].Selected, 0);
  EXPECT_EQ(ListRows(Form1->ListBox2), (std::vector<std::string>{"Piechur", "Piechur"}));
  EXPECT_TRUE(Driver->MessageBoxes().empty());
}

TEST_F(Commands, AWrongOrCancelledGroupNumberWarns) {
  StartWithArmy();
  G().Units[1].Group = 3;
  for (auto [text, ok] : {std::pair{std::string("abc"), true}, std::pair{std::string("4"), false}}) {
    Select({1});
    AnswerInput(text, ok);
    AnswerBox();
    Form1->MenuButton4->Click();
    const auto boxes = Driver->MessageBoxes();
    ASSERT_FALSE(boxes.empty());
    EXPECT_EQ(boxes.back().Text, Cp("Podałeś niewłaściwe wartości!"));
    EXPECT_EQ(boxes.back().Caption, Cp("Błąd"));
    EXPECT_TRUE(boxes.back().Flags & MB_ICONWARNING);
    EXPECT_EQ(G().GroupInput, "0");
    EXPECT_EQ(G().Units[1].Group, 0);  // group 0: out of its group
    EXPECT_EQ(G().Units[2].Group, 0);
  }
  G().Units[2].Group = 5;
  AnswerInput("", false);
  AnswerBox();
  Form1->MenuButton5->Click();  // calls the objects without a group
  EXPECT_EQ(G().Units[2].Selected, 0);
  EXPECT_EQ(G().Units[1].Selected, 1);
  EXPECT_EQ(G().Buildings[1].Selected, 1);
  EXPECT_EQ(Driver->PendingAnswers(), 0);
}

TEST_F(Commands, MusicButtonsPlayAndStop) {
  StartWithArmy();
  EXPECT_EQ(Form1->MediaPlayer1->Mode(), mpStopped);
  Form1->MusicButton1->Click();
  EXPECT_EQ(Form1->MediaPlayer1->Mode(), mpPlaying);
  Ticks(50);
  Form1->MusicButton2->Click();
  EXPECT_EQ(Form1->MediaPlayer1->Mode(), mpStopped);
  EXPECT_EQ(Form1->MediaPlayer1->Position(), 0);
  Form1->MusicButton1->Click();
  EXPECT_EQ(Form1->MediaPlayer1->Mode(), mpPlaying);
  Form1->MusicButton2->Click();
}

TEST_F(Commands, AboutBox) {
  StartWithArmy();
  AnswerBox();
  Form1->SpeedButton5->Click();
  const auto boxes = Driver->MessageBoxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].Caption, "Informacja");
  EXPECT_TRUE(boxes[0].Flags & MB_ICONINFORMATION);
}

TEST_F(Commands, SpellFromTheDialogToTheCast) {
  StartWithArmy();
  Select({1, 2}, {1});
  Driver->AnswerNext([](TDialogEvent& D) {
    ASSERT_EQ(D.Form, Form3);
    EXPECT_EQ(Form3->ListBox1->Items()->Count(), 1);
    EXPECT_EQ(Form3->ListBox2->Items()->Strings(0), Cp("Błyskawica"));
    Form3->SpeedButton1->Click();
  });
  Form1->MenuButton7->Click();
  EXPECT_EQ(G().CommandMode, cmSpell);
  EXPECT_GE(G().Units[1].Mana, 40);  // paid 60; the ticks behind the dialog give mana back
  EXPECT_LT(G().Units[1].Mana, 45);
  EXPECT_EQ(ListRows(Form1->ListBox2), std::vector<std::string>{"Mag"});
  EXPECT_FALSE(SpellButtonsEnabled());

  const int hp = G().Units[2].HP;
  Driver->Click(Form1->DXDraw1, CX(60), CY(90));
  EXPECT_EQ(G().CommandMode, cmNormal);
  EXPECT_EQ(G().Units[2].HP, hp - 90);
  EXPECT_TRUE(SpellButtonsEnabled());
}

TEST_F(Commands, StopInSpellModeGivesTheButtonsBack) {
  StartWithArmy();
  Select({1});
  Driver->AnswerNext([](TDialogEvent&) { Form3->SpeedButton1->Click(); });
  Form1->MenuButton7->Click();
  ASSERT_EQ(G().CommandMode, cmSpell);
  Form1->MenuButton3->Click();
  EXPECT_EQ(G().CommandMode, cmNormal);
  EXPECT_EQ(G().SpellName, "");
  EXPECT_TRUE(SpellButtonsEnabled());
}

TEST_F(Commands, SpellWithoutCastersShowsNoDialog) {
  StartWithArmy();
  Select({2});
  G().CommandMode = cmAttack;
  Form1->MenuButton7->Click();
  EXPECT_EQ(G().CommandMode, cmNormal);
  EXPECT_TRUE(Driver->Dialogs().size() == 1u);  // the open-map dialog at start only
}

TEST_F(Commands, TrainAndBuildThroughTheirDialogs) {
  StartWithArmy();
  Select({2}, {1});
  Driver->AnswerNext([](TDialogEvent& D) {
    ASSERT_EQ(D.Form, Form4);
    Form4->SpeedButton1->Click();
  });
  Form1->MenuButton8->Click();
  EXPECT_EQ(G().Buildings[1].TrainUnit.Text(), "Piechur");
  EXPECT_EQ(G().Player.Gold, 450);
  EXPECT_EQ(G().Player.Wood, 290);

  Select({4, 2});
  Driver->AnswerNext([](TDialogEvent& D) {
    ASSERT_EQ(D.Form, Form5);
    Form5->SpeedButton1->Click();
  });
  Form1->MenuButton9->Click();
  EXPECT_EQ(G().CommandMode, cmPlace);
  EXPECT_EQ(G().Units[4].BuildName.Text(), "Koszary");
  EXPECT_EQ(ListRows(Form1->ListBox2), std::vector<std::string>{"Robotnik"});
  EXPECT_EQ(G().Player.Gold, 350);

  // In placement mode the dialogs and the attack mode stay shut.
  Form1->MenuButton6->Click();
  Form1->MenuButton7->Click();
  Form1->SpeedButton4->Click();
  EXPECT_EQ(G().CommandMode, cmPlace);

  Driver->Click(Form1->DXDraw1, CX(-60), CY(-150));  // 450 from the barracks
  EXPECT_EQ(G().CommandMode, cmNormal);
  EXPECT_EQ(G().Units[4].TargetX, G().ClickX);
  EXPECT_EQ(G().Units[4].TargetY, G().ClickY);
  EXPECT_NEAR(G().ClickX, -60, 3);
  EXPECT_NEAR(G().ClickY, -150, 3);
}

TEST_F(Commands, SelectDialogSetsTheSelection) {
  StartWithArmy();
  Driver->AnswerNext([](TDialogEvent& D) {
    ASSERT_EQ(D.Form, Form2);
    ASSERT_EQ(Form2->ListBox1->Items()->Count(), 5);
    Form2->ListBox1->SetSelected(2, true);
    Form2->ListBox1->SetSelected(4, true);
    Form2->SpeedButton1->Click();
  });
  Form1->SpeedButton4->Click();
  EXPECT_EQ(G().Units[3].Selected, 1);
  EXPECT_EQ(G().Units[2].Selected, 0);
  EXPECT_EQ(G().Buildings[1].Selected, 1);
  EXPECT_EQ(ListRows(Form1->ListBox2), (std::vector<std::string>{"Piechur", "Koszary"}));
}

TEST_F(Commands, MouseOverTheSurface) {
  StartWithArmy();
  Select({});
  Driver->Drag(Form1->DXDraw1, CX(40), CY(70), CX(110), CY(140));
  EXPECT_EQ(G().Units[2].Selected, 1);
  EXPECT_EQ(G().Units[3].Selected, 1);
  EXPECT_EQ(G().Units[1].Selected, 0);
  EXPECT_EQ(ListRows(Form1->ListBox2), (std::vector<std::string>{"Piechur", "Piechur"}));

  // A right click on the mage: both soldiers attack it.
  Driver->MouseMove(Form1->DXDraw1, CX(0), CY(90));
  Ticks(1);  // the tick takes the cursor's world position
  Driver->Click(Form1->DXDraw1, CX(0), CY(90), mbRight);
  EXPECT_EQ(G().Units[2].AttackTarget.Text(), "Mag 1");
  EXPECT_EQ(G().Units[3].AttackTarget.Text(), "Mag 1");
  EXPECT_EQ(G().MarkerTicks, 16);

  // A right click on open ground sends a soldier there.
  Driver->Click(Form1->DXDraw1, CX(60), CY(90));
  ASSERT_EQ(ListRows(Form1->ListBox2), std::vector<std::string>{"Piechur"});
  Driver->MouseMove(Form1->DXDraw1, CX(150), CY(120));
  Ticks(1);
  Driver->Click(Form1->DXDraw1, CX(150), CY(120), mbRight);
  EXPECT_TRUE(G().Units[2].AttackTarget.Empty());
  EXPECT_EQ(G().Units[2].TargetX, G().ClickX);
  EXPECT_EQ(G().Units[2].TargetY, G().ClickY);
  Ticks(60);
  EXPECT_EQ(G().Units[2].X, G().ClickX);
  EXPECT_EQ(G().Units[2].Y, G().ClickY);
  Select({2, 3});
  Form1->FormShow(Form1);

  // Ctrl+click adds the mage; a plain click keeps it alone.
  Driver->Click(Form1->DXDraw1, CX(0), CY(90), mbLeft, TShiftState{ssCtrl});
  EXPECT_EQ(ListRows(Form1->ListBox2), (std::vector<std::string>{"Mag", "Piechur", "Piechur"}));
  Driver->Click(Form1->DXDraw1, CX(0), CY(90));
  EXPECT_EQ(ListRows(Form1->ListBox2), std::vector<std::string>{"Mag"});

  // The middle of cell (4, 7), drawn 16 (7 - 4) - 4 across and 8 (4 + 7) - 11
  // down from the surface's centre.
  Driver->MouseMove(Form1->DXDraw1, 396 + 16 * (7 - 4) - 4, 239 + 8 * (4 + 7) - 11);
  EXPECT_EQ(Form1->Label2->Caption(), "X: 4, Y: 7");
  EXPECT_EQ(G().HoverRow, 4);
}

}  // namespace
