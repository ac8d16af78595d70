#include "game/SpellCasting.h"

#include "game/HitBoxes.h"
#include "platform/rtl/Cp1250.h"
#include "world/Arith.h"

namespace korvel {

namespace {

bool HasAnySpell(const TUnitType& T) {
  for (int s = 1; s <= UnitTypeSpellSlots; ++s)
    if (!T.Spells[s].Empty()) return true;
  return false;
}

bool IsTeleport(const TSpell& Spell) {
  return Spell.Kind1 == seTeleport || Spell.Kind2 == seTeleport || Spell.Kind3 == seTeleport;
}

std::int32_t Healing(const TSpell& Spell) {
  std::int32_t heal = 0;
  if (Spell.Kind1 == seHeal) heal = WrapAdd(heal, Spell.Param1);
  if (Spell.Kind2 == seHeal) heal = WrapAdd(heal, Spell.Param2);
  if (Spell.Kind3 == seHeal) heal = WrapAdd(heal, Spell.Param3);
  return heal;
}

}  // namespace

std::vector<std::string> CasterCandidates(const TGameState& S) {
  std::vector<std::string> names;
  for (int u = 1; u <= S.UnitCount; ++u) {
    const TUnit& unit = S.Units[u];
    if (unit.Selected != 1) continue;
    for (int t = 1; t <= S.UnitTypeCount; ++t) {
      if (S.UnitTypes[t].Name == unit.Name && HasAnySpell(S.UnitTypes[t])) {
        names.push_back(unit.Name.Text());
        break;
      }
    }
  }
  return names;
}

bool SomeUnitNamed(const TGameState& S, const std::string& TypeName) {
  for (int u = 1; u <= S.UnitCount; ++u)
    if (S.Units[u].Name.Equals(TypeName)) return true;
  return false;
}

std::vector<std::vector<std::string>> TypeSpellSlots(const TGameState& S, const std::string& TypeName) {
  std::vector<std::vector<std::string>> types;
  for (int t = 1; t <= S.UnitTypeCount; ++t) {
    const TUnitType& type = S.UnitTypes[t];
    if (!type.Name.Equals(TypeName)) continue;
    std::vector<std::string> slots;
    for (int s = 1; s <= UnitTypeSpellSlots; ++s) slots.push_back(type.Spells[s].Text());
    types.push_back(std::move(slots));
  }
  return types;
}

int FindSpell(const TGameState& S, const std::string& Name) {
  for (int i = 1; i <= SpellsInUse; ++i)
    if (S.Spells[i].Name == Name) return i;
  return 0;
}

bool TypeKnowsSpell(const TGameState& S, const std::string& TypeName, const std::string& Spell) {
  for (int t = 1; t <= S.UnitTypeCount; ++t) {
    const TUnitType& type = S.UnitTypes[t];
    if (!type.Name.Equals(TypeName)) continue;
    for (int s = 1; s <= UnitTypeSpellSlots; ++s)
      if (!type.Spells[s].Empty() && type.Spells[s].Equals(Spell)) return true;
  }
  return false;
}

int CasterTypeFor(const TGameState& S, const std::vector<std::string>& TypeRows, const std::string& Spell) {
  int chosen = -1;
  for (std::size_t r = 0; r < TypeRows.size(); ++r)
    if (TypeKnowsSpell(S, TypeRows[r], Spell)) chosen = static_cast<int>(r);
  return chosen;
}

std::string SpellUnknownText() { return Cp("Wybrane jednostki nie znają tego czaru!"); }

TSpellChoice ChooseSpell(TGameState& S, const std::string& CasterType, const std::string& Spell,
                         const TMessageSink& Message) {
  TSpellChoice choice;
  for (int b = 1; b <= S.BuildingCount; ++b) S.Buildings[b].Selected = 0;

  std::vector<int> casters;
  for (int u = 1; u <= S.UnitCount; ++u) {
    TUnit& unit = S.Units[u];
    if (unit.Selected != 1) continue;
    if (!unit.Name.Equals(CasterType))
      unit.Selected = 0;
    else
      casters.push_back(u);
  }
  choice.Casters = static_cast<int>(casters.size());

  const int index = TypeKnowsSpell(S, CasterType, Spell) ? FindSpell(S, Spell) : 0;
  if (index == 0) return choice;
  choice.Known = true;

  const std::int32_t cost = S.Spells[index].ManaCost;
  for (int u : casters) {
    if (!(cost < S.Units[u].Mana)) {
      ++choice.Refused;
      Tell(Message, Cp("Za mało many!"));
    }
  }
  if (choice.Refused > 0 || casters.empty()) return choice;

  for (int u : casters) S.Units[u].Mana = WrapSub(S.Units[u].Mana, cost);
  S.SpellName = Spell;
  S.CommandMode = cmSpell;
  choice.Paid = true;
  return choice;
}

void CastSpell(TGameState& S, const TSoundSink& Sound) {
  const std::int32_t cx = S.CursorWorldX, cy = S.CursorWorldY;
  for (int i = 1; i <= SpellsInUse; ++i) {
    const TSpell spell = S.Spells[i];
    if (!(spell.Name == S.SpellName || S.SpellName == TeleportSecondStep)) continue;

    if (!IsTeleport(spell)) S.CommandMode = cmNormal;
    if (Sound) Sound(sndMagic);

    if (S.SpellName == TeleportSecondStep) {
      for (int u = 1; u <= S.UnitCount; ++u) {
        TUnit& unit = S.Units[u];
        if (unit.Selected == 0) continue;
        unit.X = unit.TargetX = Snap3(cx);
        unit.Y = unit.TargetY = Snap3(cy);
      }
      S.SpellName.clear();
    } else {
      const std::int32_t heal = Healing(spell);
      for (int u = 1; u <= S.UnitCount; ++u) {
        TUnit& unit = S.Units[u];
        if (!InBox(unit.X, unit.Y, PressUnitHalfX, PressUnitHalfY, cx, cy)) continue;
        unit.HP = WrapAdd(WrapSub(unit.HP, spell.Damage), heal);
        if (IsTeleport(spell)) {
          for (int k = 1; k <= S.UnitCount; ++k) S.Units[k].Selected = 0;
          unit.Selected = 1;
          S.SpellName = TeleportSecondStep;
        }
      }
    }

    for (int b = 1; b <= S.BuildingCount; ++b) {
      TBuilding& building = S.Buildings[b];
      if (InBox(building.X, building.Y, PressBuildingHalf, PressBuildingHalf, cx, cy) && S.SpellName == spell.Name)
        building.HP = WrapSub(building.HP, spell.Damage);
    }
  }
}

}  // namespace korvel
