// Spells: who may cast ("Czaruj"), what a caster type knows (the spell
// dialog), paying the mana when a spell is chosen, and the cast at the point
// of a left release in spell-target mode.
//
// Paying is all or nothing: every selected unit of the chosen type is checked
// first, and only when each of them has more mana than the cost do they all
// pay; spell-target mode is entered only when someone paid. A spell that the
// chosen type does not list, or that the spell table does not hold, is not
// cast at all.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "game/Combat.h"
#include "game/GameState.h"
#include "game/MessageSink.h"

namespace korvel {

// The second step of a teleport: the name SpellName holds between the two clicks.
inline const std::string TeleportSecondStep = "Teleportacja2";

// For every selected unit, in slot order, its type name when a unit type of
// that name lists at least one spell (a name repeats once per such unit).
std::vector<std::string> CasterCandidates(const TGameState& S);

// Whether some unit holds the name TypeName.
bool SomeUnitNamed(const TGameState& S, const std::string& TypeName);

// The spell slots (1 to 5) of every unit type named TypeName, in table order.
std::vector<std::vector<std::string>> TypeSpellSlots(const TGameState& S, const std::string& TypeName);

// The table index (1 to the spells in use) of the spell named Name, 0 if none.
int FindSpell(const TGameState& S, const std::string& Name);

// Whether a unit type named TypeName lists Spell in one of its slots.
bool TypeKnowsSpell(const TGameState& S, const std::string& TypeName, const std::string& Spell);

// The caster type that casts Spell out of the type rows chosen in the spell
// dialog (in row order): the last of them whose type lists it; -1 when none
// does.
int CasterTypeFor(const TGameState& S, const std::vector<std::string>& TypeRows, const std::string& Spell);

// What the spell dialog says when none of the chosen types lists the spell.
std::string SpellUnknownText();

struct TSpellChoice {
  bool Known = false;  // the type lists the spell and the table holds it
  int Casters = 0;     // selected units of the chosen type
  int Refused = 0;     // casters without enough mana
  bool Paid = false;   // every caster paid and the game waits for the target
};

// The OK of the spell dialog with CasterType and Spell chosen: every building
// and every selected unit of another type is deselected; the selected units
// of CasterType pay the spell's mana cost (a unit pays when its mana is
// greater than the cost; each one that cannot is told "Za mało many!" and then
// nobody pays). When they paid, SpellName := Spell and the mode becomes
// spell target.
TSpellChoice ChooseSpell(TGameState& S, const std::string& CasterType, const std::string& Spell,
                         const TMessageSink& Message);

// The cast at the cursor's world position (CursorWorldX, CursorWorldY), made
// by a left release in spell-target mode. Plays the "magic" sound for the
// spell cast. Units under the cursor (16 x 20 box) lose the spell's damage
// and gain its healing; buildings under it (60 x 60) lose the damage. A
// teleport takes two clicks: the first makes the last unit under the cursor
// the only selected unit, the second puts the selected units at the point.
// The mode returns to normal after any cast that is not a teleport's first
// step.
void CastSpell(TGameState& S, const TSoundSink& Sound);

}  // namespace korvel
