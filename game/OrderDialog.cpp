#include "game/OrderDialog.h"

#include "game/DialogFrame.h"
#include "game/SlotLists.h"

TOrderDialog::TOrderDialog(TComponent* AOwner, const TMakeUp& MakeUp) : TForm(AOwner) {
  const TDialogFrame frame = MakeDialogFrame(this, MakeUp.Name, MakeUp.Title, MakeUp.Title, MakeUp.Width, MakeUp.Height);
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
  EndDialogLoading(this);
}

bool TOrderDialog::SetCandidates(const std::vector<std::string>& Names) {
  ListBox1->Clear();
  ListBox2->Clear();
  ListBox3->Clear();
  for (const std::string& name : Names) ListBox3->Items()->Add(name);
  return ListBox3->Items()->Count() > 0;
}

void TOrderDialog::ShowItemsOfRow(int Row) {
  ListBox2->Clear();
  if (Game && Row >= 0 && Row < ListBox1->Items()->Count()) WriteItemsOfType(ListBox1->Items()->Strings(Row), ListBox2);
  if (ListBox2->Items()->Count() > 0) ListBox2->SetItemIndex(0);
}

void TOrderDialog::FormShow(TObject*) {
  AddMissingRows(ListBox3, ListBox1);
  ShowItemsOfRow(0);
  if (ListBox1->Items()->Count() > 0) ListBox1->SetSelected(0, true);
}

void TOrderDialog::ListBox1Click(TObject*) { ShowItemsOfRow(LastSelectedRow(ListBox1)); }

void TOrderDialog::SpeedButton1Click(TObject*) {
  SetModalResult(mrOk);
  std::string item;
  const int typeRow = LastSelectedRow(ListBox1);
  if (!Game || typeRow < 0 || !ItemAtIndex(ListBox2, item)) return;
  GiveOrder(ListBox1->Items()->Strings(typeRow), item);
}

void TOrderDialog::SpeedButton2Click(TObject*) { SetModalResult(mrCancel); }
