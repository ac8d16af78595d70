// Distances, removal of dead objects, the terrain blocking test and unit
// movement with the map-edge clamps. Every function works on the game state
// alone (no window): the tick calls ComputeSlowFlags before training and
// MoveUnits after the click marker; the combat passes and the mouse commands
// use Distance and the removals.
#pragma once

#include <cstdint>

#include "game/GameState.h"

// The rounded Euclidean distance of two points in world pixels. The squares
// and their sum are taken without overflow; a distance beyond the 32-bit
// range answers the largest 32-bit value.
std::int32_t Distance(std::int32_t X1, std::int32_t Y1, std::int32_t X2, std::int32_t Y2);

// The live slots: 1 to the count, never beyond the table.
inline int LiveUnits(const TGameState& S) { return S.UnitCount < 0 ? 0 : (S.UnitCount > MaxUnits ? MaxUnits : S.UnitCount); }
inline int LiveBuildings(const TGameState& S) {
  return S.BuildingCount < 0 ? 0 : (S.BuildingCount > MaxBuildings ? MaxBuildings : S.BuildingCount);
}

// Removes the object in Slot (1 to the count; other slots are left alone):
// the record of the last slot moves into it, the last slot is zeroed and
// the count drops by one. SlowFlags stay with their slots.
void RemoveUnit(TGameState& S, int Slot);
void RemoveBuilding(TGameState& S, int Slot);

// Whether a unit stands on its target snapped to multiples of 3, on one axis
// or on both.
inline bool OnSnappedTargetX(const TUnit& U) { return Snap3(U.TargetX) == U.X; }
inline bool OnSnappedTargetY(const TUnit& U) { return Snap3(U.TargetY) == U.Y; }
inline bool OnSnappedTarget(const TUnit& U) { return OnSnappedTargetX(U) && OnSnappedTargetY(U); }

// The terrain blocking test: SlowFlags[u] of every unit slot becomes 1 when
// the cell whose drawn ground diamond holds the unit's position is not plain
// ground, the unit is on its way (its target is not its position), its next
// step toward the target would leave it on such ground too, and it is not at
// work on a building (BuildProgress below 2); else 0. Positions off the map
// are plain ground. Units of class 5 and units
// whose name matches no type keep the flag their slot holds. The scroll
// position and the size of the view play no part.
void ComputeSlowFlags(TGameState& S);
// The flag the unit in Slot gets (the same test for a single slot).
std::uint8_t SlowFlagOf(const TGameState& S, int Slot);

// Movement: every unit steps 3 pixels per axis toward its target, or, when
// its slot is flagged, 1 pixel per axis away from it; then the four map-edge
// clamps push units back into the map's diamond and stop them.
void MoveUnits(TGameState& S);
