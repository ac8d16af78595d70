// Training and construction orders, as the train and build dialogs give them.
//
// Training: the selected buildings of one type each start training one unit
// of a kind that type lists, each paying the unit type's gold and wood.
// Construction: the first selected builder of one type takes one building of
// a kind its type lists, pays for it and the game waits for the site
// (placement mode). An order is given only for something that can be made:
// the item must be one of the chosen type's own slots and a type of that name
// must exist, and its table must have a free slot; otherwise nothing
// happens and nothing is paid (a full table is told once: "Za dużo
// jednostek!" or "Za dużo budynków!").
#pragma once

#include <string>
#include <vector>

#include "game/GameState.h"
#include "game/MessageSink.h"

namespace korvel {

// The names of the selected buildings whose type lists at least one unit, in
// slot order (once per building).
std::vector<std::string> TrainerCandidates(const TGameState& S);
// The names of the selected units whose type is of the builder class (3),
// in slot order (once per unit).
std::vector<std::string> BuilderCandidates(const TGameState& S);

// The unit slots of every building type named TypeName, when some building of
// that name exists.
std::vector<std::vector<std::string>> TrainerUnitSlots(const TGameState& S, const std::string& TypeName);
// The building slots of every unit type named TypeName, when some unit of
// that name exists.
std::vector<std::vector<std::string>> BuilderBuildingSlots(const TGameState& S, const std::string& TypeName);

struct TOrderResult {
  int Started = 0;    // orders given (buildings that train, or the builder)
  int Busy = 0;       // refused: already training or building
  int Short = 0;      // refused: not enough gold or wood
  bool Full = false;  // refused: the table the new object needs is full
};

// What the dialogs say when the unit or the building table is full.
std::string FullUnitTableText();
std::string FullBuildingTableText();

// Train OK: every selected building of another type than BuildingType is
// deselected; each selected building of BuildingType starts training Unit
// ("Budynek jest zajęty!" when it trains already, "Za mało surowców!" when
// gold or wood fall short). Units and the mode are not touched.
TOrderResult StartTraining(TGameState& S, const std::string& BuildingType, const std::string& Unit,
                           const TMessageSink& Message);

// Build OK: every selected unit of another type than UnitType is
// deselected; the first selected unit of UnitType takes the order to build
// Building ("Robotnik jest zajęty!" when it builds already, "Za mało
// surowców!" when gold or wood fall short): it stops where it stands, pays and
// the game enters placement mode. Further builders of the type stay selected
// without an order.
TOrderResult StartBuilding(TGameState& S, const std::string& UnitType, const std::string& Building,
                           const TMessageSink& Message);

}  // namespace korvel
