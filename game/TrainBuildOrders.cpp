#include "game/TrainBuildOrders.h"

#include "game/SlotLists.h"
#include "platform/rtl/Cp1250.h"
#include "world/Arith.h"

namespace korvel {

namespace {

constexpr std::uint8_t BuilderClass = 3;

bool ListsAnyUnit(const TBuildingType& T) {
  for (int s = 1; s <= BuildingTypeUnitSlots; ++s)
    if (!T.Units[s].Empty()) return true;
  return false;
}

bool SomeBuildingNamed(const TGameState& S, const std::string& Name) {
  for (int b = 1; b <= S.BuildingCount; ++b)
    if (S.Buildings[b].Name.Equals(Name)) return true;
  return false;
}

bool SomeUnitNamed(const TGameState& S, const std::string& Name) {
  for (int u = 1; u <= S.UnitCount; ++u)
    if (S.Units[u].Name.Equals(Name)) return true;
  return false;
}

// Whether a building type named TypeName lists Unit.
bool TrainerListsUnit(const TGameState& S, const std::string& TypeName, const std::string& Unit) {
  for (int t = 1; t <= S.BuildingTypeCount; ++t)
    if (S.BuildingTypes[t].Name.Equals(TypeName) && InSlots(S.BuildingTypes[t].Units, Unit)) return true;
  return false;
}

bool BuilderListsBuilding(const TGameState& S, const std::string& TypeName, const std::string& Building) {
  for (int t = 1; t <= S.UnitTypeCount; ++t) {
    const TUnitType& type = S.UnitTypes[t];
    if (type.Name.Equals(TypeName) && type.Class == BuilderClass && InSlots(type.Buildings, Building)) return true;
  }
  return false;
}

const TUnitType* FirstUnitType(const TGameState& S, const std::string& Name) {
  for (int t = 1; t <= S.UnitTypeCount; ++t)
    if (S.UnitTypes[t].Name.Equals(Name)) return &S.UnitTypes[t];
  return nullptr;
}

const TBuildingType* FirstBuildingType(const TGameState& S, const std::string& Name) {
  for (int t = 1; t <= S.BuildingTypeCount; ++t)
    if (S.BuildingTypes[t].Name.Equals(Name)) return &S.BuildingTypes[t];
  return nullptr;
}

bool CanPay(const TGameState& S, std::int32_t Gold, std::int32_t Wood) {
  return !(S.Player.Gold < Gold || S.Player.Wood < Wood);
}

void Pay(TGameState& S, std::int32_t Gold, std::int32_t Wood) {
  S.Player.Gold = WrapSub(S.Player.Gold, Gold);
  S.Player.Wood = WrapSub(S.Player.Wood, Wood);
}

}  // namespace

std::string FullUnitTableText() { return Cp("Za dużo jednostek!"); }
std::string FullBuildingTableText() { return Cp("Za dużo budynków!"); }

std::vector<std::string> TrainerCandidates(const TGameState& S) {
  std::vector<std::string> names;
  for (int b = 1; b <= S.BuildingCount; ++b) {
    const TBuilding& building = S.Buildings[b];
    if (building.Selected != 1) continue;
    for (int t = 1; t <= S.BuildingTypeCount; ++t) {
      if (S.BuildingTypes[t].Name == building.Name && ListsAnyUnit(S.BuildingTypes[t])) {
        names.push_back(building.Name.Text());
        break;
      }
    }
  }
  return names;
}

std::vector<std::string> BuilderCandidates(const TGameState& S) {
  std::vector<std::string> names;
  for (int u = 1; u <= S.UnitCount; ++u) {
    const TUnit& unit = S.Units[u];
    if (unit.Selected != 1) continue;
    for (int t = 1; t <= S.UnitTypeCount; ++t) {
      if (S.UnitTypes[t].Name == unit.Name && S.UnitTypes[t].Class == BuilderClass) {
        names.push_back(unit.Name.Text());
        break;
      }
    }
  }
  return names;
}

std::vector<std::vector<std::string>> TrainerUnitSlots(const TGameState& S, const std::string& TypeName) {
  std::vector<std::vector<std::string>> types;
  if (!SomeBuildingNamed(S, TypeName)) return types;
  for (int t = 1; t <= S.BuildingTypeCount; ++t)
    if (S.BuildingTypes[t].Name.Equals(TypeName)) types.push_back(SlotTexts(S.BuildingTypes[t].Units));
  return types;
}

std::vector<std::vector<std::string>> BuilderBuildingSlots(const TGameState& S, const std::string& TypeName) {
  std::vector<std::vector<std::string>> types;
  if (!SomeUnitNamed(S, TypeName)) return types;
  for (int t = 1; t <= S.UnitTypeCount; ++t)
    if (S.UnitTypes[t].Name.Equals(TypeName)) types.push_back(SlotTexts(S.UnitTypes[t].Buildings));
  return types;
}

TOrderResult StartTraining(TGameState& S, const std::string& BuildingType, const std::string& Unit,
                           const TMessageSink& Message) {
  TOrderResult result;
  const TUnitType* unitType = TrainerListsUnit(S, BuildingType, Unit) ? FirstUnitType(S, Unit) : nullptr;
  for (int b = 1; b <= S.BuildingCount; ++b) {
    TBuilding& building = S.Buildings[b];
    if (building.Selected != 1) continue;
    if (!building.Name.Equals(BuildingType)) {
      building.Selected = 0;
      continue;
    }
    if (!unitType || result.Full) continue;
    if (S.UnitCount >= MaxUnits) {
      // A full unit table has no slot for the new unit: nothing is ordered,
      // and the player is told once.
      result.Full = true;
      Tell(Message, FullUnitTableText());
    } else if (!building.TrainUnit.Empty() || building.TrainProgress != 0) {
      ++result.Busy;
      Tell(Message, Cp("Budynek jest zajęty!"));
    } else if (!CanPay(S, unitType->GoldCost, unitType->WoodCost)) {
      ++result.Short;
      Tell(Message, Cp("Za mało surowców!"));
    } else {
      building.TrainUnit.Assign(Unit);
      building.TrainProgress = 1;
      Pay(S, unitType->GoldCost, unitType->WoodCost);
      ++result.Started;
    }
  }
  return result;
}

TOrderResult StartBuilding(TGameState& S, const std::string& UnitType, const std::string& Building,
                           const TMessageSink& Message) {
  TOrderResult result;
  const TBuildingType* buildingType =
      BuilderListsBuilding(S, UnitType, Building) ? FirstBuildingType(S, Building) : nullptr;
  bool builderSeen = false;
  for (int u = 1; u <= S.UnitCount; ++u) {
    TUnit& unit = S.Units[u];
    if (unit.Selected != 1) continue;
    if (!unit.Name.Equals(UnitType)) {
      unit.Selected = 0;
      continue;
    }
    if (builderSeen) continue;
    builderSeen = true;
    if (!buildingType) continue;
    if (S.BuildingCount >= MaxBuildings) {
      result.Full = true;
      Tell(Message, FullBuildingTableText());
    } else if (!unit.BuildName.Empty() || unit.BuildProgress != 0) {
      ++result.Busy;
      Tell(Message, Cp("Robotnik jest zajęty!"));
    } else if (!CanPay(S, buildingType->GoldCost, buildingType->WoodCost)) {
      ++result.Short;
      Tell(Message, Cp("Za mało surowców!"));
    } else {
      unit.BuildName.Assign(Building);
      unit.BuildProgress = 1;
      unit.TargetX = unit.X;
      unit.TargetY = unit.Y;
      Pay(S, buildingType->GoldCost, buildingType->WoodCost);
      S.CommandMode = cmPlace;
      ++result.Started;
    }
  }
  return result;
}

}  // namespace korvel
