#include "editor/EditorState.h"

#include <cstdint>
#include <string>
#include <vector>

#include "platform/rtl/Cp1250.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/FileReplace.h"
#include "platform/rtl/Files.h"
#include "platform/rtl/Random.h"
#include "world/Arith.h"
#include "world/MapGeometry.h"
#include "world/ObjectNames.h"

namespace {

// Pictures drawn further than this from the view are off it whatever their
// size; such positions are not handed to the image lists at all, so nothing
// downstream ever sees a coordinate near the 32-bit limits.
constexpr std::int64_t FarAway = std::int64_t{1} << 24;

bool OnScreenRange(std::int64_t X, std::int64_t Y, int& OutX, int& OutY) {
  if (X < -FarAway || X > FarAway || Y < -FarAway || Y > FarAway) return false;
  OutX = static_cast<int>(X);
  OutY = static_cast<int>(Y);
  return true;
}

constexpr int LastTerrainKind = 6;

}  // namespace

int ClampMapSide(std::int64_t Value) {
  if (Value < MinMapSide) return MinMapSide;
  if (Value > MapSize) return MapSize;
  return static_cast<int>(Value);
}

// ---- View -----------------------------------------------------------------

void DrawMap(const TEditorState& State, int Rows, int Cols, int W, int H, TEditorPictures& Pictures) {
  Rows = ClampMapSide(Rows);
  Cols = ClampMapSide(Cols);
  const std::int64_t baseX = std::int64_t{State.ScrollX} + W / 2;
  const std::int64_t baseY = std::int64_t{State.ScrollY} + H / 2;
  for (int i = 1; i <= Rows; ++i) {
    for (int j = 1; j <= Cols; ++j) {
      const int k = State.Map.TerrainAt(i, j);
      const int h = State.Map.HeightAt(i, j);
      // A kind without a picture (from a file) ends the terrain for this
      // frame, as a failed draw does; the objects are still drawn.
      if (k > LastTerrainKind) return;
      const std::int64_t x = baseX + CellPictureX(i, j);
      const std::int64_t y = baseY + CellPictureY(i, j);
      int dx = 0, dy = 0;
      if (OnScreenRange(x, y - 8 * h, dx, dy) && !Pictures.DrawItem(1, k, dx, dy)) return;
      if (k > 2 && OnScreenRange(x, y, dx, dy) && !Pictures.DrawItem(2, k - 1, dx, dy)) return;
    }
  }
}

void DrawFrame(TEditorState& State, int Rows, int Cols, int W, int H, TEditorPictures& Pictures,
               std::vector<std::string>* NewlyMissing) {
  State.OriginX = W / 2 - 18;
  State.OriginY = H / 2 - 32;
  DrawMap(State, Rows, Cols, W, H, Pictures);

  auto missing = [&](const TShortString& TypeName) {
    std::string name = TypeName.Text();
    if (State.MissingPictures.insert(name).second && NewlyMissing) NewlyMissing->push_back(name);
  };
  int x = 0, y = 0;
  for (int b = 1; b <= State.BuildingCount && b <= MaxBuildings; ++b) {
    const TBuilding& slot = State.Buildings[static_cast<size_t>(b)];
    for (int t = 1; t <= State.BuildingTypeCount && t <= MaxBuildingTypes; ++t) {
      const TBuildingType& type = State.BuildingTypes[static_cast<size_t>(t)];
      if (!(type.Name == slot.Name) || State.MissingPictures.count(type.Name.Text())) continue;
      if (!OnScreenRange(std::int64_t{State.ScrollX} + slot.X + State.OriginX - 30,
                         std::int64_t{State.ScrollY} + slot.Y + State.OriginY - 30, x, y))
        continue;
      if (!Pictures.DrawNamed(4, PictureName(type.Name), x, y)) missing(type.Name);
    }
  }
  for (int u = 1; u <= State.UnitCount && u <= MaxUnits; ++u) {
    const TUnit& slot = State.Units[static_cast<size_t>(u)];
    for (int t = 1; t <= State.UnitTypeCount && t <= MaxUnitTypes; ++t) {
      const TUnitType& type = State.UnitTypes[static_cast<size_t>(t)];
      if (!(type.Name == slot.Name) || State.MissingPictures.count(type.Name.Text())) continue;
      if (!OnScreenRange(std::int64_t{State.ScrollX} + slot.X + State.OriginX,
                         std::int64_t{State.ScrollY} + slot.Y + State.OriginY, x, y))
        continue;
      if (!Pictures.DrawNamed(3, PictureName(type.Name), x, y)) missing(type.Name);
    }
  }

  // The marker over the hovered cell at its elevation; before the mouse has
  // found a cell the indexes name none and the elevation reads 0.
  const std::int64_t mx = std::int64_t{State.ScrollX} + CellPictureX(State.HoverRow, State.HoverCol) + W / 2;
  const std::int64_t my = std::int64_t{State.ScrollY} + CellPictureY(State.HoverRow, State.HoverCol) + H / 2 -
                          8 * State.Map.HeightAt(State.HoverRow, State.HoverCol);
  if (OnScreenRange(mx, my, x, y)) Pictures.DrawItem(2, 0, x, y);

  if (State.HoverTerrain >= 0 && State.HoverTerrain <= LastTerrainKind) Pictures.DrawItem(1, State.HoverTerrain, 10, 10);
}

void ScrollView(TEditorState& State, std::int32_t Lag, bool Left, bool Right, bool Up, bool Down) {
  const std::int32_t d = Lag / 2;
  if (Left) State.ScrollX = WrapAdd(State.ScrollX, d);
  if (Right) State.ScrollX = WrapSub(State.ScrollX, d);
  if (Up) State.ScrollY = WrapAdd(State.ScrollY, d);
  if (Down) State.ScrollY = WrapSub(State.ScrollY, d);
}

// ---- Terrain editing ------------------------------------------------------

bool HitTestCell(const TEditorState& State, int Rows, int Cols, int W, int H, int X, int Y, int& Row, int& Col) {
  // DrawMap lays the cells out as the game does, so the cell under the
  // pointer is the one whose ground diamond the shared geometry finds there.
  const TMapCell cell = GroundCellUnderPoint(X, Y, State.ScrollX, State.ScrollY, W, H);
  if (!OnMap(cell, ClampMapSide(Rows), ClampMapSide(Cols))) return false;
  Row = static_cast<int>(cell.Row);
  Col = static_cast<int>(cell.Col);
  return true;
}

bool PointerMoved(TEditorState& State, int Rows, int Cols, int W, int H, int X, int Y, std::uint8_t Elevation) {
  int i = 0, j = 0;
  if (!HitTestCell(State, Rows, Cols, W, H, X, Y, i, j)) return false;
  if (State.Painting) {
    State.Map.SetTerrainAt(i, j, State.PaintTerrain);
    State.Map.SetHeightAt(i, j, Elevation);
  }
  State.HoverRow = i;
  State.HoverCol = j;
  State.HoverTerrain = State.Map.TerrainAt(i, j);
  return true;
}

void RandomizeTerrain(TEditorState& State, int Rows, int Cols, int Randomness) {
  Rows = ClampMapSide(Rows);
  Cols = ClampMapSide(Cols);
  // One generator for the run, seeded once; seeding it again for every cell
  // from a fast clock would repeat the same number across whole rows.
  if (!State.RandomSeeded) {
    Randomize();
    State.RandomSeeded = true;
  }
  for (int i = 1; i <= Rows; ++i)
    for (int j = 1; j <= Cols; ++j) {
      const std::int32_t r = Random(Randomness + 2);
      State.Map.SetTerrainAt(i, j, r <= 2 ? static_cast<std::uint8_t>(r) : tkPlain);
    }
}

void ZeroTerrain(TEditorState& State, int Rows, int Cols) {
  Rows = ClampMapSide(Rows);
  Cols = ClampMapSide(Cols);
  for (int i = 1; i <= Rows; ++i)
    for (int j = 1; j <= Cols; ++j) State.Map.SetTerrainAt(i, j, tkPlain);
}

// ---- Map files ------------------------------------------------------------

TMapFile BuildMapFile(TEditorState& State, const TMapFields& Fields) {
  State.Map.MapName.Assign(Fields.Name);
  if (State.Map.MapName.Empty()) State.Map.MapName.Assign(Cp("Bez nazwy"));
  State.Map.MapRows = ClampMapSide(Fields.Rows);
  State.Map.MapCols = ClampMapSide(Fields.Cols);

  TMapFile file;
  for (int i = 1; i <= State.UnitCount && i <= MaxUnits; ++i)
    if (!State.Units[static_cast<size_t>(i)].Free()) file.Units[static_cast<size_t>(i)] = State.Units[static_cast<size_t>(i)];
  for (int i = 1; i <= State.BuildingCount && i <= MaxBuildings; ++i)
    if (!State.Buildings[static_cast<size_t>(i)].Free())
      file.Buildings[static_cast<size_t>(i)] = State.Buildings[static_cast<size_t>(i)];
  file.Map = State.Map;
  file.Players = State.Players;
  file.Players[1].Gold = Fields.Gold;
  file.Players[1].Wood = Fields.Wood;
  return file;
}

void SaveMapFileSafely(const std::string& FileName, const TMapFile& Map) {
  std::vector<std::uint8_t> bytes(TMapFile::SerializedSize);
  Map.Serialize(bytes.data());
  ReplaceFileContents(FileName, bytes.data(), bytes.size());
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
    if (!Map.Units[static_cast<size_t>(i)].Free()) State.Units[static_cast<size_t>(++State.UnitCount)] = Map.Units[static_cast<size_t>(i)];
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

// ---- Placed units and buildings ------------------------------------------

std::vector<std::string> UnitIdentifiers(const TEditorState& State) {
  std::vector<std::string> ids;
  for (int i = 1; i <= State.UnitCount && i <= MaxUnits; ++i) ids.push_back(ObjectIdentifier(State.Units[static_cast<size_t>(i)]));
  return ids;
}

std::vector<std::string> BuildingIdentifiers(const TEditorState& State) {
  std::vector<std::string> ids;
  for (int i = 1; i <= State.BuildingCount && i <= MaxBuildings; ++i)
    ids.push_back(ObjectIdentifier(State.Buildings[static_cast<size_t>(i)]));
  return ids;
}

int FindUnitSlot(const TEditorState& State, const std::string& Id) {
  int found = 0;
  for (int i = 1; i <= State.UnitCount && i <= MaxUnits; ++i)
    if (ObjectIdentifier(State.Units[static_cast<size_t>(i)]) == Id) found = i;
  return found;
}

int FindBuildingSlot(const TEditorState& State, const std::string& Id) {
  int found = 0;
  for (int i = 1; i <= State.BuildingCount && i <= MaxBuildings; ++i)
    if (ObjectIdentifier(State.Buildings[static_cast<size_t>(i)]) == Id) found = i;
  return found;
}

std::int32_t PercentOf(std::int32_t V, std::int32_t Max) {
  if (Max == 0) return 100;
  const std::int64_t p = std::int64_t{V} * 100 / Max;
  return static_cast<std::int32_t>(p < 1 ? 1 : (p > 100 ? 100 : p));
}

std::int32_t ValueOfPercent(std::int32_t Pct, std::int32_t Max) {
  return static_cast<std::int32_t>(std::int64_t{Pct} * Max / 100);
}


TUnitFields UnitFieldsOf(const TEditorState& State, int Index, const TUnitFields& Base) {
  TUnitFields f = Base;
  if (Index < 1 || Index > State.UnitCount || Index > MaxUnits) return f;
  const TUnit& u = State.Units[static_cast<size_t>(Index)];
  f.Name = u.Name.Text();
  f.X = u.X;
  f.Y = u.Y;
  f.TargetX = u.TargetX;
  f.TargetY = u.TargetY;
  f.Selected = u.Selected != 0;
  f.Group = u.Group;
  for (int t = 1; t <= State.UnitTypeCount && t <= MaxUnitTypes; ++t) {
    const TUnitType& type = State.UnitTypes[static_cast<size_t>(t)];
    if (!(type.Name == u.Name)) continue;
    f.LifePct = PercentOf(u.HP, type.MaxHP);
    f.AttackPct = PercentOf(u.Attack, type.Attack);
    f.DefensePct = PercentOf(u.Defense, type.Defense);
    if (type.MaxMana != 0) f.ManaPct = PercentOf(u.Mana, type.MaxMana);
  }
  return f;
}

TBuildingFields BuildingFieldsOf(const TEditorState& State, int Index, const TBuildingFields& Base) {
  TBuildingFields f = Base;
  if (Index < 1 || Index > State.BuildingCount || Index > MaxBuildings) return f;
  const TBuilding& b = State.Buildings[static_cast<size_t>(Index)];
  f.Name = b.Name.Text();
  f.X = b.X;
  f.Y = b.Y;
  f.Selected = b.Selected != 0;
  f.Group = b.Group;
  for (int t = 1; t <= State.BuildingTypeCount && t <= MaxBuildingTypes; ++t) {
    const TBuildingType& type = State.BuildingTypes[static_cast<size_t>(t)];
    if (!(type.Name == b.Name)) continue;
    f.LifePct = PercentOf(b.HP, type.MaxHP);
    f.AttackPct = PercentOf(b.Attack, type.Attack);
    f.DefensePct = PercentOf(b.Defense, type.Defense);
  }
  return f;
}

int WriteUnit(TEditorState& State, const TUnitFields& Fields) {
  if (Fields.Name.empty()) return 0;
  const bool creating = State.EditIndex == 0;
  int s = 0;
  if (creating) {
    if (State.UnitCount >= MaxUnits) return 0;
    s = ++State.UnitCount;
    State.Units[static_cast<size_t>(s)] = TUnit{};
  } else {
    if (State.EditIndex < 1 || State.EditIndex > State.UnitCount || State.EditIndex > MaxUnits) return 0;
    s = State.EditIndex;
  }
  TUnit& u = State.Units[static_cast<size_t>(s)];
  u.Name.Assign(Fields.Name);
  u.X = Snap3(Fields.X);
  u.Y = Snap3(Fields.Y);
  u.TargetX = Snap3(Fields.TargetX);
  u.TargetY = Snap3(Fields.TargetY);
  u.Selected = Fields.Selected ? 1 : 0;
  u.Group = Fields.Group;
  if (creating) u.AttackTarget.Clear();
  for (int t = 1; t <= State.UnitTypeCount && t <= MaxUnitTypes; ++t) {
    const TUnitType& type = State.UnitTypes[static_cast<size_t>(t)];
    if (!(type.Name == u.Name)) continue;
    u.HP = ValueOfPercent(Fields.LifePct, type.MaxHP);
    u.Attack = ValueOfPercent(Fields.AttackPct, type.Attack);
    u.Defense = ValueOfPercent(Fields.DefensePct, type.Defense);
    if (!creating || type.MaxMana != 0) u.Mana = ValueOfPercent(Fields.ManaPct, type.MaxMana);
  }
  // Every written object starts at number 1 and is raised past the other
  // objects of its type name.
  u.Number = NextObjectNumber(State.Units, State.UnitCount, s, u.Name, 1);
  return s;
}

int WriteBuilding(TEditorState& State, const TBuildingFields& Fields) {
  if (Fields.Name.empty()) return 0;
  const bool creating = State.EditIndex == 0;
  int s = 0;
  if (creating) {
    if (State.BuildingCount >= MaxBuildings) return 0;
    s = ++State.BuildingCount;
    State.Buildings[static_cast<size_t>(s)] = TBuilding{};
  } else {
    if (State.EditIndex < 1 || State.EditIndex > State.BuildingCount || State.EditIndex > MaxBuildings) return 0;
    s = State.EditIndex;
  }
  TBuilding& b = State.Buildings[static_cast<size_t>(s)];
  b.Name.Assign(Fields.Name);
  b.X = Fields.X;
  b.Y = Fields.Y;
  b.Selected = Fields.Selected ? 1 : 0;
  b.Group = Fields.Group;
  if (creating) b.AttackTarget.Clear();
  for (int t = 1; t <= State.BuildingTypeCount && t <= MaxBuildingTypes; ++t) {
    const TBuildingType& type = State.BuildingTypes[static_cast<size_t>(t)];
    if (!(type.Name == b.Name)) continue;
    b.HP = ValueOfPercent(Fields.LifePct, type.MaxHP);
    b.Attack = ValueOfPercent(Fields.AttackPct, type.Attack);
    b.Defense = ValueOfPercent(Fields.DefensePct, type.Defense);
  }
  b.Number = NextObjectNumber(State.Buildings, State.BuildingCount, s, b.Name, 1);
  return s;
}

namespace {

template <typename TSlot, std::size_t N>
int DeleteSlots(std::array<TSlot, N>& Table, std::int32_t& Count, const std::string& Id) {
  int removed = 0;
  int i = 1;
  while (i <= Count && i < static_cast<int>(N)) {
    if (ObjectIdentifier(Table[static_cast<size_t>(i)]) != Id) {
      ++i;
      continue;
    }
    // The last object moves into the gap and is compared in its turn.
    const int last = Count;
    if (i != last) Table[static_cast<size_t>(i)] = Table[static_cast<size_t>(last)];
    Table[static_cast<size_t>(last)] = TSlot{};
    --Count;
    ++removed;
  }
  return removed;
}

}  // namespace

int DeleteUnits(TEditorState& State, const std::string& Id) { return DeleteSlots(State.Units, State.UnitCount, Id); }
int DeleteBuildings(TEditorState& State, const std::string& Id) {
  return DeleteSlots(State.Buildings, State.BuildingCount, Id);
}
