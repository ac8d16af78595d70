// The game's tick at the limits: a 250 x 250 map, 150 units and 150
// buildings, every object aiming at another within reach. The simulation
// benchmark times the terrain test, movement and the four combat passes and
// reports the share of the terrain test; the scene benchmark draws every
// step of the scene into the drawing control's back surface and reports the
// share of the terrain drawing. Objects are given hit points that last, so
// every iteration does the same work and nobody dies.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <memory>

#include "game/Combat.h"
#include "game/Movement.h"
#include "game/Scene.h"
#include "tests/game/core_scene_rig.h"

using namespace korvel;

namespace {

using Clock = std::chrono::steady_clock;

void FillWorld(TGameState& S) {
  S.Map.MapRows = S.Map.MapCols = 250;
  std::srand(7);
  for (std::size_t c = 0; c < MapCells; ++c) {
    S.Map.Terrain[c] = static_cast<std::uint8_t>(std::rand() % 4 == 0 ? 1 + std::rand() % 6 : 0);
    S.Map.Heights[c] = static_cast<std::uint8_t>(std::rand() % 3);
  }
  const char* unitNames[] = {"Wojownik", "Łucznik", "Mag", "Robotnik"};
  for (int t = 0; t < 4; ++t) {
    TUnitType& type = S.UnitTypes[++S.UnitTypeCount];
    type.Name.Assign(unitNames[t]);
    type.MaxHP = 2000000000;
    type.MaxMana = t == 2 ? 100 : 0;
    type.Range = 5000;
    type.AttackInterval = 2;
    type.Class = static_cast<std::uint8_t>(t);
  }
  for (const char* name : {"Koszary", "Wieza"}) {
    TBuildingType& type = S.BuildingTypes[++S.BuildingTypeCount];
    type.Name.Assign(name);
    type.MaxHP = 2000000000;
    type.Range = 5000;
    type.AttackInterval = 2;
    type.BuildTime = 500;
  }
  for (int u = 1; u <= MaxUnits; ++u) {
    TUnit& unit = S.Units[u];
    unit.Name = S.UnitTypes[1 + u % 4].Name;
    unit.Number = u;
    unit.X = unit.TargetX = (u % 15) * 60 - 400;
    unit.Y = unit.TargetY = 600 + (u / 15) * 45;
    unit.HP = 2000000000;
    unit.Attack = 3;
    unit.Selected = 1;
    unit.Mana = 50;
  }
  S.UnitCount = MaxUnits;
  for (int b = 1; b <= MaxBuildings; ++b) {
    TBuilding& building = S.Buildings[b];
    building.Name = S.BuildingTypes[1 + b % 2].Name;
    building.Number = b;
    building.X = (b % 15) * 90 - 600;
    building.Y = 1200 + (b / 15) * 70;
    building.HP = 2000000000;
    building.Attack = 3;
    building.Selected = 1;
  }
  S.BuildingCount = MaxBuildings;
  // Units aim at units and buildings in turn, buildings likewise.
  for (int u = 1; u <= MaxUnits; ++u)
    S.Units[u].AttackTarget = u % 2 ? StoredIdentifier(S.Units[1 + u % MaxUnits]) : StoredIdentifier(S.Buildings[u]);
  for (int b = 1; b <= MaxBuildings; ++b)
    S.Buildings[b].AttackTarget =
        b % 2 ? StoredIdentifier(S.Units[b]) : StoredIdentifier(S.Buildings[1 + b % MaxBuildings]);
  S.Tick = 1;
  S.HalfWidth = 396;
  S.HalfHeight = 239;
}

void BM_SimulationTick(benchmark::State& State) {
  auto owned = std::make_unique<TGameState>();
  TGameState& s = *owned;
  FillWorld(s);
  int sounds = 0;
  const TSoundSink sink = [&](int) { ++sounds; };
  Clock::duration terrain{}, total{};
  for (auto _ : State) {
    const auto t0 = Clock::now();
    ComputeSlowFlags(s);
    const auto t1 = Clock::now();
    MoveUnits(s);
    RunCombat(s, sink);
    const auto t2 = Clock::now();
    terrain += t1 - t0;
    total += t2 - t0;
    benchmark::DoNotOptimize(s.Units[1].HP);
  }
  State.counters["terrain_share"] = static_cast<double>(terrain.count()) / static_cast<double>(total.count());
  State.counters["sounds_per_tick"] = static_cast<double>(sounds) / static_cast<double>(State.iterations());
  State.counters["units_left"] = s.UnitCount;
}
BENCHMARK(BM_SimulationTick)->Unit(benchmark::kMicrosecond);

void BM_SceneTick(benchmark::State& State) {
  TSceneRig rig;
  FillWorld(rig.S);
  for (int t = 1; t <= rig.S.UnitTypeCount; ++t)
    TSceneRig::AddPicture(rig.Lists[1],
                          {PictureName(rig.S.UnitTypes[t].Name), 24, 32, static_cast<TColor>(0x2040A0 + t * 0x1010)});
  for (int t = 1; t <= rig.S.BuildingTypeCount; ++t)
    TSceneRig::AddPicture(rig.Lists[2],
                          {PictureName(rig.S.BuildingTypes[t].Name), 80, 60, static_cast<TColor>(0x806040 + t * 0x10)});
  // A third of the units raise a building, blended in.
  for (int u = 1; u <= MaxUnits; u += 3) {
    rig.S.Units[u].BuildName.Assign("Koszary");
    rig.S.Units[u].BuildProgress = 250;
  }
  rig.Show();
  rig.S.ScrollY = -500;
  rig.S.Dragging = 1;
  rig.S.DragStartX = 100;
  rig.S.DragStartY = 100;
  rig.S.MouseX = 300;
  rig.S.MouseY = 250;
  TScene scene = rig.Scene();
  scene.ShowBorder = true;
  Clock::duration terrain{}, total{};
  for (auto _ : State) {
    const auto t0 = Clock::now();
    scene.Surface->Fill(0);
    DrawMap(rig.S, scene);
    const auto t1 = Clock::now();
    rig.S.MarkerTicks = 10;
    DrawClickMarker(rig.S, scene);
    DrawObjects(rig.S, scene);
    DrawConstruction(rig.S, scene);
    DrawCursorAndIcons(rig.S, scene);
    DrawNumbersAndFrames(rig.S, scene);
    DrawSelectionLabels(rig.S, scene);
    scene.Surface->Canvas()->Release();
    const auto t2 = Clock::now();
    terrain += t1 - t0;
    total += t2 - t0;
  }
  State.counters["terrain_share"] = static_cast<double>(terrain.count()) / static_cast<double>(total.count());
}
BENCHMARK(BM_SceneTick)->Unit(benchmark::kMicrosecond);

}  // namespace
