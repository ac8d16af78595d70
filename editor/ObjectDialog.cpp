#include "editor/ObjectDialog.h"

#include <cstdint>

#include "editor/MainForm.h"
#include "platform/rtl/Cp1250.h"
#include "platform/toolkit/Dialogs.h"
#include "platform/toolkit/FormBuilder.h"

namespace sandreth {

namespace {

// The dialogs' boxes stand this far from the window's edges.
constexpr int Margin = 8;

}  // namespace

TObjectDialog::TObjectDialog(TComponent* AOwner, const char* NoTypeUtf8, const char* FullUtf8)
    : TForm(AOwner), FNoType(Cp(NoTypeUtf8)), FFull(Cp(FullUtf8)) {}

// ---- Make-up ----------------------------------------------------------------

void TObjectDialog::MakeFrame(const char* Name, const char* Title, TFormBorderStyle Border, int Width, int Height) {
  SetName(Name);
  SetCaption(Cp(Title));
  SetBorderStyle(Border);
  SetPosition(poScreenCenter);
  SetClientWidth(Width);
  SetClientHeight(Height);
  FBoxWidth = Width - 2 * Margin;
  // A navy strip with the caption in white "Comic Sans MS" bold.
  Shape1 = MakeComponent<TShape>(this, "Shape1", this, 0, 0, Width, 28);
  Shape1->Brush()->SetColor(clNavy);
  Shape1->Pen()->SetColor(clNavy);
  Label1 = MakeComponent<TLabel>(this, "Label1", this, 8, 4, 10, 10);
  Label1->SetTransparent(true);
  Label1->Font()->SetName("Comic Sans MS");
  Label1->Font()->SetStyle({fsBold});
  Label1->Font()->SetColor(clWhite);
  Label1->Font()->SetHeight(-15);
  Label1->SetCaption(Cp(Title));
}

TGroupBox* TObjectDialog::MakeGroup(const char* Name, const char* Utf8, int Left, int Top, int Width, int Height) {
  auto* g = MakeComponent<TGroupBox>(this, Name, this, Left, Top, Width, Height);
  g->SetCaption(Cp(Utf8));
  return g;
}

TSpinEdit* TObjectDialog::MakeSpin(TWinControl* Parent, const char* Name, const char* LabelUtf8, int Left, int Top,
                                   int LabelWidth, int Width, int Min, int Max, int Value) {
  auto* label = MakeComponent<TLabel>(this, (std::string("Label_") + Name).c_str(), Parent, Left, Top + 4, 10, 13);
  label->SetCaption(Cp(LabelUtf8));
  auto* spin = MakeComponent<TSpinEdit>(this, Name, Parent, Left + LabelWidth, Top, Width, 22);
  spin->SetMinValue(Min);
  spin->SetMaxValue(Max);
  spin->SetValue(Value);
  return spin;
}

void TObjectDialog::MakePosition(int Width, int LabelWidth, int SpinWidth) {
  GroupBox1 = MakeGroup("GroupBox1", "Pozycja", Margin, 34, Width, 72);
  SpinEdit1 = MakeSpin(GroupBox1, "SpinEdit1", "X:", 8, 18, LabelWidth, SpinWidth, -INT32_MAX, INT32_MAX, 0);
  SpinEdit2 = MakeSpin(GroupBox1, "SpinEdit2", "Y:", 8, 44, LabelWidth, SpinWidth, 0, INT32_MAX, 0);
}

void TObjectDialog::MakeTypeList(const char* CaptionUtf8) {
  GroupBox3 = MakeGroup("GroupBox3", CaptionUtf8, Margin, 110, FBoxWidth, 48);
  ComboBox1 = MakeComponent<TComboBox>(this, "ComboBox1", GroupBox3, 8, 18, FBoxWidth - 16, 22);
}

void TObjectDialog::MakeStatistics() { GroupBox4 = MakeGroup("GroupBox4", "Statystyki", Margin, 162, FBoxWidth, 74); }

TSpinEdit* TObjectDialog::MakeStat(const char* Name, const char* LabelUtf8, int Left, int Top) {
  return MakeSpin(GroupBox4, Name, LabelUtf8, Left, Top, 66, 66, 1, 100, 100);
}

TSpinEdit* TObjectDialog::MakeGame(int Height, int CheckTop, const char* GroupName, int GroupTop) {
  GroupBox5 = MakeGroup("GroupBox5", "Gra", Margin, 240, FBoxWidth, Height);
  CheckBox1 = MakeComponent<TCheckBox>(this, "CheckBox1", GroupBox5, 8, CheckTop, 110, 20);
  CheckBox1->SetCaption(Cp("Aktywność"));
  Group = MakeSpin(GroupBox5, GroupName, "Numer wezwania:", 128, GroupTop, 110, 50, 0, 9, 0);
  return Group;
}

void TObjectDialog::MakeButtons(int Top, int Width) {
  SpeedButton1 = MakeComponent<TSpeedButton>(this, "SpeedButton1", this, Margin, Top, Width, 28);
  SpeedButton1->SetCaption("OK");
  SpeedButton1->OnClick = TNotifyEvent(this, &TObjectDialog::SpeedButton1Click);
  SpeedButton2 = MakeComponent<TSpeedButton>(this, "SpeedButton2", this, 2 * Margin + Width, Top, Width, 28);
  SpeedButton2->SetCaption("Anuluj");
  SpeedButton2->OnClick = TNotifyEvent(this, &TObjectDialog::SpeedButton2Click);
}

// ---- Fields -----------------------------------------------------------------

void TObjectDialog::ReadCommon(TObjectFields& F) const {
  F.Name = ComboBox1->Text();
  F.X = SpinEdit1->Value();
  F.Y = SpinEdit2->Value();
  F.LifePct = Life->Value();
  F.AttackPct = Attack->Value();
  F.DefensePct = Defense->Value();
  F.Selected = CheckBox1->Checked();
  F.Group = Group->Value();
}

void TObjectDialog::ShowCommon(const TObjectFields& F) {
  SelectTypeName(ComboBox1, F.Name);
  SpinEdit1->SetValue(F.X);
  SpinEdit2->SetValue(F.Y);
  Life->SetValue(F.LifePct);
  Attack->SetValue(F.AttackPct);
  Defense->SetValue(F.DefensePct);
  CheckBox1->SetChecked(F.Selected);
  Group->SetValue(F.Group);
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

// ---- Showing, OK and Anuluj -------------------------------------------------

void TObjectDialog::ShowToCreate(TForm1* MainWindow, TComboBox* Types) {
  FMain = MainWindow;
  TEditorState& state = FMain->State();
  if (Count(state) >= Capacity()) {
    ShowMessage(FFull);
    return;
  }
  state.EditIndex = 0;
  ComboBox1->Items()->Assign(Types->Items());
  ComboBox1->SetItemIndex(Types->ItemIndex());
  ShowModal();
}

void TObjectDialog::ShowToEdit(TForm1* MainWindow, int Slot, TComboBox* Types) {
  if (Slot == 0) return;
  FMain = MainWindow;
  TEditorState& state = FMain->State();
  state.EditIndex = Slot;
  ComboBox1->Items()->Assign(Types->Items());
  ShowSlot(state, Slot);
  ShowModal();
}

void TObjectDialog::SpeedButton1Click(TObject*) {
  // Without a type name, or with every slot taken, nothing is written, the
  // user is told why and the dialog stays open.
  TEditorState& state = FMain->State();
  if (ComboBox1->Text().empty()) {
    ShowMessage(FNoType);
    return;
  }
  if (state.EditIndex == 0 && Count(state) >= Capacity()) {
    ShowMessage(FFull);
    return;
  }
  if (WriteSlot(state) == 0) return;
  RefreshList();
  SetModalResult(mrOk);
}

void TObjectDialog::SpeedButton2Click(TObject*) {
  SetModalResult(mrCancel);
  SpinEdit1->SetValue(0);
  SpinEdit2->SetValue(0);
  ResetOwnFields();
  for (TSpinEdit* s : {Life, Attack, Defense}) s->SetValue(100);
  Group->SetValue(0);
  ComboBox1->Clear();
  CheckBox1->SetChecked(false);
}

}  // namespace sandreth
