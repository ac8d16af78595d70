#include "editor/BuildingForm.h"

#include <climits>

#include "editor/MainForm.h"
#include "editor/UnitForm.h"
#include "platform/rtl/Cp1250.h"
#include "platform/toolkit/Dialogs.h"

TForm3* Form3 = nullptr;

namespace {

template <class T>
T* Place(TForm* Owner, const char* Name, TWinControl* Parent, int Left, int Top, int Width, int Height) {
  auto* c = new T(Owner);
  c->SetName(Name);
  c->SetParent(Parent);
  c->SetBounds(Left, Top, Width, Height);
  return c;
}

TGroupBox* MakeGroup(TForm* Owner, const char* Name, const char* Utf8, int Left, int Top, int Width, int Height) {
  auto* g = Place<TGroupBox>(Owner, Name, Owner, Left, Top, Width, Height);
  g->SetCaption(Cp(Utf8));
  return g;
}

}  // namespace

TForm3::TForm3(TComponent* AOwner) : TForm(AOwner) {
  SetName("Form3");
  SetCaption("Budynek");
  SetBorderStyle(bsSizeable);
  SetPosition(poScreenCenter);
  SetClientWidth(322);
  SetClientHeight(330);
  MakeDialogTitle(this, 322, "Budynek", Shape1, Label1);

  GroupBox1 = MakeGroup(this, "GroupBox1", "Pozycja", 8, 34, 306, 72);
  SpinEdit1 = MakeDialogSpin(this, GroupBox1, "SpinEdit1", "X:", 8, 18, 30, 120, -INT_MAX, INT_MAX, 0);
  SpinEdit2 = MakeDialogSpin(this, GroupBox1, "SpinEdit2", "Y:", 8, 44, 30, 120, 0, INT_MAX, 0);
  GroupBox3 = MakeGroup(this, "GroupBox3", "Typ budynku", 8, 110, 306, 48);
  ComboBox1 = Place<TComboBox>(this, "ComboBox1", GroupBox3, 8, 18, 290, 22);
  GroupBox4 = MakeGroup(this, "GroupBox4", "Statystyki", 8, 162, 306, 74);
  SpinEdit3 = MakeDialogSpin(this, GroupBox4, "SpinEdit3", "Życie %:", 8, 18, 66, 66, 1, 100, 100);
  SpinEdit4 = MakeDialogSpin(this, GroupBox4, "SpinEdit4", "Obrona %:", 156, 18, 66, 66, 1, 100, 100);
  SpinEdit5 = MakeDialogSpin(this, GroupBox4, "SpinEdit5", "Atak %:", 8, 46, 66, 66, 1, 100, 100);
  GroupBox5 = MakeGroup(this, "GroupBox5", "Gra", 8, 240, 306, 50);
  CheckBox1 = Place<TCheckBox>(this, "CheckBox1", GroupBox5, 8, 20, 110, 20);
  CheckBox1->SetCaption(Cp("Aktywność"));
  SpinEdit6 = MakeDialogSpin(this, GroupBox5, "SpinEdit6", "Numer wezwania:", 128, 18, 110, 50, 0, 9, 0);

  SpeedButton1 = Place<TSpeedButton>(this, "SpeedButton1", this, 8, 296, 149, 28);
  SpeedButton1->SetCaption("OK");
  SpeedButton1->OnClick = TNotifyEvent(this, &TForm3::SpeedButton1Click);
  SpeedButton2 = Place<TSpeedButton>(this, "SpeedButton2", this, 165, 296, 149, 28);
  SpeedButton2->SetCaption("Anuluj");
  SpeedButton2->OnClick = TNotifyEvent(this, &TForm3::SpeedButton2Click);
}

TBuildingFields TForm3::Fields() const {
  TBuildingFields f;
  f.Name = ComboBox1->Text();
  f.X = SpinEdit1->Value();
  f.Y = SpinEdit2->Value();
  f.LifePct = SpinEdit3->Value();
  f.DefensePct = SpinEdit4->Value();
  f.AttackPct = SpinEdit5->Value();
  f.Selected = CheckBox1->Checked();
  f.Group = SpinEdit6->Value();
  return f;
}

void TForm3::SetFields(const TBuildingFields& F) {
  SelectTypeName(ComboBox1, F.Name);
  SpinEdit1->SetValue(F.X);
  SpinEdit2->SetValue(F.Y);
  SpinEdit3->SetValue(F.LifePct);
  SpinEdit4->SetValue(F.DefensePct);
  SpinEdit5->SetValue(F.AttackPct);
  CheckBox1->SetChecked(F.Selected);
  SpinEdit6->SetValue(F.Group);
}

void TForm3::SpeedButton1Click(TObject*) {
  const TBuildingFields fields = Fields();
  TEditorState& state = Form1->State();
  if (fields.Name.empty()) {
    ShowMessage(Cp("Wybierz rodzaj budynku!"));
    return;
  }
  if (state.EditIndex == 0 && state.BuildingCount >= MaxBuildings) {
    ShowMessage(Cp("Za dużo budynków!"));
    return;
  }
  if (WriteBuilding(state, fields) == 0) return;
  Form1->RefreshBuildingList();
  SetModalResult(mrOk);
}

void TForm3::SpeedButton2Click(TObject*) {
  SetModalResult(mrCancel);
  SpinEdit1->SetValue(0);
  SpinEdit2->SetValue(0);
  for (TSpinEdit* s : {SpinEdit3, SpinEdit4, SpinEdit5}) s->SetValue(100);
  SpinEdit6->SetValue(0);
  ComboBox1->Clear();
  CheckBox1->SetChecked(false);
}
