#include "game/Combat.h"

#include <algorithm>
#include <charconv>
#include <cstring>

#include "game/Movement.h"
#include "game/TypeLookup.h"

namespace korvel {

namespace {

void Play(const TSoundSink& Sound, int Wave) {
  if (Sound) Sound(Wave);
}

// The identifier of an object as a record stores it (its first 100
// characters), made without allocating: the passes compare every pair.
TShortString StoredId(const TShortString& Name, std::int32_t Number) {
  char digits[16];
  const auto end = std::to_chars(digits, digits + sizeof digits, Number).ptr;
  TShortString id;
  std::size_t n = Name.Size();
  std::memcpy(id.Chars.data(), Name.Chars.data(), n);
  if (n < ShortStringCapacity) id.Chars[n++] = ' ';
  for (const char* p = digits; p != end && n < ShortStringCapacity; ++p) id.Chars[n++] = static_cast<std::uint8_t>(*p);
  id.Len = static_cast<std::uint8_t>(n);
  return id;
}

// The stored identifiers of every live slot of a table, kept in step with
// the removals of a pass (the last slot's identifier moves with its record).
template <typename TTable>
struct TIdCache {
  std::array<TShortString, MaxUnits + 1> Ids{};
  void Build(const TTable& Table, int Count) {
    for (int s = 1; s <= Count; ++s) Ids[s] = StoredId(Table[s].Name, Table[s].Number);
  }
  void Removed(int Slot, int OldCount) {
    if (Slot >= 1 && Slot < OldCount) Ids[Slot] = Ids[OldCount];
  }
};
static_assert(MaxUnits == MaxBuildings);

// Whether an attack target names the object of stored identifier Id: the
// target equals the object's whole identifier, or, for an identifier longer
// than a short string holds, its first 100 characters (the form in which it
// was stored as the target).
bool Names(const TShortString& Target, const TShortString& Id) { return !Target.Empty() && Target == Id; }

// The caps an object's types put on it: applying "HP := MaxHP when MaxHP <
// HP" for each type in turn leaves the smallest maximum, so it is found once
// per outer object and applied to every pair in one step.
struct TCaps {
  bool HasType = false;
  std::int32_t MaxHP = 0;
  std::int32_t MaxMana = 0;
};

TCaps UnitCaps(const TGameState& S, const TTypeMatches& Types) {
  TCaps c;
  for (int t = 0; t < Types.Count; ++t) {
    const TUnitType& T = S.UnitTypes[Types.Index[t]];
    c.MaxHP = c.HasType ? std::min(c.MaxHP, T.MaxHP) : T.MaxHP;
    c.MaxMana = c.HasType ? std::min(c.MaxMana, T.MaxMana) : T.MaxMana;
    c.HasType = true;
  }
  return c;
}

TCaps BuildingCaps(const TGameState& S, const TTypeMatches& Types) {
  TCaps c;
  for (int t = 0; t < Types.Count; ++t) {
    const TBuildingType& T = S.BuildingTypes[Types.Index[t]];
    c.MaxHP = c.HasType ? std::min(c.MaxHP, T.MaxHP) : T.MaxHP;
    c.HasType = true;
  }
  return c;
}

// Caps after a pair: hit points at the types' maximum, then (pass A only)
// mana, then negative hit points to 0. Whether the object is dead.
bool Settle(std::int32_t& HP, std::int32_t* Mana, const TCaps& Caps) {
  if (Caps.HasType && Caps.MaxHP < HP) HP = Caps.MaxHP;
  if (Mana && Caps.HasType && Caps.MaxMana < *Mana) *Mana = Caps.MaxMana;
  if (HP < 0) HP = 0;
  return HP == 0;
}

// Distance(...) < Limit, without the square root when an axis alone is
// already that far (the distance is at least the larger axis difference).
bool Near(std::int32_t X1, std::int32_t Y1, std::int32_t X2, std::int32_t Y2, std::int32_t Limit) {
  const std::int64_t dx = static_cast<std::int64_t>(X1) - X2, dy = static_cast<std::int64_t>(Y1) - Y2;
  if (dx >= Limit || -dx >= Limit || dy >= Limit || -dy >= Limit) return false;
  return Distance(X1, Y1, X2, Y2) < Limit;
}

void Stop(TUnit& U) {
  U.TargetX = U.X;
  U.TargetY = U.Y;
}

int StrikeSound(std::uint8_t Class) {
  switch (Class) {
    case 0:
    case 3:
    case 4: return sndWarrior;
    case 1: return sndArcher;
    case 2: return sndMagic;
    default: return -1;
  }
}

}  // namespace

bool StrikesOnTick(std::int32_t Tick, std::int32_t AttackInterval) {
  // The remainder takes the sign of the tick, so a negative interval strikes
  // like its magnitude; 0 never strikes.
  return AttackInterval != 0 && SafeMod(Tick, AttackInterval) == 1;
}

void RunUnitsAgainstUnits(TGameState& S, const TSoundSink& Sound) {
  TIdCache<TUnitTable> ids;
  ids.Build(S.Units, LiveUnits(S));
  for (int i = 1; i <= LiveUnits(S); ++i) {
    TUnit& u = S.Units[i];
    TTypeMatches types = MatchUnitTypes(S, u.Name);
    TCaps caps = UnitCaps(S, types);
    // The loop re-reads the count: a removal of slot i brings the last
    // record here, and once i lies beyond the count the slot no longer acts.
    for (int k = 1; k <= LiveUnits(S) && i <= LiveUnits(S); ++k) {
      TUnit& v = S.Units[k];
      if (i != k) {
        const bool free = S.SlowFlags[i] == 0;
        if (OnSnappedTargetX(u) && u.Selected == 1 && v.Selected == 1 && v.TargetX == u.TargetX &&
            v.TargetY == u.TargetY && free)
          v.TargetX = v.X;
        if (OnSnappedTargetY(u) && u.Selected == 1 && v.Selected == 1 && v.TargetX == u.TargetX &&
            v.TargetY == u.TargetY && free)
          v.TargetY = v.Y;
        // An unblocked unit that has arrived and is selected stops the other
        // selected units; one that has not, or is not selected, stops the
        // unselected ones. A selected unit held back by terrain stops the
        // other selected units that have not arrived, so that a group halts
        // together; an unselected one held back stops nobody, so that it
        // never cancels the player's orders.
        const int arrived = OnSnappedTarget(u) && u.Selected != 0 ? 1 : 0;
        if (S.SlowFlags[i] == 0 && arrived == v.Selected)
          Stop(v);
        else if (S.SlowFlags[i] == 1 && u.Selected != 0 && v.Selected != 0 && arrived != v.Selected)
          Stop(v);
        // The push parts the pair, each as far as the terrain lets it.
        if (v.X - 9 < u.X && u.X < v.X + 9 && v.Y - 9 < u.Y && u.Y < v.Y + 9) {
          MoveOverTerrain(S, u, -3, -3);
          MoveOverTerrain(S, v, 3, 3);
        }
      }
      if (Names(u.AttackTarget, ids.Ids[k])) {
        for (int t = 0; t < types.Count; ++t) {
          const TUnitType& T = S.UnitTypes[types.Index[t]];
          const std::int32_t d = Distance(u.X, u.Y, v.X, v.Y);
          if (d <= T.Range) {
            Stop(u);
            const std::int32_t damage = u.Attack - v.Defense;
            if (StrikesOnTick(S.Tick, T.AttackInterval) && damage > 0) {
              v.HP -= damage;
              const int wave = StrikeSound(T.Class);
              if (wave >= 0) Play(Sound, wave);
            }
          } else {
            u.TargetX = v.X;
            u.TargetY = v.Y;
            // It also steps toward the victim at once: across only when it is
            // not in the last slot and not selected, down always; neither
            // step is taken onto blocking ground.
            if (i != S.UnitCount && u.Selected == 0)
              MoveOverTerrain(S, u, u.TargetX > u.X ? 1 : (u.TargetX < u.X ? -1 : 0), 0);
            MoveOverTerrain(S, u, 0, u.TargetY > u.Y ? 1 : (u.TargetY < u.Y ? -1 : 0));
          }
        }
      }
      if (Settle(u.HP, &u.Mana, caps)) {
        const int count = LiveUnits(S);
        RemoveUnit(S, i);
        ids.Removed(i, count);
        Play(Sound, sndDeath);
        types = MatchUnitTypes(S, u.Name);
        caps = UnitCaps(S, types);
      }
    }
  }
}

void RunBuildingsAgainstUnits(TGameState& S, const TSoundSink& Sound) {
  TIdCache<TUnitTable> ids;
  ids.Build(S.Units, LiveUnits(S));
  // The units on an attack: their target names a unit or a building. They
  // close in on it, and no building near it or on the way pushes them off.
  std::array<bool, MaxUnits + 1> attacking{};
  {
    TIdCache<TBuildingTable> buildingIds;
    buildingIds.Build(S.Buildings, LiveBuildings(S));
    for (int k = 1; k <= LiveUnits(S); ++k) {
      const TShortString& target = S.Units[k].AttackTarget;
      if (target.Empty()) continue;
      for (int j = 1; j <= LiveUnits(S) && !attacking[k]; ++j) attacking[k] = Names(target, ids.Ids[j]);
      for (int b = 1; b <= LiveBuildings(S) && !attacking[k]; ++b) attacking[k] = Names(target, buildingIds.Ids[b]);
    }
  }
  for (int b = 1; b <= LiveBuildings(S); ++b) {
    TBuilding& w = S.Buildings[b];
    TTypeMatches types = MatchBuildingTypes(S, w.Name);
    TCaps caps = BuildingCaps(S, types);
    for (int k = 1; k <= LiveUnits(S) && b <= LiveBuildings(S); ++k) {
      TUnit& v = S.Units[k];
      // A unit sent to a place close to a building stops and is pushed away
      // (as far as the terrain lets it); one on an attack closes in on its
      // target until a pass finds it in range.
      if (!attacking[k] && Near(w.X, w.Y, v.TargetX, v.TargetY, 40)) {
        Stop(v);
        MoveOverTerrain(S, v, v.X < w.X ? -3 : (v.X > w.X ? 3 : 0), v.Y < w.Y ? -3 : (v.Y > w.Y ? 3 : 0));
      }
      if (Names(w.AttackTarget, ids.Ids[k])) {
        for (int t = 0; t < types.Count; ++t) {
          const TBuildingType& T = S.BuildingTypes[types.Index[t]];
          const std::int32_t damage = w.Attack - v.Defense;
          if (Distance(w.X, w.Y, v.X, v.Y) <= T.Range && StrikesOnTick(S.Tick, T.AttackInterval) && damage > 0) {
            v.HP -= damage;
            Play(Sound, sndArcher);
          }
        }
      }
      if (Settle(w.HP, nullptr, caps)) {
        RemoveBuilding(S, b);
        Play(Sound, sndBoom);
        types = MatchBuildingTypes(S, w.Name);
        caps = BuildingCaps(S, types);
      }
    }
  }
}

void RunUnitsAgainstBuildings(TGameState& S, const TSoundSink& Sound) {
  TIdCache<TBuildingTable> ids;
  ids.Build(S.Buildings, LiveBuildings(S));
  for (int i = 1; i <= LiveUnits(S); ++i) {
    TUnit& u = S.Units[i];
    TTypeMatches types = MatchUnitTypes(S, u.Name);
    TCaps caps = UnitCaps(S, types);
    for (int b = 1; b <= LiveBuildings(S) && i <= LiveUnits(S); ++b) {
      TBuilding& w = S.Buildings[b];
      if (Names(u.AttackTarget, ids.Ids[b])) {
        for (int t = 0; t < types.Count; ++t) {
          const TUnitType& T = S.UnitTypes[types.Index[t]];
          // Units strike buildings from 45 pixels further away.
          if (Distance(u.X, u.Y, w.X, w.Y) <= T.Range + 45) {
            Stop(u);
            const std::int32_t damage = u.Attack - w.Defense;
            if (StrikesOnTick(S.Tick, T.AttackInterval) && damage > 0) {
              w.HP -= damage;
              Play(Sound, sndBuildCrash);
            }
          } else {
            u.TargetX = w.X;
            u.TargetY = w.Y;
          }
        }
      }
      if (Settle(u.HP, nullptr, caps)) {
        RemoveUnit(S, i);
        Play(Sound, sndDeath);
        types = MatchUnitTypes(S, u.Name);
        caps = UnitCaps(S, types);
      }
    }
  }
}

void RunBuildingsAgainstBuildings(TGameState& S, const TSoundSink& Sound) {
  TIdCache<TBuildingTable> ids;
  ids.Build(S.Buildings, LiveBuildings(S));
  for (int b = 1; b <= LiveBuildings(S); ++b) {
    TBuilding& w = S.Buildings[b];
    TTypeMatches types = MatchBuildingTypes(S, w.Name);
    TCaps caps = BuildingCaps(S, types);
    for (int c = 1; c <= LiveBuildings(S) && b <= LiveBuildings(S); ++c) {
      TBuilding& z = S.Buildings[c];
      if (Names(w.AttackTarget, ids.Ids[c])) {
        for (int t = 0; t < types.Count; ++t) {
          const TBuildingType& T = S.BuildingTypes[types.Index[t]];
          const std::int32_t damage = w.Attack - z.Defense;
          if (Distance(w.X, w.Y, z.X, z.Y) <= T.Range && StrikesOnTick(S.Tick, T.AttackInterval) && damage > 0) {
            z.HP -= damage;
            Play(Sound, sndBuildCrash);
          }
        }
      }
      if (Settle(w.HP, nullptr, caps)) {
        const int count = LiveBuildings(S);
        RemoveBuilding(S, b);
        ids.Removed(b, count);
        Play(Sound, sndBoom);
        types = MatchBuildingTypes(S, w.Name);
        caps = BuildingCaps(S, types);
      }
    }
  }
}

void RunCombat(TGameState& S, const TSoundSink& Sound) {
  RunUnitsAgainstUnits(S, Sound);
  RunBuildingsAgainstUnits(S, Sound);
  RunUnitsAgainstBuildings(S, Sound);
  RunBuildingsAgainstBuildings(S, Sound);
}

}  // namespace korvel
