#include "game/Movement.h"

#include <cmath>
#include <limits>

#include "game/TypeLookup.h"
#include "world/MapGeometry.h"

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
    if (r * r > n) --r;
    else if ((r + 1) * (r + 1) <= n) ++r;
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
  const int n = Count < 0 ? 0 : (Count > static_cast<int>(Table.size()) - 1 ? static_cast<int>(Table.size()) - 1 : Count);
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

// One axis of a step: toward the target by 3, or away from it by 1.
void Step(std::int32_t& Pos, std::int32_t Target, bool Blocked) {
  if (!Blocked) {
    Pos += FullStep(Pos, Target);
  } else {
    if (Target > Pos) Pos -= 1;
    else if (Target < Pos) Pos += 1;
  }
}

}  // namespace

void RemoveUnit(TGameState& S, int Slot) { RemoveSlot(S.Units, S.UnitCount, Slot); }
void RemoveBuilding(TGameState& S, int Slot) { RemoveSlot(S.Buildings, S.BuildingCount, Slot); }

std::uint8_t SlowFlagOf(const TGameState& S, int Slot) {
  const std::uint8_t kept = Slot >= 1 && Slot <= MaxUnits ? S.SlowFlags[static_cast<std::size_t>(Slot)] : 0;
  if (Slot < 1 || Slot > LiveUnits(S)) return kept;
  const TUnit& U = S.Units[static_cast<std::size_t>(Slot)];
  bool tested = false;
  ForEachUnitType(S, U.Name, [&](const TUnitType& T) {
    if (T.Class != 5) tested = true;
  });
  if (!tested) return kept;
  if (U.BuildProgress >= 2) return 0;
  // A unit standing still takes no step, so nothing holds it back; flagged,
  // it would stop every selected unit on every tick where it stands.
  if (U.TargetX == U.X && U.TargetY == U.Y) return 0;
  if (TerrainUnder(S.Map, U.X, U.Y) == tkPlain) return 0;
  // On blocking ground the unit is held back only while its step toward its
  // target keeps it there: a unit with a foot in a wood, sent back the way it
  // came, walks out instead of backing away from its target into the wood.
  const std::int64_t nextX = std::int64_t{U.X} + FullStep(U.X, U.TargetX);
  const std::int64_t nextY = std::int64_t{U.Y} + FullStep(U.Y, U.TargetY);
  return TerrainUnder(S.Map, nextX, nextY) != tkPlain ? 1 : 0;
}

void ComputeSlowFlags(TGameState& S) {
  const int n = LiveUnits(S);
  for (int u = 1; u <= n; ++u) S.SlowFlags[static_cast<std::size_t>(u)] = SlowFlagOf(S, u);
}

void MoveUnits(TGameState& S) {
  for (int u = 1; u <= LiveUnits(S); ++u) {
    TUnit& U = S.Units[u];
    const bool blocked = S.SlowFlags[u] == 1;
    Step(U.X, U.TargetX, blocked);
    Step(U.Y, U.TargetY, blocked);
    // The four edges of the map's diamond: top corner at the origin, rows
    // running down-left and columns down-right.
    Clamp(U, 2 * U.Y < U.X, -3, 3);
    Clamp(U, -2 * U.Y > U.X, 3, 3);
    Clamp(U, 32 * S.Map.MapRows + U.X < 2 * U.Y, 3, -3);
    Clamp(U, 32 * S.Map.MapCols - 2 * U.Y < U.X, -3, -3);
  }
}
