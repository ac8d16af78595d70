#include "game/Form4.h"

#include "game/DialogFrame.h"
#include "game/SlotLists.h"
#include "game/TrainBuildOrders.h"
#include "platform/rtl/Cp1250.h"
#include "platform/toolkit/Dialogs.h"

TForm4* Form4 = nullptr;

TForm4::TForm4(TComponent* AOwner) : TForm(AOwner) {
  const std::string title = Cp("Wybierz budynki i jednostkę");
  const TDialogFrame frame = MakeDialogFrame(this, "Form4", title, title, 358, 246);
  Shape1 = frame.Shape1;
  Label1 = frame.Label1;
  Shape2 = frame.Shape2;
  ListBox1 = MakeDialogList(this, "ListBox1", 8, 32, 168, 177, clYellow, true, Cp("Budynki zdolne szkolić jednostki"));
  ListBox1->OnClick = TNotifyEvent(this, &TForm4::ListBox1Click);
  ListBox2 = MakeDialogList(this, "ListBox2", 184, 32, 166, 177, clAqua, false, Cp("Wybierz jednostkę"));
  ListBox3 = MakeDialogList(this, "ListBox3", 8, 32, 168, 177, clYellow, true, "");
  ListBox3->SetVisible(false);
  SpeedButton1 = MakeDialogButton(this, "SpeedButton1", 8, 216, 168, "OK");
  SpeedButton1->OnClick = TNotifyEvent(this, &TForm4::SpeedButton1Click);
  SpeedButton2 = MakeDialogButton(this, "SpeedButton2", 184, 216, 166, "Anuluj");
  SpeedButton2->OnClick = TNotifyEvent(this, &TForm4::SpeedButton2Click);
  OnShow = TNotifyEvent(this, &TForm4::FormShow);
  EndDialogLoading(this);
}

bool TForm4::SetCandidates(const std::vector<std::string>& Names) {
  ListBox1->Clear();
  ListBox2->Clear();
  ListBox3->Clear();
  for (const std::string& name : Names) ListBox3->Items()->Add(name);
  return ListBox3->Items()->Count() > 0;
}

void TForm4::ShowItemsOfRow(int Row) {
  ListBox2->Clear();
  if (Game && Row >= 0 && Row < ListBox1->Items()->Count())
    for (const auto& slots : TrainerUnitSlots(*Game, ListBox1->Items()->Strings(Row))) WriteSlotRows(ListBox2, slots);
  if (ListBox2->Items()->Count() > 0) ListBox2->SetItemIndex(0);
}

void TForm4::FormShow(TObject*) {
  AddMissingRows(ListBox3, ListBox1);
  ShowItemsOfRow(0);
  if (ListBox1->Items()->Count() > 0) ListBox1->SetSelected(0, true);
}

void TForm4::ListBox1Click(TObject*) { ShowItemsOfRow(LastSelectedRow(ListBox1)); }

void TForm4::SpeedButton1Click(TObject*) {
  SetModalResult(mrOk);
  std::string item;
  const int typeRow = LastSelectedRow(ListBox1);
  if (!Game || typeRow < 0 || !ItemAtIndex(ListBox2, item)) return;
  StartTraining(*Game, ListBox1->Items()->Strings(typeRow), item, [](const std::string& Text) { ShowMessage(Text); });
}

void TForm4::SpeedButton2Click(TObject*) { SetModalResult(mrCancel); }
