// The spell dialog ("Wybierz jednostki i czar"): the caster types among the
// selected units (ListBox1) and the spells of the chosen types (ListBox2);
// OK has the selected casters of the chosen type pay for the chosen spell.
#pragma once

#include <string>
#include <vector>

#include "game/OrderDialog.h"

namespace korvel {

class TForm3 : public TOrderDialog {
 public:
  explicit TForm3(TComponent* AOwner);

 protected:
  // The spells of a caster type that some unit is of.
  void WriteItemsOfType(const std::string& TypeName, TListBox* Items) override;
  void GiveOrder(const std::string& TypeName, const std::string& Spell) override;
  // The spell list mixes the spells of every chosen type row.
  std::vector<int> ChosenTypeRows() const override;
  // The spell is cast by the last chosen type (row 0 when none is chosen)
  // whose type lists it.
  void GiveChosenOrder(const std::string& Spell) override;
};

extern TForm3* Form3;

}  // namespace korvel
