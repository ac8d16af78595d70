// The world's records: unit and building slots, unit and building types and the
// player record. Each is stored packed, little-endian, at fixed offsets; the
// in-memory struct is a plain value and Serialize/Deserialize move it to and
// from exactly SerializedSize bytes. Arrays inside a record are indexed from 1
// (element 0 is unused and never stored).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "world/ShortString.h"

// One unit slot; a slot with an empty Name is free.
struct TUnit {
  static constexpr std::size_t SerializedSize = 348;

  std::int32_t HP = 0;
  std::int32_t Attack = 0;
  std::int32_t Defense = 0;
  std::int32_t Mana = 0;
  std::int32_t BuildProgress = 0;  // progress of the construction of BuildName; 0 = not building
  TShortString Name;               // the unit's type name
  std::int32_t X = 0;              // position, world pixels
  std::int32_t Y = 0;
  std::int32_t TargetX = 0;  // position the unit moves to
  std::int32_t TargetY = 0;
  std::uint8_t Selected = 0;  // 1 = selected
  std::int32_t Number = 0;    // running number among units of the same Name
  std::int32_t Group = 0;     // 0 to 9; 0 = no group
  TShortString AttackTarget;  // identifier of the object it attacks; empty = none
  TShortString BuildName;     // type name of the building it is to construct

  bool Free() const { return Name.Empty(); }
  friend bool operator==(const TUnit&, const TUnit&) = default;
  void Serialize(std::uint8_t* Out) const;
  void Deserialize(const std::uint8_t* In);
};

// One building slot; a slot with an empty Name is free.
struct TBuilding {
  static constexpr std::size_t SerializedSize = 336;

  std::int32_t HP = 0;
  std::int32_t Attack = 0;
  std::int32_t Defense = 0;
  std::int32_t TrainProgress = 0;  // progress of the training of TrainUnit; 0 = idle
  TShortString Name;
  std::int32_t X = 0;
  std::int32_t Y = 0;
  std::uint8_t Selected = 0;
  std::int32_t Number = 0;
  std::int32_t Group = 0;
  TShortString AttackTarget;
  TShortString TrainUnit;  // type name of the unit being trained; empty = none

  bool Free() const { return Name.Empty(); }
  friend bool operator==(const TBuilding&, const TBuilding&) = default;
  void Serialize(std::uint8_t* Out) const;
  void Deserialize(const std::uint8_t* In);
};

constexpr int UnitTypeSpellSlots = 5;
constexpr int UnitTypeBuildingSlots = 10;
constexpr int BuildingTypeUnitSlots = 5;

// One unit type: the whole content of a ".unt" file.
struct TUnitType {
  static constexpr std::size_t SerializedSize = 1653;

  std::int32_t MaxHP = 0;
  std::int32_t Attack = 0;
  std::int32_t Defense = 0;
  std::int32_t MaxMana = 0;                                         // 0 = the type has no mana
  std::int32_t Range = 0;                                           // attack range, world pixels
  std::int32_t AttackInterval = 0;                                  // ticks between two strikes
  std::int32_t TrainTime = 0;                                       // training progress needed for one unit
  TShortString Name;                                                // type name and picture name
  std::array<TShortString, UnitTypeSpellSlots + 1> Spells{};        // [1..5] spells it can cast
  std::array<TShortString, UnitTypeBuildingSlots + 1> Buildings{};  // [1..10] building types it can construct
  std::uint8_t Class = 0;                                           // behaviour class 0 to 5
  std::int32_t GoldCost = 0;
  std::int32_t WoodCost = 0;

  friend bool operator==(const TUnitType&, const TUnitType&) = default;
  void Serialize(std::uint8_t* Out) const;
  void Deserialize(const std::uint8_t* In);
};

// One building type: the whole content of a ".bld" file.
struct TBuildingType {
  static constexpr std::size_t SerializedSize = 639;

  std::int32_t MaxHP = 0;
  std::int32_t Attack = 0;
  std::int32_t Defense = 0;
  std::int32_t Range = 0;
  std::int32_t AttackInterval = 0;
  std::int32_t BuildTime = 0;  // construction progress needed for one building
  TShortString Name;
  std::array<TShortString, BuildingTypeUnitSlots + 1> Units{};  // [1..5] unit types it can train
  std::uint8_t Reserved = 0;                                    // carried along, read by neither program
  std::int32_t GoldCost = 0;
  std::int32_t WoodCost = 0;

  friend bool operator==(const TBuildingType&, const TBuildingType&) = default;
  void Serialize(std::uint8_t* Out) const;
  void Deserialize(const std::uint8_t* In);
};

// One player record of the map file.
struct TPlayer {
  static constexpr std::size_t SerializedSize = 109;

  std::int32_t Gold = 0;
  std::int32_t Wood = 0;
  TShortString Name;

  friend bool operator==(const TPlayer&, const TPlayer&) = default;
  void Serialize(std::uint8_t* Out) const;
  void Deserialize(const std::uint8_t* In);
};

static_assert(TUnit::SerializedSize == 5 * 4 + 101 + 4 * 4 + 1 + 2 * 4 + 2 * 101);
static_assert(TBuilding::SerializedSize == 4 * 4 + 101 + 2 * 4 + 1 + 2 * 4 + 2 * 101);
static_assert(TUnitType::SerializedSize == 7 * 4 + 101 * (1 + UnitTypeSpellSlots + UnitTypeBuildingSlots) + 1 + 2 * 4);
static_assert(TBuildingType::SerializedSize == 6 * 4 + 101 * (1 + BuildingTypeUnitSlots) + 1 + 2 * 4);
static_assert(TPlayer::SerializedSize == 2 * 4 + 101);
