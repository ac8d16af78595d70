#include "game/MapLoading.h"

#include "platform/rtl/Files.h"

namespace korvel {

bool IsMapFileName(const std::string& Path) {
  if (ExtractFileName(Path).empty()) return false;
  return ExtractFileExt(Path) == ".map";
}

namespace {

template <class TTable>
std::int32_t PackSlots(TTable& Dest, const TTable& Source) {
  std::int32_t count = 0;
  for (size_t i = 1; i < Source.size(); ++i) {
    if (Source[i].Name.Empty()) continue;
    Dest[static_cast<size_t>(++count)] = Source[i];
  }
  for (size_t i = static_cast<size_t>(count) + 1; i < Dest.size(); ++i) Dest[i] = {};
  return count;
}

std::int32_t ClampToGrid(std::int32_t V) { return V < 0 ? 0 : (V > MapSize ? MapSize : V); }

}  // namespace

void ApplyMapFile(TGameState& Game, const TMapFile& File) {
  Game.Map = File.Map;
  Game.Map.MapRows = ClampToGrid(Game.Map.MapRows);
  Game.Map.MapCols = ClampToGrid(Game.Map.MapCols);
  Game.Player.Gold = File.Players[1].Gold;
  Game.Player.Wood = File.Players[1].Wood;
  Game.UnitCount = PackSlots(Game.Units, File.Units);
  Game.BuildingCount = PackSlots(Game.Buildings, File.Buildings);
}

}  // namespace korvel
