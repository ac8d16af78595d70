// The game's whole world and view: the world tables both programs share, the
// player's resources, the spell table and the view and command values that
// the tick, the drawing and the commands read and write. The main window owns
// one; a test makes a fresh one, so one process can start the game many times.
// Every value starts at 0 or empty.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "world/Arith.h"
#include "world/Records.h"
#include "world/Spells.h"
#include "world/World.h"

namespace korvel {

// Command modes.
constexpr std::uint8_t cmNormal = 0;
constexpr std::uint8_t cmAttack = 1;
constexpr std::uint8_t cmSpell = 2;
constexpr std::uint8_t cmPlace = 3;

// Cursor kinds: the cursor picture is item 6 + kind of the interface image list.
constexpr std::int32_t ckHand = 0;
constexpr std::int32_t ckSelect = 1;
constexpr std::int32_t ckSpell = 2;
constexpr std::int32_t ckAttack = 3;

// Sound effects by their index in the wave list's stored order.
constexpr int sndPosition = 0;
constexpr int sndWarrior = 1;
constexpr int sndArcher = 2;
constexpr int sndBuildCrash = 3;
constexpr int sndDeath = 4;
constexpr int sndBoom = 5;
constexpr int sndMagic = 6;
constexpr int sndBuild = 7;
constexpr int sndTrain = 8;

// Which table a row of the hidden object list stands for.
enum TObjectKind : std::uint8_t { okUnit, okBuilding };

// One row of the hidden object list: the object it was made from. The row
// counts only while that slot still holds an object with that identifier.
struct TListRow {
  TObjectKind Kind = okUnit;
  int Slot = 0;
  std::string Identifier;  // windows-1250, as the row shows it
};

struct TGameState : TWorldTables {
  // The single player's resources (the map file's first player record).
  TPlayer Player;
  TSpellTable Spells{};

  // Start-up.
  std::string AppDir;            // current directory when start-up began (windows-1250)
  std::uint8_t GameRunning = 0;  // 0 until start-up has finished; the tick does nothing then
  std::int32_t SavedPanelHeight = 0;

  // View and command values.
  std::int32_t Tick = 0;                               // 0..999, raised by 1 per tick
  std::array<std::uint8_t, MaxUnits + 1> SlowFlags{};  // [1..150]: 1 = the unit in that slot is blocked
  std::int32_t ScrollX = 0, ScrollY = 0;
  std::int32_t HalfWidth = 0, HalfHeight = 0;
  std::int32_t CursorWorldX = 0, CursorWorldY = 0;
  std::int32_t CursorKind = ckHand;
  std::int32_t ClickX = 0, ClickY = 0;
  std::int32_t DragStartX = 0, DragStartY = 0;  // drawing-control coordinates
  std::uint8_t Dragging = 0;
  std::int32_t MarkerTicks = 0;
  std::int32_t MouseX = 0, MouseY = 0;  // drawing-control coordinates
  std::int32_t HoverRow = 0, HoverCol = 0;
  std::uint8_t CommandMode = cmNormal;
  std::string EnteredCode;  // windows-1250

  // Object lists.
  std::int32_t ListUnitCount = 0;
  std::vector<TListRow> ListRows;  // the hidden list's rows, in its order

  // Commands, spells and dialogs.
  std::string SpellName;   // the spell chosen last (windows-1250)
  std::string GroupInput;  // the last group input, normalised
  std::int32_t SelectListUnitCount = 0;

  // Movement and combat.

  // Tick and simulation.
};

}  // namespace korvel
