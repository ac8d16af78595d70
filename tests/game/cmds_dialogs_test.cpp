// The select, spell, train and build dialogs: their lists, what a change of
// type row shows and what OK gives. The handlers are called as the toolkit
// calls them; ShowModal is left to the program tests.
#include <gtest/gtest.h>

#include <algorithm>

#include "cmds_fixture.h"
#include "game/Form2.h"
#include "game/Form3.h"
#include "game/Form4.h"
#include "game/Form5.h"
#include "game/SpellCasting.h"
#include "game/TrainBuildOrders.h"
#include "platform/toolkit/Dialogs.h"

using namespace korvel;

namespace {

std::vector<std::string> Rows(const TListBox* List) {
  std::vector<std::string> rows;
  for (int r = 0; r < List->Items()->Count(); ++r) rows.push_back(List->Items()->Strings(r));
  return rows;
}

std::vector<int> SelectedRows(const TListBox* List) {
  std::vector<int> rows;
  for (int r = 0; r < List->Items()->Count(); ++r)
    if (List->Selected(r)) rows.push_back(r);
  return rows;
}

class Dialogs : public TCmdAppTest {
 protected:
  template <class T>
  T* Make() {
    T* form = nullptr;
    App->CreateForm(form);
    form->Game = &W.S;
    return form;
  }
  // Answers every message box the handler shows with OK, keeping their texts.
  void AnswerMessages(int Count) {
    for (int i = 0; i < Count; ++i)
      Driver->AnswerNext([this](TDialogEvent& D) {
        auto* box = dynamic_cast<TMessageForm*>(D.Form);
        Shown.push_back(box ? box->Text() : D.Text);
        D.SetModalResult(mrOk);
      });
  }
  TCmdWorld W;
  std::vector<std::string> Shown;
};

TEST_F(Dialogs, FramesCaptionsAndTitles) {
  auto* f2 = Make<TForm2>();
  auto* f3 = Make<TForm3>();
  auto* f4 = Make<TForm4>();
  auto* f5 = Make<TForm5>();
  struct Case {
    TForm* Form;
    TLabel* Title;
    std::string Caption;
    int Width, Height;
  } cases[] = {{f2, f2->Label1, "Wybierz", 185, 255},
               {f3, f3->Label1, Cp("Wybierz jednostki i czar"), 360, 246},
               {f4, f4->Label1, Cp("Wybierz budynki i jednostkę"), 358, 246},
               {f5, f5->Label1, Cp("Wybierz budowniczych i budynek"), 360, 246}};
  for (const Case& c : cases) {
    EXPECT_EQ(c.Form->Caption(), c.Caption);
    EXPECT_EQ(c.Form->BorderStyle(), bsNone);
    EXPECT_EQ(c.Form->Position(), poScreenCenter);
    EXPECT_EQ(c.Form->ClientWidth(), c.Width) << c.Caption;
    EXPECT_EQ(c.Form->ClientHeight(), c.Height) << c.Caption;
  }
  EXPECT_EQ(f2->Label1->Caption(), "Zaznacz");
  for (TLabel* title : {f2->Label1, f3->Label1, f4->Label1, f5->Label1}) {
    EXPECT_EQ(title->Font()->Name(), "Comic Sans MS");
    EXPECT_TRUE(title->Font()->Style().Contains(fsBold));
    EXPECT_EQ(title->Font()->Color(), clBlack);
  }
  for (TListBox* list : {f3->ListBox1, f4->ListBox2, f5->ListBox1}) {
    EXPECT_EQ(list->ItemHeight(), 16);
    EXPECT_EQ(list->Color(), clBlack);
  }
  EXPECT_EQ(f3->Label1->Caption(), f3->Caption());
  EXPECT_EQ(f2->ListBox1->Hint(), "Ctrl - Wielokrotne zaznaczanie");
  EXPECT_EQ(f3->ListBox1->Hint(), Cp("Jednostki zdolne czarować"));
  EXPECT_EQ(f3->ListBox2->Hint(), "Wybierz czar");
  EXPECT_EQ(f4->ListBox1->Hint(), Cp("Budynki zdolne szkolić jednostki"));
  EXPECT_EQ(f4->ListBox2->Hint(), Cp("Wybierz jednostkę"));
  EXPECT_FALSE(f3->ListBox3->Visible());
  EXPECT_TRUE(f3->ListBox1->MultiSelect());
  EXPECT_FALSE(f3->ListBox2->MultiSelect());
  EXPECT_EQ(f4->SpeedButton1->Caption(), "OK");
  EXPECT_EQ(f4->SpeedButton2->Caption(), "Anuluj");
}

TEST_F(Dialogs, SelectDialogRowsAndOk) {
  W.Unit("Piechur", 0, 0, 1);
  W.Unit("Piechur", 0, 0, 0);
  W.Building("Zamek", 0, 0, 1);
  W.Building(Cp("Wieża"), 0, 0, 0);
  auto* f = Make<TForm2>();
  f->FormActivate(f);
  EXPECT_EQ(Rows(f->ListBox1), (std::vector<std::string>{"Piechur", "Piechur", "Zamek", Cp("Wieża")}));
  EXPECT_TRUE(SelectedRows(f->ListBox1).empty());
  EXPECT_EQ(W.S.SelectListUnitCount, 2);

  f->ListBox1->SetSelected(1, true);  // the second of two identical rows
  f->ListBox1->SetSelected(3, true);
  f->SpeedButton1Click(f);
  EXPECT_EQ(f->ModalResult(), mrOk);
  EXPECT_EQ(W.SelectedUnits(), std::vector<int>{2});
  EXPECT_EQ(W.SelectedBuildings(), std::vector<int>{2});

  f->FormActivate(f);
  f->SpeedButton1Click(f);  // nothing selected: nothing stays selected
  EXPECT_TRUE(W.SelectedUnits().empty());
  EXPECT_TRUE(W.SelectedBuildings().empty());
}

TEST_F(Dialogs, SelectDialogRowsLeftBehindByTheTickSelectNothing) {
  W.Unit("Piechur", 0, 0, 0, 1);
  W.Unit("Rycerz", 0, 0, 0, 1);
  W.Building("Zamek", 0, 0, 0);
  auto* f = Make<TForm2>();
  f->FormActivate(f);
  f->ListBox1->SetSelected(0, true);  // "Piechur"
  f->ListBox1->SetSelected(2, true);  // "Zamek"
  // Behind the dialog the first unit dies: the last one moves into its slot.
  W.S.Units[1] = W.S.Units[2];
  W.S.Units[2] = TUnit{};
  W.S.UnitCount = 1;
  W.Unit("Piechur", 0, 0, 0, 7);  // trained meanwhile
  f->SpeedButton1Click(f);
  EXPECT_TRUE(W.SelectedUnits().empty());
  EXPECT_EQ(W.SelectedBuildings(), std::vector<int>{1});
}

class SpellDialog : public Dialogs {
 protected:
  void SetUp() override {
    Dialogs::SetUp();
    W.UnitType("Mag", {"Kula Ognia", "", "Uzdrowienie"});  // a gap between the slots
    W.UnitType("Druid", {"Teleportacja"});
    W.Unit("Mag", 0, 0, 1).Mana = 100;
    W.Unit("Druid", 0, 0, 1).Mana = 100;
    W.Unit("Mag", 0, 0, 1).Mana = 100;
    F = Make<TForm3>();
  }
  TForm3* F = nullptr;
};

TEST_F(SpellDialog, ShowListsEachTypeOnceAndTheSpellsOfTheFirst) {
  ASSERT_TRUE(F->SetCandidates(CasterCandidates(W.S)));
  EXPECT_EQ(Rows(F->ListBox3), (std::vector<std::string>{"Mag", "Druid", "Mag"}));
  F->FormShow(F);
  EXPECT_EQ(Rows(F->ListBox1), (std::vector<std::string>{"Mag", "Druid"}));
  EXPECT_EQ(Rows(F->ListBox2), (std::vector<std::string>{Cp("Kula Ognia"), Cp("Uzdrowienie")}));
  EXPECT_EQ(SelectedRows(F->ListBox1), std::vector<int>{0});
  EXPECT_EQ(F->ListBox2->ItemIndex(), 0);
  EXPECT_FALSE(F->SetCandidates({}));
  EXPECT_TRUE(Rows(F->ListBox1).empty());
}

TEST_F(SpellDialog, AnotherTypeRowShowsItsSpellsAndOkCastsThem) {
  F->SetCandidates(CasterCandidates(W.S));
  F->FormShow(F);
  F->ListBox1->SetSelected(0, false);
  F->ListBox1->SetSelected(1, true);
  F->ListBox1Click(F);
  EXPECT_EQ(Rows(F->ListBox2), std::vector<std::string>{Cp("Teleportacja")});
  F->SpeedButton1Click(F);
  EXPECT_EQ(W.SelectedUnits(), std::vector<int>{2});
  EXPECT_EQ(W.S.Units[2].Mana, 65);
  EXPECT_EQ(W.S.CommandMode, cmSpell);
}

TEST_F(SpellDialog, OkWithAnEmptySpellListActsAsCancel) {
  F->SetCandidates(CasterCandidates(W.S));
  F->FormShow(F);
  F->ListBox1->SetSelected(0, false);
  F->ListBox1Click(F);
  EXPECT_TRUE(Rows(F->ListBox2).empty());
  F->SpeedButton1Click(F);
  EXPECT_EQ(F->ModalResult(), mrOk);
  EXPECT_EQ(W.SelectedUnits(), (std::vector<int>{1, 2, 3}));
  EXPECT_EQ(W.S.CommandMode, cmNormal);
}

// With both types chosen the list mixes their spells: each row is cast, and
// paid for, by the chosen type that lists it, the later row winning when
// both do.
TEST_F(SpellDialog, WithTwoTypesChosenEachSpellIsCastByTheTypeThatListsIt) {
  W.UnitType("Druid", {"Teleportacja", "Błyskawica"});  // a second type record of the name
  W.Building("Wieza", 0, 0, 1);
  const struct {
    int Row;
    const char* Spell;
    std::vector<int> Casters;
    std::int32_t Cost;
  } cases[] = {
      {0, "Teleportacja", {2}, 35},    // the druid's first slot overwrote the mage's
      {1, "Uzdrowienie", {1, 3}, 20},  // the mage's third slot
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Spell);
    for (int u = 1; u <= 3; ++u) {
      W.S.Units[u].Selected = 1;
      W.S.Units[u].Mana = 100;
    }
    W.S.Buildings[1].Selected = 1;
    W.S.CommandMode = cmNormal;
    F->SetCandidates(CasterCandidates(W.S));
    F->FormShow(F);
    F->ListBox1->SetSelected(1, true);
    F->ListBox1Click(F);
    ASSERT_EQ(Rows(F->ListBox2), (std::vector<std::string>{Cp("Teleportacja"), Cp("Błyskawica")}));
    // The druid's second record lists the lightning; the list shows the
    // mage's healing in its place for the test.
    F->ListBox2->Items()->SetStrings(1, Cp("Uzdrowienie"));
    F->ListBox2->SetItemIndex(c.Row);
    F->SpeedButton1Click(F);
    EXPECT_EQ(W.SelectedUnits(), c.Casters);
    EXPECT_TRUE(W.SelectedBuildings().empty());
    for (int u = 1; u <= 3; ++u) {
      const bool paid = std::find(c.Casters.begin(), c.Casters.end(), u) != c.Casters.end();
      EXPECT_EQ(W.S.Units[u].Mana, paid ? 100 - c.Cost : 100) << u;
    }
    EXPECT_EQ(W.S.CommandMode, cmSpell);
    EXPECT_EQ(W.S.SpellName, Cp(c.Spell));
  }

  // A spell the later type lists too is cast by it, not by the first.
  for (int u = 1; u <= 3; ++u) {
    W.S.Units[u].Selected = 1;
    W.S.Units[u].Mana = 100;
  }
  W.S.CommandMode = cmNormal;
  F->SetCandidates(CasterCandidates(W.S));
  F->FormShow(F);
  F->ListBox1->SetSelected(1, true);
  F->ListBox1Click(F);
  F->ListBox2->SetItemIndex(1);  // "Błyskawica", listed by the druid only
  F->SpeedButton1Click(F);
  EXPECT_EQ(W.SelectedUnits(), std::vector<int>{2});
  EXPECT_EQ(W.S.Units[2].Mana, 40);
}

// A spell none of the chosen types lists changes nothing and says why.
TEST_F(SpellDialog, ASpellNoChosenTypeListsChangesNothingAndSaysWhy) {
  W.Building("Wieza", 0, 0, 1);
  const std::string spells[] = {Cp("Błyskawica"), "Zaklinanie"};  // in the table, and not
  for (const std::string& spell : spells) {
    SCOPED_TRACE(spell);
    Shown.clear();
    F->SetCandidates(CasterCandidates(W.S));
    F->FormShow(F);
    F->ListBox1->SetSelected(1, true);
    F->ListBox1Click(F);
    F->ListBox2->Items()->SetStrings(0, spell);
    const TGameState before = W.S;
    AnswerMessages(1);
    F->SpeedButton1Click(F);
    EXPECT_EQ(Shown, std::vector<std::string>{Cp("Wybrane jednostki nie znają tego czaru!")});
    EXPECT_EQ(Driver->PendingAnswers(), 0);
    EXPECT_EQ(W.SelectedUnits(), (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(W.SelectedBuildings(), std::vector<int>{1});
    for (int u = 1; u <= 3; ++u) EXPECT_EQ(W.S.Units[u], before.Units[u]);
    EXPECT_EQ(W.S.CommandMode, cmNormal);
    EXPECT_EQ(W.S.SpellName, before.SpellName);
  }
  // With no type row chosen, row 0 stands for the chosen type.
  Shown.clear();
  F->SetCandidates(CasterCandidates(W.S));
  F->FormShow(F);
  F->ListBox1->SetSelected(0, false);
  F->ListBox2->Items()->Clear();
  F->ListBox2->Items()->Add("Teleportacja");
  F->ListBox2->SetItemIndex(0);
  AnswerMessages(1);
  F->SpeedButton1Click(F);
  EXPECT_EQ(Shown.size(), 1u);
  EXPECT_EQ(W.SelectedUnits(), (std::vector<int>{1, 2, 3}));
}

TEST_F(SpellDialog, ShortManaShowsOneBoxPerCaster) {
  W.S.Units[1].Mana = 45;
  W.S.Units[3].Mana = 10;
  F->SetCandidates(CasterCandidates(W.S));
  F->FormShow(F);
  AnswerMessages(2);
  F->SpeedButton1Click(F);
  EXPECT_EQ(Shown, (std::vector<std::string>{Cp("Za mało many!"), Cp("Za mało many!")}));
  EXPECT_EQ(Driver->PendingAnswers(), 0);
  EXPECT_EQ(W.S.CommandMode, cmNormal);
}

class TrainDialog : public Dialogs {
 protected:
  void SetUp() override {
    Dialogs::SetUp();
    W.UnitType("Piechur", {}, 0, {}, 100, 0);
    W.UnitType("Rycerz", {}, 0, {}, 100, 0);
    W.BuildingType("Koszary", {"Piechur"});
    W.BuildingType("Stajnia", {"Rycerz"});
    W.S.Player.Gold = 150;
    W.Building("Koszary", 0, 0, 1);
    W.Building("Stajnia", 0, 0, 1);
    W.Building("Koszary", 0, 0, 1);
    F = Make<TForm4>();
    F->SetCandidates(TrainerCandidates(W.S));
    F->FormShow(F);
  }
  TForm4* F = nullptr;
};

TEST_F(TrainDialog, TypesAndTheUnitsOfTheChosenType) {
  EXPECT_EQ(Rows(F->ListBox1), (std::vector<std::string>{"Koszary", "Stajnia"}));
  EXPECT_EQ(Rows(F->ListBox2), std::vector<std::string>{"Piechur"});
  F->ListBox1->SetSelected(1, true);
  F->ListBox1Click(F);
  EXPECT_EQ(Rows(F->ListBox2), std::vector<std::string>{"Rycerz"});
  EXPECT_EQ(F->ListBox2->ItemIndex(), 0);
}

TEST_F(TrainDialog, OkTrainsInEachSelectedBuildingOfTheTypeWhileGoldLasts) {
  AnswerMessages(1);
  F->SpeedButton1Click(F);
  EXPECT_EQ(W.S.Buildings[1].TrainUnit.Text(), "Piechur");
  EXPECT_TRUE(W.S.Buildings[3].TrainUnit.Empty());
  EXPECT_EQ(W.S.Player.Gold, 50);
  EXPECT_EQ(Shown, std::vector<std::string>{Cp("Za mało surowców!")});
  EXPECT_EQ(W.SelectedBuildings(), (std::vector<int>{1, 3}));
}

TEST_F(TrainDialog, OkOfTheSecondTypeTrainsItsOwnUnit) {
  F->ListBox1->SetSelected(0, false);
  F->ListBox1->SetSelected(1, true);
  F->ListBox1Click(F);
  F->SpeedButton1Click(F);
  EXPECT_EQ(W.S.Buildings[2].TrainUnit.Text(), "Rycerz");
  EXPECT_EQ(W.SelectedBuildings(), std::vector<int>{2});
  EXPECT_EQ(W.S.Player.Gold, 50);
}

TEST_F(TrainDialog, CancelChangesNothing) {
  F->SpeedButton2Click(F);
  EXPECT_EQ(F->ModalResult(), mrCancel);
  EXPECT_EQ(W.SelectedBuildings(), (std::vector<int>{1, 2, 3}));
  EXPECT_EQ(W.S.Player.Gold, 150);
}

TEST_F(Dialogs, BuildDialogGivesTheFirstBuilderTheChosenBuilding) {
  W.UnitType("Robotnik", {}, 3, {"", "Farma", "Zamek"});
  W.UnitType("Piechur");
  W.BuildingType("Zamek", {}, 10, 10);
  W.BuildingType("Farma", {}, 10, 10);
  W.S.Player.Gold = W.S.Player.Wood = 100;
  W.Unit("Piechur", 0, 0, 1);
  W.Unit("Robotnik", 30, 30, 1);
  W.Unit("Robotnik", 60, 60, 1);
  auto* f = Make<TForm5>();
  ASSERT_TRUE(f->SetCandidates(BuilderCandidates(W.S)));
  f->FormShow(f);
  EXPECT_EQ(Rows(f->ListBox1), std::vector<std::string>{"Robotnik"});
  EXPECT_EQ(Rows(f->ListBox2), (std::vector<std::string>{"Farma", "Zamek"}));
  f->ListBox2->SetItemIndex(1);
  f->SpeedButton1Click(f);
  EXPECT_EQ(W.S.Units[2].BuildName.Text(), "Zamek");
  EXPECT_TRUE(W.S.Units[3].BuildName.Empty());
  EXPECT_EQ(W.SelectedUnits(), (std::vector<int>{2, 3}));
  EXPECT_EQ(W.S.CommandMode, cmPlace);
  EXPECT_EQ(W.S.Player.Gold, 90);
}

// OK with the table the new object needs already full: one message box in
// the game's style, and no order.
TEST_F(TrainDialog, OkWithAFullUnitTableSaysSo) {
  W.S.UnitCount = MaxUnits;
  AnswerMessages(1);
  F->SpeedButton1Click(F);
  EXPECT_EQ(Shown, std::vector<std::string>{Cp("Za dużo jednostek!")});
  EXPECT_EQ(Driver->PendingAnswers(), 0);
  EXPECT_TRUE(W.S.Buildings[1].TrainUnit.Empty());
  EXPECT_EQ(W.S.Player.Gold, 150);
}

TEST_F(Dialogs, BuildOkWithAFullBuildingTableSaysSo) {
  W.UnitType("Robotnik", {}, 3, {"Farma"});
  W.BuildingType("Farma", {}, 10, 10);
  W.S.Player.Gold = W.S.Player.Wood = 100;
  W.Unit("Robotnik", 30, 30, 1);
  W.S.BuildingCount = MaxBuildings;
  auto* f = Make<TForm5>();
  ASSERT_TRUE(f->SetCandidates(BuilderCandidates(W.S)));
  f->FormShow(f);
  AnswerMessages(1);
  f->SpeedButton1Click(f);
  EXPECT_EQ(Shown, std::vector<std::string>{Cp("Za dużo budynków!")});
  EXPECT_EQ(Driver->PendingAnswers(), 0);
  EXPECT_TRUE(W.S.Units[1].BuildName.Empty());
  EXPECT_EQ(W.S.CommandMode, cmNormal);
  EXPECT_EQ(W.S.Player.Gold, 100);
}

}  // namespace
