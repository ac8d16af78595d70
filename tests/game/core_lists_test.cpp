#include "game/ObjectLists.h"

#include <gtest/gtest.h>

#include <memory>

#include "game/Movement.h"
#include "platform/rtl/Cp1250.h"
#include "platform/toolkit/Forms.h"
#include "platform/toolkit/StdCtrls.h"
#include "tests/game/core_fixtures.h"

using namespace korvel;

namespace {

class ObjectLists : public ::testing::Test {
 protected:
  void SetUp() override {
    App = std::make_unique<TApplication>();
    List1 = std::make_unique<TListBox>(nullptr);
    List1->SetMultiSelect(true);
    List2 = std::make_unique<TListBox>(nullptr);
    List2->SetMultiSelect(true);
  }
  void TearDown() override {
    List1.reset();
    List2.reset();
    App.reset();
  }
  void Refresh() { RefreshUnitLists(W.S, List1.get(), List2.get()); }
  std::vector<std::string> Rows(const TListBox& L) const {
    std::vector<std::string> rows;
    for (int i = 0; i < L.Items()->Count(); ++i) rows.push_back(L.Items()->Strings(i));
    return rows;
  }

  std::unique_ptr<TApplication> App;
  std::unique_ptr<TListBox> List1, List2;
  TCoreWorld W;
};

TEST_F(ObjectLists, EmptyTablesGiveEmptyLists) {
  List1->Items()->Add("old");
  List2->Items()->Add("old");
  W.S.ListUnitCount = 7;
  Refresh();
  EXPECT_EQ(List1->Items()->Count(), 0);
  EXPECT_EQ(List2->Items()->Count(), 0);
  EXPECT_EQ(W.S.ListUnitCount, 0);
  EXPECT_TRUE(W.S.ListRows.empty());
}

TEST_F(ObjectLists, UnitRowsComeFirstAndTheVisibleListHoldsSelectedNames) {
  W.AddUnit(Cp("Łucznik"), 0, 0, 10, 3).Selected = 1;
  W.AddUnit("Robotnik", 0, 0, 10, 0);
  W.AddUnit(Cp("Łucznik"), 0, 0, 10, 12).Selected = 1;
  W.AddBuilding("Koszary", 0, 0, 10, 5).Selected = 7;  // any non-zero byte selects
  W.AddBuilding(Cp("Wieża"), 0, 0, 10, -2);
  Refresh();
  EXPECT_EQ(Rows(*List1),
            (std::vector<std::string>{Cp("Łucznik 3"), "Robotnik 0", Cp("Łucznik 12"), "Koszary 5", Cp("Wieża -2")}));
  EXPECT_EQ(W.S.ListUnitCount, 3);
  const bool selected[] = {true, false, true, true, false};
  for (int r = 0; r < 5; ++r) EXPECT_EQ(List1->Selected(r), selected[r]) << r;
  EXPECT_EQ(Rows(*List2), (std::vector<std::string>{Cp("Łucznik"), Cp("Łucznik"), "Koszary"}));

  // Each row maps back to its slot.
  EXPECT_EQ(RowUnitSlot(W.S, 2), 3);
  EXPECT_EQ(RowBuildingSlot(W.S, 2), 0);
  EXPECT_EQ(RowBuildingSlot(W.S, W.S.ListUnitCount + 1), 2);
  EXPECT_EQ(RowUnitSlot(W.S, 5), 0);
  EXPECT_EQ(RowUnitSlot(W.S, -1), 0);
}

TEST_F(ObjectLists, ARowWhoseSlotNoLongerHoldsItsObjectActsOnNothing) {
  W.AddUnit("A", 0, 0, 10, 1).Selected = 1;
  W.AddUnit("B", 0, 0, 10, 1).Selected = 1;
  W.AddUnit("C", 0, 0, 10, 1).Selected = 1;
  W.AddBuilding("X", 0, 0, 10, 1).Selected = 1;
  Refresh();
  // The tick removes unit A (C moves to slot 1) and the building.
  RemoveUnit(W.S, 1);
  RemoveBuilding(W.S, 1);
  // The rows stay until the next rebuild, but only B's still holds.
  EXPECT_EQ(List1->Items()->Count(), 4);
  EXPECT_EQ(RowUnitSlot(W.S, 0), 0);  // "A 1": slot 1 holds C now
  EXPECT_EQ(RowUnitSlot(W.S, 1), 2);
  EXPECT_EQ(RowUnitSlot(W.S, 2), 0);  // "C 1": slot 3 is beyond the count
  EXPECT_EQ(RowBuildingSlot(W.S, 3), 0);
  EXPECT_FALSE(RowSelected(W.S, List1.get(), 0));
  EXPECT_TRUE(RowSelected(W.S, List1.get(), 1));
  EXPECT_FALSE(RowSelected(W.S, List1.get(), 2));
  EXPECT_FALSE(RowSelected(W.S, List1.get(), 3));
  EXPECT_FALSE(RowSelected(W.S, List1.get(), 4));

  Refresh();
  EXPECT_EQ(Rows(*List1), (std::vector<std::string>{"C 1", "B 1"}));
  EXPECT_EQ(RowUnitSlot(W.S, 0), 1);
}

TEST_F(ObjectLists, WorksWithoutListBoxes) {
  W.AddUnit("A", 0, 0, 10, 4);
  W.AddBuilding("X", 0, 0, 10, 9);
  RefreshUnitLists(W.S, nullptr, nullptr);
  EXPECT_EQ(W.S.ListUnitCount, 1);
  ASSERT_EQ(W.S.ListRows.size(), 2u);
  EXPECT_EQ(W.S.ListRows[1].Identifier, "X 9");
  EXPECT_EQ(W.S.ListRows[1].Kind, okBuilding);
}

TEST_F(ObjectLists, AnOverlongStoredNameShowsItsFirstHundredCharacters) {
  TUnit& u = W.AddUnit("x", 0, 0, 10, 1);
  u.Name.Len = 200;
  u.Name.Chars.fill('y');
  Refresh();
  EXPECT_EQ(List1->Items()->Strings(0), std::string(100, 'y') + " 1");
  EXPECT_EQ(RowUnitSlot(W.S, 0), 1);
}

}  // namespace
