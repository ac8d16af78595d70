// Small worlds for the rule tests: types and objects added in a line each.
#pragma once

#include <climits>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "game/Combat.h"
#include "game/GameState.h"
#include "world/ObjectNames.h"

namespace korvel {

// Objects are numbered by their slot unless a number is given.
constexpr std::int32_t NumberBySlot = INT32_MIN;

struct TCoreWorld {
  std::unique_ptr<TGameState> Owned = std::make_unique<TGameState>();
  TGameState& S = *Owned;
  std::vector<int> Sounds;

  TSoundSink Sink() {
    return [this](int Wave) { Sounds.push_back(Wave); };
  }

  TUnitType& AddUnitType(const std::string& Name, std::int32_t MaxHP, std::int32_t Range = 0, std::int32_t Interval = 0,
                         std::uint8_t Class = 0, std::int32_t MaxMana = 0) {
    TUnitType& t = S.UnitTypes[++S.UnitTypeCount];
    t.Name.Assign(Name);
    t.MaxHP = MaxHP;
    t.Range = Range;
    t.AttackInterval = Interval;
    t.Class = Class;
    t.MaxMana = MaxMana;
    t.TrainTime = 10;
    return t;
  }
  TBuildingType& AddBuildingType(const std::string& Name, std::int32_t MaxHP, std::int32_t Range = 0,
                                 std::int32_t Interval = 0) {
    TBuildingType& t = S.BuildingTypes[++S.BuildingTypeCount];
    t.Name.Assign(Name);
    t.MaxHP = MaxHP;
    t.Range = Range;
    t.AttackInterval = Interval;
    t.BuildTime = 10;
    return t;
  }
  // A unit standing at (X, Y) with its target there too.
  TUnit& AddUnit(const std::string& Name, std::int32_t X, std::int32_t Y, std::int32_t HP = 10,
                 std::int32_t Number = NumberBySlot) {
    const int slot = ++S.UnitCount;
    TUnit& u = S.Units[slot];
    u.Name.Assign(Name);
    u.X = u.TargetX = X;
    u.Y = u.TargetY = Y;
    u.HP = HP;
    u.Number = Number == NumberBySlot ? slot : Number;
    return u;
  }
  TBuilding& AddBuilding(const std::string& Name, std::int32_t X, std::int32_t Y, std::int32_t HP = 10,
                         std::int32_t Number = NumberBySlot) {
    const int slot = ++S.BuildingCount;
    TBuilding& b = S.Buildings[slot];
    b.Name.Assign(Name);
    b.X = X;
    b.Y = Y;
    b.HP = HP;
    b.Number = Number == NumberBySlot ? slot : Number;
    return b;
  }
};

inline void Aim(TUnit& Attacker, const TUnit& Victim) { Attacker.AttackTarget = StoredIdentifier(Victim); }
inline void Aim(TUnit& Attacker, const TBuilding& Victim) { Attacker.AttackTarget = StoredIdentifier(Victim); }
inline void Aim(TBuilding& Attacker, const TUnit& Victim) { Attacker.AttackTarget = StoredIdentifier(Victim); }
inline void Aim(TBuilding& Attacker, const TBuilding& Victim) { Attacker.AttackTarget = StoredIdentifier(Victim); }

}  // namespace korvel
