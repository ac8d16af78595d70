#include <QItemSelectionModel>
#include <QListWidget>
#include <string>
#include <vector>

#include "ctrl_fixture.h"
#include "platform/toolkit/StdCtrls.h"

namespace {

// Counts each selection change the list's widget is given.
class TCountingSelection : public QItemSelectionModel {
 public:
  using QItemSelectionModel::QItemSelectionModel;
  void select(const QModelIndex& Index, QItemSelectionModel::SelectionFlags Command) override {
    ++Calls;
    QItemSelectionModel::select(Index, Command);
  }
  void select(const QItemSelection& Selection, QItemSelectionModel::SelectionFlags Command) override {
    ++Calls;
    QItemSelectionModel::select(Selection, Command);
  }
  int Calls = 0;
};

class TListSyncTest : public TControlsTest {
 protected:
  void SetUp() override {
    TControlsTest::SetUp();
    List = Make<TListBox>("ListBox1", 10, 10, 150, 200);
    List->SetMultiSelect(true);
    List->OnClick = [this](TObject*) { ++Clicks; };
    ShowMain();
    QListWidget* w = Widget();
    Counter = new TCountingSelection(w->model(), w);
    w->setSelectionModel(Counter);
  }
  QListWidget* Widget() const { return qobject_cast<QListWidget*>(List->Widget()); }
  // The list filled again row by row, each row selected as it comes, as the
  // game's object lists are refreshed.
  void Refill(int Rows, bool (*Selected)(int)) {
    List->Clear();
    for (int r = 0; r < Rows; ++r) {
      const int index = List->Items()->Add("piechur " + std::to_string(r + 1));
      List->SetSelected(index, Selected(r));
    }
  }
  std::vector<int> WidgetRows() const {
    std::vector<int> rows;
    for (int i = 0; i < Widget()->count(); ++i)
      if (Widget()->item(i)->isSelected()) rows.push_back(i);
    return rows;
  }
  TListBox* List = nullptr;
  TCountingSelection* Counter = nullptr;
  int Clicks = 0;
};

}  // namespace

// A refill of 300 rows gives the widget its selection once, not once a row
// (each of which went over the whole list), and shows every selected row.
TEST_F(TListSyncTest, ARefillReachesTheWidgetInOneSelection) {
  struct TCase {
    const char* Name;
    bool (*Selected)(int);
  };
  const TCase cases[] = {
      {"all", [](int) { return true; }},
      {"every third", [](int r) { return r % 3 == 0; }},
      {"none", [](int) { return false; }},
  };
  for (const TCase& c : cases) {
    Counter->Calls = 0;
    Refill(300, c.Selected);
    // The same rows selected again, as the game marks the rows of the names
    // picked in its visible list, many times over.
    for (int pass = 0; pass < 50; ++pass)
      for (int r = 0; r < 300; ++r) List->SetSelected(r, c.Selected(r));
    Driver->Pump(1);
    EXPECT_LE(Counter->Calls, 2) << c.Name;
    std::vector<int> expected;
    for (int r = 0; r < 300; ++r)
      if (c.Selected(r)) expected.push_back(r);
    EXPECT_EQ(WidgetRows(), expected) << c.Name;
    EXPECT_EQ(List->SelCount(), static_cast<int>(expected.size())) << c.Name;
  }
  EXPECT_EQ(Clicks, 0);  // code setting the selection is no click
}

// A click that comes before the event loop had a turn acts on the rows and
// selection the code just set.
TEST_F(TListSyncTest, AClickRightAfterARefillSeesTheNewRows) {
  Refill(5, [](int r) { return r == 0; });
  Refill(300, [](int r) { return r >= 100; });
  Controls->ClickListRow(List, 3, {ssCtrl});
  EXPECT_EQ(Clicks, 1);
  EXPECT_TRUE(List->Selected(3));
  EXPECT_FALSE(List->Selected(0));
  EXPECT_TRUE(List->Selected(100));
  EXPECT_EQ(List->SelCount(), 201);
  Driver->Pump(1);
  EXPECT_EQ(static_cast<int>(WidgetRows().size()), 201);
  EXPECT_EQ(List->ItemAtPos(POINT{5, List->ItemRect(3).top + 1}), 3);
}
