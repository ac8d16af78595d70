#include "game/Movement.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "game/TypeLookup.h"
#include "world/MapGeometry.h"

namespace korvel {

std::int32_t Distance(std::int32_t X1, std::int32_t Y1, std::int32_t X2, std::int32_t Y2) {
  using u128 = unsigned __int128;
  const std::int64_t dx = static_cast<std::int64_t>(X1) - X2;
  const std::int64_t dy = static_cast<std::int64_t>(Y1) - Y2;
  const std::uint64_t ax = static_cast<std::uint64_t>(dx < 0 ? -dx : dx);
  const std::uint64_t ay = static_cast<std::uint64_t>(dy < 0 ? -dy : dy);
  // Round to nearest: with r the integer square root, sqrt(n) >= r + 1/2
  // exactly when n - r^2 > r (a square root of an integer never lies on
  // the half).
  if (ax < (1u << 26) && ay < (1u << 26)) {
    // Every distance on a map: the sum stays below 2^53, where a double
    // holds it exactly and its square root is off by at most one.
    const std::uint64_t n = ax * ax + ay * ay;
    std::uint64_t r = static_cast<std::uint64_t>(std::sqrt(static_cast<double>(n)));
    if (r * r > n)
      --r;
    else if ((r + 1) * (r + 1) <= n)
      ++r;
    if (n - r * r > r) ++r;
    return static_cast<std::int32_t>(r);
  }
  const u128 n = static_cast<u128>(ax) * ax + static_cast<u128>(ay) * ay;
  std::uint64_t r = static_cast<std::uint64_t>(std::sqrt(static_cast<long double>(n)));
  while (r > 0 && static_cast<u128>(r) * r > n) --r;
  while (static_cast<u128>(r + 1) * (r + 1) <= n) ++r;
  if (n - static_cast<u128>(r) * r > r) ++r;
  constexpr std::uint64_t top = static_cast<std::uint64_t>(std::numeric_limits<std::int32_t>::max());
  return static_cast<std::int32_t>(r > top ? top : r);
}

namespace {

template <typename TTable>
void RemoveSlot(TTable& Table, std::int32_t& Count, int Slot) {
  const int n =
      Count < 0 ? 0 : (Count > static_cast<int>(Table.size()) - 1 ? static_cast<int>(Table.size()) - 1 : Count);
  if (Slot < 1 || Slot > n) return;
  if (Slot != n) Table[Slot] = Table[n];
  Table[n] = typename TTable::value_type{};
  Count = n - 1;
}

// One clamp: when the test holds, the unit is moved by (DX, DY) and stops.
void Clamp(TUnit& U, bool Applies, std::int32_t DX, std::int32_t DY) {
  if (!Applies) return;
  U.X += DX;
  U.Y += DY;
  U.TargetX = U.X;
  U.TargetY = U.Y;
}

// One axis of an unblocked step: 3 toward the target, 0 on it.
std::int32_t FullStep(std::int32_t Pos, std::int32_t Target) { return Target > Pos ? 3 : (Target < Pos ? -3 : 0); }

// One axis of a held step: 1 away from the target, 0 on it.
std::int32_t BackStep(std::int32_t Pos, std::int32_t Target) { return Target > Pos ? -1 : (Target < Pos ? 1 : 0); }

// Whether a unit at (X, Y) lies past one of the map's four edges.
bool PastAnEdge(const TGameState& S, std::int32_t X, std::int32_t Y) {
  return 2 * Y < X || -2 * Y > X || 32 * S.Map.MapRows + X < 2 * Y || 32 * S.Map.MapCols - 2 * Y < X;
}

}  // namespace

void RemoveUnit(TGameState& S, int Slot) { RemoveSlot(S.Units, S.UnitCount, Slot); }
void RemoveBuilding(TGameState& S, int Slot) { RemoveSlot(S.Buildings, S.BuildingCount, Slot); }

bool TerrainTested(const TGameState& S, const TUnit& U) {
  if (U.BuildProgress >= 2) return false;
  bool tested = false;
  ForEachUnitType(S, U.Name, [&](const TUnitType& T) {
    if (T.Class != 5) tested = true;
  });
  return tested;
}

bool TerrainAllowsMove(const TGameState& S, const TUnit& U, std::int32_t DX, std::int32_t DY) {
  if (DX == 0 && DY == 0) return true;
  if (BlockingUnder(S, U.X, U.Y) || !TerrainTested(S, U)) return true;
  // Every pixel on the way, so that no step jumps a thin line of blocking
  // ground: with moves of at most 3 pixels per axis the line of pixels is
  // that of the longer axis.
  const std::int64_t n = std::max(DX < 0 ? -std::int64_t{DX} : DX, DY < 0 ? -std::int64_t{DY} : DY);
  for (std::int64_t k = 1; k <= n; ++k)
    if (BlockingUnder(S, std::int64_t{U.X} + DX * k / n, std::int64_t{U.Y} + DY * k / n)) return false;
  return true;
}

bool MoveOverTerrain(const TGameState& S, TUnit& U, std::int32_t DX, std::int32_t DY) {
  if (!TerrainAllowsMove(S, U, DX, DY)) return false;
  U.X += DX;
  U.Y += DY;
  return true;
}

void SnapOntoGrid(const TGameState& S, TUnit& U) {
  const std::int32_t x0 = Snap3(U.X), y0 = Snap3(U.Y);
  if (TerrainAllowsMove(S, U, x0 - U.X, y0 - U.Y)) {
    U.X = x0;
    U.Y = y0;
    return;
  }
  // The grid points around, nearest first.
  int bestDX = 0, bestDY = 0;
  std::int64_t best = -1;
  for (int dy = -3; dy <= 3; dy += 3)
    for (int dx = -3; dx <= 3; dx += 3) {
      const std::int64_t gx = std::int64_t{x0} + dx, gy = std::int64_t{y0} + dy;
      const std::int64_t mx = gx - U.X, my = gy - U.Y;
      if (mx < -3 || mx > 3 || my < -3 || my > 3) continue;
      const std::int64_t d = mx * mx + my * my;
      if (best >= 0 && d >= best) continue;
      if (!TerrainAllowsMove(S, U, static_cast<std::int32_t>(mx), static_cast<std::int32_t>(my))) continue;
      best = d;
      bestDX = static_cast<int>(mx);
      bestDY = static_cast<int>(my);
    }
  if (best < 0) return;
  U.X += bestDX;
  U.Y += bestDY;
}

std::uint8_t SlowFlagOf(const TGameState& S, int Slot) {
  const std::uint8_t kept = Slot >= 1 && Slot <= MaxUnits ? S.SlowFlags[static_cast<std::size_t>(Slot)] : 0;
  if (Slot < 1 || Slot > LiveUnits(S)) return kept;
  const TUnit& U = S.Units[static_cast<std::size_t>(Slot)];
  // Untested units and builders at work are never held; a flag kept from
  // the unit that held the slot before would make the unit back away from
  // every target.
  if (!TerrainTested(S, U)) return 0;
  // A unit standing still takes no step, so nothing holds it back; flagged,
  // it would stop the other selected units on every tick where it stands.
  if (U.TargetX == U.X && U.TargetY == U.Y) return 0;
  // On blocking ground the unit walks on toward its target until it is out.
  if (BlockingUnder(S, U.X, U.Y)) return 0;
  return TerrainAllowsMove(S, U, FullStep(U.X, U.TargetX), FullStep(U.Y, U.TargetY)) ? 0 : 1;
}

void ComputeSlowFlags(TGameState& S) {
  const int n = LiveUnits(S);
  for (int u = 1; u <= n; ++u) S.SlowFlags[static_cast<std::size_t>(u)] = SlowFlagOf(S, u);
}

void MoveUnits(TGameState& S) {
  for (int u = 1; u <= LiveUnits(S); ++u) {
    TUnit& U = S.Units[u];
    const std::int32_t x0 = U.X, y0 = U.Y;
    // Held back at blocking ground, the unit steps 1 pixel per axis away
    // from its target; else 3 toward it.
    if (S.SlowFlags[u] == 1)
      MoveOverTerrain(S, U, BackStep(U.X, U.TargetX), BackStep(U.Y, U.TargetY));
    else
      MoveOverTerrain(S, U, FullStep(U.X, U.TargetX), FullStep(U.Y, U.TargetY));
    // The four edges of the map's diamond: top corner at the origin, rows
    // running down-left and columns down-right.
    const std::int32_t x1 = U.X, y1 = U.Y;
    Clamp(U, 2 * U.Y < U.X, -3, 3);
    Clamp(U, -2 * U.Y > U.X, 3, 3);
    Clamp(U, 32 * S.Map.MapRows + U.X < 2 * U.Y, 3, -3);
    Clamp(U, 32 * S.Map.MapCols - 2 * U.Y < U.X, -3, -3);
    // A clamp keeps the unit on the map, but not by putting it onto
    // blocking ground from plain ground: it stays, stopped, where it stood.
    if ((U.X != x1 || U.Y != y1) && BlockingUnder(S, U.X, U.Y) && !BlockingUnder(S, x0, y0) && !PastAnEdge(S, x0, y0) &&
        TerrainTested(S, U)) {
      U.X = U.TargetX = x0;
      U.Y = U.TargetY = y0;
    }
  }
}

}  // namespace korvel
