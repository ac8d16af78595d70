// The build dialog ("Zbuduj"): the builder types among the selected units
// and the buildings a type builds; OK gives the first selected builder of
// the chosen type the chosen building and waits for its site.
#pragma once

#include "game/OrderDialog.h"

namespace korvel {

class TForm5 : public TOrderDialog {
 public:
  explicit TForm5(TComponent* AOwner);

 protected:
  void WriteItemsOfType(const std::string& TypeName, TListBox* Items) override;
  void GiveOrder(const std::string& TypeName, const std::string& Item) override;
};

extern TForm5* Form5;

}  // namespace korvel
