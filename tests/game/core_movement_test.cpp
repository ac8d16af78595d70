#include "game/Movement.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>
#include <vector>

#include "assets/generator/Pictures.h"
#include "game/Combat.h"
#include "game/Scene.h"
#include "tests/game/core_fixtures.h"

using namespace korvel;

namespace {

constexpr std::int32_t I32Max = std::numeric_limits<std::int32_t>::max();
constexpr std::int32_t I32Min = std::numeric_limits<std::int32_t>::min();

TEST(Distance, RoundsTheEuclideanDistanceWithoutOverflow) {
  const struct {
    std::int32_t X1, Y1, X2, Y2, Expected;
  } cases[] = {
      {0, 0, 3, 4, 5},
      {0, 0, 1, 1, 1},  // 1.414
      {0, 0, 0, 0, 0},
      {3, 4, 0, 0, 5},  // symmetric
      {-3, -4, 0, 0, 5},
      {0, 0, 1, 2, 2},          // 2.236
      {0, 0, 2, 3, 4},          // 3.606
      {0, 0, 7, 7, 10},         // 9.899
      {0, 0, 6, 6, 8},          // 8.485
      {0, 0, 46341, 0, 46341},  // the square passes 2^31
      {-50000, 0, 50000, 0, 100000},
      {0, 0, 30000, 40000, 50000},
      {0, 0, 67108863, 0, 67108863},  // both sides of the floating fast path
      {0, 0, 67108864, 0, 67108864},
      {0, 0, 67108864, 67108864, 94906266},
      {0, 0, 67108863, 67108863, 94906264},
      {I32Min, 0, I32Max, 0, I32Max},  // beyond 32 bits: the largest value
      {I32Min, I32Min, I32Max, I32Max, I32Max},
  };
  for (const auto& c : cases)
    EXPECT_EQ(Distance(c.X1, c.Y1, c.X2, c.Y2), c.Expected) << c.X1 << "," << c.Y1 << " " << c.X2 << "," << c.Y2;
}

TEST(Distance, MatchesTheRoundedSquareRootOverARange) {
  for (int dx = 0; dx < 200; ++dx)
    for (int dy = 0; dy < 200; dy += 7)
      ASSERT_EQ(Distance(0, 0, dx, dy), static_cast<std::int32_t>(std::lround(std::sqrt(dx * dx + dy * dy))))
          << dx << "," << dy;
}

class Removal : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* name : {"A", "B", "C"}) W.AddUnit(name, 0, 0);
    for (const char* name : {"X", "Y", "Z"}) W.AddBuilding(name, 0, 0);
    for (int s = 1; s <= 3; ++s) W.S.SlowFlags[s] = static_cast<std::uint8_t>(s);
  }
  std::string UnitNames() const {
    std::string out;
    for (int s = 1; s <= MaxUnits; ++s)
      if (!W.S.Units[s].Free()) out += W.S.Units[s].Name.Text();
    return out;
  }
  TCoreWorld W;
};

TEST(RemovalOf, TheLastRecordFillsTheGapAndItsSlotIsZeroed) {
  const struct {
    int Slot;
    const char* Left;
  } cases[] = {{1, "CB"}, {2, "AC"}, {3, "AB"}};
  for (const auto& c : cases) {
    TCoreWorld w;
    for (const char* name : {"A", "B", "C"}) w.AddUnit(name, 0, 0);
    w.S.SlowFlags = {0, 1, 2, 3};
    RemoveUnit(w.S, c.Slot);
    EXPECT_EQ(w.S.UnitCount, 2);
    std::string names;
    for (int s = 1; s <= 2; ++s) names += w.S.Units[s].Name.Text();
    EXPECT_EQ(names, c.Left) << c.Slot;
    EXPECT_EQ(w.S.Units[3], TUnit{}) << c.Slot;
    // The flags belong to the slots and stay where they are.
    EXPECT_EQ(w.S.SlowFlags[1], 1);
    EXPECT_EQ(w.S.SlowFlags[3], 3);
  }
}

TEST(RemovalOf, TheOnlyObjectLeavesAnEmptyTable) {
  TCoreWorld w;
  w.AddUnit("A", 5, 5);
  w.AddBuilding("X", 5, 5);
  RemoveUnit(w.S, 1);
  RemoveBuilding(w.S, 1);
  EXPECT_EQ(w.S.UnitCount, 0);
  EXPECT_EQ(w.S.BuildingCount, 0);
  EXPECT_EQ(w.S.Units[1], TUnit{});
  EXPECT_EQ(w.S.Buildings[1], TBuilding{});
  EXPECT_EQ(w.S.Units[0], TUnit{});
}

TEST_F(Removal, SlotsOutsideTheCountAreLeftAlone) {
  for (int slot : {0, -1, 4, 150, 151, 1000}) {
    RemoveUnit(W.S, slot);
    RemoveBuilding(W.S, slot);
  }
  EXPECT_EQ(UnitNames(), "ABC");
  EXPECT_EQ(W.S.BuildingCount, 3);
  RemoveBuilding(W.S, 2);
  EXPECT_EQ(W.S.Buildings[2].Name.Text(), "Z");
  EXPECT_EQ(W.S.Buildings[3], TBuilding{});
}

// The terrain kind drawn under a unit, found the way a player sees it: the
// unit stands on the surface pixel of its position, and the cell whose ground
// diamond (the pixels the picture generator counts as the diamond of a cell
// picture) the scene draws over that pixel, elevation left aside, is the
// cell it stands on; plain ground where no cell is drawn. Every cell is
// tried; at most one may hold the pixel.
std::pair<int, int> DrawnCellUnder(const TGameState& S, std::int32_t X, std::int32_t Y) {
  const std::int32_t width = 2 * S.HalfWidth, height = 2 * S.HalfHeight;
  const TPoint p = WorldToScreen(S, X, Y);
  std::pair<int, int> holder{0, 0};
  int holders = 0;
  for (int i = 1; i <= S.Map.UsedRows(); ++i)
    for (int j = 1; j <= S.Map.UsedCols(); ++j) {
      const TPoint corner = CellPosition(S, width, height, i, j, false);
      const int dx = p.x - corner.x, dy = p.y - corner.y;
      if (dx < 0 || dy < 0 || dx >= CellWidth || dy >= CellHeight || !InGroundDiamond(dx, dy)) continue;
      ++holders;
      holder = {i, j};
    }
  EXPECT_LE(holders, 1) << X << "," << Y;
  return holder;
}

std::uint8_t DrawnTerrainUnder(const TGameState& S, std::int32_t X, std::int32_t Y) {
  const auto [row, col] = DrawnCellUnder(S, X, Y);
  return row == 0 ? tkPlain : S.Map.TerrainAt(row, col);
}

// Where a probe lies against its cell's drawn diamond (centre at the cell's
// centre): inside near the middle, near a corner or an edge, or just beyond.
struct TProbeOffset {
  std::int32_t DX, DY;
  bool Inside;
};
const TProbeOffset ProbeOffsets[] = {
    {0, 0, true},   {14, 0, true}, {-15, 0, true}, {0, 7, true},   {0, -8, true},   {8, 3, true},
    {-8, 3, true},  {8, -4, true}, {-8, -4, true}, {15, 0, false}, {-16, 0, false}, {0, 8, false},
    {0, -9, false}, {8, 4, false}, {-8, 4, false}, {8, -5, false}, {-8, -5, false},
};

class Terrain : public ::testing::Test {
 protected:
  void SetUp() override { W.AddUnitType("Wojownik", 100); }
  // Every kind in every neighbourhood: the eight neighbours of a cell all
  // hold kinds other than its own.
  void LayOut(int Size) {
    W.S.Map.MapRows = W.S.Map.MapCols = Size;
    for (int i = 1; i <= Size; ++i)
      for (int j = 1; j <= Size; ++j) W.S.Map.SetTerrainAt(i, j, static_cast<std::uint8_t>((i + 2 * j) % 7));
  }
  // The flag of a unit at (X, Y) on its way down the screen (its next step
  // goes 3 pixels down; up at the bottom of the number range).
  std::uint8_t FlagAt(std::int32_t X, std::int32_t Y) {
    W.S.UnitCount = 0;
    W.AddUnit("Wojownik", X, Y).TargetY = Y == I32Max ? Y - 1 : Y + 1;
    ComputeSlowFlags(W.S);
    return W.S.SlowFlags[1];
  }
  TCoreWorld W;
};

TEST_F(Terrain, AUnitIsHeldBackExactlyWhereBlockingGroundIsDrawnUnderIt) {
  struct TView {
    std::int32_t ScrollX, ScrollY, HalfWidth, HalfHeight;
  };
  const TView views[] = {{0, 0, 396, 239}, {-203, 117, 396, 239}, {7, -5, 640, 450}};
  for (int size : {30, 250}) {
    SCOPED_TRACE(size);
    LayOut(size);
    // The corners and the middle of the map, and a row of cells of every kind.
    std::vector<std::pair<int, int>> cells = {{1, 1},       {1, size}, {size, 1}, {size, size}, {size / 2, size / 2},
                                              {2, size - 1}};
    for (int j = 3; j < 10; ++j) cells.push_back({size - 4, j});
    bool kinds[7] = {};
    int held = 0, free = 0;
    for (const auto& [row, col] : cells) {
      const std::uint8_t kind = W.S.Map.TerrainAt(row, col);
      kinds[kind] = true;
      const std::int32_t cx = 16 * (col - row) - 4, cy = 8 * (row + col) - 11;
      W.S.UnitCount = 0;
      // Each probe on its way somewhere: far off in one of eight directions,
      // or close by on one axis only.
      const std::int32_t aims[][2] = {{300, 0},     {-300, 0}, {0, 200}, {0, -200}, {250, 120},
                                      {-250, -120}, {1, 0},    {0, -1},  {200, -90}};
      int a = 0;
      for (const TProbeOffset& o : ProbeOffsets) {
        TUnit& u = W.AddUnit("Wojownik", cx + o.DX, cy + o.DY);
        u.TargetX += aims[a % 9][0];
        u.TargetY += aims[a % 9][1];
        ++a;
      }
      // And one standing still on the cell's centre.
      W.AddUnit("Wojownik", cx, cy);
      for (const TView& v : views) {
        W.S.ScrollX = v.ScrollX;
        W.S.ScrollY = v.ScrollY;
        W.S.HalfWidth = v.HalfWidth;
        W.S.HalfHeight = v.HalfHeight;
        W.S.SlowFlags.fill(7);
        ComputeSlowFlags(W.S);
        for (int u = 1; u <= W.S.UnitCount; ++u) {
          const TUnit& unit = W.S.Units[u];
          if (u == W.S.UnitCount) {
            EXPECT_EQ(W.S.SlowFlags[u], 0) << "a unit standing still on " << row << "," << col;
            continue;
          }
          const TProbeOffset& o = ProbeOffsets[u - 1];
          // The probes lie on the side of the diamond's edge they are meant to.
          ASSERT_EQ(DrawnCellUnder(W.S, unit.X, unit.Y) == std::make_pair(row, col), o.Inside)
              << row << "," << col << " +" << o.DX << "," << o.DY;
          // Held back when plain ground is drawn under the unit and blocking
          // ground under a pixel its next step would pass.
          const auto step = [](std::int32_t From, std::int32_t To) { return To > From ? 1 : (To < From ? -1 : 0); };
          const bool here = DrawnTerrainUnder(W.S, unit.X, unit.Y) != tkPlain;
          bool onTheWay = false;
          for (int k = 1; k <= 3; ++k)
            onTheWay = onTheWay || DrawnTerrainUnder(W.S, unit.X + k * step(unit.X, unit.TargetX),
                                                     unit.Y + k * step(unit.Y, unit.TargetY)) != tkPlain;
          const bool expected = !here && onTheWay;
          EXPECT_EQ(W.S.SlowFlags[u], expected ? 1 : 0) << "cell " << row << "," << col << " probe " << o.DX << ","
                                                        << o.DY << " scroll " << v.ScrollX << "," << v.ScrollY;
          (expected ? held : free) += 1;
        }
      }
    }
    for (int k = 0; k < 7; ++k) EXPECT_TRUE(kinds[k]) << "kind " << k;
    EXPECT_GT(held, 10);
    EXPECT_GT(free, 50);
  }
}

TEST_F(Terrain, OffTheMapIsPlainGroundAndNothingPastTheGridIsRead) {
  W.S.Map.Terrain.fill(tkWater);
  W.S.Map.MapRows = W.S.Map.MapCols = 10;
  const auto under = [&](std::int64_t X, std::int64_t Y) { return BlockingUnder(W.S, X, Y) ? 1 : 0; };
  EXPECT_EQ(under(-4, 5), 1);     // cell (1, 1)
  EXPECT_EQ(under(-4, -4), 0);    // above its top corner
  EXPECT_EQ(under(-1, 0), 1);     // inside, near that corner
  EXPECT_EQ(under(300, 100), 0);  // right of the map
  EXPECT_EQ(under(-4, 149), 1);   // cell (10, 10)
  EXPECT_EQ(under(-4, 158), 0);   // below it
  // A unit above the top corner, on its way down into the water, is held
  // back; far off the map in any direction, nothing holds it.
  EXPECT_EQ(FlagAt(-4, -4), 1);
  for (std::int32_t x : {INT32_MIN, INT32_MAX})
    for (std::int32_t y : {INT32_MIN, 0, INT32_MAX}) EXPECT_EQ(FlagAt(x, y), 0) << x << "," << y;

  // Sizes from a file are taken unchecked: beyond 250 only the 250 x 250
  // grid is the map.
  W.S.Map.MapRows = W.S.Map.MapCols = 1000;
  EXPECT_EQ(under(-4, 8 * 500 - 11), 1);            // cell (250, 250)
  EXPECT_EQ(under(-4, 8 * 502 - 11), 0);            // cell (251, 251)
  EXPECT_EQ(under(16 * 249 - 4, 8 * 251 - 11), 1);  // cell (1, 250)
  EXPECT_EQ(under(16 * 250 - 4, 8 * 252 - 11), 0);  // cell (1, 251)
  W.S.Map.MapRows = -3;
  EXPECT_EQ(under(-4, 5), 0);
  EXPECT_EQ(FlagAt(-4, -4), 0);
}

TEST_F(Terrain, BuildersAtWorkAreNeverFlaggedAndUntestedUnitsAreCleared) {
  W.S.Map.MapRows = W.S.Map.MapCols = 10;
  W.S.Map.Terrain.fill(tkTree);
  // Above the map's top corner, on its way down into the wood.
  ASSERT_EQ(FlagAt(-4, -4), 1);
  W.S.Units[1].BuildProgress = 1;
  ComputeSlowFlags(W.S);
  EXPECT_EQ(W.S.SlowFlags[1], 1);
  W.S.Units[1].BuildProgress = 2;
  ComputeSlowFlags(W.S);
  EXPECT_EQ(W.S.SlowFlags[1], 0);

  // A class-5 unit and one whose name matches no type are never held: the
  // flag their slot holds (from the unit that had it before) is cleared. A
  // name with a class-5 type and another type is tested.
  W.S.Units[1].BuildProgress = 0;
  W.AddUnitType("Duch", 100).Class = 5;
  for (const char* name : {"Duch", "Nikt"})
    for (std::uint8_t kept : {0, 1}) {
      W.S.Units[1].Name.Assign(name);
      W.S.SlowFlags[1] = kept;
      ComputeSlowFlags(W.S);
      EXPECT_EQ(W.S.SlowFlags[1], 0) << name;
    }
  W.AddUnitType("Duch", 100);
  W.S.Units[1].Name.Assign("Duch");
  W.S.SlowFlags[1] = 0;
  ComputeSlowFlags(W.S);
  EXPECT_EQ(W.S.SlowFlags[1], 1);
}

// A unit walking toward water stops at the water's drawn edge and stays on
// the plain side of it; a unit walking along the shore on plain ground gets
// where it is sent.
TEST_F(Terrain, UnitsWalkUpToTheDrawnShoreAndNoFurther) {
  W.S.Map.MapRows = W.S.Map.MapCols = 30;
  // A river across the view: the cells whose row and column add up to 30,
  // 31 or 32, drawn from y = 221 (the top corner of cell (15, 15)) down.
  for (int i = 1; i <= 30; ++i)
    for (int j = 1; j <= 30; ++j)
      if (i + j >= 30 && i + j <= 32) W.S.Map.SetTerrainAt(i, j, tkWater);
  W.S.HalfWidth = 396;
  W.S.HalfHeight = 239;
  // Straight down from cell (10, 10) toward cell (18, 18).
  TUnit& walker = W.AddUnit("Wojownik", -3, 147);
  walker.TargetY = 276;
  int deepest = 0;
  for (int t = 0; t < 200; ++t) {
    ComputeSlowFlags(W.S);
    MoveUnits(W.S);
    // How far into the water it stands: water pixels from its own upwards.
    int into = 0;
    while (into < 40 && DrawnTerrainUnder(W.S, walker.X, walker.Y - into) == tkWater) ++into;
    deepest = std::max(deepest, into);
  }
  EXPECT_EQ(walker.X, -3);
  EXPECT_LE(deepest, 3) << "the unit waded into the river";
  // It stands at the shore: water within a step below it.
  int below = 1;
  while (below <= 10 && DrawnTerrainUnder(W.S, walker.X, walker.Y + below) != tkWater) ++below;
  EXPECT_LE(below, 4) << "the unit stopped short of the shore, at " << walker.Y;

  // Along the near shore, on the cells whose row and column add up to 27.
  walker.X = -150;
  walker.Y = walker.TargetY = 204;
  walker.TargetX = 150;
  for (int t = 0; t < 120; ++t) {
    ComputeSlowFlags(W.S);
    ASSERT_EQ(W.S.SlowFlags[1], 0) << "held back on plain ground at " << walker.X << "," << walker.Y;
    MoveUnits(W.S);
  }
  EXPECT_EQ(walker.X, 150);
  EXPECT_EQ(walker.Y, 204);
}

TEST(Movement, StepsThreeTowardTheTargetOrOneAwayWhenBlocked) {
  TCoreWorld w;
  w.S.Map.MapRows = w.S.Map.MapCols = 100;
  TUnit& a = w.AddUnit("A", 300, 300);
  a.TargetX = 400;
  a.TargetY = 200;
  TUnit& b = w.AddUnit("B", 300, 300);
  b.TargetX = 400;
  b.TargetY = 200;
  w.S.SlowFlags[2] = 1;
  MoveUnits(w.S);
  EXPECT_EQ(a.X, 303);
  EXPECT_EQ(a.Y, 297);
  EXPECT_EQ(b.X, 299);
  EXPECT_EQ(b.Y, 301);
  EXPECT_EQ(a.TargetX, 400);

  // A target 1 pixel off the 3-grid is crossed and come back to forever.
  TUnit& c = w.AddUnit("C", 300, 300);
  c.TargetX = 301;
  MoveUnits(w.S);
  EXPECT_EQ(c.X, 303);
  MoveUnits(w.S);
  EXPECT_EQ(c.X, 300);
}

TEST(Movement, EachMapEdgePushesTheUnitBackAndStopsIt) {
  const struct {
    std::int32_t Rows, Cols, X, Y, ExpectedX, ExpectedY;
  } cases[] = {
      {100, 100, 10, 0, 7, 3},     // 2Y < X: past the upper right edge
      {100, 100, -10, 0, -7, 3},   // -2Y > X: past the upper left edge
      {10, 100, 0, 200, 3, 197},   // 32 Rows + X < 2Y: past the lower left edge
      {100, 10, 0, 200, -3, 197},  // 32 Cols - 2Y < X: past the lower right edge
      {10, 10, 0, 100, 0, 100},    // inside
  };
  for (const auto& c : cases) {
    TCoreWorld w;
    w.S.Map.MapRows = c.Rows;
    w.S.Map.MapCols = c.Cols;
    TUnit& u = w.AddUnit("A", c.X, c.Y);
    MoveUnits(w.S);
    EXPECT_EQ(u.X, c.ExpectedX) << c.X << "," << c.Y;
    EXPECT_EQ(u.Y, c.ExpectedY) << c.X << "," << c.Y;
    EXPECT_EQ(u.TargetX, u.X);
    EXPECT_EQ(u.TargetY, u.Y);
  }
  // A unit walking past an edge is stopped there.
  TCoreWorld w;
  w.S.Map.MapRows = w.S.Map.MapCols = 100;
  TUnit& u = w.AddUnit("A", 6, 3);
  u.TargetX = 600;
  MoveUnits(w.S);
  EXPECT_EQ(u.X, 6);
  EXPECT_EQ(u.Y, 6);
  EXPECT_EQ(u.TargetX, 6);
}

// One tick of what moves units: the terrain test, the steps, and the pass of
// unit against unit with its stop rules.
void MoveAndMeet(TGameState& S, int Ticks) {
  for (int t = 0; t < Ticks; ++t) {
    ComputeSlowFlags(S);
    MoveUnits(S);
    RunUnitsAgainstUnits(S, nullptr);
  }
}

// A unit left standing on blocking ground holds nobody back: an unselected
// one stopped in a wood does not stop, tick after tick, the selected units
// the player sends over open ground.
TEST_F(Terrain, AUnitLeftStandingInAWoodDoesNotHoldTheSelectedUnitsBack) {
  W.S.Map.MapRows = W.S.Map.MapCols = 30;
  W.S.Map.SetTerrainAt(10, 10, tkTree);
  W.AddUnit("Wojownik", -4, 149);  // in the middle of the wood's cell, standing
  TUnit& mover = W.AddUnit("Wojownik", -4, 245);
  mover.Selected = 1;
  mover.TargetX = 92;
  MoveAndMeet(W.S, 60);
  EXPECT_EQ(mover.X, 92);
  EXPECT_EQ(mover.Y, 245);
  EXPECT_EQ(W.S.Units[1].X, -4);
  EXPECT_EQ(W.S.Units[1].Y, 149);
}

// A unit held at a wood's edge walks away again when sent back the way it
// came; sent on into the wood, it is held at the edge again.
TEST_F(Terrain, AUnitHeldAtAWoodsEdgeWalksBackWhenSentBack) {
  W.S.Map.MapRows = W.S.Map.MapCols = 30;
  for (int i = 1; i <= 30; ++i)
    for (int j = 1; j <= 30; ++j)
      if (i + j >= 30 && i + j <= 32) W.S.Map.SetTerrainAt(i, j, tkTree);
  W.S.HalfWidth = 396;
  W.S.HalfHeight = 239;
  auto depth = [&](const TUnit& U) {
    int into = 0;
    while (into < 40 && DrawnTerrainUnder(W.S, U.X, U.Y - into) == tkTree) ++into;
    return into;
  };
  auto woodBelow = [&](const TUnit& U) {
    int below = 1;
    while (below <= 10 && DrawnTerrainUnder(W.S, U.X, U.Y + below) != tkTree) ++below;
    return below;
  };
  TUnit& walker = W.AddUnit("Wojownik", -3, 147);
  walker.TargetY = 276;
  MoveAndMeet(W.S, 100);
  ASSERT_LE(woodBelow(walker), 4) << "the unit never reached the wood";
  ASSERT_LE(depth(walker), 3);
  walker.TargetX = walker.X;
  walker.TargetY = walker.Y;
  const std::int32_t stoppedAt = walker.Y;
  MoveAndMeet(W.S, 5);
  EXPECT_EQ(walker.Y, stoppedAt) << "a unit standing still moved";

  walker.TargetY = 150;
  int deepest = 0;
  for (int k = 0; k < 100; ++k) {
    MoveAndMeet(W.S, 1);
    deepest = std::max(deepest, depth(walker));
  }
  EXPECT_LE(deepest, 3) << "the unit backed into the wood";
  EXPECT_EQ(walker.X, -3);
  EXPECT_LE(std::abs(walker.Y - 150), 3);

  walker.TargetY = 276;
  deepest = 0;
  for (int k = 0; k < 100; ++k) {
    MoveAndMeet(W.S, 1);
    deepest = std::max(deepest, depth(walker));
  }
  EXPECT_LE(deepest, 3) << "the unit walked into the wood";
  EXPECT_GE(walker.Y, 212);
}

}  // namespace
