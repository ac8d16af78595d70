// The game's spell table: 30 slots, of which start-up fills the first four.
#pragma once

#include <array>
#include <cstdint>
#include <string>

constexpr int MaxSpells = 30;
// Every lookup of a spell by name runs over slots 1 to SpellsInUse.
constexpr int SpellsInUse = 4;

// Effect kinds of a spell's three effect slots.
constexpr std::uint8_t seNone = 0;
constexpr std::uint8_t seHeal = 1;  // hit points are raised by the slot's parameter
constexpr std::uint8_t seTeleport = 2;

struct TSpell {
  std::string Name;         // windows-1250
  std::int32_t Damage = 0;  // hit points taken from each unit and building hit
  std::int32_t ManaCost = 0;
  std::uint8_t Kind1 = 0, Kind2 = 0, Kind3 = 0;
  std::int32_t Param1 = 0, Param2 = 0, Param3 = 0;

  friend bool operator==(const TSpell&, const TSpell&) = default;
};

using TSpellTable = std::array<TSpell, MaxSpells + 1>;  // [1..30]

// Fills slots 1 to 4 with "Kula Ognia", "Błyskawica", "Uzdrowienie" and
// "Teleportacja"; the other slots are left empty.
void InitSpells(TSpellTable& Spells);
