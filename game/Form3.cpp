#include "game/Form3.h"

#include "game/SlotLists.h"
#include "game/SpellCasting.h"
#include "platform/rtl/Cp1250.h"

namespace korvel {

TForm3* Form3 = nullptr;

TForm3::TForm3(TComponent* AOwner)
    : TOrderDialog(AOwner, {"Form3", Cp("Wybierz jednostki i czar"), 360, 246, 168, Cp("Jednostki zdolne czarować"),
                            "Wybierz czar"}) {}

void TForm3::WriteItemsOfType(const std::string& TypeName, TListBox* Items) {
  if (!SomeUnitNamed(*Game, TypeName)) return;
  for (const auto& slots : TypeSpellSlots(*Game, TypeName)) WriteSlotRows(Items, slots);
}

void TForm3::GiveOrder(const std::string& TypeName, const std::string& Spell) {
  ChooseSpell(*Game, TypeName, Spell, ShowOrderMessage);
}

std::vector<int> TForm3::ChosenTypeRows() const {
  std::vector<int> rows;
  for (int r = 0; r < ListBox1->Items()->Count(); ++r)
    if (ListBox1->Selected(r)) rows.push_back(r);
  return rows;
}

void TForm3::GiveChosenOrder(const std::string& Spell) {
  std::vector<std::string> types;
  for (int r : ChosenTypeRows()) types.push_back(ListBox1->Items()->Strings(r));
  if (types.empty()) types.push_back(ListBox1->Items()->Strings(0));
  const int chosen = CasterTypeFor(*Game, types, Spell);
  if (chosen < 0)
    ShowOrderMessage(SpellUnknownText());
  else
    GiveOrder(types[static_cast<std::size_t>(chosen)], Spell);
}

}  // namespace korvel
