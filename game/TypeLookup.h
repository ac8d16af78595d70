// Finding an object's type: every type record whose Name equals the object's
// Name (whole short string, case-sensitive). Rules that need type values run
// once per matching type, in table order; an object whose name matches no
// type gets none of them.
#pragma once

#include <cstdint>

#include "world/Records.h"
#include "world/World.h"

namespace korvel {

inline int UsedUnitTypes(const TWorldTables& W) {
  return W.UnitTypeCount < 0 ? 0 : (W.UnitTypeCount > MaxUnitTypes ? MaxUnitTypes : W.UnitTypeCount);
}
inline int UsedBuildingTypes(const TWorldTables& W) {
  return W.BuildingTypeCount < 0 ? 0
                                 : (W.BuildingTypeCount > MaxBuildingTypes ? MaxBuildingTypes : W.BuildingTypeCount);
}

// Calls Fn(const TUnitType&) for every unit type named Name, in table order.
template <typename F>
void ForEachUnitType(const TWorldTables& W, const TShortString& Name, F&& Fn) {
  const int n = UsedUnitTypes(W);
  for (int t = 1; t <= n; ++t)
    if (W.UnitTypes[t].Name == Name) Fn(W.UnitTypes[t]);
}

// Calls Fn(const TBuildingType&) for every building type named Name.
template <typename F>
void ForEachBuildingType(const TWorldTables& W, const TShortString& Name, F&& Fn) {
  const int n = UsedBuildingTypes(W);
  for (int t = 1; t <= n; ++t)
    if (W.BuildingTypes[t].Name == Name) Fn(W.BuildingTypes[t]);
}

// The indexes of the types that match one name, found once and used for many
// rule applications (the combat passes apply caps once per pair).
struct TTypeMatches {
  std::uint8_t Count = 0;
  std::uint8_t Index[MaxUnitTypes > MaxBuildingTypes ? MaxUnitTypes : MaxBuildingTypes] = {};
};

inline TTypeMatches MatchUnitTypes(const TWorldTables& W, const TShortString& Name) {
  TTypeMatches m;
  const int n = UsedUnitTypes(W);
  for (int t = 1; t <= n; ++t)
    if (W.UnitTypes[t].Name == Name) m.Index[m.Count++] = static_cast<std::uint8_t>(t);
  return m;
}

inline TTypeMatches MatchBuildingTypes(const TWorldTables& W, const TShortString& Name) {
  TTypeMatches m;
  const int n = UsedBuildingTypes(W);
  for (int t = 1; t <= n; ++t)
    if (W.BuildingTypes[t].Name == Name) m.Index[m.Count++] = static_cast<std::uint8_t>(t);
  return m;
}

}  // namespace korvel
