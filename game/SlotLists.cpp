#include "game/SlotLists.h"

#include "platform/toolkit/StdCtrls.h"

namespace korvel {

void AddMissingRows(const TListBox* From, TListBox* To) {
  for (int r = 0; r < From->Items()->Count(); ++r) {
    const std::string& row = From->Items()->Strings(r);
    bool held = false;
    for (int k = 0; k < To->Items()->Count() && !held; ++k) held = To->Items()->Strings(k) == row;
    if (!held) To->Items()->Add(row);
  }
}

void WriteSlotRows(TListBox* List, const std::vector<std::string>& Slots) {
  int row = 0;
  for (const std::string& slot : Slots) {
    if (slot.empty()) continue;
    if (row < List->Items()->Count())
      List->Items()->SetStrings(row, slot);
    else
      List->Items()->Add(slot);
    ++row;
  }
}

int LastSelectedRow(const TListBox* List) {
  const int count = List->Items()->Count();
  if (count == 0) return -1;
  int last = 0;
  for (int r = 0; r < count; ++r)
    if (List->Selected(r)) last = r;
  return last;
}

bool ItemAtIndex(const TListBox* List, std::string& Text) {
  const int index = List->ItemIndex();
  if (index < 0 || index >= List->Items()->Count()) return false;
  Text = List->Items()->Strings(index);
  return true;
}

}  // namespace korvel
