#include "game/Form3.h"

#include "game/DialogFrame.h"
#include "game/SlotLists.h"
#include "game/SpellCasting.h"
#include "platform/rtl/Cp1250.h"
#include "platform/toolkit/Dialogs.h"

TForm3* Form3 = nullptr;

TForm3::TForm3(TComponent* AOwner) : TForm(AOwner) {
  const std::string title = Cp("Wybierz jednostki i czar");
  const TDialogFrame frame = MakeDialogFrame(this, "Form3", title, title, 360, 246);
  Shape1 = frame.Shape1;
  Label1 = frame.Label1;
  Shape2 = frame.Shape2;
  ListBox1 = MakeDialogList(this, "ListBox1", 8, 32, 168, 177, clYellow, true, Cp("Jednostki zdolne czarować"));
  ListBox1->OnClick = TNotifyEvent(this, &TForm3::ListBox1Click);
  ListBox2 = MakeDialogList(this, "ListBox2", 184, 32, 168, 177, clAqua, false, "Wybierz czar");
  ListBox3 = MakeDialogList(this, "ListBox3", 8, 32, 168, 177, clYellow, true, "");
  ListBox3->SetVisible(false);
  SpeedButton1 = MakeDialogButton(this, "SpeedButton1", 8, 216, 168, "OK");
  SpeedButton1->OnClick = TNotifyEvent(this, &TForm3::SpeedButton1Click);
  SpeedButton2 = MakeDialogButton(this, "SpeedButton2", 184, 216, 168, "Anuluj");
  SpeedButton2->OnClick = TNotifyEvent(this, &TForm3::SpeedButton2Click);
  OnShow = TNotifyEvent(this, &TForm3::FormShow);
  EndDialogLoading(this);
}

bool TForm3::SetCandidates(const std::vector<std::string>& Names) {
  ListBox1->Clear();
  ListBox2->Clear();
  ListBox3->Clear();
  for (const std::string& name : Names) ListBox3->Items()->Add(name);
  return ListBox3->Items()->Count() > 0;
}

void TForm3::AddSpellsOfRow(int Row) {
  if (!Game || Row < 0 || Row >= ListBox1->Items()->Count()) return;
  const std::string& type = ListBox1->Items()->Strings(Row);
  if (!SomeUnitNamed(*Game, type)) return;
  for (const auto& slots : TypeSpellSlots(*Game, type)) WriteSlotRows(ListBox2, slots);
}

void TForm3::SelectFirstRows(bool TypeRowToo) {
  if (ListBox2->Items()->Count() > 0) ListBox2->SetItemIndex(0);
  if (TypeRowToo && ListBox1->Items()->Count() > 0) ListBox1->SetSelected(0, true);
}

void TForm3::FormShow(TObject*) {
  AddMissingRows(ListBox3, ListBox1);
  AddSpellsOfRow(0);
  SelectFirstRows(true);
}

void TForm3::ListBox1Click(TObject*) {
  ListBox2->Clear();
  for (int r = 0; r < ListBox1->Items()->Count(); ++r)
    if (ListBox1->Selected(r)) AddSpellsOfRow(r);
  SelectFirstRows(false);
}

void TForm3::SpeedButton1Click(TObject*) {
  SetModalResult(mrOk);
  std::string spell;
  // With no spell in the list there is nothing to choose: OK then acts as Anuluj.
  if (!Game || ListBox1->Items()->Count() == 0 || !ItemAtIndex(ListBox2, spell)) return;
  // The spell list mixes the spells of every chosen type row (row 0 when
  // none is chosen): the spell is cast by the last of them whose type lists it.
  std::vector<std::string> types;
  for (int r = 0; r < ListBox1->Items()->Count(); ++r)
    if (ListBox1->Selected(r)) types.push_back(ListBox1->Items()->Strings(r));
  if (types.empty()) types.push_back(ListBox1->Items()->Strings(0));
  const int chosen = CasterTypeFor(*Game, types, spell);
  const TMessageSink box = [](const std::string& Text) { ShowMessage(Text); };
  if (chosen < 0) {
    Tell(box, SpellUnknownText());
    return;
  }
  ChooseSpell(*Game, types[static_cast<std::size_t>(chosen)], spell, box);
}

void TForm3::SpeedButton2Click(TObject*) { SetModalResult(mrCancel); }
