#include "game/OrderDialog.h"

#include "game/DialogFrame.h"
#include "game/SlotLists.h"
#include "platform/toolkit/Dialogs.h"
#include "platform/toolkit/FormBuilder.h"

namespace korvel {

TOrderDialog::TOrderDialog(TComponent* AOwner, const TMakeUp& MakeUp) : TForm(AOwner) {
  LoadForm(this, [this, &MakeUp] {
    const TDialogFrame frame =
        MakeDialogFrame(this, MakeUp.Name, MakeUp.Title, MakeUp.Title, MakeUp.Width, MakeUp.Height);
    Shape1 = frame.Shape1;
    Label1 = frame.Label1;
    Shape2 = frame.Shape2;
    ListBox1 = MakeDialogList(this, "ListBox1", 8, 32, 168, 177, clYellow, true, MakeUp.TypeHint);
    ListBox1->OnClick = TNotifyEvent(this, &TOrderDialog::ListBox1Click);
    ListBox2 = MakeDialogList(this, "ListBox2", 184, 32, MakeUp.ItemListWidth, 177, clAqua, false, MakeUp.ItemHint);
    ListBox3 = MakeDialogList(this, "ListBox3", 8, 32, 168, 177, clYellow, true, "");
    ListBox3->SetVisible(false);
    SpeedButton1 = MakeDialogButton(this, "SpeedButton1", 8, 216, 168, "OK");
    SpeedButton1->OnClick = TNotifyEvent(this, &TOrderDialog::SpeedButton1Click);
    SpeedButton2 = MakeDialogButton(this, "SpeedButton2", 184, 216, MakeUp.ItemListWidth, "Anuluj");
    SpeedButton2->OnClick = TNotifyEvent(this, &TOrderDialog::SpeedButton2Click);
    OnShow = TNotifyEvent(this, &TOrderDialog::FormShow);
  });
}

bool TOrderDialog::SetCandidates(const std::vector<std::string>& Names) {
  ListBox1->Clear();
  ListBox2->Clear();
  ListBox3->Clear();
  for (const std::string& name : Names) ListBox3->Items()->Add(name);
  return ListBox3->Items()->Count() > 0;
}

void TOrderDialog::ShowItemsOfRows(const std::vector<int>& Rows) {
  ListBox2->Clear();
  for (int row : Rows)
    if (Game && row >= 0 && row < ListBox1->Items()->Count())
      WriteItemsOfType(ListBox1->Items()->Strings(row), ListBox2);
  if (ListBox2->Items()->Count() > 0) ListBox2->SetItemIndex(0);
}

std::vector<int> TOrderDialog::ChosenTypeRows() const {
  const int row = LastSelectedRow(ListBox1);
  if (row < 0) return {};
  return {row};
}

void TOrderDialog::FormShow(TObject*) {
  AddMissingRows(ListBox3, ListBox1);
  ShowItemsOfRows({0});
  if (ListBox1->Items()->Count() > 0) ListBox1->SetSelected(0, true);
}

void TOrderDialog::ListBox1Click(TObject*) { ShowItemsOfRows(ChosenTypeRows()); }

void TOrderDialog::SpeedButton1Click(TObject*) {
  SetModalResult(mrOk);
  std::string item;
  if (!Game || ListBox1->Items()->Count() == 0 || !ItemAtIndex(ListBox2, item)) return;
  GiveChosenOrder(item);
}

void TOrderDialog::GiveChosenOrder(const std::string& Item) {
  const std::vector<int> rows = ChosenTypeRows();
  if (!rows.empty()) GiveOrder(ListBox1->Items()->Strings(rows.back()), Item);
}

void TOrderDialog::SpeedButton2Click(TObject*) { SetModalResult(mrCancel); }

void TOrderDialog::ShowOrderMessage(const std::string& Text) { ShowMessage(Text); }

}  // namespace korvel
