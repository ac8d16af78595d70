// The rules behind the command bar and the view panel. The bar works on the
// rows of the hidden object list (ListBox1): a row acts on its object only
// while the row lies within the list and its identifier still names the
// object in that slot, so rows that the tick has left behind act on nothing.
#pragma once

#include <cstdint>
#include <string>

#include "game/GameState.h"

class TListBox;

namespace korvel {

// "Zaznacz": exactly the objects whose rows are selected become selected.
void SelectMarkedRows(TGameState& S, const TListBox* ListBox1);
// "Odznacz": the objects whose rows are selected are deselected.
void DeselectMarkedRows(TGameState& S, const TListBox* ListBox1);
// "Zatrzymaj": normal mode, no spell; the units whose rows are selected stop
// where they stand and drop their attack and building orders; the buildings
// drop their attack target and their training. Nothing is refunded.
void StopMarkedRows(TGameState& S, const TListBox* ListBox1);

// The group number of a text: a decimal integer, above 9 taken as 9 and 0 as
// 1 (negative numbers stay). False, with Number 0, when the text is no
// integer (an empty or cancelled input too).
bool ReadGroupNumber(const std::string& Text, std::int32_t& Number);
// "Ustal": group Number holds exactly the selected units and buildings
// afterwards (its former members that are not selected leave it).
void SetGroup(TGameState& S, std::int32_t Number);
// "Zawołaj": exactly the units and buildings of group Number are selected.
void CallGroup(TGameState& S, std::int32_t Number);

// "Atakuj": attack mode, unless a building site is being chosen.
void EnterAttackMode(TGameState& S);
// "Resetuj": the view centres on the selected unit in the highest slot;
// false (nothing changes) when no unit is selected.
bool CentreOnSelectedUnit(TGameState& S);

// A click in the visible list (ListBox2): for each of its rows, the hidden
// rows of the selected objects of that name take the row's selected state
// (a later row of the same name decides). Nothing else changes.
void MarkRowsOfSelectedNames(const TGameState& S, TListBox* ListBox1, const TListBox* ListBox2);

}  // namespace korvel
