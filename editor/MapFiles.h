// The ".map" record as the editor saves and opens it: assembled from the
// state and the "Dane" fields, and spread back over them. The file itself is
// written by WriteMapFile and read by ReadMapFile (world/WorldFiles.h).
#pragma once

#include <cstdint>
#include <string>

#include "editor/EditorState.h"
#include "world/MapFile.h"

namespace sandreth {

struct TMapFields {
  int Rows = DefaultMapSide, Cols = DefaultMapSide;
  std::string Name;  // the name field's text
  std::int32_t Gold = DefaultResources, Wood = DefaultResources;
};

// The record a save writes: the map block with name ("Bez nazwy" when the
// field is empty, cut to 100) and size, the players with the first one's gold
// and wood, and the named slots in their places. Sets MapName, MapRows and
// MapCols of the state.
TMapFile BuildMapFile(TEditorState& State, const TMapFields& Fields);
// Spreads an opened record over the state: the map block, the slots (the
// named ones moved to 1..n in order) and their counts. Returns the fields the
// main window shows (size as stored; the fields clamp it).
TMapFields ApplyOpenedMap(TEditorState& State, const TMapFile& Map);

}  // namespace sandreth
