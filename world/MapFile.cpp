#include "world/MapFile.h"

void TMapFile::Serialize(std::uint8_t* Out) const {
  Map.Serialize(Out);
  for (int i = 1; i <= MapPlayers; ++i) Players[i].Serialize(Out + PlayersOffset + (i - 1) * TPlayer::SerializedSize);
  for (int i = 1; i <= MaxUnits; ++i) Units[i].Serialize(Out + UnitsOffset + (i - 1) * TUnit::SerializedSize);
  for (int i = 1; i <= MaxBuildings; ++i)
    Buildings[i].Serialize(Out + BuildingsOffset + (i - 1) * TBuilding::SerializedSize);
}

void TMapFile::Deserialize(const std::uint8_t* In) {
  Map.Deserialize(In);
  for (int i = 1; i <= MapPlayers; ++i) Players[i].Deserialize(In + PlayersOffset + (i - 1) * TPlayer::SerializedSize);
  for (int i = 1; i <= MaxUnits; ++i) Units[i].Deserialize(In + UnitsOffset + (i - 1) * TUnit::SerializedSize);
  for (int i = 1; i <= MaxBuildings; ++i)
    Buildings[i].Deserialize(In + BuildingsOffset + (i - 1) * TBuilding::SerializedSize);
}
