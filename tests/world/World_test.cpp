#include <gtest/gtest.h>

#include <climits>
#include <memory>

#include "platform/rtl/Cp1250.h"
#include "world/Arith.h"
#include "world/Spells.h"
#include "world/World.h"

TEST(MapBlock, CellsAndTheLimitedSize) {
  auto block = std::make_unique<TMapBlock>();
  const struct {
    std::int32_t Stored;
    int Used;
  } sizes[] = {{48, 48}, {250, 250}, {251, 250}, {INT_MAX, 250}, {0, 0}, {-5, 0}, {INT_MIN, 0}, {1, 1}};
  for (const auto& s : sizes) {
    block->MapRows = s.Stored;
    block->MapCols = s.Stored;
    EXPECT_EQ(block->UsedRows(), s.Used) << s.Stored;
    EXPECT_EQ(block->UsedCols(), s.Used) << s.Stored;
    EXPECT_EQ(block->MapRows, s.Stored);
  }
  // A 250 x 250 map uses every cell of both grids.
  block->MapRows = block->MapCols = 250;
  int n = 0;
  for (int r = 1; r <= block->UsedRows(); ++r)
    for (int c = 1; c <= block->UsedCols(); ++c) {
      block->SetTerrainAt(r, c, static_cast<std::uint8_t>(1 + (r + c) % 6));
      block->SetHeightAt(r, c, 9);
      ++n;
    }
  EXPECT_EQ(n, 62500);
  for (std::uint8_t t : block->Terrain) ASSERT_NE(t, 0);
  for (std::uint8_t h : block->Heights) ASSERT_EQ(h, 9);
  EXPECT_EQ(block->Terrain[TMapBlock::CellIndex(2, 3)], block->TerrainAt(2, 3));
  EXPECT_EQ(TMapBlock::CellIndex(2, 3), 252u);
  // Outside the grid: reads give 0, writes go nowhere.
  for (auto [r, c] : {std::pair{0, 1}, {1, 0}, {251, 1}, {1, 251}, {-1, -1}, {INT_MAX, 5}}) {
    EXPECT_EQ(block->TerrainAt(r, c), 0) << r << "," << c;
    EXPECT_EQ(block->HeightAt(r, c), 0);
    block->SetTerrainAt(r, c, 0);
  }
  for (std::uint8_t t : block->Terrain) ASSERT_NE(t, 0);
}

TEST(WorldTables, TypeTablesHoldThirtyTypes) {
  auto world = std::make_unique<TWorldTables>();
  TUnitType ut;
  TBuildingType bt;
  for (int i = 1; i <= 31; ++i) {
    ut.Name = TShortString::From("t" + std::to_string(i));
    bt.Name = ut.Name;
    EXPECT_EQ(AddUnitType(*world, ut), i <= 30) << i;
    EXPECT_EQ(AddBuildingType(*world, bt), i <= 30) << i;
  }
  EXPECT_EQ(world->UnitTypeCount, 30);
  EXPECT_EQ(world->BuildingTypeCount, 30);
  EXPECT_EQ(world->UnitTypes[1].Name.Text(), "t1");
  EXPECT_EQ(world->UnitTypes[30].Name.Text(), "t30");
  EXPECT_EQ(world->BuildingTypes[30].Name.Text(), "t30");
  EXPECT_TRUE(world->UnitTypes[0].Name.Empty());
}

TEST(WorldTables, CountsComeFromTheNames) {
  auto world = std::make_unique<TWorldTables>();
  EXPECT_EQ(CountNamedSlots(world->Units), 0);
  for (int i : {1, 2, 5, 150}) world->Units[i].Name = TShortString::From("mag");
  world->Units[3].HP = 50;  // no name: free
  world->Units[0].Name = TShortString::From("ignored");
  EXPECT_EQ(CountNamedSlots(world->Units), 4);
  for (int i : {1, 3, 4}) world->Buildings[i].Name = TShortString::From("zamek");
  EXPECT_EQ(CountNamedSlots(world->Buildings), 3);
}

TEST(Spells, StartUpFillsFourSpells) {
  TSpellTable spells;
  InitSpells(spells);
  const TSpell expected[] = {
      {"Kula Ognia", 45, 45, seNone, 0, 0, 0, 0, 0},
      {Cp("Błyskawica"), 90, 60, seNone, 0, 0, 0, 0, 0},
      {"Uzdrowienie", 0, 20, seHeal, 0, 0, 50, 0, 0},
      {"Teleportacja", 0, 35, seTeleport, 0, 0, 0, 0, 0},
  };
  for (int i = 1; i <= SpellsInUse; ++i) EXPECT_TRUE(spells[i] == expected[i - 1]) << i;
  EXPECT_EQ(spells[2].Name, "B\xB3yskawica");
  // A lookup by name over the four finds each of them.
  for (const char* name : {"Kula Ognia", "Błyskawica", "Uzdrowienie", "Teleportacja"}) {
    int found = 0;
    for (int i = 1; i <= SpellsInUse; ++i)
      if (spells[i].Name == Cp(name)) found = i;
    EXPECT_NE(found, 0) << name;
  }
  for (int i = SpellsInUse + 1; i <= MaxSpells; ++i) EXPECT_TRUE(spells[i] == TSpell()) << i;
}

TEST(Arith, WrapsAndDividesSafely) {
  EXPECT_EQ(WrapAdd(INT_MAX, 1), INT_MIN);
  EXPECT_EQ(WrapSub(INT_MIN, 1), INT_MAX);
  EXPECT_EQ(WrapMul(0x10000, 0x10000), 0);
  EXPECT_EQ(WrapMul(-3, 7), -21);
  const struct {
    std::int32_t A, B, Div, Mod;
  } cases[] = {
      {7, 2, 3, 1},
      {-7, 2, -3, -1},
      {7, -2, -3, 1},
      {-7, -2, 3, -1},
      {5, 0, 0, 0},
      {0, 0, 0, 0},
      {INT_MIN, -1, INT_MIN, 0},
      {INT_MAX, -1, -INT_MAX, 0},
      {INT_MIN, 1, INT_MIN, 0},
      {255 * 30, 60, 127, 30},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(SafeDiv(c.A, c.B), c.Div) << c.A << " div " << c.B;
    EXPECT_EQ(SafeMod(c.A, c.B), c.Mod) << c.A << " mod " << c.B;
  }
}
