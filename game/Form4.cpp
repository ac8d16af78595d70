#include "game/Form4.h"

#include "game/SlotLists.h"
#include "game/TrainBuildOrders.h"
#include "platform/rtl/Cp1250.h"

namespace korvel {

TForm4* Form4 = nullptr;

TForm4::TForm4(TComponent* AOwner)
    : TOrderDialog(AOwner, {"Form4", Cp("Wybierz budynki i jednostkę"), 358, 246, 166,
                            Cp("Budynki zdolne szkolić jednostki"), Cp("Wybierz jednostkę")}) {}

void TForm4::WriteItemsOfType(const std::string& TypeName, TListBox* Items) {
  for (const auto& slots : TrainerUnitSlots(*Game, TypeName)) WriteSlotRows(Items, slots);
}

void TForm4::GiveOrder(const std::string& TypeName, const std::string& Item) {
  StartTraining(*Game, TypeName, Item, ShowOrderMessage);
}

}  // namespace korvel
