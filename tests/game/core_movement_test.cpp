#include "game/Movement.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>

#include "tests/game/core_fixtures.h"

namespace {

constexpr std::int32_t I32Max = std::numeric_limits<std::int32_t>::max();
constexpr std::int32_t I32Min = std::numeric_limits<std::int32_t>::min();

TEST(Distance, RoundsTheEuclideanDistanceWithoutOverflow) {
  const struct {
    std::int32_t X1, Y1, X2, Y2, Expected;
  } cases[] = {
      {0, 0, 3, 4, 5},
      {0, 0, 1, 1, 1},          // 1.414
      {0, 0, 0, 0, 0},
      {3, 4, 0, 0, 5},          // symmetric
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

// The test as the scan over every doubled cell position that it replaces.
std::uint8_t ScanSlowFlag(const TGameState& S, const TUnit& U, std::int32_t Width, std::int32_t Height,
                          std::uint8_t Kept) {
  bool tested = false;
  std::uint8_t flag = Kept;
  for (int t = 1; t <= S.UnitTypeCount; ++t) {
    if (!(S.UnitTypes[t].Name == U.Name) || S.UnitTypes[t].Class == 5) continue;
    tested = true;
    flag = 0;
    const std::int32_t cx = S.ScrollX + U.X + S.HalfWidth;
    const std::int32_t cy = S.ScrollY + U.Y + S.HalfHeight;
    for (std::int32_t i = 1; i <= 2 * S.Map.MapRows; ++i)
      for (std::int32_t j = 1; j <= 2 * S.Map.MapCols; ++j) {
        const bool x = cx - cx % 16 == S.ScrollX - S.ScrollX % 8 - 8 * i + 4 * j + Width / 2 - 12;
        const bool y = cy - cy % 4 == S.ScrollY - S.ScrollY % 8 + 4 * i + 4 * j + Height / 2 - 15;
        const std::size_t flat = static_cast<std::size_t>(i - 1) * 250 + static_cast<std::size_t>(j - 1);
        const bool blocked = flat < MapCells && S.Map.Terrain[flat] != 0;
        if (x && y && blocked && U.BuildProgress < 2) flag = 1;
      }
  }
  return tested ? flag : 0;
}

class Terrain : public ::testing::Test {
 protected:
  void SetUp() override {
    W.AddUnitType("Wojownik", 100);
    W.S.Map.MapRows = W.S.Map.MapCols = 10;
    W.S.HalfWidth = 396;
    W.S.HalfHeight = 239;
  }
  std::uint8_t FlagAt(std::int32_t X, std::int32_t Y) {
    W.S.UnitCount = 0;
    W.AddUnit("Wojownik", X, Y);
    ComputeSlowFlags(W.S, 792, 478);
    return W.S.SlowFlags[1];
  }
  TCoreWorld W;
};

TEST_F(Terrain, AUnitAtZeroNineMatchesOnlyRowTwoColumnFour) {
  EXPECT_EQ(FlagAt(0, 9), 0);
  W.S.Map.Terrain[253] = tkWater;
  EXPECT_EQ(FlagAt(0, 9), 1);
  // Every other byte blocked but 253: not flagged.
  W.S.Map.Terrain.fill(tkTree);
  W.S.Map.Terrain[253] = tkPlain;
  EXPECT_EQ(FlagAt(0, 9), 0);
  // (0, 13) matches no position at all.
  EXPECT_EQ(FlagAt(0, 13), 0);
}

TEST_F(Terrain, BuildersAtWorkClassFiveAndUnknownTypesAreNeverFlagged) {
  W.S.Map.Terrain.fill(tkTree);
  ASSERT_EQ(FlagAt(0, 9), 1);
  W.S.Units[1].BuildProgress = 1;
  ComputeSlowFlags(W.S, 792, 478);
  EXPECT_EQ(W.S.SlowFlags[1], 1);
  W.S.Units[1].BuildProgress = 2;
  ComputeSlowFlags(W.S, 792, 478);
  EXPECT_EQ(W.S.SlowFlags[1], 0);

  // The slot held 1; a class-5 unit or one without a type now gets 0.
  W.S.Units[1].BuildProgress = 0;
  W.AddUnitType("Duch", 100).Class = 5;
  W.S.Units[1].Name.Assign("Duch");
  W.S.SlowFlags[1] = 1;
  ComputeSlowFlags(W.S, 792, 478);
  EXPECT_EQ(W.S.SlowFlags[1], 0);
  W.S.Units[1].Name.Assign("Nikt");
  W.S.SlowFlags[1] = 1;
  ComputeSlowFlags(W.S, 792, 478);
  EXPECT_EQ(W.S.SlowFlags[1], 0);
}

TEST_F(Terrain, PositionsPastTheTableArePlainGround) {
  W.S.Map.MapRows = W.S.Map.MapCols = 250;
  W.S.Map.Terrain.fill(tkWater);
  // Row position 200, column 100: flat 49849, inside the table.
  EXPECT_EQ(FlagAt(-1212, 1185), 1);
  // Row position 260, column 10: flat 64759, past the table.
  EXPECT_EQ(FlagAt(-2052, 1065), 0);
}

TEST_F(Terrain, TheClosedFormAgreesWithTheScan) {
  std::mt19937 rng(20261210);
  int flagged = 0;
  auto pick = [&](int Lo, int Hi) { return std::uniform_int_distribution<int>(Lo, Hi)(rng); };
  for (int round = 0; round < 300; ++round) {
    TCoreWorld w;
    w.AddUnitType("A", 10);
    w.AddUnitType("B", 10).Class = 5;
    w.AddUnitType("A", 20).Class = static_cast<std::uint8_t>(pick(0, 5));
    const bool large = round % 10 == 0;
    w.S.Map.MapRows = large ? pick(120, 250) : pick(1, 30);
    w.S.Map.MapCols = large ? pick(120, 250) : pick(1, 30);
    for (auto& b : w.S.Map.Terrain) b = pick(0, 1) == 0 ? static_cast<std::uint8_t>(pick(1, 6)) : 0;
    const bool wild = round % 7 == 0;
    w.S.ScrollX = wild ? pick(I32Min, I32Max) : pick(-300, 300);
    w.S.ScrollY = wild ? pick(I32Min, I32Max) : pick(-300, 300);
    w.S.HalfWidth = pick(0, 1) ? 396 : pick(-50, 500);
    w.S.HalfHeight = pick(0, 1) ? 239 : pick(-50, 500);
    const std::int32_t width = pick(0, 1) ? 792 : pick(-10, 1000);
    const std::int32_t height = pick(0, 1) ? 478 : pick(-10, 1000);
    const int extent = large ? 8000 : 600;
    for (int u = 0; u < 16; ++u) {
      TUnit& unit = w.AddUnit(pick(0, 3) == 0 ? "B" : "A", pick(-extent, extent), pick(-100, extent));
      if (u % 2 == 1) {
        // Near the position of a random doubled cell, where matches happen.
        const int i = pick(1, 2 * w.S.Map.MapRows), j = pick(1, 2 * w.S.Map.MapCols);
        unit.X = 4 * j - 8 * i - 12 + pick(-16, 16) - w.S.HalfWidth + width / 2;
        unit.Y = 4 * i + 4 * j + 15 + pick(-4, 4) - w.S.HalfHeight + height / 2;
      }
      if (wild && u == 0) unit.X = pick(I32Min, I32Max);
      unit.BuildProgress = pick(0, 3);
    }
    if (large) w.S.UnitCount = 2;  // the scan is long on big maps
    std::array<std::uint8_t, MaxUnits + 1> expected{};
    for (int u = 1; u <= w.S.UnitCount; ++u)
      expected[u] = ScanSlowFlag(w.S, w.S.Units[u], width, height, w.S.SlowFlags[u]);
    ComputeSlowFlags(w.S, width, height);
    for (int u = 1; u <= w.S.UnitCount; ++u)
    {
      ASSERT_EQ(w.S.SlowFlags[u], expected[u]) << "round " << round << " unit " << u;
      flagged += expected[u];
    }
  }
  // Enough blocked units for the comparison to mean something.
  EXPECT_GT(flagged, 20);
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

}  // namespace
