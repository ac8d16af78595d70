// The ".map" file: one packed record of 228145 bytes, no header: the map block,
// four player records, 150 unit slots and 150 building slots.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "world/Records.h"
#include "world/World.h"

struct TMapFile {
  static constexpr std::size_t PlayersOffset = TMapBlock::SerializedSize;
  static constexpr std::size_t UnitsOffset = PlayersOffset + MapPlayers * TPlayer::SerializedSize;
  static constexpr std::size_t BuildingsOffset = UnitsOffset + MaxUnits * TUnit::SerializedSize;
  static constexpr std::size_t SerializedSize = BuildingsOffset + MaxBuildings * TBuilding::SerializedSize;

  TMapBlock Map;
  std::array<TPlayer, MapPlayers + 1> Players{};  // [1..4]; the first holds the starting gold and wood
  TUnitTable Units{};                             // [1..150]
  TBuildingTable Buildings{};                     // [1..150]

  friend bool operator==(const TMapFile&, const TMapFile&) = default;
  void Serialize(std::uint8_t* Out) const;
  void Deserialize(const std::uint8_t* In);
};

static_assert(TMapFile::PlayersOffset == 125109);
static_assert(TMapFile::UnitsOffset == 125545);
static_assert(TMapFile::BuildingsOffset == 177745);
static_assert(TMapFile::SerializedSize == 228145);
