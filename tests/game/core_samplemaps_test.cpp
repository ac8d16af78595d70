// The sample maps played the way a new player plays them, with the game's own
// terrain test, movement and combat: units walk where the map shows open
// ground around and between the camps, single units and small groups get
// where they are sent, and a unit sent against a neighbour reaches it and
// hurts it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "game/Combat.h"
#include "game/MapLoading.h"
#include "game/Movement.h"
#include "tools/assetgen/WorldData.h"
#include "world/ObjectNames.h"

namespace {

constexpr std::int32_t Width = 792, Height = 478;

// The world of one sample map with the game's types, the view at Scroll.
struct TSampleWorld {
  std::unique_ptr<TGameState> Owned = std::make_unique<TGameState>();
  TGameState& S = *Owned;

  explicit TSampleWorld(const TSampleMap& Map, std::int32_t ScrollX = 0, std::int32_t ScrollY = 0) {
    for (const TUnitTypeFile& t : UnitTypes()) S.UnitTypes[++S.UnitTypeCount] = t.Type;
    for (const TBuildingTypeFile& t : BuildingTypes()) S.BuildingTypes[++S.BuildingTypeCount] = t.Type;
    ApplyMapFile(S, Map.Map);
    S.ScrollX = ScrollX;
    S.ScrollY = ScrollY;
    S.HalfWidth = Width / 2;
    S.HalfHeight = Height / 2;
  }
  // The steps of a tick that move and fight. Answers whether some unit was
  // held back by the terrain.
  bool Tick() {
    S.Tick = (S.Tick + 1) % 1000;
    ComputeSlowFlags(S);
    bool held = false;
    for (int u = 1; u <= S.UnitCount; ++u) held = held || S.SlowFlags[u] != 0;
    MoveUnits(S);
    RunCombat(S, {});
    return held;
  }
  // A right click at (X, Y) with exactly the units Slots selected.
  void Order(const std::vector<int>& Slots, std::int32_t X, std::int32_t Y) {
    for (int u = 1; u <= S.UnitCount; ++u) S.Units[u].Selected = 0;
    for (int u : Slots) {
      TUnit& unit = S.Units[u];
      unit.Selected = 1;
      unit.AttackTarget.Clear();
      unit.X = Snap3(unit.X);
      unit.Y = Snap3(unit.Y);
      unit.TargetX = Snap3(X);
      unit.TargetY = Snap3(Y);
    }
  }
  bool Stopped(int Slot) const { return S.Units[Slot].TargetX == S.Units[Slot].X && S.Units[Slot].TargetY == S.Units[Slot].Y; }
  std::int32_t NearestBuilding(std::int32_t X, std::int32_t Y) const {
    std::int32_t best = INT32_MAX;
    for (int b = 1; b <= S.BuildingCount; ++b) best = std::min(best, Distance(X, Y, S.Buildings[b].X, S.Buildings[b].Y));
    return best;
  }
};

const std::vector<TSampleMap>& Maps() {
  static const std::vector<TSampleMap> maps = SampleMaps();
  return maps;
}

// The camp whose open ground a unit starts on: the first round area (a
// settlement or a post) holding it.
const TOpenArea* CampOf(const TSampleMap& Map, const TUnit& U) {
  for (const TOpenArea& a : Map.OpenAreas)
    if (a.Row1 == a.Row2 && a.Col1 == a.Col2 && a.Holds(U.X, U.Y)) return &a;
  return nullptr;
}

// The terrain positions named for a world position cover every position the
// game's test reads, whatever the scroll: with every other position of the
// table raised ground, the game never holds a unit there back.
TEST(SampleMapTerrain, TheTestedPositionsCoverTheGamesTestAtEveryScroll) {
  for (int size : {30, 240}) {
    SCOPED_TRACE(size);
    TGameState s;
    TUnitType& t = s.UnitTypes[++s.UnitTypeCount];
    t.Name.Assign("Piechur");
    TUnit& u = s.Units[++s.UnitCount];
    u.Name = t.Name;
    s.Map.MapRows = s.Map.MapCols = size;
    s.HalfWidth = Width / 2;
    s.HalfHeight = Height / 2;
    std::uint32_t seed = 12345;
    auto next = [&](int Range) {
      seed = seed * 1103515245u + 12345u;
      return static_cast<int>((seed >> 8) % static_cast<std::uint32_t>(Range));
    };
    const std::vector<std::int32_t> scrolls = {0, 1, 5, 8, 11, 15, 16, -1, -4, -8, -13, -396, -1000, 397, 2501};
    for (int k = 0; k < 300; ++k) {
      u.Y = next(16 * size);
      u.X = next(2 * u.Y + 1) - u.Y;
      s.Map.Terrain.fill(3);
      const std::vector<std::size_t> tested = TestedTerrain(s.Map, u.X, u.Y);
      for (std::size_t f : tested) s.Map.Terrain[f] = tkPlain;
      EXPECT_FALSE(TerrainBlocks(s.Map, u.X, u.Y));
      for (std::int32_t sx : scrolls)
        for (std::int32_t sy : scrolls) {
          s.ScrollX = sx;
          s.ScrollY = sy;
          ASSERT_EQ(SlowFlagOf(s, 1), 0) << u.X << "," << u.Y << " scroll " << sx << "," << sy;
        }
      // And each of them is read at some scroll: with the scroll and the
      // screen position on either side of 0, a full round of 16 and 8.
      s.Map.Terrain.fill(tkPlain);
      for (std::size_t f : tested) {
        s.Map.Terrain[f] = 3;
        bool seen = false;
        for (std::int32_t bx : {0, -16, -u.X - 396 - 16, -u.X - 396})
          for (std::int32_t by : {0, -8, -u.Y - 239 - 8, -u.Y - 239})
            for (std::int32_t dx = 0; dx < 16 && !seen; ++dx)
              for (std::int32_t dy = 0; dy < 8 && !seen; ++dy) {
                s.ScrollX = bx + dx;
                s.ScrollY = by + dy;
                seen = SlowFlagOf(s, 1) == 1;
              }
        EXPECT_TRUE(seen) << u.X << "," << u.Y << " position " << f;
        s.Map.Terrain[f] = tkPlain;
      }
    }
  }
}

// Every position of the open areas is walkable, and the maps still show
// every kind of ground.
TEST(SampleMapTerrain, OpenAreasAreWalkableEverywhere) {
  for (const TSampleMap& m : Maps()) {
    SCOPED_TRACE(m.FileName);
    ASSERT_FALSE(m.OpenAreas.empty());
    const TMapBlock& map = m.Map.Map;
    int checked = 0, held = 0;
    for (const TOpenArea& a : m.OpenAreas) {
      // The area's bounding box in world pixels, every third pixel.
      const double rows[2] = {std::min(a.Row1, a.Row2) - a.Radius, std::max(a.Row1, a.Row2) + a.Radius};
      const double cols[2] = {std::min(a.Col1, a.Col2) - a.Radius, std::max(a.Col1, a.Col2) + a.Radius};
      const int left = static_cast<int>(16 * (cols[0] - rows[1])) - 8, right = static_cast<int>(16 * (cols[1] - rows[0])) + 8;
      const int top = static_cast<int>(8 * (rows[0] + cols[0])) - 16, bottom = static_cast<int>(8 * (rows[1] + cols[1])) + 8;
      for (int y = top; y <= bottom; y += 3)
        for (int x = left; x <= right; x += 3) {
          if (!a.Holds(x, y)) continue;
          // Only the map's own ground: the edge clamps keep units inside.
          if (2 * y < x || -2 * y > x || 32 * map.MapRows + x < 2 * y || 32 * map.MapCols - 2 * y < x) continue;
          ++checked;
          if (TerrainBlocks(map, x, y)) {
            ++held;
            ADD_FAILURE() << "held back at " << x << "," << y;
            if (held > 5) return;
          }
        }
    }
    EXPECT_GT(checked, 1000);
  }
}

// Each unit alone, sent from where it starts to points all around it on its
// camp's open ground, gets there and stays, and no unit of the map is ever
// held back by the terrain on the way.
TEST(SampleMapMoves, EveryUnitAloneReachesPointsAroundItsCamp) {
  struct TOffset {
    std::int32_t X, Y;
  };
  const TOffset offsets[] = {{90, 0}, {-90, 0}, {0, 48}, {0, -48}, {60, 30}, {-60, 30}, {60, -30}, {-60, -30}, {150, 75}, {-150, 75}};
  for (const TSampleMap& m : Maps()) {
    SCOPED_TRACE(m.FileName);
    const TSampleWorld start(m);
    int orders = 0;
    for (int u = 1; u <= start.S.UnitCount; ++u) {
      const TUnit& unit = start.S.Units[u];
      SCOPED_TRACE(ObjectIdentifier(unit));
      const TOpenArea* camp = CampOf(m, unit);
      ASSERT_NE(camp, nullptr) << unit.X << "," << unit.Y;
      for (const TOffset& o : offsets) {
        const std::int32_t x = Snap3(unit.X + o.X), y = Snap3(unit.Y + o.Y);
        // Ground well inside the camp, not where a building pushes back.
        if (!camp->Holds(x, y, -1.5) || start.NearestBuilding(x, y) < 45) continue;
        for (std::int32_t scroll : {0, -37}) {
          TSampleWorld w(m, scroll, scroll / 2);
          w.Order({u}, x, y);
          const int limit = (std::abs(x - unit.X) + std::abs(y - unit.Y)) / 3 + 30;
          int arrived = -1;
          for (int t = 0; t < limit + 30; ++t) {
            ASSERT_FALSE(w.Tick()) << "a unit held back on the way to " << x << "," << y << ", tick " << t;
            if (arrived < 0 && w.S.Units[u].X == x && w.S.Units[u].Y == y) arrived = t;
          }
          EXPECT_GE(arrived, 0) << "sent to " << x << "," << y << ", ended at " << w.S.Units[u].X << "," << w.S.Units[u].Y;
          EXPECT_LE(arrived, limit);
          EXPECT_EQ(w.S.Units[u].X, x);
          EXPECT_EQ(w.S.Units[u].Y, y);
          ++orders;
        }
      }
    }
    EXPECT_GT(orders, 4 * start.S.UnitCount);
  }
}

// Small groups of neighbours sent together come to rest near the point
// within a bounded time and stay there, none held back by the terrain. The
// group rules stop the others on an axis as soon as one stands on the
// point's line, and all of them once one has arrived at what is left of its
// target, so the group ends spread about the point by its own width.
TEST(SampleMapMoves, SmallGroupsComeToAStopAtThePoint) {
  for (const TSampleMap& m : Maps()) {
    SCOPED_TRACE(m.FileName);
    const TSampleWorld start(m);
    int groups = 0;
    for (int first = 1; first + 2 <= start.S.UnitCount; first += 3) {
      const TOpenArea* camp = CampOf(m, start.S.Units[first]);
      ASSERT_NE(camp, nullptr);
      for (int size : {2, 3}) {
        std::vector<int> slots;
        for (int k = 0; k < size; ++k) slots.push_back(first + k);
        const TUnit& lead = start.S.Units[first];
        for (const std::int32_t dx : {-75, 75}) {
          const std::int32_t x = Snap3(lead.X + dx), y = Snap3(lead.Y + 36);
          if (!camp->Holds(x, y, -2) || start.NearestBuilding(x, y) < 60) continue;
          SCOPED_TRACE(ObjectIdentifier(lead) + " and " + std::to_string(size - 1) + " more to " + std::to_string(x) +
                       "," + std::to_string(y));
          TSampleWorld w(m);
          w.Order(slots, x, y);
          int t = 0;
          for (; t < 200; ++t) {
            ASSERT_FALSE(w.Tick()) << "tick " << t;
            if (std::all_of(slots.begin(), slots.end(), [&](int s) { return w.Stopped(s); })) break;
          }
          EXPECT_LT(t, 200) << "the group never stopped";
          std::int32_t nearest = INT32_MAX;
          for (int s : slots) {
            const TUnit& now = w.S.Units[s];
            const TUnit& then = start.S.Units[s];
            nearest = std::min(nearest, Distance(now.X, now.Y, x, y));
            EXPECT_LT(Distance(now.X, now.Y, x, y), Distance(then.X, then.Y, x, y)) << ObjectIdentifier(now);
          }
          EXPECT_LE(nearest, 40);
          // At rest: nobody pushes anybody about any more.
          std::vector<std::pair<std::int32_t, std::int32_t>> rest;
          for (int s : slots) rest.push_back({w.S.Units[s].X, w.S.Units[s].Y});
          for (int k = 0; k < 60; ++k) w.Tick();
          for (std::size_t k = 0; k < slots.size(); ++k) {
            EXPECT_EQ(w.S.Units[slots[k]].X, rest[k].first);
            EXPECT_EQ(w.S.Units[slots[k]].Y, rest[k].second);
          }
          ++groups;
        }
      }
    }
    EXPECT_GE(groups, 2);
  }
}

// A unit sent against a unit or a building of its camp that it can hurt
// closes in, stops in range and deals damage.
TEST(SampleMapMoves, AUnitSentAgainstANeighbourReachesAndHurtsIt) {
  for (const TSampleMap& m : Maps()) {
    SCOPED_TRACE(m.FileName);
    const TSampleWorld start(m);
    int attacks = 0;
    for (int a = 1; a <= start.S.UnitCount; ++a) {
      const TUnit& attacker = start.S.Units[a];
      // The nearest unit within 150 pixels it can hurt, else its castle.
      int victim = 0;
      std::int32_t best = 151;
      for (int v = 1; v <= start.S.UnitCount; ++v) {
        const TUnit& o = start.S.Units[v];
        const std::int32_t d = Distance(attacker.X, attacker.Y, o.X, o.Y);
        if (v != a && d < best && attacker.Attack > o.Defense) {
          best = d;
          victim = v;
        }
      }
      TSampleWorld w(m);
      w.Order({a}, attacker.X, attacker.Y);
      std::int32_t before = 0;
      std::string target;
      int building = 0;
      if (victim != 0) {
        target = ObjectIdentifier(w.S.Units[victim]);
        before = w.S.Units[victim].HP;
      } else {
        for (int b = 1; b <= w.S.BuildingCount && building == 0; ++b)
          if (attacker.Attack > w.S.Buildings[b].Defense && Distance(attacker.X, attacker.Y, w.S.Buildings[b].X, w.S.Buildings[b].Y) < 200)
            building = b;
        if (building == 0) continue;
        target = ObjectIdentifier(w.S.Buildings[building]);
        before = w.S.Buildings[building].HP;
      }
      SCOPED_TRACE(ObjectIdentifier(attacker) + " against " + target);
      w.S.Units[a].AttackTarget.Assign(target);
      bool hurt = false;
      for (int t = 0; t < 400 && !hurt; ++t) {
        ASSERT_FALSE(w.Tick()) << "tick " << t;
        hurt = victim != 0 ? w.S.Units[victim].HP < before : w.S.Buildings[building].HP < before;
      }
      EXPECT_TRUE(hurt);
      ++attacks;
    }
    EXPECT_GE(attacks, start.S.UnitCount / 2);
  }
}

}  // namespace
