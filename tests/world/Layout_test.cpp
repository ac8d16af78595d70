// Every stored field at its offset: each field gets a distinct value, the
// record is serialised, and the bytes at the field's offset must be that
// value. The field tables cover every byte of each record.
#include <gtest/gtest.h>

#include <functional>
#include <random>
#include <string>
#include <vector>

#include "world/ByteOrder.h"
#include "world/MapFile.h"
#include "world/Records.h"

namespace {

enum class Kind { Int32, Byte, Str };

template <typename R>
struct Field {
  std::string Name;
  std::size_t Offset;
  Kind Type;
  std::function<void(R&, int)> Set;  // stores the distinct value of seed k in the field
};

std::size_t SizeOf(Kind k) { return k == Kind::Int32 ? 4 : k == Kind::Byte ? 1 : 101; }

std::int32_t IntValue(int k) { return static_cast<std::int32_t>(0x81F00000u + 0x01010101u * static_cast<unsigned>(k)); }
std::uint8_t ByteValue(int k) { return static_cast<std::uint8_t>(0xC0 + k); }
TShortString StrValue(int k) {
  TShortString s;
  s.Len = static_cast<std::uint8_t>(k);  // short, so that the bytes behind the length carry data too
  for (std::size_t i = 0; i < ShortStringCapacity; ++i) s.Chars[i] = static_cast<std::uint8_t>(k * 31 + i);
  return s;
}

std::vector<std::uint8_t> Expected(Kind type, int k) {
  std::vector<std::uint8_t> b(SizeOf(type));
  if (type == Kind::Int32) PutInt32(b.data(), IntValue(k));
  if (type == Kind::Byte) b[0] = ByteValue(k);
  if (type == Kind::Str) StrValue(k).Serialize(b.data());
  return b;
}

#define INT_FIELD(R, f, off)                                      \
  Field<R> {                                                      \
#f, off, Kind::Int32, [](R & r, int k) { r.f = IntValue(k); } \
  }
#define BYTE_FIELD(R, f, off)                                     \
  Field<R> {                                                      \
#f, off, Kind::Byte, [](R & r, int k) { r.f = ByteValue(k); } \
  }
#define STR_FIELD(R, f, off)                                    \
  Field<R> {                                                    \
#f, off, Kind::Str, [](R & r, int k) { r.f = StrValue(k); } \
  }

template <typename R>
void CheckLayout(const std::vector<Field<R>>& fields) {
  // The table itself: contiguous from 0 to the record size.
  std::size_t at = 0;
  for (const auto& f : fields) {
    ASSERT_EQ(f.Offset, at) << f.Name;
    at += SizeOf(f.Type);
  }
  ASSERT_EQ(at, R::SerializedSize);

  R r;
  for (std::size_t i = 0; i < fields.size(); ++i) fields[i].Set(r, static_cast<int>(i) + 1);
  std::vector<std::uint8_t> bytes(R::SerializedSize, 0xEE);
  r.Serialize(bytes.data());
  for (std::size_t i = 0; i < fields.size(); ++i) {
    const auto& f = fields[i];
    std::vector<std::uint8_t> got(bytes.begin() + f.Offset, bytes.begin() + f.Offset + SizeOf(f.Type));
    EXPECT_EQ(got, Expected(f.Type, static_cast<int>(i) + 1)) << f.Name << " at " << f.Offset;
  }
  R back;
  back.Deserialize(bytes.data());
  EXPECT_TRUE(back == r);

  // Any bytes read come back unchanged when written.
  std::mt19937 rng(7);
  for (auto& b : bytes) b = static_cast<std::uint8_t>(rng());
  R any;
  any.Deserialize(bytes.data());
  std::vector<std::uint8_t> again(R::SerializedSize);
  any.Serialize(again.data());
  EXPECT_EQ(again, bytes);
}

}  // namespace

TEST(Layout, Unit) {
  CheckLayout<TUnit>({
      INT_FIELD(TUnit, HP, 0),
      INT_FIELD(TUnit, Attack, 4),
      INT_FIELD(TUnit, Defense, 8),
      INT_FIELD(TUnit, Mana, 12),
      INT_FIELD(TUnit, BuildProgress, 16),
      STR_FIELD(TUnit, Name, 20),
      INT_FIELD(TUnit, X, 121),
      INT_FIELD(TUnit, Y, 125),
      INT_FIELD(TUnit, TargetX, 129),
      INT_FIELD(TUnit, TargetY, 133),
      BYTE_FIELD(TUnit, Selected, 137),
      INT_FIELD(TUnit, Number, 138),
      INT_FIELD(TUnit, Group, 142),
      STR_FIELD(TUnit, AttackTarget, 146),
      STR_FIELD(TUnit, BuildName, 247),
  });
}

TEST(Layout, Building) {
  CheckLayout<TBuilding>({
      INT_FIELD(TBuilding, HP, 0),
      INT_FIELD(TBuilding, Attack, 4),
      INT_FIELD(TBuilding, Defense, 8),
      INT_FIELD(TBuilding, TrainProgress, 12),
      STR_FIELD(TBuilding, Name, 16),
      INT_FIELD(TBuilding, X, 117),
      INT_FIELD(TBuilding, Y, 121),
      BYTE_FIELD(TBuilding, Selected, 125),
      INT_FIELD(TBuilding, Number, 126),
      INT_FIELD(TBuilding, Group, 130),
      STR_FIELD(TBuilding, AttackTarget, 134),
      STR_FIELD(TBuilding, TrainUnit, 235),
  });
}

TEST(Layout, UnitType) {
  std::vector<Field<TUnitType>> fields = {
      INT_FIELD(TUnitType, MaxHP, 0),      INT_FIELD(TUnitType, Attack, 4), INT_FIELD(TUnitType, Defense, 8),
      INT_FIELD(TUnitType, MaxMana, 12),   INT_FIELD(TUnitType, Range, 16), INT_FIELD(TUnitType, AttackInterval, 20),
      INT_FIELD(TUnitType, TrainTime, 24), STR_FIELD(TUnitType, Name, 28),
  };
  for (int i = 1; i <= 5; ++i)
    fields.push_back({"Spells[" + std::to_string(i) + "]", 129 + 101 * static_cast<std::size_t>(i - 1), Kind::Str,
                      [i](TUnitType& t, int k) { t.Spells[i] = StrValue(k); }});
  for (int i = 1; i <= 10; ++i)
    fields.push_back({"Buildings[" + std::to_string(i) + "]", 634 + 101 * static_cast<std::size_t>(i - 1), Kind::Str,
                      [i](TUnitType& t, int k) { t.Buildings[i] = StrValue(k); }});
  fields.push_back(BYTE_FIELD(TUnitType, Class, 1644));
  fields.push_back(INT_FIELD(TUnitType, GoldCost, 1645));
  fields.push_back(INT_FIELD(TUnitType, WoodCost, 1649));
  CheckLayout(fields);
}

TEST(Layout, BuildingType) {
  std::vector<Field<TBuildingType>> fields = {
      INT_FIELD(TBuildingType, MaxHP, 0),           INT_FIELD(TBuildingType, Attack, 4),
      INT_FIELD(TBuildingType, Defense, 8),         INT_FIELD(TBuildingType, Range, 12),
      INT_FIELD(TBuildingType, AttackInterval, 16), INT_FIELD(TBuildingType, BuildTime, 20),
      STR_FIELD(TBuildingType, Name, 24),
  };
  for (int i = 1; i <= 5; ++i)
    fields.push_back({"Units[" + std::to_string(i) + "]", 125 + 101 * static_cast<std::size_t>(i - 1), Kind::Str,
                      [i](TBuildingType& t, int k) { t.Units[i] = StrValue(k); }});
  fields.push_back(BYTE_FIELD(TBuildingType, Reserved, 630));
  fields.push_back(INT_FIELD(TBuildingType, GoldCost, 631));
  fields.push_back(INT_FIELD(TBuildingType, WoodCost, 635));
  CheckLayout(fields);
}

TEST(Layout, Player) {
  CheckLayout<TPlayer>({INT_FIELD(TPlayer, Gold, 0), INT_FIELD(TPlayer, Wood, 4), STR_FIELD(TPlayer, Name, 8)});
}

TEST(Layout, MapFile) {
  auto map = std::make_unique<TMapFile>();
  // Terrain and elevation of cell (r, c) at (r - 1) * 250 + (c - 1) of their grids.
  map->Map.SetTerrainAt(1, 1, 6);
  map->Map.SetTerrainAt(1, 2, 5);
  map->Map.SetTerrainAt(2, 1, 4);
  map->Map.SetTerrainAt(250, 250, 3);
  map->Map.SetHeightAt(1, 1, 9);
  map->Map.SetHeightAt(250, 250, 8);
  map->Map.MapName = StrValue(40);
  map->Map.MapRows = IntValue(1);
  map->Map.MapCols = IntValue(2);
  for (int i = 1; i <= 4; ++i) {
    map->Players[i].Gold = IntValue(10 + i);
    map->Players[i].Name = StrValue(20 + i);
  }
  for (int i : {1, 2, 150}) {
    map->Units[i].HP = IntValue(30 + i % 50);
    map->Units[i].BuildName = StrValue(i % 100);
    map->Buildings[i].TrainUnit = StrValue(i % 100 + 1);
    map->Buildings[i].Number = IntValue(i % 60);
  }
  std::vector<std::uint8_t> bytes(TMapFile::SerializedSize, 0xEE);
  map->Serialize(bytes.data());

  EXPECT_EQ(bytes[0], 6);
  EXPECT_EQ(bytes[1], 5);
  EXPECT_EQ(bytes[250], 4);
  EXPECT_EQ(bytes[62499], 3);
  EXPECT_EQ(bytes[62500], 9);
  EXPECT_EQ(bytes[125000 - 1], 8);
  auto slice = [&](std::size_t off, std::size_t n) {
    return std::vector<std::uint8_t>(bytes.begin() + off, bytes.begin() + off + n);
  };
  EXPECT_EQ(slice(125000, 101), Expected(Kind::Str, 40));
  EXPECT_EQ(slice(125101, 4), Expected(Kind::Int32, 1));
  EXPECT_EQ(slice(125105, 4), Expected(Kind::Int32, 2));
  for (int i = 1; i <= 4; ++i) {
    std::vector<std::uint8_t> p(TPlayer::SerializedSize);
    map->Players[i].Serialize(p.data());
    EXPECT_EQ(slice(125109 + 109 * (i - 1), 109), p) << "player " << i;
  }
  for (int i : {1, 2, 3, 150}) {
    std::vector<std::uint8_t> u(TUnit::SerializedSize), b(TBuilding::SerializedSize);
    map->Units[i].Serialize(u.data());
    map->Buildings[i].Serialize(b.data());
    EXPECT_EQ(slice(125545 + 348 * static_cast<std::size_t>(i - 1), 348), u) << "unit " << i;
    EXPECT_EQ(slice(177745 + 336 * static_cast<std::size_t>(i - 1), 336), b) << "building " << i;
  }
  EXPECT_EQ(177745 + 336 * 150, 228145);

  // The map block is the file's first 125109 bytes.
  std::vector<std::uint8_t> block(TMapBlock::SerializedSize);
  map->Map.Serialize(block.data());
  EXPECT_EQ(slice(0, block.size()), block);
}
