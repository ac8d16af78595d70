// Woods and water against every way a unit moves: the tick's own steps, in
// its order, over small worlds of blocking ground, with move orders from
// every side, attacks across the ground, and units that start inside it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "game/Combat.h"
#include "game/Movement.h"
#include "game/Simulation.h"
#include "tests/game/core_fixtures.h"
#include "world/Arith.h"
#include "world/MapGeometry.h"

using namespace korvel;

namespace {

// The middle of cell (50, 50), where every world below has blocking ground.
// The walls run far enough for no unit to get round their ends in a test's
// ticks (a held unit on an attack slides along them a pixel a tick).
constexpr std::int32_t CX = -4, CY = 789;

// One tick of the world, as the game's tick runs its steps.
void Tick(TCoreWorld& W) {
  AdvanceTickAndMana(W.S);
  ComputeSlowFlags(W.S);
  AdvanceTraining(W.S, W.Sink());
  AdvanceConstruction(W.S, W.Sink());
  MoveUnits(W.S);
  RunCombat(W.S, W.Sink());
}

bool Blocking(const TGameState& S, std::int64_t X, std::int64_t Y) { return TerrainUnder(S.Map, X, Y) != tkPlain; }

// More than one 3-pixel step onto blocking ground: no plain ground within 3
// pixels on either axis.
bool Deep(const TGameState& S, std::int32_t X, std::int32_t Y) {
  for (int dy = -3; dy <= 3; ++dy)
    for (int dx = -3; dx <= 3; ++dx)
      if (!Blocking(S, std::int64_t{X} + dx, std::int64_t{Y} + dy)) return false;
  return true;
}

struct TWorldKind {
  const char* Name;
  std::function<bool(int Row, int Col)> Blocks;
  std::uint8_t Kind;
  // Which side of the ground a point lies on (0 on it), for the worlds
  // that part the map in two; for the others the side of the order.
  std::function<std::int64_t(std::int32_t X, std::int32_t Y)> Side;
  bool Sealed;           // no plain way leads through it
  bool AlongHorizontal;  // it runs along a screen row through the middle
  // Small enough for an attacker held at it, sliding along its shore, to
  // get round it on plain ground.
  bool RoundAbout = false;
};

const TWorldKind Worlds[] = {
    {"thick wood 13 x 13", [](int i, int j) { return i >= 44 && i <= 56 && j >= 44 && j <= 56; }, tkTree, nullptr, true,
     false},
    {"one-cell wall along a map row", [](int i, int j) { return i == 50 && j >= 10 && j <= 90; }, tkTree,
     [](std::int32_t X, std::int32_t Y) { return 2 * std::int64_t{Y - CY} - (X - CX); }, true, false},
    {"one-cell line meeting at corners", [](int i, int j) { return i + j == 100 && i >= 10 && i <= 90; }, tkTree,
     [](std::int32_t, std::int32_t Y) { return std::int64_t{Y} - CY; }, false, true},
    {"two-cell wall along a screen row",
     [](int i, int j) { return (i + j == 100 || i + j == 101) && i >= 10 && i <= 90; }, tkTree,
     [](std::int32_t, std::int32_t Y) { return 2 * std::int64_t{Y} - (2 * CY + 8); }, true, true},
    {"lake 5 x 5", [](int i, int j) { return i >= 48 && i <= 52 && j >= 48 && j <= 52; }, tkWater, nullptr, true, false,
     true},
};

void LayOut(TCoreWorld& W, const TWorldKind& K) {
  W.S.Map.MapRows = W.S.Map.MapCols = 100;
  for (int i = 1; i <= 100; ++i)
    for (int j = 1; j <= 100; ++j)
      if (K.Blocks(i, j)) W.S.Map.SetTerrainAt(i, j, K.Kind);
}

// The x of the joints of the line of corners at the middle's row: where a
// cell of the line meets the next one, 16 pixels either side of a middle.
bool NearAJoint(std::int32_t X, int Within) {
  const int off = ((X - CX - 16) % 32 + 32) % 32;
  return off <= Within || off >= 32 - Within;
}

// What happened to one unit over a run of ticks.
struct TTrace {
  bool WentDeep = false;
  bool CrossedAwayFromAJoint = false;
  std::int32_t LastX = 0, LastY = 0;
};

void Watch(const TCoreWorld& W, const TWorldKind& K, const TUnit& U, bool StartedInside, TTrace& T, std::int32_t FromX,
           std::int32_t FromY) {
  if (!StartedInside && Deep(W.S, U.X, U.Y)) T.WentDeep = true;
  if (K.Side && !K.Sealed) {
    const std::int64_t before = K.Side(FromX, FromY), after = K.Side(U.X, U.Y);
    if ((before > 0 && after <= 0) || (before < 0 && after >= 0))
      if (!NearAJoint(FromX, 3) || !NearAJoint(U.X, 3)) T.CrossedAwayFromAJoint = true;
  }
}

struct TDirection {
  int DX, DY;
};
const TDirection EightSides[] = {{1, 0}, {1, 1}, {0, 1}, {-1, 1}, {-1, 0}, {-1, -1}, {0, -1}, {1, -1}};

// A move order from each of eight sides to the opposite side: the unit never
// gets more than a step onto the ground, and where no plain way leads
// through, it stays on its own side.
TEST(TerrainRule, MoveOrdersFromEverySideStopAtTheGround) {
  for (const TWorldKind& k : Worlds)
    for (const TDirection d : EightSides) {
      const std::int32_t sx = CX + 150 * d.DX, sy = CY + 90 * d.DY;
      TCoreWorld w;
      LayOut(w, k);
      if (Blocking(w.S, sx, sy)) continue;  // it starts inside: see below
      SCOPED_TRACE(std::string(k.Name) + " from " + std::to_string(d.DX) + "," + std::to_string(d.DY));
      w.AddUnitType("Piechur", 100, 20, 25);
      TUnit& u = w.AddUnit("Piechur", sx, sy, 100);
      u.Selected = 1;
      u.TargetX = CX - 150 * d.DX;
      u.TargetY = CY - 90 * d.DY;
      TTrace t;
      for (int tick = 0; tick < 400; ++tick) {
        const std::int32_t x = u.X, y = u.Y;
        Tick(w);
        Watch(w, k, u, false, t, x, y);
      }
      EXPECT_FALSE(t.WentDeep) << "walked into it, to " << u.X << "," << u.Y;
      EXPECT_FALSE(t.CrossedAwayFromAJoint) << "crossed the line away from a joint";
      if (k.Sealed) {
        if (k.Side)
          EXPECT_EQ(k.Side(sx, sy) > 0, k.Side(u.X, u.Y) > 0) << "got through, to " << u.X << "," << u.Y;
        else
          EXPECT_GT(std::int64_t{u.X - CX} * d.DX * 150 + std::int64_t{u.Y - CY} * d.DY * 90, 0)
              << "got through, to " << u.X << "," << u.Y;
      }
    }
}

// An attack on a unit standing across the ground, by a selected attacker and
// by one that is not (which other units stop every tick, so that it closes in
// by single pixels): the attacker never gets more than a step onto the
// ground, and where no plain way leads through or round, the victim is never
// struck.
TEST(TerrainRule, AttackersDoNotCrossTheGroundToTheirVictim) {
  for (const TWorldKind& k : Worlds)
    for (const TDirection d : EightSides)
      for (std::uint8_t selected : {0, 1}) {
        const std::int32_t sx = CX + 150 * d.DX, sy = CY + 90 * d.DY;
        TCoreWorld w;
        LayOut(w, k);
        if (Blocking(w.S, sx, sy)) continue;
        SCOPED_TRACE(std::string(k.Name) + " from " + std::to_string(d.DX) + "," + std::to_string(d.DY) +
                     (selected ? ", selected" : ""));
        w.AddUnitType("Piechur", 100, 20, 25);
        TUnit& a = w.AddUnit("Piechur", sx, sy, 100);
        a.Attack = 12;
        a.Selected = selected;
        TUnit& victim = w.AddUnit("Piechur", CX - 150 * d.DX, CY - 90 * d.DY, 100);
        Aim(a, victim);
        TTrace t;
        for (int tick = 0; tick < 500 && w.S.UnitCount == 2; ++tick) {
          const std::int32_t x = a.X, y = a.Y;
          Tick(w);
          Watch(w, k, a, false, t, x, y);
        }
        EXPECT_FALSE(t.WentDeep) << "the attacker walked into it, to " << a.X << "," << a.Y;
        EXPECT_FALSE(t.CrossedAwayFromAJoint) << "crossed the line away from a joint";
        if (k.Sealed && !k.RoundAbout) {
          ASSERT_EQ(w.S.UnitCount, 2);
          EXPECT_EQ(w.S.Units[2].HP, 100) << "the victim was struck from " << a.X << "," << a.Y;
        }
      }
}

// A unit standing on the ground, sent out four ways, walks out toward its
// target and gets there: never backward across the ground.
TEST(TerrainRule, AUnitStartingInsideWalksOutTowardItsTarget) {
  const TDirection ways[] = {{300, 0}, {-300, 0}, {0, 150}, {0, -150}};
  for (const TWorldKind& k : Worlds)
    for (const TDirection d : ways) {
      // Along the line of corners the unit comes out at a joint and is held
      // by the next cell like any other.
      if (k.AlongHorizontal && !k.Sealed && d.DY == 0) continue;
      SCOPED_TRACE(std::string(k.Name) + " sent " + std::to_string(d.DX) + "," + std::to_string(d.DY));
      TCoreWorld w;
      LayOut(w, k);
      w.AddUnitType("Piechur", 100, 20, 25);
      ASSERT_TRUE(Blocking(w.S, CX, CY));
      for (std::uint8_t selected : {0, 1}) {
        w.S.UnitCount = 0;
        TUnit& u = w.AddUnit("Piechur", CX, CY, 100);
        u.Selected = selected;
        u.TargetX = CX + d.DX;
        u.TargetY = CY + d.DY;
        std::int32_t closest = Distance(u.X, u.Y, u.TargetX, u.TargetY);
        int tick = 0;
        for (; tick < 300 && (u.X != CX + d.DX || u.Y != CY + d.DY); ++tick) {
          Tick(w);
          const std::int32_t now = Distance(u.X, u.Y, CX + d.DX, CY + d.DY);
          ASSERT_LT(now, closest) << "stepped away from its target at " << u.X << "," << u.Y;
          closest = now;
        }
        EXPECT_EQ(u.X, CX + d.DX);
        EXPECT_EQ(u.Y, CY + d.DY);
      }
    }
}

// At the joints of a line of cells meeting only at their corners, a unit
// sent straight down the screen gets through exactly where a column of
// plain pixels is drawn between the corners: a couple of pixels, not a gap
// a step wide either side.
TEST(TerrainRule, AtTheCornersOfAThinLineOnlyThePlainGroundDrawnLetsUnitsThrough) {
  TCoreWorld w;
  LayOut(w, Worlds[2]);
  w.AddUnitType("Piechur", 100, 20, 25);
  const std::int32_t joint = CX + 16;
  int crossings = 0, plainColumns = 0;
  for (std::int32_t x = joint - 20; x <= joint + 20; ++x) {
    bool plain = true;
    for (std::int32_t y = CY - 12; y <= CY + 12; ++y) plain = plain && !Blocking(w.S, x, y);
    plainColumns += plain;
    for (std::int32_t from : {CY - 60, CY - 61, CY - 62}) {
      w.S.UnitCount = 0;
      TUnit& u = w.AddUnit("Piechur", x, from, 100);
      u.Selected = 1;
      u.TargetY = CY + 60;
      for (int t = 0; t < 60; ++t) Tick(w);
      const bool crossed = u.Y > CY + 8;
      EXPECT_EQ(crossed, plain) << "x " << x << " (joint " << joint << ") from y " << from << " ended at " << u.Y;
      crossings += crossed;
      EXPECT_EQ(u.X, x);
    }
  }
  EXPECT_LE(plainColumns, 3);
  EXPECT_LE(crossings, 3 * 3);
}

// A unit pushed by another or by a building is not pushed onto blocking
// ground, and a right click does not snap it there.
TEST(TerrainRule, NoPushOrSnapPutsAUnitOntoBlockingGround) {
  TCoreWorld w;
  LayOut(w, Worlds[0]);
  w.AddUnitType("Piechur", 100, 20, 25);
  // The wood's lower-right edge runs through (CX + 104, CY + 52) at slope
  // -1/2. A unit just outside it, another 6 pixels below and right of it:
  // the collision push moves the first up and left, into the wood.
  std::int32_t ex = CX + 105, ey = CY + 52;
  while (Blocking(w.S, ex, ey)) ++ey;
  while (!Blocking(w.S, ex, ey - 1)) --ey;
  ASSERT_TRUE(Blocking(w.S, ex - 3, ey - 3));
  TUnit& a = w.AddUnit("Piechur", ex, ey, 100);
  TUnit& b = w.AddUnit("Piechur", ex + 6, ey + 6, 100);
  RunUnitsAgainstUnits(w.S, nullptr);
  EXPECT_EQ(a.X, ex);
  EXPECT_EQ(a.Y, ey);
  EXPECT_EQ(b.X, ex + 9);
  EXPECT_EQ(b.Y, ey + 9);

  // A building below and right of it pushes it up and left.
  w.S.UnitCount = 0;
  TUnit& c = w.AddUnit("Piechur", ex, ey, 100);
  w.AddBuilding("Koszary", ex + 20, ey + 20);
  c.TargetX = ex + 10;
  c.TargetY = ey + 10;
  RunBuildingsAgainstUnits(w.S, nullptr);
  EXPECT_EQ(c.X, ex);
  EXPECT_EQ(c.Y, ey);
  EXPECT_EQ(c.TargetX, ex);  // stopped all the same

  // Off the grid by 1 or 2 with blocking ground on the grid point below and
  // left of it, the right click's snap puts it on a plain one.
  for (std::int32_t x = ex - 40; x < ex + 40; ++x)
    for (std::int32_t y = ey - 20; y < ey + 20; ++y) {
      if (Blocking(w.S, x, y)) continue;
      c.X = x;
      c.Y = y;
      SnapOntoGrid(w.S, c);
      ASSERT_FALSE(Blocking(w.S, c.X, c.Y)) << x << "," << y;
      ASSERT_LE(std::abs(c.X - x), 3);
      ASSERT_LE(std::abs(c.Y - y), 3);
      // With plain ground all the way to the grid point below and left of
      // it, it goes there, as on open ground.
      bool clear = true;
      for (std::int32_t px = std::min(x, Snap3(x)); px <= std::max(x, Snap3(x)); ++px)
        for (std::int32_t py = std::min(y, Snap3(y)); py <= std::max(y, Snap3(y)); ++py)
          clear = clear && !Blocking(w.S, px, py);
      if (clear) {
        EXPECT_EQ(c.X, Snap3(x)) << x << "," << y;
        EXPECT_EQ(c.Y, Snap3(y)) << x << "," << y;
      }
    }
}

// An unselected attacker held at a wood does not stop the player's selected
// unit, sent 300 pixels over open ground.
TEST(TerrainRule, AnAttackerHeldAtAWoodLeavesTheSelectedUnitsOrdersAlone) {
  TCoreWorld w;
  LayOut(w, Worlds[0]);
  w.AddUnitType("Piechur", 100, 20, 25);
  TUnit& mover = w.AddUnit("Piechur", CX - 150, CY + 240, 100);
  mover.Selected = 1;
  mover.TargetX = CX + 150;
  TUnit& victim = w.AddUnit("Piechur", CX, CY - 150, 100);
  TUnit& attacker = w.AddUnit("Piechur", CX, CY + 150, 100);
  Aim(attacker, victim);
  // The attacker reaches the wood first.
  for (int t = 0; t < 60; ++t) Tick(w);
  ASSERT_LT(attacker.Y, CY + 120);
  mover.X = CX - 150;
  mover.Y = mover.TargetY = CY + 240;
  mover.TargetX = CX + 150;
  int held = 0;
  for (int t = 0; t < 150; ++t) {
    Tick(w);
    held += w.S.SlowFlags[3];
  }
  EXPECT_GT(held, 0) << "the attacker was never held";
  EXPECT_EQ(mover.X, CX + 150);
  EXPECT_EQ(mover.Y, CY + 240);
  EXPECT_EQ(victim.HP, 100);
}

// A unit of class 5, moved into the slot of a unit held at a wood, walks to
// its target.
TEST(TerrainRule, AClassFiveUnitMovedIntoAFlaggedSlotReachesItsTarget) {
  TCoreWorld w;
  LayOut(w, Worlds[0]);
  w.AddUnitType("Piechur", 100, 20, 25);
  w.AddUnitType("Duch", 100, 20, 25, 5);
  for (const char* name : {"Duch", "Nikt"}) {
    SCOPED_TRACE(name);
    w.S.UnitCount = 0;
    TUnit& held = w.AddUnit("Piechur", CX, CY + 120, 100);
    held.TargetY = CY;
    for (int t = 0; t < 40 && w.S.SlowFlags[1] == 0; ++t) Tick(w);
    ASSERT_EQ(w.S.SlowFlags[1], 1);
    w.AddUnit(name, CX - 300, CY + 240, 100).TargetX = CX - 150;
    RemoveUnit(w.S, 1);
    for (int t = 0; t < 80; ++t) Tick(w);
    EXPECT_EQ(w.S.Units[1].X, CX - 150);
    EXPECT_EQ(w.S.SlowFlags[1], 0);
  }
}

}  // namespace
