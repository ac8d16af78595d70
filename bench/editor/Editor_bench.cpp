// Frames per second of the map editor's tick on a 250 x 250 map (up to 62 500
// cells a frame, raised ones twice, plus 150 units and 150 buildings), run
// headless (Qt offscreen) with the program's stored pictures and without the
// vertical-blank wait, so the figure is the drawing itself.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "editor/BuildingForm.h"
#include "editor/EditorView.h"
#include "editor/MainForm.h"
#include "editor/Sandreth.h"
#include "editor/UnitForm.h"
#include "platform/rtl/Cp1250.h"
#include "platform/rtl/Files.h"
#include "platform/rtl/Random.h"
#include "platform/toolkit/TestDriver.h"
#include "world/WorldFiles.h"

using namespace sandreth;

namespace {

// One editor, started from a temporary start folder, kept for every run.
struct TEditorBench {
  std::filesystem::path Root;
  std::string Saved;
  std::unique_ptr<TApplication> App;
  std::unique_ptr<TTestDriver> Driver;

  TEditorBench() {
    Saved = GetCurrentDir();
    Root = std::filesystem::temp_directory_path() / ("sandreth_bench_" + std::to_string(::getpid()));
    std::filesystem::create_directories(Root / "data");
    const char* units[] = {"Piechur", "Rycerz", "Łucznik", "Mag", "Mnich", "Chłop"};
    for (int i = 0; i < 6; ++i) {
      TUnitType t;
      t.Name.Assign(Cp(units[i]));
      t.MaxHP = 50;
      WriteUnitTypeFile((Root / "data" / ("u" + std::to_string(i) + ".unt")).string(), t);
    }
    const char* buildings[] = {"Zamek", "Wieża"};
    for (int i = 0; i < 2; ++i) {
      TBuildingType t;
      t.Name.Assign(Cp(buildings[i]));
      t.MaxHP = 500;
      WriteBuildingTypeFile((Root / "data" / ("b" + std::to_string(i) + ".bld")).string(), t);
    }
    SetCurrentDir(Root.string());
    App = std::make_unique<TApplication>();
    Driver = std::make_unique<TTestDriver>();
    CreateSandrethForms();
    Form1->DXDraw1->SetOptions(Form1->DXDraw1->Options() - TDXDrawOptions{doWaitVBlank});
    Form1->DXTimer1->OnTimer = TDXTimerEvent();  // the benchmark calls the tick itself
    Form1->Show();
    Driver->Pump(3);

    TEditorState& s = Form1->State();
    Form1->SpinEdit1->SetValue(250);
    Form1->SpinEdit2->SetValue(250);
    SetRandSeed(1);
    for (int i = 1; i <= 250; ++i)
      for (int j = 1; j <= 250; ++j) {
        s.Map.SetTerrainAt(i, j, static_cast<std::uint8_t>(Random(7)));
        s.Map.SetHeightAt(i, j, static_cast<std::uint8_t>(Random(4)));
      }
    for (int k = 1; k <= MaxUnits; ++k) {
      s.Units[k].Name = s.UnitTypes[1 + (k % s.UnitTypeCount)].Name;
      s.Units[k].Number = k;
      s.Units[k].X = 6 * k - 450;
      s.Units[k].Y = 3 * k;
    }
    s.UnitCount = MaxUnits;
    for (int k = 1; k <= MaxBuildings; ++k) {
      s.Buildings[k].Name = s.BuildingTypes[1 + (k % s.BuildingTypeCount)].Name;
      s.Buildings[k].Number = k;
      s.Buildings[k].X = 5 * k - 375;
      s.Buildings[k].Y = 2 * k + 40;
    }
    s.BuildingCount = MaxBuildings;
  }

  ~TEditorBench() {
    Driver.reset();
    App.reset();
    SetCurrentDir(Saved);
    std::filesystem::remove_all(Root);
  }
};

TEditorBench& Bench() {
  static TEditorBench bench;
  return bench;
}

// The whole tick: clear, input, terrain, objects, marker, preview, flip.
void BM_EditorTick_250x250(benchmark::State& State) {
  TEditorBench& b = Bench();
  if (!Form1->DXDraw1->CanDraw()) {
    State.SkipWithError("the drawing control did not initialise");
    return;
  }
  for (auto _ : State) Form1->DXTimer1Timer(Form1->DXTimer1, 16);
  State.counters["fps"] = benchmark::Counter(static_cast<double>(State.iterations()), benchmark::Counter::kIsRate);
  State.counters["cells"] =
      benchmark::Counter(62500.0 * static_cast<double>(State.iterations()), benchmark::Counter::kIsRate);
  (void)b;
}
BENCHMARK(BM_EditorTick_250x250)->Unit(benchmark::kMillisecond)->UseRealTime();

// The frame's walk alone, with pictures that draw nothing: what the rules
// cost apart from the blits.
class TNoPictures : public TEditorPictures {
 public:
  bool DrawItem(int, int Index, int, int) override {
    benchmark::DoNotOptimize(Index);
    return true;
  }
  bool DrawNamed(int, const std::string& Name, int, int) override {
    benchmark::DoNotOptimize(Name);
    return true;
  }
};

void BM_EditorFrameWalk_250x250(benchmark::State& State) {
  TEditorBench& b = Bench();
  TNoPictures none;
  for (auto _ : State) DrawFrame(Form1->State(), 250, 250, 792, 478, none);
  State.counters["fps"] = benchmark::Counter(static_cast<double>(State.iterations()), benchmark::Counter::kIsRate);
  (void)b;
}
BENCHMARK(BM_EditorFrameWalk_250x250)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
