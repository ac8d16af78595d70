// Distances, removal of dead objects, the terrain blocking test and unit
// movement with the map-edge clamps. Every function works on the game state
// alone (no window): the tick calls ComputeSlowFlags before training and
// MoveUnits after the click marker; the combat passes and the mouse commands
// use Distance and the removals.
#pragma once

#include <cstdint>

#include "game/GameState.h"
#include "world/MapGeometry.h"

namespace korvel {

// The rounded Euclidean distance of two points in world pixels. The squares
// and their sum are taken without overflow; a distance beyond the 32-bit
// range answers the largest 32-bit value.
std::int32_t Distance(std::int32_t X1, std::int32_t Y1, std::int32_t X2, std::int32_t Y2);

// The live slots: 1 to the count, never beyond the table.
inline int LiveUnits(const TGameState& S) {
  return S.UnitCount < 0 ? 0 : (S.UnitCount > MaxUnits ? MaxUnits : S.UnitCount);
}
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

// Terrain. Every unit whose type is tested (a type of a class other than 5)
// and that is not at work on a building (BuildProgress below 2) keeps off
// blocking ground, whatever moves it: a move that starts on plain ground is
// not made when blocking ground lies under any pixel on its way. A unit that
// stands on blocking ground (trained beside a building in a wood, loaded
// there) moves freely, so it walks out toward its target; once out it is
// held like any other.
bool TerrainTested(const TGameState& S, const TUnit& U);
inline bool BlockingUnder(const TGameState& S, std::int64_t X, std::int64_t Y) {
  return TerrainUnder(S.Map, X, Y) != tkPlain;
}
// Whether U may move in a straight line from its position by (DX, DY).
bool TerrainAllowsMove(const TGameState& S, const TUnit& U, std::int32_t DX, std::int32_t DY);
// Moves U by (DX, DY) when the terrain allows it; whether it moved.
bool MoveOverTerrain(const TGameState& S, TUnit& U, std::int32_t DX, std::int32_t DY);
// Puts U on the grid of multiples of 3: on the grid point below and left of
// it, or, when that lies on blocking ground U may not enter, on the nearest
// grid point around it that it may; on none, it stays where it is.
void SnapOntoGrid(const TGameState& S, TUnit& U);

// The terrain blocking test: SlowFlags[u] of every unit slot becomes 1 when
// the unit is tested, on its way (its target is not its position), stands
// on plain ground and its next step toward the target is not allowed (it
// would cross blocking ground); else 0, for untested units too. The scroll
// position and the size of the view play no part.
void ComputeSlowFlags(TGameState& S);
// The flag the unit in Slot gets (the same test for a single slot).
std::uint8_t SlowFlagOf(const TGameState& S, int Slot);

// Movement: every unit steps 3 pixels per axis toward its target, or, when
// its slot is flagged, 1 pixel per axis away from it, each step as the
// terrain allows; then the four map-edge clamps push units back into the
// map's diamond and stop them. A clamp that would put a unit off plain
// ground onto blocking ground leaves it where the tick found it instead
// (stopped), when that place lies inside the edges.
void MoveUnits(TGameState& S);

}  // namespace korvel
