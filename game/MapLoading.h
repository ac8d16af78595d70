// Putting a read map file into the game: the map block, the first player's
// gold and wood, and the unit and building slots with their counts.
#pragma once

#include <string>

#include "game/GameState.h"
#include "world/MapFile.h"

namespace korvel {

// Whether the map reader takes Path at all: its name part is not empty and
// its extension is exactly ".map" (case counts).
bool IsMapFileName(const std::string& Path);

// Replaces the game's map block, gold, wood, units, buildings and counts by
// those of File. The named unit (and building) slots are packed into slots
// 1 to n in file order, so the counts cover exactly the objects the file
// holds; the slots behind them are empty records. Rows and columns are kept
// to the grid (0 to 250). Everything else of the game stays as it was.
void ApplyMapFile(TGameState& Game, const TMapFile& File);

}  // namespace korvel
