#include "editor/BuildingForm.h"

#include <cstdint>

#include "editor/MainForm.h"
#include "platform/toolkit/FormBuilder.h"

namespace sandreth {

TForm3* Form3 = nullptr;

TForm3::TForm3(TComponent* AOwner) : TObjectDialog(AOwner, "Wybierz rodzaj budynku!", "Za dużo budynków!") {
  LoadForm(this, [this] {
    MakeFrame("Form3", "Budynek", bsSizeable, 322, 330);
    MakePosition(306, 30, 120);
    MakeTypeList("Typ budynku");
    MakeStatistics();
    SpinEdit3 = Life = MakeStat("SpinEdit3", "Życie %:", 8, 18);
    SpinEdit4 = Defense = MakeStat("SpinEdit4", "Obrona %:", 156, 18);
    SpinEdit5 = Attack = MakeStat("SpinEdit5", "Atak %:", 8, 46);
    SpinEdit6 = MakeGame(50, 20, "SpinEdit6", 18);
    MakeButtons(296, 149);
  });
}

TBuildingFields TForm3::Fields() const {
  TBuildingFields f;
  ReadCommon(f);
  return f;
}

void TForm3::SetFields(const TBuildingFields& F) { ShowCommon(F); }

void TForm3::RefreshList() { Main()->RefreshBuildingList(); }

}  // namespace sandreth
