#include "editor/UnitForm.h"

#include <cstdint>

#include "editor/MainForm.h"
#include "platform/toolkit/FormBuilder.h"

namespace sandreth {

TForm2* Form2 = nullptr;

TForm2::TForm2(TComponent* AOwner) : TObjectDialog(AOwner, "Wybierz rodzaj jednostki!", "Za dużo jednostek!") {
  LoadForm(this, [this] {
    MakeFrame("Form2", "Jednostka", bsNone, 314, 339);
    MakePosition(145, 40, 92);
    GroupBox2 = MakeGroup("GroupBox2", "Poruszanie", 161, 34, 145, 72);
    SpinEdit3 = MakeSpin(GroupBox2, "SpinEdit3", "Cel X:", 8, 18, 40, 92, -INT32_MAX, INT32_MAX, 0);
    SpinEdit4 = MakeSpin(GroupBox2, "SpinEdit4", "Cel Y:", 8, 44, 40, 92, 0, INT32_MAX, 0);
    MakeTypeList("Typ jednostki");
    MakeStatistics();
    SpinEdit5 = Life = MakeStat("SpinEdit5", "Życie %:", 8, 18);
    SpinEdit6 = MakeStat("SpinEdit6", "Mana %:", 152, 18);
    SpinEdit7 = Attack = MakeStat("SpinEdit7", "Atak %:", 8, 46);
    SpinEdit8 = Defense = MakeStat("SpinEdit8", "Obrona %:", 152, 46);
    SpinEdit9 = MakeGame(56, 22, "SpinEdit9", 20);
    MakeButtons(304, 145);
  });
}

TUnitFields TForm2::Fields() const {
  TUnitFields f;
  ReadCommon(f);
  f.TargetX = SpinEdit3->Value();
  f.TargetY = SpinEdit4->Value();
  f.ManaPct = SpinEdit6->Value();
  return f;
}

void TForm2::SetFields(const TUnitFields& F) {
  ShowCommon(F);
  SpinEdit3->SetValue(F.TargetX);
  SpinEdit4->SetValue(F.TargetY);
  SpinEdit6->SetValue(F.ManaPct);
}

void TForm2::RefreshList() { Main()->RefreshUnitList(); }

void TForm2::ResetOwnFields() {
  SpinEdit3->SetValue(0);
  SpinEdit4->SetValue(0);
  SpinEdit6->SetValue(100);
}

}  // namespace sandreth
