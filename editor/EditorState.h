// The map editor's whole world and view: the world tables and the editor's
// own values (scroll, hover cell, painting tool, the slot a dialog rewrites).
// The forms read its fields; the rules over it live beside it, one concern a
// file: the view (EditorView.h), terrain editing (TerrainEditing.h), the map
// file as it is saved and opened (MapFiles.h) and the placed units and
// buildings (PlacedObjects.h). A test makes a fresh state, so one process can
// start the editor many times. Every value starts at 0 or empty.
#pragma once

#include <array>
#include <cstdint>
#include <set>
#include <string>

#include "world/Records.h"
#include "world/World.h"

namespace sandreth {

// The size fields of the "Dane" tab hold 10 to 250 rows and columns; 48 at start.
constexpr int MinMapSide = 10;
constexpr int DefaultMapSide = 48;
constexpr int DefaultResources = 1000;

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

// A size field's value as the editor uses it: 10 to 250.
int ClampMapSide(std::int64_t Value);

}  // namespace sandreth
