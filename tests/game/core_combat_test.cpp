#include "game/Combat.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "game/Movement.h"
#include "tests/game/core_fixtures.h"

using namespace korvel;

namespace {

using Sounds = std::vector<int>;

TEST(AttackInterval, StrikesOnTicksWhereTheRemainderIsOne) {
  const struct {
    std::int32_t Interval;
    int Strikes;  // over ticks 0..999
    std::int32_t First;
  } cases[] = {{1, 0, -1},
               {0, 0, -1},
               {50, 20, 1},
               {3, 333, 1},
               {2, 500, 1},
               {1000, 1, 1},
               {2000, 1, 1},
               // The remainder takes the tick's sign: a negative interval
               // strikes like its magnitude.
               {-1, 0, -1},
               {-5, 200, 1},
               {-50, 20, 1},
               {-1000, 1, 1},
               {INT32_MIN, 1, 1}};
  for (const auto& c : cases) {
    int strikes = 0;
    std::int32_t first = -1;
    for (std::int32_t tick = 0; tick < 1000; ++tick)
      if (StrikesOnTick(tick, c.Interval)) {
        ++strikes;
        if (first < 0) first = tick;
      }
    EXPECT_EQ(strikes, c.Strikes) << c.Interval;
    EXPECT_EQ(first, c.First) << c.Interval;
  }
  EXPECT_TRUE(StrikesOnTick(951, 50));
  EXPECT_FALSE(StrikesOnTick(950, 50));
}

// Two units of one type, the attacker in slot 1 aiming at the victim in
// slot 2, which stands apart so that no stop or collision rule touches them.
class UnitDuel : public ::testing::Test {
 protected:
  void SetUp() override {
    Type = &W.AddUnitType("Wojownik", 100, 30, 50, 0);
    Attacker = &W.AddUnit("Wojownik", 0, 300, 50);
    Attacker->Attack = 12;
    Victim = &W.AddUnit("Wojownik", 20, 300, 50);
    Victim->Defense = 2;
    // A selected victim that stands on its target stops no unselected unit.
    Victim->Selected = 1;
    Aim(*Attacker, *Victim);
    W.S.Tick = 51;
  }
  void Run() { RunUnitsAgainstUnits(W.S, W.Sink()); }
  TCoreWorld W;
  TUnitType* Type = nullptr;
  TUnit* Attacker = nullptr;
  TUnit* Victim = nullptr;
};

TEST_F(UnitDuel, AStrikeInRangeOnAStrikeTickTakesAttackMinusDefense) {
  Attacker->TargetX = 90;  // it stops to fight
  Run();
  EXPECT_EQ(Victim->HP, 40);
  EXPECT_EQ(W.Sounds, (Sounds{sndWarrior}));
  EXPECT_EQ(Attacker->TargetX, Attacker->X);

  W.Sounds.clear();
  W.S.Tick = 52;
  Run();
  EXPECT_EQ(Victim->HP, 40);
  EXPECT_TRUE(W.Sounds.empty());
}

TEST_F(UnitDuel, TheSoundFollowsTheAttackersClass) {
  const struct {
    std::uint8_t Class;
    Sounds Expected;
  } cases[] = {{0, {sndWarrior}}, {1, {sndArcher}}, {2, {sndMagic}}, {3, {sndWarrior}}, {4, {sndWarrior}}, {5, {}}};
  for (const auto& c : cases) {
    Type->Class = c.Class;
    Victim->HP = 50;
    W.Sounds.clear();
    Run();
    EXPECT_EQ(W.Sounds, c.Expected) << int(c.Class);
    EXPECT_EQ(Victim->HP, 40);
  }
}

TEST_F(UnitDuel, NoDamageWithoutAnAttackAboveTheDefenseOrWithAnIntervalOfZero) {
  Victim->Defense = 12;
  Attacker->TargetX = 90;
  Run();
  EXPECT_EQ(Victim->HP, 50);
  EXPECT_TRUE(W.Sounds.empty());
  EXPECT_EQ(Attacker->TargetX, Attacker->X);  // it still stops in range

  Victim->Defense = 0;
  for (std::int32_t interval : {0, -1, 1}) {
    Type->AttackInterval = interval;
    for (W.S.Tick = 0; W.S.Tick < 1000; ++W.S.Tick) Run();
    EXPECT_EQ(Victim->HP, 50) << interval;
  }
}

TEST_F(UnitDuel, OutOfRangeTheAttackerClosesInAndStepsTowardTheVictim) {
  Victim->X = Victim->TargetX = 99;
  Victim->Y = Victim->TargetY = 279;
  Run();
  EXPECT_EQ(Victim->HP, 50);
  EXPECT_EQ(Attacker->TargetX, 99);
  EXPECT_EQ(Attacker->TargetY, 279);
  // Not the last slot and not selected: one pixel on both axes.
  EXPECT_EQ(Attacker->X, 1);
  EXPECT_EQ(Attacker->Y, 299);

  // Selected, it steps only down the screen axis.
  Attacker->Selected = 1;
  Run();
  EXPECT_EQ(Attacker->X, 1);
  EXPECT_EQ(Attacker->Y, 298);
  EXPECT_EQ(Victim->HP, 50);
}

TEST_F(UnitDuel, TheLastSlotStepsOnlyOnTheYAxis) {
  Victim->AttackTarget = StoredIdentifier(*Attacker);
  Victim->Selected = 0;
  Attacker->AttackTarget.Clear();
  Attacker->X = 0;
  Victim->X = 100;
  Victim->Y = 320;
  Run();
  EXPECT_EQ(Victim->X, 100);
  EXPECT_EQ(Victim->Y, 319);
  EXPECT_EQ(Victim->TargetX, 0);
}

TEST_F(UnitDuel, HitPointsAndManaAreCappedAndTheDeadRemoved) {
  Type->MaxMana = 5;
  Attacker->HP = 500;
  Attacker->Mana = 9;
  Victim->HP = 10;
  Run();
  EXPECT_EQ(Attacker->HP, 100);
  EXPECT_EQ(Attacker->Mana, 5);
  // The victim took 10 and is removed when the pass reaches it.
  EXPECT_EQ(W.S.UnitCount, 1);
  EXPECT_EQ(W.Sounds, (Sounds{sndWarrior, sndDeath}));
  EXPECT_EQ(W.S.Units[2], TUnit{});
}

TEST(Caps, EveryMatchingTypeCapsInTurnSoTheSmallestMaximumHolds) {
  TCoreWorld w;
  w.AddUnitType("A", 100, 0, 0, 0, 30);
  w.AddUnitType("B", 999);
  w.AddUnitType("A", 80, 0, 0, 0, 50);
  w.AddBuildingType("X", 300);
  w.AddBuildingType("X", 200);
  TUnit& a = w.AddUnit("A", 0, 300, 500);
  a.Mana = 45;
  TUnit& loner = w.AddUnit("Nikt", 300, 300, 500);  // no type: no cap
  TBuilding& x = w.AddBuilding("X", 0, 600, 999);
  RunCombat(w.S, nullptr);
  EXPECT_EQ(a.HP, 80);
  EXPECT_EQ(a.Mana, 30);
  EXPECT_EQ(loner.HP, 500);
  EXPECT_EQ(x.HP, 200);
}

TEST(UnitPass, ARemovedSlotTakesTheLastRecordAndSlotsBeyondTheCountNeverAct) {
  TCoreWorld w;
  w.AddUnitType("A", 100, 1000, 1);
  w.S.Tick = 1;
  w.S.UnitTypes[1].AttackInterval = 2;
  TUnit& a = w.AddUnit("A", 0, 300, 0);  // dead on load
  TUnit& b = w.AddUnit("A", 40, 300, 30);
  TUnit& c = w.AddUnit("A", 80, 300, 0);  // dead on load, in the last slot
  b.Attack = 5;
  Aim(b, a);
  c.Attack = 7;
  Aim(c, b);
  (void)a;
  RunUnitsAgainstUnits(w.S, w.Sink());
  // Slot 1 dies first and takes the record of slot 3, which is dead as
  // well: it strikes b once (as the outer object of slot 1) and is removed.
  EXPECT_EQ(w.S.UnitCount, 1);
  EXPECT_EQ(w.S.Units[1].X, 40);
  EXPECT_EQ(w.S.Units[1].HP, 23);
  EXPECT_EQ(w.S.Units[2], TUnit{});
  EXPECT_EQ(w.S.Units[3], TUnit{});
  EXPECT_EQ(std::count(w.Sounds.begin(), w.Sounds.end(), sndDeath), 2);

  // The only unit dying leaves an empty table.
  TCoreWorld one;
  one.AddUnit("A", 0, 300, -5);
  RunUnitsAgainstUnits(one.S, one.Sink());
  EXPECT_EQ(one.S.UnitCount, 0);
  EXPECT_EQ(one.Sounds, (Sounds{sndDeath}));
}

TEST(UnitPass, TheCollisionPushMovesTheOuterUnitUpLeft) {
  {
    TCoreWorld w;
    TUnit& a = w.AddUnit("A", 100, 100);
    TUnit& b = w.AddUnit("A", 108, 108);
    RunUnitsAgainstUnits(w.S, nullptr);
    EXPECT_EQ(b.X - a.X, 14);
    EXPECT_EQ(b.Y - a.Y, 14);
    EXPECT_EQ(a.X, 97);
  }
  {
    TCoreWorld w;
    TUnit& a = w.AddUnit("A", 108, 108);
    TUnit& b = w.AddUnit("A", 100, 100);
    RunUnitsAgainstUnits(w.S, nullptr);
    EXPECT_EQ(a.X, 108);
    EXPECT_EQ(b.X, 100);
    EXPECT_EQ(b.Y, 100);
  }
}

TEST(UnitPass, StopRulesFollowArrivalSelectionAndBlocking) {
  // u (slot 1) selected and on its target; v selected and walking.
  TCoreWorld w;
  TUnit& u = w.AddUnit("A", 300, 300);
  u.Selected = 1;
  TUnit& v = w.AddUnit("A", 0, 600);
  v.TargetX = 30;
  v.TargetY = 630;
  v.Selected = 1;
  RunUnitsAgainstUnits(w.S, nullptr);
  EXPECT_EQ(v.TargetX, 0);  // an arrived selected unit stops the other selected ones
  EXPECT_EQ(v.TargetY, 600);

  // Unselected walkers are left alone by it; a blocked one stops them.
  v.Selected = 0;
  v.TargetX = 30;
  u.TargetX = 330;  // u has not arrived: it stops the unselected v
  RunUnitsAgainstUnits(w.S, nullptr);
  EXPECT_EQ(v.TargetX, 0);
  v.TargetX = 30;
  u.TargetX = u.X;
  RunUnitsAgainstUnits(w.S, nullptr);

  // Held back by terrain, a selected unit stops the other selected units
  // that have not arrived, and no unselected one; an unselected unit held
  // back stops nobody.
  w.S.SlowFlags[1] = 1;
  RunUnitsAgainstUnits(w.S, nullptr);
  EXPECT_EQ(v.TargetX, 30);
  u.TargetX = 330;
  v.Selected = 1;
  RunUnitsAgainstUnits(w.S, nullptr);
  EXPECT_EQ(v.TargetX, 0);
  v.TargetX = 30;
  u.Selected = 0;
  for (std::uint8_t selected : {0, 1}) {
    v.Selected = selected;
    RunUnitsAgainstUnits(w.S, nullptr);
    EXPECT_EQ(v.TargetX, 30) << int(selected);
  }
}

TEST(BuildingPass, AUnitSentNearABuildingIsStoppedAndPushedAway) {
  TCoreWorld w;
  w.AddBuilding("Koszary", 300, 300);
  TUnit& v = w.AddUnit("A", 250, 320);
  v.TargetX = 280;  // 20 + (20) pixels from the building: below 40
  v.TargetY = 300;
  RunBuildingsAgainstUnits(w.S, nullptr);
  EXPECT_EQ(v.X, 247);
  EXPECT_EQ(v.Y, 323);
  EXPECT_EQ(v.TargetX, 250);
  EXPECT_EQ(v.TargetY, 320);

  TUnit& far = w.AddUnit("A", 100, 100);
  far.TargetX = 300 - 40;  // exactly 40: not pushed
  far.TargetY = 300;
  RunBuildingsAgainstUnits(w.S, nullptr);
  EXPECT_EQ(far.X, 100);
  EXPECT_EQ(far.TargetX, 260);
}

TEST(BuildingPass, BuildingsStrikeUnitsOnlyWithinTheirRange) {
  TCoreWorld w;
  w.AddBuildingType("Wieza", 100, 60, 2);
  TBuilding& tower = w.AddBuilding("Wieza", 0, 300, 100);
  tower.Attack = 9;
  TUnit& near = w.AddUnit("A", 60, 300 - 100, 20);  // distance 116: out
  near.X = 0;
  near.Y = 360;  // distance 60: in
  near.TargetX = 0;
  near.TargetY = 460;
  w.S.Tick = 3;
  Aim(tower, near);
  RunBuildingsAgainstUnits(w.S, w.Sink());
  EXPECT_EQ(near.HP, 11);
  EXPECT_EQ(w.Sounds, (Sounds{sndArcher}));
  near.Y = 361;
  RunBuildingsAgainstUnits(w.S, w.Sink());
  EXPECT_EQ(near.HP, 11);
  EXPECT_EQ(near.X, 0);  // buildings never make their victims move
}

TEST(UnitAgainstBuilding, AUnitReachesRangePlus45) {
  const struct {
    std::int32_t Distance;
    bool Strikes;
  } cases[] = {{54, true}, {55, true}, {56, false}};
  for (const auto& c : cases) {
    TCoreWorld w;
    w.AddUnitType("A", 100, 10, 1).AttackInterval = 2;
    TBuilding& target = w.AddBuilding("Koszary", 0, 300, 50);
    TUnit& u = w.AddUnit("A", 0, 300 + c.Distance, 20);
    u.Attack = 8;
    u.TargetY = 900;
    Aim(u, target);
    w.S.Tick = 1;
    RunUnitsAgainstBuildings(w.S, w.Sink());
    EXPECT_EQ(target.HP, c.Strikes ? 42 : 50) << c.Distance;
    EXPECT_EQ(w.Sounds, c.Strikes ? Sounds{sndBuildCrash} : Sounds{}) << c.Distance;
    // In reach it stops; out of reach it is sent to the building.
    EXPECT_EQ(u.TargetY, c.Strikes ? u.Y : 300) << c.Distance;
  }
}

// The tick's movement and combat, as it runs them, on a plain map.
void MoveAndFight(TCoreWorld& W) {
  W.S.Tick = (W.S.Tick + 1) % 1000;
  MoveUnits(W.S);
  RunCombat(W.S, W.Sink());
}

// A unit ordered against a building walks up to it from any distance and
// side and strikes it; a unit merely sent next to a building is stopped and
// pushed away as before.
TEST(UnitAgainstBuilding, AnAttackLandsFromAnyDistance) {
  struct TApproach {
    std::int32_t DX, DY;
  };
  const TApproach approaches[] = {{1, 0}, {-1, 0}, {0, 1}, {0, -1}, {3, 2}, {-2, -1}};
  for (const std::int32_t distance : {60, 150, 400})
    for (const TApproach a : approaches)
      for (const bool second : {false, true}) {
        SCOPED_TRACE(std::to_string(distance) + " from " + std::to_string(a.DX) + "," + std::to_string(a.DY) +
                     (second ? ", a second building before it" : ""));
        TCoreWorld w;
        w.S.Map.MapRows = w.S.Map.MapCols = 100;
        w.AddUnitType("Piechur", 100, 20, 25);
        w.AddBuildingType("Zamek", 1000);
        TBuilding& castle = w.AddBuilding("Zamek", 0, 900, 1000);
        const double length = std::sqrt(double(a.DX) * a.DX + double(a.DY) * a.DY);
        // A building 36 pixels before the target, on the attacker's side,
        // does not push it off.
        if (second)
          w.AddBuilding("Zamek", std::int32_t(std::lround(36 * a.DX / length)),
                        900 + std::int32_t(std::lround(36 * a.DY / length)), 1000);
        TUnit& u = w.AddUnit("Piechur", Snap3(std::int32_t(std::lround(distance * a.DX / length))),
                             Snap3(900 + std::int32_t(std::lround(distance * a.DY / length))), 100);
        u.Attack = 12;
        u.Selected = 1;
        Aim(u, castle);
        int struck = -1;
        for (int t = 0; t < 400 && struck < 0; ++t) {
          MoveAndFight(w);
          if (castle.HP < 1000) struck = t;
        }
        EXPECT_GE(struck, 0) << "the unit stands at " << u.X << "," << u.Y;
        EXPECT_LE(Distance(u.X, u.Y, castle.X, castle.Y), 20 + 45);
        // It keeps striking where it stopped.
        const std::int32_t hp = castle.HP;
        for (int t = 0; t < 60; ++t) MoveAndFight(w);
        EXPECT_LT(castle.HP, hp);
      }

  // Sent next to the castle without an attack, a unit is stopped short of
  // its target and pushed back 3 pixels on each axis, every tick.
  TCoreWorld w;
  w.S.Map.MapRows = w.S.Map.MapCols = 100;
  w.AddUnitType("Piechur", 100, 20, 25);
  w.AddBuildingType("Zamek", 1000);
  w.AddBuilding("Zamek", 0, 900, 1000);
  TUnit& walker = w.AddUnit("Piechur", 150, 960, 100);
  walker.TargetX = 30;
  walker.TargetY = 915;
  MoveAndFight(w);
  EXPECT_EQ(walker.X, 150);  // 147 after the step, pushed back to 150
  EXPECT_EQ(walker.Y, 960);
  EXPECT_EQ(walker.TargetX, 147);
  EXPECT_EQ(walker.TargetY, 957);
  // A unit on an attack is left alone by every building, whatever its
  // target; one whose target names nothing any more is pushed again.
  w.AddBuilding("Zamek", 600, 900, 1000);
  walker.AttackTarget.Assign("Zamek 2");
  walker.TargetX = 30;
  walker.TargetY = 915;
  RunBuildingsAgainstUnits(w.S, nullptr);
  EXPECT_EQ(walker.X, 150);
  EXPECT_EQ(walker.TargetX, 30);
  walker.AttackTarget.Assign("Zamek 3");
  RunBuildingsAgainstUnits(w.S, nullptr);
  EXPECT_EQ(walker.X, 153);
  EXPECT_EQ(walker.TargetX, 150);
}

// An attack on a unit standing beside a building (itself striking the
// building, so that no building pushes it off): the attacker closes in as
// fast as on open ground and strikes, from near or far. Selected, it walks
// 3 pixels a tick; unselected, the victim stops it every tick and it closes
// in by its pixel a tick.
TEST(UnitAgainstUnit, AVictimBesideABuildingIsReached) {
  for (const std::int32_t distance : {60, 150, 400})
    for (const std::uint8_t selected : {0, 1}) {
      SCOPED_TRACE(std::to_string(distance) + (selected ? ", selected" : ""));
      TCoreWorld w;
      w.S.Map.MapRows = w.S.Map.MapCols = 100;
      w.AddUnitType("Piechur", 100, 20, 25);
      w.AddBuildingType("Zamek", 1000);
      w.AddBuilding("Zamek", 30, 900, 1000);
      TUnit& a = w.AddUnit("Piechur", 0, 900 + distance, 100);
      a.Attack = 12;
      a.Selected = selected;
      TUnit& victim = w.AddUnit("Piechur", 0, 900, 100);
      Aim(a, victim);
      Aim(victim, w.S.Buildings[1]);
      const int ticks = (selected ? distance / 3 : distance) + 30;
      for (int t = 0; t < ticks && victim.HP == 100; ++t) MoveAndFight(w);
      EXPECT_LT(victim.HP, 100) << "the attacker stands at " << a.X << "," << a.Y;
    }
}

TEST(BuildingAgainstBuilding, StrikesWithinRangeAndRemovesTheDeadOnItsVisit) {
  TCoreWorld w;
  w.AddBuildingType("Wieza", 100, 100, 2);
  w.AddBuildingType("Koszary", 100);
  TBuilding& tower = w.AddBuilding("Wieza", 0, 300, 100);
  tower.Attack = 50;
  w.AddBuilding("Koszary", 80, 300, 30);
  Aim(tower, w.S.Buildings[2]);
  w.S.Tick = 1;
  RunBuildingsAgainstBuildings(w.S, w.Sink());
  // Struck in the visit of the tower, removed in its own visit.
  EXPECT_EQ(w.S.BuildingCount, 1);
  EXPECT_EQ(w.Sounds, (Sounds{sndBuildCrash, sndBoom}));
  EXPECT_EQ(w.S.Buildings[2], TBuilding{});
}

TEST(Combat, TheFourPassesRunInOrderAndAKilledTargetIsNoLongerFound) {
  TCoreWorld w;
  w.AddUnitType("A", 100, 40, 2);
  w.AddBuildingType("Wieza", 100, 100, 2);
  TUnit& a = w.AddUnit("A", 0, 300, 20);
  a.Attack = 30;
  TUnit& b = w.AddUnit("A", 20, 320, 20);
  TBuilding& tower = w.AddBuilding("Wieza", 0, 200, 100);
  tower.Attack = 5;
  Aim(a, b);
  Aim(tower, a);
  w.S.Tick = 1;
  RunCombat(w.S, w.Sink());
  // Pass A: a strikes b (warrior), b dies on its visit (death); pass B:
  // the tower strikes a (archer).
  EXPECT_EQ(w.Sounds, (Sounds{sndWarrior, sndDeath, sndArcher}));
  EXPECT_EQ(w.S.UnitCount, 1);
  EXPECT_EQ(a.HP, 15);
  // a still names b; nothing bears that name any more.
  w.Sounds.clear();
  RunCombat(w.S, w.Sink());
  EXPECT_EQ(a.HP, 10);
  EXPECT_EQ(w.Sounds, (Sounds{sndArcher}));
}

// A target names the object whose whole identifier it is. An identifier
// longer than a short string holds is stored cut to its first 100
// characters, and is found by those: such a cut form is also a whole
// identifier of 100 characters when one exists, and then names both.
TEST(Combat, ATargetNamesTheObjectWithThatWholeIdentifier) {
  const std::string n97(97, 'n'), n98(98, 'n'), n99(99, 'n'), n100(100, 'n');
  const struct {
    std::string Name;
    std::string Target;
    std::vector<std::int32_t> Numbers;  // of the objects of that name
    std::vector<std::int32_t> Hit;
  } cases[] = {
      {"Piechur", "Piechur 1", {1, 10, 11, -1}, {1}},
      {"Piechur", "Piechur 10", {1, 10, 100}, {10}},
      {"Piechur", "piechur 1", {1}, {}},
      {"Piechur", "Piechur 1 ", {1}, {}},
      {"Piechur", "Piechur -1", {1, -1, -10}, {-1}},
      {n97, n97 + " 1", {1, 10, 100}, {1}},                   // 99 and 100 characters: whole
      {n97, n97 + " 10", {1, 10, 100, 101}, {10, 100, 101}},  // 101 characters, cut to "... 10"
      {n98, n98 + " 1", {1, 2, 10, 19, 20}, {1, 10, 19}},
      {n98, n98 + " 2", {1, 2, 10, 20}, {2, 20}},
      {n99, n99 + " ", {1, 7, 123}, {1, 7, 123}},  // every identifier is cut to the name and a space
      {n100, n100, {1, 5}, {1, 5}},
      {n99, n99, {1}, {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Target.size() > 20 ? c.Target.substr(90) + " (" + std::to_string(c.Target.size()) + ")" : c.Target);
    TCoreWorld w;
    w.AddUnitType(c.Name, 100, 1000, 2);
    TUnit& a = w.AddUnit(c.Name, 0, 300, 20, 9999);
    a.Attack = 3;
    a.AttackTarget.Assign(c.Target);
    ASSERT_EQ(a.AttackTarget.Text(), c.Target.substr(0, 100));
    for (std::size_t k = 0; k < c.Numbers.size(); ++k)
      w.AddUnit(c.Name, 20 * static_cast<int>(k + 1), 300, 20, c.Numbers[k]);
    w.S.Tick = 1;
    RunUnitsAgainstUnits(w.S, nullptr);
    std::vector<std::int32_t> hit;
    for (int u = 2; u <= w.S.UnitCount; ++u)
      if (w.S.Units[u].HP < 20) hit.push_back(w.S.Units[u].Number);
    EXPECT_EQ(hit, c.Hit);
  }
}

TEST(Combat, ALongTypeNameIsFoundThroughItsStoredIdentifier) {
  TCoreWorld w;
  const std::string name(99, 'x');
  w.AddUnitType(name, 100, 50, 2);
  TUnit& a = w.AddUnit(name, 0, 300, 20);
  a.Attack = 3;
  TUnit& b = w.AddUnit(name, 10, 300, 20, 123);
  Aim(a, b);  // "xxx…x 1" cut to 100 characters
  ASSERT_EQ(a.AttackTarget.Size(), 100u);
  w.S.Tick = 1;
  RunUnitsAgainstUnits(w.S, nullptr);
  EXPECT_EQ(b.HP, 17);
  // Buildings are found the same way.
  w.AddBuildingType(name, 100);
  TBuilding& c = w.AddBuilding(name, 0, 330, 50, 77);
  Aim(a, c);
  RunUnitsAgainstBuildings(w.S, nullptr);
  EXPECT_EQ(c.HP, 47);
}

}  // namespace
