#include "game/Simulation.h"

#include "game/CodeBox.h"
#include "world/ObjectNames.h"

namespace korvel {

std::int32_t ProgressStep(const TGameState& Game) { return SpeedUpActive(Game) ? 10 : 1; }

void AdvanceTickAndMana(TGameState& Game) {
  Game.Tick = (Game.Tick + 1) % 1000;
  if (Game.Tick % 50 != 1) return;
  for (int u = 1; u <= Game.UnitCount; ++u) {
    TUnit& unit = Game.Units[static_cast<size_t>(u)];
    for (int t = 1; t <= Game.UnitTypeCount; ++t) {
      const TUnitType& type = Game.UnitTypes[static_cast<size_t>(t)];
      if (type.Name == unit.Name && type.Class == 2) unit.Mana = WrapAdd(unit.Mana, 1);
    }
  }
}

namespace {

// Whether a unit type named Name is done at Progress.
bool TrainingDone(const TGameState& Game, const TShortString& Name, std::int32_t Progress) {
  for (int t = 1; t <= Game.UnitTypeCount; ++t) {
    const TUnitType& type = Game.UnitTypes[static_cast<size_t>(t)];
    if (type.Name == Name && type.TrainTime <= Progress) return true;
  }
  return false;
}

bool ConstructionDone(const TGameState& Game, const TShortString& Name, std::int32_t Progress) {
  for (int t = 1; t <= Game.BuildingTypeCount; ++t) {
    const TBuildingType& type = Game.BuildingTypes[static_cast<size_t>(t)];
    if (type.Name == Name && type.BuildTime <= Progress) return true;
  }
  return false;
}

}  // namespace

void AdvanceTraining(TGameState& Game, const TSoundSink& Sound) {
  const std::int32_t step = ProgressStep(Game);
  for (int b = 1; b <= Game.BuildingCount; ++b) {
    TBuilding& building = Game.Buildings[static_cast<size_t>(b)];
    if (building.TrainProgress <= 0) continue;
    const std::int32_t progress = WrapAdd(building.TrainProgress, step);
    const bool done = TrainingDone(Game, building.TrainUnit, progress);
    // A full table has no slot for the unit: the training waits.
    if (done && Game.UnitCount >= MaxUnits) continue;
    building.TrainProgress = progress;
    if (!done) continue;

    building.TrainProgress = 0;
    ++Game.UnitCount;
    if (Sound) Sound(sndTrain);
    TUnit& unit = Game.Units[static_cast<size_t>(Game.UnitCount)];
    unit = TUnit{};
    unit.Name = building.TrainUnit;
    unit.X = Snap3(WrapAdd(building.X, 60));
    unit.Y = Snap3(WrapAdd(building.Y, 60));
    unit.TargetX = WrapAdd(building.X, 60);
    unit.TargetY = WrapAdd(building.Y, 60);
    for (int t = 1; t <= Game.UnitTypeCount; ++t) {
      const TUnitType& type = Game.UnitTypes[static_cast<size_t>(t)];
      if (!(type.Name == unit.Name)) continue;
      unit.HP = type.MaxHP;
      unit.Attack = type.Attack;
      unit.Defense = type.Defense;
      unit.Mana = type.MaxMana;
    }
    unit.Number = NextObjectNumber(Game.Units, Game.UnitCount - 1, 0, unit.Name, 0);
    building.TrainUnit.Clear();
  }
}

void AdvanceConstruction(TGameState& Game, const TSoundSink& Sound) {
  const std::int32_t step = ProgressStep(Game);
  for (int u = 1; u <= Game.UnitCount; ++u) {
    TUnit& builder = Game.Units[static_cast<size_t>(u)];
    if (builder.BuildProgress <= 0 || builder.BuildName.Empty() || Game.CommandMode == cmPlace) continue;
    if (Snap3(builder.TargetX) != builder.X || Snap3(builder.TargetY) != builder.Y) continue;
    const std::int32_t progress = WrapAdd(builder.BuildProgress, step);
    const bool done = ConstructionDone(Game, builder.BuildName, progress);
    if (done && Game.BuildingCount >= MaxBuildings) continue;
    builder.BuildProgress = progress;
    if (!done) continue;

    builder.BuildProgress = 0;
    ++Game.BuildingCount;
    if (Sound) Sound(sndBuild);
    TBuilding& building = Game.Buildings[static_cast<size_t>(Game.BuildingCount)];
    building = TBuilding{};
    building.Name = builder.BuildName;
    building.X = Snap3(builder.X);
    building.Y = WrapSub(Snap3(builder.Y), 45);
    for (int t = 1; t <= Game.BuildingTypeCount; ++t) {
      const TBuildingType& type = Game.BuildingTypes[static_cast<size_t>(t)];
      if (!(type.Name == building.Name)) continue;
      building.HP = type.MaxHP;
      building.Attack = type.Attack;
      building.Defense = type.Defense;
    }
    building.Number = NextObjectNumber(Game.Buildings, Game.BuildingCount - 1, 0, building.Name, 0);
    builder.BuildName.Clear();
  }
}

void ScrollByInput(TGameState& Game, const TInputStates& States, std::int32_t LagCount) {
  const std::int32_t d = LagCount / 2;
  if (States.Contains(stLeft)) Game.ScrollX = WrapAdd(Game.ScrollX, d);
  if (States.Contains(stRight)) Game.ScrollX = WrapSub(Game.ScrollX, d);
  if (States.Contains(stUp)) Game.ScrollY = WrapAdd(Game.ScrollY, d);
  if (States.Contains(stDown)) Game.ScrollY = WrapSub(Game.ScrollY, d);
}

void FollowSelected(TGameState& Game, bool Follow) {
  if (!Follow) return;
  for (int u = 1; u <= Game.UnitCount; ++u) {
    const TUnit& unit = Game.Units[static_cast<size_t>(u)];
    if (unit.Selected != 1) continue;
    Game.ScrollX = WrapSub(0, unit.X);
    Game.ScrollY = WrapSub(0, unit.Y);
  }
}

void SetCursorWorld(TGameState& Game, POINT ControlPoint, int ControlWidth, int ControlHeight) {
  const std::int32_t hw = ControlWidth / 2;
  const std::int32_t hh = ControlHeight / 2;
  const std::int32_t a = WrapSub(Game.ScrollX, ControlPoint.x);
  const std::int32_t c = WrapSub(Game.ScrollY, ControlPoint.y);
  Game.CursorWorldX = WrapSub(WrapSub(WrapSub(WrapSub(0, a), hw), a % 3), hw % 3);
  Game.CursorWorldY = WrapSub(WrapSub(WrapSub(WrapSub(0, c), hh), c % 3), hh % 3);
}

}  // namespace korvel
