// The two object lists of the main window: the hidden list (ListBox1) with
// one row per unit and then per building, each row the object's identifier,
// its selection mirroring the Selected flags; and the visible list
// (ListBox2) with the name of every selected object, in the same order.
// RefreshUnitLists rebuilds both from the tables and records in the state
// what each hidden row stands for (ListRows) and where the building rows
// begin (ListUnitCount). The commands that act on rows use RowUnitSlot and
// RowBuildingSlot, which answer a slot only while it still holds the object
// the row was made from, so rows left behind by the tick act on nothing.
// Either list may be nil (the state's rows are kept all the same).
#pragma once

#include "game/GameState.h"

class TListBox;

namespace korvel {

void RefreshUnitLists(TGameState& S, TListBox* ListBox1, TListBox* ListBox2);

// The slot of the unit (building) that row Row of the hidden list stands
// for, while that slot is live and holds an object with the row's
// identifier; 0 otherwise (a building row, a stale row, a row past the end).
int RowUnitSlot(const TGameState& S, int Row);
int RowBuildingSlot(const TGameState& S, int Row);

// Whether row Row of the hidden list is selected and still stands for its
// object: a stale row counts as unselected.
bool RowSelected(const TGameState& S, const TListBox* ListBox1, int Row);

}  // namespace korvel
