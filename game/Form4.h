// The train dialog ("Wyszkol"): the trainer types among the selected
// buildings and the units a type trains; OK starts training the chosen unit
// in the selected buildings of the chosen type.
#pragma once

#include "game/OrderDialog.h"

namespace korvel {

class TForm4 : public TOrderDialog {
 public:
  explicit TForm4(TComponent* AOwner);

 protected:
  void WriteItemsOfType(const std::string& TypeName, TListBox* Items) override;
  void GiveOrder(const std::string& TypeName, const std::string& Item) override;
};

extern TForm4* Form4;

}  // namespace korvel
