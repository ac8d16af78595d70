#include <string>
#include <vector>

#include "ctrl_fixture.h"
#include "platform/rtl/Cp1250.h"
#include "platform/rtl/Exceptions.h"
#include "platform/toolkit/StdCtrls.h"

namespace {

std::vector<int> SelectedRows(TCustomListBox* l) {
  std::vector<int> rows;
  for (int i = 0; i < l->Items()->Count(); ++i)
    if (l->Selected(i)) rows.push_back(i);
  return rows;
}

class TListBoxTest : public TControlsTest {
 protected:
  TListBox* MakeList(bool multi) {
    auto* l = Make<TListBox>("ListBox1", 10, 10, 150, 200);
    l->SetMultiSelect(multi);
    l->SetItemHeight(16);
    for (const char* s : {"piechur 1", "rycerz 2", "mag 3", "zamek 1", "wieża 2"}) l->Items()->Add(Cp(s));
    l->OnClick = [this](TObject*) { ++Clicks; };
    return l;
  }
  int Clicks = 0;
};

}  // namespace

TEST_F(TListBoxTest, ExtendedSelectionFollowsClicksWithCtrlAndShift) {
  TListBox* l = MakeList(true);
  ShowMain();
  struct TStep {
    int Row;
    TShiftState Shift;
    std::vector<int> Expected;
  };
  const TStep steps[] = {
      {1, {}, {1}},                          // a plain click selects one row
      {3, {ssCtrl}, {1, 3}},                 // Ctrl adds a row
      {1, {ssCtrl}, {3}},                    // Ctrl on a selected row takes it out
      {0, {ssShift}, {0, 1}},                // Shift selects from the anchor (the last click) alone
      {3, {ssShift, ssCtrl}, {0, 1, 2, 3}},  // Ctrl+Shift adds the range
      {4, {}, {4}},                          // a plain click starts again
  };
  int clicks = 0;
  for (const TStep& s : steps) {
    Controls->ClickListRow(l, s.Row, s.Shift);
    ++clicks;
    EXPECT_EQ(SelectedRows(l), s.Expected) << "row " << s.Row;
    EXPECT_EQ(l->ItemIndex(), s.Row);
    EXPECT_EQ(Clicks, clicks);
  }
  EXPECT_EQ(l->SelCount(), 1);
}

TEST_F(TListBoxTest, CodeChangesTheSelectionWithoutOnClick) {
  TListBox* l = MakeList(true);
  ShowMain();
  l->SetSelected(0, true);
  l->SetSelected(2, true);
  l->SetItemIndex(2);
  EXPECT_EQ(SelectedRows(l), (std::vector<int>{0, 2}));
  EXPECT_EQ(Clicks, 0);
  // A user click on an already selected single row changes nothing: no click.
  Controls->ClickListRow(l, 2, {ssCtrl});
  EXPECT_EQ(SelectedRows(l), (std::vector<int>{0}));
  EXPECT_EQ(Clicks, 1);
  l->Items()->Clear();
  EXPECT_EQ(l->Items()->Count(), 0);
  EXPECT_EQ(Clicks, 1);
}

TEST_F(TListBoxTest, SingleSelectionKeepsOneRowAndTheItemIndex) {
  TListBox* l = MakeList(false);
  ShowMain();
  EXPECT_EQ(l->ItemIndex(), -1);
  l->SetItemIndex(0);
  EXPECT_TRUE(l->Selected(0));
  l->SetSelected(3, true);
  EXPECT_EQ(SelectedRows(l), (std::vector<int>{3}));
  EXPECT_EQ(l->ItemIndex(), 3);
  l->SetSelected(1, false);  // deselecting clears the item index
  EXPECT_EQ(l->ItemIndex(), -1);
  Controls->ClickListRow(l, 2, {ssCtrl});
  EXPECT_EQ(l->ItemIndex(), 2);
  EXPECT_EQ(SelectedRows(l), (std::vector<int>{2}));
  EXPECT_EQ(Clicks, 1);
  Controls->ClickListRow(l, 2);  // the same row again: no change, no click
  EXPECT_EQ(Clicks, 1);
}

TEST_F(TListBoxTest, RowsOutsideTheListRaiseTheListError) {
  TListBox* l = MakeList(true);
  for (int bad : {-1, 5}) {
    try {
      l->SetSelected(bad, true);
      ADD_FAILURE() << bad;
    } catch (const EListError& e) { EXPECT_EQ(e.Message(), "List index out of bounds (" + std::to_string(bad) + ")"); }
    EXPECT_THROW(l->Selected(bad), EListError);
    EXPECT_THROW(l->Items()->Strings(bad), EListError);
  }
}

// The game's hidden object list: never shown, never given a window, and one
// without a parent at all.
TEST_F(TListBoxTest, HiddenListsWorkWithoutAWindow) {
  TListBox* hidden = MakeList(true);
  hidden->SetVisible(false);
  auto* orphan = new TListBox(Main);
  orphan->SetMultiSelect(true);
  ShowMain();
  for (TListBox* l : {hidden, orphan}) {
    l->Items()->Clear();
    l->Items()->Add("a 1");
    l->Items()->Add("b 2");
    l->Items()->Add("c 3");
    l->SetSelected(1, true);
    l->Items()->Delete(0);
    EXPECT_EQ(l->Items()->Count(), 2);
    EXPECT_EQ(l->Items()->Strings(0), "b 2");
    EXPECT_TRUE(l->Selected(0));
    EXPECT_FALSE(l->Selected(1));
  }
  EXPECT_EQ(orphan->Widget(), nullptr);
}

TEST_F(TListBoxTest, ColumnsAndItemHeightLayTheRowsOut) {
  TListBox* l = MakeList(true);
  l->SetBounds(10, 10, 300, 60);
  l->SetColumns(3);
  ShowMain();
  RECT r0 = l->ItemRect(0), r1 = l->ItemRect(1), r2 = l->ItemRect(2);
  EXPECT_EQ(r0.bottom - r0.top, 16);
  EXPECT_EQ(r1.left, r0.left);  // the second row under the first
  EXPECT_EQ(r1.top, r0.bottom);
  EXPECT_GT(r2.left, r0.left);  // the third starts the next column
  EXPECT_EQ(r2.top, r0.top);
  Controls->ClickListRow(l, 2);
  EXPECT_EQ(SelectedRows(l), (std::vector<int>{2}));
}

TEST_F(TListBoxTest, RowsAddedAfterShowingKeepTheItemHeight) {
  TListBox* l = MakeList(false);
  ShowMain();
  l->Clear();
  for (const char* s : {"Kula Ognia", "Uzdrowienie", "Teleportacja"}) l->Items()->Add(s);
  Driver->Pump(2);
  for (int i = 0; i < 3; ++i) {
    RECT r = l->ItemRect(i);
    EXPECT_EQ(r.bottom - r.top, 16) << i;
  }
  EXPECT_EQ(l->ItemRect(2).top - l->ItemRect(0).top, 32);
}

TEST_F(TListBoxTest, ArrowKeysMoveTheSelectionAndClickOnce) {
  TListBox* l = MakeList(false);
  ShowMain();
  Controls->ClickListRow(l, 1);
  EXPECT_EQ(Clicks, 1);
  Driver->PressKey(VK_DOWN);
  EXPECT_EQ(l->ItemIndex(), 2);
  EXPECT_EQ(SelectedRows(l), (std::vector<int>{2}));
  EXPECT_EQ(Clicks, 2);
  std::vector<WORD> keys;
  l->OnKeyDown = [&](TObject*, WORD& Key, TShiftState) {
    keys.push_back(Key);
    Key = 0;  // consumed: the list does not move
  };
  Driver->PressKey(VK_DOWN);
  EXPECT_EQ(l->ItemIndex(), 2);
  EXPECT_EQ(Clicks, 2);
  EXPECT_EQ(keys, (std::vector<WORD>{VK_DOWN}));
}
