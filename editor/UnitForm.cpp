#include "editor/UnitForm.h"

#include <climits>

#include "editor/MainForm.h"
#include "platform/rtl/Cp1250.h"
#include "platform/toolkit/Dialogs.h"

TForm2* Form2 = nullptr;

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

void MakeDialogTitle(TForm* Form, int Width, const char* Utf8, TShape*& Band, TLabel*& Label) {
  Band = Place<TShape>(Form, "Shape1", Form, 0, 0, Width, 28);
  Band->Brush()->SetColor(clNavy);
  Band->Pen()->SetColor(clNavy);
  Label = Place<TLabel>(Form, "Label1", Form, 8, 4, 10, 10);
  Label->SetTransparent(true);
  Label->Font()->SetName("Comic Sans MS");
  Label->Font()->SetStyle({fsBold});
  Label->Font()->SetColor(clWhite);
  Label->Font()->SetHeight(-15);
  Label->SetCaption(Cp(Utf8));
}

TSpinEdit* MakeDialogSpin(TForm* Form, TWinControl* Parent, const char* Name, const char* LabelUtf8, int Left,
                          int Top, int LabelWidth, int Width, int Min, int Max, int Value) {
  auto* label = Place<TLabel>(Form, (std::string("Label_") + Name).c_str(), Parent, Left, Top + 4, 10, 13);
  label->SetCaption(Cp(LabelUtf8));
  auto* spin = Place<TSpinEdit>(Form, Name, Parent, Left + LabelWidth, Top, Width, 22);
  spin->SetMinValue(Min);
  spin->SetMaxValue(Max);
  spin->SetValue(Value);
  return spin;
}

void SelectTypeName(TComboBox* Combo, const std::string& Name) {
  int found = -1;
  for (int i = 0; i < Combo->Items()->Count(); ++i)
    if (Combo->Items()->Strings(i) == Name) found = i;
  if (found >= 0)
    Combo->SetItemIndex(found);
  else {
    Combo->SetItemIndex(-1);
    Combo->SetText(Name);
  }
}

TForm2::TForm2(TComponent* AOwner) : TForm(AOwner) {
  SetName("Form2");
  SetCaption("Jednostka");
  SetBorderStyle(bsNone);
  SetPosition(poScreenCenter);
  SetClientWidth(314);
  SetClientHeight(339);
  MakeDialogTitle(this, 314, "Jednostka", Shape1, Label1);

  GroupBox1 = MakeGroup(this, "GroupBox1", "Pozycja", 8, 34, 145, 72);
  SpinEdit1 = MakeDialogSpin(this, GroupBox1, "SpinEdit1", "X:", 8, 18, 40, 92, -INT_MAX, INT_MAX, 0);
  SpinEdit2 = MakeDialogSpin(this, GroupBox1, "SpinEdit2", "Y:", 8, 44, 40, 92, 0, INT_MAX, 0);
  GroupBox2 = MakeGroup(this, "GroupBox2", "Poruszanie", 161, 34, 145, 72);
  SpinEdit3 = MakeDialogSpin(this, GroupBox2, "SpinEdit3", "Cel X:", 8, 18, 40, 92, -INT_MAX, INT_MAX, 0);
  SpinEdit4 = MakeDialogSpin(this, GroupBox2, "SpinEdit4", "Cel Y:", 8, 44, 40, 92, 0, INT_MAX, 0);
  GroupBox3 = MakeGroup(this, "GroupBox3", "Typ jednostki", 8, 110, 298, 48);
  ComboBox1 = Place<TComboBox>(this, "ComboBox1", GroupBox3, 8, 18, 282, 22);
  GroupBox4 = MakeGroup(this, "GroupBox4", "Statystyki", 8, 162, 298, 74);
  SpinEdit5 = MakeDialogSpin(this, GroupBox4, "SpinEdit5", "Życie %:", 8, 18, 66, 66, 1, 100, 100);
  SpinEdit6 = MakeDialogSpin(this, GroupBox4, "SpinEdit6", "Mana %:", 152, 18, 66, 66, 1, 100, 100);
  SpinEdit7 = MakeDialogSpin(this, GroupBox4, "SpinEdit7", "Atak %:", 8, 46, 66, 66, 1, 100, 100);
  SpinEdit8 = MakeDialogSpin(this, GroupBox4, "SpinEdit8", "Obrona %:", 152, 46, 66, 66, 1, 100, 100);
  GroupBox5 = MakeGroup(this, "GroupBox5", "Gra", 8, 240, 298, 56);
  CheckBox1 = Place<TCheckBox>(this, "CheckBox1", GroupBox5, 8, 22, 110, 20);
  CheckBox1->SetCaption(Cp("Aktywność"));
  SpinEdit9 = MakeDialogSpin(this, GroupBox5, "SpinEdit9", "Numer wezwania:", 128, 20, 110, 50, 0, 9, 0);

  SpeedButton1 = Place<TSpeedButton>(this, "SpeedButton1", this, 8, 304, 145, 28);
  SpeedButton1->SetCaption("OK");
  SpeedButton1->OnClick = TNotifyEvent(this, &TForm2::SpeedButton1Click);
  SpeedButton2 = Place<TSpeedButton>(this, "SpeedButton2", this, 161, 304, 145, 28);
  SpeedButton2->SetCaption("Anuluj");
  SpeedButton2->OnClick = TNotifyEvent(this, &TForm2::SpeedButton2Click);
}

TUnitFields TForm2::Fields() const {
  TUnitFields f;
  f.Name = ComboBox1->Text();
  f.X = SpinEdit1->Value();
  f.Y = SpinEdit2->Value();
  f.TargetX = SpinEdit3->Value();
  f.TargetY = SpinEdit4->Value();
  f.LifePct = SpinEdit5->Value();
  f.ManaPct = SpinEdit6->Value();
  f.AttackPct = SpinEdit7->Value();
  f.DefensePct = SpinEdit8->Value();
  f.Selected = CheckBox1->Checked();
  f.Group = SpinEdit9->Value();
  return f;
}

void TForm2::SetFields(const TUnitFields& F) {
  SelectTypeName(ComboBox1, F.Name);
  SpinEdit1->SetValue(F.X);
  SpinEdit2->SetValue(F.Y);
  SpinEdit3->SetValue(F.TargetX);
  SpinEdit4->SetValue(F.TargetY);
  SpinEdit5->SetValue(F.LifePct);
  SpinEdit6->SetValue(F.ManaPct);
  SpinEdit7->SetValue(F.AttackPct);
  SpinEdit8->SetValue(F.DefensePct);
  CheckBox1->SetChecked(F.Selected);
  SpinEdit9->SetValue(F.Group);
}

void TForm2::SpeedButton1Click(TObject*) {
  // Without a type name, or with every slot taken, nothing is written, the
  // user is told why and the dialog stays open.
  const TUnitFields fields = Fields();
  TEditorState& state = Form1->State();
  if (fields.Name.empty()) {
    ShowMessage(Cp("Wybierz rodzaj jednostki!"));
    return;
  }
  if (state.EditIndex == 0 && state.UnitCount >= MaxUnits) {
    ShowMessage(Cp("Za dużo jednostek!"));
    return;
  }
  if (WriteUnit(state, fields) == 0) return;
  Form1->RefreshUnitList();
  SetModalResult(mrOk);
}

void TForm2::SpeedButton2Click(TObject*) {
  SetModalResult(mrCancel);
  for (TSpinEdit* s : {SpinEdit1, SpinEdit2, SpinEdit3, SpinEdit4}) s->SetValue(0);
  for (TSpinEdit* s : {SpinEdit5, SpinEdit6, SpinEdit7, SpinEdit8}) s->SetValue(100);
  SpinEdit9->SetValue(0);
  ComboBox1->Clear();
  CheckBox1->SetChecked(false);
}
