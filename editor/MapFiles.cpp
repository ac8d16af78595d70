#include "editor/MapFiles.h"

#include "platform/rtl/Cp1250.h"

namespace sandreth {

TMapFile BuildMapFile(TEditorState& State, const TMapFields& Fields) {
  State.Map.MapName.Assign(Fields.Name);
  if (State.Map.MapName.Empty()) State.Map.MapName.Assign(Cp("Bez nazwy"));
  State.Map.MapRows = ClampMapSide(Fields.Rows);
  State.Map.MapCols = ClampMapSide(Fields.Cols);

  TMapFile file;
  for (int i = 1; i <= State.UnitCount && i <= MaxUnits; ++i)
    if (!State.Units[static_cast<size_t>(i)].Free())
      file.Units[static_cast<size_t>(i)] = State.Units[static_cast<size_t>(i)];
  for (int i = 1; i <= State.BuildingCount && i <= MaxBuildings; ++i)
    if (!State.Buildings[static_cast<size_t>(i)].Free())
      file.Buildings[static_cast<size_t>(i)] = State.Buildings[static_cast<size_t>(i)];
  file.Map = State.Map;
  file.Players = State.Players;
  file.Players[1].Gold = Fields.Gold;
  file.Players[1].Wood = Fields.Wood;
  return file;
}

TMapFields ApplyOpenedMap(TEditorState& State, const TMapFile& Map) {
  State.Map = Map.Map;
  State.Units = TUnitTable{};
  State.Buildings = TBuildingTable{};
  State.UnitCount = 0;
  State.BuildingCount = 0;
  // Named slots keep their order and close up from slot 1, so the counts
  // cover every object even when the file has free slots between them.
  for (int i = 1; i <= MaxUnits; ++i)
    if (!Map.Units[static_cast<size_t>(i)].Free())
      State.Units[static_cast<size_t>(++State.UnitCount)] = Map.Units[static_cast<size_t>(i)];
  for (int i = 1; i <= MaxBuildings; ++i)
    if (!Map.Buildings[static_cast<size_t>(i)].Free())
      State.Buildings[static_cast<size_t>(++State.BuildingCount)] = Map.Buildings[static_cast<size_t>(i)];

  TMapFields fields;
  fields.Rows = Map.Map.MapRows;
  fields.Cols = Map.Map.MapCols;
  fields.Name = Map.Map.MapName.Text();
  fields.Gold = Map.Players[1].Gold;
  fields.Wood = Map.Players[1].Wood;
  return fields;
}

}  // namespace sandreth
