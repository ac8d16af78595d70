// Helpers of the choice dialogs (spell, train, build) over their list boxes:
// the type list takes each candidate name once, the item list shows the
// filled slots of a type, and OK reads the chosen type and item.
#pragma once

#include <string>
#include <vector>

class TListBox;

namespace korvel {

// Adds each row of From that To does not hold yet (exact, case-sensitive
// comparison), in first-seen order.
void AddMissingRows(const TListBox* From, TListBox* To);

// Writes the non-empty slots of one type into List, the k-th filled slot into
// row k: an existing row is replaced, otherwise the row is appended. Empty
// slots leave no gap, so the rows always follow the slot order.
void WriteSlotRows(TListBox* List, const std::vector<std::string>& Slots);

// The last selected row of List; row 0 when none is selected; -1 when the
// list is empty.
int LastSelectedRow(const TListBox* List);

// The row at List's item index, when the index names a row.
bool ItemAtIndex(const TListBox* List, std::string& Text);

// Whether Text is one of the slots (1 to the array's last element; slot 0 is
// not used).
template <typename TSlots>
bool InSlots(const TSlots& Slots, const std::string& Text) {
  for (std::size_t s = 1; s < Slots.size(); ++s)
    if (!Slots[s].Empty() && Slots[s].Equals(Text)) return true;
  return false;
}

// The texts of slots 1 to the array's last element.
template <typename TSlots>
std::vector<std::string> SlotTexts(const TSlots& Slots) {
  std::vector<std::string> texts;
  for (std::size_t s = 1; s < Slots.size(); ++s) texts.push_back(Slots[s].Text());
  return texts;
}

}  // namespace korvel
