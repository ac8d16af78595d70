// The map editor's whole world and view: the world tables, the editor's own
// values (scroll, hover cell, painting tool, the slot a dialog rewrites) and
// the rules over them: drawing the view, finding the cell under the pointer,
// painting, random and zeroed terrain, the map file as it is saved and opened,
// and the placed units and buildings. The forms read their fields and call
// these; a test makes a fresh state, so one process can start the editor many
// times. Every value starts at 0 or empty.
#pragma once

#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "world/MapFile.h"
#include "world/Records.h"
#include "world/World.h"

// The size fields of the "Dane" tab hold 10 to 250 rows and columns; 48 at start.
constexpr int MinMapSide = 10;
constexpr int DefaultMapSide = 48;
constexpr int DefaultResources = 1000;

// The pictures the view draws, by image list (1 to 4 as the main window
// numbers them) and by item index or name. The main window draws through its
// image lists; tests record the calls.
class TEditorPictures {
 public:
  virtual ~TEditorPictures() = default;
  // Item Index of list List at (X, Y); false (nothing drawn) when the list has
  // no such item.
  virtual bool DrawItem(int List, int Index, int X, int Y) = 0;
  // Pattern 0 of the item named Name; false when the list has no such item.
  virtual bool DrawNamed(int List, const std::string& Name, int X, int Y) = 0;
};

// Values the dialogs show for a placed unit or building, and the values they
// hand back. Percentages are 1 to 100.
struct TObjectFields {
  std::string Name;  // the type list's text (windows-1250)
  std::int32_t X = 0, Y = 0;
  std::int32_t LifePct = 100, AttackPct = 100, DefensePct = 100;
  bool Selected = false;
  std::int32_t Group = 0;
};

struct TUnitFields : TObjectFields {
  std::int32_t TargetX = 0, TargetY = 0;
  std::int32_t ManaPct = 100;
};

struct TBuildingFields : TObjectFields {};

struct TEditorState : TWorldTables {
  std::array<TPlayer, MapPlayers + 1> Players{};  // [1..4]; never filled, only copied into saved maps

  std::string AppDir;  // current directory when start-up began (windows-1250)
  std::int32_t ScrollX = 0, ScrollY = 0;
  std::int32_t OriginX = 0, OriginY = 0;
  std::int32_t HoverRow = 0, HoverCol = 0;
  std::int32_t HoverTerrain = 0;
  bool Painting = false;
  std::uint8_t PaintTerrain = 0;
  std::int32_t EditIndex = 0;

  // Whether the random generator has had its one seeding.
  bool RandomSeeded = false;
  // Type names whose picture was found missing; each is reported once.
  std::set<std::string> MissingPictures;
};

// ---- View -----------------------------------------------------------------

// A size field's value as the editor uses it: 10 to 250.
int ClampMapSide(std::int64_t Value);

// The terrain of Rows x Columns cells, rows outer: each cell's picture at its
// elevation, and for raised kinds the ground-level side under it. Kinds
// outside 0 to 6 draw nothing. W and H are the view's size.
void DrawMap(const TEditorState& State, int Rows, int Cols, int W, int H, TEditorPictures& Pictures);
// Everything a frame draws after clearing: OriginX/OriginY, the terrain, the
// buildings, the units, the hover marker and the preview of the hovered kind.
// An object whose type has no picture is skipped; its type name is returned
// in NewlyMissing the first time.
void DrawFrame(TEditorState& State, int Rows, int Cols, int W, int H, TEditorPictures& Pictures,
               std::vector<std::string>* NewlyMissing = nullptr);
// Scrolls by Lag div 2 for each direction held.
void ScrollView(TEditorState& State, std::int32_t Lag, bool Left, bool Right, bool Up, bool Down);

// ---- Terrain editing ------------------------------------------------------

// The cell (row, column from 1) whose ground diamond, as DrawMap lays it out
// for the scroll and a W x H view, holds the view pixel (X, Y); false when the
// pixel is off the map. Elevations take no part.
bool HitTestCell(const TEditorState& State, int Rows, int Cols, int W, int H, int X, int Y, int& Row, int& Col);
// The pointer moved to (X, Y): when it is over a cell, the hover cell becomes
// that cell, painted first while Painting is set. Returns whether a cell was hit.
bool PointerMoved(TEditorState& State, int Rows, int Cols, int W, int H, int X, int Y, std::uint8_t Elevation);
// Plain, tree or water at random for each cell of the size: tree and water
// each with probability 1 / (Randomness + 2). Seeds the generator on first use.
void RandomizeTerrain(TEditorState& State, int Rows, int Cols, int Randomness);
// Every cell of the size becomes plain; elevations stay.
void ZeroTerrain(TEditorState& State, int Rows, int Cols);

// ---- Map files ------------------------------------------------------------

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
// Writes Map as the whole content of FileName without ever leaving a
// half-written file in its place, and keeping what the user set up: a link
// stays a link, the file keeps its permissions, a file he may not write is
// refused ("File access denied"). See ReplaceFileContents. A failure raises
// EInOutError and leaves the old file as it was.
void SaveMapFileSafely(const std::string& FileName, const TMapFile& Map);
// Spreads an opened record over the state: the map block, the slots (the
// named ones moved to 1..n in order) and their counts. Returns the fields the
// main window shows (size as stored; the fields clamp it).
TMapFields ApplyOpenedMap(TEditorState& State, const TMapFile& Map);

// ---- Placed units and buildings ------------------------------------------

// The object identifiers of slots 1 to the count, in order.
std::vector<std::string> UnitIdentifiers(const TEditorState& State);
std::vector<std::string> BuildingIdentifiers(const TEditorState& State);

// The slot whose identifier equals Id (the last one), or 0.
int FindUnitSlot(const TEditorState& State, const std::string& Id);
int FindBuildingSlot(const TEditorState& State, const std::string& Id);

// v as a percentage of Max (64-bit), brought into 1 to 100; a type maximum of
// 0 shows 100.
std::int32_t PercentOf(std::int32_t V, std::int32_t Max);
// Pct percent of Max, truncated toward zero (64-bit).
std::int32_t ValueOfPercent(std::int32_t Pct, std::int32_t Max);

// The dialog's fields for slot Index (position, flags and the percentages of
// every matching type; Base gives the values a field keeps when no type sets it).
TUnitFields UnitFieldsOf(const TEditorState& State, int Index, const TUnitFields& Base);
TBuildingFields BuildingFieldsOf(const TEditorState& State, int Index, const TBuildingFields& Base);

// "OK" of a dialog: writes slot EditIndex (0: a new slot at the end, which
// starts zeroed). Returns the slot written, or 0 when nothing was written
// (an empty type name, or every slot taken).
int WriteUnit(TEditorState& State, const TUnitFields& Fields);
int WriteBuilding(TEditorState& State, const TBuildingFields& Fields);

// Removes every slot whose identifier equals Id: the last slot moves into the
// gap (which is then checked again) and the freed slot is zeroed. Returns how
// many were removed.
int DeleteUnits(TEditorState& State, const std::string& Id);
int DeleteBuildings(TEditorState& State, const std::string& Id);
