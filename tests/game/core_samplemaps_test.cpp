// The sample maps played the way a new player plays them, through the
// game's own tick (terrain flags, training, construction, movement and
// combat): a group of every camp, sent with straight orders, gets to every
// other camp and into the staged fight; the fight strikes from the start;
// every object stands on open ground; and the ground itself shows nothing
// thinner than two cells and no step of more than one level.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "assets/generator/WorldData.h"
#include "game/Combat.h"
#include "game/MapLoading.h"
#include "game/Movement.h"
#include "game/Simulation.h"
#include "world/ObjectNames.h"

using namespace korvel;

namespace {

constexpr std::int32_t Width = 792, Height = 478;

const std::vector<TSampleMap>& Maps() {
  static const std::vector<TSampleMap> maps = SampleMaps();
  return maps;
}

// The world of one sample map with the game's types, unscrolled.
struct TSampleWorld {
  std::unique_ptr<TGameState> Owned = std::make_unique<TGameState>();
  TGameState& S = *Owned;

  explicit TSampleWorld(const TSampleMap& Map) {
    for (const TUnitTypeFile& t : UnitTypes()) S.UnitTypes[++S.UnitTypeCount] = t.Type;
    for (const TBuildingTypeFile& t : BuildingTypes()) S.BuildingTypes[++S.BuildingTypeCount] = t.Type;
    ApplyMapFile(S, Map.Map);
    S.HalfWidth = Width / 2;
    S.HalfHeight = Height / 2;
  }
  // The tick's steps that are not drawing, in the tick's order. Answers the
  // first unit the terrain held back, or an empty text.
  std::string Tick() {
    AdvanceTickAndMana(S);
    ComputeSlowFlags(S);
    std::string held;
    for (int u = 1; u <= S.UnitCount && held.empty(); ++u)
      if (S.SlowFlags[u] != 0)
        held =
            ObjectIdentifier(S.Units[u]) + " at " + std::to_string(S.Units[u].X) + "," + std::to_string(S.Units[u].Y);
    AdvanceTraining(S, {});
    AdvanceConstruction(S, {});
    MoveUnits(S);
    RunCombat(S, {});
    return held;
  }
  // Units are followed by their identifiers: a removal moves records
  // between slots.
  TUnit* Find(const std::string& Id) {
    for (int u = 1; u <= S.UnitCount; ++u)
      if (ObjectIdentifier(S.Units[u]) == Id) return &S.Units[u];
    return nullptr;
  }
  // A right click at P with exactly the units Ids selected: they walk there
  // and give up their attack targets.
  void Order(const std::vector<std::string>& Ids, TWorldPoint P) {
    for (int u = 1; u <= S.UnitCount; ++u) S.Units[u].Selected = 0;
    for (const std::string& id : Ids)
      if (TUnit* unit = Find(id)) {
        unit->Selected = 1;
        unit->AttackTarget.Clear();
        unit->TargetX = Snap3(P.X);
        unit->TargetY = Snap3(P.Y);
      }
  }
  // Ticks until every unit of Ids stands still (or Limit ticks have run);
  // fails the test at the first tick the terrain holds a unit back. Answers
  // the ticks it took, or -1.
  int RunUntilStill(const std::vector<std::string>& Ids, int Limit) {
    for (int t = 0; t < Limit; ++t) {
      const std::string held = Tick();
      if (!held.empty()) {
        ADD_FAILURE() << "held back by the terrain: " << held << " (tick " << t << ")";
        return -1;
      }
      bool still = true;
      for (const std::string& id : Ids) {
        const TUnit* u = Find(id);
        still = still && (u == nullptr || (u->TargetX == u->X && u->TargetY == u->Y));
      }
      if (still) return t;
    }
    return -1;
  }
};

std::vector<std::string> Identifiers(const TSampleMap& Map, const std::vector<int>& Slots) {
  std::vector<std::string> out;
  for (int s : Slots) out.push_back(ObjectIdentifier(Map.Map.Units[static_cast<std::size_t>(s)]));
  return out;
}

std::int32_t Far(const TSampleWorld& W, const std::vector<std::string>& Ids, TWorldPoint P) {
  std::int32_t d = 0;
  for (const std::string& id : Ids)
    if (const TUnit* u = const_cast<TSampleWorld&>(W).Find(id)) d = std::max(d, Distance(u->X, u->Y, P.X, P.Y));
  return d;
}

std::int32_t Near(const TSampleWorld& W, const std::vector<std::string>& Ids, TWorldPoint P) {
  std::int32_t d = INT32_MAX;
  for (const std::string& id : Ids)
    if (const TUnit* u = const_cast<TSampleWorld&>(W).Find(id)) d = std::min(d, Distance(u->X, u->Y, P.X, P.Y));
  return d;
}

// Sends the group of Route's camp along the route: a straight order to each
// point, the next one once the group stands still. Answers the ticks taken,
// or -1 when the group did not come to rest.
int Send(TSampleWorld& W, const TSampleMap& Map, const TSampleRoute& Route, const std::vector<std::string>& Ids) {
  std::vector<TWorldPoint> legs = Route.Via;
  legs.push_back(Map.Places[static_cast<std::size_t>(Route.To)].Rally);
  int total = 0;
  for (const TWorldPoint& p : legs) {
    W.Order(Ids, p);
    const int took = W.RunUntilStill(Ids, Far(W, Ids, p) / 3 + 150);
    if (took < 0) return -1;
    total += took;
  }
  return total;
}

std::string RouteName(const TSampleMap& Map, const TSampleRoute& R) {
  return Map.FileName + ": " + Map.Places[static_cast<std::size_t>(R.From)].Name + " to " +
         Map.Places[static_cast<std::size_t>(R.To)].Name;
}

// ---- Where things stand ----

// The cells whose drawn ground diamond (closed) holds a world position: the
// cell (r, c) is drawn about (16 (c - r) - 4, 8 (r + c) - 11), 32 pixels wide
// and 16 high.
std::vector<std::pair<int, int>> CellsHolding(const TMapBlock& Map, std::int32_t X, std::int32_t Y) {
  std::vector<std::pair<int, int>> out;
  const int r0 = static_cast<int>(((Y + 11) / 8.0 - (X + 4) / 16.0) / 2),
            c0 = static_cast<int>(((Y + 11) / 8.0 + (X + 4) / 16.0) / 2);
  for (int r = r0 - 2; r <= r0 + 2; ++r)
    for (int c = c0 - 2; c <= c0 + 2; ++c) {
      if (r < 1 || c < 1 || r > Map.MapRows || c > Map.MapCols) continue;
      const std::int32_t dx = std::abs(X - (16 * (c - r) - 4)), dy = std::abs(Y - (8 * (r + c) - 11));
      if (dx + 2 * dy <= 16) out.push_back({r, c});
    }
  return out;
}

TEST(SampleMapGround, EveryObjectStandsOnPlainGround) {
  for (const TSampleMap& m : Maps()) {
    SCOPED_TRACE(m.FileName);
    TSampleWorld w(m);
    const TMapBlock& map = w.S.Map;
    ASSERT_GT(w.S.UnitCount, 10);
    // The game's own test holds no unit back where the map puts it.
    EXPECT_TRUE(w.Tick().empty());
    for (int u = 1; u <= w.S.UnitCount; ++u) {
      const TUnit& unit = w.S.Units[u];
      SCOPED_TRACE(ObjectIdentifier(unit));
      const auto cells = CellsHolding(map, unit.X, unit.Y);
      ASSERT_FALSE(cells.empty()) << "off the map";
      for (auto [r, c] : cells) EXPECT_EQ(map.TerrainAt(r, c), tkPlain) << "cell " << r << "," << c;
    }
    // A building's 3 x 3 footprint is centred 38 pixels below its position.
    for (int b = 1; b <= w.S.BuildingCount; ++b) {
      const TBuilding& building = w.S.Buildings[b];
      SCOPED_TRACE(ObjectIdentifier(building));
      const int sum = (building.Y + 38 + 11) / 8, diff = (building.X + 4) / 16;
      ASSERT_EQ((building.Y + 38 + 11) % 8, 0);
      ASSERT_EQ((building.X + 4) % 16, 0);
      ASSERT_EQ((sum - diff) % 2, 0);
      const int r0 = (sum - diff) / 2, c0 = (sum + diff) / 2;
      for (int dr = -1; dr <= 1; ++dr)
        for (int dc = -1; dc <= 1; ++dc) {
          ASSERT_TRUE(r0 + dr >= 1 && c0 + dc >= 1 && r0 + dr <= map.MapRows && c0 + dc <= map.MapCols);
          EXPECT_EQ(map.TerrainAt(r0 + dr, c0 + dc), tkPlain) << "cell " << r0 + dr << "," << c0 + dc;
        }
    }
  }
}

// The generator's own test of what blocks agrees with the game's in the
// middle of every cell, near its corners and edges and just beyond them. The
// game holds back a unit on its way that stands on plain ground when its
// next step would cross blocking ground: here each probe is sent 3 pixels
// to the right.
TEST(SampleMapGround, TheGeneratorsTestOfBlockingGroundIsTheGames) {
  for (const TSampleMap& m : Maps()) {
    SCOPED_TRACE(m.FileName);
    TSampleWorld w(m);
    TUnit& probe = w.S.Units[1];
    probe.BuildProgress = 0;
    probe.Name = w.S.UnitTypes[1].Name;
    ASSERT_NE(w.S.UnitTypes[1].Class, 5);
    const TMapBlock& map = w.S.Map;
    int blocking = 0;
    for (int r = 1; r <= map.MapRows; ++r)
      for (int c = 1; c <= map.MapCols; ++c)
        for (auto [dx, dy] : {std::pair{0, 0},
                              {-15, 0},
                              {15, 0},
                              {0, -7},
                              {0, 7},
                              {-8, -4},
                              {8, 4},
                              {-8, 3},
                              {7, -4},
                              {-16, 0},
                              {16, 0},
                              {0, -8},
                              {0, 8},
                              {-17, 1},
                              {17, -1},
                              {-19, 0},
                              {-18, 0}}) {
          probe.X = CellCentreX(r, c) + dx;
          probe.Y = CellCentreY(r, c) + dy;
          probe.TargetX = probe.X + 3;
          probe.TargetY = probe.Y;
          const bool blocks = !BlockingAt(map, probe.X, probe.Y) &&
                              (BlockingAt(map, probe.X + 1, probe.Y) || BlockingAt(map, probe.X + 2, probe.Y) ||
                               BlockingAt(map, probe.X + 3, probe.Y));
          ASSERT_EQ(SlowFlagOf(w.S, 1), blocks ? 1 : 0) << "cell " << r << "," << c << " at " << dx << "," << dy;
          blocking += blocks;
        }
    EXPECT_GT(blocking, map.MapRows / 2);
  }
}

// Ground classes: plain, trees, water, raised ground of any kind.
int ClassOf(std::uint8_t Kind) { return Kind >= 3 ? 3 : Kind; }

// No ground is dashed, striped or checkered: every cell lies in a block of
// 2 x 2 cells of its own class.
TEST(SampleMapGround, NoGroundIsThinnerThanTwoCells) {
  for (const TSampleMap& m : Maps()) {
    SCOPED_TRACE(m.FileName);
    const TMapBlock& map = m.Map.Map;
    int thin = 0;
    for (int r = 1; r <= map.MapRows; ++r)
      for (int c = 1; c <= map.MapCols; ++c) {
        const int own = ClassOf(map.TerrainAt(r, c));
        bool inBlock = false;
        for (int br = r - 1; br <= r && !inBlock; ++br)
          for (int bc = c - 1; bc <= c && !inBlock; ++bc) {
            if (br < 1 || bc < 1 || br + 1 > map.MapRows || bc + 1 > map.MapCols) continue;
            inBlock = ClassOf(map.TerrainAt(br, bc)) == own && ClassOf(map.TerrainAt(br + 1, bc)) == own &&
                      ClassOf(map.TerrainAt(br, bc + 1)) == own && ClassOf(map.TerrainAt(br + 1, bc + 1)) == own;
          }
        if (!inBlock && ++thin <= 10)
          ADD_FAILURE() << "thin ground of kind " << int(map.TerrainAt(r, c)) << " at " << r << "," << c;
      }
    EXPECT_EQ(thin, 0);
  }
}

// Hills rise in steps of one level: neighbouring cells differ by at most one
// elevation, and by at most one drawn level (raised ground is drawn a level
// above its elevation).
TEST(SampleMapGround, NeighboursDifferByAtMostOneLevel) {
  for (const TSampleMap& m : Maps()) {
    SCOPED_TRACE(m.FileName);
    const TMapBlock& map = m.Map.Map;
    auto drawn = [&](int r, int c) { return map.HeightAt(r, c) + (map.TerrainAt(r, c) >= 3 ? 1 : 0); };
    int steep = 0, raised = 0;
    for (int r = 1; r <= map.MapRows; ++r)
      for (int c = 1; c <= map.MapCols; ++c) {
        raised += map.TerrainAt(r, c) >= 3;
        for (auto [nr, nc] : {std::pair{r + 1, c}, {r, c + 1}}) {
          if (nr > map.MapRows || nc > map.MapCols) continue;
          const bool bad =
              std::abs(map.HeightAt(r, c) - map.HeightAt(nr, nc)) > 1 || std::abs(drawn(r, c) - drawn(nr, nc)) > 1;
          if (bad && ++steep <= 10)
            ADD_FAILURE() << "a step of more than one level between " << r << "," << c << " and " << nr << "," << nc;
        }
      }
    EXPECT_EQ(steep, 0);
    EXPECT_GT(raised, 20);
  }
}

// ---- Ways ----

// A group of every camp gets to every other camp (and to the staged fight)
// by the map's straight orders, never held back by the terrain on the way,
// and comes to rest about the rally point.
TEST(SampleMapRoutes, EveryCampsGroupReachesEveryOtherPlace) {
  for (const TSampleMap& m : Maps()) {
    int camps = 0;
    for (const TSamplePlace& p : m.Places) camps += !p.Fight;
    ASSERT_GE(camps, 3) << m.FileName;
    EXPECT_EQ(m.Routes.size(), static_cast<std::size_t>(camps) * (m.Places.size() - 1)) << m.FileName;
    for (const TSampleRoute& route : m.Routes) {
      SCOPED_TRACE(RouteName(m, route));
      const TSamplePlace& from = m.Places[static_cast<std::size_t>(route.From)];
      ASSERT_FALSE(from.Fight);
      ASSERT_LE(route.Via.size(), 1u) << "more than two orders";
      ASSERT_GE(from.Units.size(), 3u);
      TSampleWorld w(m);
      const std::vector<std::string> ids = Identifiers(m, from.Units);
      const int ticks = Send(w, m, route, ids);
      ASSERT_GE(ticks, 0) << "the group did not come to rest";
      const TWorldPoint rally = m.Places[static_cast<std::size_t>(route.To)].Rally;
      EXPECT_LE(Near(w, ids, rally), 12);
      EXPECT_LE(Far(w, ids, rally), 60);
    }
  }
}

// ---- Fights ----

// The fight a map stages is under way when the map opens: every fighter
// strikes its target within a few strikes' time, and nobody is held back.
TEST(SampleMapFights, TheStagedFightStrikesFromTheStart) {
  int fights = 0;
  for (const TSampleMap& m : Maps())
    for (const TSamplePlace& p : m.Places) {
      if (!p.Fight) continue;
      ++fights;
      SCOPED_TRACE(m.FileName + ": " + p.Name);
      TSampleWorld w(m);
      ASSERT_GE(p.Units.size(), 4u);
      struct TBlow {
        std::string Victim;
        std::int32_t HP;
        bool Landed = false;
      };
      std::vector<TBlow> blows;
      for (int s : p.Units) {
        const TUnit& a = m.Map.Units[static_cast<std::size_t>(s)];
        ASSERT_FALSE(a.AttackTarget.Empty());
        TUnit* v = w.Find(a.AttackTarget.Text());
        ASSERT_NE(v, nullptr) << a.AttackTarget.Text();
        blows.push_back({a.AttackTarget.Text(), v->HP});
      }
      for (int t = 0; t < 160; ++t) ASSERT_EQ(w.Tick(), "") << "tick " << t;
      for (const TBlow& b : blows) {
        const TUnit* v = w.Find(b.Victim);
        EXPECT_TRUE(v == nullptr || v->HP < b.HP) << b.Victim << " was not hurt";
      }
    }
  EXPECT_GE(fights, 1);
}

// A group of every camp, sent to the fight by the map's orders, attacks one
// of the fighters there and hurts it. The fighters' own targets are cleared
// first, so that only the group's blows count.
TEST(SampleMapFights, AGroupFromEveryCampJoinsTheFight) {
  for (const TSampleMap& m : Maps())
    for (const TSampleRoute& route : m.Routes) {
      const TSamplePlace& fight = m.Places[static_cast<std::size_t>(route.To)];
      if (!fight.Fight) continue;
      SCOPED_TRACE(RouteName(m, route));
      TSampleWorld w(m);
      for (int u = 1; u <= w.S.UnitCount; ++u) w.S.Units[u].AttackTarget.Clear();
      const std::vector<std::string> ids = Identifiers(m, m.Places[static_cast<std::size_t>(route.From)].Units);
      ASSERT_GE(Send(w, m, route, ids), 0);
      // The fighter nearest to the rally point, and a right click on it.
      std::string victim;
      std::int32_t best = INT32_MAX;
      for (const std::string& f : Identifiers(m, fight.Units)) {
        const TUnit* u = w.Find(f);
        const std::int32_t d = Distance(u->X, u->Y, fight.Rally.X, fight.Rally.Y);
        if (d < best) {
          best = d;
          victim = f;
        }
      }
      const std::int32_t before = w.Find(victim)->HP;
      w.Order(ids, {w.Find(victim)->X, w.Find(victim)->Y});
      for (const std::string& id : ids) w.Find(id)->AttackTarget.Assign(victim);
      bool hurt = false;
      for (int t = 0; t < 400 && !hurt; ++t) {
        ASSERT_EQ(w.Tick(), "") << "tick " << t;
        const TUnit* v = w.Find(victim);
        hurt = v == nullptr || v->HP < before;
      }
      EXPECT_TRUE(hurt) << victim << " was not hurt";
    }
}

}  // namespace
