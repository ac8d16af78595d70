#include "editor/PlacedObjects.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "world/Arith.h"
#include "world/ObjectNames.h"

namespace sandreth {

std::vector<std::string> UnitIdentifiers(const TEditorState& State) {
  std::vector<std::string> ids;
  for (int i = 1; i <= State.UnitCount && i <= MaxUnits; ++i)
    ids.push_back(ObjectIdentifier(State.Units[static_cast<size_t>(i)]));
  return ids;
}

std::vector<std::string> BuildingIdentifiers(const TEditorState& State) {
  std::vector<std::string> ids;
  for (int i = 1; i <= State.BuildingCount && i <= MaxBuildings; ++i)
    ids.push_back(ObjectIdentifier(State.Buildings[static_cast<size_t>(i)]));
  return ids;
}

int FindUnitSlot(const TEditorState& State, const std::string& Id) {
  int found = 0;
  for (int i = 1; i <= State.UnitCount && i <= MaxUnits; ++i)
    if (ObjectIdentifier(State.Units[static_cast<size_t>(i)]) == Id) found = i;
  return found;
}

int FindBuildingSlot(const TEditorState& State, const std::string& Id) {
  int found = 0;
  for (int i = 1; i <= State.BuildingCount && i <= MaxBuildings; ++i)
    if (ObjectIdentifier(State.Buildings[static_cast<size_t>(i)]) == Id) found = i;
  return found;
}

std::int32_t PercentOf(std::int32_t V, std::int32_t Max) {
  if (Max == 0) return 100;
  const std::int64_t p = std::int64_t{V} * 100 / Max;
  return static_cast<std::int32_t>(p < 1 ? 1 : (p > 100 ? 100 : p));
}

std::int32_t ValueOfPercent(std::int32_t Pct, std::int32_t Max) {
  return static_cast<std::int32_t>(std::int64_t{Pct} * Max / 100);
}

TUnitFields UnitFieldsOf(const TEditorState& State, int Index, const TUnitFields& Base) {
  TUnitFields f = Base;
  if (Index < 1 || Index > State.UnitCount || Index > MaxUnits) return f;
  const TUnit& u = State.Units[static_cast<size_t>(Index)];
  f.Name = u.Name.Text();
  f.X = u.X;
  f.Y = u.Y;
  f.TargetX = u.TargetX;
  f.TargetY = u.TargetY;
  f.Selected = u.Selected != 0;
  f.Group = u.Group;
  for (int t = 1; t <= State.UnitTypeCount && t <= MaxUnitTypes; ++t) {
    const TUnitType& type = State.UnitTypes[static_cast<size_t>(t)];
    if (!(type.Name == u.Name)) continue;
    f.LifePct = PercentOf(u.HP, type.MaxHP);
    f.AttackPct = PercentOf(u.Attack, type.Attack);
    f.DefensePct = PercentOf(u.Defense, type.Defense);
    if (type.MaxMana != 0) f.ManaPct = PercentOf(u.Mana, type.MaxMana);
  }
  return f;
}

TBuildingFields BuildingFieldsOf(const TEditorState& State, int Index, const TBuildingFields& Base) {
  TBuildingFields f = Base;
  if (Index < 1 || Index > State.BuildingCount || Index > MaxBuildings) return f;
  const TBuilding& b = State.Buildings[static_cast<size_t>(Index)];
  f.Name = b.Name.Text();
  f.X = b.X;
  f.Y = b.Y;
  f.Selected = b.Selected != 0;
  f.Group = b.Group;
  for (int t = 1; t <= State.BuildingTypeCount && t <= MaxBuildingTypes; ++t) {
    const TBuildingType& type = State.BuildingTypes[static_cast<size_t>(t)];
    if (!(type.Name == b.Name)) continue;
    f.LifePct = PercentOf(b.HP, type.MaxHP);
    f.AttackPct = PercentOf(b.Attack, type.Attack);
    f.DefensePct = PercentOf(b.Defense, type.Defense);
  }
  return f;
}

int WriteUnit(TEditorState& State, const TUnitFields& Fields) {
  if (Fields.Name.empty()) return 0;
  const bool creating = State.EditIndex == 0;
  int s = 0;
  if (creating) {
    if (State.UnitCount >= MaxUnits) return 0;
    s = ++State.UnitCount;
    State.Units[static_cast<size_t>(s)] = TUnit{};
  } else {
    if (State.EditIndex < 1 || State.EditIndex > State.UnitCount || State.EditIndex > MaxUnits) return 0;
    s = State.EditIndex;
  }
  TUnit& u = State.Units[static_cast<size_t>(s)];
  u.Name.Assign(Fields.Name);
  u.X = Snap3(Fields.X);
  u.Y = Snap3(Fields.Y);
  u.TargetX = Snap3(Fields.TargetX);
  u.TargetY = Snap3(Fields.TargetY);
  u.Selected = Fields.Selected ? 1 : 0;
  u.Group = Fields.Group;
  if (creating) u.AttackTarget.Clear();
  for (int t = 1; t <= State.UnitTypeCount && t <= MaxUnitTypes; ++t) {
    const TUnitType& type = State.UnitTypes[static_cast<size_t>(t)];
    if (!(type.Name == u.Name)) continue;
    u.HP = ValueOfPercent(Fields.LifePct, type.MaxHP);
    u.Attack = ValueOfPercent(Fields.AttackPct, type.Attack);
    u.Defense = ValueOfPercent(Fields.DefensePct, type.Defense);
    if (!creating || type.MaxMana != 0) u.Mana = ValueOfPercent(Fields.ManaPct, type.MaxMana);
  }
  // Every written object starts at number 1 and is raised past the other
  // objects of its type name.
  u.Number = NextObjectNumber(State.Units, State.UnitCount, s, u.Name, 1);
  return s;
}

int WriteBuilding(TEditorState& State, const TBuildingFields& Fields) {
  if (Fields.Name.empty()) return 0;
  const bool creating = State.EditIndex == 0;
  int s = 0;
  if (creating) {
    if (State.BuildingCount >= MaxBuildings) return 0;
    s = ++State.BuildingCount;
    State.Buildings[static_cast<size_t>(s)] = TBuilding{};
  } else {
    if (State.EditIndex < 1 || State.EditIndex > State.BuildingCount || State.EditIndex > MaxBuildings) return 0;
    s = State.EditIndex;
  }
  TBuilding& b = State.Buildings[static_cast<size_t>(s)];
  b.Name.Assign(Fields.Name);
  b.X = Fields.X;
  b.Y = Fields.Y;
  b.Selected = Fields.Selected ? 1 : 0;
  b.Group = Fields.Group;
  if (creating) b.AttackTarget.Clear();
  for (int t = 1; t <= State.BuildingTypeCount && t <= MaxBuildingTypes; ++t) {
    const TBuildingType& type = State.BuildingTypes[static_cast<size_t>(t)];
    if (!(type.Name == b.Name)) continue;
    b.HP = ValueOfPercent(Fields.LifePct, type.MaxHP);
    b.Attack = ValueOfPercent(Fields.AttackPct, type.Attack);
    b.Defense = ValueOfPercent(Fields.DefensePct, type.Defense);
  }
  b.Number = NextObjectNumber(State.Buildings, State.BuildingCount, s, b.Name, 1);
  return s;
}

namespace {

template <typename TSlot, std::size_t N>
int DeleteSlots(std::array<TSlot, N>& Table, std::int32_t& Count, const std::string& Id) {
  int removed = 0;
  int i = 1;
  while (i <= Count && i < static_cast<int>(N)) {
    if (ObjectIdentifier(Table[static_cast<size_t>(i)]) != Id) {
      ++i;
      continue;
    }
    // The last object moves into the gap and is compared in its turn.
    const int last = Count;
    if (i != last) Table[static_cast<size_t>(i)] = Table[static_cast<size_t>(last)];
    Table[static_cast<size_t>(last)] = TSlot{};
    --Count;
    ++removed;
  }
  return removed;
}

}  // namespace

int DeleteUnits(TEditorState& State, const std::string& Id) { return DeleteSlots(State.Units, State.UnitCount, Id); }
int DeleteBuildings(TEditorState& State, const std::string& Id) {
  return DeleteSlots(State.Buildings, State.BuildingCount, Id);
}

}  // namespace sandreth
