#include "game/Form5.h"

#include "game/SlotLists.h"
#include "game/TrainBuildOrders.h"
#include "platform/rtl/Cp1250.h"

namespace korvel {

TForm5* Form5 = nullptr;

TForm5::TForm5(TComponent* AOwner)
    : TOrderDialog(AOwner, {"Form5", Cp("Wybierz budowniczych i budynek"), 360, 246, 168, "", ""}) {}

void TForm5::WriteItemsOfType(const std::string& TypeName, TListBox* Items) {
  for (const auto& slots : BuilderBuildingSlots(*Game, TypeName)) WriteSlotRows(Items, slots);
}

void TForm5::GiveOrder(const std::string& TypeName, const std::string& Item) {
  StartBuilding(*Game, TypeName, Item, ShowOrderMessage);
}

}  // namespace korvel
