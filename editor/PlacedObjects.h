// The units and buildings placed on the map: their identifiers in the lists,
// the values the dialogs show and hand back, and adding, rewriting and
// removing slots.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "editor/EditorState.h"

namespace sandreth {

// Values the dialogs show for a placed unit or building, and the values they
// hand back. Percentages are 1 to 100.
struct TObjectFields {
  std::string Name;  // the type list's text (windows-1250)
  std::int32_t X = 0, Y = 0;
  std::int32_t LifePct = 100, AttackPct = 100, DefensePct = 100;
  bool Selected = false;
  std::int32_t Group = 0;
};

struct TUnitFields : TObjectFields {
  std::int32_t TargetX = 0, TargetY = 0;
  std::int32_t ManaPct = 100;
};

struct TBuildingFields : TObjectFields {};

// The object identifiers of slots 1 to the count, in order.
std::vector<std::string> UnitIdentifiers(const TEditorState& State);
std::vector<std::string> BuildingIdentifiers(const TEditorState& State);

// The slot whose identifier equals Id (the last one), or 0.
int FindUnitSlot(const TEditorState& State, const std::string& Id);
int FindBuildingSlot(const TEditorState& State, const std::string& Id);

// v as a percentage of Max (64-bit), brought into 1 to 100; a type maximum of
// 0 shows 100.
std::int32_t PercentOf(std::int32_t V, std::int32_t Max);
// Pct percent of Max, truncated toward zero (64-bit).
std::int32_t ValueOfPercent(std::int32_t Pct, std::int32_t Max);

// The dialog's fields for slot Index (position, flags and the percentages of
// every matching type; Base gives the values a field keeps when no type sets it).
TUnitFields UnitFieldsOf(const TEditorState& State, int Index, const TUnitFields& Base);
TBuildingFields BuildingFieldsOf(const TEditorState& State, int Index, const TBuildingFields& Base);

// "OK" of a dialog: writes slot EditIndex (0: a new slot at the end, which
// starts zeroed). Returns the slot written, or 0 when nothing was written
// (an empty type name, or every slot taken).
int WriteUnit(TEditorState& State, const TUnitFields& Fields);
int WriteBuilding(TEditorState& State, const TBuildingFields& Fields);

// Removes every slot whose identifier equals Id: the last slot moves into the
// gap (which is then checked again) and the freed slot is zeroed. Returns how
// many were removed.
int DeleteUnits(TEditorState& State, const std::string& Id);
int DeleteBuildings(TEditorState& State, const std::string& Id);

}  // namespace sandreth
