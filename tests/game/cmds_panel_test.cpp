// The command bar's rules over the hidden object list, groups, attack mode
// and centring the view.
#include <gtest/gtest.h>

#include "cmds_fixture.h"
#include "game/CommandPanel.h"
#include "game/Movement.h"
#include "game/ObjectLists.h"
#include "platform/toolkit/StdCtrls.h"

using namespace korvel;

namespace {

class Panel : public TCmdAppTest {
 protected:
  void SetUp() override {
    TCmdAppTest::SetUp();
    ListBox1 = new TListBox(App.get());
    ListBox1->SetMultiSelect(true);
    ListBox2 = new TListBox(App.get());
    ListBox2->SetMultiSelect(true);
  }
  void Refresh() { RefreshUnitLists(W.S, ListBox1, ListBox2); }
  // Marks exactly the given rows of the hidden list.
  void Mark(std::initializer_list<int> Rows) {
    for (int r = 0; r < ListBox1->Items()->Count(); ++r) ListBox1->SetSelected(r, false);
    for (int r : Rows) ListBox1->SetSelected(r, true);
  }
  TCmdWorld W;
  TListBox* ListBox1 = nullptr;
  TListBox* ListBox2 = nullptr;
};

TEST_F(Panel, SelectAndDeselectFollowTheMarkedRows) {
  W.Unit("Piechur", 0, 0, 1);
  W.Unit("Rycerz", 0, 0, 0);
  W.Unit("Piechur", 0, 0, 1);
  W.Building("Zamek", 0, 0, 0);
  W.Building("Farma", 0, 0, 1);
  Refresh();
  ASSERT_EQ(ListBox1->Items()->Count(), 5);
  Mark({1, 3});
  SelectMarkedRows(W.S, ListBox1);
  EXPECT_EQ(W.SelectedUnits(), std::vector<int>{2});
  EXPECT_EQ(W.SelectedBuildings(), std::vector<int>{1});

  Refresh();
  W.S.Units[1].Selected = 1;
  Mark({0, 3});
  DeselectMarkedRows(W.S, ListBox1);
  EXPECT_EQ(W.SelectedUnits(), std::vector<int>{2});
  EXPECT_TRUE(W.SelectedBuildings().empty());
}

TEST_F(Panel, RowsLeftBehindByTheTickActOnNothing) {
  W.Unit("Piechur", 0, 0, 0, 1);
  W.Unit("Rycerz", 0, 0, 0, 1);
  W.Building("Zamek", 0, 0, 0, 1);
  Refresh();
  RemoveUnit(W.S, 1);               // the knight moves into slot 1; row 1 names no slot now
  W.Building("Farma", 0, 0, 0, 1);  // built meanwhile: it has no row
  Mark({0, 1, 2});
  SelectMarkedRows(W.S, ListBox1);
  EXPECT_TRUE(W.SelectedUnits().empty());
  EXPECT_EQ(W.SelectedBuildings(), std::vector<int>{1});

  W.S.Units[1].Selected = 1;
  DeselectMarkedRows(W.S, ListBox1);
  EXPECT_EQ(W.SelectedUnits(), std::vector<int>{1});
  ListBox1->Items()->Add("Piechur 1");  // a row past the recorded ones
  ListBox1->SetSelected(3, true);
  StopMarkedRows(W.S, ListBox1);
  EXPECT_EQ(W.S.Units[1].TargetX, W.S.Units[1].X);
}

TEST_F(Panel, StopClearsTheOrdersOfTheMarkedObjectsOnly) {
  TUnit& a = W.Unit("Robotnik", 10, 20, 1);
  a.TargetX = 300;
  a.AttackTarget.Assign("Wilk 1");
  a.BuildName.Assign("Zamek");
  a.BuildProgress = 30;
  TUnit& b = W.Unit("Robotnik", 0, 0, 1);
  b.TargetX = 99;
  b.BuildProgress = 2;
  TBuilding& k = W.Building("Koszary", 0, 0, 1);
  k.TrainUnit.Assign("Piechur");
  k.TrainProgress = 50;
  k.AttackTarget.Assign("Wilk 1");
  W.S.Player.Gold = 7;
  W.S.CommandMode = cmSpell;
  W.S.SpellName = "Kula Ognia";
  Refresh();
  Mark({0, 2});
  StopMarkedRows(W.S, ListBox1);
  EXPECT_EQ(W.S.CommandMode, cmNormal);
  EXPECT_EQ(W.S.SpellName, "");
  EXPECT_EQ(a.TargetX, 10);
  EXPECT_EQ(a.TargetY, 20);
  EXPECT_TRUE(a.AttackTarget.Empty());
  EXPECT_TRUE(a.BuildName.Empty());
  EXPECT_EQ(a.BuildProgress, 0);
  EXPECT_EQ(b.TargetX, 99);
  EXPECT_EQ(b.BuildProgress, 2);
  EXPECT_TRUE(k.TrainUnit.Empty());
  EXPECT_EQ(k.TrainProgress, 0);
  EXPECT_TRUE(k.AttackTarget.Empty());
  EXPECT_EQ(W.S.Player.Gold, 7);  // nothing is refunded
}

TEST_F(Panel, AClickInTheVisibleListNarrowsTheSelectionByName) {
  W.Unit("Piechur", 0, 0, 1);
  W.Unit("Mag", 0, 0, 1);
  W.Unit("Piechur", 0, 0, 1);
  W.Unit("Mag", 0, 0, 0);
  W.Building("Zamek", 0, 0, 1);
  Refresh();
  ASSERT_EQ(ListBox2->Items()->Count(), 4);
  for (int r = 0; r < 4; ++r) ListBox2->SetSelected(r, ListBox2->Items()->Strings(r) == "Piechur");
  MarkRowsOfSelectedNames(W.S, ListBox1, ListBox2);
  EXPECT_EQ(W.SelectedUnits(), (std::vector<int>{1, 2, 3}));  // only marks rows
  SelectMarkedRows(W.S, ListBox1);
  EXPECT_EQ(W.SelectedUnits(), (std::vector<int>{1, 3}));
  EXPECT_TRUE(W.SelectedBuildings().empty());
}

TEST(GroupNumber, TextsAndTheirGroups) {
  struct Case {
    const char* Text;
    bool Valid;
    std::int32_t Number;
  };
  for (const Case& c : {Case{"4", true, 4}, Case{"12", true, 9}, Case{"0", true, 1}, Case{"-3", true, -3},
                        Case{"+7", true, 7}, Case{"9", true, 9}, Case{"abc", false, 0}, Case{"", false, 0},
                        Case{" 4", false, 0}, Case{"99999999999", false, 0}}) {
    std::int32_t n = 55;
    EXPECT_EQ(ReadGroupNumber(c.Text, n), c.Valid) << c.Text;
    EXPECT_EQ(n, c.Number) << c.Text;
  }
}

TEST(Groups, SetMakesTheGroupExactlyTheSelection) {
  TCmdWorld w;
  w.Unit("A", 0, 0, 0).Group = 4;
  w.Unit("B", 0, 0, 1).Group = 2;
  w.Unit("C", 0, 0, 0).Group = 2;
  w.Building("D", 0, 0, 1).Group = 0;
  w.Building("E", 0, 0, 0).Group = 4;
  SetGroup(w.S, 4);
  EXPECT_EQ(w.S.Units[1].Group, 0);
  EXPECT_EQ(w.S.Units[2].Group, 4);
  EXPECT_EQ(w.S.Units[3].Group, 2);
  EXPECT_EQ(w.S.Buildings[1].Group, 4);
  EXPECT_EQ(w.S.Buildings[2].Group, 0);

  SetGroup(w.S, 0);  // the group a wrong text gives: the selection leaves its groups
  EXPECT_EQ(w.S.Units[2].Group, 0);
  EXPECT_EQ(w.S.Units[3].Group, 2);
}

TEST(Groups, CallSelectsExactlyTheGroup) {
  TCmdWorld w;
  w.Unit("A", 0, 0, 1).Group = 4;
  w.Unit("B", 0, 0, 1).Group = 2;
  w.Unit("C", 0, 0, 0).Group = 4;
  w.Building("D", 0, 0, 0).Group = 4;
  w.Building("E", 0, 0, 1).Group = 0;
  CallGroup(w.S, 4);
  EXPECT_EQ(w.SelectedUnits(), (std::vector<int>{1, 3}));
  EXPECT_EQ(w.SelectedBuildings(), std::vector<int>{1});
  CallGroup(w.S, 0);
  EXPECT_TRUE(w.SelectedUnits().empty());
  EXPECT_EQ(w.SelectedBuildings(), std::vector<int>{2});
}

TEST(PanelRules, AttackModeAndCentring) {
  TCmdWorld w;
  for (auto [from, to] : {std::pair{cmNormal, cmAttack}, std::pair{cmSpell, cmAttack}, std::pair{cmPlace, cmPlace}}) {
    w.S.CommandMode = from;
    EnterAttackMode(w.S);
    EXPECT_EQ(w.S.CommandMode, to);
  }
  w.S.ScrollX = 5;
  w.S.ScrollY = 6;
  w.Building("Zamek", 900, 900, 1);
  EXPECT_FALSE(CentreOnSelectedUnit(w.S));
  EXPECT_EQ(w.S.ScrollX, 5);
  w.Unit("A", 10, 20, 1);
  w.Unit("B", 30, -40, 1);
  w.Unit("C", 50, 60, 0);
  EXPECT_TRUE(CentreOnSelectedUnit(w.S));
  EXPECT_EQ(w.S.ScrollX, -30);
  EXPECT_EQ(w.S.ScrollY, 40);
}

}  // namespace
